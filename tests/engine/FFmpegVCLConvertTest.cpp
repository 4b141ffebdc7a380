// The task list driving real conversions: progress cadence, pause, stop, a
// queue that mixes good and broken inputs, and a file that stands where an
// output goes.
#include <gtest/gtest.h>

#include <chrono>
#include <map>

#include "FFmpegVCLTestSupport.h"
#include "engine/FFmpegVCL.h"
#include "engine/MyUtils.h"
#include "platform/rtl/Threads.h"

namespace {

using engine::TFFmpegVCL;
using engine::TProgressInfo;
using engine::TTerminateInfo;
using tasklisttest::U;
using Clock = std::chrono::steady_clock;

bool PumpUntil(const std::function<bool()>& APred, int ATimeoutMs = 60000) {
  const auto end = Clock::now() + std::chrono::milliseconds(ATimeoutMs);
  while (!APred()) {
    if (Clock::now() > end) return false;
    rtl::CheckSynchronize(2);
  }
  return true;
}

void PumpFor(int AMs) {
  const auto end = Clock::now() + std::chrono::milliseconds(AMs);
  while (Clock::now() < end) rtl::CheckSynchronize(2);
}

class ConvertTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { tasklisttest::LoadTranscoderLibraries(); }

  void SetUp() override {
    vcl_.OnTerminate = [this](rtl::TObject*, const TTerminateInfo& AInfo) {
      std::lock_guard<std::mutex> g(m_);
      terminates_.push_back(AInfo);
      endedAt_[AInfo.TaskIndex] = Clock::now();
    };
    vcl_.OnProgress = [this](rtl::TObject*, engine::PProgressInfo AInfo) {
      std::lock_guard<std::mutex> g(m_);
      progress_.push_back({*AInfo, Clock::now()});
    };
  }
  void TearDown() override { vcl_.Stop(true); }

  // A task converting AInput to an MPEG-4/MP2 AVI; returns the output name.
  std::string AddConversion(const std::string& AInput, bool AExpectAdded = true,
                            const rtl::String& AInputText = {}) {
    const int task = vcl_.AddTask(U(AInput), AInputText);
    if (!AExpectAdded) {
      EXPECT_EQ(task, -1);
      return {};
    }
    EXPECT_GE(task, 0) << rtl::U8(vcl_.LastErrMsg());
    engine::TOutputOptions out;
    out.VideoCodec = u"mpeg4";
    out.AudioCodec = u"mp2";
    const std::string name = out_ / ("out" + std::to_string(task) + ".avi");
    EXPECT_TRUE(vcl_.SetOutputFile(task, U(name), &out)) << rtl::U8(vcl_.LastErrMsg());
    return name;
  }

  bool FinalSeen() {
    std::lock_guard<std::mutex> g(m_);
    return !terminates_.empty() && terminates_.back().TaskIndex == -1;
  }
  size_t ProgressCount() {
    std::lock_guard<std::mutex> g(m_);
    return progress_.size();
  }
  TTerminateInfo TerminateOf(int ATask) {
    std::lock_guard<std::mutex> g(m_);
    for (const auto& t : terminates_)
      if (t.TaskIndex == ATask) return t;
    ADD_FAILURE() << "no terminate event for task " << ATask;
    return {};
  }

  enginetest::TempDir out_;
  TFFmpegVCL vcl_{nullptr};
  std::mutex m_;
  std::vector<TTerminateInfo> terminates_;
  std::map<int, Clock::time_point> endedAt_;
  std::vector<std::pair<TProgressInfo, Clock::time_point>> progress_;
};

