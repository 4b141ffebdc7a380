// Widget framework benchmarks:
// - a full repaint of an 805x541 form holding 150 plain controls (labels,
//   panels, buttons), as median_ms of its frames;
// - Perform through a three-deep chain of replaced window procedures, beside
//   Perform with none (items per second, side by side in one run);
// - start-up to the first painted frame of an empty form under Xvfb: in this
//   process (window system and framework set up, form made and shown, its
//   pixels seen on the X server), and for the converter program itself (from
//   the start of the process to its main form's pixels on the server). The
//   benchmark starts its own Xvfb; it skips these when there is none.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/forms/Forms.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/Backend.h"
#include "platform/win/Headless.h"
#include "tests/platform/forms/TestControls.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include "tests/support/Xvfb.h"

namespace {

using namespace forms;
using namespace formstest;
using Clock = std::chrono::steady_clock;

double Ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

void Median(benchmark::State& state, std::vector<double>& v, const char* name = "median_ms") {
  std::sort(v.begin(), v.end());
  if (!v.empty()) state.counters[name] = v[v.size() / 2];
}

TForm* FormOf150Controls() {
  auto* f = new TForm(Application);
  f->SetBorderStyle(bsSingle);
  f->SetClientSize(805, 541);
  for (int i = 0; i < 150; ++i) {
    int col = i % 10, row = i / 10;
    int x = 5 + col * 80, y = 5 + row * 35;
    TControl* c = nullptr;
    switch (i % 3) {
      case 0: c = new TTestLabel(f); break;
      case 1: c = new TTestPanel(f); break;
      default: c = new TTestButton(f); break;
    }
    c->SetBounds(x, y, 75, 30);
    c->SetCaption(u"控件 " + rtl::Utf8ToString(std::to_string(i)));
    c->SetParent(f);
  }
  f->AfterConstruction();
  return f;
}

void BM_FullRepaint150Controls(benchmark::State& state) {
  win::InitWindowSystem(win::BackendKind::Headless);
  InitForms();
  TForm* f = FormOf150Controls();
  f->Show();
  win::headless::Pump();
  std::vector<double> frames;
  for (auto _ : state) {
    auto t0 = Clock::now();
    win::RedrawWindow(f->Handle(), nullptr, nullptr, win::RDW_INVALIDATE | win::RDW_ERASE | win::RDW_ALLCHILDREN);
    win::headless::Pump();  // every control painted, one frame composed and given to the back end
    frames.push_back(Ms(t0, Clock::now()));
  }
  Median(state, frames);
  DoneForms();
  win::ShutdownWindowSystem();
}

void Perform(benchmark::State& state, int depth) {
  win::InitWindowSystem(win::BackendKind::Headless);
  InitForms();
  auto* f = new TForm(Application);
  auto* b = new TTestButton(f);
  b->SetParent(f);
  f->HandleNeeded();  // the chain ends in the window's default procedure
  int seen = 0;
  for (int i = 0; i < depth; ++i) {
    TWndMethod previous = b->WindowProc ? b->WindowProc : TWndMethod([b](TMessage& m) { b->WndProc(m); });
    b->WindowProc = [previous, &seen](TMessage& m) {
      if (m.Msg == win::WM_USER + 7) ++seen;
      previous(m);
    };
  }
  const int batch = 1000;
  for (auto _ : state)
    for (int i = 0; i < batch; ++i) benchmark::DoNotOptimize(b->Perform(win::WM_USER + 7, 1, 2));
  state.SetItemsProcessed(state.iterations() * batch);
  state.counters["ends_in_window_proc"] = b->HandleAllocated() ? 1 : 0;
  b->WindowProc = nullptr;
  DoneForms();
  win::ShutdownWindowSystem();
}

void BM_Perform_NoSubclass(benchmark::State& s) { Perform(s, 0); }
void BM_Perform_ThreeDeepSubclass(benchmark::State& s) { Perform(s, 3); }

// ---- start-up under Xvfb
using testsupport::Xvfb;

// Whether a mapped top-level window at least 800 pixels wide shows `rgb` at its centre.
bool Painted(Display* d, unsigned long rgb) {
  Window root = DefaultRootWindow(d), r, p, *kids = nullptr;
  unsigned n = 0;
  if (!XQueryTree(d, root, &r, &p, &kids, &n)) return false;
  bool found = false;
  for (unsigned i = 0; i < n && !found; ++i) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(d, kids[i], &a) || a.map_state != IsViewable || a.width < 800) continue;
    if (XImage* img = XGetImage(d, kids[i], a.width / 2, a.height / 2, 1, 1, AllPlanes, ZPixmap)) {
      found = (XGetPixel(img, 0, 0) & 0xFFFFFF) == rgb;
      XDestroyImage(img);
    }
  }
  if (kids) XFree(kids);
  return found;
}

