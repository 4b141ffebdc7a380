// Programs a test starts (an X server, an input method server, the program
// under test ...). Each runs in a process group of its own and is killed by
// the kernel when the test process ends, however it ends (a crash included),
// so nothing a test started outlives it or holds ctest's output open.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace testsupport {

// To be called in a child between fork and exec: a process group of its own
// (so that the whole group can be ended), and SIGKILL when the test goes.
inline void BindToTest(pid_t parent) {
  setpgid(0, 0);
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != parent) _exit(127);  // the test ended before the prctl
}

// Ends the group led by pid: SIGTERM, then SIGKILL when the leader has not
// ended within ms (a bound for a stuck program, not a measurement). The rest
// of the group is killed while the leader is still unreaped, so that the
// group's number cannot have gone to someone else; then the leader is reaped.
inline void EndGroup(pid_t pid, int ms = 5000) {
  if (pid <= 0) return;
  kill(-pid, SIGTERM);
  kill(pid, SIGTERM);  // in case it has not made its group yet
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    siginfo_t info{};
    if (waitid(P_PID, id_t(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0 || info.si_pid == pid) break;
    if (std::chrono::steady_clock::now() > until) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  kill(-pid, SIGKILL);
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

// A helper program run for the length of a test: started with its
// arguments, output discarded, ended with its group when the object goes.
class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess() { Stop(); }

  // False when the program is not there or could not be started.
  bool Start(const char* path, std::vector<std::string> args) {
    if (access(path, X_OK) != 0) return false;
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ == 0) {
      BindToTest(parent);
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
    EndGroup(pid_);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
};

}  // namespace testsupport
