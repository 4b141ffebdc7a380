#include "engine/UnicodeProtocol.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include "EngineTestUtils.h"
#include "engine/FFEntries.h"
#include "platform/rtl/Strings.h"

using namespace engine;
using enginetest::TempDir;

namespace {

std::string Cwd() {
  char buf[4096];
  return getcwd(buf, sizeof buf) ? buf : "";
}

TEST(UnicodeNameTest, EncodingUnderTheUtf8CodePage) {
  const std::pair<const char*, std::string> cases[] = {
      {"/media/视频 01.mp4", "/media/视频 01.mp4"},
      {"http://host/a.mp4", "http://host/a.mp4"},
      {"unicode:utf8:/a.mp4", "unicode:utf8:/a.mp4"},
      {"/x:y.mp4", "/x:y.mp4"},
      {"clip.mp4", "clip.mp4"},
      // A relative name with a colon would be read as a protocol.
      {"a:b.mp4", Cwd() + "/a:b.mp4"},
      {"C:\\in.avi", Cwd() + "/C:\\in.avi"}};
  for (const auto& [name, encoded] : cases) {
    EXPECT_FALSE(NeedsUnicodeName(rtl::S(name))) << name;
    EXPECT_EQ(EncodeAVFileName(rtl::S(name)), encoded) << name;
  }
  EXPECT_EQ(rtl::U8(DecodeAVFileName("/media/视频 01.mp4")), "/media/视频 01.mp4");
}

class NarrowCodePageTest : public ::testing::Test {
 protected:
  void SetUp() override { rtl::SetAnsiCodePage("ISO-8859-1"); }
  void TearDown() override { rtl::SetAnsiCodePage("UTF-8"); }
};

TEST_F(NarrowCodePageTest, NameTheCodePageCannotHoldIsEncodedAndComesBack) {
  const rtl::String name = rtl::S("/media/视频 01.mp4");
  EXPECT_TRUE(NeedsUnicodeName(name));
  const std::string encoded = EncodeAVFileName(name);
  EXPECT_EQ(encoded, "unicode:utf8:/media/视频 01.mp4");
  EXPECT_EQ(DecodeAVFileName(encoded), name);
  // Names the code page holds pass as its text.
  EXPECT_EQ(EncodeAVFileName(rtl::S("/media/café.mp4")), "/media/caf\xE9.mp4");
  EXPECT_EQ(rtl::U8(DecodeAVFileName("/media/caf\xE9.mp4")), "/media/café.mp4");
  // Listed schemes pass; the list is case-sensitive.
  EXPECT_FALSE(NeedsUnicodeName(rtl::S("http://视频")));
  EXPECT_TRUE(NeedsUnicodeName(rtl::S("HTTP://视频")));
}

TEST(UnicodeNameTest, RecognisingEncodedNames) {
  const std::pair<std::string_view, bool> cases[] = {{"unicode:utf8:", false},
                                                     {"unicode:utf8:a", true},
                                                     {"UNICODE:utf8:a", false},
                                                     {"unicode:utf16:a", false},
                                                     {"", false}};
  for (auto [name, is] : cases) EXPECT_EQ(IsUnicodeAVFileName(name), is) << name;
  EXPECT_EQ(rtl::U8(UnicodeAVFileNameToWide("unicode:utf8:/a/b:c.mp4")), "/a/b:c.mp4");
  EXPECT_EQ(MakeUnicodeAVFileName(rtl::S("/视频")), "unicode:utf8:/视频");
}

class UnicodeAVIOTest : public ::testing::Test {
 protected:
  void SetUp() override { enginetest::LoadSystemSet(TranscoderLibraries); }
  TempDir dir;
};

TEST_F(UnicodeAVIOTest, MissingFileForReading) {
  AVIOContext* pb = reinterpret_cast<AVIOContext*>(1);
  EXPECT_EQ(OpenUnicodeAVIO(&pb, MakeUnicodeAVFileName(rtl::S(dir / "缺少.avi")), AVIO_FLAG_READ),
            AVERROR(ENOENT));
  EXPECT_EQ(pb, nullptr);
  EXPECT_EQ(AVERROR(ENOENT), -2);
}

TEST_F(UnicodeAVIOTest, WritingTruncatesAndReadingEndsWithEof) {
  const std::string path = dir / "输出.bin";
  enginetest::WriteFile(path, "an older and longer content");
  AVIOContext* pb = nullptr;
  ASSERT_EQ(OpenUnicodeAVIO(&pb, MakeUnicodeAVFileName(rtl::S(path)), AVIO_FLAG_WRITE), 0);
  EXPECT_TRUE(IsUnicodeAVIO(pb));
  ff::avio_write(pb, reinterpret_cast<const unsigned char*>("new"), 3);
  EXPECT_EQ(CloseUnicodeAVIO(&pb), 0);
  EXPECT_EQ(pb, nullptr);
  EXPECT_EQ(enginetest::ReadFile(path), "new");

  ASSERT_EQ(OpenUnicodeAVIO(&pb, MakeUnicodeAVFileName(rtl::S(path)), AVIO_FLAG_READ), 0);
  unsigned char buf[16];
  EXPECT_EQ(ff::avio_read(pb, buf, sizeof buf), 3);
  EXPECT_EQ(ff::avio_read(pb, buf, sizeof buf), AVERROR_EOF);
  EXPECT_TRUE(ff::avio_feof(pb));
  EXPECT_EQ(CloseUnicodeAVIO(&pb), 0);
}

// A name that is not UTF-8 (a byte Latin-1 wrote) still opens: its bytes
// travel through the unicode name unchanged.
TEST_F(UnicodeAVIOTest, NameWithBytesThatAreNotUtf8) {
  const std::string path = dir / "caf\xe9.bin";
  enginetest::WriteFile(path, "abc");
  const rtl::String name = rtl::FileNameToString(path);
  AVIOContext* pb = nullptr;
  ASSERT_EQ(OpenUnicodeAVIO(&pb, MakeUnicodeAVFileName(name), AVIO_FLAG_READ), 0);
  unsigned char buf[8];
  EXPECT_EQ(ff::avio_read(pb, buf, sizeof buf), 3);
  EXPECT_EQ(CloseUnicodeAVIO(&pb), 0);
  EXPECT_EQ(UnicodeAVFileNameToWide(MakeUnicodeAVFileName(name)), name);
}

TEST_F(UnicodeAVIOTest, SizeAndSeekBeyondFourGigabytes) {
  const std::string path = dir / "大文件.bin";
  int fd = open(path.c_str(), O_CREAT | O_WRONLY, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, 5000000000LL), 0);
  ASSERT_EQ(pwrite(fd, "Z", 1, 4999999999LL), 1);
  close(fd);

