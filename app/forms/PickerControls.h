// The combo box classes of the dialogs' pickers and preset boxes.
#pragma once

#include "platform/forms/StdCtrls.h"

namespace appforms {

using TPresetComboBox = forms::TComboBox;

}  // namespace appforms
