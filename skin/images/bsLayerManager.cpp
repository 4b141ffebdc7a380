#include "skin/images/bsLayerManager.h"

#include <algorithm>

#include "platform/win/WinApi.h"
#include "skin/images/bsGlowText.h"
#include "skin/images/bsUtils.h"

namespace skin {

namespace {

constexpr std::uintptr_t kFadeTimer = 1;
const char16_t kLayerClass[] = u"TbsLayerWindow";

win::LRESULT LayerWindowProc(win::HWND h, win::UINT msg, win::WPARAM wp, win::LPARAM lp) {
  switch (msg) {
    case win::WM_MOUSEACTIVATE: return win::MA_NOACTIVATE;
    case win::WM_ERASEBKGND: return 1;  // its pixels come only from the layer bitmap
    case win::WM_PAINT: {
      win::PAINTSTRUCT ps;
      win::BeginPaint(h, &ps);
      win::EndPaint(h, &ps);
      return 0;
    }
    case win::WM_TIMER:
      if (wp == kFadeTimer) {
        if (auto* m = reinterpret_cast<TbsLayerManager*>(win::GetWindowLongPtrW(h, win::GWL_USERDATA)))
          m->FadeTimerTick();
        return 0;
      }
      break;
  }
  return win::DefWindowProcW(h, msg, wp, lp);
}

void RegisterLayerClass() {
  win::WNDCLASSW wc;
  if (win::GetClassInfoW(kLayerClass, &wc)) return;
  wc.style = win::CS_SAVEBITS;
  wc.lpfnWndProc = LayerWindowProc;
  wc.lpszClassName = kLayerClass;
  win::RegisterClassW(&wc);
}

}  // namespace

TbsLayerWindow::TbsLayerWindow(TbsLayerManager* Manager, int X, int Y, int Width, int Height) {
  RegisterLayerClass();
  // Layered from the start, so that the display gives it a visual with alpha
  // right away instead of replacing its native window afterwards.
  FHandle = win::CreateWindowExW(win::WS_EX_TOOLWINDOW | win::WS_EX_TRANSPARENT | win::WS_EX_LAYERED, kLayerClass, u"",
                                 win::WS_POPUP, X, Y, Width, Height, nullptr, 0, nullptr);
  if (FHandle) win::SetWindowLongPtrW(FHandle, win::GWL_USERDATA, reinterpret_cast<win::LONG_PTR>(Manager));
}

TbsLayerWindow::~TbsLayerWindow() {
  if (FHandle && win::IsWindow(FHandle)) win::DestroyWindow(FHandle);
}

TbsLayerManager::TbsLayerManager(rtl::TComponent* AOwner) : TComponent(AOwner) {}

TbsLayerManager::~TbsLayerManager() {
  StopTimer();
  FLayerWindow.reset();
  FBmp.reset();
}

void TbsLayerManager::StartTimer() {
  FBeginAlphaBlendValue = 0;
  FTimerEnabled = true;
  if (FLayerWindow && FLayerWindow->Handle()) win::SetTimer(FLayerWindow->Handle(), kFadeTimer, kFadeInterval, nullptr);
}

void TbsLayerManager::StopTimer() {
  if (FTimerEnabled && FLayerWindow && FLayerWindow->Handle()) win::KillTimer(FLayerWindow->Handle(), kFadeTimer);
  FTimerEnabled = false;
}

void TbsLayerManager::Show(int X, int Y, gdi::TBitmap* AImage, gdi::TBitmap* AImageMask, int AAlphaBlendValue) {
  if (!IsLayeringSupported() || !AImage || AImage->Empty()) return;
  if (FLayerWindow) Hide();
  FIsVisible = true;
  FLayerWindow = std::make_unique<TbsLayerWindow>(this, X, Y, AImage->Width(), AImage->Height());
  FBmp = std::make_unique<TbsBitmap>();
  MakeAlphaBitmap(AImage, AImageMask, FBmp.get());
  const win::HWND h = FLayerWindow->Handle();
  if (!h) return;
  UpdateLayerBitmap(FBmp.get(), 0, h);
  win::SetWindowPos(h, FTopMostMode ? win::HWND_TOPMOST : win::HWND_NOTOPMOST, X, Y, 0, 0,
                    win::SWP_NOSIZE | win::SWP_NOACTIVATE | win::SWP_SHOWWINDOW);
  FEndAlphaBlendValue = std::clamp(AAlphaBlendValue, 0, 255);
  // A step of at least 1, so that a faint target still ends the fade.
  FStepAlphaBlendValue = std::max(FEndAlphaBlendValue / 10, 1);
  StartTimer();
}

void TbsLayerManager::Hide() {
  if (!IsLayeringSupported()) return;
  StopTimer();
  FBmp.reset();
  FIsVisible = false;
  if (FLayerWindow) {
    if (win::HWND h = FLayerWindow->Handle())
      win::SetWindowPos(h, nullptr, 0, 0, 0, 0,
                        win::SWP_HIDEWINDOW | win::SWP_NOACTIVATE | win::SWP_NOZORDER | win::SWP_NOMOVE |
                            win::SWP_NOSIZE);
    FLayerWindow.reset();
  }
}

void TbsLayerManager::FadeTimerTick() {
  if (!FBmp || !FLayerWindow) return;
  FBeginAlphaBlendValue = std::min(FBeginAlphaBlendValue + FStepAlphaBlendValue, FEndAlphaBlendValue);
  UpdateLayerBitmap(FBmp.get(), std::uint8_t(FBeginAlphaBlendValue), FLayerWindow->Handle());
  if (FBeginAlphaBlendValue == FEndAlphaBlendValue) StopTimer();
}

void MakeAlphaBitmap(gdi::TBitmap* Image, gdi::TBitmap* Mask, TbsBitmap* Dest) {
  if (!Image || !Dest) return;
  Dest->Assign(Image);
  if (!Mask || Mask->Empty()) return;
  TbsBitmap m;
  m.Assign(Mask);
  AlphaFromMaskBitmap(Dest, &m);
}

void UpdateLayerBitmap(TbsBitmap* Bmp, std::uint8_t Alpha, win::HWND Window) {
  if (!Bmp || Bmp->Empty() || !Window) return;
  win::RECT r;
  if (!win::GetWindowRect(Window, &r)) return;
  win::POINT pos{r.Left, r.Top}, src{0, 0};
  win::SIZE size{Bmp->Width(), Bmp->Height()};
  gdi::BLENDFUNCTION blend;
  blend.BlendOp = gdi::AC_SRC_OVER;
  blend.SourceConstantAlpha = Alpha;
  blend.AlphaFormat = gdi::AC_SRC_ALPHA;
  win::UpdateLayeredWindow(Window, nullptr, &pos, &size, Bmp->DC(), &src, 0, &blend, win::ULW_ALPHA);
}

void SetWindowAlphaValue(win::HWND Handle, std::uint8_t Alpha) {
  win::SetLayeredWindowAttributes(Handle, 0, Alpha, win::LWA_ALPHA);
}

}  // namespace skin
