// Pictures of forms for tests and galleries: any form or control, frame
// included, written to a PNG file from the headless back end.
#pragma once

#include <string>

#include "platform/forms/Controls.h"

namespace forms {

// Paints what is pending and writes the control's whole window (a form's
// frame and client area) to a PNG file. A hidden form is shown without
// activation for the picture and hidden again. False when there is nothing to
// write (no window, empty size, no headless back end).
bool RenderToPng(TWinControl* control, const std::string& path);
// The client area only.
bool RenderClientToPng(TWinControl* control, const std::string& path);

}  // namespace forms
