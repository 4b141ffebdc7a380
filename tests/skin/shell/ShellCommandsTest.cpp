// The list view's commands on fixture trees: 删除 asks, names what it
// removes, acts on the rows the click was on and moves them to the trash
// (files/ and info/*.trashinfo), all or none; a column sort after files
// vanished keeps every row; folders named *.zip are folders; Alt+Enter
// asks for the properties.
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "platform/forms/FormRender.h"
#include "platform/forms/Menus.h"
#include "platform/shell/Trash.h"
#include "tests/skin/shell/ShellViewsFixture.h"

namespace shellctltest {
namespace {

class ShellCommandsTest : public ShellViewsTest {
 protected:
  std::string Trash(const std::string& rel) const { return tree.Path(".local/share/Trash/" + rel); }
  static bool Exists(const std::string& p) {
    struct stat st;
    return ::lstat(p.c_str(), &st) == 0;
  }
  static std::string Read(const std::string& p) {
    std::ifstream in(p);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  int Row(TbsCustomShellListView* lv, const String& name) {
    for (int i = 0; i < lv->FolderCount(); ++i)
      if (lv->FolderAt(i)->DisplayName() == name) return i;
    return -1;
  }
  // A right click on the row of Name, then the menu's command Caption.
  bool RightClickAndRun(TTestListView* lv, const String& name, const String& caption) {
    const int row = Row(lv, name);
    if (row < 0) return false;
    const rtl::TRect r = lv->GetItemRect(row, forms::drLabel);
    const rtl::TPoint p = lv->ClientToScreen({(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
    win::headless::MouseDown(p, 1);
    win::headless::MouseUp(p, 1);
    Pump();
    if (!LastShellContextMenu()) return false;
    forms::TMenuItem* item = LastShellContextMenu()->Items()->Find(caption);
    if (!item) return false;
    item->Click();
    Pump();
    return true;
  }
  TTestListView* ListOf(const std::string& dir) {
    auto* lv = Make<TTestListView>(8, 8, 500, 300);
    lv->SetViewStyle(forms::vsReport);
    lv->SetMultiSelect(true);
    lv->SetRoot(U(tree.Path(dir)));
    return lv;
  }
};

TEST_F(ShellCommandsTest, DeleteAsksThenMovesFileAndFolderToTheTrashWithTheirInfo) {
  tree.Dir("m/sub");
  tree.File("m/clip 1.mp4", "abc");
  tree.File("m/sub/inner.txt");
  tree.File("m/stay.avi");
  auto* lv = ListOf("m");
  ASSERT_TRUE(RightClickAndRun(lv, u"clip 1.mp4", u"删除"));
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_NE(questions[0].find(u"“clip 1.mp4”"), String::npos) << rtl::StringToUtf8(questions[0]);
  EXPECT_FALSE(Exists(tree.Path("m/clip 1.mp4")));
  EXPECT_EQ(Read(Trash("files/clip 1.mp4")), "abc");
  const std::string info = Read(Trash("info/clip 1.mp4.trashinfo"));
  EXPECT_EQ(info.rfind("[Trash Info]\nPath=" + shell::EscapeTrashPath(tree.Path("m/clip 1.mp4")) + "\nDeletionDate=", 0),
            0u)
      << info;
  EXPECT_NE(info.find("%20"), std::string::npos) << "the blank is escaped";
  EXPECT_EQ(info.size(), info.find("DeletionDate=") + 13 + 19 + 1) << "YYYY-MM-DDThh:mm:ss and a line end";

  ASSERT_TRUE(RightClickAndRun(lv, u"sub", u"删除"));
  ASSERT_EQ(questions.size(), 2u);
  EXPECT_NE(questions[1].find(u"文件夹“sub”"), String::npos);
  EXPECT_TRUE(Exists(Trash("files/sub/inner.txt"))) << "the folder goes whole";
  EXPECT_TRUE(Exists(Trash("info/sub.trashinfo")));
  EXPECT_EQ(Names(lv), (std::vector<String>{u"stay.avi"}));

  // A second item of the same name gets a name of its own in the trash.
  tree.File("m/clip 1.mp4", "second");
  lv->Refresh();
  ASSERT_TRUE(RightClickAndRun(lv, u"clip 1.mp4", u"删除"));
  EXPECT_EQ(Read(Trash("files/clip 1.2.mp4")), "second");
  EXPECT_TRUE(Exists(Trash("info/clip 1.2.mp4.trashinfo")));
  EXPECT_TRUE(errors.empty());
}

TEST_F(ShellCommandsTest, NoRemovesNothing) {
  tree.Dir("n");
  tree.File("n/keep.mp4");
  auto* lv = ListOf("n");
  answer = false;
  ASSERT_TRUE(RightClickAndRun(lv, u"keep.mp4", u"删除"));
  EXPECT_EQ(questions.size(), 1u);
  EXPECT_TRUE(Exists(tree.Path("n/keep.mp4")));
  EXPECT_FALSE(Exists(Trash("files/keep.mp4")));
  EXPECT_FALSE(Exists(Trash("info/keep.mp4.trashinfo")));
  EXPECT_EQ(Names(lv), (std::vector<String>{u"keep.mp4"}));
}

TEST_F(ShellCommandsTest, TheMenuActsOnTheRowsTheClickWasOn) {
  tree.Dir("s");
  for (const char* n : {"s/a.mp4", "s/b.mp4", "s/c.mp4", "s/d.mp4"}) tree.File(n);
  auto* lv = ListOf("s");
  // Two rows selected, the click on one of them: both go, after one question naming both.
  lv->ClearSelection();
  lv->SetItemSelected(Row(lv, u"b.mp4"), true);
  lv->SetItemSelected(Row(lv, u"d.mp4"), true);
  ASSERT_TRUE(RightClickAndRun(lv, u"d.mp4", u"删除"));
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_NE(questions[0].find(u"这 2 项"), String::npos);
  EXPECT_NE(questions[0].find(u"\nb.mp4"), String::npos);
  EXPECT_NE(questions[0].find(u"\nd.mp4"), String::npos);
  EXPECT_EQ(Names(lv), (std::vector<String>{u"a.mp4", u"c.mp4"}));
  // A click on a row that is not selected acts on that row, not on the selection.
  lv->ClearSelection();
  lv->SetItemSelected(Row(lv, u"a.mp4"), true);
  ASSERT_TRUE(RightClickAndRun(lv, u"c.mp4", u"删除"));
  EXPECT_EQ(Names(lv), (std::vector<String>{u"a.mp4"}));
  EXPECT_TRUE(Exists(Trash("files/c.mp4")));
}

TEST_F(ShellCommandsTest, AFailureIsShownAndNothingIsHalfDone) {
  tree.Dir("f");
  tree.File("f/one.mp4");
  tree.File("f/two.mp4");
  auto* lv = ListOf("f");
  lv->ClearSelection();
  lv->SetItemSelected(Row(lv, u"one.mp4"), true);
  lv->SetItemSelected(Row(lv, u"two.mp4"), true);
  // two.mp4 vanishes between the menu and the command.
  answer = true;
  SetShellPrompts({[this](forms::TWinControl*, const String& c, const String& t) {
                     questions.push_back(c + u": " + t);
                     ::unlink(tree.Path("f/two.mp4").c_str());
                     return true;
                   },
                   nullptr, nullptr});
  ASSERT_TRUE(RightClickAndRun(lv, u"one.mp4", u"删除"));
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find(u"two.mp4"), String::npos) << rtl::StringToUtf8(errors[0]);
  EXPECT_TRUE(Exists(tree.Path("f/one.mp4"))) << "the one already moved came back";
  EXPECT_FALSE(Exists(Trash("files/one.mp4")));
  EXPECT_FALSE(Exists(Trash("info/one.mp4.trashinfo")));
}

// Runs under ASan: a sort whose files vanished must neither lose a row nor
// leave an empty one for the next paint.
TEST_F(ShellCommandsTest, ColumnSortsKeepEveryRowWhenFilesVanished) {
  std::vector<String> all;
  tree.Dir("v");
  for (int i = 0; i < 60; ++i) {
    const std::string n = "v" + std::to_string(i) + (i % 3 ? ".mp4" : ".avi");
    tree.File("v/" + n, std::string(static_cast<std::size_t>((i * 37) % 50 + 1), 'x'));
    all.push_back(U(n));
  }
  tree.Dir("v/dir");
  auto* lv = ListOf("v");
  ASSERT_EQ(lv->FolderCount(), 61);
  for (int i = 0; i < 60; i += 4) ::unlink(tree.Path("v/v" + std::to_string(i) + (i % 3 ? ".mp4" : ".avi")).c_str());
  for (int column : {1, 3, 2, 1, 0}) {
    lv->ColClick(lv->Columns()->Items(column));
    ASSERT_EQ(lv->FolderCount(), 61);
    std::vector<String> names = Names(lv);
    EXPECT_EQ(names.front(), lv->SortDescending() ? names.front() : String(u"dir")) << "folders first ascending";
    names.erase(std::find(names.begin(), names.end(), String(u"dir")));
    std::sort(names.begin(), names.end());
    std::vector<String> want = all;
    std::sort(want.begin(), want.end());
    EXPECT_EQ(names, want) << "column " << column;
    for (int i = 0; i < lv->FolderCount(); ++i) lv->Items()->Items(i)->Caption();  // every row can be fetched
    EXPECT_TRUE(forms::RenderToPng(form, ::testing::TempDir() + "/sort_vanished.png"));
  }
  // Sizes still order the files that are there.
  lv->ColClick(lv->Columns()->Items(1));
  if (lv->SortDescending()) lv->ColClick(lv->Columns()->Items(1));
  rtl::Int64 last = -2;
  for (int i = 0; i < lv->FolderCount(); ++i) {
    const std::string p = lv->FolderAt(i)->FileSystemPath();
    struct stat st;
    if (lv->FolderAt(i)->IsFolder() || ::stat(p.c_str(), &st) != 0) continue;
    EXPECT_GE(st.st_size, last);
    last = st.st_size;
  }
}

TEST_F(ShellCommandsTest, FoldersNamedZipAreFoldersAndAltEnterAsksForProperties) {
  tree.Dir("z/album.zip");
  tree.File("z/album.zip/in.mp4");
  tree.File("z/pack.ZIP");
  tree.File("z/clip.mp4");
  auto* lv = ListOf("z");
  lv->SetMask(u"*.mp4");
  EXPECT_EQ(Names(lv), (std::vector<String>{u"album.zip", u"clip.mp4"})) << "a folder passes, the zip file is masked";
  ASSERT_TRUE(lv->FolderAt(0)->IsFolder());
  lv->SetItemIndex(0);
  rtl::Word key = win::VK_RETURN;
  lv->KeyDown(key, {});
  EXPECT_EQ(lv->Path(), U(tree.Path("z/album.zip"))) << "Enter opens it";
  EXPECT_EQ(Names(lv), (std::vector<String>{u"in.mp4"}));
  lv->SetItemIndex(0);
  key = win::VK_RETURN;
  lv->KeyDown(key, forms::TShiftState{forms::ssAlt});
  EXPECT_EQ(key, 0);
  EXPECT_EQ(properties, (std::vector<String>{u"in.mp4"}));
  lv->ClearSelection();
  key = win::VK_RETURN;
  lv->KeyDown(key, forms::TShiftState{forms::ssAlt});
  EXPECT_EQ(properties.size(), 1u) << "nothing without a selection";
}

}  // namespace
}  // namespace shellctltest
