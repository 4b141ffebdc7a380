// Regions from skin masks: region data layout, the region equal to the
// mask's pure black set, and masks resized with the nine-part geometry.
#include <climits>
#include <cstring>
#include <random>

#include "ImagesTestUtil.h"
#include "platform/gdi/Gdi.h"
#include "skin/images/bsSkinRegions.h"

namespace {

using namespace skin;

struct RegionData {
  gdi::RGNDATAHEADER head;
  std::vector<rtl::TRect> rects;
};

RegionData Parse(const std::vector<std::uint8_t>& d) {
  RegionData r;
  std::memcpy(&r.head, d.data(), 32);
  r.rects.resize(r.head.nCount);
  if (!r.rects.empty()) std::memcpy(r.rects.data(), d.data() + 32, 16 * r.rects.size());
  return r;
}

TEST(MaskToRegionDataTest, RowsOfRunsAndTheHeader) {
  gdi::TBitmap all;
  imgtest::Fill(all, 5, 3, [](int, int) { return 0xFF000000u; }, gdi::pf24bit);
  std::vector<std::uint8_t> data;
  ASSERT_EQ(MaskToRegionData(&all, 10, 20, data), 32 + 16 * 3);
  RegionData r = Parse(data);
  EXPECT_EQ(r.head.dwSize, 32u);
  EXPECT_EQ(r.head.iType, gdi::RDH_RECTANGLES);
  EXPECT_EQ(r.head.nRgnSize, 0u);
  EXPECT_EQ(r.head.rcBound, rtl::Rect(10, 20, 15, 23));
  for (int y = 0; y < 3; ++y) EXPECT_EQ(r.rects[y], rtl::Rect(10, 20 + y, 15, 21 + y));

  gdi::TBitmap none;
  imgtest::Fill(none, 4, 2, [](int x, int) { return x ? 0xFF010000u : 0xFF000001u; });  // near black is outside
  ASSERT_EQ(MaskToRegionData(&none, 0, 0, data), 32);
  EXPECT_EQ(Parse(data).head.rcBound, rtl::Rect(0, 0, 4, 2));

  gdi::TBitmap tail;
  imgtest::Fill(tail, 6, 1, [](int x, int) { return x == 1 || x >= 4 ? 0xFF000000u : 0xFFFFFFFFu; });
  MaskToRegionData(&tail, 0, 0, data);
  r = Parse(data);
  ASSERT_EQ(r.rects.size(), 2u);
  EXPECT_EQ(r.rects[0], rtl::Rect(1, 0, 2, 1));
  EXPECT_EQ(r.rects[1], rtl::Rect(4, 0, 6, 1));  // ends at the width

  gdi::TBitmap empty;
  EXPECT_EQ(MaskToRegionData(&empty, 0, 0, data), 0);
  EXPECT_TRUE(data.empty());
  gdi::HRGN rgn = reinterpret_cast<gdi::HRGN>(1);
  CreateRegionFromMask(rgn, &empty);
  EXPECT_EQ(rgn, nullptr);
}

TEST(CreateRegionFromMaskTest, TheRegionIsTheMasksPureBlackSet) {
  std::mt19937 g(5);
  std::vector<std::uint32_t> px(61 * 37);
  for (auto& p : px) {
    const int k = int(g() % 4);
    p = k < 2 ? 0xFF000000u : k == 2 ? 0xFF000100u : 0xFFFFFFFFu;
  }
  gdi::TBitmap mask;
  imgtest::Fill(mask, 61, 37, [&](int x, int y) { return px[y * 61 + x]; });
  gdi::HRGN rgn = nullptr;
  CreateRegionFromMask(rgn, &mask);
  ASSERT_NE(rgn, nullptr);
  for (int y = -1; y <= 37; ++y)
    for (int x = -1; x <= 61; ++x) {
      const bool black = x >= 0 && y >= 0 && x < 61 && y < 37 && px[y * 61 + x] == 0xFF000000u;
      ASSERT_EQ(bool(gdi::PtInRegion(rgn, x, y)), black) << x << "," << y;
    }
  gdi::DeleteObject(rgn);
}

TEST(MaskToRegionDataTest, ManyRunsAreAllKept) {
  gdi::TBitmap stripes;  // 300 x 80 alternate columns: 12,000 runs
  imgtest::Fill(stripes, 300, 80, [](int x, int) { return x % 2 ? 0xFFFFFFFFu : 0xFF000000u; });
  std::vector<std::uint8_t> data;
  EXPECT_EQ(MaskToRegionData(&stripes, 0, 0, data), 32 + 16 * 12000);
}

// A 20 x 16 mask, black except its rounded corners: pixel (x, y) is outside
// when it lies within 3 of a corner in the sum of its distances.
bool Inside(int x, int y, int w, int h) {
  const int dx = std::min(x, w - 1 - x), dy = std::min(y, h - 1 - y);
  return dx + dy >= 3;
}

TEST(CreateSkinMaskRegionTest, DesignSizeResizedAndTooSmall) {
  gdi::TBitmap mask;
  imgtest::Fill(mask, 20, 16, [](int x, int y) { return Inside(x, y, 20, 16) ? 0xFF000000u : 0xFFFFFFFFu; });
  const TPoint LT{5, 4}, RT{15, 4}, LB{5, 12}, RB{15, 12};
  const TRect Cl{4, 4, 16, 12};
  gdi::HRGN rgn = nullptr;
  CreateSkinMaskRegion(rgn, LT, RT, LB, RB, Cl, LT, RT, LB, RB, Cl, &mask, 20, 16);
  ASSERT_NE(rgn, nullptr);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 20; ++x) EXPECT_EQ(bool(gdi::PtInRegion(rgn, x, y)), Inside(x, y, 20, 16)) << x << "," << y;
  gdi::DeleteObject(rgn);

