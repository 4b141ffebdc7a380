#include <chrono>
#include <thread>

#include "platform/gdi/Gdi.h"
#include "skin/images/bsLayerManager.h"
#include "skin/images/bsSkinRegions.h"
#include "skin/menus/bsSkinMenus.h"
#include "platform/forms/Actions.h"

namespace skin {

using forms::TMenuItem;
using gdi::TCanvas;

namespace {

constexpr int kMarker = 10;  // height of a scroll marker

TbsDataSkinMenuItem* FirstMenuItemObject(TbsSkinData* SD) {
  if (!SD || SD->Empty) return nullptr;
  for (auto& O : SD->ObjectList)
    if (auto* MI = dynamic_cast<TbsDataSkinMenuItem*>(O.get())) return MI;
  return nullptr;
}

String RowText(const TMenuItem* I) {
  String S = I->Caption();
  if (I->ShortCut() != 0) S += u"  " + forms::ShortCutToText(I->ShortCut());
  return S;
}

}  // namespace

TbsSkinPopupWindow::TbsSkinPopupWindow(TComponent* AOwner, TbsSkinMenu* AParentMenu, TbsDataSkinPopupWindow* AData)
    : TCustomControl(AOwner), ParentMenu(AParentMenu) {
  SetVisible(false);
  MouseTimer = std::make_unique<forms::TTimer>(nullptr);
  MouseTimer->SetEnabled(false);
  MouseTimer->SetInterval(50);
  MouseTimer->OnTimer = [this](TObject*) { PollMouse(); };
  MorphTimer = std::make_unique<forms::TTimer>(nullptr);
  MorphTimer->SetEnabled(false);
  MorphTimer->SetInterval(20);
  MorphTimer->OnTimer = [this](TObject*) { MorphTimerTick(); };
  // The skinned look needs the window picture and a menu-item object with a
  // picture of its own; a skin that lacks either is shown in the plain look.
  TbsSkinData* ASD = AParentMenu ? AParentMenu->SkinData : nullptr;
  if (AData && AData->WindowPictureIndex != -1 && ASD) {
    TBitmap* WP = SkinPictureAt(ASD, AData->WindowPictureIndex);
    TbsDataSkinMenuItem* MI = FirstMenuItemObject(ASD);
    if (WP && MI && SkinPictureAt(ASD, MI->ActivePictureIndex)) {
      PW = AData;
      SD = ASD;
      WindowPicture = WP;
      MaskPicture = SkinPictureAt(ASD, AData->MaskPictureIndex);
    }
  }
}

TbsSkinPopupWindow::~TbsSkinPopupWindow() {
  if (ParentMenu) {
    for (auto& R : ItemList) ParentMenu->ForgetItem(R.get());
  }
  MouseTimer->SetEnabled(false);
  MorphTimer->SetEnabled(false);
  if (HandleAllocated()) win::KillTimer(Handle(), 1);
  ItemList.clear();
}

void TbsSkinPopupWindow::CreateParams(forms::TCreateParams& P) {
  TCustomControl::CreateParams(P);
  MenuPopupWindowParams(P);
}

void TbsSkinPopupWindow::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case win::WM_MOUSEACTIVATE: M.Result = win::MA_NOACTIVATE; return;
    case win::WM_ERASEBKGND: M.Result = 1; return;  // Paint draws everything through one buffer
    case win::WM_TIMER:
      if (M.WParam == 1) {
        ScrollTimerTick();
        return;
      }
      break;
    case win::WM_NCHITTEST: M.Result = win::HTCLIENT; return;
    case forms::CM_VISIBLECHANGED: return;  // shown and hidden without activation by Show and Hide
  }
  TCustomControl::Dispatch(M);
}

// ------------------------------------------------------------------ showing
namespace {

// A menu that reduces its lines hides the separators that separate nothing.
void ReduceLines(TMenuItem* AItem) {
  if (forms::TMenu* M = AItem->GetParentMenu(); M && M->AutoLineReduction() == forms::maAutomatic)
    AItem->RethinkLines();
}

}  // namespace

