#include "tools/tvlArtwork.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "skin/data/bsSkinPicture.h"
#include "tools/tvlSkinPaint.h"

namespace tools {

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

std::vector<std::uint8_t> Bmp32(const Image& img) {
  std::vector<std::uint32_t> px = img.ToArgb(false);
  for (auto& p : px)
    if ((p >> 24) == 0) p = kKeyRgb;  // alpha 0, magenta
  return skin::MakeBmpFile(img.W(), img.H(), 32, px);
}

// A soft drop shadow of a shape drawn by `draw` into a fresh image.
template <class F>
void WithShadow(Image& img, F draw) {
  Image shadow(img.W(), img.H()), shape(img.W(), img.H());
  draw(shape);
  for (int y = 0; y < img.H(); ++y)
    for (int x = 0; x < img.W(); ++x) {
      float a = 0;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
          const int sx = x - dx, sy = y - dy - 1;
          if (sx >= 0 && sy >= 0 && sx < img.W() && sy < img.H()) a += shape.At(sx, sy).a;
        }
      shadow.At(x, y) = Rgba{0, 0, 0, a / 9 * 0.35f};
    }
  img.Draw(shadow, 0, 0);
  img.Draw(shape, 0, 0);
}

// A glossy round badge.
void Badge(Image& img, float cx, float cy, float r, const Rgba& c) {
  Fill(img, Path().Ellipse(cx, cy, r, r), Solid(Darker(c, 0.35f)));
  Fill(img, Path().Ellipse(cx, cy, r - 1, r - 1), Radial(cx, cy + r * 0.5f, r * 1.6f, Lighter(c, 0.3f), c));
  Fill(img, Path().Ellipse(cx, cy - r * 0.42f, r * 0.7f, r * 0.45f),
       Vertical(cy - r, cy, Rgba{1, 1, 1, 0.7f}, Rgba{1, 1, 1, 0.05f}));
}

void FilmStrip(Image& img, const RectF& r, const Rgba& c) {
  Fill(img, Path().RoundRect(r, 2), Vertical(r.y0, r.y1, Lighter(c, 0.15f), Darker(c, 0.2f)));
  const float hole = r.W() * 0.12f;
  for (float y = r.y0 + 2; y + hole < r.y1 - 1; y += hole * 1.8f) {
    Fill(img, Path().RoundRect(RectF{r.x0 + 1.5f, y, r.x0 + 1.5f + hole, y + hole}, 0.8f), Solid(Hex(0xFFFFFF, 0.9f)));
    Fill(img, Path().RoundRect(RectF{r.x1 - 1.5f - hole, y, r.x1 - 1.5f, y + hole}, 0.8f), Solid(Hex(0xFFFFFF, 0.9f)));
  }
  const RectF win{r.x0 + hole + 3, r.y0 + 2, r.x1 - hole - 3, r.y1 - 2};
  Fill(img, Path().RoundRect(win, 1), Vertical(win.y0, win.y1, Hex(0xBFE3FF), Hex(0x4A8FD8)));
}

void Note(Image& img, float x, float y, float s, const Rgba& c) {
  Fill(img, Path().Ellipse(x + s * 0.25f, y + s * 0.8f, s * 0.2f, s * 0.15f), Solid(c));
  Fill(img, Path().Ellipse(x + s * 0.75f, y + s * 0.7f, s * 0.2f, s * 0.15f), Solid(c));
  Fill(img, Path().Stroke({{x + s * 0.43f, y + s * 0.8f}, {x + s * 0.43f, y + s * 0.12f}}, s * 0.08f), Solid(c));
  Fill(img, Path().Stroke({{x + s * 0.93f, y + s * 0.7f}, {x + s * 0.93f, y + s * 0.02f}}, s * 0.08f), Solid(c));
  Fill(img, Path().Stroke({{x + s * 0.43f, y + s * 0.14f}, {x + s * 0.93f, y + s * 0.04f}}, s * 0.14f), Solid(c));
}

