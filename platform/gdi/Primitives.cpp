// Pens, brushes and the drawing primitives: lines, shapes, fills, frames.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "platform/gdi/GdiObjects.h"

namespace gdi {

namespace {
constexpr std::uint32_t kRgb = 0x00FFFFFF;

HBRUSH ResolveBrush(HBRUSH b) {
  // Windows accepts a system colour index + 1 in place of a brush.
  const auto v = reinterpret_cast<std::uintptr_t>(b);
  if (v >= 1 && v <= 31) return GetSysColorBrush(int(v - 1));
  return Checked(b, OBJ_BRUSH);
}

int Mod(int a, int m) {
  const int r = a % m;
  return r < 0 ? r + m : r;
}
}  // namespace

COLORREF BrushColor(DeviceContext* dc, BrushObject* b) { return b->dcBrush ? dc->st.dcBrushColor : b->lb.lbColor; }
COLORREF PenColor(DeviceContext* dc, PenObject* p) { return p->dcPen ? dc->st.dcPenColor : p->lp.lopnColor; }

std::uint32_t BrushPixelAt(DeviceContext* dc, BrushObject* b, int x, int y, bool* transparent) {
  *transparent = false;
  const int px = Mod(x - dc->origin.X - dc->st.brushOrg.X, 8), py = Mod(y - dc->origin.Y - dc->st.brushOrg.Y, 8);
  switch (b->lb.lbStyle) {
    case BS_SOLID: return RefToPixel(BrushColor(dc, b));
    case BS_HATCHED: {
      bool on = false;
      switch (int(b->lb.lbHatch)) {
        case HS_HORIZONTAL: on = py == 0; break;
        case HS_VERTICAL: on = px == 0; break;
        case HS_FDIAGONAL: on = px == py; break;
        case HS_BDIAGONAL: on = px == 7 - py; break;
        case HS_CROSS: on = px == 0 || py == 0; break;
        default: on = px == py || px == 7 - py; break;
      }
      if (on) return RefToPixel(b->lb.lbColor);
      *transparent = dc->st.bkMode == TRANSPARENT;
      return RefToPixel(dc->st.bkColor);
    }
    case BS_PATTERN:
      if (b->pattern) {
        const Surface& p = *b->pattern;
        return p.GetPixel(Mod(x - dc->origin.X - dc->st.brushOrg.X, p.Width()),
                          Mod(y - dc->origin.Y - dc->st.brushOrg.Y, p.Height()));
      }
      [[fallthrough]];
    default: *transparent = true; return 0;
  }
}

void Rop2Span(std::uint32_t* px, int n, std::uint32_t c, int rop2) {
  const unsigned code = unsigned(rop2 - 1) & 0xF;
  for (int i = 0; i < n; ++i) {
    const std::uint32_t d = px[i];
    std::uint32_t r;
    switch (rop2) {
      case R2_COPYPEN: r = c; break;
      case R2_XORPEN: r = d ^ c; break;
      case R2_NOT: r = ~d; break;
      case R2_NOP: r = d; break;
      default: {
        r = 0;
        for (unsigned k = 0; k < 4; ++k)
          if ((code >> k) & 1) r |= ((k & 2) ? c : ~c) & ((k & 1) ? d : ~d);
      }
    }
    px[i] = (d & ~kRgb) | (r & kRgb);
  }
}

void PenSpan(DeviceContext* dc, int y, int x0, int x1, std::uint32_t color) {
  Surface* s = dc->surface();
  if (!s || x0 >= x1) return;
  std::vector<std::uint32_t> scratch;
  for (const RECT& c : dc->clipRegion().Rects()) {
    if (c.Top > y) break;
    if (y >= c.Bottom) continue;
    const int a = std::max(x0, c.Left), b = std::min(x1, c.Right);
    if (a >= b) continue;
    std::uint32_t* d = s->Span(a, y, b - a, scratch);
    Rop2Span(d, b - a, color, dc->st.rop2);
    s->Commit(a, y, b - a, d);
  }
}

namespace {
// Fills a region (surface coordinates) with a brush through the DC's binary
// raster operation (`useRop2`) or as a plain pattern copy.
void FillRegionWith(DeviceContext* dc, const Region& area, BrushObject* b, bool useRop2) {
  Surface* s = dc->surface();
  if (!s || !b || b->lb.lbStyle == BS_NULL) return;
  const Region clipped = Region::Combine(area, dc->clipRegion(), Region::Op::And);
  std::vector<std::uint32_t> scratch;
  const int rop2 = useRop2 ? dc->st.rop2 : R2_COPYPEN;
  const bool solid = b->lb.lbStyle == BS_SOLID;
  const std::uint32_t solidColor = solid ? RefToPixel(BrushColor(dc, b)) : 0;
  for (const RECT& c : clipped.Rects()) {
    const int n = c.Width();
    for (int y = c.Top; y < c.Bottom; ++y) {
      std::uint32_t* d = s->Span(c.Left, y, n, scratch);
      if (solid) {
        if (rop2 == R2_COPYPEN) {
          for (int i = 0; i < n; ++i) d[i] = (d[i] & ~kRgb) | solidColor;
        } else {
          Rop2Span(d, n, solidColor, rop2);
        }
      } else {
        for (int i = 0; i < n; ++i) {
          bool transparent = false;
          const std::uint32_t p = BrushPixelAt(dc, b, c.Left + i, y, &transparent);
          if (!transparent) Rop2Span(d + i, 1, p & kRgb, rop2);
        }
      }
      s->Commit(c.Left, y, n, d);
    }
  }
}

struct PenInfo {
  PenObject* pen;
  std::uint32_t color;
  int width;
  UINT style;

