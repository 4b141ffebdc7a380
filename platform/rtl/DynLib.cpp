#include "platform/rtl/DynLib.h"

#include <dlfcn.h>

#include "platform/rtl/Strings.h"

namespace rtl {

namespace {

thread_local std::string tLastError;

void Fail(const std::string& fallback) {
  const char* text = ::dlerror();
  tLastError = text ? text : fallback;
}

}  // namespace

HMODULE LoadLibrary(const std::string& Utf8FileName) {
  // dlopen(NULL) or dlopen("") would hand back the program itself.
  if (Utf8FileName.empty()) {
    tLastError = "empty library file name";
    return nullptr;
  }
  ::dlerror();
  void* handle = ::dlopen(Utf8FileName.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) Fail(Utf8FileName + ": cannot load library");
  return handle;
}

HMODULE LoadLibrary(const String& FileName) { return LoadLibrary(StringToUtf8(FileName)); }

void* GetProcAddress(HMODULE Module, const char* ProcName) {
  if (!Module) {
    tLastError = "invalid library handle";
    return nullptr;
  }
  if (!ProcName || !*ProcName) {
    tLastError = "empty symbol name";
    return nullptr;
  }
  ::dlerror();
  void* address = ::dlsym(Module, ProcName);
  if (!address) Fail(std::string(ProcName) + ": symbol has no address");
  return address;
}

bool FreeLibrary(HMODULE Module) {
  if (!Module) {
    tLastError = "invalid library handle";
    return false;
  }
  ::dlerror();
  if (::dlclose(Module) != 0) {
    Fail("cannot unload library");
    return false;
  }
  return true;
}

String LastDynLibError() { return Utf8ToString(tLastError); }

}  // namespace rtl
