// Blits: raster operations, stretching, alpha and key-colour transfers.
#include <algorithm>
#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "platform/gdi/GdiObjects.h"

namespace gdi {

namespace {

inline std::uint32_t Div255(std::uint32_t x) { return (x + 128 + ((x + 128) >> 8)) >> 8; }

std::uint32_t Rop3(unsigned code, std::uint32_t p, std::uint32_t s, std::uint32_t d) {
  std::uint32_t r = 0;
  for (unsigned k = 0; k < 8; ++k)
    if ((code >> k) & 1) r |= ((k & 4) ? p : ~p) & ((k & 2) ? s : ~s) & ((k & 1) ? d : ~d);
  return r;
}

bool UsesPattern(unsigned code) { return ((code >> 4) & 0xF) != (code & 0xF); }
bool UsesSource(unsigned code) { return ((code >> 2) & 0x33) != (code & 0x33); }

// Colour bytes by the operation; the destination keeps its alpha, except for
// a plain copy, which copies all four bytes.
void ApplyRop(unsigned code, std::uint32_t* d, const std::uint32_t* s, const std::uint32_t* p, int n) {
  constexpr std::uint32_t kRgb = 0x00FFFFFF, kA = 0xFF000000;
  switch (code) {
    case 0xCC: std::memmove(d, s, std::size_t(n) * 4); return;
    case 0x00: for (int i = 0; i < n; ++i) d[i] &= kA; return;
    case 0xFF: for (int i = 0; i < n; ++i) d[i] |= kRgb; return;
    case 0x55: for (int i = 0; i < n; ++i) d[i] ^= kRgb; return;
    case 0xF0: for (int i = 0; i < n; ++i) d[i] = (d[i] & kA) | (p[i] & kRgb); return;
    case 0x5A: for (int i = 0; i < n; ++i) d[i] ^= p[i] & kRgb; return;
    case 0x88: for (int i = 0; i < n; ++i) d[i] &= s[i] | kA; return;
    case 0xEE: for (int i = 0; i < n; ++i) d[i] |= s[i] & kRgb; return;
    case 0x66: for (int i = 0; i < n; ++i) d[i] ^= s[i] & kRgb; return;
    case 0x33: for (int i = 0; i < n; ++i) d[i] = (d[i] & kA) | (~s[i] & kRgb); return;
    default:
      for (int i = 0; i < n; ++i)
        d[i] = (d[i] & kA) | (Rop3(code, p ? p[i] : 0, s ? s[i] : 0, d[i]) & kRgb);
  }
}

// Two channels at a time: (red, blue) and (alpha, green) in 16-bit lanes.
constexpr std::uint32_t kLanes = 0x00FF00FF;
inline std::uint32_t LaneDiv255(std::uint32_t x) {
  x += 0x00800080;
  return ((x + ((x >> 8) & kLanes)) >> 8) & kLanes;
}
// Multiplies every byte of p by a (0..255) / 255, rounded.
inline std::uint32_t Scale(std::uint32_t p, std::uint32_t a) {
  return LaneDiv255((p & kLanes) * a) | LaneDiv255(((p >> 8) & kLanes) * a) << 8;
}
// Byte-wise a + b, saturating at 255.
inline std::uint32_t AddSat(std::uint32_t a, std::uint32_t b) {
  std::uint32_t rb = (a & kLanes) + (b & kLanes), ag = ((a >> 8) & kLanes) + ((b >> 8) & kLanes);
  rb |= ((rb & 0x01000100) >> 8) * 0xFF;
  ag |= ((ag & 0x01000100) >> 8) * 0xFF;
  return (rb & kLanes) | (ag & kLanes) << 8;
}

#ifdef __SSE2__
// x / 255 rounded, in 16-bit lanes holding at most 255 * 255.
inline __m128i Div255x8(__m128i x) {
  x = _mm_add_epi16(x, _mm_set1_epi16(128));
  return _mm_srli_epi16(_mm_add_epi16(x, _mm_srli_epi16(x, 8)), 8);
}
// Two pixels widened to 16-bit lanes: D = S * sca + D * (1 - Sa * sca).
inline __m128i BlendPremultiplied2(__m128i s16, __m128i d16, __m128i sca16, bool scaleSource) {
  if (scaleSource) s16 = Div255x8(_mm_mullo_epi16(s16, sca16));
  __m128i a = _mm_shufflelo_epi16(s16, _MM_SHUFFLE(3, 3, 3, 3));
  a = _mm_shufflehi_epi16(a, _MM_SHUFFLE(3, 3, 3, 3));
  const __m128i inv = _mm_sub_epi16(_mm_set1_epi16(255), a);
  return _mm_add_epi16(s16, Div255x8(_mm_mullo_epi16(d16, inv)));
}
#endif

void ApplyAlpha(const BLENDFUNCTION& bf, std::uint32_t* d, const std::uint32_t* s, int n) {
  const std::uint32_t sca = bf.SourceConstantAlpha;
  if (bf.AlphaFormat & AC_SRC_ALPHA) {
    // Premultiplied source: D = S + D * (1 - Sa).
    int i = 0;
#ifdef __SSE2__
    const __m128i zero = _mm_setzero_si128(), sca16 = _mm_set1_epi16(short(sca));
    for (; i + 4 <= n; i += 4) {
      const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
      const __m128i dv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
      const __m128i lo = BlendPremultiplied2(_mm_unpacklo_epi8(sv, zero), _mm_unpacklo_epi8(dv, zero), sca16, sca != 255);
      const __m128i hi = BlendPremultiplied2(_mm_unpackhi_epi8(sv, zero), _mm_unpackhi_epi8(dv, zero), sca16, sca != 255);
      _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_packus_epi16(lo, hi));
    }
#endif
    for (; i < n; ++i) {
      std::uint32_t sp = s[i];
      if (sca != 255) sp = Scale(sp, sca);
      const std::uint32_t sa = sp >> 24;
      if (sa == 255) {
        d[i] = sp;
      } else if (sp != 0) {
        d[i] = AddSat(sp, Scale(d[i], 255 - sa));
      }
    }
  } else {
    const std::uint32_t inv = 255 - sca;
    for (int i = 0; i < n; ++i) {
      const std::uint32_t sp = s[i], dp = d[i];
      d[i] = LaneDiv255((sp & kLanes) * sca + (dp & kLanes) * inv) |
             LaneDiv255(((sp >> 8) & kLanes) * sca + ((dp >> 8) & kLanes) * inv) << 8;
    }
  }
}

}  // namespace

