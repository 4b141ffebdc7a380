#include "skin/images/bsSkinCompose.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace skin {

namespace {

using gdi::HDC;

TRect Offset(const TRect& r, const TRect& by) {
  return {r.Left + by.Left, r.Top + by.Top, r.Right + by.Left, r.Bottom + by.Top};
}

HDC DCOf(TBitmap* b) { return b->Canvas()->Handle(); }

// A DC whose logical coordinates are its surface's, without a clip of its own.
bool PlainDC(HDC dc) {
  gdi::POINT vp{}, wo{};
  if (!gdi::GetViewportOrgEx(dc, &vp) || !gdi::GetWindowOrgEx(dc, &wo)) return false;
  const gdi::POINT o = gdi::GetDCOrigin(dc);
  if (vp.X || vp.Y || wo.X || wo.Y || o.X || o.Y) return false;
  gdi::HRGN probe = gdi::CreateRectRgn(0, 0, 0, 0);
  const int clipped = gdi::GetClipRgn(dc, probe);
  gdi::DeleteObject(probe);
  return clipped == 0;
}

// Tiling straight in memory: the first band of rows is built from the
// source, every later row is a copy of the row one step above it.
bool FastTile(HDC dd, const TRect& D, HDC sd, const TRect& S) {
  gdi::Surface* ds = gdi::GetDCSurface(dd);
  const gdi::Surface* ss = gdi::GetDCSurface(sd);
  if (!ds || !ss || ds == ss || ds->BitsPerPixel() != 32) return false;
  if (S.Left < 0 || S.Top < 0 || S.Right > ss->Width() || S.Bottom > ss->Height()) return false;
  if (!PlainDC(dd) || !PlainDC(sd)) return false;
  const TRect C{std::max(D.Left, 0), std::max(D.Top, 0), std::min(D.Right, ds->Width()), std::min(D.Bottom, ds->Height())};
  if (C.IsEmpty()) return true;
  const int sw = S.Width(), sh = S.Height();
  std::vector<std::uint32_t> src(static_cast<std::size_t>(sw));
  const std::size_t bytes = std::size_t(C.Width()) * 4;
  for (int y = C.Top; y < C.Bottom; ++y) {
    std::uint32_t* out = ds->Row32(y) + C.Left;
    if (y - sh >= C.Top) {
      std::memcpy(out, ds->Row32(y - sh) + C.Left, bytes);
      continue;
    }
    ss->ReadSpan(S.Left, S.Top + (y - D.Top) % sh, sw, src.data());
    int phase = (C.Left - D.Left) % sw;
    for (int x = 0; x < C.Width();) {
      const int n = std::min(sw - phase, C.Width() - x);
      std::memcpy(out + x, src.data() + phase, std::size_t(n) * 4);
      x += n;
      phase = 0;
    }
  }
  return true;
}

void Copy(TBitmap* B, const TRect& d, TBitmap* SB, const TRect& s) {
  if (d.Width() <= 0 || d.Height() <= 0 || s.Width() <= 0 || s.Height() <= 0) return;
  B->Canvas()->CopyRect(d, SB->Canvas(), s);
}

// Copies of s laid along one axis over a0..a1 (cut at a1), each spanning
// c0..c1 across; a cross span of the source's own size tiles in memory.
void TileAlong(bool alongX, TBitmap* B, int a0, int a1, int c0, int c1, TBitmap* SB, const TRect& s) {
  const int step = alongX ? s.Width() : s.Height(), across = alongX ? s.Height() : s.Width();
  if (step <= 0 || across <= 0 || a1 <= a0 || c1 <= c0) return;
  if (c1 - c0 == across) {
    TileRect(DCOf(B), alongX ? rtl::Rect(a0, c0, a1, c1) : rtl::Rect(c0, a0, c1, a1), DCOf(SB), s);
    return;
  }
  for (int a = a0; a < a1; a += step) {
    const int n = std::min(step, a1 - a);
    if (alongX) Copy(B, rtl::Rect(a, c0, a + n, c1), SB, rtl::Rect(s.Left, s.Top, s.Left + n, s.Bottom));
    else Copy(B, rtl::Rect(c0, a, c1, a + n), SB, rtl::Rect(s.Left, s.Top, s.Right, s.Top + n));
  }
}

void TileX(TBitmap* B, int x0, int x1, int y0, int y1, TBitmap* SB, const TRect& s) {
  TileAlong(true, B, x0, x1, y0, y1, SB, s);
}
void TileY(TBitmap* B, int y0, int y1, int x0, int x1, TBitmap* SB, const TRect& s) {
  TileAlong(false, B, y0, y1, x0, x1, SB, s);
}

void EdgeX(bool stretch, TBitmap* B, int x0, int x1, int y0, int y1, TBitmap* SB, const TRect& s) {
  if (stretch) Copy(B, rtl::Rect(x0, y0, x1, y1), SB, s);
  else TileX(B, x0, x1, y0, y1, SB, s);
}

void EdgeY(bool stretch, TBitmap* B, int y0, int y1, int x0, int x1, TBitmap* SB, const TRect& s) {
  if (stretch) Copy(B, rtl::Rect(x0, y0, x1, y1), SB, s);
  else TileY(B, y0, y1, x0, x1, SB, s);
}

// Client part Cl (in SB) into the target Dst of B.
void DrawClientPart(TBitmap* B, TBitmap* SB, const TRect& Cl, const TRect& Dst, bool StretchEffect,
                    TbsStretchType StretchType) {
  if (Cl.Width() <= 0 || Cl.Height() <= 0 || Dst.Width() <= 0 || Dst.Height() <= 0) return;
  if (!StretchEffect) {
    TileRect(DCOf(B), Dst, DCOf(SB), Cl);
    return;
  }
  switch (StretchType) {
    case bsstFull: Copy(B, Dst, SB, Cl); break;
    case bsstHorz: {
      // Each column shows the whole client part scaled to the target height.
      TBitmap strip(Cl.Width(), Dst.Height());
      Copy(&strip, rtl::Rect(0, 0, Cl.Width(), Dst.Height()), SB, Cl);
      TileRect(DCOf(B), Dst, DCOf(&strip), rtl::Rect(0, 0, Cl.Width(), Dst.Height()));
      break;
    }
    case bsstVert: {
      TBitmap strip(Dst.Width(), Cl.Height());
      Copy(&strip, rtl::Rect(0, 0, Dst.Width(), Cl.Height()), SB, Cl);
      TileRect(DCOf(B), Dst, DCOf(&strip), rtl::Rect(0, 0, Dst.Width(), Cl.Height()));
      break;
    }
  }
}

bool Unusable(TBitmap* B, TBitmap* SB) { return !B || !SB || SB->Empty() || B->Empty(); }

}  // namespace

