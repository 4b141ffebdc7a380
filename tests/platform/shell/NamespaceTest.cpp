#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "platform/rtl/FileSys.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/Strings.h"
#include "platform/shell/ShellNamespace.h"
#include "tests/platform/shell/ShellFixture.h"

using namespace shell;
using rtl::S;

namespace {

TItemList L(PItemIDList p) { return TItemList(p); }

TItemList Names(std::initializer_list<const char*> names) {
  TItemList r(EmptyItemList());
  for (const char* n : names) {
    TItemList item(MakeItem(TItemKind::Name, 0, n));
    r = TItemList(ItemListJoin(r.get(), item.get()));
  }
  return r;
}

// The shell unit started with HOME and the XDG configuration in a fixture.
class NamespaceTest : public ::testing::Test {
 protected:
  void SetUp() override { InitShellNamespace(); }
  void TearDown() override {
    DoneShellNamespace();
    SetMountInfoFileForTests("");
  }

  std::unique_ptr<TbsShellFolder> Folder(const std::string& path) {
    TItemList list;
    EXPECT_EQ(GetDesktopShellFolder()->ParseDisplayName(rtl::FileNameToString(path), list), 0) << path;
    return std::unique_ptr<TbsShellFolder>(FolderObjectFromItemList(list.get()));
  }

  static std::vector<String> DisplayNames(const std::vector<std::unique_ptr<TbsShellFolder>>& items) {
    std::vector<String> r;
    for (auto& i : items) r.push_back(i->DisplayName());
    return r;
  }

  TTempTree tree;
};

}  // namespace

TEST(ItemIdList, SizesJoinsAndCuts) {
  EXPECT_EQ(ItemListByteSize(nullptr), 0u);
  TItemList empty(EmptyItemList());
  EXPECT_EQ(ItemListByteSize(empty.get()), 2u);
  EXPECT_EQ(ItemListCount(empty.get()), 0);

  TItemList a = Names({"a"}), b = Names({"bb"});
  const size_t cbA = ItemListByteSize(a.get()) - 2, cbB = ItemListByteSize(b.get()) - 2;
  TItemList ab = L(ItemListJoin(a.get(), b.get()));
  EXPECT_EQ(ItemListCount(ab.get()), 2);
  EXPECT_EQ(ItemListByteSize(ab.get()), cbA + cbB + 2);
  EXPECT_TRUE(ItemListsSame(L(ItemListJoin(nullptr, a.get())).get(), a.get()));
  EXPECT_TRUE(ItemListsSame(L(ItemListJoin(a.get(), empty.get())).get(), a.get()));

  TItemList one = Names({"x"});
  ItemListStripLast(one.get());
  EXPECT_EQ(ItemListCount(one.get()), 0);
  ItemListStripLast(empty.get());
  EXPECT_EQ(ItemListByteSize(empty.get()), 2u);

  TItemList abc = Names({"A", "B", "C"});
  EXPECT_TRUE(ItemListsSame(L(ItemListLastId(abc.get())).get(), Names({"C"}).get()));
  EXPECT_TRUE(ItemListsSame(L(ItemListLastId(empty.get())).get(), empty.get()));

  auto anc = ItemListAncestors(abc.get());
  ASSERT_EQ(anc.size(), 3u);
  EXPECT_TRUE(ItemListsSame(anc[0], empty.get()));
  EXPECT_TRUE(ItemListsSame(anc[1], Names({"A"}).get()));
  EXPECT_TRUE(ItemListsSame(anc[2], Names({"A", "B"}).get()));
  ItemListAncestorsFree(anc);
  EXPECT_TRUE(ItemListAncestors(empty.get()).empty());
  auto single = ItemListAncestors(Names({"A"}).get());
  ASSERT_EQ(single.size(), 1u);
  EXPECT_EQ(ItemListByteSize(single[0]), 2u);
  ItemListAncestorsFree(single);
}

