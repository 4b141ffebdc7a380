// Task option records: the extra-options text, records from text, and how a
// record and its text reach a transcoder's option state.
#include <gtest/gtest.h>

#include <cmath>
#include <ctime>

#include "FFmpegVCLTestSupport.h"
#include "engine/FFmpeg.h"
#include "engine/MyUtils.h"
#include "engine/TaskOptions.h"
#include "platform/rtl/DateTime.h"

namespace {

using engine::NoTimestamp;
using engine::TCustomFFmpeg;
using engine::TExtOptionList;
using engine::TOutputOptions;
using rtl::String;

struct SplitCase {
  const char16_t* Text;
  std::vector<std::pair<String, String>> Lines;
};

TEST(TaskOptionsTextTest, SplitsLinesAndNames) {
  const SplitCase cases[] = {
      {u"", {}},
      {u"ar=22050<CRLF>ac=1", {{u"ar", u"22050"}, {u"ac", u"1"}}},
      // Every break style, and LF CR counts once.
      {u"a=1\r\nb=2\rc=3\nd=4\n\re=5", {{u"a", u"1"}, {u"b", u"2"}, {u"c", u"3"}, {u"d", u"4"}, {u"e", u"5"}}},
      // The whole text is trimmed, single lines are not; the first "=" separates.
      {u"  \r\nk=v \r\n vf=scale=320:240 \r\nmetadata=title=a=b \n ",
       {{u"k", u"v "}, {u" vf", u"scale=320:240 "}, {u"metadata", u"title=a=b"}}},
      // A line without "=" has an empty value; an empty line an empty name.
      {u"an\n\nvn", {{u"an", u""}, {u"", u""}, {u"vn", u""}}},
      // "<CRLF>" beside real breaks makes an empty line.
      {u"a=1<CRLF>\nb=2", {{u"a", u"1"}, {u"", u""}, {u"b", u"2"}}},
      // Only the exact marker splits.
      {u"title=<crlf>", {{u"title", u"<crlf>"}}},
  };
  for (const SplitCase& c : cases) {
    TExtOptionList lines = engine::SplitExtOptions(c.Text);
    std::vector<std::pair<String, String>> got;
    for (const auto& l : lines) got.emplace_back(l.Name, l.Value);
    EXPECT_EQ(got, c.Lines) << rtl::U8(c.Text);
  }
}

TEST(TaskOptionsTextTest, InputRecordFromText) {
  engine::TInputOptions in =
      engine::InputOptionsFromText(u"f=avi<CRLF>TIMESTART=1500000\r\nprogramid=2\nTimeStart=abc=1");
  // The last TimeStart line wins; one that is no number leaves the time unset.
  EXPECT_EQ(in.TimeStart, NoTimestamp);
  EXPECT_EQ(in.ExtOptions, u"f=avi\nprogramid=2\n");
  EXPECT_EQ(in.ProgramID, -1);

  in = engine::InputOptionsFromText(u"timestart=-1");
  EXPECT_EQ(in.TimeStart, -1);
  EXPECT_TRUE(in.ExtOptions.empty());
}

TEST(TaskOptionsTextTest, OutputRecordFromText) {
  TOutputOptions out = engine::OutputOptionsFromText(
      u"Join=0<CRLF>hook<CRLF>TimeLength=2000000<CRLF>timestart=x<CRLF>vcodec=mpeg4<CRLF>an");
  EXPECT_TRUE(out.Join);  // whatever the value
  EXPECT_TRUE(out.CustomHook);
  EXPECT_EQ(out.TimeLength, 2000000);
  EXPECT_EQ(out.TimeStart, NoTimestamp);
  EXPECT_EQ(out.ExtOptions, u"vcodec=mpeg4\nan=\n");

  out = engine::OutputOptionsFromText(u"CUSTOMHOOK=no");
  EXPECT_TRUE(out.CustomHook);
  EXPECT_FALSE(out.Join);
}

TEST(TaskOptionsTextTest, DateTimeToUnixTime) {
  const double offset = engine::LocalUTCOffsetDays();
  const double epoch = rtl::EncodeDate(1970, 1, 1);
  EXPECT_EQ(engine::DateTimeToUnixTime(epoch + offset), 0);
  EXPECT_EQ(engine::DateTimeToUnixTime(rtl::EncodeDate(2009, 2, 13) + offset + 23.0 / 24 + 31.0 / 1440 +
                                       30.0 / 86400),
            1234567890);
}

TEST(TaskOptionsTextTest, StreamOptionListTakesRecordFirst) {
  TOutputOptions out;
  out.VideoCodec = u"mpeg4";
  out.SubtitlePreset = u"sp";
  out.ExtOptions =
      u"VCODEC=libx264\nvcodec=ffv1\nscodec=\nvfilters=hflip\nvf=vflip\nacodec=mp2\nab=64000\nnewvideo";
  const engine::TStreamOptionList expected = {
      {u"def_vcodec", u"mpeg4"}, {u"def_spre", u"sp"},     {u"vcodec", u"libx264"},
      {u"vcodec", u"ffv1"},      {u"def_vf", u"hflip"},    {u"vf", u"hflip"},
      {u"vf", u"vflip"},         {u"def_acodec", u"mp2"},  {u"acodec", u"mp2"},
  };
  EXPECT_EQ(engine::BuildStreamOptionList(out), expected);
}

class TaskOptionsApplyTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { tasklisttest::LoadTranscoderLibraries(); }
  void SetUp() override {
    fresh_.Reset();
    task_.Reset();
  }
  void ApplyOutput(const TOutputOptions& AOptions) {
    engine::TStreamOptionList list = engine::BuildStreamOptionList(AOptions);
    engine::ApplyOutputRecordBeforeOpen(task_, AOptions, list);
  }
  TCustomFFmpeg fresh_{4};
  TCustomFFmpeg task_{4};
};

