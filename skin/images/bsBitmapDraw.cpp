// Drawing a TbsBitmap: onto device contexts, into other TbsBitmaps, tiled,
// merged underneath, and framework graphics and plain colours into it.
#include <algorithm>
#include <cmath>
#include <vector>

#include "skin/images/bsBitmap.h"

namespace skin {

namespace {

enum class Form { Opaque, Keyed, Alpha };

Form FormOf(const TbsBitmap& b) {
  if (b.AlphaBlend()) return Form::Alpha;
  if (b.Transparent()) return Form::Keyed;
  return Form::Opaque;
}

TRect Intersect(const TRect& a, const TRect& b) {
  return {std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right), std::min(a.Bottom, b.Bottom)};
}

void RowOp(Form f, const TbsColor* s, TbsColor* d, int n) {
  switch (f) {
    case Form::Opaque: MoveRow(s, d, n); break;
    case Form::Keyed: CopyRowKeyed(s, d, n); break;
    case Form::Alpha: BlendRow(s, d, n); break;
  }
}

// The three routines into a TbsBitmap (opaque, keyed, alpha), nearest
// neighbour when the rectangles differ in size.
void StretchToBitmap(Form form, TbsBitmap& Dest, const TRect& DstRect, const TRect& DstClip, const TRect& SrcRect,
                     const TbsBitmap& Source) {
  if (SrcRect.IsEmpty() || DstRect.IsEmpty() || !Dest.Bits() || !Source.Bits()) return;
  const TRect clip = Intersect(Intersect(DstClip, rtl::Rect(0, 0, Dest.Width(), Dest.Height())), DstRect);
  if (clip.IsEmpty()) return;
  if (SrcRect.Left < 0 || SrcRect.Top < 0 || SrcRect.Right > Source.Width() || SrcRect.Bottom > Source.Height())
    return;
  const int sw = SrcRect.Width(), sh = SrcRect.Height(), dw = DstRect.Width(), dh = DstRect.Height();
  const int cw = clip.Width(), ch = clip.Height();
  if (sw == dw && sh == dh) {
    const int sx = SrcRect.Left + clip.Left - DstRect.Left, sy = SrcRect.Top + clip.Top - DstRect.Top;
    for (int j = 0; j < ch; ++j) RowOp(form, Source.GetPixelPtr(sx, sy + j), Dest.GetPixelPtr(clip.Left, clip.Top + j), cw);
    return;
  }
  std::vector<int> cols(static_cast<std::size_t>(cw));
  if (dw < 2) {
    std::fill(cols.begin(), cols.end(), (SrcRect.Left + SrcRect.Right - 1) / 2);
  } else {
    const float kx = float(sw - 1) / float(dw - 1);
    for (int i = 0; i < cw; ++i)
      cols[i] = int(std::trunc((long double)(i + clip.Left - DstRect.Left) * (long double)kx + SrcRect.Left));
  }
  const float ky = dh < 2 ? 0.0f : float(sh - 1) / float(dh - 1);
  std::vector<TbsColor> row(static_cast<std::size_t>(cw));
  int prev = -1;
  for (int j = 0; j < ch; ++j) {
    const int ys = dh < 2 ? (SrcRect.Top + SrcRect.Bottom - 1) / 2
                          : int(std::trunc((long double)(j + clip.Top - DstRect.Top) * (long double)ky + SrcRect.Top));
    TbsColor* d = Dest.GetPixelPtr(clip.Left, clip.Top + j);
    if (form == Form::Opaque) {
      if (ys == prev && j > 0) {
        MoveRow(Dest.GetPixelPtr(clip.Left, clip.Top + j - 1), d, cw);
      } else {
        const TbsColor* s = Source.GetScanLine(ys);
        for (int i = 0; i < cw; ++i) d[i] = s[cols[i]];
      }
    } else {
      if (ys != prev) {
        const TbsColor* s = Source.GetScanLine(ys);
        for (int i = 0; i < cw; ++i) row[i] = s[cols[i]];
      }
      RowOp(form, row.data(), d, cw);
    }
    prev = ys;
  }
}

}  // namespace

// ---- Draw overloads -----------------------------------------------------------

void TbsBitmap::Draw(HDC DC, int X, int Y) { Draw(DC, X, Y, rtl::Rect(0, 0, FWidth, FHeight)); }
void TbsBitmap::Draw(HDC DC, int X, int Y, const TRect& SrcRect) {
  Draw(DC, rtl::Bounds(X, Y, SrcRect.Width(), SrcRect.Height()), SrcRect);
}
void TbsBitmap::Draw(HDC DC, const TRect& DstRect) { Draw(DC, DstRect, rtl::Rect(0, 0, FWidth, FHeight)); }

