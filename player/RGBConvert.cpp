#include "player/RGBConvert.h"

#include <algorithm>
#include <cstring>

namespace player {

namespace {

int BitmapRowSize(int AWidth) { return ((AWidth * 24 + 31) / 32) * 4; }

}  // namespace

void ResetRGBConvertContext(TRGBConvertContext& AContext) {
  AContext.Bitmap.reset();
  if (AContext.RGBBuf) ff::av_free(AContext.RGBBuf);
  AContext.RGBBuf = nullptr;
  if (AContext.toRGB_convert_ctx) ff::sws_freeContext(AContext.toRGB_convert_ctx);
  if (AContext.fromRGB_convert_ctx) ff::sws_freeContext(AContext.fromRGB_convert_ctx);
  AContext.toRGB_convert_ctx = nullptr;
  AContext.fromRGB_convert_ctx = nullptr;
  AContext.RGBPixFmt = AV_PIX_FMT_BGR24;
  AContext.BMPPixFmt = gdi::pf24bit;
  AContext.RGBBufSize = 0;
  AContext.RGBPicture = TAVPicture{};
  AContext.RGBPictureRef = nullptr;
}

std::unique_ptr<gdi::TBitmap> CreateRGBBitmap(int AWidth, int AHeight, gdi::TPixelFormat APixFmt) {
  auto bmp = std::make_unique<gdi::TBitmap>();
  bmp->SetPixelFormat(APixFmt);
  bmp->SetSize(AWidth, AHeight);
  bmp->Canvas()->Brush()->SetStyle(gdi::bsClear);
  return bmp;
}

bool PictureToBitmap(TRGBConvertContext& AContext, const TAVPicture& APicture, AVPixelFormat APixFmt,
                     int AHeight, int AWidth) {
  if (!AContext.Bitmap) AContext.Bitmap = CreateRGBBitmap(AWidth, AHeight, AContext.BMPPixFmt);
  gdi::TBitmap& bmp = *AContext.Bitmap;
  bmp.SetSize(AWidth, AHeight);
  const int rowSize = BitmapRowSize(AWidth);

  if (APixFmt == AContext.RGBPixFmt && AWidth % 2 == 0 && AHeight % 2 == 0 &&
      APicture.linesize[0] == rowSize) {
    AContext.RGBPictureRef = &APicture;
  } else {
    const int size = ff::av_image_get_buffer_size(AContext.RGBPixFmt, AWidth, AHeight, 1);
    if (size < 0) return false;
    if (!AContext.RGBBuf || AContext.RGBBufSize < size) {
      ff::av_free(AContext.RGBBuf);
      AContext.RGBBuf = static_cast<uint8_t*>(ff::av_malloc(static_cast<size_t>(size)));
      AContext.RGBBufSize = AContext.RGBBuf ? size : 0;
      if (!AContext.RGBBuf) return false;
    }
    ff::av_image_fill_arrays(AContext.RGBPicture.data, AContext.RGBPicture.linesize, AContext.RGBBuf,
                             AContext.RGBPixFmt, AWidth, AHeight, 1);
    AContext.toRGB_convert_ctx =
        ff::sws_getCachedContext(AContext.toRGB_convert_ctx, AWidth, AHeight, APixFmt, AWidth, AHeight,
                                 AContext.RGBPixFmt, SWS_BICUBIC, nullptr, nullptr, nullptr);
    if (!AContext.toRGB_convert_ctx) return false;
    ff::sws_scale(AContext.toRGB_convert_ctx, APicture.data, APicture.linesize, 0, AHeight,
                  AContext.RGBPicture.data, AContext.RGBPicture.linesize);
    AContext.RGBPictureRef = &AContext.RGBPicture;
  }

  const TAVPicture& src = *AContext.RGBPictureRef;
  const size_t rowBytes = static_cast<size_t>(std::min(src.linesize[0], rowSize));
  for (int row = 0; row < AHeight; ++row)
    memcpy(bmp.ScanLine(row), src.data[0] + static_cast<ptrdiff_t>(row) * src.linesize[0], rowBytes);
  return true;
}

}  // namespace player
