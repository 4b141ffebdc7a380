// TbsBitmap: sizes, copying from framework images of every depth, streams,
// key colour and alpha checks, colour operations, loaders and links.
#include <climits>
#include <cmath>

#include "ImagesTestUtil.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Streams.h"

namespace {

using namespace skin;
using imgtest::Fill;

TEST(TbsBitmapSize, AbsoluteValuesZeroKeepsAndSameSizeKeepsPixels) {
  TbsBitmap b;
  EXPECT_TRUE(b.Empty());
  b.SetSize(-10, 5);
  EXPECT_EQ(b.Width(), 10);
  EXPECT_EQ(b.Height(), 5);
  EXPECT_FALSE(b.AlphaBlend());
  for (int i = 0; i < 50; ++i) EXPECT_EQ(b.Bits()[i], 0u);
  b.Clear(0x80112233);
  b.SetSize(0, 5);
  b.SetSize(7, 0);
  b.SetSize(10, -5);
  EXPECT_EQ(b.Width(), 10);
  EXPECT_EQ(b.Pixel(9, 4), 0x80112233u);
  b.SetSize(3, 3);
  EXPECT_EQ(b.Pixel(0, 0), 0u);  // a new size starts transparent black
}

TEST(TbsBitmapSize, HostileSizesAreRefusedAndTheBitmapRecovers) {
  for (auto [w, h] : {std::pair{INT_MIN, 5}, {5, INT_MIN}, {1 << 20, 1 << 20}, {INT_MAX, INT_MAX}}) {
    TbsBitmap b;
    b.SetSize(4, 4);
    try {
      b.SetSize(w, h);
      FAIL() << w << " x " << h;
    } catch (const rtl::Exception& e) {
      EXPECT_STREQ(e.what(), "Can't allocate the DIB handle");
    }
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.Bits(), nullptr);
    b.Clear(1);  // harmless on the empty bitmap
    b.SetSize(4, 4);
    EXPECT_FALSE(b.Empty());
    EXPECT_EQ(FindBitmapByDC(b.DC()), &b);
  }
}

TEST(TbsBitmapPixels, SetPixelWritesOnlyInside) {
  TbsBitmap b;
  b.SetSize(3, 2);
  b.SetPixel(3, 0, 7);
  b.SetPixel(0, 2, 7);
  b.SetPixel(-1, 0, 7);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(b.Bits()[i], 0u);
  b.SetPixel(2, 1, 7);
  EXPECT_EQ(b.Bits()[5], 7u);
}

TEST(TbsBitmapRegistry, FindsTheBitmapOfADCAndForgetsDestroyedOnes) {
  auto b = std::make_unique<TbsBitmap>();
  b->SetSize(2, 2);
  gdi::HDC dc = b->DC();
  EXPECT_EQ(FindBitmapByDC(dc), b.get());
  b->SetSize(5, 5);  // a new DC, still one entry
  EXPECT_EQ(FindBitmapByDC(b->DC()), b.get());
  gdi::HDC last = b->DC();
  b.reset();
  EXPECT_EQ(FindBitmapByDC(last), nullptr);
  EXPECT_EQ(FindBitmapByDC(nullptr), nullptr);
}

// A framework bitmap of the given depth whose pixel (x, y) is palette entry
// (x + y) mod entries (or a colour of its own at 24 and 32 bits).
std::unique_ptr<gdi::TBitmap> DepthPicture(int bpp, std::vector<std::uint32_t>& expect) {
  const int w = 5, h = 3;
  auto s = std::make_unique<gdi::Surface>(w, h, bpp, true);
  std::vector<std::uint32_t> colours;
  if (bpp <= 8) {
    const int n = 1 << bpp;
    for (int i = 0; i < n; ++i) colours.push_back(std::uint32_t((i * 37) & 0xFF) << 16 | std::uint32_t((i * 91) & 0xFF) << 8 | std::uint32_t(255 - i));
    s->Palette() = colours;
  }
  expect.clear();
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint32_t c;
      if (bpp <= 8) c = 0xFF000000u | colours[(x + y) % colours.size()];
      else c = (bpp == 32 ? std::uint32_t(0x40 + 30 * x) << 24 : 0xFF000000u) | std::uint32_t(x * 50) << 16 | std::uint32_t(y * 80) << 8 | 7;
      s->SetPixel(x, y, c);
      expect.push_back(c);
    }
  auto b = std::make_unique<gdi::TBitmap>();
  const gdi::TPixelFormat f = bpp == 1 ? gdi::pf1bit : bpp == 4 ? gdi::pf4bit : bpp == 8 ? gdi::pf8bit : bpp == 24 ? gdi::pf24bit : gdi::pf32bit;
  b->TakeSurface(std::move(s), f);
  return b;
}

