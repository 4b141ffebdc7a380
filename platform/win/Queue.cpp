// Message queues: sending, posting, retrieval, dispatch, timers.
//
// Retrieval order follows Windows: messages sent from other threads are
// answered first (never returned), then posted messages, then input, then
// WM_QUIT, then WM_PAINT for a window with something to paint, then WM_TIMER
// for a due timer. WM_PAINT and WM_TIMER are made when asked for, so a
// validated window or a killed timer leaves nothing stale behind.
#include <algorithm>
#include <atomic>
#include <cctype>
#include <unordered_map>

#include "platform/win/WindowObject.h"

namespace win::detail {

void ProcessSent(ThreadQueue& q) {
  for (;;) {
    std::shared_ptr<SentMessage> s;
    {
      std::lock_guard lock(q.m);
      if (q.sent.empty()) return;
      s = q.sent.front();
      q.sent.pop_front();
    }
    LRESULT r = 0;
    if (auto w = Find(s->hwnd)) {
      ++q.sendDepth;
      r = CallProc(w.get(), s->msg, s->wParam, s->lParam);
      --q.sendDepth;
    }
    s->result = r;
    s->done = true;
    if (s->sender) s->sender->Wake();
  }
}

LRESULT CallProc(Window* w, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!w || w->destroyed) return 0;
  auto keep = FindAny(w->handle);  // alive for the whole call, even if destroyed inside
  if (!keep) return 0;
  WNDPROC proc = w->proc;
  if (!proc) return DefWindowProcW(w->handle, msg, wParam, lParam);
  return proc(w->handle, msg, wParam, lParam);
}

namespace {

bool InRange(UINT msg, UINT lo, UINT hi) {
  if (lo == 0 && hi == 0) return true;
  if (lo > hi) return msg >= lo || msg <= hi;  // Windows: an inverted range excludes the middle
  return msg >= lo && msg <= hi;
}

bool MatchesWindow(HWND target, HWND filter) {
  if (!filter) return true;
  if (filter == reinterpret_cast<HWND>(-1)) return target == nullptr;
  return target == filter || IsChild(filter, target);
}

bool InputRangeWanted(UINT lo, UINT hi) {
  if (lo == 0 && hi == 0) return true;
  for (UINT m : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_MOUSEWHEEL, WM_KEYDOWN, WM_CHAR, WM_NCMOUSEMOVE,
                 WM_NCLBUTTONDOWN})
    if (InRange(m, lo, hi)) return true;
  return false;
}

void UpdateKeyState(ThreadQueue& q, const MSG& m) {
  auto set = [&](int vk, bool down) {
    BYTE& s = q.keyState[vk & 0xFF];
    if (down) {
      if (!(s & 0x80)) s ^= 0x01;  // toggle on each fresh press
      s |= 0x80;
    } else {
      s &= BYTE(~0x80);
    }
  };
  switch (m.message) {
    case WM_KEYDOWN: case WM_SYSKEYDOWN: set(int(m.wParam), true); break;
    case WM_KEYUP: case WM_SYSKEYUP: set(int(m.wParam), false); break;
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: case WM_NCLBUTTONDOWN: case WM_NCLBUTTONDBLCLK:
      set(VK_LBUTTON, true); break;
    case WM_LBUTTONUP: case WM_NCLBUTTONUP: set(VK_LBUTTON, false); break;
    case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK: case WM_NCRBUTTONDOWN: case WM_NCRBUTTONDBLCLK:
      set(VK_RBUTTON, true); break;
    case WM_RBUTTONUP: case WM_NCRBUTTONUP: set(VK_RBUTTON, false); break;
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: set(VK_MBUTTON, true); break;
    case WM_MBUTTONUP: set(VK_MBUTTON, false); break;
    default: break;
  }
  if (m.message == WM_KEYDOWN || m.message == WM_KEYUP || m.message == WM_SYSKEYDOWN ||
      m.message == WM_SYSKEYUP) {
    int vk = int(m.wParam);
    bool down = m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN;
    if (vk == VK_LSHIFT || vk == VK_RSHIFT) set(VK_SHIFT, down);
    if (vk == VK_LCONTROL || vk == VK_RCONTROL) set(VK_CONTROL, down);
    if (vk == VK_LMENU || vk == VK_RMENU) set(VK_MENU, down);
  }
}

