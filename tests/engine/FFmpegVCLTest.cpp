// Task list: adding tasks, inputs and outputs with records or text, list
// changes, limits and refusals, against real media files.
#include <gtest/gtest.h>

#include "FFmpegVCLTestSupport.h"
#include "engine/FFmpegVCL.h"
#include "engine/MyUtils.h"

namespace {

using engine::TFFmpegVCL;
using engine::TInputOptions;
using engine::TOutputOptions;
using tasklisttest::U;

class TaskListTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { tasklisttest::LoadTranscoderLibraries(); }
  std::string Clip() { return tasklisttest::Fixtures::Get().Clip(0.2); }
  rtl::String Out(const std::string& AName) { return U(dir_ / AName); }

  enginetest::TempDir dir_;
  TFFmpegVCL vcl_{nullptr};
};

template <class F>
std::string RaisedMessage(F AOp) {
  try {
    AOp();
  } catch (const rtl::Exception& e) {
    return rtl::U8(e.Message());
  }
  return "(nothing raised)";
}

TEST_F(TaskListTest, TasksAreIndexedInOrderAndMoveDownOnRemoval) {
  EXPECT_EQ(vcl_.AddTask(U(Clip()), engine::PInputOptions{}), 0);
  EXPECT_EQ(vcl_.AddTask(U(Clip()), engine::PInputOptions{}), 1);
  EXPECT_EQ(vcl_.AddTask(U(Clip()), engine::PInputOptions{}), 2);
  engine::TFFmpeg* second = vcl_.Task(1);
  engine::TFFmpeg* third = vcl_.Task(2);
  vcl_.RemoveTask(0);
  EXPECT_EQ(vcl_.TasksCount(), 2);
  EXPECT_EQ(vcl_.Task(0), second);
  vcl_.Exchange(0, 1);
  EXPECT_EQ(vcl_.Task(0), third);
  EXPECT_EQ(vcl_.Task(1), second);

  EXPECT_EQ(RaisedMessage([&] { vcl_.RemoveTask(5); }), "List index out of bounds (5)");
  EXPECT_EQ(RaisedMessage([&] { vcl_.Exchange(0, -1); }), "List index out of bounds (-1)");
  EXPECT_EQ(RaisedMessage([&] { vcl_.SetOutputFile(2, Out("a.avi"), engine::POutputOptions{}); }),
            "List index out of bounds (2)");
  EXPECT_EQ(RaisedMessage([&] { vcl_.GetTaskAVProbe(7, 0); }), "List index out of bounds (7)");
}

TEST_F(TaskListTest, InputThatDoesNotOpenAddsNoTask) {
  ASSERT_EQ(vcl_.AddTask(U(Clip()), engine::PInputOptions{}), 0);
  for (const std::string& name :
       {tasklisttest::Fixtures::Get().Garbage(), dir_ / "missing.avi"}) {
    TInputOptions in;
    EXPECT_EQ(vcl_.AddTask(U(name), &in), -1) << name;
    EXPECT_EQ(vcl_.TasksCount(), 1);
    EXPECT_FALSE(vcl_.LastErrMsg().empty());
    EXPECT_EQ(in.FileName, U(name));  // filled also on failure
  }
  // A later success leaves the message alone.
  EXPECT_EQ(vcl_.AddTask(U(Clip()), engine::PInputOptions{}), 1);
  EXPECT_FALSE(vcl_.LastErrMsg().empty());
}

