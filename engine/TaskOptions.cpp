#include "engine/TaskOptions.h"

#include <cmath>

#include "engine/FFmpeg.h"
#include "engine/MyUtils.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/SysUtils.h"

namespace engine {

using rtl::String;

void InitInputOptions(TInputOptions& AOptions) { AOptions = TInputOptions{}; }

void InitOutputOptions(TOutputOptions& AOptions) { AOptions = TOutputOptions{}; }

namespace {

String NormaliseLines(const String& AText) {
  const String text = rtl::Trim(AText);
  String out;
  out.reserve(text.size());
  static const String marker = u"<CRLF>";
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'\r' || c == u'\n') {
      // A CR LF or LF CR pair is one break.
      const char16_t other = c == u'\r' ? u'\n' : u'\r';
      if (i + 1 < text.size() && text[i + 1] == other) ++i;
      out += u'\n';
    } else if (c == u'<' && text.compare(i, marker.size(), marker) == 0) {
      i += marker.size() - 1;
      out += u'\n';
    } else {
      out += c;
    }
  }
  return out;
}

bool IsOneOf(const String& AName, std::initializer_list<const char16_t*> ANames) {
  for (const char16_t* n : ANames)
    if (AName == n) return true;
  return false;
}

void AppendLine(String& AText, const TExtOption& ALine) {
  AText += ALine.Name;
  AText += u'=';
  AText += ALine.Value;
  AText += u'\n';
}

int64_t TimeFromText(const String& AValue) { return rtl::StrToInt64Def(AValue, NoTimestamp); }

}  // namespace

TExtOptionList SplitExtOptions(const String& AText) {
  TExtOptionList lines;
  const String text = NormaliseLines(AText);
  if (text.empty()) return lines;
  size_t start = 0;
  while (true) {
    size_t end = text.find(u'\n', start);
    String line = text.substr(start, end == String::npos ? String::npos : end - start);
    size_t eq = line.find(u'=');
    if (eq == String::npos)
      lines.push_back({line, {}});
    else
      lines.push_back({line.substr(0, eq), line.substr(eq + 1)});
    if (end == String::npos) break;
    start = end + 1;
  }
  return lines;
}

TInputOptions InputOptionsFromText(const String& AText) {
  TInputOptions result;
  for (const TExtOption& line : SplitExtOptions(AText)) {
    if (rtl::SameText(line.Name, u"TimeStart"))
      result.TimeStart = TimeFromText(line.Value);
    else
      AppendLine(result.ExtOptions, line);
  }
  return result;
}

TOutputOptions OutputOptionsFromText(const String& AText) {
  TOutputOptions result;
  for (const TExtOption& line : SplitExtOptions(AText)) {
    if (rtl::SameText(line.Name, u"Hook") || rtl::SameText(line.Name, u"CustomHook"))
      result.CustomHook = true;
    else if (rtl::SameText(line.Name, u"Join"))
      result.Join = true;
    else if (rtl::SameText(line.Name, u"TimeStart"))
      result.TimeStart = TimeFromText(line.Value);
    else if (rtl::SameText(line.Name, u"TimeLength"))
      result.TimeLength = TimeFromText(line.Value);
    else
      AppendLine(result.ExtOptions, line);
  }
  return result;
}

int64_t DateTimeToUnixTime(double ADateTime) {
  return static_cast<int64_t>(std::nearbyint((ADateTime - 25569.0 - LocalUTCOffsetDays()) * 86400.0));
}

void ApplyExtOptions(TCustomFFmpeg& AFFmpeg, const String& AText, bool AIncludeCodecs) {
  for (const TExtOption& line : SplitExtOptions(AText)) {
    const String name = rtl::LowerCase(line.Name);
    if (IsOneOf(name, {u"newvideo", u"newaudio", u"newsubtitle", u"apre", u"vpre", u"spre",
                       u"vfilters", u"vf"}))
      continue;
    if (!AIncludeCodecs && IsOneOf(name, {u"acodec", u"vcodec", u"scodec", u"s"})) continue;
    AFFmpeg.ApplyOption(name, line.Value);
  }
}

void ApplyInputRecord(TCustomFFmpeg& AFFmpeg, const TInputOptions& AOptions) {
  // Fields after the text, so that a field that is set wins.
  ApplyExtOptions(AFFmpeg, AOptions.ExtOptions, true);
  AFFmpeg.SetFormat(AOptions.FileFormat);
  if (AOptions.TimeStart != NoTimestamp) AFFmpeg.SetStartTime(AOptions.TimeStart);
  if (AOptions.ProgramID >= 0) AFFmpeg.SetProgramID(AOptions.ProgramID);
}

