#include "skin/forms/bsSkinMDITabsBar.h"

#include <algorithm>

#include "platform/win/WinApi.h"
#include "skin/forms/bsBusinessSkinForm.h"
#include "skin/forms/bsSkinMDI.h"
#include "skin/images/bsParentBackground.h"
#include "skin/images/bsSkinCompose.h"
#include "skin/images/bsUtils.h"

namespace skin {

using forms::TCustomForm;
using gdi::TCanvas;

namespace {
// A button description's picture part composed to W x H, its corner points
// and client rectangle moved right and down by the size difference.
void ComposeButton(TBitmap* B, TBitmap* Pic, TbsDataSkinButtonControl* D, TRect R, int W, int H) {
  const int dx = W - D->SkinRect.Width(), dy = H - D->SkinRect.Height();
  ComposeSkinImage(D->LTPoint, D->RTPoint, D->LBPoint, D->RBPoint, D->ClRect, D->LTPoint,
                   {D->RTPoint.X + dx, D->RTPoint.Y}, {D->LBPoint.X, D->LBPoint.Y + dy},
                   {D->RBPoint.X + dx, D->RBPoint.Y + dy},
                   rtl::Rect(D->ClRect.Left, D->ClRect.Top, D->ClRect.Right + dx, D->ClRect.Bottom + dy), B, Pic, R, W, H,
                   true, D->LeftStretch, D->TopStretch, D->RightStretch, D->BottomStretch, D->StretchEffect,
                   D->StretchType);
}

const String kBarItem = u"_BSFCHILDITEMBAR";
const String kBarHideItem = u"_BSFCHILDITEMBARHIDE";
constexpr unsigned kTextFormat = 37;  // DT_CENTER | DT_VCENTER | DT_SINGLELINE

void ShowChild(TCustomForm* Child) {
  if (auto* f = FindSkinFormComponent(Child); f && f->WindowState() == forms::wsMinimized)
    f->SetWindowState(forms::wsNormal);
  Child->Show();
  if (auto* client = MDIClientOf(MDIMainForm())) client->ActivateChild(Child);
}
}  // namespace

// ------------------------------------------------------------------ tab
void TbsMDITab::DrawText(TCanvas* C, TRect TextR, int W, int H, bool RaiseEvent) {
  String caption = Child->Caption();
  FitCaptionWithEllipsis(C, caption, TextR.Width());
  C->Brush()->SetStyle(gdi::bsClear);
  if (RaiseEvent && TabsBar->OnTabGetDrawParamsEvent) TabsBar->OnTabGetDrawParamsEvent(this, C);
  DrawWideText(C, caption, TextR, kTextFormat);
  if (TabsBar->ShowCloseButtons) DrawCloseButton(C, rtl::Rect(TextR.Right, 0, W, H));
}

void TbsMDITab::Draw(TCanvas* Cnvs) {
  if (ObjectRect.Width() <= 0) return;
  TbsSkinMDITabsBar* B = TabsBar;
  const bool skinned = B->SkinIndex() != -1 && B->Picture;
  if (skinned && B->TabKind() == bstkButton) return ButtonDraw(Cnvs);
  if (skinned && !B->UseSkinSize) return ResizeDraw(Cnvs);
  const int W = ObjectRect.Width(), H = ObjectRect.Height();
  TBitmap bmp(W, H);
  TCanvas* C = bmp.Canvas();
  TRect textR;
  if (!skinned) {
    C->Brush()->SetColor(MouseIn && !Active ? 0xD2BDB6 : Active ? 0xB59385 : gdi::clBtnFace);
    C->FillRect(rtl::Rect(0, 0, W, H));
    C->Font()->Assign(B->DefaultFont());
    textR = B->ShowCloseButtons ? rtl::Rect(2, 0, W - B->FCloseSize - 5, H) : rtl::Rect(2, 0, W - 2, H);
  } else {
    TRect part = MouseIn && !Active ? B->MouseInTabRect : Active ? B->ActiveTabRect : B->TabRect;
    TBitmap piece;
    ComposeHorzSkinImage(B->TabLeftOffset, B->TabRightOffset, &piece, B->Picture, part, W, part.Height(),
                         B->TabStretchEffect);
    C->Brush()->SetColor(gdi::clBtnFace);
    C->FillRect(rtl::Rect(0, 0, W, H));
    C->Draw(0, 0, &piece);
    if (B->UseSkinFont) ApplyDescriptionFont(C->Font(), B->FontName, B->FontHeight, B->FontStyle);
    else C->Font()->Assign(B->DefaultFont());
    C->Font()->SetColor(MouseIn && !Active ? B->MouseInFontColor : Active ? B->ActiveFontColor : B->FontColor);
    textR = B->ShowCloseButtons ? rtl::Rect(2, 0, W - B->FCloseSize - 5, H)
                                : rtl::Rect(B->TabLeftOffset, 0, W - B->TabRightOffset, H);
  }
  DrawText(C, textR, W, H, !skinned);
  Cnvs->Draw(ObjectRect.Left, ObjectRect.Top, &bmp);
}

void TbsMDITab::ResizeDraw(TCanvas* Cnvs) {
  TbsSkinMDITabsBar* B = TabsBar;
  const int W = ObjectRect.Width(), H = ObjectRect.Height() + (Active ? B->FActiveTabOffset : 0);
  if (W <= 0 || H <= 0) return;
  TRect part = B->TabRect;
  TColor fc = B->FontColor;
  if (MouseIn && !Active && !IsEmptyRect(B->MouseInTabRect)) {
    part = B->MouseInTabRect;
    fc = B->MouseInFontColor;
  } else if (Active) {
    part = B->ActiveTabRect;
    fc = B->ActiveFontColor;
  }
  TBitmap bmp(W, H);
  const int m = B->TabRect.Height() / 4;
  ComposeStretchedSkinImage(&bmp, B->Picture, part,
                            rtl::Rect(B->TabLeftOffset, m, part.Width() - B->TabRightOffset, part.Height() - m),
                            true);
  TCanvas* C = bmp.Canvas();
  if (B->UseSkinFont) ApplyDescriptionFont(C->Font(), B->FontName, B->FontHeight, B->FontStyle);
  else C->Font()->Assign(B->DefaultFont());
  C->Font()->SetColor(fc);
  TRect textR = B->ShowCloseButtons ? rtl::Rect(2, 2, W - B->FCloseSize - 5, H) : rtl::Rect(2, 0, W - 2, H);
  DrawText(C, textR, W, H, true);
  Cnvs->Draw(ObjectRect.Left, ObjectRect.Top, &bmp);
}

void TbsMDITab::ButtonDraw(TCanvas* Cnvs) {
  TbsSkinMDITabsBar* B = TabsBar;
  auto* SD = B->SkinData();
  if (!SD || ObjectRect.Width() <= 0) return;
  auto* D = dynamic_cast<TbsDataSkinButtonControl*>(SkinDescriptionAt(SD, SD->GetControlIndex(u"resizebutton")));
  TBitmap* pic = D ? SkinPictureAt(SD, D->PictureIndex) : nullptr;
  if (!pic) return;
  const int W = ObjectRect.Width(), H = ObjectRect.Height();
  TRect r = D->SkinRect;
  TColor fc = D->FontColor;
  TRect act = IsEmptyRect(D->ActiveSkinRect) ? D->SkinRect : D->ActiveSkinRect;
  if (Active) {
    r = IsEmptyRect(D->DownSkinRect) ? act : D->DownSkinRect;
    fc = D->DownFontColor;
  } else if (MouseIn) {
    r = act;
    fc = D->ActiveFontColor;
  }
  TBitmap bmp(W, H);
  const int dx = W - D->SkinRect.Width(), dy = H - D->SkinRect.Height();
  TRect cl = rtl::Rect(D->ClRect.Left, D->ClRect.Top, D->ClRect.Right + dx, D->ClRect.Bottom + dy);
  ComposeButton(&bmp, pic, D, r, W, H);
  TCanvas* C = bmp.Canvas();
  if (B->UseSkinFont) ApplyDescriptionFont(C->Font(), B->FontName, B->FontHeight, B->FontStyle);
  else C->Font()->Assign(B->DefaultFont());
  C->Font()->SetColor(fc);
  TRect textR = cl;
  if (B->ShowCloseButtons) textR.Right -= B->FCloseSize + 3;
  int th = WideTextHeight(C, Child->Caption());
  if (textR.Height() < th) textR = rtl::Rect(textR.Left, (H - th) / 2, textR.Right, (H - th) / 2 + th);
  String caption = Child->Caption();
  FitCaptionWithEllipsis(C, caption, textR.Width());
  C->Brush()->SetStyle(gdi::bsClear);
  if (B->OnTabGetDrawParamsEvent) B->OnTabGetDrawParamsEvent(this, C);
  DrawWideText(C, caption, textR, kTextFormat);
  if (B->ShowCloseButtons) DrawCloseButton(C, rtl::Rect(textR.Right, 0, textR.Right + B->FCloseSize + 3, H));
  Cnvs->Draw(ObjectRect.Left, ObjectRect.Top, &bmp);
}

void TbsMDITab::DrawCloseButton(TCanvas* Cnvs, TRect R) {
  TbsSkinMDITabsBar* B = TabsBar;
  const int mid = R.Top + R.Height() / 2;
  const bool skinned = B->SkinIndex() != -1 && B->Picture;
  if (!skinned) {
    ButtonRect = rtl::Rect(R.Left, mid - 7, R.Left + 14, mid + 7);
    DrawCloseGlyph(Cnvs, ButtonRect.Left + 2, ButtonRect.Top + 2, ButtonMouseIn ? gdi::clWhite : gdi::clBlack);
    return;
  }
  if (!IsEmptyRect(B->CloseButtonRect)) {
    TRect part = ButtonMouseIn && ButtonMouseDown ? B->CloseButtonDownRect
                 : ButtonMouseIn                  ? B->ClosebuttonActiveRect
                                                  : B->CloseButtonRect;
    ButtonRect = rtl::Bounds(R.Left, mid - part.Height() / 2, part.Width(), part.Height());
    TBitmap piece(part.Width(), part.Height());
    piece.Canvas()->CopyRect(rtl::Rect(0, 0, part.Width(), part.Height()), B->Picture->Canvas(), part);
    if (B->ButtonTransparent) {
      piece.SetTransparent(true);
      piece.SetTransparentColor(B->ButtonTransparentColor);
    }
    Cnvs->Draw(ButtonRect.Left, ButtonRect.Top, &piece);
    return;
  }
  auto* SD = B->SkinData();
  auto* D = dynamic_cast<TbsDataSkinButtonControl*>(SkinDescriptionAt(SD, SD->GetControlIndex(u"resizetoolbutton")));
  TBitmap* pic = D ? SkinPictureAt(SD, D->PictureIndex) : nullptr;
  if (!pic) return;
  const int s = B->FCloseSize;
  TRect act = IsEmptyRect(D->ActiveSkinRect) ? D->SkinRect : D->ActiveSkinRect;
  TRect r = ButtonMouseIn && ButtonMouseDown ? (IsEmptyRect(D->DownSkinRect) ? act : D->DownSkinRect)
            : ButtonMouseIn                  ? act
                                             : D->SkinRect;
  TColor fc = ButtonMouseIn && ButtonMouseDown ? D->DownFontColor : ButtonMouseIn ? D->ActiveFontColor : D->FontColor;
  TBitmap bmp(s, s);
  ComposeButton(&bmp, pic, D, r, s, s);
  DrawCloseGlyph(bmp.Canvas(), s / 2 - 5, s / 2 - 5, fc);
  ButtonRect = rtl::Bounds(R.Left, mid - s / 2, s, s);
  Cnvs->Draw(ButtonRect.Left, ButtonRect.Top, &bmp);
}

// ------------------------------------------------------------------ bar
TbsSkinMDITabsBar::TbsSkinMDITabsBar(TComponent* AOwner) : TbsSkinControl(AOwner) {
  FDefaultFont = std::make_unique<gdi::TFont>();
  FDefaultFont->SetName(u"Arial");
  FDefaultFont->SetHeight(14);
  FSkinDataName = u"tab";
  SetBounds(0, 0, 150, 21);
  FListMenu = new TbsSkinPopupMenu(this);
  FHideListMenu = new TbsSkinPopupMenu(this);
}

TbsSkinMDITabsBar::~TbsSkinMDITabsBar() {
  if (FBusinessSkinForm) FBusinessSkinForm->RemoveFreeNotification(this);
  ObjectList.clear();
}

void TbsSkinMDITabsBar::Notification(TComponent* AComponent, rtl::TOperation Operation) {
  TbsSkinControl::Notification(AComponent, Operation);
  if (Operation != rtl::opRemove) return;
  if (AComponent == FBusinessSkinForm) FBusinessSkinForm = nullptr;
  if (AComponent == FListButton) FListButton = nullptr;
  if (AComponent == FHideListButton) FHideListButton = nullptr;
  if (AComponent == FListMenu) FListMenu = nullptr;
  if (AComponent == FHideListMenu) FHideListMenu = nullptr;
  for (std::size_t i = 0; i < ObjectList.size(); ++i)
    if (ObjectList[i]->Child == AComponent) {
      ObjectList.erase(ObjectList.begin() + std::ptrdiff_t(i));
      ActiveTabIndex = OldTabIndex = -1;
      if (ObjectList.empty() && FListButton) {
        delete FListButton;
        FListButton = nullptr;
      }
      Invalidate();
      break;
    }
}

void TbsSkinMDITabsBar::SetTabKind(TbsSkinMDITabKind Value) {
  FTabKind = Value;
  if (FIndex != -1) Invalidate();
}

void TbsSkinMDITabsBar::SetBusinessSkinForm(TbsBusinessSkinForm* Value) {
  if (FBusinessSkinForm) FBusinessSkinForm->RemoveFreeNotification(this);
  FBusinessSkinForm = Value;
  if (Value) Value->FreeNotification(this);
}

void TbsSkinMDITabsBar::SetDefaultHeight(int Value) {
  FDefaultHeight = Value;
  if (FIndex == -1 && Value > 0) SetHeight(Value);
}

void TbsSkinMDITabsBar::GetSkinData() {
  TbsSkinControl::GetSkinData();
  auto* D = dynamic_cast<TbsDataSkinTabControl*>(SkinDescriptionAt(FSD, FIndex));
  if (!D) {
    Picture = nullptr;
    return;
  }
  Picture = SkinPictureAt(FSD, D->PictureIndex);
  TabRect = D->TabRect;
  ActiveTabRect = IsEmptyRect(D->ActiveTabRect) ? D->TabRect : D->ActiveTabRect;
  MouseInTabRect = IsEmptyRect(D->MouseInTabRect) ? D->TabRect : D->MouseInTabRect;
  TabsBGRect = D->TabsBGRect;
  TabLeftOffset = D->TabLeftOffset;
  TabRightOffset = D->TabRightOffset;
  FontName = D->FontName;
  FontStyle = D->FontStyle;
  FontHeight = D->FontHeight;
  FontColor = D->FontColor;
  ActiveFontColor = D->FocusFontColor;
  MouseInFontColor = D->MouseInFontColor;
  TabStretchEffect = D->TabStretchEffect;
  CloseButtonRect = D->CloseButtonRect;
  ClosebuttonActiveRect = IsEmptyRect(D->CloseButtonActiveRect) ? D->CloseButtonRect : D->CloseButtonActiveRect;
  CloseButtonDownRect = IsEmptyRect(D->CloseButtonDownRect) ? ClosebuttonActiveRect : D->CloseButtonDownRect;
  ButtonTransparent = D->ButtonTransparent;
  ButtonTransparentColor = D->ButtonTransparentColor;
  LTPoint = D->LTPoint;
  RTPoint = D->RTPoint;
  LBPoint = D->LBPoint;
  RBPoint = D->RBPoint;
  ClRect = D->ClRect;
  SkinRect = D->SkinRect;
  TopStretch = D->TopStretch;
  FBottomOffset = ClRect.Top;
  FActiveTabOffset = ActiveTabRect.Height() - TabRect.Height();
}

int TbsSkinMDITabsBar::GetCloseSize() {
  GetSkinData();
  if (FIndex == -1 || IsEmptyRect(CloseButtonRect)) return 14;
  return CloseButtonRect.Width();
}

void TbsSkinMDITabsBar::ChangeSkinData() {
  TbsSkinControl::ChangeSkinData();
  FCloseSize = GetCloseSize();
  if (FIndex != -1 && UseSkinSize && Picture)
    SetHeight(TabRect.Height() + (FTabKind == bstkTab ? FBottomOffset : 0));
  else if (FDefaultHeight > 0)
    SetHeight(FDefaultHeight);
  if (FListButton) FListButton->SetSkinData(FSD);
  if (FHideListButton) FHideListButton->SetSkinData(FSD);
  if (ShowCloseButtons) Invalidate();
  Realign();
}

void TbsSkinMDITabsBar::AdjustClientRect(TRect& R) {
  if (FTabKind == bstkTab && FIndex != -1) R.Bottom -= FBottomOffset;
}

void TbsSkinMDITabsBar::Dispatch(forms::TMessage& M) {
  if (M.Msg == forms::CM_MOUSELEAVE) {
    TbsSkinControl::Dispatch(M);
    if (!IsDrag) TrackHotTab(-1, -1);
    return;
  }
  if (M.Msg == MSG_CHECK_PARENT_BACKGROUND) {
    if (FIndex != -1 && FSD && FSD->MDITabsTransparent) Invalidate();
    return;
  }
  TbsSkinControl::Dispatch(M);
  if (M.Msg == win::WM_MOVE && Align() == forms::alNone && FIndex != -1 && FSD && FSD->MDITabsTransparent)
    Invalidate();
}

void TbsSkinMDITabsBar::AddTab(TCustomForm* Child) {
  ObjectList.push_back(std::make_unique<TbsMDITab>(this, Child));
  Child->FreeNotification(this);
  if (!FListButton) {
    FListButton = new TbsSkinMenuSpeedButton(this);
    FListButton->SetSkinDataName(u"resizetoolbutton");
    FListButton->SetSkinData(FSD);
    FListButton->SetWidth(15);
    FListButton->SetAlign(forms::alLeft);
    FListButton->SetSkinPopupMenu(FListMenu);
    FListButton->FDrawStandardArrow = true;
    FListButton->FArrowType = 4;
    FListButton->OnShowTrackMenu = [this](rtl::TObject*) { FillListMenu(FListMenu, false); };
    FListButton->SetParent(this);
  }
  Invalidate();
}

void TbsSkinMDITabsBar::DeleteTab(TCustomForm* Child) {
  if (ActiveTabIndex >= 0 && ActiveTabIndex < int(ObjectList.size()) && ObjectList[ActiveTabIndex]->Child == Child) {
    if (OnTabMouseLeave) OnTabMouseLeave(ObjectList[ActiveTabIndex].get());
    ActiveTabIndex = OldTabIndex = -1;
  }
  for (std::size_t i = 0; i < ObjectList.size(); ++i)
    if (ObjectList[i]->Child == Child) {
      ObjectList.erase(ObjectList.begin() + std::ptrdiff_t(i));
      break;
    }
  if (ObjectList.empty() && FListButton) {
    delete FListButton;
    FListButton = nullptr;
  }
  Invalidate();
}

int TbsSkinMDITabsBar::GetTabIndex(int X, int Y) {
  for (std::size_t i = 0; i < ObjectList.size(); ++i) {
    const TRect& r = ObjectList[i]->ObjectRect;
    if (ObjectList[i]->Visible && X >= r.Left && X <= r.Right && Y >= r.Top && Y <= r.Bottom) return int(i);
  }
  return -1;
}

TbsMDITab* TbsSkinMDITabsBar::GetTab(int X, int Y) {
  int i = GetTabIndex(X, Y);
  return i < 0 ? nullptr : ObjectList[std::size_t(i)].get();
}

void TbsSkinMDITabsBar::UpdateActiveTab() {
  auto* client = MDIClientOf(MDIMainForm());
  TCustomForm* active = client ? client->ActiveMDIChild() : nullptr;
  if (!active) return;
  for (auto& t : ObjectList) t->Active = t->Child == active;
  Invalidate();
}

void TbsSkinMDITabsBar::RefreshTab(TCustomForm* Child) {
  if (!HandleAllocated()) return;
  for (auto& t : ObjectList)
    if (t->Child == Child) RedrawTab(t.get());
}

void TbsSkinMDITabsBar::RedrawTab(TbsMDITab* T) {
  if (!HandleAllocated() || !T->Visible) return;
  GetSkinData();
  T->Draw(Canvas());
}

void TbsSkinMDITabsBar::CalcTabRects() {
  if (ObjectList.empty()) return;
  FInVisibleCount = 0;
  const int n = int(ObjectList.size());
  const int h = FTabKind == bstkTab && FIndex != -1 ? Height() - FBottomOffset : Height();
  int w = std::min((Width() - 15) / n, DefaultTabWidth);
  if (MinTabWidth != 0 && w < MinTabWidth) {
    w = MinTabWidth;
    const int fit = (Width() - 30) / w;
    for (int i = 0; i < n; ++i) {
      TbsMDITab* t = ObjectList[std::size_t(i)].get();
      if (i < fit) {
        t->ObjectRect = rtl::Rect(15 + i * w, 0, 15 + (i + 1) * w, h);
        t->Visible = true;
      } else {
        t->ObjectRect = {};
        t->Visible = false;
        ++FInVisibleCount;
      }
    }
    FRightLimit = Width() - 15;
  } else {
    for (int i = 0; i < n; ++i) {
      TbsMDITab* t = ObjectList[std::size_t(i)].get();
      t->ObjectRect = rtl::Rect(15 + i * w, 0, 15 + (i + 1) * w, h);
      t->Visible = true;
    }
    if (w < DefaultTabWidth) ObjectList.back()->ObjectRect.Right = Width();
    FRightLimit = Width();
  }
  if (IsDrag && DragIndex >= 0 && DragIndex < n) {
    TRect& r = ObjectList[std::size_t(DragIndex)]->ObjectRect;
    r = rtl::Rect(r.Left + TabDX, r.Top, r.Right + TabDX, r.Bottom);
    if (r.Right > FRightLimit) r = rtl::Rect(r.Left - (r.Right - FRightLimit), r.Top, FRightLimit, r.Bottom);
    if (r.Left < 0) r = rtl::Rect(0, r.Top, r.Right - r.Left, r.Bottom);
  }
}

int TbsSkinMDITabsBar::CalcDropIndex() {
  if (ObjectList.empty() || TabDX == 0 || DragIndex < 0 || DragIndex >= int(ObjectList.size())) return -1;
  const TRect& d = ObjectList[std::size_t(DragIndex)]->ObjectRect;
  int result = -1;
  if (TabDX > 0) {
    for (int i = DragIndex + 1; i < int(ObjectList.size()); ++i) {
      const TRect& r = ObjectList[std::size_t(i)]->ObjectRect;
      if (ObjectList[std::size_t(i)]->Visible && r.Left + r.Width() / 2 < d.Right) result = i;
    }
  } else {
    for (int i = DragIndex - 1; i >= 0; --i) {
      const TRect& r = ObjectList[std::size_t(i)]->ObjectRect;
      if (ObjectList[std::size_t(i)]->Visible && r.Left + r.Width() / 2 > d.Left) result = i;
    }
  }
  return result;
}

void TbsSkinMDITabsBar::DrawTabs(TBitmap* B) {
  CalcTabRects();
  TCanvas* C = B->Canvas();
  for (int i = 0; i < int(ObjectList.size()); ++i)
    if (!(IsDrag && i == DragIndex) && ObjectList[std::size_t(i)]->Visible) ObjectList[std::size_t(i)]->Draw(C);
  if (IsDrag && DragIndex >= 0 && DragIndex < int(ObjectList.size())) {
    ObjectList[std::size_t(DragIndex)]->Draw(C);
    int drop = CalcDropIndex();
    if (drop != -1) {
      const TRect& r = ObjectList[std::size_t(drop)]->ObjectRect;
      int x = TabDX > 0 ? r.Right : r.Left, hh = Height() / 2;
      C->Pen()->SetMode(gdi::pmNot);
      for (int k = -1; k <= 1; ++k) {
        C->MoveTo(x + k, 0);
        C->LineTo(x + k, Height());
      }
      C->Polyline({{x + 2, hh}, {x + 5, hh - 3}, {x + 5, hh + 3}, {x + 2, hh}});
      C->Polyline({{x - 2, hh}, {x - 5, hh - 3}, {x - 5, hh + 3}, {x - 2, hh}});
      C->Pen()->SetMode(gdi::pmCopy);
    }
  }
}

void TbsSkinMDITabsBar::CreateControlDefaultImage(TBitmap* B) {
  B->Canvas()->Brush()->SetColor(gdi::clBtnFace);
  B->Canvas()->FillRect(rtl::Rect(0, 0, B->Width(), B->Height()));
  DrawTabs(B);
}

void TbsSkinMDITabsBar::CreateControlSkinImage(TBitmap* B) {
  TCanvas* C = B->Canvas();
  const int bgH = Height() - (FTabKind == bstkTab ? FBottomOffset : 0);
  if (FSD->MDITabsTransparent) {
    PaintParentBackground(this, C);
  } else if (Picture && TabsBGRect.Width() > 0) {
    TBitmap tile(std::max(TabRect.Width(), 1), std::max(TabRect.Height(), 1));
    tile.Canvas()->CopyRect(rtl::Rect(0, 0, tile.Width(), tile.Height()), Picture->Canvas(), TabsBGRect);
    const int cw = TabsBGRect.Width();
    for (int i = 0; i <= Width() / cw; ++i) C->StretchDraw(rtl::Rect(i * cw, 0, (i + 1) * cw, bgH), &tile);
  } else {
    C->Brush()->SetColor(gdi::clBtnFace);
    C->FillRect(rtl::Rect(0, 0, B->Width(), B->Height()));
  }
  if (FTabKind == bstkTab && !IsEmptyRect(SkinRect) && Picture && FBottomOffset > 0) {
    TBitmap strip;
    TRect src = rtl::Rect(SkinRect.Left + LTPoint.X, SkinRect.Top, SkinRect.Left + RTPoint.X, SkinRect.Top + ClRect.Top);
    ComposeHorzSkinImage(LTPoint.X, SkinRect.Width() - RTPoint.X, &strip, Picture, src, Width(), FBottomOffset,
                         TopStretch);
    C->Draw(0, Height() - FBottomOffset, &strip);
  }
  DrawTabs(B);
}

void TbsSkinMDITabsBar::Paint() {
  TbsSkinControl::Paint();
  CheckHideListButton();
}

void TbsSkinMDITabsBar::CheckHideListButton() {
  if (FInVisibleCount > 0 && !FHideListButton) {
    FHideListButton = new TbsSkinMenuSpeedButton(this);
    FHideListButton->SetSkinDataName(u"resizetoolbutton");
    FHideListButton->SetSkinData(FSD);
    FHideListButton->SetWidth(15);
    FHideListButton->SetAlign(forms::alRight);
    FHideListButton->SetSkinPopupMenu(FHideListMenu);
    FHideListButton->FDrawStandardArrow = true;
    FHideListButton->FArrowType = 2;
    FHideListButton->OnShowTrackMenu = [this](rtl::TObject*) { FillListMenu(FHideListMenu, true); };
    FHideListButton->SetParent(this);
  } else if (FInVisibleCount == 0 && FHideListButton) {
    delete FHideListButton;
    FHideListButton = nullptr;
  } else if (FHideListButton) {
    FHideListButton->Invalidate();
  }
}

void TbsSkinMDITabsBar::FillListMenu(TbsSkinPopupMenu* Menu, bool HiddenOnly) {
  if (!Menu) return;
  Menu->Items()->Clear();
  for (auto& t : ObjectList) {
    if (HiddenOnly && t->Visible) continue;
    auto* item = new forms::TMenuItem(Menu);
    item->SetName(t->Child->Name() + (HiddenOnly ? kBarHideItem : kBarItem));
    item->SetCaption(t->Child->Caption());
    item->SetRadioItem(true);
    item->SetGroupIndex(0);
    item->SetChecked(t->Active);
    item->OnClick = [this](rtl::TObject* Sender) { ListItemClick(Sender); };
    Menu->Items()->Add(item);
  }
}

void TbsSkinMDITabsBar::ListItemClick(rtl::TObject* Sender) {
  auto* item = dynamic_cast<forms::TMenuItem*>(Sender);
  if (!item || !FBusinessSkinForm) return;
  String name = item->Name();
  for (const String* suffix : {&kBarHideItem, &kBarItem}) {
    auto p = name.find(*suffix);
    if (p != String::npos) {
      name.erase(p, suffix->size());
      break;
    }
  }
  auto* client = MDIClientOf(FBusinessSkinForm->Form());
  if (!client) return;
  for (int i = 0; i < client->MDIChildCount(); ++i)
    if (client->MDIChildren(i)->Name() == name) {
      ShowChild(client->MDIChildren(i));
      break;
    }
}

void TbsSkinMDITabsBar::TrackHotTab(int X, int Y) {
  ActiveTabIndex = X < 0 && Y < 0 ? -1 : GetTabIndex(X, Y);
  const int n = int(ObjectList.size());
  auto at = [&](int i) -> TbsMDITab* { return i >= 0 && i < n ? ObjectList[std::size_t(i)].get() : nullptr; };
  const bool changed = ActiveTabIndex != OldTabIndex;
  if (changed) {
    if (TbsMDITab* o = at(OldTabIndex); o && o->Visible) {
      o->MouseIn = false;
      RedrawTab(o);
      if (OnTabMouseLeave) OnTabMouseLeave(o);
    }
    if (TbsMDITab* t = at(ActiveTabIndex); t && t->Visible) {
      t->MouseIn = true;
      RedrawTab(t);
      if (OnTabMouseEnter) OnTabMouseEnter(t);
    }
    OldTabIndex = ActiveTabIndex;
  }
  if (!ShowCloseButtons) return;
  if (TbsMDITab* t = at(ActiveTabIndex)) {
    TRect br = t->ButtonRect;
    br = rtl::Rect(br.Left + t->ObjectRect.Left, br.Top + t->ObjectRect.Top, br.Right + t->ObjectRect.Left,
                   br.Bottom + t->ObjectRect.Top);
    bool in = br.Contains({X, Y});
    if (in != t->ButtonMouseIn) {
      t->ButtonMouseIn = in;
      if (!in) t->ButtonMouseDown = false;
      RedrawTab(t);
    }
  }
  if (changed) {
    bool any = false;
    for (int i = 0; i < n; ++i)
      if (i != ActiveTabIndex && ObjectList[std::size_t(i)]->ButtonMouseIn) {
        ObjectList[std::size_t(i)]->ButtonMouseIn = ObjectList[std::size_t(i)]->ButtonMouseDown = false;
        any = true;
      }
    if (any) Invalidate();
  }
}

namespace {
bool InCloseButton(TbsMDITab* t, int X, int Y) {
  TRect br = t->ButtonRect;
  return !IsEmptyRect(br) && rtl::Rect(br.Left + t->ObjectRect.Left, br.Top + t->ObjectRect.Top,
                                       br.Right + t->ObjectRect.Left, br.Bottom + t->ObjectRect.Top)
                                 .Contains({X, Y});
}
}  // namespace

void TbsSkinMDITabsBar::MouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) {
  TbsSkinControl::MouseDown(Button, Shift, X, Y);
  int idx = GetTabIndex(X, Y);
  if (idx < 0) return;
  TbsMDITab* t = ObjectList[std::size_t(idx)].get();
  if (Button == forms::mbLeft) {
    ShowChild(t->Child);
    FDown = true;
    if (MoveTabs) DragIndex = idx;
    DX = X;
    TabDX = 0;
    if (OnTabMouseDown) OnTabMouseDown(Button, Shift, t);
    if (ShowCloseButtons) {
      if (InCloseButton(t, X, Y)) {
        FDown = false;
        DragIndex = -1;
        t->ButtonMouseIn = t->ButtonMouseDown = true;
        RedrawTab(t);
      } else {
        t->ButtonMouseIn = t->ButtonMouseDown = false;
      }
    }
  } else if (Button == forms::mbRight) {
    auto* childFrame = FindSkinFormComponent(t->Child);
    if (SupportChildMenus && childFrame && FBusinessSkinForm) {
      if (forms::TMenuItem* items = childFrame->GetSystemMenuItems()) {
        win::POINT p{X, Y};
        win::ClientToScreen(Handle(), &p);
        FBusinessSkinForm->SkinMenuOpen();
        FBusinessSkinForm->PopupSkinMenuItem(items, rtl::Rect(p.X, p.Y, p.X, p.Y), false);
      }
    }
    if (OnTabMouseDown) OnTabMouseDown(Button, Shift, t);
  }
}

