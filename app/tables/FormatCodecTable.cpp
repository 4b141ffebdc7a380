#include "app/tables/FormatCodecTable.h"

#include <algorithm>

#include "app/tables/TsvReader.h"
#include "platform/rtl/Strings.h"

namespace tables {

namespace {

// A row leaves a text empty and a bit rate -1 where it sets nothing.
void SetIfGiven(rtl::String& field, const rtl::String& value) {
  if (!value.empty()) field = value;
}

void SetIfGiven(std::int32_t& field, std::int32_t value) {
  if (value != -1) field = value;
}

}  // namespace

void TFormatCodecRow::ApplyTo(TVideoFields& video) const {
  SetIfGiven(video.Video_FileExt, FileExt);
  SetIfGiven(video.Video_VideoCodec, VideoCodec);
  SetIfGiven(video.Video_VideoTag, VideoTag);
  SetIfGiven(video.Video_FrameRate, FrameRate);
  SetIfGiven(video.Video_FrameSize, FrameSize);
  SetIfGiven(video.Video_FrameAspectRatio, FrameAspectRatio);
  SetIfGiven(video.Video_VideoBitrate, VideoBitrate);
  SetIfGiven(video.Video_AudioCodec, AudioCodec);
  SetIfGiven(video.Video_AudioChannels, AudioChannels);
  SetIfGiven(video.Video_AudioSampleRate, AudioSampleRate);
  SetIfGiven(video.Video_AudioBitrate, AudioBitrate);
  SetIfGiven(video.Video_TargetType, TargetType);
  SetIfGiven(video.Video_NormType, NormType);
  if (DisableVideo()) video.Video_DisableVideo = true;
}

TFormatCodecTable TFormatCodecTable::FromTsv(std::string_view audioSetsText,
                                             std::string_view rowsText, std::string_view source) {
  TFormatCodecTable t;
  const std::string setsSource = std::string(source) + " audio sets";
  for (const TTsvRecord& r : ReadTsv(audioSetsText, setsSource, 6)) {
    TAudioParameterSet s;
    s.Name = rtl::Utf8ToString(r.Fields[0]);
    if (s.Name.empty()) TableError(setsSource, r.Line, "audio set without a name");
    for (const TAudioParameterSet& other : t.audioSets_)
      if (other.Name == s.Name) TableError(setsSource, r.Line, "audio set named twice");
    s.AudioCodec = rtl::Utf8ToString(r.Fields[1]);
    s.AudioChannels = rtl::Utf8ToString(r.Fields[2]);
    s.AudioSampleRate = rtl::Utf8ToString(r.Fields[3]);
    s.AudioBitrate = TsvIntOr(setsSource, r, 4, -1);
    s.Rows = TsvInt(setsSource, r, 5);
    t.audioSets_.push_back(std::move(s));
  }

  constexpr std::string_view kNoVideo = "no video";
  constexpr std::string_view kTarget = "target ";
  for (const TTsvRecord& r : ReadTsv(rowsText, source, 10)) {
    TFormatCodecRow row;
    row.Key = TsvRowKey(source, r, t.rows_);
    row.Ext = rtl::Utf8ToString(r.Fields[1]);
    if (row.Ext.size() < 2 || row.Ext[0] != u'.')
      TableError(source, r.Line, "the extension must be a dot and letters");
    row.FileExt = rtl::Utf8ToString(r.Fields[2]);

    std::string_view video = r.Fields[3];
    if (video == kNoVideo) {
      row.Kind = TCodecRowKind::NoVideo;
    } else if (video.starts_with(kTarget)) {
      row.Kind = TCodecRowKind::Target;
      row.TargetType = rtl::Utf8ToString(video.substr(kTarget.size()));
      row.NormType = u"PAL";  // every target profile is for PAL players
    } else {
      row.VideoCodec = rtl::Utf8ToString(video);
    }
    row.VideoTag = rtl::Utf8ToString(r.Fields[4]);
    row.FrameRate = rtl::Utf8ToString(r.Fields[5]);
    row.FrameSize = rtl::Utf8ToString(r.Fields[6]);
    row.FrameAspectRatio = rtl::Utf8ToString(r.Fields[7]);
    row.VideoBitrate = TsvIntOr(source, r, 8, -1);

    const rtl::String setName = rtl::Utf8ToString(r.Fields[9]);
    auto set = std::find_if(t.audioSets_.begin(), t.audioSets_.end(),
                            [&](const TAudioParameterSet& s) { return s.Name == setName; });
    if (set == t.audioSets_.end())
      TableError(source, r.Line, "unknown audio set \"" + std::string(r.Fields[9]) + "\"");
    row.AudioSet = static_cast<int>(set - t.audioSets_.begin());
    row.AudioCodec = set->AudioCodec;
    row.AudioChannels = set->AudioChannels;
    row.AudioSampleRate = set->AudioSampleRate;
    row.AudioBitrate = set->AudioBitrate;
    t.rows_.push_back(std::move(row));
  }
  return t;
}

const TFormatCodecRow* TFormatCodecTable::Find(TProfileKey key) const {
  return FindRowByKey(rows_, key);
}

}  // namespace tables
