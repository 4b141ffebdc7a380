// Opening output files: container, streams with their encoder settings,
// metadata, and the options that act on outputs and streams.
#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/FFmpeg.h"
#include "engine/Printf.h"
#include "engine/FFmpegLogger.h"
#include "engine/MyUtils.h"
#include "engine/UnicodeProtocol.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/SysUtils.h"

namespace engine {

using rtl::String;

namespace {

bool ClassKnows(const AVClass* const* AClass, const char* AName) {
  return AClass && *AClass &&
         ff::av_opt_find(const_cast<AVClass**>(AClass), AName, nullptr, 0, AV_OPT_SEARCH_FAKE_OBJ);
}

// The fraction nearest to the display aspect over the frame's shape, both
// terms at most 255; 3/4 of the aspect when the frame size is not known.
AVRational SampleAspect(float AAspect, int AWidth, int AHeight) {
  double v = AWidth != 0 && AHeight != 0 ? static_cast<double>(AAspect) * AHeight / AWidth : AAspect * 3.0 / 4.0;
  return ff::av_d2q(v, 255);
}

// The file system path of an encoded output name; empty for a name that is
// no local file (a protocol address).
std::string LocalPath(const std::string& AName) {
  if (IsUnicodeAVFileName(AName)) return rtl::U8(DecodeAVFileName(AName));
  const char* protocol = ff::avio_find_protocol_name(AName.c_str());
  if (!protocol || std::strcmp(protocol, "file") != 0) return {};
  return AName.starts_with("file:") ? AName.substr(5) : AName;
}

// 0 when the file at APath could be written or replaced, found without
// creating, opening or changing anything; else the error as AVERROR.
int CheckWritable(const std::string& APath) {
  struct stat st {};
  if (stat(APath.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) return AVERROR(EISDIR);
    if (access(APath.c_str(), W_OK) != 0) return AVERROR(errno);
    if (!S_ISREG(st.st_mode)) return 0;  // a device or a pipe is written where it is
  } else if (errno != ENOENT) {
    return AVERROR(errno);
  }
  std::string dir = std::filesystem::path(APath).parent_path().string();
  if (dir.empty()) dir = ".";
  if (stat(dir.c_str(), &st) != 0) return AVERROR(errno);
  if (!S_ISDIR(st.st_mode)) return AVERROR(ENOTDIR);
  if (access(dir.c_str(), W_OK | X_OK) != 0) return AVERROR(errno);
  return 0;
}

// Creates a new, empty file beside APath (".name.XXXXXX.part" in its folder)
// with the permissions a new output gets; 0 or the error as AVERROR.
int CreatePartialFile(const std::string& APath, std::string& AName) {
  static std::atomic<unsigned> counter{0};
  const std::filesystem::path target(APath);
  for (int attempt = 0; attempt < 100; ++attempt) {
    const unsigned n = (static_cast<unsigned>(getpid()) * 2654435761u) ^ (counter++ * 40503u) ^
                       static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count());
    char suffix[16];
    snprintf(suffix, sizeof suffix, ".%06x.part", n & 0xffffff);
    AName = (target.parent_path() / ("." + target.filename().string() + suffix)).string();
    const int fd = open(AName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      close(fd);
      return 0;
    }
    if (errno != EEXIST) return AVERROR(errno);
  }
  return AVERROR(EEXIST);
}

int OpenWriteIO(AVIOContext** APb, const std::string& AName) {
  return IsUnicodeAVFileName(AName) ? OpenUnicodeAVIO(APb, AName, AVIO_FLAG_WRITE)
                                    : ff::avio_open(APb, AName.c_str(), AVIO_FLAG_WRITE);
}

int CloseWriteIO(AVIOContext** APb) {
  if (!*APb) return 0;
  if (IsUnicodeAVIO(*APb)) return CloseUnicodeAVIO(APb);
  ff::avio_flush(*APb);
  const int error = (*APb)->error;
  const int r = ff::avio_closep(APb);
  return error < 0 ? error : r;
}

}  // namespace

bool SameFile(const std::string& APathA, const std::string& APathB) {
  struct stat a {}, b {};
  if (stat(APathA.c_str(), &a) == 0 && stat(APathB.c_str(), &b) == 0)
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
  std::error_code ea, eb;
  const std::filesystem::path ca = std::filesystem::weakly_canonical(APathA, ea);
  const std::filesystem::path cb = std::filesystem::weakly_canonical(APathB, eb);
  if (ea || eb) return APathA == APathB;
  return ca == cb;
}

