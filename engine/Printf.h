// printf-style formatting for the engine's and the probe's messages, whose
// formats are printf's ("%.6d", "%-16s", "%3.2f"). The result is as long as
// the text needs: nothing is cut at a fixed buffer size.
#pragma once

#include <cstdarg>
#include <cstdio>
#include <string>

#include "platform/rtl/Strings.h"

namespace engine {

inline std::string VFmtA(const char* AFormat, va_list AArgs) {
  va_list copy;
  va_copy(copy, AArgs);
  int n = vsnprintf(nullptr, 0, AFormat, copy);
  va_end(copy);
  std::string s(n > 0 ? static_cast<size_t>(n) : 0, '\0');
  if (n > 0) vsnprintf(s.data(), s.size() + 1, AFormat, AArgs);
  return s;
}

[[gnu::format(printf, 1, 2)]] inline std::string FmtA(const char* AFormat, ...) {
  va_list ap;
  va_start(ap, AFormat);
  std::string s = VFmtA(AFormat, ap);
  va_end(ap);
  return s;
}

[[gnu::format(printf, 1, 2)]] inline rtl::String Fmt(const char* AFormat, ...) {
  va_list ap;
  va_start(ap, AFormat);
  std::string s = VFmtA(AFormat, ap);
  va_end(ap);
  return rtl::Utf8ToString(s);
}

}  // namespace engine
