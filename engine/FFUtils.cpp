#include "engine/FFUtils.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "engine/FFmpegLogger.h"
#include "platform/gdi/Bitmap.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/Strings.h"

namespace engine {

using rtl::String;

String DurationToStr(int64_t AMicroseconds) {
  if (AMicroseconds == AV_NOPTS_VALUE) return u"N/A";
  const int64_t d = AMicroseconds;
  char buf[64];
  snprintf(buf, sizeof buf, "%.2lld:%.2lld:%.2lld.%.3lld",
           static_cast<long long>(d / 1000000 / 60 / 60),
           static_cast<long long>((d / 1000000 / 60) % 60),
           static_cast<long long>((d / 1000000) % 60),
           static_cast<long long>((d % 1000000) * 1000 / 1000000));
  return rtl::Utf8ToString(buf);
}

int64_t FrameRateToDuration(AVRational ARate) {
  if (ARate.num == 0 || ARate.den == 0) return 40000;
  return int64_t{1000000} * ARate.den / ARate.num;
}

String FFmpegErrorText(const String& APrefix, int ACode) {
  // The literal codes are those the converter has always known; FFmpeg 5.1
  // reports several of the same conditions with tag codes, which get the
  // same texts.
  const char* text = nullptr;
  switch (ACode) {
    case -2: text = "No such file or directory"; break;
    case -5: text = "I/O error"; break;
    case -12: text = "Not enough memory"; break;
    case -22: text = "Invalid data found when processing input"; break;
    case -32: text = "End of file"; break;
    case -33: text = "Number syntax expected in filename"; break;
    case -42: text = "Unknown format"; break;
    case -10043: text = "Unsupported network protocol"; break;
    case -1163346256: text = "Not yet implemented in FFmpeg"; break;
    case AVERROR_EOF: text = "End of file"; break;
    case AVERROR_INVALIDDATA: text = "Invalid data found when processing input"; break;
    case AVERROR_DEMUXER_NOT_FOUND:
    case AVERROR_MUXER_NOT_FOUND: text = "Unknown format"; break;
    case AVERROR_PROTOCOL_NOT_FOUND: text = "Unsupported network protocol"; break;
    default: break;
  }
  // Any other code gets the system's text (a negative errno value) or
  // FFmpeg's own, so that a user learns what went wrong ("Read-only file
  // system", "Is a directory"); only a code nobody knows keeps the number.
  char buf[AV_ERROR_MAX_STRING_SIZE + 64];
  if (!text && ACode < 0) {
    if (ff::av_strerror) {
      if (ff::av_strerror(ACode, buf, sizeof buf) >= 0) text = buf;
    } else if (ACode > -4096) {
      char sys[256];
      const char* s = strerror_r(-ACode, sys, sizeof sys);
      if (s && std::strncmp(s, "Unknown error", 13) != 0) {
        snprintf(buf, sizeof buf, "%s", s);
        text = buf;
      }
    }
  }
  if (!text) {
    snprintf(buf, sizeof buf, "Error number %d occurred", ACode);
    text = buf;
  }
  return APrefix + u": " + rtl::Utf8ToString(text);
}

int LinkThroughFilters(AVFilterGraph* AGraph, AVFilterContext* AFrom, AVFilterContext* ATo,
                       const std::string& ADescription) {
  if (ADescription.empty()) return ff::avfilter_link(AFrom, 0, ATo, 0);
  AVFilterInOut* outputs = ff::avfilter_inout_alloc();
  AVFilterInOut* inputs = ff::avfilter_inout_alloc();
  int r = AVERROR(ENOMEM);
  if (outputs && inputs) {
    outputs->name = ff::av_strdup("in");
    outputs->filter_ctx = AFrom;
    outputs->pad_idx = 0;
    inputs->name = ff::av_strdup("out");
    inputs->filter_ctx = ATo;
    inputs->pad_idx = 0;
    r = ff::avfilter_graph_parse_ptr(AGraph, ADescription.c_str(), &inputs, &outputs, nullptr);
  }
  ff::avfilter_inout_free(&outputs);
  ff::avfilter_inout_free(&inputs);
  return r;
}

double DisplayRotation(const AVStream* AStream) {
  if (!AStream) return 0;
  double theta = 0;
  size_t size = 0;
  const uint8_t* sd =
      ff::av_stream_get_side_data ? ff::av_stream_get_side_data(AStream, AV_PKT_DATA_DISPLAYMATRIX, &size) : nullptr;
  if (sd && size >= 9 * sizeof(int32_t)) {
    theta = -std::round(ff::av_display_rotation_get(reinterpret_cast<const int32_t*>(sd)));
  } else if (const AVDictionaryEntry* tag = ff::av_dict_get(AStream->metadata, "rotate", nullptr, 0)) {
    theta = std::atof(tag->value);
  }
  if (!std::isfinite(theta)) return 0;
  theta -= 360 * std::floor(theta / 360 + 0.9 / 360);
  return std::fabs(theta) < 1.0 || std::fabs(theta - 360) < 1.0 ? 0 : theta;
}

String MediaTypeText(int AMediaType) {
  switch (AMediaType) {
    case AVMEDIA_TYPE_VIDEO: return u"Video";
    case AVMEDIA_TYPE_AUDIO: return u"Audio";
    case AVMEDIA_TYPE_DATA: return u"Data";
    case AVMEDIA_TYPE_SUBTITLE: return u"Subtitle";
    case AVMEDIA_TYPE_ATTACHMENT: return u"Attachment";
    default: return u"Unknown";
  }
}

void ResetFFOptions(TFFOptions& AOpts) { AOpts = TFFOptions{}; }

void AllocFFOptions(TFFOptions& AOpts, int ASwsFlags) {
  for (AVCodecContext*& ctx : AOpts.avcodec_opts) ctx = ff::avcodec_alloc_context3(nullptr);
  AOpts.avformat_opts = ff::avformat_alloc_context();
  AOpts.sws_opts = ff::sws_alloc_context();
  if (AOpts.sws_opts) ff::av_opt_set_int(AOpts.sws_opts, "sws_flags", ASwsFlags, 0);
}

void FreeFFOptions(TFFOptions& AOpts) {
  for (AVCodecContext*& ctx : AOpts.avcodec_opts)
    if (ctx) ff::avcodec_free_context(&ctx);
  if (AOpts.avformat_opts) ff::avformat_free_context(AOpts.avformat_opts);
  AOpts.avformat_opts = nullptr;
  if (AOpts.sws_opts) ff::sws_freeContext(AOpts.sws_opts);
  AOpts.sws_opts = nullptr;
  AOpts.opt_names.clear();
}

namespace {

// Finds AName among AObj's own options and sets it; *AFound tells whether
// the option exists.
int SetOwnOption(void* AObj, const char* AName, const char* AValue, int AOptFlags,
                 const AVOption** AFound) {
  const AVOption* o = AObj ? ff::av_opt_find(AObj, AName, nullptr, AOptFlags, 0) : nullptr;
  if (!o) return 0;
  *AFound = o;
  return ff::av_opt_set(AObj, AName, AValue, 0);
}

}  // namespace

bool SetFFOption(TFFOptions& AOpts, const std::string& AName, const std::string& AValue) {
  if (rtl::Trim(rtl::Utf8ToString(AName)).empty() || rtl::Trim(rtl::Utf8ToString(AValue)).empty())
    return false;
  const char* name = AName.c_str();
  const char* value = AValue.c_str();
  static constexpr int kTypeFlags[AVMEDIA_TYPE_NB] = {
      AV_OPT_FLAG_VIDEO_PARAM, AV_OPT_FLAG_AUDIO_PARAM, 0, AV_OPT_FLAG_SUBTITLE_PARAM, 0};

  const AVOption* found = nullptr;
  int ret = 0;
  for (int i = 0; i < AVMEDIA_TYPE_NB && ret >= 0; ++i) {
    // Whether the option belongs to this media type is asked of the video
    // context: all five share one option table.
    if (ff::av_opt_find(AOpts.avcodec_opts[0], name, nullptr, kTypeFlags[i], 0))
      ret = SetOwnOption(AOpts.avcodec_opts[i], name, value, 0, &found);
  }
  if (!found) ret = SetOwnOption(AOpts.avformat_opts, name, value, 0, &found);
  if (!found) ret = SetOwnOption(AOpts.sws_opts, name, value, 0, &found);
  if (!found) {
    int type = name[0] == 'a' ? AVMEDIA_TYPE_AUDIO
               : name[0] == 'v' ? AVMEDIA_TYPE_VIDEO
               : name[0] == 's' ? AVMEDIA_TYPE_SUBTITLE
                                : -1;
    if (type >= 0) ret = SetOwnOption(AOpts.avcodec_opts[type], name + 1, value, 0, &found);
  }
  if (found && ret < 0) {
    ff::av_log(nullptr, AV_LOG_ERROR, "Invalid value \"%s\" for option \"%s\"\n", value, name);
    return false;
  }
  if (!found) return false;

  if (std::find(AOpts.opt_names.begin(), AOpts.opt_names.end(), found->name) == AOpts.opt_names.end())
    AOpts.opt_names.push_back(found->name);

  if ((AOpts.avcodec_opts[0] && AOpts.avcodec_opts[0]->debug) ||
      (AOpts.avformat_opts && AOpts.avformat_opts->debug))
    GetFFLogger()->SetLogLevel(llDebug);
  return true;
}

std::vector<std::pair<std::string, std::string>> ContextOptionTexts(const TFFOptions& AOpts, void* AOptsCtx,
                                                                    int AFlags) {
  std::vector<std::pair<std::string, std::string>> texts;
  if (!AOptsCtx) return texts;
  for (const std::string& name : AOpts.opt_names) {
    const AVOption* o = ff::av_opt_find(AOptsCtx, name.c_str(), nullptr, 0, 0);
    if (!o || (o->flags & AFlags) != AFlags) continue;
    uint8_t* text = nullptr;
    if (ff::av_opt_get(AOptsCtx, name.c_str(), 0, &text) >= 0 && text)
      texts.emplace_back(name, reinterpret_cast<const char*>(text));
    ff::av_free(text);
  }
  return texts;
}

void SetContextOptions(TFFOptions& AOpts, void* ACtx, void* AOptsCtx, int AFlags) {
  for (const auto& [name, value] : ContextOptionTexts(AOpts, AOptsCtx, AFlags))
    ff::av_opt_set(ACtx, name.c_str(), value.c_str(), 0);
}

int ReadFileToBuffer(const std::string& AFileName, uint8_t*& ABuffer, int& ASize) {
  ABuffer = nullptr;
  ASize = 0;
  FILE* f = fopen(AFileName.c_str(), "rb");
  if (!f) return -1;
  long size = -1;
  if (fseek(f, 0, SEEK_END) == 0) size = ftell(f);
  // A size that cannot be told, or that does not fit the int size with its
  // terminating zero, is refused rather than read short.
  if (size < 0 || size >= 0x7FFFFFFF || fseek(f, 0, SEEK_SET) != 0) {
    fclose(f);
    return -1;
  }
  auto* buffer = static_cast<uint8_t*>(ff::av_malloc(static_cast<size_t>(size) + 1));
  if (!buffer) {
    fclose(f);
    return -12;
  }
  size_t got = fread(buffer, 1, static_cast<size_t>(size), f);
  buffer[got] = 0;
  fclose(f);
  ABuffer = buffer;
  ASize = static_cast<int>(got) + 1;
  return 0;
}

String GetMetadataValue(const AVDictionary* AMetadata, const char* AKey, const String& ADefault) {
  const AVDictionaryEntry* tag = ff::av_dict_get(AMetadata, AKey, nullptr, 0);
  return tag && tag->value ? rtl::Utf8ToString(tag->value) : ADefault;
}

String CodecNameText(const AVCodecContext* ACodecContext, bool AEncoder) {
  return CodecNameText(ACodecContext->codec_id, ACodecContext->codec_tag, AEncoder);
}

String CodecNameText(AVCodecID ACodecID, uint32_t ACodecTag, bool AEncoder) {
  const AVCodec* codec =
      AEncoder ? ff::avcodec_find_encoder(ACodecID) : ff::avcodec_find_decoder(ACodecID);
  if (codec) {
    String name = rtl::Utf8ToString(codec->name ? codec->name : "");
    String longName = rtl::Trim(rtl::Utf8ToString(codec->long_name ? codec->long_name : ""));
    return longName.empty() ? name : name + u"(" + longName + u")";
  }
  if (ACodecID == 0x20000) return u"mpeg2ts";
  // The codec has no coder here; its registered name is the next best thing.
  if (const AVCodecDescriptor* desc = ff::avcodec_descriptor_get(ACodecID))
    if (desc->name && *desc->name) return rtl::Utf8ToString(desc->name);
  char buf[64];
  const unsigned c[4] = {ACodecTag & 0xFF, (ACodecTag >> 8) & 0xFF, (ACodecTag >> 16) & 0xFF,
                         ACodecTag >> 24};
  bool printable = true;
  for (unsigned ch : c) printable = printable && ch >= 32 && ch <= 126;
  if (printable)
    snprintf(buf, sizeof buf, "%c%c%c%c / 0x%04X", c[0], c[1], c[2], c[3], ACodecTag);
  else
    snprintf(buf, sizeof buf, "0x%04x", ACodecTag);
  return rtl::Utf8ToString(buf);
}

TRGBConvertContext::TRGBConvertContext() : BMPPixFmt(gdi::pf24bit) {}

TRGBConvertContext::~TRGBConvertContext() { ResetRGBConvertContext(*this); }

void ResetRGBConvertContext(TRGBConvertContext& AContext) {
  AContext.Bitmap.reset();
  // Without the libraries there is nothing left to free them with; their
  // memory went with the process's use of FFmpeg.
  if (AContext.RGBBuf && ff::av_free) ff::av_free(AContext.RGBBuf);
  if (ff::sws_freeContext) {
    if (AContext.toRGB_convert_ctx) ff::sws_freeContext(AContext.toRGB_convert_ctx);
    if (AContext.fromRGB_convert_ctx) ff::sws_freeContext(AContext.fromRGB_convert_ctx);
  }
  AContext.RGBBuf = nullptr;
  AContext.toRGB_convert_ctx = nullptr;
  AContext.fromRGB_convert_ctx = nullptr;
  AContext.RGBPixFmt = AV_PIX_FMT_BGR24;
  AContext.BMPPixFmt = gdi::pf24bit;
  AContext.RGBBufSize = 0;
  AContext.RGBPicture = TAVPicture{};
  AContext.RGBPictureRef = TAVPicture{};
}

std::unique_ptr<gdi::TBitmap> CreateRGBBitmap(int AWidth, int AHeight, int APixelFormat) {
  auto bitmap = std::make_unique<gdi::TBitmap>();
  bitmap->SetPixelFormat(static_cast<gdi::TPixelFormat>(APixelFormat));
  bitmap->SetSize(AWidth, AHeight);
  bitmap->Canvas()->Brush()->SetStyle(gdi::bsClear);
  return bitmap;
}

bool PictureToBitmap(TRGBConvertContext& AContext, const TAVPicture& APicture,
                     AVPixelFormat APixFmt, int AWidth, int AHeight) {
  if (AWidth <= 0 || AHeight <= 0) return false;
  if (!AContext.Bitmap) AContext.Bitmap = CreateRGBBitmap(AWidth, AHeight, AContext.BMPPixFmt);
  AContext.Bitmap->SetSize(AWidth, AHeight);

  const int rowBytes = ((AWidth * 24 + 31) / 32) * 4;
  if (APixFmt == AContext.RGBPixFmt && AWidth % 2 == 0 && AHeight % 2 == 0 &&
      APicture.linesize[0] == rowBytes) {
    AContext.RGBPictureRef = APicture;
  } else {
    // swscale aborts the process on a format it does not know.
    if (!ff::av_pix_fmt_desc_get(APixFmt) || !ff::sws_isSupportedInput(APixFmt)) return false;
    const int size = ff::av_image_get_buffer_size(AContext.RGBPixFmt, AWidth, AHeight, 1);
    if (size <= 0) return false;
    if (AContext.RGBBuf && AContext.RGBBufSize < size) {
      ff::av_free(AContext.RGBBuf);
      AContext.RGBBuf = nullptr;
    }
    if (!AContext.RGBBuf) {
      AContext.RGBBuf = static_cast<uint8_t*>(ff::av_malloc(static_cast<size_t>(size)));
      if (!AContext.RGBBuf) return false;
      AContext.RGBBufSize = size;
    }
    ff::av_image_fill_arrays(AContext.RGBPicture.data, AContext.RGBPicture.linesize,
                             AContext.RGBBuf, AContext.RGBPixFmt, AWidth, AHeight, 1);
    AContext.toRGB_convert_ctx = ff::sws_getCachedContext(
        AContext.toRGB_convert_ctx, AWidth, AHeight, APixFmt, AWidth, AHeight,
        AContext.RGBPixFmt, SWS_BICUBIC, nullptr, nullptr, nullptr);
    if (!AContext.toRGB_convert_ctx) return false;
    ff::sws_scale(AContext.toRGB_convert_ctx, APicture.data, APicture.linesize, 0, AHeight,
                  AContext.RGBPicture.data, AContext.RGBPicture.linesize);
    AContext.RGBPictureRef = AContext.RGBPicture;
  }

  // Only the pixels of a row are copied: a source line may be longer than
  // the bitmap's row.
  const uint8_t* src = AContext.RGBPictureRef.data[0];
  const int srcStride = AContext.RGBPictureRef.linesize[0];
  const size_t pixelBytes = static_cast<size_t>(AWidth) * 3;
  for (int y = 0; y < AHeight; ++y, src += srcStride)
    std::memcpy(AContext.Bitmap->ScanLine(y), src, pixelBytes);
  return true;
}

bool PictureToBitmap(TRGBConvertContext& AContext, const AVFrame* AFrame) {
  TAVPicture picture;
  for (int i = 0; i < 4; ++i) {
    picture.data[i] = AFrame->data[i];
    picture.linesize[i] = AFrame->linesize[i];
  }
  return PictureToBitmap(AContext, picture, static_cast<AVPixelFormat>(AFrame->format),
                         AFrame->width, AFrame->height);
}

}  // namespace engine
