// Task scheduling and events, with tasks whose transcode is a scripted
// stand-in (the real opening of inputs and outputs, the real run, stop and
// pause protocol of the transcoder; only the transcode itself is replaced).
// Runs under TSan as well.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <algorithm>
#include <map>
#include <set>
#include <thread>

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "FFmpegVCLTestSupport.h"
#include "engine/FFmpegVCL.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Canvas.h"
#include "platform/rtl/Threads.h"

namespace {

using engine::TFFmpegVCL;
using engine::TProgressInfo;
using engine::TTerminateInfo;
using tasklisttest::U;

// What the stand-in transcodes do, and what they saw.
struct StubControl {
  std::mutex m;
  std::condition_variable cv;
  int steps = 5;
  int stepMs = 1;
  bool gated = false;         // each task waits for Release before its first step
  std::set<int> released;
  std::set<int> atGate;  // past their pause point, waiting for Release
  std::set<int> failing;
  std::set<int> reportTwice;  // these also report their end from inside the run
  int running = 0, maxRunning = 0;
  std::vector<int> startOrder;
  std::map<int, int64_t> reportIntervals;
  std::map<int, int> expectedRuns;  // the runs each was told share the cores
  std::map<int, int> niceValues;  // of each run's thread
  std::atomic<int> stepsDone{0};
  // What the custom hook handed back, per call: update, stop, thread.
  struct HookResult {
    bool Update, StopHook;
    rtl::TThreadID Thread;
  };
  std::vector<HookResult> hookResults;
  // The frame's bitmap the stand-ins hand to the hook and preview events.
  gdi::TBitmap picture;
  // The hook's exception, as the transcoder catches it.
  std::vector<std::string> hookErrors;

  void Release(int AId) {
    std::lock_guard<std::mutex> g(m);
    released.insert(AId);
    cv.notify_all();
  }
  std::vector<int> Started() {
    std::lock_guard<std::mutex> g(m);
    return startOrder;
  }
  // Concurrent runs reach their first line in any order.
  std::set<int> StartedSet() {
    std::vector<int> s = Started();
    return {s.begin(), s.end()};
  }
};

class StubTask final : public engine::TFFmpeg {
 public:
  StubTask(int AMaxFiles, StubControl& AControl, int AId)
      : TFFmpeg(AMaxFiles), ctl_(AControl), id_(AId) {}
  // The run uses this object's Transcode: it ends before this part goes.
  ~StubTask() override { Stop(true); }

 protected:
  void Transcode() override {
    {
      std::lock_guard<std::mutex> g(ctl_.m);
      ctl_.maxRunning = std::max(ctl_.maxRunning, ++ctl_.running);
      ctl_.startOrder.push_back(id_);
      ctl_.reportIntervals[id_] = ReportInterval;
      ctl_.expectedRuns[id_] = ExpectedConcurrentRuns;
      ctl_.niceValues[id_] = getpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)));
    }
    for (int i = 0; i < ctl_.steps; ++i) {
      if (CheckPause()) break;
      if (ctl_.gated) {
        std::unique_lock<std::mutex> g(ctl_.m);
        ctl_.atGate.insert(id_);
        while (!ctl_.released.count(id_) && !Broken()) ctl_.cv.wait_for(g, std::chrono::milliseconds(2));
        if (Broken()) break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(ctl_.stepMs));
      ++ctl_.stepsDone;
      if (FOnCustomHook) {
        bool update = true, stopHook = false;
        try {
          FOnCustomHook(this, &ctl_.picture, i + 1, i * 40000, update, stopHook);
        } catch (const std::exception& e) {
          std::lock_guard<std::mutex> g(ctl_.m);
          ctl_.hookErrors.push_back(e.what());
        }
        std::lock_guard<std::mutex> g(ctl_.m);
        ctl_.hookResults.push_back({update, stopHook, rtl::GetCurrentThreadId()});
      }
      if (FOnPreviewBitmap) FOnPreviewBitmap(this, &ctl_.picture, i + 1, i * 40000);
      if (FOnProgress)
        FOnProgress(this, 0, i + 1, 25.0f, 3.0f, 128.0, (i + 1) * 1000, (i + 1) * 40000,
                    ctl_.steps * 40000);
    }
    {
      std::lock_guard<std::mutex> g(ctl_.m);
      --ctl_.running;
    }
    if (ctl_.failing.count(id_)) throw engine::FFmpegException("stub failure");
    FFinished = !Broken();
    // As when a stop crosses the run's own end: the end is reported twice.
    if (ctl_.reportTwice.count(id_) && FOnTerminate) FOnTerminate(this);
  }

 private:
  StubControl& ctl_;
  int id_;
};

