// Snapshot names and files in each picture type.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

#include "app/options/Snapshot.h"
#include "platform/gdi/ImageFormats.h"
#include "platform/rtl/Strings.h"

namespace app {
namespace {

namespace fs = std::filesystem;
using rtl::U8;

TEST(Snapshot, NamesTakeTheFirstFreeNumber) {
  std::set<std::string> existing = {"/snap/trip_1.jpg", "/snap/trip_2.jpg"};
  auto taken = [&](const rtl::String& n) { return existing.count(U8(n)) > 0; };
  EXPECT_EQ(U8(SnapshotFileName(u"/snap", u"/video/trip.avi", TSnapshotPicture::Jpg, taken)), "/snap/trip_3.jpg");
  existing.erase("/snap/trip_1.jpg");
  EXPECT_EQ(U8(SnapshotFileName(u"/snap", u"/video/trip.avi", TSnapshotPicture::Jpg, taken)), "/snap/trip_1.jpg");
  EXPECT_EQ(U8(SnapshotFileName(u"/snap", u"/v/旅行.x.mkv", TSnapshotPicture::Gif, taken)), "/snap/旅行.x_1.gif");
  EXPECT_EQ(U8(SnapshotFileName(u"/snap", u"noext", TSnapshotPicture::Png, taken)), "/snap/noext_1.png");
}

TEST(Snapshot, EachPictureTypeIsWrittenAndReadsBack) {
  std::string pattern = (fs::temp_directory_path() / "snapshot-XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  const fs::path dir = pattern;
  gdi::TBitmap frame;
  frame.SetSize(32, 24);
  frame.Canvas()->Brush()->SetColor(0x0000FF);
  frame.Canvas()->FillRect({0, 0, 32, 24});
  const rtl::String folder = rtl::Utf8ToString(dir.string());
  for (TSnapshotPicture p : {TSnapshotPicture::Bmp, TSnapshotPicture::Jpg, TSnapshotPicture::Gif,
                             TSnapshotPicture::Png}) {
    const rtl::String name = SaveSnapshot(frame, folder, u"/v/clip.mp4", p);
    ASSERT_FALSE(name.empty());
    EXPECT_EQ(U8(name), dir.string() + "/clip_1" + U8(PictureExtension(p)));
    gdi::TPicture back;
    back.LoadFromFile(name);
    EXPECT_EQ(back.Width(), 32);
    EXPECT_EQ(back.Height(), 24);
  }
  EXPECT_EQ(U8(SaveSnapshot(frame, folder, u"/v/clip.mp4", TSnapshotPicture::Bmp)), dir.string() + "/clip_2.bmp");
  gdi::TBitmap empty;
  EXPECT_TRUE(SaveSnapshot(empty, folder, u"/v/clip.mp4", TSnapshotPicture::Bmp).empty());
  fs::remove_all(dir);
}

}  // namespace
}  // namespace app
