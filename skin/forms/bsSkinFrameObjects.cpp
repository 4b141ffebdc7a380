// Frame objects: the base object, user objects, buttons, standard caption
// buttons (with their plain look) and animate objects.
#include "skin/forms/bsSkinFrameObjects.h"

#include <cmath>

#include "platform/win/WinApi.h"
#include "skin/controls/bsSkinButtons.h"
#include "skin/controls/bsSkinMenuIntf.h"
#include "skin/forms/bsBusinessSkinForm.h"
#include "skin/images/bsLayerManager.h"
#include "skin/images/bsUtils.h"

namespace skin {

using namespace win;

// The window command of a caption button; the system menu and custom
// buttons open their menus on the press instead.
void ExecuteFrameCommand(TbsBusinessSkinForm* F, TbsStdCommand Command) {
  switch (Command) {
    case cmClose:
      F->TrackActiveObject(-1, -1, false);
      F->Form()->Close();
      break;
    case cmMaximize:
      F->TrackActiveObject(-1, -1, false);
      F->SetWindowState(F->WindowState() == forms::wsMaximized ? forms::wsNormal : forms::wsMaximized);
      break;
    case cmMinimize:
      F->TrackActiveObject(-1, -1, false);
      if (F->AlwaysMinimizeToTray) F->MinimizeToTray();
      else F->SetWindowState(F->WindowState() == forms::wsMinimized ? forms::wsNormal : forms::wsMinimized);
      break;
    case cmRollUp: F->SetRollUpState(!F->RollUpState()); break;
    case cmMinimizeToTray:
      F->TrackActiveObject(-1, -1, false);
      F->MinimizeToTray();
      break;
    case cmSysMenu:
    case cmDefault: break;
  }
}

// ------------------------------------------------------------------ base
TbsActiveSkinObject::TbsActiveSkinObject(TbsBusinessSkinForm* AParent, TbsDataSkinObject* AData)
    : Parent(AParent), SD(AParent->SkinData()) {
  if (!AData) return;
  IDName = AData->IDName;
  Hint = AData->Hint;
  SkinRectInAPicture = AData->SkinRectInAPicture;
  SkinRect = AData->SkinRect;
  ActiveSkinRect = AData->ActiveSkinRect;
  InActiveSkinRect = AData->InActiveSkinRect;
  Morphing = AData->Morphing;
  MorphKind = AData->MorphKind;
  GlowLayerPictureIndex = AData->GlowLayerPictureIndex;
  GlowLayerMaskPictureIndex = AData->GlowLayerMaskPictureIndex;
  GlowLayerOffsetX = AData->GlowLayerOffsetX;
  GlowLayerOffsetY = AData->GlowLayerOffsetY;
  GlowLayerAlphaBlendValue = AData->GlowLayerAlphaBlendValue;
  ActivePicture = SkinPictureAt(SD, AData->ActivePictureIndex);
  // Without its active picture the object has no hot look; the shared
  // description is left as the skin has it.
  if (!ActivePicture) ActiveSkinRect = TRect{};
  ActiveMaskPicture = SkinPictureAt(SD, AData->ActiveMaskPictureIndex);
  if (IsEmptyRect(ActiveSkinRect)) Morphing = false;
  ObjectRect = SkinRect;
  if (SD) Picture = SD->Picture().Bitmap();
}

bool TbsActiveSkinObject::SkinPresent() const { return Parent->SkinData() && !Parent->SkinData()->Empty; }

void TbsActiveSkinObject::SetMorphKf(double Value) {
  if (std::isnan(Value) || Value < 0) Value = 0;
  if (Value > 1) Value = 1;
  FMorphKf = Value;
}

bool TbsActiveSkinObject::EnableMorphing() const {
  return Morphing && SkinPresent() && Parent->SkinData()->EnableSkinEffects;
}

bool TbsActiveSkinObject::CanMorphing() { return (Active && FMorphKf < 1) || (!Active && FMorphKf > 0); }

void TbsActiveSkinObject::DoMorphing() {
  SetMorphKf(Active ? FMorphKf + 0.2 : FMorphKf - 0.2);
  // Steps of 0.2 land on the ends exactly.
  if (std::abs(FMorphKf - 1) < 1e-6) FMorphKf = 1;
  if (std::abs(FMorphKf) < 1e-6) FMorphKf = 0;
  Redraw();
}

void TbsActiveSkinObject::Redraw() { Parent->DrawSkinObject(this); }

void TbsActiveSkinObject::RedrawOrMorph() {
  if (EnableMorphing()) Parent->StartMorphTimer();
  else Redraw();
}

TRect TbsActiveSkinObject::ScreenRect() const {
  RECT wr{};
  if (Parent->Form()->HandleAllocated()) GetWindowRect(Parent->Form()->Handle(), &wr);
  return rtl::Rect(ObjectRect.Left + wr.Left, ObjectRect.Top + wr.Top, ObjectRect.Right + wr.Left,
                   ObjectRect.Bottom + wr.Top);
}

bool TbsActiveSkinObject::PointInObjectMask(int X, int Y) {
  if (!SkinPresent() || !ActiveMaskPicture) return true;
  if (X < 0 || Y < 0 || X > ActiveMaskPicture->Width() || Y > ActiveMaskPicture->Height()) return false;
  if (X >= ActiveMaskPicture->Width() || Y >= ActiveMaskPicture->Height()) return false;
  return (ActiveMaskPicture->GetSurface()->GetPixel(X, Y) & 0xFFFFFF) == 0;
}

void TbsActiveSkinObject::ShowLayer() {
  if (!SkinPresent() || GlowLayerPictureIndex == -1 || !IsLayeringSupported() ||
      !Parent->SkinData()->ShowCaptionButtonGlowFrames)
    return;
  TBitmap* image = SkinPictureAt(SD, GlowLayerPictureIndex);
  TBitmap* mask = SkinPictureAt(SD, GlowLayerMaskPictureIndex);
  if (!image || !mask) return;
  TRect r = ScreenRect();
  TbsLayerManager* lm = UsesMenuLayer() ? Parent->MenuLayerManager() : Parent->LayerManager();
  lm->Show(r.Left - GlowLayerOffsetX, r.Top - GlowLayerOffsetY, image, mask, GlowLayerAlphaBlendValue);
}

void TbsActiveSkinObject::HideLayer() {
  if (!SkinPresent() || GlowLayerPictureIndex == -1 || !IsLayeringSupported() ||
      !Parent->SkinData()->ShowCaptionButtonGlowFrames)
    return;
  TbsLayerManager* lm = UsesMenuLayer() ? Parent->MenuLayerManager() : Parent->LayerManager();
  lm->Hide();
}

void TbsActiveSkinObject::CopyFrom(TCanvas* Cnvs, TBitmap* APicture, const TRect& Src) {
  if (!APicture || IsEmptyRect(Src) || IsEmptyRect(ObjectRect)) return;
  Cnvs->CopyRect(ObjectRect, APicture->Canvas(), Src);
}

void TbsActiveSkinObject::DrawMorph(TCanvas* Cnvs, TBitmap* NormalPic, const TRect& NormalR, TBitmap* HotPic,
                                    const TRect& HotR) {
  const int w = RectWidth(ObjectRect), h = RectHeight(ObjectRect);
  if (w <= 0 || h <= 0 || !NormalPic || !HotPic) return;
  TBitmap n, hot, out;
  for (TBitmap* b : {&n, &hot, &out}) b->SetSize(w, h);
  n.Canvas()->CopyRect(rtl::Rect(0, 0, w, h), NormalPic->Canvas(), NormalR);
  hot.Canvas()->CopyRect(rtl::Rect(0, 0, w, h), HotPic->Canvas(), HotR);
  DrawMorphedLooks(out.Canvas(), &n, &hot, MorphKind, FMorphKf);
  Cnvs->Draw(ObjectRect.Left, ObjectRect.Top, &out);
}

void TbsActiveSkinObject::Draw(TCanvas* Cnvs, bool UpDate) {
  if (!SkinPresent()) return;
  if (Enabled && !Parent->GetFormActive() && !IsEmptyRect(InActiveSkinRect)) {
    CopyFrom(Cnvs, ActivePicture, InActiveSkinRect);
    return;
  }
  if (EnableMorphing() && ((Active && FMorphKf != 1) || (!Active && FMorphKf != 0))) {
    DrawMorph(Cnvs, SkinRectInAPicture ? ActivePicture : Picture, SkinRect, ActivePicture, ActiveSkinRect);
    return;
  }
  if (!Active || IsEmptyRect(ActiveSkinRect)) {
    if (!UpDate && !SkinRectInAPicture) return;
    CopyFrom(Cnvs, SkinRectInAPicture ? ActivePicture : Picture, SkinRect);
    return;
  }
  CopyFrom(Cnvs, ActivePicture, ActiveSkinRect);
}

void TbsActiveSkinObject::MouseEnter() {
  FMouseIn = true;
  Active = true;
  if (!IsEmptyRect(ActiveSkinRect)) RedrawOrMorph();
  Parent->DoObjectMouseEnter(IDName);
  ShowLayer();
}

void TbsActiveSkinObject::MouseLeave() {
  FMouseIn = false;
  Active = false;
  if (!IsEmptyRect(ActiveSkinRect)) RedrawOrMorph();
  Parent->DoObjectMouseLeave(IDName);
  HideLayer();
}

void TbsActiveSkinObject::MouseDown(int X, int Y, forms::TMouseButton Button) {
  Parent->DoObjectMouseDown(IDName, X, Y, ObjectRect, Button);
}

void TbsActiveSkinObject::MouseUp(int X, int Y, forms::TMouseButton Button) {
  if (FMouseIn) Parent->DoObjectMouseUp(IDName, X, Y, ObjectRect, Button);
}

void TbsActiveSkinObject::MouseMove(int X, int Y) { Parent->DoObjectMouseMove(IDName, X, Y, ObjectRect); }

void TbsUserObject::Draw(TCanvas* Cnvs, bool) { Parent->DoObjectPaint(IDName, Cnvs, ObjectRect); }

// ------------------------------------------------------------------ button
TbsSkinButtonObject::TbsSkinButtonObject(TbsBusinessSkinForm* AParent, TbsDataSkinObject* AData)
    : TbsActiveSkinObject(AParent, AData) {
  if (auto* d = dynamic_cast<TbsDataSkinButton*>(AData)) {
    DownRect = d->DownRect;
    DisableSkinRect = d->DisableSkinRect;
  }
}

bool TbsSkinButtonObject::CursorOver() const {
  POINT p;
  GetCursorPos(&p);
  return ScreenRect().Contains(p);
}

void TbsSkinButtonObject::Draw(TCanvas* Cnvs, bool UpDate) {
  if (!SkinPresent()) return;
  if (!Enabled && !IsEmptyRect(DisableSkinRect)) CopyFrom(Cnvs, ActivePicture, DisableSkinRect);
  else if (FDown && !IsEmptyRect(DownRect) && CursorOver()) CopyFrom(Cnvs, ActivePicture, DownRect);
  else TbsActiveSkinObject::Draw(Cnvs, UpDate);
}

bool TbsSkinButtonObject::CanMorphing() {
  return TbsActiveSkinObject::CanMorphing() && !(MenuItem && FDown);
}

void TbsSkinButtonObject::SetDown(bool Value) {
  FDown = Value;
  if (EnableMorphing() && Active) FMorphKf = 1;
  Redraw();
  if (EnableMorphing() && !FDown) RedrawOrMorph();
}

namespace {

// The items of a skin popup menu component open through the component, so
// that its OnPopup, OnMenuClose and skin data take part.
bool PopupThroughComponent(forms::TMenuItem* Item, TRect R, bool APopupUp) {
  auto* PM = dynamic_cast<TbsSkinPopupMenu*>(Item->GetParentMenu());
  if (!PM) return false;
  PM->PopupFromRect(R, APopupUp);
  return true;
}

}  // namespace

void TbsSkinButtonObject::PopupObjectMenu() {
  if (!MenuItem || MenuItem->Count() == 0) return;
  if (Parent->LayerManager()->IsVisible()) Parent->LayerManager()->Hide();
  if (Parent->MenuLayerManager()->IsVisible()) Parent->MenuLayerManager()->Hide();
  if (CursorOver()) ShowLayer();
  if (PopupThroughComponent(MenuItem, ScreenRect(), FPopupUp)) return;
  // A skinned main menu's items are shown in that menu's skin.
  TbsSkinData* SD = FrameMenuSupport() ? FrameMenuSupport()->MenuSkinDataOf(MenuItem->GetParentMenu()) : nullptr;
  Parent->PopupSkinMenuItem(MenuItem, ScreenRect(), FPopupUp, SD);
}

void TbsSkinButtonObject::MouseDown(int X, int Y, forms::TMouseButton Button) {
  if (!Enabled) return;
  if (Button == forms::mbLeft && !FDown) {
    SetDown(true);
    PopupObjectMenu();
  }
  TbsActiveSkinObject::MouseDown(X, Y, Button);
}

void TbsSkinButtonObject::MouseUp(int X, int Y, forms::TMouseButton Button) {
  if (!Enabled) return;
  if (Button == forms::mbLeft && !MenuItem && FDown) SetDown(false);
  TbsActiveSkinObject::MouseUp(X, Y, Button);
}

void TbsSkinButtonObject::MouseEnter() {
  FMouseIn = true;
  Active = true;
  if (IsEmptyRect(DownRect) || !FDown) {
    if (!IsEmptyRect(ActiveSkinRect)) RedrawOrMorph();
    if (MenuItem) ShowLayer();
  } else {
    if (EnableMorphing()) FMorphKf = 1;
    Redraw();
  }
  Parent->DoObjectMouseEnter(IDName);
  if (!MenuItem) ShowLayer();
}

void TbsSkinButtonObject::MouseLeave() {
  FMouseIn = false;
  Active = false;
  if (!MenuItem || !FDown) {
    if (MenuItem) HideLayer();
    Redraw();
    RedrawOrMorph();
  }
  Parent->DoObjectMouseLeave(IDName);
  if (!MenuItem) HideLayer();
}

// ------------------------------------------------------------------ standard button
TbsSkinStdButtonObject::TbsSkinStdButtonObject(TbsBusinessSkinForm* AParent, TbsDataSkinObject* AData)
    : TbsSkinButtonObject(AParent, AData) {
  auto* d = dynamic_cast<TbsDataSkinStdButton*>(AData);
  if (!d) return;
  FSkinSupport = true;
  Command = d->Command;
  RestoreRect = d->RestoreRect;
  RestoreActiveRect = d->RestoreActiveRect;
  RestoreInActiveRect = d->RestoreInActiveRect;
  RestoreDownRect = d->RestoreDownRect;
  RestoreHint = d->RestoreHint;
  FTempHint = d->Hint;
}

bool TbsSkinStdButtonObject::IconCase() const {
  return Command == cmSysMenu && Parent->ShowIcon() && FSkinSupport && SkinRectInAPicture;
}

bool TbsSkinStdButtonObject::InRestoreState() const {
  return (Command == cmMaximize && Parent->WindowState() == forms::wsMaximized) ||
         (Command == cmMinimize && Parent->WindowState() == forms::wsMinimized) ||
         (Command == cmRollUp && Parent->RollUpState());
}

bool TbsSkinStdButtonObject::PointInObjectMask(int X, int Y) {
  if (IconCase()) return true;
  return TbsSkinButtonObject::PointInObjectMask(X, Y);
}

void TbsSkinStdButtonObject::ShowLayer() {
  if (!IconCase()) TbsSkinButtonObject::ShowLayer();
}

void TbsSkinStdButtonObject::HideLayer() {
  if (!IconCase()) TbsSkinButtonObject::HideLayer();
}

bool TbsSkinStdButtonObject::CanMorphing() { return !IconCase() && TbsSkinButtonObject::CanMorphing(); }

void TbsSkinStdButtonObject::Draw(TCanvas* Cnvs, bool UpDate) {
  if (!FSkinSupport) {
    DefaultDraw(Cnvs);
    return;
  }
  if (!SkinPresent()) return;
  if (IconCase()) {
    Parent->DrawFormIcon(Cnvs, ObjectRect.Left, ObjectRect.Top);
    FMorphKf = 0;
    return;
  }
  if (Enabled && RestoreLook()) {
    if (!Parent->FFormActive && !IsEmptyRect(RestoreInActiveRect)) CopyFrom(Cnvs, ActivePicture, RestoreInActiveRect);
    else if (FDown && !IsEmptyRect(RestoreDownRect) && CursorOver()) CopyFrom(Cnvs, ActivePicture, RestoreDownRect);
    else if (EnableMorphing() && ((Active && FMorphKf != 1) || (!Active && FMorphKf != 0)))
      DrawMorph(Cnvs, ActivePicture, RestoreRect, ActivePicture, RestoreActiveRect);
    else if (Active && !IsEmptyRect(RestoreActiveRect)) CopyFrom(Cnvs, ActivePicture, RestoreActiveRect);
    else CopyFrom(Cnvs, ActivePicture, RestoreRect);
    return;
  }
  TbsSkinButtonObject::Draw(Cnvs, UpDate);
}

void TbsSkinStdButtonObject::DefaultDraw(TCanvas* Cnvs) {
  if (Command == cmSysMenu && Parent->ShowIcon()) {
    Parent->DrawFormIcon(Cnvs, ObjectRect.Left, ObjectRect.Top);
    return;
  }
  const int w = RectWidth(ObjectRect), h = RectHeight(ObjectRect);
  if (w <= 0 || h <= 0) return;
  TBitmap b;
  b.SetSize(w, h);
  const bool over = FMouseIn || Active;
  const bool pressed = FDown && over;
  DrawPlainButtonFrame(b.Canvas(), rtl::Rect(0, 0, w, h), pressed, over && !pressed, pressed || over);
  if (!pressed && !over) {
    b.Canvas()->Brush()->SetColor(gdi::clBtnFace);
    b.Canvas()->FillRect(rtl::Rect(0, 0, w, h));
  }
  TColor c = Enabled ? gdi::clBtnText : gdi::clBtnShadow;
  int x = w / 2 - 5, y = h / 2 - 4;
  if (pressed) {
    ++x;
    ++y;
  }
  TCanvas* bc = b.Canvas();
  switch (Command) {
    case cmClose: DrawCloseGlyph(bc, x, y, c); break;
    case cmMaximize:
      if (Parent->WindowState() == forms::wsMaximized) DrawRestoreGlyph(bc, x, y, c);
      else DrawMaximizeGlyph(bc, x, y, c);
      break;
    case cmMinimize:
      if (Parent->WindowState() == forms::wsMinimized) DrawRestoreGlyph(bc, x, y, c);
      else DrawMinimizeGlyph(bc, x, y, c);
      break;
    case cmSysMenu: DrawSysMenuGlyph(bc, x, y, c); break;
    case cmRollUp:
      if (Parent->RollUpState()) DrawRollDownGlyph(bc, x, y, c);
      else DrawRollUpGlyph(bc, x, y, c);
      break;
    case cmMinimizeToTray: DrawMinimizeToTrayGlyph(bc, x, y, c); break;
    case cmDefault: break;
  }
  Cnvs->Draw(ObjectRect.Left, ObjectRect.Top, &b);
}

void TbsSkinStdButtonObject::ExecuteCommand() { ExecuteFrameCommand(Parent, Command); }

void TbsSkinStdButtonObject::MouseDown(int X, int Y, forms::TMouseButton Button) {
  if (!Enabled || Button != forms::mbLeft || FDown) return;
  SetDown(true);
  if (Command == cmSysMenu) {
    MenuItem = Parent->GetSystemMenuItems();
    PopupObjectMenu();
  }
}

void TbsSkinStdButtonObject::MouseUp(int X, int Y, forms::TMouseButton Button) {
  if (Command == cmClose) {
    const bool run = Active && Button == forms::mbLeft;
    TbsSkinButtonObject::MouseUp(X, Y, Button);
    if (run) ExecuteCommand();
    return;
  }
  if (Active && Button == forms::mbLeft) ExecuteCommand();
  TbsSkinButtonObject::MouseUp(X, Y, Button);
}

void TbsSkinStdButtonObject::DblClick() {
  if (Command == cmSysMenu) Parent->Form()->Close();
}

void TbsSkinStdButtonObject::MouseEnter() {
  if (Command != cmDefault) Hint = !RestoreHint.empty() && InRestoreState() ? RestoreHint : FTempHint;
  TbsSkinButtonObject::MouseEnter();
}

// ------------------------------------------------------------------ animate
TbsSkinAnimateObject::TbsSkinAnimateObject(TbsBusinessSkinForm* AParent, TbsDataSkinObject* AData)
    : TbsActiveSkinObject(AParent, AData) {
  auto* d = dynamic_cast<TbsDataSkinAnimate*>(AData);
  if (!d) return;
  TimerInterval = std::max(25, d->TimerInterval);
  CountFrames = d->CountFrames;
  Cycle = d->Cycle;
  ButtonStyle = d->ButtonStyle;
  Command = d->Command;
  DownSkinRect = d->DownSkinRect;
  RestoreRect = d->RestoreRect;
  RestoreActiveRect = d->RestoreActiveRect;
  RestoreInActiveRect = d->RestoreInActiveRect;
  RestoreDownRect = d->RestoreDownRect;
  RestoreHint = d->RestoreHint;
  FTempHint = d->Hint;
}

bool TbsSkinAnimateObject::RestoreLook() const {
  bool state = (Command == cmMaximize && Parent->WindowState() == forms::wsMaximized) ||
               (Command == cmMinimize && Parent->WindowState() == forms::wsMinimized) ||
               (Command == cmRollUp && Parent->RollUpState());
  return state && !IsEmptyRect(RestoreRect);
}

TRect TbsSkinAnimateObject::FrameRect(int N) const {
  const bool restore = RestoreLook();
  const TRect& strip = restore ? RestoreActiveRect : ActiveSkinRect;
  const TRect& one = restore ? RestoreRect : SkinRect;
  const int w = RectWidth(one), h = RectHeight(one);
  return rtl::Rect(strip.Left + w * (N - 1), strip.Top, strip.Left + w * N, strip.Top + h);
}

bool TbsSkinAnimateObject::CursorOver() const {
  POINT p;
  GetCursorPos(&p);
  return ScreenRect().Contains(p);
}

void TbsSkinAnimateObject::Draw(TCanvas* Cnvs, bool) {
  if (!SkinPresent()) return;
  const bool restore = RestoreLook();
  const TRect& down = restore ? RestoreDownRect : DownSkinRect;
  const TRect& inactive = restore ? RestoreInActiveRect : InActiveSkinRect;
  if (FMenuTracking) {
    if (!IsEmptyRect(down)) {
      CopyFrom(Cnvs, ActivePicture, down);
    } else {
      FFrame = CountFrames;
      CopyFrom(Cnvs, ActivePicture, FrameRect(FFrame));
    }
    return;
  }
  if (!Parent->GetFormActive() && !IsEmptyRect(inactive)) CopyFrom(Cnvs, ActivePicture, inactive);
  else if (FDown && CursorOver() && !IsEmptyRect(down)) CopyFrom(Cnvs, ActivePicture, down);
  else CopyFrom(Cnvs, ActivePicture, FrameRect(FFrame));
}

void TbsSkinAnimateObject::SetFrame(int Value) {
  if (Increment && Value > CountFrames) Value = 1;
  if (!Increment && Value <= 0) Value = CountFrames;
  FFrame = Value;
  Redraw();
}

void TbsSkinAnimateObject::Start() {
  FFrame = 1;
  FInc = 25;
  Active = true;
  StartTimer();
}

void TbsSkinAnimateObject::Stop() {
  SetFrame(1);
  Active = false;
  FInc = 25;
}

void TbsSkinAnimateObject::StartTimer() { Parent->StartAnimateTimer(); }

void TbsSkinAnimateObject::ChangeFrame() {
  if (FInc < TimerInterval) {
    FInc += 25;
    return;
  }
  if (Increment) {
    SetFrame(FFrame + 1);
    if (!Cycle && FFrame == CountFrames) Active = false;
  } else {
    SetFrame(FFrame - 1);
    if (FFrame == 1) Active = false;
  }
  FInc = 25;
}

void TbsSkinAnimateObject::PopupObjectMenu() {
  if (!MenuItem || MenuItem->Count() == 0) return;
  if (Parent->LayerManager()->IsVisible()) Parent->LayerManager()->Hide();
  if (Parent->MenuLayerManager()->IsVisible()) Parent->MenuLayerManager()->Hide();
  if (CursorOver()) ShowLayer();
  FMenuTracking = true;
  if (PopupThroughComponent(MenuItem, ScreenRect(), FPopupUp)) return;
  Parent->PopupSkinMenuItem(MenuItem, ScreenRect(), FPopupUp);
}

void TbsSkinAnimateObject::ExecuteCommand() {
  if (Command == cmSysMenu) {
    MenuItem = Parent->GetSystemMenuItems();
    PopupObjectMenu();
  } else if (Command == cmDefault) {
    if (MenuItem) PopupObjectMenu();
  } else {
    ExecuteFrameCommand(Parent, Command);
  }
}

void TbsSkinAnimateObject::MouseEnter() {
  if (Command != cmDefault) Hint = !RestoreHint.empty() && RestoreLook() ? RestoreHint : FTempHint;
  FMouseIn = true;
  if (FMenuTracking) return;
  PlayTowards(true);
  Parent->DoObjectMouseEnter(IDName);
  ShowLayer();
}

// A button-style animation plays forward while hovered and back after.
void TbsSkinAnimateObject::PlayTowards(bool Forward) {
  if (!ButtonStyle) return;
  Active = true;
  Increment = Forward;
  if (FDown && !IsEmptyRect(DownSkinRect)) Redraw();
  else StartTimer();
}

void TbsSkinAnimateObject::MouseLeave() {
  if (!FMouseIn) return;
  FMouseIn = false;
  if (FMenuTracking) return;
  PlayTowards(false);
  Parent->DoObjectMouseLeave(IDName);
  HideLayer();
}

void TbsSkinAnimateObject::MouseDown(int X, int Y, forms::TMouseButton Button) {
  TbsActiveSkinObject::MouseDown(X, Y, Button);
  if (Button == forms::mbLeft && !IsEmptyRect(DownSkinRect)) {
    FFrame = CountFrames;
    FDown = true;
    Redraw();
  }
  if (Command == cmSysMenu && CursorOver() && ButtonStyle && Button == forms::mbLeft) ExecuteCommand();
}

void TbsSkinAnimateObject::MouseUp(int X, int Y, forms::TMouseButton Button) {
  TbsActiveSkinObject::MouseUp(X, Y, Button);
  if (FMenuTracking) return;
  if (Button == forms::mbLeft && !IsEmptyRect(DownSkinRect)) {
    FDown = false;
    Redraw();
    StartTimer();
  }
  if (Command != cmSysMenu && CursorOver() && ButtonStyle && Button == forms::mbLeft) ExecuteCommand();
}

void TbsSkinAnimateObject::DblClick() {
  if (Command == cmSysMenu) Parent->Form()->Close();
}

}  // namespace skin
