// The probe's view of a file: counts, records, the information text, and
// every way of failing to open one.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/FFUtils.h"
#include "engine/MyUtils.h"
#include "engine/probe/AVProbe.h"
#include "engine/probe/ProbeInfoText.h"
#include "platform/rtl/Exceptions.h"
#include "tests/engine/probe/ProbeTestUtils.h"

using namespace player;
using probetest::Media;
using rtl::S;
using rtl::U8;

namespace {

class CustomAVProbeTest : public ::testing::Test {
 protected:
  void SetUp() override { probetest::LoadProbeLibraries(); }
};

std::vector<std::string> Lines(const rtl::String& AText) {
  std::vector<std::string> lines;
  std::string text = U8(AText);
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  EXPECT_EQ(start, text.size()) << "every line ends with CR LF";
  return lines;
}

bool HasLine(const std::vector<std::string>& ALines, const std::string& AStart,
             const std::string& AContains = {}) {
  for (const std::string& l : ALines)
    if (l.rfind(AStart, 0) == 0 && l.find(AContains) != std::string::npos) return true;
  return false;
}

}  // namespace

TEST_F(CustomAVProbeTest, DescribesAudioVideoFile) {
  const std::string path = Media::Get()("av.mp4");
  TCustomAVProbe probe(nullptr);
  ASSERT_TRUE(probe.LoadFile(S(path))) << U8(probe.LastErrMsg());

  EXPECT_EQ(probe.StreamCount(), 2);
  EXPECT_EQ(probe.ProgramCount(), 0);
  EXPECT_EQ(probe.VideoStreamCount(), 1);
  EXPECT_EQ(probe.AudioStreamCount(), 1);
  EXPECT_EQ(probe.SubtitleStreamCount(), 0);
  EXPECT_EQ(probe.FirstVideoStreamIndex(), 0);
  EXPECT_EQ(probe.FirstAudioStreamIndex(), 1);
  EXPECT_EQ(probe.FirstSubtitleStreamIndex(), -1);
  EXPECT_EQ(probe.FileSize(), static_cast<int64_t>(std::filesystem::file_size(path)));
  EXPECT_EQ(U8(probe.FileName()), path);
  EXPECT_EQ(U8(probe.FormatName()), "mov,mp4,m4a,3gp,3g2,mj2");
  EXPECT_EQ(U8(probe.FormatLongName()), "QuickTime / MOV");

  const TFileStreamInfo file = probe.FileStreamInfo();
  EXPECT_EQ(file.StartTime, 0);
  EXPECT_NEAR(file.Duration, 2000000, 40000);
  EXPECT_GT(file.BitRate, 100000);
  EXPECT_EQ(U8(file.Title), "Fixture Title");
  EXPECT_EQ(U8(file.Comment), "probe");
  EXPECT_EQ(U8(file.Author), "Someone") << "the artist tag stands for the author";
  // Kept by the format layer no more, these read as "not given" even when
  // the file carries such tags.
  EXPECT_EQ(file.Year, 0);
  EXPECT_EQ(file.Track, 0);
  EXPECT_EQ(file.TimeStamp, 0);

  const TVideoStreamInfo video = probe.FirstVideoStreamInfo();
  EXPECT_EQ(video.Width, 160);
  EXPECT_EQ(video.Height, 120);
  EXPECT_FLOAT_EQ(video.AspectRatio, 160.0f / 120.0f);
  EXPECT_EQ(video.PixFmt, AV_PIX_FMT_YUV420P);
  EXPECT_EQ(video.FrameRate.num, 25);
  EXPECT_EQ(video.FrameRate.den, 1);
  EXPECT_EQ(U8(video.CodecName).rfind("mpeg4(", 0), 0u) << U8(video.CodecName);
  EXPECT_EQ(U8(video.Language), "und");
  EXPECT_EQ(video.StartTimeScaled, 0);
  EXPECT_NEAR(video.DurationScaled, 2000000, 40000);
  EXPECT_EQ(video.Duration, video.DurationScaled * 12800 / 1000000) << "stream time base 1/12800";

  const TAudioStreamInfo audio = probe.FirstAudioStreamInfo();
  EXPECT_EQ(audio.Channels, 2);
  EXPECT_EQ(audio.SampleRate, 44100);
  EXPECT_EQ(audio.SampleFormat, AV_SAMPLE_FMT_FLTP);
  EXPECT_EQ(U8(audio.CodecName).rfind("aac", 0), 0u);
  EXPECT_NEAR(audio.DurationScaled, 2000000, 40000);

  EXPECT_TRUE(probe.IsVideoStream(0));
  EXPECT_TRUE(probe.IsAudioStream(1));
  EXPECT_FALSE(probe.IsVideoStream(1));
  EXPECT_FALSE(probe.IsSubtitleStream(0));
}

