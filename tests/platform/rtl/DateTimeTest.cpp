#include "platform/rtl/DateTime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <string>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/Strings.h"

using namespace rtl;

namespace {

// Sets the process time zone for one test and puts the old one back.
class ZoneGuard {
 public:
  explicit ZoneGuard(const char* tz) {
    const char* old = std::getenv("TZ");
    had_ = old != nullptr;
    if (had_) old_ = old;
    setenv("TZ", tz, 1);
    tzset();
  }
  ~ZoneGuard() {
    if (had_)
      setenv("TZ", old_.c_str(), 1);
    else
      unsetenv("TZ");
    tzset();
  }

 private:
  bool had_ = false;
  std::string old_;
};

}  // namespace

TEST(DateTime, EncodesDayNumbersAndDecodesThemBack) {
  struct Case { Word y, m, d; double serial; int dayOfWeek; };
  const Case cases[] = {
      {1899, 12, 30, 0, 7},        {1900, 1, 1, 2, 2},        {1970, 1, 1, 25569, 5},
      {2000, 2, 29, 36585, 3},     {2026, 3, 7, 46088, 7},    {9999, 12, 31, 2958465, 6},
      {1, 1, 1, -693593, 2},       {1899, 12, 29, -1, 6},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.serial);
    EXPECT_EQ(EncodeDate(c.y, c.m, c.d), c.serial);
    Word y, m, d;
    DecodeDate(c.serial + (c.serial < 0 ? -0.75 : 0.75), y, m, d);
    EXPECT_EQ(y, c.y);
    EXPECT_EQ(m, c.m);
    EXPECT_EQ(d, c.d);
    EXPECT_EQ(DayOfWeek(c.serial), c.dayOfWeek);
  }

  EXPECT_DOUBLE_EQ(EncodeTime(12, 0, 0, 0), 0.5);
  Word h, n, s, ms;
  DecodeTime(EncodeDateTime(2026, 3, 7, 23, 59, 59, 999), h, n, s, ms);
  EXPECT_EQ((std::vector<int>{h, n, s, ms}), (std::vector<int>{23, 59, 59, 999}));
  // Before 1899-12-30 the fraction's magnitude is still the time of day.
  DecodeTime(-1.25, h, n, s, ms);
  EXPECT_EQ(h, 6);
  EXPECT_EQ(EncodeDateTime(1899, 12, 29, 6, 0, 0, 0), -1.25);
}

TEST(DateTime, InvalidPartsRaise) {
  const Word bad[][3] = {{2001, 2, 29}, {0, 1, 1}, {2000, 13, 1}, {2000, 4, 31}, {10000, 1, 1}};
  for (const auto& b : bad) {
    TDateTime d = 123;
    EXPECT_FALSE(TryEncodeDate(b[0], b[1], b[2], d));
    EXPECT_EQ(d, 123);
  }
  try {
    EncodeDate(2001, 2, 29);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"Invalid argument to date encode");
  }
  try {
    EncodeTime(24, 0, 0, 0);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), u"Invalid argument to time encode");
  }
}

TEST(DateTime, IncSecondCrossesDaysAndTheEpochDay) {
  Word y, m, d, h, n, s, ms;
  TDateTime t = IncSecond(EncodeDateTime(2026, 12, 31, 23, 59, 59, 0), 1);
  DecodeDate(t, y, m, d);
  DecodeTime(t, h, n, s, ms);
  EXPECT_EQ((std::vector<int>{y, m, d, h, n, s}), (std::vector<int>{2027, 1, 1, 0, 0, 0}));

  t = IncSecond(EncodeDate(1899, 12, 30), -1);
  DecodeDate(t, y, m, d);
  DecodeTime(t, h, n, s, ms);
  EXPECT_EQ((std::vector<int>{y, m, d, h, n, s}), (std::vector<int>{1899, 12, 29, 23, 59, 59}));
  EXPECT_NEAR(IncSecond(t, 1), 0.0, 1e-9);
}

TEST(DateTime, FormatPatterns) {
  const TDateTime t = EncodeDateTime(2026, 3, 7, 14, 5, 9, 45);
  struct Case { String format; TDateTime value; String out; };
  const Case cases[] = {
      {u"yyyy-mm-dd hh:nn:ss", t, u"2026-03-07 14:05:09"},
      {u"yy/m/d", t, u"26/3/7"},
      {u"h:n:s.zzz|z", t, u"14:5:9.045|45"},
      {u"hh:mm", t, u"14:05"},  // m right after an hour is minutes
      {u"hh:mm am/pm|h AM/PM|h a/p|h ampm", t, u"02:05 pm|2 PM|2 p|2 PM"},
      {u"h:nn am/pm", EncodeTime(0, 30, 0, 0), u"12:30 am"},
      {u"h:nn am/pm", EncodeTime(12, 0, 0, 0), u"12:00 pm"},
      {u"mmm mmmm ddd dddd", t, u"Mar March Sat Saturday"},
      {u"'yyyy' \"mm\" yyyy", t, u"yyyy mm 2026"},
      {u"\u5f55\u5236\u4e8e yyyy\u5e74m\u6708", t, u"\u5f55\u5236\u4e8e 2026\u5e743\u6708"},
      {u"c", t, u"2026/3/7 14:05:09"},
      {u"c", EncodeDate(2026, 3, 7), u"2026/3/7"},
      {u"", t, u"2026/3/7 14:05:09"},
      {u"ddddd tt", t, u"2026/3/7 14:05:09"},
      {u"yyyy", EncodeDate(5, 1, 1), u"0005"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatDateTime(c.format, c.value), c.out) << U8(c.format);

  TFormatSettings saved = FormatSettings();
  FormatSettings().DateSeparator = u'.';
  FormatSettings().TimeSeparator = u'-';
  EXPECT_EQ(FormatDateTime(u"yyyy/mm/dd hh:nn", t), u"2026.03.07 14-05");
  FormatSettings() = saved;
  EXPECT_EQ(DateTimeToStr(t), u"2026/3/7 14:05:09");

  // Values outside the calendar format as zeros instead of reading past the name tables.
  for (TDateTime bad : {std::nan(""), 1e10, -1e10})
    EXPECT_EQ(FormatDateTime(u"yyyy-mm-dd|mmm|dddd|hh:nn", bad), u"0000-00-00|||00:00");
}

TEST(DateTime, UnixTimeFollowsTheZone) {
  {
    ZoneGuard zone("CST-8");
    EXPECT_DOUBLE_EQ(UnixToLocalDateTime(0), 25569 + 8.0 / 24);
    EXPECT_EQ(LocalDateTimeToUnix(EncodeDateTime(2026, 3, 7, 8, 0, 0, 0)),
              LocalDateTimeToUnix(EncodeDate(2026, 3, 7)) + 8 * 3600);
    EXPECT_EQ(LocalDateTimeToUnix(UnixToLocalDateTime(1700000000)), 1700000000);
  }
  std::time_t before = std::time(nullptr);
  TDateTime now = Now();
  std::time_t after = std::time(nullptr);
  EXPECT_GE(now, UnixToLocalDateTime(before) - 1e-9);
  EXPECT_LT(now, UnixToLocalDateTime(after) + 1.0 / SecsPerDay);
  EXPECT_EQ(Date(), static_cast<double>(static_cast<long long>(Date())));
}
