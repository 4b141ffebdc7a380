// The converter converting, as a new user runs it on a private Xvfb (skips
// without one): two clips added through "添加一个文件", a category and a
// format picked for the selected row, "开始" pressed; the outputs appear in
// the output folder, ffprobe reads each row's codecs, picture size and
// duration, and the end of the queue opens the output folder. Then a longer
// clip is paused, resumed and stopped, which leaves a shorter playable file.
// Last, the options dialog: a thread count chosen and confirmed is in
// option.ini, and after the program is closed and started again the dialog
// shows it. Screenshots go to the build folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/app/mainform/MainFormX11Util.h"
#include "tests/support/Xvfb.h"

namespace {

using namespace mainformx11;
namespace fs = std::filesystem;

std::string Probe(const fs::path& file, const std::string& entries, const std::string& stream = "") {
  return Shell("ffprobe -v error " + (stream.empty() ? "" : "-select_streams " + stream + " ") + "-show_entries " +
               entries + " -of csv=p=0 '" + file.string() + "' 2>/dev/null");
}

double Duration(const fs::path& file) {
  const std::string d = Probe(file, "format=duration");
  return d.empty() || d == "N/A" ? -1 : std::atof(d.c_str());
}

bool MakeClip(const fs::path& path, const std::string& size, int seconds) {
  const std::string s = std::to_string(seconds);
  return std::system(("ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i testsrc=size=" + size +
                      ":rate=25:duration=" + s + " -f lavfi -i sine=duration=" + s +
                      " -c:v mpeg4 -q:v 2 -c:a mp2 -shortest '" + path.string() + "' >/dev/null 2>&1").c_str()) == 0;
}

// A private Xvfb, xdotool and a home folder of the test's own.
class RunX11Test : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!x.Start("1280x1024x24")) GTEST_SKIP() << "Xvfb is not available";
    if (access("/usr/bin/xdotool", X_OK) != 0) GTEST_SKIP() << "xdotool is not available";
    std::string pattern = (fs::temp_directory_path() / "mainform-run-x11-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    home = pattern;
  }
  void TearDown() override {
    std::error_code ec;
    if (!home.empty()) fs::remove_all(home, ec);
  }

  testsupport::Xvfb x;
  fs::path home;
};

// An office picker of the main window: a click on its face at client (X, Y)
// drops its list (below it, or above it where the screen ends), a click on
// the list's row Index picks that item. Shot: a screenshot of the open list.
bool PickFromList(TProgram& app, int X, int Y, int RowH, int Index, const std::string& Shot) {
  const std::vector<TPlaced> before = app.Shown();
  app.Click(X, Y);
  TPlaced list;
  if (!app.WaitForNewWindow(before, list)) return false;
  Sleep(400);
  app.Screenshot(Shot);
  app.ScreenClick(list.X + list.W / 2, list.Y + 2 + Index * RowH + RowH / 2);
  return WaitFor([&] {
    for (const TPlaced& w : app.Shown())
      if (w.Id == list.Id) return false;
    return true;
  }, 15000);
}

