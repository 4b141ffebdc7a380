#include "platform/rtl/StrUtils.h"

#include <algorithm>

namespace rtl {

namespace {

// Blocks where upper and lower case alternate: the even (or odd) code of each
// pair is the capital.
struct PairBlock {
  char16_t first;
  char16_t last;
  bool evenIsUpper;
};

constexpr PairBlock kPairBlocks[] = {
    {0x0100, 0x012F, true},  {0x0132, 0x0137, true},  {0x0139, 0x0148, false},
    {0x014A, 0x0177, true},  {0x0179, 0x017E, false}, {0x0182, 0x0185, true},
    {0x01A0, 0x01A5, true},  {0x01CD, 0x01DC, false}, {0x01DE, 0x01EF, true},
    {0x01F8, 0x021F, true},  {0x0222, 0x0233, true},  {0x0246, 0x024F, true},
    {0x0370, 0x0373, true},  {0x03D8, 0x03EF, true},  {0x0460, 0x0481, true},
    {0x048A, 0x04BF, true},  {0x04C1, 0x04CE, false}, {0x04D0, 0x052F, true},
    {0x1E00, 0x1E95, true},  {0x1EA0, 0x1EFF, true},  {0x2C80, 0x2CE3, true},
    {0xA640, 0xA66D, true},  {0xA680, 0xA69B, true},  {0xA722, 0xA72F, true},
    {0xA732, 0xA76F, true},  {0xA77E, 0xA787, true},  {0xA790, 0xA793, true},
    {0xA796, 0xA7A9, true},
};

// Blocks where a run of capitals maps to a run of small letters at a fixed distance.
struct OffsetBlock {
  char16_t upperFirst;
  char16_t upperLast;
  int delta;  // lower = upper + delta
};

constexpr OffsetBlock kOffsetBlocks[] = {
    {0x0041, 0x005A, 32},   {0x00C0, 0x00D6, 32},   {0x00D8, 0x00DE, 32},
    {0x0388, 0x038A, 37},   {0x038E, 0x038F, 63},   {0x0391, 0x03A1, 32},
    {0x03A3, 0x03AB, 32},   {0x0400, 0x040F, 80},   {0x0410, 0x042F, 32},
    {0x0531, 0x0556, 48},   {0x10A0, 0x10C5, 7264}, {0x1F08, 0x1F0F, -8},
    {0x1F18, 0x1F1D, -8},   {0x1F28, 0x1F2F, -8},   {0x1F38, 0x1F3F, -8},
    {0x1F48, 0x1F4D, -8},   {0x1F68, 0x1F6F, -8},   {0x2160, 0x216F, 16},
    {0x24B6, 0x24CF, 26},   {0x2C00, 0x2C2F, 48},   {0xFF21, 0xFF3A, 32},
    {0x03FD, 0x03FF, -130},
};

// Single capitals whose small letter lies elsewhere.
struct SinglePair {
  char16_t upper;
  char16_t lower;
};

constexpr SinglePair kSinglePairs[] = {
    {0x0178, 0x00FF}, {0x0181, 0x0253}, {0x0186, 0x0254}, {0x0187, 0x0188}, {0x0189, 0x0256},
    {0x018A, 0x0257}, {0x018B, 0x018C}, {0x018E, 0x01DD}, {0x018F, 0x0259}, {0x0190, 0x025B},
    {0x0191, 0x0192}, {0x0193, 0x0260}, {0x0194, 0x0263}, {0x0196, 0x0269}, {0x0197, 0x0268},
    {0x0198, 0x0199}, {0x019C, 0x026F}, {0x019D, 0x0272}, {0x019F, 0x0275}, {0x01A7, 0x01A8},
    {0x01A9, 0x0283}, {0x01AC, 0x01AD}, {0x01AE, 0x0288}, {0x01AF, 0x01B0}, {0x01B1, 0x028A},
    {0x01B2, 0x028B}, {0x01B3, 0x01B4}, {0x01B5, 0x01B6}, {0x01B7, 0x0292}, {0x01B8, 0x01B9},
    {0x01BC, 0x01BD}, {0x01C4, 0x01C6}, {0x01C7, 0x01C9}, {0x01CA, 0x01CC}, {0x01F1, 0x01F3},
    {0x01F4, 0x01F5}, {0x01F6, 0x0195}, {0x01F7, 0x01BF}, {0x0220, 0x019E}, {0x023A, 0x2C65},
    {0x023B, 0x023C}, {0x023D, 0x019A}, {0x023E, 0x2C66}, {0x0241, 0x0242}, {0x0243, 0x0180},
    {0x0244, 0x0289}, {0x0245, 0x028C}, {0x0376, 0x0377}, {0x037F, 0x03F3}, {0x0386, 0x03AC},
    {0x038C, 0x03CC}, {0x03CF, 0x03D7}, {0x03F7, 0x03F8}, {0x03F9, 0x03F2}, {0x03FA, 0x03FB},
    {0x04C0, 0x04CF}, {0x2132, 0x214E}, {0x2183, 0x2184}, {0x01A6, 0x0280}, {0x2C7E, 0x023F},
    {0x2C7F, 0x0240}, {0x10C7, 0x2D27}, {0x10CD, 0x2D2D},
};

// Small letters whose capital lies elsewhere and that no capital maps back to.
constexpr SinglePair kExtraUpper[] = {
    {0x039C, 0x00B5}, {0x0049, 0x0131}, {0x0053, 0x017F}, {0x03A3, 0x03C2}, {0x0392, 0x03D0},
    {0x0398, 0x03D1}, {0x03A6, 0x03D5}, {0x03A0, 0x03D6}, {0x039A, 0x03F0}, {0x03A1, 0x03F1},
    {0x0395, 0x03F5}, {0x1E60, 0x1E9B}, {0x01C4, 0x01C5}, {0x01C7, 0x01C8}, {0x01CA, 0x01CB}, {0x01F1, 0x01F2},
};

// Capitals whose small letter maps back to another capital (İ → i).
constexpr SinglePair kExtraLower[] = {
    {0x0130, 0x0069}, {0x01C5, 0x01C6}, {0x01C8, 0x01C9}, {0x01CB, 0x01CC}, {0x01F2, 0x01F3},
    {0x03F4, 0x03B8}, {0x1E9E, 0x00DF}, {0x2126, 0x03C9}, {0x212A, 0x006B}, {0x212B, 0x00E5},
};

// CJK, kana, Hangul and the other scripts of these ranges have no case.
inline bool Caseless(char16_t c) { return (c >= 0x3000 && c < 0xA640) || (c >= 0xA800 && c < 0xFF21); }

}  // namespace

char16_t CharUpper(char16_t c) {
  if (c < 0x80) return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
  if (Caseless(c)) return c;
  for (const auto& b : kOffsetBlocks) {
    int lo = b.upperFirst + b.delta, hi = b.upperLast + b.delta;
    if (c >= lo && c <= hi) return static_cast<char16_t>(c - b.delta);
  }
  for (const auto& b : kPairBlocks) {
    if (c >= b.first && c <= b.last) {
      bool isEven = (c % 2) == 0;
      bool isLower = b.evenIsUpper ? !isEven : isEven;
      return isLower ? static_cast<char16_t>(c - 1) : c;
    }
  }
  for (const auto& p : kSinglePairs)
    if (p.lower == c) return p.upper;
  for (const auto& p : kExtraUpper)
    if (p.lower == c) return p.upper;
  return c;
}

char16_t CharLower(char16_t c) {
  if (c < 0x80) return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
  if (Caseless(c)) return c;
  for (const auto& b : kOffsetBlocks) {
    if (c >= b.upperFirst && c <= b.upperLast) return static_cast<char16_t>(c + b.delta);
  }
  for (const auto& b : kPairBlocks) {
    if (c >= b.first && c <= b.last) {
      bool isEven = (c % 2) == 0;
      bool isUpper = b.evenIsUpper ? isEven : !isEven;
      return isUpper ? static_cast<char16_t>(c + 1) : c;
    }
  }
  for (const auto& p : kSinglePairs)
    if (p.upper == c) return p.lower;
  for (const auto& p : kExtraLower)
    if (p.upper == c) return p.lower;
  return c;
}

namespace {

inline char16_t AsciiUpper(char16_t c) { return (c >= u'a' && c <= u'z') ? c - 32 : c; }
inline char16_t AsciiLower(char16_t c) { return (c >= u'A' && c <= u'Z') ? c + 32 : c; }

template <typename F>
String MapChars(const String& s, F f) {
  String r(s);
  for (auto& c : r) c = f(c);
  return r;
}

template <typename F>
int CompareFolded(const String& a, const String& b, F fold) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    int ca = fold(a[i]), cb = fold(b[i]);
    if (ca != cb) return ca - cb;
  }
  return static_cast<int>(a.size()) - static_cast<int>(b.size());
}

