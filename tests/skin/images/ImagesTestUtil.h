// Small pictures for the skin image tests: framework bitmaps and TbsBitmaps
// filled from functions of the pixel position, and pixel readers.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/gdi/Bitmap.h"
#include "skin/images/bsBitmap.h"

namespace imgtest {

using PixelFn = std::function<std::uint32_t(int x, int y)>;

// A 32-bit framework bitmap (device format unless `format` says otherwise).
inline void Fill(gdi::TBitmap& b, int w, int h, const PixelFn& f, gdi::TPixelFormat format = gdi::pfDevice) {
  b.SetPixelFormat(format);
  b.SetSize(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.GetSurface()->SetPixel(x, y, f(x, y));
}

inline void Fill(skin::TbsBitmap& b, int w, int h, const PixelFn& f) {
  b.SetSize(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) *b.GetPixelPtr(x, y) = f(x, y);
}

inline std::uint32_t Px(gdi::TBitmap& b, int x, int y) { return b.GetSurface()->GetPixel(x, y); }
inline std::uint32_t Rgb(std::uint32_t p) { return p & 0xFFFFFF; }

// A source picture whose every pixel names its own position: red = x,
// green = y, blue = a tag (so that several pictures stay apart).
inline std::uint32_t Coord(int x, int y, int tag = 0) {
  return 0xFF000000u | std::uint32_t(x & 0xFF) << 16 | std::uint32_t(y & 0xFF) << 8 | std::uint32_t(tag & 0xFF);
}
inline int CoordX(std::uint32_t p) { return int((p >> 16) & 0xFF); }
inline int CoordY(std::uint32_t p) { return int((p >> 8) & 0xFF); }

// Folder for pictures written by the tests (the build folder, never the sources).
inline std::string PictureDir() {
  const char* d = std::getenv("TVL_TEST_PICTURES");
  return d ? d : ".";
}

}  // namespace imgtest
