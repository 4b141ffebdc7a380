#include "skin/controls/bsSkinCtrls.h"

#include "platform/forms/Forms.h"
#include "platform/gdi/Gdi.h"
#include "skin/images/bsSkinRegions.h"

namespace skin {

TBitmap* SkinPictureAt(TbsSkinData* SD, int Index) {
  if (!SD || Index < 0 || Index >= int(SD->ActivePictures().size())) return nullptr;
  return SD->ActivePictures()[Index]->Bitmap();
}

void ApplyDescriptionFont(gdi::TFont* Font, const String& Name, int Height, TFontStyles Style) {
  Font->SetName(Name);
  Font->SetHeight(Height);
  gdi::TFontStyles S;
  for (int i = 0; i < 4; ++i)
    if (Style & (1u << i)) S.Include(gdi::TFontStyle(i));
  Font->SetStyle(S);
}

// ------------------------------------------------------------------ geometry
bool TbsSkinGeometry::Read(TbsSkinData* SD, TbsDataSkinControl* D) {
  auto* C = dynamic_cast<TbsDataSkinCustomControl*>(D);
  if (!C) {
    ResizeMode = 0;
    Picture = nullptr;
    return false;
  }
  LTPt = C->LTPoint;
  RTPt = C->RTPoint;
  LBPt = C->LBPoint;
  RBPt = C->RBPoint;
  SkinRect = C->SkinRect;
  StretchEffect = C->StretchEffect;
  StretchType = C->StretchType;
  LeftStretch = C->LeftStretch;
  TopStretch = C->TopStretch;
  RightStretch = C->RightStretch;
  BottomStretch = C->BottomStretch;
  ClRect = C->ClRect;
  Picture = SkinPictureAt(SD, C->PictureIndex);
  ResizeMode = GetResizeMode();
  return true;
}

int TbsSkinGeometry::GetResizeMode() const {
  if (IsEmptyRect(SkinRect)) return -1;
  if (RBPt.X != 0 && RBPt.Y != 0) return 1;
  if (RTPt.X != 0 || RTPt.Y != 0) return 2;
  if (LBPt.X != 0 || LBPt.Y != 0) return 3;
  return 0;
}

void TbsSkinGeometry::Adjust(bool Skinned, int& W, int& H) {
  if (!Skinned || ResizeMode < 0) return;
  const int W0 = RectWidth(SkinRect), H0 = RectHeight(SkinRect);
  const int dW = W - W0, dH = H - H0;
  switch (ResizeMode) {
    case 0:
      W = W0;
      H = H0;
      NewClRect = ClRect;
      break;
    case 1:
      NewLTPoint = LTPt;
      NewRTPoint = {RTPt.X + dW, RTPt.Y};
      NewLBPoint = {LBPt.X, LBPt.Y + dH};
      NewRBPoint = {RBPt.X + dW, RBPt.Y + dH};
      NewClRect = {ClRect.Left, ClRect.Top, ClRect.Right + dW, ClRect.Bottom + dH};
      break;
    case 2:
      H = H0;
      NewLTPoint = LTPt;
      NewRTPoint = {RTPt.X + dW, RTPt.Y};
      NewClRect = {ClRect.Left, ClRect.Top, ClRect.Right + dW, ClRect.Bottom};
      break;
    case 3:
      W = W0;
      NewLTPoint = LTPt;
      NewLBPoint = {LBPt.X, LBPt.Y + dH};
      NewClRect = {ClRect.Left, ClRect.Top, ClRect.Right, ClRect.Bottom + dH};
      break;
  }
}

void TbsSkinGeometry::ComposeFrom(TBitmap* B, TBitmap* SB, TRect R, int W, int H, bool Compose1) {
  if (!SB) return;
  switch (ResizeMode) {
    case 0:
      B->SetSize(RectWidth(R), RectHeight(R));
      B->Canvas()->CopyRect({0, 0, RectWidth(R), RectHeight(R)}, SB->Canvas(), R);
      break;
    case 1:
      if (Compose1)
        ComposeSkinImage(LTPt, RTPt, LBPt, RBPt, ClRect, NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint, NewClRect, B,
                         SB, R, W, H, true, LeftStretch, TopStretch, RightStretch, BottomStretch, StretchEffect,
                         StretchType);
      break;
    case 2:
      ComposeHorzSkinImage(LTPt.X, RectWidth(SkinRect) - RTPt.X, B, SB, R, W, H, StretchEffect);
      break;
    case 3:
      ComposeVertSkinImage(LTPt.Y, RectHeight(SkinRect) - LBPt.Y, B, SB, R, W, H, StretchEffect);
      break;
  }
}

TRect TbsSkinGeometry::Translate(TRect R, int W, int H) const {
  const int W0 = RectWidth(SkinRect), H0 = RectHeight(SkinRect);
  const int dW = W - W0, dH = H - H0;
  auto Move = [](TRect& X, int dx, int dy) { X = {X.Left + dx, X.Top + dy, X.Right + dx, X.Bottom + dy}; };
  TRect Res = R;
  if (ResizeMode == 1) {
    const TRect LTZ{0, 0, LTPt.X, LTPt.Y}, LBZ{0, LBPt.Y, LBPt.X, H0}, RTZ{RTPt.X, 0, W0, RTPt.Y},
        RBZ{RBPt.X, RBPt.Y, W0, H0};
    const TPoint TL{R.Left, R.Top}, BR{R.Right, R.Bottom};
    if (RectInRect(R, LTZ)) {
    } else if (RectInRect(R, RTZ)) {
      Move(Res, dW, 0);
    } else if (RectInRect(R, LBZ)) {
      Move(Res, 0, dH);
    } else if (RectInRect(R, RBZ)) {
      Move(Res, dW, dH);
    } else if (PointInRectInclusive(LTZ, TL) && PointInRectInclusive(RBZ, BR)) {
      Res.Right += dW;
      Res.Bottom += dH;
    } else if (PointInRectInclusive(LTZ, TL) && PointInRectInclusive(RTZ, BR)) {
      Res.Right += dW;
    } else if (PointInRectInclusive(LBZ, TL) && PointInRectInclusive(RBZ, BR)) {
      Res.Right += dW;
      Res.Top += dH;
      Res.Bottom += dH;
    } else if (PointInRectInclusive(LTZ, TL) && PointInRectInclusive(LBZ, BR)) {
      Res.Bottom += dH;
    } else if (PointInRectInclusive(RTZ, TL) && PointInRectInclusive(RBZ, BR)) {
      Res.Left += dW;
      Res.Right += dW;
      Res.Bottom += dH;
    }
  } else if (ResizeMode == 2) {
    if (R.Left <= LTPt.X && R.Right >= RTPt.X)
      Res.Right += dW;
    else if (R.Left >= RTPt.X && R.Right > RTPt.X)
      Move(Res, dW, 0);
  } else if (ResizeMode == 3) {
    if (R.Top <= LTPt.Y && R.Bottom >= LBPt.Y)
      Res.Bottom += dH;
    else if (R.Top >= LBPt.Y && R.Bottom > LBPt.Y)
      Move(Res, 0, dH);
  }
  return Res;
}

namespace {

int LookUp(TbsSkinData* SD, const String& Name) {
  return SD && !SD->Empty ? SD->GetControlIndex(Name) : -1;
}

}  // namespace

TbsDataSkinControl* SkinDescriptionAt(TbsSkinData* SD, int Index) {
  return SD && Index >= 0 && Index < int(SD->CtrlList.size()) ? SD->CtrlList[Index].get() : nullptr;
}

std::unique_ptr<gdi::TFont> MakeDefaultFont(std::function<void()> OnChange) {
  auto F = std::make_unique<gdi::TFont>();
  F->SetName(u"Arial");
  F->SetHeight(14);
  F->OnChange = [OnChange](TObject*) { OnChange(); };
  return F;
}

void FillButtonFace(TBitmap* B, int W, int H) {
  B->Canvas()->Brush()->SetColor(gdi::clBtnFace);
  B->Canvas()->FillRect({0, 0, W, H});
}

// Vertical centring on a container that asks for it.
void CentreOnContainer(TControl* C, int& ATop, int AHeight) {
  auto* Q = dynamic_cast<TbsSkinContainerQuery*>(C->Parent());
  TRect R;
  if (Q && Q->CentresControls(R)) ATop = R.Top + RectHeight(R) / 2 - AHeight / 2;
}


// ------------------------------------------------------------------ TbsSkinControl
TbsSkinControl::TbsSkinControl(TComponent* AOwner) : forms::TCustomControl(AOwner) {}
TbsSkinControl::~TbsSkinControl() { FSD = nullptr; }

void TbsSkinControl::SetSkinDataName(const String& Value) { FSkinDataName = Value; }

void TbsSkinControl::SetSkinData(TbsSkinData* Value) {
  if (FSD) FSD->RemoveFreeNotification(this);
  FSD = Value;
  if (FSD) FSD->FreeNotification(this);
  if (FSD && !FSD->Empty && !Designing()) ChangeSkinData();
}

void TbsSkinControl::GetSkinData() { FIndex = LookUp(FSD, FSkinDataName); }

void TbsSkinControl::ChangeSkinData() {
  GetSkinData();
  Repaint();
}

void TbsSkinControl::BeforeChangeSkinData() { FIndex = -1; }

void TbsSkinControl::Notification(TComponent* AComponent, rtl::TOperation Operation) {
  forms::TCustomControl::Notification(AComponent, Operation);
  if (Operation == rtl::opRemove && AComponent == FSD) {
    FSD = nullptr;
    FIndex = -1;
  }
}

void TbsSkinControl::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case win::WM_PAINT:
      FromWMPaint = true;
      forms::TCustomControl::Dispatch(M);
      FromWMPaint = false;
      return;
    case win::WM_ERASEBKGND:
      M.Result = 1;
      return;
    case MSG_CHECK_PARENT_BACKGROUND:
      CheckParentBackground();
      return;
  }
  forms::TCustomControl::Dispatch(M);
}

