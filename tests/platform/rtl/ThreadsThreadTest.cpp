#include "platform/rtl/Threads.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <numeric>
#include <vector>

#include "platform/rtl/Exceptions.h"

using namespace rtl;

namespace {

// A thread whose body is a lambda; it stops itself before its members go.
class LambdaThread final : public TThread {
 public:
  using Body = std::function<void(LambdaThread&)>;
  explicit LambdaThread(Body body, std::function<void()> onDestroy = {})
      : body_(std::move(body)), onDestroy_(std::move(onDestroy)) {}
  ~LambdaThread() override {
    if (Started() && !Finished() && !FreeOnTerminate()) {
      Terminate();
      WaitFor();
    }
    if (onDestroy_) onDestroy_();
  }
  using TThread::SetReturnValue;

 protected:
  void Execute() override { body_(*this); }

 private:
  Body body_;
  std::function<void()> onDestroy_;
};

// Serves the hand-over queue until done() holds; gives up after a long time
// so that a broken hand-over fails the test instead of hanging it.
void PumpUntil(const std::function<bool()>& done) {
  const std::uint64_t giveUp = GetTickCount64() + 30000;
  while (!done()) {
    ASSERT_LT(GetTickCount64(), giveUp) << "main thread waited in vain";
    CheckSynchronize(10);
  }
}

std::string MessageOf(std::exception_ptr p) {
  try {
    std::rethrow_exception(p);
  } catch (const Exception& e) {
    return e.what();
  } catch (...) {
    return "?";
  }
}

}  // namespace

TEST(Synchronize, SeveralWorkersRunOnMainThreadInOrderAndWaitForTheResult) {
  constexpr int kThreads = 4, kCalls = 25;
  std::vector<std::vector<int>> seen(kThreads);  // touched on the main thread only
  int offMain = 0;
  std::vector<std::unique_ptr<LambdaThread>> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.push_back(std::make_unique<LambdaThread>([&, t](LambdaThread& self) {
      int sum = 0;
      for (int i = 0; i < kCalls; ++i) {
        int value = -1;
        self.Synchronize([&, i] {
          if (GetCurrentThreadId() != MainThreadID()) ++offMain;
          seen[t].push_back(i);
          value = i;
        });
        sum += value;  // the call returned only after the main thread set it
      }
      self.SetReturnValue(sum);
    }));
  }
  for (auto& t : threads) t->Start();
  for (auto& t : threads) EXPECT_EQ(t->WaitFor(), kCalls * (kCalls - 1) / 2);

  std::vector<int> expected(kCalls);
  std::iota(expected.begin(), expected.end(), 0);
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(seen[t], expected) << "thread " << t;
  EXPECT_EQ(offMain, 0);
}

TEST(Synchronize, ExceptionOfTheMethodIsRaisedInTheWorker) {
  std::string caught;
  LambdaThread t([&](LambdaThread& self) {
    try {
      self.Synchronize([] { throw EConvertError("'x' is not a valid integer value"); });
    } catch (const EConvertError& e) {
      caught = e.what();
    }
    self.Synchronize([] { throw EAbort("left uncaught"); });
  });
  t.Start();
  t.WaitFor();
  EXPECT_EQ(caught, "'x' is not a valid integer value");
  ASSERT_TRUE(t.FatalException());
  EXPECT_EQ(MessageOf(t.FatalException()), "left uncaught");
}

TEST(Synchronize, OnTheMainThreadRunsAtOnce) {
  int ran = 0;
  TThread::Synchronize(nullptr, [&] { ++ran; });
  TThread::Queue(nullptr, [&] { ++ran; });
  EXPECT_EQ(ran, 2);
  EXPECT_FALSE(CheckSynchronize());
}

TEST(WaitFor, MainThreadServesSynchronizeAndOnTerminateWhileWaiting) {
  TThreadID terminateThread = 0;
  TObject* sender = nullptr;
  LambdaThread t([](LambdaThread& self) {
    int v = 0;
    self.Synchronize([&] { v = 7; });
    self.SetReturnValue(v * 6);
  });
  t.OnTerminate = [&](TObject* s) {
    terminateThread = GetCurrentThreadId();
    sender = s;
  };
  t.Start();
  EXPECT_EQ(t.WaitFor(), 42);  // no explicit pumping: WaitFor must do it
  EXPECT_TRUE(t.Finished());
  EXPECT_EQ(terminateThread, MainThreadID());
  EXPECT_EQ(sender, &t);
}

