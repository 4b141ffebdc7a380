#include "skin/controls/bsSkinCheckRadio.h"

#include "platform/forms/Actions.h"
#include "platform/forms/Forms.h"
#include "platform/gdi/Gdi.h"
#include "skin/data/bsResourceStrData.h"
#include "skin/images/bsParentBackground.h"
#include "skin/images/bseffects.h"

namespace skin {

namespace {

constexpr TColor kHoverFrame = 0x800000;

int MeasureText(gdi::TCanvas* C, const String& Text, TRect& R, unsigned Flags) {
  return gdi::DrawText(CanvasTextDC(C), Text, &R, Flags | gdi::DT_CALCRECT);
}

TRect Inflated(TRect R, int dx, int dy) { return {R.Left - dx, R.Top - dy, R.Right + dx, R.Bottom + dy}; }

}  // namespace

void ApplySkinCharset(gdi::TFont* F, TbsSkinData* SD, gdi::TFont* DefaultFont) {
  if (SD && SD->ResourceStrData())
    F->SetCharset(gdi::BYTE(SD->ResourceStrData()->CharSet));
  else
    F->SetCharset(DefaultFont->Charset());
}

TbsSkinCheckRadioBox::TbsSkinCheckRadioBox(TComponent* AOwner) : TbsSkinCustomControl(AOwner), FMorphTimer(this) {
  FSkinDataName = u"checkbox";
  SetBounds(Left(), Top(), 150, 25);
  SetTabStop(false);  // CanFocused is on, but the box is left out of the tab order until told
}

TbsSkinCheckRadioBox::~TbsSkinCheckRadioBox() { FMorphTimer.Stop(); }

// ------------------------------------------------------------------ state
void TbsSkinCheckRadioBox::SetChecked(bool Value) {
  FChecked = Value;
  if (Value || FState == cbChecked) FState = Value ? cbChecked : cbUnchecked;
  Repaint();
  if (FChecked && GroupIndex != 0) UncheckGroup();
  if (!FRadio || FChecked) FireClick();
}

void TbsSkinCheckRadioBox::UncheckGroup() {
  forms::TWinControl* P = Parent();
  if (!P) return;
  for (int i = 0; i < P->ControlCount(); ++i) {
    auto* B = dynamic_cast<TbsSkinCheckRadioBox*>(P->Controls(i));
    if (B && B != this && B->GroupIndex == GroupIndex && B->FChecked) B->SetChecked(false);
  }
}

void TbsSkinCheckRadioBox::FireClick() {
  if (OnClick) OnClick(this);
}

void TbsSkinCheckRadioBox::SetState(TCheckBoxState Value) {
  FState = Value;
  FChecked = Value == cbChecked;
  Repaint();
  FireClick();
}

void TbsSkinCheckRadioBox::SetAllowGrayed(bool Value) {
  FAllowGrayed = Value;
  Repaint();
}

void TbsSkinCheckRadioBox::SetRadio(bool Value) {
  FRadio = Value;
  if (Designing() && !Loading()) {
    FSkinDataName = Value ? u"radiobox" : u"checkbox";
    GroupIndex = Value ? 1 : 0;
  }
  Repaint();
}

void TbsSkinCheckRadioBox::SetFlat(bool Value) {
  FFlat = Value;
  Repaint();
}

void TbsSkinCheckRadioBox::SetWordWrap(bool Value) {
  if (FWordWrap == Value) return;
  FWordWrap = Value;
  if (FFlat) Repaint();
}

void TbsSkinCheckRadioBox::SetImages(forms::TCustomImageList* Value) {
  if (FImages) FImages->RemoveFreeNotification(this);
  FImages = Value;
  if (FImages) FImages->FreeNotification(this);
  Repaint();
}

void TbsSkinCheckRadioBox::SetImageIndex(int Value) {
  FImageIndex = Value;
  Repaint();
}

void TbsSkinCheckRadioBox::SetCanFocused(bool Value) {
  FCanFocused = Value;
  SetTabStop(Value);
}

void TbsSkinCheckRadioBox::Toggle() {
  if (!FRadio)
    SetChecked(!FChecked);
  else if (!FChecked)
    SetChecked(true);
}

void TbsSkinCheckRadioBox::Click() {
  if (Action() && !ComponentState().Contains(rtl::csDesigning)) ActionLink()->Execute(this);
}

void TbsSkinCheckRadioBox::ActionChange(TObject* Sender, bool CheckDefaults) {
  TbsSkinCustomControl::ActionChange(Sender, CheckDefaults);
  if (auto* A = dynamic_cast<forms::TCustomAction*>(Sender))
    if (!CheckDefaults || !FChecked) SetChecked(A->Checked());
}

bool TbsSkinCheckRadioBox::IsFocused() { return FCanFocused && HandleAllocated() && Focused(); }

bool TbsSkinCheckRadioBox::ImageShown() const { return FImages && FImageIndex >= 0 && FImageIndex < FImages->Count(); }

// ------------------------------------------------------------------ hover and morph
bool TbsSkinCheckRadioBox::CanMorphing() const { return MorphingOn && FSD && !FSD->Empty && FSD->EnableSkinEffects; }

void TbsSkinCheckRadioBox::UpdateHoverLook() {
  if (CanMorphing() && FIndex != -1) {
    if (!FMorphTimer.Running()) FMorphTimer.Start(20, [this] { MorphTick(); });
  } else {
    Repaint();
  }
}

void TbsSkinCheckRadioBox::MorphTick() {
  const bool On = FMouseIn || IsFocused();
  if (FIndex == -1 || !CanMorphing()) {
    FMorphKf = On ? 1 : 0;
    FMorphTimer.Stop();
    return;
  }
  if (StepMorph(FMorphKf, On)) FMorphTimer.Stop();
  Repaint();
}

// ------------------------------------------------------------------ input
void TbsSkinCheckRadioBox::MouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) {
  if (!FMouseIn) {
    FMouseIn = true;
    UpdateHoverLook();
  }
  TbsSkinCustomControl::MouseDown(Button, Shift, X, Y);
}

