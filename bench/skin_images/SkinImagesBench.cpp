// Skin image routines against a plain memcpy of the same area, timed side by
// side: every iteration runs the routine and the copy alternately, so the
// counter `x_memcpy` (routine time / copy time) holds under any machine load.
// Run with the default repetitions (5) and read the median rows.
//
//   tile:   a 16 x 16 piece tiled over 805 x 541 (composition and TbsBitmap)
//   region: a window region from an 805 x 541 mask (time per region in `ms`)
//   blur:   stack blur of radius 4 over 256 x 64 (time per blur in `ms`)
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <random>
#include <vector>

#include "platform/gdi/Bitmap.h"
#include "skin/images/bsBitmap.h"
#include "skin/images/bsGlowText.h"
#include "skin/images/bsSkinCompose.h"
#include "skin/images/bsSkinRegions.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kW = 805, kH = 541;

// Runs `op` and a memcpy of `bytes` alternately; reports the ratio and the
// routine's own time per call.
template <class Op>
void SideBySide(benchmark::State& st, std::size_t bytes, Op op) {
  std::vector<std::uint8_t> a(bytes, 1), b(bytes);
  double opTime = 0, copyTime = 0;
  for (auto _ : st) {
    const auto t0 = Clock::now();
    op();
    const auto t1 = Clock::now();
    std::memcpy(b.data(), a.data(), bytes);
    benchmark::DoNotOptimize(b.data());
    benchmark::ClobberMemory();
    const auto t2 = Clock::now();
    opTime += std::chrono::duration<double>(t1 - t0).count();
    copyTime += std::chrono::duration<double>(t2 - t1).count();
    st.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
  }
  st.counters["x_memcpy"] = opTime / copyTime;
  st.counters["ms"] = opTime * 1000 / double(st.iterations());
}

void Pattern(gdi::TBitmap& b, int w, int h, gdi::TPixelFormat f) {
  b.SetPixelFormat(f);
  b.SetSize(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.GetSurface()->SetPixel(x, y, 0xFF000000u | std::uint32_t(x * 9 + y * 5));
}

void BM_TileComposeClient(benchmark::State& st) {
  gdi::TBitmap piece, target;
  Pattern(piece, 16, 16, gdi::pf24bit);  // skin pictures are 24-bit
  target.SetSize(kW, kH);
  SideBySide(st, std::size_t(kW) * kH * 4, [&] {
    skin::TileRect(target.Canvas()->Handle(), rtl::Rect(0, 0, kW, kH), piece.Canvas()->Handle(), rtl::Rect(0, 0, 16, 16));
  });
}

void BM_TileTbsBitmap(benchmark::State& st) {
  skin::TbsBitmap piece, target;
  piece.SetSize(16, 16);
  for (int i = 0; i < 256; ++i) piece.Bits()[i] = 0xFF000000u | std::uint32_t(i * 77);
  target.SetSize(kW, kH);
  SideBySide(st, std::size_t(kW) * kH * 4, [&] { piece.Tile(&target, rtl::Rect(0, 0, kW, kH), rtl::Rect(0, 0, 16, 16)); });
}

// A window mask: black inside, rounded corners of radius 12 outside.
void FrameMask(gdi::TBitmap& m) {
  m.SetPixelFormat(gdi::pf24bit);
  m.SetSize(kW, kH);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const int dx = std::max(12 - std::min(x, kW - 1 - x), 0), dy = std::max(12 - std::min(y, kH - 1 - y), 0);
      m.GetSurface()->SetPixel(x, y, dx * dx + dy * dy > 144 ? 0xFFFFFFFFu : 0xFF000000u);
    }
}

void BM_RegionFromFrameMask(benchmark::State& st) {
  gdi::TBitmap mask;
  FrameMask(mask);
  SideBySide(st, std::size_t(kW) * kH * 4, [&] {
    gdi::HRGN rgn = nullptr;
    skin::CreateRegionFromMask(rgn, &mask);
    gdi::DeleteObject(rgn);
  });
}

// Worst kind of mask: noise, about a run every other pixel.
void BM_RegionFromNoiseMask(benchmark::State& st) {
  gdi::TBitmap mask;
  mask.SetPixelFormat(gdi::pf24bit);
  mask.SetSize(kW, kH);
  std::mt19937 g(3);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) mask.GetSurface()->SetPixel(x, y, g() & 1 ? 0xFF000000u : 0xFFFFFFFFu);
  SideBySide(st, std::size_t(kW) * kH * 4, [&] {
    gdi::HRGN rgn = nullptr;
    skin::CreateRegionFromMask(rgn, &mask);
    gdi::DeleteObject(rgn);
  });
}

void BM_BlurRadius4(benchmark::State& st) {
  skin::TbsBitmap b;
  b.SetSize(256, 64);
  std::mt19937 g(1);
  for (int i = 0; i < 256 * 64; ++i) b.Bits()[i] = g();
  SideBySide(st, std::size_t(256) * 64 * 4, [&] { skin::BlurAlphaBitmap(&b, 4); });
}

BENCHMARK(BM_TileComposeClient)->UseManualTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_TileTbsBitmap)->UseManualTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_RegionFromFrameMask)->UseManualTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_RegionFromNoiseMask)->UseManualTime()->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_BlurRadius4)->UseManualTime()->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
