// The program's side of the engine's waits: the window system's message pump
// that serves the window while the GUI thread waits for conversions or the
// player, and the application's handling of exceptions raised by engine and
// player event handlers.
#pragma once

namespace app {

// Installs both into the engine; the forms layer must be initialised.
// UninstallMessagePump takes them out again (before the forms go).
void InstallMessagePump();
void UninstallMessagePump();

}  // namespace app
