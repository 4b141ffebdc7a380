// Helpers of the probe suites: the probe's libraries, media made with the
// ffmpeg tool on first use in a fresh temporary folder, and a logger spy.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "engine/FFmpegLoader.h"
#include "engine/FFmpegLogger.h"
#include "platform/rtl/Strings.h"

namespace probetest {

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream(path, std::ios::binary) << content;
}

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
  std::string Dir() const { return dir_; }
  std::string PathOf(const std::string& name) const { return dir_ + "/" + name; }

  // The fixture's full path, made on first use; an empty string (and a
  // test failure) when the ffmpeg tool cannot make it.
  std::string operator()(const std::string& name) {
    std::lock_guard lock(lock_);
    const std::string path = PathOf(name);
    if (std::filesystem::exists(path)) return path;
    const auto it = Commands().find(name);
    if (it == Commands().end()) {
      ADD_FAILURE() << "no recipe for " << name;
      return {};
    }
    if (name == "multi.mkv") WriteFile(PathOf("notes.txt"), "fixture notes\n");
    if (name == "subs.mkv") WriteFile(PathOf("subs.srt"), "1\n00:00:00,100 --> 00:00:00,800\nHello\n\n");
    const std::string cmd = "cd '" + dir_ + "' && ffmpeg -v error -nostdin -y " + it->second +
                            " '" + name + "' </dev/null >/dev/null 2>&1";
    if (std::system(cmd.c_str()) != 0 || !std::filesystem::exists(path)) {
      ADD_FAILURE() << "ffmpeg could not make " << name;
      return {};
    }
    return path;
  }

 private:
  Media() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "tvl-probe-XXXXXX").string();
    if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
    dir_ = tmpl;
  }

  static const std::map<std::string, std::string>& Commands() {
    static const std::map<std::string, std::string> commands = {
        {"av.mp4",
         "-f lavfi -i testsrc=size=160x120:rate=25:duration=2 "
         "-f lavfi -i sine=frequency=440:sample_rate=44100:duration=2 -map 0:v -map 1:a "
         "-c:v mpeg4 -q:v 5 -g 10 -bf 0 -pix_fmt yuv420p -c:a aac -b:a 48k -ac 2 "
         "-metadata title='Fixture Title' -metadata comment=probe -metadata artist=Someone "
         "-metadata date=2019 -metadata track=3 -metadata creation_time=2020-01-02T03:04:05Z "
         "-shortest"},
        {"twocolor.mkv",
         "-f lavfi -i 'color=c=red:size=64x48:rate=25:duration=1,"
         "drawbox=x=0:y=0:w=64:h=12:color=blue:t=fill' -c:v mpeg4 -q:v 2 -pix_fmt yuv420p"},
        {"rawbgr.nut",
         "-f lavfi -i 'color=c=red:size=64x48:rate=25:duration=0.2,"
         "drawbox=x=0:y=0:w=64:h=12:color=blue:t=fill' -c:v rawvideo -pix_fmt bgr24"},
        {"rawodd.nut",
         "-f lavfi -i 'color=c=red:size=66x50:rate=25:duration=0.2,"
         "drawbox=x=0:y=0:w=66:h=12:color=blue:t=fill' -s 33x25 -c:v rawvideo -pix_fmt bgr24"},
        {"tone.wav", "-f lavfi -i sine=frequency=1000:sample_rate=22050:duration=1 -ac 1 -c:a pcm_s16le"},
        {"multi.mkv",
         "-f lavfi -i testsrc=size=160x120:rate=25:duration=1 -f lavfi -i sine=f=440:d=1 "
         "-f lavfi -i sine=f=880:d=1 -map 0 -map 1 -map 2 -c:v mpeg4 -c:a aac "
         "-attach notes.txt -metadata:s:t mimetype=text/plain"},
        {"dub.mkv",
         "-f lavfi -i testsrc=size=160x120:rate=25:duration=1 -f lavfi -i sine=f=440:d=1 "
         "-f lavfi -i sine=f=880:d=1 -map 0 -map 1 -map 2 -c:v mpeg4 -c:a aac "
         "-disposition:a:0 0 -disposition:a:1 default"},
        {"subs.mkv",
         "-f lavfi -i testsrc=size=160x120:rate=25:duration=1 -i subs.srt -map 0 -map 1 "
         "-c:v mpeg4 -c:s srt"},
        {"av.ts",
         "-f lavfi -i testsrc=size=160x120:rate=25:duration=1 -f lavfi -i sine=f=440:d=1 "
         "-c:v mpeg2video -c:a mp2"},
        {"gop.ts",
         "-f lavfi -i testsrc=size=160x120:rate=25:duration=2 -c:v mpeg2video -g 10 -bf 0"},
        {"bframes.mkv",
         "-f lavfi -i testsrc=size=160x120:rate=25:duration=2 -c:v libx264 -preset ultrafast "
         "-bf 2 -g 25 -pix_fmt yuv420p"},
        // The container says 16:9 while the pictures say square pixels.
        {"wide.mkv",
         "-f lavfi -i testsrc=size=64x48:rate=25:duration=0.2 -c:v mpeg4 square.mkv && "
         "ffmpeg -v error -nostdin -y -i square.mkv -c copy -aspect 16:9"},
        {"still.png", "-f lavfi -i testsrc=size=64x48 -frames:v 1"},
        {"video.mkv",
         "-f lavfi -i testsrc=size=160x120:rate=25:duration=2 -c:v mpeg4 -q:v 5 -g 10 -bf 0 -pix_fmt yuv420p"},
        // Sound that goes on for a second after the last picture.
        {"longaudio.mkv",
         "-f lavfi -i testsrc=size=160x120:rate=25:duration=1 "
         "-f lavfi -i sine=frequency=440:sample_rate=44100:duration=2 "
         "-map 0:v -map 1:a -c:v mpeg4 -q:v 5 -g 10 -c:a aac -b:a 48k"},
        // Streams that start late, as camcorder, DVD and broadcast files do.
        {"late.ts",
         "-f lavfi -i testsrc=size=160x120:rate=25:duration=2 -f lavfi -i sine=f=440:d=2 "
         "-c:v mpeg2video -q:v 4 -g 12 -bf 0 -c:a mp2 -output_ts_offset 1.4"},
        {"late10h.ts",
         "-f lavfi -i testsrc=size=160x120:rate=25:duration=2 -f lavfi -i sine=f=440:d=2 "
         "-c:v mpeg2video -q:v 4 -g 12 -bf 0 -c:a mp2 -output_ts_offset 36000"},
        {"late.mpg",
         "-f lavfi -i testsrc=size=160x120:rate=25:duration=2 -f lavfi -i sine=f=440:d=2 "
         "-c:v mpeg2video -q:v 4 -g 12 -bf 0 -c:a mp2 -f mpeg -output_ts_offset 1.4"},
        // AAC priming kept as time before zero: the stream starts at -23 ms.
        {"early.mkv", "-f lavfi -i sine=f=440:d=1 -c:a aac -avoid_negative_ts disabled"},
        {"cover.m4a",
         "-f lavfi -i sine=f=440:d=2 -f lavfi -i testsrc=size=64x64:duration=0.04 -map 0:a "
         "-map 1:v -c:a aac -c:v png -disposition:v:0 attached_pic"},
    };
    return commands;
  }

  std::mutex lock_;
  std::string dir_;
};

