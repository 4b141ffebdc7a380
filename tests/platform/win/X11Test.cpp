// The X11 back end against a private Xvfb: pixels, clicks, keys and the
// keypad, shapes, the clipboard, video children, layered windows (with a
// compositor), activation and modal dialogs, unmanaged popups of a hidden
// owner, icons, cursors, and text from an input method (a test XIM server).
// Skips when Xvfb is not installed.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <map>
#include <optional>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/gdi/Gdi.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Backend.h"
#include "platform/win/WinApi.h"

// Xlib last: its macros (None, Status, ...) would break the headers above.
#include <X11/Xlib.h>
#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xfixes.h>
#include <X11/extensions/shape.h>
#include <X11/keysym.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include "tests/support/ChildProcess.h"
#include "tests/support/WindowManager.h"
#include "tests/support/Xvfb.h"

// Xlib keeps the records of an input method whose server went away (it cannot
// close them without the server) and of a wait for a server to start: the
// leak checker is told so.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:_XimOpenIM\nleak:_XimRegisterIMInstantiateCallback\n";
}

namespace {

using namespace win;

using Child = testsupport::ChildProcess;

using testsupport::Xvfb;

std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)> gHook;

LRESULT Proc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (gHook)
    if (auto r = gHook(h, m, w, l)) return *r;
  return DefWindowProcW(h, m, w, l);
}

// Runs the message loop until `done` or the time passes (a bound for a broken
// run on a loaded machine, not a measurement).
bool PumpUntil(const std::function<bool()>& done, int ms = 20000) {
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  MSG m;
  while (std::chrono::steady_clock::now() < until) {
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&m);
      DispatchMessageW(&m);
    }
    FlushWindows();
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return done();
}

// Each test gets an Xvfb of its own, a client connection `d` to look at what
// the server holds, and a fresh window system on that display.
class X11 : public ::testing::Test {
 protected:
  // Starts the server and opens `d`; false (the test skips) without Xvfb.
  bool StartServer() {
    if (!xvfb.Start()) return false;
    setenv("DISPLAY", xvfb.Display().c_str(), 1);
    d = XOpenDisplay(xvfb.Display().c_str());
    return d != nullptr;
  }
  // The X11 window system on it, with a window class `cls` of `proc`.
  static bool StartWindowSystem(const char16_t* cls, WNDPROC proc = Proc) {
    if (!InitWindowSystem(BackendKind::X11)) return false;
    WNDCLASSW wc;
    wc.lpfnWndProc = proc;
    wc.lpszClassName = cls;
    RegisterClassW(&wc);
    return true;
  }
  void TearDown() override {
    gHook = nullptr;
    ShutdownWindowSystem();
    if (d) XCloseDisplay(d);
  }
  // The first items of a 32-bit property of `w` (empty when it has none).
  std::vector<long> Property(Window w, const char* name, long count = 64) {
    std::vector<long> values;
    Atom type;
    int format = 0;
    unsigned long n = 0, after;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, w, XInternAtom(d, name, False), 0, count, False, AnyPropertyType, &type, &format, &n,
                           &after, &data) == Success &&
        data && format == 32) {
      auto* v = reinterpret_cast<long*>(data);  // 32-bit items travel in longs
      values.assign(v, v + n);
    }
    if (data) XFree(data);
    return values;
  }
  // Whether an atom-list property of `w` holds the atom named `atom`.
  bool HasAtom(Window w, const char* name, const char* atom) {
    auto values = Property(w, name);
    return std::find(values.begin(), values.end(), long(XInternAtom(d, atom, False))) != values.end();
  }
  Xvfb xvfb;
  Display* d = nullptr;
};

