#include "platform/shell/ChangeNotify.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/rtl/Strings.h"

namespace shell {

std::uint32_t NotifyFiltersToFlags(TNotifyFilters Filters) {
  static const std::uint32_t flags[] = {FILE_NOTIFY_CHANGE_FILE_NAME, FILE_NOTIFY_CHANGE_DIR_NAME,
                                        FILE_NOTIFY_CHANGE_ATTRIBUTES, FILE_NOTIFY_CHANGE_SIZE,
                                        FILE_NOTIFY_CHANGE_LAST_WRITE, FILE_NOTIFY_CHANGE_SECURITY};
  std::uint32_t r = 0;
  for (int i = 0; i <= nfSecurityChange; ++i)
    if (Filters & (1u << i)) r |= flags[i];
  return r;
}

// --- TChangeWorker ------------------------------------------------------------

TChangeWorker::TChangeWorker(rtl::TThreadMethod Deliver)
    : FDeliver(std::move(Deliver)), FWakeFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

TChangeWorker::~TChangeWorker() {
  if (FWakeFd >= 0) ::close(FWakeFd);
}

void TChangeWorker::Stop() {
  Terminate();
  Wake();
}

void TChangeWorker::Wake() {
  const std::uint64_t one = 1;
  if (FWakeFd >= 0) [[maybe_unused]] ssize_t n = ::write(FWakeFd, &one, sizeof one);
}

bool TChangeWorker::Wait(int Fd, short Events, bool& Readable) {
  Readable = false;
  if (FWakeFd < 0) return false;
  pollfd fds[2] = {{FWakeFd, POLLIN, 0}, {Fd, Events, 0}};
  for (;;) {
    const int r = ::poll(fds, Fd >= 0 ? 2 : 1, -1);
    if (r >= 0) break;
    if (errno != EINTR) return false;
  }
  if (fds[0].revents & POLLIN) {
    std::uint64_t count;
    [[maybe_unused]] ssize_t n = ::read(FWakeFd, &count, sizeof count);
  }
  Readable = Fd >= 0 && (fds[1].revents & (Events | POLLERR | POLLHUP));
  return true;
}

void TChangeWorker::DeliverChange() {
  if (Terminated() || !FDeliver) return;
  try {
    Synchronize(FDeliver);
  } catch (...) {
    // A handler that failed on one change must not end the watching.
  }
}

// --- TChangeNotifierBase ------------------------------------------------------------

TChangeNotifierBase::TChangeNotifierBase(rtl::TComponent* AOwner)
    : rtl::TComponent(AOwner), FAlive(std::make_shared<bool>(true)) {}

TChangeNotifierBase::~TChangeNotifierBase() {
  FStopping = true;
  StopThread();
  *FAlive = false;
}

void TChangeNotifierBase::SetOnChange(rtl::TThreadMethod Value) {
  FOnChange = std::move(Value);
  if (!FThread) StartThread();
}

bool TChangeNotifierBase::Watching() const { return FThread && !FThread->Finished(); }

void TChangeNotifierBase::StartThread() {
  if (!FOnChange || FStopping) return;
  FThread = MakeWorker([this] { Deliver(); });
  if (FThread) FThread->Start();
}

void TChangeNotifierBase::StopThread() {
  if (!FThread) return;
  std::unique_ptr<TChangeWorker> thread = std::move(FThread);
  thread->Stop();
  if (FDelivering) {
    // Stopped from inside its own change handler: the worker is waiting for
    // that handler to return, so it cannot be joined here. It sees the
    // terminate flag right after and frees itself.
    thread->SetFreeOnTerminate(true);
    thread.release();
  } else {
    thread->WaitFor();
  }
}

void TChangeNotifierBase::Deliver() {
  if (FStopping || !FOnChange) return;
  const rtl::TThreadMethod handler = FOnChange;
  const std::shared_ptr<bool> alive = FAlive;
  FDelivering = true;
  try {
    handler();
  } catch (...) {
    if (*alive) FDelivering = false;
    throw;
  }
  // The handler may have freed this notifier.
  if (*alive) FDelivering = false;
}

// --- TbsCustomShellChangeNotifier -----------------------------------------------------

TbsCustomShellChangeNotifier::TbsCustomShellChangeNotifier(rtl::TComponent* AOwner)
    : TChangeNotifierBase(AOwner) {
  StartThread();
}

TbsCustomShellChangeNotifier::~TbsCustomShellChangeNotifier() = default;

void TbsCustomShellChangeNotifier::SetNotifyFilters(TNotifyFilters Value) {
  FFilters = Value;
  UpdateThreadOptions();
}

void TbsCustomShellChangeNotifier::SetWatchSubTree(bool Value) {
  FWatchSubTree = Value;
  UpdateThreadOptions();
}

void TbsCustomShellChangeNotifier::SetRoot(const TRoot& Value) {
  if (Value == FRoot) return;
  FRoot = Value;
  UpdateThreadOptions();
}

std::unique_ptr<TChangeWorker> TbsCustomShellChangeNotifier::MakeWorker(rtl::TThreadMethod Deliver) {
  auto t = std::make_unique<TbsShellChangeThread>(std::move(Deliver));
  t->SetDirectoryOptions(FRoot, FWatchSubTree, NotifyFiltersToFlags(FFilters));
  return t;
}

void TbsCustomShellChangeNotifier::UpdateThreadOptions() {
  TChangeWorker* w = const_cast<TChangeWorker*>(Worker());
  if (!w) return;
  if (w->Finished()) {
    // The worker ended on a failed wait; a new one takes the new options.
    StopThread();
    StartThread();
    return;
  }
  static_cast<TbsShellChangeThread*>(w)->SetDirectoryOptions(FRoot, FWatchSubTree,
                                                             NotifyFiltersToFlags(FFilters));
}

// --- TbsShellChangeThread ------------------------------------------------------------

namespace {

std::uint32_t InotifyMask(std::uint32_t flags, bool subTree) {
  std::uint32_t m = IN_DELETE_SELF | IN_MOVE_SELF;
  if (flags & (FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME))
    m |= IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
  if (flags & (FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SECURITY)) m |= IN_ATTRIB;
  if (flags & FILE_NOTIFY_CHANGE_SIZE) m |= IN_MODIFY;
  if (flags & FILE_NOTIFY_CHANGE_LAST_WRITE) m |= IN_MODIFY | IN_CLOSE_WRITE;
  if (subTree) m |= IN_CREATE | IN_MOVED_TO;  // new folders get watches of their own
  return m;
}

bool Relevant(const inotify_event& e, std::uint32_t flags, bool isRoot) {
  if (e.mask & IN_Q_OVERFLOW) return true;
  if (e.mask & (IN_DELETE_SELF | IN_MOVE_SELF)) return isRoot;
  const bool dir = e.mask & IN_ISDIR;
  if (e.mask & (IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO))
    return flags & (dir ? FILE_NOTIFY_CHANGE_DIR_NAME : FILE_NOTIFY_CHANGE_FILE_NAME);
  if (e.mask & IN_ATTRIB) return flags & (FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SECURITY);
  if (e.mask & IN_MODIFY) return flags & (FILE_NOTIFY_CHANGE_SIZE | FILE_NOTIFY_CHANGE_LAST_WRITE);
  if (e.mask & IN_CLOSE_WRITE) return flags & FILE_NOTIFY_CHANGE_LAST_WRITE;
  return false;
}

// The watches of one directory tree on one inotify instance.
class TWatchSet {
 public:
  TWatchSet(const std::string& root, bool subTree, std::uint32_t flags)
      : subTree_(subTree), flags_(flags), mask_(InotifyMask(flags, subTree)) {
    fd_ = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (fd_ >= 0 && !root.empty()) Add(root, true);
  }
  ~TWatchSet() {
    if (fd_ >= 0) ::close(fd_);
  }
  // The descriptor to wait on; -1 when nothing could be watched.
  int Fd() const { return watches_.empty() ? -1 : fd_; }
  int Count() const { return static_cast<int>(watches_.size()); }

