// Internal: the objects behind the handles, the handle table and the helpers
// the drawing files share. Not for use outside platform/gdi.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/gdi/Gdi.h"

namespace gdi {

struct DCState {
  POINT viewportOrg, windowOrg, brushOrg, pos;
  std::optional<Region> clip;  // device coordinates
  HPEN pen = nullptr;
  HBRUSH brush = nullptr;
  HFONT font = nullptr;
  HBITMAP bitmap = nullptr;
  COLORREF textColor = 0, bkColor = 0xFFFFFF, dcBrushColor = 0xFFFFFF, dcPenColor = 0;
  int bkMode = OPAQUE, rop2 = R2_COPYPEN, stretchMode = BLACKONWHITE;
  UINT textAlign = 0;
};

struct DeviceContext {
  bool memoryDC = true;
  Surface* wrapped = nullptr;  // surface DCs
  POINT origin;                // device (0,0) in surface coordinates
  Region visible;              // surface DCs: surface coordinates
  DCState st;
  std::vector<DCState> saved;

  Surface* surface() const;
  // Effective clip in surface coordinates (recomputed on demand).
  const Region& clipRegion();
  void invalidateClip() { clipValid = false; }
  // Coordinate sums are taken in 64 bits and pinned to the int range: an
  // origin near the ends of the range must not wrap a shape back onto the
  // surface (nor overflow), only push it out of reach of the clip.
  POINT toSurface(int x, int y) const { return {Pin(x + dx()), Pin(y + dy())}; }
  POINT toDevice(int x, int y) const {
    return {Pin(std::int64_t(x) - st.windowOrg.X + st.viewportOrg.X),
            Pin(std::int64_t(y) - st.windowOrg.Y + st.viewportOrg.Y)};
  }
  // logical -> surface offset (may exceed the int range)
  std::int64_t dx() const { return -std::int64_t(st.windowOrg.X) + st.viewportOrg.X + origin.X; }
  std::int64_t dy() const { return -std::int64_t(st.windowOrg.Y) + st.viewportOrg.Y + origin.Y; }
  static int Pin(std::int64_t v) { return int(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX)); }

 private:
  Region clipCache;
  bool clipValid = false;
};

// Handle table. Lock() serialises the public entry points.
std::recursive_mutex& GdiLock();
bool IsLive(const void* handle, bool dc);
void RegisterHandle(const void* handle, bool dc = false);
void UnregisterHandle(const void* handle, bool dc = false);
template <class T>
T* Checked(T* h, UINT type) {
  if (!h || !IsLive(h, std::is_same_v<T, DeviceContext>)) return nullptr;
  if constexpr (std::is_base_of_v<GdiObject, T>) {
    if (type && h->type != type) return nullptr;
  }
  return h;
}
inline DeviceContext* CheckedDC(HDC dc) { return Checked(dc, 0); }
void ReleaseSelected(GdiObject* o);  // deselect bookkeeping, frees when pending

// Colour conversions between COLORREF (0x00BBGGRR) and pixels (0xAARRGGBB).
inline std::uint32_t RefToPixel(COLORREF c) {
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
inline COLORREF PixelToRef(std::uint32_t p) {
  return ((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16);
}

// Shared drawing helpers (Primitives.cpp). Rectangles are in surface coordinates.
COLORREF BrushColor(DeviceContext* dc, BrushObject* b);
COLORREF PenColor(DeviceContext* dc, PenObject* p);
// Fills r (surface coords) clipped by the DC clip with the brush through the
// given ternary raster operation (pattern-only ops).
void FillSurfaceRect(DeviceContext* dc, RECT r, BrushObject* brush, DWORD rop);
// Applies the DC's binary raster operation with a solid colour to a span.
void Rop2Span(std::uint32_t* px, int n, std::uint32_t color, int rop2);
// Plots a horizontal span y, [x0, x1) in surface coordinates, clipped, with the pen rop.
void PenSpan(DeviceContext* dc, int y, int x0, int x1, std::uint32_t color);
// The core of every blit. (x, y, w, h) are in surface coordinates of dst
// (negative sizes mirror); src may be null for pattern-only operations.
struct BlitOp {
  enum Kind { Rop, Alpha, Transparent } kind = Rop;
  DWORD rop = SRCCOPY;
  BLENDFUNCTION bf;
  std::uint32_t key = 0;  // 0x00RRGGBB
};
bool BlitSurface(DeviceContext* dst, int x, int y, int w, int h, const Surface* src, int sx, int sy, int sw,
                 int sh, const BlitOp& op);

// The brush pixel at a surface position (patterns/hatches depend on it).
std::uint32_t BrushPixelAt(DeviceContext* dc, BrushObject* b, int x, int y, bool* transparentHatch);

}  // namespace gdi