void Phone(Image& img, const RectF& r, const Rgba& body, bool wheel) {
  Fill(img, Path().RoundRect(r, r.W() * 0.18f), Vertical(r.y0, r.y1, Lighter(body, 0.25f), Darker(body, 0.2f)));
  const RectF screen{r.x0 + 2, r.y0 + 3, r.x1 - 2, wheel ? r.y0 + r.H() * 0.48f : r.y1 - 5};
  Fill(img, Path().RoundRect(screen, 1), Vertical(screen.y0, screen.y1, Hex(0x9FD8FF), Hex(0x2F6FC0)));
  if (wheel) {
    const float cx = (r.x0 + r.x1) / 2, cy = r.y0 + r.H() * 0.74f, rad = r.W() * 0.3f;
    Fill(img, Path().Ellipse(cx, cy, rad, rad).Ellipse(cx, cy, rad * 0.4f, rad * 0.4f), Solid(Hex(0xEDEDED)), true);
  } else {
    Fill(img, Path().Ellipse((r.x0 + r.x1) / 2, r.y1 - 2.5f, 1.2f, 1.2f), Solid(Hex(0xDDDDDD)));
  }
}

void Play(Image& img, float cx, float cy, float s, const Rgba& c) {
  Fill(img, Path().Polygon({{cx - s * 0.35f, cy - s * 0.5f}, {cx + s * 0.5f, cy}, {cx - s * 0.35f, cy + s * 0.5f}}),
       Solid(c));
}

enum class Sym { Film, Note, Phone, Pod, Console, Bolt, Screen, Camera, Disc, Robot, Globe };

void Symbol(Image& img, Sym sym, const Rgba& c) {
  const float n = float(img.W()), k = n / 32;
  switch (sym) {
    case Sym::Film:
      FilmStrip(img, {5 * k, 4 * k, 27 * k, 28 * k}, c);
      Play(img, 16 * k, 16 * k, 9 * k, Hex(0xFFFFFF));
      break;
    case Sym::Note:
      Badge(img, 16 * k, 16 * k, 13 * k, c);
      Note(img, 8 * k, 7 * k, 16 * k, Hex(0xFFFFFF));
      break;
    case Sym::Phone:
      Phone(img, {9 * k, 3 * k, 23 * k, 29 * k}, c, false);
      break;
    case Sym::Pod:
      Phone(img, {8 * k, 3 * k, 24 * k, 29 * k}, Lighter(c, 0.2f), true);
      break;
    case Sym::Console: {
      const RectF r{2 * k, 9 * k, 30 * k, 23 * k};
      Fill(img, Path().RoundRect(r, 7 * k), Vertical(r.y0, r.y1, Lighter(c, 0.2f), Darker(c, 0.3f)));
      Fill(img, Path().RoundRect(RectF{9 * k, 11 * k, 23 * k, 21 * k}, 1), Vertical(11 * k, 21 * k, Hex(0x9FD8FF), Hex(0x2F6FC0)));
      Fill(img, Path().Ellipse(5.5f * k, 16 * k, 1.8f * k, 1.8f * k).Ellipse(26.5f * k, 16 * k, 1.8f * k, 1.8f * k),
           Solid(Hex(0xEEEEEE)));
      break;
    }
    case Sym::Bolt:
      Badge(img, 16 * k, 16 * k, 13 * k, c);
      Fill(img,
           Path().Polygon({{18 * k, 5 * k}, {9 * k, 18 * k}, {15 * k, 18 * k}, {13 * k, 27 * k}, {23 * k, 13 * k},
                           {17 * k, 13 * k}}),
           Solid(Hex(0xFFFFFF)));
      break;
    case Sym::Screen: {
      const RectF r{3 * k, 5 * k, 29 * k, 23 * k};
      Fill(img, Path().RoundRect(r, 2 * k), Solid(Darker(c, 0.45f)));
      Fill(img, Path().RoundRect(r.Inset(2 * k), 1), Vertical(r.y0, r.y1, Lighter(c, 0.45f), c));
      Fill(img, Path().Polygon({{12 * k, 27 * k}, {20 * k, 27 * k}, {18 * k, 23 * k}, {14 * k, 23 * k}}),
           Solid(Darker(c, 0.45f)));
      Play(img, 16 * k, 14 * k, 8 * k, Hex(0xFFFFFF));
      break;
    }
    case Sym::Camera: {
      const RectF r{3 * k, 10 * k, 22 * k, 24 * k};
      Fill(img, Path().RoundRect(r, 3 * k), Vertical(r.y0, r.y1, Lighter(c, 0.2f), Darker(c, 0.25f)));
      Fill(img, Path().Polygon({{22 * k, 14 * k}, {29 * k, 10 * k}, {29 * k, 24 * k}, {22 * k, 20 * k}}),
           Solid(Darker(c, 0.2f)));
      Fill(img, Path().Ellipse(10 * k, 17 * k, 4 * k, 4 * k), Radial(9 * k, 16 * k, 5 * k, Hex(0xBFE3FF), Hex(0x1F4F8F)));
      break;
    }
    case Sym::Disc:
      Fill(img, Path().Ellipse(16 * k, 16 * k, 13 * k, 13 * k).Ellipse(16 * k, 16 * k, 3 * k, 3 * k),
           Linear(3 * k, 3 * k, 29 * k, 29 * k,
                  {{0.0f, Lighter(c, 0.6f)}, {0.45f, Hex(0xF4F4F4)}, {0.55f, Lighter(c, 0.3f)}, {1.0f, c}}),
           true);
      Fill(img, Path().Ellipse(16 * k, 16 * k, 13 * k, 13 * k).Ellipse(16 * k, 16 * k, 12 * k, 12 * k),
           Solid(Darker(c, 0.3f)), true);
      break;
    case Sym::Robot: {
      Fill(img, Path().RoundRect4(RectF{7 * k, 8 * k, 25 * k, 18 * k}, 9 * k, 9 * k, 0, 0), Solid(c));
      Fill(img, Path().RoundRect(RectF{7 * k, 19 * k, 25 * k, 29 * k}, 2.5f * k), Solid(c));
      Fill(img, Path().Stroke({{10 * k, 9 * k}, {8 * k, 5 * k}}, 1.4f * k).Stroke({{22 * k, 9 * k}, {24 * k, 5 * k}}, 1.4f * k),
           Solid(c));
      Fill(img, Path().Ellipse(12.5f * k, 13 * k, 1.5f * k, 1.5f * k).Ellipse(19.5f * k, 13 * k, 1.5f * k, 1.5f * k),
           Solid(Hex(0xFFFFFF)));
      break;
    }
    case Sym::Globe:
      Badge(img, 16 * k, 16 * k, 13 * k, c);
      Fill(img,
           Path()
               .Ellipse(16 * k, 16 * k, 9 * k, 9 * k)
               .Ellipse(16 * k, 16 * k, 8 * k, 8 * k)
               .Ellipse(16 * k, 16 * k, 4 * k, 9 * k)
               .Ellipse(16 * k, 16 * k, 3 * k, 8 * k),
           Solid(Hex(0xFFFFFF, 0.9f)), true);
      Fill(img, Path().Stroke({{7 * k, 16 * k}, {25 * k, 16 * k}}, 1.0f * k), Solid(Hex(0xFFFFFF, 0.9f)));
      break;
  }
}

