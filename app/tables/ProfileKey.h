// ProfileKey: FormatGroup x 100 + the profile's index within its group. One key
// selects the catalogue entry, the codec parameters and the preset choices of
// a profile alike. No group holds 100 entries, so group and index never alias.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

namespace tables {

using TProfileKey = std::int32_t;

inline constexpr int kMaxEntriesPerGroup = 100;

constexpr TProfileKey ProfileKeyOf(int formatGroup, int index) {
  return formatGroup * kMaxEntriesPerGroup + index;
}
constexpr int FormatGroupOf(TProfileKey key) { return key / kMaxEntriesPerGroup; }
constexpr int IndexInGroup(TProfileKey key) { return key % kMaxEntriesPerGroup; }

// The row with the key among rows kept in ascending Key order, or null.
template <class TRow>
const TRow* FindRowByKey(const std::vector<TRow>& rows, TProfileKey key) {
  auto it = std::lower_bound(rows.begin(), rows.end(), key, [](const TRow& r, TProfileKey k) { return r.Key < k; });
  return it != rows.end() && it->Key == key ? &*it : nullptr;
}

// What the category and format pickers show: the category picker's ItemIndex
// and the format picker's ItemIndex (-1 when it has no selection).
struct TProfileSelection {
  int CategoryIndex = 0;
  int FormatIndex = 0;
};

}  // namespace tables
