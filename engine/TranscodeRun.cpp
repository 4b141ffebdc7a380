#include "engine/TranscodeRun.h"

#include <sched.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/AmrNbEncoder.h"
#include "engine/AudioOutput.h"
#include "engine/FFUtils.h"
#include "engine/FFmpeg.h"
#include "engine/FFmpegLoader.h"
#include "engine/TranscodeHooks.h"
#include "engine/TranscodePacketWriter.h"
#include "engine/VideoOutput.h"
#include "platform/rtl/Strings.h"

namespace engine {

namespace {

constexpr AVRational kMicro{1, 1000000};
// Decoding errors in a row after which a decoder being drained is given up.
constexpr int kMaxDrainErrors = 64;

std::string TypeText(int AType) { return rtl::U8(MediaTypeText(AType)); }

#if defined(__SANITIZE_THREAD__)
// ThreadSanitizer cannot see how the (uninstrumented) FFmpeg libraries
// synchronise their codec threads, and would report their work as races: a
// build made for it keeps one thread per codec.
constexpr bool kCodecThreadsSeen = false;
#else
constexpr bool kCodecThreadsSeen = true;
#endif

using i128 = __int128;
constexpr i128 kNoTs = static_cast<i128>(AV_NOPTS_VALUE);

// Timestamps between microseconds and a stream's time base, rounded to the
// nearest, in 128 bits.
i128 RoundDiv(i128 AValue, i128 ANum, i128 ADen) {
  if (ADen == 0) return AValue;
  const i128 p = AValue * ANum;
  return p >= 0 ? (p + ADen / 2) / ADen : -((-p + ADen / 2) / ADen);
}
i128 FromMicro128(i128 AMicro, AVRational ATimeBase) {
  return RoundDiv(AMicro, ATimeBase.den, static_cast<i128>(ATimeBase.num) * 1000000);
}
i128 ToMicro128(i128 AValue, AVRational ATimeBase) {
  return RoundDiv(AValue, static_cast<i128>(ATimeBase.num) * 1000000, ATimeBase.den);
}
// A timestamp is a 64-bit value other than the no-timestamp one.
bool Fits64(i128 AValue) { return AValue > INT64_MIN && AValue <= INT64_MAX; }
int64_t Clamp64(i128 AValue) {
  return AValue > INT64_MAX ? INT64_MAX : AValue < -INT64_MAX ? -INT64_MAX : static_cast<int64_t>(AValue);
}
i128 ScaleTs(i128 AValue, double AScale) {
  const double v = static_cast<double>(AValue) * AScale;
  return std::fabs(v) < 9.0e18 ? static_cast<i128>(std::llrint(v)) : kNoTs;
}

struct TInFile {
  i128 ts_discont = 0;  // microseconds added by timestamp discontinuities
  i128 last_ts = kNoTs;  // the last packet's dts (microseconds, on the output time line)
  int eof_reached = 0;
  int ist_index = 0;
  int nb_streams = 0;
};

struct TInStream : TAVInputStream {
  ~TInStream() {
    if (dec_ctx) ff::avcodec_free_context(&dec_ctx);
    if (frame) ff::av_frame_free(&frame);
  }
  int discard = 1;
  int64_t start = 0;
  int64_t next_pts = AV_NOPTS_VALUE;
  int64_t pts = 0;
  int is_start = 1;
  int is_past_recording_time = 0;
  int decoder_flushed = 0;
  int quality = 0;
  int64_t frame_duration = 0;  // microseconds the last decoded picture is shown
  AVFrame* frame = nullptr;
};

struct TOutStream : TAVOutputStream {
  ~TOutStream() {
    audio.reset();
    video.reset();
    port.reset();
    if (logfile) std::fclose(logfile);
  }
  TOutputStreamSetup* setup = nullptr;
  AVFormatContext* oc = nullptr;
  int source_index = -1;
  TInStream* sync_ist = nullptr;
  int64_t frame_number = 0;
  int show_fps = 1;
  bool stream_copy = false;
  FILE* logfile = nullptr;
  std::unique_ptr<TEncoderPort> port;
  std::unique_ptr<TAudioOutput> audio;
  std::unique_ptr<TVideoOutput> video;
  std::unique_ptr<TPacketWriter> writer;
  bool drained = false;
  bool first_group = true;  // its encoder is opened (join mode opens group 0 only)
};

// An attached picture (cover art) is never the source of a video stream.
bool IsCoverArt(const TInStream& AIst) { return (AIst.st->disposition & AV_DISPOSITION_ATTACHED_PIC) != 0; }

class TTranscodeRun {
 public:
  explicit TTranscodeRun(TCustomFFmpeg& AEngine) : E(AEngine) {}
  ~TTranscodeRun() { FreeStreamTables(); }
  bool Run();

 private:
  // set-up
  void BuildInputStreamTable();
  void BuildOutputStreamTable();
  void AssignOutputSources();
  void FindSourceStream(TOutStream& AOst, int AFile);
  void PrepareOutputStreams();
  void SetupOutputCodec(TOutStream& AOst, TInStream& AIst);
  void PrepareEncoding(int AIndex, TOutStream& AOst, TInStream& AIst);
  void OpenPassLogFile(int AIndex, TOutStream& AOst);
  void OpenEncoders();
  void OpenDecoders();
  void InitInputStreamTimestamps();
  void ApplyMetadataMaps();
  void CopyAllChapters();
  void WriteOutputHeaders();
  void CreateStages();
  void PrintStreamMapping();
  // Where input AFile ends on the output time line (microseconds), when its
  // duration is known; INT64_MAX otherwise.
  int64_t InputEnd(int AFile) const;
  // loop
  int ChooseInput();
  void HandlePacket(int AFile, AVPacket* APacket);
  int ProcessInputPacket(TInStream& AIst, int AIndex, const AVPacket* APacket);
  void OutputFrame(TInStream& AIst, int AIndex, AVFrame* AFrame);
  void OutputSubtitle(TInStream& AIst, int AIndex, AVSubtitle& ASub, int64_t APts);
  void CopyPacket(TOutStream& AOst, TInStream& AIst, const AVPacket* APacket);
  void DrainOutputs(int AIndex);
  void EndOfInput(int AFile, bool& AStopLoop);
  void ReportProgress(int AFileIndex, bool ALast);
  void WriteTrailers();
  void CheckEveryStreamWritten();
  bool AnyStreamWritten() const;
  std::string NothingToConvert(const TOutStream& AOst, const TInStream& AIst);
  void CloseCodecs();
  void FreeStreamTables();
  void Fail(const std::string& AText) {
    LogText(&E, llError, AText);
    throw FFmpegException(AText);
  }
  std::vector<AVFormatContext*> UniqueOutputs() const;
  int OutputCount() const { return E.Fnb_output_files; }
  TPacketSink SinkOf(TOutStream& AOst) {
    return [this, &AOst](AVPacket* p, AVRational tb) { AOst.writer->Write(p, tb); };
  }

