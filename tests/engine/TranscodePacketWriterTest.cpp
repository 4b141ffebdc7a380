// The progress line and the packet writer's bitstream filter chain.
#include "engine/TranscodePacketWriter.h"

#include "tests/engine/TranscodeTestUtils.h"

using namespace engine;

namespace {

TEST(ProgressTextTest, ReportsTheFirstShownVideoStream) {
  // No picture written yet: nothing is reported.
  EXPECT_TRUE(BuildProgress({{0, -1, true}}, {0.0}, 0, 0.5, false, 0, 0).skipped);

  // A stream whose encoder still holds its pictures back holds the time at 0:
  // the report is never ahead of what every stream has written.
  TProgressValues early = BuildProgress({{12, 2.5f, true}}, {0.0, 0.5}, 4096, 0.5, false, 0, 0);
  EXPECT_DOUBLE_EQ(0.0, early.time);
  EXPECT_NE(std::string::npos, early.text.find("time=0.01 ")) << early.text;

  TProgressValues v = BuildProgress({{120, 2.5f, true}, {40, 4.0f, true}}, {4.8, 5.0}, 512000, 2.0, true, 3, 1);
  EXPECT_FALSE(v.skipped);
  EXPECT_EQ(120, v.frame_number);
  EXPECT_EQ(60, v.fps);
  EXPECT_FLOAT_EQ(2.5f, v.quality);
  EXPECT_DOUBLE_EQ(4.8, v.time);  // the slowest stream
  EXPECT_NEAR(512000 * 8 / 4.8 / 1000, v.bitrate, 1e-6);
  EXPECT_EQ("frame=  120 fps= 60 q=2.5 Lq=4.0 size=     500kB time=4.80 bitrate= 853.3kbits/s dup=3 drop=1",
            v.text);

  // Audio only: the size and time alone; an early report shows fps 0.
  v = BuildProgress({}, {1.0}, 2048, 0.5, false, 0, 0);
  EXPECT_EQ(-1, v.frame_number);
  EXPECT_EQ("size=       2kB time=1.00 bitrate=  16.4kbits/s", v.text);
  EXPECT_EQ(0, BuildProgress({{10, 1, true}}, {0.4}, 0, 0.5, false, 0, 0).fps);
}

TEST(ProgressTextTest, PSNRFiguresPerPlaneAndOverall) {
  // 320x240: a full-scale error sums to 320*240*255^2 on the luma plane and to a
  // quarter of that on each chroma plane.
  const double full = 320.0 * 240 * 255 * 255;
  TProgressVideo s{10, 2.0f, true};
  s.psnr = true;
  s.width = 320;
  s.height = 240;
  s.error[0] = full / 1000;      // 30 dB
  s.error[1] = full / 4 / 100;   // 20 dB
  s.error[2] = full / 4 / 100;
  const std::string text = BuildProgress({s}, {0.4}, 1024, 0.5, false, 0, 0).text;
  EXPECT_NE(std::string::npos, text.find("q=2.0 PSNR=Y:30.00 U:20.00 V:20.00 *:23.98 size=")) << text;
  // The last report measures the sums of all ten pictures.
  for (double& e : s.error) e *= 10;
  const std::string last = BuildProgress({s}, {0.4}, 1024, 0.5, true, 0, 0).text;
  EXPECT_NE(std::string::npos, last.find("LPSNR=Y:30.00 U:20.00 V:20.00 *:23.98 ")) << last;
  // Identical pictures: no error at all.
  s.error[0] = s.error[1] = s.error[2] = 0;
  EXPECT_NE(std::string::npos, BuildProgress({s}, {0.4}, 1024, 0.5, false, 0, 0).text.find("Y:inf ")) ;
}

TEST(ProgressTextTest, QuantiserHistogramCountsAcrossRuns) {
  const int before = QPHistogram[7].load();
  const std::string text = QPHistogramText(7.2f);
  EXPECT_EQ(before + 1, QPHistogram[7].load());
  EXPECT_EQ(32u, text.size());
  QPHistogramText(99.0f);  // beyond the table: shown, not counted
  EXPECT_EQ(before + 1, QPHistogram[7].load());
  EXPECT_NE(std::string::npos,
            BuildProgress({{5, 7.0f, true}}, {0.2}, 0, 0.5, false, 0, 0, true).text.find("q=7.0 ")) ;
}

TEST(PacketWriterTest, UnknownOrRefusingFilterIsReported) {
  enginetest::LoadSystemSet(TranscoderLibraries);
  enginetest::TempDir dir;
  AVFormatContext* oc = nullptr;
  ASSERT_GE(ff::avformat_alloc_output_context2(&oc, nullptr, "matroska", nullptr), 0);
  AVStream* st = ff::avformat_new_stream(oc, nullptr);
  st->codecpar->codec_type = AVMEDIA_TYPE_VIDEO;
  st->codecpar->codec_id = AV_CODEC_ID_MPEG4;
  st->time_base = AVRational{1, 25};
  try {
    TPacketWriter w(oc, st, {"nosuchbsf"}, "mpeg4", true, nullptr);
    ADD_FAILURE();
  } catch (const ETranscodeError& e) {
    EXPECT_EQ("Unknown bitstream filter nosuchbsf", rtl::U8(e.Message()));
  }
  // An H.264 filter refuses MPEG-4 video.
  EXPECT_THROW(TPacketWriter(oc, st, {"dump_extra", "h264_mp4toannexb"}, "mpeg4", true, nullptr), ETranscodeError);
  // Filters that take the codec are chained.
  EXPECT_NO_THROW(TPacketWriter(oc, st, {"dump_extra", "null"}, "mpeg4", true, nullptr));
  ff::avformat_free_context(oc);
}

}  // namespace
