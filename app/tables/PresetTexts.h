// Turning the six preset boxes' shown texts into Video_ fields (the work
// behind the "确认预置选项数据" buttons of the main window and the settings
// dialog). Both windows convert the same texts by the same rules.
//
// GUI thread only; pure functions of the texts.
#pragma once

#include <array>
#include <cstdint>

#include "app/tables/PresetChoiceTable.h"
#include "app/tables/VideoFields.h"
#include "platform/rtl/Types.h"

namespace tables {

// The boxes' texts, indexed by TPresetBox.
using TPresetTexts = std::array<rtl::String, kPresetBoxCount>;

// "816 kbps" → 816000: the text before the first "kbps", blanks trimmed, read
// as a whole number; "无视频" → -1000. Raises EConvertError on any other text.
std::int32_t VideoBitrateOfPreset(const rtl::String& text);
// "128 kbps" → 128000, "12.2 kbps" → 12200, "4.75 kbps" → 4750: a number with
// a '.' is read as a real and rounded to the nearest whole bit rate. Raises
// EConvertError on a text without a number.
std::int32_t AudioBitrateOfPreset(const rtl::String& text);
// "普通视频4:3模式" → "4:3"; "保持原视频模式" and "无视频" → ""; any other
// text keeps the field as it was (previous).
rtl::String AspectOfPreset(const rtl::String& text, const rtl::String& previous = {});

// Writes, in this order, Video_FrameSize, Video_FrameRate, Video_VideoBitrate,
// Video_AudioSampleRate, Video_AudioBitrate and Video_FrameAspectRatio. Raises
// EConvertError (leaving the fields written so far) on a bit-rate text that
// holds no number.
void ApplyPresetTexts(const TPresetTexts& texts, TVideoFields& video);

}  // namespace tables
