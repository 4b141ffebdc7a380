// The shell views with AutoRefresh on: files and folders created, renamed
// and deleted on disk reach the open views through the change notifier's
// worker, on the GUI thread.
#include <cstdio>
#include <unistd.h>

#include "tests/skin/shell/ShellViewsFixture.h"

namespace shellctltest {
namespace {

bool Has(const std::vector<String>& v, const String& s) { return std::find(v.begin(), v.end(), s) != v.end(); }

bool Watching(shell::TbsShellChangeNotifier* n) {
  return n && n->Worker() && n->Worker()->Generation() > 0;
}

TEST_F(ShellViewsTest, ListFollowsCreateRenameAndDelete) {
  tree.Dir("w");
  tree.File("w/first.mp4");
  auto* lv = new TbsSkinFileListView(form);
  lv->SetBounds(8, 8, 400, 300);
  lv->SetParent(form);
  lv->SetRoot(U(tree.Path("w")));
  lv->SetAutoRefresh(true);
  ASSERT_TRUE(PumpUntil([&] { return Watching(lv->Notifier()); }));

  tree.File("w/新 文件.mp4");
  ASSERT_TRUE(PumpUntil([&] { return Has(Names(lv), u"新 文件.mp4"); }));
  ASSERT_TRUE(PumpUntil([&] { return Watching(lv->Notifier()); })) << "the watch follows every reload";

  ASSERT_EQ(std::rename(tree.Path("w/first.mp4").c_str(), tree.Path("w/renamed.mp4").c_str()), 0);
  ASSERT_TRUE(PumpUntil([&] { return Has(Names(lv), u"renamed.mp4") && !Has(Names(lv), u"first.mp4"); }));
  ASSERT_TRUE(PumpUntil([&] { return Watching(lv->Notifier()); }));

  ::unlink(tree.Path("w/renamed.mp4").c_str());
  ASSERT_TRUE(PumpUntil([&] { return Names(lv) == std::vector<String>{u"新 文件.mp4"}; }));

  // Moving to another folder moves the watch; switching it off ends it.
  tree.Dir("w2");
  lv->SetPath(U(tree.Path("w2")));
  ASSERT_TRUE(PumpUntil([&] { return Watching(lv->Notifier()); }));
  EXPECT_EQ(lv->Notifier()->Root(), U(tree.Path("w2")));
  lv->SetAutoRefresh(false);
  EXPECT_EQ(lv->Notifier(), nullptr);
  delete lv;  // with a change pending on disk
  tree.File("w2/late.mp4");
  for (int i = 0; i < 5; ++i) rtl::CheckSynchronize(10);
}

TEST_F(ShellViewsTest, TreeFollowsFoldersOfTheSelectedNode) {
  tree.Dir("tw/a");
  auto* tv = new TbsSkinDirTreeView(form);
  tv->SetBounds(8, 8, 250, 300);
  tv->SetParent(form);
  tv->SetRoot(U(tree.Path("tw")));
  tv->SetAutoRefresh(true);
  ASSERT_TRUE(PumpUntil([&] { return Watching(tv->Notifier()); }));
  EXPECT_EQ(tv->Notifier()->Root(), U(tree.Path("tw")));

  tree.Dir("tw/b");
  ASSERT_TRUE(PumpUntil([&] { return ChildTexts(tv->Items()->GetFirstNode()) == std::vector<String>{u"a", u"b"}; }));
  ASSERT_EQ(std::rename(tree.Path("tw/a").c_str(), tree.Path("tw/c").c_str()), 0);
  ASSERT_TRUE(PumpUntil([&] { return ChildTexts(tv->Items()->GetFirstNode()) == std::vector<String>{u"b", u"c"}; }));

  // Selecting a folder moves the watch there.
  tv->SetSelected(tv->Items()->GetFirstNode()->Item(0));
  ASSERT_TRUE(PumpUntil([&] { return Watching(tv->Notifier()); }));
  EXPECT_EQ(tv->Notifier()->Root(), U(tree.Path("tw/b")));
  tree.Dir("tw/b/inner");
  ASSERT_TRUE(PumpUntil([&] {
    forms::TTreeNode* b = tv->Selected();
    return b && b->Text() == u"b" && b->HasChildren();
  }));
}

}  // namespace
}  // namespace shellctltest
