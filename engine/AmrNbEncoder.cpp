#include "engine/AmrNbEncoder.h"

#include <opencore-amrnb/interf_enc.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "engine/MyUtils.h"
#include "platform/rtl/Strings.h"

namespace engine {

namespace {

constexpr int kModeRates[8] = {4750, 5150, 5900, 6700, 7400, 7950, 10200, 12200};
// Storage-format frame: the mode byte and at most 31 bytes of speech bits.
constexpr int kMaxFrameBytes = 32;

struct TAmrNbLibrary {
  decltype(&::Encoder_Interface_init) init = nullptr;
  decltype(&::Encoder_Interface_exit) exit = nullptr;
  decltype(&::Encoder_Interface_Encode) encode = nullptr;
  std::string error;
};

// Loaded once and kept for the life of the process: encoders may run on
// several conversion threads at the same time.
const TAmrNbLibrary& Library() {
  static TAmrNbLibrary lib;
  static std::once_flag once;
  std::call_once(once, [] {
    rtl::String err;
    void* h = LoadDLLFromPath(u"", u"libopencore-amrnb.so.0", err);
    if (!h) {
      lib.error = "Load library libopencore-amrnb.so.0 error: " + rtl::U8(err);
      return;
    }
    try {
      BindFunction(u"libopencore-amrnb.so.0", h, "Encoder_Interface_init", lib.init);
      BindFunction(u"libopencore-amrnb.so.0", h, "Encoder_Interface_exit", lib.exit);
      BindFunction(u"libopencore-amrnb.so.0", h, "Encoder_Interface_Encode", lib.encode);
    } catch (const rtl::Exception& e) {
      lib.init = nullptr;
      lib.exit = nullptr;
      lib.encode = nullptr;
      lib.error = rtl::U8(e.Message());
    }
  });
  return lib;
}

}  // namespace

int AmrNbModeForBitRate(int64_t ABitRate) {
  int best = 0;
  for (int m = 1; m < 8; ++m)
    if (std::llabs(kModeRates[m] - ABitRate) < std::llabs(kModeRates[best] - ABitRate)) best = m;
  return best;
}

int AmrNbBitRateOfMode(int AMode) { return kModeRates[std::clamp(AMode, 0, 7)]; }

bool AmrNbAvailable(std::string* AError) {
  const TAmrNbLibrary& lib = Library();
  if (AError) *AError = lib.error;
  return lib.encode != nullptr;
}

TAmrNbEncoder::TAmrNbEncoder(int64_t ABitRate, bool ADtx) : FMode(AmrNbModeForBitRate(ABitRate)) {
  std::string err;
  if (!AmrNbAvailable(&err)) throw ETranscodeError(err);
  FState = Library().init(ADtx ? 1 : 0);
  if (!FState) throw ETranscodeError(std::string("Cannot start the AMR-NB encoder"));
}

TAmrNbEncoder::~TAmrNbEncoder() {
  if (FState) Library().exit(FState);
}

int TAmrNbEncoder::SendFrame(const AVFrame* AFrame) {
  if (FDraining) return AVERROR_EOF;
  if (!AFrame) {
    FDraining = true;
    return 0;
  }
  if (AFrame->format != AV_SAMPLE_FMT_S16 || AFrame->ch_layout.nb_channels != 1 ||
      AFrame->nb_samples <= 0 || AFrame->nb_samples > AmrNbFrameSize)
    return AVERROR(EINVAL);
  int16_t speech[AmrNbFrameSize] = {};
  std::memcpy(speech, AFrame->data[0], static_cast<size_t>(AFrame->nb_samples) * 2);
  TQueued q;
  q.Data.resize(kMaxFrameBytes);
  int n = Library().encode(FState, static_cast<enum ::Mode>(FMode), speech, q.Data.data(), 0);
  if (n <= 0 || n > kMaxFrameBytes) return AVERROR_EXTERNAL;
  q.Data.resize(static_cast<size_t>(n));
  q.Pts = AFrame->pts != AV_NOPTS_VALUE ? AFrame->pts : FNextPts;
  FNextPts = q.Pts + AmrNbFrameSize;
  FQueue.push_back(std::move(q));
  return 0;
}

int TAmrNbEncoder::ReceivePacket(AVPacket* APacket) {
  if (FQueue.empty()) return FDraining ? AVERROR_EOF : AVERROR(EAGAIN);
  TQueued& q = FQueue.front();
  int r = ff::av_new_packet(APacket, static_cast<int>(q.Data.size()));
  if (r < 0) return r;
  std::memcpy(APacket->data, q.Data.data(), q.Data.size());
  APacket->pts = APacket->dts = q.Pts;
  APacket->duration = AmrNbFrameSize;
  APacket->flags |= AV_PKT_FLAG_KEY;
  APacket->time_base = AVRational{1, AmrNbSampleRate};
  FQueue.pop_front();
  return 0;
}

}  // namespace engine
