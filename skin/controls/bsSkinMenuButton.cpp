#include "platform/forms/Forms.h"
#include "skin/controls/bsSkinButtons.h"
#include "skin/controls/bsSkinMenuIntf.h"

namespace skin {

namespace {
constexpr int kStrip = 15;

TRect OrRect(const TRect& A, const TRect& B) { return IsEmptyRect(A) ? B : A; }
}  // namespace

TbsSkinMenuSpeedButton::TbsSkinMenuSpeedButton(TComponent* AOwner) : TbsSkinSpeedButton(AOwner) {
  FSkinDataName = u"toolmenubutton";
}

void TbsSkinMenuSpeedButton::SetNewStyle(bool Value) {
  FNewStyle = Value;
  if (Value) FSkinDataName = u"resizetoolbutton";
}
void TbsSkinMenuSpeedButton::SetTrackPosition(TbsTrackPosition Value) {
  FTrackPosition = Value;
  Repaint();
}
void TbsSkinMenuSpeedButton::SetSkinImagesMenu(TbsSkinImagesMenu* Value) {
  SetImagesMenu(Value);
  if (Value) Value->FOnInternalChange = [this](TObject*) { Repaint(); };
  Repaint();
}
void TbsSkinMenuSpeedButton::SetSkinPopupMenu(TbsSkinPopupMenu* Value) {
  if (FSkinPopupMenu) FSkinPopupMenu->RemoveFreeNotification(this);
  FSkinPopupMenu = Value;
  if (Value) Value->FreeNotification(this);
}
void TbsSkinMenuSpeedButton::SetTrackButtonMode(bool Value) {
  FTrackButtonMode = Value;
  if (FIndex == -1) Repaint();
}

void TbsSkinMenuSpeedButton::Notification(TComponent* AComponent, rtl::TOperation Operation) {
  TbsSkinSpeedButton::Notification(AComponent, Operation);
  if (Operation == rtl::opRemove && AComponent == FSkinPopupMenu) FSkinPopupMenu = nullptr;
}

bool TbsSkinMenuSpeedButton::StripStyle() const {
  return FSkinDataName == u"resizebutton" || FSkinDataName == u"resizetoolbutton" ||
         FSkinDataName == u"toolbutton" || FSkinDataName == u"bigtoolbutton";
}

TRect TbsSkinMenuSpeedButton::GetTrackButtonRect() {
  TRect R = TrackButtonRect;
  if (ResizeMode == 2) {
    const int d = Width() - RectWidth(SkinRect);
    R = {R.Left + d, R.Top, R.Right + d, R.Bottom};
  } else if (ResizeMode == 3) {
    const int d = Height() - RectHeight(SkinRect);
    R = {R.Left, R.Top + d, R.Right, R.Bottom + d};
  }
  return R;
}

bool TbsSkinMenuSpeedButton::IsTrackArea(int X, int Y) {
  if (!FSkinPopupMenu && !SkinImagesMenu()) return false;
  if (!FTrackButtonMode) return true;
  TRect R;
  GetSkinData();
  if (FIndex != -1 && !StripStyle())
    R = GetTrackButtonRect();
  else if (FNewStyle && FTrackPosition == bstpBottom)
    R = {0, Height() - kStrip, Width(), Height()};
  else
    R = {Width() - kStrip, 0, Width(), Height()};
  return PointInRectInclusive(R, {X, Y});
}

void TbsSkinMenuSpeedButton::GetSkinData() {
  TbsSkinSpeedButton::GetSkinData();
  if (FIndex == -1) return;
  if (auto* D = dynamic_cast<TbsDataSkinMenuButtonControl*>(FSD->CtrlList[FIndex].get()))
    TrackButtonRect = D->TrackButtonRect;
}

void TbsSkinMenuSpeedButton::MouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) {
  if (Button == forms::mbLeft) {
    FMenuTracked = IsTrackArea(X, Y);
    FMouseIn = true;
    if (FMenuTracked) {
      if (!FDown) SetDown(true);
      ShowTrackMenu();
      return;
    }
  }
  TbsSkinSpeedButton::MouseDown(Button, Shift, X, Y);
}

