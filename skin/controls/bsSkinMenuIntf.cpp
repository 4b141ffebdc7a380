#include "skin/controls/bsSkinMenuIntf.h"

#include "platform/forms/Forms.h"

namespace skin {

bool IsMenuCloseMessage(unsigned Msg) {
  switch (Msg) {
    case win::WM_MOVE:
    case win::WM_SIZE:
    case win::WM_ACTIVATE:
    case win::WM_KILLFOCUS:
    case win::WM_CANCELMODE:
    case win::WM_MOUSEACTIVATE:
    case win::WM_NCLBUTTONDOWN:
    case win::WM_NCRBUTTONDOWN:
    case win::WM_NCMBUTTONDOWN:
    case win::WM_LBUTTONDOWN:
    case win::WM_RBUTTONDOWN:
    case win::WM_MBUTTONDOWN:
    case win::WM_PARENTNOTIFY: return true;
    default: return false;
  }
}

TbsDataSkinMenuItem* SkinMenuItemObject(TbsSkinData* SD) {
  if (!SD || SD->Empty) return nullptr;
  for (const char16_t* Name : {u"menuitem", u"MENUITEM"}) {
    const int i = SD->GetIndex(Name);
    if (i >= 0)
      if (auto* MI = dynamic_cast<TbsDataSkinMenuItem*>(SD->ObjectList[std::size_t(i)].get())) return MI;
  }
  return nullptr;
}

std::unique_ptr<TBitmap> SkinLabelStrip(TbsSkinData* SD, TbsDataSkinLabelControl* L, int Width, const String& Text) {
  TBitmap* Pic = L ? SkinPictureAt(SD, L->PictureIndex) : nullptr;
  if (!Pic || IsEmptyRect(L->SkinRect)) return nullptr;
  auto Img = std::make_unique<TBitmap>();
  ComposeHorzSkinImage(L->LTPoint.X, RectWidth(L->SkinRect) - L->RTPoint.X, Img.get(), Pic, L->SkinRect, Width,
                       RectHeight(L->SkinRect), L->StretchEffect);
  gdi::TCanvas* C = Img->Canvas();
  ApplyDescriptionFont(C->Font(), L->FontName, L->FontHeight, L->FontStyle);
  C->Font()->SetColor(L->FontColor);
  C->Brush()->SetStyle(gdi::bsClear);
  TRect T{L->ClRect.Left, L->ClRect.Top, Img->Width() + L->ClRect.Right - RectWidth(L->SkinRect), Img->Height()};
  DrawWideText(C, Text, T, gdi::DT_CENTER | gdi::DT_VCENTER | gdi::DT_SINGLELINE);
  return Img;
}

void MenuPopupWindowParams(forms::TCreateParams& P) {
  P.Style = win::WS_POPUP;
  P.ExStyle = win::WS_EX_TOOLWINDOW | win::WS_EX_TOPMOST | win::WS_EX_NOACTIVATE;
  P.WindowClass.style |= win::CS_SAVEBITS;
  if (IsWindowsXPOrLater()) P.WindowClass.style |= win::CS_DROPSHADOW;
  P.WndParent = forms::Application ? forms::Application->Handle() : nullptr;
}

void DrawButtonDescriptionImage(gdi::TCanvas* C, TbsDataSkinButtonControl* D, TBitmap* P, TRect Src, TRect R) {
  const int dW = RectWidth(R) - RectWidth(D->SkinRect), dH = RectHeight(R) - RectHeight(D->SkinRect);
  TBitmap B;
  ComposeSkinImage(D->LTPoint, D->RTPoint, D->LBPoint, D->RBPoint, D->ClRect, D->LTPoint,
                   {D->RTPoint.X + dW, D->RTPoint.Y}, {D->LBPoint.X, D->LBPoint.Y + dH},
                   {D->RBPoint.X + dW, D->RBPoint.Y + dH},
                   {D->ClRect.Left, D->ClRect.Top, D->ClRect.Right + dW, D->ClRect.Bottom + dH}, &B, P, Src,
                   RectWidth(R), RectHeight(R), true, D->LeftStretch, D->TopStretch, D->RightStretch,
                   D->BottomStretch, D->StretchEffect, D->StretchType);
  C->Draw(R.Left, R.Top, &B);
}

TbsSkinMenuEngine* FindFormMenuEngine(forms::TCustomForm* AForm) {
  if (!AForm) return nullptr;
  for (int i = 0; i < AForm->ComponentCount(); ++i)
    if (auto* E = dynamic_cast<TbsSkinMenuEngine*>(AForm->Components(i))) return E;
  return nullptr;
}

TbsSkinMenuEngine* FindMenuFrame(TbsSkinPopupMenu* Menu) {
  if (Menu->SkinComponent) return dynamic_cast<TbsSkinMenuEngine*>(Menu->SkinComponent);
  if (Menu->ComponentForm) return FindFormMenuEngine(Menu->ComponentForm);
  forms::TCustomForm* F = dynamic_cast<forms::TCustomForm*>(Menu->Owner());
  if (!F && Menu->Owner()) F = dynamic_cast<forms::TCustomForm*>(Menu->Owner()->Owner());
  TbsSkinMenuEngine* E = FindFormMenuEngine(F);
  if (E && F->FormStyle() == forms::fsMDIChild && forms::Application)
    E = FindFormMenuEngine(forms::Application->MainForm());
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
