#include "app/tables/PresetChoiceTable.h"

#include <algorithm>
#include <optional>

#include "app/tables/TsvReader.h"
#include "platform/rtl/Strings.h"

namespace tables {

namespace {

constexpr std::array<std::string_view, kPresetBoxCount> kPrefixes = {"FS", "VB", "FR",
                                                                     "AB", "SR", "AM"};

std::optional<TPresetBox> BoxOfListName(std::string_view name) {
  for (int box = 0; box < kPresetBoxCount; ++box)
    if (name.size() > kPrefixes[box].size() && name.starts_with(kPrefixes[box]))
      return static_cast<TPresetBox>(box);
  return std::nullopt;
}

}  // namespace

TPresetChoiceTable TPresetChoiceTable::FromTsv(std::string_view listsText,
                                               std::string_view rowsText, std::string_view source) {
  TPresetChoiceTable t;
  const std::string listsSource = std::string(source) + " lists";
  for (const TTsvRecord& r : ReadTsv(listsText, listsSource, 3)) {
    const rtl::String name = rtl::Utf8ToString(r.Fields[0]);
    const int index = TsvInt(listsSource, r, 1);
    if (index == 0) {
      std::optional<TPresetBox> box = BoxOfListName(r.Fields[0]);
      if (!box) TableError(listsSource, r.Line, "list name without a box prefix");
      if (t.FindList(name)) TableError(listsSource, r.Line, "list named twice");
      t.lists_.push_back({name, *box, {}});
    } else if (t.lists_.empty() || t.lists_.back().Name != name ||
               index != static_cast<int>(t.lists_.back().Entries.size())) {
      TableError(listsSource, r.Line, "entries must be numbered 0, 1, ... within their list");
    }
    t.lists_.back().Entries.push_back(rtl::Utf8ToString(r.Fields[2]));
  }

  for (const TTsvRecord& r : ReadTsv(rowsText, source, 2 + kPresetBoxCount)) {
    TPresetChoiceRow row;
    row.Key = TsvRowKey(source, r, t.rows_);
    for (int box = 0; box < kPresetBoxCount; ++box) {
      std::string_view cell = r.Fields[1 + box];
      const std::size_t colon = cell.find(':');
      const TPresetChoiceList* list =
          colon == std::string_view::npos ? nullptr
                                          : t.FindList(rtl::Utf8ToString(cell.substr(0, colon)));
      if (!list || list->Box != box)
        TableError(source, r.Line,
                   "cell " + std::to_string(box + 1) + " names no list of its box: \"" +
                       std::string(cell) + "\"");
      TTsvRecord number{r.Line, {cell.substr(colon + 1)}};
      const int def = TsvInt(source, number, 0);
      if (def < 0 || def >= static_cast<int>(list->Entries.size()))
        TableError(source, r.Line, "default outside its list: \"" + std::string(cell) + "\"");
      row.Choices[box] = {static_cast<int>(list - t.lists_.data()), def};
    }
    const std::string_view flag = r.Fields[1 + kPresetBoxCount];
    if (flag != "yes" && !flag.empty())
      TableError(source, r.Line, "the audio-only flag is \"yes\" or empty");
    row.AudioOnly = flag == "yes";
    t.rows_.push_back(row);
  }
  return t;
}

const TPresetChoiceRow* TPresetChoiceTable::Find(TProfileKey key) const {
  return FindRowByKey(rows_, key);
}

const TPresetChoiceList* TPresetChoiceTable::FindList(std::u16string_view name) const {
  for (const TPresetChoiceList& list : lists_)
    if (list.Name == name) return &list;
  return nullptr;
}

}  // namespace tables
