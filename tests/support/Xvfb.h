// A private Xvfb for the X11 tests and benchmarks, on a display number of its
// own choosing (-displayfd), ended with the object or with the test process.
// It never resets when its last client leaves, so the display stays the
// test's own from start to end: a program started again on it, or a client
// connecting between two programs, finds the same server.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "tests/support/ChildProcess.h"

namespace testsupport {

class Xvfb {
 public:
  Xvfb() = default;
  Xvfb(const Xvfb&) = delete;
  Xvfb& operator=(const Xvfb&) = delete;
  ~Xvfb() { EndGroup(pid_); }

  // False when Xvfb is not installed or did not come up.
  bool Start(const char* screen = "640x480x24") {
    if (access("/usr/bin/Xvfb", X_OK) != 0) return false;
    int fds[2];
    if (pipe(fds) != 0) return false;
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ == 0) {
      BindToTest(parent);
      close(fds[0]);
      std::string fd = std::to_string(fds[1]);
      int null = open("/dev/null", O_WRONLY);
      dup2(null, 1);
      dup2(null, 2);
      execl("/usr/bin/Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen, "-nolisten", "tcp",
            "-noreset", static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    std::string num;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n') num += c;
    close(fds[0]);
    if (num.empty()) return false;
    display_ = ":" + num;
    return true;
  }
  const std::string& Display() const { return display_; }
  // Ends the server now (the display's clients lose their connection).
  void Stop() {
    EndGroup(pid_);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  std::string display_;
};

}  // namespace testsupport
