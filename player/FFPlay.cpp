#include "player/FFPlay.h"

#include <pthread.h>

#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <cstring>

#include "engine/FFmpegLogger.h"
#include "engine/MyUtils.h"
#include "engine/Printf.h"
#include "platform/gdi/Canvas.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Threads.h"
#include "platform/win/WinApi.h"
#include "player/PlayerState.h"

namespace player {

using engine::Fmt;
using engine::GetFFLogger;

namespace {

const char kFlushText[] = "FLUSH";

// The window the player draws into, its procedure before the player's, and
// the player: one player per process, as SDL allows one video surface.
std::mutex gHostLock;
win::HWND gHostWindow = nullptr;
win::WNDPROC gPrevProc = nullptr;
std::atomic<TCustomPlayer*> gHostPlayer{nullptr};

bool OnMainThread() { return rtl::GetCurrentThreadId() == rtl::MainThreadID(); }

void ServeMainThread() {
  if (!OnMainThread()) return;
  rtl::CheckSynchronize(0);
  engine::PumpMessages();
}

void PushUserEvent(int AType, void* AState) {
  SDL_Event ev{};
  ev.type = static_cast<Uint8>(AType);
  ev.user.type = static_cast<Uint8>(AType);
  ev.user.data1 = AState;
  PushPlayerEvent(ev);
}

// Set by every event the player posts; one player (one SDL) per process.
std::mutex gWakeLock;
std::condition_variable gWakeCond;
bool gWakePending = false;
// How often the play thread looks into SDL's queue for events of SDL's own:
// only a window SDL made itself has any (a host window's come through the
// player's window hook, the dummy driver has none).
std::atomic<int> gPollMs{10};

}  // namespace

struct TPlayerWindowHook {
  static win::LRESULT Proc(win::HWND h, win::UINT m, win::WPARAM w, win::LPARAM l) {
    win::WNDPROC prev;
    {
      std::lock_guard g(gHostLock);
      if (h != gHostWindow) return win::DefWindowProcW(h, m, w, l);
      prev = gPrevProc;
    }
    TCustomPlayer* p = gHostPlayer.load();
    const bool open = p && p->FVideoState.load() != nullptr;
    if (open) {
      switch (m) {
        case win::WM_SIZE: {
          SDL_Event ev{};
          ev.type = SDL_VIDEORESIZE;
          ev.resize.w = static_cast<int>(l & 0xFFFF);
          ev.resize.h = static_cast<int>((l >> 16) & 0xFFFF);
          if (ev.resize.w > 0 && ev.resize.h > 0) PushPlayerEvent(ev);
          break;
        }
        case win::WM_PAINT: {
          SDL_Event ev{};
          ev.type = SDL_VIDEOEXPOSE;
          PushPlayerEvent(ev);
          break;
        }
        case win::WM_CLOSE:
          return 0;
        case win::WM_LBUTTONDOWN: case win::WM_LBUTTONUP: case win::WM_RBUTTONDOWN:
        case win::WM_RBUTTONUP: case win::WM_MBUTTONDOWN: case win::WM_MBUTTONUP:
          win::SetFocus(h);
          break;
        default:
          break;
      }
    }
    return prev ? win::CallWindowProcW(prev, h, m, w, l) : win::DefWindowProcW(h, m, w, l);
  }
};

void SleepMs(int AMilliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(AMilliseconds)); }

void NameThread(const char* AName) { pthread_setname_np(pthread_self(), AName); }

void PushPlayerEvent(SDL_Event& AEvent) {
  ff::SDL_PushEvent(&AEvent);
  {
    std::lock_guard g(gWakeLock);
    gWakePending = true;
  }
  gWakeCond.notify_one();
}

bool WaitPlayerEvent(SDL_Event& AEvent) {
  for (;;) {
    {
      // Cleared before looking, so an event posted after the look is not
      // slept through.
      std::lock_guard g(gWakeLock);
      gWakePending = false;
    }
    if (ff::SDL_PollEvent(&AEvent)) return true;
    if (!ff::SDL_WasInit(SDL_INIT_VIDEO)) return false;
    // Events of SDL's own window are still found by looking every 10 ms.
    std::unique_lock g(gWakeLock);
    gWakeCond.wait_for(g, std::chrono::milliseconds(gPollMs.load()), [] { return gWakePending; });
  }
}

TCustomPlayer::TCustomPlayer(rtl::TComponent* AOwner) : TFFBaseComponent(AOwner) {
  FFlushPacket.data = reinterpret_cast<uint8_t*>(const_cast<char*>(kFlushText));
  FFlushPacket.stream_index = -1;
  Fflush_pkt = &FFlushPacket;
  FAVProbe = std::make_unique<TAVProbe>(nullptr);
}

