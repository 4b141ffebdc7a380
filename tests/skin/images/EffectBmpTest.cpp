// TbsEffectBmp: layout, morphs between two known pictures, the inactive
// effects and the geometry routines, sampled at chosen pixels.
#include <array>
#include <climits>
#include <cmath>
#include <memory>

#include "ImagesTestUtil.h"
#include "skin/images/bseffects.h"

namespace {

using skin::TbsEffectBmp;

// Every pixel of an image set to one colour (blue, green, red in the low bytes).
std::unique_ptr<TbsEffectBmp> Solid(int w, int h, int bgr) {
  auto e = std::make_unique<TbsEffectBmp>(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) e->WritePixel(x, y, bgr);
  return e;
}

// Pixel (x, y) = red x, green y, blue 1 (the first image) or 2 (the second).
std::unique_ptr<TbsEffectBmp> Coords(int w, int h, int tag) {
  auto e = std::make_unique<TbsEffectBmp>(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) e->WritePixel(x, y, x << 16 | y << 8 | tag);
  return e;
}

int Red(int p) { return (p >> 16) & 0xFF; }

TEST(TbsEffectBmpLayout, RowsArePaddedToFourBytes) {
  EXPECT_EQ(TbsEffectBmp(5, 2).RowSize(), 16);
  EXPECT_EQ(TbsEffectBmp(4, 2).RowSize(), 12);
  EXPECT_EQ(TbsEffectBmp(5, 2).Size(), 32);
}

TEST(TbsEffectBmpLayout, HostileSizesGiveAnEmptyImageThatIgnoresEverything) {
  for (auto [w, h] : {std::pair{0, 5}, {-3, 4}, {INT_MIN, INT_MIN}, {1 << 20, 1 << 20}}) {
    TbsEffectBmp e(w, h);
    EXPECT_EQ(e.Width(), 0);
    EXPECT_EQ(e.Bits(), nullptr);
    TbsEffectBmp other(0, 0);
    e.Morph(other, 0.5);
    e.GrayScale();
    e.SplitBlur(3);
    e.AddMonoNoise(50);
    e.Mosaic(4);
    e.Wave(2, 2, 3);
    e.WritePixel(0, 0, 1);
    EXPECT_EQ(e.ReadPixel(0, 0), 0);
  }
}

TEST(TbsEffectBmpMorph, MorphRoundsHalvesToEvenAndClampsTheFactor) {
  auto a = Solid(2, 1, 0x0A0A0A), b = Solid(2, 1, 0x0B0B0B);
  a->Morph(*b, 0.5);
  EXPECT_EQ(a->ReadPixel(0, 0), 0x0A0A0A);
  a->Morph(*b, 1.7);
  EXPECT_EQ(a->ReadPixel(1, 0), 0x0B0B0B);
  auto c = Solid(2, 1, 0x101010);
  c->Morph(*b, -0.2);
  EXPECT_EQ(c->ReadPixel(0, 0), 0x101010);
  c->Morph(*b, std::nan(""));  // not a number: as 0
  EXPECT_EQ(c->ReadPixel(0, 0), 0x101010);
  auto other = Solid(3, 1, 0);
  c->Morph(*other, 1);  // another size: unchanged
  c->MorphPush(*other, 1);
  c->MorphHGrad(*other, 1);
  EXPECT_EQ(c->ReadPixel(0, 0), 0x101010);
  for (double wild : {1e300, -1e300, std::nan("")}) {  // factors far outside 0..1 stay inside the image
    auto d = Solid(2, 1, 0x101010);
    d->MorphHGrad(*b, wild);
    d->MorphVGrad(*b, wild);
    d->MorphPush(*b, wild);
    d->MorphLeftGrad(*b, wild);
    d->MorphRightGrad(*b, wild);
    d->MorphLeftSlide(*b, wild);
  }
}

TEST(TbsEffectBmpMorph, HorizontalGradientWeightsFromTheMiddle) {
  auto a = Solid(10, 1, 0xC8C8C8), b = Solid(10, 1, 0);
  a->MorphHGrad(*b, 0);
  // t = weight of the image's own pixel; column 5 becomes BMP's.
  const int expect[10] = {200, 160, 120, 80, 40, 0, 40, 80, 120, 160};
  for (int x = 0; x < 10; ++x) EXPECT_EQ(a->ReadPixel(x, 0) & 0xFF, expect[x]) << x;
  auto tall = Solid(1, 10, 0xC8C8C8);
  tall->MorphGrad(*Solid(1, 10, 0), 0);  // taller than wide: the vertical form
  EXPECT_EQ(tall->ReadPixel(0, 5) & 0xFF, 0);
  EXPECT_EQ(tall->ReadPixel(0, 0) & 0xFF, 200);
}

TEST(TbsEffectBmpMorph, WipesSlidesAndPushAtTheirEnds) {
  auto b = Coords(6, 2, 2);
  auto left = Coords(6, 2, 1);
  left->MorphLeftGrad(*b, 0);
  EXPECT_EQ(left->ReadPixel(0, 1), b->ReadPixel(0, 1));
  for (int x = 1; x < 6; ++x) EXPECT_EQ(left->ReadPixel(x, 1) & 0xFF, 1) << x;

  auto right = Coords(6, 2, 1);
  right->MorphRightGrad(*b, 0.5);  // columns 3 .. 5, the last becoming BMP's
  EXPECT_EQ(right->ReadPixel(5, 0), b->ReadPixel(5, 0));
  EXPECT_EQ(right->ReadPixel(2, 0) & 0xFF, 1);

  auto push = Coords(6, 2, 1);
  push->MorphPush(*b, 1);
  for (int x = 0; x < 6; ++x) EXPECT_EQ(push->ReadPixel(x, 1), b->ReadPixel(x, 1));
  auto push2 = Coords(6, 1, 1), b1 = Coords(6, 1, 2);
  push2->MorphPush(*b1, 0.34);  // n = 2: row moves right by 3, columns 0..2 from BMP's 3..5
  EXPECT_EQ(push2->ReadPixel(0, 0), b1->ReadPixel(3, 0));
  EXPECT_EQ(push2->ReadPixel(2, 0), b1->ReadPixel(5, 0));
  EXPECT_EQ(Red(push2->ReadPixel(3, 0)), 0);
  EXPECT_EQ(Red(push2->ReadPixel(5, 0)), 2);

  auto slide = Coords(6, 1, 1);
  slide->MorphLeftSlide(*b1, 1);
  for (int x = 0; x < 5; ++x) EXPECT_EQ(slide->ReadPixel(x, 0), b1->ReadPixel(x + 1, 0));
  EXPECT_EQ(slide->ReadPixel(5, 0) & 0xFF, 1);
  auto rslide = Coords(6, 1, 1);
  rslide->MorphRightSlide(*b1, 0.34);
  EXPECT_EQ(rslide->ReadPixel(4, 0), b1->ReadPixel(0, 0));
  EXPECT_EQ(rslide->ReadPixel(5, 0), b1->ReadPixel(1, 0));
  EXPECT_EQ(rslide->ReadPixel(3, 0) & 0xFF, 1);
}

TEST(TbsEffectBmpEffects, InactiveLooksOnKnownColours) {
  auto e = std::make_unique<TbsEffectBmp>(3, 1);
  e->WritePixel(0, 0, 0x000000);
  e->WritePixel(1, 0, 0xFFFFFF);
  e->WritePixel(2, 0, 0xFF0000);  // pure red
  auto bright = TbsEffectBmp::CreateCopy(*e);
  std::unique_ptr<TbsEffectBmp> holdBright(bright);
  bright->ChangeBrightness(0.5);
  EXPECT_EQ(bright->ReadPixel(0, 0), 0x808080);
  EXPECT_EQ(bright->ReadPixel(1, 0), 0xFFFFFF);
  std::unique_ptr<TbsEffectBmp> dark(TbsEffectBmp::CreateCopy(*e));
  dark->ChangeDarkness(0.3);
  EXPECT_EQ(dark->ReadPixel(1, 0), 0xB2B2B2);
  std::unique_ptr<TbsEffectBmp> grey(TbsEffectBmp::CreateCopy(*e));
  grey->GrayScale();
  EXPECT_EQ(grey->ReadPixel(2, 0), 0x4C4C4C);
  std::unique_ptr<TbsEffectBmp> inv(TbsEffectBmp::CreateCopy(*e));
  inv->Invert();
  EXPECT_EQ(inv->ReadPixel(2, 0), 0x00FFFF);
}

TEST(TbsEffectBmpEffects, SplitBlurTakesMirroredNeighboursAtTheEnd) {
  // 3 x 3, pixel value = blue channel only.
  TbsEffectBmp e(3, 3);
  const int v[3][3] = {{0, 40, 80}, {120, 160, 200}, {4, 8, 12}};
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 3; ++x) e.WritePixel(x, y, v[y][x]);
  e.SplitBlur(1);
  // (0,0): upper row 0 (own), lower row 1, left column 0 (own), right column 1.
  const int p00 = (0 + 120 + 40 + 160) / 4;
  EXPECT_EQ(e.ReadPixel(0, 0), p00);
  // The last row's lower neighbour is row 3 - 2 = 1; changed pixels are read as changed.
  const int last = e.ReadPixel(2, 2);
  EXPECT_GE(last, 0);
  EXPECT_LE(last, 255);
  TbsEffectBmp same(3, 3);
  same.SplitBlur(0);
  EXPECT_EQ(same.ReadPixel(1, 1), 0);
}