Image Icon(Sym sym, const Rgba& c, int size = 32) {
  Image img(size, size);
  WithShadow(img, [&](Image& shape) { Symbol(shape, sym, c); });
  return img;
}

// The dimmed look of a disabled command: grey, lighter, half transparent.
Image Dimmed(const Image& src) {
  Image out = src;
  for (int y = 0; y < out.H(); ++y)
    for (int x = 0; x < out.W(); ++x) {
      Rgba& p = out.At(x, y);
      const float l = Luma(p) * 0.55f + 0.4f;
      p = Rgba{l, l, l, p.a * 0.75f};
    }
  return out;
}

// Command glyphs, normal look.
Image CommandGlyph(int which, int size) {
  Image img(size, size);
  const float k = size / 32.0f;
  WithShadow(img, [&](Image& s) {
    switch (which) {
      case 0: {  // add: film with a green plus
        FilmStrip(s, {3 * k, 2 * k, 22 * k, 24 * k}, Hex(0x4C5C70));
        Badge(s, 22 * k, 22 * k, 8 * k, Hex(0x3DAA2A));
        Fill(s, Path().Stroke({{18 * k, 22 * k}, {26 * k, 22 * k}}, 2.6f * k).Stroke({{22 * k, 18 * k}, {22 * k, 26 * k}}, 2.6f * k),
             Solid(Hex(0xFFFFFF)));
        break;
      }
      case 1:  // start
        Badge(s, 16 * k, 16 * k, 13 * k, Hex(0x2E9E3A));
        Play(s, 17.5f * k, 16 * k, 13 * k, Hex(0xFFFFFF));
        break;
      case 2:  // pause
        Badge(s, 16 * k, 16 * k, 13 * k, Hex(0xE39A1C));
        Fill(s, Path().RoundRect(RectF{10.5f * k, 9 * k, 14 * k, 23 * k}, 1).RoundRect(RectF{18 * k, 9 * k, 21.5f * k, 23 * k}, 1),
             Solid(Hex(0xFFFFFF)));
        break;
      case 3:  // resume
        Badge(s, 16 * k, 16 * k, 13 * k, Hex(0x2F7FD8));
        Fill(s, Path().RoundRect(RectF{9 * k, 9.5f * k, 12 * k, 22.5f * k}, 1), Solid(Hex(0xFFFFFF)));
        Play(s, 18.5f * k, 16 * k, 12 * k, Hex(0xFFFFFF));
        break;
      case 4:  // stop
        Badge(s, 16 * k, 16 * k, 13 * k, Hex(0xD9362B));
        Fill(s, Path().RoundRect(RectF{10.5f * k, 10.5f * k, 21.5f * k, 21.5f * k}, 1.5f * k), Solid(Hex(0xFFFFFF)));
        break;
      case 5: {  // clear: a list sheet swept away
        const RectF page{5 * k, 3 * k, 23 * k, 28 * k};
        Fill(s, Path().RoundRect(page, 2 * k), Solid(Hex(0x7A8594)));
        Fill(s, Path().RoundRect(page.Inset(1.2f * k), 1.2f * k), Vertical(page.y0, page.y1, Hex(0xFFFFFF), Hex(0xE2E8F0)));
        for (int i = 0; i < 4; ++i)
          Fill(s, Path().RoundRect(RectF{8 * k, (8 + 4.5f * i) * k, 20 * k, (9.6f + 4.5f * i) * k}, 0.5f),
               Solid(Hex(0x9AA8BA)));
        Fill(s, Path().Stroke({{28 * k, 9 * k}, {17 * k, 22 * k}}, 2.6f * k), Solid(Hex(0xA0652A)));
        Fill(s, Path().Polygon({{13 * k, 21 * k}, {19 * k, 25 * k}, {15 * k, 30 * k}, {9 * k, 27 * k}}), Solid(Hex(0xE8B43A)));
        break;
      }
      case 6:  // remove
        Badge(s, 16 * k, 16 * k, 13 * k, Hex(0xD9362B));
        Fill(s, Path().Stroke({{9.5f * k, 16 * k}, {22.5f * k, 16 * k}}, 3.4f * k), Solid(Hex(0xFFFFFF)));
        break;
      case 7: {  // rename: a pencil over a line
        Fill(s, Path().Stroke({{6 * k, 27 * k}, {27 * k, 27 * k}}, 1.6f * k), Solid(Hex(0x6A7686)));
        Fill(s, Path().Polygon({{8 * k, 24 * k}, {9.5f * k, 18 * k}, {23 * k, 4.5f * k}, {27.5f * k, 9 * k}, {14 * k, 22.5f * k}}),
             Linear(8 * k, 24 * k, 27 * k, 5 * k, {{0.0f, Hex(0xF2C14E)}, {1.0f, Hex(0xE08A1E)}}));
        Fill(s, Path().Polygon({{8 * k, 24 * k}, {9.5f * k, 18 * k}, {14 * k, 22.5f * k}}), Solid(Hex(0xF3DDB3)));
        Fill(s, Path().Polygon({{21 * k, 6.5f * k}, {23 * k, 4.5f * k}, {27.5f * k, 9 * k}, {25.5f * k, 11 * k}}), Solid(Hex(0xE86A7A)));
        break;
      }
    }
  });
  return img;
}