TCustomPlayer::~TCustomPlayer() {
  // The handlers are dropped once the threads that call them have ended.
  FDestroying = true;
  StopFile(true, true);
  OnPosition = nullptr;
  OnState = nullptr;
  OnHook = nullptr;
  FAVProbe.reset();
  if (engine::TFFmpegLoader::Loaded(engine::TLibraries{engine::avUtil, engine::swScale})) {
    FRGBContext.reset();
    FHookContext.reset();
  } else {
    // Without the libraries nothing of FFmpeg's can be freed any more.
    if (FRGBContext) (void)FRGBContext.release();
    if (FHookContext) (void)FHookContext.release();
  }
  if (gHostPlayer.load() == this) gHostPlayer = nullptr;
}

bool TCustomPlayer::AVLibLoaded() const { return engine::TFFmpegLoader::Loaded(engine::PlayerLibraries); }

bool TCustomPlayer::LoadAVLib(const rtl::String& APath) {
  engine::TFFmpegLoader::SetLibraryPath(APath);
  if (engine::TFFmpegLoader::Load(engine::PlayerLibraries)) return true;
  StoreError(engine::TFFmpegLoader::GetLastErrMsg());
  return false;
}

void TCustomPlayer::UnloadAVLib() {
  Stop(true);
  FRGBContext.reset();
  FHookContext.reset();
  engine::TFFmpegLoader::Unload(engine::PlayerLibraries);
}

void TCustomPlayer::StoreError(const rtl::String& AText) {
  std::lock_guard g(FErrLock);
  FLastErrMsg = AText;
}

rtl::String TCustomPlayer::LastErrMsg() const {
  std::lock_guard g(FErrLock);
  return FLastErrMsg;
}

void TCustomPlayer::ReportError(const rtl::String& AText, bool AStore) {
  GetFFLogger()->Log(this, engine::llError, AText);
  if (AStore) StoreError(AText);
}

void TCustomPlayer::ResetState() {
  FLastPTS = AV_NOPTS_VALUE;
  FCurrentPTS = -1;
  FSeeking = false;
}

void TCustomPlayer::Deliver(const std::function<void()>& AMethod) {
  if (FDestroying.load()) return;
  if (FTriggerEventInMainThread)
    engine::CallMethodInMainThread(AMethod);
  else
    AMethod();
}

void TCustomPlayer::DeliverEvent(const std::shared_ptr<TEventSession>& ASession,
                                 const std::function<void()>& AHandler) {
  Deliver([this, ASession, &AHandler] {
    const std::thread::id outer = ASession->HandlerThread.exchange(std::this_thread::get_id());
    try {
      AHandler();
    } catch (...) {
      // The application reports it; the player goes on. A handler that
      // freed the player has no sender left.
      engine::HandleEventException(ASession->Abandoned.load() ? nullptr : this);
    }
    ASession->HandlerThread = outer;
  });
}

rtl::String TCustomPlayer::Format() const {
  return Ffile_iformat ? rtl::S(Ffile_iformat->name) : rtl::String();
}

void TCustomPlayer::SetFormat(const rtl::String& AValue) {
  if (!AVLibLoaded()) {
    ReportError(u"libav or libsdl not loaded.", true);
    return;
  }
  if (AValue.empty()) {
    Ffile_iformat = nullptr;
    return;
  }
  const AVInputFormat* f = ff::av_find_input_format(rtl::U8(AValue).c_str());
  if (!f) throw rtl::Exception(u"Unknown input format: " + AValue);
  Ffile_iformat = f;
}

bool TCustomPlayer::Paused() const {
  TVideoState* is = FVideoState.load();
  return !is || is->paused.load() != 0;
}

// ---- Opening and closing --------------------------------------------------

bool TCustomPlayer::InitSDL(win::HWND AScreenHandle) {
  uint64_t native = 0;
  if (AScreenHandle && (win::GetWindowLongPtrW(AScreenHandle, win::GWL_EXSTYLE) & win::WS_EX_FOREIGNVIDEO))
    native = win::GetNativeWindowId(AScreenHandle);
  // setenv copies the value and glibc never frees it, so the pointer SDL
  // keeps from getenv stays valid after the variable is removed again.
  if (native) ::setenv("SDL_WINDOWID", std::to_string(native).c_str(), 1);
  // No timer subsystem: the player uses no SDL timers, and SDL 1.2 would
  // run a thread that wakes every millisecond for them.
  const bool ok = ff::SDL_Init(SDL_INIT_AUDIO | SDL_INIT_VIDEO) == 0;
  char name[257];
  if (ok && ff::SDL_AudioDriverName(name, sizeof name))
    ff::av_log(nullptr, AV_LOG_DEBUG, "using audio driver: %s\n", name);
  bool ownWindow = !native;
  if (ok && ff::SDL_VideoDriverName(name, sizeof name)) {
    ff::av_log(nullptr, AV_LOG_DEBUG, "using video driver: %s\n", name);
    if (std::strcmp(name, "dummy") == 0) ownWindow = false;
  }
  gPollMs = ownWindow ? 10 : 100;
  if (native) ::unsetenv("SDL_WINDOWID");
  if (AScreenHandle) {
    std::lock_guard g(gHostLock);
    if (gHostWindow != AScreenHandle || !win::IsWindow(AScreenHandle)) {
      gHostWindow = AScreenHandle;
      gPrevProc = reinterpret_cast<win::WNDPROC>(win::GetWindowLongPtrW(AScreenHandle, win::GWLP_WNDPROC));
      if (gPrevProc != &TPlayerWindowHook::Proc)
        win::SetWindowLongPtrW(AScreenHandle, win::GWLP_WNDPROC,
                               reinterpret_cast<win::LONG_PTR>(&TPlayerWindowHook::Proc));
      else
        gPrevProc = nullptr;
    }
    gHostPlayer = this;
  }
  return ok;
}