  bool Draws() const { return style != PS_NULL && pen; }
  // How far an outline reaches into a shape: nothing for a pen that draws none.
  int OutlineWidth() const { return Draws() ? width : 0; }
};

PenInfo CurrentPen(DeviceContext* dc) {
  PenObject* p = Checked(dc->st.pen, OBJ_PEN);
  PenInfo info{p, 0, 1, PS_NULL};
  if (!p) return info;
  info.color = RefToPixel(PenColor(dc, p));
  // Wider pens than any surface cover the same pixels; the bound keeps the
  // cost of a stamp along a line, and the shape arithmetic, finite.
  constexpr int kMaxPenWidth = 10000;
  info.width = std::clamp(int(p->lp.lopnWidth.X), 1, kMaxPenWidth);
  info.style = p->lp.lopnStyle & 0xF;
  return info;
}

void PlotPen(DeviceContext* dc, const PenInfo& pen, int x, int y, std::uint32_t color) {
  // x, y in surface coordinates; wide pens are square stamps around the point.
  // Only the rows and columns the clip shows are visited, so an absurd pen
  // width costs no more than the clip box.
  const std::int64_t w = pen.width;
  const std::int64_t x0 = std::int64_t(x) - (w - 1) / 2, y0 = std::int64_t(y) - (w - 1) / 2;
  const RECT box = dc->clipRegion().Box();
  const int top = int(std::max<std::int64_t>(y0, box.Top)), bottom = int(std::min<std::int64_t>(y0 + w, box.Bottom));
  const int left = int(std::max<std::int64_t>(x0, box.Left)), right = int(std::min<std::int64_t>(x0 + w, box.Right));
  for (int yy = top; yy < bottom; ++yy) PenSpan(dc, yy, left, right, color);
}

// Bresenham from a to b (surface coordinates), end point excluded. `phase`
// carries the dash position from one segment to the next.
// Cuts a very long segment to the part near the visible area (Liang-Barsky);
// false when nothing of it is near. Ordinary lines are left exact.
bool ClipLongLine(const RECT& box, POINT& a, POINT& b) {
  const double dx = double(b.X) - a.X, dy = double(b.Y) - a.Y;
  if (std::max(std::abs(dx), std::abs(dy)) <= kShapeLimit) return true;
  double t0 = 0, t1 = 1;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {double(a.X) - box.Left, double(box.Right) - a.X, double(a.Y) - box.Top,
                       double(box.Bottom) - a.Y};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0) t0 = std::max(t0, t);
    else t1 = std::min(t1, t);
  }
  if (t0 > t1) return false;
  const POINT na{int(std::lround(a.X + t0 * dx)), int(std::lround(a.Y + t0 * dy))};
  const POINT nb{int(std::lround(a.X + t1 * dx)), int(std::lround(a.Y + t1 * dy))};
  a = na;
  b = nb;
  return true;
}

void DrawLine(DeviceContext* dc, const PenInfo& pen, POINT a, POINT b, int& phase) {
  if (!pen.Draws()) return;
  {
    const RECT clip = dc->clipRegion().Box();
    const auto grow = [&](int v, int sign) {
      return int(std::clamp<std::int64_t>(v + sign * (std::int64_t(pen.width) + 1), INT32_MIN, INT32_MAX));
    };
    const RECT box{grow(clip.Left, -1), grow(clip.Top, -1), grow(clip.Right, 1), grow(clip.Bottom, 1)};
    if (!ClipLongLine(box, a, b)) return;
  }
  static const int kDash[] = {18, 6}, kDot[] = {3, 3}, kDashDot[] = {9, 6, 3, 6},
                   kDashDotDot[] = {9, 3, 3, 3, 3, 3};
  const int* pattern = nullptr;
  int plen = 0;
  if (pen.width == 1) {
    switch (pen.style) {
      case PS_DASH: pattern = kDash; plen = 2; break;
      case PS_DOT: pattern = kDot; plen = 2; break;
      case PS_DASHDOT: pattern = kDashDot; plen = 4; break;
      case PS_DASHDOTDOT: pattern = kDashDotDot; plen = 6; break;
      default: break;
    }
  }
  int total = 0;
  for (int i = 0; i < plen; ++i) total += pattern[i];
  const int dx = std::abs(b.X - a.X), dy = -std::abs(b.Y - a.Y);
  const int sx = a.X < b.X ? 1 : -1, sy = a.Y < b.Y ? 1 : -1;
  int err = dx + dy;
  int x = a.X, y = a.Y;
  const std::uint32_t bk = RefToPixel(dc->st.bkColor);
  while (!(x == b.X && y == b.Y)) {
    bool on = true;
    if (pattern) {
      int pos = phase % total, k = 0;
      while (pos >= pattern[k]) pos -= pattern[k++];
      on = (k % 2) == 0;
      ++phase;
    }
    if (on)
      PlotPen(dc, pen, x, y, pen.color);
    else if (dc->st.bkMode == OPAQUE)
      PlotPen(dc, pen, x, y, bk);
    const int e2 = 2 * err;
    if (e2 >= dy) { err += dy; x += sx; }
    if (e2 <= dx) { err += dx; y += sy; }
  }
}

