// Video decoding, the filter graph, the picture queue and subtitles.
#include <cmath>
#include <cstring>

#include "engine/FFUtils.h"
#include "engine/FFmpegLogger.h"
#include "platform/rtl/Strings.h"
#include "player/PlayerMath.h"
#include "player/PlayerState.h"

namespace player {

namespace {

struct TVideoFilter {
  AVFilterGraph* graph = nullptr;
  AVFilterContext* src = nullptr;
  AVFilterContext* sink = nullptr;
  int width = 0, height = 0, format = -1;

  ~TVideoFilter() { ff::avfilter_graph_free(&graph); }

  // The source linked straight to the sink, or the description between
  // the labels "in" and "out"; the sink takes planar 4:2:0 only.
  bool Configure(TVideoState* is, const AVFrame* AFrame, const std::string& ADescription) {
    ff::avfilter_graph_free(&graph);
    graph = ff::avfilter_graph_alloc();
    if (!graph) return false;
    graph->scale_sws_opts = ff::av_strdup("flags=bicubic");
    graph->nb_threads = 1;
    const AVRational tb = is->video_st.load()->time_base;
    const AVRational sar = AFrame->sample_aspect_ratio.num ? AFrame->sample_aspect_ratio : AVRational{0, 1};
    char args[256];
    snprintf(args, sizeof args, "video_size=%dx%d:pix_fmt=%d:time_base=%d/%d:pixel_aspect=%d/%d", AFrame->width,
             AFrame->height, AFrame->format, tb.num, tb.den, sar.num, sar.den > 0 ? sar.den : 1);
    if (ff::avfilter_graph_create_filter(&src, ff::avfilter_get_by_name("buffer"), "src", args, nullptr, graph) < 0)
      return false;
    sink = ff::avfilter_graph_alloc_filter(graph, ff::avfilter_get_by_name("buffersink"), "out");
    if (!sink) return false;
    const AVPixelFormat fmts[] = {AV_PIX_FMT_YUV420P};
    if (ff::av_opt_set_bin(sink, "pix_fmts", reinterpret_cast<const uint8_t*>(fmts), sizeof fmts,
                           AV_OPT_SEARCH_CHILDREN) < 0 ||
        ff::avfilter_init_str(sink, nullptr) < 0)
      return false;
    if (engine::LinkThroughFilters(graph, src, sink, ADescription) < 0) return false;
    if (ff::avfilter_graph_config(graph, nullptr) < 0) return false;
    width = AFrame->width;
    height = AFrame->height;
    format = AFrame->format;
    return true;
  }
};

}  // namespace

int TPlayerEngine::QueuePicture(TVideoState* is, AVFrame* AFrame, double APts, int64_t APos) {
  TCustomPlayer* p = is->Owner;
  {
    std::unique_lock g(is->pictq_mutex);
    if (is->pictq_size >= PictureQueueSize && is->refresh.load() != 1)
      is->skip_frames = std::max(0.95f, is->skip_frames.load() * 0.95f);
    is->pictq_cond.wait(g, [&] { return is->pictq_size < PictureQueueSize || is->videoq.Aborted(); });
  }
  if (is->videoq.Aborted()) return -1;
  TVideoPicture& vp = is->pictq[is->pictq_windex];
  const int w = AFrame->width & ~1, h = AFrame->height & ~1;
  if (!vp.bmp || vp.width != w || vp.height != h) {
    {
      std::lock_guard g(is->pictq_mutex);
      vp.allocated = false;
      is->alloc_width = w;
      is->alloc_height = h;
    }
    SDL_Event ev{};
    ev.type = PLAYER_ALLOC_EVENT;
    ev.user.type = PLAYER_ALLOC_EVENT;
    ev.user.data1 = is;
    PushPlayerEvent(ev);
    std::unique_lock g(is->pictq_mutex);
    is->pictq_cond.wait(g, [&] { return vp.allocated || is->videoq.Aborted(); });
    if (is->videoq.Aborted()) return -1;
  }
  if (vp.bmp) {
    ff::SDL_LockYUVOverlay(vp.bmp);
    uint8_t* dst[4] = {vp.bmp->pixels[0], vp.bmp->pixels[2], vp.bmp->pixels[1], nullptr};
    int dstPitch[4] = {vp.bmp->pitches[0], vp.bmp->pitches[2], vp.bmp->pitches[1], 0};
    engine::TAVPicture src;
    for (int i = 0; i < 3; ++i) {
      src.data[i] = AFrame->data[i];
      src.linesize[i] = AFrame->linesize[i];
    }
    if (p->FVerticalFlip.load()) {
      src.data[0] += src.linesize[0] * (h - 1);
      src.linesize[0] = -src.linesize[0];
      for (int i = 1; i < 3; ++i) {
        src.data[i] += src.linesize[i] * (h / 2 - 1);
        src.linesize[i] = -src.linesize[i];
      }
    }
    ff::av_image_copy(dst, dstPitch, const_cast<const uint8_t**>(src.data), src.linesize, AV_PIX_FMT_YUV420P, w, h);
    p->DoHook(src, AV_PIX_FMT_YUV420P, dst, dstPitch, APts, h, w);
    ff::SDL_UnlockYUVOverlay(vp.bmp);
    vp.pts = APts;
    vp.pos = APos;
    vp.sar = AFrame->sample_aspect_ratio;
    is->pictq_windex = (is->pictq_windex + 1) % PictureSlots;
    // The first picture after a flush is due when it is ready: the time its
    // decoding took (from the key picture up to a seek's target) does not
    // make it and the ones after it late.
    if (is->frame_last_pts == static_cast<double>(AV_NOPTS_VALUE)) is->frame_timer = NowSeconds();
    bool first;
    {
      std::lock_guard g(is->pictq_mutex);
      vp.target = ComputeTargetTime(is, APts);
      first = is->pictq_size++ == 0;
    }
    if (first) WakeRefresh(is);
  }
  return 0;
}

int TPlayerEngine::OutputPicture(TVideoState* is, AVFrame* AFrame, double APts, int64_t APos) {
  // A picture without a time follows the one before it. (A time of 0 is a
  // real time: files that start at zero have one.)
  if (!std::isnan(APts))
    is->video_clock = APts;
  else
    APts = is->video_clock.load();
  const AVRational fr = is->frame_rate;
  double delay = fr.num && fr.den ? av_q2d(av_inv_q(fr)) : 0.04;
  delay += AFrame->repeat_pict * delay * 0.5;
  is->video_clock = is->video_clock.load() + delay;
  return QueuePicture(is, AFrame, APts, APos);
}

// One filtered picture: clears the seek mark, queues it and reports it.
bool TPlayerEngine::HandlePicture(TVideoState* is, AVFrame* AFrame, AVRational ATimeBase) {
  TCustomPlayer* p = is->Owner;
  if (is->seek_done.load() && is->seek_flushed.load()) {
    is->seek_done = 0;
    is->seek_paused = 0;
  }
  const double pts = AFrame->pts != AV_NOPTS_VALUE ? AFrame->pts * av_q2d(ATimeBase) : NAN;
  if (OutputPicture(is, AFrame, pts, AFrame->pkt_pos) < 0) return false;
  p->FPictEvent.Set();
  is->EventEOF = 0;
  if (p->FSeeking.load() && !is->seek_req.load()) p->FSeeking = false;
  if (is->open_paused.load() > 1) {
    is->open_paused = 0;
    p->SetPlayState(psPause);
  } else if (is->open_paused.load() == 1) {
    is->open_paused = 2;
  }
  if (p->Fstep.load() && p->FVideoState.load()) p->PauseToggle(is);
  return true;
}

void TPlayerEngine::VideoThread(TVideoState* is) {
  NameThread("tvl-player-vid");
  TCustomPlayer* p = is->Owner;
  AVCodecContext* dec = is->video_dec;
  AVFrame* frame = ff::av_frame_alloc();
  AVFrame* filt = ff::av_frame_alloc();
  TVideoFilter filter;
  const std::string description = VideoFilterDescription(p->debug_mv, rtl::U8(p->Fvfilters));
  const double frameDur = is->frame_rate.num && is->frame_rate.den ? av_q2d(av_inv_q(is->frame_rate)) : 0.04;
  bool draining = false, failed = false;
  // Pictures before it are decoded only; taken from the seek with its flush.
  double skipUntil = -1e300;
  // Sends one decoded picture through the graph and queues what comes out.
  auto push = [&](AVFrame* AIn) {
    if (!filter.graph || AIn->width != filter.width || AIn->height != filter.height ||
        AIn->format != filter.format) {
      if (!filter.Configure(is, AIn, description)) {
        p->ReportError(u"Cannot configure the video filters", false);
        return false;
      }
    }
    if (ff::av_buffersrc_add_frame_flags(filter.src, AIn, AV_BUFFERSRC_FLAG_KEEP_REF) < 0) return true;
    const AVRational tb = ff::av_buffersink_get_time_base(filter.sink);
    while (ff::av_buffersink_get_frame(filter.sink, filt) >= 0) {
      const bool ok = HandlePicture(is, filt, tb);
      ff::av_frame_unref(filt);
      if (!ok) return false;
    }
    return true;
  };
  while (!failed) {
    while (is->paused.load() && !is->videoq.Aborted() && !is->seek_paused.load() && !is->open_paused.load())
      SleepMs(10);
    AVPacket* pkt = nullptr;
    if (is->videoq.Get(pkt, true) < 0) break;
    if (is->videoq.IsFlush(pkt)) {
      ff::avcodec_flush_buffers(dec);
      draining = false;
      {
        std::unique_lock g(is->pictq_mutex);
        for (TVideoPicture& vp : is->pictq) vp.target = 0;
        WakeRefresh(is);
        is->pictq_cond.wait(g, [&] { return is->pictq_size == 0 || is->videoq.Aborted(); });
      }
      is->video_current_pos = -1;
      is->last_dts_for_fault_detection = is->last_pts_for_fault_detection = INT64_MIN;
      is->frame_last_pts = static_cast<double>(AV_NOPTS_VALUE);
      is->frame_last_delay = 0;
      is->frame_timer = NowSeconds();
      is->skip_frames = 1;
      is->skip_frames_index = 0;
      if (is->held_frame) ff::av_frame_unref(is->held_frame);
      skipUntil = is->seek_target.load();
      is->seek_flushed = 1;
      continue;
    }
    const bool endMark = !pkt->data && pkt->size == 0;
    if (endMark) {
      if (!draining) ff::avcodec_send_packet(dec, nullptr);
      draining = true;
    } else {
      if (draining) ff::avcodec_flush_buffers(dec);
      draining = false;
      ff::avcodec_send_packet(dec, pkt);
    }
    is->videoq.FreePacket(pkt);
    while (!failed && ff::avcodec_receive_frame(dec, frame) >= 0) {
      if (frame->pkt_dts != AV_NOPTS_VALUE) {
        is->faulty_dts += frame->pkt_dts <= is->last_dts_for_fault_detection;
        is->last_dts_for_fault_detection = frame->pkt_dts;
      }
      if (frame->pts != AV_NOPTS_VALUE) {
        is->faulty_pts += frame->pts <= is->last_pts_for_fault_detection;
        is->last_pts_for_fault_detection = frame->pts;
      }
      int64_t pts;
      if (frame->pts != AV_NOPTS_VALUE &&
          (p->decoder_reorder_pts == 1 || (p->decoder_reorder_pts && is->faulty_pts < is->faulty_dts) ||
           frame->pkt_dts == AV_NOPTS_VALUE))
        pts = frame->pts;
      else
        pts = frame->pkt_dts;
      frame->pts = pts;
      is->skip_frames_index += 1;
      if (is->skip_frames_index < is->skip_frames.load() && !is->paused.load()) {
        p->FFramesDropped++;
        ff::av_frame_unref(frame);
        continue;
      }
      is->skip_frames_index -= std::max(is->skip_frames.load(), 1.0f);
      // After a seek the pictures before the target are decoded only; the
      // last of them is kept for a target past the final picture.
      if (skipUntil > -1e299) {
        if (pts != AV_NOPTS_VALUE && pts * av_q2d(is->video_st.load()->time_base) + frameDur <= skipUntil + 1e-6) {
          if (!is->held_frame) is->held_frame = ff::av_frame_alloc();
          ff::av_frame_unref(is->held_frame);
          ff::av_frame_move_ref(is->held_frame, frame);
          continue;
        }
        skipUntil = -1e300;
        if (is->held_frame) ff::av_frame_unref(is->held_frame);
      }
      failed = !push(frame);
      ff::av_frame_unref(frame);
    }
    if (endMark) {
      if (skipUntil > -1e299 && is->held_frame && is->held_frame->buf[0]) {
        skipUntil = -1e300;
        failed = !push(is->held_frame);
        ff::av_frame_unref(is->held_frame);
      }
      // Nothing more to show: the sound need not wait.
      is->audio_hold = false;
      if (is->EventEOF.load() == 0) p->DoPosition();
    }
  }
  is->audio_hold = false;
  if (failed && !is->videoq.Aborted()) {
    is->video_ended = true;
    is->videoq.Flush();
    p->FPictEvent.Set();
  }
  ff::av_frame_free(&frame);
  ff::av_frame_free(&filt);
}

void TPlayerEngine::AllocPicture(TVideoState* is) {
  TCustomPlayer* p = is->Owner;
  int windex;
  {
    std::lock_guard g(is->pictq_mutex);
    windex = is->pictq_windex;
  }
  TVideoPicture& vp = is->pictq[windex];
  if (vp.bmp) ff::SDL_FreeYUVOverlay(vp.bmp);
  vp.bmp = nullptr;
  vp.width = is->alloc_width.load();
  vp.height = is->alloc_height.load();
  if (!p->Fscreen || (p->Fscreen_width <= 0 && (is->width != vp.width || is->height != vp.height)))
    VideoOpen(is, false);
  if (p->Fscreen) vp.bmp = ff::SDL_CreateYUVOverlay(vp.width, vp.height, SDL_YV12_OVERLAY, p->Fscreen);
  if (!vp.bmp) p->ReportError(u"SDL: could not create the YUV overlay.", false);
  std::lock_guard g(is->pictq_mutex);
  vp.allocated = true;
  is->pictq_cond.notify_all();
}

void TPlayerEngine::SubtitleThread(TVideoState* is) {
  NameThread("tvl-player-sub");
  for (;;) {
    while (is->paused.load() && !is->subtitleq.Aborted() && !is->seek_paused.load()) SleepMs(10);
    AVPacket* pkt = nullptr;
    if (is->subtitleq.Get(pkt, true) < 0) break;
    if (is->subtitleq.IsFlush(pkt)) {
      ff::avcodec_flush_buffers(is->subtitle_dec);
      continue;
    }
    {
      std::unique_lock g(is->subpq_mutex);
      is->subpq_cond.wait(g, [&] { return is->subpq_size < SubtitleQueueSize || is->subtitleq.Aborted(); });
    }
    if (is->subtitleq.Aborted()) {
      is->subtitleq.FreePacket(pkt);
      break;
    }
    TSubPicture& sp = is->subpq[is->subpq_windex];
    const double pts = pkt->pts != AV_NOPTS_VALUE ? av_q2d(is->subtitle_st.load()->time_base) * pkt->pts : 0;
    int got = 0;
    ff::avsubtitle_free(&sp.sub);
    ff::avcodec_decode_subtitle2(is->subtitle_dec, &sp.sub, &got, pkt);
    if (got && sp.sub.format == 0) {
      sp.pts = pts;
      for (unsigned i = 0; i < sp.sub.num_rects; ++i) {
        auto* pal = reinterpret_cast<uint32_t*>(sp.sub.rects[i]->data[1]);
        for (int j = 0; j < sp.sub.rects[i]->nb_colors; ++j) pal[j] = PaletteRGBToYUV(pal[j]);
      }
      is->subpq_windex = (is->subpq_windex + 1) % SubtitleQueueSize;
      std::lock_guard g(is->subpq_mutex);
      is->subpq_size++;
    } else if (got) {
      ff::avsubtitle_free(&sp.sub);
    }
    is->subtitleq.FreePacket(pkt);
  }
}

}  // namespace player
