#include "platform/rtl/Threads.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <memory>
#include <string>
#include <system_error>

#include "platform/rtl/Exceptions.h"

namespace rtl {

namespace {

TThreadID KernelThreadId() { return static_cast<TThreadID>(::syscall(SYS_gettid)); }

std::atomic<TThreadID>& MainId() {
  static std::atomic<TThreadID> id{KernelThreadId()};
  return id;
}

// Priorities are relative to the nice value the process started with, so a
// program started under `nice` keeps its offset.
int BaseNice() {
  static const int base = ::getpriority(PRIO_PROCESS, 0);
  return base;
}

// Touch both at static initialisation, which runs on the main thread.
const bool gStaticInit = (MainId(), BaseNice(), true);

int NiceOffset(TThreadPriority p) {
  switch (p) {
    case tpIdle: return 19;
    case tpLowest: return 10;
    case tpLower: return 5;
    case tpNormal: return 0;
    case tpHigher: return -5;
    case tpHighest: return -10;
    case tpTimeCritical: return -15;
  }
  return 0;
}

struct SyncItem {
  TThreadMethod method;
  TThread* thread = nullptr;
  bool waits = false;
  std::uint64_t seq = 0;
  bool done = false;  // guarded by SyncState::m
  std::exception_ptr error;
};

// One lock and one condition serve the hand-over queue, the completion of
// waited-for methods and the end of threads: the main thread, waiting in
// WaitFor, must wake for either of the last two kinds of news.
struct SyncState {
  std::mutex m;
  std::condition_variable cv;
  std::deque<std::shared_ptr<SyncItem>> queue;
  std::uint64_t nextSeq = 1;
  std::function<void()> wake;
};

SyncState& Sync() {
  // Never destroyed: detached threads may still hand over during exit.
  static SyncState* s = new SyncState;
  return *s;
}

bool OnMainThread() { return GetCurrentThreadId() == MainThreadID(); }

void Post(std::shared_ptr<SyncItem> item) {
  SyncState& s = Sync();
  std::function<void()> wake;
  {
    std::lock_guard<std::mutex> lk(s.m);
    item->seq = s.nextSeq++;
    s.queue.push_back(std::move(item));
    wake = s.wake;
  }
  s.cv.notify_all();
  if (wake) wake();
}

}  // namespace

TThreadID GetCurrentThreadId() {
  thread_local const TThreadID id = KernelThreadId();
  return id;
}

TThreadID MainThreadID() { return MainId().load(std::memory_order_acquire); }

void InitMainThread() { MainId().store(GetCurrentThreadId(), std::memory_order_release); }

void SetWakeMainThread(std::function<void()> Wake) {
  SyncState& s = Sync();
  std::lock_guard<std::mutex> lk(s.m);
  s.wake = std::move(Wake);
}

bool CheckSynchronize(int TimeoutMs) {
  if (!OnMainThread()) {
    char text[96];
    std::snprintf(text, sizeof text, "CheckSynchronize called from thread $%x, which is NOT the main thread.",
                  GetCurrentThreadId());
    throw EThread(text);
  }
  SyncState& s = Sync();
  std::unique_lock<std::mutex> lk(s.m);
  if (s.queue.empty()) {
    if (TimeoutMs <= 0) return false;
    if (!s.cv.wait_for(lk, std::chrono::milliseconds(TimeoutMs), [&] { return !s.queue.empty(); }))
      return false;
  }
  // Only what was pending on entry runs now; a method that hands over again
  // waits for the next call instead of looping here for ever. Items are taken
  // one at a time so RemoveQueuedEvents still sees every one not yet begun.
  const std::uint64_t last = s.nextSeq - 1;
  bool ran = false;
  while (!s.queue.empty() && s.queue.front()->seq <= last) {
    std::shared_ptr<SyncItem> item = std::move(s.queue.front());
    s.queue.pop_front();
    lk.unlock();
    ran = true;
    if (item->waits) {
      std::exception_ptr error;
      try {
        item->method();
      } catch (...) {
        error = std::current_exception();
      }
      lk.lock();
      item->error = error;
      item->done = true;
      s.cv.notify_all();
    } else {
      item->method();  // an exception leaves with the rest still queued
      lk.lock();
    }
  }
  return ran;
}

// --- TThread ------------------------------------------------------------------

TThread::TThread() = default;

TThread::~TThread() {
  if (Started() && !Finished() && tid_.load() != GetCurrentThreadId()) {
    Terminate();
    SyncState& s = Sync();
    std::unique_lock<std::mutex> lk(s.m);
    const bool onMain = OnMainThread();
    while (!Finished()) {
      if (onMain && !s.queue.empty()) {
        lk.unlock();
        try {
          CheckSynchronize(0);
        } catch (...) {
          // A destructor cannot pass it on; the queued method failed alone.
        }
        lk.lock();
        continue;
      }
      s.cv.wait(lk);
    }
  }
  JoinIfNeeded();
  RemoveQueuedEvents(this);
}

void TThread::Start() {
  std::lock_guard<std::mutex> lk(lifeMutex_);
  if (started_.load()) throw EThread("Cannot call Start on a running or suspended thread");
  LaunchLocked();
}

void TThread::Resume() {
  std::lock_guard<std::mutex> lk(lifeMutex_);
  if (!started_.load()) LaunchLocked();
}

void TThread::LaunchLocked() {
  try {
    thread_ = std::thread([this] { ThreadProc(); });
  } catch (const std::system_error& e) {
    throw EThread((std::string("Thread creation error: ") + e.what()).c_str());
  }
  handle_ = thread_.native_handle();
  started_.store(true, std::memory_order_release);
}

void TThread::Terminate() { terminated_.store(true, std::memory_order_release); }

int TThread::WaitFor() {
  if (!Started()) throw EThread("Cannot wait for a thread that has not been started");
  if (FreeOnTerminate()) throw EThread("Cannot wait for a thread that frees itself on termination");
  if (tid_.load() == GetCurrentThreadId()) throw EThread("A thread cannot wait for itself");
  SyncState& s = Sync();
  {
    std::unique_lock<std::mutex> lk(s.m);
    const bool onMain = OnMainThread();
    while (!Finished()) {
      if (onMain && !s.queue.empty()) {
        lk.unlock();
        CheckSynchronize(0);
        lk.lock();
        continue;
      }
      s.cv.wait(lk);
    }
  }
  JoinIfNeeded();
  return ReturnValue();
}

void TThread::JoinIfNeeded() {
  std::lock_guard<std::mutex> lk(lifeMutex_);
  if (!thread_.joinable()) return;
  if (thread_.get_id() == std::this_thread::get_id())
    thread_.detach();
  else
    thread_.join();
}

void TThread::SetPriority(TThreadPriority Value) {
  priority_.store(Value);
  std::lock_guard<std::mutex> lk(lifeMutex_);
  if (started_.load() && !exited_ && tid_.load() != 0) ApplyPriorityLocked();
}

void TThread::ApplyPriorityLocked() {
  const int nice = std::clamp(BaseNice() + NiceOffset(priority_.load()), -20, 19);
  // Best effort: raising needs privileges, and failing is no error here.
  (void)::setpriority(PRIO_PROCESS, static_cast<id_t>(tid_.load()), nice);
}

TThreadID TThread::ThreadID() const {
  if (!Started()) return 0;
  tid_.wait(0);
  return tid_.load();
}

std::exception_ptr TThread::FatalException() const {
  return Finished() ? fatal_ : nullptr;
}

void TThread::DoTerminate() {
  if (OnTerminate) Synchronize([this] { OnTerminate(this); });
}

void TThread::ThreadProc() {
  {
    // Start() holds the lock until thread_ is assigned.
    std::lock_guard<std::mutex> lk(lifeMutex_);
    tid_.store(GetCurrentThreadId());
    ApplyPriorityLocked();
  }
  tid_.notify_all();
  if (!Terminated()) {
    try {
      Execute();
    } catch (...) {
      fatal_ = std::current_exception();
    }
  }
  const bool freeIt = FreeOnTerminate();
  try {
    DoTerminate();
  } catch (...) {
    if (!fatal_) fatal_ = std::current_exception();
  }
  {
    std::lock_guard<std::mutex> lk(lifeMutex_);
    exited_ = true;  // from here on the id may be reused: no more priority changes
  }
  SyncState& s = Sync();
  {
    std::lock_guard<std::mutex> lk(s.m);
    finished_.store(true, std::memory_order_release);
  }
  s.cv.notify_all();
  if (freeIt) delete this;  // the destructor detaches thread_, as it runs on it
}

void TThread::Synchronize(TThread* Thread, TThreadMethod Method) {
  if (!Method) return;
  if (OnMainThread()) {
    Method();
    return;
  }
  auto item = std::make_shared<SyncItem>();
  item->method = std::move(Method);
  item->thread = Thread;
  item->waits = true;
  Post(item);
  SyncState& s = Sync();
  std::unique_lock<std::mutex> lk(s.m);
  s.cv.wait(lk, [&] { return item->done; });
  if (item->error) std::rethrow_exception(item->error);
}

void TThread::Queue(TThread* Thread, TThreadMethod Method) {
  if (!Method) return;
  if (OnMainThread()) {
    Method();
    return;
  }
  auto item = std::make_shared<SyncItem>();
  item->method = std::move(Method);
  item->thread = Thread;
  Post(std::move(item));
}

void TThread::RemoveQueuedEvents(TThread* Thread) {
  SyncState& s = Sync();
  std::lock_guard<std::mutex> lk(s.m);
  std::erase_if(s.queue, [&](const std::shared_ptr<SyncItem>& i) { return !i->waits && i->thread == Thread; });
}

// --- Locks and events ---------------------------------------------------------------

// Built on a condition rather than a timed mutex: the sanitizers do not see
// the clock-based lock calls, and a condition gives the same semantics.
TWaitResult TMutex::WaitFor(std::uint32_t TimeoutMs) {
  const std::thread::id self = std::this_thread::get_id();
  std::unique_lock<std::mutex> lk(m_);
  auto isFree = [&] { return depth_ == 0 || owner_ == self; };
  if (TimeoutMs == INFINITE)
    cv_.wait(lk, isFree);
  else if (!cv_.wait_for(lk, std::chrono::milliseconds(TimeoutMs), isFree))
    return wrTimeout;
  owner_ = self;
  ++depth_;
  return wrSignaled;
}

void TMutex::Release() {
  {
    std::lock_guard<std::mutex> lk(m_);
    if (depth_ == 0 || owner_ != std::this_thread::get_id()) return;
    if (--depth_ > 0) return;
    owner_ = std::thread::id();
  }
  cv_.notify_one();
}

void TEvent::SetEvent() {
  {
    std::lock_guard<std::mutex> lk(m_);
    signaled_ = true;
  }
  cv_.notify_all();
}

void TEvent::ResetEvent() {
  std::lock_guard<std::mutex> lk(m_);
  signaled_ = false;
}

TWaitResult TEvent::WaitFor(std::uint32_t TimeoutMs) {
  std::unique_lock<std::mutex> lk(m_);
  auto isSet = [&] { return signaled_; };
  if (TimeoutMs == INFINITE)
    cv_.wait(lk, isSet);
  else if (!cv_.wait_for(lk, std::chrono::milliseconds(TimeoutMs), isSet))
    return wrTimeout;
  if (!manualReset_) signaled_ = false;
  return wrSignaled;
}

// --- Time ---------------------------------------------------------------------------

void Sleep(std::uint32_t Milliseconds) {
  if (Milliseconds == 0)
    std::this_thread::yield();
  else
    std::this_thread::sleep_for(std::chrono::milliseconds(Milliseconds));
}

std::uint64_t GetTickCount64() {
  timespec ts{};
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::uint64_t>(ts.tv_sec) * 1000u + static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
}

std::uint32_t GetTickCount() { return static_cast<std::uint32_t>(GetTickCount64()); }

}  // namespace rtl
