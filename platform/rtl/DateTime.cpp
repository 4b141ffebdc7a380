#include "platform/rtl/DateTime.h"

#include <cmath>
#include <ctime>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/SysUtils.h"

namespace rtl {

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date.
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;
}

void CivilFromDays(long long z, long long& y, unsigned& m, unsigned& d) {
  z += 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  y = static_cast<long long>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y += m <= 2;
}

// Day numbers of 0001-01-01 and 9999-12-31.
constexpr double kMinDay = -693593;
constexpr double kMaxDay = 2958465;

bool InRange(TDateTime value) { return value > kMinDay - 1 && value < kMaxDay + 1; }

// Milliseconds of the day held in the value's fraction.
long long TimeMs(TDateTime value) {
  if (!InRange(value)) return 0;
  double frac = std::fabs(value - std::trunc(value));
  long long ms = static_cast<long long>(std::nearbyint(frac * MSecsPerDay));
  return std::min<long long>(ms, 86399999);
}

}  // namespace

bool IsLeapYear(Word year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInAMonth(Word year, Word month) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

bool TryEncodeDate(Word year, Word month, Word day, TDateTime& date) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInAMonth(year, month))
    return false;
  date = static_cast<double>(DaysFromCivil(year, month, day)) + UnixDateDelta;
  return true;
}

bool TryEncodeTime(Word hour, Word min, Word sec, Word msec, TDateTime& time) {
  if (hour >= 24 || min >= 60 || sec >= 60 || msec >= 1000) return false;
  time = (hour * 3600000.0 + min * 60000.0 + sec * 1000.0 + msec) / MSecsPerDay;
  return true;
}

TDateTime EncodeDate(Word year, Word month, Word day) {
  TDateTime d;
  if (!TryEncodeDate(year, month, day, d)) throw EConvertError(u"Invalid argument to date encode");
  return d;
}

TDateTime EncodeTime(Word hour, Word min, Word sec, Word msec) {
  TDateTime t;
  if (!TryEncodeTime(hour, min, sec, msec, t))
    throw EConvertError(u"Invalid argument to time encode");
  return t;
}

TDateTime EncodeDateTime(Word year, Word month, Word day, Word hour, Word min, Word sec,
                         Word msec) {
  TDateTime d = EncodeDate(year, month, day);
  TDateTime t = EncodeTime(hour, min, sec, msec);
  return d >= 0 ? d + t : d - t;
}

void DecodeDate(TDateTime date, Word& year, Word& month, Word& day) {
  if (!InRange(date)) {
    year = month = day = 0;
    return;
  }
  long long y;
  unsigned m, d;
  CivilFromDays(static_cast<long long>(std::trunc(date)) - static_cast<long long>(UnixDateDelta), y,
                m, d);
  year = static_cast<Word>(y);
  month = static_cast<Word>(m);
  day = static_cast<Word>(d);
}

void DecodeTime(TDateTime time, Word& hour, Word& min, Word& sec, Word& msec) {
  long long ms = TimeMs(time);
  hour = static_cast<Word>(ms / 3600000);
  min = static_cast<Word>(ms / 60000 % 60);
  sec = static_cast<Word>(ms / 1000 % 60);
  msec = static_cast<Word>(ms % 1000);
}

int DayOfWeek(TDateTime date) {
  if (!InRange(date)) return 0;
  // 1899-12-30 was a Saturday.
  long long days = static_cast<long long>(std::trunc(date));
  long long r = (days + 6) % 7;
  if (r < 0) r += 7;
  return static_cast<int>(r) + 1;
}

TDateTime TmToDateTime(const std::tm& tm) {
  double date = static_cast<double>(DaysFromCivil(tm.tm_year + 1900LL, tm.tm_mon + 1, tm.tm_mday)) +
                UnixDateDelta;
  double time = (tm.tm_hour * 3600.0 + tm.tm_min * 60.0 + std::min(tm.tm_sec, 59)) / SecsPerDay;
  return date >= 0 ? date + time : date - time;
}

TDateTime Now() {
  timespec ts{};
  clock_gettime(CLOCK_REALTIME, &ts);
  std::tm tm{};
  localtime_r(&ts.tv_sec, &tm);
  TDateTime v = TmToDateTime(tm);
  return v + (ts.tv_nsec / 1000000) / MSecsPerDay;
}

TDateTime Date() { return std::trunc(Now()); }

TDateTime Time() {
  TDateTime n = Now();
  return n - std::trunc(n);
}

TDateTime IncMilliSecond(TDateTime value, Int64 msecs) {
  // Work on a continuous time line, as values before 1899-12-30 keep the
  // time of day as a positive fraction of a negative day number.
  double days = std::trunc(value);
  double frac = std::fabs(value - days);
  double line = days + frac + msecs / MSecsPerDay;
  double d = std::floor(line);
  double f = line - d;
  return d >= 0 ? d + f : d - f;
}

TDateTime IncSecond(TDateTime value, Int64 seconds) { return IncMilliSecond(value, seconds * 1000); }

TDateTime UnixToLocalDateTime(std::time_t t) {
  std::tm tm{};
  localtime_r(&t, &tm);
  return TmToDateTime(tm);
}

std::time_t LocalDateTimeToUnix(TDateTime value) {
  Word y, mo, d, h, mi, s, ms;
  DecodeDate(value, y, mo, d);
  DecodeTime(value, h, mi, s, ms);
  std::tm tm{};
  tm.tm_year = y - 1900;
  tm.tm_mon = mo - 1;
  tm.tm_mday = d;
  tm.tm_hour = h;
  tm.tm_min = mi;
  tm.tm_sec = s;
  tm.tm_isdst = -1;
  return mktime(&tm);
}

