// Conversions of the kinds of files users bring: an output named like its
// input, inputs with nothing to convert for a stream, timestamps that jump
// near the 64-bit limit, phone videos shown turned, MP3s with cover art, low
// frame rates, damaged and missing files and an output folder that refuses
// writing; and the progress an H.264 conversion reports.
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <vector>

#include "engine/FFmpeg.h"
#include "engine/FFmpegLogger.h"
#include "engine/TranscodeRun.h"
#include "tests/engine/TranscodeTestUtils.h"

using namespace engine;
using transcodetest::CountFrames;
using transcodetest::Probe;
using transcodetest::ShiftOggGranules;
using transcodetest::ToDouble;

namespace {

class RealWorldTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    enginetest::LoadSystemSet(TranscoderLibraries);
    GetFFLogger()->SetTriggerEventInMainThread(false);
  }

  // Media made once per process.
  static std::string Fixture(const std::string& AName) {
    static enginetest::TempDir dir;
    static std::map<std::string, std::string> made;
    if (auto it = made.find(AName); it != made.end()) return it->second;
    const std::string path = dir / AName;
    const std::string clip = "-f lavfi -i testsrc=size=160x120:rate=25:duration=1 -f lavfi -i sine=duration=1 ";
    if (AName == "av.mp4") {
      EXPECT_TRUE(enginetest::RunFFmpeg(clip + "-c:v mpeg4 -c:a aac -movflags faststart " + path));
    } else if (AName == "noaudio.mkv") {
      // An AAC track that holds no packet at all.
      EXPECT_TRUE(enginetest::RunFFmpeg(clip + "-map 0 -map 1 -c:v mpeg4 -c:a aac -frames:a 0 " + path));
    } else if (AName == "cut.mkv") {
      // Everything up to the first bytes of the media data: the streams are
      // described, none of their data is there.
      const std::string whole = dir / "whole.mkv";
      EXPECT_TRUE(enginetest::RunFFmpeg(clip + "-c:v mpeg4 -c:a aac " + whole));
      const std::string data = enginetest::ReadFile(whole);
      enginetest::WriteFile(path, data.substr(0, data.find("\x1f\x43\xb6\x75") + 40));
    } else if (AName == "firstpicture.mp4" || AName == "half.mp4") {
      // A download of an MP4 whose index comes first, cut after its first
      // picture, or at half its length (3 s of H.264 that holds no picture
      // back, and AAC).
      const std::string whole = dir / "faststart.mp4";
      if (!std::filesystem::exists(whole)) {
        EXPECT_TRUE(enginetest::RunFFmpeg(
            "-f lavfi -i testsrc=size=320x240:rate=25:duration=3 -f lavfi -i sine=duration=3 -c:v libx264 -bf 0 "
            "-c:a aac -movflags faststart " + whole));
      }
      const std::string data = enginetest::ReadFile(whole);
      size_t cut = data.size() / 2;
      if (AName == "firstpicture.mp4") {
        // The end of the first video packet, as ffprobe places it.
        FILE* f = popen(("ffprobe -v error -select_streams v:0 -show_entries packet=pos,size -of csv=p=0 '" + whole +
                         "' 2>/dev/null | head -1").c_str(), "r");
        long long pos = 0, size = 0;
        if (f) {
          EXPECT_EQ(2, fscanf(f, "%lld,%lld", &size, &pos));
          pclose(f);
        }
        cut = static_cast<size_t>(pos + size);
      }
      enginetest::WriteFile(path, data.substr(0, cut));
    } else if (AName == "long.mp4") {
      EXPECT_TRUE(enginetest::RunFFmpeg(
          "-f lavfi -i testsrc=size=320x240:rate=25:duration=4 -f lavfi -i sine=duration=4 -c:v mpeg4 -c:a aac " +
          path));
    } else if (AName == "jump.ogg") {
      // 14 Theora pictures at 10 fps whose timestamps leap to near the
      // 64-bit limit from the fifth page on.
      const std::string plain = dir / "plain.ogg";
      EXPECT_TRUE(enginetest::RunFFmpeg("-f lavfi -i testsrc=size=160x120:rate=10:duration=1.4 -c:v libtheora -g 5 " +
                                        plain));
      enginetest::WriteFile(path, ShiftOggGranules(enginetest::ReadFile(plain), 4, 0x7ffffffff0000000ull));
    } else if (AName == "rotated.mp4") {
      // White above, black below, shown turned by a quarter.
      const std::string plain = dir / "upright.mp4";
      EXPECT_TRUE(enginetest::RunFFmpeg(
          "-f lavfi -i color=white:s=320x240:d=0.4,drawbox=y=120:h=120:color=black:t=fill -c:v mpeg4 -q:v 2 " +
          plain));
      EXPECT_TRUE(enginetest::RunFFmpeg("-i " + plain + " -c copy -metadata:s:v rotate=90 " + path));
    } else if (AName == "cover.mp3") {
      EXPECT_TRUE(enginetest::RunFFmpeg(
          "-f lavfi -i sine=duration=2 -f lavfi -i color=red:s=64x64:d=1 -map 0 -map 1 -c:a libmp3lame -c:v mjpeg "
          "-frames:v 1 -disposition:v attached_pic -id3v2_version 3 " + path));
    } else if (AName == "empty.mp4") {
      enginetest::WriteFile(path, "");
    } else if (AName == "text.mp4") {
      enginetest::WriteFile(path, "This is a shopping list, not a video.\n");
    } else if (AName == "truncated.mp4") {
      // Without its index, which this muxer writes at the end.
      const std::string whole = dir / "whole.mp4";
      EXPECT_TRUE(enginetest::RunFFmpeg(clip + "-c:v mpeg4 -c:a aac " + whole));
      const std::string data = enginetest::ReadFile(whole);
      enginetest::WriteFile(path, data.substr(0, data.size() / 2));
    }
    made[AName] = path;
    return path;
  }

  std::unique_ptr<TCustomFFmpeg> Make(const std::string& AInput,
                                      const std::vector<std::pair<const char*, const char*>>& AOptions,
                                      const std::string& AOutput) {
    auto t = std::make_unique<TCustomFFmpeg>(20);
    t->Reset();
    EXPECT_TRUE(t->OpenInputFile(rtl::S(AInput))) << rtl::U8(t->LastErrMsg());
    for (auto& [name, value] : AOptions) t->ApplyOption(rtl::S(name), rtl::S(value));
    EXPECT_EQ(1, t->OpenOutputFile(rtl::S(AOutput), false)) << rtl::U8(t->LastErrMsg());
    return t;
  }

  static void Run(TCustomFFmpeg& T) { T.StartConvert(false, rtl::tpNormal); }

  // The first picture of a file shrunk to 4x4 grey values, as stored (not
  // turned by any rotation the file asks for).
  static std::string Gray4x4(const std::string& APath) {
    const std::string cmd = "ffmpeg -v error -noautorotate -i '" + APath +
                            "' -frames:v 1 -vf scale=4:4 -f rawvideo -pix_fmt gray - 2>/dev/null";
    std::string data;
    if (FILE* f = popen(cmd.c_str(), "r")) {
      char buf[64];
      size_t n;
      while ((n = fread(buf, 1, sizeof buf, f)) > 0) data.append(buf, n);
      pclose(f);
    }
    return data;
  }

  static std::string StreamRotation(const std::string& APath) {
    std::string r;
    const std::string cmd = "ffprobe -v error -select_streams v:0 -show_entries stream_side_data=rotation "
                            "-of csv=p=0 '" + APath + "' 2>/dev/null";
    if (FILE* f = popen(cmd.c_str(), "r")) {
      char line[128];
      while (fgets(line, sizeof line, f)) r += line;
      pclose(f);
    }
    while (!r.empty() && (r.back() == '\n' || r.back() == ',')) r.pop_back();
    return r;
  }

  enginetest::TempDir Dir;
};