void TileRect(gdi::HDC DstDC, const TRect& Dst, gdi::HDC SrcDC, const TRect& Src) {
  const int sw = Src.Width(), sh = Src.Height();
  if (!DstDC || !SrcDC || sw <= 0 || sh <= 0 || Dst.Width() <= 0 || Dst.Height() <= 0) return;
  if (FastTile(DstDC, Dst, SrcDC, Src)) return;
  for (int y = Dst.Top; y < Dst.Bottom; y += sh)
    for (int x = Dst.Left; x < Dst.Right; x += sw)
      gdi::BitBlt(DstDC, x, y, std::min(sw, Dst.Right - x), std::min(sh, Dst.Bottom - y), SrcDC, Src.Left, Src.Top,
                  gdi::SRCCOPY);
}

void ComposeSkinImage(TPoint LT, TPoint RT, TPoint LB, TPoint RB, TRect Cl, TPoint NLT, TPoint NRT, TPoint NLB,
                      TPoint NRB, TRect NCl, TBitmap* B, TBitmap* SB, TRect R, int W, int H, bool DrawClient,
                      bool LeftStretch, bool TopStretch, bool RightStretch, bool BottomStretch, bool StretchEffect,
                      TbsStretchType StretchType) {
  if (!B) return;
  B->SetSize(W, H);
  if (RB.X == LT.X || RB.Y == LT.Y || Unusable(B, SB)) return;
  const int W0 = R.Width(), H0 = R.Height();
  const auto src = [&](int l, int t, int r, int b) { return Offset(rtl::Rect(l, t, r, b), R); };

  EdgeX(TopStretch, B, NLT.X, NRT.X, 0, NCl.Top, SB, src(LT.X, 0, RT.X, Cl.Top));
  EdgeX(BottomStretch, B, NLB.X, NRB.X, NCl.Bottom, H, SB, src(LB.X, Cl.Bottom, RB.X, H0));
  EdgeY(LeftStretch, B, NLT.Y, NLB.Y, 0, NCl.Left, SB,
        LeftStretch ? src(0, LT.Y, Cl.Left, LB.Y) : src(0, LT.Y, NCl.Left, LB.Y));
  EdgeY(RightStretch, B, NRT.Y, NRB.Y, NCl.Right, W, SB, src(Cl.Right, RT.Y, W0, RB.Y));

  // Corner pieces; a later one wins where they overlap.
  Copy(B, rtl::Rect(0, 0, NLT.X, NCl.Top), SB, src(0, 0, LT.X, Cl.Top));
  Copy(B, rtl::Rect(0, NCl.Top, NCl.Left, NLT.Y), SB, src(0, Cl.Top, Cl.Left, LT.Y));
  Copy(B, rtl::Rect(NRT.X, 0, W, NCl.Top), SB, src(RT.X, 0, W0, Cl.Top));
  Copy(B, rtl::Rect(NCl.Right, NCl.Top, W, NRT.Y), SB, src(Cl.Right, Cl.Top, W0, RT.Y));
  Copy(B, rtl::Rect(0, NLB.Y, NCl.Left, H), SB, src(0, LB.Y, Cl.Left, H0));
  Copy(B, rtl::Rect(NCl.Left, NCl.Bottom, NLB.X, H), SB, src(Cl.Left, Cl.Bottom, LB.X, H0));
  Copy(B, rtl::Rect(NRB.X, NCl.Bottom, W, H), SB, src(RB.X, Cl.Bottom, W0, H0));
  Copy(B, rtl::Rect(NCl.Right, NRB.Y, W, NCl.Bottom), SB, src(Cl.Right, RB.Y, W0, Cl.Bottom));

  if (DrawClient) DrawClientPart(B, SB, Offset(Cl, R), NCl, StretchEffect, StretchType);
}

