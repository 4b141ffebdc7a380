#include "platform/shell/SystemFolders.h"

#include <dirent.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <mutex>
#include <sstream>
#include <unordered_set>

#include "platform/rtl/FileSys.h"
#include "platform/rtl/Strings.h"
#include "platform/shell/ShellNamespace.h"

namespace shell {

using rtl::FileNameToString;
using rtl::StringToFileName;

std::string JoinPath(const std::string& dir, std::string_view name) {
  std::string r = dir;
  if (r.empty() || r.back() != '/') r.push_back('/');
  r.append(name);
  return r;
}

std::string NormalisePath(const std::string& path) {
  if (path.empty() || path[0] != '/') return std::string();
  std::vector<std::string> parts;
  std::stringstream ss(path);
  std::string part;
  while (std::getline(ss, part, '/')) {
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }
  std::string r;
  for (auto& p : parts) r += "/" + p;
  return r.empty() ? "/" : r;
}

bool IsDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

namespace {

// mountinfo escapes space, tab, newline and backslash as \ooo.
std::string UnescapeOctal(const std::string& s) {
  std::string r;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size() && std::isdigit(static_cast<unsigned char>(s[i + 1])) &&
        std::isdigit(static_cast<unsigned char>(s[i + 2])) && std::isdigit(static_cast<unsigned char>(s[i + 3]))) {
      r.push_back(static_cast<char>((s[i + 1] - '0') * 64 + (s[i + 2] - '0') * 8 + (s[i + 3] - '0')));
      i += 3;
    } else {
      r.push_back(s[i]);
    }
  }
  return r;
}

// udev's by-label names escape unsafe bytes as \xHH.
std::string UnescapeHex(const std::string& s) {
  std::string r;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] == 'x' &&
        std::isxdigit(static_cast<unsigned char>(s[i + 2])) && std::isxdigit(static_cast<unsigned char>(s[i + 3]))) {
      r.push_back(static_cast<char>(std::stoi(s.substr(i + 2, 2), nullptr, 16)));
      i += 3;
    } else {
      r.push_back(s[i]);
    }
  }
  return r;
}


std::string RealPath(const std::string& path) {
  char buf[PATH_MAX];
  return ::realpath(path.c_str(), buf) ? std::string(buf) : std::string();
}

// --- Mounts ------------------------------------------------------------------

std::mutex g_mountFileMutex;
std::string g_mountFile;

std::string MountInfoFile() {
  std::lock_guard lock(g_mountFileMutex);
  return g_mountFile.empty() ? "/proc/self/mountinfo" : g_mountFile;
}

const std::unordered_set<std::string>& PseudoFileSystems() {
  static const std::unordered_set<std::string> set = {
      "proc", "sysfs", "devtmpfs", "devpts", "tmpfs", "ramfs", "cgroup", "cgroup2", "debugfs", "tracefs",
      "securityfs", "pstore", "bpf", "autofs", "mqueue", "hugetlbfs", "configfs", "fusectl", "binfmt_misc",
      "efivarfs", "rpc_pipefs", "nsfs", "overlay", "squashfs", "nfsd", "selinuxfs", "fuse.gvfsd-fuse",
      "fuse.portal", "fuse.lxcfs", "devfs", "shm", "none"};
  return set;
}

bool UnderSystemTree(const std::string& mp) {
  auto under = [&](std::string_view root) {
    return mp == root || (mp.size() > root.size() && mp.compare(0, root.size(), root) == 0 && mp[root.size()] == '/');
  };
  if (under("/run/media")) return false;
  return under("/proc") || under("/sys") || under("/dev") || under("/run") || under("/boot/efi");
}

struct TRawMount {
  std::string point, fs, source;
};

std::vector<TRawMount> ReadRawMounts() {
  std::vector<TRawMount> r;
  std::ifstream in(MountInfoFile());
  std::string line;
  while (std::getline(in, line)) {
    // id parent major:minor root mount-point options [optional...] - fstype source super-options
    std::istringstream ls(line);
    std::vector<std::string> f;
    std::string w;
    while (ls >> w) f.push_back(w);
    auto dash = std::find(f.begin(), f.end(), "-");
    if (f.size() < 5 || dash == f.end() || dash + 1 == f.end()) continue;
    TRawMount m;
    m.point = UnescapeOctal(f[4]);
    m.fs = dash[1];
    m.source = dash + 2 < f.end() ? UnescapeOctal(dash[2]) : std::string();
    r.push_back(std::move(m));
  }
  return r;
}

bool RemovableDevice(const std::string& source, const std::string& fs) {
  if (fs == "iso9660" || fs == "udf") return true;
  if (source.rfind("/dev/", 0) != 0) return false;
  std::string dev = RealPath(source);
  if (dev.empty()) dev = source;
  const std::string name = dev.substr(dev.rfind('/') + 1);
  if (name.rfind("sr", 0) == 0) return true;
  const std::string sys = RealPath("/sys/class/block/" + name);
  if (sys.empty()) return false;
  for (const std::string& dir : {sys, sys.substr(0, sys.rfind('/'))}) {
    std::ifstream f(dir + "/removable");
    char c = 0;
    if (f >> c) return c == '1';
  }
  return false;
}

