// The video output stage: frame-rate decisions, geometry through the filter
// graph, stop checks between copies, and subtitles.
#include "engine/VideoOutput.h"

#include "tests/engine/TranscodeTestUtils.h"

using namespace engine;

namespace {

// Keeps what each sent picture looked like; answers each with one packet.
class TPicturePort : public TEncoderPort {
 public:
  struct TPic {
    int w, h, format;
    int64_t pts;
    uint8_t firstLuma;
  };
  std::vector<TPic> Pics;
  bool Drained = false;
  int SendFrame(const AVFrame* f) override {
    if (!f) {
      Drained = true;
      return 0;
    }
    Pics.push_back({f->width, f->height, f->format, f->pts, f->data[0][0]});
    pending_ = true;
    return 0;
  }
  int ReceivePacket(AVPacket* p) override {
    if (!pending_) return Drained ? AVERROR_EOF : AVERROR(EAGAIN);
    ff::av_new_packet(p, 100);
    p->pts = Pics.back().pts;
    pending_ = false;
    return 0;
  }

 private:
  bool pending_ = false;
};

class VideoOutputTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { enginetest::LoadSystemSet(TranscoderLibraries); }

  static AVFrame* Picture(int w, int h, uint8_t luma = 100, AVPixelFormat fmt = AV_PIX_FMT_YUV420P) {
    AVFrame* f = ff::av_frame_alloc();
    f->width = w;
    f->height = h;
    f->format = fmt;
    EXPECT_EQ(0, ff::av_frame_get_buffer(f, 0));
    for (int p = 0; p < 3 && f->data[p]; ++p) {
      const int rows = p == 0 ? h : (h + 1) / 2;
      for (int y = 0; y < rows; ++y) std::memset(f->data[p] + y * f->linesize[p], p == 0 ? luma : 128, f->linesize[p]);
    }
    return f;
  }

  static TVideoFilterParams Geometry(int iw, int ih, int ow, int oh) {
    TVideoFilterParams g;
    g.in_w = iw;
    g.in_h = ih;
    g.in_fmt = AV_PIX_FMT_YUV420P;
    g.out_w = ow;
    g.out_h = oh;
    g.out_fmt = AV_PIX_FMT_YUV420P;
    return g;
  }

  struct Sink {
    int packets = 0;
    TPacketSink fn() {
      return [this](AVPacket*, AVRational) { ++packets; };
    }
  };
};

TEST(VideoSyncCountTest, DuplicatesDropsAndJumps) {
  const struct {
    int method;
    bool vfr;
    double syncTime;
    int64_t opts, count, optsAfter;
  } cases[] = {
      {1, false, 13.0, 10, 3, 10},   // 3 frames ahead: written 3 times
      {1, false, 8.5, 10, 0, 10},    // -1.5: dropped
      {1, false, 9.0, 10, 1, 10},    // -1.0: written once
      {1, false, 11.0, 10, 1, 10},   // +1.0: written once
      {2, false, 9.3, 10, 0, 10},    // vfr -0.7: dropped
      {2, false, 12.4, 10, 1, 12},   // vfr +2.4: once, output time jumps
      {-1, true, 12.4, 10, 1, 12},   // automatic on a vfr muxer
      {-1, false, 12.4, 10, 2, 10},  // automatic on a cfr muxer
      {0, false, 42.5, 10, 1, 42},   // follow the input (ties to even)
      {0, false, 43.5, 10, 1, 44},
  };
  for (auto& c : cases) {
    int64_t opts = c.opts;
    EXPECT_EQ(c.count, VideoSyncCount(c.method, c.vfr, c.syncTime, opts)) << c.method << " " << c.syncTime;
    EXPECT_EQ(c.optsAfter, opts) << c.method << " " << c.syncTime;
  }
}

