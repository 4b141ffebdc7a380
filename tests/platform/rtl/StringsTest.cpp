#include "platform/rtl/Strings.h"

#include <gtest/gtest.h>

using namespace rtl;

TEST(Utf, RoundTripsChineseAndAstralText) {
  const std::string text = "TavrelAndroid手机视频转换器 \xF0\x9F\x8E\xAC";
  String s = Utf8ToString(text);
  EXPECT_EQ(s.size(), 13u + 1 + 7 + 2);  // the clapper board is a surrogate pair
  EXPECT_EQ(StringToUtf8(s), text);
}

TEST(Utf, IllFormedInputBecomesReplacementCharacters) {
  struct Case { std::string in; String out; };
  const Case cases[] = {
    {"a\xFF" "b", u"a\uFFFDb"},
    {"\xE6\x89", u"\uFFFD"},               // truncated sequence
    {"\xC0\x80", u"\uFFFD\uFFFD"},         // overlong NUL
    {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"}, // encoded surrogate
  };
  for (const auto& c : cases) {
    String got = Utf8ToString(c.in);
    EXPECT_FALSE(got.empty()) << c.in;
    EXPECT_NE(got.find(u'\uFFFD'), String::npos) << c.in;
  }
  EXPECT_EQ(Utf8ToString(std::string("a\xFF" "b")), u"a\uFFFDb");
  String lone = u"x";
  lone.push_back(0xD800);
  EXPECT_EQ(StringToUtf8(lone), "x\xEF\xBF\xBD");
}

TEST(Ansi, NarrowCodePageLosesWhatItCannotHold) {
  SetAnsiCodePage("ISO-8859-1");
  EXPECT_EQ(StringToAnsi(u"caf\u00e9\u624b"), "caf\xE9?");
  EXPECT_EQ(AnsiToString("caf\xE9"), u"caf\u00e9");
  SetAnsiCodePage("UTF-8");
  EXPECT_EQ(StringToAnsi(u"\u624b"), "\xE6\x89\x8B");
}
