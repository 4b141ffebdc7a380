// The closed face of both combo boxes: body, button and item, in the plain
// look, the skin's look and the tool-button look.
#include <algorithm>

#include "platform/gdi/Gdi.h"
#include "skin/controls/bsSkinComboBox.h"
#include "skin/data/bsResourceStrData.h"

namespace skin {

using gdi::TCanvas;

namespace {

constexpr TColor kPressedFill = 0xB59385;  // red 133, green 147, blue 181
constexpr TColor kHoverFill = 0xD2BDB6;    // red 182, green 189, blue 210

void Fill(TCanvas* C, TRect R, TColor Colour) {
  C->Brush()->SetStyle(gdi::bsSolid);
  C->Brush()->SetColor(Colour);
  C->FillRect(R);
}

void Frame(TCanvas* C, TRect R, TColor Colour) {
  C->Brush()->SetStyle(gdi::bsSolid);
  C->Brush()->SetColor(Colour);
  C->FrameRect(R);
}

void FramedFill(TCanvas* C, TRect R, TColor FrameColour, TColor FillColour) {
  Fill(C, R, FillColour);
  Frame(C, R, FrameColour);
}

TbsDataSkinButtonControl* FirstButton(TbsSkinData* SD, std::initializer_list<const char16_t*> Names) {
  for (const char16_t* N : Names)
    if (auto* D = FindButtonDescription(SD, N)) return D;
  return nullptr;
}

void DrawMarker(TCanvas* C, TBitmap* Picture, TRect Src, TColor Transparent, TRect Area, int DY) {
  if (!Picture || IsEmptyRect(Src)) return;
  TBitmap M(RectWidth(Src), RectHeight(Src));
  M.Canvas()->CopyRect({0, 0, RectWidth(Src), RectHeight(Src)}, Picture->Canvas(), Src);
  M.SetTransparentColor(Transparent);
  M.SetTransparent(true);
  C->Draw(Area.Left + RectWidth(Area) / 2 - RectWidth(Src) / 2, Area.Top + RectHeight(Area) / 2 - RectHeight(Src) / 2 + DY,
          &M);
}

}  // namespace

void TbsSkinComboFace::SetFaceFont(TCanvas* C, bool Skin) {
  if (Skin && UseSkinFont) ApplyDescriptionFont(C->Font(), FontName, FontHeight, FontStyle);
  else C->Font()->Assign(FDefaultFont.get());
  if (FSD && FSD->ResourceStrData())
    C->Font()->SetCharset(gdi::BYTE(FSD->ResourceStrData()->CharSet));
  else
    C->Font()->SetCharset(FDefaultFont->Charset());
}

TColor TbsSkinComboFace::FaceTextColor() {
  // While the list is open the face is drawn unfocused.
  if (FaceFocused() && !IsPopupVisible()) return FocusFontColor;
  if (FMouseIn && !IsEmptyRect(ActiveSkinRect)) return ActiveFontColor;
  return FontColor;
}

TColor TbsSkinComboFace::DisabledTextColor() {
  if (FSD) {
    if (auto* D = dynamic_cast<TbsDataSkinEditControl*>(SkinDescriptionAt(FSD, FSD->GetControlIndex(u"edit"))))
      return D->DisabledFontColor;
  }
  return gdi::clGrayText;
}

void TbsSkinComboFace::DrawDefaultButton(TCanvas* C) {
  if (Button.Down && Button.MouseIn) FramedFill(C, Button.R, gdi::clNavy, kPressedFill);
  else if (Button.MouseIn) FramedFill(C, Button.R, gdi::clNavy, kHoverFill);
  else FramedFill(C, Button.R, gdi::clBtnShadow, gdi::clBtnFace);
  DrawArrow(C, Button.R, Enabled() ? gdi::clBlack : gdi::clBtnShadow, 4);
}

void TbsSkinComboFace::DrawDefaultBody(TCanvas* C) {
  const int W = Width(), H = Height();
  Fill(C, {0, 0, W, H}, gdi::clBtnFace);
  Frame(C, {0, 0, W, H}, gdi::clBtnShadow);
  Fill(C, {1, 1, W - 1, H - 1}, FDefaultColor);
  DrawDefaultButton(C);
}

void TbsSkinComboFace::DrawSkinBody(TCanvas* C, bool FromRect) {
  const bool Hot = !IsEmptyRect(ActiveSkinRect) && (FMouseIn || FaceFocused());
  const int W = Width(), H = Height();
  if (!Picture) return;
  if (!FUseSkinSize || FromRect) {
    TBitmap B(W, H);
    ComposeStretchedSkinImage(&B, Picture, Hot && !FromRect ? ActiveSkinRect : SkinRect, ClRect, true);
    C->Draw(0, 0, &B);
  } else if (Hot) {
    TBitmap B(W, RectHeight(ActiveSkinRect));
    ComposeHorzSkinImage(LTPt.X, RectWidth(ActiveSkinRect) - RTPt.X, &B, Picture, ActiveSkinRect, W,
                         RectHeight(ActiveSkinRect), StretchEffect);
    C->Draw(0, 0, &B);
  } else {
    TBitmap B(W, H);
    TbsSkinCustomControl::CreateControlSkinImage(&B);
    C->Draw(0, 0, &B);
  }
}

void TbsSkinComboFace::DrawSkinButton(TCanvas* C) {
  if (FUseSkinSize) {
    TRect Src{};
    if (!Enabled() && !IsEmptyRect(UnEnabledButtonRect)) Src = UnEnabledButtonRect;
    else if (Button.Down && Button.MouseIn) Src = DownButtonRect;
    else if (Button.MouseIn) Src = ActiveButtonRect;
    if (!IsEmptyRect(Src) && Picture) C->CopyRect(Button.R, Picture->Canvas(), Src);
    return;
  }
  TbsDataSkinButtonControl* D = FirstButton(FSD, {u"combobutton", u"editbutton", u"resizebutton"});
  if (!D) return;
  const bool Hot = Button.MouseIn, Pressed = Button.Down && Button.MouseIn;
  const int W = RectWidth(Button.R), H = RectHeight(Button.R);
  if (W <= 0 || H <= 0) return;
  TBitmap B(W, H);
  DrawButtonDescriptionFace(FSD, D, B.Canvas(), {0, 0, W, H}, Hot, Pressed);
  const TColor MC = Pressed ? D->DownFontColor : Hot ? D->ActiveFontColor : D->FontColor;
  if (IsEmptyRect(D->MenuMarkerRect)) {
    if (Enabled()) {
      TRect A{0, Pressed ? 2 : 0, W, H + (Pressed ? 2 : 0)};
      DrawArrow(B.Canvas(), A, MC, 4);
    }
  } else {
    TRect Src = D->MenuMarkerRect;
    if (Pressed && !IsEmptyRect(D->MenuMarkerDownRect)) Src = D->MenuMarkerDownRect;
    else if (Hot && !IsEmptyRect(D->MenuMarkerActiveRect)) Src = D->MenuMarkerActiveRect;
    DrawMarker(B.Canvas(), Picture, Src, D->MenuMarkerTransparentColor, {0, 0, W, H}, Pressed ? 1 : 0);
  }
  C->Draw(Button.R.Left, Button.R.Top, &B);
}

void TbsSkinComboFace::DrawDefaultToolFace(TCanvas* C, const String* AText) {
  const int W = Width(), H = Height();
  if (FDropDown) FramedFill(C, {0, 0, W, H}, gdi::clNavy, kPressedFill);
  else if (FMouseIn || FaceFocused()) FramedFill(C, {0, 0, W, H}, gdi::clNavy, kHoverFill);
  else FramedFill(C, {0, 0, W, H}, gdi::clBtnShadow, gdi::clBtnFace);
  TRect T{2, 2, W - 17, H - 2};
  if (FDropDown) T.Left += 2, T.Top += 2;
  C->Font()->Assign(FDefaultFont.get());
  C->Brush()->SetStyle(gdi::bsClear);
  DrawToolContent(C, T, AText);
  TRect A{W - 15, 0, W, H};
  if (FDropDown) A = {A.Left + 2, A.Top + 2, A.Right + 2, A.Bottom + 2};
  DrawDropDownArrow(C, A, C->Font()->Color());
}

void TbsSkinComboFace::DrawSkinToolFace(TCanvas* C, const String* AText) {
  TbsDataSkinButtonControl* D = FirstButton(FSD, {u"resizetoolbutton", u"resizebutton"});
  const int W = Width(), H = Height();
  if (!D) {
    // No tool-button look in this skin: the plain one, so the face is never left blank.
    DrawDefaultToolFace(C, AText);
    return;
  }
  TBitmap* P = SkinPictureAt(FSD, D->PictureIndex);
  const bool Hot = FMouseIn || FaceFocused();
  TRect Src = FDropDown ? D->DownSkinRect : Hot ? D->ActiveSkinRect : D->SkinRect;
  if (IsEmptyRect(Src)) Src = D->SkinRect;
  if (IsEmptyRect(Src)) Src = D->ActiveSkinRect;
  if (P && !IsEmptyRect(Src)) {
    const int dW = W - RectWidth(D->SkinRect), dH = H - RectHeight(D->SkinRect);
    TBitmap B;
    ComposeSkinImage(D->LTPoint, D->RTPoint, D->LBPoint, D->RBPoint, D->ClRect, D->LTPoint,
                     {D->RTPoint.X + dW, D->RTPoint.Y}, {D->LBPoint.X, D->LBPoint.Y + dH},
                     {D->RBPoint.X + dW, D->RBPoint.Y + dH},
                     {D->ClRect.Left, D->ClRect.Top, D->ClRect.Right + dW, D->ClRect.Bottom + dH}, &B, P, Src, W, H,
                     true, D->LeftStretch, D->TopStretch, D->RightStretch, D->BottomStretch, D->StretchEffect,
                     D->StretchType);
    C->Draw(0, 0, &B);
  }
  TRect T{2, 2, W - 17, H - 2};
  if (FDropDown) T.Left += 2, T.Top += 2;
  if (UseSkinFont) ApplyDescriptionFont(C->Font(), D->FontName, D->FontHeight, D->FontStyle);
  else C->Font()->Assign(FDefaultFont.get());
  if (FSD && FSD->ResourceStrData()) C->Font()->SetCharset(gdi::BYTE(FSD->ResourceStrData()->CharSet));
  const TColor TC = FDropDown ? D->DownFontColor : Hot ? D->ActiveFontColor : Enabled() ? D->FontColor : D->DisabledFontColor;
  C->Font()->SetColor(TC);
  C->Brush()->SetStyle(gdi::bsClear);
  DrawToolContent(C, T, AText);
  TRect A{W - 15, 0, W, H};
  if (FDropDown) A = {A.Left + 2, A.Top + 2, A.Right + 2, A.Bottom + 2};
  if (!IsEmptyRect(D->MenuMarkerRect)) {
    TRect M = D->MenuMarkerRect;
    if (FDropDown && !IsEmptyRect(D->MenuMarkerDownRect)) M = D->MenuMarkerDownRect;
    else if (FDropDown && !IsEmptyRect(D->MenuMarkerActiveRect)) M = D->MenuMarkerActiveRect;
    else if (FMouseIn && !IsEmptyRect(D->MenuMarkerActiveRect)) M = D->MenuMarkerActiveRect;
    DrawMarker(C, P, M, D->MenuMarkerTransparentColor, A, 0);
  } else {
    DrawDropDownArrow(C, A, FDropDown ? D->DownFontColor : TC);
  }
}

void TbsSkinComboFace::DrawSkinItemBackground(TBitmap* B, int W, int H, bool Focus) {
  TCanvas* BC = B->Canvas();
  const bool HotItem = !IsEmptyRect(ActiveItemRect) && !IsEmptyRect(ActiveSkinRect) && FMouseIn;
  auto CopyFace = [&] {
    // The part of the face already drawn under the item.
    TBitmap Face(Width(), Height());
    DrawSkinBody(Face.Canvas(), false);
    BC->CopyRect({0, 0, W, H}, Face.Canvas(), {CBItem.R.Left, CBItem.R.Top, CBItem.R.Left + W, CBItem.R.Top + H});
  };
  if (!Picture) return;
  if (FUseSkinSize) {
    if (Focus) {
      if (IsEmptyRect(FocusItemRect)) CopyFace();
      else ComposeHorzSkinImage(ItemLeftOffset, ItemRightOffset, B, Picture, FocusItemRect, W, H, FocusItemStretchEffect);
    } else if (HotItem) {
      ComposeHorzSkinImage(ItemLeftOffset, ItemRightOffset, B, Picture, ActiveItemRect, W, H, ItemStretchEffect);
    } else if (IsEmptyRect(SItemRect)) {
      CopyFace();
    } else {
      ComposeHorzSkinImage(ItemLeftOffset, ItemRightOffset, B, Picture, SItemRect, W, H, ItemStretchEffect);
    }
    return;
  }
  auto Adjusted = [&](TRect Part, bool Narrow) {
    TRect Cl = ItemTextRect;
    if (Narrow) Cl = {Cl.Left + 1, Cl.Top + 1, Cl.Right - 1, Cl.Bottom - 1};
    Cl.Right -= RectWidth(SItemRect) - RectWidth(Part);
    Cl.Top -= RectHeight(SItemRect) - RectHeight(Part);
    return Cl;
  };
  if (Focus) {
    if (IsEmptyRect(FocusItemRect)) CopyFace();
    else ComposeStretchedSkinImage(B, Picture, FocusItemRect, Adjusted(FocusItemRect, true), true);
  } else if (HotItem) {
    ComposeStretchedSkinImage(B, Picture, ActiveItemRect, Adjusted(ActiveItemRect, false), true);
  } else if (IsEmptyRect(SItemRect)) {
    CopyFace();
  } else {
    ComposeStretchedSkinImage(B, Picture, SItemRect, ItemTextRect, true);
  }
}

void TbsSkinComboFace::DrawFace(TCanvas* C, const String* AText) {
  GetSkinData();
  UpdateFaceRects();
  if (FIndex == -1) {
    if (FToolButtonStyle) {
      DrawDefaultToolFace(C, AText);
      return;
    }
    DrawDefaultBody(C);
    if (!HasEdit()) DrawFaceItem(C, false, AText);
    return;
  }
  if (FToolButtonStyle) {
    DrawSkinToolFace(C, AText);
    return;
  }
  DrawSkinBody(C, AText != nullptr && !FUseSkinSize);
  DrawSkinButton(C);
  if (!HasEdit()) DrawFaceItem(C, true, AText);
}

void TbsSkinComboFace::CreateControlDefaultImage(TBitmap* B) { DrawFace(B->Canvas(), nullptr); }
void TbsSkinComboFace::CreateControlSkinImage(TBitmap* B) { DrawFace(B->Canvas(), nullptr); }

void TbsSkinComboFace::PaintSkinTo(TCanvas* C, int X, int Y, const String& AText) {
  // Draws AText in place of the item without changing Text (so no change
  // event fires from a paint).
  TBitmap B(Width(), Height());
  DrawFace(B.Canvas(), &AText);
  C->Draw(X, Y, &B);
}

// ------------------------------------------------------------------ combo box item
void TbsSkinCustomComboBox::DrawItemContent(TCanvas* C, int Index, TRect T, const String* AText) {
  if (forms::TCustomImageList* IL = Images()) {
    const int Idx = ImageIndex() >= 0 ? ImageIndex() : Index;
    if (Idx >= 0 && Idx < IL->Count()) IL->Draw(C, T.Left, T.Top + RectHeight(T) / 2 - IL->Height() / 2, Idx, Enabled());
    T.Left += IL->Width() + 2;
  }
  const String S = AText ? *AText : (Index >= 0 && Index < Items()->Count() ? Items()->Get(Index) : String());
  C->Brush()->SetStyle(gdi::bsClear);
  if (TabWidths()->Count() > 0) {
    std::vector<int> Stops = TabStopsOf(TabWidths());
    const int TH = C->TextHeight(S.empty() ? String(u"Wg") : S);
    gdi::TabbedTextOutW(C->Handle(), T.Left + 2, T.Top + RectHeight(T) / 2 - TH / 2,
                        reinterpret_cast<const win::WCHAR*>(S.c_str()), int(S.size()), int(Stops.size()),
                        Stops.empty() ? nullptr : Stops.data(), 0);
  } else {
    TextRectVCentered(C, S, T);
  }
}

void TbsSkinCustomComboBox::DrawToolContent(TCanvas* C, TRect T, const String* AText) {
  const int I = ShownIndex();
  if (I < 0 || I >= Items()->Count()) return;
  if (OnComboBoxDrawItem) OnComboBoxDrawItem(C, I, RectWidth(T), RectHeight(T), T, CBItem.State);
  else DrawItemContent(C, I, T, AText);
}

void TbsSkinCustomComboBox::DrawFaceItem(TCanvas* C, bool Skin, const String* AText) {
  const int W = RectWidth(CBItem.R);
  if (W <= 0) return;
  const int I = ShownIndex();
  const bool Valid = AText || (I >= 0 && I < Items()->Count());
  const bool Foc = FaceFocused() && !IsPopupVisible();
  if (!Skin) {
    const int H = RectHeight(CBItem.R);
    if (H <= 0) return;
    TBitmap B(W, H);
    TCanvas* BC = B.Canvas();
    BC->Font()->Assign(Font());
    if (FSD && FSD->ResourceStrData()) BC->Font()->SetCharset(gdi::BYTE(FSD->ResourceStrData()->CharSet));
    Fill(BC, {0, 0, W, H}, Foc ? gdi::clHighlight : FDefaultColor);
    BC->Font()->SetColor(Foc ? gdi::clHighlightText : FDefaultFont->Color());
    CBItem.State = Foc ? TOwnerDrawState{forms::odFocused} : TOwnerDrawState{};
    const TRect T{2, 0, W - 2, H};
    if (Valid) {
      if (OnComboBoxDrawItem && !AText) OnComboBoxDrawItem(BC, I, W, H, T, CBItem.State);
      else DrawItemContent(BC, I, T, AText);
    }
    if (Foc) DrawDotFocusRect(BC, {0, 0, W, H});
    C->Draw(CBItem.R.Left, CBItem.R.Top, &B);
    return;
  }
  int H;
  if (FUseSkinSize) {
    H = RectHeight(SItemRect);
    if (H == 0) H = RectHeight(FocusItemRect);
    if (H == 0) H = RectHeight(CBItem.R);
  } else {
    H = RectHeight(CBItem.R);
  }
  if (H <= 0) return;
  TBitmap B(W, H);
  TCanvas* BC = B.Canvas();
  DrawSkinItemBackground(&B, W, H, Foc);
  TRect T = ItemTextRect;
  T.Right += W - (IsEmptyRect(SItemRect) ? RectWidth(ClRect) : RectWidth(SItemRect));
  if (!FUseSkinSize) T.Bottom += Height() - RectHeight(SkinRect);
  SetFaceFont(BC, true);
  BC->Font()->SetColor(Foc ? FocusFontColor : FaceTextColor());
  if (!Enabled() && FUseSkinSize) BC->Font()->SetColor(DisabledTextColor());
  BC->Brush()->SetStyle(gdi::bsClear);
  if (Valid) {
    if (OnComboBoxDrawItem && !AText) {
      OnComboBoxDrawItem(BC, I, W, H, T, CBItem.State);
    } else {
      if (Foc && ShowFocus) {
        BC->Brush()->SetStyle(gdi::bsSolid);
        BC->Brush()->SetColor(FSD->SkinColors().cBtnFace);
        DrawDotFocusRect(BC, {0, 0, W, H});
        BC->Brush()->SetStyle(gdi::bsClear);
      }
      DrawItemContent(BC, I, T, AText);
    }
  }
  C->Draw(CBItem.R.Left, CBItem.R.Top, &B);
}

// ------------------------------------------------------------------ office combo box item
void TbsSkinCustomOfficeComboBox::DrawOfficeContent(TCanvas* C, int Index, TRect T, const String* AText,
                                                    bool WithTitle) {
  if (Index < 0 || Index >= Items()->Count()) return;
  TbsSkinOfficeItem* It = Items()->Items(Index);
  const String Caption = AText ? *AText : It->Caption();
  C->Brush()->SetStyle(gdi::bsClear);
  if (WithTitle && FShowItemText && FShowItemTitle && !It->Title().empty()) {
    const gdi::TFontStyles Old = C->Font()->Style();
    gdi::TFontStyles Bold = Old;
    Bold.Include(gdi::fsBold);
    C->Font()->SetStyle(Bold);
    const int TH = C->TextHeight(It->Title());
    TRect TR{T.Left, T.Top, T.Right, T.Top + TH};
    // A title wider than the face ends in an ellipsis rather than a cut glyph.
    DrawWideText(C, It->Title(), TR, gdi::DT_NOPREFIX | gdi::DT_SINGLELINE | gdi::DT_END_ELLIPSIS);
    C->Font()->SetStyle(Old);
    T.Top = TR.Bottom - 2;
  }
  if (FShowItemText && !FShowItemImage) {
    TextRectVCentered(C, Caption, T);
  } else if (FShowItemImage) {
    DrawGlyphAndCaptionLeftAligned(C, T, 0, 2, blGlyphLeft, FShowItemText ? Caption : String(), It->ImageIndex(),
                                   Images(), false, Enabled(), false, 0);
  }
}

void TbsSkinCustomOfficeComboBox::DrawToolContent(TCanvas* C, TRect T, const String* AText) {
  DrawOfficeContent(C, ShownIndex(), T, AText, true);
}

void TbsSkinCustomOfficeComboBox::DrawFaceItem(TCanvas* C, bool Skin, const String* AText) {
  const int W = RectWidth(CBItem.R);
  if (W <= 0) return;
  const int I = ShownIndex();
  const bool Valid = I >= 0 && I < Items()->Count();
  const bool Foc = FaceFocused() && !IsPopupVisible();
  if (!Skin) {
    const int H = RectHeight(CBItem.R);
    if (H <= 0) return;
    TBitmap B(W, H);
    TCanvas* BC = B.Canvas();
    BC->Font()->Assign(Font());
    Fill(BC, {0, 0, W, H}, Foc ? gdi::clHighlight : FDefaultColor);
    BC->Font()->SetColor(Foc ? gdi::clHighlightText : FDefaultFont->Color());
    const TRect T{2, 0, W - 2, H};
    if (Valid) {
      BC->Brush()->SetStyle(gdi::bsClear);
      if (OnDrawItem && !AText) OnDrawItem(BC, I, T);
      else DrawOfficeContent(BC, I, T, AText, true);
    }
    if (Foc) BC->DrawFocusRect({0, 0, W, H});
    C->Draw(CBItem.R.Left, CBItem.R.Top, &B);
    return;
  }
  int H = FUseSkinSize ? RectHeight(SItemRect) : RectHeight(CBItem.R);
  if (FUseSkinSize && H == 0) H = RectHeight(FocusItemRect);
  if (H == 0) H = RectHeight(CBItem.R);
  if (H <= 0) return;
  TBitmap B(W, H);
  TCanvas* BC = B.Canvas();
  DrawSkinItemBackground(&B, W, H, Foc);
  TRect T = ItemTextRect;
  T.Right += W - (IsEmptyRect(SItemRect) ? RectWidth(ClRect) : RectWidth(SItemRect));
  if (!FUseSkinSize) T.Bottom += Height() - RectHeight(SkinRect);
  SetFaceFont(BC, true);
  BC->Font()->SetColor(Foc ? FocusFontColor : FaceTextColor());
  if (!Enabled() && FUseSkinSize) BC->Font()->SetColor(DisabledTextColor());
  BC->Brush()->SetStyle(gdi::bsClear);
  if (Valid) {
    if (!FUseSkinSize && Foc && ShowFocus) {
      BC->Brush()->SetStyle(gdi::bsSolid);
      BC->Brush()->SetColor(FSD->SkinColors().cBtnFace);
      BC->DrawFocusRect({0, 0, W, H});
      BC->Brush()->SetStyle(gdi::bsClear);
      T.Left += 1;
    }
    if (OnDrawItem && !AText) OnDrawItem(BC, I, T);
    else DrawOfficeContent(BC, I, T, AText, !FUseSkinSize);
  }
  C->Draw(CBItem.R.Left, CBItem.R.Top, &B);
}

}  // namespace skin
