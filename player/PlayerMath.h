// Arithmetic of the preview player that needs neither threads nor SDL: the
// picture's place in the display area, the audio drift correction and the
// subtitle palette conversion.
#pragma once

#include <cstdint>
#include <string>

extern "C" {
#include <libavutil/rational.h>
}

namespace player {

struct TDisplayRect {
  int x = 0, y = 0, w = 0, h = 0;
};

// Where a picture of APicW x APicH with pixel aspect ASar goes inside the
// area: AAspectRatio < 0 fills the area, > 0 forces that display aspect, 0
// takes the picture's own. Height is fitted first; sizes are made even and
// the picture is centred.
TDisplayRect CalculateDisplayRect(int AAreaX, int AAreaY, int AAreaW, int AAreaH, int APicW, int APicH,
                                  AVRational ASar, float AAspectRatio);

// The drift filter of the audio correction (used when audio is not the
// master clock).
struct TAudioDrift {
  double cum = 0;
  double avg_coef = 0;   // exp(ln(0.01) / 20)
  double threshold = 0;  // 2048 / sample rate
  int avg_count = 0;
};
void InitAudioDrift(TAudioDrift& ADrift, int ASampleRate);
// The number of bytes to play of a block of ASize bytes (AFrameBytes per
// sample frame) when the audio clock is ADiff seconds ahead of the master
// (negative: behind): at most 10 % shorter or longer, only once 20
// measurements agree; a difference of 10 s or more resets the filter.
int AudioCorrectedSize(TAudioDrift& ADrift, double ADiff, int ASize, int AFrameBytes, int ASampleRate);

// One palette entry 0xAARRGGBB to 0xAAYYUUVV by the CCIR 601 integer formulas.
uint32_t PaletteRGBToYUV(uint32_t AArgb);

// Blends one palettised subtitle rectangle (indexes in AIndexes with line
// size AIndexPitch, palette of 0xAAYYUUVV) into a planar 4:2:0 picture of
// AImageW x AImageH; the rectangle is clipped into the picture.
void BlendSubtitle(uint8_t* const APlanes[3], const int APitches[3], int AImageW, int AImageH,
                   const uint8_t* AIndexes, int AIndexPitch, const uint32_t* APalette, int ARectX, int ARectY,
                   int ARectW, int ARectH);

// The video filter graph of the player: the motion vectors asked for by
// ADebugMv (1 forward vectors of P pictures, 2 forward and 4 backward ones
// of B pictures) drawn first, then the caller's filters.
std::string VideoFilterDescription(int ADebugMv, const std::string& AFilters);

}  // namespace player