TEST_F(ConvertTest, ProgressRisesPerTaskAndKeepsItsInterval) {
  // At the clip's own pace: about ten reports per task.
  const std::string clip = tasklisttest::Fixtures::Get().Clip(1);
  for (int i = 0; i < 3; ++i) AddConversion(clip, true, u"re=1");
  vcl_.SetProgressInterval(100);
  // Handled on the conversion threads, so that the times taken are those of
  // the reports themselves and not of their delivery to this thread.
  vcl_.SetTriggerEventInMainThread(false);
  const Clock::time_point started = Clock::now();
  vcl_.Start(2);
  ASSERT_TRUE(PumpUntil([this] { return FinalSeen(); }));
  ASSERT_EQ(terminates_.size(), 4u);
  for (int i = 0; i < 3; ++i) {
    const TTerminateInfo t = TerminateOf(i);
    EXPECT_TRUE(t.Finished) << i << " " << rtl::U8(t.ExceptionMsg);
    EXPECT_FALSE(t.Exception) << i;
  }
  std::map<int, std::vector<std::pair<TProgressInfo, Clock::time_point>>> perTask;
  for (const auto& p : progress_) perTask[p.first.TaskIndex].push_back(p);
  ASSERT_EQ(perTask.size(), 3u);
  for (auto& [task, reports] : perTask) {
    SCOPED_TRACE(task);
    ASSERT_GE(reports.size(), 4u);
    // The task's last report follows the trailers.
    EXPECT_EQ(reports.back().first.FileIndex, -1);
    for (size_t i = 1; i < reports.size(); ++i)
      EXPECT_GE(reports[i].first.CurrentDuration, reports[i - 1].first.CurrentDuration);
    // No more reports than intervals in the task's whole span, plus its last
    // one: a bound that a busy machine only loosens (the handler's own clock
    // readings may be delayed, so gaps between them prove nothing).
    const auto span = std::chrono::duration_cast<std::chrono::milliseconds>(endedAt_[task] - started);
    EXPECT_LE(reports.size(), static_cast<size_t>(span.count() / 100 + 2)) << span.count() << " ms";
    EXPECT_GT(reports.back().first.CurrentDuration, 900000);
  }
}

TEST_F(ConvertTest, PauseHoldsConversionsAndStopLeavesShorterFiles) {
  const std::string clip = tasklisttest::Fixtures::Get().Clip(20);
  std::vector<std::string> outputs;
  // Read at the clip's own pace, so that the run is still going when stopped.
  for (int i = 0; i < 3; ++i) outputs.push_back(AddConversion(clip, true, u"re=1"));
  vcl_.SetProgressInterval(100);
  vcl_.Start(2);
  ASSERT_TRUE(PumpUntil([this] { return ProgressCount() >= 2; }));
  vcl_.Pause();
  PumpFor(500);  // what was under way is delivered
  const size_t atPause = ProgressCount();
  PumpFor(400);
  EXPECT_EQ(ProgressCount(), atPause);
  vcl_.Resume();
  ASSERT_TRUE(PumpUntil([&] { return ProgressCount() > atPause; }));
  vcl_.Stop(true);
  ASSERT_TRUE(PumpUntil([this] { return FinalSeen(); }));
  for (int i = 0; i < 3; ++i) {
    const TTerminateInfo t = TerminateOf(i);
    EXPECT_FALSE(t.Finished) << i;
    EXPECT_FALSE(t.Exception) << i << " " << rtl::U8(t.ExceptionMsg);
  }
  // The two that ran are complete, shorter files; the one that never ran wrote nothing.
  for (int i = 0; i < 2; ++i) {
    player::TAVProbe probe(nullptr);
    ASSERT_TRUE(probe.LoadFile(U(outputs[i]))) << outputs[i];
    EXPECT_GT(probe.FileStreamInfo().Duration, 0);
    EXPECT_LT(probe.FileStreamInfo().Duration, 20000000);
  }
  EXPECT_TRUE(!std::filesystem::exists(outputs[2]) || std::filesystem::file_size(outputs[2]) == 0);
}

