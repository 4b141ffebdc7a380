#include "app/tables/FormatCategories.h"

#include "app/tables/TsvReader.h"
#include "platform/rtl/Strings.h"

namespace tables {

TFormatCategories TFormatCategories::FromTsv(std::string_view text, std::string_view source) {
  TFormatCategories result;
  for (const TTsvRecord& r : ReadTsv(text, source, 5)) {
    if (TsvInt(source, r, 0) != result.Count())
      TableError(source, r.Line, "categories must be numbered 0, 1, ... in order");
    TFormatCategory c;
    c.Caption = rtl::Utf8ToString(r.Fields[1]);
    c.ImageIndex = TsvInt(source, r, 2);
    c.FormatGroup = TsvInt(source, r, 3);
    c.Entries = TsvInt(source, r, 4);
    if (c.FormatGroup < 0) TableError(source, r.Line, "negative format group");
    result.items_.push_back(std::move(c));
  }
  return result;
}

std::optional<int> TFormatCategories::GroupOf(int categoryIndex) const {
  if (categoryIndex < 0 || categoryIndex >= Count()) return std::nullopt;
  return items_[categoryIndex].FormatGroup;
}

std::optional<TProfileKey> TFormatCategories::KeyOf(const TProfileSelection& selection) const {
  std::optional<int> group = GroupOf(selection.CategoryIndex);
  if (!group || selection.FormatIndex < 0 || selection.FormatIndex >= kMaxEntriesPerGroup)
    return std::nullopt;
  return ProfileKeyOf(*group, selection.FormatIndex);
}

}  // namespace tables
