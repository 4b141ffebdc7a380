#include "platform/rtl/IniFiles.h"

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/rtl/StrUtils.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/SysUtils.h"

namespace rtl {

namespace {

bool IsBlankChar(char16_t c) { return c <= u' '; }

String TrimBlanks(const String& s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlankChar(s[b])) ++b;
  while (e > b && IsBlankChar(s[e - 1])) --e;
  return s.substr(b, e - b);
}

String Fold(const String& s) { return AnsiUpperCase(TrimBlanks(s)); }

bool HasLineBreak(const String& s) { return s.find_first_of(u"\r\n") != String::npos; }

bool ReadFileBytes(const std::string& path, std::string& out) {
  out.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  char buf[65536];
  for (;;) {
    const ssize_t r = ::read(fd, buf, sizeof buf);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;
    out.append(buf, static_cast<size_t>(r));
  }
  ::close(fd);
  return true;
}

mode_t ProcessUmask() {
  // Read rather than set-and-restore, which would briefly widen the mask of
  // every other thread.
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
  }
  return 022;
}

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t r = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (r < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (r == 0) {
      errno = EIO;
      return false;
    }
    done += static_cast<size_t>(r);
  }
  return true;
}

// Replaces the file at path by bytes through a temporary file in the same
// folder: the rename is the only step that touches the old file, and it
// either happens completely or not at all.
bool AtomicWriteFile(const std::string& path, const std::string& bytes) {
  std::string target = path;
  struct stat st;
  if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    // Write through a link instead of replacing the link by a file.
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved)) target = resolved;
  }
  mode_t mode = 0666 & ~ProcessUmask();
  if (::stat(target.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode)) {
      errno = EISDIR;
      return false;
    }
    mode = st.st_mode & 07777;
  }
  const auto slash = target.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : target.substr(0, slash == 0 ? 1 : slash);
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  std::string tmp = (dir == "/" ? std::string() : dir) + "/." + base + ".XXXXXX";
  const int fd = ::mkostemp(tmp.data(), O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = WriteAll(fd, bytes) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
  const int err = errno;
  if (::close(fd) != 0 || !ok || ::rename(tmp.c_str(), target.c_str()) != 0) {
    const int e = ok ? errno : err;
    ::unlink(tmp.c_str());
    errno = e;
    return false;
  }
  // Make the rename itself durable; a failure here loses nothing already written.
  const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  return true;
}

std::string StatSignature(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return "missing";
  char buf[160];
  std::snprintf(buf, sizeof buf, "%llu:%llu:%lld:%lld.%ld", static_cast<unsigned long long>(st.st_dev),
                static_cast<unsigned long long>(st.st_ino), static_cast<long long>(st.st_size),
                static_cast<long long>(st.st_mtim.tv_sec), static_cast<long>(st.st_mtim.tv_nsec));
  return buf;
}

std::mutex g_profileMutex;

}  // namespace

// ================================================================ IniDocument

// The lines of one file, kept as their original bytes, with an index of
// sections and keys rebuilt after each change.
class IniDocument {
 public:
  std::string signature;  // of the file state this text was read from

  void LoadBytes(std::string_view bytes);
  std::string ToBytes() const;
  void SetLines(const std::vector<String>& lines);
  std::vector<String> Lines() const;
  void Clear() {
    lines_.clear();
    bom_ = false;
    lineBreak_ = "\r\n";
    Changed();
  }

  bool Find(const String& section, const String& key, String& value) const;
  // False when the names or the value could not be read back.
  bool SetValue(const String& section, const String& key, const String& value);
  // Both return whether anything was removed.
  bool DeleteKey(const String& section, const String& key);
  bool EraseSection(const String& section);
  std::vector<String> SectionNames() const;
  std::vector<std::pair<String, String>> Entries(const String& section) const;

 private:
  enum Kind { kBlank, kComment, kSection, kKey, kOther };
  struct Line {
    std::string raw;
    Kind kind = kOther;
    String name;   // section or key, trimmed
    String value;  // trimmed and unquoted
  };
  struct Section {
    String name;
    size_t header;
    size_t end;  // one past its last line
    std::unordered_map<String, size_t> keys;  // folded key -> first line
  };

