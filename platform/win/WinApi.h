// The window system's API: windows, classes, messages and queues, timers,
// painting, input, focus and activation, caret, clipboard, window regions,
// layering, monitors and metrics, with the Windows names and semantics.
//
// Threads: a window belongs to the thread that created it; its procedure runs
// only there, and the functions that change or read a window's tree, geometry
// or painting state must be called there. PostMessage, PostThreadMessage,
// SendMessage (which waits for the owning thread and, while waiting, answers
// messages sent to the caller's own windows), IsWindow and
// GetWindowThreadProcessId may be called from any thread.
//
// Handles are never reused: a destroyed window's handle stays invalid, so a
// late PostMessage or IsWindow on it is safe and fails. A window may destroy
// itself inside its own procedure; the object stays alive until that call
// returns.
//
// On the main thread, retrieving messages (GetMessage, PeekMessage, WaitMessage
// and the wait inside SendMessage) also runs the methods other threads handed
// over through the runtime library (TThread::Synchronize / Queue); an exception
// from a queued method leaves that call, as it would leave the message loop.
//
// Text: window texts and class names are UTF-16 (rtl::String). The clipboard
// holds CF_UNICODETEXT only and is read and written through text functions.
#pragma once

#include <cstdint>

#include "platform/rtl/Types.h"
#include "platform/win/WinTypes.h"

