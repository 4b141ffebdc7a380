#include "skin/images/bsGlowText.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "skin/images/bsUtils.h"

namespace skin {

namespace {

constexpr int kMaxBlurRadius = 4096;

// One line of the blur: n pixels (three channels each, at `stride` ints
// apart) read from `in`, written truncated to `out`. The triangular window
// is two box windows of Radius + 1 run one after the other, on the line
// extended by its edge pixels.
void BlurLine(const int* in, int* out, int n, int stride, int r, std::int64_t div, std::vector<std::int64_t>& e,
              std::vector<std::int64_t>& box) {
  e.resize(std::size_t(n + 2 * r));
  box.resize(std::size_t(n + r));
  for (int c = 0; c < 3; ++c) {
    for (int i = 0; i < n + 2 * r; ++i) e[i] = in[std::size_t(std::clamp(i - r, 0, n - 1)) * stride * 3 + c];
    std::int64_t s = 0;
    for (int m = 0; m <= r; ++m) s += e[m];
    box[0] = s;
    for (int i = 1; i < n + r; ++i) {
      s += e[i + r] - e[i - 1];
      box[i] = s;
    }
    s = 0;
    for (int j = 0; j <= r; ++j) s += box[j];
    out[c] = int(s / div);
    for (int x = 1; x < n; ++x) {
      s += box[x + r] - box[x - 1];
      out[std::size_t(x) * stride * 3 + c] = int(s / div);
    }
  }
}

// A work bitmap for text effects with the canvas's font in red and a clear
// brush. A size no bitmap can have leaves it empty: the effect is left out
// and only the text is drawn.
void PrepareWork(TbsBitmap& work, gdi::TCanvas* Canvas, std::int64_t w, std::int64_t h) {
  if (w > 0 && h > 0 && w <= INT32_MAX && h <= INT32_MAX) {
    try {
      work.SetSize(int(w), int(h));
    } catch (const rtl::Exception&) {
      return;
    }
  }
  gdi::TCanvas* c = work.Canvas();
  c->Font()->Assign(Canvas->Font());
  c->Font()->SetColor(0x0000FF);
  c->Brush()->SetStyle(gdi::bsClear);
}

void DrawTextInto(gdi::TCanvas* c, const String& Text, TRect r, unsigned Format) {
  if (gdi::HDC dc = CanvasTextDC(c)) gdi::DrawText(dc, Text, &r, Format);
}

// Red level becomes alpha under the glow colour; composed onto the canvas.
void GlowFinish(TbsBitmap& work, gdi::TCanvas* Canvas, TColor Color, int X, int Y) {
  if (!work.Bits()) return;
  const TbsColor rgb = ColorToBsColor(Color) & 0xFFFFFF;
  const std::size_t n = std::size_t(work.Width()) * work.Height();
  TbsColor* p = work.Bits();
  for (std::size_t i = 0; i < n; ++i) p[i] = ((p[i] >> 16) & 0xFF) << 24 | rgb;
  work.SetAlphaBlend(true);
  work.Draw(Canvas, X, Y);
}

int FinalText(gdi::TCanvas* Canvas, const String& Text, TRect Rect, unsigned Format) {
  Canvas->Brush()->SetStyle(gdi::bsClear);
  return DrawWideText(Canvas, Text, Rect, Format);
}

int TextWithGlow(gdi::TCanvas* Canvas, TRect Rect, const String& Text, int GlowSize, TColor GlowColor, int Offset,
                 unsigned Format, bool shiftedCopies) {
  if (!Canvas) return 0;
  TbsBitmap work;
  PrepareWork(work, Canvas, std::int64_t(RectWidth(Rect)) + 2 * std::int64_t(GlowSize),
              std::int64_t(RectHeight(Rect)) + 2 * std::int64_t(GlowSize));
  if (work.Bits()) {
    const TRect t{GlowSize, GlowSize, work.Width() - GlowSize, work.Height() - GlowSize};
    DrawTextInto(work.Canvas(), Text, t, Format);
    if (shiftedCopies) {
      static const int kShift[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
      for (const auto& s : kShift)
        DrawTextInto(work.Canvas(), Text, {t.Left + s[0], t.Top + s[1], t.Right + s[0], t.Bottom + s[1]}, Format);
    }
    BlurAlphaBitmap(&work, GlowSize);
    GlowFinish(work, Canvas, GlowColor, Rect.Left + Offset - GlowSize, Rect.Top + Offset - GlowSize);
  }
  return FinalText(Canvas, Text, Rect, Format);
}

}  // namespace

void BlurAlphaBitmap(TbsBitmap* Bitmap, int Radius) {
  if (!Bitmap || !Bitmap->Bits() || Radius <= 0) return;
  const int r = std::min(Radius, kMaxBlurRadius);
  const int w = Bitmap->Width(), h = Bitmap->Height();
  const std::int64_t div = std::int64_t(r + 1) * (r + 1);
  std::vector<int> src(std::size_t(w) * h * 3), planes(std::size_t(w) * h * 3);
  const TbsColor* p = Bitmap->Bits();
  for (std::size_t i = 0; i < std::size_t(w) * h; ++i) {
    src[i * 3] = int(p[i] & 0xFF);
    src[i * 3 + 1] = int((p[i] >> 8) & 0xFF);
    src[i * 3 + 2] = int((p[i] >> 16) & 0xFF);
  }
  std::vector<std::int64_t> e, box;
  for (int y = 0; y < h; ++y) BlurLine(&src[std::size_t(y) * w * 3], &planes[std::size_t(y) * w * 3], w, 1, r, div, e, box);
  for (int x = 0; x < w; ++x) BlurLine(&planes[std::size_t(x) * 3], &src[std::size_t(x) * 3], h, w, r, div, e, box);
  TbsColor* out = Bitmap->Bits();
  for (std::size_t i = 0; i < std::size_t(w) * h; ++i)
    out[i] = 0xFF000000u | TbsColor(src[i * 3 + 2]) << 16 | TbsColor(src[i * 3 + 1]) << 8 | TbsColor(src[i * 3]);
}

void DrawTextWithGlow(gdi::TCanvas* Canvas, TRect Rect, const String& Text, int GlowSize, TColor GlowColor,
                      int Offset, unsigned Format) {
  TextWithGlow(Canvas, Rect, Text, GlowSize, GlowColor, Offset, Format, true);
}

int DrawWideTextWithGlow(gdi::TCanvas* Canvas, TRect Rect, const String& Text, int GlowSize, TColor GlowColor,
                         int Offset, unsigned Format) {
  return TextWithGlow(Canvas, Rect, Text, GlowSize, GlowColor, Offset, Format, false);
}

int DrawWideTextWithHalo(gdi::TCanvas* Canvas, TRect Rect, const String& Text, TColor Color, unsigned Format) {
  if (!Canvas) return 0;
  constexpr int S = 12;
  TbsBitmap work;
  PrepareWork(work, Canvas, std::int64_t(RectWidth(Rect)) + 2 * S, std::int64_t(RectHeight(Rect)) + 2 * S);
  if (work.Bits()) {
    gdi::TCanvas* c = work.Canvas();
    const TRect t{S, S, work.Width() - S, work.Height() - S};
    c->Brush()->SetColor(0x0000FF);
    c->Brush()->SetStyle(gdi::bsSolid);
    c->FillRect({t.Left - 3, t.Top + 2, t.Right + 3, t.Bottom - 2});
    c->Brush()->SetStyle(gdi::bsClear);
    static const int kShift[9][2] = {{-1, -1}, {-2, -2}, {-1, 0}, {-2, 0}, {1, 0}, {2, 0}, {1, 1}, {2, 2}, {0, 0}};
    for (const auto& s : kShift)
      DrawTextInto(c, Text, {t.Left + s[0], t.Top + s[1], t.Right + s[0], t.Bottom + s[1]}, Format);
    BlurAlphaBitmap(&work, S / 2);
    BlurAlphaBitmap(&work, S / 2);
    GlowFinish(work, Canvas, Color, Rect.Left - S, Rect.Top - S);
  }
  return FinalText(Canvas, Text, Rect, Format);
}

void DrawWideTextWithReflection(gdi::TCanvas* Canvas, TRect Rect, const String& Text, TColor Color, int Offset,
                                unsigned Format) {
  if (!Canvas) return;
  const int W = RectWidth(Rect), H = RectHeight(Rect);
  TbsBitmap work;
  PrepareWork(work, Canvas, W, H);
  if (work.Bits()) {
    TRect L{0, 0, W, H};
    DrawTextInto(work.Canvas(), Text, L, Format);
    DrawWideText(work.Canvas(), Text, L, Format | gdi::DT_CALCRECT);
    TRect M = Rect;
    DrawWideText(Canvas, Text, M, Format | gdi::DT_CALCRECT);
    if (L.Bottom - L.Top > 0) {
      const TbsColor rgb = ColorToBsColor(Color) & 0xFFFFFF;
      for (int y = 0; y < H; ++y) {
        TbsColor* row = work.GetScanLine(y);
        if (y < L.Top || y > L.Bottom) {
          std::fill_n(row, W, 0u);
          continue;
        }
        float k = float(0.7 - double(L.Bottom + L.Top - y) / double(L.Bottom - L.Top));
        if (k < 0) k = 0;
        for (int x = 0; x < W; ++x) row[x] = TbsColor(int(((row[x] >> 16) & 0xFF) * k)) << 24 | rgb;
      }
      work.FlipVert();
      work.SetAlphaBlend(true);
      work.Draw(Canvas, Rect.Left, M.Bottom + L.Bottom + Offset - H);
    }
  }
  FinalText(Canvas, Text, Rect, Format);
}

void AlphaFromMaskBitmap(TbsBitmap* Bitmap, TbsBitmap* Mask) {
  if (!Bitmap || !Mask || !Bitmap->Bits() || !Mask->Bits()) return;
  const int w = std::min(Bitmap->Width(), Mask->Width()), h = std::min(Bitmap->Height(), Mask->Height());
  for (int y = 0; y < h; ++y) {
    TbsColor* b = Bitmap->GetScanLine(y);
    const TbsColor* m = Mask->GetScanLine(y);
    for (int x = 0; x < w; ++x) {
      const TbsColor a = ((m[x] & 0xFF) + ((m[x] >> 8) & 0xFF) + ((m[x] >> 16) & 0xFF)) / 3;
      b[x] = (b[x] & 0xFFFFFF) | a << 24;
    }
  }
}

}  // namespace skin
