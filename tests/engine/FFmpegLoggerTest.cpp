#include "engine/FFmpegLogger.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <regex>

#include "EngineTestUtils.h"
#include "engine/FFEntries.h"
#include "engine/MyUtils.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Threads.h"

using namespace engine;

namespace {

void Emit(void* avcl, int level, const char* fmt, ...) {
  va_list vl;
  va_start(vl, fmt);
  AVLogCallback(avcl, level, fmt, vl);
  va_end(vl);
}

struct Event {
  rtl::TObject* sender;
  uint32_t threadId;
  TLogLevel level;
  std::string msg;
};

class FFmpegLoggerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    enginetest::LoadSystemSet(TLibraries{avUtil, myUtil});
    logger = GetFFLogger();
    logger->SetLogLevel(llInfo);
    logger->SetTriggerEventInMainThread(false);
    logger->SetOnLog([this](rtl::TObject* s, uint32_t id, TLogLevel l, const rtl::String& m) {
      events.push_back({s, id, l, rtl::U8(m)});
    });
  }
  void TearDown() override {
    logger->SetOnLog(nullptr);
    logger->SetTriggerEventInMainThread(true);
    logger->SetLogLevel(llInfo);
  }
  std::vector<std::string> Messages() const {
    std::vector<std::string> r;
    for (const Event& e : events) r.push_back(e.msg);
    return r;
  }

  TFFLogger* logger = nullptr;
  std::vector<Event> events;
};

using Lines = std::vector<std::string>;

TEST_F(FFmpegLoggerTest, FFmpegOutputIsRaisedOncePerCompleteLine) {
  Emit(nullptr, AV_LOG_INFO, "abc");
  EXPECT_TRUE(events.empty());
  Emit(nullptr, AV_LOG_INFO, "%s\n", "def");
  EXPECT_EQ(Messages(), Lines{"abcdef"});

  Emit(nullptr, AV_LOG_INFO, "a\nb\nc");
  EXPECT_EQ(Messages(), (Lines{"abcdef", "a", "b"}));
  Emit(nullptr, AV_LOG_INFO, "\n");
  Emit(nullptr, AV_LOG_INFO, "\n");
  EXPECT_EQ(Messages(), (Lines{"abcdef", "a", "b", "c", ""}));
  EXPECT_EQ(events[0].sender, logger);
  EXPECT_EQ(events[0].threadId, rtl::GetCurrentThreadId());
}

TEST_F(FFmpegLoggerTest, LineTakesTheLevelOfTheCallThatCompletesIt) {
  Emit(nullptr, AV_LOG_WARNING, "half ");
  Emit(nullptr, AV_LOG_ERROR, "done\n");
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].level, llError);
}

TEST_F(FFmpegLoggerTest, ContextPrefixOnlyStartsALine) {
  static const AVClass stubClass = [] {
    AVClass c{};
    c.class_name = "stub";
    c.item_name = [](void*) -> const char* { return "mpeg4"; };
    return c;
  }();
  struct { const AVClass* cls; } ctx{&stubClass};
  Emit(&ctx, AV_LOG_INFO, "part1 ");
  Emit(&ctx, AV_LOG_INFO, "part2\n");
  ASSERT_EQ(events.size(), 1u);
  EXPECT_TRUE(std::regex_match(events[0].msg, std::regex(R"(\[mpeg4 @ 0x[0-9a-f]+\]part1 part2)")))
      << events[0].msg;
}

TEST_F(FFmpegLoggerTest, LongAndNonAsciiMessagesArriveWhole) {
  std::string longText(5000, 'x');
  Emit(nullptr, AV_LOG_INFO, "%s|\n", longText.c_str());
  ff::av_log(nullptr, AV_LOG_INFO, "Input #0, from '%s':\n", "视频.mp4");
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].msg, longText + "|");
  EXPECT_EQ(events[1].msg, "Input #0, from '视频.mp4':");
}

TEST_F(FFmpegLoggerTest, FFmpegMessagesAreFilteredByTheThresholdOnly) {
  ff::av_log(nullptr, AV_LOG_VERBOSE, "too detailed\n");
  ff::av_log(nullptr, AV_LOG_WARNING, "from %s\n", "ffmpeg");
  ASSERT_EQ(Messages(), Lines{"from ffmpeg"});
  EXPECT_EQ(events[0].level, llWarning);

  logger->SetLogLevel(llQuiet);
  EXPECT_EQ(LogThreshold.load(), -8);
  ff::av_log(nullptr, AV_LOG_PANIC, "dropped\n");
  Emit(nullptr, AV_LOG_PANIC, "dropped too\n");
  EXPECT_EQ(events.size(), 1u);
  logger->SetLogLevel(llDebug);
  EXPECT_EQ(ff::av_log_get_level(), 48);
}

