// Window objects: classes, creation and destruction, the window tree and
// z-order, geometry, showing, SetWindowPos, window longs and texts.
#include <algorithm>
#include <cctype>
#include <cstring>

#include <unistd.h>

#include "platform/win/WindowObject.h"

namespace win::detail {

namespace {

std::map<std::u16string, std::shared_ptr<WndClass>>& Classes() {
  static std::map<std::u16string, std::shared_ptr<WndClass>> c;
  return c;
}

std::u16string ClassKey(const char16_t* name) {
  std::u16string k(name ? name : u"");
  for (auto& c : k)
    if (c < 128) c = char16_t(std::tolower(int(c)));
  return k;
}

std::shared_ptr<WndClass> FindClass(const char16_t* name) {
  std::lock_guard lock(TreeLock());
  auto it = Classes().find(ClassKey(name));
  return it == Classes().end() ? nullptr : it->second;
}

std::vector<std::shared_ptr<Window>>& SiblingsLocked(Window* w) {
  return w->parent ? w->parent->children : TopLevelsLocked();
}

void Unlink(Window* w) {
  std::lock_guard lock(TreeLock());
  auto& sib = SiblingsLocked(w);
  sib.erase(std::remove_if(sib.begin(), sib.end(), [w](auto& s) { return s.get() == w; }), sib.end());
}

bool OwnedBy(const Window* s, HWND owner) {
  HWND o = s->owner;
  for (int depth = 0; o && depth < 16; ++depth) {
    if (o == owner) return true;
    auto ow = FindAny(o);
    o = ow ? ow->owner : nullptr;
  }
  return false;
}

// Places w among its siblings. Top-level windows keep the topmost band first.
void PlaceInZOrder(const std::shared_ptr<Window>& w, HWND after) {
  std::lock_guard lock(TreeLock());
  auto& sib = SiblingsLocked(w.get());
  sib.erase(std::remove(sib.begin(), sib.end(), w), sib.end());
  bool top = !w->parent;
  if (top && after == HWND_TOPMOST) w->exStyle |= WS_EX_TOPMOST;
  if (top && after == HWND_NOTOPMOST) w->exStyle &= ~WS_EX_TOPMOST;
  bool topmost = top && (w->exStyle & WS_EX_TOPMOST);
  // First index of the window's band and one past its end.
  std::size_t bandBegin = 0, bandEnd = sib.size();
  if (top) {
    std::size_t firstNormal = 0;
    while (firstNormal < sib.size() && (sib[firstNormal]->exStyle & WS_EX_TOPMOST)) ++firstNormal;
    if (topmost) bandEnd = firstNormal;
    else bandBegin = firstNormal;
  }
  std::size_t pos = bandBegin;
  if (after == HWND_BOTTOM) {
    pos = bandEnd;
  } else if (after != HWND_TOP && after != HWND_TOPMOST && after != HWND_NOTOPMOST) {
    auto it = std::find_if(sib.begin(), sib.end(), [after](auto& s) { return s->handle == after; });
    if (it != sib.end()) pos = std::clamp<std::size_t>(std::size_t(it - sib.begin()) + 1, bandBegin, bandEnd);
  }
  sib.insert(sib.begin() + std::ptrdiff_t(pos), w);
  if (!top) return;
  // Owned windows (dialogs, popups) stay above their owner in the same band.
  std::vector<std::shared_ptr<Window>> owned;
  for (auto& s : sib)
    if (s != w && OwnedBy(s.get(), w->handle) && ((s->exStyle ^ w->exStyle) & WS_EX_TOPMOST) == 0) owned.push_back(s);
  if (owned.empty()) return;
  sib.erase(std::remove_if(sib.begin(), sib.end(),
                           [&](auto& s) { return std::find(owned.begin(), owned.end(), s) != owned.end(); }),
            sib.end());
  auto at = std::find(sib.begin(), sib.end(), w);
  sib.insert(at, owned.begin(), owned.end());
}

int DefaultBorder(DWORD style, DWORD exStyle) {
  int b = 0;
  if (style & WS_THICKFRAME) b = 4;
  else if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME)) b = 3;
  else if (style & WS_BORDER) b = 1;
  if (exStyle & WS_EX_CLIENTEDGE) b += 2;
  return b;
}

void SendParentNotify(Window* w, UINT event) {
  if (!(w->style & WS_CHILD) || (w->exStyle & WS_EX_NOPARENTNOTIFY)) return;
  HWND self = w->handle;
  WPARAM wp = MAKEWPARAM(int(event), int(w->id));
  for (auto p = w->parent ? FindAny(w->parent->handle) : nullptr; p && !p->destroyed;
       p = p->parent ? FindAny(p->parent->handle) : nullptr) {
    CallProc(p.get(), WM_PARENTNOTIFY, wp, LPARAM(reinterpret_cast<std::intptr_t>(self)));
    if (p->destroyed || !(p->style & WS_CHILD) || (p->exStyle & WS_EX_NOPARENTNOTIFY)) break;
  }
}

void Finalize(Window* w) {
  if (w->destroyed) return;
  w->destroyed = true;
  KillTimersOf(w->handle);
  RemovePaintPending(w);
  ReleaseWindowDCs(w);
  ReleaseWindowRegion(w);
  if (w->foreign) TheBackend().DestroyForeignChild(w->foreign);
  if (w->top && w->top->native) DestroyNative(w->top->native);
  {
    std::lock_guard lock(TreeLock());
    auto& sib = SiblingsLocked(w);
    sib.erase(std::remove_if(sib.begin(), sib.end(), [w](auto& s) { return s.get() == w; }), sib.end());
  }
  UnregisterHandle(w->handle);
}

