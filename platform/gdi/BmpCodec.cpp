// BMP files: our own reader and writer. Every size and offset in a file is
// checked against the data before use, so a hostile file raises
// EInvalidGraphic instead of reading out of bounds or allocating wildly.
#include <cstring>
#include <limits>

#include "platform/gdi/Bitmap.h"
#include "platform/rtl/Exceptions.h"

namespace gdi {

namespace {

[[noreturn]] void Invalid() { throw rtl::EInvalidGraphic("Bitmap image is not valid"); }

constexpr std::int64_t kMaxPixels = std::int64_t(64) << 20;
constexpr int kMaxSide = 32768;

std::uint32_t U32(const std::uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24; }
std::uint16_t U16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }

// Extracts a channel by bit mask and scales it to 8 bits.
struct MaskChannel {
  std::uint32_t mask = 0;
  int shift = 0, bits = 0;
  explicit MaskChannel(std::uint32_t m) : mask(m) {
    if (!m) return;
    while (!((m >> shift) & 1)) ++shift;
    while (bits < 32 - shift && ((m >> (shift + bits)) & 1)) ++bits;
  }
  std::uint32_t Get(std::uint32_t v) const {
    if (!mask) return 0;
    const std::uint32_t c = (v & mask) >> shift;
    if (bits >= 8) return c >> (bits - 8);
    const std::uint32_t max = (1u << bits) - 1;
    return max ? (c * 255 + max / 2) / max : 0;
  }
};

void DecodeRle(const std::uint8_t* p, std::size_t n, int bpp, Surface& s) {
  // Rows count from the bottom; pixels outside the image are dropped.
  int x = 0, y = s.Height() - 1;
  std::size_t i = 0;
  auto put = [&](int idx) {
    if (x >= 0 && x < s.Width() && y >= 0) {
      std::uint8_t* row = s.Row(y);
      if (bpp == 8) {
        row[x] = std::uint8_t(idx);
      } else {
        std::uint8_t& b = row[x / 2];
        b = (x & 1) ? std::uint8_t((b & 0xF0) | (idx & 0x0F)) : std::uint8_t((b & 0x0F) | (idx << 4));
      }
    }
    ++x;
  };
  while (y >= 0) {
    if (i + 2 > n) Invalid();
    const int count = p[i], code = p[i + 1];
    i += 2;
    if (count > 0) {
      for (int k = 0; k < count; ++k) put(bpp == 8 ? code : (k & 1 ? code & 0x0F : code >> 4));
    } else if (code == 0) {
      x = 0;
      --y;
    } else if (code == 1) {
      return;
    } else if (code == 2) {
      if (i + 2 > n) Invalid();
      x += p[i];
      y -= p[i + 1];
      i += 2;
    } else {
      const std::size_t bytes = bpp == 8 ? std::size_t(code) : (std::size_t(code) + 1) / 2;
      if (i + bytes > n) Invalid();
      for (int k = 0; k < code; ++k) put(bpp == 8 ? p[i + k] : (k & 1 ? p[i + k / 2] & 0x0F : p[i + k / 2] >> 4));
      i += (bytes + 1) & ~std::size_t(1);
    }
  }
}

}  // namespace