RECT SurfaceRect(DeviceContext* dc, int l, int t, int r, int b) {
  const POINT a = dc->toSurface(l, t), c = dc->toSurface(r, b);
  return {std::min(a.X, c.X), std::min(a.Y, c.Y), std::max(a.X, c.X), std::max(a.Y, c.Y)};
}

// Pen outline of a closed shape given as a region: the shape minus the same
// shape shrunk by the pen width.
void OutlineShape(DeviceContext* dc, const PenInfo& pen, const Region& outer, const Region& inner) {
  if (!pen.Draws()) return;
  const Region ring = Region::Combine(outer, inner, Region::Op::Diff);
  for (const RECT& r : ring.Rects())
    for (int y = r.Top; y < r.Bottom; ++y) PenSpan(dc, y, r.Left, r.Right, pen.color);
}

RECT Shrink(RECT r, int by) {
  const auto at = [](std::int64_t v) { return int(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX)); };
  return {at(std::int64_t(r.Left) + by), at(std::int64_t(r.Top) + by), at(std::int64_t(r.Right) - by),
          at(std::int64_t(r.Bottom) - by)};
}

// A closed shape: inside in the DC's brush, the ring up to outer in the pen.
void FillAndOutline(DeviceContext* dc, const PenInfo& pen, const Region& outer, const Region& inner) {
  FillRegionWith(dc, inner, Checked(dc->st.brush, OBJ_BRUSH), true);
  OutlineShape(dc, pen, outer, inner);
}
}  // namespace

void FillSurfaceRect(DeviceContext* dc, RECT r, BrushObject* brush, DWORD) {
  FillRegionWith(dc, Region(r), brush, false);
}

// ---- Objects ---------------------------------------------------------------

HPEN CreatePenIndirect(const LOGPEN* lp) {
  if (!lp) return nullptr;
  std::lock_guard lock(GdiLock());
  auto* p = new PenObject;
  p->lp = *lp;
  if ((p->lp.lopnStyle & 0xF) > PS_INSIDEFRAME) p->lp.lopnStyle = PS_SOLID;
  RegisterHandle(p);
  return p;
}
HPEN CreatePen(int style, int width, COLORREF c) {
  LOGPEN lp;
  lp.lopnStyle = UINT(style);
  lp.lopnWidth = {std::max(0, width), 0};
  lp.lopnColor = c;
  return CreatePenIndirect(&lp);
}
HBRUSH CreateBrushIndirect(const LOGBRUSH* lb) {
  if (!lb || lb->lbStyle == BS_PATTERN) return nullptr;
  std::lock_guard lock(GdiLock());
  auto* b = new BrushObject;
  b->lb = *lb;
  RegisterHandle(b);
  return b;
}
HBRUSH CreateSolidBrush(COLORREF c) {
  LOGBRUSH lb;
  lb.lbColor = c;
  return CreateBrushIndirect(&lb);
}
HBRUSH CreateHatchBrush(int hatch, COLORREF c) {
  LOGBRUSH lb;
  lb.lbStyle = BS_HATCHED;
  lb.lbColor = c;
  lb.lbHatch = std::uintptr_t(std::clamp(hatch, 0, 5));
  return CreateBrushIndirect(&lb);
}
HBRUSH CreatePatternBrush(HBITMAP bmp) {
  std::lock_guard lock(GdiLock());
  BitmapObject* o = Checked(bmp, OBJ_BITMAP);
  if (!o) return nullptr;
  const Surface& s = *o->surface;
  auto* b = new BrushObject;
  b->lb.lbStyle = BS_PATTERN;
  b->pattern = std::make_unique<Surface>(s.Width(), s.Height(), 32, true);
  for (int y = 0; y < s.Height(); ++y) s.ReadSpan(0, y, s.Width(), b->pattern->Row32(y));
  RegisterHandle(b);
  return b;
}

// ---- Lines -----------------------------------------------------------------

