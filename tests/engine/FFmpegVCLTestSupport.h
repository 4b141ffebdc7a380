// Shared by the task-list suites: the transcoder libraries loaded from the
// system, and small media fixtures made once per test program with the
// ffmpeg command line.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <string>

#include "EngineTestUtils.h"
#include "engine/FFmpegLoader.h"
#include "platform/rtl/Strings.h"

namespace tasklisttest {

inline void LoadTranscoderLibraries() { enginetest::LoadSystemSet(engine::TranscoderLibraries); }

// One folder for the whole program; files are made on first use.
class Fixtures {
 public:
  static Fixtures& Get() {
    static Fixtures f;
    return f;
  }
  const enginetest::TempDir& Dir() const { return dir_; }

  // A clip of the given seconds: 160x120 MPEG-4 video at 25 fps and MP2 audio in AVI.
  std::string Clip(double ASeconds) {
    std::lock_guard<std::mutex> g(lock_);
    std::string name = dir_ / ("clip" + std::to_string(static_cast<int>(ASeconds * 1000)) + ".avi");
    if (!std::filesystem::exists(name)) {
      const std::string d = std::to_string(ASeconds);
      EXPECT_TRUE(enginetest::RunFFmpeg(
          "-f lavfi -i testsrc=size=160x120:rate=25:duration=" + d +
          " -f lavfi -i sine=frequency=440:sample_rate=44100:duration=" + d +
          " -c:v mpeg4 -c:a mp2 -shortest " + name))
          << "ffmpeg could not make " << name;
    }
    return name;
  }
  // A file FFmpeg cannot open as media.
  std::string Garbage() {
    std::string name = dir_ / "garbage.avi";
    enginetest::WriteFile(name, std::string(4096, '\x5a'));
    return name;
  }

 private:
  enginetest::TempDir dir_;
  std::mutex lock_;
};

inline rtl::String U(const std::string& AUtf8) { return rtl::Utf8ToString(AUtf8); }

}  // namespace tasklisttest
