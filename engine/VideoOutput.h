// The video output stage of one encoded output stream: decoded pictures in,
// encoded packets out; and the subtitle encoder.
//
// Pictures pass through a filter graph (buffer source, crop, scale, the
// user's chain, buffer sink taking the encoder's pixel format) whenever the
// geometry, the pixel format or the user asks for it; a change of the input
// size mid-stream rebuilds the graph with the crop bands scaled in
// proportion, so the encoded size never changes. Each filtered picture is
// then written none, one or several times to keep the encoder's constant
// frame rate against the input timestamps (VideoSyncCount), the stop
// predicate being asked before every copy.
//
// Ownership: the stage owns its graph and frames; the encoder port, the
// sink and the pass log file belong to the caller.
// Threads: one transcode thread.
#pragma once

#include <climits>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "engine/TranscodeCommon.h"

namespace engine {

// How often a picture due at ASyncTime (in output frames) is written, given
// the frames written so far (ASyncOpts, which method 0 and the variable
// frame-rate jump reset). AMethod: 0 follow the input, 1 duplicate and drop,
// 2 drop only, below 0: 2 for AVariableFps formats and 1 otherwise.
int VideoSyncCount(int AMethod, bool AVariableFps, double ASyncTime, int64_t& ASyncOpts);

struct TVideoFilterParams {
  int in_w = 0, in_h = 0;
  AVPixelFormat in_fmt = AV_PIX_FMT_NONE;
  AVRational in_sar{0, 1};
  // Degrees to turn the pictures clockwise first (see DisplayRotation); crop
  // and scale then apply to the turned picture.
  double rotation = 0;
  int crop_top = 0, crop_bottom = 0, crop_left = 0, crop_right = 0;
  int out_w = 0, out_h = 0;  // the encoder's size
  AVPixelFormat out_fmt = AV_PIX_FMT_NONE;
  unsigned sws_flags = SWS_BICUBIC;
  std::string user_filters;  // the user's chain ("" for none)
};

// The size of the input pictures once turned upright.
void TurnedSize(const TVideoFilterParams& AParams, int& AWidth, int& AHeight);

// One graph: src -> [turn] -> [crop] -> [scale] -> [user chain] -> out.
class TVideoFilterGraph {
 public:
  TVideoFilterGraph() = default;
  ~TVideoFilterGraph();
  TVideoFilterGraph(const TVideoFilterGraph&) = delete;
  TVideoFilterGraph& operator=(const TVideoFilterGraph&) = delete;

  // False with the reason in AError (the graph is then empty).
  bool Build(const TVideoFilterParams& AParams, std::string& AError);
  void Clear();
  bool Built() const { return FGraph != nullptr; }
  // Pictures in (pts in microseconds) and out (0, AVERROR(EAGAIN) or an error).
  int Push(AVFrame* AFrame);
  int Pull(AVFrame* AFrame);
  // The sink's size and format once built.
  int OutWidth() const;
  int OutHeight() const;
  AVPixelFormat OutFormat() const;
  AVRational OutSampleAspect() const;
  // The filters' names in graph order, e.g. "buffer,crop,scale,hflip,buffersink".
  std::string FilterNames() const;
  const std::string& ScaleSwsOpts() const { return FScaleSwsOpts; }

 private:
  AVFilterGraph* FGraph = nullptr;
  AVFilterContext* FSrc = nullptr;
  AVFilterContext* FSink = nullptr;
  std::string FScaleSwsOpts;
};

struct TVideoOutputParams {
  int sync_method = -1;
  bool variable_fps = false;     // the muxer allows variable frame rate
  AVRational enc_tb{1, 25};      // the encoder's time base (one frame)
  int64_t start_time = 0;        // microseconds
  int64_t max_frames = INT64_MAX;
  int quality = 0;               // frame quality (lambda); 0 leaves the encoder's own
  bool interlaced = false;       // the encoder codes interlaced (DCT or ME flags)
  int top_field_first = -1;      // -1: as the input picture says
  int me_threshold = 0;
  int verbose = 1;
  // Microseconds: no frame of the output starts at or past it (the recording
  // limit, or the end of an input of known duration).
  int64_t end_time = INT64_MAX;
  FILE* pass_log = nullptr;      // pass-1 statistics file (not owned)
  AVCodecContext* enc = nullptr; // source of the statistics text (not owned)
};

class TVideoOutput {
 public:
  // AFilter: the geometry; a graph is built when needed. ABroken: the stop
  // (and pause) check, asked before each written copy.
  TVideoOutput(const TVideoOutputParams& AParams, const TVideoFilterParams& AFilter, TEncoderPort& APort,
               TPacketSink ASink, rtl::TObject* ASender, std::function<bool()> ABroken = nullptr);
  ~TVideoOutput();
  TVideoOutput(const TVideoOutput&) = delete;
  TVideoOutput& operator=(const TVideoOutput&) = delete;

