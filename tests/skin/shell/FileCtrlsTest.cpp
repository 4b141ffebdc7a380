// The drive combo box and the directory list box: path routines, entries,
// navigation through the current directory, errors, links.
#include <unistd.h>

#include <climits>

#include "platform/forms/FormRender.h"
#include "platform/forms/StdCtrls.h"
#include "platform/gdi/Bitmap.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Streams.h"
#include "resources/tvlResources.h"
#include "skin/data/bsCompressedStoredSkin.h"
#include "skin/data/bsSkinData.h"
#include "skin/shell/bsfilectrl.h"
#include "tests/skin/shell/ShellViewsFixture.h"
#include "tests/support/Looks.h"

namespace shellctltest {
namespace {

struct TTestDirList : TbsSkinDirectoryListBox {
  using TbsSkinDirectoryListBox::TbsSkinDirectoryListBox;
  using TbsSkinDirectoryListBox::ListBoxDblClick;
  using TbsSkinDirectoryListBox::ListBoxKeyPress;
};

class FileCtrlsTest : public ShellViewsTest {
 protected:
  void TearDown() override {
    shell::SetMountInfoFileForTests("");
    ShellViewsTest::TearDown();
  }
  std::vector<String> Entries(TbsSkinDirectoryListBox* d) {
    std::vector<String> r;
    for (int i = 0; i < d->Items()->Count(); ++i) r.push_back(d->Items()->Get(i));
    return r;
  }
  TKeepCwd keep;
};

TEST(FilePaths, JoinDepthAndShortening) {
  EXPECT_EQ(JoinPath(u"/a", u"b"), u"/a/b");
  EXPECT_EQ(JoinPath(u"/", u"b"), u"/b");
  EXPECT_EQ(PathDepth(u"/"), 1);
  EXPECT_EQ(PathDepth(u"/a/b/c"), 3);
  struct Case {
    const char16_t* In;
    const char16_t* Out;
  } cuts[] = {{u"/", u""}, {u"/a/b/c/", u"/.../b/c/"}, {u"/.../b/c/", u"/.../c/"}, {u"/.../c/", u"/.../"},
              {u"a/b/", u".../b/"}, {u"a/", u".../"}, {u".../", u""}};
  for (const auto& c : cuts) {
    String d = c.In;
    CutFirstPathLevel(d);
    EXPECT_EQ(d, c.Out) << rtl::StringToUtf8(c.In);
  }
  gdi::TBitmap b(1, 1);
  gdi::TCanvas* cv = b.Canvas();
  const String p = u"/home/用户/视频/片段/name.mp4";
  EXPECT_EQ(ShortenPathToWidth(p, cv, 10000), p);
  EXPECT_EQ(ShortenPathToWidth(p, cv, 1), u"name.mp4");
  const String mid = ShortenPathToWidth(p, cv, cv->TextWidth(u"/.../片段/name.mp4"));
  EXPECT_EQ(mid, u"/.../片段/name.mp4");
}

TEST_F(FileCtrlsTest, DirectoryEntriesLevelsCurrentAndSortedSubfolders) {
  tree.Dir("dl/work/Beta");
  tree.Dir("dl/work/alpha");
  tree.Dir("dl/work/.hidden");
  tree.Dir("dl/work/中文 目录");
  tree.File("dl/work/file.mp4");
  ASSERT_EQ(::chdir(tree.Path("dl/work").c_str()), 0);
  auto* d = Make<TTestDirList>(8, 8, 200, 300);
  Pump();
  const std::string root = tree.Root();  // /tmp/tvl-shell-XXXXXX
  const std::vector<String> expected = {u"/", u"tmp", U(root.substr(5)), u"dl", u"work",
                                        u"alpha", u"Beta", u"中文 目录"};
  EXPECT_EQ(Entries(d), expected);
  EXPECT_EQ(d->ItemIndex(), 4);
  EXPECT_EQ(d->EntryKind(0), fgOpenFolder);
  EXPECT_EQ(d->EntryKind(4), fgCurrentFolder);
  EXPECT_EQ(d->EntryKind(5), fgClosedFolder);
  EXPECT_EQ(d->GetItemPath(0), u"/");
  EXPECT_EQ(d->GetItemPath(1), u"/tmp");
  EXPECT_EQ(d->GetItemPath(3), U(tree.Path("dl")));
  EXPECT_EQ(d->GetItemPath(4), U(tree.Path("dl/work")));
  EXPECT_EQ(d->GetItemPath(6), U(tree.Path("dl/work/Beta")));
  EXPECT_EQ(d->GetItemPath(99), u"");

  int changes = 0;
  d->OnChange = [&](rtl::TObject*) { ++changes; };
  // Into a subfolder, up a level, onto the current entry (nothing changes).
  d->SetItemIndex(7);
  d->ListBoxDblClick();
  EXPECT_EQ(d->Directory(), U(tree.Path("dl/work/中文 目录")));
  EXPECT_EQ(Cwd(), tree.Path("dl/work/中文 目录"));
  d->SetItemIndex(3);
  char16_t enter = 13;
  d->ListBoxKeyPress(enter);
  EXPECT_EQ(d->Directory(), U(tree.Path("dl")));
  EXPECT_EQ(changes, 2);
  d->SetItemIndex(3);
  d->ListBoxDblClick();
  EXPECT_EQ(changes, 2);

  // The root: one current entry, then the folders below it.
  d->SetDirectory(u"/");
  EXPECT_EQ(d->Items()->Get(0), u"/");
  EXPECT_EQ(d->EntryKind(0), fgCurrentFolder);
  EXPECT_EQ(d->ItemIndex(), 0);
  EXPECT_EQ(d->EntryKind(1), fgClosedFolder);
}

TEST_F(FileCtrlsTest, SettingDirectoryFormsAndErrors) {
  tree.Dir("sd/sub");
  tree.File("sd/clip.mp4");
  ASSERT_EQ(::chdir(tree.Path("sd").c_str()), 0);
  auto* d = Make<TTestDirList>(8, 8, 200, 300);
  auto* label = Make<forms::TLabel>(8, 320, 60, 20);
  label->SetAutoSize(false);
  d->SetDirLabel(label);
  EXPECT_LE(gdi::TBitmap(1, 1).Canvas()->TextWidth(label->Caption()), 60 + 10);
  EXPECT_NE(label->Caption().find(u"sd"), String::npos);

  d->SetDirectory(u"[sub]");
  EXPECT_EQ(d->Directory(), U(tree.Path("sd/sub")));
  d->SetDirectory(U(tree.Path("sd/clip.mp4")));
  EXPECT_EQ(d->Directory(), U(tree.Path("sd"))) << "a file name enters its folder";
  d->SetDirectory(u"sub");
  EXPECT_EQ(d->Directory(), U(tree.Path("sd/sub"))) << "relative to the list's directory";

  const int count = d->Items()->Count();
  EXPECT_THROW(d->SetDirectory(U(tree.Path("sd/missing"))), rtl::EInOutError);
  EXPECT_EQ(d->Directory(), U(tree.Path("sd/sub")));
  EXPECT_EQ(d->Items()->Count(), count);
  if (::geteuid() != 0) {
    tree.Dir("sd/locked");
    ::chmod(tree.Path("sd/locked").c_str(), 0);
    EXPECT_THROW(d->SetDirectory(U(tree.Path("sd/locked"))), rtl::EInOutError);
  }
  delete label;
  EXPECT_EQ(d->DirLabel(), nullptr);
}

TEST_F(FileCtrlsTest, DrivesAreTheMountsWithGlyphsLabelsAndTheirList) {
  tree.Dir("m/net");
  tree.Dir("m/cd");
  tree.Dir("m/ram/inside");
  tree.Dir("m/disk");
  shell::SetMountInfoFileForTests(tree.File("mountinfo",
      "21 1 8:1 / / rw - ext4 /dev/sda1 rw\n"
      "22 21 0:5 / /proc rw - proc proc rw\n"
      "23 21 0:40 / " + tree.Path("m/net") + " rw - nfs4 Server:/Share rw\n"
      "24 21 11:0 / " + tree.Path("m/cd") + " ro - iso9660 /dev/sr0 ro\n"
      "25 21 0:41 / " + tree.Path("m/ram") + " rw - tmpfs tmpfs rw\n"
      "26 21 8:2 / " + tree.Path("m/disk") + " rw - ext4 /dev/sda2 rw\n"));
  ASSERT_EQ(::chdir(tree.Path("m/disk").c_str()), 0);
  auto* dc = Make<TbsSkinDriveComboBox>(8, 8, 300, 24);
  auto* d = Make<TTestDirList>(8, 40, 200, 300);
  dc->SetDirList(d);
  EXPECT_EQ(d->DriveCombo(), dc);
  // The RAM disk is one of the system's own trees, which are no drives.
  ASSERT_EQ(dc->Items()->Count(), 4);
  EXPECT_EQ(dc->EntryDrive(0), u"/");
  EXPECT_EQ(dc->Drive(), U(tree.Path("m/disk")));
  EXPECT_EQ(dc->EntryDrive(dc->ItemIndex()), U(tree.Path("m/disk")));
  int net = -1, cd = -1, ram = -1;
  for (int i = 0; i < 4; ++i) {
    if (dc->EntryDrive(i) == U(tree.Path("m/net"))) net = i;
    if (dc->EntryDrive(i) == U(tree.Path("m/cd"))) cd = i;
    if (dc->EntryDrive(i) == U(tree.Path("m/ram"))) ram = i;
  }
  ASSERT_GE(net, 0);
  EXPECT_EQ(dc->Items()->Get(net), U(tree.Path("m/net")) + u" server:/share");
  dc->SetTextCase(tcUpperCase);
  EXPECT_EQ(dc->Items()->Get(net), U(tree.Path("m/net")) + u" SERVER:/SHARE");
  EXPECT_EQ(dc->Drive(), U(tree.Path("m/disk"))) << "the drive stays over a refill";
  // Each entry shows the glyph of its kind, pixel for pixel.
  auto sameGlyph = [](const gdi::TBitmap* a, const gdi::TBitmap* b) {
    if (!a || !b || a->Width() != b->Width() || a->Height() != b->Height()) return false;
    for (int y = 0; y < a->Height(); ++y)
      for (int x = 0; x < a->Width(); ++x)
        if (a->GetSurface()->GetPixel(x, y) != b->GetSurface()->GetPixel(x, y)) return false;
    return true;
  };
  const int disk = dc->ItemIndex();
  for (const auto& [entry, glyph] : {std::pair{0, fgHard}, std::pair{disk, fgHard}, std::pair{net, fgNetwork},
                                     std::pair{cd, fgCDROM}}) {
    std::unique_ptr<gdi::TBitmap> want(MakeFileGlyph(glyph));
    EXPECT_TRUE(sameGlyph(dc->EntryGlyph(entry), want.get())) << "entry " << entry << ", glyph " << int(glyph);
  }
  EXPECT_EQ(ram, -1);
  std::unique_ptr<gdi::TBitmap> ramGlyph(MakeFileGlyph(fgRAM)), folder(MakeFileGlyph(fgOpenFolder));
  EXPECT_EQ(ramGlyph->Height(), 11);
  EXPECT_EQ(folder->Height(), 15);
  EXPECT_EQ(dc->Items()->Get(cd), U(tree.Path("m/cd")) + u" []");

  // Choosing a drive moves the directory list there; a directory on
  // another drive moves the combo box.
  tree.Dir("m/net/inside");
  dc->SetDrive(U(tree.Path("m/net")));
  EXPECT_EQ(dc->ItemIndex(), net);
  EXPECT_EQ(d->Directory(), U(tree.Path("m/net")));
  EXPECT_EQ(d->Items()->Get(d->Items()->Count() - 1), u"inside");
  d->SetDirectory(U(tree.Path("m/cd")));
  EXPECT_EQ(dc->Drive(), U(tree.Path("m/cd")));
  EXPECT_EQ(dc->ItemIndex(), cd);
  dc->SetDrive(u"");
  EXPECT_EQ(dc->ItemIndex(), -1);
  delete d;
  EXPECT_EQ(dc->DirList(), nullptr);
}

TEST_F(FileCtrlsTest, GalleryOfTheDriveAndDirectoryLists) {
  tree.Dir("g/视频/旅行");
  tree.Dir("g/视频/Beta 片段");
  tree.Dir("g/视频/毕业");
  ASSERT_EQ(::chdir(tree.Path("g/视频").c_str()), 0);
  const char* dir = std::getenv("TVL_TEST_PICTURES");
  testsupport::TShot plainCombo, plainList;
  for (const std::u16string skinName : {u"", u"金属光泽"}) {
    delete form;
    form = new forms::TForm(forms::Application);
    form->SetBounds(40, 40, 340, 300);
    form->AfterConstruction();
    form->Show();
    std::unique_ptr<TbsCompressedStoredSkin> stored;
    std::unique_ptr<TbsSkinData> sd;
    for (int i = 0; i < resources::StoredSkinCount() && !skinName.empty(); ++i)
      if (resources::StoredSkinName(i) == skinName) {
        const auto& r = resources::StoredSkin(i);
        stored = std::make_unique<TbsCompressedStoredSkin>(nullptr);
        rtl::TMemoryStream in;
        in.WriteBuffer(r.Data, rtl::Int64(r.Size));
        stored->LoadFromCompressStream(in);
        sd = std::make_unique<TbsSkinData>(nullptr);
        sd->LoadCompressedStoredSkin(stored.get());
      }
    auto* dc = Make<TbsSkinDriveComboBox>(8, 8, 300, 24);
    auto* d = Make<TTestDirList>(8, 40, 300, 200);
    auto* label = Make<forms::TLabel>(8, 250, 300, 20);
    if (sd) {
      dc->SetSkinData(sd.get());
      d->SetSkinData(sd.get());
    }
    dc->SetDirList(d);
    d->SetDirLabel(label);
    d->Update();
    Pump();
    EXPECT_EQ(d->Items()->Get(d->ItemIndex()), u"视频");
    const std::string file = skinName.empty() ? "skin_filectrl_plain.png" : "skin_filectrl_metal.png";
    EXPECT_TRUE(forms::RenderToPng(form, std::string(dir ? dir : ".") + "/" + file));
    // The current folder's row is drawn selected; skinned, both lists differ
    // from their plain looks.
    SCOPED_TRACE(file);
    const int current = d->ItemIndex();
    testsupport::ExpectStateShows("the current folder's row", d, [&] { d->SetItemIndex(-1), Pump(); },
                                  [&] { d->SetItemIndex(current), Pump(); });
    const testsupport::TShot combo = testsupport::Shot(dc), list = testsupport::Shot(d);
    if (skinName.empty()) {
      plainCombo = combo;
      plainList = list;
    } else {
      EXPECT_GT(testsupport::Changed(combo, plainCombo), 0.0) << "the drive list looks plain";
      EXPECT_GT(testsupport::Changed(list, plainList), 0.0) << "the folder list looks plain";
    }
  }
}

}  // namespace
}  // namespace shellctltest
