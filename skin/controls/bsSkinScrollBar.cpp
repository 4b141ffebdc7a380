#include "skin/controls/bsSkinScrollBar.h"

#include <cmath>
#include <cstdint>

#include "platform/gdi/Gdi.h"
#include "platform/rtl/SysUtils.h"

namespace skin {

namespace {

constexpr int kPlainArrow = 16;     // plain arrow length
constexpr int kPlainMinThumb = 16;  // plain thumb length (and minimum)
constexpr unsigned kFirstDelay = 500, kRepeatDelay = 50;
constexpr TColor kHotFace = 0x00D2BDB6, kDownFace = 0x00B59385;

int RoundInt(double V) { return int(rtl::Round(V)); }

TRect Moved(TRect R, int dx, int dy) { return {R.Left + dx, R.Top + dy, R.Right + dx, R.Bottom + dy}; }

}  // namespace

bool PassFocusingClick(forms::TWinControl* C, TMessage& M, bool& ClicksDisabled) {
  switch (M.Msg) {
    case win::WM_LBUTTONDOWN:
    case win::WM_LBUTTONDBLCLK:
      if (!C->ComponentState().Contains(rtl::csDesigning) && !C->Focused()) {
        ClicksDisabled = true;
        win::SetFocus(C->Handle());
        ClicksDisabled = false;
        return C->Focused();
      }
      return true;
    case forms::CN_COMMAND:
      return !ClicksDisabled;
  }
  return true;
}

TbsSkinScrollBar::TbsSkinScrollBar(TComponent* AOwner) : TbsSkinCustomControl(AOwner) {
  SetBounds(Left(), Top(), 200, 19);
  FDefaultHeight = 19;
  FSkinDataName = u"hscrollbar";
  SetTabStop(false);
}

// ------------------------------------------------------------------ properties
int TbsSkinScrollBar::ClampPosition(int Value) const {
  const int Upper = FPageSize != 0 ? FMax - FPageSize + 1 : FMax;
  if (Value < FMin) return FMin;
  if (Value > Upper) return Upper;
  return Value;
}

void TbsSkinScrollBar::SetKind(TScrollBarKind Value) {
  if (FKind == Value) return;
  FKind = Value;
  if (Designing() && !Loading()) {
    SetSkinDataName(Value == sbVertical ? u"vscrollbar" : u"hscrollbar");
    if ((Value == sbVertical && Width() > Height()) || (Value == sbHorizontal && Height() > Width()))
      SetBounds(Left(), Top(), Height(), Width());
    if (Value == sbVertical) {
      FDefaultWidth = FDefaultHeight;
      FDefaultHeight = 0;
    } else {
      FDefaultHeight = FDefaultWidth;
      FDefaultWidth = 0;
    }
  }
  Repaint();
}

void TbsSkinScrollBar::SetMin(int Value) {
  FMin = Value;
  if (FPosition < FMin) FPosition = FMin;
  Repaint();
}

void TbsSkinScrollBar::SetMax(int Value) {
  FMax = Value;
  if (FPageSize != 0 && Value - FMin < FPageSize + FPosition) {
    FPosition = Value - FMin - FPageSize + 1;
    if (FPosition < FMin) FPosition = FMin;
  } else if (FPageSize == 0 && Value < FPosition) {
    FPosition = Value;
  }
  // With a minimum other than 0 the rule above can leave the position past
  // the last page: keep it in the range.
  FPosition = ClampPosition(FPosition);
  Repaint();
}

void TbsSkinScrollBar::SetPageSize(int Value) {
  if (FMax - FMin + 1 >= Value + FPosition) {
    FPageSize = Value;
    FPosition = ClampPosition(FPosition);
  }
  Repaint();
}

void TbsSkinScrollBar::SetPosition(int Value) {
  Value = ClampPosition(Value);
  if (Value == FPosition) return;
  FPosition = Value;
  auto Live = Liveness();
  Repaint();
  if (Live.Alive() && OnChange) OnChange(this);
}

void TbsSkinScrollBar::SimplySetPosition(int AValue) {
  AValue = ClampPosition(AValue);
  if (AValue == FPosition) return;
  FPosition = AValue;
  Repaint();
}

void TbsSkinScrollBar::SetRange(int AMin, int AMax, int APosition, int APageSize) {
  FPageSize = APageSize;
  FMin = AMin;
  FMax = AMax;
  FPosition = ClampPosition(APosition);
  Repaint();
}

void TbsSkinScrollBar::SetSmallChange(int Value) {
  FSmallChange = Value;
  Repaint();
}

void TbsSkinScrollBar::SetLargeChange(int Value) {
  FLargeChange = Value;
  Repaint();
}

void TbsSkinScrollBar::SetBoth(bool Value) {
  if (FBoth == Value) return;
  FBoth = Value;
  if (!Designing()) {
    if (Value) {
      FNormalSkinDataName = FSkinDataName;
      FSkinDataName = BothSkinDataName;
    } else if (!FNormalSkinDataName.empty()) {
      FSkinDataName = FNormalSkinDataName;
    }
  }
  GetSkinData();
  if (FIndex == -1)
    Repaint();
  else
    ChangeSkinData();
}

void TbsSkinScrollBar::SetBothMarkerWidth(int Value) {
  if (Value < 0) return;
  FBothMarkerWidth = Value;
  if (FIndex == -1) Repaint();
}

void TbsSkinScrollBar::SetCanFocused(bool Value) {
  FCanFocused = Value;
  SetTabStop(Value);
}

bool TbsSkinScrollBar::HasKeyboardFocus() { return FCanFocused && HandleAllocated() && Focused(); }

// ------------------------------------------------------------------ skin
void TbsSkinScrollBar::GetSkinData() {
  TbsSkinCustomControl::GetSkinData();
  auto* D = dynamic_cast<TbsDataSkinScrollBarControl*>(SkinDescriptionAt(FSD, FIndex));
  if (FIndex == -1 || !D) return;
  TrackArea = D->TrackArea;
  UpButtonRect = D->UpButtonRect;
  ActiveUpButtonRect = D->ActiveUpButtonRect;
  DownUpButtonRect = IsEmptyRect(D->DownUpButtonRect) ? ActiveUpButtonRect : D->DownUpButtonRect;
  DownButtonRect = D->DownButtonRect;
  ActiveDownButtonRect = D->ActiveDownButtonRect;
  DownDownButtonRect = IsEmptyRect(D->DownDownButtonRect) ? ActiveDownButtonRect : D->DownDownButtonRect;
  ThumbRect = D->ThumbRect;
  ActiveThumbRect = IsEmptyRect(D->ActiveThumbRect) ? ThumbRect : D->ActiveThumbRect;
  DownThumbRect = IsEmptyRect(D->DownThumbRect) ? ActiveThumbRect : D->DownThumbRect;
  ThumbOffset1 = D->ThumbOffset1;
  ThumbOffset2 = D->ThumbOffset2;
  ThumbTransparent = D->ThumbTransparent;
  ThumbTransparentColor = D->ThumbTransparentColor;
  GlyphRect = D->GlyphRect;
  ActiveGlyphRect = IsEmptyRect(D->ActiveGlyphRect) ? GlyphRect : D->ActiveGlyphRect;
  DownGlyphRect = IsEmptyRect(D->DownGlyphRect) ? ActiveGlyphRect : D->DownGlyphRect;
  GlyphTransparent = D->GlyphTransparent;
  GlyphTransparentColor = D->GlyphTransparentColor;
  ThumbStretchEffect = D->ThumbStretchEffect;
  ThumbMinSize = D->ThumbMinSize;
  ThumbMinPageSize = D->ThumbMinPageSize;
}

void TbsSkinScrollBar::AdjustSkinSize(int& W, int& H) {
  TbsSkinCustomControl::AdjustSkinSize(W, H);
  CalcRects();
}

// ------------------------------------------------------------------ layout
void TbsSkinScrollBar::CalcRects() {
  const bool V = Vertical();
  const bool Skinned = FIndex != -1;
  TRect Track;
  int ThumbLen, ThumbBreadth = 0, MinLen;
  if (!Skinned) {
    if (!V) {
      const int W = FBoth ? Width() - FBothMarkerWidth : Width();
      Buttons[2].R = {1, 1, 1 + kPlainArrow, Height() - 1};
      Buttons[1].R = {W - 1 - kPlainArrow, 1, W - 1, Height() - 1};
      Track = {1 + kPlainArrow, 1, W - 1 - kPlainArrow, Height() - 1};
    } else {
      Buttons[2].R = {1, 1, Width() - 1, 1 + kPlainArrow};
      Buttons[1].R = {1, Height() - 1 - kPlainArrow, Width() - 1, Height() - 1};
      Track = {1, 1 + kPlainArrow, Width() - 1, Height() - 1 - kPlainArrow};
    }
    MinLen = kPlainMinThumb;
    ThumbLen = kPlainMinThumb;
  } else {
    TRect Up = UpButtonRect, Dn = DownButtonRect;
    if (!V) {
      const int d = Width() - RectWidth(SkinRect);
      Track = {TrackArea.Left, TrackArea.Top, TrackArea.Right + d, TrackArea.Bottom};
      if (Up.Left >= RTPt.X) Up = Moved(Up, d, 0);
      if (Dn.Left >= RTPt.X) Dn = Moved(Dn, d, 0);
    } else {
      const int d = Height() - RectHeight(SkinRect);
      Track = {TrackArea.Left, TrackArea.Top, TrackArea.Right, TrackArea.Bottom + d};
      if (Up.Top >= LBPt.Y) Up = Moved(Up, 0, d);
      if (Dn.Top >= LBPt.Y) Dn = Moved(Dn, 0, d);
    }
    Buttons[1].R = Up;
    Buttons[2].R = Dn;
    int SkinLen = V ? RectHeight(ThumbRect) : RectWidth(ThumbRect);
    ThumbBreadth = V ? RectWidth(ThumbRect) : RectHeight(ThumbRect);
    if (ThumbMinSize != 0) SkinLen = ThumbMinSize;
    MinLen = SkinLen;
    ThumbLen = ThumbMinPageSize != 0 ? ThumbMinPageSize : SkinLen;
  }
  NewTrackArea = Track;
  const int TStart = V ? Track.Top : Track.Left, TEnd = V ? Track.Bottom : Track.Right;
  if (FPageSize != 0) {
    const int Span = FMax - FMin + 1;
    const double Ratio = Span == 0 ? 0.0 : double(FPageSize) / double(Span);
    ThumbLen = RoundInt((TEnd - TStart) * Ratio);
    if (ThumbLen < MinLen) ThumbLen = MinLen;
  }
  double A;
  if (FPageSize == 0) {
    A = FMax == FMin ? 0.0 : double(FPosition - FMin) / double(FMax - FMin);
  } else {
    const int Den = FMax - FPageSize + 1 - FMin;
    A = Den > 0 ? double(FPosition - FMin) / double(Den) : (V ? 0.0 : 1.0);
  }
  const int h = ThumbLen / 2;
  Offset1 = TStart + h;
  Offset2 = TEnd - h;
  BOffset = RoundInt((Offset2 - Offset1) * A);
  const int c = Offset1 + BOffset;
  int A0, A1;  // across the bar
  if (!Skinned) {
    A0 = V ? Track.Left : Track.Top;
    A1 = V ? Track.Right : Track.Bottom;
  } else {
    const int TrackA0 = V ? Track.Left : Track.Top;
    const int TrackBreadth = V ? RectWidth(Track) : RectHeight(Track);
    A0 = TrackA0 + TrackBreadth / 2 - ThumbBreadth / 2;
    A1 = A0 + ThumbBreadth;
  }
  Buttons[0].R = V ? TRect{A0, c - h, A1, c + h} : TRect{c - h, A0, c + h, A1};
}

int TbsSkinScrollBar::CalcPosition(int D) {
  const TRect& T = NewTrackArea;
  const int TStart = Vertical() ? T.Top : T.Left, TEnd = Vertical() ? T.Bottom : T.Right;
  auto Fraction = [&](double Num) {
    const int Span = Offset2 - Offset1;
    if (Span <= 0) return 0.0;
    const double F = Num / Span;
    return F < 0 ? 0.0 : F > 1 ? 1.0 : F;
  };
  if (FPageSize != 0) {
    const TRect& Th = Buttons[0].R;
    const int L = Vertical() ? RectHeight(Th) : RectWidth(Th);
    Offset1 = TStart + L / 2;
    Offset2 = TEnd - L / 2;
    return FMin + RoundInt((FMax - FMin - FPageSize + 1) * Fraction(D + OldBOffset));
  }
  return FMin + RoundInt((FMax - FMin) * Fraction(D));
}

// ------------------------------------------------------------------ looks
void TbsSkinScrollBar::DrawPlainPart(gdi::TCanvas* C, int I) {
  const TPartState& P = Buttons[I];
  TRect R = P.R;
  if (IsEmptyRect(R)) return;
  TColor Frame, Face;
  if ((P.Down && P.MouseIn) || (I == 0 && (P.Down || HasKeyboardFocus()))) {
    Frame = gdi::clNavy;
    Face = kDownFace;
  } else if (P.MouseIn) {
    Frame = gdi::clNavy;
    Face = kHotFace;
  } else {
    Frame = gdi::clBtnShadow;
    Face = gdi::clBtnFace;
  }
  C->Brush()->SetColor(Frame);
  C->FrameRect(R);
  C->Brush()->SetColor(Face);
  C->FillRect({R.Left + 1, R.Top + 1, R.Right - 1, R.Bottom - 1});
  if (I == 1) DrawArrow(C, R, gdi::clBlack, Vertical() ? 4 : 2);
  if (I == 2) DrawArrow(C, R, gdi::clBlack, Vertical() ? 3 : 1);
}

void TbsSkinScrollBar::CreateControlDefaultImage(TBitmap* B) {
  CalcRects();
  gdi::TCanvas* C = B->Canvas();
  C->Brush()->SetColor(gdi::clBtnFace);
  C->FillRect({0, 0, Width(), Height()});
  if (Enabled()) DrawPlainPart(C, 0);
  DrawPlainPart(C, 1);
  DrawPlainPart(C, 2);
}

void TbsSkinScrollBar::DrawSkinArrow(gdi::TCanvas* C, int I, const TRect& Active, const TRect& Down) {
  const TPartState& P = Buttons[I];
  TRect Src;
  if (P.Down && P.MouseIn)
    Src = Down;
  else if (P.MouseIn)
    Src = Active;
  else
    return;
  if (IsEmptyRect(Src) || IsEmptyRect(P.R)) return;
  C->CopyRect(P.R, Picture->Canvas(), Src);
}

void TbsSkinScrollBar::DrawSkinThumb(gdi::TCanvas* C) {
  const TPartState& P = Buttons[0];
  const TRect R = P.R;
  if (IsEmptyRect(R)) return;
  const bool Pressed = P.Down || HasKeyboardFocus();
  const TRect Src = Pressed ? DownThumbRect : P.MouseIn ? ActiveThumbRect : ThumbRect;
  if (IsEmptyRect(Src)) return;
  TBitmap T(RectWidth(R), RectHeight(R));
  if (FPageSize != 0 || ThumbMinPageSize != 0) {
    TBitmap S;
    if (Vertical())
      ComposeVertSkinImage(ThumbOffset1, ThumbOffset2, &S, Picture, Src, T.Width(), T.Height(), ThumbStretchEffect);
    else
      ComposeHorzSkinImage(ThumbOffset1, ThumbOffset2, &S, Picture, Src, T.Width(), T.Height(), ThumbStretchEffect);
    if (!S.Empty()) T.Canvas()->Draw(0, 0, &S);
  } else {
    T.Canvas()->CopyRect({0, 0, RectWidth(Src), RectHeight(Src)}, Picture->Canvas(), Src);
  }
  const TRect G = Pressed ? DownGlyphRect : P.MouseIn ? ActiveGlyphRect : GlyphRect;
  const bool Shorter = Vertical() ? RectHeight(G) < T.Height() : RectWidth(G) < T.Width();
  if (!IsEmptyRect(G) && Shorter) {
    const int GL = T.Width() / 2 - RectWidth(G) / 2, GT = T.Height() / 2 - RectHeight(G) / 2;
    const TRect Dst{GL, GT, GL + RectWidth(G), GT + RectHeight(G)};
    if (GlyphTransparent) {
      TBitmap GB(RectWidth(G), RectHeight(G));
      GB.Canvas()->CopyRect({0, 0, GB.Width(), GB.Height()}, Picture->Canvas(), G);
      GB.SetTransparentMode(gdi::tmFixed);
      GB.SetTransparentColor(GlyphTransparentColor);
      GB.SetTransparent(true);
      T.Canvas()->Draw(GL, GT, &GB);
    } else {
      T.Canvas()->CopyRect(Dst, Picture->Canvas(), G);
    }
  }
  if (ThumbTransparent) {
    T.SetTransparentMode(gdi::tmFixed);
    T.SetTransparentColor(ThumbTransparentColor);
    T.SetTransparent(true);
  }
  C->Draw(R.Left, R.Top, &T);
}

void TbsSkinScrollBar::CreateControlSkinImage(TBitmap* B) {
  TbsSkinCustomControl::CreateControlSkinImage(B);
  CalcRects();
  if (!Picture) return;
  gdi::TCanvas* C = B->Canvas();
  DrawSkinArrow(C, 1, ActiveUpButtonRect, DownUpButtonRect);
  DrawSkinArrow(C, 2, ActiveDownButtonRect, DownDownButtonRect);
  if (Enabled()) DrawSkinThumb(C);
}

// ------------------------------------------------------------------ hover and press
void TbsSkinScrollBar::TestActive(int X, int Y) {
  int I = -1;
  for (int k = 0; k < 3; ++k)
    if (Buttons[k].R.Contains(TPoint{X, Y})) {
      I = k;
      break;
    }
  if (CaptureButton != -1 && I != CaptureButton) I = -1;
  if (I == ActiveButton) return;
  OldActiveButton = ActiveButton;
  ActiveButton = I;
  if (OldActiveButton != -1) ButtonLeave(OldActiveButton);
  if (ActiveButton != -1) ButtonEnter(ActiveButton);
}

void TbsSkinScrollBar::ButtonEnter(int I) {
  Buttons[I].MouseIn = true;
  Repaint();
  if (I != 0 && Buttons[I].Down) StartRepeatTimer();
}

void TbsSkinScrollBar::ButtonLeave(int I) {
  Buttons[I].MouseIn = false;
  Repaint();
  if (I != 0 && Buttons[I].Down && FTimerOn) {
    win::KillTimer(Handle(), kRepeatTimer);
    FTimerOn = false;
  }
}

void TbsSkinScrollBar::StepUp() {
  if (OnUpButtonClick)
    OnUpButtonClick(this);
  else
    SetPosition(FPosition + FSmallChange);
}

void TbsSkinScrollBar::StepDown() {
  if (OnDownButtonClick)
    OnDownButtonClick(this);
  else
    SetPosition(FPosition - FSmallChange);
}

void TbsSkinScrollBar::ButtonDown(int I, int X, int Y) {
  Buttons[I].Down = true;
  Repaint();
  auto Live = Liveness();
  if (I == 1) {
    StepUp();
    if (!Live.Alive()) return;
    TimerMode = 2;
    StartTimer(kFirstDelay);
  } else if (I == 2) {
    StepDown();
    if (!Live.Alive()) return;
    TimerMode = 1;
    StartTimer(kFirstDelay);
  } else {
    OMPos = Vertical() ? Y : X;
    OldBOffset = BOffset;
    FDown = true;
    Repaint();
  }
}

void TbsSkinScrollBar::ButtonUp(int I) {
  Buttons[I].Down = false;
  if (ActiveButton != I) Buttons[I].MouseIn = false;
  Repaint();
  if (I == 0)
    FDown = false;
  else
    StopTimer();
}

void TbsSkinScrollBar::StartTimer(unsigned Ms) {
  if (!HandleAllocated()) return;
  if (FTimerOn) win::KillTimer(Handle(), kRepeatTimer);
  win::SetTimer(Handle(), kRepeatTimer, Ms, nullptr);
  FTimerOn = true;
}

void TbsSkinScrollBar::StartRepeatTimer() { StartTimer(kRepeatDelay); }

void TbsSkinScrollBar::StopTimer() {
  if (FTimerOn && HandleAllocated()) win::KillTimer(Handle(), kRepeatTimer);
  FTimerOn = false;
  TimerMode = 0;
}

bool TbsSkinScrollBar::BeforeThumb(int X, int Y) const {
  return Vertical() ? Y < Buttons[0].R.Top : X < Buttons[0].R.Left;
}

bool TbsSkinScrollBar::BeyondThumb(int X, int Y) const {
  return Vertical() ? Y > Buttons[0].R.Bottom : X > Buttons[0].R.Right;
}

void TbsSkinScrollBar::MouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) {
  auto Live = Liveness();
  TbsSkinCustomControl::MouseDown(Button, Shift, X, Y);
  if (!Live.Alive() || Button != forms::mbLeft) return;
  MouseD = true;
  MX = X;
  MY = Y;
  CalcRects();
  TimerMode = 0;
  WaitMode = true;
  for (int I = 0; I < 3; ++I)
    if (Buttons[I].R.Contains(TPoint{X, Y})) {
      CaptureButton = I;
      ButtonDown(I, X, Y);
      return;
    }
  if (!NewTrackArea.Contains(TPoint{X, Y})) return;
  if (BeforeThumb(X, Y)) {
    SetPosition(FPosition - FLargeChange);
    if (!Live.Alive()) return;
    TimerMode = 3;
    StartTimer(kFirstDelay);
    if (OnPageUp) OnPageUp(this);
  } else {
    SetPosition(FPosition + FLargeChange);
    if (!Live.Alive()) return;
    TimerMode = 4;
    StartTimer(kFirstDelay);
    if (OnPageDown) OnPageDown(this);
  }
}

