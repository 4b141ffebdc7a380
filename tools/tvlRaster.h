// A small anti-aliased rasteriser for the build-time artwork generator.
//
// Shapes are paths of straight contours (curves are flattened when a path is
// built); filling computes exact horizontal coverage on a number of
// sub-scanlines per pixel row and composites a paint (solid colour or
// gradient, any function of the pixel centre) over a float RGBA image with
// straight alpha. Everything is deterministic: the textures use a hash of
// the pixel position, never a random generator.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace tools {

struct Rgba {
  float r = 0, g = 0, b = 0, a = 0;
};

// 0xRRGGBB, opaque.
Rgba Hex(std::uint32_t rgb, float alpha = 1.0f);
Rgba Mix(const Rgba& a, const Rgba& b, float t);
Rgba Lighter(const Rgba& c, float amount);  // towards white
Rgba Darker(const Rgba& c, float amount);   // towards black
Rgba WithAlpha(Rgba c, float a);
float Luma(const Rgba& c);

struct PointF {
  float x = 0, y = 0;
};

struct RectF {
  float x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  float W() const { return x1 - x0; }
  float H() const { return y1 - y0; }
  RectF Inset(float d) const { return {x0 + d, y0 + d, x1 - d, y1 - d}; }
};

class Image {
 public:
  Image() = default;
  Image(int w, int h, Rgba fill = {});
  int W() const { return w_; }
  int H() const { return h_; }
  Rgba& At(int x, int y) { return px_[static_cast<size_t>(y) * w_ + x]; }
  const Rgba& At(int x, int y) const { return px_[static_cast<size_t>(y) * w_ + x]; }
  // Source-over of c with the given coverage.
  void Blend(int x, int y, const Rgba& c, float coverage);
  // Source-over of a whole image at (dx, dy).
  void Draw(const Image& src, int dx, int dy);
  // Exact copy (alpha included) of src's (sx, sy, w, h) to (dx, dy).
  void Copy(const Image& src, int sx, int sy, int w, int h, int dx, int dy);
  // Nearest-neighbour scaled copy of src's rectangle into this image's rectangle.
  void StretchCopy(const Image& src, int sx, int sy, int sw, int sh, int dx, int dy, int dw, int dh);
  void FillRect(int x0, int y0, int x1, int y1, const Rgba& c);
  // 0xAARRGGBB, top-down.
  std::vector<std::uint32_t> ToArgb(bool opaque) const;

 private:
  int w_ = 0, h_ = 0;
  std::vector<Rgba> px_;
};

class Path {
 public:
  Path& MoveTo(float x, float y);
  Path& LineTo(float x, float y);
  Path& Close();
  Path& Arc(float cx, float cy, float r, float a0, float a1);  // radians, appended to the current contour
  Path& RoundRect(const RectF& r, float radius);
  // Radii per corner: top-left, top-right, bottom-right, bottom-left.
  Path& RoundRect4(const RectF& r, float tl, float tr, float br, float bl);
  Path& Ellipse(float cx, float cy, float rx, float ry);
  Path& Polygon(const std::vector<PointF>& pts);
  // A stroke of the polyline as a union of segment quads and round joints
  // (fill it with the non-zero rule).
  Path& Stroke(const std::vector<PointF>& pts, float width, bool closed = false);
  const std::vector<std::vector<PointF>>& Contours() const { return contours_; }

 private:
  std::vector<std::vector<PointF>> contours_;
};

using Paint = std::function<Rgba(float x, float y)>;

Paint Solid(const Rgba& c);
// Colour stops (position 0..1, colour) between (x0, y0) and (x1, y1).
Paint Linear(float x0, float y0, float x1, float y1, std::vector<std::pair<float, Rgba>> stops);
Paint Vertical(float y0, float y1, const Rgba& top, const Rgba& bottom);
Paint Radial(float cx, float cy, float r, const Rgba& inner, const Rgba& outer);

enum class Texture { None, Brushed, Pinstripe, Diagonal, Grain };
// Modulates the brightness of a paint by a texture pattern.
Paint Textured(Paint base, Texture t, float amount);

// Fills a path (non-zero rule, or even-odd) with the paint; opacity scales it.
void Fill(Image& img, const Path& path, const Paint& paint, bool evenOdd = false, float opacity = 1.0f);

// A deterministic value in [0, 1) for integer coordinates and a seed.
float Hash01(int x, int y, int seed);

}  // namespace tools