TEST_F(VideoOutputTest, FrameRateChangeCountsDupsAndDrops) {
  const struct {
    int inFps, pictures, written, dup, drop;
  } cases[] = {{25, 50, 50, 0, 0}, {10, 20, 50, 30, 0}, {50, 100, 50, 0, 50}};
  for (auto& c : cases) {
    SCOPED_TRACE(c.inFps);
    TPicturePort port;
    Sink sink;
    TVideoOutputParams p;
    p.sync_method = 1;
    p.enc_tb = AVRational{1, 25};
    TVideoOutput out(p, Geometry(64, 48, 64, 48), port, sink.fn(), nullptr);
    EXPECT_FALSE(out.Graph().Built());  // nothing to convert
    AVFrame* f = Picture(64, 48);
    for (int i = 0; i < c.pictures; ++i) out.Write(f, int64_t(i) * 1000000 / c.inFps);
    ff::av_frame_free(&f);
    out.Drain();
    // The last picture of a slower input is due for more copies after it.
    EXPECT_NEAR(c.written, int(port.Pics.size()), c.inFps < 25 ? 3 : 1);
    EXPECT_NEAR(c.dup, out.nb_frames_dup, c.inFps < 25 ? 3 : 1);
    EXPECT_NEAR(c.drop, out.nb_frames_drop, 1);
    EXPECT_EQ(c.dup || c.drop, out.ShowDupOrDrop);
    for (size_t i = 0; i < port.Pics.size(); ++i) ASSERT_EQ(int64_t(i), port.Pics[i].pts);
    EXPECT_EQ(int(port.Pics.size()), sink.packets);
    EXPECT_TRUE(port.Drained);
  }
}

TEST_F(VideoOutputTest, MaxFramesAndStopCutTheCopies) {
  TPicturePort port;
  Sink sink;
  TVideoOutputParams p;
  p.sync_method = 1;
  p.max_frames = 10;
  TVideoOutput out(p, Geometry(64, 48, 64, 48), port, sink.fn(), nullptr);
  AVFrame* f = Picture(64, 48);
  for (int i = 0; i < 9; ++i) out.Write(f, i * 40000);
  out.Write(f, 11 * 40000);  // due 3 times, room for 1
  EXPECT_EQ(10u, port.Pics.size());
  out.Write(f, 12 * 40000);
  EXPECT_EQ(10u, port.Pics.size());

  TPicturePort port2;
  int asked = 0;
  TVideoOutput stopped(p, Geometry(64, 48, 64, 48), port2, sink.fn(), nullptr, [&] { return ++asked > 2; });
  stopped.Write(f, 0);
  stopped.Write(f, 5 * 40000);  // 5 copies due, the stop comes after the second picture
  EXPECT_EQ(2u, port2.Pics.size());
  ff::av_frame_free(&f);
}