void TbsSkinMenuSpeedButton::MouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) {
  if (FMenuTracked) return;
  TbsSkinSpeedButton::MouseUp(Button, Shift, X, Y);
}

void TbsSkinMenuSpeedButton::ShowTrackMenu() {
  const TPoint P = ClientOrigin();
  const TRect R{P.X, P.Y, P.X + Width(), P.Y + Height()};
  auto Live = Liveness();
  if (FSkinPopupMenu) {
    if (OnShowTrackMenu) OnShowTrackMenu(this);
    FSkinPopupMenu->PopupFromRect2(this, R, false);
    if (!Live.Alive()) return;
  }
  if (TbsSkinImagesMenu* IM = SkinImagesMenu()) {
    if (OnShowTrackMenu) OnShowTrackMenu(this);
    IM->FOnInternalMenuClose = [this](TObject*) { CloseTrackMenu(); };
    IM->PopupFromRect(R);
  }
}

void TbsSkinMenuSpeedButton::CloseTrackMenu() {
  FMenuTracked = false;
  SetDown(false);
  if (OnHideTrackMenu) OnHideTrackMenu(this);
  FMouseIn = false;
  Repaint();
}

void TbsSkinMenuSpeedButton::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case forms::CM_MOUSEENTER:
    case forms::CM_MOUSELEAVE:
      if (Designing()) return;
      if (FMenuTracked) {
        FMouseIn = M.Msg == forms::CM_MOUSEENTER;
        return;
      }
      break;
    case MSG_SKIN_MENU_CLOSED:
      FMenuTracked = false;
      SetDown(false);
      FMouseIn = false;
      if (OnHideTrackMenu) OnHideTrackMenu(this);
      Repaint();
      return;
  }
  TbsSkinSpeedButton::Dispatch(M);
}

// ---- drawing
TColor TbsSkinMenuSpeedButton::StripCaptionColor(bool Pressed, bool Hot) {
  if (Enabled() && !UseSkinFontColor) return DefaultFont()->Color();
  if (!Enabled()) return FLook.DisabledFontColor;
  if (Pressed) return FLook.DownFontColor;
  if (!Hot) return FLook.FontColor;
  return FLook.ActiveFontColor;
}

void TbsSkinMenuSpeedButton::DrawMenuMarker(gdi::TCanvas* C, TRect R, bool AActive, bool ADown, bool AFlat) {
  if (!Picture) return;
  const TRect S = ADown ? FLook.MenuMarkerDownRect
                  : AActive ? FLook.MenuMarkerActiveRect
                  : AFlat   ? FLook.MenuMarkerFlatRect
                            : FLook.MenuMarkerRect;
  if (IsEmptyRect(S)) return;
  TBitmap B(RectWidth(S), RectHeight(S));
  B.Canvas()->CopyRect({0, 0, B.Width(), B.Height()}, Picture->Canvas(), S);
  B.SetTransparentColor(FLook.MenuMarkerTransparentColor);
  B.SetTransparent(true);
  C->Draw(R.Left + RectWidth(R) / 2 - B.Width() / 2, R.Top + RectHeight(R) / 2 - B.Height() / 2, &B);
}

void TbsSkinMenuSpeedButton::DrawMarker(gdi::TCanvas* C, TRect M, bool Hot, bool DownOrOpen, TColor CaptionColour) {
  if (FDrawStandardArrow)
    DrawArrow(C, M, CaptionColour, FArrowType);
  else if (!IsEmptyRect(FLook.MenuMarkerRect))
    DrawMenuMarker(C, M, Hot, DownOrOpen, false);
  else
    DrawDropDownArrow(C, M, FMenuTracked ? FLook.DownFontColor : CaptionColour);
}

