// option.ini: the program's settings in the user's settings folder, read and
// written one key at a time, with every rule by which a missing or unrecognised value
// falls back to its default and the default is written back.
//
// A value is "not set" when it is missing or empty or reads as "Error";
// other comparisons are exact and case-sensitive. Every write reaches the
// file at once (atomically: temp file, sync, rename). A failed write raises
// EOptionIniWriteError "Unable to write to <file>"; the readers' write-backs
// are attempted in the same way, so a caller at start-up catches, reports
// and goes on with the values that were read.
//
// GUI thread only.
#pragma once

#include <optional>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Types.h"

namespace app {

class EOptionIniWriteError : public rtl::Exception {
 public:
  using rtl::Exception::Exception;
};

// What the options dialog shows: the state of its controls.
struct TConversionOptions {
  int ThreadCount = 1;     // 1 to 19
  int AfterDone = 0;       // 0 open the output folder, 1 power off, 2 play a sound, 3 nothing
  bool ShowPreview = false;
  int ThreadPriority = 3;  // 0 idle, 1 lowest, 2 lower, 3 normal
  bool Overwrite = false;  // "直接覆盖输出文件"; false: "自动重命名输出文件"
};

enum class TSnapshotPicture { Bmp, Jpg, Gif, Png };
// "BMP", "JPG", "GIF", "PNG" and the file extensions ".bmp" ...
rtl::String PictureValue(TSnapshotPicture picture);
rtl::String PictureExtension(TSnapshotPicture picture);

// "$HOME/Tavrel视频软件/输出" and "$HOME/Tavrel视频软件/快照".
rtl::String DefaultOutputFolder();
rtl::String DefaultSnapshotFolder();

// The settings folder: "$XDG_CONFIG_HOME/tavrel/", or "$HOME/.config/tavrel/"
// when that variable is unset, empty or not an absolute path.
rtl::String SettingsFolder();
// The settings file, SettingsFolder() + "option.ini", with its folder made.
// While it does not exist, an option.ini that an earlier version kept beside
// the program is taken over: moved there, or copied when the program folder
// cannot be written. Once the settings file exists, that old file is ignored.
rtl::String SettingsFile();

class TOptionIni {
 public:
  // The user's option.ini (SettingsFile).
  TOptionIni();
  explicit TOptionIni(rtl::String fileName) : fileName_(std::move(fileName)) {}
  const rtl::String& FileName() const { return fileName_; }

  // The Options section onto the dialog's controls (`current` holds their
  // initial states): recognised values are taken, anything else becomes the
  // default and is written back. A missing thread count keeps the box's item.
  TConversionOptions ReadOptions(const TConversionOptions& current = {});
  // Thread_Count, After_Done, Show_Preview, Thread_Priority, Overwrite_File.
  void WriteOptions(const TConversionOptions& options);

  // The output folder: the stored one, created with its parents when missing
  // (used as stored even when it cannot be created); with no file, nothing
  // stored or an error, the default folder, created and written back.
  rtl::String ReadOutPath();
  // Writes the folder only when it exists; returns whether it did.
  bool WriteOutPath(const rtl::String& folder);

  // The snapshot folder, created when missing; the default when not set,
  // created and written back.
  rtl::String ResolveSnapshotFolder();
  bool WriteSnapshotFolder(const rtl::String& folder);

  // The snapshot picture type; anything but "BMP", "JPG", "GIF", "PNG"
  // writes back "BMP".
  TSnapshotPicture ReadPictureType();
  void WritePictureType(TSnapshotPicture picture);

  // The stored skin index; when not set (or not a whole number) "0" is
  // written and 0 returned. Range checks are the skin data's.
  int ReadSkinIndex();
  void WriteSkinIndex(int index);

 private:
  rtl::String Read(const char16_t* section, const char16_t* key) const;
  void Write(const char16_t* section, const char16_t* key, const rtl::String& value);
  // Reads a value that must be one of the decimal numbers lo..hi; anything
  // else writes back def and gives none.
  std::optional<int> ReadChoice(const char16_t* key, int lo, int hi, const char16_t* def);

  rtl::String fileName_;
};

}  // namespace app
