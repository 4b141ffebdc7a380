#include "skin/controls/bsSkinPanels.h"

#include "platform/forms/Forms.h"
#include "platform/gdi/Gdi.h"
#include "skin/data/bsResourceStrData.h"
#include "skin/images/bsParentBackground.h"

namespace skin {

namespace {

void Frame3D(gdi::TCanvas* C, TRect& R, TColor TopLeft, TColor BottomRight) {
  C->Pen()->SetColor(TopLeft);
  C->MoveTo(R.Left, R.Bottom - 1);
  C->LineTo(R.Left, R.Top);
  C->LineTo(R.Right - 1, R.Top);
  C->Pen()->SetColor(BottomRight);
  C->LineTo(R.Right - 1, R.Bottom - 1);
  C->LineTo(R.Left - 1, R.Bottom - 1);
  R = {R.Left + 1, R.Top + 1, R.Right - 1, R.Bottom - 1};
}

int VCentre(const TRect& R, int H) { return R.Top + RectHeight(R) / 2 - H / 2; }

void SetCharsetFrom(gdi::TFont* F, TbsSkinData* SD, gdi::TFont* Default) {
  if (SD && SD->ResourceStrData())
    F->SetCharset(gdi::BYTE(SD->ResourceStrData()->CharSet));
  else
    F->SetCharset(Default->Charset());
}

template <class Fn>
void ForEachChild(forms::TWinControl* W, Fn F) {
  for (int i = 0; i < W->ControlCount(); ++i) F(W->Controls(i));
}

}  // namespace

// ------------------------------------------------------------------ panel
TbsSkinPanel::TbsSkinPanel(TComponent* AOwner) : TbsSkinCustomControl(AOwner) {
  SetControlStyle({forms::csAcceptsControls, forms::csCaptureMouse, forms::csClickEvents, forms::csSetCaption,
                   forms::csOpaque, forms::csDoubleClicks, forms::csReplicatable});
  ForcebackGround = true;
  SetBounds(Left(), Top(), 150, 150);
  NewClRect = {};
  FSkinDataName = u"panel";
  FGlyph = std::make_unique<TBitmap>();
}

TbsSkinPanel::~TbsSkinPanel() = default;

void TbsSkinPanel::SetRibbonStyle(bool Value) {
  if (FRibbonStyle == Value) return;
  FRibbonStyle = Value;
  Repaint();
}
void TbsSkinPanel::SetImagePosition(TbsImagePosition Value) {
  if (FImagePosition == Value) return;
  FImagePosition = Value;
  Repaint();
}
void TbsSkinPanel::SetTransparentMode(bool Value) {
  if (FTransparentMode == Value) return;
  FTransparentMode = Value;
  Repaint();
  if (!Designing() && !Loading()) CheckControlsBackground();
}
void TbsSkinPanel::SetCaptionImageIndex(int Value) {
  if (FCaptionImageIndex == Value) return;
  FCaptionImageIndex = Value;
  Repaint();
}
void TbsSkinPanel::SetCheckedMode(bool Value) {
  FCheckedMode = Value;
  Repaint();
}
void TbsSkinPanel::SetChecked(bool Value) {
  FChecked = Value;
  if (FCheckedMode) Repaint();
  if (AutoEnabledControls && FCheckedMode) ForEachChild(this, [&](TControl* C) { C->SetEnabled(Value); });
  if (OnChecked) OnChecked(this);
}
void TbsSkinPanel::SetDefaultAlignment(TAlignment Value) {
  FDefaultAlignment = Value;
  if (FIndex == -1 && FCaptionMode) Repaint();
}
void TbsSkinPanel::SetDefaultCaptionHeight(int Value) {
  FDefaultCaptionHeight = Value;
  if (FIndex == -1 && FCaptionMode) {
    Repaint();
    Realign();
  }
}
void TbsSkinPanel::SetBorderStyle(TbsSkinBorderStyle Value) {
  FBorderStyle = Value;
  if (FIndex == -1) {
    Repaint();
    Realign();
  }
}
void TbsSkinPanel::SetCaptionMode(bool Value) {
  FCaptionMode = Value;
  Repaint();
  Realign();
}
void TbsSkinPanel::SetRollUpMode(bool Value) {
  FRollUpMode = Value;
  if (FIndex == -1 && FCaptionMode) Repaint();
}
void TbsSkinPanel::SetGlyph(TBitmap* Value) {
  FGlyph->Assign(Value);
  Repaint();
}
void TbsSkinPanel::SetNumGlyphs(int Value) {
  FNumGlyphs = std::clamp(Value, 1, 2);
  Repaint();
}
void TbsSkinPanel::SetSpacing(int Value) {
  FSpacing = Value;
  Repaint();
}

void TbsSkinPanel::SetRollUpState(bool Value) {
  if (FRollUpState == Value) return;
  auto* K = Constraints();
  if (!FRollUpMode) {
    K->SetMaxWidth(FCMaxWidth);
    K->SetMinWidth(FCMinWidth);
    K->SetMaxHeight(FCMaxHeight);
    K->SetMinHeight(FCMinHeight);
    FRollUpState = false;
    return;
  }
  if (Value) {
    FCMaxWidth = K->MaxWidth();
    FCMinWidth = K->MinWidth();
    FCMaxHeight = K->MaxHeight();
    FCMinHeight = K->MinHeight();
    K->SetMaxWidth(0);
    K->SetMaxHeight(0);
    K->SetMinHeight(0);
    K->SetMinWidth(0);
  }
  FRollUpState = Value;
  DoRollUp(Value);
  if (!Value) {
    // Rolled down: the size limits put aside by the roll-up apply again.
    K->SetMaxWidth(FCMaxWidth);
    K->SetMinWidth(FCMinWidth);
    K->SetMaxHeight(FCMaxHeight);
    K->SetMinHeight(FCMinHeight);
  }
  if (OnChangeRollUpState) OnChangeRollUpState(this);
}

void TbsSkinPanel::DoRollUp(bool ARollUp) {
  FInChangingRollUp = true;
  if (ARollUp && RealHeight == -1) {
    RealHeight = Height();
    DisableAlign();
    ForEachChild(this, [](TControl* C) { C->SetVisible(false); });
    if (FIndex == -1)
      SetHeight(FDefaultCaptionHeight + 1);
    else
      SetHeight(Height() - RectHeight(NewClRect));
  } else if (!ARollUp && RealHeight != -1) {
    SetHeight(RealHeight);
    RealHeight = -1;
    ForEachChild(this, [](TControl* C) { C->SetVisible(true); });
    EnableAlign();
  }
  FInChangingRollUp = false;
}

bool TbsSkinPanel::CanAutoSize(int& NewWidth, int& NewHeight) {
  if (FRollUpMode && FInChangingRollUp && AutoSize()) return false;
  return TbsSkinCustomControl::CanAutoSize(NewWidth, NewHeight);
}

TRect TbsSkinPanel::GetSkinClientRect() {
  TRect R{0, 0, Width(), Height()};
  AdjustClientRect(R);
  return R;
}

void TbsSkinPanel::AdjustClientRect(TRect& Rect) {
  if (FIndex == -1 || Designing()) {
    if (FBorderStyle != bvNone) Rect = {Rect.Left + 1, Rect.Top + 1, Rect.Right - 1, Rect.Bottom - 1};
    if (FCaptionMode) {
      if (FRibbonStyle)
        Rect.Bottom -= FDefaultCaptionHeight;
      else
        Rect.Top += FDefaultCaptionHeight;
    }
    return;
  }
  if (BGPictureIndex != -1 || (FBorderStyle == bvNone && !FCaptionMode && ResizeMode == 1)) return;
  int W = Width(), H = Height();
  AdjustSkinSize(W, H);
  Rect = NewClRect;
}

void TbsSkinPanel::GetSkinData() {
  TbsSkinCustomControl::GetSkinData();
  BGPictureIndex = -1;
  if (FIndex == -1) return;
  if (auto* D = dynamic_cast<TbsDataSkinPanelControl*>(FSD->CtrlList[FIndex].get())) {
    CaptionRect = D->CaptionRect;
    Alignment = D->Alignment;
    FontName = D->FontName;
    FontColor = D->FontColor;
    FontStyle = D->FontStyle;
    FontHeight = D->FontHeight;
    BGPictureIndex = D->BGPictureIndex;
    CheckImageRect = D->CheckImageRect;
    UnCheckImageRect = D->UnCheckImageRect;
    MarkFrameRect = D->MarkFrameRect;
    FrameRect = D->FrameRect;
    FrameTextRect = D->FrameTextRect;
    FrameLeftOffset = D->FrameLeftOffset;
    FrameRightOffset = D->FrameRightOffset;
  }
}

void TbsSkinPanel::ChangeSkinData() {
  TbsSkinCustomControl::ChangeSkinData();
  if (FRollUpState) {
    const int Kept = RealHeight;
    RealHeight = -1;
    DoRollUp(true);
    RealHeight = Kept;
  } else {
    Realign();
  }
}

void TbsSkinPanel::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TbsSkinCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (FIndex == -1) Repaint();
}

