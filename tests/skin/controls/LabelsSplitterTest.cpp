#include <map>

#include "platform/gdi/Gdi.h"
#include "skin/controls/bsSkinLabels.h"
#include "skin/controls/bsSkinPanels.h"
#include "skin/controls/bsSkinSplitter.h"
#include "tests/skin/controls/SkinControlsTestUtil.h"
#include "tests/skin/controls/SkinChangeTestUtil.h"

namespace skinctltest {
namespace {

constexpr rtl::TColor kSkinText = 0x00A000, kFontText = 0x0000A0, kBack = 0x303030;

class LabelsSplitterTest : public SkinControlsTest {
 protected:
  void SetUp() override {
    SkinControlsTest::SetUp();
    form->SetColor(kBack);
  }
  // "stdlabel" with a 24-pixel face in kSkinText; splitters from squares.
  TbsSkinData& LabelSkin() {
    sd = std::make_unique<TbsSkinData>(nullptr);
    AddSquares(*sd, {kNormal, kHot, kDown}, 0x000000);
    auto l = std::make_unique<TbsDataSkinStdLabelControl>(u"stdlabel");
    l->FontHeight = 24;
    l->FontColor = kSkinText;
    sd->CtrlList.push_back(std::move(l));
    for (const char16_t* n : {u"vsplitter", u"hsplitter"}) {
      auto s = std::make_unique<TbsDataSkinSplitterControl>(n);
      s->PictureIndex = 0;
      s->SkinRect = n[0] == u'v' ? rtl::TRect{0, 0, 8, 20} : rtl::TRect{0, 0, 20, 8};
      s->LTPoint = {2, 2};
      s->RTPoint = {18, 2};
      s->LBPoint = {2, 18};
      s->GripperRect = {20, 0, 24, 4};  // a 4 x 4 piece of the hot square's border and face
      sd->CtrlList.push_back(std::move(s));
    }
    auto notSplitter = std::make_unique<TbsDataSkinStdLabelControl>(u"odd");
    sd->CtrlList.push_back(std::move(notSplitter));
    sd->Empty = false;
    return *sd;
  }
  // Colours painted inside a control, by count.
  std::map<std::uint32_t, int> Colours(forms::TControl* c) {
    std::map<std::uint32_t, int> m;
    gdi::TBitmap b(form->ClientWidth(), form->ClientHeight());
    form->PaintTo(b.Canvas()->Handle(), 0, 0);
    for (int y = c->Top(); y < c->Top() + c->Height(); ++y)
      for (int x = c->Left(); x < c->Left() + c->Width(); ++x) ++m[b.GetSurface()->GetPixel(x, y) & 0xFFFFFF];
    return m;
  }
  bool Has(forms::TControl* c, rtl::TColor colour) { return Colours(c).count(Rgb(colour)) > 0; }
};

TEST_F(LabelsSplitterTest, StandardLabelFontRules) {
  auto* l = Make<TbsSkinStdLabel>(form, 10, 10, 10, 10, u"Wg");
  l->Font()->SetHeight(40);
  l->Font()->SetColor(kFontText);
  l->DefaultFont()->SetColor(0xFFFFFF);
  l->SetAutoSize(false);
  l->SetAutoSize(true);
  const int defaultHeight = l->Height();
  EXPECT_LT(defaultHeight, 30) << "without a skin, UseSkinFont draws in DefaultFont";
  EXPECT_TRUE(Has(l, 0xFFFFFF));
  l->UseSkinFont = false;
  l->SetAutoSize(false);
  l->SetAutoSize(true);
  EXPECT_GE(l->Height(), 40) << "UseSkinFont off: the label's own Font";
  EXPECT_TRUE(Has(l, kFontText));

  l->UseSkinFont = true;
  l->SetSkinData(&LabelSkin());
  EXPECT_GT(l->Height(), defaultHeight) << "the skin's face; a skin change re-measures";
  EXPECT_TRUE(Has(l, kSkinText));
  l->UseSkinColor = false;
  l->Repaint();
  EXPECT_TRUE(Has(l, kFontText)) << "the face from the skin, the colour from Font";
  EXPECT_FALSE(Has(l, kSkinText));
}

TEST_F(LabelsSplitterTest, DisabledLabelDrawsHighlightThenShadow) {
  auto* l = Make<TbsSkinStdLabel>(form, 10, 10, 60, 20, u"Disabled");
  l->SetEnabled(false);
  auto m = Colours(l);
  EXPECT_GT(m[Rgb(gdi::ColorToRGB(gdi::clBtnHighlight))], 0);
  EXPECT_GT(m[Rgb(gdi::ColorToRGB(gdi::clBtnShadow))], 0);
}

TEST_F(LabelsSplitterTest, AutoSizeKeepsOneLineForAnEmptyCaption) {
  auto* l = Make<TbsSkinStdLabel>(form, 10, 10, 60, 3, u"");
  l->SetAutoSize(false);
  l->SetAutoSize(true);
  gdi::TBitmap probe(1, 1);
  probe.Canvas()->Font()->Assign(l->DefaultFont());
  EXPECT_EQ(l->Height(), probe.Canvas()->TextHeight(u"A"));
  EXPECT_GT(l->Width(), 0);
}

TEST_F(LabelsSplitterTest, EllipsisShortensTheCaption) {
  const String text = u"/home/user/videos/a/long/folder/name/clip.mp4";
  auto* l = Make<TbsSkinStdLabel>(form, 10, 10, 10, 20, text.c_str());
  l->SetAutoSize(false);
  l->SetBounds(10, 10, 120, 20);
  l->DefaultFont()->SetColor(0xFFFFFF);
  auto picture = [&] {
    gdi::TBitmap b(120, 20);
    b.Canvas()->Brush()->SetColor(0);
    b.Canvas()->FillRect({0, 0, 120, 20});
    l->PaintSkinTo(b.Canvas(), 0, 0, text);
    std::vector<TColor> px;
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 120; ++x) px.push_back(b.Canvas()->Pixels(x, y));
    return px;
  };
  // The same text drawn by the system with a given ellipsis flag.
  auto reference = [&](unsigned flag) {
    gdi::TBitmap b(120, 20);
    b.Canvas()->Brush()->SetColor(0);
    b.Canvas()->FillRect({0, 0, 120, 20});
    b.Canvas()->Font()->Assign(l->DefaultFont());
    b.Canvas()->Brush()->SetStyle(gdi::bsClear);
    rtl::TRect r{0, 0, 120, 20};
    gdi::DrawText(CanvasTextDC(b.Canvas()), text, &r, gdi::DT_EXPANDTABS | flag);
    std::vector<TColor> px;
    for (int y = 0; y < 20; ++y)
      for (int x = 0; x < 120; ++x) px.push_back(b.Canvas()->Pixels(x, y));
    return px;
  };
  const auto none = picture();
  l->SetEllipsType(bsetEndEllips);
  const auto end = picture();
  l->SetEllipsType(bsetPathEllips);
  const auto path = picture();
  EXPECT_NE(none, end);
  EXPECT_NE(end, path);
  EXPECT_EQ(end, reference(gdi::DT_END_ELLIPSIS));
  EXPECT_EQ(path, reference(gdi::DT_PATH_ELLIPSIS));
}

TEST_F(LabelsSplitterTest, TextLabelSizesToItsLines) {
  auto* t = Make<TbsSkinTextLabel>(form, 100, 10, 65, 65);
  gdi::TBitmap probe(1, 1);
  probe.Canvas()->Font()->Assign(t->DefaultFont());
  const int line = probe.Canvas()->TextHeight(u"A");
  t->Lines()->Add(u"输出目录");
  EXPECT_EQ(t->Height(), line) << "one line, not two";
  EXPECT_EQ(t->Width(), probe.Canvas()->TextWidth(u"输出目录"));

  t->SetAlignment(forms::taRightJustify);
  const int right = t->Left() + t->Width();
  t->Lines()->Put(0, u"输出目录和更多的文字");
  EXPECT_EQ(t->Left() + t->Width(), right) << "right-aligned text grows to the left";
  EXPECT_LT(t->Left(), 100);

  const auto before = t->BoundsRect();
  t->SetLayout(forms::tlCenter);
  t->SetAlignment(forms::taCenter);
  EXPECT_EQ(t->BoundsRect(), before) << "alignment and layout do not resize";

  t->Lines()->Clear();
  EXPECT_EQ(t->Height(), 0) << "no lines, no height";
}

TEST_F(LabelsSplitterTest, TextLabelCentresItsLinesWithoutTheTrailingBreak) {
  auto* t = Make<TbsSkinTextLabel>(form, 10, 10, 65, 65);
  t->SetAutoSize(false);
  t->SetBounds(10, 10, 120, 60);
  t->DefaultFont()->SetColor(0xFFFFFF);
  t->Lines()->Add(u"█");
  t->SetLayout(forms::tlCenter);
  int top = -1, bottom = -1;
  for (int y = 0; y < 60; ++y)
    if (PixelAt(t, 3, y) == Rgb(0xFFFFFF)) {
      if (top < 0) top = y;
      bottom = y;
    }
  ASSERT_GE(top, 0);
  EXPECT_NEAR(top + (bottom - top) / 2, 30, 3) << "the one line sits in the middle";
}

TEST_F(LabelsSplitterTest, SplitterStripSizeAndGripper) {
  auto& s = LabelSkin();
  auto* left = Make<TbsSkinPanel>(form, 0, 0, 100, 300);
  left->SetAlign(forms::alLeft);
  auto* sp = Make<TbsSkinSplitter>(form, 100, 0, 3, 300);
  sp->SetAlign(forms::alLeft);
  sp->SetSkinData(&s);
  EXPECT_EQ(sp->Width(), 8) << "the skin's thickness";
  EXPECT_EQ(PixelAt(sp, 4, 5), Rgb(kNormal));
  EXPECT_EQ(PixelAt(sp, 4, sp->Height() / 2), Rgb(kHot)) << "the gripper in the middle, height " << sp->Height();

  // Dragging resizes the neighbour.
  win::headless::MouseMove(Scr(sp, 4, 50));
  win::headless::MouseDown(Scr(sp, 4, 50));
  Pump();
  win::headless::MouseMove(Scr(sp, 44, 50));
  Pump();
  win::headless::MouseUp(Scr(sp, 44, 50));
  Pump();
  EXPECT_EQ(left->Width(), 140);
  EXPECT_EQ(sp->Left(), 140);

  sp->SetTransparent(true);
  sp->ChangeSkinData();
  EXPECT_EQ(sp->Width(), 10) << "a transparent splitter takes DefaultSize";
  EXPECT_EQ(PixelAt(sp, 4, 5), Rgb(kBack)) << "and draws nothing";

  sp->SetTransparent(false);
  sp->SetSkinDataName(u"odd");
  sp->ChangeSkinData();
  EXPECT_EQ(sp->Width(), 10) << "a description of another kind counts as none";

  auto* top = Make<TbsSkinSplitter>(form, 0, 0, 100, 3);
  top->SetAlign(forms::alTop);
  top->SetSkinDataName(u"hsplitter");
  top->SetSkinData(&s);
  EXPECT_EQ(top->Height(), 8);
}

TEST_F(LabelsSplitterTest, SkinChangeWalkReachesLabelsAndSplitters) {
  auto& s = LabelSkin();
  auto* p = Make<TbsSkinPanel>(form, 0, 0, 200, 200);
  auto* l = Make<TbsSkinStdLabel>(p, 10, 10, 60, 20, u"Label");
  auto* t = Make<TbsSkinTextLabel>(p, 10, 40, 60, 20);
  auto* sp = Make<TbsSkinSplitter>(p, 0, 0, 3, 100);
  l->SetSkinData(&s);
  t->SetSkinData(&s);
  sp->SetSkinData(&s);
  s.CtrlList.erase(s.CtrlList.begin());  // "stdlabel" goes; every index moves
  SendSkinChange(form, &s);
  EXPECT_EQ(l->SkinIndex(), -1);
  EXPECT_EQ(t->SkinIndex(), -1);
  EXPECT_EQ(sp->SkinIndex(), 0);
}

}  // namespace
}  // namespace skinctltest
