// Up-down buttons: a pair of arrow buttons that step an integer Position
// between Min and Max by Increment, repeating while a button is held (first
// after 500 ms, then every 100 ms). Drawn from the skin's "hupdown" or
// "vupdown" description (UseSkinSize), from the stretchable "resizebutton"
// (without UseSkinSize), or in a plain look without a skin.
//
// Also the small-button helpers the skinned edit shares: the button state
// record and a button description's face composed to any size. GUI thread only.
#pragma once

#include "skin/controls/bsSkinCtrls.h"

namespace skin {

enum TUDOrientation { udHorizontal, udVertical };

// One small button inside a control: its rectangle, hot, pressed.
struct TbsCBButtonX {
  TRect R{};
  bool MouseIn = false;
  bool Down = false;
};

// The button description Name of SD, or nullptr.
TbsDataSkinButtonControl* FindButtonDescription(TbsSkinData* SD, const String& Name);

// Draws D's face for the state (normal, hot, pressed and hot; an empty face
// falls back to the one before) composed to R's size, at R's top-left.
void DrawButtonDescriptionFace(TbsSkinData* SD, TbsDataSkinButtonControl* D, gdi::TCanvas* C, TRect R, bool Hot,
                               bool Pressed);

class TbsSkinUpDown : public TbsSkinCustomControl {
 public:
  explicit TbsSkinUpDown(TComponent* AOwner);
  ~TbsSkinUpDown() override;

  // Take the skin's size and button places.
  bool UseSkinSize = true;
  TUDOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TUDOrientation Value);
  int Position() const { return FPosition; }
  // Values outside Min..Max are ignored; an accepted value fires OnChange,
  // also when it equals the old one.
  void SetPosition(int Value);
  int Min() const { return FMin; }
  void SetMin(int Value);
  int Max() const { return FMax; }
  void SetMax(int Value);
  int Increment() const { return FIncrement; }
  // 0 turns stepping and repeat off; clicks still fire.
  void SetIncrement(int Value) { FIncrement = Value; }

  TNotifyEvent OnUpButtonClick, OnDownButtonClick, OnChange;

  // Index 0 raises Position (up), index 1 lowers it (down).
  TbsCBButtonX Buttons[2];
  int ActiveButton() const { return FActiveButton; }
  int CaptureButton() const { return FCaptureButton; }
  // 0 no repeat, 1 repeating down, 2 repeating up.
  int TimerMode() const { return FTimerMode; }
  bool WaitMode() const { return FWaitMode; }

  void GetSkinData() override;
  void AdjustSkinSize(int& W, int& H) override;
  void UpdateSkinRegion() override;
  void Dispatch(TMessage& M) override;

 protected:
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap* B) override;
  void MouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) override;
  void MouseMove(forms::TShiftState Shift, int X, int Y) override;
  void MouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) override;

 private:
  void CalcRects();
  void TestActive(int X, int Y);
  void ButtonEnter(int I);
  void ButtonLeave(int I);
  void ButtonDown(int I);
  void ButtonUp(int I);
  void StartTimer(unsigned Interval);
  void StopTimer();
  void DrawResizeButton(gdi::TCanvas* C, int I);
  int ArrowDirection(int I) const;

  TUDOrientation FOrientation = udHorizontal;
  int FOldActiveButton = -1, FActiveButton = -1, FCaptureButton = -1;
  int FTimerMode = 0;
  bool FWaitMode = false;
  bool FTimerOn = false;
  int FIncrement = 1, FPosition = 0, FMin = 0, FMax = 100;
  bool FHasUpDownDescription = false;
  TRect UpButtonRect{}, DownButtonRect{};
  TRect ActiveUpButtonRect{}, DownUpButtonRect{}, ActiveDownButtonRect{}, DownDownButtonRect{};
};

}  // namespace skin
