// Pictures of the form descriptions: the embedded assets as bitmaps and the
// program's icon as a form's window icon.
#pragma once

#include <string_view>

#include "platform/forms/Forms.h"
#include "platform/forms/Icon.h"
#include "platform/gdi/Bitmap.h"
#include "platform/rtl/Streams.h"
#include "resources/tvlResources.h"

namespace appforms {

// Loads the named embedded picture into Bitmap; false (Bitmap unchanged)
// when there is no such asset.
inline bool LoadAssetBitmap(std::string_view Name, gdi::TBitmap* Bitmap) {
  const resources::TResource* r = resources::FindResource(Name);
  if (!r) return false;
  rtl::TMemoryStream in;
  in.WriteBuffer(r->Data, rtl::Int64(r->Size));
  in.Seek(0, rtl::soBeginning);
  Bitmap->LoadFromStream(&in);
  return true;
}

// The program's 32-pixel icon as the form's window icon.
inline void SetProgramIcon(::forms::TCustomForm* Form) {
  gdi::TBitmap b;
  if (LoadAssetBitmap("icons/program32.bmp", &b)) Form->Icon()->LoadFromBitmap(&b);
}

}  // namespace appforms
