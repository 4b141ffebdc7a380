// Raster layer throughput on a main-window-sized surface (805 x 541).
// items_per_second is pixels per second; BitBlt SRCCOPY is meant to be
// compared with BM_Memcpy of the same bytes.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "platform/gdi/Gdi.h"

namespace {

using namespace gdi;

constexpr int kW = 805, kH = 541;

struct Surf {
  Surf(int w, int h, std::uint32_t fill) {
    BITMAPINFO bi{};
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biBitCount = 32;
    bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, nullptr, nullptr, 0);
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, bmp);
    Surface* s = GetBitmapSurface(bmp);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) s->Row32(y)[x] = fill ^ std::uint32_t(x * 7 + y * 13);
  }
  ~Surf() {
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
  }
  HDC dc;
  HBITMAP bmp;
  HGDIOBJ old;
};

void BM_Memcpy(benchmark::State& st) {
  std::vector<std::uint8_t> a(std::size_t(kW) * kH * 4, 1), b(a.size());
  for (auto _ : st) {
    std::memcpy(b.data(), a.data(), a.size());
    benchmark::DoNotOptimize(b.data());
  }
  st.SetItemsProcessed(st.iterations() * kW * kH);
  st.SetBytesProcessed(st.iterations() * std::int64_t(a.size()));
}
BENCHMARK(BM_Memcpy);

void BM_BitBltSrcCopy(benchmark::State& st) {
  Surf src(kW, kH, 0xFF123456), dst(kW, kH, 0);
  for (auto _ : st) BitBlt(dst.dc, 0, 0, kW, kH, src.dc, 0, 0, SRCCOPY);
  st.SetItemsProcessed(st.iterations() * kW * kH);
  st.SetBytesProcessed(st.iterations() * std::int64_t(kW) * kH * 4);
}
BENCHMARK(BM_BitBltSrcCopy);

void BM_AlphaBlendPerPixel(benchmark::State& st) {
  Surf src(kW, kH, 0x80402010), dst(kW, kH, 0xFF808080);
  BLENDFUNCTION bf;
  bf.AlphaFormat = AC_SRC_ALPHA;
  for (auto _ : st) AlphaBlend(dst.dc, 0, 0, kW, kH, src.dc, 0, 0, kW, kH, bf);
  st.SetItemsProcessed(st.iterations() * kW * kH);
}
BENCHMARK(BM_AlphaBlendPerPixel);

void BM_AlphaBlendConstant(benchmark::State& st) {
  Surf src(kW, kH, 0xFF402010), dst(kW, kH, 0xFF808080);
  BLENDFUNCTION bf;
  bf.SourceConstantAlpha = 128;
  for (auto _ : st) AlphaBlend(dst.dc, 0, 0, kW, kH, src.dc, 0, 0, kW, kH, bf);
  st.SetItemsProcessed(st.iterations() * kW * kH);
}
BENCHMARK(BM_AlphaBlendConstant);

void BM_StretchBltDouble(benchmark::State& st) {
  Surf src(kW / 2, kH / 2, 0xFF123456), dst(kW, kH, 0);
  for (auto _ : st) StretchBlt(dst.dc, 0, 0, kW, kH, src.dc, 0, 0, kW / 2, kH / 2, SRCCOPY);
  st.SetItemsProcessed(st.iterations() * kW * kH);
}
BENCHMARK(BM_StretchBltDouble);

void BM_FillRect(benchmark::State& st) {
  Surf dst(kW, kH, 0);
  HBRUSH brush = CreateSolidBrush(RGB(212, 208, 200));
  const RECT r{0, 0, kW, kH};
  for (auto _ : st) FillRect(dst.dc, &r, brush);
  st.SetItemsProcessed(st.iterations() * kW * kH);
  DeleteObject(brush);
}
BENCHMARK(BM_FillRect);

void BM_DrawTextChineseLine(benchmark::State& st) {
  Surf dst(kW, kH, 0xFFFFFFFF);
  LOGFONTW lf;
  lf.lfHeight = -12;
  const char16_t face[] = u"Arial";
  std::memcpy(lf.lfFaceName, face, sizeof(face));
  HFONT font = CreateFontIndirect(&lf);
  HGDIOBJ old = SelectObject(dst.dc, font);
  SetBkMode(dst.dc, TRANSPARENT);
  const std::u16string line = u"TavrelAndroid手机视频转换器 — 正在转换：第 3 个文件，已完成 42%";
  RECT r{0, 0, kW, 20};
  RECT calc = r;
  DrawText(dst.dc, line.c_str(), int(line.size()), &calc, DT_CALCRECT | DT_SINGLELINE);
  for (auto _ : st) {
    RECT box = r;
    DrawText(dst.dc, line.c_str(), int(line.size()), &box, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
  }
  st.SetItemsProcessed(st.iterations() * calc.Width() * calc.Height());
  st.counters["chars_per_second"] =
      benchmark::Counter(double(st.iterations()) * line.size(), benchmark::Counter::kIsRate);
  SelectObject(dst.dc, old);
  DeleteObject(font);
}
BENCHMARK(BM_DrawTextChineseLine);

}  // namespace

BENCHMARK_MAIN();
