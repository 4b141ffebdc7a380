// Pointer and keyboard input: hit testing (regions, disabled and transparent
// windows, non-client codes), capture, leave notices, double clicks, keys and
// text, and the move and size loops.
#include "tests/platform/win/WinTestUtil.h"

namespace wintest {
namespace {

using V = std::vector<std::string>;

// A framed top-level window at (100,100) 300x200 (border 4, caption 19, so
// the client starts at (104,123) on screen) with children that test routing.
class Input : public WinTest {
 protected:
  void SetUp() override {
    WinTest::SetUp();
    f = Make("F", WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_VISIBLE, rtl::Bounds(100, 100, 300, 200));
    c1 = Make("C1", WS_CHILD | WS_VISIBLE, rtl::Rect(10, 10, 60, 60), f);
    c2 = Make("C2", WS_CHILD | WS_VISIBLE | WS_DISABLED, rtl::Rect(100, 10, 150, 60), f);
    c3 = Make("C3", WS_CHILD | WS_VISIBLE, rtl::Rect(10, 100, 60, 150), f);
    SetWindowRgn(c3, gdi::CreateRectRgn(0, 0, 25, 50), FALSE);  // left half only
    c4 = Make("C4", WS_CHILD | WS_VISIBLE, rtl::Rect(100, 100, 150, 150), f);
    Pump();
    rec.Clear();
  }
  // Records button messages as "name:MSG(wParam)" and keeps the caption's
  // press from starting a move loop.
  void RecordButtons() {
    Quiet(WM_LBUTTONDOWN);
    Quiet(WM_NCLBUTTONDOWN);
    Quiet(WM_LBUTTONUP);
    Quiet(WM_NCLBUTTONUP);
    Quiet(WM_LBUTTONDBLCLK);
    Quiet(WM_NCLBUTTONDBLCLK);
    gHook = [this](HWND h, UINT m, WPARAM w, LPARAM) -> std::optional<LRESULT> {
      if (h == c4 && m == WM_NCHITTEST) return HTTRANSPARENT;
      if (m == WM_LBUTTONDOWN || m == WM_NCLBUTTONDOWN || m == WM_LBUTTONDBLCLK || m == WM_NCLBUTTONDBLCLK) {
        presses.push_back(rec.Name(h) + ":" + MsgName(m) + (m >= WM_MOUSEMOVE ? "" : "(" + std::to_string(w) + ")"));
        return 0;
      }
      return std::nullopt;
    };
  }
  HWND f, c1, c2, c3, c4;
  V presses;
};

TEST_F(Input, HitTestingRoutesEachPress) {
  RecordButtons();
  struct Case {
    POINT p;
    const char* expect;  // nullptr: nobody gets it
  } cases[] = {
      {{104 + 20, 123 + 20}, "C1:WM_LBUTTONDOWN"},
      {{104 + 120, 123 + 20}, "F:WM_LBUTTONDOWN"},   // disabled child: the parent takes it
      {{104 + 15, 123 + 120}, "C3:WM_LBUTTONDOWN"},  // inside C3's region
      {{104 + 50, 123 + 120}, "F:WM_LBUTTONDOWN"},   // outside it
      {{104 + 120, 123 + 120}, "F:WM_LBUTTONDOWN"},  // HTTRANSPARENT passes through
      {{200, 110}, "F:WM_NCLBUTTONDOWN(2)"},         // caption
      {{101, 200}, "F:WM_NCLBUTTONDOWN(10)"},        // left edge
      {{101, 101}, "F:WM_NCLBUTTONDOWN(13)"},        // top-left corner
      {{398, 298}, "F:WM_NCLBUTTONDOWN(17)"},        // bottom-right corner
      {{398, 200}, "F:WM_NCLBUTTONDOWN(11)"},
      {{50, 50}, nullptr},
  };
  for (auto& c : cases) {
    presses.clear();
    headless::UseFakeClock(true);
    headless::AdvanceClock(1000);  // no double clicks between cases
    headless::Click(c.p);
    Pump();
    if (c.expect) {
      EXPECT_EQ(presses, V{c.expect}) << c.p.X << "," << c.p.Y;
    } else {
      EXPECT_TRUE(presses.empty());
    }
  }
  // A region on the top-level window cuts its corner away.
  SetWindowRgn(f, gdi::CreateRectRgn(20, 20, 300, 200), TRUE);
  presses.clear();
  headless::Click({110, 110});
  Pump();
  EXPECT_TRUE(presses.empty());
  EXPECT_EQ(WindowFromPoint({110, 110}), nullptr);
  EXPECT_EQ(WindowFromPoint({104 + 20, 123 + 20}), c1);
  EXPECT_EQ(WindowFromPoint({104 + 120, 123 + 20}), f);
  EXPECT_EQ(ChildWindowFromPoint(f, {120, 20}), c2);  // disabled children count here
}

TEST_F(Input, CaptureKeepsClientMessagesUntilRelease) {
  gHook = [this](HWND h, UINT m, WPARAM, LPARAM l) -> std::optional<LRESULT> {
    if (h == c1 && m == WM_LBUTTONDOWN) SetCapture(c1);
    if (h == c1 && m == WM_LBUTTONUP) {
      EXPECT_EQ(GET_X_LPARAM(l), 200 - 114);  // client coordinates, even over the frame
      EXPECT_EQ(GET_Y_LPARAM(l), 110 - 133);
      ReleaseCapture();
    }
    return std::nullopt;
  };
  Loud(WM_NCHITTEST);
  headless::MouseDown({124, 143});
  Pump();
  rec.Clear();
  headless::MouseMove({200, 110});  // over F's caption
  headless::MouseUp({200, 110});
  Pump();
  EXPECT_EQ(Log(), (V{"C1:WM_LBUTTONUP", "C1:WM_CAPTURECHANGED"}));  // no hit test while captured
  EXPECT_EQ(GetCapture(), nullptr);
  // Taking the capture away tells the old owner who has it now.
  SetCapture(c1);
  rec.Clear();
  SetCapture(c3);
  EXPECT_EQ(Log(), V{"C1:WM_CAPTURECHANGED"});
  ReleaseCapture();
}

TEST_F(Input, LeaveNoticeWhenThePointerLeaves) {
  gHook = [this](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (h == c1 && m == WM_MOUSEMOVE) {
      TRACKMOUSEEVENT t;
      t.dwFlags = TME_LEAVE;
      t.hwndTrack = c1;
      TrackMouseEvent(&t);
    }
    return std::nullopt;
  };
  headless::MouseMove({124, 143});
  Pump();
  headless::MouseMove({126, 145});  // still inside: nothing
  Pump();
  EXPECT_EQ(Log(), V{});
  headless::MouseMove({104 + 80, 123 + 30});  // onto the parent
  Pump();
  EXPECT_EQ(Log(), V{"C1:WM_MOUSELEAVE"});
  // Also while another window holds the capture.
  headless::MouseMove({124, 143});
  Pump();
  SetCapture(f);
  rec.Clear();
  headless::MouseMove({20, 20});
  Pump();
  EXPECT_EQ(Log(), V{"C1:WM_MOUSELEAVE"});
  ReleaseCapture();
}

TEST_F(Input, DoubleClicksByClassStyleTimeAndDistance) {
  HWND noDbl = Make("N", WS_CHILD | WS_VISIBLE, rtl::Rect(200, 100, 280, 160), f, 0, u"RecNoDbl");
  RecordButtons();
  struct Case {
    HWND w;
    int dt, dx;
    V expect;
  } cases[] = {
      {c1, 100, 0, {"C1:WM_LBUTTONDOWN", "C1:WM_LBUTTONDBLCLK"}},
      {c1, 100, 2, {"C1:WM_LBUTTONDOWN", "C1:WM_LBUTTONDBLCLK"}},
      {c1, 501, 0, {"C1:WM_LBUTTONDOWN", "C1:WM_LBUTTONDOWN"}},  // too slow
      {c1, 100, 3, {"C1:WM_LBUTTONDOWN", "C1:WM_LBUTTONDOWN"}},  // too far
      {noDbl, 100, 0, {"N:WM_LBUTTONDOWN", "N:WM_LBUTTONDOWN"}},  // class without CS_DBLCLKS
  };
  for (auto& c : cases) {
    presses.clear();
    headless::AdvanceClock(1000);
    POINT p = Scr(c.w, 5, 5);
    headless::Click(p);
    headless::AdvanceClock(c.dt);
    headless::Click({p.X + c.dx, p.Y});
    Pump();
    EXPECT_EQ(presses, c.expect) << rec.Name(c.w) << " dt " << c.dt << " dx " << c.dx;
  }
  // A third quick press starts over; the caption double-clicks whatever the class.
  presses.clear();
  headless::AdvanceClock(1000);
  for (int i = 0; i < 3; ++i) headless::Click(Scr(c1, 5, 5));
  Pump();
  EXPECT_EQ(presses, (V{"C1:WM_LBUTTONDOWN", "C1:WM_LBUTTONDBLCLK", "C1:WM_LBUTTONDOWN"}));
  presses.clear();
  headless::AdvanceClock(1000);
  headless::Click({200, 110});
  headless::Click({200, 110});
  Pump();
  EXPECT_EQ(presses, (V{"F:WM_NCLBUTTONDOWN(2)", "F:WM_NCLBUTTONDBLCLK(2)"}));
}

TEST_F(Input, KeysAndTextGoToTheFocusWindow) {
  SetFocus(c1);
  Pump();
  std::vector<std::string> chars;
  gHook = [&](HWND h, UINT m, WPARAM w, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_CHAR || m == WM_SYSCHAR) chars.push_back(rec.Name(h) + ":" + std::to_string(w));
    if (m == WM_KEYDOWN && w == WPARAM(VK_SHIFT)) {
      EXPECT_TRUE(GetKeyState(VK_SHIFT) & 0x8000);
    }
    return std::nullopt;
  };
  rec.Clear();
  headless::KeyDown(VK_SHIFT);
  headless::PressKey('A', u"A");
  headless::KeyUp(VK_SHIFT);
  headless::TypeText(u"中文");
  Pump();
  EXPECT_EQ(Log(), (V{"C1:WM_KEYDOWN", "C1:WM_KEYDOWN", "C1:WM_CHAR", "C1:WM_KEYUP", "C1:WM_KEYUP", "C1:WM_CHAR",
                      "C1:WM_CHAR"}));
  EXPECT_EQ(chars, (V{"C1:65", "C1:20013", "C1:25991"}));
  EXPECT_FALSE(GetKeyState(VK_SHIFT) & 0x8000);