int TCustomFFmpeg::SameFileIndex(const String& AFileName, bool AInputs) const {
  const std::string path = rtl::U8(AFileName);
  const int count = AInputs ? Fnb_input_files : Fnb_output_files;
  for (int i = 0; i < count; ++i) {
    const AVFormatContext* ctx = AInputs ? Finput_files[i] : Foutput_files[i];
    if (ctx && ctx->url && SameFile(path, rtl::U8(DecodeAVFileName(ctx->url)))) return i;
  }
  return -1;
}

void ChooseSampleFormat(AVCodecContext* AEnc, const AVCodec* ACodec) {
  if (!ACodec || !ACodec->sample_fmts) return;
  for (const AVSampleFormat* p = ACodec->sample_fmts; *p != AV_SAMPLE_FMT_NONE; ++p)
    if (*p == AEnc->sample_fmt) return;
  AEnc->sample_fmt = ACodec->sample_fmts[0];
}

void ChooseSampleRate(AVCodecContext* AEnc, const AVCodec* ACodec, rtl::TObject* ASender) {
  if (!ACodec || !ACodec->supported_samplerates) return;
  int best = 0, bestDist = INT32_MAX;
  for (const int* p = ACodec->supported_samplerates; *p; ++p) {
    int dist = std::abs(AEnc->sample_rate - *p);
    if (dist < bestDist) {
      bestDist = dist;
      best = *p;
    }
  }
  if (bestDist)
    GetFFLogger()->Log(
        ASender, llWarning,
        rtl::Utf8ToString(FmtA("Requested sampling rate unsupported using closest supported (%d)", best)));
  AEnc->sample_rate = best;
}

void ChoosePixelFormat(AVCodecContext* AEnc, const AVCodec* ACodec) {
  if (!ACodec || !ACodec->pix_fmts) return;
  for (const AVPixelFormat* p = ACodec->pix_fmts; *p != AV_PIX_FMT_NONE; ++p)
    if (*p == AEnc->pix_fmt) return;
  if (AEnc->codec_id == AV_CODEC_ID_MJPEG && AEnc->strict_std_compliance < 0 &&
      (AEnc->pix_fmt == AV_PIX_FMT_YUV420P || AEnc->pix_fmt == AV_PIX_FMT_YUV422P))
    return;
  AEnc->pix_fmt = ACodec->pix_fmts[0];
}

TOutputStreamSetup& TCustomFFmpeg::AddStreamSetup(TOutputFile& AFile, AVMediaType AType,
                                                  const AVCodec* ACodec,
                                                  std::vector<std::string>& ABsfs) {
  AVStream* st = ff::avformat_new_stream(AFile.ctx, nullptr);
  AVCodecContext* enc = st ? ff::avcodec_alloc_context3(ACodec) : nullptr;
  if (!enc) throw FFmpegException("Could not alloc stream");
  auto setup = std::make_unique<TOutputStreamSetup>();
  setup->st = st;
  setup->type = AType;
  setup->enc = enc;
  setup->codec = ACodec;
  setup->bitstream_filters = std::move(ABsfs);
  ABsfs.clear();
  st->id = st->index < MAX_STREAMS ? Fstreamid_map[st->index] : 0;
  st->codecpar->codec_type = AType;
  enc->codec_type = AType;
  AFile.streams.push_back(std::move(setup));
  return *AFile.streams.back();
}

const AVCodec* TCustomFFmpeg::ChooseEncoder(TOutputFile& AFile, std::string& AName,
                                            AVMediaType AType, AVCodecID& AId, bool& AOwnAmrNb) {
  AOwnAmrNb = false;
  AId = AV_CODEC_ID_NONE;
  const AVCodec* codec = nullptr;
  if (!AName.empty()) {
    const AVCodecContext* opts = FOptions.avcodec_opts[AType];
    int strict = AType == AVMEDIA_TYPE_VIDEO || !opts ? 0 : opts->strict_std_compliance;
    if (!FindCodec(AName.c_str(), AType, AId, strict, true)) {
      AName.clear();
      throw FFmpegException(rtl::U8(FLastErrMsg));
    }
    codec = ff::avcodec_find_encoder(AId);
    if (const AVCodec* byName =
            ff::avcodec_find_encoder_by_name(AName == "libfaac" ? "aac" : AName.c_str()))
      codec = byName;
  } else {
    AId = ff::av_guess_codec(AFile.ctx->oformat, nullptr, AFile.ctx->url, nullptr, AType);
    codec = ff::avcodec_find_encoder(AId);
  }
  // FFmpeg has no AMR-NB encoder of its own; the engine encodes it itself.
  if (AId == AV_CODEC_ID_AMR_NB && !codec) AOwnAmrNb = true;
  return codec;
}