// Every event the component raised, with the thread it came on.
struct EventLog {
  std::mutex m;
  std::vector<TTerminateInfo> terminates;
  std::vector<rtl::TThreadID> terminateThreads;
  std::vector<TProgressInfo> progress;
  std::vector<rtl::TThreadID> progressThreads;

  bool FinalSeen() {
    std::lock_guard<std::mutex> g(m);
    return !terminates.empty() && terminates.back().TaskIndex == -1;
  }
  size_t ProgressCount() {
    std::lock_guard<std::mutex> g(m);
    return progress.size();
  }
};

// Serves the GUI thread's synchronisation queue until APred holds.
bool PumpUntil(const std::function<bool()>& APred, int ATimeoutMs = 30000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ATimeoutMs);
  while (!APred()) {
    if (std::chrono::steady_clock::now() > end) return false;
    rtl::CheckSynchronize(2);
  }
  return true;
}

void PumpFor(int AMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(AMs);
  while (std::chrono::steady_clock::now() < end) rtl::CheckSynchronize(2);
}

class SchedulingTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { tasklisttest::LoadTranscoderLibraries(); }

  void SetUp() override {
    vcl_ = std::make_unique<TFFmpegVCL>(nullptr);
    vcl_->SetTaskFactory([this](int AMaxFiles) {
      return std::make_unique<StubTask>(AMaxFiles, ctl_, nextId_++);
    });
    vcl_->OnTerminate = [this](rtl::TObject*, const TTerminateInfo& AInfo) {
      std::lock_guard<std::mutex> g(log_.m);
      log_.terminates.push_back(AInfo);
      log_.terminateThreads.push_back(rtl::GetCurrentThreadId());
    };
    vcl_->OnProgress = [this](rtl::TObject*, engine::PProgressInfo AInfo) {
      std::lock_guard<std::mutex> g(log_.m);
      log_.progress.push_back(*AInfo);
      log_.progressThreads.push_back(rtl::GetCurrentThreadId());
    };
  }

  void TearDown() override {
    if (vcl_) vcl_->Stop(true);
    vcl_.reset();
  }

  // ACount tasks with one input and one output each (AWithOutput false: none).
  void AddTasks(int ACount, bool AWithOutput = true, engine::TOutputOptions* ARecord = nullptr) {
    const std::string clip = tasklisttest::Fixtures::Get().Clip(0.2);
    for (int i = 0; i < ACount; ++i) {
      const int index = vcl_->AddTask(U(clip), engine::PInputOptions{});
      ASSERT_GE(index, 0) << rtl::U8(vcl_->LastErrMsg());
      if (!AWithOutput) continue;
      const std::string out = out_ / ("out" + std::to_string(index) + ".avi");
      ASSERT_TRUE(vcl_->SetOutputFile(index, U(out), ARecord))
          << rtl::U8(vcl_->LastErrMsg());
    }
  }

  bool RunToEnd() { return PumpUntil([this] { return log_.FinalSeen(); }); }

  // Each task's event exactly once, then the final one.
  void ExpectEachTaskOnceThenFinal(int ACount) {
    std::lock_guard<std::mutex> g(log_.m);
    ASSERT_EQ(log_.terminates.size(), static_cast<size_t>(ACount) + 1);
    std::set<int> seen;
    for (int i = 0; i < ACount; ++i) seen.insert(log_.terminates[i].TaskIndex);
    EXPECT_EQ(seen.size(), static_cast<size_t>(ACount));
    if (ACount > 0) {
      EXPECT_EQ(*seen.begin(), 0);
      EXPECT_EQ(*seen.rbegin(), ACount - 1);
    }
    const TTerminateInfo& last = log_.terminates.back();
    EXPECT_EQ(last.TaskIndex, -1);
    EXPECT_TRUE(last.Finished);
    EXPECT_FALSE(last.Exception);
    EXPECT_TRUE(last.ExceptionMsg.empty());
  }

  TTerminateInfo TerminateOf(int ATask) {
    std::lock_guard<std::mutex> g(log_.m);
    for (const auto& t : log_.terminates)
      if (t.TaskIndex == ATask) return t;
    ADD_FAILURE() << "no terminate event for task " << ATask;
    return {};
  }

  enginetest::TempDir out_;
  StubControl ctl_;
  EventLog log_;
  int nextId_ = 0;
  std::unique_ptr<TFFmpegVCL> vcl_;
};

