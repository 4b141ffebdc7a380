#include "platform/shell/ShellNamespace.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <mutex>
#include <sstream>
#include <unordered_set>

#include "platform/rtl/FileSys.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/SysUtils.h"
#include "platform/shell/SystemFolders.h"
#include "platform/shell/SystemServices.h"

namespace shell {

using rtl::FileNameToString;
using rtl::StringToFileName;

namespace {

// Names of our own folders.
const char16_t kDesktopName[] = u"桌面";
const char16_t kComputerName[] = u"计算机";
const char16_t kHomeName[] = u"主文件夹";
const char16_t kRootName[] = u"文件系统";
constexpr std::string_view kComputerId = "computer";
constexpr std::uint8_t ifKnown = 0x80;  // the flag byte holds what enumeration saw

// --- Names -------------------------------------------------------------------

bool ValidName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
         name.find('\0') == std::string_view::npos;
}

char32_t FoldCase(char32_t c) {
  if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
  if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB) || (c >= 0x410 && c <= 0x42F))
    return c + 32;
  if (c >= 0x400 && c <= 0x40F) return c + 80;
  if (c >= 0xFF21 && c <= 0xFF3A) return c + 32;  // full-width Latin
  if (c == 0x178) return 0xFF;                     // Ÿ
  if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 && c != 0x17F) {
    // Latin Extended-A pairs: upper even below 0x138, odd from 0x139 to 0x148, even after.
    const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    if (oddUpper ? (c & 1) : !(c & 1)) return c + 1;
  }
  return c;
}

