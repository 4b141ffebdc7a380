// The shell list view on a folder of 10,000 files: the folder read, the rows
// sorted in the namespace's order and the first page painted in report style
// (budget 150 ms; budget_ratio below 1 is within budget). A bare read of the
// same folder (readdir and stat of every entry) runs beside it, so
// view_ratio tells what the view adds to the file system's own cost.
// Headless window system.
#include <benchmark/benchmark.h>
#include <dirent.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/forms/Forms.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Threads.h"
#include "platform/shell/ShellNamespace.h"
#include "platform/win/Backend.h"
#include "platform/win/Headless.h"
#include "skin/shell/bsSkinShellCtrls.h"

namespace {

constexpr int kFiles = 10000;

struct TFixture {
  std::string dir;
  forms::TForm* form = nullptr;
  skin::TbsSkinFileListView* lv = nullptr;
  double bareMs = 0;

  TFixture() {
    char tmpl[] = "/tmp/tvl-shellbench-XXXXXX";
    dir = ::mkdtemp(tmpl);
    const char* kinds[] = {".mp4", ".avi", ".mp3", ".jpg", ".txt"};
    for (int i = 0; i < kFiles; ++i)
      std::ofstream(dir + "/片段 " + std::to_string(i) + kinds[i % 5]) << "x";
    for (int i = 0; i < 20; ++i) std::filesystem::create_directory(dir + "/文件夹 " + std::to_string(i));
    rtl::InitMainThread();
    win::InitWindowSystem(win::BackendKind::Headless);
    win::headless::UseFakeClock(true);
    forms::InitForms();
    shell::InitShellNamespace();
    form = new forms::TForm(forms::Application);
    form->SetBounds(50, 50, 800, 600);
    form->AfterConstruction();
    form->Show();
    lv = new skin::TbsSkinFileListView(form);
    lv->SetBounds(0, 0, 780, 580);
    lv->SetParent(form);
    lv->SetViewStyle(forms::vsReport);
    lv->SetRoot(rtl::FileNameToString(dir));
    win::headless::Pump();
  }
  ~TFixture() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
};

TFixture& Fixture() {
  static TFixture f;
  return f;
}

void BM_BareFolderRead(benchmark::State& state) {
  TFixture& f = Fixture();
  double total = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    int n = 0;
    DIR* d = ::opendir(f.dir.c_str());
    while (dirent* e = ::readdir(d)) {
      struct stat st;
      n += ::lstat((f.dir + "/" + e->d_name).c_str(), &st) == 0;
    }
    ::closedir(d);
    benchmark::DoNotOptimize(n);
    total += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  }
  f.bareMs = total / double(state.iterations());
}
BENCHMARK(BM_BareFolderRead)->Unit(benchmark::kMillisecond);

// Refresh reads the folder anew (the folder object is remade), sorts the
// rows, and the pump paints the first page with its detail columns.
void BM_ShellListViewListTenThousandFiles(benchmark::State& state) {
  TFixture& f = Fixture();
  double total = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    f.lv->Refresh();
    win::headless::Pump();
    total += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  }
  const double ms = total / double(state.iterations());
  state.counters["rows"] = f.lv->FolderCount();
  state.counters["ms"] = ms;
  state.counters["budget_ratio"] = ms / 150.0;
  if (f.bareMs > 0) state.counters["view_ratio"] = ms / f.bareMs;
}
BENCHMARK(BM_ShellListViewListTenThousandFiles)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
