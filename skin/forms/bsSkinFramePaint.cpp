// Painting of the frame: the skinned frame composed from the skin picture
// for the current size, the client background, the window region from the
// skin mask, and the plain default frame drawn without a skin.
#include <algorithm>

#include "platform/forms/Icon.h"
#include "platform/gdi/Gdi.h"
#include "platform/win/WinApi.h"
#include "skin/data/bsResourceStrData.h"
#include "skin/forms/bsBusinessSkinForm.h"
#include "skin/images/bsSkinCompose.h"
#include "skin/images/bsSkinRegions.h"
#include "skin/images/bsUtils.h"
#include "skin/images/bseffects.h"

namespace skin {

using namespace win;

namespace {

bool CommandOf(TbsActiveSkinObject* o, TbsStdCommand& c) {
  if (auto* s = dynamic_cast<TbsSkinStdButtonObject*>(o)) {
    c = s->Command;
    return true;
  }
  if (auto* a = dynamic_cast<TbsSkinAnimateObject*>(o)) {
    c = a->Command;
    return true;
  }
  return false;
}

void Bevel(HDC dc, TRect& r, TColor topLeft, TColor bottomRight) {
  HBRUSH tl = gdi::CreateSolidBrush(gdi::ColorToRGB(topLeft)), br = gdi::CreateSolidBrush(gdi::ColorToRGB(bottomRight));
  RECT t = rtl::Rect(r.Left, r.Top, r.Right, r.Top + 1), l = rtl::Rect(r.Left, r.Top, r.Left + 1, r.Bottom);
  RECT b = rtl::Rect(r.Left, r.Bottom - 1, r.Right, r.Bottom), rr = rtl::Rect(r.Right - 1, r.Top, r.Right, r.Bottom);
  gdi::FillRect(dc, &t, tl);
  gdi::FillRect(dc, &l, tl);
  gdi::FillRect(dc, &b, br);
  gdi::FillRect(dc, &rr, br);
  gdi::DeleteObject(tl);
  gdi::DeleteObject(br);
  r = rtl::Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
}

}  // namespace

void ApplyInActiveEffect(TbsSkinData* SD, TBitmap* B) {
  if (B->Width() <= 0 || B->Height() <= 0) return;
  std::unique_ptr<TbsEffectBmp> e(TbsEffectBmp::CreateFromhWnd(B->Handle()));
  if (!e) return;
  switch (SD->InActiveEffect) {
    case ieBrightness: e->ChangeBrightness(0.5); break;
    case ieDarkness: e->ChangeDarkness(0.3); break;
    case ieGrayScale: e->GrayScale(); break;
    case ieNoise: e->AddMonoNoise(50); break;
    case ieSplitBlur: e->SplitBlur(1); break;
    case ieInvert: e->Invert(); break;
  }
  e->Draw(B->Canvas()->Handle(), 0, 0);
}

namespace {

// Adds the black pixels of Mask at (X, Y) to Rgn (created when null).
void AddMaskRects(HRGN& Rgn, TBitmap* Mask, int X, int Y) {
  if (Mask->Width() <= 0 || Mask->Height() <= 0) return;
  std::vector<std::uint8_t> data;
  int size = MaskToRegionData(Mask, X, Y, data);
  if (size <= 0) return;
  HRGN part = gdi::ExtCreateRegion(nullptr, DWORD(size), reinterpret_cast<const gdi::RGNDATA*>(data.data()));
  if (!part) return;
  if (!Rgn) {
    Rgn = part;
    return;
  }
  gdi::CombineRgn(Rgn, Rgn, part, gdi::RGN_OR);
  gdi::DeleteObject(part);
}

bool MaskPixelInside(TBitmap* B, int X, int Y) {
  if (X < 0 || Y < 0 || X >= B->Width() || Y >= B->Height()) return false;
  return (B->GetSurface()->GetPixel(X, Y) & 0xFFFFFF) == 0;
}

}  // namespace

// ------------------------------------------------------------------ geometry
void TbsBusinessSkinForm::CalcSkinRects() {
  if (FFormWidth == 0 || FFormHeight == 0) {
    FFormWidth = FForm->Width();
    FFormHeight = FForm->Height();
  }
  if (!FSD || FSD->Empty) return;
  const int W = FSD->Picture().Width(), H = FSD->Picture().Height();
  const int dx = FFormWidth - W, dy = FFormHeight - H;
  NewLTPoint = FSD->LTPoint;
  NewRTPoint = {FSD->RTPoint.X + dx, FSD->RTPoint.Y};
  NewLBPoint = {FSD->LBPoint.X, FSD->LBPoint.Y + dy};
  NewRBPoint = {FSD->RBPoint.X + dx, FSD->RBPoint.Y + dy};
  NewClRect = rtl::Rect(FSD->ClRect.Left, FSD->ClRect.Top, FSD->ClRect.Right + dx, FSD->ClRect.Bottom + dy);
  NewCaptionRect = FSD->CaptionRect;
  if (!IsEmptyRect(NewCaptionRect)) NewCaptionRect.Right += dx;
  NewButtonsRect = FSD->ButtonsRect;
  if (!IsEmptyRect(NewButtonsRect) && NewButtonsRect.Left > W / 2) {
    NewButtonsRect.Left += dx;
    NewButtonsRect.Right += dx;
  }
  NewButtonsInLeft = FSD->CapButtonsInLeft;
  NewButtonsOffset = FSD->ButtonsOffset;
  NewHitTestLTPoint = FSD->HitTestLTPoint;
  NewHitTestRTPoint = {FSD->HitTestRTPoint.X + dx, FSD->HitTestRTPoint.Y};
  NewHitTestLBPoint = {FSD->HitTestLBPoint.X, FSD->HitTestLBPoint.Y + dy};
  NewHitTestRBPoint = {FSD->HitTestRBPoint.X + dx, FSD->HitTestRBPoint.Y + dy};
  const TRect& m = FSD->MaskRectArea;
  NewMaskRectArea = rtl::Rect(m.Left, m.Top, m.Right + dx, m.Bottom + dy);
}

TPoint TbsBusinessSkinForm::GetSmallIconSize() const {
  int w = GetSystemMetrics(SM_CXSMICON), h = GetSystemMetrics(SM_CYSMICON);
  if (w == 0) w = GetSystemMetrics(SM_CXSIZE);
  if (h == 0) h = GetSystemMetrics(SM_CYSIZE);
  return {w, h};
}

void TbsBusinessSkinForm::CalcObjectRects() {
  for (auto& o : FObjectList)
    if (!o->SkinRectInAPicture) o->ObjectRect = MapSkinRectToFrame(o->SkinRect);
  TRect row = !IsEmptyRect(NewButtonsRect) ? NewButtonsRect : NewCaptionRect;
  if (IsEmptyRect(row)) return;
  const int y = row.Top;
  int x = NewButtonsInLeft ? row.Left : row.Right;

  auto sizeOf = [this](TbsActiveSkinObject* o) {
    TbsStdCommand c;
    if (auto* s = dynamic_cast<TbsSkinStdButtonObject*>(o);
        s && CommandOf(o, c) && c == cmSysMenu && FShowIcon && s->SkinRectInAPicture)
      return GetSmallIconSize();
    return TPoint{RectWidth(o->SkinRect), RectHeight(o->SkinRect)};
  };
  auto place = [&](TbsActiveSkinObject* o) {
    TPoint s = sizeOf(o);
    if (NewButtonsInLeft) {
      o->ObjectRect = rtl::Rect(x, y, x + s.X, y + s.Y);
      x += s.X + NewButtonsOffset;
    } else {
      o->ObjectRect = rtl::Rect(x - s.X, y, x, y + s.Y);
      x -= s.X + NewButtonsOffset;
    }
  };
  auto automatic = [](TbsActiveSkinObject* o, TbsStdCommand want) {
    TbsStdCommand c;
    return o->Visible && o->SkinRectInAPicture && CommandOf(o, c) && c == want;
  };
  for (TbsStdCommand cmd : {cmClose, cmMaximize, cmMinimize, cmRollUp, cmMinimizeToTray})
    for (auto& o : FObjectList)
      if (automatic(o.get(), cmd)) {
        place(o.get());
        break;
      }
  for (auto& o : FObjectList)
    if (automatic(o.get(), cmDefault)) place(o.get());

  TbsSkinCaptionObject* caption = nullptr;
  TbsActiveSkinObject* sys = nullptr;
  for (auto& o : FObjectList) {
    if (!caption) caption = dynamic_cast<TbsSkinCaptionObject*>(o.get());
    TbsStdCommand c;
    if (!sys && CommandOf(o.get(), c) && c == cmSysMenu && o->SkinRectInAPicture && o->Visible) sys = o.get();
  }
  if (!NewButtonsInLeft) {
    if (IsEmptyRect(NewButtonsRect) && caption) caption->ObjectRect.Right = x + NewButtonsOffset;
    if (sys) {
      TPoint s = sizeOf(sys);
      int sx = NewCaptionRect.Left, sy = NewCaptionRect.Top + RectHeight(NewCaptionRect) / 2 - s.Y / 2;
      sys->ObjectRect = rtl::Rect(sx, sy, sx + s.X, sy + s.Y);
      sx += s.X + NewButtonsOffset;
      if (caption) caption->ObjectRect.Left = sx - NewButtonsOffset;
    }
  } else if (IsEmptyRect(NewButtonsRect)) {
    if (sys) place(sys);
    if (caption) caption->ObjectRect.Left = x + NewButtonsOffset;
  }
}

TRect TbsBusinessSkinForm::MapSkinRectToFrame(TRect R) const {
  if (!FSD) return R;
  const int W = FSD->Picture().Width(), H = FSD->Picture().Height();
  const int dx = FFormWidth - W, dy = FFormHeight - H;
  const TRect lt = rtl::Rect(0, 0, FSD->LTPoint.X, FSD->LTPoint.Y);
  const TRect rt = rtl::Rect(FSD->RTPoint.X, 0, W, FSD->RTPoint.Y);
  const TRect lb = rtl::Rect(0, FSD->LBPoint.Y, FSD->LBPoint.X, H);
  const TRect rb = rtl::Rect(FSD->RBPoint.X, FSD->RBPoint.Y, W, H);
  auto moved = [](TRect r, int mx, int my) { return rtl::Rect(r.Left + mx, r.Top + my, r.Right + mx, r.Bottom + my); };
  // A rectangle's right and bottom edges lie one past its last pixel, so one
  // that ends on a zone's far edge (the picture's edge) is inside the zone.
  TPoint tl{R.Left, R.Top}, br{R.Right, R.Bottom};
  auto in = [](const TRect& z, TPoint p) { return PointInRectInclusive(z, p); };
  auto inZone = [&](const TRect& z) { return in(z, tl) && in(z, br); };
  if (inZone(lt)) return R;
  if (inZone(rt)) return moved(R, dx, 0);
  if (inZone(lb)) return moved(R, 0, dy);
  if (inZone(rb)) return moved(R, dx, dy);
  if (in(lt, tl) && in(rb, br)) return rtl::Rect(R.Left, R.Top, R.Right + dx, R.Bottom + dy);
  if (in(lt, tl) && in(rt, br)) return rtl::Rect(R.Left, R.Top, R.Right + dx, R.Bottom);
  if (in(lb, tl) && in(rb, br)) return rtl::Rect(R.Left, R.Top + dy, R.Right + dx, R.Bottom + dy);
  if (in(lt, tl) && in(lb, br)) return rtl::Rect(R.Left, R.Top, R.Right, R.Bottom + dy);
  if (in(rt, tl) && in(rb, br)) return rtl::Rect(R.Left + dx, R.Top, R.Right + dx, R.Bottom + dy);
  return R;
}

void TbsBusinessSkinForm::UpdateSkinFrame(bool ARecalcObjects) {
  if (Designing() || !FSD || FSD->Empty) return;
  if (FSkinnableForm) {
    CalcSkinRects();
    if (ARecalcObjects) CalcObjectRects();
  }
  UpdateWindowRegion(ARecalcObjects);
  if (!FHasRgn && FSkinnableForm && HasBorder()) SendNCPaint();
  if (FSkinSupport && FSD->StretchEffect) {
    FForm->Invalidate();
    NotifyChildrenParentBackground();
  }
}

// ------------------------------------------------------------------ skinned frame
void TbsBusinessSkinForm::PaintNCSkin(HDC ADC, bool AUseExternalDC) {
  if (!FSD || FSD->Empty) return;
  if (FFormWidth == 0 || FFormHeight == 0) {
    FFormWidth = FForm->Width();
    FFormHeight = FForm->Height();
  }
  if (FFormWidth < GetMinWidth() || FFormHeight < GetMinHeight()) return;
  CalcSkinRects();
  CalcObjectRects();
  const bool active = GetFormActive();
  TBitmap* SB = FSD->Picture().Bitmap();
  if (!active && !FSD->InActivePicture().Empty()) SB = FSD->InActivePicture().Bitmap();
  if (!SB) return;
  TBitmap top, left, right, bottom;
  ComposeSkinBorderStripsEx(FSD->LTPoint, FSD->RTPoint, FSD->LBPoint, FSD->RBPoint, FSD->ClRect, NewLTPoint,
                            NewRTPoint, NewLBPoint, NewRBPoint, NewClRect, &left, &top, &right, &bottom, SB,
                            rtl::Rect(0, 0, SB->Width(), SB->Height()), FFormWidth, FFormHeight, FSD->LeftStretch,
                            FSD->TopStretch, FSD->RightStretch, FSD->BottomStretch);
  for (auto& o : FObjectList) {
    if (!o->Visible) continue;
    if (o->ObjectRect.Bottom > NewClRect.Top) {
      if (bottom.Width() <= 0 || bottom.Height() <= 0) continue;
      TRect saved = o->ObjectRect;
      o->ObjectRect = rtl::Rect(saved.Left, saved.Top - NewClRect.Bottom, saved.Right, saved.Bottom - NewClRect.Bottom);
      o->Draw(bottom.Canvas(), false);
      o->ObjectRect = saved;
    } else if (top.Width() > 0 && top.Height() > 0) {
      o->Draw(top.Canvas(), false);
    }
  }
  HWND h = FormHandle();
  HDC dc = AUseExternalDC ? ADC : (h ? GetWindowDC(h) : nullptr);
  if (!dc) return;
  int saved = gdi::SaveDC(dc);
  if (NewClRect.Top < NewClRect.Bottom)
    gdi::ExcludeClipRect(dc, NewClRect.Left, NewClRect.Top, NewClRect.Right, NewClRect.Bottom);
  if (!active && FSD->AutoRenderingInActiveImage)
    for (TBitmap* b : {&top, &left, &right, &bottom}) ApplyInActiveEffect(FSD, b);
  auto blit = [dc](TBitmap& b, int x, int y) {
    if (b.Width() > 0 && b.Height() > 0) gdi::BitBlt(dc, x, y, b.Width(), b.Height(), b.Canvas()->Handle(), 0, 0, gdi::SRCCOPY);
  };
  blit(top, 0, 0);
  blit(left, 0, top.Height());
  blit(right, FFormWidth - right.Width(), top.Height());
  blit(bottom, 0, FFormHeight - bottom.Height());
  gdi::RestoreDC(dc, saved);
  if (!AUseExternalDC) ReleaseDC(h, dc);
}

void TbsBusinessSkinForm::DrawSkinObject(TbsActiveSkinObject* AObject) {
  if (MDIMaxChild() || !HasBorder() || !AObject) return;
  HWND h = FormHandle();
  if (!h || !IsWindowVisible(h)) return;
  HDC dc = GetWindowDC(h);
  if (!dc) return;
  TCanvas c;
  c.SetHandle(dc);
  AObject->Draw(&c, true);
  c.SetHandle(nullptr);
  ReleaseDC(h, dc);
}

// Fills the client area from one tile: stretched to the frame, stretched on
// one axis and repeated on the other, or repeated both ways.
void TbsBusinessSkinForm::PaintTile(HDC DC, TBitmap* Tile, bool Stretch, TbsStretchType Type) {
  const int w = Tile->Width(), h = Tile->Height();
  TRect client = FForm->ClientRect();
  if (w <= 0 || h <= 0) {
    // A tile without area cannot cover anything: the plain face instead.
    gdi::FillRect(DC, &client, gdi::GetSysColorBrush(gdi::COLOR_BTNFACE));
    return;
  }
  if (client.Width() <= 0 || client.Height() <= 0) return;
  HDC src = Tile->Canvas()->Handle();
  if (Stretch && Type == bsstFull) {
    gdi::StretchBlt(DC, 0, 0, FFormWidth, FFormHeight, src, 0, 0, w, h, gdi::SRCCOPY);
  } else if (Stretch && Type == bsstHorz) {
    for (int i = 0; i <= FFormWidth / w; ++i) gdi::StretchBlt(DC, i * w, 0, w, FFormHeight, src, 0, 0, w, h, gdi::SRCCOPY);
  } else if (Stretch && Type == bsstVert) {
    for (int i = 0; i <= FFormHeight / h; ++i) gdi::StretchBlt(DC, 0, i * h, FFormWidth, h, src, 0, 0, w, h, gdi::SRCCOPY);
  } else {
    for (int i = 0; i <= client.Width() / w; ++i)
      for (int j = 0; j <= client.Height() / h; ++j) gdi::BitBlt(DC, i * w, j * h, w, h, src, 0, 0, gdi::SRCCOPY);
  }
}

void TbsBusinessSkinForm::PaintBG(HDC DC) {
  if (!DC || !FSD || FSD->Empty) return;
  TRect client = FForm->ClientRect();
  if (IsEmptyRect(FSD->ClRect)) {
    gdi::FillRect(DC, &client, gdi::GetSysColorBrush(gdi::COLOR_BTNFACE));
    return;
  }
  TBitmap* pic = FSD->Picture().Bitmap();
  if (!pic) return;
  TBitmap tile;
  tile.SetSize(RectWidth(FSD->ClRect), RectHeight(FSD->ClRect));
  tile.Canvas()->CopyRect(rtl::Rect(0, 0, tile.Width(), tile.Height()), pic->Canvas(), FSD->ClRect);
  if (client.Width() > 0 && client.Height() > 0) PaintTile(DC, &tile, FSD->StretchEffect, FSD->StretchType);
  DrawLogoOn(DC);
}

void TbsBusinessSkinForm::DrawLogoOn(HDC DC) {
  if (FLogoBitMap->Empty()) return;
  TCanvas c;
  c.SetHandle(DC);
  DrawLogoBitMap(&c);
  c.SetHandle(nullptr);
}

void TbsBusinessSkinForm::PaintBG2(HDC DC) {
  if (!DC || !FSD || FSD->Empty) return;
  TBitmap empty;
  TBitmap* tile = SkinPictureAt(FSD, FSD->BGPictureIndex);
  PaintTile(DC, tile ? tile : &empty, FSD->StretchEffect, FSD->StretchType);
  DrawLogoOn(DC);
}

void TbsBusinessSkinForm::PaintBG3(HDC DC) {
  if (!DC || !FSD || FSD->Empty) return;
  TBitmap empty;
  TBitmap* tile = SkinPictureAt(FSD, FSD->MDIBGPictureIndex);
  PaintTile(DC, tile ? tile : &empty, FSD->MDIBGStretchEffect, FSD->MDIBGStretchType);
  DrawLogoOn(DC);
}

void TbsBusinessSkinForm::DrawLogoBitMap(TCanvas* Canvas) {
  if (FLogoBitMap->Empty()) return;
  int x = std::max(0, FForm->ClientWidth() / 2 - FLogoBitMap->Width() / 2);
  int y = std::max(0, FForm->ClientHeight() / 2 - FLogoBitMap->Height() / 2);
  if (FLogoBitMap->Transparent() != LogoBitMapTransparent) FLogoBitMap->SetTransparent(LogoBitMapTransparent);
  Canvas->Draw(x, y, FLogoBitMap.get());
}

void TbsBusinessSkinForm::NotifyChildrenParentBackground() {
  for (int i = 0; i < FForm->ControlCount(); ++i)
    if (auto* w = dynamic_cast<forms::TWinControl*>(FForm->Controls(i)); w && w->HandleAllocated())
      SendMessageW(w->Handle(), MSG_CHECK_PARENT_BACKGROUND, 0, 0);
}

void TbsBusinessSkinForm::UpdateWindowRegion(bool AResize) {
  HWND h = FormHandle();
  HRGN rgn = nullptr;
  if (FSkinnableForm && HasBorder()) {
    if (!FSD || FSD->Empty) {
      rgn = gdi::CreateRectRgn(0, 0, FFormWidth, FFormHeight);
      for (auto* b : {RMTop.get(), RMLeft.get(), RMRight.get(), RMBottom.get()}) b->SetSize(0, 0);
    } else if (FSD->Mask().Empty() || MDIMaxChild()) {
      rgn = gdi::CreateRectRgn(0, 0, FFormWidth, FFormHeight);
    } else if (AResize) {
      CalcSkinRects();
      ComposeSkinBorderStrips(FSD->LTPoint, FSD->RTPoint, FSD->LBPoint, FSD->RBPoint, FSD->MaskRectArea, NewLTPoint,
                              NewRTPoint, NewLBPoint, NewRBPoint, NewMaskRectArea, FSD->Mask().Bitmap(), RMTop.get(),
                              RMLeft.get(), RMRight.get(), RMBottom.get(), FFormWidth, FFormHeight);
      rgn = gdi::CreateRectRgn(NewMaskRectArea.Left, NewMaskRectArea.Top, NewMaskRectArea.Right,
                               NewMaskRectArea.Bottom);
      AddMaskRects(rgn, RMTop.get(), 0, 0);
      AddMaskRects(rgn, RMBottom.get(), 0, NewMaskRectArea.Bottom);
      AddMaskRects(rgn, RMLeft.get(), 0, NewMaskRectArea.Top);
      AddMaskRects(rgn, RMRight.get(), NewMaskRectArea.Right, NewMaskRectArea.Top);
    } else {
      AddMaskRects(rgn, FSD->Mask().Bitmap(), 0, 0);
      if (!rgn) return;
    }
    if (h) {
      SetWindowRgn(h, rgn, TRUE);
      FHasRgn = true;
    } else {
      gdi::DeleteObject(rgn);
    }
  } else if (FHasRgn) {
    if (h) SetWindowRgn(h, nullptr, TRUE);
    FHasRgn = false;
  }
}

bool TbsBusinessSkinForm::PointInFrameMask(TPoint P) {
  if (NewMaskRectArea.Contains(P)) return true;
  const TRect& m = NewMaskRectArea;
  if (P.Y <= m.Top) return MaskPixelInside(RMTop.get(), P.X, P.Y);
  if (P.Y < m.Bottom) {
    if (P.X > m.Left) return MaskPixelInside(RMRight.get(), P.X - m.Right, P.Y - m.Top);
    return MaskPixelInside(RMLeft.get(), P.X, P.Y - m.Top);
  }
  return MaskPixelInside(RMBottom.get(), P.X, P.Y - m.Bottom);
}

// ------------------------------------------------------------------ default frame
void TbsBusinessSkinForm::CalcDefRects() {
  const int W = FFormWidth, c = GetDefaultCaptionHeight(), s = GetDefaultButtonSize();
  NewDefCaptionRect = rtl::Rect(3, 3, W - 3, c);
  if (FObjectList.empty()) return;
  int x = W - 3;
  for (TbsStdCommand cmd : {cmClose, cmMaximize, cmMinimize, cmRollUp, cmMinimizeToTray})
    if (auto* b = FindStdButton(cmd, false)) {
      b->ObjectRect = rtl::Rect(x - s, 4, x, 4 + s);
      x -= s;
    }
  NewDefCaptionRect.Right = x;
  x = NewDefCaptionRect.Left;
  if (auto* sys = FindStdButton(cmSysMenu, false)) {
    TPoint sz = FShowIcon ? GetSmallIconSize() : TPoint{s, s};
    sys->ObjectRect = rtl::Rect(x, 4, x + sz.X, 4 + sz.Y);
    NewDefCaptionRect.Left = x + sz.X;
  }
}

TbsActiveSkinObject* TbsBusinessSkinForm::FindStdButton(TbsStdCommand C, bool AnyKind) {
  for (auto& o : FObjectList) {
    auto* s = dynamic_cast<TbsSkinStdButtonObject*>(o.get());
    if (s && s->Command == C && s->Visible && (AnyKind || s->SkinRectInAPicture)) return s;
  }
  return nullptr;
}

TRect TbsBusinessSkinForm::GetDefCaptionRect() {
  if (FFormWidth == 0) FFormWidth = FForm->Width();
  CalcDefRects();
  return NewDefCaptionRect;
}

void TbsBusinessSkinForm::PaintNCDefault(HDC ADC, bool AUseExternalDC) {
  if (FSD && FSD->ChangeSkinDataProcess) return;
  if (FFormWidth == 0 || FFormHeight == 0) {
    FFormWidth = FForm->Width();
    FFormHeight = FForm->Height();
  }
  if (FObjectList.empty() && !FSkinSupport) CreateDefaultObjects();
  CalcDefRects();
  const int W = FFormWidth, H = FFormHeight, c = GetDefaultCaptionHeight();
  if (W - 6 <= 0 || c <= 0) return;
  TBitmap band;
  band.SetSize(W - 6, c);
  TCanvas* bc = band.Canvas();
  bc->Brush()->SetColor(gdi::clBtnFace);
  bc->FillRect(rtl::Rect(0, 0, W - 6, c));
  const int L = NewDefCaptionRect.Left - 3, R = NewDefCaptionRect.Right - 3;
  if (c - 4 > 1)
    for (int y = 2; y <= c - 4; ++y) {
      bc->Pen()->SetColor((y - 2) % 2 == 0 ? gdi::clBtnHighlight : gdi::clBtnShadow);
      bc->MoveTo(L + 2, y);
      bc->LineTo(R - 3, y);
    }
  const bool active = GetFormActive();
  bc->SetFont(active ? FDefCaptionFont.get() : FDefInActiveCaptionFont.get());
  if (FSD && FSD->ResourceStrData()) bc->Font()->SetCharset(BYTE(FSD->ResourceStrData()->CharSet));
  String text = CaptionText();
  if (OnCaptionPaint) {
    OnCaptionPaint(bc, rtl::Rect(L, 0, R, c), active);
  } else if (!text.empty()) {
    FitCaptionWithEllipsis(bc, text, R - L + 3);
    int tw = WideTextWidth(bc, text), th = WideTextHeight(bc, text);
    int x = L + (R - L + 3) / 2 - (tw + 5) / 2, y = c / 2 - th / 2;
    TRect tr = rtl::Rect(x, y, x, y);
    DrawWideText(bc, text, tr, gdi::DT_CALCRECT);
    bc->Brush()->SetColor(gdi::clBtnFace);
    bc->FillRect(rtl::Rect(tr.Left - 2, tr.Top - 2, tr.Right + 2, tr.Bottom + 2));
    bc->Brush()->SetStyle(gdi::bsClear);
    DrawWideText(bc, text, tr, gdi::DT_VCENTER);
    bc->Brush()->SetStyle(gdi::bsSolid);
  }
  for (auto& o : FObjectList) {
    if (!o->Visible) continue;
    TRect saved = o->ObjectRect;
    o->ObjectRect = rtl::Rect(saved.Left - 3, saved.Top - 3, saved.Right - 3, saved.Bottom - 3);
    o->Draw(bc, true);
    o->ObjectRect = saved;
  }
  HWND h = FormHandle();
  HDC dc = AUseExternalDC ? ADC : (h ? GetWindowDC(h) : nullptr);
  if (!dc) return;
  int savedDC = gdi::SaveDC(dc);
  gdi::ExcludeClipRect(dc, 3, c + 3, W - 3, H - 3);
  gdi::BitBlt(dc, 3, 3, band.Width(), band.Height(), bc->Handle(), 0, 0, gdi::SRCCOPY);
  TRect r = rtl::Rect(0, 0, W, H);
  Bevel(dc, r, gdi::cl3DLight, gdi::cl3DDkShadow);
  Bevel(dc, r, gdi::clBtnHighlight, gdi::clBtnShadow);
  Bevel(dc, r, gdi::clBtnFace, gdi::clBtnFace);
  gdi::RestoreDC(dc, savedDC);
  if (!AUseExternalDC) ReleaseDC(h, dc);
}

void TbsBusinessSkinForm::PaintBGDefault(HDC DC) {
  if (!DC) return;
  TRect client = FForm->ClientRect();
  gdi::FillRect(DC, &client, gdi::GetSysColorBrush(gdi::COLOR_BTNFACE));
  DrawLogoOn(DC);
}

void TbsBusinessSkinForm::PaintMDIBGDefault(HDC DC) {
  if (!DC) return;
  TRect client = FForm->ClientRect();
  gdi::FillRect(DC, &client, gdi::GetSysColorBrush(gdi::COLOR_APPWORKSPACE));
  DrawLogoOn(DC);
}

void TbsBusinessSkinForm::DrawFormIcon(TCanvas* Canvas, int X, int Y) {
  if (!FIcon) {
    HICON src = FForm->Icon() ? FForm->Icon()->Handle() : nullptr;
    if (!src)
      if (HWND h = FormHandle()) src = reinterpret_cast<HICON>(SendMessageW(h, WM_GETICON, ICON_SMALL2, 0));
    if (!src && forms::Application)
      src = reinterpret_cast<HICON>(SendMessageW(forms::Application->Handle(), WM_GETICON, ICON_SMALL2, 0));
    if (src) FIcon = CopyIcon(src);
  }
  TPoint s = GetSmallIconSize();
  if (FIcon) {
    DrawIconEx(Canvas->Handle(), X, Y, FIcon, s.X, s.Y, 0, nullptr, DI_NORMAL);
  } else {
    // No icon anywhere: the plain system-menu glyph stands in.
    DrawSysMenuGlyph(Canvas, X + s.X / 2 - 5, Y + s.Y / 2 - 4, gdi::clBtnText);
  }
}

}  // namespace skin
