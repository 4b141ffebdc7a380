// Pictures into 24-bit bitmaps: the direct row copy, the scaler, and a
// format the scaler cannot take.
#include <gtest/gtest.h>

#include <vector>

#include "engine/FFUtils.h"
#include "platform/gdi/Bitmap.h"
#include "tests/engine/probe/ProbeTestUtils.h"

using namespace engine;

namespace {

// A BGR24 picture whose pixel (x, y) is (x, y, x + y) modulo 256.
struct Pattern {
  Pattern(int AWidth, int AHeight, int ALineSize) : Width(AWidth), Height(AHeight), Bytes(ALineSize * AHeight) {
    for (int y = 0; y < AHeight; ++y)
      for (int x = 0; x < AWidth; ++x) {
        uint8_t* p = &Bytes[y * ALineSize + 3 * x];
        p[0] = uint8_t(x), p[1] = uint8_t(y), p[2] = uint8_t(x + y);
      }
    Picture.data[0] = Bytes.data();
    Picture.linesize[0] = ALineSize;
  }
  int Width, Height;
  std::vector<uint8_t> Bytes;
  TAVPicture Picture;
};

}  // namespace

TEST(RGBConvert, CopiesDirectlyOnlyWhatHasTheBitmapsLayout) {
  probetest::LoadProbeLibraries();
  struct Case {
    int Width, Height, LineSize;
    bool Direct;
  } cases[] = {
      {640, 480, 1920, true},
      {641, 480, 1923, false},  // odd width
      {640, 481, 1920, false},  // odd height
      {642, 480, 1932, false},  // rows not as the bitmap pads them
  };
  TRGBConvertContext ctx;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Width);
    Pattern pattern(c.Width, c.Height, c.LineSize);
    ASSERT_TRUE(PictureToBitmap(ctx, pattern.Picture, AV_PIX_FMT_BGR24, c.Width, c.Height));
    EXPECT_EQ(ctx.RGBPictureRef.data[0] == pattern.Picture.data[0], c.Direct);
    gdi::TBitmap& bmp = *ctx.Bitmap;
    ASSERT_EQ(bmp.Width(), c.Width);
    ASSERT_EQ(bmp.Height(), c.Height);
    EXPECT_EQ(bmp.PixelFormat(), gdi::pf24bit);
    for (auto [x, y] : {std::pair{0, 0}, {c.Width - 1, 0}, {c.Width / 2, c.Height / 2}, {0, c.Height - 1},
                        {c.Width - 1, c.Height - 1}}) {
      const uint8_t* p = static_cast<uint8_t*>(bmp.ScanLine(y)) + 3 * x;
      EXPECT_EQ(p[0], uint8_t(x));
      EXPECT_EQ(p[1], uint8_t(y));
      EXPECT_EQ(p[2], uint8_t(x + y));
    }
  }
  EXPECT_GE(ctx.RGBBufSize, 642 * 480 * 3) << "the buffer grew to the largest picture";
  ResetRGBConvertContext(ctx);
  EXPECT_EQ(ctx.Bitmap, nullptr);
  EXPECT_EQ(ctx.RGBBuf, nullptr);
  EXPECT_EQ(ctx.RGBBufSize, 0);
  EXPECT_EQ(ctx.toRGB_convert_ctx, nullptr);
  EXPECT_EQ(ctx.RGBPictureRef.data[0], nullptr);
}

TEST(RGBConvert, FormatTheScalerCannotTakeFails) {
  probetest::LoadProbeLibraries();
  TRGBConvertContext ctx;
  Pattern pattern(16, 16, 48);
  // A hardware surface format carries no pixels the scaler could read.
  EXPECT_FALSE(PictureToBitmap(ctx, pattern.Picture, AV_PIX_FMT_VAAPI, 16, 16));
  ResetRGBConvertContext(ctx);
}