void TbsSkinPanel::Notification(TComponent* AComponent, rtl::TOperation Operation) {
  TbsSkinCustomControl::Notification(AComponent, Operation);
  if (Operation == rtl::opRemove && AComponent == CaptionImageList) CaptionImageList = nullptr;
}

void TbsSkinPanel::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case win::WM_MOVE:
      TbsSkinCustomControl::Dispatch(M);
      if (FTransparentMode) {
        Repaint();
        CheckControlsBackground();
      }
      return;
    case MSG_CHECK_PARENT_BACKGROUND:
      if (FTransparentMode) {
        Repaint();
        CheckControlsBackground();
      }
      return;
    case forms::CM_ENABLEDCHANGED:
      TbsSkinCustomControl::Dispatch(M);
      Repaint();
      return;
    case forms::CM_TEXTCHANGED:
      if (FCaptionMode) Repaint();
      return;
  }
  TbsSkinCustomControl::Dispatch(M);
}

void TbsSkinPanel::MouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) {
  if ((FRollUpMode || FCheckedMode) && FCaptionMode && Button == forms::mbLeft) {
    const TRect R = FIndex != -1 ? NewCaptionRect : TRect{1, 1, Width() - 1, FDefaultCaptionHeight};
    if (PointInRectInclusive(R, {X, Y})) {
      if (FCheckedMode) SetChecked(!FChecked);
      if (FRollUpMode) SetRollUpState(!FRollUpState);
    }
  }
  TbsSkinCustomControl::MouseUp(Button, Shift, X, Y);
}

