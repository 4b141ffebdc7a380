#include "app/options/OptionIni.h"

#include <filesystem>
#include <system_error>

#include "platform/rtl/FileSys.h"
#include "platform/rtl/IniFiles.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/SysUtils.h"

namespace app {

namespace {

constexpr char16_t kOptions[] = u"Options";
constexpr char16_t kNotSet[] = u"Error";

bool IsSet(const rtl::String& value) { return !value.empty() && value != kNotSet; }

// "0" .. "19" exactly as written (no sign, blanks or leading zeros).
std::optional<int> DecimalIn(const rtl::String& value, int lo, int hi) {
  if (value.empty() || value.size() > 2) return std::nullopt;
  int n = 0;
  for (char16_t c : value) {
    if (c < u'0' || c > u'9') return std::nullopt;
    n = n * 10 + (c - u'0');
  }
  if (value.size() == 2 && value[0] == u'0') return std::nullopt;
  if (n < lo || n > hi) return std::nullopt;
  return n;
}

rtl::String TavrelFolder(const char16_t* leaf) {
  return rtl::GetHomePath() + u"Tavrel视频软件/" + leaf;
}

// Creating a folder never stops the caller: a folder that cannot be made is
// used as given.
void TryForceDirectories(const rtl::String& folder) {
  try {
    rtl::ForceDirectories(folder);
  } catch (const rtl::Exception&) {
  }
}

// Moves oldFile to file, or copies it when it cannot be moved (another file
// system, a folder the user cannot write). The copy is made under a
// temporary name and renamed, so a settings file is never seen half written;
// an existing settings file is never replaced.
void TakeOver(const rtl::String& oldFile, const rtl::String& file) {
  if (rtl::RenameFile(oldFile, file)) return;
  const rtl::String temp = file + u".new";
  std::error_code ec;
  if (!std::filesystem::copy_file(rtl::U8(oldFile), rtl::U8(temp),
                                  std::filesystem::copy_options::overwrite_existing, ec))
    return;
  if (rtl::RenameFile(temp, file))
    rtl::DeleteFile(oldFile);
  else
    rtl::DeleteFile(temp);
}

}  // namespace

rtl::String SettingsFolder() {
  rtl::String base = rtl::GetEnvironmentVariable(u"XDG_CONFIG_HOME");
  if (base.empty() || base[0] != u'/') base = rtl::GetHomePath() + u".config";
  return rtl::IncludeTrailingPathDelimiter(base) + u"tavrel/";
}

rtl::String SettingsFile() {
  const rtl::String folder = SettingsFolder();
  const rtl::String file = folder + u"option.ini";
  TryForceDirectories(folder);
  const rtl::String oldFile = rtl::IncludeTrailingPathDelimiter(rtl::ProgramFolder()) + u"option.ini";
  if (!rtl::FileExists(file) && rtl::FileExists(oldFile) && !rtl::SameFileName(oldFile, file))
    TakeOver(oldFile, file);
  return file;
}

rtl::String PictureValue(TSnapshotPicture picture) {
  switch (picture) {
    case TSnapshotPicture::Jpg: return u"JPG";
    case TSnapshotPicture::Gif: return u"GIF";
    case TSnapshotPicture::Png: return u"PNG";
    case TSnapshotPicture::Bmp: break;
  }
  return u"BMP";
}

rtl::String PictureExtension(TSnapshotPicture picture) {
  switch (picture) {
    case TSnapshotPicture::Jpg: return u".jpg";
    case TSnapshotPicture::Gif: return u".gif";
    case TSnapshotPicture::Png: return u".png";
    case TSnapshotPicture::Bmp: break;
  }
  return u".bmp";
}

rtl::String DefaultOutputFolder() { return TavrelFolder(u"输出"); }
rtl::String DefaultSnapshotFolder() { return TavrelFolder(u"快照"); }

TOptionIni::TOptionIni() : fileName_(SettingsFile()) {}

rtl::String TOptionIni::Read(const char16_t* section, const char16_t* key) const {
  return rtl::GetPrivateProfileString(section, key, kNotSet, fileName_, 2048);
}

void TOptionIni::Write(const char16_t* section, const char16_t* key, const rtl::String& value) {
  if (!rtl::WritePrivateProfileString(section, key, value, fileName_))
    throw EOptionIniWriteError(u"Unable to write to " + fileName_);
}

std::optional<int> TOptionIni::ReadChoice(const char16_t* key, int lo, int hi,
                                          const char16_t* def) {
  std::optional<int> n = DecimalIn(Read(kOptions, key), lo, hi);
  if (!n) Write(kOptions, key, def);
  return n;
}

TConversionOptions TOptionIni::ReadOptions(const TConversionOptions& current) {
  TConversionOptions o = current;
  const rtl::String threads = Read(kOptions, u"Thread_Count");
  if (!IsSet(threads)) {
    Write(kOptions, u"Thread_Count", u"0");
  } else if (std::optional<int> n = DecimalIn(threads, 0, 19)) {
    o.ThreadCount = *n == 0 ? 1 : *n;
  } else {
    o.ThreadCount = 1;
    Write(kOptions, u"Thread_Count", u"0");
  }
  o.AfterDone = ReadChoice(u"After_Done", 0, 3, u"0").value_or(0);
  o.ThreadPriority = ReadChoice(u"Thread_Priority", 0, 3, u"3").value_or(3);
  o.Overwrite = ReadChoice(u"Overwrite_File", 0, 1, u"1").value_or(1) == 0;
  o.ShowPreview = ReadChoice(u"Show_Preview", 0, 1, u"0").value_or(0) == 1;
  return o;
}

void TOptionIni::WriteOptions(const TConversionOptions& o) {
  Write(kOptions, u"Thread_Count", rtl::IntToStr(o.ThreadCount));
  Write(kOptions, u"After_Done", rtl::IntToStr(o.AfterDone));
  Write(kOptions, u"Show_Preview", o.ShowPreview ? u"1" : u"0");
  Write(kOptions, u"Thread_Priority", rtl::IntToStr(o.ThreadPriority));
  Write(kOptions, u"Overwrite_File", o.Overwrite ? u"0" : u"1");
}

rtl::String TOptionIni::ReadOutPath() {
  if (rtl::FileExists(fileName_)) {
    const rtl::String stored = Read(u"OutPath", u"OutPath");
    if (IsSet(stored)) {
      TryForceDirectories(stored);
      return stored;
    }
  }
  const rtl::String folder = DefaultOutputFolder();
  TryForceDirectories(folder);
  Write(u"OutPath", u"OutPath", folder);
  return folder;
}

bool TOptionIni::WriteOutPath(const rtl::String& folder) {
  if (folder.empty() || !rtl::DirectoryExists(folder)) return false;
  Write(u"OutPath", u"OutPath", folder);
  return true;
}

rtl::String TOptionIni::ResolveSnapshotFolder() {
  const rtl::String stored = Read(u"SnapShot", u"Dir");
  if (IsSet(stored)) {
    TryForceDirectories(stored);
    return stored;
  }
  const rtl::String folder = DefaultSnapshotFolder();
  TryForceDirectories(folder);
  Write(u"SnapShot", u"Dir", folder);
  return folder;
}

bool TOptionIni::WriteSnapshotFolder(const rtl::String& folder) {
  if (folder.empty() || !rtl::DirectoryExists(folder)) return false;
  Write(u"SnapShot", u"Dir", folder);
  return true;
}

TSnapshotPicture TOptionIni::ReadPictureType() {
  const rtl::String value = Read(u"SnapShot", u"Picture");
  for (TSnapshotPicture p : {TSnapshotPicture::Bmp, TSnapshotPicture::Jpg, TSnapshotPicture::Gif,
                             TSnapshotPicture::Png})
    if (value == PictureValue(p)) return p;
  Write(u"SnapShot", u"Picture", u"BMP");
  return TSnapshotPicture::Bmp;
}

void TOptionIni::WritePictureType(TSnapshotPicture picture) {
  Write(u"SnapShot", u"Picture", PictureValue(picture));
}

int TOptionIni::ReadSkinIndex() {
  int index = 0;
  const rtl::String stored = Read(u"Skin", u"SetSkin");
  if (IsSet(stored) && rtl::TryStrToInt(stored, index)) return index;
  Write(u"Skin", u"SetSkin", u"0");
  return 0;
}

void TOptionIni::WriteSkinIndex(int index) { Write(u"Skin", u"SetSkin", rtl::IntToStr(index)); }

}  // namespace app
