#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/gdi/ImageFormats.h"
#include "platform/rtl/Strings.h"
#include "tests/platform/gdi/GdiTestUtil.h"

namespace gdi {
namespace {

namespace fs = std::filesystem;

// A picture with smooth gradients and sharp edges, 24-bit.
std::unique_ptr<TBitmap> Sample(int w = 48, int h = 32) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b->GetSurface()->SetPixel(x, y, 0xFF000000u | std::uint32_t(x * 255 / w) << 16 | std::uint32_t(y * 255 / h) << 8 |
                                          (x < w / 2 ? 0x20u : 0xE0u));
  return b;
}

double MeanError(TBitmap& a, TBitmap& b) {
  double sum = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x) {
      const std::uint32_t p = a.GetSurface()->GetPixel(x, y), q = b.GetSurface()->GetPixel(x, y);
      for (int s = 0; s < 24; s += 8) sum += std::abs(int((p >> s) & 0xFF) - int((q >> s) & 0xFF));
    }
  return sum / (3.0 * a.Width() * a.Height());
}

template <class T>
std::unique_ptr<T> RoundTrip(TGraphic& g, rtl::TMemoryStream& m) {
  g.SaveToStream(&m);
  m.SetPosition(0);
  auto back = std::make_unique<T>();
  back->LoadFromStream(&m);
  return back;
}

TEST(ImageFormats, JpegRoundTripIsCloseAndQualityMatters) {
  auto src = Sample();
  TJPEGImage jpg;
  jpg.Assign(src.get());
  jpg.SetCompressionQuality(95);
  rtl::TMemoryStream hi;
  auto back = RoundTrip<TJPEGImage>(jpg, hi);
  ASSERT_EQ(back->Width(), 48);
  ASSERT_EQ(back->Height(), 32);
  EXPECT_LT(MeanError(*src, *back->Bitmap()), 4.0);
  jpg.SetCompressionQuality(10);
  rtl::TMemoryStream lo;
  jpg.SaveToStream(&lo);
  EXPECT_LT(lo.Size(), hi.Size());
  jpg.SetCompressionQuality(500);
  EXPECT_EQ(jpg.CompressionQuality(), 100);
}

TEST(ImageFormats, PngRoundTripIsExactWithAndWithoutAlpha) {
  auto src = Sample();
  TPNGImage png;
  png.Assign(src.get());
  rtl::TMemoryStream m;
  auto back = RoundTrip<TPNGImage>(png, m);
  EXPECT_EQ(MeanError(*src, *back->Bitmap()), 0.0);
  EXPECT_FALSE(back->AlphaChannel());
  TBitmap a(3, 1);
  a.SetPixelFormat(pf32bit);
  a.GetSurface()->SetPixel(1, 0, 0x40FF0000);
  TPNGImage withAlpha;
  withAlpha.Assign(&a);
  withAlpha.SetAlphaChannel(true);
  rtl::TMemoryStream m2;
  auto back2 = RoundTrip<TPNGImage>(withAlpha, m2);
  EXPECT_TRUE(back2->AlphaChannel());
  EXPECT_EQ(back2->Bitmap()->GetSurface()->GetPixel(1, 0), 0x40FF0000u);
  TBitmap plain;
  plain.Assign(back2.get());  // takes the pixels, alpha included
  EXPECT_EQ(plain.PixelFormat(), pf32bit);
  EXPECT_EQ(plain.GetSurface()->GetPixel(1, 0), 0x40FF0000u);
}

TEST(ImageFormats, GifKeepsFewColoursExactlyAndItsTransparentColour) {
  TBitmap b(8, 4);
  const TColor colours[] = {clRed, clLime, clBlue, clFuchsia};
  for (int x = 0; x < 8; ++x)
    for (int y = 0; y < 4; ++y) b.Canvas()->SetPixels(x, y, colours[(x / 2 + y) % 4]);
  TGIFImage gif;
  gif.Assign(&b);
  rtl::TMemoryStream m;
  auto back = RoundTrip<TGIFImage>(gif, m);
  EXPECT_EQ(MeanError(b, *back->Bitmap()), 0.0);
  EXPECT_FALSE(back->Transparent());
  gif.Bitmap()->SetTransparentColor(clFuchsia);
  gif.SetTransparent(true);
  rtl::TMemoryStream m2;
  auto back2 = RoundTrip<TGIFImage>(gif, m2);
  EXPECT_TRUE(back2->Transparent());
  EXPECT_EQ(back2->Bitmap()->TransparentColor(), clFuchsia);
  // A full-colour picture is reduced to a palette but stays close.
  auto src = Sample();
  TGIFImage many;
  many.Assign(src.get());
  rtl::TMemoryStream m3;
  EXPECT_LT(MeanError(*src, *RoundTrip<TGIFImage>(many, m3)->Bitmap()), 12.0);
}

