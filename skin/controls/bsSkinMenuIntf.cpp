#include "skin/controls/bsSkinMenuIntf.h"

namespace skin {

void TbsSkinImagesMenu::SetItemIndex(int Value) {
  FItemIndex = Value;
  if (FOnInternalChange) FOnInternalChange(this);
}

TbsImagesMenuItem* TbsSkinImagesMenu::GetSelectedItem() {
  if (FItemIndex < 0 || FItemIndex >= int(Items.size())) return nullptr;
  return &Items[FItemIndex];
}

void TbsSkinImagesMenu::PopupFromRect(TRect R) {
  if (FShown) MenuClosed();
  if (OnMenuPopup) OnMenuPopup(this);
  if (!FImages || FImages->Count() == 0) return;
  FShown = true;
  FPopupRect = R;
}

void TbsSkinImagesMenu::MenuClosed() {
  if (!FShown) return;
  FShown = false;
  if (FOnInternalMenuClose) FOnInternalMenuClose(this);
  if (OnMenuClose) OnMenuClose(this);
}

TbsSkinMenuEngine* (*FindSkinMenuEngine)(TbsSkinPopupMenu* Menu) = nullptr;

void SkinMenuClosed(forms::TControl* PopupCtrl) {
  if (!PopupCtrl) return;
  if (auto* W = dynamic_cast<forms::TWinControl*>(PopupCtrl))
    win::SendMessage(W->Handle(), MSG_SKIN_MENU_CLOSED, 0, 0);
  else
    PopupCtrl->Perform(MSG_SKIN_MENU_CLOSED, 0, 0);
}

void TbsSkinPopupMenu::PopupFromRect2(forms::TControl* ACtrl, TRect R, bool APopupUp) {
  if (OnPopup) OnPopup(this);
  TbsSkinMenuEngine* E = FindSkinMenuEngine ? FindSkinMenuEngine(this) : nullptr;
  if (!E) return;
  E->CloseSkinMenu();
  FPopupPoint = {R.Left, R.Top};
  E->PopupSkinMenu(this, R, APopupUp, ACtrl);
}

}  // namespace skin
