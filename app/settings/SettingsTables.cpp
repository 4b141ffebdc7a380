#include "app/settings/SettingsTables.h"

#include <array>
#include <map>
#include <string>

#include "app/tables/EmbeddedTables.h"
#include "app/tables/ProfileTables.h"
#include "platform/rtl/Strings.h"

namespace settings {

using tables::TProfileKey;

namespace {

constexpr std::array<int, kSettingsGroupCount> kGroupSizes = {15, 13, 10, 14, 6, 5,
                                                              14, 5, 10, 8, 5, 4};

constexpr std::array<const char*, kSettingsGroupCount> kCategoryCaptions = {
    "常用视频", "常用音频", "HD视频", "iPod视频", "iPhone视频", "PSP视频",
    "3GP视频", "APPLE视频", "XboX视频", "PMP视频", "MP4视频", "Flash视频"};

void AppendTsvLine(std::string& out, std::initializer_list<std::string> fields) {
  bool first = true;
  for (const std::string& f : fields) {
    if (!first) out += '\t';
    out += f;
    first = false;
  }
  out += '\n';
}

// The picture numbers of the settings catalogue: groups 0 and 1 count up,
// the others follow patterns of their own.
int ImageIndexOf(int group, int index) {
  static const std::map<int, std::vector<int>> kLeading = {
      {2, {20}}, {3, {20}}, {4, {20, 21, 20, 21, 20, 21}}, {5, {20, 21, 20, 21, 20}},
      {6, {20, 20, 21, 21, 20, 21, 20}}, {7, {22, 23, 24, 25, 26}}, {8, {22, 23, 24, 25, 26}},
      {9, {22, 23, 24, 25, 26}}, {10, {22, 23, 24, 25, 26}}, {11, {22, 23, 24, 25}}};
  if (group <= 1) return index;
  const std::vector<int>& leading = kLeading.at(group);
  return index < static_cast<int>(leading.size()) ? leading[index] : 21;
}

struct TEntryOverride {
  TProfileKey Key;
  const char* Title;
  const char* Caption;  // null: the main catalogue's caption
};

// Where the older copy's titles and captions differ from the main catalogue,
// including the iPhone group, which it keeps at six entries.
constexpr TEntryOverride kEntryOverrides[] = {
    {102, "WAV - 波形音频格式(*.wav) ", nullptr},
    {111, "ALAC-Apple Lossless无损音频格式(*.alac) ",
     "ALAC是流行的Apple Lossless无损音频格,ALAC是一种无损压缩音频技术,具有完美的CD音质"},
    {602, "3GPP2 -  第三代合作项目2-3G2视频+AMR音频(*.3g2))", nullptr},
    {400, "iPhone MPEG-4视频(*.mp4)", "为iPhone优化的MPEG-4视频预置方案."},
    {401, "iPhone MPEG-4视频480P(*.mp4)", "为iPhone优化的MPEG-4视频预置方案.(480P)"},
    {402, "iPhone MPEG-4视频宽屏(*.mp4)", "为iPhone优化的MPEG-4视频预置方案.(宽屏)"},
    {403, "iPhone MPEG-4高清晰视频(*.mp4)", "为iPhone优化的MPEG-4视频预置方案.(高清晰)"},
    {404, "iPhone MPEG-4视频(320X240)(*.mp4)", "为iPhone优化的MPEG-4视频预置方案.(320*240)"},
    {405, "iPhone MPEG-4视频(480X320)(*.mp4)", "为iPhone优化的MPEG-4视频预置方案.(480*320)"},
};

const TEntryOverride* FindEntryOverride(TProfileKey key) {
  for (const TEntryOverride& o : kEntryOverrides)
    if (o.Key == key) return &o;
  return nullptr;
}

// Preset rows of the older copy, in the main table's list names.
constexpr std::pair<TProfileKey, const char*> kPresetOverrides[] = {
    {400, "FS6:6\tVB8:3\tFR5:7\tAB4:2\tSR3:3\tAM1:0"},
    {401, "FS6:11\tVB8:3\tFR5:7\tAB4:2\tSR3:3\tAM1:0"},
    {402, "FS8:12\tVB8:3\tFR5:7\tAB4:2\tSR3:3\tAM1:2"},
    {403, "FS8:11\tVB8:5\tFR5:7\tAB4:2\tSR3:3\tAM1:0"},
    {404, "FS8:3\tVB8:3\tFR5:7\tAB4:2\tSR3:3\tAM1:0"},
    {405, "FS8:6\tVB8:3\tFR5:7\tAB4:2\tSR3:3\tAM1:0"},
    {600, "FS2:4\tVB4:9\tFR2:5\tAB2:5\tSR2:0\tAM1:0"},
    {602, "FS2:4\tVB4:9\tFR2:5\tAB2:5\tSR2:0\tAM1:0"},
    {604, "FS13:4\tVB4:9\tFR2:5\tAB2:5\tSR2:0\tAM1:0"},
};

constexpr std::uint32_t kVideoFields = sfVideoCodec | sfVideoTag | sfFrameRate |
                                       sfFrameAspectRatio | sfFrameSize | sfVideoBitrate |
                                       sfVideoFilters;
// Every field but the audio-only flag: what most rows name.
constexpr std::uint32_t kAllButDisable = (sfDisableVideo - 1);

TSettingsCodecRow RowFromMain(const tables::TFormatCodecRow& main) {
  TSettingsCodecRow row;
  row.Key = main.Key;
  row.Ext = main.Ext;
  tables::TVideoFields& v = row.Values;
  v.Video_FileExt = main.FileExt;
  v.Video_VideoCodec = main.VideoCodec;
  v.Video_VideoTag = main.VideoTag;
  v.Video_FrameRate = main.FrameRate;
  v.Video_FrameAspectRatio = main.FrameAspectRatio;
  v.Video_FrameSize = main.FrameSize;
  v.Video_VideoBitrate = main.VideoBitrate;
  v.Video_AudioCodec = main.AudioCodec;
  v.Video_AudioChannels = main.AudioChannels;
  v.Video_AudioSampleRate = main.AudioSampleRate;
  v.Video_AudioBitrate = main.AudioBitrate;
  v.Video_AudioVolume = u"256";
  v.Video_NormType = main.NormType;
  v.Video_TargetType = main.TargetType;
  v.Video_DisableVideo = main.DisableVideo();

  // Which fields the older copy's rows leave alone.
  row.Named = kAllButDisable;
  const TProfileKey k = main.Key;
  if (main.Kind == tables::TCodecRowKind::Target) row.Named &= ~(sfFileExt | sfVideoFilters | sfCopyTimestamp);
  if (k == 14) row.Named = sfVideoCodec | sfFrameSize | sfNormType | sfCopyTimestamp | sfFileFormat | sfTargetType;
  if (main.DisableVideo()) row.Named = (row.Named & ~kVideoFields) | sfDisableVideo;
  if (k == 1102 || k == 1103) row.Named &= ~sfFileExt;
  if (k == 205) row.Named &= ~sfVideoTag;
  if (k >= 303 && k <= 306) row.Named &= ~sfTargetType;
  // The older copy names the ".asf" file type for the HD WMV profile.
  if (k == 206) v.Video_FileExt = u".asf";
  return row;
}

struct TCodecOverride {
  TProfileKey Key;
  const char16_t* VideoCodec;
  const char16_t* Aspect;
  const char16_t* FrameRate;
  const char16_t* FrameSize;
  std::int32_t VideoBitrate;
  const char16_t* AudioCodec;
  const char16_t* Channels;
  const char16_t* SampleRate;
  std::int32_t AudioBitrate;
};

// The older copy's iPhone and AMR rows, which the main table does not hold.
constexpr TCodecOverride kCodecOverrides[] = {
    {400, u"mpeg4", u"", u"25", u"320*240", 600000, u"libfaac", u"2", u"48000", 128000},
    {401, u"libxvid", u"", u"25", u"640*480", 1000000, u"libfaac", u"2", u"48000", 128000},
    {402, u"mpeg4", u"16:9", u"25", u"640*480", 600000, u"libfaac", u"2", u"48000", 128000},
    {403, u"libx264", u"", u"25", u"320*240", 1200000, u"libfaac", u"2", u"48000", 128000},
    {404, u"mpeg4", u"", u"25", u"320*240", 600000, u"libfaac", u"2", u"48000", 128000},
    {405, u"mpeg4", u"", u"25", u"480*320", 768000, u"libfaac", u"2", u"48000", 128000},
    {600, u"h263", u"", u"12", u"176*144", 128000, u"libamr_nb", u"1", u"8000", 12000},
    {602, u"mpeg4", u"", u"12", u"176*144", 128000, u"libamr_nb", u"1", u"8000", 12000},
    {604, u"mpeg4", u"", u"12", u"176*144", 128000, u"libamr_nb", u"1", u"8000", 10200},
};

TSettingsCodecRow RowFromOverride(const TCodecOverride& o) {
  TSettingsCodecRow row;
  row.Key = o.Key;
  row.Ext = o.Key >= 600 ? u".3gp" : u".mp4";
  row.Named = kAllButDisable;
  tables::TVideoFields& v = row.Values;
  v.Video_FileExt = row.Ext;
  v.Video_VideoCodec = o.VideoCodec;
  v.Video_FrameRate = o.FrameRate;
  v.Video_FrameAspectRatio = o.Aspect;
  v.Video_FrameSize = o.FrameSize;
  v.Video_VideoBitrate = o.VideoBitrate;
  v.Video_AudioCodec = o.AudioCodec;
  v.Video_AudioChannels = o.Channels;
  v.Video_AudioSampleRate = o.SampleRate;
  v.Video_AudioBitrate = o.AudioBitrate;
  v.Video_AudioVolume = u"256";
  return row;
}

}  // namespace

void TSettingsCodecRow::ApplyTo(tables::TVideoFields& video) const {
  auto set = [this](TSettingsField f, auto& field, const auto& value) {
    if (Names(f)) field = value;
  };
  const tables::TVideoFields& v = Values;
  set(sfFileExt, video.Video_FileExt, v.Video_FileExt);
  set(sfVideoCodec, video.Video_VideoCodec, v.Video_VideoCodec);
  set(sfVideoTag, video.Video_VideoTag, v.Video_VideoTag);
  set(sfFrameRate, video.Video_FrameRate, v.Video_FrameRate);
  set(sfFrameAspectRatio, video.Video_FrameAspectRatio, v.Video_FrameAspectRatio);
  set(sfFrameSize, video.Video_FrameSize, v.Video_FrameSize);
  set(sfVideoBitrate, video.Video_VideoBitrate, v.Video_VideoBitrate);
  set(sfVideoFilters, video.Video_VideoFilters, v.Video_VideoFilters);
  set(sfAudioCodec, video.Video_AudioCodec, v.Video_AudioCodec);
  set(sfAudioChannels, video.Video_AudioChannels, v.Video_AudioChannels);
  set(sfAudioSampleRate, video.Video_AudioSampleRate, v.Video_AudioSampleRate);
  set(sfAudioVolume, video.Video_AudioVolume, v.Video_AudioVolume);
  set(sfAudioBitrate, video.Video_AudioBitrate, v.Video_AudioBitrate);
  set(sfNormType, video.Video_NormType, v.Video_NormType);
  set(sfCopyTimestamp, video.Video_CopyTimestamp, v.Video_CopyTimestamp);
  set(sfFileFormat, video.Video_FileFormat, v.Video_FileFormat);
  set(sfTargetType, video.Video_TargetType, v.Video_TargetType);
  set(sfDisableVideo, video.Video_DisableVideo, v.Video_DisableVideo);
}

const tables::TFormatCategories& SettingsCategories() {
  static const tables::TFormatCategories categories = [] {
    std::string tsv;
    for (int c = 0; c < kSettingsGroupCount; ++c)
      AppendTsvLine(tsv, {std::to_string(c), kCategoryCaptions[c], std::to_string(c),
                          std::to_string(c), std::to_string(kGroupSizes[c])});
    return tables::TFormatCategories::FromTsv(tsv, "settings categories");
  }();
  return categories;
}

const tables::TOutputFormatCatalogue& SettingsFormatCatalogue() {
  static const tables::TOutputFormatCatalogue catalogue = [] {
    const tables::TOutputFormatCatalogue& main = tables::OutputFormatCatalogue();
    std::string tsv;
    for (int g = 0; g < kSettingsGroupCount; ++g) {
      for (int i = 0; i < kGroupSizes[g]; ++i) {
        const TProfileKey key = tables::ProfileKeyOf(g, i);
        const tables::TCatalogueEntry* entry = main.Find(key);
        const TEntryOverride* o = FindEntryOverride(key);
        std::string title = o ? o->Title : entry ? rtl::U8(entry->Title) : std::string();
        std::string caption = o && o->Caption ? o->Caption : entry ? rtl::U8(entry->Caption) : std::string();
        AppendTsvLine(tsv, {std::to_string(key), title, caption, std::to_string(ImageIndexOf(g, i))});
      }
    }
    return tables::TOutputFormatCatalogue::FromTsv(tsv, "settings catalogue",
                                                   tables::TCatalogueImages::FromColumn);
  }();
  return catalogue;
}

const tables::TPresetChoiceTable& SettingsPresetChoiceTable() {
  static const tables::TPresetChoiceTable table = [] {
    const tables::TPresetChoiceTable& main = tables::PresetChoiceTable();
    std::string rows;
    for (const tables::TCatalogueEntry& entry : SettingsFormatCatalogue().Entries()) {
      std::string cells;
      for (const auto& [key, text] : kPresetOverrides)
        if (key == entry.Key) cells = text;
      std::string audioOnly;
      if (cells.empty()) {
        const tables::TPresetChoiceRow* row = main.Find(entry.Key);
        if (!row) continue;
        for (int box = 0; box < tables::kPresetBoxCount; ++box) {
          const tables::TPresetChoice& c = row->Choices[box];
          if (box) cells += '\t';
          cells += rtl::U8(main.ListOf(c).Name) + ":" + std::to_string(c.Default);
        }
        if (row->AudioOnly) audioOnly = "yes";
      }
      AppendTsvLine(rows, {std::to_string(entry.Key), cells, audioOnly});
    }
    return tables::TPresetChoiceTable::FromTsv(tables::embedded::PresetListsTsv(), rows,
                                               "settings presets");
  }();
  return table;
}

const TSettingsCodecTable& SettingsCodecTable() {
  static const TSettingsCodecTable table = [] {
    TSettingsCodecTable t;
    const tables::TFormatCodecTable& main = tables::FormatCodecTable();
    for (const tables::TCatalogueEntry& entry : SettingsFormatCatalogue().Entries()) {
      const TCodecOverride* o = nullptr;
      for (const TCodecOverride& c : kCodecOverrides)
        if (c.Key == entry.Key) o = &c;
      if (o) {
        t.rows_.push_back(RowFromOverride(*o));
      } else if (const tables::TFormatCodecRow* row = main.Find(entry.Key)) {
        t.rows_.push_back(RowFromMain(*row));
      }
    }
    // The lossless entry of the older copy writes an ALAC stream.
    for (TSettingsCodecRow& row : t.rows_) {
      if (row.Key != 111) continue;
      row.Values.Video_FileExt = u".alac";
      row.Values.Video_AudioCodec = u"alac";
      row.Values.Video_AudioChannels = u"2";
      row.Values.Video_AudioSampleRate = u"48000";
      row.Values.Video_AudioBitrate = 128000;
    }
    return t;
  }();
  return table;
}

}  // namespace settings
