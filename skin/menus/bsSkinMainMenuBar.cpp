#include "skin/menus/bsSkinMainMenuBar.h"

#include <algorithm>

#include "platform/forms/Forms.h"
#include "platform/win/WinApi.h"
#include "skin/controls/bsSkinButtons.h"
#include "skin/data/bsResourceStrData.h"
#include "skin/forms/bsSkinMDI.h"
#include "skin/images/bsParentBackground.h"
#include "skin/images/bsSkinCompose.h"
#include "skin/images/bsUtils.h"
#include "skin/menus/bsSkinFrameMenus.h"
#include "skin/menus/bsSkinMenus.h"

namespace skin {

using gdi::TCanvas;
using namespace win;
using gdi::DT_CALCRECT;
using gdi::DT_CENTER;
using gdi::DT_VCENTER;
using gdi::DT_SINGLELINE;

// ------------------------------------------------------------------ main menu
void TbsSkinMainMenu::SetSkinData(TbsSkinData* Value) {
  FSD = Value;
  if (Value) Value->FreeNotification(this);
}

void TbsSkinMainMenu::Notification(TComponent* AComponent, rtl::TOperation Operation) {
  forms::TMainMenu::Notification(AComponent, Operation);
  if (Operation == rtl::opRemove && AComponent == FSD) FSD = nullptr;
}

// ------------------------------------------------------------------ objects
namespace {
TBitmap* ObjectPicture(TbsSkinData* SD, int Index) {
  if (!SD || Index < 0 || Index >= int(SD->ActivePictures().size())) return nullptr;
  return SD->ActivePictures()[std::size_t(Index)]->Bitmap();
}
}  // namespace

TbsMenuBarObject::TbsMenuBarObject(TbsSkinMainMenuBar* AParent, TbsDataSkinObject* AData) : Parent(AParent) {
  if (!AData) return;
  IDName = AData->IDName;
  SkinRect = AData->SkinRect;
  ActiveSkinRect = AData->ActiveSkinRect;
  DownRect = AData->ActiveSkinRect;
  Morphing = AData->Morphing;
  MorphKind = AData->MorphKind;
  ObjectRect = SkinRect;
  Picture = ObjectPicture(AParent->SkinData(), AData->ActivePictureIndex);
  if (IsEmptyRect(ActiveSkinRect)) Morphing = AData->Morphing = false;
}

bool TbsMenuBarObject::EnableMorphing() const { return Morphing && Parent->SkinEffects(); }

bool TbsMenuBarObject::CanMorphing() {
  if (FDown && !IsEmptyRect(DownRect)) return false;
  return (Active && FMorphKf < 1) || (!Active && FMorphKf > 0);
}

void TbsMenuBarObject::DoMorphing() {
  SetMorphKf(FMorphKf + (Active ? 0.2 : -0.2));
  Parent->DrawBarObject(this);
}

void TbsMenuBarObject::RedrawOrMorph() {
  if (EnableMorphing()) Parent->StartMorph();
  else Parent->DrawBarObject(this);
}

void TbsMenuBarObject::MouseEnter() {
  FMouseIn = true;
  Active = true;
  RedrawOrMorph();
}

void TbsMenuBarObject::MouseLeave() {
  FMouseIn = false;
  Active = false;
  RedrawOrMorph();
}

// ---- buttons
TbsSkinMainMenuBarButton::TbsSkinMainMenuBarButton(TbsSkinMainMenuBar* AParent, TbsDataSkinMainMenuBarButton* AData,
                                                   TbsStdCommand ACommand, const String& AName)
    : TbsMenuBarObject(AParent, AData), Command(ACommand) {
  if (AData) {
    Command = AData->Command;
    DownRect = AData->DownRect;
    FSkinSupport = true;
  } else {
    IDName = AName;
  }
}

void TbsSkinMainMenuBarButton::DefaultDraw(TCanvas* Cnvs) {
  const int w = ObjectRect.Width(), h = ObjectRect.Height();
  if (w <= 0 || h <= 0) return;
  TBitmap b(w, h);
  const bool over = FMouseIn || Active, pressed = FDown && over;
  b.Canvas()->Brush()->SetColor(gdi::clBtnFace);
  b.Canvas()->FillRect(rtl::Rect(0, 0, w, h));
  if (over || pressed) DrawPlainButtonFrame(b.Canvas(), rtl::Rect(0, 0, w, h), pressed, over && !pressed, true);
  TColor c = Enabled ? gdi::clBtnText : gdi::clBtnShadow;
  int x = w / 2 - 5 + (pressed ? 1 : 0), y = h / 2 - 4 + (pressed ? 1 : 0);
  switch (Command) {
    case cmClose: DrawCloseGlyph(b.Canvas(), x, y, c); break;
    case cmMaximize: DrawRestoreGlyph(b.Canvas(), x, y, c); break;
    case cmMinimize: DrawMinimizeGlyph(b.Canvas(), x, y, c); break;
    case cmSysMenu: DrawSysMenuGlyph(b.Canvas(), x, y, c); break;
    default: break;
  }
  Cnvs->Draw(ObjectRect.Left, ObjectRect.Top, &b);
}

void TbsSkinMainMenuBarButton::Draw(TCanvas* Cnvs) {
  if (!FSkinSupport || !Picture) return DefaultDraw(Cnvs);
  TRect src = SkinRect;
  if (FDown && FMouseIn && !IsEmptyRect(DownRect)) src = DownRect;
  else if (EnableMorphing() && FMorphKf > 0 && FMorphKf < 1) {
    TBitmap n(SkinRect.Width(), SkinRect.Height()), a(SkinRect.Width(), SkinRect.Height());
    n.Canvas()->CopyRect(rtl::Rect(0, 0, n.Width(), n.Height()), Picture->Canvas(), SkinRect);
    a.Canvas()->CopyRect(rtl::Rect(0, 0, a.Width(), a.Height()), Picture->Canvas(), ActiveSkinRect);
    TBitmap out(n.Width(), n.Height());
    DrawMorphedLooks(out.Canvas(), &n, &a, MorphKind, FMorphKf);
    Cnvs->Draw(ObjectRect.Left, ObjectRect.Top, &out);
    return;
  } else if (Active && !IsEmptyRect(ActiveSkinRect)) {
    src = ActiveSkinRect;
  }
  Cnvs->CopyRect(rtl::Bounds(ObjectRect.Left, ObjectRect.Top, src.Width(), src.Height()), Picture->Canvas(), src);
}

void TbsSkinMainMenuBarButton::MouseDown(int X, int Y, forms::TMouseButton Button) {
  if (!Enabled || Button != forms::mbLeft || FDown) return;
  FDown = true;
  if (EnableMorphing() && !IsEmptyRect(DownRect)) SetMorphKf(1);
  Parent->DrawBarObject(this);
  if (Command == cmSysMenu) ExecuteCommand();
}

void TbsSkinMainMenuBarButton::MouseUp(int X, int Y, forms::TMouseButton Button) {
  if (!Enabled || Button != forms::mbLeft) return;
  if (Command == cmSysMenu) return;
  FDown = false;
  Parent->DrawBarObject(this);
  if (EnableMorphing()) RedrawOrMorph();
  if (Active) ExecuteCommand();
}

void TbsSkinMainMenuBarButton::DblClick() {
  TbsBusinessSkinForm* child = FindMaximizedChildSkinForm();
  TbsBusinessSkinForm* F = Parent->BusinessSkinForm();
  if (!child || Command != cmSysMenu || !F) return;
  if (auto* host = FindFrameMenuHost(F)) host->SkinMenu()->Hide();
  F->SkinMenuClose();
  child->Form()->Close();
}

void TbsSkinMainMenuBarButton::MouseEnter() {
  if (FDown && (Command == cmSysMenu || EnableMorphing())) {
    FMouseIn = Active = true;
    if (Command != cmSysMenu) Parent->DrawBarObject(this);
    return;
  }
  TbsMenuBarObject::MouseEnter();
}

void TbsSkinMainMenuBarButton::MouseLeave() {
  if (FDown && (Command == cmSysMenu || EnableMorphing())) {
    FMouseIn = Active = false;
    if (EnableMorphing()) SetMorphKf(1);
    if (Command != cmSysMenu) Parent->DrawBarObject(this);
    return;
  }
  TbsMenuBarObject::MouseLeave();
}

void TbsSkinMainMenuBarButton::ExecuteCommand() {
  TbsBusinessSkinForm* child = FindMaximizedChildSkinForm();
  if (!child) return;
  switch (Command) {
    case cmClose: child->Form()->Close(); break;
    case cmMaximize: child->SetWindowState(forms::wsNormal); break;
    case cmMinimize: child->SetWindowState(forms::wsMinimized); break;
    case cmSysMenu: {
      Parent->Invalidate();
      TbsBusinessSkinForm* F = Parent->BusinessSkinForm();
      auto* host = F ? FindFrameMenuHost(F) : nullptr;
      forms::TMenuItem* items = child->GetSystemMenuItems();
      if (!host || !items) return;
      POINT p{ObjectRect.Left, ObjectRect.Top};
      ClientToScreen(Parent->Handle(), &p);
      F->SkinMenuOpen();
      host->SkinMenu()->Popup(Parent, F->MenusSkinData() ? F->MenusSkinData() : F->SkinData(), 0,
                              rtl::Bounds(p.X, p.Y, ObjectRect.Width(), ObjectRect.Height()), items, Parent->PopupToUp);
      break;
    }
    default: break;
  }
}

// ---- items
TbsSkinMainMenuBarItem::TbsSkinMainMenuBarItem(TbsSkinMainMenuBar* AParent, TbsDataSkinMainMenuBarItem* AData,
                                               forms::TMenuItem* AItem)
    : TbsMenuBarObject(AParent, AData), MenuItem(AItem) {
  if (AData) {
    FSkinSupport = true;
    FontName = AData->FontName;
    FontHeight = AData->FontHeight;
    FontStyle = AData->FontStyle;
    FontColor = AData->FontColor;
    ActiveFontColor = AData->ActiveFontColor;
    DownFontColor = AData->DownFontColor;
    UnEnabledFontColor = AData->UnEnabledFontColor;
    TextRct = AData->TextRct;
    ItemDownRect = AData->DownRect;
    if (IsEmptyRect(ItemDownRect)) ItemDownRect = IsEmptyRect(ActiveSkinRect) ? SkinRect : ActiveSkinRect;
    LO = AData->ItemLO;
    RO = AData->ItemRO;
    StretchEffect = AData->StretchEffect;
    AnimateSkinRect = AData->AnimateSkinRect;
    FrameCount = AData->FrameCount;
    AnimateInterval = AData->AnimateInterval;
    InActiveAnimation = AData->InActiveAnimation;
  }
  IDName = AItem->Name();
  Enabled = AItem->Enabled();
  OldEnabled = Enabled;
}

void TbsSkinMainMenuBarItem::ApplyFont(TCanvas* C) {
  if (FSkinSupport && Parent->UseSkinFont) ApplyDescriptionFont(C->Font(), FontName, FontHeight, FontStyle);
  else C->Font()->Assign(Parent->DefItemFont());
  if (auto* SD = Parent->SkinData(); SD && SD->ResourceStrData()) C->Font()->SetCharset(SD->ResourceStrData()->CharSet);
}

void TbsSkinMainMenuBarItem::CalcRect(TCanvas* C) {
  ApplyFont(C);
  TRect tr{0, 0, 0, 0};
  DrawWideText(C, MenuItem->Caption(), tr, DT_CALCRECT | DT_CENTER);
  const int tw = tr.Width();
  int left = Parent->NewItemsRect.Left;
  for (int i = 0; i < Parent->ItemCount(); ++i) {
    if (Parent->Item(i) != this) continue;
    if (i > 0 && Parent->Item(i - 1)->ObjectRect.Right != 0) left = Parent->Item(i - 1)->ObjectRect.Right;
    break;
  }
  const int top = Parent->NewItemsRect.Top;
  if (FSkinSupport)
    ObjectRect = rtl::Rect(left, top, left + SkinRect.Width() - TextRct.Width() + tw + 2, top + SkinRect.Height());
  else
    ObjectRect = rtl::Rect(left, top, left + tw + 12, Parent->NewItemsRect.Bottom);
  const int limit = Parent->ScrollMenu ? Parent->NewItemsRect.Right - 5 : Parent->NewItemsRect.Right;
  if (ObjectRect.Right > limit) {
    Parent->Scroll = true;
    if (ItemVisible) {
      ItemVisible = false;
      OldEnabled = Enabled;
      Enabled = false;
    }
  } else if (!ItemVisible) {
    ItemVisible = true;
    Enabled = OldEnabled;
  }
}

void TbsSkinMainMenuBarItem::BuildItemImage(TBitmap* B, TRect Src, bool AActive) {
  if (!Picture) return;
  const int w = ObjectRect.Width(), h = ObjectRect.Height();
  B->SetSize(w, h);
  if (Parent->ItemTransparent && Src == SkinRect && Parent->HandleAllocated()) {
    HDC dc = GetDC(Parent->Handle());
    gdi::BitBlt(B->Canvas()->Handle(), 0, 0, w, h, dc, ObjectRect.Left, ObjectRect.Top, gdi::SRCCOPY);
    ReleaseDC(Parent->Handle(), dc);
  } else {
    ComposeHorzSkinImage(LO, RO, B, Picture, Src, w, h, AActive && StretchEffect);
  }
  TCanvas* C = B->Canvas();
  C->Brush()->SetStyle(gdi::bsClear);
  ApplyFont(C);
  C->Font()->SetColor(FDown ? DownFontColor : AActive ? ActiveFontColor : MenuItem->Enabled() ? FontColor
                                                                                               : UnEnabledFontColor);
  TRect tr{TextRct.Left, TextRct.Top, TextRct.Left, TextRct.Top};
  DrawWideText(C, MenuItem->Caption(), tr, DT_CALCRECT);
  tr = rtl::Rect(tr.Left, tr.Top, tr.Right + 2, tr.Bottom);
  if (MenuItem->OnDrawItem) {
    MenuItem->OnDrawItem(reinterpret_cast<rtl::TObject*>(this), C, tr, AActive);
  } else {
    TRect r = rtl::Rect(TextRct.Left, TextRct.Top, w - (SkinRect.Width() - TextRct.Right), TextRct.Bottom);
    DrawWideText(C, MenuItem->Caption(), r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
}

void TbsSkinMainMenuBarItem::DefaultDraw(TCanvas* Cnvs) {
  CalcRect(Cnvs);
  if (!ItemVisible) return;
  const int w = ObjectRect.Width(), h = ObjectRect.Height();
  if (w <= 0 || h <= 0) return;
  TBitmap b(w, h);
  TCanvas* C = b.Canvas();
  if (FDown || FMouseIn || Active) {
    C->Brush()->SetColor(FDown ? TColor(0xB59385) : TColor(0xD2BDB6));
    C->FillRect(rtl::Rect(0, 0, w, h));
    C->Brush()->SetColor(0x800000);
    C->FrameRect(rtl::Rect(0, 0, w, h));
  } else {
    C->Brush()->SetColor(gdi::clBtnFace);
    C->FillRect(rtl::Rect(0, 0, w, h));
  }
  C->Brush()->SetStyle(gdi::bsClear);
  ApplyFont(C);
  if (!MenuItem->Enabled()) C->Font()->SetColor(gdi::clBtnShadow);
  int th = WideTextHeight(C, MenuItem->Caption());
  TRect r = rtl::Rect(0, h / 2 - th / 2, w, h / 2 - th / 2 + th);
  if (FDown) r = rtl::Rect(r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1);
  if (MenuItem->OnDrawItem) MenuItem->OnDrawItem(reinterpret_cast<rtl::TObject*>(this), C, r, Active);
  else DrawWideText(C, MenuItem->Caption(), r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  Cnvs->Draw(ObjectRect.Left, ObjectRect.Top, &b);
}

void TbsSkinMainMenuBarItem::Draw(TCanvas* Cnvs) {
  if (!FSkinSupport) return DefaultDraw(Cnvs);
  if (IsEmptyRect(SkinRect) || IsEmptyRect(TextRct)) return;
  CalcRect(Cnvs);
  if (!ItemVisible || !Picture) return;
  TBitmap b;
  if (FDown) {
    BuildItemImage(&b, ItemDownRect, true);
  } else if (EnableAnimation() && CurrentFrame >= 1 && CurrentFrame <= FrameCount) {
    // Frames of the strip stacked vertically when it is higher than the
    // item's picture, else side by side.
    TRect f;
    if (AnimateSkinRect.Height() > SkinRect.Height()) {
      const int h = AnimateSkinRect.Height() / FrameCount;
      f = rtl::Bounds(AnimateSkinRect.Left, AnimateSkinRect.Top + (CurrentFrame - 1) * h, AnimateSkinRect.Width(), h);
    } else {
      const int w = AnimateSkinRect.Width() / FrameCount;
      f = rtl::Bounds(AnimateSkinRect.Left + (CurrentFrame - 1) * w, AnimateSkinRect.Top, w, AnimateSkinRect.Height());
    }
    BuildItemImage(&b, f, true);
  } else if (!EnableMorphing() || FMorphKf <= 0 || FMorphKf >= 1) {
    if (Active && !IsEmptyRect(ActiveSkinRect)) BuildItemImage(&b, ActiveSkinRect, true);
    else BuildItemImage(&b, SkinRect, false);
  } else {
    TBitmap n, a;
    BuildItemImage(&n, SkinRect, false);
    BuildItemImage(&a, ActiveSkinRect, true);
    b.SetSize(n.Width(), n.Height());
    DrawMorphedLooks(b.Canvas(), &n, &a, MorphKind, FMorphKf);
  }
  Cnvs->Draw(ObjectRect.Left, ObjectRect.Top, &b);
}

bool TbsSkinMainMenuBarItem::EnableAnimation() const {
  return !IsEmptyRect(AnimateSkinRect) && FrameCount > 0 && Parent->SkinEffects();
}

void TbsSkinMainMenuBarItem::RedrawOrMorph() {
  if (!EnableAnimation()) return TbsMenuBarObject::RedrawOrMorph();
  if (AnimateInterval > 0 && Parent->AnimateTimer->Interval() != unsigned(AnimateInterval))
    Parent->AnimateTimer->SetInterval(unsigned(AnimateInterval));
  Parent->AnimateTimer->SetEnabled(true);
}

void TbsSkinMainMenuBarItem::MouseEnter() {
  for (int i = 0; i < Parent->ItemCount(); ++i) {
    TbsSkinMainMenuBarItem* o = Parent->Item(i);
    if (o != this && o->FDown) {
      o->SetItemDown(false);
      Active = FMouseIn = true;
      if (EnableMorphing()) SetMorphKf(1);
      SetItemDown(true);
      return;
    }
  }
  for (int i = 0; i < Parent->ItemCount(); ++i)
    if (Parent->Item(i) != this && Parent->Item(i)->Active) {
      Parent->Item(i)->MouseLeave();
      break;
    }
  FMouseIn = Active = true;
  RedrawOrMorph();
  if (Parent->OnItemMouseEnter) Parent->OnItemMouseEnter(MenuItem);
  if (Parent->Hint() != MenuItem->Hint()) Parent->SetHint(MenuItem->Hint());
}

void TbsSkinMainMenuBarItem::MouseLeave() {
  Active = FMouseIn = false;
  if (EnableAnimation() && !InActiveAnimation) {
    CurrentFrame = 0;
    Parent->DrawBarObject(this);
  }
  if (EnableMorphing() && FDown) SetMorphKf(0);
  RedrawOrMorph();
  if (Parent->OnItemMouseLeave) Parent->OnItemMouseLeave(MenuItem);
}

void TbsSkinMainMenuBarItem::SetItemDown(bool Value) {
  if (Value) {
    FDown = true;
    SetMorphKf(1);
    Parent->DrawBarObject(this);
    TbsBusinessSkinForm* F = Parent->BusinessSkinForm();
    if (F && !F->InMainMenu && F->OnMainMenuEnter) F->OnMainMenuEnter(Parent);
    PopupItemMenu();
  } else {
    FDown = Active = false;
    if (EnableAnimation()) {
      if (InActiveAnimation) {
        CurrentFrame = FrameCount + 1;
        RedrawOrMorph();
      } else {
        CurrentFrame = 0;
        Parent->DrawBarObject(this);
      }
    } else if (EnableMorphing()) {
      SetMorphKf(1);
      RedrawOrMorph();
    } else {
      Parent->DrawBarObject(this);
    }
  }
}

void TbsSkinMainMenuBarItem::PopupItemMenu() {
  TbsBusinessSkinForm* F = Parent->BusinessSkinForm();
  auto* host = F ? FindFrameMenuHost(F) : nullptr;
  if (!host) return;
  F->SkinMenuOpen();
  F->InMainMenu = true;
  POINT p{ObjectRect.Left, ObjectRect.Top};
  ClientToScreen(Parent->Handle(), &p);
  host->OpenMainMenuItem(Parent->MenuSkin(), rtl::Bounds(p.X, p.Y, ObjectRect.Width(), ObjectRect.Height()),
                         MenuItem, Parent->PopupToUp);
}

void TbsSkinMainMenuBarItem::MouseDown(int X, int Y, forms::TMouseButton Button) {
  TbsBusinessSkinForm* F = Parent->BusinessSkinForm();
  if (!Enabled || !F || Button != forms::mbLeft) return;
  if (MenuItem->Count() > 0) {
    Parent->MenuActive = true;
    SetItemDown(true);
    return;
  }
  if (F->InMainMenu) ExitMainMenu(F);
  F->InMenu = false;
  RedrawOrMorph();
  MenuItem->Click();
}

// ------------------------------------------------------------------ bar
TbsSkinMainMenuBar::TbsSkinMainMenuBar(TComponent* AOwner) : TbsSkinControl(AOwner) {
  InstallSkinFrameMenus();
  FDefItemFont = std::make_unique<gdi::TFont>();
  FDefItemFont->SetName(u"Arial");
  FDefItemFont->SetHeight(14);
  FDefItemFont->SetColor(gdi::clBtnText);
  FSkinDataName = u"mainmenubar";
  SetAlign(forms::alTop);
  SetHeight(22);
  MouseTimer = new forms::TTimer(this);
  MouseTimer->SetEnabled(false);
  MouseTimer->SetInterval(50);
  MouseTimer->OnTimer = [this](rtl::TObject*) { MouseTimerTick(); };
  MorphTimer = new forms::TTimer(this);
  MorphTimer->SetEnabled(false);
  MorphTimer->SetInterval(25);
  MorphTimer->OnTimer = [this](rtl::TObject*) { MorphTimerTick(); };
  AnimateTimer = new forms::TTimer(this);
  AnimateTimer->SetEnabled(false);
  AnimateTimer->SetInterval(25);
  AnimateTimer->OnTimer = [this](rtl::TObject*) { AnimateTimerTick(); };
}

void TbsSkinMainMenuBar::AnimateTimerTick() {
  bool moved = false;
  for (int i = 0; i < ItemCount(); ++i) {
    TbsSkinMainMenuBarItem* it = Item(i);
    if (!it->EnableAnimation()) continue;
    if (it->Active && it->CurrentFrame <= it->FrameCount) {
      ++it->CurrentFrame;
    } else if (!it->Active && it->CurrentFrame > 0) {
      --it->CurrentFrame;
    } else {
      continue;
    }
    moved = true;
    DrawBarObject(it);
  }
  if (!moved) AnimateTimer->SetEnabled(false);
}

TbsSkinMainMenuBar::~TbsSkinMainMenuBar() {
  if (FMainMenu) FMainMenu->OnChange = nullptr;
  MouseTimer->SetEnabled(false);
  MorphTimer->SetEnabled(false);
  AnimateTimer->SetEnabled(false);
  ObjectList.clear();
  if (BSF && BSF->MainMenuBar == this) BSF->MainMenuBar = nullptr;
}

void TbsSkinMainMenuBar::Notification(TComponent* AComponent, rtl::TOperation Operation) {
  TbsSkinControl::Notification(AComponent, Operation);
  if (Operation != rtl::opRemove) return;
  if (AComponent == FMainMenu) {
    FMainMenu = nullptr;
    ObjectList.clear();
    ButtonsCount = 0;
    ActiveObject = OldActiveObject = MouseCaptureObject = -1;
  }
  if (AComponent == FMergeMenu) FMergeMenu = nullptr;
  if (AComponent == BSF) BSF = nullptr;
}

TbsSkinMainMenuBarItem* TbsSkinMainMenuBar::Item(int I) const {
  return static_cast<TbsSkinMainMenuBarItem*>(ObjectList[std::size_t(ButtonsCount + I)].get());
}

bool TbsSkinMainMenuBar::SkinEffects() const { return FSD && !FSD->Empty && FSD->EnableSkinEffects; }

TbsSkinData* TbsSkinMainMenuBar::MenuSkin() const {
  if (FSD) return FSD;
  return BSF ? (BSF->MenusSkinData() ? BSF->MenusSkinData() : BSF->SkinData()) : nullptr;
}

void TbsSkinMainMenuBar::SetDefItemFont(gdi::TFont* Value) {
  FDefItemFont->Assign(Value);
  if (FIndex == -1) Invalidate();
}

void TbsSkinMainMenuBar::SetDefaultHeight(int Value) {
  FDefaultHeight = Value;
  if (FIndex == -1 && Value > 0) SetHeight(Value);
}

void TbsSkinMainMenuBar::SetDefaultWidth(int Value) {
  FDefaultWidth = Value;
  if (FIndex == -1 && Value > 0) SetWidth(Value);
}

void TbsSkinMainMenuBar::SetBusinessSkinForm(TbsBusinessSkinForm* Value) {
  BSF = Value;
  if (Value) {
    Value->FreeNotification(this);
    Value->MainMenuBar = this;
  }
}

void TbsSkinMainMenuBar::SetMainMenu(forms::TMainMenu* Value) {
  if (FMainMenu && FMainMenu != Value) FMainMenu->OnChange = nullptr;
  FMainMenu = Value;
  if (Value) {
    Value->FreeNotification(this);
    Value->OnChange = [this](forms::TMenu*, forms::TMenuItem*, bool) { UpDateItems(); };
  }
  CreateMenu();
  Invalidate();
}

void TbsSkinMainMenuBar::GetSkinData() {
  TbsSkinControl::GetSkinData();
  auto* D = dynamic_cast<TbsDataSkinMainMenuBar*>(SkinDescriptionAt(FSD, FIndex));
  if (!D) {
    if (FIndex != -1) FIndex = -1;
    Picture = nullptr;
    return;
  }
  SkinRect = D->SkinRect;
  ItemsRect = D->ItemsRect;
  MenuBarItem = D->MenuBarItem;
  CloseButton = D->CloseButton;
  MaxButton = D->MaxButton;
  MinButton = D->MinButton;
  SysMenuButton = D->SysMenuButton;
  TrackMarkColor = D->TrackMarkColor;
  TrackMarkActiveColor = D->TrackMarkActiveColor;
  StretchEffect = D->StretchEffect;
  ItemTransparent = D->ItemTransparent;
  Picture = ObjectPicture(FSD, D->PictureIndex);
}

void TbsSkinMainMenuBar::BeforeChangeSkinData() {
  FSkinSupport = false;
  TbsSkinControl::BeforeChangeSkinData();
  ObjectList.clear();
  ButtonsCount = 0;
  ActiveObject = OldActiveObject = MouseCaptureObject = -1;
}

void TbsSkinMainMenuBar::ChangeSkinData() {
  GetSkinData();
  FSkinSupport = FIndex != -1;
  CreateMenu();
  if (FSkinSupport) TbsSkinControl::SetBounds(Left(), Top(), Width(), SkinRect.Height());
  else if (FDefaultHeight > 0) TbsSkinControl::SetBounds(Left(), Top(), Width(), FDefaultHeight);
  Invalidate();
}

void TbsSkinMainMenuBar::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (FIndex != -1 && FSkinSupport) AHeight = SkinRect.Height();
  TbsSkinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

forms::TMainMenu* TbsSkinMainMenuBar::GetChildMainMenu() {
  if (FMergeMenu) return FMergeMenu;
  auto* client = MDIClientOf(MDIMainForm());
  forms::TCustomForm* child = client ? client->ActiveMDIChild() : nullptr;
  if (!child) return nullptr;
  for (int i = 0; i < child->ComponentCount(); ++i)
    if (auto* m = dynamic_cast<forms::TMainMenu*>(child->Components(i))) return m;
  return nullptr;
}

void TbsSkinMainMenuBar::CreateMenu() {
  ObjectList.clear();
  ButtonsCount = 0;
  ActiveObject = OldActiveObject = MouseCaptureObject = -1;
  if (!FMainMenu) return;
  forms::TMainMenu* child = nullptr;
  if ((BSF && BSF->IsMDIForm()) || FMergeMenu) child = GetChildMainMenu();
  TbsDataSkinMainMenuBarItem* D = nullptr;
  if (FSD && !FSD->Empty) {
    int k = FSD->GetIndex(MenuBarItem);
    if (k >= 0 && k < int(FSD->ObjectList.size()))
      D = dynamic_cast<TbsDataSkinMainMenuBarItem*>(FSD->ObjectList[std::size_t(k)].get());
  }
  ChildMenuIn = child != nullptr;
  if (child) ScrollMenu = false;
  std::vector<forms::TMenuItem*> items;
  forms::TMenuItem* root = FMainMenu->Items();
  if (!child) {
    for (int i = 0; i < root->Count(); ++i) items.push_back(root->Items(i));
  } else {
    forms::TMenuItem* croot = child->Items();
    for (int i = 0; i < root->Count(); ++i) {
      bool used = false;
      for (int j = 0; j < croot->Count(); ++j)
        if (croot->Items(j)->GroupIndex() == root->Items(i)->GroupIndex()) used = true;
      if (!used) items.push_back(root->Items(i));
    }
    for (int j = 0; j < croot->Count(); ++j) items.push_back(croot->Items(j));
    std::stable_sort(items.begin(), items.end(),
                     [](forms::TMenuItem* a, forms::TMenuItem* b) { return a->GroupIndex() < b->GroupIndex(); });
  }
  for (forms::TMenuItem* it : items)
    if (it->Visible()) ObjectList.push_back(std::make_unique<TbsSkinMainMenuBarItem>(this, D, it));
  if (FMDIChildMax) {
    CreateMDIButtons();
    if (auto* f = FindMaximizedChildSkinForm()) ApplyChildBorderIcons(f->BorderIcons());
  }
}

void TbsSkinMainMenuBar::UpDateItems() {
  if (ComponentState().Contains(rtl::csDestroying)) return;
  CreateMenu();
  Invalidate();
  ActiveObject = OldActiveObject = -1;
  MouseTimer->SetEnabled(true);
}

void TbsSkinMainMenuBar::UpDateEnabledItems() {
  for (int i = 0; i < ItemCount(); ++i) Item(i)->Enabled = Item(i)->MenuItem->Enabled();
  Invalidate();
}

void TbsSkinMainMenuBar::Merge(forms::TMainMenu* Menu) {
  FMergeMenu = Menu;
  if (Menu) Menu->FreeNotification(this);
  UpDateItems();
}

void TbsSkinMainMenuBar::UnMerge() {
  FMergeMenu = nullptr;
  UpDateItems();
}

void TbsSkinMainMenuBar::CalcItemsRect() {
  if (FSkinSupport && FIndex != -1)
    NewItemsRect = rtl::Rect(ItemsRect.Left, ItemsRect.Top, Width() - (SkinRect.Width() - ItemsRect.Right),
                             ItemsRect.Bottom);
  else
    NewItemsRect = rtl::Rect(2, 2, Width() - 2, Height() - 2);
  if (!FMDIChildMax || ButtonsCount != 4) return;
  auto place = [&](TbsMenuBarObject* o, bool left) {
    auto* b = static_cast<TbsSkinMainMenuBarButton*>(o);
    int w, h, top;
    if (b->FSkinSupport) {
      w = b->SkinRect.Width();
      h = b->SkinRect.Height();
      top = NewItemsRect.Top + NewItemsRect.Height() / 2 - h / 2;
    } else {
      w = h = NewItemsRect.Height();
      top = NewItemsRect.Top;
    }
    if (left) {
      b->ObjectRect = rtl::Bounds(NewItemsRect.Left, top, w, h);
      NewItemsRect.Left += w + 2;
    } else {
      b->ObjectRect = rtl::Bounds(NewItemsRect.Right - w, top, w, h);
      NewItemsRect.Right -= w + 2;
    }
  };
  place(ObjectList[0].get(), true);
  for (int i = 1; i < 4; ++i) place(ObjectList[std::size_t(i)].get(), false);
}

TRect TbsSkinMainMenuBar::GetScrollMarkerRect() const {
  return rtl::Rect(NewItemsRect.Right - 5, NewItemsRect.Top, NewItemsRect.Right, NewItemsRect.Bottom);
}

void TbsSkinMainMenuBar::DrawScrollMarker(TCanvas* C) {
  TColor c = FSkinSupport ? (MarkerActive ? TrackMarkActiveColor : TrackMarkColor)
                          : (MarkerActive ? gdi::clBtnText : gdi::clBtnShadow);
  DrawArrow(C, GetScrollMarkerRect(), c, 2);
}

void TbsSkinMainMenuBar::PaintBar(HDC DC) {
  GetSkinData();
  TBitmap b(std::max(Width(), 1), std::max(Height(), 1));
  TCanvas* C = b.Canvas();
  if (!FSkinSupport || FIndex == -1 || !Picture) {
    C->Brush()->SetColor(gdi::clBtnFace);
    C->FillRect(rtl::Rect(0, 0, Width(), Height()));
  } else if (FSD->MainMenuBarTransparent) {
    PaintParentBackground(this, C);
  } else {
    TBitmap strip;
    ComposeHorzSkinImage(ItemsRect.Left, SkinRect.Width() - ItemsRect.Right, &strip, Picture, SkinRect, Width(),
                         SkinRect.Height(), StretchEffect);
    C->Draw(0, 0, &strip);
  }
  CalcItemsRect();
  Scroll = false;
  for (auto& o : ObjectList)
    if (o->Visible) o->Draw(C);
  if (Scroll && ScrollMenu) DrawScrollMarker(C);
  gdi::BitBlt(DC, 0, 0, Width(), Height(), C->Handle(), 0, 0, gdi::SRCCOPY);
}

void TbsSkinMainMenuBar::DrawBarObject(TbsMenuBarObject* O) {
  if (!HandleAllocated() || !O->Visible) return;
  if (FSkinSupport && ItemTransparent && dynamic_cast<TbsSkinMainMenuBarItem*>(O)) {
    Invalidate();
    return;
  }
  HDC dc = GetDC(Handle());
  TCanvas C;
  C.SetHandle(dc);
  O->Draw(&C);
  C.SetHandle(nullptr);
  ReleaseDC(Handle(), dc);
}

void TbsSkinMainMenuBar::Dispatch(forms::TMessage& M) {
  switch (M.Msg) {
    case WM_ERASEBKGND:
      PaintBar(reinterpret_cast<HDC>(M.WParam));
      M.Result = 1;
      return;
    case WM_PAINT: {
      PAINTSTRUCT ps{};
      HDC dc = M.WParam ? reinterpret_cast<HDC>(M.WParam) : BeginPaint(Handle(), &ps);
      PaintBar(dc);
      if (!M.WParam) EndPaint(Handle(), &ps);
      M.Result = 0;
      return;
    }
    case WM_SIZE:
      TbsSkinControl::Dispatch(M);
      CalcItemsRect();
      return;
    case forms::CM_MOUSEENTER:
      TbsSkinControl::Dispatch(M);
      if (!Designing()) {
        if (OnBarMouseEnter) OnBarMouseEnter(this);
        MouseTimer->SetEnabled(true);
      }
      return;
    case forms::CM_MOUSELEAVE:
      TbsSkinControl::Dispatch(M);
      if (!Designing()) {
        if (OnBarMouseLeave) OnBarMouseLeave(this);
        MouseTimer->SetEnabled(false);
        TrackBarObject(-1, -1);
      }
      return;
    default: break;
  }
  if (M.Msg == MSG_SKIN_MENU_CLOSED) {
    for (int i = 0; i < ButtonsCount; ++i) {
      auto* b = static_cast<TbsSkinMainMenuBarButton*>(ObjectList[std::size_t(i)].get());
      if (b->Command != cmSysMenu || !b->FDown) continue;
      b->FDown = false;
      if (ActiveObject != i) b->Active = b->FMouseIn = false;
      b->RedrawOrMorph();
    }
    return;
  }
  if (M.Msg == MSG_CHECK_PARENT_BACKGROUND) {
    if (FSkinSupport && FSD && FSD->MainMenuBarTransparent) Invalidate();
    return;
  }
  TbsSkinControl::Dispatch(M);
  if (M.Msg == WM_MOVE && FSkinSupport && FSD && FSD->MainMenuBarTransparent && Align() == forms::alNone) Invalidate();
}

void TbsSkinMainMenuBar::MouseTimerTick() {
  POINT p;
  GetCursorPos(&p);
  win::ScreenToClient(Handle(), &p);
  if (p.X < 0 || p.Y < 0 || p.X > Width() || p.Y > Height()) {
    if (MouseTimer->Enabled()) {
      MouseTimer->SetEnabled(false);
      TrackBarObject(-1, -1);
    }
  } else {
    TrackBarObject(p.X, p.Y);
  }
}

void TbsSkinMainMenuBar::MorphTimerTick() {
  bool any = false;
  for (auto& o : ObjectList)
    if (o->EnableMorphing() && o->CanMorphing()) {
      o->DoMorphing();
      any = true;
    }
  if (!any) MorphTimer->SetEnabled(false);
}

void TbsSkinMainMenuBar::TrackBarObject(int X, int Y) {
  if (ObjectList.empty()) return;
  OldActiveObject = ActiveObject;
  int hit = -1;
  for (int i = 0; i < int(ObjectList.size()); ++i) {
    const TRect& r = ObjectList[std::size_t(i)]->ObjectRect;
    if (ObjectList[std::size_t(i)]->Enabled && X >= r.Left && X < r.Right && Y >= r.Top && Y < r.Bottom) {
      hit = i;
      break;
    }
  }
  if (hit == -1 && MenuActive && OldActiveObject >= ButtonsCount && OldActiveObject < int(ObjectList.size())) {
    // the highlighted item stays highlighted in menu mode
  } else {
    ActiveObject = hit;
  }
  if (MouseCaptureObject != -1 && ActiveObject != MouseCaptureObject) ActiveObject = -1;
  if (ActiveObject != OldActiveObject) {
    if (OldActiveObject >= 0 && OldActiveObject < int(ObjectList.size()) &&
        ObjectList[std::size_t(OldActiveObject)]->Enabled)
      ObjectList[std::size_t(OldActiveObject)]->MouseLeave();
    if (ActiveObject >= 0 && ObjectList[std::size_t(ActiveObject)]->Enabled)
      ObjectList[std::size_t(ActiveObject)]->MouseEnter();
  }
  if (Scroll && ScrollMenu) {
    bool in = GetScrollMarkerRect().Contains({X, Y});
    if (in != MarkerActive) {
      MarkerActive = in;
      if (HandleAllocated()) {
        HDC dc = GetDC(Handle());
        TCanvas C;
        C.SetHandle(dc);
        C.Brush()->SetColor(gdi::clBtnFace);
        if (!FSkinSupport) C.FillRect(GetScrollMarkerRect());
        DrawScrollMarker(&C);
        C.SetHandle(nullptr);
        ReleaseDC(Handle(), dc);
      }
    }
  }
}

void TbsSkinMainMenuBar::MouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) {
  TbsSkinControl::MouseDown(Button, Shift, X, Y);
  TrackBarObject(X, Y);
  if (ActiveObject != -1) {
    MouseCaptureObject = ActiveObject;
    TbsMenuBarObject* o = ObjectList[std::size_t(ActiveObject)].get();
    o->MouseDown(X, Y, Button);
    if (Shift.Contains(forms::ssDouble)) o->DblClick();
  } else if (Scroll && ScrollMenu && GetScrollMarkerRect().Contains({X, Y})) {
    PopupHiddenItems();
  }
}

void TbsSkinMainMenuBar::MouseMove(forms::TShiftState Shift, int X, int Y) {
  TbsSkinControl::MouseMove(Shift, X, Y);
  MouseTimer->SetEnabled(true);
  TrackBarObject(X, Y);
}

void TbsSkinMainMenuBar::MouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) {
  if (MouseCaptureObject >= 0 && MouseCaptureObject < int(ObjectList.size()))
    ObjectList[std::size_t(MouseCaptureObject)]->MouseUp(X, Y, Button);
  MouseCaptureObject = -1;
  TbsSkinControl::MouseUp(Button, Shift, X, Y);
}

void TbsSkinMainMenuBar::PopupHiddenItems() {
  auto* host = BSF ? FindFrameMenuHost(BSF) : nullptr;
  if (!host || !FMainMenu) return;
  int n = 0;
  for (int i = 0; i < ItemCount(); ++i)
    if (Item(i)->ItemVisible) ++n;
  TRect m = GetScrollMarkerRect();
  POINT p{m.Left, m.Top};
  win::ClientToScreen(Handle(), &p);
  TRect R = rtl::Bounds(p.X, p.Y, m.Width(), m.Height());
  BSF->SkinMenuOpen();
  if (forms::TMainMenu* child = ChildMenuIn ? GetChildMainMenu() : nullptr)
    host->SkinMenu()->Popup2(nullptr, MenuSkin(), n, R, child->Items(), FMainMenu->Items(), false);
  else
    host->SkinMenu()->Popup(nullptr, MenuSkin(), n, R, FMainMenu->Items(), false);
}

// ---- keyboard menu mode
void TbsSkinMainMenuBar::EnterMenuMode() {
  MenuActive = true;
  TbsSkinMainMenuBarItem* first = nullptr;
  for (int i = 0; i < ItemCount() && !first; ++i)
    if (Item(i)->Active) first = Item(i);
  if (!first && ItemCount() > 0) first = Item(0);
  if (first) first->MouseEnter();
  if (BSF) {
    if (auto* host = FindFrameMenuHost(BSF)) host->HookMainMenu();
    BSF->InMainMenu = true;
    if (BSF->OnMainMenuEnter) BSF->OnMainMenuEnter(this);
  }
}

void TbsSkinMainMenuBar::LeaveMenuMode() {
  MenuActive = false;
  for (int i = 0; i < ItemCount(); ++i) {
    TbsSkinMainMenuBarItem* it = Item(i);
    if (!it->FDown && !it->Active) continue;
    it->Active = it->FMouseIn = it->FDown = false;
    if (!it->EnableAnimation() || it->InActiveAnimation) {
      it->RedrawOrMorph();
    } else {
      it->CurrentFrame = 0;
      DrawBarObject(it);
    }
    break;
  }
  ActiveObject = OldActiveObject = -1;
}

void TbsSkinMainMenuBar::ReleaseDownItem() {
  for (int i = 0; i < ItemCount(); ++i)
    if (Item(i)->FDown) {
      Item(i)->FDown = false;
      Item(i)->Active = true;
      DrawBarObject(Item(i));
      break;
    }
}

void TbsSkinMainMenuBar::SelectNextBarItem() {
  const int n = ItemCount();
  auto usable = [&](int i) { return Item(i)->Enabled && Item(i)->ItemVisible; };
  for (int i = 0; i < n; ++i) {
    if (!usable(i) || !(Item(i)->Active || Item(i)->FDown)) continue;
    int next = -1;
    for (int j = i + 1; j < n && next < 0; ++j)
      if (usable(j)) next = j;
    for (int j = 0; j < n && next < 0; ++j)
      if (usable(j)) next = j;
    if (!Item(i)->FDown) Item(i)->MouseLeave();
    if (next >= 0) Item(next)->MouseEnter();
    return;
  }
  for (int i = 0; i < n; ++i)
    if (usable(i)) {
      Item(i)->MouseEnter();
      return;
    }
}

void TbsSkinMainMenuBar::SelectPrevBarItem() {
  const int n = ItemCount();
  auto usable = [&](int i) { return Item(i)->Enabled && Item(i)->ItemVisible; };
  for (int i = n - 1; i >= 0; --i) {
    if (!usable(i) || !(Item(i)->Active || Item(i)->FDown)) continue;
    int prev = -1;
    for (int j = i - 1; j >= 0 && prev < 0; --j)
      if (usable(j)) prev = j;
    for (int j = n - 1; j >= 0 && prev < 0; --j)
      if (usable(j)) prev = j;
    if (!Item(i)->FDown) Item(i)->MouseLeave();
    if (prev >= 0) Item(prev)->MouseEnter();
    return;
  }
  for (int i = n - 1; i >= 0; --i)
    if (usable(i)) {
      Item(i)->MouseEnter();
      return;
    }
}

bool TbsSkinMainMenuBar::ExecuteSelectedItem() {
  if (!BSF) return false;
  auto* host = FindFrameMenuHost(BSF);
  const bool menuOpen = host && host->SkinMenu()->Visible();
  for (int i = 0; i < ItemCount(); ++i) {
    TbsSkinMainMenuBarItem* it = Item(i);
    if ((it->FDown && it->MenuItem->Count() == 0) || (it->Active && !menuOpen)) {
      it->Active = false;
      it->MouseDown(0, 0, forms::mbLeft);
      return true;
    }
  }
  return false;
}

bool TbsSkinMainMenuBar::HandleItemAccelerator(int Key) {
  if (!BSF || ObjectList.empty() || !BSF->Form()->Visible()) return false;
  auto* host = FindFrameMenuHost(BSF);
  const bool menuOpen = host && host->SkinMenu()->Visible();
  for (int i = 0; i < ItemCount(); ++i) {
    TbsSkinMainMenuBarItem* it = Item(i);
    if (!it->Enabled || !it->ItemVisible || !forms::IsAccel(char16_t(Key), it->MenuItem->Caption())) continue;
    it->MouseEnter();
    if (!menuOpen || it->MenuItem->Count() == 0) {
      if (!it->FDown) it->MouseDown(0, 0, forms::mbLeft);
    }
    return true;
  }
  return false;
}

// ---- MDI child buttons
void TbsSkinMainMenuBar::CreateMDIButtons() {
  ButtonsCount = 0;
  struct B {
    const String* name;
    TbsStdCommand cmd;
    const char16_t* def;
  };
  for (B b : {B{&MinButton, cmMinimize, u"MinButton"}, B{&MaxButton, cmMaximize, u"MaxButton"},
              B{&CloseButton, cmClose, u"CloseButton"}, B{&SysMenuButton, cmSysMenu, u"SysMenuButton"}}) {
    TbsDataSkinMainMenuBarButton* D = nullptr;
    if (FSkinSupport && FSD && !FSD->Empty) {
      int k = FSD->GetIndex(*b.name);
      if (k >= 0 && k < int(FSD->ObjectList.size()))
        D = dynamic_cast<TbsDataSkinMainMenuBarButton*>(FSD->ObjectList[std::size_t(k)].get());
    }
    ObjectList.insert(ObjectList.begin(), std::make_unique<TbsSkinMainMenuBarButton>(this, D, b.cmd, b.def));
    ++ButtonsCount;
  }
}

void TbsSkinMainMenuBar::DeleteMDIButtons() {
  ObjectList.erase(ObjectList.begin(), ObjectList.begin() + ButtonsCount);
  ActiveObject = MouseCaptureObject = -1;
  ButtonsCount = 0;
}

void TbsSkinMainMenuBar::ApplyChildBorderIcons(TbsBorderIcons Icons) {
  for (int i = 0; i < ButtonsCount; ++i) {
    auto* b = static_cast<TbsSkinMainMenuBarButton*>(ObjectList[std::size_t(i)].get());
    b->Enabled = true;
    if (b->Command == cmMinimize && !Icons.Contains(biMinimize)) b->Enabled = false;
    if (b->Command == cmSysMenu && !Icons.Contains(biSystemMenu)) b->Enabled = false;
  }
}

void TbsSkinMainMenuBar::ShowMDIChildButtons() {
  if (FMDIChildMax) return;
  FMDIChildMax = true;
  ActiveObject = OldActiveObject = MouseCaptureObject = -1;
  CreateMDIButtons();
  if (auto* f = FindMaximizedChildSkinForm()) ApplyChildBorderIcons(f->BorderIcons());
  Invalidate();
}

void TbsSkinMainMenuBar::UpdateMDIChildButtons() {
  TbsBusinessSkinForm* f = FindMaximizedChildSkinForm();
  if (!f && FMDIChildMax) {
    FMDIChildMax = false;
    DeleteMDIButtons();
    Invalidate();
  } else if (f) {
    ApplyChildBorderIcons(f->BorderIcons());
  }
}

}  // namespace skin