bool BlitSurface(DeviceContext* dc, int x, int y, int w, int h, const Surface* src, int sx, int sy, int sw,
                 int sh, const BlitOp& op) {
  Surface* ds = dc->surface();
  if (!ds) return false;
  const unsigned code = (op.rop >> 16) & 0xFF;
  const bool usesSrc = op.kind != BlitOp::Rop || UsesSource(code);
  const bool usesPat = op.kind == BlitOp::Rop && UsesPattern(code);
  if (usesSrc && !src) return false;
  bool mirrorX = false, mirrorY = false;
  // A negative extent runs from the given edge pixel backwards:
  // (x, w = -4) covers x-3 .. x, as the converter's mirroring code expects.
  // Worked out in 64 bits: an extent of INT_MIN has no int negation.
  const auto flip = [](int& pos, int& len, bool& mirror) {
    if (len >= 0) return;
    pos = int(std::clamp<std::int64_t>(std::int64_t(pos) + len + 1, INT32_MIN, INT32_MAX));
    len = int(std::min<std::int64_t>(-std::int64_t(len), INT32_MAX));
    mirror = !mirror;
  };
  flip(x, w, mirrorX);
  flip(y, h, mirrorY);
  if (!usesSrc) { sw = w; sh = h; sx = sy = 0; }
  flip(sx, sw, mirrorX);
  flip(sy, sh, mirrorY);
  if (w == 0 || h == 0 || sw == 0 || sh == 0) return true;

  // Copying within one surface: take the source out first so that
  // overlapping rectangles read the original pixels.
  std::unique_ptr<Surface> copy;
  if (usesSrc && src == ds) {
    const int l = std::max(sx, 0), t = std::max(sy, 0);
    const int r = std::min(sx + sw, src->Width()), b = std::min(sy + sh, src->Height());
    if (l >= r || t >= b) return true;
    copy = std::make_unique<Surface>(r - l, b - t, 32, true);
    for (int yy = t; yy < b; ++yy) src->ReadSpan(l, yy, r - l, copy->Row32(yy - t));
    // Keep source coordinates meaningful relative to the copy.
    sx -= l;
    sy -= t;
    src = copy.get();
  }

  const bool stretch = usesSrc && (sw != w || sh != h);
  if (op.kind == BlitOp::Rop && code == 0xCC && !stretch && !mirrorX && !mirrorY && src->BitsPerPixel() == 32 &&
      ds->BitsPerPixel() == 32) {
    // Plain 32-bit copy: rows straight from memory, or one block when whole
    // rows of both surfaces lie one after another.
    const auto lim = [](std::int64_t v) { return int(std::clamp<std::int64_t>(v, INT32_MIN / 2, INT32_MAX / 2)); };
    const RECT want{lim(std::max<std::int64_t>(x, std::int64_t(x) - sx)), lim(std::max<std::int64_t>(y, std::int64_t(y) - sy)),
                    lim(std::min<std::int64_t>(std::int64_t(x) + w, std::int64_t(x) - sx + src->Width())),
                    lim(std::min<std::int64_t>(std::int64_t(y) + h, std::int64_t(y) - sy + src->Height()))};
    const bool sameLayout = ds->TopDown() && src->TopDown() && ds->Stride() == ds->Width() * 4 &&
                            src->Stride() == src->Width() * 4 && ds->Width() == src->Width();
    for (const RECT& c : dc->clipRegion().Rects()) {
      const int cx0 = std::max(c.Left, want.Left), cx1 = std::min(c.Right, want.Right);
      const int cy0 = std::max(c.Top, want.Top), cy1 = std::min(c.Bottom, want.Bottom);
      if (cx0 >= cx1 || cy0 >= cy1) continue;
      const std::size_t bytes = std::size_t(cx1 - cx0) * 4;
      if (sameLayout && cx0 == 0 && cx1 == ds->Width() && sx == x) {
        std::memmove(ds->Row32(cy0), src->Row32(cy0 - y + sy), bytes * std::size_t(cy1 - cy0));
        continue;
      }
      for (int yy = cy0; yy < cy1; ++yy) std::memmove(ds->Row32(yy) + cx0, src->Row32(yy - y + sy) + (cx0 - x + sx), bytes);
    }
    return true;
  }
  // Only destination columns that the clip lets through are mapped, so an
  // absurd width costs nothing.
  const RECT clipBox = dc->clipRegion().Box();
  const int colBase = int(std::clamp<std::int64_t>(std::int64_t(clipBox.Left) - x, 0, w));
  const int colEnd = int(std::clamp<std::int64_t>(std::int64_t(clipBox.Right) - x, colBase, w));
  std::vector<int> cols;
  int i0 = colBase, i1 = colEnd;  // dest columns whose source column exists
  if (usesSrc) {
    cols.resize(std::size_t(colEnd - colBase));
    for (int i = colBase; i < colEnd; ++i) {
      const std::int64_t m = stretch ? (2 * std::int64_t(i) + 1) * sw / (2 * std::int64_t(w)) : i;
      cols[i - colBase] = int(std::clamp<std::int64_t>(sx + (mirrorX ? sw - 1 - m : m), -1, INT32_MAX));
    }
    auto valid = [&](int i) { return cols[i - colBase] >= 0 && cols[i - colBase] < src->Width(); };
    while (i0 < colEnd && !valid(i0)) ++i0;
    i1 = i0;
    while (i1 < colEnd && valid(i1)) ++i1;
  }
  if (i0 >= i1) return true;
  const bool direct = usesSrc && !stretch && !mirrorX && src->BitsPerPixel() == 32;

  std::vector<std::uint32_t> scratchD, sbuf, pbuf, srow;
  BrushObject* brush = usesPat ? Checked(dc->st.brush, OBJ_BRUSH) : nullptr;
  const int spanX0 = int(std::int64_t(x) + i0), spanX1 = int(std::int64_t(x) + i1);
  for (const RECT& c : dc->clipRegion().Rects()) {
    const int cy0 = std::max(c.Top, y), cy1 = int(std::min<std::int64_t>(c.Bottom, std::int64_t(y) + h));
    const int cx0 = std::max(c.Left, spanX0), cx1 = std::min(c.Right, spanX1);
    if (cx0 >= cx1 || cy0 >= cy1) continue;
    const int n = cx1 - cx0;
    for (int yy = cy0; yy < cy1; ++yy) {
      const int j = yy - y;
      int srcY = 0;
      if (usesSrc) {
        const int m = stretch ? int((2 * std::int64_t(j) + 1) * sh / (2 * std::int64_t(h))) : j;
        srcY = sy + (mirrorY ? sh - 1 - m : m);
        if (srcY < 0 || srcY >= src->Height()) continue;
      }
      const std::uint32_t* s = nullptr;
      if (usesSrc) {
        if (direct) {
          s = src->Row32(srcY) + cols[cx0 - x - colBase];
        } else {
          if (src->BitsPerPixel() == 32) {
            const std::uint32_t* row = src->Row32(srcY);
            sbuf.resize(n);
            for (int k = 0; k < n; ++k) sbuf[k] = row[cols[cx0 - x - colBase + k]];
          } else {
            srow.resize(src->Width());
            src->ReadSpan(0, srcY, src->Width(), srow.data());
            sbuf.resize(n);
            for (int k = 0; k < n; ++k) sbuf[k] = srow[cols[cx0 - x - colBase + k]];
          }
          s = sbuf.data();
        }
      }
      const std::uint32_t* p = nullptr;
      if (usesPat) {
        pbuf.resize(n);
        bool dummy = false;
        for (int k = 0; k < n; ++k) pbuf[k] = brush ? BrushPixelAt(dc, brush, cx0 + k, yy, &dummy) : 0;
        p = pbuf.data();
      }
      std::uint32_t* d = ds->Span(cx0, yy, n, scratchD);
      switch (op.kind) {
        case BlitOp::Rop: ApplyRop(code, d, s, p, n); break;
        case BlitOp::Alpha: ApplyAlpha(op.bf, d, s, n); break;
        case BlitOp::Transparent:
          for (int k = 0; k < n; ++k)
            if ((s[k] & 0xFFFFFF) != op.key) d[k] = s[k];
          break;
      }
      ds->Commit(cx0, yy, n, d);
    }
  }
  return true;
}


