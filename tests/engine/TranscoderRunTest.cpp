// The transcoder as a container and its run protocol: construction limits,
// refused starts, runs in the caller and on the conversion thread, pause and
// stop, cancel before start, failures, and what a run leaves on disk.
#include <sys/stat.h>

#include <atomic>
#include <filesystem>
#include <thread>

#include "TranscoderTestUtils.h"
#include "engine/MyUtils.h"

namespace {

using engine::TCustomFFmpeg;
using transcodertest::Fixture;
using transcodertest::LogCapture;
using transcodertest::MessageOf;
using transcodertest::TranscoderTest;

// A transcode that stands in for the real one: it counts safe points until
// it is stopped or has passed AFor of them, and may write to its output or fail.
class TFakeFFmpeg : public TCustomFFmpeg {
 public:
  using TCustomFFmpeg::TCustomFFmpeg;
  // The run uses this class's members: it ends before they go.
  ~TFakeFFmpeg() override { Stop(true); }
  int For = 0;                  // safe points before a normal end; 0: until stopped
  std::string WriteBytes;       // written to output 0 first
  const char* Fail = nullptr;   // raised after the safe points
  std::atomic<int> Points{0};
  std::atomic<bool> Ended{false};
  std::atomic<bool>* EndedOutside = nullptr;  // outlives the object

