// The audio output stage of one encoded output stream: decoded blocks in,
// encoded packets out.
//
// Each block is converted to the encoder's sample format, rate and channel
// layout (libswresample; planar and float formats alike, all arithmetic in
// samples), kept in step with the input's timestamps (sync method 0: follow
// them; 1: drop or pad with silence; above 1: also stretch the resampler by
// up to that many samples per block), collected in a sample FIFO and encoded
// in the encoder's fixed frame size, or one frame per block for encoders
// without one (PCM). Drain sends the FIFO's remainder (padded with silence
// when the encoder needs whole frames) and empties the encoder.
//
// Ownership: the stage owns its resampler, FIFO and buffers; the encoder port
// and the packet sink belong to the caller and outlive the stage.
// Threads: one transcode thread.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/TranscodeCommon.h"

namespace engine {

struct TAudioOutputParams {
  // The encoder's side.
  AVSampleFormat out_fmt = AV_SAMPLE_FMT_S16;
  int out_rate = 44100;
  AVChannelLayout out_layout{};  // copied by the stage
  int frame_size = 0;            // samples per encoder frame; <= 1: any size
  bool small_last_frame = false; // the encoder takes a short last frame
  AVRational time_base{0, 0};    // of the encoder's packets (1/out_rate when unset)
  // Behaviour.
  int sync_method = 0;
  float drift_threshold = 0.1f;
  bool resample = false;  // set up to resample (rates differ or sync method > 1)
  bool exit_on_error = false;
  int verbose = 1;
};

// The parameters for an opened FFmpeg encoder.
TAudioOutputParams AudioParamsFromEncoder(const AVCodecContext* AEnc, int ASyncMethod,
                                          float ADriftThreshold);

class TAudioOutput {
 public:
  TAudioOutput(const TAudioOutputParams& AParams, TEncoderPort& APort, TPacketSink ASink,
               rtl::TObject* ASender);
  ~TAudioOutput();
  TAudioOutput(const TAudioOutput&) = delete;
  TAudioOutput& operator=(const TAudioOutput&) = delete;

  // One decoded block. ASyncTime: the sync stream's position in seconds
  // (its pts minus the start time); AIsStart: that stream's flag, cleared
  // by the first drop or pad.
  void Write(const AVFrame* ABlock, double ASyncTime, int& AIsStart);
  // The FIFO's remainder and the encoder's delayed packets.
  void Drain();

  // Samples handed to the encoder so far (in the encoder's rate).
  int64_t sync_opts = 0;
  // Encoded bytes so far.
  int64_t EncodedBytes = 0;

  bool Resampling() const { return FResample; }
  bool Converting() const { return FSwr != nullptr; }
  int ResamplerBuilds() const { return FSwrBuilds; }
  SwrContext* Swr() const { return FSwr; }
  int FifoSamples() const;

 private:
  void EnsureConverter(const AVFrame* ABlock);
  void EncodeFrame(int ANbSamples);
  uint8_t** OutPlanes(int ASamples);

  TAudioOutputParams P;
  TEncoderPort& FPort;
  TPacketSink FSink;
  rtl::TObject* FSender;
  bool FResample;
  SwrContext* FSwr = nullptr;
  int FSwrBuilds = 0;
  int64_t FNextPts = AV_NOPTS_VALUE;  // in samples
  // The input the converter was made for.
  AVSampleFormat FInFmt = AV_SAMPLE_FMT_NONE;
  int FInRate = 0;
  AVChannelLayout FInLayout{};
  AVAudioFifo* FFifo = nullptr;
  AVFrame* FFrame = nullptr;
  // Converted samples (one plane per channel for planar formats).
  std::vector<std::vector<uint8_t>> FOut;
  std::vector<uint8_t*> FOutPtrs;
  // Silence followed by the input block.
  std::vector<std::vector<uint8_t>> FPad;
  std::vector<uint8_t*> FPadPtrs;
};

// Scales every sample of a writable block by AVolume/256 (256: unchanged),
// in its own format; integer formats are rounded and clipped.
void ApplyVolume(AVFrame* ABlock, int AVolume);

}  // namespace engine
