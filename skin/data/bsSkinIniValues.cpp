#include "skin/data/bsSkinIniValues.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <utility>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Strings.h"

namespace skin {

namespace {

// The framework's strict conversion of a digits-only component.
int StrictInt(const String& Text) {
  if (Text.empty() || Text.size() > 10)
    throw rtl::EConvertError(u"'" + Text + u"' is not a valid integer value");
  std::int64_t v = 0;
  for (char16_t c : Text) v = v * 10 + (c - u'0');
  if (v > INT32_MAX) throw rtl::EConvertError(u"'" + Text + u"' is not a valid integer value");
  return static_cast<int>(v);
}

template <size_t N>
std::array<int, N> ParseComponents(const String& Value) {
  std::array<String, N> parts{};
  size_t current = 0;
  String acc;
  for (char16_t c : Value) {
    if (c == u',') {
      if (current < N) parts[current] = acc;
      acc.clear();
      ++current;
    } else if (c >= u'0' && c <= u'9') {
      acc += c;
    }
  }
  if (current < N) parts[current] = acc;
  std::array<int, N> out{};
  for (size_t i = 0; i < N; ++i) out[i] = StrictInt(parts[i]);
  return out;
}

String IntText(int v) { return rtl::Utf8ToString(std::to_string(v)); }

// Words are listed in the enumeration's order; an absent key reads as
// Absent, a word that is none of them as Fallback.
template <class E, size_t N>
E ReadKeyword(TCustomIniFile& ini, const String& s, const String& k, const std::array<const char16_t*, N>& words,
              E absent, E fallback) {
  const String text = ini.ReadString(s, k, words[static_cast<size_t>(absent)]);
  for (size_t i = 0; i < N; ++i)
    if (text == words[i]) return static_cast<E>(i);
  return fallback;
}

constexpr std::pair<TFontStyle, const char16_t*> kStyleWords[]{
    {fsBold, u"fsbold"}, {fsItalic, u"fsitalic"}, {fsUnderline, u"fsunderline"}, {fsStrikeOut, u"fsstrikeout"}};
constexpr std::array<const char16_t*, 3> kAlignWords{u"taleftjustify", u"tarightjustify", u"tacenter"};
constexpr std::array<const char16_t*, 3> kStretchWords{u"stfull", u"sthorz", u"stvert"};
constexpr std::array<const char16_t*, 7> kMorphWords{u"mkdefault",   u"mkgradient",   u"mkleftgradient",
                                                     u"mkrightgradient", u"mkleftslide", u"mkrightslide",
                                                     u"mkpush"};
constexpr std::array<const char16_t*, 6> kEffectWords{u"iebrightness", u"iedarkness",  u"iegrayscale",
                                                      u"ienoise",      u"iesplitblur", u"ieinvert"};

}  // namespace

TRect ParseRectValue(const String& Value) {
  auto c = ParseComponents<4>(Value);
  return {c[0], c[1], c[2], c[3]};
}

TPoint ParsePointValue(const String& Value) {
  auto c = ParseComponents<2>(Value);
  return {c[0], c[1]};
}

TRect ReadIniRect(TCustomIniFile& IniFile, const String& Section, const String& Ident) {
  return ParseRectValue(IniFile.ReadString(Section, Ident, u"0,0,0,0"));
}

void WriteIniRect(TCustomIniFile& IniFile, const String& Section, const String& Ident, const TRect& R) {
  IniFile.WriteString(Section, Ident,
                      IntText(R.Left) + u"," + IntText(R.Top) + u"," + IntText(R.Right) + u"," + IntText(R.Bottom));
}

TPoint ReadIniPoint(TCustomIniFile& IniFile, const String& Section, const String& Ident) {
  return ParsePointValue(IniFile.ReadString(Section, Ident, u"0,0"));
}

void WriteIniPoint(TCustomIniFile& IniFile, const String& Section, const String& Ident, const TPoint& P) {
  IniFile.WriteString(Section, Ident, IntText(P.X) + u"," + IntText(P.Y));
}

bool ReadIniBool(TCustomIniFile& IniFile, const String& Section, const String& Ident) {
  return IniFile.ReadInteger(Section, Ident, 0) == 1;
}

void WriteIniBool(TCustomIniFile& IniFile, const String& Section, const String& Ident, bool B) {
  IniFile.WriteInteger(Section, Ident, B ? 1 : 0);
}

TFontStyles ReadIniFontStyle(TCustomIniFile& IniFile, const String& Section, const String& Ident) {
  const String text = IniFile.ReadString(Section, Ident, String());
  TFontStyles fs = 0;
  for (const auto& [bit, word] : kStyleWords)
    if (text.find(word) != String::npos) fs |= bit;
  return fs;
}

void WriteIniFontStyle(TCustomIniFile& IniFile, const String& Section, const String& Ident, TFontStyles FS) {
  String text;
  for (const auto& [bit, word] : kStyleWords)
    if (FS & bit) {
      if (!text.empty()) text += u",";
      text += word;
    }
  IniFile.WriteString(Section, Ident, text);
}

TAlignment ReadIniAlignment(TCustomIniFile& IniFile, const String& Section, const String& Ident) {
  return ReadKeyword(IniFile, Section, Ident, kAlignWords, taCenter, taRightJustify);
}

void WriteIniAlignment(TCustomIniFile& IniFile, const String& Section, const String& Ident, TAlignment A) {
  IniFile.WriteString(Section, Ident, kAlignWords[static_cast<size_t>(A) % 3]);
}

TbsStretchType ReadIniStretchType(TCustomIniFile& IniFile, const String& Section, const String& Ident) {
  return ReadKeyword(IniFile, Section, Ident, kStretchWords, bsstFull, bsstHorz);
}

void WriteIniStretchType(TCustomIniFile& IniFile, const String& Section, const String& Ident, TbsStretchType T) {
  IniFile.WriteString(Section, Ident, kStretchWords[static_cast<size_t>(T) % 3]);
}

TbsMorphKind ReadIniMorphKind(TCustomIniFile& IniFile, const String& Section, const String& Ident) {
  return ReadKeyword(IniFile, Section, Ident, kMorphWords, mkDefault, mkDefault);
}

void WriteIniMorphKind(TCustomIniFile& IniFile, const String& Section, const String& Ident, TbsMorphKind K) {
  IniFile.WriteString(Section, Ident, kMorphWords[static_cast<size_t>(K) % 7]);
}

TbsInActiveEffect ReadIniInactiveEffect(TCustomIniFile& IniFile, const String& Section,
                                        const String& Ident) {
  return ReadKeyword(IniFile, Section, Ident, kEffectWords, ieBrightness, ieGrayScale);
}

void WriteIniInactiveEffect(TCustomIniFile& IniFile, const String& Section, const String& Ident,
                            TbsInActiveEffect E) {
  IniFile.WriteString(Section, Ident, kEffectWords[static_cast<size_t>(E) % 6]);
}

void ReadIniStrings(TCustomIniFile& IniFile, const String& Section, const String& Ident,
                    std::vector<String>& Strings) {
  const int count = std::min(IniFile.ReadInteger(Section, Ident + u"count", 0), kMaxSkinListEntries);
  for (int i = 0; i < count; ++i) Strings.push_back(IniFile.ReadString(Section, IntText(i), String()));
}

void WriteIniStrings(TCustomIniFile& IniFile, const String& Section, const String& Ident,
                     const std::vector<String>& Strings) {
  IniFile.WriteInteger(Section, Ident + u"count", static_cast<int>(Strings.size()));
  for (size_t i = 0; i < Strings.size(); ++i) IniFile.WriteString(Section, IntText(static_cast<int>(i)), Strings[i]);
}

bool IsSkinDescription(TCustomIniFile& IniFile) {
  for (const char16_t* s : {u"VERSION", u"PICTURES", u"FORMINFO", u"SKINOBJECTS", u"SKINCONTROLS"})
    if (!IniFile.SectionExists(s)) return false;
  return true;
}

}  // namespace skin