  static Line Parse(std::string raw);
  void AppendRaw(std::string raw) { lines_.push_back(Parse(std::move(raw))); }
  void Changed() { indexed_ = false; }
  void Reindex() const;
  std::vector<const Section*> SectionsNamed(const String& name) const;

  std::vector<Line> lines_;
  std::string lineBreak_ = "\r\n";
  bool bom_ = false;

  mutable bool indexed_ = false;
  mutable std::vector<Section> sections_;
  mutable std::unordered_map<String, std::vector<size_t>> byName_;
};

IniDocument::Line IniDocument::Parse(std::string raw) {
  Line line;
  const String t = TrimBlanks(Utf8ToString(raw));
  line.raw = std::move(raw);
  if (t.empty()) {
    line.kind = kBlank;
  } else if (t[0] == u';') {
    line.kind = kComment;
  } else if (t[0] == u'[') {
    line.kind = kSection;
    const auto close = t.find(u']');
    line.name = TrimBlanks(t.substr(1, close == String::npos ? String::npos : close - 1));
  } else if (const auto eq = t.find(u'='); eq != String::npos) {
    line.kind = kKey;
    line.name = TrimBlanks(t.substr(0, eq));
    String v = TrimBlanks(t.substr(eq + 1));
    if (v.size() >= 2 && v.front() == v.back() && (v.front() == u'"' || v.front() == u'\''))
      v = v.substr(1, v.size() - 2);
    line.value = std::move(v);
  }
  return line;
}

void IniDocument::LoadBytes(std::string_view bytes) {
  lines_.clear();
  bom_ = false;
  lineBreak_ = "\r\n";
  std::string text;
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    bom_ = true;
    text = bytes.substr(3);
  } else if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") {
    const bool be = bytes[0] == '\xFE';
    String s;
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      const auto b0 = static_cast<unsigned char>(bytes[i]), b1 = static_cast<unsigned char>(bytes[i + 1]);
      s.push_back(static_cast<char16_t>(be ? (b0 << 8 | b1) : (b1 << 8 | b0)));
    }
    text = StringToUtf8(s);
  } else {
    text = bytes;
  }
  bool styleSeen = false;
  size_t start = 0, i = 0;
  const size_t n = text.size();
  while (i < n) {
    const char c = text[i];
    if (c != '\r' && c != '\n') {
      ++i;
      continue;
    }
    AppendRaw(text.substr(start, i - start));
    const bool crlf = c == '\r' && i + 1 < n && text[i + 1] == '\n';
    if (!styleSeen) {
      lineBreak_ = crlf ? "\r\n" : std::string(1, c);
      styleSeen = true;
    }
    i += crlf ? 2 : 1;
    start = i;
  }
  if (start < n) AppendRaw(text.substr(start));
  Changed();
}

std::string IniDocument::ToBytes() const {
  std::string out = bom_ ? "\xEF\xBB\xBF" : "";
  for (const Line& l : lines_) {
    out += l.raw;
    out += lineBreak_;
  }
  return out;
}

void IniDocument::SetLines(const std::vector<String>& lines) {
  String text;
  for (const String& l : lines) {
    text += l;
    text += u'\n';
  }
  LoadBytes(StringToUtf8(text));
  lineBreak_ = "\r\n";
}

std::vector<String> IniDocument::Lines() const {
  std::vector<String> out;
  out.reserve(lines_.size());
  for (const Line& l : lines_) out.push_back(Utf8ToString(l.raw));
  return out;
}

void IniDocument::Reindex() const {
  if (indexed_) return;
  sections_.clear();
  byName_.clear();
  for (size_t i = 0; i < lines_.size(); ++i) {
    const Line& l = lines_[i];
    if (l.kind == kSection) {
      if (!sections_.empty()) sections_.back().end = i;
      byName_[Fold(l.name)].push_back(sections_.size());
      sections_.push_back(Section{l.name, i, lines_.size(), {}});
    } else if (l.kind == kKey && !sections_.empty()) {
      sections_.back().keys.emplace(Fold(l.name), i);  // keeps the first
    }
  }
  indexed_ = true;
}

