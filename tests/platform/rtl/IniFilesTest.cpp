#include "platform/rtl/IniFiles.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/rtl/Strings.h"

using namespace rtl;
namespace fs = std::filesystem;

namespace {

class Ini : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string tmpl = (fs::temp_directory_path() / "tvl-ini-XXXXXX").string();
    ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { fs::remove_all(dir_); }

  String Path(const std::string& name = "option.ini") const { return Utf8ToString((dir_ / name).string()); }
  void Put(const std::string& bytes, const std::string& name = "option.ini") const {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
  }
  std::string Get(const std::string& name = "option.ini") const {
    std::ifstream in(dir_ / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  String Read(const char* section, const char* key, const std::string& name = "option.ini") const {
    return GetPrivateProfileString(S(section), S(key), u"Error", Path(name));
  }

  fs::path dir_;
};

TEST_F(Ini, ReadsOneKeyAtATimeWithTheDefaultForAnythingMissing) {
  Put("stray=before any section\r\n"
      "[Options]\r\n"
      "  Thread_Count =  4  \r\n"
      ";After_Done=1\r\n"
      "Empty=\r\n"
      "Quoted=\"  padded  \"\r\n"
      "Half=\"open\r\n"
      "Dup=first\r\n"
      "dup=second\r\n"
      "[options]\r\n"
      "Later=merged\r\n"
      "[ OutPath ]\r\n"
      "OutPath=/home/u/Tavrel视频软件/输出\r\n");
  struct Case {
    const char* section;
    const char* key;
    const char* expected;
  };
  const Case cases[] = {
      {"Options", "Thread_Count", "4"},
      {"OPTIONS", "thread_count", "4"},       // no regard to case
      {"Options", "After_Done", "Error"},     // commented out
      {"Options", "Empty", ""},               // empty is a value, not a miss
      {"Options", "Quoted", "  padded  "},    // quotes protect blanks
      {"Options", "Half", "\"open"},
      {"Options", "DUP", "first"},
      {"Options", "Later", "merged"},         // a repeated section adds to the first
      {"Options", "Missing", "Error"},
      {"Nowhere", "Thread_Count", "Error"},
      {"", "stray", "Error"},
      {"OutPath", "OutPath", "/home/u/Tavrel视频软件/输出"},
  };
  for (const auto& c : cases) EXPECT_EQ(U8(Read(c.section, c.key)), c.expected) << c.section << "/" << c.key;
  EXPECT_EQ(U8(Read("Options", "Thread_Count", "absent.ini")), "Error");
  EXPECT_EQ(GetPrivateProfileString(u"OutPath", u"OutPath", u"", Path(), 6), u"/home");  // room for 5 and a NUL
}

TEST_F(Ini, WritesInPlaceKeepingCommentsBlankLinesAndTheLineBreakStyle) {
  Put("; settings\n"
      "[Options]\n"
      "Thread_Count = 4\n"
      "junk line\n"
      "; about OutPath\n"
      "\n"
      "[OutPath]\n"
      "OutPath=/x\n");
  EXPECT_TRUE(WritePrivateProfileString(u"options", u"THREAD_COUNT", u"8", Path()));
  EXPECT_TRUE(WritePrivateProfileString(u"Options", u"After_Done", u"3", Path()));
  EXPECT_TRUE(WritePrivateProfileString(u"Skin", u"SetSkin", u"2", Path()));
  EXPECT_EQ(Get(),
            "; settings\n"
            "[Options]\n"
            "Thread_Count=8\n"
            "junk line\n"
            "After_Done=3\n"
            "; about OutPath\n"
            "\n"
            "[OutPath]\n"
            "OutPath=/x\n"
            "\n"
            "[Skin]\n"
            "SetSkin=2\n");
  EXPECT_EQ(Files(), std::vector<std::string>{"option.ini"});  // no temporary left behind

  // Values that reading would trim or unquote come back as they were written.
  for (const char* v : {" lead", "trail ", "\"quoted\"", "'single'", "\"", "a \"b\" c"}) {
    EXPECT_TRUE(WritePrivateProfileString(u"V", u"k", S(v), Path()));
    EXPECT_EQ(U8(Read("V", "k")), v);
  }
}

TEST_F(Ini, TheFirstWriteCreatesTheFile) {
  EXPECT_TRUE(WritePrivateProfileString(u"OutPath", u"OutPath", S("/h/输出"), Path()));
  EXPECT_TRUE(WritePrivateProfileString(u"Skin", u"SetSkin", u"0", Path()));
  EXPECT_EQ(Get(), "[OutPath]\r\nOutPath=/h/输出\r\n\r\n[Skin]\r\nSetSkin=0\r\n");
  struct stat st;
  ASSERT_EQ(::stat((dir_ / "option.ini").c_str(), &st), 0);
  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask);
}

TEST_F(Ini, MalformedFilesAreReadAsFarAsTheyMakeSenseAndKeptByteForByte) {
  const std::string junk = std::string("\x00\xFF\xFE garbage\x01\x02", 12);
  Put("[Broken\r\n"
      "a=1\r\n" +
      junk +
      "\r\n"
      "==\r\n"
      "]\r\n"
      "[Options]\r\n"
      "\xC3\x28=bad utf8 key\r\n"
      "Show_Preview=1");  // no final line break
  EXPECT_EQ(U8(Read("Broken", "a")), "1");
  EXPECT_EQ(U8(Read("Options", "Show_Preview")), "1");
  EXPECT_TRUE(WritePrivateProfileString(u"Options", u"Show_Preview", u"0", Path()));
  EXPECT_EQ(Get(), "[Broken\r\na=1\r\n" + junk + "\r\n==\r\n]\r\n[Options]\r\n\xC3\x28=bad utf8 key\r\nShow_Preview=0\r\n");

  std::string noise;
  unsigned seed = 42;
  for (int i = 0; i < 4096; ++i) noise.push_back(static_cast<char>((seed = seed * 1103515245 + 12345) >> 16));
  Put(noise, "noise.ini");
  EXPECT_EQ(U8(Read("Options", "Thread_Count", "noise.ini")), "Error");
  EXPECT_TRUE(WritePrivateProfileString(u"Options", u"Thread_Count", u"1", Path("noise.ini")));
  EXPECT_EQ(U8(Read("Options", "Thread_Count", "noise.ini")), "1");
}

TEST_F(Ini, ReadsUtf16AndUtf8SignaturesAndWritesUtf8) {
  std::string utf16 = "\xFF\xFE";
  for (char16_t c : S("[皮肤]\r\nSetSkin=3\r\n")) {
    utf16.push_back(static_cast<char>(c & 0xFF));
    utf16.push_back(static_cast<char>(c >> 8));
  }
  Put(utf16);
  EXPECT_EQ(U8(Read("皮肤", "setskin")), "3");
  EXPECT_TRUE(WritePrivateProfileString(S("皮肤"), u"SetSkin", u"4", Path()));
  EXPECT_EQ(Get(), "[皮肤]\r\nSetSkin=4\r\n");

  Put("\xEF\xBB\xBF[A]\nk=v\n");
  EXPECT_EQ(U8(Read("A", "k")), "v");
  EXPECT_TRUE(WritePrivateProfileString(u"A", u"k", u"w", Path()));
  EXPECT_EQ(Get(), "\xEF\xBB\xBF[A]\nk=w\n");
}

TEST_F(Ini, AFailedWriteLeavesTheOldFileWhole) {
  const std::string original = "[Options]\r\nThread_Count=2\r\n";
  Put(original);
  // The file system refuses the new text midway (file size limit): the
  // temporary file fails, the old file is untouched and nothing is left over.
  rlimit old;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = old;
  small.rlim_cur = 100;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const String big(5000, u'x');
  const bool written = WritePrivateProfileString(u"Options", u"Thread_Count", big, Path());
  bool raised = false;
  String message;
  try {
    TIniFile ini(Path());
    ini.WriteString(u"Options", u"Thread_Count", big);
  } catch (const EIniFileException& e) {
    raised = true;
    message = e.Message();
  }
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);

