// The order of the messages a window gets on creation, showing, moving,
// sizing, activation, focus changes and destruction.
#include "tests/platform/win/WinTestUtil.h"

namespace wintest {
namespace {

using V = std::vector<std::string>;

class MessageOrder : public WinTest {};

TEST_F(MessageOrder, CreationHiddenVisibleAndChild) {
  HWND a = Make("A", WS_POPUP, rtl::Bounds(10, 10, 100, 80));
  EXPECT_EQ(Log(), (V{"A:WM_NCCREATE", "A:WM_NCCALCSIZE", "A:WM_CREATE", "A:WM_SIZE", "A:WM_MOVE"}));
  rec.Clear();
  Make("B", WS_POPUP | WS_VISIBLE, rtl::Bounds(10, 10, 100, 80));
  EXPECT_EQ(Log(), (V{"B:WM_NCCREATE", "B:WM_NCCALCSIZE", "B:WM_CREATE", "B:WM_SIZE", "B:WM_MOVE",
                      "B:WM_SHOWWINDOW", "B:WM_WINDOWPOSCHANGING", "B:WM_ACTIVATEAPP", "A:WM_ACTIVATEAPP", "B:WM_NCACTIVATE",
                      "B:WM_ACTIVATE", "B:WM_SETFOCUS", "B:WM_WINDOWPOSCHANGED"}));
  rec.Clear();
  Make("C", WS_CHILD | WS_VISIBLE, rtl::Bounds(1, 1, 10, 10), a);
  EXPECT_EQ(Log(), (V{"C:WM_NCCREATE", "C:WM_NCCALCSIZE", "C:WM_CREATE", "C:WM_SIZE", "C:WM_MOVE",
                      "A:WM_PARENTNOTIFY", "C:WM_SHOWWINDOW", "C:WM_WINDOWPOSCHANGING", "C:WM_WINDOWPOSCHANGED"}));
}

TEST_F(MessageOrder, CreationRefusedByTheProcedure) {
  struct Case {
    UINT msg;
    LRESULT answer;
    V log;
  };
  for (const Case& c : {Case{WM_NCCREATE, FALSE, {"X:WM_NCCREATE", "X:WM_NCDESTROY"}},
                        Case{WM_CREATE, -1, {"X:WM_NCCREATE", "X:WM_NCCALCSIZE", "X:WM_CREATE", "X:WM_DESTROY",
                                             "X:WM_NCDESTROY"}}}) {
    rec.Clear();
    gHook = [&](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (m == c.msg) return c.answer;
      return std::nullopt;
    };
    EXPECT_EQ(Make("X", WS_POPUP | WS_VISIBLE, rtl::Bounds(0, 0, 10, 10)), nullptr);
    EXPECT_EQ(Log(), c.log) << MsgName(c.msg);
  }
}

TEST_F(MessageOrder, MoveSizeAndPositionChanges) {
  HWND a = Make("A", WS_POPUP, rtl::Bounds(10, 10, 100, 80));
  struct Case {
    std::function<void()> act;
    V log;
  };
  Case cases[] = {
      {[&] { MoveWindow(a, 20, 30, 100, 80, TRUE); },
       {"A:WM_WINDOWPOSCHANGING", "A:WM_WINDOWPOSCHANGED", "A:WM_SIZE", "A:WM_MOVE"}},
      {[&] { MoveWindow(a, 20, 30, 150, 90, TRUE); },
       {"A:WM_WINDOWPOSCHANGING", "A:WM_NCCALCSIZE", "A:WM_WINDOWPOSCHANGED", "A:WM_SIZE", "A:WM_MOVE"}},
      {[&] { SetWindowPos(a, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE); },
       {"A:WM_WINDOWPOSCHANGING", "A:WM_WINDOWPOSCHANGED"}},
      {[&] { SetWindowPos(a, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOSENDCHANGING); },
       {"A:WM_WINDOWPOSCHANGED"}},
  };
  for (auto& c : cases) {
    rec.Clear();
    c.act();
    EXPECT_EQ(Log(), c.log);
  }
  RECT r;
  GetWindowRect(a, &r);
  EXPECT_EQ(r, rtl::Bounds(20, 30, 150, 90));
}

TEST_F(MessageOrder, PositionChangingMayEditTheRectangle) {
  HWND a = Make("A", WS_POPUP, rtl::Bounds(0, 0, 100, 80));
  gHook = [](HWND, UINT m, WPARAM, LPARAM l) -> std::optional<LRESULT> {
    if (m == WM_WINDOWPOSCHANGING) {
      auto* wp = reinterpret_cast<WINDOWPOS*>(l);
      wp->cx = std::min(wp->cx, 120);
    }
    if (m == WM_SIZE) {
      EXPECT_EQ(LOWORD(l), 120);
    }
    return std::nullopt;
  };
  MoveWindow(a, 0, 0, 300, 50, TRUE);
  RECT r;
  GetClientRect(a, &r);
  EXPECT_EQ(r, rtl::Rect(0, 0, 120, 50));
}

TEST_F(MessageOrder, ActivationAndFocusBetweenWindows) {
  HWND a = Make("A", WS_POPUP | WS_VISIBLE, rtl::Bounds(0, 0, 100, 80));
  HWND a1 = Make("A1", WS_CHILD | WS_VISIBLE, rtl::Bounds(0, 0, 10, 10), a);
  HWND b = Make("B", WS_POPUP | WS_VISIBLE, rtl::Bounds(200, 0, 100, 80));
  rec.Clear();
  SetFocus(a1);  // activates A first, then moves the focus inside it
  EXPECT_EQ(Log(), (V{"B:WM_NCACTIVATE", "B:WM_ACTIVATE", "A:WM_NCACTIVATE", "A:WM_ACTIVATE", "B:WM_KILLFOCUS",
                      "A:WM_SETFOCUS", "A:WM_KILLFOCUS", "A1:WM_SETFOCUS"}));
  EXPECT_EQ(GetActiveWindow(), a);
  EXPECT_EQ(GetFocus(), a1);
  EXPECT_EQ(GetTopWindow(nullptr), a);
  rec.Clear();
  SetActiveWindow(nullptr);  // the application loses the foreground
  // Every top-level window of the application hears that it lost the foreground.
  EXPECT_EQ(Log(), (V{"A:WM_NCACTIVATE", "A:WM_ACTIVATE", "A:WM_ACTIVATEAPP", "B:WM_ACTIVATEAPP",
                      "A1:WM_KILLFOCUS"}));
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(GetForegroundWindow(), nullptr);
  (void)b;
}

TEST_F(MessageOrder, DestroyParentWithChildren) {
  HWND p = Make("P", WS_POPUP | WS_VISIBLE, rtl::Bounds(0, 0, 100, 80));
  HWND c = Make("C", WS_CHILD | WS_VISIBLE, rtl::Bounds(0, 0, 10, 10), p);
  Make("G", WS_CHILD | WS_VISIBLE, rtl::Bounds(0, 0, 5, 5), c);
  SetFocus(c);
  rec.Clear();
  DestroyWindow(p);
  EXPECT_EQ(Log(), (V{"P:WM_WINDOWPOSCHANGING", "P:WM_WINDOWPOSCHANGED", "P:WM_NCACTIVATE", "P:WM_ACTIVATE",
                      "P:WM_ACTIVATEAPP", "C:WM_KILLFOCUS", "P:WM_DESTROY", "C:WM_DESTROY", "G:WM_DESTROY",
                      "G:WM_NCDESTROY", "C:WM_NCDESTROY", "P:WM_NCDESTROY"}));
  EXPECT_FALSE(IsWindow(p));
  EXPECT_FALSE(IsWindow(c));
  EXPECT_FALSE(PostMessageW(c, WM_USER, 0, 0));
}

TEST_F(MessageOrder, OwnedWindowsGoFirstAndActivationPassesToTheOwner) {
  HWND owner = Make("O", WS_POPUP | WS_VISIBLE, rtl::Bounds(0, 0, 100, 80));
  HWND dlg = Make("D", WS_POPUP | WS_VISIBLE, rtl::Bounds(10, 10, 50, 50), owner);
  EXPECT_EQ(GetWindow(dlg, GW_OWNER), owner);
  EXPECT_EQ(GetActiveWindow(), dlg);
  DestroyWindow(dlg);
  EXPECT_EQ(GetActiveWindow(), owner);
  HWND dlg2 = Make("D2", WS_POPUP | WS_VISIBLE, rtl::Bounds(10, 10, 50, 50), owner);
  // Activating the owner keeps what it owns above it.
  SetActiveWindow(owner);
  EXPECT_EQ(GetTopWindow(nullptr), dlg2);
  EXPECT_EQ(GetWindow(dlg2, GW_HWNDNEXT), owner);
  EXPECT_EQ(WindowFromPoint({20, 20}), dlg2);
  rec.Clear();
  DestroyWindow(owner);
  EXPECT_FALSE(IsWindow(dlg2));
  auto log = Log();
  auto pos = [&](const std::string& s) { return std::find(log.begin(), log.end(), s) - log.begin(); };
  EXPECT_LT(pos("D2:WM_NCDESTROY"), pos("O:WM_DESTROY"));
}

TEST_F(MessageOrder, ShowStatesMinimizeMaximizeRestore) {
  HWND a = Make("A", WS_POPUP | WS_VISIBLE, rtl::Bounds(10, 20, 200, 100));
  rec.Clear();
  ShowWindow(a, SW_MINIMIZE);
  EXPECT_TRUE(IsIconic(a));
  EXPECT_NE(GetActiveWindow(), a);
  ShowWindow(a, SW_MAXIMIZE);
  RECT r;
  GetWindowRect(a, &r);
  EXPECT_EQ(r, rtl::Rect(0, 0, 1280, 984));  // the work area
  EXPECT_TRUE(IsZoomed(a));
  ShowWindow(a, SW_RESTORE);
  GetWindowRect(a, &r);
  EXPECT_EQ(r, rtl::Bounds(10, 20, 200, 100));  // bounds from before the minimize
  EXPECT_FALSE(IsIconic(a) || IsZoomed(a));
  auto log = Log();
  int sizes = int(std::count(log.begin(), log.end(), "A:WM_SIZE"));
  EXPECT_EQ(sizes, 3);
  EXPECT_TRUE(ShowWindow(a, SW_HIDE));
  EXPECT_FALSE(ShowWindow(a, SW_HIDE));
}

}  // namespace
}  // namespace wintest