  const int W = 57, H = 33, dW = W - 20, dH = H - 16;
  CreateSkinMaskRegion(rgn, LT, RT, LB, RB, Cl, LT, {RT.X + dW, RT.Y}, {LB.X, LB.Y + dH}, {RB.X + dW, RB.Y + dH},
                       {Cl.Left, Cl.Top, Cl.Right + dW, Cl.Bottom + dH}, &mask, W, H);
  ASSERT_NE(rgn, nullptr);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) EXPECT_EQ(bool(gdi::PtInRegion(rgn, x, y)), Inside(x, y, W, H)) << x << "," << y;
  gdi::DeleteObject(rgn);

  rgn = reinterpret_cast<gdi::HRGN>(1);
  CreateSkinMaskRegion(rgn, LT, RT, LB, RB, Cl, LT, {4, RT.Y}, LB, RB, Cl, &mask, 9, 16);  // NRT.X < NLT.X
  EXPECT_EQ(rgn, nullptr);
  CreateSkinMaskRegion(rgn, LT, RT, LB, RB, Cl, LT, {RT.X + INT_MAX / 2, RT.Y}, LB, RB, Cl, &mask, INT_MAX, 16);
  EXPECT_EQ(rgn, nullptr);  // strips no bitmap can hold: refused, no region
}

TEST(CreateSkinMaskRegionTest, TheClientRectangleIsAlwaysInside) {
  gdi::TBitmap white;
  imgtest::Fill(white, 20, 16, [](int, int) { return 0xFFFFFFFFu; });
  gdi::HRGN rgn = nullptr;
  CreateSkinMaskRegion(rgn, {5, 4}, {15, 4}, {5, 12}, {15, 12}, {4, 4, 16, 12}, {5, 4}, {15, 4}, {5, 12}, {15, 12},
                       {4, 4, 16, 12}, &white, 20, 16);
  ASSERT_NE(rgn, nullptr);
  gdi::RECT box;
  gdi::GetRgnBox(rgn, &box);
  EXPECT_EQ(box, rtl::Rect(4, 4, 16, 12));
  gdi::DeleteObject(rgn);
}

}  // namespace