void TbsSkinMenuSpeedButton::ComposePart(TBitmap* B, TRect Src, int W, int H, bool Resize) {
  B->SetSize(W, H);
  if (!Picture) return;
  if (!Resize) {
    ComposeStretchedSkinImage(B, Picture, Src, ClRect, true);
    return;
  }
  const int dW = W - RectWidth(SkinRect), dH = H - RectHeight(SkinRect);
  ComposeSkinImage(LTPt, RTPt, LBPt, RBPt, ClRect, LTPt, {RTPt.X + dW, RTPt.Y}, {LBPt.X, LBPt.Y + dH},
                   {RBPt.X + dW, RBPt.Y + dH}, {ClRect.Left, ClRect.Top, ClRect.Right + dW, ClRect.Bottom + dH}, B,
                   Picture, Src, W, H, true, LeftStretch, TopStretch, RightStretch, BottomStretch, StretchEffect,
                   StretchType);
}

void TbsSkinMenuSpeedButton::DrawStripStyleImage(TBitmap* B, bool ADown, bool AMouseIn, bool Resize) {
  const bool Hot = AMouseIn, Pressed = Hot && ADown, Open = FMenuTracked;
  const TRect rN = SkinRect, rA = OrRect(FLook.ActiveSkinRect, rN), rD = OrRect(FLook.DownSkinRect, rA);
  gdi::TCanvas* C = B->Canvas();
  bool CaptionPressed = false;
  if (!FTrackButtonMode) {
    const TRect* Src = Pressed ? &rD : Hot ? &rA : Flat() ? nullptr : &rN;
    CaptionPressed = Pressed;
    if (Src) {
      TBitmap P;
      ComposePart(&P, *Src, Width(), Height(), Resize);
      C->Draw(0, 0, &P);
    }
  } else {
    const TRect *Main = nullptr, *Track = nullptr;
    if (Open) Main = &rA, Track = &rD;
    else if (Pressed) Main = Track = &rD, CaptionPressed = true;
    else if (Hot) Main = Track = &rA;
    else if (!Flat()) Main = Track = &rN;
    if (Main) {
      TBitmap P, T;
      ComposePart(&P, *Main, Width() - kStrip, Height(), Resize);
      ComposePart(&T, *Track, kStrip, Height(), Resize);
      C->Draw(0, 0, &P);
      C->Draw(Width() - kStrip, 0, &T);
    }
  }
  const TRect T{0, 0, Width() - kStrip, Height()};
  SetCaptionFont(C);
  const TColor Colour = StripCaptionColor(Pressed, Hot);
  C->Font()->SetColor(Colour);
  DrawContent(C, T, CaptionPressed, ADown, Hot, false, ButtonGlyphNum(NumGlyphs(), Enabled(), ADown, Hot));
  TRect M{Width() - kStrip, T.Top, Width(), T.Bottom};
  if (Pressed || Open) {
    M.Top += 2;
    M.Left = Width() - 13;
  }
  DrawMarker(C, M, Hot, Pressed || Open, Colour);
}

void TbsSkinMenuSpeedButton::DrawDescriptionImage(TbsDataSkinButtonControl* D, gdi::TCanvas* C, TRect R, bool AHot,
                                                  bool ADown) {
  TBitmap* P = SkinPictureAt(FSD, D->PictureIndex);
  if (!P || IsEmptyRect(R)) return;
  const TRect rN = D->SkinRect, rA = OrRect(D->ActiveSkinRect, rN), rD = OrRect(D->DownSkinRect, rA);
  const TRect Src = AHot && ADown ? rD : AHot ? rA : rN;
  DrawButtonDescriptionImage(C, D, P, Src, R);
}

