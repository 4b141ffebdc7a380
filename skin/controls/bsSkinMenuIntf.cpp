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

}  // namespace skin