  TCustomFFmpeg& E;
  std::vector<TInFile> FInFiles;
  std::vector<std::unique_ptr<TInStream>> FIst;
  std::vector<std::unique_ptr<TOutStream>> FOst;
  std::vector<uint8_t> FNoPacket;
  int FNoPacketCount = 0;
  int FGroupSize = 0;
  int64_t FTimerStart = 0;
  double FReportedTime = 0;
  int FCodecThreads = 1;  // per video decoder and encoder
  std::vector<uint8_t> FSubtitleBuffer;
  AVPacket* FPkt = nullptr;
};

// ---------------------------------------------------------------------------
// Set-up

void TTranscodeRun::BuildInputStreamTable() {
  int count = 0;
  FInFiles.resize(static_cast<size_t>(E.Fnb_input_files));
  for (int i = 0; i < E.Fnb_input_files; ++i) {
    FInFiles[i].ist_index = count;
    FInFiles[i].nb_streams = static_cast<int>(E.Finput_files[i]->nb_streams);
    count += FInFiles[i].nb_streams;
  }
  for (int i = 0; i < E.Fnb_input_files; ++i)
    for (int k = 0; k < FInFiles[i].nb_streams; ++k) {
      auto ist = std::make_unique<TInStream>();
      ist->st = E.Finput_files[i]->streams[k];
      ist->file_index = i;
      ist->index = k;
      if (E.Frate_emu) ist->start = ff::av_gettime();
      FIst.push_back(std::move(ist));
    }
}

void TTranscodeRun::BuildOutputStreamTable() {
  int total = 0;
  for (int i = 0; i < OutputCount(); ++i) {
    TOutputFile* f = E.OutputFile(i);
    const int n = f ? static_cast<int>(f->streams.size()) : 0;
    if (n == 0) {
      if (f && f->ctx) ff::av_dump_format(f->ctx, i, f->ctx->url, 1);
      throw FFmpegException(FormatText("Output file #%d does not contain any stream", i));
    }
    if (i == 0) FGroupSize = n;
    total += n;
  }
  if (E.Fnb_stream_maps > 0 && E.Fnb_stream_maps != total)
    throw FFmpegException(std::string("Number of stream maps must match number of output streams"));
  for (int m = 0; m < E.Fnb_stream_maps; ++m) {
    const TAVStreamMap& map = E.Fstream_maps[m];
    if (map.file_index < 0 || map.file_index >= E.Fnb_input_files || map.stream_index < 0 ||
        map.stream_index >= FInFiles[map.file_index].nb_streams)
      throw FFmpegException(FormatText("Could not find input stream #%d.%d", map.file_index, map.stream_index));
    if (map.sync_file_index < 0 || map.sync_file_index >= E.Fnb_input_files || map.sync_stream_index < 0 ||
        map.sync_stream_index >= FInFiles[map.sync_file_index].nb_streams)
      throw FFmpegException(
          FormatText("Could not find sync stream #%d.%d", map.sync_file_index, map.sync_stream_index));
  }
  AssignOutputSources();
  PrepareOutputStreams();
}

void TTranscodeRun::AssignOutputSources() {
  int k = 0;
  for (int i = 0; i < OutputCount(); ++i) {
    TOutputFile* f = E.OutputFile(i);
    for (size_t j = 0; j < f->streams.size(); ++j, ++k) {
      auto ost = std::make_unique<TOutStream>();
      ost->file_index = i;
      ost->index = static_cast<int>(j);
      ost->setup = f->streams[j].get();
      ost->st = ost->setup->st;
      ost->oc = f->ctx;
      ost->stream_copy = ost->setup->stream_copy;
      ost->first_group = !E.FJoinMode || k < FGroupSize;
      if (E.Fnb_stream_maps > 0) {
        const TAVStreamMap& map = E.Fstream_maps[k];
        ost->source_index = FInFiles[map.file_index].ist_index + map.stream_index;
        const int itype = FIst[ost->source_index]->st->codecpar->codec_type;
        if (itype != ost->setup->type) {
          ff::av_dump_format(f->ctx, i, f->ctx->url, 1);
          throw FFmpegException(FormatText("Codec type mismatch for mapping #%d.%d (%s) -> #%d.%d (%s)",
                                           map.file_index, map.stream_index, TypeText(itype).c_str(), i,
                                           static_cast<int>(j), TypeText(ost->setup->type).c_str()));
        }
        ost->sync_ist = FIst[FInFiles[map.sync_file_index].ist_index + map.sync_stream_index].get();
      } else {
        FindSourceStream(*ost, i);
        ost->sync_ist = FIst[ost->source_index].get();
      }
      FIst[ost->source_index]->discard = 0;
      ost->show_fps = 1;
      FOst.push_back(std::move(ost));
    }
  }
}

void TTranscodeRun::FindSourceStream(TOutStream& AOst, int AFile) {
  const int type = AOst.setup->type;
  // FFmpeg 5.1 keeps the count of analysed frames private: the stream that
  // av_find_best_stream prefers in its file ranks first, the others follow
  // in table order.
  std::vector<int> best(FInFiles.size(), -1);
  for (size_t f = 0; f < FInFiles.size(); ++f)
    best[f] = ff::av_find_best_stream(E.Finput_files[f], static_cast<AVMediaType>(type), -1, -1, nullptr, 0);
  auto excluded = [&](const TInStream& ist) {
    if (E.Fopt_programid == 0) return false;
    AVFormatContext* ic = E.Finput_files[ist.file_index];
    for (unsigned p = 0; p < ic->nb_programs; ++p) {
      if (ic->programs[p]->id != E.Fopt_programid) continue;
      for (unsigned s = 0; s < ic->programs[p]->nb_stream_indexes; ++s)
        if (static_cast<int>(ic->programs[p]->stream_index[s]) == ist.index) return false;
    }
    return true;
  };
  int found = -1, score = -1;
  for (size_t j = 0; j < FIst.size(); ++j) {
    const TInStream& ist = *FIst[j];
    if (!ist.discard || ist.st->discard == AVDISCARD_ALL || excluded(ist) || IsCoverArt(ist) ||
        ist.st->codecpar->codec_type != type || (E.FJoinMode && ist.file_index != AFile))
      continue;
    const int s = best[ist.file_index] == ist.index ? 1 : 0;
    if (s > score) {
      score = s;
      found = static_cast<int>(j);
    }
  }
  if (found < 0 && E.Fopt_programid == 0 && !E.FJoinMode)
    for (size_t j = 0; j < FIst.size(); ++j)
      if (FIst[j]->st->codecpar->codec_type == type && FIst[j]->st->discard != AVDISCARD_ALL && !IsCoverArt(*FIst[j]))
        found = static_cast<int>(j);
  if (found < 0) {
    ff::av_dump_format(AOst.oc, AOst.file_index, AOst.oc->url, 1);
    throw FFmpegException(FormatText("Could not find input stream matching output stream #%d.%d (%s)",
                                     AOst.file_index, AOst.index, TypeText(type).c_str()));
  }
  AOst.source_index = found;
}

void TTranscodeRun::PrepareOutputStreams() {
  for (size_t i = 0; i < FOst.size(); ++i) {
    TOutStream& ost = *FOst[i];
    TInStream& ist = *FIst[ost.source_index];
    ff::av_dict_copy(&ost.st->metadata, ist.st->metadata, AV_DICT_DONT_OVERWRITE);
    ost.st->disposition = ist.st->disposition;
    AVCodecContext* enc = ost.setup->enc;
    enc->bits_per_raw_sample = ist.st->codecpar->bits_per_raw_sample;
    enc->chroma_sample_location = ist.st->codecpar->chroma_location;
    if (ost.stream_copy)
      SetupOutputCodec(ost, ist);
    else
      PrepareEncoding(static_cast<int>(i), ost, ist);
    // A container that cannot hold the codec fails here, by name, instead of
    // leaving a file that nothing plays.
    const AVCodecID id = ost.stream_copy ? ist.st->codecpar->codec_id : enc->codec_id;
    const AVOutputFormat* of = ost.oc->oformat;
    if (id != AV_CODEC_ID_NONE && ff::avformat_query_codec(of, id, FF_COMPLIANCE_NORMAL) == 0)
      throw FFmpegException(FormatText("The %s container does not support the %s codec", of->name,
                                       ff::avcodec_get_name(id)));
  }
}

void TTranscodeRun::SetupOutputCodec(TOutStream& AOst, TInStream& AIst) {
  const AVCodecParameters* ipar = AIst.st->codecpar;
  if (static_cast<int64_t>(ipar->extradata_size) + AV_INPUT_BUFFER_PADDING_SIZE > INT32_MAX)
    throw FFmpegException(std::string("icodec.extradata_size is invalid (too large)"));
  AVCodecParameters* par = AOst.st->codecpar;
  const uint32_t tag = par->codec_tag;
  if (ff::avcodec_parameters_copy(par, ipar) < 0) throw FFmpegException(std::string("av_mallocz fail"));
  par->codec_tag = tag;
  if (!tag) {
    const AVCodecTag* const* table = AOst.oc->oformat->codec_tag;
    if (!table || ff::av_codec_get_id(table, ipar->codec_tag) == ipar->codec_id ||
        ff::av_codec_get_tag(table, ipar->codec_id) == 0)
      par->codec_tag = ipar->codec_tag;
  }
  AOst.st->time_base = AIst.st->time_base;
  AOst.st->avg_frame_rate = AIst.st->avg_frame_rate;
  switch (par->codec_type) {
    case AVMEDIA_TYPE_VIDEO:
      if (E.FOnCustomHook)
        throw FFmpegException(std::string("-vcodec copy and CustomHook are incompatible (frames are not decoded)"));
      if (E.Fusing_vhook)
        throw FFmpegException(std::string("-vcodec copy and -vhook are incompatible (frames are not decoded)"));
      if (E.PostHooks().Bits)
        throw FFmpegException(std::string("-vcodec copy and PostHooks are incompatible (frames are not decoded)"));
      AOst.st->sample_aspect_ratio = AIst.st->sample_aspect_ratio;
      // Copied pictures are not turned: the output keeps how to show them.
      {
        size_t size = 0;
        const uint8_t* m = ff::av_stream_get_side_data(AIst.st, AV_PKT_DATA_DISPLAYMATRIX, &size);
        if (m && size) {
          uint8_t* copy = ff::av_stream_new_side_data(AOst.st, AV_PKT_DATA_DISPLAYMATRIX, size);
          if (copy) std::memcpy(copy, m, size);
        }
      }
      break;
    case AVMEDIA_TYPE_AUDIO:
      if (E.Faudio_volume != 256)
        throw FFmpegException(std::string("-acodec copy and -vol are incompatible (frames are not decoded)"));
      if ((par->block_align == 1 && par->codec_id == AV_CODEC_ID_MP3) || par->codec_id == AV_CODEC_ID_AC3)
        par->block_align = 0;
      break;
    case AVMEDIA_TYPE_SUBTITLE:
      break;
    default:
      throw FFmpegException(std::string("invalid codec_type of output stream"));
  }
}

void TTranscodeRun::PrepareEncoding(int AIndex, TOutStream& AOst, TInStream& AIst) {
  AVCodecContext* enc = AOst.setup->enc;
  const AVCodecParameters* ipar = AIst.st->codecpar;
  switch (AOst.setup->type) {
    case AVMEDIA_TYPE_AUDIO:
      AIst.decoding_needed = 1;
      AOst.encoding_needed = 1;
      break;
    case AVMEDIA_TYPE_VIDEO: {
      if (enc->pix_fmt == AV_PIX_FMT_NONE)
        throw FFmpegException(std::string("Video pixel format is unknown, stream cannot be encoded"));
      // Opening the file decoded no picture of the stream (no data, or none
      // that decodes): nothing tells what its pictures are.
      if (ipar->format == AV_PIX_FMT_NONE || ipar->width <= 0 || ipar->height <= 0)
        throw FFmpegException(NothingToConvert(AOst, AIst));
      // Sizes are those of the picture turned upright.
      TVideoFilterParams turned;
      turned.in_w = ipar->width;
      turned.in_h = ipar->height;
      turned.rotation = DisplayRotation(AIst.st);
      int tw = 0, th = 0;
      TurnedSize(turned, tw, th);
      const int cw = tw - (E.Fframe_leftBand + E.Fframe_rightBand);
      const int ch = th - (E.Fframe_topBand + E.Fframe_bottomBand);
      if (enc->width <= 0 || enc->height <= 0) {
        enc->width = cw;
        enc->height = ch;
      }
      AVRational isar = ipar->sample_aspect_ratio;
      if (tw != ipar->width) std::swap(isar.num, isar.den);
      if (enc->sample_aspect_ratio.num == 0 && isar.num > 0 && isar.den > 0 && enc->width == cw && enc->height == ch)
        enc->sample_aspect_ratio = AOst.st->sample_aspect_ratio = isar;
      // The output shows the turned pictures as they are.
      if (turned.rotation != 0) ff::av_dict_set(&AOst.st->metadata, "rotate", nullptr, 0);
      if (E.FEnableFilter && !E.Fvfilters.empty()) {
        // The user's chain may change the size: the encoder takes the sink's.
        TVideoFilterParams g;
        g.in_w = ipar->width;
        g.in_h = ipar->height;
        g.rotation = turned.rotation;
        g.in_fmt = static_cast<AVPixelFormat>(ipar->format);
        g.crop_top = E.Fframe_topBand;
        g.crop_bottom = E.Fframe_bottomBand;
        g.crop_left = E.Fframe_leftBand;
        g.crop_right = E.Fframe_rightBand;
        g.out_w = enc->width;
        g.out_h = enc->height;
        g.out_fmt = enc->pix_fmt;
        g.sws_flags = E.Fsws_flags;
        g.user_filters = rtl::U8(E.Fvfilters);
        TVideoFilterGraph graph;
        std::string err;
        if (!graph.Build(g, err))
          throw FFmpegException(err.empty() ? std::string("Error opening filters!") : "Error opening filters: " + err);
        enc->width = graph.OutWidth();
        enc->height = graph.OutHeight();
      }
      AIst.decoding_needed = 1;
      AOst.encoding_needed = 1;
      break;
    }
    case AVMEDIA_TYPE_SUBTITLE:
      AIst.decoding_needed = 1;
      AOst.encoding_needed = 1;
      break;
    default:
      throw FFmpegException(std::string("invalid codec_type of output stream"));
  }
  if (AOst.encoding_needed && (enc->flags & (AV_CODEC_FLAG_PASS1 | AV_CODEC_FLAG_PASS2)))
    OpenPassLogFile(AIndex, AOst);
}

void TTranscodeRun::OpenPassLogFile(int AIndex, TOutStream& AOst) {
  std::string name = (E.Fpass_logfilename_prefix.empty() ? std::string("ffmpeg2pass") : E.Fpass_logfilename_prefix) +
                     "-" + std::to_string(AIndex) + ".log";
  if (name.size() > 1023) name.resize(1023);
  AVCodecContext* enc = AOst.setup->enc;
  if (enc->flags & AV_CODEC_FLAG_PASS1) {
    AOst.logfile = std::fopen(name.c_str(), "wb");
    if (!AOst.logfile) throw FFmpegException(FormatText("Cannot write log file %s for pass-1 encoding", name.c_str()));
    return;
  }
  uint8_t* buf = nullptr;
  int size = 0;
  const int r = ReadFileToBuffer(name, buf, size);
  if (r == -12)
    throw FFmpegException(FormatText(
        "Could not allocate file buffer: Error reading log file \"%s\" for pass-2 encoding", name.c_str()));
  if (r < 0)
    throw FFmpegException(FormatText("Cannot read file: Error reading log file \"%s\" for pass-2 encoding", name.c_str()));
  ff::av_freep(&enc->stats_in);
  enc->stats_in = reinterpret_cast<char*>(buf);
}

void TTranscodeRun::OpenEncoders() {
  for (size_t i = 0; i < FOst.size(); ++i) {
    TOutStream& ost = *FOst[i];
    if (!ost.encoding_needed || !ost.first_group) continue;
    AVCodecContext* enc = ost.setup->enc;
    const std::string type = TypeText(ost.setup->type);
    if (ost.setup->own_amrnb) {
      // Narrow-band speech through the engine's own encoder.
      enc->sample_rate = AmrNbSampleRate;
      enc->sample_fmt = AV_SAMPLE_FMT_S16;
      enc->frame_size = AmrNbFrameSize;
      enc->time_base = AVRational{1, AmrNbSampleRate};
      const int64_t rate = enc->bit_rate > 0 ? enc->bit_rate : 12200;
      try {
        ost.port = std::make_unique<TAmrNbEncoder>(rate);
      } catch (const rtl::Exception& e) {
        PrintStreamMapping();
        Fail(FormatText("Error while opening encoder for output stream #%d.%d (%s) - %s", ost.file_index,
                        ost.index, type.c_str(), rtl::U8(e.Message()).c_str()));
      }
      enc->bit_rate = AmrNbBitRateOfMode(static_cast<TAmrNbEncoder*>(ost.port.get())->Mode());
      AVCodecParameters* par = ost.st->codecpar;
      par->codec_type = AVMEDIA_TYPE_AUDIO;
      par->codec_id = AV_CODEC_ID_AMR_NB;
      par->sample_rate = AmrNbSampleRate;
      par->frame_size = AmrNbFrameSize;
      par->bit_rate = enc->bit_rate;
      par->format = AV_SAMPLE_FMT_S16;
      ff::av_channel_layout_uninit(&par->ch_layout);
      ff::av_channel_layout_default(&par->ch_layout, 1);
      ff::av_channel_layout_uninit(&enc->ch_layout);
      ff::av_channel_layout_default(&enc->ch_layout, 1);
      ost.st->time_base = enc->time_base;
      continue;
    }
    const AVCodec* codec = i < E.Foutput_codecs.size() ? E.Foutput_codecs[i] : nullptr;
    if (!codec) codec = ost.setup->codec;
    if (!codec) codec = ff::avcodec_find_encoder(enc->codec_id);
    if (!codec) {
      PrintStreamMapping();
      Fail(FormatText("Encoder (codec id %d) not found for output stream #%d.%d (%s)", enc->codec_id,
                      ost.file_index, ost.index, type.c_str()));
    }
    if (ost.setup->type == AVMEDIA_TYPE_SUBTITLE) {
      const AVCodecParameters* ipar = FIst[ost.source_index]->st->codecpar;
      enc->time_base = kMicro;
      if (enc->width <= 0) enc->width = ipar->width;
      if (enc->height <= 0) enc->height = ipar->height;
      // Text subtitle encoders start from the decoder's style header.
      if (ipar->extradata_size > 0 && !enc->subtitle_header) {
        enc->subtitle_header = static_cast<uint8_t*>(ff::av_mallocz(ipar->extradata_size + 1));
        if (enc->subtitle_header) {
          std::memcpy(enc->subtitle_header, ipar->extradata, ipar->extradata_size);
          enc->subtitle_header_size = ipar->extradata_size;
        }
      }
    }
    if (ost.setup->type == AVMEDIA_TYPE_VIDEO && FCodecThreads > 1) {
      enc->thread_count = FCodecThreads;
      enc->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    }
    int r;
    {
      std::lock_guard<std::recursive_mutex> g(CodecLock);
      r = ff::avcodec_open2(enc, codec, nullptr);
      if (r >= 0) {
        ost.enc_ctx = enc;
        TCustomFFmpeg::AddCodecItem(E.FEncoderList, &ost);
      }
    }
    if (r < 0) {
      PrintStreamMapping();
      Fail(FormatText("Error while opening encoder for output stream #%d.%d (%s) - maybe incorrect parameters such "
                      "as bit_rate, rate, width or height. Please check error log message to find out more detail "
                      "information.",
                      ost.file_index, ost.index, type.c_str()));
    }
    E.Fextra_size += enc->extradata_size;
    ff::avcodec_parameters_from_context(ost.st->codecpar, enc);
    ost.st->time_base = enc->time_base;
    if (ost.setup->type == AVMEDIA_TYPE_VIDEO) ost.st->avg_frame_rate = enc->framerate;
    ost.port = std::make_unique<TAVCodecPort>(enc);
  }
  // Streams of later join groups take the parameters of group 0.
  for (size_t i = 0; i < FOst.size(); ++i)
    if (!FOst[i]->first_group && FGroupSize > 0) {
      TOutStream& ost = *FOst[i];
      TOutStream& first = *FOst[i % FGroupSize];
      ost.port.reset();
      ost.enc_ctx = first.enc_ctx;
    }
}

void TTranscodeRun::OpenDecoders() {
  for (size_t i = 0; i < FIst.size(); ++i) {
    TInStream& ist = *FIst[i];
    if (!ist.decoding_needed) continue;
    const AVCodecParameters* par = ist.st->codecpar;
    const std::string type = TypeText(par->codec_type);
    const AVCodec* codec = i < E.Finput_codecs.size() ? E.Finput_codecs[i] : nullptr;
    if (!codec) codec = ff::avcodec_find_decoder(par->codec_id);
    if (!codec) {
      PrintStreamMapping();
      Fail(FormatText("Decoder (codec id %d) not found for input stream #%d.%d (%s)", par->codec_id, ist.file_index,
                      ist.index, type.c_str()));
    }
    ist.dec_ctx = ff::avcodec_alloc_context3(codec);
    ist.frame = ff::av_frame_alloc();
    if (!ist.dec_ctx || !ist.frame || ff::avcodec_parameters_to_context(ist.dec_ctx, par) < 0)
      throw FFmpegException(std::string("av_mallocz fail"));
    ist.dec_ctx->pkt_timebase = ist.st->time_base;
    if (par->codec_type == AVMEDIA_TYPE_VIDEO && FCodecThreads > 1) ist.dec_ctx->thread_count = FCodecThreads;
    AVDictionary* opts = nullptr;
    if (i < E.Finput_decoder_opts.size())
      for (const auto& [name, value] : E.Finput_decoder_opts[i]) ff::av_dict_set(&opts, name.c_str(), value.c_str(), 0);
    int r;
    {
      std::lock_guard<std::recursive_mutex> g(CodecLock);
      r = ff::avcodec_open2(ist.dec_ctx, codec, &opts);
      ff::av_dict_free(&opts);
      if (r >= 0) TCustomFFmpeg::AddCodecItem(E.FDecoderList, &ist);
    }
    if (r < 0) {
      PrintStreamMapping();
      Fail(FormatText("Error while opening decoder for input stream #%d.%d (%s)", ist.file_index, ist.index,
                      type.c_str()));
    }
  }
}

void TTranscodeRun::InitInputStreamTimestamps() {
  for (auto& p : FIst) {
    TInStream& ist = *p;
    const AVRational fr = ist.st->avg_frame_rate;
    const int delay = ist.dec_ctx ? ist.dec_ctx->has_b_frames : ist.st->codecpar->video_delay;
    ist.pts = fr.num ? -std::llrint(delay * 1000000.0 / av_q2d(fr)) : 0;
    ist.next_pts = AV_NOPTS_VALUE;
    ist.is_start = 1;
  }
}

void TTranscodeRun::ApplyMetadataMaps() {
  for (int m = 0; m < E.Fnb_meta_data_maps; ++m) {
    const TAVMetaDataMap& map = E.Fmeta_data_maps[m];
    if (map.out_file < 0 || map.out_file >= OutputCount()) {
      PrintStreamMapping();
      Fail(FormatText("Invalid output file index %d map_meta_data(%d,%d)", map.out_file, map.out_file, map.in_file));
    }
    if (map.in_file < 0 || map.in_file >= E.Fnb_input_files) {
      PrintStreamMapping();
      Fail(FormatText("Invalid input file index %d map_meta_data(%d,%d)", map.in_file, map.out_file, map.in_file));
    }
    ff::av_dict_copy(&E.Foutput_files[map.out_file]->metadata, E.Finput_files[map.in_file]->metadata,
                     AV_DICT_DONT_OVERWRITE);
  }
}

void TTranscodeRun::CopyAllChapters() {
  for (int i = 0; i < E.Fnb_input_files; ++i) {
    AVFormatContext* is = E.Finput_files[i];
    if (!is->nb_chapters) continue;
    for (int j = 0; j < OutputCount(); ++j) {
      AVFormatContext* os = E.Foutput_files[j];
      for (unsigned c = 0; c < is->nb_chapters; ++c) {
        const AVChapter* in = is->chapters[c];
        const int64_t offset = ff::av_rescale_q(E.Fstart_time - E.Finput_files_ts_offset[i], kMicro, in->time_base);
        const int64_t limit = E.Frecording_time == INT64_MAX
                                  ? INT64_MAX
                                  : ff::av_rescale_q(E.Frecording_time, kMicro, in->time_base);
        if (in->end < offset) continue;
        if (limit != INT64_MAX && in->start > limit + offset) break;
        auto* out = static_cast<AVChapter*>(ff::av_mallocz(sizeof(AVChapter)));
        if (!out) throw FFmpegException(std::string("av_mallocz fail"));
        out->id = in->id;
        out->time_base = in->time_base;
        out->start = std::max<int64_t>(0, in->start - offset);
        out->end = std::min(limit, in->end - offset);
        ff::av_dict_copy(&out->metadata, in->metadata, 0);
        auto* table = static_cast<AVChapter**>(
            ff::av_realloc(os->chapters, sizeof(AVChapter*) * (os->nb_chapters + 1)));
        if (!table) {
          ff::av_dict_free(&out->metadata);
          ff::av_free(out);
          throw FFmpegException(std::string("av_realloc fail"));
        }
        os->chapters = table;
        os->chapters[os->nb_chapters++] = out;
      }
    }
  }
}

std::vector<AVFormatContext*> TTranscodeRun::UniqueOutputs() const {
  std::vector<AVFormatContext*> r;
  for (int i = 0; i < OutputCount(); ++i)
    if (E.Foutput_files[i] && std::find(r.begin(), r.end(), E.Foutput_files[i]) == r.end())
      r.push_back(E.Foutput_files[i]);
  return r;
}

void TTranscodeRun::WriteOutputHeaders() {
  const std::vector<AVFormatContext*> outs = UniqueOutputs();
  for (size_t i = 0; i < outs.size(); ++i) {
    AVDictionary* opts = nullptr;
    TOutputFile* f = E.OutputFile(static_cast<int>(i));
    if (f && f->muxer_opts) ff::av_dict_copy(&opts, f->muxer_opts, 0);
    const int r = ff::avformat_write_header(outs[i], &opts);
    ff::av_dict_free(&opts);
    if (r < 0) {
      PrintStreamMapping();
      // Most refusals are a codec the container cannot hold: name them all.
      std::string codecs;
      for (unsigned k = 0; k < outs[i]->nb_streams; ++k)
        codecs += std::string(k ? ", " : "") + ff::avcodec_get_name(outs[i]->streams[k]->codecpar->codec_id);
      Fail(ErrorText(FormatText("Could not write header for output file #%d (incorrect codec parameters ?) - "
                                "the %s container with %s",
                                static_cast<int>(i), outs[i]->oformat->name, codecs.c_str()),
                     r));
    }
  }
  bool allRtp = !outs.empty();
  for (AVFormatContext* oc : outs) allRtp = allRtp && std::strcmp(oc->oformat->name, "rtp") == 0;
  if (allRtp) {
    char sdp[2048] = {};
    ff::av_sdp_create(const_cast<AVFormatContext**>(outs.data()), static_cast<int>(outs.size()), sdp, sizeof sdp);
    std::string text(sdp);
    const auto b = text.find_first_not_of(" \t\r\n");
    const auto e = text.find_last_not_of(" \t\r\n");
    text = b == std::string::npos ? std::string() : text.substr(b, e - b + 1);
    LogText(&E, llInfo, "SDP:\r\n" + text);
  }
}

void TTranscodeRun::CreateStages() {
  for (size_t i = 0; i < FOst.size(); ++i) {
    TOutStream& ost = *FOst[i];
    const AVCodecContext* enc = ost.setup->enc;
    ost.writer = std::make_unique<TPacketWriter>(
        ost.oc, ost.st, ost.setup->bitstream_filters,
        ost.stream_copy ? "copy" : (enc->codec ? enc->codec->name : ff::avcodec_get_name(enc->codec_id)),
        E.Fexit_on_error, &E);
  }
  for (size_t i = 0; i < FOst.size(); ++i) {
    TOutStream& ost = *FOst[i];
    if (!ost.encoding_needed) continue;
    // Later join groups feed the encoders of group 0.
    TOutStream& owner = ost.first_group ? ost : *FOst[i % FGroupSize];
    AVCodecContext* enc = owner.setup->enc;
    TInStream& ist = *FIst[ost.source_index];
    TPacketSink sink = [this, &owner](AVPacket* p, AVRational tb) { owner.writer->Write(p, tb); };
    if (ost.setup->type == AVMEDIA_TYPE_AUDIO) {
      if (!ost.first_group) continue;
      TAudioOutputParams p = AudioParamsFromEncoder(enc, E.Faudio_sync_method, E.Faudio_drift_threshold);
      if (ost.setup->own_amrnb) {
        p.frame_size = AmrNbFrameSize;
        p.small_last_frame = false;
      }
      p.resample = E.Faudio_sync_method > 1 || enc->sample_rate != ist.st->codecpar->sample_rate;
      p.exit_on_error = E.Fexit_on_error;
      p.verbose = E.Fverbose;
      ost.audio = std::make_unique<TAudioOutput>(p, *ost.port, sink, &E);
    } else if (ost.setup->type == AVMEDIA_TYPE_VIDEO) {
      if (!ost.first_group) continue;
      const AVCodecParameters* ipar = ist.st->codecpar;
      TVideoOutputParams p;
      p.sync_method = E.Fvideo_sync_method;
      p.variable_fps = (ost.oc->oformat->flags & AVFMT_VARIABLE_FPS) != 0;
      p.enc_tb = enc->time_base;
      p.start_time = E.Fstart_time;
      p.max_frames = E.Fmax_frames[AVMEDIA_TYPE_VIDEO];
      if (E.Frecording_time != INT64_MAX) p.end_time = E.Frecording_time + E.Fstart_time;
      p.end_time = std::min(p.end_time, InputEnd(ist.file_index));
      p.quality = (enc->flags & AV_CODEC_FLAG_QSCALE) ? enc->global_quality : 0;
      p.interlaced = (enc->flags & (AV_CODEC_FLAG_INTERLACED_DCT | AV_CODEC_FLAG_INTERLACED_ME)) != 0;
      p.top_field_first = E.Ftop_field_first;
      p.me_threshold = E.Fme_threshold;
      p.verbose = E.Fverbose;
      p.pass_log = ost.logfile;
      p.enc = const_cast<AVCodecContext*>(enc);
      TVideoFilterParams g;
      g.in_w = ipar->width;
      g.in_h = ipar->height;
      g.in_fmt = static_cast<AVPixelFormat>(ipar->format);
      g.in_sar = ipar->sample_aspect_ratio;
      g.rotation = DisplayRotation(ist.st);
      g.crop_top = E.Fframe_topBand;
      g.crop_bottom = E.Fframe_bottomBand;
      g.crop_left = E.Fframe_leftBand;
      g.crop_right = E.Fframe_rightBand;
      g.out_w = enc->width;
      g.out_h = enc->height;
      g.out_fmt = enc->pix_fmt;
      g.sws_flags = E.Fsws_flags;
      if (E.FEnableFilter) g.user_filters = rtl::U8(E.Fvfilters);
      ost.video = std::make_unique<TVideoOutput>(p, g, *ost.port, sink, &E, [this] { return E.CheckPause(); });
      // A preview names the pictures pre-processed so far and the time of the
      // frame the encoder coded.
      TVideoOutput* video = ost.video.get();
      ost.video->OnEncoded = [this, video](const AVFrame* APicture, int64_t) {
        if (E.PostHooks().Bits)
          RunPostHooks(E, APicture, E.FHookFrameNumber,
                       video->LastCodedPtsUs != INT64_MIN ? video->LastCodedPtsUs : 0);
      };
    }
  }
}

int64_t TTranscodeRun::InputEnd(int AFile) const {
  // Joined inputs follow each other: no single input ends the output.
  if (E.FJoinMode) return INT64_MAX;
  const AVFormatContext* ic = E.Finput_files[AFile];
  // A duration guessed from the bit rate is no end to hold the output to.
  if (ic->duration == AV_NOPTS_VALUE || ic->duration <= 0 ||
      ic->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE)
    return INT64_MAX;
  const i128 end = static_cast<i128>(ic->start_time != AV_NOPTS_VALUE ? ic->start_time : 0) + ic->duration +
                   E.Finput_files_ts_offset[AFile];
  return end >= INT64_MAX ? INT64_MAX : static_cast<int64_t>(std::max<i128>(end, 0));
}

void TTranscodeRun::PrintStreamMapping() {
  const std::vector<AVFormatContext*> outs = UniqueOutputs();
  for (size_t i = 0; i < outs.size(); ++i) ff::av_dump_format(outs[i], static_cast<int>(i), outs[i]->url, 1);
  if (E.Fverbose < 0) return;
  LogText(&E, llVerbose, "Stream mapping:");
  for (auto& p : FOst) {
    const TOutStream& ost = *p;
    if (ost.source_index < 0) continue;
    const TInStream& src = *FIst[ost.source_index];
    const std::string type = TypeText(ost.setup->type);
    LogText(&E, llVerbose,
            FormatText("  Stream #%d.%d -> #%d.%d (%s)", src.file_index, src.index, E.FJoinMode ? 0 : ost.file_index,
                       ost.index, type.c_str()));
    if (ost.sync_ist && ost.sync_ist != &src)
      LogText(&E, llVerbose,
              FormatText(" [sync #%d.%d (%s)]", ost.sync_ist->file_index, ost.sync_ist->index, type.c_str()));
  }
}

// ---------------------------------------------------------------------------
// Loop

int TTranscodeRun::ChooseInput() {
  double outMin = 1.0e100, inMin = 1.0e100;
  int file = -1;
  for (auto& p : FOst) {
    TOutStream& ost = *p;
    TInStream& ist = *FIst[ost.source_index];
    if (ist.is_past_recording_time || FNoPacket[ist.file_index]) continue;
    const double opts = ost.writer ? ost.writer->OutputTime() : 0;
    const double ipts = static_cast<double>(ist.pts);
    if (!FInFiles[ist.file_index].eof_reached) {
      if (ipts < inMin) {
        inMin = ipts;
        if (E.Finput_sync) file = ist.file_index;
      }
      if (opts < outMin) {
        outMin = opts;
        if (!E.Finput_sync) file = ist.file_index;
      }
    }
    const int type = ost.setup->type;
    const int64_t written = ost.video ? ost.video->frame_number : ost.frame_number;
    if (type >= 0 && type < 4 && E.Fmax_frames[type] <= written) return -1;
  }
  return file;
}

void TTranscodeRun::HandlePacket(int AFile, AVPacket* APacket) {
  if (E.Fdo_pkt_dump)
    ff::av_pkt_dump_log2(nullptr, AV_LOG_DEBUG, APacket, E.Fdo_hex_dump,
                         E.Finput_files[AFile]->streams[APacket->stream_index]);
  if (APacket->stream_index >= FInFiles[AFile].nb_streams) return;
  const int index = FInFiles[AFile].ist_index + APacket->stream_index;
  TInStream& ist = *FIst[index];
  if (ist.discard) return;
  // Timestamps are worked in 128 bits: a file whose timestamps jump near the
  // ends of the 64-bit range has a discontinuity, not a wrap.
  const AVRational tb = ist.st->time_base;
  TInFile& file = FInFiles[ist.file_index];
  const i128 offset = FromMicro128(E.Finput_files_ts_offset[ist.file_index] + file.ts_discont, tb);
  i128 dts = APacket->dts != AV_NOPTS_VALUE ? APacket->dts + offset : kNoTs;
  i128 pts = APacket->pts != AV_NOPTS_VALUE ? APacket->pts + offset : kNoTs;
  if (APacket->stream_index < MAX_STREAMS) {
    const double scale = E.Finput_files_ts_scale[AFile][APacket->stream_index];
    if (scale != 0.0) {
      if (pts != kNoTs) pts = ScaleTs(pts, scale);
      if (dts != kNoTs) dts = ScaleTs(dts, scale);
    }
  }
  // A timestamp that is no time the run can hold in microseconds (granule
  // positions near the 64-bit limit) is garbage: the packet is timed by its
  // predecessors instead, and it starts no discontinuity.
  if (dts != kNoTs && !Fits64(ToMicro128(dts, tb))) dts = kNoTs;
  if (pts != kNoTs && !Fits64(ToMicro128(pts, tb))) pts = kNoTs;
  const bool discontinuous = (E.Finput_files[AFile]->iformat->flags & AVFMT_TS_DISCONT) != 0 && !E.Fcopy_ts;
  const i128 limit = static_cast<i128>(E.Fdts_delta_threshold * 1000000.0);
  auto shift = [&](i128 ADelta) {
    file.ts_discont -= ADelta;
    if (E.Fverbose > 2)
      LogText(&E, llVerbose,
              FormatText("timestamp discontinuity %lld, new offset= %lld", static_cast<long long>(Clamp64(ADelta)),
                         static_cast<long long>(Clamp64(E.Finput_files_ts_offset[ist.file_index] + file.ts_discont))));
    const i128 d = FromMicro128(ADelta, tb);
    dts -= d;
    if (pts != kNoTs) pts -= d;
  };
  if (dts != kNoTs && discontinuous) {
    const i128 dtsUs = ToMicro128(dts, tb);
    if (ist.next_pts != AV_NOPTS_VALUE) {
      const i128 delta = dtsUs - ist.next_pts;
      if ((delta < 0 ? -delta : delta) > limit || dtsUs + 1 < ist.pts) shift(delta);
    } else if (file.last_ts != kNoTs) {
      // The first packet of a stream far from where the file stands: the
      // stream starts after a discontinuity the others have passed.
      const i128 delta = dtsUs - file.last_ts;
      if ((delta < 0 ? -delta : delta) > limit) shift(delta);
    }
  }
  if (dts != kNoTs) file.last_ts = ToMicro128(dts, tb);
  // What still does not fit has no timestamp.
  APacket->dts = Fits64(dts) ? static_cast<int64_t>(dts) : AV_NOPTS_VALUE;
  APacket->pts = Fits64(pts) ? static_cast<int64_t>(pts) : AV_NOPTS_VALUE;
  if (E.Frecording_time != INT64_MAX && APacket->pts != AV_NOPTS_VALUE &&
      ff::av_compare_ts(APacket->pts, tb, E.Frecording_time + E.Fstart_time, kMicro) >= 0) {
    ist.is_past_recording_time = 1;
    return;
  }
  if (ProcessInputPacket(ist, index, APacket) < 0) {
    const std::string msg = FormatText("Error while decoding stream #%d.%d (%s)", ist.file_index, ist.index,
                                       TypeText(ist.st->codecpar->codec_type).c_str());
    if (E.Fexit_on_error) throw FFmpegException(msg);
    if (E.Fverbose >= 0) LogText(&E, llVerbose, msg);
  }
}

int TTranscodeRun::ProcessInputPacket(TInStream& AIst, int AIndex, const AVPacket* APacket) {
  if (AIst.next_pts == AV_NOPTS_VALUE) AIst.next_pts = AIst.pts;
  const AVRational tb = AIst.st->time_base;
  const AVCodecParameters* par = AIst.st->codecpar;
  if (APacket && APacket->dts != AV_NOPTS_VALUE) AIst.pts = AIst.next_pts = Clamp64(ToMicro128(APacket->dts, tb));

  if (!AIst.decoding_needed) {
    if (!APacket) return 0;
    AIst.pts = AIst.next_pts;
    if (par->codec_type == AVMEDIA_TYPE_AUDIO && par->sample_rate > 0 && par->frame_size > 0) {
      AIst.next_pts = Clamp64(static_cast<i128>(AIst.next_pts) + 1000000LL * par->frame_size / par->sample_rate);
    } else if (par->codec_type == AVMEDIA_TYPE_AUDIO && APacket->duration > 0) {
      AIst.next_pts = Clamp64(static_cast<i128>(AIst.next_pts) + ff::av_rescale_q(APacket->duration, tb, kMicro));
    } else if (par->codec_type == AVMEDIA_TYPE_VIDEO) {
      if (APacket->duration > 0)
        AIst.next_pts = Clamp64(static_cast<i128>(AIst.next_pts) + ff::av_rescale_q(APacket->duration, tb, kMicro));
      else if (AIst.st->avg_frame_rate.num)
        AIst.next_pts = Clamp64(static_cast<i128>(AIst.next_pts) + std::llrint(1000000.0 / av_q2d(AIst.st->avg_frame_rate)));
    }
    if (E.Fstart_time == 0 || E.Fstart_time <= AIst.pts)
      for (auto& p : FOst)
        if (p->source_index == AIndex && p->stream_copy) CopyPacket(*p, AIst, APacket);
    return 0;
  }

  const int type = par->codec_type;
  if (type == AVMEDIA_TYPE_SUBTITLE) {
    if (!APacket) {
      DrainOutputs(AIndex);
      return 0;
    }
    AVSubtitle sub{};
    int got = 0;
    if (ff::avcodec_decode_subtitle2(AIst.dec_ctx, &sub, &got, const_cast<AVPacket*>(APacket)) < 0) return -1;
    if (got) {
      try {
        if (E.Fstart_time == 0 || E.Fstart_time <= AIst.pts) OutputSubtitle(AIst, AIndex, sub, APacket->pts);
      } catch (...) {
        ff::avsubtitle_free(&sub);
        throw;
      }
      ff::avsubtitle_free(&sub);
    }
    return 0;
  }
  if (type != AVMEDIA_TYPE_AUDIO && type != AVMEDIA_TYPE_VIDEO) return -1;

  int r = ff::avcodec_send_packet(AIst.dec_ctx, APacket);
  bool failed = r < 0 && r != AVERROR_EOF;
  // Frames already decoded are still taken after a refused packet. While the
  // decoder is drained a damaged frame (the last one of a cut file) is
  // passed over: the frames behind it and the encoders' delayed packets
  // must still come out.
  int errorsInARow = 0;
  for (;;) {
    r = ff::avcodec_receive_frame(AIst.dec_ctx, AIst.frame);
    if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) break;
    if (r < 0) {
      failed = true;
      if (APacket || ++errorsInARow > kMaxDrainErrors) break;
      continue;
    }
    errorsInARow = 0;
    AVFrame* f = AIst.frame;
    // The packets carry the input's offset already; decoded timestamps follow them.
    const int64_t ts = f->best_effort_timestamp;
    AIst.pts = ts != AV_NOPTS_VALUE ? Clamp64(ToMicro128(ts, tb)) : AIst.next_pts;
    if (type == AVMEDIA_TYPE_AUDIO) {
      const int rate = f->sample_rate > 0 ? f->sample_rate : par->sample_rate;
      if (rate > 0) AIst.next_pts = Clamp64(static_cast<i128>(AIst.pts) + 1000000LL * f->nb_samples / rate);
      ApplyVolume(f, E.Faudio_volume);
    } else {
      AIst.quality = f->quality;
      int64_t d = f->pkt_duration > 0 ? ff::av_rescale_q(f->pkt_duration, tb, kMicro) : 0;
      if (d <= 0) {
        const AVRational fr = ff::av_guess_frame_rate(E.Finput_files[AIst.file_index], AIst.st, f);
        if (fr.num > 0 && fr.den > 0) d = std::llrint(1000000.0 / av_q2d(fr) * (1 + f->repeat_pict / 2.0));
      }
      AIst.frame_duration = d;
      AIst.next_pts = Clamp64(static_cast<i128>(AIst.pts) + d);
    }
    if (E.Frate_emu) {
      const int64_t elapsed = ff::av_gettime() - AIst.start;
      if (AIst.pts - elapsed > 1000) std::this_thread::sleep_for(std::chrono::microseconds(AIst.pts - elapsed));
    }
    if (type == AVMEDIA_TYPE_VIDEO) PreProcessVideoFrame(E, f, AIst.pts);
    if (E.Fstart_time == 0 || E.Fstart_time <= AIst.pts) OutputFrame(AIst, AIndex, f);
    ff::av_frame_unref(f);
  }
  if (!APacket) DrainOutputs(AIndex);
  return failed ? -1 : 0;
}

void TTranscodeRun::OutputFrame(TInStream& AIst, int AIndex, AVFrame* AFrame) {
  for (size_t k = 0; k < FOst.size(); ++k) {
    if (FOst[k]->source_index != AIndex || !FOst[k]->encoding_needed) continue;
    TInStream& sync = FOst[k]->sync_ist ? *FOst[k]->sync_ist : AIst;
    // Later join groups feed the stages of group 0.
    TOutStream& ost = FOst[k]->first_group ? *FOst[k] : *FOst[k % FGroupSize];
    if (ost.video) {
      const int64_t before = ost.video->EncodedBytes;
      const int dup = ost.video->nb_frames_dup, drop = ost.video->nb_frames_drop;
      const std::string label = FormatText("#%d.%d", AIst.file_index, AIst.index);
      ost.video->Write(AFrame, sync.pts, label.c_str(), AIst.frame_duration);
      E.Fvideo_size += ost.video->EncodedBytes - before;
      E.Fnb_frames_dup += ost.video->nb_frames_dup - dup;
      E.Fnb_frames_drop += ost.video->nb_frames_drop - drop;
      if (ost.video->ShowDupOrDrop) {
        E.FShowDupOrDrop = true;
        ost.video->ShowDupOrDrop = false;
      }
      ost.frame_number = ost.video->frame_number;
      if (!E.Fvstats_filename.empty() && ost.video->LastFrameSize) {
        if (!E.Fvstats_file) {
          E.Fvstats_file = std::fopen(E.Fvstats_filename.c_str(), "w");
          if (!E.Fvstats_file) throw FFmpegException("fopen fail: " + E.Fvstats_filename);
        }
        WriteVideoStats(E.Fvstats_file, *ost.video, ost.setup->enc->time_base, E.Fvideo_size);
      }
    } else if (ost.audio) {
      const int64_t before = ost.audio->EncodedBytes;
      ost.audio->Write(AFrame, static_cast<double>(sync.pts - E.Fstart_time) / 1000000.0, sync.is_start);
      E.Faudio_size += ost.audio->EncodedBytes - before;
    }
  }
}

void TTranscodeRun::OutputSubtitle(TInStream& AIst, int AIndex, AVSubtitle& ASub, int64_t APts) {
  for (auto& p : FOst) {
    TOutStream& ost = *p;
    if (ost.source_index != AIndex || !ost.encoding_needed || !ost.enc_ctx) continue;
    TOutStream& owner = ost.first_group ? ost : *FOst[(&p - &FOst[0]) % FGroupSize];
    EncodeSubtitle(ost.enc_ctx, &ASub, APts, AIst.st->time_base, FSubtitleBuffer, SinkOf(owner), E.Fexit_on_error,
                   &E);
    ++ost.frame_number;
  }
}

void TTranscodeRun::CopyPacket(TOutStream& AOst, TInStream& AIst, const AVPacket* APacket) {
  const AVRational otb = AOst.st->time_base;
  const int64_t startOffset = ff::av_rescale_q(E.Fstart_time, kMicro, otb);
  if (AOst.frame_number == 0 && !(APacket->flags & AV_PKT_FLAG_KEY) && !E.Fcopy_initial_nonkeyframes) return;
  if (AOst.setup->type == AVMEDIA_TYPE_AUDIO)
    E.Faudio_size += APacket->size;
  else if (AOst.setup->type == AVMEDIA_TYPE_VIDEO)
    E.Fvideo_size += APacket->size;
  AVPacket* out = ff::av_packet_clone(APacket);
  if (!out) throw FFmpegException(std::string("av_mallocz fail"));
  const AVRational itb = AIst.st->time_base;
  out->pts = APacket->pts != AV_NOPTS_VALUE ? ff::av_rescale_q(APacket->pts, itb, otb) - startOffset : AV_NOPTS_VALUE;
  out->dts = (APacket->dts != AV_NOPTS_VALUE ? ff::av_rescale_q(APacket->dts, itb, otb)
                                             : ff::av_rescale_q(AIst.pts, kMicro, otb)) -
             startOffset;
  out->duration = ff::av_rescale_q(APacket->duration, itb, otb);
  try {
    AOst.writer->Write(out, otb);
  } catch (...) {
    ff::av_packet_free(&out);
    throw;
  }
  ff::av_packet_free(&out);
  ++AOst.frame_number;
}

void TTranscodeRun::DrainOutputs(int AIndex) {
  // Joined inputs share the encoders of group 0, which go on across inputs
  // and are drained once, after the last.
  if (E.FJoinMode && FIst[AIndex]->file_index + 1 < E.Fnb_input_files) return;
  for (size_t k = 0; k < FOst.size(); ++k) {
    if (FOst[k]->source_index != AIndex || !FOst[k]->encoding_needed) continue;
    TOutStream& ost = FOst[k]->first_group ? *FOst[k] : *FOst[k % FGroupSize];
    if (ost.drained) continue;
    ost.drained = true;
    if (ost.audio) {
      const int64_t before = ost.audio->EncodedBytes;
      ost.audio->Drain();
      E.Faudio_size += ost.audio->EncodedBytes - before;
    } else if (ost.video) {
      const int64_t before = ost.video->EncodedBytes;
      const int dup = ost.video->nb_frames_dup, drop = ost.video->nb_frames_drop;
      ost.video->Drain();
      E.Fvideo_size += ost.video->EncodedBytes - before;
      E.Fnb_frames_dup += ost.video->nb_frames_dup - dup;
      E.Fnb_frames_drop += ost.video->nb_frames_drop - drop;
      ost.frame_number = ost.video->frame_number;
    }
  }
}

void TTranscodeRun::EndOfInput(int AFile, bool& AStopLoop) {
  FInFiles[AFile].eof_reached = 1;
  if (E.Fopt_shortest && !E.FJoinMode) AStopLoop = true;
  if (!E.FJoinMode) return;
  // Join: drain this input, lay the next one after it on the time line.
  const int first = FInFiles[AFile].ist_index;
  for (int k = first; k < first + FInFiles[AFile].nb_streams; ++k) {
    TInStream& ist = *FIst[k];
    if (!ist.decoding_needed) continue;
    ProcessInputPacket(ist, k, nullptr);
    ff::avcodec_flush_buffers(ist.dec_ctx);
    ist.decoder_flushed = 1;
  }
  double endTime = 0.0;
  const size_t groupStart = static_cast<size_t>(AFile) * FGroupSize;
  for (size_t k = groupStart; k < groupStart + FGroupSize && k < FOst.size(); ++k) {
    TOutStream& owner = *FOst[k % FGroupSize];
    endTime = std::max(endTime, owner.writer->OutputTime());
    FOst[k]->show_fps = 0;
  }
  if (AFile + 1 >= E.Fnb_input_files) {
    AStopLoop = true;
    return;
  }
  E.Finput_files_ts_offset[AFile + 1] += std::llrint(endTime * 1000000.0);
}

void TTranscodeRun::ReportProgress(int AFileIndex, bool ALast) {
  AVFormatContext* oc = E.Foutput_files.empty() ? nullptr : E.Foutput_files[0];
  // The bytes written so far, those still in the write buffer included; at
  // the end the file's size when the muxer went back to patch a header.
  int64_t size = 0;
  if (oc && oc->pb) {
    size = std::max<int64_t>(0, ff::avio_seek(oc->pb, 0, SEEK_CUR));
    if (ALast) size = std::max(size, ff::avio_size(oc->pb));
  }
  std::vector<TProgressVideo> videos;
  std::vector<double> times;
  for (auto& p : FOst) {
    TOutStream& ost = *p;
    if (ost.setup->type == AVMEDIA_TYPE_VIDEO) {
      TOutStream& owner = ost.first_group || FGroupSize == 0 ? ost : *FOst[(&p - &FOst[0]) % FGroupSize];
      const int64_t frames = owner.video ? owner.video->frame_number : owner.frame_number;
      const float q = ost.stream_copy ? -1.0f : owner.video ? owner.video->LastQuality : -1.0f;
      TProgressVideo pv{frames, q, ost.show_fps == 1};
      if (owner.video && owner.video->MeasuresError()) {
        pv.psnr = true;
        pv.width = owner.video->Width();
        pv.height = owner.video->Height();
        // The whole run in the last report: the encoder's own sums where it
        // keeps them, else those of the coded pictures.
        const AVCodecContext* enc = owner.setup->enc;
        for (int j = 0; j < 3; ++j)
          pv.error[j] = !ALast ? owner.video->LastError[j]
                        : enc && enc->error[j] ? static_cast<double>(enc->error[j])
                                               : owner.video->TotalError[j];
      }
      videos.push_back(pv);
    }
  }
  // The time every output stream has reached: a stream that wrote nothing yet
  // (an encoder that holds frames back) holds it at 0; a stream whose input
  // has ended no longer holds it back, and once all have, the latest counts.
  // Joined inputs write through the streams of the first group.
  double ended = 0;
  for (auto& p : FOst) {
    TOutStream& ost = *p;
    if (!ost.writer || !ost.first_group) continue;
    const double t = ost.writer->OutputTime();
    if (ALast || FInFiles[FIst[ost.source_index]->file_index].eof_reached)
      ended = std::max(ended, t);
    else
      times.push_back(t);
  }
  if (times.empty()) times.push_back(ended);
  const double elapsed = static_cast<double>(ff::av_gettime() - FTimerStart) / 1000000.0;
  TProgressValues v =
      BuildProgress(videos, times, size, elapsed, ALast, E.Fnb_frames_dup, E.Fnb_frames_drop, E.Fqp_hist);
  if (v.skipped) return;
  // Never backwards within the run.
  v.time = FReportedTime = std::max(FReportedTime, v.time);
  const bool handler = static_cast<bool>(E.FOnProgress);
  if (handler || E.Fverbose > 0 || ALast) {
    if ((E.Fnb_frames_dup || E.Fnb_frames_drop) && E.FShowDupOrDrop && E.Fverbose >= 0 && handler) {
      E.FShowDupOrDrop = false;
      LogText(&E, llVerbose, v.text);
    }
    if (handler)
      E.FOnProgress(&E, AFileIndex, v.frame_number, static_cast<float>(v.fps), v.quality, v.bitrate, v.size,
                    static_cast<int64_t>(v.time * 1000000.0), E.FTotalOutputDuration);
    else if (E.Fverbose >= 0)
      LogText(&E, llVerbose, v.text);
  }
  if (ALast && E.Fverbose >= 0) {
    const double raw = static_cast<double>(E.Fvideo_size + E.Faudio_size + E.Fextra_size);
    LogText(&E, llVerbose,
            FormatText("video:%1.0fkB audio:%1.0fkB global headers:%1.0fkB muxing overhead %f%%\r\n",
                       E.Fvideo_size / 1024.0, E.Faudio_size / 1024.0, E.Fextra_size / 1024.0,
                       raw > 0 ? (static_cast<double>(size) - raw) * 100.0 / raw : 0.0));
  }
}

void TTranscodeRun::WriteTrailers() {
  const std::vector<AVFormatContext*> outs = UniqueOutputs();
  for (size_t i = 0; i < outs.size(); ++i) {
    int r = ff::av_write_trailer(outs[i]);
    if (r >= 0 && outs[i]->pb) {
      ff::avio_flush(outs[i]->pb);
      if (outs[i]->pb->error < 0) r = outs[i]->pb->error;
    }
    // A full disk shows here at the latest: the run must not pass as finished.
    if (r < 0)
      throw FFmpegException(ErrorText(FormatText("Error writing output file #%d", static_cast<int>(i)), r));
  }
}

void TTranscodeRun::CloseCodecs() {
  for (auto& p : FOst) {
    TOutStream& ost = *p;
    if (!ost.enc_ctx || !ost.first_group) continue;
    ff::av_freep(&ost.enc_ctx->stats_in);
    std::lock_guard<std::recursive_mutex> g(CodecLock);
    ff::avcodec_close(ost.enc_ctx);
    TCustomFFmpeg::RemoveCodecItem(E.FEncoderList, &ost);
  }
  for (auto& p : FIst) {
    TInStream& ist = *p;
    if (!ist.dec_ctx) continue;
    std::lock_guard<std::recursive_mutex> g(CodecLock);
    TCustomFFmpeg::RemoveCodecItem(E.FDecoderList, &ist);
    ff::avcodec_free_context(&ist.dec_ctx);
  }
}

void TTranscodeRun::FreeStreamTables() {
  // Nothing listed may outlive its record: the engine closes what is left on
  // the lists after the run.
  for (auto& p : FOst) {
    if (!p->enc_ctx || !p->first_group) continue;
    std::lock_guard<std::recursive_mutex> g(CodecLock);
    ff::av_freep(&p->enc_ctx->stats_in);
    ff::avcodec_close(p->enc_ctx);
    TCustomFFmpeg::RemoveCodecItem(E.FEncoderList, p.get());
    p->enc_ctx = nullptr;
  }
  for (auto& p : FIst) {
    if (!p->dec_ctx) continue;
    std::lock_guard<std::recursive_mutex> g(CodecLock);
    TCustomFFmpeg::RemoveCodecItem(E.FDecoderList, p.get());
    ff::avcodec_free_context(&p->dec_ctx);
  }
  FOst.clear();
  FIst.clear();
  FInFiles.clear();
  if (FPkt) ff::av_packet_free(&FPkt);
}

bool TTranscodeRun::Run() {
  // Cores that no other conversion uses go to this one's video codecs.
  FCodecThreads = kCodecThreadsSeen
                      ? CodecThreadCount(UsableCores(), std::max(RunningTranscodes(), E.ExpectedConcurrentRuns))
                      : 1;
  FNoPacket.assign(static_cast<size_t>(std::max(E.Fnb_input_files, 1)), 0);
  BuildInputStreamTable();
  BuildOutputStreamTable();
  OpenEncoders();
  OpenDecoders();
  InitInputStreamTimestamps();
  ApplyMetadataMaps();
  CopyAllChapters();
  WriteOutputHeaders();
  CreateStages();
  PrintStreamMapping();

  FPkt = ff::av_packet_alloc();
  if (!FPkt) throw FFmpegException(std::string("av_mallocz fail"));
  FTimerStart = ff::av_gettime();
  int64_t lastReport = FTimerStart;
  int fileIndex = 0;
  FNoPacketCount = 0;
  bool stop = false;
  while (!stop) {
    if (E.CheckPause()) break;
    int f = E.FJoinMode ? fileIndex : ChooseInput();
    if (E.FJoinMode) {
      for (int k = fileIndex * FGroupSize; k < (fileIndex + 1) * FGroupSize && k < static_cast<int>(FOst.size()); ++k) {
        const int type = FOst[k]->setup->type;
        const TOutStream& owner = *FOst[k % FGroupSize];
        const int64_t written = owner.video ? owner.video->frame_number : owner.frame_number;
        if (type >= 0 && type < 4 && E.Fmax_frames[type] <= written) f = -1;
      }
    }
    if (f < 0) {
      if (E.FJoinMode || FNoPacketCount == 0) break;
      std::fill(FNoPacket.begin(), FNoPacket.end(), 0);
      FNoPacketCount = 0;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      continue;
    }
    fileIndex = f;
    AVFormatContext* first = E.Foutput_files[0];
    if (E.Flimit_filesize && first->pb && ff::avio_seek(first->pb, 0, SEEK_CUR) > E.Flimit_filesize) break;
    const int r = ff::av_read_frame(E.Finput_files[f], FPkt);
    if (r == AVERROR(EAGAIN)) {
      FNoPacket[f] = 1;
      ++FNoPacketCount;
      continue;
    }
    if (r < 0) {
      AVIOContext* pb = E.Finput_files[f]->pb;
      if (r != AVERROR_EOF && pb && pb->error < 0) {
        const std::string msg = ErrorText(FormatText("Error while reading input file #%d", f), r);
        if (E.Fexit_on_error) throw FFmpegException(msg);
        LogText(&E, llError, msg);
      }
      EndOfInput(f, stop);
      if (E.FJoinMode && !stop) fileIndex = f + 1;
      continue;
    }
    std::fill(FNoPacket.begin(), FNoPacket.end(), 0);
    FNoPacketCount = 0;
    try {
      HandlePacket(f, FPkt);
    } catch (...) {
      ff::av_packet_unref(FPkt);
      throw;
    }
    ff::av_packet_unref(FPkt);
    const int64_t now = ff::av_gettime();
    if (now - lastReport > E.ReportInterval) {
      lastReport = now;
      ReportProgress(fileIndex, false);
    }
  }

  // The end: drained and closed also after a stop, so the file is complete.
  for (size_t i = 0; i < FIst.size(); ++i) {
    TInStream& ist = *FIst[i];
    if (ist.decoding_needed && !ist.decoder_flushed) ProcessInputPacket(ist, static_cast<int>(i), nullptr);
  }
  WriteTrailers();
  ReportProgress(-1, true);
  CloseCodecs();
  const bool broken = E.Broken();
  if (!broken) {
    CheckEveryStreamWritten();
  } else if (!AnyStreamWritten()) {
    // Stopped before anything was converted: there is nothing to keep, and a
    // file that stood in the output's place stays as it was.
    for (int i = 0; i < OutputCount(); ++i)
      if (TOutputFile* f = E.OutputFile(i)) f->remove_on_release = true;
  }
  return !broken;
}

bool TTranscodeRun::AnyStreamWritten() const {
  for (auto& p : FOst)
    if (p->first_group && p->writer && p->writer->Packets() > 0) return true;
  return false;
}

void TTranscodeRun::CheckEveryStreamWritten() {
  // A run that wrote no audio or video at all converted nothing and fails;
  // its output is not left behind. A stream that stayed empty beside others
  // that were written (a download cut after its first picture) is named in a
  // warning, and the output keeps what the others hold.
  std::vector<const TOutStream*> empty;
  bool anyWritten = false;
  for (auto& p : FOst) {
    const TOutStream& ost = *p;
    const int type = ost.setup->type;
    if (!ost.first_group || (type != AVMEDIA_TYPE_VIDEO && type != AVMEDIA_TYPE_AUDIO)) continue;
    if (E.Fmax_frames[type] <= 0) continue;
    if (ost.writer && ost.writer->Packets() > 0)
      anyWritten = true;
    else
      empty.push_back(&ost);
  }
  if (empty.empty()) return;
  if (!anyWritten) {
    for (int i = 0; i < OutputCount(); ++i)
      if (TOutputFile* f = E.OutputFile(i)) f->remove_on_release = true;
    Fail(NothingToConvert(*empty.front(), *FIst[empty.front()->source_index]));
  }
  for (const TOutStream* ost : empty) LogText(&E, llWarning, NothingToConvert(*ost, *FIst[ost->source_index]));
}

std::string TTranscodeRun::NothingToConvert(const TOutStream& AOst, const TInStream& AIst) {
  return FormatText("Nothing could be converted for output stream #%d.%d (%s): input stream #%d.%d (%s) gave no "
                    "frame that could be decoded",
                    AOst.file_index, AOst.index, TypeText(AOst.setup->type).c_str(), AIst.file_index, AIst.index,
                    ff::avcodec_get_name(AIst.st->codecpar->codec_id));
}

std::atomic<int> GRunningTranscodes{0};

}  // namespace

int RunningTranscodes() { return GRunningTranscodes.load(); }

int UsableCores() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0) return CPU_COUNT(&set);
  return std::max(1u, std::thread::hardware_concurrency());
}

int CodecThreadCount(int ACores, int ARunning) {
  return std::clamp(ACores / std::max(ARunning, 1), 1, kMaxCodecThreads);
}

bool RunTranscode(TCustomFFmpeg& AEngine) {
  struct Running {
    Running() { ++GRunningTranscodes; }
    ~Running() { --GRunningTranscodes; }
  } running;
  TTranscodeRun run(AEngine);
  return run.Run();
}

}  // namespace engine
