// The settings dialog's picker classes: the category and format pickers are
// office combo boxes (items with a title, a caption and a picture), the six
// preset boxes fixed-list skinned combo boxes.
#pragma once

#include "skin/controls/bsSkinComboBox.h"

namespace settings {

using TPresetComboBox = skin::TbsSkinComboBox;
using TOfficePicker = skin::TbsSkinOfficeComboBox;

}  // namespace settings
