#include <cstring>

#include "platform/gdi/Colors.h"
#include "tests/platform/gdi/GdiTestUtil.h"

namespace gdi {
namespace {

using test::MemDC;
using test::Rows;

struct RopCase {
  const char* name;
  DWORD rop;
  std::uint32_t (*expect)(std::uint32_t p, std::uint32_t s, std::uint32_t d);
};

// Destination, source and brush bits chosen so every (P, S, D) combination
// occurs in some bit position.
TEST(RasterOps, EachRopGivesItsBooleanResultAndKeepsDestinationAlphaExceptCopy) {
  const std::uint32_t D = 0x80F0CC55, S = 0x40AAAA0F, P = 0x00FF00CC;  // P as pixel 0x00RRGGBB
  const RopCase cases[] = {
      {"SRCCOPY", SRCCOPY, [](auto, auto s, auto) { return s; }},
      {"SRCAND", SRCAND, [](auto, auto s, auto d) { return s & d; }},
      {"SRCPAINT", SRCPAINT, [](auto, auto s, auto d) { return s | d; }},
      {"SRCINVERT", SRCINVERT, [](auto, auto s, auto d) { return s ^ d; }},
      {"SRCERASE", SRCERASE, [](auto, auto s, auto d) { return s & ~d; }},
      {"NOTSRCCOPY", NOTSRCCOPY, [](auto, auto s, auto) { return ~s; }},
      {"MERGECOPY", MERGECOPY, [](auto p, auto s, auto) { return p & s; }},
      {"PATCOPY", PATCOPY, [](auto p, auto, auto) { return p; }},
      {"PATINVERT", PATINVERT, [](auto p, auto, auto d) { return p ^ d; }},
      {"DSTINVERT", DSTINVERT, [](auto, auto, auto d) { return ~d; }},
      {"BLACKNESS", BLACKNESS, [](auto, auto, auto) { return 0u; }},
      {"WHITENESS", WHITENESS, [](auto, auto, auto) { return 0xFFFFFFu; }},
      {"NOTSRCERASE", NOTSRCERASE, [](auto, auto s, auto d) { return ~(s | d); }},
      {"MERGEPAINT", MERGEPAINT, [](auto, auto s, auto d) { return ~s | d; }},
  };
  for (const RopCase& c : cases) {
    SCOPED_TRACE(c.name);
    MemDC dst(3, 2, D), src(3, 2, S);
    HBRUSH brush = CreateSolidBrush(PixelToRefForTest(P));
    HGDIOBJ old = SelectObject(dst.dc, brush);
    ASSERT_TRUE(BitBlt(dst.dc, 0, 0, 3, 2, src.dc, 0, 0, c.rop));
    const std::uint32_t want = c.rop == SRCCOPY ? S : ((c.expect(P, S, D) & 0xFFFFFF) | (D & 0xFF000000));
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 3; ++x) EXPECT_EQ(dst.Px(x, y), want) << x << "," << y;
    SelectObject(dst.dc, old);
    DeleteObject(brush);
  }
}

TEST(RasterOps, PatBltRefusesSourceOperationsAndFillsWithBrush) {
  MemDC d(4, 1, 0xFF000000);
  EXPECT_FALSE(PatBlt(d.dc, 0, 0, 4, 1, SRCCOPY));
  HGDIOBJ old = SelectObject(d.dc, GetStockObject(WHITE_BRUSH));
  EXPECT_TRUE(PatBlt(d.dc, 1, 0, 2, 1, PATCOPY));
  EXPECT_EQ(d.Map(0xFFFFFF), ".##.\n");
  SelectObject(d.dc, old);
}

TEST(Blits, AlphaRulesForCopiesBetweenDepths) {
  MemDC dst(2, 1, 0x11000000), src32(2, 1, 0x7F123456), src24(2, 1, 0, 24);
  src24.S().SetPixel(0, 0, 0x00ABCDEF);
  src24.S().SetPixel(1, 0, 0x00ABCDEF);
  BitBlt(dst.dc, 0, 0, 1, 1, src32.dc, 0, 0, SRCCOPY);
  BitBlt(dst.dc, 1, 0, 1, 1, src24.dc, 0, 0, SRCCOPY);
  EXPECT_EQ(dst.Px(0, 0), 0x7F123456u);
  EXPECT_EQ(dst.Px(1, 0), 0xFFABCDEFu);
  // Copy back into the 24-bit surface keeps colour.
  BitBlt(src24.dc, 0, 0, 1, 1, dst.dc, 0, 0, SRCCOPY);
  EXPECT_EQ(src24.Px(0, 0), 0xFF123456u);
}

TEST(Blits, OverlappingCopyWithinOneSurfaceReadsOriginalPixels) {
  // A 6x6 surface whose pixel (x, y) holds 10 * y + x + 1, scrolled by one
  // pixel in each direction within itself; the vacated row or column keeps its pixels.
  struct Case {
    const char* what;
    int dx, dy;
  } cases[] = {{"right", 1, 0}, {"left", -1, 0}, {"down", 0, 1}, {"up", 0, -1}, {"down and right", 1, 1}};
  for (const Case& c : cases) {
    MemDC d(6, 6, 0xFF000000);
    auto value = [](int x, int y) { return std::uint32_t(10 * y + x + 1); };
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 6; ++x) d.S().SetPixel(x, y, 0xFF000000 | value(x, y));
    int sx = std::max(0, -c.dx), sy = std::max(0, -c.dy), tx = std::max(0, c.dx), ty = std::max(0, c.dy);
    BitBlt(d.dc, tx, ty, 6 - std::abs(c.dx), 6 - std::abs(c.dy), d.dc, sx, sy, SRCCOPY);
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 6; ++x) {
        bool moved = x >= tx && x < tx + 6 - std::abs(c.dx) && y >= ty && y < ty + 6 - std::abs(c.dy);
        std::uint32_t want = moved ? value(x - c.dx, y - c.dy) : value(x, y);
        ASSERT_EQ(d.Px(x, y) & 0xFF, want) << c.what << " at " << x << "," << y;
      }
  }
}

