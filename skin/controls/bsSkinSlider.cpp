#include "skin/controls/bsSkinSlider.h"

#include <cmath>

#include "platform/forms/Forms.h"
#include "platform/gdi/Gdi.h"
#include "skin/images/bsParentBackground.h"

namespace skin {

namespace {

constexpr int kMargin = 6;  // the ruler's distance from the left (top) edge
constexpr std::uintptr_t kTrackTimer = 1;
constexpr unsigned kTrackInterval = 400;
constexpr TColor kKey = 0xFF00FF, kHighlight = 0xFFFFFF, kLight = 0xE0E0E0, kFace = 0xC0C0C0,
                 kShadow = 0x808080, kDark = 0x404040;

const char16_t* const kResourceNames[4] = {u"BS_HTB", u"BS_HRL", u"BS_VTB", u"BS_VRL"};

int RoundHalfEven(double V) { return int(std::nearbyint(V)); }

// One state of a plain thumb: a pointer with a raised edge, pointing down
// (horizontal slider) or right (vertical slider), at X0 of C.
void DrawPlainThumb(gdi::TCanvas* C, int X0, int W, int H, bool Down, bool Pressed) {
  std::vector<TPoint> P;
  if (Down)
    P = {{X0, 0}, {X0 + W - 1, 0}, {X0 + W - 1, H - 6}, {X0 + W / 2, H - 2}, {X0, H - 6}};
  else
    P = {{X0, 0}, {X0 + W - 6, 0}, {X0 + W - 2, H / 2}, {X0 + W - 6, H - 1}, {X0, H - 1}};
  C->Brush()->SetStyle(gdi::bsSolid);
  C->Brush()->SetColor(Pressed ? kLight : kFace);
  C->Pen()->SetColor(kDark);
  C->Polygon(P);
  C->Pen()->SetColor(kHighlight);
  C->MoveTo(X0 + 1, Down ? H - 7 : H - 2);
  C->LineTo(X0 + 1, 1);
  C->LineTo(Down ? X0 + W - 1 : X0 + W - 6, 1);
}

// A sunken groove across Breadth pixels of a Length-long ruler picture.
void DrawPlainRuler(TBitmap* B, bool AHorizontal) {
  const int L = AHorizontal ? B->Width() : B->Height();
  const TColor Rows[4] = {kShadow, kDark, kFace, kHighlight};
  for (int a = 0; a < L; ++a)
    for (int k = 0; k < 4; ++k) {
      TColor C = Rows[k];
      if (a == 0) C = kShadow;
      if (a == L - 1) C = kHighlight;
      if (AHorizontal)
        B->Canvas()->SetPixels(a, 2 + k, C);
      else
        B->Canvas()->SetPixels(2 + k, a, C);
    }
}

// The default pictures of the plain look, made once and kept as bitmap
// resources (a program that registers its own keeps them).
void RegisterDefaultImages() {
  static bool Done = false;
  if (Done) return;
  Done = true;
  const int Sizes[4][2] = {{18, 17}, {10, 8}, {38, 9}, {8, 10}};
  for (int i = 0; i < 4; ++i) {
    if (gdi::FindBitmapResource(kResourceNames[i])) continue;
    TBitmap B(Sizes[i][0], Sizes[i][1]);
    gdi::TCanvas* C = B.Canvas();
    C->Brush()->SetColor(kKey);
    C->FillRect({0, 0, B.Width(), B.Height()});
    if (i == siHThumb || i == siVThumb) {
      const int W = B.Width() / 2;
      for (int s = 0; s < 2; ++s) DrawPlainThumb(C, s * W, W, B.Height(), i == siHThumb, s == 1);
    } else {
      DrawPlainRuler(&B, i == siHRuler);
    }
    C->SetPixels(0, B.Height() - 1, kKey);  // the automatic transparent colour
    gdi::RegisterBitmapResource(kResourceNames[i], gdi::WriteBmp(B));
  }
}

}  // namespace

TbsSkinCustomSlider::TbsSkinCustomSlider(TComponent* AOwner)
    : TbsSkinControl(AOwner), FRuler(std::make_unique<TBitmap>()) {
  SetControlStyle({forms::csAcceptsControls, forms::csCaptureMouse, forms::csClickEvents, forms::csOpaque,
                   forms::csDoubleClicks});
  SetTabStop(true);
  SetParentColor(true);
  FSkinDataName = u"slider";
  RegisterDefaultImages();
  for (int i = 0; i < 4; ++i) LoadDefaultImage(TbsSliderImage(i));
  SetBounds(Left(), Top(), 150, 40);
  FCreating = false;
  LayoutSlider();
}

TbsSkinCustomSlider::~TbsSkinCustomSlider() {
  OnChange = OnChanged = OnDrawPoints = nullptr;
  if (FTimerActive && HandleAllocated()) win::KillTimer(Handle(), kTrackTimer);
  for (auto& I : FImages)
    if (I) I->OnChange = nullptr;
}

// ------------------------------------------------------------------ images
void TbsSkinCustomSlider::LoadDefaultImage(TbsSliderImage I) {
  if (!FImages[I]) {
    FImages[I] = std::make_unique<TBitmap>();
    FImages[I]->OnChange = [this](TObject*) { ImageChanged(); };
  }
  FImages[I]->LoadFromResourceName(0, kResourceNames[I]);
}

void TbsSkinCustomSlider::ImageChanged() {
  if (!FCreating) CalcLayout();
}

void TbsSkinCustomSlider::SetImage(TbsSliderImage I, TBitmap* Value) {
  if (Value) {
    FImages[I]->Assign(Value);
    FUserImages.Include(I);
    ImageChanged();
    return;
  }
  LoadDefaultImage(I);
  FUserImages.Exclude(I);
  if (!ComponentState().Contains(rtl::csReading)) {
    FOptions.Exclude(I == siHThumb || I == siVThumb ? soThumbOpaque : soRulerOpaque);
    Invalidate();
  }
  ImageChanged();
}

void TbsSkinCustomSlider::Loaded() {
  TbsSkinControl::Loaded();
  if (!FUserImages.Empty()) CalcLayout();
}

// ------------------------------------------------------------------ properties
void TbsSkinCustomSlider::SetValueRange(int AMin, int AMax) {
  const bool Reading = ComponentState().Contains(rtl::csReading);
  if (AMin >= AMax && !Reading) return;
  FMinValue = AMin;
  FMaxValue = AMax;
  if (!Reading && AMax < AMin + FIncrement) FIncrement = AMax - AMin;
  if (FOptions.Contains(soShowPoints)) Invalidate();
  SetValue(FValue);
  RangeChanged();
}

void TbsSkinCustomSlider::SetIncrement(int Value) {
  if (Value <= 0 || Value == FIncrement) return;
  FIncrement = Value;
  SetValue(FValue);
  Invalidate();
}

void TbsSkinCustomSlider::SetValue(int Value) {
  Value = std::max(FMinValue, std::min(Value, FMaxValue));
  const int Old = FValue;
  FValue = Value;
  PlaceThumb(OffsetFromValue(Value), false);
  if (Value != Old) Change();
}

void TbsSkinCustomSlider::SetOrientation(TbsSliderOrientation Value) {
  if (FOrientation == Value) return;
  FOrientation = Value;
  CalcLayout();
  if (!Loading() && !ComponentState().Contains(rtl::csUpdating)) SetBounds(Left(), Top(), Height(), Width());
}

void TbsSkinCustomSlider::SetOptions(TbsSliderOptions Value) {
  if (FOptions == Value) return;
  FOptions = Value;
  Invalidate();
}

void TbsSkinCustomSlider::SetEdgeSize(int Value) {
  TBitmap* R = FImages[Horizontal() ? siHRuler : siVRuler].get();
  const int L = Horizontal() ? R->Width() : R->Height();
  if (2 * Value >= L || Value == FEdgeSize) return;
  FEdgeSize = Value;
  CalcLayout();
}

void TbsSkinCustomSlider::SetNumThumbStates(TbsNumThumbStates Value) {
  Value = std::clamp(Value, 1, 2);
  if (FNumThumbStates == Value) return;
  FNumThumbStates = Value;
  LayoutSlider();
}

void TbsSkinCustomSlider::SetTransparent(bool Value) {
  FTransparent = Value;
  Invalidate();
}

void TbsSkinCustomSlider::Change() {
  if (OnChange) OnChange(this);
}

void TbsSkinCustomSlider::Changed() {
  if (OnChanged) OnChanged(this);
}

// ------------------------------------------------------------------ skin and layout
void TbsSkinCustomSlider::GetSkinData() {
  TbsSkinControl::GetSkinData();
  auto* D = dynamic_cast<TbsDataSkinSlider*>(SkinDescriptionAt(FSD, FIndex));
  if (!D) return;
  Picture = SkinPictureAt(FSD, D->PictureIndex);
  HRulerRect = D->HRulerRect;
  HThumbRect = D->HThumbRect;
  VRulerRect = D->VRulerRect;
  VThumbRect = D->VThumbRect;
  SkinEdgeSize = D->EdgeSize;
  BGColor = D->BGColor;
  PointsColor = D->PointsColor;
}

void TbsSkinCustomSlider::ChangeSkinData() { LayoutSlider(); }

void TbsSkinCustomSlider::CheckParentBackground() {
  if (FTransparent) Repaint();
}

TPoint TbsSkinCustomSlider::ThumbStateSize(bool AHorizontal) {
  if (SkinThumb()) {
    const TRect& R = AHorizontal ? HThumbRect : VThumbRect;
    return {RectWidth(R) / 2, RectHeight(R)};
  }
  TBitmap* I = FImages[AHorizontal ? siHThumb : siVThumb].get();
  return {I->Width() / FNumThumbStates, I->Height()};
}

void TbsSkinCustomSlider::LayoutSlider() {
  if (FCreating) return;
  const TRect R = GetSliderRect();
  GetSkinData();
  const int Saved = FValue;
  if (Skinned())
    BuildSkinRuler();
  else
    BuildPlainRuler();
  const int RW = FRuler->Width(), RH = FRuler->Height();
  const TPoint T = ThumbStateSize(Horizontal());
  const int Left = R.Left + kMargin, Top = R.Top + kMargin;
  if (Horizontal()) {
    if (T.Y > RH) {
      FThumbRect = {Left, Top, Left + T.X, Top + T.Y};
      FRulerOrg = {Left, Top + (T.Y - RH) / 2};
      FPointsRect = {Left, Top + T.Y + 1, Left + RW, R.Bottom - R.Top - 1};
    } else {
      FRulerOrg = {Left, Top};
      FThumbRect = {Left, Top + (RH - T.Y) / 2, Left + T.X, Top + (RH - T.Y) / 2 + T.Y};
      FPointsRect = {Left, Top + RH + 1, Left + RW, R.Bottom - R.Top - 1};
    }
  } else {
    // The plain image's full width over the state count decides, as in the
    // horizontal case the state's height does.
    const int VW = SkinThumb() ? RectWidth(VThumbRect) : FImages[siVThumb]->Width();
    if (VW / FNumThumbStates > RW) {
      FThumbRect = {Left, Top, Left + T.X, Top + T.Y};
      FRulerOrg = {Left + (T.X - RW) / 2, Top};
      FPointsRect = {Left + T.X + 1, Top, R.Right - R.Left - 1, Top + RH};
    } else {
      FRulerOrg = {Left, Top};
      FThumbRect = {Left + (RW - T.X) / 2, Top, Left + (RW - T.X) / 2 + T.X, Top + T.Y};
      FPointsRect = {Left + RW + 1, Top, R.Right - R.Left - 1, Top + RH};
    }
  }
  FValue = Saved;
  SetValue(Saved);
  Invalidate();
}

void TbsSkinCustomSlider::BuildSkinRuler() {
  TBitmap B;
  if (Horizontal()) {
    const int L = std::max(0, Width() - 2 * kMargin);
    B.SetSize(L, RectHeight(HRulerRect));
    if (Picture && L > 0) ComposeHorzSkinImage(SkinEdgeSize, SkinEdgeSize, &B, Picture, HRulerRect, L, B.Height(), false);
  } else {
    const int L = std::max(0, Height() - 2 * kMargin);
    B.SetSize(RectWidth(VRulerRect), L);
    if (Picture && L > 0) ComposeVertSkinImage(SkinEdgeSize, SkinEdgeSize, &B, Picture, VRulerRect, B.Width(), L, false);
  }
  FRuler->Assign(&B);
}

void TbsSkinCustomSlider::BuildPlainRuler() {
  TBitmap* I = FImages[Horizontal() ? siHRuler : siVRuler].get();
  const bool H = Horizontal();
  const int Len = std::max(0, (H ? Width() : Height()) - 2 * kMargin);
  const int Breadth = H ? I->Height() : I->Width();
  const int ImgLen = H ? I->Width() : I->Height();
  TBitmap B;
  if (H)
    B.SetSize(Len, Breadth);
  else
    B.SetSize(Breadth, Len);
  // Copies [From, From + Count) of the image along the bar to At.
  auto Piece = [&](int From, int Count, int At) {
    if (Count <= 0) return;
    const TRect Src = H ? TRect{From, 0, From + Count, Breadth} : TRect{0, From, Breadth, From + Count};
    const TRect Dst = H ? TRect{At, 0, At + Count, Breadth} : TRect{0, At, Breadth, At + Count};
    B.Canvas()->CopyRect(Dst, I->Canvas(), Src);
  };
  const int E = FEdgeSize;
  const int n = Len - 2 * E, m = ImgLen - 2 * E;
  if (Len > 0) {
    if (m <= 0) {
      Piece(0, ImgLen, 0);  // no middle to repeat: the picture once
    } else {
      Piece(0, ImgLen - E, 0);
      const int Count = n / m;
      for (int i = 1; i <= Count; ++i) {
        if (i < Count)
          Piece(E, m, E + i * m);
        else
          Piece(ImgLen - (E + n % m), E + n % m, E + i * m);
      }
    }
  }
  FRuler->Assign(&B);
}

// ------------------------------------------------------------------ value and pixels
int TbsSkinCustomSlider::ThumbTravel() {
  if (Horizontal()) {
    const int TW = SkinThumb() ? RectWidth(HThumbRect) / 2 : FImages[siHThumb]->Width() / FNumThumbStates;
    return FRuler->Width() - TW;
  }
  const int TH = SkinThumb() ? RectHeight(VThumbRect) : FImages[siVThumb]->Height();
  return FRuler->Height() - TH;
}

int TbsSkinCustomSlider::OffsetFromValue(int V) {
  const int L = ThumbTravel(), Span = FMaxValue - FMinValue;
  int O = kMargin + (Span > 0 ? RoundHalfEven(double(L) * (V - FMinValue) / Span) : 0);
  if (!Horizontal()) {
    const TRect R = GetSliderRect();
    O = R.Top + R.Bottom - O - ThumbStateSize(false).Y;
  }
  return std::max(O, kMargin);
}

int TbsSkinCustomSlider::ValueFromOffset(int O) {
  const int L = ThumbTravel();
  if (L <= 0) return FMinValue;  // no travel: nothing to map
  if (!Horizontal()) O = ClientHeight() - O - ThumbStateSize(false).Y;
  const int Span = FMaxValue - FMinValue;
  int D = RoundHalfEven(double(O - kMargin) * Span / L);
  if (!FOptions.Contains(soSmooth) && FIncrement > 0) D = RoundHalfEven(double(D) / FIncrement) * FIncrement;
  return std::min(std::max(D, 0) + FMinValue, FMaxValue);
}

int TbsSkinCustomSlider::SnapThumbOffset(int O) {
  const int L = ThumbTravel();
  if (L <= 0) return kMargin;
  O = std::clamp(O, kMargin, kMargin + L);
  O = OffsetFromValue(ValueFromOffset(O));
  return std::min(O, kMargin + L);
}

void TbsSkinCustomSlider::InvalidateThumb() {
  if (HandleAllocated()) win::InvalidateRect(Handle(), &FThumbRect, true);
}

void TbsSkinCustomSlider::PlaceThumb(int O, bool FromDrag) {
  O = SnapThumbOffset(O);
  InvalidateThumb();
  if (Horizontal())
    FThumbRect = {O, FThumbRect.Top, O + RectWidth(FThumbRect), FThumbRect.Bottom};
  else
    FThumbRect = {FThumbRect.Left, O, FThumbRect.Right, O + RectHeight(FThumbRect)};
  InvalidateThumb();
  if (!FromDrag || !FSliding) return;
  const int V = ValueFromOffset(O);
  if (V == FValue) return;
  FValue = V;
  Change();
}

void TbsSkinCustomSlider::StepValue(TbsJumpMode Mode) {
  int V = FValue;
  const int Nearest = FIncrement * RoundHalfEven(double(FValue) / FIncrement);
  switch (Mode) {
    case jmHome: V = FMinValue; break;
    case jmEnd: V = FMaxValue; break;
    case jmNext: V = Nearest + FIncrement; break;
    case jmPrior: V = Nearest - FIncrement; break;
    case jmNone: return;
  }
  V = std::max(FMinValue, std::min(V, FMaxValue));
  if (V != FValue) SetValue(V);
}

TbsJumpMode TbsSkinCustomSlider::StepDirectionAt(TPoint P) const {
  if (Horizontal()) {
    if (P.X < FThumbRect.Left) return jmPrior;
    if (P.X >= FThumbRect.Right) return jmNext;
  } else {
    if (P.Y < FThumbRect.Top) return jmNext;
    if (P.Y >= FThumbRect.Bottom) return jmPrior;
  }
  return jmNone;
}

// ------------------------------------------------------------------ mouse and keys
void TbsSkinCustomSlider::MouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) {
  auto Live = Liveness();
  TbsSkinControl::MouseDown(Button, Shift, X, Y);
  if (!Live.Alive() || Button != forms::mbLeft || Shift.Contains(forms::ssDouble)) return;
  if (CanFocus()) SetFocus();
  const TPoint P{X, Y};
  if (FThumbRect.Contains(P)) {
    ThumbMouseDown(Button, Shift, X, Y);
    return;
  }
  TRect Bar{FRulerOrg.X, FRulerOrg.Y, FRulerOrg.X + FRuler->Width(), FRulerOrg.Y + FRuler->Height()};
  if (Horizontal())
    Bar.Top -= 3, Bar.Bottom += 3;
  else
    Bar.Left -= 3, Bar.Right += 3;
  if (!Bar.Contains(P) || !CanModify() || ReadOnly) return;
  SetMouseCapture(true);
  FTracking = true;
  FMousePos = P;
  FStartJump = StepDirectionAt(P);
  RulerTrackStep();
}

