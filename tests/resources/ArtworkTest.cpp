// The program's artwork: every picture the forms name is there, decodes at
// its size, and keys out by its bottom-left pixel; the chime is a playable
// PCM wave.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "resources/tvlResources.h"
#include "skin/data/bsSkinPicture.h"

namespace {

struct Expected {
  std::string name;
  int w, h;
};

TEST(Artwork, PicturesDecodeAtTheirSizes) {
  std::vector<Expected> all;
  for (int i = 2; i <= 15; ++i) all.push_back({"glyphs/Image" + std::to_string(i) + ".bmp", 32, 32});
  all.push_back({"glyphs/Image16.bmp", 16, 16});
  all.push_back({"glyphs/Image17.bmp", 16, 16});
  all.push_back({"glyphs/Options.bmp", 32, 32});
  all.push_back({"glyphs/Skin.bmp", 32, 32});
  for (const char* p : {"Play", "Pause", "Stop", "Sound", "Mute", "Snapshot", "Settings"})
    all.push_back({std::string("glyphs/Player") + p + ".bmp", 20, 20});
  all.push_back({"imagelists/ImageList1.bmp", 44 * 32, 32});
  all.push_back({"imagelists/ImageList2.bmp", 7 * 32, 32});
  all.push_back({"pictures/logo.bmp", 64, 64});
  all.push_back({"pictures/Image1.bmp", 480, 260});
  for (int s : {16, 32, 48, 64}) all.push_back({"icons/program" + std::to_string(s) + ".bmp", s, s});
  for (const Expected& e : all) {
    const resources::TResource* r = resources::FindResource(e.name);
    ASSERT_NE(r, nullptr) << e.name;
    skin::TbsSkinPicture p;
    p.LoadFromBytes(r->Data, r->Size);
    EXPECT_EQ(p.Width(), e.w) << e.name;
    EXPECT_EQ(p.Height(), e.h) << e.name;
    EXPECT_EQ(p.BitCount(), 32) << e.name;
    const auto px = p.ToPixels();
    // Transparent corner keyed in magenta, and something drawn.
    EXPECT_EQ(px[size_t(e.h - 1) * size_t(e.w)] & 0xFFFFFF, 0xFF00FFu) << e.name;
    size_t drawn = 0;
    for (auto v : px) drawn += (v & 0xFFFFFF) != 0xFF00FF;
    EXPECT_GT(drawn, px.size() / 10) << e.name;
  }
  EXPECT_EQ(resources::FindResource("glyphs/Image18.bmp"), nullptr);
}

TEST(Artwork, DimmedGlyphsDifferFromTheirNormalLooks) {
  for (int i = 2; i <= 16; i += 2) {
    const int dimmed = i == 16 ? 17 : i, normal = i == 16 ? 16 : i + 1;
    const auto* a = resources::FindResource("glyphs/Image" + std::to_string(dimmed) + ".bmp");
    const auto* b = resources::FindResource("glyphs/Image" + std::to_string(normal) + ".bmp");
    ASSERT_TRUE(a && b);
    EXPECT_NE(std::vector<std::uint8_t>(a->Data, a->Data + a->Size), std::vector<std::uint8_t>(b->Data, b->Data + b->Size));
  }
}

TEST(Artwork, ChimeIsAShortPcmWave) {
  const resources::TResource* r = resources::FindResource("sounds/ring001.wav");
  ASSERT_NE(r, nullptr);
  ASSERT_GT(r->Size, 44u);
  EXPECT_EQ(std::memcmp(r->Data, "RIFF", 4), 0);
  EXPECT_EQ(std::memcmp(r->Data + 8, "WAVEfmt ", 8), 0);
  auto u16 = [&](size_t at) { return unsigned(r->Data[at] | (r->Data[at + 1] << 8)); };
  auto u32 = [&](size_t at) { return u16(at) | (u16(at + 2) << 16); };
  EXPECT_EQ(u16(20), 1u);       // PCM
  EXPECT_EQ(u16(22), 1u);       // mono
  EXPECT_EQ(u32(24), 44100u);   // rate
  EXPECT_EQ(u16(34), 16u);      // bits
  const unsigned dataBytes = u32(40);
  EXPECT_EQ(dataBytes + 44, r->Size);
  const double seconds = dataBytes / 2.0 / 44100.0;
  EXPECT_GT(seconds, 0.5);
  EXPECT_LT(seconds, 3.0);
  // Audible, not clipped, and silent at its end.
  int peak = 0, last = 0;
  for (size_t i = 44; i + 1 < r->Size; i += 2) {
    const int v = std::abs(int(std::int16_t(u16(i))));
    peak = std::max(peak, v);
    last = v;
  }
  EXPECT_GT(peak, 8000);
  EXPECT_LT(peak, 32767);
  EXPECT_LT(last, 50);
}

}  // namespace
