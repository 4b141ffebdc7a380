// Filling the format picker with the profiles of the chosen category (the
// work behind the main window's hidden "添加combox" button).
//
// GUI thread only. The picker's change handler runs nested inside the
// builder's last step.
#pragma once

#include "app/tables/FormatCategories.h"
#include "app/tables/OutputFormatCatalogue.h"
#include "app/tables/ProfileTables.h"
#include "platform/rtl/Types.h"

namespace tables {

// The format picker as the builder uses it.
class IFormatPicker {
 public:
  virtual ~IFormatPicker() = default;
  virtual void ClearItems() = 0;  // removes every item
  // Adds an item, then sets its Title, Caption and ImageIndex in that order.
  virtual void AddItem(const rtl::String& title, const rtl::String& caption, int imageIndex) = 0;
  virtual void Repaint() = 0;
  // Must raise the picker's change notification on every call, also when the
  // index does not change: that is what reloads the presets.
  virtual void SetItemIndex(int index) = 0;
};

// Clears the picker, adds the entries of the category's group in catalogue
// order and selects the first. A category that maps to no group (or to an
// empty one) leaves the picker empty and selects -1, still raising the change.
void BuildFormatList(int categoryIndex, IFormatPicker& picker,
                     const TFormatCategories& categories = FormatCategories(),
                     const TOutputFormatCatalogue& catalogue = OutputFormatCatalogue());

}  // namespace tables