// Next code point of UTF-8 text; a byte outside a well-formed sequence
// stands for itself (as its escape, U+DC80..U+DCFF).
char32_t NextCodePoint(std::string_view s, size_t& i) {
  const unsigned char c = static_cast<unsigned char>(s[i]);
  if (c < 0x80) {
    ++i;
    return c;
  }
  int extra = (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
  if (extra > 0 && i + extra < s.size()) {
    char32_t cp = c & (0x3F >> extra);
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      const unsigned char cc = static_cast<unsigned char>(s[i + k]);
      if ((cc & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      cp = (cp << 6) | (cc & 0x3F);
    }
    static const char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (ok && cp >= kMin[extra] && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF)) {
      i += extra + 1;
      return cp;
    }
  }
  ++i;
  return 0xDC00 + c;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Names without regard to case, runs of digits by their value ("a2" before
// "a10"); names equal that way are ordered by their bytes, so the order is total.
int CompareNames(std::string_view a, std::string_view b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (IsDigit(a[i]) && IsDigit(b[j])) {
      size_t si = i, sj = j;
      while (si < a.size() && a[si] == '0') ++si;
      while (sj < b.size() && b[sj] == '0') ++sj;
      size_t ei = si, ej = sj;
      while (ei < a.size() && IsDigit(a[ei])) ++ei;
      while (ej < b.size() && IsDigit(b[ej])) ++ej;
      if (ei - si != ej - sj) return ei - si < ej - sj ? -1 : 1;
      if (int c = a.substr(si, ei - si).compare(b.substr(sj, ej - sj))) return c < 0 ? -1 : 1;
      i = ei;
      j = ej;
      continue;
    }
    const char32_t ca = FoldCase(NextCodePoint(a, i)), cb = FoldCase(NextCodePoint(b, j));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  const int c = a.compare(b);
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

String LastName(const std::string& path) {
  if (path == "/") return kRootName;
  return FileNameToString(path.substr(path.rfind('/') + 1));
}

// --- Locations -----------------------------------------------------------------

// Where a list leads.
struct TLocation {
  enum Type { Invalid, Desktop, Computer, File } type = Desktop;
  std::string path;        // File: the absolute path
  std::string parentPath;  // File reached by a name: the folder holding it
  TItemView last;          // the item that led here (Valid false for the desktop)
  bool mountOfComputer = false;  // an 'M' item listed under the computer
};

void Step(TLocation& loc, const TItemView& it) {
  if (!it.Valid || loc.type == TLocation::Invalid) {
    loc.type = TLocation::Invalid;
    return;
  }
  switch (it.Kind) {
    case TItemKind::Virtual:
      loc.type = (loc.type == TLocation::Desktop && it.Bytes == kComputerId) ? TLocation::Computer
                                                                              : TLocation::Invalid;
      break;
    case TItemKind::Mount:
      if ((loc.type == TLocation::Desktop || loc.type == TLocation::Computer) && !it.Bytes.empty() &&
          it.Bytes[0] == '/') {
        loc.mountOfComputer = loc.type == TLocation::Computer;
        loc.type = TLocation::File;
        loc.path = std::string(it.Bytes);
        loc.parentPath.clear();
      } else {
        loc.type = TLocation::Invalid;
      }
      break;
    case TItemKind::Name:
      if (loc.type == TLocation::File && ValidName(it.Bytes)) {
        loc.parentPath = loc.path;
        loc.path = JoinPath(loc.path, it.Bytes);
        loc.mountOfComputer = false;
      } else {
        loc.type = TLocation::Invalid;
      }
      break;
    default:
      loc.type = TLocation::Invalid;
  }
  loc.last = it;
}

void Walk(TLocation& loc, PCItemIDList list) {
  if (!list) {
    loc.type = TLocation::Invalid;
    return;
  }
  for (PCItemIDList p = list; !ItemListAtEnd(p) && loc.type != TLocation::Invalid; p = ItemListNextId(p))
    Step(loc, ReadItem(p));
}

TLocation Locate(PCItemIDList absolute) {
  TLocation loc;
  Walk(loc, absolute);
  return loc;
}

// Is the item a folder, from the enumeration's record when there is one.
bool LocationIsFolder(const TLocation& loc) {
  if (loc.type == TLocation::Desktop || loc.type == TLocation::Computer) return true;
  if (loc.type != TLocation::File) return false;
  if (loc.last.Kind == TItemKind::Name && (loc.last.Flags & ifKnown)) return loc.last.Flags & ifFolder;
  return IsDirectory(loc.path);
}

std::uint8_t FlagsOfPath(const std::string& path) {
  std::uint8_t flags = ifKnown;
  struct stat st;
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) flags |= ifLink;
  if (IsDirectory(path)) flags |= ifFolder;
  return flags;
}

bool HasSubFolder(const std::string& path) {
  DIR* d = ::opendir(path.c_str());
  if (!d) return false;
  bool found = false;
  while (dirent* e = ::readdir(d)) {
    if (!ValidName(e->d_name)) continue;
    if (e->d_type == DT_DIR ||
        ((e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) && IsDirectory(JoinPath(path, e->d_name)))) {
      found = true;
      break;
    }
  }
  ::closedir(d);
  return found;
}

bool OnRemovableMount(const std::string& path) {
  for (const TMountInfo& m : ReadMounts())
    if (m.MountPoint == path) return m.Removable;
  return false;
}

std::uint32_t AttributesOf(const TLocation& loc, std::uint32_t request) {
  std::uint32_t a = 0;
  switch (loc.type) {
    case TLocation::Invalid:
      return 0;
    case TLocation::Desktop:
    case TLocation::Computer:
      a = SFGAO_FOLDER | SFGAO_FILESYSANCESTOR | SFGAO_HASSUBFOLDER;
      return a & request;
    case TLocation::File:
      break;
  }
  struct stat lst;
  if (::lstat(loc.path.c_str(), &lst) != 0) return 0;  // gone: nothing holds
  struct stat st;
  const bool followed = ::stat(loc.path.c_str(), &st) == 0;
  const bool folder = followed && S_ISDIR(st.st_mode);
  a |= SFGAO_FILESYSTEM | SFGAO_CANCOPY | SFGAO_CANLINK;
  if (S_ISLNK(lst.st_mode)) a |= SFGAO_LINK;
  if (folder) a |= SFGAO_FOLDER | SFGAO_FILESYSANCESTOR;
  if (::access(loc.path.c_str(), W_OK) != 0) {
    a |= SFGAO_READONLY;
  } else if (folder) {
    a |= SFGAO_DROPTARGET;
  }
  if (loc.last.Kind == TItemKind::Name) {
    if (loc.last.Bytes[0] == '.') a |= SFGAO_GHOSTED | SFGAO_HIDDEN;
    if (::access(loc.parentPath.c_str(), W_OK) == 0) a |= SFGAO_CANRENAME | SFGAO_CANDELETE | SFGAO_CANMOVE;
  } else if ((request & SFGAO_REMOVABLE) && OnRemovableMount(loc.path)) {
    a |= SFGAO_REMOVABLE;
  }
  if (folder && (request & SFGAO_HASSUBFOLDER) && HasSubFolder(loc.path)) a |= SFGAO_HASSUBFOLDER;
  return a & request;
}

String DisplayNameOf(const TLocation& loc, std::uint32_t flags) {
  switch (loc.type) {
    case TLocation::Invalid:
      return String();
    case TLocation::Desktop:
      return (flags & SHGDN_FORPARSING) ? FileNameToString(HomeFolder()) : String(kDesktopName);
    case TLocation::Computer:
      return (flags & SHGDN_FORPARSING) ? String(ComputerParsingName) : String(kComputerName);
    case TLocation::File:
      break;
  }
  if ((flags & SHGDN_FORPARSING) && !((flags & SHGDN_INFOLDER) && loc.last.Kind == TItemKind::Name))
    return FileNameToString(loc.path);
  if (loc.last.Kind == TItemKind::Name) return FileNameToString(loc.last.Bytes);
  if (loc.path == "/") return kRootName;
  if (!loc.mountOfComputer && loc.path == HomeFolder()) return kHomeName;
  if (loc.mountOfComputer) {
    for (const TMountInfo& m : ReadMounts())
      if (m.MountPoint == loc.path && !m.Label.empty()) return m.Label;
  }
  return LastName(loc.path);
}

// Order of the desktop's own items: home, user folders, computer, "/".
int DesktopRank(const TItemView& it) {
  if (it.Kind == TItemKind::Virtual) return 2;
  if (it.Kind != TItemKind::Mount) return 4;
  if (it.Bytes == "/") return 3;
  if (it.Bytes == HomeFolder()) return 0;
  return 1;
}

int Sign(int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; }

int CompareItem(const TLocation& ctx, const TItemView& a, const TItemView& b) {
  if (a.Kind == b.Kind && a.Bytes == b.Bytes) return 0;
  if (ctx.type == TLocation::Desktop) {
    if (int r = DesktopRank(a) - DesktopRank(b)) return Sign(r);
  } else if (ctx.type == TLocation::Computer) {
    if ((a.Bytes == "/") != (b.Bytes == "/")) return a.Bytes == "/" ? -1 : 1;
  } else if (ctx.type == TLocation::File && a.Kind == TItemKind::Name && b.Kind == TItemKind::Name) {
    auto isFolder = [&](const TItemView& it) {
      return (it.Flags & ifKnown) ? (it.Flags & ifFolder) != 0 : IsDirectory(JoinPath(ctx.path, it.Bytes));
    };
    const bool fa = isFolder(a), fb = isFolder(b);
    if (fa != fb) return fa ? -1 : 1;
    return CompareNames(a.Bytes, b.Bytes);
  }
  if (a.Kind != b.Kind) return a.Kind < b.Kind ? -1 : 1;
  return Sign(a.Bytes.compare(b.Bytes));
}

bool SameLocation(const TLocation& a, const TLocation& b) {
  if (a.type != b.type || a.type == TLocation::Invalid) return false;
  return a.type != TLocation::File || NormalisePath(a.path) == NormalisePath(b.path);
}

// --- The folder implementation ---------------------------------------------------

class TNamespaceFolder final : public IShellFolder, public std::enable_shared_from_this<TNamespaceFolder> {
 public:
  explicit TNamespaceFolder(PCItemIDList absolute) : id_(ItemListClone(absolute)), loc_(Locate(absolute)) {}

  PCItemIDList AbsoluteID() const override { return id_.get(); }

  TLocation Child(PCItemIDList id) const {
    TLocation loc = loc_;
    Walk(loc, id);
    return loc;
  }

  int EnumObjects(std::uint32_t flags, std::vector<TItemList>& items, std::size_t limit) const override {
    items.clear();
    if (limit == 0) return 0;
    switch (loc_.type) {
      case TLocation::Invalid:
        return ENOENT;
      case TLocation::Desktop:
        if (flags & SHCONTF_FOLDERS) {
          const std::string home = HomeFolder();
          items.emplace_back(MakeItem(TItemKind::Mount, ifKnown | ifFolder, home));
          for (const TUserFolder& u : UserFolders())
            items.emplace_back(MakeItem(TItemKind::Mount, ifKnown | ifFolder, u.Path));
          items.emplace_back(MakeItem(TItemKind::Virtual, ifKnown | ifFolder, kComputerId));
          items.emplace_back(MakeItem(TItemKind::Mount, ifKnown | ifFolder, "/"));
          if (items.size() > limit) items.resize(limit);
        }
        return 0;
      case TLocation::Computer:
        if (flags & SHCONTF_FOLDERS)
          for (const TMountInfo& m : ReadMounts(false))
            if (items.size() < limit) items.emplace_back(MakeItem(TItemKind::Mount, ifKnown | ifFolder, m.MountPoint));
        return 0;
      case TLocation::File:
        break;
    }
    DIR* d = ::opendir(loc_.path.c_str());
    if (!d) return errno;
    const int dfd = ::dirfd(d);
    int error = 0;
    for (;;) {
      errno = 0;
      dirent* e = ::readdir(d);
      if (!e) {
        error = errno;
        break;
      }
      const std::string_view name(e->d_name);
      if (!ValidName(name)) continue;
      if (name[0] == '.' && !(flags & SHCONTF_INCLUDEHIDDEN)) continue;
      std::uint8_t f = ifKnown;
      if (e->d_type == DT_DIR) {
        f |= ifFolder;
      } else if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
        struct stat st;
        if (e->d_type == DT_LNK) f |= ifLink;
        // A link that loops or leads nowhere is listed as a file.
        if (::fstatat(dfd, e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode)) f |= ifFolder;
        if (e->d_type == DT_UNKNOWN && ::fstatat(dfd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISLNK(st.st_mode))
          f |= ifLink;
      }
      if (!(flags & ((f & ifFolder) ? SHCONTF_FOLDERS : SHCONTF_NONFOLDERS))) continue;
      if (PItemIDList item = MakeItem(TItemKind::Name, f, name)) items.emplace_back(item);
      if (items.size() >= limit) break;
    }
    ::closedir(d);
    return error;
  }

  PShellFolder BindToObject(PCItemIDList id) const override {
    const TLocation loc = Child(id);
    if (loc.type == TLocation::Invalid || !LocationIsFolder(loc)) return nullptr;
    TItemList abs(ItemListJoin(id_.get(), id));
    if (!abs) return nullptr;
    return std::make_shared<TNamespaceFolder>(abs.get());
  }

  int CompareIDs(int column, PCItemIDList a, PCItemIDList b) const override {
    if (!a || !b) return a == b ? 0 : a ? 1 : -1;
    const bool single = ItemListCount(a) == 1 && ItemListCount(b) == 1 &&
                        ReadItem(a).Kind == TItemKind::Name && ReadItem(b).Kind == TItemKind::Name;
    if (!single && SameLocation(Child(a), Child(b))) return 0;
    TLocation ctx = loc_;
    PCItemIDList pa = a, pb = b;
    for (;;) {
      const bool ea = ItemListAtEnd(pa), eb = ItemListAtEnd(pb);
      if (ea || eb) return ea && eb ? 0 : ea ? -1 : 1;
      const TItemView ia = ReadItem(pa), ib = ReadItem(pb);
      if (int r = CompareItem(ctx, ia, ib)) return r;
      Step(ctx, ia);
      pa = ItemListNextId(pa);
      pb = ItemListNextId(pb);
    }
  }

  std::uint32_t GetAttributesOf(PCItemIDList id, std::uint32_t request) const override {
    const TLocation loc = Child(id);
    // The folder test alone is answered from what enumeration saw.
    if (request == SFGAO_FOLDER && loc.type == TLocation::File && loc.last.Kind == TItemKind::Name &&
        (loc.last.Flags & ifKnown))
      return (loc.last.Flags & ifFolder) ? SFGAO_FOLDER : 0;
    return AttributesOf(loc, request);
  }

  String GetDisplayNameOf(PCItemIDList id, std::uint32_t flags) const override {
    return DisplayNameOf(Child(id), flags);
  }

  int SetNameOf(PCItemIDList id, const String& newName, TItemList& newId) const override {
    const TLocation loc = Child(id);
    if (loc.type != TLocation::File || loc.last.Kind != TItemKind::Name) return EINVAL;
    const std::string name = StringToFileName(newName);
    if (!ValidName(name)) return EINVAL;
    const std::string target = JoinPath(loc.parentPath, name);
    if (target != loc.path) {
      // Never replace another file of that name.
      if (::renameat2(AT_FDCWD, loc.path.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0) return errno;
    }
    TItemList renamed(ItemListClone(id));
    ItemListStripLast(renamed.get());
    TItemList last(MakeItem(TItemKind::Name, loc.last.Flags, name));
    if (!renamed || !last) return ENOMEM;
    newId = TItemList(ItemListJoin(renamed.get(), last.get()));
    return 0;
  }

  int ParseDisplayName(const String& name, TItemList& result) const override {
    const std::string path = NormalisePath(StringToFileName(name));
    if (path.empty()) return EINVAL;
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) return errno;
    // Desktop, computer, the longest mount point above the path, then names.
    std::string mount = "/";
    for (const TMountInfo& m : ReadMounts(false)) {
      const std::string& mp = m.MountPoint;
      if (mp.size() > mount.size() && path.compare(0, mp.size(), mp) == 0 &&
          (path.size() == mp.size() || path[mp.size()] == '/'))
        mount = mp;
    }
    TItemList list(MakeItem(TItemKind::Virtual, ifKnown | ifFolder, kComputerId));
    auto append = [&](TItemKind kind, std::string_view bytes, std::uint8_t flags) {
      TItemList item(MakeItem(kind, flags, bytes));
      list = TItemList(item ? ItemListJoin(list.get(), item.get()) : nullptr);
      return static_cast<bool>(list);
    };
    if (!append(TItemKind::Mount, mount, ifKnown | ifFolder)) return ENOMEM;
    std::string at = mount;
    std::stringstream rest(path.substr(mount.size()));
    std::string part;
    while (std::getline(rest, part, '/')) {
      if (part.empty()) continue;
      at = JoinPath(at, part);
      if (!append(TItemKind::Name, part, FlagsOfPath(at))) return ENOMEM;
    }
    result = std::move(list);
    return 0;
  }

 private:
  TItemList id_;
  TLocation loc_;
};

// --- Root folders ---------------------------------------------------------------

const char* const kRootNames[] = {
    "rfDesktop", "rfMyComputer", "rfNetwork", "rfRecycleBin", "rfAppData", "rfCommonDesktopDirectory",
    "rfCommonPrograms", "rfCommonStartMenu", "rfCommonStartup", "rfControlPanel", "rfDesktopDirectory",
    "rfFavorites", "rfFonts", "rfInternet", "rfPersonal", "rfPrinters", "rfPrintHood", "rfPrograms",
    "rfRecent", "rfSendTo", "rfStartMenu", "rfStartup", "rfTemplates"};

std::string UserFolderPath(const char* key) {
  for (const TUserFolder& u : UserFolders())
    if (u.Key == key) return u.Path;
  return std::string();
}

// The folder a root-folder name stands for; empty for those that have none here.
std::string RootFolderPath(int ordinal) {
  const std::string home = HomeFolder();
  switch (ordinal) {
    case rfRecycleBin: return JoinPath(home, ".local/share/Trash/files");
    case rfAppData: return ConfigFolder();
    case rfCommonPrograms:
    case rfCommonStartMenu: return "/usr/share/applications";
    case rfCommonStartup: return "/etc/xdg/autostart";
    case rfDesktopDirectory: return UserFolderPath("DESKTOP");
    case rfFonts: return JoinPath(home, ".local/share/fonts");
    case rfPersonal: return UserFolderPath("DOCUMENTS");
    case rfPrograms:
    case rfStartMenu: return JoinPath(home, ".local/share/applications");
    case rfStartup: return JoinPath(ConfigFolder(), "autostart");
    case rfTemplates: return UserFolderPath("TEMPLATES");
    default: return std::string();
  }
}

int g_initCount = 0;
TbsShellFolder* g_desktop = nullptr;

}  // namespace

// --- Routines -----------------------------------------------------------------------

TShellIconKind IconKindOfFileName(const String& FileName) {
  static const std::unordered_set<std::string> video = {
      "avi", "asf", "asx", "wmv", "avs", "flv", "mkv", "mov", "3gp", "mp4", "mpg", "mpeg", "dat", "ogm",
      "vob", "rm", "rmvb", "ts", "tp", "ifo", "nsv", "swf", "dv", "dif", "m4v", "3g2", "3gpp", "3gp2", "qt",
      "yuv", "h261", "h264", "mjpg", "mjpeg", "xwmv", "dvr-ms", "webm", "m2ts", "mts"};
  static const std::unordered_set<std::string> audio = {
      "mp3", "aac", "wav", "wma", "cda", "flac", "m4a", "mid", "mka", "mp2", "mpa", "mpc", "ape", "ofr",
      "ogg", "ra", "ram", "wv", "tta", "ac3", "dts", "aif", "aiff", "amr", "opus"};
  static const std::unordered_set<std::string> picture = {"bmp", "jpg", "jpeg", "png", "gif", "ico", "emf", "wmf", "tif",
                                                           "tiff", "webp"};
  const size_t dot = FileName.rfind(u'.');
  if (dot == String::npos || FileName.find(u'/', dot) != String::npos) return ikOther;
  std::string ext;
  for (char16_t c : FileName.substr(dot + 1)) {
    if (c >= 0x80) return ikOther;
    ext.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c));
  }
  if (video.count(ext)) return ikVideo;
  if (audio.count(ext)) return ikAudio;
  if (picture.count(ext)) return ikPicture;
  return ikOther;
}