void TbsSkinScrollBar::MouseMove(forms::TShiftState Shift, int X, int Y) {
  MX = X;
  MY = Y;
  TestActive(X, Y);
  if (FDown) {
    const int P = Vertical() ? Y : X;
    auto Live = Liveness();
    SetPosition(CalcPosition(FPageSize != 0 ? P - OMPos : P + OldBOffset - OMPos));
    if (!Live.Alive()) return;
  }
  TbsSkinCustomControl::MouseMove(Shift, X, Y);
}

void TbsSkinScrollBar::MouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) {
  auto Live = Liveness();
  TbsSkinCustomControl::MouseUp(Button, Shift, X, Y);
  if (!Live.Alive()) return;
  MouseD = false;
  if (TimerMode >= 3) StopTimer();
  const int Captured = CaptureButton;
  if (Captured != -1) ButtonUp(Captured);
  CaptureButton = -1;
  if (Button == forms::mbLeft && Captured == 0 && OnLastChange) OnLastChange(this);
}

void TbsSkinScrollBar::TimerTick() {
  if (WaitMode) {
    WaitMode = false;
    StartRepeatTimer();
    return;
  }
  switch (TimerMode) {
    case 1: StepDown(); break;
    case 2: StepUp(); break;
    case 3:
      TestActive(MX, MY);
      if (BeforeThumb(MX, MY)) {
        auto Live = Liveness();
        SetPosition(FPosition - FLargeChange);
        if (Live.Alive() && OnPageUp) OnPageUp(this);
      } else {
        StopTimer();
      }
      break;
    case 4:
      TestActive(MX, MY);
      if (BeyondThumb(MX, MY)) {
        auto Live = Liveness();
        SetPosition(FPosition + FLargeChange);
        if (Live.Alive() && OnPageDown) OnPageDown(this);
      } else {
        StopTimer();
      }
      break;
  }
}

