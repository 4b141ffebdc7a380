// Formatted text: DrawText's line breaking, prefixes, tabs, ellipses and
// alignment, and tabbed output.
#include <algorithm>

#include "platform/gdi/TextRender.h"

namespace gdi {

namespace {

struct Line {
  std::u32string s;
  std::vector<char> ul;  // underlined (accelerator) characters
};

bool IsCjk(char32_t c) {
  return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0xFF00 && c <= 0xFFEF) || (c >= 0x20000 && c <= 0x2FFFF);
}

struct Layout {
  FontFace* face;
  bool expandTabs;
  int tabWidth;

  int Advance(const std::u32string& s, std::size_t i, int x) const {
    if (s[i] == U'\t' && expandTabs && tabWidth > 0) return (x / tabWidth + 1) * tabWidth - x;
    return face->Advance(s[i]);
  }
  int Width(const std::u32string& s, std::size_t from = 0, std::size_t to = std::u32string::npos) const {
    to = std::min(to, s.size());
    int x = 0;
    for (std::size_t i = from; i < to; ++i) x += Advance(s, i, x);
    return x;
  }
};

Line Sub(const Line& l, std::size_t from, std::size_t to) {
  return {l.s.substr(from, to - from), std::vector<char>(l.ul.begin() + from, l.ul.begin() + to)};
}

void Append(Line& l, const std::u32string& s) {
  l.s += s;
  l.ul.resize(l.s.size(), 0);
}

// Splits one paragraph into lines no wider than `width` where breaks allow:
// after spaces and around CJK characters. A word wider than the line stays whole.
void WrapParagraph(const Line& p, const Layout& lay, int width, std::vector<Line>& out) {
  std::size_t start = 0;
  while (start < p.s.size()) {
    int x = 0;
    std::size_t i = start, lastBreak = std::u32string::npos;
    for (; i < p.s.size(); ++i) {
      const int a = lay.Advance(p.s, i, x);
      if (x + a > width && i > start && p.s[i] != U' ') {
        break;
      }
      x += a;
      if (p.s[i] == U' ' || p.s[i] == U'\t') lastBreak = i + 1;
      else if (IsCjk(p.s[i])) lastBreak = i + 1;
      if (i + 1 < p.s.size() && IsCjk(p.s[i + 1])) lastBreak = i + 1;
    }
    std::size_t end = i;
    if (i < p.s.size() && lastBreak != std::u32string::npos && lastBreak > start) end = lastBreak;
    if (i < p.s.size() && (lastBreak == std::u32string::npos || lastBreak <= start)) {
      // No break inside: run to the end of the word.
      end = i;
      while (end < p.s.size() && p.s[end] != U' ' && !IsCjk(p.s[end])) ++end;
    }
    std::size_t trimmed = end;
    while (trimmed > start && p.s[trimmed - 1] == U' ') --trimmed;
    out.push_back(Sub(p, start, trimmed));
    start = end;
    while (start < p.s.size() && p.s[start] == U' ') ++start;
  }
  if (p.s.empty()) out.push_back(p);
}

const std::u32string kEllipsis = U"...";

Line EndEllipsis(const Line& l, const Layout& lay, int width) {
  if (lay.Width(l.s) <= width) return l;
  const int ew = lay.Width(kEllipsis);
  std::size_t n = l.s.size();
  while (n > 0 && lay.Width(l.s, 0, n) + ew > width) --n;
  Line r = Sub(l, 0, n);
  Append(r, kEllipsis);
  return r;
}

Line PathEllipsis(const Line& l, const Layout& lay, int width) {
  if (lay.Width(l.s) <= width) return l;
  const std::size_t sep = l.s.find_last_of(U"\\/");
  if (sep == std::u32string::npos || sep == 0) return EndEllipsis(l, lay, width);
  const Line tail = Sub(l, sep, l.s.size());
  const int tw = lay.Width(tail.s) + lay.Width(kEllipsis);
  if (tw > width) {
    // Not even the file name fits: keep as much of it as possible.
    Line r;
    Append(r, kEllipsis);
    r.s += tail.s;
    r.ul.insert(r.ul.end(), tail.ul.begin(), tail.ul.end());
    return EndEllipsis(r, lay, width);
  }
  std::size_t n = sep;
  while (n > 0 && lay.Width(l.s, 0, n) + tw > width) --n;
  Line r = Sub(l, 0, n);
  Append(r, kEllipsis);
  r.s += tail.s;
  r.ul.insert(r.ul.end(), tail.ul.begin(), tail.ul.end());
  return r;
}

}  // namespace

