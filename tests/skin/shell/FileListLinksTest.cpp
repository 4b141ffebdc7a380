// The file list box with its neighbours: which entries each FileType lists
// ([.] and [..] with bsftDirectory), the links directory list -> file list
// and drive combo -> directory list -> file list, typed paths (a folder is
// entered, a mask becomes the mask, a hidden file is shown, a name that is
// neither file nor folder raises EInOutError), and SplitEnteredPath.
#include <sys/stat.h>
#include <unistd.h>

#include <climits>

#include "platform/rtl/Exceptions.h"
#include "skin/shell/bsFileFilterCtrls.h"
#include "skin/shell/bsfilectrl.h"
#include "tests/skin/shell/ShellViewsFixture.h"

namespace shellctltest {
namespace {

class FileListLinksTest : public ShellViewsTest {
 protected:
  void SetUp() override {
    ShellViewsTest::SetUp();
    tree.Dir("fl/sub/deeper");
    tree.Dir("fl/.hiddendir");
    tree.File("fl/clip.mp4");
    tree.File("fl/song.mp3");
    tree.File("fl/.secret.mp4");
    tree.File("fl/locked.avi");
    ::chmod(tree.Path("fl/locked.avi").c_str(), 0444);
    tree.File("fl/sub/inner.mp4");
  }
  static std::vector<String> Entries(TbsSkinListBox* l) {
    std::vector<String> r;
    for (int i = 0; i < l->Items()->Count(); ++i) r.push_back(l->Items()->Strings(i));
    std::sort(r.begin(), r.end());
    return r;
  }
  TbsSkinFileListBox* FileList() {
    auto* f = Make<TbsSkinFileListBox>(220, 8, 200, 300);
    f->SetDirectory(U(tree.Path("fl")));
    return f;
  }
  TKeepCwd keep;
};

TEST_F(FileListLinksTest, EachFileTypeListsItsEntries) {
  auto* f = FileList();
  struct Case {
    TbsFileType Type;
    std::vector<String> Want;
  } cases[] = {
      {TbsFileType{bsftNormal}, {u"clip.mp4", u"locked.avi", u"song.mp3"}},
      {TbsFileType{bsftNormal, bsftDirectory}, {u"[.]", u"[..]", u"[sub]", u"clip.mp4", u"locked.avi", u"song.mp3"}},
      {TbsFileType{bsftDirectory}, {u"[.]", u"[..]", u"[sub]"}},
      {TbsFileType{bsftHidden}, {u".secret.mp4"}},
      {TbsFileType{bsftReadOnly}, {u"locked.avi"}},
      {TbsFileType{}, {}},
  };
  for (const Case& c : cases) {
    f->SetFileType(c.Type);
    std::vector<String> want = c.Want;
    std::sort(want.begin(), want.end());
    EXPECT_EQ(Entries(f), want) << "FileType bits " << int(c.Type.Contains(bsftNormal)) << int(c.Type.Contains(bsftDirectory))
                                << int(c.Type.Contains(bsftHidden)) << int(c.Type.Contains(bsftReadOnly));
  }
  f->SetFileType(TbsFileType{bsftNormal});
  f->SetMask(u"*.mp4;*.MP4");
  EXPECT_EQ(Entries(f), (std::vector<String>{u"clip.mp4", u"clip.mp4"})) << "a file both patterns find is listed twice";
}

TEST_F(FileListLinksTest, TypedPathsEnterFoldersSetMasksAndRaiseForNothing) {
  auto* f = FileList();
  auto* edit = Make<forms::TEdit>(8, 320, 200, 21);
  f->SetFileEdit(edit);
  struct Case {
    const char* Typed;      // relative to the tree, or as typed when it starts with '~'
    const char* WantDir;    // tree path of Directory afterwards
    const char16_t* Mask;
    const char16_t* Selected;
  } cases[] = {
      {"fl/sub", "fl/sub", u"*.*", u""},                   // a folder is entered
      {"~..", "fl", u"*.*", u""},                          // relative to the listed folder
      {"~*.mp3", "fl", u"*.mp3", u""},                     // a mask
      {"fl/sub/inner.mp4", "fl/sub", u"inner.mp4", u"inner.mp4"},  // hidden by the mask: it becomes the mask
      {"~[deeper]", "fl/sub/deeper", u"inner.mp4", u""},   // the list's own form of a folder
  };
  for (const Case& c : cases) {
    const std::string typed = c.Typed;
    f->ApplyFilePath(typed[0] == '~' ? U(typed.substr(1)) : U(tree.Path(typed)));
    EXPECT_EQ(f->Directory(), U(tree.Path(c.WantDir))) << c.Typed;
    EXPECT_EQ(f->Mask(), String(c.Mask)) << c.Typed;
    EXPECT_EQ(f->GetSelectedName(), String(c.Selected)) << c.Typed;
  }
  f->ApplyFilePath(U(tree.Path("fl")));
  f->SetMask(u"*.*");
  EXPECT_EQ(edit->Text(), u"*.*") << "nothing selected: the edit shows the mask";
  f->ApplyFilePath(U(tree.Path("fl/clip.mp4")));
  EXPECT_EQ(edit->Text(), u"clip.mp4");
  EXPECT_EQ(f->FileName(), U(tree.Path("fl/clip.mp4")));
  const std::vector<String> before = Entries(f);
  EXPECT_THROW(f->ApplyFilePath(U(tree.Path("fl/nothing-here"))), rtl::EInOutError);
  EXPECT_EQ(f->Directory(), U(tree.Path("fl")));
  EXPECT_EQ(Entries(f), before);
}

TEST_F(FileListLinksTest, DriveComboDirectoryListAndFileListMoveTogether) {
  auto* combo = Make<TbsSkinDriveComboBox>(8, 8, 200, 22);
  auto* dirs = Make<TbsSkinDirectoryListBox>(8, 40, 200, 260);
  auto* f = FileList();
  combo->SetDirList(dirs);
  dirs->SetFileList(f);
  EXPECT_EQ(dirs->FileList(), f);
  EXPECT_EQ(f->DirList(), dirs);
  EXPECT_EQ(dirs->DriveCombo(), combo);

  // Directory list -> file list.
  dirs->SetDirectory(U(tree.Path("fl/sub")));
  EXPECT_EQ(f->Directory(), U(tree.Path("fl/sub")));
  EXPECT_EQ(Entries(f), (std::vector<String>{u"inner.mp4"}));
  // A path typed into the file list navigates through the directory list.
  f->ApplyFilePath(U(tree.Path("fl")));
  EXPECT_EQ(dirs->Directory(), U(tree.Path("fl")));
  EXPECT_EQ(f->Directory(), U(tree.Path("fl")));
  // Drive combo -> directory list -> file list: "/" is always a drive.
  EXPECT_EQ(f->Drive(), MountOfPath(U(tree.Path("fl"))));
  combo->SetDrive(u"/");
  EXPECT_EQ(dirs->Drive(), u"/");
  EXPECT_EQ(f->Directory(), dirs->Directory());
  f->SetDrive(MountOfPath(U(tree.Path("fl"))));
  EXPECT_EQ(f->Drive(), MountOfPath(U(tree.Path("fl"))));

  // Links go with the linked control.
  delete f;
  EXPECT_EQ(dirs->FileList(), nullptr);
  dirs->SetDirectory(U(tree.Path("fl")));  // no file list to tell
  auto* g = FileList();
  dirs->SetFileList(g);
  delete dirs;
  EXPECT_EQ(g->DirList(), nullptr);
  EXPECT_EQ(combo->DirList(), nullptr);
}

TEST_F(FileListLinksTest, SplitEnteredPathTable) {
  ASSERT_EQ(::chdir(tree.Path("fl").c_str()), 0);
  struct Case {
    const char* Text;  // relative to fl, or absolute under the tree when it starts with '/'
    const char* Dir;   // tree path
    const char16_t* File;
  } cases[] = {
      {"clip.mp4", "fl", u"clip.mp4"}, {"sub", "fl/sub", u""},         {"sub/inner.mp4", "fl/sub", u"inner.mp4"},
      {"*.avi", "fl", u"*.avi"},       {"[sub]", "fl/sub", u""},        {"/fl/sub/deeper", "fl/sub/deeper", u""},
      {"sub/x?.mp4", "fl/sub", u"x?.mp4"},
  };
  for (const Case& c : cases) {
    const std::string t = c.Text;
    String drive, dir, file;
    SplitEnteredPath(t[0] == '/' ? U(tree.Path(t.substr(1))) : U(t), drive, dir, file);
    EXPECT_EQ(dir, U(tree.Path(c.Dir))) << c.Text;
    EXPECT_EQ(file, String(c.File)) << c.Text;
    EXPECT_EQ(drive, MountOfPath(dir)) << c.Text;
    EXPECT_EQ(Cwd(), tree.Path("fl")) << "the current directory is restored";
  }
  String drive, dir, file;
  EXPECT_THROW(SplitEnteredPath(u"missing/clip.mp4", drive, dir, file), rtl::EInOutError);
  EXPECT_THROW(SplitEnteredPath(u"neither", drive, dir, file), rtl::EInOutError);
  EXPECT_EQ(Cwd(), tree.Path("fl"));
}

}  // namespace
}  // namespace shellctltest
