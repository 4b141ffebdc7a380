#include "platform/shell/Trash.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>

#include "platform/shell/ShellNamespace.h"
#include "platform/shell/SystemFolders.h"

namespace shell {

namespace {

std::string ParentOf(const std::string& Path) {
  const auto p = Path.rfind('/');
  if (p == std::string::npos) return ".";
  return p == 0 ? std::string("/") : Path.substr(0, p);
}

// The absolute path of an item without following its last component (a
// link is trashed as the link).
std::string AbsoluteItemPath(std::string Path) {
  while (Path.size() > 1 && Path.back() == '/') Path.pop_back();
  if (Path.empty()) return Path;
  const auto slash = Path.rfind('/');
  const std::string name = slash == std::string::npos ? Path : Path.substr(slash + 1);
  const std::string parent = slash == std::string::npos ? std::string(".") : ParentOf(Path);
  char buf[PATH_MAX];
  if (!::realpath(parent.c_str(), buf)) return std::string();
  return JoinPath(buf, name);
}

// The device of the nearest part of Path that exists.
bool DeviceOfNearest(std::string Path, dev_t& Dev) {
  for (;;) {
    struct stat st;
    if (::stat(Path.c_str(), &st) == 0) {
      Dev = st.st_dev;
      return true;
    }
    if (Path == "/" || Path.empty()) return false;
    Path = ParentOf(Path);
  }
}

// The top directory of the mount that holds Path (an existing absolute path).
std::string TopDirOf(const std::string& Path) {
  struct stat st;
  if (::lstat(Path.c_str(), &st) != 0) return std::string();
  std::string dir = Path;
  const dev_t dev = st.st_dev;
  while (dir != "/") {
    const std::string up = ParentOf(dir);
    struct stat ps;
    if (::stat(up.c_str(), &ps) != 0 || ps.st_dev != dev) break;
    dir = up;
  }
  return dir;
}

int MakeDir(const std::string& Path, mode_t Mode) {
  if (::mkdir(Path.c_str(), Mode) == 0) return 0;
  if (errno != EEXIST) return errno;
  struct stat st;
  if (::stat(Path.c_str(), &st) != 0) return errno;
  return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
}

int MakeDirs(const std::string& Path, mode_t Mode) {
  if (Path.empty() || Path == "/") return 0;
  struct stat st;
  if (::stat(Path.c_str(), &st) == 0) return S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
  if (int r = MakeDirs(ParentOf(Path), 0700)) return r;
  return MakeDir(Path, Mode);
}

bool WriteAll(int Fd, const std::string& Text) {
  std::size_t done = 0;
  while (done < Text.size()) {
    const ssize_t n = ::write(Fd, Text.data() + done, Text.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

std::string DeletionDate() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  ::localtime_r(&now, &tm);
  char buf[32];
  std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S", &tm);
  return buf;
}

// Names tried for an item: "clip.mp4", "clip.2.mp4", "clip.3.mp4" ...
std::string CandidateName(const std::string& Base, int N) {
  if (N == 1) return Base;
  const auto dot = Base.rfind('.');
  const std::string n = "." + std::to_string(N);
  if (dot == std::string::npos || dot == 0) return Base + n;
  return Base.substr(0, dot) + n + Base.substr(dot);
}

}  // namespace

std::string EscapeTrashPath(const std::string& Path) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : Path) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                       c == '/' || c == '-' || c == '_' || c == '.' || c == '!' || c == '~' || c == '*' ||
                       c == '\'' || c == '(' || c == ')';
    if (plain) {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back('%');
      out.push_back(hex[c >> 4]);
      out.push_back(hex[c & 15]);
    }
  }
  return out;
}

std::string HomeTrashDirectory() {
  const char* data = ::getenv("XDG_DATA_HOME");
  std::string base = data && data[0] == '/' ? std::string(data) : JoinPath(HomeFolder(), ".local/share");
  return JoinPath(base, "Trash");
}

