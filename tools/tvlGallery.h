// Gallery sheets: a PNG per loaded skin showing an assembled frame with its
// caption buttons, a popup menu, a hint and every control description's
// pictures (composed at a sample size, then each state cut out), and a PNG
// of the program's artwork.
#pragma once

#include <string>
#include <vector>

#include "skin/data/bsSkinData.h"
#include "tools/tvlArtwork.h"
#include "tools/tvlSkins.h"

namespace tools {

void WriteSkinGallery(skin::TbsSkinData& Skin, const SkinStyle& Style, const std::string& PngPath);
void WriteArtworkGallery(const std::vector<Artwork>& Art, const std::string& PngPath);

}  // namespace tools
