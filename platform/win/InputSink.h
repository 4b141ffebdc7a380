// What back ends call to feed the window system: raw pointer and keyboard
// input, and notices about what the display did to top-level windows.
//
// Input is queued on the GUI thread's queue and routed (hit test, capture,
// focus) when the message loop retrieves it. Every function may be called from
// any thread; notices about windows are acted on by the GUI thread.
#pragma once

#include <string>

#include "platform/win/Backend.h"

namespace win::input {

void MouseMove(POINT screen);
void MouseButton(POINT screen, int button, bool down);  // 0 left, 1 right, 2 middle
void MouseWheel(POINT screen, int delta);              // multiples of WHEEL_DELTA, positive = away
// A key going down or up. `text` is what the key types (it arrives as
// WM_CHAR after TranslateMessage); empty for keys that type nothing.
void Key(int vk, bool down, const std::u16string& text = {});
// Text from an input method, delivered as WM_CHAR to the focus window.
void Text(const std::u16string& text);

// Notices from the display, about top-level windows.
void Exposed(NativeWindow w);                       // show the back buffer again
void MovedByDisplay(NativeWindow w, POINT topLeft);  // the window manager moved it
void FocusChanged(NativeWindow w, bool in);         // keyboard focus given or taken away
void CloseRequested(NativeWindow w);                // window manager's close button
void Iconified(NativeWindow w, bool iconic);
void DisplayChanged();

}  // namespace win::input