// Glyphs of the commands that keep one look: the options and skin tool
// buttons and the preview player's buttons.
enum class Tool { Options, Skin, Play, Pause, Stop, Sound, Mute, Snapshot };

void Gear(Image& s, float cx, float cy, float r, const Rgba& c) {
  std::vector<PointF> teeth;
  constexpr int kTeeth = 8;
  for (int i = 0; i < kTeeth * 4; ++i) {
    const float a = float(i) * 3.14159265f * 2 / float(kTeeth * 4) - 3.14159265f / float(kTeeth * 2);
    const float rr = (i % 4 == 1 || i % 4 == 2) ? r : r * 0.76f;
    teeth.push_back({cx + rr * std::cos(a), cy + rr * std::sin(a)});
  }
  Fill(s, Path().Polygon(teeth).Ellipse(cx, cy, r * 0.3f, r * 0.3f), Radial(cx, cy - r * 0.4f, r * 1.8f, Lighter(c, 0.45f), Darker(c, 0.15f)),
       true);
  Fill(s, Path().Ellipse(cx, cy, r * 0.58f, r * 0.58f).Ellipse(cx, cy, r * 0.3f, r * 0.3f), Solid(Rgba{1, 1, 1, 0.18f}), true);
}

void Speaker(Image& s, float k, const Rgba& c) {
  Fill(s, Path().Polygon({{4 * k, 12 * k}, {10 * k, 12 * k}, {17 * k, 5 * k}, {17 * k, 27 * k}, {10 * k, 20 * k}, {4 * k, 20 * k}}),
       Vertical(5 * k, 27 * k, Lighter(c, 0.35f), Darker(c, 0.15f)));
}