void TCustomFFmpeg::ApplyPrivateOptions(TOutputStreamSetup& ASetup) {
  for (const TPrivateOption& o : FPrivateOptions) {
    if (o.MediaType != -1 && o.MediaType != ASetup.type) continue;
    void* priv = ASetup.enc->priv_data;
    bool known = priv && ff::av_opt_find(priv, o.Name.c_str(), nullptr, 0, 0);
    int ret = known ? ff::av_opt_set(priv, o.Name.c_str(), o.Value.c_str(), 0) : 0;
    if (known && ret >= 0) continue;
    if (o.Required)
      throw FFmpegException(FmtA("%s: Invalid option or argument: \"%s\", parsed as \"%s\" = \"%s\"",
                                o.Origin.c_str(), o.Line.c_str(), o.Name.c_str(), o.Value.c_str()));
    if (known)
      Log(llError, FmtA("Invalid value \"%s\" for option \"%s\"", o.Value.c_str(), o.Name.c_str()));
  }
}

void TCustomFFmpeg::ApplyMuxerOptions(TOutputFile& AFile) {
  const AVOutputFormat* ofmt = AFile.ctx->oformat;
  const AVClass* const* cls = &ofmt->priv_class;
  if (ClassKnows(cls, "preload"))
    ff::av_dict_set_int(&AFile.muxer_opts, "preload", static_cast<int64_t>(Fmux_preload * 1000000), 0);
  if (Floop_output != -1 && ClassKnows(cls, "loop"))
    ff::av_dict_set_int(&AFile.muxer_opts, "loop", Floop_output, 0);
  for (const TPrivateOption& o : FPrivateOptions)
    if (!o.Required && ClassKnows(cls, o.Name.c_str()))
      ff::av_dict_set(&AFile.muxer_opts, o.Name.c_str(), o.Value.c_str(), 0);
}