#define DC_OR_FAIL(fail)           \
  std::lock_guard lock(GdiLock()); \
  DeviceContext* dc = CheckedDC(h); \
  if (!dc) return fail

BOOL MoveToEx(HDC h, int x, int y, POINT* old) {
  DC_OR_FAIL(FALSE);
  if (old) *old = dc->st.pos;
  dc->st.pos = {x, y};
  return TRUE;
}
BOOL GetCurrentPositionEx(HDC h, POINT* out) {
  DC_OR_FAIL(FALSE);
  if (out) *out = dc->st.pos;
  return TRUE;
}
BOOL LineTo(HDC h, int x, int y) {
  DC_OR_FAIL(FALSE);
  int phase = 0;
  DrawLine(dc, CurrentPen(dc), dc->toSurface(dc->st.pos.X, dc->st.pos.Y), dc->toSurface(x, y), phase);
  dc->st.pos = {x, y};
  return TRUE;
}
BOOL Polyline(HDC h, const POINT* pts, int count) {
  DC_OR_FAIL(FALSE);
  if (!pts || count < 2) return FALSE;
  const PenInfo pen = CurrentPen(dc);
  int phase = 0;
  for (int i = 0; i + 1 < count; ++i)
    DrawLine(dc, pen, dc->toSurface(pts[i].X, pts[i].Y), dc->toSurface(pts[i + 1].X, pts[i + 1].Y), phase);
  return TRUE;
}
BOOL PolylineTo(HDC h, const POINT* pts, DWORD count) {
  DC_OR_FAIL(FALSE);
  if (!pts) return FALSE;
  const PenInfo pen = CurrentPen(dc);
  int phase = 0;
  for (DWORD i = 0; i < count; ++i) {
    DrawLine(dc, pen, dc->toSurface(dc->st.pos.X, dc->st.pos.Y), dc->toSurface(pts[i].X, pts[i].Y), phase);
    dc->st.pos = pts[i];
  }
  return TRUE;
}

// ---- Shapes ----------------------------------------------------------------

BOOL Rectangle(HDC h, int l, int t, int r, int b) {
  DC_OR_FAIL(FALSE);
  const RECT sr = SurfaceRect(dc, l, t, r, b);
  const PenInfo pen = CurrentPen(dc);
  if (!pen.Draws()) {
    // As on Windows, without a pen the filled area is one pixel smaller.
    FillRegionWith(dc, Region(RECT{sr.Left, sr.Top, sr.Right - 1, sr.Bottom - 1}), Checked(dc->st.brush, OBJ_BRUSH),
                   true);
    return TRUE;
  }
  FillAndOutline(dc, pen, Region(sr), Region(Shrink(sr, pen.width)));
  return TRUE;
}

BOOL RoundRect(HDC h, int l, int t, int r, int b, int ew, int eh) {
  DC_OR_FAIL(FALSE);
  const RECT sr = SurfaceRect(dc, l, t, r, b);
  const PenInfo pen = CurrentPen(dc);
  const int w = pen.OutlineWidth();
  const Region outer = Region::RoundRect(sr, ew, eh);
  // The inner corners are the outer ones less the pen on both sides; the
  // sign of an ellipse size carries no meaning, and INT_MIN has no negation.
  const auto innerSize = [w](int e) {
    return int(std::clamp<std::int64_t>(std::abs(std::int64_t(e)) - 2 * std::int64_t(w), 0, INT32_MAX));
  };
  const Region inner = Region::RoundRect(Shrink(sr, w), innerSize(ew), innerSize(eh));
  FillAndOutline(dc, pen, outer, inner);
  return TRUE;
}

BOOL Ellipse(HDC h, int l, int t, int r, int b) {
  DC_OR_FAIL(FALSE);
  const RECT sr = SurfaceRect(dc, l, t, r, b);
  const PenInfo pen = CurrentPen(dc);
  const int w = pen.OutlineWidth();
  const Region outer = Region::Ellipse(sr);
  const Region inner = Region::Ellipse(Shrink(sr, w));
  FillAndOutline(dc, pen, outer, inner);
  return TRUE;
}

namespace {
// Pixels of `shape` whose angle around the centre of `box` lies on the
// counter-clockwise sweep from the start to the end radial (screen y down).
Region Sector(const Region& shape, const RECT& box, POINT start, POINT end) {
  const double cx = (double(box.Left) + box.Right) / 2.0, cy = (double(box.Top) + box.Bottom) / 2.0;
  auto angle = [&](double x, double y) {
    double a = std::atan2(-(y - cy), x - cx);
    return a < 0 ? a + 2 * M_PI : a;
  };
  const double a0 = angle(start.X, start.Y), a1 = angle(end.X, end.Y);
  double sweep = a1 - a0;
  if (sweep <= 0) sweep += 2 * M_PI;
  std::vector<RECT> rects;
  for (const RECT& r : shape.Rects())
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) {
        double d = angle(x + 0.5, y + 0.5) - a0;
        if (d < 0) d += 2 * M_PI;
        if (d <= sweep) rects.push_back({x, y, x + 1, y + 1});
      }
  return Region::FromRects(rects);
}

