#include "platform/rtl/FileSys.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <set>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Strings.h"

using namespace rtl;

TEST(FilePaths, PartsOfNames) {
  struct Case { String name, path, dir, file, ext; };
  const Case cases[] = {
      {u"/home/\u7528\u6237/\u89c6\u9891 \u6587\u4ef6/clip.final.mp4", u"/home/\u7528\u6237/\u89c6\u9891 \u6587\u4ef6/",
       u"/home/\u7528\u6237/\u89c6\u9891 \u6587\u4ef6", u"clip.final.mp4", u".mp4"},
      {u"/a/b/", u"/a/b/", u"/a/b", u"", u""},
      {u"/file", u"/", u"/", u"file", u""},
      {u"noext", u"", u"", u"noext", u""},
      {u"/dir.d/noext", u"/dir.d/", u"/dir.d", u"noext", u""},
      {u"/x/.bashrc", u"/x/", u"/x", u".bashrc", u".bashrc"},
      {u"name.", u"", u"", u"name.", u"."},
      {u"", u"", u"", u"", u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(U8(c.name));
    EXPECT_EQ(ExtractFilePath(c.name), c.path);
    EXPECT_EQ(ExtractFileDir(c.name), c.dir);
    EXPECT_EQ(ExtractFileName(c.name), c.file);
    EXPECT_EQ(ExtractFileExt(c.name), c.ext);
  }
  EXPECT_EQ(ChangeFileExt(u"/a.b/c", u".txt"), u"/a.b/c.txt");
  EXPECT_EQ(ChangeFileExt(u"x.tar.gz", u".zip"), u"x.tar.zip");
  EXPECT_EQ(ChangeFileExt(u"\u624b\u673a.avi", u""), u"\u624b\u673a");
  EXPECT_EQ(IncludeTrailingPathDelimiter(u"/a"), u"/a/");
  EXPECT_EQ(IncludeTrailingPathDelimiter(u"/a/"), u"/a/");
  EXPECT_EQ(ExcludeTrailingPathDelimiter(u"/a/"), u"/a");
  EXPECT_EQ(ExcludeTrailingPathDelimiter(u"/a"), u"/a");
  EXPECT_EQ(ExpandFileName(u"/a//b/../c/./d"), u"/a/c/d");
  EXPECT_EQ(ExpandFileName(u"/../.."), u"/");
  EXPECT_EQ(ExpandFileName(u"/a/b/"), u"/a/b/");
}

TEST(FileMasks, GlobsWithoutCase) {
  struct Case { String name, mask; bool matches, searchMatches; };
  const Case cases[] = {
      {u"Clip.MP4", u"*.mp4", true, true},
      {u"clip", u"*.*", false, true},  // file searches treat "*.*" as every name
      {u"readme", u"read*.*", false, true},
      {u"a.b", u"*.*", true, true},
      {u"abc", u"a?c", true, true},
      {u"ac", u"a?c", false, false},
      {u"b.txt", u"[a-c]*.txt", true, false},
      {u"d.txt", u"[!a-c]*", true, false},
      {u"a.txt", u"[!a-c]*", false, false},
      {u"[x].txt", u"[x].txt", false, true},
      {u"\u00c4B.txt", u"\u00e4b.*", true, true},
      {u"x.jpeg", u"*.jp*g", true, true},
      {u"\u89c6\u9891 1.MKV", u"\u89c6\u9891*.mkv", true, true},
      {u"", u"*", true, true},
      {u"a.mp4.part", u"*.mp4", false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MatchesMask(c.name, c.mask), c.matches) << U8(c.name) << " ~ " << U8(c.mask);
    EXPECT_EQ(MatchesSearchMask(c.name, c.mask), c.searchMatches) << U8(c.name) << " ~ " << U8(c.mask);
  }
}

namespace {

class FileSysTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/tvl-filesys-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = Utf8ToString(tmpl) + u"/";
  }
  void TearDown() override {
    std::string cmd = "rm -rf '" + U8(dir_) + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
  }
  void Write(const String& name, const std::string& bytes) {
    std::ofstream(U8(dir_ + name), std::ios::binary) << bytes;
  }
  String dir_;
};

struct Found {
  String name;
  int attr;
  Int64 size;
  bool operator<(const Found& o) const { return name < o.name; }
};

std::set<String> Names(const std::set<Found>& found) {
  std::set<String> r;
  for (const auto& f : found) r.insert(f.name);
  return r;
}

