#include "platform/forms/ScrollBars.h"

#include <algorithm>

#include "platform/forms/StdDraw.h"
#include "platform/gdi/Gdi.h"
#include "platform/rtl/Exceptions.h"

namespace forms {

using namespace win;

namespace {

constexpr std::uintptr_t kBarTimer = 0xB5C1;
constexpr int kMinThumb = 8;

int Along(const TRect& r, bool vertical) { return vertical ? r.Height() : r.Width(); }
int Across(const TRect& r, bool vertical) { return vertical ? r.Width() : r.Height(); }
int Start(const TRect& r, bool vertical) { return vertical ? r.Top : r.Left; }
int Coord(TPoint p, bool vertical) { return vertical ? p.Y : p.X; }

// A span along the bar turned back into a rectangle.
TRect Span(const TRect& bar, bool vertical, int from, int to) {
  return vertical ? rtl::Rect(bar.Left, from, bar.Right, to) : rtl::Rect(from, bar.Top, to, bar.Bottom);
}

struct TGeometry {
  int arrow = 0, trackStart = 0, trackEnd = 0, thumbStart = 0, thumbLen = 0;
  bool thumb = false;
};

TGeometry Measure(const TRect& bar, bool vertical, const SCROLLINFO& si) {
  TGeometry g;
  int len = Along(bar, vertical), start = Start(bar, vertical);
  g.arrow = std::min(Across(bar, vertical), len / 2);
  g.trackStart = start + g.arrow;
  g.trackEnd = start + len - g.arrow;
  int track = g.trackEnd - g.trackStart;
  int range = si.nMax - si.nMin + 1;
  int page = int(si.nPage);
  if (range <= 0 || (page > 0 && page >= range)) return g;  // nothing to scroll: no thumb
  g.thumbLen = page > 0 ? std::max(kMinThumb, int(std::int64_t(track) * page / range)) : g.arrow;
  if (g.thumbLen > track) return g;
  int maxPos = si.nMax - std::max(page - 1, 0);
  int span = std::max(1, maxPos - si.nMin);
  int pos = std::clamp(si.nPos, si.nMin, std::max(si.nMin, maxPos));
  g.thumbStart = g.trackStart + int(std::int64_t(track - g.thumbLen) * (pos - si.nMin) / span);
  g.thumb = true;
  return g;
}

}  // namespace

std::optional<int> ScrollRequestPos(WPARAM request, int pos, int line, int page, int last, int thumb) {
  switch (LOWORD(request)) {
    case SB_LINEUP: return pos - line;
    case SB_LINEDOWN: return pos + line;
    case SB_PAGEUP: return pos - page;
    case SB_PAGEDOWN: return pos + page;
    case SB_TOP: return 0;
    case SB_BOTTOM: return last;
    case SB_THUMBPOSITION: case SB_THUMBTRACK: return thumb;
    default: return std::nullopt;
  }
}

int FullThumbPos(HWND h, int bar, WPARAM request) {
  int thumb = int(HIWORD(request));
  SCROLLINFO si;
  si.fMask = SIF_TRACKPOS | SIF_RANGE;
  if (h && GetScrollInfo(h, bar, &si) && si.nMax > 0xFFFF) thumb = si.nTrackPos;
  return thumb;
}

// ------------------------------------------------------------------ geometry and drawing
TRect TWindowScrollBars::PartIn(const TRect& bar, bool vertical, const SCROLLINFO& si, TPart part) {
  TGeometry g = Measure(bar, vertical, si);
  int start = Start(bar, vertical), end = start + Along(bar, vertical);
  switch (part) {
    case spLineUp: return Span(bar, vertical, start, g.trackStart);
    case spLineDown: return Span(bar, vertical, g.trackEnd, end);
    case spThumb: return g.thumb ? Span(bar, vertical, g.thumbStart, g.thumbStart + g.thumbLen) : TRect();
    case spPageUp: return g.thumb ? Span(bar, vertical, g.trackStart, g.thumbStart) : TRect();
    case spPageDown: return g.thumb ? Span(bar, vertical, g.thumbStart + g.thumbLen, g.trackEnd) : TRect();
    default: return TRect();
  }
}

int TWindowScrollBars::PosFromThumb(const TRect& bar, bool vertical, const SCROLLINFO& si, int thumbStart) {
  TGeometry g = Measure(bar, vertical, si);
  if (!g.thumb) return si.nPos;
  int room = g.trackEnd - g.trackStart - g.thumbLen;
  int maxPos = si.nMax - std::max(int(si.nPage) - 1, 0);
  if (room <= 0) return si.nMin;
  int at = std::clamp(thumbStart - g.trackStart, 0, room);
  return si.nMin + int((std::int64_t(at) * (maxPos - si.nMin) + room / 2) / room);
}

void TWindowScrollBars::Paint(HDC dc, const TRect& bar, bool vertical, const SCROLLINFO& si, TPart pressed,
                              bool enabled) {
  if (bar.Width() <= 0 || bar.Height() <= 0) return;
  TGeometry g = Measure(bar, vertical, si);
  bool active = enabled && g.thumb;
  // The track: the classic half-tone of face and highlight.
  TRect track = Span(bar, vertical, g.trackStart, g.trackEnd);
  stddraw::FillSolid(dc, track, gdi::clBtnFace);
  COLORREF hi = gdi::ColorToRGB(gdi::clBtnHighlight);
  for (int y = track.Top; y < track.Bottom; ++y)
    for (int x = track.Left + ((y + track.Left) & 1); x < track.Right; x += 2) gdi::SetPixelV(dc, x, y, hi);
  for (TPart p : {spPageUp, spPageDown})
    if (active && pressed == p) stddraw::FillSolid(dc, PartIn(bar, vertical, si, p), gdi::cl3DDkShadow);
  // Arrows.
  for (TPart p : {spLineUp, spLineDown}) {
    TRect r = PartIn(bar, vertical, si, p);
    UINT kind = vertical ? (p == spLineUp ? gdi::DFCS_SCROLLUP : gdi::DFCS_SCROLLDOWN)
                         : (p == spLineUp ? gdi::DFCS_SCROLLLEFT : gdi::DFCS_SCROLLRIGHT);
    if (active && pressed == p) kind |= gdi::DFCS_PUSHED | gdi::DFCS_FLAT;
    if (!active) kind |= gdi::DFCS_INACTIVE;
    gdi::DrawFrameControl(dc, &r, gdi::DFC_SCROLL, kind);
  }
  if (active) {
    TRect t = PartIn(bar, vertical, si, spThumb);
    stddraw::FillSolid(dc, t, gdi::clBtnFace);
    gdi::DrawEdge(dc, &t, gdi::EDGE_RAISED, gdi::BF_RECT);
  }
}

// ------------------------------------------------------------------ window bars
HWND TWindowScrollBars::Hwnd() const { return owner_->HandleAllocated() ? owner_->Handle() : nullptr; }

TRect TWindowScrollBars::BarRect(int bar) {
  HWND h = Hwnd();
  if (!h) return TRect();
  DWORD style = DWORD(GetWindowLongPtrW(h, GWL_STYLE));
  if (!(style & (bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL))) return TRect();
  RECT wr, cr;
  GetWindowRect(h, &wr);
  GetClientRect(h, &cr);
  POINT o{0, 0};
  ::win::ClientToScreen(h, &o);
  int cx = o.X - wr.Left, cy = o.Y - wr.Top;
  if (bar == SB_VERT) return rtl::Bounds(cx + cr.Width(), cy, GetSystemMetrics(SM_CXVSCROLL), cr.Height());
  return rtl::Bounds(cx, cy + cr.Height(), cr.Width(), GetSystemMetrics(SM_CYHSCROLL));
}

TRect TWindowScrollBars::PartRect(int bar, TPart part) {
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  if (!Hwnd() || !GetScrollInfo(Hwnd(), bar, &si)) return TRect();
  return PartIn(BarRect(bar), bar == SB_VERT, si, part);
}

TWindowScrollBars::TPart TWindowScrollBars::HitPart(int bar, TPoint p) {
  for (TPart part : {spLineUp, spLineDown, spThumb, spPageUp, spPageDown})
    if (PartRect(bar, part).Contains(p)) return part;
  return spNone;
}

void TWindowScrollBars::Refresh() {
  HWND h = Hwnd();
  if (!h || !IsWindowVisible(h)) return;
  DWORD style = DWORD(GetWindowLongPtrW(h, GWL_STYLE));
  if (!(style & (WS_VSCROLL | WS_HSCROLL))) return;
  HDC dc = GetWindowDC(h);
  if (!dc) return;
  for (int bar : {SB_VERT, SB_HORZ}) {
    TRect r = BarRect(bar);
    if (r.Width() <= 0) continue;
    SCROLLINFO si;
    si.fMask = SIF_ALL;
    GetScrollInfo(h, bar, &si);
    Paint(dc, r, bar == SB_VERT, si, bar == bar_ && inPart_ ? part_ : spNone, owner_->Enabled());
  }
  TRect v = BarRect(SB_VERT), hz = BarRect(SB_HORZ);
  if (v.Width() > 0 && hz.Width() > 0) stddraw::FillSolid(dc, rtl::Rect(v.Left, hz.Top, v.Right, hz.Bottom), gdi::clBtnFace);
  ReleaseDC(h, dc);
}

bool TWindowScrollBars::AutoShow(int bar) {
  HWND h = Hwnd();
  if (!h) return false;
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  GetScrollInfo(h, bar, &si);
  bool need = si.nPage > 0 && int(si.nPage) < si.nMax - si.nMin + 1;
  DWORD bit = bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL;
  bool has = (DWORD(GetWindowLongPtrW(h, GWL_STYLE)) & bit) != 0;
  if (need == has) return false;
  ShowScrollBar(h, bar, need);
  return true;
}

TPoint TWindowScrollBars::WindowPoint(LPARAM clientPoint) {
  HWND h = Hwnd();
  RECT wr;
  GetWindowRect(h, &wr);
  POINT o{GET_X_LPARAM(clientPoint), GET_Y_LPARAM(clientPoint)};
  ::win::ClientToScreen(h, &o);
  return {o.X - wr.Left, o.Y - wr.Top};
}

void TWindowScrollBars::Send(int bar, WORD code, int pos) {
  SendMessageW(Hwnd(), bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(code, WORD(pos & 0xFFFF)), 0);
}

void TWindowScrollBars::Step() {
  if (!inPart_) return;
  switch (part_) {
    case spLineUp: Send(bar_, SB_LINEUP); break;
    case spLineDown: Send(bar_, SB_LINEDOWN); break;
    case spPageUp: Send(bar_, SB_PAGEUP); break;
    case spPageDown: Send(bar_, SB_PAGEDOWN); break;
    default: break;
  }
}

void TWindowScrollBars::StopTracking() {
  if (timer_ && Hwnd()) KillTimer(Hwnd(), kBarTimer);
  timer_ = 0;
  bar_ = -1;
  part_ = spNone;
  inPart_ = false;
}

bool TWindowScrollBars::Handle(TMessage& m) {
  HWND h = Hwnd();
  if (!h) return false;
  switch (m.Msg) {
    case WM_NCPAINT:
      owner_->DefaultHandler(m);
      Refresh();
      return true;
    case WM_NCHITTEST: {
      owner_->DefaultHandler(m);
      if (m.Result != HTBORDER && m.Result != HTNOWHERE) return true;
      RECT wr;
      GetWindowRect(h, &wr);
      TPoint p{GET_X_LPARAM(m.LParam) - wr.Left, GET_Y_LPARAM(m.LParam) - wr.Top};
      if (BarRect(SB_VERT).Contains(p)) m.Result = HTVSCROLL;
      else if (BarRect(SB_HORZ).Contains(p)) m.Result = HTHSCROLL;
      return true;
    }
    case WM_NCLBUTTONDOWN: case WM_NCLBUTTONDBLCLK: {
      if (m.WParam != WPARAM(HTVSCROLL) && m.WParam != WPARAM(HTHSCROLL)) return false;
      int bar = m.WParam == WPARAM(HTVSCROLL) ? SB_VERT : SB_HORZ;
      RECT wr;
      GetWindowRect(h, &wr);
      TPoint p{GET_X_LPARAM(m.LParam) - wr.Left, GET_Y_LPARAM(m.LParam) - wr.Top};
      TPart part = HitPart(bar, p);
      if (part == spNone || !owner_->Enabled()) return true;
      if (owner_->CanFocus() && !owner_->Focused() && owner_->TabStop()) owner_->SetFocus();
      bar_ = bar;
      part_ = part;
      inPart_ = true;
      SetCapture(h);
      if (part == spThumb) {
        thumbGrab_ = Coord(p, bar == SB_VERT) - Start(PartRect(bar, spThumb), bar == SB_VERT);
      } else {
        Step();
        timer_ = SetTimer(h, kBarTimer, kScrollFirstDelay, nullptr);
      }
      Refresh();
      return true;
    }
    default: break;
  }
  if (bar_ < 0) return false;
  switch (m.Msg) {
    case WM_MOUSEMOVE: {
      TPoint p = WindowPoint(m.LParam);
      bool vertical = bar_ == SB_VERT;
      if (part_ == spThumb) {
        SCROLLINFO si;
        si.fMask = SIF_ALL;
        GetScrollInfo(h, bar_, &si);
        int pos = PosFromThumb(BarRect(bar_), vertical, si, Coord(p, vertical) - thumbGrab_);
        SCROLLINFO t;
        t.fMask = SIF_TRACKPOS;
        t.nTrackPos = pos;
        SetScrollInfo(h, bar_, &t, FALSE);
        Send(bar_, SB_THUMBTRACK, pos);
      } else {
        bool in = PartRect(bar_, part_).Contains(p);
        if (in != inPart_) {
          inPart_ = in;
          Refresh();
        }
      }
      return true;
    }
    case WM_LBUTTONUP: {
      int bar = bar_;
      bool thumb = part_ == spThumb;
      SCROLLINFO si;
      si.fMask = SIF_TRACKPOS | SIF_POS;
      GetScrollInfo(h, bar, &si);
      StopTracking();
      if (GetCapture() == h) ReleaseCapture();
      if (thumb) Send(bar, SB_THUMBPOSITION, si.nTrackPos);
      Send(bar, SB_ENDSCROLL);
      Refresh();
      return true;
    }
    case WM_TIMER:
      if (m.WParam != kBarTimer) return false;
      // Page steps stop once the thumb reaches the pointer.
      if (part_ == spPageUp || part_ == spPageDown) {
        POINT sp;
        GetCursorPos(&sp);
        RECT wr;
        GetWindowRect(h, &wr);
        inPart_ = PartRect(bar_, part_).Contains(TPoint{sp.X - wr.Left, sp.Y - wr.Top});
      }
      Step();
      timer_ = SetTimer(h, kBarTimer, kScrollRepeat, nullptr);
      Refresh();
      return true;
    case WM_CAPTURECHANGED:
      StopTracking();
      Refresh();
      return false;
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: case WM_RBUTTONDOWN: case WM_RBUTTONUP: return true;
    default: return false;
  }
}

// ------------------------------------------------------------------ TScrollBar
TScrollBar::TScrollBar(TComponent* owner) : TCustomControl(owner) {
  SetControlStyle({csDoubleClicks, csOpaque});
  SetBounds(0, 0, 121, GetSystemMetrics(SM_CYHSCROLL));
  SetTabStop(true);
  SetColor(gdi::clBtnFace);
}

void TScrollBar::SetKind(TScrollBarKind v) {
  if (kind_ == v) return;
  kind_ = v;
  // A bar shaped for the other kind turns round.
  if ((v == sbVertical) == (Width() > Height())) SetBounds(Left(), Top(), Height(), Width());
  Invalidate();
}

SCROLLINFO TScrollBar::Info() const {
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  si.nMin = min_;
  si.nMax = max_;
  si.nPage = UINT(pageSize_);
  si.nPos = position_;
  return si;
}

void TScrollBar::SetParams(int position, int min, int max) {
  if (max < min) throw rtl::EInvalidOperation(u"Scroll bar property out of range");
  position = std::clamp(position, min, std::max(min, max - std::max(pageSize_ - 1, 0)));
  bool changed = position != position_;
  min_ = min, max_ = max, position_ = position;
  Invalidate();
  if (changed) Change();
}

void TScrollBar::SetPageSize(int v) {
  pageSize_ = std::clamp(v, 0, max_ - min_ + 1);
  SetParams(position_, min_, max_);
}

void TScrollBar::Change() {
  if (OnChange) OnChange(this);
}

void TScrollBar::Scroll(TScrollCode code, int& pos) {
  if (OnScroll) OnScroll(this, code, pos);
}

void TScrollBar::DoScroll(TScrollCode code) {
  int pos = position_;
  switch (code) {
    case scLineUp: pos -= smallChange_; break;
    case scLineDown: pos += smallChange_; break;
    case scPageUp: pos -= largeChange_; break;
    case scPageDown: pos += largeChange_; break;
    case scTop: pos = min_; break;
    case scBottom: pos = max_; break;
    default: break;
  }
  pos = std::clamp(pos, min_, std::max(min_, max_ - std::max(pageSize_ - 1, 0)));
  TLiveness live = Liveness();
  Scroll(code, pos);
  if (!live.Alive()) return;
  SetPosition(pos);
  if (Parent() && HandleAllocated()) {
    static const WORD codes[] = {SB_LINEUP, SB_LINEDOWN, SB_PAGEUP, SB_PAGEDOWN, SB_THUMBPOSITION,
                                 SB_THUMBTRACK, SB_TOP, SB_BOTTOM, SB_ENDSCROLL};
    Parent()->Perform(kind_ == sbVertical ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(codes[code], WORD(position_)),
                      LPARAM(reinterpret_cast<std::intptr_t>(Handle())));
  }
}

TWindowScrollBars::TPart TScrollBar::PartAt(TPoint p) {
  SCROLLINFO si = Info();
  for (auto part : {TWindowScrollBars::spLineUp, TWindowScrollBars::spLineDown, TWindowScrollBars::spThumb,
                    TWindowScrollBars::spPageUp, TWindowScrollBars::spPageDown})
    if (TWindowScrollBars::PartIn(ClientRect(), kind_ == sbVertical, si, part).Contains(p)) return part;
  return TWindowScrollBars::spNone;
}

void TScrollBar::Step() {
  if (!inPart_) return;
  switch (part_) {
    case TWindowScrollBars::spLineUp: DoScroll(scLineUp); break;
    case TWindowScrollBars::spLineDown: DoScroll(scLineDown); break;
    case TWindowScrollBars::spPageUp: DoScroll(scPageUp); break;
    case TWindowScrollBars::spPageDown: DoScroll(scPageDown); break;
    default: break;
  }
}

void TScrollBar::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TLiveness live = Liveness();
  if (CanFocus() && !Focused()) SetFocus();
  if (!live.Alive()) return;
  if (button == mbLeft) {
    part_ = PartAt({x, y});
    inPart_ = part_ != TWindowScrollBars::spNone;
    if (inPart_) {
      SetMouseCapture(true);
      if (part_ == TWindowScrollBars::spThumb) {
        TRect t = TWindowScrollBars::PartIn(ClientRect(), kind_ == sbVertical, Info(), part_);
        thumbGrab_ = kind_ == sbVertical ? y - t.Top : x - t.Left;
      } else {
        Step();
        if (!live.Alive()) return;
        timer_ = SetTimer(Handle(), kBarTimer, kScrollFirstDelay, nullptr);
      }
      Invalidate();
    }
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TScrollBar::MouseMove(TShiftState shift, int x, int y) {
  if (part_ == TWindowScrollBars::spThumb && MouseCapture()) {
    bool v = kind_ == sbVertical;
    int pos = TWindowScrollBars::PosFromThumb(ClientRect(), v, Info(), (v ? y : x) - thumbGrab_);
    TLiveness live = Liveness();
    Scroll(scTrack, pos);
    if (!live.Alive()) return;
    SetPosition(pos);
    if (Parent())
      Parent()->Perform(v ? WM_VSCROLL : WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, WORD(position_)),
                        LPARAM(reinterpret_cast<std::intptr_t>(Handle())));
  } else if (part_ != TWindowScrollBars::spNone) {
    bool in = PartAt({x, y}) == part_;
    if (in != inPart_) {
      inPart_ = in;
      Invalidate();
    }
  }
  TCustomControl::MouseMove(shift, x, y);
}

void TScrollBar::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (part_ != TWindowScrollBars::spNone && button == mbLeft) {
    bool thumb = part_ == TWindowScrollBars::spThumb;
    part_ = TWindowScrollBars::spNone;
    inPart_ = false;
    if (timer_) KillTimer(Handle(), kBarTimer);
    timer_ = 0;
    SetMouseCapture(false);
    TLiveness live = Liveness();
    if (thumb) DoScroll(scPosition);
    if (live.Alive()) DoScroll(scEndScroll);
    if (!live.Alive()) return;
    Invalidate();
  }
  TCustomControl::MouseUp(button, shift, x, y);
}

