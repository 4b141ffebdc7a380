// The settings dialog's commands on its own tables: the catalogue step
// ("添加combox"), the preset load ("根据combox添加预设选项"), the codec step
// ("根据combox添加数据"), the preset apply ("确认预置选项数据") and the reset
// ("初始化数据"). They write the main window's Video_ fields.
//
// GUI thread only.
#pragma once

#include "app/tables/CatalogueBuilder.h"
#include "app/tables/OutputFileName.h"
#include "app/tables/PresetLoader.h"
#include "app/tables/PresetTexts.h"
#include "app/tables/VideoFields.h"

namespace settings {

// Clears the format picker and, for a category 0 to 11, adds its group's
// entries; then selects entry 0 in every case (an empty picker included), which
// raises the picker's change and so the preset load.
void SettingsBuildFormatList(int categoryIndex, tables::IFormatPicker& picker);

// Clears and enables the six boxes, sets Video_DisableVideo to False and,
// when the key has a row, fills the boxes (disabling the four video boxes of
// an audio-only profile). Returns whether a row was loaded.
bool SettingsLoadPresets(const tables::TProfileSelection& selection,
                         const tables::TPresetBoxes& boxes, tables::TVideoFields& video);

struct TSettingsCodecInput {
  tables::TProfileSelection Selection;
  rtl::String OutputFolder;  // the main window's output-folder edit, as it stands
  bool Overwrite = false;    // options: overwrite existing output files
};

// Writes the fields the key's row names (no reset first) and the output name
// built from Video_AddFileName; then, for every key, makes the current output
// name unique in the output folder unless overwriting. Nothing is created.
void SettingsCodecStep(tables::TVideoFields& video, const TSettingsCodecInput& input,
                       const tables::TFileExistsFunc& fileExists = tables::OutputNameTaken);

// The shared preset-text rules; an empty bit-rate box (after a load that found
// no row) leaves that bit rate unset (-1) instead of failing.
void SettingsApplyPresets(const tables::TPresetTexts& texts, tables::TVideoFields& video);

}  // namespace settings
