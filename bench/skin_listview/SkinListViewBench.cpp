// The queue as a skinned list view of 1,000 rows with skinned header and
// bars, in a stored skin: one page scrolled through the vertical bar (a
// press on its track), the view, the header and both bars repainted
// (budget 5 ms). The same page step on the plain framework list view runs
// beside it, so skinned_ratio compares the two in one run; budget_ratio
// below 1 is within budget. Headless window system.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "platform/forms/Forms.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Backend.h"
#include "platform/win/Headless.h"
#include "resources/tvlResources.h"
#include "skin/controls/bsSkinListView.h"
#include "skin/data/bsCompressedStoredSkin.h"

namespace {

using namespace skin;

constexpr int kRows = 1000;

struct TFixture {
  forms::TForm* form = nullptr;
  TbsSkinListView* lv = nullptr;
  forms::TListView* plain = nullptr;
  TbsSkinScrollBar *vbar = nullptr, *hbar = nullptr;
  std::unique_ptr<TbsCompressedStoredSkin> stored;
  std::unique_ptr<TbsSkinData> sd;
  double plainMs = 0;

  template <class L>
  void Fill(L* l) {
    const int widths[] = {240, 80, 80, 150, 80, 90, 100};
    for (int c = 0; c < 7; ++c) {
      auto* col = l->Columns()->Add();
      col->SetCaption(u"列" + rtl::String(1, char16_t(u'1' + c)));
      col->SetWidth(widths[c]);
    }
    for (int c = 0; c < 18; ++c) l->Columns()->Add()->SetWidth(0);
    l->Items()->BeginUpdate();
    for (int i = 0; i < kRows; ++i) {
      auto* it = l->Items()->Add();
      it->SetCaption(rtl::S("/home/user/视频/片段_" + std::to_string(i) + ".avi"));
      for (const char16_t* s : {u"00:03:25", u"12.5 MB", u"片段.mp4", u"", u"0%", u"", u""}) it->SubItems()->Add(s);
    }
    l->Items()->EndUpdate();
  }

  TFixture() {
    win::InitWindowSystem(win::BackendKind::Headless);
    win::headless::UseFakeClock(true);
    forms::InitForms();
    form = new forms::TForm(forms::Application);
    form->SetBounds(50, 50, 1300, 600);
    form->AfterConstruction();
    int skin = 0;
    for (int i = 0; i < resources::StoredSkinCount(); ++i)
      if (resources::StoredSkinName(i) == u"金属光泽") skin = i;
    const auto& r = resources::StoredSkin(skin);
    stored = std::make_unique<TbsCompressedStoredSkin>(nullptr);
    rtl::TMemoryStream in;
    in.WriteBuffer(r.Data, rtl::Int64(r.Size));
    stored->LoadFromCompressStream(in);
    sd = std::make_unique<TbsSkinData>(nullptr);
    sd->LoadCompressedStoredSkin(stored.get());

    lv = new TbsSkinListView(form);
    lv->SetViewStyle(forms::vsReport);
    lv->SetGridLines(true);
    lv->SetRowSelect(true);
    lv->SetBounds(0, 0, 620, 520);
    lv->SetParent(form);
    vbar = new TbsSkinScrollBar(form);
    vbar->SetKind(sbVertical);
    vbar->SetSkinDataName(u"vscrollbar");
    vbar->SetBounds(620, 0, 17, 520);
    vbar->SetParent(form);
    hbar = new TbsSkinScrollBar(form);
    hbar->SetBounds(0, 520, 637, 17);
    hbar->SetParent(form);
    for (TbsSkinScrollBar* b : {vbar, hbar}) b->SetSkinData(sd.get());
    lv->SetSkinData(sd.get());
    lv->SetVScrollBar(vbar);
    lv->SetHScrollBar(hbar);
    Fill(lv);

    plain = new forms::TListView(form);
    plain->SetViewStyle(forms::vsReport);
    plain->SetGridLines(true);
    plain->SetRowSelect(true);
    plain->SetBounds(650, 0, 620, 537);
    plain->SetParent(form);
    Fill(plain);
    form->Show();
    win::headless::Pump();
  }
};

TFixture& Fixture() {
  static TFixture f;
  return f;
}

// A press and release on the vertical bar's track below the thumb: one page.
void PageDownByBar(TFixture& f) {
  TbsSkinScrollBar* b = f.vbar;
  if (b->Position() + 2 * b->PageSize() > b->Max()) b->SetPosition(0);
  b->CalcRects();
  const rtl::TRect t = b->PartRect(0), track = b->TrackRect();
  const int y = (t.Bottom + track.Bottom) / 2;
  const win::POINT p = b->ClientToScreen({8, y});
  win::headless::MouseMove(p);
  win::headless::MouseDown(p);
  win::headless::MouseUp(p);
  win::headless::Pump();  // the view, its header and both bars repainted, the frame uploaded
}

void BM_PlainListViewScrollOnePage(benchmark::State& state) {
  TFixture& f = Fixture();
  double total = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    if (f.plain->TopIndex() + 2 * f.plain->GetCountPerPage() >= kRows)
      f.plain->Perform(win::WM_VSCROLL, win::SB_TOP);
    else
      f.plain->Perform(win::WM_VSCROLL, win::SB_PAGEDOWN);
    win::headless::Pump();
    total += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  }
  f.plainMs = total / double(state.iterations());
}
BENCHMARK(BM_PlainListViewScrollOnePage)->Unit(benchmark::kMillisecond);

void BM_SkinnedListViewScrollOnePageByBar(benchmark::State& state) {
  TFixture& f = Fixture();
  double total = 0;
  int moved = 0;
  for (auto _ : state) {
    const int before = f.lv->TopIndex();
    auto t0 = std::chrono::steady_clock::now();
    PageDownByBar(f);
    total += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    moved = f.lv->TopIndex() - before;
  }
  const double ms = total / double(state.iterations());
  state.counters["budget_ratio"] = ms / 5.0;
  if (f.plainMs > 0) state.counters["skinned_ratio"] = ms / f.plainMs;
  state.counters["rows_per_page"] = f.lv->GetCountPerPage();
  state.counters["last_step_rows"] = moved;
}
BENCHMARK(BM_SkinnedListViewScrollOnePageByBar)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
