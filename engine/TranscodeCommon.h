// Shared pieces of the transcode stages (audio output, video output, packet
// output, progress text): the stage error, the log helper and the packet sink.
//
// Threads: a stage belongs to one transcode and runs on its thread only.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <functional>
#include <string>

#include "engine/FFEntries.h"
#include "engine/FFmpegLogger.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Object.h"

namespace engine {

// A failure of a transcode stage; the message is the converter's own text.
class ETranscodeError : public rtl::Exception {
 public:
  using Exception::Exception;
  explicit ETranscodeError(const std::string& AUtf8) : Exception(AUtf8.c_str()) {}
};

// printf-style text (UTF-8).
std::string FormatText(const char* AFormat, ...) __attribute__((format(printf, 1, 2)));

// APrefix + ": " + FFmpeg's text of an error code (system errors included,
// e.g. "No space left on device").
std::string ErrorText(const std::string& APrefix, int ACode);

// One engine log line through the global logger.
void LogText(rtl::TObject* ASender, TLogLevel ALevel, const std::string& AUtf8);

// The peak signal-to-noise ratio (dB) of a summed squared error against
// AScale, the sum a full-scale error would reach.
double PlanePSNR(double AError, double AScale);

// Receives an encoded packet whose timestamps are in ATimeBase (the
// encoder's). The sink takes the packet's contents (it may move its
// reference); the caller unrefs what is left.
using TPacketSink = std::function<void(AVPacket* APacket, AVRational ATimeBase)>;

// The coding half of an encoder: FFmpeg's send/receive pair, or an encoder of
// the engine's own with the same contract (0, AVERROR(EAGAIN), AVERROR_EOF or
// an error code).
class TEncoderPort {
 public:
  virtual ~TEncoderPort() = default;
  // AFrame nullptr starts the drain.
  virtual int SendFrame(const AVFrame* AFrame) = 0;
  virtual int ReceivePacket(AVPacket* APacket) = 0;
};

// The port of an opened FFmpeg encoder (not owned).
class TAVCodecPort final : public TEncoderPort {
 public:
  explicit TAVCodecPort(AVCodecContext* AEnc) : FEnc(AEnc) {}
  int SendFrame(const AVFrame* AFrame) override { return ff::avcodec_send_frame(FEnc, AFrame); }
  int ReceivePacket(AVPacket* APacket) override { return ff::avcodec_receive_packet(FEnc, APacket); }

 private:
  AVCodecContext* FEnc;
};

// Sends AFrame (nullptr: drain) and hands every packet that comes out to
// ASink; returns the bytes handed on. A refusal of the frame or a failed
// receive raises ETranscodeError(AErrorText).
int64_t EncodeAndDeliver(TEncoderPort& APort, const AVFrame* AFrame, AVRational ATimeBase,
                         const TPacketSink& ASink, const char* AErrorText);

}  // namespace engine