void TbsSkinCustomSlider::RulerTrackStep() {
  if (StepDirectionAt(FMousePos) != FStartJump) return;  // the thumb has reached the pointer
  StepValue(FStartJump);
  if (!FTimerActive) {
    win::SetTimer(Handle(), kTrackTimer, kTrackInterval, nullptr);
    FTimerActive = true;
  }
}

void TbsSkinCustomSlider::EndRulerTracking() {
  if (!FTracking) return;
  if (FTimerActive) {
    win::KillTimer(Handle(), kTrackTimer);
    FTimerActive = false;
  }
  FTracking = false;
  SetMouseCapture(false);
  Changed();
}

void TbsSkinCustomSlider::ThumbMouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) {
  if (CanFocus() && !Focused()) SetFocus();
  if (Button != forms::mbLeft || !CanModify() || ReadOnly) return;
  FSliding = FThumbDown = true;
  FHit = Horizontal() ? X - FThumbRect.Left : Y - FThumbRect.Top;
  InvalidateThumb();
  Update();
}

void TbsSkinCustomSlider::ThumbMouseMove(forms::TShiftState Shift, int X, int Y) {
  if (CanModify() && !ReadOnly) PlaceThumb((Horizontal() ? X : Y) - FHit, true);
}

void TbsSkinCustomSlider::ThumbMouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) {
  if (Button != forms::mbLeft) return;
  FSliding = FThumbDown = false;
  InvalidateThumb();
  Update();
  if (CanModify() && !ReadOnly) Changed();
}

