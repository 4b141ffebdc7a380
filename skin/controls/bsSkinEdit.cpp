// The skinned edit: frame in the non-client area, skinned ground under the
// text, edit button and image buttons, height rules.
#include "skin/controls/bsSkinEdit.h"

#include "platform/forms/StdDraw.h"
#include "platform/gdi/Gdi.h"
#include "skin/controls/bsSkinButtons.h"
#include "skin/data/bsResourceStrData.h"

namespace skin {

using namespace win;

TbsSkinCustomEdit::TbsSkinCustomEdit(TComponent* AOwner) : TbsCustomEdit(AOwner) {
  Font()->SetName(u"Arial");
  Font()->SetHeight(14);
  Font()->SetColor(gdi::clBlack);
  Font()->SetStyle({});
  FEditTransparent = true;
  FDefaultColor = gdi::clWindow;
  FDefaultFont = MakeDefaultFont([this] { DefaultFontChange(); });
  FDefaultFont->SetColor(gdi::clBlack);
  SetBounds(Left(), Top(), Width(), 20);
}

TbsSkinCustomEdit::~TbsSkinCustomEdit() {
  if (FSD) FSD->RemoveFreeNotification(this);
  if (FImages) FImages->RemoveFreeNotification(this);
}

// ---- properties
void TbsSkinCustomEdit::SetSkinData(TbsSkinData* Value) {
  if (FSD) FSD->RemoveFreeNotification(this);
  FSD = Value;
  if (FSD) FSD->FreeNotification(this);
  if (FSD && !FSD->Empty && !ComponentState().Contains(rtl::csDesigning)) ChangeSkinData();
}

void TbsSkinCustomEdit::SetDefaultColor(TColor Value) {
  FDefaultColor = Value;
  GetSkinData();
  if (!Skinned()) Invalidate();
}

void TbsSkinCustomEdit::SetDefaultFont(gdi::TFont* Value) { FDefaultFont->Assign(Value); }

void TbsSkinCustomEdit::DefaultFontChange() {
  GetSkinData();
  if (!Skinned()) Font()->Assign(FDefaultFont.get());
}

void TbsSkinCustomEdit::SetDefaultWidth(int Value) {
  FDefaultWidth = Value;
  GetSkinData();
  if (!Skinned() && Value > 0) SetWidth(Value);
}

void TbsSkinCustomEdit::SetDefaultHeight(int Value) {
  FDefaultHeight = Value;
  GetSkinData();
  if (!Skinned() && Value > 0 && FUseSkinFont)
    SetHeight(Value);
  else
    AdjustHeight();
}

void TbsSkinCustomEdit::SetButtonMode(bool Value) {
  FButtonMode = Value;
  if (ComponentState().Contains(rtl::csDesigning) && !Loading()) FSkinDataName = Value ? u"buttonedit" : u"edit";
  FrameChanged();
}

void TbsSkinCustomEdit::SetAlignment(forms::TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  CalcImageRects(true);
  Invalidate();
}

void TbsSkinCustomEdit::SetImages(forms::TCustomImageList* Value) {
  if (FImages == Value) return;
  if (FImages) FImages->RemoveFreeNotification(this);
  FImages = Value;
  if (FImages) FImages->FreeNotification(this);
  CalcImageRects(true);
  Invalidate();
}

void TbsSkinCustomEdit::SetLeftImageIndex(int Value) {
  FLeftImageIndex = Value;
  CalcImageRects(true);
  Invalidate();
}

void TbsSkinCustomEdit::SetRightImageIndex(int Value) {
  FRightImageIndex = Value;
  CalcImageRects(true);
  Invalidate();
}

void TbsSkinCustomEdit::Loaded() {
  TbsCustomEdit::Loaded();
  if (FSD && FSD->ResourceStrData()) Font()->SetCharset(BYTE(FSD->ResourceStrData()->CharSet));
}

void TbsSkinCustomEdit::Notification(TComponent* AComponent, rtl::TOperation Operation) {
  TbsCustomEdit::Notification(AComponent, Operation);
  if (Operation != rtl::opRemove) return;
  if (AComponent == FSD) {
    FSD = nullptr;
    FIndex = -1;
  }
  if (AComponent == FImages) FImages = nullptr;
}

// ---- skin
void TbsSkinCustomEdit::GetSkinData() {
  FIndex = FSD && !FSD->Empty ? FSD->GetControlIndex(FSkinDataName) : -1;
  auto* D = dynamic_cast<TbsDataSkinEditControl*>(SkinDescriptionAt(FSD, FIndex));
  if (!D) {
    // Another kind of description under this name gives no edit look.
    FIndex = -1;
    Picture = nullptr;
    return;
  }
  Picture = SkinPictureAt(FSD, D->PictureIndex);
  SkinRect = D->SkinRect;
  ActiveSkinRect = IsEmptyRect(D->ActiveSkinRect) ? SkinRect : D->ActiveSkinRect;
  LOffset = D->LTPoint.X;
  ROffset = RectWidth(SkinRect) - D->RTPoint.X;
  ClRect = D->ClRect;
  FontName = D->FontName;
  FontStyle = D->FontStyle;
  FontHeight = D->FontHeight;
  FontColor = D->FontColor;
  DisabledFontColor = D->DisabledFontColor;
  ActiveFontColor = D->ActiveFontColor;
  ButtonRect = D->ButtonRect;
  ActiveButtonRect = D->ActiveButtonRect;
  DownButtonRect = IsEmptyRect(D->DownButtonRect) ? D->ActiveButtonRect : D->DownButtonRect;
  UnEnabledButtonRect = D->UnEnabledButtonRect;
  StretchEffect = D->StretchEffect;
}

void TbsSkinCustomEdit::ApplyCharSet() {
  if (FSD && FSD->ResourceStrData())
    Font()->SetCharset(BYTE(FSD->ResourceStrData()->CharSet));
  else
    Font()->SetCharset(FDefaultFont->Charset());
}

void TbsSkinCustomEdit::ApplyStateFontColor() {
  if (!Skinned())
    Font()->SetColor(FDefaultFont->Color());
  else
    Font()->SetColor(Focused() ? ActiveFontColor : FontColor);
}

void TbsSkinCustomEdit::ChangeSkinData() {
  GetSkinData();
  if (!Skinned()) {
    Font()->Assign(FDefaultFont.get());
    if (FDefaultWidth > 0) SetWidth(FDefaultWidth);
    if (FDefaultHeight > 0) SetHeight(FDefaultHeight);
  } else if (FUseSkinFont) {
    ApplyDescriptionFont(Font(), FontName, FontHeight, FontStyle);
    SetHeight(RectHeight(SkinRect));
    Font()->SetColor(Focused() ? ActiveFontColor : FontColor);
  } else {
    Font()->Assign(FDefaultFont.get());
    Font()->SetColor(Focused() ? ActiveFontColor : FontColor);
  }
  ApplyCharSet();
  FrameChanged();
  ApplyStateFontColor();
  if (!FUseSkinFont) AdjustHeight();
  RepaintFrame();
  if (FImages) {
    CalcImageRects(true);
    Invalidate();
  }
}

void TbsSkinCustomEdit::FrameChanged() {
  if (!HandleAllocated()) return;
  SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  CalcImageRects(true);
  RepaintFrame();
}

// ---- geometry
void TbsSkinCustomEdit::CalcRects() {
  const int W = Width(), H = Height();
  if (!Skinned()) {
    if (FButtonMode) {
      FButtonRect = {W - H, 0, W, H};
      FEditRect = {2, 2, FButtonRect.Left - 2, H - 2};
    } else {
      FEditRect = {2, 2, W - 2, H - 2};
    }
    return;
  }
  const int SW = RectWidth(SkinRect), SH = RectHeight(SkinRect);
  FEditRect = ClRect;
  FEditRect.Right = W - (SW - ClRect.Right);
  FButtonRect = ButtonRect;
  if (ButtonRect.Left >= SW - ROffset) {
    FButtonRect.Left += W - SW;
    FButtonRect.Right += W - SW;
  }
  if (!FUseSkinFont) {
    FEditRect.Bottom += H - SH;
    FButtonRect.Bottom += H - SH;
  }
}

TPoint TbsSkinCustomEdit::WindowOffset() const {
  return Skinned() ? TPoint{ClRect.Left, ClRect.Top} : TPoint{2, 2};
}

void TbsSkinCustomEdit::CalcImageRects(bool SetFormatRect) {
  if (!HandleAllocated()) return;
  TRect R = ClientRect();
  if (FImages) {
    FLeftButton.R = {};
    FRightButton.R = {};
    const int IW = FImages->Width();
    if (FLeftImageIndex >= 0) {
      FLeftButton.R = {R.Left, R.Top, R.Left + IW, R.Bottom};
      R.Left += IW + 2;
    }
    if (FRightImageIndex >= 0) {
      FRightButton.R = {R.Right - IW, R.Top, R.Right, R.Bottom};
      R.Right -= IW + 2;
    }
  }
  if (SetFormatRect) UpdateFormatRect(R);
}

// The text's formatting rectangle: what the image buttons leave, the text
// placed in it by Alignment while it fits.
void TbsSkinCustomEdit::UpdateFormatRect(TRect R) {
  if (!FImages && FAlignment == forms::taLeftJustify) {
    Perform(forms::EM_SETRECTNP, 0, 0);
    return;
  }
  // The margins of the single-line text: two pixels left, one above.
  R.Left += 2;
  R.Top += 1;
  if (FAlignment != forms::taLeftJustify) {
    const int TW = forms::FontTextWidth(Font(), PasswordChar() ? String(Text().size(), PasswordChar()) : Text());
    const int Room = RectWidth(R) - TW - 1;
    if (Room > 0) R.Left += FAlignment == forms::taRightJustify ? Room : Room / 2;
  }
  if (R.Right < R.Left) R.Right = R.Left;
  RECT Rc = R;
  Perform(forms::EM_SETRECTNP, 0, LPARAM(reinterpret_cast<std::intptr_t>(&Rc)));
}

int TbsSkinCustomEdit::CalcFontHeight() {
  GetSkinData();
  const int TH = forms::FontTextHeight(Font());
  return Skinned() ? TH + RectHeight(SkinRect) - RectHeight(ClRect) : TH + 4;
}

void TbsSkinCustomEdit::AdjustHeight() { SetHeight(CalcFontHeight()); }

void TbsSkinCustomEdit::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  GetSkinData();
  if ((AWidth != Width() || AHeight != Height()) && (Skinned() || !FUseSkinFont))
    AHeight = !FUseSkinFont ? CalcFontHeight() : RectHeight(SkinRect);
  if (Align() != forms::alNone) CentreOnContainer(this, ATop, AHeight);
  TbsCustomEdit::SetBounds(ALeft, ATop, AWidth, AHeight);
  Invalidate();
  RepaintFrame();
}