TEST_F(RealWorldTest, AnOutputThatIsTheInputIsRefusedBeforeAnythingIsOpened) {
  const std::string input = Dir / "movie.mp4";
  std::filesystem::copy_file(Fixture("av.mp4"), input);
  const std::string before = enginetest::ReadFile(input);
  std::filesystem::create_directory(Dir / "sub");
  std::filesystem::create_symlink(input, Dir / "link.mp4");
  const std::string cwd = std::filesystem::current_path().string();
  ASSERT_EQ(0, chdir(Dir.path().c_str()));
  const std::string names[] = {input, Dir / "./movie.mp4", Dir / "sub/../movie.mp4", "./movie.mp4",
                               Dir / "link.mp4"};
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    auto t = std::make_unique<TCustomFFmpeg>(20);
    t->Reset();
    ASSERT_TRUE(t->OpenInputFile(rtl::S(input)));
    EXPECT_EQ(-1, t->OpenOutputFile(rtl::S(name), false));
    EXPECT_EQ("Output file '" + name + "' is the same file as input file #0: a file cannot be converted into itself",
              rtl::U8(t->LastErrMsg()));
    EXPECT_EQ(0, t->nb_output_files());
    t.reset();
    EXPECT_TRUE(before == enginetest::ReadFile(input)) << "the input was changed";
  }
  // An input named like an output that is already open is refused as well.
  auto t = std::make_unique<TCustomFFmpeg>(20);
  t->Reset();
  ASSERT_TRUE(t->OpenInputFile(rtl::S(input)));
  ASSERT_EQ(1, t->OpenOutputFile(rtl::S(Dir / "other.mp4"), false));
  EXPECT_FALSE(t->OpenInputFile(rtl::S("./other.mp4")));
  EXPECT_EQ("Input file './other.mp4' is the same file as output file #0", rtl::U8(t->LastErrMsg()));
  ASSERT_EQ(0, chdir(cwd.c_str()));
  // Another name in the same folder is fine.
  EXPECT_FALSE(SameFile(input, Dir / "movie2.mp4"));
  EXPECT_TRUE(SameFile(Dir / "sub/../none.mp4", Dir / "none.mp4"));
}

