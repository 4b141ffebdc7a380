// The queue's scroll bar in the real program on a private Xvfb (skips
// without one): fourteen files added through the open dialog overflow the
// queue, the wheel scrolls the last row out of sight, and dragging the bar's
// thumb to the end brings back exactly the view that showed the last row.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "tests/app/mainform/MainFormX11Util.h"
#include "tests/support/Xvfb.h"

namespace {

using namespace mainformx11;
namespace fs = std::filesystem;

// The list and its vertical bar inside the queue frame (client coordinates).
constexpr int kListW = kClientW - 2 * kMargin - 12 - 34, kListH = kQueueH - 12;
constexpr int kBarW = 19, kBarLeft = kQueueListLeft + kListW - kBarW;

TEST(MainFormQueueX11Test, FourteenFilesAndTheBarDraggedToTheEndShowsTheLastRow) {
  testsupport::Xvfb x;
  if (!x.Start("1280x1024x24")) GTEST_SKIP() << "Xvfb is not available";
  if (access("/usr/bin/xdotool", X_OK) != 0) GTEST_SKIP() << "xdotool is not available";
  std::string pattern = (fs::temp_directory_path() / "mainform-queue-x11-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  const fs::path home = pattern;
  {
    const fs::path clips = home / "q";
    fs::create_directories(clips);
    ASSERT_EQ(std::system(("ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i testsrc=size=160x120:rate=10:duration=1 "
                           "-c:v mpeg4 '" + (clips / "c01.avi").string() + "' >/dev/null 2>&1").c_str()), 0);
    for (int i = 2; i <= 14; ++i) {
      char name[16];
      std::snprintf(name, sizeof name, "c%02d.avi", i);
      fs::copy_file(clips / "c01.avi", clips / name);
    }
    TProgram app(x, home);
    ASSERT_NE(app.Dpy(), nullptr);
    ASSERT_TRUE(app.Find());
    for (int i = 1; i <= 14; ++i) {
      char name[16];
      std::snprintf(name, sizeof name, "c%02d.avi", i);
      ASSERT_TRUE(app.AddFile(clips / name)) << name;
    }
    // The list without its bar: the rows below the header.
    const int lx = app.X(kQueueListLeft), ly = app.Y(kQueueListTop + kQueueHeaderH);
    const int lw = kListW - kBarW - 2, lh = kListH - kQueueHeaderH - 2;
    app.ScreenMove(2, 2);
    Sleep(800);
    // The last file added is selected and in view: its row lies at the bottom.
    const TPixels end = app.Grab(lx, ly, lw, lh);
    app.Screenshot("mainform_x11_14rows_end.png");

    // The wheel scrolls the list up: the last row leaves the view.
    app.ScreenMove(lx + lw / 2, ly + lh / 2);
    Shell(app.Env() + "xdotool click --repeat 6 --delay 80 4");
    ASSERT_TRUE(WaitFor([&] { return app.Grab(lx, ly, lw, lh) != end; }, 10000)) << "the wheel did not scroll";
    Sleep(300);
    app.Screenshot("mainform_x11_14rows_top.png");

    // The thumb, now at the top of the track, dragged to the bottom.
    const int bx = app.X(kBarLeft + kBarW / 2);
    const int from = app.Y(kQueueListTop + kBarW + 10), to = app.Y(kQueueListTop + kListH - 3);
    Shell(app.Env() + "xdotool mousemove " + std::to_string(bx) + " " + std::to_string(from) + " mousedown 1 sleep 0.2 mousemove " +
          std::to_string(bx) + " " + std::to_string((from + to) / 2) + " sleep 0.2 mousemove " + std::to_string(bx) + " " +
          std::to_string(to) + " sleep 0.2 mouseup 1");
    app.ScreenMove(2, 2);
    EXPECT_TRUE(WaitFor([&] { return app.Grab(lx, ly, lw, lh) == end; }, 10000))
        << "the bar at the end does not show the view with the last row";
    app.Screenshot("mainform_x11_14rows_dragged.png");
    ASSERT_TRUE(app.Terminate());
  }
  std::error_code ec;
  fs::remove_all(home, ec);
}

}  // namespace