void TbsSkinCustomEdit::CreateParams(forms::TCreateParams& Params) {
  TbsCustomEdit::CreateParams(Params);
  Params.Style &= ~DWORD(WS_BORDER);
  Params.ExStyle &= ~DWORD(WS_EX_CLIENTEDGE | WS_EX_TRANSPARENT);
}

// ---- painting
void TbsSkinCustomEdit::RepaintFrame() {
  if (HandleAllocated() && Parent()) RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
}

void TbsSkinCustomEdit::PaintBackground(HDC, const TRect&) {
  PaintClientBackground(Canvas());
  DrawImages(Canvas());
}

void TbsSkinCustomEdit::Paint() {
  GetSkinData();
  CalcRects();
  if (Enabled()) {
    TbsCustomEdit::Paint();
    return;
  }
  PaintBackground(Canvas()->Handle(), ClientRect());
  PaintDisabledText(Canvas());
}

void TbsSkinCustomEdit::PaintClientBackground(gdi::TCanvas* C) {
  const int W = RectWidth(FEditRect), H = RectHeight(FEditRect);
  if (W <= 0 || H <= 0) return;
  TBitmap B(W, H);
  if (!Skinned() || !Picture) {
    B.Canvas()->Brush()->SetColor(FDefaultColor);
    B.Canvas()->FillRect({0, 0, W, H});
    C->Draw(0, 0, &B);
    return;
  }
  const int SW = RectWidth(SkinRect);
  const TRect F = FaceRect();
  const TRect Src{F.Left + ClRect.Left, F.Top + ClRect.Top, F.Left + ClRect.Right, F.Top + ClRect.Bottom};
  ComposeHorzSkinImage(IntMax(0, LOffset - ClRect.Left), IntMax(0, ClRect.Right - (SW - ROffset)), &B, Picture, Src,
                       W, RectHeight(ClRect), StretchEffect);
  if (FUseSkinFont)
    C->Draw(0, 0, &B);
  else
    C->StretchDraw({0, 0, W, H}, &B);
}

