// Caret, clipboard, layering, activation by clicks, cursors, the screen the
// headless back end reports, and the native children of video windows.
#include "tests/platform/win/WinTestUtil.h"

namespace wintest {
namespace {

class System : public WinTest {};

TEST_F(System, CaretBlinksByInvertingAndHidesForPainting) {
  HWND a = Make("A", WS_POPUP | WS_VISIBLE, rtl::Bounds(0, 0, 50, 30));
  SetWindowLongPtrW(a, GWL_USERDATA, gdi::RGB(255, 255, 255));
  gHook = PaintWithUserColour;
  Pump();
  ASSERT_TRUE(CreateCaret(a, nullptr, 2, 10));
  SetCaretPos(10, 5);
  EXPECT_EQ(Pixel(a, 10, 5), Rgb(255, 255, 255));  // created hidden
  ShowCaret(a);
  Pump();
  EXPECT_EQ(Pixel(a, 10, 5), 0u);
  EXPECT_EQ(Pixel(a, 12, 5), Rgb(255, 255, 255));
  headless::AdvanceClock(GetCaretBlinkTime());
  Pump();
  EXPECT_EQ(Pixel(a, 10, 5), Rgb(255, 255, 255));  // blinked off
  headless::AdvanceClock(GetCaretBlinkTime());
  Pump();
  EXPECT_EQ(Pixel(a, 10, 5), 0u);
  // A repaint under a visible caret leaves it visible, not inverted twice.
  InvalidateRect(a, nullptr, TRUE);
  Pump();
  EXPECT_EQ(Pixel(a, 10, 5), 0u);
  HideCaret(a);
  EXPECT_EQ(Pixel(a, 10, 5), Rgb(255, 255, 255));
  EXPECT_TRUE(DestroyCaret());
  EXPECT_FALSE(DestroyCaret());
}

TEST_F(System, ClipboardHoldsUnicodeTextBetweenOpenAndClose) {
  EXPECT_FALSE(SetClipboardText(u"x"));  // not open
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_FALSE(OpenClipboard(nullptr));
  EmptyClipboard();
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
  EXPECT_TRUE(SetClipboardText(u"输出 folder"));
  CloseClipboard();
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
  rtl::String s;
  EXPECT_FALSE(GetClipboardText(&s));
  OpenClipboard(nullptr);
  EXPECT_TRUE(GetClipboardText(&s));
  CloseClipboard();
  EXPECT_EQ(s, u"输出 folder");
}

TEST_F(System, LayeredWindows) {
  HWND plain = Make("P", WS_POPUP, rtl::Bounds(0, 0, 20, 20));
  EXPECT_FALSE(SetLayeredWindowAttributes(plain, 0, 128, LWA_ALPHA));
  HWND l = Make("L", WS_POPUP | WS_VISIBLE, rtl::Bounds(0, 0, 20, 20), nullptr, WS_EX_LAYERED);
  EXPECT_TRUE(SetLayeredWindowAttributes(l, 0, 128, LWA_ALPHA));
  BYTE alpha = 0;
  GetLayeredWindowAttributes(l, nullptr, &alpha, nullptr);
  EXPECT_EQ(alpha, 128);
  EXPECT_FALSE(IsLayeringSupported());  // no compositor without a display
  // UpdateLayeredWindow takes the image and the new size from the source.
  HDC mem = gdi::CreateCompatibleDC(nullptr);
  gdi::HBITMAP bmp = gdi::CreateCompatibleBitmap(mem, 30, 10);
  gdi::SelectObject(mem, reinterpret_cast<gdi::HGDIOBJ>(bmp));
  RECT r = rtl::Rect(0, 0, 30, 10);
  gdi::FillRect(mem, &r, gdi::GetSysColorBrush(gdi::COLOR_HIGHLIGHT));
  SIZE size{30, 10};
  POINT pos{5, 6}, src{0, 0};
  gdi::BLENDFUNCTION bf;
  bf.SourceConstantAlpha = 200;
  ASSERT_TRUE(UpdateLayeredWindow(l, nullptr, &pos, &size, mem, &src, 0, &bf, ULW_ALPHA));
  RECT wr;
  GetWindowRect(l, &wr);
  EXPECT_EQ(wr, rtl::Bounds(5, 6, 30, 10));
  gdi::COLORREF hl = gdi::GetSysColor(gdi::COLOR_HIGHLIGHT);
  EXPECT_EQ(Pixel(l, 29, 9), Rgb(hl & 0xFF, (hl >> 8) & 0xFF, (hl >> 16) & 0xFF));
  gdi::DeleteDC(mem);
  gdi::DeleteObject(reinterpret_cast<gdi::HGDIOBJ>(bmp));
  // A layered, transparent window lets the pointer through.
  SetWindowLongPtrW(l, GWL_EXSTYLE, WS_EX_LAYERED | WS_EX_TRANSPARENT);
  EXPECT_EQ(WindowFromPoint({10, 10}), nullptr);
}

TEST_F(System, ClickActivationRespectsNoActivate) {
  HWND main = Make("M", WS_POPUP | WS_VISIBLE, rtl::Bounds(0, 0, 100, 100));
  HWND menu = Make("Menu", WS_POPUP, rtl::Bounds(200, 0, 50, 50), main, WS_EX_TOPMOST | WS_EX_NOACTIVATE);
  ShowWindow(menu, SW_SHOWNA);
  HWND other = Make("O", WS_POPUP | WS_VISIBLE, rtl::Bounds(300, 0, 50, 50));
  SetActiveWindow(main);
  headless::Click({210, 10});
  Pump();
  EXPECT_EQ(GetActiveWindow(), main);  // the menu never takes activation
  gHook = [&](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (h == other && m == WM_MOUSEACTIVATE) return MA_NOACTIVATEANDEAT;
    return std::nullopt;
  };
  Quiet(WM_NCLBUTTONDOWN);
  rec.Clear();
  headless::Click({310, 10});
  Pump();
  EXPECT_EQ(GetActiveWindow(), main);
  auto log = Log();
  EXPECT_EQ(std::count(log.begin(), log.end(), "O:WM_LBUTTONDOWN"), 0);  // eaten
  EXPECT_EQ(std::count(log.begin(), log.end(), "O:WM_LBUTTONUP"), 1);
  gHook = nullptr;
  headless::AdvanceClock(1000);
  headless::Click({310, 10});
  Pump();
  EXPECT_EQ(GetActiveWindow(), other);
}

TEST_F(System, CursorFollowsTheHitCode) {
  Make("F", WS_POPUP | WS_THICKFRAME | WS_VISIBLE, rtl::Bounds(100, 100, 200, 200));
  struct Case {
    POINT p;
    std::uintptr_t idc;
  } cases[] = {{{101, 200}, IDC_SIZEWE}, {{200, 298}, IDC_SIZENS}, {{298, 298}, IDC_SIZENWSE},
               {{298, 101}, IDC_SIZENESW}, {{200, 200}, IDC_ARROW}};
  for (auto& c : cases) {
    headless::MouseMove(c.p);
    Pump();
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, c.idc)) << c.p.X << "," << c.p.Y;
  }
  POINT p;
  GetCursorPos(&p);
  EXPECT_EQ(p, (POINT{200, 200}));
}

