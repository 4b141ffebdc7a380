// What a parent shows under one of its controls, painted into a canvas, so
// that a partly transparent control can draw itself over it: the parent's
// background and content, then the graphic siblings that lie below the
// control in the parent's control list.
//
// GUI thread only.
#pragma once

#include "platform/forms/Controls.h"
#include "platform/gdi/Canvas.h"
#include "platform/rtl/Types.h"

namespace skin {

// Paints, at the canvas's (0, 0), the parent's look under the control.
// Nothing for a null control or one without a parent.
void PaintParentBackground(forms::TControl* Control, gdi::TCanvas* Canvas);
// The same for the part R of the control (in its client coordinates) at the
// canvas's (0, 0): a page control paints its tab area this way.
void PaintPageControlParentBackground(forms::TControl* Control, const rtl::TRect& R, gdi::TCanvas* Canvas);

}  // namespace skin