void TbsSkinCustomEdit::DrawImages(gdi::TCanvas* C) {
  if (!FImages) return;
  CalcImageRects(false);
  auto Valid = [this](int I) { return I >= 0 && I < FImages->Count(); };
  auto Draw = [&](const TbsCBButtonX& Btn, int Normal, int Hot, int Down) {
    if (!Valid(Normal)) return;
    int I = Normal;
    if (Btn.Down && Btn.MouseIn && Valid(Down))
      I = Down;
    else if (Btn.MouseIn && Valid(Hot))
      I = Hot;
    const int Y = IntMax(Btn.R.Top, Btn.R.Top + RectHeight(Btn.R) / 2 - FImages->Height() / 2);
    FImages->Draw(C, Btn.R.Left, Y, I, Enabled());
  };
  Draw(FLeftButton, FLeftImageIndex, LeftImageHotIndex, LeftImageDownIndex);
  Draw(FRightButton, FRightImageIndex, RightImageHotIndex, RightImageDownIndex);
}

void TbsSkinCustomEdit::PaintDisabledText(gdi::TCanvas* C) {
  gdi::TFont F;
  if (Skinned() && FUseSkinFont) {
    ApplyDescriptionFont(&F, FontName, FontHeight, FontStyle);
    F.SetColor(DisabledFontColor);
  } else {
    F.Assign(FDefaultFont.get());
    F.SetColor(Skinned() ? DisabledFontColor : gdi::clGrayText);
  }
  F.SetCharset(FSD && FSD->ResourceStrData() ? BYTE(FSD->ResourceStrData()->CharSet) : FDefaultFont->Charset());
  const TRect Area{0, 0, RectWidth(FEditRect), RectHeight(FEditRect)};
  const String S = PasswordChar() ? String(Text().size(), PasswordChar()) : Text();
  const int TW = forms::FontTextWidth(&F, S);
  int X = 2;
  if (FAlignment == forms::taRightJustify)
    X = RectWidth(Area) - TW - 1;
  else if (FAlignment == forms::taCenter)
    X = RectWidth(Area) / 2 - TW / 2;
  HDC DC = C->Handle();
  const int Saved = gdi::SaveDC(DC);
  gdi::SelectObject(DC, F.Handle());
  // On the enabled text's line, so that the text keeps its place.
  const int Y = IntMin(FormatRect().Top, 1);
  forms::stddraw::DrawTextIn(DC, S, {X, Y, Area.Right, Area.Bottom}, F.Color(),
                             gdi::DT_LEFT | gdi::DT_TOP | gdi::DT_SINGLELINE | gdi::DT_NOPREFIX);
  gdi::RestoreDC(DC, Saved);
}