std::set<Found> Search(const String& path, int attr) {
  std::set<Found> r;
  TSearchRec sr;
  for (int rc = FindFirst(path, attr, sr); rc == 0; rc = FindNext(sr))
    r.insert({sr.Name, sr.Attr, sr.Size});
  FindClose(sr);
  return r;
}

}  // namespace

TEST_F(FileSysTest, FilesAndFolders) {
  const String video = dir_ + u"\u89c6\u9891 \u6587\u4ef6.mp4";
  Write(u"\u89c6\u9891 \u6587\u4ef6.mp4", "12345");
  Write(u"empty", "");
  EXPECT_TRUE(FileExists(video));
  EXPECT_FALSE(FileExists(dir_));
  EXPECT_TRUE(DirectoryExists(dir_));
  EXPECT_FALSE(DirectoryExists(video));
  EXPECT_FALSE(FileExists(dir_ + u"missing"));
  EXPECT_EQ(FileSize(video), 5);
  EXPECT_EQ(FileSize(dir_ + u"empty"), 0);
  EXPECT_EQ(FileSize(dir_ + u"missing"), -1);
  EXPECT_EQ(FileSize(dir_), -1);
  const Int64 huge = 5ll << 30;  // sparse, so it costs no disk space
  Write(u"huge", "");
  ASSERT_EQ(truncate(U8(dir_ + u"huge").c_str(), huge), 0);
  EXPECT_EQ(FileSize(dir_ + u"huge"), huge);
  TSearchRec sr;
  ASSERT_EQ(FindFirst(dir_ + u"huge", faAnyFile, sr), 0);
  EXPECT_EQ(sr.Size, huge);
  FindClose(sr);

  const String deep = dir_ + u"\u8f93\u51fa/a b/c/";
  EXPECT_TRUE(ForceDirectories(deep));
  EXPECT_TRUE(DirectoryExists(deep));
  EXPECT_TRUE(ForceDirectories(deep));  // already there
  EXPECT_THROW(ForceDirectories(u""), EInOutError);
  EXPECT_FALSE(ForceDirectories(video + u"/sub"));  // a file is in the way
  EXPECT_FALSE(CreateDir(deep));
  EXPECT_FALSE(RemoveDir(dir_ + u"\u8f93\u51fa"));  // not empty
  EXPECT_TRUE(RemoveDir(deep));
  EXPECT_FALSE(DeleteFile(dir_ + u"\u8f93\u51fa"));  // folders are not files

  // Renaming never replaces an existing file.
  EXPECT_FALSE(RenameFile(dir_ + u"empty", video));
  EXPECT_EQ(FileSize(video), 5);
  EXPECT_TRUE(RenameFile(video, dir_ + u"moved.mp4"));
  EXPECT_FALSE(FileExists(video));
  EXPECT_TRUE(DeleteFile(dir_ + u"moved.mp4"));
  EXPECT_FALSE(DeleteFile(dir_ + u"moved.mp4"));

  // Modification time, also through the DOS form with its 2-second steps.
  const TDateTime when = EncodeDateTime(2020, 5, 17, 10, 20, 31, 0);
  timeval tv[2] = {{LocalDateTimeToUnix(when), 0}, {LocalDateTimeToUnix(when), 0}};
  ASSERT_EQ(utimes(U8(dir_ + u"empty").c_str(), tv), 0);
  TDateTime age = 0;
  ASSERT_TRUE(FileAge(dir_ + u"empty", age));
  EXPECT_DOUBLE_EQ(age, when);
  EXPECT_DOUBLE_EQ(FileDateToDateTime(FileAge(dir_ + u"empty")),
                   EncodeDateTime(2020, 5, 17, 10, 20, 30, 0));
  EXPECT_EQ(FileAge(dir_ + u"missing"), -1);
  EXPECT_FALSE(FileAge(dir_ + u"missing", age));
  EXPECT_EQ(DateTimeToFileDate(EncodeDate(1979, 12, 31)), -1);
}