BOOL ArcOrPie(HDC h, int l, int t, int r, int b, int xs, int ys, int xe, int ye, bool pie) {
  DC_OR_FAIL(FALSE);
  const RECT sr = SurfaceRect(dc, l, t, r, b);
  const POINT ps = dc->toSurface(xs, ys), pe = dc->toSurface(xe, ye);
  const PenInfo pen = CurrentPen(dc);
  const int w = pen.OutlineWidth();
  // Only the visible part is tested pixel by pixel.
  const RECT visible = dc->clipRegion().Box();
  const Region outer = Sector(Region::Ellipse(sr).Intersect(visible), sr, ps, pe);
  const Region inner = Sector(Region::Ellipse(Shrink(sr, w)).Intersect(visible), sr, ps, pe);
  if (pie) FillRegionWith(dc, inner, Checked(dc->st.brush, OBJ_BRUSH), true);
  OutlineShape(dc, pen, outer, inner);
  if (pie && w) {
    const POINT c{int((std::int64_t(sr.Left) + sr.Right) / 2), int((std::int64_t(sr.Top) + sr.Bottom) / 2)};
    int phase = 0;
    for (POINT p : {ps, pe}) {
      const double dx = double(p.X) - c.X, dy = double(p.Y) - c.Y, len = std::hypot(dx, dy);
      if (len == 0) continue;
      const double rx = (double(sr.Right) - sr.Left) / 2.0, ry = (double(sr.Bottom) - sr.Top) / 2.0;
      const double k = 1 / std::sqrt((dx * dx) / (rx * rx) + (dy * dy) / (ry * ry));
      DrawLine(dc, pen, c, {int(std::lround(c.X + dx * k)), int(std::lround(c.Y + dy * k))}, phase);
    }
  }
  return TRUE;
}
}  // namespace

BOOL Arc(HDC h, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
  return ArcOrPie(h, l, t, r, b, xs, ys, xe, ye, false);
}
BOOL Pie(HDC h, int l, int t, int r, int b, int xs, int ys, int xe, int ye) {
  return ArcOrPie(h, l, t, r, b, xs, ys, xe, ye, true);
}

BOOL Polygon(HDC h, const POINT* pts, int count) {
  DC_OR_FAIL(FALSE);
  if (!pts || count < 2) return FALSE;
  std::vector<POINT> sp(count);
  for (int i = 0; i < count; ++i) sp[i] = dc->toSurface(pts[i].X, pts[i].Y);
  HRGN area = CreatePolygonRgn(sp.data(), count, 1);
  if (!area) return FALSE;
  FillRegionWith(dc, *GetRegion(area), Checked(dc->st.brush, OBJ_BRUSH), true);
  DeleteObject(area);
  const PenInfo pen = CurrentPen(dc);
  int phase = 0;
  for (int i = 0; i < count; ++i) DrawLine(dc, pen, sp[i], sp[(i + 1) % count], phase);
  return TRUE;
}

// ---- Fills and frames ------------------------------------------------------

int FillRect(HDC h, const RECT* r, HBRUSH brush) {
  DC_OR_FAIL(FALSE);
  BrushObject* b = ResolveBrush(brush);
  if (!r || !b) return FALSE;
  FillRegionWith(dc, Region(SurfaceRect(dc, r->Left, r->Top, r->Right, r->Bottom)), b, false);
  return TRUE;
}

int FrameRect(HDC h, const RECT* r, HBRUSH brush) {
  DC_OR_FAIL(FALSE);
  BrushObject* b = ResolveBrush(brush);
  if (!r || !b) return FALSE;
  const RECT s = SurfaceRect(dc, r->Left, r->Top, r->Right, r->Bottom);
  if (s.IsEmpty()) return TRUE;
  FillRegionWith(dc, Region::Combine(Region(s), Region(Shrink(s, 1)), Region::Op::Diff), b, false);
  return TRUE;
}

BOOL InvertRect(HDC h, const RECT* r) {
  if (!r) return FALSE;
  return PatBlt(h, r->Left, r->Top, r->Width(), r->Height(), DSTINVERT);
}

BOOL DrawFocusRect(HDC h, const RECT* r) {
  DC_OR_FAIL(FALSE);
  if (!r) return FALSE;
  const RECT s = SurfaceRect(dc, r->Left, r->Top, r->Right, r->Bottom);
  if (s.IsEmpty()) return TRUE;
  const int saved = dc->st.rop2;
  dc->st.rop2 = R2_XORPEN;
  auto dot = [&](int x, int y) {
    if (((x - s.Left) + (y - s.Top)) % 2 == 0) PenSpan(dc, y, x, x + 1, 0xFFFFFF);
  };
  for (int x = s.Left; x < s.Right; ++x) {
    dot(x, s.Top);
    if (s.Bottom - 1 > s.Top) dot(x, s.Bottom - 1);
  }
  for (int y = s.Top + 1; y < s.Bottom - 1; ++y) {
    dot(s.Left, y);
    if (s.Right - 1 > s.Left) dot(s.Right - 1, y);
  }
  dc->st.rop2 = saved;
  return TRUE;
}