Image ToolGlyph(Tool which, int size) {
  Image img(size, size);
  const float k = size / 32.0f;
  WithShadow(img, [&](Image& s) {
    switch (which) {
      case Tool::Options:
        Gear(s, 16 * k, 16 * k, 14 * k, Hex(0x5F7896));
        break;
      case Tool::Skin: {  // a painter's palette
        Fill(s, Path().Ellipse(16 * k, 16 * k, 14 * k, 12 * k).Ellipse(19.5f * k, 21.5f * k, 3 * k, 2.6f * k),
             Vertical(4 * k, 28 * k, Hex(0xF3D9A4), Hex(0xC99A52)), true);
        const std::pair<PointF, std::uint32_t> dabs[] = {{{9 * k, 13 * k}, 0xD9362B}, {{14.5f * k, 9 * k}, 0xE3B21C},
                                                         {{21 * k, 9.5f * k}, 0x2E9E3A}, {{25 * k, 15 * k}, 0x2F7FD8},
                                                         {{10 * k, 20 * k}, 0x7A4FC8}};
        for (const auto& [at, color] : dabs) Badge(s, at.x, at.y, 2.8f * k, Hex(color));
        break;
      }
      case Tool::Play:
        Badge(s, 16 * k, 16 * k, 13 * k, Hex(0x2E9E3A));
        Play(s, 17.5f * k, 16 * k, 13 * k, Hex(0xFFFFFF));
        break;
      case Tool::Pause:
        Badge(s, 16 * k, 16 * k, 13 * k, Hex(0xE39A1C));
        Fill(s, Path().RoundRect(RectF{10.5f * k, 9 * k, 14 * k, 23 * k}, 1).RoundRect(RectF{18 * k, 9 * k, 21.5f * k, 23 * k}, 1),
             Solid(Hex(0xFFFFFF)));
        break;
      case Tool::Stop:
        Badge(s, 16 * k, 16 * k, 13 * k, Hex(0xD9362B));
        Fill(s, Path().RoundRect(RectF{10.5f * k, 10.5f * k, 21.5f * k, 21.5f * k}, 1.5f * k), Solid(Hex(0xFFFFFF)));
        break;
      case Tool::Sound:
        Speaker(s, k, Hex(0x4C5C70));
        Fill(s, Path().Stroke({{20.5f * k, 12 * k}, {22 * k, 16 * k}, {20.5f * k, 20 * k}}, 2 * k)
                    .Stroke({{24 * k, 8.5f * k}, {26.5f * k, 16 * k}, {24 * k, 23.5f * k}}, 2 * k),
             Solid(Hex(0x2F7FD8)));
        break;
      case Tool::Mute:
        Speaker(s, k, Hex(0x4C5C70));
        Fill(s, Path().Stroke({{20 * k, 11 * k}, {28 * k, 21 * k}}, 2.6f * k).Stroke({{28 * k, 11 * k}, {20 * k, 21 * k}}, 2.6f * k),
             Solid(Hex(0xD9362B)));
        break;
      case Tool::Snapshot: {  // a camera
        const RectF body{3 * k, 9 * k, 29 * k, 27 * k};
        Fill(s, Path().RoundRect(RectF{10 * k, 5 * k, 20 * k, 11 * k}, 1.5f * k), Solid(Hex(0x3C4C60)));
        Fill(s, Path().RoundRect(body, 3 * k), Vertical(body.y0, body.y1, Hex(0x6A7A90), Hex(0x2A3444)));
        Fill(s, Path().Ellipse(16 * k, 18 * k, 6.5f * k, 6.5f * k), Solid(Hex(0xDDE4EE)));
        Fill(s, Path().Ellipse(16 * k, 18 * k, 5 * k, 5 * k), Radial(15 * k, 16 * k, 7 * k, Hex(0x9FD8FF), Hex(0x1E4F8A)));
        Fill(s, Path().Ellipse(25 * k, 12.5f * k, 1.4f * k, 1.4f * k), Solid(Hex(0xFFD24A)));
        break;
      }
    }
  });
  return img;
}

