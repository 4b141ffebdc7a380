// Layered alpha windows: the glow frames of buttons, caption buttons and
// menu bar items.
//
// TbsLayerManager shows one click-through, never-activated top-level window
// at a time, filled with an image whose alpha comes from a mask picture, and
// fades it in on a 25 ms timer. Where the display cannot show per-pixel alpha
// windows (IsLayeringSupported false: no ARGB visual or no compositor), Show
// and Hide do nothing and the caller simply has no glow.
//
// The layer window is a window of the window system itself (its handle is
// all the manager needs): popup style, tool, transparent and layered extended
// styles; its timer drives the fade.
// GUI thread.
#pragma once

#include <memory>

#include "platform/rtl/Classes.h"
#include "platform/win/WinTypes.h"
#include "skin/images/bsBitmap.h"

namespace skin {

class TbsLayerManager;

class TbsLayerWindow {
 public:
  TbsLayerWindow(TbsLayerManager* Manager, int X, int Y, int Width, int Height);
  ~TbsLayerWindow();
  TbsLayerWindow(const TbsLayerWindow&) = delete;
  TbsLayerWindow& operator=(const TbsLayerWindow&) = delete;
  win::HWND Handle() const { return FHandle; }

 private:
  win::HWND FHandle = nullptr;
};

class TbsLayerManager : public rtl::TComponent {
 public:
  explicit TbsLayerManager(rtl::TComponent* AOwner);
  ~TbsLayerManager() override;

  // Shows AImage at screen position (X, Y) with the alpha of AImageMask
  // (white opaque, black transparent), fading in to AAlphaBlendValue.
  void Show(int X, int Y, gdi::TBitmap* AImage, gdi::TBitmap* AImageMask, int AAlphaBlendValue);
  // Hides and destroys the window at once.
  void Hide();
  void StartTimer();
  void StopTimer();
  void FadeTimerTick();

  bool IsVisible() const { return FIsVisible; }
  bool TopMostMode() const { return FTopMostMode; }
  void SetTopMostMode(bool V) { FTopMostMode = V; }
  bool TimerEnabled() const { return FTimerEnabled; }
  TbsLayerWindow* LayerWindow() const { return FLayerWindow.get(); }
  TbsBitmap* Bmp() const { return FBmp.get(); }
  int BeginAlphaBlendValue() const { return FBeginAlphaBlendValue; }
  int EndAlphaBlendValue() const { return FEndAlphaBlendValue; }
  int StepAlphaBlendValue() const { return FStepAlphaBlendValue; }

  static constexpr unsigned kFadeInterval = 25;

 private:
  std::unique_ptr<TbsLayerWindow> FLayerWindow;
  std::unique_ptr<TbsBitmap> FBmp;
  bool FTimerEnabled = false;
  int FEndAlphaBlendValue = 0;
  int FBeginAlphaBlendValue = 0;
  int FStepAlphaBlendValue = 0;
  bool FIsVisible = false;
  bool FTopMostMode = true;
};

// Dest := Image with the alpha of Mask (mean of the mask pixel's colour bytes).
void MakeAlphaBitmap(gdi::TBitmap* Image, gdi::TBitmap* Mask, TbsBitmap* Dest);
// Pushes Bmp to a layered window at its current place, with the constant
// alpha Alpha over Bmp's own per-pixel alpha.
void UpdateLayerBitmap(TbsBitmap* Bmp, std::uint8_t Alpha, win::HWND Window);
// One constant alpha for a whole layered window.
void SetWindowAlphaValue(win::HWND Handle, std::uint8_t Alpha);

}  // namespace skin
