// The picture's place in the display area, the audio drift correction, and
// subtitle palettes and blending.
#include <gtest/gtest.h>

#include <vector>

#include "player/PlayerMath.h"

using namespace player;

namespace {

TEST(DisplayRectTest, AspectRules) {
  struct Case {
    int areaW, areaH, picW, picH;
    AVRational sar;
    float aspect;
    TDisplayRect want;
  } cases[] = {
      {200, 124, 160, 120, {0, 1}, -1.0f, {0, 0, 200, 124}},         // fill the area
      {800, 576, 720, 576, {16, 15}, 0.0f, {16, 0, 768, 576}},       // pixel aspect, height first
      {200, 200, 160, 120, {1, 1}, 0.0f, {0, 25, 200, 150}},         // too narrow: full width, centred
      {300, 100, 160, 120, {1, 1}, 2.0f, {50, 0, 200, 100}},         // forced display aspect
  };
  for (const Case& c : cases) {
    const TDisplayRect r = CalculateDisplayRect(0, 0, c.areaW, c.areaH, c.picW, c.picH, c.sar, c.aspect);
    EXPECT_EQ(r.x, c.want.x);
    EXPECT_EQ(r.y, c.want.y);
    EXPECT_EQ(r.w, c.want.w);
    EXPECT_EQ(r.h, c.want.h);
  }
}

TEST(AudioDriftTest, CorrectsOnlyAfterTwentyMeasurementsWithinTenPercent) {
  TAudioDrift d;
  InitAudioDrift(d, 44100);
  const int size = 4096, frame = 4;
  for (int i = 0; i < 20; ++i) EXPECT_EQ(AudioCorrectedSize(d, -0.5, size, frame, 44100), size);
  EXPECT_EQ(AudioCorrectedSize(d, -0.5, size, frame, 44100), (1024 * 90 / 100) * frame) << "shortened, limited";
  EXPECT_EQ(AudioCorrectedSize(d, 0.5, size, frame, 44100), (1024 * 110 / 100) * frame) << "lengthened, limited";
  EXPECT_EQ(AudioCorrectedSize(d, 12, size, frame, 44100), size);
  EXPECT_EQ(d.avg_count, 0) << "ten seconds apart resets the filter";
}

TEST(SubtitlePaletteTest, CcirConversion) {
  EXPECT_EQ(PaletteRGBToYUV(0xFFFFFFFF), 0xFFEB8080u);
  const uint32_t yellow = PaletteRGBToYUV(0x80FFFF00);
  EXPECT_EQ(yellow >> 24, 0x80u);
  EXPECT_LT((yellow >> 8) & 0xFF, 128u);
}

TEST(SubtitleBlendTest, OpaqueRectangleIsClippedIntoThePicture) {
  const int w = 8, h = 8;
  std::vector<uint8_t> y(w * h, 16), u(w * h / 4, 128), v(w * h / 4, 128);
  uint8_t* planes[3] = {y.data(), u.data(), v.data()};
  const int pitches[3] = {w, w / 2, w / 2};
  const uint32_t palette[2] = {0x00000000, 0xFFEB8080};
  std::vector<uint8_t> idx(4 * 4, 1);
  BlendSubtitle(planes, pitches, w, h, idx.data(), 4, palette, 6, 6, 4, 4);  // hangs over the corner
  EXPECT_EQ(y[4 * w + 4], 235) << "moved inside the picture";
  EXPECT_EQ(y[7 * w + 7], 235);
  EXPECT_EQ(y[3 * w + 3], 16);
}

TEST(VideoFilterDescriptionTest, MotionVectorsComeBeforeTheCallersFilters) {
  struct Case {
    int debugMv;
    const char* filters;
    const char* want;
  } cases[] = {
      {0, "", ""},
      {0, "hflip", "hflip"},
      {1, "", "codecview=mv=pf"},
      {7, "", "codecview=mv=pf+bf+bb"},
      {6, "hflip", "codecview=mv=bf+bb,hflip"},
      {8, "", ""},  // no vector kind asked for
  };
  for (const Case& c : cases) EXPECT_EQ(VideoFilterDescription(c.debugMv, c.filters), c.want) << c.debugMv;
}

}  // namespace