TEST_F(X11, WindowPixelsClicksKeysAndShape) {
  if (!StartServer()) GTEST_SKIP() << "Xvfb is not available";
  ASSERT_TRUE(StartWindowSystem(u"X11Test"));
  ASSERT_STREQ(CurrentBackend()->Name(), "x11");
  POINT clicked{-1, -1};
  std::u16string typed;
  gHook = [&](HWND h, UINT m, WPARAM w, LPARAM l) -> std::optional<LRESULT> {
    if (m == WM_PAINT) {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      RECT left = rtl::Rect(0, 0, 60, 90), right = rtl::Rect(60, 0, 120, 90);
      gdi::FillRect(dc, &left, gdi::GetSysColorBrush(gdi::COLOR_HIGHLIGHT));
      gdi::FillRect(dc, &right, gdi::GetSysColorBrush(gdi::COLOR_INFOBK));
      gdi::SetPixel(dc, 5, 7, gdi::RGB(1, 2, 3));
      EndPaint(h, &ps);
      return 0;
    }
    if (m == WM_LBUTTONDOWN) {
      clicked = {GET_X_LPARAM(l), GET_Y_LPARAM(l)};
      SetFocus(h);
    }
    if (m == WM_CHAR) typed += char16_t(w);
    return std::nullopt;
  };
  HWND w = CreateWindowExW(0, u"X11Test", u"测试", WS_POPUP | WS_VISIBLE, 40, 30, 120, 90, nullptr, 0, nullptr);
  ASSERT_NE(w, nullptr);
  HWND video = CreateWindowExW(WS_EX_FOREIGNVIDEO, u"X11Test", u"", WS_CHILD | WS_VISIBLE, 80, 50, 30, 30, w, 0, nullptr);
  ASSERT_NE(video, nullptr);
  Window xw = Window(GetNativeWindowId(w));
  ASSERT_NE(xw, 0u);

  auto rgbOf = [](gdi::COLORREF c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); };
  // The server's pixels equal what was painted (left of the video child).
  bool same = PumpUntil([&] {
    XWindowAttributes a;
    if (!XGetWindowAttributes(d, xw, &a) || a.map_state != IsViewable) return false;
    XImage* img = XGetImage(d, xw, 0, 0, 120, 90, AllPlanes, ZPixmap);
    if (!img) return false;
    bool eq = true;
    for (int y = 0; y < 90 && eq; ++y)
      for (int px = 0; px < 80 && eq; ++px) {
        gdi::COLORREF want = px == 5 && y == 7 ? gdi::RGB(1, 2, 3)
                             : px < 60         ? gdi::GetSysColor(gdi::COLOR_HIGHLIGHT)
                                               : gdi::GetSysColor(gdi::COLOR_INFOBK);
        eq = (XGetPixel(img, px, y) & 0xFFFFFF) == rgbOf(want);
      }
    XDestroyImage(img);
    return eq;
  });
  EXPECT_TRUE(same);

  // The video child is a real, mapped X child of the window.
  Window vx = Window(GetNativeWindowId(video));
  ASSERT_NE(vx, 0u);
  EXPECT_NE(vx, xw);
  Window root, parent, *kids = nullptr;
  unsigned n = 0;
  ASSERT_TRUE(XQueryTree(d, vx, &root, &parent, &kids, &n));
  if (kids) XFree(kids);
  EXPECT_EQ(parent, xw);

  // A synthetic click through XTest.
  XTestFakeMotionEvent(d, -1, 40 + 30, 30 + 20, 0);
  XTestFakeButtonEvent(d, 1, True, 0);
  XTestFakeButtonEvent(d, 1, False, 0);
  XFlush(d);
  EXPECT_TRUE(PumpUntil([&] { return clicked.X >= 0; }));
  EXPECT_EQ(clicked, (POINT{30, 20}));

  // Keys become virtual keys and typed text.
  XTestFakeKeyEvent(d, XKeysymToKeycode(d, XK_a), True, 0);
  XTestFakeKeyEvent(d, XKeysymToKeycode(d, XK_a), False, 0);
  XFlush(d);
  EXPECT_TRUE(PumpUntil([&] { return !typed.empty(); }));
  EXPECT_EQ(typed, u"a");

  // A window region shapes the X window.
  SetWindowRgn(w, gdi::CreateRectRgn(0, 0, 50, 40), TRUE);
  PumpUntil([] { return true; });
  int count = 0, ordering = 0;
  XRectangle* rects = XShapeGetRectangles(d, xw, ShapeBounding, &count, &ordering);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(rects[0].width, 50);
  EXPECT_EQ(rects[0].height, 40);
  XFree(rects);

  EXPECT_FALSE(IsLayeringSupported());  // no compositor runs

  // Dialogs stay managed; menus and captionless owned popups are not.
  struct Case {
    DWORD style, exStyle;
    bool unmanaged;
  } kinds[] = {{WS_POPUP | WS_CAPTION, 0, false},
               {WS_POPUP, WS_EX_TOOLWINDOW, true},
               {WS_POPUP | WS_BORDER, 0, true},
               {WS_POPUP, WS_EX_NOACTIVATE | WS_EX_TOPMOST, true}};
  for (auto& k : kinds) {
    HWND p = CreateWindowExW(k.exStyle, u"X11Test", u"", k.style, 0, 0, 20, 20, w, 0, nullptr);
    ASSERT_NE(p, nullptr);
    XWindowAttributes a;
    ASSERT_TRUE(XGetWindowAttributes(d, Window(GetNativeWindowId(p)), &a));
    EXPECT_EQ(bool(a.override_redirect), k.unmanaged) << std::hex << k.style << " " << k.exStyle;
    DestroyWindow(p);
  }

  // Copied text is offered on the CLIPBOARD selection to other clients.
  ASSERT_TRUE(OpenClipboard(w));
  EmptyClipboard();
  ASSERT_TRUE(SetClipboardText(u"输出 folder"));
  CloseClipboard();
  // The server knows the new owner once the window system's request has
  // reached it (another connection may ask before that).
  ASSERT_TRUE(PumpUntil([&] { return XGetSelectionOwner(d, XInternAtom(d, "CLIPBOARD", False)) != None; }));
  Window requestor = XCreateSimpleWindow(d, DefaultRootWindow(d), 0, 0, 1, 1, 0, 0, 0);
  Atom into = XInternAtom(d, "TVL_PASTE", False);
  auto paste = [&](Atom target) -> std::string {
    XConvertSelection(d, XInternAtom(d, "CLIPBOARD", False), target, into, requestor, CurrentTime);
    XFlush(d);
    XEvent ev;
    if (!PumpUntil([&] { return XCheckTypedWindowEvent(d, requestor, SelectionNotify, &ev) == True; }) ||
        ev.xselection.property != into)
      return "<none>";
    Atom type;
    int format;
    unsigned long items, rest;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(d, requestor, into, 0, 1024, True, AnyPropertyType, &type, &format, &items, &rest, &data) !=
            Success ||
        !data)
      return "<none>";
    std::string text(reinterpret_cast<char*>(data), items);
    XFree(data);
    return text;
  };
  EXPECT_EQ(paste(XInternAtom(d, "UTF8_STRING", False)), "输出 folder");
  EXPECT_EQ(paste(XA_STRING), "?? folder");  // Latin-1 only
  XDestroyWindow(d, requestor);

}

