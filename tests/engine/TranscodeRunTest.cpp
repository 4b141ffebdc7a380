// Whole conversions through the transcoder: generated fixtures converted into
// the profiles' containers and codecs and probed back, frame-rate changes,
// progress reports, a stop half-way, subtitles, and bad input and output.
#include "engine/TranscodeRun.h"

#include <sys/mount.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>

#include "engine/FFmpeg.h"
#include "engine/FFmpegLogger.h"
#include "platform/gdi/Bitmap.h"
#include "tests/engine/TranscodeTestUtils.h"

using namespace engine;
using transcodetest::Probe;
using transcodetest::ToDouble;

namespace {

// 2 s of 320x240 at 25 fps with a stereo 44.1 kHz tone, and the same with a
// subtitle track; made once per process.
std::string Fixture(const std::string& AName) {
  static enginetest::TempDir dir;
  static std::map<std::string, std::string> made;
  auto it = made.find(AName);
  if (it != made.end()) return it->second;
  const std::string path = dir / AName;
  const std::string av =
      "-f lavfi -i testsrc=size=320x240:rate=25:duration=2 -f lavfi -i "
      "'aevalsrc=0.4*sin(440*2*PI*t)|0.4*sin(660*2*PI*t):s=44100:d=2' ";
  if (AName == "av.mkv") {
    EXPECT_TRUE(enginetest::RunFFmpeg(av + "-c:v mpeg4 -q:v 3 -c:a pcm_s16le " + path));
  } else if (AName == "subs.mkv") {
    const std::string srt = dir / "subs.srt";
    enginetest::WriteFile(srt, "1\n00:00:00,200 --> 00:00:00,900\nHello\n\n2\n00:00:01,000 --> 00:00:01,500\nAgain\n\n");
    EXPECT_TRUE(enginetest::RunFFmpeg(av + "-i " + srt + " -map 0 -map 1 -map 2 -c:v mpeg4 -c:a pcm_s16le -c:s srt " +
                                      path));
  } else if (AName == "late_audio.mkv") {
    // The sound starts half a second after the pictures.
    EXPECT_TRUE(enginetest::RunFFmpeg(
        "-f lavfi -i testsrc=size=160x120:rate=25:duration=2 -itsoffset 0.5 -f lavfi -i "
        "sine=sample_rate=44100:duration=1.5 -map 0 -map 1 -c:v mpeg4 -c:a pcm_s16le " + path));
  } else if (AName == "empty.mp4") {
    enginetest::WriteFile(path, "");
  } else if (AName == "text.mp4") {
    enginetest::WriteFile(path, "This is not a video.\n");
  } else if (AName == "absurd.mkv") {
    // Every element size of the header claims the largest value there is.
    std::string data = enginetest::ReadFile(Fixture("av.mkv"));
    for (size_t k = 4; k < 200 && k < data.size(); k += 7) data[k] = '\x01', data[k + 1] = '\xff';
    enginetest::WriteFile(path, data);
  } else if (AName == "many.mkv") {
    // 20 sounds at 8 kHz, one at 22.05 kHz (stream 20) and the pictures last
    // (stream 21): more streams than the converter's old fixed tables held.
    std::string in, maps;
    for (int i = 0; i < 22; ++i) {
      in += i < 20 ? "-f lavfi -i sine=sample_rate=8000:duration=1 "
                   : i == 20 ? "-f lavfi -i sine=sample_rate=22050:duration=1 "
                             : "-f lavfi -i testsrc=size=160x120:rate=25:duration=1 ";
      maps += "-map " + std::to_string(i) + " ";
    }
    EXPECT_TRUE(enginetest::RunFFmpeg(in + maps + "-c:a pcm_s16le -c:v mpeg4 " + path));
  } else if (AName == "damaged.mkv") {
    // PNG pictures whose 11th to 20th lost their signature: the container
    // reads well, the decoder refuses those ten.
    const std::string whole = dir / "png.mkv";
    EXPECT_TRUE(enginetest::RunFFmpeg("-f lavfi -i testsrc=size=160x120:rate=25:duration=2 -c:v png " + whole));
    std::string data = enginetest::ReadFile(whole);
    const std::string sig = "\x89PNG\r\n\x1a\n";
    size_t at = 0;
    for (int n = 0; n < 20 && (at = data.find(sig, at)) != std::string::npos; ++n, at += sig.size())
      if (n >= 10) data.replace(at, sig.size(), sig.size(), 'x');
    enginetest::WriteFile(path, data);
  } else if (AName == "truncated.mkv") {
    const std::string whole = Fixture("av.mkv");
    std::string data = enginetest::ReadFile(whole);
    enginetest::WriteFile(path, data.substr(0, data.size() / 2));
  }
  made[AName] = path;
  return path;
}

struct Progress {
  int file_index, frame;
  int64_t duration;
};

class TranscodeRunTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    enginetest::LoadSystemSet(TranscoderLibraries);
    GetFFLogger()->SetTriggerEventInMainThread(false);
  }

  std::unique_ptr<TCustomFFmpeg> Make(const std::string& AInput,
                                      const std::vector<std::pair<const char*, const char*>>& AOptions,
                                      const std::string& AOutput) {
    auto t = std::make_unique<TCustomFFmpeg>(20);
    t->Reset();
    EXPECT_TRUE(t->OpenInputFile(rtl::S(AInput))) << rtl::U8(t->LastErrMsg());
    for (auto& [name, value] : AOptions) t->ApplyOption(rtl::S(name), rtl::S(value));
    EXPECT_EQ(1, t->OpenOutputFile(rtl::S(AOutput), false)) << rtl::U8(t->LastErrMsg());
    t->FOnProgress = [this](rtl::TObject*, int AFile, int AFrame, float, float, double, int64_t, int64_t ADur,
                            int64_t) { Reports.push_back({AFile, AFrame, ADur}); };
    return t;
  }

  static void Run(TCustomFFmpeg& T) { T.StartConvert(false, rtl::tpNormal); }

  std::vector<Progress> Reports;
  enginetest::TempDir Dir;
};