TEST(WaitFor, RefusedWhereItCouldNeverReturnOrTheObjectMayVanish) {
  LambdaThread never([](LambdaThread&) {});
  EXPECT_THROW(never.WaitFor(), EThread);

  LambdaThread self([](LambdaThread& me) {
    try {
      me.WaitFor();
    } catch (const EThread&) {
      me.SetReturnValue(1);
    }
  });
  self.Start();
  EXPECT_EQ(self.WaitFor(), 1);

  TEvent release;
  std::atomic<bool> gone{false};
  auto* freeing = new LambdaThread([&](LambdaThread&) { release.WaitFor(); }, [&] { gone.store(true); });
  freeing->SetFreeOnTerminate(true);
  freeing->Start();
  EXPECT_THROW(freeing->WaitFor(), EThread);
  release.SetEvent();
  while (!gone.load()) Sleep(1);
}

TEST(FreeOnTerminate, ObjectFreedOnceAfterOnTerminateRanOnMainThread) {
  std::atomic<int> destroyed{0};
  int destroyedWhenTerminating = -1;
  TThreadID terminateThread = 0;
  auto* t = new LambdaThread([](LambdaThread&) {}, [&] { destroyed.fetch_add(1); });
  t->SetFreeOnTerminate(true);
  t->OnTerminate = [&](TObject*) {
    terminateThread = GetCurrentThreadId();
    destroyedWhenTerminating = destroyed.load();
  };
  t->Start();
  PumpUntil([&] { return destroyed.load() == 1; });
  EXPECT_EQ(terminateThread, MainThreadID());
  EXPECT_EQ(destroyedWhenTerminating, 0);
  CheckSynchronize(20);  // nothing may come after the free
  EXPECT_EQ(destroyed.load(), 1);
}

TEST(Queue, DoesNotWaitRunsInFifoOrderAndWakesTheMainThread) {
  std::atomic<int> wakes{0};
  SetWakeMainThread([&] { wakes.fetch_add(1); });
  struct Unhook {
    ~Unhook() { SetWakeMainThread(nullptr); }
  } unhook;
  std::vector<int> order;
  TEvent queued;
  LambdaThread t([&](LambdaThread& self) {
    for (int i = 0; i < 5; ++i) TThread::Queue(nullptr, [&, i] { order.push_back(i); });
    queued.SetEvent();
  });
  t.Start();
  // The worker got past every Queue without the main thread serving it.
  ASSERT_EQ(queued.WaitFor(), wrSignaled);
  EXPECT_TRUE(order.empty());
  EXPECT_EQ(wakes.load(), 5);
  PumpUntil([&] { return order.size() == 5; });
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_FALSE(CheckSynchronize());
  t.WaitFor();
}

TEST(Queue, MethodsOfAFreedThreadAreDroppedOthersKept) {
  std::vector<std::string> ran;
  {
    LambdaThread t([&](LambdaThread& self) {
      self.Queue([&] { ran.push_back("tagged"); });
      TThread::Queue(nullptr, [&] { ran.push_back("untagged"); });
    });
    t.Start();
    // Wait without serving the queue, then free the thread object.
    while (!t.Finished()) Sleep(1);
  }
  while (CheckSynchronize()) {
  }
  EXPECT_EQ(ran, (std::vector<std::string>{"untagged"}));
}

TEST(CheckSynchronize, FailingQueuedMethodLeavesTheRestForTheNextCall) {
  std::vector<int> ran;
  LambdaThread t([&](LambdaThread&) {
    TThread::Queue(nullptr, [&] {
      ran.push_back(1);
      throw EAbort("");
    });
    TThread::Queue(nullptr, [&] { ran.push_back(2); });
  });
  t.Start();
  while (!t.Finished()) Sleep(1);
  EXPECT_THROW(CheckSynchronize(), EAbort);
  EXPECT_EQ(ran, std::vector<int>{1});
  EXPECT_TRUE(CheckSynchronize());
  EXPECT_EQ(ran, (std::vector<int>{1, 2}));
  t.WaitFor();
}

TEST(CheckSynchronize, RefusedOffTheMainThread) {
  LambdaThread t([](LambdaThread& self) {
    try {
      CheckSynchronize();
    } catch (const EThread& e) {
      self.SetReturnValue(std::string(e.what()).find("NOT the main thread") != std::string::npos ? 1 : 2);
    }
  });
  t.Start();
  EXPECT_EQ(t.WaitFor(), 1);
}