// The X child of a video window moves into the X window of the video window's
// new top-level, at its new place, and survives its old top-level's X window.
TEST_F(X11, VideoChildFollowsSetParent) {
  if (!StartServer()) GTEST_SKIP() << "Xvfb is not available";
  ASSERT_TRUE(StartWindowSystem(u"X11Video", DefWindowProcW));
  auto make = [](DWORD style, DWORD ex, int x, int y, int cx, int cy, HWND parent) {
    return CreateWindowExW(ex, u"X11Video", u"", style | WS_VISIBLE, x, y, cx, cy, parent, 0, nullptr);
  };
  HWND w1 = make(WS_POPUP, 0, 40, 30, 200, 150, nullptr);
  HWND w2 = make(WS_POPUP, WS_EX_NOACTIVATE, 300, 100, 160, 120, nullptr);  // one window takes focus
  HWND holder = make(WS_CHILD, 0, 20, 10, 100, 80, w2);
  HWND video = make(WS_CHILD, WS_EX_FOREIGNVIDEO, 80, 50, 30, 30, w1);
  ASSERT_TRUE(w1 && w2 && holder && video);
  Window x1 = Window(GetNativeWindowId(w1)), x2 = Window(GetNativeWindowId(w2));
  Window vx = Window(GetNativeWindowId(video));
  ASSERT_NE(vx, 0u);

  auto childOf = [&](Window parent) {
    Window root, p, *kids = nullptr;
    unsigned n = 0;
    bool found = false;
    if (XQueryTree(d, parent, &root, &p, &kids, &n))
      for (unsigned i = 0; i < n; ++i) found = found || kids[i] == vx;
    if (kids) XFree(kids);
    return found;
  };
  auto at = [&](int wantX, int wantY) {
    XWindowAttributes a;
    return XGetWindowAttributes(d, vx, &a) && a.x == wantX && a.y == wantY && a.width == 30 && a.height == 30 &&
           a.map_state == IsViewable;
  };
  ASSERT_TRUE(PumpUntil([&] { return childOf(x1) && at(80, 50); }));

  SetParent(video, holder);
  EXPECT_EQ(Window(GetNativeWindowId(video)), vx);
  EXPECT_TRUE(PumpUntil([&] { return childOf(x2) && at(20 + 80, 10 + 50); }));

  // w2 turns into a child of w1: its X window goes, the video's X child moves out first.
  SetParent(w2, w1);
  MoveWindow(w2, 5, 5, 160, 120, TRUE);
  EXPECT_TRUE(PumpUntil([&] { return childOf(x1) && at(5 + 20 + 80, 5 + 10 + 50); }));

}