Image Logo(int size) {
  Image img(size, size);
  const float k = size / 64.0f;
  WithShadow(img, [&](Image& s) {
    const float m = std::max(3 * k, 1.5f);  // keeps the corners transparent at 16 pixels
    const RectF r{m, m, 64 * k - m, 64 * k - m};
    Fill(s, Path().RoundRect(r, 13 * k), Solid(Hex(0x11457A)));
    Fill(s, Path().RoundRect(r.Inset(std::max(1.0f, k)), 12 * k),
         Linear(0, r.y0, 0, r.y1, {{0.0f, Hex(0x4FC3F7)}, {0.55f, Hex(0x1E7FD0)}, {1.0f, Hex(0x2BB673)}}));
    // A phone with a play sign, and a film strip behind it.
    FilmStrip(s, {10 * k, 14 * k, 30 * k, 50 * k}, Hex(0x24364C));
    Phone(s, {28 * k, 10 * k, 52 * k, 54 * k}, Hex(0x2A2F36), false);
    Play(s, 40.5f * k, 30 * k, 13 * k, Hex(0xFFFFFF));
    Fill(s, Path().RoundRect4(RectF{r.x0 + k, r.y0 + k, r.x1 - k, 30 * k}, 12 * k, 12 * k, 0, 0),
         Vertical(r.y0, 30 * k, Rgba{1, 1, 1, 0.45f}, Rgba{1, 1, 1, 0.06f}));
  });
  return img;
}

Image EmptyQueue(int w, int h) {
  Image img(w, h);
  const float cx = w / 2.0f, cy = h / 2.0f - 10;
  // A dashed drop zone with a film, a phone and an arrow between them.
  Path dash;
  const RectF zone{12, 12, float(w - 12), float(h - 12)};
  for (float x = zone.x0 + 8; x < zone.x1 - 8; x += 14) {
    dash.RoundRect(RectF{x, zone.y0, std::min(x + 8, zone.x1 - 8), zone.y0 + 2}, 1);
    dash.RoundRect(RectF{x, zone.y1 - 2, std::min(x + 8, zone.x1 - 8), zone.y1}, 1);
  }
  for (float y = zone.y0 + 8; y < zone.y1 - 8; y += 14) {
    dash.RoundRect(RectF{zone.x0, y, zone.x0 + 2, std::min(y + 8, zone.y1 - 8)}, 1);
    dash.RoundRect(RectF{zone.x1 - 2, y, zone.x1, std::min(y + 8, zone.y1 - 8)}, 1);
  }
  Fill(img, dash, Solid(Hex(0x8A9AB0, 0.8f)));
  WithShadow(img, [&](Image& s) {
    FilmStrip(s, {cx - 150, cy - 55, cx - 70, cy + 55}, Hex(0x3C4C60));
    Play(s, cx - 110, cy, 34, Hex(0xFFFFFF));
    Fill(s, Path().Polygon({{cx - 45, cy - 12}, {cx + 15, cy - 12}, {cx + 15, cy - 28}, {cx + 48, cy}, {cx + 15, cy + 28},
                            {cx + 15, cy + 12}, {cx - 45, cy + 12}}),
         Vertical(cy - 28, cy + 28, Hex(0x7FD36B), Hex(0x2E9E3A)));
    Phone(s, {cx + 72, cy - 62, cx + 140, cy + 62}, Hex(0x2A2F36), false);
    Badge(s, cx, cy + 78, 20, Hex(0x2F7FD8));
    Fill(s, Path().Stroke({{cx - 10, cy + 78}, {cx + 10, cy + 78}}, 5).Stroke({{cx, cy + 68}, {cx, cy + 88}}, 5),
         Solid(Hex(0xFFFFFF)));
  });
  return img;
}