TEST(TbsEffectBmpEffects, MonoNoiseMovesAllChannelsOfAPixelTogether) {
  TbsEffectBmp::SetNoiseSeed(7);
  auto e = Solid(40, 20, 0x808080);
  e->AddMonoNoise(50);
  int lo = 0, hi = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 40; ++x) {
      const int p = e->ReadPixel(x, y), d = (p & 0xFF) - 0x80;
      EXPECT_EQ(p, (p & 0xFF) * 0x010101);
      lo = std::min(lo, d);
      hi = std::max(hi, d);
    }
  EXPECT_GE(lo, -25);
  EXPECT_LE(hi, 24);
  EXPECT_LT(lo, -15);
  EXPECT_GT(hi, 15);
}

TEST(TbsEffectBmpGeometry, QuarterTurnsFlipMosaicAndResize) {
  auto e = Coords(3, 2, 1);
  TbsEffectBmp r1(2, 3), r2(2, 3), f(3, 2), wrong(3, 3);
  e->Rotate90_1(r1);
  e->Rotate90_2(r2);
  e->FlipVert(f);
  e->Rotate90_1(wrong);  // not H x W: untouched
  EXPECT_EQ(wrong.ReadPixel(0, 0), 0);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) {
      EXPECT_EQ(r1.ReadPixel(y, 2 - x), e->ReadPixel(x, y));
      EXPECT_EQ(r2.ReadPixel(1 - y, x), e->ReadPixel(x, y));
      EXPECT_EQ(f.ReadPixel(x, 1 - y), e->ReadPixel(x, y));
    }
  auto m = Coords(5, 5, 1);
  m->Mosaic(2);
  EXPECT_EQ(m->ReadPixel(1, 1), m->ReadPixel(0, 0));
  EXPECT_EQ(Red(m->ReadPixel(3, 4)), 2);
  TbsEffectBmp big(6, 4);
  Coords(2, 2, 1)->Resize(big);
  EXPECT_EQ(Red(big.ReadPixel(0, 0)), 0);
  EXPECT_EQ(Red(big.ReadPixel(4, 3)), 1);  // blocks of 3 x 3 at round(2.5 x), round(1.5 y)
  EXPECT_EQ(big.ReadPixel(5, 3), 0);
}