int DrawTextEx(HDC h, WCHAR* text, int count, RECT* rc, UINT fmt, DRAWTEXTPARAMS* params) {
  std::lock_guard lock(GdiLock());
  DeviceContext* dc = CheckedDC(h);
  if (!dc || !rc || (!text && count != 0)) return 0;
  if (count < 0) {
    count = 0;
    while (text[count]) ++count;
  }
  FontFace* face = CurrentFace(dc);
  if (!face) return 0;
  const TEXTMETRICW& tm = face->Metrics();
  int tabChars = 8;
  if (fmt & DT_TABSTOP) {
    tabChars = int((fmt >> 8) & 0xFF);
    fmt &= ~0xFF00u;
  }
  if (params && params->iTabLength > 0) tabChars = params->iTabLength;
  const Layout lay{face, (fmt & DT_EXPANDTABS) != 0, tabChars * tm.tmAveCharWidth};
  const int lineH = tm.tmHeight + ((fmt & DT_EXTERNALLEADING) ? tm.tmExternalLeading : 0);
  RECT r = *rc;
  if (params) {
    r.Left += params->iLeftMargin;
    r.Right -= params->iRightMargin;
    params->uiLengthDrawn = UINT(count);
  }

  // Accelerator prefixes: "&x" underlines x, "&&" is one '&'.
  Line all;
  const std::u32string cps = ToCodePoints(text, count);
  for (std::size_t i = 0; i < cps.size(); ++i) {
    char32_t c = cps[i];
    bool ul = false;
    if (c == U'&' && !(fmt & DT_NOPREFIX)) {
      if (i + 1 >= cps.size()) continue;
      c = cps[++i];
      ul = c != U'&' && !(fmt & DT_HIDEPREFIX);
    }
    all.s.push_back(c);
    all.ul.push_back(ul);
  }

  std::vector<Line> lines;
  const int width = r.Width();
  if (fmt & DT_SINGLELINE) {
    for (char32_t& c : all.s)
      if (c == U'\r' || c == U'\n') c = U' ';
    lines.push_back(all);
  } else {
    std::size_t start = 0;
    for (std::size_t i = 0; i <= all.s.size(); ++i) {
      if (i < all.s.size() && all.s[i] != U'\n' && all.s[i] != U'\r') continue;
      const Line para = Sub(all, start, i);
      if (fmt & DT_WORDBREAK) WrapParagraph(para, lay, width, lines);
      else lines.push_back(para);
      if (i < all.s.size() && all.s[i] == U'\r' && i + 1 < all.s.size() && all.s[i + 1] == U'\n') ++i;
      start = i + 1;
    }
  }
  if (fmt & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS)) {
    for (Line& l : lines) l = (fmt & DT_PATH_ELLIPSIS) ? PathEllipsis(l, lay, width) : EndEllipsis(l, lay, width);
  }

  int maxW = 0;
  std::vector<int> widths;
  for (const Line& l : lines) {
    widths.push_back(lay.Width(l.s));
    maxW = std::max(maxW, widths.back());
  }
  const int total = lineH * int(lines.size());
  if (fmt & DT_CALCRECT) {
    if (!lines.empty() && !(lines.size() == 1 && lines[0].s.empty())) rc->Right = rc->Left + maxW;
    else rc->Right = rc->Left;
    rc->Bottom = rc->Top + total;
    if (params) rc->Right += params->iLeftMargin + params->iRightMargin;
    return total;
  }

  int y = r.Top;
  if (fmt & DT_SINGLELINE) {
    if (fmt & DT_VCENTER) y = r.Top + (r.Height() - lineH) / 2;
    else if (fmt & DT_BOTTOM) y = r.Bottom - lineH;
  }
  const POINT a = dc->toSurface(r.Left, r.Top), b = dc->toSurface(r.Right, r.Bottom);
  const Region clip = (fmt & DT_NOCLIP) ? dc->clipRegion() : dc->clipRegion().Intersect({a.X, a.Y, b.X, b.Y});
  const std::uint32_t color = RefToPixel(dc->st.textColor);
  std::vector<int> adv;
  for (std::size_t k = 0; k < lines.size(); ++k, y += lineH) {
    const Line& l = lines[k];
    int x = r.Left;
    if (fmt & DT_CENTER) x = r.Left + (width - widths[k]) / 2;
    else if (fmt & DT_RIGHT) x = r.Right - widths[k];
    const POINT p = dc->toSurface(x, y);
    adv.assign(l.s.size(), 0);
    int pos = 0;
    for (std::size_t i = 0; i < l.s.size(); ++i) {
      adv[i] = lay.Advance(l.s, i, pos);
      pos += adv[i];
    }
    if (dc->st.bkMode == OPAQUE)
      FillSurfaceSolid(dc, clip.Intersect({p.X, p.Y, p.X + widths[k], p.Y + lineH}), RefToPixel(dc->st.bkColor));
    DrawRun(dc, face, p.X, p.Y + face->Ascent(), l.s.data(), int(l.s.size()), adv.data(), clip, color);
    int ux = p.X;
    for (std::size_t i = 0; i < l.s.size(); ++i) {
      if (l.ul[i]) {
        const int uy = p.Y + face->Ascent() + face->UnderlinePos();
        FillSurfaceSolid(dc, clip.Intersect({ux, uy, ux + adv[i], uy + face->UnderlineThickness()}), color);
      }
      ux += adv[i];
    }
  }
  return (y - lineH * int(lines.size())) - r.Top + total;
}