TEST_F(ConvertTest, BrokenInputsDoNotStopTheQueue) {
  const std::string clip = tasklisttest::Fixtures::Get().Clip(1);
  // Same header, damaged body.
  std::string data = enginetest::ReadFile(clip);
  for (size_t i = data.size() / 4; i < data.size() * 3 / 4; i += 7) data[i] = static_cast<char>(i * 31);
  const std::string damaged = out_ / "damaged.avi";
  enginetest::WriteFile(damaged, data);
  // A header cut short: no task at all.
  const std::string cut = out_ / "cut.avi";
  enginetest::WriteFile(cut, data.substr(0, 200));

  const std::string good0 = AddConversion(clip);
  AddConversion(damaged);
  AddConversion(cut, false);
  const std::string good2 = AddConversion(clip);
  ASSERT_EQ(vcl_.TasksCount(), 3);
  vcl_.Start(2);
  ASSERT_TRUE(PumpUntil([this] { return FinalSeen(); }));
  ASSERT_EQ(terminates_.size(), 4u);
  for (int i : {0, 2}) {
    const TTerminateInfo t = TerminateOf(i);
    EXPECT_TRUE(t.Finished) << i;
    EXPECT_FALSE(t.Exception) << i << " " << rtl::U8(t.ExceptionMsg);
  }
  for (const std::string& out : {good0, good2}) {
    player::TAVProbe probe(nullptr);
    ASSERT_TRUE(probe.LoadFile(U(out))) << out;
    EXPECT_EQ(probe.VideoStreamCount(), 1);
    EXPECT_EQ(probe.AudioStreamCount(), 1);
  }
}

TEST_F(ConvertTest, AFileInTheOutputsPlaceSurvivesAllButAConversionThatEnds) {
  const std::string clip = tasklisttest::Fixtures::Get().Clip(1);
  const std::string target = out_ / "phone.avi";
  const std::string old = "the user's own phone.avi";
  enginetest::WriteFile(target, old);
  auto unchanged = [&] { return enginetest::ReadFile(target) == old; };
  // Every file in the output folder but the target itself.
  auto others = [&] {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(out_.path()))
      if (e.path() != target) names.push_back(e.path().filename().string());
    return names;
  };
  engine::TOutputOptions good;
  good.VideoCodec = u"mpeg4";
  good.AudioCodec = u"mp2";
  // H.263 takes no 160x120 pictures: the encoder refuses to open.
  engine::TOutputOptions failing = good;
  failing.VideoCodec = u"h263";
  auto add = [&](TFFmpegVCL& AVcl, engine::TOutputOptions AOut) {
    const int task = AVcl.AddTask(U(clip), engine::PInputOptions{});
    EXPECT_GE(task, 0) << rtl::U8(AVcl.LastErrMsg());
    EXPECT_TRUE(AVcl.SetOutputFile(task, U(target), &AOut)) << rtl::U8(AVcl.LastErrMsg());
  };
  auto run = [&] {
    {
      std::lock_guard<std::mutex> g(m_);
      terminates_.clear();
    }
    vcl_.Start(1);
    EXPECT_TRUE(PumpUntil([this] { return FinalSeen(); }));
    return TerminateOf(0);
  };

  add(vcl_, good);
  EXPECT_TRUE(unchanged()) << "added";
  vcl_.RemoveTask(0);
  EXPECT_TRUE(unchanged()) << "removed";
  add(vcl_, good);
  add(vcl_, good);
  vcl_.ClearTasks();
  EXPECT_TRUE(unchanged()) << "cleared";
  {
    TFFmpegVCL closing(nullptr);
    add(closing, good);
  }
  EXPECT_TRUE(unchanged()) << "closed";
  EXPECT_TRUE(others().empty());

  add(vcl_, failing);
  TTerminateInfo end = run();
  EXPECT_TRUE(end.Exception);
  EXPECT_FALSE(end.Finished);
  EXPECT_TRUE(unchanged()) << "failed conversion";
  EXPECT_TRUE(others().empty());

  vcl_.ClearTasks();
  add(vcl_, good);
  end = run();
  EXPECT_TRUE(end.Finished) << rtl::U8(end.ExceptionMsg);
  EXPECT_FALSE(unchanged());
  player::TAVProbe probe(nullptr);
  EXPECT_TRUE(probe.LoadFile(U(target)));
  EXPECT_EQ(probe.VideoStreamCount(), 1);
  EXPECT_TRUE(others().empty());
}

}  // namespace