// With a compositor (started here), a layered window shows the premultiplied
// pixels it was given, also when it became layered after creation (its X
// window is made again with an ARGB visual). Skips without xcompmgr.
TEST_F(X11, LayeredWindowKeepsPerPixelAlpha) {
  if (!StartServer()) GTEST_SKIP() << "Xvfb is not available";
  Child comp;
  if (!comp.Start("/usr/bin/xcompmgr", {"-d", xvfb.Display()})) GTEST_SKIP() << "xcompmgr is not available";
  ASSERT_TRUE(StartWindowSystem(u"X11Layered"));
  ASSERT_TRUE(PumpUntil([] { return IsLayeringSupported(); }));
  // A 20x10 image: left half half-transparent red (premultiplied), right half clear.
  gdi::BITMAPINFO bi{};
  bi.bmiHeader.biWidth = 20;
  bi.bmiHeader.biHeight = -10;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC mem = gdi::CreateCompatibleDC(nullptr);
  gdi::HBITMAP bmp = gdi::CreateDIBSection(mem, &bi, gdi::DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(bits, nullptr);
  auto* px = static_cast<std::uint32_t*>(bits);
  for (int i = 0; i < 200; ++i) px[i] = (i % 20) < 10 ? 0x80800000u : 0u;
  gdi::SelectObject(mem, reinterpret_cast<gdi::HGDIOBJ>(bmp));
  for (bool later : {false, true}) {
    HWND w = CreateWindowExW((later ? 0 : WS_EX_LAYERED) | WS_EX_TOOLWINDOW, u"X11Layered", u"", WS_POPUP, 10, 10, 20,
                             10, nullptr, 0, nullptr);
    ASSERT_NE(w, nullptr);
    Window before = Window(GetNativeWindowId(w));
    if (later) {
      SetWindowRgn(w, gdi::CreateRectRgn(0, 0, 18, 10), FALSE);
      SetWindowLongW(w, GWL_EXSTYLE, GetWindowLongW(w, GWL_EXSTYLE) | WS_EX_LAYERED);
      EXPECT_NE(Window(GetNativeWindowId(w)), before);
    }
    POINT pos{10, 10}, src{0, 0};
    SIZE size{20, 10};
    gdi::BLENDFUNCTION bf;
    bf.AlphaFormat = gdi::AC_SRC_ALPHA;
    ASSERT_TRUE(UpdateLayeredWindow(w, nullptr, &pos, &size, mem, &src, 0, &bf, ULW_ALPHA));
    ShowWindow(w, SW_SHOWNA);
    Window xw = Window(GetNativeWindowId(w));
    bool ok = PumpUntil([&] {
      XImage* img = XGetImage(d, xw, 0, 0, 20, 10, AllPlanes, ZPixmap);
      if (!img) return false;
      bool eq = img->depth == 32 && XGetPixel(img, 2, 2) == 0x80800000ul && XGetPixel(img, 15, 2) == 0ul;
      XDestroyImage(img);
      return eq;
    });
    EXPECT_TRUE(ok) << (later ? "made layered after creation" : "layered from the start");
    if (later) {
      // The window region moved over to the new X window; the old one is gone.
      int count = 0, ordering = 0;
      XRectangle* rects = XShapeGetRectangles(d, xw, ShapeBounding, &count, &ordering);
      ASSERT_EQ(count, 1);
      EXPECT_EQ(rects[0].width, 18);
      XFree(rects);
      XWindowAttributes a;
      XSync(d, False);
      EXPECT_FALSE(XGetWindowAttributes(d, before, &a));
    }
    DestroyWindow(w);
  }
  gdi::DeleteDC(mem);
  gdi::DeleteObject(reinterpret_cast<gdi::HGDIOBJ>(bmp));
}

// Two managed windows shown and activated at once settle with the second one
// active (the display's focus notices are not answered with new requests), and
// the display focusing the disabled owner of a modal dialog gives the focus
// back to the dialog.
// The key and focus cases run without a window manager and under openbox.
class X11Managed : public X11, public ::testing::WithParamInterface<bool> {
 protected:
  // The server, and openbox on it when the case asks for one.
  bool StartServer(std::string& why) {
    if (!X11::StartServer()) return why = "Xvfb is not available", false;
    if (GetParam() && !wm_.Start(xvfb.Display())) return why = "openbox is not available", false;
    return true;
  }
  testsupport::WindowManager wm_;
};

INSTANTIATE_TEST_SUITE_P(WindowManager, X11Managed, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "openbox" : "none"; });

TEST_P(X11Managed, ActivationSettlesAndModalDialogKeepsFocus) {
  std::string why;
  if (!StartServer(why)) GTEST_SKIP() << why;
  ASSERT_TRUE(StartWindowSystem(u"X11Focus"));
  std::map<HWND, int> activations;
  int appDeactivations = 0;
  gHook = [&](HWND h, UINT m, WPARAM w, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_ACTIVATE && LOWORD(w) != WA_INACTIVE) ++activations[h];
    if (m == WM_ACTIVATEAPP && !w) ++appDeactivations;
    return std::nullopt;
  };
  auto form = [](int x, HWND owner) {
    return CreateWindowExW(0, u"X11Focus", u"", WS_POPUP | WS_CAPTION, x, 20, 150, 100, owner, 0, nullptr);
  };
  HWND a = form(10, nullptr), b = form(200, nullptr);
  ASSERT_TRUE(a && b);
  auto xFocus = [&] {
    Window f = 0;
    int revert = 0;
    XGetInputFocus(d, &f, &revert);
    return f;
  };
  auto xOf = [](HWND h) { return Window(GetNativeWindowId(h)); };
  ShowWindow(a, SW_SHOW);
  ShowWindow(b, SW_SHOW);
  ASSERT_TRUE(PumpUntil([&] { return xFocus() == xOf(b) && GetActiveWindow() == b; }));
  // Quiet from here on: no more activations once both sides agree.
  int before = activations[a] + activations[b];
  PumpUntil([] { return false; }, 500);  // a while longer
  EXPECT_EQ(activations[a] + activations[b], before);
  EXPECT_LE(before, 4);
  EXPECT_EQ(GetActiveWindow(), b);
  EXPECT_EQ(xFocus(), xOf(b));
  // The display moving the focus from one of our windows to the other keeps
  // the application active.
  appDeactivations = 0;
  XSetInputFocus(d, xOf(a), RevertToParent, CurrentTime);
  XFlush(d);
  EXPECT_TRUE(PumpUntil([&] { return GetActiveWindow() == a; }));
  EXPECT_EQ(appDeactivations, 0);
  EXPECT_EQ(xFocus(), xOf(a));

  // A modal dialog over `a`: `a` is disabled, the dialog owns the focus.
  HWND dlg = form(60, a);
  ASSERT_NE(dlg, nullptr);
  EnableWindow(a, FALSE);
  ShowWindow(dlg, SW_SHOW);
  ASSERT_TRUE(PumpUntil([&] { return xFocus() == xOf(dlg) && GetActiveWindow() == dlg; }));
  activations.clear();
  // Something else (a click, a window manager) focuses the disabled owner.
  XSetInputFocus(d, xOf(a), RevertToParent, CurrentTime);
  XFlush(d);
  EXPECT_TRUE(PumpUntil([&] { return xFocus() == xOf(dlg); }));
  PumpUntil([] { return false; }, 500);  // a while longer
  EXPECT_EQ(GetActiveWindow(), dlg);
  EXPECT_EQ(xFocus(), xOf(dlg));
  EXPECT_EQ(activations[a], 0);
  EXPECT_LE(activations[dlg], 1);

}