TEST_F(System, ScreenMetricsAndWorkArea) {
  RECT work;
  ASSERT_TRUE(SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0));
  EXPECT_EQ(work, rtl::Rect(0, 0, 1280, 984));
  headless::SetScreen(rtl::Rect(0, 0, 800, 600), rtl::Rect(0, 30, 800, 600));
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
  MONITORINFO mi;
  ASSERT_TRUE(GetMonitorInfoW(MonitorFromPoint({10, 10}, MONITOR_DEFAULTTONEAREST), &mi));
  EXPECT_EQ(mi.rcWork, rtl::Rect(0, 30, 800, 600));
  EXPECT_EQ(mi.rcMonitor, rtl::Rect(0, 0, 800, 600));
  EXPECT_EQ(MonitorFromPoint({900, 10}, MONITOR_DEFAULTTONULL), nullptr);
  EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), 16);
}

TEST_F(System, DisablingCancelsModesAndTakesFocusAway) {
  HWND p = Make("P", WS_POPUP | WS_VISIBLE, rtl::Bounds(0, 0, 100, 100));
  HWND c = Make("C", WS_CHILD | WS_VISIBLE, rtl::Rect(0, 0, 10, 10), p);
  SetFocus(c);
  SetCapture(c);
  rec.Clear();
  EXPECT_FALSE(EnableWindow(c, FALSE));
  EXPECT_EQ(GetFocus(), nullptr);
  EXPECT_EQ(GetCapture(), nullptr);  // the default WM_CANCELMODE released it
  EXPECT_EQ(Log(), (std::vector<std::string>{"C:WM_CANCELMODE", "C:WM_CAPTURECHANGED", "C:WM_KILLFOCUS",
                                             "C:WM_ENABLE"}));
  EXPECT_TRUE(EnableWindow(c, TRUE));
  EXPECT_FALSE(IsWindowEnabled(p) == FALSE);
}

}  // namespace
}  // namespace wintest

