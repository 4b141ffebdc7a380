#include "skin/menus/bsSkinMenuHost.h"

#include "skin/controls/bsAppMessageFilters.h"

namespace skin {

TbsSkinMenuHost::TbsSkinMenuHost(TComponent* AOwner, forms::TCustomForm* AForm) : TComponent(AOwner), FForm(AForm) {
  FSkinMenu = new TbsSkinMenu(this, AForm);
  FSkinMenu->OnEnded = [this] { MenuEnded(); };
  if (AForm) AForm->FreeNotification(this);
}

TbsSkinMenuHost::~TbsSkinMenuHost() {
  UnhookAppMessages();
  FSkinMenu->OnEnded = nullptr;
}

void TbsSkinMenuHost::Notification(TComponent* AComponent, rtl::TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != rtl::opRemove) return;
  if (AComponent == SkinData) SkinData = nullptr;
  if (AComponent == MenusSkinDataValue) MenusSkinDataValue = nullptr;
}

void TbsSkinMenuHost::MenuEnded() {
  if (FInMenu) SkinMenuClose();
}

void TbsSkinMenuHost::CloseSkinMenu() {
  if (FSkinMenu->Visible()) SkinMenuClose();
}

void TbsSkinMenuHost::PopupSkinMenu(TbsSkinPopupMenu* Menu, TRect R, bool APopupUp, forms::TControl* PopupCtrl) {
  if (FSkinMenu->Visible()) FSkinMenu->CloseMenuLevels(0);
  SkinMenuOpen();
  FSkinMenu->Popup(PopupCtrl, Menu->SkinData, 0, R, Menu->Items(), APopupUp);
  if (Menu->OnMenuClose) FSkinMenu->OnMenuClose = Menu->OnMenuClose;
  if (!FSkinMenu->Visible() && FInMenu) SkinMenuClose();
}

void TbsSkinMenuHost::PopupSkinMenu1(forms::TMenu* Menu, TRect R, bool PopupUp) {
  if (FSkinMenu->Visible()) FSkinMenu->CloseMenuLevels(0);
  SkinMenuOpen();
  FSkinMenu->Popup(nullptr, MenusSkinData(), 0, R, Menu->Items(), PopupUp);
  if (!FSkinMenu->Visible() && FInMenu) SkinMenuClose();
}

void TbsSkinMenuHost::SkinMenuOpen() {
  HookAppMessages();
  if (!FInMenu) {
    FInMenu = true;
    if (OnSkinMenuOpen) OnSkinMenuOpen(this);
  }
}

void TbsSkinMenuHost::SkinMenuClose() {
  FInMenu = false;
  UnhookAppMessages();
  if (OnSkinMenuClose) OnSkinMenuClose(this);
}

void TbsSkinMenuHost::CloseMenusOnMessage(unsigned Msg) {
  if (!IsMenuCloseMessage(Msg)) return;
  if (FSkinMenu->Visible())
    FSkinMenu->Hide();
  else if (FInMenu)
    SkinMenuClose();
}

void TbsSkinMenuHost::MenuKeyDown(int Key) {
  if (TbsSkinPopupWindow* W = FSkinMenu->Visible() ? FSkinMenu->LastWindow() : nullptr) W->PopupKeyDown(Key);
  if (Key == win::VK_ESCAPE && FSkinMenu->WindowCount() == 0 && FInMenu) SkinMenuClose();
}

void TbsSkinMenuHost::HookAppMessages() {
  if (FHooked) return;
  AddAppMessageFilter(this, [this](win::MSG& Msg) { return AppMessage(Msg); });
  FHooked = true;
}

void TbsSkinMenuHost::UnhookAppMessages() {
  if (!FHooked) return;
  FHooked = false;
  RemoveAppMessageFilter(this);
}

bool TbsSkinMenuHost::AppMessage(win::MSG& Msg) {
  switch (Msg.message) {
    case win::WM_KEYDOWN:
      MenuKeyDown(int(Msg.wParam));
      Msg.message = 0;
      return true;
    case win::WM_MOUSEWHEEL:
      Msg.message = 0;
      return true;
    case win::WM_LBUTTONDOWN:
    case win::WM_RBUTTONDOWN:
    case win::WM_MBUTTONDOWN:
    case win::WM_LBUTTONDBLCLK:
    case win::WM_NCLBUTTONDOWN:
    case win::WM_NCRBUTTONDOWN:
    case win::WM_NCMBUTTONDOWN:
      // A press outside the menu's levels closes every level; the press
      // itself goes on to its window.
      if (!FSkinMenu->IsMenuWindow(Msg.hwnd)) {
        if (FSkinMenu->Visible())
          FSkinMenu->Hide();
        else if (FInMenu)
          SkinMenuClose();
      }
      return false;
    default: return false;
  }
}

}  // namespace skin
