// Blur, glowing text and alpha masks.
#include <random>

#include "ImagesTestUtil.h"
#include "platform/gdi/Gdi.h"
#include "skin/images/bsGlowText.h"

namespace {

using namespace skin;
using imgtest::Fill;

TEST(BlurAlphaBitmapTest, RadiusZeroOrLessLeavesEverything) {
  TbsBitmap b;
  Fill(b, 3, 3, [](int x, int y) { return std::uint32_t(x * 40 + y) | 0x20000000u; });
  TbsBitmap copy;
  copy.Assign(&b);
  BlurAlphaBitmap(&b, 0);
  BlurAlphaBitmap(&b, -4);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(b.Bits()[i], copy.Bits()[i]);
}

TEST(BlurAlphaBitmapTest, OneWhitePixelSpreadsWithTriangularWeights) {
  TbsBitmap b;
  Fill(b, 5, 5, [](int x, int y) { return x == 2 && y == 2 ? 0x00FFFFFFu : 0x00000000u; });
  BlurAlphaBitmap(&b, 1);
  const int expect[3][3] = {{15, 31, 15}, {31, 63, 31}, {15, 31, 15}};
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) {
      const TbsColor p = b.Pixel(x, y);
      const bool near = x >= 1 && x <= 3 && y >= 1 && y <= 3;
      const std::uint32_t v = near ? std::uint32_t(expect[y - 1][x - 1]) : 0;
      EXPECT_EQ(p, 0xFF000000u | v << 16 | v << 8 | v) << x << "," << y;
    }
}

TEST(BlurAlphaBitmapTest, UniformStaysAndAnyImageBlursSymmetricallyWithinItsRange) {
  TbsBitmap u;
  Fill(u, 7, 4, [](int, int) { return 0x10203040u; });
  BlurAlphaBitmap(&u, 3);
  for (int i = 0; i < 28; ++i) EXPECT_EQ(u.Bits()[i], 0xFF203040u);

  std::mt19937 g(11);
  std::vector<std::uint32_t> px(23 * 17);
  for (auto& p : px) p = g() & 0x00FFFFFF;
  for (int radius : {1, 2, 4, 9, 40}) {
    TbsBitmap a, m;
    Fill(a, 23, 17, [&](int x, int y) { return px[y * 23 + x]; });
    Fill(m, 23, 17, [&](int x, int y) { return px[(16 - y) * 23 + (22 - x)]; });  // turned half way
    BlurAlphaBitmap(&a, radius);
    BlurAlphaBitmap(&m, radius);
    for (int y = 0; y < 17; ++y)
      for (int x = 0; x < 23; ++x) ASSERT_EQ(a.Pixel(x, y), m.Pixel(22 - x, 16 - y)) << radius << " at " << x << "," << y;
    for (int c = 0; c < 24; c += 8) {
      std::uint32_t lo = 255, hi = 0;
      for (auto p : px) {
        lo = std::min(lo, (p >> c) & 0xFF);
        hi = std::max(hi, (p >> c) & 0xFF);
      }
      for (int i = 0; i < 23 * 17; ++i) {
        EXPECT_GE((a.Bits()[i] >> c) & 0xFF, lo);
        EXPECT_LE((a.Bits()[i] >> c) & 0xFF, hi);
      }
    }
  }
}

TEST(AlphaFromMaskBitmapTest, MeanOfTheMaskColoursAndUncoveredPixelsKept) {
  TbsBitmap b, mask;
  Fill(b, 3, 1, [](int, int) { return 0x77123456u; });
  Fill(mask, 2, 1, [](int x, int) { return x ? 0x00FFFFFEu : 0x000A141Fu; });  // (r 10, g 20, b 31), (255, 255, 254)
  AlphaFromMaskBitmap(&b, &mask);
  EXPECT_EQ(b.Pixel(0, 0), 0x14123456u);
  EXPECT_EQ(b.Pixel(1, 0), 0xFE123456u);
  EXPECT_EQ(b.Pixel(2, 0), 0x77123456u);
}