PShellFolder GetDesktopShellFolder() {
  static const PShellFolder desktop = [] {
    TItemList empty(EmptyItemList());
    return std::make_shared<TNamespaceFolder>(empty.get());
  }();
  return desktop;
}

PItemIDList DesktopItemList() { return EmptyItemList(); }

int RootFolderOrdinal(const String& Text) {
  for (int i = 0; i <= rfTemplates; ++i)
    if (rtl::SameText(Text, rtl::S(kRootNames[i]))) return i;
  return -1;
}

String RootFolderName(TRootFolder Root) { return rtl::S(kRootNames[Root]); }

std::uint32_t ObjectTypesToEnumFlags(TShellObjectTypes Types) {
  std::uint32_t f = 0;
  if (Types & Bit(otFolders)) f |= SHCONTF_FOLDERS;
  if (Types & Bit(otNonFolders)) f |= SHCONTF_NONFOLDERS;
  if (Types & Bit(otHidden)) f |= SHCONTF_INCLUDEHIDDEN;
  return f;
}

int ShellImageIndex(PCItemIDList List, bool Large, bool Open) {
  const TLocation loc = Locate(List);
  switch (loc.type) {
    case TLocation::Desktop: return ikDesktop;
    case TLocation::Computer: return ikComputer;
    case TLocation::Invalid: return ikOther;
    case TLocation::File: break;
  }
  if (loc.last.Kind == TItemKind::Mount && (loc.mountOfComputer || loc.path == "/")) return ikDrive;
  if (LocationIsFolder(loc)) return Open ? ikFolderOpen : ikFolder;
  return IconKindOfFileName(FileNameToString(loc.last.Bytes));
}