void ComposeSkinImage2(TPoint LT, TPoint RT, TPoint LB, TPoint RB, TRect Cl, TPoint NLT, TPoint NRT, TPoint NLB,
                       TPoint NRB, TRect NCl, TBitmap* B, TBitmap* SB, TRect R, int W, int H, bool DrawClient,
                       bool LeftStretch, bool TopStretch, bool RightStretch, bool BottomStretch, bool StretchEffect,
                       TbsStretchType StretchType) {
  ComposeSkinImage(LT, RT, LB, RB, Cl, NLT, NRT, NLB, NRB, NCl, B, SB, R, W, H, DrawClient, LeftStretch, TopStretch,
                   RightStretch, BottomStretch, StretchEffect, StretchType);
}

void ComposeStretchedSkinImage(TBitmap* B, TBitmap* SB, TRect R, TRect Cl, bool DrawClient) {
  if (!B) return;
  const int W = B->Width(), H = B->Height();
  const TPoint LT{Cl.Left, Cl.Top}, RT{Cl.Right, Cl.Top}, LB{Cl.Left, Cl.Bottom}, RB{Cl.Right, Cl.Bottom};
  const TRect NCl{Cl.Left, Cl.Top, Cl.Right + W - R.Width(), Cl.Bottom + H - R.Height()};
  ComposeSkinImage(LT, RT, LB, RB, Cl, {NCl.Left, NCl.Top}, {NCl.Right, NCl.Top}, {NCl.Left, NCl.Bottom},
                   {NCl.Right, NCl.Bottom}, NCl, B, SB, R, W, H, DrawClient, true, true, true, true, true, bsstFull);
}

