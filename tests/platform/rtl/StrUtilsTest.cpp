#include "platform/rtl/StrUtils.h"

#include <gtest/gtest.h>

#include "platform/rtl/Strings.h"

using namespace rtl;

TEST(StrCase, PlainFamilyFoldsAsciiOnlyAnsiFamilyFoldsEveryScript) {
  const String mixed = u"Abc \u00e9\u00c9 \u03b1\u03a9 \u0436\u0416 \u624b\u673a \uff41";
  EXPECT_EQ(UpperCase(mixed), u"ABC \u00e9\u00c9 \u03b1\u03a9 \u0436\u0416 \u624b\u673a \uff41");
  EXPECT_EQ(LowerCase(mixed), u"abc \u00e9\u00c9 \u03b1\u03a9 \u0436\u0416 \u624b\u673a \uff41");
  EXPECT_EQ(AnsiUpperCase(mixed), u"ABC \u00c9\u00c9 \u0391\u03a9 \u0416\u0416 \u624b\u673a \uff21");
  EXPECT_EQ(AnsiLowerCase(mixed), u"abc \u00e9\u00e9 \u03b1\u03c9 \u0436\u0436 \u624b\u673a \uff41");

  struct Case { char16_t lower, upper; };
  const Case pairs[] = {
      {0x0101, 0x0100}, {0x013A, 0x0139}, {0x0151, 0x0150}, {0x017E, 0x017D}, {0x00FF, 0x0178},
      {0x01CE, 0x01CD}, {0x03AC, 0x0386}, {0x03CD, 0x038E}, {0x0451, 0x0401}, {0x0461, 0x0460},
      {0x04CF, 0x04C0}, {0x04C2, 0x04C1}, {0x0561, 0x0531}, {0x1E01, 0x1E00}, {0x1EA1, 0x1EA0},
  };
  for (const auto& p : pairs) {
    EXPECT_EQ(CharUpper(p.lower), p.upper) << std::hex << int(p.lower);
    EXPECT_EQ(CharLower(p.upper), p.lower) << std::hex << int(p.upper);
  }
  // One-way mappings: final sigma, dotless i, sharp s has no simple capital.
  EXPECT_EQ(CharUpper(0x03C2), 0x03A3);
  EXPECT_EQ(CharUpper(0x0131), u'I');
  EXPECT_EQ(CharUpper(0x00DF), 0x00DF);
  EXPECT_EQ(CharLower(0x0130), u'i');
  EXPECT_EQ(CharUpper(0x00F7), 0x00F7);  // division sign between the Latin-1 letters
}

TEST(StrCompare, SignAndOrderFollowTheFramework) {
  struct Case { String a, b; int str, text, ansiText; };
  const Case cases[] = {
      {u"abc", u"abc", 0, 0, 0},
      {u"abc", u"ABC", 1, 0, 0},
      {u"ab", u"abc", -1, -1, -1},
      {u"b", u"abc", 1, 1, 1},
      // CompareText folds to capitals, so '_' sorts after letters; the
      // locale-aware comparison puts it ahead.
      {u"_x", u"ax", -1, 1, -1},
      {u"\u00e9t\u00e9", u"\u00c9T\u00c9", 1, 1, 0},
      {u"\u0416", u"\u0436", -1, -1, 0},
  };
  auto sign = [](int v) { return (v > 0) - (v < 0); };
  for (const auto& c : cases) {
    SCOPED_TRACE(U8(c.a) + " vs " + U8(c.b));
    EXPECT_EQ(sign(CompareStr(c.a, c.b)), c.str);
    EXPECT_EQ(sign(AnsiCompareStr(c.a, c.b)), c.str);
    EXPECT_EQ(sign(CompareText(c.a, c.b)), c.text);
    EXPECT_EQ(SameText(c.a, c.b), c.text == 0);
    EXPECT_EQ(AnsiCompareText(c.a, c.b), c.ansiText);
    EXPECT_EQ(AnsiSameText(c.a, c.b), c.ansiText == 0);
  }
  EXPECT_TRUE(AnsiStartsText(u"LIB", u"libavcodec"));
  EXPECT_TRUE(AnsiEndsText(u".MP4", u"clip.mp4"));
  EXPECT_FALSE(AnsiEndsText(u"long.mp4", u".mp4"));
  EXPECT_TRUE(AnsiContainsText(u"Hello World", u"o w"));
}

TEST(StrTrim, RemovesControlsAndSpacesOnly) {
  const String s = u"\t\r\n \x01x y\u3000 \x1f";
  EXPECT_EQ(Trim(s), u"x y\u3000");  // the ideographic space is above ' '
  EXPECT_EQ(TrimLeft(s), u"x y\u3000 \x1f");
  EXPECT_EQ(TrimRight(s), u"\t\r\n \x01x y\u3000");
  EXPECT_EQ(Trim(u" \t "), u"");
  EXPECT_EQ(Trim(u""), u"");
}