// Popups, hints and layer windows owned by the application's hidden window
// are unmanaged (no task-bar entry); a form it owns is an ordinary managed
// window (not transient for a window nobody sees), and the form's dialog is
// transient for the form. The form's icon reaches the window manager.
TEST_F(X11, HiddenOwnerKeepsPopupsOffTheTaskBar) {
  if (!StartServer()) GTEST_SKIP() << "Xvfb is not available";
  ASSERT_TRUE(StartWindowSystem(u"X11Owner", DefWindowProcW));
  auto make = [](DWORD style, DWORD ex, HWND owner) {
    return CreateWindowExW(ex, u"X11Owner", u"", style, 20, 20, 60, 40, owner, 0, nullptr);
  };
  HWND app = make(WS_POPUP, 0, nullptr);  // never shown
  HWND form = make(WS_POPUP | WS_CAPTION, 0, app);
  ShowWindow(form, SW_SHOW);
  HWND dialog = make(WS_POPUP | WS_CAPTION, 0, form);
  ShowWindow(dialog, SW_SHOW);
  struct Popup {
    const char* what;
    DWORD style, ex;
  } popups[] = {{"hint", WS_POPUP | WS_BORDER, WS_EX_TOPMOST},
                {"layer", WS_POPUP, WS_EX_LAYERED | WS_EX_TRANSPARENT},
                {"drop-down", WS_POPUP | WS_BORDER, WS_EX_TOOLWINDOW},
                {"menu", WS_POPUP, WS_EX_TOPMOST | WS_EX_NOACTIVATE}};
  std::vector<HWND> shown;
  for (auto& p : popups) {
    shown.push_back(make(p.style, p.ex, app));
    ShowWindow(shown.back(), SW_SHOWNOACTIVATE);
  }
  // An icon for the form: 2x1, opaque blue and half-transparent red.
  gdi::HBITMAP colour = gdi::CreateBitmapFromSurface(std::make_unique<gdi::Surface>(2, 1, 32));
  gdi::GetBitmapSurface(colour)->Row32(0)[0] = 0xFF0000FFu;
  gdi::GetBitmapSurface(colour)->Row32(0)[1] = 0x80FF0000u;
  ICONINFO ii;
  ii.hbmColor = colour;
  ii.hbmMask = gdi::CreateBitmap(2, 1, 1, 1, nullptr);
  HICON icon = CreateIconIndirect(&ii);
  ASSERT_NE(icon, nullptr);
  SendMessageW(form, WM_SETICON, ICON_BIG, LPARAM(icon));
  PumpUntil([] { return false; }, 300);

  auto xOf = [](HWND h) { return Window(GetNativeWindowId(h)); };
  XWindowAttributes a;
  for (std::size_t i = 0; i < shown.size(); ++i) {
    ASSERT_TRUE(XGetWindowAttributes(d, xOf(shown[i]), &a));
    EXPECT_TRUE(a.override_redirect) << popups[i].what;
    EXPECT_EQ(a.map_state, IsViewable) << popups[i].what;
  }
  ASSERT_TRUE(XGetWindowAttributes(d, xOf(app), &a));
  EXPECT_EQ(a.map_state, IsUnmapped);
  Window transientFor = 0;
  ASSERT_TRUE(XGetWindowAttributes(d, xOf(form), &a));
  EXPECT_FALSE(a.override_redirect);
  EXPECT_FALSE(XGetTransientForHint(d, xOf(form), &transientFor));
  EXPECT_TRUE(HasAtom(xOf(form), "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_NORMAL"));
  ASSERT_TRUE(XGetWindowAttributes(d, xOf(dialog), &a));
  EXPECT_FALSE(a.override_redirect);
  ASSERT_TRUE(XGetTransientForHint(d, xOf(dialog), &transientFor));
  EXPECT_EQ(transientFor, xOf(form));
  EXPECT_TRUE(HasAtom(xOf(dialog), "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_DIALOG"));
  // The dialog has no task-bar entry of its own; the form has one.
  EXPECT_TRUE(HasAtom(xOf(dialog), "_NET_WM_STATE", "_NET_WM_STATE_SKIP_TASKBAR"));
  EXPECT_FALSE(HasAtom(xOf(form), "_NET_WM_STATE", "_NET_WM_STATE_SKIP_TASKBAR"));
  // Showing the popups took the activation from nobody.
  EXPECT_EQ(GetActiveWindow(), dialog);

  // _NET_WM_ICON: width, height, then ARGB pixels.
  std::vector<long> items;
  for (long v : Property(xOf(form), "_NET_WM_ICON")) items.push_back(v & 0xFFFFFFFFl);
  EXPECT_EQ(items, (std::vector<long>{2, 1, 0xFF0000FFl, 0x80FF0000l}));

  DestroyIcon(icon);
  gdi::DeleteObject(reinterpret_cast<gdi::HGDIOBJ>(colour));
  gdi::DeleteObject(reinterpret_cast<gdi::HGDIOBJ>(ii.hbmMask));
}

