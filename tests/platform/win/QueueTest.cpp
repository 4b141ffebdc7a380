// Message queues: retrieval order and filters, WM_QUIT, timers on the fake
// clock, and messages across threads (including the runtime library's
// synchronised methods, which the message loop runs).
#include <atomic>
#include <thread>

#include "platform/rtl/Threads.h"
#include "tests/platform/win/WinTestUtil.h"

namespace wintest {
namespace {

using V = std::vector<std::string>;

class Queue : public WinTest {
 protected:
  // Dispatches what is queued, logging posted and timer messages as
  // "name:MSG(wParam)".
  V Drain() {
    V out;
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (m.message == WM_QUIT) {
        out.push_back("WM_QUIT(" + std::to_string(m.wParam) + ")");
        continue;
      }
      if (m.message != WM_PAINT) out.push_back(rec.Name(m.hwnd) + ":" + MsgName(m.message) + "(" + std::to_string(m.wParam) + ")");
      DispatchMessageW(&m);
    }
    return out;
  }
};

TEST_F(Queue, RetrievalOrderAndFilters) {
  HWND a = Make("A", WS_POPUP, rtl::Bounds(0, 0, 10, 10));
  HWND b = Make("B", WS_POPUP, rtl::Bounds(0, 0, 10, 10));
  PostMessageW(a, WM_USER + 1, 1, 0);
  PostMessageW(b, WM_USER + 2, 2, 0);
  PostQuitMessage(7);
  PostMessageW(a, WM_USER + 3, 3, 0);
  MSG m;
  // A window filter and a range filter pick out of order; NOREMOVE leaves it.
  ASSERT_TRUE(PeekMessageW(&m, b, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(m.message, WM_USER + 2);
  ASSERT_TRUE(PeekMessageW(&m, nullptr, WM_USER + 3, WM_USER + 3, PM_REMOVE));
  EXPECT_EQ(m.wParam, 3u);
  EXPECT_FALSE(PeekMessageW(&m, nullptr, WM_USER + 3, WM_USER + 3, PM_REMOVE));
  // WM_QUIT only once every posted message is out.
  EXPECT_EQ(Drain(), (V{"A:WM_USER+1(1)", "B:WM_USER+2(2)", "WM_QUIT(7)"}));
  EXPECT_FALSE(PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_FALSE(PostMessageW(reinterpret_cast<HWND>(0x1234), WM_USER, 0, 0));
}

TEST_F(Queue, GetMessageReturnsFalseOnQuit) {
  PostMessageW(nullptr, WM_USER, 5, 0);
  PostQuitMessage(3);
  MSG m;
  EXPECT_EQ(GetMessageW(&m, nullptr, 0, 0), TRUE);
  EXPECT_EQ(m.message, WM_USER);
  EXPECT_EQ(m.hwnd, nullptr);
  EXPECT_EQ(GetMessageW(&m, nullptr, 0, 0), FALSE);
  EXPECT_EQ(m.wParam, 3u);
}

std::vector<std::uintptr_t> gTimerProcIds;
void TimerProc(HWND, UINT, std::uintptr_t id, DWORD) { gTimerProcIds.push_back(id); }

TEST_F(Queue, TimersFollowTheFakeClock) {
  HWND a = Make("A", WS_POPUP, rtl::Bounds(0, 0, 10, 10));
  SetTimer(a, 1, 50, nullptr);
  SetTimer(a, 2, 120, nullptr);
  EXPECT_EQ(Drain(), V{});
  headless::AdvanceClock(49);
  EXPECT_EQ(Drain(), V{});
  headless::AdvanceClock(1);
  EXPECT_EQ(Drain(), V{"A:WM_TIMER(1)"});
  // Late ticks do not pile up: one message, then a full interval again.
  headless::AdvanceClock(500);
  EXPECT_EQ(Drain(), (V{"A:WM_TIMER(1)", "A:WM_TIMER(2)"}));
  headless::AdvanceClock(50);
  EXPECT_EQ(Drain(), V{"A:WM_TIMER(1)"});
  // Setting an existing id restarts it; KillTimer leaves no stale tick behind.
  headless::AdvanceClock(40);
  SetTimer(a, 1, 50, nullptr);
  headless::AdvanceClock(40);
  EXPECT_EQ(Drain(), V{"A:WM_TIMER(2)"});
  headless::AdvanceClock(30);
  KillTimer(a, 1);
  EXPECT_EQ(Drain(), V{});
  EXPECT_FALSE(KillTimer(a, 1));
  // A TIMERPROC runs instead of the window procedure; thread timers get ids.
  gTimerProcIds.clear();
  std::uintptr_t t = SetTimer(nullptr, 0, 30, TimerProc);
  ASSERT_NE(t, 0u);
  headless::AdvanceClock(30);
  Drain();
  EXPECT_EQ(gTimerProcIds, std::vector<std::uintptr_t>{t});
  KillTimer(nullptr, t);
  // A destroyed window's timers go with it.
  DestroyWindow(a);
  headless::AdvanceClock(1000);
  EXPECT_EQ(Drain(), V{});
}

TEST_F(Queue, PostingFromManyThreads) {
  HWND a = Make("A", WS_POPUP, rtl::Bounds(0, 0, 10, 10));
  std::atomic<int> sum{0};
  gHook = [&](HWND, UINT m, WPARAM w, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_USER) sum += int(w);
    return std::nullopt;
  };
  rec.on = false;
  std::vector<std::thread> ts;
  for (int t = 0; t < 4; ++t)
    ts.emplace_back([a] {
      for (int i = 0; i < 250; ++i) PostMessageW(a, WM_USER, 1, 0);
    });
  for (auto& t : ts) t.join();
  Pump();
  EXPECT_EQ(sum, 1000);
}

TEST_F(Queue, SendMessageAcrossThreadsWaitsForTheOwner) {
  HWND a = Make("A", WS_POPUP, rtl::Bounds(0, 0, 10, 10));
  DWORD gui = GetCurrentThreadId();
  std::atomic<DWORD> ranOn{0};
  gHook = [&](HWND, UINT m, WPARAM w, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_USER) {
      ranOn = GetCurrentThreadId();
      return LRESULT(w * 2);
    }
    return std::nullopt;
  };
  std::atomic<LRESULT> result{0};
  std::thread worker([&] { result = SendMessageW(a, WM_USER, 21, 0); });
  // The GUI thread answers sent messages while it waits for its own.
  MSG m;
  while (result == 0) {
    PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);
    std::this_thread::yield();
  }
  worker.join();
  EXPECT_EQ(result, 42);
  EXPECT_EQ(ranOn, gui);
}

// A worker owning a window: the GUI thread sends to it while the worker, in
// its handler, sends back to the GUI thread. Neither may wait forever.
TEST_F(Queue, NoDeadlockWhenBothThreadsSendToEachOther) {
  HWND guiWnd = Make("G", WS_POPUP, rtl::Bounds(0, 0, 10, 10));
  gHook = [&](HWND h, UINT m, WPARAM w, LPARAM) -> std::optional<LRESULT> {
    if (h == guiWnd && m == WM_USER + 1) return LRESULT(w + 1);
    return std::nullopt;
  };
  std::atomic<HWND> workerWnd{nullptr};
  std::atomic<bool> stop{false};
  static HWND sGui;
  sGui = guiWnd;
  std::thread worker([&] {
    WNDCLASSW wc;
    wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
      if (m == WM_USER) return SendMessageW(sGui, WM_USER + 1, w, 0) + 1;
      return DefWindowProcW(h, m, w, l);
    };
    wc.lpszClassName = u"WorkerClass";
    RegisterClassW(&wc);
    HWND w = CreateWindowExW(0, u"WorkerClass", u"W", 0, 0, 0, 0, 0, HWND_MESSAGE, 0, nullptr);
    workerWnd = w;
    MSG m;
    while (!stop) {
      if (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
      else std::this_thread::yield();
    }
    DestroyWindow(w);
  });
  while (!workerWnd) std::this_thread::yield();
  EXPECT_EQ(SendMessageW(workerWnd, WM_USER, 40, 0), 42);
  stop = true;
  worker.join();
  UnregisterClassW(u"WorkerClass");
}

// The message loop runs what other threads hand to the main thread, also
// while the main thread itself waits in SendMessage.
TEST_F(Queue, SynchronisedMethodsRunInTheLoop) {
  std::atomic<int> ran{0};
  std::thread t1([&] { rtl::TThread::Synchronize(nullptr, [&] { ran = ran + 1; }); });
  MSG m;
  while (ran == 0) {
    PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);
    std::this_thread::yield();
  }
  t1.join();

