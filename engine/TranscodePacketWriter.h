// Packet output of one output stream (bitstream filters, then interleaved
// writing) and the progress report text of a run.
//
// Ownership: a writer owns its bitstream filter contexts; the format context
// is the caller's. Threads: one transcode thread.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/TranscodeCommon.h"

namespace engine {

class TPacketWriter {
 public:
  // AStream: the output stream (its index, codec parameters and time base
  // after the header was written). ABsfNames: filters in order. Raises
  // ETranscodeError for an unknown filter name or one that refuses the codec.
  TPacketWriter(AVFormatContext* AOutput, AVStream* AStream, const std::vector<std::string>& ABsfNames,
                const char* ACodecName, bool AExitOnError, rtl::TObject* ASender);
  ~TPacketWriter();
  TPacketWriter(const TPacketWriter&) = delete;
  TPacketWriter& operator=(const TPacketWriter&) = delete;

  // Writes APacket (timestamps in ATimeBase), taking its contents. Raises
  // ETranscodeError with the muxer's error when writing fails.
  void Write(AVPacket* APacket, AVRational ATimeBase);

  // The stream's output time reached (seconds): the end of its last packet.
  double OutputTime() const { return FOutputTime; }
  int64_t Packets() const { return FPackets; }
  AVStream* Stream() const { return FStream; }

 private:
  void Mux(AVPacket* APacket);
  AVFormatContext* FOutput;
  AVStream* FStream;
  std::vector<AVBSFContext*> FBsfs;
  std::string FCodecName;
  bool FExitOnError;
  rtl::TObject* FSender;
  double FOutputTime = 0;
  int64_t FPackets = 0;
  int64_t FLastDts = AV_NOPTS_VALUE;
};

// One report line and the values of the progress event.
struct TProgressValues {
  int frame_number = -1;
  int fps = -1;
  float quality = -1.0f;
  double bitrate = 0;       // kbit/s
  int64_t size = 0;         // bytes of the first output
  double time = 0;          // seconds reached
  std::string text;
  bool skipped = false;     // no video frame written yet: nothing to report
};

struct TProgressVideo {
  int64_t frame_number;
  float quality;  // -1 for a copied stream
  bool show_fps;
  // The encoder measures its errors: the squared errors per plane (Y, U, V)
  // of the last coded picture, or of the whole run in the last report, and
  // the picture size they were measured on.
  bool psnr = false;
  double error[3] = {0, 0, 0};
  int width = 0, height = 0;
};

// Counts of the rounded quantiser (0 to 51) of reported pictures, shared by
// every run of the process and never reset.
extern std::array<std::atomic<int32_t>, 52> QPHistogram;

// Counts AQuality in QPHistogram and gives the first 32 counts as hex digits
// (log2 of count + 1, rounded).
std::string QPHistogramText(float AQuality);

// Builds the report: AVideo lists the video output streams in table order,
// AOutputTimes the times (seconds) of the output streams that still hold the
// report back (the earliest is the time reported), AElapsed the seconds since
// the run began.
// AQpHist: count the reported quantiser and show the histogram.
TProgressValues BuildProgress(const std::vector<TProgressVideo>& AVideo, const std::vector<double>& AOutputTimes,
                              int64_t ASize, double AElapsed, bool ALast, int ADup, int ADrop, bool AQpHist = false);

}  // namespace engine
