#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "platform/gdi/Bitmap.h"
#include "platform/rtl/Strings.h"
#include "tests/platform/gdi/GdiTestUtil.h"

namespace gdi {
namespace {

std::uint32_t Px(TBitmap& b, int x, int y) { return b.GetSurface()->GetPixel(x, y); }

TEST(Bitmap, SizePixelFormatAndScanLines) {
  TBitmap b;
  EXPECT_TRUE(b.Empty());
  EXPECT_THROW(b.ScanLine(0), rtl::EInvalidGraphic);
  b.SetPixelFormat(pf24bit);
  b.SetSize(5, 3);
  ASSERT_FALSE(b.Empty());
  auto* row0 = static_cast<std::uint8_t*>(b.ScanLine(0));
  auto* row1 = static_cast<std::uint8_t*>(b.ScanLine(1));
  EXPECT_EQ(row1 - row0, 16);  // 15 bytes padded to 4
  row1[3] = 0x11;              // pixel (1, 1), blue
  row1[4] = 0x22;
  row1[5] = 0x33;
  EXPECT_EQ(b.Canvas()->Pixels(1, 1), TColor(0x112233));  // framework colour 0x00BBGGRR
  EXPECT_EQ(b.Canvas()->Pixels(0, 0), clWhite);            // a new picture starts white
  EXPECT_THROW(b.ScanLine(3), rtl::EInvalidGraphic);
  b.SetSize(7, 2);  // keeps the overlap
  EXPECT_EQ(b.Canvas()->Pixels(1, 1), TColor(0x112233));
  b.SetPixelFormat(pf32bit);
  EXPECT_EQ(Px(b, 1, 1) & 0xFFFFFF, 0x332211u);
  EXPECT_EQ(static_cast<std::uint8_t*>(b.ScanLine(1)) - static_cast<std::uint8_t*>(b.ScanLine(0)), 28);
}

TEST(Bitmap, CanvasDrawsThroughPenBrushAndFont) {
  TBitmap b(10, 6);
  TCanvas* c = b.Canvas();
  c->Brush()->SetColor(clRed);
  c->FillRect(rtl::Rect(0, 0, 10, 6));
  c->Pen()->SetColor(clBlue);
  c->MoveTo(0, 2);
  c->LineTo(10, 2);
  EXPECT_EQ(c->Pixels(4, 2), clBlue);
  EXPECT_EQ(c->Pixels(4, 3), clRed);
  c->Brush()->SetStyle(bsClear);
  c->Pen()->SetColor(clLime);
  c->Rectangle(1, 1, 4, 5);
  EXPECT_EQ(c->Pixels(1, 1), clLime);
  EXPECT_EQ(c->Pixels(2, 3), clRed);  // a clear brush leaves the inside
  EXPECT_GT(c->TextWidth(u"abc"), 0);
  EXPECT_EQ(c->TextHeight(u"abc"), c->TextHeight(u"视频"));
  // A font changed after the canvas selected it is taken up by the next call.
  const rtl::TSize small = c->TextExtent(u"abc");
  c->Font()->SetSize(c->Font()->Size() * 2);
  EXPECT_GT(c->TextWidth(u"abc"), small.cx);
  EXPECT_GT(c->TextHeight(u"abc"), small.cy);
  EXPECT_EQ(c->ClipRect(), rtl::Rect(0, 0, 10, 6));
  int changes = 0;
  b.OnChange = [&](rtl::TObject* sender) {
    EXPECT_EQ(sender, &b);
    ++changes;
  };
  c->TextOut(0, 0, u"x");
  EXPECT_EQ(changes, 1);
}

TEST(Bitmap, TransparentDrawSkipsTheAutomaticColour) {
  TBitmap glyph(3, 2);
  glyph.Canvas()->Brush()->SetColor(clFuchsia);
  glyph.Canvas()->FillRect(rtl::Rect(0, 0, 3, 2));
  glyph.Canvas()->SetPixels(1, 0, clNavy);
  glyph.SetTransparent(true);
  EXPECT_EQ(glyph.TransparentColor(), clFuchsia);  // bottom-left pixel
  TBitmap dst(3, 2);
  dst.Canvas()->Draw(0, 0, &glyph);
  EXPECT_EQ(dst.Canvas()->Pixels(0, 0), clWhite);
  EXPECT_EQ(dst.Canvas()->Pixels(1, 0), clNavy);
  glyph.SetTransparentColor(clNavy);  // fixed colour
  EXPECT_EQ(glyph.TransparentMode(), tmFixed);
  dst.Canvas()->StretchDraw(rtl::Rect(0, 0, 3, 2), &glyph);
  EXPECT_EQ(dst.Canvas()->Pixels(1, 0), clNavy);
  EXPECT_EQ(dst.Canvas()->Pixels(0, 0), clFuchsia);
}

TEST(Bitmap, AssignCopiesPixelsAndIsIndependent) {
  TBitmap a(4, 4);
  a.SetPixelFormat(pf32bit);
  a.GetSurface()->SetPixel(2, 2, 0x80102030);
  TBitmap b;
  b.Assign(&a);
  EXPECT_EQ(b.PixelFormat(), pf32bit);
  EXPECT_EQ(Px(b, 2, 2), 0x80102030u);
  a.GetSurface()->SetPixel(2, 2, 0);
  EXPECT_EQ(Px(b, 2, 2), 0x80102030u);
  TCanvas notAGraphic;
  EXPECT_THROW(b.Assign(&notAGraphic), rtl::EConvertError);
  b.Assign(nullptr);
  EXPECT_TRUE(b.Empty());
}

class BmpFiles : public ::testing::TestWithParam<TPixelFormat> {};

TEST_P(BmpFiles, RoundTripKeepsEveryPixelAndDepth) {
  TBitmap src;
  src.SetPixelFormat(GetParam());
  src.SetSize(13, 5);  // odd width exercises row padding
  Surface& s = *src.GetSurface();
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 13; ++x) {
      const std::uint32_t v = 0xFF000000u | std::uint32_t(x * 19) << 16 | std::uint32_t(y * 50) << 8 | (x ^ y);
      s.SetPixel(x, y, GetParam() == pf32bit ? (v & 0x00FFFFFF) | std::uint32_t(x * 7) << 24 : v);
    }
  rtl::TMemoryStream m;
  src.SaveToStream(&m);
  m.SetPosition(0);
  TBitmap back;
  back.LoadFromStream(&m);
  EXPECT_EQ(m.Position(), m.Size());
  EXPECT_EQ(back.PixelFormat(), GetParam());
  // Two pictures one after the other in one stream.
  const rtl::Int64 one = m.Size();
  src.SaveToStream(&m);
  m.SetPosition(one);
  TBitmap second;
  second.LoadFromStream(&m);
  EXPECT_EQ(m.Position(), 2 * one);
  EXPECT_EQ(second.Width(), 13);
  ASSERT_EQ(back.Width(), 13);
  ASSERT_EQ(back.Height(), 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 13; ++x) ASSERT_EQ(Px(back, x, y), s.GetPixel(x, y)) << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(Depths, BmpFiles, ::testing::Values(pf1bit, pf4bit, pf8bit, pf24bit, pf32bit));

// A minimal BMP: file header, 40-byte info header, optional palette, pixels.
std::vector<std::uint8_t> MakeBmp(int w, int h, int bpp, std::uint32_t compression,
                                  const std::vector<std::uint8_t>& palette, const std::vector<std::uint8_t>& pixels) {
  std::vector<std::uint8_t> f(54);
  auto put = [&](int at, std::uint32_t v, int n) {
    for (int k = 0; k < n; ++k) f[at + k] = std::uint8_t(v >> (8 * k));
  };
  f[0] = 'B';
  f[1] = 'M';
  put(10, std::uint32_t(54 + palette.size()), 4);
  put(14, 40, 4);
  put(18, std::uint32_t(w), 4);
  put(22, std::uint32_t(h), 4);
  put(26, 1, 2);
  put(28, std::uint32_t(bpp), 2);
  put(30, compression, 4);
  f.insert(f.end(), palette.begin(), palette.end());
  f.insert(f.end(), pixels.begin(), pixels.end());
  put(2, std::uint32_t(f.size()), 4);
  return f;
}

TEST(BmpReader, ReadsRle8And16BitFiles) {
  std::vector<std::uint8_t> pal(256 * 4, 0);
  pal[4 * 1 + 2] = 255;  // index 1 red
  pal[4 * 2 + 1] = 255;  // index 2 green
  // Bottom row: 3 x index 1, then absolute run {2, 1, 2}; end of line; top row: delta 1 then 2 x index 2.
  const std::vector<std::uint8_t> rle = {3, 1, 0, 3, 2, 1, 2, 0, 0, 0, 0, 2, 1, 0, 2, 2, 0, 1};
  TBitmap b;
  const auto file = MakeBmp(6, 2, 8, BI_RLE8, pal, rle);
  ReadBmp(file.data(), file.size(), b);
  EXPECT_EQ(b.PixelFormat(), pf8bit);
  const std::uint32_t red = 0xFFFF0000, green = 0xFF00FF00, black = 0xFF000000;
  const std::uint32_t want[2][6] = {{black, green, green, black, black, black}, {red, red, red, green, red, green}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(Px(b, x, y), want[y][x]) << x << "," << y;
  // 16-bit 5-5-5: pure red and white.
  const std::vector<std::uint8_t> px16 = {0x00, 0x7C, 0xFF, 0x7F};
  const auto f16 = MakeBmp(2, 1, 16, BI_RGB, {}, px16);
  ReadBmp(f16.data(), f16.size(), b);
  EXPECT_EQ(Px(b, 0, 0), 0xFFFF0000u);
  EXPECT_EQ(Px(b, 1, 0), 0xFFFFFFFFu);
}

TEST(BmpReader, CorruptFilesRaiseInvalidGraphicAndLeaveTheBitmap) {
  const std::vector<std::uint8_t> good = MakeBmp(2, 2, 24, BI_RGB, {}, std::vector<std::uint8_t>(16, 0x40));
  struct Case {
    const char* name;
    void (*spoil)(std::vector<std::uint8_t>&);
  };
  const Case cases[] = {
      {"signature", [](auto& f) { f[0] = 'X'; }},
      {"truncated pixels", [](auto& f) { f.resize(f.size() - 5); }},
      {"header only", [](auto& f) { f.resize(20); }},
      {"zero width", [](auto& f) { f[18] = 0; }},
      {"huge size", [](auto& f) { f[21] = 0x7F; f[25] = 0x7F; }},
      {"negative width", [](auto& f) { f[21] = 0xFF; }},
      {"bad depth", [](auto& f) { f[28] = 7; }},
      {"bad planes", [](auto& f) { f[26] = 3; }},
      {"header size past end", [](auto& f) { f[15] = 0x10; }},
      {"data offset past end", [](auto& f) { f[11] = 0x10; }},
      {"rle with wrong depth", [](auto& f) { f[30] = 1; }},
      {"unknown compression", [](auto& f) { f[30] = 9; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::uint8_t> f = good;
    c.spoil(f);
    TBitmap b(3, 3);
    rtl::TMemoryStream m;
    m.WriteBuffer(f.data(), rtl::Int64(f.size()));
    m.SetPosition(0);
    EXPECT_THROW(b.LoadFromStream(&m), rtl::EInvalidGraphic);
    EXPECT_EQ(b.Width(), 3);
  }
  // A palette that claims more colours than the depth allows.
  std::vector<std::uint8_t> pal = MakeBmp(2, 1, 1, BI_RGB, std::vector<std::uint8_t>(8, 0), {0, 0, 0, 0});
  pal[46] = 200;
  TBitmap b;
  EXPECT_THROW(ReadBmp(pal.data(), pal.size(), b), rtl::EInvalidGraphic);
  // An RLE stream that runs off the end.
  std::vector<std::uint8_t> rle = MakeBmp(4, 4, 8, BI_RLE8, std::vector<std::uint8_t>(1024, 0), {0, 200, 1});
  EXPECT_THROW(ReadBmp(rle.data(), rle.size(), b), rtl::EInvalidGraphic);
}

TEST(BmpReader, BitmapResourcesByName) {
  TBitmap a(2, 2);
  a.Canvas()->SetPixels(0, 0, clRed);
  rtl::TMemoryStream m;
  a.SaveToStream(&m);
  const auto* p = static_cast<const std::uint8_t*>(m.Memory());
  RegisterBitmapResource(u"BS_HTB", {p, p + m.Size()});
  TBitmap b;
  b.LoadFromResourceName(0, u"bs_htb");
  EXPECT_EQ(b.Canvas()->Pixels(0, 0), clRed);
  EXPECT_THROW(b.LoadFromResourceName(0, u"BS_NONE"), EResNotFound);
}

TEST(BmpReader, FilesOnDiskThroughTheGraphicBase) {
  char tmpl[] = "/tmp/gdi_bmpXXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const rtl::String path = rtl::Utf8ToString(std::string(tmpl) + "/快照_1.bmp");
  TBitmap a(3, 3);
  a.Canvas()->SetPixels(1, 1, clRed);
  a.SaveToFile(path);
  TBitmap b;
  b.LoadFromFile(path);
  EXPECT_EQ(b.Canvas()->Pixels(1, 1), clRed);
  EXPECT_THROW(b.LoadFromFile(path + u".missing"), rtl::EFOpenError);
  std::remove((std::string(tmpl) + "/快照_1.bmp").c_str());
  rmdir(tmpl);
}

}  // namespace
}  // namespace gdi