BOOL BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int xs, int ys, DWORD rop) {
  std::lock_guard lock(GdiLock());
  DeviceContext* d = CheckedDC(dst);
  if (!d) return FALSE;
  BlitOp op;
  op.rop = rop;
  DeviceContext* s = src ? CheckedDC(src) : nullptr;
  const POINT dp = d->toSurface(x, y);
  POINT sp{xs, ys};
  if (s) sp = s->toSurface(xs, ys);
  if (UsesSource((rop >> 16) & 0xFF) && !s) return FALSE;
  return BlitSurface(d, dp.X, dp.Y, w, h, s ? s->surface() : nullptr, sp.X, sp.Y, w, h, op) ? TRUE : FALSE;
}

BOOL StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int xs, int ys, int ws, int hs, DWORD rop) {
  std::lock_guard lock(GdiLock());
  DeviceContext* d = CheckedDC(dst);
  DeviceContext* s = src ? CheckedDC(src) : nullptr;
  if (!d) return FALSE;
  if (UsesSource((rop >> 16) & 0xFF) && !s) return FALSE;
  BlitOp op;
  op.rop = rop;
  const POINT dp = d->toSurface(x, y);
  POINT sp{xs, ys};
  if (s) sp = s->toSurface(xs, ys);
  return BlitSurface(d, dp.X, dp.Y, w, h, s ? s->surface() : nullptr, sp.X, sp.Y, ws, hs, op) ? TRUE : FALSE;
}