void SendDestroyTree(Window* w) {
  CallProc(w, WM_DESTROY, 0, 0);
  auto kids = w->children;
  for (auto& c : kids)
    if (!c->destroyed) SendDestroyTree(c.get());
}

void SendNcDestroyTree(Window* w) {
  auto kids = w->children;
  for (auto& c : kids)
    if (!c->destroyed) SendNcDestroyTree(c.get());
  CallProc(w, WM_NCDESTROY, 0, 0);
  Finalize(w);
}

void SyncForeign(Window* w) {
  if (!w->foreign) return;
  Window* top = TopLevelOf(w);
  POINT o = WindowOriginInTop(w);
  RECT r = rtl::Bounds(o.X, o.Y, w->rect.Width(), w->rect.Height());
  TheBackend().PlaceForeignChild(w->foreign, r, IsReallyVisible(w) && top && !top->minimized);
}

void SyncForeignTree(Window* w) {
  SyncForeign(w);
  for (auto& c : w->children) SyncForeignTree(c.get());
}

// A video window's native child lives inside its top-level's native window.
// When a window changes parent, every such child below it moves into the
// native window of its new top-level, at its new place there; with no native
// window to hold it (a message-only tree) the child goes.
void ReparentForeignTree(Window* w) {
  if (w->foreign) {
    Window* top = TopLevelOf(w);
    if (top->top && top->top->native) {
      POINT o = WindowOriginInTop(w);
      TheBackend().ReparentForeignChild(w->foreign, top->top->native,
                                        rtl::Bounds(o.X, o.Y, w->rect.Width(), w->rect.Height()),
                                        IsReallyVisible(w) && !top->minimized);
    } else {
      TheBackend().DestroyForeignChild(w->foreign);
      w->foreign = 0;
    }
  }
  for (auto& c : w->children) ReparentForeignTree(c.get());
}

}  // namespace

bool IsUnmanagedPopup(const Window* w) {
  return (w->exStyle & (WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE)) ||
         ((w->style & WS_POPUP) && (w->style & WS_CAPTION) != WS_CAPTION && w->owner);
}

namespace {

// What the back end needs to make a top-level window's native window.
NativeCreate NativeCreateFor(Window* w) {
  NativeCreate nc;
  nc.hwnd = w->handle;
  nc.screenRect = w->rect;
  nc.style = w->style;
  nc.exStyle = w->exStyle;
  // Unmanaged and never focused: menus, hints and drop-downs (tool or
  // no-activate windows, or captionless popups of an owner, such as the
  // application's hidden window). Forms and dialogs, captioned or not, stay
  // managed so they can be activated and take text from the input method.
  nc.popup = IsUnmanagedPopup(w);
  if (Window* o = Get(w->owner); o && o->top) nc.owner = o->top->native;
  nc.title = w->text;
  return nc;
}

// A top-level window made layered after creation gets a native window made
// for per-pixel alpha where the back end has one; what the old native window
// showed and knew moves over.
void RecreateNativeForLayering(Window* w) {
  NativeWindow old = w->top->native;
  NativeWindow n = TheBackend().RecreateLayered(old, NativeCreateFor(w));
  if (!n || n == old) return;
  w->top->native = n;
  Backend& b = TheBackend();
  if (w->windowRgn) b.SetShape(n, &*w->windowRgn);
  if (w->exStyle & WS_EX_TRANSPARENT) b.SetInputTransparent(n, true);
  if (w->top->alpha != 255) b.SetOpacity(n, w->top->alpha);
  SendIconsToDisplay(w);
  ReparentForeignTree(w);
  MarkDirty(w, rtl::Rect(0, 0, w->rect.Width(), w->rect.Height()));
  bool shown = w->IsVisibleSelf() && !w->minimized;
  if (shown) b.ShowTopLevel(n, true, false);
  DestroyNative(old);
  if (shown && GetActiveWindow() == w->handle) b.Activate(n);
}

}  // namespace

void RaiseInternal(Window* w) {
  auto keep = Find(w->handle);
  if (!keep) return;
  PlaceInZOrder(keep, HWND_TOP);
  if (w->parent) return;
  // The display stacks the same way: the window, then what it owns above it.
  auto tops = TopLevels();
  auto it = std::find(tops.begin(), tops.end(), keep);
  for (auto r = std::make_reverse_iterator(it + 1); r != tops.rend(); ++r)
    if ((*r)->top && (*r)->top->native && ((*r) == keep || OwnedBy(r->get(), w->handle)) && IsReallyVisible(r->get()))
      TheBackend().Raise((*r)->top->native);
}

Window* TopLevelOf(Window* w) {
  while (w && w->parent) w = w->parent;
  return w;
}

bool IsReallyVisible(const Window* w) {
  for (; w; w = w->parent)
    if (!(w->style & WS_VISIBLE)) return false;
  return true;
}

bool IsReallyEnabled(const Window* w) {
  for (; w; w = w->parent)
    if (w->style & WS_DISABLED) return false;
  return true;
}

POINT WindowOriginInTop(const Window* w) {
  if (!w->parent) return {0, 0};
  POINT p = ClientOriginInTop(w->parent);
  return {p.X + w->rect.Left, p.Y + w->rect.Top};
}

POINT ClientOriginInTop(const Window* w) {
  POINT p = WindowOriginInTop(w);
  return {p.X + w->client.Left, p.Y + w->client.Top};
}

POINT ClientOriginOnScreen(const Window* w) {
  const Window* t = w;
  while (t->parent) t = t->parent;
  POINT p = ClientOriginInTop(w);
  if (t->messageOnly) return p;
  return {p.X + t->rect.Left, p.Y + t->rect.Top};
}