TEST(FileNames, EveryByteStringSurvivesTheRoundTrip) {
  const std::string cases[] = {
      "plain.avi", "中文 文件夹", "\xff\xfe bad", "caf\xe9.mp3" /* Latin-1 */, "\xc0\xaf" /* overlong '/' */,
      "\xed\xa0\x80" /* encoded surrogate */, "cut \xe4\xb8", "\xe4\xb8\xad\x80", "\xf0\x9f\x8e\xac movie",
      std::string("\x80\x81\xbf", 3)};
  for (const std::string& bytes : cases) {
    const String s = rtl::FileNameToString(bytes);
    EXPECT_EQ(rtl::StringToFileName(s), bytes);
    EXPECT_EQ(s.find(u'\uFFFD'), String::npos);
  }
  // Well-formed names read as the ordinary conversion reads them.
  EXPECT_EQ(rtl::FileNameToString("中文 文件夹"), S("中文 文件夹"));
  EXPECT_EQ(rtl::FileNameToString("\xf0\x9f\x8e\xac"), rtl::Utf8ToString("\xf0\x9f\x8e\xac"));
}

TEST(IconKinds, ByExtensionWithoutRegardToCase) {
  const std::pair<const char16_t*, TShellIconKind> cases[] = {
      {u"a.MP4", ikVideo}, {u"b.rmvb", ikVideo}, {u"c.Mp3", ikAudio}, {u"d.flac", ikAudio},
      {u"e.JPG", ikPicture}, {u"f.png", ikPicture}, {u"g.txt", ikOther}, {u"noext", ikOther},
      {u"dir.avi/file", ikOther}, {u"h.dvr-ms", ikVideo}};
  for (auto [name, kind] : cases) EXPECT_EQ(IconKindOfFileName(name), kind) << rtl::U8(name);
}

TEST_F(NamespaceTest, FixtureFolderEnumeratesWithNamesKindsAndHiddenFiles) {
  tree.Dir("d/中文 文件夹");
  tree.Dir("d/.hidden dir");
  tree.File("d/a file.MP4");
  tree.File("d/.profile");
  tree.File("d/Song.mp3");
  tree.File("d/pic.JPG");
  tree.File("d/notes.txt");
  const std::string odd = "bad\xff\xfe name.avi";
  tree.File("d/" + odd, "raw bytes");
  auto dir = Folder(tree.Path("d"));

  std::vector<std::unique_ptr<TbsShellFolder>> items;
  ASSERT_EQ(EnumerateChildren(dir.get(), Bit(otFolders) | Bit(otNonFolders), items), 0);
  SortShellFolders(items);
  const std::vector<String> expected = {S("中文 文件夹"), S("a file.MP4"), rtl::FileNameToString(odd),
                                        S("notes.txt"), S("pic.JPG"), S("Song.mp3")};
  EXPECT_EQ(DisplayNames(items), expected);
  const TShellIconKind kinds[] = {ikFolder, ikVideo, ikVideo, ikOther, ikPicture, ikAudio};
  for (size_t i = 0; i < items.size(); ++i) EXPECT_EQ(items[i]->IconKind(), kinds[i]) << i;
  EXPECT_TRUE(items[0]->IsFolder());
  EXPECT_FALSE(items[1]->IsFolder());
  EXPECT_EQ(items[0]->Level(), 1);

  // The undecodable name still opens its file, through our own conversion
  // and through the runtime library's file functions.
  const String full = items[2]->FullObjectName();
  EXPECT_EQ(rtl::StringToFileName(full), tree.Path("d/" + odd));
  EXPECT_TRUE(rtl::FileExists(full));
  EXPECT_EQ(rtl::FileSize(full), 9);
  rtl::TFileStream stream(full, rtl::fmOpenRead);
  EXPECT_EQ(stream.Size(), 9);
  rtl::TSearchRec rec;
  ASSERT_EQ(rtl::FindFirst(S(tree.Path("d/bad*")), rtl::faAnyFile, rec), 0);
  EXPECT_EQ(rec.Name, items[2]->DisplayName());
  rtl::FindClose(rec);

  // Hidden entries only on request, and marked as such.
  ASSERT_EQ(EnumerateChildren(dir.get(), Bit(otFolders) | Bit(otNonFolders) | Bit(otHidden), items), 0);
  EXPECT_EQ(items.size(), 8u);
  ASSERT_EQ(EnumerateChildren(dir.get(), Bit(otFolders) | Bit(otHidden), items), 0);
  SortShellFolders(items);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0]->DisplayName(), u".hidden dir");
  EXPECT_TRUE(items[0]->Properties() & Bit(fpCut));
  EXPECT_FALSE(items[1]->Properties() & Bit(fpCut));
  ASSERT_EQ(EnumerateChildren(dir.get(), Bit(otNonFolders), items), 0);
  EXPECT_EQ(items.size(), 5u);
}

