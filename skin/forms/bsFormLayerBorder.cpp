#include "skin/forms/bsFormLayerBorder.h"

#include <algorithm>
#include <cmath>

#include "platform/win/WinApi.h"
#include "skin/forms/bsBusinessSkinForm.h"
#include "skin/images/bsGlowText.h"
#include "skin/images/bsLayerManager.h"

namespace skin {

using namespace win;

namespace {
// A rectangle copy between 32-bit images, alpha included; differing sizes
// stretch (nearest pixel).
void CopyArgb(TbsBitmap* Dst, TRect D, TbsBitmap* Src, TRect S) {
  if (D.Width() <= 0 || D.Height() <= 0 || S.Width() <= 0 || S.Height() <= 0) return;
  for (int y = 0; y < D.Height(); ++y) {
    int dy = D.Top + y;
    if (dy < 0 || dy >= Dst->Height()) continue;
    int sy = S.Top + int(std::int64_t(y) * S.Height() / D.Height());
    if (sy < 0 || sy >= Src->Height()) continue;
    for (int x = 0; x < D.Width(); ++x) {
      int dx = D.Left + x, sx = S.Left + int(std::int64_t(x) * S.Width() / D.Width());
      if (dx < 0 || dx >= Dst->Width() || sx < 0 || sx >= Src->Width()) continue;
      *Dst->GetPixelPtr(dx, dy) = *Src->GetPixelPtr(sx, sy);
    }
  }
}

std::unique_ptr<TbsBitmap> AlphaPicture(TbsSkinData* SD, int Index, int MaskIndex) {
  auto& pics = SD->ActivePictures();
  if (Index < 0 || Index >= int(pics.size()) || MaskIndex < 0 || MaskIndex >= int(pics.size())) return nullptr;
  auto b = std::make_unique<TbsBitmap>();
  b->Assign(pics[std::size_t(Index)]->Bitmap());
  TbsBitmap mask;
  mask.Assign(pics[std::size_t(MaskIndex)]->Bitmap());
  if (b->Empty() || mask.Empty()) return nullptr;
  AlphaFromMaskBitmap(b.get(), &mask);
  b->CheckingAlphaBlend();
  return b;
}

bool In(TPoint P, int L, int T, int R, int B) { return P.X >= L && P.X < R && P.Y >= T && P.Y < B; }
}  // namespace

// ------------------------------------------------------------------ window
TbsFormLayerWindow::TbsFormLayerWindow(TbsFormLayerBorder* AOwner, forms::TCustomForm* AForm)
    : TForm(AOwner), FForm(AForm), FLayerBorder(AOwner) {
  SetBorderStyle(forms::bsNone);
  SetVisible(false);
  if (AForm->FormStyle() == forms::fsStayOnTop) SetFormStyle(forms::fsStayOnTop);
}

void TbsFormLayerWindow::CreateParams(forms::TCreateParams& P) {
  TForm::CreateParams(P);
  P.ExStyle |= WS_EX_LAYERED | WS_EX_TOOLWINDOW;
  if (!FLayerBorder->FData || IsEmptyRect(FLayerBorder->FData->BorderRect)) P.ExStyle |= WS_EX_TRANSPARENT;
}

TbsFormLayerBorderHit TbsFormLayerWindow::HitTestBorder(TPoint P) {
  const int L = FForm->Left(), T = FForm->Top(), W = FForm->Width(), H = FForm->Height();
  const int ls = FLayerBorder->LeftSize, ts = FLayerBorder->TopSize, rs = FLayerBorder->RightSize,
            bs = FLayerBorder->BottomSize;
  auto sides = [&]() {
    if (L - ls <= P.X && P.X < L) return bsflhLeft;
    if (L + W < P.X && P.X <= L + W + rs) return bsflhRight;
    return bsflhNone;
  };
  switch (BorderType) {
    case bsflLeft: return P.X >= L - ls ? bsflhLeft : bsflhNone;
    case bsflRight: return P.X <= L + W + rs ? bsflhRight : bsflhNone;
    case bsflTop:
      if (In(P, L - ls, T - ts, L + 3, T + 3)) return bsflhTopLeft;
      if (In(P, L, T - ts, L + W, T)) return bsflhTop;
      if (In(P, L + W - 3, T - ts, L + W + rs, T + 3)) return bsflhTopRight;
      if (P.Y > T) return sides();
      return bsflhNone;
    case bsflBottom:
      if (In(P, L - ls, T + H - 3, L + 3, T + H + bs)) return bsflhBottomLeft;
      if (In(P, L, T + H, L + W, T + H + bs)) return bsflhBottom;
      if (In(P, L + W - 3, T + H - 3, L + W + rs, T + H + bs)) return bsflhBottomRight;
      if (P.Y < T + H) return sides();
      return bsflhNone;
  }
  return bsflhNone;
}

bool TbsFormLayerWindow::CanResizeForm() {
  TbsBusinessSkinForm* f = FLayerBorder->BSF;
  return f && f->IsSizeableFrame() && !f->RollUpState() && f->WindowState() == forms::wsNormal;
}

void TbsFormLayerWindow::Dispatch(forms::TMessage& M) {
  if (M.Msg == WM_MOUSEACTIVATE) {
    M.Result = MA_NOACTIVATE;
    if (FLayerBorder->FData && FLayerBorder->FData->HitTestEnable) {
      POINT p;
      GetCursorPos(&p);
      FHitMode = HitTestBorder(p);
      if (FHitMode != bsflhNone && !FForm->Active()) FForm->Show();
    }
    return;
  }
  TForm::Dispatch(M);
}

void TbsFormLayerWindow::MouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) {
  TForm::MouseDown(Button, Shift, X, Y);
  POINT p;
  GetCursorPos(&p);
  FInProcessMessages = false;
  FDown = HitTestBorder(p) != bsflhNone;
  MousePos1 = MousePos2 = p;
}