void TbsSkinCheckRadioBox::MouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) {
  auto Live = Liveness();
  TbsSkinCustomControl::MouseUp(Button, Shift, X, Y);
  if (!Live.Alive() || Button != forms::mbLeft || !FMouseIn) return;
  if (FAllowGrayed && !FRadio && FState == cbUnchecked) {
    FState = cbGrayed;
    Repaint();
    FireClick();
  } else {
    Toggle();
  }
}

void TbsSkinCheckRadioBox::WndProc(TMessage& M) {
  if (FCanFocused) {
    switch (M.Msg) {
      case win::WM_KEYUP:
        if (M.WParam == 32 && IsFocused()) {
          auto Live = Liveness();
          Toggle();
          if (!Live.Alive()) return;
        }
        break;
      case win::WM_LBUTTONDOWN:
      case win::WM_LBUTTONDBLCLK:
        if (!Designing() && !Focused()) {
          FClicksDisabled = true;
          win::SetFocus(Handle());
          FClicksDisabled = false;
          if (!Focused()) return;  // the focus went elsewhere: no click
        }
        break;
    }
  }
  TbsSkinCustomControl::WndProc(M);
}

void TbsSkinCheckRadioBox::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case forms::CM_MOUSEENTER:
    case forms::CM_MOUSELEAVE:
      TbsSkinCustomControl::Dispatch(M);
      if (!Designing()) {
        FMouseIn = M.Msg == forms::CM_MOUSEENTER;
        UpdateHoverLook();
      }
      return;
    case forms::CM_DIALOGCHAR:
      if (forms::IsAccel(char16_t(M.WParam), Caption()) && CanFocus() && FCanFocused) {
        SetFocus();
        Toggle();
        M.Result = 1;
        return;
      }
      break;
    case win::WM_SETFOCUS:
    case win::WM_KILLFOCUS:
      TbsSkinCustomControl::Dispatch(M);
      if (FCanFocused) {
        if (FFlat)
          Invalidate();
        else
          UpdateHoverLook();
      }
      return;
    case forms::CM_ENABLEDCHANGED:
      TbsSkinCustomControl::Dispatch(M);
      if (CanMorphing()) {
        FMorphTimer.Stop();
        FMorphKf = 0;
      }
      FMouseIn = false;
      Repaint();
      return;
    case forms::CM_TEXTCHANGED:
      TbsSkinCustomControl::Dispatch(M);
      Repaint();
      return;
    case win::WM_MOVE:
      TbsSkinCustomControl::Dispatch(M);
      if (FFlat) Invalidate();
      return;
    case win::WM_ERASEBKGND:
      if (!FromWMPaint && !FFlat) PaintWindow(reinterpret_cast<gdi::HDC>(M.WParam));
      M.Result = 1;
      return;
  }
  TbsSkinCustomControl::Dispatch(M);
}

