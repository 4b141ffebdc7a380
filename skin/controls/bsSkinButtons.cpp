#include "skin/controls/bsSkinButtons.h"

#include "platform/forms/Actions.h"
#include "platform/forms/Forms.h"
#include "platform/forms/ImgList.h"
#include "skin/controls/bsSkinMenuIntf.h"
#include "skin/data/bsResourceStrData.h"
#include "skin/images/bseffects.h"

namespace skin {

using forms::mbLeft;

// ------------------------------------------------------------------ timer
TbsRunTimer::~TbsRunTimer() { FTick = nullptr; }

void TbsRunTimer::Start(unsigned Interval, std::function<void()> Tick) {
  Stop();
  if (!FInTick) FRetired.reset();
  FTick = std::move(Tick);
  FTimer = std::make_unique<forms::TTimer>(nullptr);
  FTimer->SetEnabled(false);
  FTimer->SetInterval(Interval);
  FTimer->OnTimer = [this](TObject*) {
    FInTick = true;
    auto Tick = FTick;  // the tick may stop or restart this timer
    Tick();
    FInTick = false;
  };
  FTimer->SetEnabled(true);
}

void TbsRunTimer::Retarget(unsigned Interval, std::function<void()> Tick) {
  if (!FTimer) return;
  FTimer->SetEnabled(false);
  FTick = std::move(Tick);
  FTimer->SetInterval(Interval);
  FTimer->SetEnabled(true);
}

void TbsRunTimer::Stop() {
  if (!FTimer) return;
  FTimer->SetEnabled(false);
  if (FInTick)
    FRetired = std::move(FTimer);  // freed after its tick, at the next start or with us
  else
    FTimer.reset();
}

// ------------------------------------------------------------------ look
void TbsButtonLook::Read(const TbsDataSkinButtonControl& D) {
  FontName = D.FontName;
  FontColor = D.FontColor;
  ActiveFontColor = D.ActiveFontColor;
  DownFontColor = D.DownFontColor;
  FontStyle = D.FontStyle;
  FontHeight = D.FontHeight;
  ActiveSkinRect = IsEmptyRect(D.ActiveSkinRect) ? D.SkinRect : D.ActiveSkinRect;
  DownSkinRect = IsEmptyRect(D.DownSkinRect) ? ActiveSkinRect : D.DownSkinRect;
  DisabledSkinRect = D.DisabledSkinRect;
  FocusedSkinRect = D.FocusedSkinRect;
  DisabledFontColor = D.DisabledFontColor == D.FontColor ? TColor(0x808080) : D.DisabledFontColor;
  Morphing = D.Morphing;
  MorphKind = D.MorphKind;
  AnimateSkinRect = D.AnimateSkinRect;
  FrameCount = D.FrameCount;
  AnimateInterval = D.AnimateInterval;
  ShowFocus = D.ShowFocus;
  MenuMarkerRect = D.MenuMarkerRect;
  MenuMarkerActiveRect = IsEmptyRect(D.MenuMarkerActiveRect) ? MenuMarkerRect : D.MenuMarkerActiveRect;
  MenuMarkerDownRect = IsEmptyRect(D.MenuMarkerDownRect) ? MenuMarkerActiveRect : D.MenuMarkerDownRect;
  MenuMarkerFlatRect = IsEmptyRect(D.MenuMarkerFlatRect) ? MenuMarkerRect : D.MenuMarkerFlatRect;
  MenuMarkerTransparentColor = D.MenuMarkerTransparentColor;
}

TRect TbsButtonLook::AnimateFrameRect(const TRect& SkinRect, int Current) const {
  const TRect& A = AnimateSkinRect;
  if (FrameCount <= 0) return A;
  if (RectWidth(A) > RectWidth(SkinRect)) {
    const int w = RectWidth(A) / FrameCount;
    return {A.Left + w * (Current - 1), A.Top, A.Left + w * Current, A.Bottom};
  }
  const int h = RectHeight(A) / FrameCount;
  return {A.Left, A.Top + h * (Current - 1), A.Right, A.Top + h * Current};
}

int ButtonGlyphNum(int NumGlyphs, bool Enabled, bool ADown, bool AMouseIn) {
  if (ADown && AMouseIn && NumGlyphs > 2) return 3;
  if (AMouseIn && NumGlyphs > 3) return 4;
  if (!Enabled && NumGlyphs > 1) return 2;
  return 1;
}

void DrawMorphedLooks(gdi::TCanvas* C, TBitmap* Normal, TBitmap* Hot, TbsMorphKind Kind, double Kf) {
  std::unique_ptr<TbsEffectBmp> E1(TbsEffectBmp::CreateFromhWnd(Normal->Handle()));
  std::unique_ptr<TbsEffectBmp> E2(TbsEffectBmp::CreateFromhWnd(Hot->Handle()));
  switch (Kind) {
    case mkGradient: E1->MorphGrad(*E2, Kf); break;
    case mkLeftGradient: E1->MorphLeftGrad(*E2, Kf); break;
    case mkRightGradient: E1->MorphRightGrad(*E2, Kf); break;
    case mkLeftSlide: E1->MorphLeftSlide(*E2, Kf); break;
    case mkRightSlide: E1->MorphRightSlide(*E2, Kf); break;
    case mkPush: E1->MorphPush(*E2, Kf); break;
    default: E1->Morph(*E2, Kf); break;
  }
  E1->Draw(C->Handle(), 0, 0);
}

void DrawPlainButtonFrame(gdi::TCanvas* C, TRect R, bool Pressed, bool Hot, bool Frame) {
  TColor Border = gdi::clBtnShadow, Face = gdi::clBtnFace;
  if (Pressed) {
    Border = 0x800000;  // RGB(0, 0, 128)
    Face = 0xB59385;    // RGB(133, 147, 181)
  } else if (Hot) {
    Border = 0x800000;
    Face = 0xD2BDB6;  // RGB(182, 189, 210)
  }
  C->Brush()->SetColor(Face);
  C->FillRect(R);
  if (!Frame && !Pressed && !Hot) return;
  C->Brush()->SetColor(Border);
  C->FrameRect(R);
}

// One morph tick: towards the hot look while Hot, else towards the normal
// one, by 0.2; true once the factor is pinned at 1 or 0 (the morph ends).
bool StepMorph(double& Kf, bool Hot) {
  if (Hot && Kf < 1) {
    Kf += 0.2;
    return false;
  }
  if (!Hot && Kf > 0) {
    Kf -= 0.2;
    return false;
  }
  Kf = Hot ? 1 : 0;
  return true;
}

// One animation tick; true once the last frame was passed (the animation ends).
bool StepAnimation(int& Current, bool Inc, int FrameCount, const std::function<void()>& Repaint) {
  if (Inc) {
    if (Current <= FrameCount) {
      ++Current;
      Repaint();
    }
    return Current > FrameCount;
  }
  if (Current >= 0) {
    --Current;
    Repaint();
  }
  return Current <= 0;
}

namespace {

template <class T>
bool Store(T& Field, T Value) {
  if (Field == Value) return false;
  Field = Value;
  return true;
}

void SetCharset(gdi::TFont* F, TbsSkinData* SD, gdi::TFont* DefaultFont) {
  if (SD && SD->ResourceStrData())
    F->SetCharset(gdi::BYTE(SD->ResourceStrData()->CharSet));
  else
    F->SetCharset(DefaultFont->Charset());
}

template <class List>
bool ImageValid(List* L, int Index) {
  return L && Index >= 0 && Index < L->Count();
}

// Draws the default or skin look of a state into B and copies it.
template <class Fn>
void DrawThroughBitmap(gdi::TCanvas* Target, int W, int H, Fn Draw) {
  TBitmap B(W, H);
  Draw(&B);
  Target->Draw(0, 0, &B);
}

}  // namespace

// ------------------------------------------------------------------ shared core
template <class Base>
TbsButtonCore<Base>::TbsButtonCore(TComponent* AOwner)
    : Base(AOwner), FAnimateTimer(this), FRepeatTimer(this), FMorphTimer(this), FGlyph(std::make_unique<TBitmap>()) {}

template <class Base>
TbsButtonCore<Base>::~TbsButtonCore() {
  StopMorph();
  StopRepeat();
  StopAnimate();
}

template <class Base>
void TbsButtonCore<Base>::ActionChange(TObject* Sender, bool CheckDefaults) {
  Base::ActionChange(Sender, CheckDefaults);
  auto* A = dynamic_cast<forms::TCustomAction*>(Sender);
  if (!A || !FGlyph->Empty() || !A->ActionList()) return;
  forms::TCustomImageList* IL = A->ActionList()->Images();
  if (!IL || A->ImageIndex() < 0 || A->ImageIndex() >= IL->Count()) return;
  FGlyph->SetSize(IL->Width(), IL->Height());
  gdi::TCanvas* C = FGlyph->Canvas();
  C->Brush()->SetColor(0xFF00FF);
  C->FillRect({0, 0, IL->Width(), IL->Height()});
  IL->Draw(C, 0, 0, A->ImageIndex(), true);
  this->Repaint();
}

template <class Base>
void TbsButtonCore<Base>::RunClickOrAction() {
  // The framework's click rule: OnClick or the action link, exactly one.
  forms::TControl::Click();
}

template <class Base>
void TbsButtonCore<Base>::SetGlyph(TBitmap* Value) {
  FGlyph->Assign(Value);
  this->Repaint();
}
template <class Base>
void TbsButtonCore<Base>::SetNumGlyphs(int Value) {
  FNumGlyphs = std::clamp(Value, 1, 4);
  this->Repaint();
}
template <class Base>
void TbsButtonCore<Base>::SetMargin(int Value) {
  if (Value >= -1 && Store(FMargin, Value)) this->Repaint();
}
template <class Base>
void TbsButtonCore<Base>::SetSpacing(int Value) {
  if (Store(FSpacing, Value)) this->Repaint();
}
template <class Base>
void TbsButtonCore<Base>::SetLayout(TbsButtonLayout Value) {
  if (Store(FLayout, Value)) this->Repaint();
}

template <class Base>
void TbsButtonCore<Base>::StartMorph() {
  if (!FMorphTimer.Running()) FMorphTimer.Start(20, [this] { MorphTimerProc(); });
}

template <class Base>
void TbsButtonCore<Base>::MorphTimerProc() {
  const bool Hot = MorphHot();
  if (this->FIndex == -1 || !CanMorphing()) {
    FMorphKf = Hot ? 1 : 0;
    StopMorph();
    return;
  }
  if (StepMorph(FMorphKf, Hot)) StopMorph();
  this->Repaint();
}

template <class Base>
void TbsButtonCore<Base>::StartRepeat() {
  FRepeatTimer.Start(500, [this] {
    FRepeatTimer.Retarget(unsigned(RepeatInterval), [this] { ButtonClick(); });
  });
}

template <class Base>
void TbsButtonCore<Base>::StartAnimate(bool AInc) {
  if (!AnimateAllowed()) return;
  StopAnimate();
  FAnimateInc = AInc;
  FCurrentFrame = AInc ? 1 : FLook.FrameCount;
  FAnimateTimer.Start(unsigned(std::max(FLook.AnimateInterval, 1)), [this] {
    if (StepAnimation(FCurrentFrame, FAnimateInc, FLook.FrameCount, [this] { this->Repaint(); })) StopAnimate();
  });
}

template <class Base>
void TbsButtonCore<Base>::StopAnimate() {
  FCurrentFrame = 0;
  FAnimateTimer.Stop();
}

template <class Base>
TbsDataSkinButtonControl* TbsButtonCore<Base>::ReadButtonLook() {
  if (this->FIndex == -1) {
    FLook.AnimateSkinRect = {};
    return nullptr;
  }
  auto* D = dynamic_cast<TbsDataSkinButtonControl*>(this->FSD->CtrlList[this->FIndex].get());
  if (D) FLook.Read(*D);
  if (EffectsEnabled() && FAnimateTimer.Running() && FCurrentFrame >= 1 && FCurrentFrame <= FLook.FrameCount) {
    if (FAnimateInc)
      FLook.ActiveSkinRect = FLook.AnimateFrameRect(this->SkinRect, FCurrentFrame);
    else
      this->SkinRect = FLook.AnimateFrameRect(this->SkinRect, FCurrentFrame);
  }
  return D;
}

template <class Base>
void TbsButtonCore<Base>::AdjustSkinSize(int& W, int& H) {
  if (UseSkinSize || this->ResizeMode == 1) {
    Base::AdjustSkinSize(W, H);
    return;
  }
  const TRect& Cl = this->ClRect;
  this->NewClRect = {Cl.Left, Cl.Top, Cl.Right + W - RectWidth(this->SkinRect),
                     Cl.Bottom + H - RectHeight(this->SkinRect)};
}

template <class Base>
void TbsButtonCore<Base>::RefreshButton() {
  FMouseIn = false;
  FDown = false;
  if (CanMorphing()) FMorphKf = 0;
  if (EffectsEnabled()) StopAnimate();
  this->Repaint();
}

template <class Base>
void TbsButtonCore<Base>::SetCaptionFont(gdi::TCanvas* C) {
  if (this->UseSkinFont)
    ApplyDescriptionFont(C->Font(), FLook.FontName, FLook.FontHeight, FLook.FontStyle);
  else
    C->Font()->Assign(this->DefaultFont());
  SetCharset(C->Font(), this->FSD, this->DefaultFont());
}

template <class Base>
TColor TbsButtonCore<Base>::CaptionColor(bool ADown, bool AMouseIn) {
  if (this->Enabled() && !UseSkinFontColor) return this->DefaultFont()->Color();
  if (!this->Enabled()) return FLook.DisabledFontColor;
  if (ADown && AMouseIn) return FLook.DownFontColor;
  if (AMouseIn) return FLook.ActiveFontColor;
  return FLook.FontColor;
}

template <class Base>
void TbsButtonCore<Base>::SetDown(bool Value) {
  FDown = Value;
  if (CanMorphing()) {
    FMorphKf = 1;
    if (Value)
      StopMorph();
    else
      StartMorph();
  }
  this->Repaint();
  if (ButtonGroup() == 0 || !FDown || AllowAllUp || !this->Parent()) return;
  // The other down buttons of the group among the parent's direct children.
  forms::TWinControl* P = this->Parent();
  for (int i = 0; i < P->ControlCount(); ++i) {
    auto* B = dynamic_cast<TbsButtonCore*>(P->Controls(i));
    if (B && B != this && B->ButtonGroup() == ButtonGroup() && B->FDown) B->SetDown(false);
  }
}

template <class Base>
void TbsButtonCore<Base>::PressLeft() {
  if (Animated()) StopAnimate();
  FMouseDown = true;
  if (!FDown) {
    FMouseIn = true;
    SetDown(true);
    if (RepeatMode && ButtonGroup() == 0)
      StartRepeat();
    else if (ButtonGroup() != 0)
      ButtonClick();
    FAllowAllUpCheck = false;
  } else if (ButtonGroup() != 0) {
    FAllowAllUpCheck = true;
  }
}

template <class Base>
void TbsButtonCore<Base>::ReleaseLeft() {
  FMouseDown = false;
  const bool WasDown = FDown;
  if (ButtonGroup() == 0) {
    if (FMouseIn) {
      SetDown(false);
      if (RepeatMode) StopRepeat();
      if (WasDown) ButtonClick();
    } else {
      FDown = false;
      if (RepeatMode) StopRepeat();
    }
  } else if (WasDown && AllowAllUp && FAllowAllUpCheck && FMouseIn) {
    SetDown(false);
    ButtonClick();
  }
}

template class TbsButtonCore<TbsSkinCustomControl>;
template class TbsButtonCore<TbsGraphicSkinCustomControl>;

// ------------------------------------------------------------------ TbsSkinButton
TbsSkinButton::TbsSkinButton(TComponent* AOwner)
    : TbsButtonCore(AOwner) {
  FLayerManager = new TbsLayerManager(this);
  SetTabStop(true);
  FSkinDataName = u"button";
  SetBounds(Left(), Top(), 75, 25);
}

TbsSkinButton::~TbsSkinButton() = default;

void TbsSkinButton::SetImageIndex(int Value) {
  if (Store(FImageIndex, Value)) Repaint();
}

void TbsSkinButton::SetCanFocused(bool Value) {
  FCanFocused = Value;
  SetTabStop(Value);
}

void TbsSkinButton::SetGroupIndex(int Value) {
  FGroupIndex = Value;
  if (Value != 0) SetCanFocused(false);
}






bool TbsSkinButton::IsFocused() { return FCanFocused && HandleAllocated() && Focused(); }


void TbsSkinButton::RedrawOrMorph() {
  if (CanMorphing() && FIndex != -1)
    StartMorph();
  else
    Repaint();
}

void TbsSkinButton::ButtonClick() {
  if (FCanFocused) {
    if (auto* F = forms::GetParentForm(this)) F->SetModalResult(ModalResult);
  }
  RunClickOrAction();
}

void TbsSkinButton::SetDefault(bool Value) {
  FDefault = Value;
  if (HandleAllocated() && FCanFocused)
    if (auto* F = forms::GetParentForm(this)) FocusChanged(F->ActiveControl()), F->Invalidate();
}

void TbsSkinButton::CreateWnd() {
  TbsSkinCustomControl::CreateWnd();
  FActive = FDefault;
}

// ---- timers






// ---- pointer
void TbsSkinButton::MouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) {
  TbsSkinCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  PressLeft();
}

