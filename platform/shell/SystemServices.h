// What the program asks of the desktop: opening documents, folders and web
// addresses with the user's programs, powering the machine off, and playing
// a notification sound.
#pragma once

#include <memory>

#include "platform/rtl/Types.h"

namespace shell {

using String = rtl::String;

// Starts the user's program for Target (a path or a URL) through xdg-open,
// directly (no shell) and without waiting for it. False when Target is empty
// or the opener could not be started.
bool OpenDocument(const String& Target);
// The opener run by OpenDocument ("xdg-open"; empty restores it).
void SetOpenCommandForTests(const String& Program);

// Powering off. The real actions run `systemctl poweroff`, and refuse while
// the environment variable CI is set, so that no test run ever stops its
// machine; tests install a fake with SetSystemActions.
class TSystemActions {
 public:
  virtual ~TSystemActions() = default;
  // True when the power-off was started; else Error says why not.
  virtual bool PowerOff(String& Error) = 0;
};

class TSystemdActions : public TSystemActions {
 public:
  explicit TSystemdActions(String Program = u"systemctl") : program_(std::move(Program)) {}
  bool PowerOff(String& Error) override;

 private:
  String program_;
};

TSystemActions& SystemActions();
// Null restores the real actions.
void SetSystemActions(std::unique_ptr<TSystemActions> Actions);

// Sounds: plays a WAV file once in the background. A new sound ends the one
// playing. When audio is not free (another part of the program holds the
// device) or the file cannot be played, nothing is heard and nothing is
// reported.
class TSoundPlayer {
 public:
  virtual ~TSoundPlayer() = default;
  virtual void Play(const String& FileName) = 0;
  virtual void Stop() = 0;
};

// The program's player: SDL audio bound at run time, or silence when SDL is
// not there.
TSoundPlayer& SoundPlayer();
// Null restores the program's player.
void SetSoundPlayer(std::unique_ptr<TSoundPlayer> Player);
// SoundPlayer().Play(FileName).
void PlaySound(const String& FileName);

}  // namespace shell