// --- outputs -----------------------------------------------------------------

namespace {

const String* FindListed(const TStreamOptionList& AList, const String& AName) {
  for (const auto& [name, value] : AList)
    if (name == AName) return &value;
  return nullptr;
}

String ListedValue(const TStreamOptionList& AList, const String& AName) {
  const String* v = FindListed(AList, AName);
  return v ? *v : String();
}

// The next unused text line of AName, else its default; the line is used up.
void ApplyListedOption(TCustomFFmpeg& AFFmpeg, TStreamOptionList& AList, const String& AName) {
  for (auto it = AList.begin(); it != AList.end(); ++it) {
    if (it->first != AName) continue;
    const String value = it->second;
    AList.erase(it);
    AFFmpeg.ApplyOption(AName, value);
    return;
  }
  const String def = ListedValue(AList, u"def_" + AName);
  if (!def.empty()) AFFmpeg.ApplyOption(AName, def);
}

}  // namespace

TStreamOptionList BuildStreamOptionList(const TOutputOptions& AOptions) {
  TStreamOptionList list;
  auto addDefault = [&list](const char16_t* AName, const String& AValue) {
    if (!AValue.empty()) list.emplace_back(AName, AValue);
  };
  addDefault(u"def_acodec", AOptions.AudioCodec);
  addDefault(u"def_vcodec", AOptions.VideoCodec);
  addDefault(u"def_scodec", AOptions.SubtitleCodec);
  addDefault(u"def_apre", AOptions.AudioPreset);
  addDefault(u"def_vpre", AOptions.VideoPreset);
  addDefault(u"def_spre", AOptions.SubtitlePreset);
  addDefault(u"def_s", AOptions.FrameSize);
  addDefault(u"def_vf", AOptions.VideoFilters);
  for (const TExtOption& line : SplitExtOptions(AOptions.ExtOptions)) {
    String name = rtl::LowerCase(line.Name);
    if (line.Value.empty() || !IsOneOf(name, {u"acodec", u"vcodec", u"scodec", u"apre", u"vpre",
                                              u"spre", u"s", u"vfilters", u"vf"}))
      continue;
    if (name == u"vfilters") name = u"vf";
    const String def = u"def_" + name;
    if (ListedValue(list, def).empty()) list.emplace_back(def, line.Value);
    list.emplace_back(name, line.Value);
  }
  return list;
}

void ApplyOutputTarget(TCustomFFmpeg& AFFmpeg, const TOutputOptions& AOptions) {
  const char16_t* type = nullptr;
  switch (AOptions.TargetType) {
    case ttVCD: type = u"vcd"; break;
    case ttSVCD: type = u"svcd"; break;
    case ttDVD: type = u"dvd"; break;
    default: return;
  }
  const char16_t* norm = AOptions.NormType == ntPAL    ? u"pal"
                         : AOptions.NormType == ntNTSC ? u"ntsc"
                                                       : u"auto";
  const char16_t* normDefault = AOptions.NormDefault == ntPAL ? u"pal" : u"ntsc";
  AFFmpeg.SetTarget(type, norm, normDefault);
}

