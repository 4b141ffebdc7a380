// Internal: text helpers shared by TextOut and DrawText (Text.cpp).
#pragma once

#include "platform/gdi/FontFace.h"
#include "platform/gdi/GdiObjects.h"

namespace gdi {

FontFace* CurrentFace(DeviceContext* dc);
int MeasureRun(FontFace* face, const char32_t* s, int n);
// Draws glyphs with the pen starting at sx on `baseline` (surface coordinates),
// blended in `color`, only inside `clip`; underline/strike-out per the font.
void DrawRun(DeviceContext* dc, FontFace* face, int sx, int baseline, const char32_t* text, int n, const int* dx,
             const Region& clip, std::uint32_t color);
void FillSurfaceSolid(DeviceContext* dc, const Region& area, std::uint32_t color);

}  // namespace gdi
