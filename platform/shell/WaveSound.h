// Playing WAV files through SDL 1.2 audio.
//
// SDL is bound at run time (LibAV beside the program first, then the system's
// libSDL-1.2.so.0), the same library the preview player binds, so both share
// the one audio device: a sound plays only while the device is free, and the
// player finds it free again when the sound is over. Files are read and played
// on a worker thread of the player; Play never waits for either.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "platform/shell/SystemServices.h"

namespace shell {

// PCM samples of a WAV file in a form SDL plays: 8-bit unsigned or 16-bit
// signed little-endian, 1 to 2 channels.
struct TWaveData {
  int Frequency = 0;
  int Channels = 0;
  int BitsPerSample = 0;
  std::string Samples;
};
// False for a file that is not a PCM WAV of that kind, or is cut short
// before its first sample.
bool ParseWave(const std::string& Bytes, TWaveData& Data);

enum class TSoundOutcome { None, Played, Stopped, Unreadable, NoAudio, DeviceBusy };

class TSdlSoundPlayer : public TSoundPlayer {
 public:
  TSdlSoundPlayer();
  ~TSdlSoundPlayer() override;
  void Play(const String& FileName) override;
  void Stop() override;

  // For tests: waits until no sound is pending or playing; the outcome of
  // the last sound and how many were taken up.
  void WaitIdle();
  bool Busy();
  TSoundOutcome LastOutcome();
  int Finished();

 private:
  void Run();
  TSoundOutcome PlayOne(const std::string& path);

  std::mutex m_;
  std::condition_variable cv_;
  std::string pending_;
  bool hasPending_ = false;
  bool busy_ = false;
  bool stop_ = false;     // the current sound must end
  bool quit_ = false;
  TSoundOutcome last_ = TSoundOutcome::None;
  int finished_ = 0;
  std::thread worker_;
};

}  // namespace shell
