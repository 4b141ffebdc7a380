// Helpers of the transcoder suites: the loaded library set, transcoders ready
// for options, captured log lines and media fixtures made once per process
// with the ffmpeg command line.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "EngineTestUtils.h"
#include "engine/FFmpeg.h"
#include "engine/FFmpegLogger.h"
#include "platform/rtl/Strings.h"

namespace transcodertest {

// Every engine log line, for the assertions on warnings and notices.
class LogCapture {
 public:
  static LogCapture& Get() {
    static LogCapture capture;
    return capture;
  }
  void Install() {
    engine::TFFLogger* logger = engine::GetFFLogger();
    logger->SetTriggerEventInMainThread(false);
    logger->SetLogLevel(engine::llVerbose);
    logger->SetOnLog([this](rtl::TObject*, uint32_t, engine::TLogLevel ALevel, const rtl::String& AMsg) {
      std::lock_guard<std::mutex> g(m_);
      lines_.emplace_back(ALevel, rtl::U8(AMsg));
    });
  }
  void Clear() {
    std::lock_guard<std::mutex> g(m_);
    lines_.clear();
  }
  int Count(const std::string& ASub, int ALevel = -1) {
    std::lock_guard<std::mutex> g(m_);
    int n = 0;
    for (const auto& [level, text] : lines_)
      if (text.find(ASub) != std::string::npos && (ALevel < 0 || level == ALevel)) ++n;
    return n;
  }

 private:
  std::mutex m_;
  std::vector<std::pair<engine::TLogLevel, std::string>> lines_;
};

// Media made on first use and kept for the rest of the process.
inline std::string Fixture(const std::string& AName) {
  static enginetest::TempDir dir;
  static std::map<std::string, std::string> made;
  static const std::map<std::string, std::string> recipes = {
      // 1 s of 320x240 at 25 fps with stereo 44.1 kHz sound
      {"av.mkv",
       "-f lavfi -i testsrc=size=320x240:rate=25:duration=1 -f lavfi -i "
       "'aevalsrc=sin(440*2*PI*t)|sin(660*2*PI*t):s=44100:d=1' -c:v mpeg4 -c:a pcm_s16le"},
      // 0.5 s of it, for joining
      {"short.mkv",
       "-f lavfi -i testsrc=size=320x240:rate=25:duration=0.5 -f lavfi -i "
       "sine=sample_rate=44100:duration=0.5 -c:v mpeg4 -c:a pcm_s16le"},
      {"audio.wav", "-f lavfi -i sine=frequency=440:sample_rate=22050:duration=1 -c:a pcm_s16le"},
      // mono 44.1 kHz first, stereo 48 kHz second
      {"twoaudio.mkv",
       "-f lavfi -i sine=sample_rate=44100:duration=1 -f lavfi -i "
       "'aevalsrc=sin(440*2*PI*t)|sin(660*2*PI*t):s=48000:d=1' -map 0 -map 1 -c:a pcm_s16le"},
      {"pal.mkv",
       "-f lavfi -i testsrc=size=720x576:rate=25:duration=0.2,setsar=16/15 -c:v mpeg4"},
      {"ntsc.mkv", "-f lavfi -i testsrc=size=352x240:rate=30000/1001:duration=0.2 -c:v mpeg4"},
      {"rate30.mkv", "-f lavfi -i testsrc=size=320x240:rate=30:duration=0.2 -c:v mpeg4"},
      // square pixels 4:3 shown at 16:9, and a picture whose pixels have no known shape
      {"wide.mkv", "-f lavfi -i testsrc=size=320x240:rate=25:duration=0.2,setsar=4/3 -c:v mpeg4"},
      {"nosar.nut",
       "-f lavfi -i testsrc=size=352x240:rate=25:duration=0.2,setsar=0 -c:v rawvideo -pix_fmt yuv420p"},
  };
  auto it = made.find(AName);
  if (it != made.end()) return it->second;
  std::string path = dir / AName;
  if (AName == "subs.mkv") {
    std::string srt = dir / "subs.srt";
    enginetest::WriteFile(srt, "1\n00:00:00,000 --> 00:00:00,500\nHello\n\n");
    EXPECT_TRUE(enginetest::RunFFmpeg(
        "-f lavfi -i testsrc=size=160x120:rate=25:duration=1 -i " + srt +
        " -map 0 -map 1 -c:v mpeg4 -c:s srt " + path));
  } else {
    EXPECT_TRUE(enginetest::RunFFmpeg(recipes.at(AName) + " " + path)) << AName;
  }
  made[AName] = path;
  return path;
}

class TranscoderTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    enginetest::LoadSystemSet(engine::TranscoderLibraries);
    LogCapture::Get().Install();
  }
  void SetUp() override { LogCapture::Get().Clear(); }

  // A transcoder as the task list prepares it: created and reset.
  static std::unique_ptr<engine::TCustomFFmpeg> Make(int AMaxFiles = 20) {
    auto t = std::make_unique<engine::TCustomFFmpeg>(AMaxFiles);
    t->Reset();
    return t;
  }
  static void Apply(engine::TCustomFFmpeg& T, const char* AName, const char* AValue) {
    T.ApplyOption(rtl::S(AName), rtl::S(AValue));
  }
  static bool OpenInput(engine::TCustomFFmpeg& T, const std::string& APath) {
    return T.OpenInputFile(rtl::S(APath));
  }
  static int64_t GenericInt(engine::TCustomFFmpeg& T, int AMediaType, const char* AName) {
    int64_t v = 0;
    ff::av_opt_get_int(T.FOptions.avcodec_opts[AMediaType], AName, 0, &v);
    return v;
  }
};

// The message of the exception AAction raises, or "<none>".
template <class F>
std::string MessageOf(F&& AAction) {
  try {
    AAction();
  } catch (const rtl::Exception& e) {
    return rtl::U8(e.Message());
  }
  return "<none>";
}

}  // namespace transcodertest