void TbsSkinCheckRadioBox::Notification(TComponent* AComponent, rtl::TOperation Operation) {
  TbsSkinCustomControl::Notification(AComponent, Operation);
  if (Operation == rtl::opRemove && AComponent == FImages) FImages = nullptr;
}

// ------------------------------------------------------------------ skin
void TbsSkinCheckRadioBox::GetSkinData() {
  TbsSkinCustomControl::GetSkinData();
  auto* D = dynamic_cast<TbsDataSkinCheckRadioControl*>(SkinDescriptionAt(FSD, FIndex));
  if (!D) return;
  FontName = D->FontName;
  FontColor = D->FontColor;
  ActiveFontColor = D->ActiveFontColor;
  FrameFontColor = D->FrameFontColor;
  UnEnabledFontColor = D->UnEnabledFontColor;
  FontStyle = D->FontStyle;
  FontHeight = D->FontHeight;
  ActiveSkinRect = IsEmptyRect(D->ActiveSkinRect) ? D->SkinRect : D->ActiveSkinRect;
  CheckImageArea = D->CheckImageArea;
  TextArea = D->TextArea;
  CheckImageRect = D->CheckImageRect;
  UnCheckImageRect = D->UnCheckImageRect;
  ActiveCheckImageRect = D->ActiveCheckImageRect;
  UnEnabledCheckImageRect = D->UnEnabledCheckImageRect;
  UnEnabledUnCheckImageRect = D->UnEnabledUnCheckImageRect;
  ActiveUnCheckImageRect = D->ActiveUnCheckImageRect;
  GrayedCheckImageRect = D->GrayedCheckImageRect;
  ActiveGrayedCheckImageRect = D->ActiveGrayedCheckImageRect;
  MorphingOn = D->Morphing;
  MorphKind = D->MorphKind;
  if (IsEmptyRect(UnEnabledCheckImageRect)) UnEnabledCheckImageRect = CheckImageRect;
  if (IsEmptyRect(ActiveCheckImageRect)) ActiveCheckImageRect = CheckImageRect;
  if (IsEmptyRect(UnEnabledUnCheckImageRect)) UnEnabledUnCheckImageRect = UnCheckImageRect;
  if (IsEmptyRect(ActiveUnCheckImageRect)) ActiveUnCheckImageRect = UnCheckImageRect;
  if (FFlat) {
    MorphingOn = false;
    MaskPicture = nullptr;  // a flat box has no window region
  }
}