void ReadBmp(const std::uint8_t* d, std::size_t size, TBitmap& into) {
  if (size < 26 || d[0] != 'B' || d[1] != 'M') Invalid();
  const std::uint32_t offBits = U32(d + 10);
  const std::uint32_t hdr = U32(d + 14);
  int width, height, bpp;
  std::uint32_t compression = BI_RGB, clrUsed = 0;
  bool core = false;
  if (hdr == 12) {
    core = true;
    width = U16(d + 18);
    height = std::int16_t(U16(d + 20));
    if (U16(d + 22) != 1) Invalid();
    bpp = U16(d + 24);
  } else {
    if (hdr < 40 || hdr > size - 14) Invalid();
    width = std::int32_t(U32(d + 18));
    height = std::int32_t(U32(d + 22));
    if (U16(d + 26) != 1) Invalid();
    bpp = U16(d + 28);
    compression = U32(d + 30);
    clrUsed = U32(d + 46);
  }
  if (width <= 0 || height == 0 || height == std::numeric_limits<std::int32_t>::min()) Invalid();
  const bool topDown = height < 0;
  const int h = topDown ? -height : height;
  if (width > kMaxSide || h > kMaxSide || std::int64_t(width) * h > kMaxPixels) Invalid();
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) Invalid();
  const bool rle = compression == BI_RLE8 || compression == BI_RLE4;
  if (compression == BI_RLE8 && bpp != 8) Invalid();
  if (compression == BI_RLE4 && bpp != 4) Invalid();
  if (compression == BI_BITFIELDS && bpp != 16 && bpp != 32) Invalid();
  if (compression > BI_BITFIELDS || (rle && topDown)) Invalid();

  std::size_t pos = 14 + hdr;
  std::uint32_t masks[3] = {0, 0, 0};
  if (compression == BI_BITFIELDS) {
    const std::size_t at = hdr >= 52 ? 14 + 40 : pos;
    if (at + 12 > size) Invalid();
    for (int k = 0; k < 3; ++k) masks[k] = U32(d + at + 4 * k);
    if (hdr < 52) pos += 12;
  } else if (bpp == 16) {
    masks[0] = 0x7C00;
    masks[1] = 0x03E0;
    masks[2] = 0x001F;
  }

  TPixelFormat format = pf24bit;
  int depth = 24;
  switch (bpp) {
    case 1: format = pf1bit; depth = 1; break;
    case 4: format = pf4bit; depth = 4; break;
    case 8: format = pf8bit; depth = 8; break;
    case 32: format = pf32bit; depth = 32; break;
    default: break;
  }
  auto s = std::make_unique<Surface>(width, h, depth, true);
  if (bpp <= 8) {
    const std::uint32_t maxColors = 1u << bpp;
    const std::uint32_t n = clrUsed ? clrUsed : maxColors;
    if (n > maxColors) Invalid();
    const std::size_t entry = core ? 3 : 4;
    if (pos + n * entry > size) Invalid();
    std::fill(s->Palette().begin(), s->Palette().end(), 0u);
    for (std::uint32_t k = 0; k < n; ++k) {
      const std::uint8_t* q = d + pos + k * entry;
      s->Palette()[k] = std::uint32_t(q[2]) << 16 | std::uint32_t(q[1]) << 8 | q[0];
    }
    pos += n * entry;
  }
  const std::size_t dataStart = offBits ? offBits : pos;
  if (dataStart >= size) Invalid();
  const std::uint8_t* px = d + dataStart;
  const std::size_t avail = size - dataStart;

  if (rle) {
    DecodeRle(px, avail, bpp, *s);
  } else {
    const std::size_t stride = std::size_t(Surface::StrideFor(width, bpp));
    const std::size_t lastRow = (std::size_t(width) * bpp + 7) / 8;
    if (stride * (h - 1) + lastRow > avail) Invalid();
    const MaskChannel r(masks[0]), g(masks[1]), b(masks[2]);
    std::vector<std::uint32_t> row(width);
    for (int y = 0; y < h; ++y) {
      const std::uint8_t* src = px + stride * std::size_t(topDown ? y : h - 1 - y);
      const std::size_t rowBytes = y == (topDown ? h - 1 : 0) ? lastRow : stride;
      if (bpp <= 8 || bpp == 24 || (bpp == 32 && compression == BI_RGB)) {
        std::memcpy(s->Row(y), src, std::min(rowBytes, std::size_t(s->Stride())));
      } else {
        for (int x = 0; x < width; ++x) {
          const std::uint32_t v = bpp == 16 ? U16(src + 2 * x) : U32(src + 4 * x);
          row[x] = (bpp == 32 ? 0xFF000000u : 0u) | r.Get(v) << 16 | g.Get(v) << 8 | b.Get(v);
        }
        s->Commit(0, y, width, row.data());
      }
    }
  }
  into.TakeSurface(std::move(s), format);
}

std::vector<std::uint8_t> WriteBmp(TBitmap& bmp) {
  Surface* s = bmp.GetSurface();
  if (!s) throw rtl::EInvalidGraphic("Cannot save an empty bitmap");
  const int bpp = s->BitsPerPixel();
  const std::uint32_t colors = bpp <= 8 ? (1u << bpp) : 0;
  const std::uint32_t stride = std::uint32_t(Surface::StrideFor(s->Width(), bpp));
  const std::uint32_t off = 14 + 40 + colors * 4;
  const std::uint32_t total = off + stride * std::uint32_t(s->Height());
  std::vector<std::uint8_t> out(total, 0);
  auto put32 = [&](std::size_t at, std::uint32_t v) {
    for (int k = 0; k < 4; ++k) out[at + k] = std::uint8_t(v >> (8 * k));
  };
  auto put16 = [&](std::size_t at, std::uint16_t v) {
    out[at] = std::uint8_t(v);
    out[at + 1] = std::uint8_t(v >> 8);
  };
  out[0] = 'B';
  out[1] = 'M';
  put32(2, total);
  put32(10, off);
  put32(14, 40);
  put32(18, std::uint32_t(s->Width()));
  put32(22, std::uint32_t(s->Height()));  // bottom-up rows
  put16(26, 1);
  put16(28, std::uint16_t(bpp));
  put32(34, stride * std::uint32_t(s->Height()));
  put32(38, 3780);  // 96 dpi
  put32(42, 3780);
  put32(46, colors);
  for (std::uint32_t k = 0; k < colors; ++k) {
    const std::uint32_t c = k < s->Palette().size() ? s->Palette()[k] : 0;
    out[54 + 4 * k] = std::uint8_t(c);
    out[54 + 4 * k + 1] = std::uint8_t(c >> 8);
    out[54 + 4 * k + 2] = std::uint8_t(c >> 16);
  }
  for (int y = 0; y < s->Height(); ++y)
    std::memcpy(out.data() + off + std::size_t(s->Height() - 1 - y) * stride, s->Row(y), stride);
  return out;
}

}  // namespace gdi