struct Profile {
  const char* ext;
  std::vector<std::pair<const char*, const char*>> options;
  const char* format;   // part of ffprobe's format_name
  const char* vcodec;   // nullptr: no video
  const char* acodec;
  int width, height;
  const char* rate;
  int sample_rate, channels;
};

TEST_F(TranscodeRunTest, ConvertsIntoEveryProfileContainer) {
  const Profile profiles[] = {
      {"mp4", {{"vcodec", "libx264"}, {"acodec", "libfaac"}, {"ab", "128000"}}, "mp4", "h264", "aac", 320, 240,
       "25/1", 44100, 2},
      {"3gp",
       {{"vcodec", "h263"}, {"s", "176x144"}, {"acodec", "libopencore_amrnb"}, {"ar", "8000"}, {"ac", "1"},
        {"ab", "12200"}},
       "3gp", "h263", "amr_nb", 176, 144, "25/1", 8000, 1},
      {"avi", {{"vcodec", "libxvid"}, {"acodec", "libmp3lame"}}, "avi", "mpeg4", "mp3", 320, 240, "25/1", 44100, 2},
      {"flv", {{"vcodec", "flv"}, {"acodec", "libmp3lame"}, {"ar", "22050"}}, "flv", "flv1", "mp3", 320, 240, "25/1",
       22050, 2},
      {"wmv", {{"vcodec", "wmv2"}, {"acodec", "wmav2"}}, "asf", "wmv2", "wmav2", 320, 240, "25/1", 44100, 2},
      {"mpg", {{"vcodec", "mpeg2video"}, {"acodec", "mp2"}, {"s", "352x288"}}, "mpeg", "mpeg2video", "mp2", 352, 288,
       "25/1", 44100, 2},
      {"mkv", {{"r", "15"}}, "matroska", "h264", "vorbis", 320, 240, "15/1", 44100, 2},
      {"mp3", {{"vn", "1"}, {"acodec", "libmp3lame"}}, "mp3", nullptr, "mp3", 0, 0, "", 44100, 2},
      {"amr", {{"vn", "1"}, {"acodec", "libopencore_amrnb"}, {"ar", "8000"}, {"ac", "1"}, {"ab", "7400"}}, "amr",
       nullptr, "amr_nb", 0, 0, "", 8000, 1},
  };
  for (const Profile& p : profiles) {
    SCOPED_TRACE(p.ext);
    const std::string out = Dir / (std::string("out.") + p.ext);
    auto t = Make(Fixture("av.mkv"), p.options, out);
    Run(*t);
    ASSERT_TRUE(t->Finished()) << rtl::U8(t->FatalMessage());
    EXPECT_FALSE(t->FatalException());
    auto info = Probe(out);
    EXPECT_NE(std::string::npos, info["format.format_name"].find(p.format)) << info["format.format_name"];
    // Some containers list the audio first.
    const std::string v = info["s0.codec_type"] == "video" ? "s0." : "s1.";
    const std::string a = p.vcodec && v == "s0." ? "s1." : "s0.";
    if (p.vcodec) {
      EXPECT_EQ(p.vcodec, info[v + "codec_name"]);
      EXPECT_EQ(std::to_string(p.width), info[v + "width"]);
      EXPECT_EQ(std::to_string(p.height), info[v + "height"]);
      EXPECT_EQ(p.rate, info[v + "r_frame_rate"]);
    } else {
      EXPECT_EQ("", info["s1.codec_type"]);
    }
    EXPECT_EQ(p.acodec, info[a + "codec_name"]);
    EXPECT_EQ(std::to_string(p.sample_rate), info[a + "sample_rate"]);
    EXPECT_EQ(std::to_string(p.channels), info[a + "channels"]);
    // Within a frame or so of the 2 s input (an audio encoder's last frame
    // may add its padding).
    EXPECT_NEAR(2.0, ToDouble(info["format.duration"]), 0.12) << info["format.duration"];
    if (p.vcodec) {
      EXPECT_NEAR(std::atoi(p.rate) * 2, transcodetest::CountFrames(out, "v"), 1);
    }
    ASSERT_FALSE(Reports.empty());
    EXPECT_EQ(-1, Reports.back().file_index);  // the final report follows the trailer
    Reports.clear();
  }
}

