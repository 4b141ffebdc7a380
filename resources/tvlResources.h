// The program's embedded assets, drawn at build time by tools/tvl_assetgen.
//
// Names:
//   "skins/00.skn" … "skins/10.skn"   stored skins, each a compressed skin
//                                     container (version, size, zlib data), in
//                                     the order of the skin choice
//   "glyphs/Image2.bmp" … "glyphs/Image17.bmp"
//                                     command glyphs (32 x 32; Image16 and
//                                     Image17 16 x 16)
//   "imagelists/ImageList1.bmp"       44 category pictures, 32 x 32, in one strip
//   "imagelists/ImageList2.bmp"       7 format-entry pictures, 32 x 32, in one strip
//   "pictures/logo.bmp"               About box logo, 64 x 64
//   "pictures/Image1.bmp"             the empty-queue picture, 480 x 260
//   "icons/program16.bmp" … "icons/program64.bmp"
//                                     the program's (and its forms') icon in
//                                     16, 32, 48 and 64 pixels
//   "sounds/ring001.wav"              the completion chime
// Pictures are 32-bit BMP files with straight alpha whose fully transparent
// pixels are magenta (so the bottom-left pixel also keys them out). The data
// lives as long as the program; nothing here allocates.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "platform/rtl/Types.h"

namespace resources {

struct TResource {
  std::string_view Name;
  const std::uint8_t* Data = nullptr;
  std::size_t Size = 0;
  std::span<const std::uint8_t> Bytes() const { return {Data, Size}; }
};

// Every asset, in a fixed order (stored skins first).
std::span<const TResource> Resources();
// Null when there is no asset of that name.
const TResource* FindResource(std::string_view Name);

// The stored skins of the skin choice: 11, index 1 the form's default.
int StoredSkinCount();
// The container of stored skin Index (0 <= Index < StoredSkinCount()).
const TResource& StoredSkin(int Index);
// Its display name, e.g. "金属光泽".
rtl::String StoredSkinName(int Index);

}  // namespace resources
