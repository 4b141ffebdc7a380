// ICO (every depth and PNG entries), TIFF (libtiff) and the metafile players
// (WMF, EMF): small fixtures written byte by byte, decoded or played to
// known pixels; damaged files and records the players refuse raise
// EInvalidGraphic with a clear text.
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/gdi/Canvas.h"
#include "platform/gdi/ImageFormats.h"
#include "platform/gdi/PngCodec.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Strings.h"
#include "tests/platform/gdi/GdiTestUtil.h"
#include "tests/platform/gdi/PictureFixtures.h"

namespace gdi {
namespace {

namespace fs = std::filesystem;
using namespace fixtures;

std::string Temp(const std::string& name) {
  return (fs::temp_directory_path() / ("tvl_pf_" + std::to_string(::getpid()) + "_" + name)).string();
}
void WriteFile(const std::string& path, const Bytes& b) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
}

// ---- ICO -----------------------------------------------------------------------

TEST(IcoFormat, EveryDepthAndPngEntriesDecodeToKnownPixels) {
  const std::uint32_t red = 0xFFFF0000, blue = 0xFF0000FF;
  Surface png(6, 6, 32);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x) png.Row32(y)[x] = x < 3 ? 0x80112233u : 0xFF445566u;
  const Bytes ico = Ico({{DibEntry(1, red, blue, false), {4, 2}},
                         {DibEntry(4, red, blue, false), {4, 2}},
                         {DibEntry(8, red, blue, false), {4, 2}},
                         {DibEntry(24, red, blue, false), {4, 2}},
                         {DibEntry(32, 0x80FF0000, 0xFF0000FF, true), {4, 2}},
                         {EncodePng(png, true), {6, 6}}});
  const std::vector<TIconEntry> entries = IcoEntries(ico.data(), ico.size());
  ASSERT_EQ(entries.size(), 6u);
  const int depths[] = {1, 4, 8, 24, 32};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(entries[std::size_t(i)].BitCount, depths[i]);
    std::unique_ptr<Surface> s = DecodeIcoEntry(ico.data(), ico.size(), i);
    ASSERT_EQ(s->Width(), 4);
    ASSERT_EQ(s->Height(), 2);
    if (depths[i] == 32) {
      EXPECT_EQ(s->GetPixel(0, 0), 0x80FF0000u) << "alpha of its own: the mask is not used";
      EXPECT_EQ(s->GetPixel(3, 0), 0xFF0000FFu);
    } else {
      EXPECT_EQ(s->GetPixel(0, 0), red) << depths[i];
      EXPECT_EQ(s->GetPixel(3, 1), blue) << depths[i];
      EXPECT_EQ(s->GetPixel(3, 0) >> 24, 0u) << "the AND mask clears the top-right pixel, bpp " << depths[i];
    }
  }
  EXPECT_TRUE(entries[5].Png);
  std::unique_ptr<Surface> p = DecodeIcoEntry(ico.data(), ico.size(), 5);
  EXPECT_EQ(p->GetPixel(0, 0), 0x80112233u);
  EXPECT_EQ(p->GetPixel(5, 5), 0xFF445566u);

  // The picture layer shows the largest entry, drawn blended over what is there.
  const std::string path = Temp("icon.ICO");
  WriteFile(path, ico);
  TPicture pic;
  pic.LoadFromFile(rtl::Utf8ToString(path));
  EXPECT_EQ(pic.Width(), 6);
  TBitmap canvas(6, 6);
  canvas.Canvas()->Brush()->SetColor(0xFFFFFF);
  canvas.Canvas()->FillRect({0, 0, 6, 6});
  canvas.Canvas()->Draw(0, 0, pic.Graphic());
  const std::uint32_t half = canvas.GetSurface()->GetPixel(0, 0) & 0xFFFFFF;
  EXPECT_NEAR(int(half >> 16), 0x11 * 128 / 255 + 127, 2) << std::hex << half;
  EXPECT_EQ(canvas.GetSurface()->GetPixel(5, 5) & 0xFFFFFF, 0x445566u);
  fs::remove(path);
}

