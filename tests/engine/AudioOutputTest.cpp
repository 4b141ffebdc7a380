// The audio output stage against a recording encoder port: conversion
// choices, framing, timing corrections and the drain.
#include "engine/AudioOutput.h"

#include <cmath>

#include "tests/engine/TranscodeTestUtils.h"

using namespace engine;
using transcodetest::TRecordingPort;

namespace {

class AudioOutputTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { enginetest::LoadSystemSet(TranscoderLibraries); }

  // A block of a 440 Hz tone (amplitude 0.5) in any format and layout.
  static AVFrame* Block(AVSampleFormat fmt, int rate, int channels, int nb, int64_t startSample = 0) {
    AVFrame* f = ff::av_frame_alloc();
    f->format = fmt;
    f->sample_rate = rate;
    f->nb_samples = nb;
    ff::av_channel_layout_default(&f->ch_layout, channels);
    EXPECT_EQ(0, ff::av_frame_get_buffer(f, 0));
    const bool planar = ff::av_sample_fmt_is_planar(fmt);
    for (int c = 0; c < channels; ++c)
      for (int i = 0; i < nb; ++i) {
        double v = 0.5 * std::sin(2 * M_PI * 440 * (startSample + i) / rate);
        int idx = planar ? i : i * channels + c;
        uint8_t* d = f->extended_data[planar ? c : 0];
        switch (ff::av_get_packed_sample_fmt(fmt)) {
          case AV_SAMPLE_FMT_S16: reinterpret_cast<int16_t*>(d)[idx] = static_cast<int16_t>(v * 32767); break;
          case AV_SAMPLE_FMT_FLT: reinterpret_cast<float*>(d)[idx] = static_cast<float>(v); break;
          case AV_SAMPLE_FMT_S32: reinterpret_cast<int32_t*>(d)[idx] = static_cast<int32_t>(v * 2147483647.0); break;
          default: break;
        }
      }
    return f;
  }

  static TAudioOutputParams Params(AVSampleFormat fmt, int rate, int channels, int frameSize) {
    TAudioOutputParams p;
    p.out_fmt = fmt;
    p.out_rate = rate;
    ff::av_channel_layout_default(&p.out_layout, channels);
    p.frame_size = frameSize;
    return p;
  }

  struct Sink {
    int packets = 0;
    int64_t bytes = 0;
    TPacketSink fn() {
      return [this](AVPacket* p, AVRational) {
        ++packets;
        bytes += p->size;
      };
    }
  };
};

struct ConvCase {
  AVSampleFormat in_fmt;
  int in_rate, in_ch;
  AVSampleFormat out_fmt;
  int out_rate, out_ch;
  bool resampling, converting;
};

TEST_F(AudioOutputTest, ChoosesConversionAndFramesEveryFormat) {
  const ConvCase cases[] = {
      {AV_SAMPLE_FMT_S16, 44100, 2, AV_SAMPLE_FMT_S16, 44100, 2, false, false},    // passes as it is
      {AV_SAMPLE_FMT_FLTP, 48000, 2, AV_SAMPLE_FMT_S16, 44100, 2, true, true},     // rate
      {AV_SAMPLE_FMT_S16, 44100, 1, AV_SAMPLE_FMT_FLTP, 44100, 2, true, true},     // channels
      {AV_SAMPLE_FMT_FLT, 44100, 2, AV_SAMPLE_FMT_S16, 44100, 2, false, true},     // format only
      {AV_SAMPLE_FMT_S32, 22050, 6, AV_SAMPLE_FMT_FLTP, 44100, 2, true, true},     // 4-byte samples, downmix
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(ff::av_get_sample_fmt_name(c.in_fmt)) + "@" + std::to_string(c.in_rate) + "x" +
                 std::to_string(c.in_ch));
    TRecordingPort port;
    Sink sink;
    TAudioOutput out(Params(c.out_fmt, c.out_rate, c.out_ch, 1024), port, sink.fn(), nullptr);
    int isStart = 1;
    const int nb = 1000, blocks = 20;
    for (int b = 0; b < blocks; ++b) {
      AVFrame* f = Block(c.in_fmt, c.in_rate, c.in_ch, nb, int64_t(b) * nb);
      out.Write(f, double(b) * nb / c.in_rate, isStart);
      ff::av_frame_free(&f);
    }
    EXPECT_EQ(c.resampling, out.Resampling());
    EXPECT_EQ(c.converting, out.Converting());
    if (c.converting) {
      EXPECT_EQ(1, out.ResamplerBuilds());  // made once, reused
    }
    out.Drain();
    const double expected = double(nb) * blocks * c.out_rate / c.in_rate;
    ASSERT_FALSE(port.Frames.empty());
    for (auto& fr : port.Frames) {
      EXPECT_EQ(1024, fr.nb_samples);  // whole frames only, the last one padded
      EXPECT_EQ(c.out_fmt, fr.format);
      EXPECT_EQ(c.out_ch, fr.channels);
    }
    EXPECT_NEAR(expected, double(out.sync_opts), 1024 + 64);
    EXPECT_EQ(int64_t(port.Frames.size()) * 1024, port.TotalSamples());
    // Frames carry consecutive timestamps in the encoder's rate.
    for (size_t i = 1; i < port.Frames.size(); ++i)
      EXPECT_EQ(port.Frames[i - 1].pts + 1024, port.Frames[i].pts);
    EXPECT_TRUE(port.Drained);
    EXPECT_EQ(int(port.Frames.size()), sink.packets);
    // The tone survives the conversion: its peak stays near 0.5 of full scale.
    // (Mixing to other channel counts changes the level by its matrix.)
    float peak = 0;
    for (float v : port.Frames[1].first) peak = std::max(peak, std::fabs(v));
    const float full = c.out_fmt == AV_SAMPLE_FMT_S16 ? 32767.f : 1.f;
    if (c.in_ch == c.out_ch) {
      EXPECT_NEAR(0.5, peak / full, 0.08);
    } else {
      EXPECT_GT(peak / full, 0.3);
    }
  }
}