  // Reads what came in; true when any of it is a change asked for.
  bool Read() {
    bool relevant = false;
    alignas(inotify_event) char buf[16384];
    for (;;) {
      const ssize_t n = ::read(fd_, buf, sizeof buf);
      if (n <= 0) break;
      for (ssize_t at = 0; at < n;) {
        const auto* e = reinterpret_cast<const inotify_event*>(buf + at);
        at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
        auto w = watches_.find(e->wd);
        const bool isRoot = e->wd == rootWd_;
        if (Relevant(*e, flags_, isRoot)) relevant = true;
        if (e->mask & IN_IGNORED) {
          if (w != watches_.end()) watches_.erase(w);
          continue;
        }
        if (subTree_ && (e->mask & IN_ISDIR) && (e->mask & (IN_CREATE | IN_MOVED_TO)) && e->len &&
            w != watches_.end())
          Add(w->second + "/" + e->name, false);
      }
    }
    // A folder deleted with its watched folder drains as IN_IGNORED; the
    // root's own watch going leaves nothing to wait on.
    return relevant;
  }

 private:
  void Add(const std::string& path, bool isRoot) {
    // Links below the root are never followed, so a link loop ends.
    const std::uint32_t mask = mask_ | IN_ONLYDIR | (isRoot ? 0 : IN_DONT_FOLLOW);
    const int wd = ::inotify_add_watch(fd_, path.c_str(), mask);
    if (wd < 0) return;
    if (isRoot) rootWd_ = wd;
    // The same folder reached twice (a bind mount inside itself, or a
    // watched folder moved within the tree) keeps its watch under its latest
    // path and is not walked again.
    if (auto [it, added] = watches_.emplace(wd, path); !added) {
      it->second = path;
      return;
    }
    if (!subTree_) return;
    DIR* d = ::opendir(path.c_str());
    if (!d) return;
    std::vector<std::string> subdirs;
    while (dirent* e = ::readdir(d)) {
      const std::string name = e->d_name;
      if (name == "." || name == "..") continue;
      bool dir = e->d_type == DT_DIR;
      if (e->d_type == DT_UNKNOWN) {
        struct stat st;
        dir = ::fstatat(::dirfd(d), e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode);
      }
      if (dir) subdirs.push_back(path + "/" + name);
    }
    ::closedir(d);
    for (const std::string& s : subdirs) Add(s, false);
  }

