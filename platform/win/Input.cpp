// Input: routing of pointer and keyboard input, capture, mouse tracking,
// double clicks, focus and activation, cursor, caret, clipboard, and the
// entry points back ends feed raw input through.
#include <algorithm>
#include <atomic>
#include <cstdlib>

#include "platform/gdi/Gdi.h"
#include "platform/win/InputSink.h"
#include "platform/win/WindowObject.h"

namespace win::detail {

namespace {

struct InputState {
  HWND focus = nullptr, active = nullptr, capture = nullptr;
  bool appActive = false;
  // The top-level native window the display last said has the keyboard focus
  // (0: none of ours). Activating it needs no request to the display.
  NativeWindow displayFocus = 0;
  // Tracking for WM_MOUSELEAVE / WM_NCMOUSELEAVE.
  HWND tracked = nullptr;
  // Double clicks.
  HWND clickWnd = nullptr;
  int clickButton = -1;
  bool clickClient = false;
  DWORD clickTime = 0;
  POINT clickPt;
  bool clickValid = false;
  POINT cursor{0, 0};
  HCURSOR cursorHandle = nullptr;
  // Caret.
  HWND caretWnd = nullptr;
  int caretW = 0, caretH = 0;
  POINT caretPos;
  int caretHidden = 1;
  bool caretOn = false;
  std::uintptr_t caretTimer = 0;
  // Clipboard.
  bool clipOpen = false;
  HWND clipOwner = nullptr;
};

InputState& S() {
  static InputState s;
  return s;
}

std::atomic<BYTE> asyncKeys[256];

bool InSubtree(HWND h, Window* root) {
  if (!h) return false;
  return h == root->handle || IsChild(root->handle, h);
}

WPARAM MouseKeys() {
  WPARAM k = 0;
  if (asyncKeys[VK_LBUTTON] & 0x80) k |= MK_LBUTTON;
  if (asyncKeys[VK_RBUTTON] & 0x80) k |= MK_RBUTTON;
  if (asyncKeys[VK_MBUTTON] & 0x80) k |= MK_MBUTTON;
  if (asyncKeys[VK_SHIFT] & 0x80) k |= MK_SHIFT;
  if (asyncKeys[VK_CONTROL] & 0x80) k |= MK_CONTROL;
  return k;
}

// The deepest window under a screen point that takes the pointer, asking each
// candidate's WM_NCHITTEST; HTTRANSPARENT passes the point to what lies below.
Window* HitDescend(Window* w, POINT screen, LRESULT* hit) {
  RECT wr = WindowRectOnScreen(w);
  if (!wr.Contains(screen)) return nullptr;
  if (w->windowRgn && !w->windowRgn->Contains({screen.X - wr.Left, screen.Y - wr.Top})) return nullptr;
  if (!w->parent && w->minimized) return nullptr;
  // Children only inside the client area.
  POINT co = ClientOriginOnScreen(w);
  RECT cr = rtl::Bounds(co.X, co.Y, w->client.Width(), w->client.Height());
  if (cr.Contains(screen)) {
    auto kids = w->children;
    for (auto& c : kids) {
      if (!c->IsVisibleSelf() || c->destroyed) continue;
      RECT r = WindowRectOnScreen(c.get());
      if (!r.Contains(screen)) continue;
      if (c->windowRgn && !c->windowRgn->Contains({screen.X - r.Left, screen.Y - r.Top})) continue;
      if (c->style & WS_DISABLED) break;  // a disabled child leaves the pointer to its parent
      if (Window* found = HitDescend(c.get(), screen, hit)) return found;
      // HTTRANSPARENT: whatever lies below gets it
    }
  }
  LRESULT h = CallProc(w, WM_NCHITTEST, 0, MAKELPARAM(screen.X, screen.Y));
  if (w->destroyed) return nullptr;
  if (h == HTTRANSPARENT) return nullptr;
  *hit = h;
  return w;
}

Window* HitTestScreen(POINT screen, LRESULT* hit, DWORD thread) {
  *hit = HTNOWHERE;
  for (auto& t : TopLevels()) {
    if (!t->IsVisibleSelf() || t->destroyed || t->messageOnly) continue;
    if ((t->exStyle & (WS_EX_LAYERED | WS_EX_TRANSPARENT)) == (WS_EX_LAYERED | WS_EX_TRANSPARENT)) continue;
    if (thread && t->thread != thread) {
      if (WindowRectOnScreen(t.get()).Contains(screen)) return nullptr;  // another thread's window covers it
      continue;
    }
    LRESULT h = HTNOWHERE;
    if (Window* w = HitDescend(t.get(), screen, &h)) {
      *hit = h;
      return w;
    }
  }
  return nullptr;
}

void PostLeave(HWND h, bool nc) {
  PostMessageW(h, nc ? WM_NCMOUSELEAVE : WM_MOUSELEAVE, 0, 0);
}

void UpdateTracking(Window* target, LRESULT hit) {
  InputState& s = S();
  if (!s.tracked) return;
  Window* t = Get(s.tracked);
  if (!t) {
    s.tracked = nullptr;
    return;
  }
  bool inClient = hit == HTCLIENT;
  bool leaveClient = (t->trackFlags & TME_LEAVE) && !(t->trackFlags & TME_NONCLIENT) &&
                     (target != t || !inClient);
  bool leaveNc = (t->trackFlags & TME_LEAVE) && (t->trackFlags & TME_NONCLIENT) && (target != t || inClient);
  if (leaveClient || leaveNc) {
    t->trackFlags = 0;
    s.tracked = nullptr;
    PostLeave(t->handle, leaveNc);
  }
}

UINT ButtonMessage(int button, int kind /*0 down 1 up 2 dbl*/, bool client) {
  static const UINT clientMsgs[3][3] = {{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK},
                                         {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK},
                                         {WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK}};
  static const UINT ncMsgs[3][3] = {{WM_NCLBUTTONDOWN, WM_NCLBUTTONUP, WM_NCLBUTTONDBLCLK},
                                     {WM_NCRBUTTONDOWN, WM_NCRBUTTONUP, WM_NCRBUTTONDBLCLK},
                                     {WM_NCMBUTTONDOWN, WM_NCMBUTTONUP, WM_NCMBUTTONDBLCLK}};
  button = std::clamp(button, 0, 2);
  return client ? clientMsgs[button][kind] : ncMsgs[button][kind];
}

bool RouteMouse(InputEvent& ev, MSG& out) {
  InputState& s = S();
  s.cursor = ev.screen;
  Window* target = nullptr;
  LRESULT hit = HTCLIENT;
  bool captured = false;
  if (Window* c = Get(s.capture)) {
    target = c;
    captured = true;
  } else {
    s.capture = nullptr;
    target = HitTestScreen(ev.screen, &hit, CurrentThread());
  }
  if (captured) {
    // Leave notices follow the pointer, not the capture.
    HWND under = WindowFromPoint(ev.screen);
    Window* u = Get(under);
    LRESULT uh = HTNOWHERE;
    if (u) {
      POINT co = ClientOriginOnScreen(u);
      uh = rtl::Bounds(co.X, co.Y, u->client.Width(), u->client.Height()).Contains(ev.screen) ? HTCLIENT : HTBORDER;
    }
    UpdateTracking(u, uh);
  } else {
    UpdateTracking(target, hit);
  }
  if (!target) return false;
  HWND th = target->handle;
  auto keepTarget = FindAny(th);  // handlers below may destroy it

  UINT baseMsg = ev.kind == InputEvent::MouseMove ? (hit == HTCLIENT ? WM_MOUSEMOVE : WM_NCMOUSEMOVE)
                 : ev.kind == InputEvent::Wheel   ? WM_MOUSEWHEEL
                                                  : ButtonMessage(ev.button, ev.kind == InputEvent::ButtonUp, hit == HTCLIENT);

  Window* top = TopLevelOf(target);
  if (!captured && (top->style & WS_DISABLED)) {
    // A window disabled behind a modal one: only the cursor is asked for.
    CallProc(target, WM_SETCURSOR, WPARAM(reinterpret_cast<std::uintptr_t>(th)), MAKELPARAM(int(HTERROR), int(baseMsg)));
    if (ev.kind == InputEvent::ButtonDown) MessageBeep(0);
    return false;
  }
  if (!captured && ev.kind != InputEvent::Wheel) {
    CallProc(target, WM_SETCURSOR, WPARAM(reinterpret_cast<std::uintptr_t>(th)), MAKELPARAM(int(hit), int(baseMsg)));
    if (!IsWindow(th)) return false;
  }

  if (ev.kind == InputEvent::ButtonDown && !captured) {
    if (top->handle != s.active && !(top->exStyle & WS_EX_NOACTIVATE)) {
      LRESULT ma = CallProc(target, WM_MOUSEACTIVATE, WPARAM(reinterpret_cast<std::uintptr_t>(top->handle)),
                            MAKELPARAM(int(hit), int(baseMsg)));
      if (!IsWindow(th)) return false;
      if (ma == MA_ACTIVATE || ma == MA_ACTIVATEANDEAT || ma == 0) {
        ActivateInternal(top->handle, WA_CLICKACTIVE);
      }
      if (ma == MA_ACTIVATEANDEAT || ma == MA_NOACTIVATEANDEAT) return false;
      if (!IsWindow(th)) return false;
    }
    if (hit == HTCLIENT && (target->style & WS_CHILD) && !(target->exStyle & WS_EX_NOPARENTNOTIFY)) {
      for (auto p = FindAny(target->parent->handle); p && !p->destroyed;
           p = p->parent ? FindAny(p->parent->handle) : nullptr) {
        POINT pt = ev.screen;
        ScreenToClient(p->handle, &pt);
        CallProc(p.get(), WM_PARENTNOTIFY, baseMsg, MAKELPARAM(pt.X, pt.Y));
        if (p->destroyed || !(p->style & WS_CHILD) || (p->exStyle & WS_EX_NOPARENTNOTIFY)) break;
      }
      if (!IsWindow(th)) return false;
    }
  }

  UINT msg = baseMsg;
  if (ev.kind == InputEvent::ButtonDown) {
    bool client = hit == HTCLIENT;
    // Non-client double clicks come regardless of the class style, as in Windows.
    bool wants = !client || (target->cls->wc.style & CS_DBLCLKS);
    int dx = std::abs(ev.screen.X - s.clickPt.X), dy = std::abs(ev.screen.Y - s.clickPt.Y);
    if (wants && s.clickValid && s.clickWnd == th && s.clickButton == ev.button && s.clickClient == client &&
        ev.time - s.clickTime <= GetDoubleClickTime() && dx <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
        dy <= GetSystemMetrics(SM_CYDOUBLECLK) / 2) {
      msg = ButtonMessage(ev.button, 2, client);
      s.clickValid = false;  // a third press starts over
    } else {
      s.clickValid = true;
      s.clickWnd = th;
      s.clickButton = ev.button;
      s.clickClient = client;
      s.clickTime = ev.time;
      s.clickPt = ev.screen;
    }
  }

  out = MSG{th, msg, 0, 0, ev.time, ev.screen, 0};
  if (msg == WM_MOUSEWHEEL) {
    // The wheel goes to the focus window, as it did when the converter was written.
    HWND f = s.focus && IsWindow(s.focus) ? s.focus : s.active;
    if (!f) f = th;
    out.hwnd = f;
    out.wParam = MAKEWPARAM(int(ev.mods & 0xFFFF), ev.wheel);
    out.lParam = MAKELPARAM(ev.screen.X, ev.screen.Y);
  } else if (hit == HTCLIENT || captured) {
    POINT pt = ev.screen;
    ScreenToClient(th, &pt);
    out.wParam = ev.mods & 0xFFFF;
    out.lParam = MAKELPARAM(pt.X, pt.Y);
  } else {
    out.wParam = WPARAM(hit);
    out.lParam = MAKELPARAM(ev.screen.X, ev.screen.Y);
  }
  return true;
}

bool RouteKey(InputEvent& ev, MSG& out) {
  InputState& s = S();
  HWND target = s.focus && IsWindow(s.focus) ? s.focus : nullptr;
  bool sys = false;
  if (!target) {
    target = s.active && IsWindow(s.active) ? s.active : nullptr;
    sys = true;  // keys with no focus window arrive as system keys, as in Windows
  }
  if (!target) return false;
  bool alt = (ev.mods & kAltHeld) != 0;
  bool ctrl = (ev.mods & MK_CONTROL) != 0;
  if (ev.kind == InputEvent::Char) {
    out = MSG{target, (alt && !ctrl) ? WM_SYSCHAR : WM_CHAR, WPARAM(ev.text.empty() ? 0 : ev.text[0]), 1, ev.time,
              s.cursor, 0};
    return true;
  }
  bool down = ev.kind == InputEvent::KeyDown;
  if ((alt && !ctrl) || ev.vk == VK_F10 || ev.vk == VK_MENU) sys = true;
  UINT msg = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
  LPARAM l = 1;
  if (alt) l |= LPARAM(1) << 29;
  if (!down) l |= (LPARAM(1) << 30) | (LPARAM(1) << 31);
  out = MSG{target, msg, WPARAM(ev.vk), l, ev.time, s.cursor, 0};
  if (down && !ev.text.empty()) {
    ThreadQueue& q = CurrentQueue();
    DWORD id = q.nextKeyText++;
    if (q.nextKeyText == 0) q.nextKeyText = 1;
    if (q.keyText.size() > 256) q.keyText.erase(q.keyText.begin());  // never translated: forget
    q.keyText[id] = ev.text;
    out.lPrivate = id;
  }
  return true;
}

void Enqueue(InputEvent ev) {
  ev.time = DWORD(NowMs());
  ev.mods = std::uint32_t(MouseKeys()) | ((asyncKeys[VK_MENU] & 0x80) ? kAltHeld : 0);
  DWORD gui = GuiThread();
  auto q = gui ? QueueOf(gui) : CurrentQueuePtr();
  if (!q) return;
  {
    std::lock_guard lock(q->m);
    if (ev.kind == InputEvent::MouseMove && !q->input.empty() && q->input.back().kind == InputEvent::MouseMove &&
        !q->input.back().routed) {
      q->input.back() = ev;  // moves coalesce
    } else {
      q->input.push_back(std::move(ev));
    }
  }
  q->Wake();
}

void SetAsync(int vk, bool down) {
  BYTE v = asyncKeys[vk & 0xFF];
  asyncKeys[vk & 0xFF] = down ? BYTE(v | 0x80) : BYTE(v & ~0x80);
}

// Activation next in line when the active window goes away: its owner, else
// the topmost visible window that may be activated.
HWND NextToActivate(Window* leaving) {
  if (Window* o = Get(leaving->owner); o && IsReallyVisible(o) && !o->minimized && !(o->style & WS_DISABLED))
    return o->handle;
  for (auto& t : TopLevels()) {
    if (t.get() == leaving || t->destroyed || t->destroying || t->messageOnly || !t->IsVisibleSelf() || t->minimized)
      continue;
    if (IsUnmanagedPopup(t.get()) || (t->style & WS_DISABLED)) continue;
    if (t->thread != CurrentThread()) continue;
    return t->handle;
  }
  return nullptr;
}

void CaretDraw() {
  InputState& s = S();
  HDC dc = GetDC(s.caretWnd);
  if (!dc) return;
  gdi::PatBlt(dc, s.caretPos.X, s.caretPos.Y, s.caretW, s.caretH, gdi::DSTINVERT);
  ReleaseDC(s.caretWnd, dc);
  s.caretOn = !s.caretOn;
}

// Tells the back end where the caret is (top-level window coordinates), so an
// input method shows its pre-edit and candidates there.
void CaretToDisplay() {
  InputState& s = S();
  Window* w = Get(s.caretWnd);
  if (!w) return;
  Window* top = TopLevelOf(w);
  if (!top->top || !top->top->native) return;
  POINT o = ClientOriginInTop(w);
  TheBackend().SetTextCursor(top->top->native,
                             rtl::Bounds(o.X + s.caretPos.X, o.Y + s.caretPos.Y, s.caretW, s.caretH));
}

void CaretBlink(HWND, UINT, std::uintptr_t, DWORD) {
  InputState& s = S();
  if (!IsWindow(s.caretWnd)) return;
  if (s.caretHidden == 0) CaretDraw();
}

}  // namespace

void ActivateInternal(HWND h, WORD how) {
  InputState& s = S();
  if (h) {
    Window* w = Get(h);
    if (!w) return;
    h = TopLevelOf(w)->handle;
  }
  if (h == s.active) return;
  HWND old = s.active && IsWindow(s.active) ? s.active : nullptr;
  s.active = h;
  if (old) {
    Window* o = Get(old);
    CallProc(o, WM_NCACTIVATE, FALSE, LPARAM(reinterpret_cast<std::intptr_t>(h)));
    if (IsWindow(old))
      CallProc(Get(old), WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, IsIconic(old) ? 1 : 0),
               LPARAM(reinterpret_cast<std::intptr_t>(h)));
  }
  if (s.active != h) return;  // a handler activated something else meanwhile
  auto tellApp = [](BOOL on) {
    for (auto& t : TopLevels())
      if (t->thread == CurrentThread() && !t->destroyed) CallProc(t.get(), WM_ACTIVATEAPP, on, 0);
  };
  if (!h) {
    if (s.appActive) {
      s.appActive = false;
      tellApp(FALSE);
    }
    if (s.focus) SetFocus(nullptr);
    return;
  }
  if (!s.appActive) {
    s.appActive = true;
    tellApp(TRUE);
    if (s.active != h || !IsWindow(h)) return;
  }
  auto keepNew = Find(h);
  Window* w = keepNew.get();
  RaiseInternal(w);
  // A window the display has just focused is not asked for again: answering
  // each focus notice with a request would make two windows shown at once
  // hand the focus back and forth for ever.
  if (w->top && w->top->native && w->top->native != s.displayFocus) TheBackend().Activate(w->top->native);
  CallProc(w, WM_NCACTIVATE, TRUE, LPARAM(reinterpret_cast<std::intptr_t>(old)));
  if (!IsWindow(h) || s.active != h) return;
  CallProc(w, WM_ACTIVATE, MAKEWPARAM(how, w->minimized ? 1 : 0), LPARAM(reinterpret_cast<std::intptr_t>(old)));
  // Keyboard focus may not stay in a window that is no longer active.
  if (s.active == h && !w->destroyed && s.focus && !InSubtree(s.focus, w)) SetFocus(nullptr);
}