TEST(ThreadLife, SuspendedUntilStartAndStartOnlyOnce) {
  std::atomic<int> runs{0};
  std::atomic<TThreadID> inside{0};
  LambdaThread t([&](LambdaThread&) {
    runs.fetch_add(1);
    inside.store(GetCurrentThreadId());
  });
  EXPECT_EQ(t.ThreadID(), 0u);
  Sleep(5);
  EXPECT_EQ(runs.load(), 0);
  t.Start();
  EXPECT_THROW(t.Start(), EThread);
  t.Resume();  // already running: nothing
  t.WaitFor();
  EXPECT_EQ(runs.load(), 1);
  EXPECT_EQ(t.ThreadID(), inside.load());
  EXPECT_NE(t.ThreadID(), MainThreadID());

  std::atomic<int> skipped{0};
  LambdaThread terminatedFirst([&](LambdaThread&) { skipped.fetch_add(1); });
  terminatedFirst.Terminate();
  terminatedFirst.Resume();
  terminatedFirst.WaitFor();
  EXPECT_EQ(skipped.load(), 0);
  { LambdaThread neverStarted([&](LambdaThread&) { skipped.fetch_add(1); }); }
  EXPECT_EQ(skipped.load(), 0);
}

TEST(ThreadLife, DestroyingARunningThreadTerminatesAndWaits) {
  std::atomic<bool> entered{false}, left{false};
  {
    LambdaThread t([&](LambdaThread& self) {
      entered.store(true);
      while (!self.Terminated()) Sleep(1);
      left.store(true);
    });
    t.Start();
    while (!entered.load()) Sleep(1);
  }
  EXPECT_TRUE(left.load());
}

TEST(ThreadLife, PriorityBecomesANiceValueOfThatThreadOnly) {
  const int base = getpriority(PRIO_PROCESS, 0);
  TEvent changed;
  std::atomic<int> before{-100}, after{-100};
  LambdaThread t([&](LambdaThread&) {
    before.store(getpriority(PRIO_PROCESS, 0));
    changed.WaitFor();
    after.store(getpriority(PRIO_PROCESS, 0));
  });
  t.SetPriority(tpLower);
  t.Start();
  while (before.load() == -100) Sleep(1);
  t.SetPriority(tpIdle);
  changed.SetEvent();
  t.WaitFor();
  EXPECT_EQ(before.load(), std::min(base + 5, 19));
  EXPECT_EQ(after.load(), 19);
  EXPECT_EQ(getpriority(PRIO_PROCESS, 0), base);
  EXPECT_EQ(t.Priority(), tpIdle);
}

TEST(Locks, EventManualAndAutoReset) {
  TEvent autoReset(false, false);
  EXPECT_EQ(autoReset.WaitFor(0), wrTimeout);
  autoReset.SetEvent();
  autoReset.SetEvent();  // no count: still one signal
  EXPECT_EQ(autoReset.WaitFor(0), wrSignaled);
  EXPECT_EQ(autoReset.WaitFor(20), wrTimeout);

  TEvent manual(true, true);
  EXPECT_EQ(manual.WaitFor(0), wrSignaled);
  EXPECT_EQ(manual.WaitFor(0), wrSignaled);
  manual.ResetEvent();
  EXPECT_EQ(manual.WaitFor(20), wrTimeout);

  TEvent wake(false, false);
  LambdaThread waiter([&](LambdaThread& self) { self.SetReturnValue(wake.WaitFor() == wrSignaled ? 1 : 0); });
  waiter.Start();
  wake.SetEvent();
  EXPECT_EQ(waiter.WaitFor(), 1);
}

TEST(Locks, CriticalSectionAndMutexAreRecursiveAndExcludeOthers) {
  TCriticalSection cs;
  TMutex mx;
  auto othersGetIn = [&] {
    LambdaThread t([&](LambdaThread& self) {
      int got = 0;
      if (cs.TryEnter()) {
        got |= 1;
        cs.Leave();
      }
      if (mx.WaitFor(10) == wrSignaled) {
        got |= 2;
        mx.Release();
      }
      self.SetReturnValue(got);
    });
    t.Start();
    return t.WaitFor();
  };
  cs.Enter();
  cs.Enter();
  ASSERT_EQ(mx.WaitFor(), wrSignaled);
  ASSERT_EQ(mx.WaitFor(0), wrSignaled);
  EXPECT_EQ(othersGetIn(), 0);
  cs.Leave();
  mx.Release();
  EXPECT_EQ(othersGetIn(), 0);
  cs.Leave();
  mx.Release();
  EXPECT_EQ(othersGetIn(), 3);
}

TEST(Time, TickCountsFollowSleep) {
  const std::uint64_t t0 = GetTickCount64();
  const std::uint32_t s0 = GetTickCount();
  Sleep(20);
  EXPECT_GE(GetTickCount64() - t0, 20u);
  EXPECT_GE(static_cast<std::uint32_t>(GetTickCount() - s0), 20u);  // unsigned difference survives a wrap
}
