#include "platform/forms/Forms.h"
#include "platform/gdi/Gdi.h"
#include "skin/controls/bsSkinPanels.h"

namespace skin {

namespace {
constexpr int kScrollButtonWidth = 12;
constexpr std::uintptr_t kScrollTimer = 1;
}  // namespace

TbsSkinToolBar::TbsSkinToolBar(TComponent* AOwner) : TbsSkinPanel(AOwner) {
  FSkinDataName = u"toolpanel";
  ForcebackGround = false;
  FDefaultHeight = 0;
  SetHeight(25);
  SetBorderStyle(bvNone);
}

TbsSkinToolBar::~TbsSkinToolBar() { StopTimer(); }

bool TbsSkinToolBar::CentresControls(TRect& ClientR) {
  if (!AdjustControls) return false;
  ClientR = GetSkinClientRect();
  return true;
}

void TbsSkinToolBar::SetShowCaptions(bool Value) {
  if (FShowCaptions == Value) return;
  FShowCaptions = Value;
  if (AutoShowHideCaptions)
    for (int i = 0; i < ControlCount(); ++i)
      if (auto* B = dynamic_cast<TbsSkinSpeedButton*>(Controls(i))) B->SetShowCaption(Value);
  if (WidthWithCaptions != 0 && WidthWithoutCaptions != 0) SetWidth(Value ? WidthWithCaptions : WidthWithoutCaptions);
}

void TbsSkinToolBar::SetFlat(bool Value) {
  FFlat = Value;
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* B = dynamic_cast<TbsSkinSpeedButton*>(Controls(i))) B->SetFlat(Value);
}

void TbsSkinToolBar::SetImages(forms::TCustomImageList* Value) {
  FImages = Value;
  for (int i = 0; i < ControlCount(); ++i)
    if (auto* B = dynamic_cast<TbsSkinSpeedButton*>(Controls(i))) B->Repaint();
}

void TbsSkinToolBar::Notification(TComponent* AComponent, rtl::TOperation Operation) {
  TbsSkinPanel::Notification(AComponent, Operation);
  if (Operation != rtl::opRemove) return;
  if (AComponent == FImages) SetImages(nullptr);
  if (AComponent == FHotImages) SetHotImages(nullptr);
  if (AComponent == FDisabledImages) SetDisabledImages(nullptr);
}

void TbsSkinToolBar::GetSkinData() {
  TbsSkinPanel::GetSkinData();
  ButtonData = nullptr;
  if (FIndex == -1) return;
  const int I = FSD->GetControlIndex(u"resizebutton");
  if (I != -1) ButtonData = dynamic_cast<TbsDataSkinButtonControl*>(FSD->CtrlList[I].get());
}

void TbsSkinToolBar::SetSkinDataName(const String& Value) {
  TbsSkinPanel::SetSkinDataName(Value);
  if (!Designing() || Loading()) return;
  for (int i = 0; i < ControlCount(); ++i) {
    auto* B = dynamic_cast<TbsSkinSpeedButton*>(Controls(i));
    if (!B) continue;
    if (Value == u"resizetoolpanel")
      B->SetSkinDataName(u"resizetoolbutton");
    else if (Value == u"panel")
      B->SetSkinDataName(u"resizebutton");
    else if (Value == u"bigtoolpanel")
      B->SetSkinDataName(u"bigtoolbutton");
    else
      B->SetSkinDataName(u"toolbutton");
  }
}

void TbsSkinToolBar::SetSkinData(TbsSkinData* Value) {
  TbsSkinPanel::SetSkinData(Value);
  for (int i = 0; i < ControlCount(); ++i) {
    if (auto* B = dynamic_cast<TbsSkinSpeedButton*>(Controls(i)))
      B->SetSkinData(Value);
    else if (auto* V = dynamic_cast<TbsSkinBevel*>(Controls(i)))
      V->SetSkinData(Value);
  }
}

void TbsSkinToolBar::CentreChildren() {
  const TRect R = GetSkinClientRect();
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* C = Controls(i);
    if (dynamic_cast<TbsSkinControl*>(C) || dynamic_cast<TbsGraphicSkinControl*>(C) || C->Align() != forms::alNone)
      continue;
    C->SetTop(R.Top + RectHeight(R) / 2 - C->Height() / 2);
  }
}

