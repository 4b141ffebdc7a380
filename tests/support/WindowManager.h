// A window manager (openbox) on a test's private X display, stopped with the
// object. Users always run one, so the X11 suites run their key and focus
// cases under it as well as without it.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

namespace testsupport {

class WindowManager {
 public:
  WindowManager() = default;
  WindowManager(const WindowManager&) = delete;
  WindowManager& operator=(const WindowManager&) = delete;
  ~WindowManager() { Stop(); }

  static bool Available() { return access("/usr/bin/openbox", X_OK) == 0; }

  // Starts openbox on ADisplay and returns once it manages the screen; false
  // when it is not installed or did not come up within ten seconds.
  bool Start(const std::string& ADisplay) {
    if (!Available()) return false;
    std::string pattern = (std::filesystem::temp_directory_path() / "tvl-wm-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return false;
    dir_ = pattern;
    const std::string ready = dir_ + "/ready";
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ == 0) {
      // Goes with the test process however that ends.
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      if (getppid() != parent) _exit(1);
      setenv("DISPLAY", ADisplay.c_str(), 1);
      setenv("HOME", dir_.c_str(), 1);  // no user configuration, no cache of the user's
      setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
      setenv("XDG_CACHE_HOME", dir_.c_str(), 1);
      int null = open("/dev/null", O_WRONLY);
      dup2(null, 1);
      dup2(null, 2);
      const std::string startup = "touch '" + ready + "'";
      execl("/usr/bin/openbox", "openbox", "--sm-disable", "--startup", startup.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    if (pid_ < 0) return false;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!std::filesystem::exists(ready)) {
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return false;
      }
      if (std::chrono::steady_clock::now() > end) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    // The startup command runs once the screen is managed; a moment more
    // lets openbox finish its own start.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    return true;
  }

  void Stop() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      int status = 0;
      for (int i = 0; i < 100 && waitpid(pid_, &status, WNOHANG) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      if (waitpid(pid_, &status, WNOHANG) == 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
      }
      pid_ = -1;
    }
    if (!dir_.empty()) {
      std::error_code ec;
      std::filesystem::remove_all(dir_, ec);
      dir_.clear();
    }
  }

 private:
  pid_t pid_ = -1;
  std::string dir_;
};

}  // namespace testsupport