void TbsSkinCustomSlider::MouseMove(forms::TShiftState Shift, int X, int Y) {
  if (Shift.Contains(forms::ssLeft) && FSliding)
    ThumbMouseMove(Shift, X, Y);
  else if (FTracking)
    FMousePos = {X, Y};
  TbsSkinControl::MouseMove(Shift, X, Y);
}

void TbsSkinCustomSlider::MouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) {
  auto Live = Liveness();
  EndRulerTracking();
  if (!Live.Alive()) return;
  if (FSliding) ThumbMouseUp(Button, Shift, X, Y);
  if (!Live.Alive()) return;
  TbsSkinControl::MouseUp(Button, Shift, X, Y);
}

void TbsSkinCustomSlider::KeyDown(rtl::Word& Key, forms::TShiftState Shift) {
  TbsJumpMode Mode = jmNone;
  if (!Shift.Contains(forms::ssShift) && !Shift.Contains(forms::ssCtrl) && !Shift.Contains(forms::ssAlt)) {
    switch (Key) {
      case 36: Mode = jmHome; break;
      case 35: Mode = jmEnd; break;
      case 37: Mode = Horizontal() ? jmPrior : jmNone; break;
      case 39: Mode = Horizontal() ? jmNext : jmNone; break;
      case 38: Mode = Horizontal() ? jmNone : jmNext; break;
      case 40: Mode = Horizontal() ? jmNone : jmPrior; break;
    }
  }
  if (Mode != jmNone && CanModify() && !ReadOnly) {
    Key = 0;
    auto Live = Liveness();
    StepValue(Mode);
    if (!Live.Alive()) return;
    Changed();
    if (!Live.Alive()) return;
  }
  TbsSkinControl::KeyDown(Key, Shift);
}

