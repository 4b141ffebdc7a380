// What reaches the screen and the speakers: the picture as drawn into the
// video surface (placed and scaled into the area), and the sound, which
// starts with the first picture instead of running ahead of it.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "engine/FFEntries.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/ImageFormats.h"
#include "platform/rtl/Threads.h"
#include "tests/player/PlayerTestUtils.h"

using namespace player;
using playertest::Media;
using rtl::S;
using rtl::U8;

namespace {

class PlayerShowTest : public playertest::PlayerFixture {
 protected:
  void TearDown() override {
    PlayerFixture::TearDown();
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
  }

  // Waits until a picture is on screen (its time known).
  bool WaitPicture() {
    int64_t pts = -1;
    for (int i = 0; i < 500 && pts < 0; ++i) {
      player_->CurrentFrame(pts);
      if (pts < 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return pts >= 0;
  }
};

// The surface pixel at (x, y) as 0xRRGGBB (the dummy driver's 32 bits).
uint32_t SurfacePixel(int x, int y) {
  SDL_Surface* s = ff::SDL_GetVideoSurface();
  if (!s || s->format->BytesPerPixel != 4) return 0xDEAD;
  const auto* row = static_cast<const uint8_t*>(s->pixels) + y * s->pitch;
  uint32_t v;
  std::memcpy(&v, row + x * 4, 4);
  const SDL_PixelFormat* f = s->format;
  auto part = [&](uint32_t mask, int shift) { return ((v & mask) >> shift) & 0xFF; };
  return part(f->Rmask, f->Rshift) << 16 | part(f->Gmask, f->Gshift) << 8 | part(f->Bmask, f->Bshift);
}

// Loose colour classes: the coded colours come back within a few steps.
bool IsBlue(uint32_t c) { return (c & 0xFF) > 200 && (c >> 16) < 60 && ((c >> 8) & 0xFF) < 60; }
bool IsRed(uint32_t c) { return (c >> 16) > 200 && (c & 0xFF) < 60 && ((c >> 8) & 0xFF) < 60; }

// The surface as a picture in the build folder, to look at.
void SaveSurface(const std::string& AName) {
  SDL_Surface* s = ff::SDL_GetVideoSurface();
  if (!s) return;
  gdi::TPicture pic;
  gdi::TBitmap* bmp = pic.Bitmap();
  bmp->SetPixelFormat(gdi::pf24bit);
  bmp->SetSize(s->w, s->h);
  for (int y = 0; y < s->h; ++y) {
    auto* row = static_cast<uint8_t*>(bmp->ScanLine(y));
    for (int x = 0; x < s->w; ++x) {
      const uint32_t c = SurfacePixel(x, y);
      row[3 * x] = c & 0xFF;
      row[3 * x + 1] = (c >> 8) & 0xFF;
      row[3 * x + 2] = c >> 16;
    }
  }
  pic.SaveToFile(S(std::string(TVL_PLAYER_PICTURES "/") + AName));
}

TEST_F(PlayerShowTest, SurfaceShowsThePictureFittedIntoItsArea) {
  // The 64 x 48 picture: a blue band over the top quarter, red below.
  struct Case {
    int w, h;        // the area
    int x0, x1;      // picture columns expected (the rest black bars)
  } cases[] = {
      {64, 48, 0, 64},      // its own size
      {200, 124, 18, 182},  // scaled to the height, centred: 164 columns
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.w);
    player_->SetScreenWidth(c.w);
    player_->SetScreenHeight(c.h);
    ASSERT_TRUE(player_->Open(S(Media::Get()("twocolor.mkv")), nullptr, true)) << U8(player_->LastErrMsg());
    ASSERT_TRUE(rec_.WaitState(psPause));
    ASSERT_TRUE(WaitPicture());
    // A paused open may still show its next picture: read the surface while
    // the player holds it still.
    auto hold = player_->HoldPicture();
    SDL_Surface* s = ff::SDL_GetVideoSurface();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->w, c.w);
    EXPECT_EQ(s->h, c.h);
    SaveSurface("player-surface-" + std::to_string(c.w) + "x" + std::to_string(c.h) + ".png");
    const int mid = (c.x0 + c.x1) / 2;
    EXPECT_TRUE(IsBlue(SurfacePixel(mid, c.h / 16))) << std::hex << SurfacePixel(mid, c.h / 16);
    EXPECT_TRUE(IsRed(SurfacePixel(mid, c.h * 3 / 4))) << std::hex << SurfacePixel(mid, c.h * 3 / 4);
    EXPECT_TRUE(IsRed(SurfacePixel(c.x0 + 1, c.h - 2)));
    EXPECT_TRUE(IsRed(SurfacePixel(c.x1 - 2, c.h - 2)));
    // The bars beside the picture stay black up to its edges, on every row.
    for (int y = 0; y < c.h && c.x0 > 0; ++y) {
      EXPECT_EQ(SurfacePixel(c.x0 - 1, y), 0u) << "left bar, row " << y;
      EXPECT_EQ(SurfacePixel(c.x1, y), 0u) << "right bar, row " << y;
    }
    hold.unlock();
    player_->Stop(true);
    rec_.Clear();
  }
}

// Samples of the sound SDL's disk driver wrote (16-bit stereo).
std::vector<int16_t> ReadSound(const std::string& APath) {
  std::ifstream in(APath, std::ios::binary);
  std::string data((std::istreambuf_iterator<char>(in)), {});
  std::vector<int16_t> s(data.size() / 2);
  std::memcpy(s.data(), data.data(), s.size() * 2);
  return s;
}

// Seconds of sound (44.1 kHz stereo) before the first clearly audible sample;
// -1 when there is none.
double SilenceBeforeSound(const std::vector<int16_t>& ASamples) {
  for (size_t i = 0; i < ASamples.size(); ++i)
    if (std::abs(ASamples[i]) > 2000) return static_cast<double>(i / 2) / 44100.0;
  return -1;
}

TEST_F(PlayerShowTest, SoundStartsWithTheFirstPictureAndNeverWaitsForAVideoThatShowsNothing) {
  const std::string out = std::filesystem::path(Media::Get()("av.mp4")).parent_path().string() + "/show.raw";
  ::setenv("SDL_AUDIODRIVER", "disk", 1);
  ::setenv("SDL_DISKAUDIOFILE", out.c_str(), 1);
  ::setenv("SDL_DISKAUDIODELAY", "20", 1);  // about the pace of the sound
  player_->SetScreenWidth(160);
  player_->SetScreenHeight(120);
  // The first picture takes a second to get ready.
  std::atomic<int> calls{0};
  player_->SetHook(true);
  player_->OnHook = [&](rtl::TObject*, gdi::TBitmap*, int64_t) {
    if (calls++ == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  };
  ASSERT_TRUE(player_->Open(S(Media::Get()("av.mp4")), nullptr, false)) << U8(player_->LastErrMsg());
  ASSERT_TRUE(rec_.WaitState(psEnd, 1, 20));
  player_->Stop(true);
  rec_.Clear();
  const auto waited = ReadSound(out);
  EXPECT_GT(SilenceBeforeSound(waited), 0.8) << "the sound waited for the picture";

  // A video whose filters cannot be set up shows nothing; the sound plays.
  player_->SetHook(false);
  player_->SetVideoFilters(u"nosuchfilter");
  ASSERT_TRUE(player_->Open(S(Media::Get()("av.mp4")), nullptr, false)) << U8(player_->LastErrMsg());
  ASSERT_TRUE(rec_.WaitState(psEnd, 1, 20));
  player_->Stop(true);
  const auto alone = ReadSound(out);
  const double silence = SilenceBeforeSound(alone);
  EXPECT_GE(silence, 0.0) << "the sound played";
  EXPECT_LT(silence, 0.8);
}

}  // namespace