void TbsSkinToolBar::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  const int W0 = Width();
  TbsSkinPanel::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (AdjustControls)
    for (int i = 0; i < ControlCount(); ++i) {
      TControl* C = Controls(i);
      C->SetBounds(C->Left(), C->Top(), C->Width(), C->Height());
    }
  if (!CanScroll) return;
  FHSizeOffset = W0 != 0 && Width() > W0 ? Width() - W0 : 0;
  if (Align() != forms::alNone) UpdateScrollRange();
  if (AdjustControls) CentreChildren();
}

void TbsSkinToolBar::ScrollChildren(int D) {
  ScrollBy(-D, 0);
  Repaint();
}

void TbsSkinToolBar::ShowScrollButtons(bool Show) {
  if (Buttons[0].Visible == Show) return;
  Buttons[0].Visible = Buttons[1].Visible = Show;
  // The non-client area is computed again for the new state.
  if (HandleAllocated())
    win::SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                      win::SWP_NOMOVE | win::SWP_NOSIZE | win::SWP_NOZORDER | win::SWP_NOACTIVATE |
                          win::SWP_FRAMECHANGED);
  HandleNeeded();
  Buttons[0].R = {0, 0, kScrollButtonWidth, Height()};
  Buttons[1].R = {Width() - kScrollButtonWidth, 0, Width(), Height()};
}

void TbsSkinToolBar::UpdateScrollRange() {
  if (!CanScroll || Width() == 0) return;
  int M = 0;
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* C = Controls(i);
    if (C->Visible()) M = std::max(M, C->Left() + C->Width());
  }
  if (M == 0) {
    ShowScrollButtons(false);
    return;
  }
  int CW = ClientWidth();
  const int E = SPosition + M;
  if (E > CW) {
    ShowScrollButtons(true);
    CW = ClientWidth();
    if (SPosition > 0 && CW > M && FHSizeOffset > 0) {
      FHSizeOffset = std::min(FHSizeOffset, SPosition);
      SMax = E - 1;
      SPosition -= FHSizeOffset;
      SPage = CW;
      ScrollChildren(-FHSizeOffset);
      SOldPosition = SPosition;
    } else if (FHSizeOffset == 0 && E - 1 < SMax && SPosition > 0 && CW > M) {
      SMax = E - 1;
      SPosition -= CW - M;
      SPage = CW;
      ScrollChildren(-(CW - M));
      FHSizeOffset = 0;
      SOldPosition = SPosition;
    } else {
      SMax = E - 1;
      SPage = CW;
      FHSizeOffset = 0;
      SOldPosition = SPosition;
    }
  } else {
    if (SPosition > 0) ScrollChildren(-SPosition);
    FHSizeOffset = SMax = SPosition = SPage = 0;
    SOldPosition = 0;
    ShowScrollButtons(false);
  }
}

void TbsSkinToolBar::ScrollStep(int Direction) {
  const int Step = FScrollOffset != 0 ? FScrollOffset : ClientWidth();
  if (Direction == 1)
    SPosition = std::min(SPosition + Step, SMax - SPage + 1);
  else
    SPosition = std::max(SPosition - Step, 0);
  if (SPosition == SOldPosition) {
    StopTimer();
    return;
  }
  ScrollChildren(SPosition - SOldPosition);
  SOldPosition = SPosition;
}

void TbsSkinToolBar::StartTimer() {
  if (FTimerRunning) win::KillTimer(Handle(), kScrollTimer);
  win::SetTimer(Handle(), kScrollTimer, unsigned(FScrollTimerInterval), nullptr);
  FTimerRunning = true;
}

void TbsSkinToolBar::StopTimer() {
  if (FTimerRunning && HandleAllocated()) win::KillTimer(Handle(), kScrollTimer);
  FTimerRunning = false;
  FTimerMode = 0;
}