void TbsSkinCheckRadioBox::AdjustSkinSize(int& W, int& H) {
  if (FFlat) return;
  TbsSkinCustomControl::AdjustSkinSize(W, H);
  if (FIndex == -1) return;
  const int d = W - RectWidth(SkinRect);
  NewTextArea = {TextArea.Left, TextArea.Top, TextArea.Right + d, TextArea.Bottom};
  TRect A = CheckImageArea;
  if (TextArea.Right < CheckImageArea.Right) A = {A.Left + d, A.Top, A.Right + d, A.Bottom};
  const int iw = RectWidth(CheckImageRect), ih = RectHeight(CheckImageRect);
  CIRect.Left = A.Left + RectWidth(A) / 2 - iw / 2;
  CIRect.Top = A.Top + RectHeight(A) / 2 - ih / 2;
  CIRect.Right = CIRect.Left + iw;
  CIRect.Bottom = CIRect.Top + ih;
}

void TbsSkinCheckRadioBox::ChangeSkinData() {
  if (FFlat) {
    GetSkinData();
    Repaint();
    return;
  }
  TbsSkinCustomControl::ChangeSkinData();
}

void TbsSkinCheckRadioBox::CheckParentBackground() {
  if (FFlat) Repaint();
}

// ------------------------------------------------------------------ painting
void TbsSkinCheckRadioBox::Paint() {
  if (Width() <= 0 || Height() <= 0) return;
  GetSkinData();
  // A description without a frame picture gives a framed box nothing to
  // draw its frame from: it shows the flat look instead of an empty image.
  if (FFlat || (FIndex != -1 && (ResizeMode < 0 || !Picture))) {
    TBitmap B(Width(), Height());
    DrawFlat(&B, FChecked, FState, false);
    Canvas()->Draw(0, 0, &B);
    return;
  }
  if (FIndex == -1) {
    TbsSkinCustomControl::Paint();
    return;
  }
  int W = Width(), H = Height();
  AdjustSkinSize(W, H);  // the text and image places for this width
  if (CanMorphing() && FMorphKf > 0 && FMorphKf < 1) {
    TBitmap B1(Width(), Height()), B2(Width(), Height());
    DrawFramedSkin(&B1, SkinRect, false);
    DrawFramedSkin(&B2, ActiveSkinRect, true);
    DrawMorphedLooks(Canvas(), &B1, &B2, MorphKind, FMorphKf);
    return;
  }
  const bool Active = FMouseIn || IsFocused();
  TBitmap B(Width(), Height());
  DrawFramedSkin(&B, Active ? ActiveSkinRect : SkinRect, Active);
  Canvas()->Draw(0, 0, &B);
}

void TbsSkinCheckRadioBox::DrawCheckImage(gdi::TCanvas* C, int X, int Y, bool AChecked, TCheckBoxState AState,
                                          bool AMouseIn) {
  TRect R;
  const bool Grayed = AState == cbGrayed;
  if (!Enabled())
    R = Grayed || AChecked ? UnEnabledCheckImageRect : UnEnabledUnCheckImageRect;
  else if (AMouseIn)
    R = Grayed || AChecked ? ActiveCheckImageRect : ActiveUnCheckImageRect;
  else
    R = Grayed || AChecked ? CheckImageRect : UnCheckImageRect;
  // A skin with grayed pictures gives them in every state, disabled too.
  if (Grayed && !IsEmptyRect(GrayedCheckImageRect))
    R = AMouseIn && !IsEmptyRect(ActiveGrayedCheckImageRect) ? ActiveGrayedCheckImageRect : GrayedCheckImageRect;
  if (!Picture || IsEmptyRect(R)) return;
  TBitmap I(RectWidth(R), RectHeight(R));
  I.Canvas()->CopyRect({0, 0, I.Width(), I.Height()}, Picture->Canvas(), R);
  if (Grayed && IsEmptyRect(GrayedCheckImageRect)) {
    // No grayed picture in the skin: the check image brightened halfway to white.
    std::unique_ptr<TbsEffectBmp> E(TbsEffectBmp::CreateFromhWnd(I.Handle()));
    E->ChangeBrightness(0.5);
    E->Draw(I.Canvas()->Handle(), 0, 0);
  }
  I.SetTransparent(true);
  C->Draw(X, Y, &I);
}