  int fd_ = -1;
  int rootWd_ = -1;
  bool subTree_;
  std::uint32_t flags_;
  std::uint32_t mask_;
  std::unordered_map<int, std::string> watches_;
};

}  // namespace

TbsShellChangeThread::~TbsShellChangeThread() {
  if (Started() && !Finished() && !FreeOnTerminate()) {
    Stop();
    WaitFor();
  }
}

void TbsShellChangeThread::SetDirectoryOptions(const String& Directory, bool WatchSubTree,
                                               std::uint32_t NotifyOptionFlags) {
  {
    std::lock_guard lock(ShellChangeLock());
    FDirectory = rtl::StringToFileName(Directory);
    FWatchSubTree = WatchSubTree;
    FNotifyOptionFlags = NotifyOptionFlags;
    FWaitChanged = true;
  }
  Wake();
}

void TbsShellChangeThread::Execute() {
  std::unique_ptr<TWatchSet> watches;
  while (!Terminated()) {
    {
      std::lock_guard lock(ShellChangeLock());
      if (FWaitChanged) {
        watches = std::make_unique<TWatchSet>(FDirectory, FWatchSubTree, FNotifyOptionFlags);
        FWaitChanged = false;
        WatchesMade(watches->Count());
      }
    }
    bool readable;
    // A folder that cannot be watched leaves only the wake-up to wait for.
    if (!Wait(watches ? watches->Fd() : -1, POLLIN, readable)) break;
    if (Terminated()) break;
    if (readable) {
      const bool changed = watches->Read();
      WatchCountChanged(watches->Count());
      if (changed) DeliverChange();
    }
  }
}

// --- TMountChangeNotifier -----------------------------------------------------------

namespace {

class TMountWorker final : public TChangeWorker {
 public:
  using TChangeWorker::TChangeWorker;
  ~TMountWorker() override {
    if (Started() && !Finished() && !FreeOnTerminate()) {
      Stop();
      WaitFor();
    }
  }

 protected:
  void Execute() override {
    // The kernel marks the mount table with POLLPRI (and POLLERR) when it changes.
    const int fd = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    std::vector<std::string> known = ReadMountPoints();
    WatchesMade(fd >= 0 ? 1 : 0);
    while (!Terminated()) {
      bool readable;
      if (!Wait(fd, POLLPRI, readable)) break;
      if (Terminated()) break;
      if (!readable) continue;
      // Reading the table again re-arms the descriptor.
      char buf[4096];
      ::lseek(fd, 0, SEEK_SET);
      while (::read(fd, buf, sizeof buf) > 0) {
      }
      std::vector<std::string> now = ReadMountPoints();
      if (now != known) {
        known = std::move(now);
        DeliverChange();
      }
    }
    if (fd >= 0) ::close(fd);
  }
};

}  // namespace

TMountChangeNotifier::TMountChangeNotifier(rtl::TComponent* AOwner) : TChangeNotifierBase(AOwner) {}

TMountChangeNotifier::~TMountChangeNotifier() = default;

std::unique_ptr<TChangeWorker> TMountChangeNotifier::MakeWorker(rtl::TThreadMethod Deliver) {
  return std::make_unique<TMountWorker>(std::move(Deliver));
}

}  // namespace shell
