// Internal: PNG encoding and decoding through libpng, memory to memory.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/gdi/Surface.h"

namespace gdi {

// 8-bit RGB (or RGBA when withAlpha) PNG of the surface.
std::vector<std::uint8_t> EncodePng(const Surface& s, bool withAlpha);
// A 32-bit top-down surface; `hasAlpha` tells whether the file had alpha.
// Throws rtl::EInvalidGraphic on anything libpng rejects or a size over the limit.
std::unique_ptr<Surface> DecodePng(const std::uint8_t* data, std::size_t size, bool* hasAlpha);

}  // namespace gdi
