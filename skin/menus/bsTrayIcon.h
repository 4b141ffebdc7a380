// The notification-area icon and the form frame's minimise-to-tray link.
//
// TbsTrayIcon puts an icon into the notification area (bsTrayShell.h),
// reports the mouse actions on it as events (a single click as OnClick once
// the double-click time has passed, a double click as OnDblClick only), opens
// a popup menu at the cursor, shows balloon hints, can cycle through the
// icons of an image list, and hides the application's main form to the
// notification area when the application is minimised with MinimizeToTray
// on. When no notification area takes the icon, minimising leaves the main
// form minimised as usual, so it can always be brought back.
//
// It hooks the application's window and, when its owner is a windowed
// control, the owner's window procedure, from construction to destruction.
// The notification area's messages arrive at a hidden window of its own
// (Handle). GUI thread only.
#pragma once

#include <functional>
#include <memory>

#include "platform/forms/Forms.h"
#include "platform/forms/Icon.h"
#include "platform/forms/ImgList.h"
#include "platform/forms/Menus.h"
#include "platform/forms/Timers.h"
#include "skin/menus/bsTrayShell.h"

namespace skin {

using rtl::String;
using rtl::TObject;

enum TbsBalloonHintIcon { bsbitNone, bsbitInfo, bsbitWarning, bsbitError };
using TbsCycleEvent = std::function<void(TObject* Sender, int NextIndex)>;

class TbsTrayIcon : public rtl::TComponent {
 public:
  // The notification window's callback message, the message that tells the
  // main form's frame it was shown from the tray, and the main form's Tag
  // meanwhile.
  static constexpr unsigned MSG_TRAY_ICON_NOTIFY = 2048;
  static constexpr unsigned MSG_SHOWN_FROM_TRAY = 1426;
  static constexpr int ShownFromTrayTag = -10000;

  explicit TbsTrayIcon(rtl::TComponent* AOwner);
  ~TbsTrayIcon() override;
  void Loaded() override;
  void Notification(rtl::TComponent* AComponent, rtl::TOperation Operation) override;

  // Whether the icon falls back to the main form's icon when it has none.
  virtual bool LoadDefaultIcon() { return true; }
  // Each answers whether the notification area took the call.
  virtual bool AddIcon();
  virtual bool RemoveIcon();
  virtual bool ModifyIcon();
  bool Refresh() { return ModifyIcon(); }
  bool ShowBalloonHint(const String& Title, const String& Text, TbsBalloonHintIcon IconType);
  bool HideBalloonHint();
  void ShowMainForm();
  void HideMainForm();
  // Bitmap as a 16 x 16 icon whose MaskColor pixels are clear.
  static bool BitmapToIcon(gdi::TBitmap* Bitmap, forms::TIcon* Icon, rtl::TColor MaskColor);

  bool DesignPreview() const { return FDesignPreview; }
  void SetDesignPreview(bool Value);
  forms::TCustomImageList* IconList() const { return FIconList; }
  void SetIconList(forms::TCustomImageList* Value);
  bool CycleIcons() const { return FCycleIcons; }
  void SetCycleIcons(bool Value);
  unsigned AnimateTimerInterval() const { return FAnimateTimerInterval; }
  void SetAnimateTimerInterval(unsigned Value);
  bool Enabled = true;
  const String& Hint() const { return FHint; }
  void SetHint(const String& Value);
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value);
  forms::TIcon* Icon() const { return FIcon.get(); }
  void SetIcon(forms::TIcon* Value);
  bool IconVisible() const { return FIconVisible; }
  void SetIconVisible(bool Value);
  int IconIndex() const { return FIconIndex; }
  void SetIconIndex(int Value);
  forms::TPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(forms::TPopupMenu* Value);
  bool PopupByLeftButton = false;
  bool MinimizedOnStart = false;
  bool MinimizeToTray = true;

  rtl::TNotifyEvent OnClick, OnDblClick, OnBalloonHintClick;
  forms::TMouseEvent OnMouseDown, OnMouseUp;
  forms::TMouseMoveEvent OnMouseMove;
  TbsCycleEvent OnCycle;

