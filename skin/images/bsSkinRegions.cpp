#include "skin/images/bsSkinRegions.h"

#include <cstring>

#include "platform/rtl/Exceptions.h"

#include "skin/images/bsDib24.h"
#include "skin/images/bsSkinCompose.h"

namespace skin {

TbsFBitmap::TbsFBitmap(gdi::HBITMAP HBmp) {
  gdi::BITMAP bm{};
  if (!HBmp || gdi::GetObject(HBmp, sizeof(bm), &bm) == 0 || bm.bmWidth <= 0 || bm.bmHeight == 0) return;
  gdi::BITMAPINFO info;
  Handle = CreateDib24(bm.bmWidth, std::abs(bm.bmHeight), info, Bits);
  if (!Handle) return;
  Width = bm.bmWidth;
  Height = std::abs(bm.bmHeight);
  gdi::GetDIBits(nullptr, HBmp, 0, gdi::UINT(Height), Bits, &info, gdi::DIB_RGB_COLORS);
  Initialize();
}

void TbsFBitmap::Initialize() {
  Gap = Width % 4;
  RowInc = 3 * Width + Gap;
  Size = RowInc * Height;
  Pixels.resize(static_cast<std::size_t>(Height));
  for (int y = 0; y < Height; ++y) Pixels[y] = Bits + std::size_t(y) * RowInc;
  hDC = gdi::CreateCompatibleDC(nullptr);
  if (hDC) gdi::SelectObject(hDC, Handle);
}

TbsFBitmap::~TbsFBitmap() {
  if (hDC) gdi::DeleteDC(hDC);
  if (Handle) gdi::DeleteObject(Handle);
}

std::vector<rtl::TRect> MaskToRects(gdi::TBitmap* Mask, int X, int Y) {
  std::vector<rtl::TRect> rects;
  if (!Mask || Mask->Empty()) return rects;
  TbsFBitmap f(Mask->Handle());
  for (int y = 0; y < f.Height; ++y) {
    const std::uint8_t* row = f.Pixels[y];
    int x = 0;
    while (x < f.Width) {
      const std::uint8_t* p = row + 3 * x;
      if (p[0] | p[1] | p[2]) {
        ++x;
        continue;
      }
      const int x1 = x;
      while (x < f.Width && !(row[3 * x] | row[3 * x + 1] | row[3 * x + 2])) ++x;
      rects.push_back({x1 + X, y + Y, x + X, y + Y + 1});
    }
  }
  return rects;
}

int MaskToRegionData(gdi::TBitmap* Mask, int X, int Y, std::vector<std::uint8_t>& Data) {
  Data.clear();
  if (!Mask || Mask->Empty()) return 0;
  const std::vector<rtl::TRect> rects = MaskToRects(Mask, X, Y);
  gdi::RGNDATAHEADER h;
  h.nCount = gdi::DWORD(rects.size());
  h.rcBound = rtl::Rect(X, Y, X + Mask->Width(), Y + Mask->Height());
  Data.assign(32 + 16 * rects.size(), 0);
  std::memcpy(Data.data(), &h, 32);
  if (!rects.empty()) std::memcpy(Data.data() + 32, rects.data(), 16 * rects.size());
  return int(Data.size());
}

void CreateRegionFromMask(gdi::HRGN& Rgn, gdi::TBitmap* Mask) {
  Rgn = nullptr;
  std::vector<std::uint8_t> data;
  const int size = MaskToRegionData(Mask, 0, 0, data);
  if (size == 0) return;
  Rgn = gdi::ExtCreateRegion(nullptr, gdi::DWORD(size), reinterpret_cast<const gdi::RGNDATA*>(data.data()));
}

void CreateSkinMaskRegion(gdi::HRGN& Rgn, TPoint LT, TPoint RT, TPoint LB, TPoint RB, TRect Cl, TPoint NLT,
                          TPoint NRT, TPoint NLB, TPoint NRB, TRect NCl, gdi::TBitmap* Mask, int W, int H) {
  Rgn = nullptr;
  if (NRT.X < NLT.X || NLB.Y < NLT.Y || !Mask || Mask->Empty()) return;
  gdi::TBitmap top, left, right, bottom;
  try {
    ComposeSkinBorderStrips(LT, RT, LB, RB, Cl, NLT, NRT, NLB, NRB, NCl, Mask, &top, &left, &right, &bottom, W, H);
  } catch (const rtl::EOutOfResources&) {
    return;  // a size no window can have: no region rather than a failed paint
  }
  std::vector<rtl::TRect> rects;
  const auto add = [&](gdi::TBitmap& strip, int x, int y) {
    if (strip.Width() <= 0 || strip.Height() <= 0) return;
    std::vector<rtl::TRect> r = MaskToRects(&strip, x, y);
    rects.insert(rects.end(), r.begin(), r.end());
  };
  add(top, 0, 0);
  add(bottom, 0, NCl.Bottom);
  add(left, 0, NCl.Top);
  add(right, NCl.Right, NCl.Top);
  if (!NCl.IsEmpty()) rects.push_back(NCl);
  if (rects.empty()) return;
  Rgn = gdi::CreateRegionHandle(gdi::Region::FromRects(rects));
}

}  // namespace skin
