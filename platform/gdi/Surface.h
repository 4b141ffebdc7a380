// A block of pixel memory that device contexts draw into.
//
// Pixels are exchanged as 32-bit values 0xAARRGGBB (in memory: blue, green,
// red, alpha), straight (not premultiplied) alpha. A surface holds 32-bit
// BGRA, 24-bit BGR, or 1/4/8-bit palette indexes, rows padded to 4 bytes,
// top-down or bottom-up as a DIB section is. Row(y) always takes the image's
// top-down row number. A surface either owns its memory or wraps memory that
// its creator keeps alive (a window back buffer). Not thread-safe: one thread
// draws into a surface at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace gdi {

class Surface {
 public:
  // Owning surface, all bytes 0. Throws rtl::EOutOfResources when the size is
  // not positive, too large, or the depth is not 1, 4, 8, 24 or 32.
  Surface(int width, int height, int bitsPerPixel = 32, bool topDown = true);
  // Wraps memory of at least stride * height bytes, not owned.
  Surface(void* bits, int width, int height, int stride, int bitsPerPixel, bool topDown);
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  int BitsPerPixel() const { return bpp_; }
  int Stride() const { return stride_; }
  bool TopDown() const { return topDown_; }
  std::uint8_t* Bits() { return bits_; }  // lowest address (bottom row when bottom-up)
  const std::uint8_t* Bits() const { return bits_; }
  std::size_t ByteSize() const { return std::size_t(stride_) * height_; }

  std::uint8_t* Row(int y) { return bits_ + std::size_t(topDown_ ? y : height_ - 1 - y) * stride_; }
  const std::uint8_t* Row(int y) const {
    return bits_ + std::size_t(topDown_ ? y : height_ - 1 - y) * stride_;
  }
  std::uint32_t* Row32(int y) { return reinterpret_cast<std::uint32_t*>(Row(y)); }
  const std::uint32_t* Row32(int y) const { return reinterpret_cast<const std::uint32_t*>(Row(y)); }

  // Palette of 1/4/8-bit surfaces as 0x00RRGGBB; 2^bpp entries.
  std::vector<std::uint32_t>& Palette() { return palette_; }
  const std::vector<std::uint32_t>& Palette() const { return palette_; }

  // Pixel access with bounds checks (outside: 0 / nothing). 24-bit and palette
  // pixels read with alpha 255; writing a palette surface picks the nearest entry.
  std::uint32_t GetPixel(int x, int y) const;
  void SetPixel(int x, int y, std::uint32_t argb);

  // Span access without bounds checks: the caller clips. For 32-bit surfaces
  // Span returns the pixels in place and Commit does nothing; for other depths
  // the pixels are converted through `scratch`.
  std::uint32_t* Span(int x, int y, int n, std::vector<std::uint32_t>& scratch);
  void Commit(int x, int y, int n, const std::uint32_t* pixels);
  void ReadSpan(int x, int y, int n, std::uint32_t* out) const;

  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
  int NearestPaletteIndex(std::uint32_t argb) const;

  static int StrideFor(int width, int bitsPerPixel) { return ((width * bitsPerPixel + 31) / 32) * 4; }

 private:
  int width_ = 0, height_ = 0, bpp_ = 32, stride_ = 0;
  bool topDown_ = true;
  std::uint8_t* bits_ = nullptr;
  std::unique_ptr<std::uint8_t[]> owned_;
  std::vector<std::uint32_t> palette_;
};

}  // namespace gdi