namespace {
void SolidLineRect(DeviceContext* dc, RECT r, std::uint32_t c) {
  const int saved = dc->st.rop2;
  dc->st.rop2 = R2_COPYPEN;
  for (int y = r.Top; y < r.Bottom; ++y) PenSpan(dc, y, r.Left, r.Right, c);
  dc->st.rop2 = saved;
}
std::uint32_t Sys(int index) { return RefToPixel(GetSysColor(index)); }

// One ring of an edge: top-left lines in `tl`, bottom-right lines in `br`.
void EdgeRing(DeviceContext* dc, RECT& r, UINT flags, std::uint32_t tl, std::uint32_t br) {
  if (r.IsEmpty()) return;
  if (flags & BF_TOP) SolidLineRect(dc, {r.Left, r.Top, r.Right, r.Top + 1}, tl);
  if (flags & BF_LEFT) SolidLineRect(dc, {r.Left, r.Top, r.Left + 1, r.Bottom}, tl);
  if (flags & BF_BOTTOM) SolidLineRect(dc, {r.Left, r.Bottom - 1, r.Right, r.Bottom}, br);
  if (flags & BF_RIGHT) SolidLineRect(dc, {r.Right - 1, r.Top, r.Right, r.Bottom}, br);
  if (flags & BF_TOP) ++r.Top;
  if (flags & BF_LEFT) ++r.Left;
  if (flags & BF_BOTTOM) --r.Bottom;
  if (flags & BF_RIGHT) --r.Right;
}
}  // namespace

BOOL DrawEdge(HDC h, RECT* rc, UINT edge, UINT flags) {
  DC_OR_FAIL(FALSE);
  if (!rc) return FALSE;
  RECT r = SurfaceRect(dc, rc->Left, rc->Top, rc->Right, rc->Bottom);
  const RECT before = r;
  const UINT outer = edge & (BDR_RAISEDOUTER | BDR_SUNKENOUTER), inner = edge & (BDR_RAISEDINNER | BDR_SUNKENINNER);
  if (flags & BF_MONO) {
    if (outer) EdgeRing(dc, r, flags, Sys(COLOR_WINDOWFRAME), Sys(COLOR_WINDOWFRAME));
    if (inner) EdgeRing(dc, r, flags, Sys(COLOR_WINDOW), Sys(COLOR_WINDOW));
  } else if (flags & BF_FLAT) {
    if (outer) EdgeRing(dc, r, flags, Sys(COLOR_BTNSHADOW), Sys(COLOR_BTNSHADOW));
    if (inner) EdgeRing(dc, r, flags, Sys(COLOR_BTNFACE), Sys(COLOR_BTNFACE));
  } else {
    if (outer == BDR_RAISEDOUTER) EdgeRing(dc, r, flags, Sys(COLOR_3DLIGHT), Sys(COLOR_3DDKSHADOW));
    else if (outer == BDR_SUNKENOUTER) EdgeRing(dc, r, flags, Sys(COLOR_BTNSHADOW), Sys(COLOR_BTNHIGHLIGHT));
    if (inner == BDR_RAISEDINNER) EdgeRing(dc, r, flags, Sys(COLOR_BTNHIGHLIGHT), Sys(COLOR_BTNSHADOW));
    else if (inner == BDR_SUNKENINNER) EdgeRing(dc, r, flags, Sys(COLOR_3DDKSHADOW), Sys(COLOR_3DLIGHT));
  }
  if (flags & BF_MIDDLE) SolidLineRect(dc, r, Sys(flags & BF_MONO ? COLOR_WINDOW : COLOR_BTNFACE));
  if (flags & BF_ADJUST) {
    rc->Left += r.Left - before.Left;
    rc->Top += r.Top - before.Top;
    rc->Right += r.Right - before.Right;
    rc->Bottom += r.Bottom - before.Bottom;
  }
  return TRUE;
}

