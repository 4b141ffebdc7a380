#include "skin/data/bsIniFiles.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Strings.h"

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

// The framework's integer conversion: leading blanks, an optional sign, then
// decimal digits, or "$"/"0x" and hexadecimal digits (up to 32 bits, wrapping
// into the negative range as a 32-bit value does).
}  // namespace

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

int TCustomIniFile::ReadInteger(const String& Section, const String& Ident, int Default) const {
  String text = ReadString(Section, Ident, String());
  if (text.size() > 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X'))
    text = u"$" + text.substr(2);
  int value = 0;
  return TryParseInt(text, value) ? value : Default;
}

void TCustomIniFile::WriteInteger(const String& Section, const String& Ident, int Value) {
  WriteString(Section, Ident, rtl::Utf8ToString(std::to_string(Value)));
}

TMemIniFile::TMemIniFile(const String& FileName) : FFileName(FileName) {
  std::ifstream in(rtl::StringToUtf8(FileName), std::ios::binary);
  if (!in) return;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xEF &&
      static_cast<unsigned char>(bytes[1]) == 0xBB && static_cast<unsigned char>(bytes[2]) == 0xBF)
    SetText(rtl::Utf8ToString(std::string_view(bytes).substr(3)));
  else
    SetText(rtl::AnsiToString(bytes));
}

const TMemIniFile::Section* TMemIniFile::Find(const String& Name) const {
  for (const auto& s : FSections)
    if (SameTextAscii(s.Name, Name)) return &s;
  return nullptr;
}

TMemIniFile::Section* TMemIniFile::Find(const String& Name) {
  return const_cast<Section*>(static_cast<const TMemIniFile*>(this)->Find(Name));
}

String TMemIniFile::ReadString(const String& Section, const String& Ident, const String& Default) const {
  if (const auto* s = Find(Section))
    for (const auto& e : s->Entries)
      if (SameTextAscii(e.Key, Ident)) return e.Value;
  return Default;
}

void TMemIniFile::WriteString(const String& Section, const String& Ident, const String& Value) {
  auto* s = Find(Section);
  if (!s) {
    FSections.push_back({Section, {}});
    s = &FSections.back();
  }
  for (auto& e : s->Entries)
    if (SameTextAscii(e.Key, Ident)) {
      e.Value = Value;
      return;
    }
  s->Entries.push_back({Ident, Value});
}

void TMemIniFile::EraseSection(const String& Section) {
  for (auto it = FSections.begin(); it != FSections.end(); ++it)
    if (SameTextAscii(it->Name, Section)) {
      FSections.erase(it);
      return;
    }
}

bool TMemIniFile::SectionExists(const String& Section) const {
  const auto* s = Find(Section);
  return s && !s->Entries.empty();
}

void TMemIniFile::SetText(const String& Text) {
  FSections.clear();
  Section* current = nullptr;
  size_t pos = 0;
  while (pos <= Text.size()) {
    size_t end = Text.find_first_of(u"\r\n", pos);
    if (end == String::npos) end = Text.size();
    String line = TrimText(Text.substr(pos, end - pos));
    if (end < Text.size() && Text[end] == u'\r' && end + 1 < Text.size() && Text[end + 1] == u'\n') ++end;
    pos = end + 1;
    if (line.empty() || line[0] == u';') continue;
    if (line[0] == u'[') {
      size_t close = line.find(u']');
      String name = TrimText(line.substr(1, close == String::npos ? String::npos : close - 1));
      current = Find(name);
      if (!current) {
        FSections.push_back({name, {}});
        current = &FSections.back();
      }
      continue;
    }
    if (!current) continue;
    size_t eq = line.find(u'=');
    if (eq == String::npos) continue;
    String key = TrimText(line.substr(0, eq));
    bool duplicate = false;
    for (const auto& e : current->Entries) duplicate = duplicate || SameTextAscii(e.Key, key);
    if (!duplicate) current->Entries.push_back({key, TrimText(line.substr(eq + 1))});
  }
}

String TMemIniFile::GetText() const {
  String out;
  for (const auto& s : FSections) {
    out += u"[" + s.Name + u"]\r\n";
    for (const auto& e : s.Entries) out += e.Key + u"=" + e.Value + u"\r\n";
    out += u"\r\n";
  }
  return out;
}

std::vector<String> TMemIniFile::SectionNames() const {
  std::vector<String> names;
  for (const auto& s : FSections) names.push_back(s.Name);
  return names;
}

std::vector<String> TMemIniFile::SectionKeys(const String& Section) const {
  std::vector<String> keys;
  if (const auto* s = Find(Section))
    for (const auto& e : s->Entries) keys.push_back(e.Key);
  return keys;
}

void TMemIniFile::UpdateFile() const {
  const std::string path = rtl::StringToUtf8(FFileName);
  const std::string temp = path + ".tmp";
  const std::string bytes = rtl::StringToAnsi(GetText());
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) throw rtl::EFCreateError(rtl::S("Cannot create file \"" + path + "\""));
    out.write(bytes.data(), std::streamsize(bytes.size()));
    if (!out) throw rtl::EWriteError("Stream write error");
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    std::remove(temp.c_str());
    throw rtl::EFCreateError(rtl::S("Cannot create file \"" + path + "\""));
  }
}

}  // namespace skin