// A window of the test class that takes keys, shown and focused on the
// display: every key message and typed character is recorded.
struct KeyWindow {
  HWND h = nullptr;
  std::vector<int> downs;
  int ups = 0;
  std::u16string typed;
  bool Open(Display* d) {  // the window system runs with the class X11Keys
    gHook = [this](HWND, UINT m, WPARAM w, LPARAM) -> std::optional<LRESULT> {
      if (m == WM_KEYDOWN) downs.push_back(int(w));
      if (m == WM_KEYUP) ++ups;
      if (m == WM_CHAR) typed += char16_t(w);
      return std::nullopt;
    };
    h = CreateWindowExW(0, u"X11Keys", u"", WS_POPUP | WS_CAPTION | WS_VISIBLE, 20, 20, 200, 100, nullptr, 0, nullptr);
    SetFocus(h);
    return h && PumpUntil([&] {
             Window f = 0;
             int revert = 0;
             XGetInputFocus(d, &f, &revert);
             return f == Window(GetNativeWindowId(h));
           });
  }
  // Presses and releases a key; true once its release arrived.
  bool Press(Display* d, KeyCode code) {
    int before = ups;
    XTestFakeKeyEvent(d, code, True, 0);
    XTestFakeKeyEvent(d, code, False, 0);
    XFlush(d);
    return PumpUntil([&] { return ups > before; });
  }
};

// With Num Lock on the keypad types digits as VK_NUMPAD0..9 and VK_DECIMAL;
// with it off the same keys are navigation keys that type nothing. The
// operators are the same either way.
TEST_P(X11Managed, KeypadFollowsNumLock) {
  std::string why;
  if (!StartServer(why)) GTEST_SKIP() << why;
  ASSERT_TRUE(StartWindowSystem(u"X11Keys"));
  KeyWindow kw;
  ASSERT_TRUE(kw.Open(d));
  unsigned numLock = XkbKeysymToModifiers(d, XK_Num_Lock);
  ASSERT_NE(numLock, 0u);
  struct Case {
    bool numLock;
    KeySym key;  // names the physical key by its symbol without Num Lock
    int vk;
    std::u16string text;
  } cases[] = {
      {true, XK_KP_Home, VK_NUMPAD0 + 7, u"7"},  {true, XK_KP_Insert, VK_NUMPAD0, u"0"},
      {true, XK_KP_Delete, VK_DECIMAL, u"."},    {true, XK_KP_Multiply, VK_MULTIPLY, u"*"},
      {true, XK_KP_Divide, VK_DIVIDE, u"/"},     {true, XK_KP_Add, VK_ADD, u"+"},
      {true, XK_KP_Subtract, VK_SUBTRACT, u"-"}, {false, XK_KP_Home, VK_HOME, u""},
      {false, XK_KP_Down, VK_DOWN, u""},         {false, XK_KP_Delete, VK_DELETE, u""},
      {false, XK_KP_Begin, VK_CLEAR, u""},       {false, XK_KP_Multiply, VK_MULTIPLY, u"*"},
  };
  for (const Case& c : cases) {
    XkbLockModifiers(d, XkbUseCoreKbd, numLock, c.numLock ? numLock : 0);
    XSync(d, False);
    kw.downs.clear();
    kw.typed.clear();
    KeyCode code = XKeysymToKeycode(d, c.key);
    ASSERT_NE(code, 0);
    ASSERT_TRUE(kw.Press(d, code)) << XKeysymToString(c.key);
    EXPECT_EQ(kw.downs, std::vector<int>{c.vk}) << XKeysymToString(c.key) << " num lock " << c.numLock;
    EXPECT_EQ(kw.typed, c.text) << XKeysymToString(c.key) << " num lock " << c.numLock;
  }
}