void TbsSkinControl::PaintThroughBitmap() {
  if (Width() <= 0 || Height() <= 0) return;
  GetSkinData();
  TBitmap B(Width(), Height());
  if (FIndex == -1)
    CreateControlDefaultImage(&B);
  else
    CreateControlSkinImage(&B);
  Canvas()->Draw(0, 0, &B);
}

void TbsSkinControl::Paint() { PaintThroughBitmap(); }

// ------------------------------------------------------------------ TbsSkinCustomControl
TbsSkinCustomControl::~TbsSkinCustomControl() { FHasRgn = false; }

void TbsSkinCustomControl::GetSkinData() {
  TbsSkinCustomBase::GetSkinData();
  auto* D = SkinDescriptionAt(FSD, FIndex);
  MaskPicture = dynamic_cast<TbsDataSkinCustomControl*>(D) ? SkinPictureAt(FSD, D->MaskPictureIndex) : nullptr;
}

void TbsSkinCustomControl::CreateSkinImageFromRect(TBitmap* B, TBitmap* SB, TRect R) {
  if (ResizeMode == 1 && ForcebackGround) return;
  TbsSkinCustomBase::CreateSkinImageFromRect(B, SB, R);
}

void TbsSkinCustomControl::SkinSizeKept() {
  UpdateSkinRegion();
  Repaint();
}