TEST_F(NamespaceTest, TenThousandFilesEnumerateAndSortInNumberOrder) {
  const std::string big = tree.Dir("big");
  for (int i = 0; i < 10000; ++i) tree.File("big/File" + std::to_string(i) + ".avi", "");
  tree.Dir("big/zfolder");
  tree.Dir("big/Afolder");
  auto dir = Folder(big);
  std::vector<std::unique_ptr<TbsShellFolder>> items;
  ASSERT_EQ(EnumerateChildren(dir.get(), Bit(otFolders) | Bit(otNonFolders), items), 0);
  ASSERT_EQ(items.size(), 10002u);
  SortShellFolders(items);
  EXPECT_EQ(items[0]->DisplayName(), u"Afolder");
  EXPECT_EQ(items[1]->DisplayName(), u"zfolder");
  for (int i = 0; i < 10000; ++i) ASSERT_EQ(items[2 + i]->DisplayName(), S("File" + std::to_string(i) + ".avi"));
}

TEST_F(NamespaceTest, NamesCompareWithoutCaseAndDigitRunsByValue) {
  const std::string d = tree.Dir("cmp");
  const char* names[] = {"b", "A", "a10", "a9", "a09x", "Émile", "émile2", "中"};
  for (const char* n : names) tree.File(std::string("cmp/") + n);
  auto dir = Folder(d);
  std::vector<std::unique_ptr<TbsShellFolder>> items;
  ASSERT_EQ(EnumerateChildren(dir.get(), Bit(otNonFolders), items), 0);
  SortShellFolders(items);
  const std::vector<String> expected = {u"A", u"a9", u"a09x", u"a10", u"b", S("Émile"), S("émile2"), S("中")};
  EXPECT_EQ(DisplayNames(items), expected);
  const PShellFolder sf = dir->ShellFolder();
  TItemList x = Names({"X"}), x2 = Names({"x"});
  // Equal apart from case: ordered, never equal, so a sort stays total.
  EXPECT_NE(sf->CompareIDs(0, x.get(), x2.get()), 0);
  EXPECT_EQ(sf->CompareIDs(0, x.get(), x2.get()), -sf->CompareIDs(0, x2.get(), x.get()));
}

TEST_F(NamespaceTest, UnreadableFolderReportsItsErrorAndNothingBreaks) {
  tree.File("plain.txt");
  const std::string gone = tree.Dir("gone");
  auto goneFolder = Folder(gone);
  ::rmdir(gone.c_str());
  std::vector<std::unique_ptr<TbsShellFolder>> items;
  EXPECT_EQ(EnumerateChildren(goneFolder.get(), Bit(otFolders) | Bit(otNonFolders), items), ENOENT);
  EXPECT_TRUE(items.empty());
  EXPECT_NE(FolderErrorText(goneFolder.get(), ENOENT).find(S(gone)), String::npos);
  EXPECT_FALSE(FolderHasItems(goneFolder->ShellFolder(), SHCONTF_FOLDERS));
  EXPECT_EQ(goneFolder->Properties(), 0u);  // a failed query gives no bits

  // A file is no folder: it has no shell folder to enumerate.
  auto file = Folder(tree.Path("plain.txt"));
  EXPECT_EQ(file->ShellFolder(), nullptr);
  EXPECT_EQ(EnumerateChildren(file.get(), Bit(otNonFolders), items), ENOTDIR);
}