TbsShellFolderCapabilities ItemCapabilities(const PShellFolder& ParentFolder, PCItemIDList Id) {
  if (!ParentFolder) return 0;
  static const std::pair<std::uint32_t, int> map[] = {
      {SFGAO_CANCOPY, fcCanCopy}, {SFGAO_CANDELETE, fcCanDelete}, {SFGAO_CANLINK, fcCanLink},
      {SFGAO_CANMOVE, fcCanMove}, {SFGAO_CANRENAME, fcCanRename}, {SFGAO_DROPTARGET, fcDropTarget},
      {SFGAO_HASPROPSHEET, fcHasPropSheet}};
  const std::uint32_t a = ParentFolder->GetAttributesOf(Id, 0x177);
  TbsShellFolderCapabilities r = 0;
  for (auto [bit, ord] : map)
    if (a & bit) r |= Bit(ord);
  return r;
}

TbsShellFolderProperties ItemProperties(const PShellFolder& ParentFolder, PCItemIDList Id) {
  if (!ParentFolder) return 0;
  static const std::pair<std::uint32_t, int> map[] = {
      {SFGAO_GHOSTED, fpCut}, {SFGAO_LINK, fpIsLink}, {SFGAO_READONLY, fpReadOnly}, {SFGAO_SHARE, fpShared},
      {SFGAO_FILESYSTEM, fpFileSystem}, {SFGAO_FILESYSANCESTOR, fpFileSystemAncestor},
      {SFGAO_REMOVABLE, fpRemovable}, {SFGAO_VALIDATE, fpValidate}};
  std::uint32_t request = 0;
  for (auto [bit, ord] : map) request |= bit;
  const std::uint32_t a = ParentFolder->GetAttributesOf(Id, request);
  TbsShellFolderProperties r = 0;
  for (auto [bit, ord] : map)
    if (a & bit) r |= Bit(ord);
  return r;
}

