// The codec step: Video_ fields, output name and the selected row's cells.
#include "app/tables/CodecParameterSetter.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "platform/rtl/Strings.h"
#include "tests/app/tables/TempDir.h"

namespace tables {
namespace {

using rtl::S;
using rtl::U8;

// Category indexes of the groups used below.
constexpr int kCommonVideo = 1;  // group 0
constexpr int kCommonAudio = 5;  // group 1
constexpr int kMod = 15;         // group 22

class RecordingRow : public IQueueRowCells {
 public:
  void SetSubItem(int index, const rtl::String& text) override {
    order.push_back(index);
    cells[index] = U8(text);
  }
  std::vector<int> order;
  std::map<int, std::string> cells;
};

class CodecStep : public ::testing::Test {
 protected:
  CodecStep() { setter.FileExists = [this](const rtl::String& n) { return taken.count(U8(n)) > 0; }; }

  bool Apply(int category, int format, IQueueRowCells* row = nullptr, bool overwrite = false) {
    return setter.Apply(video, {{category, format}, S("/out"), overwrite, row});
  }

  TCodecParameterSetter setter;
  std::set<std::string> taken;
  TVideoFields video;
};

TEST_F(CodecStep, CommonAviProfile) {
  video.Video_AddFileName = S("/v/clip.mkv");
  video.Video_VideoFilters = S("left over");
  ASSERT_TRUE(Apply(kCommonVideo, 0));
  EXPECT_EQ(U8(video.Video_OutPutFileName), "/out/clip.avi");
  EXPECT_EQ(U8(video.Video_AddFileName), "/v/clip.mkv");
  EXPECT_EQ(U8(video.Video_FileExt), ".avi");
  EXPECT_EQ(U8(video.Video_VideoCodec), "mpeg4");
  EXPECT_EQ(U8(video.Video_VideoTag), "XVID");
  EXPECT_EQ(U8(video.Video_FrameRate), "25");
  EXPECT_EQ(U8(video.Video_FrameSize), "");
  EXPECT_EQ(video.Video_VideoBitrate, 816000);
  EXPECT_EQ(U8(video.Video_AudioCodec), "libmp3lame");
  EXPECT_EQ(U8(video.Video_AudioChannels), "2");
  EXPECT_EQ(U8(video.Video_AudioSampleRate), "44100");
  EXPECT_EQ(video.Video_AudioBitrate, 128000);
  EXPECT_EQ(U8(video.Video_AudioVolume), "256");
  EXPECT_EQ(U8(video.Video_VideoFilters), "") << "the reset runs first";
  EXPECT_FALSE(video.Video_DisableVideo);
}

TEST_F(CodecStep, OutputNameIsUniqueUnlessOverwriting) {
  video.Video_AddFileName = S("/v/clip.mkv");
  taken = {"/out/clip.avi", "/out/clip_1.avi"};
  Apply(kCommonVideo, 0);
  EXPECT_EQ(U8(video.Video_OutPutFileName), "/out/clip_2.avi");
  Apply(kCommonVideo, 0);
  EXPECT_EQ(U8(video.Video_OutPutFileName), "/out/clip_2.avi") << "nothing reserves a name";
  Apply(kCommonVideo, 0, nullptr, /*overwrite=*/true);
  EXPECT_EQ(U8(video.Video_OutPutFileName), "/out/clip.avi");
}

TEST_F(CodecStep, AudioOnlyProfileWritesTheRow) {
  video.Video_AddFileName = S("/v/song.wav");
  RecordingRow row;
  ASSERT_TRUE(Apply(kCommonAudio, 0, &row));  // key 100, MP3
  EXPECT_TRUE(video.Video_DisableVideo);
  EXPECT_EQ(U8(video.Video_OutPutFileName), "/out/song.mp3");
  const std::map<int, std::string> expected = {
      {10, ""},   {11, "libmp3lame"}, {12, "2"},  {13, ""},      {14, ".mp3"},
      {15, ""},   {16, "-1"},         {17, ""},   {18, "128000"}, {19, "48000"},
      {20, ""},   {21, "True"},       {22, ""},   {23, ""}};
  EXPECT_EQ(row.cells, expected);
  EXPECT_EQ(row.order, (std::vector<int>{10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23}));
}

TEST_F(CodecStep, TargetAndRealMediaProfiles) {
  video.Video_AddFileName = S("/v/clip.mkv");
  RecordingRow dvd;
  ASSERT_TRUE(Apply(kCommonVideo, 11, &dvd));
  EXPECT_EQ(U8(video.Video_OutPutFileName), "/out/clip.mpg");
  EXPECT_EQ(U8(video.Video_FileExt), "");
  EXPECT_EQ(dvd.cells[16], "-1000");
  EXPECT_EQ(dvd.cells[18], "-1000");
  EXPECT_EQ(dvd.cells[21], "False");
  EXPECT_EQ(dvd.cells[22], "dvd");
  EXPECT_EQ(dvd.cells[23], "PAL");
  EXPECT_EQ(dvd.cells[10] + dvd.cells[11] + dvd.cells[12] + dvd.cells[19], "");

  ASSERT_TRUE(Apply(kCommonVideo, 14));  // RealMedia video: three settings only
  EXPECT_EQ(U8(video.Video_OutPutFileName), "/out/clip.rm");
  EXPECT_EQ(U8(video.Video_VideoCodec), "rv20");
  EXPECT_EQ(U8(video.Video_FrameSize), "320*240");
  EXPECT_EQ(U8(video.Video_FileExt + video.Video_AudioCodec + video.Video_AudioChannels +
               video.Video_AudioSampleRate + video.Video_TargetType),
            "");
  EXPECT_EQ(video.Video_VideoBitrate, -1);
  EXPECT_EQ(video.Video_AudioBitrate, -1);
}

TEST_F(CodecStep, CategoryMapChoosesTheGroup) {
  video.Video_AddFileName = S("/v/clip.mts");
  ASSERT_TRUE(Apply(kMod, 0));  // key 2200
  EXPECT_EQ(video.Video_VideoBitrate, FormatCodecTable().Find(2200)->VideoBitrate);
  EXPECT_EQ(video.Video_OutPutFileName.substr(0, 9), u"/out/clip");
  EXPECT_EQ(video.Video_OutPutFileName.substr(9), FormatCodecTable().Find(2200)->Ext);
}

TEST_F(CodecStep, NoProfileLeavesTheRowAlone) {
  video.Video_AddFileName = S("/v/clip.mkv");
  video.Video_VideoCodec = S("stale");
  RecordingRow row;
  EXPECT_FALSE(Apply(kCommonVideo, -1, &row));
  EXPECT_FALSE(Apply(kCommonVideo, 15, &row));  // past the group's end
  EXPECT_FALSE(Apply(16, 0, &row));             // no such category
  EXPECT_TRUE(row.order.empty());
  EXPECT_EQ(U8(video.Video_VideoCodec), "") << "the fields are still reset";
  EXPECT_EQ(U8(video.Video_OutPutFileName), "");
  EXPECT_EQ(video.Video_VideoBitrate, -1);
}

TEST_F(CodecStep, RealFolderWithCjkNames) {
  test::TempDir dir;
  dir.Touch("我的 视频.v2.mp4");
  TCodecParameterSetter real;
  video.Video_AddFileName = S("/media/我的 视频.v2.MOV");
  ASSERT_TRUE(real.Apply(video, {{kCommonVideo, 1}, S(dir.Utf8()), false, nullptr}));  // key 1, .mp4
  EXPECT_EQ(U8(video.Video_OutPutFileName), dir.Utf8() + "/我的 视频.v2_1.mp4");
}

}  // namespace
}  // namespace tables
