// The skinned list view as the converter's queue: a report list of 7 shown
// columns (and 18 hidden zero-width ones) with a skinned header and two
// external skinned bars kept in step with the view while rows come and go
// and the view scrolls by bar, wheel and keys.
#include "platform/rtl/Strings.h"
#include "platform/rtl/SysUtils.h"
#include "skin/controls/bsSkinListView.h"
#include "tests/skin/controls/SkinControlsTestUtil.h"
#include "tests/skin/controls/SkinChangeTestUtil.h"

namespace skinctltest {
namespace {

using R = rtl::TRect;

class ListViewTest : public SkinControlsTest {
 protected:
  void SetUp() override {
    SkinControlsTest::SetUp();
    form->SetBounds(100, 100, 420, 320);
    lv = Make<TbsSkinListView>(form, 0, 0, 300, 200);
    lv->SetViewStyle(forms::vsReport);
    lv->SetRowSelect(true);
    lv->SetGridLines(true);
    lv->SetReadOnly(true);
    const int widths[] = {120, 60, 60, 120, 60, 60, 60};
    const char16_t* caps[] = {u"输入文件", u"时长", u"大小", u"输出文件", u"进度", u"当前时间", u"转换大小"};
    for (int i = 0; i < 7; ++i) {
      auto* c = lv->Columns()->Add();
      c->SetCaption(caps[i]);
      c->SetWidth(widths[i]);
      if (i == 4) {  // hidden frames-per-second column between the shown ones
        auto* h = lv->Columns()->Add();
        h->SetWidth(0);
        h->SetMaxWidth(1);
      }
    }
    for (int i = 0; i < 17; ++i) {
      auto* h = lv->Columns()->Add();
      h->SetWidth(0);
      h->SetMaxWidth(1);
    }
    vbar = Make<TbsSkinScrollBar>(form, 300, 0, 19, 200);
    vbar->SetKind(sbVertical);
    vbar->SetSkinDataName(u"vscrollbar");
    hbar = Make<TbsSkinScrollBar>(form, 0, 200, 300, 19);
    lv->SetVScrollBar(vbar);
    lv->SetHScrollBar(hbar);
    Pump();
  }

  void AddRows(int n) {
    for (int i = 0; i < n; ++i) {
      auto* it = lv->Items()->Add();
      it->SetCaption(u"/home/user/视频/片段" + rtl::IntToStr(lv->Items()->Count()) + u".avi");
      for (const char16_t* s : {u"00:01:30", u"12.5 MB", u"片段.mp4", u"", u"0%", u"", u""}) it->SubItems()->Add(s);
    }
    Pump();
  }
  int PerPage() { return lv->GetCountPerPage(); }
  win::POINT InList(int x, int y) { return Scr(lv, x, y); }
  // A pixel of the list view as composed on the screen (the header is a
  // window of its own, painted by its own procedure).
  std::uint32_t Shown(int x, int y) {
    Pump();
    win::RECT wr;
    win::GetWindowRect(form->Handle(), &wr);
    const win::POINT p = Scr(lv, x, y);
    return win::headless::BackBuffer(form->Handle())->GetPixel(p.X - wr.Left, p.Y - wr.Top) & 0xFFFFFF;
  }