// ---- painting
void TbsSkinPanel::Paint() {
  if (Width() <= 0 || Height() <= 0) return;
  GetSkinData();
  if (FTransparentMode && FIndex != -1) {
    PaintTransparent(FCaptionMode);
    return;
  }
  if (FIndex == -1 || (!ForcebackGround && StretchEffect)) {
    TbsSkinCustomControl::Paint();
  } else if (FBorderStyle == bvNone && ResizeMode == 1 && !FCaptionMode && ForcebackGround) {
    PaintClientTiles();
  } else if (BGPictureIndex == -1) {
    TbsSkinCustomControl::Paint();
  } else {
    PaintBackgroundPicture();
  }
}

void TbsSkinPanel::PaintskinTo(gdi::TCanvas* C, int X, int Y) {
  if (Width() <= 0 || Height() <= 0) return;
  TBitmap B(Width(), Height());
  GetSkinData();
  int W = Width(), H = Height();
  AdjustSkinSize(W, H);
  if (FIndex == -1) {
    CreateControlDefaultImage(&B);
  } else {
    // The whole skin image in one piece, whatever the paint mode.
    const bool Force = ForcebackGround;
    ForcebackGround = false;
    CreateControlSkinImage(&B);
    ForcebackGround = Force;
  }
  C->Draw(X, Y, &B);
}

void TbsSkinPanel::PaintTransparent(bool GroupFrame) {
  TBitmap B(Width(), Height());
  gdi::TCanvas* C = B.Canvas();
  skin::PaintParentBackground(this, C);
  const auto& Colors = FSD->SkinColors();
  C->Pen()->SetColor(Colors.cBtnShadow);
  C->Pen()->SetWidth(1);
  C->Brush()->SetStyle(gdi::bsClear);
  if (!GroupFrame) {
    if (FBorderStyle != bvNone) C->Rectangle(0, 0, Width(), Height());
  } else {
    if (UseSkinFont)
      ApplyDescriptionFont(C->Font(), FontName, FontHeight, FontStyle);
    else
      C->Font()->Assign(DefaultFont());
    const int TH = C->TextHeight(Caption().empty() ? String(u"Wg") : Caption());
    TRect R{5, 0, B.Width(), TH + 5};
    NewCaptionRect = R;
    int X = 5;
    if (FCheckedMode && Picture) {
      const TRect& CR = FChecked ? CheckImageRect : UnCheckImageRect;
      DrawTransparentPart(C, CR, R.Left, VCentre(R, RectHeight(CR)));
      X = 5 + RectWidth(CR) + 5;
    }
    const int ImgX = X;
    const int IW = CaptionImageWidth();
    if (IW > 0) X += IW + 2;
    R = {X, 0, B.Width(), TH + 5};
    SetCharsetFrom(C->Font(), FSD, DefaultFont());
    const int Lbl = FSD->GetControlIndex(u"stdlabel");
    auto* LD = Lbl >= 0 ? dynamic_cast<TbsDataSkinStdLabelControl*>(FSD->CtrlList[Lbl].get()) : nullptr;
    C->Font()->SetColor(LD ? LD->FontColor : Colors.cBtnText);
    DrawTextVCentered(C, Caption(), R);
    const int TW = Caption().empty() ? 0 : C->TextWidth(Caption());
    if (IW > 0) DrawCaptionImage(C, ImgX, VCentre(R, CaptionImageWidth() > 0 && CaptionImageList && FGlyph->Empty()
                                                          ? CaptionImageList->Height()
                                                          : FGlyph->Height()));
    const int M = RectHeight(R) / 2;
    C->Pen()->SetColor(Colors.cBtnShadow);
    if (FRollUpMode) {
      DrawArrow(C, {R.Left + TW + 3, R.Top, R.Left + TW + 10, R.Bottom}, C->Font()->Color(), FRollUpState ? 4 : 3);
      C->Pen()->SetColor(Colors.cBtnShadow);
      C->MoveTo(R.Left + TW + 12, M);
    } else {
      C->MoveTo(R.Left + TW + 3, M);
    }
    C->LineTo(Width(), M);
    C->MoveTo(0, M);
    C->LineTo(4, M);
    C->MoveTo(Width() - 1, M);
    C->LineTo(Width() - 1, Height() - 1);
    C->LineTo(0, Height() - 1);
    C->LineTo(0, M);
  }
  DoPanelPaint(C);
  Canvas()->Draw(0, 0, &B);
}

