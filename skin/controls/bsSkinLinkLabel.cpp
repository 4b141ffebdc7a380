#include "skin/controls/bsSkinLinkLabel.h"

#include "platform/forms/StdDraw.h"
#include "platform/shell/SystemServices.h"
#include "skin/data/bsResourceStrData.h"
#include "skin/data/bsSkinDataWindows.h"
#include "skin/images/bsGlowText.h"

namespace skin {

TbsSkinLinkLabel::TbsSkinLinkLabel(TComponent* AOwner) : forms::TCustomLabel(AOwner) {
  FDefaultFont = std::make_unique<gdi::TFont>();
  FDefaultFont->SetName(u"Arial");
  FDefaultFont->SetHeight(14);
  FDefaultFont->SetStyle(gdi::TFontStyles{gdi::fsUnderline});
  SetTransparent(true);
  Font()->Assign(FDefaultFont.get());
  SetCursor(forms::crHandPoint);
}

TbsSkinLinkLabel::~TbsSkinLinkLabel() {
  if (FSD) FSD->RemoveFreeNotification(this);
}

void TbsSkinLinkLabel::SetSkinData(TbsSkinData* Value) {
  if (FSD) FSD->RemoveFreeNotification(this);
  FSD = Value;
  if (FSD) {
    FSD->FreeNotification(this);
    ChangeSkinData();
  }
}

// The glow's room above the text changes the size of an auto-sized label.
void TbsSkinLinkLabel::SetGlowEffect(bool Value) {
  if (FGlowEffect == Value) return;
  FGlowEffect = Value;
  AdjustBounds();
  Invalidate();
}

void TbsSkinLinkLabel::SetGlowSize(int Value) {
  if (FGlowSize == Value) return;
  FGlowSize = Value;
  AdjustBounds();
  Invalidate();
}

void TbsSkinLinkLabel::SetUseUnderLine(bool Value) {
  if (FUseUnderLine == Value) return;
  FUseUnderLine = Value;
  Invalidate();
}

void TbsSkinLinkLabel::GetSkinData() {
  FIndex = FSD && !FSD->Empty ? FSD->GetControlIndex(FSkinDataName) : -1;
  if (auto* D = dynamic_cast<TbsDataSkinStdLabelControl*>(SkinDescriptionAt(FSD, FIndex))) {
    FontName = D->FontName;
    FontColor = D->FontColor;
    FontStyle = D->FontStyle;
    FontHeight = D->FontHeight;
    ActiveFontColor = D->ActiveFontColor;
  }
}

void TbsSkinLinkLabel::ChangeSkinData() {
  GetSkinData();
  AdjustBounds();
  Invalidate();
}

void TbsSkinLinkLabel::Notification(TComponent* AComponent, rtl::TOperation Operation) {
  forms::TCustomLabel::Notification(AComponent, Operation);
  if (Operation == rtl::opRemove && AComponent == FSD) {
    FSD = nullptr;
    FIndex = -1;
  }
}

void TbsSkinLinkLabel::Dispatch(TMessage& M) {
  forms::TCustomLabel::Dispatch(M);
  if (M.Msg == forms::CM_MOUSEENTER || M.Msg == forms::CM_MOUSELEAVE) {
    FMouseIn = M.Msg == forms::CM_MOUSEENTER;
    Invalidate();
  }
}

void TbsSkinLinkLabel::Click() {
  forms::TLiveness Live = Liveness();
  forms::TCustomLabel::Click();
  if (!Live.Alive()) return;
  if (!FURL.empty()) shell::OpenDocument(FURL);
}

void TbsSkinLinkLabel::PrepareFont(gdi::TFont* F) {
  if (FIndex == -1) {
    F->Assign(FUseSkinFont ? FDefaultFont.get() : Font());
    if (FMouseIn) F->SetColor(FDefaultActiveFontColor);
  } else {
    if (FUseSkinFont)
      ApplyDescriptionFont(F, FontName, FontHeight, FontStyle);
    else
      F->Assign(Font());
    F->SetColor(FMouseIn && !FGlowEffect ? ActiveFontColor : FontColor);
  }
  if (FSD && FSD->ResourceStrData())
    F->SetCharset(gdi::BYTE(FSD->ResourceStrData()->CharSet));
  else
    F->SetCharset(FDefaultFont->Charset());
  gdi::TFontStyles S = F->Style();
  if (FUseUnderLine && Enabled())
    S.Include(gdi::fsUnderline);
  else if (!FUseUnderLine)
    S.Exclude(gdi::fsUnderline);
  F->SetStyle(S);
}

void TbsSkinLinkLabel::DoDrawText(TRect& R, unsigned Flags) {
  GetSkinData();
  String Text = Caption();
  const bool Calc = (Flags & gdi::DT_CALCRECT) != 0;
  if (Calc && (Text.empty() || (ShowAccelChar() && Text == u"&"))) Text += u" ";
  if (!ShowAccelChar()) Flags |= gdi::DT_NOPREFIX;
  // The glow needs room above the text, so the text sits lower in every state.
  TRect R2 = R;
  if (FGlowEffect) R2 = {R.Left, R.Top + FGlowSize, R.Right, R.Bottom + FGlowSize};

  gdi::TCanvas Measure;
  gdi::TCanvas* C = Calc ? &Measure : Canvas();
  if (Calc) Measure.SetHandle(forms::stddraw::MeasureDC());
  PrepareFont(C->Font());
  C->Brush()->SetStyle(gdi::bsClear);
  if (Calc) {
    DrawWideText(C, Text, R2, Flags);
    R = {R.Left, R.Top, R2.Right, R2.Bottom};
    Measure.SetHandle(nullptr);
    return;
  }
  const TColor GlowColor = FIndex == -1 ? FDefaultActiveFontColor : ActiveFontColor;
  if (Enabled()) {
    if (FMouseIn && FGlowEffect)
      DrawTextWithGlow(C, R2, Text, FGlowSize, GlowColor, 0, Flags);
    else
      DrawWideText(C, Text, R2, Flags);
    return;
  }
  const bool Skinned = FIndex != -1 && FSD;
  C->Font()->SetColor(Skinned ? FSD->SkinColors().cBtnHighLight : gdi::clBtnHighlight);
  TRect Shade = {R2.Left + 1, R2.Top + 1, R2.Right + 1, R2.Bottom + 1};
  DrawWideText(C, Text, Shade, Flags);
  C->Font()->SetColor(Skinned ? FSD->SkinColors().cBtnShadow : gdi::clBtnShadow);
  DrawWideText(C, Text, R2, Flags);
}

}  // namespace skin