TEST_F(FFmpegLoggerTest, LevelMapping) {
  const std::pair<TLogLevel, int> toAV[] = {{llQuiet, -8}, {llPanic, 0},    {llFatal, 8},
                                            {llError, 16}, {llWarning, 24}, {llInfo, 32},
                                            {llVerbose, 40}, {llDebug, 48}};
  for (auto [level, av] : toAV) {
    EXPECT_EQ(LogLevelToAVLevel(level), av);
    EXPECT_EQ(AVLevelToLogLevel(av), level);
  }
  const std::pair<int, TLogLevel> fromAV[] = {{-100, llQuiet}, {-7, llPanic},  {-1, llPanic},
                                              {7, llPanic},    {25, llWarning}, {56, llDebug},
                                              {100, llDebug}};
  for (auto [av, level] : fromAV) EXPECT_EQ(AVLevelToLogLevel(av), level) << av;
}

TEST_F(FFmpegLoggerTest, LogLevelOption) {
  const std::pair<const char*, TLogLevel> cases[] = {
      {"WARNING", llWarning}, {"25", llWarning}, {"100", llDebug}, {"Quiet", llQuiet},
      {"-1", llPanic},        {"verbose", llVerbose}};
  for (auto [text, level] : cases) {
    logger->OptLogLevel(rtl::S(text));
    EXPECT_EQ(logger->LogLevel(), level) << text;
  }
  EXPECT_THROW(logger->OptLogLevel(u"abc"), rtl::EConvertError);
}

TEST_F(FFmpegLoggerTest, EngineMessagesPassByLevelAndKeepTheirSender) {
  struct Case {
    TLogLevel loggerLevel, msgLevel;
    bool passes;
  } cases[] = {{llError, llVerbose, true}, {llError, llDebug, false}, {llQuiet, llVerbose, false},
               {llInfo, llInfo, true},     {llInfo, llWarning, true}, {llError, llInfo, false},
               {llQuiet, llQuiet, true}};
  rtl::TObject sender;
  for (const Case& c : cases) {
    events.clear();
    logger->SetLogLevel(c.loggerLevel);
    logger->Log(&sender, c.msgLevel, u"message");
    ASSERT_EQ(events.size(), c.passes ? 1u : 0u) << int(c.loggerLevel) << "/" << int(c.msgLevel);
    if (c.passes) {
      EXPECT_EQ(events[0].sender, &sender);
      EXPECT_EQ(events[0].level, c.msgLevel);
    }
  }
  events.clear();
  logger->SetLogLevel(llInfo);
  logger->Log(nullptr, llError, u"%d frames of %s", {5, u"in.avi"});
  EXPECT_EQ(Messages(), Lines{"5 frames of in.avi"});
}

TEST_F(FFmpegLoggerTest, OnGuiThreadDeliveryIsImmediate) {
  logger->SetTriggerEventInMainThread(true);
  logger->Log(nullptr, llError, u"now");
  EXPECT_EQ(Messages(), Lines{"now"});
}

TEST_F(FFmpegLoggerTest, OnlyOneLoggerMayExist) {
  try {
    TFFLogger second(nullptr);
    FAIL() << "a second logger was created";
  } catch (const EAssertionFailed& e) {
    EXPECT_EQ(rtl::U8(e.Message()), "Allow creating only one instance of TFFLogger.");
  }
  EXPECT_EQ(GetFFLogger(), logger);
}

}  // namespace

namespace {

TEST(LoggerWithoutAvutilTest, LevelReachesFFmpegWhenAvutilLoads) {
  TFFmpegLoader::Unload(avUtil);
  TFFLogger* logger = GetFFLogger();
  EXPECT_THROW(logger->InstallAVLogCallback(), EAssertionFailed);
  const int before = LogThreshold.load();
  logger->SetLogLevel(before == 48 ? llError : llDebug);
  EXPECT_EQ(LogThreshold.load(), before);

  enginetest::LoadSystemSet(TLibraries{avUtil, myUtil});
  EXPECT_EQ(LogThreshold.load(), LogLevelToAVLevel(logger->LogLevel()));
  EXPECT_EQ(ff::av_log_get_level(), LogThreshold.load());
  logger->SetLogLevel(llInfo);
}

}  // namespace