bool ItemIsFolder(const PShellFolder& ParentFolder, PCItemIDList Id) {
  return ParentFolder && (ParentFolder->GetAttributesOf(Id, SFGAO_FOLDER) & SFGAO_FOLDER);
}

bool ItemHasSubFolders(const PShellFolder& ParentFolder, PCItemIDList Id) {
  return ParentFolder && (ParentFolder->GetAttributesOf(Id, SFGAO_HASSUBFOLDER) & SFGAO_HASSUBFOLDER);
}

bool FolderHasItems(const PShellFolder& Folder, std::uint32_t Flags) {
  if (!Folder) return false;
  std::vector<TItemList> items;
  return Folder->EnumObjects(Flags, items, 1) == 0 && !items.empty();
}

String ItemDisplayText(const PShellFolder& Folder, PCItemIDList Id, std::uint32_t Flags) {
  if (!Folder) return u"parentfolder = nil";
  String text = Folder->GetDisplayNameOf(Id, Flags);
  if (text.rfind(u"::{", 0) == 0) text = Folder->GetDisplayNameOf(Id, SHGDN_NORMAL);
  return text;
}

PShellFolder BindSubFolder(const PShellFolder& Folder, PCItemIDList Id) {
  if (Folder)
    if (PShellFolder f = Folder->BindToObject(Id)) return f;
  return GetDesktopShellFolder()->BindToObject(Id);
}

