// The skin menus as the skinned controls see them: the images menu
// (bsSkinImagesMenu.h), the skin popup menu component, which opens its items
// through the skin menu engine of the form frame responsible for it (the
// engine and its windows are in skin/menus), and the message that tells the
// control that opened a skin menu that it has ended.
// GUI thread only.
#pragma once

#include <initializer_list>
#include <memory>
#include <vector>

#include "platform/forms/ImgList.h"
#include "platform/forms/Menus.h"
#include "skin/controls/bsSkinCtrls.h"
#include "skin/controls/bsSkinImagesMenu.h"

namespace skin {

// ---- What the skin menus share
// The messages that close an open skin menu when they reach its form.
bool IsMenuCloseMessage(unsigned Msg);
// The skin's menu-item object named "menuitem", else "MENUITEM", or nullptr.
TbsDataSkinMenuItem* SkinMenuItemObject(TbsSkinData* SD);
// The first description of SD named by one of Names (in that order) that is a D.
template <class D>
D* NamedSkinControl(TbsSkinData* SD, std::initializer_list<const char16_t*> Names) {
  if (!SD || SD->Empty) return nullptr;
  for (const char16_t* N : Names) {
    const int i = SD->GetControlIndex(N);
    if (i >= 0)
      if (auto* C = dynamic_cast<D*>(SD->CtrlList[std::size_t(i)].get())) return C;
  }
  return nullptr;
}
// A label description's strip, Width wide, with Text centred in its client
// part in the label's font; nullptr when the label has no picture.
std::unique_ptr<TBitmap> SkinLabelStrip(TbsSkinData* SD, TbsDataSkinLabelControl* L, int Width, const String& Text);
// Window parameters of a menu's popup window: a top-most tool popup owned by
// the application's window that never activates, saving what lies under it.
void MenuPopupWindowParams(forms::TCreateParams& P);
// A button description's image from Src, nine-part at R's size, drawn at R.
void DrawButtonDescriptionImage(gdi::TCanvas* C, TbsDataSkinButtonControl* D, TBitmap* Picture, TRect Src, TRect R);

class TbsSkinPopupMenu;

// The form frame as a skin popup menu sees it: the frame's menu engine shows
// the menu's items in the frame's menu skin and keyboard mode.
class TbsSkinMenuEngine {
 public:
  virtual ~TbsSkinMenuEngine() = default;
  // Leaves the menu mode of a skin menu of this frame that is still open.
  virtual void CloseSkinMenu() = 0;
  // Opens Menu's items at R (screen) with Menu's SkinData; when the menu
  // ends the engine tells PopupCtrl (MSG_SKIN_MENU_CLOSED) and fires
  // Menu's OnMenuClose, once.
  virtual void PopupSkinMenu(TbsSkinPopupMenu* Menu, TRect R, bool APopupUp, forms::TControl* PopupCtrl) = 0;
  // The skin a menu without its own takes: the frame's menu skin, else its skin.
  virtual TbsSkinData* MenusSkinData() { return nullptr; }
  // The frame's form.
  virtual forms::TCustomForm* EngineForm() { return nullptr; }
};

// The first component of AForm that is a frame's menu engine, or nullptr.
TbsSkinMenuEngine* FindFormMenuEngine(forms::TCustomForm* AForm);
// The frame that shows Menu: its SkinComponent, else the frame of its
// ComponentForm, else of the form that owns it or its owner; a frame of an
// MDI child gives way to the main form's.
TbsSkinMenuEngine* FindMenuFrame(TbsSkinPopupMenu* Menu);
// How a popup menu finds its frame; FindMenuFrame unless replaced.
extern TbsSkinMenuEngine* (*FindSkinMenuEngine)(TbsSkinPopupMenu* Menu);

// Delivers the end of a skin menu to the control that opened it: sent to a
// windowed control, performed on a window-less one.
void SkinMenuClosed(forms::TControl* PopupCtrl);

// A popup menu that is never shown by the system: every opening goes to the
// skin menu engine of the frame responsible for it. OnPopup fires first, even
// when no frame is found and nothing opens.
class TbsSkinPopupMenu : public forms::TPopupMenu {
 public:
  explicit TbsSkinPopupMenu(TComponent* AOwner) : forms::TPopupMenu(AOwner) {}
  void Notification(TComponent* AComponent, rtl::TOperation Operation) override;

  // At the screen point (X, Y), downwards, without a popup control.
  void Popup(int X, int Y) override;
  void PopupFromRect(TRect R, bool APopupUp);
  // With ACtrl as popup control: it is told when the menu closes and when
  // the chosen command has run.
  void PopupFromRect2(forms::TControl* ACtrl, TRect R, bool APopupUp);
  // The point form with a popup control; needs SkinData (given or taken
  // from the frame).
  void Popup2(forms::TControl* ACtrl, int X, int Y);

  TPoint PopupPoint() const { return FPopupPoint; }
  TPoint PopupPoint2() const { return FPopupPoint; }
  TbsSkinData* SkinData = nullptr;
  void SetSkinData(TbsSkinData* Value);
  forms::TCustomForm* ComponentForm = nullptr;
  TComponent* SkinComponent = nullptr;
  TNotifyEvent OnMenuClose;

 private:
  void Open(forms::TControl* ACtrl, TRect R, bool APopupUp, bool NeedSkin);
  TPoint FPopupPoint{-1, -1};
};

}  // namespace skin
