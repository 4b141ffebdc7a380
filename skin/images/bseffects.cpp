#include "skin/images/bseffects.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>
#include <random>

#include "platform/gdi/Colors.h"
#include "skin/images/bsDib24.h"

namespace skin {

// Weights are held as doubles (1 - Kf included) and the products summed in
// extended precision before rounding, so 255 darkened by 0.3 gives 178.
namespace {

constexpr std::int64_t kMaxPixels = std::int64_t(1) << 28;

// A factor that is not a number counts as 0 throughout.
inline std::uint8_t Clamp255(long double v) {
  const long double r = std::nearbyint(v);
  return std::uint8_t(r > 0 ? (r > 255 ? 255 : r) : 0);
}

// Each channel of a from self (weight t) and other (weight 1 - t).
inline void Mix(std::uint8_t* a, const std::uint8_t* b, long double t) {
  for (int c = 0; c < 3; ++c) a[c] = Clamp255(t * a[c] + (1 - t) * b[c]);
}

std::mutex& NoiseLock() {
  static std::mutex m;
  return m;
}
std::mt19937& Noise() {
  static std::mt19937 g(std::random_device{}());
  return g;
}
int NoiseValue(int amount) {
  std::lock_guard lock(NoiseLock());
  return int(Noise()() % std::uint32_t(amount)) - amount / 2;
}

// Kf clamped to 0..1; not a number counts as 0.
double Factor(double Kf) { return Kf == Kf ? std::clamp(Kf, 0.0, 1.0) : 0.0; }

// Counts far beyond any image stop at +-2^29, where the sums made of them
// (sizes minus counts) still fit an int.
int RoundInt(long double v) {
  if (!(v == v)) return 0;
  constexpr long double kLimit = 1 << 29;
  return int(std::clamp<long double>(std::nearbyint(v), -kLimit, kLimit));
}

}  // namespace

TbsEffectBmp::TbsEffectBmp(int cx, int cy) {
  if (cx <= 0 || cy <= 0 || std::int64_t(cx) * cy > kMaxPixels) return;
  FHandle = CreateDib24(cx, cy, FBmpInfo, FBits);
  if (!FHandle) return;
  FWidth = cx;
  FHeight = cy;
  FSize = RowSize() * cy;
}

TbsEffectBmp::~TbsEffectBmp() {
  if (FHandle) gdi::DeleteObject(FHandle);
}

TbsEffectBmp* TbsEffectBmp::CreateFromhWnd(gdi::HBITMAP hBmp) {
  gdi::BITMAP bm{};
  if (!hBmp || gdi::GetObject(hBmp, sizeof(bm), &bm) == 0) return new TbsEffectBmp(0, 0);
  auto* e = new TbsEffectBmp(bm.bmWidth, std::abs(bm.bmHeight));
  if (e->FBits) {
    gdi::HDC dc = gdi::CreateCompatibleDC(nullptr);
    gdi::BITMAPINFO info = e->FBmpInfo;
    gdi::GetDIBits(dc, hBmp, 0, gdi::UINT(e->FHeight), e->FBits, &info, gdi::DIB_RGB_COLORS);
    gdi::DeleteDC(dc);
  }
  return e;
}

TbsEffectBmp* TbsEffectBmp::CreateCopy(const TbsEffectBmp& Bmp) {
  auto* e = new TbsEffectBmp(Bmp.FWidth, Bmp.FHeight);
  if (e->FBits && Bmp.FBits) std::memcpy(e->FBits, Bmp.FBits, std::size_t(e->FSize));
  return e;
}

void TbsEffectBmp::GetScanLine(int Y, std::uint8_t* Line) const {
  if (FBits && Y >= 0 && Y < FHeight) std::memcpy(Line, ScanLinePtr(Y), std::size_t(3) * FWidth);
}

void TbsEffectBmp::SetScanLine(int Y, const std::uint8_t* Line) {
  if (FBits && Y >= 0 && Y < FHeight) std::memcpy(ScanLinePtr(Y), Line, std::size_t(3) * FWidth);
}

int TbsEffectBmp::ReadPixel(int X, int Y) const {
  if (!FBits || X < 0 || Y < 0 || X >= FWidth || Y >= FHeight) return 0;
  const std::uint8_t* p = ScanLinePtr(Y) + 3 * X;
  return p[0] | p[1] << 8 | p[2] << 16;
}

void TbsEffectBmp::WritePixel(int X, int Y, int Color) {
  if (!FBits || X < 0 || Y < 0 || X >= FWidth || Y >= FHeight) return;
  std::uint8_t* p = ScanLinePtr(Y) + 3 * X;
  p[0] = std::uint8_t(Color);
  p[1] = std::uint8_t(Color >> 8);
  p[2] = std::uint8_t(Color >> 16);
}

// ---- Output -------------------------------------------------------------------

void TbsEffectBmp::Draw(gdi::HDC hDC, int x, int y) {
  if (!FBits) return;
  gdi::SetDIBitsToDevice(hDC, x, y, gdi::DWORD(FWidth), gdi::DWORD(FHeight), 0, 0, 0, gdi::UINT(FHeight), FBits,
                         &FBmpInfo, gdi::DIB_RGB_COLORS);
}

void TbsEffectBmp::Stretch(gdi::HDC hDC, int x, int y, int cx, int cy) {
  if (!FBits) return;
  gdi::StretchDIBits(hDC, x, y, cx, cy, 0, 0, FWidth, FHeight, FBits, &FBmpInfo, gdi::DIB_RGB_COLORS, gdi::SRCCOPY);
}

void TbsEffectBmp::DrawRect(gdi::HDC hDC, int hx, int hy, int x, int y, int cx, int cy) {
  if (!FBits) return;
  gdi::StretchDIBits(hDC, hx, hy + cy - 1, cx, 1 - cy, x, FHeight - y, cx, 1 - cy, FBits, &FBmpInfo,
                     gdi::DIB_RGB_COLORS, gdi::SRCCOPY);
}

// ---- Transitions ----------------------------------------------------------------

void TbsEffectBmp::Morph(const TbsEffectBmp& BMP, double Kf) {
  if (!SameSize(BMP)) return;
  const double k = Factor(Kf), k1 = 1 - k;
  for (int y = 0; y < FHeight; ++y) {
    std::uint8_t* a = ScanLinePtr(y);
    const std::uint8_t* b = BMP.ScanLinePtr(y);
    for (int i = 0; i < 3 * FWidth; ++i) a[i] = Clamp255((long double)k1 * a[i] + (long double)k * b[i]);
  }
}

void TbsEffectBmp::MorphGrad(const TbsEffectBmp& BMP, double Kf) {
  if (FWidth < FHeight) MorphVGrad(BMP, Kf);
  else MorphHGrad(BMP, Kf);
}

void TbsEffectBmp::MorphHGrad(const TbsEffectBmp& BMP, double Kf) {
  if (!SameSize(BMP)) return;
  const int W = FWidth;
  const int n = RoundInt((long double)W * Kf);
  const int d = (W - n) / 2;
  const double step = d == 0 ? 1.0 : 1.0 / d;
  const int L = std::clamp(W / 2 - n / 2, 0, W - 1), R = std::clamp(W / 2 + n / 2, 0, W - 1);
  for (int y = 0; y < FHeight; ++y) {
    std::uint8_t* a = ScanLinePtr(y);
    const std::uint8_t* b = BMP.ScanLinePtr(y);
    for (int x = L; x <= R; ++x) std::memcpy(a + 3 * x, b + 3 * x, 3);
    double t = 0;
    for (int x = L; x >= 0; --x, t = std::min(t + step, 1.0)) Mix(a + 3 * x, b + 3 * x, t);
    t = 0;
    for (int x = R; x < W; ++x, t = std::min(t + step, 1.0)) Mix(a + 3 * x, b + 3 * x, t);
  }
}

void TbsEffectBmp::MorphVGrad(const TbsEffectBmp& BMP, double Kf) {
  if (!SameSize(BMP)) return;
  const int H = FHeight;
  const int n = RoundInt((long double)H * Kf);
  const int d = (H - 1 - n) / 2;
  const double step = d == 0 ? 0.0 : 1.0 / d;
  const int T = std::clamp(H / 2 - n / 2, 0, H - 1), B = std::clamp(H / 2 + n / 2, 0, H - 1);
  const auto mixRow = [&](int y, double t) {
    std::uint8_t* a = ScanLinePtr(y);
    const std::uint8_t* b = BMP.ScanLinePtr(y);
    for (int x = 0; x < FWidth; ++x) Mix(a + 3 * x, b + 3 * x, t);
  };
  for (int y = T; y <= B; ++y) std::memcpy(ScanLinePtr(y), BMP.ScanLinePtr(y), std::size_t(3) * FWidth);
  double t = 0;
  for (int y = T; y >= 0; --y, t = std::min(t + step, 1.0)) mixRow(y, t);
  t = 0;
  for (int y = B; y < H; ++y, t = std::min(t + step, 1.0)) mixRow(y, t);
}

void TbsEffectBmp::MorphLeftGrad(const TbsEffectBmp& BMP, double Kf) {
  if (!SameSize(BMP)) return;
  const int W = FWidth;
  const int n = std::min(std::max(RoundInt((long double)W * Kf), 1), W - 1);
  const double step = n > 0 ? 1.0 / n : 1.0;
  for (int y = 0; y < FHeight; ++y) {
    std::uint8_t* a = ScanLinePtr(y);
    const std::uint8_t* b = BMP.ScanLinePtr(y);
    double t = 0;
    for (int x = 0; x <= n; ++x, t = std::min(t + step, 1.0)) Mix(a + 3 * x, b + 3 * x, t);
  }
}

void TbsEffectBmp::MorphRightGrad(const TbsEffectBmp& BMP, double Kf) {
  if (!SameSize(BMP)) return;
  const int W = FWidth;
  const int c = std::clamp(W - RoundInt((long double)W * Kf), 0, W - 1);
  const double step = 1.0 / (W - c);
  for (int y = 0; y < FHeight; ++y) {
    std::uint8_t* a = ScanLinePtr(y);
    const std::uint8_t* b = BMP.ScanLinePtr(y);
    double t = 0;
    for (int x = W - 1; x >= c; --x, t = std::min(t + step, 1.0)) Mix(a + 3 * x, b + 3 * x, t);
  }
}

void TbsEffectBmp::MorphPush(const TbsEffectBmp& BMP, double Kf) {
  if (!SameSize(BMP)) return;
  const int W = FWidth;
  const int n = std::clamp(RoundInt((long double)W * Kf), 0, W - 1);
  for (int y = 0; y < FHeight; ++y) {
    std::uint8_t* a = ScanLinePtr(y);
    const std::uint8_t* b = BMP.ScanLinePtr(y);
    for (int x = W - 1; x >= n; --x) std::memmove(a + 3 * x, a + 3 * std::max(x - n - 1, 0), 3);
    int j = std::max(W - n - 1, 0);
    for (int k = 0; k <= n; ++k) {
      std::memcpy(a + 3 * k, b + 3 * j, 3);
      j = std::min(j + 1, W - 1);
    }
  }
}

// Columns W - n .. W - 1 of BMP slide in at the left (toLeft), or columns
// 0 .. n - 1 at the right.
void TbsEffectBmp::Slide(const TbsEffectBmp& BMP, double Kf, bool toLeft) {
  if (!SameSize(BMP)) return;
  const int W = FWidth;
  const int n = std::min(std::max(RoundInt((long double)W * Kf), 1), W - 1);
  for (int y = 0; y < FHeight; ++y) {
    std::uint8_t* a = ScanLinePtr(y);
    const std::uint8_t* b = BMP.ScanLinePtr(y);
    int j = std::max(W - 1 - n, 0);
    for (int k = 0; k < n; ++k) {
      j = std::min(j + 1, W - 1);
      if (toLeft) std::memcpy(a + 3 * k, b + 3 * j, 3);
      else std::memcpy(a + 3 * j, b + 3 * k, 3);
    }
  }
}

void TbsEffectBmp::MorphLeftSlide(const TbsEffectBmp& BMP, double Kf) { Slide(BMP, Kf, true); }
void TbsEffectBmp::MorphRightSlide(const TbsEffectBmp& BMP, double Kf) { Slide(BMP, Kf, false); }

void TbsEffectBmp::MorphRect(const TbsEffectBmp& BMP, double Kf, const rtl::TRect& Rct, int StartX, int StartY) {
  if (!FBits || !BMP.FBits) return;
  const double k = Factor(Kf), k1 = 1 - k;
  for (int y = Rct.Top, by = StartY; y < Rct.Bottom; ++y, ++by) {
    if (y < 0 || y >= FHeight || by < 0 || by >= BMP.FHeight) continue;
    for (int x = Rct.Left, bx = StartX; x < Rct.Right; ++x, ++bx) {
      if (x < 0 || x >= FWidth || bx < 0 || bx >= BMP.FWidth) continue;
      std::uint8_t* a = ScanLinePtr(y) + 3 * x;
      const std::uint8_t* b = BMP.ScanLinePtr(by) + 3 * bx;
      for (int c = 0; c < 3; ++c) a[c] = Clamp255((long double)k1 * a[c] + (long double)k * b[c]);
    }
  }
}

void TbsEffectBmp::CopyRect(const TbsEffectBmp& BMP, const rtl::TRect& Rct, int StartX, int StartY) {
  if (!FBits || !BMP.FBits) return;
  const int right = std::min(Rct.Right, FWidth - 1), bottom = std::min(Rct.Bottom, FHeight - 1);
  for (int y = Rct.Top, by = StartY; y <= bottom; ++y, ++by)
    for (int x = Rct.Left, bx = StartX; x <= right; ++x, ++bx)
      if (x >= 0 && y >= 0 && bx >= 0 && by >= 0 && bx < BMP.FWidth && by < BMP.FHeight)
        WritePixel(x, y, BMP.ReadPixel(bx, by));
}

// ---- Effects ------------------------------------------------------------------------

void TbsEffectBmp::ChangeBrightness(double Kf) {
  const double k = Factor(Kf), k1 = 1 - k;
  for (int y = 0; y < FHeight; ++y) {
    std::uint8_t* a = ScanLinePtr(y);
    for (int i = 0; i < 3 * FWidth; ++i) a[i] = Clamp255((long double)k1 * a[i] + 255 * (long double)k);
  }
}

void TbsEffectBmp::ChangeDarkness(double Kf) {
  const double k1 = 1 - Factor(Kf);
  for (int y = 0; y < FHeight; ++y) {
    std::uint8_t* a = ScanLinePtr(y);
    for (int i = 0; i < 3 * FWidth; ++i) a[i] = Clamp255((long double)k1 * a[i]);
  }
}

void TbsEffectBmp::GrayScale() {
  for (int y = 0; y < FHeight; ++y) {
    std::uint8_t* p = ScanLinePtr(y);
    for (int x = 0; x < FWidth; ++x, p += 3) {
      const std::uint8_t g = Clamp255(0.3L * p[2] + 0.59L * p[1] + 0.11L * p[0]);
      p[0] = p[1] = p[2] = g;
    }
  }
}

void TbsEffectBmp::Invert() {
  for (int y = 0; y < FHeight; ++y) {
    std::uint8_t* a = ScanLinePtr(y);
    for (int i = 0; i < 3 * FWidth; ++i) a[i] = std::uint8_t(255 - a[i]);
  }
}

// A neighbour before the start is the pixel's own coordinate; one past the
// end is size minus the coordinate (a mirror about the end), kept inside the
// image when the amount reaches the whole size.
void TbsEffectBmp::NeighbourMean(int x, int y, int Amount, std::uint8_t out[3]) const {
  const auto lo = [](int v, int a) { return v - a < 0 ? v : v - a; };
  const auto hi = [](int v, int a, int size) { return std::clamp(v + a >= size ? size - v : v + a, 0, size - 1); };
  const int up = std::clamp(lo(y, Amount), 0, FHeight - 1), down = hi(y, Amount, FHeight);
  const int left = std::clamp(lo(x, Amount), 0, FWidth - 1), right = hi(x, Amount, FWidth);
  const std::uint8_t* p1 = ScanLinePtr(up) + 3 * left;
  const std::uint8_t* p2 = ScanLinePtr(down) + 3 * left;
  const std::uint8_t* p3 = ScanLinePtr(up) + 3 * right;
  const std::uint8_t* p4 = ScanLinePtr(down) + 3 * right;
  for (int c = 0; c < 3; ++c) out[c] = std::uint8_t((p1[c] + p2[c] + p3[c] + p4[c]) / 4);
}

void TbsEffectBmp::SplitBlur(int Amount) {
  if (Amount == 0 || !FBits) return;
  for (int y = 0; y < FHeight; ++y)
    for (int x = 0; x < FWidth; ++x) NeighbourMean(x, y, Amount, ScanLinePtr(y) + 3 * x);
}

void TbsEffectBmp::AddMonoNoise(int Amount) {
  if (Amount <= 0) return;
  for (int y = 0; y < FHeight; ++y) {
    std::uint8_t* p = ScanLinePtr(y);
    for (int x = 0; x < FWidth; ++x, p += 3) {
      const int r = NoiseValue(Amount);
      for (int c = 0; c < 3; ++c) p[c] = std::uint8_t(std::clamp(p[c] + r, 0, 255));
    }
  }
}

void TbsEffectBmp::AddColorNoise(int Amount) {
  if (Amount <= 0) return;
  for (int y = 0; y < FHeight; ++y) {
    std::uint8_t* a = ScanLinePtr(y);
    for (int i = 0; i < 3 * FWidth; ++i) a[i] = std::uint8_t(std::clamp(a[i] + NoiseValue(Amount), 0, 255));
  }
}

void TbsEffectBmp::SetNoiseSeed(std::uint32_t Seed) {
  std::lock_guard lock(NoiseLock());
  Noise().seed(Seed);
}

void TbsEffectBmp::Mosaic(int ASize) {
  if (ASize <= 0) return;
  for (int by = 0; by < FHeight; by += ASize)
    for (int bx = 0; bx < FWidth; bx += ASize) {
      const int c = ReadPixel(bx, by);
      for (int y = by; y < std::min(by + ASize, FHeight); ++y)
        for (int x = bx; x < std::min(bx + ASize, FWidth); ++x) WritePixel(x, y, c);
    }
}

void TbsEffectBmp::Wave(int XDIV, int YDIV, int RatioVal) {
  if (XDIV == 0 || YDIV == 0 || !FBits) return;
  std::unique_ptr<TbsEffectBmp> copy(CreateCopy(*this));
  for (int y = 0; y < FHeight; ++y)
    for (int x = 0; x < FWidth; ++x) {
      const int sx = std::clamp(RoundInt(std::sin((long double)y / YDIV) * RatioVal + x), 0, FWidth - 1);
      const int sy = std::clamp(RoundInt(std::sin((long double)x / XDIV) * RatioVal + y), 0, FHeight - 1);
      WritePixel(x, y, copy->ReadPixel(sx, sy));
    }
}

// ---- Geometry ---------------------------------------------------------------------

void TbsEffectBmp::Rotate90_1(TbsEffectBmp& Dst) const {
  if (!FBits || Dst.FWidth != FHeight || Dst.FHeight != FWidth) return;
  for (int y = 0; y < FHeight; ++y)
    for (int x = 0; x < FWidth; ++x) Dst.WritePixel(y, FWidth - 1 - x, ReadPixel(x, y));
}

void TbsEffectBmp::Rotate90_2(TbsEffectBmp& Dst) const {
  if (!FBits || Dst.FWidth != FHeight || Dst.FHeight != FWidth) return;
  for (int y = 0; y < FHeight; ++y)
    for (int x = 0; x < FWidth; ++x) Dst.WritePixel(FHeight - 1 - y, x, ReadPixel(x, y));
}

void TbsEffectBmp::FlipVert(TbsEffectBmp& Dst) const {
  if (!SameSize(Dst)) return;
  for (int y = 0; y < FHeight; ++y)
    std::memcpy(Dst.ScanLinePtr(FHeight - 1 - y), ScanLinePtr(y), std::size_t(3) * FWidth);
}

void TbsEffectBmp::Resize(TbsEffectBmp& Dst) const {
  if (!FBits || !Dst.FBits) return;
  const double kx = double(Dst.FWidth - 1) / FWidth, ky = double(Dst.FHeight - 1) / FHeight;
  const int bw = RoundInt(kx) + 1, bh = RoundInt(ky) + 1;
  for (int y = 0; y < FHeight; ++y)
    for (int x = 0; x < FWidth; ++x) {
      const int c = ReadPixel(x, y), ox = RoundInt((long double)kx * x), oy = RoundInt((long double)ky * y);
      for (int j = 0; j < bh; ++j)
        for (int i = 0; i < bw; ++i) Dst.WritePixel(ox + i, oy + j, c);
    }
}

// ---- Masked operations ------------------------------------------------------------

bool TbsEffectBmp::MaskUsable(const TbsEffectBmp& Msk, int Amount) const {
  return Amount != 0 && FBits && Msk.FBits && Msk.FWidth == FWidth && Msk.FHeight >= FHeight;
}

bool TbsEffectBmp::IsWhite(const TbsEffectBmp& Msk, int x, int y) {
  return (Msk.ReadPixel(x, y) & 0xFFFFFF) == 0xFFFFFF;
}

void TbsEffectBmp::MaskBlur(const TbsEffectBmp& Msk, int Amount) {
  if (!MaskUsable(Msk, Amount)) return;
  for (int y = 0; y < FHeight; ++y)
    for (int x = 0; x < FWidth; ++x)
      if (!IsWhite(Msk, x, y)) NeighbourMean(x, y, Amount, ScanLinePtr(y) + 3 * x);
}

void TbsEffectBmp::MaskAntialiasing(const TbsEffectBmp& Msk, int Amount) {
  if (!MaskUsable(Msk, Amount)) return;
  const auto lo = [](int v, int a) { return v - a < 0 ? v : v - a; };
  const auto hi = [](int v, int a, int size) { return std::clamp(v + a >= size ? size - v : v + a, 0, size - 1); };
  for (int y = 0; y < FHeight; ++y)
    for (int x = 0; x < FWidth; ++x) {
      if (IsWhite(Msk, x, y)) continue;
      const int up = std::clamp(lo(y, Amount), 0, FHeight - 1), down = hi(y, Amount, FHeight);
      const int left = std::clamp(lo(x, Amount), 0, FWidth - 1), right = hi(x, Amount, FWidth);
      if (IsWhite(Msk, left, up) || IsWhite(Msk, left, down) || IsWhite(Msk, right, up) || IsWhite(Msk, right, down))
        NeighbourMean(x, y, Amount, ScanLinePtr(y) + 3 * x);
    }
}

void TbsEffectBmp::MaskFillColor(const TbsEffectBmp& Msk, rtl::TColor C, double kf) {
  if (!MaskUsable(Msk, 1)) return;
  const gdi::COLORREF rgb = gdi::ColorToRGB(C);
  const long double col[3] = {(long double)gdi::GetBValue(rgb), (long double)gdi::GetGValue(rgb),
                              (long double)gdi::GetRValue(rgb)};
  const double k = kf, k1 = 1 - kf;
  for (int y = 0; y < FHeight; ++y)
    for (int x = 0; x < FWidth; ++x) {
      if (IsWhite(Msk, x, y)) continue;
      std::uint8_t* p = ScanLinePtr(y) + 3 * x;
      for (int c = 0; c < 3; ++c) p[c] = Clamp255((long double)k1 * p[c] + (long double)k * col[c]);
    }
}

}  // namespace skin
