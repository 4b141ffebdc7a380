// The headless back end: no display; top-level windows exist only as records,
// the pointer is wherever the last synthetic input put it, and the clipboard
// is a string in memory.
#include <algorithm>
#include <atomic>
#include <map>
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
  NativeWindow CreateTopLevel(const NativeCreate& c) override {
    std::lock_guard lock(m_);
    tops_[++next_] = c.hwnd;
    return next_;
  }
  // As on a display, the native children inside go with the window.
  void DestroyTopLevel(NativeWindow w) override {
    std::lock_guard lock(m_);
    tops_.erase(w);
    icons_.erase(w);
    std::erase_if(foreign_, [w](const auto& f) { return f.second.parent == w; });
  }
  void ShowTopLevel(NativeWindow, bool, bool) override {}
  void MoveTopLevel(NativeWindow, const RECT&) override {}
  void Upload(NativeWindow, const gdi::Surface&, const gdi::Region&) override {}
  NativeWindow CreateForeignChild(NativeWindow parent, const RECT& r) override {
    std::lock_guard lock(m_);
    foreign_[++next_] = {parent, r, false};
    return next_;
  }
  void DestroyForeignChild(NativeWindow w) override {
    std::lock_guard lock(m_);
    foreign_.erase(w);
  }
  void PlaceForeignChild(NativeWindow w, const RECT& r, bool visible) override {
    std::lock_guard lock(m_);
    if (auto it = foreign_.find(w); it != foreign_.end()) {
      it->second.rect = r;
      it->second.visible = visible;
    }
  }
  void ReparentForeignChild(NativeWindow w, NativeWindow parent, const RECT& r, bool visible) override {
    std::lock_guard lock(m_);
    if (auto it = foreign_.find(w); it != foreign_.end()) it->second = {parent, r, visible};
  }
  bool ForeignChild(NativeWindow w, HWND* top, RECT* r, bool* visible) {
    std::lock_guard lock(m_);
    auto it = foreign_.find(w);
    if (it == foreign_.end()) return false;
    auto t = tops_.find(it->second.parent);
    if (top) *top = t == tops_.end() ? nullptr : t->second;
    if (r) *r = it->second.rect;
    if (visible) *visible = it->second.visible;
    return true;
  }
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
  bool LayeringSupported() override { return layering_; }
  void SetLayering(bool supported) { layering_ = supported; }
  void SetClipboardText(const std::u16string& text) override {
    std::lock_guard lock(m_);
    clip_ = text;
  }
  bool GetClipboardText(std::u16string& out) override {
    std::lock_guard lock(m_);
    out = clip_;
    return true;
  }

  void SetCursorShape(std::uintptr_t idc) override {
    std::lock_guard lock(m_);
    cursorId_ = idc;
  }
  void SetCursorImage(std::uintptr_t, const IconImage& image) override {
    std::lock_guard lock(m_);
    cursorId_ = 0;
    cursorImage_ = image;
  }
  void SetIcons(NativeWindow w, const std::vector<IconImage>& icons) override {
    std::lock_guard lock(m_);
    icons_[w] = icons;
  }
  std::uintptr_t ShownCursor(IconImage* image) {
    std::lock_guard lock(m_);
    if (image) *image = cursorImage_;
    return cursorId_;
  }
  std::vector<IconImage> Icons(NativeWindow w) {
    std::lock_guard lock(m_);
    auto it = icons_.find(w);
    return it == icons_.end() ? std::vector<IconImage>{} : it->second;
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
  struct Foreign {
    NativeWindow parent;
    RECT rect;
    bool visible;
  };
  std::mutex m_;
  NativeWindow next_ = 0;
  std::map<NativeWindow, HWND> tops_;       // live top-level windows
  std::map<NativeWindow, Foreign> foreign_;  // live native children of video windows
  POINT cursor_{0, 0};
  RECT screen_ = rtl::Rect(0, 0, 1280, 1024);
  RECT work_ = rtl::Rect(0, 0, 1280, 984);
  std::u16string clip_;
  std::uintptr_t cursorId_ = 0;
  IconImage cursorImage_;
  std::map<NativeWindow, std::vector<IconImage>> icons_;
  std::atomic<bool> layering_{false};  // no display: no compositor unless a test says so
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

bool ForeignChild(HWND video, HWND* top, RECT* rectInTop, bool* visible) {
  auto* b = Current();
  detail::Window* w = detail::Get(video);
  if (!b || !w || !w->foreign) return false;
  return b->ForeignChild(w->foreign, top, rectInTop, visible);
}

std::uintptr_t ShownCursor(IconImage* image) {
  auto* b = Current();
  return b ? b->ShownCursor(image) : 0;
}

std::vector<IconImage> WindowIcons(HWND top) {
  auto* b = Current();
  detail::Window* w = detail::Get(top);
  if (!b || !w || !w->top) return {};
  return b->Icons(w->top->native);
}

void SetScreen(RECT screen, RECT workArea) {
  if (auto* b = Current()) b->SetScreen(screen, workArea);
}

void SimulateLayering(bool supported) {
  if (auto* b = Current()) b->SetLayering(supported);
}

}  // namespace headless

}  // namespace win
