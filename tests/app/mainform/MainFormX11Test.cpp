// The converter as a new user meets it, on a private Xvfb (skips without
// one): the program starts with an empty home, its main window is painted
// centred on the screen, "添加" drops the add menu below the button,
// "添加一个文件" opens the open-file dialog, a clip's folder and name typed
// into it bring the clip into the queue as its selected row. Screenshots go
// to the build folder.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "tests/app/mainform/MainFormX11Util.h"
#include "tests/support/Xvfb.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

using mainformx11::PictureDir;
using mainformx11::Shell;
using mainformx11::WaitFor;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;



unsigned long Pixel(Display* d, int x, int y) {
  XImage* img = XGetImage(d, DefaultRootWindow(d), x, y, 1, 1, AllPlanes, ZPixmap);
  if (!img) return 0;
  const unsigned long p = XGetPixel(img, 0, 0);
  XDestroyImage(img);
  return p;
}


TEST(MainFormX11Test, StartsAddsAClipThroughTheDialogAndEndsOnATerminationRequest) {
  testsupport::Xvfb x;
  if (!x.Start("1280x1024x24")) GTEST_SKIP() << "Xvfb is not available";
  if (access("/usr/bin/xdotool", X_OK) != 0) GTEST_SKIP() << "xdotool is not available";
  std::string pattern = (fs::temp_directory_path() / "mainform-x11-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  const fs::path home = pattern;
  // The program keeps option.ini beside itself: a copy in the test's folder
  // starts as on a first run and leaves the built program's settings alone.
  const fs::path program = home / "program" / "tavrel-converter";
  fs::create_directories(program.parent_path());
  fs::copy_file(TVL_CONVERTER_PATH, program);
  Display* probe = XOpenDisplay(x.Display().c_str());
  ASSERT_NE(probe, nullptr);

  pid_t pid = fork();
  if (pid == 0) {
    setenv("DISPLAY", x.Display().c_str(), 1);
    setenv("HOME", home.c_str(), 1);
    execl(program.c_str(), "tavrel-converter", static_cast<char*>(nullptr));
    _exit(127);
  }
  const std::string env = "DISPLAY=" + x.Display() + " ";
  // The visible window with this title, by comparing names (xdotool's own
  // pattern match does not take every UTF-8 title).
  auto findWindow = [&](const std::string& title) {
    const std::string ids = Shell(env + "xdotool search --onlyvisible --name . 2>/dev/null");
    std::size_t pos = 0;
    while (pos < ids.size()) {
      std::size_t end = ids.find('\n', pos);
      if (end == std::string::npos) end = ids.size();
      const std::string w = ids.substr(pos, end - pos);
      pos = end + 1;
      if (w.empty()) continue;
      std::string name = Shell(env + "xdotool getwindowname " + w);
      name.erase(name.find_last_not_of(" \n") + 1);
      if (name == title) return w;
    }
    return std::string();
  };
  std::string id;
  ASSERT_TRUE(WaitFor([&] {
    id = Shell(env + "xdotool search --onlyvisible --name 'TavrelAndroid' 2>/dev/null | head -1");
    return !id.empty();
  }, 30000));
  id.erase(id.find_last_not_of(" \n") + 1);
  const std::string geometry = Shell(env + "xdotool getwindowgeometry --shell " + id);
  int wx = -1, wy = -1, ww = 0, wh = 0;
  std::sscanf(geometry.substr(geometry.find("X=")).c_str(), "X=%d\nY=%d\nWIDTH=%d\nHEIGHT=%d", &wx, &wy, &ww, &wh);
  // Centred, at least the client area large.
  EXPECT_GE(ww, 805);
  EXPECT_GE(wh, 541);
  EXPECT_NEAR(wx + ww / 2, 640, 2);
  EXPECT_NEAR(wy + wh / 2, 512, 2);
  // Painted: the queue area and the lower panels are not the black screen.
  EXPECT_TRUE(WaitFor([&] { return Pixel(probe, 640, wy + 200) != 0 && Pixel(probe, wx + 100, wy + wh - 60) != 0; }, 20000));
  Shell("ffmpeg -nostdin -loglevel error -y -f x11grab -video_size 1280x1024 -i " + x.Display() +
      " -frames:v 1 '" + PictureDir() + "/mainform_x11_start.png'");

  // "添加": the add menu drops below the button.
  // The tool bar lies under the 24-pixel menu bar.
  const int bx = wx + (ww - 805) / 2 + 40, by = wy + (wh - 541) - 8 + 24 + 30;
  const unsigned long before = Pixel(probe, bx + 40, by + 45);
  Shell(env + "xdotool mousemove " + std::to_string(bx) + " " + std::to_string(by) + " click 1");
  EXPECT_TRUE(WaitFor([&] { return Pixel(probe, bx + 40, by + 45) != before; }, 15000));
  Shell("ffmpeg -nostdin -loglevel error -y -f x11grab -video_size 1280x1024 -i " + x.Display() +
      " -frames:v 1 '" + PictureDir() + "/mainform_x11_addmenu.png'");

  // "添加一个文件", then the clip's folder and its name in the dialog's name field.
  const fs::path clips = home / "片段";
  fs::create_directories(clips);
  ASSERT_TRUE(std::system(("ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i testsrc=size=160x120:rate=10:duration=3 "
                           "-f lavfi -i sine=duration=3 -c:v mpeg4 -c:a mp2 -shortest '" + (clips / "旅行 一.avi").string() +
                           "' >/dev/null 2>&1").c_str()) == 0);
  const int rowX = wx + (ww - 805) / 2 + 180, rowY = wy + (wh - 541) - 8 + 90 + 6 + 30;
  const unsigned long rowBefore = Pixel(probe, rowX, rowY);
  Shell(env + "xdotool mousemove " + std::to_string(bx + 30) + " " + std::to_string(by + 40) + " click 1");
  std::string dlg;
  ASSERT_TRUE(WaitFor([&] {
    dlg = findWindow("打开文件");
    return !dlg.empty();
  }, 20000));
  dlg.erase(dlg.find_last_not_of(" \n") + 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const std::string dg = Shell(env + "xdotool getwindowgeometry --shell " + dlg);
  int dx = -1, dy = -1, dw = 0, dh = 0;
  std::sscanf(dg.substr(dg.find("X=")).c_str(), "X=%d\nY=%d\nWIDTH=%d\nHEIGHT=%d", &dx, &dy, &dw, &dh);
  const std::string name = std::to_string(dx + 216) + " " + std::to_string(dy + dh - 62);
  Shell(env + "xdotool mousemove " + name + " click 1 key ctrl+a type --delay 40 '" + clips.string() + "'");
  Shell(env + "xdotool key Return sleep 0.5 key ctrl+a type --delay 40 '旅行 一.avi'");
  Shell(env + "xdotool sleep 0.3 key Return");
  // The dialog closes and the clip's row, selected, replaces the empty-queue picture.
  EXPECT_TRUE(WaitFor([&] {
    return findWindow("打开文件").empty();
  }, 20000));
  EXPECT_TRUE(WaitFor([&] { return Pixel(probe, rowX, rowY) != rowBefore; }, 20000));
  Shell("ffmpeg -nostdin -loglevel error -y -f x11grab -video_size 1280x1024 -i " + x.Display() +
        " -frames:v 1 '" + PictureDir() + "/mainform_x11_added.png'");

  // With the preview open on the clip, a termination request still closes
  // the program the way its close button does: it ends by itself, cleanly.
  kill(pid, SIGTERM);
  int status = -1;
  const bool ended = WaitFor([&] { return waitpid(pid, &status, WNOHANG) == pid; }, 20000);
  EXPECT_TRUE(ended) << "SIGTERM did not end the program";
  if (!ended) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  } else {
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
  XCloseDisplay(probe);
  std::error_code ec;
  fs::remove_all(home, ec);
}

}  // namespace
