#include "skin/controls/bsSkinMenuIntf.h"

#include "platform/forms/Forms.h"

namespace skin {

TbsSkinMenuEngine* FindSkinFormComponent(forms::TCustomForm* AForm) {
  if (!AForm) return nullptr;
  for (int i = 0; i < AForm->ComponentCount(); ++i)
    if (auto* E = dynamic_cast<TbsSkinMenuEngine*>(AForm->Components(i))) return E;
  return nullptr;
}

TbsSkinMenuEngine* FindMenuFrame(TbsSkinPopupMenu* Menu) {
  if (Menu->SkinComponent) return dynamic_cast<TbsSkinMenuEngine*>(Menu->SkinComponent);
  if (Menu->ComponentForm) return FindSkinFormComponent(Menu->ComponentForm);
  forms::TCustomForm* F = dynamic_cast<forms::TCustomForm*>(Menu->Owner());
  if (!F && Menu->Owner()) F = dynamic_cast<forms::TCustomForm*>(Menu->Owner()->Owner());
  TbsSkinMenuEngine* E = FindSkinFormComponent(F);
  if (E && F->FormStyle() == forms::fsMDIChild && forms::Application)
    E = FindSkinFormComponent(forms::Application->MainForm());
  return E;
}

TbsSkinMenuEngine* (*FindSkinMenuEngine)(TbsSkinPopupMenu* Menu) = FindMenuFrame;

void SkinMenuClosed(forms::TControl* PopupCtrl) {
  if (!PopupCtrl) return;
  if (auto* W = dynamic_cast<forms::TWinControl*>(PopupCtrl))
    win::SendMessage(W->Handle(), MSG_SKIN_MENU_CLOSED, 0, 0);
  else
    PopupCtrl->Perform(MSG_SKIN_MENU_CLOSED, 0, 0);
}

void TbsSkinPopupMenu::Notification(TComponent* AComponent, rtl::TOperation Operation) {
  forms::TPopupMenu::Notification(AComponent, Operation);
  if (Operation != rtl::opRemove) return;
  if (AComponent == SkinData) SkinData = nullptr;
  if (AComponent == ComponentForm) ComponentForm = nullptr;
  if (AComponent == SkinComponent) SkinComponent = nullptr;
}

void TbsSkinPopupMenu::SetSkinData(TbsSkinData* Value) {
  SkinData = Value;
  if (Value) Value->FreeNotification(this);
}

void TbsSkinPopupMenu::Popup(int X, int Y) { Open(nullptr, {X, Y, X, Y}, false, false); }

void TbsSkinPopupMenu::PopupFromRect(TRect R, bool APopupUp) { Open(nullptr, R, APopupUp, false); }

void TbsSkinPopupMenu::PopupFromRect2(forms::TControl* ACtrl, TRect R, bool APopupUp) {
  Open(ACtrl, R, APopupUp, false);
}

void TbsSkinPopupMenu::Popup2(forms::TControl* ACtrl, int X, int Y) { Open(ACtrl, {X, Y, X, Y}, false, true); }

void TbsSkinPopupMenu::Open(forms::TControl* ACtrl, TRect R, bool APopupUp, bool NeedSkin) {
  if (OnPopup) OnPopup(this);
  TbsSkinMenuEngine* E = FindSkinMenuEngine ? FindSkinMenuEngine(this) : nullptr;
  if (E && !SkinData) SetSkinData(E->MenusSkinData());
  if (!E || (NeedSkin && !SkinData)) return;
  E->CloseSkinMenu();
  FPopupPoint = {R.Left, R.Top};
  E->PopupSkinMenu(this, R, APopupUp, ACtrl);
}

}  // namespace skin
