#include "skin/controls/bsSkinImagesMenu.h"

#include <chrono>
#include <thread>

#include "platform/forms/Forms.h"
#include "platform/gdi/Gdi.h"
#include "skin/controls/bsAppMessageFilters.h"
#include "skin/controls/bsSkinMenuIntf.h"
#include "skin/images/bsLayerManager.h"
#include "skin/images/bsSkinRegions.h"

namespace skin {

using gdi::TCanvas;

namespace {

constexpr TColor kNavy = 0x800000, kPressed = 0xB59385, kHot = 0xD2BDB6;

bool IsImagesMenuCloseMessage(unsigned Msg) {
  if (Msg == win::WM_SYSKEYDOWN || Msg == win::WM_SYSCHAR) return true;
  return Msg != win::WM_LBUTTONDOWN && IsMenuCloseMessage(Msg);  // a left press is the window's own
}

}  // namespace

void TbsImagesMenuItem::Assign(const TbsImagesMenuItem& Source) {
  FImageIndex = Source.FImageIndex;
  FCaption = Source.FCaption;
  FButton = Source.FButton;
  FHint = Source.FHint;
}

// ------------------------------------------------------------------ component
TbsSkinImagesMenu::TbsSkinImagesMenu(TComponent* AOwner) : TComponent(AOwner) {
  FDefaultFont = MakeDefaultFont([] {});
}

TbsSkinImagesMenu::~TbsSkinImagesMenu() {
  if (FPopupWindow) {
    TbsSkinImagesMenuPopupWindow* W = FPopupWindow;
    FPopupWindow = nullptr;
    W->Hide(false);
  }
}

void TbsSkinImagesMenu::Notification(TComponent* AComponent, rtl::TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != rtl::opRemove) return;
  if (AComponent == FImages) FImages = nullptr;
  if (AComponent == SkinData) SkinData = nullptr;
  if (AComponent == SkinHint) SkinHint = nullptr;
}

void TbsSkinImagesMenu::SetImages(forms::TCustomImageList* Value) {
  FImages = Value;
  if (Value) Value->FreeNotification(this);
}

void TbsSkinImagesMenu::SetSkinData(TbsSkinData* Value) {
  SkinData = Value;
  if (Value) Value->FreeNotification(this);
}

void TbsSkinImagesMenu::SetSkinHint(TComponent* Value) {
  SkinHint = Value;
  if (Value) Value->FreeNotification(this);
}

void TbsSkinImagesMenu::SetColumnsCount(int Value) {
  if (Value >= 1 && Value <= 50) FColumnsCount = Value;
}

TbsImagesMenuItem* TbsSkinImagesMenu::GetSelectedItem() {
  if (FItemIndex < 0 || FItemIndex >= int(Items.size())) return nullptr;
  return &Items[std::size_t(FItemIndex)];
}

void TbsSkinImagesMenu::PopupFromRect(TRect R) {
  if (FPopupWindow) FPopupWindow->Hide(false);
  if (OnMenuPopup) OnMenuPopup(this);
  // Without items there is no grid to lay out: nothing opens.
  if (!FImages || FImages->Count() == 0 || Items.empty() || FPopupWindow) return;
  FOldItemIndex = FItemIndex;
  FPopupWindow = new TbsSkinImagesMenuPopupWindow(this);
  FPopupWindow->Show(R);
}

void TbsSkinImagesMenu::Hide() {
  if (FPopupWindow) FPopupWindow->Hide(false);
}

void TbsSkinImagesMenu::CloseImagesWindow(bool AProcessEvents) {
  if (FPopupWindow) {
    FPopupWindow->Release();
    FPopupWindow = nullptr;
  }
  if (FOnInternalMenuClose) FOnInternalMenuClose(this);
  if (OnMenuClose) OnMenuClose(this);
  if (!AProcessEvents || FItemIndex == -1) return;
  if (TbsImagesMenuItem* I = GetSelectedItem())
    if (TNotifyEvent E = I->FOnClick) E(this);
  if (OnItemClick) OnItemClick(this);
  if (FItemIndex != FOldItemIndex) {
    if (FOnInternalChange) FOnInternalChange(this);
    if (OnChange) OnChange(this);
  }
}