TEST_F(TaskOptionsApplyTest, ResetRecordLeavesDefaults) {
  ApplyOutput(TOutputOptions{});
  engine::ApplyInputRecord(task_, engine::TInputOptions{});
  EXPECT_EQ(task_.Faudio_sync_method, 0);
  EXPECT_EQ(task_.Fvideo_sync_method, -1);
  EXPECT_FALSE(task_.Finput_sync);
  EXPECT_EQ(task_.Flast_asked_format, fresh_.Flast_asked_format);
  EXPECT_EQ(task_.Fmux_max_delay, fresh_.Fmux_max_delay);
  EXPECT_EQ(task_.Fmux_preload, fresh_.Fmux_preload);
  EXPECT_EQ(task_.Faudio_volume, fresh_.Faudio_volume);
  EXPECT_EQ(task_.Faudio_channels, fresh_.Faudio_channels);
  EXPECT_EQ(task_.Faudio_sample_rate, fresh_.Faudio_sample_rate);
  EXPECT_EQ(task_.Fframe_width, fresh_.Fframe_width);
  EXPECT_EQ(task_.Fframe_rate.num, fresh_.Fframe_rate.num);
  EXPECT_EQ(task_.Fframe_aspect_ratio, fresh_.Fframe_aspect_ratio);
  EXPECT_EQ(task_.Fframe_topBand, 0);
  EXPECT_EQ(task_.Fstart_time, fresh_.Fstart_time);
  EXPECT_EQ(task_.Frecording_time, fresh_.Frecording_time);
  EXPECT_EQ(task_.Frecording_timestamp, fresh_.Frecording_timestamp);
  EXPECT_EQ(task_.FTotalOutputDuration, -1);
  EXPECT_EQ(task_.Fopt_programid, fresh_.Fopt_programid);
  EXPECT_FALSE(task_.Faudio_disable || task_.Fvideo_disable || task_.Fsubtitle_disable);
  EXPECT_FALSE(task_.Fcopy_ts);
  EXPECT_TRUE(task_.Fvideo_codec_name.empty() && task_.Faudio_codec_name.empty());
  EXPECT_TRUE(task_.Fmetadata.empty());
  EXPECT_EQ(task_.FOptions.opt_names, fresh_.FOptions.opt_names);
}

TEST_F(TaskOptionsApplyTest, RecordFieldsReachTheTranscoderAndWinOverText) {
  TOutputOptions out;
  out.ExtOptions = u"AR=8000<CRLF>ac=1<CRLF>vcodec=libx264<CRLF>s=64x48<CRLF>vf=hflip";
  out.AudioChannels = 2;
  out.AudioVolume = 0;  // zero is a volume
  out.AudioLanguage = u"eng";
  out.AudioBitrate = 64000;
  out.VideoCodec = u"mpeg4";
  out.FrameRate = u"25";
  out.FrameSize = u"320x240";
  out.MuxDelay = 0.25f;
  out.VideoSyncMethod = 1;
  out.InputSync = true;
  out.CopyTimestamp = true;
  out.DisableSubtitle = true;
  out.TimeStart = -1;  // minus one microsecond, not "unset"
  out.TimeLength = 2000000;
  out.Info.Year = 2009;
  out.Info.Track = 0;  // not passed
  out.Info.Title = "t";
  out.Info.Genre = "g";
  ApplyOutput(out);

  EXPECT_EQ(task_.Faudio_sample_rate, 8000);  // name in capitals, from the text
  EXPECT_EQ(task_.Faudio_channels, 2);        // the record's field wins
  EXPECT_EQ(task_.Faudio_volume, 0);
  EXPECT_EQ(task_.Faudio_language, u"eng");
  EXPECT_EQ(task_.Fvideo_codec_name, "mpeg4");
  EXPECT_EQ(task_.Fframe_rate.num, 25);
  EXPECT_EQ(task_.Fframe_rate.den, 1);
  EXPECT_EQ(task_.Fframe_width, 320);  // the default size is the record's
  EXPECT_EQ(task_.Fframe_height, 240);
  EXPECT_EQ(task_.Fvfilters, u"hflip");  // the text's first filter is the default
  EXPECT_FLOAT_EQ(task_.Fmux_max_delay, 0.25f);
  EXPECT_EQ(task_.Fvideo_sync_method, 1);
  EXPECT_TRUE(task_.Finput_sync);
  EXPECT_TRUE(task_.Fcopy_ts);
  EXPECT_TRUE(task_.Fsubtitle_disable);
  EXPECT_FALSE(task_.Faudio_disable);
  EXPECT_EQ(task_.Fstart_time, -1);
  EXPECT_EQ(task_.Frecording_time, 2000000);
  EXPECT_EQ(task_.FTotalOutputDuration, 2000000);
  using Pair = std::pair<std::string, std::string>;
  EXPECT_EQ(task_.Fmetadata, (std::vector<Pair>{{"year", "2009"}, {"title", "t"}, {"genre", "g"}}));
  EXPECT_EQ(task_.Frecording_timestamp, fresh_.Frecording_timestamp);  // TimeStamp -1: untouched
}

