// The queue's data behind the main window's list view: the job slot table
// that keeps one pair of task options per added file, the numbering of a
// queue row's cells, and the texts those cells carry.
//
// GUI thread only, like the rows themselves.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "engine/TaskOptions.h"
#include "platform/rtl/Types.h"

namespace app {

// A queue row's cells (sub-items); the row's caption is the input file.
enum TQueueCell {
  qcDuration = 0,
  qcSize = 1,
  qcOutputName = 2,
  qcProgress = 3,
  qcFps = 4,
  qcCurrentTime = 5,
  qcConvertedSize = 6,
  qcTaskNumber = 7,
  qcCategory = 8,
  qcPresetChoices = 9,
  qcVideoCodec = 10,
  qcAudioCodec = 11,
  qcAudioChannels = 12,
  qcVideoTag = 13,
  qcFileExt = 14,
  qcFrameSize = 15,
  qcVideoBitrate = 16,
  qcFrameRate = 17,
  qcAudioBitrate = 18,
  qcSampleRate = 19,
  qcAspect = 20,
  qcDisableVideo = 21,
  qcTargetType = 22,
  qcNormType = 23,
};
inline constexpr int kQueueCellCount = 24;

// "hh:mm:ss" with the hours counted modulo 24 (90000 → "01:00:00").
rtl::String SecToDate(int sec);
// Cell 0: SecToDate of the whole seconds of a positive duration, else "N/A".
rtl::String DurationText(std::int64_t durationMicroseconds);
// bytes / 1024 / 1024 to the nearest hundredth (halves to even) in the
// shortest form, then "MB": "12.34MB", "5MB", "0.07MB".
rtl::String MegabytesText(std::int64_t bytes);
// Cell 3 while converting: current × 100 div total, then "%"; "N/A" when
// the total is not positive.
rtl::String ProgressText(std::int64_t current, std::int64_t total);

// Cell 8: (category index + 1) × 100 + format index, and back.
rtl::String CategoryCode(int categoryIndex, int formatIndex);
struct TCategoryChoice {
  int CategoryIndex = 0;
  int FormatIndex = 0;
};
// None when the cell is not a whole number.
std::optional<TCategoryChoice> DecodeCategoryCode(const rtl::String& cell);

// Cell 9: six two-digit picker indexes in component order (frame size, video
// bit rate, audio bit rate, aspect, frame rate, sample rate).
using TPresetIndexes = std::array<int, 6>;
rtl::String PresetChoicesCode(const TPresetIndexes& indexes);
// None when the cell does not hold six two-digit numbers.
std::optional<TPresetIndexes> DecodePresetChoices(const rtl::String& cell);

// Where each preset picker keeps its choice in cell 9 (two characters at
// 2 × Position) and the cell that shows its value, by picker (TPresetBox
// order: frame size, video bit rate, frame rate, audio bit rate, sample
// rate, aspect).
struct TPresetCellPlace {
  int Position;
  int ValueCell;
};
inline constexpr std::array<TPresetCellPlace, 6> kPresetCellPlaces = {{
    {0, qcFrameSize}, {1, qcVideoBitrate}, {4, qcFrameRate}, {2, qcAudioBitrate}, {5, qcSampleRate}, {3, qcAspect}}};
// Cell 9 with the two characters at Position replaced by the index, two
// digits; a cell too short for them is padded with "00" pieces first.
rtl::String WithPresetChoice(const rtl::String& cell, int position, int index);

// The output extension a format's title gives: the four characters before
// its last one ("…(*.avi)" → ".avi"), with "lac)" → ".alac", "flac",
// "aiff", "mpeg" gaining their dot and "*.rm", "*.ra" losing the star.
rtl::String ExtensionFromTitle(const rtl::String& title);
// The part of a name after its last "." replaced by the extension (which
// brings its own dot); a name without "." gets the extension appended.
rtl::String ReplaceExtension(const rtl::String& name, const rtl::String& extension);
// The name without the part from its last "." on.
rtl::String NameWithoutExtension(const rtl::String& name);

// The 501 job slots. A slot is free, taken by an added file, or deleted
// (the row at its index was removed); deleted slots stay so until all are
// freed, so at most 501 files can be added between two clears of the queue.
class TJobSlotTable {
 public:
  static constexpr int kSlotCount = 501;
  // The state texts kept in each slot's output options.
  static constexpr char16_t kFree[] = u"kong";
  static constexpr char16_t kTaken[] = u"Full";
  static constexpr char16_t kDeleted[] = u"DELETED";

  TJobSlotTable() { FreeAll(); }

  // Every slot free; their options stay as they were.
  void FreeAll();
  // Copies the options into the first free slot and marks it taken; none
  // when every slot is taken or deleted (the caller refuses the file).
  std::optional<int> Take(const engine::TInputOptions& input, const engine::TOutputOptions& output);
  // Marks the slot at a removed row's index deleted; indexes outside the
  // table are ignored.
  void MarkDeleted(int rowIndex);
  bool HasFree() const;

  engine::TInputOptions& Input(int slot) { return io_.at(slot); }
  engine::TOutputOptions& Output(int slot) { return oo_.at(slot); }
  const rtl::String& State(int slot) const { return oo_.at(slot).AudioLanguage; }

 private:
  std::array<engine::TInputOptions, kSlotCount> io_;
  std::array<engine::TOutputOptions, kSlotCount> oo_;
};

}  // namespace app
