// The settings dialog's own copy of the profile tables, for format groups
// 0 to 11. Its category index is the format group itself.
//
// The copy is kept as the main window's tables plus the few entries, rows and
// preset choices in which the older copy differs, so the two cannot drift
// apart anywhere else. Immutable once built (on first use, thread-safe);
// broken embedded data raises ETableError from the first call.
#pragma once

#include <cstdint>
#include <vector>

#include "app/tables/FormatCategories.h"
#include "app/tables/OutputFormatCatalogue.h"
#include "app/tables/PresetChoiceTable.h"
#include "app/tables/ProfileKey.h"
#include "app/tables/VideoFields.h"
#include "platform/rtl/Types.h"

namespace settings {

inline constexpr int kSettingsGroupCount = 12;

// The twelve categories ("常用视频" … "Flash视频"), each mapping to the group
// of its own index, with the category image of the same index.
const tables::TFormatCategories& SettingsCategories();
// 109 entries in groups of 15, 13, 10, 14, 6, 5, 14, 5, 10, 8, 5, 4.
const tables::TOutputFormatCatalogue& SettingsFormatCatalogue();
// One row per catalogue key (109), sharing the main window's preset lists.
const tables::TPresetChoiceTable& SettingsPresetChoiceTable();

// The Video_ fields a settings codec row can name.
enum TSettingsField : std::uint32_t {
  sfFileExt = 1u << 0,
  sfVideoCodec = 1u << 1,
  sfVideoTag = 1u << 2,
  sfFrameRate = 1u << 3,
  sfFrameAspectRatio = 1u << 4,
  sfFrameSize = 1u << 5,
  sfVideoBitrate = 1u << 6,
  sfVideoFilters = 1u << 7,
  sfAudioCodec = 1u << 8,
  sfAudioChannels = 1u << 9,
  sfAudioSampleRate = 1u << 10,
  sfAudioVolume = 1u << 11,
  sfAudioBitrate = 1u << 12,
  sfNormType = 1u << 13,
  sfCopyTimestamp = 1u << 14,
  sfFileFormat = 1u << 15,
  sfTargetType = 1u << 16,
  sfDisableVideo = 1u << 17,
};

// A row of the settings codec table: unlike the main window's rows it writes
// exactly the fields it names, empty texts included, and leaves the others.
struct TSettingsCodecRow {
  tables::TProfileKey Key = 0;
  rtl::String Ext;            // the output name's extension, with its dot
  std::uint32_t Named = 0;    // TSettingsField bits
  tables::TVideoFields Values;  // the named fields' values; the rest is unused

  bool Names(TSettingsField field) const { return (Named & field) != 0; }
  void ApplyTo(tables::TVideoFields& video) const;
};

class TSettingsCodecTable {
 public:
  const TSettingsCodecRow* Find(tables::TProfileKey key) const {
    return tables::FindRowByKey(rows_, key);
  }
  const std::vector<TSettingsCodecRow>& Rows() const { return rows_; }

 private:
  friend const TSettingsCodecTable& SettingsCodecTable();
  std::vector<TSettingsCodecRow> rows_;
};

// Every catalogue key has a row. Keys 309 to 313 take the rows whose
// parameters fit their titles (the main window's rows of the same keys).
const TSettingsCodecTable& SettingsCodecTable();

}  // namespace settings