BOOL PatBlt(HDC dc, int x, int y, int w, int h, DWORD rop) {
  std::lock_guard lock(GdiLock());
  DeviceContext* d = CheckedDC(dc);
  if (!d || UsesSource((rop >> 16) & 0xFF)) return FALSE;
  BlitOp op;
  op.rop = rop;
  const POINT dp = d->toSurface(x, y);
  return BlitSurface(d, dp.X, dp.Y, w, h, nullptr, 0, 0, w, h, op) ? TRUE : FALSE;
}

BOOL AlphaBlend(HDC dst, int x, int y, int w, int h, HDC src, int xs, int ys, int ws, int hs,
                BLENDFUNCTION bf) {
  std::lock_guard lock(GdiLock());
  DeviceContext* d = CheckedDC(dst);
  DeviceContext* s = CheckedDC(src);
  if (!d || !s || w < 0 || h < 0 || ws < 0 || hs < 0 || bf.BlendOp != AC_SRC_OVER) return FALSE;
  BlitOp op;
  op.kind = BlitOp::Alpha;
  op.bf = bf;
  const POINT dp = d->toSurface(x, y), sp = s->toSurface(xs, ys);
  return BlitSurface(d, dp.X, dp.Y, w, h, s->surface(), sp.X, sp.Y, ws, hs, op) ? TRUE : FALSE;
}