TEST(Blits, CopyTakesOnlyPixelsThatExistInTheSourceAndPassTheClip) {
  MemDC src(5, 3), dst(6, 5, 0xFF000000);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) src.S().SetPixel(x, y, 0xFFFFFFFF);
  ExcludeClipRect(dst.dc, 3, 0, 4, 5);
  BitBlt(dst.dc, 1, 1, 6, 5, src.dc, 1, 0, SRCCOPY);  // source runs out at x=5, y=3
  EXPECT_EQ(dst.Map(0xFFFFFF), Rows({"......", ".##.#.", ".##.#.", ".##.#.", "......"}));
  // Whole rows of equal surfaces go as one block; offsets still hold.
  MemDC a(4, 4), b(4, 4, 0xFF000000);
  for (int y = 0; y < 4; ++y) a.S().SetPixel(0, y, 0xFF000000u | std::uint32_t(y + 1));
  BitBlt(b.dc, 0, 1, 4, 3, a.dc, 0, 0, SRCCOPY);
  EXPECT_EQ(b.Px(0, 0), 0xFF000000u);
  EXPECT_EQ(b.Px(0, 1), 0xFF000001u);
  EXPECT_EQ(b.Px(0, 3), 0xFF000003u);
}

TEST(Blits, StretchIsNearestNeighbourAndNegativeWidthMirrors) {
  MemDC src(2, 2), dst(4, 4);
  src.S().SetPixel(0, 0, 0xFF000001);
  src.S().SetPixel(1, 0, 0xFF000002);
  src.S().SetPixel(0, 1, 0xFF000003);
  src.S().SetPixel(1, 1, 0xFF000004);
  StretchBlt(dst.dc, 0, 0, 4, 4, src.dc, 0, 0, 2, 2, SRCCOPY);
  std::string got;
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) got += char('0' + (dst.Px(x, y) & 0xFF));
  EXPECT_EQ(got, "1122112233443344");
  StretchBlt(dst.dc, 3, 0, -4, 2, src.dc, 0, 0, 2, 1, SRCCOPY);  // mirrored row 0
  got.clear();
  for (int x = 0; x < 4; ++x) got += char('0' + (dst.Px(x, 0) & 0xFF));
  EXPECT_EQ(got, "2211");
  // Shrinking picks the sample under each destination pixel's centre.
  MemDC small(1, 1);
  StretchBlt(small.dc, 0, 0, 1, 1, dst.dc, 0, 0, 4, 4, SRCCOPY);
  EXPECT_EQ(small.Px(0, 0) & 0xFF, dst.Px(2, 2) & 0xFF);
}

