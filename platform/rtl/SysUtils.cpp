#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <charconv>
#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <locale.h>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/rtl/Strings.h"

namespace rtl {

TFormatSettings& FormatSettings() {
  static TFormatSettings settings;
  return settings;
}

TVarRec::TVarRec(const char* utf8) : kind_(vtString), s_(Utf8ToString(utf8 ? utf8 : "")) {}
TVarRec::TVarRec(const std::string& utf8) : kind_(vtString), s_(Utf8ToString(utf8)) {}

namespace {

String Ascii(std::string_view s) { return String(s.begin(), s.end()); }

// ---------------------------------------------------------------------------
// Decimal digits of a double. The value is 0.d1d2d3... x 10^exponent; digits
// carry no trailing zeros and are empty for zero. Rounding works on these
// decimal digits, half away from zero, as the framework's float-to-text does.

struct Decimal {
  bool negative = false;
  int exponent = 0;
  std::string digits;
  bool IsZero() const { return digits.empty(); }
};

Decimal ToDecimal(double v) {
  Decimal d;
  if (v == 0) return d;
  d.negative = v < 0;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.17e", std::fabs(v));
  // "d.ddddddddddddddddde+XX"
  const char* e = std::strchr(buf, 'e');
  d.digits.push_back(buf[0]);
  d.digits.append(buf + 2, static_cast<size_t>(e - (buf + 2)));
  d.exponent = std::atoi(e + 1) + 1;
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  return d;
}

// Keeps `count` significant digits.
void RoundDigits(Decimal& d, int count) {
  if (static_cast<int>(d.digits.size()) <= count) return;
  if (count < 0) {
    d.digits.clear();
    return;
  }
  bool up = d.digits[count] >= '5';
  d.digits.resize(count);
  if (up) {
    int i = count - 1;
    while (i >= 0 && d.digits[i] == '9') d.digits[i--] = '0';
    if (i >= 0) {
      ++d.digits[i];
    } else {
      d.digits.insert(d.digits.begin(), '1');
      ++d.exponent;
    }
  }
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  if (d.digits.empty()) d.exponent = 0;
}

// Keeps `decimals` digits after the decimal point.
void RoundDecimals(Decimal& d, int decimals) {
  RoundDigits(d, d.exponent + decimals);
}

char DigitAt(const Decimal& d, int i) {
  return (i >= 0 && i < static_cast<int>(d.digits.size())) ? d.digits[i] : '0';
}

String WithThousands(const std::string& intPart, char16_t sep) {
  String r;
  const int n = static_cast<int>(intPart.size());
  for (int i = 0; i < n; ++i) {
    r.push_back(static_cast<char16_t>(intPart[i]));
    int left = n - 1 - i;
    if (left > 0 && left % 3 == 0 && sep != 0) r.push_back(sep);
  }
  return r;
}

std::string IntegerDigits(const Decimal& d) {
  if (d.exponent <= 0 || d.IsZero()) return "0";
  std::string r;
  for (int i = 0; i < d.exponent; ++i) r.push_back(DigitAt(d, i));
  return r;
}

std::string FractionDigits(const Decimal& d, int decimals) {
  std::string r;
  for (int i = 0; i < decimals; ++i) r.push_back(DigitAt(d, d.exponent + i));
  return r;
}

String Special(double v) {
  if (std::isnan(v)) return u"NAN";
  return v < 0 ? u"-INF" : u"INF";
}

// Fixed: "-1234.50", with thousands separators for ffNumber. Digits beyond
// `precision` significant ones are rounded away and written as zeros.
String FixedText(double v, int decimals, bool thousands, int precision = 18) {
  Decimal d = ToDecimal(v);
  RoundDigits(d, std::min(precision, d.exponent + decimals));
  const auto& fs = FormatSettings();
  String r;
  if (d.negative && !d.IsZero()) r.push_back(u'-');
  std::string ip = IntegerDigits(d);
  r += thousands ? WithThousands(ip, fs.ThousandSeparator) : Ascii(ip);
  if (decimals > 0) {
    r.push_back(fs.DecimalSeparator);
    r += Ascii(FractionDigits(d, decimals));
  }
  return r;
}

String ExponentText(int e, bool alwaysSign, int minDigits) {
  String r;
  if (e < 0)
    r.push_back(u'-');
  else if (alwaysSign)
    r.push_back(u'+');
  std::string n = std::to_string(e < 0 ? -e : e);
  while (static_cast<int>(n.size()) < minDigits) n.insert(n.begin(), '0');
  return r + Ascii(n);
}

// Scientific: "-1.2345E+003" with `precision` significant digits.
String ScientificText(double v, int precision, int expDigits) {
  precision = std::clamp(precision, 1, 18);
  Decimal d = ToDecimal(v);
  RoundDigits(d, precision);
  String r;
  if (d.negative && !d.IsZero()) r.push_back(u'-');
  r.push_back(static_cast<char16_t>(DigitAt(d, 0)));
  if (precision > 1) {
    r.push_back(FormatSettings().DecimalSeparator);
    for (int i = 1; i < precision; ++i) r.push_back(static_cast<char16_t>(DigitAt(d, i)));
  }
  r.push_back(u'E');
  r += ExponentText(d.IsZero() ? 0 : d.exponent - 1, true, expDigits);
  return r;
}

// Shortest of fixed and scientific with up to `precision` significant digits.
String GeneralText(double v, int precision, int expDigits) {
  precision = std::clamp(precision, 1, 18);
  Decimal d = ToDecimal(v);
  RoundDigits(d, precision);
  if (d.IsZero()) return u"0";
  String r;
  if (d.negative) r.push_back(u'-');
  const char16_t dot = FormatSettings().DecimalSeparator;
  const int n = static_cast<int>(d.digits.size());
  if (d.exponent > precision || d.exponent < -3) {
    r.push_back(static_cast<char16_t>(d.digits[0]));
    if (n > 1) {
      r.push_back(dot);
      r += Ascii(d.digits.substr(1));
    }
    r.push_back(u'E');
    r += ExponentText(d.exponent - 1, false, expDigits);
    return r;
  }
  r += Ascii(IntegerDigits(d));
  if (n > d.exponent) {
    r.push_back(dot);
    for (int i = d.exponent; i < n; ++i) r.push_back(static_cast<char16_t>(DigitAt(d, i)));
  }
  return r;
}

String CurrencyText(double v, int decimals, int precision = 18) {
  const auto& fs = FormatSettings();
  String body = FixedText(std::fabs(v), decimals, true, precision);
  Decimal d = ToDecimal(v);
  RoundDigits(d, std::min(precision, d.exponent + decimals));
  if (d.negative && !d.IsZero()) return u"(" + fs.CurrencyString + body + u")";
  return fs.CurrencyString + body;
}

// ---------------------------------------------------------------------------
// Format

[[noreturn]] void InvalidFormat(const String& format) {
  throw EConvertError(u"Format '" + format + u"' invalid or incompatible with argument");
}

[[noreturn]] void MissingArgument(const String& format) {
  throw EConvertError(u"No argument for format '" + format + u"'");
}

bool IsIntegerKind(const TVarRec& a) {
  return a.kind() == TVarRec::vtInteger || a.kind() == TVarRec::vtInt64 ||
         a.kind() == TVarRec::vtUInt64;
}

String ZeroPad(String digits, int precision) {
  if (precision > static_cast<int>(digits.size()))
    digits.insert(0, static_cast<size_t>(precision) - digits.size(), u'0');
  return digits;
}

String HexDigits(UInt64 v) {
  char buf[24];
  auto res = std::to_chars(buf, buf + sizeof buf, v, 16);
  String r;
  for (char* p = buf; p < res.ptr; ++p)
    r.push_back(static_cast<char16_t>(*p >= 'a' ? *p - 32 : *p));
  return r;
}

String DecimalDigits(UInt64 v) {
  char buf[24];
  auto res = std::to_chars(buf, buf + sizeof buf, v);
  return Ascii(std::string_view(buf, res.ptr - buf));
}

}  // namespace

String Format(const String& format, std::initializer_list<TVarRec> args) {
  return Format(format, args.begin(), static_cast<int>(args.size()));
}

String Format(const String& format, const TVarRec* args, int count) {
  String out;
  const size_t n = format.size();
  int next = 0;
  size_t i = 0;

  auto takeArg = [&]() -> const TVarRec& {
    if (next >= count) MissingArgument(format);
    return args[next++];
  };
  // A number or '*' (taken from the arguments); -1 when neither is there.
  // Both are bounded alike, so a width passed as an argument cannot ask for
  // gigabytes of padding.
  constexpr long long kMaxNumber = 1000000;
  auto readNumber = [&]() -> int {
    if (i < n && format[i] == u'*') {
      ++i;
      const TVarRec& a = takeArg();
      if (a.kind() != TVarRec::vtInteger || a.AsInt64() > kMaxNumber) InvalidFormat(format);
      return static_cast<int>(a.AsInt64());
    }
    if (i >= n || format[i] < u'0' || format[i] > u'9') return -1;
    long long v = 0;
    while (i < n && format[i] >= u'0' && format[i] <= u'9') {
      v = v * 10 + (format[i] - u'0');
      if (v > kMaxNumber) InvalidFormat(format);
      ++i;
    }
    return static_cast<int>(v);
  };

  while (i < n) {
    char16_t c = format[i++];
    if (c != u'%') {
      out.push_back(c);
      continue;
    }
    if (i >= n) InvalidFormat(format);
    if (format[i] == u'%') {
      out.push_back(u'%');
      ++i;
      continue;
    }
    int width = readNumber();
    if (i < n && format[i] == u':') {
      ++i;
      if (width < 0) width = 0;
      next = width;
      width = -1;
    }
    bool left = false;
    if (i < n && format[i] == u'-') {
      left = true;
      ++i;
    }
    if (width < 0) width = readNumber();
    int precision = -1;
    if (i < n && format[i] == u'.') {
      ++i;
      precision = readNumber();
      if (precision < 0) precision = 0;
    }
    if (i >= n) InvalidFormat(format);
    char16_t type = format[i++];
    if (type >= u'a' && type <= u'z') type = static_cast<char16_t>(type - 32);

    const TVarRec& a = takeArg();
    String text;
    switch (type) {
      case u'D': {
        if (!IsIntegerKind(a)) InvalidFormat(format);
        Int64 v = a.AsInt64();
        if (a.kind() == TVarRec::vtUInt64) {
          text = ZeroPad(DecimalDigits(static_cast<UInt64>(v)), precision);
        } else {
          UInt64 mag = v < 0 ? 0 - static_cast<UInt64>(v) : static_cast<UInt64>(v);
          text = ZeroPad(DecimalDigits(mag), precision);
          if (v < 0) text.insert(0, 1, u'-');
        }
        break;
      }
      case u'U': {
        if (!IsIntegerKind(a)) InvalidFormat(format);
        UInt64 v = a.kind() == TVarRec::vtInteger ? static_cast<std::uint32_t>(a.AsInt64())
                                                  : static_cast<UInt64>(a.AsInt64());
        text = ZeroPad(DecimalDigits(v), precision);
        break;
      }
      case u'X': {
        if (!IsIntegerKind(a)) InvalidFormat(format);
        UInt64 v = a.kind() == TVarRec::vtInteger ? static_cast<std::uint32_t>(a.AsInt64())
                                                  : static_cast<UInt64>(a.AsInt64());
        text = ZeroPad(HexDigits(v), precision);
        break;
      }
      case u'E':
      case u'F':
      case u'G':
      case u'N':
      case u'M': {
        if (a.kind() != TVarRec::vtExtended) InvalidFormat(format);
        double v = a.AsDouble();
        if (!std::isfinite(v)) {
          text = Special(v);
        } else if (type == u'E') {
          text = ScientificText(v, precision < 0 ? 15 : precision, 3);
        } else if (type == u'G') {
          text = GeneralText(v, precision < 0 ? 15 : precision, 0);
        } else if (type == u'M') {
          text = FloatToStrF(v, ffCurrency, 18,
                             precision < 0 ? FormatSettings().CurrencyDecimals : precision);
        } else {
          text = FloatToStrF(v, type == u'N' ? ffNumber : ffFixed, 18, precision < 0 ? 2 : precision);
        }
        break;
      }
      case u'P': {
        if (a.kind() != TVarRec::vtPointer) InvalidFormat(format);
        text = ZeroPad(HexDigits(reinterpret_cast<std::uintptr_t>(a.AsPointer())),
                       static_cast<int>(sizeof(void*) * 2));
        break;
      }
      case u'S': {
        if (a.kind() != TVarRec::vtString && a.kind() != TVarRec::vtChar) InvalidFormat(format);
        text = a.AsString();
        if (precision >= 0 && precision < static_cast<int>(text.size())) text.resize(precision);
        break;
      }
      default:
        InvalidFormat(format);
    }
    if (width > static_cast<int>(text.size())) {
      String pad(static_cast<size_t>(width) - text.size(), u' ');
      text = left ? text + pad : pad + text;
    }
    out += text;
  }
  return out;
}

// ---------------------------------------------------------------------------
// Integer conversions

String IntToStr64(Int64 value) {
  char buf[24];
  auto res = std::to_chars(buf, buf + sizeof buf, value);
  return Ascii(std::string_view(buf, res.ptr - buf));
}

String UIntToStr(UInt64 value) { return DecimalDigits(value); }

String IntToHex64(UInt64 value, int digits) { return ZeroPad(HexDigits(value), digits); }

namespace {

// Reads an integer as the framework's Val does. `bits` is 32 or 64: decimal
// text must fit the signed range, hex text may use every bit of the width.
bool ParseInteger(const String& s, int bits, Int64& result) {
  size_t i = 0;
  const size_t n = s.size();
  while (i < n && s[i] == u' ') ++i;
  bool neg = false;
  if (i < n && (s[i] == u'-' || s[i] == u'+')) neg = s[i++] == u'-';
  bool hex = false;
  if (i < n && s[i] == u'$') {
    hex = true;
    ++i;
  } else if (i < n && (s[i] == u'x' || s[i] == u'X')) {
    hex = true;
    ++i;
  } else if (i + 1 < n && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X')) {
    hex = true;
    i += 2;
  }
  if (i >= n) return false;
  const UInt64 hexLimit = bits == 32 ? 0xFFFFFFFFull : ~0ull;
  const UInt64 decLimit = bits == 32 ? (neg ? 2147483648ull : 2147483647ull)
                                     : (neg ? 9223372036854775808ull : 9223372036854775807ull);
  UInt64 v = 0;
  for (; i < n; ++i) {
    char16_t c = s[i];
    unsigned d;
    if (c >= u'0' && c <= u'9')
      d = c - u'0';
    else if (hex && c >= u'a' && c <= u'f')
      d = c - u'a' + 10;
    else if (hex && c >= u'A' && c <= u'F')
      d = c - u'A' + 10;
    else
      return false;
    const UInt64 base = hex ? 16 : 10;
    const UInt64 limit = hex ? hexLimit : decLimit;
    if (v > (limit - d) / base) return false;
    v = v * base + d;
  }
  if (hex && bits == 32) v = static_cast<UInt64>(static_cast<Int64>(static_cast<std::int32_t>(v)));
  result = neg ? static_cast<Int64>(0 - v) : static_cast<Int64>(v);
  return true;
}

// The raising and the defaulting form of a TryStrTo* conversion; `what`
// names the value in the error ("integer value", ...).
template <class T>
T ConvertOrRaise(const String& s, bool (*tryConvert)(const String&, T&), const char16_t* what) {
  T v;
  if (!tryConvert(s, v)) throw EConvertError(u"'" + s + u"' is not a valid " + what);
  return v;
}

template <class T>
T ConvertOr(const String& s, bool (*tryConvert)(const String&, T&), T defaultValue) {
  T v;
  return tryConvert(s, v) ? v : defaultValue;
}

}  // namespace

bool TryStrToInt(const String& s, int& value) {
  Int64 v;
  if (!ParseInteger(s, 32, v)) return false;
  value = static_cast<int>(v);
  return true;
}

int StrToInt(const String& s) { return ConvertOrRaise(s, TryStrToInt, u"integer value"); }

int StrToIntDef(const String& s, int defaultValue) { return ConvertOr(s, TryStrToInt, defaultValue); }

bool TryStrToInt64(const String& s, Int64& value) { return ParseInteger(s, 64, value); }

Int64 StrToInt64(const String& s) { return ConvertOrRaise(s, TryStrToInt64, u"integer value"); }

Int64 StrToInt64Def(const String& s, Int64 defaultValue) { return ConvertOr(s, TryStrToInt64, defaultValue); }

// ---------------------------------------------------------------------------
// Floating-point conversions

bool TryStrToFloat(const String& s, double& value) {
  const char16_t dot = FormatSettings().DecimalSeparator;
  size_t i = 0;
  const size_t n = s.size();
  while (i < n && s[i] == u' ') ++i;
  std::string ascii;
  if (i < n && (s[i] == u'-' || s[i] == u'+')) {
    if (s[i] == u'-') ascii.push_back('-');
    ++i;
  }
  int digits = 0;
  while (i < n && s[i] >= u'0' && s[i] <= u'9') {
    ascii.push_back(static_cast<char>(s[i++]));
    ++digits;
  }
  if (i < n && s[i] == dot) {
    ascii.push_back('.');
    ++i;
    while (i < n && s[i] >= u'0' && s[i] <= u'9') {
      ascii.push_back(static_cast<char>(s[i++]));
      ++digits;
    }
  }
  if (digits == 0) return false;
  if (i < n && (s[i] == u'e' || s[i] == u'E')) {
    ascii.push_back('e');
    ++i;
    if (i < n && (s[i] == u'-' || s[i] == u'+')) ascii.push_back(static_cast<char>(s[i++]));
    int expDigits = 0;
    while (i < n && s[i] >= u'0' && s[i] <= u'9') {
      ascii.push_back(static_cast<char>(s[i++]));
      ++expDigits;
    }
    if (expDigits == 0) return false;
  }
  while (i < n && s[i] == u' ') ++i;
  if (i != n) return false;
  // The C locale's strtod, so that the process locale cannot change the decimal point.
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  errno = 0;
  char* end = nullptr;
  double v = strtod_l(ascii.c_str(), &end, cLocale);
  if (end != ascii.c_str() + ascii.size()) return false;
  // Underflow reads as zero; a value beyond the double range is refused.
  if (errno == ERANGE && std::fabs(v) > 1) return false;
  value = v;
  return true;
}

double StrToFloat(const String& s) { return ConvertOrRaise(s, TryStrToFloat, u"floating point value"); }

double StrToFloatDef(const String& s, double defaultValue) { return ConvertOr(s, TryStrToFloat, defaultValue); }

String FloatToStr(double value) { return FloatToStrF(value, ffGeneral, 15, 0); }

String FloatToStrF(double value, TFloatFormat format, int precision, int digits) {
  if (!std::isfinite(value)) return Special(value);
  precision = std::clamp(precision, 1, 18);
  switch (format) {
    case ffGeneral:
      return GeneralText(value, precision, std::clamp(digits, 0, 4));
    case ffExponent:
      return ScientificText(value, precision, std::clamp(digits, 0, 4));
    case ffFixed:
    case ffNumber: {
      // Beyond `precision` integer digits the value is written in scientific form.
      Decimal d = ToDecimal(value);
      if (d.exponent > precision) return ScientificText(value, precision, 3);
      return FixedText(value, std::clamp(digits, 0, 18), format == ffNumber, precision);
    }
    case ffCurrency: {
      Decimal d = ToDecimal(value);
      if (d.exponent > precision) return ScientificText(value, precision, 3);
      return CurrencyText(value, std::clamp(digits, 0, 18), precision);
    }
  }
  return String();
}

// ---------------------------------------------------------------------------
// FormatFloat

namespace {

struct Picture {
  String section;
  int intPlaceholders = 0;   // '0' and '#' before the decimal point
  int minIntDigits = 0;      // from the first '0' before the decimal point on
  int minDecimals = 0;       // '0' after the decimal point
  int maxDecimals = 0;       // '0' and '#' after the decimal point
  bool thousands = false;
  bool scientific = false;
  bool expAlwaysSign = false;
  int expDigits = 0;
};

std::vector<String> SplitSections(const String& format) {
  std::vector<String> sections(1);
  char16_t quote = 0;
  for (char16_t c : format) {
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == u'\'' || c == u'"') {
      quote = c;
    } else if (c == u';') {
      sections.emplace_back();
      continue;
    }
    sections.back().push_back(c);
  }
  return sections;
}

Picture Analyse(const String& section) {
  Picture p;
  p.section = section;
  bool afterPoint = false;
  bool seenZero = false;
  char16_t quote = 0;
  for (size_t i = 0; i < section.size(); ++i) {
    char16_t c = section[i];
    if (quote) {
      if (c == quote) quote = 0;
      continue;
    }
    switch (c) {
      case u'\'':
      case u'"':
        quote = c;
        break;
      case u'0':
      case u'#':
        if (afterPoint) {
          ++p.maxDecimals;
          if (c == u'0') p.minDecimals = p.maxDecimals;
        } else {
          ++p.intPlaceholders;
          if (c == u'0') seenZero = true;
          if (seenZero) ++p.minIntDigits;
        }
        break;
      case u'.':
        afterPoint = true;
        break;
      case u',':
        if (!afterPoint) p.thousands = true;
        break;
      case u'E':
      case u'e':
        if (!p.scientific && i + 1 < section.size() &&
            (section[i + 1] == u'+' || section[i + 1] == u'-')) {
          p.scientific = true;
          p.expAlwaysSign = section[i + 1] == u'+';
          size_t k = i + 2;
          while (k < section.size() && section[k] == u'0') {
            ++p.expDigits;
            ++k;
          }
          i = k - 1;
        }
        break;
      default:
        break;
    }
  }
  p.expDigits = std::min(p.expDigits, 4);
  return p;
}

// Writes `value` (already made non-negative) by the picture `p`.
String ApplyPicture(const Picture& p, double value) {
  const auto& fs = FormatSettings();
  Decimal d = ToDecimal(value);
  int exponent = 0;
  if (p.scientific) {
    const int intDigits = std::max(1, p.minIntDigits);
    if (!d.IsZero()) {
      RoundDigits(d, intDigits + p.maxDecimals);
      exponent = d.exponent - intDigits;
      d.exponent = intDigits;
    }
  } else {
    RoundDecimals(d, p.maxDecimals);
  }
  std::string ip = d.IsZero() || d.exponent <= 0 ? std::string() : IntegerDigits(d);
  while (static_cast<int>(ip.size()) < p.minIntDigits) ip.insert(ip.begin(), '0');
  std::string fp = FractionDigits(d, p.maxDecimals);
  while (static_cast<int>(fp.size()) > p.minDecimals && fp.back() == '0') fp.pop_back();

  const int len = static_cast<int>(ip.size());
  String out;
  auto emitDigit = [&](int idx) {
    out.push_back(static_cast<char16_t>(ip[idx]));
    int left = len - 1 - idx;
    if (p.thousands && left > 0 && left % 3 == 0) out.push_back(fs.ThousandSeparator);
  };
  int intSeen = 0;
  size_t fracSeen = 0;
  bool afterPoint = false;
  char16_t quote = 0;
  const String& s = p.section;
  for (size_t i = 0; i < s.size(); ++i) {
    char16_t c = s[i];
    if (quote) {
      if (c == quote)
        quote = 0;
      else
        out.push_back(c);
      continue;
    }
    switch (c) {
      case u'\'':
      case u'"':
        quote = c;
        break;
      case u'0':
      case u'#':
        if (!afterPoint) {
          if (intSeen == 0)
            for (int k = 0; k < len - p.intPlaceholders; ++k) emitDigit(k);
          int idx = len - p.intPlaceholders + intSeen;
          if (idx >= 0) emitDigit(idx);
          ++intSeen;
        } else if (fracSeen < fp.size()) {
          out.push_back(static_cast<char16_t>(fp[fracSeen++]));
        }
        break;
      case u'.':
        if (!afterPoint) {
          afterPoint = true;
          if (p.intPlaceholders == 0)
            for (int k = 0; k < len; ++k) emitDigit(k);
          if (!fp.empty()) out.push_back(fs.DecimalSeparator);
        }
        break;
      case u',':
        break;
      case u'E':
      case u'e':
        if (p.scientific && i + 1 < s.size() && (s[i + 1] == u'+' || s[i + 1] == u'-')) {
          out.push_back(c);
          out += ExponentText(exponent, p.expAlwaysSign, p.expDigits);
          size_t k = i + 2;
          while (k < s.size() && s[k] == u'0') ++k;
          i = k - 1;
        } else {
          out.push_back(c);
        }
        break;
      default:
        out.push_back(c);
        break;
    }
  }
  if (!afterPoint && p.intPlaceholders == 0 && intSeen == 0 && !p.scientific)
    for (int k = 0; k < len; ++k) emitDigit(k);
  return out;
}

bool RoundsToZero(const Picture& p, double value) {
  Decimal d = ToDecimal(value);
  if (p.scientific) return d.IsZero();
  RoundDecimals(d, p.maxDecimals);
  return d.IsZero();
}

}  // namespace