TEST_F(TranscodeRunTest, FrameRateChangeDropsOrDuplicates) {
  const struct {
    const char* rate;
    int frames, dup, drop;
  } cases[] = {{"10", 20, 0, 30}, {"50", 100, 50, 0}};
  for (auto& c : cases) {
    SCOPED_TRACE(c.rate);
    const std::string out = Dir / "rate.avi";
    auto t = Make(Fixture("av.mkv"), {{"vcodec", "mpeg4"}, {"an", "1"}, {"r", c.rate}}, out);
    Run(*t);
    ASSERT_TRUE(t->Finished()) << rtl::U8(t->FatalMessage());
    EXPECT_NEAR(c.frames, transcodetest::CountFrames(out, "v"), 2);
    EXPECT_NEAR(c.dup, t->Fnb_frames_dup, 2);
    EXPECT_NEAR(c.drop, t->Fnb_frames_drop, 2);
  }
}

TEST_F(TranscodeRunTest, ScalesAndKeepsTheAspect) {
  const std::string out = Dir / "scaled.mp4";
  auto t = Make(Fixture("av.mkv"), {{"vcodec", "mpeg4"}, {"s", "160x120"}, {"aspect", "16:9"}, {"an", "1"}}, out);
  Run(*t);
  ASSERT_TRUE(t->Finished()) << rtl::U8(t->FatalMessage());
  std::string cmd = "ffprobe -v error -select_streams v:0 -show_entries stream=width,height,display_aspect_ratio "
                    "-of csv=p=0 '" + out + "'";
  FILE* f = popen(cmd.c_str(), "r");
  char line[128] = {};
  ASSERT_TRUE(fgets(line, sizeof line, f));
  pclose(f);
  EXPECT_EQ("160,120,16:9", std::string(line).substr(0, 12));
}

TEST_F(TranscodeRunTest, ProgressArrivesAtTheIntervalThenTheFinalReport) {
  const std::string out = Dir / "p.avi";
  auto t = Make(Fixture("av.mkv"), {{"vcodec", "mpeg4"}, {"acodec", "libmp3lame"}}, out);
  t->ReportInterval = 0;  // after every packet
  Run(*t);
  ASSERT_TRUE(t->Finished());
  ASSERT_GT(Reports.size(), 40u);
  for (size_t i = 1; i + 1 < Reports.size(); ++i) {
    EXPECT_EQ(0, Reports[i].file_index);
    EXPECT_GE(Reports[i].frame, Reports[i - 1].frame);
    EXPECT_GE(Reports[i].frame, 1);  // nothing before the first video frame
  }
  EXPECT_EQ(-1, Reports.back().file_index);
  EXPECT_EQ(50, Reports.back().frame);
  EXPECT_NEAR(2000000, Reports.back().duration, 100000);

  Reports.clear();
  auto t2 = Make(Fixture("av.mkv"), {{"vcodec", "mpeg4"}, {"acodec", "libmp3lame"}}, Dir / "p2.avi");
  t2->ReportInterval = 3600000000LL;
  Run(*t2);
  ASSERT_EQ(1u, Reports.size());
  EXPECT_EQ(-1, Reports[0].file_index);
}

TEST_F(TranscodeRunTest, StopHalfWayLeavesAPlayableShorterFile) {
  const std::string out = Dir / "stopped.mp4";
  auto t = Make(Fixture("av.mkv"), {{"vcodec", "libx264"}, {"acodec", "libfaac"}}, out);
  t->ReportInterval = 0;
  TCustomFFmpeg* raw = t.get();
  t->FOnProgress = [raw](rtl::TObject*, int, int AFrame, float, float, double, int64_t, int64_t, int64_t) {
    if (AFrame >= 20) raw->Stop(false);
  };
  Run(*t);
  EXPECT_FALSE(t->Finished());
  EXPECT_FALSE(t->FatalException()) << rtl::U8(t->FatalMessage());
  auto info = Probe(out);
  const double d = ToDouble(info["format.duration"]);
  EXPECT_GT(d, 0.5);
  EXPECT_LT(d, 1.7);
  const int frames = transcodetest::CountFrames(out, "v");
  EXPECT_GE(frames, 20);
  EXPECT_LT(frames, 45);
  EXPECT_GT(transcodetest::CountFrames(out, "a"), 10);
}