void ComposeSkinImageNoRightEdge(TPoint LT, TPoint RT, TPoint LB, TPoint RB, TRect Cl, TPoint NLT, TPoint NRT,
                                 TPoint NLB, TPoint NRB, TRect NCl, TBitmap* B, TBitmap* SB, TRect R, int W, int H,
                                 bool DrawClient, bool LeftStretch, bool TopStretch, bool RightStretch,
                                 bool BottomStretch, bool StretchEffect, TbsStretchType StretchType) {
  if (!B) return;
  B->SetSize(W, H);
  if (RB.X == LT.X || RB.Y == LT.Y || Unusable(B, SB)) return;
  const int H0 = R.Height();
  const auto src = [&](int l, int t, int r, int b) { return Offset(rtl::Rect(l, t, r, b), R); };
  EdgeX(TopStretch, B, NLT.X, W, 0, NCl.Top, SB, src(LT.X, 0, RT.X, Cl.Top));
  EdgeX(BottomStretch, B, NLB.X, W, NCl.Bottom, H, SB, src(LB.X, Cl.Bottom, RB.X, H0));
  EdgeY(LeftStretch, B, NLT.Y, NLB.Y, 0, NCl.Left, SB,
        LeftStretch ? src(0, LT.Y, Cl.Left, LB.Y) : src(0, LT.Y, NCl.Left, LB.Y));
  Copy(B, rtl::Rect(0, 0, NLT.X, NCl.Top), SB, src(0, 0, LT.X, Cl.Top));
  Copy(B, rtl::Rect(0, NCl.Top, NCl.Left, NLT.Y), SB, src(0, Cl.Top, Cl.Left, LT.Y));
  Copy(B, rtl::Rect(0, NLB.Y, NCl.Left, H), SB, src(0, LB.Y, Cl.Left, H0));
  Copy(B, rtl::Rect(NCl.Left, NCl.Bottom, NLB.X, H), SB, src(Cl.Left, Cl.Bottom, LB.X, H0));
  if (DrawClient) {
    TRect target = NCl;
    target.Right = W;
    DrawClientPart(B, SB, Offset(Cl, R), target, StretchEffect, StretchType);
  }
}

namespace {
enum class Slices { All, NoRight, MiddleOnly };

void ComposeHorz(Slices which, int LeftWidth, int RightWidth, TBitmap* B, TBitmap* SB, const TRect& R, int W,
                 bool Stretch) {
  if (!B) return;
  B->SetSize(W, R.Height());
  if (Unusable(B, SB)) return;
  const int bw = B->Width(), bh = B->Height();
  const TRect M{R.Left + LeftWidth, R.Top, R.Right - RightWidth, R.Bottom};
  const TRect step{M.Left, M.Top, M.Left + std::max(M.Width(), 1), M.Bottom};
  int from = LeftWidth, to = bw - RightWidth;
  if (which == Slices::MiddleOnly) {
    from = 0;
    to = bw;
  } else {
    if (LeftWidth != 0) Copy(B, rtl::Rect(0, 0, LeftWidth, bh), SB, rtl::Rect(R.Left, R.Top, R.Left + LeftWidth, R.Bottom));
    if (which == Slices::NoRight) to = bw;
    else if (RightWidth != 0)
      Copy(B, rtl::Rect(bw - RightWidth, 0, bw, bh), SB, rtl::Rect(R.Right - RightWidth, R.Top, R.Right, R.Bottom));
  }
  if (Stretch) Copy(B, rtl::Rect(from, 0, to, bh), SB, M);
  else TileX(B, from, to, 0, bh, SB, step);
}
}  // namespace