bool TCustomPlayer::Open(const rtl::String& AFileName, win::HWND AScreenHandle, bool APaused) {
  if (!AVLibLoaded()) {
    ReportError(u"libav or libsdl not loaded.", true);
    return false;
  }
  if (FOpening) {
    // Asked again from the windows served while this open waits.
    ReportError(u"the player is busy opening a file.", true);
    return false;
  }
  FOpening = true;
  FStopWhileOpening = false;
  struct TOpening {
    bool* Flag;
    ~TOpening() {
      if (Flag) *Flag = false;
    }
  } opening{&FOpening};
  StopFile(true, true);
  // Leaving a variable alone keeps the user's choice; an empty one would
  // make SDL find no driver at all.
  if (FAudioDriver == adDirectSound) ::setenv("SDL_AUDIODRIVER", "pulse", 1);
  if (FAudioDriver == adWaveOut) ::setenv("SDL_AUDIODRIVER", "alsa", 1);
  if (FVideoDriver != vdDefault) ::setenv("SDL_VIDEODRIVER", "x11", 1);
  if (FVideoDriver == vdGDI) ::setenv("SDL_VIDEO_YUV_HWACCEL", "0", 1);
  if (!InitSDL(AScreenHandle)) {
    ReportError(Fmt("Could not initialize SDL with ScreenHandle(%u): %s",
                    static_cast<unsigned>(reinterpret_cast<uintptr_t>(AScreenHandle)), ff::SDL_GetError()),
                true);
    ff::SDL_Quit();
    return false;
  }
  FSDLStarted = true;
  if (Fdisplay_disable) {
    Fvideo_disable = true;
  } else {
    const SDL_VideoInfo* vi = ff::SDL_GetVideoInfo();
    if (!vi) {
      ReportError(u"SDL_GetVideoInfo() failed", true);
      ff::SDL_Quit();
      FSDLStarted = false;
      return false;
    }
    Ffs_screen_width = vi->current_w;
    Ffs_screen_height = vi->current_h;
  }
  ff::SDL_EventState(SDL_ACTIVEEVENT, SDL_IGNORE);
  ff::SDL_EventState(SDL_MOUSEMOTION, SDL_IGNORE);
  ff::SDL_EventState(SDL_SYSWMEVENT, SDL_IGNORE);
  FPlayEvent.Clear();
  if (!StreamOpen(AFileName, Ffile_iformat, APaused)) {
    ff::SDL_Quit();
    FSDLStarted = false;
    return false;
  }
  Finput_filename = AFileName;
  FScreenHandle = AScreenHandle;
  FAVProbe->SetFileHandle(FVideoState.load()->ic);
  Deliver([this] { DoFileOpen(); });
  // Done with the open's own state before the threads start: a handler on
  // the event thread may open the next file at once.
  const bool stopped = FStopWhileOpening;
  FOpening = false;
  opening.Flag = nullptr;
  FStopEvent.Reset();
  FEventThreadDone = false;
  auto session = std::make_shared<TEventSession>();
  FEventSession = session;
  FEventThread = std::thread([this, session] { EventThreadExecute(session); });
  FPlayThread = std::thread([this] { PlayThreadExecute(); });
  // Events are delivered once both threads are known.
  session->Started.Set();
  if (stopped) {
    // Stopped from the windows served while the file was being opened.
    Stop(true);
    ReportError(u"the player was stopped while opening.", true);
    return false;
  }
  return true;
}

void TCustomPlayer::DoFileOpen() {
  if (FRGBContext) engine::ResetRGBConvertContext(*FRGBContext);
  if (FHookContext) engine::ResetRGBConvertContext(*FHookContext);
  TVideoState* is = FVideoState.load();
  if (is && OnFileOpen) {
    int w = -1, h = -1;
    if (is->video_st && is->video_st.load()->codecpar->width > 0) {
      w = is->video_st.load()->codecpar->width;
      h = is->video_st.load()->codecpar->height;
    }
    const int64_t duration = is->IsImage2 ? 0 : is->Duration;
    int sw = Fscreen_width.load(), sh = Fscreen_height.load();
    OnFileOpen(this, duration, w, h, sw, sh);
    Fscreen_width = sw;
    Fscreen_height = sh;
  }
  if (FScreenHandle && (Fscreen_width == 0 || Fscreen_height == 0)) {
    win::RECT r{};
    win::GetClientRect(FScreenHandle, &r);
    Fscreen_width = r.Right - r.Left;
    Fscreen_height = r.Bottom - r.Top;
  }
}