TEST_F(TranscodeRunTest, SubtitlesPassThrough) {
  for (const char* codec : {"copy", "ass"}) {
    SCOPED_TRACE(codec);
    const std::string out = Dir / "subs.mkv";
    auto t = Make(Fixture("subs.mkv"), {{"vcodec", "mpeg4"}, {"acodec", "libvorbis"}, {"scodec", codec}}, out);
    Run(*t);
    ASSERT_TRUE(t->Finished()) << rtl::U8(t->FatalMessage());
    auto info = Probe(out);
    EXPECT_EQ(std::string(codec) == "copy" ? "subrip" : "ass", info["s2.codec_name"]);
    std::string cmd = "ffprobe -v error -select_streams s:0 -show_entries packet=pts_time -of csv=p=0 '" + out + "'";
    FILE* f = popen(cmd.c_str(), "r");
    std::vector<double> pts;
    char line[128];
    while (fgets(line, sizeof line, f)) pts.push_back(std::atof(line));
    pclose(f);
    ASSERT_EQ(2u, pts.size());
    EXPECT_NEAR(0.2, pts[0], 0.01);
    EXPECT_NEAR(1.0, pts[1], 0.01);
  }
}

TEST_F(TranscodeRunTest, StreamsBeyondTheTwentiethAreMappedAndConverted) {
  const std::string out = Dir / "many.mkv";
  auto t = Make(Fixture("many.mkv"), {{"map", "0:21"}, {"map", "0:20"}, {"vcodec", "mpeg4"}, {"acodec", "copy"}}, out);
  Run(*t);
  ASSERT_TRUE(t->Finished()) << rtl::U8(t->FatalMessage());
  auto info = Probe(out);
  EXPECT_EQ("mpeg4", info["s0.codec_name"]);
  EXPECT_EQ("22050", info["s1.sample_rate"]);
  EXPECT_EQ("", info["s2.codec_type"]);
  EXPECT_NEAR(25, transcodetest::CountFrames(out, "v"), 1);
}

TEST_F(TranscodeRunTest, RefusedCodecNamesContainerAndCodec) {
  const std::string out = Dir / "refused.mpg";
  auto t = Make(Fixture("av.mkv"), {{"vcodec", "mpeg2video"}, {"acodec", "libfaac"}}, out);
  Run(*t);
  EXPECT_FALSE(t->Finished());
  ASSERT_TRUE(t->FatalException());
  const std::string msg = rtl::U8(t->FatalMessage());
  EXPECT_NE(std::string::npos, msg.find("mpeg container")) << msg;
  EXPECT_NE(std::string::npos, msg.find("aac")) << msg;
}

TEST_F(TranscodeRunTest, BadInputsEndWithAReasonOrTheReadablePart) {
  for (const char* name : {"empty.mp4", "text.mp4", "absurd.mkv", "truncated.mkv"}) {
    SCOPED_TRACE(name);
    const std::string out = Dir / "bad.avi";
    auto t = std::make_unique<TCustomFFmpeg>(20);
    t->Reset();
    if (!t->OpenInputFile(rtl::S(Fixture(name)))) {
      EXPECT_FALSE(t->LastErrMsg().empty());
      continue;
    }
    t->ApplyOption(u"vcodec", u"mpeg4");
    ASSERT_EQ(1, t->OpenOutputFile(rtl::S(out), false));
    Run(*t);
    // Either the readable part is converted or the run says why it failed.
    if (t->Finished()) {
      EXPECT_GT(transcodetest::CountFrames(out, "v"), 5);
    } else {
      EXPECT_TRUE(t->FatalException());
      EXPECT_FALSE(t->FatalMessage().empty());
    }
  }
}

// Reads through the input's own I/O until AFailAt bytes, then answers every
// read with an I/O error, as a failing disk or a dropped network share would.
struct TFailingRead {
  AVIOContext* source;
  int64_t fail_at;
  static int Read(void* AOpaque, uint8_t* ABuf, int ASize) {
    auto* self = static_cast<TFailingRead*>(AOpaque);
    const int64_t pos = ff::avio_seek(self->source, 0, SEEK_CUR);
    if (pos >= self->fail_at) return AVERROR(EIO);
    const int n = ff::avio_read(self->source, ABuf, static_cast<int>(std::min<int64_t>(ASize, self->fail_at - pos)));
    return n == 0 ? AVERROR_EOF : n;
  }
  static int64_t Seek(void* AOpaque, int64_t AOffset, int AWhence) {
    auto* self = static_cast<TFailingRead*>(AOpaque);
    if (AWhence == AVSEEK_SIZE) return ff::avio_size(self->source);
    return ff::avio_seek(self->source, AOffset, AWhence & ~AVSEEK_FORCE);
  }
};