class ThreadCountTest : public SchedulingTest, public ::testing::WithParamInterface<int> {};

TEST_P(ThreadCountTest, EveryTaskEndsOnceThenTheFinalOne) {
  const int threads = GetParam();
  ctl_.failing = {3};
  AddTasks(6);
  vcl_->Start(threads);
  ASSERT_TRUE(RunToEnd());
  ExpectEachTaskOnceThenFinal(6);
  EXPECT_TRUE(vcl_->Terminated());
  EXPECT_TRUE(vcl_->Working());

  EXPECT_LE(ctl_.maxRunning, threads);
  // Started in index order (seen in that order only when one runs at a time).
  std::vector<int> started = ctl_.Started();
  if (threads > 1) std::sort(started.begin(), started.end());
  EXPECT_EQ(started, (std::vector<int>{0, 1, 2, 3, 4, 5}));
  for (int i = 0; i < 6; ++i) {
    const TTerminateInfo t = TerminateOf(i);
    EXPECT_EQ(t.Finished, i != 3) << i;
    EXPECT_EQ(t.Exception, i == 3) << i;
    EXPECT_EQ(rtl::U8(t.ExceptionMsg), i == 3 ? "stub failure" : "") << i;
  }
  std::lock_guard<std::mutex> g(log_.m);
  for (rtl::TThreadID id : log_.terminateThreads) EXPECT_NE(id, rtl::MainThreadID());
  // Progress on the GUI thread, each task's times rising.
  ASSERT_EQ(log_.progress.size(), 6u * ctl_.steps);
  std::map<int, int64_t> lastTime;
  for (size_t i = 0; i < log_.progress.size(); ++i) {
    const TProgressInfo& p = log_.progress[i];
    EXPECT_EQ(log_.progressThreads[i], rtl::MainThreadID());
    ASSERT_GE(p.TaskIndex, 0);
    EXPECT_GT(p.CurrentDuration, lastTime[p.TaskIndex]);
    lastTime[p.TaskIndex] = p.CurrentDuration;
    EXPECT_EQ(p.FPS, 25);
    EXPECT_EQ(p.TotalDuration, ctl_.steps * 40000);
  }
}

// 8: more threads than tasks.
INSTANTIATE_TEST_SUITE_P(Threads, ThreadCountTest, ::testing::Values(1, 2, 4, 8));

TEST_F(SchedulingTest, StartsUpToTheCountAndEachEndStartsTheNext) {
  ctl_.gated = true;
  AddTasks(3);
  vcl_->Start(2);
  ASSERT_TRUE(PumpUntil([this] { return ctl_.Started().size() == 2; }));
  PumpFor(30);
  EXPECT_EQ(ctl_.StartedSet(), (std::set<int>{0, 1}));
  ctl_.Release(1);
  ASSERT_TRUE(PumpUntil([this] { return ctl_.Started().size() == 3; }));
  ctl_.Release(2);
  ctl_.Release(0);
  ASSERT_TRUE(RunToEnd());
  ExpectEachTaskOnceThenFinal(3);
  std::lock_guard<std::mutex> g(log_.m);
  // Delivered in the order the tasks ended.
  EXPECT_EQ(log_.terminates[0].TaskIndex, 1);
}

