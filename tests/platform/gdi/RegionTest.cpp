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
  // An empty first operand: nothing to take from, everything to add to.
  const struct {
    int mode, result;
    const char* what;
  } empties[] = {{RGN_DIFF, NULLREGION, "diff"}, {RGN_AND, NULLREGION, "and"}, {RGN_OR, SIMPLEREGION, "or"},
                 {RGN_XOR, SIMPLEREGION, "xor"}};
  for (const auto& e : empties) {
    HRGN none = CreateRectRgn(0, 0, 0, 0), b = CreateRectRgn(2, 2, 6, 5), d = CreateRectRgn(0, 0, 1, 1);
    EXPECT_EQ(CombineRgn(d, none, b, e.mode), e.result) << e.what;
    EXPECT_EQ(e.result == NULLREGION, GetRegion(d)->IsEmpty()) << e.what;
    if (e.result != NULLREGION) {
      EXPECT_TRUE(EqualRgn(d, b)) << e.what;
    }
    for (HRGN r : {none, b, d}) DeleteObject(r);
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

// Origins and offsets at the ends of the int range push drawing out of the
// clip; nothing wraps around onto the surface and no sum overflows.
TEST(Regions, OriginsAndOffsetsAtTheEndsOfTheIntRangeStayClipped) {
  using test::MemDC;
  MemDC src(4, 4, 0xFFFFFFFF);
  const auto drawAll = [&src](HDC dc) {
    SelectObject(dc, GetStockObject(WHITE_PEN));
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    for (const int at : {0, 4, INT32_MAX - 40}) {
      RECT r{at, at, at + 4, at + 4};
      FillRect(dc, &r, HBRUSH(GetStockObject(WHITE_BRUSH)));
      Rectangle(dc, at, at, at + 4, at + 4);
      RoundRect(dc, at, at, at + 4, at + 4, 2, 2);
      Ellipse(dc, at, at, at + 4, at + 4);
      MoveToEx(dc, at, at, nullptr);
      LineTo(dc, at + 4, at + 4);
      POINT tri[] = {{at, at}, {at + 4, at}, {at, at + 4}};
      Polygon(dc, tri, 3);
      SetPixel(dc, at, at, RGB(255, 255, 255));
      PatBlt(dc, at, at, 4, 4, WHITENESS);
      BitBlt(dc, at, at, 4, 4, src.dc, 0, 0, SRCCOPY);
      TextOutW(dc, at, at, u"W", 1);
    }
  };
  struct Case { const char* name; void (*place)(HDC); };
  const Case cases[] = {
      {"viewport at max", [](HDC dc) { SetViewportOrgEx(dc, INT32_MAX, INT32_MAX, nullptr); }},
      {"viewport at min", [](HDC dc) { SetViewportOrgEx(dc, INT32_MIN, INT32_MIN, nullptr); }},
      {"window at min", [](HDC dc) { SetWindowOrgEx(dc, INT32_MIN, INT32_MIN, nullptr); }},
      {"both far apart", [](HDC dc) {
         SetWindowOrgEx(dc, INT32_MIN, INT32_MIN, nullptr);
         SetViewportOrgEx(dc, INT32_MAX, INT32_MAX, nullptr);
       }},
      {"offset twice", [](HDC dc) {
         OffsetViewportOrgEx(dc, INT32_MAX, INT32_MAX, nullptr);
         OffsetViewportOrgEx(dc, INT32_MAX, INT32_MAX, nullptr);
       }},
  };
  for (const Case& c : cases) {
    MemDC d(8, 8, 0xFF000000);
    c.place(d.dc);
    drawAll(d.dc);
    EXPECT_EQ(d.Map(0xFFFFFF).find('#'), std::string::npos) << c.name << "\n" << d.Map(0xFFFFFF);
    RECT box{1, 1, 1, 1};
    EXPECT_EQ(GetClipBox(d.dc, &box), SIMPLEREGION);
  }
  // Only the final position is pinned: a far origin still maps a far point
  // exactly, and two far origins together take it past the end.
  for (const bool windowToo : {false, true}) {
    MemDC d(4, 4, 0xFF000000);
    SetViewportOrgEx(d.dc, INT32_MAX, INT32_MAX, nullptr);
    if (windowToo) SetWindowOrgEx(d.dc, INT32_MIN, INT32_MIN, nullptr);
    SelectObject(d.dc, GetStockObject(WHITE_PEN));
    SelectObject(d.dc, GetStockObject(WHITE_BRUSH));
    Rectangle(d.dc, INT32_MIN, INT32_MIN, INT32_MIN + 4, INT32_MIN + 4);
    HRGN far = CreateRectRgn(INT32_MIN, INT32_MIN, INT32_MIN + 2, INT32_MIN + 2);
    FillRgn(d.dc, far, HBRUSH(GetStockObject(WHITE_BRUSH)));
    DeleteObject(far);
    EXPECT_EQ(d.Map(0xFFFFFF), windowToo ? test::Rows({"....", "....", "....", "...."})
                                         : test::Rows({"###.", "###.", "###.", "...."}));
  }

  // Moved origins and mapped points stop at the ends of the range.
  MemDC d(2, 2);
  POINT org{};
  OffsetViewportOrgEx(d.dc, INT32_MAX, 0, nullptr);
  OffsetViewportOrgEx(d.dc, 1, 0, nullptr);
  GetViewportOrgEx(d.dc, &org);
  EXPECT_EQ(org.X, INT32_MAX);
  POINT p{INT32_MAX, 0};
  LPtoDP(d.dc, &p, 1);
  EXPECT_EQ(p.X, INT32_MAX);
  p = {INT32_MIN, 0};
  DPtoLP(d.dc, &p, 1);
  EXPECT_EQ(p.X, INT32_MIN);

  // A region moved past the end keeps what still fits and drops the rest.
  HRGN h = CreateRectRgn(-10, -10, 10, 10);
  EXPECT_EQ(OffsetRgn(h, INT32_MAX, 0), SIMPLEREGION);
  RECT box;
  GetRgnBox(h, &box);
  EXPECT_EQ(box, (RECT{INT32_MAX - 10, -10, INT32_MAX, 10}));
  EXPECT_EQ(OffsetRgn(h, 0, INT32_MIN), SIMPLEREGION);
  EXPECT_EQ(OffsetRgn(h, INT32_MAX, INT32_MAX), NULLREGION);
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

  // Polygon counts: a negative or absurd count, or no points, is refused;
  // fewer than three points make a valid but empty region.
  const POINT tri[] = {{0, 0}, {4, 0}, {0, 4}};
  for (const int bad : {-1, INT32_MIN, INT32_MAX})
    EXPECT_EQ(CreatePolygonRgn(tri, bad, 1), nullptr) << bad;
  EXPECT_EQ(CreatePolygonRgn(nullptr, 3, 1), nullptr);
  for (const int count : {0, 2, 3}) {
    HRGN p = CreatePolygonRgn(tri, count, 1);
    ASSERT_NE(p, nullptr) << count;
    RECT box;
    EXPECT_EQ(GetRgnBox(p, &box), count == 3 ? COMPLEXREGION : NULLREGION) << count;
    DeleteObject(p);
  }
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
