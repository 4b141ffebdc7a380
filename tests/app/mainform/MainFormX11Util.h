// Helpers of the X11 tests that run the real program on a private Xvfb.
#pragma once

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

namespace mainformx11 {

// Where pictures of the screen go: TVL_TEST_PICTURES, else the working folder.
inline std::string PictureDir() {
  const char* d = std::getenv("TVL_TEST_PICTURES");
  return d ? d : ".";
}

// A command's standard output, without its trailing line breaks and blanks.
inline std::string Shell(const std::string& cmd) {
  std::string out;
  if (FILE* p = popen(cmd.c_str(), "r")) {
    char buf[256];
    while (fgets(buf, sizeof buf, p)) out += buf;
    pclose(p);
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
  return out;
}

// Polls `done` until it holds or `ms` pass (a bound for a broken run).
inline bool WaitFor(const std::function<bool()>& done, int ms) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < until) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return done();
}

}  // namespace mainformx11
