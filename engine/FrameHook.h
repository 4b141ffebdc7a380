// Video-hook libraries: shared libraries named by the transcoder's "vhook"
// option that change every decoded picture before it is encoded. A library
// exports, with C calling convention:
//   int  Configure(void** ctxp, int argc, char* argv[], int lastIndex);  // 0: ok
//   void Process(void* ctx, TFrameHookPicture* pict, int pixFmt, int width,
//                int height, int64_t pts);
//   void Release(void* ctx);                                           // optional
// argv[0] is the library's path. Each transcoder keeps a chain of the hooks
// its options added, in order; each entry has its own ctx.
//
// Libraries are loaded once per path (exact, case-sensitive: Linux paths)
// and stay loaded until the process ends. A path with a folder is loaded
// from that folder; the library's own dependencies are found through its
// run path, so neither the current folder nor PATH is changed.
//
// Threads: FrameHookAdd may run on any thread (the library list is locked);
// a chain is used by one transcoder's thread at a time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/FFUtils.h"

namespace engine {

// The picture handed to Process: plane pointers and line sizes.
using TFrameHookPicture = TAVPicture;

using TFrameHookConfigureFn = int (*)(void** ctxp, int argc, char* argv[], int lastIndex);
using TFrameHookProcessFn = void (*)(void* ctx, TFrameHookPicture* pict, int pixFmt, int width, int height,
                                     int64_t pts);
using TFrameHookReleaseFn = void (*)(void* ctx);

struct TFrameHookEntry {
  TFrameHookEntry* next;
  TFrameHookConfigureFn Configure;
  TFrameHookProcessFn Process;
  TFrameHookReleaseFn Release;
  void* ctx;
  // The arguments Configure was given (64 slots, the unused ones null): a
  // hook may keep pointers into them, so they live as long as the entry.
  char** argv;
};
using PFrameHookEntry = TFrameHookEntry*;

// Loads (once) the library AArgs[0] and appends an entry to the chain:
// 0; -1 when the library cannot be loaded; -2 without arguments, without
// "Process", or without "Configure" while arguments are given; -12 out of
// memory; -22 when Configure fails. Failures are logged at error level.
int FrameHookAdd(PFrameHookEntry& AChain, const std::vector<std::string>& AArgs);
// Runs every hook of the chain on the picture, in chain order.
void FrameHookProcess(PFrameHookEntry AFirst, TFrameHookPicture* APicture, int APixFmt, int AWidth, int AHeight,
                      int64_t APTS);
// Releases every hook and empties the chain; the libraries stay loaded.
void FrameHookRelease(PFrameHookEntry& AChain);
// How many distinct hook libraries are loaded (for tests).
int FrameHookLibraryCount();

}  // namespace engine
