// A report list view of 10,000 rows and 7 columns, as the queue of a busy
// converter: adding every row inside BeginUpdate/EndUpdate (budget 50 ms),
// and scrolling one page then repainting it (budget 3 ms). Each benchmark
// also reports its time as a share of its budget (budget_ratio, below 1 is
// within budget), measured in the same run on the headless window system.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "platform/forms/Forms.h"
#include "platform/forms/ListView.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Backend.h"
#include "platform/win/Headless.h"

namespace {

using namespace forms;

constexpr int kRows = 10000, kColumns = 7;

struct TFixture {
  TForm* form = nullptr;
  TListView* lv = nullptr;
  std::vector<rtl::String> names;
  TFixture() {
    win::InitWindowSystem(win::BackendKind::Headless);
    win::headless::UseFakeClock(true);
    InitForms();
    form = new TForm(Application);
    form->SetBounds(50, 50, 900, 600);
    form->AfterConstruction();
    lv = new TListView(form);
    lv->SetViewStyle(vsReport);
    lv->SetGridLines(true);
    lv->SetRowSelect(true);
    lv->SetBounds(0, 0, 880, 560);
    lv->SetParent(form);
    const int widths[kColumns] = {240, 80, 80, 90, 120, 110, 140};
    for (int c = 0; c < kColumns; ++c) {
      TListColumn* col = lv->Columns()->Add();
      col->SetCaption(u"列" + rtl::String(1, char16_t(u'1' + c)));
      col->SetWidth(widths[c]);
    }
    form->Show();
    win::headless::Pump();
    for (int i = 0; i < kRows; ++i) names.push_back(rtl::S("视频文件_" + std::to_string(i) + ".avi"));
  }
  ~TFixture() {
    DoneForms();
    win::ShutdownWindowSystem();
  }
  void Fill() {
    lv->Items()->BeginUpdate();
    lv->Items()->Clear();
    for (int i = 0; i < kRows; ++i) {
      TListItem* it = lv->Items()->Add();
      it->SetCaption(names[std::size_t(i)]);
      rtl::TStrings* s = it->SubItems();
      s->Add(u"00:03:25");
      s->Add(u"12.5 MB");
      s->Add(u"MP4");
      s->Add(u"640x480");
      s->Add(u"等待");
      s->Add(u"D:\\输出");
    }
    lv->Items()->EndUpdate();
  }
};

TFixture& Fixture() {
  static TFixture f;
  return f;
}

void BM_ReportAdd10000RowsInUpdate(benchmark::State& state) {
  TFixture& f = Fixture();
  double total = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    f.Fill();
    total += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  }
  win::headless::Pump();
  state.counters["budget_ratio"] = total / double(state.iterations()) / 50.0;
  state.counters["rows"] = f.lv->Items()->Count();
}
BENCHMARK(BM_ReportAdd10000RowsInUpdate)->Unit(benchmark::kMillisecond);

void BM_ReportScrollOnePageAndRepaint(benchmark::State& state) {
  TFixture& f = Fixture();
  if (f.lv->Items()->Count() != kRows) f.Fill();
  win::headless::Pump();
  double total = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    if (f.lv->TopIndex() + 2 * f.lv->GetCountPerPage() >= kRows) f.lv->Perform(win::WM_VSCROLL, win::SB_TOP);
    else f.lv->Perform(win::WM_VSCROLL, win::SB_PAGEDOWN);
    win::headless::Pump();  // paints the view and uploads the frame
    total += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  }
  state.counters["budget_ratio"] = total / double(state.iterations()) / 3.0;
  state.counters["rows_per_page"] = f.lv->GetCountPerPage();
}
BENCHMARK(BM_ReportScrollOnePageAndRepaint)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