TEST_F(VideoOutputTest, TheLastPictureAndGarbageTimesAreHeldToTheEnd) {
  // 25 fps out; pictures shown 100 ms each. Frames counted after the drain.
  struct Case {
    const char* Name;
    std::vector<int64_t> Pts;  // microseconds
    int64_t EndTime;           // the end of the input, or INT64_MAX
    size_t Frames;
  } cases[] = {
      // The last picture is repeated for its own display time.
      {"plain", {0, 100000, 200000}, INT64_MAX, 8},
      // A last picture timed near the limit: skipped, the one before keeps its time.
      {"garbage last", {0, 100000, INT64_MAX - 5}, INT64_MAX, 5},
      // A first picture timed near the limit, the rest in order.
      {"garbage first", {INT64_MAX / 2, 100000, 200000}, INT64_MAX, 8},
      // With the input's end known, nothing starts at or past it.
      {"known end", {0, 100000, 200000, 10000000}, 250000, 7},
      {"end cuts the last display", {0, 100000, 200000}, 230000, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TPicturePort port;
    Sink sink;
    TVideoOutputParams p;
    p.sync_method = 1;
    p.end_time = c.EndTime;
    TVideoOutput out(p, Geometry(64, 48, 64, 48), port, sink.fn(), nullptr);
    AVFrame* f = Picture(64, 48);
    for (int64_t pts : c.Pts) out.Write(f, pts, "#0.0", 100000);
    out.Drain();
    EXPECT_EQ(c.Frames, port.Pics.size());
    ff::av_frame_free(&f);
  }
}

TEST_F(VideoOutputTest, CropScaleAndSizeChangeKeepTheEncoderSize) {
  TPicturePort port;
  Sink sink;
  TVideoOutputParams p;
  p.sync_method = 0;
  auto g = Geometry(640, 480, 352, 288);
  g.crop_top = g.crop_bottom = 16;
  TVideoOutput out(p, g, port, sink.fn(), nullptr);
  ASSERT_TRUE(out.Graph().Built());
  EXPECT_EQ(1, out.GraphBuilds());
  // Bands of a different brightness show whether the crop happened.
  AVFrame* f = Picture(640, 480, 200);
  for (int y = 0; y < 16; ++y) std::memset(f->data[0] + y * f->linesize[0], 16, 640);
  out.Write(f, 0);
  ff::av_frame_free(&f);
  ASSERT_EQ(1u, port.Pics.size());
  EXPECT_EQ(352, port.Pics[0].w);
  EXPECT_EQ(288, port.Pics[0].h);
  EXPECT_NEAR(200, port.Pics[0].firstLuma, 3);  // the dark top band is gone

  f = Picture(320, 240);
  out.Write(f, 40000, "#0.0");
  ff::av_frame_free(&f);
  EXPECT_EQ(2, out.GraphBuilds());
  EXPECT_EQ(8, out.Geometry().crop_top);
  EXPECT_EQ(8, out.Geometry().crop_bottom);
  ASSERT_EQ(2u, port.Pics.size());
  EXPECT_EQ(352, port.Pics[1].w);
  EXPECT_EQ(288, port.Pics[1].h);
}

TEST_F(VideoOutputTest, UserChainFollowsTheScalerAndFormatIsConverted) {
  TVideoFilterGraph graph;
  auto g = Geometry(640, 480, 320, 240);
  g.in_fmt = AV_PIX_FMT_RGB24;
  g.user_filters = "hflip";
  std::string err;
  ASSERT_TRUE(graph.Build(g, err)) << err;
  const std::string names = graph.FilterNames();
  EXPECT_LT(names.find("scale"), names.find("hflip")) << names;
  EXPECT_EQ("flags=0x4", graph.ScaleSwsOpts());
  EXPECT_EQ(320, graph.OutWidth());
  EXPECT_EQ(AV_PIX_FMT_YUV420P, graph.OutFormat());

  // A chain that changes the size tells the encoder its size.
  g.user_filters = "scale=160:120";
  ASSERT_TRUE(graph.Build(g, err)) << err;
  EXPECT_EQ(160, graph.OutWidth());
  EXPECT_EQ(120, graph.OutHeight());

  g.user_filters = "nosuchfilter";
  EXPECT_FALSE(graph.Build(g, err));
  EXPECT_NE(std::string::npos, err.find("nosuchfilter")) << err;
  EXPECT_FALSE(graph.Built());
}

TEST_F(VideoOutputTest, DvbSubtitleGivesDrawAndClearPackets) {
  const AVCodec* codec = ff::avcodec_find_encoder(AV_CODEC_ID_DVB_SUBTITLE);
  ASSERT_NE(nullptr, codec);
  AVCodecContext* enc = ff::avcodec_alloc_context3(codec);
  enc->time_base = AVRational{1, 1000};
  enc->width = 720;
  enc->height = 576;
  ASSERT_EQ(0, ff::avcodec_open2(enc, codec, nullptr));

  AVSubtitle sub{};
  sub.start_display_time = 500;
  sub.end_display_time = 2500;
  sub.num_rects = 1;
  sub.rects = static_cast<AVSubtitleRect**>(ff::av_mallocz(sizeof(AVSubtitleRect*)));
  sub.rects[0] = static_cast<AVSubtitleRect*>(ff::av_mallocz(sizeof(AVSubtitleRect)));
  AVSubtitleRect* r = sub.rects[0];
  r->type = SUBTITLE_BITMAP;
  r->x = 10, r->y = 10, r->w = 16, r->h = 8, r->nb_colors = 4;
  r->data[0] = static_cast<uint8_t*>(ff::av_mallocz(16 * 8));
  r->linesize[0] = 16;
  r->data[1] = static_cast<uint8_t*>(ff::av_mallocz(4 * 4));
  for (int i = 0; i < 16 * 8; ++i) r->data[0][i] = i % 4;

  std::vector<int64_t> pts;
  std::vector<uint8_t> buffer;
  TPacketSink sink = [&](AVPacket* p, AVRational tb) { pts.push_back(ff::av_rescale_q(p->pts, tb, {1, 1000})); };
  EncodeSubtitle(enc, &sub, 90000, AVRational{1, 90000}, buffer, sink, true, nullptr);
  ASSERT_EQ(2u, pts.size());
  EXPECT_EQ(1500, pts[0]);         // 1 s + 500 ms display start
  EXPECT_EQ(1500 + 2000, pts[1]);  // cleared after the display time
  EXPECT_EQ(1u << 20, buffer.size());
  EXPECT_EQ(1u, sub.num_rects);    // the subtitle keeps its rectangles

  // Without a pts: an error, or a logged line and nothing written.
  EXPECT_THROW(EncodeSubtitle(enc, &sub, AV_NOPTS_VALUE, AVRational{1, 90000}, buffer, sink, true, nullptr),
               ETranscodeError);
  EncodeSubtitle(enc, &sub, AV_NOPTS_VALUE, AVRational{1, 90000}, buffer, sink, false, nullptr);
  EXPECT_EQ(2u, pts.size());
  ff::avsubtitle_free(&sub);
  ff::avcodec_free_context(&enc);
}

}  // namespace
