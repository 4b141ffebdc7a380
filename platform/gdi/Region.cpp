#include "platform/gdi/Region.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace gdi {

using rtl::TRect;

namespace {

struct Span {
  int l, r;
  friend bool operator==(const Span&, const Span&) = default;
};

// Walks a banded rectangle list downwards: SpansAt(y) for increasing y
// costs the size of the bands passed, not of the whole list.
class BandCursor {
 public:
  explicit BandCursor(const std::vector<TRect>& rects) : rects_(rects) {}
  void SpansAt(int y, std::vector<Span>& out) {
    out.clear();
    while (pos_ < rects_.size() && rects_[pos_].Bottom <= y) ++pos_;
    for (std::size_t i = pos_; i < rects_.size() && rects_[i].Top == rects_[pos_].Top; ++i)
      if (rects_[i].Top <= y) out.push_back({rects_[i].Left, rects_[i].Right});
  }

 private:
  const std::vector<TRect>& rects_;
  std::size_t pos_ = 0;
};

// Appends a band [y0, y1) with the spans, merging it into the previous band
// when that one ends at y0 with the same spans.
void AppendBand(std::vector<TRect>& out, std::size_t& lastBandStart, int y0, int y1,
                const std::vector<Span>& spans) {
  if (spans.empty()) return;
  if (lastBandStart < out.size() && out[lastBandStart].Bottom == y0 &&
      out.size() - lastBandStart == spans.size()) {
    bool same = true;
    for (std::size_t i = 0; i < spans.size(); ++i)
      if (out[lastBandStart + i].Left != spans[i].l || out[lastBandStart + i].Right != spans[i].r) {
        same = false;
        break;
      }
    if (same) {
      for (std::size_t i = lastBandStart; i < out.size(); ++i) out[i].Bottom = y1;
      return;
    }
  }
  lastBandStart = out.size();
  for (const Span& s : spans) out.push_back({s.l, y0, s.r, y1});
}

bool Apply(Region::Op op, bool a, bool b) {
  switch (op) {
    case Region::Op::And: return a && b;
    case Region::Op::Or: return a || b;
    case Region::Op::Xor: return a != b;
    case Region::Op::Diff: return a && !b;
  }
  return false;
}

void CombineSpans(const std::vector<Span>& a, const std::vector<Span>& b, Region::Op op,
                  std::vector<Span>& out) {
  out.clear();
  std::vector<int> xs;
  xs.reserve((a.size() + b.size()) * 2);
  for (const Span& s : a) xs.insert(xs.end(), {s.l, s.r});
  for (const Span& s : b) xs.insert(xs.end(), {s.l, s.r});
  std::sort(xs.begin(), xs.end());
  xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
  std::size_t ia = 0, ib = 0;
  for (std::size_t i = 0; i + 1 < xs.size(); ++i) {
    const int x = xs[i];
    while (ia < a.size() && a[ia].r <= x) ++ia;
    while (ib < b.size() && b[ib].r <= x) ++ib;
    const bool inA = ia < a.size() && a[ia].l <= x;
    const bool inB = ib < b.size() && b[ib].l <= x;
    if (Apply(op, inA, inB)) {
      if (!out.empty() && out.back().r == x)
        out.back().r = xs[i + 1];
      else
        out.push_back({x, xs[i + 1]});
    }
  }
}

std::vector<int> BandEdges(const std::vector<TRect>& a, const std::vector<TRect>& b) {
  std::vector<int> ys;
  ys.reserve((a.size() + b.size()) * 2);
  for (const TRect& r : a) ys.insert(ys.end(), {r.Top, r.Bottom});
  for (const TRect& r : b) ys.insert(ys.end(), {r.Top, r.Bottom});
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
  return ys;
}

}  // namespace

Region::Region(const TRect& r) {
  if (!r.IsEmpty()) rects_.push_back(r);
}

Region Region::Combine(const Region& a, const Region& b, Op op) {
  if (op == Op::And && (a.IsEmpty() || b.IsEmpty())) return {};
  if (b.IsEmpty() && op != Op::And) return a;
  if (a.IsEmpty() && (op == Op::Or || op == Op::Xor)) return b;
  Region result;
  const std::vector<int> ys = BandEdges(a.rects_, b.rects_);
  std::vector<Span> sa, sb, out;
  std::size_t lastBand = 0;
  BandCursor ca(a.rects_), cb(b.rects_);
  for (std::size_t i = 0; i + 1 < ys.size(); ++i) {
    ca.SpansAt(ys[i], sa);
    cb.SpansAt(ys[i], sb);
    CombineSpans(sa, sb, op, out);
    AppendBand(result.rects_, lastBand, ys[i], ys[i + 1], out);
  }
  return result;
}