TEST(TbsBitmapCopy, EveryDepthSurvivesAssignStreamAndAssignBack) {
  for (int bpp : {1, 4, 8, 24, 32}) {
    SCOPED_TRACE(bpp);
    std::vector<std::uint32_t> expect;
    auto src = DepthPicture(bpp, expect);
    TbsBitmap a;
    a.SetAlphaBlend(bpp != 32);  // left as it was by opaque sources, set from the pixels for 32 bits
    a.Assign(src.get());
    ASSERT_EQ(a.Width(), 5);
    ASSERT_EQ(a.Height(), 3);
    for (int i = 0; i < 15; ++i) EXPECT_EQ(a.Bits()[i], expect[i]) << i;
    EXPECT_TRUE(a.AlphaBlend());

    a.SetName(u"名前 " + std::u16string(1, char16_t('0' + bpp)));
    rtl::TMemoryStream m;
    a.SaveToStream(m);
    EXPECT_EQ(m.Size(), 4 + 2 * rtl::Int64(a.Name().size()) + 8 + 15 * 4);
    m.SetPosition(0);
    TbsBitmap b;
    b.LoadFromStream(m);
    EXPECT_EQ(b.Name(), a.Name());
    ASSERT_EQ(b.Width(), 5);
    for (int i = 0; i < 15; ++i) EXPECT_EQ(b.Bits()[i], expect[i]);

    gdi::TBitmap back;
    b.SetAlphaBlend(false);
    back.Assign(&b);
    EXPECT_EQ(back.PixelFormat(), gdi::pf32bit);
    for (int i = 0; i < 15; ++i) EXPECT_EQ(imgtest::Px(back, i % 5, i / 5), expect[i]);
  }
}

TEST(TbsBitmapCopy, AlphaFlagFollowsSemiTransparentPixelsOfA32BitSource) {
  gdi::TBitmap src;
  Fill(src, 2, 2, [](int x, int) { return x ? 0xFF102030u : 0x00102030u; }, gdi::pf32bit);
  TbsBitmap b;
  b.Assign(&src);
  EXPECT_FALSE(b.AlphaBlend());
  src.GetSurface()->SetPixel(1, 1, 0x80102030);
  b.Assign(&src);
  EXPECT_TRUE(b.AlphaBlend());
  // The device format stands for a device bitmap: opaque, flag left alone.
  gdi::TBitmap dev;
  Fill(dev, 2, 2, [](int, int) { return 0x80102030u; });
  b.Assign(&dev);
  EXPECT_EQ(b.Pixel(1, 1), 0xFF102030u);
  EXPECT_TRUE(b.AlphaBlend());
}

TEST(TbsBitmapCopy, AssignFromTbsBitmapTakesFlagsAndName) {
  TbsBitmap a, b;
  Fill(a, 2, 1, [](int x, int) { return 0x11223344u + x; });
  a.SetName(u"glow");
  a.SetTransparent(true);
  a.SetAlphaBlend(true);
  b.Assign(&a);
  EXPECT_EQ(b.Name(), u"glow");
  EXPECT_TRUE(b.Transparent());
  EXPECT_TRUE(b.AlphaBlend());
  EXPECT_EQ(b.Pixel(1, 0), 0x11223345u);
  rtl::TStringList other;
  EXPECT_THROW(b.Assign(&other), rtl::EConvertError);
}

TEST(TbsBitmapStream, NegativeHeightMeansBottomUpAndZeroSizeKeepsPixels) {
  rtl::TMemoryStream m;
  const std::int32_t none = 0, w = 1, h = -3;
  m.WriteBuffer(&none, 4);
  m.WriteBuffer(&w, 4);
  m.WriteBuffer(&h, 4);
  const std::uint32_t px[3] = {1, 2, 3};
  m.WriteBuffer(px, 12);
  m.SetPosition(0);
  TbsBitmap b;
  b.LoadFromStream(m);
  ASSERT_EQ(b.Height(), 3);
  EXPECT_EQ(b.Pixel(0, 0), 3u);
  EXPECT_EQ(b.Pixel(0, 2), 1u);

  rtl::TMemoryStream z;
  const char16_t name[] = u"z";
  const std::int32_t one = 1;
  z.WriteBuffer(&one, 4);
  z.WriteBuffer(name, 2);
  z.WriteBuffer(&none, 4);
  z.WriteBuffer(&none, 4);
  z.SetPosition(0);
  b.LoadFromStream(z);  // size kept, pixels kept, then flipped as bottom-up
  EXPECT_EQ(b.Name(), u"z");
  EXPECT_EQ(b.Pixel(0, 0), 1u);
  EXPECT_EQ(b.Pixel(0, 2), 3u);
}

