#include "skin/controls/bsSkinSplitter.h"

namespace skin {

TbsSkinSplitter::TbsSkinSplitter(TComponent* AOwner) : forms::TSplitter(AOwner) {
  auto S = ControlStyle();
  S.Include(forms::csOpaque);
  SetControlStyle(S);
}

TbsSkinSplitter::~TbsSkinSplitter() { FSD = nullptr; }

void TbsSkinSplitter::SetTransparent(bool Value) {
  if (FTransparent == Value) return;
  FTransparent = Value;
  auto S = ControlStyle();
  if (Value)
    S.Exclude(forms::csOpaque);
  else
    S.Include(forms::csOpaque);
  SetControlStyle(S);
  Repaint();
}

void TbsSkinSplitter::SetSkinData(TbsSkinData* Value) {
  if (FSD) FSD->RemoveFreeNotification(this);
  FSD = Value;
  if (FSD) FSD->FreeNotification(this);
  ChangeSkinData();
}

void TbsSkinSplitter::Notification(TComponent* AComponent, rtl::TOperation Operation) {
  forms::TSplitter::Notification(AComponent, Operation);
  if (Operation == rtl::opRemove && AComponent == FSD) {
    FSD = nullptr;
    FIndex = -1;
  }
}

void TbsSkinSplitter::GetSkinData() {
  FIndex = FSD && !FSD->Empty ? FSD->GetControlIndex(FSkinDataName) : -1;
  FSkinPicture = nullptr;
  auto* D = dynamic_cast<TbsDataSkinSplitterControl*>(SkinDescriptionAt(FSD, FIndex));
  FSplitterEntry = D != nullptr;
  if (!D) return;
  LTPt = D->LTPoint;
  RTPt = D->RTPoint;
  LBPt = D->LBPoint;
  SkinRect = D->SkinRect;
  StretchEffect = D->StretchEffect;
  FSkinPicture = SkinPictureAt(FSD, D->PictureIndex);
  GripperRect = D->GripperRect;
  GripperTransparent = D->GripperTransparent;
  GripperTransparentColor = D->GripperTransparentColor;
}

void TbsSkinSplitter::ChangeSkinData() {
  GetSkinData();
  // An entry of that name that describes no splitter counts as none.
  const bool Plain = !FSplitterEntry || FTransparent;
  if (HorizontalStrip())
    SetHeight(Plain ? DefaultSize : RectHeight(SkinRect));
  else
    SetWidth(Plain ? DefaultSize : RectWidth(SkinRect));
  Repaint();
}

void TbsSkinSplitter::RequestAlign() {
  forms::TSplitter::RequestAlign();
  if (ComponentState().Contains(rtl::csDesigning)) FSkinDataName = HorizontalStrip() ? u"hsplitter" : u"vsplitter";
}

void TbsSkinSplitter::Paint() {
  if (FTransparent || Width() <= 0 || Height() <= 0) return;
  GetSkinData();
  if (!FSplitterEntry || !FSkinPicture || Align() == forms::alNone || Align() == forms::alClient) {
    forms::TSplitter::Paint();
    return;
  }
  TBitmap B;
  if (HorizontalStrip())
    ComposeHorzSkinImage(LTPt.X, RectWidth(SkinRect) - RTPt.X, &B, FSkinPicture, SkinRect, Width(),
                         RectHeight(SkinRect), StretchEffect);
  else
    ComposeVertSkinImage(LTPt.Y, RectHeight(SkinRect) - LBPt.Y, &B, FSkinPicture, SkinRect, RectWidth(SkinRect),
                         Height(), StretchEffect);
  if (!IsEmptyRect(GripperRect)) {
    TBitmap G(RectWidth(GripperRect), RectHeight(GripperRect));
    G.Canvas()->CopyRect({0, 0, G.Width(), G.Height()}, FSkinPicture->Canvas(), GripperRect);
    if (GripperTransparent) {
      G.SetTransparentMode(gdi::tmFixed);
      G.SetTransparentColor(GripperTransparentColor);
      G.SetTransparent(true);
    }
    B.Canvas()->Draw(B.Width() / 2 - G.Width() / 2, B.Height() / 2 - G.Height() / 2, &G);
  }
  Canvas()->Draw(0, 0, &B);
}

}  // namespace skin
