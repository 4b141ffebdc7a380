// Skinned slider: a ruler with a draggable thumb over an integer value in
// [MinValue, MaxValue], optional tick points, keyboard steps and
// click-and-hold steps on the ruler.
//
// Geometry: the ruler is the control's length less 12 pixels, laid out 6
// pixels from the left (top) edge; the thumb travels along it. Drawn from the
// skin's "slider" description (ruler strips and two-state thumbs), or from
// four plain images (default pictures registered as "BS_HTB", "BS_HRL",
// "BS_VTB", "BS_VRL", replaceable by the user).
//
// Without soSmooth the thumb snaps to steps of Increment counted from
// MinValue; Value itself keeps what code assigns. A vertical slider has its
// minimum at the bottom. OnChange follows every change of Value; OnChanged
// ends a user action (thumb release, ruler release, each key step).
// A held press on the ruler steps at once, then every 400 ms on window timer 1.
// Unskinned and opaque it fills with its Color, which follows the parent's
// (ParentColor is on).
// GUI thread only.
#pragma once

#include <array>

#include "skin/controls/bsSkinCtrls.h"

namespace skin {

enum TbsSliderOrientation { soHorizontal, soVertical };
enum TbsSliderOption { soShowFocus, soShowPoints, soSmooth, soRulerOpaque, soThumbOpaque };
using TbsSliderOptions = rtl::TSet<TbsSliderOption>;
enum TbsSliderImage { siHThumb, siHRuler, siVThumb, siVRuler };
using TbsSliderImages = rtl::TSet<TbsSliderImage>;
using TbsSliderImageArray = std::array<std::unique_ptr<TBitmap>, 4>;
using TbsNumThumbStates = int;  // 1 or 2
enum TbsJumpMode { jmNone, jmHome, jmEnd, jmNext, jmPrior };

class TbsSkinCustomSlider : public TbsSkinControl {
 public:
  explicit TbsSkinCustomSlider(TComponent* AOwner);
  ~TbsSkinCustomSlider() override;

  int MinValue() const { return FMinValue; }
  void SetMinValue(int Value) { SetValueRange(Value, FMaxValue); }
  int MaxValue() const { return FMaxValue; }
  void SetMaxValue(int Value) { SetValueRange(FMinValue, Value); }
  // Ignored when AMin >= AMax; shrinks Increment to the range when needed.
  void SetValueRange(int AMin, int AMax);
  int Increment() const { return FIncrement; }
  void SetIncrement(int Value);
  int Value() const { return FValue; }
  void SetValue(int Value);
  TbsSliderOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TbsSliderOrientation Value);
  TbsSliderOptions Options() const { return FOptions; }
  void SetOptions(TbsSliderOptions Value);
  int EdgeSize() const { return FEdgeSize; }
  void SetEdgeSize(int Value);
  TbsNumThumbStates NumThumbStates() const { return FNumThumbStates; }
  void SetNumThumbStates(TbsNumThumbStates Value);
  // The plain images; assigning nullptr brings back the default picture.
  TBitmap* Image(TbsSliderImage I) const { return FImages[I].get(); }
  void SetImage(TbsSliderImage I, TBitmap* Value);
  TbsSliderImages UserImages() const { return FUserImages; }
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  bool UseSkinThumb = true;
  bool ReadOnly = false;

  TNotifyEvent OnChange, OnChanged, OnDrawPoints;

  // Ticks every PointsStep units (for an OnDrawPoints handler).
  virtual void DefaultDrawPoints(int PointsStep, int PointsHeight, int ExtremePointsHeight);

  // Layout, for the owner and tests.
  TRect ThumbRect() const { return FThumbRect; }
  TPoint RulerOrg() const { return FRulerOrg; }
  TBitmap* Ruler() const { return FRuler.get(); }
  TRect PointsRect() const { return FPointsRect; }
  int ThumbTravel();
  bool Sliding() const { return FSliding; }
  bool Tracking() const { return FTracking; }

  void GetSkinData() override;
  void ChangeSkinData() override;
  void CheckParentBackground() override;
  void Loaded() override;
  void Dispatch(TMessage& M) override;

 protected:
  virtual bool CanModify() { return true; }
  virtual TRect GetSliderRect() { return {0, 0, Width(), Height()}; }
  virtual int SliderValue() { return FValue; }
  virtual void CalcLayout() { LayoutSlider(); }
  virtual void RangeChanged() {}
  virtual void ThumbMouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y);
  virtual void ThumbMouseMove(forms::TShiftState Shift, int X, int Y);
  virtual void ThumbMouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y);
  virtual void Change();
  virtual void Changed();

  void Paint() override;
  void MouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) override;
  void MouseMove(forms::TShiftState Shift, int X, int Y) override;
  void MouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) override;
  void KeyDown(rtl::Word& Key, forms::TShiftState Shift) override;

 private:
  bool Skinned() const { return FIndex != -1; }
  bool SkinThumb() const { return Skinned() && UseSkinThumb; }
  bool Horizontal() const { return FOrientation == soHorizontal; }
  void LoadDefaultImage(TbsSliderImage I);
  void ImageChanged();
  void LayoutSlider();
  void BuildSkinRuler();
  void BuildPlainRuler();
  // Width and height of one thumb state.
  TPoint ThumbStateSize(bool AHorizontal);
  int OffsetFromValue(int V);
  int ValueFromOffset(int O);
  int SnapThumbOffset(int O);
  // Moves the thumb to offset O (snapped); FromDrag: the value follows it.
  void PlaceThumb(int O, bool FromDrag);
  void StepValue(TbsJumpMode Mode);
  TbsJumpMode StepDirectionAt(TPoint P) const;
  void RulerTrackStep();
  void EndRulerTracking();
  void DrawTicks(gdi::TCanvas* C, int Step, int NormalLength, int EndLength);
  void InvalidateThumb();
  void PaintBuffered(TMessage& M);

  bool FTransparent = false;
  TbsSliderImages FUserImages;
  TbsSliderImageArray FImages;
  int FEdgeSize = 2;
  std::unique_ptr<TBitmap> FRuler;
  TPoint FRulerOrg{};
  TRect FThumbRect{};
  bool FThumbDown = false;
  TbsNumThumbStates FNumThumbStates = 2;
  TRect FPointsRect{};
  TbsSliderOrientation FOrientation = soHorizontal;
  TbsSliderOptions FOptions{soShowFocus, soShowPoints, soSmooth};
  int FMinValue = 0, FMaxValue = 100, FIncrement = 10, FValue = 0;
  int FHit = 0;
  bool FFocused = false, FSliding = false, FTracking = false, FTimerActive = false;
  TPoint FMousePos{};
  TbsJumpMode FStartJump = jmNone;
  bool FCreating = true;
  bool FPaintBuffered = false;  // a buffered paint is under way

  // Copies of the skin description.
  TRect HRulerRect{}, HThumbRect{}, VRulerRect{}, VThumbRect{};
  int SkinEdgeSize = 0;
  TColor BGColor = 0, PointsColor = 0;
  TBitmap* Picture = nullptr;
};

class TbsSkinSlider : public TbsSkinCustomSlider {
 public:
  explicit TbsSkinSlider(TComponent* AOwner) : TbsSkinCustomSlider(AOwner) {}
};

}  // namespace skin
