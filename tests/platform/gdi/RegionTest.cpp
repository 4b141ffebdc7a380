#include <vector>

#include "tests/platform/gdi/GdiTestUtil.h"

namespace gdi {
namespace {

// Region of a small picture: '#' cells are inside.
Region FromPicture(std::initializer_list<const char*> rows) {
  std::vector<RECT> rects;
  int y = 0;
  for (const char* r : rows) {
    for (int x = 0; r[x]; ++x)
      if (r[x] == '#') rects.push_back({x, y, x + 1, y + 1});
    ++y;
  }
  return Region::FromRects(rects);
}

std::string Picture(const Region& r, int w, int h) {
  std::string s;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) s += r.Contains({x, y}) ? '#' : '.';
    s += '\n';
  }
  return s;
}

TEST(Regions, CombineModesOnOverlappingRectangles) {
  struct Case {
    int mode;
    std::initializer_list<const char*> want;
  };
  const Case cases[] = {
      {RGN_AND, {"......", "......", "..##..", "..##..", "......"}},
      {RGN_OR, {"####..", "####..", "######", "######", "..####"}},
      {RGN_XOR, {"####..", "####..", "##..##", "##..##", "..####"}},
      {RGN_DIFF, {"####..", "####..", "##....", "##....", "......"}},
      {RGN_COPY, {"####..", "####..", "####..", "####..", "......"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    HRGN a = CreateRectRgn(0, 0, 4, 4), b = CreateRectRgn(2, 2, 6, 5), d = CreateRectRgn(0, 0, 0, 0);
    CombineRgn(d, a, b, c.mode);
    EXPECT_EQ(Picture(*GetRegion(d), 6, 5), test::Rows(c.want));
    // The banded form is canonical: building the same shape from pixels compares equal.
    HRGN same = CreateRegionHandle(FromPicture(c.want));
    EXPECT_TRUE(EqualRgn(d, same));
    for (HRGN r : {a, b, d, same}) DeleteObject(r);
  }
  HRGN a = CreateRectRgn(0, 0, 2, 2), d = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(CombineRgn(d, a, a, RGN_XOR), NULLREGION);
  EXPECT_EQ(CombineRgn(d, a, nullptr, RGN_OR), ERROR);
  DeleteObject(a);
  DeleteObject(d);
}

TEST(Regions, TouchingBandsMergeAndBoxesHitTestsAndOffsets) {
  const Region r = Region::Combine(Region({0, 0, 4, 2}), Region({0, 2, 4, 3}), Region::Op::Or);
  EXPECT_EQ(r.Rects().size(), 1u);
  EXPECT_EQ(r.Rects()[0], (RECT{0, 0, 4, 3}));
  HRGN h = CreateRegionHandle(FromPicture({"##..", "##..", "...#"}));
  RECT box;
  EXPECT_EQ(GetRgnBox(h, &box), COMPLEXREGION);
  EXPECT_EQ(box, (RECT{0, 0, 4, 3}));
  EXPECT_TRUE(PtInRegion(h, 1, 1));
  EXPECT_FALSE(PtInRegion(h, 2, 1));
  RECT probe{2, 0, 3, 3}, hit{2, 1, 4, 3};
  EXPECT_FALSE(RectInRegion(h, &probe));
  EXPECT_TRUE(RectInRegion(h, &hit));
  OffsetRgn(h, 10, 20);
  EXPECT_TRUE(PtInRegion(h, 13, 22));
  DeleteObject(h);
}

TEST(Regions, RegionDataRoundTripAndHostileCounts) {
  HRGN h = CreateRegionHandle(FromPicture({"#.#", ".#.", "#.#"}));
  const DWORD need = GetRegionData(h, 0, nullptr);
  std::vector<char> buf(need);
  auto* data = reinterpret_cast<RGNDATA*>(buf.data());
  ASSERT_EQ(GetRegionData(h, need, data), need);
  EXPECT_EQ(data->rdh.nCount, 5u);
  HRGN back = ExtCreateRegion(nullptr, need, data);
  EXPECT_TRUE(EqualRgn(h, back));
  data->rdh.nCount = 1000;  // more rectangles than the buffer holds
  EXPECT_EQ(ExtCreateRegion(nullptr, need, data), nullptr);
  data->rdh.nCount = 5;
  data->rdh.dwSize = need + 64;  // a header larger than the whole block
  EXPECT_EQ(ExtCreateRegion(nullptr, need, data), nullptr);
  DeleteObject(h);
  DeleteObject(back);
}

TEST(Regions, EllipticAndRoundRectShapes) {
  const Region e = Region::Ellipse({0, 0, 10, 10});
  EXPECT_EQ(e.Box(), (RECT{0, 0, 10, 10}));
  EXPECT_FALSE(e.Contains({0, 0}));
  EXPECT_TRUE(e.Contains({5, 5}));
  EXPECT_TRUE(e.Contains({0, 5}));
  const Region rr = Region::RoundRect({0, 0, 20, 10}, 6, 6);
  EXPECT_FALSE(rr.Contains({0, 0}));
  EXPECT_TRUE(rr.Contains({10, 0}));
  EXPECT_TRUE(rr.Contains({0, 5}));
  EXPECT_EQ(Region::RoundRect({0, 0, 5, 5}, 0, 0), Region({0, 0, 5, 5}));
}

TEST(Regions, FillAndFrameRegionOnADC) {
  test::MemDC d(6, 5, 0xFF000000);
  HRGN h = CreateRectRgn(1, 1, 5, 4);
  FrameRgn(d.dc, h, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)), 1, 1);
  EXPECT_EQ(d.Map(0xFFFFFF), test::Rows({"......", ".####.", ".#..#.", ".####.", "......"}));
  FillRgn(d.dc, h, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  EXPECT_EQ(d.Map(0xFFFFFF), test::Rows({"......", ".####.", ".####.", ".####.", "......"}));
  DeleteObject(h);
}

}  // namespace
}  // namespace gdi
