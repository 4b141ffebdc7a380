#include <gtest/gtest.h>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Strings.h"
#include "skin/data/bsResourceStrData.h"
#include "skin/data/bsUtilsText.h"

namespace skin {
namespace {

TEST(SkinResourceStrings, DefaultsAndLookupRules) {
  TbsResourceStrData strings(nullptr);
  EXPECT_EQ(strings.ResStrings().size(), 131u);
  EXPECT_EQ(strings.ResStrings().front(), u"MI_MINCAPTION=Mi&nimize");
  EXPECT_EQ(strings.ResStrings().back(), u"DBNAV_REFRESH=REFRESH");
  EXPECT_EQ(strings.CharSet, DEFAULT_CHARSET);
  EXPECT_EQ(strings.GetResStr(u"mi_mincaption"), u"Mi&nimize");
  EXPECT_EQ(strings.GetResStr(u"FLV_LOOKIN"), u"Look in: ");
  EXPECT_EQ(strings.GetResStr(u"MSG_BTN_OK"), u"OK");
  EXPECT_EQ(strings.GetResStr(u"FIND_REPLACE_All"), u"Replace All");
  EXPECT_EQ(strings.GetResStr(u"NO_SUCH_NAME"), u"");
  for (const auto& line : strings.ResStrings()) {
    const auto eq = line.find(u'=');
    ASSERT_NE(eq, rtl::String::npos) << rtl::U8(line);
    EXPECT_FALSE(line.substr(eq + 1).empty()) << rtl::U8(line);
  }
  strings.SetResStrings({u"A=x=y", u"noequals", u"a=second"});
  EXPECT_EQ(strings.GetResStr(u"a"), u"x=y");
  EXPECT_EQ(strings.GetResStr(u"noequals"), u"");
  strings.SetResStrings({});
  EXPECT_EQ(strings.GetResStr(u"MI_MINCAPTION"), u"");
}

TEST(SkinStreamStrings, RoundTripAndDamagedCounts) {
  rtl::TMemoryStream s;
  const rtl::String texts[] = {u"", u"plain", u"皮肤\U0001F600", rtl::String(300, u'x')};
  for (const auto& t : texts) WriteStreamString(s, t);
  EXPECT_EQ(s.Size(), 4 * 4 + 2 * (0 + 5 + 4 + 300));
  s.SetPosition(0);
  for (const auto& t : texts) {
    rtl::String back = u"old";
    ReadStreamString(s, back);
    EXPECT_EQ(back, t);
  }
  for (std::int32_t bad : {-1, 1000}) {
    rtl::TMemoryStream d;
    d.WriteBuffer(&bad, 4);
    d.WriteBuffer("abcd", 4);
    d.SetPosition(0);
    rtl::String out;
    EXPECT_THROW(ReadStreamString(d, out), rtl::EReadError) << bad;
  }
}

TEST(SkinTokens, ExtractTokenAndRectTexts) {
  struct Case {
    const char16_t* source;
    const char16_t* token;
    const char16_t* rest;
  } cases[] = {{u"12,34", u"12", u"34"},
               {u" 12,34", u"", u"12,34"},
               {u"a=b;c", u"a", u"b;c"},
               {u"(x)", u"", u"x)"},
               {u"word", u"word", u""}};
  for (const auto& c : cases) {
    rtl::String source = c.source, token;
    ExtractToken(source, token);
    EXPECT_EQ(token, c.token) << rtl::U8(c.source);
    EXPECT_EQ(source, c.rest) << rtl::U8(c.source);
  }
  // The whole text is walked, however long.
  rtl::String longText = rtl::String(300, u'7') + u",5";
  rtl::String token;
  ExtractToken(longText, token);
  EXPECT_EQ(token.size(), 300u);
  EXPECT_EQ(longText, u"5");

  rtl::TRect r{9, 9, 9, 9};
  ParseRectText(u"10,20,30,40", r);
  EXPECT_EQ(r, (rtl::TRect{10, 20, 30, 40}));
  for (const char16_t* bad : {u"1,2,3", u"a,b,c,d", u""}) {
    r = rtl::TRect{9, 9, 9, 9};
    ParseRectText(bad, r);
    EXPECT_EQ(r, rtl::TRect{}) << rtl::U8(bad);
  }
}

}  // namespace
}  // namespace skin
