// What the skinned buttons need of the skin menus: the images menu (a popup
// of pictures with one selected item) and the message that a skin popup menu
// sends to the control that opened it when it ends. The menus' windows and
// engine belong to the form frame, which fills in PopupFromRect.
// GUI thread only.
#pragma once

#include <memory>
#include <vector>

#include "platform/forms/ImgList.h"
#include "skin/controls/bsSkinCtrls.h"

namespace skin {

struct TbsImagesMenuItem {
  String FCaption;
  int FImageIndex = -1;
};

class TbsSkinImagesMenu : public rtl::TComponent {
 public:
  explicit TbsSkinImagesMenu(TComponent* AOwner) : TComponent(AOwner) {}

  std::vector<TbsImagesMenuItem> Items;
  forms::TCustomImageList* FImages = nullptr;
  int ItemIndex() const { return FItemIndex; }
  // Changes the selection and tells the button that shows it.
  void SetItemIndex(int Value);
  // The item at ItemIndex, nullptr when out of range.
  TbsImagesMenuItem* GetSelectedItem();
  // Opens the images popup at R (screen) when the menu has images; the
  // popup window is the frame's. Here: remembers the rectangle and fires
  // OnMenuPopup; the window's owner calls MenuClosed when it closes.
  virtual void PopupFromRect(TRect R);
  void MenuClosed();
  bool PopupShown() const { return FShown; }
  TRect PopupRect() const { return FPopupRect; }

  TNotifyEvent FOnInternalChange, FOnInternalMenuClose, OnMenuPopup, OnMenuClose;

 private:
  int FItemIndex = -1;
  bool FShown = false;
  TRect FPopupRect{};
};

}  // namespace skin