void TbsSkinCustomControl::BoundsApplied(bool Changed) {
  if (Changed) {
    UpdateSkinRegion();
    Repaint();
  }
  if (FIndex != -1 && StretchEffect) CheckControlsBackground();
}

void TbsSkinCustomControl::UpdateSkinRegion() {
  if (!Parent()) return;
  if (!MaskPicture || FIndex == -1) {
    if (FHasRgn && HandleAllocated()) win::SetWindowRgn(Handle(), nullptr, true);
    FHasRgn = false;
    return;
  }
  CreateSkinRegion();
}

void TbsSkinCustomControl::CreateSkinRegion() {
  int W = Width(), H = Height();
  AdjustSkinSize(W, H);
  gdi::HRGN Rgn = nullptr;
  const TPoint P{Width() + RTPt.X - RectWidth(SkinRect), RTPt.Y};
  const TPoint Q{LBPt.X, Height() + LBPt.Y - RectHeight(SkinRect)};
  switch (ResizeMode) {
    case 0: CreateRegionFromMask(Rgn, MaskPicture); break;
    case 1:
      CreateSkinMaskRegion(Rgn, LTPt, RTPt, LBPt, RBPt, ClRect, NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint,
                           NewClRect, MaskPicture, Width(), Height());
      break;
    case 2:
      CreateSkinMaskRegion(Rgn, LTPt, RTPt, LTPt, RTPt, ClRect, LTPt, P, LTPt, P, NewClRect, MaskPicture, Width(),
                           Height());
      break;
    case 3:
      CreateSkinMaskRegion(Rgn, LTPt, LTPt, LBPt, LBPt, ClRect, LTPt, LTPt, Q, Q, NewClRect, MaskPicture, Width(),
                           Height());
      break;
  }
  if (!Rgn) return;
  if (win::SetWindowRgn(Handle(), Rgn, true) == 0) {
    gdi::DeleteObject(Rgn);  // not taken over: still ours
    return;
  }
  FHasRgn = true;
}