TEST(TbsBitmapStream, AStreamShorterThanItsPixelsIsRefusedBeforeAllocating) {
  rtl::TMemoryStream m;
  const std::int32_t none = 0, big = 30000;
  m.WriteBuffer(&none, 4);
  m.WriteBuffer(&big, 4);
  m.WriteBuffer(&big, 4);
  m.SetPosition(0);
  TbsBitmap b;
  EXPECT_THROW(b.LoadFromStream(m), rtl::EReadError);
  EXPECT_TRUE(b.Empty());
  rtl::TMemoryStream huge;  // sizes whose product passes 64 bits
  const std::int32_t top = INT32_MAX, bottom = INT32_MIN;
  huge.WriteBuffer(&none, 4);
  huge.WriteBuffer(&top, 4);
  huge.WriteBuffer(&bottom, 4);
  huge.SetPosition(0);
  EXPECT_THROW(b.LoadFromStream(huge), rtl::EReadError);
}

TEST(TbsBitmapChecks, TransparentToleranceAndAlphaWrites) {
  TbsBitmap b;
  Fill(b, 3, 1, [](int x, int) { return x == 0 ? 0xFF656565u : x == 1 ? 0xFF646A64u : 0x00646464u; });
  b.CheckingTransparent(0x646464);  // differences 1, 6, 0
  EXPECT_TRUE(b.Transparent());
  EXPECT_EQ(b.Pixel(0, 0), bsTransparentKey);
  EXPECT_EQ(b.Pixel(1, 0), 0xFF646A64u);
  EXPECT_EQ(b.Pixel(2, 0), bsTransparentKey);
  b.SetAlpha(9, rtl::Rect(1, 0, 1, 5));  // no width: nothing
  EXPECT_EQ(b.Pixel(1, 0) >> 24, 0xFFu);
  b.SetAlpha(9, rtl::Rect(1, -4, 40, 40));
  EXPECT_EQ(b.Pixel(0, 0) >> 24, 0x00u);
  EXPECT_EQ(b.Pixel(1, 0), 0x09646A64u);
  b.CheckingAlphaBlend();
  EXPECT_TRUE(b.AlphaBlend());
  TbsBitmap empty;
  empty.CheckingAlphaBlend();
  empty.CheckingTransparent(0);
  EXPECT_FALSE(empty.AlphaBlend());
  EXPECT_FALSE(empty.Transparent());
}

TEST(TbsBitmapColour, ConversionsAndPerPixelOperations) {
  EXPECT_EQ(ColorToBsColor(0x00332211), 0xFF112233u);
  EXPECT_EQ(ColorToBsColor(gdi::clBtnFace), 0xFF0F0000u);  // a system colour is not resolved
  EXPECT_EQ(MakeBsColor(300, -5, 12, 0x40), 0x40FF000Cu);
  double h, s, l;
  BsColorToHSL(0xFFFF0000, h, s, l);
  EXPECT_DOUBLE_EQ(h, 0);
  EXPECT_DOUBLE_EQ(s, 1);
  EXPECT_DOUBLE_EQ(l, 0.5);
  EXPECT_EQ(HSLToBsColor(2.0 / 3, 1, 0.5), 0xFF0000FFu);
  // Hue 250 plus 10 wraps by 255, not 256.
  const TbsColor c = HSLToBsColor(250 / 255.0, 0.8, 0.4);
  BsColorToHSL(c, h, s, l);
  ASSERT_EQ(int(std::nearbyint(h * 255)), 250);
  EXPECT_EQ(ChangeColorHue(c, 10), HSLToBsColor(5 / 255.0, s, l));

  TbsBitmap b;
  Fill(b, 2, 1, [](int x, int) { return x ? 0x80102030u : 0x00102030u; });
  b.ChangeBitmapBrightness(16);
  EXPECT_EQ(b.Pixel(0, 0), 0x00102030u);  // alpha 0 is skipped
  EXPECT_EQ(b.Pixel(1, 0), 0x80203040u);  // own alpha kept
  b.SetBitmapHue(0);
  EXPECT_EQ(b.Pixel(1, 0) >> 24, 0x80u);
}

