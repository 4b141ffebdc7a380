// Skinned labels: window-less captions whose font and colour come from the
// skin's "stdlabel" description.
//
// TbsSkinStdLabel is the framework's label (alignment, layout, word wrap,
// auto size) with the text step replaced: skin font and colour, an ellipsis
// option and a disabled look in the skin's highlight and shadow colours.
// TbsSkinTextLabel shows the lines of a string list; auto size measures them
// (the trailing line break, which measures as an extra line, left out).
//
// Font rules of both: without a description, DefaultFont (UseSkinFont) or
// Font; with one, the description's face, height and style (UseSkinFont) or
// Font, in the description's colour (UseSkinColor) or Font's.
// GUI thread only.
#pragma once

#include "platform/forms/StdCtrls.h"
#include "skin/controls/bsSkinCtrls.h"

namespace skin {

enum TbsEllipsType { bsetNone, bsetEndEllips, bsetPathEllips };

// The skin link and the text rules both labels share.
class TbsSkinLabelLook : public TbsSkinChangeable {
 public:
  explicit TbsSkinLabelLook(forms::TControl* AControl);
  ~TbsSkinLabelLook() override;

  TbsSkinData* SkinData() const override { return FSD; }
  void SetSkinData(TbsSkinData* Value);
  const String& SkinDataName() const { return FSkinDataName; }
  void SetSkinDataName(const String& Value) { FSkinDataName = Value; }
  gdi::TFont* DefaultFont() { return FDefaultFont.get(); }
  void SetDefaultFont(gdi::TFont* Value) { FDefaultFont->Assign(Value); }
  bool UseSkinFont = true;
  bool UseSkinColor = true;
  int SkinIndex() const { return FIndex; }

  void GetSkinData();

 protected:
  // Sets C's font, colour and charset by the rules above.
  void PrepareFont(gdi::TCanvas* C);
  // Draws Text into R with Flags on C (enabled or in the disabled look), or
  // measures it when Flags hold DT_CALCRECT.
  void DrawSkinText(gdi::TCanvas* C, const String& Text, TRect& R, unsigned Flags);
  // The skin data component going away.
  void SkinDataRemoved(TComponent* AComponent);

  forms::TControl* FControl;
  TbsSkinData* FSD = nullptr;
  int FIndex = -1;
  String FSkinDataName = u"stdlabel";
  std::unique_ptr<gdi::TFont> FDefaultFont;
  String FontName = u"Arial";
  TFontStyles FontStyle = 0;
  int FontHeight = 12;
  TColor FontColor = 0;
};

class TbsSkinStdLabel : public forms::TCustomLabel, public TbsSkinLabelLook {
 public:
  explicit TbsSkinStdLabel(TComponent* AOwner);

  TbsEllipsType EllipsType() const { return FEllipsType; }
  void SetEllipsType(TbsEllipsType Value);

  void ChangeSkinData() override;
  // AText in the label's style on C, its client area moved by (X, Y).
  void PaintSkinTo(gdi::TCanvas* C, int X, int Y, const String& AText);
  void Notification(TComponent* AComponent, rtl::TOperation Operation) override;

 protected:
  void DoDrawText(TRect& Rect, unsigned Flags) override;

 private:
  void DrawLabelText(gdi::TCanvas* C, String Text, TRect& R, unsigned Flags);

  TbsEllipsType FEllipsType = bsetNone;
};

class TbsSkinTextLabel : public forms::TGraphicControl, public TbsSkinLabelLook {
 public:
  explicit TbsSkinTextLabel(TComponent* AOwner);
  ~TbsSkinTextLabel() override;

  rtl::TStrings* Lines() const { return FLines.get(); }
  void SetLines(rtl::TStrings* Value);
  forms::TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(forms::TAlignment Value);
  void SetAutoSize(bool Value) override;
  forms::TTextLayout Layout() const { return FLayout; }
  void SetLayout(forms::TTextLayout Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);

  void ChangeSkinData() override;
  // Sizes the label to its text when AutoSize is on.
  void AdjustBounds();
  void Loaded() override;
  void Dispatch(TMessage& M) override;
  void Notification(TComponent* AComponent, rtl::TOperation Operation) override;

 protected:
  void Paint() override;

 private:
  void LinesChanged();
  unsigned TextFlags() const;

  std::unique_ptr<rtl::TStringList> FLines;
  forms::TAlignment FAlignment = forms::taLeftJustify;
  forms::TTextLayout FLayout = forms::tlTop;
  bool FWordWrap = false;
};

}  // namespace skin