void TbsSkinButton::MouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) {
  auto Live = Liveness();
  if (Button == mbLeft) {
    ReleaseLeft();
  }
  if (Live.Alive() && HandleAllocated() && Visible()) TbsSkinCustomControl::MouseUp(Button, Shift, X, Y);
}

void TbsSkinButton::MouseEnterHandler() {
  FMouseIn = true;
  const bool Changes = (FGroupIndex != 0 && !FDown) || (FGroupIndex == 0 && (!IsFocused() || FDown));
  if (Changes) {
    if (FDown) {
      if (CanMorphing()) FMorphKf = 1;
      Repaint();
    } else {
      if (Animated()) StartAnimate(true);
      RedrawOrMorph();
    }
  }
  if (FDown && RepeatMode && FGroupIndex == 0) StartRepeat();
  if (HandleAllocated()) win::PostMessage(Handle(), MSG_SHOW_BUTTON_LAYER, 0, 0);
}

void TbsSkinButton::MouseLeaveHandler() {
  FMouseIn = FCanFocused && FDefault && FActive && !IsFocused();
  const bool Changes = (FGroupIndex != 0 && !FDown) || (FGroupIndex == 0 && (!IsFocused() || FDown));
  if (Changes) {
    if (Animated()) StartAnimate(false);
    RedrawOrMorph();
  }
  if (FDown && RepeatMode && FRepeatTimer.Running() && FGroupIndex == 0) StopRepeat();
  if (HandleAllocated()) win::PostMessage(Handle(), MSG_HIDE_BUTTON_LAYER, 0, 0);
}

