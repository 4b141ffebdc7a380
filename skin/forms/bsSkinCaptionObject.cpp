// The caption object of a skinned frame (text with the skin's font, plate,
// light, shadow, glow, halo or reflection; morph and activation animation)
// and the quick buttons at the left end of the caption.
#include <algorithm>

#include "platform/gdi/Gdi.h"
#include "platform/win/WinApi.h"
#include "skin/controls/bsSkinButtons.h"
#include "skin/data/bsResourceStrData.h"
#include "skin/forms/bsBusinessSkinForm.h"
#include "skin/images/bsGlowText.h"
#include "skin/images/bsSkinCompose.h"
#include "skin/images/bsUtils.h"

namespace skin {

using namespace win;

// ------------------------------------------------------------------ quick buttons
void TbsQuickButtonItem::SetImageIndex(int Value) {
  FImageIndex = Value;
  if (FCollection) FCollection->Update();
}
void TbsQuickButtonItem::SetEnabled(bool Value) {
  FEnabled = Value;
  if (FCollection) FCollection->Update();
}
void TbsQuickButtonItem::SetVisible(bool Value) {
  FVisible = Value;
  if (FCollection) FCollection->Update();
}
void TbsQuickButtonItem::Assign(const TbsQuickButtonItem& Source) {
  FImageIndex = Source.FImageIndex;
  FHint = Source.FHint;
  FEnabled = Source.FEnabled;
  FVisible = Source.FVisible;
}

TbsQuickButtonItem* TbsQuickButtonItems::Add() { return Insert(Count()); }

TbsQuickButtonItem* TbsQuickButtonItems::Insert(int Index) {
  Index = std::clamp(Index, 0, Count());
  auto it = FItems.insert(FItems.begin() + Index, std::make_unique<TbsQuickButtonItem>(this));
  Update();
  return it->get();
}

void TbsQuickButtonItems::Delete(int Index) {
  if (Index < 0 || Index >= Count()) return;
  FItems.erase(FItems.begin() + Index);
  Update();
}

void TbsQuickButtonItems::Clear() {
  FItems.clear();
  Update();
}

void TbsQuickButtonItems::Assign(const TbsQuickButtonItems& Source) {
  FItems.clear();
  for (int i = 0; i < Source.Count(); ++i) {
    FItems.push_back(std::make_unique<TbsQuickButtonItem>(this));
    FItems.back()->Assign(*Source.Items(i));
  }
  Update();
}

void TbsQuickButtonItems::Update() {
  if (!BSF || BSF->ComponentState().Contains(rtl::csLoading) || BSF->ComponentState().Contains(rtl::csDesigning))
    return;
  if (BSF->Form()->HandleAllocated()) SendMessageW(BSF->Form()->Handle(), WM_NCPAINT, 0, 0);
}

// ------------------------------------------------------------------ caption
TbsSkinCaptionObject::TbsSkinCaptionObject(TbsBusinessSkinForm* AParent, TbsDataSkinObject* AData)
    : TbsActiveSkinObject(AParent, AData) {
  auto* d = dynamic_cast<TbsDataSkinCaption*>(AData);
  if (!d) return;
  FontName = d->FontName;
  FontStyle = d->FontStyle;
  FontHeight = d->FontHeight;
  FontColor = d->FontColor;
  ActiveFontColor = d->ActiveFontColor;
  ShadowColor = d->ShadowColor;
  ActiveShadowColor = d->ActiveShadowColor;
  Shadow = d->Shadow;
  LightColor = d->LightColor;
  ActiveLightColor = d->ActiveLightColor;
  Light = d->Light;
  Alignment = d->Alignment;
  TextRct = d->TextRct;
  FrameRect = d->FrameRect;
  ActiveFrameRect = d->ActiveFrameRect;
  FrameLeftOffset = d->FrameLeftOffset;
  FrameRightOffset = d->FrameRightOffset;
  FrameTextRect = d->FrameTextRect;
  StretchEffect = d->StretchEffect;
  FullFrame = d->FullFrame;
  AnimateSkinRect = d->AnimateSkinRect;
  FrameCount = d->FrameCount;
  AnimateInterval = d->AnimateInterval;
  InActiveAnimation = d->InActiveAnimation;
  VistaGlowEffect = d->VistaGlowEffect;
  VistaGlowInActiveEffect = d->VistaGlowInActiveEffect;
  GlowEffect = d->GlowEffect;
  GlowInActiveEffect = d->GlowInActiveEffect;
  GlowSize = d->GlowSize;
  GlowColor = d->GlowColor;
  GlowActiveColor = d->GlowActiveColor;
  GlowOffset = d->GlowOffset;
  ReflectionEffect = d->ReflectionEffect;
  ReflectionColor = d->ReflectionColor;
  ReflectionActiveColor = d->ReflectionActiveColor;
  ReflectionOffset = d->ReflectionOffset;
}

bool TbsSkinCaptionObject::EnableAnimation() const {
  return SkinPresent() && Parent->SkinData()->EnableSkinEffects && !IsEmptyRect(AnimateSkinRect);
}

bool TbsSkinCaptionObject::HasQuickButtons() const {
  return Parent->QuickButtons().Count() > 0 && Parent->QuickImageList;
}

TRect TbsSkinCaptionObject::TextRectNow() const {
  TRect TR = TextRct;
  if (!IsEmptyRect(TextRct)) {
    if (HasQuickButtons()) TR.Left += Parent->QuickButtons().Count() * (Parent->QuickImageList->Width() + 8);
    TR.Right = RectWidth(ObjectRect) - (RectWidth(SkinRect) - TextRct.Right);
  }
  if (!IsEmptyRect(FrameRect)) {
    TR.Top += FrameTextRect.Top;
    TR.Left += FrameTextRect.Left;
    TR.Right -= RectWidth(FrameRect) - FrameTextRect.Right;
  }
  return TR;
}

TRect TbsSkinCaptionObject::GetAnimationFrameRect() const {
  const TRect& s = AnimateSkinRect;
  const int n = std::max(1, CurrentFrame), count = std::max(1, FrameCount);
  if (RectHeight(s) > RectHeight(SkinRect)) {
    const int fh = RectHeight(s) / count;
    return rtl::Rect(s.Left, s.Top + (n - 1) * fh, s.Right, s.Top + n * fh);
  }
  const int fw = RectWidth(s) / count;
  return rtl::Rect(s.Left + (n - 1) * fw, s.Top, s.Left + n * fw, s.Bottom);
}

void TbsSkinCaptionObject::BuildCaptionBackground(TBitmap* B, const TRect& R, TBitmap* Pic) const {
  const int w = RectWidth(ObjectRect), h = RectHeight(ObjectRect);
  B->SetSize(w, h);
  if (!Pic || w <= 0 || h <= 0) return;
  TbsSkinData* sd = Parent->SkinData();
  const int LO = std::max(0, sd->LTPoint.X - SkinRect.Left), RO = std::max(0, SkinRect.Right - sd->RTPoint.X);
  if (LO != 0 || RO != 0) {
    TBitmap strip;
    ComposeHorzSkinImage(LO, RO, &strip, Pic, R, w, h, StretchEffect);
    if (strip.Width() > 0) B->Canvas()->CopyRect(rtl::Rect(0, 0, w, h), strip.Canvas(), rtl::Rect(0, 0, strip.Width(), strip.Height()));
  } else {
    B->Canvas()->CopyRect(rtl::Rect(0, 0, w, h), Pic->Canvas(), R);
  }
}

void TbsSkinCaptionObject::SetCaptionFont(TCanvas* C, TColor Color) const {
  ApplyDescriptionFont(C->Font(), FontName, FontHeight, FontStyle);
  C->Font()->SetColor(Color);
  TbsSkinData* sd = Parent->SkinData();
  if (sd && sd->ResourceStrData()) C->Font()->SetCharset(BYTE(sd->ResourceStrData()->CharSet));
  else C->Font()->SetCharset(Parent->DefCaptionFont()->Charset());
}

void TbsSkinCaptionObject::DrawCaptionText(TCanvas* C, TCanvas* DrawCnvs, int DX, int DY, bool AActive) {
  if (Parent->OnCaptionPaint) {
    Parent->OnCaptionPaint(DrawCnvs, ObjectRect, AActive);
    return;
  }
  String text = Parent->CaptionText();
  if (text.empty() || IsEmptyRect(TextRct)) return;
  TRect TR = TextRectNow();
  FitCaptionWithEllipsis(C, text, RectWidth(TR));
  const int tw = WideTextWidth(C, text), th = WideTextHeight(C, text);
  int Y = TR.Top + RectHeight(TR) / 2 - th / 2;
  int X;
  if (HasQuickButtons() || Alignment == taCenter) X = TR.Left + RectWidth(TR) / 2 - tw / 2;
  else if (Alignment == taRightJustify) X = TR.Right - tw;
  else X = TR.Left;
  X += DX;
  Y += DY;
  C->Brush()->SetStyle(gdi::bsClear);
  if (!IsEmptyRect(FrameRect) && ActivePicture) {
    const TRect& src = AActive && !IsEmptyRect(ActiveFrameRect) ? ActiveFrameRect : FrameRect;
    TbsSkinData* sd = Parent->SkinData();
    int pw, px;
    if (FullFrame) {
      pw = RectWidth(ObjectRect) - 2 * sd->ButtonsOffset;
      px = DX + sd->ButtonsOffset;
    } else {
      pw = RectWidth(FrameRect) + tw - RectWidth(FrameTextRect);
      px = X - FrameTextRect.Left;
    }
    if (pw > 0) {
      TBitmap plate;
      ComposeHorzSkinImage(FrameLeftOffset, FrameRightOffset, &plate, ActivePicture, src, pw, RectHeight(FrameRect),
                           false);
      if (plate.Width() > 0) C->Draw(px, Y - FrameTextRect.Top, &plate);
    }
  }
  const TColor main = C->Font()->Color();
  auto textAt = [&](int x, int y) {
    TRect r = rtl::Rect(x, y, x + tw, y + th);
    DrawWideText(C, text, r, gdi::DT_VCENTER);
  };
  if (Light) {
    C->Font()->SetColor(AActive ? ActiveLightColor : LightColor);
    textAt(X - 1, Y - 1);
    C->Font()->SetColor(main);
  }
  if (Shadow) {
    C->Font()->SetColor(AActive ? ActiveShadowColor : ShadowColor);
    textAt(X + 1, Y + 1);
    C->Font()->SetColor(main);
  }
  TRect r = rtl::Rect(X, Y, X + tw, Y + th);
  if (ReflectionEffect) {
    DrawWideTextWithReflection(C, r, text, AActive ? ReflectionActiveColor : ReflectionColor, ReflectionOffset,
                               gdi::DT_VCENTER);
  } else if (VistaGlowEffect && (AActive || VistaGlowInActiveEffect)) {
    DrawWideTextWithHalo(C, r, text, AActive ? GlowActiveColor : GlowColor, gdi::DT_VCENTER);
  } else if (GlowEffect && (AActive || GlowInActiveEffect)) {
    DrawWideTextWithGlow(C, r, text, GlowSize, AActive ? GlowActiveColor : GlowColor, GlowOffset, gdi::DT_VCENTER);
  } else {
    DrawWideText(C, text, r, gdi::DT_VCENTER);
  }
  C->Brush()->SetStyle(gdi::bsSolid);
}

void TbsSkinCaptionObject::BuildLook(TBitmap* B, const TRect& R, TBitmap* Pic, TColor Color, bool AActive,
                                     TCanvas* DrawCnvs) {
  BuildCaptionBackground(B, R, Pic);
  if (B->Width() <= 0) return;
  SetCaptionFont(B->Canvas(), Color);
  DrawCaptionText(B->Canvas(), DrawCnvs, 0, 0, AActive);
}

void TbsSkinCaptionObject::DrawQuickButtons(TCanvas* C) {
  auto* il = Parent->QuickImageList;
  const int iw = il->Width(), ih = il->Height();
  int x = ObjectRect.Left;
  const int y = ObjectRect.Top + RectHeight(ObjectRect) / 2 - ih / 2 - 2;
  TbsSkinData* sd = Parent->SkinData();
  int ci = sd ? sd->GetControlIndex(u"officequickbutton") : -1;
  if (ci == -1 && sd) ci = sd->GetControlIndex(u"resizetoolbutton");
  auto* frame = dynamic_cast<TbsDataSkinButtonControl*>(SkinDescriptionAt(sd, ci));
  for (int i = 0; i < Parent->QuickButtons().Count(); ++i) {
    auto* item = Parent->QuickButtons().Items(i);
    if (!item->FVisible) continue;
    item->ItemRect = rtl::Rect(x, y, x + iw + 4, y + ih + 4);
    if (item->Active && frame) {
      TRect src = item->Down ? frame->DownSkinRect : frame->ActiveSkinRect;
      if (TBitmap* pic = SkinPictureAt(sd, frame->PictureIndex); pic && !IsEmptyRect(src)) {
        TBitmap b;
        b.SetSize(RectWidth(item->ItemRect), RectHeight(item->ItemRect));
        ComposeStretchedSkinImage(&b, pic, src, frame->ClRect, true);
        C->Draw(item->ItemRect.Left, item->ItemRect.Top, &b);
      }
    }
    il->Draw(C, item->ItemRect.Left + RectWidth(item->ItemRect) / 2 - iw / 2,
             item->ItemRect.Top + RectHeight(item->ItemRect) / 2 - ih / 2, item->FImageIndex, item->FEnabled);
    x += iw + 8;
  }
}

void TbsSkinCaptionObject::Draw(TCanvas* Cnvs, bool UpDate) {
  if (!SkinPresent()) return;
  const int w = RectWidth(ObjectRect), h = RectHeight(ObjectRect);
  if (w <= 0 || h <= 0) return;
  const int dx = ObjectRect.Left, dy = ObjectRect.Top;
  TBitmap look;
  bool composed = false;
  if (EnableAnimation() && CurrentFrame >= 1 && CurrentFrame <= FrameCount) {
    // The text keeps the look of the state being left until the last frame.
    BuildLook(&look, GetAnimationFrameRect(), ActivePicture, Active ? FontColor : ActiveFontColor, !Active, Cnvs);
    composed = true;
  } else if (((FMorphKf > 0 && !Active) || (FMorphKf < 1 && Active)) && EnableMorphing()) {
    TBitmap n, hot;
    BuildLook(&n, SkinRect, Picture, FontColor, false, Cnvs);
    BuildLook(&hot, ActiveSkinRect, ActivePicture, ActiveFontColor, true, Cnvs);
    look.SetSize(w, h);
    DrawMorphedLooks(look.Canvas(), &n, &hot, MorphKind, FMorphKf);
    if (Parent->SkinData()->AutoRenderingInActiveImage && !Active) ApplyInActiveEffect(Parent->SkinData(), &look);
    composed = true;
  } else if (IsEmptyRect(ActiveSkinRect) || (!Active && !EnableMorphing() && !StretchEffect && !EnableAnimation())) {
    SetCaptionFont(Cnvs, Active ? ActiveFontColor : FontColor);
    DrawCaptionText(Cnvs, Cnvs, dx, dy, Active);
  } else if (!Active) {
    BuildLook(&look, SkinRect, Picture, FontColor, false, Cnvs);
    if (Parent->SkinData()->AutoRenderingInActiveImage) ApplyInActiveEffect(Parent->SkinData(), &look);
    composed = true;
  } else {
    BuildLook(&look, ActiveSkinRect, ActivePicture, ActiveFontColor, true, Cnvs);
    composed = true;
  }
  if (composed && look.Width() > 0) Cnvs->Draw(dx, dy, &look);
  // Quick buttons go over the caption, whichever way it was drawn.
  if (HasQuickButtons()) DrawQuickButtons(Cnvs);
}

void TbsSkinCaptionObject::TrackQuickButtons(int X, int Y) {
  auto& qb = Parent->QuickButtons();
  if (qb.Count() == 0) return;
  OldActiveQuickButton = ActiveQuickButton;
  ActiveQuickButton = -1;
  for (int i = 0; i < qb.Count(); ++i) {
    auto* it = qb.Items(i);
    if (it->FEnabled && it->FVisible && it->ItemRect.Contains({X, Y})) {
      ActiveQuickButton = i;
      break;
    }
  }
  bool changed = false;
  for (int i = 0; i < qb.Count(); ++i) {
    bool a = i == ActiveQuickButton;
    if (qb.Items(i)->Active != a) changed = true;
    qb.Items(i)->Active = a;
  }
  if (changed || ActiveQuickButton != OldActiveQuickButton) qb.Update();
  if (ActiveQuickButton != OldActiveQuickButton && ActiveQuickButton != -1 && Parent->SkinHint &&
      Parent->QuickButtonsShowHint && !qb.Items(ActiveQuickButton)->FHint.empty())
    Parent->ActivateObjectHint(qb.Items(ActiveQuickButton)->FHint);
  if (changed && Parent->QuickButtonsShowHint && ActiveQuickButton == -1)
    Parent->HideObjectHint();
}

void TbsSkinCaptionObject::MouseEnter() {
  FMouseIn = true;
  Parent->DoObjectMouseEnter(IDName);
}

void TbsSkinCaptionObject::MouseLeave() {
  FMouseIn = false;
  Parent->DoObjectMouseLeave(IDName);
  if (HasQuickButtons()) {
    ActiveQuickButton = OldActiveQuickButton = -1;
    TrackQuickButtons(-1, -1);
  }
}

void TbsSkinCaptionObject::MouseMove(int X, int Y) {
  Parent->DoObjectMouseMove(IDName, X, Y, ObjectRect);
  if (HasQuickButtons()) TrackQuickButtons(X, Y);
}

void TbsSkinCaptionObject::MouseDown(int X, int Y, forms::TMouseButton Button) {
  Parent->DoObjectMouseDown(IDName, X, Y, ObjectRect, Button);
  if (!HasQuickButtons()) return;
  TrackQuickButtons(X, Y);
  auto& qb = Parent->QuickButtons();
  if (ActiveQuickButton != -1) {
    for (int i = 0; i < qb.Count(); ++i) {
      qb.Items(i)->Down = i == ActiveQuickButton;
      if (i != ActiveQuickButton) qb.Items(i)->Active = false;
    }
    qb.Update();
  }
  if (Parent->QuickButtonsShowHint) Parent->HideObjectHint();
}

void TbsSkinCaptionObject::MouseUp(int X, int Y, forms::TMouseButton Button) {
  Parent->DoObjectMouseUp(IDName, X, Y, ObjectRect, Button);
  if (!HasQuickButtons()) return;
  TrackQuickButtons(X, Y);
  auto& qb = Parent->QuickButtons();
  if (ActiveQuickButton == -1) return;
  for (int i = 0; i < qb.Count(); ++i) qb.Items(i)->Down = false;
  qb.Update();
  auto* item = qb.Items(ActiveQuickButton);
  if (item->FOnClick) item->FOnClick(this);
}

}  // namespace skin