TEST_F(RealWorldTest, AStreamWithNothingToConvertBesideWrittenOnesIsAWarning) {
  std::vector<std::string> warnings;
  std::mutex lock;
  GetFFLogger()->SetOnLog([&](rtl::TObject*, uint32_t, TLogLevel ALevel, const rtl::String& AMsg) {
    std::lock_guard<std::mutex> g(lock);
    if (ALevel == llWarning) warnings.push_back(rtl::U8(AMsg));
  });
  struct Case {
    const char* input;
    int pictures;         // -1: the run fails and leaves no file
    const char* message;  // the warning, or the failure
  } cases[] = {
      // An AAC track without a single packet: the pictures are kept.
      {"noaudio.mkv", 25,
       "Nothing could be converted for output stream #0.1 (Audio): input stream #0.1 (aac) gave no frame that "
       "could be decoded"},
      // Cut after its first picture, before any sound.
      {"firstpicture.mp4", 1,
       "Nothing could be converted for output stream #0.1 (Audio): input stream #0.1 (aac) gave no frame that "
       "could be decoded"},
      // Nothing at all: a failed run.
      {"cut.mkv", -1,
       "Nothing could be converted for output stream #0.0 (Video): input stream #0.0 (mpeg4) gave no frame that "
       "could be decoded"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    warnings.clear();
    const std::string out = Dir / "out.mp4";
    std::filesystem::remove(out);
    auto t = Make(Fixture(c.input), {{"vcodec", "mpeg4"}, {"acodec", "aac"}}, out);
    ASSERT_EQ(2u, t->OutputFile(0)->streams.size());
    Run(*t);
    if (c.pictures < 0) {
      EXPECT_FALSE(t->Finished());
      EXPECT_EQ(c.message, rtl::U8(t->FatalMessage()));
      EXPECT_FALSE(std::filesystem::exists(out));
      continue;
    }
    EXPECT_TRUE(t->Finished()) << rtl::U8(t->FatalMessage());
    EXPECT_FALSE(t->FatalException());
    EXPECT_EQ(c.pictures, CountFrames(out, "v"));
    EXPECT_EQ("video", Probe(out)["s0.codec_type"]);
    std::lock_guard<std::mutex> g(lock);
    EXPECT_NE(std::find(warnings.begin(), warnings.end(), c.message), warnings.end());
  }
  GetFFLogger()->SetOnLog(nullptr);
}

TEST_F(RealWorldTest, AReadErrorEndsTheInputAndDrainsEveryEncoder) {
  // The H.264 encoder holds some 40 pictures back: all of them come out.
  const std::string out = Dir / "half.mp4";
  auto t = Make(Fixture("half.mp4"), {{"vcodec", "libx264"}, {"acodec", "aac"}}, out);
  Run(*t);
  ASSERT_TRUE(t->Finished()) << rtl::U8(t->FatalMessage());
  EXPECT_GT(CountFrames(out, "v"), 25);
  EXPECT_GT(ToDouble(Probe(out)["format.duration"]), 1.0);
}

TEST_F(RealWorldTest, TimestampsThatJumpNearTheLimitAreADiscontinuityNotAWrap) {
  const std::string out = Dir / "jump.mp4";
  auto t = Make(Fixture("jump.ogg"), {{"vcodec", "mpeg4"}}, out);
  Run(*t);
  EXPECT_TRUE(t->Finished()) << rtl::U8(t->FatalMessage());
  EXPECT_EQ(14, CountFrames(out, "v"));
  EXPECT_NEAR(1.4, ToDouble(Probe(out)["format.duration"]), 0.15);
}

TEST_F(RealWorldTest, TurnedPicturesAreTurnedUpright) {
  // White was above, and the file says to turn it a quarter: the command line
  // shows the white on the left, and so does the output, stored upright.
  const std::string input = Fixture("rotated.mp4");
  struct Case {
    const char* size;
    int width, height;
  } cases[] = {{nullptr, 240, 320}, {"160x120", 160, 120}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size ? c.size : "input size");
    const std::string out = Dir / "upright.mp4";
    std::vector<std::pair<const char*, const char*>> options = {{"vcodec", "mpeg4"}, {"qscale", "2"}};
    if (c.size) options.push_back({"s", c.size});
    auto t = Make(input, options, out);
    Run(*t);
    ASSERT_TRUE(t->Finished()) << rtl::U8(t->FatalMessage());
    auto p = Probe(out);
    EXPECT_EQ(std::to_string(c.width), p["s0.width"]);
    EXPECT_EQ(std::to_string(c.height), p["s0.height"]);
    EXPECT_EQ("", StreamRotation(out));
    const std::string g = Gray4x4(out);
    ASSERT_EQ(16u, g.size());
    for (int row = 0; row < 4; ++row) {
      EXPECT_GT(static_cast<unsigned char>(g[row * 4]), 200) << "row " << row;
      EXPECT_LT(static_cast<unsigned char>(g[row * 4 + 3]), 50) << "row " << row;
    }
  }
  // A copy is not turned: it keeps how to show it.
  const std::string copy = Dir / "copy.mp4";
  auto t = Make(input, {{"vcodec", "copy"}}, copy);
  Run(*t);
  ASSERT_TRUE(t->Finished()) << rtl::U8(t->FatalMessage());
  EXPECT_EQ(StreamRotation(input), StreamRotation(copy));
  EXPECT_NE("", StreamRotation(copy));
}