// One pass over the sources. Returns true with `out` filled when a message is
// available; `remove` takes it out of the queue.
bool TryRetrieve(ThreadQueue& q, MSG& out, HWND filter, UINT lo, UINT hi, bool remove) {
  ProcessSent(q);
  RunSynchronize();
  if (IsGuiThread()) TheBackend().ProcessEvents();
  ProcessSent(q);

  {
    std::lock_guard lock(q.m);
    for (auto it = q.posted.begin(); it != q.posted.end(); ++it) {
      if (!InRange(it->message, lo, hi) || !MatchesWindow(it->hwnd, filter)) continue;
      out = *it;
      if (remove) q.posted.erase(it);
      return true;
    }
  }

  if (InputRangeWanted(lo, hi)) {
    for (;;) {
      InputEvent ev;
      {
        std::lock_guard lock(q.m);
        if (q.input.empty()) break;
        ev = std::move(q.input.front());
        q.input.pop_front();
      }
      bool keep = ev.routed || RouteInput(ev, ev.msg);
      if (!keep) continue;  // swallowed (e.g. MA_NOACTIVATEANDEAT)
      ev.routed = true;
      bool match = InRange(ev.msg.message, lo, hi) && MatchesWindow(ev.msg.hwnd, filter);
      if (match) {
        out = ev.msg;
        if (remove) {
          UpdateKeyState(q, out);
          return true;
        }
      }
      std::lock_guard lock(q.m);
      q.input.push_front(std::move(ev));
      if (match) return true;
      break;
    }
  }

  {
    std::lock_guard lock(q.m);
    if (q.quit && InRange(WM_QUIT, lo, hi)) {
      out = MSG{nullptr, WM_QUIT, WPARAM(q.quitCode), 0, DWORD(NowMs()), {}, 0};
      if (remove) q.quit = false;
      return true;
    }
  }

  if (q.pendingPaint > 0 && InRange(WM_PAINT, lo, hi)) {
    if (Window* w = FindWindowToPaint(q)) {
      if (MatchesWindow(w->handle, filter)) {
        out = MSG{w->handle, WM_PAINT, 0, 0, DWORD(NowMs()), {}, 0};
        return true;
      }
    }
  }

  if (InRange(WM_TIMER, lo, hi) && NextTimerMessage(q, filter, out, remove)) return true;
  return false;
}

bool Retrieve(MSG* out, HWND filter, UINT lo, UINT hi, UINT flags, bool wait) {
  ThreadQueue& q = CurrentQueue();
  for (;;) {
    MSG m;
    if (TryRetrieve(q, m, filter, lo, hi, (flags & PM_REMOVE) != 0)) {
      // A queue that never runs dry still shows its windows, at most every 16 ms.
      if (std::uint64_t now = NowMs(); now - q.lastFlush >= 16) {
        q.lastFlush = now;
        FlushTopLevels(q);
      }
      q.lastMsg = m;
      if (out) *out = m;
      return true;
    }
    if (!wait) {
      FlushTopLevels(q);
      return false;
    }
    FlushTopLevels(q);
    if (IsGuiThread() && TheBackend().EventsPending()) continue;
    int timeout = MsUntilNextTimer(q);
    q.Wait(timeout, IsGuiThread() ? TheBackend().EventFd() : -1);
  }
}

std::atomic<std::uintptr_t> nextThreadTimerId{0x7FFF};

}  // namespace

bool NextTimerMessage(ThreadQueue& q, HWND filter, MSG& out, bool remove) {
  std::uint64_t now = NowMs();
  Timer* best = nullptr;
  for (auto& t : q.timers)
    if (t.due <= now && MatchesWindow(t.hwnd, filter) && (!best || t.due < best->due)) best = &t;
  if (!best) return false;
  out = MSG{best->hwnd, WM_TIMER, best->id, LPARAM(reinterpret_cast<std::intptr_t>(best->proc)), DWORD(now), {}, 0};
  // Ticks do not pile up: the next one is a full interval after this one is taken.
  if (remove) best->due = now + std::max<UINT>(best->interval, 1);
  return true;
}