  // With no focus window, keys reach the active window as system keys.
  SetFocus(nullptr);
  rec.Clear();
  headless::PressKey(VK_F5);
  Pump();
  EXPECT_EQ(Log(), (V{"F:WM_SYSKEYDOWN", "F:WM_SYSKEYUP"}));

  // Alt+F4 closes the window through WM_SYSCOMMAND and WM_CLOSE.
  SetFocus(c1);
  headless::KeyDown(VK_MENU);
  headless::PressKey(VK_F4);
  headless::KeyUp(VK_MENU);
  Pump();
  EXPECT_FALSE(IsWindow(f));
}

TEST_F(Input, AloneAltOpensTheMenuAndWheelGoesToFocus) {
  SetFocus(c1);
  Pump();
  std::vector<WPARAM> sys;
  int wheel = 0;
  gHook = [&](HWND h, UINT m, WPARAM w, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_SYSCOMMAND && h == f) sys.push_back(w & 0xFFF0);
    if (m == WM_MOUSEWHEEL && h == c1) wheel += GET_WHEEL_DELTA_WPARAM(w);
    if (m == WM_MOUSEWHEEL && h == c1) return 0;
    return std::nullopt;
  };
  headless::PressKey(VK_MENU);
  headless::KeyDown(VK_MENU);
  headless::PressKey('X', u"x");  // Alt+X is not a lone Alt
  headless::KeyUp(VK_MENU);
  headless::Wheel({104 + 200, 123 + 100}, -WHEEL_DELTA);
  Pump();
  EXPECT_EQ(sys, (std::vector<WPARAM>{SC_KEYMENU, SC_KEYMENU}));  // the lone Alt, then Alt+X's character
  EXPECT_EQ(wheel, -WHEEL_DELTA);
}