bool RouteInput(InputEvent& ev, MSG& out) {
  switch (ev.kind) {
    case InputEvent::KeyDown: case InputEvent::KeyUp: case InputEvent::Char: return RouteKey(ev, out);
    default: return RouteMouse(ev, out);
  }
}

void OnWindowHidden(Window* w) {
  if (!IsGuiThread()) return;  // focus, capture and activation live on the GUI thread
  InputState& s = S();
  if (InSubtree(s.capture, w)) ReleaseCapture();
  if (!w->parent && s.active == w->handle) ActivateInternal(NextToActivate(w), WA_ACTIVE);
  if (InSubtree(s.focus, w)) SetFocus(nullptr);
}

void OnWindowDestroyed(Window* w) {
  if (!IsGuiThread()) return;
  InputState& s = S();
  if (InSubtree(s.capture, w)) ReleaseCapture();
  if (!w->parent && s.active == w->handle) ActivateInternal(NextToActivate(w), WA_ACTIVE);
  if (InSubtree(s.focus, w)) SetFocus(nullptr);
  if (InSubtree(s.caretWnd, w)) DestroyCaret();
  if (InSubtree(s.tracked, w)) s.tracked = nullptr;
  if (InSubtree(s.clickWnd, w)) s.clickValid = false;
  if (InSubtree(s.clipOwner, w)) s.clipOwner = nullptr;
}