TEST(StrPositions, PosCopyDeleteInsertClampLikeTheFramework) {
  EXPECT_EQ(Pos(u"b", u"abcb"), 2);
  EXPECT_EQ(Pos(u"x", u"abc"), 0);
  EXPECT_EQ(Pos(u"", u"abc"), 0);
  EXPECT_EQ(Pos(u"abcd", u"abc"), 0);
  EXPECT_EQ(PosEx(u"b", u"abcb", 3), 4);
  EXPECT_EQ(PosEx(u"b", u"abcb", 0), 0);
  EXPECT_EQ(PosEx(u"b", u"abcb", 5), 0);
  EXPECT_EQ(LastDelimiter(u"/.", u"a/b.c/d"), 6);
  EXPECT_EQ(LastDelimiter(u"/", u"abc"), 0);

  struct CopyCase { int index, count; String out; };
  const CopyCase copies[] = {
      {1, 2, u"ab"}, {0, 2, u"ab"}, {-5, 2, u"ab"}, {3, 100, u"cde"}, {5, 1, u"e"},
      {6, 1, u""},   {2, 0, u""},   {2, -1, u""},   {2, INT32_MAX, u"bcde"},
  };
  for (const auto& c : copies)
    EXPECT_EQ(Copy(u"abcde", c.index, c.count), c.out) << c.index << "," << c.count;

  struct DeleteCase { int index, count; String out; };
  const DeleteCase deletes[] = {
      {2, 2, u"ade"}, {4, 100, u"abc"}, {0, 2, u"abcde"}, {6, 1, u"abcde"}, {1, 0, u"abcde"},
      {1, -3, u"abcde"}, {5, 1, u"abcd"},
  };
  for (const auto& c : deletes) {
    String s = u"abcde";
    Delete(s, c.index, c.count);
    EXPECT_EQ(s, c.out) << c.index << "," << c.count;
  }

  struct InsertCase { int index; String out; };
  const InsertCase inserts[] = {{1, u"XYabc"}, {0, u"XYabc"}, {3, u"abXYc"}, {4, u"abcXY"}, {99, u"abcXY"}};
  for (const auto& c : inserts) {
    String s = u"abc";
    Insert(u"XY", s, c.index);
    EXPECT_EQ(s, c.out) << c.index;
  }
  EXPECT_EQ(RightStr(u"abc", 2), u"bc");
  EXPECT_EQ(RightStr(u"abc", 9), u"abc");
}

TEST(StrReplace, FlagsSelectAllAndCase) {
  struct Case { String s, from, to; TReplaceFlags flags; String out; };
  const Case cases[] = {
      {u"a.b.c", u".", u"/", 0, u"a/b.c"},
      {u"a.b.c", u".", u"/", rfReplaceAll, u"a/b/c"},
      {u"Ab ab AB", u"ab", u"x", rfReplaceAll, u"Ab x AB"},
      {u"Ab ab AB", u"ab", u"x", rfReplaceAll | rfIgnoreCase, u"x x x"},
      {u"Ab ab AB", u"ab", u"x", rfIgnoreCase, u"x ab AB"},
      {u"\u0416\u0436", u"\u0436", u"-", rfReplaceAll | rfIgnoreCase, u"--"},
      {u"aaa", u"aa", u"a", rfReplaceAll, u"aa"},   // replaced text is not searched again
      {u"abc", u"", u"x", rfReplaceAll, u"abc"},
      {u"abc", u"abc", u"", rfReplaceAll, u""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(StringReplace(c.s, c.from, c.to, c.flags), c.out) << U8(c.s) << " " << U8(c.from);
}

TEST(StrQuote, QuotingRoundTripsAndMalformedTextIsKept) {
  EXPECT_EQ(QuotedStr(u"it's"), u"'it''s'");
  EXPECT_EQ(AnsiQuotedStr(u"say \"hi\"", u'"'), u"\"say \"\"hi\"\"\"");
  struct Case { String in, out; };
  const Case cases[] = {
      {u"'it''s'", u"it's"},
      {u"''", u""},
      {u"plain", u"plain"},
      {u"'unterminated", u"'unterminated"},
      {u"'ab'cd", u"ab"},
      {u"", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(AnsiDequotedStr(c.in, u'\''), c.out) << U8(c.in);
  EXPECT_EQ(StringOfChar(u'-', 3), u"---");
  EXPECT_EQ(StringOfChar(u'-', -1), u"");
}