void TbsBitmap::Draw(HDC DC, const TRect& DstRect, const TRect& SrcRect) {
  if (!DC) return;
  if (TbsBitmap* target = FindBitmapByDC(DC)) {
    gdi::POINT org{};
    gdi::GetWindowOrgEx(DC, &org);
    const TRect d{DstRect.Left - org.X, DstRect.Top - org.Y, DstRect.Right - org.X, DstRect.Bottom - org.Y};
    Draw(target, d, SrcRect);
    return;
  }
  if (Empty()) return;
  if (FormOf(*this) == Form::Opaque) {
    gdi::SetStretchBltMode(DC, gdi::COLORONCOLOR);
    gdi::StretchBlt(DC, DstRect.Left, DstRect.Top, DstRect.Width(), DstRect.Height(), FDC, SrcRect.Left,
                    SrcRect.Top, SrcRect.Width(), SrcRect.Height(), gdi::SRCCOPY);
    return;
  }
  // The device has no alpha-aware draw of this format: read the destination
  // back, compose into it, and put it back.
  if (DstRect.IsEmpty()) return;
  TbsBitmap tmp;
  tmp.SetSize(DstRect.Width(), DstRect.Height());
  gdi::BitBlt(tmp.DC(), 0, 0, tmp.Width(), tmp.Height(), DC, DstRect.Left, DstRect.Top, gdi::SRCCOPY);
  Draw(&tmp, rtl::Rect(0, 0, tmp.Width(), tmp.Height()), SrcRect);
  gdi::BitBlt(DC, DstRect.Left, DstRect.Top, tmp.Width(), tmp.Height(), tmp.DC(), 0, 0, gdi::SRCCOPY);
}

void TbsBitmap::Draw(gdi::TCanvas* Canvas, int X, int Y) {
  if (Canvas) Draw(Canvas->Handle(), X, Y);
}
void TbsBitmap::Draw(gdi::TCanvas* Canvas, int X, int Y, const TRect& SrcRect) {
  if (Canvas) Draw(Canvas->Handle(), X, Y, SrcRect);
}
void TbsBitmap::Draw(gdi::TCanvas* Canvas, const TRect& DstRect) {
  if (Canvas) Draw(Canvas->Handle(), DstRect);
}
void TbsBitmap::Draw(gdi::TCanvas* Canvas, const TRect& DstRect, const TRect& SrcRect) {
  if (Canvas) Draw(Canvas->Handle(), DstRect, SrcRect);
}

void TbsBitmap::Draw(TbsBitmap* Bitmap, int X, int Y) { Draw(Bitmap, X, Y, rtl::Rect(0, 0, FWidth, FHeight)); }
void TbsBitmap::Draw(TbsBitmap* Bitmap, int X, int Y, const TRect& SrcRect) {
  Draw(Bitmap, rtl::Bounds(X, Y, SrcRect.Width(), SrcRect.Height()), SrcRect);
}
void TbsBitmap::Draw(TbsBitmap* Bitmap, const TRect& DstRect) {
  Draw(Bitmap, DstRect, rtl::Rect(0, 0, FWidth, FHeight));
}
void TbsBitmap::Draw(TbsBitmap* Bitmap, const TRect& DstRect, const TRect& SrcRect) {
  if (!Bitmap) return;
  StretchToBitmap(FormOf(*this), *Bitmap, DstRect, DstRect, SrcRect, *this);
}

// ---- Tiles --------------------------------------------------------------------

void TbsBitmap::TileImpl(HDC DC, TbsBitmap* Target, const TRect& DstRect, const TRect* DstClip,
                         const TRect& SrcRect) {
  const int sw = SrcRect.Width(), sh = SrcRect.Height();
  if (sw <= 0 || sh <= 0 || DstRect.IsEmpty()) return;
  gdi::POINT org{};
  if (!Target && DC) {
    if ((Target = FindBitmapByDC(DC))) gdi::GetWindowOrgEx(DC, &org);
  }
  const bool clipAll = DstClip && !DstClip->IsEmpty();
  // Opaque tiles into a TbsBitmap: build one band of rows, then copy whole
  // rows from the band above, which keeps tiling at the cost of a copy.
  if (Target && !clipAll && FormOf(*this) == Form::Opaque && Target->Bits() && Bits() && SrcRect.Left >= 0 &&
      SrcRect.Top >= 0 && SrcRect.Right <= FWidth && SrcRect.Bottom <= FHeight) {
    const TRect d{DstRect.Left - org.X, DstRect.Top - org.Y, DstRect.Right - org.X, DstRect.Bottom - org.Y};
    const TRect c = Intersect(d, rtl::Rect(0, 0, Target->Width(), Target->Height()));
    if (c.IsEmpty()) return;
    for (int y = c.Top; y < c.Bottom; ++y) {
      TbsColor* out = Target->GetScanLine(y);
      if (y - sh >= c.Top) {
        MoveRow(Target->GetPixelPtr(c.Left, y - sh), out + c.Left, c.Width());
        continue;
      }
      const TbsColor* src = GetScanLine(SrcRect.Top + (y - d.Top) % sh) + SrcRect.Left;
      int x = c.Left;
      int phase = (x - d.Left) % sw;
      while (x < c.Right) {
        const int n = std::min(sw - phase, c.Right - x);
        MoveRow(src + phase, out + x, n);
        x += n;
        phase = 0;
      }
    }
    return;
  }
  const int cols = DstRect.Width() / sw + (DstRect.Width() % sw ? 1 : 0);
  const int rows = DstRect.Height() / sh + (DstRect.Height() % sh ? 1 : 0);
  for (int i = 0; i <= cols; ++i) {
    for (int j = 0; j <= rows; ++j) {
      const TRect tile = Intersect(rtl::Bounds(DstRect.Left + i * sw, DstRect.Top + j * sh, sw, sh), DstRect);
      if (tile.IsEmpty()) continue;
      if (clipAll && Intersect(tile, *DstClip).IsEmpty()) continue;
      const TRect src = tile.Width() < sw || tile.Height() < sh
                            ? rtl::Bounds(SrcRect.Left, SrcRect.Top, tile.Width(), tile.Height())
                            : SrcRect;
      if (Target) {
        const TRect t{tile.Left - org.X, tile.Top - org.Y, tile.Right - org.X, tile.Bottom - org.Y};
        Draw(Target, t, src);
      } else {
        Draw(DC, tile, src);
      }
    }
  }
}