void TbsSkinButton::FocusChanged(TControl* Sender) {
  auto* SB = dynamic_cast<TbsSkinButton*>(Sender);
  FActive = SB ? SB == this : FDefault;
  if (FCanFocused && FDefault) {
    if (SB && SB != this && FMouseIn) {
      FMouseIn = false;
      RedrawOrMorph();
    } else if (Sender != this && !SB && !FMouseIn) {
      if (CanMorphing()) FMorphKf = 1;
      FMouseIn = true;
      RedrawOrMorph();
    }
  }
}

void TbsSkinButton::WndProc(TMessage& M) {
  if (FCanFocused) {
    switch (M.Msg) {
      case win::WM_LBUTTONDOWN:
      case win::WM_LBUTTONDBLCLK:
        if (!Focused() && !Designing()) {
          FClicksDisabled = true;
          win::SetFocus(Handle());
          FClicksDisabled = false;
          if (!Focused()) return;
        }
        break;
      case forms::CN_COMMAND:
        if (FClicksDisabled) return;
        break;
      case win::WM_KEYDOWN:
        if (M.WParam == 32) {
          if (Animated()) StopAnimate();
          SetDown(true);
          if (RepeatMode) ButtonClick();
        } else if (M.WParam == 13) {
          ButtonClick();
        }
        break;
      case win::WM_KEYUP:
        if (M.WParam == 32) {
          auto Live = Liveness();
          SetDown(false);
          ButtonClick();
          if (!Live.Alive()) return;
        }
        break;
    }
  }
  TbsSkinCustomControl::WndProc(M);
}

