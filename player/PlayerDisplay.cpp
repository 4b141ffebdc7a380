// Clocks, the refresh pass, the video surface and the displays, and the
// audio callback.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/FFmpegLogger.h"
#include "platform/rtl/Strings.h"
#include "player/PlayerState.h"

namespace player {

// ---- Clocks -------------------------------------------------------------------

double TPlayerEngine::AudioClock(TVideoState* is) {
  double pts = is->audio_clock.load();
  const int bytesPerSec = is->audio_tgt_freq * 2 * is->audio_tgt_channels;
  // Silence played while nothing is decoded is not part of the stream.
  if (bytesPerSec > 0 && is->audio_st && !is->audio_buf_silent.load())
    pts -= static_cast<double>(is->audio_buf_size.load() - is->audio_buf_index.load()) / bytesPerSec;
  return pts;
}

double TPlayerEngine::VideoClock(TVideoState* is) {
  if (is->paused.load()) return is->video_current_pts.load();
  const double drift = is->video_current_pts_drift.load();
  if (drift != 0) return NowSeconds() + drift;
  return is->StartTime / 1000000.0;
}

double TPlayerEngine::ExternalClock(TVideoState* is) {
  return is->external_clock + (ff::av_gettime() - is->external_clock_time) * 0.000001;
}

double TPlayerEngine::MasterClock(TVideoState* is) {
  switch (is->av_sync_type) {
    case AV_SYNC_VIDEO_MASTER:
      return is->video_st ? VideoClock(is) : AudioClock(is);
    case AV_SYNC_AUDIO_MASTER:
      return is->audio_st ? AudioClock(is) : VideoClock(is);
    default:
      return ExternalClock(is);
  }
}

double TPlayerEngine::ComputeTargetTime(TVideoState* is, double APts) {
  double delay = APts - is->frame_last_pts;
  if (delay <= 0 || delay >= 10)
    delay = is->frame_last_delay;
  else
    is->frame_last_delay = delay;
  is->frame_last_pts = APts;
  // While the sound waits for the first picture its clock stands still and
  // says nothing about the pictures.
  const bool audioRuns = is->audio_st && !is->audio_hold.load();
  if ((is->av_sync_type == AV_SYNC_AUDIO_MASTER && audioRuns) || is->av_sync_type == AV_SYNC_EXTERNAL_CLOCK) {
    const double diff = VideoClock(is) - MasterClock(is);
    const double threshold = std::max(0.01, delay);
    if (std::fabs(diff) < 10) {
      if (diff <= -threshold)
        delay = 0;
      else if (diff >= threshold)
        delay = 2 * delay;
    }
  }
  is->frame_timer = is->frame_timer.load() + delay;
  return is->frame_timer.load();
}

// ---- Refresh -----------------------------------------------------------------

// Seconds until the picture at the head of the queue is due: a refresh
// pass before then does nothing at all. 0 when a pass has work (a picture
// due, none queued: positions and the end are reported, or no video).
double TPlayerEngine::RefreshIdleTime(TVideoState* is) {
  if (!is->video_st || (is->audio_st && is->show_audio.load())) return 0;
  double target;
  {
    std::lock_guard g(is->pictq_mutex);
    if (is->pictq_size == 0) return 0;
    target = is->pictq[is->pictq_rindex].target.load();
  }
  return std::max(0.0, target - NowSeconds());
}

void TPlayerEngine::WakeRefresh(TVideoState* is) {
  {
    std::lock_guard g(is->refresh_mutex);
    is->refresh_wake = true;
  }
  is->refresh_cond.notify_one();
}

void TPlayerEngine::RefreshThread(TVideoState* is) {
  NameThread("tvl-player-rfsh");
  while (!is->abort_request.load()) {
    // A pass every 5 ms (the sound display's own period while it is shown),
    // except while the next picture is not due: a pass would find nothing to
    // do, so the thread sleeps until it is due (or is woken for a new next
    // picture). At 30 pictures a second the play thread then wakes for the
    // pictures rather than 200 times, and shows each on time.
    const int period = is->audio_stream.load() >= 0 && is->show_audio.load() ? std::max(1, is->Owner->rdftspeed) : 5;
    const double idle = RefreshIdleTime(is);
    if (idle <= 0 && is->refresh.load() != 1) {
      is->refresh = 1;
      SDL_Event ev{};
      ev.type = PLAYER_REFRESH_EVENT;
      ev.user.type = PLAYER_REFRESH_EVENT;
      ev.user.data1 = is;
      PushPlayerEvent(ev);
    }
    const double wait = idle > 0 ? std::min(idle, 0.1) : period / 1000.0;
    std::unique_lock g(is->refresh_mutex);
    is->refresh_cond.wait_for(g, std::chrono::duration<double>(wait),
                              [&] { return is->refresh_wake || is->abort_request.load(); });
    is->refresh_wake = false;
  }
}

namespace {

// The picture at the read index leaves the queue; it stays the one on screen.
void Advance(TVideoState* is) {
  std::lock_guard g(is->pictq_mutex);
  is->pictq_shown = is->pictq_rindex;
  is->pictq_rindex = (is->pictq_rindex + 1) % PictureSlots;
  is->pictq_size--;
  is->pictq_cond.notify_all();
}

void RetireSubtitle(TVideoState* is) {
  ff::avsubtitle_free(&is->subpq[is->subpq_rindex].sub);
  is->subpq_rindex = (is->subpq_rindex + 1) % SubtitleQueueSize;
  std::lock_guard g(is->subpq_mutex);
  is->subpq_size--;
  is->subpq_cond.notify_all();
}

}  // namespace

void TPlayerEngine::Refresh(TVideoState* is, bool AAdvance) {
  TCustomPlayer* p = is->Owner;
  bool report = true;
  if (!is->video_st) {
    if (is->audio_st && !p->Fdisplay_disable) VideoDisplay(is, -1);
    p->DoPosition();
    return;
  }
  int slot = -1;
  for (;;) {
    int size;
    {
      std::lock_guard g(is->pictq_mutex);
      size = is->pictq_size;
    }
    const bool force = is->seek_done.load() != 0;
    if (size == 0) {
      if (!AAdvance) VideoDisplay(is, is->pictq_shown.load());
      break;
    }
    const double now = NowSeconds();
    TVideoPicture& vp = is->pictq[is->pictq_rindex];
    if (now < vp.target.load()) return;
    is->video_current_pts = vp.pts;
    is->video_current_pts_drift = vp.pts - now;
    is->video_current_pos = vp.pos;
    double next;
    if (size == 1)
      next = vp.target.load() + is->video_clock.load() - vp.pts;
    else
      next = std::max(is->pictq[(is->pictq_rindex + 1) % PictureSlots].target.load(), vp.target.load());
    // Pictures shown while paused (after an open, a seek or a step) are the
    // ones asked for: none of them is late.
    if ((p->framedrop && now > next && !is->IsDevice && !is->paused.load()) || force) {
      is->skip_frames = is->skip_frames.load() * 1.05f;
      if (size == 2 || now > next + 0.5 || force) {
        if (!force) p->FFramesDropped++;
        Advance(is);
        report = false;
        continue;
      }
    }
    slot = is->pictq_rindex;
    break;
  }
  if (slot >= 0) {
    if (is->subtitle_st) {
      if (is->subtitle_stream_changed.load()) {
        while (true) {
          {
            std::lock_guard g(is->subpq_mutex);
            if (is->subpq_size == 0) break;
          }
          RetireSubtitle(is);
        }
        is->subtitle_stream_changed = 0;
      } else {
        for (;;) {
          int n;
          {
            std::lock_guard g(is->subpq_mutex);
            n = is->subpq_size;
          }
          if (n == 0) break;
          const TSubPicture& sp = is->subpq[is->subpq_rindex];
          const double cur = is->video_current_pts.load();
          const TSubPicture& sp2 = is->subpq[(is->subpq_rindex + 1) % SubtitleQueueSize];
          if (cur > sp.pts + sp.sub.end_display_time / 1000.0 ||
              (n > 1 && cur > sp2.pts + sp2.sub.start_display_time / 1000.0))
            RetireSubtitle(is);
          else
            break;
        }
      }
    }
    VideoDisplay(is, slot);
    is->audio_hold = false;
    if (AAdvance) {
      p->FFramesShown++;
      Advance(is);
    }
  }
  if (!report) return;
  p->DoPosition();
}

// ---- Surface and display ----------------------------------------------------------

int TPlayerEngine::VideoOpen(TVideoState* is, bool AForce) {
  TCustomPlayer* p = is->Owner;
  int w, h;
  if (p->Fis_full_screen && p->Ffs_screen_width > 0) {
    w = p->Ffs_screen_width;
    h = p->Ffs_screen_height;
  } else if (p->Fscreen_width > 0 && p->Fscreen_height > 0) {
    w = p->Fscreen_width;
    h = p->Fscreen_height;
  } else if (is->alloc_width.load() > 0) {
    w = is->alloc_width.load();
    h = is->alloc_height.load();
  } else {
    w = 640;
    h = 480;
  }
  if (!AForce && p->Fscreen && is->width == w && is->height == h && p->Fscreen->w == w && p->Fscreen->h == h)
    return 0;
  char driver[64] = "";
  ff::SDL_VideoDriverName(driver, sizeof driver);
  // The dummy driver's default 8 bits take no YUV overlay.
  const int bpp = std::strcmp(driver, "dummy") == 0 ? 32 : 0;
  const Uint32 flags = p->Fis_full_screen ? (SDL_FULLSCREEN | SDL_HWSURFACE | SDL_ASYNCBLIT | SDL_HWACCEL)
                                          : (SDL_HWSURFACE | SDL_ASYNCBLIT | SDL_RESIZABLE | SDL_HWACCEL);
  SDL_Surface* s = ff::SDL_SetVideoMode(w, h, bpp, flags);
  if (!s) {
    p->ReportError(u"SDL: could not set video mode.", false);
    return -1;
  }
  p->Fscreen = s;
  if (!p->FScreenHandle) ff::SDL_WM_SetCaption("RIDodevu", "RIDodevu");
  is->width = s->w;
  is->height = s->h;
  return 0;
}

void TPlayerEngine::VideoDisplay(TVideoState* is, int ASlot) {
  if (!is->Owner->Fscreen) VideoOpen(is, false);
  if (!is->Owner->Fscreen) return;
  if (is->audio_st && is->show_audio.load())
    AudioDisplay(is);
  else if (is->video_st && ASlot >= 0)
    ImageDisplay(is, ASlot);
}

void TPlayerEngine::ImageDisplay(TVideoState* is, int ASlot) {
  TCustomPlayer* p = is->Owner;
  TVideoPicture& vp = is->pictq[ASlot];
  is->pictq_shown = ASlot;
  if (!vp.bmp) return;
  const TDisplayRect r = CalculateDisplayRect(is->xleft, is->ytop, is->width, is->height, vp.width, vp.height,
                                              vp.sar, p->FAspectRatio.load());
  if (is->subtitle_st) {
    int n;
    {
      std::lock_guard g(is->subpq_mutex);
      n = is->subpq_size;
    }
    const TSubPicture& sp = is->subpq[is->subpq_rindex];
    if (n > 0 && vp.pts >= sp.pts + sp.sub.start_display_time / 1000.0) {
      ff::SDL_LockYUVOverlay(vp.bmp);
      uint8_t* planes[3] = {vp.bmp->pixels[0], vp.bmp->pixels[2], vp.bmp->pixels[1]};
      const int pitches[3] = {vp.bmp->pitches[0], vp.bmp->pitches[2], vp.bmp->pitches[1]};
      for (unsigned i = 0; i < sp.sub.num_rects; ++i) {
        const AVSubtitleRect* rc = sp.sub.rects[i];
        BlendSubtitle(planes, pitches, vp.bmp->w, vp.bmp->h, rc->data[0], rc->linesize[0],
                      reinterpret_cast<const uint32_t*>(rc->data[1]), rc->x, rc->y, rc->w, rc->h);
      }
      ff::SDL_UnlockYUVOverlay(vp.bmp);
    }
  }
  SDL_Rect rect{static_cast<Sint16>(r.x), static_cast<Sint16>(r.y), static_cast<Uint16>(r.w),
                static_cast<Uint16>(r.h)};
  ShowOverlay(is, vp.bmp, rect);
}

namespace {

// The pixel format of a surface as libswscale names it; AV_PIX_FMT_NONE for
// formats it is not given (palettes, unusual masks). 32-bit surfaces are
// named with an alpha byte (written opaque, unused by SDL): libswscale keeps
// a context made for the "unused byte" names under the alpha name, so its
// cache would never find it again and rebuild it for every picture.
AVPixelFormat SurfacePixelFormat(const SDL_PixelFormat* AFormat) {
  if (!AFormat || AFormat->palette) return AV_PIX_FMT_NONE;
  const Uint32 r = AFormat->Rmask, g = AFormat->Gmask, b = AFormat->Bmask;
  switch (AFormat->BitsPerPixel) {
    case 32:
      if (g != 0xFF00) break;
      if (r == 0xFF0000 && b == 0xFF) return AV_PIX_FMT_RGB32;
      if (r == 0xFF && b == 0xFF0000) return AV_PIX_FMT_BGR32;
      break;
    case 24:
      if (g != 0xFF00 || SDL_BYTEORDER != SDL_LIL_ENDIAN) break;
      if (r == 0xFF0000 && b == 0xFF) return AV_PIX_FMT_BGR24;
      if (r == 0xFF && b == 0xFF0000) return AV_PIX_FMT_RGB24;
      break;
    case 16:
      if (r == 0xF800 && g == 0x07E0 && b == 0x1F) return AV_PIX_FMT_RGB565;
      break;
    case 15:
      if (r == 0x7C00 && g == 0x03E0 && b == 0x1F) return AV_PIX_FMT_RGB555;
      break;
    default:
      break;
  }
  return AV_PIX_FMT_NONE;
}

}  // namespace

// Shows the overlay in ARect of the surface. A hardware overlay is SDL's to
// show; a software one SDL would convert with plain C, so it is converted
// (and scaled) into the surface here with libswscale's vector code, which
// takes a quarter of the time, and the rectangle is updated.
void TPlayerEngine::ShowOverlay(TVideoState* is, SDL_Overlay* AOverlay, const SDL_Rect& ARect) {
  TCustomPlayer* p = is->Owner;
  SDL_Surface* screen = p->Fscreen;
  const AVPixelFormat fmt = SurfacePixelFormat(screen->format);
  SDL_Rect r = ARect;
  const int x1 = std::min<int>(r.x + r.w, screen->w), y1 = std::min<int>(r.y + r.h, screen->h);
  if (AOverlay->hw_overlay || fmt == AV_PIX_FMT_NONE || r.x < 0 || r.y < 0 || x1 <= r.x || y1 <= r.y) {
    ff::SDL_DisplayYUVOverlay(AOverlay, &r);
    return;
  }
  r.w = static_cast<Uint16>(x1 - r.x);
  r.h = static_cast<Uint16>(y1 - r.y);
  is->display_sws = ff::sws_getCachedContext(is->display_sws, AOverlay->w, AOverlay->h, AV_PIX_FMT_YUV420P, r.w,
                                             r.h, fmt, p->Fsws_flags, nullptr, nullptr, nullptr);
  if (!is->display_sws || ff::SDL_LockSurface(screen) < 0) {
    ff::SDL_DisplayYUVOverlay(AOverlay, &r);
    return;
  }
  ff::SDL_LockYUVOverlay(AOverlay);
  const uint8_t* src[4] = {AOverlay->pixels[0], AOverlay->pixels[2], AOverlay->pixels[1], nullptr};
  const int srcPitch[4] = {AOverlay->pitches[0], AOverlay->pitches[2], AOverlay->pitches[1], 0};
  const int bpp = screen->format->BytesPerPixel;
  uint8_t* target = static_cast<uint8_t*>(screen->pixels) + r.y * screen->pitch + r.x * bpp;
  // libswscale's vector code writes whole blocks of pixels: a row whose
  // width is not a multiple of the block runs past its end (into the bars
  // beside the picture, or past the surface on the last row), so such rows
  // are converted aside and copied.
  if (r.w % 32 == 0) {
    uint8_t* dst[4] = {target, nullptr, nullptr, nullptr};
    const int dstPitch[4] = {screen->pitch, 0, 0, 0};
    ff::sws_scale(is->display_sws, src, srcPitch, 0, AOverlay->h, dst, dstPitch);
  } else {
    const int pitch = ((r.w + 31) & ~31) * bpp + 64;
    is->display_rows.resize(size_t(pitch) * r.h);
    uint8_t* dst[4] = {is->display_rows.data(), nullptr, nullptr, nullptr};
    const int dstPitch[4] = {pitch, 0, 0, 0};
    ff::sws_scale(is->display_sws, src, srcPitch, 0, AOverlay->h, dst, dstPitch);
    for (int y = 0; y < r.h; ++y)
      std::memcpy(target + size_t(y) * screen->pitch, is->display_rows.data() + size_t(y) * pitch, size_t(r.w) * bpp);
  }
  ff::SDL_UnlockYUVOverlay(AOverlay);
  ff::SDL_UnlockSurface(screen);
  ff::SDL_UpdateRect(screen, r.x, r.y, r.w, r.h);
}

void TPlayerEngine::AudioDisplay(TVideoState* is) {
  // The audio callback writes the sample ring.
  ff::SDL_LockAudio();
  AudioDisplayLocked(is);
  ff::SDL_UnlockAudio();
}

void TPlayerEngine::AudioDisplayLocked(TVideoState* is) {
  TCustomPlayer* p = is->Owner;
  SDL_Surface* screen = p->Fscreen;
  const int channels = std::max(1, is->audio_tgt_channels);
  int bits = 1;
  while ((1 << bits) < 2 * is->height) ++bits;
  const int freqs = 1 << (bits - 1);
  const int mode = is->show_audio.load();
  auto sample = [&](int i) { return static_cast<int>(is->sample_array[((i % SampleArraySize) + SampleArraySize) % SampleArraySize]); };
  int start;
  if (is->paused.load()) {
    start = is->last_i_start;
  } else {
    const int used = mode == 1 ? is->width : 2 * freqs;
    int delay = (is->audio_buf_size.load() - is->audio_buf_index.load()) / (2 * channels);
    const int64_t cb = p->Faudio_callback_time.load();
    if (cb) delay -= static_cast<int>((ff::av_gettime() - cb) * is->audio_tgt_freq / 1000000);
    delay += 2 * used;
    delay = std::max(delay, used);
    start = ((is->sample_array_index - delay * channels) % SampleArraySize + SampleArraySize) % SampleArraySize;
    if (mode == 1) {
      int best = start, bestScore = INT32_MIN;
      for (int i = 0; i < 1000; i += channels) {
        const int idx = ((start - i) % SampleArraySize + SampleArraySize) % SampleArraySize;
        const int a = sample(idx + 4 * channels), b = sample(idx + 5 * channels);
        const int score = sample(idx) - sample(idx + 9 * channels);
        if (score > bestScore && ((a < 0) != (b < 0))) {
          bestScore = score;
          best = idx;
        }
      }
      start = best;
    }
    is->last_i_start = start;
  }
  if (mode == 1) {
    SDL_Rect area{static_cast<Sint16>(is->xleft), static_cast<Sint16>(is->ytop), static_cast<Uint16>(is->width),
                  static_cast<Uint16>(is->height)};
    ff::SDL_FillRect(screen, &area, ff::SDL_MapRGB(screen->format, 0, 0, 0));
    const Uint32 white = ff::SDL_MapRGB(screen->format, 255, 255, 255);
    const int h = is->height / channels, h2 = h * 9 / 20;
    for (int c = 0; c < channels; ++c) {
      int i = start + c;
      const int y1 = is->ytop + c * h + h / 2;
      for (int x = 0; x < is->width; ++x) {
        const int v = (sample(i) * h2) >> 15;
        SDL_Rect bar{static_cast<Sint16>(is->xleft + x), static_cast<Sint16>(v < 0 ? y1 : y1 - v), 1,
                     static_cast<Uint16>(std::abs(v))};
        if (v != 0) ff::SDL_FillRect(screen, &bar, white);
        i = (i + channels) % SampleArraySize;
      }
    }
    for (int c = 1; c < channels; ++c) {
      SDL_Rect line{static_cast<Sint16>(is->xleft), static_cast<Sint16>(is->ytop + c * h),
                    static_cast<Uint16>(is->width), 1};
      ff::SDL_FillRect(screen, &line, white);
    }
    ff::SDL_UpdateRect(screen, area.x, area.y, area.w, area.h);
  } else if (mode == 2) {
    const int nb = std::min(channels, 2);
    if (bits != is->rdft_bits) {
      if (is->rdft) ff::av_rdft_end(is->rdft);
      is->rdft = ff::av_rdft_init(bits, DFT_R2C);
      is->rdft_bits = bits;
      ff::av_free(is->rdft_data);
      is->rdft_data = static_cast<float*>(ff::av_mallocz(sizeof(float) * 4 * freqs));
    }
    if (!is->rdft || !is->rdft_data) return;
    for (int ch = 0; ch < nb; ++ch) {
      float* data = is->rdft_data + size_t(2) * freqs * ch;
      int i = start + ch;
      for (int x = 0; x < 2 * freqs; ++x) {
        const double w = static_cast<double>(x - freqs) / freqs;
        data[x] = static_cast<float>(sample(i) * (1.0 - w * w));
        i = (i + channels) % SampleArraySize;
      }
      ff::av_rdft_calc(is->rdft, data);
    }
    for (int y = 0; y < is->height && y < freqs; ++y) {
      auto level = [&](int ch) {
        const float* d = is->rdft_data + size_t(2) * freqs * ch;
        const double m = std::sqrt(double(d[2 * y]) * d[2 * y] + double(d[2 * y + 1]) * d[2 * y + 1]);
        return std::min(255, static_cast<int>(std::lround(std::sqrt(m / std::sqrt(double(freqs))))));
      };
      const int a = level(0), b = nb > 1 ? level(1) : a;
      SDL_Rect px{static_cast<Sint16>(is->xpos), static_cast<Sint16>(is->ytop + is->height - 1 - y), 1, 1};
      ff::SDL_FillRect(screen, &px, ff::SDL_MapRGB(screen->format, a, b, (a + b) / 2));
    }
    ff::SDL_UpdateRect(screen, is->xpos, is->ytop, 1, is->height);
    if (++is->xpos >= is->width) is->xpos = is->xleft;
  }
}

// ---- Audio --------------------------------------------------------------------------

namespace {

constexpr int64_t kAudioHoldLimit = 2000000;  // microseconds

// Decodes audio until one block of signed 16-bit samples is ready in
// audio_buf; its size in bytes, or -1 when nothing can be played now.
int AudioDecodeFrame(TVideoState* is, double& APts) {
  AVCodecContext* dec = is->audio_dec;
  for (;;) {
    while (ff::avcodec_receive_frame(dec, is->audio_frame) >= 0) {
      AVFrame* f = is->audio_frame;
      if (f->pts != AV_NOPTS_VALUE) is->audio_clock = f->pts * av_q2d(is->audio_st.load()->time_base);
      const double pts = is->audio_clock.load();
      const double dur = f->sample_rate > 0 ? static_cast<double>(f->nb_samples) / f->sample_rate : 0;
      is->audio_clock = pts + dur;
      if (is->audio_skip_active > -1e299) {
        if (pts + dur <= is->audio_skip_active) {
          ff::av_frame_unref(f);
          continue;
        }
        is->audio_skip_active = -1e300;
      }
      if (!is->swr_ctx || f->format != is->swr_fmt || f->sample_rate != is->swr_rate ||
          ff::av_channel_layout_compare(&f->ch_layout, &is->swr_layout) != 0) {
        ff::swr_free(&is->swr_ctx);
        AVChannelLayout out{};
        ff::av_channel_layout_default(&out, is->audio_tgt_channels);
        if (ff::swr_alloc_set_opts2(&is->swr_ctx, &out, AV_SAMPLE_FMT_S16, is->audio_tgt_freq, &f->ch_layout,
                                    static_cast<AVSampleFormat>(f->format), f->sample_rate, 0, nullptr) < 0 ||
            ff::swr_init(is->swr_ctx) < 0) {
          ff::swr_free(&is->swr_ctx);
          TPlayerEngine::Report(is,
              u"Cannot convert " + rtl::S(ff::av_get_sample_fmt_name(static_cast<AVSampleFormat>(f->format)) ?: "?") +
                  u" sample format to s16 sample format");
          ff::av_frame_unref(f);
          return -1;
        }
        is->swr_fmt = f->format;
        is->swr_rate = f->sample_rate;
        ff::av_channel_layout_uninit(&is->swr_layout);
        ff::av_channel_layout_copy(&is->swr_layout, &f->ch_layout);
      }
      const int frameBytes = 2 * is->audio_tgt_channels;
      const int outCount =
          static_cast<int>(ff::av_rescale_rnd(ff::swr_get_delay(is->swr_ctx, f->sample_rate) + f->nb_samples,
                                              is->audio_tgt_freq, f->sample_rate, AV_ROUND_UP)) + 256;
      // Room for the converted samples plus the 10 % a correction may add.
      const size_t need = size_t(outCount) * frameBytes * 11 / 10 + frameBytes;
      if (is->audio_buf1.size() < need) is->audio_buf1.resize(need);
      uint8_t* out = is->audio_buf1.data();
      const int n = ff::swr_convert(is->swr_ctx, &out, outCount, const_cast<const uint8_t**>(f->extended_data),
                                    f->nb_samples);
      ff::av_frame_unref(f);
      if (n < 0) {
        TPlayerEngine::Report(is, u"av_audio_convert() failed");
        return -1;
      }
      if (n == 0) continue;
      is->audio_buf = out;
      APts = pts;
      return n * frameBytes;
    }
    if (is->paused.load() || is->audioq.Aborted()) return -1;
    if (is->audio_hold.load()) {
      // A video that shows nothing for long does not keep the sound back.
      if (ff::av_gettime() - is->audio_hold_since.load() < kAudioHoldLimit) return -1;
      is->audio_hold = false;
    }
    AVPacket* pkt = nullptr;
    if (is->audioq.Get(pkt, false) <= 0) return -1;
    if (is->audioq.IsFlush(pkt)) {
      ff::avcodec_flush_buffers(dec);
      is->audio_skip_active = is->audio_skip_until.load();
      continue;
    }
    if (ff::avcodec_send_packet(dec, pkt) < 0)
      engine::GetFFLogger()->Log(is->Owner, engine::llInfo, u"avcodec_decode_audio2() failed");
    is->audioq.FreePacket(pkt);
  }
}

void UpdateSampleDisplay(TVideoState* is, const uint8_t* ASamples, int ASize) {
  const auto* s = reinterpret_cast<const int16_t*>(ASamples);
  int count = ASize / 2;
  while (count > 0) {
    const int n = std::min(count, SampleArraySize - is->sample_array_index);
    std::memcpy(&is->sample_array[is->sample_array_index], s, size_t(n) * 2);
    s += n;
    is->sample_array_index += n;
    if (is->sample_array_index >= SampleArraySize) is->sample_array_index = 0;
    count -= n;
  }
}

int SynchronizeAudio(TVideoState* is, int ASize) {
  if (!((is->av_sync_type == AV_SYNC_VIDEO_MASTER && is->video_st) || is->av_sync_type == AV_SYNC_EXTERNAL_CLOCK))
    return ASize;
  const int frameBytes = 2 * is->audio_tgt_channels;
  const double diff = TPlayerEngine::AudioClock(is) - TPlayerEngine::MasterClock(is);
  const int wanted = AudioCorrectedSize(is->drift, diff, ASize, frameBytes, is->audio_tgt_freq);
  if (wanted > ASize && ASize >= frameBytes) {
    const size_t offset = is->audio_buf - is->audio_buf1.data();
    if (is->audio_buf1.size() < offset + wanted) is->audio_buf1.resize(offset + wanted);
    is->audio_buf = is->audio_buf1.data() + offset;
    for (int at = ASize; at + frameBytes <= wanted; at += frameBytes)
      std::memcpy(is->audio_buf + at, is->audio_buf + ASize - frameBytes, frameBytes);
  }
  return wanted;
}

}  // namespace

void TPlayerEngine::AudioCallback(void* AOpaque, Uint8* AStream, int ALen) {
  auto* is = static_cast<TVideoState*>(AOpaque);
  TCustomPlayer* p = is->Owner;
  static thread_local bool named = false;  // SDL's own thread
  if (!named) NameThread("tvl-player-aud");
  named = true;
  p->Faudio_callback_time = ff::av_gettime();
  std::memset(AStream, 0, ALen);
  while (ALen > 0) {
    if (is->audio_buf_index.load() >= is->audio_buf_size.load()) {
      double pts = 0;
      const int size = AudioDecodeFrame(is, pts);
      if (is->audioq.Aborted()) return;
      if (size < 0) {
        if (is->audio_buf1.size() < 1024) is->audio_buf1.resize(1024);
        is->audio_buf = is->audio_buf1.data();
        std::memset(is->audio_buf, 0, 1024);
        is->audio_buf_size = 1024;
        is->audio_buf_silent = true;
      } else {
        is->audio_buf_silent = false;
        if (is->show_audio.load()) UpdateSampleDisplay(is, is->audio_buf, size);
        is->audio_buf_size = SynchronizeAudio(is, size);
      }
      is->audio_buf_index = 0;
    }
    const int n = std::min(is->audio_buf_size.load() - is->audio_buf_index.load(), ALen);
    if (!p->FMute.load())
      ff::SDL_MixAudio(AStream, is->audio_buf + is->audio_buf_index.load(), static_cast<Uint32>(n),
                       p->FAudioVolume.load());
    is->audio_buf_index = is->audio_buf_index.load() + n;
    AStream += n;
    ALen -= n;
  }
}

}  // namespace player