TEST(Blits, AlphaBlendPerPixelPremultipliedAndConstant) {
  MemDC dst(2, 1, 0xFF0000FF), src(2, 1);
  src.S().SetPixel(0, 0, 0x80800000);  // half-transparent red, premultiplied
  src.S().SetPixel(1, 0, 0x00000000);  // fully transparent
  BLENDFUNCTION bf;
  bf.AlphaFormat = AC_SRC_ALPHA;
  ASSERT_TRUE(AlphaBlend(dst.dc, 0, 0, 2, 1, src.dc, 0, 0, 2, 1, bf));
  EXPECT_EQ(dst.Px(0, 0), 0xFF80007Fu);
  EXPECT_EQ(dst.Px(1, 0), 0xFF0000FFu);
  MemDC d2(1, 1, 0xFF000000), s2(1, 1, 0xFFFFFFFF);
  BLENDFUNCTION c;
  c.SourceConstantAlpha = 51;  // 20 %
  AlphaBlend(d2.dc, 0, 0, 1, 1, s2.dc, 0, 0, 1, 1, c);
  EXPECT_EQ(d2.Px(0, 0) & 0xFFFFFF, 0x333333u);
}

TEST(Blits, AlphaBlendOfLongRowsMatchesTheFormulaForEveryPixel) {
  // Long enough for the four-pixel path plus a tail; every kind of pixel.
  constexpr int n = 23;
  MemDC dst(n, 1), src(n, 1);
  std::uint32_t seed = 12345;
  auto next = [&] { return seed = seed * 1103515245u + 12345u; };
  std::uint32_t before[n];
  for (int x = 0; x < n; ++x) {
    const std::uint32_t a = x % 5 == 0 ? 0 : x % 5 == 1 ? 255 : next() >> 24;
    auto ch = [&] { return (next() >> 24) * a / 255; };  // premultiplied
    src.S().SetPixel(x, 0, a << 24 | ch() << 16 | ch() << 8 | ch());
    before[x] = next();
    dst.S().SetPixel(x, 0, before[x]);
  }
  for (BYTE sca : {BYTE(255), BYTE(100)}) {
    for (int x = 0; x < n; ++x) dst.S().SetPixel(x, 0, before[x]);
    BLENDFUNCTION bf;
    bf.AlphaFormat = AC_SRC_ALPHA;
    bf.SourceConstantAlpha = sca;
    AlphaBlend(dst.dc, 0, 0, n, 1, src.dc, 0, 0, n, 1, bf);
    auto div = [](std::uint32_t v) { return (v + 127) / 255; };
    for (int x = 0; x < n; ++x) {
      const std::uint32_t sp = src.Px(x, 0), dp = before[x];
      const std::uint32_t sa = div((sp >> 24) * sca);
      std::uint32_t want = 0;
      for (int sh = 0; sh < 32; sh += 8) {
        const std::uint32_t c = div(((sp >> sh) & 0xFF) * sca) + div(((dp >> sh) & 0xFF) * (255 - sa));
        want |= std::min<std::uint32_t>(c, 255) << sh;
      }
      EXPECT_EQ(dst.Px(x, 0), want) << "pixel " << x << " constant alpha " << int(sca);
    }
  }
}