bool TCustomPlayer::StreamOpen(const rtl::String& AFileName, const AVInputFormat* AInputFormat, bool APaused) {
  auto* is = new TVideoState(this);
  FFramesShown = 0;
  FFramesDropped = 0;
  if (APaused) {
    is->paused = 1;
    is->open_paused = 1;
    Fstep = false;
  }
  is->filename = rtl::U8(AFileName);
  is->iformat = AInputFormat;
  is->av_sync_type = av_sync_type;
  is->parse_tid = std::thread(&TPlayerEngine::ReadThread, is);
  while (is->Opened.load() == 0) {
    ServeMainThread();
    SleepMs(10);
  }
  if (is->Opened.load() > 0) {
    if (is->video_stream.load() < 0 && !Fdisplay_disable) is->show_audio = FShowAudio;
    FVideoState = is;
    is->refresh_tid = std::thread(&TPlayerEngine::RefreshThread, is);
    return true;
  }
  while (is->Opened.load() == -1) {
    ServeMainThread();
    SleepMs(10);
  }
  is->parse_tid.join();
  delete is;
  ResetState();
  return false;
}

void TCustomPlayer::CloseVideoState() {
  TVideoState* is = FVideoState.exchange(nullptr);
  if (is) {
    TPlayerEngine::StreamClose(is);
    delete is;
    ResetState();
  }
}

void TCustomPlayer::PostQuitEvent() {
  if (FSDLStarted) PushUserEvent(PLAYER_QUIT_EVENT, FVideoState.load());
}

void TCustomPlayer::PostScreenEvent() {
  if (FSDLStarted) PushUserEvent(PLAYER_SCREEN_EVENT, FVideoState.load());
}

void TCustomPlayer::Stop(bool AWaitForStop) {
  if (FOpening && OnMainThread()) FStopWhileOpening = true;
  StopFile(AWaitForStop, false);
}

void TCustomPlayer::StopFile(bool AWaitForStop, bool AReplacing) {
  {
    std::lock_guard g(FDataLock);
    if (TVideoState* is = FVideoState.load()) {
      if (is->paused.load()) PauseToggle(is);
      Fstep = false;
      PostQuitEvent();
    }
  }
  if (AWaitForStop) {
    WaitForStop();
    JoinThreads(AReplacing);
  }
}

void TCustomPlayer::WaitForStop() {
  int tries = 1;
  for (;;) {
    if (FStopEvent.Wait(100)) return;
    ServeMainThread();
    if (!FVideoState.load()) return;
    std::unique_lock g(FDataLock, std::defer_lock);
    if (!g.try_lock_for(std::chrono::milliseconds(100))) continue;
    if (TVideoState* is = FVideoState.load()) {
      ++tries;
      if (tries <= 20 && (tries <= 10 || is->Reading.load() != 1)) {
        PostQuitEvent();
        continue;
      }
      // The read thread sits in a read: close the file from here; the
      // interrupt callback lets the read give up.
      CloseVideoState();
    }
    return;
  }
}

void TCustomPlayer::JoinThreads(bool AReplacing) {
  if (FPlayThread.joinable()) {
    while (!FStopEvent.Wait(10)) ServeMainThread();
    FPlayThread.join();
  }
  if (FEventThread.joinable()) {
    const std::thread::id self = std::this_thread::get_id();
    if (FEventThread.get_id() == self || (FEventSession && FEventSession->HandlerThread.load() == self)) {
      // Inside one of its handlers: the thread waits for this call. A stop
      // leaves it to deliver what is left and to be joined later; a new
      // file or the end of the player lets it go.
      if (!AReplacing) return;
      FEventSession->Abandoned = true;
      FEventThread.detach();
    } else {
      while (!FEventThreadDone.load()) {
        if (OnMainThread())
          rtl::CheckSynchronize(10);
        else
          SleepMs(5);
      }
      FEventThread.join();
    }
  }
}

// ---- Threads ----------------------------------------------------------------

void TCustomPlayer::SetPlayState(TPlayState AState) {
  FState = AState;
  if (OnState)
    FPlayEvent.Post({pekState, AState});
  else if (AState == psStop)
    FPlayEvent.Post({pekEnd, 0});
}

void TCustomPlayer::EventThreadExecute(std::shared_ptr<TEventSession> ASession) {
  NameThread("tvl-player-evt");
  ASession->Started.Wait(-1);
  // The handler runs on a copy: it may clear or replace the event, or free
  // the player with it.
  const std::function<void()> position = [this] {
    if (TPositionEvent handler = OnPosition) handler(this, FEventPTS.load());
  };
  const std::function<void()> state = [this] {
    if (TPlayStateEvent handler = OnState) handler(this, FEventState.load());
  };
  for (;;) {
    TPlayEventItem item = FPlayEvent.Take();
    if (item.Kind == pekPosition) {
      FEventPTS = item.Value;
      if (OnPosition) DeliverEvent(ASession, position);
    } else if (item.Kind == pekState) {
      FEventState = static_cast<TPlayState>(item.Value);
      if (OnState) DeliverEvent(ASession, state);
      if (ASession->Abandoned.load()) return;
      if (item.Value == psStop) break;
    } else if (item.Kind == pekEnd) {
      break;
    }
    // Let go by a handler: the player may be gone.
    if (ASession->Abandoned.load()) return;
    if (item.Kind == pekNone) FPlayEvent.Wait(-1);
  }
  FEventThreadDone = true;
}

