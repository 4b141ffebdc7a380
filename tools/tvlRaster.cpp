#include "tools/tvlRaster.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tools {

namespace {

float Clamp01(float v) { return v < 0 ? 0 : (v > 1 ? 1 : v); }

// Sub-scanlines per pixel row; horizontal coverage is exact.
constexpr int kSubRows = 5;

}  // namespace

Rgba Hex(std::uint32_t rgb, float alpha) {
  return {float((rgb >> 16) & 255) / 255.0f, float((rgb >> 8) & 255) / 255.0f, float(rgb & 255) / 255.0f, alpha};
}

Rgba Mix(const Rgba& a, const Rgba& b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Rgba Lighter(const Rgba& c, float amount) { return Mix(c, {1, 1, 1, c.a}, amount); }
Rgba Darker(const Rgba& c, float amount) { return Mix(c, {0, 0, 0, c.a}, amount); }
Rgba WithAlpha(Rgba c, float a) {
  c.a = a;
  return c;
}
float Luma(const Rgba& c) { return 0.299f * c.r + 0.587f * c.g + 0.114f * c.b; }

Image::Image(int w, int h, Rgba fill) : w_(w), h_(h), px_(static_cast<size_t>(w) * h, fill) {}

void Image::Blend(int x, int y, const Rgba& c, float coverage) {
  if (x < 0 || y < 0 || x >= w_ || y >= h_) return;
  const float sa = Clamp01(c.a * coverage);
  if (sa <= 0) return;
  Rgba& d = At(x, y);
  const float oa = sa + d.a * (1 - sa);
  if (oa <= 0) return;
  d.r = (c.r * sa + d.r * d.a * (1 - sa)) / oa;
  d.g = (c.g * sa + d.g * d.a * (1 - sa)) / oa;
  d.b = (c.b * sa + d.b * d.a * (1 - sa)) / oa;
  d.a = oa;
}

void Image::Draw(const Image& src, int dx, int dy) {
  for (int y = 0; y < src.h_; ++y)
    for (int x = 0; x < src.w_; ++x) Blend(dx + x, dy + y, src.At(x, y), 1.0f);
}

void Image::Copy(const Image& src, int sx, int sy, int w, int h, int dx, int dy) {
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int tx = dx + x, ty = dy + y, ux = sx + x, uy = sy + y;
      if (tx < 0 || ty < 0 || tx >= w_ || ty >= h_ || ux < 0 || uy < 0 || ux >= src.w_ || uy >= src.h_) continue;
      At(tx, ty) = src.At(ux, uy);
    }
}

void Image::StretchCopy(const Image& src, int sx, int sy, int sw, int sh, int dx, int dy, int dw, int dh) {
  if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
  for (int y = 0; y < dh; ++y)
    for (int x = 0; x < dw; ++x) {
      const int ux = sx + x * sw / dw, uy = sy + y * sh / dh;
      const int tx = dx + x, ty = dy + y;
      if (tx < 0 || ty < 0 || tx >= w_ || ty >= h_ || ux < 0 || uy < 0 || ux >= src.w_ || uy >= src.h_) continue;
      At(tx, ty) = src.At(ux, uy);
    }
}

void Image::FillRect(int x0, int y0, int x1, int y1, const Rgba& c) {
  for (int y = std::max(0, y0); y < std::min(h_, y1); ++y)
    for (int x = std::max(0, x0); x < std::min(w_, x1); ++x) At(x, y) = c;
}

std::vector<std::uint32_t> Image::ToArgb(bool opaque) const {
  std::vector<std::uint32_t> out(px_.size());
  auto byte = [](float v) { return std::uint32_t(std::lround(Clamp01(v) * 255.0f)); };
  for (size_t i = 0; i < px_.size(); ++i) {
    const Rgba& p = px_[i];
    out[i] = ((opaque ? 255u : byte(p.a)) << 24) | (byte(p.r) << 16) | (byte(p.g) << 8) | byte(p.b);
  }
  return out;
}

Path& Path::MoveTo(float x, float y) {
  contours_.push_back({{x, y}});
  return *this;
}

Path& Path::LineTo(float x, float y) {
  if (contours_.empty()) contours_.emplace_back();
  contours_.back().push_back({x, y});
  return *this;
}

Path& Path::Close() { return *this; }  // contours are always closed when filled

Path& Path::Arc(float cx, float cy, float r, float a0, float a1) {
  const int steps = std::max(2, int(std::ceil(std::fabs(a1 - a0) * std::max(r, 1.0f) / 1.5f)));
  for (int i = 0; i <= steps; ++i) {
    const float a = a0 + (a1 - a0) * float(i) / float(steps);
    LineTo(cx + r * std::cos(a), cy + r * std::sin(a));
  }
  return *this;
}