TEST_F(CustomAVProbeTest, StreamRecordsAskedOfTheWrongStreamStayEmpty) {
  TCustomAVProbe probe(nullptr);
  ASSERT_TRUE(probe.LoadFile(S(Media::Get()("av.mp4"))));
  struct Case {
    int Index;
    bool Video;  // else audio
    const char* Message;
  } cases[] = {
      {1, true, "stream #1 is not video stream."},
      {0, false, "stream #0 is not audio stream."},
      {2, true, "stream index #2 is invalid."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Message);
    if (c.Video) {
      TVideoStreamInfo info;
      info.Width = 5;
      EXPECT_FALSE(probe.ReadVideoStreamInfo(c.Index, info));
      EXPECT_EQ(info.Width, -1);
      EXPECT_EQ(info.FrameRate.num, -1);
      EXPECT_FLOAT_EQ(info.AspectRatio, -1.0f);
    } else {
      TAudioStreamInfo info;
      EXPECT_FALSE(probe.ReadAudioStreamInfo(c.Index, info));
      EXPECT_EQ(info.Channels, -1);
    }
    EXPECT_EQ(U8(probe.LastErrMsg()), c.Message);
  }
  EXPECT_EQ(probe.FirstSubtitleStreamInfo().CodecName, u"");
  EXPECT_EQ(U8(probe.LastErrMsg()), "no subtitle stream.");
  EXPECT_FALSE(probe.IsAudioStream(99));
  EXPECT_EQ(U8(probe.LastErrMsg()), "stream index #99 is invalid.");
  EXPECT_FALSE(probe.IsAudioStream(-1));
}

TEST_F(CustomAVProbeTest, CountsStreamKindsOfEachContainer) {
  struct Case {
    const char* File;
    int Streams, Video, Audio, Subtitle;
    int FirstVideo, FirstAudio, FirstSubtitle;
    int Programs;
  } cases[] = {
      {"tone.wav", 1, 0, 1, 0, -1, 0, -1, 0},
      // The attachment counts as a stream of no kind.
      {"multi.mkv", 4, 1, 2, 0, 0, 1, -1, 0},
      // The second soundtrack is the file's default: it stands for the kind.
      {"dub.mkv", 3, 1, 2, 0, 0, 2, -1, 0},
      {"subs.mkv", 2, 1, 0, 1, 0, -1, 1, 0},
      // A sleeve picture is not a video stream.
      {"cover.m4a", 2, 0, 1, 0, -1, 0, -1, 0},
      {"av.ts", 2, 1, 1, 0, 0, 1, -1, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.File);
    TCustomAVProbe probe(nullptr);
    ASSERT_TRUE(probe.LoadFile(S(Media::Get()(c.File)))) << U8(probe.LastErrMsg());
    EXPECT_EQ(probe.StreamCount(), c.Streams);
    EXPECT_EQ(probe.VideoStreamCount(), c.Video);
    EXPECT_EQ(probe.AudioStreamCount(), c.Audio);
    EXPECT_EQ(probe.SubtitleStreamCount(), c.Subtitle);
    EXPECT_EQ(probe.FirstVideoStreamIndex(), c.FirstVideo);
    EXPECT_EQ(probe.FirstAudioStreamIndex(), c.FirstAudio);
    EXPECT_EQ(probe.FirstSubtitleStreamIndex(), c.FirstSubtitle);
    EXPECT_EQ(probe.ProgramCount(), c.Programs);
  }
}

