// Decoded pictures as 24-bit bitmaps: the conversion cache shared by the
// probe and the player.
//
// A TRGBConvertContext belongs to one owner and is used by one thread at a
// time; it keeps its bitmap, RGB buffer and scaler context from picture to
// picture and is reset when its owner closes a file. Needs avutil and
// swscale loaded while it holds anything.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/FFEntries.h"
#include "platform/gdi/Bitmap.h"
#include "player/ProbeRecords.h"

namespace player {

struct TRGBConvertContext {
  AVPixelFormat RGBPixFmt = AV_PIX_FMT_BGR24;
  gdi::TPixelFormat BMPPixFmt = gdi::pf24bit;
  std::unique_ptr<gdi::TBitmap> Bitmap;
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
// A new bitmap of that size and format whose canvas brush is clear.
std::unique_ptr<gdi::TBitmap> CreateRGBBitmap(int AWidth, int AHeight, gdi::TPixelFormat APixFmt);
// Sizes the context's bitmap to the picture and copies the picture into it,
// through the cached bicubic scaler unless the picture already has the
// bitmap's row layout (BGR24, even size, rows padded to 4 bytes). False
// only when no scaler context can be made.
bool PictureToBitmap(TRGBConvertContext& AContext, const TAVPicture& APicture, AVPixelFormat APixFmt,
                     int AHeight, int AWidth);

}  // namespace player