unsigned long BtnFaceRgb() {
  gdi::COLORREF c = gdi::GetSysColor(gdi::COLOR_BTNFACE);
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

void BM_FirstFrame_InProcess(benchmark::State& state) {
  Xvfb x;
  if (!x.Start("1280x1024x24")) {
    state.SkipWithError("Xvfb is not available");
    return;
  }
  setenv("DISPLAY", x.Display().c_str(), 1);
  Display* probe = XOpenDisplay(x.Display().c_str());
  std::vector<double> times;
  for (auto _ : state) {
    auto t0 = Clock::now();
    win::InitWindowSystem(win::BackendKind::X11);
    InitForms();
    auto* f = new TForm(Application);
    f->SetCaption(u"first frame");
    f->SetClientSize(805, 541);
    f->SetPosition(poScreenCenter);
    f->AfterConstruction();
    f->Show();
    while (!Painted(probe, BtnFaceRgb())) {
      Application->ProcessMessages();
      std::this_thread::sleep_for(std::chrono::microseconds(200));
      if (Ms(t0, Clock::now()) > 5000) break;
    }
    times.push_back(Ms(t0, Clock::now()));
    DoneForms();
    win::ShutdownWindowSystem();
    XSync(probe, False);
  }
  Median(state, times);
  XCloseDisplay(probe);
  unsetenv("DISPLAY");
}

void BM_FirstFrame_Program(benchmark::State& state) {
  Xvfb x;
  if (!x.Start("1280x1024x24")) {
    state.SkipWithError("Xvfb is not available");
    return;
  }
  Display* probe = XOpenDisplay(x.Display().c_str());
  std::vector<double> times;
  for (auto _ : state) {
    auto t0 = Clock::now();
    pid_t pid = fork();
    if (pid == 0) {
      setenv("DISPLAY", x.Display().c_str(), 1);
      execl(TVL_CONVERTER_PATH, "tavrel-converter", static_cast<char*>(nullptr));
      _exit(127);
    }
    while (!Painted(probe, BtnFaceRgb())) {
      std::this_thread::sleep_for(std::chrono::microseconds(200));
      if (Ms(t0, Clock::now()) > 5000) break;
    }
    times.push_back(Ms(t0, Clock::now()));
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    XSync(probe, False);
  }
  Median(state, times);
  XCloseDisplay(probe);
}

BENCHMARK(BM_FullRepaint150Controls)->Unit(benchmark::kMillisecond)->Iterations(300);
BENCHMARK(BM_Perform_NoSubclass)->Iterations(5000);
BENCHMARK(BM_Perform_ThreeDeepSubclass)->Iterations(5000);
BENCHMARK(BM_FirstFrame_InProcess)->Unit(benchmark::kMillisecond)->Iterations(15);
BENCHMARK(BM_FirstFrame_Program)->Unit(benchmark::kMillisecond)->Iterations(15);

}  // namespace

BENCHMARK_MAIN();
