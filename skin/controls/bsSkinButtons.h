// Skinned push button (windowed, takes the focus) and speed button
// (window-less tool button), and what both share: the look read from the
// skin's button description, a morph between the normal and the hot look, a
// frame animation from the skin, auto-repeat and latching groups.
//
// Timers run on the framework's timer service: morph steps every 20 ms by 0.2,
// repeat after a 500 ms delay then every RepeatInterval ms, animation frames
// every AnimateInterval ms. Each timer exists only while it runs.
// GUI thread only.
#pragma once

#include <functional>
#include <memory>

#include "skin/controls/bsSkinCtrls.h"
#include "skin/images/bsLayerManager.h"

namespace skin {

using TbsNumGlyphs = int;  // 1..4
using TbsButtonPaintEvent =
    std::function<void(TObject* Sender, gdi::TCanvas* Cnvs, TRect R, bool ADown, bool AMouseIn, bool& DrawDefault)>;

// A timer that is owned while it runs and may be stopped from its own tick.
class TbsRunTimer {
 public:
  explicit TbsRunTimer(TComponent* Owner) : FOwner(Owner) {}
  ~TbsRunTimer();
  void Start(unsigned Interval, std::function<void()> Tick);
  // Changes the tick and interval of the running timer.
  void Retarget(unsigned Interval, std::function<void()> Tick);
  void Stop();
  bool Running() const { return FTimer != nullptr; }
  forms::TTimer* Timer() const { return FTimer.get(); }

 private:
  TComponent* FOwner;
  std::unique_ptr<forms::TTimer> FTimer;
  std::unique_ptr<forms::TTimer> FRetired;  // stopped inside its own tick
  std::function<void()> FTick;
  bool FInTick = false;
};

// The description fields of a button look and the rules that read them.
struct TbsButtonLook {
  String FontName = u"Arial";
  TFontStyles FontStyle = 0;
  int FontHeight = 12;
  TColor FontColor = 0, ActiveFontColor = 0, DownFontColor = 0, DisabledFontColor = 0;
  TRect ActiveSkinRect{}, DownSkinRect{}, DisabledSkinRect{}, FocusedSkinRect{}, AnimateSkinRect{};
  int FrameCount = 0, AnimateInterval = 0;
  bool Morphing = false;
  TbsMorphKind MorphKind = mkDefault;
  bool ShowFocus = false;
  TRect MenuMarkerRect{}, MenuMarkerActiveRect{}, MenuMarkerDownRect{}, MenuMarkerFlatRect{};
  TColor MenuMarkerTransparentColor = 0;

  // Copies D with the fallbacks of empty hot and pressed rectangles.
  void Read(const TbsDataSkinButtonControl& D);
  // Frame Current (1-based) of the animation strip (side by side when wider than SkinRect).
  TRect AnimateFrameRect(const TRect& SkinRect, int Current) const;
};

// Morph and animation ticks shared by the buttons; true when the run ends.
bool StepMorph(double& Kf, bool Hot);
bool StepAnimation(int& Current, bool Inc, int FrameCount, const std::function<void()>& Repaint);
// Glyph frame 1..4: 3 pressed, 4 hot, 2 disabled, else 1.
int ButtonGlyphNum(int NumGlyphs, bool Enabled, bool ADown, bool AMouseIn);
// Draws the morph of two looks by Kf with the routine of Kind at (0, 0) of C.
void DrawMorphedLooks(gdi::TCanvas* C, TBitmap* Normal, TBitmap* Hot, TbsMorphKind Kind, double Kf);
// The plain look's frame: pressed navy on (133,147,181), hot navy on
// (182,189,210), else button shadow on button face (or, Frame false, face only).
void DrawPlainButtonFrame(gdi::TCanvas* C, TRect R, bool Pressed, bool Hot, bool Frame = true);

// What the push button and the speed button share (Base: the windowed or
// the graphic custom base): glyph and layout, the look read from the button
// description, the morph, the frame animation and the auto-repeat timers.
template <class Base>
class TbsButtonCore : public Base {
 public:
  explicit TbsButtonCore(TComponent* AOwner);
  ~TbsButtonCore() override;