// ------------------------------------------------------------------ window
TbsSkinImagesMenuPopupWindow::TbsSkinImagesMenuPopupWindow(TbsSkinImagesMenu* AOwner)
    : TCustomControl(AOwner), ImagesMenu(AOwner) {
  SetVisible(false);
}

TbsSkinImagesMenuPopupWindow::~TbsSkinImagesMenuPopupWindow() {
  if (FHooked) RemoveAppMessageFilter(this);
}

void TbsSkinImagesMenuPopupWindow::CreateParams(forms::TCreateParams& P) {
  TCustomControl::CreateParams(P);
  MenuPopupWindowParams(P);
}

TbsImagesMenuHint* TbsSkinImagesMenuPopupWindow::Hint() const {
  return dynamic_cast<TbsImagesMenuHint*>(ImagesMenu->SkinHint);
}

void TbsSkinImagesMenuPopupWindow::HideCellHint() {
  if (TbsImagesMenuHint* H = Hint(); H && ImagesMenu->ShowHints) H->HideHint();
}

void TbsSkinImagesMenuPopupWindow::LayoutCells() {
  TbsSkinImagesMenu* M = ImagesMenu;
  forms::TCustomImageList* L = M->FImages;
  const int cw = L->Width() + 10, ch = L->Height() + 10;
  RowWidth = M->ColumnsCount() * cw;
  int x0 = 5, y = 5;
  if (FSkinSupport) {
    x0 = M->SkinData->PopupWindow->ItemsRect.Left;
    y = M->SkinData->PopupWindow->ItemsRect.Top;
  }
  auto* Label = NamedSkinControl<TbsDataSkinLabelControl>(M->SkinData, {u"label"});
  int x = x0;
  for (TbsImagesMenuItem& I : M->Items) {
    if (I.FHeader || I.FButton) {
      if (x != x0) y += ch + 1;
      const int h = I.FHeader && Label ? RectHeight(Label->SkinRect) : ch;
      I.ItemRect = {x0, y, x0 + RowWidth, y + h};
      y += h + 1;
      x = x0;
    } else {
      I.ItemRect = {x, y, x + cw, y + ch};
      x += cw;
      if (x + cw > x0 + RowWidth) {
        x = x0;
        y += ch + 1;
      }
    }
  }
}

void TbsSkinImagesMenuPopupWindow::SizeImagesWindow() {
  TbsSkinImagesMenu* M = ImagesMenu;
  const TRect First = M->Items.front().ItemRect;
  const int h = M->Items.back().ItemRect.Bottom - First.Top;
  int W = RowWidth + 10, H = h + 10;
  if (FSkinSupport) {
    TbsDataSkinPopupWindow* PW = M->SkinData->PopupWindow.get();
    const int pw = WindowPicture->Width(), ph = WindowPicture->Height();
    W = pw + RowWidth - RectWidth(PW->ItemsRect);
    H = ph + h - RectHeight(PW->ItemsRect);
    NewLTPoint = PW->LTPoint;
    NewRTPoint = {PW->RTPoint.X + W - pw, PW->RTPoint.Y};
    NewLBPoint = {PW->LBPoint.X, PW->LBPoint.Y + H - ph};
    NewRBPoint = {PW->RBPoint.X + W - pw, PW->RBPoint.Y + H - ph};
    NewItemsRect = {PW->ItemsRect.Left, PW->ItemsRect.Top, PW->ItemsRect.Right + W - pw, PW->ItemsRect.Bottom + H - ph};
  }
  SetBounds(Left(), Top(), W, H);
  HandleNeeded();
  if (FSkinSupport && MaskPicture) {
    TbsDataSkinPopupWindow* PW = M->SkinData->PopupWindow.get();
    gdi::HRGN Rgn = nullptr;
    CreateSkinMaskRegion(Rgn, PW->LTPoint, PW->RTPoint, PW->LBPoint, PW->RBPoint, PW->ItemsRect, NewLTPoint,
                         NewRTPoint, NewLBPoint, NewRBPoint, NewItemsRect, MaskPicture, W, H);
    win::SetWindowRgn(Handle(), Rgn, true);
  }
}