void TbsSkinButton::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case forms::CM_MOUSEENTER:
      TbsSkinCustomControl::Dispatch(M);
      if (!Designing()) MouseEnterHandler();
      return;
    case forms::CM_MOUSELEAVE:
      TbsSkinCustomControl::Dispatch(M);
      if (!Designing()) MouseLeaveHandler();
      return;
    case forms::CM_DIALOGKEY:
      if (M.WParam == 13 && FActive && Enabled()) {
        ButtonClick();
        M.Result = 1;
        return;
      }
      if (M.WParam == 27 && Cancel && FCanFocused && CanFocus()) {
        auto S = forms::KeyDataToShiftState(M.LParam) + forms::KeyboardStateToShiftState();
        if (!S.Contains(forms::ssShift) && !S.Contains(forms::ssCtrl) && !S.Contains(forms::ssAlt)) {
          ButtonClick();
          M.Result = 1;
          return;
        }
      }
      break;
    case forms::CM_DIALOGCHAR:
      if (forms::IsAccel(char16_t(M.WParam), Caption()) && CanFocus() && FCanFocused) {
        SetFocus();
        ButtonClick();
        M.Result = 1;
        return;
      }
      break;
    case forms::CM_FOCUSCHANGED:
      FocusChanged(reinterpret_cast<TControl*>(M.LParam));
      break;
    case forms::CM_ENABLEDCHANGED:
      TbsSkinCustomControl::Dispatch(M);
      if (CanMorphing()) {
        StopMorph();
        FMorphKf = 0;
      }
      FMouseIn = false;
      Repaint();
      return;
    case forms::CM_TEXTCHANGED:
      TbsSkinCustomControl::Dispatch(M);
      Repaint();
      return;
    case win::WM_SETFOCUS:
      TbsSkinCustomControl::Dispatch(M);
      if (FCanFocused) {
        if (Animated()) StartAnimate(true);
        RedrawOrMorph();
      }
      return;
    case win::WM_KILLFOCUS:
      if (RepeatMode) StopRepeat();
      if (FGroupIndex == 0 && FDown) FDown = false;
      TbsSkinCustomControl::Dispatch(M);
      if (FCanFocused) {
        if (Animated()) StartAnimate(false);
        if (CanMorphing() && FIndex != -1)
          StartMorph();
        else
          Invalidate();
      }
      return;
    case win::WM_ERASEBKGND:
      if (!FromWMPaint) PaintWindow(reinterpret_cast<gdi::HDC>(M.WParam));
      M.Result = 1;
      return;
    case MSG_SHOW_BUTTON_LAYER: ShowLayer(); return;
    case MSG_HIDE_BUTTON_LAYER: HideLayer(); return;
  }
  TbsSkinCustomControl::Dispatch(M);
}

