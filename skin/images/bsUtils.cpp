#include "skin/images/bsUtils.h"

#include <algorithm>
#include <vector>

#include "platform/win/WinApi.h"

namespace skin {

namespace {

void HLine(TCanvas* c, int x0, int x1, int y) {  // x0 .. x1 inclusive
  c->MoveTo(x0, y);
  c->LineTo(x1 + 1, y);
}
void VLine(TCanvas* c, int x, int y0, int y1) {  // y0 .. y1 inclusive
  c->MoveTo(x, y0);
  c->LineTo(x, y1 + 1);
}

void UsePen(TCanvas* c, TColor color) {
  c->Pen()->SetColor(color);
  c->Pen()->SetStyle(gdi::psSolid);
  c->Pen()->SetWidth(1);
}

}  // namespace

gdi::HDC CanvasTextDC(TCanvas* Canvas) {
  if (!Canvas) return nullptr;
  Canvas->TextExtent(String());  // selects the font and its colour
  gdi::HDC dc = Canvas->Handle();
  if (!dc) return nullptr;
  const bool clear = Canvas->Brush()->Style() == gdi::bsClear;
  gdi::SetBkMode(dc, clear ? gdi::TRANSPARENT : gdi::OPAQUE);
  if (!clear) gdi::SetBkColor(dc, gdi::ColorToRGB(Canvas->Brush()->Color()));
  return dc;
}

// ---- Glyph and caption --------------------------------------------------------

void CalcGlyphAndCaptionPos(TbsButtonLayout Layout, const TRect& R, int gw, int gh, int tw, int th, int Spacing,
                            int Margin, int& TextX, int& TextY, int& GlyphX, int& GlyphY) {
  const int s = gw == 0 ? 0 : Spacing;
  const int cx = R.Left + RectWidth(R) / 2, cy = R.Top + RectHeight(R) / 2;
  // Along the layout's axis: glyph before the caption (left, top) or after it.
  const auto along = [&](bool glyphFirst, int lo, int hi, int centre, int g, int t, int& gp, int& tp) {
    const int half = (t + g + s) / 2;
    if (Margin == -1) {
      gp = glyphFirst ? centre - half : centre + half - g;
      tp = glyphFirst ? centre + half - t : centre - half;
    } else {
      gp = glyphFirst ? lo + Margin : hi - g - Margin;
      tp = glyphFirst ? gp + g + s : gp - s - t;
    }
  };
  if (Layout == blGlyphLeft || Layout == blGlyphRight) {
    along(Layout == blGlyphLeft, R.Left, R.Right, cx, gw, tw, GlyphX, TextX);
    GlyphY = cy - gh / 2;
    TextY = cy - th / 2;
  } else {
    along(Layout == blGlyphTop, R.Top, R.Bottom, cy, gh, th, GlyphY, TextY);
    GlyphX = cx - gw / 2;
    TextX = cx - tw / 2;
  }
}

namespace {

struct GlyphCaptionLayout {
  int gx = 0, gy = 0, tx = 0, ty = 0, tw = 0, th = 0;
  TRect textRect;
};

GlyphCaptionLayout LayOut(TCanvas* Canvas, const TRect& R, int Margin, int Spacing, TbsButtonLayout Layout,
                          const String& Caption, int gw, int gh, bool AddY) {
  GlyphCaptionLayout l;
  if (!Caption.empty()) {
    TRect m{0, 0, RectWidth(R), RectHeight(R)};
    if (Layout == blGlyphLeft || Layout == blGlyphRight) m.Right -= gw;
    else m.Bottom -= gh;
    gdi::DrawText(CanvasTextDC(Canvas), Caption, &m, gdi::DT_CALCRECT | gdi::DT_EXPANDTABS | gdi::DT_WORDBREAK);
    l.tw = RectWidth(m);
    l.th = RectHeight(m);
  }
  CalcGlyphAndCaptionPos(Layout, R, gw, gh, l.tw, l.th, Spacing, Margin, l.tx, l.ty, l.gx, l.gy);
  if (AddY) {
    ++l.tx;
    ++l.ty;
    ++l.gx;
    ++l.gy;
  }
  l.textRect = {l.tx, l.ty, l.tx + l.tw + 2, l.ty + l.th};
  return l;
}

void ColorBar(TCanvas* Canvas, const GlyphCaptionLayout& l, int gw, int gh, bool hasCaption, TColor color,
              const TRect& block) {
  UsePen(Canvas, color);
  if (gw > 0) {
    for (int k = 2; k >= 0; --k) HLine(Canvas, l.gx, l.gx + gw - 1, l.gy + gh - k);
  } else if (hasCaption) {
    for (int k = -1; k <= 1; ++k) HLine(Canvas, l.textRect.Left, l.textRect.Right - 1, l.textRect.Bottom + k);
  } else {
    Canvas->Brush()->SetColor(color);
    Canvas->FillRect(block);
  }
}

void GlyphAndCaption(TCanvas* Canvas, TRect R, int Margin, int Spacing, TbsButtonLayout Layout, const String& Caption,
                     int ImageIndex, TbsGlyphList* ImageList, bool AddY, bool Enabled, bool DrawColorBar,
                     TColor ColorBarColor, unsigned TextFormat) {
  if (!Canvas) return;
  const bool hasGlyph = ImageList && ImageIndex >= 0 && ImageIndex < ImageList->Count();
  const int gw = hasGlyph ? ImageList->Width() : 0, gh = hasGlyph ? ImageList->Height() : 0;
  Canvas->Brush()->SetStyle(gdi::bsClear);
  GlyphCaptionLayout l = LayOut(Canvas, R, Margin, Spacing, Layout, Caption, gw, gh, AddY);
  if (!Caption.empty()) {
    TRect t = l.textRect;
    gdi::DrawText(CanvasTextDC(Canvas), Caption, &t, TextFormat);
  }
  if (hasGlyph) ImageList->Draw(Canvas, l.gx, l.gy, ImageIndex, Enabled);
  if (DrawColorBar)
    ColorBar(Canvas, l, gw, gh, !Caption.empty(), ColorBarColor, {R.Left + 4, R.Top + 4, R.Right - 2, R.Bottom - 4});
}

}  // namespace

void DrawGlyphAndCaption(TCanvas* Canvas, TRect R, int Margin, int Spacing, TbsButtonLayout Layout,
                         const String& Caption, int ImageIndex, TbsGlyphList* ImageList, bool AddY, bool Enabled,
                         bool DrawColorBar, TColor ColorBarColor) {
  GlyphAndCaption(Canvas, R, Margin, Spacing, Layout, Caption, ImageIndex, ImageList, AddY, Enabled, DrawColorBar,
                  ColorBarColor, gdi::DT_EXPANDTABS | gdi::DT_WORDBREAK | gdi::DT_VCENTER | gdi::DT_CENTER);
}

void DrawGlyphAndCaptionLeftAligned(TCanvas* Canvas, TRect R, int Margin, int Spacing, TbsButtonLayout Layout,
                                    const String& Caption, int ImageIndex, TbsGlyphList* ImageList, bool AddY,
                                    bool Enabled, bool DrawColorBar, TColor ColorBarColor) {
  GlyphAndCaption(Canvas, R, Margin, Spacing, Layout, Caption, ImageIndex, ImageList, AddY, Enabled, DrawColorBar,
                  ColorBarColor, gdi::DT_EXPANDTABS | gdi::DT_WORDBREAK | gdi::DT_VCENTER);
}

void DrawBitmapGlyphAndCaption(TCanvas* Canvas, TRect R, int Margin, int Spacing, TbsButtonLayout Layout,
                               const String& Caption, gdi::TBitmap* Glyph, int NumGlyphs, int GlyphNum, bool AddY,
                               bool DrawColorBar, TColor ColorBarColor) {
  if (!Canvas) return;
  const bool hasGlyph = Glyph && !Glyph->Empty() && NumGlyphs > 0;
  const int gw = hasGlyph ? Glyph->Width() / NumGlyphs : 0, gh = hasGlyph ? Glyph->Height() : 0;
  if (!Caption.empty()) Canvas->Brush()->SetStyle(gdi::bsClear);
  GlyphCaptionLayout l = LayOut(Canvas, R, Margin, Spacing, Layout, Caption, gw, gh, AddY);
  if (!Caption.empty()) {
    TRect t = l.textRect;
    gdi::DrawText(CanvasTextDC(Canvas), Caption, &t,
                  gdi::DT_EXPANDTABS | gdi::DT_WORDBREAK | gdi::DT_VCENTER | gdi::DT_CENTER);
  }
  if (hasGlyph) DrawGlyphFrame(Canvas, l.gx, l.gy, GlyphNum, NumGlyphs, Glyph);
  if (DrawColorBar) {
    const TRect block = AddY ? TRect{R.Left + 4, R.Top + 5, R.Right - 2, R.Bottom - 3}
                             : TRect{R.Left + 4, R.Top + 4, R.Right - 2, R.Bottom - 4};
    ColorBar(Canvas, l, gw, gh, !Caption.empty(), ColorBarColor, block);
  }
}

void DrawGlyphFrame(TCanvas* Canvas, int X, int Y, int FrameIndex, int FrameCount, gdi::TBitmap* Bitmap) {
  if (!Canvas || !Bitmap || Bitmap->Empty() || FrameCount <= 0) return;
  const int fw = Bitmap->Width() / FrameCount;
  if (fw <= 0) return;
  gdi::TBitmap frame(fw, Bitmap->Height());
  frame.Canvas()->CopyRect(rtl::Rect(0, 0, fw, Bitmap->Height()), Bitmap->Canvas(),
                           rtl::Rect(fw * (FrameIndex - 1), 0, fw * FrameIndex, Bitmap->Height()));
  frame.SetTransparent(true);
  Canvas->Draw(X, Y, &frame);
}

// ---- Text --------------------------------------------------------------------------

int DrawWideText(TCanvas* Canvas, const String& Text, TRect& R, unsigned Format) {
  if (!Canvas) return 0;
  return gdi::DrawText(CanvasTextDC(Canvas), Text, &R, Format);
}

int WideTextWidth(TCanvas* Canvas, const String& Text) {
  TRect r{};
  DrawWideText(Canvas, Text, r, gdi::DT_CALCRECT);
  return RectWidth(r);
}

int WideTextHeight(TCanvas* Canvas, const String& Text) {
  TRect r{};
  DrawWideText(Canvas, Text, r, gdi::DT_CALCRECT);
  return RectHeight(r);
}

namespace {
template <class Measure>
void FitWithEllipsis(String& Text, int Width, Measure measure) {
  if (Width >= measure(Text)) return;
  while (!Text.empty()) {
    Text.pop_back();
    if (Width >= measure(Text + u"...")) break;
  }
  Text += u"...";
}
}  // namespace

void FitCaptionWithEllipsis(TCanvas* Canvas, String& Text, int Width) {
  FitWithEllipsis(Text, Width, [&](const String& s) { return WideTextWidth(Canvas, s); });
}

void FitTextWithEllipsis(TCanvas* Canvas, String& Text, int Width) {
  FitWithEllipsis(Text, Width, [&](const String& s) { return Canvas->TextWidth(s); });
}

void DrawTextVCentered(TCanvas* Canvas, const String& Text, TRect R) {
  if (Text.empty() || !Canvas) return;
  gdi::DrawText(CanvasTextDC(Canvas), Text, &R, gdi::DT_SINGLELINE | gdi::DT_VCENTER);
}

void TextRectVCentered(TCanvas* Canvas, const String& Text, const TRect& R) { TextRectVCenteredIndent(Canvas, Text, R, 0); }

void TextRectVCenteredIndent(TCanvas* Canvas, const String& Text, const TRect& R, int Indent) {
  if (Text.empty() || !Canvas) return;
  Canvas->TextRect(R, R.Left + Indent + 2, R.Top + RectHeight(R) / 2 - Canvas->TextHeight(Text) / 2, Text);
}

// ---- Arrows and marks -----------------------------------------------------------------

void DrawDropDownArrow(TCanvas* Canvas, const TRect& R, TColor Color) {
  if (!Canvas) return;
  UsePen(Canvas, Color);
  const int cx = R.Left + RectWidth(R) / 2, cy = R.Top + RectHeight(R) / 2;
  for (int i = 0; i < 3; ++i) HLine(Canvas, cx - 2 + i, cx + 2 - i, cy + i);
}

void DrawArrow(TCanvas* Canvas, const TRect& R, TColor Color, int Direction) {
  if (!Canvas || Direction < 1 || Direction > 4) return;
  UsePen(Canvas, Color);
  const int cx = R.Left + RectWidth(R) / 2, cy = R.Top + RectHeight(R) / 2;
  for (int i = 0; i <= 3; ++i) {
    switch (Direction) {
      case 1: VLine(Canvas, cx - 2 + i, cy - i, cy + i); break;
      case 2: VLine(Canvas, cx + 2 - i, cy - i, cy + i); break;
      case 3: HLine(Canvas, cx - i, cx + i, cy - 2 + i); break;
      case 4: HLine(Canvas, cx - i, cx + i, cy + 2 - i); break;
    }
  }
}

void DrawSquareMark(TCanvas* Canvas, int X, int Y, TColor Color) {
  if (!Canvas) return;
  UsePen(Canvas, Color);
  if (Canvas->Brush()->Style() != gdi::bsClear) Canvas->Brush()->SetColor(Color);
  Canvas->Rectangle(X, Y, X + 6, Y + 6);
}

void DrawCheckMark(TCanvas* Canvas, int X, int Y, TColor Color) {
  if (!Canvas) return;
  UsePen(Canvas, Color);
  for (int i = 0; i < 3; ++i) Canvas->Polyline({{X, Y + 5 - i}, {X + 2, Y + 7 - i}, {X + 7, Y + 2 - i}});
}

void DrawDotFocusRect(TCanvas* Canvas, const TRect& R) {
  if (!Canvas) return;
  const int w = R.Right - 1 - R.Left, h = R.Bottom - 1 - R.Top;
  if (w < 0 || h < 0) return;
  const TColor color = Canvas->Font()->Color();
  // The frame's pixels clockwise from the top-left corner, each corner once.
  std::vector<TPoint> path;
  for (int x = R.Left; x <= R.Right - 1; ++x) path.push_back({x, R.Top});
  for (int y = R.Top + 1; y <= R.Bottom - 1; ++y) path.push_back({R.Right - 1, y});
  if (h > 0)
    for (int x = R.Right - 2; x >= R.Left; --x) path.push_back({x, R.Bottom - 1});
  if (w > 0)
    for (int y = R.Bottom - 2; y > R.Top; --y) path.push_back({R.Left, y});
  bool on = !(w % 2 == 0 && h % 2 == 0);
  for (const TPoint& p : path) {
    if (on) Canvas->SetPixels(p.X, p.Y, color);
    on = !on;
  }
}

// ---- Caption-button glyphs ------------------------------------------------------------

void DrawCloseGlyph(TCanvas* Canvas, int X, int Y, TColor Color) {
  if (!Canvas) return;
  UsePen(Canvas, Color);
  for (int k = 0; k <= 7; ++k) {
    HLine(Canvas, X + 1 + k, X + 2 + k, Y + 1 + k);
    HLine(Canvas, X + 8 - k, X + 9 - k, Y + 1 + k);
  }
}

void DrawSysMenuGlyph(TCanvas* Canvas, int X, int Y, TColor Color) {
  if (!Canvas) return;
  UsePen(Canvas, Color);
  Canvas->Brush()->SetStyle(gdi::bsClear);
  Canvas->Rectangle(X + 1, Y + 3, X + 9, Y + 6);
}

void DrawMinimizeGlyph(TCanvas* Canvas, int X, int Y, TColor Color) {
  if (!Canvas) return;
  UsePen(Canvas, Color);
  HLine(Canvas, X + 1, X + 8, Y + 8);
  HLine(Canvas, X + 1, X + 8, Y + 9);
}

void DrawMaximizeGlyph(TCanvas* Canvas, int X, int Y, TColor Color) {
  if (!Canvas) return;
  UsePen(Canvas, Color);
  Canvas->Brush()->SetStyle(gdi::bsClear);
  Canvas->Rectangle(X, Y, X + 11, Y + 10);
  Canvas->Rectangle(X, Y, X + 11, Y + 2);
}

void DrawRestoreGlyph(TCanvas* Canvas, int X, int Y, TColor Color) {
  if (!Canvas) return;
  UsePen(Canvas, Color);
  Canvas->Brush()->SetStyle(gdi::bsClear);
  Canvas->Rectangle(X + 2, Y, X + 10, Y + 6);
  Canvas->Rectangle(X + 2, Y, X + 10, Y + 2);
  Canvas->Rectangle(X, Y + 4, X + 7, Y + 10);
  Canvas->Rectangle(X, Y + 4, X + 7, Y + 6);
}

void DrawRollUpGlyph(TCanvas* Canvas, int X, int Y, TColor Color) {
  if (!Canvas) return;
  UsePen(Canvas, Color);
  for (int i = 0; i < 4; ++i) HLine(Canvas, X + 4 - i, X + 5 + i, Y + 3 + i);
}

void DrawRollDownGlyph(TCanvas* Canvas, int X, int Y, TColor Color) {
  if (!Canvas) return;
  UsePen(Canvas, Color);
  for (int i = 0; i < 4; ++i) HLine(Canvas, X + 1 + i, X + 8 - i, Y + 2 + i);
}

void DrawMinimizeToTrayGlyph(TCanvas* Canvas, int X, int Y, TColor Color) {
  if (!Canvas) return;
  UsePen(Canvas, Color);
  if (Canvas->Brush()->Style() != gdi::bsClear) Canvas->Brush()->SetColor(Color);
  Canvas->Rectangle(X + 2, Y + 2, X + 7, Y + 7);
}

// ---- System ------------------------------------------------------------------------

void GetWindowsVersion(int& Major, int& Minor) {
  Major = 6;
  Minor = 1;
}

bool IsWindowsVistaOrLater() {
  int major, minor;
  GetWindowsVersion(major, minor);
  return major > 5;
}

bool IsWindowsXPOrLater() {
  int major, minor;
  GetWindowsVersion(major, minor);
  return major > 5 || (major == 5 && minor == 1);
}

bool IsLayeringSupported() { return win::IsLayeringSupported(); }

void GetScreenWorkArea(bool WorkArea, TRect& R) {
  if (WorkArea) {
    win::SystemParametersInfoW(win::SPI_GETWORKAREA, 0, &R, 0);
    return;
  }
  R = {0, 0, win::GetSystemMetrics(win::SM_CXSCREEN), win::GetSystemMetrics(win::SM_CYSCREEN)};
}

void GetMonitorWorkArea(win::HWND Handle, bool WorkArea, TRect& R) {
  if (win::GetSystemMetrics(win::SM_CMONITORS) <= 1) {
    GetScreenWorkArea(WorkArea, R);
    return;
  }
  win::MONITORINFO mi;
  if (win::GetMonitorInfoW(win::MonitorFromWindow(Handle, win::MONITOR_DEFAULTTONEAREST), &mi))
    R = WorkArea ? mi.rcWork : mi.rcMonitor;
}

}  // namespace skin