TEST_F(TranscodeRunTest, ReadErrorMidFileFailsOrIsLoggedAndEndsTheInput) {
  const std::string input = Fixture("av.mkv");
  const int64_t size = static_cast<int64_t>(std::filesystem::file_size(input));
  for (bool exitOnError : {true, false}) {
    SCOPED_TRACE(exitOnError ? "xerror" : "no xerror");
    const std::string out = Dir / (exitOnError ? "readerr-x.avi" : "readerr.avi");
    auto t = Make(input, {{"vcodec", "mpeg4"}, {"acodec", "libmp3lame"}}, out);
    if (exitOnError) t->ApplyOption(u"xerror", u"1");

    // The opened input reads through a context that fails half-way through the
    // file; the demuxer's own context stays open behind it.
    AVFormatContext* ic = t->Finput_files[0];
    const bool closeSource = !(ic->flags & AVFMT_FLAG_CUSTOM_IO);
    TFailingRead state{ic->pb, size / 2};
    auto* buf = static_cast<uint8_t*>(ff::av_malloc(4096));
    AVIOContext* failing = ff::avio_alloc_context(buf, 4096, 0, &state, &TFailingRead::Read, nullptr, &TFailingRead::Seek);
    ASSERT_NE(nullptr, failing);
    failing->pos = ff::avio_seek(state.source, 0, SEEK_CUR);
    ic->pb = failing;
    ic->flags |= AVFMT_FLAG_CUSTOM_IO;

    std::vector<std::string> errors;
    TFFLogger* logger = GetFFLogger();
    const TLogLevel level = logger->LogLevel();
    logger->SetLogLevel(llVerbose);
    logger->SetOnLog([&errors](rtl::TObject*, uint32_t, TLogLevel ALevel, const rtl::String& AMsg) {
      if (ALevel == llError) errors.push_back(rtl::U8(AMsg));
    });
    Run(*t);
    logger->SetOnLog(nullptr);
    logger->SetLogLevel(level);

    const std::string msg = rtl::U8(t->FatalMessage());
    if (exitOnError) {
      EXPECT_FALSE(t->Finished());
      EXPECT_TRUE(t->FatalException());
      EXPECT_NE(std::string::npos, msg.find("Input/output error")) << msg;
    } else {
      // The readable part is converted; the error is in the log, not lost.
      EXPECT_TRUE(t->Finished()) << msg;
      EXPECT_FALSE(t->FatalException());
      const int frames = transcodetest::CountFrames(out, "v");
      EXPECT_GT(frames, 0);
      EXPECT_LT(frames, 50);
      EXPECT_TRUE(std::any_of(errors.begin(), errors.end(), [](const std::string& s) {
        return s.find("Input/output error") != std::string::npos;
      })) << errors.size() << " error lines";
    }
    t.reset();
    if (closeSource) ff::avio_closep(&state.source);
    ff::av_freep(&failing->buffer);
    ff::avio_context_free(&failing);
  }
}

TEST_F(TranscodeRunTest, UndecodablePacketsFailWithXerrorElseAreSkipped) {
  for (bool exitOnError : {true, false}) {
    SCOPED_TRACE(exitOnError ? "xerror" : "no xerror");
    const std::string out = Dir / "damaged.avi";
    auto t = Make(Fixture("damaged.mkv"), {{"vcodec", "mpeg4"}, {"vsync", "0"}}, out);
    if (exitOnError) t->ApplyOption(u"xerror", u"1");
    Run(*t);
    const std::string msg = rtl::U8(t->FatalMessage());
    if (exitOnError) {
      EXPECT_FALSE(t->Finished());
      EXPECT_EQ("Error while decoding stream #0.0 (Video)", msg);
    } else {
      EXPECT_TRUE(t->Finished()) << msg;
      EXPECT_FALSE(t->FatalException());
      EXPECT_NEAR(40, transcodetest::CountFrames(out, "v"), 1);
    }
  }
}

TEST_F(TranscodeRunTest, FullDiskFailsInsteadOfFinishing) {
  const std::string mnt = Dir / "small";
  std::filesystem::create_directory(mnt);
  if (mount("tvltmp", mnt.c_str(), "tmpfs", 0, "size=64k") != 0)
    GTEST_SKIP() << "cannot mount a small tmpfs here";
  {
    const std::string out = mnt + "/full.avi";
    auto t = Make(Fixture("av.mkv"), {{"vcodec", "mpeg4"}, {"qscale", "1"}, {"acodec", "libmp3lame"}}, out);
    Run(*t);
    EXPECT_FALSE(t->Finished());
    EXPECT_TRUE(t->FatalException());
    EXPECT_NE(std::string::npos, rtl::U8(t->FatalMessage()).find("No space left on device"))
        << rtl::U8(t->FatalMessage());
  }
  umount(mnt.c_str());
}

}  // namespace