std::vector<const IniDocument::Section*> IniDocument::SectionsNamed(const String& name) const {
  Reindex();
  std::vector<const Section*> out;
  const auto it = byName_.find(Fold(name));
  if (it != byName_.end())
    for (size_t s : it->second) out.push_back(&sections_[s]);
  return out;
}

bool IniDocument::Find(const String& section, const String& key, String& value) const {
  const String k = Fold(key);
  for (const Section* s : SectionsNamed(section)) {
    const auto it = s->keys.find(k);
    if (it != s->keys.end()) {
      value = lines_[it->second].value;
      return true;
    }
  }
  return false;
}

bool IniDocument::SetValue(const String& section, const String& key, const String& value) {
  const String sec = TrimBlanks(section), k = TrimBlanks(key);
  if (HasLineBreak(sec) || HasLineBreak(k) || HasLineBreak(value) || sec.find(u']') != String::npos ||
      k.find(u'=') != String::npos || (!k.empty() && (k[0] == u';' || k[0] == u'[')))
    return false;
  // Reading trims blanks and strips a pair of quotes; wrapping such a value
  // in quotes brings it back as it was given.
  const bool wrap = !value.empty() && (IsBlankChar(value.front()) || IsBlankChar(value.back()) ||
                                       (value.size() >= 2 && value.front() == value.back() &&
                                        (value.front() == u'"' || value.front() == u'\'')));
  const std::string stored = wrap ? "\"" + StringToUtf8(value) + "\"" : StringToUtf8(value);
  const std::string line = StringToUtf8(k) + "=" + stored;
  const auto named = SectionsNamed(sec);
  for (const Section* s : named) {
    const auto it = s->keys.find(Fold(k));
    if (it != s->keys.end()) {
      // In place, keeping the key as the file spells it.
      // The key and its place stay, so the index stays valid.
      lines_[it->second] = Parse(StringToUtf8(lines_[it->second].name) + "=" + stored);
      return true;
    }
  }
  // Writing a whole text key by key must not rebuild the index each time:
  // new lines shift the indexes after them, and the new key joins its section.
  if (!named.empty()) {
    const Section& s = *named.front();
    size_t at = s.header + 1;
    for (size_t i = s.header + 1; i < s.end; ++i)
      if (lines_[i].kind == kKey || lines_[i].kind == kOther) at = i + 1;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), Parse(line));
    for (Section& other : sections_) {
      if (&other == &s) {
        ++other.end;
        continue;
      }
      if (other.header >= at) {
        ++other.header;
        ++other.end;
      }
      for (auto& entry : other.keys)
        if (entry.second >= at) ++entry.second;
    }
    Section& target = const_cast<Section&>(s);
    for (auto& entry : target.keys)
      if (entry.second >= at) ++entry.second;
    target.keys.emplace(Fold(k), at);
  } else {
    if (!lines_.empty() && lines_.back().kind != kBlank) AppendRaw(std::string());
    if (!sections_.empty()) sections_.back().end = lines_.size();
    byName_[Fold(sec)].push_back(sections_.size());
    sections_.push_back(Section{sec, lines_.size(), lines_.size() + 2, {}});
    AppendRaw("[" + StringToUtf8(sec) + "]");
    AppendRaw(line);
    sections_.back().keys.emplace(Fold(k), lines_.size() - 1);
  }
  return true;
}

bool IniDocument::DeleteKey(const String& section, const String& key) {
  const String k = Fold(key);
  std::vector<size_t> doomed;
  for (const Section* s : SectionsNamed(section))
    for (size_t i = s->header + 1; i < s->end; ++i)
      if (lines_[i].kind == kKey && Fold(lines_[i].name) == k) doomed.push_back(i);
  for (auto it = doomed.rbegin(); it != doomed.rend(); ++it) lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*it));
  if (!doomed.empty()) Changed();
  return !doomed.empty();
}

bool IniDocument::EraseSection(const String& section) {
  const auto named = SectionsNamed(section);
  for (auto it = named.rbegin(); it != named.rend(); ++it)
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>((*it)->header),
                 lines_.begin() + static_cast<std::ptrdiff_t>((*it)->end));
  if (!named.empty()) Changed();
  return !named.empty();
}

