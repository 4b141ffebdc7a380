#include "engine/probe/AVProbe.h"

#include <algorithm>
#include <mutex>

#include "engine/FFUtils.h"
#include "engine/FFmpegLoader.h"
#include "engine/FFmpegLogger.h"
#include "engine/Printf.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StrUtils.h"

namespace player {

using engine::Fmt;

using engine::TFFmpegLoader;
using engine::sfBackward;
using engine::sfByte;
using rtl::String;

namespace {

const char* const kEOFReached = "stream eof reached.";
const char* const kReadOnly = "file cannot be seeked, handle is readonly.";
constexpr AVRational kMicroseconds{1, 1000000};

// Containers searched by time stamps (MPEG-TS, MPEG-PS) may land a backward
// seek just after the key picture the target needs. Reads ahead to the first
// picture of AStream: while it is not a key picture at or before ATarget
// (stream time base), seeks earlier (half a second, then twice as far each
// time), and finally puts the input back where the good landing began.
void SeekBackToKeyPicture(AVFormatContext* ic, int AStream, int64_t ATarget, int AFlags) {
  if (AStream < 0 || !ic->pb || !(ic->iformat->flags & AVFMT_TS_DISCONT)) return;
  const AVStream* st = ic->streams[AStream];
  const int64_t second = ff::av_rescale_q(1000000, kMicroseconds, st->time_base);
  const int64_t start = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
  AVPacket* pkt = ff::av_packet_alloc();
  int64_t landing = -1;
  for (int64_t back = second / 2;; back *= 2) {
    landing = -1;
    bool ok = false;
    for (int n = 0; n < 2000 && ff::av_read_frame(ic, pkt) >= 0; ++n) {
      if (landing < 0) landing = pkt->pos;
      const bool video = pkt->stream_index == AStream;
      const int64_t ts = pkt->pts != AV_NOPTS_VALUE ? pkt->pts : pkt->dts;
      ok = video && (pkt->flags & AV_PKT_FLAG_KEY) && ts != AV_NOPTS_VALUE && ts <= ATarget + second / 25;
      ff::av_packet_unref(pkt);
      if (video) break;
    }
    if (ok || ATarget - back / 2 < start || back > 64 * second) break;
    if (ff::av_seek_frame(ic, AStream, std::max(start, ATarget - back), AFlags | AVSEEK_FLAG_BACKWARD) < 0) break;
  }
  ff::av_packet_free(&pkt);
  if (landing >= 0) ff::av_seek_frame(ic, -1, landing, AVSEEK_FLAG_BYTE);
}

}  // namespace

TAVProbe::TAVProbe(rtl::TComponent* AOwner) : TCustomAVProbe(AOwner) {}

TAVProbe::~TAVProbe() {
  TAVProbe::CloseFile();
  ReleaseDecodeBuffers();
}

void TAVProbe::ReleaseDecodeBuffers() {
  // Only what was allocated is freed: a probe may outlive the libraries
  // when it never decoded anything, or after UnloadAVLib released it all.
  if (FPicture.Buffer) ff::av_free(FPicture.Buffer);
  FPicture.Buffer = nullptr;
  FPicture.Size = 0;
  FPicture.Picture = engine::TAVPicture{};
  if (FFrame) ff::av_frame_free(&FFrame);
  if (FPacket) ff::av_packet_free(&FPacket);
}

void TAVProbe::UnloadAVLib() {
  if (TFFmpegLoader::Loaded(engine::ProbeLibraries)) {
    CloseFile();
    ReleaseDecodeBuffers();
  }
  TCustomAVProbe::UnloadAVLib();
}

void TAVProbe::ReadFileInfo() {
  TCustomAVProbe::ReadFileInfo();
  FSeekIndex = FFirstVideoStreamIndex >= 0 ? FFirstVideoStreamIndex : FFirstAudioStreamIndex;
  if (!FFileHandle) {
    FStartTime = -1;
    return;
  }
  const int64_t start =
      FSeekIndex >= 0 ? FFileHandle->streams[FSeekIndex]->start_time : FFileHandle->start_time;
  FStartTime = start == AV_NOPTS_VALUE ? 0 : start;
}

void TAVProbe::CloseFile() {
  FSeekIndex = -1;
  FStartTime = -1;
  FDecodeIndex = -1;
  FEOF = false;
  ClearFrameInfo();
  FLastPTS = AV_NOPTS_VALUE;
  FLastPos = -1;
  CloseDecoder();
  // The conversion cache is FFmpeg's memory: without the libraries there is
  // nothing it can hold.
  if (FRGBContext.Bitmap || FRGBContext.RGBBuf || FRGBContext.toRGB_convert_ctx)
    engine::ResetRGBConvertContext(FRGBContext);
  TCustomAVProbe::CloseFile();
}

void TAVProbe::CloseDecoder() {
  if (!FCodec) return;
  {
    std::lock_guard lock(engine::CodecLock);
    ff::avcodec_free_context(&FCodec);
  }
  FCodec = nullptr;
  FCodecStream = -1;
}

void TAVProbe::ClearFrameInfo() {
  if (FPicture.PTS != AV_NOPTS_VALUE) FLastPTS = FPicture.PTS;
  if (FPicture.Position != -1) FLastPos = FPicture.Position;
  // The picture buffer and its planes stay for the next picture.
  TFrameInfo cleared;
  cleared.Picture = FPicture.Picture;
  cleared.Buffer = FPicture.Buffer;
  cleared.Size = FPicture.Size;
  FPicture = cleared;
}

int64_t TAVProbe::InputPosition() const {
  if (!FFileHandle || !FFileHandle->pb) return -1;
  return ff::avio_seek(FFileHandle->pb, 0, SEEK_CUR);
}

int64_t TAVProbe::Position() {
  if (!FFileHandle) {
    ReportMessage(AV_LOG_WARNING, "file not loaded.");
    return -1;
  }
  if (!FFileHandle->pb) {
    ReportMessage(AV_LOG_WARNING, "cannot get position");
    return -1;
  }
  return InputPosition();
}

bool TAVProbe::IsSinglePicture() const {
  // Image files open as "image2", or as one of the "<codec>_pipe" formats
  // that recognise a picture by its content.
  const AVInputFormat* f = FFileHandle ? FFileHandle->iformat : nullptr;
  if (!f || !f->name) return false;
  const String name = rtl::Utf8ToString(f->name);
  return rtl::SameText(name, u"image2") ||
         (name.size() > 5 && name.compare(name.size() - 5, 5, u"_pipe") == 0);
}

bool TAVProbe::CheckOwnHandle() {
  if (!FFileHandle) {
    ReportMessage(AV_LOG_WARNING, "file not loaded.");
    return false;
  }
  if (!FOwnHandle) {
    ReportMessage(AV_LOG_WARNING, kReadOnly);
    throw rtl::Exception(kReadOnly);
  }
  return true;
}

bool TAVProbe::CanSeek() {
  if (!CheckOwnHandle()) return false;
  if (IsSinglePicture()) {
    ReportMessage(AV_LOG_INFO, "\"image2\" format cannot to be seeked.");
    return false;
  }
  return true;
}

bool TAVProbe::Seek(int64_t APTS, engine::TSeekFlags ASeekFlags) {
  if (!CanSeek()) return false;
  AVFormatContext* ic = FFileHandle;
  if (ic->pb)
    ReportMessage(AV_LOG_DEBUG, Fmt("currunt position %lld bytes", static_cast<long long>(InputPosition())));

  int64_t target = APTS < 0 ? 0 : APTS;
  if (!ASeekFlags.Contains(sfByte)) {
    if (FSeekIndex >= 0)
      target = ff::av_rescale_q(target, kMicroseconds, ic->streams[FSeekIndex]->time_base);
    if (FStartTime > 0) target += FStartTime;
  }

  if (FCodec) ff::avcodec_flush_buffers(FCodec);
  FEOF = false;
  ClearFrameInfo();

  const int flags = engine::SeekFlagsToAVSeekFlags(ASeekFlags);
  int r;
  if (APTS > 0) {
    r = ff::av_seek_frame(ic, FSeekIndex, target, flags);
    if (r >= 0 && (flags & AVSEEK_FLAG_BACKWARD) && !(flags & (AVSEEK_FLAG_BYTE | AVSEEK_FLAG_ANY)))
      SeekBackToKeyPicture(ic, FSeekIndex, target, flags);
  } else {
    r = ff::av_seek_frame(ic, FSeekIndex, 0, flags | AVSEEK_FLAG_BACKWARD);
    if (r < 0) r = ff::av_seek_frame(ic, FSeekIndex, APTS, flags & ~AVSEEK_FLAG_BACKWARD);
  }
  if (r < 0) {
    if (ASeekFlags.Contains(sfByte))
      ReportMessage(AV_LOG_ERROR, Fmt("could not seek to position %lld bytes", static_cast<long long>(APTS)));
    else
      ReportMessage(AV_LOG_ERROR, Fmt("could not seek to position %0.3f seconds", APTS / 1000000.0));
  }
  if (ic->pb)
    ReportMessage(AV_LOG_DEBUG, Fmt("seek to position %lld bytes", static_cast<long long>(InputPosition())));
  if (ic->pb && ff::avio_feof(ic->pb)) {
    if (r >= 0) ReportMessage(AV_LOG_INFO, kEOFReached);
    FEOF = true;
    return false;
  }
  return r >= 0;
}

int TAVProbe::PrepareDecodeStream(int AStreamIndex) {
  if (!CheckOwnHandle()) return -1;
  // Without a stream named, decoding goes on in the stream it was in.
  const int index = AStreamIndex < 0 && FDecodeIndex >= 0
                        ? FDecodeIndex
                        : CheckStreamRecord(AStreamIndex, AVMEDIA_TYPE_VIDEO, "video");
  if (index < 0) return -1;
  if (index != FDecodeIndex) ClearFrameInfo();
  FDecodeIndex = index;
  return index;
}

bool TAVProbe::OpenDecoder(int AIndex) {
  const AVStream* st = FFileHandle->streams[AIndex];
  const AVCodecParameters* par = st->codecpar;
  if (par->width == 0 || par->height == 0) {
    ReportMessage(AV_LOG_ERROR, "frame size of codec is invalid.");
    return false;
  }
  if (FCodec && FCodecStream == AIndex) return true;
  CloseDecoder();

  const AVCodec* codec = ff::avcodec_find_decoder(par->codec_id);
  if (!codec) {
    ReportMessage(AV_LOG_ERROR,
                  Fmt("Unsupported codec (id=%d) for input file stream #%d", par->codec_id, AIndex));
    return false;
  }
  AVCodecContext* ctx = ff::avcodec_alloc_context3(codec);
  int r = ctx ? ff::avcodec_parameters_to_context(ctx, par) : AVERROR(ENOMEM);
  if (r >= 0) {
    ctx->pkt_timebase = st->time_base;
    std::lock_guard lock(engine::CodecLock);
    r = ff::avcodec_open2(ctx, codec, nullptr);
    if (r < 0) ff::avcodec_free_context(&ctx);
  } else if (ctx) {
    ff::avcodec_free_context(&ctx);
  }
  if (r < 0) {
    ReportMessage(AV_LOG_ERROR, Fmt("Error while opening codec for input file stream #%d", AIndex));
    return false;
  }
  FCodec = ctx;
  FCodecStream = AIndex;
  return true;
}

bool TAVProbe::Decode(int AStreamIndex) {
  const int index = PrepareDecodeStream(AStreamIndex);
  if (index < 0) return false;
  if (FPicture.Ready && IsSinglePicture()) return true;
  if (FEOF) {
    ReportMessage(AV_LOG_INFO, kEOFReached);
    return false;
  }
  if (!OpenDecoder(index)) return false;
  if (!FFrame) FFrame = ff::av_frame_alloc();
  if (!FPacket) FPacket = ff::av_packet_alloc();
  if (!FFrame || !FPacket) {
    ReportMessage(AV_LOG_ERROR, "Not enough memory");
    return false;
  }

  const int64_t pos = InputPosition();
  AVFormatContext* ic = FFileHandle;
  bool draining = false;
  for (;;) {
    // Pictures the decoder still holds come first; only then is more input read.
    int r = ff::avcodec_receive_frame(FCodec, FFrame);
    if (r >= 0) {
      engine::GetFFLogger()->Log(
          this, engine::llDebug,
          Fmt("pkt.st_idx=%d, dts=%lld, pts=%lld, flags=%d, pict_type=%d", index,
              static_cast<long long>(FFrame->pkt_dts), static_cast<long long>(FFrame->pts),
              FFrame->key_frame ? AV_PKT_FLAG_KEY : 0, static_cast<int>(FFrame->pict_type)));
      const bool stored = StoreFrame(FFrame, pos, index);
      ff::av_frame_unref(FFrame);
      return stored;
    }
    if (r != AVERROR(EAGAIN)) break;  // drained, or the decoder gave up
    r = ff::av_read_frame(ic, FPacket);
    if (r < 0) {
      // End of input: let the decoder hand out what it has delayed.
      if (draining) break;
      draining = true;
      ff::avcodec_send_packet(FCodec, nullptr);
      continue;
    }
    // A packet the decoder refuses is skipped, as a damaged picture would be.
    if (FPacket->stream_index == index) ff::avcodec_send_packet(FCodec, FPacket);
    ff::av_packet_unref(FPacket);
  }
  ReportMessage(AV_LOG_INFO, kEOFReached);
  FEOF = true;
  return false;
}

bool TAVProbe::StoreFrame(const AVFrame* AFrame, int64_t APos, int AIndex) {
  const auto fmt = static_cast<AVPixelFormat>(AFrame->format);
  const int size = ff::av_image_get_buffer_size(fmt, AFrame->width, AFrame->height, 1);
  if (size < 0) {
    ReportMessage(AV_LOG_ERROR, "frame size of codec is invalid.");
    return false;
  }
  if (FPicture.Size < size) {
    ff::av_free(FPicture.Buffer);
    FPicture.Buffer = static_cast<uint8_t*>(ff::av_malloc(static_cast<size_t>(size)));
    FPicture.Size = FPicture.Buffer ? size : 0;
    if (!FPicture.Buffer) {
      ClearFrameInfo();
      ReportMessage(AV_LOG_ERROR, "Not enough memory");
      return false;
    }
  }

  FPicture.PixFmt = fmt;
  FPicture.Width = AFrame->width;
  FPicture.Height = AFrame->height;
  FPicture.IsKeyFrame = AFrame->key_frame == 1;
  FPicture.PictureType = (AFrame->pict_type >= 0 && AFrame->pict_type <= 7)
                             ? static_cast<TPictureType>(AFrame->pict_type)
                             : ptUnknown;

  // The decoding stamp of the packet that released the picture is its
  // presentation time when the decoder reorders; the picture's own stamp
  // is the fallback.
  const int64_t stamp = AFrame->pkt_dts != AV_NOPTS_VALUE ? AFrame->pkt_dts : AFrame->pts;
  if (FPicture.PTS != AV_NOPTS_VALUE) FLastPTS = FPicture.PTS;
  const AVStream* st = FFileHandle->streams[AIndex];
  if (stamp == AV_NOPTS_VALUE) {
    FPicture.PTS = AV_NOPTS_VALUE;
  } else {
    const int64_t fromStart = st->start_time != AV_NOPTS_VALUE ? stamp - st->start_time : stamp;
    FPicture.PTS = ff::av_rescale_q(fromStart, st->time_base, kMicroseconds);
    ff::av_log(nullptr, AV_LOG_DEBUG, "decode PTS: %0.3f\n", FPicture.PTS / 1000000.0);
  }
  FPicture.OriginalDTS = AFrame->pkt_dts;
  FPicture.OriginalPTS = AFrame->pts;
  FPicture.StreamIndex = AIndex;
  if (FPicture.Position != -1) FLastPos = FPicture.Position;
  FPicture.Position = APos;

  ff::av_image_fill_arrays(FPicture.Picture.data, FPicture.Picture.linesize, FPicture.Buffer, fmt,
                           AFrame->width, AFrame->height, 1);
  ff::av_image_copy(FPicture.Picture.data, FPicture.Picture.linesize,
                    const_cast<const uint8_t**>(AFrame->data), AFrame->linesize, fmt, AFrame->width,
                    AFrame->height);
  FPicture.Ready = true;
  return true;
}

int64_t TAVProbe::CurrentPTS(int64_t ANone) const {
  if (FPicture.PTS != AV_NOPTS_VALUE) return FPicture.PTS;
  return FLastPTS != AV_NOPTS_VALUE ? FLastPTS : ANone;
}

int64_t TAVProbe::FrameDuration(int AIndex) const {
  const int64_t d = engine::FrameRateToDuration(FFileHandle->streams[AIndex]->r_frame_rate);
  // A negative rate would turn every backward step into a forward one.
  return d > 0 ? d : 40000;
}

bool TAVProbe::DecodeNextKeyFrame(int AStreamIndex) {
  const int index = PrepareDecodeStream(AStreamIndex);
  if (index < 0) return false;
  const int64_t d = FrameDuration(index);
  const int64_t target = FPicture.PTS > 0 ? FPicture.PTS + d : d;
  if (!Seek(target, {})) return false;
  return Decode(index);
}

bool TAVProbe::DecodePreviousKeyFrame(int AStreamIndex) {
  const int index = PrepareDecodeStream(AStreamIndex);
  if (index < 0) return false;
  const int64_t d = FrameDuration(index);
  const int64_t cur =
      CurrentPTS(FFileHandle->duration != AV_NOPTS_VALUE ? FFileHandle->duration : 0);
  // Where the input stands after a seek does not tell where reading goes
  // on: demuxers that fetch each packet from its own offset (mp4) leave the
  // input wherever it was. So every step decodes the key frame it lands on
  // and judges by its time alone.
  for (int64_t h = 1;; ++h) {
    const int64_t back = h * d;
    const int64_t target = cur - back;
    Seek(target, {sfBackward});
    if (Decode(index)) {
      if (FPicture.PTS < cur || FPicture.PTS <= 0) return true;
      // From the start of the file on there is nothing earlier to find: the
      // first picture of the stream is not before the current one.
      if (target <= 0) break;
    } else if (cur < back) {
      break;
    }
  }
  FLastErrMsg = u"Could not seek to the previous key-frame. " + FLastErrMsg;
  return false;
}

bool TAVProbe::DecodePreviousFrame(int AStreamIndex) {
  const int index = PrepareDecodeStream(AStreamIndex);
  if (index < 0) return false;
  const int64_t d = FrameDuration(index);
  const int64_t target = CurrentPTS(0) - 2 * d;
  if (!DecodePreviousKeyFrame(index)) return false;
  for (;;) {
    if (target < FPicture.PTS) return true;
    if (!Decode(index)) return false;
  }
}

bool TAVProbe::CopyToBitmap(gdi::TBitmap& ABitmap) {
  if (!FPicture.Ready) {
    ReportMessage(AV_LOG_ERROR, "picture not ready, please decode first");
    return false;
  }
  const bool ok = engine::PictureToBitmap(FRGBContext, FPicture.Picture, FPicture.PixFmt,
                                          FPicture.Width, FPicture.Height);
  if (ok) {
    ABitmap.Assign(FRGBContext.Bitmap.get());
  } else {
    ABitmap.SetSize(FPicture.Width, FPicture.Height);
    gdi::TCanvas* canvas = ABitmap.Canvas();
    canvas->Brush()->SetColor(gdi::clBlack);
    canvas->Brush()->SetStyle(gdi::bsSolid);
    canvas->FillRect(canvas->ClipRect());
    ff::av_log(nullptr, AV_LOG_ERROR, "convert picture to bitmap failed\n");
  }
  return ok;
}

}  // namespace player