void TbsSkinPopupWindow::Show(TRect R, TMenuItem* AItem, int StartIndex, bool PopupByItem, bool PopupUp) {
  ReduceLines(AItem);
  std::vector<TMenuItem*> Items;
  for (int i = std::max(StartIndex, 0); i < AItem->Count(); ++i) Items.push_back(AItem->Items(i));
  ImgL = AItem->GetParentMenu() ? AItem->GetParentMenu()->Images() : nullptr;
  ShowItems(R, Items, false, PopupByItem, PopupUp);
}

void TbsSkinPopupWindow::Show2(TRect R, TMenuItem* AItem, TMenuItem* AItem2, int StartIndex, bool PopupByItem,
                               bool PopupUp) {
  ReduceLines(AItem);
  ReduceLines(AItem2);
  std::vector<TMenuItem*> Items;
  for (int i = std::max(StartIndex, 0); i < AItem->Count(); ++i) Items.push_back(AItem->Items(i));
  for (int i = std::max(StartIndex - AItem->Count(), 0); i < AItem2->Count(); ++i) Items.push_back(AItem2->Items(i));
  ImgL = AItem->GetParentMenu() ? AItem->GetParentMenu()->Images() : nullptr;
  ShowItems(R, Items, true, PopupByItem, PopupUp);
}

void TbsSkinPopupWindow::ShowItems(TRect R, const std::vector<TMenuItem*>& Items, bool Two, bool PopupByItem,
                                   bool PopupUp) {
  TbsSkinMenu* M = ParentMenu;
  const bool Fade = IsLayeringSupported() && M->AlphaBlend && M->AlphaBlendAnimation && M->First();
  if (Fade && forms::Application) forms::Application->ProcessMessages();

  // 1. Rows.
  DSMI = PW ? FirstMenuItemObject(SD) : nullptr;
  ItemList.clear();
  for (TMenuItem* I : Items)
    if (I->Visible()) {
      // The action brings the item up to date before its row is made.
      if (forms::TBasicAction* A = I->Action()) A->Update();
      I->FreeNotification(ParentMenu);
      ItemList.push_back(std::make_unique<TbsSkinMenuItem>(this, I, DSMI));
    }

  // 2. Width, measured in the rows' font.
  TBitmap Measure(1, 1);
  TCanvas* MC = Measure.Canvas();
  if (DSMI && M->UseSkinFont)
    ApplyDescriptionFont(MC->Font(), DSMI->FontName, DSMI->FontHeight, DSMI->FontStyle);
  else
    MC->Font()->Assign(M->DefaultMenuItemFont());
  int MaxW = 0;
  for (auto& Row : ItemList) {
    TRect TR{0, 0, 0, 0};
    DrawWideText(MC, RowText(Row->MenuItem), TR, gdi::DT_CALCRECT);
    MaxW = std::max(MaxW, TR.Right + 2);
  }
  GlyphWidth = ImgL ? ImgL->Width() + 5 : 19;
  int W, FrameH;
  if (PW) {
    W = MaxW + GlyphWidth + 19 + DSMI->TextRct.Left + (RectWidth(DSMI->SkinRect) - DSMI->TextRct.Right) +
        (WindowPicture->Width() - PW->ItemsRect.Right + PW->ItemsRect.Left);
    FrameH = WindowPicture->Height() + PW->ItemsRect.Top - PW->ItemsRect.Bottom;
  } else {
    W = MaxW + GlyphWidth + 19 + 10;
    FrameH = Two ? 6 : 4;
  }

  // 3. Height.
  const int Rows = RowCount();
  int H;
  if (M->MaxMenuItemsInWindow > 0 && M->MaxMenuItemsInWindow < Rows) {
    H = M->MaxMenuItemsInWindow * (PW ? RectHeight(DSMI->SkinRect) : M->DefaultMenuItemHeight) + FrameH + 2 * kMarker;
    Scroll = Scroll2 = true;
  } else {
    H = FrameH;
    for (auto& Row : ItemList) H += Row->RowHeight();
    Scroll = Scroll2 = false;
  }
  if (H > RectHeight(M->WorkArea)) {
    H = RectHeight(M->WorkArea);
    Scroll = true;
  }
  VisibleStartIndex = 0;
  VisibleCount = Rows;
  SetBounds(Left(), Top(), W, H);
  HandleNeeded();

  // 4. Skin geometry, 5. layout, mask region.
  if (PW) {
    const int pw = WindowPicture->Width(), ph = WindowPicture->Height();
    NewLTPoint = PW->LTPoint;
    NewRTPoint = {PW->RTPoint.X + W - pw, PW->RTPoint.Y};
    NewLBPoint = {PW->LBPoint.X, PW->LBPoint.Y + H - ph};
    NewRBPoint = {PW->RBPoint.X + W - pw, PW->RBPoint.Y + H - ph};
    NewItemsRect = {PW->ItemsRect.Left, PW->ItemsRect.Top, PW->ItemsRect.Right + W - pw, PW->ItemsRect.Bottom + H - ph};
  } else {
    NewItemsRect = {2, 2, W - 2, H - 2};
  }
  LayoutVisibleItems();
  if (MaskPicture) {
    gdi::HRGN Rgn = nullptr;
    CreateSkinMaskRegion(Rgn, PW->LTPoint, PW->RTPoint, PW->LBPoint, PW->RBPoint, PW->ItemsRect, NewLTPoint,
                         NewRTPoint, NewLBPoint, NewRBPoint, NewItemsRect, MaskPicture, W, H);
    win::SetWindowRgn(Handle(), Rgn, true);  // the window owns the region and frees the previous one
    FRgn = Rgn;
  }

  // 6. Placement, 7. showing.
  CalcShowPosition(R, PopupByItem, PopupUp);
  SetBounds(ShowX, ShowY, W, H);
  const bool Layered = IsLayeringSupported() && M->AlphaBlend;
  if (Layered) {
    win::SetWindowLongW(Handle(), win::GWL_EXSTYLE, win::GetWindowLongW(Handle(), win::GWL_EXSTYLE) | win::WS_EX_LAYERED);
    SetWindowAlphaValue(Handle(), Fade ? 0 : M->AlphaBlendValue);
  }
  win::SetWindowPos(Handle(), win::HWND_TOPMOST, ShowX, ShowY, 0, 0,
                    win::SWP_SHOWWINDOW | win::SWP_NOACTIVATE | win::SWP_NOSIZE);
  SetVisible(true);
  Invalidate();
  if (Layered && Fade) {
    const int Step = std::max(M->AlphaBlendValue / 15, 1);
    int Alpha = 0;
    while (Alpha < M->AlphaBlendValue) {
      std::this_thread::sleep_for(std::chrono::milliseconds(6));
      Alpha = std::min(Alpha + Step, int(M->AlphaBlendValue));
      SetWindowAlphaValue(Handle(), std::uint8_t(Alpha));
      win::UpdateWindow(Handle());
    }
  }
  MouseTimer->SetEnabled(true);
  ActiveItem = -1;
  for (int i = 0; i < Rows; ++i)
    if (Row(i)->Selectable()) {
      Row(i)->WaitCommand = true;
      ActiveItem = i;
      Row(i)->MouseEnter(true);
      break;
    }
}

