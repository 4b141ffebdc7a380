#include <algorithm>
#include <cstdint>
#include <cstring>

#include "tests/platform/gdi/GdiTestUtil.h"

namespace gdi {
namespace {

using test::MemDC;

HFONT MakeFont(const char16_t* face, int height, int weight = FW_NORMAL) {
  LOGFONTW lf;
  lf.lfHeight = height;
  lf.lfWeight = weight;
  std::memcpy(lf.lfFaceName, face, std::char_traits<char16_t>::length(face) * 2);
  return CreateFontIndirect(&lf);
}

// Columns [first, last] holding any pixel other than `bg`, or {-1, -1}.
std::pair<int, int> InkColumns(MemDC& d, std::uint32_t bg, int y0 = 0, int y1 = -1) {
  if (y1 < 0) y1 = d.S().Height();
  int first = -1, last = -1;
  for (int x = 0; x < d.S().Width(); ++x)
    for (int y = y0; y < y1; ++y)
      if ((d.Px(x, y) & 0xFFFFFF) != (bg & 0xFFFFFF)) {
        if (first < 0) first = x;
        last = x;
        break;
      }
  return {first, last};
}

class TextTest : public ::testing::Test {
 protected:
  MemDC d{200, 40, 0x7FFFFFFF};
  HFONT font = nullptr;
  HGDIOBJ old = nullptr;
  void Use(HFONT f) {
    font = f;
    old = SelectObject(d.dc, f);
    SetBkMode(d.dc, TRANSPARENT);
  }
  void TearDown() override {
    if (old) SelectObject(d.dc, old);
    if (font) DeleteObject(font);
  }
  SIZE Extent(const std::u16string& s) {
    SIZE sz;
    GetTextExtentPoint32(d.dc, s.c_str(), int(s.size()), &sz);
    return sz;
  }
};

TEST_F(TextTest, SignedHeightsFollowGdiMeaning) {
  Use(MakeFont(u"Arial", -20));
  TEXTMETRICW tm;
  ASSERT_TRUE(GetTextMetrics(d.dc, &tm));
  EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 20);  // character height
  EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight);
  HFONT cell = MakeFont(u"Arial", 20);
  SelectObject(d.dc, cell);
  ASSERT_TRUE(GetTextMetrics(d.dc, &tm));
  EXPECT_EQ(tm.tmHeight, 20);  // cell height
  EXPECT_LT(tm.tmHeight - tm.tmInternalLeading, 20);
  SelectObject(d.dc, font);
  DeleteObject(cell);
  // Absurd heights (a stored font record, a bad skin) stop at the largest
  // size, and the cell still describes the glyphs drawn in it.
  const struct { int largest, absurd; } heights[] = {
      {-2000, INT32_MIN}, {-2000, -100000}, {2000, INT32_MAX}, {2000, 100000}};
  for (auto c : heights) {
    SCOPED_TRACE(c.absurd);
    TEXTMETRICW want, got;
    HFONT largest = MakeFont(u"Arial", c.largest), absurd = MakeFont(u"Arial", c.absurd);
    SelectObject(d.dc, largest);
    ASSERT_TRUE(GetTextMetrics(d.dc, &want));
    SelectObject(d.dc, absurd);
    ASSERT_TRUE(GetTextMetrics(d.dc, &got));
    EXPECT_EQ(got.tmHeight, want.tmHeight);
    EXPECT_EQ(got.tmAscent + got.tmDescent, got.tmHeight);
    EXPECT_TRUE(TextOut(d.dc, 0, 0, u"W", 1));
    SelectObject(d.dc, font);
    DeleteObject(largest);
    DeleteObject(absurd);
  }
}

TEST_F(TextTest, ArialIsMetricCompatibleAndBoldIsWider) {
  Use(MakeFont(u"Arial", -16));
  // Whole-pixel advances of the metric-compatible face at 16 px: 12+9+4+4+9.
  EXPECT_EQ(Extent(u"Hello").cx, 38);
  HFONT liberation = MakeFont(u"Liberation Sans", -16);
  SelectObject(d.dc, liberation);
  const int viaLiberation = Extent(u"Hello, world").cx;
  SelectObject(d.dc, font);
  EXPECT_EQ(Extent(u"Hello, world").cx, viaLiberation);
  DeleteObject(liberation);
  HFONT bold = MakeFont(u"Arial", -16, FW_BOLD);
  SelectObject(d.dc, bold);
  EXPECT_GT(Extent(u"Hello").cx, 38);
  SelectObject(d.dc, font);
  DeleteObject(bold);
}