class TempDir {
 public:
  TempDir() {
    char tmpl[] = "/tmp/gdi_imagesXXXXXX";
    path_ = mkdtemp(tmpl);
  }
  ~TempDir() { fs::remove_all(path_); }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

TEST(Picture, FileFormatFollowsTheExtension) {
  TempDir dir;
  auto src = Sample();
  TPicture pic;
  pic.Bitmap()->Assign(src.get());
  const struct {
    const char* name;
    bool lossless;
  } files[] = {{"a.bmp", true}, {"a.PNG", true}, {"a.jpg", false}, {"a.gif", false}};
  for (const auto& f : files) {
    SCOPED_TRACE(f.name);
    TPicture out;
    if (std::string(f.name) == "a.bmp") out.Assign(&pic);
    else if (std::string(f.name) == "a.PNG") { TPNGImage p; p.Assign(src.get()); out.SetGraphic(&p); }
    else if (std::string(f.name) == "a.jpg") { TJPEGImage j; j.Assign(src.get()); out.SetGraphic(&j); }
    else { TGIFImage g; g.Assign(src.get()); out.SetGraphic(&g); }
    const rtl::String path = rtl::Utf8ToString(dir.File(f.name));
    out.SaveToFile(path);
    TPicture in;
    in.LoadFromFile(path);
    ASSERT_NE(in.Graphic(), nullptr);
    EXPECT_EQ(in.Width(), 48);
    TBitmap check;
    check.Assign(in.Graphic());
    if (f.lossless) {
      EXPECT_EQ(MeanError(*src, check), 0.0);
    } else {
      EXPECT_LT(MeanError(*src, check), 12.0);
    }
  }
  for (TGraphic* empty : std::initializer_list<TGraphic*>{new TBitmap, new TJPEGImage, new TPNGImage, new TGIFImage}) {
    const std::unique_ptr<TGraphic> owned(empty);
    const rtl::String path = rtl::Utf8ToString(dir.File("empty"));
    empty->SaveToFile(path);  // an empty snapshot leaves no file
    EXPECT_FALSE(fs::exists(dir.File("empty")));
  }
  TPicture p;
  EXPECT_THROW(p.LoadFromFile(u"/tmp/x.webp"), rtl::EInvalidGraphic) << "an extension the picture layer does not know";
  int changes = 0;
  p.OnChange = [&](rtl::TObject*) { ++changes; };
  p.Bitmap()->SetSize(2, 2);
  EXPECT_GE(changes, 2);  // new bitmap, then its change
}

// The debug snapshot of a DC is a PNG of exactly what the DC's surface holds.
TEST(Picture, DebugSnapshotOfADCReadsBackAsPng) {
  TempDir dir;
  test::MemDC d(5, 3, 0x80102030);
  d.S().SetPixel(4, 2, 0xFFFF0000);
  for (bool alpha : {false, true}) {
    SCOPED_TRACE(alpha);
    const std::string file = dir.File(alpha ? "alpha.png" : "opaque.png");
    ASSERT_TRUE(WriteDCPng(d.dc, file, alpha));
    TPNGImage png;
    png.LoadFromFile(rtl::Utf8ToString(file));
    const Surface& s = *png.Bitmap()->GetSurface();
    ASSERT_EQ(s.Width(), 5);
    ASSERT_EQ(s.Height(), 3);
    EXPECT_EQ(s.GetPixel(0, 0), alpha ? 0x80102030u : 0xFF102030u);
    EXPECT_EQ(s.GetPixel(4, 2), 0xFFFF0000u);
  }
  EXPECT_FALSE(WriteDCPng(d.dc, dir.File("missing/dir/x.png")));
}

// Bytes of a valid file of each format, then spoilt versions.
std::vector<std::uint8_t> Encode(TGraphic& g) {
  rtl::TMemoryStream m;
  g.SaveToStream(&m);
  const auto* p = static_cast<const std::uint8_t*>(m.Memory());
  return {p, p + m.Size()};
}

TEST(ImageFormats, CorruptFilesRaiseInvalidGraphicAndKeepThePicture) {
  auto src = Sample(40, 30);
  TJPEGImage j;
  j.Assign(src.get());
  TPNGImage p;
  p.Assign(src.get());
  TGIFImage g;
  g.Assign(src.get());
  TGraphic* formats[] = {&j, &p, &g};
  for (TGraphic* fmt : formats) {
    const std::vector<std::uint8_t> good = Encode(*fmt);
    std::vector<std::vector<std::uint8_t>> bad = {
        std::vector<std::uint8_t>(good.begin(), good.begin() + good.size() / 2),  // truncated
        std::vector<std::uint8_t>(good.begin(), good.begin() + 8),                // header only
        {},                                                                       // empty
    };
    std::vector<std::uint8_t> garbage = good;
    for (std::size_t i = 20; i < garbage.size(); i += 7) garbage[i] ^= 0x5A;
    bad.push_back(garbage);
    std::vector<std::uint8_t> huge = good;  // dimensions far beyond any screen
    if (fmt == &p) { huge[16] = 0x7F; huge[20] = 0x7F; }
    if (fmt == &g) { huge[6] = 0xFF; huge[7] = 0xFF; huge[8] = 0xFF; huge[9] = 0xFF; }
    if (fmt == &j) {
      for (std::size_t i = 0; i + 8 < huge.size(); ++i)
        if (huge[i] == 0xFF && huge[i + 1] == 0xC0) { huge[i + 5] = 0xFF; huge[i + 6] = 0xFF; huge[i + 7] = 0xFF; huge[i + 8] = 0xFF; break; }
    }
    bad.push_back(huge);
    for (std::size_t k = 0; k < bad.size(); ++k) {
      SCOPED_TRACE(k);
      rtl::TMemoryStream m;
      if (!bad[k].empty()) m.WriteBuffer(bad[k].data(), rtl::Int64(bad[k].size()));
      m.SetPosition(0);
      const int before = fmt->Width();
      if (k == 3 && fmt == &j) {
        // Flipped bits inside entropy-coded data may still decode; it must not crash.
        try {
          fmt->LoadFromStream(&m);
        } catch (const rtl::EInvalidGraphic&) {
        }
        continue;
      }
      EXPECT_THROW(fmt->LoadFromStream(&m), rtl::EInvalidGraphic);
      EXPECT_EQ(fmt->Width(), before);
    }
  }
}

// Files written by another program: ffmpeg's encoders from a lavfi test source.
TEST(ImageFormats, ReadsFilesMadeByFfmpeg) {
  if (std::system("ffmpeg -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "ffmpeg not installed";
  TempDir dir;
  for (const char* ext : {"bmp", "png", "jpg", "gif"}) {
    const std::string cmd = "ffmpeg -loglevel error -y -f lavfi -i testsrc=size=64x48:rate=1 -frames:v 1 " +
                            (std::string(ext) == "bmp" ? std::string("-pix_fmt bgr24 ") : std::string()) +
                            dir.File(std::string("t.") + ext);
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
  }
  TPicture bmp, png, jpg, gif;
  bmp.LoadFromFile(rtl::Utf8ToString(dir.File("t.bmp")));
  png.LoadFromFile(rtl::Utf8ToString(dir.File("t.png")));
  jpg.LoadFromFile(rtl::Utf8ToString(dir.File("t.jpg")));
  gif.LoadFromFile(rtl::Utf8ToString(dir.File("t.gif")));
  for (TPicture* p : {&bmp, &png, &jpg, &gif}) {
    EXPECT_EQ(p->Width(), 64);
    EXPECT_EQ(p->Height(), 48);
  }
  TBitmap a, b, c, d;
  a.Assign(bmp.Graphic());
  b.Assign(png.Graphic());
  c.Assign(jpg.Graphic());
  d.Assign(gif.Graphic());
  EXPECT_EQ(MeanError(a, b), 0.0);  // both lossless: same pixels
  EXPECT_LT(MeanError(a, c), 12.0);
  EXPECT_LT(MeanError(a, d), 25.0);
}

}  // namespace
}  // namespace gdi
