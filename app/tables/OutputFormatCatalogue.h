// The output format catalogue: title and description of every profile, in
// format groups whose order is the format picker's order.
//
// Immutable once built; safe to read from any thread. The main window's
// catalogue is OutputFormatCatalogue() in ProfileTables.h.
#pragma once

#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "app/tables/ProfileKey.h"
#include "platform/rtl/Types.h"

namespace tables {

struct TCatalogueEntry {
  TProfileKey Key = 0;
  rtl::String Title;    // ends in "(*.ext)"; not unique: the key identifies a profile
  rtl::String Caption;  // one-line description under the title
  int ImageIndex = 0;   // picture in the format picker's image list
};

// Where the entries' pictures come from.
enum class TCatalogueImages {
  Alternating,  // 0, 1, 0, ... from each group's first entry (the main window's picker)
  FromColumn,   // a fourth column gives each entry's picture
};

class TOutputFormatCatalogue {
 public:
  // Columns: key, title, caption[, picture]. Keys ascend, and the keys of each
  // group run group x 100 + 0, 1, 2, ... without gaps.
  static TOutputFormatCatalogue FromTsv(std::string_view text, std::string_view source = "catalogue",
                                        TCatalogueImages images = TCatalogueImages::Alternating);

  int Count() const { return static_cast<int>(entries_.size()); }
  // Groups 0 .. GroupCount()-1; a group may be empty.
  int GroupCount() const { return static_cast<int>(groups_.size()); }
  // The entries of one group in picker order; empty for an unknown group.
  std::span<const TCatalogueEntry> Group(int formatGroup) const;
  const TCatalogueEntry* Find(TProfileKey key) const;
  const std::vector<TCatalogueEntry>& Entries() const { return entries_; }

 private:
  std::vector<TCatalogueEntry> entries_;
  std::vector<std::pair<std::size_t, std::size_t>> groups_;  // [first, last) into entries_
};

}  // namespace tables
