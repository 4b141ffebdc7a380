#include "platform/rtl/FileSys.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <type_traits>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/Strings.h"

namespace rtl {

namespace {

std::string Sys(const String& s) { return StringToFileName(s); }

bool StatOf(const String& name, struct stat& st) {
  return !name.empty() && ::stat(Sys(name).c_str(), &st) == 0;
}

int AttrOf(const String& name, const struct stat& st) {
  int a = 0;
  if (S_ISDIR(st.st_mode))
    a |= faDirectory;
  else if (S_ISREG(st.st_mode))
    a |= faArchive;
  else
    a |= faSysFile;
  if (!(st.st_mode & S_IWUSR)) a |= faReadOnly;
  if (!name.empty() && name[0] == u'.' && name != u"." && name != u"..") a |= faHidden;
  return a;
}

TDateTime ModifiedOf(const struct stat& st) { return UnixToLocalDateTime(st.st_mtim.tv_sec); }

}  // namespace

// --- Names and paths --------------------------------------------------------

bool IsPathDelimiter(const String& s, int index) {
  return index >= 1 && static_cast<size_t>(index) <= s.size() && s[index - 1] == PathDelim;
}

String IncludeTrailingPathDelimiter(const String& s) {
  return (!s.empty() && s.back() == PathDelim) ? s : s + PathDelim;
}

String ExcludeTrailingPathDelimiter(const String& s) {
  return (!s.empty() && s.back() == PathDelim) ? s.substr(0, s.size() - 1) : s;
}

String ExtractFilePath(const String& fileName) {
  return Copy(fileName, 1, LastDelimiter(u"/", fileName));
}

String ExtractFileDir(const String& fileName) {
  int i = LastDelimiter(u"/", fileName);
  if (i > 1 && fileName[i - 1] == PathDelim && !IsDelimiter(u"/", fileName, i - 1)) --i;
  return Copy(fileName, 1, i);
}

String ExtractFileName(const String& fileName) {
  return Copy(fileName, LastDelimiter(u"/", fileName) + 1, INT32_MAX);
}

String ExtractFileExt(const String& fileName) {
  int i = LastDelimiter(u"./", fileName);
  if (i > 0 && fileName[i - 1] == u'.') return Copy(fileName, i, INT32_MAX);
  return String();
}

String ChangeFileExt(const String& fileName, const String& extension) {
  int i = LastDelimiter(u"./", fileName);
  if (i == 0 || fileName[i - 1] != u'.') i = static_cast<int>(fileName.size()) + 1;
  return Copy(fileName, 1, i - 1) + extension;
}

String ExpandFileName(const String& fileName) {
  if (fileName.empty()) return String();
  String full = fileName[0] == PathDelim ? fileName : IncludeTrailingPathDelimiter(GetCurrentDir()) + fileName;
  const bool trailing = full.size() > 1 && full.back() == PathDelim;
  std::vector<String> parts;
  size_t i = 0;
  while (i <= full.size()) {
    size_t j = full.find(PathDelim, i);
    if (j == String::npos) j = full.size();
    String part = full.substr(i, j - i);
    if (part == u"..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != u".") {
      parts.push_back(part);
    }
    i = j + 1;
  }
  String r;
  for (const auto& p : parts) r += PathDelim + p;
  if (r.empty()) return u"/";
  if (trailing) r.push_back(PathDelim);
  return r;
}

int AnsiCompareFileName(const String& a, const String& b) { return AnsiCompareText(a, b); }
bool SameFileName(const String& a, const String& b) { return AnsiSameText(a, b); }
String AnsiLowerCaseFileName(const String& s) { return AnsiLowerCase(s); }
String AnsiUpperCaseFileName(const String& s) { return AnsiUpperCase(s); }

// --- Masks ------------------------------------------------------------------

namespace {

bool MatchFrom(const String& name, size_t ni, const String& mask, size_t mi, bool sets) {
  while (mi < mask.size()) {
    char16_t m = mask[mi];
    if (m == u'*') {
      while (mi < mask.size() && mask[mi] == u'*') ++mi;
      if (mi == mask.size()) return true;
      for (size_t k = ni; k <= name.size(); ++k)
        if (MatchFrom(name, k, mask, mi, sets)) return true;
      return false;
    }
    if (ni >= name.size()) return false;
    if (m == u'?') {
      ++ni;
      ++mi;
      continue;
    }
    if (sets && m == u'[') {
      size_t close = mask.find(u']', mi + 1);
      if (close != String::npos) {
        size_t k = mi + 1;
        bool negate = k < close && mask[k] == u'!';
        if (negate) ++k;
        const char16_t c = CharLower(name[ni]);
        bool in = false;
        while (k < close) {
          char16_t lo = CharLower(mask[k]);
          char16_t hi = lo;
          if (k + 2 < close && mask[k + 1] == u'-') {
            hi = CharLower(mask[k + 2]);
            k += 3;
          } else {
            ++k;
          }
          if (c >= lo && c <= hi) in = true;
        }
        if (in == negate) return false;
        ++ni;
        mi = close + 1;
        continue;
      }
    }
    if (CharLower(m) != CharLower(name[ni])) return false;
    ++ni;
    ++mi;
  }
  return ni == name.size();
}

}  // namespace

bool MatchesMask(const String& fileName, const String& mask) {
  return MatchFrom(fileName, 0, mask, 0, true);
}

bool MatchesSearchMask(const String& fileName, const String& mask) {
  if (MatchFrom(fileName, 0, mask, 0, false)) return true;
  if (mask.size() >= 2 && mask.compare(mask.size() - 2, 2, u".*") == 0 &&
      fileName.find(u'.') == String::npos)
    return MatchFrom(fileName, 0, mask.substr(0, mask.size() - 2), 0, false);
  return false;
}

// --- Files and folders ------------------------------------------------------

bool FileExists(const String& fileName) {
  struct stat st;
  return StatOf(fileName, st) && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const String& directory) {
  struct stat st;
  return StatOf(directory, st) && S_ISDIR(st.st_mode);
}

int FileGetAttr(const String& fileName) {
  struct stat st;
  if (!StatOf(fileName, st)) return -1;
  return AttrOf(ExtractFileName(ExcludeTrailingPathDelimiter(fileName)), st);
}

Int64 FileSize(const String& fileName) {
  struct stat st;
  if (!StatOf(fileName, st) || S_ISDIR(st.st_mode)) return -1;
  return static_cast<Int64>(st.st_size);
}

bool FileAge(const String& fileName, TDateTime& fileDateTime) {
  struct stat st;
  if (!StatOf(fileName, st)) return false;
  fileDateTime = ModifiedOf(st);
  return true;
}

int FileAge(const String& fileName) {
  TDateTime t;
  if (!FileAge(fileName, t)) return -1;
  return DateTimeToFileDate(t);
}

TDateTime FileDateToDateTime(int fileDate) {
  const unsigned v = static_cast<unsigned>(fileDate);
  const unsigned date = v >> 16, time = v & 0xFFFF;
  TDateTime d, t;
  if (!TryEncodeDate(static_cast<Word>((date >> 9) + 1980), static_cast<Word>((date >> 5) & 15),
                     static_cast<Word>(date & 31), d) ||
      !TryEncodeTime(static_cast<Word>(time >> 11), static_cast<Word>((time >> 5) & 63),
                     static_cast<Word>((time & 31) * 2), 0, t))
    throw EConvertError(u"Invalid argument to date encode");
  return d + t;
}

int DateTimeToFileDate(TDateTime value) {
  Word y, mo, d, h, mi, s, ms;
  DecodeDate(value, y, mo, d);
  if (y < 1980 || y > 2107) return -1;
  DecodeTime(value, h, mi, s, ms);
  unsigned date = (static_cast<unsigned>(y - 1980) << 9) | (mo << 5) | d;
  unsigned time = (h << 11) | (mi << 5) | (s / 2);
  return static_cast<int>((date << 16) | time);
}

bool CreateDir(const String& dir) { return !dir.empty() && ::mkdir(Sys(dir).c_str(), 0777) == 0; }

bool ForceDirectories(const String& dir) {
  if (dir.empty()) throw EInOutError(u"Unable to create directory");
  String d = ExcludeTrailingPathDelimiter(ExpandFileName(dir));
  if (d.empty() || DirectoryExists(d)) return true;
  String parent = ExtractFileDir(d);
  if (parent != d && !parent.empty() && !ForceDirectories(parent)) return false;
  return CreateDir(d) || DirectoryExists(d);  // another process may have made it meanwhile
}

bool RemoveDir(const String& dir) { return !dir.empty() && ::rmdir(Sys(dir).c_str()) == 0; }

bool DeleteFile(const String& fileName) {
  struct stat st;
  if (fileName.empty() || ::lstat(Sys(fileName).c_str(), &st) != 0) return false;
  if (S_ISDIR(st.st_mode)) {
    errno = EISDIR;
    return false;
  }
  return ::unlink(Sys(fileName).c_str()) == 0;
}

bool RenameFile(const String& oldName, const String& newName) {
  if (oldName.empty() || newName.empty()) return false;
  const std::string from = Sys(oldName), to = Sys(newName);
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // File systems without the no-replace flag: check first.
  struct stat st;
  if (::lstat(to.c_str(), &st) == 0) {
    errno = EEXIST;
    return false;
  }
  return ::rename(from.c_str(), to.c_str()) == 0;
}

String GetCurrentDir() {
  std::vector<char> buf(4096);
  while (::getcwd(buf.data(), buf.size()) == nullptr) {
    if (errno != ERANGE) return String();
    buf.resize(buf.size() * 2);
  }
  return FileNameToString(buf.data());
}

bool SetCurrentDir(const String& dir) { return !dir.empty() && ::chdir(Sys(dir).c_str()) == 0; }

// --- Directory search -------------------------------------------------------

struct TFindState {
  DIR* dir = nullptr;
  String folder;  // with trailing '/', or empty for the current directory
  String mask;
  ~TFindState() {
    if (dir) ::closedir(dir);
  }
};

namespace {

// Reads entries until one passes the mask and the attribute filter.
int FindMatching(TSearchRec& f) {
  TFindState& s = *f.FindHandle;
  for (;;) {
    errno = 0;
    dirent* e = ::readdir(s.dir);
    if (!e) {
      int err = errno ? errno : ENOENT;
      f.FindHandle.reset();
      return err;
    }
    String name = FileNameToString(e->d_name);
    if (!MatchesSearchMask(name, s.mask)) continue;
    struct stat st;
    const std::string full = Sys((s.folder.empty() ? String(u"./") : s.folder) + name);
    if (::stat(full.c_str(), &st) != 0 && ::lstat(full.c_str(), &st) != 0) continue;
    int attr = AttrOf(name, st);
    if (attr & f.ExcludeAttr) continue;
    f.Name = std::move(name);
    f.Attr = attr;
    f.Size = S_ISDIR(st.st_mode) ? 0 : static_cast<Int64>(st.st_size);
    f.TimeStamp = ModifiedOf(st);
    f.Time = DateTimeToFileDate(f.TimeStamp);
    return 0;
  }
}

}  // namespace

int FindFirst(const String& path, int attr, TSearchRec& f) {
  f = TSearchRec();
  f.ExcludeAttr = ~attr & (faHidden | faSysFile | faVolumeID | faDirectory);
  auto state = std::make_shared<TFindState>();
  state->folder = ExtractFilePath(path);
  state->mask = ExtractFileName(path);
  const std::string folder = Sys(state->folder.empty() ? String(u".") : state->folder);
  state->dir = ::opendir(folder.c_str());
  if (!state->dir) return errno ? errno : ENOENT;
  f.FindHandle = std::move(state);
  return FindMatching(f);
}

int FindNext(TSearchRec& f) {
  if (!f.FindHandle) return ENOENT;
  return FindMatching(f);
}

void FindClose(TSearchRec& f) { f.FindHandle.reset(); }

// --- Process and environment ------------------------------------------------

namespace {

std::mutex g_programMutex;
String g_programFolderOverride;

String ExePath() {
  std::vector<char> buf(4096);
  ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size() - 1);
  if (n <= 0) return String();
  return Utf8ToString(std::string_view(buf.data(), static_cast<size_t>(n)));
}

std::vector<String> CommandLine() {
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  std::vector<String> args;
  std::string arg;
  while (std::getline(in, arg, '\0')) args.push_back(Utf8ToString(arg));
  return args;
}

}  // namespace