TEST_F(Input, MoveLoopAsksWithModifiableRectangles) {
  V moves;
  gHook = [&](HWND h, UINT m, WPARAM, LPARAM l) -> std::optional<LRESULT> {
    if (h == f && m == WM_MOVING) {
      auto* r = reinterpret_cast<RECT*>(l);
      int snapped = (r->Left + 25) / 50 * 50;  // a magnet: every 50 pixels
      r->Right += snapped - r->Left;
      r->Left = snapped;
    }
    return std::nullopt;
  };
  headless::MouseDown({200, 110});
  headless::MouseMove({230, 140});
  headless::MouseMove({262, 160});
  headless::MouseUp({262, 160});
  Pump();
  auto log = Log();
  auto at = [&](const std::string& s) { return std::find(log.begin(), log.end(), s) - log.begin(); };
  EXPECT_LT(at("F:WM_NCLBUTTONDOWN"), at("F:WM_SYSCOMMAND"));
  EXPECT_LT(at("F:WM_SYSCOMMAND"), at("F:WM_ENTERSIZEMOVE"));
  EXPECT_EQ(std::count(log.begin(), log.end(), "F:WM_MOVING"), 1);  // queued moves coalesce
  EXPECT_EQ(log.back(), "F:WM_EXITSIZEMOVE");
  RECT r;
  GetWindowRect(f, &r);
  EXPECT_EQ(r, rtl::Bounds(150, 150, 300, 200));  // 162 snapped to 150
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Input, SizeLoopKeepsTheMinimumTrackSize) {
  gHook = [&](HWND h, UINT m, WPARAM, LPARAM l) -> std::optional<LRESULT> {
    if (h == f && m == WM_GETMINMAXINFO) reinterpret_cast<MINMAXINFO*>(l)->ptMinTrackSize = {200, 100};
    return std::nullopt;
  };
  headless::MouseDown({398, 298});  // bottom-right corner
  headless::MouseMove({150, 150});
  headless::MouseUp({150, 150});
  Pump();
  RECT r;
  GetWindowRect(f, &r);
  EXPECT_EQ(r, rtl::Bounds(100, 100, 200, 100));
  // Dragging the left edge keeps the right edge in place; Escape restores.
  headless::AdvanceClock(1000);
  headless::MouseDown({101, 150});
  headless::MouseMove({60, 150});
  headless::PressKey(VK_ESCAPE);
  Pump();
  GetWindowRect(f, &r);
  EXPECT_EQ(r, rtl::Bounds(100, 100, 200, 100));
  headless::MouseUp({60, 150});
  Pump();
}

}  // namespace
}  // namespace wintest