void TbsSkinImagesMenuPopupWindow::PlaceImagesWindow(TRect R, int& X, int& Y) {
  win::HWND Ref = nullptr;
  if (forms::Screen && forms::Screen->ActiveCustomForm() && forms::Screen->ActiveCustomForm()->HandleAllocated())
    Ref = forms::Screen->ActiveCustomForm()->Handle();
  else if (forms::Application && forms::Application->MainForm() && forms::Application->MainForm()->Visible())
    Ref = forms::Application->MainForm()->Handle();
  else if (auto* C = dynamic_cast<forms::TWinControl*>(ImagesMenu->Owner()); C && C->HandleAllocated())
    Ref = C->Handle();
  TRect A;
  GetScreenWorkArea(true, A);
  if (Ref) GetMonitorWorkArea(Ref, true, A);
  X = R.Left;
  Y = R.Bottom;
  if (Y + Height() > A.Bottom) Y = R.Top - Height();
  if (X + Width() > A.Right) X = A.Right - Width();
  if (X < A.Left) X = A.Left;
  if (Y < A.Top) Y = A.Top;
}

void TbsSkinImagesMenuPopupWindow::Show(TRect PopupRect) {
  TbsSkinImagesMenu* M = ImagesMenu;
  TbsSkinData* SD = M->SkinData;
  FSkinSupport = false;
  if (SD && !SD->Empty && SD->PopupWindow->WindowPictureIndex != -1) {
    WindowPicture = SkinPictureAt(SD, SD->PopupWindow->WindowPictureIndex);
    MaskPicture = SkinPictureAt(SD, SD->PopupWindow->MaskPictureIndex);
    FSkinSupport = WindowPicture != nullptr;  // a missing picture gives the plain look
  }
  LayoutCells();
  SizeImagesWindow();
  int X, Y;
  PlaceImagesWindow(PopupRect, X, Y);
  SetBounds(X, Y, Width(), Height());
  const bool Layered = IsLayeringSupported() && M->AlphaBlend;
  if (Layered) {
    win::SetWindowLongW(Handle(), win::GWL_EXSTYLE, win::GetWindowLongW(Handle(), win::GWL_EXSTYLE) | win::WS_EX_LAYERED);
    SetWindowAlphaValue(Handle(), M->AlphaBlendAnimation ? 0 : M->AlphaBlendValue);
  }
  win::SetWindowPos(Handle(), win::HWND_TOPMOST, X, Y, 0, 0, win::SWP_SHOWWINDOW | win::SWP_NOACTIVATE | win::SWP_NOSIZE);
  SetVisible(true);
  Invalidate();
  if (Layered && M->AlphaBlendAnimation) {
    auto Live = Liveness();
    if (forms::Application) forms::Application->ProcessMessages();
    if (!Live.Alive() || FClosing) return;
    for (int Alpha = 0; Alpha < M->AlphaBlendValue;) {
      std::this_thread::sleep_for(std::chrono::milliseconds(6));
      Alpha = std::min(Alpha + 10, int(M->AlphaBlendValue));
      SetWindowAlphaValue(Handle(), std::uint8_t(Alpha));
      win::UpdateWindow(Handle());
    }
  }
  AddAppMessageFilter(this, [this](win::MSG& Msg) { return AppMessage(Msg); });
  FHooked = true;
  win::SetCapture(Handle());
}

void TbsSkinImagesMenuPopupWindow::Hide(bool AProcessEvents) {
  if (FClosing) return;
  FClosing = true;
  HideCellHint();
  if (HandleAllocated())
    win::SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                      win::SWP_HIDEWINDOW | win::SWP_NOACTIVATE | win::SWP_NOZORDER | win::SWP_NOMOVE |
                          win::SWP_NOSIZE);
  SetVisible(false);
  if (FHooked) {
    RemoveAppMessageFilter(this);
    FHooked = false;
  }
  if (HandleAllocated() && win::GetCapture() == Handle()) win::ReleaseCapture();
  if (ImagesMenu->FPopupWindow == this)
    ImagesMenu->CloseImagesWindow(AProcessEvents);
  else
    Release();
}