void TbsFormLayerWindow::MouseMove(forms::TShiftState Shift, int X, int Y) {
  TForm::MouseMove(Shift, X, Y);
  if (FInProcessMessages) {
    FInProcessMessages = false;
    return;
  }
  TbsDataSkinLayerFrame* D = FLayerBorder->FData;
  if (!D || !D->HitTestEnable) return;
  if (!CanResizeForm()) {
    SetCursor(forms::crDefault);
    return;
  }
  POINT cp;
  GetCursorPos(&cp);
  MousePos2 = cp;
  const int dX = MousePos2.X - MousePos1.X, dY = MousePos2.Y - MousePos1.Y;
  TbsBusinessSkinForm* F = FLayerBorder->BSF;
  if (!FDown) {
    F->FBorderLayerChangeSize = false;
    FHitMode = HitTestBorder(MousePos2);
    switch (FHitMode) {
      case bsflhNone: SetCursor(forms::crDefault); break;
      case bsflhLeft: case bsflhRight: SetCursor(forms::crSizeWE); break;
      case bsflhTop: case bsflhBottom: SetCursor(forms::crSizeNS); break;
      case bsflhTopLeft: case bsflhBottomRight: SetCursor(forms::crSizeNWSE); break;
      case bsflhTopRight: case bsflhBottomLeft: SetCursor(forms::crSizeNESW); break;
    }
  } else {
    F->FBorderLayerChangeSize = true;
    const int L = FForm->Left(), T = FForm->Top(), W = FForm->Width(), H = FForm->Height();
    auto clampW = [&](int v) { return std::min(std::max(v, F->GetMinWidth()), F->GetMaxWidth()); };
    auto clampH = [&](int v) { return std::min(std::max(v, F->GetMinHeight()), F->GetMaxHeight()); };
    const int wLeft = clampW(W - dX), wRight = clampW(W + dX), hTop = clampH(H - dY), hBottom = clampH(H + dY);
    const bool leftUncut = wLeft == W - dX, topUncut = hTop == H - dY;
    bool applied = false;
    auto apply = [&](int l, int t, int w, int h) {
      FForm->SetBounds(l, t, w, h);
      applied = true;
    };
    switch (FHitMode) {
      case bsflhLeft:
        if (dX != 0 && wLeft != W && leftUncut) apply(L + dX, T, wLeft, H);
        break;
      case bsflhTop:
        if (dY != 0 && hTop != H && topUncut) apply(L, T + dY, W, hTop);
        break;
      case bsflhRight:
        if (dX != 0 && wRight != W) apply(L, T, wRight, H);
        break;
      case bsflhBottom:
        if (dY != 0 && hBottom != H) apply(L, T, W, hBottom);
        break;
      case bsflhTopLeft:
        if (leftUncut && topUncut && (wLeft != W || hTop != H) && (dX || dY)) apply(L + dX, T + dY, wLeft, hTop);
        break;
      case bsflhTopRight:
        if (topUncut && (wRight != W || hTop != H) && (dX || dY)) apply(L, T + dY, wRight, hTop);
        break;
      case bsflhBottomLeft:
        if (leftUncut && (wLeft != W || hBottom != H) && (dX || dY)) apply(L + dX, T, wLeft, hBottom);
        break;
      case bsflhBottomRight:
        if ((wRight != W || hBottom != H) && (dX || dY)) apply(L, T, wRight, hBottom);
        break;
      case bsflhNone: break;
    }
    if (applied) {
      MousePos1 = MousePos2;
      FInProcessMessages = true;
      if (forms::Application) forms::Application->ProcessMessages();
      FInProcessMessages = false;
    }
  }
  MousePos1 = MousePos2;
}

