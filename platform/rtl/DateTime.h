// Date-time values: days since 1899-12-30 00:00 as a double, the fraction
// being the time of day (for values before that day the fraction's magnitude
// is the time). Local time throughout. Reentrant; formatting reads
// FormatSettings().
#pragma once

#include <ctime>

#include "platform/rtl/Types.h"

namespace rtl {

using TDateTime = double;

constexpr double HoursPerDay = 24;
constexpr double MinsPerDay = 24 * 60;
constexpr double SecsPerDay = 24 * 60 * 60;
constexpr double MSecsPerDay = 24 * 60 * 60 * 1000.0;
// Day number of 1970-01-01.
constexpr double UnixDateDelta = 25569;

bool IsLeapYear(Word year);
int DaysInAMonth(Word year, Word month);

// Years 1..9999; failures raise EConvertError "Invalid argument to date encode"
// (or "... time encode").
bool TryEncodeDate(Word year, Word month, Word day, TDateTime& date);
bool TryEncodeTime(Word hour, Word min, Word sec, Word msec, TDateTime& time);
TDateTime EncodeDate(Word year, Word month, Word day);
TDateTime EncodeTime(Word hour, Word min, Word sec, Word msec);
TDateTime EncodeDateTime(Word year, Word month, Word day, Word hour, Word min, Word sec, Word msec);
// A value outside years 1..9999 (or NaN) decodes as 0-0-0 00:00.
void DecodeDate(TDateTime date, Word& year, Word& month, Word& day);
void DecodeTime(TDateTime time, Word& hour, Word& min, Word& sec, Word& msec);
// 1 = Sunday .. 7 = Saturday; 0 outside the calendar.
int DayOfWeek(TDateTime date);

TDateTime Now();
TDateTime Date();
TDateTime Time();

TDateTime IncSecond(TDateTime value, Int64 seconds = 1);
TDateTime IncMilliSecond(TDateTime value, Int64 msecs = 1);

// Local broken-down time to and from date-time values.
TDateTime TmToDateTime(const std::tm& tm);
// Seconds since the epoch (UTC) to local date-time, and back, with the
// zone's rules (daylight saving included) at that instant.
TDateTime UnixToLocalDateTime(std::time_t t);
std::time_t LocalDateTimeToUnix(TDateTime value);

// Patterns: y yy yyyy, m mm mmm mmmm, d dd ddd dddd ddddd dddddd, h hh, n nn,
// s ss, z zzz, t tt, c, am/pm a/p ampm, '/' and ':' separators, quoted text.
// An "m" right after an hour is minutes.
String FormatDateTime(const String& format, TDateTime value);
String DateTimeToStr(TDateTime value);
String DateToStr(TDateTime value);
String TimeToStr(TDateTime value);

}  // namespace rtl
