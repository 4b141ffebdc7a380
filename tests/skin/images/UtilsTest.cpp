// The drawing routines shared by skinned controls: glyph and caption layout,
// text fitting, arrows, marks, focus frames, caption glyphs, rectangle helpers.
#include "ImagesTestUtil.h"
#include "skin/images/bsUtils.h"

namespace {

using namespace skin;

// A small white canvas; Ascii gives '#' for pixels of the drawing colour.
struct Sheet {
  gdi::TBitmap bmp;
  Sheet(int w, int h) { imgtest::Fill(bmp, w, h, [](int, int) { return 0xFFFFFFFFu; }); }
  TCanvas* C() { return bmp.Canvas(); }
  std::string Ascii(std::uint32_t colour = 0x0000FF) {
    std::string s;
    for (int y = 0; y < bmp.Height(); ++y) {
      for (int x = 0; x < bmp.Width(); ++x) s += (imgtest::Px(bmp, x, y) & 0xFFFFFF) == colour ? '#' : '.';
      s += '\n';
    }
    return s;
  }
};

constexpr TColor kBlue = 0xFF0000;  // TColor 0x00BBGGRR: pure blue, 0x0000FF as a pixel
std::string Pic(std::initializer_list<const char*> rows) {
  std::string s;
  for (const char* r : rows) (s += r) += '\n';
  return s;
}

TEST(CalcGlyphAndCaptionPosTest, LayoutsWithAndWithoutMargin) {
  const TRect R{10, 20, 110, 60};  // centre (60, 40)
  struct Case {
    TbsButtonLayout layout;
    int margin, tx, ty, gx, gy;
  } cases[] = {
      {blGlyphLeft, -1, 60 + 25 - 30, 40 - 5, 60 - 25, 40 - 8},
      {blGlyphLeft, 4, 14 + 16 + 4, 35, 14, 32},
      {blGlyphRight, -1, 60 - 25, 35, 60 + 25 - 16, 32},
      {blGlyphRight, 4, 110 - 16 - 4 - 4 - 30, 35, 110 - 16 - 4, 32},
      {blGlyphTop, -1, 45, 40 + 15 - 10, 52, 40 - 15},
      {blGlyphTop, 2, 45, 22 + 16 + 4, 52, 22},
      {blGlyphBottom, -1, 45, 40 - 15, 52, 40 + 15 - 16},
      {blGlyphBottom, 2, 45, 60 - 16 - 2 - 4 - 10, 52, 60 - 16 - 2},
  };
  for (const Case& c : cases) {
    int tx, ty, gx, gy;
    CalcGlyphAndCaptionPos(c.layout, R, 16, 16, 30, 10, 4, c.margin, tx, ty, gx, gy);
    EXPECT_EQ(tx, c.tx) << int(c.layout) << " " << c.margin;
    EXPECT_EQ(ty, c.ty) << int(c.layout) << " " << c.margin;
    EXPECT_EQ(gx, c.gx) << int(c.layout) << " " << c.margin;
    EXPECT_EQ(gy, c.gy) << int(c.layout) << " " << c.margin;
  }
  int tx, ty, gx, gy;  // no glyph: spacing counts as 0
  CalcGlyphAndCaptionPos(blGlyphLeft, R, 0, 0, 30, 10, 4, -1, tx, ty, gx, gy);
  EXPECT_EQ(tx, 45);
}

struct FakeList : TbsGlyphList {
  int Width() const override { return 16; }
  int Height() const override { return 12; }
  int Count() const override { return 3; }
  void Draw(TCanvas*, int X, int Y, int Index, bool Enabled) override { drawn.push_back({X, Y, Index, Enabled}); }
  struct Call {
    int x, y, index;
    bool enabled;
  };
  std::vector<Call> drawn;
};

TEST(DrawGlyphAndCaptionTest, GlyphPlacedBesideTheCaptionOrLeftOut) {
  Sheet s(200, 60);
  s.C()->Font()->SetName(u"Arial");
  s.C()->Font()->SetHeight(-12);
  FakeList list;
  const TRect R{0, 0, 200, 60};
  DrawGlyphAndCaption(s.C(), R, -1, 4, blGlyphLeft, u"Caption", 1, &list, false, false, false, 0);
  ASSERT_EQ(list.drawn.size(), 1u);
  const int tw = WideTextWidth(s.C(), u"Caption");
  EXPECT_EQ(list.drawn[0].x, 100 - (tw + 16 + 4) / 2);
  EXPECT_EQ(list.drawn[0].y, 30 - 6);
  EXPECT_FALSE(list.drawn[0].enabled);
  DrawGlyphAndCaption(s.C(), R, -1, 4, blGlyphLeft, u"Caption", 1, &list, true, true, false, 0);
  EXPECT_EQ(list.drawn[1].x, list.drawn[0].x + 1);  // pressed look
  DrawGlyphAndCaption(s.C(), R, -1, 4, blGlyphLeft, u"Caption", 3, &list, false, true, false, 0);
  EXPECT_EQ(list.drawn.size(), 2u);  // index outside the list: caption only
  Sheet bar(40, 30);
  DrawGlyphAndCaption(bar.C(), {0, 0, 40, 30}, -1, 4, blGlyphLeft, u"", -1, nullptr, false, true, true, kBlue);
  EXPECT_EQ(imgtest::Px(bar.bmp, 4, 4), 0xFF0000FFu);  // no glyph, no caption: a filled block
  EXPECT_EQ(imgtest::Px(bar.bmp, 4, 26), 0xFFFFFFFFu);
}

TEST(DrawGlyphAndCaptionTest, ColourBarUnderTheGlyphAndLeftAlignedCaption) {
  Sheet s(60, 40);
  FakeList list;
  DrawGlyphAndCaption(s.C(), {0, 0, 60, 40}, 2, 0, blGlyphLeft, u"", 0, &list, false, true, true, kBlue);
  ASSERT_EQ(list.drawn.size(), 1u);
  const int gx = list.drawn[0].x, gy = list.drawn[0].y;
  EXPECT_EQ(gx, 2);
  for (int dy : {-2, -1, 0}) {  // three rows, the last just under the glyph
    EXPECT_EQ(imgtest::Px(s.bmp, gx, gy + 12 + dy), 0xFF0000FFu);
    EXPECT_EQ(imgtest::Px(s.bmp, gx + 15, gy + 12 + dy), 0xFF0000FFu);
    EXPECT_EQ(imgtest::Px(s.bmp, gx + 16, gy + 12 + dy), 0xFFFFFFFFu);
  }
  EXPECT_EQ(imgtest::Px(s.bmp, gx, gy + 9), 0xFFFFFFFFu);

  Sheet left(200, 40), centred(200, 40);
  for (Sheet* sh : {&left, &centred}) {
    sh->C()->Font()->SetName(u"Arial");
    sh->C()->Font()->SetHeight(-12);
    sh->C()->Font()->SetColor(0);
  }
  // A caption wider than its room wraps; left-aligned lines start at the rectangle's left.
  const String text = u"Wi Wiiiiiiiiiiiiiiii";
  const int room = WideTextWidth(left.C(), u"Wiiiiiiiiiiiiiiii") + 4;
  DrawGlyphAndCaptionLeftAligned(left.C(), {0, 0, room, 40}, 0, 0, blGlyphLeft, text, -1, nullptr, false, true, false, 0);
  DrawGlyphAndCaption(centred.C(), {0, 0, room, 40}, 0, 0, blGlyphLeft, text, -1, nullptr, false, true, false, 0);
  const auto firstInk = [](Sheet& sh, int y0, int y1) {
    for (int x = 0; x < 200; ++x)
      for (int y = y0; y < y1; ++y)
        if (imgtest::Px(sh.bmp, x, y) != 0xFFFFFFFFu) return x;
    return 200;
  };
  const int lineH = WideTextHeight(left.C(), u"W");
  EXPECT_LT(firstInk(left, 0, 40 / 2 - lineH / 2), 3);  // "Wi" starts at the left ...
  EXPECT_GT(firstInk(centred, 0, 40 / 2 - lineH / 2), 10);  // ... or centred over the longer line
  EXPECT_LT(firstInk(centred, 40 / 2, 40), 3);
}

// An image list of the framework's shape, not derived from TbsGlyphList.
struct PlainList {
  int Width() const { return 10; }
  int Height() const { return 10; }
  int Count() const { return 1; }
  void Draw(TCanvas*, int X, int, int, bool) { lastX = X; }
  int lastX = -1;
};

TEST(DrawGlyphAndCaptionTest, TakesAFrameworkShapedImageList) {
  Sheet s(40, 20);
  PlainList list;
  DrawGlyphAndCaption(s.C(), {0, 0, 40, 20}, 3, 0, blGlyphLeft, u"", 0, &list, false, true, false, 0);
  EXPECT_EQ(list.lastX, 3);
  DrawGlyphAndCaptionLeftAligned(s.C(), {0, 0, 40, 20}, 5, 0, blGlyphLeft, u"", 0, &list, false, true, false, 0);
  EXPECT_EQ(list.lastX, 5);
}

TEST(DrawBitmapGlyphAndCaptionTest, DrawsTheChosenFrameTransparently) {
  gdi::TBitmap glyph;  // three 4 x 3 frames on a magenta key; frame n has n dark columns
  imgtest::Fill(glyph, 12, 3, [](int x, int y) {
    const int frame = x / 4, col = x % 4;
    return y == 1 && col <= frame ? 0xFF000000u : 0xFFFF00FFu;
  });
  Sheet s(10, 5);
  DrawBitmapGlyphAndCaption(s.C(), {0, 0, 10, 5}, 0, 0, blGlyphLeft, u"", &glyph, 3, 2, false, false, 0);
  EXPECT_EQ(s.Ascii(0x000000), Pic({"..........", "..........", "##........", "..........", ".........."}));
  Sheet f(6, 3);
  DrawGlyphFrame(f.C(), 1, 0, 3, 3, &glyph);
  EXPECT_EQ(f.Ascii(0x000000), Pic({"......", ".###..", "......"}));
}

TEST(TextFittingTest, EllipsisOnlyWhenTheTextDoesNotFit) {
  Sheet s(10, 10);
  s.C()->Font()->SetName(u"Arial");
  s.C()->Font()->SetHeight(-12);
  String t = u"Fits";
  FitCaptionWithEllipsis(s.C(), t, 500);
  EXPECT_EQ(t, u"Fits");
  String longer = u"A caption much too long for its place";
  const int room = WideTextWidth(s.C(), u"A caption...");
  FitCaptionWithEllipsis(s.C(), longer, room);
  EXPECT_EQ(longer, u"A caption...");
  String tiny = u"Wide";
  FitTextWithEllipsis(s.C(), tiny, 1);
  EXPECT_EQ(tiny, u"...");
  EXPECT_GT(WideTextHeight(s.C(), u"Ag"), 8);
}

TEST(TextFittingTest, VerticallyCentredTextAndEmptyText) {
  Sheet s(60, 30);
  s.C()->Font()->SetColor(0x000000);
  TextRectVCentered(s.C(), u"", {0, 0, 60, 30});
  EXPECT_EQ(s.Ascii(0x000000).find('#'), std::string::npos);
  TextRectVCenteredIndent(s.C(), u"Ty", {0, 0, 60, 30}, 10);
  int first = 60;
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 60; ++x)
      if (imgtest::Px(s.bmp, x, y) != 0xFFFFFFFFu) first = std::min(first, x);
  EXPECT_GE(first, 11);  // starts at 10 + 2 (anti-aliasing may reach one pixel left)
  EXPECT_LT(first, 16);
}