// The paint goes to a memory bitmap first and reaches the window in one copy.
void TbsSkinCustomSlider::PaintBuffered(TMessage& M) {
  const gdi::HDC Given = reinterpret_cast<gdi::HDC>(M.WParam);
  win::PAINTSTRUCT PS{};
  const gdi::HDC DC = Given ? Given : win::BeginPaint(Handle(), &PS);
  struct TEndPaint {
    TbsSkinCustomSlider* S;
    bool Own;
    win::PAINTSTRUCT* PS;
    ~TEndPaint() {
      S->FPaintBuffered = false;
      if (Own) win::EndPaint(S->Handle(), PS);
    }
  } End{this, !Given, &PS};
  const int W = ClientWidth(), H = ClientHeight();
  if (W <= 0 || H <= 0) return;
  TBitmap Mem(W, H);
  const gdi::HDC MemDC = Mem.Canvas()->Handle();
  Perform(win::WM_ERASEBKGND, reinterpret_cast<win::WPARAM>(MemDC), 0);
  FPaintBuffered = true;
  TMessage P{win::WM_PAINT, reinterpret_cast<win::WPARAM>(MemDC), 0, 0};
  TbsSkinControl::Dispatch(P);
  gdi::BitBlt(DC, 0, 0, W, H, MemDC, 0, 0, gdi::SRCCOPY);
}