TEST_F(CustomAVProbeTest, AudioOnlyAndSubtitleRecords) {
  TCustomAVProbe probe(nullptr);
  ASSERT_TRUE(probe.LoadFile(S(Media::Get()("cover.m4a"))));
  const TVideoStreamInfo video = probe.FirstVideoStreamInfo();
  EXPECT_EQ(video.Width, -1);
  EXPECT_EQ(video.DurationScaled, -1);
  EXPECT_EQ(U8(probe.LastErrMsg()), "no video stream.");
  EXPECT_FALSE(probe.IsVideoStream(1));

  ASSERT_TRUE(probe.LoadFile(S(Media::Get()("tone.wav")), u"wav"));
  EXPECT_EQ(probe.ForceFormat(), u"wav");
  const TAudioStreamInfo audio = probe.FirstAudioStreamInfo();
  EXPECT_EQ(audio.Channels, 1);
  EXPECT_EQ(audio.SampleRate, 22050);
  EXPECT_EQ(audio.SampleFormat, AV_SAMPLE_FMT_S16);
  EXPECT_EQ(audio.StartTimeScaled, -1) << "wav gives no start time";

  ASSERT_TRUE(probe.LoadFile(S(Media::Get()("subs.mkv"))));
  EXPECT_EQ(probe.ForceFormat(), u"") << "a load without a format name forgets the old one";
  EXPECT_EQ(U8(probe.FirstSubtitleStreamInfo().CodecName), "srt(SubRip subtitle)");
}

TEST_F(CustomAVProbeTest, ClosedProbeAnswersMinusOneAndSaysSo) {
  probetest::LogSpy spy;
  TCustomAVProbe probe(nullptr);
  auto expectClosed = [&] {
    EXPECT_EQ(probe.FileHandle(), nullptr);
    EXPECT_EQ(probe.FileSize(), -1);
    EXPECT_EQ(probe.StreamCount(), -1);
    EXPECT_EQ(probe.ProgramCount(), -1);
    EXPECT_EQ(probe.AudioStreamCount(), -1);
    EXPECT_EQ(probe.VideoStreamCount(), -1);
    EXPECT_EQ(probe.SubtitleStreamCount(), -1);
    EXPECT_EQ(probe.FirstAudioStreamIndex(), -1);
    EXPECT_EQ(probe.FirstVideoStreamIndex(), -1);
    EXPECT_EQ(probe.FirstSubtitleStreamIndex(), -1);
  };
  expectClosed();

  const TFileStreamInfo info = probe.FileStreamInfo();
  EXPECT_EQ(info.Duration, -1);
  EXPECT_EQ(info.BitRate, -1);
  EXPECT_EQ(info.Year, -1);
  EXPECT_EQ(U8(probe.LastErrMsg()), "file not loaded.");
  EXPECT_EQ(probe.FileInfoText(), u"");
  EXPECT_EQ(probe.FileName(), u"");
  EXPECT_EQ(probe.FormatName(), u"");
  EXPECT_FALSE(probe.IsAudioStream(0));
  const auto lines = spy.From(&probe);
  ASSERT_FALSE(lines.empty());
  for (const auto& l : lines) {
    EXPECT_EQ(l.Level, engine::llWarning);
    EXPECT_EQ(l.Text, "file not loaded.");
  }

  ASSERT_TRUE(probe.LoadFile(S(Media::Get()("av.mp4")), u"mp4"));
  EXPECT_EQ(probe.ForceFormat(), u"mp4");
  probe.CloseFile();
  expectClosed();
  EXPECT_EQ(probe.ForceFormat(), u"");
}