void TCustomPlayer::PlayThreadExecute() {
  NameThread("tvl-player-play");
  FPlayThreadId = std::this_thread::get_id();
  SetPlayState(psPlay);
  try {
    EventLoop();
  } catch (const rtl::Exception& e) {
    GetFFLogger()->Log(this, engine::llFatal, u"PlayThread Exception: " + e.Message());
    std::lock_guard g(FDataLock);
    CloseVideoState();
  } catch (const std::exception& e) {
    GetFFLogger()->Log(this, engine::llFatal, u"PlayThread Exception: " + rtl::S(e.what()));
    std::lock_guard g(FDataLock);
    CloseVideoState();
  }
  if (FSDLStarted) {
    ff::SDL_Quit();
    FSDLStarted = false;
    Fscreen = nullptr;
  }
  SetPlayState(psStop);
  FStopEvent.Set();
}

void TCustomPlayer::EventLoop() {
  for (;;) {
    SDL_Event ev{};
    if (!WaitPlayerEvent(ev)) SleepMs(10);
    std::lock_guard g(FDataLock);
    TVideoState* is = FVideoState.load();
    if (!is) return;
    if (ev.type >= SDL_USEREVENT && ev.user.data1 && ev.user.data1 != is) continue;
    switch (ev.type) {
      case SDL_QUIT:
      case PLAYER_QUIT_EVENT:
        CloseVideoState();
        return;
      case SDL_VIDEORESIZE: {
        const int bpp = Fscreen && Fscreen->format ? Fscreen->format->BitsPerPixel : 0;
        if (SDL_Surface* s = ff::SDL_SetVideoMode(ev.resize.w, ev.resize.h, bpp,
                                                  SDL_HWSURFACE | SDL_ASYNCBLIT | SDL_RESIZABLE | SDL_HWACCEL)) {
          Fscreen = s;
          Fscreen_width = is->width = s->w;
          Fscreen_height = is->height = s->h;
        }
        if (is->paused.load()) TPlayerEngine::Refresh(is, false);
        break;
      }
      case SDL_VIDEOEXPOSE:
        if (is->paused.load())
          TPlayerEngine::Refresh(is, false);
        else
          TPlayerEngine::VideoDisplay(is, is->pictq_shown.load());
        break;
      case PLAYER_ALLOC_EVENT:
        TPlayerEngine::AllocPicture(is);
        break;
      case PLAYER_REFRESH_EVENT:
        TPlayerEngine::Refresh(is, true);
        is->refresh = 0;
        break;
      case PLAYER_SCREEN_EVENT:
        TPlayerEngine::VideoOpen(is, true);
        TPlayerEngine::VideoDisplay(is, is->pictq_shown.load());
        break;
      case PLAYER_WINDOW_EVENT:
        PlayWindowEnd();
        break;
      default:
        break;
    }
  }
}

// ---- Playing ----------------------------------------------------------------

bool TCustomPlayer::WaitPumping(TManualEvent& AEvent) {
  while (!AEvent.Wait(100)) {
    ServeMainThread();
    if (!FVideoState.load()) return false;
  }
  return true;
}

void TCustomPlayer::PauseToggle(TVideoState* is) {
  if (!FSeekEvent.Wait(250)) FSeekEvent.Set();
  if (!FVideoState.load()) return;
  if (is->paused.load()) {
    const double now = NowSeconds();
    is->frame_timer = is->frame_timer.load() + now + is->video_current_pts_drift.load() -
                      is->video_current_pts.load();
    if (is->read_pause_return.load() != AVERROR(ENOSYS))
      is->video_current_pts = is->video_current_pts_drift.load() + now;
    is->video_current_pts_drift = is->video_current_pts.load() - now;
    is->paused = 0;
  } else {
    if (is->video_st) {
      if (!FPictEvent.Wait(250)) FPictEvent.Set();
      if (!FVideoState.load()) return;
    }
    is->paused = 1;
  }
}

void TCustomPlayer::Pause() {
  std::lock_guard g(FDataLock);
  TVideoState* is = FVideoState.load();
  if (!is || is->paused.load()) return;
  PauseToggle(is);
  Fstep = false;
  SetPlayState(psPause);
}

void TCustomPlayer::Resume() {
  std::lock_guard g(FDataLock);
  TVideoState* is = FVideoState.load();
  if (!is || !is->paused.load()) return;
  PauseToggle(is);
  Fstep = false;
  SetPlayState(psResume);
}

