// Painting of TbsSkinPageControl and its pages: the page frame, the band
// behind the tabs, each tab face composed off-screen (flipped for tabs at
// the bottom, turned for tabs at the sides) and the pages' backgrounds.
#include <algorithm>

#include "skin/controls/bsSkinPageControl.h"
#include "skin/data/bsResourceStrData.h"
#include "skin/data/bsSkinDataWindows.h"
#include "skin/images/bsParentBackground.h"
#include "skin/images/bseffects.h"

namespace skin {

namespace {

constexpr TColor kHotFace = 0xD2BDB6, kFocusedFace = 0xB59385;

void Blit(gdi::HDC DC, int X, int Y, TBitmap* B) {
  gdi::BitBlt(DC, X, Y, B->Width(), B->Height(), B->Canvas()->Handle(), 0, 0, gdi::SRCCOPY);
}

TRect Moved(TRect R, int DX, int DY) { return {R.Left + DX, R.Top + DY, R.Right + DX, R.Bottom + DY}; }

enum TTurn { TurnAnticlockwise, TurnClockwise, FlipVertically };

// A turned or flipped copy of B.
std::unique_ptr<TBitmap> Turned(TBitmap* B, TTurn How) {
  std::unique_ptr<TbsEffectBmp> E(TbsEffectBmp::CreateFromhWnd(B->Handle()));
  const bool Swap = How != FlipVertically;
  TbsEffectBmp D(Swap ? E->Height() : E->Width(), Swap ? E->Width() : E->Height());
  if (How == TurnAnticlockwise)
    E->Rotate90_1(D);
  else if (How == TurnClockwise)
    E->Rotate90_2(D);
  else
    E->FlipVert(D);
  auto R = std::make_unique<TBitmap>(D.Width(), D.Height());
  D.Draw(R->Canvas()->Handle(), 0, 0);
  return R;
}

void SetSkinCharset(gdi::TFont* F, TbsSkinData* SD, gdi::BYTE Fallback) {
  F->SetCharset(SD && SD->ResourceStrData() ? gdi::BYTE(SD->ResourceStrData()->CharSet) : Fallback);
}

// Image and caption side by side, centred in AW x AH, moved down by E.
void DrawImageAndText(gdi::TCanvas* C, int AW, int AH, int E, bool Enabled, int ImageIndex,
                      forms::TCustomImageList* Images, const String& Caption) {
  TRect CR{0, 0, 0, 0};
  if (!Caption.empty()) DrawWideText(C, Caption, CR, gdi::DT_CALCRECT | gdi::DT_SINGLELINE);
  const int TW = Caption.empty() ? 0 : RectWidth(CR) + 2;
  const int X0 = AW / 2 - (TW + Images->Width() + 2) / 2;
  Images->Draw(C, X0, AH / 2 + E - Images->Height() / 2, ImageIndex, Enabled);
  const int TY = AH / 2 + E - RectHeight(CR) / 2;
  TRect TR{X0 + Images->Width() + 2, TY, X0 + Images->Width() + 2 + TW, TY + RectHeight(CR)};
  DrawWideText(C, Caption, TR, gdi::DT_CENTER);
}

}  // namespace

// ------------------------------------------------------------------ fill rule
void TbsSkinPageControl::FillByRule(gdi::HDC DC, int W, int H, TBitmap* P, bool Stretch) {
  if (!P) return;
  const int PW = P->Width(), PH = P->Height();
  if (PW <= 0 || PH <= 0) return;
  const gdi::HDC S = P->Canvas()->Handle();
  if (Stretch && W > 0 && H > 0) {
    switch (StretchType) {
      case bsstFull: gdi::StretchBlt(DC, 0, 0, W, H, S, 0, 0, PW, PH, gdi::SRCCOPY); return;
      case bsstHorz: {
        TBitmap T(PW, H);
        gdi::StretchBlt(T.Canvas()->Handle(), 0, 0, PW, H, S, 0, 0, PW, PH, gdi::SRCCOPY);
        for (int i = 0; i <= W / PW; ++i) Blit(DC, i * PW, 0, &T);
        return;
      }
      case bsstVert: {
        TBitmap T(W, PH);
        gdi::StretchBlt(T.Canvas()->Handle(), 0, 0, W, PH, S, 0, 0, PW, PH, gdi::SRCCOPY);
        for (int j = 0; j <= H / PH; ++j) Blit(DC, 0, j * PH, &T);
        return;
      }
    }
  }
  for (int i = 0; i <= W / PW; ++i)
    for (int j = 0; j <= H / PH; ++j) Blit(DC, i * PW, j * PH, P);
}

std::unique_ptr<TBitmap> TbsSkinPageControl::ClientPiece() {
  if (!Picture || IsEmptyRect(ClRect)) return nullptr;
  auto B = std::make_unique<TBitmap>(RectWidth(ClRect), RectHeight(ClRect));
  gdi::BitBlt(B->Canvas()->Handle(), 0, 0, B->Width(), B->Height(), Picture->Canvas()->Handle(),
              SkinRect.Left + ClRect.Left, SkinRect.Top + ClRect.Top, gdi::SRCCOPY);
  return B;
}

TRect TbsSkinPageControl::FrameRect() {
  TRect D{0, 0, ClientWidth(), ClientHeight()};
  Perform(TCM_ADJUSTRECT, 0, reinterpret_cast<win::LPARAM>(&D));
  return {D.Left - ClRect.Left, D.Top - ClRect.Top, D.Right + (RectWidth(SkinRect) - ClRect.Right),
          D.Bottom + (RectHeight(SkinRect) - ClRect.Bottom)};
}

TRect TbsSkinPageControl::ActiveTabOverlapRect() {
  const int TI = TabIndex();
  if (TI < 0 || TI >= PageCount() || VisibleTabs().empty() || !ActivePage()) return {};
  TRect R;
  GetItemRect(TI, R);
  const int D = RectHeight(ActiveTabRect) - RectHeight(TabRect);
  switch (FTabPosition) {
    case tpTop: R.Bottom += D; break;
    case tpBottom: R.Top -= D; break;
    case tpLeft: R.Right += D; break;
    case tpRight: R.Left -= D; break;
  }
  return R;
}

// ------------------------------------------------------------------ the control
void TbsSkinPageControl::PaintClient(gdi::HDC DC) {
  if (Width() <= 0 || Height() <= 0) return;
  GetSkinData();
  const int Saved = gdi::SaveDC(DC);
  gdi::TCanvas C;
  C.SetHandle(DC);
  if (HasSkinEntry() && (VisibleTabs().empty() || !ActivePage())) PaintClientBackground(DC);
  if (!HasSkinEntry())
    PaintDefaultBorder(&C);
  else
    PaintSkinBorder(&C);
  DrawTabs(&C);
  C.SetHandle(nullptr);
  gdi::RestoreDC(DC, Saved);
}

void TbsSkinPageControl::PaintClientBackground(gdi::HDC DC) {
  if (Width() < 1 || Height() < 1) return;
  TBitmap* BG = BGPictureIndex == -1 ? nullptr : SkinPictureAt(FSD, BGPictureIndex);
  if (BG) {
    FillByRule(DC, Width(), Height(), BG, StretchEffect);
    return;
  }
  auto Piece = ClientPiece();
  FillByRule(DC, Width(), Height(), Piece.get(), StretchEffect);
}

void TbsSkinPageControl::PaintDefaultBorder(gdi::TCanvas* C) {
  C->Brush()->SetStyle(gdi::bsSolid);
  C->Brush()->SetColor(gdi::clBtnFace);
  C->FillRect({0, 0, Width(), Height()});
  if (FHideBorder) return;
  TRect D{0, 0, ClientWidth(), ClientHeight()};
  Perform(TCM_ADJUSTRECT, 0, reinterpret_cast<win::LPARAM>(&D));
  C->Brush()->SetColor(gdi::clBtnShadow);
  C->FrameRect({D.Left - 1, D.Top - 1, D.Right + 1, D.Bottom + 1});
}

void TbsSkinPageControl::PaintSkinBorder(gdi::TCanvas* C) {
  if (FHideBorder || !Picture) return;
  const TRect F = FrameRect();
  const int W = RectWidth(F), H = RectHeight(F);
  const int DW = W - RectWidth(SkinRect), DH = H - RectHeight(SkinRect);
  const TPoint NRT{RTPoint.X + DW, RTPoint.Y}, NLB{LBPoint.X, LBPoint.Y + DH}, NRB{RBPoint.X + DW, RBPoint.Y + DH};
  const TRect NCl{ClRect.Left, ClRect.Top, ClRect.Right + DW, ClRect.Bottom + DH};
  TBitmap LB, TB, RB, BB;
  ComposeSkinBorderStripsEx(LTPoint, RTPoint, LBPoint, RBPoint, ClRect, LTPoint, NRT, NLB, NRB, NCl, &LB, &TB, &RB,
                            &BB, Picture, SkinRect, W, H, LeftStretch, TopStretch, RightStretch, BottomStretch);
  const gdi::HDC DC = C->Handle();
  const int Saved = gdi::SaveDC(DC);
  // The selected tab opens into the page: the frame leaves its place free.
  const TRect O = ActiveTabOverlapRect();
  if (!IsEmptyRect(O) && !FHideTabs) gdi::ExcludeClipRect(DC, O.Left, O.Top, O.Right, O.Bottom);
  Blit(DC, F.Left, F.Top, &TB);
  Blit(DC, F.Left, F.Top + TB.Height(), &LB);
  Blit(DC, F.Left + W - RB.Width(), F.Top + TB.Height(), &RB);
  Blit(DC, F.Left, F.Top + H - BB.Height(), &BB);
  gdi::RestoreDC(DC, Saved);
}

void TbsSkinPageControl::DrawTabs(gdi::TCanvas* C) {
  if (FHideTabs || PageCount() == 0) return;
  const auto Tabs = VisibleTabs();
  const int Sel = TabIndex();
  if (!HasSkinEntry()) {
    for (int i = 0; i < int(Tabs.size()); ++i) {
      TRect R;
      GetItemRect(i, R);
      DrawTab(Tabs[std::size_t(i)]->PageIndex(), R, C, i == Sel, i == FActiveTabIndex);
    }
    return;
  }
  GetSkinData();
  const TRect F = FrameRect();
  int BW = 0, BH = 0, BX = 0, BY = 0;
  TRect Place{};
  switch (FTabPosition) {
    case tpTop: BW = Width(), BH = F.Top, Place = {0, 0, Width(), F.Top}; break;
    case tpBottom:
      BW = Width(), BH = Height() - F.Bottom, BY = Height() - BH, Place = {0, F.Bottom, Width(), Height()};
      break;
    case tpLeft: BW = F.Left, BH = Height(), Place = {0, 0, F.Left, Height()}; break;
    case tpRight: BW = Width() - F.Right, BH = Height(), BX = Width() - BW, Place = {F.Right, 0, Width(), Height()}; break;
  }
  if (BW > 0 && BH > 0) {
    TBitmap Band(BW, BH);
    const TRect BG = IsEmptyRect(TabsBGRect) ? Moved(ClRect, SkinRect.Left, SkinRect.Top) : TabsBGRect;
    if (FTabsBGTransparent) {
      PaintPageControlParentBackground(this, Place, Band.Canvas());
    } else if (Picture && !IsEmptyRect(BG)) {
      auto Piece = std::make_unique<TBitmap>(RectWidth(BG), RectHeight(BG));
      gdi::BitBlt(Piece->Canvas()->Handle(), 0, 0, Piece->Width(), Piece->Height(), Picture->Canvas()->Handle(),
                  BG.Left, BG.Top, gdi::SRCCOPY);
      // The piece is drawn for tabs on top: turned like the tabs elsewhere,
      // so that its edge towards the pages stays towards the pages.
      if (FTabPosition == tpBottom) Piece = Turned(Piece.get(), FlipVertically);
      if (FTabPosition == tpLeft) Piece = Turned(Piece.get(), TurnAnticlockwise);
      if (FTabPosition == tpRight) Piece = Turned(Piece.get(), TurnClockwise);
      for (int x = 0; x < BW; x += Piece->Width())
        for (int y = 0; y < BH; y += Piece->Height()) Blit(Band.Canvas()->Handle(), x, y, Piece.get());
    }
    for (int i = 0; i < int(Tabs.size()); ++i) {
      if (i == Sel) continue;
      TRect R;
      GetItemRect(i, R);
      if (FTabPosition == tpBottom) R = Moved(R, 0, -F.Bottom);
      if (FTabPosition == tpRight) R = Moved(R, -F.Right, 0);
      DrawTab(Tabs[std::size_t(i)]->PageIndex(), R, Band.Canvas(), false, i == FActiveTabIndex);
    }
    const gdi::HDC DC = C->Handle();
    const int Saved = gdi::SaveDC(DC);
    const TRect O = ActiveTabOverlapRect();
    if (!IsEmptyRect(O)) gdi::ExcludeClipRect(DC, O.Left, O.Top, O.Right, O.Bottom);
    Blit(DC, BX, BY, &Band);
    gdi::RestoreDC(DC, Saved);
  }
  if (Sel >= 0 && Sel < PageCount()) {
    TRect R;
    GetItemRect(Sel, R);
    const int D = RectHeight(TabRect) - RectHeight(ActiveTabRect);
    if (FTabPosition == tpBottom) R = Moved(R, 0, D);
    if (FTabPosition == tpRight) R = Moved(R, D, 0);
    DrawTab(Tabs[std::size_t(Sel)]->PageIndex(), R, C, true, Sel == FActiveTabIndex);
  }
}

void TbsSkinPageControl::DrawTab(int TI, const TRect& Rct, gdi::TCanvas* C, bool Active, bool MouseIn) {
  if (FHideTabs || TI < 0 || TI >= PageCount()) return;
  forms::TTabSheet* P = Pages(TI);
  auto* SP = dynamic_cast<TbsSkinCustomTabSheet*>(P);
  const int ImageIndex = SP ? SP->ImageIndex() : -1;
  const bool HasImage = FImages && ImageIndex >= 0 && ImageIndex < FImages->Count();
  const String Caption = P->Caption();
  const bool Side = FTabPosition == tpLeft || FTabPosition == tpRight;
  const int W = Side ? RectHeight(Rct) : RectWidth(Rct), H = Side ? RectWidth(Rct) : RectHeight(Rct);
  if (W <= 0 || H <= 0) return;
  const bool Skin = HasSkinEntry();
  const bool Foc = Focused();
  auto Face = std::make_unique<TBitmap>(W, H);
  TRect T{0, 0, W, H};
  gdi::TFont TF;
  if (!Skin) {
    gdi::TCanvas* FC = Face->Canvas();
    FC->Brush()->SetStyle(gdi::bsSolid);
    if (MouseIn && !Active) {
      FC->Brush()->SetColor(kHotFace);
      FC->FillRect(T);
    } else if (!Active) {
      FC->Brush()->SetColor(gdi::clBtnFace);
      FC->FillRect(T);
    } else {
      FC->Brush()->SetColor(gdi::clNavy);
      FC->FrameRect(T);
      FC->Brush()->SetColor(Foc ? kFocusedFace : kHotFace);
      FC->FillRect({1, 1, W - 1, H - 1});
    }
    TF.Assign(Font());
    if (FSD && FSD->ResourceStrData()) TF.SetCharset(gdi::BYTE(FSD->ResourceStrData()->CharSet));
  } else {
    TRect Piece = MouseIn && !Active && !IsEmptyRect(MouseInTabRect) ? MouseInTabRect
                  : Active && Foc                                    ? FocusTabRect
                  : !Active                                          ? TabRect
                                                                     : ActiveTabRect;
    if (IsEmptyRect(Piece)) Piece = Active ? ActiveTabRect : TabRect;  // a skin without a focused tab
    const int PW = RectWidth(Piece), PH = RectHeight(Piece);
    if (FTabHeight > 0) {
      const int Q = RectHeight(TabRect) / 4;
      int FH = H;
      if (Active && RectHeight(TabRect) < RectHeight(ActiveTabRect))
        FH += RectHeight(ActiveTabRect) - RectHeight(TabRect);
      else if (Active && Foc && RectHeight(TabRect) < RectHeight(FocusTabRect))
        FH += RectHeight(FocusTabRect) - RectHeight(TabRect);
      Face->SetSize(W, FH);
      ComposeStretchedSkinImage(Face.get(), Picture, Piece, {TabLeftOffset, Q, PW - TabRightOffset, PH - Q}, true);
    } else {
      ComposeHorzSkinImage(TabLeftOffset, TabRightOffset, Face.get(), Picture, Piece, W, PH, TabStretchEffect);
    }
    if (FTabPosition == tpBottom) Face = Turned(Face.get(), FlipVertically);
    if (FUseSkinFont)
      ApplyDescriptionFont(&TF, FontName, FontHeight, FontStyle);
    else
      TF.Assign(Font());
    SetSkinCharset(&TF, FSD, Font()->Charset());
    TF.SetColor(MouseIn && !Active ? MouseInFontColor : Active && Foc ? FocusFontColor : !Active ? FontColor
                                                                                                  : ActiveFontColor);
  }
  if (FTextInHorizontal && Side) {
    Face = Turned(Face.get(), FTabPosition == tpLeft ? TurnAnticlockwise : TurnClockwise);
    T = {0, 0, Face->Width(), Face->Height()};
  }
  gdi::TCanvas* FC = Face->Canvas();
  FC->Font()->Assign(&TF);
  FC->Brush()->SetStyle(gdi::bsClear);
  if (Skin && ShowFocus && Foc && Active) {
    FC->Brush()->SetColor(FSD->SkinColors().cBtnFace);
    DrawDotFocusRect(FC, {T.Left + FocusOffsetX, T.Top + FocusOffsetY, T.Right - FocusOffsetX, T.Bottom - FocusOffsetY});
    FC->Brush()->SetStyle(gdi::bsClear);
  }
  int S = 0;
  if (Skin && RectHeight(TabRect) != RectHeight(ActiveTabRect) && !Active)
    S = FTabPosition == tpTop || FTabPosition == tpLeft ? 2 : -2;
  T.Top += S;
  const int E = HasImage ? S : 0;
  const int CloseRoom = FShowCloseButtons ? FCloseSize + 2 : 0;
  const int CloseLeft = T.Right - CloseRoom - (Skin ? 3 : 0);
  if (OnDrawSkinTab) {
    OnDrawSkinTab(TI, {0, 0, Face->Width(), Face->Height()}, Active, MouseIn, FC);
  } else if (HasImage || FTabExtendedDraw) {
    const TRect TR{T.Left, T.Top, T.Right - CloseRoom, T.Bottom};
    if (FTabExtendedDraw)
      DrawGlyphAndCaption(FC, TR, FTabMargin, FTabSpacing, FTabLayout, Caption, ImageIndex, FImages, false,
                          P->Enabled(), false, 0);
    else
      DrawImageAndText(FC, Face->Width() - CloseRoom, Face->Height(), E, P->Enabled(), ImageIndex, FImages, Caption);
  } else {
    TRect TR{T.Left, T.Top, T.Right - CloseRoom, T.Bottom};
    DrawWideText(FC, Caption, TR, gdi::DT_SINGLELINE | gdi::DT_VCENTER | gdi::DT_CENTER);
  }
  if (FShowCloseButtons) {
    if (!MouseIn && SP) SP->ButtonMouseIn = false;
    DrawCloseButton(FC, {CloseLeft, T.Top + E, Face->Width(), T.Bottom}, Face->Height(), Face->Width(), TI);
  }
  if (Side && !FTextInHorizontal)
    Face = Turned(Face.get(), FTabPosition == tpLeft ? TurnAnticlockwise : TurnClockwise);
  Blit(C->Handle(), Rct.Left, Rct.Top, Face.get());
}

void TbsSkinPageControl::DrawCloseButton(gdi::TCanvas* C, TRect A, int FaceH, int FaceW, int TI) {
  TbsSkinCustomTabSheet* SP = SkinPage(TI);
  if (!SP) return;
  const bool Down = SP->ButtonMouseDown && SP->ButtonMouseIn, Hot = SP->ButtonMouseIn;
  TRect BR;
  if (!HasSkinEntry()) {
    BR = {A.Left, A.Top + RectHeight(A) / 2 - 7, A.Left + 14, A.Top + RectHeight(A) / 2 + 7};
    DrawCloseGlyph(C, BR.Left + 2, BR.Top + 2, Hot ? TColor(0xFFFFFF) : TColor(0));
  } else if (IsEmptyRect(CloseButtonRect)) {
    auto* D = dynamic_cast<TbsDataSkinButtonControl*>(
        SkinDescriptionAt(FSD, FSD->GetControlIndex(u"resizetoolbutton")));
    TBitmap* Pic = D ? SkinPictureAt(FSD, D->PictureIndex) : nullptr;
    if (!Pic) return;
    const TRect Active = IsEmptyRect(D->ActiveSkinRect) ? D->SkinRect : D->ActiveSkinRect;
    const TRect Src = Down ? (IsEmptyRect(D->DownSkinRect) ? Active : D->DownSkinRect) : Hot ? Active : D->SkinRect;
    const int Sz = FCloseSize, DW = Sz - RectWidth(D->SkinRect), DH = Sz - RectHeight(D->SkinRect);
    TBitmap B;
    ComposeSkinImage(D->LTPoint, D->RTPoint, D->LBPoint, D->RBPoint, D->ClRect, D->LTPoint,
                     {D->RTPoint.X + DW, D->RTPoint.Y}, {D->LBPoint.X, D->LBPoint.Y + DH},
                     {D->RBPoint.X + DW, D->RBPoint.Y + DH},
                     {D->ClRect.Left, D->ClRect.Top, D->ClRect.Right + DW, D->ClRect.Bottom + DH}, &B, Pic, Src, Sz,
                     Sz, true, D->LeftStretch, D->TopStretch, D->RightStretch, D->BottomStretch, D->StretchEffect,
                     D->StretchType);
    DrawCloseGlyph(B.Canvas(), B.Width() / 2 - 5, B.Height() / 2 - 5,
                   Down ? D->DownFontColor : Hot ? D->ActiveFontColor : D->FontColor);
    BR = {A.Left, A.Top + RectHeight(A) / 2 - B.Height() / 2, 0, 0};
    BR.Right = BR.Left + B.Width();
    BR.Bottom = BR.Top + B.Height();
    Blit(C->Handle(), BR.Left, BR.Top, &B);
  } else {
    const TRect Src = Down ? CloseButtonDownRect : Hot ? ClosebuttonActiveRect : CloseButtonRect;
    BR = {A.Left, A.Top + RectHeight(A) / 2 - RectHeight(Src) / 2, 0, 0};
    BR.Right = BR.Left + RectWidth(Src);
    BR.Bottom = BR.Top + RectHeight(Src);
    if (!Picture) return;
    if (ButtonTransparent)
      gdi::TransparentBlt(C->Handle(), BR.Left, BR.Top, RectWidth(Src), RectHeight(Src), Picture->Canvas()->Handle(),
                          Src.Left, Src.Top, RectWidth(Src), RectHeight(Src), gdi::ColorToRGB(ButtonTransparentColor));
    else
      gdi::BitBlt(C->Handle(), BR.Left, BR.Top, RectWidth(Src), RectHeight(Src), Picture->Canvas()->Handle(), Src.Left,
                  Src.Top, gdi::SRCCOPY);
  }
  if (FTabPosition == tpLeft && !FTextInHorizontal)
    SP->ButtonRect = {BR.Top, FaceW - BR.Right, BR.Bottom, FaceW - BR.Left};
  else if (FTabPosition == tpRight && !FTextInHorizontal)
    SP->ButtonRect = {FaceH - BR.Bottom, BR.Left, FaceH - BR.Top, BR.Right};
  else
    SP->ButtonRect = BR;
}

// ------------------------------------------------------------------ pages
void TbsSkinCustomTabSheet::PaintBG(gdi::HDC DC) {
  if (Width() < 1 || Height() < 1 || !Parent()) return;
  TbsSkinPageControl* PC = SkinPageControl();
  if (PC) PC->GetSkinData();
  if (!FWallPaper->Empty() && FWallPaper->Width() > 0 && FWallPaper->Height() > 0) {
    const int PW = FWallPaper->Width(), PH = FWallPaper->Height();
    for (int i = 0; i <= Width() / PW; ++i)
      for (int j = 0; j <= Height() / PH; ++j) Blit(DC, i * PW, j * PH, FWallPaper.get());
    return;
  }
  const bool Skinned = PC && PC->SkinData() && !PC->SkinData()->Empty && PC->SkinIndex() != -1;
  if (Skinned && PC->BGPictureIndex != -1) {
    if (TBitmap* BG = SkinPictureAt(PC->SkinData(), PC->BGPictureIndex)) {
      PC->FillByRule(DC, Width(), Height(), BG, PC->StretchEffect);
      return;
    }
  }
  if (!Skinned) {
    gdi::TCanvas C;
    C.SetHandle(DC);
    C.Brush()->SetColor(gdi::clBtnFace);
    C.FillRect({0, 0, Width(), Height()});
    C.SetHandle(nullptr);
    return;
  }
  auto Piece = PC->ClientPiece();
  if (PC->StretchEffect)
    PC->FillByRule(DC, PC->Width(), PC->Height(), Piece.get(), true);
  else
    PC->FillByRule(DC, Width(), Height(), Piece.get(), false);
}

}  // namespace skin