TEST_F(CustomAVProbeTest, BadInputsFailWithTheReasonAndLeaveTheProbeClosed) {
  Media& media = Media::Get();
  const std::string good = media("av.mp4");
  const std::string empty = media.PathOf("empty.mp4");
  const std::string text = media.PathOf("garbage.mp4");
  const std::string cut = media.PathOf("cut.mp4");
  probetest::WriteFile(empty, "");
  std::string words;
  while (words.size() < 4096) words += "This is not a media file, only words. ";
  probetest::WriteFile(text, words);
  // The index of an mp4 file is written last: the first 20 KB hold none.
  probetest::WriteFile(cut, probetest::ReadFile(good).substr(0, 20000));

  struct Case {
    std::string File;
    std::string Expected;  // LastErrMsg
  } cases[] = {
      {media.PathOf("missing.mp4"), media.PathOf("missing.mp4") + ": No such file or directory"},
      {text, text + ": Invalid data found when processing input"},
      {empty, empty + ": "},
      {cut, cut + ": "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.File);
    probetest::LogSpy spy;
    TCustomAVProbe probe(nullptr);
    ASSERT_TRUE(probe.LoadFile(S(good)));
    EXPECT_FALSE(probe.LoadFile(S(c.File)));
    EXPECT_EQ(U8(probe.LastErrMsg()).rfind(c.Expected, 0), 0u) << U8(probe.LastErrMsg());
    EXPECT_EQ(probe.FileHandle(), nullptr);
    EXPECT_EQ(probe.StreamCount(), -1);
    const auto lines = spy.From(&probe);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].Level, engine::llError);
    EXPECT_EQ(lines[0].Text, U8(probe.LastErrMsg()));
  }
}

TEST_F(CustomAVProbeTest, UnknownFormatNameFailsBeforeTouchingTheFile) {
  probetest::LogSpy spy;
  TCustomAVProbe probe(nullptr);
  EXPECT_FALSE(probe.LoadFile(S(Media::Get().PathOf("never-made.mp4")), u"nosuchformat"));
  EXPECT_EQ(U8(probe.LastErrMsg()), "Unknown input format: nosuchformat");
  EXPECT_TRUE(spy.From(&probe).empty());
  EXPECT_EQ(probe.StreamCount(), -1);
}

TEST_F(CustomAVProbeTest, InformationTextOfAnMp4File) {
  const std::string path = Media::Get()("av.mp4");
  TCustomAVProbe probe(nullptr);
  ASSERT_TRUE(probe.LoadFile(S(path)));
  const auto lines = Lines(probe.FileInfoText());
  ASSERT_GE(lines.size(), 8u);
  EXPECT_EQ(lines[0], "File Name: " + path);
  EXPECT_EQ(lines[1], "Format Name: mov,mp4,m4a,3gp,3g2,mj2");
  EXPECT_EQ(lines[2], "Format Long Name: QuickTime / MOV");
  EXPECT_EQ(lines[3], "File Size: " + U8(engine::FormatByteSize(probe.FileSize())));
  EXPECT_EQ(lines[4], "Duration: " + U8(engine::DurationToStr(probe.FileStreamInfo().Duration)));
  EXPECT_EQ(lines[5], "StartTime: 0.000000");
  EXPECT_EQ(lines[6], "Bit Rate: " + std::to_string(probe.FileStreamInfo().BitRate / 1000) + " kb/s");
  EXPECT_EQ(lines[7], "Metadata:");
  EXPECT_TRUE(HasLine(lines, "  title           : Fixture Title"));
  EXPECT_TRUE(HasLine(lines, "  comment         : probe"));
  EXPECT_TRUE(HasLine(lines, "Stream #0[0x1](und), 1/12800: Video: mpeg4",
                      ", 25 fps, 25 tbr, 12800 tbn, StartTime: 0.000000, Duration: 00:00:02.000"));
  EXPECT_TRUE(HasLine(lines, "Stream #1[0x2](und), 1/44100: Audio: aac", "Duration: 00:00:02.0"));
  EXPECT_TRUE(HasLine(lines, "    handler_name    : VideoHandler")) << "stream tags are indented";
  EXPECT_FALSE(HasLine(lines, "    language")) << "the language shows in the stream line only";
}

TEST_F(CustomAVProbeTest, InformationTextOfATransportStream) {
  TCustomAVProbe probe(nullptr);
  ASSERT_TRUE(probe.LoadFile(S(Media::Get()("av.ts"))));
  const auto lines = Lines(probe.FileInfoText());
  EXPECT_TRUE(HasLine(lines, "StartTime: 1.4"));
  EXPECT_TRUE(HasLine(lines, "Program 1 FFmpeg@Service01"));
  EXPECT_TRUE(HasLine(lines, "  Metadata:"));
  EXPECT_TRUE(HasLine(lines, "Stream #0[0x100], 1/90000: Video: mpeg2video", ", 25 fps, 25 tbr, 90k tbn"));
  EXPECT_TRUE(HasLine(lines, "Stream #1[0x101], 1/90000: Audio: mp2"));
  // Both streams belong to the program: each is listed once.
  int streamLines = 0;
  for (const auto& l : lines) streamLines += l.rfind("Stream #", 0) == 0;
  EXPECT_EQ(streamLines, 2);
}

