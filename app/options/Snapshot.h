// Snapshots of the preview's picture: the first free name in the snapshot
// folder ("<base>_<n>.<ext>", n from 1) and the picture written in the
// chosen type through the image classes' default settings.
//
// GUI thread only.
#pragma once

#include <functional>

#include "app/options/OptionIni.h"
#include "platform/gdi/Bitmap.h"
#include "platform/rtl/Types.h"

namespace app {

using TNameTakenFunc = std::function<bool(const rtl::String& fileName)>;

// folder + "/" + the player file's base name + "_" + the first n from 1 that
// no existing file takes + the picture type's extension.
rtl::String SnapshotFileName(const rtl::String& folder, const rtl::String& playerFileName,
                             TSnapshotPicture picture, const TNameTakenFunc& taken);

// Saves the bitmap under the first free name and returns that name; an empty
// picture (0 pixels wide) saves nothing and returns an empty text. A file
// that cannot be written raises the image class's error.
rtl::String SaveSnapshot(gdi::TBitmap& frame, const rtl::String& folder,
                         const rtl::String& playerFileName, TSnapshotPicture picture);

}  // namespace app
