#include "skin/menus/bsSkinMenus.h"

#include "skin/images/bsUtils.h"

namespace skin {

using forms::TMenuItem;

void SendMenuMessage(TControl* C, unsigned Msg) {
  if (!C) return;
  if (auto* W = dynamic_cast<forms::TWinControl*>(C); W && W->HandleAllocated())
    win::SendMessage(W->Handle(), Msg, 0, 0);
  else
    C->Perform(Msg, 0, 0);
}

TbsSkinMenu::TbsSkinMenu(TComponent* AOwner, forms::TCustomForm* AForm) : TComponent(AOwner), FForm(AForm) {
  WaitTimer = std::make_unique<forms::TTimer>(nullptr);
  WaitTimer->SetEnabled(false);
  WaitTimer->SetInterval(500);
  WaitTimer->OnTimer = [this](TObject*) { SubmenuWaitTimer(); };
  FDefaultMenuItemFont = MakeDefaultFont([] {});
}

TbsSkinMenu::~TbsSkinMenu() {
  OnMenuClose = nullptr;
  OnEnded = nullptr;
  PopupCtrl = nullptr;
  CloseMenuLevels(0);
  DestroyComponents();  // the windows, while they can still reach this menu
}

void TbsSkinMenu::Notification(TComponent* AComponent, rtl::TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != rtl::opRemove) return;
  if (AComponent == PopupCtrl) PopupCtrl = nullptr;
  if (AComponent == DCtrl) DCtrl = nullptr;
  for (TbsSkinPopupWindow* W : FPopupList)
    for (auto& R : W->ItemList)
      if (R->MenuItem == AComponent) {
        CloseMenuLevels(0);
        return;
      }
}

bool TbsSkinMenu::IsMenuWindow(win::HWND H) const {
  for (TbsSkinPopupWindow* W : FPopupList)
    if (W->HandleAllocated() && W->Handle() == H) return true;
  return false;
}

int TbsSkinMenu::WindowIndex(const TbsSkinPopupWindow* Window) const {
  for (std::size_t i = 0; i < FPopupList.size(); ++i)
    if (FPopupList[i] == Window) return int(i);
  return int(FPopupList.size());
}

void TbsSkinMenu::StopWaiting() {
  WaitTimer->SetEnabled(false);
  WItem = nullptr;
}

void TbsSkinMenu::Popup(TControl* APopupCtrl, TbsSkinData* ASkinData, int StartIndex, TRect R, TMenuItem* AItem,
                        bool PopupUp) {
  Popup2(APopupCtrl, ASkinData, StartIndex, R, AItem, nullptr, PopupUp);
}

void TbsSkinMenu::Popup2(TControl* APopupCtrl, TbsSkinData* ASkinData, int StartIndex, TRect R, TMenuItem* AItem,
                         TMenuItem* AItem2, bool PopupUp) {
  FFirst = !FVisible;
  if (APopupCtrl) APopupCtrl->FreeNotification(this);
  // The open menu is closed (and its own popup control told) before the new
  // control is recorded, so each control hears of exactly its own menu's end.
  if (!FPopupList.empty()) CloseMenuLevels(0);
  PopupCtrl = APopupCtrl;
  GetMonitorWorkArea(FForm && FForm->HandleAllocated() ? FForm->Handle() : nullptr, true, WorkArea);
  SkinData = ASkinData;
  const int Count = (AItem ? AItem->Count() : 0) + (AItem2 ? AItem2->Count() : 0);
  if (!AItem || AItem->Count() == 0 || StartIndex >= Count) {
    PopupCtrl = nullptr;
    return;
  }
  FVisible = true;
  OpenLevel(R, AItem, AItem2, StartIndex, false, PopupUp);
  FFirst = false;
}

void TbsSkinMenu::OpenLevel(TRect R, TMenuItem* AItem, TMenuItem* AItem2, int StartIndex, bool PopupByItem,
                            bool PopupUp) {
  TbsDataSkinPopupWindow* Data = SkinData && !SkinData->Empty ? SkinData->PopupWindow.get() : nullptr;
  auto* W = new TbsSkinPopupWindow(this, this, Data);
  FPopupList.push_back(W);
  if (AItem2)
    W->Show2(R, AItem, AItem2, StartIndex, PopupByItem, PopupUp);
  else
    W->Show(R, AItem, StartIndex, PopupByItem, PopupUp);
}

void TbsSkinMenu::CloseMenuLevels(int Level) {
  if (Level < 0) Level = 0;
  while (int(FPopupList.size()) > Level) {
    TbsSkinPopupWindow* W = FPopupList.back();
    FPopupList.pop_back();
    if (WItem && WItem->Parent == W) StopWaiting();
    W->Hide();
    W->Release();
  }
  if (Level != 0) return;
  const bool WasVisible = FVisible;
  FVisible = false;
  StopWaiting();
  DCtrl = PopupCtrl;
  if (TControl* C = PopupCtrl) {
    PopupCtrl = nullptr;
    SendMenuMessage(C, MSG_SKIN_MENU_CLOSED);
  }
  if (TNotifyEvent E = std::move(OnMenuClose)) {
    OnMenuClose = nullptr;
    E(this);
  }
  if (WasVisible && OnEnded) OnEnded();
}

void TbsSkinMenu::Hide() {
  CloseMenuLevels(0);
  StopWaiting();
  if (FForm) SendMenuMessage(FForm, MSG_SKIN_MENU_CLOSED);
  if (TControl* C = PopupCtrl) {
    PopupCtrl = nullptr;
    SendMenuMessage(C, MSG_SKIN_MENU_CLOSED);
  }
}

void TbsSkinMenu::MenuItemClick(TbsSkinPopupWindow* Window, TbsSkinMenuItem* Item, bool Click, bool Kb) {
  TMenuItem* MI = Item->MenuItem;
  const bool HasSub = MI->Count() > 0;
  const int Below = WindowIndex(Window) + 1;
  if (!HasSub) {
    StopWaiting();
    if (!Click) {
      if (Below < WindowCount()) CloseMenuLevels(Below);
      return;
    }
    // The menu is gone before the command runs, so the command may open
    // another menu or a dialog.
    Hide();
    if (forms::TMenu* M = MI->GetParentMenu())
      M->DispatchCommand(MI->Command());
    else
      MI->Click();
    if (TControl* C = DCtrl) {
      DCtrl = nullptr;
      SendMenuMessage(C, MSG_SKIN_MENU_COMMAND_DONE);
    }
    return;
  }
  if (!Click) {
    if (Kb) return;
    StopWaiting();
    if (Below < WindowCount()) CloseMenuLevels(Below);
    WItem = Item;
    WaitTimer->SetEnabled(true);
    return;
  }
  auto Live = Window->Liveness();
  if (forms::TMenu* M = MI->GetParentMenu())
    M->DispatchCommand(MI->Command());
  else
    MI->Click();
  if (!Live.Alive() || WindowIndex(Window) == WindowCount()) return;  // the handler closed the menu
  StopWaiting();
  if (Below < WindowCount()) CloseMenuLevels(Below);
  Item->Down = true;
  TRect R = Item->ObjectRect;
  R = {R.Left + Window->Left(), R.Top + Window->Top(), R.Right + Window->Left(), R.Bottom + Window->Top()};
  OpenLevel(R, MI, nullptr, 0, true, false);
}

void TbsSkinMenu::SubmenuWaitTimer() {
  TbsSkinMenuItem* I = WItem;
  StopWaiting();
  if (I && WindowIndex(I->Parent) < WindowCount()) MenuItemClick(I->Parent, I, true, false);
}

}  // namespace skin