String VolumeLabel(const std::string& source) {
  const std::string dev = RealPath(source);
  if (dev.empty()) return String();
  DIR* d = ::opendir("/dev/disk/by-label");
  if (!d) return String();
  String label;
  while (dirent* e = ::readdir(d)) {
    if (e->d_name[0] == '.') continue;
    if (RealPath(std::string("/dev/disk/by-label/") + e->d_name) == dev) {
      label = FileNameToString(UnescapeHex(e->d_name));
      break;
    }
  }
  ::closedir(d);
  return label;
}

}  // namespace

std::string ConfigFolder() {
  const char* x = std::getenv("XDG_CONFIG_HOME");
  return (x && *x == '/') ? std::string(x) : JoinPath(HomeFolder(), ".config");
}

// --- Mounts and user folders ------------------------------------------------------

void SetMountInfoFileForTests(const std::string& Path) {
  std::lock_guard lock(g_mountFileMutex);
  g_mountFile = Path;
}

std::vector<std::string> ReadMountPoints() {
  std::vector<std::string> r;
  for (TRawMount& m : ReadRawMounts()) r.push_back(std::move(m.point));
  return r;
}

std::vector<TMountInfo> ReadMounts(bool Details) {
  std::vector<TMountInfo> r;
  TMountInfo root;
  root.MountPoint = "/";
  for (const TRawMount& m : ReadRawMounts()) {
    if (m.point == "/") {
      root.FileSystem = m.fs;
      root.Source = m.source;
      continue;
    }
    if (m.point.empty() || m.point[0] != '/' || PseudoFileSystems().count(m.fs) || UnderSystemTree(m.point))
      continue;
    if (!IsDirectory(m.point)) continue;  // a file bound over another file
    TMountInfo info;
    info.MountPoint = m.point;
    info.FileSystem = m.fs;
    info.Source = m.source;
    // A later line mounted over an earlier one at the same place.
    r.erase(std::remove_if(r.begin(), r.end(), [&](const TMountInfo& o) { return o.MountPoint == m.point; }),
            r.end());
    r.push_back(std::move(info));
  }
  std::sort(r.begin(), r.end(), [](const TMountInfo& a, const TMountInfo& b) { return a.MountPoint < b.MountPoint; });
  r.insert(r.begin(), std::move(root));
  if (!Details) return r;
  for (TMountInfo& m : r) {
    m.Removable = RemovableDevice(m.Source, m.FileSystem) || m.MountPoint.rfind("/media/", 0) == 0 ||
                  m.MountPoint.rfind("/run/media/", 0) == 0;
    if (m.Source.rfind("/dev/", 0) == 0) m.Label = VolumeLabel(m.Source);
  }
  return r;
}

std::string HomeFolder() {
  std::string home = StringToFileName(rtl::GetHomePath());
  if (home.size() > 1 && home.back() == '/') home.pop_back();
  return home.empty() ? "/" : home;
}

std::vector<TUserFolder> UserFolders() {
  static const char* const kKeys[] = {"DESKTOP", "DOCUMENTS", "DOWNLOAD", "MUSIC",
                                      "PICTURES", "VIDEOS", "TEMPLATES", "PUBLICSHARE"};
  static const char* const kDefaults[] = {"Desktop", "Documents", "Downloads", "Music", "Pictures", "Videos"};
  const std::string home = HomeFolder();
  std::vector<std::pair<std::string, std::string>> found;
  std::ifstream in(JoinPath(ConfigFolder(), "user-dirs.dirs"));
  if (in) {
    std::string line;
    while (std::getline(in, line)) {
      // XDG_VIDEOS_DIR="$HOME/Videos"
      if (line.rfind("XDG_", 0) != 0) continue;
      const size_t eq = line.find('=');
      if (eq == std::string::npos || line.size() < eq + 3 || line[eq + 1] != '"' || line.back() != '"') continue;
      std::string key = line.substr(4, eq - 4);
      if (key.size() <= 4 || key.compare(key.size() - 4, 4, "_DIR") != 0) continue;
      key.resize(key.size() - 4);
      std::string value = line.substr(eq + 2, line.size() - eq - 3);
      if (value.rfind("$HOME", 0) == 0) value = home + value.substr(5);
      found.emplace_back(key, NormalisePath(value));
    }
  } else {
    for (int i = 0; i < 6; ++i) found.emplace_back(kKeys[i], JoinPath(home, kDefaults[i]));
  }
  std::vector<TUserFolder> r;
  for (const char* key : kKeys) {
    for (auto& [k, path] : found) {
      if (k != key || path.empty() || path == home || !IsDirectory(path)) continue;
      if (std::any_of(r.begin(), r.end(), [&](const TUserFolder& u) { return u.Path == path; })) continue;
      r.push_back({k, path});
    }
  }
  return r;
}

}  // namespace shell
