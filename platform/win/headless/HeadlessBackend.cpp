// The headless back end: no display; top-level windows exist only as records,
// the pointer is wherever the last synthetic input put it, and the clipboard
// is a string in memory.
#include <algorithm>
#include <mutex>

#include "platform/gdi/Gdi.h"
#include "platform/win/Headless.h"
#include "platform/win/InputSink.h"
#include "platform/win/WindowObject.h"

namespace win {

namespace {

class HeadlessBackend final : public Backend {
 public:
  const char* Name() const override { return "headless"; }
  NativeWindow CreateTopLevel(const NativeCreate&) override { return ++next_; }
  void DestroyTopLevel(NativeWindow) override {}
  void ShowTopLevel(NativeWindow, bool, bool) override {}
  void MoveTopLevel(NativeWindow, const RECT&) override {}
  void Upload(NativeWindow, const gdi::Surface&, const gdi::Region&) override {}
  NativeWindow CreateForeignChild(NativeWindow, const RECT&) override { return ++next_; }
  POINT CursorPos() override {
    std::lock_guard lock(m_);
    return cursor_;
  }
  void WarpCursor(POINT p) override { SetCursor(p); }
  RECT ScreenRect() override {
    std::lock_guard lock(m_);
    return screen_;
  }
  RECT WorkArea() override {
    std::lock_guard lock(m_);
    return work_;
  }
  void SetClipboardText(const std::u16string& text) override {
    std::lock_guard lock(m_);
    clip_ = text;
  }
  bool GetClipboardText(std::u16string& out) override {
    std::lock_guard lock(m_);
    out = clip_;
    return true;
  }

  void SetCursor(POINT p) {
    std::lock_guard lock(m_);
    cursor_ = p;
  }
  void SetScreen(RECT s, RECT w) {
    std::lock_guard lock(m_);
    screen_ = s;
    work_ = w;
  }

 private:
  std::mutex m_;
  NativeWindow next_ = 0;
  POINT cursor_{0, 0};
  RECT screen_ = rtl::Rect(0, 0, 1280, 1024);
  RECT work_ = rtl::Rect(0, 0, 1280, 984);
  std::u16string clip_;
};

HeadlessBackend* Current() { return dynamic_cast<HeadlessBackend*>(CurrentBackend()); }

void Track(POINT p) {
  if (auto* b = Current()) b->SetCursor(p);
}

}  // namespace

std::unique_ptr<Backend> CreateHeadlessBackend() { return std::make_unique<HeadlessBackend>(); }

namespace headless {

void MouseMove(POINT p) {
  Track(p);
  input::MouseMove(p);
}
void MouseDown(POINT p, int button) {
  Track(p);
  input::MouseButton(p, button, true);
}
void MouseUp(POINT p, int button) {
  Track(p);
  input::MouseButton(p, button, false);
}
void Click(POINT p, int button) {
  MouseMove(p);
  MouseDown(p, button);
  MouseUp(p, button);
}
void Wheel(POINT p, int delta) {
  Track(p);
  input::MouseWheel(p, delta);
}
void KeyDown(int vk, const std::u16string& text) { input::Key(vk, true, text); }
void KeyUp(int vk) { input::Key(vk, false); }
void PressKey(int vk, const std::u16string& text) {
  KeyDown(vk, text);
  KeyUp(vk);
}
void TypeText(const std::u16string& text) { input::Text(text); }

int Pump() {
  int n = 0;
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      PostQuitMessage(int(m.wParam));
      break;
    }
    TranslateMessage(&m);
    DispatchMessageW(&m);
    ++n;
  }
  FlushWindows();
  return n;
}

bool RenderToPng(HWND h, const std::string& path) {
  Pump();
  detail::Window* w = detail::Get(h);
  if (!w) return false;
  detail::Window* top = detail::TopLevelOf(w);
  if (!top->top || !top->top->backBuffer) return false;
  const gdi::Surface& bb = *top->top->backBuffer;
  POINT o = detail::WindowOriginInTop(w);
  RECT r = rtl::Bounds(o.X, o.Y, w->rect.Width(), w->rect.Height());
  r = rtl::Rect(std::max(r.Left, 0), std::max(r.Top, 0), std::min(r.Right, bb.Width()), std::min(r.Bottom, bb.Height()));
  if (r.IsEmpty()) return false;
  gdi::Surface out(r.Width(), r.Height());
  for (int y = 0; y < r.Height(); ++y) std::copy_n(bb.Row32(r.Top + y) + r.Left, r.Width(), out.Row32(y));
  return gdi::WriteSurfacePng(out, path);
}

void SetScreen(RECT screen, RECT workArea) {
  if (auto* b = Current()) b->SetScreen(screen, workArea);
}

}  // namespace headless

}  // namespace win