  bool UseSkinSize = true;
  bool UseSkinFontColor = true;
  bool RepeatMode = false;
  int RepeatInterval = 100;
  bool AllowAllUp = false;
  TBitmap* Glyph() { return FGlyph.get(); }
  void SetGlyph(TBitmap* Value);
  int NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(int Value);
  int Margin() const { return FMargin; }
  void SetMargin(int Value);
  int Spacing() const { return FSpacing; }
  void SetSpacing(int Value);
  TbsButtonLayout Layout() const { return FLayout; }
  void SetLayout(TbsButtonLayout Value);
  bool Down() const { return FDown; }
  // Pressed or latched; a press in a group raises the group's other buttons.
  void SetDown(bool Value);
  TbsButtonPaintEvent OnPaint;

  bool MouseIn() const { return FMouseIn; }
  double MorphKf() const { return FMorphKf; }
  int CurrentFrame() const { return FCurrentFrame; }
  bool Morphing() const { return FMorphTimer.Running(); }
  bool Repeating() const { return FRepeatTimer.Running(); }
  bool Animating() const { return FAnimateTimer.Running(); }

  // Drops the hot and pressed state and repaints.
  void RefreshButton();
  void AdjustSkinSize(int& W, int& H) override;
  virtual void ButtonClick() = 0;
  // The group the button latches in, 0 for none.
  virtual int ButtonGroup() const = 0;

 protected:
  // An action with an image of its action list's images gives an empty
  // glyph that image (on the glyphs' transparent fuchsia).
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  // The click's handler: OnClick, unless an action is set whose OnExecute is
  // another handler's code than OnClick, in which case the action runs.
  void RunClickOrAction();
  // The left button's press and release (after the framework's handling of the press).
  void PressLeft();
  void ReleaseLeft();
  bool EffectsEnabled() const { return this->FSD && !this->FSD->Empty && this->FSD->EnableSkinEffects; }
  bool CanMorphing() const { return FLook.Morphing && EffectsEnabled(); }
  bool Animated() const { return this->FIndex != -1 && EffectsEnabled() && !IsEmptyRect(FLook.AnimateSkinRect); }
  // Whether the morph runs towards the hot look.
  virtual bool MorphHot() { return FMouseIn; }
  virtual bool AnimateAllowed() const { return true; }
  void StartMorph();
  void StopMorph() { FMorphTimer.Stop(); }
  void MorphTimerProc();
  void StartRepeat();
  void StopRepeat() { FRepeatTimer.Stop(); }
  void StartAnimate(bool AInc);
  void StopAnimate();
  // Reads the button description at the skin entry and applies the frame of
  // a running animation; the description, or nullptr.
  TbsDataSkinButtonControl* ReadButtonLook();
  void SetCaptionFont(gdi::TCanvas* C);
  TColor CaptionColor(bool ADown, bool AMouseIn);

  TbsRunTimer FAnimateTimer, FRepeatTimer, FMorphTimer;
  int FCurrentFrame = 0;
  bool FAnimateInc = false;
  bool FDown = false, FMouseIn = false, FMouseDown = false, FAllowAllUpCheck = false;
  std::unique_ptr<TBitmap> FGlyph;
  int FNumGlyphs = 1, FMargin = -1, FSpacing = 1;
  TbsButtonLayout FLayout = blGlyphLeft;
  double FMorphKf = 0;
  TbsButtonLook FLook;
};

// ------------------------------------------------------------------ push button
class TbsSkinButton : public TbsButtonCore<TbsSkinCustomControl> {
 public:
  explicit TbsSkinButton(TComponent* AOwner);
  ~TbsSkinButton() override;

