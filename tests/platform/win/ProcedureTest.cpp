// Window procedures: subclassing chains, window longs, and windows destroyed
// inside their own handlers.
#include "tests/platform/win/WinTestUtil.h"

namespace wintest {
namespace {

using V = std::vector<std::string>;

class Procedures : public WinTest {};

std::vector<std::string> gChain;
WNDPROC gOld1 = nullptr, gOld2 = nullptr;

LRESULT Sub1(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_USER) gChain.push_back("sub1");
  return CallWindowProcW(gOld1, h, m, w, l) + (m == WM_USER ? 1 : 0);
}
LRESULT Sub2(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_USER) gChain.push_back("sub2");
  return CallWindowProcW(gOld2, h, m, w, l) + (m == WM_USER ? 10 : 0);
}

TEST_F(Procedures, SubclassingChainsAndUnhooks) {
  HWND a = Make("A", WS_POPUP, rtl::Bounds(0, 0, 10, 10));
  gChain.clear();
  gHook = [](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_USER) {
      gChain.push_back("original");
      return 100;
    }
    return std::nullopt;
  };
  gOld1 = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(a, GWL_WNDPROC, LONG_PTR(reinterpret_cast<std::intptr_t>(Sub1))));
  gOld2 = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(a, GWL_WNDPROC, LONG_PTR(reinterpret_cast<std::intptr_t>(Sub2))));
  EXPECT_EQ(gOld1, RecProc);
  EXPECT_EQ(SendMessageW(a, WM_USER, 0, 0), 111);
  EXPECT_EQ(gChain, (V{"sub2", "sub1", "original"}));
  // Unhooking the newest restores the one below it.
  SetWindowLongPtrW(a, GWL_WNDPROC, LONG_PTR(reinterpret_cast<std::intptr_t>(gOld2)));
  gChain.clear();
  EXPECT_EQ(SendMessageW(a, WM_USER, 0, 0), 101);
  EXPECT_EQ(gChain, (V{"sub1", "original"}));
}

TEST_F(Procedures, WindowLongsAndTexts) {
  WNDCLASSW wc;
  wc.lpfnWndProc = RecProc;
  wc.cbWndExtra = 16;
  wc.lpszClassName = u"Extra";
  ASSERT_NE(RegisterClassW(&wc), 0);
  EXPECT_EQ(RegisterClassW(&wc), 0);  // once per name
  HWND p = Make("P", WS_POPUP, rtl::Bounds(0, 0, 10, 10));
  HWND a = CreateWindowExW(WS_EX_TOOLWINDOW, u"extra", u"标题", WS_CHILD, 0, 0, 5, 5, p, 77, nullptr);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(GetWindowLongPtrW(a, GWL_ID), 77);
  EXPECT_EQ(GetWindowLongPtrW(a, GWL_EXSTYLE), LONG_PTR(WS_EX_TOOLWINDOW));
  EXPECT_EQ(GetWindowLongPtrW(a, GWL_STYLE) & WS_CHILD, LONG_PTR(WS_CHILD));
  SetWindowLongPtrW(a, 8, 1234);
  SetWindowLongPtrW(a, GWL_USERDATA, 99);
  EXPECT_EQ(GetWindowLongPtrW(a, 8), 1234);
  EXPECT_EQ(GetWindowLongPtrW(a, GWL_USERDATA), 99);
  EXPECT_EQ(GetWindowText(a), u"标题");
  SetWindowText(a, u"新");
  EXPECT_EQ(GetWindowText(a), u"新");
  char16_t buf[2];
  EXPECT_EQ(GetWindowTextW(a, buf, 2), 1);
  EXPECT_EQ(GetParent(a), p);
  EXPECT_TRUE(IsChild(p, a));
  DestroyWindow(p);
  UnregisterClassW(u"Extra");
}

