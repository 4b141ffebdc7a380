// The preset choice lists and, per profile, which list each of the six preset
// boxes offers and which entry it selects by default.
//
// Immutable once built; safe to read from any thread. The main window's table
// is PresetChoiceTable() in ProfileTables.h.
#pragma once

#include <array>
#include <string_view>
#include <vector>

#include "app/tables/ProfileKey.h"
#include "platform/rtl/Types.h"

namespace tables {

// The six preset boxes in the order they are filled. Each list belongs to one
// box; its name starts with the box's prefix (FS, VB, FR, AB, SR, AM).
enum TPresetBox {
  pbFrameSize,     // bsSkinComboBox1,  "视频分辨率："
  pbVideoBitrate,  // bsSkinComboBox2,  "视频比特率："
  pbFrameRate,     // bsSkinComboBox9,  "视频帧率："
  pbAudioBitrate,  // bsSkinComboBox3,  "音频比特率："
  pbSampleRate,    // bsSkinComboBox10, "音频采样率："
  pbAspectMode,    // bsSkinComboBox4,  "视频缩放："
};
inline constexpr int kPresetBoxCount = 6;

struct TPresetChoiceList {
  rtl::String Name;  // "FS1", "VB7", ...
  TPresetBox Box = pbFrameSize;
  std::vector<rtl::String> Entries;  // in the order the box shows them
};

struct TPresetChoice {
  int List = 0;     // index into TPresetChoiceTable::Lists()
  int Default = 0;  // entry selected by default; always inside the list
};

struct TPresetChoiceRow {
  TProfileKey Key = 0;
  std::array<TPresetChoice, kPresetBoxCount> Choices;  // indexed by TPresetBox
  bool AudioOnly = false;  // the four video boxes are disabled after loading
};

class TPresetChoiceTable {
 public:
  // Lists: list name, index (0, 1, ... per list), entry text.
  // Rows: key, then six "LIST:default" cells in TPresetBox order, then "yes"
  // for an audio-only profile or nothing. Keys ascend.
  static TPresetChoiceTable FromTsv(std::string_view listsText, std::string_view rowsText,
                                    std::string_view source = "presets");

  const TPresetChoiceRow* Find(TProfileKey key) const;
  const std::vector<TPresetChoiceRow>& Rows() const { return rows_; }
  const std::vector<TPresetChoiceList>& Lists() const { return lists_; }
  const TPresetChoiceList& ListOf(const TPresetChoice& choice) const { return lists_.at(choice.List); }
  const TPresetChoiceList* FindList(std::u16string_view name) const;

 private:
  std::vector<TPresetChoiceList> lists_;
  std::vector<TPresetChoiceRow> rows_;
};

}  // namespace tables
