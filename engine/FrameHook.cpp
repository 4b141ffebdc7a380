#include "engine/FrameHook.h"

#include <dlfcn.h>

#include <map>
#include <mutex>

namespace engine {

namespace {

std::mutex& HookLibraryLock() {
  static std::mutex lock;
  return lock;
}

std::map<std::string, void*>& HookLibraries() {
  static std::map<std::string, void*> libraries;
  return libraries;
}

void FreeEntry(PFrameHookEntry AEntry) {
  if (AEntry->argv)
    for (int i = 0; i < 64; ++i) ff::av_free(AEntry->argv[i]);
  ff::av_free(AEntry->argv);
  ff::av_free(AEntry);
}

}  // namespace

int FrameHookAdd(PFrameHookEntry& AChain, const std::vector<std::string>& AArgs) {
  if (AArgs.empty()) return -2;
  const std::string& path = AArgs[0];
  void* handle;
  {
    std::lock_guard g(HookLibraryLock());
    auto it = HookLibraries().find(path);
    if (it != HookLibraries().end()) {
      handle = it->second;
    } else {
      handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
      if (!handle) {
        const char* err = dlerror();
        ff::av_log(nullptr, AV_LOG_ERROR, "%s\n", err ? err : path.c_str());
        return -1;
      }
      HookLibraries().emplace(path, handle);
    }
  }
  auto* entry = static_cast<TFrameHookEntry*>(ff::av_mallocz(sizeof(TFrameHookEntry)));
  if (!entry) return -12;
  entry->Configure = reinterpret_cast<TFrameHookConfigureFn>(dlsym(handle, "Configure"));
  entry->Process = reinterpret_cast<TFrameHookProcessFn>(dlsym(handle, "Process"));
  entry->Release = reinterpret_cast<TFrameHookReleaseFn>(dlsym(handle, "Release"));
  if (!entry->Process) {
    ff::av_log(nullptr, AV_LOG_ERROR, "Failed to find Process entrypoint in %s\n", path.c_str());
    ff::av_free(entry);
    return -2;
  }
  const int argc = static_cast<int>(AArgs.size());
  if (!entry->Configure && argc > 1) {
    ff::av_log(nullptr, AV_LOG_ERROR, "Failed to find Configure entrypoint in %s\n", path.c_str());
    ff::av_free(entry);
    return -2;
  }
  if (entry->Configure) {
    // A 64-element argument array, as the option handler passes it.
    entry->argv = static_cast<char**>(ff::av_mallocz(64 * sizeof(char*)));
    if (!entry->argv) {
      ff::av_free(entry);
      return -12;
    }
    for (int i = 0; i < argc && i < 64; ++i) {
      entry->argv[i] = ff::av_strdup(AArgs[i].c_str());
      if (!entry->argv[i]) {
        FreeEntry(entry);
        return -12;
      }
    }
    if (entry->Configure(&entry->ctx, argc, entry->argv, 63) != 0) {
      ff::av_log(nullptr, AV_LOG_ERROR, "Failed to Configure %s\n", path.c_str());
      FreeEntry(entry);
      return -22;
    }
  }
  PFrameHookEntry* tail = &AChain;
  while (*tail) tail = &(*tail)->next;
  *tail = entry;
  return 0;
}

void FrameHookProcess(PFrameHookEntry AFirst, TFrameHookPicture* APicture, int APixFmt, int AWidth, int AHeight,
                      int64_t APTS) {
  for (PFrameHookEntry e = AFirst; e; e = e->next) e->Process(e->ctx, APicture, APixFmt, AWidth, AHeight, APTS);
}

void FrameHookRelease(PFrameHookEntry& AChain) {
  while (AChain) {
    PFrameHookEntry e = AChain;
    AChain = e->next;
    if (e->Release) e->Release(e->ctx);
    FreeEntry(e);
  }
}

int FrameHookLibraryCount() {
  std::lock_guard g(HookLibraryLock());
  return static_cast<int>(HookLibraries().size());
}

}  // namespace engine
