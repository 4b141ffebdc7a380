// The pixel routines behind every draw of a TbsBitmap: copy, fill, key-colour
// copy, alpha composition and alpha writes on rows of 32-bit pixels
// 0xAARRGGBB (straight alpha).
//
// Two composition variants exist. The "plain" one weighs the background with
// 255 - a and makes a composed pixel opaque; the "MMX" one computes each of
// the four bytes, alpha included, as (B * 256 + (F - B) * a) >> 8. The MMX
// variant is the one selected (every processor the converter runs on has the
// instructions it was written for); the plain one stays available and tested.
// Every routine does nothing for a count, width or height of 0 or less.
// Stateless after selection; any thread.
#pragma once

#include <cstdint>
#include <vector>

namespace skin {

using TbsColor = std::uint32_t;
using PbsColorArray = TbsColor*;
using TArrayOfseColor = std::vector<TbsColor>;

// Pixels whose low 24 bits equal this are skipped by keyed drawing.
constexpr TbsColor bsTransparentKey = 0x007F007F;

struct TbsPixelRoutines {
  TbsColor (*BlendPixel)(TbsColor F, TbsColor B);
  void (*BlendRow)(const TbsColor* Src, TbsColor* Dst, int Count);
  void (*CopyRowKeyed)(const TbsColor* Src, TbsColor* Dst, int Count);
  void (*MoveRow)(const TbsColor* Src, TbsColor* Dst, int Count);
  void (*FillRow)(TbsColor* Dst, int Count, TbsColor Value);
  // Inclusive rectangle Left..Right x Top..Bottom of an image Width pixels wide.
  void (*FillPixelRect)(TbsColor* Bits, int Width, TbsColor Value, int Bottom, int Right, int Top, int Left);
  void (*SetAlphaRow)(TbsColor* Dst, int Count, std::uint8_t Alpha);
  void (*SetAlphaRect)(TbsColor* Bits, int Width, std::uint8_t Alpha, int Bottom, int Right, int Top, int Left);
  void (*ClearAlphaOfColor)(TbsColor* Dst, int Count, TbsColor Color);
};

// The selected set (MMX composition).
const TbsPixelRoutines& PixelRoutines();
// Both variants, for callers that must name one.
const TbsPixelRoutines& PlainPixelRoutines();
const TbsPixelRoutines& MmxPixelRoutines();

inline TbsColor BlendPixel(TbsColor F, TbsColor B) { return PixelRoutines().BlendPixel(F, B); }
inline void BlendRow(const TbsColor* Src, TbsColor* Dst, int Count) { PixelRoutines().BlendRow(Src, Dst, Count); }
inline void CopyRowKeyed(const TbsColor* Src, TbsColor* Dst, int Count) {
  PixelRoutines().CopyRowKeyed(Src, Dst, Count);
}
inline void MoveRow(const TbsColor* Src, TbsColor* Dst, int Count) { PixelRoutines().MoveRow(Src, Dst, Count); }
inline void FillRow(TbsColor* Dst, int Count, TbsColor Value) { PixelRoutines().FillRow(Dst, Count, Value); }
inline void SetAlphaRow(TbsColor* Dst, int Count, std::uint8_t Alpha) { PixelRoutines().SetAlphaRow(Dst, Count, Alpha); }

}  // namespace skin
