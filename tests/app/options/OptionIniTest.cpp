// option.ini against files written by hand: first start, recognised and
// repaired values, mixed case, folders, and a file that cannot be written.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "app/options/OptionIni.h"
#include "platform/rtl/FileSys.h"
#include "platform/rtl/IniFiles.h"
#include "platform/rtl/Strings.h"

namespace app {
namespace {

namespace fs = std::filesystem;
using rtl::U8;

class OptionIniTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "optionini-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    oldHome_ = getenv("HOME") ? getenv("HOME") : "";
    setenv("HOME", (dir_ / "home").c_str(), 1);
    fs::create_directories(dir_ / "home");
    file_ = (dir_ / "option.ini").string();
  }
  void TearDown() override {
    setenv("HOME", oldHome_.c_str(), 1);
    fs::remove_all(dir_);
  }
  void WriteFile(const std::string& text) { std::ofstream(file_) << text; }
  std::string Value(const char* section, const char* key) {
    return U8(rtl::GetPrivateProfileString(rtl::Utf8ToString(section), rtl::Utf8ToString(key), u"<none>",
                                           rtl::Utf8ToString(file_)));
  }
  TOptionIni Ini() { return TOptionIni(rtl::Utf8ToString(file_)); }

  fs::path dir_;
  std::string oldHome_, file_;
};

TEST_F(OptionIniTest, FirstStartWritesEveryDefaultAndMakesTheOutputFolder) {
  TOptionIni ini = Ini();
  const std::string out = U8(ini.ReadOutPath());
  EXPECT_EQ(out, (dir_ / "home" / "Tavrel视频软件" / "输出").string());
  EXPECT_TRUE(fs::is_directory(out));
  EXPECT_EQ(ini.ReadSkinIndex(), 0);
  TConversionOptions o = ini.ReadOptions();
  EXPECT_EQ(o.ThreadCount, 1);
  EXPECT_EQ(o.AfterDone, 0);
  EXPECT_FALSE(o.ShowPreview);
  EXPECT_EQ(o.ThreadPriority, 3);
  EXPECT_FALSE(o.Overwrite);
  EXPECT_EQ(Value("OutPath", "OutPath"), out);
  EXPECT_EQ(Value("Skin", "SetSkin"), "0");
  for (auto [key, value] : {std::pair{"Thread_Count", "0"}, {"After_Done", "0"}, {"Show_Preview", "0"},
                            {"Thread_Priority", "3"}, {"Overwrite_File", "1"}})
    EXPECT_EQ(Value("Options", key), value) << key;
  EXPECT_EQ(Value("SnapShot", "Dir"), "<none>");  // only when a snapshot is first taken
}

struct ReadCase {
  const char* text;  // the Options section's lines
  TConversionOptions expected;
  const char* writtenBack;  // key=value the reader wrote, or ""
};

TEST_F(OptionIniTest, OptionsAreTakenOrRepaired) {
  const TConversionOptions defaults;
  auto with = [&](auto change) { TConversionOptions o = defaults; change(o); return o; };
  const ReadCase cases[] = {
      {"Thread_Count=4", with([](auto& o) { o.ThreadCount = 4; }), ""},
      {"Thread_Count=19", with([](auto& o) { o.ThreadCount = 19; }), ""},
      {"Thread_Count=25", defaults, "Thread_Count=0"},
      {"Thread_Count=four", defaults, "Thread_Count=0"},
      {"Thread_Count=04", defaults, "Thread_Count=0"},
      {"Thread_Count=Error", with([](auto& o) { o.ThreadCount = 7; }), "Thread_Count=0"},
      {"After_Done=3", with([](auto& o) { o.AfterDone = 3; }), ""},
      {"After_Done=4", defaults, "After_Done=0"},
      {"Thread_Priority=0", with([](auto& o) { o.ThreadPriority = 0; }), ""},
      {"Thread_Priority=", defaults, "Thread_Priority=3"},
      {"Overwrite_File=0", with([](auto& o) { o.Overwrite = true; }), ""},
      {"Overwrite_File=yes", defaults, "Overwrite_File=1"},
      {"Show_Preview=1", with([](auto& o) { o.ShowPreview = true; }), ""},
      {"show_preview=1", with([](auto& o) { o.ShowPreview = true; }), ""},
  };
  for (const ReadCase& c : cases) {
    SCOPED_TRACE(c.text);
    WriteFile(std::string("[options]\n") + c.text +
              "\nThread_Count=1\nAfter_Done=0\nThread_Priority=3\nOverwrite_File=1\nShow_Preview=0\n");
    TConversionOptions current;
    if (std::string(c.text) == "Thread_Count=Error") current.ThreadCount = 7;  // the box keeps its item
    const TConversionOptions o = Ini().ReadOptions(current);
    EXPECT_EQ(o.ThreadCount, c.expected.ThreadCount);
    EXPECT_EQ(o.AfterDone, c.expected.AfterDone);
    EXPECT_EQ(o.ShowPreview, c.expected.ShowPreview);
    EXPECT_EQ(o.ThreadPriority, c.expected.ThreadPriority);
    EXPECT_EQ(o.Overwrite, c.expected.Overwrite);
    const std::string back = c.writtenBack;
    if (!back.empty()) {
      const auto eq = back.find('=');
      EXPECT_EQ(Value("Options", back.substr(0, eq).c_str()), back.substr(eq + 1));
    }
  }
}

