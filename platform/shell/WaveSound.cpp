#include "platform/shell/WaveSound.h"

#include <SDL/SDL.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/rtl/DynLib.h"
#include "platform/rtl/FileSys.h"
#include "platform/rtl/Strings.h"

namespace shell {

namespace {

std::uint32_t Le32(const std::string& b, size_t at) {
  return static_cast<std::uint8_t>(b[at]) | static_cast<std::uint8_t>(b[at + 1]) << 8 |
         static_cast<std::uint8_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[at + 3])) << 24;
}
std::uint16_t Le16(const std::string& b, size_t at) {
  return static_cast<std::uint16_t>(static_cast<std::uint8_t>(b[at]) | static_cast<std::uint8_t>(b[at + 1]) << 8);
}

// The few SDL entries a sound needs.
struct TSdlAudio {
  decltype(&::SDL_InitSubSystem) InitSubSystem = nullptr;
  decltype(&::SDL_QuitSubSystem) QuitSubSystem = nullptr;
  decltype(&::SDL_WasInit) WasInit = nullptr;
  decltype(&::SDL_OpenAudio) OpenAudio = nullptr;
  decltype(&::SDL_PauseAudio) PauseAudio = nullptr;
  decltype(&::SDL_CloseAudio) CloseAudio = nullptr;
  bool ok = false;
};

const TSdlAudio& Sdl() {
  static const TSdlAudio sdl = [] {
    TSdlAudio s;
    const char* name = "libSDL-1.2.so.0";
    rtl::HMODULE h = rtl::LoadLibrary(rtl::IncludeTrailingPathDelimiter(rtl::ProgramFolder()) + u"LibAV/" +
                                      rtl::S(name));
    if (!h) h = rtl::LoadLibrary(std::string(name));
    if (!h) return s;
    auto bind = [&](auto& fn, const char* symbol) {
      fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(rtl::GetProcAddress(h, symbol));
      return fn != nullptr;
    };
    s.ok = bind(s.InitSubSystem, "SDL_InitSubSystem") && bind(s.QuitSubSystem, "SDL_QuitSubSystem") &&
           bind(s.WasInit, "SDL_WasInit") && bind(s.OpenAudio, "SDL_OpenAudio") &&
           bind(s.PauseAudio, "SDL_PauseAudio") && bind(s.CloseAudio, "SDL_CloseAudio");
    return s;
  }();
  return sdl;
}

// What the audio callback reads; lives on the worker's stack while it plays.
struct TPlayback {
  const std::string* samples = nullptr;
  size_t pos = 0;
  std::uint8_t silence = 0;
  std::mutex* m = nullptr;
  std::condition_variable* cv = nullptr;
  bool done = false;  // guarded by *m
};

void Callback(void* user, Uint8* stream, int len) {
  auto* p = static_cast<TPlayback*>(user);
  const size_t left = p->samples->size() - p->pos;
  const size_t n = std::min(left, static_cast<size_t>(len));
  std::memcpy(stream, p->samples->data() + p->pos, n);
  std::memset(stream + n, p->silence, static_cast<size_t>(len) - n);
  p->pos += n;
  if (p->pos >= p->samples->size()) {
    std::lock_guard lock(*p->m);
    if (!p->done) {
      p->done = true;
      p->cv->notify_all();
    }
  }
}

}  // namespace

bool ParseWave(const std::string& b, TWaveData& d) {
  d = TWaveData();
  if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0) return false;
  bool haveFormat = false;
  size_t at = 12;
  while (at + 8 <= b.size()) {
    const std::string id = b.substr(at, 4);
    const std::uint32_t size = Le32(b, at + 4);
    const size_t body = at + 8;
    if (id == "fmt ") {
      if (size < 16 || body + 16 > b.size()) return false;
      std::uint16_t tag = Le16(b, body);
      if (tag == 0xFFFE && size >= 40 && body + 26 <= b.size()) tag = Le16(b, body + 24);  // extensible: sub-format
      d.Channels = Le16(b, body + 2);
      d.Frequency = static_cast<int>(Le32(b, body + 4));
      d.BitsPerSample = Le16(b, body + 14);
      if (tag != 1 || d.Channels < 1 || d.Channels > 2 || d.Frequency < 1000 || d.Frequency > 192000 ||
          (d.BitsPerSample != 8 && d.BitsPerSample != 16))
        return false;
      haveFormat = true;
    } else if (id == "data") {
      if (!haveFormat || body >= b.size()) return false;
      // A header that claims more than the file holds plays what is there.
      size_t n = std::min<size_t>(size, b.size() - body);
      const size_t frame = static_cast<size_t>(d.Channels) * (d.BitsPerSample / 8);
      n -= n % frame;
      if (n == 0) return false;
      d.Samples = b.substr(body, n);
      return true;
    }
    if (size > b.size() - body) return false;
    at = body + size + (size & 1);
  }
  return false;
}

