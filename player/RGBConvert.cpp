#include "player/RGBConvert.h"

#include <cstdio>
#include <cstring>

#include "platform/rtl/Exceptions.h"

namespace player {

void TProbeBitmap::SetSize(int AWidth, int AHeight) {
  if (AWidth < 0) AWidth = 0;
  if (AHeight < 0) AHeight = 0;
  if (AWidth == FWidth && AHeight == FHeight) return;
  FWidth = AWidth;
  FHeight = AHeight;
  FPixels.assign(static_cast<size_t>(RowSize()) * static_cast<size_t>(FHeight), 0);
}

void TProbeBitmap::Assign(const TProbeBitmap& ASource) {
  if (&ASource == this) return;
  FWidth = ASource.FWidth;
  FHeight = ASource.FHeight;
  FPixels = ASource.FPixels;
}

void TProbeBitmap::FillBlack() { std::fill(FPixels.begin(), FPixels.end(), 0); }

namespace {

void PutLE(std::vector<uint8_t>& AOut, uint32_t AValue, int ABytes) {
  for (int i = 0; i < ABytes; ++i) AOut.push_back(static_cast<uint8_t>(AValue >> (8 * i)));
}

}  // namespace

void TProbeBitmap::SaveToFile(const std::string& AFileName) const {
  const uint32_t imageSize = static_cast<uint32_t>(FPixels.size());
  std::vector<uint8_t> header;
  header.push_back('B');
  header.push_back('M');
  PutLE(header, 54 + imageSize, 4);
  PutLE(header, 0, 4);
  PutLE(header, 54, 4);
  PutLE(header, 40, 4);  // BITMAPINFOHEADER
  PutLE(header, static_cast<uint32_t>(FWidth), 4);
  PutLE(header, static_cast<uint32_t>(FHeight), 4);  // positive: rows stored bottom-up
  PutLE(header, 1, 2);
  PutLE(header, 24, 2);
  PutLE(header, 0, 4);  // BI_RGB
  PutLE(header, imageSize, 4);
  PutLE(header, 3780, 4);  // 96 dpi
  PutLE(header, 3780, 4);
  PutLE(header, 0, 4);
  PutLE(header, 0, 4);

  FILE* f = fopen(AFileName.c_str(), "wb");
  if (!f) throw rtl::EFCreateError(("Cannot create file \"" + AFileName + "\"").c_str());
  bool ok = fwrite(header.data(), 1, header.size(), f) == header.size();
  for (int row = FHeight - 1; ok && row >= 0; --row)
    ok = fwrite(ScanLine(row), 1, static_cast<size_t>(RowSize()), f) == static_cast<size_t>(RowSize());
  ok = (fclose(f) == 0) && ok;
  if (!ok) throw rtl::EFCreateError(("Cannot write file \"" + AFileName + "\"").c_str());
}

void ResetRGBConvertContext(TRGBConvertContext& AContext) {
  AContext.Bitmap.reset();
  if (AContext.RGBBuf) ff::av_free(AContext.RGBBuf);
  AContext.RGBBuf = nullptr;
  if (AContext.toRGB_convert_ctx) ff::sws_freeContext(AContext.toRGB_convert_ctx);
  if (AContext.fromRGB_convert_ctx) ff::sws_freeContext(AContext.fromRGB_convert_ctx);
  AContext.toRGB_convert_ctx = nullptr;
  AContext.fromRGB_convert_ctx = nullptr;
  AContext.RGBPixFmt = AV_PIX_FMT_BGR24;
  AContext.BMPPixFmt = 24;
  AContext.RGBBufSize = 0;
  AContext.RGBPicture = TAVPicture{};
  AContext.RGBPictureRef = nullptr;
}

bool PictureToBitmap(TRGBConvertContext& AContext, const TAVPicture& APicture, AVPixelFormat APixFmt,
                     int AHeight, int AWidth) {
  if (!AContext.Bitmap) AContext.Bitmap = std::make_unique<TProbeBitmap>();
  TProbeBitmap& bmp = *AContext.Bitmap;
  bmp.SetSize(AWidth, AHeight);

  if (APixFmt == AContext.RGBPixFmt && AWidth % 2 == 0 && AHeight % 2 == 0 &&
      APicture.linesize[0] == bmp.RowSize()) {
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
  const size_t rowBytes = static_cast<size_t>(std::min(src.linesize[0], bmp.RowSize()));
  for (int row = 0; row < AHeight; ++row)
    memcpy(bmp.ScanLine(row), src.data[0] + static_cast<ptrdiff_t>(row) * src.linesize[0], rowBytes);
  return true;
}

}  // namespace player
