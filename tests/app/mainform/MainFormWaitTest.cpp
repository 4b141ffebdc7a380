// The main window while the GUI thread waits for the engine and the player:
// it keeps painting through a stop of four parallel 720p conversions, and
// commands given during a wait (a second stop, a start, a close, another
// row) are ignored, deferred or followed, never nested into a broken state.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "app/mainform/MessagePump.h"
#include "engine/MyUtils.h"
#include "platform/win/Headless.h"
#include "platform/win/WinApi.h"
#include "tests/app/mainform/MainFormRunTestUtil.h"

namespace mainformtest {
namespace {

using Clock = std::chrono::steady_clock;

// A window that repaints itself from a 20 ms timer and keeps the time of
// every paint.
struct TPaintCounter {
  static inline std::vector<Clock::time_point>* Paints = nullptr;
  static win::LRESULT Proc(win::HWND h, win::UINT m, win::WPARAM w, win::LPARAM l) {
    if (m == win::WM_TIMER) {
      win::InvalidateRect(h, nullptr, false);
      return 0;
    }
    if (m == win::WM_PAINT) {
      win::PAINTSTRUCT ps;
      win::BeginPaint(h, &ps);
      win::EndPaint(h, &ps);
      if (Paints) Paints->push_back(Clock::now());
      return 0;
    }
    return win::DefWindowProcW(h, m, w, l);
  }
  TPaintCounter() {
    Paints = &times;
    win::WNDCLASSW wc{};
    wc.lpfnWndProc = &Proc;
    wc.lpszClassName = u"PaintCounter";
    win::RegisterClassW(&wc);
    wnd = win::CreateWindowExW(0, u"PaintCounter", u"", win::WS_POPUP | win::WS_VISIBLE, 0, 0, 40, 40, nullptr, 0,
                               nullptr);
    win::SetTimer(wnd, 1, 20, nullptr);
  }
  ~TPaintCounter() {
    win::KillTimer(wnd, 1);
    win::DestroyWindow(wnd);
    Paints = nullptr;
  }
  // Paints between two moments, and the longest time without one (counted
  // from the first moment to the second).
  int CountBetween(Clock::time_point a, Clock::time_point b) const {
    return int(std::count_if(times.begin(), times.end(), [&](auto t) { return t >= a && t <= b; }));
  }
  double LongestGapMs(Clock::time_point a, Clock::time_point b) const {
    Clock::time_point last = a;
    double longest = 0;
    for (auto t : times) {
      if (t < a || t > b) continue;
      longest = std::max(longest, std::chrono::duration<double, std::milli>(t - last).count());
      last = t;
    }
    return std::max(longest, std::chrono::duration<double, std::milli>(b - last).count());
  }
  win::HWND wnd = nullptr;
  std::vector<Clock::time_point> times;
};

class MainFormWaitTest : public MainFormRunTest {
 protected:
  void SetUp() override {
    MainFormRunTest::SetUp();
    win::headless::UseFakeClock(false);  // the paint timer runs in real time
  }
  void TearDown() override {
    app::UninstallMessagePump();
    MainFormRunTest::TearDown();
  }
  // Four 720p clips converted at once, all under way.
  void StartFourConversions() {
    CreateWithOptions();
    options->bsSkinCheckRadioBox5->SetChecked(true);  // nothing after the queue
    options->bsSkinComboBox2->SetItemIndex(3);        // four at once
    options->bsSkinCheckRadioBox3->SetChecked(true);  // overwrite: the same outputs each time
    form->bsSkinOfficeComboBox2->SetIndex(6);         // "HD视频": H.264 at 720p, whose encoder drains on a stop
    const fs::path clip = FixtureDir() / "hd0.avi";
    if (!fs::exists(clip)) {
      ASSERT_TRUE(RunFfmpeg("-f lavfi -i testsrc=size=1280x720:rate=25:duration=20 -c:v mpeg4 -q:v 4 '" +
                            clip.string() + "'"));
    }
    std::vector<std::string> clips;
    for (int i = 0; i < 4; ++i) {
      const fs::path copy = FixtureDir() / ("hd" + std::to_string(i) + ".avi");
      if (!fs::exists(copy)) fs::copy_file(clip, copy);
      clips.push_back(copy.string());
    }
    AddFilesToRun(clips);
    ASSERT_EQ(form->RowCount(), 4);
  }
  void StartAndWaitForProgress() {
    form->bsSkinButton2->ButtonClick();
    ASSERT_TRUE(form->FFVCL->Working());
    bool all = false;
    for (int i = 0; i < 3000 && !all; ++i) {
      Pump();
      rtl::CheckSynchronize(10);
      all = true;
      for (int r = 0; r < 4; ++r) all = all && !Cell(r, app::qcProgress).empty() && Cell(r, app::qcProgress) != u"0%";
    }
    ASSERT_TRUE(all) << "all four conversions under way";
  }
  // Clicks Stop and measures the paints of a timer-driven window meanwhile.
  struct TStopFigures {
    double stopMs, longestGapMs;
    int paints;
  };
  TStopFigures StopWhilePainting() {
    TPaintCounter counter;
    for (int i = 0; i < 20; ++i) {
      Pump();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const auto before = Clock::now();
    form->bsSkinButton10->ButtonClick();
    const auto after = Clock::now();
    EXPECT_FALSE(form->FFVCL->Stopping());
    return {std::chrono::duration<double, std::milli>(after - before).count(), counter.LongestGapMs(before, after),
            counter.CountBetween(before, after)};
  }
};

TEST_F(MainFormWaitTest, TheWindowKeepsPaintingWhileAStopOfFourConversionsWaits) {
  StartFourConversions();
  // The program as it was: no pump, the window frozen for the whole wait.
  StartAndWaitForProgress();
  const TStopFigures frozen = StopWhilePainting();
  ASSERT_TRUE(WaitForEndOfQueue());
  // With the program's pump.
  app::InstallMessagePump();
  StartAndWaitForProgress();
  const TStopFigures served = StopWhilePainting();
  ASSERT_TRUE(WaitForEndOfQueue());
  std::printf("stop of four 720p conversions: without the pump %.0f ms, %d paints, longest gap %.0f ms; "
              "with it %.0f ms, %d paints, longest gap %.0f ms\n",
              frozen.stopMs, frozen.paints, frozen.longestGapMs, served.stopMs, served.paints, served.longestGapMs);
  RecordProperty("longest_paint_gap_ms_without_pump", int(frozen.longestGapMs));
  RecordProperty("longest_paint_gap_ms", int(served.longestGapMs));
  // A generous bound that only a frozen window breaks: at least one paint
  // for every 200 ms of the wait.
  EXPECT_GE(served.paints, int(served.stopMs / 200));
  EXPECT_EQ(frozen.paints, 0) << "without the pump nothing paints (the figure above is the freeze)";
}

TEST_F(MainFormWaitTest, CommandsGivenWhileAStopWaitsAreIgnoredOrDeferred) {
  StartFourConversions();
  StartAndWaitForProgress();
  // Each command runs once from a window message served during the wait.
  enum TCommand { kSecondStop, kStart, kClose };
  struct Case {
    TCommand command;
    const char* name;
  } cases[] = {{kSecondStop, "second stop"}, {kStart, "start"}, {kClose, "close"}};
  bool ran[3] = {};
  app::InstallMessagePump();
  TPaintCounter counter;  // its timer brings the wait round to the commands
  int next = 0;
  engine::SetMessagePump([&] {
    if (next < 3 && form->FFVCL->Stopping()) {
      const Case& c = cases[next++];
      ran[c.command] = true;
      switch (c.command) {
        case kSecondStop: form->bsSkinButton10->ButtonClick(); break;
        case kStart: form->btnStart->Click(); break;
        case kClose: form->Close(); break;
      }
      EXPECT_TRUE(form->FFVCL->Stopping()) << c.name << " returned while the first stop still waits";
    }
    win::MSG m{};
    if (!win::PeekMessageW(&m, nullptr, 0, 0, win::PM_REMOVE)) return false;
    forms::Application->ProcessMessage(m);
    return true;
  });
  form->bsSkinButton10->ButtonClick();
  for (bool r : ran) EXPECT_TRUE(r);
  EXPECT_FALSE(form->FFVCL->Working() && !form->FFVCL->Terminated()) << "the start was not taken during the stop";
  // The close came once the stop was over: the window let go of the engine.
  EXPECT_FALSE(static_cast<bool>(form->FFVCL->OnTerminate));
  EXPECT_FALSE(static_cast<bool>(form->FFVCL->OnProgress));
}

// The program's pump: window messages are dispatched, a WM_QUIT is taken
// and not dispatched but ends the program's loop, and exceptions (from a
// window's handler or an engine event's) reach the application's handling.
TEST_F(MainFormTest, TheProgramsPumpDispatchesAndKeepsAQuitForTheLoop) {
  static std::vector<win::UINT>* seen = nullptr;
  std::vector<win::UINT> messages;
  seen = &messages;
  win::WNDCLASSW wc{};
  wc.lpfnWndProc = [](win::HWND h, win::UINT m, win::WPARAM w, win::LPARAM l) -> win::LRESULT {
    if (m >= win::WM_USER) {
      seen->push_back(m);
      if (m == win::WM_USER + 1) throw rtl::Exception("window handler failed");
      return 0;
    }
    return win::DefWindowProcW(h, m, w, l);
  };
  wc.lpszClassName = u"PumpTarget";
  win::RegisterClassW(&wc);
  const win::HWND h = win::CreateWindowExW(0, u"PumpTarget", u"", win::WS_POPUP, 0, 0, 10, 10, nullptr, 0, nullptr);
  std::vector<std::string> reported;
  forms::Application->OnException = [&](rtl::TObject*, const std::exception& e) {
    reported.push_back(e.what());
    if (auto* re = dynamic_cast<const rtl::Exception*>(&e)) reported.back() = rtl::U8(re->Message());
  };
  app::InstallMessagePump();
  win::PostMessageW(h, win::WM_USER, 0, 0);
  win::PostQuitMessage(0);
  win::PostMessageW(h, win::WM_USER + 1, 0, 0);
  win::PostMessageW(h, win::WM_USER + 2, 0, 0);
  engine::PumpMessages();
  EXPECT_EQ(messages, (std::vector<win::UINT>{win::WM_USER, win::WM_USER + 1, win::WM_USER + 2}))
      << "everything after the quit and after the failing handler is still served";
  EXPECT_TRUE(forms::Application->Terminated()) << "the quit is kept for the program's loop";
  win::MSG m{};
  EXPECT_FALSE(win::PeekMessageW(&m, nullptr, win::WM_QUIT, win::WM_QUIT, win::PM_NOREMOVE)) << "taken";
  try {
    throw rtl::Exception("event handler failed");
  } catch (...) {
    engine::HandleEventException(nullptr);
  }
  EXPECT_EQ(reported, (std::vector<std::string>{"window handler failed", "event handler failed"}));
  app::UninstallMessagePump();
  win::DestroyWindow(h);
  seen = nullptr;
}

}  // namespace
}  // namespace mainformtest
