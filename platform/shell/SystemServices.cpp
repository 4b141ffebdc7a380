#include "platform/shell/SystemServices.h"

#include <cstdlib>
#include <mutex>

#include "platform/rtl/Process.h"
#include "platform/shell/WaveSound.h"

namespace shell {

namespace {

std::mutex g_mutex;
String g_openCommand;
std::unique_ptr<TSystemActions> g_actions;
std::unique_ptr<TSoundPlayer> g_player;

}  // namespace

bool OpenDocument(const String& Target) {
  if (Target.empty()) return false;
  String program;
  {
    std::lock_guard lock(g_mutex);
    program = g_openCommand.empty() ? String(u"xdg-open") : g_openCommand;
  }
  // A relative name that starts with '-' would be read as an option.
  const String arg = Target[0] == u'-' ? u"./" + Target : Target;
  return rtl::StartProgram(program, {arg}).Started;
}

void SetOpenCommandForTests(const String& Program) {
  std::lock_guard lock(g_mutex);
  g_openCommand = Program;
}

bool TSystemdActions::PowerOff(String& Error) {
  const char* ci = std::getenv("CI");
  if (ci && *ci) {
    Error = u"Power-off refused: running under CI";
    return false;
  }
  const rtl::TStartResult r = rtl::StartProgram(program_, {u"poweroff"});
  if (!r.Started) Error = r.ErrorText;
  return r.Started;
}

TSystemActions& SystemActions() {
  std::lock_guard lock(g_mutex);
  if (!g_actions) g_actions = std::make_unique<TSystemdActions>();
  return *g_actions;
}

void SetSystemActions(std::unique_ptr<TSystemActions> Actions) {
  std::lock_guard lock(g_mutex);
  g_actions = std::move(Actions);
}

TSoundPlayer& SoundPlayer() {
  std::lock_guard lock(g_mutex);
  if (!g_player) g_player = std::make_unique<TSdlSoundPlayer>();
  return *g_player;
}

void SetSoundPlayer(std::unique_ptr<TSoundPlayer> Player) {
  std::unique_ptr<TSoundPlayer> old;
  {
    std::lock_guard lock(g_mutex);
    old = std::move(g_player);
    g_player = std::move(Player);
  }
  // The old player ends its sound outside the lock.
}

void PlaySound(const String& FileName) { SoundPlayer().Play(FileName); }

}  // namespace shell