  // One decoded picture whose sync stream stands at APtsUs (microseconds).
  // AInputLabel names the input stream in the size-change line ("#0.0").
  // ADurationUs: how long the picture is shown, the stream's frame duration
  // (0 or AV_NOPTS_VALUE: not known).
  void Write(const AVFrame* APicture, int64_t APtsUs, const char* AInputLabel = "#0.0",
             int64_t ADurationUs = AV_NOPTS_VALUE);
  // The encoder's delayed packets. At a constant frame rate the last picture
  // is first repeated for its display time, so that the output lasts as long
  // as the input.
  void Drain();

  int64_t sync_opts = 0;
  int64_t frame_number = 0;
  int nb_frames_dup = 0, nb_frames_drop = 0;
  bool ShowDupOrDrop = false;
  int64_t EncodedBytes = 0;
  int LastFrameSize = 0;
  // From the last packet's quality statistics: quantiser (quality/118), picture type.
  float LastQuality = -1.0f;
  char LastPictType = '?';
  // The last packet's time in microseconds (INT64_MIN before the first).
  int64_t LastCodedPtsUs = INT64_MIN;
  // The squared errors of the last coded picture per plane (Y, U, V), and
  // their sums over the run, when the encoder measures them (its PSNR flag).
  double LastError[3] = {0, 0, 0};
  double TotalError[3] = {0, 0, 0};
  // Whether the encoder measures its pictures' errors, and the picture size.
  bool MeasuresError() const;
  int Width() const;
  int Height() const;
  // Called with each picture the encoder turned into a packet, and its number.
  std::function<void(const AVFrame* APicture, int64_t AFrameNumber)> OnEncoded;
  int GraphBuilds() const { return FGraphBuilds; }
  const TVideoFilterGraph& Graph() const { return FGraph; }
  // The crop bands in use (scaled after a size change).
  const TVideoFilterParams& Geometry() const { return FGeom; }

 private:
  void Encode(const AVFrame* APicture, int64_t APtsUs);
  void Deliver(AVPacket* APacket, AVRational ATimeBase);
  bool NeedsGraph(const TVideoFilterParams& AP) const;
  void Rebuild(const AVFrame* APicture, const char* AInputLabel);

  TVideoOutputParams P;
  TVideoFilterParams FOriginal;  // as set up
  TVideoFilterParams FGeom;      // in use
  TEncoderPort& FPort;
  TPacketSink FSink;
  rtl::TObject* FSender;
  std::function<bool()> FBroken;
  TVideoFilterGraph FGraph;
  int FGraphBuilds = 0;
  AVFrame* FFiltered = nullptr;
  AVFrame* FWork = nullptr;
  // Output slots before the end (INT64_MAX: no end).
  int64_t SlotLimit() const;

  AVFrame* FLast = nullptr;     // the last picture encoded
  double FLastSlot = 0;         // the slot its timestamp gave it
  int64_t FLastDuration = 0;    // its display time (microseconds; 0: not known)
  int64_t FPendingDuration = 0; // the display time of the picture being written
};

// More copies of one picture than this are a timestamp fault: the picture is
// skipped, as the ffmpeg command line does.
inline constexpr int kMaxDuplicates = 3600 * 30 * 30;

// Encodes a decoded subtitle whose packet pts is APts (in AInTimeBase;
// AV_NOPTS_VALUE when unknown) into packets with pts in microseconds (DVB:
// one that draws and one that clears). ABuffer is the engine's subtitle
// buffer, grown to 1 MiB on first use.
void EncodeSubtitle(AVCodecContext* AEnc, AVSubtitle* ASub, int64_t APts, AVRational AInTimeBase,
                    std::vector<uint8_t>& ABuffer, const TPacketSink& ASink, bool AExitOnError,
                    rtl::TObject* ASender);

// One line of the video statistics file for an encoded frame.
void WriteVideoStats(FILE* AFile, const TVideoOutput& AOut, AVRational AEncTimeBase, int64_t AVideoSize);

}  // namespace engine
