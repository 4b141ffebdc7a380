#include "platform/rtl/DynLib.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <thread>
#include <fstream>

#include "platform/rtl/Strings.h"

using namespace rtl;

namespace {

class DynLibTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tvl-dynlib-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string dir_;
};

}  // namespace

TEST_F(DynLibTest, FilesThatCannotLoadGiveNullAndTheLoadersText) {
  std::ofstream(dir_ + "/libtext.so.1") << "not a library\n";
  struct Case {
    std::string file;
    std::string inText;
  } const cases[] = {
      {dir_ + "/libmissing.so.1", "No such file"},
      {dir_ + "/libtext.so.1", "libtext.so.1"},
      {"libtvl-no-such-library.so.9", "libtvl-no-such-library.so.9"},  // system search
      {TVL_DYNLIB_UNRESOLVED, "tvl_fixture_nowhere"},                   // bound at load time
      {"", "empty"},                                                     // never the program itself
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LoadLibrary(c.file), nullptr) << c.file;
    EXPECT_NE(U8(LastDynLibError()).find(c.inText), std::string::npos) << U8(LastDynLibError());
  }
}

TEST_F(DynLibTest, ExportsOfALoadedLibraryAreFoundAndStayLocal) {
  HMODULE lib = LoadLibrary(Utf8ToString(TVL_DYNLIB_FIXTURE));
  ASSERT_NE(lib, nullptr) << U8(LastDynLibError());

  auto add = reinterpret_cast<int (*)(int, int)>(GetProcAddress(lib, "tvl_fixture_add"));
  ASSERT_NE(add, nullptr);
  EXPECT_EQ(add(40, 2), 42);
  auto* answer = static_cast<int*>(GetProcAddress(lib, "tvl_fixture_answer"));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(*answer, 42);
  EXPECT_EQ(dlsym(RTLD_DEFAULT, "tvl_fixture_add"), nullptr);  // not in the global scope

  EXPECT_EQ(GetProcAddress(lib, "tvl_fixture_sub"), nullptr);
  EXPECT_NE(U8(LastDynLibError()).find("tvl_fixture_sub"), std::string::npos);
  EXPECT_EQ(GetProcAddress(nullptr, "strlen"), nullptr);  // not "search everything"
  EXPECT_FALSE(LastDynLibError().empty());

  EXPECT_TRUE(FreeLibrary(lib));
  EXPECT_FALSE(FreeLibrary(nullptr));
}

TEST_F(DynLibTest, SonameWithoutFolderGoesThroughTheSystemSearch) {
  HMODULE libc = LoadLibrary(u"libc.so.6");
  ASSERT_NE(libc, nullptr) << U8(LastDynLibError());
  auto len = reinterpret_cast<size_t (*)(const char*)>(GetProcAddress(libc, "strlen"));
  ASSERT_NE(len, nullptr);
  EXPECT_EQ(len("手机"), 6u);
  EXPECT_TRUE(FreeLibrary(libc));
}

TEST_F(DynLibTest, FailureTextIsKeptPerThread) {
  EXPECT_EQ(LoadLibrary(dir_ + "/libgone.so"), nullptr);
  String mine = LastDynLibError();
  std::string other;
  std::thread([&] {
    other = U8(LastDynLibError());
  }).join();
  EXPECT_TRUE(other.empty());
  HMODULE libc = LoadLibrary(u"libc.so.6");
  ASSERT_NE(libc, nullptr);
  EXPECT_EQ(LastDynLibError(), mine);  // a success keeps the last failure's text
  FreeLibrary(libc);
}