void TbsSkinCustomSlider::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case win::WM_PAINT:
      if (FPaintBuffered) break;
      PaintBuffered(M);
      return;
    case win::WM_SIZE:
      TbsSkinControl::Dispatch(M);
      if (!ComponentState().Contains(rtl::csReading)) CalcLayout();
      return;
    case win::WM_MOVE:
      TbsSkinControl::Dispatch(M);
      if (FTransparent) Invalidate();
      return;
    case win::WM_TIMER:
      if (M.WParam == kTrackTimer) {
        if (FTracking) RulerTrackStep();
        return;
      }
      break;
    case win::WM_GETDLGCODE:
      M.Result = win::DLGC_WANTARROWS;
      return;
    case forms::CM_ENABLEDCHANGED:
      TbsSkinControl::Dispatch(M);
      InvalidateThumb();
      return;
    case forms::CM_FOCUSCHANGED: {
      const bool Now = reinterpret_cast<TControl*>(M.LParam) == this;
      if (Now != FFocused) {
        FFocused = Now;
        if (FOptions.Contains(soShowFocus)) Invalidate();
      }
      break;
    }
  }
  TbsSkinControl::Dispatch(M);
}

// ------------------------------------------------------------------ painting
void TbsSkinCustomSlider::DefaultDrawPoints(int PointsStep, int PointsHeight, int ExtremePointsHeight) {
  DrawTicks(Canvas(), PointsStep, PointsHeight, ExtremePointsHeight);
}

