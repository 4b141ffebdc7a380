#include "platform/gdi/PngCodec.h"

#include <png.h>

#include <cstring>
#include <fstream>

#include "platform/gdi/GdiObjects.h"
#include "platform/rtl/Exceptions.h"

namespace gdi {

namespace {
// libpng reports errors by longjmp; every object that needs destruction is
// created outside the setjmp scope or owned by libpng.
void WriteToVector(png_structp png, png_bytep data, png_size_t n) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + n);
}
void NoFlush(png_structp) {}

struct Reader {
  const std::uint8_t* data;
  std::size_t size, pos;
};
void ReadFromMemory(png_structp png, png_bytep out, png_size_t n) {
  auto* r = static_cast<Reader*>(png_get_io_ptr(png));
  if (n > r->size - r->pos) png_error(png, "truncated PNG data");
  std::memcpy(out, r->data + r->pos, n);
  r->pos += n;
}
void Quiet(png_structp, png_const_charp) {}
void Fail(png_structp png, png_const_charp) { png_longjmp(png, 1); }

constexpr std::uint32_t kMaxDimension = 16384;
constexpr std::uint64_t kMaxPixels = 64u << 20;
}  // namespace

std::vector<std::uint8_t> EncodePng(const Surface& s, bool withAlpha) {
  std::vector<std::uint8_t> out;
  std::vector<std::uint8_t> row(std::size_t(s.Width()) * 4);
  std::vector<std::uint32_t> px(s.Width());
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, Fail, Quiet);
  if (!png) throw rtl::EOutOfResources("Cannot create PNG writer");
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    throw rtl::EInvalidGraphic("PNG encoding failed");
  }
  png_set_write_fn(png, &out, WriteToVector, NoFlush);
  png_set_IHDR(png, info, png_uint_32(s.Width()), png_uint_32(s.Height()), 8,
               withAlpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  const int channels = withAlpha ? 4 : 3;
  for (int y = 0; y < s.Height(); ++y) {
    s.ReadSpan(0, y, s.Width(), px.data());
    for (int x = 0; x < s.Width(); ++x) {
      std::uint8_t* p = row.data() + std::size_t(x) * channels;
      p[0] = std::uint8_t(px[x] >> 16);
      p[1] = std::uint8_t(px[x] >> 8);
      p[2] = std::uint8_t(px[x]);
      if (withAlpha) p[3] = std::uint8_t(px[x] >> 24);
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

std::unique_ptr<Surface> DecodePng(const std::uint8_t* data, std::size_t size, bool* hasAlpha) {
  if (size < 8 || png_sig_cmp(const_cast<png_bytep>(data), 0, 8) != 0)
    throw rtl::EInvalidGraphic("Not a PNG image");
  Reader reader{data, size, 0};
  std::unique_ptr<Surface> surface;
  std::vector<png_bytep> rows;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, Fail, Quiet);
  if (!png) throw rtl::EOutOfResources("Cannot create PNG reader");
  png_infop info = png_create_info_struct(png);
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    surface.reset();
    throw rtl::EInvalidGraphic("Corrupt PNG image");
  }
  png_set_read_fn(png, &reader, ReadFromMemory);
  png_set_user_limits(png, kMaxDimension, kMaxDimension);
  png_read_info(png, info);
  const png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
  const int colorType = png_get_color_type(png, info);
  const bool alpha = (colorType & PNG_COLOR_MASK_ALPHA) || png_get_valid(png, info, PNG_INFO_tRNS);
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_set_bgr(png);
  if (!alpha) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (png_get_rowbytes(png, info) != std::size_t(w) * 4) png_error(png, "unexpected row layout");
  if (std::uint64_t(w) * h > kMaxPixels) png_error(png, "image too large");
  bool allocated = true;
  try {
    surface = std::make_unique<Surface>(int(w), int(h), 32, true);
    rows.resize(h);
  } catch (...) {
    allocated = false;
  }
  if (!allocated) png_error(png, "image too large");
  for (png_uint_32 y = 0; y < h; ++y) rows[y] = surface->Row(int(y));
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  if (hasAlpha) *hasAlpha = alpha;
  return surface;
}

bool WriteSurfacePng(const Surface& s, const std::string& path, bool withAlpha) {
  try {
    const std::vector<std::uint8_t> bytes = EncodePng(s, withAlpha);
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(f);
  } catch (const rtl::Exception&) {
    return false;
  }
}

bool WriteDCPng(HDC dc, const std::string& path, bool withAlpha) {
  Surface* s = GetDCSurface(dc);
  return s && WriteSurfacePng(*s, path, withAlpha);
}

}  // namespace gdi
