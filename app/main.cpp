// Program entry of the converter: creates the program's windows, the main
// window first, and runs the message loop until the main window closes.
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "app/mainform/MessagePump.h"
#include "app/mainform/ProgramForms.h"
#include "platform/forms/Forms.h"
#include "platform/win/Backend.h"

namespace {

// A termination request (SIGTERM, SIGINT, SIGHUP) closes the main window the
// way its close button does: running conversions are stopped and their
// outputs finished. A second request ends the program at once. The same
// signal again within a second is the first request delivered twice, not a
// second one: a signal sent to a process group often reaches the program
// also through its parent (timeout signals the group, and make passes the
// signal on to its children). The signals are blocked in every thread and
// taken by one thread of their own, so no library that installs handlers
// later (the preview's sound and video layer turns them into its own quit
// events) can swallow them.
void WatchTerminationSignals(win::HWND mainWindow) {
  sigset_t set;
  sigemptyset(&set);
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&set, sig);
  std::thread([set, mainWindow] {
    using Clock = std::chrono::steady_clock;
    int first = 0;  // the signal of the request, 0 before it
    Clock::time_point firstAt;
    for (;;) {
      int sig = 0;
      if (sigwait(&set, &sig) != 0) return;
      const Clock::time_point now = Clock::now();
      if (first == 0) {
        first = sig;
        firstAt = now;
        win::PostMessageW(mainWindow, win::WM_CLOSE, 0, 0);
      } else if (sig != first || now - firstAt >= std::chrono::seconds(1)) {
        _exit(128 + sig);
      }
    }
  }).detach();
}

void BlockTerminationSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) sigaddset(&set, sig);
  pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  // Before any thread starts, so that every thread inherits the mask.
  BlockTerminationSignals();
  std::setlocale(LC_ALL, "");
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) {
    std::fprintf(stderr, "tavrel-converter: no display: DISPLAY is not set; the converter needs an X display to run\n");
    return 1;
  }
  if (!win::InitWindowSystem(win::BackendKind::X11)) {
    std::fprintf(stderr, "tavrel-converter: cannot open the X display \"%s\"\n", display);
    return 1;
  }
  forms::InitForms();
  // Waits for conversions and for the player keep serving the windows.
  app::InstallMessagePump();
  forms::Application->Initialize();
  forms::Application->SetTitle(app::TForm1::kCaption);
  forms::Application->SetHelpFile(u"help.chm");
  app::CreateProgramForms();
  WatchTerminationSignals(app::Form1->Handle());
  forms::Application->Run();
  app::UninstallMessagePump();
  forms::DoneForms();
  app::EndProgramServices();
  win::ShutdownWindowSystem();
  return 0;
}