TEST_F(TextTest, ChineseSystemFacesUseTheInstalledChineseFace) {
  Use(MakeFont(u"宋体", -14));
  const int viaName = Extent(u"Tavrel 视频").cx;
  HFONT wqy = MakeFont(u"WenQuanYi Micro Hei", -14);
  SelectObject(d.dc, wqy);
  EXPECT_EQ(Extent(u"Tavrel 视频").cx, viaName);
  SelectObject(d.dc, font);
  DeleteObject(wqy);
}

TEST_F(TextTest, ChineseAndLatinLineRendersEveryGlyphWithinItsExtent) {
  Use(MakeFont(u"Arial", -16));
  SetTextColor(d.dc, RGB(0, 0, 0));
  const std::u16string latin = u"Tavrel ", cjk = u"视频转换器";
  const SIZE whole = Extent(latin + cjk), l = Extent(latin);
  EXPECT_GE(whole.cx - l.cx, 5 * 14);  // ideographs are about an em wide each
  TextOut(d.dc, 10, 5, latin + cjk);
  const auto [first, last] = InkColumns(d, 0xFFFFFF);
  ASSERT_GE(first, 10);
  EXPECT_LE(last, 10 + whole.cx);
  EXPECT_GT(last, 10 + whole.cx - 4);
  // Every ideograph cell has ink (the CJK fallback face supplied them).
  int x = 10 + l.cx;
  for (char16_t c : cjk) {
    const int w = Extent(std::u16string(1, c)).cx;
    bool ink = false;
    for (int xx = x; xx < x + w && !ink; ++xx)
      for (int y = 5; y < 5 + whole.cy; ++y)
        if ((d.Px(xx, y) & 0xFFFFFF) != 0xFFFFFF) ink = true;
    EXPECT_TRUE(ink) << "glyph " << int(c);
    x += w;
  }
  // Text leaves the alpha byte alone.
  for (int xx = 0; xx < 200; ++xx) ASSERT_EQ(d.Px(xx, 12) >> 24, 0x7Fu);
  if (const char* out = std::getenv("TVL_GDI_PNG_DIR")) WriteDCPng(d.dc, std::string(out) + "/text.png");
}

TEST_F(TextTest, OpaqueBackgroundAndClippedExtTextOut) {
  Use(MakeFont(u"Arial", -12));
  SetBkMode(d.dc, OPAQUE);
  SetBkColor(d.dc, RGB(0, 0, 255));
  RECT clip{0, 0, 20, 40};
  ExtTextOut(d.dc, 0, 0, ETO_CLIPPED, &clip, u"WWWWWWWW", 8, nullptr);
  EXPECT_EQ(InkColumns(d, 0xFFFFFF).second, 19);
  EXPECT_EQ(d.Px(0, 0) & 0xFFFFFF, 0x0000FFu);
  // ETO_OPAQUE fills its rectangle with the background colour, text or not,
  // whatever the background mode.
  d.Fill(0xFFFFFFFF);
  SetBkMode(d.dc, TRANSPARENT);
  SetBkColor(d.dc, RGB(0, 255, 0));
  RECT box{30, 5, 40, 15};
  EXPECT_TRUE(ExtTextOut(d.dc, 0, 0, ETO_OPAQUE, &box, nullptr, 0, nullptr));
  EXPECT_EQ(d.Px(30, 5) & 0xFFFFFF, 0x00FF00u);
  EXPECT_EQ(d.Px(39, 14) & 0xFFFFFF, 0x00FF00u);
  EXPECT_EQ(d.Px(40, 15) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(InkColumns(d, 0xFFFFFF), (std::pair{30, 39}));
}

struct DrawCase {
  const char* name;
  UINT flags;
  const char16_t* text;
};

TEST_F(TextTest, DrawTextAlignmentAndCalcRect) {
  Use(MakeFont(u"Arial", -12));
  const SIZE ext = Extent(u"Open");
  RECT calc{0, 0, 0, 0};
  EXPECT_EQ(DrawText(d.dc, u"Open", -1, &calc, DT_CALCRECT | DT_SINGLELINE), ext.cy);
  EXPECT_EQ(calc, (RECT{0, 0, ext.cx, ext.cy}));
  struct { UINT flags; int left; } cases[] = {
      {DT_LEFT, 0}, {DT_CENTER, (200 - ext.cx) / 2}, {DT_RIGHT, 200 - ext.cx}};
  for (auto c : cases) {
    d.Fill(0xFFFFFFFF);
    RECT r{0, 0, 200, 40};
    DrawText(d.dc, u"Open", -1, &r, c.flags | DT_SINGLELINE | DT_VCENTER);
    const auto ink = InkColumns(d, 0xFFFFFF);
    EXPECT_GE(ink.first, c.left) << c.flags;
    EXPECT_LE(ink.first, c.left + 2) << c.flags;
  }
  // Vertically the line's box sits at the top, the middle or the bottom of the rectangle.
  struct { UINT flags; int top; } rows[] = {
      {DT_TOP, 0}, {DT_VCENTER, (40 - ext.cy) / 2}, {DT_BOTTOM, 40 - ext.cy}};
  for (auto c : rows) {
    d.Fill(0xFFFFFFFF);
    RECT r{0, 0, 200, 40};
    DrawText(d.dc, u"Open", -1, &r, c.flags | DT_SINGLELINE);
    int first = -1, last = -1;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 200; ++x)
        if ((d.Px(x, y) & 0xFFFFFF) != 0xFFFFFF) {
          if (first < 0) first = y;
          last = y;
          break;
        }
    EXPECT_GE(first, c.top) << c.flags;
    EXPECT_LT(last, c.top + ext.cy) << c.flags;
    EXPECT_GT(first, c.top) << c.flags;  // capitals start below the box's top (internal leading)
  }
}