void TbsSkinPopupWindow::Hide() {
  if (HandleAllocated())
    win::SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                      win::SWP_HIDEWINDOW | win::SWP_NOACTIVATE | win::SWP_NOZORDER | win::SWP_NOMOVE |
                          win::SWP_NOSIZE);
  MouseTimer->SetEnabled(false);
  MorphTimer->SetEnabled(false);
  if (HandleAllocated()) win::KillTimer(Handle(), 1);
  SetVisible(false);
}

void TbsSkinPopupWindow::LayoutVisibleItems() {
  const int m = Scroll ? kMarker : 0;
  int y = NewItemsRect.Top + m;
  VisibleCount = 0;
  for (int i = VisibleStartIndex; i < RowCount(); ++i) {
    TbsSkinMenuItem* R = Row(i);
    const int h = R->RowHeight();
    if (y + h > NewItemsRect.Bottom - m) break;
    R->ObjectRect = {NewItemsRect.Left, y, NewItemsRect.Right, y + h};
    R->FVisible = true;
    y += h;
    ++VisibleCount;
  }
  if (Scroll)
    for (int i = 0; i < RowCount(); ++i)
      if (i < VisibleStartIndex || i >= VisibleStartIndex + VisibleCount) Row(i)->FVisible = false;
}

void TbsSkinPopupWindow::CalcShowPosition(TRect R, bool PopupByItem, bool PopupUp) {
  const TRect A = ParentMenu->WorkArea;
  const int W = Width(), H = Height();
  const bool UpperHalf = R.Top < A.Top + RectHeight(A) / 2;
  bool Shifted = false;
  int y;
  if (Scroll && !Scroll2) {
    y = A.Top;
  } else if (PopupByItem) {
    if (R.Top - NewItemsRect.Top + H <= A.Bottom)
      y = R.Top - NewItemsRect.Top;
    else if (UpperHalf)
      y = A.Bottom - H;
    else
      y = std::max(R.Bottom + NewItemsRect.Top - H, A.Top);
  } else if (PopupUp) {
    if (R.Top - H >= A.Top) {
      y = R.Top - H;
    } else if (UpperHalf) {
      if (R.Bottom + H <= A.Bottom) {
        y = R.Bottom;
      } else {
        y = A.Bottom - H;
        Shifted = true;
      }
    } else {
      y = A.Top;
      Shifted = true;
    }
  } else {
    if (R.Bottom + H <= A.Bottom) {
      y = R.Bottom;
    } else if (UpperHalf) {
      y = A.Bottom - H;
      Shifted = true;
    } else if (R.Top - H >= A.Top) {
      y = R.Top - H;
    } else {
      y = A.Top;
      Shifted = true;
    }
  }
  int x;
  if (PopupByItem || (Scroll && !Scroll2) || Shifted) {
    x = R.Right + W + 1 <= A.Right ? R.Right + 1 : R.Left - W - 1;
  } else if (R.Left + W > A.Right) {
    x = A.Right - W;
  } else if (R.Left < A.Left) {
    x = A.Left;
  } else {
    x = R.Left;
  }
  ShowX = x;
  ShowY = y;
}