void TbsSkinMDITabsBar::MouseMove(forms::TShiftState Shift, int X, int Y) {
  TbsSkinControl::MouseMove(Shift, X, Y);
  if (FDown && DragIndex != -1 && !IsDrag && X != DX) IsDrag = true;
  if (IsDrag) {
    TabDX = X - DX;
    Invalidate();
  } else {
    TrackHotTab(X, Y);
  }
}

void TbsSkinMDITabsBar::MouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) {
  TbsSkinControl::MouseUp(Button, Shift, X, Y);
  FDown = false;
  if (IsDrag) {
    CalcTabRects();
    int drop = CalcDropIndex();
    if (drop != -1 && drop != DragIndex) {
      auto moved = std::move(ObjectList[std::size_t(DragIndex)]);
      ObjectList.erase(ObjectList.begin() + DragIndex);
      ObjectList.insert(ObjectList.begin() + drop, std::move(moved));
    }
    IsDrag = false;
    DragIndex = -1;
    DX = TabDX = 0;
    Invalidate();
  } else {
    DragIndex = -1;
    if (TbsMDITab* t = GetTab(X, Y); t && OnTabMouseUp) OnTabMouseUp(Button, Shift, t);
  }
  if (Button != forms::mbLeft || !ShowCloseButtons) return;
  if (TbsMDITab* t = GetTab(X, Y)) {
    if (InCloseButton(t, X, Y) && t->ButtonMouseDown) {
      t->ButtonMouseIn = true;
      t->ButtonMouseDown = false;
      RedrawTab(t);
      t->Child->Close();
    } else {
      t->ButtonMouseIn = t->ButtonMouseDown = false;
    }
  }
}

}  // namespace skin