int DrawText(HDC h, const WCHAR* text, int count, RECT* r, UINT fmt) {
  return DrawTextEx(h, const_cast<WCHAR*>(text), count, r, fmt & ~DT_MODIFYSTRING, nullptr);
}

LONG TabbedTextOut(HDC h, int x, int y, const WCHAR* text, int count, int nTabs, const int* tabs, int tabOrigin) {
  std::lock_guard lock(GdiLock());
  DeviceContext* dc = CheckedDC(h);
  if (!dc || count < 0 || (!text && count)) return 0;
  FontFace* face = CurrentFace(dc);
  if (!face) return 0;
  const std::u32string s = ToCodePoints(text, count);
  const int defTab = 8 * face->Metrics().tmAveCharWidth;
  std::vector<int> adv(s.size());
  int pos = x;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == U'\t') {
      int next = pos + 1;
      if (!tabs || nTabs <= 0 || nTabs == 1) {
        const int step = (tabs && nTabs == 1 && tabs[0] > 0) ? tabs[0] : defTab;
        next = step > 0 ? tabOrigin + ((pos - tabOrigin) / step + 1) * step : pos;
      } else {
        next = pos;
        for (int k = 0; k < nTabs; ++k)
          if (tabOrigin + tabs[k] > pos) {
            next = tabOrigin + tabs[k];
            break;
          }
      }
      adv[i] = next - pos;
    } else {
      adv[i] = face->Advance(s[i]);
    }
    pos += adv[i];
  }
  const POINT p = dc->toSurface(x, y);
  const Region& clip = dc->clipRegion();
  if (dc->st.bkMode == OPAQUE)
    FillSurfaceSolid(dc, clip.Intersect({p.X, p.Y, p.X + pos - x, p.Y + face->Height()}), RefToPixel(dc->st.bkColor));
  DrawRun(dc, face, p.X, p.Y + face->Ascent(), s.data(), int(s.size()), adv.data(), clip, RefToPixel(dc->st.textColor));
  return LONG((std::uint32_t(face->Height()) << 16) | (std::uint32_t(pos - x) & 0xFFFF));
}

}  // namespace gdi
