#include "skin/controls/bsSkinScrollBox.h"

#include <algorithm>

#include "platform/gdi/Gdi.h"

namespace skin {

using namespace win;

TbsSkinScrollBox::TbsSkinScrollBox(TComponent* AOwner) : TbsSkinCustomControl(AOwner) {
  auto S = ControlStyle();
  S.Include(forms::csAcceptsControls);
  SetControlStyle(S);
  FSkinDataName = u"scrollbox";
  SetBounds(Left(), Top(), 150, 150);
}

TbsSkinScrollBox::~TbsSkinScrollBox() {
  for (TbsSkinScrollBar* B : {FVScrollBar, FHScrollBar})
    if (B) B->RemoveFreeNotification(this);
}

// ------------------------------------------------------------------ bars
void TbsSkinScrollBox::AttachBar(TbsSkinScrollBar*& Field, TbsSkinScrollBar* Value, bool Vertical) {
  if (Field) Field->RemoveFreeNotification(this);
  Field = Value;
  if (!Value) return;
  Value->FreeNotification(this);
  Value->SetCanFocused(false);
  Value->OnChange = [this, Vertical](TObject*) { BarChange(Vertical); };
  Value->OnLastChange = [this](TObject*) { Invalidate(); };
  Value->SetEnabled(true);
  Value->SetVisible(false);
}

void TbsSkinScrollBox::SetVScrollBar(TbsSkinScrollBar* Value) {
  AttachBar(FVScrollBar, Value, true);
  GetVRange();
}

void TbsSkinScrollBox::SetHScrollBar(TbsSkinScrollBar* Value) {
  AttachBar(FHScrollBar, Value, false);
  GetHRange();
}

void TbsSkinScrollBox::Notification(TComponent* AComponent, rtl::TOperation Operation) {
  TbsSkinCustomControl::Notification(AComponent, Operation);
  if (Operation != rtl::opRemove) return;
  if (AComponent == FVScrollBar) FVScrollBar = nullptr;
  if (AComponent == FHScrollBar) FHScrollBar = nullptr;
}

void TbsSkinScrollBox::UpDateScrollRange() {
  GetHRange();
  GetVRange();
}

void TbsSkinScrollBox::ScrollChildren(bool Vertical, int D) {
  if (D == 0) return;
  if (Vertical)
    ScrollBy(0, -D);
  else
    ScrollBy(-D, 0);
  // A stretched background must not travel with the children.
  if (FIndex != -1 && StretchEffect) Repaint();
}

void TbsSkinScrollBox::BarChange(bool Vertical) {
  TbsSkinScrollBar* B = Vertical ? FVScrollBar : FHScrollBar;
  int& Old = Vertical ? FOldVScrollBarPos : FOldHScrollBarPos;
  if (!B) return;
  const int Pos = B->Position();
  ScrollChildren(Vertical, Pos - Old);
  Old = Pos;
}

void TbsSkinScrollBox::GetRange(const TAxis& A) {
  TbsSkinScrollBar* Bar = A.Bar;
  if (!Bar || FInCheckScrollBars || !Parent()) return;
  const TRect CR = ClientRect();
  const int CH = A.Vertical ? CR.Height() : CR.Width();
  int B = 0;
  for (int I = 0; I < ControlCount(); ++I) {
    TControl* C = Controls(I);
    if (!C->Visible()) continue;
    B = std::max(B, A.Vertical ? C->Top() + C->Height() : C->Left() + C->Width());
  }
  const int P = Bar->Position();
  bool Show = false, Hide = false;
  int& SizeOffset = *A.SizeOffset;
  if (P + B > CH) {
    Show = !Bar->Visible();
    const int NewMax = P + B - 1;
    if (P > 0 && B < CH && SizeOffset > 0) {
      // Grown while scrolled, and the content no longer reaches the end.
      SizeOffset = std::min(SizeOffset, P);
      Bar->SetRange(0, NewMax, P - SizeOffset, CH);
      ScrollChildren(A.Vertical, -SizeOffset);
    } else if (SizeOffset == 0 && NewMax < Bar->Max() && P > 0 && B < CH) {
      // The content shrank while scrolled.
      const int D = std::min(CH - B, P);
      ScrollChildren(A.Vertical, -D);
      Bar->SetRange(0, NewMax, P - D, CH);
    } else {
      Bar->SetRange(0, NewMax, P, CH);
    }
    SizeOffset = 0;
    *A.OldPos = Bar->Position();
  } else {
    if (P > 0) ScrollChildren(A.Vertical, -P);
    SizeOffset = 0;
    *A.OldPos = 0;
    Bar->SetRange(0, 0, 0, 0);
    Hide = Bar->Visible();
  }
  if (FVScrollBar && FHScrollBar && FHScrollBar->Both() != FVScrollBar->Visible())
    FHScrollBar->SetBoth(FVScrollBar->Visible());
  if (!Show && !Hide) return;
  FInCheckScrollBars = true;
  Bar->SetVisible(Show);
  FInCheckScrollBars = false;
  if (Align() != forms::alNone) {
    FInCheckScrollBars = true;
    if (Parent()) Parent()->Realign();
    Realign();
    FInCheckScrollBars = false;
  }
}

void TbsSkinScrollBox::AdjustClientRect(TRect& Rect) {
  const TRect CR = ClientRect();
  const bool HOn = FHScrollBar && FHScrollBar->Visible(), VOn = FVScrollBar && FVScrollBar->Visible();
  const int X0 = HOn ? -FHScrollBar->Position() : 0, Y0 = VOn ? -FVScrollBar->Position() : 0;
  const int W = HOn ? std::max(FHScrollBar->Max(), CR.Width()) : CR.Width();
  const int H = VOn ? std::max(FVScrollBar->Max(), CR.Height()) : CR.Height();
  Rect = {X0, Y0, X0 + W, Y0 + H};
  TbsSkinCustomControl::AdjustClientRect(Rect);
}

void TbsSkinScrollBox::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  const int OldW = Width(), OldH = Height();
  TbsSkinCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  FHSizeOffset = OldW != 0 && Width() > OldW ? Width() - OldW : 0;
  // The range follows the new size whether or not the box is aligned (the
  // position-changing notice comes before the size has changed).
  if (Width() != OldW) GetHRange();
  FVSizeOffset = OldH != 0 && Height() > OldH ? Height() - OldH : 0;
  if (Height() != OldH) GetVRange();
}

