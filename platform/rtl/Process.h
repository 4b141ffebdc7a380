// Starting other programs (the file manager or browser through xdg-open, the
// power-off command) without a shell and without waiting for them.
//
// The program is found through PATH when its name holds no '/'. Arguments
// reach it exactly as given (no shell: spaces, quotes and '$' are plain
// characters); Strings are passed as UTF-8. The child starts in a session of
// its own with default signal handling, an empty signal mask, and no file
// descriptors of ours beyond 0, 1 and 2, so it neither holds our files or
// display connection open nor dies with our terminal.
//
// Nobody waits for the program, yet it never lingers as a zombie: a small
// detached thread per child reaps exactly that child (no SIGCHLD handler is
// installed, so other users of child processes are not disturbed).
// Thread-safe.
#pragma once

#include <vector>

#include "platform/rtl/Types.h"

namespace rtl {

struct TStartResult {
  bool Started = false;
  int ProcessID = 0;  // 0 when not started
  String ErrorText;   // why it did not start
  explicit operator bool() const { return Started; }
};

// Args are the arguments after the program name.
TStartResult StartProgram(const String& Program, const std::vector<String>& Args);

}  // namespace rtl
