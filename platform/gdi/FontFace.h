// Internal: a resolved font at one pixel size, with its glyph cache.
//
// Faces are found through fontconfig by family, weight and slant; glyphs the
// face lacks come from a CJK fallback face at the same size. Hinting is light
// and anti-aliasing grey-scale, fixed, so output is the same on every run.
// Bold and italic are synthesised when fontconfig has no such face.
// Used under the layer's lock only.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/gdi/GdiTypes.h"

namespace gdi {

struct Glyph {
  int advance = 0;       // pixels
  int left = 0, top = 0;  // bitmap offset from the pen position on the baseline
  int width = 0, height = 0;
  std::vector<std::uint8_t> coverage;  // width * height, 0..255
};

class FontFace {
 public:
  static std::shared_ptr<FontFace> Resolve(const LOGFONTW& lf);
  ~FontFace();

  const Glyph& GetGlyph(char32_t ch);
  int Advance(char32_t ch) { return GetGlyph(ch).advance; }
  const TEXTMETRICW& Metrics() const { return tm_; }
  int Ascent() const { return tm_.tmAscent; }
  int Height() const { return tm_.tmHeight; }
  bool Underline() const { return underline_; }
  bool StrikeOut() const { return strike_; }
  int UnderlinePos() const { return underlinePos_; }      // below the baseline
  int UnderlineThickness() const { return underlineThick_; }
  int StrikePos() const { return strikePos_; }            // above the baseline

  struct Sub;  // one FreeType face at this size

 private:
  FontFace() = default;
  std::unique_ptr<Sub> primary_, fallback_;
  std::unordered_map<char32_t, Glyph> cache_;
  TEXTMETRICW tm_;
  bool underline_ = false, strike_ = false;
  int underlinePos_ = 1, underlineThick_ = 1, strikePos_ = 3;
};

// UTF-16 to code points (unpaired surrogates become U+FFFD).
std::u32string ToCodePoints(const WCHAR* text, int count);

}  // namespace gdi
