#include "app/tables/OutputFormatCatalogue.h"

#include "app/tables/TsvReader.h"
#include "platform/rtl/Strings.h"

namespace tables {

TOutputFormatCatalogue TOutputFormatCatalogue::FromTsv(std::string_view text,
                                                       std::string_view source,
                                                       TCatalogueImages images) {
  TOutputFormatCatalogue result;
  const bool imageColumn = images == TCatalogueImages::FromColumn;
  for (const TTsvRecord& r : ReadTsv(text, source, imageColumn ? 4 : 3)) {
    TCatalogueEntry e;
    e.Key = TsvInt(source, r, 0);
    if (e.Key < 0) TableError(source, r.Line, "negative key");
    const int group = FormatGroupOf(e.Key);
    while (result.GroupCount() <= group)
      result.groups_.emplace_back(result.entries_.size(), result.entries_.size());
    if (group != result.GroupCount() - 1)
      TableError(source, r.Line, "keys must ascend");
    auto& [first, last] = result.groups_[group];
    if (static_cast<std::size_t>(IndexInGroup(e.Key)) != last - first)
      TableError(source, r.Line, "key " + std::to_string(e.Key) + " leaves a gap in its group");
    e.Title = rtl::Utf8ToString(r.Fields[1]);
    e.Caption = rtl::Utf8ToString(r.Fields[2]);
    e.ImageIndex = imageColumn ? TsvInt(source, r, 3) : IndexInGroup(e.Key) % 2;
    result.entries_.push_back(std::move(e));
    ++last;
  }
  return result;
}

std::span<const TCatalogueEntry> TOutputFormatCatalogue::Group(int formatGroup) const {
  if (formatGroup < 0 || formatGroup >= GroupCount()) return {};
  auto [first, last] = groups_[formatGroup];
  return std::span<const TCatalogueEntry>(entries_.data() + first, last - first);
}

const TCatalogueEntry* TOutputFormatCatalogue::Find(TProfileKey key) const {
  if (key < 0) return nullptr;
  std::span<const TCatalogueEntry> group = Group(FormatGroupOf(key));
  const auto index = static_cast<std::size_t>(IndexInGroup(key));
  return index < group.size() ? &group[index] : nullptr;
}

}  // namespace tables