Path& Path::RoundRect(const RectF& r, float radius) { return RoundRect4(r, radius, radius, radius, radius); }

Path& Path::RoundRect4(const RectF& r, float tl, float tr, float br, float bl) {
  const float lim = std::min(r.W(), r.H()) / 2;
  tl = std::min(tl, lim), tr = std::min(tr, lim), br = std::min(br, lim), bl = std::min(bl, lim);
  constexpr float pi = std::numbers::pi_v<float>;
  contours_.emplace_back();
  auto corner = [&](float cx, float cy, float rad, float a0) {
    if (rad <= 0.01f)
      LineTo(cx + rad * std::cos(a0), cy + rad * std::sin(a0));
    else
      Arc(cx, cy, rad, a0, a0 + pi / 2);
  };
  corner(r.x0 + tl, r.y0 + tl, tl, pi);
  corner(r.x1 - tr, r.y0 + tr, tr, 1.5f * pi);
  corner(r.x1 - br, r.y1 - br, br, 0);
  corner(r.x0 + bl, r.y1 - bl, bl, 0.5f * pi);
  return *this;
}

Path& Path::Ellipse(float cx, float cy, float rx, float ry) {
  const int steps = std::max(12, int(std::max(rx, ry) * 4));
  contours_.emplace_back();
  for (int i = 0; i < steps; ++i) {
    const float a = 2 * std::numbers::pi_v<float> * float(i) / float(steps);
    contours_.back().push_back({cx + rx * std::cos(a), cy + ry * std::sin(a)});
  }
  return *this;
}

Path& Path::Polygon(const std::vector<PointF>& pts) {
  contours_.push_back(pts);
  return *this;
}

Path& Path::Stroke(const std::vector<PointF>& pts, float width, bool closed) {
  const float h = width / 2;
  const size_t n = pts.size();
  const size_t segs = closed ? n : (n ? n - 1 : 0);
  for (size_t i = 0; i < segs; ++i) {
    const PointF a = pts[i], b = pts[(i + 1) % n];
    const float dx = b.x - a.x, dy = b.y - a.y, len = std::hypot(dx, dy);
    if (len <= 0) continue;
    const float nx = -dy / len * h, ny = dx / len * h;
    // Counter-clockwise in screen terms, like the ellipses, so that the
    // pieces add up under the non-zero rule.
    contours_.push_back({{a.x - nx, a.y - ny}, {b.x - nx, b.y - ny}, {b.x + nx, b.y + ny}, {a.x + nx, a.y + ny}});
    auto& q = contours_.back();
    const float cross = (q[1].x - q[0].x) * (q[2].y - q[0].y) - (q[1].y - q[0].y) * (q[2].x - q[0].x);
    if (cross < 0) std::reverse(q.begin(), q.end());
  }
  for (size_t i = 0; i < n; ++i)
    if (closed || (i > 0 && i + 1 < n) || width > 1.2f) Ellipse(pts[i].x, pts[i].y, h, h);
  return *this;
}

Paint Solid(const Rgba& c) {
  return [c](float, float) { return c; };
}

Paint Linear(float x0, float y0, float x1, float y1, std::vector<std::pair<float, Rgba>> stops) {
  const float dx = x1 - x0, dy = y1 - y0, len2 = std::max(dx * dx + dy * dy, 1e-6f);
  return [=](float x, float y) {
    const float t = Clamp01(((x - x0) * dx + (y - y0) * dy) / len2);
    if (t <= stops.front().first) return stops.front().second;
    for (size_t i = 1; i < stops.size(); ++i)
      if (t <= stops[i].first) {
        const float span = std::max(stops[i].first - stops[i - 1].first, 1e-6f);
        return Mix(stops[i - 1].second, stops[i].second, (t - stops[i - 1].first) / span);
      }
    return stops.back().second;
  };
}

Paint Vertical(float y0, float y1, const Rgba& top, const Rgba& bottom) {
  return Linear(0, y0, 0, y1, {{0.0f, top}, {1.0f, bottom}});
}

Paint Radial(float cx, float cy, float r, const Rgba& inner, const Rgba& outer) {
  return [=](float x, float y) { return Mix(inner, outer, Clamp01(std::hypot(x - cx, y - cy) / r)); };
}

float Hash01(int x, int y, int seed) {
  std::uint32_t h = std::uint32_t(x) * 374761393u + std::uint32_t(y) * 668265263u + std::uint32_t(seed) * 2246822519u;
  h = (h ^ (h >> 13)) * 1274126177u;
  h ^= h >> 16;
  return float(h & 0xFFFFFF) / float(0x1000000);
}