TEST_F(Procedures, WindowDestroyedInsideItsOwnHandler) {
  HWND p = Make("P", WS_POPUP | WS_VISIBLE, rtl::Bounds(0, 0, 100, 100));
  HWND a = Make("A", WS_CHILD | WS_VISIBLE, rtl::Rect(0, 0, 50, 50), p);
  HWND b = Make("B", WS_CHILD | WS_VISIBLE, rtl::Rect(50, 0, 100, 50), p);
  SetTimer(a, 1, 10, nullptr);
  gHook = [&](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (h == a && m == WM_LBUTTONDOWN) {
      SetCapture(h);
      DestroyWindow(h);
      // Still inside the handler: the handle is dead, calls fail cleanly.
      EXPECT_FALSE(IsWindow(h));
      EXPECT_FALSE(SetWindowTextW(h, u"x"));
      EXPECT_EQ(GetCapture(), nullptr);
      PostMessageW(h, WM_USER, 0, 0);
      return 0;
    }
    if (h == b && m == WM_LBUTTONDOWN) {
      DestroyWindow(p);  // the parent, from a child's handler
      return 0;
    }
    if (h == p && m == WM_PAINT) {
      PAINTSTRUCT ps;
      BeginPaint(h, &ps);
      DestroyWindow(h);
      EndPaint(h, &ps);
      return 0;
    }
    return std::nullopt;
  };
  headless::Click({10, 10});
  headless::AdvanceClock(100);
  Pump();
  EXPECT_FALSE(IsWindow(a));
  headless::Click({60, 10});
  Pump();
  EXPECT_FALSE(IsWindow(b));
  EXPECT_FALSE(IsWindow(p));
  // And a window that destroys itself while painting.
  HWND q = Make("P", WS_POPUP | WS_VISIBLE, rtl::Bounds(0, 0, 10, 10));
  p = q;
  Pump();
  EXPECT_FALSE(IsWindow(q));
}

TEST_F(Procedures, ZOrderAndSiblingNavigation) {
  HWND p = Make("P", WS_POPUP, rtl::Bounds(0, 0, 100, 100));
  HWND a = Make("A", WS_CHILD, rtl::Rect(0, 0, 5, 5), p);
  HWND b = Make("B", WS_CHILD, rtl::Rect(0, 0, 5, 5), p);
  HWND c = Make("C", WS_CHILD, rtl::Rect(0, 0, 5, 5), p);
  // Later children lie below earlier ones.
  EXPECT_EQ(GetWindow(p, GW_CHILD), a);
  EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), b);
  EXPECT_EQ(GetWindow(a, GW_HWNDLAST), c);
  SetWindowPos(c, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetWindow(p, GW_CHILD), c);
  SetWindowPos(c, b, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetWindow(b, GW_HWNDNEXT), c);
  SetWindowPos(a, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  EXPECT_EQ(GetWindow(p, GW_CHILD), b);
  EXPECT_EQ(GetWindow(b, GW_HWNDPREV), nullptr);
  // Topmost windows stay above the others.
  HWND top = Make("TOP", WS_POPUP | WS_VISIBLE, rtl::Bounds(0, 0, 5, 5), nullptr, WS_EX_TOPMOST);
  HWND n = Make("N", WS_POPUP | WS_VISIBLE, rtl::Bounds(0, 0, 5, 5));
  EXPECT_EQ(GetTopWindow(nullptr), top);
  SetWindowPos(top, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  EXPECT_EQ(GetWindowLongPtrW(top, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
  (void)n;
}

TEST_F(Procedures, GeometryMapping) {
  HWND p = Make("P", WS_POPUP | WS_BORDER, rtl::Bounds(100, 50, 200, 100));
  HWND a = Make("A", WS_CHILD, rtl::Rect(10, 20, 60, 70), p);
  RECT r;
  GetWindowRect(a, &r);
  EXPECT_EQ(r, rtl::Rect(111, 71, 161, 121));  // parent's client starts inside its 1-pixel border
  POINT pts[2] = {{0, 0}, {5, 5}};
  MapWindowPoints(a, p, pts, 2);
  EXPECT_EQ(pts[0], (POINT{10, 20}));
  EXPECT_EQ(pts[1], (POINT{15, 25}));
  POINT s{111, 71};
  ScreenToClient(a, &s);
  EXPECT_EQ(s, (POINT{0, 0}));
  RECT adj = rtl::Rect(0, 0, 100, 50);
  AdjustWindowRectEx(&adj, WS_CAPTION | WS_THICKFRAME, FALSE, 0);
  EXPECT_EQ(adj, rtl::Rect(-4, -23, 104, 54));
}

}  // namespace
}  // namespace wintest
