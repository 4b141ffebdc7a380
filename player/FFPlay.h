// TCustomPlayer: plays one media file inside a window the caller owns.
// FFmpeg demuxes, decodes and filters; SDL 1.2 shows the pictures as a YUV
// overlay in that window (through SDL_WINDOWID, the host window's native
// child) and plays the sound. TRIDodevu is the player the main window keeps.
//
// Open starts, per file, a play thread (SDL's event loop: every operation
// on the video surface happens there), an event thread (delivers OnPosition
// and OnState), and the engine threads: read, video decoding, subtitle
// decoding and refresh, plus SDL's audio callback thread.
//
// Failures of Open return false with the text in LastErrMsg (also logged
// through the engine's logger); playback problems are only logged.
//
// Threads: the public operations are meant for the main thread. OnFileOpen,
// OnPosition and OnState run on the main thread when TriggerEventInMainThread
// (the default), else on the thread that raised them; OnHook runs on the
// video decoding thread with the overlay locked and must not touch windows.
// Stop(true) keeps the main thread's synchronisation queue and messages
// flowing while it waits.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "engine/FFBaseComponent.h"
#include "engine/FFUtils.h"
#include "engine/FFmpegLoader.h"
#include "engine/probe/AVProbe.h"
#include "player/PlayerQueues.h"
#include "platform/gdi/Bitmap.h"
#include "platform/win/WinTypes.h"

namespace player {

enum TPlayState : uint8_t { psPlay, psPause, psResume, psStep, psStop, psEnd };
enum TRepeatType : uint8_t { rtNone, rtStop, rtLoop };
enum TShowAudio : uint8_t { saNone, saWave, saRDFT };
enum TAudioDriver : uint8_t { adDefault, adDirectSound, adWaveOut };
enum TVideoDriver : uint8_t { vdDefault, vdDirectDraw, vdGDI };
enum Tav_sync_type : uint8_t { AV_SYNC_AUDIO_MASTER, AV_SYNC_VIDEO_MASTER, AV_SYNC_EXTERNAL_CLOCK };
using TAudioVolume = int;  // 0 .. 128

using TFileOpenEvent = std::function<void(rtl::TObject* Sender, int64_t ADuration, int AFrameWidth,
                                          int AFrameHeight, int& AScreenWidth, int& AScreenHeight)>;
using TPositionEvent = std::function<void(rtl::TObject* Sender, int64_t APTS)>;
using TPlayStateEvent = std::function<void(rtl::TObject* Sender, TPlayState AState)>;
using THookEvent = std::function<void(rtl::TObject* Sender, gdi::TBitmap* ABitmap, int64_t APTS)>;

struct TVideoState;

class TCustomPlayer : public engine::TFFBaseComponent {
 public:
  explicit TCustomPlayer(rtl::TComponent* AOwner);
  ~TCustomPlayer() override;

  bool AVLibLoaded() const;
  bool LoadAVLib(const rtl::String& APath);
  void UnloadAVLib();

  // Opens AFileName into AScreenHandle (nullptr: SDL's own window). With
  // APaused the first pictures are shown and the player pauses.
  bool Open(const rtl::String& AFileName, win::HWND AScreenHandle, bool APaused = false);
  // Without waiting Stop returns at once and the play thread ends playback.
  void Stop(bool AWaitForStop = true);
  void Pause();
  void Resume();
  void TogglePause();
  void StepToNextFrame();
  void ToggleAudioDisplay();
  // Absolute seek (microseconds from the file's start, or a byte position
  // with sfByte) and relative seek (seconds, or seconds' worth of bytes).
  void Seek(int64_t APTS, engine::TSeekFlags ASeekFlags = {}, bool AWaitForSeekEnd = false);
  void Seek(double ADelta, engine::TSeekFlags ASeekFlags, bool AWaitForSeekEnd);
  // The picture on screen as a 24-bit bitmap owned by the player (0 x 0
  // without video, black before the first picture), and its time (-1
  // without a file or video).
  gdi::TBitmap* CurrentFrame();
  gdi::TBitmap* CurrentFrame(int64_t& APTS);
  // Holds the picture on the video surface still (no picture is shown while
  // the lock is held), for a caller that reads the surface itself.
  std::unique_lock<std::recursive_timed_mutex> HoldPicture() {
    return std::unique_lock<std::recursive_timed_mutex>(FDataLock);
  }
  // X moves a child window with its parent: nothing to follow.
  void UpdateScreenPosition() {}
  // Diagnostics of the file playing (or played last): pictures shown, and
  // pictures dropped because they came too late (by the refresh, or left
  // undecoded by the decoder's skipping).
  int64_t FramesShown() const { return FFramesShown.load(); }
  int64_t FramesDropped() const { return FFramesDropped.load(); }
  // Whether relative seeks in the open file go by bytes (seek_by_bytes, or
  // decided from its format when that is -1); -1 without a file.
  int SeekByBytesInUse() const;