TEST_F(SchedulingTest, EachTaskCountsTheTasksThatRunBesideIt) {
  // Four tasks on three workers: the first three run together; the last
  // starts when one has ended and the queue is drained, beside the other
  // two. One task alone, or in series, shares with nobody.
  ctl_.gated = true;
  AddTasks(4);
  vcl_->Start(3);
  ASSERT_TRUE(PumpUntil([this] { return ctl_.Started().size() == 3; }));
  ctl_.Release(0);
  ASSERT_TRUE(PumpUntil([this] { return ctl_.Started().size() == 4; }));
  for (int i = 1; i < 4; ++i) ctl_.Release(i);
  ASSERT_TRUE(RunToEnd());
  {
    std::lock_guard<std::mutex> g(ctl_.m);
    EXPECT_EQ(ctl_.expectedRuns, (std::map<int, int>{{0, 3}, {1, 3}, {2, 3}, {3, 3}}));
  }
  auto clear = [this] {
    vcl_->ClearTasks();
    std::lock_guard<std::mutex> g(log_.m);
    log_.terminates.clear();
  };
  clear();
  ctl_.gated = false;
  ctl_.expectedRuns.clear();
  AddTasks(1);
  vcl_->Start(8);
  ASSERT_TRUE(RunToEnd());
  clear();
  AddTasks(2);
  vcl_->Start(0);
  std::lock_guard<std::mutex> g(ctl_.m);
  EXPECT_EQ(ctl_.expectedRuns, (std::map<int, int>{{4, 1}, {5, 1}, {6, 1}}));
}

TEST_F(SchedulingTest, StopEndsRunningAndPendingTasks) {
  ctl_.gated = true;
  AddTasks(4);
  vcl_->Start(2);
  ASSERT_TRUE(PumpUntil([this] { return ctl_.Started().size() == 2; }));
  vcl_->Stop(true);
  // The running tasks have ended when Stop returns.
  EXPECT_TRUE(vcl_->Task(0)->Terminated());
  EXPECT_TRUE(vcl_->Task(1)->Terminated());
  ASSERT_TRUE(RunToEnd());
  ExpectEachTaskOnceThenFinal(4);
  for (int i = 0; i < 4; ++i) {
    const TTerminateInfo t = TerminateOf(i);
    EXPECT_FALSE(t.Finished) << i;
    EXPECT_FALSE(t.Exception) << i;
    EXPECT_TRUE(t.ExceptionMsg.empty()) << i;
  }
  EXPECT_EQ(ctl_.StartedSet(), (std::set<int>{0, 1}));
}

TEST_F(SchedulingTest, PauseHoldsEveryWorkerUntilResume) {
  ctl_.steps = 300;
  AddTasks(3);
  vcl_->Start(2);
  ASSERT_TRUE(PumpUntil([this] { return ctl_.stepsDone >= 4; }));
  vcl_->Pause();
  // A worker past its safe point may finish the step it is in (each step
  // reports once), then no more.
  const int atPause = ctl_.stepsDone;
  PumpFor(200);
  EXPECT_LE(ctl_.stepsDone, atPause + 2);
  EXPECT_LE(log_.ProgressCount(), static_cast<size_t>(atPause + 2));
  vcl_->Resume();
  ASSERT_TRUE(RunToEnd());
  ExpectEachTaskOnceThenFinal(3);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(TerminateOf(i).Finished) << i;
}

TEST_F(SchedulingTest, TaskStartedWhilePausedWaitsForResume) {
  ctl_.gated = true;
  ctl_.steps = 1;
  AddTasks(2);
  vcl_->Start(1);
  ASSERT_TRUE(PumpUntil([this] {
    std::lock_guard<std::mutex> g(ctl_.m);
    return ctl_.atGate.count(0) == 1;
  }));
  // Task 0 is past its last pause point: it ends while paused and starts task 1.
  vcl_->Pause();
  ctl_.Release(0);
  ctl_.Release(1);
  ASSERT_TRUE(PumpUntil([this] { return ctl_.Started().size() == 2; }));
  EXPECT_TRUE(vcl_->Task(1)->Paused());
  EXPECT_EQ(ctl_.stepsDone, 1);
  vcl_->Resume();
  ASSERT_TRUE(RunToEnd());
  ExpectEachTaskOnceThenFinal(2);
  EXPECT_EQ(ctl_.stepsDone, 2);
  EXPECT_TRUE(TerminateOf(1).Finished);
}

TEST_F(SchedulingTest, StopEndsPausedTasks) {
  ctl_.steps = 300;
  AddTasks(3);
  vcl_->Start(2);
  ASSERT_TRUE(PumpUntil([this] { return ctl_.stepsDone >= 2; }));
  vcl_->Pause();
  vcl_->Stop(true);
  ASSERT_TRUE(RunToEnd());
  ExpectEachTaskOnceThenFinal(3);
  for (int i = 0; i < 3; ++i) EXPECT_FALSE(TerminateOf(i).Finished) << i;
}

