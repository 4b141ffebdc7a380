// A region as a list of rectangles in y-x banded form: rectangles sorted by
// top, then left; rectangles of one band share top and bottom, never touch or
// overlap horizontally; vertically adjacent bands with the same spans are
// merged. The canonical form makes equality a plain list comparison.
// Value type; no threads concern.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/rtl/Types.h"

namespace gdi {

// Shapes made from curves (ellipses, round rectangles, polygons) are built
// only within +-kShapeLimit rows; no surface reaches that far.
constexpr int kShapeLimit = 1 << 16;

class Region {
 public:
  enum class Op { And, Or, Xor, Diff };

  Region() = default;
  explicit Region(const rtl::TRect& r);

  static Region Combine(const Region& a, const Region& b, Op op);
  // Rectangles in any order and overlap; normalised on the way in.
  static Region FromRects(const std::vector<rtl::TRect>& rects);
  static Region Ellipse(const rtl::TRect& bounds);
  static Region RoundRect(const rtl::TRect& bounds, int ellipseWidth, int ellipseHeight);

  const std::vector<rtl::TRect>& Rects() const { return rects_; }
  bool IsEmpty() const { return rects_.empty(); }
  rtl::TRect Box() const;
  bool Contains(rtl::TPoint p) const;
  bool Intersects(const rtl::TRect& r) const;
  // Edges pushed past the int range stop at its ends.
  void Offset(std::int64_t dx, std::int64_t dy);
  Region Intersect(const rtl::TRect& r) const;
  friend bool operator==(const Region&, const Region&) = default;

 private:
  std::vector<rtl::TRect> rects_;
};

}  // namespace gdi
