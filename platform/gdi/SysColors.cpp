// System colours: the classic Windows scheme, fixed so that plain looks are
// the same on every machine.
#include "platform/gdi/Colors.h"
#include "platform/gdi/GdiObjects.h"

namespace gdi {

namespace {
constexpr int kCount = 31;
constexpr COLORREF kColors[kCount] = {
    RGB(212, 208, 200), RGB(58, 110, 165),  RGB(10, 36, 106),   RGB(128, 128, 128), RGB(212, 208, 200),
    RGB(255, 255, 255), RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(0, 0, 0),       RGB(255, 255, 255),
    RGB(212, 208, 200), RGB(212, 208, 200), RGB(128, 128, 128), RGB(10, 36, 106),   RGB(255, 255, 255),
    RGB(212, 208, 200), RGB(128, 128, 128), RGB(128, 128, 128), RGB(0, 0, 0),       RGB(212, 208, 200),
    RGB(255, 255, 255), RGB(64, 64, 64),    RGB(212, 208, 200), RGB(0, 0, 0),       RGB(255, 255, 225),
    RGB(181, 181, 181), RGB(0, 0, 128),     RGB(166, 202, 240), RGB(192, 192, 192), RGB(10, 36, 106),
    RGB(212, 208, 200)};
}  // namespace

DWORD GetSysColor(int index) { return index >= 0 && index < kCount ? kColors[index] : 0; }

HBRUSH GetSysColorBrush(int index) {
  if (index < 0 || index >= kCount) return nullptr;
  std::lock_guard lock(GdiLock());
  static HBRUSH brushes[kCount] = {};
  if (!brushes[index]) {
    auto* b = new BrushObject;
    b->lb.lbColor = kColors[index];
    b->stock = true;
    RegisterHandle(b);
    brushes[index] = b;
  }
  return brushes[index];
}

COLORREF ColorToRGB(TColor c) {
  if (c < 0) return GetSysColor(c & 0xFF);
  return COLORREF(c) & 0xFFFFFF;
}

}  // namespace gdi