void TbsSkinButton::Notification(TComponent* AComponent, rtl::TOperation Operation) {
  TbsSkinCustomControl::Notification(AComponent, Operation);
  if (Operation == rtl::opRemove && AComponent == ImageList) ImageList = nullptr;
}

// ---- skin
void TbsSkinButton::GetSkinData() {
  TbsSkinCustomControl::GetSkinData();
  FGlow = ReadButtonLook();
  if (FGlow && !UseSkinSize && FGlow->MaskPictureIndex != -1) MaskPicture = nullptr;
}

void TbsSkinButton::BeforeChangeSkinData() {
  TbsSkinCustomControl::BeforeChangeSkinData();
  if (FLayerManager->IsVisible()) FLayerManager->Hide();
}

void TbsSkinButton::ChangeSkinData() {
  StopMorph();
  StopAnimate();
  FMorphKf = 0;
  TbsSkinCustomControl::ChangeSkinData();
  if (CanMorphing() && FIndex != -1 && (IsFocused() || FMouseIn)) FMorphKf = 1;
  if (FMouseIn && HandleAllocated()) win::PostMessage(Handle(), MSG_SHOW_BUTTON_LAYER, 0, 0);
}



// ---- drawing
bool TbsSkinButton::PressedLook() { return FDown && (FMouseIn || (IsFocused() && !FMouseDown) || FGroupIndex != 0); }

void TbsSkinButton::Paint() {
  GetSkinData();
  if (FIndex == -1) {
    PaintThroughBitmap();
    return;
  }
  if (Width() <= 0 || Height() <= 0) return;
  if (CanMorphing() && FMorphKf > 0 && FMorphKf < 1 && Enabled()) {
    TBitmap B(Width(), Height()), B2(Width(), Height());
    CreateStateImage(&B, SkinRect, false, false);
    CreateStateImage(&B2, FLook.ActiveSkinRect, false, true);
    DrawMorphedLooks(Canvas(), &B, &B2, FLook.MorphKind, FMorphKf);
    return;
  }
  TRect R = SkinRect;
  bool D = false, H = false;
  if (!Enabled() && !IsEmptyRect(FLook.DisabledSkinRect)) {
    R = FLook.DisabledSkinRect;
  } else if (PressedLook()) {
    R = FLook.DownSkinRect, D = H = true;
  } else if (IsFocused() && !IsEmptyRect(FLook.FocusedSkinRect) && !FAnimateTimer.Running()) {
    R = FLook.FocusedSkinRect, H = true;
  } else if (IsFocused() || FMouseIn || (CanMorphing() && FMorphKf == 1)) {
    R = FLook.ActiveSkinRect, H = true;
  }
  DrawThroughBitmap(Canvas(), Width(), Height(), [&](TBitmap* B) { CreateStateImage(B, R, D, H); });
}



void TbsSkinButton::DrawContent(gdi::TCanvas* C, TRect T, TRect EventR, bool ADown, bool AMouseIn, bool PressedFlag) {
  if (FLook.ShowFocus && HandleAllocated() && Focused()) {
    C->Brush()->SetColor(FSD->SkinColors().cBtnFace);
    DrawDotFocusRect(C, T);
  }
  C->Brush()->SetStyle(gdi::bsClear);
  bool DrawDefault = true;
  if (OnPaint) OnPaint(this, C, EventR, ADown, AMouseIn, DrawDefault);
  if (!DrawDefault) return;
  C->Brush()->SetStyle(gdi::bsClear);
  if (ImageValid(ImageList, FImageIndex))
    DrawGlyphAndCaption(C, T, FMargin, FSpacing, FLayout, Caption(), FImageIndex, ImageList, PressedFlag, Enabled(),
                        false, 0);
  else
    DrawBitmapGlyphAndCaption(C, T, FMargin, FSpacing, FLayout, Caption(), FGlyph.get(), FNumGlyphs,
                              GlyphNum(ADown, AMouseIn), PressedFlag, false, 0);
}

void TbsSkinButton::CreateStateImage(TBitmap* B, TRect R, bool ADown, bool AMouseIn) {
  if (!UseSkinSize && ResizeMode != 1) {
    CreateResizedStateImage(B, R, ADown, AMouseIn);
    return;
  }
  CreateSkinImageFromRect(B, Picture, R);
  gdi::TCanvas* C = B->Canvas();
  SetCaptionFont(C);
  C->Font()->SetColor(CaptionColor(ADown, AMouseIn));
  DrawContent(C, NewClRect, NewClRect, ADown, AMouseIn, ADown && AMouseIn);
}

void TbsSkinButton::CreateResizedStateImage(TBitmap* B, TRect R, bool ADown, bool AMouseIn) {
  if (ResizeMode == 0 && Picture)
    B->Canvas()->CopyRect({0, 0, B->Width(), B->Height()}, Picture->Canvas(), R);
  else if ((ResizeMode == 2 || ResizeMode == 3) && Picture)
    ComposeStretchedSkinImage(B, Picture, R, ClRect, true);
  gdi::TCanvas* C = B->Canvas();
  SetCaptionFont(C);
  C->Font()->SetColor(CaptionColor(ADown, AMouseIn));
  const TRect T{ClRect.Left, ClRect.Top, ClRect.Right + B->Width() - RectWidth(R),
                ClRect.Bottom + B->Height() - RectHeight(R)};
  DrawContent(C, T, NewClRect, ADown, AMouseIn, ADown && AMouseIn);
}