String FormatFloat(const String& format, double value) {
  if (!std::isfinite(value)) return Special(value);
  if (format.empty()) return FloatToStr(value);
  std::vector<String> sections = SplitSections(format);
  Picture positive = Analyse(sections[0]);
  const bool hasNegative = sections.size() > 1 && !sections[1].empty();
  const bool hasZero = sections.size() > 2 && !sections[2].empty();

  const bool negative = value < 0;
  if (!positive.scientific && ToDecimal(value).exponent > 18)
    return FloatToStrF(value, ffGeneral, 15, 0);  // beyond what a picture can hold
  const Picture picture = negative && hasNegative ? Analyse(sections[1]) : positive;
  if (RoundsToZero(picture, value)) {
    if (hasZero) return ApplyPicture(Analyse(sections[2]), 0.0);
    return ApplyPicture(picture, 0.0);
  }
  String body = ApplyPicture(picture, std::fabs(value));
  if (negative && !hasNegative) body.insert(0, 1, u'-');
  return body;
}

// ---------------------------------------------------------------------------
// Booleans

String BoolToStr(bool b, bool useBoolStrs) {
  if (useBoolStrs) return b ? u"True" : u"False";
  return b ? u"-1" : u"0";
}

bool TryStrToBool(const String& s, bool& value) {
  if (SameText(s, u"True")) {
    value = true;
    return true;
  }
  if (SameText(s, u"False")) {
    value = false;
    return true;
  }
  double d;
  if (TryStrToFloat(s, d)) {
    value = d != 0;
    return true;
  }
  return false;
}

bool StrToBool(const String& s) { return ConvertOrRaise(s, TryStrToBool, u"boolean value"); }

bool StrToBoolDef(const String& s, bool defaultValue) { return ConvertOr(s, TryStrToBool, defaultValue); }

}  // namespace rtl