void TScrollBar::KeyDown(rtl::Word& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  bool v = kind_ == sbVertical;
  switch (key) {
    case VK_UP: if (v) DoScroll(scLineUp); else return; break;
    case VK_LEFT: if (!v) DoScroll(scLineUp); else return; break;
    case VK_DOWN: if (v) DoScroll(scLineDown); else return; break;
    case VK_RIGHT: if (!v) DoScroll(scLineDown); else return; break;
    case VK_PRIOR: DoScroll(scPageUp); break;
    case VK_NEXT: DoScroll(scPageDown); break;
    case VK_HOME: DoScroll(scTop); break;
    case VK_END: DoScroll(scBottom); break;
    default: return;
  }
  key = 0;
}

void TScrollBar::Paint() {
  TWindowScrollBars::Paint(Canvas()->Handle(), ClientRect(), kind_ == sbVertical, Info(),
                           inPart_ ? part_ : TWindowScrollBars::spNone, Enabled());
  if (Focused()) {
    TRect t = TWindowScrollBars::PartIn(ClientRect(), kind_ == sbVertical, Info(), TWindowScrollBars::spThumb);
    if (t.Width() > 4) Canvas()->DrawFocusRect(rtl::Rect(t.Left + 2, t.Top + 2, t.Right - 2, t.Bottom - 2));
  }
}

void TScrollBar::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_GETDLGCODE: m.Result = DLGC_WANTARROWS; return;
    case WM_TIMER:
      if (m.WParam == kBarTimer) {
        if (part_ == TWindowScrollBars::spPageUp || part_ == TWindowScrollBars::spPageDown) {
          POINT sp;
          GetCursorPos(&sp);
          inPart_ = PartAt(ScreenToClient({sp.X, sp.Y})) == part_;
        }
        TLiveness live = Liveness();
        Step();
        if (live.Alive() && part_ != TWindowScrollBars::spNone)
          timer_ = SetTimer(Handle(), kBarTimer, kScrollRepeat, nullptr);
        return;
      }
      break;
    case WM_SETFOCUS: case WM_KILLFOCUS: Invalidate(); break;
    default: break;
  }
  TCustomControl::Dispatch(m);
}

}  // namespace forms