void TbsSkinCustomControl::CheckControlsBackground() {
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* C = Controls(i);
    if (auto* W = dynamic_cast<forms::TWinControl*>(C))
      win::SendMessage(W->Handle(), MSG_CHECK_PARENT_BACKGROUND, 0, 0);
    else
      C->Perform(MSG_CHECK_PARENT_BACKGROUND, 0, 0);
  }
}

void TbsSkinCustomControl::Paint() {
  if (Width() < 1 || Height() < 1) return;
  GetSkinData();
  int W = Width(), H = Height();
  AdjustSkinSize(W, H);
  if (!(FIndex != -1 && ForcebackGround && ResizeMode == 1)) {
    PaintThroughBitmap();
    return;
  }
  PaintFrameAndBackground();
}

void TbsSkinCustomControl::PaintFrameAndBackground() {
  TBitmap LB, TB, RB, BB;
  if (!Picture) return;
  ComposeSkinBorderStripsEx(LTPt, RTPt, LBPt, RBPt, ClRect, NewLTPoint, NewRTPoint, NewLBPoint, NewRBPoint, NewClRect,
                            &LB, &TB, &RB, &BB, Picture, SkinRect, Width(), Height(), LeftStretch, TopStretch,
                            RightStretch, BottomStretch);
  CreateControlSkinImage(&TB);
  gdi::TCanvas* C = Canvas();
  if (DrawbackGround && !IsEmptyRect(NewClRect) && !IsEmptyRect(ClRect)) {
    const int SaveIndex = gdi::SaveDC(C->Handle());
    gdi::IntersectClipRect(C->Handle(), NewClRect.Left, NewClRect.Top, NewClRect.Right, NewClRect.Bottom);
    TBitmap T(RectWidth(ClRect), RectHeight(ClRect));
    const TRect Src{SkinRect.Left + ClRect.Left, SkinRect.Top + ClRect.Top, SkinRect.Left + ClRect.Right,
                    SkinRect.Top + ClRect.Bottom};
    T.Canvas()->CopyRect({0, 0, T.Width(), T.Height()}, Picture->Canvas(), Src);
    if (!StretchEffect) {
      for (int k = 0; k <= RectWidth(NewClRect) / T.Width(); ++k)
        for (int m = 0; m <= RectHeight(NewClRect) / T.Height(); ++m)
          C->Draw(NewClRect.Left + k * T.Width(), NewClRect.Top + m * T.Height(), &T);
    } else if (StretchType == bsstFull) {
      C->StretchDraw(NewClRect, &T);
    } else if (StretchType == bsstHorz) {
      TBitmap S(T.Width(), RectHeight(NewClRect));
      S.Canvas()->StretchDraw({0, 0, S.Width(), S.Height()}, &T);
      for (int k = 0; k <= RectWidth(NewClRect) / S.Width(); ++k) C->Draw(NewClRect.Left + k * S.Width(), NewClRect.Top, &S);
    } else {
      TBitmap S(RectWidth(NewClRect), T.Height());
      S.Canvas()->StretchDraw({0, 0, S.Width(), S.Height()}, &T);
      for (int m = 0; m <= RectHeight(NewClRect) / S.Height(); ++m) C->Draw(NewClRect.Left, NewClRect.Top + m * S.Height(), &S);
    }
    gdi::RestoreDC(C->Handle(), SaveIndex);
  }
  if (!TB.Empty()) C->Draw(0, 0, &TB);
  if (!LB.Empty()) C->Draw(0, TB.Height(), &LB);
  if (!RB.Empty()) C->Draw(Width() - RB.Width(), TB.Height(), &RB);
  if (!BB.Empty()) C->Draw(0, Height() - BB.Height(), &BB);
}