int MsUntilNextTimer(ThreadQueue& q) {
  if (q.timers.empty()) return -1;
  std::uint64_t now = NowMs(), next = UINT64_MAX;
  for (auto& t : q.timers) next = std::min(next, t.due);
  if (next <= now) return 0;
  return int(std::min<std::uint64_t>(next - now, 1000000));
}

void KillTimersOf(HWND h) {
  auto& ts = CurrentQueue().timers;
  ts.erase(std::remove_if(ts.begin(), ts.end(), [h](const Timer& t) { return t.hwnd == h; }), ts.end());
}

}  // namespace win::detail

namespace win {

using namespace detail;

LRESULT SendMessageW(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto w = Find(h);
  if (!w) return 0;
  if (w->thread == CurrentThread()) return CallProc(w.get(), msg, wParam, lParam);

  auto target = QueueOf(w->thread);
  if (!target) return 0;
  auto self = CurrentQueuePtr();
  auto s = std::make_shared<SentMessage>();
  s->hwnd = h;
  s->msg = msg;
  s->wParam = wParam;
  s->lParam = lParam;
  s->sender = self;
  {
    std::lock_guard lock(target->m);
    if (target->closed) return 0;
    target->sent.push_back(s);
  }
  target->Wake();
  // While waiting, answer what others send to us, so two threads sending to
  // each other never deadlock; the GUI thread also keeps running the
  // runtime library's synchronised methods.
  while (!s->done) {
    ProcessSent(*self);
    RunSynchronize();
    if (s->done) break;
    self->Wait(50, -1);
  }
  return s->result;
}

BOOL PostMessageW(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<ThreadQueue> q;
  if (!h) {
    q = CurrentQueuePtr();
  } else {
    auto w = Find(h);
    if (!w) return FALSE;
    q = QueueOf(w->thread);
  }
  if (!q) return FALSE;
  {
    std::lock_guard lock(q->m);
    if (q->closed) return FALSE;
    q->posted.push_back(MSG{h, msg, wParam, lParam, DWORD(NowMs()), {}, 0});
  }
  if (q->threadId != CurrentThread()) q->Wake();  // a thread posting to itself is not asleep
  return TRUE;
}

BOOL PostThreadMessageW(DWORD threadId, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto q = QueueOf(threadId);
  if (!q) return FALSE;
  {
    std::lock_guard lock(q->m);
    if (q->closed) return FALSE;
    q->posted.push_back(MSG{nullptr, msg, wParam, lParam, DWORD(NowMs()), {}, 0});
  }
  q->Wake();
  return TRUE;
}

void PostQuitMessage(int exitCode) {
  ThreadQueue& q = CurrentQueue();
  std::lock_guard lock(q.m);
  q.quit = true;
  q.quitCode = exitCode;
}

BOOL GetMessageW(MSG* out, HWND h, UINT lo, UINT hi) {
  if (h && h != reinterpret_cast<HWND>(-1) && !IsWindow(h)) return -1;
  Retrieve(out, h, lo, hi, PM_REMOVE, true);
  return out && out->message == WM_QUIT ? FALSE : TRUE;
}

BOOL PeekMessageW(MSG* out, HWND h, UINT lo, UINT hi, UINT flags) {
  return Retrieve(out, h, lo, hi, flags, false) ? TRUE : FALSE;
}

BOOL WaitMessage() {
  ThreadQueue& q = CurrentQueue();
  MSG m;
  if (TryRetrieve(q, m, nullptr, 0, 0, false)) return TRUE;
  FlushTopLevels(q);
  q.Wait(MsUntilNextTimer(q), IsGuiThread() ? TheBackend().EventFd() : -1);
  return TRUE;
}

BOOL TranslateMessage(const MSG* msg) {
  if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN) || !msg->lPrivate) return FALSE;
  ThreadQueue& q = CurrentQueue();
  auto it = q.keyText.find(msg->lPrivate);
  if (it == q.keyText.end()) return FALSE;
  std::u16string text = std::move(it->second);
  q.keyText.erase(it);
  UINT charMsg = msg->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
  // The characters go before anything queued after the key, as Windows does.
  std::lock_guard lock(q.m);
  auto pos = q.posted.begin();
  for (char16_t c : text) {
    pos = q.posted.insert(pos, MSG{msg->hwnd, charMsg, WPARAM(c), msg->lParam, msg->time, msg->pt, 0});
    ++pos;
  }
  return TRUE;
}