void TbsSkinButton::CreateControlDefaultImage(TBitmap* B) {
  const TRect R = ClientRect();
  gdi::TCanvas* C = B->Canvas();
  const bool Pressed = PressedLook();
  DrawPlainButtonFrame(C, R, Pressed, FMouseIn || IsFocused());
  C->Font()->Assign(DefaultFont());
  SetCharset(C->Font(), FSD, DefaultFont());
  if (!Enabled()) C->Font()->SetColor(gdi::clBtnShadow);
  bool DrawDefault = true;
  if (OnPaint) OnPaint(this, C, R, FDown, FMouseIn, DrawDefault);
  if (!DrawDefault) return;
  C->Brush()->SetStyle(gdi::bsClear);
  if (ImageValid(ImageList, FImageIndex))
    DrawGlyphAndCaption(C, R, FMargin, FSpacing, FLayout, Caption(), FImageIndex, ImageList, FDown && FMouseIn,
                        Enabled(), false, 0);
  else
    DrawBitmapGlyphAndCaption(C, R, FMargin, FSpacing, FLayout, Caption(), FGlyph.get(), FNumGlyphs,
                              GlyphNum(FDown, FMouseIn), Pressed, false, 0);
}

// ---- glow frame
void TbsSkinButton::SetGlowPosition(int& X, int& Y) {
  const TPoint P = ClientOrigin();
  X = P.X - (FGlow ? FGlow->GlowLayerShowOffsetX : 0);
  Y = P.Y - (FGlow ? FGlow->GlowLayerShowOffsetY : 0);
}

void TbsSkinButton::ShowLayer() {
  if (!FSD || FSD->Empty || !IsLayeringSupported()) return;
  if (!(FSD->ShowButtonGlowFrames || AlwaysShowLayeredFrame)) return;
  GetSkinData();
  if (!FGlow || FGlow->GlowLayerPictureIndex == -1) return;
  TBitmap* G = SkinPictureAt(FSD, FGlow->GlowLayerPictureIndex);
  TBitmap* M = SkinPictureAt(FSD, FGlow->GlowLayerMaskPictureIndex);
  if (!G || !M) return;  // a glow without its mask is not shown
  if (auto* F = dynamic_cast<forms::TForm*>(forms::GetParentForm(this)))
    FLayerManager->SetTopMostMode(F->FormStyle() == forms::fsStayOnTop);
  int X, Y;
  SetGlowPosition(X, Y);
  const int A = FGlow->GlowLayerAlphaBlendValue;
  if (ResizeMode == 0) {
    FLayerManager->Show(X, Y, G, M, A);
  } else if (ResizeMode == 1) {
    const int W = G->Width() + Width() - RectWidth(SkinRect), H = G->Height() + Height() - RectHeight(SkinRect);
    const TRect In{FGlow->GlowLayerOffsetLeft, FGlow->GlowLayerOffsetTop, G->Width() - FGlow->GlowLayerOffsetRight,
                   G->Height() - FGlow->GlowLayerOffsetBottom};
    TBitmap G2(W, H), M2(W, H);
    ComposeStretchedSkinImage(&G2, G, {0, 0, G->Width(), G->Height()}, In, true);
    ComposeStretchedSkinImage(&M2, M, {0, 0, M->Width(), M->Height()}, In, true);
    FLayerManager->Show(X, Y, &G2, &M2, A);
  } else if (ResizeMode == 2 && UseSkinSize) {
    const int W = G->Width() + Width() - RectWidth(SkinRect);
    TBitmap G2, M2;
    ComposeHorzSkinImage(FGlow->GlowLayerOffsetLeft, FGlow->GlowLayerOffsetRight, &G2, G,
                         {0, 0, G->Width(), G->Height()}, W, G->Height(), true);
    ComposeHorzSkinImage(FGlow->GlowLayerOffsetLeft, FGlow->GlowLayerOffsetRight, &M2, M,
                         {0, 0, M->Width(), M->Height()}, W, M->Height(), true);
    FLayerManager->Show(X, Y, &G2, &M2, A);
  }
}

void TbsSkinButton::HideLayer() {
  if (!FSD || FSD->Empty || !(FSD->ShowButtonGlowFrames || AlwaysShowLayeredFrame)) return;
  if (!FGlow || FGlow->GlowLayerPictureIndex == -1 || !IsLayeringSupported()) return;
  if (ResizeMode == 0 || ResizeMode == 1 || (ResizeMode == 2 && UseSkinSize)) FLayerManager->Hide();
}

// ------------------------------------------------------------------ TbsSkinSpeedButton
TbsSkinSpeedButton::TbsSkinSpeedButton(TComponent* AOwner)
    : TbsButtonCore(AOwner) {
  SetControlStyle({forms::csCaptureMouse, forms::csOpaque, forms::csDoubleClicks});
  FSkinDataName = u"toolbutton";
  SetBounds(Left(), Top(), 25, 25);
}

TbsSkinSpeedButton::~TbsSkinSpeedButton() = default;

void TbsSkinSpeedButton::SetImageIndex(int Value) {
  FImageIndex = Value;
  if (dynamic_cast<TbsSkinImageSource*>(Parent())) Repaint();
}

void TbsSkinSpeedButton::SetTransparent(bool Value) {
  auto S = ControlStyle();
  if (Value)
    S.Exclude(forms::csOpaque);
  else
    S.Include(forms::csOpaque);
  SetControlStyle(S);
  Repaint();
}

void TbsSkinSpeedButton::SetFlat(bool Value) {
  FFlat = Value;
  SetTransparent(Value);
}

void TbsSkinSpeedButton::SetShowCaption(bool Value) {
  if (FShowCaption == Value) return;
  FShowCaption = Value;
  if (WidthWithCaption > 0 && WidthWithoutCaption > 0)
    SetWidth(Value ? WidthWithCaption : WidthWithoutCaption);
  else
    Repaint();
}


void TbsSkinSpeedButton::SetImagesMenu(TbsSkinImagesMenu* Value) {
  if (FSkinImagesMenu) FSkinImagesMenu->RemoveFreeNotification(this);
  FSkinImagesMenu = Value;
  if (Value) Value->FreeNotification(this);
}


void TbsSkinSpeedButton::RedrawOrMorph() {
  if (CanMorphing() && FIndex != -1 && !Transparent())
    StartMorph();
  else
    Repaint();
}