Paint Textured(Paint base, Texture t, float amount) {
  if (t == Texture::None || amount <= 0) return base;
  return [base, t, amount](float x, float y) {
    Rgba c = base(x, y);
    const int ix = int(std::floor(x)), iy = int(std::floor(y));
    float m = 0;
    switch (t) {
      case Texture::Brushed: {
        // Long horizontal streaks: a per-row value, slowly varying along x.
        const float row = Hash01(0, iy, 7) - 0.5f;
        const float along = Hash01(ix / 23, iy, 11) - 0.5f;
        m = row * 0.8f + along * 0.35f + (Hash01(ix, iy, 3) - 0.5f) * 0.25f;
        break;
      }
      case Texture::Pinstripe:
        m = (iy % 2 == 0) ? 0.35f : -0.35f;
        break;
      case Texture::Diagonal: {
        const int d = ((ix + iy) % 8 + 8) % 8;
        m = d < 4 ? 0.4f : -0.4f;
        break;
      }
      case Texture::Grain: {
        const float fine = Hash01(ix, iy, 5) - 0.5f;
        const float coarse = Hash01(ix / 3, iy / 3, 9) - 0.5f;
        m = fine * 0.6f + coarse * 0.7f;
        break;
      }
      case Texture::None:
        break;
    }
    const float k = m * amount;
    if (k > 0)
      c = Lighter(c, k);
    else
      c = Darker(c, -k);
    return c;
  };
}

void Fill(Image& img, const Path& path, const Paint& paint, bool evenOdd, float opacity) {
  struct Edge {
    float x0, y0, x1, y1;
    int dir;
  };
  std::vector<Edge> edges;
  float minY = 1e9f, maxY = -1e9f, minX = 1e9f, maxX = -1e9f;
  for (const auto& c : path.Contours()) {
    for (size_t i = 0; i < c.size(); ++i) {
      const PointF a = c[i], b = c[(i + 1) % c.size()];
      minX = std::min(minX, a.x), maxX = std::max(maxX, a.x);
      if (a.y == b.y) continue;
      if (a.y < b.y)
        edges.push_back({a.x, a.y, b.x, b.y, 1});
      else
        edges.push_back({b.x, b.y, a.x, a.y, -1});
      minY = std::min({minY, a.y, b.y}), maxY = std::max({maxY, a.y, b.y});
    }
  }
  if (edges.empty()) return;
  const int py0 = std::max(0, int(std::floor(minY))), py1 = std::min(img.H(), int(std::ceil(maxY)));
  const int px0 = std::max(0, int(std::floor(minX))), px1 = std::min(img.W(), int(std::ceil(maxX)) + 1);
  if (px0 >= px1) return;
  std::vector<float> cover(static_cast<size_t>(px1 - px0) + 1);
  std::vector<std::pair<float, int>> xs;
  for (int py = py0; py < py1; ++py) {
    std::fill(cover.begin(), cover.end(), 0.0f);
    for (int s = 0; s < kSubRows; ++s) {
      const float sy = float(py) + (float(s) + 0.5f) / kSubRows;
      xs.clear();
      for (const Edge& e : edges)
        if (sy >= e.y0 && sy < e.y1) xs.push_back({e.x0 + (sy - e.y0) * (e.x1 - e.x0) / (e.y1 - e.y0), e.dir});
      std::sort(xs.begin(), xs.end());
      int wind = 0;
      for (size_t i = 0; i + 1 < xs.size(); ++i) {
        wind += evenOdd ? 1 : xs[i].second;
        const bool inside = evenOdd ? (wind % 2) != 0 : wind != 0;
        if (!inside) continue;
        const float a = std::max(xs[i].first, float(px0)), b = std::min(xs[i + 1].first, float(px1));
        if (b <= a) continue;
        // Spread the span [a, b) over the pixels it touches.
        const int ia = int(std::floor(a)), ib = int(std::floor(b));
        const float w = 1.0f / kSubRows;
        if (ia == ib) {
          cover[size_t(ia - px0)] += (b - a) * w;
        } else {
          cover[size_t(ia - px0)] += (float(ia + 1) - a) * w;
          for (int x = ia + 1; x < ib; ++x) cover[size_t(x - px0)] += w;
          if (ib < px1) cover[size_t(ib - px0)] += (b - float(ib)) * w;
        }
      }
    }
    for (int x = px0; x < px1; ++x) {
      const float c = std::min(cover[size_t(x - px0)], 1.0f);
      if (c > 0.001f) img.Blend(x, py, paint(float(x) + 0.5f, float(py) + 0.5f), c * opacity);
    }
  }
}

}  // namespace tools