TEST(Blits, TransparentBltSkipsTheKeyColour) {
  MemDC dst(3, 1, 0xFF000000), src(3, 1, 0xFF7F007F);
  src.S().SetPixel(1, 0, 0xFF00FF00);
  TransparentBlt(dst.dc, 0, 0, 3, 1, src.dc, 0, 0, 3, 1, RGB(127, 0, 127));
  EXPECT_EQ(dst.Map(0x00FF00), ".#.\n");
  EXPECT_EQ(dst.Px(0, 0), 0xFF000000u);
}

TEST(DeviceState, ClippingThroughRegionsAndOrigins) {
  MemDC d(8, 6, 0xFF000000);
  SetViewportOrgEx(d.dc, 2, 1, nullptr);
  IntersectClipRect(d.dc, 0, 0, 5, 4);  // logical -> device (2,1)-(7,5)
  ExcludeClipRect(d.dc, 1, 1, 3, 3);    // device (3,2)-(5,4)
  RECT box;
  EXPECT_EQ(GetClipBox(d.dc, &box), COMPLEXREGION);
  EXPECT_EQ(box, (RECT{0, 0, 5, 4}));
  RECT all{-10, -10, 20, 20};
  FillRect(d.dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  EXPECT_EQ(d.Map(0xFFFFFF), Rows({"........", "..#####.", "..#..##.", "..#..##.", "..#####.", "........"}));
  EXPECT_TRUE(PtVisible(d.dc, 0, 0));
  EXPECT_FALSE(PtVisible(d.dc, 1, 1));
  // Offsetting the viewport moves drawing, not the clip set in device terms.
  POINT before;
  EXPECT_TRUE(OffsetViewportOrgEx(d.dc, -2, -1, &before));
  EXPECT_EQ(before, (POINT{2, 1}));
  d.Fill(0xFF000000);
  SetPixel(d.dc, 2, 1, RGB(255, 255, 255));  // device (2,1): inside the clip
  SetPixel(d.dc, 3, 2, RGB(255, 255, 255));  // device (3,2): excluded
  EXPECT_EQ(d.Map(0xFFFFFF), Rows({"........", "..#.....", "........", "........", "........", "........"}));
}

TEST(DeviceState, SaveAndRestoreBringBackClipOriginAndObjects) {
  MemDC d(4, 4, 0xFF000000);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  const int level = SaveDC(d.dc);
  SelectObject(d.dc, red);
  SetWindowOrgEx(d.dc, 1, 1, nullptr);
  IntersectClipRect(d.dc, 1, 1, 2, 2);
  SetTextColor(d.dc, RGB(1, 2, 3));
  SaveDC(d.dc);
  EXPECT_TRUE(RestoreDC(d.dc, level));  // pops both levels
  EXPECT_FALSE(RestoreDC(d.dc, 1));
  POINT org;
  GetWindowOrgEx(d.dc, &org);
  EXPECT_EQ(org, (POINT{0, 0}));
  EXPECT_EQ(GetTextColor(d.dc), 0u);
  RECT box;
  EXPECT_EQ(GetClipBox(d.dc, &box), SIMPLEREGION);
  EXPECT_EQ(box, (RECT{0, 0, 4, 4}));
  EXPECT_NE(GetCurrentObject(d.dc, OBJ_BRUSH), static_cast<HGDIOBJ>(red));
  EXPECT_TRUE(DeleteObject(red));
  EXPECT_FALSE(DeleteObject(red));  // gone for good
}

TEST(DeviceState, SurfaceDCDrawsAtItsOriginInsideItsVisibleRegion) {
  Surface back(10, 4);
  Region visible = Region::Combine(Region({0, 0, 10, 4}), Region({5, 0, 6, 4}), Region::Op::Diff);
  HDC dc = CreateSurfaceDC(&back, {3, 1}, visible);
  RECT r{0, 0, 4, 2};
  FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  std::string got;
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 10; ++x) got += back.GetPixel(x, y) == 0x00FFFFFF ? '#' : '.';
    got += '\n';
  }
  EXPECT_EQ(got, Rows({"..........", "...##.#...", "...##.#...", ".........."}));
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(dc, 2, 0), CLR_INVALID);  // outside the visible region
  DeleteDC(dc);
}