std::vector<String> IniDocument::SectionNames() const {
  Reindex();
  std::vector<String> out;
  for (const Section& s : sections_)
    if (byName_.at(Fold(s.name)).front() == static_cast<size_t>(&s - sections_.data())) out.push_back(s.name);
  return out;
}

std::vector<std::pair<String, String>> IniDocument::Entries(const String& section) const {
  std::vector<std::pair<String, String>> out;
  for (const Section* s : SectionsNamed(section))
    for (size_t i = s->header + 1; i < s->end; ++i)
      if (lines_[i].kind == kKey) out.emplace_back(lines_[i].name, lines_[i].value);
  return out;
}

namespace {

void LoadDocument(IniDocument& doc, const String& fileName) {
  const std::string path = StringToUtf8(fileName);
  std::string bytes;
  doc.signature = StatSignature(path);
  if (fileName.empty() || !ReadFileBytes(path, bytes)) bytes.clear();
  doc.LoadBytes(bytes);
}

String WriteError(const String& fileName) { return u"Unable to write to " + fileName; }

}  // namespace

// ================================================================ private-profile functions

String GetPrivateProfileString(const String& section, const String& key, const String& def,
                               const String& fileName, int bufferSize) {
  IniDocument doc;
  {
    std::lock_guard<std::mutex> lock(g_profileMutex);
    LoadDocument(doc, fileName);
  }
  String value;
  if (!doc.Find(section, key, value)) value = def;
  if (bufferSize > 0 && value.size() > static_cast<size_t>(bufferSize - 1)) value.resize(static_cast<size_t>(bufferSize - 1));
  return value;
}

bool WritePrivateProfileString(const String& section, const String& key, const String& value,
                               const String& fileName) {
  if (fileName.empty()) return false;
  std::lock_guard<std::mutex> lock(g_profileMutex);
  IniDocument doc;
  LoadDocument(doc, fileName);
  return doc.SetValue(section, key, value) && AtomicWriteFile(StringToUtf8(fileName), doc.ToBytes());
}

// ================================================================ TCustomIniFile

int TCustomIniFile::ReadInteger(const String& section, const String& ident, int def) {
  String s = ReadString(section, ident, String());
  if (s.size() > 2 && s[0] == u'0' && (s[1] == u'x' || s[1] == u'X')) s = u"$" + s.substr(2);
  return StrToIntDef(s, def);
}

void TCustomIniFile::WriteInteger(const String& section, const String& ident, int value) {
  WriteString(section, ident, IntToStr(value));
}

bool TCustomIniFile::ReadBool(const String& section, const String& ident, bool def) {
  return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const String& section, const String& ident, bool value) {
  WriteString(section, ident, value ? u"1" : u"0");
}

bool TCustomIniFile::SectionExists(const String& section) {
  TStringList keys;
  ReadSection(section, &keys);
  return keys.Count() > 0;
}

bool TCustomIniFile::ValueExists(const String& section, const String& ident) {
  TStringList keys;
  ReadSection(section, &keys);
  return keys.IndexOf(TrimBlanks(ident)) >= 0;
}

namespace {

// Replaces the lines of strings in one batch of changes.
void FillStrings(TStrings* strings, const std::vector<String>& lines) {
  strings->BeginUpdate();
  try {
    strings->Clear();
    for (const String& line : lines) strings->Add(line);
  } catch (...) {
    strings->EndUpdate();
    throw;
  }
  strings->EndUpdate();
}

void FillKeys(const IniDocument& doc, const String& section, TStrings* strings, bool withValues) {
  std::vector<String> lines;
  for (const auto& [k, v] : doc.Entries(section)) lines.push_back(withValues ? k + u"=" + v : k);
  FillStrings(strings, lines);
}

void FillSections(const IniDocument& doc, TStrings* strings) { FillStrings(strings, doc.SectionNames()); }

}  // namespace

// ================================================================ TIniFile

TIniFile::TIniFile(const String& fileName) : TCustomIniFile(fileName), doc_(std::make_unique<IniDocument>()) {
  doc_->signature = "unread";
}

