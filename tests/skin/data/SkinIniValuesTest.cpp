#include <gtest/gtest.h>

#include <memory>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Strings.h"
#include "skin/data/bsSkinIniValues.h"

namespace skin {
namespace {

std::unique_ptr<TMemIniFile> Ini(const String& text) {
  auto ini = std::make_unique<TMemIniFile>();
  SetIniText(*ini, text);
  return ini;
}

TEST(SkinIniText, LookupIgnoresCaseAndTrimsAndFirstKeyWins) {
  auto iniOwner = Ini(u"[Sec]\r\n Key = value  \r\nkey=second\r\n; comment\r\n[SEC]\nother=1\n");
  auto& ini = *iniOwner;
  EXPECT_EQ(ini.ReadString(u"sec", u"KEY", u"-"), u"value");
  EXPECT_EQ(ini.ReadString(u"sec", u"other", u"-"), u"1");
  EXPECT_EQ(ini.ReadString(u"nosec", u"key", u"-"), u"-");
}

TEST(SkinIniText, ReadIntegerRules) {
  auto iniOwner = Ini(u"[s]\na=0x1F\nb=$ff\nc=12x\nd=\ne=-7\nf=0x\ng=99999999999\nh=0xFFFFFFFF\n");
  auto& ini = *iniOwner;
  struct Case { const char16_t* key; int expected; } cases[] = {
      {u"a", 31}, {u"b", 255}, {u"c", 5}, {u"d", 5}, {u"e", -7}, {u"f", 5}, {u"g", 5}, {u"h", -1}, {u"zz", 5}};
  for (const auto& c : cases) EXPECT_EQ(ini.ReadInteger(u"s", c.key, 5), c.expected) << rtl::U8(c.key);
}

TEST(SkinIniText, WritesSectionsInOrderWithBlankLineAfterEach) {
  TMemIniFile ini;
  ini.WriteString(u"B", u"x", u"1");
  ini.WriteInteger(u"A", u"y", -2);
  ini.WriteString(u"b", u"X", u"3");  // same key, other case: replaced in place
  EXPECT_EQ(GetIniText(ini), u"[B]\r\nx=3\r\n\r\n[A]\r\ny=-2\r\n\r\n");
  ini.EraseSection(u"b");
  EXPECT_EQ(GetIniText(ini), u"[A]\r\ny=-2\r\n\r\n");
}

TEST(SkinIniValues, RectAndPointParsing) {
  auto iniOwner = Ini(u"[s]\nr=3,29,282,206\nneg=-3,4\nblank=10 , 20\nmixed=1x2,3\nempty=\nthree=1,2,3\n"
                 u"gap=1,,3,4\nextra=1,2,3,4,5\nhuge=1,2,3,99999999999\n");
  auto& ini = *iniOwner;
  EXPECT_EQ(ReadIniRect(ini, u"s", u"r"), (TRect{3, 29, 282, 206}));
  EXPECT_EQ(ReadIniRect(ini, u"s", u"missing"), TRect{});
  EXPECT_EQ(ReadIniPoint(ini, u"s", u"missing"), TPoint{});
  EXPECT_EQ(ReadIniPoint(ini, u"s", u"neg"), (TPoint{3, 4}));
  EXPECT_EQ(ReadIniPoint(ini, u"s", u"blank"), (TPoint{10, 20}));
  EXPECT_EQ(ReadIniPoint(ini, u"s", u"mixed"), (TPoint{12, 3}));
  EXPECT_EQ(ReadIniRect(ini, u"s", u"extra"), (TRect{1, 2, 3, 4}));
  EXPECT_EQ(ReadIniPoint(ini, u"s", u"three"), (TPoint{1, 2}));
  for (const char16_t* bad : {u"empty", u"three", u"gap", u"huge"})
    EXPECT_THROW(ReadIniRect(ini, u"s", bad), rtl::EConvertError) << rtl::U8(bad);
  EXPECT_THROW(ReadIniPoint(ini, u"s", u"empty"), rtl::EConvertError);
}

TEST(SkinIniValues, WritersProduceTheReadForms) {
  TMemIniFile ini;
  WriteIniRect(ini, u"s", u"r", TRect{3, 29, 282, 206});
  WriteIniPoint(ini, u"s", u"p", TPoint{-3, 4});
  WriteIniBool(ini, u"s", u"t", true);
  WriteIniBool(ini, u"s", u"f", false);
  WriteIniFontStyle(ini, u"s", u"fs", fsBold | fsUnderline);
  WriteIniFontStyle(ini, u"s", u"none", 0);
  WriteIniAlignment(ini, u"s", u"a", taRightJustify);
  WriteIniStretchType(ini, u"s", u"st", bsstVert);
  WriteIniMorphKind(ini, u"s", u"mk", mkPush);
  WriteIniInactiveEffect(ini, u"s", u"ie", ieSplitBlur);
  WriteIniStrings(ini, u"s", u"list", {u"a.bmp", u"b.bmp"});
  EXPECT_EQ(GetIniText(ini),
            u"[s]\r\nr=3,29,282,206\r\np=-3,4\r\nt=1\r\nf=0\r\nfs=fsbold,fsunderline\r\nnone=\r\n"
            u"a=tarightjustify\r\nst=stvert\r\nmk=mkpush\r\nie=iesplitblur\r\nlistcount=2\r\n0=a.bmp\r\n1=b.bmp\r\n\r\n");
}

TEST(SkinIniValues, BooleansAndFontStyles) {
  auto iniOwner = Ini(u"[s]\nb1=1\nb0=0\nb2=2\nbm=-1\nbw=true\nbe=\n"
                 u"f1=fsbold\nf2=FSBOLD\nf3=fsbold fsitalic\nf4=fsitalicfsbold\nf5=fsunderline,fsstrikeout\n");
  auto& ini = *iniOwner;
  EXPECT_TRUE(ReadIniBool(ini, u"s", u"b1"));
  for (const char16_t* k : {u"b0", u"b2", u"bm", u"bw", u"be", u"absent"}) EXPECT_FALSE(ReadIniBool(ini, u"s", k));
  EXPECT_EQ(ReadIniFontStyle(ini, u"s", u"f1"), fsBold);
  EXPECT_EQ(ReadIniFontStyle(ini, u"s", u"f2"), 0);
  EXPECT_EQ(ReadIniFontStyle(ini, u"s", u"f3"), fsBold | fsItalic);
  EXPECT_EQ(ReadIniFontStyle(ini, u"s", u"f4"), fsBold | fsItalic);
  EXPECT_EQ(ReadIniFontStyle(ini, u"s", u"f5"), fsUnderline | fsStrikeOut);
}

TEST(SkinIniValues, KeywordReadersAbsentValuesAndFallbacks) {
  auto iniOwner = Ini(u"[s]\na1=tarightjustify\na2=TACENTER\na3=taleftjustify\ns1=sthorz\ns2=stretch\ns3=stvert\n"
                 u"m1=mkpush\nm2=MkPush\nm3=mkleftslide\ne1=ieinvert\ne2=blur\n");
  auto& ini = *iniOwner;
  EXPECT_EQ(ReadIniAlignment(ini, u"s", u"none"), taCenter);
  EXPECT_EQ(ReadIniAlignment(ini, u"s", u"a1"), taRightJustify);
  EXPECT_EQ(ReadIniAlignment(ini, u"s", u"a2"), taRightJustify);
  EXPECT_EQ(ReadIniAlignment(ini, u"s", u"a3"), taLeftJustify);
  EXPECT_EQ(ReadIniStretchType(ini, u"s", u"none"), bsstFull);
  EXPECT_EQ(ReadIniStretchType(ini, u"s", u"s1"), bsstHorz);
  EXPECT_EQ(ReadIniStretchType(ini, u"s", u"s2"), bsstHorz);
  EXPECT_EQ(ReadIniStretchType(ini, u"s", u"s3"), bsstVert);
  EXPECT_EQ(ReadIniMorphKind(ini, u"s", u"m1"), mkPush);
  EXPECT_EQ(ReadIniMorphKind(ini, u"s", u"m2"), mkDefault);
  EXPECT_EQ(ReadIniMorphKind(ini, u"s", u"m3"), mkLeftSlide);
  EXPECT_EQ(ReadIniInactiveEffect(ini, u"s", u"none"), ieBrightness);
  EXPECT_EQ(ReadIniInactiveEffect(ini, u"s", u"e1"), ieInvert);
  EXPECT_EQ(ReadIniInactiveEffect(ini, u"s", u"e2"), ieGrayScale);
}

TEST(SkinIniValues, StringListsAppendAndKeepMissingItemsEmpty) {
  auto iniOwner = Ini(u"[s]\nlistcount=3\n0=a\n1=b\n[t]\nhuge=1\nlistcount=2000000000\n");
  auto& ini = *iniOwner;
  std::vector<String> items{u"kept"};
  ReadIniStrings(ini, u"s", u"list", items);
  EXPECT_EQ(items, (std::vector<String>{u"kept", u"a", u"b", u""}));
  std::vector<String> none;
  ReadIniStrings(ini, u"s", u"other", none);
  EXPECT_TRUE(none.empty());
  // A damaged count is bounded rather than read for hours.
  std::vector<String> capped;
  ReadIniStrings(ini, u"t", u"list", capped);
  EXPECT_EQ(capped.size(), size_t(kMaxSkinListEntries));
}

TEST(SkinIniValues, SkinDescriptionNeedsFiveSectionsWithKeys) {
  const String full = u"[VERSION]\nver=1\n[PICTURES]\npicture=\n[FORMINFO]\nborderwidth=0\n"
                      u"[SKINOBJECTS]\ncount=0\n[SKINCONTROLS]\ncount=0\n";
  TMemIniFile ini;
  SetIniText(ini, full);
  EXPECT_TRUE(IsSkinDescription(ini));
  SetIniText(ini, u"[VERSION]\nver=1\n[PICTURES]\npicture=\n[FORMINFO]\nborderwidth=0\n[SKINOBJECTS]\n"
              u"[SKINCONTROLS]\ncount=0\n");
  EXPECT_FALSE(IsSkinDescription(ini));
  SetIniText(ini, u"[VERSION]\nver=1\n");
  EXPECT_FALSE(IsSkinDescription(ini));
}

}  // namespace
}  // namespace skin