std::string TrashDirectoryFor(const std::string& Path) {
  const std::string item = AbsoluteItemPath(Path);
  struct stat st;
  if (item.empty() || ::lstat(item.c_str(), &st) != 0) return std::string();
  const std::string home = HomeTrashDirectory();
  dev_t homeDev;
  if (DeviceOfNearest(home, homeDev) && homeDev == st.st_dev) return home;
  const std::string top = TopDirOf(item);
  if (top.empty()) return std::string();
  const std::string uid = std::to_string(::getuid());
  // An administrator's shared .Trash counts only when it is a real, sticky
  // folder (not a link someone planted).
  const std::string shared = JoinPath(top, ".Trash");
  struct stat ss;
  if (::lstat(shared.c_str(), &ss) == 0 && S_ISDIR(ss.st_mode) && (ss.st_mode & S_ISVTX))
    return JoinPath(shared, uid);
  return JoinPath(top, ".Trash-" + uid);
}

int MoveToTrash(const std::string& Path, TTrashedItem* Item) {
  const std::string item = AbsoluteItemPath(Path);
  if (item.empty() || item == "/") return EINVAL;
  struct stat st;
  if (::lstat(item.c_str(), &st) != 0) return errno;
  const std::string trash = TrashDirectoryFor(item);
  if (trash.empty()) return EXDEV;
  // Trashing the trash, or a folder holding it, would lose it.
  if (trash == item || trash.compare(0, item.size() + 1, item + "/") == 0) return EINVAL;
  if (int r = MakeDirs(trash, 0700)) return r;
  const std::string files = JoinPath(trash, "files"), info = JoinPath(trash, "info");
  if (int r = MakeDir(files, 0700)) return r;
  if (int r = MakeDir(info, 0700)) return r;
  // A trash on another mount would need a copy, which could stop half-way.
  struct stat fs;
  if (::stat(files.c_str(), &fs) != 0) return errno;
  if (fs.st_dev != st.st_dev) return EXDEV;

  const bool home = trash == HomeTrashDirectory();
  std::string recorded = item;
  if (!home) {
    const std::string top = TopDirOf(item);
    if (top != "/" && item.compare(0, top.size() + 1, top + "/") == 0) recorded = item.substr(top.size() + 1);
  }
  const std::string text =
      "[Trash Info]\nPath=" + EscapeTrashPath(recorded) + "\nDeletionDate=" + DeletionDate() + "\n";
  const std::string base = item.substr(item.rfind('/') + 1);
  for (int n = 1; n < 100000; ++n) {
    const std::string name = CandidateName(base, n);
    const std::string infoPath = JoinPath(info, name + ".trashinfo");
    // The info file is made first and exclusively: it reserves the name
    // against another program trashing at the same time.
    const int fd = ::open(infoPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return errno;
    }
    const std::string target = JoinPath(files, name);
    struct stat ts;
    if (::lstat(target.c_str(), &ts) == 0) {  // a leftover without its info file
      ::close(fd);
      ::unlink(infoPath.c_str());
      continue;
    }
    const bool written = WriteAll(fd, text);
    const int writeError = errno;
    ::close(fd);
    if (!written) {
      ::unlink(infoPath.c_str());
      return writeError ? writeError : EIO;
    }
    if (::rename(item.c_str(), target.c_str()) != 0) {
      const int code = errno;
      ::unlink(infoPath.c_str());
      return code;
    }
    if (Item) *Item = {item, target, infoPath};
    return 0;
  }
  return EEXIST;
}

int RestoreFromTrash(const TTrashedItem& Item) {
  struct stat st;
  if (::lstat(Item.Original.c_str(), &st) == 0) return EEXIST;
  if (::rename(Item.Trashed.c_str(), Item.Original.c_str()) != 0) return errno;
  ::unlink(Item.Info.c_str());
  return 0;
}

int MoveAllToTrash(const std::vector<std::string>& Paths, std::string* FailedPath) {
  std::vector<TTrashedItem> done;
  for (const std::string& p : Paths) {
    TTrashedItem item;
    if (int r = MoveToTrash(p, &item)) {
      for (auto it = done.rbegin(); it != done.rend(); ++it) RestoreFromTrash(*it);
      if (FailedPath) *FailedPath = p;
      return r;
    }
    done.push_back(item);
  }
  return 0;
}

}  // namespace shell