void TbsSkinMenuSpeedButton::DrawNewStyleImage(TBitmap* B, bool ADown, bool AMouseIn) {
  const bool Hot = AMouseIn, Bottom = FTrackPosition == bstpBottom;
  const TRect S = Bottom ? TRect{0, Height() - kStrip, Width(), Height()} : TRect{Width() - kStrip, 0, Width(), Height()};
  TRect R{0, 0, Width(), Height()};
  const bool Split = FTrackButtonMode && Hot;
  if (Split) R = Bottom ? TRect{0, 0, Width(), S.Top} : TRect{0, 0, S.Left, Height()};
  auto Find = [&](const char16_t* N) -> TbsDataSkinButtonControl* {
    const int I = FSD->GetControlIndex(N);
    return I < 0 ? nullptr : dynamic_cast<TbsDataSkinButtonControl*>(FSD->CtrlList[I].get());
  };
  TbsDataSkinButtonControl* D = Find(u"resizetoolbutton");
  if (!D) D = Find(u"resizebutton");
  if (!D) return;
  TbsDataSkinButtonControl* TD = nullptr;
  if (Split) {
    TD = Find(Bottom ? u"htracktoolbutton" : u"vtracktoolbutton");
    if (TD)
      R = {0, 0, Width(), Height()};
    else
      TD = D;
  }
  const bool Pressed = Hot && ADown && !(FTrackButtonMode && FMenuTracked);
  gdi::TCanvas* C = B->Canvas();
  DrawDescriptionImage(D, C, R, Hot, Pressed);
  if (Split) DrawDescriptionImage(TD, C, S, Hot, FMenuTracked);
  const TRect T = Bottom ? TRect{0, 0, Width(), S.Top} : TRect{0, 0, S.Left, Height()};
  SetCaptionFont(C);
  const TColor Colour = StripCaptionColor(Pressed, Hot);
  C->Font()->SetColor(Colour);
  DrawContent(C, T, Pressed, ADown, Hot, false, ButtonGlyphNum(NumGlyphs(), Enabled(), ADown, Hot));
  TRect M = S;
  if (Hot && ADown && (!FTrackButtonMode || FMenuTracked)) M = {M.Left + 1, M.Top + 1, M.Right + 1, M.Bottom + 1};
  DrawMarker(C, M, Hot, Pressed || FMenuTracked, Colour);
}

void TbsSkinMenuSpeedButton::CreateStateImage(TBitmap* B, TRect R, bool ADown, bool AMouseIn) {
  if (FNewStyle && FSkinDataName == u"resizetoolbutton") {
    DrawNewStyleImage(B, ADown, AMouseIn);
  } else if (FSkinDataName == u"toolbutton" || FSkinDataName == u"bigtoolbutton") {
    DrawStripStyleImage(B, ADown, AMouseIn, false);
  } else if (FSkinDataName == u"resizebutton" || FSkinDataName == u"resizetoolbutton") {
    DrawStripStyleImage(B, ADown, AMouseIn, true);
  } else if (FMenuTracked && FTrackButtonMode && !IsEmptyRect(TrackButtonRect) &&
             !IsEmptyRect(FLook.DownSkinRect)) {
    TbsSkinSpeedButton::CreateStateImage(B, FLook.ActiveSkinRect, false, true);
    const TRect Src{FLook.DownSkinRect.Left + TrackButtonRect.Left, FLook.DownSkinRect.Top + TrackButtonRect.Top,
                    FLook.DownSkinRect.Left + TrackButtonRect.Right, FLook.DownSkinRect.Top + TrackButtonRect.Bottom};
    if (Picture) B->Canvas()->CopyRect(GetTrackButtonRect(), Picture->Canvas(), Src);
  } else {
    TbsSkinSpeedButton::CreateStateImage(B, R, ADown, AMouseIn);
  }
}

