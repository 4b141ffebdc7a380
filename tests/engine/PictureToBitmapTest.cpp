#include <gtest/gtest.h>

#include <vector>

#include "EngineTestUtils.h"
#include "engine/FFUtils.h"
#include "platform/gdi/Bitmap.h"

using namespace engine;

namespace {

class PictureToBitmapTest : public ::testing::Test {
 protected:
  void SetUp() override { enginetest::LoadSystemSet(ProbeLibraries); }

  // A BGR24 picture whose pixel (x, y) is (x, y, x + y) mod 256, with the given line size.
  TAVPicture MakeBGR(int w, int h, int linesize) {
    rows.assign(static_cast<size_t>(linesize) * h, 0xEE);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        uint8_t* p = &rows[static_cast<size_t>(y) * linesize + x * 3];
        p[0] = uint8_t(x), p[1] = uint8_t(y), p[2] = uint8_t(x + y);
      }
    TAVPicture pic;
    pic.data[0] = rows.data();
    pic.linesize[0] = linesize;
    return pic;
  }
  void ExpectPixels(gdi::TBitmap& bmp, int w, int h) {
    ASSERT_EQ(bmp.Width(), w);
    ASSERT_EQ(bmp.Height(), h);
    EXPECT_EQ(bmp.PixelFormat(), gdi::pf24bit);
    for (int y : {0, h / 2, h - 1})
      for (int x : {0, w / 2, w - 1}) {
        auto* p = static_cast<uint8_t*>(bmp.ScanLine(y)) + x * 3;
        ASSERT_EQ(p[0], uint8_t(x)) << x << "," << y;
        ASSERT_EQ(p[1], uint8_t(y)) << x << "," << y;
        ASSERT_EQ(p[2], uint8_t(x + y)) << x << "," << y;
      }
  }

  std::vector<uint8_t> rows;
  TRGBConvertContext ctx;
};

TEST_F(PictureToBitmapTest, BitmapLayoutIsCopiedWithoutTheScaler) {
  TAVPicture pic = MakeBGR(640, 480, 1920);
  ASSERT_TRUE(PictureToBitmap(ctx, pic, AV_PIX_FMT_BGR24, 640, 480));
  EXPECT_EQ(ctx.toRGB_convert_ctx, nullptr);
  EXPECT_EQ(ctx.RGBBuf, nullptr);
  EXPECT_EQ(ctx.RGBPictureRef.data[0], pic.data[0]);
  ExpectPixels(*ctx.Bitmap, 640, 480);
}

TEST_F(PictureToBitmapTest, OtherLayoutsGoThroughTheScaler) {
  // Odd width: the rows of a 641-pixel bitmap are padded, the picture's are not.
  TAVPicture pic = MakeBGR(641, 480, 641 * 3);
  ASSERT_TRUE(PictureToBitmap(ctx, pic, AV_PIX_FMT_BGR24, 641, 480));
  EXPECT_NE(ctx.toRGB_convert_ctx, nullptr);
  ASSERT_NE(ctx.RGBBuf, nullptr);
  EXPECT_EQ(ctx.RGBPictureRef.data[0], ctx.RGBBuf);
  ExpectPixels(*ctx.Bitmap, 641, 480);

  // A smaller frame reuses the buffer and the bitmap follows its size.
  uint8_t* buf = ctx.RGBBuf;
  gdi::TBitmap* bmp = ctx.Bitmap.get();
  TAVPicture small = MakeBGR(33, 17, 33 * 3 + 5);  // line longer than the pixels
  ASSERT_TRUE(PictureToBitmap(ctx, small, AV_PIX_FMT_BGR24, 33, 17));
  EXPECT_EQ(ctx.RGBBuf, buf);
  EXPECT_EQ(ctx.Bitmap.get(), bmp);
  ExpectPixels(*ctx.Bitmap, 33, 17);
}

TEST_F(PictureToBitmapTest, YuvFrameBecomesBgr) {
  AVFrame* frame = ff::av_frame_alloc();
  frame->format = AV_PIX_FMT_YUV420P;
  frame->width = 64;
  frame->height = 48;
  ASSERT_EQ(ff::av_frame_get_buffer(frame, 0), 0);
  // Pure red in limited-range BT.601.
  for (int y = 0; y < 48; ++y) memset(frame->data[0] + y * frame->linesize[0], 81, 64);
  for (int y = 0; y < 24; ++y) {
    memset(frame->data[1] + y * frame->linesize[1], 90, 32);
    memset(frame->data[2] + y * frame->linesize[2], 240, 32);
  }
  ASSERT_TRUE(PictureToBitmap(ctx, frame));
  auto* p = static_cast<uint8_t*>(ctx.Bitmap->ScanLine(20)) + 30 * 3;
  EXPECT_LE(p[0], 8);
  EXPECT_LE(p[1], 8);
  EXPECT_GE(p[2], 245);
  ff::av_frame_free(&frame);
}

TEST_F(PictureToBitmapTest, RefusedFormatAndEmptySize) {
  TAVPicture pic = MakeBGR(8, 8, 24);
  EXPECT_FALSE(PictureToBitmap(ctx, pic, AV_PIX_FMT_NONE, 8, 8));
  EXPECT_FALSE(PictureToBitmap(ctx, pic, AV_PIX_FMT_BGR24, 0, 8));
  ResetRGBConvertContext(ctx);
  EXPECT_EQ(ctx.Bitmap, nullptr);
  EXPECT_EQ(ctx.RGBBuf, nullptr);
  EXPECT_EQ(ctx.RGBBufSize, 0);
  EXPECT_EQ(ctx.RGBPixFmt, AV_PIX_FMT_BGR24);
}

}  // namespace