void ComposeHorzSkinImage(int LeftWidth, int RightWidth, TBitmap* B, TBitmap* SB, TRect R, int W, int, bool Stretch) {
  ComposeHorz(Slices::All, LeftWidth, RightWidth, B, SB, R, W, Stretch);
}

void ComposeHorzSkinImageNoRightEdge(int LeftWidth, int RightWidth, TBitmap* B, TBitmap* SB, TRect R, int W, int,
                                     bool Stretch) {
  ComposeHorz(Slices::NoRight, LeftWidth, RightWidth, B, SB, R, W, Stretch);
}

void ComposeHorzSkinImageMiddleOnly(int LeftWidth, int RightWidth, TBitmap* B, TBitmap* SB, TRect R, int W, int,
                                    bool Stretch) {
  ComposeHorz(Slices::MiddleOnly, LeftWidth, RightWidth, B, SB, R, W, Stretch);
}

void ComposeVertSkinImage(int TopHeight, int BottomHeight, TBitmap* B, TBitmap* SB, TRect R, int, int H, bool Stretch) {
  if (!B) return;
  B->SetSize(R.Width(), H);
  if (Unusable(B, SB)) return;
  const int bw = B->Width(), bh = B->Height();
  if (TopHeight != 0) Copy(B, rtl::Rect(0, 0, bw, TopHeight), SB, rtl::Rect(R.Left, R.Top, R.Right, R.Top + TopHeight));
  if (BottomHeight != 0)
    Copy(B, rtl::Rect(0, bh - BottomHeight, bw, bh), SB, rtl::Rect(R.Left, R.Bottom - BottomHeight, R.Right, R.Bottom));
  const TRect M{R.Left, R.Top + TopHeight, R.Right, R.Bottom - BottomHeight};
  if (Stretch) Copy(B, rtl::Rect(0, TopHeight, bw, bh - BottomHeight), SB, M);
  else TileY(B, TopHeight, bh - BottomHeight, 0, bw, SB, M);
}

void ComposeSkinBorderStrips(TPoint LT, TPoint RT, TPoint LB, TPoint RB, TRect Cl, TPoint NLT, TPoint NRT, TPoint NLB,
                             TPoint NRB, TRect NCl, TBitmap* SB, TBitmap* TopB, TBitmap* LeftB, TBitmap* RightB,
                             TBitmap* BottomB, int W, int) {
  if (!SB || SB->Empty()) return;
  const int sw = SB->Width(), sh = SB->Height();
  // Side strips: tiles from the strip's top, then the end pieces over them.
  const auto side = [&](TBitmap* S, int l, int r, int t0, int t1) {
    const int w = r - l, h = NCl.Height();
    if (!S || w <= 0 || h <= 0) return;
    S->SetSize(w, h);
    if (t1 - t0 > 0) TileY(S, 0, h, 0, w, SB, rtl::Rect(l, t0, r, t1));
    if (t0 - Cl.Top > 0) Copy(S, rtl::Rect(0, 0, w, t0 - Cl.Top), SB, rtl::Rect(l, Cl.Top, r, t0));
    if (Cl.Bottom - t1 > 0) Copy(S, rtl::Rect(0, h - (Cl.Bottom - t1), w, h), SB, rtl::Rect(l, t1, r, Cl.Bottom));
  };
  side(LeftB, 0, Cl.Left, LT.Y, LB.Y);
  side(RightB, Cl.Right, sw, RT.Y, RB.Y);
  if (TopB && W > 0 && Cl.Top > 0) {
    TopB->SetSize(W, Cl.Top);
    TileX(TopB, NLT.X, NRT.X, 0, Cl.Top, SB, rtl::Rect(LT.X, 0, RT.X, Cl.Top));
    Copy(TopB, rtl::Rect(0, 0, LT.X, Cl.Top), SB, rtl::Rect(0, 0, LT.X, Cl.Top));
    Copy(TopB, rtl::Rect(NRT.X, 0, W, Cl.Top), SB, rtl::Rect(RT.X, 0, sw, Cl.Top));
  }
  const int bh = sh - Cl.Bottom;
  if (BottomB && W > 0 && bh > 0) {
    BottomB->SetSize(W, bh);
    TileX(BottomB, NLB.X, NRB.X, 0, bh, SB, rtl::Rect(LB.X, Cl.Bottom, RB.X, sh));
    Copy(BottomB, rtl::Rect(0, 0, LB.X, bh), SB, rtl::Rect(0, Cl.Bottom, LB.X, sh));
    Copy(BottomB, rtl::Rect(NRB.X, 0, W, bh), SB, rtl::Rect(RB.X, Cl.Bottom, sw, sh));
  }
}