TEST(ArrowsAndMarksTest, PixelPictures) {
  Sheet s(9, 9);
  DrawArrow(s.C(), {0, 0, 9, 9}, kBlue, 2);  // right: columns of 1, 3, 5, 7 with the tip at cx + 2
  EXPECT_EQ(s.Ascii(), Pic({".........", "...#.....", "...##....", "...###...", "...####..", "...###...", "...##....",
                            "...#.....", "........."}));
  Sheet d(9, 9);
  DrawArrow(d.C(), {0, 0, 9, 9}, kBlue, 4);  // down: rows of 7, 5, 3, 1 ending at cy + 2
  EXPECT_EQ(d.Ascii(), Pic({".........", ".........", ".........", ".#######.", "..#####..", "...###...", "....#....",
                            ".........", "........."}));
  Sheet none(9, 9);
  DrawArrow(none.C(), {0, 0, 9, 9}, kBlue, 5);
  EXPECT_EQ(none.Ascii().find('#'), std::string::npos);
  Sheet dd(7, 5);
  DrawDropDownArrow(dd.C(), {0, 0, 7, 5}, kBlue);
  EXPECT_EQ(dd.Ascii(), Pic({".......", ".......", ".#####.", "..###..", "...#..."}));
  Sheet check(9, 9);
  DrawCheckMark(check.C(), 0, 0, kBlue);
  EXPECT_EQ(check.Ascii(), Pic({".........", "......#..", ".....##..", "#...###..", "##.###...", "#####....",
                                ".###.....", "..#......", "........."}));
  Sheet sq(8, 8);
  sq.C()->Brush()->SetStyle(gdi::bsClear);
  DrawSquareMark(sq.C(), 1, 1, kBlue);
  EXPECT_EQ(sq.Ascii(), Pic({"........", ".######.", ".#....#.", ".#....#.", ".#....#.", ".#....#.", ".######.",
                             "........"}));
}