TEST(IcoFormat, DamagedFilesAreRefused) {
  const Bytes good = Ico({{DibEntry(24, 0xFFFF0000, 0xFF0000FF, false), {4, 2}}});
  std::vector<Bytes> bad = {{}, {0, 0, 1, 0, 0, 0}, Bytes(good.begin(), good.begin() + 30)};
  Bytes outside = good;
  outside[18] = 0xFF;  // the entry's offset beyond the file
  bad.push_back(outside);
  Bytes huge = good;
  huge[22 + 5] = 0x7F;  // width 2^31-ish
  bad.push_back(huge);
  for (const Bytes& b : bad) EXPECT_THROW(DecodeIcoEntry(b.data(), b.size(), 0), rtl::EInvalidGraphic);
}

// ---- TIFF ----------------------------------------------------------------------

TEST(TiffFormat, RoundTripThroughLibtiffKeepsPixelsAndAlpha) {
  Surface s(3, 2, 32);
  const std::uint32_t px[2][3] = {{0xFFFF0000, 0xFF00FF00, 0xFF0000FF}, {0x80FFFFFF, 0xFF000000, 0x00123456}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) s.Row32(y)[x] = px[y][x];
  for (bool alpha : {false, true}) {
    const Bytes tiff = EncodeTiff(s, alpha);
    bool hasAlpha = !alpha;
    std::unique_ptr<Surface> d = DecodeTiff(tiff.data(), tiff.size(), &hasAlpha);
    EXPECT_EQ(hasAlpha, alpha);
    ASSERT_EQ(d->Width(), 3);
    ASSERT_EQ(d->Height(), 2);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 3; ++x) {
        const std::uint32_t want = alpha ? px[y][x] : (px[y][x] | 0xFF000000u);
        if (alpha && (want >> 24) == 0) continue;  // colour of a clear pixel is free
        EXPECT_EQ(d->GetPixel(x, y), want) << x << "," << y << " alpha " << alpha;
      }
  }
  const std::string path = Temp("pic.tif");
  WriteFile(path, EncodeTiff(s, false));
  TPicture pic;
  pic.LoadFromFile(rtl::Utf8ToString(path));
  EXPECT_EQ(pic.Width(), 3);
  EXPECT_NE(dynamic_cast<TTIFFImage*>(pic.Graphic()), nullptr);
  fs::remove(path);
  const Bytes junk = {'I', 'I', 42, 0, 8, 0, 0, 0, 1, 2, 3};
  try {
    DecodeTiff(junk.data(), junk.size(), nullptr);
    ADD_FAILURE() << "no error";
  } catch (const rtl::EInvalidGraphic& e) {
    EXPECT_EQ(rtl::StringToUtf8(e.Message()).rfind("Invalid TIFF file", 0), 0u);
  }
}

// ---- WMF -------------------------------------------------------------------------

std::uint32_t At(TBitmap& b, int x, int y) { return b.GetSurface()->GetPixel(x, y) & 0xFFFFFF; }

TEST(WmfFormat, PlacedShapesPenBrushTextAndScaling) {
  TWmf m;
  m.rec(0x02FC, {0 /*BS_SOLID*/, 0x00FF, 0x0000, 0});  // red brush: COLORREF 0x000000FF as two words
  m.rec(0x02FA, {5 /*PS_NULL*/, 0, 0, 0, 0});                                                     // no pen
  m.rec(0x012D, {0});
  m.rec(0x012D, {1});
  m.rec(0x041B, {30, 30, 10, 10});  // rectangle 10,10 - 30,30
  m.rec(0x01F0, {0});
  m.rec(0x02FC, {0, 0xFF00 - 0x10000, 0x0000, 0});  // green brush (0x0000FF00)
  m.rec(0x012D, {0});
  m.rec(0x0418, {40, 40, 32, 32});  // ellipse 32,32 - 40,40
  const Bytes wmf = [&] {
    TWmf n = m;
    n.rec(0x02FA, {0, 1, 0, 0x0000, 0x00FF});  // blue pen
    n.rec(0x012D, {2});
    n.rec(0x0214, {2, 0});  // move to (0, 2)
    n.rec(0x0213, {2, 40});  // line to (40, 2)
    return n.Build(true, 40, 40);
  }();
  int w = 0, h = 0;
  bool enhanced = true;
  MetafileSize(wmf.data(), wmf.size(), w, h, enhanced);
  EXPECT_EQ(w, 40);
  EXPECT_EQ(h, 40);
  EXPECT_FALSE(enhanced);

  const std::string path = Temp("shapes.wmf");
  WriteFile(path, wmf);
  TPicture pic;
  pic.LoadFromFile(rtl::Utf8ToString(path));
  fs::remove(path);
  for (int scale : {1, 2}) {
    TBitmap b(40 * scale, 40 * scale);
    b.Canvas()->Brush()->SetColor(0xFFFFFF);
    b.Canvas()->FillRect({0, 0, b.Width(), b.Height()});
    b.Canvas()->StretchDraw({0, 0, b.Width(), b.Height()}, pic.Graphic());
    EXPECT_EQ(At(b, 20 * scale, 20 * scale), 0xFF0000u) << "rectangle, scale " << scale;
    EXPECT_EQ(At(b, 5 * scale, 20 * scale), 0xFFFFFFu) << "outside, scale " << scale;
    EXPECT_EQ(At(b, 36 * scale, 36 * scale), 0x00FF00u) << "ellipse, scale " << scale;
    EXPECT_EQ(At(b, 20 * scale, 2 * scale), 0x0000FFu) << "line, scale " << scale;
  }
}