TIniFile::~TIniFile() = default;

IniDocument& TIniFile::Current() {
  if (doc_->signature != StatSignature(StringToUtf8(fileName_))) LoadDocument(*doc_, fileName_);
  return *doc_;
}

void TIniFile::Store() {
  if (fileName_.empty() || !AtomicWriteFile(StringToUtf8(fileName_), doc_->ToBytes())) {
    doc_->signature = "unread";  // the disk still holds the old text
    throw EIniFileException(WriteError(fileName_));
  }
  doc_->signature = StatSignature(StringToUtf8(fileName_));
}

String TIniFile::ReadString(const String& section, const String& ident, const String& def) {
  String value;
  return Current().Find(section, ident, value) ? value : def;
}

void TIniFile::WriteString(const String& section, const String& ident, const String& value) {
  std::lock_guard<std::mutex> lock(g_profileMutex);
  if (!Current().SetValue(section, ident, value)) throw EIniFileException(WriteError(fileName_));
  Store();
}

void TIniFile::ReadSection(const String& section, TStrings* strings) { FillKeys(Current(), section, strings, false); }
void TIniFile::ReadSections(TStrings* strings) { FillSections(Current(), strings); }
void TIniFile::ReadSectionValues(const String& section, TStrings* strings) {
  FillKeys(Current(), section, strings, true);
}

void TIniFile::EraseSection(const String& section) {
  std::lock_guard<std::mutex> lock(g_profileMutex);
  if (Current().EraseSection(section)) Store();
}

void TIniFile::DeleteKey(const String& section, const String& ident) {
  std::lock_guard<std::mutex> lock(g_profileMutex);
  if (Current().DeleteKey(section, ident)) Store();
}

// ================================================================ TMemIniFile

TMemIniFile::TMemIniFile(const String& fileName) : TCustomIniFile(fileName), doc_(std::make_unique<IniDocument>()) {
  if (!fileName.empty()) LoadDocument(*doc_, fileName);
}

TMemIniFile::~TMemIniFile() = default;

String TMemIniFile::ReadString(const String& section, const String& ident, const String& def) {
  String value;
  return doc_->Find(section, ident, value) ? value : def;
}

void TMemIniFile::WriteString(const String& section, const String& ident, const String& value) {
  if (!doc_->SetValue(section, ident, value))
    throw EIniFileException(u"Cannot write section \"" + section + u"\", key \"" + ident +
                            u"\": a line break, a \"]\" in the section or a \"=\" in the key would not read back");
}

void TMemIniFile::ReadSection(const String& section, TStrings* strings) { FillKeys(*doc_, section, strings, false); }
void TMemIniFile::ReadSections(TStrings* strings) { FillSections(*doc_, strings); }
void TMemIniFile::ReadSectionValues(const String& section, TStrings* strings) {
  FillKeys(*doc_, section, strings, true);
}
void TMemIniFile::EraseSection(const String& section) { doc_->EraseSection(section); }
void TMemIniFile::DeleteKey(const String& section, const String& ident) { doc_->DeleteKey(section, ident); }

void TMemIniFile::UpdateFile() {
  if (fileName_.empty()) return;
  if (!AtomicWriteFile(StringToUtf8(fileName_), doc_->ToBytes())) throw EIniFileException(WriteError(fileName_));
}

void TMemIniFile::GetStrings(TStrings* strings) const {
  strings->BeginUpdate();
  try {
    strings->Clear();
    for (const String& l : doc_->Lines()) strings->Add(l);
  } catch (...) {
    strings->EndUpdate();
    throw;
  }
  strings->EndUpdate();
}

void TMemIniFile::SetStrings(const TStrings* strings) {
  std::vector<String> lines;
  for (int i = 0; i < strings->Count(); ++i) lines.push_back(strings->Get(i));
  doc_->SetLines(lines);
}

void TMemIniFile::Clear() { doc_->Clear(); }

void TMemIniFile::Rename(const String& fileName, bool reload) {
  fileName_ = fileName;
  if (reload) {
    if (fileName.empty())
      doc_->Clear();
    else
      LoadDocument(*doc_, fileName);
  }
}

}  // namespace rtl
