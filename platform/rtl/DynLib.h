// Loading shared libraries and finding their exports at run time.
//
// Libraries are opened with RTLD_NOW | RTLD_LOCAL: every reference is bound at
// load time, so a library missing a symbol fails here and not in the middle
// of a conversion, and its exports do not leak into the global namespace (a
// local copy in LibAV can sit beside the system's). A library loaded locally
// still resolves its own dependencies the ordinary way.
//
// A file name without '/' goes through the system search (LD_LIBRARY_PATH,
// the cache, the default folders); one with '/' names exactly that file.
//
// Errors: functions return null / false and keep the loader's text of the
// failure for the calling thread in LastDynLibError(); a successful call
// leaves the text as it was. All functions are thread-safe.
#pragma once

#include <string>

#include "platform/rtl/Types.h"

namespace rtl {

using HMODULE = void*;

HMODULE LoadLibrary(const String& FileName);
HMODULE LoadLibrary(const std::string& Utf8FileName);
// Null for a symbol that is not exported, and for a null module (which the
// system call would take as "search everything loaded").
void* GetProcAddress(HMODULE Module, const char* ProcName);
bool FreeLibrary(HMODULE Module);

// Text of the last failed call of this thread, e.g. "libfoo.so.1: cannot open
// shared object file: No such file or directory"; empty if none failed yet.
String LastDynLibError();

}  // namespace rtl