// ------------------------------------------------------------------ skin
void TbsSkinScrollBox::GetSkinData() {
  TbsSkinCustomControl::GetSkinData();
  BGPictureIndex = -1;
  auto* D = dynamic_cast<TbsDataSkinScrollBoxControl*>(SkinDescriptionAt(FSD, FIndex));
  // A picture index naming no picture of the skin counts as none.
  if (D && SkinPictureAt(FSD, D->BGPictureIndex)) BGPictureIndex = D->BGPictureIndex;
}

void TbsSkinScrollBox::ChangeSkinData() {
  TbsSkinCustomControl::ChangeSkinData();
  RecreateWnd();
  for (TbsSkinScrollBar* B : {FVScrollBar, FHScrollBar})
    if (B && B->Align() != forms::alNone && B->Parent()) B->Parent()->Realign();
}

void TbsSkinScrollBox::SetBorderStyle(TbsSkinBorderStyle Value) {
  FBorderStyle = Value;
  RecreateWnd();
}

void TbsSkinScrollBox::CreateParams(forms::TCreateParams& Params) {
  TbsSkinCustomControl::CreateParams(Params);
  Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

// ------------------------------------------------------------------ frame
bool TbsSkinScrollBox::HasFrame() {
  GetSkinData();
  return FBorderStyle != bvNone && !(FIndex != -1 && BGPictureIndex != -1);
}

void TbsSkinScrollBox::PaintFrame(HDC DC) {
  if (!HasFrame()) return;
  gdi::TCanvas C;
  C.SetHandle(DC);
  const int W = Width(), H = Height();
  if (FIndex == -1 || !Picture) {
    auto Side = [&](TColor Colour, int X0, int Y0, int X1, int Y1) {
      C.Pen()->SetColor(Colour);
      C.MoveTo(X0, Y0);
      C.LineTo(X1, Y1);
    };
    TColor TopLeft = gdi::clBtnShadow, BottomRight = gdi::clBtnShadow;
    if (FBorderStyle == bvRaised) BottomRight = gdi::clBtnHighlight;
    if (FBorderStyle == bvLowered) TopLeft = gdi::clBtnHighlight;
    Side(TopLeft, 0, H - 1, 0, 0);
    Side(TopLeft, 0, 0, W, 0);
    Side(BottomRight, W - 1, 0, W - 1, H);
    Side(BottomRight, 0, H - 1, W, H - 1);
  } else {
    const int dx = W - RectWidth(SkinRect), dy = H - RectHeight(SkinRect);
    const TPoint NLT = LTPt, NRT{RTPt.X + dx, RTPt.Y}, NLB{LBPt.X, LBPt.Y + dy}, NRB{RBPt.X + dx, RBPt.Y + dy};
    const TRect NCl{ClRect.Left, ClRect.Top, ClRect.Right + dx, ClRect.Bottom + dy};
    TBitmap LB, TB, RB, BB;
    ComposeSkinBorderStripsEx(LTPt, RTPt, LBPt, RBPt, ClRect, NLT, NRT, NLB, NRB, NCl, &LB, &TB, &RB, &BB, Picture,
                              SkinRect, W, H, LeftStretch, TopStretch, RightStretch, BottomStretch);
    if (!TB.Empty()) C.Draw(0, 0, &TB);
    if (!LB.Empty()) C.Draw(0, TB.Height(), &LB);
    if (!RB.Empty()) C.Draw(W - RB.Width(), TB.Height(), &RB);
    if (!BB.Empty()) C.Draw(0, H - BB.Height(), &BB);
  }
  C.SetHandle(nullptr);
}

// ------------------------------------------------------------------ background
void TbsSkinScrollBox::CreateControlDefaultImage(TBitmap* B) {
  B->Canvas()->Brush()->SetColor(Color());
  B->Canvas()->FillRect(ClientRect());
}

void TbsSkinScrollBox::Paint() {
  GetSkinData();
  if (FIndex == -1) {
    PaintThroughBitmap();
    return;
  }
  PaintSkinBackground();
}

void TbsSkinScrollBox::PaintSkinBackground() {
  const TRect CR = ClientRect();
  if (CR.Width() < 1 || CR.Height() < 1 || !Picture) return;
  gdi::TCanvas* C = Canvas();
  const int Save = gdi::SaveDC(C->Handle());
  gdi::IntersectClipRect(C->Handle(), CR.Left, CR.Top, CR.Right, CR.Bottom);
  TBitmap Part;
  TBitmap* Src = SkinPictureAt(FSD, BGPictureIndex);
  const bool Whole = Src != nullptr;
  if (!Whole && !IsEmptyRect(ClRect)) {
    Part.SetSize(RectWidth(ClRect), RectHeight(ClRect));
    Part.Canvas()->CopyRect({0, 0, Part.Width(), Part.Height()}, Picture->Canvas(),
                            {SkinRect.Left + ClRect.Left, SkinRect.Top + ClRect.Top, SkinRect.Left + ClRect.Right,
                             SkinRect.Top + ClRect.Bottom});
    Src = &Part;
  }
  const int w = Src ? Src->Width() : 0, h = Src ? Src->Height() : 0;
  if (w > 0 && h > 0) {
    if (StretchEffect && (Whole || (Width() > 0 && Height() > 0))) {
      if (StretchType == bsstFull) {
        C->StretchDraw({0, 0, Width(), Height()}, Src);
      } else if (StretchType == bsstHorz) {
        TBitmap S(w, Height());
        S.Canvas()->StretchDraw({0, 0, w, Height()}, Src);
        for (int k = 0; k <= Width() / w; ++k) C->Draw(k * w, 0, &S);
      } else {
        TBitmap S(Width(), h);
        S.Canvas()->StretchDraw({0, 0, Width(), h}, Src);
        for (int k = 0; k <= Height() / h; ++k) C->Draw(0, k * h, &S);
      }
    } else {
      const int W = Whole ? Width() : CR.Width(), H = Whole ? Height() : CR.Height();
      for (int i = 0; i <= W / w; ++i)
        for (int j = 0; j <= H / h; ++j) C->Draw(i * w, j * h, Src);
    }
  }
  gdi::RestoreDC(C->Handle(), Save);
}

// ------------------------------------------------------------------ messages
void TbsSkinScrollBox::WndProc(TMessage& M) {
  if (FCanFocused && !PassFocusingClick(this, M, FClicksDisabled)) return;
  TbsSkinCustomControl::WndProc(M);
}

void TbsSkinScrollBox::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_NCCALCSIZE: {
      GetSkinData();
      if (!M.WParam || !M.LParam) return;
      RECT& R = reinterpret_cast<NCCALCSIZE_PARAMS*>(M.LParam)->rgrc[0];
      if (FBorderStyle == bvNone || (FIndex != -1 && BGPictureIndex != -1)) return;
      if (FIndex != -1)
        R = {R.Left + ClRect.Left, R.Top + ClRect.Top, R.Right - (RectWidth(SkinRect) - ClRect.Right),
             R.Bottom - (RectHeight(SkinRect) - ClRect.Bottom)};
      else
        R = {R.Left + 1, R.Top + 1, R.Right - 1, R.Bottom - 1};
      if (R.Right < R.Left) R.Right = R.Left;
      if (R.Bottom < R.Top) R.Bottom = R.Top;
      M.Result = 0;
      return;
    }
    case WM_NCPAINT: {
      if (!HandleAllocated()) return;
      HDC DC = GetWindowDC(Handle());
      PaintFrame(DC);
      ReleaseDC(Handle(), DC);
      return;
    }
    case WM_SIZE:
      TbsSkinCustomControl::Dispatch(M);
      if (HandleAllocated()) SendMessageW(Handle(), WM_NCPAINT, 0, 0);
      return;
    case WM_WINDOWPOSCHANGING:
      TbsSkinCustomControl::Dispatch(M);
      if (HandleAllocated() && Align() == forms::alNone) {
        GetVRange();
        GetHRange();
      }
      return;
    case forms::CM_VISIBLECHANGED:
      TbsSkinCustomControl::Dispatch(M);
      for (TbsSkinScrollBar* B : {FVScrollBar, FHScrollBar})
        if (B) B->SetVisible(Visible());
      return;
    case MSG_SKIN_PAINT_TO_DC:
      M.Result = 0;
      if (M.WParam && HasFrame() && BGPictureIndex == -1) {
        PaintFrame(HDC(M.WParam));
        M.Result = kSkinPaintToDCAnswer;
      }
      return;
    case MSG_SKIN_PAINT_NC_TO_DC:
      if (M.LParam != kSkinPaintNCKey) break;
      if (M.WParam && HasFrame() && BGPictureIndex == -1) PaintFrame(HDC(M.WParam));
      M.Result = kSkinPaintNCKey;
      return;
  }
  TbsSkinCustomControl::Dispatch(M);
}

}  // namespace skin
