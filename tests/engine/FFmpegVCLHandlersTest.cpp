// The task list's event handlers set and cleared while tasks report and end,
// as a window does when it closes during a run, and the preview switched
// while conversions run. Meant for ThreadSanitizer and AddressSanitizer too.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "FFmpegVCLTestSupport.h"
#include "engine/FFmpegVCL.h"
#include "platform/rtl/Threads.h"

namespace {

using engine::TFFmpegVCL;
using tasklisttest::U;

// A task whose transcode only reports: progress and previews, then its end.
class ReportingTask final : public engine::TFFmpeg {
 public:
  explicit ReportingTask(int AMaxFiles) : TFFmpeg(AMaxFiles) {}
  ~ReportingTask() override { Stop(true); }

 protected:
  void Transcode() override {
    int picture = 0;
    for (int i = 0; i < 20 && !CheckPause(); ++i) {
      if (FOnPreviewBitmap) FOnPreviewBitmap(this, &picture, i + 1, i * 40000);
      if (FOnProgress) FOnProgress(this, 0, i + 1, 25.0f, 3.0f, 128.0, i * 1000, i * 40000, 800000);
      std::this_thread::yield();
    }
    FFinished = !Broken();
  }
};

// What a window's handlers reach: it goes once they are cleared.
struct Window {
  std::atomic<bool> closed{false};
  std::atomic<int> events{0};
  std::atomic<int>* lateCalls;
  void Event() {
    if (closed) ++*lateCalls;
    ++events;
  }
};

class HandlersTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { tasklisttest::LoadTranscoderLibraries(); }
  enginetest::TempDir out_;
};

TEST_F(HandlersTest, HandlersClearedWhileTasksEndAreNeverCalledAgain) {
  TFFmpegVCL vcl(nullptr);
  vcl.SetTriggerEventInMainThread(false);
  vcl.SetTaskFactory([](int AMaxFiles) { return std::make_unique<ReportingTask>(AMaxFiles); });
  const std::string clip = tasklisttest::Fixtures::Get().Clip(0.2);
  for (int i = 0; i < 16; ++i) {
    const int task = vcl.AddTask(U(clip), engine::PInputOptions{});
    ASSERT_GE(task, 0) << rtl::U8(vcl.LastErrMsg());
    ASSERT_TRUE(vcl.SetOutputFile(task, U(out_ / ("out" + std::to_string(i) + ".avi")), engine::POutputOptions{}));
  }
  std::atomic<int> lateCalls{0};
  int events = 0;
  vcl.Start(4);
  // A window opens and closes again and again while the tasks report and end.
  while (!vcl.Terminated()) {
    auto window = std::make_unique<Window>();
    window->lateCalls = &lateCalls;
    Window* w = window.get();
    vcl.OnProgress = [w](rtl::TObject*, engine::PProgressInfo) { w->Event(); };
    vcl.OnPreviewBitmap = [w](rtl::TObject*, const engine::TPreviewInfo&) { w->Event(); };
    vcl.OnTerminate = [w](rtl::TObject*, const engine::TTerminateInfo&) { w->Event(); };
    std::this_thread::sleep_for(std::chrono::microseconds(200));
    vcl.OnProgress = nullptr;
    vcl.OnPreviewBitmap = nullptr;
    vcl.OnTerminate = nullptr;
    window->closed = true;
    events += window->events;
    window.reset();  // the window is gone: a late handler would touch freed memory
  }
  vcl.Stop(true);
  EXPECT_EQ(0, lateCalls.load());
  EXPECT_GT(events, 0);
}