namespace wintest {
namespace {

TEST_F(System, ScrollStateClampsToTheLastPage) {
  HWND a = Make("A", WS_POPUP, rtl::Bounds(0, 0, 100, 100));
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = 0, si.nMax = 99, si.nPage = 10, si.nPos = 500;
  EXPECT_EQ(SetScrollInfo(a, SB_VERT, &si, TRUE), 90);  // the last page ends at the maximum
  EXPECT_EQ(SetScrollPos(a, SB_VERT, -5, TRUE), 90);
  EXPECT_EQ(GetScrollPos(a, SB_VERT), 0);
  si.fMask = SIF_PAGE;
  si.nPage = 1000;
  SetScrollInfo(a, SB_VERT, &si, TRUE);
  SCROLLINFO out;
  out.fMask = SIF_ALL;
  ASSERT_TRUE(GetScrollInfo(a, SB_VERT, &out));
  EXPECT_EQ(out.nPage, 100u);  // never more than the range
  int lo = -1, hi = -1;
  GetScrollRange(a, SB_HORZ, &lo, &hi);
  EXPECT_EQ(lo, 0);
  EXPECT_EQ(hi, 0);
  // A shown bar takes its room from the client area.
  ShowScrollBar(a, SB_VERT, TRUE);
  RECT r;
  GetClientRect(a, &r);
  EXPECT_EQ(r.Width(), 100 - GetSystemMetrics(SM_CXVSCROLL));
  ShowScrollBar(a, SB_VERT, FALSE);
  GetClientRect(a, &r);
  EXPECT_EQ(r.Width(), 100);
}

// The native child of a video window stays inside the native window of the
// video window's top-level, wherever SetParent takes it or its ancestors.
TEST_F(System, VideoChildFollowsItsWindowToAnotherTopLevel) {
  HWND t1 = Make("T1", WS_POPUP | WS_VISIBLE, rtl::Bounds(0, 0, 200, 150));
  HWND t2 = Make("T2", WS_POPUP | WS_VISIBLE, rtl::Bounds(300, 0, 200, 150));
  HWND panel = Make("P", WS_CHILD | WS_VISIBLE, rtl::Bounds(10, 10, 100, 80), t1);
  HWND holder = Make("Q", WS_CHILD | WS_VISIBLE, rtl::Bounds(40, 30, 100, 80), t2);
  HWND video = Make("V", WS_CHILD | WS_VISIBLE, rtl::Bounds(5, 5, 30, 20), panel, WS_EX_FOREIGNVIDEO);
  auto where = [&](HWND wantTop, RECT wantRect, const char* step) {
    HWND top = nullptr;
    RECT r{};
    bool visible = false;
    ASSERT_TRUE(headless::ForeignChild(video, &top, &r, &visible)) << step;
    EXPECT_EQ(top, wantTop) << step;
    EXPECT_EQ(r, wantRect) << step;
    EXPECT_TRUE(visible) << step;
  };
  where(t1, rtl::Bounds(15, 15, 30, 20), "created");
  // Into a child of another top-level window.
  SetParent(video, holder);
  where(t2, rtl::Bounds(45, 35, 30, 20), "moved to another window");
  // Its top-level window becomes a child: its native window goes, the video's stays.
  SetParent(t2, panel);
  MoveWindow(t2, 20, 20, 60, 50, TRUE);
  where(t1, rtl::Bounds(10 + 20 + 40 + 5, 10 + 20 + 30 + 5, 30, 20), "top-level became a child");
  // A child that becomes a top-level window takes the video along.
  SetParent(panel, nullptr);
  where(panel, rtl::Bounds(20 + 40 + 5, 20 + 30 + 5, 30, 20), "child became top-level");
  DestroyWindow(panel);
  EXPECT_FALSE(headless::ForeignChild(video, nullptr, nullptr));
}

// The application's hidden window owns forms, hints and popups but is never
// activated: showing an owned hint leaves the activation alone, and as owned
// forms go the activation passes to the next form, then to nobody.
TEST_F(System, HiddenOwnerNeverTakesActivation) {
  HWND app = Make("App", WS_POPUP, rtl::Bounds(0, 0, 0, 0));
  HWND f1 = Make("F1", WS_POPUP | WS_CAPTION | WS_VISIBLE, rtl::Bounds(10, 10, 100, 80), app);
  HWND f2 = Make("F2", WS_POPUP | WS_CAPTION | WS_VISIBLE, rtl::Bounds(200, 10, 100, 80), app);
  Pump();
  EXPECT_EQ(GetActiveWindow(), f2);
  HWND hint = Make("Hint", WS_POPUP | WS_BORDER, rtl::Bounds(20, 20, 50, 16), app, WS_EX_TOPMOST);
  ShowWindow(hint, SW_SHOWNOACTIVATE);
  HWND layer = Make("Layer", WS_POPUP, rtl::Bounds(20, 20, 50, 16), app, WS_EX_LAYERED | WS_EX_TRANSPARENT);
  ShowWindow(layer, SW_SHOWNA);
  Pump();
  EXPECT_EQ(GetActiveWindow(), f2);
  DestroyWindow(f2);
  EXPECT_EQ(GetActiveWindow(), f1);
  DestroyWindow(f1);
  EXPECT_NE(GetActiveWindow(), app);
  EXPECT_FALSE(IsWindowVisible(app));
}

}  // namespace
}  // namespace wintest
