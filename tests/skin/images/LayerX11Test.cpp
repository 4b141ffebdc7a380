// Layered glow windows on a real display: a private Xvfb with a compositor.
// Skips when Xvfb or xcompmgr is not installed.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "ImagesTestUtil.h"
#include "platform/win/Backend.h"
#include "platform/win/WinApi.h"
#include "skin/images/bsLayerManager.h"
#include "skin/images/bsUtils.h"

#include <X11/Xlib.h>  // last: its macros clash with the headers above
#include <X11/Xutil.h>

extern char** environ;

namespace {

// A program that runs until the test ends.
struct Process {
  pid_t pid = -1;
  bool Spawn(std::vector<std::string> argv, posix_spawn_file_actions_t* io = nullptr) {
    if (access(argv[0].c_str(), X_OK) != 0) return false;
    std::vector<char*> a;
    for (auto& s : argv) a.push_back(s.data());
    a.push_back(nullptr);
    return posix_spawn(&pid, a[0], io, nullptr, a.data(), environ) == 0;
  }
  ~Process() {
    if (pid > 0) {
      kill(pid, SIGTERM);
      waitpid(pid, nullptr, 0);
    }
  }
};

bool PumpUntil(const std::function<bool()>& done) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (std::chrono::steady_clock::now() < until) {
    win::ProcessPendingMessages();
    win::FlushWindows();
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

TEST(LayerX11, GlowWindowShowsTheImageWithTheMasksAlpha) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  posix_spawn_file_actions_t io;
  posix_spawn_file_actions_init(&io);
  posix_spawn_file_actions_addclose(&io, fds[0]);
  Process xvfb;
  const bool started = xvfb.Spawn({"/usr/bin/Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "320x240x24",
                                   "-nolisten", "tcp"},
                                  &io);
  posix_spawn_file_actions_destroy(&io);
  close(fds[1]);
  std::string display = ":";
  for (char c; started && read(fds[0], &c, 1) == 1 && c != '\n';) display += c;
  close(fds[0]);
  if (display == ":") GTEST_SKIP() << "Xvfb is not available";
  setenv("DISPLAY", display.c_str(), 1);
  Process comp;
  if (!comp.Spawn({"/usr/bin/xcompmgr", "-d", display})) GTEST_SKIP() << "xcompmgr is not available";
  ASSERT_TRUE(win::InitWindowSystem(win::BackendKind::X11));
  ASSERT_TRUE(PumpUntil([] { return skin::IsLayeringSupported(); }));

  gdi::TBitmap image, mask;
  imgtest::Fill(image, 16, 8, [](int, int) { return 0xFF204060u; });
  imgtest::Fill(mask, 16, 8, [](int x, int) { return x < 8 ? 0xFFFFFFFFu : 0xFF404040u; });
  {
    skin::TbsLayerManager mgr(nullptr);
    mgr.Show(30, 40, &image, &mask, 200);
    ASSERT_NE(mgr.LayerWindow(), nullptr);
    EXPECT_TRUE(PumpUntil([&] { return !mgr.TimerEnabled(); }));  // the fade ran on real timers
    EXPECT_EQ(mgr.BeginAlphaBlendValue(), 200);
    Display* d = XOpenDisplay(display.c_str());
    ASSERT_NE(d, nullptr);
    const Window xw = Window(win::GetNativeWindowId(mgr.LayerWindow()->Handle()));
    ASSERT_NE(xw, 0u);
    bool ok = PumpUntil([&] {
      XImage* img = XGetImage(d, xw, 0, 0, 16, 8, AllPlanes, ZPixmap);
      if (!img) return false;
      const bool eq = img->depth == 32 && XGetPixel(img, 2, 2) == 0xFF204060ul && XGetPixel(img, 12, 2) == 0x40204060ul;
      XDestroyImage(img);
      return eq;
    });
    EXPECT_TRUE(ok);
    mgr.Hide();
    EXPECT_EQ(mgr.LayerWindow(), nullptr);
    XCloseDisplay(d);
  }
  win::ShutdownWindowSystem();
}

}  // namespace
