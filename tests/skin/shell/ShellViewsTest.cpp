// The shell folder list view, tree view and combo box on fixture trees:
// enumeration, masks, sorting, columns, navigation, linking, errors.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/rtl/Classes.h"
#include "platform/rtl/Exceptions.h"
#include "tests/skin/shell/ShellViewsFixture.h"

namespace shellctltest {
namespace {

TEST(FileMask, Table) {
  struct Case {
    const char16_t* Name;
    const char16_t* Mask;
    bool Hit;
  } cases[] = {
      {u"a.avi", u"*.*|*.*", true},       {u"README", u"*.*|*.*", false},  {u"README", u"*", true},
      {u"a.avi", u"", false},             {u"A.AVI", u"*.avi;*.mp4", true}, {u"b.mp4", u"*.avi;*.mp4", true},
      {u"c.mkv", u"*.avi;*.mp4", false},  {u"x.ZIP", u"*.zip", true},       {u"ab.txt", u"?b.txt", true},
      {u"b.txt", u"?b.txt", false},       {u"f3.log", u"f[0-4].log", true}, {u"f7.log", u"f[0-4].log", false},
      {u"f7.log", u"f[!0-4].log", true},  {u"视频 1.mp4", u"视频*.mp4", true},
      // A dialog's whole filter text: the description piece matches nothing ordinary.
      {u"clip.mp4", u"视频文件 (*.mp4)|*.mp4", true}, {u"clip.avi", u"视频文件 (*.mp4)|*.mp4", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MatchesFileMask(c.Name, c.Mask), c.Hit) << rtl::StringToUtf8(c.Name) << " / " << rtl::StringToUtf8(c.Mask);
}

TEST_F(ShellViewsTest, ListShowsFixtureFoldersFirstInNaturalOrderWithoutHiddenItems) {
  tree.Dir("d/文件夹 2");
  tree.Dir("d/文件夹 10");
  tree.Dir("d/.hidden dir");
  tree.File("d/视频 片段.mp4");
  tree.File("d/b 2.avi");
  tree.File("d/b 10.avi");
  tree.File("d/.secret.txt");
  tree.File("d/NODOT");
  auto* lv = Make<TTestListView>(8, 8, 400, 300);
  lv->SetRoot(U(tree.Path("d")));
  EXPECT_EQ(Names(lv), (std::vector<String>{u"文件夹 2", u"文件夹 10", u"b 2.avi", u"b 10.avi", u"视频 片段.mp4"}));
  EXPECT_EQ(lv->Items()->Count(), 5);

  lv->SetObjectTypes(lv->ObjectTypes() | shell::Bit(shell::otHidden));
  EXPECT_EQ(lv->FolderCount(), 7);
  lv->SetMask(u"*");
  EXPECT_EQ(lv->FolderCount(), 8);
  lv->SetMask(u"");
  EXPECT_EQ(lv->FolderCount(), 3) << "folders only";

  lv->SetMask(u"*.avi");
  lv->SetObjectTypes(shell::Bit(shell::otFolders) | shell::Bit(shell::otNonFolders));
  lv->SetSorted(false);
  EXPECT_EQ(lv->FolderCount(), 4);
  lv->SetSorted(true);
  EXPECT_EQ(Names(lv), (std::vector<String>{u"文件夹 2", u"文件夹 10", u"b 2.avi", u"b 10.avi"}));

  int refused = 0;
  lv->OnAddFolder = [&](rtl::TObject*, TbsShellFolder* f, bool& can) {
    if (f->DisplayName() == u"b 2.avi") can = false, ++refused;
  };
  lv->Refresh();
  EXPECT_EQ(refused, 1);
  EXPECT_EQ(lv->FolderCount(), 3);
}

TEST_F(ShellViewsTest, VanishedFolderGivesItsErrorAndNoRows) {
  tree.Dir("gone/sub");
  tree.File("gone/f.mp4");
  auto* lv = Make<TTestListView>(8, 8, 400, 300);
  lv->SetRoot(U(tree.Path("gone")));
  EXPECT_EQ(lv->FolderCount(), 2);
  lv->SetItemIndex(1);
  ::unlink(tree.Path("gone/f.mp4").c_str());
  lv->SetViewStyle(forms::vsReport);
  Pump();  // the row of the removed file paints with its name alone
  ::rmdir(tree.Path("gone/sub").c_str());
  ::rmdir(tree.Path("gone").c_str());
  lv->Refresh();
  EXPECT_EQ(lv->FolderCount(), 0);
  EXPECT_EQ(lv->LoadError(), ENOENT);
  Pump();
}

// Permissions do not bind the superuser: run as root, the reads that must
// fail are made with the effective user "nobody" (the saved user id keeps
// root, so the guard can switch back).
struct TAsOrdinaryUser {
  bool switched = false;
  TAsOrdinaryUser() {
    if (::geteuid() == 0) switched = ::seteuid(65534) == 0;
  }
  ~TAsOrdinaryUser() {
    if (switched) (void)::seteuid(0);
  }
};

TEST_F(ShellViewsTest, UnreadableFolderGivesItsErrorAndNoRows) {
  tree.Dir("locked");
  tree.File("locked/inside.mp4");
  ::chmod(tree.Path("locked").c_str(), 0);
  auto* lv = Make<TTestListView>(8, 8, 400, 300);
  lv->SetViewStyle(forms::vsReport);
  lv->SetRoot(U(tree.Root()));
  {
    TAsOrdinaryUser user;
    ASSERT_TRUE(::geteuid() != 0);
    lv->SetPath(U(tree.Path("locked")));
  }
  EXPECT_EQ(lv->FolderCount(), 0);
  EXPECT_EQ(lv->LoadError(), EACCES);
  EXPECT_NE(lv->LoadErrorText().find(U(tree.Path("locked"))), String::npos);
  Pump();  // paints with no rows

  auto* tv = Make<TTestTreeView>(420, 8, 250, 300);
  tv->SetRoot(U(tree.Root()));
  forms::TTreeNode* root = tv->Items()->GetFirstNode();
  ASSERT_EQ(root->Count(), 1);
  forms::TTreeNode* locked = root->Item(0);
  {
    TAsOrdinaryUser user;
    locked->Expand(false);
  }
  EXPECT_EQ(locked->Count(), 0);
  EXPECT_FALSE(locked->HasChildren()) << "a folder that refuses reading loses its button";
}

TEST_F(ShellViewsTest, SymlinkLoopListsAndExpandsWithoutEnd) {
  tree.Dir("loop/sub");
  tree.Link("loop/again", ".");
  auto* lv = Make<TTestListView>(8, 8, 400, 300);
  lv->SetRoot(U(tree.Path("loop")));
  EXPECT_EQ(Names(lv), (std::vector<String>{u"again", u"sub"}));
  for (int i = 0; i < 5; ++i) {
    lv->SetItemIndex(0);
    lv->DblClick();
  }
  EXPECT_NE(lv->Path().find(u"again/again/again/again/again"), String::npos);
  EXPECT_EQ(lv->FolderCount(), 2);

  auto* tv = Make<TTestTreeView>(420, 8, 250, 300);
  tv->SetRoot(U(tree.Path("loop")));
  forms::TTreeNode* n = tv->Items()->GetFirstNode();
  for (int depth = 0; depth < 6; ++depth) {
    ASSERT_GE(n->Count(), 1);
    n = n->Item(0);
    n->Expand(false);
  }
  EXPECT_EQ(n->Level(), 6);
}

TEST_F(ShellViewsTest, TenThousandFilesAreAllListedInOrder) {
  const std::string dir = tree.Dir("many");
  for (int i = 0; i < 10000; ++i) tree.File("many/clip " + std::to_string(i) + ".mp4", "");
  auto* lv = Make<TTestListView>(8, 8, 400, 300);
  lv->SetViewStyle(forms::vsReport);
  lv->SetRoot(U(dir));
  ASSERT_EQ(lv->FolderCount(), 10000);
  EXPECT_EQ(lv->FolderAt(0)->DisplayName(), u"clip 0.mp4");
  EXPECT_EQ(lv->FolderAt(9)->DisplayName(), u"clip 9.mp4");
  EXPECT_EQ(lv->FolderAt(10)->DisplayName(), u"clip 10.mp4");
  EXPECT_EQ(lv->FolderAt(9999)->DisplayName(), u"clip 9999.mp4");
  Pump();
  EXPECT_EQ(lv->Items()->Items(0)->Caption(), u"clip 0.mp4");
}

TEST_F(ShellViewsTest, ReportColumnsDetailsAndColumnSorts) {
  tree.Dir("c");
  tree.File("c/small.mp4", "1");
  tree.File("c/large.mp4", std::string(3000, 'x'));
  tree.File("c/middle.mp3", std::string(200, 'x'));
  tree.Dir("c/folder");
  auto* lv = Make<TTestListView>(8, 8, 500, 300);
  lv->SetRoot(U(tree.Path("c")));
  EXPECT_EQ(lv->Columns()->Count(), 0) << "icon style has no columns";
  lv->SetViewStyle(forms::vsReport);
  ASSERT_EQ(lv->Columns()->Count(), 4);
  EXPECT_EQ(lv->Columns()->Items(0)->Caption(), u"Name");
  EXPECT_EQ(lv->Columns()->Items(1)->Caption(), u"Size");
  EXPECT_EQ(lv->Columns()->Items(1)->Alignment(), forms::taRightJustify);
  EXPECT_EQ(lv->Columns()->Items(3)->Caption(), u"Modified");

  // Row of "large.mp4": caption, size, type, date.
  int large = -1;
  for (int i = 0; i < lv->FolderCount(); ++i)
    if (lv->FolderAt(i)->DisplayName() == u"large.mp4") large = i;
  ASSERT_GE(large, 0);
  forms::TListItem* it = lv->Items()->Items(large);
  EXPECT_EQ(it->Caption(), u"large.mp4");
  ASSERT_EQ(it->SubItems()->Count(), 3);
  EXPECT_FALSE(it->SubItems()->Get(0).empty());
  EXPECT_NE(it->SubItems()->Get(2).find(u':'), String::npos) << rtl::StringToUtf8(it->SubItems()->Get(2));
  EXPECT_EQ(it->ImageIndex(), shell::ikVideo);

  lv->SetItemIndex(1);
  lv->ColClick(lv->Columns()->Items(1));  // size, ascending, folders first
  EXPECT_EQ(lv->ItemIndex(), 1) << "the selection stays on its row position";
  EXPECT_EQ(Names(lv), (std::vector<String>{u"folder", u"small.mp4", u"middle.mp3", u"large.mp4"}));
  lv->ColClick(lv->Columns()->Items(1));  // the same column again: reversed, folders last
  EXPECT_EQ(Names(lv), (std::vector<String>{u"large.mp4", u"middle.mp3", u"small.mp4", u"folder"}));
  lv->ColClick(lv->Columns()->Items(0));  // another column: ascending by name
  EXPECT_EQ(Names(lv), (std::vector<String>{u"folder", u"large.mp4", u"middle.mp3", u"small.mp4"}));
  lv->Refresh();  // a reload returns to the shell order
  EXPECT_EQ(Names(lv), (std::vector<String>{u"folder", u"large.mp4", u"middle.mp3", u"small.mp4"}));

  for (forms::TViewStyle s : {forms::vsIcon, forms::vsSmallIcon, forms::vsList, forms::vsReport}) {
    lv->SetViewStyle(s);
    Pump();
    EXPECT_EQ(lv->Items()->Items(1)->ImageIndex(), shell::ikVideo);
  }
}

TEST_F(ShellViewsTest, ListNavigationBackKeysAndSelection) {
  tree.Dir("n/a/b");
  tree.File("n/a/f1.mp4");
  tree.File("n/a/f2.mp4");
  auto* lv = Make<TTestListView>(8, 8, 400, 300);
  lv->SetMultiSelect(true);
  int moved = 0;
  lv->OnPathChanged = [&](rtl::TObject*) { ++moved; };
  lv->SetRoot(U(tree.Path("n")));
  lv->SetItemIndex(0);
  rtl::Word enter = win::VK_RETURN;
  lv->KeyDown(enter, {});
  EXPECT_EQ(lv->Path(), U(tree.Path("n/a")));
  EXPECT_EQ(moved, 1);
  lv->SetItemIndex(1);
  lv->DblClick();  // a file: the view stays
  EXPECT_EQ(lv->Path(), U(tree.Path("n/a")));
  EXPECT_EQ(lv->GetSelectedFile(), U(tree.Path("n/a/f1.mp4")));
  lv->SelectAll();
  rtl::TStringList files;
  lv->GetSelectedFiles(&files);
  ASSERT_EQ(files.Count(), 2);
  EXPECT_EQ(files.Get(1), U(tree.Path("n/a/f2.mp4")));
  rtl::Word back = win::VK_BACK;
  lv->KeyDown(back, {});
  EXPECT_EQ(lv->Path(), U(tree.Path("n")));

  // Refresh keeps the selected position; a bad path changes nothing.
  lv->SetPath(U(tree.Path("n/a")));
  lv->SetItemIndex(2);
  lv->Refresh();
  EXPECT_EQ(lv->ItemIndex(), 2);
  EXPECT_THROW(lv->SetPath(u"/no/such/folder"), shell::EInvalidPath);
  EXPECT_EQ(lv->Path(), U(tree.Path("n/a")));
  EXPECT_THROW(lv->SetRoot(u"/no/such/root"), rtl::Exception);
  EXPECT_EQ(lv->Path(), U(tree.Path("n/a")));
  EXPECT_EQ(lv->FolderCount(), 3);

  // Typing finds the first row from the start whose name begins with the text.
  int found = -1;
  lv->OnDataFind(lv, u"F2", 0, true, found);
  EXPECT_EQ(found, 2);
  lv->OnDataFind(lv, u"b", 1, true, found);
  EXPECT_EQ(found, 0) << "wraps to the top";
  lv->OnDataFind(lv, u"b", 1, false, found);
  EXPECT_EQ(found, -1);
}

TEST_F(ShellViewsTest, RenameInTheListMovesTheFileAndRefusalRaises) {
  tree.Dir("r");
  tree.File("r/old name.mp4");
  tree.File("r/taken.mp4");
  auto* lv = Make<TTestListView>(8, 8, 400, 300);
  lv->SetRoot(U(tree.Path("r")));
  forms::TListItem* it = lv->Items()->Items(0);
  String name = u"新 名字.mp4";
  lv->Edit(it, name);
  EXPECT_EQ(::access(tree.Path("r/新 名字.mp4").c_str(), F_OK), 0);
  EXPECT_EQ(lv->FolderAt(0)->DisplayName(), u"新 名字.mp4");
  EXPECT_EQ(lv->Items()->Items(0)->Caption(), u"新 名字.mp4");
  String bad = u"a/b";
  EXPECT_THROW(lv->Edit(lv->Items()->Items(0), bad), rtl::Exception);
  EXPECT_EQ(lv->FolderAt(0)->DisplayName(), u"新 名字.mp4");
}

TEST_F(ShellViewsTest, TreeExpandsLazilyAndSelectsAPathWithItsLinkedViews) {
  tree.Dir("t/一/二/三");
  tree.Dir("t/一/旁边");
  tree.Dir("t/empty");
  tree.File("t/一/file.mp4");
  auto* tv = Make<TTestTreeView>(8, 8, 250, 300);
  auto* lv = Make<TTestListView>(270, 40, 400, 260);
  auto* cb = Make<TbsSkinShellComboBox>(270, 8, 400, 24);
  tv->SetRoot(U(tree.Path("t")));
  tv->SetShellListView(lv);
  tv->SetShellComboBox(cb);
  lv->SetShellComboBox(cb);
  EXPECT_EQ(lv->Root(), tv->Root());
  EXPECT_EQ(cb->Root(), tv->Root());

  forms::TTreeNode* root = tv->Items()->GetFirstNode();
  ASSERT_TRUE(root);
  EXPECT_TRUE(root->Expanded());
  EXPECT_TRUE(root->Selected());
  EXPECT_EQ(ChildTexts(root), (std::vector<String>{u"empty", u"一"}));
  EXPECT_FALSE(root->Item(0)->HasChildren());
  EXPECT_TRUE(root->Item(1)->HasChildren());
  EXPECT_EQ(root->Item(1)->Count(), 0) << "children are read on the first expansion";

  tv->SetPath(U(tree.Path("t/一/二/三")));
  ASSERT_TRUE(tv->Selected());
  EXPECT_EQ(tv->Selected()->Text(), u"三");
  EXPECT_EQ(tv->Selected()->Level(), 3);
  EXPECT_EQ(tv->Path(), U(tree.Path("t/一/二/三")));
  EXPECT_EQ(lv->Path(), tv->Path());
  EXPECT_EQ(cb->Path(), tv->Path());
  ASSERT_EQ(cb->ItemsEx()->Count(), 5);  // t, empty, 一, 二, 三
  EXPECT_EQ(cb->ItemsEx()->GetItem(cb->ItemIndex())->Caption, u"三");
  EXPECT_EQ(cb->ItemsEx()->GetItem(cb->ItemIndex())->Indent, 3);

  // The list moves up: the tree and the combo follow, without echo.
  rtl::Word back = win::VK_BACK;
  lv->KeyDown(back, {});
  EXPECT_EQ(tv->Selected()->Text(), u"二");
  EXPECT_EQ(cb->Path(), U(tree.Path("t/一/二")));

  // A pick in the combo moves both views.
  cb->SetItemIndex(0);
  EXPECT_EQ(tv->Selected(), root);
  EXPECT_EQ(lv->Path(), U(tree.Path("t")));

  // A path outside the root clears the selection without an error.
  tv->SetPath(U(tree.Root()));
  EXPECT_EQ(tv->Selected(), nullptr);
  EXPECT_THROW(tv->SetPath(u"/no/such/folder"), shell::EInvalidPath);

  // A root that cannot be resolved keeps the old tree and text.
  EXPECT_THROW(tv->SetRoot(u"/no/such/root"), rtl::Exception);
  EXPECT_EQ(tv->Root(), U(tree.Path("t")));
  EXPECT_EQ(tv->Items()->GetFirstNode()->Text(), u"t");

  // Destroying a linked control clears the links.
  delete lv;
  EXPECT_EQ(tv->ShellListView(), nullptr);
  EXPECT_EQ(cb->ShellListView(), nullptr);
  delete cb;
  EXPECT_EQ(tv->ShellComboBox(), nullptr);
}

TEST_F(ShellViewsTest, TreeRefreshKeepsOpenFoldersAndSelectionAndRenameResorts) {
  tree.Dir("rt/a/a1");
  tree.Dir("rt/b/b1");
  tree.Dir("rt/c");
  auto* tv = Make<TTestTreeView>(8, 8, 250, 300);
  tv->SetRoot(U(tree.Path("rt")));
  tv->SetPath(U(tree.Path("rt/b/b1")));
  tv->Items()->GetFirstNode()->Item(0)->Expand(false);  // a
  ::rmdir(tree.Path("rt/a/a1").c_str());
  ::rmdir(tree.Path("rt/a").c_str());
  tree.Dir("rt/new");
  tv->Refresh(tv->Items()->GetFirstNode());
  forms::TTreeNode* root = tv->Items()->GetFirstNode();
  EXPECT_EQ(ChildTexts(root), (std::vector<String>{u"b", u"c", u"new"}));
  EXPECT_TRUE(root->Item(0)->Expanded());
  ASSERT_TRUE(tv->Selected());
  EXPECT_EQ(tv->Path(), U(tree.Path("rt/b/b1")));

  // Renaming "c" to "a-c" re-reads the parent: the node takes its sorted place.
  forms::TTreeNode* c = root->Item(1);
  String name = u"a-c";
  tv->Edit(c, name);
  root = tv->Items()->GetFirstNode();
  EXPECT_EQ(ChildTexts(root), (std::vector<String>{u"a-c", u"b", u"new"}));
  EXPECT_EQ(::access(tree.Path("rt/a-c").c_str(), F_OK), 0);

  // With files in the tree, a folder holding only files gets a button.
  tree.File("rt/new/f.mp4");
  tv->SetObjectTypes(shell::Bit(shell::otFolders) | shell::Bit(shell::otNonFolders));
  root = tv->Items()->GetFirstNode();
  forms::TTreeNode* nw = root->Item(2);
  EXPECT_EQ(nw->Text(), u"new");
  EXPECT_TRUE(nw->HasChildren());
}

TEST_F(ShellViewsTest, DesktopTreeOpensTheComputer) {
  tree.Dir("视频");
  auto* tv = Make<TTestTreeView>(8, 8, 250, 300);
  forms::TTreeNode* root = tv->Items()->GetFirstNode();
  ASSERT_TRUE(root);
  EXPECT_TRUE(root->Selected());
  EXPECT_FALSE(tv->ShowRoot());
  const std::vector<String> top = ChildTexts(root);
  ASSERT_GE(top.size(), 3u);
  EXPECT_EQ(top.front(), u"主文件夹");
  EXPECT_EQ(top.back(), u"文件系统");
  tv->ExpandMyComputer();
  ASSERT_TRUE(tv->Selected());
  EXPECT_EQ(tv->Selected()->Text(), u"计算机");
  EXPECT_TRUE(tv->Selected()->Expanded());
  ASSERT_GE(tv->Selected()->Count(), 1);
  EXPECT_EQ(tv->Selected()->Item(0)->ImageIndex(), shell::ikDrive);
  // A path is reached along the way its parse takes, down from the desktop.
  tv->SetPath(U(tree.Path("视频")));
  ASSERT_TRUE(tv->Selected());
  EXPECT_EQ(tv->Selected()->Text(), u"视频");
  EXPECT_EQ(tv->Path(), U(tree.Path("视频")));
}

TEST_F(ShellViewsTest, TreeWithoutShellImagesOrWithItsOwnImages) {
  tree.Dir("i/x");
  auto* tv = Make<TTestTreeView>(8, 8, 250, 300);
  tv->SetRoot(U(tree.Path("i")));
  EXPECT_EQ(tv->Images(), ShellSmallImages());
  EXPECT_EQ(tv->Items()->GetFirstNode()->Item(0)->ImageIndex(), shell::ikFolder);
  EXPECT_EQ(tv->Items()->GetFirstNode()->Item(0)->SelectedIndex(), shell::ikFolderOpen);
  tv->SetUseShellImages(false);
  EXPECT_EQ(tv->Images(), nullptr);
}

TEST_F(ShellViewsTest, ComboListsDesktopComputerAndTheChainToAFolder) {
  tree.Dir("视频/2024/旅行");
  auto* cb = Make<TbsSkinShellComboBox>(8, 8, 300, 24);
  Pump();
  ASSERT_GT(cb->ItemsEx()->Count(), 2);
  EXPECT_EQ(cb->ItemIndex(), 0);
  EXPECT_EQ(cb->ItemsEx()->GetItem(0)->Indent, 0);
  EXPECT_EQ(cb->Items()->Count(), cb->ItemsEx()->Count());
  // "计算机" is followed by its mounts, one level deeper.
  int computer = -1;
  for (int i = 0; i < cb->ItemsEx()->Count(); ++i)
    if (cb->ItemsEx()->GetItem(i)->Caption == u"计算机") computer = i;
  ASSERT_GE(computer, 0);
  ASSERT_LT(computer + 1, cb->ItemsEx()->Count());
  EXPECT_EQ(cb->ItemsEx()->GetItem(computer + 1)->Indent, 2);
  EXPECT_EQ(cb->ItemsEx()->GetItem(computer + 1)->ImageIndex, shell::ikDrive);

  // A folder three levels below the home folder: the missing levels come in
  // under the home entry, deeper by one each, the last one selected.
  TItemList id;
  ASSERT_EQ(shell::GetDesktopShellFolder()->ParseDisplayName(U(tree.Path("视频/2024/旅行")), id), 0);
  const int before = cb->ItemsEx()->Count();
  cb->ViewFolderChanged(id.get());
  EXPECT_EQ(cb->Path(), U(tree.Path("视频/2024/旅行")));
  const int sel = cb->ItemIndex();
  EXPECT_EQ(cb->ItemsEx()->GetItem(sel)->Caption, u"旅行");
  EXPECT_EQ(cb->ItemsEx()->GetItem(sel - 1)->Caption, u"2024");
  EXPECT_EQ(cb->ItemsEx()->GetItem(sel - 2)->Caption, u"视频");
  EXPECT_EQ(cb->ItemsEx()->GetItem(sel)->Indent, cb->ItemsEx()->GetItem(sel - 2)->Indent + 2);
  EXPECT_GE(cb->ItemsEx()->Count(), before + 2);
  cb->ViewFolderChanged(id.get());  // the folder shown: nothing changes
  EXPECT_EQ(cb->ItemIndex(), sel);

  EXPECT_THROW(cb->SetPath(u"/no/such/folder"), shell::EInvalidPath);
  try {
    cb->SetPath(u"/no/such/folder");
  } catch (const shell::EInvalidPath& e) {
    EXPECT_NE(e.Message().find(u"\"/no/such/folder\""), String::npos);
  }

  // With the root written in capitals the computer is not opened.
  cb->SetRoot(u"RFDESKTOP");
  EXPECT_EQ(cb->Root(), u"rfDesktop") << "same text without regard to case: nothing";
  // A path root outside of which a folder is reported keeps the root level.
  cb->SetRoot(U(tree.Path("视频")));
  EXPECT_EQ(cb->ItemsEx()->Count(), 2);
  TItemList outside;
  ASSERT_EQ(shell::GetDesktopShellFolder()->ParseDisplayName(u"/", outside), 0);
  cb->ViewFolderChanged(outside.get());
  EXPECT_EQ(cb->ItemIndex(), 0);
  EXPECT_EQ(cb->ItemsEx()->Count(), 2);
  EXPECT_EQ(cb->GetFolder(99), cb->GetFolder(1)) << "past the end: the last entry";
}

TEST_F(ShellViewsTest, ContextMenuRunsVerbsThroughTheViewsHook) {
  tree.Dir("m");
  tree.File("m/gone.mp4");
  tree.File("m/stay.mp4");
  auto* lv = Make<TTestListView>(8, 8, 400, 300);
  lv->SetRoot(U(tree.Path("m")));
  lv->SetItemIndex(0);
  win::headless::MouseDown(lv->ClientToScreen({40, 20}), 1);
  win::headless::MouseUp(lv->ClientToScreen({40, 20}), 1);
  Pump();
  ASSERT_TRUE(LastShellContextMenu());
  forms::TMenuItem* del = LastShellContextMenu()->Items()->Find(u"删除");
  ASSERT_TRUE(del);
  del->Click();
  EXPECT_NE(::access(tree.Path("m/gone.mp4").c_str(), F_OK), 0);
  EXPECT_EQ(Names(lv), (std::vector<String>{u"stay.mp4"})) << "a delete refreshes the view";
}

TEST_F(ShellViewsTest, TreeCommandsAndRefusedFolders) {
  tree.Dir("tc/keep");
  tree.Dir("tc/drop");
  tree.Dir("tc/skip");
  auto* tv = Make<TTestTreeView>(8, 8, 250, 300);
  tv->OnAddFolder = [](rtl::TObject*, TbsShellFolder* f, bool& can) { can = f->DisplayName() != u"skip"; };
  tv->SetRoot(U(tree.Path("tc")));
  forms::TTreeNode* root = tv->Items()->GetFirstNode();
  EXPECT_EQ(ChildTexts(root), (std::vector<String>{u"drop", u"keep"}));
  tv->SetSelected(root->Item(0));
  win::headless::MouseDown(tv->ClientToScreen({tv->NodeRect(root->Item(0), true).Left + 4, tv->NodeRect(root->Item(0), true).Top + 4}), 1);
  win::headless::MouseUp(tv->ClientToScreen({tv->NodeRect(root->Item(0), true).Left + 4, tv->NodeRect(root->Item(0), true).Top + 4}), 1);
  Pump();
  ASSERT_TRUE(LastShellContextMenu());
  forms::TMenuItem* del = LastShellContextMenu()->Items()->Find(u"删除");
  ASSERT_TRUE(del);
  del->Click();
  EXPECT_NE(::access(tree.Path("tc/drop").c_str(), F_OK), 0);
  EXPECT_EQ(ChildTexts(tv->Items()->GetFirstNode()), (std::vector<String>{u"keep"}));
  bool handled = false;
  tv->SetSelected(tv->Items()->GetFirstNode()->Item(0));
  tv->ExecuteCommand(u"RENAME", handled);
  EXPECT_TRUE(handled);
  EXPECT_TRUE(tv->IsEditing());
}

}  // namespace
}  // namespace shellctltest