void TbsSkinMenuSpeedButton::Paint() {
  if (FMouseIn || FDown || FMenuTracked || !Transparent()) {
    TbsSkinSpeedButton::Paint();
    return;
  }
  GetSkinData();
  gdi::TCanvas* C = Canvas();
  const bool Skinned = FIndex != -1, Own = Skinned && !StripStyle();
  const bool Bottom = FNewStyle && FTrackPosition == bstpBottom;
  TRect T = Own ? NewClRect : Bottom ? TRect{0, 0, Width(), Height() - kStrip} : TRect{0, 0, Width() - kStrip, Height()};
  if (Skinned && UseSkinFont)
    ApplyDescriptionFont(C->Font(), FLook.FontName, FLook.FontHeight, FLook.FontStyle);
  else
    C->Font()->Assign(DefaultFont());
  if (Skinned) {
    const auto& K = FSD->SkinColors();
    C->Font()->SetColor(!Enabled() ? K.cBtnShadow : UseSkinFontColor ? K.cBtnText : DefaultFont()->Color());
  }
  if (!Enabled()) C->Font()->SetColor(gdi::clBtnShadow);
  DrawContent(C, T, false, FDown, FMouseIn, true, ButtonGlyphNum(NumGlyphs(), Enabled(), false, false));
  TRect M = Own ? TRect{T.Right, T.Top, Width(), T.Bottom}
            : Bottom ? TRect{0, Height() - kStrip, Width(), Height()}
                     : TRect{Width() - kStrip, 0, Width(), Height()};
  if (!Skinned) {
    DrawDropDownArrow(C, M, gdi::clBtnText);
    return;
  }
  if (ResizeMode != 1) M.Left -= 2;
  if (!IsEmptyRect(FLook.MenuMarkerFlatRect))
    DrawMenuMarker(C, M, false, false, true);
  else
    DrawDropDownArrow(C, M, FSD->SkinColors().cBtnText);
}

void TbsSkinMenuSpeedButton::CreateControlDefaultImage(TBitmap* B) {
  gdi::TCanvas* C = B->Canvas();
  const bool Hot = FMouseIn, Open = FMenuTracked, DownHot = FDown && Hot;
  const bool Bottom = FNewStyle && FTrackPosition == bstpBottom;
  const TRect S = Bottom ? TRect{0, Height() - kStrip, Width(), Height()} : TRect{Width() - kStrip, 0, Width(), Height()};
  const TRect Main = Bottom ? TRect{0, 0, Width(), S.Top} : TRect{0, 0, S.Left, Height()};
  const TRect All{0, 0, Width(), Height()};
  bool CaptionPressed = false;
  auto Look = [&](TRect R, TColor Inside) {
    C->Brush()->SetColor(Inside);
    C->FillRect(R);
    C->Brush()->SetColor(0x800000);
    C->FrameRect(R);
  };
  constexpr TColor kHotFace = 0xD2BDB6, kDownFace = 0xB59385;
  const bool Split = FNewStyle ? FTrackButtonMode && Hot : FTrackButtonMode;
  if (Split && Open) {
    Look(Main, kHotFace);
    Look(S, kDownFace);
  } else if (DownHot) {
    CaptionPressed = true;
    if (Split && FNewStyle) {
      Look(Main, kDownFace);
      Look(S, kHotFace);
    } else if (Split) {
      Look(Main, kDownFace);
      Look(S, kDownFace);
    } else {
      Look(All, kDownFace);
    }
  } else if (Hot) {
    if (Split) {
      Look(Main, kHotFace);
      Look(S, kHotFace);
    } else {
      Look(All, kHotFace);
    }
  } else {
    DrawPlainButtonFrame(C, All, false, false, !Flat());
    if (Split && !Flat()) {
      C->Brush()->SetColor(gdi::clBtnShadow);
      C->FrameRect(S);
    }
  }
  C->Font()->Assign(DefaultFont());
  if (!Enabled()) C->Font()->SetColor(gdi::clBtnShadow);
  DrawContent(C, Main, CaptionPressed, FDown, Hot, false, ButtonGlyphNum(NumGlyphs(), Enabled(), FDown, Hot));
  TRect M = FNewStyle ? S : TRect{Width() - kStrip, 0, Width(), Height()};
  if (DownHot || Open) {
    if (FNewStyle)
      M = {M.Left + 2, M.Top + 2, M.Right + 2, M.Bottom + 2};
    else {
      M.Top += 2;
      M.Left = Width() - 13;
    }
  }
  DrawDropDownArrow(C, M, gdi::clBtnText);
}

}  // namespace skin