String ProgramFolder() {
  {
    std::lock_guard<std::mutex> lock(g_programMutex);
    if (!g_programFolderOverride.empty()) return g_programFolderOverride;
  }
  return ExtractFilePath(ExePath());
}

void SetProgramFolderForTests(const String& folder) {
  std::lock_guard<std::mutex> lock(g_programMutex);
  g_programFolderOverride = folder.empty() ? String() : IncludeTrailingPathDelimiter(folder);
}

String ParamStr(int index) {
  if (index == 0) return ProgramFolder() + ExtractFileName(ExePath());
  std::vector<String> args = CommandLine();
  return index > 0 && static_cast<size_t>(index) < args.size() ? args[index] : String();
}

int ParamCount() {
  size_t n = CommandLine().size();
  return n > 0 ? static_cast<int>(n) - 1 : 0;
}

String GetEnvironmentVariable(const String& name) {
  const char* v = std::getenv(Sys(name).c_str());
  return v ? Utf8ToString(v) : String();
}

bool SetEnvironmentVariable(const String& name, const String& value) {
  if (name.empty() || name.find(u'=') != String::npos) return false;
  return ::setenv(Sys(name).c_str(), Sys(value).c_str(), 1) == 0;
}

String GetHomePath() {
  String home = GetEnvironmentVariable(u"HOME");
  if (home.empty()) {
    passwd pw{};
    passwd* result = nullptr;
    std::vector<char> buf(16384);
    if (::getpwuid_r(::getuid(), &pw, buf.data(), buf.size(), &result) == 0 && result)
      home = Utf8ToString(result->pw_dir);
  }
  return IncludeTrailingPathDelimiter(home.empty() ? String(u"/") : home);
}

String GetTempPath() {
  String tmp = GetEnvironmentVariable(u"TMPDIR");
  if (tmp.empty() || !DirectoryExists(tmp)) tmp = u"/tmp";
  return IncludeTrailingPathDelimiter(tmp);
}

String SysErrorMessage(int errorCode) {
  char buf[256] = {};
  // strerror_r comes in a GNU and an XSI form; take whichever this C library has.
  const char* text = nullptr;
  auto r = ::strerror_r(errorCode, buf, sizeof buf);
  if constexpr (std::is_same_v<decltype(r), char*>)
    text = r;
  else
    text = r == 0 ? buf : nullptr;
  if (!text || !*text) return u"Unknown error " + Utf8ToString(std::to_string(errorCode));
  return Utf8ToString(text);
}

}  // namespace rtl
