// JPEG through libjpeg's 6b interface, memory to memory.
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/gdi/ImageFormats.h"
#include "platform/rtl/Exceptions.h"

// After our headers: jpeglib defines TRUE and FALSE as macros.
#include <jpeglib.h>

namespace gdi {

namespace {
struct ErrorMgr {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void OnError(j_common_ptr c) {
  auto* e = reinterpret_cast<ErrorMgr*>(c->err);
  (*c->err->format_message)(c, e->message);
  std::longjmp(e->jump, 1);
}

// Warnings (premature end of data, corrupt segments) end decoding too: a
// damaged file must not come back as a grey-filled picture.
void OnMessage(j_common_ptr c, int level) {
  if (level < 0) OnError(c);
}

constexpr int kMaxSide = 32768;
constexpr long long kMaxPixels = 64ll << 20;
}  // namespace

std::vector<std::uint8_t> EncodeJpeg(const Surface& s, int quality, bool grayscale) {
  jpeg_compress_struct cinfo;
  ErrorMgr err;
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  std::vector<std::uint8_t> out;
  std::vector<std::uint32_t> px(s.Width());
  std::vector<JSAMPLE> row(std::size_t(s.Width()) * 3);
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = OnError;
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    throw rtl::EInvalidGraphic((std::string("JPEG error: ") + err.message).c_str());
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = JDIMENSION(s.Width());
  cinfo.image_height = JDIMENSION(s.Height());
  cinfo.input_components = grayscale ? 1 : 3;
  cinfo.in_color_space = grayscale ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    s.ReadSpan(0, int(cinfo.next_scanline), s.Width(), px.data());
    for (int x = 0; x < s.Width(); ++x) {
      const std::uint32_t p = px[x];
      if (grayscale) {
        row[x] = JSAMPLE((((p >> 16) & 0xFF) * 299 + ((p >> 8) & 0xFF) * 587 + (p & 0xFF) * 114 + 500) / 1000);
      } else {
        row[x * 3] = JSAMPLE(p >> 16);
        row[x * 3 + 1] = JSAMPLE(p >> 8);
        row[x * 3 + 2] = JSAMPLE(p);
      }
    }
    JSAMPROW r = row.data();
    jpeg_write_scanlines(&cinfo, &r, 1);
  }
  jpeg_finish_compress(&cinfo);
  out.assign(buffer, buffer + size);
  jpeg_destroy_compress(&cinfo);
  std::free(buffer);
  return out;
}

std::unique_ptr<Surface> DecodeJpeg(const std::uint8_t* data, std::size_t size) {
  if (size < 4 || data[0] != 0xFF || data[1] != 0xD8) throw rtl::EInvalidGraphic("JPEG image is not valid");
  jpeg_decompress_struct cinfo;
  ErrorMgr err;
  std::unique_ptr<Surface> surface;
  std::vector<JSAMPLE> row;
  std::vector<std::uint32_t> px;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = OnError;
  err.pub.emit_message = OnMessage;
  std::strcpy(err.message, "image too large");
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    throw rtl::EInvalidGraphic((std::string("JPEG image is not valid: ") + err.message).c_str());
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
  if (cinfo.image_width == 0 || cinfo.image_height == 0 || cinfo.image_width > kMaxSide ||
      cinfo.image_height > kMaxSide || (long long)cinfo.image_width * cinfo.image_height > kMaxPixels)
    std::longjmp(err.jump, 1);
  jpeg_start_decompress(&cinfo);
  bool allocated = true;
  try {
    surface = std::make_unique<Surface>(int(cinfo.output_width), int(cinfo.output_height), 32, true);
    row.resize(std::size_t(cinfo.output_width) * cinfo.output_components);
    px.resize(cinfo.output_width);
  } catch (...) {
    allocated = false;
  }
  if (!allocated) std::longjmp(err.jump, 1);
  while (cinfo.output_scanline < cinfo.output_height) {
    const int y = int(cinfo.output_scanline);
    JSAMPROW r = row.data();
    jpeg_read_scanlines(&cinfo, &r, 1);
    std::uint32_t* out = surface->Row32(y);
    for (JDIMENSION x = 0; x < cinfo.output_width; ++x) {
      const JSAMPLE* p = row.data() + std::size_t(x) * cinfo.output_components;
      std::uint32_t R, G, B;
      if (cmyk) {  // Adobe files store inverted CMYK
        R = std::uint32_t(p[0]) * p[3] / 255;
        G = std::uint32_t(p[1]) * p[3] / 255;
        B = std::uint32_t(p[2]) * p[3] / 255;
      } else {
        R = p[0];
        G = p[1];
        B = p[2];
      }
      out[x] = 0xFF000000u | R << 16 | G << 8 | B;
    }
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return surface;
}

}  // namespace gdi
