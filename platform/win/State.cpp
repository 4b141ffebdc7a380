// Global state of the window system: handle table, thread queues, back end, clock.
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <unordered_map>

#include "platform/rtl/Threads.h"
#include "platform/win/Headless.h"
#include "platform/win/WindowObject.h"

namespace win {
std::unique_ptr<Backend> CreateHeadlessBackend();
std::unique_ptr<Backend> CreateX11Backend();  // nullptr when no display can be opened
}  // namespace win

namespace win::detail {

namespace {

struct Globals {
  std::recursive_mutex tree;
  std::unordered_map<std::uintptr_t, std::shared_ptr<Window>> handles;
  std::vector<std::shared_ptr<Window>> topLevels;
  std::unordered_map<DWORD, std::weak_ptr<ThreadQueue>> queues;
  std::unique_ptr<Backend> backend;
  DWORD guiThread = 0;
  std::atomic<bool> fakeClock{false};
  std::atomic<std::uint64_t> fakeNow{0};
  std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
};

Globals& G() {
  static Globals* g = new Globals;  // never destroyed: thread exits may run after static destruction
  return *g;
}

void DestroyWindowsOfThread(DWORD tid) {
  std::vector<HWND> mine;
  {
    std::lock_guard lock(G().tree);
    for (auto& [id, w] : G().handles)
      if (w->thread == tid && (!w->parent)) mine.push_back(w->handle);
  }
  for (HWND h : mine) DestroyWindow(h);
}

struct QueueHolder {
  std::shared_ptr<ThreadQueue> q;
  ~QueueHolder() {
    if (!q) return;
    DestroyWindowsOfThread(q->threadId);
    {
      std::lock_guard lock(G().tree);
      G().queues.erase(q->threadId);
    }
    // Senders waiting on this thread get 0 rather than waiting forever.
    std::deque<std::shared_ptr<SentMessage>> pending;
    {
      std::lock_guard lock(q->m);
      q->closed = true;  // a sender that found this queue a moment ago must not wait on it
      pending.swap(q->sent);
    }
    for (auto& s : pending) {
      s->done = true;
      if (s->sender) s->sender->Wake();
    }
  }
};
thread_local QueueHolder tlsQueue;

}  // namespace

ThreadQueue::ThreadQueue(DWORD tid) : threadId(tid) { wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC); }

ThreadQueue::~ThreadQueue() {
  if (wakeFd >= 0) close(wakeFd);
}

void ThreadQueue::Wake() {
  std::uint64_t one = 1;
  [[maybe_unused]] auto n = write(wakeFd, &one, sizeof one);
}

void ThreadQueue::Wait(int timeoutMs, int extraFd) {
  pollfd fds[2] = {{wakeFd, POLLIN, 0}, {extraFd, POLLIN, 0}};
  int n = extraFd >= 0 ? 2 : 1;
  if (poll(fds, n, timeoutMs) > 0 && (fds[0].revents & POLLIN)) {
    std::uint64_t v;
    [[maybe_unused]] auto r = read(wakeFd, &v, sizeof v);
  }
}

std::recursive_mutex& TreeLock() { return G().tree; }

std::shared_ptr<Window> FindAny(HWND h) {
  if (!h) return nullptr;
  std::lock_guard lock(G().tree);
  auto it = G().handles.find(reinterpret_cast<std::uintptr_t>(h));
  return it == G().handles.end() ? nullptr : it->second;
}

std::shared_ptr<Window> Find(HWND h) {
  auto w = FindAny(h);
  return w && !w->destroyed ? w : nullptr;
}

Window* Get(HWND h) {
  auto w = Find(h);
  // The table keeps the object alive; callers on the owner thread use it
  // within one call, during which it cannot be removed from under them.
  return w.get();
}

std::vector<std::shared_ptr<Window>> TopLevels() {
  std::lock_guard lock(G().tree);
  return G().topLevels;
}

std::vector<std::shared_ptr<Window>>& TopLevelsLocked() { return G().topLevels; }

void RegisterHandle(const std::shared_ptr<Window>& w) {
  static std::uintptr_t next = 0x10000;
  std::lock_guard lock(G().tree);
  next += 4;
  w->handle = reinterpret_cast<HWND>(next);
  G().handles[next] = w;
}