// ------------------------------------------------------------------ painting
void TbsSkinPopupWindow::DrawWindowBackground(TBitmap* B, bool DrawItemsArea) {
  const int W = Width(), H = Height();
  B->SetSize(W, H);
  TCanvas* C = B->Canvas();
  if (PW) {
    ComposeSkinImage2(PW->LTPoint, PW->RTPoint, PW->LBPoint, PW->RBPoint, PW->ItemsRect, NewLTPoint, NewRTPoint,
                      NewLBPoint, NewRBPoint, NewItemsRect, B, WindowPicture,
                      {0, 0, WindowPicture->Width(), WindowPicture->Height()}, W, H, DrawItemsArea, PW->LeftStretch,
                      PW->TopStretch, PW->RightStretch, PW->BottomStretch, PW->StretchEffect, PW->StretchType);
    return;
  }
  const int c = ImgL ? GlyphWidth + 2 : 21;
  C->Brush()->SetStyle(gdi::bsSolid);
  C->Brush()->SetColor(gdi::clBtnFace);
  C->FillRect({0, 0, c, H});
  C->Brush()->SetColor(gdi::clWindow);
  C->FillRect({c, 0, W, H});
  C->Brush()->SetColor(gdi::clBtnShadow);
  C->FrameRect({0, 0, W, H});
  C->Brush()->SetColor(gdi::clWindow);
  C->FrameRect({1, 1, W - 1, H - 1});
}

void TbsSkinPopupWindow::DrawItemBackground(TCanvas* C, TRect R) {
  if (!PW || IsEmptyRect(R)) return;
  TbsDataSkinMenuItem* O = SkinMenuItemObject(SD);
  if (!O) return;
  if (DSMI && DSMI->InActiveTransparent && FPaintBuffer) {
    C->CopyRect(R, FPaintBuffer->Canvas(), R);
    return;
  }
  TBitmap* Pic = SkinPictureAt(SD, O->ActivePictureIndex);
  if (!Pic || IsEmptyRect(O->SkinRect)) return;
  TBitmap Img;
  ComposeHorzSkinImage(O->ItemLO, O->ItemRO, &Img, Pic, O->SkinRect, RectWidth(R), RectHeight(O->SkinRect),
                       O->InActiveStretchEffect);
  C->CopyRect(R, Img.Canvas(), {0, 0, RectWidth(R), std::min(RectHeight(R), Img.Height())});
}