void TCustomFFmpeg::NewVideoStream(TOutputFile& AFile) {
  AVCodecID id = AV_CODEC_ID_NONE;
  bool own = false;
  const AVCodec* codec = nullptr;
  const bool byName = !Fvideo_codec_name.empty();
  if (!Fvideo_stream_copy) codec = ChooseEncoder(AFile, Fvideo_codec_name, AVMEDIA_TYPE_VIDEO, id, own);
  TOutputStreamSetup* s;
  try {
    s = &AddStreamSetup(AFile, AVMEDIA_TYPE_VIDEO, codec, Fvideo_bitstream_filters);
  } catch (...) {
    Fvideo_codec_name.clear();
    throw;
  }
  AVStream* st = s->st;
  AVCodecContext* enc = s->enc;
  enc->thread_count = Fthread_count;
  if (Fvideo_codec_tag) enc->codec_tag = Fvideo_codec_tag;
  AVCodecContext* opts = FOptions.avcodec_opts[AVMEDIA_TYPE_VIDEO];
  if ((Fvideo_global_header & 1) ||
      (Fvideo_global_header == 0 && (AFile.ctx->oformat->flags & AVFMT_GLOBALHEADER))) {
    enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (opts) opts->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  }
  if (Fvideo_global_header & 2) {
    enc->flags2 |= AV_CODEC_FLAG2_LOCAL_HEADER;
    if (opts) opts->flags2 |= AV_CODEC_FLAG2_LOCAL_HEADER;
  }

  if (Fvideo_stream_copy) {
    s->stream_copy = true;
    st->sample_aspect_ratio = enc->sample_aspect_ratio =
        SampleAspect(Fframe_aspect_ratio, Fframe_width, Fframe_height);
  } else {
    AVRational fps = Fframe_rate.num ? Fframe_rate : AVRational{25, 1};
    enc->codec_id = id;
    st->codecpar->codec_id = id;
    if (opts)
      SetContextOptions(FOptions, enc, opts, AV_OPT_FLAG_VIDEO_PARAM | AV_OPT_FLAG_ENCODING_PARAM);
    if (codec && codec->supported_framerates && !Fforce_fps)
      fps = codec->supported_framerates[ff::av_find_nearest_q_idx(fps, codec->supported_framerates)];
    enc->time_base = AVRational{fps.den, fps.num};
    enc->framerate = fps;
    enc->width = Fframe_width;
    enc->height = Fframe_height;
    enc->sample_aspect_ratio = SampleAspect(Fframe_aspect_ratio, Fframe_width, Fframe_height);
    enc->pix_fmt = static_cast<AVPixelFormat>(Fframe_pix_fmt);
    st->sample_aspect_ratio = enc->sample_aspect_ratio;
    ChoosePixelFormat(enc, codec);
    if (Fintra_only) enc->gop_size = 0;
    if (Fvideo_qscale != 0 || Fsame_quality) {
      enc->flags |= AV_CODEC_FLAG_QSCALE;
      enc->global_quality = static_cast<int>(FF_QP2LAMBDA * Fvideo_qscale);
    }
    // The codec context frees its matrices: it gets copies of its own.
    auto copyMatrix = [](const std::vector<uint16_t>& AMatrix) -> uint16_t* {
      if (AMatrix.size() != 64) return nullptr;
      auto* m = static_cast<uint16_t*>(ff::av_malloc(64 * sizeof(uint16_t)));
      if (m) std::copy(AMatrix.begin(), AMatrix.end(), m);
      return m;
    };
    enc->intra_matrix = copyMatrix(Fintra_matrix);
    enc->inter_matrix = copyMatrix(Finter_matrix);
    if (!Fvideo_rc_override_string.empty()) {
      const char* p = Fvideo_rc_override_string.c_str();
      int i = 0;
      while (p) {
        int start = 0, end = 0, q = 0;
        if (sscanf(p, "%d,%d,%d", &start, &end, &q) != 3) {
          Fvideo_codec_name.clear();
          throw FFmpegException("error parsing rc_override");
        }
        auto* table = static_cast<RcOverride*>(
            ff::av_realloc(enc->rc_override, sizeof(RcOverride) * (i + 1)));
        if (!table) throw FFmpegException("error parsing rc_override");
        enc->rc_override = table;
        table[i].start_frame = start;
        table[i].end_frame = end;
        if (q > 0) {
          table[i].qscale = q;
          table[i].quality_factor = 1.0f;
        } else {
          table[i].qscale = 0;
          table[i].quality_factor = -q / 100.0f;
        }
        ++i;
        p = strchr(p, '/');
        if (p) ++p;
      }
      enc->rc_override_count = i;
    }
    if (enc->rc_initial_buffer_occupancy == 0)
      enc->rc_initial_buffer_occupancy = enc->rc_buffer_size * 3 / 4;
    enc->intra_dc_precision = Fintra_dc_precision - 8;
    if (Fdo_psnr) enc->flags |= AV_CODEC_FLAG_PSNR;
    if (Fdo_pass == 1)
      enc->flags |= AV_CODEC_FLAG_PASS1;
    else if (Fdo_pass)
      enc->flags |= AV_CODEC_FLAG_PASS2;
    ApplyPrivateOptions(*s);
  }
  Foutput_codecs.push_back(byName && !Fvideo_stream_copy ? codec : nullptr);
  Fnb_ocodecs = static_cast<int>(Foutput_codecs.size());
  if (!Fvideo_language.empty()) {
    ff::av_dict_set(&st->metadata, "language", rtl::StringToAnsi(Fvideo_language).c_str(), 0);
    Fvideo_language.clear();
  }
  Fvideo_disable = false;
  Fvideo_codec_name.clear();
  Fvideo_stream_copy = 0;
  Fframe_pix_fmt = -1;
}

