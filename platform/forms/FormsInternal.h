// Internal: services the framework's files share (not for use outside
// platform/forms).
#pragma once

#include <cstdint>
#include <functional>

#include "platform/forms/Controls.h"

namespace forms::detail {

// A hidden message-only window of the framework: it runs the callbacks of
// utility timers (TTimer, hint timing) and frees components released earlier.
HWND UtilWindow();
void DestroyUtilWindow();
// Starts (or restarts) a repeating timer on the window system's clock; returns its id.
std::uintptr_t StartUtilTimer(std::uintptr_t id, unsigned ms, std::function<void()> callback);
void StopUtilTimer(std::uintptr_t id);
// Frees the component from the message loop, unless it is gone by then.
void DeferFree(TComponent* c, TLiveness live);

// Set by TApplication: handles an exception escaping a window procedure.
extern std::function<void(TObject* sender)> gExceptionHook;
// Set by TApplication: hint timing follows mouse messages of controls.
extern std::function<void(TControl* control, const TMessage& m)> gHintHook;
// Set by TScreen: the screen-wide cursor (crDefault when none).
extern std::function<TCursor()> gScreenCursor;

win::HCURSOR CursorHandle(TCursor c);
void SetCursorHandle(TCursor c, win::HCURSOR h);

// Draws text in a font and colour, transparently, leaving the DC's selection as it was.
int DrawTextIn(HDC dc, gdi::TFont* font, TColor color, const String& text, win::RECT& r, win::UINT flags);

// Called when a control goes away: it stops being the pointer's or the capture's control.
void ForgetControl(TControl* c);

// Drag and drop (ControlsDrag.cpp). A message of control c that a drag under
// way takes (pointer moves and releases of the source, a lost capture): true
// when it was taken and goes no further.
bool DragMessage(TControl* c, TMessage& m);
// A key pressed during a drag: Escape cancels it; true when the key was taken.
bool DragKey(WPARAM vk);
// A control going away leaves the drag (as its source or its target).
void ForgetDragControl(TControl* c);
// The left button was pressed on c (after its own handling): a control with
// DragMode dmAutomatic starts a drag once the pointer moves far enough.
void AutoDragPress(TControl* c);

}  // namespace forms::detail
