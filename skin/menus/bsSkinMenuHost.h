// The menu side of a form's frame: the form's skin menu engine and its menu
// mode. While a skin menu of the form is open, the host watches the
// application's messages: key-downs go to the innermost menu level (arrows,
// Enter, Escape, accelerators) and reach no control, wheel turns are dropped,
// and a button press on any window that is not one of the menu's levels
// closes every level. The form's own window procedure calls
// CloseMenusOnMessage first for each of its messages, so moving, sizing,
// deactivating or clicking the form closes the menu as well.
//
// A form frame owns one host (or is one); the skin popup menus of the form
// find it among the form's components. GUI thread only.
#pragma once

#include <memory>

#include "skin/controls/bsSkinMenuIntf.h"
#include "skin/menus/bsSkinMenus.h"

namespace skin {

class TbsSkinMenuHost : public TComponent, public TbsSkinMenuEngine {
 public:
  TbsSkinMenuHost(TComponent* AOwner, forms::TCustomForm* AForm);
  ~TbsSkinMenuHost() override;

  TbsSkinMenu* SkinMenu() const { return FSkinMenu; }
  forms::TCustomForm* Form() const { return FForm; }
  TbsSkinData* SkinData = nullptr;
  TbsSkinData* MenusSkinDataValue = nullptr;

  // TbsSkinMenuEngine
  void CloseSkinMenu() override;
  void PopupSkinMenu(TbsSkinPopupMenu* Menu, TRect R, bool APopupUp, forms::TControl* PopupCtrl) override;
  TbsSkinData* MenusSkinData() override { return MenusSkinDataValue ? MenusSkinDataValue : SkinData; }
  forms::TCustomForm* EngineForm() override { return FForm; }

  // Opens a menu's items at R in the menu skin (the frame's own menus).
  void PopupSkinMenu1(forms::TMenu* Menu, TRect R, bool PopupUp);

  // Menu mode: entered when a menu opens, left when it ends.
  virtual void SkinMenuOpen();
  virtual void SkinMenuClose();
  bool InMenu() const { return FInMenu; }
  // Closes an open menu when Msg is one of the messages that close menus.
  virtual void CloseMenusOnMessage(unsigned Msg);
  // A key-down while the menu is open.
  virtual void MenuKeyDown(int Key);

  TNotifyEvent OnSkinMenuOpen, OnSkinMenuClose;
  void Notification(TComponent* AComponent, rtl::TOperation Operation) override;

 protected:
  void HookAppMessages();
  void UnhookAppMessages();
  virtual bool AppMessage(win::MSG& Msg);
  // The menu engine's last level closed.
  virtual void MenuEnded();

  forms::TCustomForm* FForm;
  TbsSkinMenu* FSkinMenu;
  bool FInMenu = false, FHooked = false;
};

}  // namespace skin
