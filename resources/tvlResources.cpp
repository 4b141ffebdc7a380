#include "resources/tvlResources.h"

#include <string>
#include <vector>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Strings.h"
#include "resources/tvlResourcesData.h"

namespace resources {

namespace {

const std::vector<TResource>& Table() {
  static const std::vector<TResource> table = [] {
    std::vector<TResource> t;
    for (int i = 0; i < detail::kBlobCount; ++i) {
      const auto& b = detail::kBlobs[i];
      t.push_back({b.Name, b.Begin, static_cast<std::size_t>(b.End - b.Begin)});
    }
    return t;
  }();
  return table;
}

void CheckSkinIndex(int Index) {
  if (Index < 0 || Index >= detail::kStoredSkinCount)
    throw rtl::EListError(rtl::S("List index out of bounds (" + std::to_string(Index) + ")"));
}

}  // namespace

std::span<const TResource> Resources() { return Table(); }

const TResource* FindResource(std::string_view Name) {
  for (const TResource& r : Table())
    if (r.Name == Name) return &r;
  return nullptr;
}

int StoredSkinCount() { return detail::kStoredSkinCount; }

const TResource& StoredSkin(int Index) {
  CheckSkinIndex(Index);
  // The skins lead the table in their order.
  return Table()[static_cast<std::size_t>(Index)];
}

rtl::String StoredSkinName(int Index) {
  CheckSkinIndex(Index);
  return rtl::Utf8ToString(detail::kStoredSkinNames[Index]);
}

}  // namespace resources