bool ItemListsEqual(PCItemIDList A, PCItemIDList B) {
  return GetDesktopShellFolder()->CompareIDs(0, A, B) == 0;
}

// --- Find data ----------------------------------------------------------------------

rtl::Int64 FindDataFileSize(const TFindData& Data) {
  if (Data.Attributes & rtl::faDirectory) return -1;
  return static_cast<rtl::Int64>(Data.Size);
}

rtl::TDateTime FindDataModified(const TFindData& Data) {
  if (Data.Attributes & rtl::faDirectory) return -1.0;
  const std::time_t t = static_cast<std::time_t>(Data.LastWrite);
  std::tm tm{};
  if (!::localtime_r(&t, &tm) || tm.tm_year + 1900 < 1980 || tm.tm_year + 1900 > 2107) return -1.0;
  rtl::TDateTime r;
  // File dates count seconds in steps of two.
  const auto sec = static_cast<rtl::Word>(std::min(tm.tm_sec, 59) / 2 * 2);
  rtl::TDateTime date, time;
  if (!rtl::TryEncodeDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, date) ||
      !rtl::TryEncodeTime(tm.tm_hour, tm.tm_min, sec, 0, time))
    return -1.0;
  r = date + time;
  return r;
}

String FindDataColumnText(const TFindData& Data, int Column) {
  switch (Column) {
    // A folder has no size to show, and its time is its own last write
    // (the -1 that orders folders first is no text for a person).
    case 1: return (Data.Attributes & rtl::faDirectory) ? String() : rtl::IntToStr64(FindDataFileSize(Data));
    case 2: {
      const size_t dot = Data.FileName.rfind(u'.');
      return dot == String::npos ? String() : Data.FileName.substr(dot);
    }
    case 3: {
      TFindData file = Data;
      file.Attributes &= ~std::uint32_t(rtl::faDirectory);
      return rtl::FormatDateTime(u"ddddd tt", FindDataModified(file));
    }
    case 4: return rtl::IntToStr(static_cast<int>(Data.Attributes));
    default: return String();
  }
}

