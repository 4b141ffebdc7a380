#include "player/PlayerMath.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace player {

TDisplayRect CalculateDisplayRect(int AAreaX, int AAreaY, int AAreaW, int AAreaH, int APicW, int APicH,
                                  AVRational ASar, float AAspectRatio) {
  double aspect;
  if (AAspectRatio < 0 && AAreaW != 0 && AAreaH != 0) {
    aspect = static_cast<double>(AAreaW) / AAreaH;
  } else if (AAspectRatio > 0) {
    aspect = AAspectRatio;
  } else {
    double par = ASar.num != 0 && ASar.den != 0 ? static_cast<double>(ASar.num) / ASar.den : 0;
    if (par <= 0) par = 1;
    aspect = APicH > 0 ? par * APicW / APicH : 1;
  }
  TDisplayRect r;
  int h = AAreaH;
  int w = static_cast<int>(std::lround(h * aspect)) & ~1;
  if (w > AAreaW) {
    w = AAreaW;
    h = static_cast<int>(std::lround(w / aspect)) & ~1;
  }
  r.x = AAreaX + (AAreaW - w) / 2;
  r.y = AAreaY + (AAreaH - h) / 2;
  r.w = std::max(w, 1);
  r.h = std::max(h, 1);
  return r;
}

void InitAudioDrift(TAudioDrift& ADrift, int ASampleRate) {
  ADrift.cum = 0;
  ADrift.avg_coef = std::exp(std::log(0.01) / 20);
  ADrift.threshold = ASampleRate > 0 ? 2048.0 / ASampleRate : 0;
  ADrift.avg_count = 0;
}

int AudioCorrectedSize(TAudioDrift& ADrift, double ADiff, int ASize, int AFrameBytes, int ASampleRate) {
  if (ADiff >= 10) {
    ADrift.avg_count = 0;
    ADrift.cum = 0;
    return ASize;
  }
  ADrift.cum = ADiff + ADrift.avg_coef * ADrift.cum;
  if (ADrift.avg_count < 20) {
    ADrift.avg_count++;
    return ASize;
  }
  const double avg = ADrift.cum * (1.0 - ADrift.avg_coef);
  if (std::fabs(avg) < ADrift.threshold || AFrameBytes <= 0) return ASize;
  int wanted = ASize + static_cast<int>(std::lround(ADiff * ASampleRate)) * AFrameBytes;
  const int frames = ASize / AFrameBytes;
  const int lo = (frames * 90 / 100) * AFrameBytes;
  const int hi = (frames * 110 / 100) * AFrameBytes;
  return std::clamp(wanted, lo, hi);
}

uint32_t PaletteRGBToYUV(uint32_t AArgb) {
  const int a = (AArgb >> 24) & 0xFF, r = (AArgb >> 16) & 0xFF, g = (AArgb >> 8) & 0xFF, b = AArgb & 0xFF;
  const int y = (263 * r + 517 * g + 101 * b + 16896) >> 10;
  const int u = ((-152 * r - 298 * g + 450 * b + 511) >> 10) + 128;
  const int v = ((450 * r - 377 * g - 74 * b + 511) >> 10) + 128;
  return (uint32_t(a) << 24) | (uint32_t(y & 0xFF) << 16) | (uint32_t(u & 0xFF) << 8) | uint32_t(v & 0xFF);
}

void BlendSubtitle(uint8_t* const APlanes[3], const int APitches[3], int AImageW, int AImageH,
                   const uint8_t* AIndexes, int AIndexPitch, const uint32_t* APalette, int ARectX, int ARectY,
                   int ARectW, int ARectH) {
  const int w = std::clamp(ARectW, 0, AImageW), h = std::clamp(ARectH, 0, AImageH);
  const int x0 = std::clamp(ARectX, 0, AImageW - w), y0 = std::clamp(ARectY, 0, AImageH - h);
  auto at = [&](int x, int y) { return APalette[AIndexes[y * AIndexPitch + x]]; };
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint32_t c = at(x, y);
      const int a = c >> 24, yy = (c >> 16) & 0xFF;
      uint8_t& p = APlanes[0][(y0 + y) * APitches[0] + x0 + x];
      p = static_cast<uint8_t>((p * (255 - a) + yy * a) / 255);
    }
  // Chroma: one sample per 2 x 2 block of the picture.
  for (int cy = y0 / 2; cy <= (y0 + h - 1) / 2 && h > 0; ++cy)
    for (int cx = x0 / 2; cx <= (x0 + w - 1) / 2 && w > 0; ++cx) {
      int k = 0, asum = 0, usum = 0, vsum = 0;
      for (int dy = 0; dy < 2; ++dy)
        for (int dx = 0; dx < 2; ++dx) {
          const int px = cx * 2 + dx - x0, py = cy * 2 + dy - y0;
          if (px < 0 || py < 0 || px >= w || py >= h) continue;
          const uint32_t c = at(px, py);
          ++k;
          asum += c >> 24;
          usum += (c >> 8) & 0xFF;
          vsum += c & 0xFF;
        }
      if (!k) continue;
      const int a = asum >> 2;
      uint8_t& u = APlanes[1][cy * APitches[1] + cx];
      uint8_t& v = APlanes[2][cy * APitches[2] + cx];
      u = static_cast<uint8_t>((u * k * (255 - a) + usum * a) / (255 * k));
      v = static_cast<uint8_t>((v * k * (255 - a) + vsum * a) / (255 * k));
    }
}

std::string VideoFilterDescription(int ADebugMv, const std::string& AFilters) {
  std::string mv;
  for (auto [bit, name] : {std::pair{1, "pf"}, std::pair{2, "bf"}, std::pair{4, "bb"}})
    if (ADebugMv & bit) mv += (mv.empty() ? "" : "+") + std::string(name);
  if (mv.empty()) return AFilters;
  const std::string view = "codecview=mv=" + mv;
  return AFilters.empty() ? view : view + "," + AFilters;
}

}  // namespace player