BOOL TransparentBlt(HDC dst, int x, int y, int w, int h, HDC src, int xs, int ys, int ws, int hs,
                    UINT transparent) {
  std::lock_guard lock(GdiLock());
  DeviceContext* d = CheckedDC(dst);
  DeviceContext* s = CheckedDC(src);
  if (!d || !s || w < 0 || h < 0 || ws < 0 || hs < 0) return FALSE;
  BlitOp op;
  op.kind = BlitOp::Transparent;
  op.key = RefToPixel(transparent) & 0xFFFFFF;
  const POINT dp = d->toSurface(x, y), sp = s->toSurface(xs, ys);
  return BlitSurface(d, dp.X, dp.Y, w, h, s->surface(), sp.X, sp.Y, ws, hs, op) ? TRUE : FALSE;
}

namespace {
// The surface of h when the logical point (x, y) is inside its clip, with
// the point in surface coordinates; null otherwise. The caller holds the lock.
Surface* VisiblePixel(HDC h, int x, int y, POINT& p) {
  DeviceContext* dc = CheckedDC(h);
  Surface* s = dc ? dc->surface() : nullptr;
  if (!s) return nullptr;
  p = dc->toSurface(x, y);
  return dc->clipRegion().Contains(p) ? s : nullptr;
}
}  // namespace

COLORREF SetPixel(HDC h, int x, int y, COLORREF c) {
  std::lock_guard lock(GdiLock());
  POINT p;
  Surface* s = VisiblePixel(h, x, y, p);
  if (!s) return CLR_INVALID;
  const std::uint32_t old = s->GetPixel(p.X, p.Y);
  s->SetPixel(p.X, p.Y, (old & 0xFF000000) | RefToPixel(c));
  return PixelToRef(s->GetPixel(p.X, p.Y));
}

BOOL SetPixelV(HDC h, int x, int y, COLORREF c) { return SetPixel(h, x, y, c) != CLR_INVALID; }

COLORREF GetPixel(HDC h, int x, int y) {
  std::lock_guard lock(GdiLock());
  POINT p;
  Surface* s = VisiblePixel(h, x, y, p);
  if (!s) return CLR_INVALID;
  return PixelToRef(s->GetPixel(p.X, p.Y));
}

BOOL GradientFill(HDC h, const TRIVERTEX* v, UINT nv, const void* mesh, UINT nm, UINT mode) {
  std::lock_guard lock(GdiLock());
  DeviceContext* dc = CheckedDC(h);
  Surface* s = dc ? dc->surface() : nullptr;
  if (!s || !v || !mesh || (mode != GRADIENT_FILL_RECT_H && mode != GRADIENT_FILL_RECT_V)) return FALSE;
  const auto* rects = static_cast<const GRADIENT_RECT*>(mesh);
  std::vector<std::uint32_t> scratch;
  for (UINT m = 0; m < nm; ++m) {
    if (rects[m].UpperLeft >= nv || rects[m].LowerRight >= nv) return FALSE;
    TRIVERTEX a = v[rects[m].UpperLeft], b = v[rects[m].LowerRight];
    if (mode == GRADIENT_FILL_RECT_H ? a.x > b.x : a.y > b.y) std::swap(a, b);
    const POINT pa = dc->toSurface(a.x, a.y), pb = dc->toSurface(b.x, b.y);
    const RECT r{std::min(pa.X, pb.X), std::min(pa.Y, pb.Y), std::max(pa.X, pb.X), std::max(pa.Y, pb.Y)};
    const int span = mode == GRADIENT_FILL_RECT_H ? r.Width() : r.Height();
    if (span <= 0) continue;
    auto colorAt = [&](int k) {
      auto lerp = [&](int ca, int cb) { return std::uint32_t((ca + (cb - ca) * std::int64_t(k) / span) >> 8); };
      return lerp(a.Red, b.Red) << 16 | lerp(a.Green, b.Green) << 8 | lerp(a.Blue, b.Blue);
    };
    const Region area = dc->clipRegion().Intersect(r);
    for (const RECT& c : area.Rects()) {
      for (int yy = c.Top; yy < c.Bottom; ++yy) {
        std::uint32_t* d = s->Span(c.Left, yy, c.Width(), scratch);
        for (int xx = c.Left; xx < c.Right; ++xx) {
          const std::uint32_t col = colorAt(mode == GRADIENT_FILL_RECT_H ? xx - r.Left : yy - r.Top);
          d[xx - c.Left] = (d[xx - c.Left] & 0xFF000000) | col;
        }
        s->Commit(c.Left, yy, c.Width(), d);
      }
    }
  }
  return TRUE;
}

}  // namespace gdi