  // Properties.
  forms::TCustomImageList* ImageList = nullptr;
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  bool AlwaysShowLayeredFrame = false;
  bool CanFocused() const { return FCanFocused; }
  void SetCanFocused(bool Value);
  int GroupIndex() const { return FGroupIndex; }
  int ButtonGroup() const override { return FGroupIndex; }
  void SetGroupIndex(int Value);
  bool Cancel = false;
  bool Default() const { return FDefault; }
  void SetDefault(bool Value);
  int ModalResult = 0;
  // OnClick runs only through ButtonClick, once per click of any kind.

  // State, for the owner and tests.
  bool Active() const { return FActive; }
  TbsLayerManager* LayerManager() const { return FLayerManager; }

  void ButtonClick() override;
  void ShowLayer();
  void HideLayer();

  void GetSkinData() override;
  void ChangeSkinData() override;
  void BeforeChangeSkinData() override;
  void WndProc(TMessage& M) override;
  void Dispatch(TMessage& M) override;
  void Notification(TComponent* AComponent, rtl::TOperation Operation) override;
  void Click() override {}

 protected:
  void Paint() override;
  void CreateWnd() override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap* B) override {}
  virtual void CreateStateImage(TBitmap* B, TRect R, bool ADown, bool AMouseIn);
  void CreateResizedStateImage(TBitmap* B, TRect R, bool ADown, bool AMouseIn);
  void MouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) override;
  void MouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) override;

 private:
  bool IsFocused();
  bool PressedLook();
  void RedrawOrMorph();
  void MouseEnterHandler();
  void MouseLeaveHandler();
  void FocusChanged(TControl* Sender);
  void DrawContent(gdi::TCanvas* C, TRect T, TRect EventR, bool ADown, bool AMouseIn, bool PressedFlag);
  int GlyphNum(bool ADown, bool AMouseIn) const { return ButtonGlyphNum(FNumGlyphs, Enabled(), ADown, AMouseIn); }
  bool MorphHot() override { return FMouseIn || IsFocused(); }
  void SetGlowPosition(int& X, int& Y);

  TbsLayerManager* FLayerManager;
  bool FActive = false, FDefault = false, FClicksDisabled = false;
  bool FCanFocused = true;
  int FGroupIndex = 0;
  int FImageIndex = -1;
  TbsDataSkinButtonControl* FGlow = nullptr;  // the description, for the glow fields
};

// ------------------------------------------------------------------ speed button
class TbsSkinImagesMenu;

class TbsSkinSpeedButton : public TbsButtonCore<TbsGraphicSkinCustomControl> {
 public:
  explicit TbsSkinSpeedButton(TComponent* AOwner);
  ~TbsSkinSpeedButton() override;

  forms::TCustomImageList* ImageList = nullptr;
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  int WidthWithCaption = 0, WidthWithoutCaption = 0;
  bool Transparent() const { return !ControlStyle().Contains(forms::csOpaque); }
  void SetTransparent(bool Value);
  bool Flat() const { return FFlat; }
  void SetFlat(bool Value);
  int GroupIndex = 0;
  int ButtonGroup() const override { return GroupIndex; }
  bool ShowCaption() const { return FShowCaption; }
  void SetShowCaption(bool Value);
  // Images menu whose selected item may give image and caption.
  TbsSkinImagesMenu* SkinImagesMenu() const { return FSkinImagesMenu; }
  bool UseImagesMenuImage = false, UseImagesMenuCaption = false;


  void ButtonClick() override;
  void RedrawOrMorph();

  void GetSkinData() override;
  void ChangeSkinData() override;
  void Dispatch(TMessage& M) override;
  void Notification(TComponent* AComponent, rtl::TOperation Operation) override;

