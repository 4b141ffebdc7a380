// The frame hooks of a transcode: on every decoded picture either the custom
// hook (the application draws on a 24-bit bitmap that is written back into
// the picture) or the chain of video-hook libraries ("vhook"); after encoded
// pictures the live preview, as a bitmap event or in the transcoder's own
// preview window, throttled by the transcoder's PreviewInterval.
//
// Threads: called on the transcode's thread. The post-hook lock guards only
// the reading of the post-hook set, the throttle and the preview window's
// creation; the preview event and the painting run after it is released, so
// a handler or a window that waits for the GUI thread cannot hold up other
// transcoders, nor a GUI thread that changes the set.
#pragma once

#include <cstdint>

#include "engine/FFEntries.h"

namespace engine {

class TCustomFFmpeg;

// Counts the picture, deinterlaces it when asked ("deinterlace"), then runs
// the custom hook when one is assigned, else the video-hook libraries, on
// AFrame (made writable first). The hooks therefore see the deinterlaced
// picture. A hook that asks to stop, or a picture that cannot be converted,
// ends the hooks for the rest of the run.
void PreProcessVideoFrame(TCustomFFmpeg& AEngine, AVFrame* AFrame, int64_t APtsUs);

// Deinterlaces an 8-bit planar (or grey) picture in place by blending the
// second field's lines from the first field's; false for other formats and
// pictures under three lines, which are left as they are.
bool DeinterlacePicture(AVFrame* AFrame);

// The post hooks after an encoded picture (the picture given to the encoder).
void RunPostHooks(TCustomFFmpeg& AEngine, const AVFrame* APicture, int AFrameNumber, int64_t APtsUs);

}  // namespace engine
