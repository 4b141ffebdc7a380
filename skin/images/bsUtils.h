// Drawing routines that every skinned control shares: glyph and caption
// layout, text measuring, fitting and drawing, arrows and marks, a dotted
// focus frame, the caption-button glyphs, rectangle helpers and the system
// tests.
//
// All of them draw on a framework canvas and hold no state. Lines leave out
// their end point and rectangles cover Left .. Right - 1, Top .. Bottom - 1,
// as the canvas does. Divisions by 2 truncate toward zero.
//
// Image lists: the glyph routines take the smallest view of an image list
// they need (TbsGlyphList: size, count, draw one image), so that they work
// with any list that can show one image at a place, enabled or greyed; the
// template forms take such a list directly.
// GUI thread.
#pragma once

#include <type_traits>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Canvas.h"
#include "platform/rtl/Types.h"
#include "platform/win/WinTypes.h"

namespace skin {

using gdi::TCanvas;
using rtl::String;
using rtl::TColor;
using rtl::TPoint;
using rtl::TRect;

enum TbsButtonLayout : std::uint8_t { blGlyphLeft = 0, blGlyphRight = 1, blGlyphTop = 2, blGlyphBottom = 3 };

class TbsGlyphList {
 public:
  virtual ~TbsGlyphList() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual int Count() const = 0;
  virtual void Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled) = 0;
};

// A view of any image list that has Width(), Height(), Count() and
// Draw(canvas, x, y, index, enabled), such as the framework's.
template <class List>
class TbsGlyphListOf final : public TbsGlyphList {
 public:
  explicit TbsGlyphListOf(List* L) : FList(L) {}
  int Width() const override { return FList->Width(); }
  int Height() const override { return FList->Height(); }
  int Count() const override { return FList->Count(); }
  void Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled) override { FList->Draw(Canvas, X, Y, Index, Enabled); }

 private:
  List* FList;
};

template <class List>
concept ImageListLike = !std::is_base_of_v<TbsGlyphList, List> && requires(List* l, TCanvas* c) {
  l->Width();
  l->Height();
  l->Count();
  l->Draw(c, 0, 0, 0, true);
};

// The canvas's DC with its font, text colour and background mode selected,
// ready for the system's text calls.
gdi::HDC CanvasTextDC(TCanvas* Canvas);

// ---- Glyph and caption ------------------------------------------------------
void CalcGlyphAndCaptionPos(TbsButtonLayout Layout, const TRect& R, int GlyphWidth, int GlyphHeight, int TextWidth,
                            int TextHeight, int Spacing, int Margin, int& TextX, int& TextY, int& GlyphX,
                            int& GlyphY);
void DrawGlyphAndCaption(TCanvas* Canvas, TRect R, int Margin, int Spacing, TbsButtonLayout Layout,
                         const String& Caption, int ImageIndex, TbsGlyphList* ImageList, bool AddY, bool Enabled,
                         bool DrawColorBar, TColor ColorBarColor);
void DrawGlyphAndCaptionLeftAligned(TCanvas* Canvas, TRect R, int Margin, int Spacing, TbsButtonLayout Layout,
                                    const String& Caption, int ImageIndex, TbsGlyphList* ImageList, bool AddY,
                                    bool Enabled, bool DrawColorBar, TColor ColorBarColor);
// The same with an image list of the framework (or any list of that shape).
template <ImageListLike List>
void DrawGlyphAndCaption(TCanvas* Canvas, TRect R, int Margin, int Spacing, TbsButtonLayout Layout,
                         const String& Caption, int ImageIndex, List* ImageList, bool AddY, bool Enabled,
                         bool DrawColorBar, TColor ColorBarColor) {
  TbsGlyphListOf<List> view(ImageList);
  DrawGlyphAndCaption(Canvas, R, Margin, Spacing, Layout, Caption, ImageIndex, ImageList ? &view : nullptr, AddY,
                      Enabled, DrawColorBar, ColorBarColor);
}
template <ImageListLike List>
void DrawGlyphAndCaptionLeftAligned(TCanvas* Canvas, TRect R, int Margin, int Spacing, TbsButtonLayout Layout,
                                    const String& Caption, int ImageIndex, List* ImageList, bool AddY, bool Enabled,
                                    bool DrawColorBar, TColor ColorBarColor) {
  TbsGlyphListOf<List> view(ImageList);
  DrawGlyphAndCaptionLeftAligned(Canvas, R, Margin, Spacing, Layout, Caption, ImageIndex, ImageList ? &view : nullptr,
                                 AddY, Enabled, DrawColorBar, ColorBarColor);
}
void DrawBitmapGlyphAndCaption(TCanvas* Canvas, TRect R, int Margin, int Spacing, TbsButtonLayout Layout,
                               const String& Caption, gdi::TBitmap* Glyph, int NumGlyphs, int GlyphNum, bool AddY,
                               bool DrawColorBar, TColor ColorBarColor);
