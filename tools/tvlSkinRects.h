// The rectangles a skin description names, with the picture each refers to:
// the gallery cuts them out, the tests check that each lies inside it.
#pragma once

#include <string>
#include <vector>

#include "skin/data/bsSkinData.h"

namespace tools {

constexpr int kFramePicture = -1;  // the frame picture
constexpr int kRelative = -2;      // relative to the description's own image (its skin rectangle's size)

struct NamedRect {
  std::string Key;  // the key it is written under
  rtl::TRect Rect;
  int Picture;      // active picture index, kFramePicture or kRelative
};

// Non-empty rectangles only; state images first in the order normal, hot,
// pressed, focused, disabled where the description has them.
std::vector<NamedRect> ControlRects(const skin::TbsDataSkinControl& Control);
std::vector<NamedRect> ObjectRects(const skin::TbsDataSkinObject& Object);

}  // namespace tools