void TCustomFFmpeg::NewAudioStream(TOutputFile& AFile) {
  AVCodecID id = AV_CODEC_ID_NONE;
  bool own = false;
  const AVCodec* codec = nullptr;
  const bool byName = !Faudio_codec_name.empty();
  auto failClean = [this] {
    Faudio_codec_name.clear();
    Faudio_language.clear();
  };
  TOutputStreamSetup* s;
  try {
    if (!Faudio_stream_copy) codec = ChooseEncoder(AFile, Faudio_codec_name, AVMEDIA_TYPE_AUDIO, id, own);
    s = &AddStreamSetup(AFile, AVMEDIA_TYPE_AUDIO, codec, Faudio_bitstream_filters);
  } catch (...) {
    failClean();
    throw;
  }
  AVStream* st = s->st;
  AVCodecContext* enc = s->enc;
  enc->thread_count = Fthread_count;
  if (Faudio_codec_tag) enc->codec_tag = Faudio_codec_tag;
  AVCodecContext* opts = FOptions.avcodec_opts[AVMEDIA_TYPE_AUDIO];
  if (AFile.ctx->oformat->flags & AVFMT_GLOBALHEADER) {
    enc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (opts) opts->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  }
  if (Faudio_stream_copy) {
    s->stream_copy = true;
    ff::av_channel_layout_default(&enc->ch_layout, Faudio_channels);
    enc->sample_rate = Faudio_sample_rate;
  } else {
    if (opts)
      SetContextOptions(FOptions, enc, opts, AV_OPT_FLAG_AUDIO_PARAM | AV_OPT_FLAG_ENCODING_PARAM);
    enc->codec_id = id;
    st->codecpar->codec_id = id;
    if (Faudio_qscale > -99999.0f) {
      enc->flags |= AV_CODEC_FLAG_QSCALE;
      enc->global_quality = static_cast<int>(FF_QP2LAMBDA * Faudio_qscale);
    }
    ff::av_channel_layout_uninit(&enc->ch_layout);
    if (Fchannel_layout && std::popcount(static_cast<uint64_t>(Fchannel_layout)) == Faudio_channels)
      ff::av_channel_layout_from_mask(&enc->ch_layout, static_cast<uint64_t>(Fchannel_layout));
    else
      ff::av_channel_layout_default(&enc->ch_layout, Faudio_channels);
    enc->sample_fmt = static_cast<AVSampleFormat>(Faudio_sample_fmt);
    enc->sample_rate = Faudio_sample_rate;
    if (own) {
      // AMR-NB is narrow-band speech: 8000 Hz mono 16-bit, whatever was asked.
      s->own_amrnb = true;
      enc->sample_rate = 8000;
      enc->sample_fmt = AV_SAMPLE_FMT_S16;
      ff::av_channel_layout_uninit(&enc->ch_layout);
      ff::av_channel_layout_default(&enc->ch_layout, 1);
    } else {
      ChooseSampleFormat(enc, codec);
      ChooseSampleRate(enc, codec, this);
    }
    try {
      ApplyPrivateOptions(*s);
    } catch (...) {
      failClean();
      throw;
    }
  }
  Foutput_codecs.push_back(byName && !Faudio_stream_copy ? codec : nullptr);
  Fnb_ocodecs = static_cast<int>(Foutput_codecs.size());
  enc->time_base = AVRational{1, enc->sample_rate > 0 ? enc->sample_rate : Faudio_sample_rate};
  if (!Faudio_language.empty()) {
    ff::av_dict_set(&st->metadata, "language", rtl::StringToAnsi(Faudio_language).c_str(), 0);
    Faudio_language.clear();
  }
  Faudio_disable = false;
  Faudio_codec_name.clear();
  Faudio_stream_copy = 0;
}

void TCustomFFmpeg::NewSubtitleStream(TOutputFile& AFile) {
  AVCodecID id = AV_CODEC_ID_NONE;
  bool own = false;
  const AVCodec* codec = nullptr;
  const bool byName = !Fsubtitle_codec_name.empty();
  TOutputStreamSetup* s;
  try {
    // Without a name the container's own subtitle codec is used, as for
    // video and audio: an output stream without a codec could not be written.
    if (!Fsubtitle_stream_copy)
      codec = ChooseEncoder(AFile, Fsubtitle_codec_name, AVMEDIA_TYPE_SUBTITLE, id, own);
    s = &AddStreamSetup(AFile, AVMEDIA_TYPE_SUBTITLE, codec, Fsubtitle_bitstream_filters);
  } catch (...) {
    Fsubtitle_codec_name.clear();
    Fsubtitle_language.clear();
    throw;
  }
  AVCodecContext* enc = s->enc;
  if (Fsubtitle_codec_tag) enc->codec_tag = Fsubtitle_codec_tag;
  if (Fsubtitle_stream_copy) {
    s->stream_copy = true;
  } else {
    if (AVCodecContext* opts = FOptions.avcodec_opts[AVMEDIA_TYPE_SUBTITLE])
      SetContextOptions(FOptions, enc, opts, AV_OPT_FLAG_SUBTITLE_PARAM | AV_OPT_FLAG_ENCODING_PARAM);
    enc->codec_id = id;
    s->st->codecpar->codec_id = id;
    ApplyPrivateOptions(*s);
  }
  Foutput_codecs.push_back(byName && !Fsubtitle_stream_copy ? codec : nullptr);
  Fnb_ocodecs = static_cast<int>(Foutput_codecs.size());
  if (!Fsubtitle_language.empty()) {
    ff::av_dict_set(&s->st->metadata, "language", rtl::StringToAnsi(Fsubtitle_language).c_str(), 0);
    Fsubtitle_language.clear();
  }
  Fsubtitle_disable = false;
  Fsubtitle_codec_name.clear();
  Fsubtitle_stream_copy = 0;
}

