#include "engine/probe/CustomAVProbe.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/FFUtils.h"
#include "engine/FFmpegLogger.h"
#include "engine/MyUtils.h"
#include "engine/UnicodeProtocol.h"
#include "engine/Printf.h"
#include "engine/probe/ProbeInfoText.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Strings.h"

namespace player {

using engine::Fmt;

using engine::TFFmpegLoader;
using rtl::String;

namespace {

const char* const kNotLoaded = "file not loaded.";

int ClampToInt(int64_t AValue) {
  if (AValue > INT_MAX) return INT_MAX;
  if (AValue < INT_MIN) return INT_MIN;
  return static_cast<int>(AValue);
}

// A time base that rescaling can use: a zero denominator takes the
// numerator, and 1 when that is zero too. The stream itself is left alone:
// a lent context is read by the player's threads at the same time.
AVRational RepairedTimeBase(AVRational ATimeBase) {
  if (ATimeBase.den == 0) ATimeBase.den = ATimeBase.num;
  if (ATimeBase.den == 0) ATimeBase.den = 1;
  return ATimeBase;
}

int64_t ScaleToMicroseconds(int64_t AValue, AVRational ATimeBase) {
  if (AValue == AV_NOPTS_VALUE) return -1;
  return ff::av_rescale_q(AValue, ATimeBase, AVRational{1, 1000000});
}

String TagText(const AVDictionary* AMetadata, const char* AKey) {
  return engine::GetMetadataValue(AMetadata, AKey, String());
}

// Fields every stream record has.
template <typename TInfo>
void ReadStreamNames(const AVStream* AStream, TInfo& AInfo) {
  AInfo.Language = TagText(AStream->metadata, "language");
  AInfo.CodecName =
      engine::CodecNameText(AStream->codecpar->codec_id, AStream->codecpar->codec_tag, false);
}

// Fields the audio and video records share: names, times and bit rate.
template <typename TInfo>
void ReadTimedStreamInfo(const AVStream* AStream, TInfo& AInfo) {
  ReadStreamNames(AStream, AInfo);
  const AVRational tb = RepairedTimeBase(AStream->time_base);
  AInfo.StartTime = AStream->start_time;
  AInfo.StartTimeScaled = ScaleToMicroseconds(AStream->start_time, tb);
  AInfo.Duration = AStream->duration;
  AInfo.DurationScaled = ScaleToMicroseconds(AStream->duration, tb);
  AInfo.BitRate = ClampToInt(AStream->codecpar->bit_rate);
}

}  // namespace

TCustomAVProbe::TCustomAVProbe(rtl::TComponent* AOwner) : engine::TFFBaseComponent(AOwner) {
  TCustomAVProbe::ReadFileInfo();
}

TCustomAVProbe::~TCustomAVProbe() { TCustomAVProbe::CloseFile(); }

bool TCustomAVProbe::AVLibLoaded() const { return TFFmpegLoader::Loaded(engine::ProbeLibraries); }

bool TCustomAVProbe::LoadAVLib(const String& APath) {
  TFFmpegLoader::SetLibraryPath(APath);
  if (TFFmpegLoader::Load(engine::ProbeLibraries)) return true;
  FLastErrMsg = TFFmpegLoader::GetLastErrMsg();
  return false;
}

void TCustomAVProbe::UnloadAVLib() {
  // What the probe holds of FFmpeg can only be freed while the libraries
  // are there: closing later would call through cleared entry points.
  if (TFFmpegLoader::Loaded(engine::ProbeLibraries)) CloseFile();
  TFFmpegLoader::Unload(engine::ProbeLibraries);
}

void TCustomAVProbe::CheckLibraries() {
  static const struct {
    engine::TLibrary Lib;
    const char* Text;
  } kChecks[] = {{engine::avCodec, "LibAVCodec not loaded."},
                 {engine::avFormat, "LibAVFormat not loaded."},
                 {engine::avUtil, "LibAVUtil not loaded."},
                 {engine::swScale, "LibSwScale not loaded."}};
  for (const auto& check : kChecks)
    if (!TFFmpegLoader::Loaded(check.Lib)) throw rtl::Exception(check.Text);
}

void TCustomAVProbe::ReportMessage(int AVLevel, const String& AText) {
  engine::GetFFLogger()->Log(this, engine::AVLevelToLogLevel(AVLevel), AText);
  FLastErrMsg = AText;
}

void TCustomAVProbe::ReportMessage(int AVLevel, const char* AText) {
  ReportMessage(AVLevel, rtl::Utf8ToString(AText));
}

bool TCustomAVProbe::LoadFile(const String& AFileName, const String& AFormatName) {
  CheckLibraries();
  CloseFile();

  const AVInputFormat* format = nullptr;
  if (!AFormatName.empty()) {
    format = ff::av_find_input_format(rtl::StringToAnsi(AFormatName).c_str());
    if (!format) {
      FLastErrMsg = u"Unknown input format: " + AFormatName;
      return false;
    }
  }

  AVFormatContext* ic = ff::avformat_alloc_context();
  if (!ic) {
    ReportMessage(AV_LOG_ERROR, engine::FFmpegErrorText(AFileName, AVERROR(ENOMEM)));
    return false;
  }
  FFileHandle = ic;
  FOwnHandle = true;
  ic->flags |= AVFMT_FLAG_NONBLOCK;

  // The name must stay alive until the open returns: it is our own copy,
  // never a buffer shared with other threads.
  const std::string name = engine::EncodeAVFileName(AFileName);
  int r = 0;
  if (engine::IsUnicodeAVFileName(name)) {
    r = engine::OpenUnicodeAVIO(&FUnicodeIO, name, AVIO_FLAG_READ);
    if (r >= 0) ic->pb = FUnicodeIO;
  }
  // On failure FFmpeg frees the context and clears FFileHandle itself.
  if (r >= 0) r = ff::avformat_open_input(&FFileHandle, name.c_str(), format, nullptr);
  if (r < 0) {
    ReportMessage(AV_LOG_ERROR, engine::FFmpegErrorText(AFileName, r));
    CloseFile();
    return false;
  }

  if (ff::avformat_find_stream_info(FFileHandle, nullptr) < 0) {
    FLastErrMsg = AFileName + u": could not find codec parameters";
    CloseFile();
    return false;
  }

  ReadFileInfo();
  FForceFormat = AFormatName;
  return true;
}

void TCustomAVProbe::CloseOwnContext() {
  if (FFileHandle && FOwnHandle) ff::avformat_close_input(&FFileHandle);
  if (FUnicodeIO) engine::CloseUnicodeAVIO(&FUnicodeIO);
}

void TCustomAVProbe::CloseFile() {
  FForceFormat.clear();
  CloseOwnContext();
  FFileHandle = nullptr;
  FOwnHandle = false;
  ReadFileInfo();
}

void TCustomAVProbe::SetFileHandle(AVFormatContext* Value) {
  CheckLibraries();
  CloseFile();
  FOwnHandle = false;
  FFileHandle = Value;
  ReadFileInfo();
}

AVMediaType TCustomAVProbe::StreamKind(const AVStream* AStream) {
  if (!AStream || !AStream->codecpar) return AVMEDIA_TYPE_UNKNOWN;
  if (AStream->disposition & AV_DISPOSITION_ATTACHED_PIC) return AVMEDIA_TYPE_UNKNOWN;
  return AStream->codecpar->codec_type;
}

void TCustomAVProbe::ReadFileInfo() {
  FFileSize = -1;
  FStreamCount = FProgramCount = -1;
  FAudioStreamCount = FVideoStreamCount = FSubtitleStreamCount = -1;
  FFirstAudioStreamIndex = FFirstVideoStreamIndex = FFirstSubtitleStreamIndex = -1;
  if (!FFileHandle) return;
  AVFormatContext* ic = FFileHandle;

  const int64_t contextSize = ic->pb ? ff::avio_size(ic->pb) : 0;
  if (contextSize > 0) {
    FFileSize = contextSize;
  } else {
    const int64_t diskSize = engine::FileSizeByName(FileName());
    FFileSize = diskSize >= 0 ? diskSize : contextSize;
  }

  FStreamCount = static_cast<int>(ic->nb_streams);
  FProgramCount = static_cast<int>(ic->nb_programs);
  FAudioStreamCount = FVideoStreamCount = FSubtitleStreamCount = 0;
  for (int i = 0; i < FStreamCount; ++i) {
    switch (StreamKind(ic->streams[i])) {
      case AVMEDIA_TYPE_VIDEO:
        if (FVideoStreamCount++ == 0) FFirstVideoStreamIndex = i;
        break;
      case AVMEDIA_TYPE_AUDIO:
        if (FAudioStreamCount++ == 0) FFirstAudioStreamIndex = i;
        break;
      case AVMEDIA_TYPE_SUBTITLE:
        if (FSubtitleStreamCount++ == 0) FFirstSubtitleStreamIndex = i;
        break;
      default: break;
    }
  }
  // The stream a player would pick stands for its kind: FFmpeg's own ranking
  // (default disposition, frames seen, bit rate) chooses among several, and
  // the first of the kind is kept where it finds none we count.
  const auto best = [&](AVMediaType AKind, int& AIndex) {
    if (AIndex < 0) return;
    const int found = ff::av_find_best_stream(ic, AKind, -1, -1, nullptr, 0);
    if (found >= 0 && found < FStreamCount && StreamKind(ic->streams[found]) == AKind) AIndex = found;
  };
  best(AVMEDIA_TYPE_VIDEO, FFirstVideoStreamIndex);
  best(AVMEDIA_TYPE_AUDIO, FFirstAudioStreamIndex);
  best(AVMEDIA_TYPE_SUBTITLE, FFirstSubtitleStreamIndex);
}

String TCustomAVProbe::FileName() {
  if (!FFileHandle) {
    ReportMessage(AV_LOG_WARNING, kNotLoaded);
    return {};
  }
  return engine::DecodeAVFileName(FFileHandle->url ? FFileHandle->url : "");
}

String TCustomAVProbe::FormatName() {
  if (!FFileHandle) {
    ReportMessage(AV_LOG_WARNING, kNotLoaded);
    return {};
  }
  const AVInputFormat* f = FFileHandle->iformat;
  return f && f->name ? rtl::Utf8ToString(f->name) : String();
}

String TCustomAVProbe::FormatLongName() {
  if (!FFileHandle) {
    ReportMessage(AV_LOG_WARNING, kNotLoaded);
    return {};
  }
  const AVInputFormat* f = FFileHandle->iformat;
  return f && f->long_name ? rtl::Utf8ToString(f->long_name) : String();
}

bool TCustomAVProbe::IsStreamOfKind(int AStreamIndex, AVMediaType AKind) {
  if (!FFileHandle) {
    ReportMessage(AV_LOG_WARNING, kNotLoaded);
    return false;
  }
  if (AStreamIndex < 0 || AStreamIndex >= FStreamCount) {
    ReportMessage(AV_LOG_ERROR, Fmt("stream index #%d is invalid.", AStreamIndex));
    return false;
  }
  return StreamKind(FFileHandle->streams[AStreamIndex]) == AKind;
}

bool TCustomAVProbe::IsAudioStream(int AStreamIndex) {
  return IsStreamOfKind(AStreamIndex, AVMEDIA_TYPE_AUDIO);
}

bool TCustomAVProbe::IsVideoStream(int AStreamIndex) {
  return IsStreamOfKind(AStreamIndex, AVMEDIA_TYPE_VIDEO);
}

bool TCustomAVProbe::IsSubtitleStream(int AStreamIndex) {
  return IsStreamOfKind(AStreamIndex, AVMEDIA_TYPE_SUBTITLE);
}

TFileStreamInfo TCustomAVProbe::FileStreamInfo() {
  TFileStreamInfo info;
  if (!FFileHandle) {
    ReportMessage(AV_LOG_WARNING, kNotLoaded);
    return info;
  }
  const AVFormatContext* ic = FFileHandle;
  const AVDictionary* m = ic->metadata;
  info.StartTime = ic->start_time == AV_NOPTS_VALUE ? -1 : ic->start_time;
  info.Duration = ic->duration == AV_NOPTS_VALUE ? -1 : ic->duration;
  info.BitRate = ClampToInt(ic->bit_rate);
  // The format layer no longer keeps a time stamp, year and track of its
  // own: they stay at the value of a file that gives none.
  info.TimeStamp = 0;
  info.Year = 0;
  info.Track = 0;
  info.Title = TagText(m, "title");
  // Demuxers now name the performer "artist" where they used to say "author".
  info.Author = TagText(m, "author");
  if (info.Author.empty()) info.Author = TagText(m, "artist");
  info.Copyright = TagText(m, "copyright");
  info.Comment = TagText(m, "comment");
  info.Album = TagText(m, "album");
  info.Genre = TagText(m, "genre");
  return info;
}

int TCustomAVProbe::CheckStreamRecord(int AStreamIndex, AVMediaType AKind, const char* AKindName) {
  if (!FFileHandle) {
    ReportMessage(AV_LOG_WARNING, kNotLoaded);
    return -1;
  }
  if (AStreamIndex < 0) {
    AStreamIndex = AKind == AVMEDIA_TYPE_AUDIO   ? FFirstAudioStreamIndex
                   : AKind == AVMEDIA_TYPE_VIDEO ? FFirstVideoStreamIndex
                                                 : FFirstSubtitleStreamIndex;
    if (AStreamIndex < 0) {
      ReportMessage(AV_LOG_ERROR, Fmt("no %s stream.", AKindName));
      return -1;
    }
  }
  if (AStreamIndex >= FStreamCount) {
    ReportMessage(AV_LOG_ERROR, Fmt("stream index #%d is invalid.", AStreamIndex));
    return -1;
  }
  if (StreamKind(FFileHandle->streams[AStreamIndex]) != AKind) {
    ReportMessage(AV_LOG_ERROR, Fmt("stream #%d is not %s stream.", AStreamIndex, AKindName));
    return -1;
  }
  return AStreamIndex;
}

bool TCustomAVProbe::ReadAudioStreamInfo(int AStreamIndex, TAudioStreamInfo& AInfo) {
  AInfo = TAudioStreamInfo{};
  const int index = CheckStreamRecord(AStreamIndex, AVMEDIA_TYPE_AUDIO, "audio");
  if (index < 0) return false;
  const AVStream* st = FFileHandle->streams[index];
  const AVCodecParameters* par = st->codecpar;
  ReadTimedStreamInfo(st, AInfo);
  AInfo.Channels = par->ch_layout.nb_channels;
  AInfo.SampleRate = par->sample_rate;
  AInfo.SampleFormat = static_cast<AVSampleFormat>(par->format);
  return true;
}

bool TCustomAVProbe::ReadVideoStreamInfo(int AStreamIndex, TVideoStreamInfo& AInfo) {
  AInfo = TVideoStreamInfo{};
  const int index = CheckStreamRecord(AStreamIndex, AVMEDIA_TYPE_VIDEO, "video");
  if (index < 0) return false;
  const AVStream* st = FFileHandle->streams[index];
  const AVCodecParameters* par = st->codecpar;
  ReadTimedStreamInfo(st, AInfo);
  AInfo.Height = par->height;
  AInfo.Width = par->width;
  const AVRational sar = par->sample_aspect_ratio;
  AInfo.AspectRatio = (sar.num == 0 || sar.den == 0 || par->height == 0)
                          ? 0.0f
                          : static_cast<float>(static_cast<double>(par->width) * sar.num / sar.den /
                                               par->height);
  AInfo.PixFmt = static_cast<AVPixelFormat>(par->format);
  AInfo.FrameRate = st->r_frame_rate;
  return true;
}

bool TCustomAVProbe::ReadSubtitleStreamInfo(int AStreamIndex, TSubtitleStreamInfo& AInfo) {
  AInfo = TSubtitleStreamInfo{};
  const int index = CheckStreamRecord(AStreamIndex, AVMEDIA_TYPE_SUBTITLE, "subtitle");
  if (index < 0) return false;
  ReadStreamNames(FFileHandle->streams[index], AInfo);
  return true;
}

TAudioStreamInfo TCustomAVProbe::FirstAudioStreamInfo() {
  TAudioStreamInfo info;
  ReadAudioStreamInfo(-1, info);
  return info;
}

TVideoStreamInfo TCustomAVProbe::FirstVideoStreamInfo() {
  TVideoStreamInfo info;
  ReadVideoStreamInfo(-1, info);
  return info;
}

TSubtitleStreamInfo TCustomAVProbe::FirstSubtitleStreamInfo() {
  TSubtitleStreamInfo info;
  ReadSubtitleStreamInfo(-1, info);
  return info;
}

String TCustomAVProbe::FileInfoText() {
  if (!FFileHandle) {
    ReportMessage(AV_LOG_WARNING, kNotLoaded);
    return {};
  }
  const AVFormatContext* ic = FFileHandle;
  TTextLines lines;
  lines.push_back(u"File Name: " + FileName());
  lines.push_back(u"Format Name: " + FormatName());
  lines.push_back(u"Format Long Name: " + FormatLongName());
  lines.push_back(u"File Size: " + engine::FormatByteSize(FFileSize));

  const TFileStreamInfo info = FileStreamInfo();
  if (info.Duration < 0)
    lines.push_back(u"Duration: N/A");
  else
    lines.push_back(u"Duration: " + engine::DurationToStr(info.Duration));
  if (info.StartTime >= 0)
    lines.push_back(u"StartTime: " + MicrosecondsText(info.StartTime));
  if (info.BitRate < 1)
    lines.push_back(u"Bit Rate: N/A");
  else
    lines.push_back(Fmt("Bit Rate: %d kb/s", info.BitRate / 1000));
  if (info.TimeStamp > 0) {
    String when;
    engine::DateTimeToText(u"yyyy-mm-dd hh:nn:ss", when,
                           engine::UnixTimeToDateTime(info.TimeStamp));
    lines.push_back(u"Time Stamp: " + when);
  }
  DumpMetadata(lines, ic->metadata, String());

  std::vector<bool> shown(ic->nb_streams, false);
  for (unsigned p = 0; p < ic->nb_programs; ++p) {
    const AVProgram* program = ic->programs[p];
    // Transport-stream programs now carry their names as "service_provider"
    // and "service_name".
    const AVDictionaryEntry* provider = ff::av_dict_get(program->metadata, "provider_name", nullptr, 0);
    if (!provider) provider = ff::av_dict_get(program->metadata, "service_provider", nullptr, 0);
    const AVDictionaryEntry* name = ff::av_dict_get(program->metadata, "name", nullptr, 0);
    if (!name) name = ff::av_dict_get(program->metadata, "service_name", nullptr, 0);
    lines.push_back(Fmt("Program %d %s@%s", program->id, provider ? provider->value : "N/A",
                        name ? name->value : "N/A"));
    DumpMetadata(lines, program->metadata, u"  ");
    for (unsigned k = 0; k < program->nb_stream_indexes; ++k) {
      const unsigned s = program->stream_index[k];
      if (s >= ic->nb_streams) continue;
      DumpStreamFormat(lines, ic, static_cast<int>(s));
      shown[s] = true;
    }
  }
  for (unsigned s = 0; s < ic->nb_streams; ++s)
    if (!shown[s]) DumpStreamFormat(lines, ic, static_cast<int>(s));

  String text;
  for (const String& line : lines) text += line + u"\r\n";
  return text;
}

}  // namespace player