TEST_F(SchedulingTest, SerialModeRunsEverythingInTheCaller) {
  AddTasks(2);
  vcl_->Start(0);
  // Returned after the final event, all of it on this thread.
  std::lock_guard<std::mutex> g(log_.m);
  ASSERT_EQ(log_.terminates.size(), 3u);
  EXPECT_EQ(log_.terminates[0].TaskIndex, 0);
  EXPECT_EQ(log_.terminates[1].TaskIndex, 1);
  EXPECT_EQ(log_.terminates[2].TaskIndex, -1);
  for (rtl::TThreadID id : log_.terminateThreads) EXPECT_EQ(id, rtl::GetCurrentThreadId());
  for (rtl::TThreadID id : log_.progressThreads) EXPECT_EQ(id, rtl::GetCurrentThreadId());
  EXPECT_EQ(ctl_.maxRunning, 1);
  EXPECT_TRUE(vcl_->Terminated());
}

TEST_F(SchedulingTest, SerialHandlerMayStopTheQueue) {
  AddTasks(3);
  auto record = vcl_->OnTerminate.Get();
  vcl_->OnTerminate = [&](rtl::TObject* ASender, const TTerminateInfo& AInfo) {
    record(ASender, AInfo);
    if (AInfo.TaskIndex == 0) vcl_->Stop(true);
  };
  vcl_->Start(0);
  ExpectEachTaskOnceThenFinal(3);
  EXPECT_TRUE(TerminateOf(0).Finished);
  EXPECT_FALSE(TerminateOf(1).Finished);
  EXPECT_FALSE(TerminateOf(2).Finished);
  EXPECT_EQ(ctl_.Started(), (std::vector<int>{0}));
}

TEST_F(SchedulingTest, StopAfterATaskEndedLeavesItAlone) {
  ctl_.gated = true;
  AddTasks(4);
  vcl_->Start(1);
  ctl_.Release(0);
  ASSERT_TRUE(PumpUntil([this] { return ctl_.Started().size() == 2; }));
  // A second stop while the first is still ending the queue.
  vcl_->Stop(false);
  vcl_->Stop(true);
  ASSERT_TRUE(RunToEnd());
  vcl_.reset();  // every event delivered
  ExpectEachTaskOnceThenFinal(4);
  EXPECT_TRUE(TerminateOf(0).Finished);
  for (int i = 1; i < 4; ++i) EXPECT_FALSE(TerminateOf(i).Finished) << i;
  EXPECT_EQ(ctl_.Started(), (std::vector<int>{0, 1}));
}

TEST_F(SchedulingTest, AnEndReportedTwiceCountsOnce) {
  ctl_.reportTwice = {0, 2};
  AddTasks(4);
  vcl_->Start(1);
  ASSERT_TRUE(RunToEnd());
  vcl_.reset();
  ExpectEachTaskOnceThenFinal(4);
  EXPECT_EQ(ctl_.maxRunning, 1);
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(TerminateOf(i).Finished) << i;
}

TEST_F(SchedulingTest, StopWithoutARunChangesNothing) {
  AddTasks(2);
  vcl_->Stop(true);
  PumpFor(20);
  EXPECT_TRUE(log_.terminates.empty());
  vcl_->Start(2);
  ASSERT_TRUE(RunToEnd());
  ExpectEachTaskOnceThenFinal(2);
  EXPECT_TRUE(TerminateOf(0).Finished);
  EXPECT_TRUE(TerminateOf(1).Finished);
}

TEST_F(SchedulingTest, ProgressHandlerFailureEndsOnlyItsTask) {
  AddTasks(3);
  auto record = vcl_->OnProgress.Get();
  vcl_->OnProgress = [&](rtl::TObject* ASender, engine::PProgressInfo AInfo) {
    record(ASender, AInfo);
    if (AInfo->TaskIndex == 1) throw rtl::Exception("handler failed");
  };
  vcl_->Start(2);
  ASSERT_TRUE(RunToEnd());
  ExpectEachTaskOnceThenFinal(3);
  const TTerminateInfo failed = TerminateOf(1);
  EXPECT_TRUE(failed.Exception);
  EXPECT_EQ(rtl::U8(failed.ExceptionMsg), "handler failed");
  EXPECT_TRUE(TerminateOf(0).Finished);
  EXPECT_TRUE(TerminateOf(2).Finished);
}