void TCustomPlayer::TogglePause() {
  std::lock_guard g(FDataLock);
  TVideoState* is = FVideoState.load();
  if (!is) return;
  PauseToggle(is);
  Fstep = false;
  SetPlayState(is->paused.load() ? psPause : psResume);
}

void TCustomPlayer::StepToNextFrame() {
  std::lock_guard g(FDataLock);
  TVideoState* is = FVideoState.load();
  if (!is) return;
  if (is->paused.load()) PauseToggle(is);
  if (!Fstep.exchange(true)) SetPlayState(psStep);
}

void TCustomPlayer::ToggleAudioDisplay() {
  std::lock_guard g(FDataLock);
  TVideoState* is = FVideoState.load();
  if (!is) return;
  is->show_audio = (is->show_audio.load() + 1) % 3;
  TPlayerEngine::WakeRefresh(is);
  if (Fscreen) {
    SDL_Rect r{static_cast<Sint16>(is->xleft), static_cast<Sint16>(is->ytop), static_cast<Uint16>(is->width),
               static_cast<Uint16>(is->height)};
    ff::SDL_FillRect(Fscreen, &r, ff::SDL_MapRGB(Fscreen->format, 0, 0, 0));
    ff::SDL_UpdateRect(Fscreen, r.x, r.y, r.w, r.h);
  }
}

void TCustomPlayer::SetShowAudio(TShowAudio AValue) {
  FShowAudio = AValue;
  TVideoState* is = FVideoState.load();
  if (is && is->audio_st && !Fdisplay_disable) is->show_audio = AValue;
}

void TCustomPlayer::SetAspectRatio(float AValue) {
  if (FAspectRatio.load() == AValue) return;
  FAspectRatio = AValue;
  if (FVideoState.load()) PostScreenEvent();
}

void TCustomPlayer::Seek(int64_t APTS, engine::TSeekFlags ASeekFlags, bool AWaitForSeekEnd) {
  int64_t target, rel;
  {
    std::lock_guard g(FDataLock);
    TVideoState* is = FVideoState.load();
    if (!is) return;
    if (ASeekFlags.Contains(engine::sfByte)) {
      target = APTS;
      rel = 0;
    } else {
      // An unknown duration (-1) must not send every seek to the start.
      target = is->Duration > 0 ? std::min(APTS, is->Duration) : APTS;
      target += is->StartTime;
      rel = APTS <= 0 ? 1 : 0;
    }
  }
  SeekRequest(ASeekFlags, AWaitForSeekEnd, rel, target);
}

void TCustomPlayer::Seek(double ADelta, engine::TSeekFlags ASeekFlags, bool AWaitForSeekEnd) {
  int64_t target, rel;
  {
    std::lock_guard g(FDataLock);
    TVideoState* is = FVideoState.load();
    if (!is) return;
    // Files whose stamps may jump are seeked by bytes.
    if (is->seek_by_bytes) ASeekFlags.Bits |= static_cast<uint8_t>(1u << engine::sfByte);
    if (ASeekFlags.Contains(engine::sfByte)) {
      double bytes = is->ic->bit_rate ? ADelta * is->ic->bit_rate / 8.0 : ADelta * 180000.0;
      const int64_t pos = is->ic->pb ? is->ic->pb->pos - (is->ic->pb->buf_end - is->ic->pb->buf_ptr) : 0;
      target = std::llround(pos + bytes);
      rel = std::llround(bytes);
    } else {
      target = std::llround((TPlayerEngine::MasterClock(is) + ADelta) * 1000000.0);
      rel = std::llround(ADelta * 1000000.0);
    }
  }
  SeekRequest(ASeekFlags, AWaitForSeekEnd, rel, target);
}

void TCustomPlayer::SeekRequest(engine::TSeekFlags AFlags, bool AWait, int64_t ARelative, int64_t APosition) {
  bool video;
  {
    std::lock_guard g(FDataLock);
    TVideoState* is = FVideoState.load();
    if (!is || is->seek_req.load()) return;
    FSeeking = true;
    is->seek_paused = is->paused.load();
    is->seek_pos = APosition;
    is->seek_rel = ARelative;
    is->seek_flags = engine::SeekFlagsToAVSeekFlags(AFlags);
    FSeekEvent.Reset();
    is->seek_req = 1;
    video = is->video_st != nullptr;
  }
  if (!AWait) return;
  if (WaitPumping(FSeekEvent) && video) WaitPumping(FPictEvent);
}

// ---- Streams ------------------------------------------------------------------