void TbsSkinToolBar::AdjustClientRect(TRect& Rect) {
  TbsSkinPanel::AdjustClientRect(Rect);
  if ((CanScroll && Buttons[0].Visible) || Buttons[1].Visible) {
    const int CW = ClientWidth(), CH = ClientHeight();
    Rect = {-SPosition, 0, -SPosition + std::max(SMax, CW), CH};
    if (FIndex == -1 || Designing()) {
      Rect.Top = 1;
      Rect.Bottom = CH - 1;
    } else if (!(FBorderStyle == bvNone && ResizeMode == 1)) {
      Rect.Top = NewClRect.Top;
      Rect.Bottom = NewClRect.Bottom;
    }
  }
}

void TbsSkinToolBar::CreateControlSkinImage(TBitmap* B) {
  if (Buttons[0].Visible && ResizeMode == 2 && Picture) {
    ComposeHorzSkinImageMiddleOnly(LTPt.X, RectWidth(SkinRect) - RTPt.X, B, Picture, SkinRect, Width(), Height(),
                                   StretchEffect);
    return;
  }
  TbsSkinPanel::CreateControlSkinImage(B);
}

void TbsSkinToolBar::ClearHover() {
  const int I = Buttons[0].MouseIn && Buttons[0].Visible ? 0 : Buttons[1].MouseIn && Buttons[1].Visible ? 1 : -1;
  if (I < 0) return;
  if (FTimerRunning) StopTimer();
  Buttons[I].MouseIn = false;
  PaintScrollButtons();
}

void TbsSkinToolBar::DrawScrollButton(gdi::TCanvas* C, int I) {
  ScrollButton& SB = Buttons[I];
  const int W = RectWidth(SB.R), H = RectHeight(SB.R);
  if (W <= 0 || H <= 0) return;
  TBitmap B(W, H);
  gdi::TCanvas* BC = B.Canvas();
  TColor Arrow = gdi::clBtnText;
  const bool Pressed = SB.MouseIn && (SB.Down || HotScroll);
  TBitmap* P = ButtonData ? SkinPictureAt(FSD, ButtonData->PictureIndex) : nullptr;
  if (ButtonData && P) {
    const auto& D = *ButtonData;
    TRect R = D.SkinRect;
    Arrow = D.FontColor;
    if (!IsEmptyRect(D.DownSkinRect) && Pressed) {
      R = D.DownSkinRect;
      Arrow = D.DownFontColor;
    } else if (SB.MouseIn && !IsEmptyRect(D.ActiveSkinRect)) {
      R = D.ActiveSkinRect;
      Arrow = D.ActiveFontColor;
    }
    const int dW = W - RectWidth(D.SkinRect), dH = H - RectHeight(D.SkinRect);
    ComposeSkinImage(D.LTPoint, D.RTPoint, D.LBPoint, D.RBPoint, D.ClRect, D.LTPoint, {D.RTPoint.X + dW, D.RTPoint.Y},
                     {D.LBPoint.X, D.LBPoint.Y + dH}, {D.RBPoint.X + dW, D.RBPoint.Y + dH},
                     {D.ClRect.Left, D.ClRect.Top, D.ClRect.Right + dW, D.ClRect.Bottom + dH}, &B, P, R, W, H, true,
                     D.LeftStretch, D.TopStretch, D.RightStretch, D.BottomStretch, D.StretchEffect, D.StretchType);
  } else {
    DrawPlainButtonFrame(BC, {0, 0, W, H}, Pressed, SB.MouseIn);
  }
  DrawArrow(BC, {0, 0, W, H}, Arrow, I == 0 ? 1 : 2);
  C->Draw(SB.R.Left, SB.R.Top, &B);
}

void TbsSkinToolBar::PaintScrollButtons() {
  if (!CanScroll || !Buttons[0].Visible || !HandleAllocated()) return;
  GetSkinData();
  gdi::HDC DC = win::GetWindowDC(Handle());
  if (!DC) return;
  gdi::TCanvas C;
  C.SetHandle(DC);
  for (int I = 0; I < 2; ++I)
    if (Buttons[I].Visible) DrawScrollButton(&C, I);
  C.SetHandle(nullptr);
  win::ReleaseDC(Handle(), DC);
}