namespace {

TEST_F(TranscodeRunTest, JoinedInputsFollowEachOther) {
  const std::string out = Dir / "joined.avi";
  auto t = std::make_unique<TCustomFFmpeg>(20);
  t->Reset();
  ASSERT_TRUE(t->OpenInputFile(rtl::S(Fixture("av.mkv"))));
  ASSERT_TRUE(t->OpenInputFile(rtl::S(Fixture("av.mkv"))));
  t->ApplyOption(u"vcodec", u"mpeg4");
  t->ApplyOption(u"acodec", u"libmp3lame");
  ASSERT_GT(t->OpenOutputFile(rtl::S(out), true), 0) << rtl::U8(t->LastErrMsg());
  Run(*t);
  ASSERT_TRUE(t->Finished()) << rtl::U8(t->FatalMessage());
  auto info = Probe(out);
  EXPECT_NEAR(4.0, ToDouble(info["format.duration"]), 0.15);
  EXPECT_NEAR(100, transcodetest::CountFrames(out, "v"), 2);
}

}  // namespace

namespace {

TEST_F(TranscodeRunTest, FrameAndTimeLimitsEndTheRun) {
  const struct {
    const char* name;
    const char* value;
    int frames;
    double duration;
  } cases[] = {{"vframes", "10", 10, 0.4}, {"t", "1", 25, 1.0}};
  for (auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string out = Dir / "limited.avi";
    auto t = Make(Fixture("av.mkv"), {{"vcodec", "mpeg4"}, {"acodec", "libmp3lame"}, {c.name, c.value}}, out);
    Run(*t);
    ASSERT_TRUE(t->Finished()) << rtl::U8(t->FatalMessage());
    EXPECT_NEAR(c.frames, transcodetest::CountFrames(out, "v"), 1);
    EXPECT_NEAR(c.duration, ToDouble(Probe(out)["s0.duration"]), 0.1);
  }
}

}  // namespace

namespace {

TEST_F(TranscodeRunTest, AudioFollowsItsTimestampsOrIsPaddedToThem) {
  // Sync method 0 keeps the late start as a timestamp; method 1 fills the
  // gap with silence so the sound starts with the pictures.
  for (const char* method : {"0", "1"}) {
    SCOPED_TRACE(method);
    const std::string out = Dir / "sync.mkv";
    auto t = Make(Fixture("late_audio.mkv"), {{"vcodec", "mpeg4"}, {"acodec", "libvorbis"}, {"async", method}}, out);
    Run(*t);
    ASSERT_TRUE(t->Finished()) << rtl::U8(t->FatalMessage());
    std::string cmd = "ffprobe -v error -select_streams a:0 -show_entries packet=pts_time -of csv=p=0 '" + out +
                      "' | head -1";
    FILE* f = popen(cmd.c_str(), "r");
    char line[64] = {};
    ASSERT_TRUE(fgets(line, sizeof line, f));
    pclose(f);
    EXPECT_NEAR(std::string(method) == "0" ? 0.5 : 0.0, std::atof(line), 0.03);
  }
}

}  // namespace