 protected:
  void Paint() override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap* B) override {}
  virtual void CreateStateImage(TBitmap* B, TRect R, bool ADown, bool AMouseIn);
  void CreateResizedStateImage(TBitmap* B, TRect R, bool ADown, bool AMouseIn);
  void MouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) override;
  void MouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) override;
  // Pressed and hot flags of the current state.
  bool PressedLook() const { return FDown && ((FMouseIn && GroupIndex == 0) || GroupIndex != 0); }
  void SetImagesMenu(TbsSkinImagesMenu* Value);

  // The image beside the caption, from the first source that applies.
  // Transparent: the transparent looks' rule (no hot images).
  void DrawContent(gdi::TCanvas* C, TRect T, bool P, bool ADown, bool AMouseIn, bool Transparent, int GlyphFrame);
  String ShownCaption() const { return FShowCaption ? Caption() : String(); }


 private:
  void MouseEnterHandler();
  void MouseLeaveHandler();
  bool AnimateAllowed() const override { return !FFlat; }

  TbsSkinImagesMenu* FSkinImagesMenu = nullptr;
  int FImageIndex = 0;
  bool FFlat = false;
  bool FShowCaption = true;
};

}  // namespace skin

namespace skin {

class TbsSkinPopupMenu;
enum TbsTrackPosition { bstpRight, bstpBottom };

// A speed button with a drop-down part that opens a skin popup menu or an
// images menu and stays pressed while the menu is open; in track-button mode
// only a 15-pixel strip at the right (or bottom) edge opens it.
class TbsSkinMenuSpeedButton : public TbsSkinSpeedButton {
 public:
  explicit TbsSkinMenuSpeedButton(TComponent* AOwner);

  TNotifyEvent OnShowTrackMenu, OnHideTrackMenu;
  bool NewStyle() const { return FNewStyle; }
  void SetNewStyle(bool Value);
  TbsTrackPosition TrackPosition() const { return FTrackPosition; }
  void SetTrackPosition(TbsTrackPosition Value);
  void SetSkinImagesMenu(TbsSkinImagesMenu* Value);
  TbsSkinPopupMenu* SkinPopupMenu() const { return FSkinPopupMenu; }
  void SetSkinPopupMenu(TbsSkinPopupMenu* Value);
  bool TrackButtonMode() const { return FTrackButtonMode; }
  void SetTrackButtonMode(bool Value);
  bool FDrawStandardArrow = false;
  int FArrowType = 4;
  bool MenuTracked() const { return FMenuTracked; }

  bool IsTrackArea(int X, int Y);
  TRect GetTrackButtonRect();
  void ShowTrackMenu();
  void CloseTrackMenu();

  void GetSkinData() override;
  void Dispatch(TMessage& M) override;
  void Notification(TComponent* AComponent, rtl::TOperation Operation) override;

 protected:
  void Paint() override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateStateImage(TBitmap* B, TRect R, bool ADown, bool AMouseIn) override;
  void MouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) override;
  void MouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) override;

 private:
  bool StripStyle() const;  // one of the four names that reserve the 15-pixel strip
  void DrawStripStyleImage(TBitmap* B, bool ADown, bool AMouseIn, bool Resize);
  void DrawNewStyleImage(TBitmap* B, bool ADown, bool AMouseIn);
  void DrawDescriptionImage(TbsDataSkinButtonControl* D, gdi::TCanvas* C, TRect R, bool AHot, bool ADown);
  void DrawMenuMarker(gdi::TCanvas* C, TRect R, bool AActive, bool ADown, bool AFlat);
  void DrawMarker(gdi::TCanvas* C, TRect M, bool Hot, bool DownOrOpen, TColor CaptionColour);
  void ComposePart(TBitmap* B, TRect Src, int W, int H, bool Resize);
  TColor StripCaptionColor(bool Pressed, bool Hot);

  bool FTrackButtonMode = false, FMenuTracked = false, FNewStyle = false;
  TbsSkinPopupMenu* FSkinPopupMenu = nullptr;
  TbsTrackPosition FTrackPosition = bstpRight;
  TRect TrackButtonRect{};
};

}  // namespace skin