TEST_F(FileSysTest, FindFirstFiltersByMaskAndAttributes) {
  Write(u"Clip.MP4", "abc");
  Write(u"b.mp4", "");
  Write(u"\u89c6\u9891 1.mp4", "x");
  Write(u"noext", "");
  Write(u".hidden.mp4", "");
  Write(u"ro.txt", "");
  chmod(U8(dir_ + u"ro.txt").c_str(), 0444);
  ASSERT_TRUE(CreateDir(dir_ + u"sub"));
  ASSERT_TRUE(CreateDir(dir_ + u".cache"));

  using S = std::set<String>;
  const S files = {u"Clip.MP4", u"b.mp4", u"\u89c6\u9891 1.mp4", u"noext", u"ro.txt"};
  auto with = [](S s, std::initializer_list<String> more) {
    s.insert(more);
    return s;
  };
  struct Case { String mask; int attr; S names; };
  const Case cases[] = {
      {u"*.mp4", 0, {u"Clip.MP4", u"b.mp4", u"\u89c6\u9891 1.mp4"}},
      {u"*.MP4", faAnyFile, {u"Clip.MP4", u"b.mp4", u"\u89c6\u9891 1.mp4", u".hidden.mp4"}},
      {u"*.*", 0, files},
      {u"*", faReadOnly, files},  // read-only files come whatever the search asks
      {u"*", faDirectory, with(files, {u".", u"..", u"sub"})},
      {u"*", faDirectory | faHidden, with(files, {u".", u"..", u"sub", u".cache", u".hidden.mp4"})},
      {u"?.mp4", 0, {u"b.mp4"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Names(Search(dir_ + c.mask, c.attr)), c.names) << U8(c.mask);

  const auto all = Search(dir_ + u"*", faAnyFile);
  for (const auto& f : all) {
    if (f.name == u"Clip.MP4") {
      EXPECT_EQ(f.attr, faArchive);
      EXPECT_EQ(f.size, 3);
    } else if (f.name == u"ro.txt") {
      EXPECT_EQ(f.attr, faArchive | faReadOnly);
    } else if (f.name == u"sub") {
      EXPECT_EQ(f.attr, faDirectory);
    } else if (f.name == u".cache") {
      EXPECT_EQ(f.attr, faDirectory | faHidden);
    }
  }
  EXPECT_EQ(all.size(), 10u);

  TSearchRec sr;
  EXPECT_EQ(FindFirst(dir_ + u"nomatch*", faAnyFile, sr), ENOENT);
  EXPECT_EQ(FindNext(sr), ENOENT);
  EXPECT_NE(FindFirst(dir_ + u"missing/*", faAnyFile, sr), 0);

  // A bare mask searches the current directory.
  const String saved = GetCurrentDir();
  ASSERT_TRUE(SetCurrentDir(dir_ + u"sub"));
  EXPECT_EQ(ExcludeTrailingPathDelimiter(GetCurrentDir()), dir_ + u"sub");
  EXPECT_EQ(ExpandFileName(u"../x/./y"), dir_ + u"x/y");
  Write(u"sub/inner.mp4", "");
  EXPECT_EQ(Names(Search(u"*.mp4", 0)), S{u"inner.mp4"});
  EXPECT_TRUE(SetCurrentDir(saved));
  EXPECT_FALSE(SetCurrentDir(dir_ + u"missing"));
}

TEST(ProcessEnvironment, ProgramFolderParamsAndVariables) {
  const String exe = ParamStr(0);
  EXPECT_TRUE(FileExists(exe)) << U8(exe);
  EXPECT_EQ(ProgramFolder(), ExtractFilePath(exe));
  SetProgramFolderForTests(u"/opt/\u8f6c\u6362\u5668");
  EXPECT_EQ(ProgramFolder(), u"/opt/\u8f6c\u6362\u5668/");
  EXPECT_EQ(ParamStr(0), u"/opt/\u8f6c\u6362\u5668/" + ExtractFileName(exe));
  SetProgramFolderForTests(u"");
  EXPECT_EQ(ParamStr(0), exe);
  EXPECT_EQ(ParamStr(ParamCount() + 1), u"");

  EXPECT_TRUE(SetEnvironmentVariable(u"TVL_RTL_TEST_VAR", u"\u503c"));
  EXPECT_EQ(GetEnvironmentVariable(u"TVL_RTL_TEST_VAR"), u"\u503c");
  EXPECT_FALSE(SetEnvironmentVariable(u"A=B", u"x"));
  unsetenv("TVL_RTL_TEST_VAR");
  EXPECT_EQ(GetEnvironmentVariable(u"TVL_RTL_TEST_VAR"), u"");

  EXPECT_EQ(GetHomePath().back(), u'/');
  const char* oldTmp = std::getenv("TMPDIR");
  std::string saved = oldTmp ? oldTmp : "";
  setenv("TMPDIR", "/", 1);
  EXPECT_EQ(GetTempPath(), u"/");
  setenv("TMPDIR", "/no/such/dir", 1);
  EXPECT_EQ(GetTempPath(), u"/tmp/");
  if (oldTmp)
    setenv("TMPDIR", saved.c_str(), 1);
  else
    unsetenv("TMPDIR");

  EXPECT_EQ(SysErrorMessage(ENOENT), u"No such file or directory");
}
