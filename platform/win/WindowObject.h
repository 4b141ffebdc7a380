// Internal: the objects behind window handles, the per-thread message queues
// and the global state the window-system files share. Not for use outside
// platform/win.
//
// Threads: the handle table, the class table, the list of top-level windows
// and the queue table are guarded by TreeLock(). Everything else about a
// window (children, geometry, update region, procedure) belongs to the thread
// that created it and is touched only there. Window procedures are always
// called without any lock held.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/gdi/Region.h"
#include "platform/gdi/Surface.h"
#include "platform/win/Backend.h"
#include "platform/win/WinApi.h"

namespace win::detail {

struct WndClass {
  WNDCLASSW wc;
  std::u16string name;
  ATOM atom = 0;
  std::vector<LONG_PTR> extra;
};

struct Window;

// What a top-level window owns for composition and for its back end.
struct TopLevelData {
  std::unique_ptr<gdi::Surface> backBuffer;
  gdi::Region dirty;           // back-buffer area not yet uploaded
  NativeWindow native = 0;     // back end's id
  BYTE alpha = 255;            // SetLayeredWindowAttributes
  COLORREF colorKey = 0;
  DWORD layeredFlags = 0;
  int uploads = 0;             // frames given to the back end (tests count them)
};

struct Window {
  HWND handle = nullptr;
  DWORD thread = 0;
  std::shared_ptr<WndClass> cls;
  WNDPROC proc = nullptr;
  DWORD style = 0, exStyle = 0;
  LONG_PTR id = 0, userData = 0;
  std::vector<LONG_PTR> extra;

  Window* parent = nullptr;  // nullptr: top-level
  HWND owner = nullptr;
  bool messageOnly = false;
  std::vector<std::shared_ptr<Window>> children;  // z-order, topmost first

  RECT rect;    // window rectangle: parent's client coordinates (top-level: screen)
  RECT client;  // client rectangle in window coordinates
  bool minimized = false, maximized = false;
  RECT restoreRect;
  std::u16string text;

  // Painting (client coordinates for the update region).
  gdi::Region update;
  bool erasePending = false;
  bool ncPaintPending = false;
  bool internalPaint = false;
  bool inPaint = false;
  bool paintCounted = false;  // counted in the owner queue's pendingPaint
  bool redrawOff = false;  // WM_SETREDRAW FALSE
  std::optional<gdi::Region> windowRgn;  // window coordinates
  HRGN windowRgnHandle = nullptr;        // owned from SetWindowRgn until replaced or destroyed

  SCROLLINFO scroll[2];  // SB_HORZ, SB_VERT

  // Mouse tracking.
  DWORD trackFlags = 0;

  HICON iconBig = nullptr, iconSmall = nullptr;  // WM_SETICON; not owned

  std::unique_ptr<TopLevelData> top;
  NativeWindow foreign = 0;  // WS_EX_FOREIGNVIDEO: the back end's child window

  bool created = false;     // WM_CREATE answered
  bool destroying = false;  // DestroyWindow under way
  // WM_NCDESTROY sent; handle dead. Read by any thread (IsWindow, PostMessage,
  // SendMessage) while the owner thread destroys the window.
  std::atomic<bool> destroyed{false};

  bool IsVisibleSelf() const { return (style & WS_VISIBLE) != 0; }
};

struct SentMessage {
  HWND hwnd = nullptr;
  UINT msg = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  LRESULT result = 0;
  std::atomic<bool> done{false};
  std::shared_ptr<struct ThreadQueue> sender;
};

struct Timer {
  HWND hwnd = nullptr;
  std::uintptr_t id = 0;
  UINT interval = 0;
  std::uint64_t due = 0;
  TIMERPROC proc = nullptr;
};

// A raw input event as the back end delivered it, routed when it is retrieved
// (so hit tests see the window tree as earlier messages left it).
constexpr std::uint32_t kAltHeld = 0x10000;

struct InputEvent {
  enum Kind { MouseMove, ButtonDown, ButtonUp, Wheel, KeyDown, KeyUp, Char } kind = MouseMove;
  POINT screen;
  int button = 0;  // 0 left, 1 right, 2 middle
  int wheel = 0;
  int vk = 0;
  std::u16string text;
  DWORD time = 0;
  std::uint32_t mods = 0;  // keys and buttons held when it happened (MK_* bits, plus kAlt)
  bool routed = false;
  MSG msg;  // valid when routed
};

// A device context handed out for a window (GetDC, BeginPaint).
struct LiveDC {
  HDC dc;
  HWND hwnd;
  bool window;
  RECT box;  // what it may draw into, top-level coordinates
  bool pixels = true;  // false: a window without a back buffer got a DC that draws nowhere
};

struct ThreadQueue {
  explicit ThreadQueue(DWORD tid);
  ~ThreadQueue();
  ThreadQueue(const ThreadQueue&) = delete;
  ThreadQueue& operator=(const ThreadQueue&) = delete;

  void Wake();
  // Sleeps until woken, a descriptor of the back end is readable, or the
  // timeout (milliseconds, -1 = none) passes.
  void Wait(int timeoutMs, int extraFd);

  const DWORD threadId;
  int wakeFd = -1;