void TbsSkinPanel::PaintClientTiles() {
  if (!Picture || IsEmptyRect(ClRect)) return;
  const int w = RectWidth(ClRect), h = RectHeight(ClRect);
  TBitmap P(w, h);
  P.Canvas()->CopyRect({0, 0, w, h}, Picture->Canvas(),
                       {SkinRect.Left + ClRect.Left, SkinRect.Top + ClRect.Top, SkinRect.Left + ClRect.Right,
                        SkinRect.Top + ClRect.Bottom});
  gdi::TCanvas* C = Canvas();
  if (StretchEffect && StretchType == bsstFull) {
    C->StretchDraw({0, 0, Width(), Height()}, &P);
  } else if (StretchEffect && StretchType == bsstHorz) {
    TBitmap S(w, Height());
    S.Canvas()->StretchDraw({0, 0, w, Height()}, &P);
    for (int i = 0; i <= Width() / w; ++i) C->Draw(i * w, 0, &S);
  } else if (StretchEffect) {
    TBitmap S(Width(), h);
    S.Canvas()->StretchDraw({0, 0, Width(), h}, &P);
    for (int j = 0; j <= Height() / h; ++j) C->Draw(0, j * h, &S);
  } else {
    for (int i = 0; i <= Width() / w; ++i)
      for (int j = 0; j <= Height() / h; ++j) C->Draw(i * w, j * h, &P);
  }
}

void TbsSkinPanel::PaintBackgroundPicture() {
  TBitmap* P = SkinPictureAt(FSD, BGPictureIndex);
  if (!P || P->Width() <= 0 || P->Height() <= 0) return;
  gdi::TCanvas* C = Canvas();
  if (StretchEffect && StretchType == bsstFull) {
    C->StretchDraw(NewClRect, P);
  } else if (StretchEffect && StretchType == bsstHorz) {
    TBitmap S(P->Width(), Height());
    S.Canvas()->StretchDraw({0, 0, S.Width(), S.Height()}, P);
    for (int i = 0; i <= Width() / P->Width(); ++i) C->Draw(i * P->Width(), 0, &S);
  } else if (StretchEffect) {
    TBitmap S(Width(), P->Height());
    S.Canvas()->StretchDraw({0, 0, S.Width(), S.Height()}, P);
    for (int j = 0; j <= Height() / P->Height(); ++j) C->Draw(0, j * P->Height(), &S);
  } else {
    for (int i = 0; i <= Width() / P->Width(); ++i)
      for (int j = 0; j <= Height() / P->Height(); ++j) C->Draw(i * P->Width(), j * P->Height(), P);
  }
}

int TbsSkinPanel::CaptionImageWidth() {
  if (FGlyph->Empty() && CaptionImageList && FCaptionImageIndex >= 0 && FCaptionImageIndex < CaptionImageList->Count())
    return CaptionImageList->Width();
  if (!FGlyph->Empty()) return FGlyph->Width() / FNumGlyphs;
  return 0;
}

void TbsSkinPanel::DrawCaptionImage(gdi::TCanvas* C, int X, int Y) {
  if (FGlyph->Empty() && CaptionImageList && FCaptionImageIndex >= 0 &&
      FCaptionImageIndex < CaptionImageList->Count()) {
    CaptionImageList->Draw(C, X, Y, FCaptionImageIndex, Enabled());
  } else if (!FGlyph->Empty()) {
    DrawGlyphFrame(C, X, Y, !Enabled() && FNumGlyphs == 2 ? 2 : 1, FNumGlyphs, FGlyph.get());
  }
}

void TbsSkinPanel::DrawTransparentPart(gdi::TCanvas* C, const TRect& R, int X, int Y) {
  if (!Picture || IsEmptyRect(R)) return;
  TBitmap B(RectWidth(R), RectHeight(R));
  B.Canvas()->CopyRect({0, 0, B.Width(), B.Height()}, Picture->Canvas(), R);
  B.SetTransparent(true);
  C->Draw(X, Y, &B);
}