  EXPECT_FALSE(written);
  EXPECT_TRUE(raised);
  EXPECT_EQ(message, u"Unable to write to " + Path());
  EXPECT_EQ(Get(), original);
  EXPECT_EQ(Files(), std::vector<std::string>{"option.ini"});

  // A folder that does not exist cannot take the file.
  EXPECT_FALSE(WritePrivateProfileString(u"A", u"k", u"v", Path("missing/option.ini")));
  // Text that would not read back is refused, not written half-way.
  EXPECT_FALSE(WritePrivateProfileString(u"Options", u"Thread_Count", u"1\r\n[Evil]", Path()));
  EXPECT_FALSE(WritePrivateProfileString(u"Options", u"a=b", u"1", Path()));
  EXPECT_FALSE(WritePrivateProfileString(u"Op]tions", u"k", u"1", Path()));
  EXPECT_EQ(Get(), original);
}

TEST_F(Ini, WritesReplaceTheFileButKeepItsModeAndLinks) {
  Put("[A]\nk=1\n", "real.ini");
  ::chmod((dir_ / "real.ini").c_str(), 0600);
  fs::create_symlink(dir_ / "real.ini", dir_ / "option.ini");
  EXPECT_TRUE(WritePrivateProfileString(u"A", u"k", u"2", Path()));
  EXPECT_TRUE(fs::is_symlink(dir_ / "option.ini"));
  EXPECT_EQ(Get("real.ini"), "[A]\nk=2\n");
  struct stat st;
  ASSERT_EQ(::stat((dir_ / "real.ini").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(Ini, IniFileTypedValuesAndSections) {
  Put("[N]\n"
      "dec=42\n"
      "neg=-7\n"
      "hex=0x1F\n"
      "dollar=$ff\n"
      "word=abc\n"
      "empty=\n"
      "short=0x\n"
      "[Empty]\n"
      "; nothing but a comment\n"
      "[B]\n"
      "t=1\n"
      "two=2\n"
      "f=0\n");
  TIniFile ini(Path());
  struct Case {
    const char* key;
    int expected;
  };
  const Case cases[] = {{"dec", 42}, {"neg", -7}, {"hex", 31}, {"dollar", 255}, {"word", -1}, {"empty", -1}, {"short", -1}, {"none", -1}};
  for (const auto& c : cases) EXPECT_EQ(ini.ReadInteger(u"N", S(c.key), -1), c.expected) << c.key;
  EXPECT_TRUE(ini.ReadBool(u"B", u"t", false));
  EXPECT_TRUE(ini.ReadBool(u"B", u"two", false));
  EXPECT_FALSE(ini.ReadBool(u"B", u"f", true));
  EXPECT_TRUE(ini.ReadBool(u"B", u"missing", true));

  TStringList list;
  list.Add(u"cleared first");
  ini.ReadSections(&list);
  EXPECT_EQ(list.CommaText(), u"N,Empty,B");
  ini.ReadSection(u"b", &list);
  EXPECT_EQ(list.CommaText(), u"t,two,f");
  ini.ReadSectionValues(u"B", &list);
  EXPECT_EQ(list.CommaText(), u"t=1,two=2,f=0");
  EXPECT_TRUE(ini.SectionExists(u"n"));
  EXPECT_FALSE(ini.SectionExists(u"Empty"));  // a section counts once it holds a key
  EXPECT_TRUE(ini.ValueExists(u"B", u"TWO"));
  EXPECT_FALSE(ini.ValueExists(u"B", u"three"));

  ini.WriteInteger(u"N", u"dec", -3);
  ini.WriteBool(u"B", u"f", true);
  ini.DeleteKey(u"B", u"two");
  ini.EraseSection(u"empty");
  ini.EraseSection(u"not there");
  EXPECT_EQ(Get(), "[N]\ndec=-3\nneg=-7\nhex=0x1F\ndollar=$ff\nword=abc\nempty=\nshort=0x\n[B]\nt=1\nf=1\n");
}

TEST_F(Ini, IniFileSeesChangesMadeByOthers) {
  Put("[S]\nDir=/a\n");
  TIniFile ini(Path());
  EXPECT_EQ(ini.ReadString(u"S", u"Dir", u"Error"), u"/a");
  ASSERT_TRUE(WritePrivateProfileString(u"S", u"Dir", u"/other", Path()));
  EXPECT_EQ(ini.ReadString(u"S", u"Dir", u"Error"), u"/other");
  ini.WriteString(u"S", u"Picture", u"PNG");
  EXPECT_EQ(U8(Read("S", "Picture")), "PNG");
  EXPECT_EQ(U8(Read("S", "Dir")), "/other");
}

TEST_F(Ini, MemIniFileKeepsTheFileUntilUpdateFile) {
  Put("; skin\n[VERSION]\nskinname=Old\n[Extra]\nkept=1\n");
  {
    TMemIniFile mem(Path());
    mem.EraseSection(u"VERSION");
    mem.WriteString(u"VERSION", u"ver", u"1");
    mem.WriteInteger(u"FORMINFO", u"borderwidth", 4);
    EXPECT_EQ(Get(), "; skin\n[VERSION]\nskinname=Old\n[Extra]\nkept=1\n");  // nothing on disk yet
    mem.UpdateFile();
  }
  EXPECT_EQ(Get(), "; skin\n[Extra]\nkept=1\n\n[VERSION]\nver=1\n\n[FORMINFO]\nborderwidth=4\n");

  // Bound to no file: text in, text out, UpdateFile does nothing.
  TStringList text;
  text.SetText(u"[PICTURES]\r\npicture=frame.bmp\r\nactivepicturescount=0");
  TMemIniFile mem;
  mem.SetStrings(&text);
  EXPECT_EQ(mem.ReadString(u"pictures", u"PICTURE", u""), u"frame.bmp");
  EXPECT_EQ(mem.ReadInteger(u"PICTURES", u"activepicturescount", -1), 0);
  mem.WriteString(u"PICTURES", u"mask", u"");
  mem.UpdateFile();
  TStringList out;
  mem.GetStrings(&out);
  EXPECT_EQ(out.Text(), u"[PICTURES]\r\npicture=frame.bmp\r\nactivepicturescount=0\r\nmask=\r\n");
  EXPECT_THROW(mem.WriteString(u"A", u"k", u"two\nlines"), EIniFileException);

  mem.Rename(Path("missing/skin.ini"), false);
  try {
    mem.UpdateFile();
    FAIL();
  } catch (const EIniFileException& e) {
    EXPECT_EQ(e.Message(), u"Unable to write to " + Path("missing/skin.ini"));
  }
  mem.Rename(Path(), true);
  EXPECT_EQ(mem.ReadString(u"Extra", u"kept", u""), u"1");
}

TEST_F(Ini, KeysWrittenBetweenOthersAreFoundWhereAFreshReadFindsThem) {
  // Writes into earlier sections shift every line after them; each value
  // must still be found, and the text must read back the same from scratch.
  TMemIniFile mem;
  for (int i = 0; i < 40; ++i) {
    const String n = Utf8ToString(std::to_string(i));
    mem.WriteString(u"S" + Utf8ToString(std::to_string(i % 4)), u"k" + n, u"v" + n);
    mem.WriteString(u"S0", u"k0", u"again" + n);  // in place
  }
  mem.EraseSection(u"S2");
  mem.WriteString(u"S1", u"late", u"x");
  TStringList text;
  mem.GetStrings(&text);
  TMemIniFile fresh;
  fresh.SetStrings(&text);
  for (int i = 0; i < 40; ++i) {
    const String n = Utf8ToString(std::to_string(i));
    const String sec = u"S" + Utf8ToString(std::to_string(i % 4));
    const String want = i == 0 ? u"again39" : (i % 4 == 2 ? u"" : u"v" + n);
    EXPECT_EQ(mem.ReadString(sec, u"k" + n, u""), want) << i;
    EXPECT_EQ(fresh.ReadString(sec, u"k" + n, u""), want) << i;
  }
  EXPECT_EQ(mem.ReadString(u"S1", u"late", u""), u"x");
  EXPECT_EQ(fresh.ReadString(u"S1", u"late", u""), u"x");
}

}  // namespace
