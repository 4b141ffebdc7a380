// Small memory DCs over 32-bit top-down sections for pixel checks.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/gdi/Gdi.h"

namespace gdi {
inline COLORREF PixelToRefForTest(std::uint32_t p) { return ((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16); }
}  // namespace gdi

namespace gdi::test {

class MemDC {
 public:
  MemDC(int w, int h, std::uint32_t fill = 0xFF000000, int bpp = 32) {
    BITMAPINFO bi{};
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;
    bi.bmiHeader.biBitCount = WORD(bpp);
    void* bits = nullptr;
    bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    dc = CreateCompatibleDC(nullptr);
    old = SelectObject(dc, bmp);
    Fill(fill);
  }
  ~MemDC() {
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
  }
  Surface& S() { return *GetBitmapSurface(bmp); }
  void Fill(std::uint32_t argb) {
    for (int y = 0; y < S().Height(); ++y)
      for (int x = 0; x < S().Width(); ++x) S().SetPixel(x, y, argb);
  }
  std::uint32_t Px(int x, int y) { return S().GetPixel(x, y); }
  // One character per pixel: '#' where the colour (RGB) equals `on`, '.' elsewhere.
  std::string Map(std::uint32_t on) {
    std::string s;
    for (int y = 0; y < S().Height(); ++y) {
      for (int x = 0; x < S().Width(); ++x) s += (Px(x, y) & 0xFFFFFF) == (on & 0xFFFFFF) ? '#' : '.';
      s += '\n';
    }
    return s;
  }
  HDC dc;
  HBITMAP bmp;
  HGDIOBJ old;
};

inline std::string Rows(std::initializer_list<const char*> rows) {
  std::string s;
  for (const char* r : rows) (s += r) += '\n';
  return s;
}

}  // namespace gdi::test
