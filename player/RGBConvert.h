// Decoded pictures as 24-bit bitmaps: the probe's bitmap type and its
// conversion cache.
//
// TProbeBitmap is a 24-bit top-down image whose rows are blue, green, red
// triples padded to 4 bytes, the layout of a device-independent bitmap, so
// rows copy straight into a BMP file or a framework bitmap.
//
// A TRGBConvertContext belongs to one owner and is used by one thread at a
// time; it keeps its bitmap, RGB buffer and scaler context from picture to
// picture and is reset when its owner closes a file. Needs avutil and
// swscale loaded while it holds anything.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/FFEntries.h"
#include "player/ProbeRecords.h"

namespace player {

class TProbeBitmap {
 public:
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  // Bytes per row: 3 per pixel, padded to a multiple of 4.
  int RowSize() const { return ((FWidth * 24 + 31) / 32) * 4; }
  // Keeps nothing of the old picture when the size changes.
  void SetSize(int AWidth, int AHeight);
  uint8_t* ScanLine(int ARow) { return FPixels.data() + static_cast<size_t>(ARow) * RowSize(); }
  const uint8_t* ScanLine(int ARow) const {
    return FPixels.data() + static_cast<size_t>(ARow) * RowSize();
  }
  void Assign(const TProbeBitmap& ASource);
  void FillBlack();
  // A 24-bit BMP file; raises rtl::EFCreateError when it cannot be written.
  void SaveToFile(const std::string& AFileName) const;

 private:
  int FWidth = 0;
  int FHeight = 0;
  std::vector<uint8_t> FPixels;
};

struct TRGBConvertContext {
  AVPixelFormat RGBPixFmt = AV_PIX_FMT_BGR24;
  int BMPPixFmt = 24;  // bits per pixel of the bitmap
  std::unique_ptr<TProbeBitmap> Bitmap;
  uint8_t* RGBBuf = nullptr;  // FFmpeg allocator
  int RGBBufSize = 0;
  TAVPicture RGBPicture;
  const TAVPicture* RGBPictureRef = nullptr;  // the picture whose rows were copied last
  SwsContext* toRGB_convert_ctx = nullptr;
  SwsContext* fromRGB_convert_ctx = nullptr;
};

// Frees the bitmap, the buffer and both scaler contexts and restores the
// starting values.
void ResetRGBConvertContext(TRGBConvertContext& AContext);
// Sizes the context's bitmap to the picture and copies the picture into it,
// through the cached bicubic scaler unless the picture already has the
// bitmap's layout. False only when no scaler context can be made.
bool PictureToBitmap(TRGBConvertContext& AContext, const TAVPicture& APicture, AVPixelFormat APixFmt,
                     int AHeight, int AWidth);

}  // namespace player