inline int Sign(int v) { return (v > 0) - (v < 0); }

inline bool IsBlank(char16_t c) { return c <= u' '; }

size_t FindFolded(const String& s, const String& sub, size_t from) {
  if (sub.empty() || sub.size() > s.size()) return String::npos;
  for (size_t i = from; i + sub.size() <= s.size(); ++i) {
    size_t k = 0;
    while (k < sub.size() && CharLower(s[i + k]) == CharLower(sub[k])) ++k;
    if (k == sub.size()) return i;
  }
  return String::npos;
}

}  // namespace

String UpperCase(const String& s) { return MapChars(s, AsciiUpper); }
String LowerCase(const String& s) { return MapChars(s, AsciiLower); }
String AnsiUpperCase(const String& s) { return MapChars(s, CharUpper); }
String AnsiLowerCase(const String& s) { return MapChars(s, CharLower); }

int CompareStr(const String& a, const String& b) {
  return CompareFolded(a, b, [](char16_t c) { return c; });
}
int CompareText(const String& a, const String& b) { return CompareFolded(a, b, AsciiUpper); }
bool SameStr(const String& a, const String& b) { return a == b; }
bool SameText(const String& a, const String& b) {
  return a.size() == b.size() && CompareText(a, b) == 0;
}

// Folding to small letters keeps punctuation such as '_' ahead of letters, as
// the system's locale-aware comparison orders them.
int AnsiCompareStr(const String& a, const String& b) { return Sign(CompareStr(a, b)); }
int AnsiCompareText(const String& a, const String& b) { return Sign(CompareFolded(a, b, CharLower)); }
bool AnsiSameStr(const String& a, const String& b) { return a == b; }
bool AnsiSameText(const String& a, const String& b) {
  return a.size() == b.size() && AnsiCompareText(a, b) == 0;
}

