// Internal: the table the asset generator writes (tvlAssetsData.cpp).
#pragma once

namespace resources::detail {

struct TResourceBlob {
  const char* Name;
  const unsigned char* Begin;
  const unsigned char* End;
};

extern const TResourceBlob kBlobs[];
extern const int kBlobCount;
extern const char* const kStoredSkinNames[];
extern const int kStoredSkinCount;

}  // namespace resources::detail