TEST_F(RealWorldTest, CoverArtIsNeverTheVideo) {
  for (const char* ext : {"mp4", "3gp"}) {
    SCOPED_TRACE(ext);
    const std::string out = Dir / (std::string("song.") + ext);
    std::vector<std::pair<const char*, const char*>> options = {{"acodec", "aac"}};
    if (std::string(ext) == "3gp") options.insert(options.end(), {{"ar", "8000"}, {"ac", "1"}});
    auto t = Make(Fixture("cover.mp3"), options, out);
    ASSERT_EQ(1u, t->OutputFile(0)->streams.size());
    Run(*t);
    EXPECT_TRUE(t->Finished()) << rtl::U8(t->FatalMessage());
    auto p = Probe(out);
    EXPECT_EQ("audio", p["s0.codec_type"]);
    EXPECT_EQ(0u, p.count("s1.codec_type"));
    EXPECT_NEAR(2.0, ToDouble(p["format.duration"]), 0.1);
  }
}

TEST_F(RealWorldTest, TheLastPictureKeepsItsDisplayTime) {
  // Inputs at low frame rates into a 25 fps output: the last picture is
  // shown for as long as the input shows it.
  struct Case {
    const char* rate;
    const char* duration;
    double seconds;
  } cases[] = {{"10", "2", 2.0}, {"1", "3", 3.0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rate);
    const std::string in = Dir / (std::string("in") + c.rate + ".mkv");
    ASSERT_TRUE(enginetest::RunFFmpeg(std::string("-f lavfi -i testsrc=size=160x120:rate=") + c.rate +
                                      ":duration=" + c.duration + " -c:v mpeg4 " + in));
    for (const char* codec : {"mpeg4", "libx264"}) {
      SCOPED_TRACE(codec);
      const std::string out = Dir / (std::string("out") + c.rate + codec + ".mp4");
      auto t = Make(in, {{"vcodec", codec}, {"r", "25"}}, out);
      Run(*t);
      ASSERT_TRUE(t->Finished()) << rtl::U8(t->FatalMessage());
      EXPECT_EQ(static_cast<int>(c.seconds * 25), CountFrames(out, "v"));
      EXPECT_NEAR(c.seconds, ToDouble(Probe(out)["format.duration"]), 0.01);
    }
  }
}