int TCustomFFmpeg::OpenOutputFile(const String& AFileName, bool AJoin) {
  if (FJoinMode) {
    FLastErrMsg = u"Cannot join more than one output file.";
    return -1;
  }
  if (Fnb_output_files >= FMaxFiles) {
    FLastErrMsg = rtl::Utf8ToString(FmtA("max output files %d reached", FMaxFiles));
    return -1;
  }
  // Before anything is opened: writing into an input would destroy it.
  if (const int same = SameFileIndex(AFileName, true); same >= 0) {
    FLastErrMsg = rtl::Utf8ToString(FmtA("Output file '%s' is the same file as input file #%d: a file cannot be converted into itself",
                                         rtl::U8(AFileName).c_str(), same));
    return -1;
  }
  FEnableFilter = !Fvfilters.empty();
  AVFormatContext* oc = ff::avformat_alloc_context();
  if (!oc) throw FFmpegException("avformat_alloc_context failed");
  auto file = std::make_shared<TOutputFile>();
  file->ctx = oc;
  const int slot = Fnb_output_files;
  bool recorded = false;
  auto fail = [&](const String& AMessage) {
    FLastErrMsg = AMessage;
    if (recorded) {
      --Fnb_output_files;
      Foutput_files[slot] = nullptr;
      FOutputFiles[slot].reset();
    }
    ReleaseOutputFile(*file);
    return -1;
  };

  const std::string name = EncodeAVFileName(AFileName);
  const AVOutputFormat* ofmt = nullptr;
  if (!Flast_asked_format.empty()) {
    ofmt = ff::av_guess_format(Flast_asked_format.c_str(), nullptr, nullptr);
    if (!ofmt)
      return fail(rtl::Utf8ToString(FmtA("Requested output format '%s' is not a suitable output format",
                                        Flast_asked_format.c_str())));
    Flast_asked_format.clear();
  } else {
    ofmt = ff::av_guess_format(nullptr, name.c_str(), nullptr);
    if (!ofmt)
      return fail(rtl::Utf8ToString(
          FmtA("Unable to find a suitable output format for '%s'", rtl::U8(AFileName).c_str())));
  }
  oc->oformat = ofmt;
  oc->url = ff::av_strdup(name.c_str());
  file->target = name;

  // Audio containers that name PNG as their video codec take it for cover
  // art only; they do not call for a video stream.
  const bool defaultVideo = ofmt->video_codec != AV_CODEC_ID_NONE && ofmt->video_codec != AV_CODEC_ID_PNG;
  bool useVideo = defaultVideo || Fvideo_stream_copy || !Fvideo_codec_name.empty();
  bool useAudio = ofmt->audio_codec != AV_CODEC_ID_NONE || Faudio_stream_copy || !Faudio_codec_name.empty();
  bool useSubtitle = ofmt->subtitle_codec != AV_CODEC_ID_NONE || Fsubtitle_stream_copy ||
                     !Fsubtitle_codec_name.empty();
  if (Fnb_input_files > 0) {
    bool v = false, a = false, s = false;
    try {
      GetInputStreamKinds(v, a, AJoin, s);
    } catch (const rtl::Exception& e) {
      return fail(u"check_audio_video_sub_inputs fail: " + e.Message());
    }
    useVideo = useVideo && v;
    useAudio = useAudio && a;
    useSubtitle = useSubtitle && s;
  }
  if (Faudio_disable) useAudio = false;
  if (Fvideo_disable) useVideo = false;
  if (Fsubtitle_disable) useSubtitle = false;

  const struct {
    bool Use;
    void (TCustomFFmpeg::*New)(TOutputFile&);
    const char16_t* Prefix;
  } kinds[] = {{useVideo, &TCustomFFmpeg::NewVideoStream, u"new_video_stream fail: "},
               {useAudio, &TCustomFFmpeg::NewAudioStream, u"new_audio_stream fail: "},
               {useSubtitle, &TCustomFFmpeg::NewSubtitleStream, u"new_subtitle_stream fail: "}};
  for (const auto& k : kinds) {
    if (!k.Use) continue;
    try {
      (this->*k.New)(*file);
    } catch (const rtl::Exception& e) {
      return fail(k.Prefix + e.Message());
    }
  }

  if (Frecording_timestamp) {
    time_t t = static_cast<time_t>(Frecording_timestamp);
    struct tm tmv;
    char buf[64];
    gmtime_r(&t, &tmv);
    strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S.000000Z", &tmv);
    ff::av_dict_set(&oc->metadata, "creation_time", buf, 0);
  }
  // From the last tag to the first, so that of two equal keys the first wins.
  for (auto it = Fmetadata.rbegin(); it != Fmetadata.rend(); ++it)
    ff::av_dict_set(&oc->metadata, it->first.c_str(), it->second.c_str(), 0);
  Fmetadata.clear();
  ApplyMuxerOptions(*file);

  Foutput_files[slot] = oc;
  FOutputFiles[slot] = file;
  ++Fnb_output_files;
  recorded = true;

  if ((ofmt->flags & AVFMT_NEEDNUMBER) && !ff::av_filename_number_test(oc->url))
    return fail(FFmpegErrorText(AFileName, -33));

  // Nothing is created, opened or truncated here: the file is written when
  // the run starts. A name that could not be written is refused now.
  if (!(ofmt->flags & AVFMT_NOFILE)) {
    const std::string path = LocalPath(name);
    if (const int ret = path.empty() ? 0 : CheckWritable(path); ret < 0)
      return fail(FFmpegErrorText(AFileName, ret));
  }
  oc->max_delay = static_cast<int>(Fmux_max_delay * 1000000);
  oc->flags |= AVFMT_FLAG_NONBLOCK;
  if (FOptions.avformat_opts)
    SetContextOptions(FOptions, oc, FOptions.avformat_opts, AV_OPT_FLAG_ENCODING_PARAM);
  Fstreamid_map.fill(0);

  if (AJoin && Fnb_input_files > 1) {
    FJoinMode = true;
    int64_t sum = 0;
    for (int i = 0; i < Fnb_input_files; ++i)
      if (Finput_files[i]->duration != AV_NOPTS_VALUE) sum += Finput_files[i]->duration;
    FTotalOutputDuration = sum ? sum : -1;
    for (int i = 1; i < Fnb_input_files; ++i) {
      if (Fnb_output_files >= static_cast<int>(Foutput_files.size())) {
        Foutput_files.push_back(nullptr);
        FOutputFiles.push_back(nullptr);
      }
      Foutput_files[Fnb_output_files] = oc;
      FOutputFiles[Fnb_output_files] = file;
      ++Fnb_output_files;
    }
  }
  return Fnb_output_files;
}