TEST_F(SchedulingTest, EmptyListEndsAtOnce) {
  vcl_->Start(2);
  ASSERT_TRUE(RunToEnd());
  ExpectEachTaskOnceThenFinal(0);
  EXPECT_TRUE(vcl_->Working());
  vcl_->ClearTasks();
  EXPECT_FALSE(vcl_->Working());
}

TEST_F(SchedulingTest, RefusedStartsEndAtOnceAndTheQueueGoesOn) {
  AddTasks(1, false);
  AddTasks(1);
  AddTasks(1, false);
  vcl_->Start(1);
  ASSERT_TRUE(RunToEnd());
  ExpectEachTaskOnceThenFinal(3);
  for (int i : {0, 2}) {
    const TTerminateInfo t = TerminateOf(i);
    EXPECT_TRUE(t.Exception);
    EXPECT_FALSE(t.Finished);
    EXPECT_EQ(rtl::U8(t.ExceptionMsg), "At least one output file must be specified");
  }
  EXPECT_TRUE(TerminateOf(1).Finished);
}

TEST_F(SchedulingTest, ProgressIntervalAndEventThread) {
  for (bool inMain : {true, false}) {
    SCOPED_TRACE(inMain);
    vcl_->ClearTasks();
    {
      std::lock_guard<std::mutex> g(log_.m);
      log_.terminates.clear();
      log_.progress.clear();
      log_.progressThreads.clear();
    }
    vcl_->SetTriggerEventInMainThread(inMain);
    vcl_->SetProgressInterval(250);
    AddTasks(2);
    vcl_->Start(2);
    ASSERT_TRUE(RunToEnd());
    std::lock_guard<std::mutex> g(log_.m);
    ASSERT_FALSE(log_.progressThreads.empty());
    for (rtl::TThreadID id : log_.progressThreads) EXPECT_EQ(id == rtl::MainThreadID(), inMain);
    std::lock_guard<std::mutex> c(ctl_.m);
    for (const auto& [task, interval] : ctl_.reportIntervals) EXPECT_EQ(interval, 250000);
  }
}

TEST_F(SchedulingTest, HookAndPreviewEventsReachTheirHandlers) {
  ctl_.steps = 3;
  engine::TOutputOptions hooked;
  hooked.CustomHook = true;
  AddTasks(1, true, &hooked);
  AddTasks(1);  // no custom hook asked for
  std::vector<std::pair<int, int>> hookCalls;  // task, frame
  std::vector<std::pair<int, rtl::TThreadID>> previews;
  vcl_->OnCustomHook = [&](rtl::TObject*, engine::PHookInfo AInfo) {
    hookCalls.emplace_back(AInfo->TaskIndex, AInfo->FrameNumber);
    // The handler draws in the conversion thread: the canvas is its alone.
    EXPECT_EQ(static_cast<gdi::TBitmap*>(AInfo->Bitmap)->Canvas()->LockCount(), 1);
    EXPECT_TRUE(AInfo->Update);
    EXPECT_FALSE(AInfo->StopHook);
    if (AInfo->FrameNumber == 2) AInfo->Update = false;
    if (AInfo->FrameNumber == 3) AInfo->StopHook = true;
  };
  vcl_->OnPreviewBitmap = [&](rtl::TObject*, const engine::TPreviewInfo& AInfo) {
    previews.emplace_back(AInfo.TaskIndex, rtl::GetCurrentThreadId());
  };
  vcl_->Start(1);
  ASSERT_TRUE(RunToEnd());
  EXPECT_EQ(hookCalls, (std::vector<std::pair<int, int>>{{0, 1}, {0, 2}, {0, 3}}));
  {
    std::lock_guard<std::mutex> g(ctl_.m);
    ASSERT_EQ(ctl_.hookResults.size(), 3u);
    EXPECT_TRUE(ctl_.hookResults[0].Update && !ctl_.hookResults[0].StopHook);
    EXPECT_FALSE(ctl_.hookResults[1].Update);
    EXPECT_TRUE(ctl_.hookResults[2].StopHook);
    for (const auto& r : ctl_.hookResults) EXPECT_NE(r.Thread, rtl::MainThreadID());
  }
  EXPECT_EQ(ctl_.picture.Canvas()->LockCount(), 0);
  ASSERT_EQ(previews.size(), 6u);
  EXPECT_EQ(previews.front().first, 0);
  EXPECT_EQ(previews.back().first, 1);
  for (const auto& p : previews) EXPECT_EQ(p.second, rtl::MainThreadID());
}