void TbsSkinPanel::CreateControlDefaultImage(TBitmap* B) {
  TbsSkinCustomControl::CreateControlDefaultImage(B);
  gdi::TCanvas* C = B->Canvas();
  TRect R{0, 0, Width(), Height()};
  switch (FBorderStyle) {
    case bvFrame: Frame3D(C, R, gdi::clBtnShadow, gdi::clBtnShadow); break;
    case bvRaised: Frame3D(C, R, gdi::clBtnHighlight, gdi::clBtnShadow); break;
    case bvLowered: Frame3D(C, R, gdi::clBtnShadow, gdi::clBtnHighlight); break;
    case bvNone: break;
  }
  if (!FCaptionMode) return;
  const int D = FDefaultCaptionHeight;
  if (FBorderStyle != bvFrame) {
    R = FRibbonStyle ? TRect{1, Height() - D - 1, Width() - 1, Height() - 1} : TRect{1, 1, Width() - 1, D};
    Frame3D(C, R, gdi::clBtnShadow, gdi::clBtnHighlight);
    Frame3D(C, R, gdi::clBtnHighlight, gdi::clBtnShadow);
  } else {
    R = FRibbonStyle ? TRect{0, Height() - D, Width(), Height()} : TRect{0, 0, Width(), D};
    Frame3D(C, R, gdi::clBtnShadow, gdi::clBtnShadow);
    Frame3D(C, R, gdi::clBtnHighlight, gdi::clBtnFace);
  }
  if (FCheckedMode) R.Left += 20;
  if (FRollUpMode) R.Right -= 10;
  C->Font()->Assign(DefaultFont());
  SetCharsetFrom(C->Font(), FSD, DefaultFont());
  const int TW = C->TextWidth(Caption());
  const int TextY = VCentre(R, C->TextHeight(u"Wg"));
  const int IW = CaptionImageWidth();
  const int CW = TW + (!FGlyph->Empty() ? IW + FSpacing : 0);
  int TextX = R.Left + 2;
  if (FDefaultAlignment == taRightJustify)
    TextX = R.Right - CW;
  else if (FDefaultAlignment == taCenter)
    TextX = R.Left + 2 + RectWidth(R) / 2 - CW / 2;
  if (FCheckedMode) {
    const int T = R.Top + RectHeight(R) / 2 - 7;
    C->Brush()->SetStyle(gdi::bsSolid);
    C->Brush()->SetColor(gdi::clBtnShadow);
    C->FrameRect({5, T, 19, T + 14});
    if (FChecked) DrawCheckMark(C, 9, T + 3, gdi::clBtnText);
  }
  const int ImgX = TextX;
  if (IW > 0) TextX += IW + FSpacing;
  C->Brush()->SetStyle(gdi::bsClear);
  C->TextRect(R, TextX, TextY, Caption());
  if (IW > 0) {
    const int IH = FGlyph->Empty() ? CaptionImageList->Height() : FGlyph->Height();
    DrawCaptionImage(C, ImgX, VCentre(R, IH));
  }
  if (FRollUpMode) DrawArrow(C, {R.Right, R.Top, R.Right + 10, R.Bottom}, gdi::clBtnText, FRollUpState ? 4 : 3);
}

void TbsSkinPanel::CreateControlSkinImage(TBitmap* B) {
  if (FBorderStyle == bvNone && ResizeMode == 1 && !FCaptionMode && !StretchEffect) {
    if (!Picture || IsEmptyRect(ClRect)) return;
    const int w = RectWidth(ClRect), h = RectHeight(ClRect);
    const TRect Src{SkinRect.Left + ClRect.Left, SkinRect.Top + ClRect.Top, SkinRect.Left + ClRect.Right,
                    SkinRect.Top + ClRect.Bottom};
    for (int i = 0; i <= B->Width() / w; ++i)
      for (int j = 0; j <= B->Height() / h; ++j) {
        const int cw = std::min(w, B->Width() - i * w), ch = std::min(h, B->Height() - j * h);
        if (cw <= 0 || ch <= 0) continue;
        B->Canvas()->CopyRect({i * w, j * h, i * w + cw, j * h + ch}, Picture->Canvas(),
                              {Src.Left, Src.Top, Src.Left + cw, Src.Top + ch});
      }
    return;
  }
  TbsSkinCustomControl::CreateControlSkinImage(B);
  if (ResizeMode < 1)
    NewCaptionRect = CaptionRect;
  else if (!FTransparentMode)
    NewCaptionRect = TranslateSkinRect(CaptionRect);
  if (!Caption().empty() && !IsEmptyRect(CaptionRect)) DrawSkinCaption(B);
}