void TbsSkinCheckRadioBox::DrawPlainMark(gdi::TCanvas* C, bool AChecked, TCheckBoxState AState, bool Grayed) {
  C->Brush()->SetStyle(gdi::bsSolid);
  const int H = Height();
  if (Grayed && AState == cbGrayed && !FRadio) {
    DrawCheckMark(C, 7, H / 2 - 4, gdi::clGrayText);
    return;
  }
  if (!AChecked) return;
  const TColor Mark = Enabled() ? TColor(0) : gdi::clBtnShadow;
  if (FRadio)
    DrawSquareMark(C, 7, H / 2 - 3, Mark);
  else
    DrawCheckMark(C, 7, H / 2 - 4, Mark);
}

void TbsSkinCheckRadioBox::DrawFlat(TBitmap* B, bool AChecked, TCheckBoxState AState, bool ForCopy) {
  gdi::TCanvas* C = B->Canvas();
  PaintParentBackground(this, C);
  const int H = Height();
  if (FIndex == -1) {
    C->Font()->Assign(DefaultFont());
    ApplySkinCharset(C->Font(), FSD, DefaultFont());
    C->Brush()->SetStyle(gdi::bsClear);
    DrawFlatCaption(C, 22, 5, !ForCopy && IsFocused());
    const TRect Box{3, H / 2 - 7, 17, H / 2 + 7};
    C->Brush()->SetStyle(gdi::bsSolid);
    C->Brush()->SetColor(FMouseIn && !ForCopy ? kHoverFrame : gdi::clBtnShadow);
    C->FrameRect(Box);
    DrawPlainMark(C, AChecked, AState, !ForCopy);
    return;
  }
  DrawCheckImage(C, 3, H / 2 - RectHeight(CheckImageRect) / 2, AChecked, AState, FMouseIn);
  if (UseSkinFont)
    ApplyDescriptionFont(C->Font(), FontName, FontHeight, FontStyle);
  else
    C->Font()->Assign(DefaultFont());
  ApplySkinCharset(C->Font(), FSD, DefaultFont());
  if (!UseSkinFontColor)
    C->Font()->SetColor(DefaultFont()->Color());
  else
    C->Font()->SetColor(Enabled() ? FrameFontColor : UnEnabledFontColor);
  C->Brush()->SetStyle(gdi::bsClear);
  DrawFlatCaption(C, RectWidth(CheckImageRect) + 7, 8, !ForCopy && IsFocused());
}

// The caption (and image) of the flat looks, text from TextLeft; the dotted
// focus frame around it when ShowFocus.
void TbsSkinCheckRadioBox::DrawFlatCaption(gdi::TCanvas* C, int TextLeft, int ImageGap, bool ShowFocus) {
  const int H = Height();
  const String& Text = Caption();
  const bool Img = ImageShown();
  TRect R, T{};
  if (FWordWrap) {
    R = ClientRect();
    R.Left = TextLeft + (Img ? FImages->Width() : 0);
    T = R;
    MeasureText(C, Text, T, gdi::DT_EXPANDTABS | gdi::DT_WORDBREAK);
    const int th = RectHeight(T);
    T.Top = std::max(0, H / 2 - th / 2);
    T.Bottom = T.Top + th;
    R = ClientRect();
  } else {
    R = {};
    MeasureText(C, Text, R, 0);
  }
  const int rh = RectHeight(R);
  R = {R.Left + TextLeft, R.Top + H / 2 - rh / 2, R.Right + TextLeft, R.Bottom + H / 2 - rh / 2};
  R.Right = std::min(R.Right, Width() - 2);
  TRect ImageR{};
  if (Img) {
    ImageR = {R.Left, H / 2 - FImages->Height() / 2, R.Left + FImages->Width(), H / 2 - FImages->Height() / 2 + FImages->Height()};
    FImages->Draw(C, ImageR.Left, ImageR.Top, FImageIndex, Enabled());
    R.Left += FImages->Width() + ImageGap;
    R.Right += FImages->Width() + ImageGap;
    R.Right = std::min(R.Right, Width() - 2);
  }
  if (!Enabled() && FIndex == -1) C->Font()->SetColor(gdi::clBtnShadow);
  C->Brush()->SetStyle(gdi::bsClear);
  if (FWordWrap) {
    TRect TT = T;
    gdi::DrawText(CanvasTextDC(C), Text, &TT, gdi::DT_EXPANDTABS | gdi::DT_WORDBREAK);
  } else {
    DrawTextVCentered(C, Text, R);
  }
  if (!ShowFocus) return;
  R = {R.Left - 2, R.Top - 1, R.Right + 3, R.Bottom + 1};
  if (!Text.empty())
    DrawDotFocusRect(C, FWordWrap ? Inflated(T, 2, 1) : R);
  else if (Img)
    DrawDotFocusRect(C, Inflated(ImageR, 1, 1));
}