TEST_F(TaskOptionsApplyTest, TimeStampZeroStampsNow) {
  TOutputOptions out;
  out.Info.TimeStamp = 0;
  const int64_t before = std::time(nullptr);
  ApplyOutput(out);
  const int64_t after = std::time(nullptr);
  EXPECT_GE(task_.Frecording_timestamp, before - 1);
  EXPECT_LE(task_.Frecording_timestamp, after + 1);

  out.Info.TimeStamp = rtl::EncodeDate(2009, 2, 13) + engine::LocalUTCOffsetDays();
  ApplyOutput(out);
  EXPECT_EQ(task_.Frecording_timestamp, 1234483200);
}

TEST_F(TaskOptionsApplyTest, TargetGoesFirstAndFieldsOverride) {
  TOutputOptions out;
  out.TargetType = engine::ttVCD;
  out.NormType = engine::ntNTSC;
  out.FrameSize = u"176x144";
  ApplyOutput(out);
  EXPECT_EQ(task_.Fvideo_codec_name, "mpeg1video");
  EXPECT_EQ(task_.Flast_asked_format, "vcd");
  EXPECT_EQ(task_.Fframe_rate.num * 1001, task_.Fframe_rate.den * 30000);
  EXPECT_EQ(task_.Fframe_width, 176);
}

TEST_F(TaskOptionsApplyTest, ExtOptionsSkipLaterPassesAndCodecsOnOutput) {
  engine::ApplyExtOptions(task_, u"vcodec=mpeg4<CRLF>vf=hflip<CRLF>s=64x48<CRLF>ac=1", false);
  EXPECT_TRUE(task_.Fvideo_codec_name.empty());
  EXPECT_TRUE(task_.Fvfilters.empty());
  EXPECT_EQ(task_.Fframe_width, fresh_.Fframe_width);
  EXPECT_EQ(task_.Faudio_channels, 1);

  engine::ApplyExtOptions(task_, u"vcodec=mpeg4<CRLF>s=64x48<CRLF>newvideo<CRLF>vpre=x", true);
  EXPECT_EQ(task_.Fvideo_codec_name, "mpeg4");
  EXPECT_EQ(task_.Fframe_width, 64);
}

TEST_F(TaskOptionsApplyTest, InputRecordFieldsWinOverText) {
  engine::TInputOptions in;
  in.ExtOptions = u"f=mpegts<CRLF>ss=3<CRLF>programid=7";
  in.FileFormat = u"avi";
  in.TimeStart = 1500000;
  in.ProgramID = 3;
  engine::ApplyInputRecord(task_, in);
  EXPECT_EQ(task_.Flast_asked_format, "avi");
  EXPECT_EQ(task_.Fstart_time, 1500000);
  EXPECT_EQ(task_.Fopt_programid, 3);
  // A program id of 0 is a choice too; only -1 leaves the text's.
  for (const auto& [field, want] : {std::pair{0, 0}, std::pair{-1, 7}}) {
    task_.Reset();
    in.ProgramID = field;
    engine::ApplyInputRecord(task_, in);
    EXPECT_EQ(task_.Fopt_programid, want) << "ProgramID " << field;
  }
}

TEST_F(TaskOptionsApplyTest, RefusedValueRaisesTheSettersMessage) {
  TOutputOptions out;
  out.FrameRate = u"fast";
  try {
    ApplyOutput(out);
    FAIL() << "no exception";
  } catch (const rtl::Exception& e) {
    EXPECT_EQ(e.Message(), u"Incorrect frame rate");
  }
}

}  // namespace
