// The read thread, opening and closing one stream's decoder, and closing a
// state.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "engine/FFmpegLogger.h"
#include "engine/Printf.h"
#include "platform/rtl/Strings.h"
#include "player/PlayerState.h"

namespace player {

using engine::Fmt;

namespace {

constexpr int kMaxQueueSize = 15 * 1024 * 1024;
constexpr int kMinAudioQueueSize = 20 * 16 * 1024;
constexpr int kMinFrames = 5;

int InterruptCallback(void* AOpaque) { return static_cast<TVideoState*>(AOpaque)->abort_request.load() ? 1 : 0; }

bool IsSinglePictureFormat(const char* AName) {
  if (!AName) return false;
  const std::string n(AName);
  return n == "image2" || (n.size() > 5 && n.compare(n.size() - 5, 5, "_pipe") == 0);
}

void QueuePacket(TVideoState* is, AVPacket* APacket) {
  if (APacket->stream_index == is->audio_stream.load())
    is->audioq.Put(APacket);
  else if (APacket->stream_index == is->video_stream.load() && !is->video_ended.load())
    is->videoq.Put(APacket);
  else if (APacket->stream_index == is->subtitle_stream.load())
    is->subtitleq.Put(APacket);
}

int SeekOnce(TVideoState* is, int64_t ATarget, int64_t ALo, int64_t AHi) {
  AVFormatContext* ic = is->ic;
  int r = ff::avformat_seek_file(ic, -1, ALo, ATarget, AHi, is->seek_flags);
  if (r < 0) r = ff::av_seek_frame(ic, -1, ATarget, is->seek_flags);
  if (r < 0) r = ff::av_seek_frame(ic, -1, ATarget, is->seek_flags ^ AVSEEK_FLAG_BACKWARD);
  return r;
}

// Seeks to the target. Containers without a key-frame index (MPEG-TS and
// MPEG-PS search by time stamps) may land after the key picture the target
// needs, so the first video packet is read ahead: while it is not a key
// picture at or before the target, the seek starts earlier (0.5 s, then
// twice as far each time). The packets read ahead are handed back in AHead.
int SeekToPicture(TVideoState* is, int64_t ATarget, std::vector<AVPacket*>& AHead) {
  const int64_t lo = is->seek_rel > 0 ? ATarget - is->seek_rel + 2 : INT64_MIN;
  const int64_t hi = is->seek_rel < 0 ? ATarget - is->seek_rel - 2 : INT64_MAX;
  int r = SeekOnce(is, ATarget, lo, hi);
  const int video = is->video_stream.load();
  if (r < 0 || video < 0 || (is->seek_flags & AVSEEK_FLAG_BYTE) || !is->ic->pb) return r;
  const AVRational tb = is->ic->streams[video]->time_base;
  const int64_t slack = is->frame_rate.num ? ff::av_rescale_q(1, av_inv_q(is->frame_rate), AV_TIME_BASE_Q) : 40000;
  bool reachedStart = false;
  for (int64_t back = 500000;; back *= 2) {
    bool ok = true;
    for (int n = 0; n < 2000; ++n) {
      AVPacket* pkt = ff::av_packet_alloc();
      if (ff::av_read_frame(is->ic, pkt) < 0) {
        ff::av_packet_free(&pkt);
        break;
      }
      AHead.push_back(pkt);
      if (pkt->stream_index != video) continue;
      const int64_t ts = pkt->pts != AV_NOPTS_VALUE ? pkt->pts : pkt->dts;
      const int64_t us = ts != AV_NOPTS_VALUE ? ff::av_rescale_q(ts, tb, AV_TIME_BASE_Q) : AV_NOPTS_VALUE;
      ok = (pkt->flags & AV_PKT_FLAG_KEY) && us != AV_NOPTS_VALUE && us <= ATarget + slack;
      break;
    }
    const int64_t start = is->ic->start_time != AV_NOPTS_VALUE ? is->ic->start_time : 0;
    if (ok || reachedStart || back > 64000000 || is->abort_request.load()) return r;
    for (AVPacket*& pkt : AHead) ff::av_packet_free(&pkt);
    AHead.clear();
    const int64_t earlier = std::max(start, ATarget - back);
    reachedStart = earlier <= start;
    r = SeekOnce(is, earlier, INT64_MIN, earlier);
    if (r < 0) return SeekOnce(is, ATarget, lo, hi);
  }
}

}  // namespace

TVideoState::TVideoState(TCustomPlayer* AOwner)
    : Owner(AOwner), audioq(AOwner->Fflush_pkt), subtitleq(AOwner->Fflush_pkt), videoq(AOwner->Fflush_pkt) {}

TVideoState::~TVideoState() {
  if (rdft) ff::av_rdft_end(rdft);
  if (rdft_data) ff::av_free(rdft_data);
  if (held_frame) ff::av_frame_free(&held_frame);
  if (display_sws) ff::sws_freeContext(display_sws);
}

void TPlayerEngine::ReadThread(TVideoState* is) {
  NameThread("tvl-player-read");
  TCustomPlayer* p = is->Owner;
  bool failed = true;
  AVFormatContext* ic = ff::avformat_alloc_context();
  AVDictionary* opts = nullptr;
  int chosen[AVMEDIA_TYPE_NB];
  int counts[AVMEDIA_TYPE_NB] = {};
  std::fill(std::begin(chosen), std::end(chosen), -1);
  const int wanted[AVMEDIA_TYPE_NB] = {p->wanted_video_stream, p->wanted_audio_stream, -1,
                                       p->wanted_subtitle_stream, -1};
  bool eof = false;
  int r;
  if (!ic) {
    p->StoreError(u"av_mallocz() failed.");
    goto fail;
  }
  ic->interrupt_callback.callback = InterruptCallback;
  ic->interrupt_callback.opaque = is;
  if (p->Fframe_width > 0 && p->Fframe_height > 0)
    ff::av_dict_set(&opts, "video_size", engine::FmtA("%dx%d", p->Fframe_width, p->Fframe_height).c_str(), 0);
  if (p->Fframe_pix_fmt != AV_PIX_FMT_NONE)
    ff::av_dict_set(&opts, "pixel_format", ff::av_get_pix_fmt_name(p->Fframe_pix_fmt), 0);
  r = ff::avformat_open_input(&ic, is->filename.c_str(), is->iformat, &opts);
  ff::av_dict_free(&opts);
  if (r < 0) {
    ic = nullptr;
    p->StoreError(engine::FFmpegErrorText(rtl::S(is->filename), r));
    goto fail;
  }
  is->ic = ic;
  if (p->genpts) ic->flags |= AVFMT_FLAG_GENPTS;
  if (ff::avformat_find_stream_info(ic, nullptr) < 0) {
    p->StoreError(Fmt("%s: could not find codec parameters", is->filename.c_str()));
    goto fail;
  }
  if (ic->pb) ic->pb->eof_reached = 0;
  // Formats whose stamps may jump (MPEG transport streams and the like) are
  // seeked by bytes unless the caller chose. Decided per file: the setting
  // itself stays as the caller left it.
  is->seek_by_bytes = p->seek_by_bytes >= 0 ? (p->seek_by_bytes ? 1 : 0)
                                            : ((ic->iformat->flags & AVFMT_TS_DISCONT) ? 1 : 0);
  is->IsImage2 = IsSinglePictureFormat(ic->iformat->name);
  is->StartTime = ic->start_time != AV_NOPTS_VALUE ? ic->start_time : 0;
  is->Duration = ic->duration != AV_NOPTS_VALUE ? ic->duration : -1;
  if (p->start_time != AV_NOPTS_VALUE) {
    const int64_t target = p->start_time + (ic->start_time != AV_NOPTS_VALUE ? ic->start_time : 0);
    if (ff::avformat_seek_file(ic, -1, INT64_MIN, target, INT64_MAX, 0) < 0)
      p->ReportError(Fmt("%s: could not seek to position %0.3f", is->filename.c_str(), target / 1000000.0), false);
  }
  // Stream choice: the wanted n-th stream of a kind, else the one FFmpeg
  // ranks best, else the first of the kind. Cover art is never video.
  for (unsigned i = 0; i < ic->nb_streams; ++i) {
    ic->streams[i]->discard = AVDISCARD_ALL;
    const int t = TCustomAVProbe::StreamKind(ic->streams[i]);
    if (t < 0 || t >= AVMEDIA_TYPE_NB || t == AVMEDIA_TYPE_DATA || t == AVMEDIA_TYPE_ATTACHMENT) continue;
    if (wanted[t] >= 0 && wanted[t] == counts[t]) chosen[t] = static_cast<int>(i);
    ++counts[t];
  }
  for (int t : {AVMEDIA_TYPE_VIDEO, AVMEDIA_TYPE_AUDIO, AVMEDIA_TYPE_SUBTITLE}) {
    if (wanted[t] >= 0 || counts[t] == 0) continue;
    const int related = t == AVMEDIA_TYPE_SUBTITLE ? chosen[AVMEDIA_TYPE_VIDEO] : -1;
    int best = ff::av_find_best_stream(ic, static_cast<AVMediaType>(t), -1, related, nullptr, 0);
    if (best < 0 || TCustomAVProbe::StreamKind(ic->streams[best]) != t) {
      best = -1;
      for (unsigned i = 0; i < ic->nb_streams && best < 0; ++i)
        if (TCustomAVProbe::StreamKind(ic->streams[i]) == t) best = static_cast<int>(i);
    }
    chosen[t] = best;
  }
  if (p->Fvideo_disable) chosen[AVMEDIA_TYPE_VIDEO] = chosen[AVMEDIA_TYPE_SUBTITLE] = -1;
  if (p->Faudio_disable) chosen[AVMEDIA_TYPE_AUDIO] = -1;
  if (chosen[AVMEDIA_TYPE_VIDEO] >= 0) {
    // Set before the sound starts; released when the video does not open.
    is->audio_hold_since = ff::av_gettime();
    is->audio_hold = true;
  }
  if (chosen[AVMEDIA_TYPE_AUDIO] >= 0) ComponentOpen(is, chosen[AVMEDIA_TYPE_AUDIO]);
  r = chosen[AVMEDIA_TYPE_VIDEO] >= 0 ? ComponentOpen(is, chosen[AVMEDIA_TYPE_VIDEO]) : -1;
  if (r < 0) is->audio_hold = false;
  if (r < 0 && !p->Fdisplay_disable) is->show_audio = 2;
  if (chosen[AVMEDIA_TYPE_SUBTITLE] >= 0) ComponentOpen(is, chosen[AVMEDIA_TYPE_SUBTITLE]);
  if (is->video_stream.load() < 0 && is->audio_stream.load() < 0) {
    p->StoreError(Fmt("%s: could not open codecs, no stream to play.", is->filename.c_str()));
    goto fail;
  }
  is->Opened = 1;
  failed = false;

  while (!is->abort_request.load()) {
    if (is->paused.load() != is->last_paused) {
      is->last_paused = is->paused.load();
      if (is->last_paused)
        is->read_pause_return = ff::av_read_pause(ic);
      else
        ff::av_read_play(ic);
    }
    if (is->seek_req.load()) {
      const int64_t target = is->seek_pos;
      std::vector<AVPacket*> head;
      r = SeekToPicture(is, target, head);
      if (r < 0) {
        p->ReportError(Fmt("%s: error while seeking", is->filename.c_str()), false);
        if (is->video_st) p->FPictEvent.Set();
      } else {
        // Pictures and sound before the target are decoded but not shown.
        const double skip = (is->seek_flags & AVSEEK_FLAG_BYTE) ? -1e300 : target / 1000000.0;
        HoldAudio(is);
        if (is->audio_stream.load() >= 0) {
          is->audio_skip_until = skip;
          is->audioq.Flush();
          is->audioq.Put(p->Fflush_pkt);
        }
        if (is->subtitle_stream.load() >= 0) {
          is->subtitleq.Flush();
          is->subtitleq.Put(p->Fflush_pkt);
        }
        if (is->video_stream.load() >= 0 && !is->video_ended.load()) {
          is->seek_flushed = 0;
          is->seek_target = skip;
          is->videoq.Flush();
          is->videoq.Put(p->Fflush_pkt);
          p->FPictEvent.Reset();
        }
      }
      for (AVPacket* pkt : head) {
        QueuePacket(is, pkt);
        ff::av_packet_free(&pkt);
      }
      is->ErrorEOF = 0;
      is->ReachEOF = 0;
      is->seek_req = 0;
      is->seek_done = 1;
      p->FSeekEvent.Set();
      if (!is->video_st || is->video_ended.load()) p->FSeeking = false;
      eof = false;
    }
    const bool audioFull = is->audio_stream.load() < 0 || is->audioq.Size() > kMinAudioQueueSize;
    const bool videoFull = is->video_stream.load() < 0 || is->video_ended.load() || is->videoq.Packets() > kMinFrames;
    const bool subFull = is->subtitle_stream.load() < 0 || is->subtitleq.Packets() > kMinFrames;
    if (is->audioq.Size() + is->videoq.Size() + is->subtitleq.Size() > kMaxQueueSize ||
        (audioFull && videoFull && subFull)) {
      SleepMs(10);
      continue;
    }
    if (eof || (ic->pb && ic->pb->eof_reached)) {
      if (is->video_stream.load() >= 0 && !is->video_ended.load()) {
        is->videoq.PutEmpty(is->video_stream.load());
        p->FPictEvent.Set();
      }
      SleepMs(10);
      if (is->audioq.Size() == 0 && is->videoq.Size() == 0 && is->subtitleq.Size() == 0) is->ReachEOF = 1;
      continue;
    }
    AVPacket* pkt = ff::av_packet_alloc();
    is->Reading = 1;
    r = ff::av_read_frame(ic, pkt);
    is->Reading = 0;
    if (is->abort_request.load()) {
      ff::av_packet_free(&pkt);
      break;
    }
    if (r < 0) {
      ff::av_packet_free(&pkt);
      if (r == AVERROR(EAGAIN)) {
        SleepMs(10);
        continue;
      }
      if (is->video_st) p->FPictEvent.Set();
      if (!is->IsImage2 && !is->ErrorEOF.load()) {
        is->ErrorEOF = 1;
        if (r == AVERROR_EOF)
          engine::GetFFLogger()->Log(p, engine::llInfo, Fmt("reach end of file: %s", is->filename.c_str()));
        else
          p->ReportError(Fmt("error #%d while reading file: %s", r, is->filename.c_str()), false);
      }
      if (r == AVERROR_EOF) eof = true;
      if (ic->pb && ic->pb->error) break;
      SleepMs(r == AVERROR_EOF ? 10 : 100);
      continue;
    }
    QueuePacket(is, pkt);
    ff::av_packet_free(&pkt);
  }
  while (!is->abort_request.load()) SleepMs(100);

fail:
  if (is->Opened.load() != 1) is->Opened = -1;
  ComponentClose(is, is->audio_stream.load());
  ComponentClose(is, is->video_stream.load());
  ComponentClose(is, is->subtitle_stream.load());
  if (ic) ff::avformat_close_input(&ic);
  is->ic = nullptr;
  if (failed) p->PostQuitEvent();
  if (is->Opened.load() == -1) is->Opened = -2;
}

int TPlayerEngine::ComponentOpen(TVideoState* is, int AStreamIndex) {
  TCustomPlayer* p = is->Owner;
  AVFormatContext* ic = is->ic;
  if (AStreamIndex < 0 || AStreamIndex >= static_cast<int>(ic->nb_streams)) return -1;
  AVStream* st = ic->streams[AStreamIndex];
  const AVCodec* codec = ff::avcodec_find_decoder(st->codecpar->codec_id);
  AVCodecContext* dec = ff::avcodec_alloc_context3(codec);
  if (!dec) return -1;
  if (ff::avcodec_parameters_to_context(dec, st->codecpar) < 0) {
    ff::avcodec_free_context(&dec);
    return -1;
  }
  dec->pkt_timebase = st->time_base;
  dec->workaround_bugs = p->workaround_bugs;
  // Motion vectors are drawn by the video filters from the ones the decoder
  // exports.
  if (p->debug_mv && st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) dec->flags2 |= AV_CODEC_FLAG2_EXPORT_MVS;
  if (codec) dec->lowres = std::min(p->lowres, static_cast<int>(codec->max_lowres));
  dec->idct_algo = p->idct_algo;
  if (p->fast) dec->flags2 |= AV_CODEC_FLAG2_FAST;
  dec->error_concealment = p->error_concealment;
  if (p->error_recognition <= 0)
    dec->err_recognition = 0;
  else if (p->error_recognition >= 3)
    dec->err_recognition = AV_EF_COMPLIANT | AV_EF_AGGRESSIVE;
  dec->thread_count = 1;
  {
    std::lock_guard g(engine::CodecLock);
    if (!codec || ff::avcodec_open2(dec, codec, nullptr) < 0) {
      ff::avcodec_free_context(&dec);
      p->ReportError(u"avcodec_open() failed.", false);
      return -1;
    }
  }
  if (dec->codec_type == AVMEDIA_TYPE_AUDIO) {
    SDL_AudioSpec wanted{}, spec{};
    wanted.freq = dec->sample_rate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = static_cast<Uint8>(std::clamp(dec->ch_layout.nb_channels, 1, 2));
    wanted.silence = 0;
    wanted.samples = 1024;
    wanted.callback = &TPlayerEngine::AudioCallback;
    wanted.userdata = is;
    if (ff::SDL_OpenAudio(&wanted, &spec) < 0) {
      p->ReportError(u"SDL_OpenAudio() failed: " + rtl::S(ff::SDL_GetError()), false);
      std::lock_guard g(engine::CodecLock);
      ff::avcodec_free_context(&dec);
      return -1;
    }
    is->audio_hw_buf_size = static_cast<int>(spec.size);
    is->audio_tgt_channels = spec.channels;
    is->audio_tgt_freq = spec.freq;
  }
  st->discard = AVDISCARD_DEFAULT;
  switch (dec->codec_type) {
    case AVMEDIA_TYPE_AUDIO:
      // The device is open but paused; its lock orders this set-up before
      // the first callback.
      ff::SDL_LockAudio();
      is->audio_st = st;
      is->audio_dec = dec;
      is->AudioDuration = st->duration != AV_NOPTS_VALUE
                              ? ff::av_rescale_q(st->duration, st->time_base, AVRational{1, 1000000})
                              : -1;
      is->audio_buf_size = 0;
      is->audio_buf_index = 0;
      InitAudioDrift(is->drift, is->audio_tgt_freq);
      is->audio_frame = ff::av_frame_alloc();
      is->audioq.Start();
      is->audioq.Put(p->Fflush_pkt);
      is->audio_stream = AStreamIndex;
      is->audio_open = true;
      ff::SDL_UnlockAudio();
      ff::SDL_PauseAudio(0);
      break;
    case AVMEDIA_TYPE_VIDEO:
      is->video_st = st;
      is->video_dec = dec;
      is->frame_rate = ff::av_guess_frame_rate(ic, st, nullptr);
      is->videoq.Start();
      is->videoq.Put(p->Fflush_pkt);
      is->video_stream = AStreamIndex;
      is->video_tid = std::thread(&TPlayerEngine::VideoThread, is);
      break;
    case AVMEDIA_TYPE_SUBTITLE:
      is->subtitle_st = st;
      is->subtitle_dec = dec;
      is->subtitleq.Start();
      is->subtitleq.Put(p->Fflush_pkt);
      is->subtitle_stream = AStreamIndex;
      is->subtitle_tid = std::thread(&TPlayerEngine::SubtitleThread, is);
      break;
    default:
      break;
  }
  return 0;
}

void TPlayerEngine::ComponentClose(TVideoState* is, int AStreamIndex) {
  if (!is->ic || AStreamIndex < 0 || AStreamIndex >= static_cast<int>(is->ic->nb_streams)) return;
  AVCodecContext* dec = nullptr;
  if (AStreamIndex == is->video_stream.load()) {
    is->videoq.Abort();
    {
      std::lock_guard g(is->pictq_mutex);
      is->pictq_cond.notify_all();
    }
    if (is->video_tid.joinable()) is->video_tid.join();
    is->videoq.Flush();
    dec = is->video_dec;
    is->video_dec = nullptr;
    is->video_st = nullptr;
    is->video_stream = -1;
  } else if (AStreamIndex == is->audio_stream.load()) {
    is->audioq.Abort();
    if (is->audio_open) ff::SDL_CloseAudio();
    is->audio_open = false;
    is->audioq.Flush();
    if (is->swr_ctx) ff::swr_free(&is->swr_ctx);
    ff::av_channel_layout_uninit(&is->swr_layout);
    is->swr_fmt = -1;
    if (is->audio_frame) ff::av_frame_free(&is->audio_frame);
    dec = is->audio_dec;
    is->audio_dec = nullptr;
    is->audio_st = nullptr;
    is->audio_stream = -1;
    is->AudioDuration = -1;
  } else if (AStreamIndex == is->subtitle_stream.load()) {
    is->subtitleq.Abort();
    {
      std::lock_guard g(is->subpq_mutex);
      is->subtitle_stream_changed = 1;
      is->subpq_cond.notify_all();
    }
    if (is->subtitle_tid.joinable()) is->subtitle_tid.join();
    is->subtitleq.Flush();
    dec = is->subtitle_dec;
    is->subtitle_dec = nullptr;
    is->subtitle_st = nullptr;
    is->subtitle_stream = -1;
  } else {
    return;
  }
  is->ic->streams[AStreamIndex]->discard = AVDISCARD_ALL;
  std::lock_guard g(engine::CodecLock);
  ff::avcodec_free_context(&dec);
}

void TPlayerEngine::HoldAudio(TVideoState* is) {
  if (is->video_stream.load() < 0 || is->video_ended.load()) return;
  is->audio_hold_since = ff::av_gettime();
  is->audio_hold = true;
}

void TPlayerEngine::StreamClose(TVideoState* is) {
  is->abort_request = true;
  WakeRefresh(is);
  is->Owner->FAVProbe->SetFileHandle(nullptr);
  if (is->parse_tid.joinable()) is->parse_tid.join();
  if (is->refresh_tid.joinable()) is->refresh_tid.join();
  for (TVideoPicture& vp : is->pictq) {
    if (vp.bmp) ff::SDL_FreeYUVOverlay(vp.bmp);
    vp.bmp = nullptr;
  }
  for (TSubPicture& sp : is->subpq) ff::avsubtitle_free(&sp.sub);
}

}  // namespace player