// ------------------------------------------------------------------ painting
void TbsSkinImagesMenuPopupWindow::Paint() {
  TbsSkinData* SD = ImagesMenu->SkinData;
  FSkinSupport = FSkinSupport && SD && !SD->Empty && WindowPicture;
  const int W = Width(), H = Height();
  TBitmap B(W, H);
  TCanvas* C = B.Canvas();
  if (FSkinSupport) {
    TbsDataSkinPopupWindow* PW = SD->PopupWindow.get();
    ComposeSkinImage2(PW->LTPoint, PW->RTPoint, PW->LBPoint, PW->RBPoint, PW->ItemsRect, NewLTPoint, NewRTPoint,
                      NewLBPoint, NewRBPoint, NewItemsRect, &B, WindowPicture,
                      {0, 0, WindowPicture->Width(), WindowPicture->Height()}, W, H, true, PW->LeftStretch,
                      PW->TopStretch, PW->RightStretch, PW->BottomStretch, PW->StretchEffect, PW->StretchType);
  } else {
    C->Pen()->SetColor(gdi::clBtnShadow);
    C->Brush()->SetStyle(gdi::bsSolid);
    C->Brush()->SetColor(gdi::clWindow);
    C->Rectangle(0, 0, W, H);
  }
  DrawCells(C);
  gdi::BitBlt(Canvas()->Handle(), 0, 0, W, H, C->Handle(), 0, 0, gdi::SRCCOPY);
}

void TbsSkinImagesMenuPopupWindow::DrawCells(TCanvas* C) {
  TbsSkinImagesMenu* M = ImagesMenu;
  const int Selected = M->ShowSelectedItem ? M->ItemIndex() : -1;
  forms::TCustomImageList* L = M->FImages;
  for (int i = 0; i < int(M->Items.size()); ++i) {
    const TbsImagesMenuItem& I = M->Items[std::size_t(i)];
    if (I.FHeader) {
      DrawHeaderCell(C, I.ItemRect, I.FCaption);
      continue;
    }
    const bool IsSelected = i == Selected && !FItemDown;
    const bool IsHot = i == MouseInItem;
    if (IsSelected)
      DrawCellFrame(C, I.ItemRect, true);
    else if (IsHot)
      DrawCellFrame(C, I.ItemRect, FItemDown);
    int Offset = 0;
    if (L && I.FImageIndex >= 0 && I.FImageIndex < L->Count()) {
      L->Draw(C, I.ItemRect.Left + 5, I.ItemRect.Top + 5, I.FImageIndex, true);
      Offset = L->Width() + 5;
    }
    if (I.FButton && !I.FCaption.empty()) {
      TRect T = I.ItemRect;
      T.Left += Offset;
      DrawCellText(C, I.FCaption, T, IsSelected || (IsHot && FItemDown), IsHot && !FItemDown && !IsSelected);
    }
  }
}

void TbsSkinImagesMenuPopupWindow::DrawCellFrame(TCanvas* C, TRect R, bool Pressed) {
  TbsSkinData* SD = ImagesMenu->SkinData;
  auto* BC = FSkinSupport ? NamedSkinControl<TbsDataSkinButtonControl>(SD, {u"menuitembutton", u"resizebutton"}) : nullptr;
  TBitmap* Pic = BC ? SkinPictureAt(SD, BC->PictureIndex) : nullptr;
  if (Pic) {
    TRect Src = Pressed && !IsEmptyRect(BC->DownSkinRect) ? BC->DownSkinRect : BC->ActiveSkinRect;
    if (IsEmptyRect(Src)) Src = BC->SkinRect;
    DrawButtonDescriptionImage(C, BC, Pic, Src, R);
    return;
  }
  C->Brush()->SetStyle(gdi::bsSolid);
  C->Brush()->SetColor(Pressed ? kPressed : kHot);
  C->FillRect(R);
  C->Brush()->SetColor(kNavy);
  C->FrameRect(R);
}