TEST_F(RunX11Test, ConvertsTwoClipsInTheirPickedFormatsThenPausesResumesAndStopsALongOne) {
  // One folder per clip: the open dialog is driven by typing a folder and a name.
  const fs::path first = home / "片段一" / "第一段.avi", second = home / "片段二" / "second clip.avi",
                 longClip = home / "片段三" / "long clip.avi";
  for (const fs::path& p : {first, second, longClip}) fs::create_directories(p.parent_path());
  ASSERT_TRUE(MakeClip(first, "320x240", 3));
  ASSERT_TRUE(MakeClip(second, "640x480", 12));
  ASSERT_TRUE(MakeClip(longClip, "1280x720", 60));
  const fs::path out = home / "Tavrel视频软件" / "输出";
  TProgram app(x, home);
  ASSERT_TRUE(app.Find());
  ASSERT_TRUE(app.AddFile(first));
  ASSERT_TRUE(app.AddFile(second));
  Sleep(300);
  app.Screenshot("mainform_x11_two_added.png");
  // The second row, selected after its addition, takes "MP4视频" and in it
  // "MP4 AVC视频(*.mp4)" (H.264 and AAC; its pickers show "保持原分辨率", so
  // the source's size); the first keeps the first profile of "Android视频"
  // (MPEG-4 and MP3 at the source's size).
  ASSERT_TRUE(PickFromList(app, kCategoryLeft + kCategoryW / 2, kPickerTop + kPickerH / 2, kCategoryRowH, 2,
                           "mainform_x11_category_list.png"));
  Sleep(500);
  ASSERT_TRUE(PickFromList(app, kFormatLeft + kFormatW / 2, kPickerTop + kPickerH / 2, kFormatRowH, 3,
                           "mainform_x11_format_list.png"));
  Sleep(500);
  app.Screenshot("mainform_x11_picked.png");
  app.Tool(tsStart);
  Sleep(1500);
  app.Screenshot("mainform_x11_started.png");
  // Both outputs appear and complete; the end of the queue then opens the
  // output folder ("自动打开输出文件夹", checked on a first start).
  const fs::path firstOut = out / "第一段.avi", secondOut = out / "second clip.mp4";
  ASSERT_TRUE(WaitFor([&] { return fs::exists(firstOut) && fs::exists(secondOut); }, 30000))
      << "outputs: " << Shell("ls '" + out.string() + "'");
  ASSERT_TRUE(WaitFor([&] { return Duration(firstOut) > 2.7 && Duration(secondOut) > 11.5; }, 60000));
  EXPECT_TRUE(WaitFor([&] { return FileText(app.OpenedLog()).find("输出") != std::string::npos; }, 30000));
  Sleep(500);
  app.Screenshot("mainform_x11_done.png");
  EXPECT_EQ(FileText(app.OpenedLog()), out.string() + "\n");
  EXPECT_NEAR(Duration(firstOut), 3.0, 0.3);
  EXPECT_EQ(Probe(firstOut, "stream=codec_name", "v:0"), "mpeg4");
  EXPECT_EQ(Probe(firstOut, "stream=codec_name", "a:0"), "mp3");
  EXPECT_EQ(Probe(firstOut, "stream=width,height", "v:0"), "320,240");
  EXPECT_NEAR(Duration(secondOut), 12.0, 0.3);
  EXPECT_EQ(Probe(secondOut, "stream=codec_name", "v:0"), "h264");
  EXPECT_EQ(Probe(secondOut, "stream=codec_name", "a:0"), "aac");
  EXPECT_EQ(Probe(secondOut, "stream=width,height", "v:0"), "640,480");

  // "清空", then a long clip, which takes the format still picked: pause,
  // resume (the same place), stop.
  app.Tool(tsClear);
  Sleep(300);
  ASSERT_TRUE(app.AddFile(longClip));
  Sleep(300);
  app.Screenshot("mainform_x11_long_added.png");
  const fs::path longOut = out / "long clip.mp4";
  // Until it ends, the conversion writes a hidden file beside its output.
  auto written = [&]() -> std::uintmax_t {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(out, ec)) {
      const std::string name = e.path().filename().string();
      if (name.rfind(".long clip.mp4.", 0) == 0 && name.size() > 5 && name.substr(name.size() - 5) == ".part")
        return fs::file_size(e.path(), ec);
    }
    return fs::exists(longOut, ec) ? fs::file_size(longOut, ec) : 0;
  };
  app.Tool(tsStart);
  ASSERT_TRUE(WaitFor([&] { return written() > 200000; }, 60000));
  EXPECT_FALSE(fs::exists(longOut)) << "the output appears when its conversion ends";
  app.Screenshot("mainform_x11_converting.png");
  app.Tool(tsPause);
  Sleep(800);
  const auto pausedSize = written();
  Sleep(800);
  EXPECT_EQ(written(), pausedSize);
  app.Screenshot("mainform_x11_paused.png");
  app.Tool(tsPause);  // "继续" in the same place
  EXPECT_TRUE(WaitFor([&] { return written() > pausedSize; }, 20000));
  app.Tool(tsStop);
  ASSERT_TRUE(WaitFor([&] { return Duration(longOut) > 0; }, 30000));
  Sleep(500);
  app.Screenshot("mainform_x11_stopped.png");
  const double d = Duration(longOut);
  EXPECT_GT(d, 0.0);
  EXPECT_LT(d, 59.0);
  EXPECT_EQ(Probe(longOut, "stream=codec_name", "v:0"), "h264");
  EXPECT_EQ(Probe(longOut, "stream=width,height", "v:0"), "1280,720");
}