Artwork Picture(std::string name, Image img) {
  Artwork a{std::move(name), std::move(img), {}};
  a.Bytes = Bmp32(a.Picture);
  return a;
}

Image Strip(const std::vector<Image>& icons) {
  Image strip(int(icons.size()) * 32, 32);
  for (size_t i = 0; i < icons.size(); ++i) strip.Copy(icons[i], 0, 0, 32, 32, int(i) * 32, 0);
  return strip;
}

}  // namespace

std::vector<Artwork> DrawArtwork() {
  std::vector<Artwork> out;
  // Image2..Image15 pair dimmed and normal looks of seven toolbar commands;
  // Image16 and Image17 are the rename button's normal and dimmed looks.
  for (int cmd = 0; cmd < 7; ++cmd) {
    const Image normal = CommandGlyph(cmd, 32);
    out.push_back(Picture("glyphs/Image" + std::to_string(2 + 2 * cmd) + ".bmp", Dimmed(normal)));
    out.push_back(Picture("glyphs/Image" + std::to_string(3 + 2 * cmd) + ".bmp", normal));
  }
  const Image rename = CommandGlyph(7, 16);
  out.push_back(Picture("glyphs/Image16.bmp", rename));
  out.push_back(Picture("glyphs/Image17.bmp", Dimmed(rename)));

  // One-look glyphs: the tool bar's options and skin buttons (32 pixels) and
  // the preview player's buttons (20 pixels, to sit inside their 30 x 28 faces).
  out.push_back(Picture("glyphs/Options.bmp", ToolGlyph(Tool::Options, 32)));
  out.push_back(Picture("glyphs/Skin.bmp", ToolGlyph(Tool::Skin, 32)));
  const std::pair<const char*, Tool> player[] = {{"Play", Tool::Play},   {"Pause", Tool::Pause}, {"Stop", Tool::Stop},
                                                 {"Sound", Tool::Sound}, {"Mute", Tool::Mute},   {"Snapshot", Tool::Snapshot},
                                                 {"Settings", Tool::Options}};
  for (const auto& [name, tool] : player) out.push_back(Picture(std::string("glyphs/Player") + name + ".bmp", ToolGlyph(tool, 20)));

  // ImageList1: the 44 category pictures, one strip of 32 x 32 images.
  struct Cat {
    Sym sym;
    std::uint32_t color;
  };
  std::vector<Cat> cats(44, Cat{Sym::Film, 0x4C5C70});
  const std::uint32_t hues[] = {0x2F7FD8, 0x2E9E3A, 0xD9362B, 0xE39A1C, 0x7A4FC8, 0x1BA5A5, 0xC8407A, 0x5A6A80};
  const Sym cycle[] = {Sym::Film, Sym::Disc, Sym::Screen, Sym::Globe};
  for (int i = 0; i < 44; ++i) cats[size_t(i)] = {cycle[i % 4], hues[i % 8]};
  cats[0] = {Sym::Film, 0x3C4C60};     // common video
  cats[1] = {Sym::Note, 0xE0712A};     // common audio
  cats[2] = {Sym::Screen, 0x1F5FA8};   // HD
  cats[3] = {Sym::Pod, 0x8A96A6};      // iPod
  cats[4] = {Sym::Phone, 0x2A2F36};    // iPhone
  cats[5] = {Sym::Console, 0x33383F};  // PSP
  cats[10] = {Sym::Film, 0x2F7FD8};    // MP4
  cats[11] = {Sym::Bolt, 0xD9362B};    // Flash
  cats[13] = {Sym::Film, 0x7A4FC8};    // AVI
  cats[14] = {Sym::Film, 0x1BA5A5};    // MKV
  cats[21] = {Sym::Robot, 0x8DC63F};   // Android
  cats[28] = {Sym::Camera, 0x5A6A80};  // MOD
  cats[29] = {Sym::Globe, 0x2E9E3A};   // ASF
  cats[30] = {Sym::Screen, 0x2F7FD8};  // WMV
  cats[38] = {Sym::Camera, 0x3C4C60};  // MTS
  cats[40] = {Sym::Phone, 0x1F5FA8};   // smartphones
  std::vector<Image> list1;
  for (const Cat& c : cats) list1.push_back(Icon(c.sym, Hex(c.color)));
  out.push_back(Picture("imagelists/ImageList1.bmp", Strip(list1)));

  // ImageList2: 7 format-entry pictures (the catalogue alternates the first two).
  std::vector<Image> list2{Icon(Sym::Film, Hex(0x2F7FD8)),   Icon(Sym::Film, Hex(0x2E9E3A)),
                           Icon(Sym::Note, Hex(0xE0712A)),   Icon(Sym::Phone, Hex(0x2A2F36)),
                           Icon(Sym::Screen, Hex(0x1F5FA8)), Icon(Sym::Disc, Hex(0x7A4FC8)),
                           Icon(Sym::Camera, Hex(0x5A6A80))};
  out.push_back(Picture("imagelists/ImageList2.bmp", Strip(list2)));

  out.push_back(Picture("pictures/logo.bmp", Logo(64)));
  out.push_back(Picture("pictures/Image1.bmp", EmptyQueue(480, 260)));
  for (int size : {16, 32, 48, 64}) out.push_back(Picture("icons/program" + std::to_string(size) + ".bmp", Logo(size)));
  out.push_back({"sounds/ring001.wav", Image(), SynthesizeChime()});
  return out;
}

