// The menus of a skinned form frame: its system menu and tray menu, the menu
// engine every menu of the form opens through, the frame's menu and
// main-menu modes with the keyboard while a menu is open, the messages that
// close open menus, and the way the form's shortcuts reach the menu bar and
// the main menu.
//
// InstallSkinFrameMenus puts this in place for every frame (the main menu
// bar installs it too); each frame then gets one TbsFrameMenuHost among its
// form's components, so the form's skin popup menus open through it.
// GUI thread only.
#pragma once

#include "skin/forms/bsBusinessSkinForm.h"
#include "skin/menus/bsSkinMenuHost.h"
#include "skin/menus/bsTrayIcon.h"

namespace skin {

class TbsSkinMainMenuBar;

class TbsFrameMenuHost : public TbsSkinMenuHost, public TbsTrayFrame {
 public:
  explicit TbsFrameMenuHost(TbsBusinessSkinForm* AFrame);
  ~TbsFrameMenuHost() override;

  TbsBusinessSkinForm* Frame() const { return FFrame; }
  forms::TPopupMenu* SysMenu() const { return FSysMenu; }
  TbsSkinPopupMenu* SysTrayMenu() const { return FSysTrayMenu; }
  TbsSkinMainMenuBar* MenuBar() const;

  // The frame's menu skin, else its skin, as they are now.
  TbsSkinData* MenusSkinData() override {
    return FFrame->MenusSkinData() ? FFrame->MenusSkinData() : FFrame->SkinData();
  }
  void SkinMenuOpen() override;
  void SkinMenuClose() override;
  void PopupSkinMenu(TbsSkinPopupMenu* Menu, TRect R, bool APopupUp, forms::TControl* PopupCtrl) override;
  void CloseMenusOnMessage(unsigned Msg) override;
  void MenuKeyDown(int Key) override;

  forms::TMenuItem* GetSystemMenuItems();
  void BuildDefaultSystemMenu();
  void UpdateCustomSystemMenu();
  // Opens a menu-bar item's sub-items in main-menu mode.
  void OpenMainMenuItem(TbsSkinData* SD, TRect R, forms::TMenuItem* Item, bool PopupUp);
  // The keyboard goes to the menus from now on (main-menu mode).
  void HookMainMenu() { HookAppMessages(); }
  void UnhookMenus() { UnhookAppMessages(); }
  // Closes the host's side of an open menu (the frame's SkinMenuClose).
  void CloseHostSide() { TbsSkinMenuHost::SkinMenuClose(); }
  // Hides an open menu without ending the frame's menu mode a second time.
  void HideQuietly() {
    if (!FSkinMenu->Visible()) return;
    FSwitching = true;
    FSkinMenu->Hide();
    FSwitching = false;
  }
  // TbsTrayFrame: the frame's side of its tray icon.
  bool AlwaysShowInTray() const override { return FFrame->AlwaysShowInTray; }
  forms::TPopupMenu* SysTrayMenu() override { return FSysTrayMenu; }
  void MinimizedToTray() override {
    if (FFrame->OnMinimizeToTray) FFrame->OnMinimizeToTray(FFrame);
  }
  void RestoredFromTray() override {
    if (FFrame->OnRestoreFromTray) FFrame->OnRestoreFromTray(FFrame);
  }
  TbsTrayFrameLink* TrayLink();

 protected:
  bool AppMessage(win::MSG& Msg) override;
  void MenuEnded() override;

 private:
  TbsBusinessSkinForm* FFrame;
  forms::TPopupMenu* FSysMenu;
  TbsSkinPopupMenu* FSysTrayMenu;
  bool FSwitching = false, FEscape = false;
  TbsTrayFrameLink* FTrayLink = nullptr;
};

// Links a tray icon to the frame (its TrayIcon): minimize to tray and the
// restore from it go through the icon; the icon gets the frame's tray menu.
void SetFrameTrayIcon(TbsBusinessSkinForm* F, TbsTrayIcon* Icon);

// Puts the frames' menu support in place (once; later calls do nothing).
void InstallSkinFrameMenus();
// The menu host of a frame, made on first use (nil for nil).
TbsFrameMenuHost* FindFrameMenuHost(TbsBusinessSkinForm* F);
// Main-menu mode ends: the bar leaves its menu mode.
void ExitMainMenu(TbsBusinessSkinForm* F);
// The last level of a bar item's menu closed by Escape: the item stays hot.
void MainMenuItemMenuClosed(TbsBusinessSkinForm* F);

}  // namespace skin