// --- TbsShellFolder ------------------------------------------------------------------

TbsShellFolder::TbsShellFolder(TbsShellFolder* AParent, PCItemIDList ID, PShellFolder SF)
    : FParent(AParent), FIShellFolder(std::move(SF)) {
  FPIDL = ItemListClone(ID);
  if (AParent) {
    FFullPIDL = ItemListJoin(AParent->FFullPIDL, ID);
  } else {
    PItemIDList desktop = DesktopItemList();
    FFullPIDL = ItemListJoin(desktop, ID);
    ItemListRelease(desktop);
  }
  if (!FParent) FParent = g_desktop;
  for (TbsShellFolder* p = AParent; p;) {
    p = p->FParent;
    if (p) ++FLevel;
  }
}

TbsShellFolder::~TbsShellFolder() {
  FDetails.clear();
  ItemListRelease(FPIDL);
  ItemListRelease(FFullPIDL);
}

PShellFolder TbsShellFolder::ParentShellFolder() const {
  return FParent ? FParent->FIShellFolder : GetDesktopShellFolder();
}

String TbsShellFolder::PathName() const {
  return ItemDisplayText(GetDesktopShellFolder(), FFullPIDL, SHGDN_FORPARSING);
}

String TbsShellFolder::DisplayName() const {
  return ItemDisplayText(FParent ? ParentShellFolder() : GetDesktopShellFolder(), FPIDL, SHGDN_INFOLDER);
}

std::string TbsShellFolder::FileSystemPath() const {
  const TLocation loc = Locate(FFullPIDL);
  return loc.type == TLocation::File ? loc.path : std::string();
}

String TbsShellFolder::FullObjectName() const { return FileNameToString(FileSystemPath()); }

// There are no archive folders here: a folder named "*.zip" is a folder,
// and a zip file is a file already.
bool TbsShellFolder::IsFolder() const { return ItemIsFolder(ParentShellFolder(), FPIDL); }

bool TbsShellFolder::SubFolders() const { return ItemHasSubFolders(ParentShellFolder(), FPIDL); }

TbsShellFolderProperties TbsShellFolder::Properties() const { return ItemProperties(ParentShellFolder(), FPIDL); }

TbsShellFolderCapabilities TbsShellFolder::Capabilities() const {
  return ItemCapabilities(ParentShellFolder(), FPIDL);
}

int TbsShellFolder::ImageIndex(bool LargeIcon) const { return ShellImageIndex(FFullPIDL, LargeIcon, false); }

TShellIconKind TbsShellFolder::IconKind() const {
  return static_cast<TShellIconKind>(ShellImageIndex(FFullPIDL, false, false));
}

bool TbsShellFolder::Rename(const String& NewName) {
  if (!(Capabilities() & Bit(fcCanRename))) return false;
  TItemList renamed;
  if (ParentShellFolder()->SetNameOf(FPIDL, NewName, renamed) != 0)
    throw rtl::Exception(rtl::Format(u"Rename to %s failed", {NewName}));
  PItemIDList full = FParent ? ItemListJoin(FParent->FFullPIDL, renamed.get()) : ItemListClone(renamed.get());
  if (!full) throw rtl::EOutOfMemory(u"Out of memory");
  ItemListRelease(FPIDL);
  ItemListRelease(FFullPIDL);
  FPIDL = renamed.release();
  FFullPIDL = full;
  // A folder's own shell folder follows it to the new name.
  if (FIShellFolder) FIShellFolder = BindSubFolder(ParentShellFolder(), FPIDL);
  return true;
}

int TbsShellFolder::ExecuteDefault() const {
  const std::string path = FileSystemPath();
  if (path.empty()) return 0;
  return OpenDocument(FileNameToString(path)) ? 1 : 0;
}

void TbsShellFolder::LoadColumnDetails(TbsShellFolder* RootFolder, std::uintptr_t Handle, int ColumnCount) {
  if (static_cast<int>(FDetails.size()) >= ColumnCount) return;
  FDetails.clear();
  FViewHandle = Handle;
  if (!RootFolder || !(RootFolder->Properties() & Bit(fpFileSystem))) return;
  TFindData data;
  GetFindData(data);
  for (int c = 1; c <= ColumnCount; ++c) FDetails.push_back(FindDataColumnText(data, c));
}

String TbsShellFolder::ColumnDetail(int Index) const {
  if (FDetails.empty())
    throw rtl::Exception(rtl::Format(u"%s: Missing call to LoadColumnDetails", {DisplayName()}));
  if (Index < 1 || Index > static_cast<int>(FDetails.size())) return String();
  return FDetails[Index - 1];
}