// Text from an input method (a test XIM server): a commit of 30 Chinese
// characters, longer than any fixed lookup buffer, arrives whole and in order
// as WM_CHARs, also when the program starts in the plain C locale. The server
// is asked for the over-the-spot style, the spot following the caret, or for
// the root style when it offers nothing else (parameter true).
class X11InputMethod : public X11, public ::testing::WithParamInterface<bool> {
 protected:
  // Starts the display with the environment of a user of the test input
  // method in the plain C locale.
  bool StartServerForIm() {
    if (!StartServer()) return false;
    setenv("XMODIFIERS", "@im=tvltest", 1);
    setenv("LANG", "C", 1);
    unsetenv("LC_ALL");
    unsetenv("LC_CTYPE");
    key = XKeysymToKeycode(d, XK_F5);
    return true;
  }
  // Starts the test input method server (only the root style: rootOnly) and
  // waits until it runs.
  bool StartIm(bool rootOnly = false) {
#ifdef TVL_XIM_SERVER
    std::vector<std::string> args{xvfb.Display(), std::to_string(key), rtl::StringToUtf8(text)};
    if (rootOnly) args.push_back("root");
    XDeleteProperty(d, DefaultRootWindow(d), XInternAtom(d, "TVL_XIM_STYLE", False));
    return server.Start(TVL_XIM_SERVER, args) && PumpUntil([&] { return XGetSelectionOwner(d, ServerAtom()) != 0; });
#else
    return false;
#endif
  }
  void StopIm() {
    server.Stop();
    PumpUntil([&] { return XGetSelectionOwner(d, ServerAtom()) == 0; });
  }
  Atom ServerAtom() { return XInternAtom(d, "@server=tvltest", False); }
  std::vector<long> ImProperty(const char* name, int count) { return Property(DefaultRootWindow(d), name, count); }
  // Presses the key the server commits `text` for; what the window got.
  std::u16string Commit(KeyWindow& kw) {
    kw.typed.clear();
    XTestFakeKeyEvent(d, key, True, 0);
    XTestFakeKeyEvent(d, key, False, 0);
    XFlush(d);
    PumpUntil([&] { return kw.typed.size() >= text.size(); });
    return kw.typed;
  }
  void TearDown() override {
    X11::TearDown();
    unsetenv("XMODIFIERS");
  }

  const std::u16string text = u"视频转换器把所有格式的电影和音乐都转成手机可以播放的文件了吧";
  KeyCode key = 0;
  Child server;  // stops after the window system (TearDown)
};

TEST_P(X11InputMethod, CommitsLongTextAtTheCaret) {
#ifndef TVL_XIM_SERVER
  GTEST_SKIP() << "the test input method server was not built (libxcb-imdkit-dev)";
#else
  const bool rootOnly = GetParam();
  ASSERT_EQ(text.size(), 30u);
  if (!StartServerForIm()) GTEST_SKIP() << "Xvfb is not available";
  ASSERT_TRUE(StartIm(rootOnly));
  ASSERT_TRUE(StartWindowSystem(u"X11Keys"));

  KeyWindow kw;
  ASSERT_TRUE(kw.Open(d));
  ASSERT_TRUE(CreateCaret(kw.h, nullptr, 2, 16));
  SetCaretPos(37, 11);
  ShowCaret(kw.h);
  // The spot: the caret's bottom left in the X window's coordinates.
  auto spotOf = [&](int cx, int cy) {
    POINT p{cx, cy + 16};
    ClientToScreen(kw.h, &p);
    RECT r;
    GetWindowRect(kw.h, &r);
    return std::vector<long>{p.X - r.Left, p.Y - r.Top};
  };
  const long position = 0x0004 | 0x0400, root = 0x0008 | 0x0400;  // pre-edit | status styles
  // Over the spot needs a font set, so Unicode core fonts (xfonts-base); without
  // them the root style stands in.
  int fonts = 0;
  if (char** names = XListFonts(d, "-*-*-*-*-*-*-*-*-*-*-*-*-iso10646-1", 1, &fonts)) XFreeFontNames(names);
  const bool spot = !rootOnly && fonts > 0;
  EXPECT_TRUE(PumpUntil([&] { return ImProperty("TVL_XIM_STYLE", 1) == std::vector<long>{spot ? position : root}; }));
  if (spot) {
    EXPECT_TRUE(PumpUntil([&] { return ImProperty("TVL_XIM_SPOT", 2) == spotOf(37, 11); }));
    SetCaretPos(80, 11);
    EXPECT_TRUE(PumpUntil([&] { return ImProperty("TVL_XIM_SPOT", 2) == spotOf(80, 11); }));
  }
  EXPECT_EQ(rtl::StringToUtf8(Commit(kw)), rtl::StringToUtf8(text));
  // Keys the input method does not want still type as before (the release
  // comes straight from the server, the press back through the input method).
  kw.typed.clear();
  kw.Press(d, XKeysymToKeycode(d, XK_b));
  EXPECT_TRUE(PumpUntil([&] { return kw.typed == u"b"; }));

  // The input method server goes away: closing the window must not wait for it.
  StopIm();
  EXPECT_TRUE(DestroyWindow(kw.h));
#endif
}

