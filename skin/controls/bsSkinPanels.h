// Skinned containers: the panel (caption bar, check box and roll-up in the
// caption, transparent mode), the paint panel, the group box, the status bar
// with its size grip, the scrolling tool bar and the skinned bevel.
//
// The tool bar scrolls its children sideways when they do not fit: two
// 12-pixel scroll buttons appear in its non-client area, stepping on a press,
// on the bar's window timer while held, or (HotScroll) while hovered.
// GUI thread only.
#pragma once

#include <memory>

#include "skin/controls/bsSkinButtons.h"

namespace skin {

enum TbsSkinBorderStyle { bvFrame, bvRaised, bvLowered, bvNone };
enum TbsImagePosition { bsipDefault, bsipLeft };

constexpr int HTSCROLLLEFT = 119, HTSCROLLRIGHT = 120;

class TbsSkinPanel : public TbsSkinCustomControl {
 public:
  explicit TbsSkinPanel(TComponent* AOwner);
  ~TbsSkinPanel() override;

  bool RibbonStyle() const { return FRibbonStyle; }
  void SetRibbonStyle(bool Value);
  TbsImagePosition ImagePosition() const { return FImagePosition; }
  void SetImagePosition(TbsImagePosition Value);
  bool TransparentMode() const { return FTransparentMode; }
  void SetTransparentMode(bool Value);
  forms::TCustomImageList* CaptionImageList = nullptr;
  int CaptionImageIndex() const { return FCaptionImageIndex; }
  void SetCaptionImageIndex(int Value);
  int RealHeight = -1;
  bool AutoEnabledControls = true;
  bool CheckedMode() const { return FCheckedMode; }
  void SetCheckedMode(bool Value);
  bool Checked() const { return FChecked; }
  void SetChecked(bool Value);
  TAlignment DefaultAlignment() const { return FDefaultAlignment; }
  void SetDefaultAlignment(TAlignment Value);
  int DefaultCaptionHeight() const { return FDefaultCaptionHeight; }
  virtual void SetDefaultCaptionHeight(int Value);
  TbsSkinBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TbsSkinBorderStyle Value);
  bool CaptionMode() const { return FCaptionMode; }
  virtual void SetCaptionMode(bool Value);
  bool RollUpMode() const { return FRollUpMode; }
  void SetRollUpMode(bool Value);
  bool RollUpState() const { return FRollUpState; }
  void SetRollUpState(bool Value);
  TBitmap* Glyph() { return FGlyph.get(); }
  void SetGlyph(TBitmap* Value);
  int NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(int Value);
  int Spacing() const { return FSpacing; }
  void SetSpacing(int Value);
  TNotifyEvent OnChecked, OnChangeRollUpState;

  void PaintskinTo(gdi::TCanvas* C, int X, int Y);
  TRect GetSkinClientRect();
  void DoRollUp(bool ARollUp);
  TRect CaptionRectNow() const { return NewCaptionRect; }

  void GetSkinData() override;
  void ChangeSkinData() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void Notification(TComponent* AComponent, rtl::TOperation Operation) override;
  void Dispatch(TMessage& M) override;

 protected:
  void Paint() override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap* B) override;
  void AdjustClientRect(TRect& Rect) override;
  bool CanAutoSize(int& NewWidth, int& NewHeight) override;
  void MouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) override;
  virtual void DoPanelPaint(gdi::TCanvas* Cnvs) {}
  void DrawSkinCaption(TBitmap* B);
  void PaintTransparent(bool GroupFrame);
  void PaintClientTiles();
  void PaintBackgroundPicture();
  void SetSkinCaptionFont(gdi::TCanvas* C);
  void DrawCaptionImage(gdi::TCanvas* C, int X, int Y);
  int CaptionImageWidth();
  void DrawTransparentPart(gdi::TCanvas* C, const TRect& R, int X, int Y);

  bool FRibbonStyle = false, FInChangingRollUp = false;
  TbsImagePosition FImagePosition = bsipDefault;
  bool FTransparentMode = false;
  int FCMaxWidth = 0, FCMinWidth = 0, FCMaxHeight = 0, FCMinHeight = 0;
  bool FCheckedMode = false, FChecked = false;
  std::unique_ptr<TBitmap> FGlyph;
  int FNumGlyphs = 1, FSpacing = 2;
  bool FRollUpState = false, FRollUpMode = false, FCaptionMode = false;
  TbsSkinBorderStyle FBorderStyle = bvFrame;
  int FDefaultCaptionHeight = 22;
  TAlignment FDefaultAlignment = taLeftJustify;
  int FCaptionImageIndex = -1;
  String FontName = u"Arial";
  TFontStyles FontStyle = 0;
  int FontHeight = 12;
  TColor FontColor = 0;
  TAlignment Alignment = taLeftJustify;
  TRect CaptionRect{}, NewCaptionRect{};
  int BGPictureIndex = -1;
  TRect CheckImageRect{}, UnCheckImageRect{}, MarkFrameRect{}, FrameRect{};
  int FrameLeftOffset = 0, FrameRightOffset = 0;
  TRect FrameTextRect{};
};

// A panel with an owner-draw event raised after its look is drawn.
class TbsSkinPaintPanel : public TbsSkinPanel {
 public:
  explicit TbsSkinPaintPanel(TComponent* AOwner);
  std::function<void(gdi::TCanvas* Cnvs, TRect R)> OnPanelPaint;
  void Dispatch(TMessage& M) override;

 protected:
  void DoPanelPaint(gdi::TCanvas* Cnvs) override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap* B) override;
};