void TbsFormLayerWindow::MouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) {
  TForm::MouseUp(Button, Shift, X, Y);
  if (FLayerBorder->BSF) FLayerBorder->BSF->FBorderLayerChangeSize = false;
  if (FLayerBorder->FData && FLayerBorder->FData->HitTestEnable && CanResizeForm()) FDown = FInProcessMessages = false;
}

// ------------------------------------------------------------------ border
TbsFormLayerBorder::TbsFormLayerBorder(rtl::TComponent* AOwner)
    : TComponent(AOwner), BSF(dynamic_cast<TbsBusinessSkinForm*>(AOwner)) {}

TbsFormLayerBorder::~TbsFormLayerBorder() { FreeWindows(); }

void TbsFormLayerBorder::FreeWindows() {
  for (auto** w : {&LeftBorder, &TopBorder, &RightBorder, &BottomBorder}) {
    delete *w;
    *w = nullptr;
  }
}

void TbsFormLayerBorder::InitFrame(TbsSkinData* ASkinData, forms::TCustomForm* AForm) {
  FForm = AForm;
  FSD = ASkinData;
  FData = ASkinData && !ASkinData->Empty ? ASkinData->LayerFrame.get() : nullptr;
  if (!FData || FData->PictureIndex == -1) {
    FData = nullptr;
    return;
  }
  auto src = AlphaPicture(ASkinData, FData->PictureIndex, FData->MaskPictureIndex);
  if (!src) {  // a picture without a usable mask has no defined look
    FData = nullptr;
    return;
  }
  FSourceBitmap = std::move(src);
  FSourceInActiveBitMap.reset();
  if (FData->InActivePictureIndex != -1)
    FSourceInActiveBitMap = AlphaPicture(ASkinData, FData->InActivePictureIndex, FData->InActiveMaskPictureIndex);
  FCurrentAlphaBlendValue = FData->AlphaBlendValue;
  FCurrentInActiveAlphaBlendValue = FData->InActiveAlphaBlendValue;
  const TRect& B = FData->BorderRect;
  const TRect& C = FData->ClRect;
  if (IsEmptyRect(B)) {
    LeftSize = TopSize = RightSize = BottomSize = 0;
  } else {
    LeftSize = C.Left - B.Left;
    TopSize = C.Top - B.Top;
    RightSize = B.Right - C.Right;
    BottomSize = B.Bottom - C.Bottom;
  }
}

TRect TbsFormLayerBorder::BoxOf(int L, int T, int W, int H) const {
  if (!FData || !FSourceBitmap) return {};
  const TRect& C = FData->ClRect;
  return rtl::Bounds(L - C.Left, T - C.Top, W + FSourceBitmap->Width() - C.Width(),
                     H + FSourceBitmap->Height() - C.Height());
}

