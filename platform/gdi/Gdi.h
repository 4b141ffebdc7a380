// The Windows-style graphics API of the raster layer: device contexts,
// bitmaps, pens, brushes, fonts, regions, blits, primitives and text.
//
// Handles are pointers to objects owned by the layer; every call checks the
// handle against the live set first, so a stale or foreign handle fails
// (FALSE / nullptr / ERROR) instead of crashing. Objects are created and
// deleted explicitly (DeleteObject, DeleteDC); an object still selected into
// a DC is only marked and freed when it is deselected or the DC goes.
// Coordinates given to drawing calls are logical: device = logical - window
// origin + viewport origin. Clip regions are in device coordinates.
// Alpha byte: fills, lines and text leave it unchanged; 32->32 copies copy it;
// copies from 24-bit or palette sources write 255.
// Threads: calls are serialised by one lock on the handle table, but a DC and
// the surface it draws into must be used by one thread at a time.
#pragma once

#include <memory>
#include <string>

#include "platform/gdi/GdiTypes.h"
#include "platform/gdi/Region.h"
#include "platform/gdi/Surface.h"

namespace gdi {

// The objects behind the handles. Their layout is the layer's business: use
// the functions below. They are complete here only so that a handle converts
// to HGDIOBJ as it does on Windows.
class FontFace;
struct GdiObject {
  explicit GdiObject(UINT t) : type(t) {}
  virtual ~GdiObject() = default;
  UINT type;
  int selectedCount = 0;    // DCs holding it selected
  bool deletePending = false;
  bool stock = false;
};

struct BitmapObject : GdiObject {
  BitmapObject() : GdiObject(OBJ_BITMAP) {}
  std::unique_ptr<Surface> surface;
};

struct PenObject : GdiObject {
  PenObject() : GdiObject(OBJ_PEN) {}
  LOGPEN lp;
  bool dcPen = false;  // DC_PEN stock: colour from the DC
};

struct BrushObject : GdiObject {
  BrushObject() : GdiObject(OBJ_BRUSH) {}
  LOGBRUSH lb;
  std::unique_ptr<Surface> pattern;  // BS_PATTERN: 32-bit copy
  bool dcBrush = false;
};

class FontFace;  // Text.cpp
struct FontObject : GdiObject {
  FontObject() : GdiObject(OBJ_FONT) {}
  LOGFONTW lf;
  std::shared_ptr<FontFace> face;  // resolved lazily
};

struct RegionObject : GdiObject {
  RegionObject() : GdiObject(OBJ_REGION) {}
  Region rgn;
};

// ---- Device contexts -------------------------------------------------------
HDC CreateCompatibleDC(HDC dc);  // memory DC holding a 1x1 stock bitmap until one is selected
BOOL DeleteDC(HDC dc);
// A DC over memory the caller owns (a window's back buffer): device point
// (0, 0) lies at `origin` in the surface, and nothing is ever drawn outside
// `visible` (surface coordinates). The surface must outlive the DC.
HDC CreateSurfaceDC(Surface* surface, POINT origin, const Region& visible);
// Re-targets such a DC (window moved or resized, visible region changed).
BOOL SetSurfaceDCView(HDC dc, Surface* surface, POINT origin, const Region& visible);
Surface* GetDCSurface(HDC dc);   // the surface drawn into (selected bitmap or wrapped memory)
POINT GetDCOrigin(HDC dc);       // device (0, 0) in surface coordinates
int GetDeviceCaps(HDC dc, int index);

HGDIOBJ SelectObject(HDC dc, HGDIOBJ obj);
HGDIOBJ GetCurrentObject(HDC dc, UINT type);
HGDIOBJ GetStockObject(int index);
BOOL DeleteObject(HGDIOBJ obj);
int GetObject(HGDIOBJ obj, int size, void* out);  // BITMAP / DIBSECTION / LOGPEN / LOGBRUSH / LOGFONTW
DWORD GetObjectType(HGDIOBJ obj);
DWORD GetObjectType(HDC dc);  // OBJ_MEMDC or OBJ_DC

int SaveDC(HDC dc);
BOOL RestoreDC(HDC dc, int saved);  // positive: that level; negative: relative to the top

BOOL SetViewportOrgEx(HDC dc, int x, int y, POINT* old);
BOOL OffsetViewportOrgEx(HDC dc, int dx, int dy, POINT* old);
BOOL GetViewportOrgEx(HDC dc, POINT* out);
BOOL SetWindowOrgEx(HDC dc, int x, int y, POINT* old);
BOOL OffsetWindowOrgEx(HDC dc, int dx, int dy, POINT* old);
BOOL GetWindowOrgEx(HDC dc, POINT* out);
BOOL SetBrushOrgEx(HDC dc, int x, int y, POINT* old);
BOOL LPtoDP(HDC dc, POINT* pts, int count);
BOOL DPtoLP(HDC dc, POINT* pts, int count);

int SelectClipRgn(HDC dc, HRGN rgn);  // a copy is taken; nullptr removes the clip
int ExtSelectClipRgn(HDC dc, HRGN rgn, int mode);
int IntersectClipRect(HDC dc, int left, int top, int right, int bottom);
int ExcludeClipRect(HDC dc, int left, int top, int right, int bottom);
int OffsetClipRgn(HDC dc, int dx, int dy);
int GetClipBox(HDC dc, RECT* out);            // logical coordinates
int GetClipRgn(HDC dc, HRGN out);             // 1 with a clip, 0 without, -1 on error
BOOL PtVisible(HDC dc, int x, int y);
BOOL RectVisible(HDC dc, const RECT* r);

int SetBkMode(HDC dc, int mode);
int GetBkMode(HDC dc);
COLORREF SetBkColor(HDC dc, COLORREF c);
COLORREF GetBkColor(HDC dc);
COLORREF SetTextColor(HDC dc, COLORREF c);
COLORREF GetTextColor(HDC dc);
int SetROP2(HDC dc, int rop2);
int GetROP2(HDC dc);
int SetStretchBltMode(HDC dc, int mode);
int GetStretchBltMode(HDC dc);
UINT SetTextAlign(HDC dc, UINT align);
UINT GetTextAlign(HDC dc);
COLORREF SetDCBrushColor(HDC dc, COLORREF c);
COLORREF SetDCPenColor(HDC dc, COLORREF c);

// ---- Bitmaps ---------------------------------------------------------------
// bits receives the pixel pointer; 1/4/8/24/32 bpp, negative height = top-down.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, void* section,
                         DWORD offset);
HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height);  // 32-bit top-down
HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitsPerPixel, const void* bits);
Surface* GetBitmapSurface(HBITMAP bmp);
// A bitmap handle that takes over an existing surface.
HBITMAP CreateBitmapFromSurface(std::unique_ptr<Surface> s);
// Rows [start, start+lines) counted from the bottom as Windows does; bits may
// be nullptr to only fill in the header. Returns the number of lines copied.
int GetDIBits(HDC dc, HBITMAP bmp, UINT start, UINT lines, void* bits, BITMAPINFO* info, UINT usage);
int SetDIBits(HDC dc, HBITMAP bmp, UINT start, UINT lines, const void* bits, const BITMAPINFO* info,
              UINT usage);
int SetDIBitsToDevice(HDC dc, int xDest, int yDest, DWORD w, DWORD h, int xSrc, int ySrc, UINT startScan,
                      UINT lines, const void* bits, const BITMAPINFO* info, UINT usage);
int StretchDIBits(HDC dc, int xDest, int yDest, int wDest, int hDest, int xSrc, int ySrc, int wSrc,
                  int hSrc, const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop);

// ---- Raster operations -----------------------------------------------------
BOOL BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int xSrc, int ySrc, DWORD rop);
// Nearest neighbour; negative sizes mirror.
BOOL StretchBlt(HDC dst, int x, int y, int w, int h, HDC src, int xSrc, int ySrc, int wSrc, int hSrc,
                DWORD rop);
BOOL PatBlt(HDC dc, int x, int y, int w, int h, DWORD rop);
// Source alpha per AC_SRC_ALPHA (premultiplied, as Windows expects) and the
// constant alpha; the result alpha is composed too.
BOOL AlphaBlend(HDC dst, int x, int y, int w, int h, HDC src, int xSrc, int ySrc, int wSrc, int hSrc,
                BLENDFUNCTION blend);
// Copies (stretching) every source pixel whose colour differs from `transparent`.
BOOL TransparentBlt(HDC dst, int x, int y, int w, int h, HDC src, int xSrc, int ySrc, int wSrc, int hSrc,
                    UINT transparent);
BOOL GradientFill(HDC dc, const TRIVERTEX* vertices, UINT nVertices, const void* mesh, UINT nMesh,
                  UINT mode);
COLORREF SetPixel(HDC dc, int x, int y, COLORREF c);
BOOL SetPixelV(HDC dc, int x, int y, COLORREF c);
COLORREF GetPixel(HDC dc, int x, int y);