TEST_F(NamespaceTest, FolderWithoutReadPermissionFailsForAnOrdinaryUser) {
  // Root reads every folder, so the check runs in a child that has become
  // the unprivileged user "nobody".
  const std::string locked = tree.Dir("locked");
  tree.File("locked/secret");
  ::chmod(locked.c_str(), 0);
  auto folder = Folder(locked);
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    if (::getuid() == 0 && ::setuid(65534) != 0) ::_exit(90);
    std::vector<std::unique_ptr<TbsShellFolder>> items;
    const int code = EnumerateChildren(folder.get(), Bit(otFolders) | Bit(otNonFolders), items);
    ::_exit(code == EACCES && items.empty() && !FolderErrorText(folder.get(), code).empty() ? 0 : 91);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(NamespaceTest, SymlinkLoopsEnd) {
  tree.Dir("loop/sub");
  tree.Link("loop/self", "self");     // resolves to itself: ELOOP
  tree.Link("loop/up", "..");          // a folder that contains itself
  tree.Link("loop/sub/back", "../..");
  auto dir = Folder(tree.Path("loop"));
  std::vector<std::unique_ptr<TbsShellFolder>> items;
  ASSERT_EQ(EnumerateChildren(dir.get(), Bit(otFolders) | Bit(otNonFolders), items), 0);
  SortShellFolders(items);
  ASSERT_EQ(DisplayNames(items), (std::vector<String>{u"sub", u"up", u"self"}));
  EXPECT_FALSE(items[2]->IsFolder());  // a loop is listed as a file
  EXPECT_TRUE(items[2]->Properties() & Bit(fpIsLink));
  EXPECT_TRUE(items[1]->IsFolder());
  EXPECT_TRUE(items[0]->SubFolders());

  // Walking down through "up" gives ever longer paths until the system
  // refuses them; each step ends.
  std::unique_ptr<TbsShellFolder> at = std::move(items[1]);
  std::vector<std::unique_ptr<TbsShellFolder>> keep;
  int steps = 0;
  for (; steps < 2000; ++steps) {
    std::vector<std::unique_ptr<TbsShellFolder>> children;
    if (EnumerateChildren(at.get(), Bit(otFolders), children) != 0) break;
    auto up = std::find_if(children.begin(), children.end(), [](auto& c) { return c->DisplayName() == u"up"; });
    if (up == children.end()) break;
    keep.push_back(std::move(at));
    at = std::move(*up);
  }
  EXPECT_LT(steps, 2000);
}

TEST_F(NamespaceTest, DesktopComputerAndUserFolders) {
  const std::string home = tree.Dir("home");
  tree.Dir("home/Videos");
  tree.Dir("home/文档");
  tree.Dir("home/.config");
  tree.File("home/.config/user-dirs.dirs",
            "# comment\nXDG_DOCUMENTS_DIR=\"$HOME/文档\"\nXDG_VIDEOS_DIR=\"$HOME/Videos\"\n"
            "XDG_MUSIC_DIR=\"$HOME/Missing\"\nXDG_DESKTOP_DIR=\"$HOME/\"\n");
  TEnvSetting h("HOME", home), x("XDG_CONFIG_HOME", home + "/.config");
  tree.Dir("mnt/usb stick");
  tree.File("hosts");
  tree.File("mountinfo",
            "21 1 8:1 / / rw - overlay overlay rw\n"
            "22 21 0:5 / /proc rw - proc proc rw\n"
            "23 21 0:6 / /tmp rw - tmpfs tmpfs rw\n"
            "24 21 8:17 / " + tree.Path("mnt/usb\\040stick") + " rw shared:1 - vfat /dev/null rw\n"
            "25 21 8:1 /etc/hosts " + tree.Path("hosts") + " rw - ext4 /dev/sda1 rw\n"
            "26 21 8:2 / " + tree.Path("mnt") + " rw - ext4 /dev/sda2 rw\n");
  SetMountInfoFileForTests(tree.Path("mountinfo"));

  TbsShellFolder* desktop = DesktopFolderObject();
  ASSERT_NE(desktop, nullptr);
  EXPECT_EQ(desktop->Level(), 0);
  EXPECT_EQ(desktop->Parent(), nullptr);
  EXPECT_EQ(desktop->DisplayName(), S("桌面"));
  std::vector<std::unique_ptr<TbsShellFolder>> top;
  ASSERT_EQ(EnumerateChildren(desktop, Bit(otFolders) | Bit(otNonFolders), top), 0);
  EXPECT_EQ(DisplayNames(top), (std::vector<String>{S("主文件夹"), S("文档"), u"Videos", S("计算机"), S("文件系统")}));
  EXPECT_EQ(top[0]->PathName(), S(home));
  EXPECT_EQ(top[3]->PathName(), S("计算机"));  // the computer has no path: its name stands
  EXPECT_EQ(top[3]->FullObjectName(), u"");
  EXPECT_EQ(top[3]->IconKind(), ikComputer);
  EXPECT_EQ(top[4]->IconKind(), ikDrive);
  EXPECT_EQ(top[1]->IconKind(), ikFolder);

  std::vector<std::unique_ptr<TbsShellFolder>> drives;
  ASSERT_EQ(EnumerateChildren(top[3].get(), Bit(otFolders), drives), 0);
  // "/" first; pseudo file systems and a file bound over a file left out.
  ASSERT_EQ(drives.size(), 3u);
  EXPECT_EQ(drives[0]->FullObjectName(), u"/");
  EXPECT_EQ(drives[1]->FullObjectName(), S(tree.Path("mnt")));
  EXPECT_EQ(drives[2]->FullObjectName(), S(tree.Path("mnt/usb stick")));
  EXPECT_EQ(drives[2]->DisplayName(), u"usb stick");
  EXPECT_EQ(drives[2]->IconKind(), ikDrive);

  // A path parses through the computer and its deepest mount point, and two
  // routes to one folder are the same item.
  TItemList parsed;
  ASSERT_EQ(GetDesktopShellFolder()->ParseDisplayName(S(tree.Path("mnt/usb stick/")), parsed), 0);
  EXPECT_EQ(ItemListCount(parsed.get()), 2);
  EXPECT_TRUE(ItemListsEqual(parsed.get(), drives[2]->AbsoluteID()));
  TItemList homeParsed;
  ASSERT_EQ(GetDesktopShellFolder()->ParseDisplayName(S(home), homeParsed), 0);
  EXPECT_TRUE(ItemListsEqual(homeParsed.get(), top[0]->AbsoluteID()));
  EXPECT_FALSE(ItemListsEqual(homeParsed.get(), top[1]->AbsoluteID()));
  EXPECT_LT(GetDesktopShellFolder()->CompareIDs(0, top[0]->AbsoluteID(), top[3]->AbsoluteID()), 0);
  TItemList none;
  EXPECT_EQ(GetDesktopShellFolder()->ParseDisplayName(S(tree.Path("no such")), none), ENOENT);
  EXPECT_EQ(GetDesktopShellFolder()->ParseDisplayName(u"relative/path", none), EINVAL);
}

TEST_F(NamespaceTest, RootTextsResolveOrRaiseAndKeepTheOldRoot) {
  TRoot root = u"RFMYCOMPUTER";
  std::unique_ptr<TbsShellFolder> f(ResolveRootFolder(nullptr, u"", root));
  EXPECT_EQ(f->DisplayName(), S("计算机"));
  EXPECT_EQ(f->Level(), 0);
  EXPECT_EQ(RootFolderOrdinal(u"rftemplates"), rfTemplates);
  EXPECT_EQ(RootFolderOrdinal(u"rfNothing"), -1);

  const std::pair<const char16_t*, const char16_t*> failing[] = {
      {u"", u"Error setting path: \"\""},
      {u"rfPrinters", u"Error setting path: \"rfPrinters\""},
      {u"/no/such/folder", u"Error setting path: \"/no/such/folder\""}};
  for (auto [text, message] : failing) {
    TRoot r = text;
    try {
      ResolveRootFolder(f.get(), u"rfMyComputer", r);
      ADD_FAILURE() << rtl::U8(text);
    } catch (const rtl::Exception& e) {
      EXPECT_EQ(e.Message(), String(message));
    }
    EXPECT_EQ(r, u"rfMyComputer");
  }
  TRoot path = S(tree.Root());
  TbsShellFolder* old = f.release();
  f.reset(ResolveRootFolder(old, u"rfMyComputer", path));  // frees old
  EXPECT_EQ(f->FullObjectName(), S(tree.Root()));
}

TEST_F(NamespaceTest, RenameKeepsListsInStepAndNeverReplacesAFile) {
  tree.Dir("r/sub");
  tree.File("r/sub/old.avi", "old");
  tree.File("r/sub/taken.avi", "keep me");
  auto r = Folder(tree.Path("r"));
  std::vector<std::unique_ptr<TbsShellFolder>> subs, files;
  ASSERT_EQ(EnumerateChildren(r.get(), Bit(otFolders), subs), 0);
  ASSERT_EQ(EnumerateChildren(subs[0].get(), Bit(otNonFolders), files), 0);
  SortShellFolders(files);
  TbsShellFolder* old = files[0].get();
  ASSERT_EQ(old->DisplayName(), u"old.avi");
  EXPECT_TRUE(old->Capabilities() & Bit(fcCanRename));

  EXPECT_TRUE(old->Rename(S("新 名字.avi")));
  EXPECT_EQ(old->DisplayName(), S("新 名字.avi"));
  TItemList expected(ItemListJoin(subs[0]->AbsoluteID(), old->RelativeID()));
  EXPECT_TRUE(ItemListsSame(old->AbsoluteID(), expected.get()));
  EXPECT_TRUE(rtl::FileExists(S(tree.Path("r/sub/新 名字.avi"))));

  const std::pair<const char16_t*, const char16_t*> refused[] = {
      {u"taken.avi", u"Rename to taken.avi failed"}, {u"a/b", u"Rename to a/b failed"}, {u"", u"Rename to  failed"}};
  for (auto [name, message] : refused) {
    try {
      old->Rename(name);
      ADD_FAILURE() << rtl::U8(name);
    } catch (const rtl::Exception& e) {
      EXPECT_EQ(e.Message(), String(message));
    }
  }
  EXPECT_EQ(old->DisplayName(), S("新 名字.avi"));
  std::ifstream taken(tree.Path("r/sub/taken.avi"));
  std::string content;
  std::getline(taken, content);
  EXPECT_EQ(content, "keep me");

  // Folders reached directly (home, mount points) are not renamed here.
  std::vector<std::unique_ptr<TbsShellFolder>> top;
  ASSERT_EQ(EnumerateChildren(DesktopFolderObject(), Bit(otFolders), top), 0);
  EXPECT_FALSE(top.back()->Rename(u"x"));
}

TEST_F(NamespaceTest, FindDataAndColumnTexts) {
  tree.Dir("fd/folder");
  const std::string big = tree.File("fd/big.mkv", "");
  ASSERT_EQ(::truncate(big.c_str(), 5368709120LL), 0);  // sparse
  struct timeval times[2] = {{1700000001, 0}, {1700000001, 0}};  // an odd second
  ::utimes(big.c_str(), times);
  auto fd = Folder(tree.Path("fd"));
  std::vector<std::unique_ptr<TbsShellFolder>> items;
  ASSERT_EQ(EnumerateChildren(fd.get(), Bit(otFolders) | Bit(otNonFolders), items), 0);
  SortShellFolders(items);
  TFindData data;
  items[0]->GetFindData(data);
  EXPECT_EQ(FindDataFileSize(data), -1);
  EXPECT_EQ(FindDataModified(data), -1.0);
  // Shown to a person, a folder has no size and its own date, not the -1 of the order.
  EXPECT_EQ(FindDataColumnText(data, 1), u"");
  EXPECT_EQ(FindDataColumnText(data, 3).find(u"1899"), String::npos);
  items[1]->GetFindData(data);
  EXPECT_EQ(FindDataFileSize(data), 5368709120LL);
  EXPECT_EQ(FindDataColumnText(data, 2), u".mkv");
  EXPECT_EQ(rtl::FormatDateTime(u"ss", FindDataModified(data)), u"20");  // 21 s on the 2-second grid
  EXPECT_EQ(rtl::FormatDateTime(u"ss", rtl::UnixToLocalDateTime(1700000001)), u"21");

  // Column texts are cached until more columns are asked for.
  EXPECT_THROW(items[1]->ColumnDetail(1), rtl::Exception);
  try {
    items[1]->ColumnDetail(1);
  } catch (const rtl::Exception& e) {
    EXPECT_EQ(e.Message(), u"big.mkv: Missing call to LoadColumnDetails");
  }
  items[1]->LoadColumnDetails(fd.get(), 7, 2);
  EXPECT_EQ(items[1]->ColumnDetail(1), u"5368709120");
  EXPECT_EQ(items[1]->ViewHandle(), 7u);
  ::truncate(big.c_str(), 10);
  items[1]->LoadColumnDetails(fd.get(), 7, 2);
  EXPECT_EQ(items[1]->ColumnDetail(1), u"5368709120");
  items[1]->LoadColumnDetails(fd.get(), 7, 4);
  EXPECT_EQ(items[1]->ColumnDetail(1), u"10");
  EXPECT_EQ(items[1]->ColumnDetail(4), u"32");  // the archive bit of a regular file

  ::unlink(big.c_str());
  try {
    items[1]->GetFindData(data);
    ADD_FAILURE();
  } catch (const EInvalidPath& e) {
    EXPECT_EQ(e.Message(), u"Unable to retrieve folder details for \"big.mkv\". Error code $2");
  }
}

TEST_F(NamespaceTest, ObjectsMadeFromListsAndTheirLevels) {
  EXPECT_EQ(ObjectTypesToEnumFlags(Bit(otFolders) | Bit(otNonFolders) | Bit(otHidden)), 0xE0u);
  tree.Dir("lv/a");
  auto lv = Folder(tree.Path("lv"));
  EXPECT_EQ(lv->Level(), 0);
  EXPECT_EQ(lv->Parent(), DesktopFolderObject());
  EXPECT_EQ(lv->PathName(), S(tree.Path("lv")));
  std::vector<std::unique_ptr<TbsShellFolder>> kids;
  ASSERT_EQ(EnumerateChildren(lv.get(), Bit(otFolders), kids), 0);
  EXPECT_EQ(kids[0]->Level(), 1);
  EXPECT_EQ(kids[0]->PathName(), S(tree.Path("lv/a")));
  EXPECT_EQ(ItemDisplayText(nullptr, kids[0]->RelativeID(), 0), u"parentfolder = nil");
  EXPECT_TRUE(FolderHasItems(lv->ShellFolder(), SHCONTF_FOLDERS));
  EXPECT_FALSE(FolderHasItems(kids[0]->ShellFolder(), SHCONTF_FOLDERS | SHCONTF_NONFOLDERS));
}

TEST_F(NamespaceTest, AncestorsOfAPathLeadBackToTheDesktop) {
  SetMountInfoFileForTests(tree.File("mountinfo", "1 0 8:1 / / rw - ext4 /dev/sda1 rw\n"));
  tree.Dir("a/b");
  TItemList list;
  ASSERT_EQ(GetDesktopShellFolder()->ParseDisplayName(S(tree.Path("a/b")), list), 0);
  auto ancestors = ItemListAncestors(list.get());
  std::vector<String> names;
  for (PItemIDList l : ancestors) {
    std::unique_ptr<TbsShellFolder> f(FolderObjectFromItemList(l));
    names.push_back(f->DisplayName());
    EXPECT_TRUE(f->IsFolder() || ItemListCount(l) == 0);
  }
  ItemListAncestorsFree(ancestors);
  const std::string root = tree.Root().substr(5);  // below "/tmp/"
  EXPECT_EQ(names, (std::vector<String>{S("桌面"), S("计算机"), S("文件系统"), u"tmp", S(root), u"a"}));

  // The child "b" of the folder object of "a" is the parsed item itself.
  TItemList parentList(ItemListClone(list.get()));
  ItemListStripLast(parentList.get());
  std::unique_ptr<TbsShellFolder> a(FolderObjectFromItemList(parentList.get()));
  std::vector<std::unique_ptr<TbsShellFolder>> kids;
  ASSERT_EQ(EnumerateChildren(a.get(), Bit(otFolders), kids), 0);
  ASSERT_EQ(kids.size(), 1u);
  EXPECT_EQ(kids[0]->Parent(), a.get());
  EXPECT_TRUE(ItemListsEqual(kids[0]->AbsoluteID(), list.get()));
}