  // A worker that synchronises before it answers the GUI thread's send.
  std::atomic<HWND> workerWnd{nullptr};
  std::atomic<bool> stop{false};
  static std::atomic<int>* sRan;
  sRan = &ran;
  std::thread t2([&] {
    WNDCLASSW wc;
    wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
      if (m == WM_USER) {
        rtl::TThread::Synchronize(nullptr, [] { *sRan = *sRan + 10; });
        return 5;
      }
      return DefWindowProcW(h, m, w, l);
    };
    wc.lpszClassName = u"SyncClass";
    RegisterClassW(&wc);
    HWND w = CreateWindowExW(0, u"SyncClass", u"S", 0, 0, 0, 0, 0, HWND_MESSAGE, 0, nullptr);
    workerWnd = w;
    MSG mm;
    while (!stop) {
      if (PeekMessageW(&mm, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&mm);
      else std::this_thread::yield();
    }
    DestroyWindow(w);
  });
  while (!workerWnd) std::this_thread::yield();
  EXPECT_EQ(SendMessageW(workerWnd, WM_USER, 0, 0), 5);
  EXPECT_EQ(ran, 11);
  stop = true;
  t2.join();
  UnregisterClassW(u"SyncClass");
}

TEST_F(Queue, RegisteredMessagesAreStablePerName) {
  UINT a = RegisterWindowMessageW(u"TaskbarCreated");
  EXPECT_GE(a, 0xC000u);
  EXPECT_EQ(RegisterWindowMessageW(u"taskbarcreated"), a);
  EXPECT_NE(RegisterWindowMessageW(u"Other"), a);
  EXPECT_EQ(RegisterWindowMessageW(u""), 0u);
}

}  // namespace
}  // namespace wintest

