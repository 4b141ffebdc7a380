// The categories of the category picker and their map to format groups.
//
// Immutable once built; safe to read from any thread. The main window's data
// set is FormatCategories() in ProfileTables.h; another picker (with another
// map) builds its own from its own TSV text.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "app/tables/ProfileKey.h"
#include "platform/rtl/Types.h"

namespace tables {

struct TFormatCategory {
  rtl::String Caption;
  int ImageIndex = 0;   // picture in the category image list
  int FormatGroup = 0;  // group whose entries the format picker then lists
  int Entries = 0;      // size of that group
};

class TFormatCategories {
 public:
  // Columns: category index (0, 1, ... in order), caption, picture, group, entries.
  static TFormatCategories FromTsv(std::string_view text, std::string_view source = "categories");

  int Count() const { return static_cast<int>(items_.size()); }
  const TFormatCategory& operator[](int index) const { return items_.at(index); }

  // The group a category index selects; none outside 0 .. Count()-1.
  std::optional<int> GroupOf(int categoryIndex) const;
  // The key of the profile the pickers show; none when the category maps to
  // no group or the format index is outside 0 .. 99 (no selection).
  std::optional<TProfileKey> KeyOf(const TProfileSelection& selection) const;

 private:
  std::vector<TFormatCategory> items_;
};

}  // namespace tables