TEST_F(OptionIniTest, OptionsRoundTrip) {
  TConversionOptions o;
  o.ThreadCount = 6;
  o.AfterDone = 2;
  o.ShowPreview = true;
  o.ThreadPriority = 1;
  o.Overwrite = true;
  Ini().WriteOptions(o);
  const TConversionOptions back = Ini().ReadOptions();
  EXPECT_EQ(back.ThreadCount, 6);
  EXPECT_EQ(back.AfterDone, 2);
  EXPECT_TRUE(back.ShowPreview);
  EXPECT_EQ(back.ThreadPriority, 1);
  EXPECT_TRUE(back.Overwrite);
  EXPECT_EQ(Value("Options", "Overwrite_File"), "0");
}

TEST_F(OptionIniTest, FoldersAreCreatedAndOnlyExistingOnesStored) {
  const std::string missing = (dir_ / "a" / "b" / "输出").string();
  WriteFile("[OutPath]\nOutPath=" + missing + "\n");
  EXPECT_EQ(U8(Ini().ReadOutPath()), missing);
  EXPECT_TRUE(fs::is_directory(missing));

  // A folder that cannot be made (a file stands in its way) is used as stored.
  std::ofstream(dir_ / "plain") << "x";
  const std::string blocked = (dir_ / "plain" / "out").string();
  WriteFile("[OutPath]\nOutPath=" + blocked + "\n");
  EXPECT_EQ(U8(Ini().ReadOutPath()), blocked);

  TOptionIni ini = Ini();
  EXPECT_FALSE(ini.WriteOutPath(rtl::Utf8ToString((dir_ / "nowhere").string())));
  EXPECT_EQ(Value("OutPath", "OutPath"), blocked);
  EXPECT_TRUE(ini.WriteOutPath(rtl::Utf8ToString(missing)));
  EXPECT_EQ(Value("OutPath", "OutPath"), missing);

  const std::string snap = U8(ini.ResolveSnapshotFolder());
  EXPECT_EQ(snap, (dir_ / "home" / "Tavrel视频软件" / "快照").string());
  EXPECT_TRUE(fs::is_directory(snap));
  EXPECT_EQ(Value("SnapShot", "Dir"), snap);
}

TEST_F(OptionIniTest, PictureTypeAndSkinIndex) {
  WriteFile("[SnapShot]\nPicture=png\n[Skin]\nSetSkin=11\n");
  TOptionIni ini = Ini();
  EXPECT_EQ(ini.ReadPictureType(), TSnapshotPicture::Bmp);
  EXPECT_EQ(Value("SnapShot", "Picture"), "BMP");
  ini.WritePictureType(TSnapshotPicture::Gif);
  EXPECT_EQ(ini.ReadPictureType(), TSnapshotPicture::Gif);
  EXPECT_EQ(ini.ReadSkinIndex(), 11);  // out of range is the skin data's to ignore
  EXPECT_EQ(Value("Skin", "SetSkin"), "11");
  WriteFile("[Skin]\nSetSkin=blue\n");
  EXPECT_EQ(ini.ReadSkinIndex(), 0);
  EXPECT_EQ(Value("Skin", "SetSkin"), "0");
}

TEST_F(OptionIniTest, AFileThatCannotBeWrittenIsNamedInTheError) {
  std::ofstream(dir_ / "plain") << "x";
  TOptionIni ini(rtl::Utf8ToString((dir_ / "plain" / "option.ini").string()));
  try {
    ini.WriteSkinIndex(2);
    FAIL() << "no error";
  } catch (const EOptionIniWriteError& e) {
    EXPECT_NE(U8(e.Message()).find("Unable to write to "), std::string::npos);
    EXPECT_NE(U8(e.Message()).find("plain/option.ini"), std::string::npos);
  }
}

