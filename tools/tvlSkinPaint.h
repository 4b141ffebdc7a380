// Shared drawing of skin parts: control faces in their states, arrows,
// check marks, caption-button glyphs, and the atlas the parts go into.
#pragma once

#include <vector>

#include "platform/rtl/Types.h"
#include "tools/tvlRaster.h"
#include "tools/tvlSkins.h"

namespace tools {

enum class St { Normal, Hot, Down, Focused, Disabled };

struct FaceColors {
  Rgba Top, Bottom, Border;
};
FaceColors FaceOf(const SkinStyle& s, St st);

// A bordered, rounded, gradient face with gloss and an inner highlight.
void DrawFace(Image& img, const RectF& r, float radius, const SkinStyle& s, St st, float gloss = 1.0f);
// A plain gradient band (tool bars, menu bars, captions), textured by the style.
void DrawBand(Image& img, const RectF& r, const Rgba& top, const Rgba& bottom, Texture tex, float texAmount);

enum class Dir { Up, Down, Left, Right };
void DrawArrow(Image& img, float cx, float cy, float size, Dir d, const Rgba& c);
void DrawCheckMark(Image& img, float x, float y, float size, const Rgba& c);

enum class Glyph { Close, Maximize, Restore, Minimize, RollUp, RollDown, Tray, SysMenu };
void DrawGlyph(Image& img, Glyph g, const RectF& r, const Rgba& c);

// A small image drawn with a key colour: pixels the shape hardly covers
// become magenta (the automatic transparent colour of such pictures is the
// colour of their bottom-left pixel), the others are the shape composited
// over Bg, the colour it will be shown on.
Image Keyed(const Image& shape, const Rgba& bg);
constexpr std::uint32_t kKeyRgb = 0xFF00FF;
constexpr rtl::TColor kKeyColor = 0xFF00FF;  // the same as a TColor

// Parts are placed left to right in rows of a fixed width, 1 pixel apart.
class Atlas {
 public:
  Atlas(int width, const Rgba& background) : width_(width), background_(background) {}
  rtl::TRect Put(const Image& img);
  Image Build() const;

 private:
  struct Item {
    rtl::TRect At;
    Image Pixels;
  };
  int width_;
  Rgba background_;
  int x_ = 0, y_ = 0, rowHeight_ = 0;
  std::vector<Item> items_;
};

rtl::TColor ToTColor(const Rgba& c);

}  // namespace tools