// An input method server started after the program, or started again after
// it went away, is taken into use by the windows already open.
TEST_F(X11InputMethod, ServerStartedLaterIsUsed) {
#ifndef TVL_XIM_SERVER
  GTEST_SKIP() << "the test input method server was not built (libxcb-imdkit-dev)";
#else
  if (!StartServerForIm()) GTEST_SKIP() << "Xvfb is not available";
  ASSERT_TRUE(StartWindowSystem(u"X11Keys"));
  KeyWindow kw;
  ASSERT_TRUE(kw.Open(d));
  for (const char* when : {"started later", "started again"}) {
    SCOPED_TRACE(when);
    ASSERT_TRUE(StartIm());
    EXPECT_TRUE(PumpUntil([&] { return !ImProperty("TVL_XIM_STYLE", 1).empty(); }));
    EXPECT_EQ(rtl::StringToUtf8(Commit(kw)), rtl::StringToUtf8(text));
    StopIm();
    PumpUntil([] { return false; }, 200);  // the window system notices
  }
#endif
}

INSTANTIATE_TEST_SUITE_P(Styles, X11InputMethod, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "RootStyle" : "OverTheSpot"; });

// A cursor made by the program becomes an ARGB X cursor with its hot spot;
// the framework's split cursor is a different one.
TEST_F(X11, CustomCursorsAreShown) {
  if (!StartServer()) GTEST_SKIP() << "Xvfb is not available";
  ASSERT_TRUE(StartWindowSystem(u"X11Keys"));
  int ev = 0, err = 0;
  if (!XFixesQueryExtension(d, &ev, &err)) GTEST_SKIP() << "no XFIXES";
  KeyWindow kw;
  ASSERT_TRUE(kw.Open(d));
  XTestFakeMotionEvent(d, -1, 60, 60, 0);
  XFlush(d);
  PumpUntil([] { return false; }, 200);

  // 3x2: opaque red, half-transparent white, clear; second row opaque black.
  gdi::HBITMAP colour = gdi::CreateBitmapFromSurface(std::make_unique<gdi::Surface>(3, 2, 32));
  std::uint32_t px[6] = {0xFFFF0000u, 0x80FFFFFFu, 0u, 0xFF000000u, 0xFF000000u, 0xFF000000u};
  for (int i = 0; i < 6; ++i) gdi::GetBitmapSurface(colour)->Row32(i / 3)[i % 3] = px[i];
  ICONINFO ii;
  ii.fIcon = FALSE;
  ii.xHotspot = 1;
  ii.yHotspot = 1;
  ii.hbmColor = colour;
  ii.hbmMask = gdi::CreateBitmap(3, 2, 1, 1, nullptr);
  HCURSOR c = CreateIconIndirect(&ii);
  ASSERT_NE(c, nullptr);
  SetCursor(c);
  XFixesCursorImage* img = nullptr;
  EXPECT_TRUE(PumpUntil([&] {
    if (img) XFree(img);
    img = XFixesGetCursorImage(d);
    return img && img->width == 3 && img->height == 2;
  }));
  ASSERT_NE(img, nullptr);
  EXPECT_EQ(img->xhot, 1);
  EXPECT_EQ(img->yhot, 1);
  std::vector<unsigned long> got(img->pixels, img->pixels + 6), want{0xFFFF0000ul, 0x80808080ul, 0ul,
                                                                     0xFF000000ul, 0xFF000000ul, 0xFF000000ul};
  for (auto& p : got) p &= 0xFFFFFFFFul;
  EXPECT_EQ(got, want);  // premultiplied
  XFree(img);
  img = nullptr;
  SetCursor(LoadCursorW(nullptr, IDC_HSPLIT));
  EXPECT_TRUE(PumpUntil([&] {
    if (img) XFree(img);
    img = XFixesGetCursorImage(d);
    return img && !(img->width == 3 && img->height == 2);
  }));
  if (img) XFree(img);
  DestroyCursor(c);
  gdi::DeleteObject(reinterpret_cast<gdi::HGDIOBJ>(colour));
  gdi::DeleteObject(reinterpret_cast<gdi::HGDIOBJ>(ii.hbmMask));
}

// A program of the window system whose X server goes away ends at once with
// status 1: no crash, no hang. It runs in a child so that its end is seen.
TEST_F(X11, AServerThatGoesAwayEndsTheProgramWithStatusOne) {
  if (!xvfb.Start()) GTEST_SKIP() << "Xvfb is not available";
  setenv("DISPLAY", xvfb.Display().c_str(), 1);
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t parent = getpid();
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(4);
    close(ready[0]);
    if (!StartWindowSystem(u"X11Lost")) _exit(3);
    CreateWindowExW(0, u"X11Lost", u"lost", WS_POPUP | WS_VISIBLE, 10, 10, 100, 80, nullptr, 0, nullptr);
    FlushWindows();
    [[maybe_unused]] const ssize_t n = write(ready[1], "r", 1);
    for (;;) PumpUntil([] { return false; }, 1000);
  }
  close(ready[1]);
  char c = 0;
  ASSERT_EQ(read(ready[0], &c, 1), 1) << "the child did not start its window system";
  close(ready[0]);
  xvfb.Stop();
  int status = 0;
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  pid_t got = 0;
  while ((got = waitpid(pid, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  if (got != pid) {
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    FAIL() << "the program went on without its server";
  }
  EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
  EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 1);
}

}  // namespace
