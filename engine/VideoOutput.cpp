#include "engine/VideoOutput.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/FFUtils.h"

namespace engine {

namespace {
constexpr AVRational kMicro{1, 1000000};
}

int VideoSyncCount(int AMethod, bool AVariableFps, double ASyncTime, int64_t& ASyncOpts) {
  if (AMethod == 0) {
    ASyncOpts = std::llrint(ASyncTime);
    return 1;
  }
  const double delta = ASyncTime - static_cast<double>(ASyncOpts);
  if (delta < -1.1) return 0;
  if (AMethod == 2 || (AMethod < 0 && AVariableFps)) {
    if (delta <= -0.6) return 0;
    if (delta > 0.6) ASyncOpts = std::llrint(ASyncTime);  // jump instead of duplicating
    return 1;
  }
  // A jump too large for a count is left to the caller's bound.
  if (delta > 1.1) return delta >= static_cast<double>(INT_MAX) ? INT_MAX : static_cast<int>(std::llrint(delta));
  return 1;
}

// ---------------------------------------------------------------------------
// Filter graph

namespace {
bool Near(double A, double B) { return std::fabs(A - B) < 1.0; }
}  // namespace

void TurnedSize(const TVideoFilterParams& AP, int& AWidth, int& AHeight) {
  const bool across = Near(AP.rotation, 90) || Near(AP.rotation, 270);
  AWidth = across ? AP.in_h : AP.in_w;
  AHeight = across ? AP.in_w : AP.in_h;
}

TVideoFilterGraph::~TVideoFilterGraph() { Clear(); }

void TVideoFilterGraph::Clear() {
  if (FGraph) ff::avfilter_graph_free(&FGraph);
  FGraph = nullptr;
  FSrc = FSink = nullptr;
}

bool TVideoFilterGraph::Build(const TVideoFilterParams& AP, std::string& AError) {
  Clear();
  auto fail = [&](const std::string& AWhat, int ACode) {
    char err[AV_ERROR_MAX_STRING_SIZE] = {};
    ff::av_strerror(ACode, err, sizeof err);
    AError = AWhat + ": " + err;
    Clear();
    return false;
  };
  FGraph = ff::avfilter_graph_alloc();
  if (!FGraph) return fail("graph", AVERROR(ENOMEM));
  const AVRational sar = AP.in_sar.num > 0 && AP.in_sar.den > 0 ? AP.in_sar : AVRational{0, 1};
  std::string args = FormatText("video_size=%dx%d:pix_fmt=%d:time_base=1/1000000:pixel_aspect=%d/%d", AP.in_w,
                                AP.in_h, static_cast<int>(AP.in_fmt), sar.num, sar.den);
  int r = ff::avfilter_graph_create_filter(&FSrc, ff::avfilter_get_by_name("buffer"), "src", args.c_str(),
                                           nullptr, FGraph);
  if (r < 0) return fail("buffer", r);
  r = ff::avfilter_graph_create_filter(&FSink, ff::avfilter_get_by_name("buffersink"), "out", nullptr, nullptr,
                                       FGraph);
  if (r < 0) return fail("buffersink", r);
  if (AP.out_fmt != AV_PIX_FMT_NONE) {
    const int fmt = AP.out_fmt;
    r = ff::av_opt_set_bin(FSink, "pix_fmts", reinterpret_cast<const uint8_t*>(&fmt), sizeof fmt,
                           AV_OPT_SEARCH_CHILDREN);
    if (r < 0) return fail("buffersink", r);
  }
  AVFilterContext* last = FSrc;
  // Turned as the pictures are meant to be shown.
  auto addFilter = [&](const char* AName, const std::string& AArgs) {
    AVFilterContext* f = nullptr;
    int e = ff::avfilter_graph_create_filter(&f, ff::avfilter_get_by_name(AName), AName, AArgs.c_str(), nullptr,
                                             FGraph);
    if (e >= 0) e = ff::avfilter_link(last, 0, f, 0);
    if (e >= 0) last = f;
    return e;
  };
  if (Near(AP.rotation, 90)) {
    if ((r = addFilter("transpose", "dir=clock")) < 0) return fail("transpose", r);
  } else if (Near(AP.rotation, 180)) {
    if ((r = addFilter("hflip", "")) < 0 || (r = addFilter("vflip", "")) < 0) return fail("flip", r);
  } else if (Near(AP.rotation, 270)) {
    if ((r = addFilter("transpose", "dir=cclock")) < 0) return fail("transpose", r);
  } else if (AP.rotation != 0) {
    if ((r = addFilter("rotate", FormatText("angle=%f", AP.rotation * M_PI / 180))) < 0) return fail("rotate", r);
  }
  int tw = 0, th = 0;
  TurnedSize(AP, tw, th);
  const int cw = tw - (AP.crop_left + AP.crop_right);
  const int ch = th - (AP.crop_top + AP.crop_bottom);
  if (AP.crop_top || AP.crop_bottom || AP.crop_left || AP.crop_right) {
    AVFilterContext* crop = nullptr;
    // The cropped picture is what the scaler works on; the encoder's size is
    // the scaler's business.
    args = FormatText("w=%d:h=%d:x=%d:y=%d", cw, ch, AP.crop_left, AP.crop_top);
    r = ff::avfilter_graph_create_filter(&crop, ff::avfilter_get_by_name("crop"), "crop", args.c_str(), nullptr,
                                         FGraph);
    if (r < 0) return fail("crop", r);
    if ((r = ff::avfilter_link(last, 0, crop, 0)) < 0) return fail("crop", r);
    last = crop;
  }
  if (AP.out_w > 0 && AP.out_h > 0 && (AP.out_w != cw || AP.out_h != ch)) {
    AVFilterContext* scale = nullptr;
    args = FormatText("w=%d:h=%d:flags=%u", AP.out_w, AP.out_h, AP.sws_flags);
    r = ff::avfilter_graph_create_filter(&scale, ff::avfilter_get_by_name("scale"), "scale", args.c_str(),
                                         nullptr, FGraph);
    if (r < 0) return fail("scale", r);
    if ((r = ff::avfilter_link(last, 0, scale, 0)) < 0) return fail("scale", r);
    last = scale;
  }
  FScaleSwsOpts = FormatText("flags=0x%X", AP.sws_flags);
  FGraph->scale_sws_opts = ff::av_strdup(FScaleSwsOpts.c_str());
  if ((r = LinkThroughFilters(FGraph, last, FSink, AP.user_filters)) < 0) {
    return fail(AP.user_filters.empty() ? std::string("link") : AP.user_filters, r);
  }

  if ((r = ff::avfilter_graph_config(FGraph, nullptr)) < 0) return fail("config", r);
  return true;
}

int TVideoFilterGraph::Push(AVFrame* AFrame) {
  return ff::av_buffersrc_add_frame_flags(FSrc, AFrame, AV_BUFFERSRC_FLAG_KEEP_REF);
}

int TVideoFilterGraph::Pull(AVFrame* AFrame) {
  int r = ff::av_buffersink_get_frame(FSink, AFrame);
  if (r >= 0 && AFrame->pts != AV_NOPTS_VALUE)
    AFrame->pts = ff::av_rescale_q(AFrame->pts, ff::av_buffersink_get_time_base(FSink), kMicro);
  return r;
}

int TVideoFilterGraph::OutWidth() const { return FSink ? ff::av_buffersink_get_w(FSink) : 0; }
int TVideoFilterGraph::OutHeight() const { return FSink ? ff::av_buffersink_get_h(FSink) : 0; }
AVPixelFormat TVideoFilterGraph::OutFormat() const {
  return FSink ? static_cast<AVPixelFormat>(ff::av_buffersink_get_format(FSink)) : AV_PIX_FMT_NONE;
}
AVRational TVideoFilterGraph::OutSampleAspect() const {
  return FSink ? ff::av_buffersink_get_sample_aspect_ratio(FSink) : AVRational{0, 1};
}

std::string TVideoFilterGraph::FilterNames() const {
  std::string s;
  if (!FGraph) return s;
  for (unsigned i = 0; i < FGraph->nb_filters; ++i) {
    if (!s.empty()) s += ',';
    s += FGraph->filters[i]->filter->name;
  }
  return s;
}

// ---------------------------------------------------------------------------
// Video output

TVideoOutput::TVideoOutput(const TVideoOutputParams& AParams, const TVideoFilterParams& AFilter,
                           TEncoderPort& APort, TPacketSink ASink, rtl::TObject* ASender,
                           std::function<bool()> ABroken)
    : P(AParams), FOriginal(AFilter), FGeom(AFilter), FPort(APort), FSink(std::move(ASink)), FSender(ASender),
      FBroken(std::move(ABroken)) {
  FFiltered = ff::av_frame_alloc();
  FWork = ff::av_frame_alloc();
  FLast = ff::av_frame_alloc();
  if (!FFiltered || !FWork || !FLast) {
    ff::av_frame_free(&FFiltered);
    ff::av_frame_free(&FWork);
    ff::av_frame_free(&FLast);
    throw ETranscodeError(std::string("Cannot allocate temp picture, check pix fmt"));
  }
  if (NeedsGraph(FGeom)) {
    std::string err;
    if (!FGraph.Build(FGeom, err)) {
      ff::av_frame_free(&FFiltered);
      ff::av_frame_free(&FWork);
      ff::av_frame_free(&FLast);
      throw ETranscodeError("Error opening filters: " + err);
    }
    ++FGraphBuilds;
  }
}

TVideoOutput::~TVideoOutput() {
  ff::av_frame_free(&FFiltered);
  ff::av_frame_free(&FWork);
  ff::av_frame_free(&FLast);
}

bool TVideoOutput::NeedsGraph(const TVideoFilterParams& AP) const {
  int tw = 0, th = 0;
  TurnedSize(AP, tw, th);
  const int cw = tw - (AP.crop_left + AP.crop_right);
  const int ch = th - (AP.crop_top + AP.crop_bottom);
  return AP.rotation != 0 || AP.crop_top || AP.crop_bottom || AP.crop_left || AP.crop_right || !AP.user_filters.empty() ||
         (AP.out_w > 0 && AP.out_w != cw) || (AP.out_h > 0 && AP.out_h != ch) ||
         (AP.out_fmt != AV_PIX_FMT_NONE && AP.out_fmt != AP.in_fmt);
}

void TVideoOutput::Rebuild(const AVFrame* APicture, const char* AInputLabel) {
  const char* fmtName = ff::av_get_pix_fmt_name(static_cast<AVPixelFormat>(APicture->format));
  LogText(FSender, llQuiet,
          FormatText("Input Stream %s frame size changed to %dx%d, %s", AInputLabel, APicture->width,
                     APicture->height, fmtName ? fmtName : "none"));
  TVideoFilterParams g = FGeom;
  g.in_w = APicture->width;
  g.in_h = APicture->height;
  // The bands keep their proportion to the (turned) picture, on even lines
  // and columns.
  int oldW = 0, oldH = 0, newW = 0, newH = 0;
  TurnedSize(FOriginal, oldW, oldH);
  TurnedSize(g, newW, newH);
  auto scaleBand = [](int ABand, int ANew, int AOld) { return AOld > 0 ? (ANew * ABand / AOld) & ~1 : 0; };
  g.crop_top = scaleBand(FOriginal.crop_top, newH, oldH);
  g.crop_bottom = scaleBand(FOriginal.crop_bottom, newH, oldH);
  g.crop_left = scaleBand(FOriginal.crop_left, newW, oldW);
  g.crop_right = scaleBand(FOriginal.crop_right, newW, oldW);
  g.in_fmt = static_cast<AVPixelFormat>(APicture->format);
  g.in_sar = APicture->sample_aspect_ratio;
  // Pictures still inside the old graph are given to the encoder first.
  if (FGraph.Built()) {
    FGraph.Push(nullptr);
    while (FGraph.Pull(FFiltered) >= 0) {
      Encode(FFiltered, FFiltered->pts);
      ff::av_frame_unref(FFiltered);
    }
  }
  FGeom = g;
  std::string err;
  if (!FGraph.Build(FGeom, err)) throw ETranscodeError(std::string("Cannot get resampling context"));
  ++FGraphBuilds;
}

void TVideoOutput::Write(const AVFrame* APicture, int64_t APtsUs, const char* AInputLabel, int64_t ADurationUs) {
  FPendingDuration = ADurationUs > 0 && ADurationUs != AV_NOPTS_VALUE ? ADurationUs : 0;
  if (APicture->width != FGeom.in_w || APicture->height != FGeom.in_h || APicture->format != FGeom.in_fmt)
    Rebuild(APicture, AInputLabel);
  if (!FGraph.Built()) {
    Encode(APicture, APtsUs);
    return;
  }
  if (ff::av_frame_ref(FWork, APicture) < 0) throw ETranscodeError(std::string("Video encoding failed"));
  FWork->pts = APtsUs;
  int r = FGraph.Push(FWork);
  ff::av_frame_unref(FWork);
  if (r < 0) throw ETranscodeError(std::string("Error while filtering video"));
  while (FGraph.Pull(FFiltered) >= 0) {
    Encode(FFiltered, FFiltered->pts != AV_NOPTS_VALUE ? FFiltered->pts : APtsUs);
    ff::av_frame_unref(FFiltered);
  }
}

int64_t TVideoOutput::SlotLimit() const {
  if (P.end_time == INT64_MAX) return INT64_MAX;
  const double slots = std::ceil(static_cast<double>(P.end_time - P.start_time) / 1000000.0 / av_q2d(P.enc_tb));
  return slots <= 0 ? 0 : slots >= 9.0e18 ? INT64_MAX : static_cast<int64_t>(slots);
}

void TVideoOutput::Encode(const AVFrame* APicture, int64_t APtsUs) {
  const double syncTime = static_cast<double>(APtsUs - P.start_time) / 1000000.0 / av_q2d(P.enc_tb);
  const int64_t limit = SlotLimit();
  // A picture due at or past the end is not shown: its timestamp is garbage
  // (or past the recording limit), and no copy of it may stretch the output.
  int count = syncTime >= static_cast<double>(limit) ? 0 : VideoSyncCount(P.sync_method, P.variable_fps, syncTime, sync_opts);
  if (count > kMaxDuplicates) {
    LogText(FSender, llError, FormatText("%d frame duplication too large, skipping", count - 1));
    count = 0;
  }
  if (count > 0 && limit != INT64_MAX) count = static_cast<int>(std::clamp<int64_t>(limit - sync_opts, 0, count));
  if (count == 0) {
    ++nb_frames_drop;
    ShowDupOrDrop = true;
    if (P.verbose > 2) LogText(FSender, llVerbose, "*** drop!");
  } else if (count > 1) {
    nb_frames_dup += count - 1;
    ShowDupOrDrop = true;
    if (P.verbose > 2) LogText(FSender, llVerbose, FormatText("*** %d dup!", count - 1));
  }
  const int64_t room = P.max_frames - frame_number;
  if (room < count) count = static_cast<int>(std::max<int64_t>(room, 0));
  for (int i = 0; i < count; ++i) {
    if (FBroken && FBroken()) break;
    if (ff::av_frame_ref(FWork, APicture) < 0) throw ETranscodeError(std::string("Video encoding failed"));
    FWork->pts = sync_opts;
    if (P.interlaced) FWork->top_field_first = P.top_field_first >= 0 ? P.top_field_first : APicture->top_field_first;
    if (P.quality > 0) FWork->quality = P.quality;
    if (P.me_threshold == 0) FWork->pict_type = AV_PICTURE_TYPE_NONE;
    LastFrameSize = 0;
    try {
      EncodeAndDeliver(FPort, FWork, P.enc_tb, [this](AVPacket* p, AVRational tb) { Deliver(p, tb); },
                       "Video encoding failed");
    } catch (...) {
      ff::av_frame_unref(FWork);
      throw;
    }
    if (LastFrameSize > 0 && OnEncoded) OnEncoded(FWork, frame_number);
    if (i == 0) {
      ff::av_frame_unref(FLast);
      ff::av_frame_ref(FLast, FWork);
      FLastSlot = syncTime;
      FLastDuration = FPendingDuration;
    }
    ff::av_frame_unref(FWork);
    ++sync_opts;
    ++frame_number;
  }
}

void TVideoOutput::Deliver(AVPacket* APacket, AVRational ATimeBase) {
  size_t sdSize = 0;
  const uint8_t* sd = ff::av_packet_get_side_data(APacket, AV_PKT_DATA_QUALITY_STATS, &sdSize);
  if (sd && sdSize >= 5) {
    const int32_t q = static_cast<int32_t>(sd[0] | (sd[1] << 8) | (sd[2] << 16) | (uint32_t(sd[3]) << 24));
    LastQuality = static_cast<float>(q) / FF_QP2LAMBDA;
    LastPictType = ff::av_get_picture_type_char(static_cast<AVPictureType>(sd[4]));
    // Then the error count, two reserved bytes and 64-bit errors per plane.
    const size_t errors = sdSize >= 8 ? std::min<size_t>(sd[5], (sdSize - 8) / 8) : 0;
    for (size_t i = 0; i < 3; ++i) {
      int64_t e = 0;
      if (i < errors) std::memcpy(&e, sd + 8 + 8 * i, sizeof e);
      LastError[i] = static_cast<double>(e);
      TotalError[i] += LastError[i];
    }
  }
  if (APacket->pts != AV_NOPTS_VALUE) LastCodedPtsUs = ff::av_rescale_q(APacket->pts, ATimeBase, AVRational{1, 1000000});
  // Each packet is one picture shown for one frame of the encoder's rate:
  // without a duration the last picture would have no display time.
  if (APacket->duration <= 0) APacket->duration = 1;
  LastFrameSize = APacket->size;
  EncodedBytes += APacket->size;
  if (P.pass_log && P.enc && P.enc->stats_out) std::fputs(P.enc->stats_out, P.pass_log);
  FSink(APacket, ATimeBase);
}

void TVideoOutput::Drain() {
  if (FGraph.Built()) {
    FGraph.Push(nullptr);
    while (FGraph.Pull(FFiltered) >= 0) {
      Encode(FFiltered, FFiltered->pts);
      ff::av_frame_unref(FFiltered);
    }
  }
  // The last picture is shown for its own display time, the stream's frame
  // duration: at a constant rate it is repeated up to there (the last frame
  // of a 1 fps input lasts a second). It counts from the slot its timestamp
  // gives, held between its last copy and the next free slot, so that a
  // garbage timestamp cannot stretch it; the end still bounds it.
  const bool constantRate = P.sync_method == 1 || (P.sync_method < 0 && !P.variable_fps);
  if (constantRate && FLast->buf[0] && FLastDuration > 0) {
    const double due = std::clamp(FLastSlot, static_cast<double>(sync_opts - 1), static_cast<double>(sync_opts));
    const double endFrame = due + static_cast<double>(FLastDuration) / 1000000.0 / av_q2d(P.enc_tb);
    int64_t count = std::llrint(endFrame) - sync_opts;
    count = std::min(count, P.max_frames - frame_number);
    const int64_t limit = SlotLimit();
    if (limit != INT64_MAX) count = std::min(count, limit - sync_opts);
    if (count > 0) {
      nb_frames_dup += static_cast<int>(count);
      ShowDupOrDrop = true;
      AVFrame* last = ff::av_frame_clone(FLast);
      if (!last) throw ETranscodeError(std::string("Video encoding failed"));
      const int64_t duration = FLastDuration;
      try {
        for (int64_t i = 0; i < count && !(FBroken && FBroken()); ++i) {
          const int64_t at = sync_opts;
          FPendingDuration = duration;
          Encode(last, static_cast<int64_t>(P.start_time + at * av_q2d(P.enc_tb) * 1000000.0 + 0.5));
          if (sync_opts == at) break;  // nothing was written
        }
      } catch (...) {
        ff::av_frame_free(&last);
        throw;
      }
      ff::av_frame_free(&last);
    }
  }
  EncodeAndDeliver(FPort, nullptr, P.enc_tb, [this](AVPacket* p, AVRational tb) { Deliver(p, tb); },
                   "Video encoding failed");
}

// ---------------------------------------------------------------------------
// Subtitles and statistics

void EncodeSubtitle(AVCodecContext* AEnc, AVSubtitle* ASub, int64_t APts, AVRational AInTimeBase,
                    std::vector<uint8_t>& ABuffer, const TPacketSink& ASink, bool AExitOnError,
                    rtl::TObject* ASender) {
  if (APts == AV_NOPTS_VALUE) {
    if (AExitOnError) throw ETranscodeError(std::string("Subtitle packets must have a pts"));
    LogText(ASender, llError, "Subtitle packets must have a pts");
    return;
  }
  if (ABuffer.empty()) ABuffer.resize(1 << 20);
  const bool dvb = AEnc->codec_id == AV_CODEC_ID_DVB_SUBTITLE;
  const int passes = dvb ? 2 : 1;
  const unsigned rects = ASub->num_rects;
  AVPacket* pkt = ff::av_packet_alloc();
  if (!pkt) throw ETranscodeError(std::string("Subtitle encoding failed"));
  try {
    // The display start is folded into the pts once, so that the clearing
    // packet follows the drawn one by the display time.
    ASub->pts = ff::av_rescale_q(APts, AInTimeBase, kMicro) +
                ff::av_rescale_q(ASub->start_display_time, AVRational{1, 1000}, kMicro);
    ASub->end_display_time -= ASub->start_display_time;
    ASub->start_display_time = 0;
    for (int i = 0; i < passes; ++i) {
      if (i == 1) ASub->num_rects = 0;  // the second DVB packet clears the screen
      const int n = ff::avcodec_encode_subtitle(AEnc, ABuffer.data(), static_cast<int>(ABuffer.size()), ASub);
      ASub->num_rects = rects;
      if (n < 0) throw ETranscodeError(std::string("Subtitle encoding failed"));
      if (ff::av_new_packet(pkt, n) < 0) throw ETranscodeError(std::string("Subtitle encoding failed"));
      std::memcpy(pkt->data, ABuffer.data(), static_cast<size_t>(n));
      pkt->pts = pkt->dts = ASub->pts;
      if (dvb) {
        if (i == 1) pkt->pts = pkt->dts = ASub->pts + int64_t(ASub->end_display_time) * 1000;
      } else {
        pkt->duration = int64_t(ASub->end_display_time) * 1000;
      }
      pkt->flags |= AV_PKT_FLAG_KEY;
      ASink(pkt, kMicro);
      ff::av_packet_unref(pkt);
    }
  } catch (...) {
    ASub->num_rects = rects;
    ff::av_packet_free(&pkt);
    throw;
  }
  ff::av_packet_free(&pkt);
}

bool TVideoOutput::MeasuresError() const { return P.enc && (P.enc->flags & AV_CODEC_FLAG_PSNR); }
int TVideoOutput::Width() const { return P.enc ? P.enc->width : 0; }
int TVideoOutput::Height() const { return P.enc ? P.enc->height : 0; }

void WriteVideoStats(FILE* AFile, const TVideoOutput& AOut, AVRational AEncTimeBase, int64_t AVideoSize) {
  if (!AFile) return;
  std::fprintf(AFile, "frame= %5d q= %2.1f ", static_cast<int>(AOut.frame_number), AOut.LastQuality);
  if (AOut.MeasuresError())
    std::fprintf(AFile, "PSNR= %6.2f ",
                 PlanePSNR(AOut.LastError[0], static_cast<double>(AOut.Width()) * AOut.Height() * 255.0 * 255.0));
  std::fprintf(AFile, "f_size= %6d ", AOut.LastFrameSize);
  double ti = static_cast<double>(AOut.sync_opts) * av_q2d(AEncTimeBase);
  if (ti < 0.01) ti = 0.01;
  const double br = AOut.LastFrameSize * 8 / av_q2d(AEncTimeBase) / 1000.0;
  const double avg = static_cast<double>(AVideoSize) * 8 / ti / 1000.0;
  std::fprintf(AFile, "s_size= %8.0fkB time= %0.3f br= %7.1fkbits/s avg_br= %7.1fkbits/s ",
               static_cast<double>(AVideoSize) / 1024.0, ti, br, avg);
  std::fprintf(AFile, "type= %c\n", AOut.LastPictType);
}

}  // namespace engine
