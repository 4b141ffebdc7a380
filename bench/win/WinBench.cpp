// Frame time of painting and uploading an 805x541 window holding 200 child
// windows (every window repainted each frame), and the throughput of posted
// messages through a queue. The frame benchmarks report the median of their
// frames as median_ms. Headless by default; with DISPLAY set, the frame
// benchmark also runs against that X server.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <vector>
#include <string>

#include "platform/gdi/Gdi.h"
#include "platform/win/Backend.h"
#include "platform/win/Headless.h"
#include "platform/win/WinApi.h"

namespace {

using namespace win;

LRESULT PaintProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_ERASEBKGND) return 1;
  if (m == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    RECT r;
    GetClientRect(h, &r);
    gdi::FillRect(dc, &r, gdi::GetSysColorBrush(int(GetWindowLongPtrW(h, GWL_USERDATA))));
    gdi::DrawEdge(dc, &r, gdi::EDGE_RAISED, gdi::BF_RECT);
    EndPaint(h, &ps);
    return 0;
  }
  return DefWindowProcW(h, m, w, l);
}

int gCount = 0;
LRESULT CountProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_USER) {
    ++gCount;
    return 0;
  }
  return DefWindowProcW(h, m, w, l);
}

void Register() {
  WNDCLASSW wc;
  wc.lpfnWndProc = PaintProc;
  wc.lpszClassName = u"BenchPaint";
  RegisterClassW(&wc);
  wc.lpfnWndProc = CountProc;
  wc.lpszClassName = u"BenchCount";
  RegisterClassW(&wc);
}

void Drain() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  FlushWindows();
}

void FrameOf200Children(benchmark::State& state, BackendKind kind) {
  if (!InitWindowSystem(kind)) {
    state.SkipWithError("no display could be opened");
    return;
  }
  Register();
  HWND top = CreateWindowExW(0, u"BenchPaint", u"", WS_POPUP | WS_VISIBLE, 0, 0, 805, 541, nullptr, 0, nullptr);
  SetWindowLongPtrW(top, GWL_USERDATA, gdi::COLOR_BTNFACE);
  for (int i = 0; i < 200; ++i) {
    int col = i % 20, row = i / 20;
    HWND c = CreateWindowExW(0, u"BenchPaint", u"", WS_CHILD | WS_VISIBLE, 5 + col * 40, 5 + row * 53, 36, 48, top,
                             HMENU(i), nullptr);
    SetWindowLongPtrW(c, GWL_USERDATA, i % 2 ? gdi::COLOR_WINDOW : gdi::COLOR_HIGHLIGHT);
  }
  Drain();
  std::vector<double> frames;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    InvalidateRect(top, nullptr, TRUE);  // the parent and, through it, every child
    Drain();                             // 201 WM_PAINTs, one upload
    frames.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
  }
  std::sort(frames.begin(), frames.end());
  if (!frames.empty()) state.counters["median_ms"] = frames[frames.size() / 2];
  ShutdownWindowSystem();
}

void BM_Frame_Headless(benchmark::State& s) { FrameOf200Children(s, BackendKind::Headless); }
void BM_Frame_X11(benchmark::State& s) { FrameOf200Children(s, BackendKind::X11); }

void BM_PostedMessages(benchmark::State& state) {
  InitWindowSystem(BackendKind::Headless);
  Register();
  HWND w = CreateWindowExW(0, u"BenchCount", u"", WS_POPUP, 0, 0, 10, 10, nullptr, 0, nullptr);
  const int batch = 1000;
  for (auto _ : state) {
    for (int i = 0; i < batch; ++i) PostMessageW(w, WM_USER, 0, 0);
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  }
  state.SetItemsProcessed(state.iterations() * batch);
  ShutdownWindowSystem();
}

BENCHMARK(BM_Frame_Headless)->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(BM_PostedMessages)->Iterations(2000);

const bool kX11 = [] {
  const char* d = std::getenv("DISPLAY");
  if (d && *d)
    benchmark::RegisterBenchmark("BM_Frame_X11", BM_Frame_X11)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(200);
  return true;
}();

}  // namespace

BENCHMARK_MAIN();