// The user's settings file under a temporary XDG_CONFIG_HOME, and an
// option.ini left beside the program by an earlier version.
class SettingsFileTest : public OptionIniTest {
 protected:
  void SetUp() override {
    OptionIniTest::SetUp();
    const char* xdg = getenv("XDG_CONFIG_HOME");
    hadXdg_ = xdg != nullptr;
    oldXdg_ = xdg ? xdg : "";
    setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1);
    UseProgramFolder(dir_ / "program");
  }
  void TearDown() override {
    rtl::SetProgramFolderForTests(u"");
    if (hadXdg_)
      setenv("XDG_CONFIG_HOME", oldXdg_.c_str(), 1);
    else
      unsetenv("XDG_CONFIG_HOME");
    OptionIniTest::TearDown();
  }
  void UseProgramFolder(const fs::path& folder) {
    program_ = folder;
    fs::create_directories(folder);
    rtl::SetProgramFolderForTests(rtl::Utf8ToString(folder.string()));
  }
  fs::path Settings() const { return dir_ / "config" / "tavrel" / "option.ini"; }
  fs::path OldFile() const { return program_ / "option.ini"; }

  fs::path program_;
  bool hadXdg_ = false;
  std::string oldXdg_;
};

TEST_F(SettingsFileTest, SettingsAreWrittenToAndReadFromTheSettingsFolder) {
  {
    TOptionIni ini;
    EXPECT_EQ(U8(ini.FileName()), Settings().string());
    ini.ReadOutPath();
    TConversionOptions o;
    o.ThreadCount = 4;
    ini.WriteOptions(o);
    ini.WriteSkinIndex(3);
  }
  EXPECT_TRUE(fs::exists(Settings()));
  EXPECT_FALSE(fs::exists(OldFile()));  // nothing is written beside the program
  TOptionIni again;
  EXPECT_EQ(again.ReadOptions().ThreadCount, 4);
  EXPECT_EQ(again.ReadSkinIndex(), 3);
}

TEST_F(SettingsFileTest, TheSettingsFolderFollowsXdgConfigHome) {
  const std::string config = (dir_ / "config").string();
  const std::string fallback = (dir_ / "home" / ".config" / "tavrel").string() + "/";
  const struct {
    const char* value;  // nullptr: unset
    std::string folder;
  } cases[] = {
      {config.c_str(), config + "/tavrel/"},
      {nullptr, fallback},
      {"", fallback},
      {"relative/config", fallback},  // only an absolute path counts
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value ? c.value : "(unset)");
    if (c.value)
      setenv("XDG_CONFIG_HOME", c.value, 1);
    else
      unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(U8(SettingsFolder()), c.folder);
    EXPECT_EQ(U8(TOptionIni().FileName()), c.folder + "option.ini");
    EXPECT_TRUE(fs::is_directory(c.folder));
  }
}

// Beside the settings folder the old file is moved; on another file system
// (/dev/shm, where it is one) it is copied and the old one removed.
TEST_F(SettingsFileTest, AnOldFileBesideTheProgramIsTakenOverOnce) {
  std::vector<fs::path> programs{dir_ / "program"};
  std::string shm = "/dev/shm/optionini-XXXXXX";
  if (fs::is_directory("/dev/shm") && mkdtemp(shm.data())) programs.push_back(shm);
  for (const fs::path& program : programs) {
    SCOPED_TRACE(program.string());
    fs::remove_all(dir_ / "config");
    UseProgramFolder(program);
    std::ofstream(OldFile()) << "[Options]\nThread_Count=6\n[Skin]\nSetSkin=4\n";
    TOptionIni ini;
    EXPECT_EQ(ini.ReadOptions().ThreadCount, 6);
    EXPECT_EQ(ini.ReadSkinIndex(), 4);
    EXPECT_FALSE(fs::exists(OldFile()));
    // Nothing but the settings file: no temporary copy is left.
    EXPECT_EQ(std::distance(fs::directory_iterator(Settings().parent_path()), fs::directory_iterator()), 1);

    // An old file that turns up later (an earlier version run again) is not
    // taken: the settings file stays as it is.
    std::ofstream(OldFile()) << "[Skin]\nSetSkin=9\n";
    EXPECT_EQ(TOptionIni().ReadSkinIndex(), 4);
    EXPECT_TRUE(fs::exists(OldFile()));
  }
  if (programs.size() > 1) fs::remove_all(programs.back());
}

}  // namespace
}  // namespace app
