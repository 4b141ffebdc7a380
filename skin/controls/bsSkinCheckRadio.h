// Skinned check box and radio button in one windowed control: a check image
// and a caption, an optional third (grayed) state, groups by GroupIndex,
// Space and accelerator keys, hover and focus looks.
//
// Flat (the default) draws over the parent's background: the check image from
// the skin's "checkbox"/"radiobox" description, or a plain box and mark. With
// Flat off the box draws a framed skin image of its own and may morph between
// its normal and hot look (20 ms steps of 0.2) when the skin asks for it.
//
// OnClick (the control's own) fires from SetChecked and SetState, so an
// assignment from code clicks too: a check box on every change, a radio box
// only when it becomes checked. The framework's click does not fire it.
// GUI thread only.
#pragma once

#include "skin/controls/bsSkinButtons.h"

namespace skin {

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

// The charset rule of the skinned captions: the skin's resource strings'
// charset when there are any, else the default font's.
void ApplySkinCharset(gdi::TFont* F, TbsSkinData* SD, gdi::TFont* DefaultFont);

class TbsSkinCheckRadioBox : public TbsSkinCustomControl {
 public:
  explicit TbsSkinCheckRadioBox(TComponent* AOwner);
  ~TbsSkinCheckRadioBox() override;

  bool Checked() const { return FChecked; }
  void SetChecked(bool Value);
  TCheckBoxState State() const { return FState; }
  void SetState(TCheckBoxState Value);
  bool AllowGrayed() const { return FAllowGrayed; }
  void SetAllowGrayed(bool Value);
  bool Radio() const { return FRadio; }
  void SetRadio(bool Value);
  int GroupIndex = 0;
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);
  forms::TCustomImageList* Images() const { return FImages; }
  void SetImages(forms::TCustomImageList* Value);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  bool UseSkinFontColor = true;
  bool CanFocused() const { return FCanFocused; }
  void SetCanFocused(bool Value);

  // A check box flips; an unchecked radio box becomes checked.
  virtual void Toggle();
  // The box with the given checked flag, painted at (X, Y) of C.
  void PaintSkinTo(gdi::TCanvas* C, int X, int Y, bool AChecked);

  // State, for the owner and tests.
  bool MouseIn() const { return FMouseIn; }
  double MorphKf() const { return FMorphKf; }
  bool Morphing() const { return FMorphTimer.Running(); }
  bool IsFocused();
  // The face and height the skin gives the box's text (after SkinData is set).
  const String& SkinFontName() const { return FontName; }
  int SkinFontHeight() const { return FontHeight; }

  void GetSkinData() override;
  void ChangeSkinData() override;
  void CheckParentBackground() override;
  void AdjustSkinSize(int& W, int& H) override;
  void WndProc(TMessage& M) override;
  void Dispatch(TMessage& M) override;
  void Notification(TComponent* AComponent, rtl::TOperation Operation) override;
  // The framework's click runs the action only: OnClick is the box's own.
  void Click() override;

 protected:
  void Paint() override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void MouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) override;
  void MouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) override;
  // The action's Checked reaches the box, unless defaults are checked and the
  // box is already checked.
  void ActionChange(TObject* Sender, bool CheckDefaults) override;

 private:
  bool CanMorphing() const;
  void UpdateHoverLook();
  void MorphTick();
  void UncheckGroup();
  void FireClick();
  // The flat looks into B (over the parent's background), with the given
  // state; ForCopy: no focus frame, and the plain box as for PaintSkinTo.
  void DrawFlat(TBitmap* B, bool AChecked, TCheckBoxState AState, bool ForCopy);
  void DrawFlatCaption(gdi::TCanvas* C, int TextLeft, int ImageGap, bool ShowFocus);
  void DrawFramedSkin(TBitmap* B, TRect S, bool Active);
  // The check image for a state at (X, Y) of C.
  void DrawCheckImage(gdi::TCanvas* C, int X, int Y, bool AChecked, TCheckBoxState AState, bool AMouseIn);
  void DrawPlainMark(gdi::TCanvas* C, bool AChecked, TCheckBoxState AState, bool Grayed);
  bool ImageShown() const;

  bool FChecked = false;
  TCheckBoxState FState = cbUnchecked;
  bool FAllowGrayed = false, FRadio = false, FFlat = true, FWordWrap = false;
  forms::TCustomImageList* FImages = nullptr;
  int FImageIndex = 0;
  bool FClicksDisabled = false;
  bool FCanFocused = true;
  bool FMouseIn = false;
  TRect CIRect{}, NewTextArea{};
  TbsRunTimer FMorphTimer;
  double FMorphKf = 0;

  // Copies of the skin description.
  String FontName = u"Arial";
  TFontStyles FontStyle = 0;
  int FontHeight = 12;
  TColor FontColor = 0, ActiveFontColor = 0, FrameFontColor = 0, UnEnabledFontColor = 0;
  TRect ActiveSkinRect{}, CheckImageArea{}, TextArea{}, CheckImageRect{}, UnCheckImageRect{};
  TRect ActiveCheckImageRect{}, ActiveUnCheckImageRect{}, UnEnabledCheckImageRect{}, UnEnabledUnCheckImageRect{};
  TRect GrayedCheckImageRect{}, ActiveGrayedCheckImageRect{};
  bool MorphingOn = false;
  TbsMorphKind MorphKind = mkDefault;
};

}  // namespace skin