void TbsSkinImagesMenuPopupWindow::DrawCellText(TCanvas* C, const String& Text, TRect R, bool Pressed, bool Hot) {
  TbsSkinImagesMenu* M = ImagesMenu;
  TbsSkinData* SD = M->SkinData;
  auto* BC = FSkinSupport ? NamedSkinControl<TbsDataSkinButtonControl>(SD, {u"menuitembutton", u"resizebutton"}) : nullptr;
  TbsDataSkinMenuItem* MI = FSkinSupport ? SkinMenuItemObject(SD) : nullptr;
  if (BC && MI) {
    if (M->UseSkinFont)
      ApplyDescriptionFont(C->Font(), BC->FontName, BC->FontHeight, BC->FontStyle);
    else
      C->Font()->Assign(M->DefaultFont());
    C->Font()->SetColor(Pressed ? BC->DownFontColor : Hot ? BC->ActiveFontColor : MI->FontColor);
  } else {
    C->Font()->Assign(M->DefaultFont());
    C->Font()->SetColor(gdi::clWindowText);
  }
  C->Brush()->SetStyle(gdi::bsClear);
  TRect M1{0, 0, 0, 0};
  DrawWideText(C, Text, M1, gdi::DT_CALCRECT | gdi::DT_SINGLELINE);
  unsigned Flags = gdi::DT_SINGLELINE | gdi::DT_VCENTER;
  if (RectWidth(M1) <= RectWidth(R)) Flags |= gdi::DT_CENTER;
  DrawWideText(C, Text, R, Flags);
}

void TbsSkinImagesMenuPopupWindow::DrawHeaderCell(TCanvas* C, TRect R, const String& Caption) {
  TbsSkinData* SD = ImagesMenu->SkinData;
  auto* L = NamedSkinControl<TbsDataSkinLabelControl>(SD, {u"label"});
  C->Brush()->SetStyle(gdi::bsClear);
  if (auto Img = SkinLabelStrip(SD, L, RectWidth(R), Caption))
    C->Draw(R.Left, R.Top, Img.get());
  else
    DrawWideText(C, Caption, R, gdi::DT_SINGLELINE | gdi::DT_VCENTER | gdi::DT_CENTER);
}

// ------------------------------------------------------------------ mouse
int TbsSkinImagesMenuPopupWindow::CellAtPos(TPoint P) const {
  const auto& Items = ImagesMenu->Items;
  for (int i = 0; i < int(Items.size()); ++i) {
    const TRect& R = Items[std::size_t(i)].ItemRect;
    if (!Items[std::size_t(i)].FHeader && PointInRectInclusive(R, P)) return i;
  }
  return -1;
}

void TbsSkinImagesMenuPopupWindow::TrackCellHover(TPoint P) {
  MouseInItem = CellAtPos(P);
  TbsImagesMenuHint* H = Hint();
  if (H && MouseInItem == -1) H->HideHint();
  if (MouseInItem == OldMouseInItem) return;
  OldMouseInItem = MouseInItem;
  Invalidate();
  if (ImagesMenu->ShowHints && MouseInItem != -1 && H) {
    H->HideHint();
    const String& Text = ImagesMenu->Items[std::size_t(MouseInItem)].FHint;
    if (!Text.empty()) H->ActivateHint2(Text);
  }
}

void TbsSkinImagesMenuPopupWindow::MouseMove(forms::TShiftState Shift, int X, int Y) {
  TCustomControl::MouseMove(Shift, X, Y);
  TrackCellHover({X, Y});
}

void TbsSkinImagesMenuPopupWindow::MouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  HideCellHint();
  FDown = true;
  FItemDown = CellAtPos({X, Y}) != -1;
  Invalidate();
}

void TbsSkinImagesMenuPopupWindow::MouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) {
  auto Live = Liveness();
  TCustomControl::MouseUp(Button, Shift, X, Y);
  if (!Live.Alive() || FClosing) return;
  const int Cell = CellAtPos({X, Y});
  if (FDown && Cell != -1) {
    ImagesMenu->SetItemIndex(Cell);
    Hide(true);
    return;
  }
  // The framework lets go of the capture on release: take it again.
  if (win::GetCapture() == Handle()) win::ReleaseCapture();
  win::SetCapture(Handle());
}

