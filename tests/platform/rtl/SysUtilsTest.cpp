#include "platform/rtl/SysUtils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "platform/rtl/Strings.h"

using namespace rtl;

namespace {

// Runs `f` and returns the EConvertError text it raised, or "(no error)".
template <typename F>
std::string ConvertErrorOf(F f) {
  try {
    f();
  } catch (const EConvertError& e) {
    return U8(e.Message());
  }
  return "(no error)";
}

}  // namespace

TEST(Format, ConversionsWidthsAndPrecisions) {
  struct Case {
    String format;
    std::vector<TVarRec> args;
    String out;
  };
  const Int64 big = std::numeric_limits<Int64>::max();
  const Case cases[] = {
      {u"%d", {42}, u"42"},
      {u"[%5d]", {-42}, u"[  -42]"},
      {u"[%-5d]", {42}, u"[42   ]"},
      {u"%.3d", {-5}, u"-005"},
      {u"%.2d:%.2d:%.2d.%.3d", {1, 2, 3, 4}, u"01:02:03.004"},
      {u"%d", {big}, u"9223372036854775807"},
      {u"%u", {-1}, u"4294967295"},
      {u"%x", {255}, u"FF"},
      {u"%X", {-1}, u"FFFFFFFF"},
      {u"%x", {Int64(-1)}, u"FFFFFFFFFFFFFFFF"},
      {u"%.4x", {26}, u"001A"},
      {u"%d", {std::uint32_t(4000000000u)}, u"4000000000"},
      {u"%s|%5s|%-5s|%.2s", {u"abc", u"abc", String(u"abc"), "abc"}, u"abc|  abc|abc  |ab"},
      {u"%s and %s", {"\xE6\x89\x8B\xE6\x9C\xBA", u'\u89c6'}, u"\u624b\u673a and \u89c6"},
      {u"%f", {1.5}, u"1.50"},
      {u"%.0f %.0f", {2.5, -2.5}, u"3 -3"},  // decimal halves go away from zero
      {u"%.2f", {0.125}, u"0.13"},
      {u"%.2f", {-0.001}, u"0.00"},
      {u"%0.3f", {1.23456}, u"1.235"},
      {u"%2.2f", {3.14159}, u"3.14"},
      {u"%.2f GB", {1073741825.0 / 1073741824}, u"1.00 GB"},
      {u"%.2f KB", {1048576.0 / 1024}, u"1024.00 KB"},
      {u"%f", {1e20}, u"1.00000000000000000E+020"},  // beyond 18 digits: scientific
      {u"%e", {1234.5}, u"1.23450000000000E+003"},
      {u"%.3e", {-0.00012345}, u"-1.23E-004"},
      {u"%g|%g|%g", {0.1, 1e20, 1e-5}, u"0.1|1E20|1E-5"},
      {u"%n", {1234567.891}, u"1,234,567.89"},
      {u"%m", {-1234.5}, u"($1,234.50)"},
      {u"%p", {nullptr}, u"0000000000000000"},
      {u"100%%", {}, u"100%"},
      {u"%1:s %0:s", {u"a", u"b"}, u"b a"},
      {u"%1:s %s", {u"a", u"b", u"c"}, u"b c"},
      {u"[%*d]", {5, 42}, u"[   42]"},
      {u"[%-*.*f]", {8, 1, 3.14159}, u"[3.1     ]"},
      {u"%s", {String()}, u""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Format(c.format, c.args.data(), static_cast<int>(c.args.size())), c.out)
        << U8(c.format);
  EXPECT_EQ(Format(u"%s:%d", {String(u"n"), 7}), u"n:7");
}

TEST(Format, MismatchesAndMissingArgumentsRaise) {
  struct Case {
    String format;
    std::vector<TVarRec> args;
    std::string error;
  };
  const std::string incompatible = " invalid or incompatible with argument";
  const Case cases[] = {
      {u"%d", {1.5}, "Format '%d'" + incompatible},
      {u"%s", {1}, "Format '%s'" + incompatible},
      {u"%f", {1}, "Format '%f'" + incompatible},
      {u"%d", {true}, "Format '%d'" + incompatible},
      {u"%p", {1}, "Format '%p'" + incompatible},
      {u"%y", {1}, "Format '%y'" + incompatible},
      {u"50%", {}, "Format '50%'" + incompatible},
      {u"%*d", {1.0, 2}, "Format '%*d'" + incompatible},
      {u"%*d", {2000000000, 2}, "Format '%*d'" + incompatible},     // no gigabytes of padding
      {u"%.*d", {2000000000, 2}, "Format '%.*d'" + incompatible},
      {u"%2000000000d", {2}, "Format '%2000000000d'" + incompatible},
      {u"%d %d", {1}, "No argument for format '%d %d'"},
      {u"%5:d", {1}, "No argument for format '%5:d'"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ConvertErrorOf([&] { Format(c.format, c.args.data(), static_cast<int>(c.args.size())); }),
              c.error)
        << U8(c.format);
}

TEST(IntegerText, ToAndFromText) {
  EXPECT_EQ(IntToStr(-5), u"-5");
  EXPECT_EQ(IntToStr(std::numeric_limits<Int64>::min()), u"-9223372036854775808");
  EXPECT_EQ(IntToStr(std::numeric_limits<UInt64>::max()), u"18446744073709551615");
  EXPECT_EQ(IntToHex(255, 4), u"00FF");
  EXPECT_EQ(IntToHex(0x1234, 2), u"1234");
  EXPECT_EQ(IntToHex(-1, 2), u"FFFFFFFF");
  EXPECT_EQ(IntToHex(Int64(-1), 1), u"FFFFFFFFFFFFFFFF");

  struct Good { String text; int value; };
  const Good good[] = {
      {u"123", 123},          {u"  12", 12},  {u"-0", 0},   {u"+7", 7},
      {u"$FF", 255},          {u"0x1f", 31},  {u"x10", 16}, {u"-$10", -16},
      {u"2147483647", 2147483647}, {u"-2147483648", -2147483647 - 1}, {u"$FFFFFFFF", -1},
  };
  for (const auto& g : good) {
    EXPECT_EQ(StrToInt(g.text), g.value) << U8(g.text);
    EXPECT_EQ(StrToInt64(g.text), g.text == u"$FFFFFFFF" ? 0xFFFFFFFFll : g.value) << U8(g.text);
  }
  const String bad[] = {u"", u" ", u"12 ", u"\t1", u"2147483648", u"1.0", u"abc",
                        u"$", u"0x", u"--1", u"$1FFFFFFFF", u"\uff11"};
  for (const auto& b : bad) {
    int v = 99;
    EXPECT_FALSE(TryStrToInt(b, v)) << U8(b);
    EXPECT_EQ(v, 99);
    EXPECT_EQ(StrToIntDef(b, -1), -1) << U8(b);
  }
  EXPECT_EQ(ConvertErrorOf([] { StrToInt(u"12 "); }), "'12 ' is not a valid integer value");

  EXPECT_EQ(StrToInt64(u"9223372036854775807"), std::numeric_limits<Int64>::max());
  EXPECT_EQ(StrToInt64(u"-9223372036854775808"), std::numeric_limits<Int64>::min());
  EXPECT_EQ(StrToInt64(u"$FFFFFFFFFFFFFFFF"), -1);
  EXPECT_EQ(StrToInt64(u"5000000000"), 5000000000ll);
  EXPECT_EQ(StrToInt64Def(u"9223372036854775808", 7), 7);
  EXPECT_EQ(ConvertErrorOf([] { StrToInt64(u"x"); }), "'x' is not a valid integer value");
}

TEST(FloatText, ParsingAcceptsTheFrameworkSyntaxOnly) {
  struct Good { String text; double value; };
  const Good good[] = {
      {u"1.5", 1.5}, {u" -2.5e3 ", -2500}, {u".5", 0.5}, {u"5.", 5},
      {u"1E-2", 0.01}, {u"+3", 3}, {u"1e-400", 0},
  };
  for (const auto& g : good) EXPECT_DOUBLE_EQ(StrToFloat(g.text), g.value) << U8(g.text);
  const String bad[] = {u"", u"1,5", u"e5", u"1e", u"abc", u"1.5x", u"1e999", u"nan", u"INF", u"."};
  for (const auto& b : bad) {
    double v = 9;
    EXPECT_FALSE(TryStrToFloat(b, v)) << U8(b);
    EXPECT_EQ(v, 9);
    EXPECT_EQ(StrToFloatDef(b, -1), -1) << U8(b);
  }
  EXPECT_EQ(ConvertErrorOf([] { StrToFloat(u"1,5"); }), "'1,5' is not a valid floating point value");
}

TEST(FloatText, FloatToStrIsShortestWithFifteenDigits) {
  struct Case { double value; String out; };
  const Case cases[] = {
      {0, u"0"},
      {0.1, u"0.1"},
      {0.1 + 0.2, u"0.3"},
      {-2, u"-2"},
      {1.0 / 3, u"0.333333333333333"},
      {2.0 / 3, u"0.666666666666667"},
      {12345.678, u"12345.678"},
      {123456789012345.0, u"123456789012345"},
      {1e15, u"1E15"},
      {0.0001, u"0.0001"},
      {1e-5, u"1E-5"},
      {-1.23456789e-7, u"-1.23456789E-7"},
      {1e100, u"1E100"},
      {std::numeric_limits<double>::infinity(), u"INF"},
  };
  for (const auto& c : cases) EXPECT_EQ(FloatToStr(c.value), c.out) << c.value;
  EXPECT_EQ(FloatToStrF(1234.5, ffFixed, 15, 2), u"1234.50");
  EXPECT_EQ(FloatToStrF(345.6789, ffFixed, 5, 3), u"345.680");  // precision caps the digits
  EXPECT_EQ(FloatToStrF(123456.0, ffFixed, 5, 0), u"1.2346E+005");
  EXPECT_EQ(FloatToStrF(1234.5, ffNumber, 15, 1), u"1,234.5");
  EXPECT_EQ(FloatToStrF(1234.5, ffExponent, 4, 2), u"1.235E+03");
}

TEST(FloatText, FormatFloatPictures) {
  struct Case { String format; double value; String out; };
  const Case cases[] = {
      {u"0.00", 3.14159, u"3.14"},
      {u"0.00", -1.5, u"-1.50"},
      {u"#,##0", 1234567, u"1,234,567"},
      {u"#,##0", -1234, u"-1,234"},
      {u"#,##0", 999.6, u"1,000"},
      {u"#,##0.00", 1234.5, u"1,234.50"},
      {u"0.#", 2, u"2"},
      {u"0.#", 2.25, u"2.3"},
      {u"0.##", 1.5, u"1.5"},
      {u"000", 7, u"007"},
      {u"0", 0.5, u"1"},
      {u"0", -0.4, u"0"},
      {u"#.##", 0.5, u".5"},
      {u"0.00E+00", 12345, u"1.23E+04"},
      {u"0000.00E+00", 2222.22, u"2222.22E+00"},
      {u"00.0E+0", 2222.22, u"22.2E+2"},
      {u"#,#.#", 1234567, u"1,234,567"},
      {u"0,0.0", 1234567, u"1,234,567.0"},
      {u"###.###", 12.3456, u"12.346"},
      {u"0.00", 1e20, u"1E20"},
      {u"0.0E-0", 0.00012, u"1.2E-4"},
      {u"0.00 'MB'", 5, u"5.00 MB"},
      {u"\"\u5171\" 0 \"\u4e2a\"", 3, u"\u5171 3 \u4e2a"},
      {u"0.00;(0.00)", -1.5, u"(1.50)"},
      {u"0.00;(0.00);'zero'", 0, u"zero"},
      {u"0.00;;'zero'", 0.001, u"zero"},
      {u"", 1.5, u"1.5"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatFloat(c.format, c.value), c.out) << U8(c.format);
}

TEST(Numbers, RoundingBooleans) {
  EXPECT_EQ(Round(2.5), 2);
  EXPECT_EQ(Round(3.5), 4);
  EXPECT_EQ(Round(-2.5), -2);
  EXPECT_EQ(Round(2.51), 3);
  EXPECT_EQ(Trunc(-2.7), -2);
  EXPECT_DOUBLE_EQ(Frac(-2.75), -0.75);
  // No integer for these: the processor's integer-indefinite value, never undefined behaviour.
  EXPECT_EQ(Round(std::nan("")), std::numeric_limits<Int64>::min());
  EXPECT_EQ(Trunc(1e30), std::numeric_limits<Int64>::min());
  EXPECT_EQ(Round(-9.2e18), Int64(-9200000000000000000));

  EXPECT_EQ(BoolToStr(true), u"-1");
  EXPECT_EQ(BoolToStr(false), u"0");
  EXPECT_EQ(BoolToStr(false, true), u"False");
  struct Case { String text; bool value; };
  const Case cases[] = {{u"true", true}, {u"FALSE", false}, {u"0", false}, {u"-1", true}, {u"2", true}};
  for (const auto& c : cases) EXPECT_EQ(StrToBool(c.text), c.value) << U8(c.text);
  EXPECT_EQ(ConvertErrorOf([] { StrToBool(u"yes"); }), "'yes' is not a valid boolean value");
  EXPECT_TRUE(StrToBoolDef(u"", true));
}
