// The framework's shared services: its hidden utility window (utility timers
// and deferred frees), cursor handles and text drawing for plain looks.
#include <map>

#include "platform/forms/FormsInternal.h"
#include "platform/gdi/Gdi.h"

namespace forms {

using namespace win;

namespace detail {

std::function<void(TObject*)> gExceptionHook;
std::function<void(TControl*, const TMessage&)> gHintHook;
std::function<TCursor()> gScreenCursor;

namespace {

std::map<TCursor, HCURSOR>& CustomCursors() {
  static std::map<TCursor, HCURSOR> m;
  return m;
}

struct UtilState {
  HWND wnd = nullptr;
  std::map<std::uintptr_t, std::function<void()>> timers;
  std::uintptr_t nextTimer = 1;
  std::map<std::uintptr_t, std::pair<TComponent*, TLiveness>> frees;
  std::uintptr_t nextFree = 1;
};

UtilState& Util() {
  static UtilState s;
  return s;
}

LRESULT UtilProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  UtilState& u = Util();
  try {
    if (msg == WM_TIMER) {
      auto it = u.timers.find(w);
      if (it != u.timers.end()) {
        auto cb = it->second;  // the callback may stop or restart its own timer
        cb();
      }
      return 0;
    }
    if (msg == CM_DEFERFREE) {
      auto it = u.frees.find(w);
      if (it != u.frees.end()) {
        auto [c, live] = it->second;
        u.frees.erase(it);
        if (live.Alive()) c->Free();
      }
      return 0;
    }
    if (msg == WM_NCDESTROY) {
      u.wnd = nullptr;
      u.timers.clear();
    }
  } catch (...) {
    if (gExceptionHook) gExceptionHook(nullptr);
    else throw;
  }
  return DefWindowProcW(h, msg, w, l);
}

}  // namespace

HWND UtilWindow() {
  UtilState& u = Util();
  if (u.wnd && IsWindow(u.wnd)) return u.wnd;
  static bool registered = false;
  if (!registered) {
    WNDCLASSW wc;
    wc.lpfnWndProc = UtilProc;
    wc.lpszClassName = u"TFormsUtilWindow";
    RegisterClassW(&wc);
    registered = true;
  }
  u.wnd = CreateWindowExW(0, u"TFormsUtilWindow", u"", 0, 0, 0, 0, 0, HWND_MESSAGE, 0, nullptr);
  if (!u.wnd) {
    // The class went with an earlier window system: register it again.
    WNDCLASSW wc;
    wc.lpfnWndProc = UtilProc;
    wc.lpszClassName = u"TFormsUtilWindow";
    RegisterClassW(&wc);
    u.wnd = CreateWindowExW(0, u"TFormsUtilWindow", u"", 0, 0, 0, 0, 0, HWND_MESSAGE, 0, nullptr);
  }
  return u.wnd;
}

void DestroyUtilWindow() {
  UtilState& u = Util();
  if (u.wnd && IsWindow(u.wnd)) DestroyWindow(u.wnd);
  u.wnd = nullptr;
  u.timers.clear();
  u.frees.clear();
}

std::uintptr_t StartUtilTimer(std::uintptr_t id, unsigned ms, std::function<void()> callback) {
  UtilState& u = Util();
  HWND h = UtilWindow();
  if (!id) id = u.nextTimer++;
  u.timers[id] = std::move(callback);
  SetTimer(h, id, ms, nullptr);
  return id;
}

void StopUtilTimer(std::uintptr_t id) {
  UtilState& u = Util();
  if (!id) return;
  u.timers.erase(id);
  if (u.wnd && IsWindow(u.wnd)) KillTimer(u.wnd, id);
}

void DeferFree(TComponent* c, TLiveness live) {
  UtilState& u = Util();
  std::uintptr_t id = u.nextFree++;
  u.frees[id] = {c, live};
  PostMessageW(UtilWindow(), CM_DEFERFREE, id, 0);
}

HCURSOR CursorHandle(TCursor c) {
  auto& m = CustomCursors();
  if (auto it = m.find(c); it != m.end()) return it->second;
  std::uintptr_t id = IDC_ARROW;
  switch (c) {
    case crNone: return nullptr;
    case crCross: id = IDC_CROSS; break;
    case crIBeam: id = IDC_IBEAM; break;
    case crSizeNESW: id = IDC_SIZENESW; break;
    case crSizeNS: id = IDC_SIZENS; break;
    case crSizeNWSE: id = IDC_SIZENWSE; break;
    case crSizeWE: id = IDC_SIZEWE; break;
    case crUpArrow: id = IDC_UPARROW; break;
    case crHourGlass: case crSQLWait: id = IDC_WAIT; break;
    case crDrag: id = IDC_DRAG; break;
    case crNoDrop: id = IDC_NODROP; break;
    case crHSplit: id = IDC_HSPLIT; break;
    case crVSplit: id = IDC_VSPLIT; break;
    case crMultiDrag: id = IDC_MULTIDRAG; break;
    case crNo: id = IDC_NO; break;
    case crAppStart: id = IDC_APPSTARTING; break;
    case crHelp: id = IDC_HELP; break;
    case crHandPoint: id = IDC_HAND; break;
    case crSizeAll: id = IDC_SIZEALL; break;
    default: break;
  }
  return LoadCursorW(nullptr, id);
}

int DrawTextIn(HDC dc, gdi::TFont* font, TColor color, const String& text, RECT& r, UINT flags) {
  gdi::HGDIOBJ old = gdi::SelectObject(dc, font->Handle());
  int oldMode = gdi::SetBkMode(dc, gdi::TRANSPARENT);
  gdi::COLORREF oldColor = gdi::SetTextColor(dc, gdi::ColorToRGB(color));
  int h = gdi::DrawTextW(dc, text.c_str(), int(text.size()), &r, flags);
  gdi::SetTextColor(dc, oldColor);
  gdi::SetBkMode(dc, oldMode);
  gdi::SelectObject(dc, old);
  return h;
}

void SetCursorHandle(TCursor c, HCURSOR h) {
  if (h) CustomCursors()[c] = h;
  else CustomCursors().erase(c);
}

}  // namespace detail

}  // namespace forms
