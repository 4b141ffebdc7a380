// Settings of a queued file between the Video_ fields, the task options and
// the row's cells; the open dialogs' filter and the folder listing.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/queue/QueueOptions.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/SysUtils.h"

namespace app {
namespace {

using rtl::String;
using rtl::U8;

tables::TVideoFields ResetFields() {
  tables::TVideoFields v;
  v.Reset();
  return v;
}

TEST(AddedFileOptions, VideoFieldsBecomeOutputOptions) {
  tables::TVideoFields v = ResetFields();
  engine::TOutputOptions out;
  VideoFieldsToOutputOptions(v, out);
  EXPECT_EQ(out.VideoCodec, u"");
  EXPECT_EQ(out.VideoBitrate, -1);
  EXPECT_EQ(out.AudioVolume, 256);
  EXPECT_EQ(out.NormType, engine::ntAuto);
  EXPECT_EQ(out.TargetType, engine::ttIgnore);

  v.Video_VideoCodec = u"libx264";
  v.Video_AudioCodec = u"aac";
  v.Video_AudioChannels = u"2";
  v.Video_AudioSampleRate = u"44100";
  v.Video_FrameSize = u"320*240";
  v.Video_FrameRate = u"29.97";
  v.Video_FrameAspectRatio = u"4:3";
  v.Video_VideoTag = u"XVID";
  v.Video_TargetType = u"dvd";
  v.Video_NormType = u"PAL";
  v.Video_AudioVolume = u"200";
  v.Video_VideoBitrate = 816000;
  v.Video_AudioBitrate = -1000;
  v.Video_DisableVideo = true;
  out = {};
  VideoFieldsToOutputOptions(v, out);
  EXPECT_EQ(out.VideoCodec, u"libx264");
  EXPECT_EQ(out.VideoPreset, u"libx264-default");
  EXPECT_EQ(out.AudioCodec, u"aac");
  EXPECT_EQ(out.AudioChannels, 2);
  EXPECT_EQ(out.AudioSampleRate, 44100);
  EXPECT_EQ(out.FrameSize, u"320*240");
  EXPECT_EQ(out.FrameRate, u"29.97");
  EXPECT_EQ(out.FrameAspectRatio, u"4:3");
  EXPECT_EQ(out.VideoTag, u"XVID");
  EXPECT_EQ(out.TargetType, engine::ttDVD);
  EXPECT_EQ(out.NormType, engine::ntPAL);
  EXPECT_EQ(out.AudioVolume, 200);
  EXPECT_EQ(out.VideoBitrate, 816000);
  EXPECT_EQ(out.AudioBitrate, -1) << "-1000 leaves the bit rate to the target";
  EXPECT_TRUE(out.DisableVideo);

  const std::vector<std::pair<const char16_t*, engine::TOptionTargetType>> targets = {
      {u"vcd", engine::ttVCD}, {u"svcd", engine::ttSVCD}, {u"DVD", engine::ttIgnore}};
  for (auto [text, target] : targets) {
    v.Video_TargetType = text;
    v.Video_VideoCodec = u"mpeg4";
    v.Video_AudioChannels = u"two";  // no number: left unset
    out = {};
    VideoFieldsToOutputOptions(v, out);
    EXPECT_EQ(out.TargetType, target) << U8(text);
    EXPECT_EQ(out.VideoPreset, u"");
    EXPECT_EQ(out.AudioChannels, -1);
  }
}

TEST(AddedFileOptions, NewRowCarriesTheProfileAndRebuildsTheSameTask) {
  struct Case {
    const char* name;
    const char16_t* codec;
    const char16_t* ext;
    bool noVideo;
    const char16_t* target;
    const char16_t* norm;
  } cases[] = {{"audio only", u"", u".mp3", true, u"", u""},
               {"dvd", u"mpeg2video", u".vob", false, u"dvd", u"PAL"},
               {"x264", u"libx264", u".mp4", false, u"", u"NTSC"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    tables::TVideoFields v = ResetFields();
    v.Video_VideoCodec = c.codec;
    v.Video_AudioCodec = u"libmp3lame";
    v.Video_AudioChannels = u"2";
    v.Video_AudioSampleRate = u"44100";
    v.Video_FileExt = c.ext;
    v.Video_DisableVideo = c.noVideo;
    v.Video_TargetType = c.target;
    v.Video_NormType = c.norm;
    v.Video_VideoTag = u"XVID";
    v.Video_AudioBitrate = 128000;
    engine::TOutputOptions out;
    VideoFieldsToOutputOptions(v, out);
    out.FileName = String(u"/home/u/输出/clip 1") + c.ext;

    TAddedFile file;
    file.DurationMicroseconds = 3725500000;
    file.SizeBytes = 11010048;
    file.TaskIndex = 2;
    file.CategoryIndex = 15;
    file.FormatIndex = 11;
    file.Presets = {0, 3, 10, 0, 9, 4};
    const TQueueCells cells = AddedRowCells(file, out, v);
    EXPECT_EQ(U8(cells[qcDuration]), "01:02:05");
    EXPECT_EQ(U8(cells[qcSize]), "10.5MB");
    EXPECT_EQ(cells[qcOutputName], String(u"clip 1") + c.ext);
    for (int i : {qcProgress, qcFps, qcCurrentTime, qcConvertedSize}) EXPECT_EQ(cells[i], u"") << i;
    EXPECT_EQ(U8(cells[qcTaskNumber]), "3");
    EXPECT_EQ(U8(cells[qcCategory]), "1611");
    EXPECT_EQ(U8(cells[qcPresetChoices]), "000310000904");
    EXPECT_EQ(U8(cells[qcAudioChannels]), "2");
    EXPECT_EQ(U8(cells[qcAudioBitrate]), "128000");
    EXPECT_EQ(U8(cells[qcVideoBitrate]), "-1");
    EXPECT_EQ(cells[qcFileExt], c.ext);
    EXPECT_EQ(U8(cells[qcDisableVideo]), c.noVideo ? "True" : "False");
    EXPECT_EQ(cells[qcTargetType], c.target);
    EXPECT_EQ(cells[qcNormType], c.norm);

    // Starting rebuilds the task from the row into a slot that held
    // another file's settings: the row's own profile wins.
    engine::TOutputOptions slot;
    slot.DisableVideo = !c.noVideo;
    slot.TargetType = engine::ttVCD;
    slot.NormType = engine::ntNTSC;
    slot.VideoTag = u"DIVX";
    RowCellsToOutputOptions(cells, slot);
    EXPECT_EQ(slot.DisableVideo, out.DisableVideo);
    EXPECT_EQ(slot.NormType, out.NormType);
    EXPECT_EQ(slot.TargetType, *c.target ? out.TargetType : engine::ttVCD) << "an empty target cell keeps the slot's";
    EXPECT_EQ(slot.VideoCodec, out.VideoCodec);
    EXPECT_EQ(slot.VideoPreset, *c.codec ? out.VideoPreset : String());
    EXPECT_EQ(slot.VideoTag, String(c.codec) == u"libx264" ? u"" : u"XVID");
    EXPECT_EQ(slot.AudioBitrate, 128000);
    EXPECT_EQ(slot.AudioSampleRate, 44100);
  }
}

TEST(AddedFileOptions, StartKeepsTheSlotWhereACellIsEmpty) {
  TQueueCells cells;
  cells[qcAudioBitrate] = u"-1000";
  engine::TOutputOptions slot;
  slot.VideoCodec = u"mpeg4";
  slot.AudioCodec = u"aac";
  slot.AudioBitrate = 64000;
  slot.VideoBitrate = 500000;
  slot.FrameSize = u"176*144";
  slot.VideoTag = u"XVID";
  slot.DisableVideo = true;
  slot.NormType = engine::ntPAL;
  RowCellsToOutputOptions(cells, slot);
  EXPECT_EQ(slot.VideoCodec, u"mpeg4");
  EXPECT_EQ(slot.AudioCodec, u"aac");
  EXPECT_EQ(slot.AudioBitrate, 64000);
  EXPECT_EQ(slot.VideoBitrate, 500000);
  EXPECT_EQ(slot.FrameSize, u"176*144");
  EXPECT_EQ(slot.VideoTag, u"") << "the tag follows the cell, also when empty";
  EXPECT_FALSE(slot.DisableVideo) << "only \"True\" disables the video";
  EXPECT_EQ(slot.NormType, engine::ntAuto);
}

// A number cell that holds no number refuses the start (the start command
// shows the error and starts nothing) instead of converting with a value
// the row does not show.
TEST(AddedFileOptions, StartRefusesANumberCellWithoutANumber) {
  for (int cell : {int(qcAudioChannels), int(qcVideoBitrate), int(qcAudioBitrate), int(qcSampleRate)}) {
    TQueueCells cells;
    cells[qcAudioBitrate] = u"-1000";
    cells[std::size_t(cell)] = u"fast";
    engine::TOutputOptions slot;
    EXPECT_THROW(RowCellsToOutputOptions(cells, slot), rtl::EConvertError) << cell;
  }
}

TEST(OpenDialogFilter, FortyTwoPairsAsWritten) {
  const String f = OpenDialogFilter();
  EXPECT_EQ(std::count(f.begin(), f.end(), u'|'), 2 * kOpenDialogFilterPairs);
  EXPECT_EQ(f.rfind(u"所有文件格式 (*.*)|*.*|", 0), 0u);
  EXPECT_EQ(f.back(), u'|');
  EXPECT_NE(f.find(u"*.SWF;*.FLAC;*.M4A"), String::npos) << "the two halves of the second mask join";
  EXPECT_NE(f.find(u"|Flac无损压缩音频格式\u3000(*.flac)|*.flac|"), String::npos);
  EXPECT_NE(f.find(u"|微软数字视频格式( *.dvr-ms)|"), String::npos);
  EXPECT_NE(f.find(u"|AIFF音频编码格式(*.aif; *.aiff)|*.aif; *.aiff|"), String::npos);
}

class FolderListing : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/tvl-listing-XXXXXX";
    ASSERT_TRUE(mkdtemp(tmpl));
    dir_ = tmpl;
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }
  void Touch(const std::string& name) { std::ofstream(dir_ + "/" + name) << "x"; }
  std::vector<std::string> Names(const char16_t* mask) {
    auto list = GetFilenames(rtl::FileNameToString(dir_), mask);
    EXPECT_TRUE(list);
    std::vector<std::string> names;
    for (const String& s : list.value_or(std::vector<String>{})) {
      const std::string path = rtl::StringToFileName(s);
      EXPECT_EQ(path.rfind(dir_ + "/", 0), 0u) << path;
      names.push_back(path.substr(dir_.size() + 1));
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  std::string dir_;
};

TEST_F(FolderListing, FilesOnlyHiddenIncludedSubfoldersNotEntered) {
  Touch("片段 一.mp4");
  Touch("README");
  Touch(".hidden.avi");
  Touch("CLIP.MP4");
  Touch(std::string("bad\xff") + ".mp4");
  ASSERT_EQ(mkdir((dir_ + "/sub.mp4").c_str(), 0755), 0);
  std::ofstream(dir_ + "/sub.mp4/inner.mp4") << "x";
  ASSERT_EQ(symlink("sub.mp4", (dir_ + "/link-to-folder").c_str()), 0);
  ASSERT_EQ(symlink("missing", (dir_ + "/dangling.mp4").c_str()), 0);

  const std::vector<std::string> all = {".hidden.avi", "CLIP.MP4", "README", std::string("bad\xff") + ".mp4",
                                        "dangling.mp4", "片段 一.mp4"};
  std::vector<std::string> sorted = all;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(Names(u"*.*"), sorted) << "*.* also lists names without a dot";
  EXPECT_EQ(Names(u"*"), sorted);
  std::vector<std::string> mp4 = {"CLIP.MP4", std::string("bad\xff") + ".mp4", "dangling.mp4", "片段 一.mp4"};
  std::sort(mp4.begin(), mp4.end());
  EXPECT_EQ(Names(u"*.Mp4"), mp4);
}

// Listed as the open dialog sorts them, whatever order the directory keeps:
// without regard to case, runs of digits by their value.
TEST_F(FolderListing, NamesInTheOpenDialogsOrder) {
  const std::vector<std::string> order = {"a.txt", "Clip2.avi", "clip03.avi", "CLIP8.avi", "clip10.avi",
                                          "clip010b.avi", "Clip100.avi", "片段.mp4"};
  for (const char* name : {"clip10.avi", "片段.mp4", "CLIP8.avi", "a.txt", "Clip100.avi", "clip03.avi",
                                  "clip010b.avi", "Clip2.avi"})
    Touch(name);
  auto list = GetFilenames(rtl::FileNameToString(dir_), u"*.*");
  ASSERT_TRUE(list);
  std::vector<std::string> names;
  for (const String& s : *list) names.push_back(rtl::StringToFileName(s).substr(dir_.size() + 1));
  EXPECT_EQ(names, order);
}

TEST_F(FolderListing, MissingOrUnreadableFolderGivesNothing) {
  EXPECT_FALSE(GetFilenames(rtl::FileNameToString(dir_ + "/none"), u"*.*"));
  EXPECT_FALSE(GetFilenames(u"", u"*.*"));
  Touch("file");
  EXPECT_FALSE(GetFilenames(rtl::FileNameToString(dir_ + "/file"), u"*.*"));
  EXPECT_TRUE(Names(u"*.*") == std::vector<std::string>{"file"});
  if (geteuid() != 0) {
    ASSERT_EQ(mkdir((dir_ + "/locked").c_str(), 0), 0);
    EXPECT_FALSE(GetFilenames(rtl::FileNameToString(dir_ + "/locked"), u"*.*"));
  }
}

}  // namespace
}  // namespace app
