#include "engine/probe/ProbeInfoText.h"

#include <cmath>
#include <cstring>

#include "engine/FFUtils.h"
#include "engine/probe/CustomAVProbe.h"
#include "engine/Printf.h"

namespace player {

using engine::Fmt;

using rtl::String;

String FormatRate(double ARate, const char* AUnit) {
  const int64_t v = std::llround(ARate * 100);
  if (v % 100 != 0) return Fmt(", %3.2f %s", ARate, AUnit);
  if (v % 100000 != 0) return Fmt(", %1.0f %s", ARate, AUnit);
  return Fmt(", %1.0fk %s", ARate / 1000, AUnit);
}

const char* MetadataKeyName(const char* AKey) {
  static const struct {
    const char* Key;
    const char* Name;
  } kID3KeyTable[] = {
      {"TALB", "album"},     {"TAL", "album"},      {"TCOM", "composer"},   {"TCON", "genre"},
      {"TCO", "genre"},      {"TCOP", "copyright"}, {"TDRL", "date"},       {"TENC", "encoder"},
      {"TEN", "encoder"},    {"TIT2", "title"},     {"TT2", "title"},       {"TLAN", "language"},
      {"TPE1", "artist"},    {"TP1", "artist"},     {"TPOS", "disc"},       {"TPUB", "publisher"},
      {"TRCK", "track"},     {"TRK", "track"},      {"TSOA", "albumsort"},  {"TSOP", "authorsort"},
      {"TSOT", "titlesort"}, {"TYER", "year"},
  };
  for (const auto& entry : kID3KeyTable)
    if (strcmp(entry.Key, AKey) == 0) return entry.Name;
  return AKey;
}

void DumpMetadata(TTextLines& AList, const AVDictionary* AMetadata, const String& AIndent) {
  if (!AMetadata || ff::av_dict_count(AMetadata) == 0) return;
  if (ff::av_dict_count(AMetadata) == 1 &&
      ff::av_dict_get(AMetadata, "language", nullptr, AV_DICT_MATCH_CASE))
    return;
  const std::string indent = rtl::U8(AIndent);
  AList.push_back(AIndent + u"Metadata:");
  const AVDictionaryEntry* tag = nullptr;
  while ((tag = ff::av_dict_get(AMetadata, "", tag, AV_DICT_IGNORE_SUFFIX))) {
    if (strcmp(tag->key, "language") == 0) continue;
    AList.push_back(Fmt("%s  %-16s: %s", indent.c_str(), MetadataKeyName(tag->key), tag->value));
  }
}

namespace {

// The codec description FFmpeg gives for decoding this stream.
std::string CodecDescription(const AVCodecParameters* APar) {
  char buf[256] = {};
  AVCodecContext* ctx = ff::avcodec_alloc_context3(nullptr);
  if (!ctx) return {};
  if (ff::avcodec_parameters_to_context(ctx, APar) >= 0) ff::avcodec_string(buf, sizeof buf, ctx, 0);
  ff::avcodec_free_context(&ctx);
  return buf;
}

}  // namespace

String MicrosecondsText(int64_t AMicroseconds) {
  // A stream may start before zero (encoder priming kept by the muxer): the
  // sign goes in front, never between seconds and fraction ("0.-023000").
  const uint64_t magnitude = AMicroseconds < 0 ? 0 - static_cast<uint64_t>(AMicroseconds)
                                               : static_cast<uint64_t>(AMicroseconds);
  return Fmt("%s%llu.%.6llu", AMicroseconds < 0 ? "-" : "",
             static_cast<unsigned long long>(magnitude / 1000000),
             static_cast<unsigned long long>(magnitude % 1000000));
}

void DumpStreamFormat(TTextLines& AList, const AVFormatContext* AContext, int AIndex) {
  const AVStream* st = AContext->streams[AIndex];
  const AVCodecParameters* par = st->codecpar;
  String line = Fmt("Stream #%d", AIndex);
  if (AContext->iformat && (AContext->iformat->flags & AVFMT_SHOW_IDS)) line += Fmt("[0x%x]", st->id);
  if (const AVDictionaryEntry* lang = ff::av_dict_get(st->metadata, "language", nullptr, 0))
    line += Fmt("(%s)", lang->value);
  int64_t g = ff::av_gcd(st->time_base.num, st->time_base.den);
  if (g == 0) g = 1;
  line += Fmt(", %d/%d", static_cast<int>(st->time_base.num / g), static_cast<int>(st->time_base.den / g));
  line += u": " + rtl::Utf8ToString(CodecDescription(par));

  const AVRational ssar = st->sample_aspect_ratio;
  const AVRational csar = par->sample_aspect_ratio;
  if (ssar.num != 0 && int64_t{ssar.num} * csar.den != int64_t{csar.num} * ssar.den) {
    int darNum = 0, darDen = 0;
    ff::av_reduce(&darNum, &darDen, int64_t{par->width} * ssar.num, int64_t{par->height} * ssar.den,
                  1024 * 1024);
    line += Fmt(", PAR %d:%d DAR %d:%d", ssar.num, ssar.den, darNum, darDen);
  }

  if (par->codec_type == AVMEDIA_TYPE_VIDEO) {
    // The codec time base ("tbc") has no counterpart in the stream
    // parameters any more, so the line ends at the stream's own rates.
    const AVRational fps = st->avg_frame_rate;
    const AVRational tbr = st->r_frame_rate;
    const AVRational tbn = st->time_base;
    if (fps.num && fps.den) line += FormatRate(av_q2d(fps), "fps");
    if (tbr.num && tbr.den) line += FormatRate(av_q2d(tbr), "tbr");
    if (tbn.num && tbn.den) line += FormatRate(1 / av_q2d(tbn), "tbn");
  }

  if (st->start_time != AV_NOPTS_VALUE) {
    const int64_t start = ff::av_rescale_q(st->start_time, st->time_base, AVRational{1, 1000000});
    line += u", StartTime: " + MicrosecondsText(start);
  }
  if (st->duration == AV_NOPTS_VALUE)
    line += u", Duration: N/A";
  else
    line += u", Duration: " +
            engine::DurationToStr(ff::av_rescale_q(st->duration, st->time_base, AVRational{1, 1000000}));

  AList.push_back(line);
  DumpMetadata(AList, st->metadata, u"  ");
}

}  // namespace player