void TbsSkinCustomEdit::PaintFrameTo(HDC DC, bool Exclude) {
  if (!DC || Width() <= 0 || Height() <= 0) return;
  GetSkinData();
  CalcRects();
  TBitmap B(Width(), Height());
  if (!Skinned() || FUseSkinFont)
    PaintFrame(&B);
  else
    PaintStretchedFrame(&B);
  const int Saved = gdi::SaveDC(DC);
  if (Exclude) gdi::ExcludeClipRect(DC, FEditRect.Left, FEditRect.Top, FEditRect.Right, FEditRect.Bottom);
  gdi::TCanvas C;
  C.SetHandle(DC);
  C.Draw(0, 0, &B);
  C.SetHandle(nullptr);
  gdi::RestoreDC(DC, Saved);
}

void TbsSkinCustomEdit::PaintFrame(TBitmap* B) {
  gdi::TCanvas* C = B->Canvas();
  const int W = Width(), H = Height();
  if (!Skinned() || !Picture) {
    const int BW = FButtonMode ? W - FButtonRect.Left : 0;
    TRect R{0, 0, W - BW, H};
    C->Brush()->SetColor(gdi::clBtnShadow);
    C->FrameRect(R);
    R = {R.Left + 1, R.Top + 1, R.Right - 1, R.Bottom - 1};
    C->Brush()->SetColor(gdi::clBtnFace);
    C->FrameRect(R);
    R = {R.Left + 1, R.Top + 1, R.Right - 1, R.Bottom - 1};
    C->Brush()->SetColor(FDefaultColor);
    C->FillRect(R);
    if (FButtonMode) DrawPlainButtonFrame(C, FButtonRect, FButtonDown && FButtonActive, FButtonActive);
    return;
  }
  ComposeHorzSkinImage(LOffset, ROffset, B, Picture, FaceRect(), W, H, StretchEffect);
  if (!FButtonMode) return;
  TRect Src{};
  if (!Enabled() && !IsEmptyRect(UnEnabledButtonRect))
    Src = UnEnabledButtonRect;
  else if (FButtonDown && FButtonActive)
    Src = DownButtonRect;
  else if (FButtonActive)
    Src = ActiveButtonRect;
  if (!IsEmptyRect(Src))
    C->CopyRect(FButtonRect, Picture->Canvas(), {Src.Left, Src.Top, Src.Left + RectWidth(FButtonRect),
                                                 Src.Top + RectHeight(FButtonRect)});
}

