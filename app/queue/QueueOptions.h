// How a queued file's settings travel between the Video_ fields, the task
// options handed to the engine and the texts of its queue row: the options
// of a file being added, the cells of its new row, the options rebuilt from a
// row when the queue starts; and the two things adding needs besides: the
// open dialogs' file-type filter and the listing of a folder's files.
//
// GUI thread only.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "app/queue/QueueModel.h"
#include "app/tables/VideoFields.h"
#include "engine/TaskOptions.h"
#include "platform/rtl/Types.h"

namespace app {

using TQueueCells = std::array<rtl::String, kQueueCellCount>;

// Copies the Video_ fields of the file being added into freshly reset output
// options: texts only when set, bit rates unless -1000 ("the target's
// default"), "libx264" with its default preset, target and norm by name.
// A number field holding no number leaves its option unset.
void VideoFieldsToOutputOptions(const tables::TVideoFields& video, engine::TOutputOptions& out);

// What a new row shows besides the options.
struct TAddedFile {
  std::int64_t DurationMicroseconds = 0;  // from the probe; 0 or less: none
  std::int64_t SizeBytes = 0;
  int TaskIndex = 0;
  int CategoryIndex = 0;
  int FormatIndex = 0;
  TPresetIndexes Presets{};
};

// The cells of the row of a file just added: duration, size, output name,
// task number, category and preset codes, and the settings the file will be
// converted with. The extension, video switch, target and norm cells are
// written from the Video_ fields as the codec step writes them, so a row
// that is never selected still converts with its own profile's target,
// norm and video switch.
TQueueCells AddedRowCells(const TAddedFile& file, const engine::TOutputOptions& out,
                          const tables::TVideoFields& video);

// Rewrites a slot's output options from its row's cells when the queue
// starts: an empty cell keeps what the slot holds, except the video tag
// (emptied, also for libx264), the video switch (on unless "True") and the
// norm (automatic unless "PAL" or "NTSC"); an audio bit rate of "-1000"
// keeps the slot's. A number cell (channels, bit rates, sample rate) that
// holds no number raises EConvertError, the fields before it rewritten.
void RowCellsToOutputOptions(const TQueueCells& cells, engine::TOutputOptions& out);

// The open dialogs' file-type filter: 42 description and mask pairs, each
// followed by "|".
rtl::String OpenDialogFilter();
inline constexpr int kOpenDialogFilterPairs = 42;

// The files (not folders) of a folder whose names match the mask, as full
// names in name order as the open dialog sorts them (without regard to case,
// runs of digits by their value: "clip2" before "Clip10"); hidden ones included,
// subfolders not entered. "*.*" and "*" match every name, dot or not; other
// masks match without regard to case. None when the folder does not exist
// or cannot be read.
std::optional<std::vector<rtl::String>> GetFilenames(const rtl::String& folder, const rtl::String& mask);

}  // namespace app