struct TextCanvas {
  gdi::TBitmap bmp;
  TextCanvas(int w, int h) {
    Fill(bmp, w, h, [](int, int) { return 0xFFFFFFFFu; }, gdi::pf24bit);
    gdi::TFont* f = bmp.Canvas()->Font();
    f->SetName(u"Arial");
    f->SetHeight(-16);
    f->SetColor(0xFFFFFF);  // white text on white: only the effect shows
  }
  gdi::TCanvas* C() { return bmp.Canvas(); }
  // The box of the pixels that are no longer white.
  TRect Changed() {
    TRect r{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int y = 0; y < bmp.Height(); ++y)
      for (int x = 0; x < bmp.Width(); ++x)
        if ((imgtest::Px(bmp, x, y) & 0xFFFFFF) != 0xFFFFFF) {
          r.Left = std::min(r.Left, x);
          r.Top = std::min(r.Top, y);
          r.Right = std::max(r.Right, x + 1);
          r.Bottom = std::max(r.Bottom, y + 1);
        }
    return r;
  }
};

TEST(GlowTextTest, GlowStaysWithinItsSizeAroundTheShiftedRectangle) {
  for (int glow : {0, 3, 6}) {
    TextCanvas t(200, 80);
    const TRect r{50, 20, 150, 50};
    DrawTextWithGlow(t.C(), r, u"Glow", glow, 0xFF0000, 4, gdi::DT_CENTER | gdi::DT_VCENTER | gdi::DT_SINGLELINE);
    const TRect ch = t.Changed();
    ASSERT_LT(ch.Left, ch.Right) << glow;
    EXPECT_GE(ch.Left, r.Left + 4 - glow);
    EXPECT_GE(ch.Top, r.Top + 4 - glow);
    EXPECT_LE(ch.Right, r.Right + 4 + glow);
    EXPECT_LE(ch.Bottom, r.Bottom + 4 + glow);
    // Blue glow under white text: nowhere redder than it is blue.
    for (int y = ch.Top; y < ch.Bottom; ++y)
      for (int x = ch.Left; x < ch.Right; ++x) {
        const std::uint32_t p = imgtest::Px(t.bmp, x, y);
        EXPECT_EQ((p >> 16) & 0xFF, (p >> 8) & 0xFF);
        EXPECT_GE(p & 0xFF, (p >> 16) & 0xFF);
      }
  }
}

TEST(GlowTextTest, HaloPlateReachesThreePixelsBesideTheText) {
  TextCanvas t(240, 90);
  const TRect r{60, 30, 180, 50};
  const int result = DrawWideTextWithHalo(t.C(), r, u"光环 Halo", 0x00FF00, gdi::DT_CENTER | gdi::DT_SINGLELINE);
  EXPECT_GT(result, 0);
  const TRect ch = t.Changed();
  EXPECT_GE(ch.Left, r.Left - 12);
  EXPECT_LE(ch.Right, r.Right + 12);
  EXPECT_LT(imgtest::Px(t.bmp, r.Left - 2, 40) & 0xFF0000, 0xC00000u);  // tinted green under the plate's edge
  EXPECT_EQ(imgtest::Px(t.bmp, 5, 5), 0xFFFFFFFFu);
}

TEST(GlowTextTest, ReflectionLiesBelowTheText) {
  TextCanvas t(200, 100);
  t.C()->Font()->SetColor(0x000000);
  const TRect r{10, 10, 190, 40};
  DrawWideTextWithReflection(t.C(), r, u"Mirror", 0x0000FF, 2, gdi::DT_LEFT | gdi::DT_TOP | gdi::DT_SINGLELINE);
  const TRect ch = t.Changed();
  EXPECT_GE(ch.Top, r.Top);
  EXPECT_GT(ch.Bottom, r.Top + 20);
  bool reddish = false;
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 200; ++x) {
      const std::uint32_t p = imgtest::Px(t.bmp, x, y);
      if (((p >> 16) & 0xFF) > (p & 0xFF) + 20) reddish = true;
    }
  EXPECT_TRUE(reddish);
  TextCanvas empty(50, 50);
  DrawWideTextWithReflection(empty.C(), {10, 10, 10, 10}, u"x", 0x0000FF, 0, 0);  // no room: nothing breaks
}