TSdlSoundPlayer::TSdlSoundPlayer() : worker_([this] { Run(); }) {}

TSdlSoundPlayer::~TSdlSoundPlayer() {
  {
    std::lock_guard lock(m_);
    quit_ = stop_ = true;
    hasPending_ = false;
  }
  cv_.notify_all();
  worker_.join();
}

void TSdlSoundPlayer::Play(const String& FileName) {
  {
    std::lock_guard lock(m_);
    pending_ = rtl::StringToFileName(FileName);
    hasPending_ = true;
    stop_ = true;  // a sound that plays makes way
  }
  cv_.notify_all();
}

void TSdlSoundPlayer::Stop() {
  {
    std::lock_guard lock(m_);
    hasPending_ = false;
    stop_ = true;
  }
  cv_.notify_all();
}

void TSdlSoundPlayer::WaitIdle() {
  std::unique_lock lock(m_);
  cv_.wait(lock, [this] { return !hasPending_ && !busy_; });
}

bool TSdlSoundPlayer::Busy() {
  std::lock_guard lock(m_);
  return busy_;
}

TSoundOutcome TSdlSoundPlayer::LastOutcome() {
  std::lock_guard lock(m_);
  return last_;
}

int TSdlSoundPlayer::Finished() {
  std::lock_guard lock(m_);
  return finished_;
}

void TSdlSoundPlayer::Run() {
  std::unique_lock lock(m_);
  for (;;) {
    cv_.wait(lock, [this] { return quit_ || hasPending_; });
    if (quit_) return;
    const std::string path = std::move(pending_);
    hasPending_ = false;
    stop_ = false;
    busy_ = true;
    lock.unlock();
    const TSoundOutcome outcome = PlayOne(path);
    lock.lock();
    busy_ = false;
    last_ = outcome;
    ++finished_;
    cv_.notify_all();
  }
}

TSoundOutcome TSdlSoundPlayer::PlayOne(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return TSoundOutcome::Unreadable;
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  TWaveData wave;
  if (!ParseWave(bytes, wave)) return TSoundOutcome::Unreadable;
  const TSdlAudio& sdl = Sdl();
  if (!sdl.ok) return TSoundOutcome::NoAudio;
  const bool wasInit = sdl.WasInit(SDL_INIT_AUDIO) != 0;
  if (!wasInit && sdl.InitSubSystem(SDL_INIT_AUDIO) != 0) return TSoundOutcome::NoAudio;
  TPlayback playback;
  playback.samples = &wave.Samples;
  playback.silence = wave.BitsPerSample == 8 ? 0x80 : 0;
  playback.m = &m_;
  playback.cv = &cv_;
  SDL_AudioSpec want{};
  want.freq = wave.Frequency;
  want.format = wave.BitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
  want.channels = static_cast<Uint8>(wave.Channels);
  want.samples = 2048;
  want.callback = Callback;
  want.userdata = &playback;
  // Without an "obtained" spec SDL converts to what the device takes. It
  // refuses while the device is open elsewhere: then the sound is skipped.
  if (sdl.OpenAudio(&want, nullptr) != 0) {
    if (!wasInit) sdl.QuitSubSystem(SDL_INIT_AUDIO);
    return TSoundOutcome::DeviceBusy;
  }
  sdl.PauseAudio(0);
  bool stopped;
  {
    std::unique_lock lock(m_);
    cv_.wait(lock, [&] { return playback.done || stop_; });
    stopped = !playback.done;
  }
  // Closing waits for the callback to return, so playback stays valid.
  sdl.CloseAudio();
  if (!wasInit) sdl.QuitSubSystem(SDL_INIT_AUDIO);
  return stopped ? TSoundOutcome::Stopped : TSoundOutcome::Played;
}

}  // namespace shell
