// Main window benchmarks (medians in milliseconds):
// - start-up of the converter program to its main window painted on an Xvfb
//   server (from the start of the process until pixels of the window's lower
//   panels show on the server);
// - adding a folder of 200 one-second clips through the folder command, with
//   the real engine and probe (headless window system);
// - switching to another stored skin with 50 rows in the queue, until the
//   window has been repainted (headless window system).
#include <benchmark/benchmark.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/mainform/MainForm.h"
#include "platform/forms/Forms.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Backend.h"
#include "platform/win/Headless.h"
#include "resources/tvlResources.h"
#include "tests/support/Xvfb.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

void Median(benchmark::State& state, std::vector<double>& v) {
  std::sort(v.begin(), v.end());
  if (!v.empty()) state.counters["median_ms"] = v[v.size() / 2];
}

class TFolderDialogs : public app::TMainFormDialogs {
 public:
  rtl::String Folder;
  bool ExecuteOpen(app::TOpenDialogState&) override { return false; }
  bool ExecuteSelectDirectory(app::TSelectDirectoryState& d) override {
    d.Directory = Folder;
    return true;
  }
  void Message(const rtl::String&, const rtl::String&) override {}
};

fs::path TempDir(const char* prefix) {
  std::string pattern = (fs::temp_directory_path() / (std::string(prefix) + "-XXXXXX")).string();
  if (!mkdtemp(pattern.data())) return {};
  return pattern;
}

// A folder of n copies of one one-second clip.
fs::path ClipFolder(int n) {
  const fs::path dir = TempDir("mainform-bench");
  const fs::path first = dir / "clip000.avi";
  const std::string cmd = "ffmpeg -nostdin -hide_banner -loglevel error -y -f lavfi -i testsrc=size=320x240:rate=25:duration=1 "
                          "-f lavfi -i sine=duration=1 -c:v mpeg4 -c:a mp2 -shortest '" + first.string() + "' >/dev/null 2>&1";
  if (std::system(cmd.c_str()) != 0) return {};
  for (int i = 1; i < n; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "clip%03d.avi", i);
    fs::copy_file(first, dir / name);
  }
  return dir;
}

struct THeadless {
  fs::path home = TempDir("mainform-bench-home");
  THeadless() {
    setenv("HOME", home.c_str(), 1);
    win::InitWindowSystem(win::BackendKind::Headless);
    forms::InitForms();
  }
  ~THeadless() {
    forms::DoneForms();
    win::ShutdownWindowSystem();
    std::error_code ec;
    fs::remove_all(home, ec);
  }
  app::TForm1* Create(app::TMainFormDialogs* dialogs) {
    app::TMainFormEnvironment env;
    env.OptionIniFile = rtl::FileNameToString((home / "option.ini").string());
    env.Dialogs = dialogs;
    env.CreatePlayer = false;
    return new app::TForm1(forms::Application, env);
  }
};

void BM_AddFolderOf200Clips(benchmark::State& state) {
  const fs::path dir = ClipFolder(200);
  if (dir.empty()) {
    state.SkipWithError("ffmpeg could not make the clips");
    return;
  }
  THeadless h;
  TFolderDialogs dialogs;
  dialogs.Folder = rtl::FileNameToString(dir.string());
  app::TForm1* form = h.Create(&dialogs);
  std::vector<double> times;
  for (auto _ : state) {
    form->btnClear->Click();
    auto t0 = Clock::now();
    form->Button12->Click();
    times.push_back(Ms(t0, Clock::now()));
    if (form->RowCount() != 200) state.SkipWithError("not every clip was added");
  }
  delete form;
  Median(state, times);
  std::error_code ec;
  fs::remove_all(dir, ec);
}

void BM_SwitchSkinWith50Rows(benchmark::State& state) {
  const fs::path dir = ClipFolder(50);
  if (dir.empty()) {
    state.SkipWithError("ffmpeg could not make the clips");
    return;
  }
  THeadless h;
  TFolderDialogs dialogs;
  dialogs.Folder = rtl::FileNameToString(dir.string());
  app::TForm1* form = h.Create(&dialogs);
  form->Show();
  win::headless::Pump();
  form->Button12->Click();
  win::headless::Pump();
  std::vector<double> times;
  int skin = form->bsSkinData1->SkinIndex();
  for (auto _ : state) {
    skin = (skin + 1) % resources::StoredSkinCount();
    auto t0 = Clock::now();
    form->ApplySkin(skin);
    form->Update();
    win::headless::Pump();
    times.push_back(Ms(t0, Clock::now()));
  }
  delete form;
  Median(state, times);
  std::error_code ec;
  fs::remove_all(dir, ec);
}

unsigned long PixelAt(Display* d, int x, int y) {
  XImage* img = XGetImage(d, DefaultRootWindow(d), x, y, 1, 1, AllPlanes, ZPixmap);
  if (!img) return 0;
  const unsigned long p = XGetPixel(img, 0, 0);
  XDestroyImage(img);
  return p;
}

void BM_StartUpToPaintedMainWindow(benchmark::State& state) {
  testsupport::Xvfb x;
  if (!x.Start("1280x1024x24")) {
    state.SkipWithError("Xvfb is not available");
    return;
  }
  Display* probe = XOpenDisplay(x.Display().c_str());
  const fs::path home = TempDir("mainform-bench-x11");
  std::vector<double> times;
  // The window is centred: points in its queue area and in its lower panels.
  const int cx = 640, cy = 512;
  for (auto _ : state) {
    auto t0 = Clock::now();
    pid_t pid = fork();
    if (pid == 0) {
      setenv("DISPLAY", x.Display().c_str(), 1);
      setenv("HOME", home.c_str(), 1);
      execl(TVL_CONVERTER_PATH, "tavrel-converter", static_cast<char*>(nullptr));
      _exit(127);
    }
    while (PixelAt(probe, cx, cy - 100) == 0 || PixelAt(probe, cx - 200, cy + 230) == 0) {
      std::this_thread::sleep_for(std::chrono::microseconds(200));
      if (Ms(t0, Clock::now()) > 5000) break;
    }
    times.push_back(Ms(t0, Clock::now()));
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    XSync(probe, False);
    // The screen is black again before the next start.
    while (PixelAt(probe, cx, cy - 100) != 0 && Ms(t0, Clock::now()) < 8000)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  Median(state, times);
  XCloseDisplay(probe);
  std::error_code ec;
  fs::remove_all(home, ec);
}

BENCHMARK(BM_StartUpToPaintedMainWindow)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_AddFolderOf200Clips)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SwitchSkinWith50Rows)->Unit(benchmark::kMillisecond)->Iterations(22);

}  // namespace

BENCHMARK_MAIN();