TEST(GlowTextTest, HostileSizesLeaveOutTheEffectAndKeepTheText) {
  TbsBitmap b;
  Fill(b, 9, 5, [](int x, int) { return std::uint32_t(x * 20); });
  BlurAlphaBitmap(&b, INT_MAX);  // taken as the largest radius: bounded, symmetric work
  for (int i = 0; i < 45; ++i) EXPECT_LE(b.Bits()[i] & 0xFF, 160u);
  TextCanvas t(100, 40);
  t.C()->Font()->SetColor(0x000000);
  const TRect r{10, 5, 90, 35};
  DrawTextWithGlow(t.C(), r, u"Text", INT_MAX / 2, 0xFF0000, 0, gdi::DT_SINGLELINE);
  DrawWideTextWithGlow(t.C(), {INT_MIN / 2, 0, INT_MAX / 2, 35}, u"Text", 3, 0xFF0000, 0, gdi::DT_SINGLELINE);
  DrawWideTextWithHalo(t.C(), {0, INT_MIN / 2, 100, INT_MAX / 2}, u"Text", 0xFF0000, gdi::DT_SINGLELINE);
  DrawWideTextWithReflection(t.C(), {0, 0, 100000, 100000}, u"Text", 0xFF0000, 0, gdi::DT_SINGLELINE);
  EXPECT_LT(t.Changed().Left, t.Changed().Right);  // the text itself is there
}

TEST(GlowTextGallery, EffectsOnAFrameColour) {
  gdi::TBitmap sheet;
  Fill(sheet, 320, 150, [](int, int y) { return 0xFF000000u | std::uint32_t(0x30 + y / 3) << 16 | std::uint32_t(0x50 + y / 3) << 8 | 0x90; });
  gdi::TCanvas* c = sheet.Canvas();
  c->Font()->SetName(u"Arial");
  c->Font()->SetHeight(-18);
  c->Font()->SetColor(0x202020);
  DrawTextWithGlow(c, {10, 10, 150, 40}, u"Glow 发光", 4, 0xFFFFFF, 0, gdi::DT_LEFT | gdi::DT_VCENTER | gdi::DT_SINGLELINE);
  DrawWideTextWithHalo(c, {170, 10, 310, 40}, u"Halo 光晕", 0xFFFFFF, gdi::DT_CENTER | gdi::DT_VCENTER | gdi::DT_SINGLELINE);
  c->Font()->SetColor(0xFFFFFF);
  DrawWideTextWithReflection(c, {10, 60, 300, 90}, u"Reflection 倒影", 0xFFFFFF, 0, gdi::DT_LEFT | gdi::DT_TOP | gdi::DT_SINGLELINE);
  EXPECT_TRUE(gdi::WriteSurfacePng(*sheet.GetSurface(), imgtest::PictureDir() + "/skin_glow_gallery.png"));
  // Each effect shows: near-white pixels (the glow, the halo, the white
  // text) where the ground is a dark blue, and the reflection below the
  // text's own row.
  auto light = [&](int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) {
        const std::uint32_t p = imgtest::Rgb(imgtest::Px(sheet, x, y));
        n += (p >> 16 & 0xFF) > 0xC0 && (p >> 8 & 0xFF) > 0xC0 && (p & 0xFF) > 0xC0;
      }
    return n;
  };
  EXPECT_GT(light(10, 10, 150, 40), 20) << "glow";
  EXPECT_GT(light(170, 10, 310, 40), 20) << "halo";
  EXPECT_GT(light(10, 60, 300, 82), 20) << "text over its reflection";
  EXPECT_EQ(light(0, 125, 320, 150), 0) << "the ground alone";
  // The reflection: below the text, pixels off the ground's gradient.
  int reflected = 0;
  for (int y = 82; y < 120; ++y)
    for (int x = 10; x < 300; ++x)
      reflected += imgtest::Rgb(imgtest::Px(sheet, x, y)) !=
                   (std::uint32_t(0x30 + y / 3) << 16 | std::uint32_t(0x50 + y / 3) << 8 | 0x90);
  EXPECT_GT(reflected, 20) << "reflection";
}

}  // namespace