void TbsSkinSpeedButton::ButtonClick() { RunClickOrAction(); }







void TbsSkinSpeedButton::MouseEnterHandler() {
  FMouseIn = true;
  if (!(GroupIndex != 0 && FDown)) {
    if (FDown) {
      if (CanMorphing()) FMorphKf = 1;
      Repaint();
    } else {
      if (Animated()) StartAnimate(true);
      RedrawOrMorph();
    }
  }
  if (FDown && RepeatMode && GroupIndex == 0) StartRepeat();
}

void TbsSkinSpeedButton::MouseLeaveHandler() {
  FMouseIn = false;
  if (!(GroupIndex != 0 && FDown)) {
    if (Animated()) StartAnimate(false);
    RedrawOrMorph();
  }
  if (FDown && RepeatMode && FRepeatTimer.Running() && GroupIndex == 0) FRepeatTimer.Stop();
}

void TbsSkinSpeedButton::MouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) {
  TbsGraphicSkinCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  PressLeft();
}

void TbsSkinSpeedButton::MouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) {
  auto Live = Liveness();
  TbsGraphicSkinCustomControl::MouseUp(Button, Shift, X, Y);
  if (!Live.Alive() || Button != mbLeft) return;
  ReleaseLeft();
}

void TbsSkinSpeedButton::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case forms::CM_MOUSEENTER:
      TbsGraphicSkinCustomControl::Dispatch(M);
      if (Enabled() && !Designing()) MouseEnterHandler();
      return;
    case forms::CM_MOUSELEAVE:
      TbsGraphicSkinCustomControl::Dispatch(M);
      if (Enabled() && !Designing()) MouseLeaveHandler();
      return;
    case forms::CM_DIALOGCHAR:
      if (forms::IsAccel(char16_t(M.WParam), Caption()) && Enabled() && Visible() && Parent() &&
          Parent()->Showing()) {
        ButtonClick();
        M.Result = 1;
      }
      return;
    case forms::CM_ENABLEDCHANGED:
      TbsGraphicSkinCustomControl::Dispatch(M);
      if (CanMorphing()) {
        FMorphTimer.Stop();
        FMorphKf = 0;
      }
      FMouseIn = false;
      Repaint();
      return;
    case forms::CM_TEXTCHANGED:
      TbsGraphicSkinCustomControl::Dispatch(M);
      Repaint();
      return;
  }
  TbsGraphicSkinCustomControl::Dispatch(M);
}

void TbsSkinSpeedButton::Notification(TComponent* AComponent, rtl::TOperation Operation) {
  TbsGraphicSkinCustomControl::Notification(AComponent, Operation);
  if (Operation != rtl::opRemove) return;
  if (AComponent == FSkinImagesMenu) FSkinImagesMenu = nullptr;
  if (AComponent == ImageList) ImageList = nullptr;
}

void TbsSkinSpeedButton::GetSkinData() {
  TbsGraphicSkinCustomControl::GetSkinData();
  if (ReadButtonLook()) {
    FLook.FocusedSkinRect = {};
    FLook.ShowFocus = false;
    if (Transparent()) FLook.Morphing = false;
  }
}

void TbsSkinSpeedButton::ChangeSkinData() {
  StopAnimate();
  FMorphTimer.Stop();
  TbsGraphicSkinCustomControl::ChangeSkinData();
  FMorphKf = CanMorphing() && FIndex != -1 && FMouseIn && !Transparent() ? 1 : 0;
}





void TbsSkinSpeedButton::DrawContent(gdi::TCanvas* C, TRect T, bool P, bool ADown, bool AMouseIn, bool TransparentRule,
                                     int GlyphFrame) {
  C->Brush()->SetStyle(gdi::bsClear);
  String Cap = ShownCaption();
  if (FSkinImagesMenu && UseImagesMenuImage) {
    if (TbsImagesMenuItem* Item = FSkinImagesMenu->GetSelectedItem()) {
      if (UseImagesMenuCaption) Cap = Item->FCaption;
      DrawGlyphAndCaption(C, T, FMargin, FSpacing, FLayout, Cap, Item->FImageIndex, FSkinImagesMenu->FImages, P,
                          Enabled(), false, 0);
      return;
    }
  }
  auto* Src = dynamic_cast<TbsSkinImageSource*>(Parent());
  if (FGlyph->Empty() && Src) {
    forms::TCustomImageList* L = Src->Images();
    bool En = Enabled();
    if (!Enabled() && Src->DisabledImages()) {
      L = Src->DisabledImages();
      En = true;
    } else if (!TransparentRule && (AMouseIn || ADown) && Src->HotImages()) {
      L = Src->HotImages();
    }
    DrawGlyphAndCaption(C, T, FMargin, FSpacing, FLayout, Cap, FImageIndex, L, P, En, false, 0);
    return;
  }
  if (FGlyph->Empty() && ImageValid(ImageList, FImageIndex)) {
    DrawGlyphAndCaption(C, T, FMargin, FSpacing, FLayout, Cap, FImageIndex, ImageList, P, Enabled(), false, 0);
    return;
  }
  DrawBitmapGlyphAndCaption(C, T, FMargin, FSpacing, FLayout, Cap, FGlyph.get(), FNumGlyphs, GlyphFrame, P, false, 0);
}

void TbsSkinSpeedButton::CreateStateImage(TBitmap* B, TRect R, bool ADown, bool AMouseIn) {
  if (!UseSkinSize && ResizeMode != 1) {
    CreateResizedStateImage(B, R, ADown, AMouseIn);
    return;
  }
  CreateSkinImageFromRect(B, Picture, R);
  gdi::TCanvas* C = B->Canvas();
  SetCaptionFont(C);
  C->Font()->SetColor(CaptionColor(ADown, AMouseIn));
  bool DrawDefault = true;
  if (OnPaint) OnPaint(this, C, NewClRect, ADown, AMouseIn, DrawDefault);
  if (!DrawDefault) return;
  DrawContent(C, NewClRect, ADown && AMouseIn, ADown, AMouseIn, false,
              ButtonGlyphNum(FNumGlyphs, Enabled(), ADown, AMouseIn));
}