void TbsSkinToolBar::WndProc(TMessage& M) {
  if (M.Msg == win::WM_NCCALCSIZE) {
    if (M.WParam && M.LParam && CanScroll) {
      auto* P = reinterpret_cast<win::NCCALCSIZE_PARAMS*>(M.LParam);
      GetSkinData();
      if (Buttons[0].Visible) P->rgrc[0].Left += kScrollButtonWidth;
      if (Buttons[1].Visible) P->rgrc[0].Right -= kScrollButtonWidth;
    }
    M.Result = 0;
    return;
  }
  if (M.Msg == win::WM_NCPAINT) {
    PaintScrollButtons();
    return;
  }
  if (CanScroll) {
    switch (M.Msg) {
      case win::WM_NCHITTEST:
        if (!Designing()) {
          const TPoint P =
              ScreenToClient({short(M.LParam & 0xFFFF), short((M.LParam >> 16) & 0xFFFF)});
          if (P.X < 0 && Buttons[0].Visible) {
            M.Result = HTSCROLLLEFT;
            return;
          }
          if (P.X > ClientWidth() && Buttons[1].Visible) {
            M.Result = HTSCROLLRIGHT;
            return;
          }
        }
        break;
      case win::WM_SETCURSOR:
        if ((M.LParam & 0xFFFF) == HTSCROLLLEFT || (M.LParam & 0xFFFF) == HTSCROLLRIGHT)
          M.LParam = (M.LParam & ~win::LPARAM(0xFFFF)) | win::HTCLIENT;
        break;
      case win::WM_NCMOUSEMOVE:
        for (int I = 0; I < 2; ++I)
          if (M.WParam == win::WPARAM(HTSCROLLLEFT + I) && !Buttons[I].MouseIn) {
            Buttons[I].MouseIn = true;
            Buttons[1 - I].MouseIn = false;
            PaintScrollButtons();
            if (HotScroll) {
              FTimerMode = I + 1;
              StartTimer();
            }
          }
        break;
      case win::WM_NCLBUTTONDOWN:
      case win::WM_NCLBUTTONDBLCLK:
        if (M.WParam == HTSCROLLLEFT || M.WParam == HTSCROLLRIGHT) {
          const int I = int(M.WParam) - HTSCROLLLEFT;
          Buttons[I].Down = true;
          PaintScrollButtons();
          FTimerMode = I + 1;
          StartTimer();
        }
        break;
      case win::WM_NCLBUTTONUP:
        if (M.WParam == HTSCROLLLEFT || M.WParam == HTSCROLLRIGHT) {
          const int I = int(M.WParam) - HTSCROLLLEFT;
          Buttons[I].Down = false;
          PaintScrollButtons();
          StopTimer();
          ScrollStep(I);
        }
        break;
      case win::WM_MOUSEMOVE:
        ClearHover();
        break;
    }
  }
  if (M.Msg == win::WM_WINDOWPOSCHANGING && HandleAllocated() && Align() == forms::alNone) UpdateScrollRange();
  TbsSkinPanel::WndProc(M);
  switch (M.Msg) {
    case win::WM_WINDOWPOSCHANGING:
      if (HandleAllocated() && AdjustControls) CentreChildren();
      break;
    case win::WM_TIMER:
      if (CanScroll && M.WParam == kScrollTimer) {
        if (FTimerMode == 1)
          ScrollStep(0);
        else if (FTimerMode == 2)
          ScrollStep(1);
      }
      break;
    case forms::CM_MOUSELEAVE:
      if (CanScroll && !Designing()) {
        win::POINT P;
        win::GetCursorPos(&P);
        if (win::WindowFromPoint(P) != Handle()) ClearHover();
      }
      break;
    case win::WM_SIZE:
      if (CanScroll && Buttons[0].Visible) {
        Buttons[0].R = {0, 0, kScrollButtonWidth, Height()};
        Buttons[1].R = {Width() - kScrollButtonWidth, 0, Width(), Height()};
        PaintScrollButtons();
      }
      break;
  }
}

}  // namespace skin
