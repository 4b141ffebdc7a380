// Output names: base name, extension, folder join and the next free name.
#include "app/tables/OutputFileName.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/rtl/Strings.h"
#include "tests/app/tables/TempDir.h"

namespace tables {
namespace {

using rtl::S;
using rtl::U8;

TEST(OutputFileName, ReplacesTheExtensionOfTheInputsName) {
  struct Case {
    const char* folder;
    const char* input;
    const char* ext;
    const char* expected;
  };
  const Case cases[] = {
      {"/out", "/v/clip.mkv", ".avi", "/out/clip.avi"},
      {"/out", "/v/a.b.mkv", ".avi", "/out/a.b.avi"},
      {"/out", "/v/clip", ".avi", "/out/clip.avi"},
      {"/out", "/v.d/clip", ".mp4", "/out/clip.mp4"},          // a dot in a folder is not an extension
      {"/out", "/v/my clip 视频.final.ts", ".3gp", "/out/my clip 视频.final.3gp"},
      {"/out", "/v/c:d\\e.mov", ".mp3", "/out/c:d\\e.mp3"},    // ':' and '\' are name characters
      {"/", "/v/clip.mkv", ".avi", "//clip.avi"},              // folder text used as it stands
      {"/out", "clip.mkv", ".rm", "/out/clip.rm"},
      {"/out", "", ".avi", "/out/.avi"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(U8(BuildOutputFileName(S(c.folder), S(c.input), S(c.ext))), c.expected) << c.input;
}

TEST(OutputFileName, TakesTheNextFreeNameUnlessOverwriting) {
  test::TempDir dir;
  const rtl::String folder = S(dir.Utf8());
  auto unique = [&](const std::string& name, bool overwrite) {
    return U8(MakeUniqueOutputFileName(S(dir.Utf8() + "/" + name), folder, overwrite,
                                       OutputNameTaken));
  };

  EXPECT_EQ(unique("clip.avi", false), dir.Utf8() + "/clip.avi");
  dir.Touch("clip.avi");
  dir.Touch("clip_1.avi");
  EXPECT_EQ(unique("clip.avi", false), dir.Utf8() + "/clip_2.avi");
  EXPECT_EQ(unique("clip.avi", true), dir.Utf8() + "/clip.avi");

  // Names with CJK, blanks and several dots: the number goes before the last dot.
  dir.Touch("我的 视频.v2.mp4");
  EXPECT_EQ(unique("我的 视频.v2.mp4", false), dir.Utf8() + "/我的 视频.v2_1.mp4");

  // Ten taken names: the counter carries on in decimal without padding.
  dir.Touch("n.mp3");
  for (int i = 1; i <= 10; ++i) dir.Touch("n_" + std::to_string(i) + ".mp3");
  EXPECT_EQ(unique("n.mp3", false), dir.Utf8() + "/n_11.mp3");

  // A folder or a dangling link takes a name as much as a file does.
  std::filesystem::create_directory(dir.Path() / "d.avi");
  std::filesystem::create_symlink(dir.Path() / "missing", dir.Path() / "l.avi");
  EXPECT_EQ(unique("d.avi", false), dir.Utf8() + "/d_1.avi");
  EXPECT_EQ(unique("l.avi", false), dir.Utf8() + "/l_1.avi");
}

TEST(OutputFileName, UniqueNameUsesTheFolderTextAndANameWithoutDot) {
  int asked = 0;
  auto takenOnce = [&](const rtl::String& name) {
    ++asked;
    return U8(name) == "/o/plain";
  };
  EXPECT_EQ(U8(MakeUniqueOutputFileName(S("/x/plain"), S("/o"), false, takenOnce)), "/o/plain_1");
  EXPECT_EQ(asked, 2);
  asked = 0;
  EXPECT_EQ(U8(MakeUniqueOutputFileName(S("/x/plain"), S("/o"), true, takenOnce)), "/o/plain");
  EXPECT_EQ(asked, 0) << "overwriting needs no existence test";
}

}  // namespace
}  // namespace tables
