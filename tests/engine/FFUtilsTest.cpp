#include "engine/FFUtils.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "EngineTestUtils.h"
#include "engine/FFmpegLogger.h"
#include "platform/rtl/Strings.h"

using namespace engine;
using enginetest::TempDir;

namespace {

TEST(DurationToStrTest, Cases) {
  const std::pair<int64_t, const char*> cases[] = {{0, "00:00:00.000"},
                                                   {999, "00:00:00.000"},
                                                   {3723456789, "01:02:03.456"},
                                                   {90061001000, "25:01:01.001"},
                                                   {AV_NOPTS_VALUE, "N/A"}};
  for (auto [d, text] : cases) EXPECT_EQ(rtl::U8(DurationToStr(d)), text) << d;
}

TEST(FrameRateToDurationTest, Cases) {
  const std::pair<AVRational, int64_t> cases[] = {
      {{30000, 1001}, 33366}, {{0, 1}, 40000}, {{25, 0}, 40000}, {{24, 1}, 41666}, {{1, 2}, 2000000}};
  for (auto [rate, us] : cases) EXPECT_EQ(FrameRateToDuration(rate), us) << rate.num << "/" << rate.den;
}

TEST(FFmpegErrorTextTest, KnownCodesAndFallback) {
  enginetest::LoadSystemSet(TranscoderLibraries);
  const std::pair<int, const char*> cases[] = {
      {-2, "No such file or directory"},
      {-5, "I/O error"},
      {-12, "Not enough memory"},
      {-22, "Invalid data found when processing input"},
      {-32, "End of file"},
      {-33, "Number syntax expected in filename"},
      {-42, "Unknown format"},
      {-10043, "Unsupported network protocol"},
      {-1163346256, "Not yet implemented in FFmpeg"},
      {AVERROR_EOF, "End of file"},
      {AVERROR_INVALIDDATA, "Invalid data found when processing input"},
      {AVERROR_DEMUXER_NOT_FOUND, "Unknown format"},
      {AVERROR_PROTOCOL_NOT_FOUND, "Unsupported network protocol"},
      // Other codes: the system's or FFmpeg's own text.
      {-7, "Argument list too long"},
      {AVERROR(EROFS), "Read-only file system"},
      {AVERROR(EISDIR), "Is a directory"},
      {AVERROR_UNKNOWN, "Unknown error occurred"},
      {-1313558101, "Unknown error occurred"},
      {0, "Error number 0 occurred"}};
  for (auto [code, text] : cases)
    EXPECT_EQ(rtl::U8(FFmpegErrorText(u"in.avi", code)), std::string("in.avi: ") + text) << code;
}

TEST(MediaTypeTextTest, Cases) {
  const char* expected[] = {"Video", "Audio", "Data", "Subtitle", "Attachment"};
  for (int t = 0; t < 5; ++t) EXPECT_EQ(rtl::U8(MediaTypeText(t)), expected[t]);
  EXPECT_EQ(rtl::U8(MediaTypeText(-1)), "Unknown");
  EXPECT_EQ(rtl::U8(MediaTypeText(5)), "Unknown");
}

// Helpers that need the libraries.
class FFUtilsLibTest : public ::testing::Test {
 protected:
  void SetUp() override { enginetest::LoadSystemSet(TranscoderLibraries); }
};

class FFOptionsTest : public FFUtilsLibTest {
 protected:
  void SetUp() override {
    FFUtilsLibTest::SetUp();
    ResetFFOptions(opts);
    AllocFFOptions(opts, SWS_BICUBIC);
    logger = GetFFLogger();
    logger->SetTriggerEventInMainThread(false);
    logger->SetOnLog([this](rtl::TObject*, uint32_t, TLogLevel l, const rtl::String& m) {
      logged.push_back(std::to_string(l) + ":" + rtl::U8(m));
    });
  }
  void TearDown() override {
    FreeFFOptions(opts);
    logger->SetOnLog(nullptr);
    logger->SetTriggerEventInMainThread(true);
    logger->SetLogLevel(llInfo);
  }
  TFFOptions opts;
  TFFLogger* logger = nullptr;
  std::vector<std::string> logged;
};

TEST_F(FFOptionsTest, RefusedNamesAndValues) {
  EXPECT_FALSE(SetFFOption(opts, "b", "abc"));
  // FFmpeg explains first; our own line closes the report, once.
  ASSERT_FALSE(logged.empty());
  EXPECT_EQ(logged.back(), "3:Invalid value \"abc\" for option \"b\"");
  EXPECT_EQ(std::count(logged.begin(), logged.end(), logged.back()), 1);
  logged.clear();
  EXPECT_FALSE(SetFFOption(opts, "   ", "1"));
  EXPECT_FALSE(SetFFOption(opts, "b", " "));
  EXPECT_FALSE(SetFFOption(opts, "no_such_option", "1"));
  EXPECT_TRUE(logged.empty());  // an unknown name is refused silently
  EXPECT_TRUE(opts.opt_names.empty());
}

TEST_F(FFOptionsTest, NameReachesEveryMediaTypeThatAcceptsIt) {
  ASSERT_TRUE(SetFFOption(opts, "b", "1000k"));
  ASSERT_TRUE(SetFFOption(opts, "b", "1200k"));
  EXPECT_EQ(opts.avcodec_opts[AVMEDIA_TYPE_VIDEO]->bit_rate, 1200000);
  EXPECT_EQ(opts.avcodec_opts[AVMEDIA_TYPE_AUDIO]->bit_rate, 1200000);
  ASSERT_TRUE(SetFFOption(opts, "g", "25"));  // video only
  EXPECT_EQ(opts.avcodec_opts[AVMEDIA_TYPE_VIDEO]->gop_size, 25);
  EXPECT_NE(opts.avcodec_opts[AVMEDIA_TYPE_AUDIO]->gop_size, 25);
  ASSERT_TRUE(SetFFOption(opts, "probesize", "4096"));  // a format option
  EXPECT_EQ(opts.avformat_opts->probesize, 4096);
  EXPECT_EQ(opts.opt_names, (std::vector<std::string>{"b", "g", "probesize"}));
}

TEST_F(FFOptionsTest, FirstLetterPicksTheMediaType) {
  const int videoTolerance = opts.avcodec_opts[AVMEDIA_TYPE_VIDEO]->bit_rate_tolerance;
  ASSERT_TRUE(SetFFOption(opts, "abt", "4000"));
  EXPECT_EQ(opts.avcodec_opts[AVMEDIA_TYPE_AUDIO]->bit_rate_tolerance, 4000);
  EXPECT_EQ(opts.avcodec_opts[AVMEDIA_TYPE_VIDEO]->bit_rate_tolerance, videoTolerance);
  ASSERT_TRUE(SetFFOption(opts, "vb", "300k"));
  EXPECT_EQ(opts.avcodec_opts[AVMEDIA_TYPE_VIDEO]->bit_rate, 300000);
  EXPECT_NE(opts.avcodec_opts[AVMEDIA_TYPE_AUDIO]->bit_rate, 300000);
  EXPECT_EQ(opts.opt_names, (std::vector<std::string>{"bt", "b"}));
}

TEST_F(FFOptionsTest, DebugOptionRaisesTheLogLevel) {
  ASSERT_TRUE(SetFFOption(opts, "debug", "pict"));
  EXPECT_EQ(logger->LogLevel(), llDebug);
}

TEST_F(FFOptionsTest, RecordedOptionsReachRealContextsByFlags) {
  ASSERT_TRUE(SetFFOption(opts, "b", "700k"));
  ASSERT_TRUE(SetFFOption(opts, "g", "33"));
  AVCodecContext* audio = ff::avcodec_alloc_context3(nullptr);
  AVCodecContext* video = ff::avcodec_alloc_context3(nullptr);
  SetContextOptions(opts, audio, opts.avcodec_opts[AVMEDIA_TYPE_AUDIO],
                    AV_OPT_FLAG_AUDIO_PARAM | AV_OPT_FLAG_ENCODING_PARAM);
  SetContextOptions(opts, video, opts.avcodec_opts[AVMEDIA_TYPE_VIDEO],
                    AV_OPT_FLAG_VIDEO_PARAM | AV_OPT_FLAG_ENCODING_PARAM);
  EXPECT_EQ(audio->bit_rate, 700000);
  EXPECT_NE(audio->gop_size, 33);
  EXPECT_EQ(video->bit_rate, 700000);
  EXPECT_EQ(video->gop_size, 33);
  ff::avcodec_free_context(&audio);
  ff::avcodec_free_context(&video);
}

TEST_F(FFUtilsLibTest, ReadFileToBuffer) {
  TempDir dir;
  enginetest::WriteFile(dir / "empty", "");
  enginetest::WriteFile(dir / "stats.log", "pass 1 data");
  const std::pair<std::string, std::string> cases[] = {{"empty", ""}, {"stats.log", "pass 1 data"}};
  for (const auto& [name, content] : cases) {
    uint8_t* buf = nullptr;
    int size = -1;
    ASSERT_EQ(ReadFileToBuffer(dir / name, buf, size), 0) << name;
    EXPECT_EQ(size, static_cast<int>(content.size()) + 1);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf)), content);
    EXPECT_EQ(buf[size - 1], 0);
    ff::av_free(buf);
  }
  uint8_t* buf = nullptr;
  int size = 0;
  EXPECT_EQ(ReadFileToBuffer(dir / "missing", buf, size), -1);
  EXPECT_EQ(buf, nullptr);
  EXPECT_EQ(ReadFileToBuffer(dir.path().string(), buf, size), -1);  // a folder has no size
  // 2 GiB - 1 bytes and the terminating zero do not fit the int size: the
  // file is refused whole rather than read short (sparse: nothing is written).
  std::filesystem::resize_file(dir / "stats.log", 0x7FFFFFFFLL);
  EXPECT_EQ(ReadFileToBuffer(dir / "stats.log", buf, size), -1);
  EXPECT_EQ(buf, nullptr);
}

