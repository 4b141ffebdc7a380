// The framework's colour values: TColor constants, system colours as
// negative values (0xFF000000 | COLOR_xxx) and their resolution.
#pragma once

#include "platform/gdi/GdiTypes.h"
#include "platform/rtl/Types.h"

namespace gdi {

using rtl::TColor;

constexpr TColor SysColorValue(int index) { return TColor(0xFF000000u | unsigned(index)); }

constexpr TColor clScrollBar = SysColorValue(0), clBackground = SysColorValue(1),
                 clActiveCaption = SysColorValue(2), clInactiveCaption = SysColorValue(3),
                 clMenu = SysColorValue(4), clWindow = SysColorValue(5), clWindowFrame = SysColorValue(6),
                 clMenuText = SysColorValue(7), clWindowText = SysColorValue(8),
                 clCaptionText = SysColorValue(9), clActiveBorder = SysColorValue(10),
                 clInactiveBorder = SysColorValue(11), clAppWorkSpace = SysColorValue(12),
                 clHighlight = SysColorValue(13), clHighlightText = SysColorValue(14),
                 clBtnFace = SysColorValue(15), clBtnShadow = SysColorValue(16), clGrayText = SysColorValue(17),
                 clBtnText = SysColorValue(18), clInactiveCaptionText = SysColorValue(19),
                 clBtnHighlight = SysColorValue(20), cl3DDkShadow = SysColorValue(21),
                 cl3DLight = SysColorValue(22), clInfoText = SysColorValue(23), clInfoBk = SysColorValue(24),
                 clHotLight = SysColorValue(26), clGradientActiveCaption = SysColorValue(27),
                 clGradientInactiveCaption = SysColorValue(28), clMenuHighlight = SysColorValue(29),
                 clMenuBar = SysColorValue(30);

constexpr TColor clBlack = 0x000000, clMaroon = 0x000080, clGreen = 0x008000, clOlive = 0x008080,
                 clNavy = 0x800000, clPurple = 0x800080, clTeal = 0x808000, clGray = 0x808080,
                 clSilver = 0xC0C0C0, clRed = 0x0000FF, clLime = 0x00FF00, clYellow = 0x00FFFF,
                 clBlue = 0xFF0000, clFuchsia = 0xFF00FF, clAqua = 0xFFFF00, clLtGray = 0xC0C0C0,
                 clDkGray = 0x808080, clWhite = 0xFFFFFF, clMoneyGreen = 0xC0DCC0, clSkyBlue = 0xF0CAA6,
                 clCream = 0xF0FBFF, clMedGray = 0xA4A0A0, clNone = 0x1FFFFFFF, clDefault = 0x20000000;

// System colours resolve through GetSysColor; other values keep their low 24 bits.
COLORREF ColorToRGB(TColor c);

}  // namespace gdi
