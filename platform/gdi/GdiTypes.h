// Win32-style basic types, structures and constants of the raster layer.
//
// The converter's drawing code is written against the Windows graphics API;
// these are the names it calls, with their Windows values, so that code reads
// (and raster-operation codes decode) exactly as it would there. RECT is the
// runtime library's TRect (exclusive Right/Bottom), POINT and SIZE likewise.
#pragma once

#include <cstdint>

#include "platform/rtl/Types.h"

namespace gdi {

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using LONG = std::int32_t;
using INT = int;
using WCHAR = char16_t;
using COLORREF = std::uint32_t;  // 0x00BBGGRR
constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

using RECT = rtl::TRect;
using POINT = rtl::TPoint;
using SIZE = rtl::TSize;

constexpr COLORREF RGB(int r, int g, int b) {
  return COLORREF(r & 0xFF) | (COLORREF(g & 0xFF) << 8) | (COLORREF(b & 0xFF) << 16);
}
constexpr BYTE GetRValue(COLORREF c) { return BYTE(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return BYTE((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return BYTE((c >> 16) & 0xFF); }
constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

// Handles. Each kind is a distinct pointer type so that overloads and
// mistakes show at compile time; all GDI objects convert to HGDIOBJ.
struct GdiObject;
struct BitmapObject;
struct PenObject;
struct BrushObject;
struct FontObject;
struct RegionObject;
struct DeviceContext;
using HGDIOBJ = GdiObject*;
using HBITMAP = BitmapObject*;
using HPEN = PenObject*;
using HBRUSH = BrushObject*;
using HFONT = FontObject*;
using HRGN = RegionObject*;
using HDC = DeviceContext*;

// Object types (GetObjectType, GetCurrentObject).
constexpr UINT OBJ_PEN = 1, OBJ_BRUSH = 2, OBJ_DC = 3, OBJ_FONT = 6, OBJ_BITMAP = 7, OBJ_REGION = 8,
               OBJ_MEMDC = 10;

// Stock objects.
constexpr int WHITE_BRUSH = 0, LTGRAY_BRUSH = 1, GRAY_BRUSH = 2, DKGRAY_BRUSH = 3, BLACK_BRUSH = 4,
              NULL_BRUSH = 5, HOLLOW_BRUSH = 5, WHITE_PEN = 6, BLACK_PEN = 7, NULL_PEN = 8,
              ANSI_VAR_FONT = 12, SYSTEM_FONT = 13, DEFAULT_GUI_FONT = 17, DC_BRUSH = 18, DC_PEN = 19;

// Ternary raster operations.
constexpr DWORD SRCCOPY = 0x00CC0020, SRCPAINT = 0x00EE0086, SRCAND = 0x008800C6, SRCINVERT = 0x00660046,
                SRCERASE = 0x00440328, NOTSRCCOPY = 0x00330008, NOTSRCERASE = 0x001100A6,
                MERGECOPY = 0x00C000CA, MERGEPAINT = 0x00BB0226, PATCOPY = 0x00F00021, PATPAINT = 0x00FB0A09,
                PATINVERT = 0x005A0049, DSTINVERT = 0x00550009, BLACKNESS = 0x00000042,
                WHITENESS = 0x00FF0062;

// Binary (pen) raster operations.
constexpr int R2_BLACK = 1, R2_NOTMERGEPEN = 2, R2_MASKNOTPEN = 3, R2_NOTCOPYPEN = 4, R2_MASKPENNOT = 5,
              R2_NOT = 6, R2_XORPEN = 7, R2_NOTMASKPEN = 8, R2_MASKPEN = 9, R2_NOTXORPEN = 10, R2_NOP = 11,
              R2_MERGENOTPEN = 12, R2_COPYPEN = 13, R2_MERGEPENNOT = 14, R2_MERGEPEN = 15, R2_WHITE = 16;

constexpr int TRANSPARENT = 1, OPAQUE = 2;
constexpr int BLACKONWHITE = 1, WHITEONBLACK = 2, COLORONCOLOR = 3, HALFTONE = 4;

// Pens and brushes.
constexpr UINT PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_DASHDOT = 3, PS_DASHDOTDOT = 4, PS_NULL = 5,
               PS_INSIDEFRAME = 6;
constexpr UINT BS_SOLID = 0, BS_NULL = 1, BS_HOLLOW = 1, BS_HATCHED = 2, BS_PATTERN = 3;
constexpr int HS_HORIZONTAL = 0, HS_VERTICAL = 1, HS_FDIAGONAL = 2, HS_BDIAGONAL = 3, HS_CROSS = 4,
              HS_DIAGCROSS = 5;

struct LOGPEN {
  UINT lopnStyle = PS_SOLID;
  POINT lopnWidth{1, 0};
  COLORREF lopnColor = 0;
};
struct LOGBRUSH {
  UINT lbStyle = BS_SOLID;
  COLORREF lbColor = 0;
  std::uintptr_t lbHatch = 0;
};

// Fonts.
constexpr int LF_FACESIZE = 32;
constexpr LONG FW_DONTCARE = 0, FW_THIN = 100, FW_LIGHT = 300, FW_NORMAL = 400, FW_MEDIUM = 500,
               FW_SEMIBOLD = 600, FW_BOLD = 700, FW_HEAVY = 900;
constexpr BYTE DEFAULT_CHARSET = 1, ANSI_CHARSET = 0, GB2312_CHARSET = 134;
struct LOGFONTW {
  LONG lfHeight = 0;  // < 0: character (em) height; > 0: cell height; 0: default size
  LONG lfWidth = 0;
  LONG lfEscapement = 0;
  LONG lfOrientation = 0;
  LONG lfWeight = FW_NORMAL;
  BYTE lfItalic = 0;
  BYTE lfUnderline = 0;
  BYTE lfStrikeOut = 0;
  BYTE lfCharSet = DEFAULT_CHARSET;
  BYTE lfOutPrecision = 0;
  BYTE lfClipPrecision = 0;
  BYTE lfQuality = 0;
  BYTE lfPitchAndFamily = 0;
  WCHAR lfFaceName[LF_FACESIZE] = {};
};
struct TEXTMETRICW {
  LONG tmHeight = 0, tmAscent = 0, tmDescent = 0, tmInternalLeading = 0, tmExternalLeading = 0;
  LONG tmAveCharWidth = 0, tmMaxCharWidth = 0, tmWeight = 0, tmOverhang = 0;
  LONG tmDigitizedAspectX = 96, tmDigitizedAspectY = 96;
  WCHAR tmFirstChar = 0x20, tmLastChar = 0xFFFF, tmDefaultChar = 0x3F, tmBreakChar = 0x20;
  BYTE tmItalic = 0, tmUnderlined = 0, tmStruckOut = 0, tmPitchAndFamily = 0, tmCharSet = DEFAULT_CHARSET;
};

// Bitmaps.
constexpr DWORD BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3;
constexpr UINT DIB_RGB_COLORS = 0, DIB_PAL_COLORS = 1;
struct RGBQUAD {
  BYTE rgbBlue = 0, rgbGreen = 0, rgbRed = 0, rgbReserved = 0;
};
struct BITMAPINFOHEADER {
  DWORD biSize = 40;
  LONG biWidth = 0;
  LONG biHeight = 0;  // negative: rows top-down
  WORD biPlanes = 1;
  WORD biBitCount = 0;
  DWORD biCompression = BI_RGB;
  DWORD biSizeImage = 0;
  LONG biXPelsPerMeter = 0, biYPelsPerMeter = 0;
  DWORD biClrUsed = 0, biClrImportant = 0;
};
// bmiColors holds up to 256 entries here (Windows declares 1 and over-allocates).
struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[256];
};
struct BITMAP {
  LONG bmType = 0, bmWidth = 0, bmHeight = 0, bmWidthBytes = 0;
  WORD bmPlanes = 1, bmBitsPixel = 0;
  void* bmBits = nullptr;
};
struct DIBSECTION {
  BITMAP dsBm;
  BITMAPINFOHEADER dsBmih;
  DWORD dsBitfields[3] = {};
  void* dshSection = nullptr;
  DWORD dsOffset = 0;
};

// Regions.
constexpr int ERROR = 0, NULLREGION = 1, SIMPLEREGION = 2, COMPLEXREGION = 3;
constexpr int RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5;
constexpr DWORD RDH_RECTANGLES = 1;
struct RGNDATAHEADER {
  DWORD dwSize = 32, iType = RDH_RECTANGLES, nCount = 0, nRgnSize = 0;
  RECT rcBound;
};
// RGNDATA: an RGNDATAHEADER followed by nCount RECTs (16 bytes each) in one buffer.
struct RGNDATA {
  RGNDATAHEADER rdh;
  char Buffer[1];
};

// Blending, gradients.
constexpr BYTE AC_SRC_OVER = 0, AC_SRC_ALPHA = 1;
struct BLENDFUNCTION {
  BYTE BlendOp = AC_SRC_OVER, BlendFlags = 0, SourceConstantAlpha = 255, AlphaFormat = 0;
};
struct TRIVERTEX {
  LONG x = 0, y = 0;
  WORD Red = 0, Green = 0, Blue = 0, Alpha = 0;  // 16-bit channels
};
struct GRADIENT_RECT {
  UINT UpperLeft = 0, LowerRight = 1;
};
constexpr UINT GRADIENT_FILL_RECT_H = 0, GRADIENT_FILL_RECT_V = 1;

// Text.
constexpr UINT ETO_OPAQUE = 2, ETO_CLIPPED = 4;
constexpr UINT TA_LEFT = 0, TA_TOP = 0, TA_UPDATECP = 1, TA_RIGHT = 2, TA_CENTER = 6, TA_BOTTOM = 8,
               TA_BASELINE = 24;
constexpr UINT DT_TOP = 0, DT_LEFT = 0, DT_CENTER = 0x1, DT_RIGHT = 0x2, DT_VCENTER = 0x4, DT_BOTTOM = 0x8,
               DT_WORDBREAK = 0x10, DT_SINGLELINE = 0x20, DT_EXPANDTABS = 0x40, DT_TABSTOP = 0x80,
               DT_NOCLIP = 0x100, DT_EXTERNALLEADING = 0x200, DT_CALCRECT = 0x400, DT_NOPREFIX = 0x800,
               DT_INTERNAL = 0x1000, DT_EDITCONTROL = 0x2000, DT_PATH_ELLIPSIS = 0x4000,
               DT_END_ELLIPSIS = 0x8000, DT_MODIFYSTRING = 0x10000, DT_RTLREADING = 0x20000,
               DT_WORD_ELLIPSIS = 0x40000, DT_NOFULLWIDTHCHARBREAK = 0x80000, DT_HIDEPREFIX = 0x100000,
               DT_PREFIXONLY = 0x200000;
struct DRAWTEXTPARAMS {
  UINT cbSize = sizeof(DRAWTEXTPARAMS);
  int iTabLength = 0, iLeftMargin = 0, iRightMargin = 0;
  UINT uiLengthDrawn = 0;
};

// Edges and frame controls.
constexpr UINT BDR_RAISEDOUTER = 0x1, BDR_SUNKENOUTER = 0x2, BDR_RAISEDINNER = 0x4, BDR_SUNKENINNER = 0x8;
constexpr UINT EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER, EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER,
               EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER, EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;
constexpr UINT BF_LEFT = 0x1, BF_TOP = 0x2, BF_RIGHT = 0x4, BF_BOTTOM = 0x8, BF_TOPLEFT = 0x3,
               BF_BOTTOMRIGHT = 0xC, BF_RECT = 0xF, BF_MIDDLE = 0x800, BF_SOFT = 0x1000, BF_ADJUST = 0x2000,
               BF_FLAT = 0x4000, BF_MONO = 0x8000;
constexpr UINT DFC_CAPTION = 1, DFC_MENU = 2, DFC_SCROLL = 3, DFC_BUTTON = 4;
constexpr UINT DFCS_CAPTIONCLOSE = 0x0, DFCS_CAPTIONMIN = 0x1, DFCS_CAPTIONMAX = 0x2,
               DFCS_CAPTIONRESTORE = 0x3, DFCS_CAPTIONHELP = 0x4;
constexpr UINT DFCS_SCROLLUP = 0x0, DFCS_SCROLLDOWN = 0x1, DFCS_SCROLLLEFT = 0x2, DFCS_SCROLLRIGHT = 0x3,
               DFCS_SCROLLCOMBOBOX = 0x5;
constexpr UINT DFCS_BUTTONCHECK = 0x0, DFCS_BUTTONRADIO = 0x4, DFCS_BUTTONPUSH = 0x10;
constexpr UINT DFCS_MENUARROW = 0x0, DFCS_MENUCHECK = 0x1, DFCS_MENUBULLET = 0x2;
constexpr UINT DFCS_INACTIVE = 0x100, DFCS_PUSHED = 0x200, DFCS_CHECKED = 0x400, DFCS_FLAT = 0x4000,
               DFCS_MONO = 0x8000;

// Device capabilities.
constexpr int HORZRES = 8, VERTRES = 10, BITSPIXEL = 12, PLANES = 14, NUMCOLORS = 24, LOGPIXELSX = 88,
              LOGPIXELSY = 90;

}  // namespace gdi
