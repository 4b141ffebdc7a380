// One transcode of a TCustomFFmpeg whose inputs and outputs are open: the
// stream set-up (pairing output streams with input streams, stream copy or
// encoding, opening encoders and decoders under CodecLock, headers), the
// packet loop with its stop checks and progress reports, the drain of
// decoders and encoders, the trailers and the final report.
//
// The run owns its stream records and everything they hold; they are freed
// on every exit, and the codecs it opened are taken off the engine's open
// codec lists before their records go. A stop ends the loop, but the
// decoders and encoders are still drained and the trailers written, so the
// file is complete and shorter. A failure raises ETranscodeError (or the
// engine's exception) with the converter's message.
//
// Threads: runs on the conversion thread (or the caller's); the progress
// event is raised from that thread.
#pragma once

namespace engine {

class TCustomFFmpeg;

// Returns True when the run ended without a stop request.
bool RunTranscode(TCustomFFmpeg& AEngine);

}  // namespace engine