std::vector<std::uint8_t> SynthesizeChime() {
  constexpr int rate = 44100;
  constexpr float seconds = 1.5f;
  const int n = int(rate * seconds);
  std::vector<float> mix(size_t(n), 0.0f);
  // Two bell strikes a fifth apart; inharmonic partials give the bell colour.
  struct Strike {
    float start, freq, gain;
  };
  const Strike strikes[] = {{0.0f, 1046.5f, 0.55f}, {0.16f, 1568.0f, 0.45f}};
  const float partials[][3] = {{1.0f, 1.0f, 1.6f}, {2.76f, 0.35f, 3.2f}, {5.40f, 0.14f, 5.5f}, {0.5f, 0.18f, 1.2f}};
  for (const Strike& s : strikes)
    for (int i = int(s.start * rate); i < n; ++i) {
      const float t = float(i) / rate - s.start;
      const float attack = std::min(1.0f, t / 0.004f);
      float v = 0;
      for (const auto& p : partials) v += p[1] * std::exp(-p[2] * t) * std::sin(2 * kPi * s.freq * p[0] * t);
      mix[size_t(i)] += s.gain * attack * v;
    }
  // Fade the tail to silence.
  for (int i = 0; i < n; ++i) {
    const float left = float(n - i) / (0.2f * rate);
    if (left < 1) mix[size_t(i)] *= left;
  }
  std::vector<std::uint8_t> wav;
  auto u32 = [&](std::uint32_t v) {
    for (int b = 0; b < 4; ++b) wav.push_back(std::uint8_t(v >> (8 * b)));
  };
  auto u16 = [&](std::uint16_t v) {
    wav.push_back(std::uint8_t(v));
    wav.push_back(std::uint8_t(v >> 8));
  };
  const std::uint32_t dataBytes = std::uint32_t(n) * 2;
  wav.insert(wav.end(), {'R', 'I', 'F', 'F'});
  u32(36 + dataBytes);
  wav.insert(wav.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  u32(16);
  u16(1);  // PCM
  u16(1);  // mono
  u32(rate);
  u32(rate * 2);
  u16(2);
  u16(16);
  wav.insert(wav.end(), {'d', 'a', 't', 'a'});
  u32(dataBytes);
  for (float v : mix) u16(std::uint16_t(std::int16_t(std::lround(std::clamp(v, -1.0f, 1.0f) * 30000.0f))));
  return wav;
}

}  // namespace tools