class TbsSkinGroupBox : public TbsSkinPanel {
 public:
  explicit TbsSkinGroupBox(TComponent* AOwner);
  void GetSkinData() override;
};

class TbsSkinStatusBar : public TbsSkinPanel {
 public:
  explicit TbsSkinStatusBar(TComponent* AOwner);
  bool SizeGrip() const { return FSizeGrip; }
  void SetSizeGrip(bool Value);
  bool ShowGrip() const { return FShowGrip; }
  void SetShowGrip(bool Value);
  TRect GripRect();

  void GetSkinData() override;
  void SetSkinData(TbsSkinData* Value) override;
  void Dispatch(TMessage& M) override;

 protected:
  void AdjustClientRect(TRect& Rect) override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap* B) override;

 private:
  bool GripActive() const { return FSizeGrip && FShowGrip; }
  bool FSizeGrip = false, FShowGrip = true;
  TRect GripperRect{};
  bool GripperTransparent = false;
  TColor GripperTransparentColor = 0xFF00FF;
};

// Pairs of diagonal lines three pixels apart in G: a drawn size grip.
void DrawSizeGrip(gdi::TCanvas* C, TRect G, TColor Dark, TColor Light);

// ------------------------------------------------------------------ tool bar
class TbsSkinToolBar : public TbsSkinPanel, public TbsSkinContainerQuery, public TbsSkinImageSource {
 public:
  explicit TbsSkinToolBar(TComponent* AOwner);
  ~TbsSkinToolBar() override;

  bool CanScroll = false, HotScroll = false;
  int ScrollOffset() const { return FScrollOffset; }
  void SetScrollOffset(int Value) { if (Value >= 0) FScrollOffset = Value; }
  int ScrollTimerInterval() const { return FScrollTimerInterval; }
  void SetScrollTimerInterval(int Value) { if (Value > 0) FScrollTimerInterval = Value; }
  bool AdjustControls = true;
  int WidthWithCaptions = 0, WidthWithoutCaptions = 0;
  bool AutoShowHideCaptions = false;
  bool ShowCaptions() const { return FShowCaptions; }
  void SetShowCaptions(bool Value);
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value);
  forms::TCustomImageList* Images() const override { return FImages; }
  void SetImages(forms::TCustomImageList* Value);
  forms::TCustomImageList* HotImages() const override { return FHotImages; }
  void SetHotImages(forms::TCustomImageList* Value) { FHotImages = Value; }
  forms::TCustomImageList* DisabledImages() const override { return FDisabledImages; }
  void SetDisabledImages(forms::TCustomImageList* Value) { FDisabledImages = Value; }

  bool CentresControls(TRect& ClientR) override;

  // Scroll state, for the owner and tests.
  int ScrollPosition() const { return SPosition; }
  int ScrollMax() const { return SMax; }
  bool ScrollButtonsVisible() const { return Buttons[0].Visible; }
  TRect ScrollButtonRect(int I) const { return Buttons[I].R; }
  int TimerMode() const { return FTimerMode; }
  void ScrollStep(int Direction);
  void UpdateScrollRange();

  void GetSkinData() override;
  void SetSkinDataName(const String& Value) override;
  void SetSkinData(TbsSkinData* Value) override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void WndProc(TMessage& M) override;
  void Notification(TComponent* AComponent, rtl::TOperation Operation) override;

 protected:
  void CreateControlSkinImage(TBitmap* B) override;
  void AdjustClientRect(TRect& Rect) override;

 private:
  struct ScrollButton {
    TRect R{};
    bool MouseIn = false, Down = false, Visible = false;
  };
  void CentreChildren();
  void ShowScrollButtons(bool Show);
  void ScrollChildren(int D);
  void StartTimer();
  void StopTimer();
  void PaintScrollButtons();
  void DrawScrollButton(gdi::TCanvas* C, int I);
  void ClearHover();

  int FTimerMode = 0;
  int SMax = 0, SPosition = 0, SPage = 0, SOldPosition = 0;
  int FHSizeOffset = 0;
  int FScrollOffset = 0, FScrollTimerInterval = 50;
  ScrollButton Buttons[2];
  TbsDataSkinButtonControl* ButtonData = nullptr;
  forms::TCustomImageList *FImages = nullptr, *FDisabledImages = nullptr, *FHotImages = nullptr;
  bool FFlat = false, FShowCaptions = false;
  bool FTimerRunning = false;
};

// ------------------------------------------------------------------ bevel
// The bevel's shapes and styles (those of the framework's bevel).
enum TbsBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum TbsBevelStyle { bsLowered, bsRaised };

class TbsSkinBevel : public forms::TGraphicControl, public TbsSkinChangeable {
 public:
  explicit TbsSkinBevel(TComponent* AOwner);
  ~TbsSkinBevel() override;

  TbsSkinData* SkinData() const override { return FSD; }
  void SetSkinData(TbsSkinData* Value);
  String SkinDataName = u"bevel";
  bool DividerMode() const { return FDividerMode; }
  void SetDividerMode(bool Value);
  TbsBevelShape Shape() const { return FShape; }
  void SetShape(TbsBevelShape Value);
  TbsBevelStyle Style() const { return FStyle; }
  void SetStyle(TbsBevelStyle Value);
  TColor LightColor, DarkColor;
  int SkinIndex() const { return FIndex; }

  void ChangeSkinData() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void Notification(TComponent* AComponent, rtl::TOperation Operation) override;

 protected:
  void Paint() override;

 private:
  TbsSkinData* FSD = nullptr;
  int FIndex = -1;
  bool FDividerMode = false;
  TbsBevelShape FShape = bsBox;
  TbsBevelStyle FStyle = bsLowered;
};

}  // namespace skin