TEST_F(CustomAVProbeTest, InformationTextOfAStreamStartingBeforeZero) {
  TCustomAVProbe probe(nullptr);
  ASSERT_TRUE(probe.LoadFile(S(Media::Get()("early.mkv"))));
  EXPECT_EQ(probe.FirstAudioStreamInfo().StartTimeScaled, -23000);
  const auto lines = Lines(probe.FileInfoText());
  EXPECT_TRUE(HasLine(lines, "Stream #0", ", StartTime: -0.023000, Duration:")) << U8(probe.FileInfoText());
  EXPECT_FALSE(HasLine(lines, "StartTime:")) << "a file start before zero gets no line of its own";
}

TEST_F(CustomAVProbeTest, InformationTextWithoutDurationOrBitRate) {
  TCustomAVProbe probe(nullptr);
  ASSERT_TRUE(probe.LoadFile(S(Media::Get()("still.png"))));
  const auto lines = Lines(probe.FileInfoText());
  EXPECT_TRUE(HasLine(lines, "Duration: N/A"));
  EXPECT_TRUE(HasLine(lines, "Bit Rate: N/A"));
  EXPECT_FALSE(HasLine(lines, "StartTime:"));
  EXPECT_FALSE(HasLine(lines, "Metadata:"));
  EXPECT_TRUE(HasLine(lines, "Stream #0, 1/25: Video: png", ", Duration: N/A"));
}

TEST_F(CustomAVProbeTest, InformationTextShowsAContainerAspectThatDiffers) {
  TCustomAVProbe probe(nullptr);
  ASSERT_TRUE(probe.LoadFile(S(Media::Get()("wide.mkv"))));
  const auto lines = Lines(probe.FileInfoText());
  EXPECT_TRUE(HasLine(lines, "Stream #0, 1/1000: Video: mpeg4", ", PAR 4:3 DAR 16:9, 25 fps"));
  ASSERT_TRUE(probe.LoadFile(S(Media::Get()("av.mp4"))));
  EXPECT_FALSE(HasLine(Lines(probe.FileInfoText()), "Stream #0", "PAR")) << "same aspect: no PAR";
}

TEST_F(CustomAVProbeTest, RatesInTheirShortForms) {
  struct Case {
    double Rate;
    const char* Unit;
    const char* Text;
  } cases[] = {
      {25, "fps", ", 25 fps"},        {30000.0 / 1001, "fps", ", 29.97 fps"},
      {90000, "tbn", ", 90k tbn"},    {12800, "tbn", ", 12800 tbn"},
      {1000, "tbn", ", 1k tbn"},      {23.976, "tbr", ", 23.98 tbr"},
  };
  for (const Case& c : cases) EXPECT_EQ(U8(FormatRate(c.Rate, c.Unit)), c.Text) << c.Rate;
}

TEST_F(CustomAVProbeTest, MetadataBlocks) {
  EXPECT_STREQ(MetadataKeyName("TIT2"), "title");
  EXPECT_STREQ(MetadataKeyName("TPE1"), "artist");
  EXPECT_STREQ(MetadataKeyName("TYER"), "year");
  EXPECT_STREQ(MetadataKeyName("tit2"), "tit2") << "keys match with case";
  EXPECT_STREQ(MetadataKeyName("encoder"), "encoder");

  AVDictionary* m = nullptr;
  TTextLines lines;
  DumpMetadata(lines, m, u"");
  EXPECT_TRUE(lines.empty());
  ff::av_dict_set(&m, "language", "eng", 0);
  DumpMetadata(lines, m, u"");
  EXPECT_TRUE(lines.empty()) << "a language alone is no block";
  ff::av_dict_set(&m, "TIT2", "Song", 0);
  DumpMetadata(lines, m, u"  ");
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(U8(lines[0]), "  Metadata:");
  EXPECT_EQ(U8(lines[1]), "    title           : Song");
  ff::av_dict_free(&m);
}