void TCustomFFmpeg::OpenOutputIO() {
  for (int i = 0; i < Fnb_output_files; ++i) {
    TOutputFile* f = FOutputFiles[i].get();
    if (!f || !f->ctx || f->ctx->pb || (f->ctx->oformat->flags & AVFMT_NOFILE)) continue;
    AVFormatContext* oc = f->ctx;
    if (f->target.empty() && oc->url) f->target = oc->url;
    const String shown = DecodeAVFileName(f->target);
    // A local file that is absent or a regular file is written beside its
    // target; a device, a pipe or a protocol address is written in place.
    const std::string path = LocalPath(f->target);
    struct stat st {};
    const bool beside = !path.empty() && (stat(path.c_str(), &st) == 0 ? S_ISREG(st.st_mode) : errno == ENOENT);
    std::string name = f->target;
    if (beside) {
      std::string tmpl;
      const int ret = CreatePartialFile(path, tmpl);
      if (ret < 0) throw FFmpegException(rtl::U8(FFmpegErrorText(shown, ret)));
      name = IsUnicodeAVFileName(f->target) ? MakeUnicodeAVFileName(rtl::FileNameToString(tmpl)) : tmpl;
      f->partial = name;
      // Muxers that read their output back (MP4 with its index moved to the
      // front) open it by the context's name.
      ff::av_freep(&oc->url);
      oc->url = ff::av_strdup(name.c_str());
    }
    if (const int ret = OpenWriteIO(&oc->pb, name); ret < 0)
      throw FFmpegException(rtl::U8(FFmpegErrorText(shown, ret)));
  }
}

