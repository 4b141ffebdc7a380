// Opening input files, and the codec look-up shared with the outputs.
#include <cmath>
#include <cstdarg>

#include "engine/FFmpeg.h"
#include "engine/Printf.h"
#include "engine/FFmpegLoader.h"
#include "engine/FFmpegLogger.h"
#include "engine/UnicodeProtocol.h"
#include "platform/rtl/Strings.h"

namespace engine {

using rtl::String;

namespace {

int Strictness(const TFFOptions& AOpts, int AMediaType) {
  const AVCodecContext* ctx = AOpts.avcodec_opts[AMediaType];
  return ctx ? ctx->strict_std_compliance : 0;
}

}  // namespace

// Encoder names that the bound libraries lack but the converter's profiles use.
static constexpr const char* kOwnAmrNbEncoder = "libopencore_amrnb";

bool TCustomFFmpeg::FindCodec(const char* AName, int AMediaType, AVCodecID& ACodecId, int AStrict,
                              bool AEncoder) {
  if (!AName || !*AName) {
    ACodecId = AV_CODEC_ID_NONE;
    return true;
  }
  const char* kind = AEncoder ? "encoder" : "decoder";
  std::string name = AName;
  if (AEncoder && name == "libfaac") name = "aac";
  if (AEncoder && name == kOwnAmrNbEncoder && AMediaType == AVMEDIA_TYPE_AUDIO) {
    ACodecId = AV_CODEC_ID_AMR_NB;
    return true;
  }
  const AVCodec* codec = AEncoder ? ff::avcodec_find_encoder_by_name(name.c_str())
                                  : ff::avcodec_find_decoder_by_name(name.c_str());
  if (!codec) {
    FLastErrMsg = rtl::Utf8ToString(FmtA("Unknown %s '%s'", kind, AName));
    return false;
  }
  if (codec->type != AMediaType) {
    FLastErrMsg = rtl::Utf8ToString(FmtA("Invalid %s type '%s'", kind, AName));
    return false;
  }
  if ((codec->capabilities & AV_CODEC_CAP_EXPERIMENTAL) && AStrict > FF_COMPLIANCE_EXPERIMENTAL) {
    std::string msg = FmtA(
        "%s '%s' is experimental and might produce bad results.\r\nAdd '-strict experimental' if "
        "you want to use it.",
        kind, codec->name);
    const AVCodec* other =
        AEncoder ? ff::avcodec_find_encoder(codec->id) : ff::avcodec_find_decoder(codec->id);
    if (other && !(other->capabilities & AV_CODEC_CAP_EXPERIMENTAL))
      msg += FmtA("\r\nOr use the non experimental %s '%s'.", kind, other->name);
    FLastErrMsg = rtl::Utf8ToString(msg);
    return false;
  }
  ACodecId = codec->id;
  return true;
}

void TCustomFFmpeg::GetInputStreamKinds(bool& AHasVideo, bool& AHasAudio, bool AFirstOnly,
                                        bool& AHasSubtitle) {
  AHasVideo = AHasAudio = AHasSubtitle = false;
  int files = AFirstOnly ? std::min(1, Fnb_input_files) : Fnb_input_files;
  for (int j = 0; j < files; ++j) {
    AVFormatContext* ic = Finput_files[j];
    for (unsigned i = 0; i < ic->nb_streams; ++i) {
      switch (ic->streams[i]->codecpar->codec_type) {
        case AVMEDIA_TYPE_VIDEO:
          // Cover art is a picture that goes with the sound, not a video.
          if (!(ic->streams[i]->disposition & AV_DISPOSITION_ATTACHED_PIC)) AHasVideo = true;
          break;
        case AVMEDIA_TYPE_AUDIO: AHasAudio = true; break;
        case AVMEDIA_TYPE_SUBTITLE: AHasSubtitle = true; break;
        case AVMEDIA_TYPE_DATA:
        case AVMEDIA_TYPE_ATTACHMENT:
        case AVMEDIA_TYPE_UNKNOWN: break;
        default: throw FFmpegException("invalid codec_type of input file");
      }
    }
  }
}

bool TCustomFFmpeg::OpenInputFile(const String& AFileName) {
  const AVInputFormat* fmt = nullptr;
  if (!Flast_asked_format.empty()) {
    fmt = ff::av_find_input_format(Flast_asked_format.c_str());
    if (!fmt) throw FFmpegException(FmtA("Unknown input format: \"%s\"", Flast_asked_format.c_str()));
    Flast_asked_format.clear();
  }

  AVFormatContext* ic = nullptr;
  AVIOContext* customIO = nullptr;
  AVDictionary* opts = nullptr;
  auto fail = [&](const String& AMessage) {
    FLastErrMsg = AMessage;
    Fvideo_codec_name.clear();
    Faudio_codec_name.clear();
    Fsubtitle_codec_name.clear();
    Fvideo_channel = 0;
    ff::av_dict_free(&opts);
    // Once opened, the input is closed again rather than left behind.
    if (ic && ic->iformat)
      ff::avformat_close_input(&ic);
    else if (ic)
      ff::avformat_free_context(ic);
    if (customIO) CloseUnicodeAVIO(&customIO);
    return false;
  };
  if (Fnb_input_files >= FMaxFiles)
    return fail(rtl::Utf8ToString(FmtA("max input files %d reached", FMaxFiles)));
  if (const int same = SameFileIndex(AFileName, false); same >= 0)
    return fail(rtl::Utf8ToString(FmtA("Input file '%s' is the same file as output file #%d",
                                       rtl::U8(AFileName).c_str(), same)));

  ic = ff::avformat_alloc_context();
  if (!ic) throw FFmpegException("avformat_alloc_context failed");

  // What the 0.6 format parameters told demuxers; demuxers and devices that
  // do not declare an option simply leave it unused.
  if (Fframe_rate.num && Fframe_rate.den)
    ff::av_dict_set(&opts, "framerate", FmtA("%d/%d", Fframe_rate.num, Fframe_rate.den).c_str(), 0);
  ff::av_dict_set_int(&opts, "sample_rate", Faudio_sample_rate, 0);
  ff::av_dict_set_int(&opts, "channels", Faudio_channels, 0);
  if (Fframe_width && Fframe_height)
    ff::av_dict_set(&opts, "video_size", FmtA("%dx%d", Fframe_width, Fframe_height).c_str(), 0);
  if (Fframe_pix_fmt != AV_PIX_FMT_NONE)
    ff::av_dict_set(&opts, "pixel_format",
                    ff::av_get_pix_fmt_name(static_cast<AVPixelFormat>(Fframe_pix_fmt)), 0);
  if (Fvideo_channel) ff::av_dict_set_int(&opts, "channel", Fvideo_channel, 0);
  if (!Fvideo_standard.empty()) ff::av_dict_set(&opts, "standard", Fvideo_standard.c_str(), 0);
  if (Floop_input) ff::av_dict_set(&opts, "loop", "1", 0);

  if (FOptions.avformat_opts)
    SetContextOptions(FOptions, ic, FOptions.avformat_opts, AV_OPT_FLAG_DECODING_PARAM);

  AVCodecID id = AV_CODEC_ID_NONE;
  const struct {
    std::string* Name;
    AVMediaType Type;
    AVCodecID AVFormatContext::*Field;
  } forced[] = {{&Fvideo_codec_name, AVMEDIA_TYPE_VIDEO, &AVFormatContext::video_codec_id},
                {&Faudio_codec_name, AVMEDIA_TYPE_AUDIO, &AVFormatContext::audio_codec_id},
                {&Fsubtitle_codec_name, AVMEDIA_TYPE_SUBTITLE, &AVFormatContext::subtitle_codec_id}};
  for (const auto& f : forced) {
    if (!FindCodec(f.Name->empty() ? nullptr : f.Name->c_str(), f.Type, id,
                   Strictness(FOptions, f.Type), false))
      return fail(FLastErrMsg);
    ic->*f.Field = id;
  }

  ic->flags |= AVFMT_FLAG_NONBLOCK;
  if (Fpgmyuv_compatibility_hack) ic->video_codec_id = AV_CODEC_ID_PGMYUV;

  const std::string name = EncodeAVFileName(AFileName);
  int ret = 0;
  if (IsUnicodeAVFileName(name)) {
    ret = OpenUnicodeAVIO(&customIO, name, AVIO_FLAG_READ);
    if (ret < 0) return fail(FFmpegErrorText(AFileName, ret));
    ic->pb = customIO;
  }
  ret = ff::avformat_open_input(&ic, name.c_str(), fmt, &opts);
  ff::av_dict_free(&opts);
  if (ret < 0) {
    ic = nullptr;  // freed by the failed open
    return fail(FFmpegErrorText(AFileName, ret));
  }

  if (Fopt_programid) {
    for (unsigned i = 0; i < ic->nb_streams; ++i) ic->streams[i]->discard = AVDISCARD_ALL;
    bool found = false;
    for (unsigned p = 0; p < ic->nb_programs; ++p) {
      AVProgram* prog = ic->programs[p];
      if (prog->id != Fopt_programid) {
        prog->discard = AVDISCARD_ALL;
        continue;
      }
      found = true;
      for (unsigned k = 0; k < prog->nb_stream_indexes; ++k)
        ic->streams[prog->stream_index[k]]->discard = AVDISCARD_DEFAULT;
    }
    if (!found) return fail(u"Specified program id not found");
    Fopt_programid = 0;
  }

  {
    std::lock_guard<std::recursive_mutex> g(CodecLock);
    ret = ff::avformat_find_stream_info(ic, nullptr);
  }
  if (ret < 0 && Fverbose >= 0) {
    std::string msg = rtl::U8(AFileName) + ": could not find codec parameters";
    Log(llVerbose, msg);
    return fail(rtl::Utf8ToString(msg));
  }

  int64_t timestamp = Fstart_time;
  if (ic->start_time != AV_NOPTS_VALUE) timestamp += ic->start_time;
  if (Fstart_time != 0) {
    if (ff::av_seek_frame(ic, -1, timestamp, AVSEEK_FLAG_BACKWARD) < 0 && Fverbose > 0)
      Log(llVerbose, FmtA("%s: could not seek to position %0.3f", rtl::U8(AFileName).c_str(),
                         timestamp / 1000000.0));
    Fstart_time = 0;
  }

  auto decoderByName = [](const std::string& AName) -> const AVCodec* {
    return AName.empty() ? nullptr : ff::avcodec_find_decoder_by_name(AName.c_str());
  };
  // The decoding options given by name so far go with each video and audio
  // stream to its decoder.
  auto decoderOptions = [this](AVMediaType AType) {
    const int typeFlag = AType == AVMEDIA_TYPE_VIDEO ? AV_OPT_FLAG_VIDEO_PARAM : AV_OPT_FLAG_AUDIO_PARAM;
    return ContextOptionTexts(FOptions, FOptions.avcodec_opts[AType], typeFlag | AV_OPT_FLAG_DECODING_PARAM);
  };
  for (unsigned i = 0; i < ic->nb_streams; ++i) {
    AVStream* st = ic->streams[i];
    const AVCodecParameters* par = st->codecpar;
    Finput_decoder_opts.resize(Finput_codecs.size() + 1);
    switch (par->codec_type) {
      case AVMEDIA_TYPE_VIDEO: {
        Finput_decoder_opts.back() = decoderOptions(AVMEDIA_TYPE_VIDEO);
        Finput_codecs.push_back(decoderByName(Fvideo_codec_name));
        if (Fvideo_disable)
          st->discard = AVDISCARD_ALL;
        else if (Fvideo_discard)
          st->discard = static_cast<AVDiscard>(Fvideo_discard);
        // Cover art gives the output neither its size nor its rate.
        if (st->disposition & AV_DISPOSITION_ATTACHED_PIC) break;
        Fframe_height = par->height;
        Fframe_width = par->width;
        AVRational sar = st->sample_aspect_ratio.num ? st->sample_aspect_ratio : par->sample_aspect_ratio;
        double ratio = sar.den ? static_cast<double>(sar.num) / sar.den : 0.0;
        bool noRatio = ratio == 0 || !std::isfinite(ratio);
        if (Fframe_width * Fframe_height != 0)
          Fframe_aspect_ratio = static_cast<float>(
              noRatio ? static_cast<double>(Fframe_width) / Fframe_height
                      : ratio * Fframe_width / Fframe_height);
        else
          Fframe_aspect_ratio = noRatio ? 4.0f / 3.0f : static_cast<float>(ratio);
        Fframe_pix_fmt = par->format == AV_PIX_FMT_NONE ? 0 : par->format;
        AVRational rfps = st->r_frame_rate;
        AVRational codecRate = st->avg_frame_rate;
        if (codecRate.num && codecRate.den && rfps.den &&
            (codecRate.num != rfps.num || codecRate.den != rfps.den) && Fverbose >= 0)
          Log(llInfo, FmtA("Seems stream %d codec frame rate differs from container frame rate: "
                          "%2.2f (%d/%d) -> %2.2f (%d/%d)",
                          static_cast<int>(i), static_cast<double>(codecRate.num) / codecRate.den,
                          codecRate.num, codecRate.den, static_cast<double>(rfps.num) / rfps.den,
                          rfps.num, rfps.den));
        Fframe_rate = rfps;
        // A decoder asked for a lower resolution gives pictures that much
        // smaller, as far as it can lower it.
        if (const AVCodecContext* generic = FOptions.avcodec_opts[AVMEDIA_TYPE_VIDEO]; generic && generic->lowres) {
          const AVCodec* dec = Finput_codecs.back() ? Finput_codecs.back() : ff::avcodec_find_decoder(par->codec_id);
          const int shift = dec ? std::min(generic->lowres, static_cast<int>(dec->max_lowres)) : 0;
          Fframe_width = -((-Fframe_width) >> shift);
          Fframe_height = -((-Fframe_height) >> shift);
        }
        // Pictures shown turned are turned by the conversion: the output's
        // size is that of the upright picture.
        if (const double turn = DisplayRotation(st); std::fabs(turn - 90) < 1 || std::fabs(turn - 270) < 1) {
          std::swap(Fframe_width, Fframe_height);
          if (Fframe_aspect_ratio > 0) Fframe_aspect_ratio = 1.0f / Fframe_aspect_ratio;
        }
        break;
      }
      case AVMEDIA_TYPE_AUDIO:
        Fchannel_layout = par->ch_layout.order == AV_CHANNEL_ORDER_NATIVE
                              ? static_cast<int64_t>(par->ch_layout.u.mask)
                              : 0;
        Faudio_channels = par->ch_layout.nb_channels;
        Faudio_sample_rate = par->sample_rate;
        Faudio_sample_fmt = par->format;
        Finput_decoder_opts.back() = decoderOptions(AVMEDIA_TYPE_AUDIO);
        Finput_codecs.push_back(decoderByName(Faudio_codec_name));
        if (Faudio_disable) st->discard = AVDISCARD_ALL;
        break;
      case AVMEDIA_TYPE_SUBTITLE:
        Finput_codecs.push_back(decoderByName(Fsubtitle_codec_name));
        if (Fsubtitle_disable) st->discard = AVDISCARD_ALL;
        break;
      case AVMEDIA_TYPE_DATA:
      case AVMEDIA_TYPE_ATTACHMENT:
      case AVMEDIA_TYPE_UNKNOWN:
        // An empty entry keeps the table in step with the input streams.
        Finput_codecs.push_back(nullptr);
        break;
      default:
        fail(u"invalid codec_type");
        throw FFmpegException("invalid codec_type");
    }
  }
  Fnb_icodecs = static_cast<int>(Finput_codecs.size());

  if (ic->duration != AV_NOPTS_VALUE && ic->duration > FTotalOutputDuration)
    FTotalOutputDuration = ic->duration;

  Finput_files[Fnb_input_files] = ic;
  Finput_custom_io[Fnb_input_files] = customIO;
  Finput_files_ts_offset[Fnb_input_files] = Fcopy_ts ? Finput_ts_offset : Finput_ts_offset - timestamp;
  if (Fverbose >= 0) ff::av_dump_format(ic, Fnb_input_files, name.c_str(), 0);
  ++Fnb_input_files;
  Fvideo_channel = 0;
  Fvideo_codec_name.clear();
  Faudio_codec_name.clear();
  Fsubtitle_codec_name.clear();
  return true;
}

}  // namespace engine
