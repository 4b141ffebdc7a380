// Formatting and number conversions with the runtime framework's semantics,
// and the umbrella header of the system routines (exceptions, strings, dates,
// files).
//
// Format(u"%d:%s", {n, name}) takes its arguments as TVarRec values built
// implicitly from integers, floating-point numbers, Strings, UTF-16 and UTF-8
// C strings, single characters, booleans and pointers. As in the framework, a
// format that does not fit its argument, an unknown conversion or a missing
// argument raises EConvertError. Conversions read and write '.' as the
// decimal separator (FormatSettings). Every routine is reentrant.
#pragma once

#include <cmath>
#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileSys.h"
#include "platform/rtl/FormatSettings.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/Types.h"

namespace rtl {

// One argument of Format. Holds a copy of string arguments, so it can outlive
// the expression that built it.
class TVarRec {
 public:
  enum Kind { vtInteger, vtInt64, vtUInt64, vtExtended, vtString, vtChar, vtBoolean, vtPointer };

  template <typename T>
    requires std::is_integral_v<T> && (!std::is_same_v<T, bool>) && (!std::is_same_v<T, char>) &&
             (!std::is_same_v<T, char16_t>) && (!std::is_same_v<T, char32_t>) &&
             (!std::is_same_v<T, wchar_t>)
  TVarRec(T v) {  // NOLINT: implicit by design
    if constexpr (std::is_signed_v<T> && sizeof(T) <= 4) {
      kind_ = vtInteger;
      i_ = v;
    } else if constexpr (std::is_unsigned_v<T> && sizeof(T) < 4) {
      kind_ = vtInteger;
      i_ = v;
    } else if constexpr (std::is_unsigned_v<T> && sizeof(T) == 8) {
      kind_ = vtUInt64;
      i_ = static_cast<Int64>(v);
    } else {
      kind_ = vtInt64;
      i_ = static_cast<Int64>(v);
    }
  }
  template <typename T>
    requires std::is_floating_point_v<T>
  TVarRec(T v) : kind_(vtExtended), d_(static_cast<double>(v)) {}  // NOLINT
  TVarRec(bool v) : kind_(vtBoolean), i_(v ? 1 : 0) {}              // NOLINT
  TVarRec(char16_t c) : kind_(vtChar), s_(1, c) {}                  // NOLINT
  TVarRec(char c) : kind_(vtChar), s_(1, static_cast<char16_t>(static_cast<unsigned char>(c))) {}  // NOLINT
  TVarRec(const String& s) : kind_(vtString), s_(s) {}              // NOLINT
  TVarRec(String&& s) : kind_(vtString), s_(std::move(s)) {}        // NOLINT
  TVarRec(std::u16string_view s) : kind_(vtString), s_(s) {}        // NOLINT
  TVarRec(const char16_t* s) : kind_(vtString), s_(s ? s : u"") {}  // NOLINT
  TVarRec(const char* utf8);                                         // NOLINT
  TVarRec(const std::string& utf8);                                  // NOLINT
  TVarRec(std::nullptr_t) : kind_(vtPointer), p_(nullptr) {}         // NOLINT
  template <typename T>
    requires(!std::is_same_v<std::remove_cv_t<T>, char> &&
             !std::is_same_v<std::remove_cv_t<T>, char16_t>)
  TVarRec(T* p) : kind_(vtPointer), p_(static_cast<const void*>(p)) {}  // NOLINT

  Kind kind() const { return kind_; }
  Int64 AsInt64() const { return i_; }
  double AsDouble() const { return d_; }
  const String& AsString() const { return s_; }
  const void* AsPointer() const { return p_; }

 private:
  Kind kind_;
  Int64 i_ = 0;
  double d_ = 0;
  String s_;
  const void* p_ = nullptr;
};

// Conversions: %d %u %x (capital hex digits) %e %f %g %n %m %p %s, with
// "%[index:][-][width][.precision]type", '*' taking a number from the
// arguments, and "%%" for a percent sign.
String Format(const String& format, std::initializer_list<TVarRec> args);
String Format(const String& format, const TVarRec* args, int count);

// Integers to text.
String IntToStr64(Int64 value);
String UIntToStr(UInt64 value);
template <typename T>
  requires std::is_integral_v<T> && (!std::is_same_v<T, bool>)
String IntToStr(T value) {
  if constexpr (std::is_unsigned_v<T> && sizeof(T) == 8)
    return UIntToStr(value);
  else
    return IntToStr64(static_cast<Int64>(value));
}
// Capital hex digits, at least `digits` of them; a negative 32-bit value is
// written as its 32-bit pattern, a 64-bit one as its 64-bit pattern.
String IntToHex64(UInt64 value, int digits);
template <typename T>
  requires std::is_integral_v<T> && (!std::is_same_v<T, bool>)
String IntToHex(T value, int digits) {
  if constexpr (sizeof(T) <= 4)
    return IntToHex64(static_cast<std::make_unsigned_t<T>>(value), digits);
  else
    return IntToHex64(static_cast<UInt64>(value), digits);
}

// Text to integers: optional blanks, a sign, decimal digits or a hex number
// written "$1F", "0x1F" or "x1F"; nothing may follow. Failures raise
// EConvertError "'<text>' is not a valid integer value".
int StrToInt(const String& s);
int StrToIntDef(const String& s, int defaultValue);
bool TryStrToInt(const String& s, int& value);
Int64 StrToInt64(const String& s);
Int64 StrToInt64Def(const String& s, Int64 defaultValue);
bool TryStrToInt64(const String& s, Int64& value);

// Text to floating point: blanks, sign, digits with '.', exponent, blanks.
// Failures raise "'<text>' is not a valid floating point value".
double StrToFloat(const String& s);
double StrToFloatDef(const String& s, double defaultValue);
bool TryStrToFloat(const String& s, double& value);

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };
// Shortest form with up to 15 significant digits ("0.1", "1E20", "1E-5").
String FloatToStr(double value);
String FloatToStrF(double value, TFloatFormat format, int precision, int digits);
// Picture formats: "0.00", "#,##0", "0.#", "0.00E+00", quoted literals,
// sections "positive;negative;zero".
String FormatFloat(const String& format, double value);

// False is "0", true "-1"; with useBoolStrs "False"/"True".
String BoolToStr(bool b, bool useBoolStrs = false);
// "True"/"False" in any case, or a number (zero is false); else EConvertError
// "'<text>' is not a valid boolean value".
bool StrToBool(const String& s);
bool StrToBoolDef(const String& s, bool defaultValue);
bool TryStrToBool(const String& s, bool& value);

// Round sends halves to the even neighbour; Trunc cuts toward zero. A value
// with no 64-bit integer (NaN, infinities, beyond +-2^63) gives the processor's
// "integer indefinite" INT64_MIN, as a masked invalid operation does.
inline Int64 FloatToInt64(double whole) {
  if (!(whole >= -9223372036854775808.0 && whole < 9223372036854775808.0)) return INT64_MIN;
  return static_cast<Int64>(whole);
}
inline Int64 Round(double v) { return FloatToInt64(std::nearbyint(v)); }
inline Int64 Trunc(double v) { return FloatToInt64(std::trunc(v)); }
inline double Frac(double v) { return v - std::trunc(v); }
inline double Int(double v) { return std::trunc(v); }

}  // namespace rtl