TEST(WmfFormat, TextAndPolygonWithoutPlaceableHeader) {
  TWmf m;
  m.rec(0x020B, {0, 0});    // window origin
  m.rec(0x020C, {50, 100});  // window extent: 100 x 50
  m.rec(0x02FC, {0, 0x00FF, 0x0000, 0});
  m.rec(0x012D, {0});
  m.rec(0x0324, {3, 0, 0, 40, 0, 0, 40});  // triangle
  m.rec(0x0209, {0x0000, 0x0000});          // black text
  m.rec(0x0102, {1});                        // transparent
  m.rec(0x0521, {2, 'H' | ('i' << 8), 10, 60});  // "Hi" at (60, 10)
  const Bytes wmf = m.Build(false, 0, 0);
  int w = 0, h = 0;
  bool enhanced = true;
  MetafileSize(wmf.data(), wmf.size(), w, h, enhanced);
  EXPECT_EQ(w, 100);
  EXPECT_EQ(h, 50);
  TBitmap b(100, 50);
  b.Canvas()->Brush()->SetColor(0xFFFFFF);
  b.Canvas()->FillRect({0, 0, 100, 50});
  PlayMetafile(b.Canvas()->Handle(), wmf.data(), wmf.size(), {0, 0, 100, 50});
  EXPECT_EQ(At(b, 5, 5), 0xFF0000u);
  EXPECT_EQ(At(b, 35, 35), 0xFFFFFFu);
  int dark = 0;
  for (int y = 10; y < 30; ++y)
    for (int x = 60; x < 90; ++x) dark += (At(b, x, y) & 0xFF) < 0x80;
  EXPECT_GT(dark, 5) << "the text is drawn";
}

TEST(WmfFormat, UnsupportedRecordsAndDamageAreNamed) {
  TWmf m;
  m.rec(0x020C, {10, 10});
  m.rec(0x0830, {0, 0, 0, 0, 10, 10, 0, 0});  // META_CHORD
  const Bytes chord = m.Build(false, 0, 0);
  try {
    TBitmap b(10, 10);
    PlayMetafile(b.Canvas()->Handle(), chord.data(), chord.size(), {0, 0, 10, 10});
    ADD_FAILURE() << "no error";
  } catch (const rtl::EInvalidGraphic& e) {
    EXPECT_NE(rtl::StringToUtf8(e.Message()).find("META_CHORD"), std::string::npos) << rtl::StringToUtf8(e.Message());
  }
  Bytes cut = chord;
  cut.resize(cut.size() - 10);  // no end record
  const Bytes none = {1, 2, 3};
  for (const Bytes& b : {cut, none}) {
    TBitmap bmp(10, 10);
    EXPECT_THROW(PlayMetafile(bmp.Canvas()->Handle(), b.data(), b.size(), {0, 0, 10, 10}), rtl::EInvalidGraphic);
  }
  TWmf noSize;
  const Bytes unsized = noSize.Build(false, 0, 0);
  int w, h;
  bool e;
  EXPECT_THROW(MetafileSize(unsized.data(), unsized.size(), w, h, e), rtl::EInvalidGraphic);
}

