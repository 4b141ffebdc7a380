// Threads, main-thread synchronisation, locks, events and tick counters.
//
// Contract
// - The main (GUI) thread is the thread that ran static initialisation, or the
//   one that last called InitMainThread(). Only it may call CheckSynchronize.
// - TThread::Synchronize hands a method to the main thread and blocks the
//   caller until the main thread has run it (through CheckSynchronize); an
//   exception raised by the method is re-raised in the caller. Called on the
//   main thread it runs the method at once. TThread::Queue hands a method over
//   without waiting (on the main thread it also runs at once).
// - Every hand-over calls the wake-up hook (SetWakeMainThread) on the handing
//   thread, so a message loop sleeping in its own wait can come round to
//   CheckSynchronize.
// - WaitFor on the main thread keeps running CheckSynchronize while it waits,
//   so a worker that synchronises (OnTerminate included) never deadlocks it.
// - Threads are created suspended and run from Start(). C++ has no
//   after-construction hook, so a thread class meant to be created "running"
//   calls Start() as the last statement of its own constructor, and
//   that class must be final (nothing may still be constructed when Execute
//   begins). Likewise a class whose Execute uses members of its own must end
//   the thread (Terminate, WaitFor) in its own destructor unless it frees
//   itself; ~TThread does the same (serving the main thread's queue while it
//   waits), but by then only the base part is left.
// - FreeOnTerminate: the thread deletes its object after OnTerminate has run;
//   nobody may touch the object afterwards, and WaitFor on such a thread is
//   refused (EThread), as the object may vanish during the wait.
// - Linux cannot suspend a thread from outside: there is no Suspend; pausing
//   is done cooperatively by the code that runs in the thread.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

#include "platform/rtl/Object.h"

namespace rtl {

// Kernel thread id (what the logger prints); 0 is never a valid id.
using TThreadID = std::uint32_t;
using TThreadMethod = std::function<void()>;

#ifndef INFINITE
inline constexpr std::uint32_t INFINITE = 0xFFFFFFFFu;
#endif

// Mapped onto a per-thread nice value relative to the process's nice at
// start-up (tpIdle +19 ... tpTimeCritical -15). Lowering always works;
// raising needs CAP_SYS_NICE and is silently skipped without it.
enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

enum TWaitResult { wrSignaled, wrTimeout, wrAbandoned, wrError, wrIOCompletion };

// --- Main thread and synchronisation queue ---------------------------------

TThreadID GetCurrentThreadId();
TThreadID MainThreadID();
// Makes the calling thread the main thread (tests, or a program whose GUI
// thread is not the one that ran static initialisation).
void InitMainThread();

// Runs the methods handed over by other threads, oldest first. With nothing
// pending it waits up to TimeoutMs for a hand-over. Returns whether anything
// ran. Raises EThread off the main thread. An exception from a queued
// (not waited-for) method leaves this call; the methods after it stay queued.
bool CheckSynchronize(int TimeoutMs = 0);

// Hook called whenever something is handed to the main thread; runs on the
// handing thread. Empty function: no hook.
void SetWakeMainThread(std::function<void()> Wake);

// --- TThread ----------------------------------------------------------------

class TThread : public TObject {
 public:
  TThread();
  ~TThread() override;

  // Runs a thread that has not started yet; EThread if it already started.
  void Start();
  // Starts a thread that never ran, otherwise nothing (no thread is ever suspended).
  void Resume();
  // Asks Execute to end (it polls Terminated()).
  void Terminate();
  // Waits for the thread's end and returns its ReturnValue. EThread when the
  // thread never started, frees itself, or is the calling thread.
  int WaitFor();

  bool Terminated() const { return terminated_.load(std::memory_order_acquire); }
  // True once Execute and OnTerminate are done.
  bool Finished() const { return finished_.load(std::memory_order_acquire); }
  bool Started() const { return started_.load(std::memory_order_acquire); }