TEST_F(TaskListTest, RecordsAreCopiedWithTheTaskAndProbeSeesTheInput) {
  TInputOptions in;
  in.Tag = 7;
  const int task = vcl_.AddTask(U(Clip()), &in);
  ASSERT_EQ(task, 0);
  EXPECT_EQ(in.FileName, U(Clip()));
  const TInputOptions* stored = vcl_.Task(0)->InputOptions(0);
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->Tag, 7);
  EXPECT_EQ(stored->FileName, U(Clip()));
  in.Tag = 8;  // the task keeps its own copy
  EXPECT_EQ(stored->Tag, 7);

  player::TAVProbe* probe = vcl_.GetTaskAVProbe(0, 0);
  ASSERT_NE(probe, nullptr);
  EXPECT_EQ(probe->VideoStreamCount(), 1);
  EXPECT_EQ(probe->AudioStreamCount(), 1);
  EXPECT_EQ(vcl_.GetTaskAVProbe(0, 1), nullptr);

  TOutputOptions out;
  out.FileExt = u".avi";
  ASSERT_TRUE(vcl_.SetOutputFile(0, Out("o.avi"), &out)) << rtl::U8(vcl_.LastErrMsg());
  EXPECT_EQ(out.FileName, Out("o.avi"));
  ASSERT_NE(vcl_.Task(0)->OutputOptions(0), nullptr);
  EXPECT_EQ(vcl_.Task(0)->OutputOptions(0)->FileExt, u".avi");

  // Text forms fill a fresh record.
  ASSERT_EQ(vcl_.AddTask(U(Clip()), rtl::String(u"TimeStart=100000<CRLF>f=avi")), 1);
  EXPECT_EQ(vcl_.Task(1)->InputOptions(0)->TimeStart, 100000);
  EXPECT_EQ(vcl_.Task(1)->InputOptions(0)->ExtOptions, u"f=avi\n");
  ASSERT_TRUE(vcl_.SetOutputFile(1, Out("p.avi"), rtl::String(u"join=0<CRLF>TimeLength=50000")));
  EXPECT_TRUE(vcl_.Task(1)->OutputOptions(0)->Join);
  EXPECT_EQ(vcl_.Task(1)->FTotalOutputDuration, 50000);
}

TEST_F(TaskListTest, StreamsAreNamedByAddressAndData) {
  rtl::TMemoryStream stream;
  TInputOptions in;
  EXPECT_EQ(vcl_.AddTask(&stream, u"clip", &in), -1);  // no "stream" protocol here
  EXPECT_EQ(rtl::U8(in.FileName),
            "stream:" + std::to_string(reinterpret_cast<uintptr_t>(&stream)) + ":clip");
  EXPECT_EQ(vcl_.TasksCount(), 0);
}

TEST_F(TaskListTest, RefusedOutputResetsItsRecordAndLeavesTheSlotFree) {
  ASSERT_EQ(vcl_.AddTask(U(Clip()), engine::PInputOptions{}), 0);
  TOutputOptions out;
  out.FrameRate = u"fast";
  out.Tag = 3;
  EXPECT_FALSE(vcl_.SetOutputFile(0, Out("o.avi"), &out));
  EXPECT_EQ(rtl::U8(vcl_.LastErrMsg()), "Incorrect frame rate");
  ASSERT_NE(vcl_.Task(0)->OutputOptions(0), nullptr);
  EXPECT_EQ(vcl_.Task(0)->OutputOptions(0)->Tag, 0);
  EXPECT_EQ(vcl_.Task(0)->nb_output_files(), 0);

  EXPECT_TRUE(vcl_.SetOutputFile(0, Out("o.avi"), engine::POutputOptions{}));
  EXPECT_EQ(vcl_.Task(0)->nb_output_files(), 1);

  // A format no muxer knows: the transcoder's own text.
  TOutputOptions bad;
  bad.FileFormat = u"no-such-format";
  EXPECT_FALSE(vcl_.SetOutputFile(0, Out("p.avi"), &bad));
  EXPECT_NE(rtl::U8(vcl_.LastErrMsg()).find("no-such-format"), std::string::npos);
  EXPECT_EQ(vcl_.Task(0)->nb_output_files(), 1);
}