void TbsBitmap::Tile(HDC DC, const TRect& DstRect, const TRect& SrcRect) {
  TileImpl(DC, nullptr, DstRect, nullptr, SrcRect);
}
void TbsBitmap::Tile(gdi::TCanvas* Canvas, const TRect& DstRect, const TRect& SrcRect) {
  if (Canvas) Tile(Canvas->Handle(), DstRect, SrcRect);
}
void TbsBitmap::Tile(TbsBitmap* Bitmap, const TRect& DstRect, const TRect& SrcRect) {
  if (Bitmap) TileImpl(nullptr, Bitmap, DstRect, nullptr, SrcRect);
}
void TbsBitmap::TileClip(HDC DC, const TRect& DstRect, const TRect& DstClip, const TRect& SrcRect) {
  TileImpl(DC, nullptr, DstRect, &DstClip, SrcRect);
}
void TbsBitmap::TileClip(gdi::TCanvas* Canvas, const TRect& DstRect, const TRect& DstClip, const TRect& SrcRect) {
  if (Canvas) TileClip(Canvas->Handle(), DstRect, DstClip, SrcRect);
}
void TbsBitmap::TileClip(TbsBitmap* Bitmap, const TRect& DstRect, const TRect& DstClip, const TRect& SrcRect) {
  if (Bitmap) TileImpl(nullptr, Bitmap, DstRect, &DstClip, SrcRect);
}

// ---- Merge, graphics, fills -----------------------------------------------------

void TbsBitmap::MergeDraw(TbsBitmap* Bitmap, int X, int Y, const TRect& SrcRect) {
  if (!Bitmap || !Bitmap->Bits() || !FBits) return;
  const TRect s = Intersect(SrcRect, rtl::Rect(0, 0, Bitmap->Width(), Bitmap->Height()));
  for (int y = s.Top; y < s.Bottom; ++y) {
    const int dy = Y + y - s.Top;
    if (dy < 0 || dy >= FHeight) continue;
    for (int x = s.Left; x < s.Right; ++x) {
      const int dx = X + x - s.Left;
      if (dx < 0 || dx >= FWidth) continue;
      TbsColor& d = *GetPixelPtr(dx, dy);
      const TbsColor a = d >> 24;
      if (a == 0) d = *Bitmap->GetPixelPtr(x, y);
      else if (a < 255) d = BlendPixel(d, *Bitmap->GetPixelPtr(x, y));
    }
  }
}

void TbsBitmap::DrawGraphic(gdi::TGraphic* Graphic, const TRect& DstRect) {
  if (!Graphic || !FBits) return;
  gdi::TBitmap tmp;
  tmp.SetPixelFormat(gdi::pf32bit);
  tmp.SetSize(FWidth, FHeight);
  gdi::TCanvas* c = tmp.Canvas();
  c->Brush()->SetColor(gdi::clFuchsia);
  c->Pen()->SetColor(gdi::clFuchsia);
  c->Rectangle(-1, -1, FWidth + 1, FHeight + 1);
  c->StretchDraw(DstRect, Graphic);
  gdi::Surface* s = tmp.GetSurface();
  if (!s) return;
  for (int y = 0; y < FHeight; ++y) {
    const std::uint32_t* row = s->Row32(y);
    TbsColor* out = GetScanLine(y);
    for (int x = 0; x < FWidth; ++x)
      if ((row[x] & 0xFFFFFF) != 0xFF00FF) out[x] = row[x];
  }
}

void TbsBitmap::FillRect(const TRect& R, TbsColor Color) {
  if (!FBits) return;
  const TRect r = Intersect(R, rtl::Rect(0, 0, FWidth, FHeight));
  if (r.IsEmpty()) return;
  if (FAlphaBlend) {
    std::vector<TbsColor> row(static_cast<std::size_t>(r.Width()));
    FillRow(row.data(), r.Width(), Color);
    for (int y = r.Top; y < r.Bottom; ++y) BlendRow(row.data(), GetPixelPtr(r.Left, y), r.Width());
    return;
  }
  PixelRoutines().FillPixelRect(FBits, FWidth, Color, r.Bottom - 1, r.Right - 1, r.Top, r.Left);
}

}  // namespace skin
