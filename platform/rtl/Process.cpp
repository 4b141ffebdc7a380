#include "platform/rtl/Process.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <system_error>
#include <thread>

#include "platform/rtl/Strings.h"

extern char** environ;

namespace rtl {

namespace {

void Reap(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
}

String ErrorText(const std::string& program, int error) {
  return Utf8ToString(program + ": " + std::strerror(error));
}

}  // namespace

TStartResult StartProgram(const String& Program, const std::vector<String>& Args) {
  TStartResult result;
  const std::string program = StringToFileName(Program);
  if (program.empty()) {
    result.ErrorText = u"no program given";
    return result;
  }
  std::vector<std::string> args;
  args.reserve(Args.size() + 1);
  args.push_back(program);
  for (const String& a : Args) args.push_back(StringToFileName(a));
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attr;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawnattr_init(&attr);
  ::posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  sigset_t none, defaults;
  sigemptyset(&none);
  sigfillset(&defaults);
  sigdelset(&defaults, SIGKILL);
  sigdelset(&defaults, SIGSTOP);
  ::posix_spawnattr_setsigmask(&attr, &none);
  ::posix_spawnattr_setsigdefault(&attr, &defaults);
  ::posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID);

  pid_t pid = 0;
  // glibc reports a failed exec (missing program, no permission) here.
  const int error = ::posix_spawnp(&pid, program.c_str(), &actions, &attr, argv.data(), environ);
  ::posix_spawn_file_actions_destroy(&actions);
  ::posix_spawnattr_destroy(&attr);
  if (error != 0) {
    result.ErrorText = ErrorText(program, error);
    return result;
  }
  result.Started = true;
  result.ProcessID = pid;
  try {
    std::thread(Reap, pid).detach();
  } catch (const std::system_error&) {
    // No thread to spare: reap in place rather than leave a zombie behind.
    Reap(pid);
  }
  return result;
}

}  // namespace rtl