namespace wintest {
namespace {

// A thread that ends without answering: its windows go with it, and a sender
// waiting on one of them gets 0 instead of waiting for ever.
TEST_F(Queue, SenderIsReleasedWhenTheOwnerThreadEnds) {
  WNDCLASSW wc;
  wc.lpfnWndProc = DefWindowProcW;
  wc.lpszClassName = u"Leaving";
  RegisterClassW(&wc);
  std::atomic<HWND> w{nullptr};
  std::atomic<bool> go{false};
  std::thread owner([&] {
    w = CreateWindowExW(0, u"Leaving", u"", 0, 0, 0, 0, 0, HWND_MESSAGE, 0, nullptr);
    while (!go) std::this_thread::yield();
  });
  while (!w) std::this_thread::yield();
  std::atomic<bool> sent{false};
  std::atomic<LRESULT> result{-1};
  std::thread sender([&] {
    sent = true;
    result = SendMessageW(w, WM_USER, 0, 0);
  });
  while (!sent) std::this_thread::yield();
  go = true;
  owner.join();
  sender.join();
  EXPECT_EQ(result, 0);
  EXPECT_FALSE(IsWindow(w));
  EXPECT_FALSE(PostMessageW(w, WM_USER, 0, 0));
  UnregisterClassW(u"Leaving");
}

}  // namespace
}  // namespace wintest

namespace wintest {
namespace {

// Thread messages carry no window; a missing thread or window is an error,
// not a wait.
TEST_F(Queue, ThreadMessagesAndRetrievalErrors) {
  DWORD gui = GetCurrentThreadId();
  std::thread t([gui] { EXPECT_TRUE(PostThreadMessageW(gui, WM_USER + 5, 9, 0)); });
  t.join();
  EXPECT_EQ(Drain(), V{"?:WM_USER+5(9)"});
  EXPECT_FALSE(PostThreadMessageW(0x7FFF1234, WM_USER, 0, 0));
  HWND a = Make("A", WS_POPUP, rtl::Bounds(0, 0, 10, 10));
  DestroyWindow(a);
  MSG m;
  EXPECT_EQ(GetMessageW(&m, a, 0, 0), -1);
}

// A window destroyed while another thread is sending to it: the sender gets
// 0, never the procedure's answer, and goes on.
TEST_F(Queue, SendToAWindowDestroyedBeforeItAnswers) {
  HWND a = Make("A", WS_POPUP, rtl::Bounds(0, 0, 10, 10));
  std::atomic<bool> started{false}, done{false};
  std::atomic<LRESULT> result{-1};
  gHook = [](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_USER) return 7;
    return std::nullopt;
  };
  std::thread sender([&] {
    started = true;
    result = SendMessageW(a, WM_USER, 0, 0);
    done = true;
  });
  while (!started) std::this_thread::yield();
  DestroyWindow(a);
  // The send may land before or after the destruction; either way the loop
  // answers it with 0 once it looks at its queue.
  while (!done) {
    Pump();
    std::this_thread::yield();
  }
  sender.join();
  EXPECT_EQ(result, 0);
}

}  // namespace
}  // namespace wintest
