#include "app/tables/CatalogueBuilder.h"

namespace tables {

void BuildFormatList(int categoryIndex, IFormatPicker& picker,
                     const TFormatCategories& categories,
                     const TOutputFormatCatalogue& catalogue) {
  picker.ClearItems();
  picker.Repaint();
  std::span<const TCatalogueEntry> group;
  if (std::optional<int> g = categories.GroupOf(categoryIndex)) group = catalogue.Group(*g);
  for (const TCatalogueEntry& entry : group)
    picker.AddItem(entry.Title, entry.Caption, entry.ImageIndex);
  picker.Repaint();
  picker.SetItemIndex(group.empty() ? -1 : 0);
}

}  // namespace tables
