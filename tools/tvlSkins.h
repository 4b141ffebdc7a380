// The eleven stored skins: their looks and the drawing of their pictures and
// descriptions.
//
// One set of drawing routines serves every skin; a skin is a style record
// (colours, corner radii, gloss, surface texture, caption-button shape).
// BuildSkin draws the pictures, fills a TbsSkinData with the descriptions,
// writes it as a folder skin with the skin data's own writer, reads that back
// with the skin data's reader and packs the result into the compressed
// container, which it returns.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/tvlRaster.h"

namespace tools {

enum class CaptionButtons { Square, Round, Glass };

struct SkinStyle {
  const char* Name;  // display name, UTF-8
  const char* Id;    // ASCII file name stem
  const char* Look;  // one sentence for the build log and the gallery
  Rgba Face0, Face1, Hot0, Hot1, Down0, Down1;
  Rgba Border, HotBorder, DownBorder;
  Rgba Accent, Window, Body;
  Rgba Text, HotText, DisabledText, SelText;
  Rgba Cap0, Cap1, CapBorder, CapText, CapTextInactive;
  Rgba Menu, MenuText;
  float Radius, FrameRadius, Gloss;
  Texture FaceTex;
  float FaceTexAmount;
  Texture CapTex;
  float CapTexAmount;
  CaptionButtons Buttons;
  int CaptionHeight;
  bool Dark;
  // Caption buttons and push buttons glow under the pointer (a halo shown
  // in a layered window where the desktop composes windows).
  bool Glow = false;
  // Every bordered window gets a soft shadow border (LAYERFRAME).
  bool ShadowBorder = false;
};

// In the order of the skin choice (index 1 is the form's default).
const std::vector<SkinStyle>& SkinStyles();

// Draws the skin, writes its folder skin (skin.ini and BMP pictures) into
// Folder, and returns the compressed container of what the reader loaded.
std::vector<std::uint8_t> BuildSkin(const SkinStyle& Style, const std::string& Folder);

}  // namespace tools