namespace wintest {
namespace {

// The default handling of system commands: the show states, and closing
// through WM_CLOSE, which the procedure may refuse.
TEST_F(MessageOrder, SystemCommandsByDefault) {
  HWND a = Make("A", WS_POPUP | WS_CAPTION | WS_VISIBLE, rtl::Bounds(10, 20, 200, 100));
  struct Case {
    WPARAM cmd;
    bool iconic, zoomed;
  } cases[] = {{SC_MINIMIZE, true, false}, {SC_RESTORE, false, false}, {SC_MAXIMIZE, false, true},
               {SC_RESTORE, false, false}};
  for (auto& c : cases) {
    SendMessageW(a, WM_SYSCOMMAND, c.cmd, 0);
    EXPECT_EQ(bool(IsIconic(a)), c.iconic) << std::hex << c.cmd;
    EXPECT_EQ(bool(IsZoomed(a)), c.zoomed) << std::hex << c.cmd;
  }
  RECT r;
  GetWindowRect(a, &r);
  EXPECT_EQ(r, rtl::Bounds(10, 20, 200, 100));
  gHook = [](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_CLOSE) return 0;
    return std::nullopt;
  };
  rec.Clear();
  SendMessageW(a, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(IsWindow(a));
  EXPECT_EQ(Log(), (V{"A:WM_SYSCOMMAND", "A:WM_CLOSE"}));
  gHook = nullptr;
  SendMessageW(a, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(IsWindow(a));
}

}  // namespace
}  // namespace wintest