void TbsSkinPanel::SetSkinCaptionFont(gdi::TCanvas* C) {
  if (UseSkinFont)
    ApplyDescriptionFont(C->Font(), FontName, FontHeight, FontStyle);
  else
    C->Font()->Assign(DefaultFont());
  SetCharsetFrom(C->Font(), FSD, DefaultFont());
  C->Font()->SetColor(FontColor);
}

void TbsSkinPanel::DrawSkinCaption(TBitmap* B) {
  gdi::TCanvas* C = B->Canvas();
  TRect R = NewCaptionRect;
  if (FRollUpMode) R.Right -= 12;
  if (FCheckedMode) {
    const TRect& CR = FChecked ? CheckImageRect : UnCheckImageRect;
    DrawTransparentPart(C, CR, R.Left, VCentre(R, RectHeight(CR)));
    R.Left += RectWidth(CR) + 2;
  }
  SetSkinCaptionFont(C);
  const int TW = C->TextWidth(Caption());
  const int TextY = VCentre(R, C->TextHeight(u"Wg"));
  const int IW = CaptionImageWidth();
  const int CW = TW + (IW > 0 ? IW + FSpacing : 0);
  int TextX = R.Left;
  if (Alignment == taRightJustify)
    TextX = R.Right - CW;
  else if (Alignment == taCenter)
    TextX = R.Left + RectWidth(R) / 2 - CW / 2;
  C->Brush()->SetStyle(gdi::bsClear);
  int ImgX = TextX;
  if (IW > 0) {
    if (FImagePosition == bsipLeft) {
      ImgX = R.Left + 2;
      if (Alignment == taLeftJustify)
        TextX = R.Left + 2 + IW + FSpacing;
      else if (Alignment == taRightJustify)
        TextX = R.Right - TW;
      else
        TextX = R.Left + RectWidth(R) / 2 - TW / 2;
      TextX = std::max(TextX, ImgX + IW + FSpacing);
    } else {
      TextX += IW + FSpacing;
    }
  }
  if (FRollUpMode) {
    TRect A{R.Right, R.Top, R.Right + 10, R.Bottom};
    if (!IsEmptyRect(MarkFrameRect) && Picture)
      C->CopyRect({A.Left, A.Top, A.Left + RectWidth(MarkFrameRect), CaptionRect.Top + RectHeight(MarkFrameRect)},
                  Picture->Canvas(), MarkFrameRect);
    DrawArrow(C, A, FontColor, FRollUpState ? 4 : 3);
  }
  if (!IsEmptyRect(FrameRect) && Picture) {
    const int c = RectWidth(FrameRect) - RectWidth(FrameTextRect);
    TBitmap F;
    ComposeHorzSkinImage(FrameLeftOffset, FrameRightOffset, &F, Picture, FrameRect, c + TW, RectHeight(FrameRect),
                         false);
    int FX = TextX;
    if (Alignment == taRightJustify) {
      FX = TextX - c;
      ImgX -= c;
    } else if (Alignment == taCenter) {
      FX = TextX - FrameTextRect.Left - 2;
      ImgX -= FrameTextRect.Left;
    }
    TextX = FX + FrameTextRect.Left;
    C->Draw(FX, CaptionRect.Top, &F);
  }
  C->Brush()->SetStyle(gdi::bsClear);
  C->TextRect(R, TextX, TextY, Caption());
  if (IW > 0) {
    const int IH = FGlyph->Empty() ? CaptionImageList->Height() : FGlyph->Height();
    DrawCaptionImage(C, ImgX, VCentre(R, IH));
  }
}

// ------------------------------------------------------------------ paint panel, group box
TbsSkinPaintPanel::TbsSkinPaintPanel(TComponent* AOwner) : TbsSkinPanel(AOwner) { ForcebackGround = false; }

void TbsSkinPaintPanel::DoPanelPaint(gdi::TCanvas* Cnvs) {
  if (OnPanelPaint) OnPanelPaint(Cnvs, GetSkinClientRect());
}
void TbsSkinPaintPanel::CreateControlDefaultImage(TBitmap* B) {
  TbsSkinPanel::CreateControlDefaultImage(B);
  if (OnPanelPaint) OnPanelPaint(B->Canvas(), GetSkinClientRect());
}
void TbsSkinPaintPanel::CreateControlSkinImage(TBitmap* B) {
  TbsSkinPanel::CreateControlSkinImage(B);
  if (OnPanelPaint) OnPanelPaint(B->Canvas(), GetSkinClientRect());
}
void TbsSkinPaintPanel::Dispatch(TMessage& M) {
  if (M.Msg == win::WM_ERASEBKGND) {
    if (!FromWMPaint) PaintWindow(reinterpret_cast<gdi::HDC>(M.WParam));
    M.Result = 1;
    return;
  }
  TbsSkinPanel::Dispatch(M);
}

