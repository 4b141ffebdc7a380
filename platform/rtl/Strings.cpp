#include "platform/rtl/Strings.h"

#include <iconv.h>

#include <cerrno>
#include <mutex>

namespace rtl {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

void AppendCodePoint(String& out, char32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  }
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

std::mutex g_cpMutex;
std::string g_codePage = "UTF-8";

bool IsUtf8(const std::string& cp) { return cp == "UTF-8" || cp == "utf-8" || cp == "UTF8"; }

std::string Iconv(const std::string& to, const std::string& from, const char* data, size_t len) {
  iconv_t cd = iconv_open(to.c_str(), from.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string();
  std::string out;
  char buf[4096];
  char* in = const_cast<char*>(data);
  size_t inLeft = len;
  while (inLeft > 0) {
    char* o = buf;
    size_t oLeft = sizeof buf;
    size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
    out.append(buf, o - buf);
    if (r == static_cast<size_t>(-1)) {
      if (errno == E2BIG) continue;
      // Unconvertible or invalid input: substitute and skip one unit.
      out.push_back('?');
      size_t skip = (from == "UTF-16LE") ? 2 : 1;
      if (skip > inLeft) skip = inLeft;
      in += skip;
      inLeft -= skip;
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

namespace {

// Escaped bytes of file names: 0x80..0xFF as the lone low surrogates
// U+DC80..U+DCFF, which no well-formed UTF-8 decodes to.
constexpr char16_t kByteEscape = 0xDC00;

String DecodeUtf8(std::string_view s, bool escapeBytes) {
  String out;
  out.reserve(s.size());
  size_t i = 0;
  const size_t n = s.size();
  while (i < n) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      out.push_back(c);
      ++i;
      continue;
    }
    int extra;
    char32_t cp;
    char32_t min;
    if ((c & 0xE0) == 0xC0) {
      extra = 1; cp = c & 0x1F; min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2; cp = c & 0x0F; min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3; cp = c & 0x07; min = 0x10000;
    } else {
      out.push_back(escapeBytes ? static_cast<char16_t>(kByteEscape + c) : kReplacement);
      ++i;
      continue;
    }
    bool ok = true;
    size_t j = 1;
    for (; ok && j <= static_cast<size_t>(extra); ++j) {
      if (i + j >= n) { ok = false; break; }
      unsigned char cc = static_cast<unsigned char>(s[i + j]);
      if ((cc & 0xC0) != 0x80) { ok = false; break; }
      cp = (cp << 6) | (cc & 0x3F);
    }
    if (!ok || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      if (escapeBytes) {
        out.push_back(static_cast<char16_t>(kByteEscape + c));
        ++i;
      } else {
        out.push_back(kReplacement);
        i += (j > 1 ? j : 1);
      }
      continue;
    }
    AppendCodePoint(out, cp);
    i += extra + 1;
  }
  return out;
}

std::string EncodeUtf8(std::u16string_view s, bool escapeBytes) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    char32_t c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (escapeBytes && c >= kByteEscape + 0x80 && c <= kByteEscape + 0xFF) {
      out.push_back(static_cast<char>(c - kByteEscape));
      continue;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = kReplacement;
    }
    AppendUtf8(out, c);
  }
  return out;
}

}  // namespace

String Utf8ToString(std::string_view s) { return DecodeUtf8(s, false); }
std::string StringToUtf8(std::u16string_view s) { return EncodeUtf8(s, false); }
String FileNameToString(std::string_view s) { return DecodeUtf8(s, true); }
std::string StringToFileName(std::u16string_view s) { return EncodeUtf8(s, true); }

void SetAnsiCodePage(const std::string& iconvName) {
  std::lock_guard<std::mutex> lock(g_cpMutex);
  g_codePage = iconvName.empty() ? "UTF-8" : iconvName;
}

const std::string& AnsiCodePage() {
  std::lock_guard<std::mutex> lock(g_cpMutex);
  return g_codePage;
}

AnsiString StringToAnsi(std::u16string_view s) {
  std::string cp = AnsiCodePage();
  if (IsUtf8(cp)) return StringToUtf8(s);
  return Iconv(cp, "UTF-16LE", reinterpret_cast<const char*>(s.data()), s.size() * 2);
}

String AnsiToString(std::string_view a) {
  std::string cp = AnsiCodePage();
  if (IsUtf8(cp)) return Utf8ToString(a);
  std::string u8 = Iconv("UTF-8", cp, a.data(), a.size());
  return Utf8ToString(u8);
}

}  // namespace rtl