void TbsSkinSpeedButton::CreateResizedStateImage(TBitmap* B, TRect R, bool ADown, bool AMouseIn) {
  if (ResizeMode == 0 && Picture)
    B->Canvas()->CopyRect({0, 0, B->Width(), B->Height()}, Picture->Canvas(), R);
  else if ((ResizeMode == 2 || ResizeMode == 3) && Picture)
    ComposeStretchedSkinImage(B, Picture, R, ClRect, true);
  const TRect T{ClRect.Left, ClRect.Top, ClRect.Right + B->Width() - RectWidth(R),
                ClRect.Bottom + B->Height() - RectHeight(R)};
  gdi::TCanvas* C = B->Canvas();
  SetCaptionFont(C);
  C->Font()->SetColor(CaptionColor(ADown, AMouseIn));
  bool DrawDefault = true;
  if (OnPaint) OnPaint(this, C, NewClRect, ADown, AMouseIn, DrawDefault);
  if (!DrawDefault) return;
  const bool MenuOrBar = (FSkinImagesMenu && UseImagesMenuImage && FSkinImagesMenu->GetSelectedItem()) ||
                         (FGlyph->Empty() && dynamic_cast<TbsSkinImageSource*>(Parent()));
  DrawContent(C, MenuOrBar ? NewClRect : T, ADown && AMouseIn, ADown, AMouseIn, false,
              ButtonGlyphNum(FNumGlyphs, Enabled(), ADown, AMouseIn));
}

void TbsSkinSpeedButton::CreateControlDefaultImage(TBitmap* B) {
  const TRect R = ClientRect();
  gdi::TCanvas* C = B->Canvas();
  const bool Pressed = PressedLook();
  DrawPlainButtonFrame(C, R, Pressed, FMouseIn, Designing() || !FFlat);
  C->Font()->Assign(DefaultFont());
  SetCharset(C->Font(), FSD, DefaultFont());
  if (!Enabled()) C->Font()->SetColor(gdi::clBtnShadow);
  bool DrawDefault = true;
  if (OnPaint) OnPaint(this, C, R, FDown, FMouseIn, DrawDefault);
  if (!DrawDefault) return;
  const bool FromGlyph = !(FGlyph->Empty() && (dynamic_cast<TbsSkinImageSource*>(Parent()) ||
                                               ImageValid(ImageList, FImageIndex))) &&
                         !(FSkinImagesMenu && UseImagesMenuImage && FSkinImagesMenu->GetSelectedItem());
  DrawContent(C, R, FromGlyph ? Pressed : FDown && FMouseIn, FDown, FMouseIn, false,
              ButtonGlyphNum(FNumGlyphs, Enabled(), FDown, FMouseIn));
}

void TbsSkinSpeedButton::Paint() {
  if (Width() <= 0 || Height() <= 0) return;
  GetSkinData();
  const bool Pressed = PressedLook();
  gdi::TCanvas* C = Canvas();
  if (FIndex == -1) {
    if (!Pressed && !FMouseIn && Transparent()) {
      C->Font()->Assign(DefaultFont());
      SetCharset(C->Font(), FSD, DefaultFont());
      if (!Enabled()) C->Font()->SetColor(gdi::clBtnShadow);
      bool DrawDefault = true;
      if (OnPaint) OnPaint(this, C, ClientRect(), FDown, FMouseIn, DrawDefault);
      if (DrawDefault)
        DrawContent(C, ClientRect(), false, FDown, FMouseIn, true, ButtonGlyphNum(FNumGlyphs, Enabled(), FDown, false));
      return;
    }
    TbsGraphicSkinCustomControl::Paint();
    return;
  }
  if (CanMorphing() && FMorphKf > 0 && FMorphKf < 1 && !Transparent()) {
    TBitmap B(Width(), Height()), B2(Width(), Height());
    CreateStateImage(&B, SkinRect, false, false);
    CreateStateImage(&B2, FLook.ActiveSkinRect, false, true);
    DrawMorphedLooks(C, &B, &B2, FLook.MorphKind, FMorphKf);
    return;
  }
  if (Pressed) {
    DrawThroughBitmap(C, Width(), Height(), [&](TBitmap* B) { CreateStateImage(B, FLook.DownSkinRect, true, true); });
  } else if (FMouseIn || (CanMorphing() && FMorphKf == 1)) {
    DrawThroughBitmap(C, Width(), Height(), [&](TBitmap* B) { CreateStateImage(B, FLook.ActiveSkinRect, false, true); });
  } else if (Transparent()) {
    if (UseSkinFont)
      ApplyDescriptionFont(C->Font(), FLook.FontName, FLook.FontHeight, FLook.FontStyle);
    else
      C->Font()->Assign(DefaultFont());
    SetCharset(C->Font(), FSD, DefaultFont());
    const auto& Colors = FSD->SkinColors();
    C->Font()->SetColor(!Enabled() ? Colors.cBtnShadow : UseSkinFontColor ? Colors.cBtnText : DefaultFont()->Color());
    bool DrawDefault = true;
    if (OnPaint) OnPaint(this, C, NewClRect, FDown, FMouseIn, DrawDefault);
    if (DrawDefault)
      DrawContent(C, NewClRect, false, FDown, FMouseIn, true, ButtonGlyphNum(FNumGlyphs, Enabled(), FDown, FMouseIn));
  } else {
    const TRect R = !Enabled() && !IsEmptyRect(FLook.DisabledSkinRect) ? FLook.DisabledSkinRect : SkinRect;
    DrawThroughBitmap(C, Width(), Height(), [&](TBitmap* B) { CreateStateImage(B, R, false, false); });
  }
}

}  // namespace skin