  std::mutex m;  // guards posted, input, sent, quit
  std::deque<MSG> posted;
  std::deque<InputEvent> input;
  std::deque<std::shared_ptr<SentMessage>> sent;
  bool quit = false;
  int quitCode = 0;
  bool closed = false;  // the thread has ended: nothing more is accepted

  // Owner thread only.
  std::vector<Timer> timers;
  std::vector<LiveDC> dcs;
  int pendingPaint = 0;  // windows of this thread with something to paint
  std::map<DWORD, std::u16string> keyText;
  DWORD nextKeyText = 1;
  BYTE keyState[256] = {};
  int sendDepth = 0;
  MSG lastMsg;
  std::uint64_t lastFlush = 0;
};

// What an icon or cursor handle stands for. Immutable once made.
struct IconData {
  int width = 0, height = 0;
  bool icon = true;
  POINT hotSpot;
  std::vector<std::uint32_t> color;     // straight ARGB; empty for a monochrome icon
  bool alpha = false;                   // `color` carries alpha
  std::vector<std::uint8_t> andMask;    // 1 = transparent (or inverted with xorMask set)
  std::vector<std::uint8_t> xorMask;    // monochrome only: 1 = white
  std::vector<std::uint32_t> Shown() const;  // straight ARGB as it shows on a display
  IconImage Image() const;
};
std::shared_ptr<const IconData> FindIcon(HICON h);  // nullptr: not a live icon object
void SendIconsToDisplay(Window* top);

// ---- Global state ------------------------------------------------------------
std::recursive_mutex& TreeLock();

std::shared_ptr<Window> Find(HWND h);        // live windows only (locks)
std::shared_ptr<Window> FindAny(HWND h);     // also windows being destroyed
Window* Get(HWND h);                          // owner-thread shortcut: live window or nullptr
std::vector<std::shared_ptr<Window>> TopLevels();  // snapshot, z-order topmost first
std::vector<std::shared_ptr<Window>>& TopLevelsLocked();  // caller holds TreeLock

ThreadQueue& CurrentQueue();
std::shared_ptr<ThreadQueue> CurrentQueuePtr();
std::shared_ptr<ThreadQueue> QueueOf(DWORD tid);
DWORD CurrentThread();
bool IsGuiThread();
DWORD GuiThread();
void RegisterHandle(const std::shared_ptr<Window>& w);
void UnregisterHandle(HWND h);
void WakeAllQueues();
void RunSynchronize();  // the runtime library's synchronised methods, on the main thread
void ProcessSent(ThreadQueue& q);

Backend& TheBackend();
std::uint64_t NowMs();

// ---- Shared helpers between the window-system files -----------------------------
LRESULT CallProc(Window* w, UINT msg, WPARAM wParam, LPARAM lParam);  // same-thread dispatch
Window* TopLevelOf(Window* w);
bool IsReallyVisible(const Window* w);       // visible up the chain
bool IsReallyEnabled(const Window* w);
POINT WindowOriginInTop(const Window* w);    // window rectangle's top-left in top-level window coords
POINT ClientOriginInTop(const Window* w);
POINT ClientOriginOnScreen(const Window* w);
RECT WindowRectOnScreen(const Window* w);
void RecalcClient(Window* w, bool sendNcCalc);

// Painting
void AddPaintPending(Window* w);
void RemovePaintPending(Window* w);
bool NeedsPaint(const Window* w);
Window* FindWindowToPaint(ThreadQueue& q);
void InvalidateInternal(Window* w, const gdi::Region* clientRgn, UINT flags);
void InvalidateScreenArea(Window* parent, const RECT& rectInParentClient);
void FlushTopLevels(ThreadQueue& q);
void MarkDirty(Window* top, const RECT& rectInTop);
void EnsureBackBuffer(Window* top);
void ReleaseWindowDCs(Window* w);
void ReleaseWindowRegion(Window* w);

// Input
bool RouteInput(InputEvent& ev, MSG& out);   // false: event swallowed
void OnWindowDestroyed(Window* w);          // clears focus, capture, active, tracking
void OnWindowHidden(Window* w);             // moves focus and activation away
void ActivateInternal(HWND h, WORD how);
void DestroyNative(NativeWindow n);           // the back end's window goes; the display's focus record with it
void ResetInputState();                     // a fresh window system    // h nullptr: the application loses activation
void CaretHideForPaint(HWND h, bool hide);
void PumpBackend(int timeoutMs);

// Timers
void KillTimersOf(HWND h);
bool NextTimerMessage(ThreadQueue& q, HWND filter, MSG& out, bool remove);
int MsUntilNextTimer(ThreadQueue& q);

// Window management
// Menus, hints, drop-downs and layer windows: tool or no-activate windows, or
// caption-less popups of an owner. Unmanaged on a display, never activated
// when activation passes on.
bool IsUnmanagedPopup(const Window* w);
void SendSizeMove(Window* w);
void RaiseInternal(Window* w);  // top of its band, no messages
BOOL SetWindowPosInternal(Window* w, HWND after, int x, int y, int cx, int cy, UINT flags);
void StartMoveSizeLoop(Window* w, WPARAM command, POINT start);
gdi::Region VisibleRegion(Window* w, bool client, bool clipChildren);  // top-level coordinates

}  // namespace win::detail