TEST_F(TextTest, WordBreakEllipsesAndPrefixes) {
  Use(MakeFont(u"Arial", -12));
  TEXTMETRICW tm;
  GetTextMetrics(d.dc, &tm);
  // Word breaking: a narrow rectangle takes three lines, a CJK run breaks between ideographs.
  RECT r{0, 0, Extent(u"alpha").cx + 2, 0};
  EXPECT_EQ(DrawText(d.dc, u"alpha beta gamma", -1, &r, DT_CALCRECT | DT_WORDBREAK), 3 * tm.tmHeight);
  RECT c{0, 0, Extent(u"视频").cx, 0};
  EXPECT_EQ(DrawText(d.dc, u"视频转换器", -1, &c, DT_CALCRECT | DT_WORDBREAK), 3 * tm.tmHeight);
  // Ellipses keep the drawn text inside the rectangle.
  for (UINT e : {DT_END_ELLIPSIS, DT_PATH_ELLIPSIS}) {
    d.Fill(0xFFFFFFFF);
    RECT box{0, 0, 60, 20};
    DrawText(d.dc, u"/home/user/videos/a-long-file-name.mp4", -1, &box, DT_SINGLELINE | DT_NOCLIP | e);
    EXPECT_LT(InkColumns(d, 0xFFFFFF).second, 60) << e;
  }
  // "&F" underlines F; "&&" prints one ampersand; DT_NOPREFIX prints them all.
  const SIZE amp = Extent(u"A&B");
  RECT p{0, 0, 0, 0};
  DrawText(d.dc, u"A&&B", -1, &p, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(p.Right, amp.cx);
  DrawText(d.dc, u"A&&B", -1, &p, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_EQ(p.Right, Extent(u"A&&B").cx);
  d.Fill(0xFFFFFFFF);
  RECT u{0, 0, 200, 40};
  DrawText(d.dc, u"&File", -1, &u, DT_SINGLELINE);
  const int underlineRow = tm.tmAscent + 1;
  const auto ul = InkColumns(d, 0xFFFFFF, underlineRow, underlineRow + 1);
  EXPECT_GE(ul.first, 0);
  EXPECT_LT(ul.second, Extent(u"F").cx);
}

TEST_F(TextTest, ExpandTabsAdvanceToTabStops) {
  Use(MakeFont(u"Arial", -12));
  TEXTMETRICW tm;
  GetTextMetrics(d.dc, &tm);
  RECT r{0, 0, 0, 0};
  DrawText(d.dc, u"a\tb", -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS);
  EXPECT_EQ(r.Right, 8 * tm.tmAveCharWidth + Extent(u"b").cx);
}

TEST_F(TextTest, TabbedOutputAndFittingCharacters) {
  Use(MakeFont(u"Arial", -12));
  const int b = Extent(u"b").cx;
  const int stops[] = {40, 90};
  LONG r = TabbedTextOut(d.dc, 5, 0, u"a\tb\tc", 5, 2, stops, 5);
  EXPECT_EQ(r & 0xFFFF, 90 + Extent(u"c").cx);
  r = TabbedTextOut(d.dc, 0, 0, u"\tb", 2, 1, stops, 0);  // one stop: every 40 pixels
  EXPECT_EQ(r & 0xFFFF, 40 + b);
  EXPECT_EQ(r >> 16, Extent(u"b").cy);
  // How many characters fit, with running extents per UTF-16 unit.
  const std::u16string s = u"ab\U0001F600c";
  int fit = 0, dx[5] = {};
  SIZE all;
  ASSERT_TRUE(GetTextExtentExPoint(d.dc, s.c_str(), int(s.size()), Extent(u"ab").cx, &fit, dx, &all));
  EXPECT_EQ(fit, 2);
  EXPECT_EQ(dx[1], Extent(u"ab").cx);
  EXPECT_EQ(dx[2], dx[3]);  // both halves of the pair end at the same place
  EXPECT_EQ(dx[4], all.cx);
}

}  // namespace
}  // namespace gdi