TEST_F(AudioOutputTest, PcmEncoderGetsOneFramePerBlock) {
  TRecordingPort port;
  Sink sink;
  TAudioOutput out(Params(AV_SAMPLE_FMT_S16, 44100, 2, 0), port, sink.fn(), nullptr);
  int isStart = 1;
  for (int nb : {300, 1000, 77}) {
    AVFrame* f = Block(AV_SAMPLE_FMT_FLTP, 44100, 2, nb);
    out.Write(f, out.sync_opts / 44100.0, isStart);
    ff::av_frame_free(&f);
  }
  ASSERT_EQ(3u, port.Frames.size());
  EXPECT_EQ(300, port.Frames[0].nb_samples);
  EXPECT_EQ(1000, port.Frames[1].nb_samples);
  EXPECT_EQ(77, port.Frames[2].nb_samples);
  EXPECT_EQ(1377, out.sync_opts);
  EXPECT_EQ(3, sink.packets);
}

TEST_F(AudioOutputTest, SyncMethodOnePadsThenDropsInSamples) {
  // Float planar input: the correction must count samples, not 2-byte units.
  TRecordingPort port;
  Sink sink;
  auto p = Params(AV_SAMPLE_FMT_FLTP, 48000, 2, 0);
  p.sync_method = 1;
  TAudioOutput out(p, port, sink.fn(), nullptr);
  int isStart = 1;
  AVFrame* f = Block(AV_SAMPLE_FMT_FLTP, 48000, 2, 480);
  // The block is due 100 samples after the output's position: silence first.
  out.Write(f, 100.0 / 48000, isStart);
  EXPECT_EQ(0, isStart);
  ASSERT_EQ(1u, port.Frames.size());
  EXPECT_EQ(580, port.Frames[0].nb_samples);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(0.f, port.Frames[0].first[i]) << i;
  EXPECT_EQ(0.f, port.Frames[0].first[100]);  // sin(0): the block starts here
  EXPECT_NE(0.f, port.Frames[0].first[101]);
  // A small difference is left alone once started (below the drift threshold).
  out.Write(f, 580.0 / 48000 - 60.0 / 48000, isStart);
  EXPECT_EQ(480, port.Frames.back().nb_samples);
  // Output 2000 samples ahead (beyond 0.1 s? no: 2000 < 4800) stays; 6000 ahead drops the block.
  const size_t before = port.Frames.size();
  out.Write(f, (out.sync_opts - 6000) / 48000.0, isStart);
  EXPECT_EQ(before, port.Frames.size());  // the whole block was dropped
  ff::av_frame_free(&f);
}

