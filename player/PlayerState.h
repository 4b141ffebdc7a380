// Everything the player knows about one open file, and the engine routines
// that work on it (read thread, decoders, audio callback, clocks, refresh
// and display). Internal to the player.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "player/FFPlay.h"
#include "player/PlayerMath.h"
#include "player/PlayerQueues.h"

struct SwrContext;
struct SwsContext;

namespace player {

inline constexpr int PictureQueueSize = 2;   // pictures waiting for display
inline constexpr int PictureSlots = 3;       // and the one on screen
inline constexpr int SubtitleQueueSize = 4;
inline constexpr int SampleArraySize = 0x20000;

// SDL user events of the player.
inline constexpr int PLAYER_ALLOC_EVENT = SDL_USEREVENT;
inline constexpr int PLAYER_REFRESH_EVENT = SDL_USEREVENT + 1;
inline constexpr int PLAYER_QUIT_EVENT = SDL_USEREVENT + 2;
inline constexpr int PLAYER_SCREEN_EVENT = SDL_USEREVENT + 3;
// The end of the play window was reached on another thread: the play thread
// stops or loops (under the data lock, which that thread may not take).
inline constexpr int PLAYER_WINDOW_EVENT = SDL_USEREVENT + 4;

struct TVideoPicture {
  double pts = 0;                 // seconds
  std::atomic<double> target{0};  // wall-clock seconds at which it is due
  int64_t pos = -1;
  SDL_Overlay* bmp = nullptr;
  int width = 0, height = 0;
  bool allocated = false;
  AVRational sar{0, 1};
};

struct TSubPicture {
  double pts = 0;
  AVSubtitle sub{};
};

struct TVideoState {
  explicit TVideoState(TCustomPlayer* AOwner);
  ~TVideoState();

  TCustomPlayer* Owner;
  std::thread parse_tid, video_tid, refresh_tid, subtitle_tid;
  const AVInputFormat* iformat = nullptr;
  std::atomic<bool> abort_request{false};
  std::atomic<int> paused{0};
  int last_paused = 0;
  std::atomic<int> seek_req{0};
  int seek_flags = 0;
  int64_t seek_pos = 0, seek_rel = 0;
  std::atomic<int> read_pause_return{0};
  AVFormatContext* ic = nullptr;
  int av_sync_type = AV_SYNC_AUDIO_MASTER;
  double external_clock = 0;
  int64_t external_clock_time = 0;

  // Audio.
  std::atomic<int> audio_stream{-1};
  std::atomic<AVStream*> audio_st{nullptr};
  AVCodecContext* audio_dec = nullptr;
  TPacketQueue audioq;
  std::atomic<double> audio_clock{0};
  TAudioDrift drift;
  int audio_hw_buf_size = 0;
  int audio_tgt_channels = 0, audio_tgt_freq = 0;
  std::vector<uint8_t> audio_buf1;  // converted audio of the current frame
  uint8_t* audio_buf = nullptr;
  std::atomic<int> audio_buf_size{0};
  std::atomic<int> audio_buf_index{0};
  std::atomic<bool> audio_buf_silent{false};  // the buffer holds silence, not decoded audio
  AVPacket* audio_pkt = nullptr;
  AVFrame* audio_frame = nullptr;
  SwrContext* swr_ctx = nullptr;
  int swr_fmt = -1, swr_rate = 0;
  AVChannelLayout swr_layout{};
  std::atomic<double> audio_skip_until{-1e300};  // seconds: audio before it is dropped after a seek
  // The sound waits for the first picture after an open or a seek, so both
  // start together instead of the pictures being dropped to catch up with
  // sound that started while the first picture was still being decoded.
  std::atomic<bool> audio_hold{false};
  std::atomic<int64_t> audio_hold_since{0};  // av_gettime when the wait began
  double audio_skip_active = -1e300;              // the same, taken with the flush (callback only)
  std::atomic<int> show_audio{0};
  std::vector<int16_t> sample_array = std::vector<int16_t>(SampleArraySize);
  int sample_array_index = 0;
  int last_i_start = 0;
  RDFTContext* rdft = nullptr;
  int rdft_bits = 0;
  float* rdft_data = nullptr;  // av_malloc'ed: the transform wants aligned memory
  int xpos = 0;
  bool audio_open = false;

  // Subtitles.
  std::atomic<int> subtitle_stream{-1};
  std::atomic<int> subtitle_stream_changed{0};
  std::atomic<AVStream*> subtitle_st{nullptr};
  AVCodecContext* subtitle_dec = nullptr;
  TPacketQueue subtitleq;
  TSubPicture subpq[SubtitleQueueSize];
  int subpq_size = 0, subpq_rindex = 0, subpq_windex = 0;
  std::mutex subpq_mutex;
  std::condition_variable subpq_cond;