void ApplyOutputRecord(TCustomFFmpeg& AFFmpeg, const TOutputOptions& O) {
  TCustomFFmpeg& T = AFFmpeg;
  auto generic = [&T](const char* AName, int AValue) {
    if (AValue > 0) T.SetGenericIntOption(AName, AValue);
  };
  T.SetFormat(O.FileFormat);
  generic("packetsize", O.PacketSize);
  generic("muxrate", O.MuxRate);
  if (O.MuxDelay > 0) T.SetMuxMaxDelay(O.MuxDelay);
  if (O.MuxPreload > 0) T.SetMuxPreload(O.MuxPreload);
  if (O.DisableAudio) T.Faudio_disable = true;
  if (O.AudioVolume >= 0) T.SetAudioVolume(O.AudioVolume);
  if (O.AudioChannels > 0) T.SetAudioChannels(O.AudioChannels);
  if (O.AudioSampleRate > 0) T.SetAudioRate(O.AudioSampleRate);
  generic("ab", O.AudioBitrate);
  generic("abt", O.AudioBitRateTolerance);
  T.Faudio_language = O.AudioLanguage;
  T.SetAudioSyncMethod(O.AudioSyncMethod);
  T.SetAudioTag(O.AudioTag);
  if (O.DisableVideo) T.Fvideo_disable = true;
  T.SetFrameRate(O.FrameRate);
  T.SetAspectRatio(O.FrameAspectRatio);
  if (O.CropTop > 0) T.SetCropTop(O.CropTop);
  if (O.CropBottom > 0) T.SetCropBottom(O.CropBottom);
  if (O.CropLeft > 0) T.SetCropLeft(O.CropLeft);
  if (O.CropRight > 0) T.SetCropRight(O.CropRight);
  generic("g", O.GroupPictureSize);
  generic("vb", O.VideoBitrate);
  generic("maxrate", O.VideoMaxRate);
  generic("minrate", O.VideoMinRate);
  generic("bt", O.VideoBitRateTolerance);
  generic("bufsize", O.VideoBufSize);
  T.SetVideoSyncMethod(O.VideoSyncMethod);
  T.SetVideoTag(O.VideoTag);
  T.Fvideo_language = O.VideoLanguage;
  if (O.DisableSubtitle) T.Fsubtitle_disable = true;
  T.Fsubtitle_language = O.SubtitleLanguage;
  T.Finput_sync = O.InputSync;
  if (O.CopyTimestamp) T.Fcopy_ts = true;
  if (O.TimeStart != NoTimestamp) T.SetStartTime(O.TimeStart);
  if (O.TimeLength != NoTimestamp) T.SetRecordingTime(O.TimeLength);
  if (O.Info.TimeStamp == 0)
    T.Frecording_timestamp = DateTimeToUnixTime(rtl::Now());
  else if (O.Info.TimeStamp > 0)
    T.Frecording_timestamp = DateTimeToUnixTime(O.Info.TimeStamp);
  if (O.Info.Year > 0) T.AddMetadataPair("year", std::to_string(O.Info.Year));
  if (O.Info.Track > 0) T.AddMetadataPair("track", std::to_string(O.Info.Track));
  const std::pair<const char*, const std::string*> texts[] = {
      {"title", &O.Info.Title},         {"author", &O.Info.Author}, {"copyright", &O.Info.Copyright},
      {"comment", &O.Info.Comment},     {"album", &O.Info.Album},   {"genre", &O.Info.Genre}};
  for (const auto& [key, value] : texts)
    if (!value->empty()) T.AddMetadataPair(key, *value);
}

void ApplyOutputRecordBeforeOpen(TCustomFFmpeg& AFFmpeg, const TOutputOptions& AOptions,
                                 const TStreamOptionList& AList) {
  ApplyOutputTarget(AFFmpeg, AOptions);
  AFFmpeg.SetAudioCodec(ListedValue(AList, u"def_acodec"));
  AFFmpeg.SetVideoCodec(ListedValue(AList, u"def_vcodec"));
  AFFmpeg.SetSubtitleCodec(ListedValue(AList, u"def_scodec"));
  for (const char16_t* pre : {u"apre", u"vpre", u"spre"}) {
    const String value = ListedValue(AList, String(u"def_") + pre);
    if (!value.empty()) AFFmpeg.ApplyPreset(pre, value);
  }
  ApplyExtOptions(AFFmpeg, AOptions.ExtOptions, false);
  ApplyOutputRecord(AFFmpeg, AOptions);
  AFFmpeg.SetFrameSize(ListedValue(AList, u"def_s"));
  AFFmpeg.SetVideoFilters(ListedValue(AList, u"def_vf"));
}

void ApplyNewStreamOptions(TCustomFFmpeg& AFFmpeg, const TOutputOptions& AOptions,
                           TStreamOptionList& AList) {
  for (const TExtOption& line : SplitExtOptions(AOptions.ExtOptions)) {
    const String name = rtl::LowerCase(line.Name);
    static const std::vector<const char16_t*> audio{u"acodec", u"apre"};
    static const std::vector<const char16_t*> video{u"vcodec", u"vpre", u"s", u"vf"};
    static const std::vector<const char16_t*> subtitle{u"scodec", u"spre"};
    const std::vector<const char16_t*>* taken = name == u"newaudio"      ? &audio
                                                : name == u"newvideo"    ? &video
                                                : name == u"newsubtitle" ? &subtitle
                                                                         : nullptr;
    if (!taken) continue;
    for (const char16_t* option : *taken) ApplyListedOption(AFFmpeg, AList, option);
    AFFmpeg.ApplyOption(name, line.Value);
  }
}

}  // namespace engine
