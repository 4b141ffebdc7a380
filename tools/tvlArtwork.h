// The program's own pictures and sound: command glyphs, image lists, logo,
// empty-queue picture, icons and the completion chime.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/tvlRaster.h"

namespace tools {

struct Artwork {
  std::string Name;  // resource name, e.g. "glyphs/Image3.bmp"
  Image Picture;     // empty for the sound
  std::vector<std::uint8_t> Bytes;
};

// Pictures are 32-bit BMPs with straight alpha; fully transparent pixels are
// magenta, so that a reader that ignores alpha can key them out by the
// bottom-left pixel.
std::vector<Artwork> DrawArtwork();

// ring001.wav: a short two-note bell chime, 44.1 kHz, 16-bit mono PCM.
std::vector<std::uint8_t> SynthesizeChime();

}  // namespace tools
