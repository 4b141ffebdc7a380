// AMR-NB (narrow-band speech) encoding over the system's opencore-amrnb
// library, which is bound at run time on first use (libopencore-amrnb.so.0).
//
// Input: 8000 Hz mono signed 16-bit frames of 160 samples (20 ms); a shorter
// last frame is padded with silence. Output: one packet per frame in the
// storage format (a mode byte, then the speech bits) that FFmpeg's amr and
// 3gp muxers take as they stand; pts in 1/8000, duration 160.
//
// Ownership: the encoder owns its library state and its queued packets.
// Threads: one thread at a time; several encoders may run at once.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "engine/TranscodeCommon.h"

namespace engine {

inline constexpr int AmrNbSampleRate = 8000;
inline constexpr int AmrNbFrameSize = 160;

// The AMR-NB mode (0 = 4.75 kbit/s .. 7 = 12.2 kbit/s) whose rate is nearest
// to ABitRate (bit/s); a tie takes the lower rate.
int AmrNbModeForBitRate(int64_t ABitRate);
// The rate of a mode in bit/s.
int AmrNbBitRateOfMode(int AMode);

// True when the library could be loaded and bound (the text of the failure
// otherwise).
bool AmrNbAvailable(std::string* AError = nullptr);

class TAmrNbEncoder final : public TEncoderPort {
 public:
  // Raises ETranscodeError when the library is missing or refuses to start.
  explicit TAmrNbEncoder(int64_t ABitRate, bool ADtx = false);
  ~TAmrNbEncoder() override;
  TAmrNbEncoder(const TAmrNbEncoder&) = delete;
  TAmrNbEncoder& operator=(const TAmrNbEncoder&) = delete;

  int Mode() const { return FMode; }
  // A frame of s16 mono samples (at most 160); nullptr starts the drain.
  int SendFrame(const AVFrame* AFrame) override;
  int ReceivePacket(AVPacket* APacket) override;

 private:
  struct TQueued {
    std::vector<uint8_t> Data;
    int64_t Pts;
  };
  void* FState = nullptr;
  int FMode;
  int64_t FNextPts = 0;
  bool FDraining = false;
  std::deque<TQueued> FQueue;
};

}  // namespace engine