// ---------------------------------------------------------------------------
// FormatDateTime

namespace {

char16_t Upper(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; }

bool StartsNoCase(const String& s, size_t at, const char16_t* word) {
  for (size_t k = 0; word[k]; ++k)
    if (at + k >= s.size() || Upper(s[at + k]) != word[k]) return false;
  return true;
}

// True when an am/pm marker follows position `from` outside quoted text.
bool HasAmPm(const String& f, size_t from) {
  char16_t quote = 0;
  for (size_t i = from; i < f.size(); ++i) {
    char16_t c = f[i];
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == u'\'' || c == u'"') {
      quote = c;
    } else if (Upper(c) == u'A' &&
               (StartsNoCase(f, i, u"AM/PM") || StartsNoCase(f, i, u"A/P") ||
                StartsNoCase(f, i, u"AMPM"))) {
      return true;
    }
  }
  return false;
}

String Two(int v) {
  String r;
  r.push_back(static_cast<char16_t>(u'0' + v / 10 % 10));
  r.push_back(static_cast<char16_t>(u'0' + v % 10));
  return r;
}

void Append(String& out, const String& format, TDateTime value, int depth) {
  const auto& fs = FormatSettings();
  Word year, month, day, hour, min, sec, msec;
  DecodeDate(value, year, month, day);
  DecodeTime(value, hour, min, sec, msec);
  char16_t lastToken = 0;
  const size_t n = format.size();
  size_t i = 0;
  while (i < n) {
    char16_t c = format[i];
    char16_t token = Upper(c);
    size_t count = 1;
    if (token >= u'A' && token <= u'Z') {
      while (i + count < n && Upper(format[i + count]) == token) ++count;
      if (token == u'M' && lastToken == u'H') token = u'N';
      lastToken = token;
    }
    switch (token) {
      case u'Y':
        out += count <= 2 ? Two(year % 100) : Format(u"%.4d", {static_cast<int>(year)});
        i += count;
        break;
      case u'M':
        if (count <= 2)
          out += count == 1 ? IntToStr(static_cast<int>(month)) : Two(month);
        else
          if (month >= 1) out += count == 3 ? fs.ShortMonthNames[month - 1] : fs.LongMonthNames[month - 1];
        i += count;
        break;
      case u'D': {
        const int weekDay = DayOfWeek(value);  // 0 for a value outside the calendar
        if (count == 1)
          out += IntToStr(static_cast<int>(day));
        else if (count == 2)
          out += Two(day);
        else if (count <= 4 && weekDay > 0)
          out += count == 3 ? fs.ShortDayNames[weekDay - 1] : fs.LongDayNames[weekDay - 1];
        else if (count > 4 && depth < 2)
          Append(out, count == 5 ? fs.ShortDateFormat : fs.LongDateFormat, value, depth + 1);
        i += count;
        break;
      }
      case u'H': {
        int h = hour;
        if (HasAmPm(format, i + count)) {
          h %= 12;
          if (h == 0) h = 12;
        }
        out += count == 1 ? IntToStr(h) : Two(h);
        i += count;
        break;
      }
      case u'N':
        out += count == 1 ? IntToStr(static_cast<int>(min)) : Two(min);
        i += count;
        break;
      case u'S':
        out += count == 1 ? IntToStr(static_cast<int>(sec)) : Two(sec);
        i += count;
        break;
      case u'Z':
        if (count == 1) {
          out += IntToStr(static_cast<int>(msec));
        } else {
          out.push_back(static_cast<char16_t>(u'0' + msec / 100));
          out += Two(msec % 100);
        }
        i += count;
        break;
      case u'T':
        if (depth < 2)
          Append(out, count == 1 ? fs.ShortTimeFormat : fs.LongTimeFormat, value, depth + 1);
        i += count;
        break;
      case u'C':
        if (depth < 2) {
          Append(out, fs.ShortDateFormat, value, depth + 1);
          if (TimeMs(value) != 0) {
            out.push_back(u' ');
            Append(out, fs.LongTimeFormat, value, depth + 1);
          }
        }
        i += count;
        break;
      case u'A':
        if (StartsNoCase(format, i, u"AM/PM")) {
          out += hour >= 12 ? format.substr(i + 3, 2) : format.substr(i, 2);
          i += 5;
        } else if (StartsNoCase(format, i, u"A/P")) {
          out.push_back(hour >= 12 ? format[i + 2] : format[i]);
          i += 3;
        } else if (StartsNoCase(format, i, u"AMPM")) {
          out += hour >= 12 ? fs.TimePMString : fs.TimeAMString;
          i += 4;
        } else {
          out.push_back(c);
          ++i;
        }
        break;
      case u'/':
        out.push_back(fs.DateSeparator);
        ++i;
        break;
      case u':':
        out.push_back(fs.TimeSeparator);
        ++i;
        break;
      case u'\'':
      case u'"': {
        size_t end = format.find(c, i + 1);
        if (end == String::npos) end = n;
        out.append(format, i + 1, end - i - 1);
        i = end + 1;
        break;
      }
      default:
        out.append(format, i, count);
        i += count;
        break;
    }
  }
}

}  // namespace

String FormatDateTime(const String& format, TDateTime value) {
  String out;
  Append(out, format.empty() ? u"c" : format, value, 0);
  return out;
}

String DateTimeToStr(TDateTime value) { return FormatDateTime(u"c", value); }
String DateToStr(TDateTime value) { return FormatDateTime(u"ddddd", value); }
String TimeToStr(TDateTime value) { return FormatDateTime(u"tt", value); }

}  // namespace rtl
