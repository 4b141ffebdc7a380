// Blur, glowing text and alpha masks on TbsBitmap.
//
// The text effects draw the text in red into a work bitmap, blur it, take its
// red level as alpha under the glow colour, compose that onto the canvas and
// then draw the text itself in the canvas's font with a clear brush. Format
// is a set of DT_ flags of the system's text drawing.
// GUI thread; each effect allocates one work bitmap per call.
#pragma once

#include "platform/gdi/Canvas.h"
#include "skin/images/bsBitmap.h"

namespace skin {

// Stack blur (triangular weights Radius + 1 - k, divisor (Radius + 1)^2,
// truncating) of the blue, green and red bytes in place, rows first; every
// alpha byte becomes 255. Nothing for Radius <= 0; radii above 4096 count as 4096.
void BlurAlphaBitmap(TbsBitmap* Bitmap, int Radius);

void DrawTextWithGlow(gdi::TCanvas* Canvas, TRect Rect, const String& Text, int GlowSize, TColor GlowColor,
                      int Offset, unsigned Format);
int DrawWideTextWithGlow(gdi::TCanvas* Canvas, TRect Rect, const String& Text, int GlowSize, TColor GlowColor,
                         int Offset, unsigned Format);
// A 12-pixel halo behind the text.
int DrawWideTextWithHalo(gdi::TCanvas* Canvas, TRect Rect, const String& Text, TColor Color, unsigned Format);
// The text with a mirrored copy below it, fading out away from the text.
void DrawWideTextWithReflection(gdi::TCanvas* Canvas, TRect Rect, const String& Text, TColor Color, int Offset,
                                unsigned Format);

// Alpha of each Bitmap pixel := truncated mean of the mask pixel's colour
// bytes; pixels the mask does not cover keep their alpha.
void AlphaFromMaskBitmap(TbsBitmap* Bitmap, TbsBitmap* Mask);

}  // namespace skin