void ComposeSkinBorderStripsEx(TPoint LT, TPoint RT, TPoint LB, TPoint RB, TRect Cl, TPoint NLT, TPoint NRT,
                               TPoint NLB, TPoint NRB, TRect NCl, TBitmap* LeftB, TBitmap* TopB, TBitmap* RightB,
                               TBitmap* BottomB, TBitmap* SB, TRect R, int W, int H, bool LeftStretch,
                               bool TopStretch, bool RightStretch, bool BottomStretch) {
  if (!SB || SB->Empty()) return;
  const int W0 = R.Width(), H0 = R.Height();
  const auto src = [&](int l, int t, int r, int b) { return Offset(rtl::Rect(l, t, r, b), R); };
  if (TopB && W > 0 && NCl.Top > 0 && RT.X - LT.X > 0) {
    const int h = NCl.Top;
    TopB->SetSize(W, h);
    if (TopStretch) Copy(TopB, rtl::Rect(NLT.X, 0, NRT.X, h), SB, src(LT.X, 0, RT.X, h));
    else TileX(TopB, 0, W, 0, h, SB, src(LT.X, 0, RT.X, h));
    Copy(TopB, rtl::Rect(0, 0, NLT.X, h), SB, src(0, 0, LT.X, h));
    Copy(TopB, rtl::Rect(NRT.X, 0, W, h), SB, src(RT.X, 0, W0, h));
  }
  if (BottomB && W > 0 && H - NCl.Bottom > 0 && RB.X - LB.X > 0) {
    const int h = H - NCl.Bottom;
    BottomB->SetSize(W, h);
    if (BottomStretch) Copy(BottomB, rtl::Rect(NLB.X, 0, NRB.X, h), SB, src(LB.X, H0 - h, RB.X, H0));
    else TileX(BottomB, 0, W, 0, h, SB, src(LB.X, H0 - h, RB.X, H0));
    Copy(BottomB, rtl::Rect(0, 0, NLB.X, h), SB, src(0, H0 - h, LB.X, H0));
    Copy(BottomB, rtl::Rect(NRB.X, 0, W, h), SB, src(RB.X, H0 - h, W0, H0));
  }
  const int topH = TopB ? TopB->Height() : 0, bottomH = BottomB ? BottomB->Height() : 0;
  const int h = H - bottomH - topH;
  const auto side = [&](TBitmap* S, bool stretch, int w, int l, int r, int t0, int t1) {
    if (!S || w < 1 || h < 1 || t1 - t0 < 1) return;
    S->SetSize(w, h);
    if (stretch) Copy(S, rtl::Rect(0, t0 - Cl.Top, w, h - (Cl.Bottom - t1)), SB, src(l, t0, r, t1));
    else TileY(S, 0, h, 0, w, SB, src(l, t0, r, t1));
    if (t0 - Cl.Top > 0) Copy(S, rtl::Rect(0, 0, w, t0 - Cl.Top), SB, src(l, Cl.Top, r, t0));
    if (Cl.Bottom - t1 > 0) Copy(S, rtl::Rect(0, h - (Cl.Bottom - t1), w, h), SB, src(l, t1, r, Cl.Bottom));
  };
  side(LeftB, LeftStretch, NCl.Left, 0, NCl.Left, LT.Y, LB.Y);
  side(RightB, RightStretch, W - NCl.Right, Cl.Right, W0, RT.Y, RB.Y);
}

}  // namespace skin