TEST(TbsBitmapGeometry, FlipAndReflectionFade) {
  TbsBitmap b;
  Fill(b, 1, 4, [](int, int y) { return 0xFF000000u | std::uint32_t(y); });
  b.Reflection3();  // divisor 2; factor 1, 0.5, 0, -0.5 from the top after the flip
  EXPECT_EQ(b.Pixel(0, 0), 0x7F000003u);
  EXPECT_EQ(b.Pixel(0, 1), 0x40000002u);
  EXPECT_EQ(b.Pixel(0, 2), 0x00000001u);
  EXPECT_EQ(b.Pixel(0, 3), 0x00000000u);
}

std::vector<std::uint8_t> Pcx(std::uint8_t maker, std::uint8_t version, const std::vector<std::uint8_t>& data) {
  std::vector<std::uint8_t> f(128, 0);
  f[0] = maker;
  f[1] = version;
  f[2] = 1;
  f[3] = 8;
  f[8] = 2;  // Xmax: 3 pixels wide
  f[65] = 1;
  f[66] = 3;  // bytes per line
  f.insert(f.end(), data.begin(), data.end());
  f.push_back(12);
  for (int i = 0; i < 256; ++i) {
    f.push_back(std::uint8_t(i));
    f.push_back(std::uint8_t(255 - i));
    f.push_back(7);
  }
  return f;
}

TEST(TbsBitmapPcx, RunsPalettesAndTheMakerByte) {
  for (std::uint8_t maker : {std::uint8_t(10), std::uint8_t(205)}) {
    auto bytes = Pcx(maker, 5, {0xC3, 0x41});
    rtl::TMemoryStream m;
    m.WriteBuffer(bytes.data(), rtl::Int64(bytes.size()));
    m.SetPosition(0);
    TbsBitmap b;
    b.LoadFromPcxStream(m);
    ASSERT_EQ(b.Width(), 3);
    ASSERT_EQ(b.Height(), 1);
    for (int x = 0; x < 3; ++x) EXPECT_EQ(b.Pixel(x, 0), 0xFF41BE07u);
  }
  auto bad = Pcx(11, 5, {0xC3, 0x41});
  rtl::TMemoryStream m;
  m.WriteBuffer(bad.data(), rtl::Int64(bad.size()));
  m.SetPosition(0);
  TbsBitmap b;
  b.LoadFromPcxStream(m);
  EXPECT_TRUE(b.Empty());

  auto v3 = Pcx(10, 3, {0x0C, 0x09, 0x01});
  rtl::TMemoryStream m3;
  m3.WriteBuffer(v3.data(), rtl::Int64(v3.size()));
  m3.SetPosition(0);
  b.LoadFromPcxStream(m3);
  EXPECT_EQ(b.Pixel(0, 0), 0xFF0000FFu);  // 16-colour system palette
  EXPECT_EQ(b.Pixel(1, 0), 0xFFFF0000u);
  EXPECT_EQ(b.Pixel(2, 0), 0xFF800000u);
}

TEST(TbsBitmapLinkTest, MaskedFlagsStreamAndDraw) {
  TbsBitmap img;
  Fill(img, 4, 4, [](int x, int y) { return x == 0 && y == 0 ? 0x00000000u : 0xFF00FF00u; });
  auto link = img.GetBitmapLink(u"1, 1, 3, 3");
  EXPECT_EQ(link->Rect(), rtl::Rect(1, 1, 3, 3));
  EXPECT_TRUE(link->Assigned());
  link->CheckingMasked();
  EXPECT_FALSE(link->Masked());
  link->SetRect(rtl::Rect(0, 0, 4, 4));
  link->CheckingMasked(rtl::Rect(1, 1, 1, 1));
  EXPECT_TRUE(link->MaskedAngles());
  EXPECT_FALSE(link->MaskedBorder());
  EXPECT_FALSE(link->Masked());
  link->SetRect(rtl::Rect(2, 2, 6, 4));  // runs off the image: outside reads as masked
  link->CheckingMasked();
  EXPECT_TRUE(link->Masked());

  rtl::TMemoryStream m;
  link->SetName(u"part");
  link->SaveToStream(m);
  m.SetPosition(0);
  TbsBitmapLink copy;
  copy.LoadFromStream(m);
  EXPECT_EQ(copy.Name(), u"part");
  EXPECT_EQ(copy.Rect(), link->Rect());

  TbsBitmap dst;
  dst.SetSize(2, 2);
  auto part = img.GetBitmapLink(rtl::Rect(1, 1, 3, 3));
  part->Draw(&dst, 0, 0);
  EXPECT_EQ(dst.Pixel(1, 1), 0xFF00FF00u);
}

}  // namespace
