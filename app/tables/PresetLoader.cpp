#include "app/tables/PresetLoader.h"

namespace tables {

namespace {

// The boxes are cleared and enabled in the order of their component numbers
// (1, 2, 3, 4, 9, 10), and the video boxes disabled in that order too (1, 2, 4, 9).
constexpr std::array<TPresetBox, kPresetBoxCount> kComponentOrder = {
    pbFrameSize, pbVideoBitrate, pbAudioBitrate, pbAspectMode, pbFrameRate, pbSampleRate};
constexpr std::array<TPresetBox, 4> kVideoBoxes = {pbFrameSize, pbVideoBitrate, pbAspectMode,
                                                   pbFrameRate};

}  // namespace

bool LoadPresetChoices(const TProfileSelection& selection, const TPresetBoxes& boxesIn,
                       TVideoFields& video, const TFormatCategories& categories,
                       const TPresetChoiceTable& table) {
  // A copy: the change handlers run nested and may touch the caller's array.
  const TPresetBoxes boxes = boxesIn;
  for (TPresetBox box : kComponentOrder) boxes[box]->ClearItems();
  for (TPresetBox box : kComponentOrder) boxes[box]->SetEnabled(true);

  std::optional<TProfileKey> key = categories.KeyOf(selection);
  video.Video_DisableVideo = false;
  const TPresetChoiceRow* row = key ? table.Find(*key) : nullptr;
  if (!row) return false;

  for (int box = 0; box < kPresetBoxCount; ++box) {
    const TPresetChoice& choice = row->Choices[box];
    for (const rtl::String& entry : table.ListOf(choice).Entries) boxes[box]->AddItem(entry);
    boxes[box]->SetItemIndex(choice.Default);
  }
  if (row->AudioOnly)
    for (TPresetBox box : kVideoBoxes) boxes[box]->SetEnabled(false);
  return true;
}

}  // namespace tables