void TbsSkinCheckRadioBox::DrawFramedSkin(TBitmap* B, TRect S, bool Active) {
  CreateSkinImageFromRect(B, Picture, S);
  gdi::TCanvas* C = B->Canvas();
  DrawCheckImage(C, CIRect.Left, CIRect.Top + RectHeight(CIRect) / 2 - RectHeight(CheckImageRect) / 2, FChecked,
                 FState, FMouseIn);
  if (UseSkinFont)
    ApplyDescriptionFont(C->Font(), FontName, FontHeight, FontStyle);
  else
    C->Font()->Assign(DefaultFont());
  ApplySkinCharset(C->Font(), FSD, DefaultFont());
  C->Font()->SetColor(!Enabled() ? UnEnabledFontColor : Active ? ActiveFontColor : FontColor);
  C->Brush()->SetStyle(gdi::bsClear);
  DrawTextVCentered(C, Caption(), NewTextArea);
}

void TbsSkinCheckRadioBox::CreateControlDefaultImage(TBitmap* B) {
  TbsSkinCustomControl::CreateControlDefaultImage(B);
  gdi::TCanvas* C = B->Canvas();
  const int H = Height();
  if (IsFocused() || FMouseIn) {
    C->Brush()->SetColor(gdi::clBtnShadow);
    C->FrameRect(ClientRect());
  }
  C->Font()->Assign(DefaultFont());
  ApplySkinCharset(C->Font(), FSD, DefaultFont());
  if (!Enabled()) C->Font()->SetColor(gdi::clBtnShadow);
  C->Brush()->SetStyle(gdi::bsClear);
  DrawTextVCentered(C, Caption(), {19, 0, Width(), H});
  C->Brush()->SetStyle(gdi::bsSolid);
  C->Brush()->SetColor(FMouseIn ? kHoverFrame : gdi::clBtnShadow);
  C->FrameRect({3, H / 2 - 7, 17, H / 2 + 7});
  DrawPlainMark(C, FChecked, FState, true);
}

void TbsSkinCheckRadioBox::PaintSkinTo(gdi::TCanvas* C, int X, int Y, bool AChecked) {
  if (Width() <= 0 || Height() <= 0) return;
  GetSkinData();
  TBitmap B(Width(), Height());
  if (FFlat || (FIndex != -1 && (ResizeMode < 0 || !Picture))) {
    DrawFlat(&B, AChecked, AChecked ? cbChecked : cbUnchecked, true);
  } else if (FIndex != -1) {
    int W = Width(), H = Height();
    AdjustSkinSize(W, H);
    const bool SavedChecked = FChecked, SavedMouseIn = FMouseIn;
    FChecked = AChecked;
    FMouseIn = false;  // the normal look: no hover images
    DrawFramedSkin(&B, SkinRect, false);
    FChecked = SavedChecked;
    FMouseIn = SavedMouseIn;
  } else {
    return;
  }
  C->Draw(X, Y, &B);
}

}  // namespace skin