int TCustomPlayer::AudioStreamIndex() const {
  TVideoState* is = FVideoState.load();
  return is ? is->audio_stream.load() : -1;
}
int TCustomPlayer::VideoStreamIndex() const {
  TVideoState* is = FVideoState.load();
  return is ? is->video_stream.load() : -1;
}
int TCustomPlayer::SubtitleStreamIndex() const {
  TVideoState* is = FVideoState.load();
  return is ? is->subtitle_stream.load() : -1;
}
void TCustomPlayer::SetAudioStreamIndex(int AValue) {
  if (FVideoState.load() && AValue != AudioStreamIndex()) SwitchStream(AVMEDIA_TYPE_AUDIO, AValue);
}
void TCustomPlayer::SetVideoStreamIndex(int AValue) {
  if (FVideoState.load() && AValue != VideoStreamIndex()) SwitchStream(AVMEDIA_TYPE_VIDEO, AValue);
}
void TCustomPlayer::SetSubtitleStreamIndex(int AValue) {
  if (FVideoState.load() && AValue != SubtitleStreamIndex()) SwitchStream(AVMEDIA_TYPE_SUBTITLE, AValue);
}

bool TCustomPlayer::SwitchStream(int AMediaType, int AStreamIndex) {
  std::lock_guard g(FDataLock);
  TVideoState* is = FVideoState.load();
  if (!is) return false;
  const int current = AMediaType == AVMEDIA_TYPE_VIDEO   ? is->video_stream.load()
                      : AMediaType == AVMEDIA_TYPE_AUDIO ? is->audio_stream.load()
                                                         : is->subtitle_stream.load();
  auto fail = [&](const char16_t* AText) {
    ReportError(AText, true);
    return false;
  };
  const bool sub = AMediaType == AVMEDIA_TYPE_SUBTITLE;
  if (sub ? current < -1 : current < 0) return fail(u"the current stream is not valid.");
  if (sub ? AStreamIndex < -1 : AStreamIndex < 0) return fail(u"the stream index is not valid.");
  if (AStreamIndex >= static_cast<int>(is->ic->nb_streams)) return fail(u"the stream index is not valid.");
  if (AStreamIndex == current) return true;
  if (AStreamIndex >= 0) {
    const AVStream* st = is->ic->streams[AStreamIndex];
    const int kind = TCustomAVProbe::StreamKind(st);
    if (kind != AVMEDIA_TYPE_VIDEO && kind != AVMEDIA_TYPE_AUDIO && kind != AVMEDIA_TYPE_SUBTITLE)
      return fail(u"the stream type is invalid.");
    if (kind != AMediaType) return fail(u"the stream type is not matched.");
    if (kind == AVMEDIA_TYPE_AUDIO && (st->codecpar->sample_rate == 0 || st->codecpar->ch_layout.nb_channels == 0))
      return fail(u"the audio stream is not invalid.");
  }
  TPlayerEngine::ComponentClose(is, current);
  if (AStreamIndex >= 0) TPlayerEngine::ComponentOpen(is, AStreamIndex);
  return true;
}

// ---- Position -------------------------------------------------------------------

void TCustomPlayer::DoPosition() {
  TVideoState* is = FVideoState.load();
  if (!is || is->IsImage2) return;
  int64_t pos;
  if (is->video_st && !is->video_ended.load()) {
    pos = std::llround(TPlayerEngine::VideoClock(is) * 1000000.0) - is->StartTime;
  } else if (is->audio_st) {
    pos = std::llround(TPlayerEngine::AudioClock(is) * 1000000.0) - is->StartTime;
    if (is->AudioDuration > 0 && pos >= is->AudioDuration && pos < is->Duration) pos = is->Duration;
  } else {
    return;
  }
  FCurrentPTS = pos;
  {
    std::lock_guard g(FPosLock);
    if (is->Duration > 0 && pos >= is->Duration) {
      pos = is->Duration;
      if (FLastPTS != is->Duration) FLastPTS = 0;
    }
    if (FLastPTS == AV_NOPTS_VALUE || std::llabs(pos - FLastPTS) > 10000) {
      FLastPTS = pos;
      if (OnPosition) FPlayEvent.Post({pekPosition, pos});
    }
  }
  if (!is->IsDevice && is->EventEOF.load() == 0 && is->ReachEOF.load() == 1) {
    if (is->video_st) is->EventEOF = 1;
    SetPlayState(psEnd);
  }
  if (FPlayTime != AV_NOPTS_VALUE && FRepeatType != rtNone) {
    const int64_t end = start_time != AV_NOPTS_VALUE ? start_time + FPlayTime : FPlayTime;
    if (pos >= end && !is->seek_req.load()) {
      // The stop and the seek take the data lock. The play thread holds it
      // already; any other thread (the video decoder at the end of the
      // file) hands the work to it: the play thread may hold the lock while
      // it waits for that thread to end.
      if (std::this_thread::get_id() == FPlayThreadId.load())
        PlayWindowEnd();
      else
        PushUserEvent(PLAYER_WINDOW_EVENT, is);
    }
  }
}

void TCustomPlayer::PlayWindowEnd() {
  if (!FVideoState.load()) return;
  if (FRepeatType == rtStop) {
    Stop(false);
  } else if (FRepeatType == rtLoop) {
    if (start_time != AV_NOPTS_VALUE)
      Seek(start_time, {}, false);
    else
      Seek(int64_t(0), {engine::sfAny}, false);
  }
}

int TCustomPlayer::SeekByBytesInUse() const {
  TVideoState* is = FVideoState.load();
  return is ? is->seek_by_bytes : -1;
}