namespace wintest {
namespace {

// Key state as the loop saw it and as the keyboard has it, toggles included,
// and the foreground window set by the program.
TEST_F(Input, KeyStatesAndTheForegroundWindow) {
  SetFocus(c1);
  headless::KeyDown(VK_CONTROL);
  Pump();
  EXPECT_TRUE(GetKeyState(VK_CONTROL) & 0x8000);
  EXPECT_TRUE(GetAsyncKeyState(VK_CONTROL) & 0x8000);
  headless::KeyUp(VK_CONTROL);
  Pump();
  EXPECT_FALSE(GetAsyncKeyState(VK_CONTROL) & 0x8000);
  bool before = GetKeyState(VK_CAPITAL) & 1;
  headless::PressKey(VK_CAPITAL);
  Pump();
  EXPECT_NE(bool(GetKeyState(VK_CAPITAL) & 1), before);
  headless::PressKey(VK_CAPITAL);
  Pump();
  EXPECT_EQ(bool(GetKeyState(VK_CAPITAL) & 1), before);

  HWND g = Make("G", WS_POPUP | WS_VISIBLE, rtl::Bounds(500, 500, 50, 50));
  EXPECT_EQ(GetActiveWindow(), g);
  EXPECT_TRUE(SetForegroundWindow(f));
  EXPECT_EQ(GetForegroundWindow(), f);
  EXPECT_EQ(GetActiveWindow(), f);
  EXPECT_FALSE(SetForegroundWindow(reinterpret_cast<HWND>(0x4321)));
}

}  // namespace
}  // namespace wintest
