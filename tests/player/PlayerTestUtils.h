// Helpers of the player suite: the player's libraries, SDL's headless
// drivers, media made with the ffmpeg tool on first use, and a recorder of
// the player's events with bounded waits.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "engine/FFmpegLoader.h"
#include "platform/rtl/Strings.h"
#include "player/FFPlay.h"

namespace playertest {

// Generated media, one temporary folder per test process, removed at exit.
class Media {
 public:
  static Media& Get() {
    static Media media;
    return media;
  }
  ~Media() {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
  std::string PathOf(const std::string& name) const { return dir_ + "/" + name; }

  std::string operator()(const std::string& name) {
    std::lock_guard lock(lock_);
    const std::string path = PathOf(name);
    if (std::filesystem::exists(path)) return path;
    const auto it = Commands().find(name);
    if (it == Commands().end()) {
      ADD_FAILURE() << "no recipe for " << name;
      return {};
    }
    const std::string cmd = "cd '" + dir_ + "' && ffmpeg -v error -nostdin -y " + it->second + " '" + name +
                            "' </dev/null >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0 || !std::filesystem::exists(path)) {
      ADD_FAILURE() << "ffmpeg could not make " << name;
      return {};
    }
    return path;
  }

 private:
  Media() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "tvl-player-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    dir_ = tmpl;
  }

  static const std::map<std::string, std::string>& Commands() {
    static const std::string kVideo = "-f lavfi -i testsrc=size=160x120:rate=25:duration=2 ";
    static const std::string kSine = "-f lavfi -i sine=frequency=440:sample_rate=44100:duration=2 ";
    static const std::map<std::string, std::string> commands = {
        {"av.mp4", kVideo + kSine +
                       "-map 0:v -map 1:a -c:v mpeg4 -q:v 5 -g 10 -bf 0 -pix_fmt yuv420p -c:a aac -b:a 48k "
                       "-ac 2 -shortest"},
        {"video.mkv", kVideo + "-c:v mpeg4 -q:v 5 -g 10 -bf 0 -pix_fmt yuv420p"},
        {"tone.wav", "-f lavfi -i sine=frequency=1000:sample_rate=22050:duration=1 -ac 1 -c:a pcm_s16le"},
        {"longaudio.mkv", "-f lavfi -i testsrc=size=160x120:rate=25:duration=1 " + kSine +
                              "-map 0:v -map 1:a -c:v mpeg4 -q:v 5 -g 10 -c:a aac -b:a 48k"},
        {"twocolor.mkv",
         "-f lavfi -i 'color=c=red:size=64x48:rate=25:duration=1,"
         "drawbox=x=0:y=0:w=64:h=12:color=blue:t=fill' -c:v mpeg4 -q:v 2 -pix_fmt yuv420p"},
        // Streams that start late, as camcorder, DVD and broadcast files do.
        {"late.ts", kVideo + kSine + "-c:v mpeg2video -q:v 4 -g 12 -bf 0 -c:a mp2 -output_ts_offset 1.4"},
        {"late10h.ts", kVideo + kSine + "-c:v mpeg2video -q:v 4 -g 12 -bf 0 -c:a mp2 -output_ts_offset 36000"},
        {"late.mpg", kVideo + kSine + "-c:v mpeg2video -q:v 4 -g 12 -bf 0 -c:a mp2 -f mpeg -output_ts_offset 1.4"},
    };
    return commands;
  }

  std::mutex lock_;
  std::string dir_;
};

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

}  // namespace playertest
