// Loading the six preset boxes with the lists and defaults of the profile the
// pickers show (the work behind the main window's hidden
// "根据combox添加预设选项" button).
//
// GUI thread only. Each box is complete, entries and selection, before the
// next gets its first entry, so a box's change handler, running nested inside
// SetItemIndex, sees the boxes later in the fill order still empty.
#pragma once

#include <array>

#include "app/tables/FormatCategories.h"
#include "app/tables/PresetChoiceTable.h"
#include "app/tables/ProfileTables.h"
#include "app/tables/VideoFields.h"
#include "platform/rtl/Types.h"

namespace tables {

// One preset box as the loader uses it.
class IPresetBox {
 public:
  virtual ~IPresetBox() = default;
  virtual void ClearItems() = 0;  // raises nothing
  virtual void SetEnabled(bool enabled) = 0;  // raises nothing
  virtual void AddItem(const rtl::String& text) = 0;  // appends; raises nothing
  // Shows the entry; raises the box's change event when the shown text changes.
  virtual void SetItemIndex(int index) = 0;
};

// The six boxes, indexed by TPresetBox (fill order); none may be null.
using TPresetBoxes = std::array<IPresetBox*, kPresetBoxCount>;

// Clears and enables all six boxes, sets Video_DisableVideo to False, then,
// when the profile has a row, fills each box in fill order and disables the
// four video boxes of an audio-only profile. Without a row the boxes stay
// empty and enabled. Returns whether a row was loaded.
bool LoadPresetChoices(const TProfileSelection& selection, const TPresetBoxes& boxes,
                       TVideoFields& video,
                       const TFormatCategories& categories = FormatCategories(),
                       const TPresetChoiceTable& table = PresetChoiceTable());

}  // namespace tables
