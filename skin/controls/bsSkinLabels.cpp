#include "skin/controls/bsSkinLabels.h"

#include "platform/gdi/Gdi.h"
#include "skin/controls/bsSkinCheckRadio.h"

namespace skin {

namespace {

TRect Moved(TRect R, int dx, int dy) { return {R.Left + dx, R.Top + dy, R.Right + dx, R.Bottom + dy}; }

unsigned AlignmentFlag(forms::TAlignment A) {
  return A == forms::taRightJustify ? gdi::DT_RIGHT : A == forms::taCenter ? gdi::DT_CENTER : gdi::DT_LEFT;
}

// A canvas to measure text on when the label is not painting.
class TMeasureCanvas {
 public:
  TMeasureCanvas() : FBitmap(1, 1) {}
  gdi::TCanvas* Canvas() { return FBitmap.Canvas(); }

 private:
  TBitmap FBitmap;
};

}  // namespace

// ------------------------------------------------------------------ shared look
TbsSkinLabelLook::TbsSkinLabelLook(forms::TControl* AControl)
    : FControl(AControl), FDefaultFont(MakeDefaultFont([] {})) {}

TbsSkinLabelLook::~TbsSkinLabelLook() { FSD = nullptr; }

void TbsSkinLabelLook::SetSkinData(TbsSkinData* Value) {
  if (FSD) FSD->RemoveFreeNotification(FControl);
  FSD = Value;
  if (FSD) {
    FSD->FreeNotification(FControl);
    ChangeSkinData();
  }
}

void TbsSkinLabelLook::SkinDataRemoved(TComponent* AComponent) {
  if (AComponent != FSD) return;
  FSD = nullptr;
  FIndex = -1;
}

void TbsSkinLabelLook::GetSkinData() {
  FIndex = FSD && !FSD->Empty ? FSD->GetControlIndex(FSkinDataName) : -1;
  auto* D = dynamic_cast<TbsDataSkinStdLabelControl*>(SkinDescriptionAt(FSD, FIndex));
  if (!D) return;
  FontName = D->FontName;
  FontColor = D->FontColor;
  FontStyle = D->FontStyle;
  FontHeight = D->FontHeight;
}

void TbsSkinLabelLook::PrepareFont(gdi::TCanvas* C) {
  gdi::TFont* F = C->Font();
  if (FIndex == -1) {
    F->Assign(UseSkinFont ? FDefaultFont.get() : FControl->Font());
  } else {
    F->Assign(FControl->Font());
    if (UseSkinFont) ApplyDescriptionFont(F, FontName, FontHeight, FontStyle);
    F->SetColor(UseSkinColor ? FontColor : FControl->Font()->Color());
  }
  ApplySkinCharset(F, FSD, FDefaultFont.get());
}

void TbsSkinLabelLook::DrawSkinText(gdi::TCanvas* C, const String& Text, TRect& R, unsigned Flags) {
  PrepareFont(C);
  C->Brush()->SetStyle(gdi::bsClear);
  if (FControl->Enabled() || (Flags & gdi::DT_CALCRECT)) {
    gdi::DrawText(CanvasTextDC(C), Text, &R, Flags);
    return;
  }
  const bool Skinned = FIndex != -1 && FSD;
  TRect Shifted = Moved(R, 1, 1);
  C->Font()->SetColor(Skinned ? FSD->SkinColors().cBtnHighLight : gdi::clBtnHighlight);
  gdi::DrawText(CanvasTextDC(C), Text, &Shifted, Flags);
  C->Font()->SetColor(Skinned ? FSD->SkinColors().cBtnShadow : gdi::clBtnShadow);
  gdi::DrawText(CanvasTextDC(C), Text, &R, Flags);
}

// ------------------------------------------------------------------ standard label
TbsSkinStdLabel::TbsSkinStdLabel(TComponent* AOwner) : forms::TCustomLabel(AOwner), TbsSkinLabelLook(this) {
  SetTransparent(true);
}

void TbsSkinStdLabel::SetEllipsType(TbsEllipsType Value) {
  if (FEllipsType == Value) return;
  FEllipsType = Value;
  Invalidate();
}

void TbsSkinStdLabel::ChangeSkinData() {
  GetSkinData();
  if (AutoSize()) AdjustBounds();
  Repaint();
}

void TbsSkinStdLabel::Notification(TComponent* AComponent, rtl::TOperation Operation) {
  forms::TCustomLabel::Notification(AComponent, Operation);
  if (Operation == rtl::opRemove) SkinDataRemoved(AComponent);
}

void TbsSkinStdLabel::DrawLabelText(gdi::TCanvas* C, String Text, TRect& R, unsigned Flags) {
  GetSkinData();
  // An empty caption, or a lone accelerator mark, still measures one line.
  if ((Flags & gdi::DT_CALCRECT) && (Text.empty() || (ShowAccelChar() && Text == u"&"))) Text += u" ";
  if (!ShowAccelChar()) Flags |= gdi::DT_NOPREFIX;
  if (FEllipsType == bsetEndEllips) Flags |= gdi::DT_END_ELLIPSIS;
  if (FEllipsType == bsetPathEllips) Flags |= gdi::DT_PATH_ELLIPSIS;
  DrawSkinText(C, Text, R, Flags);
}

void TbsSkinStdLabel::DoDrawText(TRect& Rect, unsigned Flags) {
  if (Flags & gdi::DT_CALCRECT) {
    TMeasureCanvas M;
    DrawLabelText(M.Canvas(), Caption(), Rect, Flags);
    return;
  }
  DrawLabelText(Canvas(), Caption(), Rect, Flags);
}

void TbsSkinStdLabel::PaintSkinTo(gdi::TCanvas* C, int X, int Y, const String& AText) {
  TRect R = ClientRect();
  if (!Transparent()) {
    C->Brush()->SetStyle(gdi::bsSolid);
    C->Brush()->SetColor(Color());
    C->FillRect(Moved(R, X, Y));
  }
  C->Brush()->SetStyle(gdi::bsClear);
  unsigned Flags = gdi::DT_EXPANDTABS | (WordWrap() ? gdi::DT_WORDBREAK : 0) | AlignmentFlag(Alignment());
  if (FEllipsType == bsetEndEllips) Flags |= gdi::DT_END_ELLIPSIS;
  if (FEllipsType == bsetPathEllips) Flags |= gdi::DT_PATH_ELLIPSIS;
  if (Layout() != forms::tlTop) {
    TRect M = R;
    DrawLabelText(C, AText, M, Flags | gdi::DT_CALCRECT);
    const int dy = Layout() == forms::tlBottom ? Height() - M.Bottom : (Height() - M.Bottom) / 2;
    R = Moved(R, 0, dy);
  }
  R = Moved(R, X, Y);
  DrawLabelText(C, AText, R, Flags);
}

// ------------------------------------------------------------------ text label
TbsSkinTextLabel::TbsSkinTextLabel(TComponent* AOwner)
    : forms::TGraphicControl(AOwner), TbsSkinLabelLook(this), FLines(std::make_unique<rtl::TStringList>()) {
  auto S = ControlStyle();
  S.Exclude(forms::csOpaque);
  S.Include(forms::csReplicatable);
  SetControlStyle(S);
  SetBounds(Left(), Top(), 65, 65);
  forms::TControl::SetAutoSize(true);
  FLines->OnChange = [this](TObject*) { LinesChanged(); };
}

TbsSkinTextLabel::~TbsSkinTextLabel() { FLines->OnChange = nullptr; }

void TbsSkinTextLabel::SetLines(rtl::TStrings* Value) {
  FLines->Assign(Value);
  Repaint();
}

void TbsSkinTextLabel::SetAlignment(forms::TAlignment Value) {
  if (FAlignment == Value) return;
  FAlignment = Value;
  Invalidate();
}

void TbsSkinTextLabel::SetAutoSize(bool Value) {
  if (AutoSize() == Value) return;
  forms::TControl::SetAutoSize(Value);
  AdjustBounds();
}

void TbsSkinTextLabel::SetLayout(forms::TTextLayout Value) {
  if (FLayout == Value) return;
  FLayout = Value;
  Invalidate();
}

void TbsSkinTextLabel::SetWordWrap(bool Value) {
  if (FWordWrap == Value) return;
  FWordWrap = Value;
  AdjustBounds();
  Invalidate();
}

void TbsSkinTextLabel::LinesChanged() {
  if (AutoSize()) AdjustBounds();
  Invalidate();
}

void TbsSkinTextLabel::ChangeSkinData() {
  GetSkinData();
  if (AutoSize()) AdjustBounds();
  Repaint();
}

unsigned TbsSkinTextLabel::TextFlags() const {
  return gdi::DT_EXPANDTABS | (FWordWrap ? gdi::DT_WORDBREAK : 0) | AlignmentFlag(FAlignment);
}

void TbsSkinTextLabel::AdjustBounds() {
  if (!AutoSize() || ComponentState().Contains(rtl::csReading) || Loading()) return;
  GetSkinData();
  TMeasureCanvas M;
  TRect R = ClientRect();
  DrawSkinText(M.Canvas(), FLines->Text(), R,
               gdi::DT_EXPANDTABS | gdi::DT_CALCRECT | (FWordWrap ? gdi::DT_WORDBREAK : 0));
  int X = Left();
  if (FAlignment == forms::taRightJustify) X += Width() - R.Right;
  // The text ends with a line break, which measures as one more line; an
  // empty list measures less than that line and keeps no height.
  R.Bottom = std::max(0, R.Bottom - M.Canvas()->TextHeight(u"A"));
  SetBounds(X, Top(), R.Right, R.Bottom);
}

void TbsSkinTextLabel::Paint() {
  GetSkinData();
  gdi::TCanvas* C = Canvas();
  C->Brush()->SetStyle(gdi::bsClear);
  TRect R = ClientRect();
  const unsigned Flags = TextFlags();
  const String Text = FLines->Text();
  if (FLayout != forms::tlTop) {
    TRect M = R;
    DrawSkinText(C, Text, M, Flags | gdi::DT_CALCRECT);
    M.Bottom -= C->TextHeight(u"A");
    const int dy = FLayout == forms::tlBottom ? Height() - M.Bottom : (Height() - M.Bottom) / 2;
    R = Moved(R, 0, dy);
  }
  DrawSkinText(C, Text, R, Flags);
}

void TbsSkinTextLabel::Loaded() {
  forms::TGraphicControl::Loaded();
  AdjustBounds();
}

void TbsSkinTextLabel::Dispatch(TMessage& M) {
  if (M.Msg == forms::CM_FONTCHANGED) {
    forms::TGraphicControl::Dispatch(M);
    AdjustBounds();
    Invalidate();
    return;
  }
  forms::TGraphicControl::Dispatch(M);
}

void TbsSkinTextLabel::Notification(TComponent* AComponent, rtl::TOperation Operation) {
  forms::TGraphicControl::Notification(AComponent, Operation);
  if (Operation == rtl::opRemove) SkinDataRemoved(AComponent);
}

}  // namespace skin