void TbsSkinCustomSlider::DrawTicks(gdi::TCanvas* C, int Step, int NormalLength, int EndLength) {
  const int L = ThumbTravel(), Span = FMaxValue - FMinValue;
  if (Step <= 0 || Span <= 0) return;
  C->Pen()->SetColor(Skinned() ? PointsColor : gdi::clWindowText);
  // Thin the ticks until they stand at least 4 pixels apart.
  int h = 1, Count = 1;
  for (;; ++h) {
    Count = RoundHalfEven(double(Span) / (double(Step) * h)) + 1;
    const int Spacing = Count <= 1 ? L : L / (Count - 1);
    if (Spacing >= 4 || Spacing >= L || h > Span) break;
  }
  const TPoint T = ThumbStateSize(Horizontal());
  for (int i = 0; i < Count; ++i) {
    const int V = i == Count - 1 ? FMaxValue : std::min(FMinValue + Step * h * i, FMaxValue);
    const int Len = V == FMinValue || V == FMaxValue ? EndLength : NormalLength;
    const int O = OffsetFromValue(V);
    if (Horizontal()) {
      C->MoveTo(O + T.X / 2, FPointsRect.Top);
      C->LineTo(O + T.X / 2, FPointsRect.Top + Len);
    } else {
      C->MoveTo(FPointsRect.Left, O + T.Y / 2);
      C->LineTo(FPointsRect.Left + Len, O + T.Y / 2);
    }
  }
}

