#include "tools/tvlSkinPaint.h"

#include <algorithm>
#include <cmath>

namespace tools {

FaceColors FaceOf(const SkinStyle& s, St st) {
  switch (st) {
    case St::Hot:
      return {s.Hot0, s.Hot1, s.HotBorder};
    case St::Down:
      return {s.Down0, s.Down1, s.DownBorder};
    case St::Focused:
      return {s.Face0, s.Face1, s.Accent};
    case St::Disabled:
      return {Mix(s.Face0, s.Body, 0.6f), Mix(s.Face1, s.Body, 0.6f), Mix(s.Border, s.Body, 0.55f)};
    case St::Normal:
      break;
  }
  return {s.Face0, s.Face1, s.Border};
}

void DrawFace(Image& img, const RectF& r, float radius, const SkinStyle& s, St st, float gloss) {
  const FaceColors f = FaceOf(s, st);
  Fill(img, Path().RoundRect(r, radius), Solid(f.Border));
  const RectF in = r.Inset(1);
  const float ir = std::max(radius - 1, 0.0f);
  Fill(img, Path().RoundRect(in, ir), Textured(Vertical(in.y0, in.y1, f.Top, f.Bottom), s.FaceTex, s.FaceTexAmount));
  const float g = s.Gloss * gloss * (st == St::Disabled ? 0.5f : 1.0f);
  if (g > 0) {
    const RectF top{in.x0, in.y0, in.x1, in.y0 + std::floor(in.H() * 0.48f)};
    Fill(img, Path().RoundRect4(top, ir, ir, 0, 0),
         Vertical(top.y0, top.y1, Rgba{1, 1, 1, 0.55f * g}, Rgba{1, 1, 1, 0.12f * g}));
  }
  // Inner rim: light along the top, fading towards the bottom.
  const float rim = s.Dark ? 0.22f : 0.6f;
  Path ring;
  ring.RoundRect(in, ir).RoundRect(in.Inset(1), std::max(ir - 1, 0.0f));
  Fill(img, ring, Vertical(in.y0, in.y1, Rgba{1, 1, 1, rim}, Rgba{1, 1, 1, rim * 0.15f}), true);
  if (st == St::Focused) {
    Path focus;
    focus.RoundRect(in, ir).RoundRect(in.Inset(1), std::max(ir - 1, 0.0f));
    Fill(img, focus, Solid(WithAlpha(s.Accent, 0.55f)), true);
  }
  if (st == St::Down) {
    // A soft inner shadow along the top edge.
    const RectF sh{in.x0, in.y0, in.x1, in.y0 + 3};
    Fill(img, Path().RoundRect4(sh, ir, ir, 0, 0), Vertical(sh.y0, sh.y1, Rgba{0, 0, 0, 0.18f}, Rgba{0, 0, 0, 0}));
  }
}

void DrawBand(Image& img, const RectF& r, const Rgba& top, const Rgba& bottom, Texture tex, float texAmount) {
  Fill(img, Path().RoundRect(r, 0), Textured(Vertical(r.y0, r.y1, top, bottom), tex, texAmount));
}

void DrawArrow(Image& img, float cx, float cy, float size, Dir d, const Rgba& c) {
  const float h = size / 2, q = size / 4;
  std::vector<PointF> p;
  switch (d) {
    case Dir::Down:
      p = {{cx - h, cy - q}, {cx + h, cy - q}, {cx, cy + q + 0.5f}};
      break;
    case Dir::Up:
      p = {{cx - h, cy + q}, {cx, cy - q - 0.5f}, {cx + h, cy + q}};
      break;
    case Dir::Left:
      p = {{cx + q, cy - h}, {cx + q, cy + h}, {cx - q - 0.5f, cy}};
      break;
    case Dir::Right:
      p = {{cx - q, cy - h}, {cx + q + 0.5f, cy}, {cx - q, cy + h}};
      break;
  }
  Fill(img, Path().Polygon(p), Solid(c), true);
}

void DrawCheckMark(Image& img, float x, float y, float size, const Rgba& c) {
  const float k = size / 10;
  Fill(img, Path().Stroke({{x + 1.5f * k, y + 5.2f * k}, {x + 4 * k, y + 7.8f * k}, {x + 8.6f * k, y + 2.2f * k}},
                          std::max(1.6f, 1.9f * k)),
       Solid(c));
}

void DrawGlyph(Image& img, Glyph g, const RectF& r, const Rgba& c) {
  const float cx = (r.x0 + r.x1) / 2, cy = (r.y0 + r.y1) / 2;
  const float s = std::min(r.W(), r.H());
  const float k = s * 0.22f, w = std::max(1.5f, s * 0.12f);
  Path p;
  switch (g) {
    case Glyph::Close:
      p.Stroke({{cx - k, cy - k}, {cx + k, cy + k}}, w * 1.15f).Stroke({{cx + k, cy - k}, {cx - k, cy + k}}, w * 1.15f);
      Fill(img, p, Solid(c));
      return;
    case Glyph::Maximize: {
      const RectF o{std::round(cx - k - 1), std::round(cy - k - 1), std::round(cx + k + 1), std::round(cy + k + 1)};
      p.RoundRect(o, 0).RoundRect(RectF{o.x0 + 1, o.y0 + 2.5f, o.x1 - 1, o.y1 - 1}, 0);
      Fill(img, p, Solid(c), true);
      return;
    }
    case Glyph::Restore: {
      const RectF back{std::round(cx - k + 1), std::round(cy - k - 2), std::round(cx + k + 2), std::round(cy + k - 1)};
      const RectF front{back.x0 - 3, back.y0 + 3, back.x1 - 3, back.y1 + 3};
      Path b;
      b.RoundRect(back, 0).RoundRect(RectF{back.x0 + 1, back.y0 + 2, back.x1 - 1, back.y1 - 1}, 0);
      Fill(img, b, Solid(c), true);
      Path f;
      f.RoundRect(front, 0).RoundRect(RectF{front.x0 + 1, front.y0 + 2, front.x1 - 1, front.y1 - 1}, 0);
      Fill(img, f, Solid(c), true);
      return;
    }
    case Glyph::Minimize:
      p.RoundRect(RectF{std::round(cx - k - 1), std::round(cy + k - 1.5f), std::round(cx + k + 1), std::round(cy + k) + 1},
                  0);
      Fill(img, p, Solid(c));
      return;
    case Glyph::RollUp:
      p.Stroke({{cx - k, cy + k * 0.5f}, {cx, cy - k * 0.6f}, {cx + k, cy + k * 0.5f}}, w * 1.1f);
      Fill(img, p, Solid(c));
      return;
    case Glyph::RollDown:
      p.Stroke({{cx - k, cy - k * 0.5f}, {cx, cy + k * 0.6f}, {cx + k, cy - k * 0.5f}}, w * 1.1f);
      Fill(img, p, Solid(c));
      return;
    case Glyph::Tray:
      p.RoundRect(RectF{cx - k - 1, cy + k - 2, cx + k + 1, cy + k + 1}, 1).Ellipse(cx, cy - k * 0.3f, k * 0.45f, k * 0.45f);
      Fill(img, p, Solid(c));
      return;
    case Glyph::SysMenu: {
      const RectF o{cx - k - 2, cy - k - 2, cx + k + 2, cy + k + 2};
      Fill(img, Path().RoundRect(o, 2.5f), Vertical(o.y0, o.y1, Hex(0x6FB6FF), Hex(0x1F63C8)));
      DrawArrow(img, cx + 0.5f, cy, k * 1.3f, Dir::Right, Hex(0xFFFFFF));
      return;
    }
  }
}

Image Keyed(const Image& shape, const Rgba& bg) {
  Image out(shape.W(), shape.H());
  const Rgba key = Hex(kKeyRgb);
  for (int y = 0; y < shape.H(); ++y)
    for (int x = 0; x < shape.W(); ++x) {
      const Rgba& p = shape.At(x, y);
      if (p.a < 0.12f) {
        out.At(x, y) = key;
      } else {
        Rgba c = bg;
        c.a = 1;
        out.At(x, y) = Mix(c, Rgba{p.r, p.g, p.b, 1}, std::min(1.0f, p.a));
      }
    }
  return out;
}

rtl::TRect Atlas::Put(const Image& img) {
  if (x_ > 0 && x_ + img.W() > width_) {
    x_ = 0;
    y_ += rowHeight_ + 1;
    rowHeight_ = 0;
  }
  const rtl::TRect at{x_, y_, x_ + img.W(), y_ + img.H()};
  items_.push_back({at, img});
  x_ += img.W() + 1;
  rowHeight_ = std::max(rowHeight_, img.H());
  return at;
}

Image Atlas::Build() const {
  int h = 1, w = 1;
  for (const Item& i : items_) h = std::max(h, i.At.Bottom), w = std::max(w, i.At.Right);
  Image out(std::max(w, width_), h, background_);
  for (const Item& i : items_) out.Copy(i.Pixels, 0, 0, i.Pixels.W(), i.Pixels.H(), i.At.Left, i.At.Top);
  return out;
}

rtl::TColor ToTColor(const Rgba& c) {
  auto b = [](float v) { return std::uint32_t(std::lround(std::clamp(v, 0.0f, 1.0f) * 255)); };
  return rtl::TColor(b(c.r) | (b(c.g) << 8) | (b(c.b) << 16));
}

}  // namespace tools
