// The logger between threads: whole lines per thread, order kept, and no
// waiting for the GUI thread.
#include <gtest/gtest.h>

#include <barrier>
#include <cstdarg>
#include <map>
#include <thread>

#include "engine/FFEntries.h"
#include "engine/FFmpegLoader.h"
#include "engine/FFmpegLogger.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Threads.h"

using namespace engine;

namespace {

void Emit(int level, const char* fmt, ...) {
  va_list vl;
  va_start(vl, fmt);
  AVLogCallback(nullptr, level, fmt, vl);
  va_end(vl);
}

class LoggerThreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    logger.SetOnLog([this](rtl::TObject*, uint32_t id, TLogLevel, const rtl::String& m) {
      // OnLog runs on the GUI thread (this test's thread).
      EXPECT_EQ(rtl::GetCurrentThreadId(), rtl::MainThreadID());
      lines[id].push_back(rtl::U8(m));
      ++count;
    });
  }
  // Serves the queued events until `expected` lines arrived.
  void PumpUntil(size_t expected) {
    for (int i = 0; i < 10000 && count < expected; ++i) rtl::CheckSynchronize(10);
  }

  TFFLogger logger{nullptr};
  std::map<uint32_t, std::vector<std::string>> lines;
  size_t count = 0;
};

TEST_F(LoggerThreadTest, InterleavedHalvesStayWithTheirThread) {
  std::barrier step(2);
  uint32_t idA = 0, idB = 0;
  std::thread a([&] {
    idA = rtl::GetCurrentThreadId();
    Emit(AV_LOG_INFO, "A-first ");
    step.arrive_and_wait();
    step.arrive_and_wait();
    Emit(AV_LOG_INFO, "A-second\n");
  });
  std::thread b([&] {
    idB = rtl::GetCurrentThreadId();
    step.arrive_and_wait();
    Emit(AV_LOG_INFO, "B-first ");
    step.arrive_and_wait();
    Emit(AV_LOG_INFO, "B-second\n");
  });
  a.join();
  b.join();
  PumpUntil(2);
  EXPECT_EQ(lines[idA], std::vector<std::string>{"A-first A-second"});
  EXPECT_EQ(lines[idB], std::vector<std::string>{"B-first B-second"});
}

TEST_F(LoggerThreadTest, LinesOfOneThreadKeepTheirOrder) {
  uint32_t id = 0;
  std::thread w([&] {
    id = rtl::GetCurrentThreadId();
    for (int i = 0; i < 200; ++i) {
      if (i % 2) logger.Log(nullptr, llError, rtl::S(std::to_string(i)));
      else Emit(AV_LOG_ERROR, "%d\n", i);
    }
  });
  w.join();
  PumpUntil(200);
  ASSERT_EQ(lines[id].size(), 200u);
  for (int i = 0; i < 200; ++i) EXPECT_EQ(lines[id][i], std::to_string(i));
}

TEST_F(LoggerThreadTest, WorkerHoldingTheCodecLockNeverWaitsForTheGuiThread) {
  // The GUI thread does not serve events while it waits for the worker; a
  // logger that waited for the GUI thread would hang here.
  std::thread w([&] {
    std::lock_guard lock(CodecLock);
    logger.Log(nullptr, llError, u"opening codec");
    Emit(AV_LOG_ERROR, "codec says hello\n");
  });
  w.join();
  {
    std::lock_guard lock(CodecLock);
  }
  PumpUntil(2);
  EXPECT_EQ(count, 2u);
}

TEST_F(LoggerThreadTest, WorkerThreadDeliveryWhenNotTriggeredInMainThread) {
  logger.SetTriggerEventInMainThread(false);
  std::vector<uint32_t> seen;
  logger.SetOnLog([&](rtl::TObject*, uint32_t id, TLogLevel, const rtl::String&) {
    seen.push_back(rtl::GetCurrentThreadId());
    EXPECT_EQ(id, rtl::GetCurrentThreadId());
  });
  uint32_t id = 0;
  std::thread w([&] {
    id = rtl::GetCurrentThreadId();
    logger.Log(nullptr, llError, u"direct");
  });
  w.join();
  EXPECT_EQ(seen, std::vector<uint32_t>{id});
}

TEST(LoggerLifetimeThreadTest, EventsQueuedForAFreedLoggerAreDropped) {
  bool called = false;
  {
    TFFLogger logger(nullptr);
    logger.SetOnLog([&](rtl::TObject*, uint32_t, TLogLevel, const rtl::String&) { called = true; });
    std::thread w([&] { logger.Log(nullptr, llError, u"late"); });
    w.join();
  }
  while (rtl::CheckSynchronize(0)) {
  }
  EXPECT_FALSE(called);
}

}  // namespace
