#include "skin/data/bsIniFiles.h"

#include <cstdint>

#include "platform/rtl/Classes.h"

namespace skin {

namespace {

char16_t LowerAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; }

bool IsBlank(char16_t c) { return c <= u' '; }

int HexDigit(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

}  // namespace

// Hexadecimal values take up to 32 bits and wrap into the negative range, as
// a 32-bit value does.
bool TryParseInt(const String& Text, int& Value) {
  size_t i = 0;
  while (i < Text.size() && IsBlank(Text[i])) ++i;
  bool negative = false;
  if (i < Text.size() && (Text[i] == u'-' || Text[i] == u'+')) {
    negative = Text[i] == u'-';
    ++i;
  }
  bool hex = false;
  if (i < Text.size() && Text[i] == u'$') {
    hex = true;
    ++i;
  } else if (i + 1 < Text.size() && Text[i] == u'0' && (Text[i + 1] == u'x' || Text[i + 1] == u'X')) {
    hex = true;
    i += 2;
  }
  if (i >= Text.size()) return false;
  std::uint64_t acc = 0;
  for (; i < Text.size(); ++i) {
    int d = hex ? HexDigit(Text[i]) : ((Text[i] >= u'0' && Text[i] <= u'9') ? Text[i] - u'0' : -1);
    if (d < 0) return false;
    acc = acc * (hex ? 16 : 10) + std::uint64_t(d);
    if (acc > 0xFFFFFFFFull) return false;
  }
  if (hex) {
    std::int64_t v = static_cast<std::int32_t>(static_cast<std::uint32_t>(acc));
    Value = static_cast<int>(negative ? -v : v);
    return true;
  }
  std::int64_t v = negative ? -std::int64_t(acc) : std::int64_t(acc);
  if (v < INT32_MIN || v > INT32_MAX) return false;
  Value = static_cast<int>(v);
  return true;
}

bool SameTextAscii(const String& A, const String& B) {
  if (A.size() != B.size()) return false;
  for (size_t i = 0; i < A.size(); ++i)
    if (LowerAscii(A[i]) != LowerAscii(B[i])) return false;
  return true;
}

String TrimText(const String& S) {
  size_t b = 0, e = S.size();
  while (b < e && IsBlank(S[b])) ++b;
  while (e > b && IsBlank(S[e - 1])) --e;
  return S.substr(b, e - b);
}

void SetIniText(TMemIniFile& Ini, const String& Text) {
  rtl::TStringList lines;
  lines.SetText(Text);
  Ini.SetStrings(&lines);
}

std::vector<String> IniSectionNames(TCustomIniFile& Ini) {
  rtl::TStringList names;
  Ini.ReadSections(&names);
  std::vector<String> out;
  for (int i = 0; i < names.Count(); ++i) out.push_back(names[i]);
  return out;
}

std::vector<String> IniSectionKeys(TCustomIniFile& Ini, const String& Section) {
  rtl::TStringList keys;
  Ini.ReadSection(Section, &keys);
  std::vector<String> out;
  for (int i = 0; i < keys.Count(); ++i) out.push_back(keys[i]);
  return out;
}

String GetIniText(TCustomIniFile& Ini) {
  String out;
  for (const String& section : IniSectionNames(Ini)) {
    out += u"[" + section + u"]\r\n";
    rtl::TStringList values;
    Ini.ReadSectionValues(section, &values);
    for (int i = 0; i < values.Count(); ++i) out += values[i] + u"\r\n";
    out += u"\r\n";
  }
  return out;
}

}  // namespace skin
