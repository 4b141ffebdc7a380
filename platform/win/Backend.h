// The back end of the window system: what it takes from a display.
//
// The window system keeps every window, message and pixel itself; a back end
// only mirrors top-level windows (map, move, shape, upload of the composed back
// buffer) and feeds raw input back through the functions of InputSink.h. Every
// call is made on the thread that owns the window concerned (in practice the
// GUI thread), never with a window-system lock held.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/Region.h"
#include "platform/gdi/Surface.h"
#include "platform/win/WinTypes.h"

namespace win {

using NativeWindow = std::uint64_t;  // back end's window id; 0 = none

struct NativeCreate {
  HWND hwnd = nullptr;
  RECT screenRect;
  DWORD style = 0, exStyle = 0;
  bool popup = false;        // never takes focus, not managed (menus, hints, drop-downs)
  NativeWindow owner = 0;    // transient-for
  std::u16string title;
};

// An icon or cursor picture: straight-alpha 0xAARRGGBB pixels, top-down.
struct IconImage {
  int width = 0, height = 0;
  std::vector<std::uint32_t> argb;
  POINT hotSpot;  // cursors
};

class Backend {
 public:
  virtual ~Backend() = default;
  virtual const char* Name() const = 0;

  virtual NativeWindow CreateTopLevel(const NativeCreate& c) = 0;
  virtual void DestroyTopLevel(NativeWindow w) = 0;
  virtual void ShowTopLevel(NativeWindow w, bool show, bool activate) = 0;
  virtual void MoveTopLevel(NativeWindow w, const RECT& screenRect) = 0;
  virtual void SetTitle(NativeWindow w, const std::u16string& title) {}
  virtual void Raise(NativeWindow w) {}
  virtual void Iconify(NativeWindow w) {}
  virtual void Activate(NativeWindow w) {}
  // Copies `area` (window coordinates) of the composed image to the display.
  virtual void Upload(NativeWindow w, const gdi::Surface& image, const gdi::Region& area) = 0;
  // Window region (window coordinates); nullptr removes it.
  virtual void SetShape(NativeWindow w, const gdi::Region* shape) {}
  // Input transparency (WS_EX_TRANSPARENT layered windows).
  virtual void SetInputTransparent(NativeWindow w, bool transparent) {}
  virtual void SetOpacity(NativeWindow w, BYTE alpha) {}
  // Whether the image's alpha (premultiplied) is the window's shape of
  // translucency (UpdateLayeredWindow with per-pixel alpha), or the window is opaque.
  virtual void SetPerPixelAlpha(NativeWindow w, bool perPixel) {}

  // A real child window inside a top-level, for foreign drawing (video).
  virtual NativeWindow CreateForeignChild(NativeWindow parent, const RECT& rectInParent) { return 0; }
  virtual void DestroyForeignChild(NativeWindow w) {}
  virtual void PlaceForeignChild(NativeWindow w, const RECT& rectInParent, bool visible) {}
  // Moves a foreign child into another top-level (its window changed parent).
  virtual void ReparentForeignChild(NativeWindow w, NativeWindow newParent, const RECT& rectInParent, bool visible) {}

  // Pointer grab while the window system holds a capture (move/size loops,
  // menus): events outside our windows still reach us.
  virtual void GrabPointer(NativeWindow w, bool grab) {}
  virtual void SetCursorShape(std::uintptr_t idc) {}
  // A cursor made by the program; `key` stays the same for the same cursor
  // object, so the back end may keep what it made for it.
  virtual void SetCursorImage(std::uintptr_t key, const IconImage& image) {}
  // The window's icons for the window manager (every size it has; may be empty).
  virtual void SetIcons(NativeWindow w, const std::vector<IconImage>& icons) {}
  // A native window like the one given, but made for per-pixel alpha (a window
  // that became layered after creation); 0 when the back end keeps the old one.
  // The caller moves shape, opacity, icons and contents over and destroys the old one.
  virtual NativeWindow RecreateLayered(NativeWindow old, const NativeCreate& c) { return 0; }
  // Where the text caret of a window inside `w` is (window coordinates of `w`),
  // for an input method's pre-edit and candidate window.
  virtual void SetTextCursor(NativeWindow w, const RECT& caret) {}
  virtual POINT CursorPos() = 0;
  virtual void WarpCursor(POINT p) {}

  virtual RECT ScreenRect() = 0;
  virtual RECT WorkArea() = 0;
  virtual bool LayeringSupported() { return false; }
  virtual void Beep() {}

  virtual void SetClipboardText(const std::u16string& text) = 0;
  virtual bool GetClipboardText(std::u16string& out) = 0;

  // Descriptor that becomes readable when the display has events (-1: none),
  // and the call that reads them and feeds them in. Called on the GUI thread.
  virtual int EventFd() { return -1; }
  // Events already read from the display but not yet processed (a descriptor
  // wait would not see them).
  virtual bool EventsPending() { return false; }
  virtual void ProcessEvents() {}
  virtual void Flush() {}
};

// Back end selection. InitWindowSystem picks X11 when DISPLAY is set and a
// connection can be opened, the headless one otherwise. The calling thread
// becomes the GUI thread (it drains the runtime library's synchronisation
// queue in its message loop).
enum class BackendKind { Automatic, Headless, X11 };
bool InitWindowSystem(BackendKind kind = BackendKind::Automatic);
// Installs a given back end (tests, or a caller that built one itself).
void InitWindowSystem(std::unique_ptr<Backend> backend);
// Destroys every remaining window and drops the back end.
void ShutdownWindowSystem();
Backend* CurrentBackend();

}  // namespace win