// ---- Pens, brushes, primitives --------------------------------------------
HPEN CreatePen(int style, int width, COLORREF c);
HPEN CreatePenIndirect(const LOGPEN* lp);
HBRUSH CreateSolidBrush(COLORREF c);
HBRUSH CreateHatchBrush(int hatch, COLORREF c);
HBRUSH CreatePatternBrush(HBITMAP bmp);  // the bitmap is copied
HBRUSH CreateBrushIndirect(const LOGBRUSH* lb);

BOOL MoveToEx(HDC dc, int x, int y, POINT* old);
BOOL GetCurrentPositionEx(HDC dc, POINT* out);
BOOL LineTo(HDC dc, int x, int y);  // the end point is not drawn
BOOL Polyline(HDC dc, const POINT* pts, int count);
BOOL PolylineTo(HDC dc, const POINT* pts, DWORD count);
BOOL Polygon(HDC dc, const POINT* pts, int count);  // alternate fill
BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);
BOOL RoundRect(HDC dc, int left, int top, int right, int bottom, int ew, int eh);
BOOL Ellipse(HDC dc, int left, int top, int right, int bottom);
BOOL Arc(HDC dc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd);
BOOL Pie(HDC dc, int left, int top, int right, int bottom, int xStart, int yStart, int xEnd, int yEnd);
int FillRect(HDC dc, const RECT* r, HBRUSH brush);
int FrameRect(HDC dc, const RECT* r, HBRUSH brush);
BOOL InvertRect(HDC dc, const RECT* r);
BOOL DrawFocusRect(HDC dc, const RECT* r);  // dotted XOR frame: twice restores
BOOL DrawEdge(HDC dc, RECT* r, UINT edge, UINT flags);
BOOL DrawFrameControl(HDC dc, RECT* r, UINT type, UINT state);

// ---- Regions ---------------------------------------------------------------
HRGN CreateRectRgn(int left, int top, int right, int bottom);
HRGN CreateRectRgnIndirect(const RECT* r);
HRGN CreateEllipticRgn(int left, int top, int right, int bottom);
HRGN CreateEllipticRgnIndirect(const RECT* r);
HRGN CreateRoundRectRgn(int left, int top, int right, int bottom, int ew, int eh);
HRGN CreatePolygonRgn(const POINT* pts, int count, int fillMode);
HRGN ExtCreateRegion(const void* xform, DWORD size, const RGNDATA* data);
DWORD GetRegionData(HRGN rgn, DWORD size, RGNDATA* out);  // bytes needed when out is nullptr
int CombineRgn(HRGN dst, HRGN a, HRGN b, int mode);
int OffsetRgn(HRGN rgn, int dx, int dy);
BOOL SetRectRgn(HRGN rgn, int left, int top, int right, int bottom);
BOOL EqualRgn(HRGN a, HRGN b);
BOOL PtInRegion(HRGN rgn, int x, int y);
BOOL RectInRegion(HRGN rgn, const RECT* r);
int GetRgnBox(HRGN rgn, RECT* out);
BOOL FillRgn(HDC dc, HRGN rgn, HBRUSH brush);
BOOL FrameRgn(HDC dc, HRGN rgn, HBRUSH brush, int w, int h);
BOOL InvertRgn(HDC dc, HRGN rgn);
BOOL PaintRgn(HDC dc, HRGN rgn);
const Region* GetRegion(HRGN rgn);  // the region behind a handle (valid until it changes)
HRGN CreateRegionHandle(const Region& r);

// ---- Text ------------------------------------------------------------------
HFONT CreateFontIndirect(const LOGFONTW* lf);
HFONT CreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                 DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision, DWORD clipPrecision,
                 DWORD quality, DWORD pitchAndFamily, const WCHAR* face);
BOOL GetTextMetrics(HDC dc, TEXTMETRICW* tm);
BOOL GetTextExtentPoint32(HDC dc, const WCHAR* text, int count, SIZE* out);
BOOL GetTextExtentExPoint(HDC dc, const WCHAR* text, int count, int maxExtent, int* fit, int* dx,
                          SIZE* out);
BOOL TextOut(HDC dc, int x, int y, const WCHAR* text, int count);
BOOL ExtTextOut(HDC dc, int x, int y, UINT options, const RECT* r, const WCHAR* text, UINT count,
                const int* dx);
// count -1: text is zero-terminated. Returns the height of the text drawn.
int DrawText(HDC dc, const WCHAR* text, int count, RECT* r, UINT format);
int DrawTextEx(HDC dc, WCHAR* text, int count, RECT* r, UINT format, DRAWTEXTPARAMS* params);
LONG TabbedTextOut(HDC dc, int x, int y, const WCHAR* text, int count, int nTabs, const int* tabs,
                   int tabOrigin);
