#include "app/options/Snapshot.h"

#include "platform/gdi/ImageFormats.h"
#include "platform/rtl/FileSys.h"
#include "platform/rtl/SysUtils.h"

namespace app {

namespace {

rtl::String BaseName(const rtl::String& path) {
  const std::size_t slash = path.rfind(u'/');
  rtl::String name = slash == rtl::String::npos ? path : path.substr(slash + 1);
  const std::size_t dot = name.rfind(u'.');
  if (dot != rtl::String::npos) name.resize(dot);
  return name;
}

}  // namespace

rtl::String SnapshotFileName(const rtl::String& folder, const rtl::String& playerFileName,
                             TSnapshotPicture picture, const TNameTakenFunc& taken) {
  const rtl::String stem = folder + u"/" + BaseName(playerFileName) + u"_";
  const rtl::String ext = PictureExtension(picture);
  for (int n = 1;; ++n) {
    rtl::String name = stem + rtl::IntToStr(n) + ext;
    if (!taken(name)) return name;
  }
}

rtl::String SaveSnapshot(gdi::TBitmap& frame, const rtl::String& folder,
                         const rtl::String& playerFileName, TSnapshotPicture picture) {
  if (frame.Width() <= 0) return {};
  const rtl::String name = SnapshotFileName(folder, playerFileName, picture,
                                            [](const rtl::String& f) { return rtl::FileGetAttr(f) != -1; });
  switch (picture) {
    case TSnapshotPicture::Bmp: frame.SaveToFile(name); break;
    case TSnapshotPicture::Jpg: {
      gdi::TJPEGImage image;
      image.Assign(&frame);
      image.SaveToFile(name);
      break;
    }
    case TSnapshotPicture::Gif: {
      gdi::TGIFImage image;
      image.Assign(&frame);
      image.SaveToFile(name);
      break;
    }
    case TSnapshotPicture::Png: {
      gdi::TPNGImage image;
      image.Assign(&frame);
      image.SaveToFile(name);
      break;
    }
  }
  return name;
}

}  // namespace app
