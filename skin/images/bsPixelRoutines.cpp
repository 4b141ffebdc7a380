#include "skin/images/bsPixelRoutines.h"

#include <algorithm>
#include <cstring>

#include <emmintrin.h>

namespace skin {

namespace {

TbsColor PlainBlendPixel(TbsColor F, TbsColor B) {
  const std::uint32_t a = F >> 24;
  if (a == 255) return F;
  if (a == 0) return B;
  std::uint32_t r = 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    const std::uint32_t cf = (F >> shift) & 0xFF, cb = (B >> shift) & 0xFF;
    r |= ((cf * a + cb * (255 - a)) >> 8) << shift;
  }
  return r;
}

// (B * 256 + (F - B) * a) >> 8 per byte, alpha included: B weighed with 256 - a.
TbsColor MmxBlendPixel(TbsColor F, TbsColor B) {
  const std::uint32_t a = F >> 24;
  std::uint32_t r = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const std::uint32_t cf = (F >> shift) & 0xFF, cb = (B >> shift) & 0xFF;
    r |= ((cb * (256 - a) + cf * a) >> 8) << shift;
  }
  return r;
}

void PlainBlendRow(const TbsColor* Src, TbsColor* Dst, int Count) {
  for (int i = 0; i < Count; ++i) {
    const std::uint32_t a = Src[i] >> 24;
    if (a == 0) continue;
    Dst[i] = a == 255 ? Src[i] : PlainBlendPixel(Src[i], Dst[i]);
  }
}

// Two pixels per step in 16-bit lanes, as the original four-lane routine did
// one pixel per register; pixels with alpha 0 or 255 are left or copied.
void MmxBlendRow(const TbsColor* Src, TbsColor* Dst, int Count) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i k256 = _mm_set1_epi16(256);
  int i = 0;
  for (; i + 2 <= Count; i += 2) {
    std::uint32_t s0 = Src[i], s1 = Src[i + 1];
    const std::uint32_t a0 = s0 >> 24, a1 = s1 >> 24;
    if ((a0 == 0 || a0 == 255) && (a1 == 0 || a1 == 255)) {
      if (a0 == 255) Dst[i] = s0;
      if (a1 == 255) Dst[i + 1] = s1;
      continue;
    }
    std::uint64_t sp = std::uint64_t(s0) | std::uint64_t(s1) << 32;
    std::uint64_t dp = std::uint64_t(Dst[i]) | std::uint64_t(Dst[i + 1]) << 32;
    const __m128i f = _mm_unpacklo_epi8(_mm_cvtsi64_si128(std::int64_t(sp)), zero);
    const __m128i b = _mm_unpacklo_epi8(_mm_cvtsi64_si128(std::int64_t(dp)), zero);
    const __m128i a = _mm_set_epi16(short(a1), short(a1), short(a1), short(a1), short(a0), short(a0), short(a0),
                                    short(a0));
    // b * (256 - a) + f * a stays within 16 unsigned bits (at most 255 * 256).
    const __m128i sum = _mm_add_epi16(_mm_mullo_epi16(b, _mm_sub_epi16(k256, a)), _mm_mullo_epi16(f, a));
    const __m128i res = _mm_packus_epi16(_mm_srli_epi16(sum, 8), zero);
    std::uint64_t out = std::uint64_t(_mm_cvtsi128_si64(res));
    if (a0 == 0) out = (out & 0xFFFFFFFF00000000ull) | Dst[i];
    else if (a0 == 255) out = (out & 0xFFFFFFFF00000000ull) | s0;
    if (a1 == 0) out = (out & 0xFFFFFFFFull) | std::uint64_t(Dst[i + 1]) << 32;
    else if (a1 == 255) out = (out & 0xFFFFFFFFull) | std::uint64_t(s1) << 32;
    Dst[i] = std::uint32_t(out);
    Dst[i + 1] = std::uint32_t(out >> 32);
  }
  for (; i < Count; ++i) {
    const std::uint32_t a = Src[i] >> 24;
    if (a == 0) continue;
    Dst[i] = a == 255 ? Src[i] : MmxBlendPixel(Src[i], Dst[i]);
  }
}

void CopyRowKeyedImpl(const TbsColor* Src, TbsColor* Dst, int Count) {
  for (int i = 0; i < Count; ++i)
    if ((Src[i] & 0xFFFFFF) != (bsTransparentKey & 0xFFFFFF)) Dst[i] = Src[i] | 0xFF000000u;
}

void MoveRowImpl(const TbsColor* Src, TbsColor* Dst, int Count) {
  if (Count <= 0 || Src == Dst) return;
  std::memmove(Dst, Src, std::size_t(Count) * sizeof(TbsColor));
}

void FillRowImpl(TbsColor* Dst, int Count, TbsColor Value) {
  if (Count > 0) std::fill_n(Dst, Count, Value);
}

void FillPixelRectImpl(TbsColor* Bits, int Width, TbsColor Value, int Bottom, int Right, int Top, int Left) {
  if (Right < Left || Bottom < Top) return;
  for (int y = Top; y <= Bottom; ++y) std::fill_n(Bits + std::size_t(y) * Width + Left, Right - Left + 1, Value);
}

void SetAlphaRowImpl(TbsColor* Dst, int Count, std::uint8_t Alpha) {
  const TbsColor a = TbsColor(Alpha) << 24;
  for (int i = 0; i < Count; ++i) Dst[i] = (Dst[i] & 0xFFFFFF) | a;
}

void SetAlphaRectImpl(TbsColor* Bits, int Width, std::uint8_t Alpha, int Bottom, int Right, int Top, int Left) {
  if (Right < Left || Bottom < Top) return;
  for (int y = Top; y <= Bottom; ++y) SetAlphaRowImpl(Bits + std::size_t(y) * Width + Left, Right - Left + 1, Alpha);
}

void ClearAlphaOfColorImpl(TbsColor* Dst, int Count, TbsColor Color) {
  for (int i = 0; i < Count; ++i)
    if ((Dst[i] & 0xFFFFFF) == (Color & 0xFFFFFF)) Dst[i] &= 0xFFFFFF;
}

constexpr TbsPixelRoutines kPlain{PlainBlendPixel, PlainBlendRow, CopyRowKeyedImpl, MoveRowImpl, FillRowImpl,
                                  FillPixelRectImpl, SetAlphaRowImpl, SetAlphaRectImpl, ClearAlphaOfColorImpl};
constexpr TbsPixelRoutines kMmx{MmxBlendPixel, MmxBlendRow, CopyRowKeyedImpl, MoveRowImpl, FillRowImpl,
                                FillPixelRectImpl, SetAlphaRowImpl, SetAlphaRectImpl, ClearAlphaOfColorImpl};

}  // namespace

const TbsPixelRoutines& PixelRoutines() { return kMmx; }
const TbsPixelRoutines& PlainPixelRoutines() { return kPlain; }
const TbsPixelRoutines& MmxPixelRoutines() { return kMmx; }

}  // namespace skin