TEST_F(TaskListTest, FilesPerTaskAreLimited) {
  vcl_.SetCustomMaxFiles(1);
  ASSERT_EQ(vcl_.AddTask(U(Clip()), engine::PInputOptions{}), 0);
  EXPECT_FALSE(vcl_.AddInputFile(0, U(Clip()), engine::PInputOptions{}));
  EXPECT_EQ(rtl::U8(vcl_.LastErrMsg()), "max input files 1 reached");
  EXPECT_TRUE(vcl_.SetOutputFile(0, Out("a.avi"), engine::POutputOptions{}));
  EXPECT_FALSE(vcl_.SetOutputFile(0, Out("b.avi"), engine::POutputOptions{}));
  EXPECT_EQ(rtl::U8(vcl_.LastErrMsg()), "max output files 1 reached");

  vcl_.SetCustomMaxFiles(2);
  ASSERT_EQ(vcl_.AddTask(U(Clip()), engine::PInputOptions{}), 1);
  TInputOptions in;
  EXPECT_TRUE(vcl_.AddInputFile(1, U(Clip()), &in));
  EXPECT_EQ(vcl_.Task(1)->nb_input_files(), 2);
  ASSERT_NE(vcl_.GetTaskAVProbe(1, 1), nullptr);

  for (int bad : {0, 513}) {
    vcl_.SetCustomMaxFiles(bad);
    EXPECT_THROW(vcl_.AddTask(U(Clip()), engine::PInputOptions{}), engine::EAssertionFailed);
  }
  EXPECT_EQ(vcl_.TasksCount(), 2);
}

TEST_F(TaskListTest, LaterTextLinesServeNewStreams) {
  ASSERT_EQ(vcl_.AddTask(U(Clip()), engine::PInputOptions{}), 0);
  TOutputOptions out;
  out.VideoCodec = u"mpeg4";
  out.AudioCodec = u"mp2";
  out.ExtOptions = u"VCODEC=ffv1<CRLF>newvideo<CRLF>newvideo<CRLF>acodec=pcm_s16le<CRLF>newaudio";
  ASSERT_TRUE(vcl_.SetOutputFile(0, Out("multi.mkv"), &out)) << rtl::U8(vcl_.LastErrMsg());
  engine::TOutputFile* file = vcl_.Task(0)->OutputFile(0);
  ASSERT_NE(file, nullptr);
  std::vector<std::string> video, audio;
  for (const auto& s : file->streams) {
    ASSERT_NE(s->codec, nullptr);
    (s->type == AVMEDIA_TYPE_VIDEO ? video : audio).push_back(s->codec->name);
  }
  // First streams from the record, then each new stream the next unused
  // text line, and the record again when none is left.
  EXPECT_EQ(video, (std::vector<std::string>{"mpeg4", "ffv1", "mpeg4"}));
  EXPECT_EQ(audio, (std::vector<std::string>{"mp2", "pcm_s16le"}));
}

TEST_F(TaskListTest, PropertySetters) {
  const std::pair<int, int> intervals[] = {{50, 100}, {100, 100}, {101, 101}, {-5, 100}};
  for (auto [set, read] : intervals) {
    vcl_.SetProgressInterval(set);
    EXPECT_EQ(vcl_.ProgressInterval(), read) << set;
  }
  EXPECT_EQ(TFFmpegVCL::Version(), u"3.3");
  EXPECT_TRUE(vcl_.AVLibLoaded());
  ASSERT_NE(vcl_.AVProbe(), nullptr);

  ASSERT_EQ(vcl_.AddTask(U(Clip()), engine::PInputOptions{}), 0);
  EXPECT_FALSE(vcl_.Task(0)->FPostHooks.Contains(engine::phBitmap));
  vcl_.SetPreviewBitmap(true);
  EXPECT_TRUE(vcl_.Task(0)->FPostHooks.Contains(engine::phBitmap));
  ASSERT_EQ(vcl_.AddTask(U(Clip()), engine::PInputOptions{}), 1);
  EXPECT_TRUE(vcl_.Task(1)->FPostHooks.Contains(engine::phBitmap));
  vcl_.SetPreviewBitmap(false);
  EXPECT_FALSE(vcl_.Task(1)->FPostHooks.Contains(engine::phBitmap));
  EXPECT_FALSE(vcl_.Task(1)->FPostHooks.Contains(engine::phPreview));
}

}  // namespace
