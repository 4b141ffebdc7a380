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
// event is raised from that thread. Codecs may run threads of their own (see
// CodecThreadCount).
#pragma once

namespace engine {

class TCustomFFmpeg;

// Returns True when the run ended without a stop request.
bool RunTranscode(TCustomFFmpeg& AEngine);

// Codec threads. A run's video decoders and encoders get the cores that the
// conversions running beside it leave idle (FFmpeg's frame and slice
// threads); with every core taken each codec keeps one thread.
inline constexpr int kMaxCodecThreads = 16;
// Conversions whose transcode is under way in this process.
int RunningTranscodes();
// The cores this process may run on.
int UsableCores();
// Threads per video codec of a run that shares ACores with ARunning runs
// (itself included): its share of the cores, 1 to kMaxCodecThreads.
int CodecThreadCount(int ACores, int ARunning);

}  // namespace engine
