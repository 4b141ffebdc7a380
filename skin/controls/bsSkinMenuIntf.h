// What the skinned buttons need of the skin menus: the images menu (a popup
// of pictures with one selected item) and the message that a skin popup menu
// sends to the control that opened it when it ends. The menus' windows and
// engine belong to the form frame, which fills in PopupFromRect.
// GUI thread only.
#pragma once

#include <memory>
#include <vector>

#include "platform/forms/ImgList.h"
#include "platform/forms/Menus.h"
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

class TbsSkinPopupMenu;

// The form frame's skin menu engine, as the popup menu sees it.
class TbsSkinMenuEngine {
 public:
  virtual ~TbsSkinMenuEngine() = default;
  // Closes a skin menu of this frame that is still open.
  virtual void CloseSkinMenu() = 0;
  // Opens Menu's items at R (screen); when the menu ends the engine calls
  // SkinMenuClosed with the popup control it was given, once.
  virtual void PopupSkinMenu(TbsSkinPopupMenu* Menu, TRect R, bool APopupUp, forms::TControl* PopupCtrl) = 0;
};

// How a popup menu finds the frame that shows it (the menu's own skin
// component, its form's frame, its owner's ...); set by the frame library.
// Without it, or when it finds nothing, no menu opens.
extern TbsSkinMenuEngine* (*FindSkinMenuEngine)(TbsSkinPopupMenu* Menu);

// Delivers the end of a skin menu to the control that opened it: sent to a
// windowed control, performed on a window-less one.
void SkinMenuClosed(forms::TControl* PopupCtrl);

class TbsSkinPopupMenu : public forms::TPopupMenu {
 public:
  explicit TbsSkinPopupMenu(TComponent* AOwner) : forms::TPopupMenu(AOwner) {}
  TbsSkinData* SkinData = nullptr;
  void PopupFromRect2(forms::TControl* ACtrl, TRect R, bool APopupUp);
  TPoint PopupPoint2() const { return FPopupPoint; }

 private:
  TPoint FPopupPoint{};
};

}  // namespace skin