  // Properties.
  rtl::String About() const { return FAbout; }
  void SetAbout(const rtl::String& A) { FAbout = A; }
  static rtl::String Version() { return u"2.3"; }
  rtl::String Format() const;
  void SetFormat(const rtl::String& AValue);
  const rtl::String& FileName() const { return Finput_filename; }
  rtl::String LastErrMsg() const;
  win::HWND ScreenHandle() const { return FScreenHandle; }
  bool FullScreen() const { return Fis_full_screen; }
  bool is_full_screen() const { return Fis_full_screen; }
  void set_is_full_screen(bool A) { Fis_full_screen = A; }
  int AudioStreamIndex() const;
  void SetAudioStreamIndex(int AValue);
  int VideoStreamIndex() const;
  void SetVideoStreamIndex(int AValue);
  int SubtitleStreamIndex() const;
  void SetSubtitleStreamIndex(int AValue);
  TAVProbe* AVProbe() const { return FAVProbe.get(); }
  int64_t CurrentPTS() const { return FCurrentPTS.load(); }
  bool Paused() const;
  TPlayState PlayState() const { return FState.load(); }
  int64_t PlayTime() const { return FPlayTime; }
  void SetPlayTime(int64_t A) { FPlayTime = A; }
  TRepeatType RepeatType() const { return FRepeatType; }
  void SetRepeatType(TRepeatType A) { FRepeatType = A; }
  bool Seeking() const { return FSeeking.load(); }
  TShowAudio ShowAudio() const { return FShowAudio; }
  void SetShowAudio(TShowAudio AValue);
  bool VerticalFlip() const { return FVerticalFlip.load(); }
  void SetVerticalFlip(bool A) { FVerticalFlip = A; }
  rtl::String VideoFilters() const { return Fvfilters; }
  void SetVideoFilters(const rtl::String& A) { Fvfilters = A; }
  float AspectRatio() const { return FAspectRatio.load(); }
  void SetAspectRatio(float AValue);
  TAudioDriver AudioDriver() const { return FAudioDriver; }
  void SetAudioDriver(TAudioDriver A) { FAudioDriver = A; }
  TVideoDriver VideoDriver() const { return FVideoDriver; }
  void SetVideoDriver(TVideoDriver A) { FVideoDriver = A; }
  TAudioVolume AudioVolume() const { return FAudioVolume.load(); }
  void SetAudioVolume(TAudioVolume A) { FAudioVolume = A < 0 ? 0 : A > 128 ? 128 : A; }
  bool DisableAudio() const { return Faudio_disable; }
  void SetDisableAudio(bool A) { Faudio_disable = A; }
  bool DisableVideo() const { return Fvideo_disable; }
  void SetDisableVideo(bool A) { Fvideo_disable = A; }
  bool DisableDisplay() const { return Fdisplay_disable; }
  void SetDisableDisplay(bool A) { Fdisplay_disable = A; }
  bool Mute() const { return FMute.load(); }
  void SetMute(bool A) { FMute = A; }
  int FrameWidth() const { return Fframe_width; }
  void SetFrameWidth(int A) { Fframe_width = A; }
  int FrameHeight() const { return Fframe_height; }
  void SetFrameHeight(int A) { Fframe_height = A; }
  bool Hook() const { return FHook.load(); }
  void SetHook(bool A) { FHook = A; }
  int ScreenWidth() const { return Fscreen_width.load(); }
  void SetScreenWidth(int A) { Fscreen_width = A; }
  int ScreenHeight() const { return Fscreen_height.load(); }
  void SetScreenHeight(int A) { Fscreen_height = A; }
  bool TriggerEventInMainThread() const { return FTriggerEventInMainThread; }
  void SetTriggerEventInMainThread(bool A) { FTriggerEventInMainThread = A; }

  // Decoder and reader settings, read when a file is opened.
  int wanted_audio_stream = -1;
  int wanted_video_stream = -1;
  int wanted_subtitle_stream = -1;
  int seek_by_bytes = -1;
  int64_t start_time = AV_NOPTS_VALUE;
  int workaround_bugs = 1;
  int debug_mv = 0;
  bool fast = false;
  bool genpts = false;
  int decoder_reorder_pts = -1;
  int framedrop = 1;
  int rdftspeed = 20;
  int lowres = 0;
  int idct_algo = 0;
  int error_recognition = 1;
  int error_concealment = 3;
  Tav_sync_type av_sync_type = AV_SYNC_AUDIO_MASTER;

  TFileOpenEvent OnFileOpen;
  THookEvent OnHook;
  TPositionEvent OnPosition;
  TPlayStateEvent OnState;

 private:
  friend struct TVideoState;
  friend struct TPlayerEngine;
  friend struct TPlayerWindowHook;

