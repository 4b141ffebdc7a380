// The settings dialog's tables against the texts and values the dialog is
// known to carry, and against the main window's tables where they agree.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/settings/SettingsTables.h"
#include "app/tables/ProfileTables.h"
#include "platform/rtl/Strings.h"

namespace settings {
namespace {

using rtl::U8;
using tables::TProfileKey;

std::vector<std::string> EntriesOf(const std::string& list) {
  const tables::TPresetChoiceList* l = SettingsPresetChoiceTable().FindList(rtl::Utf8ToString(list));
  std::vector<std::string> out;
  if (l)
    for (const rtl::String& e : l->Entries) out.push_back(U8(e));
  return out;
}

TEST(SettingsCatalogue, GroupsHoldTheirEntriesWithTheOlderTitles) {
  const std::vector<int> sizes = {15, 13, 10, 14, 6, 5, 14, 5, 10, 8, 5, 4};
  const auto& cat = SettingsFormatCatalogue();
  EXPECT_EQ(cat.Count(), 109);
  for (int g = 0; g < 12; ++g) EXPECT_EQ(cat.Group(g).size(), sizes[g]) << "group " << g;
  EXPECT_TRUE(cat.Group(12).empty());
  EXPECT_EQ(U8(cat.Group(0)[0].Title), "AVI - 音频视频交错格式(*.avi)");
  EXPECT_EQ(U8(cat.Find(102)->Title), "WAV - 波形音频格式(*.wav) ");
  EXPECT_EQ(U8(cat.Find(111)->Title), "ALAC-Apple Lossless无损音频格式(*.alac) ");
  EXPECT_EQ(U8(cat.Find(111)->Caption),
            "ALAC是流行的Apple Lossless无损音频格,ALAC是一种无损压缩音频技术,具有完美的CD音质");
  EXPECT_EQ(U8(cat.Find(602)->Title), "3GPP2 -  第三代合作项目2-3G2视频+AMR音频(*.3g2))");
  EXPECT_EQ(U8(cat.Find(405)->Title), "iPhone MPEG-4视频(480X320)(*.mp4)");
  EXPECT_EQ(U8(cat.Find(404)->Caption), "为iPhone优化的MPEG-4视频预置方案.(320*240)");
  EXPECT_EQ(U8(cat.Find(1103)->Title), "SWF动画视频FLASH动画音频格式(*.swf)");
  EXPECT_EQ(U8(cat.Find(313)->Title), "iPod touch MPEG-4 (480X320)视频(*.mp4)");

  // Everywhere else the main catalogue's texts, at the same key.
  const std::set<TProfileKey> differing = {102, 111, 602, 400, 402, 403, 404, 405};
  int same = 0;
  for (const auto& e : cat.Entries()) {
    if (differing.count(e.Key)) continue;
    const auto* main = tables::OutputFormatCatalogue().Find(e.Key);
    ASSERT_NE(main, nullptr) << e.Key;
    EXPECT_EQ(e.Title, main->Title) << e.Key;
    EXPECT_EQ(e.Caption, main->Caption) << e.Key;
    ++same;
  }
  EXPECT_EQ(same, 101);
}

TEST(SettingsCatalogue, PictureNumbersFollowEachGroupsPattern) {
  const std::vector<std::pair<int, std::vector<int>>> cases = {
      {1, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
      {2, {20, 21, 21, 21, 21, 21, 21, 21, 21, 21}},
      {4, {20, 21, 20, 21, 20, 21}},
      {6, {20, 20, 21, 21, 20, 21, 20, 21, 21, 21, 21, 21, 21, 21}},
      {8, {22, 23, 24, 25, 26, 21, 21, 21, 21, 21}},
      {11, {22, 23, 24, 25}},
  };
  for (const auto& [group, images] : cases) {
    std::vector<int> got;
    for (const auto& e : SettingsFormatCatalogue().Group(group)) got.push_back(e.ImageIndex);
    EXPECT_EQ(got, images) << "group " << group;
  }
}

TEST(SettingsCategories, MapEachCategoryToItsOwnGroup) {
  const auto& cats = SettingsCategories();
  ASSERT_EQ(cats.Count(), 12);
  EXPECT_EQ(U8(cats[4].Caption), "iPhone视频");
  EXPECT_EQ(U8(cats[11].Caption), "Flash视频");
  for (int c = 0; c < 12; ++c) EXPECT_EQ(cats.GroupOf(c), c);
  EXPECT_FALSE(cats.GroupOf(12).has_value());
}

struct CodecCase {
  TProfileKey key;
  const char* ext;
  const char* fileExt;  // null: not named
  const char* videoCodec;
  const char* tag;
  const char* rate;
  const char* aspect;
  const char* size;
  int videoBitrate;  // ignored when the video fields are not named
  const char* audioCodec;
  const char* channels;
  const char* sampleRate;
  int audioBitrate;
  bool audioOnly;
};

TEST(SettingsCodecTable, RowsCarryTheOlderCopysValues) {
  const std::vector<CodecCase> cases = {
      {0, ".avi", ".avi", "mpeg4", "XVID", "25", "", "", 816000, "libmp3lame", "2", "44100", 128000, false},
      {9, ".3gp", ".3gp", "mpeg4", "", "12", "4:3", "176*144", 128000, "libfaac", "1", "8000", 12000, false},
      {100, ".mp3", ".mp3", nullptr, nullptr, nullptr, nullptr, nullptr, 0, "libmp3lame", "2", "48000", 128000, true},
      {111, ".m4a", ".alac", nullptr, nullptr, nullptr, nullptr, nullptr, 0, "alac", "2", "48000", 128000, true},
      {112, ".amr", ".amr", nullptr, nullptr, nullptr, nullptr, nullptr, 0, "libopencore_amrnb", "1", "8000", 7400, true},
      {206, ".wmv", ".asf", "wmv2", "", "25", "", "1280*720", 1600000, "wmav2", "2", "48000", 128000, false},
      {207, ".vob", ".vob", "", "", "25", "", "1280*720", 1600000, "ac3", "2", "48000", 128000, false},
      {208, ".mpg", ".mpg", "mpeg2video", "", "25", "", "1280*720", 1600000, "mp2", "2", "48000", 128000, false},
      {400, ".mp4", ".mp4", "mpeg4", "", "25", "", "320*240", 600000, "libfaac", "2", "48000", 128000, false},
      {401, ".mp4", ".mp4", "libxvid", "", "25", "", "640*480", 1000000, "libfaac", "2", "48000", 128000, false},
      {402, ".mp4", ".mp4", "mpeg4", "", "25", "16:9", "640*480", 600000, "libfaac", "2", "48000", 128000, false},
      {403, ".mp4", ".mp4", "libx264", "", "25", "", "320*240", 1200000, "libfaac", "2", "48000", 128000, false},
      {405, ".mp4", ".mp4", "mpeg4", "", "25", "", "480*320", 768000, "libfaac", "2", "48000", 128000, false},
      {600, ".3gp", ".3gp", "h263", "", "12", "", "176*144", 128000, "libamr_nb", "1", "8000", 12000, false},
      {604, ".3gp", ".3gp", "mpeg4", "", "12", "", "176*144", 128000, "libamr_nb", "1", "8000", 10200, false},
      // Keys 309 to 313 take the parameters that fit their titles.
      {309, ".mp4", ".mp4", "libx264", "", "25", "", "640*480", 1200000, "libfaac", "2", "48000", 128000, false},
      {310, ".mp4", ".mp4", "libxvid", "", "25", "", "640*480", 512000, "libfaac", "2", "48000", 128000, false},
      {311, ".mp4", ".mp4", "libxvid", "", "25", "16:9", "640*480", 1200000, "libfaac", "2", "48000", 128000, false},
      {312, ".mp4", ".mp4", "libxvid", "", "25", "", "320*240", 768000, "libfaac", "2", "48000", 128000, false},
      {313, ".mp4", ".mp4", "libxvid", "", "25", "", "480*320", 1000000, "libfaac", "2", "48000", 128000, false},
      {1100, ".flv", ".flv", "", "", "25", "", "", 1200000, "libmp3lame", "2", "22050", 128000, false},
  };
  for (const CodecCase& c : cases) {
    SCOPED_TRACE(c.key);
    const TSettingsCodecRow* row = SettingsCodecTable().Find(c.key);
    ASSERT_NE(row, nullptr);
    tables::TVideoFields v;
    v.Video_FileExt = u"?";
    v.Video_VideoCodec = u"?";
    row->ApplyTo(v);
    EXPECT_EQ(U8(row->Ext), c.ext);
    EXPECT_EQ(U8(v.Video_FileExt), c.fileExt ? c.fileExt : "?");
    if (c.videoCodec) {
      EXPECT_EQ(U8(v.Video_VideoCodec), c.videoCodec);
      EXPECT_EQ(U8(v.Video_VideoTag), c.tag);
      EXPECT_EQ(U8(v.Video_FrameRate), c.rate);
      EXPECT_EQ(U8(v.Video_FrameAspectRatio), c.aspect);
      EXPECT_EQ(U8(v.Video_FrameSize), c.size);
      EXPECT_EQ(v.Video_VideoBitrate, c.videoBitrate);
    } else {
      EXPECT_EQ(U8(v.Video_VideoCodec), "?");
    }
    EXPECT_EQ(U8(v.Video_AudioCodec), c.audioCodec);
    EXPECT_EQ(U8(v.Video_AudioChannels), c.channels);
    EXPECT_EQ(U8(v.Video_AudioSampleRate), c.sampleRate);
    EXPECT_EQ(v.Video_AudioBitrate, c.audioBitrate);
    EXPECT_EQ(U8(v.Video_AudioVolume), "256");
    EXPECT_EQ(v.Video_DisableVideo, c.audioOnly);
  }
}

TEST(SettingsCodecTable, EveryEntryHasARowAndOnlyTheListedRowsAreAudioOnly) {
  std::set<TProfileKey> audioOnly;
  for (const auto& e : SettingsFormatCatalogue().Entries()) {
    const TSettingsCodecRow* row = SettingsCodecTable().Find(e.Key);
    ASSERT_NE(row, nullptr) << e.Key;
    if (row->Names(sfDisableVideo)) audioOnly.insert(e.Key);
  }
  EXPECT_EQ(SettingsCodecTable().Rows().size(), 109u);
  std::set<TProfileKey> expected = {608, 1102, 1103};
  for (TProfileKey k = 100; k <= 112; ++k) expected.insert(k);
  EXPECT_EQ(audioOnly, expected);
}

TEST(SettingsCodecTable, RowsNameOnlyTheirFields) {
  const std::uint32_t video = sfVideoCodec | sfVideoTag | sfFrameRate | sfFrameAspectRatio |
                              sfFrameSize | sfVideoBitrate | sfVideoFilters;
  const std::uint32_t all = sfDisableVideo - 1;
  const std::vector<std::pair<TProfileKey, std::uint32_t>> cases = {
      {0, all},
      {11, all & ~(sfFileExt | sfVideoFilters | sfCopyTimestamp)},
      {13, all & ~(sfFileExt | sfVideoFilters | sfCopyTimestamp)},
      {14, sfVideoCodec | sfFrameSize | sfNormType | sfCopyTimestamp | sfFileFormat | sfTargetType},
      {100, (all & ~video) | sfDisableVideo},
      {608, (all & ~video) | sfDisableVideo},
      {1103, (all & ~video & ~sfFileExt) | sfDisableVideo},
      {205, all & ~sfVideoTag},
      {304, all & ~sfTargetType},
      {602, all},
  };
  for (const auto& [key, named] : cases) EXPECT_EQ(SettingsCodecTable().Find(key)->Named, named) << key;

  const TSettingsCodecRow* dvd = SettingsCodecTable().Find(11);
  tables::TVideoFields v;
  dvd->ApplyTo(v);
  EXPECT_EQ(U8(v.Video_TargetType), "dvd");
  EXPECT_EQ(U8(v.Video_NormType), "PAL");
  EXPECT_EQ(v.Video_VideoBitrate, -1000);
  EXPECT_EQ(v.Video_AudioBitrate, -1000);
}

TEST(SettingsPresets, TheOlderListsAreTheMainTablesLists) {
  const std::vector<std::string> sizesA = {"128*96", "176*144", "160*120", "320*240", "352*288", "368*208",
                                           "480*320", "480*368", "512*384", "640*272", "640*353", "640*480"};
  std::vector<std::string> sizesB = sizesA;
  sizesB.push_back("720*406");
  const std::vector<std::string> sizesC = {"112*96", "128*96", "160*112", "160*120", "176*144", "192*144",
                                           "208*176", "220*176", "320*208", "320*224", "320*240"};
  std::vector<std::string> sizesD = sizesC;
  sizesD.insert(sizesD.end(), {"352*288", "480*360"});
  EXPECT_EQ(EntriesOf("FS6"), sizesA);
  EXPECT_EQ(EntriesOf("FS8"), sizesB);
  EXPECT_EQ(EntriesOf("FS2"), sizesC);
  EXPECT_EQ(EntriesOf("FS13"), sizesD);
  EXPECT_EQ(EntriesOf("VB8"), (std::vector<std::string>{"192 kbps", "384 kbps", "600 kbps", "768 kbps",
                                                          "1000 kbps", "1200 kbps", "1500 kbps",
                                                          "1800 kbps", "2000 kbps"}));
  EXPECT_EQ(EntriesOf("VB4").size(), 15u);
  EXPECT_EQ(EntriesOf("VB4")[9], "128 kbps");
  EXPECT_EQ(EntriesOf("FR5"), (std::vector<std::string>{"保持原帧速率", "10.00", "12.00", "15.00", "20.00",
                                                          "23.98", "24.00", "25.00", "29.97", "30.00"}));
  EXPECT_EQ(EntriesOf("FR2"), (std::vector<std::string>{"1", "2", "3", "5", "10", "12", "15"}));
  EXPECT_EQ(EntriesOf("AB4"), (std::vector<std::string>{"64 kbps", "96 kbps", "128 kbps", "160 kbps", "192 kbps"}));
  EXPECT_EQ(EntriesOf("AB2"), (std::vector<std::string>{"5 kbps", "6 kbps", "7 kbps", "8 kbps", "10 kbps", "12 kbps"}));
  EXPECT_EQ(EntriesOf("SR3"), (std::vector<std::string>{"22050", "32000", "44100", "48000"}));
  EXPECT_EQ(EntriesOf("SR2"), (std::vector<std::string>{"8000"}));
  EXPECT_EQ(EntriesOf("AM1").size(), 5u);
}

TEST(SettingsPresets, RowsEqualTheMainTableExceptTheNineOlderOnes) {
  const auto& table = SettingsPresetChoiceTable();
  EXPECT_EQ(table.Rows().size(), 109u);
  const std::set<TProfileKey> older = {400, 401, 402, 403, 404, 405, 600, 602, 604};
  int same = 0, audioOnly = 0;
  for (const auto& row : table.Rows()) {
    audioOnly += row.AudioOnly;
    if (older.count(row.Key)) continue;
    const auto* main = tables::PresetChoiceTable().Find(row.Key);
    ASSERT_NE(main, nullptr) << row.Key;
    for (int b = 0; b < tables::kPresetBoxCount; ++b) {
      EXPECT_EQ(table.ListOf(row.Choices[b]).Name, tables::PresetChoiceTable().ListOf(main->Choices[b]).Name);
      EXPECT_EQ(row.Choices[b].Default, main->Choices[b].Default);
    }
    EXPECT_EQ(row.AudioOnly, main->AudioOnly);
    ++same;
  }
  EXPECT_EQ(same, 100);
  EXPECT_EQ(audioOnly, 16);
  // Rows 402 and 405 are the main table's 405 and 408.
  for (auto [mine, theirs] : {std::pair{402, 405}, std::pair{405, 408}}) {
    const auto* a = table.Find(mine);
    const auto* b = tables::PresetChoiceTable().Find(theirs);
    for (int box = 0; box < tables::kPresetBoxCount; ++box) {
      EXPECT_EQ(table.ListOf(a->Choices[box]).Entries, tables::PresetChoiceTable().ListOf(b->Choices[box]).Entries);
      EXPECT_EQ(a->Choices[box].Default, b->Choices[box].Default);
    }
  }
}

}  // namespace
}  // namespace settings
