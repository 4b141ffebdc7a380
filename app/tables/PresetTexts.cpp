#include "app/tables/PresetTexts.h"

#include <cmath>

#include "platform/rtl/StrUtils.h"
#include "platform/rtl/SysUtils.h"

namespace tables {

namespace {

// The number part of "<n> kbps": everything before the first "kbps".
rtl::String KbpsNumber(const rtl::String& text) {
  const std::size_t at = text.find(u"kbps");
  return rtl::Trim(at == rtl::String::npos ? text : text.substr(0, at));
}

std::int32_t Kilo(double value, const rtl::String& text) {
  const double bits = std::nearbyint(value * 1000.0);
  if (!(std::fabs(bits) <= 2147483647.0))
    throw rtl::EConvertError(u"'" + text + u"' is not a valid integer value");
  return static_cast<std::int32_t>(bits);
}

}  // namespace

std::int32_t VideoBitrateOfPreset(const rtl::String& text) {
  if (text == u"无视频") return -1000;
  const rtl::String number = KbpsNumber(text);
  return Kilo(rtl::StrToInt(number), number);
}

std::int32_t AudioBitrateOfPreset(const rtl::String& text) {
  const rtl::String number = KbpsNumber(text);
  if (number.find(u'.') != rtl::String::npos) return Kilo(rtl::StrToFloat(number), number);
  return Kilo(rtl::StrToInt(number), number);
}

rtl::String AspectOfPreset(const rtl::String& text, const rtl::String& previous) {
  if (text == u"普通视频4:3模式") return u"4:3";
  if (text == u"宽屏视频16:9模式") return u"16:9";
  if (text == u"宽屏视频37:20模式") return u"37:20";
  if (text == u"宽屏视频47:20模式") return u"47:20";
  if (text == u"保持原视频模式" || text == u"无视频") return {};
  return previous;
}

void ApplyPresetTexts(const TPresetTexts& texts, TVideoFields& video) {
  const rtl::String& size = texts[pbFrameSize];
  video.Video_FrameSize = size == u"保持原分辨率" || size == u"该格式无视频" ? rtl::String() : size;
  const rtl::String& rate = texts[pbFrameRate];
  video.Video_FrameRate = rate == u"保持原帧速率" || rate == u"无视频" ? rtl::String() : rate;
  video.Video_VideoBitrate = VideoBitrateOfPreset(texts[pbVideoBitrate]);
  video.Video_AudioSampleRate = texts[pbSampleRate];
  video.Video_AudioBitrate = AudioBitrateOfPreset(texts[pbAudioBitrate]);
  video.Video_FrameAspectRatio = AspectOfPreset(texts[pbAspectMode], video.Video_FrameAspectRatio);
}

}  // namespace tables
