#include "app/settings/SettingsSteps.h"

#include "app/settings/SettingsTables.h"

namespace settings {

void SettingsBuildFormatList(int categoryIndex, tables::IFormatPicker& picker) {
  picker.ClearItems();
  picker.Repaint();
  if (categoryIndex >= 0 && categoryIndex < kSettingsGroupCount) {
    for (const tables::TCatalogueEntry& e : SettingsFormatCatalogue().Group(categoryIndex))
      picker.AddItem(e.Title, e.Caption, e.ImageIndex);
    picker.Repaint();
  }
  picker.SetItemIndex(0);
}

bool SettingsLoadPresets(const tables::TProfileSelection& selection,
                         const tables::TPresetBoxes& boxes, tables::TVideoFields& video) {
  return tables::LoadPresetChoices(selection, boxes, video, SettingsCategories(),
                                   SettingsPresetChoiceTable());
}

void SettingsCodecStep(tables::TVideoFields& video, const TSettingsCodecInput& input,
                       const tables::TFileExistsFunc& fileExists) {
  const tables::TProfileKey key =
      tables::ProfileKeyOf(input.Selection.CategoryIndex, input.Selection.FormatIndex);
  video.Video_DisableVideo = false;
  if (const TSettingsCodecRow* row = SettingsCodecTable().Find(key)) {
    video.Video_OutPutFileName =
        tables::BuildOutputFileName(input.OutputFolder, video.Video_AddFileName, row->Ext);
    row->ApplyTo(video);
  }
  video.Video_OutPutFileName = tables::MakeUniqueOutputFileName(
      video.Video_OutPutFileName, input.OutputFolder, input.Overwrite, fileExists);
}

void SettingsApplyPresets(const tables::TPresetTexts& texts, tables::TVideoFields& video) {
  tables::TPresetTexts guarded = texts;
  const bool noVideoRate = texts[tables::pbVideoBitrate].empty();
  const bool noAudioRate = texts[tables::pbAudioBitrate].empty();
  if (noVideoRate) guarded[tables::pbVideoBitrate] = u"0 kbps";
  if (noAudioRate) guarded[tables::pbAudioBitrate] = u"0 kbps";
  tables::ApplyPresetTexts(guarded, video);
  if (noVideoRate) video.Video_VideoBitrate = -1;
  if (noAudioRate) video.Video_AudioBitrate = -1;
}

}  // namespace settings
