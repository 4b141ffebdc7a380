#include "platform/gdi/Region.h"

#include <algorithm>
#include <cmath>

namespace gdi {

using rtl::TRect;

namespace {

struct Span {
  int l, r;
  friend bool operator==(const Span&, const Span&) = default;
};

// Spans of a banded rectangle list at row y (sorted, disjoint).
void SpansAt(const std::vector<TRect>& rects, int y, std::vector<Span>& out) {
  out.clear();
  for (const TRect& r : rects) {
    if (r.Top > y) break;
    if (y < r.Bottom) out.push_back({r.Left, r.Right});
  }
}

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
  for (std::size_t i = 0; i + 1 < ys.size(); ++i) {
    SpansAt(a.rects_, ys[i], sa);
    SpansAt(b.rects_, ys[i], sb);
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
  std::vector<Span> spans;
  std::size_t lastBand = 0;
  for (std::size_t i = 0; i + 1 < ys.size(); ++i) {
    spans.clear();
    for (const TRect& r : in) {
      if (r.Top > ys[i]) break;
      if (ys[i] < r.Bottom) spans.push_back({r.Left, r.Right});
    }
    std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.l < b.l; });
    std::vector<Span> merged;
    for (const Span& s : spans) {
      if (!merged.empty() && s.l <= merged.back().r)
        merged.back().r = std::max(merged.back().r, s.r);
      else
        merged.push_back(s);
    }
    AppendBand(result.rects_, lastBand, ys[i], ys[i + 1], merged);
  }
  return result;
}

Region Region::Ellipse(const TRect& b) {
  return RoundRect(b, b.Width(), b.Height());
}

// Each row takes the corner ellipses' span at the row's centre line.
Region Region::RoundRect(const TRect& b, int ew, int eh) {
  Region result;
  if (b.IsEmpty()) return result;
  ew = std::clamp(std::abs(ew), 0, b.Width());
  eh = std::clamp(std::abs(eh), 0, b.Height());
  if (ew < 2 || eh < 2) return Region(b);
  const double ra = ew / 2.0, rb = eh / 2.0;
  const double cyTop = b.Top + rb, cyBottom = b.Bottom - rb;
  std::vector<Span> row;
  std::size_t lastBand = 0;
  for (int y = b.Top; y < b.Bottom; ++y) {
    const double yc = y + 0.5;
    double inset = 0;
    double dy = 0;
    if (yc < cyTop) dy = (cyTop - yc) / rb;
    else if (yc > cyBottom) dy = (yc - cyBottom) / rb;
    if (dy > 0) inset = ra - ra * std::sqrt(std::max(0.0, 1 - dy * dy));
    const int in = int(std::lround(inset));
    row.clear();
    if (b.Left + in < b.Right - in) row.push_back({b.Left + in, b.Right - in});
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

void Region::Offset(int dx, int dy) {
  for (TRect& r : rects_) {
    r.Left += dx;
    r.Right += dx;
    r.Top += dy;
    r.Bottom += dy;
  }
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