TEST_F(AudioOutputTest, SyncMethodAboveOneStretchesTheResampler) {
  TRecordingPort port;
  Sink sink;
  auto p = Params(AV_SAMPLE_FMT_S16, 44100, 2, 0);
  p.sync_method = 100;
  TAudioOutput out(p, port, sink.fn(), nullptr);
  EXPECT_TRUE(out.Resampling());  // even at the same rate
  int isStart = 0;
  int64_t fed = 0;
  for (int b = 0; b < 50; ++b) {
    AVFrame* f = Block(AV_SAMPLE_FMT_S16, 44100, 2, 1024, fed);
    // The input runs 200 samples ahead of what was written: stretch, don't pad.
    out.Write(f, (fed + 200) / 44100.0, isStart);
    fed += 1024;
    ff::av_frame_free(&f);
  }
  EXPECT_GT(out.sync_opts, fed - 64);  // output grew faster than the input
  EXPECT_EQ(0, isStart);
}

TEST_F(AudioOutputTest, DrainSendsShortOrPaddedLastFrame) {
  for (bool small : {false, true}) {
    TRecordingPort port;
    Sink sink;
    auto p = Params(AV_SAMPLE_FMT_S16, 8000, 1, 160);
    p.small_last_frame = small;
    TAudioOutput out(p, port, sink.fn(), nullptr);
    int isStart = 1;
    AVFrame* f = Block(AV_SAMPLE_FMT_S16, 8000, 1, 400);
    out.Write(f, 0, isStart);
    ff::av_frame_free(&f);
    EXPECT_EQ(80, out.FifoSamples());
    out.Drain();
    ASSERT_EQ(3u, port.Frames.size());
    EXPECT_EQ(small ? 80 : 160, port.Frames[2].nb_samples);
    EXPECT_EQ(400, out.sync_opts);
    EXPECT_TRUE(port.Drained);
  }
}

TEST_F(AudioOutputTest, UnsupportedConversionIsReported) {
  TRecordingPort port;
  Sink sink;
  auto p = Params(AV_SAMPLE_FMT_S16, 44100, 2, 0);
  TAudioOutput out(p, port, sink.fn(), nullptr);
  AVFrame* f = Block(AV_SAMPLE_FMT_S16, 22050, 65, 100);  // beyond any resampler's channels
  int isStart = 1;
  try {
    out.Write(f, 0, isStart);
    ADD_FAILURE() << "no error";
  } catch (const ETranscodeError& e) {
    EXPECT_EQ("Can not resample 65 channels @ 22050 Hz to 2 channels @ 44100 Hz", rtl::U8(e.Message()));
  }
  ff::av_frame_free(&f);
}

TEST_F(AudioOutputTest, VolumeScalesEveryFormat) {
  for (AVSampleFormat fmt : {AV_SAMPLE_FMT_S16, AV_SAMPLE_FMT_FLTP, AV_SAMPLE_FMT_S32, AV_SAMPLE_FMT_FLT}) {
    AVFrame* f = Block(fmt, 8000, 2, 64);
    AVFrame* ref = Block(fmt, 8000, 2, 64);
    ApplyVolume(f, 128);  // half
    const bool planar = ff::av_sample_fmt_is_planar(fmt);
    const int idx = planar ? 5 : 10;  // sample 5 of the first channel
    auto at = [&](AVFrame* x) -> double {
      switch (ff::av_get_packed_sample_fmt(fmt)) {
        case AV_SAMPLE_FMT_S16: return reinterpret_cast<int16_t*>(x->data[0])[idx];
        case AV_SAMPLE_FMT_S32: return reinterpret_cast<int32_t*>(x->data[0])[idx];
        default: return reinterpret_cast<float*>(x->data[0])[idx];
      }
    };
    EXPECT_NEAR(at(ref) / 2, at(f), std::fabs(at(ref)) * 0.001 + 1) << ff::av_get_sample_fmt_name(fmt);
    ff::av_frame_free(&f);
    ff::av_frame_free(&ref);
  }
  // Loud integer samples clip instead of wrapping.
  AVFrame* f = Block(AV_SAMPLE_FMT_S16, 8000, 1, 64);
  reinterpret_cast<int16_t*>(f->data[0])[3] = 30000;
  reinterpret_cast<int16_t*>(f->data[0])[4] = -30000;
  ApplyVolume(f, 1024);
  EXPECT_EQ(32767, reinterpret_cast<int16_t*>(f->data[0])[3]);
  EXPECT_EQ(-32768, reinterpret_cast<int16_t*>(f->data[0])[4]);
  ff::av_frame_free(&f);
}

}  // namespace