  bool FreeOnTerminate() const { return freeOnTerminate_.load(); }
  void SetFreeOnTerminate(bool Value) { freeOnTerminate_.store(Value); }

  TThreadPriority Priority() const { return priority_.load(); }
  void SetPriority(TThreadPriority Value);

  // Valid after Start(); 0 before.
  TThreadID ThreadID() const;
  std::thread::native_handle_type Handle() const { return handle_; }

  // The exception that ended Execute, or null.
  std::exception_ptr FatalException() const;
  int ReturnValue() const { return returnValue_.load(); }

  // Runs on the main thread, through Synchronize, after Execute; Sender is
  // the thread. Set it before Start().
  TNotifyEvent OnTerminate;

  void Synchronize(TThreadMethod Method) { Synchronize(this, std::move(Method)); }
  void Queue(TThreadMethod Method) { Queue(this, std::move(Method)); }
  // Thread may be null (a caller that is no TThread).
  static void Synchronize(TThread* Thread, TThreadMethod Method);
  static void Queue(TThread* Thread, TThreadMethod Method);
  // Drops the not-yet-run queued methods handed over by Thread; done by the
  // destructor so no queued method outlives its thread object.
  static void RemoveQueuedEvents(TThread* Thread);

 protected:
  virtual void Execute() = 0;
  // Runs OnTerminate on the main thread when assigned.
  virtual void DoTerminate();
  void SetReturnValue(int Value) { returnValue_.store(Value); }

 private:
  void LaunchLocked();
  void ThreadProc();
  void ApplyPriorityLocked();
  void JoinIfNeeded();

  std::thread thread_;
  std::thread::native_handle_type handle_{};
  mutable std::mutex lifeMutex_;  // start, join, priority against exit
  std::atomic<TThreadID> tid_{0};
  std::atomic<bool> started_{false};
  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
  std::atomic<bool> freeOnTerminate_{false};
  std::atomic<TThreadPriority> priority_{tpNormal};
  std::atomic<int> returnValue_{0};
  bool exited_ = false;  // guarded by lifeMutex_: the OS thread is past its last use of tid_
  std::exception_ptr fatal_;  // written by the thread before finished_
};

// --- Locks and events ---------------------------------------------------------

// Recursive, like the system critical sections it stands for. Also usable with
// std::lock_guard / std::unique_lock.
class TCriticalSection : public TObject {
 public:
  void Enter() { m_.lock(); }
  void Leave() { m_.unlock(); }
  bool TryEnter() { return m_.try_lock(); }
  void Acquire() { Enter(); }
  void Release() { Leave(); }
  void lock() { Enter(); }
  void unlock() { Leave(); }
  bool try_lock() { return TryEnter(); }

 private:
  std::recursive_mutex m_;
};

// Recursive mutex with a timed wait (an unnamed system mutex).
// Release by a thread that does not own it is ignored.
class TMutex : public TObject {
 public:
  TWaitResult WaitFor(std::uint32_t TimeoutMs = INFINITE);
  void Acquire() { WaitFor(INFINITE); }
  void Release();

 private:
  std::mutex m_;
  std::condition_variable cv_;
  std::thread::id owner_;
  unsigned depth_ = 0;
};

// Manual-reset: stays signalled until ResetEvent. Auto-reset: one successful
// wait takes the signal.
class TEvent : public TObject {
 public:
  explicit TEvent(bool ManualReset = true, bool InitialState = false)
      : manualReset_(ManualReset), signaled_(InitialState) {}

  void SetEvent();
  void ResetEvent();
  TWaitResult WaitFor(std::uint32_t TimeoutMs = INFINITE);

 private:
  const bool manualReset_;
  bool signaled_;
  std::mutex m_;
  std::condition_variable cv_;
};

// --- Time ---------------------------------------------------------------------

void Sleep(std::uint32_t Milliseconds);
// Milliseconds of a monotonic clock; the 32-bit count wraps after ~49.7 days.
std::uint32_t GetTickCount();
std::uint64_t GetTickCount64();

}  // namespace rtl