TbsSkinGroupBox::TbsSkinGroupBox(TComponent* AOwner) : TbsSkinPanel(AOwner) {
  FSkinDataName = u"groupbox";
  SetCaptionMode(true);
}

void TbsSkinGroupBox::GetSkinData() {
  TbsSkinPanel::GetSkinData();
  if (FIndex != -1 && CaptionRect.Top >= ClRect.Bottom) ForcebackGround = false;
}

// ------------------------------------------------------------------ status bar
void DrawSizeGrip(gdi::TCanvas* C, TRect G, TColor Dark, TColor Light) {
  int b = 3;
  for (int n = 0; n <= RectWidth(G) / 3; ++n) {
    if (G.Left + b + 2 > G.Right) break;
    C->Pen()->SetColor(Dark);
    C->MoveTo(G.Left + b, G.Bottom);
    C->LineTo(G.Right, G.Top + b);
    C->Pen()->SetColor(Light);
    C->MoveTo(G.Left + b + 1, G.Bottom);
    C->LineTo(G.Right, G.Top + b + 1);
    b += 3;
  }
}

TbsSkinStatusBar::TbsSkinStatusBar(TComponent* AOwner) : TbsSkinPanel(AOwner) {
  FSkinDataName = u"statusbar";
  SetAlign(forms::alBottom);
  SetHeight(21);
  SetBorderStyle(bvNone);
  ForcebackGround = false;
}

void TbsSkinStatusBar::SetSizeGrip(bool Value) {
  FSizeGrip = Value;
  Repaint();
  Realign();
}
void TbsSkinStatusBar::SetShowGrip(bool Value) {
  FShowGrip = Value;
  Repaint();
  Realign();
}

void TbsSkinStatusBar::GetSkinData() {
  TbsSkinPanel::GetSkinData();
  if (FIndex == -1) return;
  if (auto* D = dynamic_cast<TbsDataSkinPanelControl*>(FSD->CtrlList[FIndex].get())) {
    GripperRect = D->GripperRect;
    GripperTransparent = D->GripperTransparent;
    GripperTransparentColor = D->GripperTransparentColor;
  }
}

void TbsSkinStatusBar::SetSkinData(TbsSkinData* Value) {
  TbsSkinPanel::SetSkinData(Value);
  ForEachChild(this, [&](TControl* C) {
    if (auto* S = dynamic_cast<TbsSkinControl*>(C)) S->SetSkinData(Value);
  });
}

void TbsSkinStatusBar::AdjustClientRect(TRect& Rect) {
  TbsSkinPanel::AdjustClientRect(Rect);
  if (!GripActive()) return;
  if (FIndex == -1 || IsEmptyRect(GripperRect))
    Rect.Right -= RectHeight(Rect);
  else
    Rect.Right -= RectWidth(GripperRect);
}

TRect TbsSkinStatusBar::GripRect() {
  const TRect R = GetSkinClientRect();
  if (FIndex != -1 && !IsEmptyRect(GripperRect))
    return {R.Right, R.Bottom - RectHeight(GripperRect), R.Right + RectWidth(GripperRect), R.Bottom};
  return {R.Right + 2, R.Top, R.Right + RectHeight(R), R.Bottom - 2};
}

void TbsSkinStatusBar::CreateControlDefaultImage(TBitmap* B) {
  TbsSkinPanel::CreateControlDefaultImage(B);
  if (GripActive()) DrawSizeGrip(B->Canvas(), GripRect(), gdi::clBtnShadow, gdi::clBtnHighlight);
}

void TbsSkinStatusBar::CreateControlSkinImage(TBitmap* B) {
  TbsSkinPanel::CreateControlSkinImage(B);
  if (!GripActive()) return;
  const TRect G = GripRect();
  if (IsEmptyRect(GripperRect) || !Picture) {
    DrawSizeGrip(B->Canvas(), G, FSD->SkinColors().cBtnShadow, FSD->SkinColors().cBtnHighLight);
    return;
  }
  TBitmap P(RectWidth(GripperRect), RectHeight(GripperRect));
  P.Canvas()->CopyRect({0, 0, P.Width(), P.Height()}, Picture->Canvas(), GripperRect);
  if (GripperTransparent) {
    P.SetTransparentColor(GripperTransparentColor);
    P.SetTransparent(true);
  }
  B->Canvas()->Draw(G.Left, G.Top, &P);
}

void TbsSkinStatusBar::Dispatch(TMessage& M) {
  if (M.Msg == win::WM_NCHITTEST && !Designing() && GripActive()) {
    const TPoint P = ScreenToClient({short(M.LParam & 0xFFFF), short((M.LParam >> 16) & 0xFFFF)});
    M.Result = PointInRectInclusive(GripRect(), P) ? win::HTBOTTOMRIGHT : win::HTCLIENT;
    return;
  }
  TbsSkinPanel::Dispatch(M);
}

