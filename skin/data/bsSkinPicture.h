// A skin picture: one Windows BMP image held as its file bytes.
//
// The skin model keeps its pictures in this form so that they travel through
// containers byte for byte; the drawing layer decodes them (ToPixels) when a
// control needs them. Every BMP that enters, from a file or from inside a
// container, is checked before anything is allocated for it: header sizes,
// dimensions, bit depth, palette size and pixel bytes must agree and lie
// inside the data at hand; anything else raises rtl::EInvalidGraphic.
// Accepted: 1, 4, 8, 16, 24 and 32 bits per pixel, uncompressed, RLE4/RLE8
// and bit fields, bottom-up or top-down. The held bytes are always a compact
// file (pixels right after the colour table), which is what the container
// format expects of a BMP followed directly by the next field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gdi/Bitmap.h"

#include "platform/rtl/Streams.h"
#include "platform/rtl/Types.h"

namespace skin {

using rtl::String;

class TbsSkinPicture {
 public:
  TbsSkinPicture() = default;
  TbsSkinPicture(const TbsSkinPicture&) = delete;
  TbsSkinPicture& operator=(const TbsSkinPicture&) = delete;

  bool Empty() const { return FData.empty(); }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }  // always positive
  int BitCount() const { return FBitCount; }
  const std::vector<std::uint8_t>& Data() const { return FData; }

  void Clear();
  // A BMP file on disk (its pixel offset honoured). EFOpenError / EInvalidGraphic.
  void LoadFromFile(const String& FileName);
  void SaveToFile(const String& FileName) const;
  // Reads one BMP from Stream's position, taking exactly its header, colour
  // table and pixel bytes, so that Stream is left at the next field.
  void LoadFromStream(rtl::TStream& Stream);
  void SaveToStream(rtl::TStream& Stream) const;
  // Takes a complete BMP held in memory (e.g. one built by a test or a generator).
  void LoadFromBytes(const std::uint8_t* Bytes, std::size_t Size);

  // 32-bit BGRA pixels, top-down, alpha 255; uncompressed formats only
  // (RLE pictures decode to an empty vector).
  std::vector<std::uint32_t> ToPixels() const;
  // The picture as the framework's bitmap, decoded on first use and dropped
  // whenever the picture changes; null for an empty picture. Owned here.
  gdi::TBitmap* Bitmap() const;

 private:
  std::vector<std::uint8_t> FData;
  mutable std::unique_ptr<gdi::TBitmap> FBitmap;
  int FWidth = 0, FHeight = 0, FBitCount = 0;
};

// Builds a compact uncompressed BMP file (24 or 32 bits per pixel) from BGRA
// pixels, top-down in memory, stored bottom-up as usual.
std::vector<std::uint8_t> MakeBmpFile(int Width, int Height, int BitCount, const std::vector<std::uint32_t>& Pixels);

}  // namespace skin
