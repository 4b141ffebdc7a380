// The main window's Video_ fields: the settings of the profile and presets
// being applied to the file being added or to the selected queue row.
//
// Texts are UTF-16; an empty text means "not set" to the code that turns the
// fields into task options. Bit rates: -1 not set, -1000 the target's default.
// Owned by the main window and used on the GUI thread only.
#pragma once

#include <cstdint>

#include "platform/rtl/Types.h"

namespace tables {

struct TVideoFields {
  rtl::String Video_OutPutFileName;
  rtl::String Video_AddFileName;  // input being added; the reset keeps it
  rtl::String Video_FileExt;
  rtl::String Video_AudioChannels;
  rtl::String Video_AudioSampleRate;
  rtl::String Video_FrameSize;
  rtl::String Video_FrameRate;
  rtl::String Video_NormType;
  rtl::String Video_VideoFilters;
  rtl::String Video_AudioVolume;
  rtl::String Video_FrameAspectRatio;
  rtl::String Video_VideoCodec;
  rtl::String Video_AudioCodec;
  rtl::String Video_FileFormat;
  rtl::String Video_TargetType;
  rtl::String Video_VideoTag;
  rtl::String Video_CopyTimestamp;
  std::int32_t Video_VideoBitrate = 0;
  std::int32_t Video_AudioBitrate = 0;
  std::int32_t Video_TimeStart = 0;
  std::int32_t Video_TimeLength = 0;
  bool Video_DisableVideo = false;

  // The reset every add and every codec step starts from ("初始化数据"):
  // empty texts, volume "256", bit rates and times -1, video enabled.
  void Reset() {
    const rtl::String addFileName = Video_AddFileName;
    *this = TVideoFields{};
    Video_AddFileName = addFileName;
    Video_AudioVolume = u"256";
    Video_VideoBitrate = -1;
    Video_AudioBitrate = -1;
    Video_TimeStart = -1;
    Video_TimeLength = -1;
  }
};

}  // namespace tables