TEST(Handles, StaleAndForeignHandlesFailInsteadOfCrashing) {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateCompatibleBitmap(dc, 4, 4);
  HGDIOBJ old = SelectObject(dc, bmp);
  HDC other = CreateCompatibleDC(nullptr);
  EXPECT_EQ(SelectObject(other, bmp), nullptr);  // one DC at a time
  EXPECT_TRUE(DeleteObject(bmp));                // deferred while selected
  EXPECT_NE(GetBitmapSurface(bmp), nullptr);
  SelectObject(dc, old);                         // now freed
  EXPECT_EQ(GetBitmapSurface(bmp), nullptr);
  EXPECT_FALSE(BitBlt(other, 0, 0, 1, 1, dc, 0, 0, SRCCOPY) && false);
  DeleteDC(dc);
  EXPECT_FALSE(DeleteDC(dc));
  EXPECT_FALSE(PatBlt(dc, 0, 0, 1, 1, BLACKNESS));
  EXPECT_EQ(GetObjectType(other), OBJ_MEMDC);
  EXPECT_EQ(GetObjectType(GetStockObject(BLACK_PEN)), OBJ_PEN);
  DeleteDC(other);
}

TEST(Bitmaps, DIBTransfersHonourBottomUpOrder) {
  MemDC d(2, 2, 0xFF000000);
  // A bottom-up 2x2 24-bit DIB: first row in memory is the bottom row.
  BITMAPINFO bi{};
  bi.bmiHeader.biWidth = 2;
  bi.bmiHeader.biHeight = 2;
  bi.bmiHeader.biBitCount = 24;
  const std::uint8_t bits[16] = {1, 0, 0, 2, 0, 0, 0, 0, 3, 0, 0, 4, 0, 0, 0, 0};
  EXPECT_EQ(SetDIBitsToDevice(d.dc, 0, 0, 2, 2, 0, 0, 0, 2, bits, &bi, DIB_RGB_COLORS), 2);
  EXPECT_EQ(d.Px(0, 0), 0xFF000003u);  // top-left came from the last memory row
  EXPECT_EQ(d.Px(1, 1), 0xFF000002u);
  std::uint8_t back[16] = {};
  BITMAPINFO q{};
  q.bmiHeader.biWidth = 2;
  q.bmiHeader.biHeight = 2;
  q.bmiHeader.biBitCount = 24;
  EXPECT_EQ(GetDIBits(d.dc, d.bmp, 0, 2, back, &q, DIB_RGB_COLORS), 2);
  EXPECT_EQ(std::memcmp(back, bits, 16), 0);
  // Stretching a DIB two-fold.
  MemDC big(4, 4, 0xFF000000);
  StretchDIBits(big.dc, 0, 0, 4, 4, 0, 0, 2, 2, bits, &bi, DIB_RGB_COLORS, SRCCOPY);
  EXPECT_EQ(big.Px(0, 0) & 0xFF, 3u);
  EXPECT_EQ(big.Px(3, 3) & 0xFF, 2u);
}

