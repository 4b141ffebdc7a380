#include "engine/AudioOutput.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace engine {

TAudioOutputParams AudioParamsFromEncoder(const AVCodecContext* AEnc, int ASyncMethod,
                                          float ADriftThreshold) {
  TAudioOutputParams p;
  p.out_fmt = AEnc->sample_fmt;
  p.out_rate = AEnc->sample_rate;
  p.out_layout = AEnc->ch_layout;  // the stage copies it
  const bool variable = AEnc->codec && (AEnc->codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE);
  p.frame_size = variable ? 0 : AEnc->frame_size;
  p.small_last_frame = AEnc->codec && (AEnc->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME);
  p.time_base = AEnc->time_base;
  p.sync_method = ASyncMethod;
  p.drift_threshold = ADriftThreshold;
  p.resample = ASyncMethod > 1;
  return p;
}

TAudioOutput::TAudioOutput(const TAudioOutputParams& AParams, TEncoderPort& APort,
                           TPacketSink ASink, rtl::TObject* ASender)
    : P(AParams), FPort(APort), FSink(std::move(ASink)), FSender(ASender), FResample(AParams.resample) {
  P.out_layout = AVChannelLayout{};
  if (ff::av_channel_layout_copy(&P.out_layout, &AParams.out_layout) < 0 || P.out_layout.nb_channels <= 0)
    throw ETranscodeError(std::string("Invalid audio output channel layout"));
  if (P.time_base.num <= 0 || P.time_base.den <= 0) P.time_base = AVRational{1, P.out_rate};
  if (P.sync_method > 1) FResample = true;
  FFifo = ff::av_audio_fifo_alloc(P.out_fmt, P.out_layout.nb_channels, 1024);
  FFrame = ff::av_frame_alloc();
  if (!FFifo || !FFrame) {
    if (FFifo) ff::av_audio_fifo_free(FFifo);
    if (FFrame) ff::av_frame_free(&FFrame);
    ff::av_channel_layout_uninit(&P.out_layout);
    throw ETranscodeError(std::string("av_fifo_alloc fail"));
  }
}

TAudioOutput::~TAudioOutput() {
  ff::swr_free(&FSwr);
  ff::av_audio_fifo_free(FFifo);
  ff::av_frame_free(&FFrame);
  ff::av_channel_layout_uninit(&P.out_layout);
  ff::av_channel_layout_uninit(&FInLayout);
}

int TAudioOutput::FifoSamples() const { return ff::av_audio_fifo_size(FFifo); }

void TAudioOutput::EnsureConverter(const AVFrame* ABlock) {
  const auto fmt = static_cast<AVSampleFormat>(ABlock->format);
  const int rate = ABlock->sample_rate > 0 ? ABlock->sample_rate : P.out_rate;
  if (ff::av_channel_layout_compare(&ABlock->ch_layout, &P.out_layout) != 0 &&
      ABlock->ch_layout.nb_channels != P.out_layout.nb_channels)
    FResample = true;
  if (rate != P.out_rate) FResample = true;
  const bool same = FSwr && fmt == FInFmt && rate == FInRate &&
                    ff::av_channel_layout_compare(&ABlock->ch_layout, &FInLayout) == 0;
  if (same) return;
  const bool needed = FResample || fmt != P.out_fmt ||
                      ff::av_channel_layout_compare(&ABlock->ch_layout, &P.out_layout) != 0;
  ff::swr_free(&FSwr);
  ff::av_channel_layout_uninit(&FInLayout);
  FInFmt = fmt;
  FInRate = rate;
  ff::av_channel_layout_copy(&FInLayout, &ABlock->ch_layout);
  if (!needed) return;
  int r = ff::swr_alloc_set_opts2(&FSwr, &P.out_layout, P.out_fmt, P.out_rate, &FInLayout, fmt, rate, 0,
                                  nullptr);
  if (r >= 0 && FResample) {
    ff::av_opt_set_int(FSwr, "filter_size", 16, 0);
    ff::av_opt_set_int(FSwr, "phase_shift", 10, 0);
    ff::av_opt_set_int(FSwr, "linear_interp", 0, 0);
    ff::av_opt_set_double(FSwr, "cutoff", 0.8, 0);
  }
  if (r >= 0) r = ff::swr_init(FSwr);
  if (r < 0) {
    ff::swr_free(&FSwr);
    if (FResample)
      throw ETranscodeError(FormatText("Can not resample %d channels @ %d Hz to %d channels @ %d Hz",
                                       ABlock->ch_layout.nb_channels, rate, P.out_layout.nb_channels,
                                       P.out_rate));
    const char* in = ff::av_get_sample_fmt_name(fmt);
    const char* out = ff::av_get_sample_fmt_name(P.out_fmt);
    throw ETranscodeError(FormatText("Cannot convert %s sample format to %s sample format",
                                     in ? in : "(none)", out ? out : "(none)"));
  }
  ++FSwrBuilds;
}

