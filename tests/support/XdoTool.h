// xdotool run in the background while a test's message loop keeps pumping,
// for the X11 tests against a private Xvfb.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/ChildProcess.h"

namespace testsupport {

class XdoTool {
 public:
  explicit XdoTool(std::vector<std::string> args) {
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ == 0) {
      BindToTest(parent);
      std::vector<char*> argv{const_cast<char*>("xdotool")};
      for (auto& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      int null = open("/dev/null", O_WRONLY);
      dup2(null, 1);
      dup2(null, 2);
      execv("/usr/bin/xdotool", argv.data());
      _exit(127);
    }
  }
  XdoTool(const XdoTool&) = delete;
  XdoTool& operator=(const XdoTool&) = delete;
  bool Done() {
    if (pid_ <= 0) return true;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      ok_ = WIFEXITED(status) && WEXITSTATUS(status) == 0;
      return true;
    }
    return false;
  }
  bool Ok() const { return ok_; }
  ~XdoTool() { EndGroup(pid_); }
  static bool Available() { return access("/usr/bin/xdotool", X_OK) == 0; }

 private:
  pid_t pid_ = -1;
  bool ok_ = false;
};

// Runs `pump` until `done` or the time passes (a bound for a broken run, not
// a measurement).
inline bool PumpUntil(const std::function<void()>& pump, const std::function<bool()>& done, int ms = 20000) {
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < until) {
    pump();
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return done();
}

}  // namespace testsupport
