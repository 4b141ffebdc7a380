#include "tests/platform/win/WinTestUtil.h"

#include <algorithm>

namespace wintest {

Recorder* gRec = nullptr;
Hook gHook;

std::string MsgName(UINT m) {
  static const std::map<UINT, std::string> names = {
      {WM_CREATE, "WM_CREATE"}, {WM_DESTROY, "WM_DESTROY"}, {WM_MOVE, "WM_MOVE"}, {WM_SIZE, "WM_SIZE"},
      {WM_ACTIVATE, "WM_ACTIVATE"}, {WM_SETFOCUS, "WM_SETFOCUS"}, {WM_KILLFOCUS, "WM_KILLFOCUS"},
      {WM_ENABLE, "WM_ENABLE"}, {WM_SETTEXT, "WM_SETTEXT"}, {WM_PAINT, "WM_PAINT"}, {WM_CLOSE, "WM_CLOSE"},
      {WM_ERASEBKGND, "WM_ERASEBKGND"}, {WM_SHOWWINDOW, "WM_SHOWWINDOW"}, {WM_ACTIVATEAPP, "WM_ACTIVATEAPP"},
      {WM_CANCELMODE, "WM_CANCELMODE"}, {WM_SETCURSOR, "WM_SETCURSOR"}, {WM_MOUSEACTIVATE, "WM_MOUSEACTIVATE"},
      {WM_GETMINMAXINFO, "WM_GETMINMAXINFO"}, {WM_WINDOWPOSCHANGING, "WM_WINDOWPOSCHANGING"},
      {WM_WINDOWPOSCHANGED, "WM_WINDOWPOSCHANGED"}, {WM_NCCREATE, "WM_NCCREATE"}, {WM_NCDESTROY, "WM_NCDESTROY"},
      {WM_NCCALCSIZE, "WM_NCCALCSIZE"}, {WM_NCHITTEST, "WM_NCHITTEST"}, {WM_NCPAINT, "WM_NCPAINT"},
      {WM_NCACTIVATE, "WM_NCACTIVATE"}, {WM_NCMOUSEMOVE, "WM_NCMOUSEMOVE"},
      {WM_NCLBUTTONDOWN, "WM_NCLBUTTONDOWN"}, {WM_NCLBUTTONUP, "WM_NCLBUTTONUP"},
      {WM_NCLBUTTONDBLCLK, "WM_NCLBUTTONDBLCLK"}, {WM_NCRBUTTONDOWN, "WM_NCRBUTTONDOWN"},
      {WM_NCRBUTTONUP, "WM_NCRBUTTONUP"}, {WM_KEYDOWN, "WM_KEYDOWN"}, {WM_KEYUP, "WM_KEYUP"},
      {WM_CHAR, "WM_CHAR"}, {WM_SYSKEYDOWN, "WM_SYSKEYDOWN"}, {WM_SYSKEYUP, "WM_SYSKEYUP"},
      {WM_SYSCHAR, "WM_SYSCHAR"}, {WM_SYSCOMMAND, "WM_SYSCOMMAND"}, {WM_TIMER, "WM_TIMER"},
      {WM_MOUSEMOVE, "WM_MOUSEMOVE"}, {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"}, {WM_LBUTTONUP, "WM_LBUTTONUP"},
      {WM_LBUTTONDBLCLK, "WM_LBUTTONDBLCLK"}, {WM_RBUTTONDOWN, "WM_RBUTTONDOWN"}, {WM_RBUTTONUP, "WM_RBUTTONUP"},
      {WM_MOUSEWHEEL, "WM_MOUSEWHEEL"}, {WM_PARENTNOTIFY, "WM_PARENTNOTIFY"}, {WM_SIZING, "WM_SIZING"},
      {WM_CAPTURECHANGED, "WM_CAPTURECHANGED"}, {WM_MOVING, "WM_MOVING"}, {WM_ENTERSIZEMOVE, "WM_ENTERSIZEMOVE"},
      {WM_EXITSIZEMOVE, "WM_EXITSIZEMOVE"}, {WM_MOUSELEAVE, "WM_MOUSELEAVE"}, {WM_NCMOUSELEAVE, "WM_NCMOUSELEAVE"},
      {WM_CONTEXTMENU, "WM_CONTEXTMENU"}, {WM_USER, "WM_USER"}};
  auto it = names.find(m);
  if (it != names.end()) return it->second;
  if (m > WM_USER && m < WM_USER + 0x100) return "WM_USER+" + std::to_string(m - WM_USER);
  return "0x" + std::to_string(m);
}

LRESULT RecProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (gRec) {
    if (m == WM_NCCREATE) {
      auto* cs = reinterpret_cast<CREATESTRUCTW*>(l);
      gRec->names[h] = rtl::StringToUtf8(cs->lpszName ? cs->lpszName : u"");
    }
    if (gRec->on && std::find(gRec->quiet.begin(), gRec->quiet.end(), m) == gRec->quiet.end())
      gRec->log.push_back(gRec->Name(h) + ":" + MsgName(m));
  }
  if (gHook) {
    if (auto r = gHook(h, m, w, l)) return *r;
  }
  return DefWindowProcW(h, m, w, l);
}

void WinTest::SetUp() {
  InitWindowSystem(BackendKind::Headless);
  headless::UseFakeClock(true);
  gRec = &rec;
  gHook = nullptr;
  WNDCLASSW wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = RecProc;
  wc.lpszClassName = u"Rec";
  RegisterClassW(&wc);
  wc.style = 0;
  wc.lpszClassName = u"RecNoDbl";
  RegisterClassW(&wc);
}

void WinTest::TearDown() {
  rec.on = false;
  gHook = nullptr;  // it may refer to the test's locals
  ShutdownWindowSystem();
  gRec = nullptr;
  UnregisterClassW(u"Rec");
  UnregisterClassW(u"RecNoDbl");
}

HWND WinTest::Make(const std::string& name, DWORD style, RECT r, HWND parent, DWORD exStyle, const char16_t* cls) {
  rtl::String n = rtl::Utf8ToString(name);
  return CreateWindowExW(exStyle, cls, n.c_str(), style, r.Left, r.Top, r.Width(), r.Height(), parent, 0, nullptr);
}

std::uint32_t WinTest::Pixel(HWND top, int x, int y) {
  const gdi::Surface* s = headless::BackBuffer(top);
  if (!s) return 0xFFFFFFFF;
  return s->GetPixel(x, y) & 0xFFFFFF;
}

std::optional<LRESULT> PaintWithUserColour(HWND h, UINT m, WPARAM, LPARAM) {
  if (m == WM_ERASEBKGND) return 1;
  if (m != WM_PAINT) return std::nullopt;
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h, &ps);
  HBRUSH b = gdi::CreateSolidBrush(gdi::COLORREF(GetWindowLongPtrW(h, GWL_USERDATA)));
  RECT r;
  GetClientRect(h, &r);
  gdi::FillRect(dc, &r, b);
  gdi::DeleteObject(reinterpret_cast<gdi::HGDIOBJ>(b));
  EndPaint(h, &ps);
  return 0;
}

}  // namespace wintest