inline void LoadProbeLibraries() {
  engine::TFFmpegLoader::SetLibraryPath(u"");
  ASSERT_TRUE(engine::TFFmpegLoader::Load(engine::ProbeLibraries))
      << rtl::U8(engine::TFFmpegLoader::GetLastErrMsg());
}

struct LogLine {
  rtl::TObject* Sender;
  engine::TLogLevel Level;
  std::string Text;
};

// Records the lines the logger raises while it lives, on the logging thread.
class LogSpy {
 public:
  LogSpy() {
    engine::TFFLogger* logger = engine::GetFFLogger();
    logger->SetTriggerEventInMainThread(false);
    logger->SetOnLog([this](rtl::TObject* Sender, uint32_t, engine::TLogLevel ALevel,
                            const rtl::String& AMsg) {
      std::lock_guard lock(lock_);
      lines_.push_back({Sender, ALevel, rtl::U8(AMsg)});
    });
  }
  ~LogSpy() { engine::GetFFLogger()->SetOnLog(nullptr); }
  // The lines that the given sender logged.
  std::vector<LogLine> From(const rtl::TObject* ASender) {
    std::lock_guard lock(lock_);
    std::vector<LogLine> out;
    for (const LogLine& l : lines_)
      if (l.Sender == ASender) out.push_back(l);
    return out;
  }
  void Clear() {
    std::lock_guard lock(lock_);
    lines_.clear();
  }

 private:
  std::mutex lock_;
  std::vector<LogLine> lines_;
};

}  // namespace probetest