TEST(Bitmaps, TopDown24BitDIBsAsTheEffectImagesUseThem) {
  // 3 x 2, rows padded to 12 bytes, first row in memory is the top row.
  BITMAPINFO bi{};
  bi.bmiHeader.biWidth = 3;
  bi.bmiHeader.biHeight = -2;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(bits, nullptr);
  auto* p = static_cast<std::uint8_t*>(bits);
  p[0] = 10;       // (0, 0) blue
  p[12 + 8] = 20;  // (2, 1) red
  MemDC d(5, 4, 0xFF000000);
  EXPECT_EQ(SetDIBitsToDevice(d.dc, 1, 1, 3, 2, 0, 0, 0, 2, bits, &bi, DIB_RGB_COLORS), 2);
  EXPECT_EQ(d.Px(1, 1), 0xFF00000Au);
  EXPECT_EQ(d.Px(3, 2), 0xFF140000u);
  // Reading a 32-bit section back as top-down 24-bit rows.
  BITMAPINFO q{};
  q.bmiHeader.biWidth = 5;
  q.bmiHeader.biHeight = -4;
  q.bmiHeader.biBitCount = 24;
  std::uint8_t rows[4 * 16] = {};
  EXPECT_EQ(GetDIBits(d.dc, d.bmp, 0, 4, rows, &q, DIB_RGB_COLORS), 4);
  EXPECT_EQ(rows[16 + 3], 10);          // row 1, pixel 1, blue
  EXPECT_EQ(rows[2 * 16 + 9 + 2], 20);  // row 2, pixel 3, red
  DeleteObject(section);
}

TEST(Primitives, LinesExcludeTheirEndPointAndXorTwiceRestores) {
  MemDC d(5, 3, 0xFF000000);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
  HGDIOBJ old = SelectObject(d.dc, pen);
  MoveToEx(d.dc, 0, 1, nullptr);
  LineTo(d.dc, 4, 1);
  EXPECT_EQ(d.Map(0xFFFFFF), Rows({".....", "####.", "....."}));
  POINT diag[] = {{0, 0}, {2, 2}, {4, 0}};
  SetROP2(d.dc, R2_XORPEN);
  Polyline(d.dc, diag, 3);
  EXPECT_EQ(d.Map(0xFFFFFF), Rows({"#....", "#.#..", "..#.."}));
  Polyline(d.dc, diag, 3);
  EXPECT_EQ(d.Map(0xFFFFFF), Rows({".....", "####.", "....."}));
  SetROP2(d.dc, R2_NOT);
  MoveToEx(d.dc, 0, 2, nullptr);
  LineTo(d.dc, 2, 2);
  EXPECT_EQ(d.Map(0xFFFFFF), Rows({".....", "####.", "##..."}));
  SelectObject(d.dc, old);
  DeleteObject(pen);
}

TEST(Primitives, RectangleOutlinesWithPenFillsWithBrushAndLeavesAlpha) {
  MemDC d(5, 4, 0x40000000);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
  HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255));
  HGDIOBJ op = SelectObject(d.dc, pen), ob = SelectObject(d.dc, brush);
  Rectangle(d.dc, 0, 0, 4, 4);
  EXPECT_EQ(d.Map(0xFF0000), Rows({"####.", "#..#.", "#..#.", "####."}));
  EXPECT_EQ(d.Map(0x0000FF), Rows({".....", ".##..", ".##..", "....."}));
  EXPECT_EQ(d.Px(1, 1) >> 24, 0x40u);
  // Without a pen the fill is one pixel smaller, as the converter's code expects.
  d.Fill(0xFF000000);
  SelectObject(d.dc, GetStockObject(NULL_PEN));
  Rectangle(d.dc, 0, 0, 4, 4);
  EXPECT_EQ(d.Map(0x0000FF), Rows({"###..", "###..", "###..", "....."}));
  // Without a brush only the outline is drawn and the inside is left alone.
  d.Fill(0xFF000000);
  SelectObject(d.dc, pen);
  SelectObject(d.dc, GetStockObject(NULL_BRUSH));
  Rectangle(d.dc, 0, 0, 4, 4);
  EXPECT_EQ(d.Map(0xFF0000), Rows({"####.", "#..#.", "#..#.", "####."}));
  EXPECT_EQ(d.Map(0x000000), Rows({"....#", ".##.#", ".##.#", "....#"}));
  SelectObject(d.dc, op);
  SelectObject(d.dc, ob);
  DeleteObject(pen);
  DeleteObject(brush);
}

