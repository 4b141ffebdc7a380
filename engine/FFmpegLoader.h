// The one process-wide loader of the FFmpeg, SDL and C libraries.
//
// The engine, the media probe and the preview player set LibraryPath, Load
// their set and, on False, report LastErrMsg. Load binds every entry point of
// a library (FFEntries.h); Loaded tells whether a library's entry points may
// be called. A library is looked for in LibraryPath first, then by the
// system search.
//
// Ownership: libraries are shared between users without reference counts.
// A failed Load of a set frees only what that very call loaded, so a library
// in use by another user (a running conversion) is never freed under it.
// Unload frees what it is told to; callers unload only what they own.
//
// Threads: Load/Unload are meant for the GUI thread; all operations are
// serialised internally, so Loaded may be asked from any thread.
//
// Floating point: the codecs expect every floating-point exception masked;
// on x86-64 the SSE control word already masks them all, so the loader
// leaves the control word as it is.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <mutex>

#include "platform/rtl/Object.h"
#include "platform/rtl/Types.h"

namespace engine {

enum TLibrary : uint8_t {
  avCodec, avDevice, avFilter, avFormat, avUtil, swScale, swResample, myUtil, lbSDL
};
inline constexpr int LibraryCount = lbSDL + 1;

// A set of libraries.
class TLibraries {
 public:
  constexpr TLibraries() = default;
  constexpr TLibraries(std::initializer_list<TLibrary> ALibs) {
    for (TLibrary l : ALibs) bits_ |= Bit(l);
  }
  constexpr bool Contains(TLibrary ALib) const { return (bits_ & Bit(ALib)) != 0; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr TLibraries operator+(TLibraries o) const { return FromBits(bits_ | o.bits_); }
  constexpr TLibraries operator-(TLibraries o) const { return FromBits(bits_ & ~o.bits_); }
  constexpr TLibraries operator*(TLibraries o) const { return FromBits(bits_ & o.bits_); }
  friend constexpr bool operator==(TLibraries, TLibraries) = default;

 private:
  static constexpr uint32_t Bit(TLibrary l) { return 1u << l; }
  static constexpr TLibraries FromBits(uint32_t b) {
    TLibraries r;
    r.bits_ = b;
    return r;
  }
  uint32_t bits_ = 0;
};

// The sets of the loader's users. The transcoder and the player convert
// audio, so they also take libswresample.
inline constexpr TLibraries TranscoderLibraries{avCodec, avFilter, avFormat, avUtil,
                                                swScale, swResample, myUtil};
inline constexpr TLibraries ProbeLibraries{avCodec, avFormat, avUtil, swScale, myUtil};
inline constexpr TLibraries PlayerLibraries = TranscoderLibraries + TLibraries{lbSDL};

// One constant row per library.
struct TLibraryItem {
  TLibrary Lib;
  const char* Name;  // base name: file "lib" + Name + ".so." + Version
  int Version;       // -1: the file name carries no version
  void (*Fixup)(const rtl::String& ALibName, void* AHandle);
  void (*Unfix)();
};
const TLibraryItem& LibraryItem(TLibrary ALib);

class TFFmpegLoader : public rtl::TObject {
 public:
  // Loads and binds one library; True when it is loaded and bound afterwards.
  static bool Load(TLibrary ALibrary);
  // Loads every member in dependency order (avutil first). On the first
  // failure frees the members this call loaded and returns False.
  static bool Load(TLibraries ALibraries);
  static bool Loaded(TLibrary ALibrary);
  static bool Loaded(TLibraries ALibraries);
  static void Unload(TLibrary ALibrary);
  static void Unload(TLibraries ALibraries);
  // "lib<name>.so.<version>", e.g. libavcodec.so.59.
  static rtl::String GetLibraryFileName(TLibrary ALibrary);

  // The text of the last failure; replaced by each failure, never cleared.
  static rtl::String GetLastErrMsg();
  static rtl::String GetLibraryPath();
  static void SetLibraryPath(const rtl::String& APath);
  // Whether loading avutil installs the logger's FFmpeg callback (default True).
  static bool GetInstallLogger();
  static void SetInstallLogger(bool AValue);
};

inline TFFmpegLoader GlobalFFmpegLoader;

// Serialises every avcodec_open2/avcodec_close of the process (transcoder,
// probe, player) and the transcoder's avformat_find_stream_info. Hold it with
// std::lock_guard; never hold it across a wait for the GUI thread.
extern std::recursive_mutex CodecLock;

}  // namespace engine
