// The combo box class of the dialogs' choice boxes.
#pragma once

#include "skin/controls/bsSkinComboBox.h"

namespace appforms {

using TPresetComboBox = skin::TbsSkinComboBox;

}  // namespace appforms