void TCustomFFmpeg::SettleOutputFiles(bool ARunFailed) {
  std::vector<TOutputFile*> done;
  std::string failure;
  for (int i = 0; i < Fnb_output_files; ++i) {
    TOutputFile* f = FOutputFiles[i].get();
    if (!f || !f->ctx || std::find(done.begin(), done.end(), f) != done.end()) continue;
    done.push_back(f);
    AVFormatContext* oc = f->ctx;
    const bool direct = f->partial.empty();
    bool failed = ARunFailed;
    if (oc->pb && !(oc->oformat->flags & AVFMT_NOFILE) && CloseWriteIO(&oc->pb) < 0 && !ARunFailed) {
      failed = true;
      if (failure.empty()) failure = FmtA("Error writing output file #%d", i);
    }
    if (direct) continue;
    const String shown = DecodeAVFileName(f->target);
    const std::string partial = rtl::U8(DecodeAVFileName(f->partial));
    const std::string target = LocalPath(f->target);
    const bool keep = !f->remove_on_release && FileSizeByName(rtl::Utf8ToString(partial)) > 0;
    if (keep && !failed) {
      // Finished, or stopped by the user: the output takes the target's place.
      if (std::rename(partial.c_str(), target.c_str()) == 0) {
        f->partial.clear();
      } else if (failure.empty()) {
        failure = rtl::U8(FFmpegErrorText(shown, AVERROR(errno)));
      }
    } else if (keep) {
      // A failed run keeps what it wrote only where no file stood.
      int moved = renameat2(AT_FDCWD, partial.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE);
      // File systems without that kind of rename: a link, which no more
      // replaces a file than it.
      if (moved != 0 && errno == EINVAL && (moved = link(partial.c_str(), target.c_str())) == 0)
        std::remove(partial.c_str());
      if (moved == 0) {
        f->partial.clear();
      } else if (errno == EEXIST) {
        Log(llWarning, FmtA("'%s' is left as it was: its conversion failed", rtl::U8(shown).c_str()));
      }
    }
    if (!f->partial.empty()) {
      std::remove(partial.c_str());
      f->partial.clear();
    }
    ff::av_freep(&oc->url);
    oc->url = ff::av_strdup(f->target.c_str());
  }
  if (!failure.empty()) {
    FFinished = false;
    throw FFmpegException(failure);
  }
}

void TCustomFFmpeg::AddNewStream(AVMediaType AType) {
  if (Fnb_output_files <= 0) throw FFmpegException("At least one output file must be specified");
  TOutputFile& file = *FOutputFiles[Fnb_output_files - 1];
  if (AType == AVMEDIA_TYPE_VIDEO)
    NewVideoStream(file);
  else if (AType == AVMEDIA_TYPE_AUDIO)
    NewAudioStream(file);
  else
    NewSubtitleStream(file);
}

void TCustomFFmpeg::AddNewVideoStream() { AddNewStream(AVMEDIA_TYPE_VIDEO); }
void TCustomFFmpeg::AddNewAudioStream() { AddNewStream(AVMEDIA_TYPE_AUDIO); }
void TCustomFFmpeg::AddNewSubtitleStream() { AddNewStream(AVMEDIA_TYPE_SUBTITLE); }

void TCustomFFmpeg::SetPass(int APass) {
  if (APass != 1 && APass != 2) throw FFmpegException("pass number can be only 1 or 2");
  Fdo_pass = APass;
}

void ParseMatrix(uint16_t* ADest, const std::string& AText) {
  const char* p = AText.c_str();
  for (int i = 0; i < 64; ++i) {
    ADest[i] = static_cast<uint16_t>(atoi(p));
    // The MPEG encoders divide by every coefficient: a 0 (or a missing
    // number) would end the whole process when the encoder opens.
    const bool bad = ADest[i] == 0 || (i < 63 && !(p = strchr(p, ',')));
    if (bad) throw FFmpegException(FmtA("Syntax error in matrix \"%s\" at coeff %d", AText.c_str(), i));
    if (i == 63) break;
    ++p;
  }
}

// A refused matrix leaves the one set before.
void TCustomFFmpeg::SetIntraMatrix(const std::string& AText) {
  std::vector<uint16_t> m(64, 0);
  ParseMatrix(m.data(), AText);
  Fintra_matrix = std::move(m);
}

void TCustomFFmpeg::SetInterMatrix(const std::string& AText) {
  std::vector<uint16_t> m(64, 0);
  ParseMatrix(m.data(), AText);
  Finter_matrix = std::move(m);
}

void TCustomFFmpeg::SetStreamId(const String& AName, const String& AValue) {
  if (AName.empty() || AValue.empty()) return;
  size_t colon = AValue.find(u':');
  auto bad = [&] {
    return FFmpegException(
        FmtA("Invalid value \"%s\" for option \"%s\", required syntax is \"index:value\"",
            rtl::U8(AValue).c_str(), rtl::U8(AName).c_str()));
  };
  if (colon == String::npos || colon == 0 || colon + 1 >= AValue.size()) throw bad();
  int index = rtl::StrToInt(AValue.substr(0, colon));
  int value = rtl::StrToInt(AValue.substr(colon + 1));
  if (index < 0 || index >= MAX_STREAMS)
    throw FFmpegException(FmtA("stream index over MAX_STREAMS(%d)", MAX_STREAMS));
  Fstreamid_map[index] = value;
}

}  // namespace engine