uint8_t** TAudioOutput::OutPlanes(int ASamples) {
  const bool planar = ff::av_sample_fmt_is_planar(P.out_fmt);
  const int ch = P.out_layout.nb_channels;
  const size_t planes = planar ? static_cast<size_t>(ch) : 1;
  const size_t bytes = static_cast<size_t>(ASamples) * ff::av_get_bytes_per_sample(P.out_fmt) *
                       (planar ? 1 : static_cast<size_t>(ch));
  FOut.resize(planes);
  FOutPtrs.resize(planes);
  for (size_t i = 0; i < planes; ++i) {
    if (FOut[i].size() < bytes) FOut[i].resize(bytes);  // grows only
    FOutPtrs[i] = FOut[i].data();
  }
  return FOutPtrs.data();
}

void TAudioOutput::Write(const AVFrame* ABlock, double ASyncTime, int& AIsStart) {
  if (!ABlock || ABlock->nb_samples <= 0) return;
  EnsureConverter(ABlock);
  const auto inFmt = static_cast<AVSampleFormat>(ABlock->format);
  const int inCh = ABlock->ch_layout.nb_channels;
  const int inRate = FInRate;
  const bool inPlanar = ff::av_sample_fmt_is_planar(inFmt);
  const int inBps = ff::av_get_bytes_per_sample(inFmt);
  const int inPlanes = inPlanar ? inCh : 1;

  int nb = ABlock->nb_samples;
  int skip = 0;     // input samples dropped from the front
  int silence = 0;  // input samples of silence put in front
  // Samples already taken but not yet encoded: those in the FIFO and those
  // the resampler holds back.
  const int64_t fifo = ff::av_audio_fifo_size(FFifo) + (FSwr ? ff::swr_get_delay(FSwr, P.out_rate) : 0);
  if (P.sync_method == 0) {
    sync_opts = std::llrint(ASyncTime * P.out_rate) - fifo;
  } else {
    const double delta = ASyncTime * P.out_rate - static_cast<double>(sync_opts) - static_cast<double>(fifo);
    const double inDelta = delta * inRate / P.out_rate;
    if (std::fabs(delta) > 50.0) {
      if (AIsStart == 1 || std::fabs(delta) > P.out_rate * static_cast<double>(P.drift_threshold)) {
        const double t = std::trunc(inDelta);
        if (t < 0) {
          skip = static_cast<int>(std::min<double>(-t, nb));
          nb -= skip;
          if (P.verbose > 2)
            LogText(FSender, llVerbose, FormatText("discarding %d audio samples", static_cast<int>(std::trunc(-delta))));
          if (nb == 0) return;
          AIsStart = 0;
        } else {
          // Padding is bounded by the drift that can build up in practice;
          // an absurd timestamp must not allocate without limit.
          silence = static_cast<int>(std::min<double>(t, static_cast<double>(inRate) * 600));
          AIsStart = 0;
          if (P.verbose > 2)
            LogText(FSender, llVerbose,
                    FormatText("adding %d audio samples of silence", static_cast<int>(std::trunc(delta))));
        }
      } else if (P.sync_method > 1 && FSwr) {
        const int comp = static_cast<int>(std::clamp<double>(std::trunc(delta), -P.sync_method, P.sync_method));
        if (P.verbose > 2)
          LogText(FSender, llVerbose,
                  FormatText("compensating audio timestamp drift:%f compensation:%d in:%d", delta, comp, P.out_rate));
        ff::swr_set_compensation(FSwr, comp, P.out_rate);
      }
    }
  }

  // The input planes, after dropping or padding.
  std::vector<const uint8_t*> in(static_cast<size_t>(inPlanes));
  const size_t sampleStride = static_cast<size_t>(inBps) * (inPlanar ? 1 : inCh);
  if (silence > 0) {
    const int total = silence + nb;
    FPad.resize(static_cast<size_t>(inPlanes));
    FPadPtrs.resize(static_cast<size_t>(inPlanes));
    for (int i = 0; i < inPlanes; ++i) {
      FPad[i].resize(static_cast<size_t>(total) * sampleStride);
      FPadPtrs[i] = FPad[i].data();
    }
    ff::av_samples_set_silence(FPadPtrs.data(), 0, silence, inCh, inFmt);
    ff::av_samples_copy(FPadPtrs.data(), ABlock->extended_data, silence, 0, nb, inCh, inFmt);
    for (int i = 0; i < inPlanes; ++i) in[i] = FPadPtrs[i];
    nb = total;
  } else {
    for (int i = 0; i < inPlanes; ++i) in[i] = ABlock->extended_data[i] + static_cast<size_t>(skip) * sampleStride;
  }

  // Conversion.
  uint8_t* const* data;
  int count;
  if (FSwr) {
    const int room = ff::swr_get_out_samples(FSwr, nb);
    uint8_t** out = OutPlanes(std::max(room, 1));
    count = ff::swr_convert(FSwr, out, std::max(room, 1), in.data(), nb);
    if (count < 0) {
      if (P.exit_on_error) throw ETranscodeError(std::string("av_audio_convert() failed"));
      LogText(FSender, llError, "av_audio_convert() failed");
      return;
    }
    data = out;
  } else {
    data = const_cast<uint8_t* const*>(in.data());
    count = nb;
  }
  if (count == 0) return;

  if (P.frame_size > 1) {
    if (ff::av_audio_fifo_write(FFifo, reinterpret_cast<void**>(const_cast<uint8_t**>(data)), count) < count)
      throw ETranscodeError(std::string("av_fifo_realloc2() failed"));
    while (ff::av_audio_fifo_size(FFifo) >= P.frame_size) EncodeFrame(P.frame_size);
  } else {
    // One frame per block; the FIFO only carries it to the frame's buffer.
    if (ff::av_audio_fifo_write(FFifo, reinterpret_cast<void**>(const_cast<uint8_t**>(data)), count) < count)
      throw ETranscodeError(std::string("av_fifo_realloc2() failed"));
    EncodeFrame(count);
  }
}

