// Watching folders and the mount table for changes.
//
// TbsShellChangeNotifier watches one directory (and, with WatchSubTree, every
// directory below it) with inotify on a worker thread of its own, and runs
// OnChange on the main thread for every batch of changes: the worker hands the
// call over with TThread::Synchronize, which the window system's message loop
// serves. Nothing of the change is passed on; the receiver reads its folder
// again. TMountChangeNotifier does the same for file systems being mounted
// and unmounted (removable media coming and going).
//
// Lifetime: the notifier owns its worker and ends it in its destructor
// (promptly: the worker also waits on a wake-up descriptor). A change the
// worker took up just before is dropped, never delivered to a notifier that is
// going away. OnChange is read only on the main thread, so replacing it is
// safe at any time. Everything of the notifier itself runs on the main thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/rtl/Classes.h"
#include "platform/rtl/Threads.h"
#include "platform/shell/ShellNamespace.h"

namespace shell {

enum TNotifyFilter {
  nfFileNameChange, nfDirNameChange, nfAttributeChange, nfSizeChange, nfWriteChange, nfSecurityChange
};
using TNotifyFilters = std::uint8_t;  // bit n for ordinal n

constexpr std::uint32_t FILE_NOTIFY_CHANGE_FILE_NAME = 0x1;
constexpr std::uint32_t FILE_NOTIFY_CHANGE_DIR_NAME = 0x2;
constexpr std::uint32_t FILE_NOTIFY_CHANGE_ATTRIBUTES = 0x4;
constexpr std::uint32_t FILE_NOTIFY_CHANGE_SIZE = 0x8;
constexpr std::uint32_t FILE_NOTIFY_CHANGE_LAST_WRITE = 0x10;
constexpr std::uint32_t FILE_NOTIFY_CHANGE_SECURITY = 0x100;

std::uint32_t NotifyFiltersToFlags(TNotifyFilters Filters);

// A worker thread that watches something and hands each batch of changes to
// the main thread. Stop sets the terminate flag and wakes the worker at once.
class TChangeWorker : public rtl::TThread {
 public:
  explicit TChangeWorker(rtl::TThreadMethod Deliver);
  ~TChangeWorker() override;
  void Stop();

  // How often the worker has (re)made its watches, and how many folders the
  // last ones cover; for tests, which wait for the watches before changing
  // anything.
  int Generation() const { return FGeneration.load(); }
  int WatchedFolders() const { return FWatched.load(); }

 protected:
  // Waits until Fd (when >= 0) reports Events or the worker is woken; false
  // when the wait failed. Readable tells whether Fd reported.
  bool Wait(int Fd, short Events, bool& Readable);
  void Wake();
  // Hands one batch of changes to the main thread unless stopping.
  void DeliverChange();
  void WatchesMade(int Folders) {
    FWatched.store(Folders);
    FGeneration.fetch_add(1);
  }
  void WatchCountChanged(int Folders) { FWatched.store(Folders); }

 private:
  std::atomic<int> FGeneration{0};
  std::atomic<int> FWatched{0};
  rtl::TThreadMethod FDeliver;
  int FWakeFd = -1;
};

// What both notifiers share: the worker they own, OnChange, and the hand-over
// that never reaches a notifier that is going away.
class TChangeNotifierBase : public rtl::TComponent {
 public:
  explicit TChangeNotifierBase(rtl::TComponent* AOwner);
  ~TChangeNotifierBase() override;

  const rtl::TThreadMethod& OnChange() const { return FOnChange; }
  void SetOnChange(rtl::TThreadMethod Value);
  // Whether a worker runs, and the worker itself (for tests; null when none).
  bool Watching() const;
  const TChangeWorker* Worker() const { return FThread.get(); }

 protected:
  // Makes the worker (not started yet) when OnChange is assigned.
  virtual std::unique_ptr<TChangeWorker> MakeWorker(rtl::TThreadMethod Deliver) = 0;
  void StartThread();
  void StopThread();

 private:
  void Deliver();

  std::unique_ptr<TChangeWorker> FThread;
  rtl::TThreadMethod FOnChange;
  bool FDelivering = false;
  bool FStopping = false;
  std::shared_ptr<bool> FAlive;
};

class TbsShellChangeThread;

class TbsCustomShellChangeNotifier : public TChangeNotifierBase {
 public:
  explicit TbsCustomShellChangeNotifier(rtl::TComponent* AOwner);
  ~TbsCustomShellChangeNotifier() override;

  TNotifyFilters NotifyFilters() const { return FFilters; }
  void SetNotifyFilters(TNotifyFilters Value);
  bool WatchSubTree() const { return FWatchSubTree; }
  void SetWatchSubTree(bool Value);
  const TRoot& Root() const { return FRoot; }
  // Paths are compared exactly: on this system "/a/X" and "/a/x" are two folders.
  void SetRoot(const TRoot& Value);

 protected:
  std::unique_ptr<TChangeWorker> MakeWorker(rtl::TThreadMethod Deliver) override;
  void UpdateThreadOptions();

 private:
  TNotifyFilters FFilters = (1u << nfFileNameChange) | (1u << nfDirNameChange);
  bool FWatchSubTree = true;
  TRoot FRoot = u"/";
};

class TbsShellChangeNotifier : public TbsCustomShellChangeNotifier {
 public:
  using TbsCustomShellChangeNotifier::TbsCustomShellChangeNotifier;
};

// The worker of one notifier. Options are stored under ShellChangeLock and
// taken up at once: storing them wakes the worker, which makes its watches
// again.
class TbsShellChangeThread final : public TChangeWorker {
 public:
  using TChangeWorker::TChangeWorker;
  ~TbsShellChangeThread() override;

  void SetDirectoryOptions(const String& Directory, bool WatchSubTree, std::uint32_t NotifyOptionFlags);

 protected:
  void Execute() override;

 private:
  // Guarded by ShellChangeLock.
  std::string FDirectory;
  bool FWatchSubTree = false;
  std::uint32_t FNotifyOptionFlags = 0;
  bool FWaitChanged = false;
};

// Runs OnChange on the main thread whenever a file system is mounted or
// unmounted (the mount table is watched; OnChange re-reads ReadMounts).
class TMountChangeNotifier : public TChangeNotifierBase {
 public:
  explicit TMountChangeNotifier(rtl::TComponent* AOwner);
  ~TMountChangeNotifier() override;

 protected:
  std::unique_ptr<TChangeWorker> MakeWorker(rtl::TThreadMethod Deliver) override;
};

}  // namespace shell