// Frame FrameIndex (from 1) of FrameCount side by side, drawn with the
// bitmap's automatic transparent colour.
void DrawGlyphFrame(TCanvas* Canvas, int X, int Y, int FrameIndex, int FrameCount, gdi::TBitmap* Bitmap);

// ---- Text ----------------------------------------------------------------------
int DrawWideText(TCanvas* Canvas, const String& Text, TRect& R, unsigned Format);
int WideTextWidth(TCanvas* Canvas, const String& Text);
int WideTextHeight(TCanvas* Canvas, const String& Text);
void FitCaptionWithEllipsis(TCanvas* Canvas, String& Text, int Width);
void FitTextWithEllipsis(TCanvas* Canvas, String& Text, int Width);
void DrawTextVCentered(TCanvas* Canvas, const String& Text, TRect R);
void TextRectVCentered(TCanvas* Canvas, const String& Text, const TRect& R);
void TextRectVCenteredIndent(TCanvas* Canvas, const String& Text, const TRect& R, int Indent);

// ---- Arrows, marks, frames -----------------------------------------------------
void DrawDropDownArrow(TCanvas* Canvas, const TRect& R, TColor Color);
// Direction 1 left, 2 right, 3 up, 4 down; any other draws nothing.
void DrawArrow(TCanvas* Canvas, const TRect& R, TColor Color, int Direction);
void DrawSquareMark(TCanvas* Canvas, int X, int Y, TColor Color);
void DrawCheckMark(TCanvas* Canvas, int X, int Y, TColor Color);
void DrawDotFocusRect(TCanvas* Canvas, const TRect& R);

void DrawCloseGlyph(TCanvas* Canvas, int X, int Y, TColor Color);
void DrawSysMenuGlyph(TCanvas* Canvas, int X, int Y, TColor Color);
void DrawMinimizeGlyph(TCanvas* Canvas, int X, int Y, TColor Color);
void DrawMaximizeGlyph(TCanvas* Canvas, int X, int Y, TColor Color);
void DrawRestoreGlyph(TCanvas* Canvas, int X, int Y, TColor Color);
void DrawRollUpGlyph(TCanvas* Canvas, int X, int Y, TColor Color);
void DrawRollDownGlyph(TCanvas* Canvas, int X, int Y, TColor Color);
void DrawMinimizeToTrayGlyph(TCanvas* Canvas, int X, int Y, TColor Color);

// ---- Rectangles and numbers ------------------------------------------------------
inline int RectWidth(const TRect& R) { return R.Right - R.Left; }
inline int RectHeight(const TRect& R) { return R.Bottom - R.Top; }
inline bool IsEmptyRect(const TRect& R) { return RectWidth(R) <= 0 || RectHeight(R) <= 0; }
inline void SetEmptyRect(TRect& R) { R = TRect{}; }
inline bool RectsEqual(const TRect& A, const TRect& B) { return A == B; }
// True when either coordinate is 0.
inline bool IsNullPoint(const TPoint& P) { return P.X == 0 || P.Y == 0; }
inline bool PointInRectInclusive(const TRect& R, const TPoint& P) {
  return R.Left <= P.X && P.X <= R.Right && R.Top <= P.Y && P.Y <= R.Bottom;
}
// Both corners of A inside Z, Z's right and bottom edges counting as outside.
inline bool RectInRect(const TRect& A, const TRect& Z) {
  return Z.Contains({A.Left, A.Top}) && Z.Contains({A.Right, A.Bottom});
}
inline bool RectTopOrBottomInRect(const TRect& A, const TRect& Z) {
  return Z.Contains({Z.Left + 1, A.Top}) || Z.Contains({Z.Right - 1, A.Bottom});
}
inline int IntMax(int A, int B) { return A > B ? A : B; }
inline int IntMin(int A, int B) { return A < B ? A : B; }

// ---- System ----------------------------------------------------------------------
// The system version the skin library's tests see: 6.1 (a current system).
void GetWindowsVersion(int& Major, int& Minor);
bool IsWindowsVistaOrLater();
bool IsWindowsXPOrLater();
// Per-pixel alpha windows: only with an ARGB visual and a running compositor.
bool IsLayeringSupported();
// The primary screen's work area (WorkArea) or its whole area.
void GetScreenWorkArea(bool WorkArea, TRect& R);
// The same for the monitor nearest to Handle; with one monitor, the screen's.
// R is left as it was when the monitor cannot be asked.
void GetMonitorWorkArea(win::HWND Handle, bool WorkArea, TRect& R);

}  // namespace skin