void TbsSkinScrollBar::KeyDown(rtl::Word& Key, forms::TShiftState Shift) {
  TbsSkinCustomControl::KeyDown(Key, Shift);
  if (!FCanFocused) return;
  if (Key == 37 || Key == 38)
    SetPosition(FPosition - FSmallChange);
  else if (Key == 39 || Key == 40)
    SetPosition(FPosition + FSmallChange);
}

// ------------------------------------------------------------------ messages
void TbsSkinScrollBar::WndProc(TMessage& M) {
  if (FCanFocused && !PassFocusingClick(this, M, FClicksDisabled)) return;
  TbsSkinCustomControl::WndProc(M);
}

void TbsSkinScrollBar::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case win::WM_TIMER:
      TbsSkinCustomControl::Dispatch(M);
      if (M.WParam == kRepeatTimer) TimerTick();
      return;
    case forms::CM_MOUSELEAVE:
      TbsSkinCustomControl::Dispatch(M);
      if (Designing()) return;
      if (ActiveButton != -1 && CaptureButton == -1 && !FDown) {
        Buttons[ActiveButton].MouseIn = false;
        Repaint();
        ActiveButton = -1;
      }
      if (MouseD && (TimerMode == 3 || TimerMode == 4)) StopTimer();
      return;
    case win::WM_MOUSEWHEEL:
      if (FCanFocused && Focused()) {
        if (std::int32_t(M.WParam) > 0)
          SetPosition(FPosition - FSmallChange);
        else
          SetPosition(FPosition + FSmallChange);
        M.Result = 1;
        return;
      }
      break;
    case forms::CM_WANTSPECIALKEY:
      if (FCanFocused && M.WParam >= 37 && M.WParam <= 40) {
        M.Result = 1;
        return;
      }
      break;
    case win::WM_SETFOCUS:
    case win::WM_KILLFOCUS:
      TbsSkinCustomControl::Dispatch(M);
      if (FCanFocused) Repaint();
      return;
    case forms::CM_ENABLEDCHANGED:
      TbsSkinCustomControl::Dispatch(M);
      Repaint();
      return;
    case win::WM_ERASEBKGND:
      if (!FromWMPaint && M.WParam) PaintWindowInto(gdi::HDC(M.WParam));
      M.Result = 1;
      return;
  }
  TbsSkinCustomControl::Dispatch(M);
}

}  // namespace skin
