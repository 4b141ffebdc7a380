#include "platform/gdi/Gdi.h"
#include "skin/controls/bsSkinButtons.h"
#include "skin/menus/bsSkinMenus.h"

namespace skin {

using forms::TMenuItem;
using gdi::TCanvas;

namespace {

constexpr TColor kNavy = 0x800000, kLit = 0xD2BDB6;

void FillColour(TCanvas* C, const TRect& R, TColor Colour) {
  C->Brush()->SetStyle(gdi::bsSolid);
  C->Brush()->SetColor(Colour);
  C->FillRect(R);
}

// The right-pointing sub-menu triangle: four columns of 7, 5, 3 and 1 pixels.
void DrawSubMenuArrow(TCanvas* C, int X, int Y, TColor Colour) {
  C->Pen()->SetColor(Colour);
  C->Pen()->SetWidth(1);
  for (int i = 0; i < 4; ++i) {
    C->MoveTo(X + i, Y + i);
    C->LineTo(X + i, Y + 7 - i);
  }
}

void DrawRadioDot(TCanvas* C, int X, int Y, TColor Colour) {
  C->Pen()->SetColor(Colour);
  C->Brush()->SetStyle(gdi::bsSolid);
  C->Brush()->SetColor(Colour);
  C->Ellipse(X, Y, X + 6, Y + 6);
}

// The frame's command glyphs for the items the frame names after its commands.
bool DrawCommandGlyph(TCanvas* C, const String& Name, int X, int Y, TColor Colour) {
  if (Name == u"BSF_CLOSE" || Name == u"TRAY_BSF_CLOSE")
    DrawCloseGlyph(C, X, Y, Colour);
  else if (Name == u"BSF_MINITEM")
    DrawMinimizeGlyph(C, X, Y, Colour);
  else if (Name == u"BSF_MAXITEM")
    DrawMaximizeGlyph(C, X, Y, Colour);
  else if (Name == u"BSF_RESTORE" || Name == u"TRAY_BSF_RESTORE")
    DrawRestoreGlyph(C, X, Y, Colour);
  else if (Name == u"BSF_ROLLUP")
    DrawRollUpGlyph(C, X, Y, Colour);
  else if (Name == u"BSF_MINTOTRAY")
    DrawMinimizeToTrayGlyph(C, X, Y, Colour);
  else
    return false;
  return true;
}

bool HasImage(const TMenuItem* I, forms::TCustomImageList* L) {
  return I->HasBitmap() || (L && I->ImageIndex() >= 0 && I->ImageIndex() < L->Count());
}

// The size of the row's image: the item's own bitmap, else the list's.
void ImageSize(TMenuItem* I, forms::TCustomImageList* L, int& W, int& H) {
  if (I->HasBitmap()) {
    W = I->Bitmap()->Width();
    H = I->Bitmap()->Height();
  } else {
    W = L->Width();
    H = L->Height();
  }
}

void DrawImage(TCanvas* C, TMenuItem* I, forms::TCustomImageList* L, int X, int Y) {
  if (I->HasBitmap()) C->Draw(X, Y, I->Bitmap());
  else L->Draw(C, X, Y, I->ImageIndex(), I->Enabled());
}

void DrawCheckedFrame(TCanvas* C, int X, int Y, int W, int H, TColor Colour) {
  C->Brush()->SetStyle(gdi::bsClear);
  C->Pen()->SetColor(Colour);
  C->Rectangle(X - 1, Y - 1, X + W + 1, Y + H + 1);
}

// Caption and shortcut of an ordinary row in the text area T (row
// coordinates), g pixels of glyph column on the left and Margin on the right.
void DrawCaptionAndShortCut(TCanvas* C, const TMenuItem* I, const TRect& T, int g, int Margin) {
  TRect CR{T.Left + g, 0, T.Right - Margin, 0};
  DrawWideText(C, I->Caption(), CR, gdi::DT_CALCRECT);
  const int h = RectHeight(CR);
  const int Top = T.Top + RectHeight(T) / 2 - h / 2;
  CR = {CR.Left, Top, CR.Right + 2, Top + h};
  DrawWideText(C, I->Caption(), CR, gdi::DT_CENTER | gdi::DT_VCENTER);
  if (I->ShortCut() == 0) return;
  const String S = forms::ShortCutToText(I->ShortCut());
  TRect SR{0, 0, 0, 0};
  DrawWideText(C, S, SR, gdi::DT_CALCRECT);
  const int w = RectWidth(SR);
  SR = {T.Right - w - Margin, CR.Top, T.Right - Margin, CR.Bottom};
  DrawWideText(C, S, SR, gdi::DT_CENTER | gdi::DT_VCENTER);
}

}  // namespace

TbsMenuRowKind MenuRowKind(const TMenuItem* Item) {
  const String& C = Item->Caption();
  if (C == u"-") return TbsMenuRowKind::Separator;
  if (!C.empty() && C.front() == u'-' && C.back() == u'-' && !Item->Enabled()) return TbsMenuRowKind::Header;
  return TbsMenuRowKind::Ordinary;
}

TbsSkinMenuItem::TbsSkinMenuItem(TbsSkinPopupWindow* AParent, TMenuItem* AMenuItem, TbsDataSkinMenuItem* AData)
    : Parent(AParent), MI(AData), MenuItem(AMenuItem) {
  // The window hands a menu-item object only when its picture exists; the
  // skin's shared object is never changed here.
  if (MI) ActivePicture = SkinPictureAt(AParent->SD, MI->ActivePictureIndex);
  if (!ActivePicture) MI = nullptr;
}

void TbsSkinMenuItem::SetMorphKf(double Value) {
  if (!(Value > 0)) Value = 0;  // NaN as 0
  FMorphKf = Value > 1 ? 1 : Value;
}

bool TbsSkinMenuItem::EnableMorphing() const {
  TbsSkinData* SD = Parent->SD;
  return MI && MI->Morphing && SD && !SD->Empty && SD->EnableSkinEffects;
}

bool TbsSkinMenuItem::EnableAnimation() const {
  TbsSkinData* SD = Parent->SD;
  return MI && !IsEmptyRect(MI->AnimateSkinRect) && MI->FrameCount > 0 && SD && !SD->Empty && SD->EnableSkinEffects;
}

bool TbsSkinMenuItem::CanMorphing() {
  if (!FVisible) {
    if (FMorphKf != 0) {
      Active = Down = false;
      FMorphKf = 0;
    }
    return false;
  }
  return ((Active || Down) && FMorphKf < 1) || (!Active && !Down && FMorphKf > 0);
}

void TbsSkinMenuItem::DoMorphing() {
  SetMorphKf(FMorphKf + ((Active || Down) ? 0.2 : -0.2));
  Parent->RedrawRow(this);
}

int TbsSkinMenuItem::RowHeight() const {
  const bool Sep = Kind() == TbsMenuRowKind::Separator;
  if (MI) return Sep ? RectHeight(MI->DividerRect) : RectHeight(MI->SkinRect);
  return Sep ? 4 : Parent->ParentMenu->DefaultMenuItemHeight;
}

void TbsSkinMenuItem::RefreshRow() {
  if (EnableAnimation()) {
    Parent->MorphTimer->SetInterval(unsigned(std::max(MI->AnimateInterval, 1)));
    if (MI->InActiveAnimation || Active) {
      Parent->MorphTimer->SetEnabled(true);
    } else {
      CurrentFrame = 0;
      Parent->RedrawRow(this);
    }
  } else if (EnableMorphing()) {
    Parent->MorphTimer->SetInterval(20);
    Parent->MorphTimer->SetEnabled(true);
  } else {
    Parent->RedrawRow(this);
  }
}

// ------------------------------------------------------------------ hover, press
void TbsSkinMenuItem::MouseEnter(bool Kb) {
  Active = true;
  if (EnableAnimation()) CurrentFrame = 0;
  for (auto& R : Parent->ItemList)
    if (R.get() != this && R->Down) {
      R->Down = false;
      R->RefreshRow();
    }
  TbsSkinMenu* M = Parent->ParentMenu;
  if (WaitCommand && !Kb) {
    RefreshRow();
  } else if (Down) {
    // Hovering the row whose sub-menu is open keeps that sub-menu and closes
    // what lies below it.
    const int Sub = M->WindowIndex(Parent) + 1;
    if (Sub + 1 < M->WindowCount()) {
      TbsSkinPopupWindow* W = M->Windows(Sub);
      M->CloseMenuLevels(Sub + 1);
      for (auto& R : W->ItemList)
        if (R->Down) {
          R->Down = false;
          if (!R->EnableAnimation() || R->MI->InActiveAnimation)
            R->RefreshRow();
          else {
            R->CurrentFrame = 0;
            W->RedrawRow(R.get());
          }
        }
    }
  } else {
    RefreshRow();
    auto Live = Parent->Liveness();
    M->MenuItemClick(Parent, this, false, Kb);
    if (!Live.Alive()) return;
  }
  if (Parent->Hint() != MenuItem->Hint()) Parent->SetHint(MenuItem->Hint());
}

void TbsSkinMenuItem::MouseLeave() {
  Active = false;
  if (EnableAnimation()) CurrentFrame = MI->FrameCount + 1;
  WaitCommand = false;
  if (!Down) RefreshRow();
  Parent->ParentMenu->ForgetItem(this);
}

void TbsSkinMenuItem::MouseDown(int, int) {
  WaitCommand = false;
  if (!Down && MenuItem->Enabled()) Parent->ParentMenu->MenuItemClick(Parent, this, true, false);
}

// ------------------------------------------------------------------ drawing
void TbsSkinMenuItem::Draw(TCanvas* Cnvs) {
  if (!FVisible) return;
  if (!MI) {
    DefaultDraw(Cnvs);
    return;
  }
  const int W = RectWidth(ObjectRect), H = RectHeight(ObjectRect);
  if (W <= 0 || H <= 0) return;
  TBitmap B(W, H);
  if (Kind() == TbsMenuRowKind::Separator) {
    TBitmap S;
    ComposeHorzSkinImage(MI->DividerLO, MI->DividerRO, &S, ActivePicture, MI->DividerRect, W, H,
                         MI->DividerStretchEffect);
    B.Canvas()->Draw(0, 0, &S);
  } else {
    const bool Lit = Active || Down;
    if (EnableAnimation() && CurrentFrame > 0 && CurrentFrame <= MI->FrameCount) {
      DrawSkinnedItem(&B, Lit, true);
    } else if (EnableMorphing() && !(Lit && FMorphKf >= 1) && (Lit || FMorphKf != 0)) {
      TBitmap Normal(W, H), Hot(W, H);
      DrawSkinnedItem(&Normal, false, false);
      DrawSkinnedItem(&Hot, true, false);
      DrawMorphedLooks(B.Canvas(), &Normal, &Hot, MI->MorphKind, FMorphKf);
    } else {
      DrawSkinnedItem(&B, Lit, false);
    }
  }
  Cnvs->Draw(ObjectRect.Left, ObjectRect.Top, &B);
}

void TbsSkinMenuItem::DrawSkinMark(TCanvas* C, const TRect& Source, const TRect& Box) {
  const int w = RectWidth(Source), h = RectHeight(Source);
  if (w <= 0 || h <= 0) return;
  TBitmap Mark(w, h);
  Mark.Canvas()->CopyRect({0, 0, w, h}, ActivePicture->Canvas(), Source);
  Mark.SetTransparent(true);
  const int x = std::max(Box.Left + RectWidth(Box) / 2 - w / 2, Box.Left);
  const int y = std::max(Box.Top + RectHeight(Box) / 2 - h / 2, Box.Top);
  C->Draw(x, y, &Mark);
}

void TbsSkinMenuItem::DrawSkinnedItem(TBitmap* B, bool Lit, bool FromFrame) {
  const int W = B->Width(), H = B->Height();
  TCanvas* C = B->Canvas();
  TbsSkinMenu* M = Parent->ParentMenu;
  TMenuItem* I = MenuItem;
  // Source and stretch.
  TRect Src = Lit ? MI->ActiveSkinRect : MI->SkinRect;
  bool Stretch = Lit ? MI->StretchEffect : MI->InActiveStretchEffect;
  if (FromFrame) {
    if (!Lit && !MI->InActiveStretchEffect) Stretch = MI->StretchEffect;
    const TRect A = MI->AnimateSkinRect;
    const int k = CurrentFrame;
    if (RectHeight(A) > RectHeight(MI->SkinRect)) {
      const int fh = RectHeight(A) / MI->FrameCount;
      Src = {A.Left, A.Top + (k - 1) * fh, A.Right, A.Top + k * fh};
    } else {
      const int fw = RectWidth(A) / MI->FrameCount;
      Src = {A.Left + (k - 1) * fw, A.Top, A.Left + k * fw, A.Bottom};
    }
  }
  // Background.
  if (!Lit && MI->InActiveTransparent && Parent->FPaintBuffer) {
    C->CopyRect({0, 0, W, H}, Parent->FPaintBuffer->Canvas(), ObjectRect);
  } else if (!IsEmptyRect(Src)) {
    TBitmap Bg;
    ComposeHorzSkinImage(MI->ItemLO, MI->ItemRO, &Bg, ActivePicture, Src, W, H, Stretch);
    C->Draw(0, 0, &Bg);
  }
  const int g = !IsEmptyRect(MI->ImageRct) ? 0 : (Parent->ImgL ? Parent->GlyphWidth : 16);
  TRect T = MI->TextRct;
  T.Right = W + MI->TextRct.Right - RectWidth(MI->SkinRect);
  C->Brush()->SetStyle(gdi::bsClear);
  if (M->UseSkinFont)
    ApplyDescriptionFont(C->Font(), MI->FontName, MI->FontHeight, MI->FontStyle);
  else
    C->Font()->Assign(M->DefaultMenuItemFont());
  TColor Colour = Lit ? MI->ActiveFontColor : (I->Enabled() ? MI->FontColor : MI->UnEnabledFontColor);
  C->Font()->SetColor(Colour);
  if (I->OnDrawItem) {
    I->OnDrawItem(this, C, T, Lit);
    return;
  }
  if (Kind() == TbsMenuRowKind::Header) {
    DrawMenuHeader(C, {0, 0, W, H}, I->Caption().substr(1, I->Caption().size() - 2));
    return;
  }
  DrawCaptionAndShortCut(C, I, T, g, 16);
  // Sub-menu arrow.
  if (I->Count() > 0) {
    if (IsEmptyRect(MI->ArrowImageRect)) {
      DrawSubMenuArrow(C, T.Right - 7, T.Top + RectHeight(T) / 2 - 4, Colour);
    } else {
      const TRect A = Lit && !IsEmptyRect(MI->ActiveArrowImageRect) ? MI->ActiveArrowImageRect : MI->ArrowImageRect;
      DrawSkinMark(C, A, {T.Right - RectWidth(A) - 5, T.Top, T.Right, T.Bottom});
    }
  }
  if (MI->UseImageColor) Colour = Lit ? MI->ActiveImageColor : MI->ImageColor;
  forms::TCustomImageList* L = Parent->ImgL;
  const bool NoImageRect = IsEmptyRect(MI->ImageRct);
  if (HasImage(I, L)) {
    int iw, ih;
    ImageSize(I, L, iw, ih);
    int X, Y;
    if (NoImageRect) {
      X = T.Left + 2;
      Y = T.Top + RectHeight(T) / 2 - ih / 2;
    } else {
      X = MI->ImageRct.Left + RectWidth(MI->ImageRct) / 2 - iw / 2;
      Y = MI->ImageRct.Top + RectHeight(MI->ImageRct) / 2 - ih / 2;
    }
    if (I->Checked()) DrawCheckedFrame(C, X, Y, iw, ih, Colour);
    DrawImage(C, I, L, X, Y);
    return;
  }
  int mx, my;
  if (NoImageRect) {
    mx = T.Left + 2;
    my = T.Top + RectHeight(T) / 2 - 4;
  } else {
    mx = MI->ImageRct.Left + RectWidth(MI->ImageRct) / 2 - 4;
    my = MI->ImageRct.Top + RectHeight(MI->ImageRct) / 2 - 4;
  }
  if (DrawCommandGlyph(C, I->Name(), mx, my, Colour) || !I->Checked()) return;
  const TRect MarkBox = NoImageRect ? TRect{MI->TextRct.Left + 2, MI->TextRct.Top, MI->TextRct.Left + 16, MI->TextRct.Bottom}
                                    : MI->ImageRct;
  if (I->RadioItem()) {
    if (IsEmptyRect(MI->RadioImageRect))
      DrawRadioDot(C, mx, my + 1, Colour);
    else
      DrawSkinMark(C, Lit && !IsEmptyRect(MI->ActiveRadioImageRect) ? MI->ActiveRadioImageRect : MI->RadioImageRect,
                   MarkBox);
  } else {
    if (IsEmptyRect(MI->CheckImageRect))
      DrawCheckMark(C, mx, my, Colour);
    else
      DrawSkinMark(C, Lit && !IsEmptyRect(MI->ActiveCheckImageRect) ? MI->ActiveCheckImageRect : MI->CheckImageRect,
                   MarkBox);
  }
}

void TbsSkinMenuItem::DrawMenuHeader(TCanvas* Cnvs, TRect R, const String& Text) {
  TbsSkinData* SD = Parent->SD;
  if (!SD) return;
  auto* L = NamedSkinControl<TbsDataSkinLabelControl>(SD, {u"menuheader", u"label"});
  if (auto Img = SkinLabelStrip(SD, L, RectWidth(R), Text))
    Cnvs->Draw(R.Left, R.Top + RectHeight(R) / 2 - Img->Height() / 2, Img.get());
}

void TbsSkinMenuItem::DefaultDraw(TCanvas* Cnvs) {
  const int W = RectWidth(ObjectRect), H = RectHeight(ObjectRect);
  if (W <= 0 || H <= 0) return;
  TBitmap B(W, H);
  TCanvas* C = B.Canvas();
  TMenuItem* I = MenuItem;
  TbsSkinMenu* M = Parent->ParentMenu;
  const int g = Parent->ImgL ? Parent->GlyphWidth : 19;
  C->Font()->Assign(M->DefaultMenuItemFont());
  const TbsMenuRowKind K = Kind();
  const bool Lit = (Active || Down) && K != TbsMenuRowKind::Separator;
  TColor Colour;
  if (Lit) {
    FillColour(C, {0, 0, W, H}, kLit);
    C->Brush()->SetColor(kNavy);
    C->FrameRect({0, 0, W, H});
    Colour = gdi::clWindowText;
  } else {
    FillColour(C, {0, 0, g, H}, gdi::clBtnFace);
    FillColour(C, {g, 0, W, H}, gdi::clWindow);
    Colour = I->Enabled() ? gdi::clWindowText : gdi::clBtnShadow;
  }
  C->Font()->SetColor(Colour);
  C->Brush()->SetStyle(gdi::bsClear);
  if (K == TbsMenuRowKind::Separator) {
    C->Pen()->SetColor(gdi::clBtnShadow);
    C->MoveTo(g, H / 2);
    C->LineTo(W, H / 2);
  } else {
    const TRect In{2, 2, W - 2, H - 2};
    if (K == TbsMenuRowKind::Header) {
      FillColour(C, {0, 0, W, H}, gdi::clBtnShadow);
      C->Brush()->SetStyle(gdi::bsClear);
      C->Font()->SetColor(gdi::clBtnHighlight);
      TRect TR = In;
      DrawWideText(C, I->Caption().substr(1, I->Caption().size() - 2), TR,
                   gdi::DT_CENTER | gdi::DT_VCENTER | gdi::DT_SINGLELINE);
    } else {
      DrawCaptionAndShortCut(C, I, In, g, 19);
      const int MidY = In.Top + RectHeight(In) / 2;
      if (I->Count() > 0) DrawSubMenuArrow(C, In.Right - 7, MidY - 4, Colour);
      forms::TCustomImageList* L = Parent->ImgL;
      if (HasImage(I, L)) {
        int iw, ih;
        ImageSize(I, L, iw, ih);
        const int X = In.Left + 2, Y = MidY - ih / 2;
        if (I->Checked()) DrawCheckedFrame(C, X, Y, iw, ih, Colour);
        DrawImage(C, I, L, X, Y);
      } else if (!DrawCommandGlyph(C, I->Name(), In.Left + 2, MidY - 4, Colour) && I->Checked()) {
        if (I->RadioItem())
          DrawRadioDot(C, In.Left + 3, MidY - 4, Colour);
        else
          DrawCheckMark(C, In.Left + 3, MidY - 4, Colour);
      }
    }
  }
  Cnvs->Draw(ObjectRect.Left, ObjectRect.Top, &B);
}

}  // namespace skin
