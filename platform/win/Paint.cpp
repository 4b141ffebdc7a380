// Painting: update regions, WM_PAINT/WM_NCPAINT/WM_ERASEBKGND, window device
// contexts as views of the top-level back buffer, window regions, layered
// windows, and the upload of composed frames.
//
// Every top-level window owns one back buffer. A window's DC draws into it
// with the window's origin and a visible region: the window (or its client
// area), cut to every ancestor's client area and window region, minus the
// siblings above it and, with WS_CLIPCHILDREN, minus its children. Siblings
// above are always cut, whatever WS_CLIPSIBLINGS says: in one shared buffer a
// lower sibling painted later would otherwise wipe out an upper one that has
// nothing to repaint. What was drawn is marked dirty and uploaded once the
// thread's queue runs empty.
#include <algorithm>
#include <functional>

#include "platform/gdi/Gdi.h"
#include "platform/win/WindowObject.h"

namespace win::detail {

namespace {

// Kept with the thread's queue, which outlives everything a thread's exit
// destroys on its behalf.
std::vector<LiveDC>& LiveDCs() { return CurrentQueue().dcs; }

// Region handles are deleted through the generic call; a region object is a
// GDI object whose complete type lives inside the raster layer.
void DeleteRgn(HRGN r) { gdi::DeleteObject(reinterpret_cast<gdi::HGDIOBJ>(r)); }

gdi::Region WindowShapeInTop(const Window* w) {
  POINT o = WindowOriginInTop(w);
  gdi::Region r = *w->windowRgn;
  r.Offset(o.X, o.Y);
  return r;
}

void SubtractWindow(gdi::Region& r, const Window* c) {
  POINT o = WindowOriginInTop(c);
  RECT box = rtl::Bounds(o.X, o.Y, c->rect.Width(), c->rect.Height());
  RECT rb = r.Box();
  if (box.Right <= rb.Left || box.Left >= rb.Right || box.Bottom <= rb.Top || box.Top >= rb.Bottom) return;  // apart
  gdi::Region cr(box);
  if (c->windowRgn) cr = gdi::Region::Combine(cr, WindowShapeInTop(c), gdi::Region::Op::And);
  r = gdi::Region::Combine(r, cr, gdi::Region::Op::Diff);
}

bool CheckPaintCount(Window* w) {
  bool pending = !w->update.IsEmpty() || w->ncPaintPending || w->internalPaint;
  if (pending && !w->paintCounted) {
    w->paintCounted = true;
    ++CurrentQueue().pendingPaint;
  } else if (!pending && w->paintCounted) {
    w->paintCounted = false;
    --CurrentQueue().pendingPaint;
  }
  return pending;
}

Window* FindPaintIn(Window* w) {
  if (!w->IsVisibleSelf() || w->destroyed) return nullptr;
  if (NeedsPaint(w)) return w;
  for (auto& c : w->children)
    if (Window* f = FindPaintIn(c.get())) return f;
  return nullptr;
}


}  // namespace

gdi::Region VisibleRegion(Window* w, bool client, bool clipChildren) {
  if (!IsReallyVisible(w)) return {};
  Window* top = TopLevelOf(w);
  if (!top->top || !top->top->backBuffer) return {};
  POINT o = client ? ClientOriginInTop(w) : WindowOriginInTop(w);
  RECT base = client ? rtl::Bounds(o.X, o.Y, w->client.Width(), w->client.Height())
                     : rtl::Bounds(o.X, o.Y, w->rect.Width(), w->rect.Height());
  gdi::Region r(base);
  if (w->windowRgn) r = gdi::Region::Combine(r, WindowShapeInTop(w), gdi::Region::Op::And);
  for (Window* c = w; c->parent; c = c->parent) {
    Window* p = c->parent;
    POINT po = ClientOriginInTop(p);
    r = r.Intersect(rtl::Bounds(po.X, po.Y, p->client.Width(), p->client.Height()));
    if (p->windowRgn) r = gdi::Region::Combine(r, WindowShapeInTop(p), gdi::Region::Op::And);
    for (auto& s : p->children) {
      if (s.get() == c) break;
      if (s->IsVisibleSelf() && !s->destroyed) SubtractWindow(r, s.get());
    }
    if (r.IsEmpty()) return r;
  }
  if (clipChildren)
    for (auto& c : w->children)
      if (c->IsVisibleSelf() && !c->destroyed) SubtractWindow(r, c.get());
  auto& bb = *top->top->backBuffer;
  return r.Intersect(rtl::Rect(0, 0, bb.Width(), bb.Height()));
}

void EnsureBackBuffer(Window* top) {
  if (!top->top) return;
  // A window larger than any screen gets a buffer of the largest sensible
  // size rather than an allocation failure in the middle of SetWindowPos.
  constexpr int kMaxSide = 8192;
  int w = std::clamp(top->rect.Width(), 1, kMaxSide), h = std::clamp(top->rect.Height(), 1, kMaxSide);
  auto& bb = top->top->backBuffer;
  if (bb && bb->Width() == w && bb->Height() == h) return;
  auto fresh = std::make_unique<gdi::Surface>(w, h, 32, true);
  if (bb) {
    // Keep what overlaps, so a resize never flashes black before the repaint.
    int cw = std::min(w, bb->Width()), ch = std::min(h, bb->Height());
    for (int y = 0; y < ch; ++y) std::copy_n(bb->Row32(y), cw, fresh->Row32(y));
  }
  bb = std::move(fresh);
  top->top->dirty = gdi::Region(rtl::Rect(0, 0, w, h));
  // DCs handed out earlier follow the new buffer.
  for (auto& l : LiveDCs()) {
    Window* lw = Get(l.hwnd);
    if (!l.pixels || !lw || TopLevelOf(lw) != top) continue;
    POINT o = l.window ? WindowOriginInTop(lw) : ClientOriginInTop(lw);
    gdi::SetSurfaceDCView(l.dc, bb.get(), o, VisibleRegion(lw, !l.window, false));
  }
}

void MarkDirty(Window* top, const RECT& r) {
  if (!top || !top->top || !top->top->backBuffer) return;
  auto& bb = *top->top->backBuffer;
  gdi::Region add = gdi::Region(r).Intersect(rtl::Rect(0, 0, bb.Width(), bb.Height()));
  if (!add.IsEmpty()) top->top->dirty = gdi::Region::Combine(top->top->dirty, add, gdi::Region::Op::Or);
}

void FlushTopLevels(ThreadQueue& q) {
  for (auto& t : TopLevels()) {
    if (t->thread != q.threadId || !t->top || t->top->dirty.IsEmpty() || t->destroyed) continue;
    if (!t->IsVisibleSelf()) continue;  // uploaded when it shows
    gdi::Region area = std::move(t->top->dirty);
    t->top->dirty = {};
    if (t->top->native && t->top->backBuffer) {
      TheBackend().Upload(t->top->native, *t->top->backBuffer, area);
      ++t->top->uploads;
    }
  }
  TheBackend().Flush();
}

bool NeedsPaint(const Window* w) {
  return !w->destroyed && !w->redrawOff && IsReallyVisible(w) &&
         (!w->update.IsEmpty() || w->ncPaintPending || w->internalPaint);
}

void AddPaintPending(Window* w) { CheckPaintCount(w); }
void RemovePaintPending(Window* w) {
  if (w->paintCounted) {
    w->paintCounted = false;
    --CurrentQueue().pendingPaint;
  }
}

Window* FindWindowToPaint(ThreadQueue& q) {
  for (auto& t : TopLevels()) {
    if (t->thread != q.threadId) continue;
    if (t->minimized) continue;
    if (Window* w = FindPaintIn(t.get())) return w;
  }
  return nullptr;
}

void InvalidateInternal(Window* w, const gdi::Region* clientRgn, UINT flags) {
  RECT clientBox = rtl::Rect(0, 0, w->client.Width(), w->client.Height());
  gdi::Region area = clientRgn ? clientRgn->Intersect(clientBox) : gdi::Region(clientBox);
  if (flags & RDW_INVALIDATE) {
    if (!area.IsEmpty()) w->update = gdi::Region::Combine(w->update, area, gdi::Region::Op::Or);
    if (flags & RDW_ERASE) w->erasePending = true;
    if (flags & RDW_FRAME) w->ncPaintPending = true;
    if (flags & RDW_INTERNALPAINT) w->internalPaint = true;
  }
  if (flags & RDW_VALIDATE) {
    w->update = gdi::Region::Combine(w->update, area, gdi::Region::Op::Diff);
    if (w->update.IsEmpty()) w->erasePending = false;
    if (flags & RDW_NOFRAME) w->ncPaintPending = false;
    if (flags & RDW_NOINTERNALPAINT) w->internalPaint = false;
  }
  CheckPaintCount(w);
  bool children = (flags & RDW_ALLCHILDREN) || (!(flags & RDW_NOCHILDREN) && !(w->style & WS_CLIPCHILDREN));
  if (!children) return;
  for (auto& c : w->children) {
    if (!c->IsVisibleSelf() || c->destroyed) continue;
    gdi::Region part = area.Intersect(c->rect);
    if (part.IsEmpty()) continue;
    part.Offset(-c->rect.Left - c->client.Left, -c->rect.Top - c->client.Top);
    UINT cf = flags;
    // The parent paints under the child's frame too: the frame is redrawn.
    if ((flags & RDW_INVALIDATE) && (c->client.Width() != c->rect.Width() || c->client.Height() != c->rect.Height()))
      cf |= RDW_FRAME;
    InvalidateInternal(c.get(), &part, cf | RDW_ALLCHILDREN);
  }
}

void InvalidateScreenArea(Window* parent, const RECT& rectInParentClient) {
  gdi::Region r(rectInParentClient);
  InvalidateInternal(parent, &r, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// A client DC that draws only into `area` (client coordinates): the update
// region narrows the DC's visible region, leaving the clip region free for the
// procedure.
HDC UpdateAreaDC(Window* w, const gdi::Region& area) {
  Window* top = TopLevelOf(w);
  if (!top->top || !top->top->backBuffer) return GetDCEx(w->handle, nullptr, 0);
  POINT o = ClientOriginInTop(w);
  gdi::Region vis = VisibleRegion(w, true, (w->style & WS_CLIPCHILDREN) != 0);
  gdi::Region a = area;
  a.Offset(o.X, o.Y);
  HDC dc = gdi::CreateSurfaceDC(top->top->backBuffer.get(), o, gdi::Region::Combine(vis, a, gdi::Region::Op::And));
  if (dc) LiveDCs().push_back({dc, w->handle, false, a.IsEmpty() ? RECT{} : a.Box()});
  return dc;
}

// The frame and background of what is invalid, now; the update region stays
// for the WM_PAINT that follows (which then has nothing left to erase).
void EraseNow(HWND h) {
  Window* w = Get(h);
  if (!w || !IsReallyVisible(w)) return;
  if (w->ncPaintPending) {
    w->ncPaintPending = false;
    CheckPaintCount(w);
    SendMessageW(h, WM_NCPAINT, 1, 0);
    if (!(w = Get(h))) return;
  }
  if (!w->erasePending || w->update.IsEmpty()) return;
  w->erasePending = false;
  gdi::Region area = w->update.Intersect(rtl::Rect(0, 0, w->client.Width(), w->client.Height()));
  HDC dc = UpdateAreaDC(w, area);
  if (!dc) return;
  SendMessageW(h, WM_ERASEBKGND, WPARAM(reinterpret_cast<std::uintptr_t>(dc)), 0);
  ReleaseDC(h, dc);
}

void ReleaseWindowRegion(Window* w) {
  if (w->windowRgnHandle) DeleteRgn(w->windowRgnHandle);
  w->windowRgnHandle = nullptr;
}

void ReleaseWindowDCs(Window* w) {
  auto& dcs = LiveDCs();
  for (auto it = dcs.begin(); it != dcs.end();) {
    if (it->hwnd == w->handle) {
      gdi::DeleteDC(it->dc);
      it = dcs.erase(it);
    } else {
      ++it;
    }
  }
}

}  // namespace win::detail

namespace win {

using namespace detail;

BOOL RedrawWindow(HWND h, const RECT* r, HRGN rgn, UINT flags) {
  Window* w = Get(h);
  if (!w) return FALSE;
  std::optional<gdi::Region> area;
  if (rgn) {
    if (const gdi::Region* g = gdi::GetRegion(rgn)) area = *g;
  } else if (r) {
    area = gdi::Region(*r);
  }
  if (flags & (RDW_INVALIDATE | RDW_VALIDATE)) InvalidateInternal(w, area ? &*area : nullptr, flags);
  if (flags & RDW_UPDATENOW) {
    std::vector<HWND> order;
    std::function<void(Window*)> collect = [&](Window* x) {
      order.push_back(x->handle);
      if (flags & RDW_ALLCHILDREN)
        for (auto& c : x->children) collect(c.get());
    };
    collect(w);
    for (HWND x : order) UpdateWindow(x);
  } else if (flags & RDW_ERASENOW) {
    std::vector<HWND> order;
    std::function<void(Window*)> collect = [&](Window* x) {
      order.push_back(x->handle);
      if (flags & RDW_ALLCHILDREN)
        for (auto& c : x->children) collect(c.get());
    };
    collect(w);
    for (HWND x : order) EraseNow(x);
  }
  return TRUE;
}

BOOL InvalidateRect(HWND h, const RECT* r, BOOL erase) {
  if (!h) return FALSE;
  return RedrawWindow(h, r, nullptr, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}

BOOL InvalidateRgn(HWND h, HRGN rgn, BOOL erase) {
  if (!h) return FALSE;
  Window* w = Get(h);
  if (!w) return FALSE;
  if (!rgn) return RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
  const gdi::Region* g = gdi::GetRegion(rgn);
  if (!g) return FALSE;
  InvalidateInternal(w, g, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
  return TRUE;
}

BOOL ValidateRect(HWND h, const RECT* r) {
  return RedrawWindow(h, r, nullptr, RDW_VALIDATE | RDW_NOCHILDREN | (r ? 0 : RDW_NOINTERNALPAINT));
}

BOOL ValidateRgn(HWND h, HRGN rgn) { return RedrawWindow(h, nullptr, rgn, RDW_VALIDATE | RDW_NOCHILDREN); }

BOOL UpdateWindow(HWND h) {
  Window* w = Get(h);
  if (!w) return FALSE;
  if (NeedsPaint(w)) {
    SendMessageW(h, WM_PAINT, 0, 0);
    if (Window* still = Get(h); still && NeedsPaint(still)) ValidateRect(h, nullptr);
  }
  return TRUE;
}

BOOL GetUpdateRect(HWND h, RECT* out, BOOL erase) {
  Window* w = Get(h);
  if (!w) return FALSE;
  RECT box = w->update.IsEmpty() ? RECT{} : w->update.Box();
  if (out) *out = box;
  if (erase && w->erasePending && !box.IsEmpty()) {
    // Only what is invalid is erased, as under BeginPaint: the valid rest of
    // the client area keeps its pixels.
    HDC dc = UpdateAreaDC(w, w->update.Intersect(rtl::Rect(0, 0, w->client.Width(), w->client.Height())));
    if (!dc) return TRUE;
    w->erasePending = false;
    SendMessageW(h, WM_ERASEBKGND, WPARAM(reinterpret_cast<std::uintptr_t>(dc)), 0);
    ReleaseDC(h, dc);
  }
  return box.IsEmpty() ? FALSE : TRUE;
}

int GetUpdateRgn(HWND h, HRGN out, BOOL erase) {
  Window* w = Get(h);
  if (!w || !out) return gdi::ERROR;
  HRGN tmp = gdi::CreateRegionHandle(w->update);
  int r = gdi::CombineRgn(out, tmp, nullptr, gdi::RGN_COPY);
  DeleteRgn(tmp);
  GetUpdateRect(h, nullptr, erase);
  return r;
}

HDC GetDCEx(HWND h, HRGN clip, DWORD flags) {
  Window* w = Get(h);
  if (!w) return nullptr;
  Window* top = TopLevelOf(w);
  if (!top->top || !top->top->backBuffer) {
    // A window without pixels (message-only): a DC that draws nowhere visible,
    // kept with the others so ReleaseDC knows it as ours.
    HDC dc = gdi::CreateCompatibleDC(nullptr);
    if (dc) LiveDCs().push_back({dc, h, false, RECT{}, false});
    return dc;
  }
  bool window = (flags & DCX_WINDOW) != 0;
  bool clipChildren = (flags & DCX_CLIPCHILDREN) || (!window && (w->style & WS_CLIPCHILDREN));
  gdi::Region vis = VisibleRegion(w, !window, clipChildren);
  if (clip && (flags & (DCX_INTERSECTRGN | DCX_EXCLUDERGN))) {
    if (const gdi::Region* g = gdi::GetRegion(clip)) {
      // The clip region is in screen coordinates.
      gdi::Region c = *g;
      c.Offset(-top->rect.Left, -top->rect.Top);
      vis = gdi::Region::Combine(vis, c, (flags & DCX_INTERSECTRGN) ? gdi::Region::Op::And : gdi::Region::Op::Diff);
    }
  }
  POINT o = window ? WindowOriginInTop(w) : ClientOriginInTop(w);
  HDC dc = gdi::CreateSurfaceDC(top->top->backBuffer.get(), o, vis);
  if (dc) LiveDCs().push_back({dc, h, window, vis.IsEmpty() ? RECT{} : vis.Box()});
  return dc;
}

HDC GetDC(HWND h) { return GetDCEx(h, nullptr, 0); }
HDC GetWindowDC(HWND h) { return GetDCEx(h, nullptr, DCX_WINDOW); }

int ReleaseDC(HWND h, HDC dc) {
  auto& dcs = LiveDCs();
  auto it = std::find_if(dcs.begin(), dcs.end(), [dc](const LiveDC& l) { return l.dc == dc; });
  // A DC the window system did not hand out (a caller's memory DC, or one
  // released twice) is the caller's own: it stays as it is.
  if (it == dcs.end()) return 0;
  if (Window* w = Get(it->hwnd); w && !it->box.IsEmpty()) MarkDirty(TopLevelOf(w), it->box);
  gdi::DeleteDC(dc);
  dcs.erase(it);
  return 1;
}

HWND WindowFromDC(HDC dc) {
  for (auto& l : LiveDCs())
    if (l.dc == dc) return l.hwnd;
  return nullptr;
}

HDC BeginPaint(HWND h, PAINTSTRUCT* ps) {
  Window* w = Get(h);
  if (!w || !ps) return nullptr;
  CaretHideForPaint(h, true);
  if (w->ncPaintPending) {
    w->ncPaintPending = false;
    CheckPaintCount(w);
    SendMessageW(h, WM_NCPAINT, 1, 0);
    w = Get(h);
    if (!w) return nullptr;
  }
  gdi::Region area = w->update.Intersect(rtl::Rect(0, 0, w->client.Width(), w->client.Height()));
  bool erase = w->erasePending;
  w->update = {};
  w->erasePending = false;
  w->internalPaint = false;
  CheckPaintCount(w);

  HDC dc = UpdateAreaDC(w, area);
  if (!dc) return nullptr;
  w->inPaint = true;
  ps->hdc = dc;
  ps->rcPaint = area.IsEmpty() ? RECT{} : area.Box();
  ps->fErase = TRUE;
  if (erase && !area.IsEmpty()) ps->fErase = SendMessageW(h, WM_ERASEBKGND, WPARAM(reinterpret_cast<std::uintptr_t>(dc)), 0) ? FALSE : TRUE;
  else if (!erase) ps->fErase = FALSE;
  return dc;
}

BOOL EndPaint(HWND h, const PAINTSTRUCT* ps) {
  if (ps && ps->hdc) ReleaseDC(h, ps->hdc);
  if (Window* w = Get(h)) w->inPaint = false;
  CaretHideForPaint(h, false);
  return TRUE;
}

int SetWindowRgn(HWND h, HRGN rgn, BOOL redraw) {
  Window* w = Get(h);
  if (!w) return 0;
  std::optional<gdi::Region> shape;
  if (rgn) {
    const gdi::Region* g = gdi::GetRegion(rgn);
    if (!g) return 0;
    shape = *g;
  }
  // The window owns the region from now on and frees the one it replaces,
  // as Windows does; the handle stays valid while it is set.
  if (w->windowRgnHandle && w->windowRgnHandle != rgn) DeleteRgn(w->windowRgnHandle);
  w->windowRgnHandle = rgn;
  w->windowRgn = shape;
  if (!w->parent && w->top && w->top->native)
    TheBackend().SetShape(w->top->native, shape ? &*shape : nullptr);
  if (redraw) {
    if (w->parent) InvalidateScreenArea(w->parent, w->rect);
    RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  }
  return 1;
}

int GetWindowRgn(HWND h, HRGN out) {
  Window* w = Get(h);
  if (!w || !out || !w->windowRgn) return gdi::ERROR;
  HRGN tmp = gdi::CreateRegionHandle(*w->windowRgn);
  int r = gdi::CombineRgn(out, tmp, nullptr, gdi::RGN_COPY);
  DeleteRgn(tmp);
  return r;
}

void FlushWindows() { FlushTopLevels(CurrentQueue()); }

BOOL SetLayeredWindowAttributes(HWND h, COLORREF key, BYTE alpha, DWORD flags) {
  Window* w = Get(h);
  if (!w || !w->top || !(w->exStyle & WS_EX_LAYERED)) return FALSE;
  w->top->colorKey = key;
  w->top->alpha = (flags & LWA_ALPHA) ? alpha : 255;
  w->top->layeredFlags = flags;
  if (w->top->native) TheBackend().SetOpacity(w->top->native, w->top->alpha);
  return TRUE;
}

BOOL GetLayeredWindowAttributes(HWND h, COLORREF* key, BYTE* alpha, DWORD* flags) {
  Window* w = Get(h);
  if (!w || !w->top || !(w->exStyle & WS_EX_LAYERED)) return FALSE;
  if (key) *key = w->top->colorKey;
  if (alpha) *alpha = w->top->alpha;
  if (flags) *flags = w->top->layeredFlags;
  return TRUE;
}

BOOL UpdateLayeredWindow(HWND h, HDC, POINT* pos, SIZE* size, HDC src, POINT* srcPos, COLORREF key,
                         gdi::BLENDFUNCTION* blend, DWORD flags) {
  Window* w = Get(h);
  if (!w || !w->top || !(w->exStyle & WS_EX_LAYERED)) return FALSE;
  if (pos || size) {
    int x = pos ? pos->X : w->rect.Left, y = pos ? pos->Y : w->rect.Top;
    int cx = size ? size->cx : w->rect.Width(), cy = size ? size->cy : w->rect.Height();
    SetWindowPosInternal(w, nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
    w = Get(h);
    if (!w) return FALSE;
  }
  if (src && w->top->backBuffer) {
    // The image replaces the window's pixels, alpha included.
    HDC dst = gdi::CreateSurfaceDC(w->top->backBuffer.get(), {0, 0},
                                   gdi::Region(rtl::Rect(0, 0, w->rect.Width(), w->rect.Height())));
    POINT sp = srcPos ? *srcPos : POINT{0, 0};
    gdi::BitBlt(dst, 0, 0, w->rect.Width(), w->rect.Height(), src, sp.X, sp.Y, gdi::SRCCOPY);
    gdi::DeleteDC(dst);
    MarkDirty(w, rtl::Rect(0, 0, w->rect.Width(), w->rect.Height()));
  }
  if (blend) w->top->alpha = blend->SourceConstantAlpha;
  w->top->colorKey = key;
  w->top->layeredFlags = flags;
  bool perPixel = (flags & ULW_ALPHA) && blend && (blend->AlphaFormat & gdi::AC_SRC_ALPHA);
  if (w->top->native) {
    TheBackend().SetPerPixelAlpha(w->top->native, perPixel);
    TheBackend().SetOpacity(w->top->native, w->top->alpha);
  }
  return TRUE;
}

bool IsLayeringSupported() { return TheBackend().LayeringSupported(); }

}  // namespace win

namespace win::headless {

int UploadCount(HWND top) {
  detail::Window* w = detail::Get(top);
  return w && w->top ? w->top->uploads : 0;
}

const gdi::Surface* BackBuffer(HWND top) {
  detail::Window* w = detail::Get(top);
  return w && w->top ? w->top->backBuffer.get() : nullptr;
}

}  // namespace win::headless
