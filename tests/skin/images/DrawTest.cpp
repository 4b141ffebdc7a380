// Pixel routines and drawing of TbsBitmaps: composition formulas, the three
// draw forms into bitmaps and onto device contexts, stretching, tiles,
// merging and fills.
#include "ImagesTestUtil.h"

namespace {

using namespace skin;
using imgtest::Fill;

TEST(PixelRoutines, BlendFormulasOfBothVariants) {
  const auto& plain = PlainPixelRoutines();
  const auto& mmx = MmxPixelRoutines();
  EXPECT_EQ(&PixelRoutines(), &mmx);
  struct Case {
    TbsColor f, b, plain, mmx;
  } cases[] = {
      {0x80C80000, 0xFF000000, 0xFF640000, 0xBF640000},  // red 200 at alpha 128 over black
      {0x80C80000, 0xFFFFFFFF, 0xFFE27E7E, 0xBFE37F7F},  // over white: 226 and 227
      {0x00123456, 0xFF654321, 0xFF654321, 0xFF654321},  // alpha 0 keeps the background
  };
  for (const Case& c : cases) {
    EXPECT_EQ(plain.BlendPixel(c.f, c.b), c.plain) << std::hex << c.f << " over " << c.b;
    TbsColor row[3] = {c.b, c.b, c.b};
    const TbsColor src[3] = {c.f, c.f, c.f};
    plain.BlendRow(src, row, 3);
    EXPECT_EQ(row[2], c.plain);
    row[0] = row[1] = row[2] = c.b;
    mmx.BlendRow(src, row, 3);  // the two-pixel path and the odd tail agree
    EXPECT_EQ(row[0], c.mmx);
    EXPECT_EQ(row[2], c.mmx);
  }
  // The single-pixel MMX routine has no special cases; the row routine does.
  EXPECT_EQ(mmx.BlendPixel(0xFFC80000, 0xFF0000FF), 0xFFC70000u);
  TbsColor d[2] = {0xFF0000FF, 0xFF0000FF};
  const TbsColor s[2] = {0xFFC80000, 0xFFC80000};
  mmx.BlendRow(s, d, 2);
  EXPECT_EQ(d[0], 0xFFC80000u);
  // A semi-transparent background: the MMX form composes the alpha lane too.
  EXPECT_EQ(mmx.BlendPixel(0x80FF0000, 0x40000000), 0x607F0000u);
  EXPECT_EQ(plain.BlendPixel(0x80FF0000, 0x40000000), 0xFF7F0000u);
}

TEST(PixelRoutines, RowAndRectangleHelpers) {
  const auto& r = PixelRoutines();
  TbsColor px[12] = {};
  r.FillPixelRect(px, 4, 5, 2, 2, 1, 1);  // inclusive 1..2 x 1..2
  EXPECT_EQ(px[5], 5u);
  EXPECT_EQ(px[10], 5u);
  EXPECT_EQ(px[4], 0u);
  r.SetAlphaRect(px, 4, 0x80, 1, 3, 0, 3);
  EXPECT_EQ(px[3], 0x80000000u);
  EXPECT_EQ(px[7], 0x80000000u);
  TbsColor keyed[3] = {1, 2, 3};
  const TbsColor src[3] = {0x007F007F, 0x127F007F, 0x00000009};
  r.CopyRowKeyed(src, keyed, 3);
  EXPECT_EQ(keyed[0], 1u);
  EXPECT_EQ(keyed[1], 2u);
  EXPECT_EQ(keyed[2], 0xFF000009u);
  r.ClearAlphaOfColor(keyed, 3, 0x00000009);
  EXPECT_EQ(keyed[2], 0x00000009u);
  r.FillRow(keyed, 0, 7);
  r.MoveRow(keyed, keyed + 1, -1);
  EXPECT_EQ(keyed[0], 1u);
}

TEST(TbsBitmapDraw, ThreeFormsIntoAnotherBitmap) {
  TbsBitmap src, dst;
  Fill(src, 2, 1, [](int x, int) { return x ? 0x80C80000u : 0x337F007Fu; });
  Fill(dst, 2, 1, [](int, int) { return 0xFF000000u; });
  src.Draw(&dst, 0, 0);  // opaque: a copy, alpha included
  EXPECT_EQ(dst.Pixel(0, 0), 0x337F007Fu);
  dst.Clear(0xFF000000);
  src.SetTransparent(true);
  src.Draw(&dst, 0, 0);
  EXPECT_EQ(dst.Pixel(0, 0), 0xFF000000u);  // key colour skipped whatever its alpha
  EXPECT_EQ(dst.Pixel(1, 0), 0xFFC80000u);  // everything else opaque
  dst.Clear(0xFF000000);
  src.SetAlphaBlend(true);  // before Transparent
  src.Draw(&dst, 0, 0);
  EXPECT_EQ(dst.Pixel(0, 0), 0xD6190019u);  // alpha lane composed as well
  EXPECT_EQ(dst.Pixel(1, 0), 0xBF640000u);
}

TEST(TbsBitmapDraw, SourceOutsideDrawsNothingAndTargetIsClipped) {
  TbsBitmap src, dst;
  Fill(src, 4, 4, [](int x, int y) { return imgtest::Coord(x, y); });
  dst.SetSize(4, 4);
  src.Draw(&dst, rtl::Rect(0, 0, 2, 2), rtl::Rect(3, 3, 5, 5));
  for (int i = 0; i < 16; ++i) EXPECT_EQ(dst.Bits()[i], 0u);
  src.Draw(&dst, -2, 3);
  EXPECT_EQ(dst.Pixel(0, 3), imgtest::Coord(2, 0));
  EXPECT_EQ(dst.Pixel(1, 3), imgtest::Coord(3, 0));
  EXPECT_EQ(dst.Pixel(2, 3), 0u);
}

TEST(TbsBitmapDraw, NearestNeighbourStretchTables) {
  TbsBitmap col, dst;
  Fill(col, 1, 1, [](int, int) { return 0xFF0000AAu; });
  dst.SetSize(10, 1);
  col.Draw(&dst, rtl::Rect(0, 0, 10, 1));
  for (int x = 0; x < 10; ++x) EXPECT_EQ(dst.Pixel(x, 0), 0xFF0000AAu);

  TbsBitmap wide, one;
  Fill(wide, 10, 1, [](int x, int y) { return imgtest::Coord(x, y); });
  one.SetSize(1, 1);
  wide.Draw(&one, rtl::Rect(0, 0, 1, 1));
  EXPECT_EQ(imgtest::CoordX(one.Pixel(0, 0)), 4);

  for (bool alpha : {false, true}) {
    TbsBitmap rows, tall;
    Fill(rows, 1, 3, [](int x, int y) { return imgtest::Coord(x, y); });
    rows.SetAlphaBlend(alpha);
    tall.SetSize(1, 5);
    rows.Draw(&tall, rtl::Rect(0, 0, 1, 5));
    const int expect[5] = {0, 0, 1, 1, 2};
    for (int y = 0; y < 5; ++y) EXPECT_EQ(imgtest::CoordY(tall.Pixel(0, y)), expect[y]) << y;
  }
}

TEST(TbsBitmapDraw, OntoATbsBitmapCanvasFollowsItsWindowOrigin) {
  TbsBitmap src, dst, direct;
  Fill(src, 2, 2, [](int x, int y) { return imgtest::Coord(x, y, 9); });
  dst.SetSize(6, 6);
  direct.SetSize(6, 6);
  gdi::SetWindowOrgEx(dst.Canvas()->Handle(), 1, 2, nullptr);
  src.Draw(dst.Canvas(), 3, 3);
  src.Draw(&direct, 2, 1);
  for (int i = 0; i < 36; ++i) EXPECT_EQ(dst.Bits()[i], direct.Bits()[i]) << i;
}

TEST(TbsBitmapDraw, OntoAPlainDCComposesThroughReadBack) {
  gdi::TBitmap target;
  Fill(target, 3, 1, [](int, int) { return 0xFFFFFFFFu; }, gdi::pf24bit);
  TbsBitmap src;
  Fill(src, 3, 1, [](int x, int) { return x == 0 ? 0x80C80000u : x == 1 ? 0x007F007Fu : 0x000000FFu; });
  src.SetAlphaBlend(true);
  src.Draw(target.Canvas(), 0, 0);
  EXPECT_EQ(imgtest::Px(target, 0, 0), 0xFFE37F7Fu);
  EXPECT_EQ(imgtest::Px(target, 1, 0), 0xFFFFFFFFu);
  src.SetAlphaBlend(false);
  src.SetTransparent(true);
  src.Draw(target.Canvas(), 0, 0);
  EXPECT_EQ(imgtest::Px(target, 1, 0), 0xFFFFFFFFu);
  EXPECT_EQ(imgtest::Px(target, 2, 0), 0xFF0000FFu);
  src.SetTransparent(false);
  src.Draw(target.Canvas(), rtl::Rect(0, 0, 3, 1));  // opaque: the system's stretch
  EXPECT_EQ(imgtest::Px(target, 1, 0), 0xFF7F007Fu);
}

TEST(TbsBitmapTile, PartialTilesUseTheTopLeftOfTheSource) {
  TbsBitmap src;
  Fill(src, 10, 10, [](int x, int y) { return imgtest::Coord(x, y); });
  for (bool alpha : {false, true}) {
    TbsBitmap dst;
    dst.SetSize(30, 14);
    src.SetAlphaBlend(alpha);
    src.Tile(&dst, rtl::Rect(1, 1, 26, 13), rtl::Rect(0, 0, 10, 10));
    for (int y = 0; y < 14; ++y)
      for (int x = 0; x < 30; ++x) {
        const bool in = x >= 1 && x < 26 && y >= 1 && y < 13;
        const TbsColor p = dst.Pixel(x, y);
        if (!in) {
          EXPECT_EQ(p, 0u) << x << "," << y;
          continue;
        }
        EXPECT_EQ(imgtest::CoordX(p), (x - 1) % 10) << x << "," << y;
        EXPECT_EQ(imgtest::CoordY(p), (y - 1) % 10) << x << "," << y;
      }
  }
}

TEST(TbsBitmapTile, TileClipDrawsWholeTilesThatMeetTheClip) {
  TbsBitmap src, dst;
  Fill(src, 10, 10, [](int, int) { return 0xFF112233u; });
  dst.SetSize(25, 12);
  src.TileClip(&dst, rtl::Rect(0, 0, 25, 12), rtl::Rect(2, 2, 3, 3), rtl::Rect(0, 0, 10, 10));
  EXPECT_EQ(dst.Pixel(0, 0), 0xFF112233u);
  EXPECT_EQ(dst.Pixel(9, 9), 0xFF112233u);  // the whole first tile, not only the clip
  EXPECT_EQ(dst.Pixel(10, 0), 0u);
  EXPECT_EQ(dst.Pixel(0, 10), 0u);
  TbsBitmap all;
  all.SetSize(25, 12);
  src.TileClip(&all, rtl::Rect(0, 0, 25, 12), rtl::TRect{}, rtl::Rect(0, 0, 10, 10));
  EXPECT_EQ(all.Pixel(24, 11), 0xFF112233u);
  // Onto a plain DC the tiles go through the device routines.
  gdi::TBitmap target;
  Fill(target, 25, 12, [](int, int) { return 0xFF000000u; });
  src.Tile(target.Canvas(), rtl::Rect(0, 0, 25, 12), rtl::Rect(0, 0, 10, 10));
  EXPECT_EQ(imgtest::Px(target, 24, 11), 0xFF112233u);
}

TEST(TbsBitmapMerge, GoesUnderneathByDestinationAlpha) {
  TbsBitmap under;
  Fill(under, 3, 1, [](int, int) { return 0xFF0000FFu; });
  TbsBitmap b;
  Fill(b, 3, 1, [](int x, int) { return x == 0 ? 0x00FFFFFFu : x == 1 ? 0x80FF0000u : 0xFF00FF00u; });
  b.MergeDraw(&under, 0, 0, rtl::Rect(-5, 0, 10, 1));
  EXPECT_EQ(b.Pixel(0, 0), 0xFF0000FFu);
  EXPECT_EQ(b.Pixel(1, 0), BlendPixel(0x80FF0000u, 0xFF0000FFu));
  EXPECT_EQ(b.Pixel(2, 0), 0xFF00FF00u);
}

TEST(TbsBitmapFill, ClippedAndComposedWhenTheBitmapBlends) {
  TbsBitmap b;
  Fill(b, 2, 2, [](int, int) { return 0xFF000000u; });
  b.FillRect(rtl::Rect(5, 5, 9, 9), 0xFFFFFFFF);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(b.Bits()[i], 0xFF000000u);
  b.FillRect(rtl::Rect(1, -3, 9, 1), 0x11223344);
  EXPECT_EQ(b.Pixel(1, 0), 0x11223344u);
  EXPECT_EQ(b.Pixel(0, 0), 0xFF000000u);
  b.SetAlphaBlend(true);
  b.FillRect(rtl::Rect(0, 0, 2, 2), 0x00FFFFFF);
  EXPECT_EQ(b.Pixel(0, 1), 0xFF000000u);
  b.FillRect(rtl::Rect(0, 1, 2, 2), 0xFF0A0B0C);
  EXPECT_EQ(b.Pixel(0, 1), 0xFF0A0B0Cu);
}

TEST(TbsBitmapGraphic, DrawGraphicLeavesPixelsTheGraphicDoesNotCover) {
  gdi::TBitmap g;
  Fill(g, 2, 2, [](int, int) { return 0xFF102030u; }, gdi::pf24bit);
  TbsBitmap b;
  Fill(b, 4, 4, [](int, int) { return 0x01020304u; });
  b.DrawGraphic(&g, rtl::Rect(1, 1, 3, 3));
  EXPECT_EQ(b.Pixel(0, 0), 0x01020304u);
  EXPECT_EQ(b.Pixel(1, 1), 0xFF102030u);
  EXPECT_EQ(b.Pixel(3, 3), 0x01020304u);
}

}  // namespace
