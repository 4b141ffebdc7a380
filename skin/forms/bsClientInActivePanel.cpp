#include "skin/forms/bsClientInActivePanel.h"

#include "platform/forms/Forms.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/WinApi.h"
#include "skin/images/bsGlowText.h"

namespace skin {

TbsClientInActivePanel::TbsClientInActivePanel(TComponent* AOwner) : TbsSkinPaintPanel(AOwner) { SetVisible(false); }

TbsClientInActivePanel::~TbsClientInActivePanel() = default;

void TbsClientInActivePanel::Paint() {
  if (FBuffer) FBuffer->Draw(Canvas(), 0, 0);
}

void TbsClientInActivePanel::ShowPanel(forms::TCustomForm* AForm, int AEffect) {
  if (!AForm || !AForm->Visible() || AForm->ClientWidth() == 0 || AForm->ClientHeight() == 0) return;
  SetVisible(false);
  SetParent(AForm);
  const int W = AForm->ClientWidth(), H = AForm->ClientHeight();
  SetBounds(0, 0, W, H);
  BringToFront();
  FBuffer = std::make_unique<TbsBitmap>();
  FBuffer->SetSize(W, H);
  // What the client area shows now; taking the paint DC also ends a paint
  // request pending for the form.
  win::PAINTSTRUCT ps{};
  win::HWND h = AForm->Handle();
  win::HDC dc = win::BeginPaint(h, &ps);
  gdi::BitBlt(FBuffer->DC(), 0, 0, W, H, dc, 0, 0, gdi::SRCCOPY);
  win::EndPaint(h, &ps);
  if (AEffect == 1) {
    BlurAlphaBitmap(FBuffer.get(), 3);
  } else {
    TbsBitmap bg;
    bg.SetSize(W, H);
    AForm->Perform(win::WM_ERASEBKGND, win::WPARAM(bg.DC()), 0);
    bg.SetAlphaBlend(true);
    bg.SetAlpha(170);
    bg.Draw(FBuffer.get(), 0, 0);
  }
  SetVisible(true);
}

void TbsClientInActivePanel::HidePanel() {
  SetVisible(false);
  FBuffer.reset();
}

}  // namespace skin