// ---- EMF -------------------------------------------------------------------------

TEST(EmfFormat, ShapesStockObjectsTextAndBitmapsToKnownPixels) {
  TEmf m;
  m.rec(39, {1, 0 /*BS_SOLID*/, 0x0000FF /*red as COLORREF*/, 0});
  m.rec(37, {1});
  m.rec(37, {int(0x80000000u | 8)});  // stock NULL_PEN
  m.rec(43, {10, 10, 30, 30});        // rectangle
  m.rec(39, {2, 0, 0x00FF00, 0});
  m.rec(37, {2});
  m.rec(86, {0, 0, 0, 0, 3, 0 | (0 << 16), 8 | (0 << 16), 0 | (8 << 16)});  // POLYGON16: triangle in the corner
  // A 2 x 1 24-bit DIB (blue, black) stretched over 32,32 - 40,36.
  TWriter dib;
  dib.i32(0).i32(0).i32(0).i32(0);  // bounds
  dib.i32(32).i32(32).i32(0).i32(0).i32(2).i32(1);
  dib.u32(80).u32(40).u32(120).u32(8).u32(0).u32(0x00CC0020).i32(8).i32(4);
  dib.u32(40).i32(2).i32(1).u16(1).u16(24).u32(0).u32(8).u32(0).u32(0).u32(0).u32(0);
  dib.u8(0xFF).u8(0).u8(0).u8(0).u8(0).u8(0).u8(0).u8(0);
  m.raw(81, dib.b);
  // "W" in black at (12, 32).
  TWriter text;
  text.i32(0).i32(0).i32(0).i32(0).u32(1).u32(0).u32(0);
  text.i32(12).i32(32).u32(1).u32(76).u32(0).i32(0).i32(0).i32(0).i32(0).u32(0);
  text.u16('W').u16(0);
  m.rec(18, {1});  // transparent
  m.raw(84, text.b);
  const Bytes emf = m.Build();
  int w = 0, h = 0;
  bool enhanced = false;
  MetafileSize(emf.data(), emf.size(), w, h, enhanced);
  EXPECT_TRUE(enhanced);
  EXPECT_EQ(w, 151) << "40 mm at 96 per inch";

  TBitmap b(40, 40);
  b.Canvas()->Brush()->SetColor(0xFFFFFF);
  b.Canvas()->FillRect({0, 0, 40, 40});
  PlayMetafile(b.Canvas()->Handle(), emf.data(), emf.size(), {0, 0, 40, 40});
  EXPECT_EQ(At(b, 20, 20), 0xFF0000u) << "rectangle";
  EXPECT_EQ(At(b, 31, 20), 0xFFFFFFu) << "no pen: nothing around it";
  EXPECT_EQ(At(b, 2, 2), 0x00FF00u) << "polygon";
  EXPECT_EQ(At(b, 33, 33), 0x0000FFu) << "the bitmap's first pixel";
  EXPECT_EQ(At(b, 38, 33), 0x000000u) << "its second, stretched";
  int dark = 0;
  for (int y = 30; y < 40; ++y)
    for (int x = 10; x < 22; ++x) dark += (At(b, x, y) & 0xFF) < 0x80;
  EXPECT_GT(dark, 3) << "the text";

  const std::string path = Temp("pic.emf");
  WriteFile(path, emf);
  TPicture pic;
  pic.LoadFromFile(rtl::Utf8ToString(path));
  EXPECT_EQ(pic.Width(), 151);
  fs::remove(path);

  TEmf path2;
  path2.rec(59, {});  // EMR_BEGINPATH
  const Bytes paths = path2.Build();
  try {
    TBitmap t(4, 4);
    PlayMetafile(t.Canvas()->Handle(), paths.data(), paths.size(), {0, 0, 4, 4});
    ADD_FAILURE() << "no error";
  } catch (const rtl::EInvalidGraphic& e) {
    EXPECT_NE(rtl::StringToUtf8(e.Message()).find("EMR_BEGINPATH"), std::string::npos);
  }
}

}  // namespace
}  // namespace gdi