namespace {
// Glyphs of the frame controls, drawn centred in r (surface coordinates).
void DrawMark(DeviceContext* dc, const RECT& r, UINT type, UINT state, std::uint32_t c) {
  const int size = std::min(r.Width(), r.Height());
  const int cx = r.Left + r.Width() / 2, cy = r.Top + r.Height() / 2;
  auto px = [&](int x, int y) { SolidLineRect(dc, {x, y, x + 1, y + 1}, c); };
  if (type == DFC_CAPTION) {
    const int k = std::max(2, size / 3);
    switch (state & 0xF) {
      case DFCS_CAPTIONCLOSE:
        for (int i = -k; i <= k; ++i) {
          px(cx + i, cy + i);
          px(cx + i + 1, cy + i);
          px(cx + i, cy - i);
          px(cx + i + 1, cy - i);
        }
        break;
      case DFCS_CAPTIONMIN: SolidLineRect(dc, {cx - k, cy + k - 1, cx + k, cy + k + 1}, c); break;
      case DFCS_CAPTIONMAX:
        SolidLineRect(dc, {cx - k, cy - k, cx + k + 1, cy - k + 2}, c);
        SolidLineRect(dc, {cx - k, cy - k, cx - k + 1, cy + k + 1}, c);
        SolidLineRect(dc, {cx + k, cy - k, cx + k + 1, cy + k + 1}, c);
        SolidLineRect(dc, {cx - k, cy + k, cx + k + 1, cy + k + 1}, c);
        break;
      case DFCS_CAPTIONRESTORE: {
        const int s = std::max(2, k - 1);
        for (int off : {0, 1}) {
          const int ox = cx - k + (off ? 0 : 2), oy = cy - k + (off ? 2 : 0);
          SolidLineRect(dc, {ox, oy, ox + 2 * s + 1, oy + 2}, c);
          SolidLineRect(dc, {ox, oy, ox + 1, oy + 2 * s + 1}, c);
          SolidLineRect(dc, {ox + 2 * s, oy, ox + 2 * s + 1, oy + 2 * s + 1}, c);
          SolidLineRect(dc, {ox, oy + 2 * s, ox + 2 * s + 1, oy + 2 * s + 1}, c);
        }
        break;
      }
      default: break;
    }
  } else if (type == DFC_SCROLL) {
    const int k = std::max(2, size / 4);
    const UINT dir = state & 0xF;
    for (int i = 0; i < k; ++i) {
      switch (dir) {
        case DFCS_SCROLLUP: SolidLineRect(dc, {cx - i, cy - k / 2 + i, cx + i + 1, cy - k / 2 + i + 1}, c); break;
        case DFCS_SCROLLDOWN:
        case DFCS_SCROLLCOMBOBOX:
          SolidLineRect(dc, {cx - (k - 1 - i), cy - k / 2 + i, cx + (k - 1 - i) + 1, cy - k / 2 + i + 1}, c);
          break;
        case DFCS_SCROLLLEFT: SolidLineRect(dc, {cx - k / 2 + i, cy - i, cx - k / 2 + i + 1, cy + i + 1}, c); break;
        case DFCS_SCROLLRIGHT:
          SolidLineRect(dc, {cx - k / 2 + i, cy - (k - 1 - i), cx - k / 2 + i + 1, cy + (k - 1 - i) + 1}, c);
          break;
        default: break;
      }
    }
  } else {
    // Check mark.
    const int k = std::max(2, size / 4);
    for (int i = 0; i < k; ++i) SolidLineRect(dc, {cx - k + i, cy - 1 + i, cx - k + i + 1, cy + 2 + i}, c);
    for (int i = 0; i < 2 * k; ++i)
      SolidLineRect(dc, {cx + i, cy + k - 1 - i, cx + i + 1, cy + k + 2 - i}, c);
  }
}
}  // namespace