Region Region::FromRects(const std::vector<TRect>& rects) {
  std::vector<TRect> in;
  for (const TRect& r : rects)
    if (!r.IsEmpty()) in.push_back(r);
  Region result;
  if (in.empty()) return result;
  std::vector<int> ys;
  for (const TRect& r : in) ys.insert(ys.end(), {r.Top, r.Bottom});
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
  std::sort(in.begin(), in.end(), [](const TRect& a, const TRect& b) { return a.Top < b.Top; });
  // Sweep downwards keeping the rectangles that cover the current band.
  std::vector<TRect> active;
  std::size_t next = 0;
  std::vector<Span> spans, merged;
  std::size_t lastBand = 0;
  for (std::size_t i = 0; i + 1 < ys.size(); ++i) {
    const int y = ys[i];
    while (next < in.size() && in[next].Top <= y) active.push_back(in[next++]);
    active.erase(std::remove_if(active.begin(), active.end(), [y](const TRect& r) { return r.Bottom <= y; }),
                 active.end());
    spans.clear();
    for (const TRect& r : active) spans.push_back({r.Left, r.Right});
    std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.l < b.l; });
    merged.clear();
    for (const Span& sp : spans) {
      if (!merged.empty() && sp.l <= merged.back().r)
        merged.back().r = std::max(merged.back().r, sp.r);
      else
        merged.push_back(sp);
    }
    AppendBand(result.rects_, lastBand, y, ys[i + 1], merged);
  }
  return result;
}

Region Region::Ellipse(const TRect& b) {
  return RoundRect(b, INT32_MAX, INT32_MAX);  // corners as large as the box
}

// Each row takes the corner ellipses' span at the row's centre line.
Region Region::RoundRect(const TRect& b, int ew, int eh) {
  Region result;
  if (b.IsEmpty()) return result;
  const double bw = double(b.Right) - b.Left, bh = double(b.Bottom) - b.Top;
  const double ewd = std::min(std::abs(double(ew)), bw), ehd = std::min(std::abs(double(eh)), bh);
  if (ewd < 2 || ehd < 2) return Region(b);
  const double ra = ewd / 2.0, rb = ehd / 2.0;
  const double cyTop = b.Top + rb, cyBottom = b.Bottom - rb;
  std::vector<Span> row;
  std::size_t lastBand = 0;
  // Rows beyond any surface are not built: absurd bounds must not hang.
  const int y0 = std::max(b.Top, -kShapeLimit), y1 = std::min(b.Bottom, kShapeLimit);
  for (int y = y0; y < y1; ++y) {
    const double yc = y + 0.5;
    double inset = 0;
    double dy = 0;
    if (yc < cyTop) dy = (cyTop - yc) / rb;
    else if (yc > cyBottom) dy = (yc - cyBottom) / rb;
    if (dy > 0) inset = ra - ra * std::sqrt(std::max(0.0, 1 - dy * dy));
    const double l = std::round(b.Left + inset), r = std::round(b.Right - inset);
    row.clear();
    if (l < r) row.push_back({int(l), int(r)});
    AppendBand(result.rects_, lastBand, y, y + 1, row);
  }
  return result;
}

TRect Region::Box() const {
  if (rects_.empty()) return {};
  TRect box = rects_.front();
  for (const TRect& r : rects_) {
    box.Left = std::min(box.Left, r.Left);
    box.Right = std::max(box.Right, r.Right);
    box.Top = std::min(box.Top, r.Top);
    box.Bottom = std::max(box.Bottom, r.Bottom);
  }
  return box;
}

bool Region::Contains(rtl::TPoint p) const {
  for (const TRect& r : rects_) {
    if (r.Top > p.Y) break;
    if (r.Contains(p)) return true;
  }
  return false;
}

bool Region::Intersects(const TRect& q) const {
  if (q.IsEmpty()) return false;
  for (const TRect& r : rects_) {
    if (r.Top >= q.Bottom) break;
    if (r.Left < q.Right && q.Left < r.Right && r.Top < q.Bottom && q.Top < r.Bottom) return true;
  }
  return false;
}

// Edges pushed past the int range stop at its ends; rectangles squeezed
// empty there are dropped and the rest normalised again.
void Region::Offset(std::int64_t dx, std::int64_t dy) {
  const auto pin = [](std::int64_t v, bool* pinned) {
    const std::int64_t p = std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX);
    if (p != v) *pinned = true;
    return int(p);
  };
  bool pinned = false;
  for (TRect& r : rects_) {
    r.Left = pin(r.Left + dx, &pinned);
    r.Right = pin(r.Right + dx, &pinned);
    r.Top = pin(r.Top + dy, &pinned);
    r.Bottom = pin(r.Bottom + dy, &pinned);
  }
  if (pinned) rects_ = FromRects(rects_).rects_;
}

Region Region::Intersect(const TRect& q) const {
  Region out;
  if (q.IsEmpty()) return out;
  // Clipping a banded list to a rectangle keeps it banded, but bands may
  // become equal and must merge again.
  std::vector<Span> spans;
  std::size_t lastBand = 0;
  std::size_t i = 0;
  while (i < rects_.size()) {
    const int top = rects_[i].Top, bottom = rects_[i].Bottom;
    spans.clear();
    for (; i < rects_.size() && rects_[i].Top == top; ++i) {
      const int l = std::max(rects_[i].Left, q.Left), r = std::min(rects_[i].Right, q.Right);
      if (l < r) spans.push_back({l, r});
    }
    const int t = std::max(top, q.Top), b = std::min(bottom, q.Bottom);
    if (t < b) AppendBand(out.rects_, lastBand, t, b, spans);
  }
  return out;
}

}  // namespace gdi
