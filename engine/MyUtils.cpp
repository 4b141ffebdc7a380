#include "engine/MyUtils.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <mutex>

#include "platform/rtl/Strings.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Threads.h"

namespace engine {

using rtl::String;

void Assert(bool ACondition, const char* AMessage) {
  if (!ACondition) throw EAssertionFailed(AMessage);
}

namespace {

std::string DlError() {
  const char* e = dlerror();
  return e ? e : "unknown error";
}

}  // namespace

// Linux has no altered search path: dlopen ignores PATH and the current
// directory, so a library's own dependencies are found by soname. The loader
// therefore loads libraries in dependency order instead of changing either.
void* LoadDLLFromPath(const String& AFolder, const String& AFileName, String& AError) {
  std::string folder = rtl::U8(AFolder);
  std::string file = rtl::U8(AFileName);
  std::string path;
  if (!folder.empty()) {
    if (folder.back() != '/') folder += '/';
    if (access((folder + file).c_str(), F_OK) == 0) path = folder + file;
  }
  if (path.empty()) path = file;
  dlerror();
  // Freeing a library drops the handle but keeps the code mapped: FFmpeg's
  // own dependencies (codec libraries with static state and registrations)
  // cannot be unmapped safely from a running process, and a late call
  // through a stale pointer must not land in unmapped memory.
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (!handle) AError = rtl::Utf8ToString(DlError());
  return handle;
}

void FreeDLL(void* AHandle) {
  if (AHandle) dlclose(AHandle);
}

void* BindAddress(const String& ALibName, void* AHandle, const char* AName, bool AOptional,
                  bool AIsVariable) {
  dlerror();
  void* address = AHandle ? dlsym(AHandle, AName) : nullptr;
  if (!address && !AOptional) {
    std::string reason = AHandle ? DlError() : "invalid handle";
    std::string msg = std::string(AIsVariable ? "Load variable " : "Load function ") + AName +
                      "@" + rtl::U8(ALibName) + " error: " + reason;
    throw rtl::Exception(msg.c_str());
  }
  return address;
}

rtl::Int64 FileSizeByName(const String& AFileName) {
  struct stat st;
  if (AFileName.empty() || stat(rtl::U8(AFileName).c_str(), &st) != 0 || S_ISDIR(st.st_mode))
    return -1;
  return static_cast<rtl::Int64>(st.st_size);
}

String GetExeName() {
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return String();
  return rtl::Utf8ToString(std::string_view(buf, static_cast<size_t>(n)));
}

String GetExePath() {
  String name = GetExeName();
  return name.substr(0, name.rfind(u'/') + 1);
}

namespace {

template <class Str, class Sep>
void SplitFirstImpl(Str& S, const Sep& ASeparator, bool ARemove, Str& AHead) {
  size_t pos = ASeparator.empty() ? Str::npos : S.find(ASeparator);
  if (pos == Str::npos) {
    AHead = S;
    if (ARemove) S.clear();
    return;
  }
  Str head = S.substr(0, pos);
  if (ARemove) S.erase(0, pos + ASeparator.size());
  AHead = std::move(head);
}

}  // namespace

void SplitFirst(String& S, const String& ASeparator, bool ARemove, String& AHead) {
  SplitFirstImpl(S, ASeparator, ARemove, AHead);
}

void SplitFirst(std::string& S, std::string_view ASeparator, bool ARemove, std::string& AHead) {
  SplitFirstImpl(S, ASeparator, ARemove, AHead);
}

String FormatByteSize(rtl::Int64 ASize) {
  char buf[64];
  const long double size = static_cast<long double>(ASize);
  if (ASize > 1073741824)
    snprintf(buf, sizeof buf, "%.2Lf GB", size / 1073741824.0L);
  else if (ASize > 1048576)
    snprintf(buf, sizeof buf, "%.2Lf MB", size / 1048576.0L);
  else if (ASize > 1024)
    snprintf(buf, sizeof buf, "%.2Lf KB", size / 1024.0L);
  else
    snprintf(buf, sizeof buf, "%lld Byte", static_cast<long long>(ASize));
  return rtl::Utf8ToString(buf);
}

double LocalUTCOffsetDays() {
  // tzset fills `timezone`: seconds west of UTC for standard time, which is
  // the zone's base bias without daylight saving.
  static std::mutex tzLock;
  std::lock_guard lock(tzLock);
  tzset();
  return -static_cast<double>(timezone) / 86400.0;
}

double UnixTimeToDateTime(rtl::Int64 ASeconds) {
  return LocalUTCOffsetDays() + (static_cast<double>(ASeconds) / 86400.0 + 25569.0);
}

void DateTimeToText(const String& AFormat, String& AText, double ADateTime) {
  AText = rtl::FormatDateTime(AFormat, ADateTime);
}

void CallMethodInMainThread(const std::function<void()>& AMethod) {
  rtl::TThread::Synchronize(nullptr, AMethod);
}

void QueueMethodInMainThread(std::function<void()> AMethod) {
  rtl::TThread::Queue(nullptr, std::move(AMethod));
}

namespace {

// A hook any thread may set while the GUI thread calls a copy of it.
template <class F>
class TGuardedHook {
 public:
  void Set(F AValue) {
    std::lock_guard lock(FLock);
    FValue = std::move(AValue);
  }
  F Get() {
    std::lock_guard lock(FLock);
    return FValue;
  }

 private:
  std::mutex FLock;
  F FValue;
};

TGuardedHook<TMessagePump> gPump;
TGuardedHook<TExceptionHandler> gExceptionHandler;

}  // namespace

void SetMessagePump(TMessagePump APump) { gPump.Set(std::move(APump)); }

bool PumpOneMessage() {
  if (TMessagePump pump = gPump.Get()) return pump();
  return rtl::CheckSynchronize(0);
}

void PumpMessages() {
  while (PumpOneMessage()) {
  }
}

void SetExceptionHandler(TExceptionHandler AHandler) { gExceptionHandler.Set(std::move(AHandler)); }

void HandleEventException(rtl::TObject* ASender) {
  const TExceptionHandler handler = gExceptionHandler.Get();
  try {
    if (handler) {
      handler(ASender);
      return;
    }
    throw;
  } catch (const rtl::Exception& e) {
    std::fprintf(stderr, "exception in an event handler: %s\n", rtl::U8(e.Message()).c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "exception in an event handler: %s\n", e.what());
  } catch (...) {
    std::fprintf(stderr, "exception in an event handler\n");
  }
}

}  // namespace engine