void TbsSkinCustomEdit::PaintStretchedFrame(TBitmap* B) {
  B->SetSize(Width(), Height());
  if (Picture) ComposeStretchedSkinImage(B, Picture, FaceRect(), ClRect, true);
  if (FButtonMode) DrawEditButton(B->Canvas());
}

void TbsSkinCustomEdit::DrawEditButton(gdi::TCanvas* C) {
  TbsDataSkinButtonControl* D = FindButtonDescription(FSD, u"editbutton");
  if (!D) D = FindButtonDescription(FSD, u"resizebutton");
  if (!D) return;
  DrawButtonDescriptionFace(FSD, D, C, FButtonRect, FButtonActive, FButtonDown);
}

// ---- pointer
win::LRESULT TbsSkinCustomEdit::HitTest(TPoint Screen) {
  const TPoint P = ScreenToClient(Screen);
  if (FImages) {
    if (FLeftImageIndex >= 0 && FLeftButton.R.Contains(P)) {
      SetImageHot(FLeftButton, true);
      return HT_EDIT_LEFT_IMAGE;
    }
    if (FRightImageIndex >= 0 && FRightButton.R.Contains(P)) {
      SetImageHot(FRightButton, true);
      return HT_EDIT_RIGHT_IMAGE;
    }
    SetImageHot(FLeftButton, false);
    SetImageHot(FRightButton, false);
  }
  if (FButtonMode) {
    GetSkinData();
    CalcRects();
    const TPoint O = WindowOffset();
    const TPoint W{P.X + O.X, P.Y + O.Y};
    if (FButtonRect.Contains(W)) return HTHSCROLL;
    if (!FEditRect.Contains(W)) return HTVSCROLL;
  }
  return -1000;  // the framework's answer
}

void TbsSkinCustomEdit::SetImageHot(TbsCBButtonX& Btn, bool Hot) {
  if (Btn.MouseIn == Hot) return;
  Btn.MouseIn = Hot;
  Invalidate();
}

void TbsSkinCustomEdit::SetEditButtonHot(bool Hot) {
  if (FButtonActive == Hot) return;
  FButtonActive = Hot;
  RepaintFrame();
  Invalidate();
}

// The pointer came over the edit or left it: without the focus a skinned
// edit shows its hot look (face and font colour) while the pointer is over it.
void TbsSkinCustomEdit::PointerOver(bool In) {
  FMouseIn = In;
  GetSkinData();
  if (Focused() || !Skinned()) return;
  Font()->SetColor(In ? ActiveFontColor : FontColor);
  CalcImageRects(true);
  RepaintFrame();
  Invalidate();
}