// "选项" → the thread-count box set to 4 by keys → "确定": option.ini holds
// it at once; "文件" → "退出" ends the program; started again, "功能" →
// "转换设置" shows 4 in the dialog, and "确定" there keeps it.
TEST_F(RunX11Test, OptionsDialogKeepsTheThreadCountAcrossARestart) {
  TPixels chosen;
  auto openOptions = [&](TProgram& app, int& ox, int& oy, bool byMenu = false) {
    if (byMenu) {
      // The menu opens with its first item, "转换设置", chosen.
      app.Click(kMenuToolsX, kMenuBarItemY);
      Sleep(400);
      app.Keys("Return");
    } else {
      app.Tool(tsOptions);
    }
    const std::string dlg = app.WaitForWindow("选项");
    if (dlg.empty()) return false;
    Sleep(500);
    app.DialogOrigin(dlg, kOptionsClientW, kOptionsClientH, ox, oy);
    return true;
  };
  auto threadsFace = [&](TProgram& app, int ox, int oy) {
    return app.Grab(ox + kOptionsThreadsLeft, oy + kOptionsThreadsTop, kOptionsThreadsW, kOptionsThreadsH);
  };
  auto ok = [&](TProgram& app, int ox, int oy) {
    app.ScreenClick(ox + kOptionsOkLeft + kOptionsButtonW / 2, oy + kOptionsButtonTop + kOptionsButtonH / 2);
    return app.WaitForWindowGone("选项");
  };
  fs::path ini;
  {
    TProgram app(x, home);
    ini = app.IniFile();
    ASSERT_TRUE(app.Find());
    // A first start wrote the options' defaults.
    EXPECT_TRUE(WaitFor([&] { return FileText(ini).find("Thread_Count=0") != std::string::npos; }, 10000))
        << FileText(ini);
    int ox, oy;
    ASSERT_TRUE(openOptions(app, ox, oy));
    app.Screenshot("mainform_x11_options_opened.png");
    const TPixels one = threadsFace(app, ox, oy);
    // A click drops the list and focuses the box; three Downs and Return choose "4".
    app.ScreenClick(ox + kOptionsThreadsLeft + kOptionsThreadsW / 2, oy + kOptionsThreadsTop + kOptionsThreadsH / 2);
    Sleep(500);
    app.Screenshot("mainform_x11_options_list.png");
    app.Keys("Down Down Down Return");
    Sleep(500);
    app.Screenshot("mainform_x11_options_four.png");
    // The pointer off the box, as it is when the dialog opens again.
    app.ScreenMove(ox + kOptionsClientW / 2, oy + kOptionsClientH - 8);
    Sleep(300);
    chosen = threadsFace(app, ox, oy);
    EXPECT_NE(chosen, one);
    ASSERT_TRUE(ok(app, ox, oy));
    EXPECT_NE(FileText(ini).find("Thread_Count=4"), std::string::npos) << FileText(ini);
    // "文件" → "退出" (its last item) ends the program.
    app.Click(kMenuFileX, kMenuBarItemY);
    Sleep(400);
    app.Keys("Up Return");
    ASSERT_TRUE(app.Exited(30000));
  }
  {
    TProgram app(x, home);
    ASSERT_TRUE(app.Find());
    int ox, oy;
    ASSERT_TRUE(openOptions(app, ox, oy, true));
    app.ScreenMove(ox + kOptionsClientW / 2, oy + kOptionsClientH - 8);
    Sleep(300);
    app.Screenshot("mainform_x11_options_reopened.png");
    EXPECT_EQ(threadsFace(app, ox, oy), chosen);
    ASSERT_TRUE(ok(app, ox, oy));
    EXPECT_NE(FileText(ini).find("Thread_Count=4"), std::string::npos) << FileText(ini);
    EXPECT_TRUE(app.Close());
  }
}

}  // namespace
