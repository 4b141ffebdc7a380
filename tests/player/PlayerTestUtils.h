// Helpers of the player suite: the player's libraries, SDL's headless
// drivers, media made with the ffmpeg tool on first use, and a recorder of
// the player's events with bounded waits.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "engine/FFmpegLoader.h"
#include "platform/gdi/Bitmap.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Threads.h"
#include "player/FFPlay.h"
#include "tests/engine/probe/ProbeTestUtils.h"

namespace playertest {

// Media made with the ffmpeg tool on first use (the probe suite's recipes).
using Media = probetest::Media;

inline void UseHeadlessSDL() {
  ::setenv("SDL_VIDEODRIVER", "dummy", 1);
  ::setenv("SDL_AUDIODRIVER", "dummy", 1);
  ::unsetenv("DISPLAY");
}

inline void LoadPlayerLibraries() {
  engine::TFFmpegLoader::SetLibraryPath(u"");
  ASSERT_TRUE(engine::TFFmpegLoader::Load(engine::PlayerLibraries))
      << rtl::U8(engine::TFFmpegLoader::GetLastErrMsg());
}

// Mean absolute difference of two 24-bit bitmaps of one size (1e9 when
// their sizes differ or they are empty).
inline double Difference(gdi::TBitmap& A, gdi::TBitmap& B) {
  if (A.Width() != B.Width() || A.Height() != B.Height() || A.Width() == 0) return 1e9;
  double sum = 0;
  for (int y = 0; y < A.Height(); ++y) {
    const auto* a = static_cast<const uint8_t*>(A.ScanLine(y));
    const auto* b = static_cast<const uint8_t*>(B.ScanLine(y));
    for (int x = 0; x < A.Width() * 3; ++x) sum += std::abs(a[x] - b[x]);
  }
  return sum / (A.Width() * A.Height() * 3.0);
}

// Records states and positions; waits are bounded, never fixed sleeps.
class Recorder {
 public:
  void Attach(player::TCustomPlayer& P) {
    P.OnState = [this](rtl::TObject*, player::TPlayState s) {
      std::lock_guard g(lock_);
      states_.push_back(s);
      cond_.notify_all();
    };
    P.OnPosition = [this](rtl::TObject*, int64_t pts) {
      std::lock_guard g(lock_);
      positions_.push_back(pts);
      cond_.notify_all();
    };
  }
  // True when AState has been recorded ACount times within the time.
  bool WaitState(player::TPlayState AState, int ACount = 1, int ASeconds = 10) {
    std::unique_lock g(lock_);
    return cond_.wait_for(g, std::chrono::seconds(ASeconds),
                          [&] { return std::count(states_.begin(), states_.end(), AState) >= ACount; });
  }
  std::vector<player::TPlayState> States() {
    std::lock_guard g(lock_);
    return states_;
  }
  std::vector<int64_t> Positions() {
    std::lock_guard g(lock_);
    return positions_;
  }
  void Clear() {
    std::lock_guard g(lock_);
    states_.clear();
    positions_.clear();
  }

 private:
  std::mutex lock_;
  std::condition_variable cond_;
  std::vector<player::TPlayState> states_;
  std::vector<int64_t> positions_;
};

// A player with the headless drivers whose events run on the engine's
// threads and are recorded.
class PlayerFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    rtl::InitMainThread();
    UseHeadlessSDL();
    LoadPlayerLibraries();
    player_ = std::make_unique<player::TRIDodevu>(nullptr);
    player_->SetTriggerEventInMainThread(false);
    rec_.Attach(*player_);
  }
  void TearDown() override { player_.reset(); }

  std::unique_ptr<player::TRIDodevu> player_;
  Recorder rec_;
};

}  // namespace playertest