// ---- Frame capture and hook ---------------------------------------------------

gdi::TBitmap* TCustomPlayer::CurrentFrame() {
  int64_t pts;
  return CurrentFrame(pts);
}

gdi::TBitmap* TCustomPlayer::CurrentFrame(int64_t& APTS) {
  if (!FRGBContext) {
    FRGBContext = std::make_unique<engine::TRGBConvertContext>();
    FRGBContext->Bitmap = engine::CreateRGBBitmap(0, 0, FRGBContext->BMPPixFmt);
  }
  engine::TRGBConvertContext& ctx = *FRGBContext;
  if (!ctx.Bitmap) ctx.Bitmap = engine::CreateRGBBitmap(0, 0, ctx.BMPPixFmt);
  gdi::TBitmap* bmp = ctx.Bitmap.get();
  APTS = -1;
  // The play thread frees overlays and the whole state under this lock.
  std::lock_guard g(FDataLock);
  TVideoState* is = FVideoState.load();
  if (!is || !is->video_st) {
    bmp->SetSize(0, 0);
    return bmp;
  }
  bmp->SetSize(is->video_st.load()->codecpar->width, is->video_st.load()->codecpar->height);
  for (int y = 0; y < bmp->Height(); ++y) std::memset(bmp->ScanLine(y), 0, size_t(bmp->Width()) * 3);
  const int slot = is->pictq_shown.load();
  if (slot < 0) return bmp;
  TVideoPicture& vp = is->pictq[slot];
  APTS = std::llround(vp.pts * 1000000.0) - is->StartTime;
  if (vp.bmp) {
    ff::SDL_LockYUVOverlay(vp.bmp);
    engine::TAVPicture pic;
    pic.data[0] = vp.bmp->pixels[0];
    pic.data[1] = vp.bmp->pixels[2];
    pic.data[2] = vp.bmp->pixels[1];
    pic.linesize[0] = vp.bmp->pitches[0];
    pic.linesize[1] = vp.bmp->pitches[2];
    pic.linesize[2] = vp.bmp->pitches[1];
    if (!engine::PictureToBitmap(ctx, pic, AV_PIX_FMT_YUV420P, vp.width, vp.height)) bmp->SetSize(0, 0);
    ff::SDL_UnlockYUVOverlay(vp.bmp);
  }
  return bmp;
}

bool TCustomPlayer::DoHook(const engine::TAVPicture& ASource, AVPixelFormat ASourceFormat, uint8_t* const ADest[3],
                           const int ADestPitch[3], double APts, int AHeight, int AWidth) {
  if (!FHook.load() || FDestroying.load() || !OnHook) return false;
  if (!FHookContext) FHookContext = std::make_unique<engine::TRGBConvertContext>();
  engine::TRGBConvertContext& ctx = *FHookContext;
  if (!engine::PictureToBitmap(ctx, ASource, ASourceFormat, AWidth, AHeight)) {
    GetFFLogger()->Log(this, engine::llError, u"Cannot initialize the toRGB conversion context");
    return false;
  }
  gdi::TBitmap* bmp = ctx.Bitmap.get();
  TVideoState* is = FVideoState.load();
  const int64_t pts = std::llround(APts * 1000000.0) - (is ? is->StartTime : 0);
  try {
    bmp->Canvas()->Lock();
    try {
      OnHook(this, bmp, pts);
    } catch (...) {
      bmp->Canvas()->Unlock();
      throw;
    }
    bmp->Canvas()->Unlock();
  } catch (const rtl::Exception& e) {
    GetFFLogger()->Log(this, engine::llError, u"Error occurs OnHook: " + e.Message());
    return false;
  } catch (const std::exception& e) {
    GetFFLogger()->Log(this, engine::llError, u"Error occurs OnHook: " + rtl::S(e.what()));
    return false;
  }
  ctx.fromRGB_convert_ctx =
      ff::sws_getCachedContext(ctx.fromRGB_convert_ctx, AWidth, AHeight, ctx.RGBPixFmt, AWidth, AHeight,
                               AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr);
  if (!ctx.fromRGB_convert_ctx) {
    GetFFLogger()->Log(this, engine::llError, u"Cannot initialize the fromRGB conversion context");
    return false;
  }
  const uint8_t* src[4] = {static_cast<const uint8_t*>(bmp->ScanLine(0)), nullptr, nullptr, nullptr};
  int stride[4] = {AWidth * 3, 0, 0, 0};
  if (AHeight > 1)
    stride[0] = static_cast<int>(static_cast<const uint8_t*>(bmp->ScanLine(1)) - src[0]);
  uint8_t* dst[4] = {ADest[0], ADest[1], ADest[2], nullptr};
  int dstStride[4] = {ADestPitch[0], ADestPitch[1], ADestPitch[2], 0};
  ff::sws_scale(ctx.fromRGB_convert_ctx, src, stride, 0, AHeight, dst, dstStride);
  return true;
}

}  // namespace player