  win::HWND Handle() const { return FHandle; }
  win::HWND WindowHandle() const;
  // The record sent with the last shell call.
  const NOTIFYICONDATAW& IconData() const { return FIconData; }

 protected:
  virtual void Click();
  virtual void DblClick();
  virtual void Cycle(int NextIndex);
  virtual void MouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y);
  virtual void MouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y);
  virtual void MouseMove(forms::TShiftState Shift, int X, int Y);
  virtual void DoMinimizeToTray();

 private:
  friend struct TTrayHooks;
  bool Designing() const { return ComponentState().Contains(rtl::csDesigning); }
  bool UpdateIconData();
  bool ShellCall(DWORD Message);
  win::LRESULT IconWndProc(win::UINT Msg, win::WPARAM W, win::LPARAM L);
  void AppWndProc(win::UINT Msg, win::WPARAM W, win::LPARAM L);
  void OwnerWndProc(forms::TMessage& M);
  void ClickTimerTick();
  void AnimateTimerTick();
  void PopupAtCursor();
  void TakeListIcon(int Index);
  forms::TWinControl* WindowedOwner() const;
  static win::LRESULT NotifyWindowProc(win::HWND H, win::UINT Msg, win::WPARAM W, win::LPARAM L);

  std::unique_ptr<forms::TIcon> FIcon;
  forms::TCustomImageList* FIconList = nullptr;
  forms::TPopupMenu* FPopupMenu = nullptr;
  String FHint;
  bool FShowHint = true, FIconVisible = true, FCycleIcons = false, FDesignPreview = false;
  unsigned FAnimateTimerInterval = 0;
  int FIconIndex = 0;
  bool FClickStart = false, FClickReady = false, IsDblClick = false;
  bool SettingPreview = false, SettingMDIForm = true;
  bool FIconAdded = false;  // the notification area holds the icon now
  forms::TTimer* AnimateTimer = nullptr;
  forms::TTimer* ClickTimer = nullptr;
  win::HWND FHandle = nullptr;
  win::HWND FAppWindow = nullptr;
  forms::TWinControl* FHookedOwner = nullptr;  // the owner may be gone from Owner() by destruction
  NOTIFYICONDATAW FIconData;
  static unsigned TaskbarCreatedMessage;
};

// What the tray icon needs of the form frame that links to it.
class TbsTrayFrame {
 public:
  virtual ~TbsTrayFrame() = default;
  virtual bool AlwaysShowInTray() const = 0;
  // The frame's tray menu (restore item, separator, close item).
  virtual forms::TPopupMenu* SysTrayMenu() = 0;
  // Raise OnMinimizeToTray / OnRestoreFromTray.
  virtual void MinimizedToTray() = 0;
  virtual void RestoredFromTray() = 0;
  // In the designer: add or remove biMinimizeToTray of the frame's border icons.
  virtual void ShowMinimizeToTrayIcon(bool Show) {}
};

// The frame's TrayIcon property and its operations; owned by the frame.
class TbsTrayFrameLink : public rtl::TComponent {
 public:
  TbsTrayFrameLink(rtl::TComponent* AOwner, TbsTrayFrame& Frame) : rtl::TComponent(AOwner), FFrame(Frame) {}
  TbsTrayIcon* TrayIcon() const { return FTrayIcon; }
  void SetTrayIcon(TbsTrayIcon* Value);
  // Both do nothing without a tray icon.
  void MinimizeToTray();
  void RestoreFromTray();
  // The icon's OnDblClick and the tray menu's restore item.
  void RestoreFromTrayDblClick(TObject* Sender) { RestoreFromTray(); }
  void RestoreFromTrayMenu(TObject* Sender) { RestoreFromTray(); }
  void Notification(rtl::TComponent* AComponent, rtl::TOperation Operation) override;

 private:
  TbsTrayFrame& FFrame;
  TbsTrayIcon* FTrayIcon = nullptr;
  // Handlers given to the icon check that the link still exists.
  std::shared_ptr<int> FAlive = std::make_shared<int>(0);
};

}  // namespace skin
