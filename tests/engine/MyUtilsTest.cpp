#include "engine/MyUtils.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <stdexcept>
#include <string>
#include <thread>

#include "EngineTestUtils.h"
#include "engine/FFBaseComponent.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Threads.h"

using namespace engine;
using enginetest::TempDir;

namespace {

TEST(SplitFirstTest, Cases) {
  struct Case {
    const char16_t* input;
    bool remove;
    const char16_t* head;
    const char16_t* rest;
  } cases[] = {{u"a=b=c", true, u"a", u"b=c"},   {u"abc", true, u"abc", u""},
               {u"a=b=c", false, u"a", u"a=b=c"}, {u"abc", false, u"abc", u"abc"},
               {u"=x", true, u"", u"x"},          {u"x=", true, u"x", u""}};
  for (const Case& c : cases) {
    rtl::String s = c.input, head;
    SplitFirst(s, u"=", c.remove, head);
    EXPECT_EQ(head, c.head) << rtl::U8(c.input);
    EXPECT_EQ(s, c.rest) << rtl::U8(c.input);
  }
  std::string s = "one\r\ntwo", head;
  SplitFirst(s, "\r\n", true, head);
  EXPECT_EQ(head, "one");
  EXPECT_EQ(s, "two");
}

TEST(FormatByteSizeTest, Thresholds) {
  const std::pair<rtl::Int64, const char*> cases[] = {
      {0, "0 Byte"},           {1024, "1024 Byte"},          {1025, "1.00 KB"},
      {1048576, "1024.00 KB"}, {1073741824, "1024.00 MB"},   {1073741825, "1.00 GB"},
      {-1, "-1 Byte"},         {5368709120LL, "5.00 GB"},    {1572864, "1.50 MB"}};
  for (auto [size, text] : cases) EXPECT_EQ(rtl::U8(FormatByteSize(size)), text) << size;
}

TEST(FileSizeByNameTest, MissingEmptyFolderAndLargeSparseFile) {
  TempDir dir;
  EXPECT_EQ(FileSizeByName(rtl::S(dir / "missing")), -1);
  EXPECT_EQ(FileSizeByName(rtl::S(dir.path().string())), -1);
  enginetest::WriteFile(dir / "空.txt", "");
  EXPECT_EQ(FileSizeByName(rtl::S(dir / "空.txt")), 0);
  const std::string big = dir / "big.bin";
  int fd = open(big.c_str(), O_CREAT | O_WRONLY, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, 5000000000LL), 0);
  close(fd);
  EXPECT_EQ(FileSizeByName(rtl::S(big)), 5000000000LL);
}

TEST(ExePathTest, FolderOfTheRunningProgram) {
  rtl::String exe = GetExeName(), path = GetExePath();
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path.back(), u'/');
  EXPECT_EQ(exe.substr(0, path.size()), path);
  EXPECT_EQ(rtl::U8(exe.substr(path.size())), "engine_tests");
}

class TimeZoneTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* tz = getenv("TZ");
    hadTZ = tz != nullptr;
    if (tz) oldTZ = tz;
  }
  void TearDown() override {
    if (hadTZ) setenv("TZ", oldTZ.c_str(), 1);
    else unsetenv("TZ");
    tzset();
  }
  bool hadTZ = false;
  std::string oldTZ;
};

TEST_F(TimeZoneTest, UnixTimeToLocalDateTime) {
  setenv("TZ", "Asia/Shanghai", 1);
  EXPECT_NEAR(LocalUTCOffsetDays(), 480.0 / 1440, 1e-12);
  EXPECT_NEAR(UnixTimeToDateTime(0), 25569 + 480.0 / 1440, 1e-9);
  setenv("TZ", "UTC", 1);
  EXPECT_DOUBLE_EQ(UnixTimeToDateTime(86400 * 2), 25571.0);
  // Daylight saving is not applied: New York is always five hours behind.
  setenv("TZ", "America/New_York", 1);
  EXPECT_NEAR(UnixTimeToDateTime(1719792000), 25569 + 1719792000 / 86400.0 - 5.0 / 24, 1e-9);
}

TEST(DateTimeToTextTest, FrameworkPatterns) {
  rtl::String text;
  DateTimeToText(u"yyyy-mm-dd hh:nn:ss", text, 25569.5);
  EXPECT_EQ(rtl::U8(text), "1970-01-01 12:00:00");
}

TEST(SeekFlagsTest, Bits) {
  EXPECT_EQ(SeekFlagsToAVSeekFlags({}), 0);
  EXPECT_EQ(SeekFlagsToAVSeekFlags({sfBackward, sfAny}), 5);
  EXPECT_EQ(SeekFlagsToAVSeekFlags({sfByte}), 2);
  EXPECT_EQ(SeekFlagsToAVSeekFlags({sfBackward, sfByte, sfAny, sfFrame}), 15);
}

TEST(MainThreadCallTest, RunsAtOnceOnTheGuiThreadAndWaitsFromOthers) {
  int ranOn = 0;
  CallMethodInMainThread([&] { ranOn = 1; });
  EXPECT_EQ(ranOn, 1);

  std::atomic<bool> done{false};
  uint32_t ranOnThread = 0;
  std::thread worker([&] {
    CallMethodInMainThread([&] { ranOnThread = rtl::GetCurrentThreadId(); });
    // The method has run by the time the call returns.
    EXPECT_EQ(ranOnThread, rtl::MainThreadID());
    done = true;
  });
  while (!done) rtl::CheckSynchronize(10);
  worker.join();
}

TEST(PumpMessagesTest, ServesQueuedWorkAndAnInstalledPump) {
  int queued = 0;
  std::thread([&] { QueueMethodInMainThread([&] { ++queued; }); }).join();
  PumpMessages();
  EXPECT_EQ(queued, 1);
  EXPECT_FALSE(PumpOneMessage());

  int pending = 3, handled = 0;
  SetMessagePump([&] {
    if (pending == 0) return false;
    --pending;
    ++handled;
    return true;
  });
  PumpMessages();
  SetMessagePump(nullptr);
  EXPECT_EQ(handled, 3);
}

TEST(HandleEventExceptionTest, GoesToTheInstalledHandlerWithItsSender) {
  rtl::TObject sender;
  rtl::TObject* seen = nullptr;
  std::string message;
  SetExceptionHandler([&](rtl::TObject* ASender) {
    seen = ASender;
    try {
      throw;
    } catch (const rtl::Exception& e) {
      message = rtl::U8(e.Message());
    }
  });
  try {
    throw rtl::Exception("handler failed");
  } catch (...) {
    HandleEventException(&sender);
  }
  EXPECT_EQ(seen, &sender);
  EXPECT_EQ(message, "handler failed");
  // Without a handler (and with one that throws) the exception ends there.
  SetExceptionHandler([](rtl::TObject*) { throw std::runtime_error("again"); });
  EXPECT_NO_THROW({
    try {
      throw std::runtime_error("lost");
    } catch (...) {
      HandleEventException(nullptr);
    }
  });
  SetExceptionHandler(nullptr);
  EXPECT_NO_THROW({
    try {
      throw 42;
    } catch (...) {
      HandleEventException(nullptr);
    }
  });
}

}  // namespace