LRESULT DispatchMessageW(const MSG* msg) {
  if (!msg) return 0;
  if (msg->message == WM_TIMER && msg->lParam) {
    auto proc = reinterpret_cast<TIMERPROC>(msg->lParam);
    proc(msg->hwnd, WM_TIMER, msg->wParam, msg->time);
    return 0;
  }
  if (!msg->hwnd) return 0;
  auto w = Find(msg->hwnd);
  if (!w || w->thread != CurrentThread()) return 0;
  LRESULT r = CallProc(w.get(), msg->message, msg->wParam, msg->lParam);
  if (msg->message == WM_PAINT && !w->destroyed && NeedsPaint(w.get())) {
    // A procedure that painted nothing would be asked again forever.
    ValidateRect(msg->hwnd, nullptr);
  }
  return r;
}

DWORD GetMessageTime() { return CurrentQueue().lastMsg.time; }

DWORD GetMessagePos() {
  const MSG& m = CurrentQueue().lastMsg;
  return DWORD(MAKELPARAM(m.pt.X, m.pt.Y));
}

BOOL InSendMessage() { return CurrentQueue().sendDepth > 0; }

UINT RegisterWindowMessageW(const char16_t* name) {
  if (!name || !*name) return 0;
  static std::mutex m;
  static std::unordered_map<std::u16string, UINT> names;
  std::u16string key(name);
  for (auto& c : key)
    if (c < 128) c = char16_t(std::tolower(int(c)));
  std::lock_guard lock(m);
  auto it = names.find(key);
  if (it != names.end()) return it->second;
  UINT id = 0xC000 + UINT(names.size());
  if (id > 0xFFFF) return 0;
  names.emplace(key, id);
  return id;
}

BOOL ProcessPendingMessages() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      PostQuitMessage(int(m.wParam));
      return FALSE;
    }
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  return TRUE;
}

std::uintptr_t SetTimer(HWND h, std::uintptr_t id, UINT elapse, TIMERPROC proc) {
  if (h) {
    auto w = Find(h);
    if (!w || w->thread != CurrentThread()) return 0;
  }
  ThreadQueue& q = CurrentQueue();
  if (!h) {
    // Thread timers get an id of their own unless an existing one is renewed.
    bool existing = id && std::any_of(q.timers.begin(), q.timers.end(),
                                      [&](const Timer& t) { return !t.hwnd && t.id == id; });
    if (!existing) id = ++nextThreadTimerId;
  }
  elapse = std::clamp<UINT>(elapse, 10, 0x7FFFFFFF);  // Windows' USER_TIMER_MINIMUM
  for (auto& t : q.timers)
    if (t.hwnd == h && t.id == id) {
      t.interval = elapse;
      t.due = NowMs() + elapse;
      t.proc = proc;
      return h ? (id ? id : 1) : id;
    }
  q.timers.push_back(Timer{h, id, elapse, NowMs() + elapse, proc});
  return h ? (id ? id : 1) : id;
}

BOOL KillTimer(HWND h, std::uintptr_t id) {
  auto& ts = CurrentQueue().timers;
  auto it = std::find_if(ts.begin(), ts.end(), [&](const Timer& t) { return t.hwnd == h && t.id == id; });
  if (it == ts.end()) return FALSE;
  ts.erase(it);
  return TRUE;
}

}  // namespace win
