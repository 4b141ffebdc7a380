// Test control of the window system: a fake clock, synthetic input and
// pictures of windows. Works with any back end; tests use the headless one,
// which has no display connection, a 1280x1024 screen and a work area 40
// pixels shorter (a task bar at the bottom).
//
// All functions are for the GUI thread (the one that initialised the window
// system), except AdvanceClock, which may be called from any thread.
#pragma once

#include <cstdint>
#include <string>

#include "platform/gdi/Surface.h"
#include "platform/win/Backend.h"
#include "platform/win/WinTypes.h"

namespace win::headless {

// Timers and double-click timing follow a clock that only moves when told.
void UseFakeClock(bool fake);
void AdvanceClock(std::uint32_t ms);  // wakes every queue; due timers fire on the next retrieval

// Input is queued and routed when the loop retrieves it; Pump runs it. A
// press that starts a move or size loop (caption, border) runs that loop inside
// Pump, so queue its moves and the release before pumping, or Pump waits for them.
void MouseMove(POINT screen);
void MouseDown(POINT screen, int button = 0);
void MouseUp(POINT screen, int button = 0);
void Click(POINT screen, int button = 0);  // move, down, up
void Wheel(POINT screen, int delta);
void KeyDown(int vk, const std::u16string& text = {});
void KeyUp(int vk);
void PressKey(int vk, const std::u16string& text = {});  // down then up
void TypeText(const std::u16string& text);                 // input-method text

// Dispatches everything the calling thread's queue holds (posted, sent, input,
// paint, due timers) without waiting, then uploads composed frames. Returns the
// number of messages dispatched.
int Pump();

// The composed picture of a top-level window (after Pump), or nullptr.
const gdi::Surface* BackBuffer(HWND top);
// Paints what is pending and writes the window's area of its top-level's
// back buffer to a PNG file.
bool RenderToPng(HWND h, const std::string& path);

// Screen geometry of the headless back end.
void SetScreen(RECT screen, RECT workArea);
// Whether the headless back end answers as a display with an ARGB visual and
// a compositor (IsLayeringSupported); false until set.
void SimulateLayering(bool supported);
// How many frames the back end has been given for a window (uploads).
int UploadCount(HWND top);
// The native child the back end keeps for a WS_EX_FOREIGNVIDEO window: the
// top-level window it sits in and its place there (window coordinates). False
// when the window has none.
bool ForeignChild(HWND video, HWND* top, RECT* rectInTop, bool* visible = nullptr);

// The cursor the back end was last told to show: a system cursor number
// (IDC_*), or 0 for a cursor object, whose picture goes to *image.
std::uintptr_t ShownCursor(IconImage* image = nullptr);
// The icons the back end was last given for a top-level window.
std::vector<IconImage> WindowIcons(HWND top);

}  // namespace win::headless
