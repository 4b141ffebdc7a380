// A private Xvfb for the X11 tests and benchmarks, on a display number of its
// own choosing (-displayfd), stopped with the object.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace testsupport {

class Xvfb {
 public:
  Xvfb() = default;
  Xvfb(const Xvfb&) = delete;
  Xvfb& operator=(const Xvfb&) = delete;
  ~Xvfb() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }

  // False when Xvfb is not installed or did not come up.
  bool Start(const char* screen = "640x480x24") {
    if (access("/usr/bin/Xvfb", X_OK) != 0) return false;
    int fds[2];
    if (pipe(fds) != 0) return false;
    pid_ = fork();
    if (pid_ == 0) {
      close(fds[0]);
      std::string fd = std::to_string(fds[1]);
      int null = open("/dev/null", O_WRONLY);
      dup2(null, 2);
      execl("/usr/bin/Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen, "-nolisten", "tcp",
            static_cast<char*>(nullptr));
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

 private:
  pid_t pid_ = -1;
  std::string display_;
};

}  // namespace testsupport