void TbsFormLayerBorder::CreateBorderImages(int W, int H) {
  TbsBitmap* S = !FActive && FSourceInActiveBitMap ? FSourceInActiveBitMap.get() : FSourceBitmap.get();
  LeftImage.reset();
  TopImage.reset();
  RightImage.reset();
  BottomImage.reset();
  if (!S) return;
  const int SW = S->Width(), SH = S->Height();
  const TbsDataSkinLayerFrame& D = *FData;
  auto strip = [](int w, int h) {
    auto b = std::make_unique<TbsBitmap>();
    if (w > 0 && h > 0) {
      b->SetSize(w, h);
      b->Clear(0);
    }
    return b;
  };
  const int tH = std::max(D.LTPoint.Y, D.RTPoint.Y);
  TopImage = strip(W, tH);
  if (!TopImage->Empty()) {
    const int rw = SW - D.RTPoint.X;
    CopyArgb(TopImage.get(), rtl::Rect(0, 0, D.LTPoint.X, tH), S, rtl::Rect(0, 0, D.LTPoint.X, tH));
    CopyArgb(TopImage.get(), rtl::Rect(W - rw, 0, W, tH), S, rtl::Rect(D.RTPoint.X, 0, SW, tH));
    CopyArgb(TopImage.get(), rtl::Rect(D.LTPoint.X, 0, W - rw, tH), S, rtl::Rect(D.LTPoint.X, 0, D.RTPoint.X, tH));
  }
  const int bH = SH - std::min(D.LBPoint.Y, D.RBPoint.Y);
  BottomImage = strip(W, bH);
  if (!BottomImage->Empty()) {
    const int y0 = SH - bH, rw = SW - D.RBPoint.X;
    CopyArgb(BottomImage.get(), rtl::Rect(0, 0, D.LBPoint.X, bH), S, rtl::Rect(0, y0, D.LBPoint.X, SH));
    CopyArgb(BottomImage.get(), rtl::Rect(W - rw, 0, W, bH), S, rtl::Rect(D.RBPoint.X, y0, SW, SH));
    CopyArgb(BottomImage.get(), rtl::Rect(D.LBPoint.X, 0, W - rw, bH), S, rtl::Rect(D.LBPoint.X, y0, D.RBPoint.X, SH));
  }
  const int m = H - tH - bH, bandH = SH - bH - tH;
  auto side = [&](int x0, int x1) {
    auto b = strip(x1 - x0, m > 0 ? m : 0);
    if (b->Empty() || bandH <= 0) return strip(0, 0);
    for (int y = 0; y < m; y += bandH) {
      int h = std::min(bandH, m - y);
      CopyArgb(b.get(), rtl::Rect(0, y, x1 - x0, y + h), S, rtl::Rect(x0, tH, x1, tH + h));
    }
    return b;
  };
  LeftImage = side(0, D.ClRect.Left);
  RightImage = side(D.ClRect.Right, SW);
  for (auto* b : {TopImage.get(), BottomImage.get(), LeftImage.get(), RightImage.get()})
    if (!b->Empty()) b->CheckingAlphaBlend();
}

void TbsFormLayerBorder::PushStrips() {
  const int a = FActive ? FCurrentAlphaBlendValue : FCurrentInActiveAlphaBlendValue;
  const std::uint8_t alpha = std::uint8_t(std::clamp(a, 0, 255));
  std::pair<TbsBitmap*, TbsFormLayerWindow*> order[] = {
      {TopImage.get(), TopBorder}, {BottomImage.get(), BottomBorder}, {LeftImage.get(), LeftBorder},
      {RightImage.get(), RightBorder}};
  for (auto& [img, w] : order)
    if (img && !img->Empty() && w) UpdateLayerBitmap(img, alpha, w->Handle());
}

void TbsFormLayerBorder::PlaceWindows(int X, int Y, int AWidth, int AHeight, bool Raise) {
  const int th = TopImage ? TopImage->Height() : 0, bh = BottomImage ? BottomImage->Height() : 0;
  const int rw = RightImage ? RightImage->Width() : 0;
  auto place = [&](TbsFormLayerWindow* w, int x, int y) {
    if (!w) return;
    if (Raise)
      SetWindowPos(w->Handle(), HWND_TOP, x, y, 0, 0, SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOSIZE);
    else
      w->SetBounds(x, y, w->Width(), w->Height());
  };
  place(TopBorder, X, Y);
  place(BottomBorder, X, Y + AHeight - bh);
  place(LeftBorder, X, Y + th);
  place(RightBorder, X + AWidth - rw, Y + th);
}

void TbsFormLayerBorder::Show(int X, int Y, int AWidth, int AHeight) {
  if (!FData) return;
  FWidth = AWidth;
  FHeight = AHeight;
  FVisible = true;
  CreateBorderImages(AWidth, AHeight);
  FreeWindows();
  auto make = [&](TbsBitmap* img, TbsFormLayerBorderType t) -> TbsFormLayerWindow* {
    if (!img || img->Empty()) return nullptr;
    auto* w = new TbsFormLayerWindow(this, FForm);
    w->BorderType = t;
    w->SetBounds(X, Y, img->Width(), img->Height());
    return w;
  };
  LeftBorder = make(LeftImage.get(), bsflLeft);
  RightBorder = make(RightImage.get(), bsflRight);
  TopBorder = make(TopImage.get(), bsflTop);
  BottomBorder = make(BottomImage.get(), bsflBottom);
  PlaceWindows(X, Y, AWidth, AHeight, false);
  PushStrips();
  PlaceWindows(X, Y, AWidth, AHeight, true);
}

void TbsFormLayerBorder::SetBounds(int X, int Y, int AWidth, int AHeight) {
  if (!FData || !FVisible) return;
  FWidth = AWidth;
  FHeight = AHeight;
  CreateBorderImages(AWidth, AHeight);
  auto fit = [](TbsFormLayerWindow* w, TbsBitmap* img) {
    if (w && img && !img->Empty()) w->SetBounds(w->Left(), w->Top(), img->Width(), img->Height());
  };
  fit(TopBorder, TopImage.get());
  fit(BottomBorder, BottomImage.get());
  fit(LeftBorder, LeftImage.get());
  fit(RightBorder, RightImage.get());
  PlaceWindows(X, Y, AWidth, AHeight, false);
  PushStrips();
  PlaceWindows(X, Y, AWidth, AHeight, true);
}