RECT WindowRectOnScreen(const Window* w) {
  if (!w->parent) return w->rect;
  POINT p = ClientOriginOnScreen(w->parent);
  return rtl::Bounds(p.X + w->rect.Left, p.Y + w->rect.Top, w->rect.Width(), w->rect.Height());
}

void RecalcClient(Window* w, bool sendNcCalc) {
  NCCALCSIZE_PARAMS p;
  p.rgrc[0] = w->rect;
  p.rgrc[1] = w->rect;
  p.rgrc[2] = w->rect;
  if (sendNcCalc) CallProc(w, WM_NCCALCSIZE, TRUE, LPARAM(reinterpret_cast<std::intptr_t>(&p)));
  RECT c = p.rgrc[0];
  // A procedure may answer anything; keep the client inside the window.
  c.Left = std::clamp(c.Left, w->rect.Left, w->rect.Right);
  c.Right = std::clamp(c.Right, c.Left, w->rect.Right);
  c.Top = std::clamp(c.Top, w->rect.Top, w->rect.Bottom);
  c.Bottom = std::clamp(c.Bottom, c.Top, w->rect.Bottom);
  w->client = rtl::Rect(c.Left - w->rect.Left, c.Top - w->rect.Top, c.Right - w->rect.Left, c.Bottom - w->rect.Top);
}

void SendSizeMove(Window* w) {
  WPARAM kind = w->minimized ? SIZE_MINIMIZED : w->maximized ? SIZE_MAXIMIZED : SIZE_RESTORED;
  CallProc(w, WM_SIZE, kind, MAKELPARAM(w->client.Width(), w->client.Height()));
  if (w->destroyed) return;
  POINT p = w->parent ? POINT{w->rect.Left + w->client.Left, w->rect.Top + w->client.Top}
                      : POINT{w->rect.Left + w->client.Left, w->rect.Top + w->client.Top};
  CallProc(w, WM_MOVE, 0, MAKELPARAM(p.X, p.Y));
}

BOOL SetWindowPosInternal(Window* w, HWND after, int x, int y, int cx, int cy, UINT flags) {
  auto keep = Find(w->handle);
  if (!keep) return FALSE;
  WINDOWPOS wp{w->handle, after, x, y, cx, cy, flags};
  if (flags & SWP_NOMOVE) wp.x = w->rect.Left, wp.y = w->rect.Top;
  if (flags & SWP_NOSIZE) wp.cx = w->rect.Width(), wp.cy = w->rect.Height();
  if (flags & SWP_SHOWWINDOW && w->IsVisibleSelf()) wp.flags &= ~SWP_SHOWWINDOW;
  if (flags & SWP_HIDEWINDOW && !w->IsVisibleSelf()) wp.flags &= ~SWP_HIDEWINDOW;
  if (!(flags & SWP_NOSENDCHANGING)) {
    CallProc(w, WM_WINDOWPOSCHANGING, 0, LPARAM(reinterpret_cast<std::intptr_t>(&wp)));
    if (w->destroyed) return FALSE;
  }
  wp.cx = std::max(wp.cx, 0);
  wp.cy = std::max(wp.cy, 0);
  flags = wp.flags;

  RECT oldRect = w->rect;
  bool wasVisible = IsReallyVisible(w);
  RECT newRect = rtl::Bounds(wp.x, wp.y, wp.cx, wp.cy);
  bool moved = newRect.Left != oldRect.Left || newRect.Top != oldRect.Top;
  bool sized = newRect.Width() != oldRect.Width() || newRect.Height() != oldRect.Height();
  if (flags & SWP_NOMOVE) moved = false;
  if (flags & SWP_NOSIZE) sized = false;

  w->rect = rtl::Bounds(moved ? newRect.Left : oldRect.Left, moved ? newRect.Top : oldRect.Top,
                        sized ? newRect.Width() : oldRect.Width(), sized ? newRect.Height() : oldRect.Height());
  bool zChanged = false;
  if (!(flags & SWP_NOZORDER)) {
    PlaceInZOrder(keep, wp.hwndInsertAfter);
    zChanged = true;
  }
  if (flags & SWP_SHOWWINDOW) w->style |= WS_VISIBLE;
  if (flags & SWP_HIDEWINDOW) w->style &= ~WS_VISIBLE;
  if (sized || (flags & SWP_FRAMECHANGED)) RecalcClient(w, true);
  if (w->destroyed) return FALSE;
  bool nowVisible = IsReallyVisible(w);

  // Back end and back buffer of a top-level window.
  if (!w->parent && w->top) {
    if (sized) EnsureBackBuffer(w);
    if ((moved || sized) && w->top->native) TheBackend().MoveTopLevel(w->top->native, w->rect);
    if (zChanged && w->top->native && !(flags & SWP_NOACTIVATE)) TheBackend().Raise(w->top->native);
    if ((flags & SWP_SHOWWINDOW) && w->top->native) {
      bool activate = !(flags & SWP_NOACTIVATE) && !(w->exStyle & WS_EX_NOACTIVATE);
      TheBackend().ShowTopLevel(w->top->native, true, activate);
    }
    if ((flags & SWP_HIDEWINDOW) && w->top->native) TheBackend().ShowTopLevel(w->top->native, false, false);
  }
  SyncForeignTree(w);

  // What became visible or uncovered is painted again.
  if (!(flags & SWP_NOREDRAW)) {
    bool change = moved || sized || (flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW | SWP_FRAMECHANGED)) || zChanged;
    if (change && w->parent && (wasVisible || nowVisible)) {
      InvalidateScreenArea(w->parent, oldRect);
      InvalidateScreenArea(w->parent, w->rect);
    }
    if (change && nowVisible && (sized || (flags & (SWP_SHOWWINDOW | SWP_FRAMECHANGED)) || w->parent))
      RedrawWindow(w->handle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  }

  if ((flags & SWP_SHOWWINDOW) && !w->parent && !(flags & SWP_NOACTIVATE) && !(w->exStyle & WS_EX_NOACTIVATE) &&
      !(w->style & WS_CHILD))
    SetActiveWindow(w->handle);
  else if (zChanged && !w->parent && !(flags & SWP_NOACTIVATE) && nowVisible &&
           !(w->exStyle & WS_EX_NOACTIVATE) && !(flags & SWP_HIDEWINDOW))
    SetActiveWindow(w->handle);

  wp.x = w->rect.Left;
  wp.y = w->rect.Top;
  wp.cx = w->rect.Width();
  wp.cy = w->rect.Height();
  if (!moved) wp.flags |= SWP_NOMOVE;
  if (!sized) wp.flags |= SWP_NOSIZE;
  CallProc(w, WM_WINDOWPOSCHANGED, 0, LPARAM(reinterpret_cast<std::intptr_t>(&wp)));

  if ((flags & SWP_HIDEWINDOW) && !w->destroyed) OnWindowHidden(w);
  return TRUE;
}

}  // namespace win::detail