// Overloads for the runtime library's strings.
inline int DrawText(HDC dc, const rtl::String& s, RECT* r, UINT format) {
  return DrawText(dc, s.c_str(), int(s.size()), r, format);
}
inline BOOL TextOut(HDC dc, int x, int y, const rtl::String& s) {
  return TextOut(dc, x, y, s.c_str(), int(s.size()));
}

// The wide-character names the converter's code uses.
inline int DrawTextW(HDC dc, const WCHAR* t, int n, RECT* r, UINT f) { return DrawText(dc, t, n, r, f); }
inline int DrawTextExW(HDC dc, WCHAR* t, int n, RECT* r, UINT f, DRAWTEXTPARAMS* p) {
  return DrawTextEx(dc, t, n, r, f, p);
}
inline BOOL TextOutW(HDC dc, int x, int y, const WCHAR* t, int n) { return TextOut(dc, x, y, t, n); }
inline BOOL ExtTextOutW(HDC dc, int x, int y, UINT o, const RECT* r, const WCHAR* t, UINT n, const int* dx) {
  return ExtTextOut(dc, x, y, o, r, t, n, dx);
}
inline BOOL GetTextExtentPoint32W(HDC dc, const WCHAR* t, int n, SIZE* s) { return GetTextExtentPoint32(dc, t, n, s); }
inline BOOL GetTextExtentExPointW(HDC dc, const WCHAR* t, int n, int max, int* fit, int* dx, SIZE* s) {
  return GetTextExtentExPoint(dc, t, n, max, fit, dx, s);
}
inline BOOL GetTextMetricsW(HDC dc, TEXTMETRICW* tm) { return GetTextMetrics(dc, tm); }
inline HFONT CreateFontIndirectW(const LOGFONTW* lf) { return CreateFontIndirect(lf); }
inline int GetObjectW(HGDIOBJ o, int size, void* out) { return GetObject(o, size, out); }
inline LONG TabbedTextOutW(HDC dc, int x, int y, const WCHAR* t, int n, int nt, const int* tabs, int origin) {
  return TabbedTextOut(dc, x, y, t, n, nt, tabs, origin);
}

// ---- System colours and metrics -------------------------------------------
constexpr int COLOR_SCROLLBAR = 0, COLOR_BACKGROUND = 1, COLOR_ACTIVECAPTION = 2, COLOR_INACTIVECAPTION = 3,
              COLOR_MENU = 4, COLOR_WINDOW = 5, COLOR_WINDOWFRAME = 6, COLOR_MENUTEXT = 7,
              COLOR_WINDOWTEXT = 8, COLOR_CAPTIONTEXT = 9, COLOR_ACTIVEBORDER = 10, COLOR_INACTIVEBORDER = 11,
              COLOR_APPWORKSPACE = 12, COLOR_HIGHLIGHT = 13, COLOR_HIGHLIGHTTEXT = 14, COLOR_BTNFACE = 15,
              COLOR_BTNSHADOW = 16, COLOR_GRAYTEXT = 17, COLOR_BTNTEXT = 18, COLOR_INACTIVECAPTIONTEXT = 19,
              COLOR_BTNHIGHLIGHT = 20, COLOR_3DDKSHADOW = 21, COLOR_3DLIGHT = 22, COLOR_INFOTEXT = 23,
              COLOR_INFOBK = 24, COLOR_HOTLIGHT = 26, COLOR_GRADIENTACTIVECAPTION = 27,
              COLOR_GRADIENTINACTIVECAPTION = 28, COLOR_MENUHILIGHT = 29, COLOR_MENUBAR = 30,
              COLOR_3DFACE = COLOR_BTNFACE, COLOR_3DSHADOW = COLOR_BTNSHADOW,
              COLOR_3DHIGHLIGHT = COLOR_BTNHIGHLIGHT, COLOR_3DHILIGHT = COLOR_BTNHIGHLIGHT,
              COLOR_BTNHILIGHT = COLOR_BTNHIGHLIGHT, COLOR_DESKTOP = COLOR_BACKGROUND;
DWORD GetSysColor(int index);          // classic Windows default palette; 0 for unknown indexes
HBRUSH GetSysColorBrush(int index);    // stock brush, never to be deleted

// Debug helper: writes what the DC's surface holds (or a surface) to a PNG.
// Alpha is written as is when `withAlpha`, else the image is opaque.
bool WriteSurfacePng(const Surface& s, const std::string& path, bool withAlpha = false);
bool WriteDCPng(HDC dc, const std::string& path, bool withAlpha = false);

}  // namespace gdi