 protected:
  void Transcode() override {
    if (!WriteBytes.empty())
      ff::avio_write(Foutput_files[0]->pb, reinterpret_cast<const unsigned char*>(WriteBytes.data()),
                     static_cast<int>(WriteBytes.size()));
    while (!CheckPause() && (For == 0 || Points < For)) {
      ++Points;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    Ended = true;
    if (EndedOutside) *EndedOutside = true;
    if (Fail) throw engine::FFmpegException(Fail);
    FFinished = !Broken();
  }
};

class TranscoderRunTest : public TranscoderTest {
 protected:
  // A fake with one input and one output opened, its terminate notifications counted.
  std::unique_ptr<TFakeFFmpeg> Ready(const std::string& AOutput) {
    auto t = std::make_unique<TFakeFFmpeg>(20);
    t->Reset();
    EXPECT_TRUE(t->OpenInputFile(rtl::S(Fixture("audio.wav"))));
    EXPECT_EQ(t->OpenOutputFile(rtl::S(AOutput), false), 1) << rtl::U8(t->LastErrMsg());
    t->FOnTerminate = [this](rtl::TObject*) {
      ++Terminations;
      TerminateThread = std::this_thread::get_id();
    };
    return t;
  }
  std::atomic<int> Terminations{0};
  std::thread::id TerminateThread;
  enginetest::TempDir tmp;
};

TEST_F(TranscoderRunTest, CapacityIsCheckedAndSizesTheTables) {
  for (int bad : {0, 513})
    EXPECT_EQ(MessageOf([&] { TCustomFFmpeg t(bad); }), "Assertion failure") << bad;
  for (int good : {1, 512}) {
    TCustomFFmpeg t(good);
    EXPECT_EQ(t.Finput_files.size(), static_cast<size_t>(good));
    EXPECT_EQ(t.Foutput_files.size(), static_cast<size_t>(good));
    EXPECT_EQ(t.Fstream_maps.size(), static_cast<size_t>(good) * 20);
    EXPECT_EQ(t.ReportInterval, 500000);
    EXPECT_EQ(t.PreviewInterval, 100000);
  }
}

TEST_F(TranscoderRunTest, StartWithoutFilesEndsAtOnce) {
  struct Case {
    bool Input, Output;
    const char* Message;
  };
  for (const Case& c : {Case{true, false, "At least one output file must be specified"},
                        Case{false, false, "At least one output file must be specified"},
                        Case{false, true, "At least one input file must be specified"}}) {
    SCOPED_TRACE(c.Message);
    LogCapture::Get().Clear();
    Terminations = 0;
    auto t = std::make_unique<TFakeFFmpeg>(20);
    t->Reset();
    t->FOnTerminate = [this](rtl::TObject*) { ++Terminations; };
    if (c.Input) {
      ASSERT_TRUE(OpenInput(*t, Fixture("audio.wav")));
    }
    if (c.Output) {
      ASSERT_EQ(t->OpenOutputFile(rtl::S(tmp / "o.wav"), false), 1);
    }
    EXPECT_EQ(t->StartConvert(true, rtl::tpNormal), nullptr);
    EXPECT_TRUE(t->FatalException());
    EXPECT_EQ(rtl::U8(t->FatalMessage()), c.Message);
    EXPECT_EQ(Terminations, 1);
    EXPECT_EQ(LogCapture::Get().Count(c.Message, engine::llQuiet), 1);
    // Terminated: a second start is refused without another notification.
    EXPECT_EQ(t->StartConvert(true, rtl::tpNormal), nullptr);
    EXPECT_EQ(Terminations, 1);
    EXPECT_EQ(t->Points, 0);
  }
}

TEST_F(TranscoderRunTest, RunInTheCallerEndsWithTheNotification) {
  auto t = Ready(tmp / "o.wav");
  t->For = 3;
  EXPECT_EQ(t->StartConvert(false, rtl::tpNormal), nullptr);
  EXPECT_EQ(Terminations, 1);
  EXPECT_EQ(TerminateThread, std::this_thread::get_id());
  EXPECT_TRUE(t->Finished());
  EXPECT_FALSE(t->FatalException());
  EXPECT_TRUE(t->Terminated());
  EXPECT_EQ(t->nb_output_files(), 0);  // resources released
  // A stop with no conversion thread only marks the object.
  t->Stop(true);
  EXPECT_TRUE(t->Broken());
}

TEST_F(TranscoderRunTest, ThreadRunPausesAndStops) {
  auto t = Ready(tmp / "o.wav");
  engine::TConvertThread* thread = t->StartConvert(true, rtl::tpNormal);
  ASSERT_NE(thread, nullptr);
  EXPECT_TRUE(t->Converting());
  EXPECT_EQ(t->Points, 0);  // nothing runs before the caller starts the thread
  thread->Start();
  while (t->Points < 2) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  t->Pause();
  EXPECT_TRUE(t->Paused());
  t->Stop(true);  // resumes the paused run and waits for its end
  EXPECT_TRUE(t->Ended);
  EXPECT_EQ(Terminations, 1);
  EXPECT_NE(TerminateThread, std::this_thread::get_id());
  EXPECT_FALSE(t->Finished());
  EXPECT_TRUE(t->Terminated());
  EXPECT_FALSE(t->Converting());
}

TEST_F(TranscoderRunTest, AStopFromTheRunsOwnNotificationDoesNotWaitForItself) {
  auto t = Ready(tmp / "o.wav");
  t->For = 2;
  TFakeFFmpeg* raw = t.get();
  t->FOnTerminate = [this, raw](rtl::TObject*) {
    raw->Stop(true);
    ++Terminations;
  };
  t->StartConvert(true, rtl::tpNormal)->Start();
  while (Terminations == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  t.reset();
  EXPECT_EQ(Terminations, 1);
}

TEST_F(TranscoderRunTest, ResumeLetsAPausedRunFinish) {
  auto t = Ready(tmp / "o.wav");
  t->For = 50;
  engine::TConvertThread* thread = t->StartConvert(true, rtl::tpLower);
  t->Pause();
  thread->Start();
  t->Resume();
  EXPECT_FALSE(t->Paused());
  while (!t->Terminated()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_TRUE(t->Finished());
  EXPECT_EQ(t->Points, 50);
}

TEST_F(TranscoderRunTest, FailureIsRecordedAndCleanUpStillRuns) {
  auto t = Ready(tmp / "o.wav");
  t->For = 1;
  t->Fail = "Video encoding failed";
  t->StartConvert(false, rtl::tpNormal);
  EXPECT_TRUE(t->FatalException());
  EXPECT_EQ(rtl::U8(t->FatalMessage()), "Video encoding failed");
  EXPECT_FALSE(t->Finished());
  EXPECT_EQ(Terminations, 1);
  EXPECT_EQ(t->nb_input_files(), 0);
  EXPECT_EQ(LogCapture::Get().Count("Video encoding failed", engine::llQuiet), 1);
}

TEST_F(TranscoderRunTest, AFileInTheOutputsPlaceIsReplacedOnlyByARunThatEnds) {
  const std::string old = "the user's own file";
  struct Case {
    const char* Name;
    bool Existing;       // a file stands in the output's place
    std::string Write;   // what the run writes
    const char* Fail;    // the run fails after writing
    bool Stop;           // the user stops the run
    const char* After;   // the file's content afterwards; null: no file
  } cases[] = {
      {"finished over a file", true, "new", nullptr, false, "new"},
      {"stopped over a file", true, "new", nullptr, true, "new"},
      {"failed over a file", true, "new", "Video encoding failed", false, "the user's own file"},
      {"finished empty over a file", true, "", nullptr, false, "the user's own file"},
      {"failed where no file stood", false, "part", "stopped with data", false, "part"},
      {"finished empty where no file stood", false, "", nullptr, false, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    enginetest::TempDir dir;
    const std::string out = dir / "phone.wav";
    if (c.Existing) enginetest::WriteFile(out, old);
    auto t = Ready(out);
    // Opening the output creates, opens and truncates nothing.
    EXPECT_EQ(std::filesystem::exists(out), c.Existing);
    if (c.Existing) { EXPECT_EQ(enginetest::ReadFile(out), old); }
    t->WriteBytes = c.Write;
    t->Fail = c.Fail;
    if (c.Stop) {
      t->StartConvert(true, rtl::tpNormal)->Start();
      while (t->Points == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      // Until the run ends the file in the output's place is the old one.
      EXPECT_EQ(enginetest::ReadFile(out), old);
      t->Stop(true);
    } else {
      t->For = 1;
      t->StartConvert(false, rtl::tpNormal);
    }
    EXPECT_EQ(t->FatalException(), c.Fail != nullptr) << rtl::U8(t->FatalMessage());
    if (c.After) {
      EXPECT_EQ(enginetest::ReadFile(out), c.After);
      // A new output gets the permissions of any new file, not private ones.
      if (!c.Existing || std::string(c.After) != old) {
        const mode_t mask = umask(0);
        umask(mask);
        EXPECT_EQ(static_cast<mode_t>(std::filesystem::status(out).permissions()), 0666 & ~mask);
      }
    } else
      EXPECT_FALSE(std::filesystem::exists(out));
    // Nothing else is left in the folder.
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) files += e.path() != out;
    EXPECT_EQ(files, 0);
  }
}

TEST_F(TranscoderRunTest, ATaskFreedWithoutARunLeavesTheFileInItsPlace) {
  const std::string out = tmp / "phone.wav";
  enginetest::WriteFile(out, "the user's own file");
  Ready(out).reset();
  EXPECT_EQ(enginetest::ReadFile(out), "the user's own file");
  auto t = Ready(out);
  t->Cancel(true);  // ended before it started
  t.reset();
  EXPECT_EQ(enginetest::ReadFile(out), "the user's own file");
}

TEST_F(TranscoderRunTest, CancelBeforeStartNotifiesOnAnotherThread) {
  auto t = Ready(tmp / "o.wav");
  t->Cancel(true);
  EXPECT_EQ(Terminations, 1);
  EXPECT_NE(TerminateThread, std::this_thread::get_id());
  EXPECT_TRUE(t->Terminated());
  t->Cancel(true);  // already terminated: nothing
  EXPECT_EQ(Terminations, 1);
  EXPECT_EQ(t->StartConvert(false, rtl::tpNormal), nullptr);

  // A second cancel while the first is still being delivered adds no report.
  auto u = Ready(tmp / "p.wav");
  const int before = Terminations;
  u->Cancel(false);
  u->Cancel(true);
  EXPECT_EQ(Terminations, before + 1);
}

TEST_F(TranscoderRunTest, DestroyingARunningObjectWaitsForItsRun) {
  std::atomic<bool> ended{false};
  auto t = Ready(tmp / "o.wav");
  t->EndedOutside = &ended;
  t->StartConvert(true, rtl::tpNormal)->Start();
  while (t->Points < 1) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  EXPECT_FALSE(ended);
  t.reset();
  EXPECT_TRUE(ended);
  EXPECT_EQ(Terminations, 1);
}

TEST_F(TranscoderRunTest, ResetAllowsASecondRun) {
  auto t = Ready(tmp / "o.wav");
  t->For = 1;
  t->StartConvert(false, rtl::tpNormal);
  t->Reset();
  EXPECT_FALSE(t->Terminated());
  EXPECT_EQ(t->FTotalOutputDuration, -1);
  ASSERT_TRUE(OpenInput(*t, Fixture("audio.wav")));
  ASSERT_EQ(t->OpenOutputFile(rtl::S(tmp / "p.wav"), false), 1);
  EXPECT_EQ(t->Fnb_icodecs, 1);  // the tables start afresh
  EXPECT_EQ(t->Fnb_ocodecs, 1);
  t->StartConvert(true, rtl::tpNormal)->Start();
  t->Stop(true);
  EXPECT_EQ(Terminations, 2);
}

TEST(TranscoderCodecList, ItemsAreAddedAtTheHeadAndRemovedAnywhere) {
  engine::TCodecItem* list = nullptr;
  int a, b, c;
  TCustomFFmpeg::AddCodecItem(list, &a);
  TCustomFFmpeg::AddCodecItem(list, &b);
  TCustomFFmpeg::AddCodecItem(list, &c);
  ASSERT_EQ(list->st, &c);
  TCustomFFmpeg::RemoveCodecItem(list, &b);
  EXPECT_EQ(list->Next->st, &a);
  EXPECT_EQ(list->Next->Prev, list);
  TCustomFFmpeg::RemoveCodecItem(list, &c);
  EXPECT_EQ(list->st, &a);
  EXPECT_EQ(list->Prev, nullptr);
  TCustomFFmpeg::RemoveCodecItem(list, &b);  // not listed: nothing
  TCustomFFmpeg::RemoveCodecItem(list, &a);
  EXPECT_EQ(list, nullptr);
}

TEST_F(TranscoderRunTest, LeftOpenCodecsAreClosedAndTheListEmptied) {
  const AVCodec* codec = ff::avcodec_find_encoder(AV_CODEC_ID_PCM_S16LE);
  engine::TAVOutputStream used, copied;
  used.encoding_needed = 1;
  used.enc_ctx = ff::avcodec_alloc_context3(codec);
  used.enc_ctx->sample_rate = 8000;
  used.enc_ctx->sample_fmt = AV_SAMPLE_FMT_S16;
  ff::av_channel_layout_default(&used.enc_ctx->ch_layout, 1);
  ASSERT_EQ(ff::avcodec_open2(used.enc_ctx, codec, nullptr), 0);
  used.enc_ctx->stats_in = static_cast<char*>(ff::av_malloc(8));
  engine::TCodecItem* list = nullptr;
  TCustomFFmpeg::AddCodecItem(list, &used);
  TCustomFFmpeg::AddCodecItem(list, &copied);
  TCustomFFmpeg::CloseListedEncoders(list);
  EXPECT_EQ(list, nullptr);
  EXPECT_EQ(used.enc_ctx->stats_in, nullptr);
  EXPECT_EQ(used.enc_ctx->codec, nullptr);  // closed
  ff::avcodec_free_context(&used.enc_ctx);
}

}  // namespace
