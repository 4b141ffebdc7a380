// Scroll bars: the bars of a window with WS_HSCROLL / WS_VSCROLL, drawn in its
// non-client area from the window's scroll state (SetScrollInfo), sending
// WM_HSCROLL / WM_VSCROLL to the window for arrow and page clicks (repeated
// on a timer while held: first after kScrollFirstDelay, then every
// kScrollRepeat ms) and thumb drags (SB_THUMBTRACK while moving, with the
// full position also in the track position of the scroll state, then
// SB_THUMBPOSITION and SB_ENDSCROLL); and TScrollBar, the bar as a control
// of its own (SB_CTL), which sends the same messages to its parent.
//
// Threads: GUI thread only.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/forms/Controls.h"

namespace forms {

constexpr unsigned kScrollFirstDelay = 300, kScrollRepeat = 100;

// The position a WM_HSCROLL/WM_VSCROLL request asks for, from the present
// one: line and page steps, the ends (0 and `last`), the thumb at `thumb`.
// Not clamped; nothing for a request that moves nothing (SB_ENDSCROLL).
std::optional<int> ScrollRequestPos(win::WPARAM request, int pos, int line, int page, int last, int thumb);
// The thumb position of a request to a window's bar: the 16 bits of the
// message, or the scroll state's track position when the range is wider.
int FullThumbPos(win::HWND h, int bar, win::WPARAM request);

// The bar machinery a control with window bars runs from its Dispatch:
// Handle takes the bar's messages (non-client paint, hit test and presses,
// and the mouse and timer messages while a bar is tracked).
class TWindowScrollBars {
 public:
  enum TPart { spNone, spLineUp, spPageUp, spThumb, spPageDown, spLineDown };
  explicit TWindowScrollBars(TWinControl* owner) : owner_(owner) {}
  bool Handle(TMessage& m);
  // Repaints the bars after the scroll state changed.
  void Refresh();
  // Shows a bar exactly when its range exceeds its page; false when nothing changed.
  bool AutoShow(int bar);
  // Window coordinates of a bar (empty when it is not shown) and of its parts.
  TRect BarRect(int bar);
  TRect PartRect(int bar, TPart part);
  TPart HitPart(int bar, TPoint windowPt);
  // The bar being tracked and its part (spNone when idle).
  int TrackedBar() const { return bar_; }
  TPart TrackedPart() const { return part_; }

  // The bar geometry and drawing shared with TScrollBar.
  static TRect PartIn(const TRect& bar, bool vertical, const win::SCROLLINFO& si, TPart part);
  static void Paint(HDC dc, const TRect& bar, bool vertical, const win::SCROLLINFO& si, TPart pressed, bool enabled);
  static int PosFromThumb(const TRect& bar, bool vertical, const win::SCROLLINFO& si, int thumbStart);

 private:
  void Send(int bar, win::WORD code, int pos = 0);
  void Step();
  void StopTracking();
  TPoint WindowPoint(LPARAM clientPoint);
  HWND Hwnd() const;

  TWinControl* owner_;
  int bar_ = -1;
  TPart part_ = spNone;
  bool inPart_ = false;
  int thumbGrab_ = 0;  // offset of the pointer inside the thumb
  std::uintptr_t timer_ = 0;
};

// A scroll bar control: Kind, Min/Max/Position/PageSize, SmallChange and
// LargeChange, OnChange and OnScroll; WM_HSCROLL/WM_VSCROLL to the parent
// with the bar's handle in LParam.
enum TScrollBarKind { sbHorizontal, sbVertical };
enum TScrollCode { scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, scEndScroll };
using TScrollEvent = std::function<void(TObject* Sender, TScrollCode ScrollCode, int& ScrollPos)>;

class TScrollBar : public TCustomControl {
 public:
  explicit TScrollBar(TComponent* owner);
  TScrollBarKind Kind() const { return kind_; }
  void SetKind(TScrollBarKind v);
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Position() const { return position_; }
  int PageSize() const { return pageSize_; }
  void SetParams(int position, int min, int max);
  void SetMin(int v) { SetParams(position_, v, max_); }
  void SetMax(int v) { SetParams(position_, min_, v); }
  void SetPosition(int v) { SetParams(v, min_, max_); }
  void SetPageSize(int v);
  int SmallChange() const { return smallChange_; }
  void SetSmallChange(int v) { smallChange_ = v; }
  int LargeChange() const { return largeChange_; }
  void SetLargeChange(int v) { largeChange_ = v; }

  TNotifyEvent OnChange;
  TScrollEvent OnScroll;
  void Dispatch(TMessage& m) override;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyDown(rtl::Word& key, TShiftState shift) override;
  virtual void Scroll(TScrollCode code, int& pos);
  virtual void Change();

 private:
  win::SCROLLINFO Info() const;
  void DoScroll(TScrollCode code);
  void Step();
  TWindowScrollBars::TPart PartAt(TPoint p);

  TScrollBarKind kind_ = sbHorizontal;
  int min_ = 0, max_ = 100, position_ = 0, pageSize_ = 0, smallChange_ = 1, largeChange_ = 1;
  TWindowScrollBars::TPart part_ = TWindowScrollBars::spNone;
  bool inPart_ = false;
  int thumbGrab_ = 0;
  std::uintptr_t timer_ = 0;
};

}  // namespace forms