TRect TbsSkinPopupWindow::TopMarkerRect() const {
  if (PW) return {NewItemsRect.Left, NewItemsRect.Top, NewItemsRect.Right, NewItemsRect.Top + kMarker};
  return {3, 3, Width() - 3, 13};
}

TRect TbsSkinPopupWindow::BottomMarkerRect() const {
  if (PW) return {NewItemsRect.Left, NewItemsRect.Bottom - kMarker, NewItemsRect.Right, NewItemsRect.Bottom};
  return {3, Height() - 10, Width() - 3, Height() - 3};
}

void TbsSkinPopupWindow::DrawScrollMarker(TCanvas* C, bool Top) {
  const TRect R = Top ? TopMarkerRect() : BottomMarkerRect();
  const bool Running = ScrollCode == (Top ? 1 : 2);
  if (PW) {
    DrawItemBackground(C, R);
    DrawArrow(C, R, Running ? PW->ScrollMarkerActiveColor : PW->ScrollMarkerColor, Top ? 3 : 4);
  } else {
    DrawArrow(C, R, Running ? gdi::clBtnText : gdi::clBtnShadow, Top ? 3 : 4);
  }
}

void TbsSkinPopupWindow::PaintMenu(win::HDC DC) {
  TBitmap B;
  DrawWindowBackground(&B, Scroll);
  if (PW && DSMI->InActiveTransparent) {
    FPaintBuffer = std::make_unique<TBitmap>();
    DrawWindowBackground(FPaintBuffer.get(), true);
  } else {
    FPaintBuffer.reset();
  }
  TCanvas* C = B.Canvas();
  for (int i = VisibleStartIndex; i < VisibleStartIndex + VisibleCount && i < RowCount(); ++i) Row(i)->Draw(C);
  if (Scroll) {
    DrawScrollMarker(C, true);
    DrawScrollMarker(C, false);
    const TRect Bottom = BottomMarkerRect();
    if (VisibleCount > 0) {
      const int LastBottom = Row(VisibleStartIndex + VisibleCount - 1)->ObjectRect.Bottom;
      if (LastBottom < Bottom.Top) DrawItemBackground(C, {NewItemsRect.Left, LastBottom, NewItemsRect.Right, Bottom.Top});
    }
  }
  gdi::BitBlt(DC, 0, 0, Width(), Height(), C->Handle(), 0, 0, gdi::SRCCOPY);
}

void TbsSkinPopupWindow::Paint() { PaintMenu(Canvas()->Handle()); }

void TbsSkinPopupWindow::RedrawRow(TbsSkinMenuItem* R) {
  if (!HandleAllocated() || !R->FVisible) return;
  const TRect Rc = R->ObjectRect;
  win::InvalidateRect(Handle(), &Rc, false);
}

// ------------------------------------------------------------------ scrolling
void TbsSkinPopupWindow::ScrollItemsUp(bool Wrap) {
  if (CanScrollUp())
    --VisibleStartIndex;
  else if (Wrap)
    VisibleStartIndex = LastPageStartIndex();
  else
    return;
  LayoutVisibleItems();
  Invalidate();
}

void TbsSkinPopupWindow::ScrollItemsDown(bool Wrap) {
  if (CanScrollDown())
    ++VisibleStartIndex;
  else if (Wrap)
    VisibleStartIndex = 0;
  else
    return;
  LayoutVisibleItems();
  Invalidate();
}

int TbsSkinPopupWindow::LastPageStartIndex() const {
  // The rows that fit between the markers as the layout places them, so the
  // last row is shown after an upward wrap.
  int Room = RectHeight(NewItemsRect) - 2 * kMarker, Fit = 0;
  for (int i = RowCount() - 1; i >= 0; --i) {
    Room -= Row(i)->RowHeight();
    if (Room < 0) break;
    ++Fit;
  }
  return RowCount() - Fit;
}

void TbsSkinPopupWindow::StartScrolling() {
  ParentMenu->CloseMenuLevels(ParentMenu->WindowIndex(this) + 1);
  win::SetTimer(Handle(), 1, 100, nullptr);
}

void TbsSkinPopupWindow::StopScrolling() {
  ScrollCode = 0;
  Invalidate();
  if (HandleAllocated()) win::KillTimer(Handle(), 1);
}