TEST_F(SchedulingTest, ARaisingHookHandlerLeavesTheCanvasUnlocked) {
  ctl_.steps = 2;
  engine::TOutputOptions hooked;
  hooked.CustomHook = true;
  AddTasks(1, true, &hooked);
  vcl_->OnCustomHook = [&](rtl::TObject*, engine::PHookInfo) { throw std::runtime_error("drawing failed"); };
  vcl_->Start(1);
  ASSERT_TRUE(RunToEnd());
  std::lock_guard<std::mutex> g(ctl_.m);
  EXPECT_EQ(ctl_.hookErrors, (std::vector<std::string>{"drawing failed", "drawing failed"}));
  EXPECT_EQ(ctl_.picture.Canvas()->LockCount(), 0);
  // Another thread can take the canvas.
  bool taken = false;
  std::thread([&] {
    taken = ctl_.picture.Canvas()->TryLock();
    if (taken) ctl_.picture.Canvas()->Unlock();
  }).join();
  EXPECT_TRUE(taken);
}

TEST_F(SchedulingTest, WorkersRunAtTheChosenPriority) {
  const int base = getpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)));
  if (base >= 19) GTEST_SKIP() << "already at the lowest priority";
  vcl_->SetThreadPriority(rtl::tpIdle);
  AddTasks(2);
  vcl_->Start(2);
  ASSERT_TRUE(RunToEnd());
  std::lock_guard<std::mutex> g(ctl_.m);
  ASSERT_EQ(ctl_.niceValues.size(), 2u);
  // Lowering needs no privilege, so it always takes effect.
  for (const auto& [task, nice] : ctl_.niceValues) EXPECT_GT(nice, base) << task;
}

TEST_F(SchedulingTest, ListIsFrozenFromStartUntilClearTasks) {
  ctl_.gated = true;
  AddTasks(2);
  const std::string clip = tasklisttest::Fixtures::Get().Clip(0.2);
  vcl_->Start(1);
  ASSERT_TRUE(PumpUntil([this] { return ctl_.Started().size() == 1; }));
  try {
    vcl_->ClearTasks();
    ADD_FAILURE() << "ClearTasks while running";
  } catch (const rtl::Exception& e) {
    EXPECT_EQ(rtl::U8(e.Message()), "Cannot ClearTasks while working.");
  }
  ctl_.Release(0);
  ctl_.Release(1);
  ASSERT_TRUE(RunToEnd());

  const std::pair<const char*, std::function<void()>> ops[] = {
      {"AddTask", [&] { vcl_->AddTask(U(clip), engine::PInputOptions{}); }},
      {"AddInputFile", [&] { vcl_->AddInputFile(0, U(clip), engine::PInputOptions{}); }},
      {"SetOutputFile", [&] { vcl_->SetOutputFile(0, U(out_ / "x.avi"), engine::POutputOptions{}); }},
      {"RemoveTask", [&] { vcl_->RemoveTask(0); }},
      {"Exchange", [&] { vcl_->Exchange(0, 1); }},
      {"StartTask", [&] { vcl_->Start(1); }},
  };
  for (const auto& [name, op] : ops) {
    try {
      op();
      ADD_FAILURE() << name << " while working";
    } catch (const rtl::Exception& e) {
      EXPECT_EQ(rtl::U8(e.Message()), std::string("Cannot ") + name + " while working.");
    }
  }
  EXPECT_EQ(vcl_->TasksCount(), 2);
  vcl_->ClearTasks();
  EXPECT_EQ(vcl_->TasksCount(), 0);
  EXPECT_EQ(vcl_->AddTask(U(clip), engine::PInputOptions{}), 0);
}

TEST_F(SchedulingTest, DestroyingDuringARunStopsItAndDeliversEveryEvent) {
  ctl_.gated = true;
  AddTasks(3);
  vcl_->Start(2);
  ASSERT_TRUE(PumpUntil([this] { return ctl_.Started().size() == 2; }));
  vcl_.reset();
  ExpectEachTaskOnceThenFinal(3);
}

}  // namespace