void DestroyNative(NativeWindow n) {
  // X window ids may be handed out again: a later window must not pass for focused.
  if (S().displayFocus == n) S().displayFocus = 0;
  TheBackend().DestroyTopLevel(n);
}

void ResetInputState() {
  S() = InputState{};
  for (auto& k : asyncKeys) k = 0;
}

void CaretHideForPaint(HWND h, bool hide) {
  InputState& s = S();
  if (s.caretWnd != h) return;
  if (hide) HideCaret(h);
  else ShowCaret(h);
}

}  // namespace win::detail

namespace win {

using namespace detail;

// ---- Capture and tracking ---------------------------------------------------------

HWND SetCapture(HWND h) {
  InputState& s = S();
  Window* w = Get(h);
  if (!w) return nullptr;
  HWND old = s.capture && IsWindow(s.capture) ? s.capture : nullptr;
  s.capture = h;
  if (Window* t = TopLevelOf(w); t->top && t->top->native) TheBackend().GrabPointer(t->top->native, true);
  if (old && old != h) SendMessageW(old, WM_CAPTURECHANGED, 0, LPARAM(reinterpret_cast<std::intptr_t>(h)));
  return old;
}

BOOL ReleaseCapture() {
  InputState& s = S();
  HWND old = s.capture;
  if (!old) return TRUE;
  s.capture = nullptr;
  if (Window* w = Get(old)) {
    if (Window* t = TopLevelOf(w); t->top && t->top->native) TheBackend().GrabPointer(t->top->native, false);
    SendMessageW(old, WM_CAPTURECHANGED, 0, 0);
  }
  return TRUE;
}

HWND GetCapture() {
  HWND c = S().capture;
  return c && IsWindow(c) ? c : nullptr;
}

BOOL TrackMouseEvent(TRACKMOUSEEVENT* tme) {
  if (!tme) return FALSE;
  InputState& s = S();
  if (tme->dwFlags & TME_QUERY) {
    Window* t = Get(s.tracked);
    tme->hwndTrack = t ? t->handle : nullptr;
    tme->dwFlags = t ? t->trackFlags : 0;
    return TRUE;
  }
  Window* w = Get(tme->hwndTrack);
  if (!w) return FALSE;
  if (tme->dwFlags & TME_CANCEL) {
    if (s.tracked == w->handle) {
      w->trackFlags &= ~(tme->dwFlags & (TME_LEAVE | TME_HOVER));
      if (!(w->trackFlags & TME_LEAVE)) s.tracked = nullptr;
    }
    return TRUE;
  }
  if (!(tme->dwFlags & TME_LEAVE)) return TRUE;
  // The pointer must be over the window (client or frame as asked) now, or the
  // leave notice comes at once.
  LRESULT hit = HTNOWHERE;
  Window* under = HitTestScreen(s.cursor, &hit, CurrentThread());
  if (Window* c = Get(s.capture)) under = c, hit = HTCLIENT;
  bool nc = (tme->dwFlags & TME_NONCLIENT) != 0;
  bool inside = under == w && (nc ? hit != HTCLIENT : hit == HTCLIENT);
  if (!inside) {
    PostLeave(w->handle, nc);
    return TRUE;
  }
  if (Window* prev = Get(s.tracked); prev && prev != w) prev->trackFlags = 0;
  w->trackFlags = tme->dwFlags & (TME_LEAVE | TME_NONCLIENT);
  s.tracked = w->handle;
  return TRUE;
}

HCURSOR LoadCursorW(void*, std::uintptr_t id) { return reinterpret_cast<HCURSOR>(id); }

HCURSOR SetCursor(HCURSOR c) {
  InputState& s = S();
  HCURSOR old = s.cursorHandle;
  if (c != old) {
    s.cursorHandle = c;
    auto key = reinterpret_cast<std::uintptr_t>(c);
    if (auto d = FindIcon(c)) TheBackend().SetCursorImage(key, d->Image());
    else TheBackend().SetCursorShape(key);
  }
  return old;
}

HCURSOR GetCursor() { return S().cursorHandle; }

BOOL GetCursorPos(POINT* out) {
  if (!out) return FALSE;
  *out = TheBackend().CursorPos();
  return TRUE;
}

BOOL SetCursorPos(int x, int y) {
  TheBackend().WarpCursor({x, y});
  input::MouseMove({x, y});
  return TRUE;
}

short GetKeyState(int vk) {
  BYTE s = CurrentQueue().keyState[vk & 0xFF];
  return short((s & 0x80 ? 0x8000 : 0) | (s & 0x01));
}

short GetAsyncKeyState(int vk) { return asyncKeys[vk & 0xFF] & 0x80 ? short(0x8000) : short(0); }

UINT GetDoubleClickTime() { return 500; }

// ---- Focus and activation ----------------------------------------------------------

HWND SetFocus(HWND h) {
  InputState& s = S();
  HWND old = s.focus && IsWindow(s.focus) ? s.focus : nullptr;
  if (h == old) return old;
  if (h) {
    Window* w = Get(h);
    if (!w || w->thread != CurrentThread()) return nullptr;
    Window* top = TopLevelOf(w);
    if (top->minimized && top != w) return nullptr;
    if (top->handle != s.active) {
      ActivateInternal(top->handle, WA_ACTIVE);
      if (!IsWindow(h)) return nullptr;
      old = s.focus && IsWindow(s.focus) ? s.focus : nullptr;
      if (h == old) return old;
    }
  }
  if (old) {
    SendMessageW(old, WM_KILLFOCUS, WPARAM(reinterpret_cast<std::uintptr_t>(h)), 0);
    HWND now = s.focus && IsWindow(s.focus) ? s.focus : nullptr;
    if (now != old) return old;  // the handler moved focus itself
  }
  s.focus = h;
  if (h && IsWindow(h)) SendMessageW(h, WM_SETFOCUS, WPARAM(reinterpret_cast<std::uintptr_t>(old)), 0);
  return old;
}

HWND GetFocus() {
  HWND f = S().focus;
  return f && IsWindow(f) ? f : nullptr;
}

HWND SetActiveWindow(HWND h) {
  HWND old = GetActiveWindow();
  if (h && !IsWindow(h)) return nullptr;
  ActivateInternal(h, WA_ACTIVE);
  return old;
}

HWND GetActiveWindow() {
  HWND a = S().active;
  return a && IsWindow(a) ? a : nullptr;
}

BOOL SetForegroundWindow(HWND h) {
  Window* w = Get(h);
  if (!w) return FALSE;
  ActivateInternal(TopLevelOf(w)->handle, WA_ACTIVE);
  return TRUE;
}

HWND GetForegroundWindow() { return S().appActive ? GetActiveWindow() : nullptr; }

// ---- Caret -------------------------------------------------------------------------

BOOL CreateCaret(HWND h, void*, int width, int height) {
  Window* w = Get(h);
  if (!w) return FALSE;
  DestroyCaret();
  InputState& s = S();
  s.caretWnd = h;
  s.caretW = width > 0 ? width : GetSystemMetrics(SM_CXBORDER);
  s.caretH = height > 0 ? height : GetSystemMetrics(SM_CYBORDER);
  s.caretPos = {0, 0};
  s.caretHidden = 1;
  s.caretOn = false;
  CaretToDisplay();
  return TRUE;
}

BOOL DestroyCaret() {
  InputState& s = S();
  if (!s.caretWnd) return FALSE;
  if (s.caretOn && IsWindow(s.caretWnd)) CaretDraw();
  if (s.caretTimer) KillTimer(nullptr, s.caretTimer);
  s.caretTimer = 0;
  s.caretWnd = nullptr;
  s.caretOn = false;
  return TRUE;
}

BOOL SetCaretPos(int x, int y) {
  InputState& s = S();
  if (!s.caretWnd) return FALSE;
  bool on = s.caretOn;
  if (on) CaretDraw();
  bool moved = s.caretPos != POINT{x, y};
  s.caretPos = {x, y};
  if (on) CaretDraw();
  if (moved) CaretToDisplay();
  return TRUE;
}

BOOL GetCaretPos(POINT* out) {
  if (!out) return FALSE;
  *out = S().caretPos;
  return TRUE;
}

BOOL ShowCaret(HWND h) {
  InputState& s = S();
  if (!s.caretWnd || (h && h != s.caretWnd)) return FALSE;
  if (s.caretHidden > 0 && --s.caretHidden == 0) {
    if (!s.caretOn) CaretDraw();
    if (!s.caretTimer) s.caretTimer = SetTimer(nullptr, 0, GetCaretBlinkTime(), CaretBlink);
  }
  return TRUE;
}

BOOL HideCaret(HWND h) {
  InputState& s = S();
  if (!s.caretWnd || (h && h != s.caretWnd)) return FALSE;
  if (s.caretHidden++ == 0 && s.caretOn) CaretDraw();
  return TRUE;
}

UINT GetCaretBlinkTime() { return 530; }

// ---- Clipboard -------------------------------------------------------------------------

BOOL OpenClipboard(HWND owner) {
  InputState& s = S();
  if (s.clipOpen) return FALSE;
  s.clipOpen = true;
  s.clipOwner = owner;
  return TRUE;
}

BOOL CloseClipboard() {
  InputState& s = S();
  if (!s.clipOpen) return FALSE;
  s.clipOpen = false;
  return TRUE;
}

BOOL EmptyClipboard() {
  if (!S().clipOpen) return FALSE;
  TheBackend().SetClipboardText(u"");
  return TRUE;
}

BOOL IsClipboardFormatAvailable(UINT format) {
  if (format != CF_UNICODETEXT && format != CF_TEXT) return FALSE;
  std::u16string t;
  return TheBackend().GetClipboardText(t) && !t.empty() ? TRUE : FALSE;
}

BOOL SetClipboardText(const rtl::String& text) {
  if (!S().clipOpen) return FALSE;
  TheBackend().SetClipboardText(text);
  return TRUE;
}

BOOL GetClipboardText(rtl::String* out) {
  if (!out || !S().clipOpen) return FALSE;
  return TheBackend().GetClipboardText(*out) ? TRUE : FALSE;
}

// ---- Raw input from back ends -------------------------------------------------------------

namespace input {

void MouseMove(POINT screen) {
  InputEvent ev;
  ev.kind = InputEvent::MouseMove;
  ev.screen = screen;
  Enqueue(std::move(ev));
}

void MouseButton(POINT screen, int button, bool down) {
  static const int vks[3] = {VK_LBUTTON, VK_RBUTTON, VK_MBUTTON};
  SetAsync(vks[std::clamp(button, 0, 2)], down);
  InputEvent ev;
  ev.kind = down ? InputEvent::ButtonDown : InputEvent::ButtonUp;
  ev.screen = screen;
  ev.button = button;
  Enqueue(std::move(ev));
}

void MouseWheel(POINT screen, int delta) {
  InputEvent ev;
  ev.kind = InputEvent::Wheel;
  ev.screen = screen;
  ev.wheel = delta;
  Enqueue(std::move(ev));
}

void Key(int vk, bool down, const std::u16string& text) {
  SetAsync(vk, down);
  if (vk == VK_LSHIFT || vk == VK_RSHIFT) SetAsync(VK_SHIFT, down);
  if (vk == VK_LCONTROL || vk == VK_RCONTROL) SetAsync(VK_CONTROL, down);
  if (vk == VK_LMENU || vk == VK_RMENU) SetAsync(VK_MENU, down);
  InputEvent ev;
  ev.kind = down ? InputEvent::KeyDown : InputEvent::KeyUp;
  ev.vk = vk;
  ev.text = text;
  Enqueue(std::move(ev));
}

void Text(const std::u16string& text) {
  for (char16_t c : text) {
    InputEvent ev;
    ev.kind = InputEvent::Char;
    ev.text = std::u16string(1, c);
    Enqueue(std::move(ev));
  }
}

Window* TopByNative(NativeWindow n) {
  for (auto& t : TopLevels())
    if (t->top && t->top->native == n && !t->destroyed && t->thread == CurrentThread()) return t.get();
  return nullptr;
}

Window* ForeignIn(Window* w, NativeWindow n) {
  if (w->foreign == n) return w;
  for (auto& c : w->children)
    if (Window* f = ForeignIn(c.get(), n)) return f;
  return nullptr;
}

// The visible, enabled top-level window `t` owns (directly or through owned
// windows that are disabled themselves), topmost first: a modal dialog.
Window* EnabledOwnedWindow(Window* t, int depth = 0) {
  if (depth > 16) return nullptr;
  for (auto& o : TopLevels()) {
    if (o->owner != t->handle || o->destroyed || !o->IsVisibleSelf() || o->minimized) continue;
    if (o->thread != CurrentThread() || (o->exStyle & WS_EX_NOACTIVATE)) continue;
    if (!(o->style & WS_DISABLED)) return o.get();
    if (Window* deeper = EnabledOwnedWindow(o.get(), depth + 1)) return deeper;
  }
  return nullptr;
}

void Exposed(NativeWindow n) {
  if (Window* t = TopByNative(n)) {
    MarkDirty(t, rtl::Rect(0, 0, t->rect.Width(), t->rect.Height()));
    return;
  }
  // A foreign video window was uncovered: its window repaints (and its owner
  // tells the video output to draw again).
  for (auto& t : TopLevels())
    if (t->thread == CurrentThread())
      if (Window* f = ForeignIn(t.get(), n)) {
        InvalidateRect(f->handle, nullptr, FALSE);
        return;
      }
}

void MovedByDisplay(NativeWindow n, POINT topLeft) {
  if (Window* t = TopByNative(n))
    SetWindowPosInternal(t, nullptr, topLeft.X, topLeft.Y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void FocusChanged(NativeWindow n, bool in) {
  InputState& s = S();
  if (in) s.displayFocus = n;
  else if (s.displayFocus == n) s.displayFocus = 0;
  Window* t = TopByNative(n);
  if (!t) return;
  if (!in) {
    if (s.active == t->handle) ActivateInternal(nullptr, WA_INACTIVE);
    return;
  }
  if (t->exStyle & WS_EX_NOACTIVATE) return;
  // A disabled window (the owner of a modal dialog) hands activation to the
  // enabled window it owns, which asks the display for the focus back.
  if (t->style & WS_DISABLED) {
    Window* owned = EnabledOwnedWindow(t);
    if (!owned) return;
    if (s.active == owned->handle) {
      if (owned->top && owned->top->native) TheBackend().Activate(owned->top->native);
    } else {
      ActivateInternal(owned->handle, WA_ACTIVE);
    }
    return;
  }
  if (s.active != t->handle) ActivateInternal(t->handle, WA_ACTIVE);
}

void CloseRequested(NativeWindow n) {
  if (Window* t = TopByNative(n)) PostMessageW(t->handle, WM_SYSCOMMAND, SC_CLOSE, 0);
}

void Iconified(NativeWindow n, bool iconic) {
  Window* t = TopByNative(n);
  if (!t || t->minimized == iconic) return;
  if (iconic) {
    if (!t->maximized) t->restoreRect = t->rect;
    t->minimized = true;
    t->style |= WS_MINIMIZE;
    if (S().active == t->handle) ActivateInternal(nullptr, WA_INACTIVE);
    SendSizeMove(t);
  } else {
    ShowWindow(t->handle, SW_RESTORE);
  }
}

void DisplayChanged() {
  RECT s = TheBackend().ScreenRect();
  for (auto& t : TopLevels())
    if (t->thread == CurrentThread() && !t->destroyed)
      SendMessageW(t->handle, WM_DISPLAYCHANGE, 32, MAKELPARAM(s.Width(), s.Height()));
}

}  // namespace input

}  // namespace win