void TAudioOutput::EncodeFrame(int ANbSamples) {
  // The encoder may still hold the last frame's buffer: take a fresh one
  // whenever the size changes or the buffer is shared.
  if (FFrame->nb_samples != ANbSamples || !FFrame->buf[0] || ff::av_frame_make_writable(FFrame) < 0) {
    ff::av_frame_unref(FFrame);
    FFrame->format = P.out_fmt;
    FFrame->sample_rate = P.out_rate;
    FFrame->nb_samples = ANbSamples;
    ff::av_channel_layout_copy(&FFrame->ch_layout, &P.out_layout);
    if (ff::av_frame_get_buffer(FFrame, 0) < 0) throw ETranscodeError(std::string("Out of memory in do_audio_out"));
  }
  int got = ff::av_audio_fifo_read(FFifo, reinterpret_cast<void**>(FFrame->extended_data), ANbSamples);
  if (got < 0) got = 0;
  if (got < ANbSamples)
    ff::av_samples_set_silence(FFrame->extended_data, got, ANbSamples - got, P.out_layout.nb_channels, P.out_fmt);
  // Following the input's timestamps must never make a frame overlap the
  // one before: muxers refuse timestamps that go back.
  int64_t pts = sync_opts;
  if (FNextPts != AV_NOPTS_VALUE && pts < FNextPts) pts = FNextPts;
  FNextPts = pts + ANbSamples;
  FFrame->pts = ff::av_rescale_q(pts, AVRational{1, P.out_rate}, P.time_base);
  EncodedBytes += EncodeAndDeliver(FPort, FFrame, P.time_base, FSink, "Audio encoding failed");
  sync_opts += P.frame_size > 1 ? std::max(got, 0) : ANbSamples;
}

void TAudioOutput::Drain() {
  const int left = ff::av_audio_fifo_size(FFifo);
  if (left > 0) {
    if (P.frame_size > 1 && !P.small_last_frame) {
      EncodeFrame(P.frame_size);  // padded with silence
    } else {
      EncodeFrame(left);
    }
  }
  EncodedBytes += EncodeAndDeliver(FPort, nullptr, P.time_base, FSink, "Audio encoding failed");
}

namespace {
template <class T>
void ScaleInt(T* s, size_t n, int vol, int64_t lo, int64_t hi, int64_t bias = 0) {
  for (size_t i = 0; i < n; ++i) {
    int64_t v = ((static_cast<int64_t>(s[i]) - bias) * vol + 128) >> 8;
    s[i] = static_cast<T>(std::clamp(v, lo, hi) + bias);
  }
}
template <class T>
void ScaleFloat(T* s, size_t n, int vol) {
  const T f = static_cast<T>(vol) / 256;
  for (size_t i = 0; i < n; ++i) s[i] *= f;
}
}  // namespace

void ApplyVolume(AVFrame* ABlock, int AVolume) {
  if (AVolume == 256 || !ABlock || ABlock->nb_samples <= 0) return;
  const auto fmt = static_cast<AVSampleFormat>(ABlock->format);
  const bool planar = ff::av_sample_fmt_is_planar(fmt);
  const int ch = ABlock->ch_layout.nb_channels;
  const int planes = planar ? ch : 1;
  const size_t n = static_cast<size_t>(ABlock->nb_samples) * (planar ? 1 : ch);
  for (int p = 0; p < planes; ++p) {
    uint8_t* d = ABlock->extended_data[p];
    switch (ff::av_get_packed_sample_fmt(fmt)) {
      case AV_SAMPLE_FMT_U8: ScaleInt(d, n, AVolume, -128, 127, 128); break;
      case AV_SAMPLE_FMT_S16: ScaleInt(reinterpret_cast<int16_t*>(d), n, AVolume, INT16_MIN, INT16_MAX); break;
      case AV_SAMPLE_FMT_S32: ScaleInt(reinterpret_cast<int32_t*>(d), n, AVolume, INT32_MIN, INT32_MAX); break;
      case AV_SAMPLE_FMT_FLT: ScaleFloat(reinterpret_cast<float*>(d), n, AVolume); break;
      case AV_SAMPLE_FMT_DBL: ScaleFloat(reinterpret_cast<double*>(d), n, AVolume); break;
      default: break;  // s64 is not produced by decoders
    }
  }
}

}  // namespace engine