void TbsFormLayerBorder::Draw(gdi::TCanvas* C, int X, int Y, int AWidth, int AHeight) {
  if (!FData) return;
  CreateBorderImages(AWidth, AHeight);
  const int th = TopImage->Empty() ? 0 : TopImage->Height();
  if (!TopImage->Empty()) TopImage->Draw(C, X, Y);
  if (!BottomImage->Empty()) BottomImage->Draw(C, X, Y + AHeight - BottomImage->Height());
  if (!LeftImage->Empty()) LeftImage->Draw(C, X, Y + th);
  if (!RightImage->Empty()) RightImage->Draw(C, X + AWidth - RightImage->Width(), Y + th);
}

void TbsFormLayerBorder::ShowWithForm() {
  if (!FData || !FForm) return;
  TRect b = BoxOf(FForm->Left(), FForm->Top(), FForm->Width(), FForm->Height());
  Show(b.Left, b.Top, b.Width(), b.Height());
}

void TbsFormLayerBorder::SetBoundsWithForm() {
  if (!FData || !FVisible || !FForm) return;
  TRect b = BoxOf(FForm->Left(), FForm->Top(), FForm->Width(), FForm->Height());
  SetBounds(b.Left, b.Top, b.Width(), b.Height());
}

void TbsFormLayerBorder::SetBoundsWithForm2(int AW, int AH) {
  if (!FData || !FVisible || !FForm) return;
  TRect b = BoxOf(FForm->Left(), FForm->Top(), AW, AH);
  SetBounds(b.Left, b.Top, b.Width(), b.Height());
}

void TbsFormLayerBorder::SetBoundsWithForm3(int ALeft, int ATop, int AW, int AH) {
  if (!FData || !FVisible) return;
  TRect b = BoxOf(ALeft, ATop, AW, AH);
  SetBounds(b.Left, b.Top, b.Width(), b.Height());
}

void TbsFormLayerBorder::MoveWithForm() {
  if (FForm) MoveWithForm2(FForm->Left(), FForm->Top());
}

void TbsFormLayerBorder::MoveWithForm2(int ALeft, int ATop) {
  if (!FData || !FVisible || !FForm) return;
  TRect b = BoxOf(ALeft, ATop, FForm->Width(), FForm->Height());
  PlaceWindows(b.Left, b.Top, b.Width(), b.Height(), false);
}

void TbsFormLayerBorder::ShowWithFormAnimation() {
  if (!FData) return;
  const int v = FCurrentAlphaBlendValue;
  FCurrentAlphaBlendValue = 0;
  ShowWithForm();
  ProcessPendingMessages();
  const int step = std::max(v / 15, 1);
  int a = 0;
  DWORD last = GetTickCountWin() - 6;
  while (a < v) {
    DWORD now = GetTickCountWin();
    if (now - last > 5) {
      last = now;
      a = std::min(a + step, v);
      FCurrentAlphaBlendValue = a;
      SetAlphaBlend();
    } else {
      FadeWait();
    }
  }
}

void TbsFormLayerBorder::Hide() {
  FVisible = false;
  FreeWindows();
  LeftImage.reset();
  TopImage.reset();
  RightImage.reset();
  BottomImage.reset();
}

void TbsFormLayerBorder::SetAlphaBlend() {
  if (!FData || !FVisible || !TopImage) return;
  PushStrips();
}

void TbsFormLayerBorder::SetAlphaBlend2() {
  if (!FData || !FVisible || !TopImage) return;
  SetAlphaBlend();
  TRect b = BoxOf(FForm->Left(), FForm->Top(), FForm->Width(), FForm->Height());
  PlaceWindows(b.Left, b.Top, b.Width(), b.Height(), true);
}

void TbsFormLayerBorder::CheckFormAlpha(int AFormAlpha, bool AUpdate) {
  if (!FData) return;
  const double k = AFormAlpha / 255.0;
  FCurrentAlphaBlendValue = int(std::nearbyint(FData->AlphaBlendValue * k));
  FCurrentInActiveAlphaBlendValue = int(std::nearbyint(FData->InActiveAlphaBlendValue * k));
  if (AUpdate) SetAlphaBlend();
}

void TbsFormLayerBorder::SetActive(bool AValue, bool AUpdate) {
  FActive = AValue;
  if (AUpdate && FVisible) SetAlphaBlend2();
}

}  // namespace skin