void TbsShellFolder::GetFindData(TFindData& Data) const {
  Data = TFindData();
  const std::string path = FileSystemPath();
  if (path.empty()) RaiseDetailsError(ENOENT);
  struct stat st;
  if (::stat(path.c_str(), &st) != 0 && ::lstat(path.c_str(), &st) != 0) RaiseDetailsError(errno);
  const std::string name = path == "/" ? path : path.substr(path.rfind('/') + 1);
  Data.FileName = FileNameToString(name);
  if (S_ISDIR(st.st_mode)) {
    Data.Attributes |= rtl::faDirectory;
  } else if (S_ISREG(st.st_mode)) {
    Data.Attributes |= rtl::faArchive;
  } else if (!S_ISLNK(st.st_mode)) {
    Data.Attributes |= rtl::faSysFile;
  }
  if (!(st.st_mode & S_IWUSR)) Data.Attributes |= rtl::faReadOnly;
  if (name.size() > 1 && name[0] == '.') Data.Attributes |= rtl::faHidden;
  Data.Size = S_ISDIR(st.st_mode) ? 0 : static_cast<std::uint64_t>(st.st_size);
  Data.LastWrite = st.st_mtime;
}

void TbsShellFolder::RaiseDetailsError(int Code) const {
  throw EInvalidPath(rtl::Format(u"Unable to retrieve folder details for \"%s\". Error code $%x",
                                 {DisplayName(), Code}));
}

// --- Folder objects -------------------------------------------------------------------

int EnumerateChildren(TbsShellFolder* F, TShellObjectTypes Types,
                      std::vector<std::unique_ptr<TbsShellFolder>>& Children) {
  Children.clear();
  if (!F || !F->ShellFolder()) return ENOTDIR;
  std::vector<TItemList> items;
  const int code = F->ShellFolder()->EnumObjects(ObjectTypesToEnumFlags(Types), items);
  Children.reserve(items.size());
  for (const TItemList& id : items) {
    const bool folder = ReadItem(id.get()).Flags & ifFolder;
    Children.push_back(std::make_unique<TbsShellFolder>(
        F, id.get(), folder ? BindSubFolder(F->ShellFolder(), id.get()) : nullptr));
  }
  return code;
}

int CompareItemNames(std::string_view A, std::string_view B) { return CompareNames(A, B); }

void SortShellFolders(std::vector<std::unique_ptr<TbsShellFolder>>& Items) {
  if (Items.empty()) return;
  const PShellFolder parent = Items.front()->ParentShellFolder();
  std::sort(Items.begin(), Items.end(), [&](const auto& a, const auto& b) {
    return parent->CompareIDs(0, a->RelativeID(), b->RelativeID()) < 0;
  });
}

String FolderErrorText(const TbsShellFolder* F, int Code) {
  return (F ? F->PathName() : String()) + u": " + rtl::SysErrorMessage(Code);
}

TbsShellFolder* FolderObjectFromItemList(PCItemIDList AbsoluteId) {
  const PShellFolder desktop = GetDesktopShellFolder();
  PShellFolder sf = BindSubFolder(desktop, AbsoluteId);
  // The desktop is its own folder; a file has none (it lists nothing).
  if (!sf && ItemListCount(AbsoluteId) == 0) sf = desktop;
  return new TbsShellFolder(g_desktop, AbsoluteId, sf);
}

TbsShellFolder* ResolveRootFolder(TbsShellFolder* OldFolder, const TRoot& OldRoot, TRoot& Root) {
  TItemList list;
  int code = EINVAL;
  const int ordinal = RootFolderOrdinal(Root);
  if (ordinal == rfDesktop) {
    list = TItemList(DesktopItemList());
    code = 0;
  } else if (ordinal == rfMyComputer) {
    list = TItemList(MakeItem(TItemKind::Virtual, ifKnown | ifFolder, kComputerId));
    code = 0;
  } else if (ordinal >= 0) {
    const std::string path = RootFolderPath(ordinal);
    if (!path.empty()) code = GetDesktopShellFolder()->ParseDisplayName(FileNameToString(path), list);
  } else if (!Root.empty()) {
    code = GetDesktopShellFolder()->ParseDisplayName(Root, list);
  }
  if (code != 0 || !list) {
    const String tried = Root;
    Root = OldRoot;
    throw rtl::Exception(rtl::Format(u"Error setting path: \"%s\"", {tried}));
  }
  TbsShellFolder* result = FolderObjectFromItemList(list.get());
  delete OldFolder;
  return result;
}

// --- Unit state ------------------------------------------------------------------------

void InitShellNamespace() {
  if (g_initCount++ > 0) return;
  TItemList empty(DesktopItemList());
  g_desktop = new TbsShellFolder(nullptr, empty.get(), GetDesktopShellFolder());
}

void DoneShellNamespace() {
  if (g_initCount == 0 || --g_initCount > 0) return;
  delete g_desktop;
  g_desktop = nullptr;
}

TbsShellFolder* DesktopFolderObject() { return g_desktop; }

rtl::TCriticalSection& ShellChangeLock() {
  static rtl::TCriticalSection lock;
  return lock;
}

}  // namespace shell
