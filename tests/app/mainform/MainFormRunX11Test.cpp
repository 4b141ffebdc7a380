// The converter converting, as a new user runs it on a private Xvfb (skips
// without one): two clips added through "添加一个文件", "开始" pressed, the
// outputs appear in the output folder and ffprobe reads the profile's codecs,
// picture size and duration; then a longer clip is paused, resumed and
// stopped, which leaves a shorter playable file. Screenshots go to the build
// folder.
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
#include <vector>

#include "tests/app/mainform/MainFormX11Util.h"
#include "tests/support/Xvfb.h"

namespace {

using mainformx11::PictureDir;
using mainformx11::Shell;
using mainformx11::WaitFor;

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;




std::string Probe(const fs::path& file, const std::string& entries, const std::string& stream = "") {
  return Shell("ffprobe -v error " + (stream.empty() ? "" : "-select_streams " + stream + " ") + "-show_entries " +
               entries + " -of csv=p=0 '" + file.string() + "' 2>/dev/null");
}

double Duration(const fs::path& file) {
  const std::string d = Probe(file, "format=duration");
  return d.empty() || d == "N/A" ? -1 : std::atof(d.c_str());
}

class TConverter {
 public:
  // The program runs from a folder of its own under home: its option.ini
  // lies beside it.
  TConverter(testsupport::Xvfb& x, const fs::path& home) : x_(x), env_("DISPLAY=" + x.Display() + " ") {
    const fs::path program = home / "program" / "tavrel-converter";
    fs::create_directories(program.parent_path());
    if (!fs::exists(program)) fs::copy_file(TVL_CONVERTER_PATH, program);
    pid_ = fork();
    if (pid_ == 0) {
      setenv("DISPLAY", x.Display().c_str(), 1);
      setenv("HOME", home.c_str(), 1);
      execl(program.c_str(), "tavrel-converter", static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  ~TConverter() {
    kill(pid_, SIGTERM);
    for (int i = 0; i < 100; ++i) {
      if (waitpid(pid_, nullptr, WNOHANG) == pid_) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  // The main window's client origin on the screen.
  bool Find() {
    std::string id;
    if (!WaitFor([&] {
          id = Shell(env_ + "xdotool search --onlyvisible --name 'TavrelAndroid' 2>/dev/null | head -1");
          return !id.empty();
        }, 30000))
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    int wx, wy, ww, wh;
    Geometry(id, wx, wy, ww, wh);
    cx_ = wx + (ww - 805) / 2;
    cy_ = wy + (wh - 541) - 8;
    return true;
  }
  void Click(int x, int y) {
    Shell(env_ + "xdotool mousemove " + std::to_string(cx_ + x) + " " + std::to_string(cy_ + y) + " click 1");
  }
  // Tool bar button in slot n (the add button is slot 0).
  void Tool(int slot) { Click(6 + slot * 70 + 33, 30); }
  std::string FindWindow(const std::string& title) {
    const std::string ids = Shell(env_ + "xdotool search --onlyvisible --name . 2>/dev/null");
    std::size_t pos = 0;
    while (pos < ids.size()) {
      std::size_t end = ids.find('\n', pos);
      if (end == std::string::npos) end = ids.size();
      const std::string w = ids.substr(pos, end - pos);
      pos = end + 1;
      if (!w.empty() && Shell(env_ + "xdotool getwindowname " + w) == title) return w;
    }
    return {};
  }
  void Geometry(const std::string& id, int& x, int& y, int& w, int& h) {
    const std::string g = Shell(env_ + "xdotool getwindowgeometry --shell " + id);
    std::sscanf(g.substr(g.find("X=")).c_str(), "X=%d\nY=%d\nWIDTH=%d\nHEIGHT=%d", &x, &y, &w, &h);
  }
  // "添加" → "添加一个文件", then the folder and the name typed into the dialog.
  bool AddFile(const fs::path& file) {
    Tool(0);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    Click(40 + 30, 30 + 40);
    std::string dlg;
    if (!WaitFor([&] { return !(dlg = FindWindow("打开文件")).empty(); }, 20000)) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    int dx, dy, dw, dh;
    Geometry(dlg, dx, dy, dw, dh);
    // The folder first (the dialog opens in the last one), then the name.
    Shell(env_ + "xdotool mousemove " + std::to_string(dx + 216) + " " + std::to_string(dy + dh - 62) +
          " click 1 key ctrl+a type --delay 30 '" + file.parent_path().string() + "/'");
    Shell(env_ + "xdotool key Return sleep 1.5");
    Shell(env_ + "xdotool mousemove " + std::to_string(dx + 216) + " " + std::to_string(dy + dh - 62) +
          " click 1 key ctrl+a type --delay 30 '" + file.filename().string() + "'");
    Shell(env_ + "xdotool sleep 0.8 key Return");
    return WaitFor([&] { return FindWindow("打开文件").empty(); }, 20000);
  }
  void Screenshot(const std::string& name) {
    Shell("ffmpeg -nostdin -loglevel error -y -f x11grab -video_size 1280x1024 -i " + x_.Display() +
          " -frames:v 1 '" + PictureDir() + "/" + name + "'");
  }

 private:
  testsupport::Xvfb& x_;
  std::string env_;
  pid_t pid_ = -1;
  int cx_ = 0, cy_ = 0;
};

bool MakeClip(const fs::path& path, const std::string& size, int seconds) {
  const std::string s = std::to_string(seconds);
  return std::system(("ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i testsrc=size=" + size +
                      ":rate=25:duration=" + s + " -f lavfi -i sine=duration=" + s +
                      " -c:v mpeg4 -q:v 2 -c:a mp2 -shortest '" + path.string() + "' >/dev/null 2>&1").c_str()) == 0;
}

TEST(MainFormRunX11Test, ConvertsTwoClipsThenPausesResumesAndStopsALongOne) {
  testsupport::Xvfb x;
  if (!x.Start("1280x1024x24")) GTEST_SKIP() << "Xvfb is not available";
  if (access("/usr/bin/xdotool", X_OK) != 0) GTEST_SKIP() << "xdotool is not available";
  std::string pattern = (fs::temp_directory_path() / "mainform-run-x11-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  const fs::path home = pattern;
  // One folder per clip: the open dialog is driven by typing a folder and a name.
  const fs::path first = home / "片段一" / "第一段.avi", second = home / "片段二" / "second clip.avi",
                 longClip = home / "片段三" / "long clip.avi";
  for (const fs::path& p : {first, second, longClip}) fs::create_directories(p.parent_path());
  ASSERT_TRUE(MakeClip(first, "320x240", 3));
  ASSERT_TRUE(MakeClip(second, "640x480", 12));
  ASSERT_TRUE(MakeClip(longClip, "1280x720", 60));
  const fs::path out = home / "Tavrel视频软件" / "输出";
  {
    TConverter app(x, home);
    ASSERT_TRUE(app.Find());
    ASSERT_TRUE(app.AddFile(first));
    ASSERT_TRUE(app.AddFile(second));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    app.Screenshot("mainform_x11_two_added.png");
    app.Tool(1);  // "开始"
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    app.Screenshot("mainform_x11_started.png");
    // The outputs of the two rows appear in the output folder and complete:
    // the profile's codecs, the source's picture size, the whole length.
    auto outputs = [&] {
      std::vector<fs::path> files;
      std::error_code ec;
      for (const auto& e : fs::directory_iterator(out, ec))
        if (e.path().extension() == ".avi") files.push_back(e.path());
      return files;
    };
    ASSERT_TRUE(WaitFor([&] { return outputs().size() == 2; }, 30000));
    app.Screenshot("mainform_x11_converting.png");
    ASSERT_TRUE(WaitFor([&] {
      for (const fs::path& f : outputs())
        if (Duration(f) < 2.7) return false;
      return true;
    }, 60000));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    app.Screenshot("mainform_x11_done.png");
    for (const fs::path& f : outputs()) {
      const double d = Duration(f);
      const bool longer = d > 6;
      EXPECT_NEAR(d, longer ? 12.0 : 3.0, 0.3) << f;
      EXPECT_EQ(Probe(f, "stream=codec_name", "v:0"), "mpeg4") << f;
      EXPECT_EQ(Probe(f, "stream=codec_name", "a:0"), "mp3") << f;
      EXPECT_EQ(Probe(f, "stream=width,height", "v:0"), longer ? "640,480" : "320,240") << f;
    }

    // "清空", then a long clip: pause, resume (same place), stop.
    app.Tool(5);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    ASSERT_TRUE(app.AddFile(longClip));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    app.Screenshot("mainform_x11_long_added.png");
    app.Tool(1);
    ASSERT_TRUE(WaitFor([&] { return fs::exists(out / "long clip.avi") && fs::file_size(out / "long clip.avi") > 200000; }, 60000));
    app.Tool(3);  // "暂停"
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    const auto pausedSize = fs::file_size(out / "long clip.avi");
    std::this_thread::sleep_for(std::chrono::milliseconds(800));
    EXPECT_EQ(fs::file_size(out / "long clip.avi"), pausedSize);
    app.Screenshot("mainform_x11_paused.png");
    app.Tool(3);  // "继续" in the same place
    EXPECT_TRUE(WaitFor([&] { return fs::file_size(out / "long clip.avi") > pausedSize; }, 20000));
    app.Tool(2);  // "停止"
    ASSERT_TRUE(WaitFor([&] { return Duration(out / "long clip.avi") > 0; }, 30000));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    app.Screenshot("mainform_x11_stopped.png");
    const double d = Duration(out / "long clip.avi");
    EXPECT_GT(d, 0.0);
    EXPECT_LT(d, 59.0);
    EXPECT_EQ(Probe(out / "long clip.avi", "stream=codec_name", "v:0"), "mpeg4");
  }
  std::error_code ec;
  fs::remove_all(home, ec);
}

}  // namespace