  TbsSkinListView* lv = nullptr;
  TbsSkinScrollBar *vbar = nullptr, *hbar = nullptr;
};

TEST_F(ListViewTest, VerticalBarAppearsWhenRowsExceedThePageAndBothFollowsIt) {
  EXPECT_EQ(lv->BorderStyle(), forms::bsNoBorder);
  EXPECT_EQ(lv->ClientWidth(), 300);  // no native bars, no border
  EXPECT_FALSE(vbar->Visible());
  EXPECT_TRUE(hbar->Visible());  // 540 pixels of columns in 300
  EXPECT_FALSE(hbar->Both());
  EXPECT_EQ(hbar->Max(), 539);
  EXPECT_EQ(hbar->PageSize(), 300);

  const int page = PerPage();
  ASSERT_GT(page, 3);
  AddRows(page);
  EXPECT_FALSE(vbar->Visible());
  AddRows(1);
  ASSERT_TRUE(vbar->Visible());
  EXPECT_EQ(vbar->PageSize(), page);
  EXPECT_EQ(vbar->LargeChange(), page);
  EXPECT_EQ(vbar->SmallChange(), 1);
  EXPECT_EQ(vbar->Max(), page);
  EXPECT_TRUE(hbar->Both());

  lv->Items()->Delete(0);
  Pump();
  EXPECT_FALSE(vbar->Visible());
  EXPECT_FALSE(hbar->Both());
  AddRows(20);
  EXPECT_TRUE(vbar->Visible());
  lv->Items()->Clear();
  Pump();
  EXPECT_FALSE(vbar->Visible());
}

TEST_F(ListViewTest, BarStepScrollsExactlyOneRowWithoutFeedback) {
  AddRows(40);
  ASSERT_TRUE(vbar->Visible());
  vbar->SetPosition(1);
  Pump();
  EXPECT_EQ(lv->TopIndex(), 1);
  EXPECT_EQ(vbar->Position(), 1);
  vbar->SetPosition(11);
  Pump();
  EXPECT_EQ(lv->TopIndex(), 11);
  // Pressing the bar's far arrow steps one row.
  win::headless::MouseMove(Scr(vbar, 9, 195));
  win::headless::MouseDown(Scr(vbar, 9, 195));
  Pump();
  win::headless::MouseUp(Scr(vbar, 9, 195));
  Pump();
  EXPECT_EQ(lv->TopIndex(), 12);
  EXPECT_EQ(vbar->Position(), 12);
  // The last page at most.
  vbar->SetPosition(1000);
  Pump();
  EXPECT_EQ(lv->TopIndex(), 40 - PerPage());
  // Sideways in pixels.
  hbar->SetPosition(50);
  Pump();
  EXPECT_EQ(lv->ScrollX(), 50);
  EXPECT_EQ(hbar->Position(), 50);
}

TEST_F(ListViewTest, WheelAndKeysMoveTheView_TheBarsFollow) {
  AddRows(40);
  lv->SetFocus();
  Pump();
  win::headless::Wheel(InList(100, 100), -120);
  Pump();
  EXPECT_EQ(lv->TopIndex(), 3);
  EXPECT_EQ(vbar->Position(), 3);
  Key(win::VK_END);
  EXPECT_EQ(lv->ItemIndex(), 39);
  EXPECT_EQ(vbar->Position(), 40 - PerPage());
  Key(win::VK_HOME);
  EXPECT_EQ(vbar->Position(), 0);
  for (int i = 0; i < PerPage() + 2; ++i) Key(win::VK_DOWN);
  EXPECT_EQ(vbar->Position(), lv->TopIndex());
  EXPECT_GT(vbar->Position(), 0);
  // Removing the rows scrolled into view pulls the bar back.
  lv->Items()->BeginUpdate();
  while (lv->Items()->Count() > 5) lv->Items()->Delete(lv->Items()->Count() - 1);
  lv->Items()->EndUpdate();
  Pump();
  EXPECT_FALSE(vbar->Visible());
}

TEST_F(ListViewTest, TinyOrHiddenViewLeavesTheBarsAlone) {
  AddRows(40);
  ASSERT_TRUE(vbar->Visible());
  lv->SetHeight(5);
  lv->Items()->Clear();
  Pump();
  EXPECT_TRUE(vbar->Visible());  // not updated: too small
  lv->SetHeight(200);
  AddRows(40);
  lv->Hide();
  Pump();
  EXPECT_FALSE(vbar->Visible());
  EXPECT_FALSE(hbar->Visible());
  lv->Show();
  Pump();
  EXPECT_TRUE(vbar->Visible());
  EXPECT_TRUE(hbar->Visible());
}

TEST_F(ListViewTest, HeaderPressDrawsTheSectionDown_DividerDragDoesNot) {
  ASSERT_NE(lv->HeaderHandle(), nullptr);
  const int hy = lv->HeaderHeight() / 2;
  // Plain look: a pressed section in the pressed colours.
  win::headless::MouseMove(InList(40, hy));
  win::headless::MouseDown(InList(40, hy));
  Pump();
  EXPECT_EQ(lv->ActiveSection(), 0);
  EXPECT_TRUE(lv->HeaderDown());
  EXPECT_FALSE(lv->DividerDown());
  EXPECT_EQ(Shown(10, 2), Rgb(0x00B59385));
  win::headless::MouseUp(InList(40, hy));
  Pump();
  EXPECT_FALSE(lv->HeaderDown());
  EXPECT_EQ(lv->ActiveSection(), -1);
  EXPECT_EQ(Shown(10, 2), Rgb(gdi::ColorToRGB(gdi::clBtnFace)));

  // On the divider after the first column: a resize, never a pressed section.
  win::headless::MouseMove(InList(120, hy));
  win::headless::MouseDown(InList(120, hy));
  Pump();
  EXPECT_TRUE(lv->DividerDown());
  EXPECT_FALSE(lv->HeaderDown());
  win::headless::MouseMove(InList(140, hy));
  Pump();
  EXPECT_EQ(Shown(10, 2), Rgb(gdi::ColorToRGB(gdi::clBtnFace)));
  win::headless::MouseUp(InList(140, hy));
  Pump();
  EXPECT_FALSE(lv->DividerDown());
  EXPECT_EQ(lv->Columns()->Items(0)->Width(), 140);
}

TEST_F(ListViewTest, OwnerDrawnCaptionsAndEmptySections) {
  std::vector<std::u16string> drawn;
  lv->OnDrawHeaderSection = [&](gdi::TCanvas*, forms::TListColumn* c, bool, rtl::TRect& r) {
    drawn.push_back(c->Caption());
    EXPECT_EQ(r.Left, 0);
    EXPECT_EQ(r.Top, 0);
  };
  gdi::TBitmap b(lv->Width(), lv->HeaderHeight());
  lv->Perform(MSG_PAINT_HEADER_TO_DC, forms::WPARAM(b.Canvas()->Handle()), 0);
  // Only the seven shown columns: the zero-width ones draw nothing.
  EXPECT_EQ(drawn.size(), 7u);
  // The section background is still drawn around the owner's caption.
  EXPECT_EQ(b.GetSurface()->GetPixel(60, 2) & 0xFFFFFF, Rgb(gdi::ColorToRGB(gdi::clBtnFace)));
  EXPECT_EQ(lv->Perform(MSG_SKIN_PAINT_TO_DC, 0, 0), 12851);
}

TEST_F(ListViewTest, SkinDecidesColoursAndFont_PlainUsesTheDefaults) {
  EXPECT_EQ(lv->Color(), gdi::clWindow);
  EXPECT_EQ(lv->Font()->Name(), u"Arial");
  EXPECT_EQ(lv->Font()->Height(), 14);
  lv->SetDefaultColor(0x123456);
  EXPECT_EQ(lv->Color(), 0x123456);

  auto stored = StoredFrom(StoredIndex(u"金属光泽"));
  sd = std::make_unique<TbsSkinData>(nullptr);
  sd->LoadCompressedStoredSkin(stored.get());
  auto* entry = dynamic_cast<TbsDataSkinListView*>(sd->CtrlList[std::size_t(sd->GetControlIndex(u"listview"))].get());
  ASSERT_NE(entry, nullptr);
  lv->SetSkinData(sd.get());
  vbar->SetSkinData(sd.get());
  hbar->SetSkinData(sd.get());
  Pump();
  EXPECT_NE(lv->SkinIndex(), -1);
  EXPECT_EQ(lv->Color(), entry->BGColor);
  EXPECT_EQ(lv->Font()->Color(), entry->FontColor);
  EXPECT_EQ(lv->Font()->Name(), entry->FontName);
  gdi::TBitmap b(lv->Width(), lv->HeaderHeight());
  lv->Perform(MSG_PAINT_HEADER_TO_DC, forms::WPARAM(b.Canvas()->Handle()), 0);
  EXPECT_NE(lv->HeaderSkinIndex(), -1);
  // Rows still scroll by the (now skinned) bars.
  AddRows(40);
  ASSERT_TRUE(vbar->Visible());
  vbar->SetPosition(5);
  Pump();
  EXPECT_EQ(lv->TopIndex(), 5);

  // The form's skin-change walk reaches the view.
  entry->BGColor = 0x00332211;
  SendSkinChange(form, sd.get());
  EXPECT_EQ(lv->Color(), 0x00332211);

  // The skin data going away brings the plain look back at the next change.
  sd.reset();
  EXPECT_EQ(lv->SkinData(), nullptr);
  lv->ChangeSkinData();
  EXPECT_EQ(lv->SkinIndex(), -1);
  EXPECT_EQ(lv->Color(), 0x123456);
}

TEST_F(ListViewTest, SkinnedHeaderSectionsFromAButtonPicture) {
  auto& s = Skin();
  auto* h = AddNinePart<TbsDataSkinButtonControl>(s, u"resizetoolbutton", 0, 0);
  h->DownSkinRect = Square(2);
  h->FontColor = 0xFFFFFF;
  h->DownFontColor = 0x00FFFF;
  // Two captions wide enough to read, the other shown columns narrow: 240 of
  // 300 pixels, so the header has room after its last section.
  for (int i = 0, shown = 0; i < lv->Columns()->Count(); ++i)
    if (lv->Columns()->Items(i)->Width() > 0) lv->Columns()->Items(i)->SetWidth(shown++ < 2 ? 70 : 20);
  lv->SetSkinData(&s);
  Pump();
  const int hh = lv->HeaderHeight();
  auto paint = [&] {
    auto b = std::make_unique<gdi::TBitmap>(lv->Width(), hh);
    lv->Perform(MSG_PAINT_HEADER_TO_DC, forms::WPARAM(b->Canvas()->Handle()), 0);
    return b;
  };
  auto px = [](gdi::TBitmap* b, int x, int y) { return b->GetSurface()->GetPixel(x, y) & 0xFFFFFF; };
  // Some pixel of the caption near the colour (its strokes are smoothed).
  auto hasColour = [&](gdi::TBitmap* b, int x0, int x1, std::uint32_t c) {
    for (int y = 1; y < hh - 1; ++y)
      for (int x = x0; x < x1; ++x) {
        const std::uint32_t p = px(b, x, y);
        int d = 0;
        for (int sh : {0, 8, 16}) d += std::abs(int(p >> sh & 0xFF) - int(c >> sh & 0xFF));
        if (d < 90) return true;
      }
    return false;
  };
  auto b = paint();
  EXPECT_NE(lv->HeaderSkinIndex(), -1);
  // Nine parts at the section's size: the border at both ends, the face between.
  EXPECT_EQ(px(b.get(), 0, hh / 2), 0u);
  EXPECT_EQ(px(b.get(), 69, hh / 2), 0u);
  EXPECT_EQ(px(b.get(), 15, 2), Rgb(kNormal));
  EXPECT_TRUE(hasColour(b.get(), 1, 69, 0xFFFFFF)) << "caption in the skin's font colour";
  // After the last section: the normal face without its right edge.
  EXPECT_EQ(px(b.get(), 270, hh / 2), Rgb(kNormal));
  EXPECT_EQ(px(b.get(), 299, hh / 2), Rgb(kNormal));
  // A pressed section in the down face and down font colour, the others normal.
  win::headless::MouseMove(InList(105, hh / 2));
  win::headless::MouseDown(InList(105, hh / 2));
  Pump();
  b = paint();
  EXPECT_EQ(px(b.get(), 105, 2), Rgb(kDown));
  EXPECT_TRUE(hasColour(b.get(), 71, 139, Rgb(0x00FFFF)));
  EXPECT_EQ(px(b.get(), 15, 2), Rgb(kNormal));
  win::headless::MouseUp(InList(105, hh / 2));
  Pump();
  b = paint();
  EXPECT_EQ(px(b.get(), 105, 2), Rgb(kNormal));
  // An entry of another kind under the header's name: the plain look.
  lv->HeaderSkinDataName = u"panel";
  b = paint();
  EXPECT_EQ(px(b.get(), 15, 2), Rgb(gdi::ColorToRGB(gdi::clBtnFace)));
}

TEST_F(ListViewTest, HeaderPrefersTheSkinsHeaderVariantOfItsFace) {
  auto& s = Skin();
  AddNinePart<TbsDataSkinButtonControl>(s, u"resizetoolbutton", 0, 0);
  lv->SetSkinData(&s);
  Pump();
  const int tool = s.GetControlIndex(u"resizetoolbutton");
  auto paint = [&] {
    auto b = std::make_unique<gdi::TBitmap>(lv->Width(), lv->HeaderHeight());
    lv->Perform(MSG_PAINT_HEADER_TO_DC, forms::WPARAM(b->Canvas()->Handle()), 0);
    return b->GetSurface()->GetPixel(15, 2) & 0xFFFFFF;
  };
  EXPECT_EQ(paint(), Rgb(kNormal));
  EXPECT_EQ(lv->HeaderSkinIndex(), tool);
  // A header variant of the named face wins; one of another kind is ignored.
  AddNinePart<TbsDataSkinPanelControl>(s, u"resizetoolbuttonheader", 0, 1);
  EXPECT_EQ(paint(), Rgb(kNormal));
  EXPECT_EQ(lv->HeaderSkinIndex(), tool);
  s.CtrlList.pop_back();
  AddNinePart<TbsDataSkinButtonControl>(s, u"resizetoolbuttonheader", 0, 2);
  EXPECT_EQ(paint(), Rgb(kDown));
  EXPECT_EQ(lv->HeaderSkinIndex(), s.GetControlIndex(u"resizetoolbuttonheader"));
}

TEST_F(ListViewTest, ListAndIconStylesKeepTheirOwnBars) {
  AddRows(60);
  lv->SetViewStyle(forms::vsList);  // columns of items side by side: only sideways
  Pump();
  EXPECT_FALSE(vbar->Visible());
  ASSERT_TRUE(hbar->Visible());
  EXPECT_EQ(hbar->SmallChange(), 1);
  EXPECT_EQ(hbar->LargeChange(), 1);
  const int w = lv->GetItemRect(0).Width();
  EXPECT_EQ(hbar->PageSize(), lv->Width() / w);
  hbar->SetPosition(hbar->Position() + w * 2);  // two column steps
  Pump();
  EXPECT_GT(lv->ScrollX(), 0);

  lv->SetViewStyle(forms::vsIcon);  // rows of icons: down, in pixels
  Pump();
  ASSERT_TRUE(vbar->Visible());
  EXPECT_EQ(vbar->PageSize(), lv->Height());
  EXPECT_EQ(vbar->SmallChange(), std::max(1, lv->GetItemRect(0).Height() / 2));
  vbar->SetPosition(40);
  Pump();
  EXPECT_EQ(vbar->Position(), 40);
  EXPECT_EQ(lv->GetItemRect(0).Top, -40);
}

TEST_F(ListViewTest, RemovedBarsAreForgotten) {
  AddRows(40);
  delete vbar;
  vbar = nullptr;
  EXPECT_EQ(lv->VScrollBar(), nullptr);
  lv->Items()->Clear();
  lv->Columns()->Items(0)->SetWidth(20);  // the columns now fit: 440 pixels
  for (int i = 1; i < 4; ++i) lv->Columns()->Items(i)->SetWidth(20);
  Pump();  // updates run without the vertical bar
  EXPECT_FALSE(hbar->Visible());
}

}  // namespace
}  // namespace skinctltest