  // Video.
  std::atomic<double> frame_timer{0};
  double frame_last_pts = 0, frame_last_delay = 0;
  std::atomic<double> video_clock{0};
  std::atomic<int> video_stream{-1};
  std::atomic<AVStream*> video_st{nullptr};
  AVCodecContext* video_dec = nullptr;
  TPacketQueue videoq;
  std::atomic<double> video_current_pts{0};
  std::atomic<double> video_current_pts_drift{0};
  std::atomic<int64_t> video_current_pos{-1};
  TVideoPicture pictq[PictureSlots];
  int pictq_size = 0, pictq_rindex = 0, pictq_windex = 0;
  std::atomic<int> pictq_shown{-1};  // the slot on screen, -1 before the first picture
  std::mutex pictq_mutex;
  std::condition_variable pictq_cond;
  std::atomic<int> alloc_width{0}, alloc_height{0};  // size of the overlay asked for
  AVRational frame_rate{0, 1};
  // The video thread gave up (its filters could not be set up): the sound
  // plays on alone, so video packets are no longer kept and the position
  // follows the sound.
  std::atomic<bool> video_ended{false};
  std::atomic<double> seek_target{-1e300};  // seconds: pictures before it are skipped after the next flush
  AVFrame* held_frame = nullptr;            // last skipped picture, shown when the end comes first
  SwsContext* display_sws = nullptr;        // overlay to surface, when SDL would convert in software
  std::vector<uint8_t> display_rows;        // the converted rows when they cannot go straight to the surface

  std::string filename;
  int width = 0, height = 0, xleft = 0, ytop = 0;
  int64_t faulty_pts = 0, faulty_dts = 0, last_dts_for_fault_detection = 0, last_pts_for_fault_detection = 0;
  std::atomic<float> skip_frames{1};
  float skip_frames_index = 0;
  std::atomic<int> refresh{0};
  // Wakes the refresh thread early: a picture became the next to show, the
  // queue was flushed, or the file is closing.
  std::mutex refresh_mutex;
  std::condition_variable refresh_cond;
  bool refresh_wake = false;

  std::atomic<int> Opened{0};
  int64_t StartTime = 0;
  int64_t Duration = -1;
  int64_t AudioDuration = -1;
  bool IsImage2 = false;
  // Relative seeks go by bytes (the player's setting, or decided from the
  // input format when that is -1).
  int seek_by_bytes = 0;
  bool IsDevice = false;
  std::atomic<int> ErrorEOF{0}, EventEOF{0}, ReachEOF{0}, Reading{0};
  std::atomic<int> open_paused{0}, seek_paused{0}, seek_done{0}, seek_flushed{0};
};

// The engine routines, with access to the player's fields.
struct TPlayerEngine {
  static void ReadThread(TVideoState* is);
  static int ComponentOpen(TVideoState* is, int AStreamIndex);
  static void ComponentClose(TVideoState* is, int AStreamIndex);
  static void VideoThread(TVideoState* is);
  static void SubtitleThread(TVideoState* is);
  static void AllocPicture(TVideoState* is);
  static int QueuePicture(TVideoState* is, AVFrame* AFrame, double APts, int64_t APos);
  static int OutputPicture(TVideoState* is, AVFrame* AFrame, double APts, int64_t APos);
  static bool HandlePicture(TVideoState* is, AVFrame* AFrame, AVRational ATimeBase);
  static void AudioCallback(void* AOpaque, Uint8* AStream, int ALen);
  static void RefreshThread(TVideoState* is);
  static double RefreshIdleTime(TVideoState* is);
  static void WakeRefresh(TVideoState* is);
  static void Refresh(TVideoState* is, bool AAdvance);
  static int VideoOpen(TVideoState* is, bool AForce);
  static void VideoDisplay(TVideoState* is, int ASlot);
  static void ImageDisplay(TVideoState* is, int ASlot);
  static void ShowOverlay(TVideoState* is, SDL_Overlay* AOverlay, const SDL_Rect& ARect);
  static void AudioDisplay(TVideoState* is);
  static void AudioDisplayLocked(TVideoState* is);
  static double AudioClock(TVideoState* is);
  static double VideoClock(TVideoState* is);
  static double ExternalClock(TVideoState* is);
  static double MasterClock(TVideoState* is);
  static double ComputeTargetTime(TVideoState* is, double APts);
  static void StreamClose(TVideoState* is);
  // Makes the sound wait for the next picture shown (with a video stream).
  static void HoldAudio(TVideoState* is);
  // Logs a playback problem (not stored in LastErrMsg).
  static void Report(TVideoState* is, const rtl::String& AText) { is->Owner->ReportError(AText, false); }
};

inline double NowSeconds() { return ff::av_gettime() / 1000000.0; }
void SleepMs(int AMilliseconds);
// Names the calling thread (seen by debuggers and profilers).
void NameThread(const char* AName);
// Posts an event to SDL's queue and wakes the play thread at once.
void PushPlayerEvent(SDL_Event& AEvent);
// The play thread's wait for the next SDL event. SDL 1.2 itself polls its
// queue every 10 ms; events posted by the player wake this wait at once,
// so pictures are shown when due rather than up to 10 ms later. False when
// SDL's queue is not available.
bool WaitPlayerEvent(SDL_Event& AEvent);

}  // namespace player