TEST(TbsEffectBmpMasked, OnlyWhereTheMaskIsNotWhite) {
  auto e = Solid(2, 1, 0x000000);
  auto mask = std::make_unique<TbsEffectBmp>(2, 1);
  mask->WritePixel(0, 0, 0xFFFFFF);
  e->MaskFillColor(*mask, 0x0000FF, 0.5);  // pure red at half strength
  EXPECT_EQ(e->ReadPixel(0, 0), 0);
  EXPECT_EQ(e->ReadPixel(1, 0), 0x800000);
  auto shortMask = std::make_unique<TbsEffectBmp>(3, 1);
  e->MaskBlur(*shortMask, 1);  // widths differ: nothing
  EXPECT_EQ(e->ReadPixel(1, 0), 0x800000);
}

TEST(TbsEffectBmpIO, CopyFromAHandleAndDrawBack) {
  gdi::TBitmap src;
  imgtest::Fill(src, 3, 2, [](int x, int y) { return 0xFF000000u | std::uint32_t(x * 60) << 16 | std::uint32_t(y * 90); });
  std::unique_ptr<TbsEffectBmp> e(TbsEffectBmp::CreateFromhWnd(src.Handle()));
  ASSERT_EQ(e->Width(), 3);
  EXPECT_EQ(e->ReadPixel(2, 1), 120 << 16 | 90);
  e->Invert();
  gdi::TBitmap dst;
  imgtest::Fill(dst, 5, 4, [](int, int) { return 0xFF000000u; }, gdi::pf24bit);
  e->Draw(dst.Canvas()->Handle(), 1, 1);
  EXPECT_EQ(imgtest::Px(dst, 3, 2), 0xFF000000u | std::uint32_t(255 - 120) << 16 | 0xFF00 | (255 - 90));
  EXPECT_EQ(imgtest::Px(dst, 0, 0), 0xFF000000u);
}

}  // namespace

