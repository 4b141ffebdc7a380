// Types, structures and constants of the window system.
//
// The converter's window code is written against the Windows user interface
// API; these are the names it calls, with their Windows values, so that message
// numbers, style bits, hit codes and command codes read (and compare) exactly as
// they would there. Basic types come from the raster layer so that HDC, HRGN and
// RECT are one type across both layers.
#pragma once

#include <cstdint>

#include "platform/gdi/GdiTypes.h"

namespace win {

using gdi::BOOL;
using gdi::BYTE;
using gdi::COLORREF;
using gdi::DWORD;
using gdi::FALSE;
using gdi::HBRUSH;
using gdi::HDC;
using gdi::HRGN;
using gdi::LONG;
using gdi::POINT;
using gdi::RECT;
using gdi::SIZE;
using gdi::TRUE;
using gdi::UINT;
using gdi::WCHAR;
using gdi::WORD;

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using LONG_PTR = std::intptr_t;
using ATOM = WORD;

struct WindowHandle;  // opaque: a handle value, never dereferenced
using HWND = WindowHandle*;
// Icons and cursors are one kind of object, as on Windows: a cursor is an icon
// with a hot spot. A handle below 0x10000 is a system cursor (the IDC_ number
// LoadCursor was given); anything else is an object from CreateIconIndirect,
// CreateCursor or CopyIcon.
struct IconHandle;
using HICON = IconHandle*;
using HCURSOR = HICON;
struct MonitorHandle;
using HMONITOR = MonitorHandle*;
using HMENU = std::uintptr_t;  // a child window's ID travels here, as in Windows

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using TIMERPROC = void (*)(HWND, UINT, std::uintptr_t, DWORD);

constexpr WORD LOWORD(std::uintptr_t v) { return WORD(v & 0xFFFF); }
constexpr WORD HIWORD(std::uintptr_t v) { return WORD((v >> 16) & 0xFFFF); }
constexpr LPARAM MAKELPARAM(int lo, int hi) {
  return LPARAM(std::uint32_t((lo & 0xFFFF) | ((hi & 0xFFFF) << 16)));
}
constexpr WPARAM MAKEWPARAM(int lo, int hi) { return WPARAM(std::uint32_t((lo & 0xFFFF) | ((hi & 0xFFFF) << 16))); }
constexpr LRESULT MAKELRESULT(int lo, int hi) { return LRESULT(MAKELPARAM(lo, hi)); }
// Coordinates in LPARAM are signed 16-bit values.
constexpr int GET_X_LPARAM(LPARAM l) { return std::int16_t(l & 0xFFFF); }
constexpr int GET_Y_LPARAM(LPARAM l) { return std::int16_t((l >> 16) & 0xFFFF); }
constexpr int GET_WHEEL_DELTA_WPARAM(WPARAM w) { return std::int16_t(HIWORD(w)); }

struct MSG {
  HWND hwnd = nullptr;
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  DWORD time = 0;
  POINT pt;
  DWORD lPrivate = 0;  // key-down messages: the text the key produced (see TranslateMessage)
};

struct WNDCLASSW {
  UINT style = 0;
  WNDPROC lpfnWndProc = nullptr;
  int cbClsExtra = 0;
  int cbWndExtra = 0;
  HCURSOR hCursor = nullptr;
  HBRUSH hbrBackground = nullptr;
  const char16_t* lpszClassName = nullptr;
};

struct CREATESTRUCTW {
  void* lpCreateParams = nullptr;
  HMENU hMenu = 0;
  HWND hwndParent = nullptr;
  int cy = 0, cx = 0, y = 0, x = 0;
  LONG style = 0;
  const char16_t* lpszName = nullptr;
  const char16_t* lpszClass = nullptr;
  DWORD dwExStyle = 0;
};

struct WINDOWPOS {
  HWND hwnd = nullptr;
  HWND hwndInsertAfter = nullptr;
  int x = 0, y = 0, cx = 0, cy = 0;
  UINT flags = 0;
};

struct NCCALCSIZE_PARAMS {
  RECT rgrc[3];
  WINDOWPOS* lppos = nullptr;
};

struct MINMAXINFO {
  POINT ptReserved;
  POINT ptMaxSize;
  POINT ptMaxPosition;
  POINT ptMinTrackSize;
  POINT ptMaxTrackSize;
};

struct PAINTSTRUCT {
  HDC hdc = nullptr;
  BOOL fErase = FALSE;
  RECT rcPaint;
  BOOL fRestore = FALSE, fIncUpdate = FALSE;
};

struct TRACKMOUSEEVENT {
  DWORD cbSize = sizeof(TRACKMOUSEEVENT);
  DWORD dwFlags = 0;
  HWND hwndTrack = nullptr;
  DWORD dwHoverTime = 0;
};

struct MONITORINFO {
  DWORD cbSize = sizeof(MONITORINFO);
  RECT rcMonitor;
  RECT rcWork;
  DWORD dwFlags = 0;
};

using gdi::BLENDFUNCTION;

// CreateIconIndirect / GetIconInfo. hbmColor: a 32-bit colour bitmap whose
// alpha byte, when any pixel has one other than 0, is the icon's per-pixel
// (straight) alpha; otherwise the AND mask says which pixels show. hbmMask:
// the 1-bit AND mask (1 = transparent); without a colour bitmap it is twice as
// tall, AND mask above XOR mask (a monochrome icon or cursor).
struct ICONINFO {
  BOOL fIcon = TRUE;  // FALSE: a cursor, the hot spot counts
  DWORD xHotspot = 0, yHotspot = 0;
  gdi::HBITMAP hbmMask = nullptr;
  gdi::HBITMAP hbmColor = nullptr;
};
// DrawIconEx
constexpr UINT DI_MASK = 0x1, DI_IMAGE = 0x2, DI_NORMAL = 0x3, DI_COMPAT = 0x4, DI_DEFAULTSIZE = 0x8,
               DI_NOMIRROR = 0x10;
// WM_SETICON / WM_GETICON wParam
constexpr WPARAM ICON_SMALL = 0, ICON_BIG = 1, ICON_SMALL2 = 2;

struct SCROLLINFO {
  UINT cbSize = sizeof(SCROLLINFO);
  UINT fMask = 0;
  int nMin = 0, nMax = 0;
  UINT nPage = 0;
  int nPos = 0, nTrackPos = 0;
};
constexpr int SB_HORZ = 0, SB_VERT = 1, SB_CTL = 2, SB_BOTH = 3;
constexpr UINT SIF_RANGE = 0x1, SIF_PAGE = 0x2, SIF_POS = 0x4, SIF_DISABLENOSCROLL = 0x8, SIF_TRACKPOS = 0x10,
               SIF_ALL = 0x17;
// WM_HSCROLL / WM_VSCROLL requests
constexpr WORD SB_LINEUP = 0, SB_LINELEFT = 0, SB_LINEDOWN = 1, SB_LINERIGHT = 1, SB_PAGEUP = 2, SB_PAGELEFT = 2,
               SB_PAGEDOWN = 3, SB_PAGERIGHT = 3, SB_THUMBPOSITION = 4, SB_THUMBTRACK = 5, SB_TOP = 6, SB_LEFT = 6,
               SB_BOTTOM = 7, SB_RIGHT = 7, SB_ENDSCROLL = 8;

// ---- Messages -------------------------------------------------------------
constexpr UINT WM_NULL = 0x0000, WM_CREATE = 0x0001, WM_DESTROY = 0x0002, WM_MOVE = 0x0003, WM_SIZE = 0x0005,
               WM_ACTIVATE = 0x0006, WM_SETFOCUS = 0x0007, WM_KILLFOCUS = 0x0008, WM_ENABLE = 0x000A,
               WM_SETREDRAW = 0x000B, WM_SETTEXT = 0x000C, WM_GETTEXT = 0x000D, WM_GETTEXTLENGTH = 0x000E,
               WM_PAINT = 0x000F, WM_CLOSE = 0x0010, WM_QUIT = 0x0012, WM_ERASEBKGND = 0x0014,
               WM_SYSCOLORCHANGE = 0x0015, WM_SHOWWINDOW = 0x0018, WM_ACTIVATEAPP = 0x001C,
               WM_CANCELMODE = 0x001F, WM_SETCURSOR = 0x0020, WM_MOUSEACTIVATE = 0x0021,
               WM_GETMINMAXINFO = 0x0024, WM_WINDOWPOSCHANGING = 0x0046, WM_WINDOWPOSCHANGED = 0x0047,
               WM_NCCREATE = 0x0081, WM_NCDESTROY = 0x0082, WM_NCCALCSIZE = 0x0083, WM_NCHITTEST = 0x0084,
               WM_NCPAINT = 0x0085, WM_NCACTIVATE = 0x0086, WM_GETDLGCODE = 0x0087, WM_SYNCPAINT = 0x0088,
               WM_NCMOUSEMOVE = 0x00A0, WM_NCLBUTTONDOWN = 0x00A1, WM_NCLBUTTONUP = 0x00A2,
               WM_NCLBUTTONDBLCLK = 0x00A3, WM_NCRBUTTONDOWN = 0x00A4, WM_NCRBUTTONUP = 0x00A5,
               WM_NCRBUTTONDBLCLK = 0x00A6, WM_NCMBUTTONDOWN = 0x00A7, WM_NCMBUTTONUP = 0x00A8,
               WM_NCMBUTTONDBLCLK = 0x00A9, WM_KEYDOWN = 0x0100, WM_KEYUP = 0x0101, WM_CHAR = 0x0102,
               WM_DEADCHAR = 0x0103, WM_SYSKEYDOWN = 0x0104, WM_SYSKEYUP = 0x0105, WM_SYSCHAR = 0x0106,
               WM_COMMAND = 0x0111, WM_SYSCOMMAND = 0x0112, WM_TIMER = 0x0113, WM_HSCROLL = 0x0114,
               WM_VSCROLL = 0x0115, WM_INITMENUPOPUP = 0x0117, WM_MOUSEMOVE = 0x0200, WM_LBUTTONDOWN = 0x0201,
               WM_LBUTTONUP = 0x0202, WM_LBUTTONDBLCLK = 0x0203, WM_RBUTTONDOWN = 0x0204,
               WM_RBUTTONUP = 0x0205, WM_RBUTTONDBLCLK = 0x0206, WM_MBUTTONDOWN = 0x0207,
               WM_MBUTTONUP = 0x0208, WM_MBUTTONDBLCLK = 0x0209, WM_MOUSEWHEEL = 0x020A,
               WM_PARENTNOTIFY = 0x0210, WM_ENTERMENULOOP = 0x0211, WM_EXITMENULOOP = 0x0212,
               WM_SIZING = 0x0214, WM_CAPTURECHANGED = 0x0215, WM_MOVING = 0x0216,
               WM_ENTERSIZEMOVE = 0x0231, WM_EXITSIZEMOVE = 0x0232, WM_IME_CHAR = 0x0286,
               WM_NCMOUSELEAVE = 0x02A2, WM_MOUSELEAVE = 0x02A3, WM_CUT = 0x0300, WM_COPY = 0x0301,
               WM_PASTE = 0x0302, WM_CLEAR = 0x0303, WM_UNDO = 0x0304, WM_DISPLAYCHANGE = 0x007E,
               WM_GETICON = 0x007F, WM_SETICON = 0x0080, WM_CONTEXTMENU = 0x007B, WM_USER = 0x0400,
               WM_APP = 0x8000;
constexpr UINT WM_MOUSEFIRST = WM_MOUSEMOVE, WM_MOUSELAST = WM_MOUSEWHEEL;
constexpr UINT WM_KEYFIRST = WM_KEYDOWN, WM_KEYLAST = 0x0109;

// WM_ACTIVATE
constexpr WORD WA_INACTIVE = 0, WA_ACTIVE = 1, WA_CLICKACTIVE = 2;
// WM_MOUSEACTIVATE results
constexpr LRESULT MA_ACTIVATE = 1, MA_ACTIVATEANDEAT = 2, MA_NOACTIVATE = 3, MA_NOACTIVATEANDEAT = 4;
// WM_SIZE
constexpr WPARAM SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2;
// WM_SIZING edges
constexpr WPARAM WMSZ_LEFT = 1, WMSZ_RIGHT = 2, WMSZ_TOP = 3, WMSZ_TOPLEFT = 4, WMSZ_TOPRIGHT = 5,
                 WMSZ_BOTTOM = 6, WMSZ_BOTTOMLEFT = 7, WMSZ_BOTTOMRIGHT = 8;
// Mouse key state in wParam
constexpr WPARAM MK_LBUTTON = 0x1, MK_RBUTTON = 0x2, MK_SHIFT = 0x4, MK_CONTROL = 0x8, MK_MBUTTON = 0x10;
constexpr int WHEEL_DELTA = 120;

// WM_NCHITTEST results
constexpr LRESULT HTERROR = -2, HTTRANSPARENT = -1, HTNOWHERE = 0, HTCLIENT = 1, HTCAPTION = 2,
                  HTSYSMENU = 3, HTGROWBOX = 4, HTMENU = 5, HTHSCROLL = 6, HTVSCROLL = 7, HTMINBUTTON = 8,
                  HTMAXBUTTON = 9, HTLEFT = 10, HTRIGHT = 11, HTTOP = 12, HTTOPLEFT = 13, HTTOPRIGHT = 14,
                  HTBOTTOM = 15, HTBOTTOMLEFT = 16, HTBOTTOMRIGHT = 17, HTBORDER = 18, HTCLOSE = 20,
                  HTHELP = 21;

// WM_SYSCOMMAND
constexpr WPARAM SC_SIZE = 0xF000, SC_MOVE = 0xF010, SC_MINIMIZE = 0xF020, SC_MAXIMIZE = 0xF030,
                 SC_CLOSE = 0xF060, SC_KEYMENU = 0xF100, SC_RESTORE = 0xF120;

// ---- Class and window styles ----------------------------------------------
constexpr UINT CS_VREDRAW = 0x0001, CS_HREDRAW = 0x0002, CS_DBLCLKS = 0x0008, CS_OWNDC = 0x0020,
               CS_PARENTDC = 0x0080, CS_NOCLOSE = 0x0200, CS_SAVEBITS = 0x0800, CS_DROPSHADOW = 0x00020000;

constexpr DWORD WS_OVERLAPPED = 0x00000000, WS_POPUP = 0x80000000, WS_CHILD = 0x40000000,
                WS_MINIMIZE = 0x20000000, WS_VISIBLE = 0x10000000, WS_DISABLED = 0x08000000,
                WS_CLIPSIBLINGS = 0x04000000, WS_CLIPCHILDREN = 0x02000000, WS_MAXIMIZE = 0x01000000,
                WS_CAPTION = 0x00C00000, WS_BORDER = 0x00800000, WS_DLGFRAME = 0x00400000,
                WS_VSCROLL = 0x00200000, WS_HSCROLL = 0x00100000, WS_SYSMENU = 0x00080000,
                WS_THICKFRAME = 0x00040000, WS_GROUP = 0x00020000, WS_TABSTOP = 0x00010000,
                WS_MINIMIZEBOX = 0x00020000, WS_MAXIMIZEBOX = 0x00010000,
                WS_OVERLAPPEDWINDOW = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME |
                                      WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

constexpr DWORD WS_EX_DLGMODALFRAME = 0x00000001, WS_EX_NOPARENTNOTIFY = 0x00000004, WS_EX_TOPMOST = 0x00000008,
                WS_EX_TRANSPARENT = 0x00000020, WS_EX_TOOLWINDOW = 0x00000080, WS_EX_WINDOWEDGE = 0x00000100,
                WS_EX_CLIENTEDGE = 0x00000200, WS_EX_APPWINDOW = 0x00040000, WS_EX_LAYERED = 0x00080000,
                WS_EX_NOACTIVATE = 0x08000000;
// Our own: the window is a real native child window that foreign code (the
// video player) draws into; its native id is given by GetNativeWindowId.
constexpr DWORD WS_EX_FOREIGNVIDEO = 0x00000800;

constexpr int CW_USEDEFAULT = int(0x80000000);

// GetWindowLongPtr / SetWindowLongPtr
constexpr int GWL_WNDPROC = -4, GWL_ID = -12, GWL_STYLE = -16, GWL_EXSTYLE = -20, GWL_USERDATA = -21;
constexpr int GWLP_WNDPROC = GWL_WNDPROC, GWLP_ID = GWL_ID, GWLP_USERDATA = GWL_USERDATA;
constexpr int GCL_STYLE = -26, GCLP_HCURSOR = -12, GCLP_HBRBACKGROUND = -10;

// GetWindow
constexpr UINT GW_HWNDFIRST = 0, GW_HWNDLAST = 1, GW_HWNDNEXT = 2, GW_HWNDPREV = 3, GW_OWNER = 4, GW_CHILD = 5;
// GetAncestor
constexpr UINT GA_PARENT = 1, GA_ROOT = 2, GA_ROOTOWNER = 3;

// SetWindowPos
inline const HWND HWND_TOP = reinterpret_cast<HWND>(0);
inline const HWND HWND_BOTTOM = reinterpret_cast<HWND>(1);
inline const HWND HWND_TOPMOST = reinterpret_cast<HWND>(-1);
inline const HWND HWND_NOTOPMOST = reinterpret_cast<HWND>(-2);
inline const HWND HWND_MESSAGE = reinterpret_cast<HWND>(-3);
constexpr UINT SWP_NOSIZE = 0x0001, SWP_NOMOVE = 0x0002, SWP_NOZORDER = 0x0004, SWP_NOREDRAW = 0x0008,
               SWP_NOACTIVATE = 0x0010, SWP_FRAMECHANGED = 0x0020, SWP_SHOWWINDOW = 0x0040,
               SWP_HIDEWINDOW = 0x0080, SWP_NOCOPYBITS = 0x0100, SWP_NOOWNERZORDER = 0x0200,
               SWP_NOSENDCHANGING = 0x0400;

// ShowWindow
constexpr int SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_NORMAL = 1, SW_SHOWMINIMIZED = 2, SW_SHOWMAXIMIZED = 3,
              SW_MAXIMIZE = 3, SW_SHOWNOACTIVATE = 4, SW_SHOW = 5, SW_MINIMIZE = 6, SW_SHOWMINNOACTIVE = 7,
              SW_SHOWNA = 8, SW_RESTORE = 9, SW_SHOWDEFAULT = 10;

// RedrawWindow
constexpr UINT RDW_INVALIDATE = 0x0001, RDW_INTERNALPAINT = 0x0002, RDW_ERASE = 0x0004, RDW_VALIDATE = 0x0008,
               RDW_NOINTERNALPAINT = 0x0010, RDW_NOERASE = 0x0020, RDW_NOCHILDREN = 0x0040,
               RDW_ALLCHILDREN = 0x0080, RDW_UPDATENOW = 0x0100, RDW_ERASENOW = 0x0200, RDW_FRAME = 0x0400,
               RDW_NOFRAME = 0x0800;

// GetDCEx
constexpr DWORD DCX_WINDOW = 0x1, DCX_CACHE = 0x2, DCX_PARENTCLIP = 0x20, DCX_CLIPSIBLINGS = 0x10,
                DCX_CLIPCHILDREN = 0x8, DCX_EXCLUDERGN = 0x40, DCX_INTERSECTRGN = 0x80;

// PeekMessage
constexpr UINT PM_NOREMOVE = 0x0000, PM_REMOVE = 0x0001, PM_NOYIELD = 0x0002;

// TrackMouseEvent
constexpr DWORD TME_HOVER = 0x1, TME_LEAVE = 0x2, TME_NONCLIENT = 0x10, TME_QUERY = 0x40000000,
                TME_CANCEL = 0x80000000;

// SetLayeredWindowAttributes / UpdateLayeredWindow
constexpr DWORD LWA_COLORKEY = 0x1, LWA_ALPHA = 0x2, ULW_COLORKEY = 0x1, ULW_ALPHA = 0x2, ULW_OPAQUE = 0x4;

// Standard cursors (the numeric IDC_ values, passed to LoadCursor).
constexpr std::uintptr_t IDC_ARROW = 32512, IDC_IBEAM = 32513, IDC_WAIT = 32514, IDC_CROSS = 32515,
                         IDC_UPARROW = 32516, IDC_SIZENWSE = 32642, IDC_SIZENESW = 32643, IDC_SIZEWE = 32644,
                         IDC_SIZENS = 32645, IDC_SIZEALL = 32646, IDC_NO = 32648, IDC_HAND = 32649,
                         IDC_APPSTARTING = 32650, IDC_HELP = 32651;
// The framework's own cursors (drag and drop, splitters), not Windows numbers:
// LoadCursor(nullptr, IDC_DRAG) etc. give them like the system ones.
constexpr std::uintptr_t IDC_DRAG = 32760, IDC_MULTIDRAG = 32761, IDC_NODROP = 32762, IDC_HSPLIT = 32763,
                         IDC_VSPLIT = 32764;

// System metrics
constexpr int SM_CXSCREEN = 0, SM_CYSCREEN = 1, SM_CXVSCROLL = 2, SM_CYHSCROLL = 3, SM_CYCAPTION = 4,
              SM_CXBORDER = 5, SM_CYBORDER = 6, SM_CXDLGFRAME = 7, SM_CYDLGFRAME = 8, SM_CXICON = 11,
              SM_CYICON = 12, SM_CXCURSOR = 13, SM_CYCURSOR = 14, SM_CYMENU = 15, SM_CXFULLSCREEN = 16,
              SM_CYFULLSCREEN = 17, SM_CXMIN = 28, SM_CYMIN = 29, SM_CXSIZE = 30, SM_CYSIZE = 31,
              SM_CXFRAME = 32, SM_CYFRAME = 33, SM_CXMINTRACK = 34, SM_CYMINTRACK = 35,
              SM_CXDOUBLECLK = 36, SM_CYDOUBLECLK = 37, SM_CXSMICON = 49, SM_CYSMICON = 50,
              SM_CXDRAG = 68, SM_CYDRAG = 69, SM_CXMAXTRACK = 59, SM_CYMAXTRACK = 60, SM_CMONITORS = 80,
              SM_CXVIRTUALSCREEN = 78, SM_CYVIRTUALSCREEN = 79;

// SystemParametersInfo
constexpr UINT SPI_GETWORKAREA = 0x0030, SPI_GETDRAGFULLWINDOWS = 0x0026;

// Monitors
constexpr DWORD MONITOR_DEFAULTTONULL = 0, MONITOR_DEFAULTTOPRIMARY = 1, MONITOR_DEFAULTTONEAREST = 2;
constexpr DWORD MONITORINFOF_PRIMARY = 1;

// Clipboard
constexpr UINT CF_TEXT = 1, CF_UNICODETEXT = 13;

// MessageBeep
constexpr UINT MB_OK = 0, MB_ICONHAND = 0x10, MB_ICONQUESTION = 0x20, MB_ICONEXCLAMATION = 0x30,
               MB_ICONASTERISK = 0x40;

// WM_GETDLGCODE
constexpr LRESULT DLGC_WANTARROWS = 0x1, DLGC_WANTTAB = 0x2, DLGC_WANTALLKEYS = 0x4, DLGC_WANTCHARS = 0x80;

// ---- Virtual keys -----------------------------------------------------------
constexpr int VK_LBUTTON = 0x01, VK_RBUTTON = 0x02, VK_CANCEL = 0x03, VK_MBUTTON = 0x04, VK_BACK = 0x08,
              VK_TAB = 0x09, VK_CLEAR = 0x0C, VK_RETURN = 0x0D, VK_SHIFT = 0x10, VK_CONTROL = 0x11,
              VK_MENU = 0x12, VK_PAUSE = 0x13, VK_CAPITAL = 0x14, VK_ESCAPE = 0x1B, VK_SPACE = 0x20,
              VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23, VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26,
              VK_RIGHT = 0x27, VK_DOWN = 0x28, VK_SELECT = 0x29, VK_PRINT = 0x2A, VK_SNAPSHOT = 0x2C,
              VK_INSERT = 0x2D, VK_DELETE = 0x2E, VK_HELP = 0x2F, VK_LWIN = 0x5B, VK_RWIN = 0x5C,
              VK_APPS = 0x5D, VK_NUMPAD0 = 0x60, VK_MULTIPLY = 0x6A, VK_ADD = 0x6B, VK_SEPARATOR = 0x6C,
              VK_SUBTRACT = 0x6D, VK_DECIMAL = 0x6E, VK_DIVIDE = 0x6F, VK_F1 = 0x70, VK_F2 = 0x71,
              VK_F3 = 0x72, VK_F4 = 0x73, VK_F5 = 0x74, VK_F6 = 0x75, VK_F7 = 0x76, VK_F8 = 0x77,
              VK_F9 = 0x78, VK_F10 = 0x79, VK_F11 = 0x7A, VK_F12 = 0x7B, VK_NUMLOCK = 0x90, VK_SCROLL = 0x91,
              VK_LSHIFT = 0xA0, VK_RSHIFT = 0xA1, VK_LCONTROL = 0xA2, VK_RCONTROL = 0xA3, VK_LMENU = 0xA4,
              VK_RMENU = 0xA5, VK_OEM_1 = 0xBA, VK_OEM_PLUS = 0xBB, VK_OEM_COMMA = 0xBC, VK_OEM_MINUS = 0xBD,
              VK_OEM_PERIOD = 0xBE, VK_OEM_2 = 0xBF, VK_OEM_3 = 0xC0, VK_OEM_4 = 0xDB, VK_OEM_5 = 0xDC,
              VK_OEM_6 = 0xDD, VK_OEM_7 = 0xDE;

}  // namespace win
