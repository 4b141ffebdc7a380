#include "platform/gdi/Surface.h"

#include <cstring>
#include <limits>

#include "platform/rtl/Exceptions.h"

namespace gdi {

namespace {
bool ValidDepth(int bpp) { return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 24 || bpp == 32; }
// Surfaces beyond this many bytes are refused rather than attempted: a
// corrupt image header must not make the process allocate gigabytes.
constexpr std::size_t kMaxSurfaceBytes = std::size_t(1) << 30;

void DefaultPalette(std::vector<std::uint32_t>& pal, int bpp) {
  const int n = 1 << bpp;
  pal.assign(n, 0);
  for (int i = 0; i < n; ++i) {
    int v = n == 2 ? i * 255 : (i * 255) / (n - 1);
    pal[i] = std::uint32_t(v) << 16 | std::uint32_t(v) << 8 | std::uint32_t(v);
  }
}
}  // namespace

Surface::Surface(int width, int height, int bitsPerPixel, bool topDown)
    : width_(width), height_(height), bpp_(bitsPerPixel), topDown_(topDown) {
  if (width <= 0 || height <= 0 || !ValidDepth(bitsPerPixel) || width > (1 << 24) || height > (1 << 24))
    throw rtl::EOutOfResources("Invalid surface size or depth");
  stride_ = StrideFor(width, bitsPerPixel);
  const std::size_t bytes = std::size_t(stride_) * std::size_t(height);
  if (bytes > kMaxSurfaceBytes) throw rtl::EOutOfResources("Surface too large");
  owned_.reset(new (std::nothrow) std::uint8_t[bytes]());
  if (!owned_) throw rtl::EOutOfResources("Out of memory for surface");
  bits_ = owned_.get();
  if (bpp_ <= 8) DefaultPalette(palette_, bpp_);
}

Surface::Surface(void* bits, int width, int height, int stride, int bitsPerPixel, bool topDown)
    : width_(width), height_(height), bpp_(bitsPerPixel), stride_(stride), topDown_(topDown),
      bits_(static_cast<std::uint8_t*>(bits)) {
  if (!bits || width <= 0 || height <= 0 || !ValidDepth(bitsPerPixel) ||
      stride < StrideFor(width, bitsPerPixel) - 3)
    throw rtl::EOutOfResources("Invalid surface memory");
  if (bpp_ <= 8) DefaultPalette(palette_, bpp_);
}

void Surface::ReadSpan(int x, int y, int n, std::uint32_t* out) const {
  const std::uint8_t* row = Row(y);
  switch (bpp_) {
    case 32:
      std::memcpy(out, row + std::size_t(x) * 4, std::size_t(n) * 4);
      break;
    case 24:
      for (int i = 0; i < n; ++i) {
        const std::uint8_t* p = row + std::size_t(x + i) * 3;
        out[i] = 0xFF000000u | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
      }
      break;
    default: {
      const int per = 8 / bpp_;
      const int mask = (1 << bpp_) - 1;
      for (int i = 0; i < n; ++i) {
        const int xx = x + i;
        const int shift = (per - 1 - xx % per) * bpp_;
        const int idx = (row[xx / per] >> shift) & mask;
        out[i] = 0xFF000000u | (idx < int(palette_.size()) ? palette_[idx] : 0);
      }
    }
  }
}

int Surface::NearestPaletteIndex(std::uint32_t argb) const {
  int best = 0;
  long bestD = std::numeric_limits<long>::max();
  for (int i = 0; i < int(palette_.size()); ++i) {
    const std::uint32_t p = palette_[i];
    const long dr = long((p >> 16) & 0xFF) - long((argb >> 16) & 0xFF);
    const long dg = long((p >> 8) & 0xFF) - long((argb >> 8) & 0xFF);
    const long db = long(p & 0xFF) - long(argb & 0xFF);
    const long d = dr * dr + dg * dg + db * db;
    if (d < bestD) {
      bestD = d;
      best = i;
      if (d == 0) break;
    }
  }
  return best;
}

void Surface::Commit(int x, int y, int n, const std::uint32_t* px) {
  std::uint8_t* row = Row(y);
  switch (bpp_) {
    case 32:
      if (reinterpret_cast<const std::uint8_t*>(px) != row + std::size_t(x) * 4)
        std::memmove(row + std::size_t(x) * 4, px, std::size_t(n) * 4);
      break;
    case 24:
      for (int i = 0; i < n; ++i) {
        std::uint8_t* p = row + std::size_t(x + i) * 3;
        p[0] = std::uint8_t(px[i]);
        p[1] = std::uint8_t(px[i] >> 8);
        p[2] = std::uint8_t(px[i] >> 16);
      }
      break;
    default: {
      const int per = 8 / bpp_;
      const int mask = (1 << bpp_) - 1;
      for (int i = 0; i < n; ++i) {
        const int xx = x + i;
        const int shift = (per - 1 - xx % per) * bpp_;
        const int idx = NearestPaletteIndex(px[i]);
        std::uint8_t& b = row[xx / per];
        b = std::uint8_t((b & ~(mask << shift)) | (idx << shift));
      }
    }
  }
}

std::uint32_t* Surface::Span(int x, int y, int n, std::vector<std::uint32_t>& scratch) {
  if (bpp_ == 32) return Row32(y) + x;
  if (int(scratch.size()) < n) scratch.resize(n);
  ReadSpan(x, y, n, scratch.data());
  return scratch.data();
}

std::uint32_t Surface::GetPixel(int x, int y) const {
  if (!Contains(x, y)) return 0;
  std::uint32_t v;
  ReadSpan(x, y, 1, &v);
  return v;
}

void Surface::SetPixel(int x, int y, std::uint32_t argb) {
  if (Contains(x, y)) Commit(x, y, 1, &argb);
}

}  // namespace gdi