namespace {

// Two button faces (blue and orange gradients with a dark border), every
// morph at five steps, then the six inactive looks of the first face.
TEST(TbsEffectBmpGallery, MorphStepsAndInactiveLooks) {
  const auto face = [](bool second) {
    gdi::TBitmap b;
    imgtest::Fill(b, 60, 24, [&](int x, int y) -> std::uint32_t {
      if (x == 0 || y == 0 || x == 59 || y == 23) return 0xFF203040u;
      const std::uint32_t v = std::uint32_t(0x60 + y * 5);
      return second ? 0xFF000000u | 0xF0u << 16 | v << 8 | 0x30 : 0xFF000000u | 0x30u << 16 | v << 8 | 0xE0;
    });
    return std::unique_ptr<TbsEffectBmp>(TbsEffectBmp::CreateFromhWnd(b.Handle()));
  };
  gdi::TBitmap sheet;
  imgtest::Fill(sheet, 6 * 66 + 6, 8 * 30 + 6, [](int, int) { return 0xFFF4F4F4u; }, gdi::pf24bit);
  using Morph = void (TbsEffectBmp::*)(const TbsEffectBmp&, double);
  const Morph morphs[7] = {&TbsEffectBmp::Morph,         &TbsEffectBmp::MorphGrad,      &TbsEffectBmp::MorphLeftGrad,
                           &TbsEffectBmp::MorphRightGrad, &TbsEffectBmp::MorphLeftSlide, &TbsEffectBmp::MorphRightSlide,
                           &TbsEffectBmp::MorphPush};
  for (int m = 0; m < 7; ++m)
    for (int k = 0; k < 5; ++k) {
      auto a = face(false), b = face(true);
      ((*a).*morphs[m])(*b, k / 4.0);
      a->Draw(sheet.Canvas()->Handle(), 6 + k * 66, 6 + m * 30);
    }
  for (int e = 0; e < 6; ++e) {
    auto a = face(false);
    switch (e) {
      case 0: a->ChangeBrightness(0.5); break;
      case 1: a->ChangeDarkness(0.3); break;
      case 2: a->GrayScale(); break;
      case 3: a->AddMonoNoise(50); break;
      case 4: a->SplitBlur(1); break;
      case 5: a->Invert(); break;
    }
    a->Draw(sheet.Canvas()->Handle(), 6 + e * 66, 6 + 7 * 30);
  }
  EXPECT_TRUE(gdi::WriteSurfacePng(*sheet.GetSurface(), imgtest::PictureDir() + "/skin_effects_gallery.png"));
  // What the sheet shows: the plain morph goes from the first face to the
  // second (their middles: blue and orange), every morph changes along its
  // steps, and each inactive look turns the first face's middle as its
  // effect says.
  const std::uint32_t first = 0x309CE0, second = 0xF09C30;
  auto middle = [&](int column, int row) { return imgtest::Rgb(imgtest::Px(sheet, 6 + column * 66 + 30, 6 + row * 30 + 12)); };
  EXPECT_EQ(middle(0, 0), first);
  EXPECT_EQ(middle(4, 0), second);
  for (int m = 0; m < 7; ++m) {
    bool moves = false;
    for (int k = 1; k < 5; ++k)
      for (int x = 0; x < 60; ++x)
        moves = moves || imgtest::Px(sheet, 6 + x, 6 + m * 30 + 12) != imgtest::Px(sheet, 6 + k * 66 + x, 6 + m * 30 + 12);
    EXPECT_TRUE(moves) << "morph " << m << " the same at every step";
  }
  auto channels = [](std::uint32_t p) { return std::array<int, 3>{int(p >> 16 & 0xFF), int(p >> 8 & 0xFF), int(p & 0xFF)}; };
  const auto f = channels(first), bright = channels(middle(0, 7)), dark = channels(middle(1, 7)),
             gray = channels(middle(2, 7));
  for (int c = 0; c < 3; ++c) {
    EXPECT_GE(bright[c], f[c]) << "brighter, channel " << c;
    EXPECT_LE(dark[c], f[c]) << "darker, channel " << c;
  }
  EXPECT_NE(middle(0, 7), first);
  EXPECT_NE(middle(1, 7), first);
  EXPECT_TRUE(gray[0] == gray[1] && gray[1] == gray[2]) << "grey";
  EXPECT_EQ(middle(5, 7), first ^ 0xFFFFFFu) << "inverted";
}

}  // namespace
