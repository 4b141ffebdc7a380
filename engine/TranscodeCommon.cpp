#include "engine/TranscodeCommon.h"

#include <cmath>
#include <cstdio>
#include <memory>

#include "platform/rtl/Strings.h"

namespace engine {

std::string FormatText(const char* AFormat, ...) {
  char small[512];
  va_list ap;
  va_start(ap, AFormat);
  int n = std::vsnprintf(small, sizeof small, AFormat, ap);
  va_end(ap);
  if (n < 0) return std::string();
  if (static_cast<size_t>(n) < sizeof small) return std::string(small, static_cast<size_t>(n));
  std::string big(static_cast<size_t>(n) + 1, '\0');
  va_start(ap, AFormat);
  std::vsnprintf(big.data(), big.size(), AFormat, ap);
  va_end(ap);
  big.resize(static_cast<size_t>(n));
  return big;
}

std::string ErrorText(const std::string& APrefix, int ACode) {
  char buf[AV_ERROR_MAX_STRING_SIZE + 64] = {};
  if (ff::av_strerror(ACode, buf, sizeof buf) < 0) std::snprintf(buf, sizeof buf, "Error number %d occurred", ACode);
  return APrefix + ": " + buf;
}

void LogText(rtl::TObject* ASender, TLogLevel ALevel, const std::string& AUtf8) {
  GetFFLogger()->Log(ASender, ALevel, rtl::Utf8ToString(AUtf8));
}

int64_t EncodeAndDeliver(TEncoderPort& APort, const AVFrame* AFrame, AVRational ATimeBase,
                         const TPacketSink& ASink, const char* AErrorText) {
  int r = APort.SendFrame(AFrame);
  // After the drain has started a second drain request is harmless.
  if (r < 0 && !(AFrame == nullptr && r == AVERROR_EOF)) throw ETranscodeError(std::string(AErrorText));
  std::unique_ptr<AVPacket, void (*)(AVPacket*)> pkt(ff::av_packet_alloc(),
                                                     [](AVPacket* p) { ff::av_packet_free(&p); });
  if (!pkt) throw ETranscodeError(std::string(AErrorText));
  int64_t bytes = 0;
  for (;;) {
    r = APort.ReceivePacket(pkt.get());
    if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) break;
    if (r < 0) throw ETranscodeError(std::string(AErrorText));
    bytes += pkt->size;
    ASink(pkt.get(), ATimeBase);
    ff::av_packet_unref(pkt.get());
  }
  return bytes;
}

double PlanePSNR(double AError, double AScale) { return -10.0 * std::log10(AError / AScale); }

}  // namespace engine
