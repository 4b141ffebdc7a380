// The frame hooks of a transcode: the custom hook on every decoded picture
// (the application draws on a 24-bit bitmap that is written back into the
// picture) and the bitmap preview after encoded pictures, throttled by the
// transcoder's PreviewInterval.
//
// Threads: called on the transcode's thread. The post-hook lock guards only
// the reading of the post-hook set and the throttle; the preview event runs
// after it is released, so a handler that waits for the GUI thread cannot
// hold up other transcoders.
#pragma once

#include <cstdint>

#include "engine/FFEntries.h"

namespace engine {

class TCustomFFmpeg;

// Counts the picture and, when a custom hook is assigned, runs it on AFrame
// (made writable first). A hook that asks to stop, or a picture that cannot
// be converted, ends the hook for the rest of the run.
void PreProcessVideoFrame(TCustomFFmpeg& AEngine, AVFrame* AFrame, int64_t APtsUs);

// The post hooks after an encoded picture (the picture given to the encoder).
void RunPostHooks(TCustomFFmpeg& AEngine, const AVFrame* APicture, int AFrameNumber, int64_t APtsUs);

}  // namespace engine