namespace {

// Mean luma of the first picture of a file.
double FirstPictureLuma(const std::string& path) {
  std::string cmd = "ffmpeg -v error -i '" + path + "' -frames:v 1 -f rawvideo -pix_fmt gray - 2>/dev/null";
  FILE* f = popen(cmd.c_str(), "r");
  double sum = 0;
  long n = 0;
  int c;
  while ((c = fgetc(f)) != EOF) sum += c, ++n;
  pclose(f);
  return n ? sum / n : -1;
}

TEST_F(TranscodeRunTest, CustomHookDrawsIntoThePicturesUntilItStops) {
  const std::string out = Dir / "hooked.avi";
  auto t = Make(Fixture("av.mkv"), {{"vcodec", "mpeg4"}, {"an", "1"}, {"qscale", "2"}}, out);
  std::vector<int> numbers;
  t->FOnCustomHook = [&](rtl::TObject*, void* ABitmap, int AFrame, int64_t, bool& AUpdate, bool& AStop) {
    numbers.push_back(AFrame);
    auto* bmp = static_cast<gdi::TBitmap*>(ABitmap);
    for (int y = 0; y < bmp->Height(); ++y) std::memset(bmp->ScanLine(y), 0, bmp->Width() * 3);
    AUpdate = true;
    AStop = AFrame == 5;
  };
  Run(*t);
  ASSERT_TRUE(t->Finished()) << rtl::U8(t->FatalMessage());
  EXPECT_EQ((std::vector<int>{1, 2, 3, 4, 5}), numbers);
  EXPECT_LT(FirstPictureLuma(out), 20);  // black, not the test pattern
  EXPECT_EQ(50, transcodetest::CountFrames(out, "v"));
}

TEST_F(TranscodeRunTest, HooksSeeTheDeinterlacedPicture) {
  // Every other line white: a picture as combed as one can be.
  const std::string in = Dir / "combed.mkv";
  ASSERT_TRUE(enginetest::RunFFmpeg("-f lavfi -i color=black:size=320x240:rate=25:duration=0.4 -vf "
                                    "\"geq=lum='if(mod(Y,2),235,16)':cb=128:cr=128\" -c:v ffv1 " + in));
  for (const bool deinterlace : {false, true}) {
    SCOPED_TRACE(deinterlace);
    std::vector<std::pair<const char*, const char*>> opts = {{"vcodec", "mpeg4"}, {"qscale", "2"}};
    if (deinterlace) opts.push_back({"deinterlace", "1"});
    auto t = Make(in, opts, Dir / "deinterlaced.avi");
    double combing = -1;
    t->FOnCustomHook = [&](rtl::TObject*, void* ABitmap, int, int64_t, bool& AUpdate, bool&) {
      auto* bmp = static_cast<gdi::TBitmap*>(ABitmap);
      double sum = 0;
      for (int y = 8; y < 200; ++y) {
        const auto* a = static_cast<const uint8_t*>(bmp->ScanLine(y));
        const auto* b = static_cast<const uint8_t*>(bmp->ScanLine(y + 1));
        for (int x = 0; x < 300; ++x) sum += std::abs(a[x * 3] - b[x * 3]);
      }
      combing = sum / (192.0 * 300);
      AUpdate = false;
    };
    Run(*t);
    ASSERT_TRUE(t->Finished()) << rtl::U8(t->FatalMessage());
    if (deinterlace)
      EXPECT_LT(combing, 5) << "the hook got the combed picture";
    else
      EXPECT_GT(combing, 150);
  }
}

TEST_F(TranscodeRunTest, LowResolutionDecodingGivesSmallerPictures) {
  auto t = std::make_unique<TCustomFFmpeg>(20);
  t->Reset();
  t->ApplyOption(u"lowres", u"1");
  ASSERT_TRUE(t->OpenInputFile(rtl::S(Fixture("av.mkv")))) << rtl::U8(t->LastErrMsg());
  EXPECT_EQ(160, t->Fframe_width);
  EXPECT_EQ(120, t->Fframe_height);
  t->ApplyOption(u"vcodec", u"mpeg4");
  const std::string out = Dir / "lowres.avi";
  ASSERT_EQ(1, t->OpenOutputFile(rtl::S(out), false)) << rtl::U8(t->LastErrMsg());
  Run(*t);
  ASSERT_TRUE(t->Finished()) << rtl::U8(t->FatalMessage());
  auto info = Probe(out);
  EXPECT_EQ("160", info["s0.width"]);
  EXPECT_EQ("120", info["s0.height"]);
  EXPECT_EQ(50, transcodetest::CountFrames(out, "v"));
}

TEST_F(TranscodeRunTest, PSNRFiguresInTheProgressAndTheStatistics) {
  // The luma PSNR of the last report and of each statistics line, per quality.
  auto measure = [this](const char* AQuality, std::vector<double>& AStats) {
    const std::string stats = Dir / (std::string("vstats_") + AQuality + ".log");
    auto t = Make(Fixture("av.mkv"),
                  {{"vcodec", "mpeg4"}, {"an", "1"}, {"qscale", AQuality}, {"psnr", "1"}, {"vstats_file", stats.c_str()}},
                  Dir / "psnr.avi");
    t->FOnProgress = nullptr;
    std::vector<std::string> lines;
    TFFLogger* logger = GetFFLogger();
    const TLogLevel level = logger->LogLevel();
    logger->SetLogLevel(llVerbose);
    logger->SetOnLog([&lines](rtl::TObject*, uint32_t, TLogLevel, const rtl::String& AMsg) {
      lines.push_back(rtl::U8(AMsg));
    });
    Run(*t);
    logger->SetOnLog(nullptr);
    logger->SetLogLevel(level);
    EXPECT_TRUE(t->Finished()) << rtl::U8(t->FatalMessage());
    t.reset();  // closes the statistics file
    std::ifstream f(stats);
    for (std::string line; std::getline(f, line);) {
      const size_t at = line.find("PSNR= ");
      EXPECT_NE(std::string::npos, at) << line;
      if (at != std::string::npos) AStats.push_back(std::stod(line.substr(at + 6)));
    }
    std::string last;
    for (const std::string& l : lines)
      if (l.find("frame=") != std::string::npos && l.find(" L") != std::string::npos) last = l;
    double y = 0, u = 0, v = 0, all = 0;
    const size_t at = last.find("PSNR=");
    EXPECT_NE(std::string::npos, at) << last;
    if (at != std::string::npos) {
      EXPECT_EQ(4, std::sscanf(last.c_str() + at, "PSNR=Y:%lf U:%lf V:%lf *:%lf", &y, &u, &v, &all)) << last;
    }
    EXPECT_GE(all, std::min({y, u, v}) - 0.01);
    EXPECT_LE(all, std::max({y, u, v}) + 0.01);
    return y;
  };
  std::vector<double> fine, coarse;
  const double fineY = measure("1", fine), coarseY = measure("31", coarse);
  EXPECT_EQ(50u, fine.size());
  EXPECT_EQ(50u, coarse.size());
  // Near-lossless pictures are far closer to their source than coarse ones.
  EXPECT_GT(fineY, 35);
  EXPECT_LT(coarseY, 35);
  EXPECT_GT(fineY, coarseY + 5);
  for (size_t i = 0; i < fine.size() && i < coarse.size(); ++i) EXPECT_GT(fine[i], coarse[i]) << i;
}

TEST_F(TranscodeRunTest, PreviewBitmapsFollowThePreviewInterval) {
  for (int64_t interval : {int64_t(0), int64_t(3600000000LL)}) {
    auto t = Make(Fixture("av.mkv"), {{"vcodec", "mpeg4"}, {"an", "1"}}, Dir / "preview.avi");
    t->SetPostHooksLocked(TPostHooks{phBitmap});
    t->PreviewInterval = interval;
    int calls = 0, lastFrame = -1;
    t->FOnPreviewBitmap = [&](rtl::TObject*, void* ABitmap, int AFrame, int64_t) {
      ++calls;
      EXPECT_EQ(320, static_cast<gdi::TBitmap*>(ABitmap)->Width());
      EXPECT_GT(AFrame, lastFrame);
      lastFrame = AFrame;
    };
    Run(*t);
    ASSERT_TRUE(t->Finished());
    EXPECT_EQ(interval ? 1 : 50, calls);
  }
  // At 10 frames a second from 25: each preview names the pictures decoded so
  // far and the time of the frame the encoder coded.
  const std::string out = Dir / "preview10.avi";
  auto t = Make(Fixture("av.mkv"), {{"vcodec", "mpeg4"}, {"an", "1"}, {"r", "10"}}, out);
  t->SetPostHooksLocked(TPostHooks{phBitmap});
  t->PreviewInterval = 0;
  std::vector<std::pair<int, int64_t>> previews;
  t->FOnPreviewBitmap = [&](rtl::TObject*, void*, int AFrame, int64_t APts) { previews.emplace_back(AFrame, APts); };
  Run(*t);
  ASSERT_TRUE(t->Finished());
  // One preview per picture written: two seconds at 10 a second.
  ASSERT_EQ(static_cast<size_t>(transcodetest::CountFrames(out, "v")), previews.size());
  ASSERT_GE(previews.size(), 20u);
  for (size_t i = 0; i < previews.size(); ++i) EXPECT_EQ(static_cast<int64_t>(i) * 100000, previews[i].second) << i;
  EXPECT_GE(previews.back().first, 46) << "pictures pre-processed, not frames encoded";
}

}  // namespace

