// libFuzzer target for the JPEG, PNG and GIF readers; built and run like
// BmpFuzz.cpp (replace the file name), seeded with small files of the three
// formats (e.g. made by ffmpeg from `-f lavfi -i testsrc=size=17x9`).
// Every input must either load or raise EInvalidGraphic.
#include <cstddef>
#include <cstdint>

#include "platform/gdi/ImageFormats.h"
#include "platform/gdi/PngCodec.h"
#include "platform/rtl/Exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xD8) {
      (void)gdi::DecodeJpeg(data, size);
    } else if (size >= 3 && data[0] == 'G' && data[1] == 'I' && data[2] == 'F') {
      int key = -1;
      (void)gdi::DecodeGif(data, size, &key);
    } else {
      bool alpha = false;
      (void)gdi::DecodePng(data, size, &alpha);
    }
  } catch (const rtl::EInvalidGraphic&) {
  }
  return 0;
}
