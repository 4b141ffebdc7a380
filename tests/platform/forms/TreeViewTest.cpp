// The tree view: expand and collapse events (lazy children), selection
// events, keys, the scroll model.
#include "platform/forms/TreeView.h"

#include "platform/rtl/Strings.h"
#include "tests/platform/forms/FormsTestUtil.h"

namespace formstest {
namespace {

using namespace win;

class TreeViewTest : public FormsTest {
 protected:
  TForm* form = nullptr;
  TTreeView* tv = nullptr;
  std::vector<std::string> ev;
  void SetUp() override {
    FormsTest::SetUp();
    form = MakeForm(400, 300);
    tv = Make<TTreeView>(form, 10, 10, 200, 150);
    auto name = [](TTreeNode* n) { return n ? rtl::U8(n->Text()) : std::string("nil"); };
    tv->OnExpanding = [this, name](TObject*, TTreeNode* n, bool& allow) {
      ev.push_back("expanding " + name(n));
      // Lazy children: a folder fills itself when first opened.
      if (n->HasChildren() && n->Count() == 0 && n->Text() != u"empty")
        for (const char16_t* c : {u"x", u"y"}) tv->Items()->AddChild(n, c);
      allow = n->Text() != u"locked";
    };
    tv->OnExpanded = [this, name](TObject*, TTreeNode* n) { ev.push_back("expanded " + name(n)); };
    tv->OnCollapsed = [this, name](TObject*, TTreeNode* n) { ev.push_back("collapsed " + name(n)); };
    tv->OnChange = [this, name](TObject*, TTreeNode* n) { ev.push_back("change " + name(n)); };
    tv->OnDeletion = [this, name](TObject*, TTreeNode* n) { ev.push_back("delete " + name(n)); };
  }
  TTreeNode* Root(const char16_t* text, bool lazy = true) {
    TTreeNode* n = tv->Items()->Add(nullptr, text);
    n->SetHasChildren(lazy);
    return n;
  }
};

TEST_F(TreeViewTest, ExpandCollapseEventsAndLazyChildren) {
  TTreeNode* a = Root(u"a");
  TTreeNode* empty = Root(u"empty");
  TTreeNode* locked = Root(u"locked");
  struct {
    TTreeNode* node;
    bool expand;
    std::vector<std::string> events;
    int rows;
  } const steps[] = {
      {a, true, {"expanding a", "expanded a"}, 5},
      {a, true, {}, 5},
      {empty, true, {"expanding empty"}, 5},  // nothing to show: the button goes
      {locked, true, {"expanding locked"}, 5},
      {a, false, {"collapsed a"}, 3},
  };
  for (const auto& s : steps) {
    ev.clear();
    s.node->SetExpanded(s.expand);
    EXPECT_EQ(ev, s.events) << rtl::U8(s.node->Text());
    EXPECT_EQ(tv->RowCount(), s.rows);
  }
  EXPECT_FALSE(empty->HasChildren());
  EXPECT_FALSE(locked->Expanded());
  EXPECT_EQ(tv->GetCount(), 7);  // x, y stay below collapsed and locked ones
  EXPECT_EQ(tv->Perform(TVM_GETCOUNT), 7);
}

TEST_F(TreeViewTest, SelectionEventsKeysAndMouse) {
  TTreeNode* a = Root(u"a");
  Root(u"b", false);
  tv->SetFocus();
  Pump();
  struct {
    int vk;
    std::string selected;
  } const keys[] = {{VK_DOWN, "a"}, {VK_RIGHT, "a"}, {VK_RIGHT, "x"}, {VK_DOWN, "y"},
                    {VK_LEFT, "a"}, {VK_LEFT, "a"},  {VK_END, "b"},   {VK_HOME, "a"}};
  for (auto k : keys) {
    Key(k.vk);
    ASSERT_NE(tv->Selected(), nullptr);
    EXPECT_EQ(rtl::U8(tv->Selected()->Text()), k.selected) << k.vk;
  }
  EXPECT_FALSE(a->Expanded());  // the second Left collapsed it
  // A click on the button opens the node without selecting; on the text it selects.
  ev.clear();
  TRect b = tv->ButtonRect(a);
  Click(tv, b.Left + 4, b.Top + 4);
  EXPECT_TRUE(a->Expanded());
  TRect t = a->Item(1)->DisplayRect(true);
  headless::AdvanceClock(1000);
  Click(tv, t.Left + 3, t.Top + 3);
  EXPECT_EQ(ev, (std::vector<std::string>{"expanding a", "expanded a", "change y"}));
  // Collapsing a parent of the selection selects the parent.
  ev.clear();
  a->Collapse(false);
  EXPECT_EQ(ev, (std::vector<std::string>{"change a", "collapsed a"}));
  // Deleting the selected node moves the selection and reports the deletions, children first.
  a->Expand(false);
  ev.clear();
  a->Delete();
  EXPECT_EQ(ev, (std::vector<std::string>{"delete y", "delete x", "change b", "delete a"}));
  EXPECT_EQ(rtl::U8(tv->Selected()->Text()), "b");
}

TEST_F(TreeViewTest, ScrollModelInVisibleRows) {
  tv->Items()->BeginUpdate();
  for (int i = 0; i < 40; ++i) Root(rtl::S("node " + std::to_string(i)).c_str(), false);
  tv->Items()->EndUpdate();
  int page = tv->GetVisibleCount();
  EXPECT_EQ(tv->Perform(TVM_GETVISIBLECOUNT), page);
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  GetScrollInfo(tv->Handle(), SB_VERT, &si);
  EXPECT_EQ(si.nMax, 39);
  EXPECT_EQ(int(si.nPage), page);
  tv->Perform(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 10));
  EXPECT_EQ(tv->TopRow(), 10);
  EXPECT_EQ(tv->TopItem()->Text(), u"node 10");
  tv->SetFocus();  // the wheel goes to the focus
  Pump();
  headless::Wheel(Scr(tv, 20, 20), 120);
  Pump();
  EXPECT_EQ(tv->TopRow(), 7);
  tv->Perform(WM_VSCROLL, SB_BOTTOM);
  EXPECT_EQ(tv->TopRow(), 40 - page);
  // Selecting a node out of view brings it in.
  tv->Items()->Item(0)->SetSelected(true);
  EXPECT_EQ(tv->TopRow(), 0);
  // Horizontal in pixels: a deep, long node widens the range.
  TTreeNode* deep = tv->Items()->Item(0);
  for (int i = 0; i < 8; ++i) deep = tv->Items()->AddChild(deep, u"a rather long name of a folder");
  tv->FullExpand();
  GetScrollInfo(tv->Handle(), SB_HORZ, &si);
  EXPECT_GT(si.nMax, tv->ItemsArea().Width());
  tv->Perform(WM_HSCROLL, SB_LINEDOWN);
  EXPECT_EQ(tv->ScrollX(), tv->Indent());
}

}  // namespace
}  // namespace formstest

namespace formstest {
namespace {

TEST_F(TreeViewTest, LabelEditingAndSorting) {
  TTreeNode* b = Root(u"beta", false);
  Root(u"Alpha", false);
  Root(u"gamma", false);
  tv->AlphaSort();
  EXPECT_EQ(tv->Items()->Item(0)->Text(), u"Alpha");
  EXPECT_EQ(tv->Items()->Item(2)->Text(), u"gamma");
  tv->OnEdited = [&](TObject*, TTreeNode*, String& s) { s += u"!"; };
  tv->SetFocus();
  Pump();
  tv->SetSelected(b);
  Key(VK_F2);
  ASSERT_TRUE(tv->IsEditing());
  headless::TypeText(u"文件夹");
  Pump();
  Key(VK_RETURN, u"\r");
  EXPECT_FALSE(tv->IsEditing());
  EXPECT_EQ(b->Text(), u"文件夹!");
  b->EditText();
  ASSERT_TRUE(tv->IsEditing());
  Click(tv, 150, 140);  // clicking elsewhere commits
  EXPECT_FALSE(tv->IsEditing());
  EXPECT_EQ(b->Text(), u"文件夹!!");
}

}  // namespace
}  // namespace formstest