namespace win {

// ---- Classes ------------------------------------------------------------------
ATOM RegisterClassW(const WNDCLASSW* wc);
BOOL UnregisterClassW(const char16_t* name);
BOOL GetClassInfoW(const char16_t* name, WNDCLASSW* out);
LONG_PTR GetClassLongPtrW(HWND h, int index);
LONG_PTR SetClassLongPtrW(HWND h, int index, LONG_PTR value);
int GetClassNameW(HWND h, char16_t* buffer, int max);

// ---- Windows --------------------------------------------------------------------
HWND CreateWindowExW(DWORD exStyle, const char16_t* className, const char16_t* windowName, DWORD style,
                     int x, int y, int width, int height, HWND parent, HMENU menuOrId, void* param);
BOOL DestroyWindow(HWND h);
BOOL IsWindow(HWND h);
BOOL IsChild(HWND parent, HWND h);
BOOL IsWindowVisible(HWND h);
BOOL IsWindowEnabled(HWND h);
BOOL IsIconic(HWND h);
BOOL IsZoomed(HWND h);
BOOL EnableWindow(HWND h, BOOL enable);  // returns whether it was disabled before
HWND GetParent(HWND h);                   // parent of a child, owner of a popup
HWND SetParent(HWND h, HWND newParent);
HWND GetWindow(HWND h, UINT cmd);
HWND GetAncestor(HWND h, UINT flags);
HWND GetTopWindow(HWND h);                // nullptr: topmost top-level
HWND GetDesktopWindow();
DWORD GetWindowThreadProcessId(HWND h, DWORD* processId);
DWORD GetCurrentThreadId();

BOOL ShowWindow(HWND h, int cmd);  // returns whether it was visible before
BOOL SetWindowPos(HWND h, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
BOOL MoveWindow(HWND h, int x, int y, int width, int height, BOOL repaint);
BOOL BringWindowToTop(HWND h);
BOOL GetWindowRect(HWND h, RECT* out);  // screen coordinates
BOOL GetClientRect(HWND h, RECT* out);  // (0, 0, width, height)
BOOL ClientToScreen(HWND h, POINT* p);
BOOL ScreenToClient(HWND h, POINT* p);
int MapWindowPoints(HWND from, HWND to, POINT* pts, UINT count);  // nullptr = screen
HWND WindowFromPoint(POINT screen);
HWND ChildWindowFromPoint(HWND parent, POINT client);
BOOL AdjustWindowRectEx(RECT* r, DWORD style, BOOL menu, DWORD exStyle);

LONG_PTR GetWindowLongPtrW(HWND h, int index);
LONG_PTR SetWindowLongPtrW(HWND h, int index, LONG_PTR value);
inline LONG_PTR GetWindowLongW(HWND h, int index) { return GetWindowLongPtrW(h, index); }
inline LONG_PTR SetWindowLongW(HWND h, int index, LONG_PTR value) { return SetWindowLongPtrW(h, index, value); }
LRESULT CallWindowProcW(WNDPROC proc, HWND h, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT DefWindowProcW(HWND h, UINT msg, WPARAM wParam, LPARAM lParam);

BOOL SetWindowTextW(HWND h, const char16_t* text);
int GetWindowTextW(HWND h, char16_t* buffer, int max);
int GetWindowTextLengthW(HWND h);
rtl::String GetWindowText(HWND h);
inline BOOL SetWindowText(HWND h, const rtl::String& s) { return SetWindowTextW(h, s.c_str()); }

// ---- Messages ---------------------------------------------------------------------
LRESULT SendMessageW(HWND h, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL PostMessageW(HWND h, UINT msg, WPARAM wParam, LPARAM lParam);  // h nullptr: the thread's queue
BOOL PostThreadMessageW(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL GetMessageW(MSG* out, HWND h, UINT filterMin, UINT filterMax);  // FALSE on WM_QUIT, -1 on error
BOOL PeekMessageW(MSG* out, HWND h, UINT filterMin, UINT filterMax, UINT removeFlags);
BOOL WaitMessage();
BOOL TranslateMessage(const MSG* msg);
LRESULT DispatchMessageW(const MSG* msg);
void PostQuitMessage(int exitCode);
DWORD GetMessageTime();
DWORD GetMessagePos();
BOOL InSendMessage();
UINT RegisterWindowMessageW(const char16_t* name);  // 0xC000..0xFFFF, one number per name
inline LRESULT SendMessage(HWND h, UINT m, WPARAM w, LPARAM l) { return SendMessageW(h, m, w, l); }
inline BOOL PostMessage(HWND h, UINT m, WPARAM w, LPARAM l) { return PostMessageW(h, m, w, l); }

// Runs queued messages of the calling thread without waiting (Application's
// ProcessMessages); returns FALSE when WM_QUIT was met (it stays queued).
BOOL ProcessPendingMessages();

std::uintptr_t SetTimer(HWND h, std::uintptr_t id, UINT elapse, TIMERPROC proc);
BOOL KillTimer(HWND h, std::uintptr_t id);
DWORD GetTickCountWin();  // the window system's clock (fake in headless tests)

// ---- Painting -------------------------------------------------------------------
BOOL InvalidateRect(HWND h, const RECT* r, BOOL erase);
BOOL InvalidateRgn(HWND h, HRGN rgn, BOOL erase);
BOOL ValidateRect(HWND h, const RECT* r);
BOOL ValidateRgn(HWND h, HRGN rgn);
BOOL UpdateWindow(HWND h);
BOOL RedrawWindow(HWND h, const RECT* r, HRGN rgn, UINT flags);
BOOL GetUpdateRect(HWND h, RECT* out, BOOL erase);
int GetUpdateRgn(HWND h, HRGN out, BOOL erase);
HDC BeginPaint(HWND h, PAINTSTRUCT* ps);
BOOL EndPaint(HWND h, const PAINTSTRUCT* ps);
HDC GetDC(HWND h);
HDC GetDCEx(HWND h, HRGN clip, DWORD flags);
HDC GetWindowDC(HWND h);
int ReleaseDC(HWND h, HDC dc);
int SetWindowRgn(HWND h, HRGN rgn, BOOL redraw);  // takes ownership of rgn
int GetWindowRgn(HWND h, HRGN out);
HWND WindowFromDC(HDC dc);
// Uploads every composed but not yet shown frame now (normally done when the
// thread's queue runs empty).
void FlushWindows();

// ---- Scroll state ------------------------------------------------------------------
// The scroll state of a window's own bars (SB_HORZ, SB_VERT). The bars are not
// drawn: skinned bars stand in for them; ShowScrollBar sets WS_HSCROLL /
// WS_VSCROLL, which take their room from the client area.
int SetScrollInfo(HWND h, int bar, const SCROLLINFO* si, BOOL redraw);  // returns the position
BOOL GetScrollInfo(HWND h, int bar, SCROLLINFO* si);
int SetScrollPos(HWND h, int bar, int pos, BOOL redraw);  // returns the previous position
int GetScrollPos(HWND h, int bar);
BOOL SetScrollRange(HWND h, int bar, int minPos, int maxPos, BOOL redraw);
BOOL GetScrollRange(HWND h, int bar, int* minPos, int* maxPos);
BOOL ShowScrollBar(HWND h, int bar, BOOL show);

// ---- Input ------------------------------------------------------------------------
HWND SetCapture(HWND h);
BOOL ReleaseCapture();
HWND GetCapture();
BOOL TrackMouseEvent(TRACKMOUSEEVENT* tme);
HCURSOR LoadCursorW(void* instance, std::uintptr_t id);  // system cursors only (IDC_*)
// A monochrome cursor from its AND and XOR planes (1 bit per pixel, rows
// padded to 16 bits): AND 0 XOR 0 black, 0 1 white, 1 0 transparent, 1 1 inverted
// (shown as black). nullptr when a size is not positive or a plane is missing.
HCURSOR CreateCursor(void* instance, int xHotspot, int yHotspot, int width, int height, const void* andPlane,
                     const void* xorPlane);
BOOL DestroyCursor(HCURSOR c);  // objects only; system cursors stay
HCURSOR SetCursor(HCURSOR c);
HCURSOR GetCursor();
BOOL GetCursorPos(POINT* out);
BOOL SetCursorPos(int x, int y);
short GetKeyState(int vk);
short GetAsyncKeyState(int vk);
UINT GetDoubleClickTime();

HWND SetFocus(HWND h);
HWND GetFocus();
HWND SetActiveWindow(HWND h);
HWND GetActiveWindow();
BOOL SetForegroundWindow(HWND h);
HWND GetForegroundWindow();

BOOL CreateCaret(HWND h, void* bitmap, int width, int height);
BOOL DestroyCaret();
BOOL SetCaretPos(int x, int y);
BOOL GetCaretPos(POINT* out);
BOOL ShowCaret(HWND h);
BOOL HideCaret(HWND h);
UINT GetCaretBlinkTime();

BOOL OpenClipboard(HWND owner);
BOOL CloseClipboard();
BOOL EmptyClipboard();
BOOL IsClipboardFormatAvailable(UINT format);
BOOL SetClipboardText(const rtl::String& text);  // CF_UNICODETEXT, between Open/CloseClipboard
BOOL GetClipboardText(rtl::String* out);

// ---- Icons ----------------------------------------------------------------------
// Icon objects own copies of the bitmaps they are made from: the caller keeps
// (and deletes) its own. Handles of destroyed icons fail safely. The window
// system's icon functions may be called from any thread.
HICON CreateIconIndirect(const ICONINFO* info);
HICON CopyIcon(HICON icon);
BOOL DestroyIcon(HICON icon);
// Fresh copies of the bitmaps (hbmColor 32-bit with the icon's alpha, or
// nullptr for a monochrome one; hbmMask 1-bit); the caller deletes them.
BOOL GetIconInfo(HICON icon, ICONINFO* out);
// The icon's pixel size (our addition; Windows reads it from GetIconInfo's bitmaps).
BOOL GetIconSize(HICON icon, SIZE* out);
// Draws the icon stretched to cx x cy (0: its own size; DI_DEFAULTSIZE: the
// SM_CXICON metrics), blended by its alpha, or through its masks (AND mask,
// then the image XORed: set mask bits with a coloured image invert). DI_MASK
// or DI_IMAGE alone copy that part (SRCCOPY, no transparency). `flickerBrush`
// non-null: drawn first onto a cx x cy area filled with the brush in an
// off-screen bitmap, then copied.
BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int cx, int cy, UINT stepIfAniCur, HBRUSH flickerBrush,
                UINT flags);
BOOL DrawIcon(HDC dc, int x, int y, HICON icon);  // DI_NORMAL | DI_DEFAULTSIZE
// A window's icons are set with WM_SETICON (ICON_BIG or ICON_SMALL, returns
// the previous handle) and read with WM_GETICON (ICON_SMALL2: the small icon,
// or the big one when there is no small one), both answered by DefWindowProc.
// As on Windows the window only keeps the handle: the caller owns the icon
// and destroys it after replacing it. The pixels of a top-level window's icons go to the display
// when they are set (X11: _NET_WM_ICON with both sizes).

// ---- Layering, monitors, metrics ---------------------------------------------------
BOOL SetLayeredWindowAttributes(HWND h, COLORREF key, BYTE alpha, DWORD flags);
BOOL GetLayeredWindowAttributes(HWND h, COLORREF* key, BYTE* alpha, DWORD* flags);
BOOL UpdateLayeredWindow(HWND h, HDC screenDC, POINT* pos, SIZE* size, HDC src, POINT* srcPos,
                         COLORREF key, gdi::BLENDFUNCTION* blend, DWORD flags);
// Per-pixel alpha windows work only with an ARGB visual and a compositor.
bool IsLayeringSupported();

int GetSystemMetrics(int index);
BOOL SystemParametersInfoW(UINT action, UINT uiParam, void* pvParam, UINT winIni);
HMONITOR MonitorFromWindow(HWND h, DWORD flags);
HMONITOR MonitorFromPoint(POINT p, DWORD flags);
HMONITOR MonitorFromRect(const RECT* r, DWORD flags);
BOOL GetMonitorInfoW(HMONITOR m, MONITORINFO* out);
BOOL MessageBeep(UINT type);

// The back end's id of a window: the X window of a top-level, or of the real
// child window made for a WS_EX_FOREIGNVIDEO window (0 when there is none).
std::uint64_t GetNativeWindowId(HWND h);

}  // namespace win