namespace win {

using namespace detail;

// ---- Classes ------------------------------------------------------------------

ATOM RegisterClassW(const WNDCLASSW* wc) {
  if (!wc || !wc->lpszClassName || !*wc->lpszClassName) return 0;
  static ATOM nextAtom = 0xC000;
  std::lock_guard lock(TreeLock());
  auto key = ClassKey(wc->lpszClassName);
  if (Classes().count(key)) return 0;  // already registered
  auto c = std::make_shared<WndClass>();
  c->wc = *wc;
  c->name = wc->lpszClassName;
  c->wc.lpszClassName = nullptr;
  c->atom = nextAtom++;
  c->extra.assign(std::size_t(std::max(0, wc->cbClsExtra) + 7) / 8, 0);
  Classes()[key] = c;
  return c->atom;
}

BOOL UnregisterClassW(const char16_t* name) {
  std::lock_guard lock(TreeLock());
  return Classes().erase(ClassKey(name)) ? TRUE : FALSE;
}

BOOL GetClassInfoW(const char16_t* name, WNDCLASSW* out) {
  auto c = FindClass(name);
  if (!c) return FALSE;
  if (out) {
    *out = c->wc;
    out->lpszClassName = name;
  }
  return TRUE;
}

LONG_PTR GetClassLongPtrW(HWND h, int index) {
  Window* w = Get(h);
  if (!w) return 0;
  switch (index) {
    case GCL_STYLE: return LONG_PTR(w->cls->wc.style);
    case GCLP_HCURSOR: return LONG_PTR(reinterpret_cast<std::intptr_t>(w->cls->wc.hCursor));
    case GCLP_HBRBACKGROUND: return LONG_PTR(reinterpret_cast<std::intptr_t>(w->cls->wc.hbrBackground));
    default:
      if (index >= 0 && std::size_t(index / 8) < w->cls->extra.size()) return w->cls->extra[std::size_t(index / 8)];
      return 0;
  }
}

LONG_PTR SetClassLongPtrW(HWND h, int index, LONG_PTR value) {
  Window* w = Get(h);
  if (!w) return 0;
  LONG_PTR old = GetClassLongPtrW(h, index);
  switch (index) {
    case GCL_STYLE: w->cls->wc.style = UINT(value); break;
    case GCLP_HCURSOR: w->cls->wc.hCursor = reinterpret_cast<HCURSOR>(value); break;
    case GCLP_HBRBACKGROUND: w->cls->wc.hbrBackground = reinterpret_cast<HBRUSH>(value); break;
    default:
      if (index >= 0 && std::size_t(index / 8) < w->cls->extra.size()) w->cls->extra[std::size_t(index / 8)] = value;
      else return 0;
  }
  return old;
}

int GetClassNameW(HWND h, char16_t* buffer, int max) {
  Window* w = Get(h);
  if (!w || !buffer || max <= 0) return 0;
  int n = std::min<int>(int(w->cls->name.size()), max - 1);
  std::copy_n(w->cls->name.data(), n, buffer);
  buffer[n] = 0;
  return n;
}

// ---- Creation and destruction -------------------------------------------------

HWND CreateWindowExW(DWORD exStyle, const char16_t* className, const char16_t* windowName, DWORD style, int x,
                     int y, int width, int height, HWND parentOrOwner, HMENU menuOrId, void* param) {
  auto cls = FindClass(className);
  if (!cls) return nullptr;
  Window* parent = nullptr;
  bool messageOnly = parentOrOwner == HWND_MESSAGE;
  HWND owner = nullptr;
  if (style & WS_CHILD) {
    parent = messageOnly ? nullptr : Get(parentOrOwner);
    if (!parent || parent->thread != CurrentThread()) return nullptr;
  } else if (parentOrOwner && !messageOnly) {
    owner = GetAncestor(parentOrOwner, GA_ROOT);
    if (!owner) return nullptr;
  }
  TheBackend();       // the window system is up before the first window
  CurrentQueuePtr();  // and the thread can be sent to as soon as the handle exists

  auto w = std::make_shared<Window>();
  w->thread = CurrentThread();
  w->cls = cls;
  w->proc = cls->wc.lpfnWndProc;
  w->style = style & ~(WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE);
  w->exStyle = exStyle;
  w->id = (style & WS_CHILD) ? LONG_PTR(menuOrId) : 0;
  w->extra.assign(std::size_t(std::max(0, cls->wc.cbWndExtra) + 7) / 8, 0);
  w->parent = parent;
  w->owner = owner;
  w->messageOnly = messageOnly;
  if (x == CW_USEDEFAULT) x = 100, y = 100;
  if (width == CW_USEDEFAULT) width = 400, height = 300;
  w->rect = rtl::Bounds(x, y, std::max(width, 0), std::max(height, 0));
  w->restoreRect = w->rect;
  RegisterHandle(w);
  HWND h = w->handle;

  if (parent) {
    std::lock_guard lock(TreeLock());
    parent->children.push_back(w);  // later children lie below earlier ones, as in tab order
  } else if (!messageOnly) {
    w->top = std::make_unique<TopLevelData>();
    PlaceInZOrder(w, HWND_TOP);
  }

  CREATESTRUCTW cs;
  cs.lpCreateParams = param;
  cs.hMenu = menuOrId;
  cs.hwndParent = parent ? parent->handle : owner;
  cs.x = x, cs.y = y, cs.cx = width, cs.cy = height;
  cs.style = LONG(style);
  cs.lpszName = windowName;
  cs.lpszClass = className;
  cs.dwExStyle = exStyle;

  auto fail = [&]() -> HWND {
    if (!w->destroyed) {
      w->destroying = true;
      CallProc(w.get(), WM_NCDESTROY, 0, 0);
      Finalize(w.get());
    }
    return nullptr;
  };

  if (!parent && !messageOnly) {
    MINMAXINFO mmi;
    RECT work = TheBackend().WorkArea();
    mmi.ptMaxSize = {work.Width(), work.Height()};
    mmi.ptMaxPosition = {work.Left, work.Top};
    mmi.ptMinTrackSize = {GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
    mmi.ptMaxTrackSize = {GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
    CallProc(w.get(), WM_GETMINMAXINFO, 0, LPARAM(reinterpret_cast<std::intptr_t>(&mmi)));
    if (w->destroyed) return nullptr;
    if (style & (WS_THICKFRAME | WS_CAPTION)) {
      int cw = std::clamp(w->rect.Width(), mmi.ptMinTrackSize.X, std::max(mmi.ptMinTrackSize.X, mmi.ptMaxTrackSize.X));
      int ch = std::clamp(w->rect.Height(), mmi.ptMinTrackSize.Y, std::max(mmi.ptMinTrackSize.Y, mmi.ptMaxTrackSize.Y));
      w->rect = rtl::Bounds(w->rect.Left, w->rect.Top, cw, ch);
    }
  }
  if (!CallProc(w.get(), WM_NCCREATE, 0, LPARAM(reinterpret_cast<std::intptr_t>(&cs))) || w->destroyed) return fail();
  RecalcClient(w.get(), true);
  if (w->destroyed) return nullptr;

  if (w->top) {
    EnsureBackBuffer(w.get());
    w->top->native = TheBackend().CreateTopLevel(NativeCreateFor(w.get()));
    if ((exStyle & (WS_EX_LAYERED | WS_EX_TRANSPARENT)) == (WS_EX_LAYERED | WS_EX_TRANSPARENT))
      TheBackend().SetInputTransparent(w->top->native, true);  // clicks go through (shadows, glows)
  }
  if ((exStyle & WS_EX_FOREIGNVIDEO) && parent) {
    Window* top = TopLevelOf(w.get());
    POINT o = WindowOriginInTop(w.get());
    if (top->top && top->top->native)
      w->foreign = TheBackend().CreateForeignChild(top->top->native,
                                                   rtl::Bounds(o.X, o.Y, w->rect.Width(), w->rect.Height()));
  }

  if (CallProc(w.get(), WM_CREATE, 0, LPARAM(reinterpret_cast<std::intptr_t>(&cs))) == -1 || w->destroyed) {
    if (w->destroyed) return nullptr;
    DestroyWindow(h);
    return nullptr;
  }
  w->created = true;
  SendSizeMove(w.get());
  if (w->destroyed) return nullptr;
  SendParentNotify(w.get(), WM_CREATE);
  if (w->destroyed) return nullptr;

  if (style & WS_MINIMIZE) ShowWindow(h, SW_SHOWMINNOACTIVE);
  else if (style & WS_MAXIMIZE) ShowWindow(h, SW_SHOWMAXIMIZED);
  else if (style & WS_VISIBLE) ShowWindow(h, SW_SHOW);
  return IsWindow(h) ? h : nullptr;
}

BOOL DestroyWindow(HWND h) {
  auto w = Find(h);
  if (!w || w->thread != CurrentThread()) return FALSE;
  if (w->destroying) return TRUE;
  w->destroying = true;

  // Owned windows go first, as Windows does.
  if (!w->parent) {
    std::vector<HWND> owned;
    for (auto& t : TopLevels())
      if (t->owner == h) owned.push_back(t->handle);
    for (HWND o : owned) DestroyWindow(o);
  }
  SendParentNotify(w.get(), WM_DESTROY);
  if (w->destroyed) return TRUE;
  if (w->IsVisibleSelf())
    SetWindowPosInternal(w.get(), nullptr, 0, 0, 0, 0,
                         SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (w->destroyed) return TRUE;
  OnWindowDestroyed(w.get());
  if (w->destroyed) return TRUE;
  SendDestroyTree(w.get());
  if (w->destroyed) return TRUE;
  SendNcDestroyTree(w.get());
  return TRUE;
}

BOOL IsWindow(HWND h) { return Find(h) ? TRUE : FALSE; }

BOOL IsChild(HWND parent, HWND h) {
  auto w = Find(h);
  if (!w || !parent) return FALSE;
  std::lock_guard lock(TreeLock());
  for (Window* p = w->parent; p; p = p->parent)
    if (p->handle == parent) return TRUE;
  return FALSE;
}

BOOL IsWindowVisible(HWND h) {
  Window* w = Get(h);
  return w && IsReallyVisible(w) ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND h) {
  Window* w = Get(h);
  return w && !(w->style & WS_DISABLED) ? TRUE : FALSE;
}

BOOL IsIconic(HWND h) {
  Window* w = Get(h);
  return w && w->minimized ? TRUE : FALSE;
}

BOOL IsZoomed(HWND h) {
  Window* w = Get(h);
  return w && w->maximized ? TRUE : FALSE;
}

BOOL EnableWindow(HWND h, BOOL enable) {
  auto keep = Find(h);
  Window* w = keep.get();
  if (!w) return FALSE;
  BOOL wasDisabled = (w->style & WS_DISABLED) ? TRUE : FALSE;
  if (bool(enable) == !wasDisabled) return wasDisabled;
  if (!enable) {
    // Windows cancels modes (capture) and takes focus away from a window being disabled.
    CallProc(w, WM_CANCELMODE, 0, 0);
    if (w->destroyed) return wasDisabled;
    HWND f = GetFocus();
    if (f && (f == h || IsChild(h, f))) SetFocus(nullptr);
    if (w->destroyed) return wasDisabled;
    w->style |= WS_DISABLED;
  } else {
    w->style &= ~WS_DISABLED;
  }
  CallProc(w, WM_ENABLE, enable ? TRUE : FALSE, 0);
  return wasDisabled;
}

HWND GetParent(HWND h) {
  Window* w = Get(h);
  if (!w) return nullptr;
  if (w->style & WS_CHILD) return w->parent ? w->parent->handle : nullptr;
  return (w->style & WS_POPUP) ? w->owner : nullptr;
}

HWND SetParent(HWND h, HWND newParent) {
  auto w = Find(h);
  if (!w) return nullptr;
  Window* np = Get(newParent);
  if (newParent && !np) return nullptr;
  for (Window* p = np; p; p = p->parent)
    if (p == w.get()) return nullptr;  // no cycles
  HWND old = w->parent ? w->parent->handle : nullptr;
  bool visible = w->IsVisibleSelf();
  if (visible) ShowWindow(h, SW_HIDE);
  Unlink(w.get());
  // A former top-level's native window goes only after the native children
  // of its video windows have moved out of it.
  std::unique_ptr<TopLevelData> oldTop;
  if (w->top && w->top->native) oldTop = std::move(w->top);
  w->parent = np;
  if (np) {
    w->style = (w->style & ~WS_POPUP) | WS_CHILD;
    std::lock_guard lock(TreeLock());
    np->children.insert(np->children.begin(), w);
  } else {
    w->style &= ~WS_CHILD;
    w->top = std::make_unique<TopLevelData>();
    EnsureBackBuffer(w.get());
    w->top->native = TheBackend().CreateTopLevel(NativeCreateFor(w.get()));
    SendIconsToDisplay(w.get());
    PlaceInZOrder(w, HWND_TOP);
  }
  ReparentForeignTree(w.get());
  if (oldTop) DestroyNative(oldTop->native);
  if (visible) ShowWindow(h, SW_SHOWNA);
  return old;
}

HWND GetWindow(HWND h, UINT cmd) {
  auto w = Find(h);
  if (!w) return nullptr;
  std::lock_guard lock(TreeLock());
  if (cmd == GW_OWNER) return w->owner;
  if (cmd == GW_CHILD) return w->children.empty() ? nullptr : w->children.front()->handle;
  if (w->messageOnly) return nullptr;
  auto& sib = SiblingsLocked(w.get());
  auto it = std::find(sib.begin(), sib.end(), w);
  if (it == sib.end()) return nullptr;
  switch (cmd) {
    case GW_HWNDFIRST: return sib.front()->handle;
    case GW_HWNDLAST: return sib.back()->handle;
    case GW_HWNDNEXT: return it + 1 == sib.end() ? nullptr : (*(it + 1))->handle;
    case GW_HWNDPREV: return it == sib.begin() ? nullptr : (*(it - 1))->handle;
    default: return nullptr;
  }
}

HWND GetAncestor(HWND h, UINT flags) {
  Window* w = Get(h);
  if (!w) return nullptr;
  switch (flags) {
    case GA_PARENT: return w->parent ? w->parent->handle : nullptr;
    case GA_ROOT: return TopLevelOf(w)->handle;
    case GA_ROOTOWNER: {
      Window* r = TopLevelOf(w);
      while (r->owner) {
        Window* o = Get(r->owner);
        if (!o) break;
        r = TopLevelOf(o);
      }
      return r->handle;
    }
    default: return nullptr;
  }
}

HWND GetTopWindow(HWND h) {
  if (!h) {
    auto tops = TopLevels();
    return tops.empty() ? nullptr : tops.front()->handle;
  }
  return GetWindow(h, GW_CHILD);
}

HWND GetDesktopWindow() { return nullptr; }

DWORD GetWindowThreadProcessId(HWND h, DWORD* processId) {
  auto w = Find(h);
  if (!w) return 0;
  if (processId) *processId = DWORD(getpid());
  return w->thread;
}

// ---- Showing and placing ---------------------------------------------------------

BOOL ShowWindow(HWND h, int cmd) {
  auto w = Find(h);
  if (!w) return FALSE;
  BOOL wasVisible = w->IsVisibleSelf() ? TRUE : FALSE;
  bool top = !w->parent;
  bool noActivate = (w->exStyle & WS_EX_NOACTIVATE) || (w->style & WS_CHILD);

  auto show = [&](bool activate) {
    if (!w->IsVisibleSelf()) {
      CallProc(w.get(), WM_SHOWWINDOW, TRUE, 0);
      if (w->destroyed) return;
      SetWindowPosInternal(w.get(), HWND_TOP, 0, 0, 0, 0,
                           SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | (top ? 0 : SWP_NOZORDER) |
                               (activate && !noActivate ? 0 : SWP_NOACTIVATE));
    } else if (activate && top && !noActivate) {
      SetActiveWindow(h);
    }
  };

  switch (cmd) {
    case SW_HIDE:
      if (!wasVisible) return FALSE;
      CallProc(w.get(), WM_SHOWWINDOW, FALSE, 0);
      if (w->destroyed) return wasVisible;
      SetWindowPosInternal(w.get(), nullptr, 0, 0, 0, 0,
                           SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      break;
    case SW_SHOWMINIMIZED: case SW_MINIMIZE: case SW_SHOWMINNOACTIVE: {
      if (!w->minimized) {
        if (!w->maximized) w->restoreRect = w->rect;
        w->minimized = true;
        w->style |= WS_MINIMIZE;
        if (top && w->top && w->top->native) TheBackend().Iconify(w->top->native);
        show(false);
        if (w->destroyed) return wasVisible;
        SyncForeignTree(w.get());
        if (GetActiveWindow() == h) SetActiveWindow(nullptr);
        SendSizeMove(w.get());
      } else {
        show(false);
      }
      break;
    }
    case SW_SHOWMAXIMIZED: {
      if (!w->maximized) {
        if (!w->minimized) w->restoreRect = w->rect;
        w->minimized = false;
        w->maximized = true;
        w->style = (w->style & ~WS_MINIMIZE) | WS_MAXIMIZE;
        MINMAXINFO mmi;
        RECT work = top ? TheBackend().WorkArea() : RECT{};
        if (!top) GetClientRect(w->parent->handle, &work);
        mmi.ptMaxSize = {work.Width(), work.Height()};
        mmi.ptMaxPosition = {work.Left, work.Top};
        mmi.ptMinTrackSize = {GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
        mmi.ptMaxTrackSize = {GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
        CallProc(w.get(), WM_GETMINMAXINFO, 0, LPARAM(reinterpret_cast<std::intptr_t>(&mmi)));
        if (w->destroyed) return wasVisible;
        show(true);
        if (w->destroyed) return wasVisible;
        SetWindowPosInternal(w.get(), nullptr, mmi.ptMaxPosition.X, mmi.ptMaxPosition.Y, mmi.ptMaxSize.X,
                             mmi.ptMaxSize.Y, SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
      } else {
        show(true);
      }
      break;
    }
    case SW_RESTORE: case SW_SHOWNORMAL: case SW_SHOWDEFAULT: {
      bool wasMin = w->minimized, wasMax = w->maximized;
      if (wasMin || wasMax) {
        w->minimized = false;
        w->style &= ~WS_MINIMIZE;
        if (top && w->top && w->top->native && wasMin) TheBackend().ShowTopLevel(w->top->native, true, true);
        if (wasMax && (!wasMin || cmd != SW_RESTORE)) {
          w->maximized = false;
          w->style &= ~WS_MAXIMIZE;
          SetWindowPosInternal(w.get(), nullptr, w->restoreRect.Left, w->restoreRect.Top,
                               w->restoreRect.Width(), w->restoreRect.Height(),
                               SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        } else if (wasMin) {
          if (!wasMax) w->maximized = false;
          SyncForeignTree(w.get());
          SendSizeMove(w.get());
          RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
        }
      }
      if (!w->destroyed) show(true);
      break;
    }
    case SW_SHOWNOACTIVATE: case SW_SHOWNA:
      show(false);
      break;
    case SW_SHOW: default:
      show(true);
      break;
  }
  return wasVisible;
}

BOOL SetWindowPos(HWND h, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  Window* w = Get(h);
  if (!w || w->thread != CurrentThread()) return FALSE;
  if (flags & SWP_SHOWWINDOW && !w->IsVisibleSelf()) {
    CallProc(w, WM_SHOWWINDOW, TRUE, 0);
    if (!IsWindow(h)) return FALSE;
  } else if (flags & SWP_HIDEWINDOW && w->IsVisibleSelf()) {
    CallProc(w, WM_SHOWWINDOW, FALSE, 0);
    if (!IsWindow(h)) return FALSE;
  }
  return SetWindowPosInternal(w, insertAfter, x, y, cx, cy, flags);
}

BOOL MoveWindow(HWND h, int x, int y, int width, int height, BOOL repaint) {
  return SetWindowPos(h, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL BringWindowToTop(HWND h) { return SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }

BOOL GetWindowRect(HWND h, RECT* out) {
  Window* w = Get(h);
  if (!w || !out) return FALSE;
  *out = WindowRectOnScreen(w);
  return TRUE;
}

BOOL GetClientRect(HWND h, RECT* out) {
  Window* w = Get(h);
  if (!w || !out) return FALSE;
  *out = rtl::Rect(0, 0, w->client.Width(), w->client.Height());
  return TRUE;
}

BOOL ClientToScreen(HWND h, POINT* p) {
  Window* w = Get(h);
  if (!w || !p) return FALSE;
  POINT o = ClientOriginOnScreen(w);
  p->X += o.X;
  p->Y += o.Y;
  return TRUE;
}

BOOL ScreenToClient(HWND h, POINT* p) {
  Window* w = Get(h);
  if (!w || !p) return FALSE;
  POINT o = ClientOriginOnScreen(w);
  p->X -= o.X;
  p->Y -= o.Y;
  return TRUE;
}

int MapWindowPoints(HWND from, HWND to, POINT* pts, UINT count) {
  POINT a{0, 0}, b{0, 0};
  if (from) {
    Window* w = Get(from);
    if (!w) return 0;
    a = ClientOriginOnScreen(w);
  }
  if (to) {
    Window* w = Get(to);
    if (!w) return 0;
    b = ClientOriginOnScreen(w);
  }
  int dx = a.X - b.X, dy = a.Y - b.Y;
  for (UINT i = 0; pts && i < count; ++i) pts[i].X += dx, pts[i].Y += dy;
  return int(MAKELPARAM(dx, dy));
}

HWND ChildWindowFromPoint(HWND parent, POINT client) {
  Window* w = Get(parent);
  if (!w) return nullptr;
  if (!rtl::Rect(0, 0, w->client.Width(), w->client.Height()).Contains(client)) return nullptr;
  for (auto& c : w->children) {
    if (c->rect.Contains(client)) {
      if (c->windowRgn && !c->windowRgn->Contains({client.X - c->rect.Left, client.Y - c->rect.Top})) continue;
      return c->handle;  // hidden and disabled children count, as in Windows
    }
  }
  return parent;
}

BOOL AdjustWindowRectEx(RECT* r, DWORD style, BOOL menu, DWORD exStyle) {
  if (!r) return FALSE;
  int b = DefaultBorder(style, exStyle);
  int cap = (style & WS_CAPTION) == WS_CAPTION ? GetSystemMetrics(SM_CYCAPTION) : 0;
  int m = menu ? GetSystemMetrics(SM_CYMENU) : 0;
  *r = rtl::Rect(r->Left - b, r->Top - b - cap - m, r->Right + b, r->Bottom + b);
  return TRUE;
}

// ---- Window longs, procedures, texts -------------------------------------------------

LONG_PTR GetWindowLongPtrW(HWND h, int index) {
  Window* w = Get(h);
  if (!w) return 0;
  switch (index) {
    case GWL_WNDPROC: return LONG_PTR(reinterpret_cast<std::intptr_t>(w->proc));
    case GWL_ID: return w->id;
    case GWL_STYLE: return LONG_PTR(w->style);
    case GWL_EXSTYLE: return LONG_PTR(w->exStyle);
    case GWL_USERDATA: return w->userData;
    default:
      if (index >= 0 && std::size_t(index / 8) < w->extra.size()) return w->extra[std::size_t(index / 8)];
      return 0;
  }
}

LONG_PTR SetWindowLongPtrW(HWND h, int index, LONG_PTR value) {
  Window* w = Get(h);
  if (!w) return 0;
  LONG_PTR old = GetWindowLongPtrW(h, index);
  switch (index) {
    case GWL_WNDPROC: w->proc = reinterpret_cast<WNDPROC>(value); break;
    case GWL_ID: w->id = value; break;
    case GWL_STYLE: {
      // Visibility follows the bit at once; frame changes wait for
      // SetWindowPos(SWP_FRAMECHANGED), as in Windows.
      DWORD s = DWORD(value);
      bool vis = (s & WS_VISIBLE) != (w->style & WS_VISIBLE);
      w->style = (s & ~(WS_MINIMIZE | WS_MAXIMIZE)) | (w->style & (WS_MINIMIZE | WS_MAXIMIZE));
      if (vis && w->parent) InvalidateScreenArea(w->parent, w->rect);
      break;
    }
    case GWL_EXSTYLE: {
      DWORD ex = DWORD(value);
      if (w->top && w->top->native && ((ex ^ w->exStyle) & WS_EX_TRANSPARENT))
        TheBackend().SetInputTransparent(w->top->native, (ex & WS_EX_TRANSPARENT) && (ex & WS_EX_LAYERED));
      bool layering = (ex & WS_EX_LAYERED) && !(w->exStyle & WS_EX_LAYERED);
      w->exStyle = ex;
      if (layering && !w->parent && w->top && w->top->native) RecreateNativeForLayering(w);
      break;
    }
    case GWL_USERDATA: w->userData = value; break;
    default:
      if (index >= 0 && std::size_t(index / 8) < w->extra.size()) w->extra[std::size_t(index / 8)] = value;
      else return 0;
  }
  return old;
}

LRESULT CallWindowProcW(WNDPROC proc, HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!proc) return 0;
  return proc(h, msg, wParam, lParam);
}

BOOL SetWindowTextW(HWND h, const char16_t* text) {
  return SendMessageW(h, WM_SETTEXT, 0, LPARAM(reinterpret_cast<std::intptr_t>(text ? text : u""))) ? TRUE : FALSE;
}

int GetWindowTextW(HWND h, char16_t* buffer, int max) {
  if (!buffer || max <= 0) return 0;
  buffer[0] = 0;
  return int(SendMessageW(h, WM_GETTEXT, WPARAM(max), LPARAM(reinterpret_cast<std::intptr_t>(buffer))));
}

int GetWindowTextLengthW(HWND h) { return int(SendMessageW(h, WM_GETTEXTLENGTH, 0, 0)); }

rtl::String GetWindowText(HWND h) {
  int n = GetWindowTextLengthW(h);
  std::u16string s(std::size_t(n) + 1, u'\0');
  int got = GetWindowTextW(h, s.data(), n + 1);
  s.resize(std::size_t(std::max(0, got)));
  return s;
}

std::uint64_t GetNativeWindowId(HWND h) {
  Window* w = Get(h);
  if (!w) return 0;
  if (w->foreign) return w->foreign;
  return w->top ? w->top->native : 0;
}

}  // namespace win
