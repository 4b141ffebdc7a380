// AMR-NB encoding: modes from the profiles' bit rates, and packets that the
// amr and 3gp muxers write into files the ffprobe tool reads back.
#include "engine/AmrNbEncoder.h"

#include <cmath>

#include "engine/AudioOutput.h"
#include "tests/engine/TranscodeTestUtils.h"

using namespace engine;

namespace {

TEST(AmrNbModeTest, BitRatesMapToTheNearestMode) {
  const struct {
    int64_t rate;
    int mode;
  } cases[] = {{4750, 0}, {5150, 1}, {5900, 2}, {6700, 3}, {7400, 4}, {7950, 5}, {10200, 6},
               {12200, 7}, {0, 0}, {64000, 7}, {9000, 5}, {11000, 6}};
  for (auto& c : cases) EXPECT_EQ(c.mode, AmrNbModeForBitRate(c.rate)) << c.rate;
  EXPECT_EQ(10200, AmrNbBitRateOfMode(6));
}

class AmrNbEncoderTest : public ::testing::TestWithParam<const char*> {
 protected:
  static void SetUpTestSuite() { enginetest::LoadSystemSet(TranscoderLibraries); }
};

TEST_P(AmrNbEncoderTest, SineIsMuxedAndProbedBack) {
  ASSERT_TRUE(AmrNbAvailable());
  enginetest::TempDir dir;
  const std::string path = dir / (std::string("tone.") + GetParam());

  AVFormatContext* oc = nullptr;
  ASSERT_GE(ff::avformat_alloc_output_context2(&oc, nullptr, nullptr, path.c_str()), 0);
  AVStream* st = ff::avformat_new_stream(oc, nullptr);
  st->codecpar->codec_type = AVMEDIA_TYPE_AUDIO;
  st->codecpar->codec_id = AV_CODEC_ID_AMR_NB;
  st->codecpar->sample_rate = AmrNbSampleRate;
  st->codecpar->frame_size = AmrNbFrameSize;
  ff::av_channel_layout_default(&st->codecpar->ch_layout, 1);
  st->time_base = AVRational{1, AmrNbSampleRate};
  ASSERT_GE(ff::avio_open(&oc->pb, path.c_str(), AVIO_FLAG_WRITE), 0);
  ASSERT_GE(ff::avformat_write_header(oc, nullptr), 0);

  TAmrNbEncoder enc(12200);
  EXPECT_EQ(7, enc.Mode());
  TAudioOutputParams p;
  p.out_fmt = AV_SAMPLE_FMT_S16;
  p.out_rate = AmrNbSampleRate;
  ff::av_channel_layout_default(&p.out_layout, 1);
  p.frame_size = AmrNbFrameSize;
  p.time_base = AVRational{1, AmrNbSampleRate};
  int packets = 0;
  TAudioOutput out(p, enc, [&](AVPacket* pkt, AVRational tb) {
    ++packets;
    EXPECT_EQ(32, pkt->size);  // 12.2 kbit/s: mode byte + 31 bytes
    EXPECT_EQ((7 << 3) | 4, pkt->data[0]);
    pkt->stream_index = 0;
    ff::av_packet_rescale_ts(pkt, tb, st->time_base);
    ASSERT_EQ(0, ff::av_interleaved_write_frame(oc, pkt));
  }, nullptr);

  // 2 seconds of a 440 Hz tone, 44.1 kHz stereo float planar in 1000-sample blocks.
  int isStart = 1;
  for (int b = 0; b < 88; ++b) {
    AVFrame* f = ff::av_frame_alloc();
    f->format = AV_SAMPLE_FMT_FLTP;
    f->sample_rate = 44100;
    f->nb_samples = 1000;
    ff::av_channel_layout_default(&f->ch_layout, 2);
    ASSERT_EQ(0, ff::av_frame_get_buffer(f, 0));
    for (int c = 0; c < 2; ++c)
      for (int i = 0; i < 1000; ++i)
        reinterpret_cast<float*>(f->data[c])[i] = 0.4f * std::sin(2 * M_PI * 440 * (b * 1000 + i) / 44100.0);
    out.Write(f, b * 1000 / 44100.0, isStart);
    ff::av_frame_free(&f);
  }
  out.Drain();
  ASSERT_EQ(0, ff::av_write_trailer(oc));
  ff::avio_closep(&oc->pb);
  ff::avformat_free_context(oc);

  EXPECT_NEAR(88000 * 8000 / 44100 / 160, packets, 2);
  auto info = transcodetest::Probe(path);
  EXPECT_EQ("amr_nb", info["s0.codec_name"]);
  EXPECT_EQ("8000", info["s0.sample_rate"]);
  EXPECT_EQ("1", info["s0.channels"]);
  // (A raw .amr file has no index: its duration is estimated from the bit rate.)
  EXPECT_NEAR(88000 / 44100.0, transcodetest::ToDouble(info["format.duration"]), 0.1);
  // Every packet decodes.
  EXPECT_EQ(packets, transcodetest::CountFrames(path, "a"));
}

INSTANTIATE_TEST_SUITE_P(Containers, AmrNbEncoderTest, ::testing::Values("amr", "3gp"));

TEST(AmrNbEncoderPortTest, RefusesOtherThanMonoS16AndDrainsOnce) {
  enginetest::LoadSystemSet(TranscoderLibraries);
  TAmrNbEncoder enc(4750);
  AVFrame* f = ff::av_frame_alloc();
  f->format = AV_SAMPLE_FMT_S16;
  f->nb_samples = 200;  // more than one frame
  ff::av_channel_layout_default(&f->ch_layout, 1);
  ASSERT_EQ(0, ff::av_frame_get_buffer(f, 0));
  EXPECT_EQ(AVERROR(EINVAL), enc.SendFrame(f));
  f->nb_samples = 100;  // a short last frame is padded
  EXPECT_EQ(0, enc.SendFrame(f));
  AVPacket* pkt = ff::av_packet_alloc();
  EXPECT_EQ(0, enc.ReceivePacket(pkt));
  EXPECT_EQ(13, pkt->size);  // 4.75 kbit/s
  EXPECT_EQ(AVERROR(EAGAIN), enc.ReceivePacket(pkt));
  EXPECT_EQ(0, enc.SendFrame(nullptr));
  EXPECT_EQ(AVERROR_EOF, enc.ReceivePacket(pkt));
  EXPECT_EQ(AVERROR_EOF, enc.SendFrame(f));
  ff::av_packet_free(&pkt);
  ff::av_frame_free(&f);
}

}  // namespace
