// A helper program run for the length of a test (an input method server, a
// clipboard client ...): started with its arguments, output discarded,
// stopped with SIGTERM when the object goes.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace testsupport {

class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess() { Stop(); }

  // False when the program is not there or could not be started.
  bool Start(const char* path, std::vector<std::string> args) {
    if (access(path, X_OK) != 0) return false;
    pid_ = fork();
    if (pid_ == 0) {
      int null = open("/dev/null", O_WRONLY);
      dup2(null, 1);
      dup2(null, 2);
      std::vector<char*> argv{const_cast<char*>(path)};
      for (auto& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(path, argv.data());
      _exit(127);
    }
    return pid_ > 0;
  }
  void Stop() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
};

}  // namespace testsupport
