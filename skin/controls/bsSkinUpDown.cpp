#include "skin/controls/bsSkinUpDown.h"

#include "platform/gdi/Gdi.h"
#include "skin/controls/bsSkinButtons.h"

namespace skin {

namespace {

constexpr std::uintptr_t kRepeatTimer = 1;
constexpr unsigned kFirstDelay = 500, kRepeatInterval = 100, kReenterInterval = 50;

TRect OrElse(const TRect& R, const TRect& Fallback) { return IsEmptyRect(R) ? Fallback : R; }

}  // namespace

TbsDataSkinButtonControl* FindButtonDescription(TbsSkinData* SD, const String& Name) {
  if (!SD || SD->Empty) return nullptr;
  return dynamic_cast<TbsDataSkinButtonControl*>(SkinDescriptionAt(SD, SD->GetControlIndex(Name)));
}

void DrawButtonDescriptionFace(TbsSkinData* SD, TbsDataSkinButtonControl* D, gdi::TCanvas* C, TRect R, bool Hot,
                               bool Pressed) {
  TBitmap* P = SkinPictureAt(SD, D->PictureIndex);
  if (!P || IsEmptyRect(R)) return;
  const TRect Normal = D->SkinRect, Active = OrElse(D->ActiveSkinRect, Normal), Down = OrElse(D->DownSkinRect, Active);
  const TRect Src = Pressed && Hot ? Down : Hot ? Active : Normal;
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

// ------------------------------------------------------------------ TbsSkinUpDown
TbsSkinUpDown::TbsSkinUpDown(TComponent* AOwner) : TbsSkinCustomControl(AOwner) {
  FSkinDataName = u"hupdown";
  SetBounds(Left(), Top(), 50, 25);
}

TbsSkinUpDown::~TbsSkinUpDown() { StopTimer(); }

void TbsSkinUpDown::SetOrientation(TUDOrientation Value) {
  FOrientation = Value;
  if (Designing() && !Loading()) FSkinDataName = Value == udVertical ? u"vupdown" : u"hupdown";
  CalcRects();
  Repaint();
}

void TbsSkinUpDown::SetPosition(int Value) {
  if (Value > FMax || Value < FMin) return;
  FPosition = Value;
  if (!Designing() && OnChange) OnChange(this);
}

void TbsSkinUpDown::SetMin(int Value) {
  FMin = Value;
  if (FPosition < FMin) FPosition = FMin;
}

void TbsSkinUpDown::SetMax(int Value) {
  FMax = Value;
  if (FPosition > FMax) FPosition = FMax;
}

// ---- skin
void TbsSkinUpDown::GetSkinData() {
  TbsSkinCustomControl::GetSkinData();
  auto* D = dynamic_cast<TbsDataSkinUpDownControl*>(SkinDescriptionAt(FSD, FIndex));
  FHasUpDownDescription = D != nullptr;
  if (D) {
    UpButtonRect = D->UpButtonRect;
    ActiveUpButtonRect = D->ActiveUpButtonRect;
    DownUpButtonRect = OrElse(D->DownUpButtonRect, D->ActiveUpButtonRect);
    DownButtonRect = D->DownButtonRect;
    ActiveDownButtonRect = D->ActiveDownButtonRect;
    DownDownButtonRect = OrElse(D->DownDownButtonRect, D->ActiveDownButtonRect);
    LTPt = RTPt = LBPt = RBPt = {};
    ClRect = {};
    ResizeMode = GetResizeMode();
  }
  CalcRects();
}

void TbsSkinUpDown::AdjustSkinSize(int& W, int& H) {
  if (UseSkinSize) TbsSkinCustomControl::AdjustSkinSize(W, H);
}

void TbsSkinUpDown::UpdateSkinRegion() {
  if (UseSkinSize) TbsSkinCustomControl::UpdateSkinRegion();
}

void TbsSkinUpDown::CalcRects() {
  if (FIndex != -1 && FHasUpDownDescription && UseSkinSize) {
    Buttons[0].R = UpButtonRect;
    Buttons[1].R = DownButtonRect;
    return;
  }
  const int W = Width(), H = Height();
  if (FOrientation == udVertical) {
    Buttons[0].R = {0, 0, W, H / 2};
    Buttons[1].R = {0, H / 2, W, H};
  } else {
    Buttons[1].R = {0, 0, W / 2, H};
    Buttons[0].R = {W / 2, 0, W, H};
  }
}

int TbsSkinUpDown::ArrowDirection(int I) const {
  if (FOrientation == udVertical) return I == 0 ? 3 : 4;
  return I == 0 ? 2 : 1;
}

// ---- painting
void TbsSkinUpDown::CreateControlDefaultImage(TBitmap* B) {
  CalcRects();
  gdi::TCanvas* C = B->Canvas();
  for (int I = 0; I < 2; ++I) {
    const TbsCBButtonX& Btn = Buttons[I];
    DrawPlainButtonFrame(C, Btn.R, Btn.Down && Btn.MouseIn, Btn.MouseIn);
    DrawArrow(C, Btn.R, gdi::clBlack, ArrowDirection(I));
  }
}

void TbsSkinUpDown::CreateControlSkinImage(TBitmap* B) {
  if (!UseSkinSize) {
    FillButtonFace(B, Width(), Height());
    for (int I = 0; I < 2; ++I) DrawResizeButton(B->Canvas(), I);
    return;
  }
  TbsSkinCustomControl::CreateControlSkinImage(B);
  if (!Picture) return;
  const TRect Hot[2] = {ActiveUpButtonRect, ActiveDownButtonRect};
  const TRect Pressed[2] = {DownUpButtonRect, DownDownButtonRect};
  for (int I = 0; I < 2; ++I) {
    const TbsCBButtonX& Btn = Buttons[I];
    if (!Btn.MouseIn) continue;
    const TRect Src = Btn.Down ? Pressed[I] : Hot[I];
    if (IsEmptyRect(Src)) continue;
    B->Canvas()->CopyRect(Btn.R, Picture->Canvas(), Src);
  }
}

void TbsSkinUpDown::DrawResizeButton(gdi::TCanvas* C, int I) {
  const TbsCBButtonX& Btn = Buttons[I];
  TbsDataSkinButtonControl* D = FindButtonDescription(FSD, u"resizebutton");
  if (!D) {
    // No stretchable button in the skin: a blank face, no arrow.
    TBitmap Blank(RectWidth(Btn.R), RectHeight(Btn.R));
    FillButtonFace(&Blank, Blank.Width(), Blank.Height());
    C->Draw(Btn.R.Left, Btn.R.Top, &Blank);
    return;
  }
  const bool Pressed = Btn.Down && Btn.MouseIn;
  DrawButtonDescriptionFace(FSD, D, C, Btn.R, Btn.MouseIn, Pressed);
  TRect AR = Btn.R;
  TColor Colour = D->FontColor;
  if (Pressed) {
    AR.Left += 2;
    AR.Top += 2;
    Colour = D->DownFontColor;
  } else if (Btn.MouseIn) {
    Colour = D->ActiveFontColor;
  }
  DrawArrow(C, AR, Colour, ArrowDirection(I));
}

// ---- pointer and repeat
void TbsSkinUpDown::StartTimer(unsigned Interval) {
  if (FTimerOn) win::KillTimer(Handle(), kRepeatTimer);
  win::SetTimer(Handle(), kRepeatTimer, Interval, nullptr);
  FTimerOn = true;
}

void TbsSkinUpDown::StopTimer() {
  if (FTimerOn && HandleAllocated()) win::KillTimer(Handle(), kRepeatTimer);
  FTimerOn = false;
}

void TbsSkinUpDown::TestActive(int X, int Y) {
  FOldActiveButton = FActiveButton;
  int Found = -1;
  for (int I = 0; I < 2; ++I)
    if (PointInRectInclusive(Buttons[I].R, {X, Y})) {
      Found = I;
      break;
    }
  if (FCaptureButton != -1 && Found != FCaptureButton) Found = -1;
  FActiveButton = Found;
  if (FActiveButton == FOldActiveButton) return;
  if (FOldActiveButton != -1) ButtonLeave(FOldActiveButton);
  if (FActiveButton != -1) ButtonEnter(FActiveButton);
}

void TbsSkinUpDown::ButtonEnter(int I) {
  Buttons[1 - I].MouseIn = false;
  Buttons[I].MouseIn = true;
  Repaint();
  if (FIncrement != 0 && Buttons[I].Down) StartTimer(kReenterInterval);
}

void TbsSkinUpDown::ButtonLeave(int I) {
  Buttons[I].MouseIn = false;
  Repaint();
  if (FIncrement != 0 && Buttons[I].Down) StopTimer();
}

void TbsSkinUpDown::ButtonDown(int I) {
  Buttons[I].MouseIn = true;
  Buttons[I].Down = true;
  Repaint();
  if (FIncrement == 0) return;
  FTimerMode = I == 0 ? 2 : 1;
  FWaitMode = true;
  StartTimer(kFirstDelay);
}

void TbsSkinUpDown::ButtonUp(int I) {
  if (FIncrement != 0) {
    StopTimer();
    FTimerMode = 0;
  }
  Buttons[I].Down = false;
  if (I != FActiveButton) Buttons[I].MouseIn = false;
  Repaint();
  if (!Buttons[I].MouseIn) return;
  if (I == 0) {
    if (FIncrement != 0) SetPosition(FPosition + FIncrement);
    if (OnUpButtonClick) OnUpButtonClick(this);
  } else {
    if (FIncrement != 0) SetPosition(FPosition - FIncrement);
    if (OnDownButtonClick) OnDownButtonClick(this);
  }
}

void TbsSkinUpDown::MouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) {
  TestActive(X, Y);
  Buttons[FActiveButton == -1 ? 0 : 1 - FActiveButton].MouseIn = false;
  if (FActiveButton != -1) {
    FCaptureButton = FActiveButton;
    ButtonDown(FActiveButton);
  }
  TbsSkinCustomControl::MouseDown(Button, Shift, X, Y);
}

void TbsSkinUpDown::MouseMove(forms::TShiftState Shift, int X, int Y) {
  TestActive(X, Y);
  TbsSkinCustomControl::MouseMove(Shift, X, Y);
}

void TbsSkinUpDown::MouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) {
  if (FCaptureButton != -1) {
    const int I = FCaptureButton;
    FCaptureButton = -1;
    forms::TLiveness Live = Liveness();
    ButtonUp(I);
    if (!Live.Alive()) return;
  }
  TbsSkinCustomControl::MouseUp(Button, Shift, X, Y);
}

void TbsSkinUpDown::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case win::WM_TIMER:
      TbsSkinCustomControl::Dispatch(M);
      if (FWaitMode) {
        FWaitMode = false;
        StartTimer(kRepeatInterval);
      } else if (FTimerMode == 1) {
        SetPosition(FPosition - FIncrement);
      } else if (FTimerMode == 2) {
        SetPosition(FPosition + FIncrement);
      }
      return;
    case win::WM_SIZE:
      TbsSkinCustomControl::Dispatch(M);
      CalcRects();
      return;
    case forms::CM_MOUSEENTER:
      FActiveButton = FOldActiveButton = -1;
      TbsSkinCustomControl::Dispatch(M);
      return;
    case forms::CM_MOUSELEAVE:
      FActiveButton = FOldActiveButton = -1;
      TbsSkinCustomControl::Dispatch(M);
      for (auto& Btn : Buttons)
        if (Btn.MouseIn) {
          Btn.MouseIn = false;
          Repaint();
        }
      return;
  }
  TbsSkinCustomControl::Dispatch(M);
}

}  // namespace skin