BOOL DrawFrameControl(HDC h, RECT* rc, UINT type, UINT state) {
  DC_OR_FAIL(FALSE);
  if (!rc) return FALSE;
  RECT r = SurfaceRect(dc, rc->Left, rc->Top, rc->Right, rc->Bottom);
  const bool pushed = state & (DFCS_PUSHED | DFCS_CHECKED);
  const std::uint32_t mark = Sys(state & DFCS_INACTIVE ? COLOR_GRAYTEXT : COLOR_BTNTEXT);
  if (type == DFC_BUTTON && (state & 0xFF) == DFCS_BUTTONCHECK) {
    RECT box = r;
    const int s = std::min(r.Width(), r.Height());
    box = {r.Left, r.Top + (r.Height() - s) / 2, r.Left + s, r.Top + (r.Height() - s) / 2 + s};
    EdgeRing(dc, box, BF_RECT, Sys(COLOR_BTNSHADOW), Sys(COLOR_BTNHIGHLIGHT));
    EdgeRing(dc, box, BF_RECT, Sys(COLOR_3DDKSHADOW), Sys(COLOR_3DLIGHT));
    SolidLineRect(dc, box, Sys(state & (DFCS_PUSHED | DFCS_INACTIVE) ? COLOR_BTNFACE : COLOR_WINDOW));
    if (state & DFCS_CHECKED) DrawMark(dc, box, DFC_BUTTON, state, mark);
    return TRUE;
  }
  if (type == DFC_BUTTON && (state & 0xFF) == DFCS_BUTTONRADIO) {
    const int s = std::min(r.Width(), r.Height());
    const RECT box{r.Left, r.Top + (r.Height() - s) / 2, r.Left + s, r.Top + (r.Height() - s) / 2 + s};
    const Region outer = Region::Ellipse(box), inner = Region::Ellipse(Shrink(box, 2));
    const Region ring = Region::Combine(outer, inner, Region::Op::Diff);
    for (const RECT& q : ring.Rects())
      for (int y = q.Top; y < q.Bottom; ++y)
        PenSpan(dc, y, q.Left, q.Right, Sys(y < box.Top + s / 2 ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT));
    for (const RECT& q : inner.Rects()) SolidLineRect(dc, q, Sys(COLOR_WINDOW));
    if (state & DFCS_CHECKED) {
      const Region dot = Region::Ellipse(Shrink(box, std::max(3, s / 3)));
      for (const RECT& q : dot.Rects()) SolidLineRect(dc, q, mark);
    }
    return TRUE;
  }
  if (type == DFC_MENU) {
    DrawMark(dc, r, (state & 0xF) == DFCS_MENUARROW ? DFC_SCROLL : DFC_BUTTON,
             (state & 0xF) == DFCS_MENUARROW ? DFCS_SCROLLRIGHT : state, mark);
    return TRUE;
  }
  // Push-button face for buttons, caption and scroll controls.
  if (state & DFCS_FLAT) {
    SolidLineRect(dc, r, Sys(COLOR_BTNFACE));
  } else if (pushed) {
    EdgeRing(dc, r, BF_RECT, Sys(COLOR_BTNSHADOW), Sys(COLOR_BTNSHADOW));
    SolidLineRect(dc, r, Sys(COLOR_BTNFACE));
  } else {
    EdgeRing(dc, r, BF_RECT, Sys(COLOR_3DLIGHT), Sys(COLOR_3DDKSHADOW));
    EdgeRing(dc, r, BF_RECT, Sys(COLOR_BTNHIGHLIGHT), Sys(COLOR_BTNSHADOW));
    SolidLineRect(dc, r, Sys(COLOR_BTNFACE));
  }
  if (type == DFC_CAPTION || type == DFC_SCROLL) {
    if (pushed) r = {r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1};
    DrawMark(dc, r, type, state, mark);
  }
  return TRUE;
}

// ---- Region painting -------------------------------------------------------

namespace {
Region SurfaceRegion(DeviceContext* dc, const Region& logical) {
  Region r = logical;
  r.Offset(dc->dx(), dc->dy());
  return r;
}
}  // namespace

BOOL FillRgn(HDC h, HRGN rgn, HBRUSH brush) {
  DC_OR_FAIL(FALSE);
  RegionObject* r = Checked(rgn, OBJ_REGION);
  BrushObject* b = ResolveBrush(brush);
  if (!r || !b) return FALSE;
  FillRegionWith(dc, SurfaceRegion(dc, r->rgn), b, false);
  return TRUE;
}

BOOL PaintRgn(HDC h, HRGN rgn) {
  DC_OR_FAIL(FALSE);
  RegionObject* r = Checked(rgn, OBJ_REGION);
  if (!r) return FALSE;
  FillRegionWith(dc, SurfaceRegion(dc, r->rgn), Checked(dc->st.brush, OBJ_BRUSH), true);
  return TRUE;
}

BOOL FrameRgn(HDC h, HRGN rgn, HBRUSH brush, int w, int hh) {
  DC_OR_FAIL(FALSE);
  RegionObject* r = Checked(rgn, OBJ_REGION);
  BrushObject* b = ResolveBrush(brush);
  if (!r || !b || w < 1 || hh < 1) return FALSE;
  // The frame is the region minus the region eroded by w x h.
  Region eroded = r->rgn;
  for (int dx = -w; dx <= w; ++dx) {
    Region m = r->rgn;
    m.Offset(dx, 0);
    eroded = Region::Combine(eroded, m, Region::Op::And);
  }
  Region eroded2 = eroded;
  for (int dy = -hh; dy <= hh; ++dy) {
    Region m = eroded;
    m.Offset(0, dy);
    eroded2 = Region::Combine(eroded2, m, Region::Op::And);
  }
  FillRegionWith(dc, SurfaceRegion(dc, Region::Combine(r->rgn, eroded2, Region::Op::Diff)), b, false);
  return TRUE;
}

BOOL InvertRgn(HDC h, HRGN rgn) {
  DC_OR_FAIL(FALSE);
  RegionObject* r = Checked(rgn, OBJ_REGION);
  Surface* s = dc->surface();
  if (!r || !s) return FALSE;
  const Region area = Region::Combine(SurfaceRegion(dc, r->rgn), dc->clipRegion(), Region::Op::And);
  std::vector<std::uint32_t> scratch;
  for (const RECT& q : area.Rects())
    for (int y = q.Top; y < q.Bottom; ++y) {
      std::uint32_t* d = s->Span(q.Left, y, q.Width(), scratch);
      for (int i = 0; i < q.Width(); ++i) d[i] ^= kRgb;
      s->Commit(q.Left, y, q.Width(), d);
    }
  return TRUE;
}

}  // namespace gdi
