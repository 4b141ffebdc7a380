// libFuzzer target for the BMP reader. Built and run by hand, for example:
//
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I. \
//     tests/platform/gdi/fuzz/BmpFuzz.cpp platform/gdi/*.cpp platform/rtl/*.cpp \
//     $(pkg-config --cflags --libs freetype2 fontconfig libpng) -ljpeg -lgif -lz -ldl -lpthread -o /tmp/bmp_fuzz
//   /tmp/bmp_fuzz -max_total_time=300 -rss_limit_mb=2048 /tmp/bmp_corpus
//
// Seed the corpus with a few BMPs of each depth (any image tool, or ffmpeg:
// `ffmpeg -f lavfi -i testsrc=size=17x9 -frames:v 1 -pix_fmt pal8 seed8.bmp`).
// Every input must either load or raise EInvalidGraphic; anything else (a
// crash, a sanitizer report, another exception) is a finding.
#include <cstddef>
#include <cstdint>

#include "platform/gdi/Bitmap.h"
#include "platform/rtl/Exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  gdi::TBitmap b;
  try {
    gdi::ReadBmp(data, size, b);
  } catch (const rtl::EInvalidGraphic&) {
    return 0;
  }
  // A loaded picture must be usable: draw it and write it back.
  gdi::TBitmap copy(3, 3);
  copy.Canvas()->StretchDraw(rtl::Rect(0, 0, 3, 3), &b);
  (void)gdi::WriteBmp(b);
  return 0;
}
