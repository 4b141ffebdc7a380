// Internal: drawing and measuring helpers of the standard controls (not for
// use outside platform/forms).
#pragma once

#include "platform/forms/Controls.h"
#include "platform/gdi/Gdi.h"

namespace forms::stddraw {

// A shared memory DC for measuring text.
HDC MeasureDC();
// The measuring DC with a font selected for the object's life.
class TFontDC {
 public:
  explicit TFontDC(gdi::TFont* font);
  ~TFontDC();
  TFontDC(const TFontDC&) = delete;
  TFontDC& operator=(const TFontDC&) = delete;
  operator HDC() const { return dc_; }

 private:
  HDC dc_;
  gdi::HGDIOBJ old_;
};

int TextWidth(HDC dc, const char16_t* text, int count);
int TextHeight(HDC dc);
void FillSolid(HDC dc, const TRect& r, TColor color);
// Text in a colour with a transparent background.
void DrawTextIn(HDC dc, const String& text, TRect r, TColor color, unsigned flags);
void DrawSunkenBorder(HDC dc, TRect r);
// The area inside a control's sunken border (2 pixels), or all of it without one.
TRect InsideBorder(const TRect& r, bool border);
// The start of a framed control's paint: the client area filled, the border
// drawn, drawing clipped to `clip`. Returns the SaveDC level to restore.
int BeginFramedPaint(HDC dc, const TRect& client, TColor color, bool border, const TRect& clip);

}  // namespace forms::stddraw