TEST_F(FFUtilsLibTest, MetadataValueMatchesWholeKeyWithoutCase) {
  AVDictionary* m = nullptr;
  ff::av_dict_set(&m, "Title", "影片", 0);
  ff::av_dict_set(&m, "title_sort", "x", 0);
  EXPECT_EQ(rtl::U8(GetMetadataValue(m, "title", u"none")), "影片");
  EXPECT_EQ(rtl::U8(GetMetadataValue(m, "titl", u"none")), "none");
  EXPECT_EQ(rtl::U8(GetMetadataValue(nullptr, "title", u"none")), "none");
  ff::av_dict_free(&m);
}

TEST_F(FFUtilsLibTest, CodecNameText) {
  struct Case {
    AVCodecID id;
    uint32_t tag;
    bool encoder;
    const char* text;
  } cases[] = {
      {AV_CODEC_ID_MPEG4, 0, false, "mpeg4(MPEG-4 part 2)"},
      {AV_CODEC_ID_NONE, MKTAG('X', 'V', 'I', 'D'), false, "XVID / 0x44495658"},
      {AV_CODEC_ID_NONE, 0x01, false, "0x0001"},
      {static_cast<AVCodecID>(0x20000), 0, false, "mpeg2ts"},
      {AV_CODEC_ID_VP6, 0, true, "vp6"},  // no encoder: the codec's registered name
  };
  for (const Case& c : cases) EXPECT_EQ(rtl::U8(CodecNameText(c.id, c.tag, c.encoder)), c.text);

  AVCodecContext* ctx = ff::avcodec_alloc_context3(nullptr);
  ctx->codec_id = AV_CODEC_ID_PCM_S16LE;
  EXPECT_EQ(rtl::U8(CodecNameText(ctx, true)), "pcm_s16le(PCM signed 16-bit little-endian)");
  ff::avcodec_free_context(&ctx);
}

}  // namespace
