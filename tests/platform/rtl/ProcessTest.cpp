#include "platform/rtl/Process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/rtl/Strings.h"

using namespace rtl;

namespace {

class ProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tvl-process-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // True once the child has ended and been reaped: a zombie keeps its /proc
  // entry, so only reaping makes it disappear.
  static bool Reaped(int pid) {
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    const std::string entry = "/proc/" + std::to_string(pid);
    while (std::filesystem::exists(entry)) {
      if (std::chrono::steady_clock::now() > giveUp) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }

  static std::string Read(const std::string& file) {
    std::ifstream in(file);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  std::string dir_;
};

}  // namespace

TEST_F(ProcessTest, StartedProgramIsReapedWithoutAnyoneWaiting) {
  TStartResult r = StartProgram(u"/bin/true", {});
  ASSERT_TRUE(r) << U8(r.ErrorText);
  EXPECT_GT(r.ProcessID, 0);
  EXPECT_TRUE(Reaped(r.ProcessID)) << "left as a zombie";
}

TEST_F(ProcessTest, ArgumentsArriveVerbatimAndNothingOfOursIsInherited) {
  const std::string name = dir_ + "/a b;$(echo x) '手机'.txt";
  // An open descriptor without close-on-exec, numbered clear of what sh uses.
  const int plain = ::open("/dev/null", O_RDONLY);
  const int leaked = ::fcntl(plain, F_DUPFD, 100);
  ::close(plain);
  ASSERT_GE(leaked, 100);
  // The shell here is the program started, not a way of starting it.
  TStartResult r = StartProgram(
      u"sh", {u"-c", u"touch \"$1\"; ls /proc/$$/fd > \"$2\"; cut -d' ' -f6 /proc/$$/stat > \"$3\"", u"sh",
              Utf8ToString(name), Utf8ToString(dir_ + "/fds"), Utf8ToString(dir_ + "/sid")});
  ::close(leaked);
  ASSERT_TRUE(r) << U8(r.ErrorText);
  ASSERT_TRUE(Reaped(r.ProcessID));

  EXPECT_TRUE(std::filesystem::exists(name));
  std::istringstream fds(Read(dir_ + "/fds"));
  for (int fd; fds >> fd;) EXPECT_NE(fd, leaked) << "inherited our descriptor";
  EXPECT_EQ(Read(dir_ + "/sid"), std::to_string(r.ProcessID) + "\n");  // a session of its own
}

TEST_F(ProcessTest, ProgramThatCannotStartIsReportedNotStarted) {
  std::ofstream(dir_ + "/script") << "#!/bin/sh\n";  // not executable
  struct Case {
    String program;
    std::string inText;
  } const cases[] = {
      {u"/nonexistent/tvl-program", "No such file"},
      {u"tvl-no-such-program-on-path", "No such file"},
      {Utf8ToString(dir_ + "/script"), "Permission denied"},
      {u"", "no program"},
  };
  for (const Case& c : cases) {
    TStartResult r = StartProgram(c.program, {u"x"});
    EXPECT_FALSE(r) << U8(c.program);
    EXPECT_EQ(r.ProcessID, 0);
    EXPECT_NE(U8(r.ErrorText).find(c.inText), std::string::npos) << U8(r.ErrorText);
  }
}
