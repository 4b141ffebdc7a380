// The skinned scroll bar: two arrow buttons, a track and a thumb drawn from
// the skin's scroll-bar entry (or in a plain look without one), with
// auto-repeat on the arrows and the track (window timer 1: 500 ms, then every
// 50 ms), thumb dragging, and keys and wheel when it may take the focus.
//
// It is also the external bar of the skinned list and tree views, list and
// combo boxes and the scroll box: their owners keep it in step through
// SetRange, which never fires OnChange, and take its OnChange over.
//
// Parts: 0 the thumb, 1 the far arrow (right or bottom; increases Position,
// drawn from the skin's "up" rectangles), 2 the near arrow (left or top;
// decreases Position, drawn from the "down" rectangles).
// GUI thread only.
#pragma once

#include "platform/forms/ScrollBars.h"
#include "skin/controls/bsSkinCtrls.h"

namespace skin {

using forms::TScrollBarKind;

// The click of a control that may take the focus: a left press or double
// click on it while unfocused first takes the focus (ClicksDisabled set
// meanwhile, so command notifications of that click are dropped). False
// when the message must be dropped: the focus did not come.
bool PassFocusingClick(forms::TWinControl* C, TMessage& M, bool& ClicksDisabled);
using forms::sbHorizontal;
using forms::sbVertical;

class TbsSkinScrollBar : public TbsSkinCustomControl {
 public:
  explicit TbsSkinScrollBar(TComponent* AOwner);

  TScrollBarKind Kind() const { return FKind; }
  void SetKind(TScrollBarKind Value);
  int Min() const { return FMin; }
  void SetMin(int Value);
  int Max() const { return FMax; }
  void SetMax(int Value);
  int Position() const { return FPosition; }
  void SetPosition(int Value);
  int PageSize() const { return FPageSize; }
  void SetPageSize(int Value);
  int SmallChange() const { return FSmallChange; }
  void SetSmallChange(int Value);
  int LargeChange() const { return FLargeChange; }
  void SetLargeChange(int Value);
  bool Both() const { return FBoth; }
  void SetBoth(bool Value);
  int BothMarkerWidth() const { return FBothMarkerWidth; }
  void SetBothMarkerWidth(int Value);
  String BothSkinDataName = u"bothhscrollbar";
  bool CanFocused() const { return FCanFocused; }
  void SetCanFocused(bool Value);

  // All four at once, the position clamped; repaints, fires nothing.
  void SetRange(int AMin, int AMax, int APosition, int APageSize);
  // A clamped position without OnChange.
  void SimplySetPosition(int AValue);

  TNotifyEvent OnChange, OnLastChange, OnUpButtonClick, OnDownButtonClick, OnPageUp, OnPageDown;

  // The corner-marker look written directly, without the skin-name swap
  // (owners that manage the names themselves).
  bool FBoth = false;

  // Layout for the current size and state (also run before every drawing).
  void CalcRects();
  // Control coordinates of a part (0 thumb, 1 far arrow, 2 near arrow) and
  // of the track, as laid out last.
  TRect PartRect(int I) const { return Buttons[I].R; }
  TRect TrackRect() const { return NewTrackArea; }
  bool PartHot(int I) const { return Buttons[I].MouseIn; }
  bool PartDown(int I) const { return Buttons[I].Down; }
  // The position a drag of D pixels from the press would give.
  int CalcPosition(int D);

  void GetSkinData() override;
  void AdjustSkinSize(int& W, int& H) override;
  void Dispatch(TMessage& M) override;
  void WndProc(TMessage& M) override;

 protected:
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap* B) override;
  void MouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) override;
  void MouseMove(forms::TShiftState Shift, int X, int Y) override;
  void MouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) override;
  void KeyDown(rtl::Word& Key, forms::TShiftState Shift) override;

 private:
  struct TPartState {
    TRect R{};
    bool MouseIn = false;
    bool Down = false;
  };
  static constexpr std::uintptr_t kRepeatTimer = 1;

  int ClampPosition(int Value) const;
  bool Vertical() const { return FKind == sbVertical; }
  bool HasKeyboardFocus();
  void TestActive(int X, int Y);
  void ButtonEnter(int I);
  void ButtonLeave(int I);
  void ButtonDown(int I, int X, int Y);
  void ButtonUp(int I);
  void StartTimer(unsigned Ms);
  void StartRepeatTimer();
  void StopTimer();
  void TimerTick();
  void StepUp();    // far arrow
  void StepDown();  // near arrow
  bool BeforeThumb(int X, int Y) const;
  bool BeyondThumb(int X, int Y) const;
  void DrawPlainPart(gdi::TCanvas* C, int I);
  void DrawSkinArrow(gdi::TCanvas* C, int I, const TRect& Active, const TRect& Down);
  void DrawSkinThumb(gdi::TCanvas* C);

  TScrollBarKind FKind = sbHorizontal;
  int FMin = 0, FMax = 100, FPosition = 0, FPageSize = 0, FSmallChange = 1, FLargeChange = 1;
  int FBothMarkerWidth = 19;
  bool FCanFocused = false;
  String FNormalSkinDataName;

  int Offset1 = 0, Offset2 = 0, BOffset = 0;
  TRect NewTrackArea{};
  bool FDown = false;
  int OMPos = 0, OldBOffset = 0;
  int MX = 0, MY = 0;
  bool MouseD = false;
  bool WaitMode = false;
  bool FClicksDisabled = false;
  int TimerMode = 0;
  int ActiveButton = -1, OldActiveButton = -1, CaptureButton = -1;
  TPartState Buttons[3];
  bool FTimerOn = false;

  // Copies of the skin entry.
  TRect TrackArea{}, UpButtonRect{}, ActiveUpButtonRect{}, DownUpButtonRect{};
  TRect DownButtonRect{}, ActiveDownButtonRect{}, DownDownButtonRect{};
  TRect ThumbRect{}, ActiveThumbRect{}, DownThumbRect{};
  int ThumbOffset1 = 0, ThumbOffset2 = 0;
  bool ThumbTransparent = false;
  TColor ThumbTransparentColor = 0;
  bool ThumbStretchEffect = false;
  int ThumbMinSize = 0, ThumbMinPageSize = 0;
  TRect GlyphRect{}, ActiveGlyphRect{}, DownGlyphRect{};
  bool GlyphTransparent = false;
  TColor GlyphTransparentColor = 0;
};

}  // namespace skin
