// A 24-bit top-down DIB section (rows padded to four bytes), the pixel form
// of the effect bitmap and of the mask reader. Internal to skin images.
#pragma once

#include <cstdint>

#include "platform/gdi/Gdi.h"

namespace skin {

// Fills Info for Width x Height and makes the section; null (and Bits null)
// when the sizes are not positive or the system refuses.
inline gdi::HBITMAP CreateDib24(int Width, int Height, gdi::BITMAPINFO& Info, std::uint8_t*& Bits) {
  Bits = nullptr;
  if (Width <= 0 || Height <= 0) return nullptr;
  Info = gdi::BITMAPINFO{};
  Info.bmiHeader.biWidth = Width;
  Info.bmiHeader.biHeight = -Height;
  Info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  gdi::HBITMAP h = gdi::CreateDIBSection(nullptr, &Info, gdi::DIB_RGB_COLORS, &bits, nullptr, 0);
  if (h && !bits) {
    gdi::DeleteObject(h);
    h = nullptr;
  }
  Bits = static_cast<std::uint8_t*>(bits);
  return h;
}

}  // namespace skin
