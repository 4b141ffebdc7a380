// The option vocabulary of the transcoder: reset values, the name dispatcher
// and the small handlers.

#include <cmath>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

#include "engine/FFmpeg.h"
#include "engine/Printf.h"
#include "engine/FFmpegLogger.h"
#include "engine/FrameHook.h"
#include "engine/MyUtils.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/SysUtils.h"

namespace engine {

using rtl::String;

namespace {

struct TOptArg {
  const String& Name;
  const String& Value;
  const std::string& Name8;
  const std::string& Value8;
};

using THandler = void (*)(TCustomFFmpeg&, const TOptArg&);

int AsInt(const TOptArg& A) { return rtl::StrToInt(A.Value); }
int64_t AsInt64(const TOptArg& A) { return rtl::StrToInt64(A.Value); }
float AsNumber(const TOptArg& A) { return static_cast<float>(rtl::StrToFloat(A.Value)); }
bool AsFlag(const TOptArg& A) { return A.Value != u"0"; }

void DoNothing(TCustomFFmpeg& T, const TOptArg& A) {
  GetFFLogger()->Log(&T, llInfo, u"Do nothing: option - " + A.Name);
}

void PadRemoved(TCustomFFmpeg&, const TOptArg&) {
  throw FFmpegException("Please use vfilters=pad");
}

// The name table. Each entry does what its option means; names that only
// log, fail or store a converted value are written out inline.
const std::unordered_map<std::string, THandler>& OptionTable() {
  static const std::unordered_map<std::string, THandler> table = {
      // names that only log
      {"L", DoNothing}, {"h", DoNothing}, {"version", DoNothing}, {"formats", DoNothing},
      {"codecs", DoNothing}, {"bsfs", DoNothing}, {"protocols", DoNothing},
      {"filters", DoNothing}, {"i", DoNothing}, {"y", DoNothing}, {"benchmark", DoNothing},
      // fixed outcomes
      {"loglevel", [](TCustomFFmpeg&, const TOptArg& A) { GetFFLogger()->OptLogLevel(A.Value); }},
      {"timelimit",
       [](TCustomFFmpeg& T, const TOptArg&) {
         GetFFLogger()->Log(&T, llWarning, u"Warning: -timelimit not implemented on Windows");
       }},
      {"threads",
       [](TCustomFFmpeg&, const TOptArg& A) {
         throw FFmpegException("TODO: option - " + A.Name8);
       }},
      {"padtop", PadRemoved}, {"padbottom", PadRemoved}, {"padleft", PadRemoved},
      {"padright", PadRemoved}, {"padcolor", PadRemoved},
      // flags
      {"dump", [](TCustomFFmpeg& T, const TOptArg& A) { T.Fdo_pkt_dump = AsFlag(A); }},
      {"hex", [](TCustomFFmpeg& T, const TOptArg& A) { T.Fdo_hex_dump = AsFlag(A); }},
      {"re", [](TCustomFFmpeg& T, const TOptArg& A) { T.Frate_emu = AsFlag(A); }},
      {"loop_input",
       [](TCustomFFmpeg& T, const TOptArg& A) {
         // Only image sequences can still loop (the input's "loop" option).
         T.Floop_input = AsFlag(A);
       }},
      {"shortest", [](TCustomFFmpeg& T, const TOptArg& A) { T.Fopt_shortest = AsFlag(A); }},
      {"intra", [](TCustomFFmpeg& T, const TOptArg& A) { T.Fintra_only = AsFlag(A); }},
      {"vn", [](TCustomFFmpeg& T, const TOptArg& A) { T.Fvideo_disable = AsFlag(A); }},
      {"sameq",
       [](TCustomFFmpeg& T, const TOptArg& A) {
         T.Fsame_quality = AsFlag(A);
         T.WarnNoEffect("sameq");
       }},
      {"deinterlace", [](TCustomFFmpeg& T, const TOptArg& A) { T.Fdo_deinterlace = AsFlag(A); }},
      {"psnr", [](TCustomFFmpeg& T, const TOptArg& A) { T.Fdo_psnr = AsFlag(A); }},
      {"qphist", [](TCustomFFmpeg& T, const TOptArg& A) { T.Fqp_hist = AsFlag(A); }},
      {"force_fps", [](TCustomFFmpeg& T, const TOptArg& A) { T.Fforce_fps = AsFlag(A); }},
      {"an", [](TCustomFFmpeg& T, const TOptArg& A) { T.Faudio_disable = AsFlag(A); }},
      {"sn", [](TCustomFFmpeg& T, const TOptArg& A) { T.Fsubtitle_disable = AsFlag(A); }},
      {"isync", [](TCustomFFmpeg& T, const TOptArg& A) { T.Finput_sync = AsFlag(A); }},
      {"copyts", [](TCustomFFmpeg& T, const TOptArg&) { T.Fcopy_ts = true; }},
      {"xerror", [](TCustomFFmpeg& T, const TOptArg&) { T.Fexit_on_error = true; }},
      // plain fields
      {"fs", [](TCustomFFmpeg& T, const TOptArg& A) { T.Flimit_filesize = AsInt64(A); }},
      {"dframes", [](TCustomFFmpeg& T, const TOptArg& A) { T.Fmax_frames[AVMEDIA_TYPE_DATA] = AsInt(A); }},
      {"vframes", [](TCustomFFmpeg& T, const TOptArg& A) { T.Fmax_frames[AVMEDIA_TYPE_VIDEO] = AsInt(A); }},
      {"aframes", [](TCustomFFmpeg& T, const TOptArg& A) { T.Fmax_frames[AVMEDIA_TYPE_AUDIO] = AsInt(A); }},
      {"loop_output", [](TCustomFFmpeg& T, const TOptArg& A) { T.Floop_output = AsInt(A); }},
      {"v", [](TCustomFFmpeg& T, const TOptArg& A) { T.SetVerbosity(AsInt(A)); }},
      {"vsync", [](TCustomFFmpeg& T, const TOptArg& A) { T.Fvideo_sync_method = AsInt(A); }},
      {"async", [](TCustomFFmpeg& T, const TOptArg& A) { T.Faudio_sync_method = AsInt(A); }},
      {"adrift_threshold", [](TCustomFFmpeg& T, const TOptArg& A) { T.Faudio_drift_threshold = AsNumber(A); }},
      {"vglobal", [](TCustomFFmpeg& T, const TOptArg& A) { T.Fvideo_global_header = AsInt(A); }},
      {"dts_delta_threshold", [](TCustomFFmpeg& T, const TOptArg& A) { T.Fdts_delta_threshold = AsNumber(A); }},
      {"programid", [](TCustomFFmpeg& T, const TOptArg& A) { T.Fopt_programid = AsInt(A); }},
      {"copyinkf", [](TCustomFFmpeg& T, const TOptArg& A) { T.Fcopy_initial_nonkeyframes = AsInt(A); }},
      {"vdt", [](TCustomFFmpeg& T, const TOptArg& A) { T.Fvideo_discard = AsInt(A); }},
      {"me_threshold", [](TCustomFFmpeg& T, const TOptArg& A) { T.SetMotionThreshold(AsInt(A)); }},
      {"top", [](TCustomFFmpeg& T, const TOptArg& A) { T.SetTopFieldFirst(AsInt(A)); }},
      {"dc", [](TCustomFFmpeg& T, const TOptArg& A) { T.Fintra_dc_precision = AsInt(A); }},
      {"aq", [](TCustomFFmpeg& T, const TOptArg& A) { T.Faudio_qscale = AsNumber(A); }},
      {"vol", [](TCustomFFmpeg& T, const TOptArg& A) { T.Faudio_volume = AsInt(A); }},
      {"vc", [](TCustomFFmpeg& T, const TOptArg& A) { T.SetVideoChannel(AsInt(A)); }},
      {"muxdelay", [](TCustomFFmpeg& T, const TOptArg& A) { T.Fmux_max_delay = AsNumber(A); }},
      {"muxpreload", [](TCustomFFmpeg& T, const TOptArg& A) { T.Fmux_preload = AsNumber(A); }},
      {"vlang", [](TCustomFFmpeg& T, const TOptArg& A) { T.Fvideo_language = A.Value; }},
      {"alang", [](TCustomFFmpeg& T, const TOptArg& A) { T.Faudio_language = A.Value; }},
      {"slang", [](TCustomFFmpeg& T, const TOptArg& A) { T.Fsubtitle_language = A.Value; }},
      {"passlogfile", [](TCustomFFmpeg& T, const TOptArg& A) { T.Fpass_logfilename_prefix = A.Value8; }},
      // handlers
      {"f", [](TCustomFFmpeg& T, const TOptArg& A) { T.SetFormat(A.Value); }},
      {"map", [](TCustomFFmpeg& T, const TOptArg& A) { T.AddStreamMap(A.Value8); }},
      {"map_meta_data", [](TCustomFFmpeg& T, const TOptArg& A) { T.AddMetadataMap(A.Value8); }},
      {"t", [](TCustomFFmpeg& T, const TOptArg& A) { T.SetRecordingTimeText(A.Name8, A.Value8); }},
      {"ss", [](TCustomFFmpeg& T, const TOptArg& A) { T.SetStartTimeText(A.Name8, A.Value8); }},
      {"itsoffset", [](TCustomFFmpeg& T, const TOptArg& A) { T.SetInputTimestampOffset(A.Name8, A.Value8); }},
      {"itsscale", [](TCustomFFmpeg& T, const TOptArg& A) { T.SetInputTimestampScale(A.Value8); }},
      {"timestamp", [](TCustomFFmpeg& T, const TOptArg& A) { T.SetRecordingTimestamp(A.Name8, A.Value8); }},
      {"metadata", [](TCustomFFmpeg& T, const TOptArg& A) { T.AddMetadataText(A.Value8); }},
      {"target", [](TCustomFFmpeg& T, const TOptArg& A) { T.SetTargetText(A.Value8); }},
      {"b", [](TCustomFFmpeg& T, const TOptArg& A) { T.SetBitrate(A.Name, A.Value); }},
      {"vb", [](TCustomFFmpeg& T, const TOptArg& A) { T.SetBitrate(A.Name, A.Value); }},
      {"ab", [](TCustomFFmpeg& T, const TOptArg& A) { T.SetBitrate(A.Name, A.Value); }},
      {"r", [](TCustomFFmpeg& T, const TOptArg& A) { T.SetFrameRate(A.Value); }},
      {"s", [](TCustomFFmpeg& T, const TOptArg& A) { T.SetFrameSize(A.Value); }},
      {"aspect", [](TCustomFFmpeg& T, const TOptArg& A) { T.SetAspectRatio(A.Value); }},
      {"pix_fmt", [](TCustomFFmpeg& T, const TOptArg& A) { T.SetPixelFormat(A.Value8); }},
      {"croptop", [](TCustomFFmpeg& T, const TOptArg& A) { T.SetCropTop(AsInt(A)); }},
      {"cropbottom", [](TCustomFFmpeg& T, const TOptArg& A) { T.SetCropBottom(AsInt(A)); }},
      {"cropleft", [](TCustomFFmpeg& T, const TOptArg& A) { T.SetCropLeft(AsInt(A)); }},
      {"cropright", [](TCustomFFmpeg& T, const TOptArg& A) { T.SetCropRight(AsInt(A)); }},
      {"qscale", [](TCustomFFmpeg& T, const TOptArg& A) { T.SetVideoQScale(AsNumber(A)); }},
      {"rc_override", [](TCustomFFmpeg& T, const TOptArg& A) { T.SetRateControlOverride(A.Value8); }},
      {"vcodec", [](TCustomFFmpeg& T, const TOptArg& A) { T.SetVideoCodec(A.Value); }},
      {"pass", [](TCustomFFmpeg& T, const TOptArg& A) { T.SetPass(AsInt(A)); }},
      {"vstats", [](TCustomFFmpeg& T, const TOptArg&) { T.SetVideoStats(true); }},
      {"vstats_file", [](TCustomFFmpeg& T, const TOptArg& A) { T.SetVideoStatsFile(A.Value8); }},
      {"vhook", [](TCustomFFmpeg& T, const TOptArg& A) { T.AddVideoHook(A.Value8); }},
      {"vfilters", [](TCustomFFmpeg& T, const TOptArg& A) { T.SetVideoFilters(A.Value); }},
      {"vf", [](TCustomFFmpeg& T, const TOptArg& A) { T.SetVideoFilters(A.Value); }},
      {"intra_matrix", [](TCustomFFmpeg& T, const TOptArg& A) { T.SetIntraMatrix(A.Value8); }},
      {"inter_matrix", [](TCustomFFmpeg& T, const TOptArg& A) { T.SetInterMatrix(A.Value8); }},
      {"vtag", [](TCustomFFmpeg& T, const TOptArg& A) { T.SetVideoTag(A.Value); }},
      {"newvideo", [](TCustomFFmpeg& T, const TOptArg&) { T.AddNewVideoStream(); }},
      {"streamid", [](TCustomFFmpeg& T, const TOptArg& A) { T.SetStreamId(A.Name, A.Value); }},
      {"ar", [](TCustomFFmpeg& T, const TOptArg& A) { T.SetAudioRate(AsInt(A)); }},
      {"ac", [](TCustomFFmpeg& T, const TOptArg& A) { T.SetAudioChannels(AsInt(A)); }},
      {"acodec", [](TCustomFFmpeg& T, const TOptArg& A) { T.SetAudioCodec(A.Value); }},
      {"atag", [](TCustomFFmpeg& T, const TOptArg& A) { T.SetAudioTag(A.Value); }},
      {"newaudio", [](TCustomFFmpeg& T, const TOptArg&) { T.AddNewAudioStream(); }},
      {"sample_fmt", [](TCustomFFmpeg& T, const TOptArg& A) { T.SetSampleFormat(A.Value8); }},
      {"scodec", [](TCustomFFmpeg& T, const TOptArg& A) { T.SetSubtitleCodec(A.Value); }},
      {"newsubtitle", [](TCustomFFmpeg& T, const TOptArg&) { T.AddNewSubtitleStream(); }},
      {"stag", [](TCustomFFmpeg& T, const TOptArg& A) { T.SetSubtitleTag(A.Value); }},
      {"tvstd", [](TCustomFFmpeg& T, const TOptArg& A) { T.SetVideoStandard(A.Value8); }},
      {"absf", [](TCustomFFmpeg& T, const TOptArg& A) { T.AddBitstreamFilter(A.Name, A.Value); }},
      {"vbsf", [](TCustomFFmpeg& T, const TOptArg& A) { T.AddBitstreamFilter(A.Name, A.Value); }},
      {"sbsf", [](TCustomFFmpeg& T, const TOptArg& A) { T.AddBitstreamFilter(A.Name, A.Value); }},
      {"apre", [](TCustomFFmpeg& T, const TOptArg& A) { T.ApplyPreset(A.Name, A.Value); }},
      {"vpre", [](TCustomFFmpeg& T, const TOptArg& A) { T.ApplyPreset(A.Name, A.Value); }},
      {"spre", [](TCustomFFmpeg& T, const TOptArg& A) { T.ApplyPreset(A.Name, A.Value); }},
      {"fpre", [](TCustomFFmpeg& T, const TOptArg& A) { T.ApplyPreset(A.Name, A.Value); }},
  };
  return table;
}

}  // namespace

void TCustomFFmpeg::ResetOptions() {
  for (auto& row : Finput_files_ts_scale) row.fill(0.0);
  Fnb_input_files = 0;
  Fnb_output_files = 0;
  Fnb_stream_maps = 0;
  Fnb_meta_data_maps = 0;
  Fstreamid_map.fill(0);
  Flast_asked_format.clear();

  Fframe_width = Fframe_height = 0;
  Fframe_aspect_ratio = 0;
  Fframe_pix_fmt = -1;
  Faudio_sample_fmt = -1;
  Fframe_topBand = Fframe_bottomBand = Fframe_leftBand = Fframe_rightBand = 0;
  Fmax_frames.fill(INT32_MAX);
  Fframe_rate = {0, 0};
  Fvideo_qscale = 0;
  Fintra_matrix.clear();
  Finter_matrix.clear();
  Fvideo_rc_override_string.clear();
  Fvideo_disable = false;
  Fvideo_discard = 0;
  Fvideo_codec_name.clear();
  Fvideo_codec_tag = 0;
  Fvideo_language.clear();
  Fsame_quality = false;
  Fdo_deinterlace = false;
  Ftop_field_first = -1;
  Fme_threshold = 0;
  Fintra_dc_precision = 8;
  Floop_input = false;
  Floop_output = -1;
  Fqp_hist = false;
  Fvfilters.clear();
  FEnableFilter = false;
  Fintra_only = false;

  Faudio_sample_rate = 44100;
  Fchannel_layout = 0;
  Faudio_qscale = -99999.0f;
  Faudio_disable = false;
  Faudio_channels = 2;
  Faudio_codec_name.clear();
  Faudio_codec_tag = 0;
  Faudio_language.clear();

  Fsubtitle_disable = false;
  Fsubtitle_codec_name.clear();
  Fsubtitle_language.clear();
  Fsubtitle_codec_tag = 0;

  Fmux_preload = 0.5f;
  Fmux_max_delay = 0.7f;
  Frecording_time = INT64_MAX;
  Fstart_time = 0;
  Frecording_timestamp = 0;
  Finput_ts_offset = 0;
  Fdo_benchmark = 0;
  Fdo_hex_dump = Fdo_pkt_dump = Fdo_psnr = false;
  Fdo_pass = 0;
  Fpass_logfilename_prefix.clear();
  Faudio_stream_copy = Fvideo_stream_copy = Fsubtitle_stream_copy = 0;
  Fvideo_sync_method = -1;
  Faudio_sync_method = 0;
  Faudio_drift_threshold = 0.1f;
  Fcopy_ts = false;
  Fopt_shortest = false;
  Fvideo_global_header = 0;
  Fvstats_filename.clear();
  Fopt_programid = 0;
  Fcopy_initial_nonkeyframes = 0;
  Frate_emu = false;
  Fvideo_channel = 0;
  Fvideo_standard.clear();
  Faudio_volume = 256;
  Fexit_on_error = false;
  Fusing_stdin = 0;
  Fusing_vhook = false;
  Fverbose = 1;
  Fthread_count = 1;
  Fq_pressed = 0;
  Finput_sync = false;
  Flimit_filesize = 0;
  Fforce_fps = false;
  Fpgmyuv_compatibility_hack = 0;
  Fdts_delta_threshold = 10.0f;
  Fsws_flags = 4;

  Fvideo_size = Faudio_size = Fextra_size = 0;
  Fnb_frames_dup = Fnb_frames_drop = 0;
  FShowDupOrDrop = false;
  ResetFFOptions(FOptions);
  FPrivateOptions.clear();
  Fvideo_bitstream_filters.clear();
  Faudio_bitstream_filters.clear();
  Fsubtitle_bitstream_filters.clear();
  Fbit_buffer_size = 262144;
  FTotalOutputDuration = -1;
  Fvideo_hooks.clear();
  if (FFirstHook) FrameHookRelease(FFirstHook);
  FHookFrameNumber = 0;
  if (FHookContext) ResetRGBConvertContext(*FHookContext);
  if (FPostContext.Context) ResetRGBConvertContext(*FPostContext.Context);
  FPostContext.preview_last_time = FPostContext.preview_cur_time = 0;
  FPostHooks = {};
  FFatalException = false;
}

void TCustomFFmpeg::ApplyOption(const String& AName, const String& AValue) {
  const std::string name8 = rtl::StringToAnsi(AName);
  const std::string value8 = rtl::StringToAnsi(AValue);
  const auto& table = OptionTable();
  auto it = table.find(rtl::U8(AName));
  if (it == table.end()) {
    SetGenericOption(name8, value8);
    return;
  }
  it->second(*this, TOptArg{AName, AValue, name8, value8});
}

namespace {

bool IsGenericName(const TFFOptions& AOpts, const std::string& AName) {
  const char* name = AName.c_str();
  if (AOpts.avcodec_opts[0] && ff::av_opt_find(AOpts.avcodec_opts[0], name, nullptr, 0, 0))
    return true;
  if (AOpts.avformat_opts && ff::av_opt_find(AOpts.avformat_opts, name, nullptr, 0, 0)) return true;
  if (AOpts.sws_opts && ff::av_opt_find(AOpts.sws_opts, name, nullptr, 0, 0)) return true;
  if ((name[0] == 'a' || name[0] == 'v' || name[0] == 's') && AOpts.avcodec_opts[0] &&
      ff::av_opt_find(AOpts.avcodec_opts[0], name + 1, nullptr, 0, 0))
    return true;
  return false;
}

}  // namespace

bool TCustomFFmpeg::IsGenericOptionName(const std::string& AName) const {
  return IsGenericName(FOptions, AName);
}

bool TCustomFFmpeg::AnyPrivateClassKnows(const std::string& AName) const {
  void* it = nullptr;
  while (const AVCodec* c = ff::av_codec_iterate(&it)) {
    if (!ff::av_codec_is_encoder(c) || !c->priv_class) continue;
    if (ff::av_opt_find(const_cast<AVClass**>(&c->priv_class), AName.c_str(), nullptr, 0,
                        AV_OPT_SEARCH_FAKE_OBJ))
      return true;
  }
  it = nullptr;
  while (const AVOutputFormat* f = ff::av_muxer_iterate(&it)) {
    if (!f->priv_class) continue;
    if (ff::av_opt_find(const_cast<AVClass**>(&f->priv_class), AName.c_str(), nullptr, 0,
                        AV_OPT_SEARCH_FAKE_OBJ))
      return true;
  }
  return false;
}

bool TCustomFFmpeg::SetGenericOption(const std::string& AName, const std::string& AValue) {
  if (AName.empty() || AValue.empty()) return false;
  if (IsGenericName(FOptions, AName)) return SetFFOption(FOptions, AName, AValue);
  // An encoder's or muxer's own option: kept until the output knows its
  // encoders and muxer, which check the value then.
  if (!FOptions.avcodec_opts[0] || !AnyPrivateClassKnows(AName)) return false;
  FPrivateOptions.push_back(TPrivateOption{AName, AValue, -1, false, {}, {}});
  return true;
}

bool TCustomFFmpeg::SetGenericIntOption(const std::string& AName, int AValue) {
  return SetGenericOption(AName, std::to_string(AValue));
}

void TCustomFFmpeg::SetFormat(const String& AValue) {
  if (AValue.empty()) return;
  String value = AValue;
  if (value == u"pgmyuv") {
    Fpgmyuv_compatibility_hack = 1;
    Log(llInfo, "pgmyuv format is deprecated, use image2");
    value = u"image2";
  }
  Flast_asked_format = rtl::StringToAnsi(value);
}

void TCustomFFmpeg::SetBitrate(const String& AName, const String& AValue) {
  if (AName.empty() || AValue.empty()) return;
  if (!SetGenericOption(rtl::StringToAnsi(AName), rtl::StringToAnsi(AValue))) return;
  AVCodecContext* ctx = FOptions.avcodec_opts[AName[0] == u'a' ? AVMEDIA_TYPE_AUDIO : AVMEDIA_TYPE_VIDEO];
  int64_t b = 0;
  if (ctx && ff::av_opt_get_int(ctx, "b", 0, &b) >= 0 && b < 1000)
    Log(llWarning,
        "WARNING: The bitrate parameter is set too low. It takes bits/s as argument, not kbits/s");
}

void TCustomFFmpeg::SetFrameRate(const String& AValue) {
  if (AValue.empty()) return;
  AVRational rate{0, 0};
  if (ff::av_parse_video_rate(&rate, rtl::StringToAnsi(AValue).c_str()) < 0)
    throw FFmpegException("Incorrect frame rate");
  Fframe_rate = rate;
}

void TCustomFFmpeg::SetFrameSize(const String& AValue) {
  if (AValue.empty()) return;
  int w = 0, h = 0;
  if (ff::av_parse_video_size(&w, &h, rtl::StringToAnsi(AValue).c_str()) < 0)
    throw FFmpegException("Incorrect frame size");
  Fframe_width = w;
  Fframe_height = h;
}

void TCustomFFmpeg::SetAspectRatio(const String& AValue) {
  if (AValue.empty()) return;
  double ratio = 0;
  size_t colon = AValue.find(u':');
  if (colon != String::npos) {
    int x = rtl::StrToIntDef(AValue.substr(0, colon), 0);
    int y = rtl::StrToIntDef(AValue.substr(colon + 1), 0);
    ratio = y > 0 ? static_cast<double>(x) / y : 0;
  } else {
    ratio = rtl::StrToFloatDef(AValue, 0);
  }
  if (ratio == 0) throw FFmpegException("Incorrect aspect ratio specification.");
  Fframe_aspect_ratio = static_cast<float>(ratio);
}

void TCustomFFmpeg::LogFormatList(bool APixel) {
  char buf[128];
  auto emit = [&] {
    String line = rtl::Trim(rtl::Utf8ToString(buf));
    GetFFLogger()->Log(this, llInfo, line);
  };
  if (APixel) {
    ff::av_get_pix_fmt_string(buf, sizeof buf, AV_PIX_FMT_NONE);
    emit();
    for (const AVPixFmtDescriptor* d = ff::av_pix_fmt_desc_next(nullptr); d;
         d = ff::av_pix_fmt_desc_next(d)) {
      ff::av_get_pix_fmt_string(buf, sizeof buf, ff::av_pix_fmt_desc_get_id(d));
      emit();
    }
  } else {
    for (int i = -1; i < AV_SAMPLE_FMT_NB; ++i) {
      ff::av_get_sample_fmt_string(buf, sizeof buf, static_cast<AVSampleFormat>(i));
      emit();
    }
  }
}

void TCustomFFmpeg::SetPixelFormat(const std::string& AValue) {
  if (AValue == "list") {
    LogFormatList(true);
    return;
  }
  Fframe_pix_fmt = ff::av_get_pix_fmt(AValue.c_str());
  if (Fframe_pix_fmt == AV_PIX_FMT_NONE)
    throw FFmpegException(FmtA("Unknown pixel format requested: %s", AValue.c_str()));
}

void TCustomFFmpeg::SetSampleFormat(const std::string& AValue) {
  if (AValue == "list") {
    LogFormatList(false);
    return;
  }
  Faudio_sample_fmt = ff::av_get_sample_fmt(AValue.c_str());
}

void TCustomFFmpeg::SetCrop(int A, int& ABand, bool AVertical, const char* AName) {
  if (A <= 0) return;
  int& size = AVertical ? Fframe_height : Fframe_width;
  if (A >= size)
    throw FFmpegException(std::string(AVertical ? "Vertical" : "Horizontal") +
                          " crop dimensions are outside the range of the original image.\n"
                          "Remember to crop first and scale second.");
  Log(llWarning, std::string(AName) + " is deprecated in favor of the crop avfilter");
  ABand = A;
  size -= A;
}

void TCustomFFmpeg::SetCropTop(int A) { SetCrop(A, Fframe_topBand, true, "CropTop"); }
void TCustomFFmpeg::SetCropBottom(int A) { SetCrop(A, Fframe_bottomBand, true, "CropBottom"); }
void TCustomFFmpeg::SetCropLeft(int A) { SetCrop(A, Fframe_leftBand, false, "CropLeft"); }
void TCustomFFmpeg::SetCropRight(int A) { SetCrop(A, Fframe_rightBand, false, "CropRight"); }

void TCustomFFmpeg::SetVideoQScale(float AQ) {
  if (!(AQ > 0 && AQ <= 255)) throw FFmpegException("qscale must be > 0.0 and <= 255");
  Fvideo_qscale = AQ;
}

void TCustomFFmpeg::SetRateControlOverride(const std::string& AValue) {
  Fvideo_rc_override_string = AValue;
}

void TCustomFFmpeg::SetVideoStandard(const std::string& AValue) {
  Fvideo_standard = AValue;
  WarnNoEffect("tvstd");
}

void TCustomFFmpeg::SetMotionThreshold(int A) {
  Fme_threshold = A;
  WarnNoEffect("me_threshold");
}

void TCustomFFmpeg::SetVideoChannel(int A) {
  Fvideo_channel = A;
  WarnNoEffect("vc");
}

void TCustomFFmpeg::SetAudioRate(int A) {
  if (A > 0) Faudio_sample_rate = A;
}

void TCustomFFmpeg::SetAudioChannels(int A) {
  if (A > 0) Faudio_channels = A;
}

void TCustomFFmpeg::SetCodecName(int& AStreamCopy, std::string& ACodecName, const String& AValue) {
  if (AValue.empty()) return;
  ACodecName.clear();
  if (AValue == u"copy")
    AStreamCopy = 1;
  else
    ACodecName = rtl::StringToAnsi(AValue);
}

void TCustomFFmpeg::SetVideoCodec(const String& AValue) {
  SetCodecName(Fvideo_stream_copy, Fvideo_codec_name, AValue);
}
void TCustomFFmpeg::SetAudioCodec(const String& AValue) {
  SetCodecName(Faudio_stream_copy, Faudio_codec_name, AValue);
}
void TCustomFFmpeg::SetSubtitleCodec(const String& AValue) {
  SetCodecName(Fsubtitle_stream_copy, Fsubtitle_codec_name, AValue);
}

void TCustomFFmpeg::SetTag(uint32_t& ATag, const String& AValue, const char* AKind) {
  if (AValue.empty()) return;
  if (AValue.size() != 4)
    throw EAssertionFailed((std::string(AKind) + " tag parameter must be 4 chars").c_str());
  std::string v = rtl::StringToAnsi(AValue);
  v.resize(4, '\0');
  ATag = static_cast<uint8_t>(v[0]) | static_cast<uint8_t>(v[1]) << 8 |
         static_cast<uint8_t>(v[2]) << 16 | static_cast<uint32_t>(static_cast<uint8_t>(v[3])) << 24;
}

void TCustomFFmpeg::SetVideoTag(const String& AValue) { SetTag(Fvideo_codec_tag, AValue, "video"); }
void TCustomFFmpeg::SetAudioTag(const String& AValue) { SetTag(Faudio_codec_tag, AValue, "audio"); }
void TCustomFFmpeg::SetSubtitleTag(const String& AValue) {
  SetTag(Fsubtitle_codec_tag, AValue, "subtitle");
}

void TCustomFFmpeg::SetVideoFilters(const String& AValue) {
  if (!AValue.empty()) Fvfilters = AValue;
}

std::vector<std::string> SplitVideoHookArgs(const std::string& AValue) {
  const char* sep = AValue.find('|') != std::string::npos ? "|" : " ";
  std::string copy = AValue;
  std::vector<std::string> args;
  char* save = nullptr;
  for (char* tok = strtok_r(copy.data(), sep, &save); tok && args.size() < 64;
       tok = strtok_r(nullptr, sep, &save))
    args.emplace_back(tok);
  return args;
}

void TCustomFFmpeg::AddVideoHook(const std::string& AValue) {
  std::vector<std::string> args = SplitVideoHookArgs(AValue);
  // The hook is loaded and configured now, so a bad hook fails the option;
  // it runs on every decoded picture of the conversion.
  if (FrameHookAdd(FFirstHook, args) != 0) throw FFmpegException("Failed to add video hook function: " + AValue);
  Fvideo_hooks.push_back(std::move(args));
  Fusing_vhook = true;
}

namespace {

// strtol in base 0 from *APos, then one separator skipped when text remains.
int ReadIndex(const char*& APos) {
  char* end = nullptr;
  long v = strtol(APos, &end, 0);
  APos = end;
  if (*APos) ++APos;
  return static_cast<int>(v);
}

}  // namespace

void TCustomFFmpeg::AddStreamMap(const std::string& AValue) {
  if (Fnb_stream_maps >= static_cast<int>(Fstream_maps.size()))
    Fstream_maps.resize(Fnb_stream_maps + 1);
  TAVStreamMap& m = Fstream_maps[Fnb_stream_maps++];
  const char* p = AValue.c_str();
  m.file_index = ReadIndex(p);
  m.stream_index = ReadIndex(p);
  if (*p) {
    m.sync_file_index = ReadIndex(p);
    m.sync_stream_index = ReadIndex(p);
  } else {
    m.sync_file_index = m.file_index;
    m.sync_stream_index = m.stream_index;
  }
}

void TCustomFFmpeg::AddMetadataMap(const std::string& AValue) {
  if (Fnb_meta_data_maps >= static_cast<int>(Fmeta_data_maps.size()))
    Fmeta_data_maps.resize(Fnb_meta_data_maps + 1);
  TAVMetaDataMap& m = Fmeta_data_maps[Fnb_meta_data_maps++];
  const char* p = AValue.c_str();
  m.out_file = ReadIndex(p);
  m.in_file = ReadIndex(p);
}

void TCustomFFmpeg::SetInputTimestampScale(const std::string& AValue) {
  const char* p = AValue.c_str();
  int index = ReadIndex(p);
  double scale = strtod(p, nullptr);
  if (index < 0 || index >= MAX_STREAMS)
    throw FFmpegException(FmtA("stream index over MAX_STREAMS(%d)", MAX_STREAMS));
  // The scale belongs to the next input; with the table full there is none.
  if (Fnb_input_files >= FMaxFiles)
    throw FFmpegException(FmtA("max input files %d reached", FMaxFiles));
  Finput_files_ts_scale[Fnb_input_files][index] = scale;
}

int64_t ParseTimeOrFail(const std::string& AContext, const std::string& ATime, bool AIsDuration) {
  int64_t us = 0;
  if (ff::av_parse_time(&us, ATime.c_str(), AIsDuration ? 1 : 0) < 0)
    throw FFmpegException(FmtA("Invalid %s specification for %s: %s",
                              AIsDuration ? "duration" : "date", AContext.c_str(), ATime.c_str()));
  return us;
}

void TCustomFFmpeg::SetRecordingTimeText(const std::string& AName, const std::string& AValue) {
  SetRecordingTime(ParseTimeOrFail(AName, AValue, true));
}

void TCustomFFmpeg::SetRecordingTime(int64_t ATime) {
  if (ATime == AV_NOPTS_VALUE) return;
  Frecording_time = ATime;
  FTotalOutputDuration = ATime;
}

void TCustomFFmpeg::SetStartTimeText(const std::string& AName, const std::string& AValue) {
  Fstart_time = ParseTimeOrFail(AName, AValue, true);
}

void TCustomFFmpeg::SetInputTimestampOffset(const std::string& AName, const std::string& AValue) {
  Finput_ts_offset = ParseTimeOrFail(AName, AValue, true);
}

void TCustomFFmpeg::SetRecordingTimestamp(const std::string& AName, const std::string& AValue) {
  Frecording_timestamp =
      static_cast<int64_t>(std::nearbyint(ParseTimeOrFail(AName, AValue, false) / 1000000.0));
}

void TCustomFFmpeg::AddMetadataText(const std::string& AValue) {
  size_t eq = AValue.find('=');
  if (eq == std::string::npos) throw FFmpegException("Missing =");
  AddMetadataPair(AValue.substr(0, eq), AValue.substr(eq + 1));
}

void TCustomFFmpeg::AddMetadataPair(const std::string& AKey, const std::string& AValue) {
  Fmetadata.emplace_back(AKey, AValue);
}

}  // namespace engine
