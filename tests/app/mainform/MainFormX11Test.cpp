// The converter as a new user meets it, on a private Xvfb (skips without
// one): the program starts with an empty home, its main window is painted
// centred on the screen, "添加" drops the add menu below the button,
// "添加一个文件" opens the open-file dialog, a clip's folder and name typed
// into it bring the clip into the queue as its selected row. Screenshots go
// to the build folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "tests/app/mainform/MainFormX11Util.h"
#include "tests/support/Xvfb.h"

namespace {

using namespace mainformx11;
namespace fs = std::filesystem;

TEST(MainFormX11Test, StartsAddsAClipThroughTheDialogAndEndsOnATerminationRequest) {
  testsupport::Xvfb x;
  if (!x.Start("1280x1024x24")) GTEST_SKIP() << "Xvfb is not available";
  if (access("/usr/bin/xdotool", X_OK) != 0) GTEST_SKIP() << "xdotool is not available";
  std::string pattern = (fs::temp_directory_path() / "mainform-x11-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  const fs::path home = pattern;
  {
    // The program keeps option.ini under HOME: the test's home starts as on a
    // first run and leaves the user's settings alone.
    TProgram app(x, home);
    ASSERT_NE(app.Dpy(), nullptr);
    ASSERT_TRUE(app.Find());
    int wx, wy, ww, wh;
    app.Geometry(app.MainWindow(), wx, wy, ww, wh);
    // Centred, at least the client area large.
    EXPECT_GE(ww, kClientW);
    EXPECT_GE(wh, kClientH);
    EXPECT_NEAR(wx + ww / 2, 640, 2);
    EXPECT_NEAR(wy + wh / 2, 512, 2);
    // Painted: the queue area and the lower panels are not the black screen.
    EXPECT_TRUE(WaitFor([&] {
      return app.Pixel(app.X(kClientW / 2), app.Y(kQueueTop + kQueueH / 2)) != 0 &&
             app.Pixel(app.X(100), app.Y(kClientH - 60)) != 0;
    }, 20000));
    app.Screenshot("mainform_x11_start.png");

    // "添加": the add menu drops below the button.
    const int menuX = kToolSlotLeft + 74, menuY = kAddMenuFirstItemY + 5;
    const unsigned long before = app.Pixel(app.X(menuX), app.Y(menuY));
    app.Tool(tsAdd);
    EXPECT_TRUE(WaitFor([&] { return app.Pixel(app.X(menuX), app.Y(menuY)) != before; }, 15000));
    app.Screenshot("mainform_x11_addmenu.png");

    // "添加一个文件", then the clip's folder and its name in the dialog's name field.
    const fs::path clips = home / "片段";
    fs::create_directories(clips);
    ASSERT_TRUE(std::system(("ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i testsrc=size=160x120:rate=10:duration=3 "
                             "-f lavfi -i sine=duration=3 -c:v mpeg4 -c:a mp2 -shortest '" + (clips / "旅行 一.avi").string() +
                             "' >/dev/null 2>&1").c_str()) == 0);
    const int rowX = app.X(kQueueListLeft + 166), rowY = app.Y(kQueueListTop + kQueueHeaderH + kQueueRowH / 2);
    const unsigned long rowBefore = app.Pixel(rowX, rowY);
    app.Click(kToolSlotLeft + 64, kAddMenuFirstItemY);
    const std::string dlg = app.WaitForWindow("打开文件");
    ASSERT_FALSE(dlg.empty());
    Sleep(300);
    int dx, dy, dw, dh;
    app.Geometry(dlg, dx, dy, dw, dh);
    const std::string name = std::to_string(dx + 216) + " " + std::to_string(dy + dh - 62);
    app.MapCharacters(clips.string() + "旅行 一.avi");
    Shell(app.Env() + "xdotool mousemove " + name + " click 1 key ctrl+a type --delay 40 '" + clips.string() + "'");
    Shell(app.Env() + "xdotool key Return sleep 0.5 key ctrl+a type --delay 40 '旅行 一.avi'");
    Shell(app.Env() + "xdotool sleep 0.3 key Return");
    // The dialog closes and the clip's row, selected, replaces the empty-queue picture.
    EXPECT_TRUE(app.WaitForWindowGone("打开文件"));
    EXPECT_TRUE(WaitFor([&] { return app.Pixel(rowX, rowY) != rowBefore; }, 20000));
    app.Screenshot("mainform_x11_added.png");

    // With the preview open on the clip, a termination request still closes
    // the program the way its close button does: it ends by itself, cleanly.
    ASSERT_TRUE(app.Terminate()) << "SIGTERM did not end the program";
    EXPECT_TRUE(WIFEXITED(app.ExitStatus()) && WEXITSTATUS(app.ExitStatus()) == 0) << app.ExitStatus();
  }
  std::error_code ec;
  fs::remove_all(home, ec);
}

}  // namespace
