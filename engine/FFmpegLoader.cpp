#include "engine/FFmpegLoader.h"

#include <array>

#include "engine/FFEntries.h"
#include "engine/FFmpegLogger.h"
#include "engine/MyUtils.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Strings.h"

namespace engine {

using rtl::String;

std::recursive_mutex CodecLock;

namespace {

constexpr std::array<TLibraryItem, LibraryCount> kLibraries = {{
    {avCodec, "avcodec", 59, FixupAVCodec, UnfixAVCodec},
    {avDevice, "avdevice", 59, FixupAVDevice, UnfixAVDevice},
    {avFilter, "avfilter", 8, FixupAVFilter, UnfixAVFilter},
    {avFormat, "avformat", 59, FixupAVFormat, UnfixAVFormat},
    {avUtil, "avutil", 57, FixupAVUtil, UnfixAVUtil},
    {swScale, "swscale", 6, FixupSwScale, UnfixSwScale},
    {swResample, "swresample", 4, FixupSwResample, UnfixSwResample},
    {myUtil, "c", 6, FixupMyUtil, UnfixMyUtil},
    {lbSDL, "SDL-1.2", 0, FixupSDL, UnfixSDL},
}};

// Each library is loaded after the ones it needs, so that its dependencies
// resolve by soname to the copies already mapped (from LibraryPath), never
// to a second copy from the system folders.
constexpr std::array<TLibrary, LibraryCount> kLoadOrder = {
    myUtil, avUtil, swResample, swScale, avCodec, avFormat, avFilter, avDevice, lbSDL};

struct TLibraryStatus {
  void* Handle = nullptr;
  bool Fixuped = false;
};

struct LoaderState {
  std::recursive_mutex lock;
  std::array<TLibraryStatus, LibraryCount> status{};
  String lastErrMsg;
  String libraryPath;
  bool installLogger = true;
};

LoaderState& State() {
  static LoaderState* state = new LoaderState;  // outlives every static user
  return *state;
}

void UnloadLocked(TLibrary lib) {
  TLibraryStatus& s = State().status[lib];
  if (s.Fixuped) {
    kLibraries[lib].Unfix();
    s.Fixuped = false;
  }
  if (s.Handle) {
    FreeDLL(s.Handle);
    s.Handle = nullptr;
  }
}

}  // namespace

const TLibraryItem& LibraryItem(TLibrary ALib) { return kLibraries[ALib]; }

String TFFmpegLoader::GetLibraryFileName(TLibrary ALibrary) {
  const TLibraryItem& item = kLibraries[ALibrary];
  std::string name = std::string("lib") + item.Name + ".so";
  if (item.Version >= 0) name += "." + std::to_string(item.Version);
  return rtl::Utf8ToString(name);
}

bool TFFmpegLoader::Load(TLibrary ALibrary) {
  LoaderState& st = State();
  std::lock_guard guard(st.lock);
  TLibraryStatus& s = st.status[ALibrary];
  const String fileName = GetLibraryFileName(ALibrary);
  if (!s.Handle) {
    String folder = st.libraryPath;
    if (!folder.empty() && folder.back() != u'/') folder += u'/';
    String error;
    void* handle = LoadDLLFromPath(folder, fileName, error);
    if (!handle) {
      st.lastErrMsg = rtl::S("Load library ") + folder + fileName + rtl::S(" error: ") + error;
      return false;
    }
    s.Handle = handle;
  }
  if (!s.Fixuped) {
    try {
      kLibraries[ALibrary].Fixup(fileName, s.Handle);
      s.Fixuped = true;
    } catch (const rtl::Exception& e) {
      st.lastErrMsg = e.Message();
      // The names bound before the missing one would point into a library
      // that is about to be freed.
      kLibraries[ALibrary].Unfix();
    }
  }
  if (!s.Fixuped) {
    UnloadLocked(ALibrary);
    return false;
  }
  if (ALibrary == avUtil && st.installLogger) GetFFLogger()->InstallAVLogCallback();
  return true;
}

bool TFFmpegLoader::Load(TLibraries ALibraries) {
  Assert(!ALibraries.Empty(), "Library set is empty");
  LoaderState& st = State();
  std::lock_guard guard(st.lock);
  TLibraries loadedBefore;
  for (TLibrary lib : kLoadOrder)
    if (st.status[lib].Handle) loadedBefore = loadedBefore + TLibraries{lib};
  for (TLibrary lib : kLoadOrder) {
    if (!ALibraries.Contains(lib)) continue;
    if (!Load(lib)) {
      // Only what this call brought in goes away again; whatever was loaded
      // before may be in use by another user.
      for (auto it = kLoadOrder.rbegin(); it != kLoadOrder.rend(); ++it)
        if (ALibraries.Contains(*it) && !loadedBefore.Contains(*it)) UnloadLocked(*it);
      return false;
    }
  }
  return true;
}

bool TFFmpegLoader::Loaded(TLibrary ALibrary) {
  LoaderState& st = State();
  std::lock_guard guard(st.lock);
  return st.status[ALibrary].Handle && st.status[ALibrary].Fixuped;
}

bool TFFmpegLoader::Loaded(TLibraries ALibraries) {
  Assert(!ALibraries.Empty(), "Library set is empty");
  for (TLibrary lib : kLoadOrder)
    if (ALibraries.Contains(lib) && !Loaded(lib)) return false;
  return true;
}

void TFFmpegLoader::Unload(TLibrary ALibrary) {
  LoaderState& st = State();
  std::lock_guard guard(st.lock);
  UnloadLocked(ALibrary);
}

void TFFmpegLoader::Unload(TLibraries ALibraries) {
  Assert(!ALibraries.Empty(), "Library set is empty");
  LoaderState& st = State();
  std::lock_guard guard(st.lock);
  for (auto it = kLoadOrder.rbegin(); it != kLoadOrder.rend(); ++it)
    if (ALibraries.Contains(*it)) UnloadLocked(*it);
}

String TFFmpegLoader::GetLastErrMsg() {
  std::lock_guard guard(State().lock);
  return State().lastErrMsg;
}

String TFFmpegLoader::GetLibraryPath() {
  std::lock_guard guard(State().lock);
  return State().libraryPath;
}

void TFFmpegLoader::SetLibraryPath(const String& APath) {
  std::lock_guard guard(State().lock);
  State().libraryPath = APath;
}

bool TFFmpegLoader::GetInstallLogger() {
  std::lock_guard guard(State().lock);
  return State().installLogger;
}

void TFFmpegLoader::SetInstallLogger(bool AValue) {
  std::lock_guard guard(State().lock);
  State().installLogger = AValue;
}

}  // namespace engine