namespace {

TEST_F(TranscodeRunTest, SetUpFailuresNameTheStreams) {
  const struct {
    std::vector<std::pair<const char*, const char*>> options;
    const char* message;
  } cases[] = {
      {{{"map", "0.0"}}, "Number of stream maps must match number of output streams"},
      {{{"map", "0.0"}, {"map", "0.7"}}, "Could not find input stream #0.7"},
      {{{"map", "0.0"}, {"map", "0.1:3.0"}}, "Could not find sync stream #3.0"},
      {{{"map", "0.1"}, {"map", "0.0"}}, "Codec type mismatch for mapping #0.1 (Audio) -> #0.0 (Video)"},
      {{{"map_meta_data", "4:0"}}, "Invalid output file index 4 map_meta_data(4,0)"},
      {{{"pass", "2"}, {"passlogfile", "/nonexistent/tvl"}},
       "Cannot read file: Error reading log file \"/nonexistent/tvl-0.log\" for pass-2 encoding"},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.message);
    auto opts = c.options;
    opts.insert(opts.begin(), {{"vcodec", "mpeg4"}, {"acodec", "libmp3lame"}});
    auto t = Make(Fixture("av.mkv"), opts, Dir / "setup.avi");
    Run(*t);
    EXPECT_FALSE(t->Finished());
    EXPECT_EQ(c.message, rtl::U8(t->FatalMessage()));
  }
}

TEST_F(TranscodeRunTest, TwoPassesShareTheStatisticsFile) {
  const std::string prefix = Dir / "stats";
  for (const char* pass : {"1", "2"}) {
    SCOPED_TRACE(pass);
    auto t = Make(Fixture("av.mkv"),
                  {{"vcodec", "mpeg4"}, {"b", "300000"}, {"an", "1"}, {"pass", pass}, {"passlogfile", prefix.c_str()}},
                  Dir / "twopass.avi");
    Run(*t);
    ASSERT_TRUE(t->Finished()) << rtl::U8(t->FatalMessage());
    const std::string stats = enginetest::ReadFile(prefix + "-0.log");
    EXPECT_NE(std::string::npos, stats.find("in:0 out:0")) << stats.substr(0, 80);  // one line per frame
  }
  EXPECT_EQ(50, transcodetest::CountFrames(Dir / "twopass.avi", "v"));
}

}  // namespace