TEST(Primitives, FramesFocusAndEdges) {
  MemDC d(6, 5, 0xFF000000);
  RECT r{0, 0, 5, 4};
  FrameRect(d.dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  EXPECT_EQ(d.Map(0xFFFFFF), Rows({"#####.", "#...#.", "#...#.", "#####.", "......"}));
  d.Fill(0xFF000000);
  DrawFocusRect(d.dc, &r);
  EXPECT_EQ(d.Map(0xFFFFFF), Rows({"#.#.#.", "......", "#...#.", ".#.#..", "......"}));
  DrawFocusRect(d.dc, &r);
  EXPECT_EQ(d.Map(0x000000), Rows({"######", "######", "######", "######", "######"}));
  // A raised edge: light top-left, dark bottom-right, and BF_ADJUST shrinks.
  RECT e{0, 0, 6, 5};
  DrawEdge(d.dc, &e, EDGE_RAISED, BF_RECT | BF_ADJUST);
  EXPECT_EQ(e, (RECT{2, 2, 4, 3}));
  EXPECT_EQ(PixelToRefForTest(d.Px(0, 0)), GetSysColor(COLOR_3DLIGHT));
  EXPECT_EQ(PixelToRefForTest(d.Px(5, 4)), GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(PixelToRefForTest(d.Px(1, 1)), GetSysColor(COLOR_BTNHIGHLIGHT));
  // FillRect takes a system colour index + 1 in place of a brush.
  RECT one{5, 0, 6, 1};
  FillRect(d.dc, &one, reinterpret_cast<HBRUSH>(std::uintptr_t(COLOR_BTNFACE + 1)));
  EXPECT_EQ(PixelToRefForTest(d.Px(5, 0)), ColorToRGB(clBtnFace));
  // System colour brushes are stock: deleting one changes nothing.
  HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
  EXPECT_EQ(face, GetSysColorBrush(COLOR_BTNFACE));
  DeleteObject(face);
  RECT two{4, 0, 5, 1};
  EXPECT_TRUE(FillRect(d.dc, &two, face));
  EXPECT_EQ(PixelToRefForTest(d.Px(4, 0)), GetSysColor(COLOR_BTNFACE));
  // InvertRect flips the colour, keeps alpha, and twice restores.
  d.Fill(0x80123456);
  RECT inv{1, 1, 3, 2};
  InvertRect(d.dc, &inv);
  EXPECT_EQ(d.Px(1, 1), 0x80EDCBA9u);
  EXPECT_EQ(d.Px(3, 1), 0x80123456u);
  InvertRect(d.dc, &inv);
  EXPECT_EQ(d.Px(1, 1), 0x80123456u);
}

TEST(Primitives, EllipseIsSymmetricAndInsideItsBox) {
  MemDC d(9, 7, 0xFF000000);
  SelectObject(d.dc, GetStockObject(WHITE_BRUSH));
  SelectObject(d.dc, GetStockObject(WHITE_PEN));
  Ellipse(d.dc, 0, 0, 9, 7);
  const std::string m = d.Map(0xFFFFFF);
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 9; ++x) {
      EXPECT_EQ(m[y * 10 + x], m[y * 10 + (8 - x)]);
      EXPECT_EQ(m[y * 10 + x], m[(6 - y) * 10 + x]);
    }
  EXPECT_EQ(m[0], '.');
  EXPECT_EQ(m[3 * 10 + 4], '#');
  EXPECT_EQ(m[3 * 10 + 0], '#');
}

}  // namespace
}  // namespace gdi
