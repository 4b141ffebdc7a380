// Default message handling: texts, the non-client protocol (size, hit test,
// paint, activation, mouse), system commands with our own move and size
// loops, keyboard defaults, and the system's metrics, monitors and beep.
#include <algorithm>

#include "platform/gdi/Gdi.h"
#include "platform/win/WindowObject.h"

namespace win::detail {

namespace {

int BorderOf(const Window* w) {
  int b = 0;
  if (w->style & WS_THICKFRAME) b = GetSystemMetrics(SM_CXFRAME);
  else if ((w->style & WS_DLGFRAME) || (w->exStyle & WS_EX_DLGMODALFRAME)) b = GetSystemMetrics(SM_CXDLGFRAME);
  else if (w->style & WS_BORDER) b = GetSystemMetrics(SM_CXBORDER);
  if (w->exStyle & WS_EX_CLIENTEDGE) b += 2;
  return b;
}

int CaptionOf(const Window* w) {
  return (w->style & WS_CAPTION) == WS_CAPTION ? GetSystemMetrics(SM_CYCAPTION) : 0;
}

LRESULT DefHitTest(Window* w, POINT screen) {
  RECT wr = WindowRectOnScreen(w);
  if (!wr.Contains(screen)) return HTNOWHERE;
  POINT co = ClientOriginOnScreen(w);
  if (rtl::Bounds(co.X, co.Y, w->client.Width(), w->client.Height()).Contains(screen)) return HTCLIENT;
  int x = screen.X - wr.Left, y = screen.Y - wr.Top, W = wr.Width(), H = wr.Height();
  if ((w->style & WS_THICKFRAME) && !w->maximized) {
    int b = GetSystemMetrics(SM_CXFRAME), corner = GetSystemMetrics(SM_CYCAPTION);
    bool left = x < b, right = x >= W - b, top = y < b, bottom = y >= H - b;
    bool nearLeft = x < corner, nearRight = x >= W - corner, nearTop = y < corner, nearBottom = y >= H - corner;
    if (top || bottom || left || right) {
      if ((top && nearLeft) || (left && nearTop)) return HTTOPLEFT;
      if ((top && nearRight) || (right && nearTop)) return HTTOPRIGHT;
      if ((bottom && nearLeft) || (left && nearBottom)) return HTBOTTOMLEFT;
      if ((bottom && nearRight) || (right && nearBottom)) return HTBOTTOMRIGHT;
      if (left) return HTLEFT;
      if (right) return HTRIGHT;
      if (top) return HTTOP;
      return HTBOTTOM;
    }
  }
  int b = BorderOf(w);
  if (CaptionOf(w) && y >= b && y < b + CaptionOf(w)) return HTCAPTION;
  return HTBORDER;
}

void DefNcPaint(Window* w) {
  int b = BorderOf(w), cap = CaptionOf(w);
  if (!b && !cap) return;
  HDC dc = GetWindowDC(w->handle);
  if (!dc) return;
  RECT wr = rtl::Rect(0, 0, w->rect.Width(), w->rect.Height());
  gdi::ExcludeClipRect(dc, w->client.Left, w->client.Top, w->client.Right, w->client.Bottom);
  gdi::FillRect(dc, &wr, gdi::GetSysColorBrush(gdi::COLOR_BTNFACE));
  gdi::FrameRect(dc, &wr, gdi::GetSysColorBrush(gdi::COLOR_WINDOWFRAME));
  if (cap) {
    bool active = GetActiveWindow() == w->handle;
    RECT cr = rtl::Rect(b, b, wr.Right - b, b + cap);
    gdi::FillRect(dc, &cr, gdi::GetSysColorBrush(active ? gdi::COLOR_ACTIVECAPTION : gdi::COLOR_INACTIVECAPTION));
    gdi::SetBkMode(dc, gdi::TRANSPARENT);
    gdi::SetTextColor(dc, gdi::GetSysColor(active ? gdi::COLOR_CAPTIONTEXT : gdi::COLOR_INACTIVECAPTIONTEXT));
    RECT tr = rtl::Rect(cr.Left + 4, cr.Top, cr.Right - 4, cr.Bottom);
    gdi::DrawText(dc, w->text, &tr, gdi::DT_SINGLELINE | gdi::DT_VCENTER | gdi::DT_END_ELLIPSIS | gdi::DT_NOPREFIX);
  }
  ReleaseDC(w->handle, dc);
}

bool altAlone = false;

MINMAXINFO MinMaxOf(Window* w) {
  MINMAXINFO mmi;
  RECT work = TheBackend().WorkArea();
  mmi.ptMaxSize = {work.Width(), work.Height()};
  mmi.ptMaxPosition = {work.Left, work.Top};
  mmi.ptMinTrackSize = {GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
  mmi.ptMaxTrackSize = {GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
  CallProc(w, WM_GETMINMAXINFO, 0, LPARAM(reinterpret_cast<std::intptr_t>(&mmi)));
  return mmi;
}

}  // namespace

// The move and size loops are our own, driven by the pointer while we hold the
// capture (and a pointer grab on the display), so WM_MOVING/WM_SIZING reach
// the window whatever window manager runs, or none.
void StartMoveSizeLoop(Window* w, WPARAM command, POINT start) {
  HWND h = w->handle;
  bool sizing = (command & 0xFFF0) == SC_SIZE;
  WPARAM edge = command & 0x0F;
  if (sizing && (edge < WMSZ_LEFT || edge > WMSZ_BOTTOMRIGHT)) return;
  if (!sizing && !(w->style & WS_CHILD) && w->maximized) return;

  // Rectangles travel in screen coordinates for top-level windows and in the
  // parent's client coordinates for child windows.
  RECT orig = w->rect;
  MINMAXINFO mmi = sizing ? MinMaxOf(w) : MINMAXINFO{};
  if (!IsWindow(h)) return;
  SendMessageW(h, WM_ENTERSIZEMOVE, 0, 0);
  if (!IsWindow(h)) return;
  SetCapture(h);

  MSG m;
  bool cancel = false;
  for (;;) {
    if (GetCapture() != h) break;
    if (!GetMessageW(&m, nullptr, 0, 0)) {
      PostQuitMessage(int(m.wParam));
      break;
    }
    bool mine = m.hwnd == h || (m.hwnd && IsChild(h, m.hwnd));
    if (mine && m.message == WM_MOUSEMOVE) {
      int dx = m.pt.X - start.X, dy = m.pt.Y - start.Y;
      RECT r = orig;
      if (!sizing) {
        r = rtl::Rect(orig.Left + dx, orig.Top + dy, orig.Right + dx, orig.Bottom + dy);
        SendMessageW(h, WM_MOVING, 0, LPARAM(reinterpret_cast<std::intptr_t>(&r)));
      } else {
        if (edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT) r.Left += dx;
        if (edge == WMSZ_RIGHT || edge == WMSZ_TOPRIGHT || edge == WMSZ_BOTTOMRIGHT) r.Right += dx;
        if (edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT) r.Top += dy;
        if (edge == WMSZ_BOTTOM || edge == WMSZ_BOTTOMLEFT || edge == WMSZ_BOTTOMRIGHT) r.Bottom += dy;
        // Limits first, keeping the edge that is not dragged in place.
        int minW = mmi.ptMinTrackSize.X, maxW = std::max(minW, mmi.ptMaxTrackSize.X);
        int minH = mmi.ptMinTrackSize.Y, maxH = std::max(minH, mmi.ptMaxTrackSize.Y);
        int cw = std::clamp(r.Width(), minW, maxW), ch = std::clamp(r.Height(), minH, maxH);
        if (r.Left != orig.Left) r.Left = r.Right - cw; else r.Right = r.Left + cw;
        if (r.Top != orig.Top) r.Top = r.Bottom - ch; else r.Bottom = r.Top + ch;
        SendMessageW(h, WM_SIZING, edge, LPARAM(reinterpret_cast<std::intptr_t>(&r)));
      }
      if (!IsWindow(h)) return;
      SetWindowPos(h, nullptr, r.Left, r.Top, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
      if (!IsWindow(h)) return;
      UpdateWindow(h);
      continue;
    }
    if (mine && (m.message == WM_LBUTTONUP || m.message == WM_LBUTTONDOWN)) break;
    if (m.message == WM_KEYDOWN && (m.wParam == WPARAM(VK_ESCAPE) || m.wParam == WPARAM(VK_RETURN))) {
      cancel = m.wParam == WPARAM(VK_ESCAPE);
      break;
    }
    TranslateMessage(&m);
    DispatchMessageW(&m);
    if (!IsWindow(h)) return;
  }
  if (cancel && IsWindow(h))
    SetWindowPos(h, nullptr, orig.Left, orig.Top, orig.Width(), orig.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
  if (GetCapture() == h) ReleaseCapture();
  if (IsWindow(h)) SendMessageW(h, WM_EXITSIZEMOVE, 0, 0);
}

}  // namespace win::detail

namespace win {

using namespace detail;

LRESULT DefWindowProcW(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto keep = Find(h);  // handlers called from here may destroy the window
  Window* w = keep.get();
  if (!w) return 0;
  switch (msg) {
    case WM_NCCREATE: {
      auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
      if (cs && cs->lpszName) w->text = cs->lpszName;
      return TRUE;
    }
    case WM_NCCALCSIZE: {
      if (!wParam || !lParam) return 0;
      auto* p = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam);
      int b = BorderOf(w), cap = CaptionOf(w);
      int vs = (w->style & WS_VSCROLL) ? GetSystemMetrics(SM_CXVSCROLL) : 0;
      int hs = (w->style & WS_HSCROLL) ? GetSystemMetrics(SM_CYHSCROLL) : 0;
      RECT& r = p->rgrc[0];
      r = rtl::Rect(r.Left + b, r.Top + b + cap, std::max(r.Left + b, r.Right - b - vs),
                    std::max(r.Top + b + cap, r.Bottom - b - hs));
      return 0;
    }
    case WM_NCHITTEST: return DefHitTest(w, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    case WM_NCPAINT: DefNcPaint(w); return 0;
    case WM_NCACTIVATE:
      if (CaptionOf(w) || BorderOf(w)) RedrawWindow(h, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
      return TRUE;
    case WM_SETTEXT: {
      auto* t = reinterpret_cast<const char16_t*>(lParam);
      w->text = t ? t : u"";
      if (w->top && w->top->native) TheBackend().SetTitle(w->top->native, w->text);
      if (CaptionOf(w)) RedrawWindow(h, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
      return TRUE;
    }
    case WM_GETTEXT: {
      auto* buf = reinterpret_cast<char16_t*>(lParam);
      if (!buf || wParam == 0) return 0;
      std::size_t n = std::min<std::size_t>(w->text.size(), wParam - 1);
      std::copy_n(w->text.data(), n, buf);
      buf[n] = 0;
      return LRESULT(n);
    }
    case WM_GETTEXTLENGTH: return LRESULT(w->text.size());
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(h, &ps);
      EndPaint(h, &ps);
      return 0;
    }
    case WM_ERASEBKGND: {
      HBRUSH b = w->cls->wc.hbrBackground;
      auto v = reinterpret_cast<std::uintptr_t>(b);
      if (v > 0 && v <= 31) b = gdi::GetSysColorBrush(int(v - 1));  // (HBRUSH)(COLOR_x + 1)
      if (!b || !wParam) return 0;
      HDC dc = reinterpret_cast<HDC>(wParam);
      RECT r;
      gdi::GetClipBox(dc, &r);
      gdi::FillRect(dc, &r, b);
      return 1;
    }
    case WM_SETREDRAW:
      w->redrawOff = !wParam;
      return 0;
    case WM_CLOSE: DestroyWindow(h); return 0;
    case WM_SETCURSOR: {
      if ((w->style & WS_CHILD) && w->parent) {
        if (CallProc(w->parent, WM_SETCURSOR, wParam, lParam)) return TRUE;
      }
      LRESULT hit = std::int16_t(LOWORD(lParam));
      std::uintptr_t id = IDC_ARROW;
      switch (hit) {
        case HTCLIENT:
          if (w->cls->wc.hCursor) {
            SetCursor(w->cls->wc.hCursor);
            return TRUE;
          }
          break;
        case HTLEFT: case HTRIGHT: id = IDC_SIZEWE; break;
        case HTTOP: case HTBOTTOM: id = IDC_SIZENS; break;
        case HTTOPLEFT: case HTBOTTOMRIGHT: id = IDC_SIZENWSE; break;
        case HTTOPRIGHT: case HTBOTTOMLEFT: id = IDC_SIZENESW; break;
        case HTERROR: return FALSE;
        default: break;
      }
      SetCursor(LoadCursorW(nullptr, id));
      return TRUE;
    }
    case WM_MOUSEACTIVATE:
      if ((w->style & WS_CHILD) && w->parent) {
        LRESULT r = CallProc(w->parent, WM_MOUSEACTIVATE, wParam, lParam);
        if (r) return r;
      }
      return (w->exStyle & WS_EX_NOACTIVATE) ? MA_NOACTIVATE : MA_ACTIVATE;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && !w->minimized) SetFocus(h);
      return 0;
    case WM_WINDOWPOSCHANGED: {
      auto* wp = reinterpret_cast<WINDOWPOS*>(lParam);
      if (wp && (!(wp->flags & SWP_NOSIZE) || !(wp->flags & SWP_NOMOVE) || (wp->flags & SWP_FRAMECHANGED)))
        SendSizeMove(w);
      return 0;
    }
    case WM_CANCELMODE:
      if (GetCapture() == h) ReleaseCapture();
      return 0;
    case WM_NCLBUTTONDOWN: {
      LRESULT hit = LRESULT(wParam);
      if (hit == HTCAPTION) {
        SendMessageW(h, WM_SYSCOMMAND, SC_MOVE | HTCAPTION, lParam);
      } else if (hit >= HTLEFT && hit <= HTBOTTOMRIGHT) {
        SendMessageW(h, WM_SYSCOMMAND, SC_SIZE + WPARAM(hit - HTLEFT + 1), lParam);
      }
      return 0;
    }
    case WM_NCLBUTTONDBLCLK:
      if (LRESULT(wParam) == HTCAPTION && (w->style & WS_MAXIMIZEBOX))
        SendMessageW(h, WM_SYSCOMMAND, w->maximized ? SC_RESTORE : SC_MAXIMIZE, lParam);
      return 0;
    case WM_RBUTTONUP: {
      POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ClientToScreen(h, &p);
      SendMessageW(h, WM_CONTEXTMENU, WPARAM(reinterpret_cast<std::uintptr_t>(h)), MAKELPARAM(p.X, p.Y));
      return 0;
    }
    case WM_NCRBUTTONUP:
      SendMessageW(h, WM_CONTEXTMENU, WPARAM(reinterpret_cast<std::uintptr_t>(h)), lParam);
      return 0;
    case WM_CONTEXTMENU:
    case WM_MOUSEWHEEL:
      // Unhandled, they travel to the parent.
      if ((w->style & WS_CHILD) && w->parent) return SendMessageW(w->parent->handle, msg, wParam, lParam);
      return 0;
    case WM_SYSCOMMAND: {
      WPARAM cmd = wParam & 0xFFF0;
      switch (cmd) {
        case SC_MOVE: case SC_SIZE:
          StartMoveSizeLoop(w, wParam, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
          return 0;
        case SC_MINIMIZE: ShowWindow(h, SW_MINIMIZE); return 0;
        case SC_MAXIMIZE: ShowWindow(h, SW_MAXIMIZE); return 0;
        case SC_RESTORE: ShowWindow(h, SW_RESTORE); return 0;
        case SC_CLOSE:
          if (!(w->cls->wc.style & CS_NOCLOSE)) SendMessageW(h, WM_CLOSE, 0, 0);
          return 0;
        default: return 0;
      }
    }
    case WM_KEYDOWN:
      if (wParam == WPARAM(VK_F10)) altAlone = true;
      else altAlone = false;
      if (wParam == WPARAM(VK_APPS) || (wParam == WPARAM(VK_F10) && (GetKeyState(VK_SHIFT) & 0x8000)))
        SendMessageW(h, WM_CONTEXTMENU, WPARAM(reinterpret_cast<std::uintptr_t>(h)), MAKELPARAM(-1, -1));
      return 0;
    case WM_SYSKEYDOWN:
      altAlone = wParam == WPARAM(VK_MENU) || wParam == WPARAM(VK_F10);
      if (wParam == WPARAM(VK_F4) && (lParam & (LPARAM(1) << 29)))
        SendMessageW(GetAncestor(h, GA_ROOT), WM_SYSCOMMAND, SC_CLOSE, 0);
      else if (wParam == WPARAM(VK_F10) && (GetKeyState(VK_SHIFT) & 0x8000))
        SendMessageW(h, WM_CONTEXTMENU, WPARAM(reinterpret_cast<std::uintptr_t>(h)), MAKELPARAM(-1, -1));
      return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
      // Alt or F10 pressed and released alone opens the menu.
      if (altAlone && (wParam == WPARAM(VK_MENU) || wParam == WPARAM(VK_F10))) {
        altAlone = false;
        SendMessageW(GetAncestor(h, GA_ROOT), WM_SYSCOMMAND, SC_KEYMENU, 0);
      }
      return 0;
    case WM_SYSCHAR:
      altAlone = false;
      if (wParam != WPARAM(u'\r') && wParam != 27)
        SendMessageW(GetAncestor(h, GA_ROOT), WM_SYSCOMMAND, SC_KEYMENU, LPARAM(wParam));
      return 0;
    case WM_GETDLGCODE: return 0;
    case WM_SETICON: {
      HICON icon = reinterpret_cast<HICON>(lParam);
      HICON& slot = wParam == ICON_BIG ? w->iconBig : w->iconSmall;
      HICON old = slot;
      slot = icon;
      SendIconsToDisplay(w);
      return LRESULT(reinterpret_cast<std::intptr_t>(old));
    }
    case WM_GETICON: {
      HICON icon = wParam == ICON_BIG ? w->iconBig : w->iconSmall;
      if (wParam == ICON_SMALL2 && !icon) icon = w->iconBig;
      return LRESULT(reinterpret_cast<std::intptr_t>(icon));
    }
    default: return 0;
  }
}

int GetSystemMetrics(int index) {
  RECT s = TheBackend().ScreenRect();
  switch (index) {
    case SM_CXSCREEN: case SM_CXFULLSCREEN: case SM_CXVIRTUALSCREEN: case SM_CXMAXTRACK: return s.Width();
    case SM_CYSCREEN: case SM_CYFULLSCREEN: case SM_CYVIRTUALSCREEN: case SM_CYMAXTRACK: return s.Height();
    case SM_CXVSCROLL: case SM_CYHSCROLL: return 17;
    case SM_CYCAPTION: return 19;
    case SM_CXBORDER: case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME: case SM_CYDLGFRAME: return 3;
    case SM_CXFRAME: case SM_CYFRAME: return 4;
    case SM_CXICON: case SM_CYICON: case SM_CXCURSOR: case SM_CYCURSOR: return 32;
    case SM_CYMENU: return 19;
    case SM_CXMIN: return 112;
    case SM_CYMIN: return 27;
    case SM_CXMINTRACK: return 112;
    case SM_CYMINTRACK: return 27;
    case SM_CXSIZE: case SM_CYSIZE: return 18;
    case SM_CXDOUBLECLK: case SM_CYDOUBLECLK: return 4;
    case SM_CXSMICON: case SM_CYSMICON: return 16;
    case SM_CXDRAG: case SM_CYDRAG: return 4;
    case SM_CMONITORS: return 1;
    default: return 0;
  }
}

BOOL SystemParametersInfoW(UINT action, UINT, void* pv, UINT) {
  switch (action) {
    case SPI_GETWORKAREA:
      if (!pv) return FALSE;
      *static_cast<RECT*>(pv) = TheBackend().WorkArea();
      return TRUE;
    case SPI_GETDRAGFULLWINDOWS:
      if (!pv) return FALSE;
      *static_cast<BOOL*>(pv) = TRUE;  // our move loop always drags the window itself
      return TRUE;
    default: return FALSE;
  }
}

// One monitor: the whole screen, with the display's work area.
static HMONITOR const kPrimary = reinterpret_cast<HMONITOR>(1);

HMONITOR MonitorFromWindow(HWND, DWORD) { return kPrimary; }
HMONITOR MonitorFromPoint(POINT p, DWORD flags) {
  if (flags == MONITOR_DEFAULTTONULL && !TheBackend().ScreenRect().Contains(p)) return nullptr;
  return kPrimary;
}
HMONITOR MonitorFromRect(const RECT*, DWORD) { return kPrimary; }

BOOL GetMonitorInfoW(HMONITOR m, MONITORINFO* out) {
  if (m != kPrimary || !out) return FALSE;
  out->rcMonitor = TheBackend().ScreenRect();
  out->rcWork = TheBackend().WorkArea();
  out->dwFlags = MONITORINFOF_PRIMARY;
  return TRUE;
}

BOOL MessageBeep(UINT) {
  TheBackend().Beep();
  return TRUE;
}

HWND WindowFromPoint(POINT screen) {
  // Hidden and disabled windows never answer; a disabled child leaves the
  // point to its parent.
  for (auto& t : TopLevels()) {
    if (!t->IsVisibleSelf() || t->destroyed || t->messageOnly || t->minimized) continue;
    if ((t->exStyle & (WS_EX_LAYERED | WS_EX_TRANSPARENT)) == (WS_EX_LAYERED | WS_EX_TRANSPARENT)) continue;
    RECT r = WindowRectOnScreen(t.get());
    if (!r.Contains(screen)) continue;
    if (t->windowRgn && !t->windowRgn->Contains({screen.X - r.Left, screen.Y - r.Top})) continue;
    Window* w = t.get();
    for (;;) {
      POINT co = ClientOriginOnScreen(w);
      if (!rtl::Bounds(co.X, co.Y, w->client.Width(), w->client.Height()).Contains(screen)) break;
      Window* next = nullptr;
      for (auto& c : w->children) {
        if (!c->IsVisibleSelf() || c->destroyed) continue;
        RECT cr = WindowRectOnScreen(c.get());
        if (!cr.Contains(screen)) continue;
        if (c->windowRgn && !c->windowRgn->Contains({screen.X - cr.Left, screen.Y - cr.Top})) continue;
        next = c.get();
        break;
      }
      if (!next || (next->style & WS_DISABLED)) break;
      w = next;
    }
    return w->handle;
  }
  return nullptr;
}

}  // namespace win
