// Window regions from skin masks: pure black (0, 0, 0) pixels of a mask
// belong to the element, every other pixel lies outside it.
//
// The mask is read through TbsFBitmap, a 24-bit top-down copy with a table of
// row pointers, and turned into region data row by row: one rectangle per
// horizontal run of black pixels, rows top to bottom, runs left to right.
// There is no limit on the number of runs. The caller applies a region with
// SetWindowRgn (which takes it over) or frees it.
// GUI thread; no state.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gdi/Bitmap.h"
#include "skin/data/bsSkinIniValues.h"

namespace skin {

class TbsFBitmap {
 public:
  explicit TbsFBitmap(gdi::HBITMAP HBmp);
  ~TbsFBitmap();
  TbsFBitmap(const TbsFBitmap&) = delete;
  TbsFBitmap& operator=(const TbsFBitmap&) = delete;

  std::uint8_t* Bits = nullptr;
  std::vector<std::uint8_t*> Pixels;  // Pixels[y]: first byte of row y
  int Gap = 0;                        // bytes after each row: Width mod 4
  int RowInc = 0;                     // 3 * Width + Gap
  int Size = 0;
  int Width = 0, Height = 0;
  gdi::HBITMAP Handle = nullptr;
  gdi::HDC hDC = nullptr;

 private:
  void Initialize();
};

// Region data (RGNDATA) of Mask's black pixels moved by (X, Y), in Data; the
// result is its size in bytes, 32 + 16 * count. An empty mask gives 0 and no data.
int MaskToRegionData(gdi::TBitmap* Mask, int X, int Y, std::vector<std::uint8_t>& Data);
// The rectangles themselves, for callers that combine them further.
std::vector<rtl::TRect> MaskToRects(gdi::TBitmap* Mask, int X, int Y);

void CreateRegionFromMask(gdi::HRGN& Rgn, gdi::TBitmap* Mask);
// The region of Mask resized to W x H with the nine-part geometry (Mask's own
// coordinates); no region when the target is smaller than the corners or so
// large that its border strips cannot be had. The client rectangle NCl
// always lies inside.
void CreateSkinMaskRegion(gdi::HRGN& Rgn, TPoint LT, TPoint RT, TPoint LB, TPoint RB, TRect Cl, TPoint NLT,
                          TPoint NRT, TPoint NLB, TPoint NRB, TRect NCl, gdi::TBitmap* Mask, int W, int H);

}  // namespace skin