// ------------------------------------------------------------------ TbsGraphicSkinControl
TbsGraphicSkinControl::TbsGraphicSkinControl(TComponent* AOwner) : forms::TGraphicControl(AOwner) {
  auto S = ControlStyle();
  S.Include(forms::csOpaque);
  SetControlStyle(S);
}
TbsGraphicSkinControl::~TbsGraphicSkinControl() { FSD = nullptr; }

void TbsGraphicSkinControl::SetSkinData(TbsSkinData* Value) {
  if (FSD) FSD->RemoveFreeNotification(this);
  FSD = Value;
  if (FSD) FSD->FreeNotification(this);
  if (FSD && !FSD->Empty && !Designing()) ChangeSkinData();
}

void TbsGraphicSkinControl::GetSkinData() { FIndex = LookUp(FSD, FSkinDataName); }

void TbsGraphicSkinControl::ChangeSkinData() {
  GetSkinData();
  Repaint();
}

void TbsGraphicSkinControl::Notification(TComponent* AComponent, rtl::TOperation Operation) {
  forms::TGraphicControl::Notification(AComponent, Operation);
  if (Operation == rtl::opRemove && AComponent == FSD) {
    FSD = nullptr;
    FIndex = -1;
  }
}

void TbsGraphicSkinControl::Dispatch(TMessage& M) { forms::TGraphicControl::Dispatch(M); }

void TbsGraphicSkinControl::Paint() {
  if (Width() <= 0 || Height() <= 0) return;
  GetSkinData();
  TBitmap B(Width(), Height());
  if (FIndex == -1)
    CreateControlDefaultImage(&B);
  else
    CreateControlSkinImage(&B);
  Canvas()->Draw(0, 0, &B);
}

// ------------------------------------------------------------------ skin change walk
namespace {

// Calls Fn(control) for every skinned control of the tree bound to ASkinData
// (any when nullptr), the root first, then the children in order.
template <class Fn>
void WalkSkinnedControls(TControl* C, TbsSkinData* ASkinData, Fn&& F) {
  const forms::TLiveness Live = C->Liveness();
  if (auto* S = dynamic_cast<TbsSkinControl*>(C)) {
    if (!ASkinData || S->SkinData() == ASkinData) F(S);
  } else if (auto* G = dynamic_cast<TbsGraphicSkinControl*>(C)) {
    if (!ASkinData || G->SkinData() == ASkinData) F(G);
  } else if (auto* X = dynamic_cast<TbsSkinChangeable*>(C)) {
    if (!ASkinData || X->SkinData() == ASkinData) F(X);
  }
  if (!Live.Alive()) return;
  auto* W = dynamic_cast<forms::TWinControl*>(C);
  if (!W) return;
  // A control may add or remove children while it takes the skin (scroll
  // bars, scrollers): walk what is there at each step; a child that went
  // away leaves its place to the next one.
  for (int i = 0; i < W->ControlCount(); ++i) {
    TControl* Child = W->Controls(i);
    const forms::TLiveness ChildLive = Child->Liveness();
    WalkSkinnedControls(Child, ASkinData, F);
    if (!Live.Alive()) return;
    if (!ChildLive.Alive()) --i;
  }
}

}  // namespace

void BeforeChangeSkinDataOfControls(TControl* AControl, TbsSkinData* ASkinData) {
  if (!AControl) return;
  WalkSkinnedControls(AControl, ASkinData, [](auto* C) { C->BeforeChangeSkinData(); });
}

void ChangeSkinDataOfControls(TControl* AControl, TbsSkinData* ASkinData) {
  if (!AControl) return;
  WalkSkinnedControls(AControl, ASkinData, [](auto* C) { C->ChangeSkinData(); });
}

}  // namespace skin