  AVIOContext* pb = nullptr;
  ASSERT_EQ(OpenUnicodeAVIO(&pb, MakeUnicodeAVFileName(rtl::S(path)), AVIO_FLAG_READ), 0);
  EXPECT_EQ(ff::avio_size(pb), 5000000000LL);
  EXPECT_EQ(ff::avio_seek(pb, 4999999999LL, SEEK_SET), 4999999999LL);
  unsigned char c = 0;
  EXPECT_EQ(ff::avio_read(pb, &c, 1), 1);
  EXPECT_EQ(c, 'Z');
  EXPECT_EQ(ff::avio_read(pb, &c, 1), AVERROR_EOF);
  EXPECT_EQ(CloseUnicodeAVIO(&pb), 0);
}

// Copies every packet of an input read through our own AVIO into an output
// written through it, then reads the output back the ordinary way.
TEST_F(UnicodeAVIOTest, MediaFileReadAndWrittenThroughTheUnicodeName) {
  const std::string input = dir / "输入 视频.avi";
  ASSERT_TRUE(enginetest::RunFFmpeg(
      "-f lavfi -i testsrc=duration=1:size=64x48:rate=10 -f lavfi -i sine=duration=1 "
      "-c:v mpeg4 -c:a pcm_s16le '" + input + "'"));
  const std::string output = dir / "输出 视频.mkv";

  AVIOContext* inPb = nullptr;
  const std::string inName = MakeUnicodeAVFileName(rtl::S(input));
  ASSERT_EQ(OpenUnicodeAVIO(&inPb, inName, AVIO_FLAG_READ), 0);
  AVFormatContext* ic = ff::avformat_alloc_context();
  ic->pb = inPb;
  ASSERT_EQ(ff::avformat_open_input(&ic, inName.c_str(), nullptr, nullptr), 0);
  ASSERT_GE(ff::avformat_find_stream_info(ic, nullptr), 0);
  ASSERT_EQ(ic->nb_streams, 2u);

  AVIOContext* outPb = nullptr;
  const std::string outName = MakeUnicodeAVFileName(rtl::S(output));
  ASSERT_EQ(OpenUnicodeAVIO(&outPb, outName, AVIO_FLAG_WRITE), 0);
  AVFormatContext* oc = nullptr;
  ASSERT_GE(ff::avformat_alloc_output_context2(&oc, nullptr, nullptr, outName.c_str()), 0);
  oc->pb = outPb;
  for (unsigned i = 0; i < ic->nb_streams; ++i) {
    AVStream* st = ff::avformat_new_stream(oc, nullptr);
    ff::avcodec_parameters_copy(st->codecpar, ic->streams[i]->codecpar);
    st->codecpar->codec_tag = 0;
    st->time_base = ic->streams[i]->time_base;
  }
  ASSERT_GE(ff::avformat_write_header(oc, nullptr), 0);
  AVPacket* pkt = ff::av_packet_alloc();
  int videoPackets = 0;
  while (ff::av_read_frame(ic, pkt) >= 0) {
    if (ic->streams[pkt->stream_index]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) ++videoPackets;
    ff::av_packet_rescale_ts(pkt, ic->streams[pkt->stream_index]->time_base,
                             oc->streams[pkt->stream_index]->time_base);
    ASSERT_GE(ff::av_interleaved_write_frame(oc, pkt), 0);
  }
  ASSERT_GE(ff::av_write_trailer(oc), 0);
  ff::av_packet_free(&pkt);
  ff::avformat_close_input(&ic);
  EXPECT_EQ(CloseUnicodeAVIO(&inPb), 0);
  EXPECT_EQ(CloseUnicodeAVIO(&oc->pb), 0);
  ff::avformat_free_context(oc);
  EXPECT_EQ(videoPackets, 10);

  AVFormatContext* check = nullptr;
  ASSERT_EQ(ff::avformat_open_input(&check, EncodeAVFileName(rtl::S(output)).c_str(), nullptr,
                                    nullptr),
            0);
  ASSERT_GE(ff::avformat_find_stream_info(check, nullptr), 0);
  ASSERT_EQ(check->nb_streams, 2u);
  EXPECT_EQ(check->streams[0]->codecpar->width, 64);
  EXPECT_EQ(check->streams[0]->codecpar->codec_id, AV_CODEC_ID_MPEG4);
  EXPECT_EQ(check->streams[1]->codecpar->codec_id, AV_CODEC_ID_PCM_S16LE);
  EXPECT_NEAR(check->duration / double(AV_TIME_BASE), 1.0, 0.15);
  ff::avformat_close_input(&check);
}

}  // namespace