void TbsSkinCustomSlider::Paint() {
  if (Width() <= 0 || Height() <= 0) return;
  GetSkinData();
  gdi::TCanvas* C = Canvas();
  const bool Copy = ControlState().Contains(forms::csPaintCopy);
  TPoint ThumbAt{FThumbRect.Left, FThumbRect.Top};
  if (Copy) {
    const int O = SnapThumbOffset(OffsetFromValue(SliderValue()));
    if (Horizontal())
      ThumbAt.X = O;
    else
      ThumbAt.Y = O;
  }
  if (FTransparent) {
    TBitmap B(Width(), Height());
    PaintParentBackground(this, B.Canvas());
    C->Draw(0, 0, &B);
  } else {
    C->Brush()->SetStyle(gdi::bsSolid);
    C->Brush()->SetColor(Skinned() ? BGColor : Color());
    C->FillRect(ClientRect());
  }
  if (FRuler->Width() > 0 && FRuler->Height() > 0) {
    FRuler->SetTransparent(!(FOptions.Contains(soRulerOpaque) && !Skinned()));
    C->Draw(FRulerOrg.X, FRulerOrg.Y, FRuler.get());
  }
  if (FOptions.Contains(soShowFocus) && FFocused && !Designing()) {
    if (Skinned()) C->Font()->SetColor(FSD->SkinColors().cBtnText);
    const TRect R = GetSliderRect();
    DrawDotFocusRect(C, {R.Left + 2, R.Top + 2, R.Right - 2, R.Bottom - 2});
  }
  if (FOptions.Contains(soShowPoints)) {
    if (OnDrawPoints)
      OnDrawPoints(this);
    else
      DrawTicks(C, FIncrement, 3, 5);
  }
  const bool Second = (Copy && !Enabled()) || FThumbDown || !Enabled();
  if (SkinThumb()) {
    if (!Picture) return;
    const TRect& S = Horizontal() ? HThumbRect : VThumbRect;
    const int W = RectWidth(S) / 2;
    const TRect Src{S.Left + (Second ? W : 0), S.Top, S.Left + (Second ? 2 * W : W), S.Bottom};
    TBitmap T(W, RectHeight(S));
    T.Canvas()->CopyRect({0, 0, T.Width(), T.Height()}, Picture->Canvas(), Src);
    T.SetTransparent(true);
    C->Draw(ThumbAt.X, ThumbAt.Y, &T);
    return;
  }
  TBitmap* I = FImages[Horizontal() ? siHThumb : siVThumb].get();
  const int W = I->Width() / FNumThumbStates;
  const int From = FNumThumbStates == 2 && Second ? W : 0;
  TBitmap T(W, I->Height());
  T.Canvas()->CopyRect({0, 0, W, I->Height()}, I->Canvas(), {From, 0, From + W, I->Height()});
  T.SetTransparent(!FOptions.Contains(soThumbOpaque));
  if (T.Transparent()) T.SetTransparentColor(I->TransparentColor());
  C->Draw(ThumbAt.X, ThumbAt.Y, &T);
}

}  // namespace skin