TEST(DotFocusRectTest, DotsAlternateAroundTheCorners) {
  Sheet even(7, 5);  // frame 4 x 2 (both even): the first pixel is left out
  even.C()->Font()->SetColor(kBlue);
  DrawDotFocusRect(even.C(), {1, 1, 6, 4});
  EXPECT_EQ(even.Ascii(), Pic({".......", "..#.#..", ".#...#.", "..#.#..", "......."}));
  Sheet odd(7, 5);  // frame 5 x 2: the first pixel is set
  odd.C()->Font()->SetColor(kBlue);
  DrawDotFocusRect(odd.C(), {0, 1, 6, 4});
  EXPECT_EQ(odd.Ascii(), Pic({".......", "#.#.#..", ".....#.", "#.#.#..", "......."}));
}

TEST(CaptionGlyphsTest, PixelPictures) {
  Sheet c(11, 10);
  DrawCloseGlyph(c.C(), 0, 0, kBlue);
  EXPECT_EQ(c.Ascii(), Pic({"...........", ".##.....##.", "..##...##..", "...##.##...", "....###....", "....###....",
                            "...##.##...", "..##...##..", ".##.....##.", "..........."}));
  Sheet m(11, 11);
  DrawMaximizeGlyph(m.C(), 0, 0, kBlue);
  EXPECT_EQ(m.Ascii(), Pic({"###########", "###########", "#.........#", "#.........#", "#.........#", "#.........#",
                            "#.........#", "#.........#", "#.........#", "###########", "..........."}));
  Sheet mn(10, 10);
  DrawMinimizeGlyph(mn.C(), 0, 0, kBlue);
  EXPECT_EQ(mn.Ascii().substr(8 * 11), Pic({".########.", ".########."}));
  Sheet up(10, 8), down(10, 8);
  DrawRollUpGlyph(up.C(), 0, 0, kBlue);
  DrawRollDownGlyph(down.C(), 0, 0, kBlue);
  EXPECT_EQ(up.Ascii(), Pic({"..........", "..........", "..........", "....##....", "...####...", "..######..",
                             ".########.", ".........."}));
  EXPECT_EQ(down.Ascii(), Pic({"..........", "..........", ".########.", "..######..", "...####...", "....##....",
                               "..........", ".........."}));
  Sheet sys(10, 7), tray(8, 8), restore(11, 11);
  DrawSysMenuGlyph(sys.C(), 0, 0, kBlue);
  EXPECT_EQ(sys.Ascii(), Pic({"..........", "..........", "..........", ".########.", ".#......#.", ".########.",
                              ".........."}));
  DrawMinimizeToTrayGlyph(tray.C(), 0, 0, kBlue);
  EXPECT_EQ(tray.Ascii().substr(2 * 9, 9), "..#####.\n");
  DrawRestoreGlyph(restore.C(), 0, 0, kBlue);
  EXPECT_EQ(restore.Ascii().substr(4 * 12, 12), "#######..#.\n");
}

TEST(RectHelpersTest, EdgesCountAsTheRoutinesSay) {
  const TRect z{0, 0, 10, 10};
  EXPECT_FALSE(RectInRect(z, z));
  EXPECT_TRUE(RectInRect({1, 1, 9, 9}, z));
  EXPECT_TRUE(IsNullPoint({5, 0}));
  EXPECT_FALSE(IsNullPoint({5, 1}));
  EXPECT_TRUE(PointInRectInclusive(z, {10, 10}));
  EXPECT_TRUE(RectTopOrBottomInRect({3, 9, 5, 20}, z));
  EXPECT_FALSE(RectTopOrBottomInRect({3, 10, 5, 20}, z));
  EXPECT_TRUE(IsEmptyRect({5, 5, 5, 9}));
  TRect r{1, 2, 3, 4};
  SetEmptyRect(r);
  EXPECT_TRUE(RectsEqual(r, TRect{}));
  EXPECT_EQ(IntMax(-3, 2), 2);
  EXPECT_EQ(IntMin(-3, 2), -3);
  EXPECT_TRUE(IsWindowsXPOrLater());
  EXPECT_TRUE(IsWindowsVistaOrLater());
}

}  // namespace