// ------------------------------------------------------------------ bevel
TbsSkinBevel::TbsSkinBevel(TComponent* AOwner)
    : forms::TGraphicControl(AOwner), LightColor(gdi::clBtnHighlight), DarkColor(gdi::clBtnShadow) {
  SetBounds(Left(), Top(), 50, 50);
}
TbsSkinBevel::~TbsSkinBevel() = default;

void TbsSkinBevel::SetSkinData(TbsSkinData* Value) {
  if (FSD) FSD->RemoveFreeNotification(this);
  FSD = Value;
  if (FSD) FSD->FreeNotification(this);
  ChangeSkinData();
}

void TbsSkinBevel::Notification(TComponent* AComponent, rtl::TOperation Operation) {
  forms::TGraphicControl::Notification(AComponent, Operation);
  if (Operation == rtl::opRemove && AComponent == FSD) SetSkinData(nullptr);
}

void TbsSkinBevel::SetDividerMode(bool Value) {
  FDividerMode = Value;
  Repaint();
}
void TbsSkinBevel::SetShape(TbsBevelShape Value) {
  FShape = Value;
  Repaint();
}
void TbsSkinBevel::SetStyle(TbsBevelStyle Value) {
  FStyle = Value;
  Repaint();
}

void TbsSkinBevel::ChangeSkinData() {
  FIndex = FSD && !FSD->Empty ? FSD->GetControlIndex(SkinDataName) : -1;
  if (FIndex == -1) {
    LightColor = gdi::clBtnHighlight;
    DarkColor = gdi::clBtnShadow;
  } else if (auto* D = dynamic_cast<TbsDataSkinBevel*>(FSD->CtrlList[FIndex].get())) {
    LightColor = D->LightColor;
    DarkColor = D->DarkColor;
  }
  Repaint();
}

void TbsSkinBevel::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  auto* Q = dynamic_cast<TbsSkinContainerQuery*>(Parent());
  TRect R;
  if (Q && Q->CentresControls(R)) ATop = R.Top + RectHeight(R) / 2 - AHeight / 2;
  forms::TGraphicControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TbsSkinBevel::Paint() {
  gdi::TCanvas* C = Canvas();
  C->Pen()->SetWidth(1);
  if (ComponentState().Contains(rtl::csDesigning) && FShape == bsSpacer) {
    C->Pen()->SetStyle(gdi::psDot);
    C->Pen()->SetMode(gdi::pmXor);
    C->Pen()->SetColor(0x00FFD8CE);
    C->Brush()->SetStyle(gdi::bsClear);
    C->Rectangle(ClientRect());
    return;
  }
  C->Pen()->SetStyle(gdi::psSolid);
  C->Pen()->SetMode(gdi::pmCopy);
  const TColor C1 = FStyle == bsLowered ? DarkColor : LightColor;
  const TColor C2 = FStyle == bsLowered ? LightColor : DarkColor;
  auto Edge = [&](int L, int T, int R, int B, TColor A, TColor Z) {
    C->Pen()->SetColor(A);
    C->Polyline({{L, B}, {L, T}, {R, T}});
    C->Pen()->SetColor(Z);
    C->Polyline({{R, T}, {R, B}, {L, B}});
  };
  auto Line = [&](int X1, int Y1, int X2, int Y2, TColor A) {
    C->Pen()->SetColor(A);
    C->MoveTo(X1, Y1);
    C->LineTo(X2, Y2);
  };
  const int W = Width(), H = Height();
  if (FDividerMode) {
    if (FShape == bsTopLine || FShape == bsBottomLine)
      Edge(2, H / 2 - 1, W - 2, H / 2, C1, C2);
    else if (FShape != bsSpacer)
      Edge(W / 2 - 1, 2, W / 2, H - 2, C1, C2);
    return;
  }
  switch (FShape) {
    case bsBox: Edge(0, 0, W - 1, H - 1, C1, C2); break;
    case bsFrame:
      Edge(1, 1, W - 1, H - 1, C2, C2);
      Edge(0, 0, W - 2, H - 2, C1, C1);
      break;
    case bsTopLine:
      Line(0, 0, W, 0, C1);
      Line(0, 1, W, 1, C2);
      break;
    case bsBottomLine:
      Line(0, H - 2, W, H - 2, C1);
      Line(0, H - 1, W, H - 1, C2);
      break;
    case bsLeftLine:
      Line(0, 0, 0, H, C1);
      Line(1, 0, 1, H, C2);
      break;
    case bsRightLine:
      Line(W - 2, 0, W - 2, H, C1);
      Line(W - 1, 0, W - 1, H, C2);
      break;
    case bsSpacer: break;
  }
}

}  // namespace skin
