// The skinned tree view's external bars: shown when the rows need them,
// driving the tree, following it, and the plain and skinned looks.
#include "platform/forms/ImgList.h"
#include "platform/rtl/SysUtils.h"
#include "skin/controls/bsSkinTreeView.h"
#include "tests/skin/controls/SkinControlsTestUtil.h"

namespace skinctltest {
namespace {

class TreeViewTest : public SkinControlsTest {
 protected:
  void SetUp() override {
    SkinControlsTest::SetUp();
    tv = Make<TbsSkinTreeView>(form, 0, 0, 200, 150);
    vbar = Make<TbsSkinScrollBar>(form, 200, 0, 19, 150);
    vbar->SetKind(sbVertical);
    vbar->SetSkinDataName(u"vscrollbar");
    hbar = Make<TbsSkinScrollBar>(form, 0, 150, 200, 19);
    tv->SetVScrollBar(vbar);
    tv->SetHScrollBar(hbar);
    root = tv->Items()->Add(nullptr, u"我的电脑");
    for (int i = 0; i < 30; ++i) tv->Items()->AddChild(root, u"文件夹 " + rtl::IntToStr(i));
    Pump();
  }
  TbsSkinTreeView* tv = nullptr;
  TbsSkinScrollBar *vbar = nullptr, *hbar = nullptr;
  forms::TTreeNode* root = nullptr;
};

TEST_F(TreeViewTest, VerticalBarAppearsWhenExpandedRowsExceedThePage) {
  EXPECT_EQ(tv->ClientWidth(), 200);  // no native bars, no border
  EXPECT_FALSE(vbar->Visible());  // one row
  EXPECT_FALSE(hbar->Visible());
  root->Expand(false);
  Pump();
  ASSERT_TRUE(vbar->Visible());
  EXPECT_EQ(vbar->PageSize(), tv->GetVisibleCount());
  EXPECT_EQ(vbar->Max(), 30);
  EXPECT_TRUE(hbar->Both());  // the corner marker follows the vertical bar
  root->Collapse(false);
  Pump();
  EXPECT_FALSE(vbar->Visible());
  EXPECT_FALSE(hbar->Both());
}

TEST_F(TreeViewTest, BarsDriveTheTreeAndFollowIt) {
  root->Expand(false);
  Pump();
  vbar->SetPosition(7);
  Pump();
  EXPECT_EQ(tv->TopRow(), 7);
  EXPECT_EQ(vbar->Position(), 7);
  tv->SetFocus();
  win::headless::Wheel(Scr(tv, 50, 50), -120);
  Pump();
  EXPECT_EQ(tv->TopRow(), 10);
  EXPECT_EQ(vbar->Position(), 10);
  Key(win::VK_HOME);
  EXPECT_EQ(vbar->Position(), 0);

  // A wide row brings the horizontal bar, which scrolls in pixels.
  tv->Items()->AddChild(root, String(60, u'宽'));
  Pump();
  ASSERT_TRUE(hbar->Visible());
  EXPECT_TRUE(hbar->Both());  // the vertical bar is shown beside it
  EXPECT_EQ(hbar->PageSize(), tv->Width());
  hbar->SetPosition(40);
  Pump();
  EXPECT_EQ(tv->ScrollX(), 40);
}

TEST_F(TreeViewTest, PositionsPast16BitsReachTheTree) {
  tv->Items()->BeginUpdate();
  for (int i = 0; i < 70000; ++i) tv->Items()->AddChild(root, u"行");
  tv->Items()->EndUpdate();
  root->Expand(false);
  Pump();
  ASSERT_TRUE(vbar->Visible());
  vbar->SetPosition(66000);
  Pump();
  EXPECT_EQ(tv->TopRow(), 66000);
  EXPECT_EQ(vbar->Position(), 66000);
}

TEST_F(TreeViewTest, HidingTheTreeHidesItsBars) {
  root->Expand(false);
  Pump();
  ASSERT_TRUE(vbar->Visible());
  tv->Hide();
  Pump();
  EXPECT_FALSE(vbar->Visible());
  EXPECT_FALSE(hbar->Visible());
  tv->Show();  // both come back until the next update
  EXPECT_TRUE(hbar->Visible());
  Pump();
  EXPECT_TRUE(vbar->Visible());
  EXPECT_FALSE(hbar->Visible());
}

TEST_F(TreeViewTest, PlainAndSkinnedLooks) {
  forms::TImageList images(nullptr);
  tv->SetImages(&images);
  tv->SetDefaultColor(0x0000FF00);
  tv->ChangeSkinData();
  EXPECT_EQ(tv->Color(), 0x0000FF00);
  EXPECT_EQ(images.BkColor(), 0x0000FF00);
  EXPECT_EQ(tv->Font()->Name(), u"Arial");
  EXPECT_EQ(tv->Perform(MSG_SKIN_PAINT_TO_DC, 0, 0), 12851);

  auto stored = StoredFrom(StoredIndex(u"Mac风格"));
  sd = std::make_unique<TbsSkinData>(nullptr);
  sd->LoadCompressedStoredSkin(stored.get());
  auto* entry = dynamic_cast<TbsDataSkinTreeView*>(sd->CtrlList[std::size_t(sd->GetControlIndex(u"treeview"))].get());
  ASSERT_NE(entry, nullptr);
  tv->UseSkinFont = false;
  tv->SetSkinData(sd.get());
  EXPECT_EQ(tv->Color(), entry->BGColor);
  EXPECT_EQ(images.BkColor(), entry->BGColor);
  EXPECT_EQ(tv->Font()->Color(), entry->FontColor);
  EXPECT_EQ(tv->Font()->Name(), u"Arial");  // the default font's face, in the skin's colour
  tv->SetImages(nullptr);
}

}  // namespace
}  // namespace skinctltest
