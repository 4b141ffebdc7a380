#include "app/queue/QueueOptions.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>

#include "platform/rtl/Strings.h"
#include "platform/shell/ShellNamespace.h"
#include "platform/rtl/SysUtils.h"

namespace app {

using rtl::String;

namespace {

void SetVideoCodec(const String& codec, engine::TOutputOptions& out) {
  out.VideoCodec = codec;
  out.VideoPreset = codec == u"libx264" ? String(u"libx264-default") : String();
}

void SetNumber(const String& text, int& field) {
  int value;
  if (rtl::TryStrToInt(text, value)) field = value;
}

engine::TOptionTargetType TargetFromText(const String& text) {
  if (text == u"vcd") return engine::ttVCD;
  if (text == u"svcd") return engine::ttSVCD;
  if (text == u"dvd") return engine::ttDVD;
  return engine::ttIgnore;
}

engine::TOptionNormType NormFromText(const String& text) {
  if (text == u"PAL") return engine::ntPAL;
  if (text == u"NTSC") return engine::ntNTSC;
  return engine::ntAuto;
}

String FileNamePart(const String& path) {
  const size_t slash = path.find_last_of(u'/');
  return slash == String::npos ? path : path.substr(slash + 1);
}

constexpr int kDefaultValue = -1000;

}  // namespace

void VideoFieldsToOutputOptions(const tables::TVideoFields& v, engine::TOutputOptions& out) {
  if (!v.Video_VideoCodec.empty()) SetVideoCodec(v.Video_VideoCodec, out);
  if (!v.Video_AudioCodec.empty()) out.AudioCodec = v.Video_AudioCodec;
  if (!v.Video_FrameRate.empty()) out.FrameRate = v.Video_FrameRate;
  out.DisableVideo = v.Video_DisableVideo;
  if (!v.Video_AudioChannels.empty()) SetNumber(v.Video_AudioChannels, out.AudioChannels);
  if (!v.Video_AudioSampleRate.empty()) SetNumber(v.Video_AudioSampleRate, out.AudioSampleRate);
  if (!v.Video_FrameSize.empty()) out.FrameSize = v.Video_FrameSize;
  if (!v.Video_TargetType.empty()) out.TargetType = TargetFromText(v.Video_TargetType);
  out.NormType = NormFromText(v.Video_NormType);
  if (v.Video_AudioVolume == u"256")
    out.AudioVolume = 256;
  else
    SetNumber(v.Video_AudioVolume, out.AudioVolume);
  if (!v.Video_FrameAspectRatio.empty()) out.FrameAspectRatio = v.Video_FrameAspectRatio;
  if (v.Video_AudioBitrate != kDefaultValue) out.AudioBitrate = v.Video_AudioBitrate;
  if (!v.Video_FileFormat.empty()) out.FileFormat = v.Video_FileFormat;
  if (!v.Video_VideoFilters.empty()) out.VideoFilters = v.Video_VideoFilters;
  if (!v.Video_VideoTag.empty()) out.VideoTag = v.Video_VideoTag;
  if (v.Video_VideoBitrate != kDefaultValue) out.VideoBitrate = v.Video_VideoBitrate;
}

TQueueCells AddedRowCells(const TAddedFile& file, const engine::TOutputOptions& out, const tables::TVideoFields& v) {
  TQueueCells c;
  c[qcDuration] = DurationText(file.DurationMicroseconds);
  c[qcSize] = MegabytesText(file.SizeBytes);
  c[qcOutputName] = FileNamePart(out.FileName);
  c[qcTaskNumber] = rtl::IntToStr(file.TaskIndex + 1);
  c[qcCategory] = CategoryCode(file.CategoryIndex, file.FormatIndex);
  c[qcPresetChoices] = PresetChoicesCode(file.Presets);
  c[qcVideoCodec] = out.VideoCodec;
  c[qcAudioCodec] = out.AudioCodec;
  c[qcAudioChannels] = rtl::IntToStr(out.AudioChannels);
  c[qcVideoTag] = out.VideoTag;
  c[qcFileExt] = v.Video_FileExt;
  c[qcFrameSize] = out.FrameSize;
  c[qcVideoBitrate] = rtl::IntToStr(out.VideoBitrate);
  c[qcFrameRate] = out.FrameRate;
  c[qcAudioBitrate] = rtl::IntToStr(out.AudioBitrate);
  c[qcSampleRate] = rtl::IntToStr(out.AudioSampleRate);
  c[qcAspect] = out.FrameAspectRatio;
  c[qcDisableVideo] = v.Video_DisableVideo ? u"True" : u"False";
  c[qcTargetType] = v.Video_TargetType;
  c[qcNormType] = v.Video_NormType;
  return c;
}

void RowCellsToOutputOptions(const TQueueCells& c, engine::TOutputOptions& out) {
  const String& videoCodec = c[qcVideoCodec];
  if (!videoCodec.empty()) SetVideoCodec(videoCodec, out);
  if (!c[qcAudioCodec].empty()) out.AudioCodec = c[qcAudioCodec];
  if (!c[qcAudioChannels].empty()) out.AudioChannels = rtl::StrToInt(c[qcAudioChannels]);
  out.VideoTag = videoCodec == u"libx264" ? String() : c[qcVideoTag];
  if (!c[qcFileExt].empty()) out.FileExt = c[qcFileExt];
  if (!c[qcFrameSize].empty()) out.FrameSize = c[qcFrameSize];
  if (!c[qcVideoBitrate].empty()) out.VideoBitrate = rtl::StrToInt(c[qcVideoBitrate]);
  if (!c[qcFrameRate].empty()) out.FrameRate = c[qcFrameRate];
  if (c[qcAudioBitrate] != u"-1000") out.AudioBitrate = rtl::StrToInt(c[qcAudioBitrate]);
  if (!c[qcSampleRate].empty()) out.AudioSampleRate = rtl::StrToInt(c[qcSampleRate]);
  if (!c[qcAspect].empty()) out.FrameAspectRatio = c[qcAspect];
  out.DisableVideo = c[qcDisableVideo] == u"True";
  if (!c[qcTargetType].empty()) out.TargetType = TargetFromText(c[qcTargetType]);
  out.NormType = NormFromText(c[qcNormType]);
}

String OpenDialogFilter() {
  static const struct {
    const char16_t* Description;
    const char16_t* Mask;
  } kPairs[kOpenDialogFilterPairs] = {
    {u"所有文件格式 (*.*)", u"*.*"},
    {u"支持的视频/音频文件格式",
     u"*.AVI;*.ASF;*.asx;*.WMV;*.AVS;*.FLV;*.MKV;*.MOV;*.3GP;*.MP4;*.MPG;*.MPEG;*.DAT;*.OGM;*.VOB;*.RM;*.RMVB;*.TS;*.TP;*.IFO;*.NSV;*.MP3;*.AAC;*.WAV;*.WMA;*.CDA;*.SWF;*.FLAC;*.M4A;*.MID;*.MKA;*.MP2;*.MPA;*.MPC;*.APE;*.OFR;*.OGG;*.RA;*.WV;*.TTA;*.AC3;*.DTS;*.DV;*.m4v;*.3g2;*.mkv;*.dv;*.yuv;*.h261;*.h264;*.mjpeg;*.dif;*.m4v;*.3gpp;*.3gp2;*.qt"},
    {u"支持的视频文件格式",
     u"*.AVI;*.ASF;*.asx;*.WMV;*.AVS;*.FLV;*.MKV;*.MOV;*.3GP;*.MP4;*.MPG;*.MPEG;*.DAT;*.OGM;*.VOB;*.RM;*.RMVB;*.TS;*.TP;*.IFO;*.NSV;*.SWF;*.WV;*.TTA;*.AC3;*.DTS;*.DV;*.m4v;*.3g2;*.mkv;*.dv;*.yuv;*.h261;*.h264;*.mjpeg;*.dif;*.m4v;*.3gpp;*.3gp2;*.qt"},
    {u"支持的音频文件格式",
     u"*.MP3;*.AAC;*.WAV;*.WMA;*.CDA;*.FLAC;*.M4A;*.MID;*.MKA;*.MP2;*.MPA;*.MPC;*.APE;*.OFR;*.OGG;*.RA;*.WV;*.TTA;*.AC3"},
    {u"AVI文件 (*.avi)", u"*.avi"},
    {u"Real视频文件格式 (*.rm;*.rmvb)", u"*.rm;*.rmvb"},
    {u"MP4视频格式 (*.mp4;*.m4v)", u"*.mp4;*.m4v"},
    {u"MPEG视频格式 (*.mpg;*.mpeg)", u"*.mpg;*.mpeg"},
    {u"DVD视频格式 (*.vob)", u"*.vob"},
    {u"VCD/SVCD视频格式 (*.dat;*.mpg)", u"*.dat;*.mpg"},
    {u"ASF微软视频格式 (*.asf)", u"*.asf"},
    {u"WMV微软视频格式 (*.wmv)", u"*.wmv"},
    {u"手机3GPP文件格式 (*.3gp;*.3gpp)", u"*.3gp;*.3gpp"},
    {u"手机3GPP2文件格式 (*.3g2;*.3gp2)", u"*.3g2;*.3gp2"},
    {u"Flash动画格式 (*.swf)", u"*.swf"},
    {u"Flash视频格式 (*.flv)", u"*.flv"},
    {u"MKV视频媒体格式 (*.mkv)", u"*.mkv"},
    {u"Quick Time视频文件格式 (*.mov;*.qt)", u"*.mov;*.qt"},
    {u"DV数字视频文件格式 (*.dv;*.dif)", u"*.dv;*.dif"},
    {u"Raw h261类型文件 (*.h261)", u"*.h261"},
    {u"Raw h264类型文件 (*.h264)", u"*.h264"},
    {u"YUV类型文件 (*.yuv)", u"*.yuv"},
    {u"GIF图片动画格式 (*.gif)", u"*.gif"},
    {u"MJPEG视频格式(*.mjpg;*.mjpeg)", u"*.mjpg;*.mjpeg"},
    {u"TS视频格式 (*.ts)", u"*.ts"},
    {u"WMV高清HD视频格式 (*.xwmv)", u"*.xwmv"},
    {u"微软数字视频格式( *.dvr-ms)", u"*.dvr-ms"},
    {u"iTunes视频格式 (*.m4v)", u"*.m4v"},
    {u"MP3音频格式 (*.mp3)", u"*.mp3"},
    {u"CD音频格式 (*.cda)", u"*.cda"},
    {u"WMA微软音频格式 (*.wma)", u"*.wma"},
    {u"WAVE音频格式 (*.wav)", u"*.wav"},
    {u"REAL音频格式 (*.ra;*.ram)", u"*.ra;*.ram"},
    {u"MP4音频格式 (*.m4a;*.mp4)", u"*.m4a;*.mp4"},
    {u"AAC高级音频格式 (*.aac)", u"*.aac"},
    {u"AC3音频格式 (*.ac3)", u"*.ac3"},
    {u"Monkey音频格式 (*.ape;*.cue)", u"*.ape;*.cue"},
    {u"Flac无损压缩音频格式\u3000(*.flac)", u"*.flac"},
    {u"MPEG音频编码格式(*.mpa)", u"*.mpa"},
    {u"MPEG 2音频编码格式(*.mp2)", u"*.mp2"},
    {u"OGG音频编码格式(*.ogg)", u"*.ogg"},
    {u"AIFF音频编码格式(*.aif; *.aiff)", u"*.aif; *.aiff"},
  };
  String filter;
  for (const auto& p : kPairs) {
    filter += p.Description;
    filter += u'|';
    filter += p.Mask;
    filter += u'|';
  }
  return filter;
}

std::optional<std::vector<String>> GetFilenames(const String& folder, const String& mask) {
  std::string dir = rtl::StringToFileName(folder);
  if (dir.empty()) return std::nullopt;
  std::unique_ptr<DIR, int (*)(DIR*)> d(opendir(dir.c_str()), closedir);
  if (!d) return std::nullopt;
  if (dir.back() != '/') dir += '/';
  const bool everyName = mask == u"*.*" || mask == u"*";
  const std::string pattern = rtl::StringToFileName(mask);
  std::vector<std::string> names;
  while (const dirent* e = readdir(d.get())) {
    const std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    if (!everyName && fnmatch(pattern.c_str(), name.c_str(), FNM_CASEFOLD) != 0) continue;
    const std::string path = dir + name;
    bool isFolder = e->d_type == DT_DIR;
    if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
      struct stat st;
      isFolder = stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    if (!isFolder) names.push_back(name);
  }
  // In the order the open dialog shows them: without regard to case, runs of
  // digits by their value.
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return shell::CompareItemNames(a, b) < 0; });
  std::vector<String> paths;
  paths.reserve(names.size());
  for (const std::string& name : names) paths.push_back(rtl::FileNameToString(dir + name));
  return paths;
}

}  // namespace app
