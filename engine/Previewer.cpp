#include "engine/Previewer.h"

#include <mutex>

#include "engine/FFUtils.h"
#include "engine/MyUtils.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Canvas.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/WinApi.h"

namespace engine {

namespace {

const char16_t kClassName[] = u"TPreviewer";

// Each window keeps its shared state alive until it is gone.
struct TWindowSlot {
  std::shared_ptr<TPreviewWindow> State;
};

win::LRESULT PreviewProc(win::HWND h, win::UINT m, win::WPARAM w, win::LPARAM l) {
  auto* slot = reinterpret_cast<TWindowSlot*>(win::GetWindowLongPtrW(h, win::GWLP_USERDATA));
  switch (m) {
    case win::WM_LBUTTONDOWN: {
      // A press anywhere in the picture drags the window like its caption.
      const win::DWORD pos = win::GetMessagePos();
      win::SendMessageW(h, win::WM_NCLBUTTONDOWN, win::HTCAPTION, static_cast<win::LPARAM>(pos));
      return 0;
    }
    case win::WM_CLOSE:
      if (slot) slot->State->FClosed = true;
      win::DestroyWindow(h);
      return 0;
    case win::WM_NCDESTROY:
      if (slot) {
        slot->State->FFormHandle = nullptr;
        win::SetWindowLongPtrW(h, win::GWLP_USERDATA, 0);
        delete slot;
      }
      break;
    default:
      break;
  }
  return win::DefWindowProcW(h, m, w, l);
}

void RegisterPreviewClass() {
  static std::once_flag once;
  std::call_once(once, [] {
    win::WNDCLASSW wc{};
    wc.lpfnWndProc = PreviewProc;
    wc.lpszClassName = kClassName;
    wc.hbrBackground = nullptr;  // the picture covers the client area
    win::RegisterClassW(&wc);
  });
}

}  // namespace

TPreviewer::TPreviewer() : FWindow(std::make_shared<TPreviewWindow>()) {}

TPreviewer::~TPreviewer() {
  std::shared_ptr<TPreviewWindow> state = FWindow;
  state->FDropped = true;
  QueueMethodInMainThread([state] {
    if (win::HWND h = state->FFormHandle.load()) win::DestroyWindow(h);
  });
}

bool TPreviewer::PaintFrame(gdi::TBitmap* ABitmap, int32_t AFrameNumber, int64_t APTS) {
  return FWindow->PaintFrame(ABitmap, AFrameNumber, APTS);
}

bool TPreviewer::Closed() const { return FWindow->FClosed.load(); }

win::HWND TPreviewer::FormHandle() const { return FWindow->FFormHandle.load(); }

bool TPreviewWindow::PaintFrame(gdi::TBitmap* ABitmap, int32_t AFrameNumber, int64_t APTS) {
  if (!FClosed.load()) {
    FBitmap = ABitmap;
    FFrameNumber = AFrameNumber;
    FPTS = APTS;
    CallMethodInMainThread([this] { ShowFrame(); });
  }
  return !FClosed.load();
}

void TPreviewWindow::ShowFrame() {
  if (FClosed.load() || FDropped.load() || !FBitmap || FBitmap->Width() <= 0) return;
  if (!FFormHandle.load()) {
    CreateForm();
    if (!FFormHandle.load()) return;
    win::ShowWindow(FFormHandle.load(), win::SW_SHOWNOACTIVATE);
  }
  const win::HWND h = FFormHandle.load();
  win::SetWindowText(h, DurationToStr(FPTS));
  if (win::HDC dc = win::GetDC(h)) {
    gdi::BitBlt(dc, 0, 0, FBitmap->Width(), FBitmap->Height(), FBitmap->Canvas()->Handle(), 0, 0, gdi::SRCCOPY);
    win::ReleaseDC(h, dc);
  }
  win::ValidateRect(h, nullptr);
}

void TPreviewWindow::CreateForm() {
  RegisterPreviewClass();
  const win::DWORD style = win::WS_POPUP | win::WS_CAPTION | win::WS_SYSMENU;
  const win::DWORD exStyle = win::WS_EX_TOOLWINDOW | win::WS_EX_TOPMOST;
  win::RECT r{0, 0, FBitmap->Width(), FBitmap->Height()};
  win::AdjustWindowRectEx(&r, style, false, exStyle);
  const int w = r.Right - r.Left, h = r.Bottom - r.Top;
  const int x = (win::GetSystemMetrics(win::SM_CXSCREEN) - w) / 2;
  const int y = (win::GetSystemMetrics(win::SM_CYSCREEN) - h) / 2;
  win::HWND wnd = win::CreateWindowExW(exStyle, kClassName, u"", style, x, y, w, h, nullptr, 0, nullptr);
  if (!wnd) return;
  // The window keeps the state alive as long as the previewer may be gone.
  auto* slot = new TWindowSlot{shared_from_this()};
  win::SetWindowLongPtrW(wnd, win::GWLP_USERDATA, reinterpret_cast<win::LONG_PTR>(slot));
  FFormHandle = wnd;
}

}  // namespace engine