bool AnsiStartsText(const String& subText, const String& text) {
  return subText.size() <= text.size() && AnsiSameText(text.substr(0, subText.size()), subText);
}
bool AnsiEndsText(const String& subText, const String& text) {
  return subText.size() <= text.size() &&
         AnsiSameText(text.substr(text.size() - subText.size()), subText);
}
bool AnsiContainsText(const String& text, const String& subText) {
  return subText.empty() || FindFolded(text, subText, 0) != String::npos;
}
bool AnsiStartsStr(const String& subText, const String& text) {
  return text.compare(0, subText.size(), subText) == 0 && subText.size() <= text.size();
}
bool AnsiEndsStr(const String& subText, const String& text) {
  return subText.size() <= text.size() &&
         text.compare(text.size() - subText.size(), subText.size(), subText) == 0;
}
bool AnsiContainsStr(const String& text, const String& subText) {
  return text.find(subText) != String::npos;
}
bool StartsText(const String& subText, const String& text) { return AnsiStartsText(subText, text); }
bool EndsText(const String& subText, const String& text) { return AnsiEndsText(subText, text); }
bool ContainsText(const String& text, const String& subText) {
  return AnsiContainsText(text, subText);
}

String Trim(const String& s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

String TrimLeft(const String& s) {
  size_t b = 0;
  while (b < s.size() && IsBlank(s[b])) ++b;
  return s.substr(b);
}

String TrimRight(const String& s) {
  size_t e = s.size();
  while (e > 0 && IsBlank(s[e - 1])) --e;
  return s.substr(0, e);
}

int Pos(const String& sub, const String& s) { return PosEx(sub, s, 1); }

int PosEx(const String& sub, const String& s, int offset) {
  if (sub.empty() || offset < 1 || static_cast<size_t>(offset) > s.size()) return 0;
  size_t p = s.find(sub, static_cast<size_t>(offset - 1));
  return p == String::npos ? 0 : static_cast<int>(p) + 1;
}

int AnsiPos(const String& sub, const String& s) { return Pos(sub, s); }

int LastDelimiter(const String& delimiters, const String& s) {
  size_t p = s.find_last_of(delimiters);
  return p == String::npos ? 0 : static_cast<int>(p) + 1;
}

bool IsDelimiter(const String& delimiters, const String& s, int index) {
  if (index < 1 || static_cast<size_t>(index) > s.size()) return false;
  return delimiters.find(s[index - 1]) != String::npos;
}

String Copy(const String& s, int index, int count) {
  long long len = static_cast<long long>(s.size());
  long long start = index < 1 ? 0 : static_cast<long long>(index) - 1;
  if (start >= len || count <= 0) return String();
  long long n = std::min<long long>(count, len - start);
  return s.substr(static_cast<size_t>(start), static_cast<size_t>(n));
}

void Delete(String& s, int index, int count) {
  if (index < 1 || static_cast<size_t>(index) > s.size() || count <= 0) return;
  s.erase(static_cast<size_t>(index - 1), static_cast<size_t>(count));
}

void Insert(const String& source, String& s, int index) {
  long long at = std::clamp<long long>(index, 1, static_cast<long long>(s.size()) + 1);
  s.insert(static_cast<size_t>(at - 1), source);
}

String LeftStr(const String& s, int count) { return Copy(s, 1, count); }

String RightStr(const String& s, int count) {
  if (count <= 0) return String();
  size_t n = std::min(static_cast<size_t>(count), s.size());
  return s.substr(s.size() - n);
}

String MidStr(const String& s, int start, int count) { return Copy(s, start, count); }

String StringReplace(const String& s, const String& oldPattern, const String& newPattern,
                     TReplaceFlags flags) {
  if (oldPattern.empty()) return s;
  const bool ignoreCase = (flags & rfIgnoreCase) != 0;
  String out;
  size_t from = 0;
  while (from <= s.size()) {
    size_t p = ignoreCase ? FindFolded(s, oldPattern, from) : s.find(oldPattern, from);
    if (p == String::npos) break;
    out.append(s, from, p - from);
    out += newPattern;
    from = p + oldPattern.size();
    if (!(flags & rfReplaceAll)) break;
  }
  out.append(s, std::min(from, s.size()), String::npos);
  return out;
}

String AnsiReplaceStr(const String& text, const String& from, const String& to) {
  return StringReplace(text, from, to, rfReplaceAll);
}

String AnsiReplaceText(const String& text, const String& from, const String& to) {
  return StringReplace(text, from, to, rfReplaceAll | rfIgnoreCase);
}

String QuotedStr(const String& s) { return AnsiQuotedStr(s, u'\''); }

String AnsiQuotedStr(const String& s, char16_t quote) {
  String r;
  r.reserve(s.size() + 2);
  r.push_back(quote);
  for (char16_t c : s) {
    r.push_back(c);
    if (c == quote) r.push_back(c);
  }
  r.push_back(quote);
  return r;
}

String AnsiExtractQuotedStr(const char16_t*& src, char16_t quote) {
  if (src == nullptr || *src != quote) return String();
  ++src;
  String r;
  while (*src != 0) {
    if (*src == quote) {
      ++src;
      if (*src != quote) break;
    }
    r.push_back(*src);
    ++src;
  }
  return r;
}

String AnsiDequotedStr(const String& s, char16_t quote) {
  const char16_t* p = s.c_str();
  String r = AnsiExtractQuotedStr(p, quote);
  if ((r.empty() || *p == 0) && !s.empty() && (s.front() != quote || s.back() != quote)) return s;
  return r;
}

String StringOfChar(char16_t c, int count) {
  return count > 0 ? String(static_cast<size_t>(count), c) : String();
}

String DupeString(const String& s, int count) {
  String r;
  for (int i = 0; i < count; ++i) r += s;
  return r;
}

String ReverseString(const String& s) { return String(s.rbegin(), s.rend()); }

}  // namespace rtl