void TbsSkinImagesMenuPopupWindow::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case win::WM_MOUSEACTIVATE: M.Result = win::MA_NOACTIVATE; return;
    case win::WM_ERASEBKGND: M.Result = 1; return;
    case forms::CM_MOUSEENTER: return;
    case forms::CM_VISIBLECHANGED: return;  // shown and hidden without activation
    case forms::CM_MOUSELEAVE:
      HideCellHint();
      MouseInItem = OldMouseInItem = -1;
      Invalidate();
      return;
  }
  auto Live = Liveness();
  TCustomControl::Dispatch(M);
  if (!Live.Alive() || FClosing) return;
  if (M.Msg == win::WM_LBUTTONDOWN || M.Msg == win::WM_LBUTTONDBLCLK) {
    win::POINT P;
    win::GetCursorPos(&P);
    if (win::WindowFromPoint(P) != Handle()) Hide(false);  // a click outside
  }
}

// ------------------------------------------------------------------ keys
bool TbsSkinImagesMenuPopupWindow::AppMessage(win::MSG& Msg) {
  if (FClosing) return false;
  if (Msg.message == win::WM_KEYDOWN) {
    const int Key = int(Msg.wParam);
    Msg.message = 0;
    ImagesMenuKeyDown(Key);
    return true;
  }
  if (IsImagesMenuCloseMessage(Msg.message)) Hide(false);
  return false;
}

void TbsSkinImagesMenuPopupWindow::Select(int Index) {
  if (Index == MouseInItem) return;
  MouseInItem = Index;
  Invalidate();
}

void TbsSkinImagesMenuPopupWindow::ImagesMenuKeyDown(int Key) {
  switch (Key) {
    case win::VK_RETURN:
    case win::VK_SPACE:
      if (MouseInItem != -1) ImagesMenu->SetItemIndex(MouseInItem);
      Hide(true);
      break;
    case win::VK_ESCAPE: Hide(false); break;
    case win::VK_LEFT: SelectCellLeft(); break;
    case win::VK_UP: SelectCellUp(); break;
    case win::VK_RIGHT: SelectCellRight(); break;
    case win::VK_DOWN: SelectCellDown(); break;
  }
}

void TbsSkinImagesMenuPopupWindow::SelectCellLeft() {
  const auto& It = ImagesMenu->Items;
  const int N = int(It.size());
  const int Last = N - 1;
  if (MouseInItem == -1 || MouseInItem == 0 || (MouseInItem == 1 && It[0].FHeader && N >= 2)) {
    Select(Last);
    return;
  }
  for (int i = MouseInItem - 1; i >= 0; --i)
    if (!It[std::size_t(i)].FHeader) {
      Select(i);
      return;
    }
}

void TbsSkinImagesMenuPopupWindow::SelectCellRight() {
  const auto& It = ImagesMenu->Items;
  const int N = int(It.size());
  if (MouseInItem == -1 || MouseInItem == N - 1) {
    Select(It[0].FHeader && N > 1 ? 1 : 0);
    return;
  }
  for (int i = MouseInItem + 1; i < N; ++i)
    if (!It[std::size_t(i)].FHeader) {
      Select(i);
      return;
    }
}

void TbsSkinImagesMenuPopupWindow::SelectCellUp() {
  const auto& It = ImagesMenu->Items;
  if (MouseInItem == -1) {
    Select(int(It.size()) - 1);
    return;
  }
  const TRect Cur = It[std::size_t(MouseInItem)].ItemRect;
  for (int i = MouseInItem - 1; i >= 0; --i) {
    const TbsImagesMenuItem& I = It[std::size_t(i)];
    if (I.FHeader) continue;
    if (I.ItemRect.Top < Cur.Top && (I.FButton || I.ItemRect.Left == Cur.Left)) {
      Select(i);
      return;
    }
  }
}

void TbsSkinImagesMenuPopupWindow::SelectCellDown() {
  const auto& It = ImagesMenu->Items;
  const int N = int(It.size());
  if (MouseInItem == -1) {
    Select(It[0].FHeader && N > 1 ? 1 : 0);
    return;
  }
  const TRect Cur = It[std::size_t(MouseInItem)].ItemRect;
  for (int i = MouseInItem + 1; i < N; ++i) {
    const TbsImagesMenuItem& I = It[std::size_t(i)];
    if (I.FHeader) continue;
    if (I.ItemRect.Top > Cur.Top && (I.FButton || I.ItemRect.Left == Cur.Left)) {
      Select(i);
      return;
    }
  }
}

}  // namespace skin