void UnregisterHandle(HWND h) {
  std::shared_ptr<Window> keep;  // released after the lock
  std::lock_guard lock(G().tree);
  auto it = G().handles.find(reinterpret_cast<std::uintptr_t>(h));
  if (it != G().handles.end()) {
    keep = std::move(it->second);
    G().handles.erase(it);
  }
}

DWORD CurrentThread() {
  thread_local DWORD tid = DWORD(gettid());
  return tid;
}

std::shared_ptr<ThreadQueue> CurrentQueuePtr() {
  if (!tlsQueue.q) {
    tlsQueue.q = std::make_shared<ThreadQueue>(CurrentThread());
    std::lock_guard lock(G().tree);
    G().queues[CurrentThread()] = tlsQueue.q;
  }
  return tlsQueue.q;
}

ThreadQueue& CurrentQueue() {
  if (!tlsQueue.q) CurrentQueuePtr();
  return *tlsQueue.q;
}

std::shared_ptr<ThreadQueue> QueueOf(DWORD tid) {
  std::lock_guard lock(G().tree);
  auto it = G().queues.find(tid);
  return it == G().queues.end() ? nullptr : it->second.lock();
}

bool IsGuiThread() { return G().guiThread == CurrentThread(); }

DWORD GuiThread() { return G().guiThread; }

Backend& TheBackend() {
  if (!G().backend) InitWindowSystem(BackendKind::Headless);
  return *G().backend;
}

std::uint64_t NowMs() {
  if (G().fakeClock) return G().fakeNow;
  return std::uint64_t(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - G().start).count());
}

void WakeAllQueues() {
  std::vector<std::shared_ptr<ThreadQueue>> qs;
  {
    std::lock_guard lock(G().tree);
    for (auto& [tid, wq] : G().queues)
      if (auto q = wq.lock()) qs.push_back(q);
  }
  for (auto& q : qs) q->Wake();
}

void RunSynchronize() {
  if (rtl::MainThreadID() == CurrentThread()) rtl::CheckSynchronize(0);
}

}  // namespace win::detail

namespace win {

using namespace detail;

static void Install(std::unique_ptr<Backend> backend) {
  ResetInputState();
  G().backend = std::move(backend);
  G().guiThread = CurrentThread();
  CurrentQueuePtr();
  rtl::InitMainThread();
  // The runtime library hands work to this thread; wake its message loop.
  std::weak_ptr<ThreadQueue> gui = CurrentQueuePtr();
  rtl::SetWakeMainThread([gui] {
    if (auto q = gui.lock()) q->Wake();
  });
}

bool InitWindowSystem(BackendKind kind) {
  if (G().backend) ShutdownWindowSystem();
  std::unique_ptr<Backend> b;
  if (kind == BackendKind::X11 || (kind == BackendKind::Automatic && std::getenv("DISPLAY") &&
                                   *std::getenv("DISPLAY"))) {
    b = CreateX11Backend();
    if (!b && kind == BackendKind::X11) return false;
  }
  if (!b) b = CreateHeadlessBackend();
  Install(std::move(b));
  return true;
}

void InitWindowSystem(std::unique_ptr<Backend> backend) {
  if (G().backend) ShutdownWindowSystem();
  Install(std::move(backend));
}

void ShutdownWindowSystem() {
  for (auto& w : TopLevels()) DestroyWindow(w->handle);
  std::vector<HWND> rest;
  {
    std::lock_guard lock(G().tree);
    for (auto& [id, w] : G().handles) rest.push_back(w->handle);
  }
  for (HWND h : rest) DestroyWindow(h);
  // Nothing of this window system survives into the next one on this thread.
  ThreadQueue& q = CurrentQueue();
  {
    std::lock_guard lock(q.m);
    q.posted.clear();
    q.input.clear();
    q.quit = false;
  }
  q.timers.clear();
  q.keyText.clear();
  std::fill(std::begin(q.keyState), std::end(q.keyState), BYTE(0));
  rtl::SetWakeMainThread({});
  G().backend.reset();
  G().fakeClock = false;
}

Backend* CurrentBackend() { return G().backend.get(); }

DWORD GetCurrentThreadId() { return CurrentThread(); }

DWORD GetTickCountWin() { return DWORD(NowMs()); }

namespace headless {

void UseFakeClock(bool fake) {
  if (fake) G().fakeNow = NowMs();
  G().fakeClock = fake;
}

void AdvanceClock(std::uint32_t ms) {
  G().fakeNow += ms;
  WakeAllQueues();
}

}  // namespace headless

}  // namespace win