TEST_F(RealWorldTest, DamagedMissingAndUnwritableFilesSayWhy) {
  const struct {
    std::string input;
    std::string message;
  } inputs[] = {
      {Fixture("empty.mp4"), ": Invalid data found when processing input"},
      {Fixture("text.mp4"), ": Invalid data found when processing input"},
      {Fixture("truncated.mp4"), ": Invalid data found when processing input"},
      {Dir / "missing.mp4", ": No such file or directory"},
      {Dir.path().string(), ": Is a directory"},
  };
  for (const auto& c : inputs) {
    SCOPED_TRACE(c.input);
    auto t = std::make_unique<TCustomFFmpeg>(20);
    t->Reset();
    EXPECT_FALSE(t->OpenInputFile(rtl::S(c.input)));
    EXPECT_EQ(c.input + c.message, rtl::U8(t->LastErrMsg()));
  }
  // A folder that refuses writing: mounted read-only when this may mount,
  // else by its permissions (which the superuser passes).
  const std::string locked = Dir / "locked";
  std::filesystem::create_directory(locked);
  std::string message;
  if (mount("tvlro", locked.c_str(), "tmpfs", MS_RDONLY, "size=16k") == 0)
    message = ": Read-only file system";
  else if (geteuid() != 0 && chmod(locked.c_str(), 0555) == 0)
    message = ": Permission denied";
  if (message.empty()) GTEST_SKIP() << "no folder here refuses writing";
  auto t = std::make_unique<TCustomFFmpeg>(20);
  t->Reset();
  ASSERT_TRUE(t->OpenInputFile(rtl::S(Fixture("av.mp4"))));
  const std::string out = locked + "/out.mp4";
  EXPECT_EQ(-1, t->OpenOutputFile(rtl::S(out), false));
  EXPECT_EQ(out + message, rtl::U8(t->LastErrMsg()));
  if (message == ": Read-only file system") umount(locked.c_str());
}