TEST_F(CustomAVProbeTest, NameOutsideTheCodePageStillOpens) {
  const std::string copy = Media::Get().PathOf("预览 测试.mp4");
  std::filesystem::copy_file(Media::Get()("av.mp4"), copy);
  for (const char* codePage : {"UTF-8", "ISO-8859-1"}) {
    SCOPED_TRACE(codePage);
    rtl::SetAnsiCodePage(codePage);
    TAVProbe probe(nullptr);
    const bool loaded = probe.LoadFile(S(copy));
    const rtl::String name = probe.FileName();
    const bool decoded = probe.Decode() && probe.Seek(1000000, {engine::sfBackward}) && probe.Decode();
    rtl::SetAnsiCodePage("UTF-8");
    ASSERT_TRUE(loaded) << U8(probe.LastErrMsg());
    EXPECT_EQ(U8(name), copy);
    EXPECT_EQ(probe.FileSize(), static_cast<int64_t>(std::filesystem::file_size(copy)));
    EXPECT_TRUE(decoded) << U8(probe.LastErrMsg());
    EXPECT_EQ(probe.FrameInfo().PTS, 800000);
  }
}

TEST_F(CustomAVProbeTest, LentContextIsReadButNeverClosed) {
  const std::string path = Media::Get()("av.mp4");
  AVFormatContext* ic = nullptr;
  ASSERT_EQ(ff::avformat_open_input(&ic, path.c_str(), nullptr, nullptr), 0);
  ASSERT_GE(ff::avformat_find_stream_info(ic, nullptr), 0);
  {
    TCustomAVProbe probe(nullptr);
    probe.SetFileHandle(ic);
    EXPECT_EQ(probe.FileHandle(), ic);
    EXPECT_EQ(probe.StreamCount(), 2);
    EXPECT_EQ(probe.FirstAudioStreamIndex(), 1);
    EXPECT_EQ(probe.FileSize(), static_cast<int64_t>(std::filesystem::file_size(path)));
    EXPECT_EQ(U8(probe.FileName()), path);
    probe.CloseFile();
    EXPECT_EQ(probe.StreamCount(), -1);
    probe.SetFileHandle(ic);
  }
  // Still the lender's: it reads on and closes it itself.
  AVPacket* pkt = ff::av_packet_alloc();
  EXPECT_GE(ff::av_read_frame(ic, pkt), 0);
  ff::av_packet_free(&pkt);
  ff::avformat_close_input(&ic);
}

TEST(ProbeLibraries, EachMissingLibraryIsNamed) {
  engine::TFFmpegLoader::SetLibraryPath(u"");
  engine::TFFmpegLoader::Unload(engine::ProbeLibraries);
  TCustomAVProbe probe(nullptr);
  EXPECT_FALSE(probe.AVLibLoaded());
  const std::pair<engine::TLibrary, const char*> steps[] = {
      {engine::avCodec, "LibAVCodec not loaded."},
      {engine::avFormat, "LibAVFormat not loaded."},
      {engine::avUtil, "LibAVUtil not loaded."},
      {engine::swScale, "LibSwScale not loaded."},
  };
  for (const auto& [lib, text] : steps) {
    SCOPED_TRACE(text);
    try {
      probe.LoadFile(u"/nonexistent.mp4");
      ADD_FAILURE() << "no exception";
    } catch (const rtl::Exception& e) {
      EXPECT_EQ(U8(e.Message()), text);
    }
    EXPECT_THROW(probe.SetFileHandle(nullptr), rtl::Exception);
    ASSERT_TRUE(engine::TFFmpegLoader::Load(lib)) << U8(engine::TFFmpegLoader::GetLastErrMsg());
  }
  ASSERT_TRUE(probe.LoadAVLib(u""));
  EXPECT_TRUE(probe.AVLibLoaded());
  EXPECT_FALSE(probe.LoadFile(u"/nonexistent.mp4"));
}
