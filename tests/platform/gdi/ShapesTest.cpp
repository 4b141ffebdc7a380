#include <cstdint>

#include "platform/gdi/Bitmap.h"
#include "tests/platform/gdi/GdiTestUtil.h"

namespace gdi {
namespace {

using test::MemDC;

// Every shape draws only inside its bounding box (and inside the clip) and
// leaves some ink there.
TEST(Shapes, EachShapeStaysInsideItsBoxAndClip) {
  struct Case {
    const char* name;
    void (*draw)(HDC);
  };
  const Case cases[] = {
      {"Ellipse", [](HDC dc) { Ellipse(dc, 4, 4, 16, 14); }},
      {"RoundRect", [](HDC dc) { RoundRect(dc, 4, 4, 16, 14, 6, 6); }},
      {"Arc", [](HDC dc) { Arc(dc, 4, 4, 16, 14, 16, 9, 4, 9); }},
      {"Pie", [](HDC dc) { Pie(dc, 4, 4, 16, 14, 16, 4, 4, 4); }},
      {"Polygon",
       [](HDC dc) {
         POINT p[] = {{4, 4}, {15, 8}, {6, 13}};
         Polygon(dc, p, 3);
       }},
      {"Caption close", [](HDC dc) { RECT r{4, 4, 16, 14}; DrawFrameControl(dc, &r, DFC_CAPTION, DFCS_CAPTIONCLOSE); }},
      {"Caption max", [](HDC dc) { RECT r{4, 4, 16, 14}; DrawFrameControl(dc, &r, DFC_CAPTION, DFCS_CAPTIONMAX); }},
      {"Check box", [](HDC dc) { RECT r{4, 4, 16, 14}; DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED); }},
      {"Radio", [](HDC dc) { RECT r{4, 4, 16, 14}; DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONRADIO | DFCS_CHECKED); }},
      {"Scroll arrow", [](HDC dc) { RECT r{4, 4, 16, 14}; DrawFrameControl(dc, &r, DFC_SCROLL, DFCS_SCROLLDOWN | DFCS_PUSHED); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    MemDC d(20, 18, 0xFF000000);
    SelectObject(d.dc, GetStockObject(WHITE_PEN));
    SelectObject(d.dc, GetStockObject(GRAY_BRUSH));
    c.draw(d.dc);
    int inside = 0;
    for (int y = 0; y < 18; ++y)
      for (int x = 0; x < 20; ++x) {
        const bool ink = (d.Px(x, y) & 0xFFFFFF) != 0;
        if (x < 4 || x >= 16 || y < 4 || y >= 14) {
          ASSERT_FALSE(ink) << x << "," << y;
        }
        inside += ink;
      }
    EXPECT_GT(inside, 6);
    // Clipped to the left half, nothing appears in the right half.
    MemDC e(20, 18, 0xFF000000);
    SelectObject(e.dc, GetStockObject(WHITE_PEN));
    SelectObject(e.dc, GetStockObject(GRAY_BRUSH));
    IntersectClipRect(e.dc, 0, 0, 10, 18);
    c.draw(e.dc);
    for (int y = 0; y < 18; ++y)
      for (int x = 10; x < 20; ++x) ASSERT_EQ(e.Px(x, y) & 0xFFFFFF, 0u) << x << "," << y;
  }
}

TEST(Shapes, AbsurdCoordinatesFinishQuickly) {
  MemDC d(8, 8, 0xFF000000);
  SelectObject(d.dc, GetStockObject(WHITE_BRUSH));
  Ellipse(d.dc, -1000000000, -1000000000, 1000000000, 1000000000);
  Pie(d.dc, -1000000000, -1000000000, 1000000000, 1000000000, 0, 0, 1, 1);
  POINT tall[] = {{0, -2000000000}, {5, 2000000000}, {7, 0}};
  Polygon(d.dc, tall, 3);
  HRGN r = CreateEllipticRgn(-2000000000, -2000000000, 2000000000, 2000000000);
  EXPECT_TRUE(PtInRegion(r, 0, 0));
  DeleteObject(r);
  EXPECT_EQ(d.Px(4, 4) & 0xFFFFFF, 0xFFFFFFu);
  // Blits map only what the clip shows.
  MemDC src(2, 2, 0xFF0000FF);
  EXPECT_TRUE(StretchBlt(d.dc, -1000000000, 0, 2000000000, 8, src.dc, 0, 0, 2, 2, SRCCOPY));
  EXPECT_EQ(d.Px(4, 4), 0xFF0000FFu);
  EXPECT_TRUE(PatBlt(d.dc, -2000000000, -2000000000, 2100000000, 2100000000, BLACKNESS));
  EXPECT_EQ(d.Px(7, 7) & 0xFFFFFF, 0u);
  // Extents with no int negation mirror like any other negative extent.
  EXPECT_TRUE(StretchBlt(d.dc, 0, 0, 8, 8, src.dc, 1, 1, INT32_MIN, INT32_MIN, SRCCOPY));
  EXPECT_TRUE(StretchBlt(d.dc, 7, 7, INT32_MIN, INT32_MIN, src.dc, 0, 0, 2, 2, SRCCOPY));
  EXPECT_EQ(d.Px(0, 0), 0xFF0000FFu);
  // A pen wider than any surface covers everything it touches, quickly:
  // the whole surface for a line, the whole box for a closed shape.
  HPEN wide = CreatePen(PS_SOLID, INT32_MAX, RGB(255, 255, 255));
  HGDIOBJ oldPen = SelectObject(d.dc, wide);
  SelectObject(d.dc, GetStockObject(NULL_BRUSH));
  for (auto shape : {+[](HDC dc) { MoveToEx(dc, 2000000000, 4, nullptr); LineTo(dc, -2000000000, 4); },
                     +[](HDC dc) { Rectangle(dc, 1, 1, 6, 6); }, +[](HDC dc) { RoundRect(dc, 1, 1, 6, 6, 3, 3); },
                     +[](HDC dc) { Ellipse(dc, 1, 1, 6, 6); }}) {
    d.Fill(0xFF000000);
    shape(d.dc);
    EXPECT_EQ(d.Px(3, 3) & 0xFFFFFF, 0xFFFFFFu);
  }
  EXPECT_EQ(d.Px(0, 0) & 0xFFFFFF, 0u);
  MoveToEx(d.dc, 2000000000, 4, nullptr);
  LineTo(d.dc, -2000000000, 4);
  EXPECT_EQ(d.Px(0, 0) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(d.Px(7, 7) & 0xFFFFFF, 0xFFFFFFu);
  SelectObject(d.dc, oldPen);
  DeleteObject(wide);
}

TEST(Shapes, GradientEndsAndHatchPattern) {
  MemDC d(9, 2, 0x33000000);
  TRIVERTEX v[2];
  v[0].x = 0;
  v[0].y = 0;
  v[1].x = 9;
  v[1].y = 2;
  v[1].Red = 0xFF00;
  GRADIENT_RECT g;
  ASSERT_TRUE(GradientFill(d.dc, v, 2, &g, 1, GRADIENT_FILL_RECT_H));
  EXPECT_EQ(d.Px(0, 0), 0x33000000u);
  EXPECT_GT(d.Px(8, 1) & 0xFF0000, 0xD00000u);
  EXPECT_LT(d.Px(4, 0) & 0xFF0000, d.Px(5, 0) & 0xFF0000);
  MemDC h(8, 8, 0xFF000000);
  HBRUSH cross = CreateHatchBrush(HS_CROSS, RGB(255, 255, 255));
  SetBkMode(h.dc, TRANSPARENT);
  SelectObject(h.dc, cross);
  PatBlt(h.dc, 0, 0, 8, 8, PATCOPY);  // pattern copies paint the background too
  RECT r{0, 0, 8, 8};
  FillRect(h.dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  FillRect(h.dc, &r, cross);  // transparent background: only the lines
  EXPECT_EQ(h.Map(0xFFFFFF), test::Rows({"########", "#.......", "#.......", "#.......", "#.......", "#.......",
                                         "#.......", "#......."}));
  SelectObject(h.dc, GetStockObject(WHITE_BRUSH));
  DeleteObject(cross);
}

// A round rectangle's corners do not depend on the sign of the ellipse
// size, also inside a wide pen and for sizes with no int negation.
TEST(Shapes, RoundRectCornersIgnoreTheEllipseSizeSign) {
  const auto draw = [](int ew, int eh) {
    MemDC d(16, 16, 0xFF000000);
    HPEN pen = CreatePen(PS_SOLID, 3, RGB(255, 0, 0));
    HGDIOBJ oldPen = SelectObject(d.dc, pen);
    SelectObject(d.dc, GetStockObject(WHITE_BRUSH));
    RoundRect(d.dc, 0, 0, 16, 16, ew, eh);
    SelectObject(d.dc, oldPen);
    DeleteObject(pen);
    return d.Map(0xFFFFFF) + d.Map(0xFF0000);
  };
  struct Case { int ew, eh, absEw, absEh; };
  for (const Case c : {Case{-12, -10, 12, 10}, Case{12, -16, 12, 16}, Case{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX},
                       Case{INT32_MIN + 1, 9, INT32_MAX, 9}})
    EXPECT_EQ(draw(c.ew, c.eh), draw(c.absEw, c.absEh)) << c.ew << "x" << c.eh;
}

TEST(Canvas, CopyRectUsesCopyModeAndTextRectClips) {
  TBitmap src(4, 4), dst(4, 4);
  src.Canvas()->Brush()->SetColor(clBlack);
  src.Canvas()->FillRect(rtl::Rect(0, 0, 4, 4));
  dst.Canvas()->CopyRect(rtl::Rect(0, 0, 2, 2), src.Canvas(), rtl::Rect(0, 0, 4, 4));
  EXPECT_EQ(dst.Canvas()->Pixels(1, 1), clBlack);
  EXPECT_EQ(dst.Canvas()->Pixels(2, 2), clWhite);
  dst.Canvas()->SetCopyMode(NOTSRCCOPY);
  dst.Canvas()->CopyRect(rtl::Rect(0, 0, 4, 4), src.Canvas(), rtl::Rect(0, 0, 4, 4));
  EXPECT_EQ(dst.Canvas()->Pixels(1, 1), clWhite);

  TBitmap t(40, 20);
  t.Canvas()->Brush()->SetColor(clYellow);
  t.Canvas()->Font()->SetColor(clBlack);
  t.Canvas()->TextRect(rtl::Rect(0, 0, 10, 20), 0, 0, u"WWWW");
  EXPECT_EQ(t.Canvas()->Pixels(9, 19), clYellow);  // opaque inside the rectangle
  for (int x = 10; x < 40; ++x)
    for (int y = 0; y < 20; ++y) ASSERT_EQ(t.Canvas()->Pixels(x, y), clWhite) << x << "," << y;
}

}  // namespace
}  // namespace gdi