void TbsSkinPopupWindow::ScrollTimerTick() {
  if (ScrollCode == 1) {
    if (CanScrollUp())
      ScrollItemsUp(false);
    else
      StopScrolling();
  } else if (ScrollCode == 2) {
    if (CanScrollDown())
      ScrollItemsDown(false);
    else
      StopScrolling();
  }
}

// ------------------------------------------------------------------ mouse
void TbsSkinPopupWindow::PollMouse() {
  win::POINT P;
  if (!win::GetCursorPos(&P)) return;
  const win::POINT S = P;
  win::ScreenToClient(Handle(), &P);
  if (P.X == OMX && P.Y == OMY) return;
  if (win::WindowFromPoint(S) == Handle()) {
    TrackMouse(P.X, P.Y);
  } else if (Scroll && ScrollCode != 0) {
    ScrollCode = 0;
    Invalidate();
  }
  OMX = P.X;
  OMY = P.Y;
}

void TbsSkinPopupWindow::TrackMouse(int X, int Y) {
  if (Scroll) {
    const TPoint P{X, Y};
    if (TopMarkerRect().Contains(P)) {
      if (ScrollCode == 0 && CanScrollUp()) {
        ScrollCode = 1;
        Invalidate();
        StartScrolling();
      }
    } else if (BottomMarkerRect().Contains(P)) {
      if (ScrollCode == 0 && CanScrollDown()) {
        ScrollCode = 2;
        Invalidate();
        StartScrolling();
      }
    } else if (ScrollCode != 0) {
      StopScrolling();
    }
  }
  if (RowCount() == 0) return;
  OldActiveItem = ActiveItem;
  for (int i = 0; i < RowCount(); ++i)
    if (Row(i)->FVisible && Row(i)->ObjectRect.Contains({X, Y})) {
      ActiveItem = i;
      break;
    }
  if (OldActiveItem >= RowCount()) OldActiveItem = -1;
  if (ActiveItem >= RowCount()) ActiveItem = -1;
  if (ActiveItem == OldActiveItem) {
    if (ActiveItem != -1 && Row(ActiveItem)->WaitCommand) {
      TbsSkinMenuItem* R = Row(ActiveItem);
      R->WaitCommand = false;
      if (R->MenuItem->Count() > 0) R->MouseEnter(false);
    }
    return;
  }
  auto Live = Liveness();
  if (OldActiveItem != -1 && Row(OldActiveItem)->Selectable()) Row(OldActiveItem)->MouseLeave();
  if (!Live.Alive()) return;
  if (ActiveItem != -1 && Row(ActiveItem)->Selectable()) Row(ActiveItem)->MouseEnter(false);
}

void TbsSkinPopupWindow::ButtonUp(int X, int Y) {
  auto Live = Liveness();
  TrackMouse(X, Y);
  if (!Live.Alive() || !Visible() || ActiveItem == -1) return;
  bool Inside = false;
  for (auto& R : ItemList)
    if (R->FVisible && R->ObjectRect.Contains({X, Y})) Inside = true;
  if (Inside && Row(ActiveItem)->Kind() != TbsMenuRowKind::Separator) Row(ActiveItem)->MouseDown(X, Y);
}

void TbsSkinPopupWindow::MouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) {
  auto Live = Liveness();
  TCustomControl::MouseUp(Button, Shift, X, Y);
  if (Live.Alive() && Button == forms::mbLeft) ButtonUp(X, Y);
}

// ------------------------------------------------------------------ effects
void TbsSkinPopupWindow::MorphTimerTick() {
  if (!PW) {
    MorphTimer->SetEnabled(false);
    return;
  }
  bool Changed = false;
  for (auto& R : ItemList) {
    if (R->EnableMorphing()) {
      if (R->CanMorphing()) {
        R->DoMorphing();
        Changed = true;
      }
    } else if (R->EnableAnimation()) {
      if (R->Active && R->CurrentFrame <= R->MI->FrameCount) {
        ++R->CurrentFrame;
        RedrawRow(R.get());
        Changed = true;
      } else if (!R->Active && R->CurrentFrame > 0) {
        --R->CurrentFrame;
        RedrawRow(R.get());
        Changed = true;
      }
    }
  }
  if (!Changed) MorphTimer->SetEnabled(false);
}