TEST_F(HandlersTest, AHandlerMayClearItselfAndTheNextOneTakesOver) {
  TFFmpegVCL vcl(nullptr);
  vcl.SetTriggerEventInMainThread(false);
  vcl.SetTaskFactory([](int AMaxFiles) { return std::make_unique<ReportingTask>(AMaxFiles); });
  const std::string clip = tasklisttest::Fixtures::Get().Clip(0.2);
  for (int i = 0; i < 3; ++i) {
    const int task = vcl.AddTask(U(clip), engine::PInputOptions{});
    ASSERT_GE(task, 0);
    ASSERT_TRUE(vcl.SetOutputFile(task, U(out_ / ("self" + std::to_string(i) + ".avi")), engine::POutputOptions{}));
  }
  std::atomic<int> first{0}, second{0};
  std::atomic<bool> final{false};
  vcl.OnProgress = [&](rtl::TObject*, engine::PProgressInfo) {
    ++first;
    vcl.OnProgress = [&](rtl::TObject*, engine::PProgressInfo) { ++second; };
  };
  vcl.OnTerminate = [&](rtl::TObject*, const engine::TTerminateInfo& AInfo) {
    if (AInfo.TaskIndex < 0) final = true;
  };
  vcl.Start(1);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (!final && std::chrono::steady_clock::now() < end) rtl::CheckSynchronize(2);
  ASSERT_TRUE(final);
  EXPECT_EQ(1, first.load());
  EXPECT_GT(second.load(), 0);
}

TEST_F(HandlersTest, PreviewSwitchedWhileConversionsRun) {
  TFFmpegVCL vcl(nullptr);
  vcl.SetTriggerEventInMainThread(false);
  const std::string clip = tasklisttest::Fixtures::Get().Clip(0.4);
  for (int i = 0; i < 3; ++i) {
    const int task = vcl.AddTask(U(clip), engine::PInputOptions{});
    ASSERT_GE(task, 0) << rtl::U8(vcl.LastErrMsg());
    engine::TOutputOptions out;
    out.VideoCodec = u"mpeg4";
    out.AudioCodec = u"mp2";
    ASSERT_TRUE(vcl.SetOutputFile(task, U(out_ / ("conv" + std::to_string(i) + ".avi")), &out))
        << rtl::U8(vcl.LastErrMsg());
  }
  std::atomic<int> previews{0}, failures{0};
  vcl.OnPreviewBitmap = [&](rtl::TObject*, const engine::TPreviewInfo&) { ++previews; };
  vcl.OnTerminate = [&](rtl::TObject*, const engine::TTerminateInfo& AInfo) {
    if (AInfo.TaskIndex >= 0 && (!AInfo.Finished || AInfo.Exception)) ++failures;
  };
  vcl.Start(3);
  bool on = false;
  while (!vcl.Terminated()) {
    vcl.SetPreviewBitmap(on = !on);
    std::this_thread::sleep_for(std::chrono::microseconds(300));
  }
  vcl.Stop(true);
  EXPECT_EQ(0, failures.load());
  EXPECT_GT(previews.load(), 0);
}

// One task at a time: the first preview's handler switches previews off, so
// neither the rest of that task nor the task queued after it (both set up
// with previews on) delivers another.
TEST_F(HandlersTest, PreviewSwitchedOffReachesTheTasksAlreadyQueued) {
  TFFmpegVCL vcl(nullptr);
  vcl.SetTriggerEventInMainThread(false);
  vcl.SetPreviewBitmap(true);
  const std::string clip = tasklisttest::Fixtures::Get().Clip(0.4);
  for (int i = 0; i < 2; ++i) {
    const int task = vcl.AddTask(U(clip), engine::PInputOptions{});
    ASSERT_GE(task, 0) << rtl::U8(vcl.LastErrMsg());
    ASSERT_TRUE(vcl.SetOutputFile(task, U(out_ / ("off" + std::to_string(i) + ".avi")), engine::POutputOptions{}))
        << rtl::U8(vcl.LastErrMsg());
  }
  std::vector<int> previewed;
  vcl.OnPreviewBitmap = [&](rtl::TObject*, const engine::TPreviewInfo& AInfo) {
    previewed.push_back(AInfo.TaskIndex);
    vcl.SetPreviewBitmap(false);
  };
  vcl.Start(1);
  while (!vcl.Terminated()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  vcl.Stop(true);
  EXPECT_EQ(previewed, std::vector<int>{0});
}

}  // namespace