  void ReportError(const rtl::String& AText, bool AStore);
  void StoreError(const rtl::String& AText);
  void ResetState();
  bool InitSDL(win::HWND AScreenHandle);
  void DoFileOpen();
  void DoPosition();
  void SetPlayState(TPlayState AState);
  void PostQuitEvent();
  void PostScreenEvent();
  void WaitForStop();
  void PlayThreadExecute();
  void EventLoop();
  void CloseVideoState();
  bool StreamOpen(const rtl::String& AFileName, const AVInputFormat* AInputFormat, bool APaused);
  bool SwitchStream(int AMediaType, int AStreamIndex);
  void SeekRequest(engine::TSeekFlags AFlags, bool AWait, int64_t ARelative, int64_t APosition);
  void PauseToggle(TVideoState* is);
  bool WaitPumping(TManualEvent& AEvent);
  bool DoHook(const engine::TAVPicture& ASource, AVPixelFormat ASourceFormat, uint8_t* const ADest[3],
              const int ADestPitch[3], double APts, int AHeight, int AWidth);
  void Deliver(const std::function<void()>& AMethod);
  // The event thread of one open file and the handlers it runs. A handler
  // may stop the player, open the next file or free the player: the thread
  // it runs for cannot be waited for then, and is abandoned instead (it
  // ends as soon as the handler returns, touching nothing of the player).
  struct TEventSession {
    std::atomic<bool> Abandoned{false};
    std::atomic<std::thread::id> HandlerThread{};
    TManualEvent Started{false};  // set once the player holds the threads
  };
  void DeliverEvent(const std::shared_ptr<TEventSession>& ASession, const std::function<void()>& AHandler);
  void EventThreadExecute(std::shared_ptr<TEventSession> ASession);
  void JoinThreads(bool AReplacing);
  // Stop; AReplacing: a new file follows or the player goes (a handler's
  // event thread is let go rather than kept for later).
  void StopFile(bool AWaitForStop, bool AReplacing);
  void PlayWindowEnd();

  int Fsws_flags = 4;
  const AVInputFormat* Ffile_iformat = nullptr;
  rtl::String Finput_filename;
  int Ffs_screen_width = 0, Ffs_screen_height = 0;
  std::atomic<int> Fscreen_width{0}, Fscreen_height{0};  // the play thread follows resizes
  int Fframe_width = 0, Fframe_height = 0;
  AVPixelFormat Fframe_pix_fmt = AV_PIX_FMT_NONE;
  bool Faudio_disable = false, Fvideo_disable = false, Fdisplay_disable = false;
  std::atomic<bool> Fstep{false};
  rtl::String Fvfilters;
  bool Fis_full_screen = false;
  std::atomic<TVideoState*> FVideoState{nullptr};
  std::atomic<int64_t> Faudio_callback_time{0};
  AVPacket* Fflush_pkt = nullptr;
  SDL_Surface* Fscreen = nullptr;
  rtl::String FAbout;
  mutable std::mutex FErrLock;
  rtl::String FLastErrMsg;
  int64_t FLastPTS = AV_NOPTS_VALUE;
  std::atomic<int64_t> FCurrentPTS{-1};
  std::unique_ptr<TAVProbe> FAVProbe;
  win::HWND FScreenHandle = nullptr;
  std::recursive_timed_mutex FDataLock;
  std::mutex FPosLock;  // FLastPTS: refresh and end of file report from two threads
  std::atomic<bool> FEventThreadDone{true};
  std::atomic<bool> FDestroying{false};  // events are no longer delivered
  std::atomic<int64_t> FFramesShown{0}, FFramesDropped{0};
  AVPacket FFlushPacket{};
  TManualEvent FSeekEvent{true}, FPictEvent{true}, FStopEvent{true};
  TPlayEvent FPlayEvent;
  std::atomic<TPlayState> FEventState{psPlay};
  std::atomic<int64_t> FEventPTS{0};
  std::atomic<bool> FSeeking{false};
  std::atomic<float> FAspectRatio{0.0f};
  std::atomic<int> FAudioVolume{128};
  TShowAudio FShowAudio = saWave;
  std::atomic<bool> FMute{false};
  int64_t FPlayTime = AV_NOPTS_VALUE;
  TRepeatType FRepeatType = rtStop;
  std::atomic<bool> FVerticalFlip{false};
  TAudioDriver FAudioDriver = adDefault;
  TVideoDriver FVideoDriver = vdDefault;
  std::unique_ptr<engine::TRGBConvertContext> FRGBContext, FHookContext;
  std::atomic<bool> FHook{false};
  bool FTriggerEventInMainThread = true;
  std::atomic<TPlayState> FState{psPlay};
  std::thread FPlayThread, FEventThread;
  std::shared_ptr<TEventSession> FEventSession;
  std::atomic<std::thread::id> FPlayThreadId{};
  bool FSDLStarted = false;
  // The GUI thread serves its windows while Open waits: an Open meanwhile is
  // refused, a Stop meanwhile ends the file once it is open.
  bool FOpening = false;
  bool FStopWhileOpening = false;
};

// The player the main window keeps; it publishes the properties above.
class TRIDodevu : public TCustomPlayer {
 public:
  using TCustomPlayer::TCustomPlayer;
};

using TFFPlayer = TRIDodevu;

}  // namespace player
