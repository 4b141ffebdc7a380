// The embedded tables against the counts, invariants and rows the product
// documents for them.
#include "app/tables/ProfileTables.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/rtl/Strings.h"

namespace tables {
namespace {

using rtl::U8;

const std::set<TProfileKey> kAudioOnly = {100, 101, 102, 103, 104,  105,  106,  107,  108, 109,
                                          110, 111, 112, 608, 1102, 1103, 1405, 1406, 2415, 2512};

std::set<TProfileKey> KeysOf(const auto& rows) {
  std::set<TProfileKey> keys;
  for (const auto& r : rows) keys.insert(r.Key);
  return keys;
}

std::string DefaultText(const TPresetChoiceRow& row, TPresetBox box) {
  const TPresetChoice& c = row.Choices[box];
  return U8(PresetChoiceTable().ListOf(c).Entries.at(c.Default));
}

TEST(ProfileTables, SizesAndKeysAgreeAcrossTables) {
  const TOutputFormatCatalogue& catalogue = OutputFormatCatalogue();
  ASSERT_EQ(catalogue.Count(), 288);
  ASSERT_EQ(catalogue.GroupCount(), 28);
  const std::vector<int> sizes = {15, 13, 10, 14, 15, 5, 14, 5, 10, 8, 5, 4, 11, 11,
                                  7,  7,  7,  7,  7,  12, 6, 13, 13, 15, 16, 13, 12, 13};
  for (int g = 0; g < 28; ++g) EXPECT_EQ(catalogue.Group(g).size(), sizes[g]) << "group " << g;

  EXPECT_EQ(FormatCodecTable().Rows().size(), 288u);
  EXPECT_EQ(FormatCodecTable().AudioSets().size(), 30u);
  EXPECT_EQ(PresetChoiceTable().Rows().size(), 288u);
  EXPECT_EQ(PresetChoiceTable().Lists().size(), 88u);
  std::size_t entries = 0;
  for (const TPresetChoiceList& l : PresetChoiceTable().Lists()) entries += l.Entries.size();
  EXPECT_EQ(entries, 928u);

  const std::set<TProfileKey> keys = KeysOf(catalogue.Entries());
  EXPECT_EQ(KeysOf(FormatCodecTable().Rows()), keys);
  EXPECT_EQ(KeysOf(PresetChoiceTable().Rows()), keys);
}

TEST(ProfileTables, CategoriesMapToTheirGroups) {
  const TFormatCategories& categories = FormatCategories();
  ASSERT_EQ(categories.Count(), 16);
  const std::vector<int> groups = {19, 0, 10, 24, 11, 1, 2, 15, 3, 4, 5, 16, 17, 18, 21, 22};
  int reachable = 0;
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(categories.GroupOf(i), groups[i]) << "category " << i;
    EXPECT_EQ(categories[i].Entries, OutputFormatCatalogue().Group(groups[i]).size());
    reachable += categories[i].Entries;
  }
  EXPECT_EQ(reachable, 163);
  EXPECT_EQ(U8(categories[0].Caption), "Android视频");
  EXPECT_EQ(categories[0].ImageIndex, 21);
  EXPECT_EQ(U8(categories[15].Caption), "MOD视频");
  EXPECT_EQ(categories[15].ImageIndex, 28);
  EXPECT_EQ(categories.GroupOf(-1), std::nullopt);
  EXPECT_EQ(categories.GroupOf(16), std::nullopt);
  EXPECT_EQ(categories.KeyOf({15, 0}), 2200);
  EXPECT_EQ(categories.KeyOf({8, 13}), 313);
  EXPECT_EQ(categories.KeyOf({0, -1}), std::nullopt);
}

TEST(ProfileTables, LookupsFindOnlyCatalogueKeys) {
  for (TProfileKey key : {0, 14, 309, 313, 1911, 2712}) {
    EXPECT_NE(OutputFormatCatalogue().Find(key), nullptr) << key;
    EXPECT_NE(FormatCodecTable().Find(key), nullptr) << key;
    EXPECT_NE(PresetChoiceTable().Find(key), nullptr) << key;
  }
  for (TProfileKey key : {-1, -100, 15, 314, 1407, 2713, 2800, 100000}) {
    EXPECT_EQ(OutputFormatCatalogue().Find(key), nullptr) << key;
    EXPECT_EQ(FormatCodecTable().Find(key), nullptr) << key;
    EXPECT_EQ(PresetChoiceTable().Find(key), nullptr) << key;
  }
}

TEST(ProfileTables, AudioOnlyProfilesAgreeBetweenTables) {
  for (const TFormatCodecRow& r : FormatCodecTable().Rows()) {
    EXPECT_EQ(r.DisableVideo(), kAudioOnly.count(r.Key) == 1) << r.Key;
    if (!r.DisableVideo()) continue;
    EXPECT_TRUE(r.VideoCodec.empty() && r.VideoTag.empty() && r.FrameRate.empty() &&
                r.FrameSize.empty() && r.FrameAspectRatio.empty())
        << r.Key;
    EXPECT_EQ(r.VideoBitrate, -1) << r.Key;
  }
  const TPresetChoiceTable& presets = PresetChoiceTable();
  for (const TPresetChoiceRow& r : presets.Rows()) {
    EXPECT_EQ(r.AudioOnly, kAudioOnly.count(r.Key) == 1) << r.Key;
    const bool fs3 = U8(presets.ListOf(r.Choices[pbFrameSize]).Name) == "FS3";
    EXPECT_EQ(fs3, r.AudioOnly) << r.Key;
    if (r.AudioOnly) {
      EXPECT_EQ(DefaultText(r, pbFrameSize), "该格式无视频");
      for (TPresetBox box : {pbVideoBitrate, pbFrameRate, pbAspectMode}) {
        EXPECT_EQ(presets.ListOf(r.Choices[box]).Entries.size(), 1u) << r.Key;
        EXPECT_EQ(DefaultText(r, box), "无视频") << r.Key;
      }
    }
  }
  // The "no video" texts belong to the four single-entry lists only.
  const std::set<std::string> noVideoLists = {"FS3", "VB6", "FR3", "AM3"};
  for (const TPresetChoiceList& l : presets.Lists()) {
    for (const rtl::String& e : l.Entries) {
      if (U8(e) == "无视频" || U8(e) == "该格式无视频") {
        EXPECT_EQ(noVideoLists.count(U8(l.Name)), 1u) << U8(l.Name);
      }
    }
  }
}

TEST(ProfileTables, TargetAndSpecialCodecRows) {
  const std::map<TProfileKey, std::string> targets = {
      {11, "dvd"},    {12, "svcd"},   {13, "vcd"},    {1308, "dvd"},  {1309, "svcd"},
      {1310, "vcd"},  {2110, "dvd"},  {2111, "svcd"}, {2112, "vcd"},  {2210, "dvd"},
      {2211, "svcd"}, {2212, "vcd"},  {2312, "dvd"},  {2313, "svcd"}, {2314, "vcd"}};
  std::set<TProfileKey> noFileExt;
  for (const TFormatCodecRow& r : FormatCodecTable().Rows()) {
    if (r.FileExt.empty()) noFileExt.insert(r.Key);
    else EXPECT_EQ(r.FileExt, r.Ext) << r.Key;
    auto target = targets.find(r.Key);
    EXPECT_EQ(r.Kind == TCodecRowKind::Target, target != targets.end()) << r.Key;
    if (target == targets.end()) {
      EXPECT_TRUE(r.TargetType.empty() && r.NormType.empty()) << r.Key;
      continue;
    }
    EXPECT_EQ(U8(r.TargetType), target->second);
    EXPECT_EQ(U8(r.NormType), "PAL");
    EXPECT_EQ(U8(r.Ext), ".mpg");
    EXPECT_EQ(r.VideoBitrate, -1000);
    EXPECT_EQ(r.AudioBitrate, -1000);
    EXPECT_TRUE(r.VideoCodec.empty() && r.AudioCodec.empty() && r.FrameSize.empty() &&
                r.AudioSampleRate.empty())
        << r.Key;
  }
  std::set<TProfileKey> expected = {14, 1102, 1103, 1405, 1406};
  for (const auto& t : targets) expected.insert(t.first);
  EXPECT_EQ(noFileExt, expected);

  // Every ordinary row sets both bit rates, channels and sample rate.
  for (const TFormatCodecRow& r : FormatCodecTable().Rows()) {
    if (r.Kind != TCodecRowKind::Video || r.Key == 14) continue;
    EXPECT_GT(r.VideoBitrate, 0) << r.Key;
    EXPECT_GT(r.AudioBitrate, 0) << r.Key;
    EXPECT_FALSE(r.AudioChannels.empty() || r.AudioSampleRate.empty()) << r.Key;
  }
}

// The extension a title ends with, by the pickers' rule: the four characters
// before the closing parenthesis, with the long forms mapped.
std::string TitleExt(const std::string& title) {
  const std::string four = title.substr(title.size() - 5, 4);
  const std::map<std::string, std::string> longForms = {
      {"lac)", ".alac"}, {"flac", ".flac"}, {"aiff", ".aiff"},
      {"mpeg", ".mpeg"}, {"*.rm", ".rm"},   {"*.ra", ".ra"}};
  auto it = longForms.find(four);
  return it == longForms.end() ? four : it->second;
}

TEST(ProfileTables, TitlesEndInTheirExtensionExceptFourRows) {
  std::set<TProfileKey> differ;
  std::map<std::string, int> titles;
  for (const TCatalogueEntry& e : OutputFormatCatalogue().Entries()) {
    const std::string title = U8(e.Title);
    ++titles[title];
    ASSERT_EQ(title.back(), ')') << e.Key;
    if (TitleExt(title) != U8(FormatCodecTable().Find(e.Key)->Ext)) differ.insert(e.Key);
  }
  EXPECT_EQ(differ, (std::set<TProfileKey>{801, 806, 2400, 2600}));
  int duplicated = 0;
  for (const auto& [title, n] : titles) duplicated += n > 1;
  EXPECT_EQ(duplicated, 12);
  EXPECT_EQ(titles["Xbox360 MCE 高清晰AVI视频(*.avi)"], 3);
}

TEST(ProfileTables, ListUsageAndDefaults) {
  const TPresetChoiceTable& presets = PresetChoiceTable();
  std::map<std::string, int> used;
  std::map<std::string, std::map<int, int>> defaults;
  for (const TPresetChoiceRow& r : presets.Rows())
    for (const TPresetChoice& c : r.Choices) {
      const std::string name = U8(presets.ListOf(c).Name);
      ++used[name];
      ++defaults[name][c.Default];
      EXPECT_LT(c.Default, static_cast<int>(presets.ListOf(c).Entries.size()));
    }
  EXPECT_EQ(used.size(), presets.Lists().size()) << "every list is used";
  EXPECT_EQ(used["FS1"], 111);
  EXPECT_EQ(used["VB1"], 68);
  EXPECT_EQ(used["FR1"], 131);
  EXPECT_EQ(used["AB1"], 186);
  EXPECT_EQ(used["SR1"], 166);
  EXPECT_EQ(used["AM1"], 264);
  EXPECT_EQ(defaults["AB4"], (std::map<int, int>{{2, 80}, {3, 2}}));
  EXPECT_EQ(defaults["SR3"], (std::map<int, int>{{2, 1}, {3, 74}}));

  // Audio sets: the stated row counts are the real ones.
  std::vector<int> setUse(FormatCodecTable().AudioSets().size());
  for (const TFormatCodecRow& r : FormatCodecTable().Rows()) ++setUse[r.AudioSet];
  for (std::size_t i = 0; i < setUse.size(); ++i)
    EXPECT_EQ(setUse[i], FormatCodecTable().AudioSets()[i].Rows) << U8(FormatCodecTable().AudioSets()[i].Name);
}

TEST(ProfileTables, EqualGroupsStayEqual) {
  const TPresetChoiceTable& presets = PresetChoiceTable();
  auto samePresets = [&](TProfileKey a, TProfileKey b) {
    const TPresetChoiceRow &x = *presets.Find(a), &y = *presets.Find(b);
    for (int box = 0; box < kPresetBoxCount; ++box)
      if (x.Choices[box].List != y.Choices[box].List ||
          x.Choices[box].Default != y.Choices[box].Default)
        return false;
    return x.AudioOnly == y.AudioOnly;
  };
  for (int i = 0; i < 7; ++i)
    for (int g : {16, 17, 18}) EXPECT_TRUE(samePresets(1500 + i, g * 100 + i)) << g * 100 + i;
  for (int i = 0; i < 13; ++i) {
    EXPECT_TRUE(samePresets(2100 + i, 2200 + i)) << i;
    const TFormatCodecRow &a = *FormatCodecTable().Find(2100 + i), &b = *FormatCodecTable().Find(2200 + i);
    EXPECT_TRUE(a.Ext == b.Ext && a.VideoCodec == b.VideoCodec && a.FrameSize == b.FrameSize &&
                a.VideoBitrate == b.VideoBitrate && a.AudioSet == b.AudioSet && a.TargetType == b.TargetType)
        << i;
  }
  for (TProfileKey k : {1101, 1400, 1404, 1911, 2109, 2209, 2309, 2310, 2408, 2510, 2608, 2710})
    EXPECT_TRUE(samePresets(1100, k)) << k;
}

// Spot rows across the groups, with their exact texts and numbers.
struct SpotRow {
  TProfileKey key;
  const char* title;
  const char* ext;
  const char* videoCodec;
  const char* tag;
  const char* rate;
  const char* size;
  const char* aspect;
  int videoBitrate;
  const char* audioCodec;
  const char* channels;
  const char* sampleRate;
  int audioBitrate;
  std::vector<std::string> presets;  // default texts in fill order
};

const SpotRow kSpotRows[] = {
    {0, "AVI - 音频视频交错格式(*.avi)", ".avi", "mpeg4", "XVID", "25", "", "", 816000, "libmp3lame", "2", "44100", 128000,
     {"保持原分辨率", "816 kbps", "25.00", "128 kbps", "44100", "保持原视频模式"}},
    {9, "3GP - 视频格式(*.3gp)", ".3gp", "mpeg4", "", "12", "176*144", "4:3", 128000, "libfaac", "1", "8000", 12000,
     {"176*144", "128 kbps", "12", "12 kbps", "8000", "保持原视频模式"}},
    {14, "RM - REAL视频格式(*.rm)", ".rm", "rv20", "", "", "320*240", "", -1, "", "", "", -1, {}},
    {112, "AMR-手机音频格式(*.amr)", ".amr", "", "", "", "", "", -1, "libopencore_amrnb", "1", "8000", 7400,
     {"该格式无视频", "无视频", "无视频", "7.4 kbps", "8000", "无视频"}},
    {202, "高清H264视频格式(*.mp4)", ".mp4", "libx264", "", "25", "1280*720", "", 1600000, "libmp3lame", "2", "48000", 256000,
     {"1280*720", "1200 kbps", "29.97", "192 kbps", "48000", "保持原视频模式"}},
    // The MPEG program-stream rows take the audio their containers carry.
    {207, "高清DVD视频格式(*.vob)", ".vob", "", "", "25", "1280*720", "", 1600000, "ac3", "2", "48000", 128000, {}},
    {208, "高清MPEG-2视频格式(*.mpg)", ".mpg", "mpeg2video", "", "25", "1280*720", "", 1600000, "mp2", "2", "48000", 128000,
     {}},
    {308, "iPod touch MPEG-4 480P视频(*.mp4)", ".mp4", "libxvid", "", "25", "640*480", "", 7680000, "libfaac", "2", "48000", 128000, {}},
    {311, "iPod touch MPEG-4 480P宽屏视频(*.mp4)", ".mp4", "libxvid", "", "25", "640*480", "16:9", 1200000, "libfaac", "2", "48000", 128000,
     {"640*272", "768 kbps", "25.00", "128 kbps", "48000", "宽屏视频16:9模式"}},
    {313, "iPod touch MPEG-4 (480X320)视频(*.mp4)", ".mp4", "libxvid", "", "25", "480*320", "", 1000000, "libfaac", "2", "48000", 128000, {}},
    {404, "高清iPhone H264视频1080P(*.mp4)", ".mp4", "libx264", "", "29.97", "1920*1080", "", 2000000, "libfaac", "2", "48000", 128000,
     {"1920*1080", "2000 kbps", "29.97", "128 kbps", "48000", "保持原视频模式"}},
    {600, "3GPP -  第三代合作项目-3GP视频+AMR音频(*.3gp)", ".3gp", "mpeg4", "", "12", "176*144", "", 128000, "libopencore_amrnb", "1", "8000", 10200,
     {"176*144", "128 kbps", "12", "7.4 kbps", "8000", "保持原视频模式"}},
    {801, "Xbox360 MCE HD MPEG-2视频(*.mpg)", ".mpeg", "mpeg2video", "", "25", "1280*720", "", 1200000, "ac3", "2", "48000", 192000, {}},
    {806, "Xbox360 WMV HDTV视频(*.wmv)", ".avi", "wmv2", "", "25", "1280*720", "", 1200000, "libmp3lame", "2", "48000", 128000,
     {"1440*1080", "1800 kbps", "30.00", "128 kbps", "48000", "保持原视频模式"}},
    {809, "Xbox360 MCE 高清晰AVI视频(*.avi)", ".avi", "msmpeg4v1", "", "25", "1280*720", "", 1200000, "libmp3lame", "2", "48000", 128000, {}},
    {1102, "FLV在线网络音频格式(*.flv)", ".flv", "", "", "", "", "", -1, "libmp3lame", "2", "22050", 128000,
     {"该格式无视频", "无视频", "无视频", "128 kbps", "22050", "无视频"}},
    {1308, "DVD格式高清晰视频(*.mpg)", ".mpg", "", "", "", "", "", -1000, "", "", "", -1000, {}},
    {1500, "AVI标准视频(*.avi)", ".avi", "mpeg4", "DX50", "25", "", "", 816000, "libmp3lame", "2", "44100", 128000, {}},
    {1600, "MKV标准视频(*.mkv)", ".mkv", "mpeg4", "", "25", "", "", 816000, "libmp3lame", "2", "44100", 128000, {}},
    {1806, "高清的HD ASF视频(*.asf)", ".asf", "msmpeg4", "", "30", "1280*720", "", 1600000, "wmav2", "2", "48000", 128000,
     {"1280*720", "1600 kbps", "29.97", "128 kbps", "48000", "保持原视频模式"}},
    {1900, "Android手机AVI视频(*.avi)", ".avi", "mpeg4", "", "", "", "", 816000, "libmp3lame", "2", "48000", 128000,
     {"保持原分辨率", "816 kbps", "保持原帧速率", "128 kbps", "48000", "保持原视频模式"}},
    {2415, "手机MP3格式音频(*.mp3)", ".mp3", "", "", "", "", "", -1, "libmp3lame", "2", "48000", 128000, {}},
    {2601, "4K高清电视DivX视频(*.mp4)", ".mp4", "mpeg4", "", "30", "3840*2160", "", 1200000, "libfaac", "2", "48000", 128000,
     {"3840*2160", "1200 kbps", "30.00", "128 kbps", "48000", "保持原视频模式"}},
    {2712, "高清晰MPG格式视频(*.mpg)", ".mpg", "mpeg2video", "", "29.97", "1280*720", "", 1800000, "", "2", "44100", 128000,
     {"1280*720", "1800 kbps", "29.97", "128 kbps", "44100", "保持原视频模式"}},
};

TEST(ProfileTables, SpotRows) {
  for (const SpotRow& s : kSpotRows) {
    SCOPED_TRACE(s.key);
    const TCatalogueEntry* entry = OutputFormatCatalogue().Find(s.key);
    const TFormatCodecRow* row = FormatCodecTable().Find(s.key);
    const TPresetChoiceRow* presets = PresetChoiceTable().Find(s.key);
    ASSERT_TRUE(entry && row && presets);
    EXPECT_EQ(U8(entry->Title), s.title);
    EXPECT_EQ(U8(row->Ext), s.ext);
    EXPECT_EQ(U8(row->VideoCodec), s.videoCodec);
    EXPECT_EQ(U8(row->VideoTag), s.tag);
    EXPECT_EQ(U8(row->FrameRate), s.rate);
    EXPECT_EQ(U8(row->FrameSize), s.size);
    EXPECT_EQ(U8(row->FrameAspectRatio), s.aspect);
    EXPECT_EQ(row->VideoBitrate, s.videoBitrate);
    EXPECT_EQ(U8(row->AudioCodec), s.audioCodec);
    EXPECT_EQ(U8(row->AudioChannels), s.channels);
    EXPECT_EQ(U8(row->AudioSampleRate), s.sampleRate);
    EXPECT_EQ(row->AudioBitrate, s.audioBitrate);
    for (std::size_t box = 0; box < s.presets.size(); ++box)
      EXPECT_EQ(DefaultText(*presets, static_cast<TPresetBox>(box)), s.presets[box]) << "box " << box;
  }
  EXPECT_EQ(U8(OutputFormatCatalogue().Find(0)->Caption),
            "AVI最常用的视频格式,语音和影像同步组合在一起的文件格式");
  EXPECT_EQ(U8(OutputFormatCatalogue().Find(5)->Caption),
            "Matroska是一种新的多媒体封装格式 ，有超清晰的画面，和完美的音质");
}

}  // namespace
}  // namespace tables