void TbsSkinCustomEdit::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_NCCALCSIZE: {
      GetSkinData();
      auto* P = reinterpret_cast<NCCALCSIZE_PARAMS*>(M.LParam);
      if (!P) return;
      RECT& R = P->rgrc[0];
      if (!Skinned()) {
        R = {R.Left + 2, R.Top + 2, R.Right - (FButtonMode ? Height() + 2 : 2), R.Bottom - 2};
      } else {
        R = {R.Left + ClRect.Left, R.Top + ClRect.Top, R.Right - (RectWidth(SkinRect) - ClRect.Right),
             R.Bottom - (RectHeight(SkinRect) - ClRect.Bottom)};
      }
      M.Result = 0;
      return;
    }
    case WM_NCPAINT: {
      HDC DC = GetWindowDC(Handle());
      PaintFrameTo(DC, true);
      ReleaseDC(Handle(), DC);
      return;
    }
    case MSG_SKIN_PAINT_TO_DC:
      if (!M.WParam) return;
      PaintFrameTo(HDC(M.WParam), false);
      M.Result = MSG_SKIN_PAINT_TO_DC_ANSWER;
      return;
    case MSG_SKIN_PAINT_NC_TO_DC:
      if (M.LParam != MSG_SKIN_PAINT_NC_KEY) break;
      if (M.WParam) PaintFrameTo(HDC(M.WParam), true);
      M.Result = MSG_SKIN_PAINT_NC_KEY;
      return;
    case WM_NCHITTEST: {
      if (ComponentState().Contains(rtl::csDesigning)) break;
      const LRESULT Hit = HitTest({GET_X_LPARAM(M.LParam), GET_Y_LPARAM(M.LParam)});
      if (Hit == -1000) break;
      M.Result = Hit;
      return;
    }
    case WM_NCLBUTTONDOWN: case WM_NCLBUTTONDBLCLK: {
      const LRESULT Hit = LRESULT(M.WParam);
      if (Hit == HT_EDIT_LEFT_IMAGE || Hit == HT_EDIT_RIGHT_IMAGE) {
        (Hit == HT_EDIT_LEFT_IMAGE ? FLeftButton : FRightButton).Down = true;
        if (!Focused() && CanFocus()) SetFocus();
        Invalidate();
        if (M.Msg == WM_NCLBUTTONDBLCLK) Update();
        return;
      }
      if (Hit == HTHSCROLL && FButtonMode) {
        FButtonDown = true;
        RepaintFrame();
        return;
      }
      break;
    }
    case WM_NCLBUTTONUP: {
      const LRESULT Hit = LRESULT(M.WParam);
      if ((Hit == HT_EDIT_LEFT_IMAGE && FLeftButton.Down) || (Hit == HT_EDIT_RIGHT_IMAGE && FRightButton.Down)) {
        const bool Left = Hit == HT_EDIT_LEFT_IMAGE;
        (Left ? FLeftButton : FRightButton).Down = false;
        Invalidate();
        TNotifyEvent& E = Left ? OnLeftButtonClick : OnRightButtonClick;
        if (E) E(this);
        return;
      }
      if (Hit == HTHSCROLL && FButtonMode) {
        FButtonDown = false;
        RepaintFrame();
        forms::TLiveness Live = Liveness();
        if (!Focused() && CanFocus()) SetFocus();
        if (Live.Alive() && OnButtonClick) OnButtonClick(this);
        return;
      }
      DefaultHandler(M);
      return;
    }
    case WM_NCMOUSEMOVE:
      if (FButtonMode) SetEditButtonHot(LRESULT(M.WParam) == HTHSCROLL);
      break;
    case WM_MOUSEMOVE:
      TbsCustomEdit::Dispatch(M);
      if (FButtonActive) {
        FButtonActive = false;
        RepaintFrame();
      }
      return;
    case forms::CM_MOUSEENTER:
      PointerOver(true);
      break;
    case forms::CM_MOUSELEAVE:
      PointerOver(false);
      if (FButtonDown || FButtonActive) {
        FButtonDown = FButtonActive = false;
        RepaintFrame();
        Invalidate();
      }
      SetImageHot(FLeftButton, false);
      SetImageHot(FRightButton, false);
      break;
    case WM_SETFOCUS: case WM_KILLFOCUS: {
      TbsCustomEdit::Dispatch(M);
      RepaintFrame();
      Invalidate();
      GetSkinData();
      if (Skinned() && !FMouseIn) Font()->SetColor(M.Msg == WM_SETFOCUS ? ActiveFontColor : FontColor);
      CalcImageRects(true);
      return;
    }
    case WM_SIZE:
      TbsCustomEdit::Dispatch(M);
      CalcImageRects(true);
      RepaintFrame();
      return;
    case forms::CM_ENABLEDCHANGED:
      TbsCustomEdit::Dispatch(M);
      Invalidate();
      RepaintFrame();
      return;
    case forms::CM_FONTCHANGED:
      TbsCustomEdit::Dispatch(M);
      if (!FUseSkinFont && !Loading()) {
        AdjustHeight();
        GetSkinData();
        if (!Skinned()) FrameChanged();
      }
      return;
  }
  TbsCustomEdit::Dispatch(M);
}

void TbsSkinCustomEdit::Change() {
  TbsCustomEdit::Change();
  if (FAlignment != forms::taLeftJustify) CalcImageRects(true);
}

}  // namespace skin