// ------------------------------------------------------------------ keys
void TbsSkinPopupWindow::SetActiveRow(int Index, bool Kb) {
  const int Old = ActiveItem;
  if (Index == Old) return;
  ActiveItem = Index;
  auto Live = Liveness();
  Row(Index)->MouseEnter(Kb);
  if (Live.Alive() && Old >= 0 && Old < RowCount()) Row(Old)->MouseLeave();
}

void TbsSkinPopupWindow::SelectNextItem() {
  const int N = RowCount();
  if (N == 0) return;
  if (Scroll && ScrollCode == 0 && ActiveItem >= 0 && IsLastShown(ActiveItem)) ScrollItemsDown(true);
  int i = (ActiveItem < 0 || ActiveItem == N - 1) ? 0 : ActiveItem + 1;
  for (; i < N; ++i) {
    if (Row(i)->Selectable()) break;
    if (Scroll && ScrollCode == 0 && IsLastShown(i)) ScrollItemsDown(true);
  }
  if (i >= N) return;
  if (Scroll && (i < VisibleStartIndex || i >= VisibleStartIndex + VisibleCount)) {
    // keep the new row in view (a wrap to the start shows the first page)
    VisibleStartIndex = i < VisibleStartIndex ? i : std::max(0, i - VisibleCount + 1);
    LayoutVisibleItems();
    Invalidate();
  }
  SetActiveRow(i, true);
}

void TbsSkinPopupWindow::SelectPrevItem() {
  const int N = RowCount();
  if (N == 0) return;
  if (Scroll && ScrollCode == 0 && ActiveItem >= 0 && ActiveItem == VisibleStartIndex) ScrollItemsUp(true);
  int i = (ActiveItem <= 0) ? N - 1 : ActiveItem - 1;
  for (; i >= 0; --i) {
    if (Row(i)->Selectable()) break;
    if (Scroll && ScrollCode == 0 && i == VisibleStartIndex) ScrollItemsUp(true);
  }
  if (i < 0) return;
  if (Scroll && (i < VisibleStartIndex || i >= VisibleStartIndex + VisibleCount)) {
    VisibleStartIndex = i >= VisibleStartIndex + VisibleCount ? std::min(LastPageStartIndex(), i) : i;
    LayoutVisibleItems();
    Invalidate();
  }
  SetActiveRow(i, true);
}

void TbsSkinPopupWindow::PopupKeyDown(int CharCode) {
  if (!Visible()) return;
  if (Enabled()) {
    for (int i = 0; i < RowCount(); ++i) {
      if (!forms::IsAccel(char16_t(CharCode), Row(i)->MenuItem->Caption())) continue;
      TbsSkinMenuItem* R = Row(i);
      auto Live = Liveness();
      const int Old = ActiveItem;
      R->MouseEnter(false);
      if (!Live.Alive()) return;
      ActiveItem = i;
      if (Old >= 0 && Old != i && Old < RowCount()) Row(Old)->MouseLeave();
      if (!Live.Alive()) return;
      R->MouseDown(0, 0);
      return;
    }
  }
  TbsSkinMenu* M = ParentMenu;
  const int Level = M->WindowIndex(this);
  switch (CharCode) {
    case win::VK_RETURN:
      if (ActiveItem >= 0) Row(ActiveItem)->MouseDown(0, 0);
      break;
    case win::VK_LEFT:
      if (M->WindowCount() < 2) break;
      [[fallthrough]];
    case win::VK_ESCAPE:
      if (M->WindowCount() >= 2 && Level > 0) {
        TbsSkinPopupWindow* Above = M->Windows(Level - 1);
        if (Above->ActiveItem >= 0) {
          TbsSkinMenuItem* R = Above->Row(Above->ActiveItem);
          R->Down = false;
          R->RefreshRow();
        }
      }
      M->CloseMenuLevels(M->WindowCount() - 1);
      break;
    case win::VK_UP: SelectPrevItem(); break;
    case win::VK_RIGHT:
      if (ActiveItem >= 0 && Row(ActiveItem)->MenuItem->Count() > 0) Row(ActiveItem)->MouseDown(0, 0);
      break;
    case win::VK_DOWN: SelectNextItem(); break;
  }
}

}  // namespace skin
