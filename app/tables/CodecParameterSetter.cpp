#include "app/tables/CodecParameterSetter.h"

#include <string>

namespace tables {

namespace {

rtl::String Decimal(std::int32_t n) {
  const std::string text = std::to_string(n);
  return rtl::String(text.begin(), text.end());
}

}  // namespace

void WriteCodecCells(const TVideoFields& v, IQueueRowCells& row) {
  row.SetSubItem(10, v.Video_VideoCodec);
  row.SetSubItem(11, v.Video_AudioCodec);
  row.SetSubItem(12, v.Video_AudioChannels);
  row.SetSubItem(13, v.Video_VideoTag);
  row.SetSubItem(14, v.Video_FileExt);
  row.SetSubItem(15, v.Video_FrameSize);
  row.SetSubItem(16, Decimal(v.Video_VideoBitrate));
  row.SetSubItem(17, v.Video_FrameRate);
  row.SetSubItem(18, Decimal(v.Video_AudioBitrate));
  row.SetSubItem(19, v.Video_AudioSampleRate);
  row.SetSubItem(20, v.Video_FrameAspectRatio);
  row.SetSubItem(21, v.Video_DisableVideo ? u"True" : u"False");
  row.SetSubItem(22, v.Video_TargetType);
  row.SetSubItem(23, v.Video_NormType);
}

bool TCodecParameterSetter::Apply(TVideoFields& video, const TCodecStepInput& input) const {
  video.Reset();
  video.Video_DisableVideo = false;
  std::optional<TProfileKey> key = categories_.KeyOf(input.Selection);
  const TFormatCodecRow* row = key ? table_.Find(*key) : nullptr;
  if (!row) return false;

  video.Video_OutPutFileName =
      BuildOutputFileName(input.OutputFolder, video.Video_AddFileName, row->Ext);
  row->ApplyTo(video);
  video.Video_OutPutFileName = MakeUniqueOutputFileName(
      video.Video_OutPutFileName, input.OutputFolder, input.Overwrite, FileExists);

  if (input.SelectedRow) WriteCodecCells(video, *input.SelectedRow);
  return true;
}

}  // namespace tables