TEST_F(RealWorldTest, H264ProgressNeverGoesBackNorRunsAheadAndCountsBufferedBytes) {
  const std::string out = Dir / "h264.mp4";
  auto t = Make(Fixture("long.mp4"), {{"vcodec", "libx264"}, {"acodec", "aac"}}, out);
  struct Report {
    int64_t size, duration;
  };
  std::vector<Report> reports;
  t->ReportInterval = 0;  // a report after every packet
  t->FOnProgress = [&](rtl::TObject*, int, int, float, float, double, int64_t ASize, int64_t ADuration, int64_t) {
    reports.push_back({ASize, ADuration});
  };
  Run(*t);
  ASSERT_TRUE(t->Finished()) << rtl::U8(t->FatalMessage());
  ASSERT_GT(reports.size(), 10u);
  const int64_t fileSize = static_cast<int64_t>(std::filesystem::file_size(out));
  std::set<int64_t> sizes;
  for (size_t i = 0; i < reports.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_GT(reports[i].size, 0);
    if (i > 0) {
      EXPECT_GE(reports[i].duration, reports[i - 1].duration);
      EXPECT_GE(reports[i].size, reports[i - 1].size);
    }
    sizes.insert(reports[i].size);
  }
  // Written bytes show as they are written, not as 32 KiB blocks reach the disk.
  EXPECT_GT(sizes.size(), static_cast<size_t>(fileSize / 32768 + 3));
  EXPECT_EQ(fileSize, reports.back().size);
  EXPECT_NEAR(4000000, reports.back().duration, 60000);
}

}  // namespace

namespace {

TEST(CodecThreadsTest, IdleCoresAreSharedOut) {
  const struct {
    int cores, running, threads;
  } cases[] = {{8, 1, 8}, {8, 2, 4}, {8, 3, 2}, {8, 8, 1}, {8, 20, 1}, {1, 1, 1}, {8, 0, 8}, {64, 1, kMaxCodecThreads}};
  for (const auto& c : cases) EXPECT_EQ(c.threads, CodecThreadCount(c.cores, c.running)) << c.cores << "/" << c.running;
  EXPECT_GE(UsableCores(), 1);
}

TEST_F(RealWorldTest, ALoneRunGivesItsVideoCodecsTheIdleCores) {
  // What the encoders were opened with, seen from inside the run.
  for (int beside : {0, UsableCores()}) {
    SCOPED_TRACE(beside);
    const std::string out = Dir / "threads.mp4";
    auto t = Make(Fixture("long.mp4"), {{"vcodec", "libx264"}, {"acodec", "aac"}}, out);
    t->ExpectedConcurrentRuns = beside;
    int running = -1, videoThreads = -1, audioThreads = -1;
    t->ReportInterval = 0;
    t->FOnProgress = [&](rtl::TObject*, int, int, float, float, double, int64_t, int64_t, int64_t) {
      running = RunningTranscodes();
      videoThreads = t->OutputFile(0)->streams[0]->enc->thread_count;
      audioThreads = t->OutputFile(0)->streams[1]->enc->thread_count;
    };
    Run(*t);
    ASSERT_TRUE(t->Finished()) << rtl::U8(t->FatalMessage());
    EXPECT_EQ(1, running);
    EXPECT_EQ(0, RunningTranscodes());
    EXPECT_EQ(beside ? 1 : CodecThreadCount(UsableCores(), 1), videoThreads);
    EXPECT_EQ(1, audioThreads);
    // The output is the same kind of file either way.
    auto p = Probe(out);
    EXPECT_EQ("h264", p["s0.codec_name"]);
    EXPECT_EQ("320", p["s0.width"]);
    EXPECT_EQ("25/1", p["s0.r_frame_rate"]);
    EXPECT_EQ(100, CountFrames(out, "v"));
  }
}

}  // namespace
