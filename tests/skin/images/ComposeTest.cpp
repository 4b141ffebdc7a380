// Composition of skin pictures: pictures whose pixels name their own
// position, composed at the design size and at other sizes, checked part by
// part; plus a gallery picture of a drawn frame at several sizes.
#include <climits>

#include "ImagesTestUtil.h"
#include "platform/gdi/Gdi.h"
#include "platform/rtl/Exceptions.h"
#include "skin/images/bsSkinCompose.h"

namespace {

using namespace skin;
using imgtest::Coord;
using imgtest::CoordX;
using imgtest::CoordY;

// The element lies at R = (5, 3, 25, 19) of a 40 x 30 picture: W0 = 20, H0 = 16.
struct Nine {
  gdi::TBitmap sb;
  TRect R{5, 3, 25, 19};
  TPoint LT{6, 5}, RT{14, 5}, LB{6, 11}, RB{14, 11};
  TRect Cl{4, 3, 16, 12};
  Nine() { imgtest::Fill(sb, 40, 30, [](int x, int y) { return Coord(x, y, 7); }, gdi::pf24bit); }
  int W0() const { return R.Width(); }
  int H0() const { return R.Height(); }

  struct Flags {
    bool left = false, top = false, right = false, bottom = false, effect = false;
    TbsStretchType type = bsstFull;
    bool client = true;
  };
  // Composed at W x H with the usual new points.
  void Compose(gdi::TBitmap& b, int W, int H, Flags f) {
    const int dW = W - W0(), dH = H - H0();
    ComposeSkinImage(LT, RT, LB, RB, Cl, LT, {RT.X + dW, RT.Y}, {LB.X, LB.Y + dH}, {RB.X + dW, RB.Y + dH},
                     {Cl.Left, Cl.Top, Cl.Right + dW, Cl.Bottom + dH}, &b, &sb, R, W, H, f.client, f.left, f.top,
                     f.right, f.bottom, f.effect, f.type);
  }
  // The picture position (relative to R) that pixel (x, y) of b shows.
  TPoint Source(gdi::TBitmap& b, int x, int y) const {
    const std::uint32_t p = imgtest::Px(b, x, y);
    return {CoordX(p) - R.Left, CoordY(p) - R.Top};
  }
};

TEST(ComposeSkinImageTest, DesignSizeReproducesTheRectangleForEveryFlagCombination) {
  Nine n;
  for (int mask = 0; mask < 32; ++mask)
    for (TbsStretchType type : {bsstFull, bsstHorz, bsstVert}) {
      Nine::Flags f{bool(mask & 1), bool(mask & 2), bool(mask & 4), bool(mask & 8), bool(mask & 16), type};
      gdi::TBitmap b;
      n.Compose(b, n.W0(), n.H0(), f);
      for (int y = 0; y < n.H0(); ++y)
        for (int x = 0; x < n.W0(); ++x)
          ASSERT_EQ(n.Source(b, x, y), (TPoint{x, y})) << "flags " << mask << " type " << type << " at " << x << "," << y;
    }
}

TEST(ComposeSkinImageTest, TiledEdgesAndClientRepeatFromTheirStartAndEndCut) {
  Nine n;
  gdi::TBitmap b;
  const int W = 33, H = 27, dW = W - n.W0(), dH = H - n.H0();
  n.Compose(b, W, H, {});
  const int topStep = n.RT.X - n.LT.X, clW = n.Cl.Width(), clH = n.Cl.Height();
  for (int x = n.LT.X; x < n.RT.X + dW; ++x)  // top edge, a partial tile at the end
    for (int y = 0; y < n.Cl.Top; ++y) EXPECT_EQ(n.Source(b, x, y), (TPoint{n.LT.X + (x - n.LT.X) % topStep, y}));
  for (int y = n.Cl.Top; y < n.Cl.Bottom + dH; ++y)
    for (int x = n.Cl.Left; x < n.Cl.Right + dW; ++x)
      EXPECT_EQ(n.Source(b, x, y), (TPoint{n.Cl.Left + (x - n.Cl.Left) % clW, n.Cl.Top + (y - n.Cl.Top) % clH}));
  // Corners keep their place relative to their own corner of the target.
  EXPECT_EQ(n.Source(b, W - 1, H - 1), (TPoint{n.W0() - 1, n.H0() - 1}));
  EXPECT_EQ(n.Source(b, 0, H - 1), (TPoint{0, n.H0() - 1}));
  EXPECT_EQ(n.Source(b, n.RB.X + dW, H - 1), (TPoint{n.RB.X, n.H0() - 1}));
  // Right edge tiled along y with step RB.Y - RT.Y from NRT.Y.
  const int rs = n.RB.Y - n.RT.Y;
  for (int y = n.RT.Y; y < n.RB.Y + dH; ++y)
    EXPECT_EQ(n.Source(b, W - 1, y), (TPoint{n.W0() - 1, n.RT.Y + (y - n.RT.Y) % rs}));
}

TEST(ComposeSkinImageTest, StretchedEdgeAndClientScaleTheirSource) {
  Nine n;
  gdi::TBitmap b;
  const int W = 60, H = 16;
  n.Compose(b, W, H, {.top = true, .effect = true});
  // Top edge: source span 6..14 over 6..54: nearest neighbour keeps the ends.
  EXPECT_EQ(n.Source(b, 6, 0).X, 6);
  EXPECT_EQ(n.Source(b, 53 + 1 - 1, 0).X, 13);
  EXPECT_EQ(n.Source(b, 30, 0).X, 6 + (2 * 24 + 1) * 8 / (2 * 48));
  // Client stretched into 4..56: every source column appears, in order.
  int last = -1;
  for (int x = 4; x < 56; ++x) {
    const int sx = n.Source(b, x, 5).X;
    EXPECT_GE(sx, last);
    last = sx;
  }
  EXPECT_EQ(last, 15);
}

TEST(ComposeSkinImageTest, ATargetNarrowerThanTheCornersShowsTheLaterPiece) {
  Nine n;
  gdi::TBitmap b;
  n.Compose(b, 10, n.H0(), {});
  // NRT.X = 4 < NLT.X = 6: pieces 1 (x < 6) and 3 (x >= 4) overlap at 4, 5; piece 3 wins.
  EXPECT_EQ(n.Source(b, 5, 0), (TPoint{15, 0}));
  EXPECT_EQ(n.Source(b, 3, 0), (TPoint{3, 0}));
  EXPECT_EQ(b.Width(), 10);
}

TEST(ComposeSkinImageTest, HorzClientStripsAreClippedToTheClientRectangle) {
  Nine n;
  gdi::TBitmap b;
  const int W = 45, H = 30, dW = W - n.W0(), dH = H - n.H0();
  n.Compose(b, W, H, {.effect = true, .type = bsstHorz});
  const TRect ncl{n.Cl.Left, n.Cl.Top, n.Cl.Right + dW, n.Cl.Bottom + dH};
  for (int x = ncl.Left; x < ncl.Right; ++x) {
    EXPECT_EQ(n.Source(b, x, ncl.Top).Y, n.Cl.Top);
    EXPECT_EQ(n.Source(b, x, ncl.Bottom - 1).Y, n.Cl.Bottom - 1);  // the whole height in each column
    EXPECT_EQ(n.Source(b, x, 10).X, n.Cl.Left + (x - ncl.Left) % n.Cl.Width());
  }
  EXPECT_GE(n.Source(b, ncl.Right, 10).X, n.Cl.Right);  // right edge, not client
  gdi::TBitmap v;
  n.Compose(v, W, H, {.effect = true, .type = bsstVert});
  for (int y = ncl.Top; y < ncl.Bottom; ++y) EXPECT_EQ(n.Source(v, 10, y).Y, n.Cl.Top + (y - ncl.Top) % n.Cl.Height());
}

TEST(ComposeSkinImageTest, NothingDrawableLeavesTheBitmapSizedOrEmpty) {
  Nine n;
  gdi::TBitmap b;
  ComposeSkinImage(n.LT, n.RT, n.LB, n.LT, n.Cl, n.LT, n.RT, n.LB, n.LT, n.Cl, &b, &n.sb, n.R, 30, 20, true, false,
                   false, false, false, false, bsstFull);  // RB = LT
  EXPECT_EQ(b.Width(), 30);
  EXPECT_EQ(imgtest::Px(b, 0, 0) & 0xFFFFFF, 0xFFFFFFu);
  gdi::TBitmap empty;
  ComposeSkinImage(n.LT, n.RT, n.LB, n.RB, n.Cl, n.LT, n.RT, n.LB, n.RB, n.Cl, &b, &empty, n.R, 30, 20, true, false,
                   false, false, false, false, bsstFull);
  EXPECT_EQ(b.Height(), 20);
  // Zero tile steps (RT.X = LT.X, an empty client) draw nothing there and end.
  ComposeSkinImage({6, 5}, {6, 5}, n.LB, n.RB, {4, 3, 4, 3}, {6, 5}, {6, 5}, n.LB, n.RB, {4, 3, 4, 3}, &b, &n.sb, n.R,
                   50, 40, true, false, false, false, false, false, bsstFull);
  for (auto [w, h] : {std::pair{-5, 10}, {0, 0}}) {
    n.Compose(b, w, h, {});
    EXPECT_TRUE(b.Empty());
  }
  EXPECT_THROW(n.Compose(b, INT_MAX, INT_MAX, {}), rtl::Exception);
}

TEST(ComposeStretchedSkinImageTest, MarginsStayAndTheRestStretches) {
  Nine n;
  gdi::TBitmap b(40, 32);
  ComposeStretchedSkinImage(&b, &n.sb, n.R, n.Cl, true);
  EXPECT_EQ(n.Source(b, 0, 0), (TPoint{0, 0}));
  EXPECT_EQ(n.Source(b, 39, 31), (TPoint{19, 15}));
  EXPECT_EQ(n.Source(b, 36, 0), (TPoint{16, 0}));  // the right margin is 4 wide
  EXPECT_EQ(n.Source(b, 3, 28), (TPoint{3, 12}));  // the bottom margin is 4 high
}

TEST(ComposeSkinImageNoRightEdgeTest, TopAndClientRunToTheEnd) {
  Nine n;
  gdi::TBitmap b;
  ComposeSkinImageNoRightEdge(n.LT, n.RT, n.LB, n.RB, n.Cl, n.LT, {n.RT.X + 10, n.RT.Y}, n.LB, {n.RB.X + 10, n.RB.Y},
                              {n.Cl.Left, n.Cl.Top, n.Cl.Right + 10, n.Cl.Bottom}, &b, &n.sb, n.R, 30, n.H0(), true,
                              false, false, false, false, false, bsstFull);
  EXPECT_EQ(n.Source(b, 29, 0).X, n.LT.X + (29 - n.LT.X) % 8);  // top edge, no right corner
  EXPECT_EQ(n.Source(b, 29, 6).X, n.Cl.Left + (29 - n.Cl.Left) % n.Cl.Width());
}

TEST(ComposeThreeSliceTest, HorizontalAndVerticalSlices) {
  Nine n;
  gdi::TBitmap b;
  ComposeHorzSkinImage(0, 0, &b, &n.sb, n.R, 47, 999, false);  // the whole of R tiled
  EXPECT_EQ(b.Height(), n.H0());
  for (int x = 0; x < 47; ++x) EXPECT_EQ(n.Source(b, x, 2), (TPoint{x % 20, 2}));
  ComposeHorzSkinImage(3, 5, &b, &n.sb, n.R, 50, 0, false);
  EXPECT_EQ(n.Source(b, 1, 0).X, 1);
  EXPECT_EQ(n.Source(b, 49, 0).X, 19);
  EXPECT_EQ(n.Source(b, 45, 0).X, 15);
  EXPECT_EQ(n.Source(b, 3 + 12 + 1, 0).X, 4);  // middle 3..15 tiled with step 12
  ComposeHorzSkinImageNoRightEdge(3, 5, &b, &n.sb, n.R, 50, 0, false);
  EXPECT_EQ(n.Source(b, 49, 0).X, 3 + (49 - 3) % 12);
  ComposeHorzSkinImageMiddleOnly(3, 5, &b, &n.sb, n.R, 50, 0, true);
  EXPECT_EQ(n.Source(b, 0, 0).X, 3);
  EXPECT_EQ(n.Source(b, 49, 0).X, 14);
  ComposeHorzSkinImage(10, 10, &b, &n.sb, n.R, 30, 0, false);  // no middle: one column as step
  EXPECT_EQ(n.Source(b, 15, 0).X, 10);

  gdi::TBitmap v;
  ComposeVertSkinImage(4, 12, &v, &n.sb, n.R, 0, 30, false);  // middle of height 0
  EXPECT_EQ(v.Width(), n.W0());
  EXPECT_EQ(n.Source(v, 0, 3).Y, 3);
  EXPECT_EQ(n.Source(v, 0, 29).Y, 15);
  EXPECT_EQ(imgtest::Px(v, 0, 10) & 0xFFFFFF, 0xFFFFFFu);  // nothing between them
  ComposeVertSkinImage(4, 4, &b, &n.sb, n.R, 0, 30, false);
  EXPECT_EQ(n.Source(b, 0, 4 + 8 + 2).Y, 6);
}

TEST(ComposeBorderStripsTest, ExStripsAtDesignSizeAreTheFramesParts) {
  Nine n;
  gdi::TBitmap left, top, right, bottom;
  ComposeSkinBorderStripsEx(n.LT, n.RT, n.LB, n.RB, n.Cl, n.LT, n.RT, n.LB, n.RB, n.Cl, &left, &top, &right, &bottom,
                            &n.sb, n.R, n.W0(), n.H0(), true, true, true, true);
  ASSERT_EQ(top.Width(), n.W0());
  ASSERT_EQ(top.Height(), n.Cl.Top);
  ASSERT_EQ(bottom.Height(), n.H0() - n.Cl.Bottom);
  ASSERT_EQ(left.Height(), n.H0() - top.Height() - bottom.Height());
  ASSERT_EQ(right.Width(), n.W0() - n.Cl.Right);
  for (int y = 0; y < top.Height(); ++y)
    for (int x = 0; x < top.Width(); ++x) EXPECT_EQ(n.Source(top, x, y), (TPoint{x, y}));
  for (int y = 0; y < bottom.Height(); ++y)
    for (int x = 0; x < bottom.Width(); ++x) EXPECT_EQ(n.Source(bottom, x, y), (TPoint{x, n.Cl.Bottom + y}));
  for (int y = 0; y < left.Height(); ++y)
    for (int x = 0; x < left.Width(); ++x) EXPECT_EQ(n.Source(left, x, y), (TPoint{x, n.Cl.Top + y}));
  for (int y = 0; y < right.Height(); ++y) EXPECT_EQ(n.Source(right, 0, y), (TPoint{n.Cl.Right, n.Cl.Top + y}));
  // Tiled side strips take their phase from the strip's top, under the end piece.
  ComposeSkinBorderStripsEx(n.LT, n.RT, n.LB, n.RB, n.Cl, n.LT, n.RT, n.LB, n.RB, n.Cl, &left, &top, &right, &bottom,
                            &n.sb, n.R, n.W0(), n.H0(), false, false, false, false);
  EXPECT_EQ(n.Source(left, 0, 0).Y, n.Cl.Top);
  EXPECT_EQ(n.Source(left, 0, 2).Y, n.LT.Y + 2);
  EXPECT_EQ(n.Source(left, 0, left.Height() - 1).Y, n.Cl.Bottom - 1);
}

// A frame drawn the way skin pictures are: a dark border, a light bevel, a
// gradient face, and a dot pattern that shows where tiles repeat.
TEST(ComposeGallery, FramedFaceAtSeveralSizes) {
  gdi::TBitmap sb;
  imgtest::Fill(sb, 24, 24, [](int x, int y) -> std::uint32_t {
    const int e = std::min({x, y, 23 - x, 23 - y});
    if (e == 0) return 0xFF203040;
    if (e == 1) return 0xFFB0C8E0;
    if (e < 5) return 0xFF6080A0 + std::uint32_t((x + y) % 3 == 0 ? 0x101010 : 0);
    return 0xFF000000u | std::uint32_t(0x70 + y * 4) << 16 | std::uint32_t(0x90 + y * 3) << 8 | 0xD0;
  }, gdi::pf24bit);
  gdi::TBitmap sheet;
  imgtest::Fill(sheet, 420, 200, [](int, int) { return 0xFFF0F0F0u; });
  int x = 10;
  std::vector<std::unique_ptr<gdi::TBitmap>> faces;
  for (auto [w, h, stretch] : {std::tuple{24, 24, false}, {90, 40, false}, {90, 40, true}, {160, 120, true}}) {
    faces.push_back(std::make_unique<gdi::TBitmap>());
    gdi::TBitmap& b = *faces.back();
    const int dW = w - 24, dH = h - 24;
    ComposeSkinImage({5, 5}, {19, 5}, {5, 19}, {19, 19}, {5, 5, 19, 19}, {5, 5}, {19 + dW, 5}, {5, 19 + dH},
                     {19 + dW, 19 + dH}, {5, 5, 19 + dW, 19 + dH}, &b, &sb, {0, 0, 24, 24}, w, h, true, stretch,
                     stretch, stretch, stretch, true, bsstHorz);
    gdi::BitBlt(sheet.Canvas()->Handle(), x, 10, w, h, b.Canvas()->Handle(), 0, 0, gdi::SRCCOPY);
    x += w + 10;
    // The corners keep the border and the bevel at every size; the face
    // stays the gradient's (its blue never changes).
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h) + (stretch ? " stretched" : " tiled"));
    for (auto [cx, cy] : {std::pair{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}})
      EXPECT_EQ(imgtest::Rgb(imgtest::Px(b, cx, cy)), 0x203040u) << cx << "," << cy;
    for (auto [cx, cy] : {std::pair{1, 1}, {w - 2, h - 2}})
      EXPECT_EQ(imgtest::Rgb(imgtest::Px(b, cx, cy)), 0xB0C8E0u) << cx << "," << cy;
    EXPECT_EQ(imgtest::Px(b, w / 2, h / 2) & 0xFF, 0xD0u);
  }
  // Tiled and stretched at the same size differ: the dots repeat in one only.
  bool differ = false;
  for (int yy = 0; yy < 40 && !differ; ++yy)
    for (int xx = 0; xx < 90 && !differ; ++xx) differ = imgtest::Px(*faces[1], xx, yy) != imgtest::Px(*faces[2], xx, yy);
  EXPECT_TRUE(differ) << "tiled and stretched faces alike";
  EXPECT_TRUE(gdi::WriteSurfacePng(*sheet.GetSurface(), imgtest::PictureDir() + "/skin_compose_gallery.png"));
}

}  // namespace
