// Scroll state of windows' own bars, kept as Windows keeps it (range, page,
// position clamped so that the last page ends at the maximum).
#include <algorithm>

#include "platform/win/WindowObject.h"

namespace win {

using namespace detail;

namespace {

SCROLLINFO* Bar(HWND h, int bar) {
  Window* w = Get(h);
  if (!w || (bar != SB_HORZ && bar != SB_VERT)) return nullptr;
  return &w->scroll[bar];
}

void Clamp(SCROLLINFO& s) {
  int range = std::max(0, s.nMax - s.nMin + 1);
  s.nPage = std::min<UINT>(s.nPage, UINT(range));
  int maxPos = s.nMax - std::max(int(s.nPage) - 1, 0);
  s.nPos = std::clamp(s.nPos, s.nMin, std::max(s.nMin, maxPos));
}

}  // namespace

int SetScrollInfo(HWND h, int bar, const SCROLLINFO* si, BOOL) {
  SCROLLINFO* s = Bar(h, bar);
  if (!s || !si) return 0;
  if (si->fMask & SIF_RANGE) s->nMin = si->nMin, s->nMax = si->nMax;
  if (si->fMask & SIF_PAGE) s->nPage = si->nPage;
  if (si->fMask & SIF_POS) s->nPos = si->nPos;
  if (si->fMask & SIF_TRACKPOS) s->nTrackPos = si->nTrackPos;
  Clamp(*s);
  return s->nPos;
}

BOOL GetScrollInfo(HWND h, int bar, SCROLLINFO* si) {
  SCROLLINFO* s = Bar(h, bar);
  if (!s || !si) return FALSE;
  if (si->fMask & SIF_RANGE) si->nMin = s->nMin, si->nMax = s->nMax;
  if (si->fMask & SIF_PAGE) si->nPage = s->nPage;
  if (si->fMask & SIF_POS) si->nPos = s->nPos;
  if (si->fMask & SIF_TRACKPOS) si->nTrackPos = s->nTrackPos;
  return TRUE;
}

int SetScrollPos(HWND h, int bar, int pos, BOOL redraw) {
  SCROLLINFO* s = Bar(h, bar);
  if (!s) return 0;
  int old = s->nPos;
  SCROLLINFO si;
  si.fMask = SIF_POS;
  si.nPos = pos;
  SetScrollInfo(h, bar, &si, redraw);
  return old;
}

int GetScrollPos(HWND h, int bar) {
  SCROLLINFO* s = Bar(h, bar);
  return s ? s->nPos : 0;
}

BOOL SetScrollRange(HWND h, int bar, int minPos, int maxPos, BOOL redraw) {
  SCROLLINFO si;
  si.fMask = SIF_RANGE;
  si.nMin = minPos;
  si.nMax = maxPos;
  if (!Bar(h, bar)) return FALSE;
  SetScrollInfo(h, bar, &si, redraw);
  return TRUE;
}

BOOL GetScrollRange(HWND h, int bar, int* minPos, int* maxPos) {
  SCROLLINFO* s = Bar(h, bar);
  if (!s) return FALSE;
  if (minPos) *minPos = s->nMin;
  if (maxPos) *maxPos = s->nMax;
  return TRUE;
}

BOOL ShowScrollBar(HWND h, int bar, BOOL show) {
  Window* w = Get(h);
  if (!w) return FALSE;
  DWORD bits = bar == SB_HORZ ? WS_HSCROLL : bar == SB_VERT ? WS_VSCROLL : bar == SB_BOTH ? (WS_HSCROLL | WS_VSCROLL) : 0;
  if (!bits) return FALSE;
  DWORD style = show ? (w->style | bits) : (w->style & ~bits);
  if (style == w->style) return TRUE;
  w->style = style;
  SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  return TRUE;
}

}  // namespace win
