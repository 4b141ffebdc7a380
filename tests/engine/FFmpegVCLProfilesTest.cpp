// Every profile the 16 categories reach, converted through task records the
// way the main window fills them from a profile's codec parameters; each
// output is probed for its container and codecs. Damaged inputs through the
// main profiles give what they hold.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <set>

#include "FFmpegVCLTestSupport.h"
#include "app/tables/ProfileTables.h"
#include "engine/FFmpegVCL.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Threads.h"
#include "tests/engine/TranscodeTestUtils.h"

namespace {

using tasklisttest::U;

// The output record the main window builds from a profile's fields.
engine::TOutputOptions RecordOf(const tables::TVideoFields& F) {
  engine::TOutputOptions out;
  if (!F.Video_VideoCodec.empty()) {
    out.VideoCodec = F.Video_VideoCodec;
    if (F.Video_VideoCodec == u"libx264") out.VideoPreset = u"libx264-default";
  }
  if (!F.Video_AudioCodec.empty()) out.AudioCodec = F.Video_AudioCodec;
  if (!F.Video_FrameRate.empty()) out.FrameRate = F.Video_FrameRate;
  out.DisableVideo = F.Video_DisableVideo;
  if (!F.Video_AudioChannels.empty()) out.AudioChannels = rtl::StrToInt(F.Video_AudioChannels);
  if (!F.Video_AudioSampleRate.empty()) out.AudioSampleRate = rtl::StrToInt(F.Video_AudioSampleRate);
  if (!F.Video_FrameSize.empty()) out.FrameSize = F.Video_FrameSize;
  if (!F.Video_TargetType.empty())
    out.TargetType = F.Video_TargetType == u"vcd"    ? engine::ttVCD
                     : F.Video_TargetType == u"svcd" ? engine::ttSVCD
                     : F.Video_TargetType == u"dvd"  ? engine::ttDVD
                                                     : engine::ttIgnore;
  out.NormType = F.Video_NormType == u"PAL"    ? engine::ntPAL
                 : F.Video_NormType == u"NTSC" ? engine::ntNTSC
                                               : engine::ntAuto;
  out.AudioVolume = F.Video_AudioVolume == u"256" ? 256 : rtl::StrToInt(F.Video_AudioVolume);
  if (!F.Video_FrameAspectRatio.empty()) out.FrameAspectRatio = F.Video_FrameAspectRatio;
  if (F.Video_AudioBitrate != -1000) out.AudioBitrate = F.Video_AudioBitrate;
  if (!F.Video_FileFormat.empty()) out.FileFormat = F.Video_FileFormat;
  if (!F.Video_VideoFilters.empty()) out.VideoFilters = F.Video_VideoFilters;
  if (!F.Video_VideoTag.empty() && F.Video_VideoCodec != u"libx264") out.VideoTag = F.Video_VideoTag;
  if (F.Video_VideoBitrate != -1000) out.VideoBitrate = F.Video_VideoBitrate;
  return out;
}

// The codec an encoder name produces; AV_CODEC_ID_NONE when no name is given.
AVCodecID CodecOfEncoder(const rtl::String& AName) {
  if (AName.empty()) return AV_CODEC_ID_NONE;
  static const std::map<std::string, AVCodecID> aliases = {
      {"libfaac", AV_CODEC_ID_AAC}, {"libopencore_amrnb", AV_CODEC_ID_AMR_NB},
      {"libxvid", AV_CODEC_ID_MPEG4}};
  const std::string name = rtl::U8(AName);
  if (auto it = aliases.find(name); it != aliases.end()) return it->second;
  const AVCodec* codec = ff::avcodec_find_encoder_by_name(name.c_str());
  return codec ? codec->id : AV_CODEC_ID_PROBE;  // PROBE: an encoder this system lacks
}

// Frames that decode per kind of stream ("video", "audio"), by one ffprobe
// run; kinds with none are left out.
std::map<std::string, int> DecodedFrames(const std::string& APath) {
  std::map<std::string, int> frames;
  const std::string cmd = "ffprobe -v error -count_frames -show_entries stream=codec_type,nb_read_frames -of csv=p=0 '" +
                          APath + "' 2>/dev/null";
  if (FILE* f = popen(cmd.c_str(), "r")) {
    char line[256];
    while (fgets(line, sizeof line, f)) {
      char kind[64] = {};
      int n = 0;
      if (sscanf(line, "%63[^,],%d", kind, &n) == 2 && n > 0) frames[kind] += n;
    }
    pclose(f);
  }
  return frames;
}

// The demuxer that reads what a muxer writes, as named in the probe's list.
std::string DemuxerOf(const std::string& AMuxer) {
  static const std::map<std::string, std::string> readers = {
      {"ipod", "mp4"}, {"vcd", "mpeg"}, {"svcd", "mpeg"}, {"dvd", "mpeg"}, {"vob", "mpeg"},
      {"mp2", "mp3"},  {"adts", "aac"}, {"3gp", "3gp"},   {"3g2", "3g2"}};
  auto it = readers.find(AMuxer);
  return it == readers.end() ? AMuxer : it->second;
}

bool NameListHas(const std::string& AList, const std::string& AName) {
  size_t start = 0;
  while (start <= AList.size()) {
    size_t end = AList.find(',', start);
    if (AList.substr(start, end == std::string::npos ? std::string::npos : end - start) == AName) return true;
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return false;
}

// Hands each task's end to AOnEnd, one at a time, and sets AFinal at the
// queue's end.
void WatchEnds(engine::TFFmpegVCL& AVcl, std::atomic<bool>& AFinal,
               std::function<void(const engine::TTerminateInfo&)> AOnEnd) {
  auto lock = std::make_shared<std::mutex>();
  AVcl.OnTerminate = [&AFinal, lock, AOnEnd](rtl::TObject*, const engine::TTerminateInfo& AInfo) {
    if (AInfo.TaskIndex < 0) {
      AFinal = true;
      return;
    }
    std::lock_guard<std::mutex> g(*lock);
    AOnEnd(AInfo);
  };
}

struct Profile {
  tables::TProfileKey Key;
  const tables::TFormatCodecRow* Row;
  engine::TOutputOptions Record;
  std::string Output;
  int Task = -1;
};

TEST(ProfilesTest, EveryReachableProfileConverts) {
  tasklisttest::LoadTranscoderLibraries();
  const std::string clip = tasklisttest::Fixtures::Get().Clip(1);
  enginetest::TempDir dir;

  std::vector<Profile> profiles;
  const tables::TFormatCategories& categories = tables::FormatCategories();
  ASSERT_EQ(categories.Count(), 16);
  for (int c = 0; c < categories.Count(); ++c) {
    for (int i = 0; i < categories[c].Entries; ++i) {
      const tables::TProfileKey key = tables::ProfileKeyOf(categories[c].FormatGroup, i);
      const tables::TFormatCodecRow* row = tables::FormatCodecTable().Find(key);
      ASSERT_NE(row, nullptr) << key;
      tables::TVideoFields fields;
      fields.Reset();
      row->ApplyTo(fields);
      profiles.push_back({key, row, RecordOf(fields), dir / ("p" + std::to_string(key) + rtl::U8(row->Ext))});
    }
  }
  ASSERT_EQ(profiles.size(), 163u);

  engine::TFFmpegVCL vcl(nullptr);
  std::map<int, engine::TTerminateInfo> ends;
  std::atomic<bool> final{false};
  WatchEnds(vcl, final, [&](const engine::TTerminateInfo& AInfo) { ends[AInfo.TaskIndex] = AInfo; });
  std::map<tables::TProfileKey, std::string> refused;
  for (Profile& p : profiles) {
    const int task = vcl.AddTask(U(clip), engine::PInputOptions{});
    ASSERT_GE(task, 0);
    if (vcl.SetOutputFile(task, U(p.Output), &p.Record)) {
      p.Task = task;
    } else {
      refused[p.Key] = rtl::U8(vcl.LastErrMsg());
      vcl.RemoveTask(task);
    }
  }
  vcl.Start(static_cast<int>(std::max(2u, std::thread::hardware_concurrency())));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(10);
  while (!final && std::chrono::steady_clock::now() < deadline) rtl::CheckSynchronize(5);
  ASSERT_TRUE(final);

  int produced = 0;
  for (const Profile& p : profiles) {
    SCOPED_TRACE("profile " + std::to_string(p.Key) + " " + p.Output);
    std::string failure;
    if (p.Task < 0) {
      failure = "refused: " + refused[p.Key];
    } else if (!ends[p.Task].Finished || ends[p.Task].Exception) {
      failure = "failed: " + rtl::U8(ends[p.Task].ExceptionMsg);
    } else {
      player::TAVProbe probe(nullptr);
      if (!probe.LoadFile(U(p.Output))) {
        failure = "unreadable: " + rtl::U8(probe.LastErrMsg());
      } else {
        AVFormatContext* ic = probe.FileHandle();
        const AVOutputFormat* muxer = ff::av_guess_format(
            p.Row->Kind == tables::TCodecRowKind::Target ? rtl::U8(p.Row->TargetType).c_str() : nullptr,
            p.Output.c_str(), nullptr);
        std::map<AVMediaType, AVCodecID> codecs;
        for (unsigned i = 0; i < ic->nb_streams; ++i)
          codecs.emplace(ic->streams[i]->codecpar->codec_type, ic->streams[i]->codecpar->codec_id);
        AVCodecID video = CodecOfEncoder(p.Record.VideoCodec);
        AVCodecID audio = CodecOfEncoder(p.Record.AudioCodec);
        if (p.Row->Kind == tables::TCodecRowKind::Target) {
          video = p.Row->TargetType == u"vcd" ? AV_CODEC_ID_MPEG1VIDEO : AV_CODEC_ID_MPEG2VIDEO;
          audio = AV_CODEC_ID_NONE;
        }
        if (!muxer || !NameListHas(ic->iformat->name, DemuxerOf(muxer->name)))
          failure = std::string("container ") + ic->iformat->name;
        else if (p.Record.DisableVideo ? codecs.count(AVMEDIA_TYPE_VIDEO) != 0
                                       : codecs.count(AVMEDIA_TYPE_VIDEO) == 0)
          failure = "video stream presence";
        else if (!codecs.count(AVMEDIA_TYPE_AUDIO))
          failure = "no audio stream";
        else if (video != AV_CODEC_ID_NONE && !p.Record.DisableVideo && codecs[AVMEDIA_TYPE_VIDEO] != video)
          failure = std::string("video codec ") + ff::avcodec_get_name(codecs[AVMEDIA_TYPE_VIDEO]);
        else if (audio != AV_CODEC_ID_NONE && codecs[AVMEDIA_TYPE_AUDIO] != audio)
          failure = std::string("audio codec ") + ff::avcodec_get_name(codecs[AVMEDIA_TYPE_AUDIO]);
        // It plays: its pictures and its sound decode.
        else if (const std::map<std::string, int> decoded = DecodedFrames(p.Output);
                 !p.Record.DisableVideo && decoded.count("video") == 0)
          failure = "no picture decodes";
        else if (decoded.count("audio") == 0)
          failure = "no sound decodes";
      }
    }
    EXPECT_TRUE(failure.empty()) << failure;
    if (failure.empty()) ++produced;
  }
  RecordProperty("produced", produced);
}

// The main profiles: AVI, MPEG-4 and H.264 in MP4, FLV, 3GP and WMV.
const tables::TProfileKey kMainProfiles[] = {1900, 1901, 1904, 1911, 9, 1908};

struct TDamagedRun {
  bool Ended = false;
  engine::TTerminateInfo End;
  std::string Output;
};

// Converts AInput with profile AKey, stopping the run if it has not ended
// within a minute (a run must never go on without end).
TDamagedRun ConvertWithProfile(const std::string& AInput, tables::TProfileKey AKey, const std::string& AOutput) {
  TDamagedRun r;
  const tables::TFormatCodecRow* row = tables::FormatCodecTable().Find(AKey);
  tables::TVideoFields fields;
  fields.Reset();
  row->ApplyTo(fields);
  engine::TOutputOptions record = RecordOf(fields);
  r.Output = AOutput + rtl::U8(row->Ext);
  engine::TFFmpegVCL vcl(nullptr);
  std::atomic<bool> final{false};
  WatchEnds(vcl, final, [&](const engine::TTerminateInfo& AInfo) { r.End = AInfo; });
  const int task = vcl.AddTask(U(AInput), engine::PInputOptions{});
  EXPECT_GE(task, 0) << rtl::U8(vcl.LastErrMsg());
  EXPECT_TRUE(vcl.SetOutputFile(task, U(r.Output), &record)) << rtl::U8(vcl.LastErrMsg());
  vcl.Start(1);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
  while (!final && std::chrono::steady_clock::now() < deadline) rtl::CheckSynchronize(5);
  r.Ended = final;
  vcl.Stop(true);
  while (!final) rtl::CheckSynchronize(5);
  return r;
}

TEST(ProfilesTest, DamagedInputsGiveWhatTheyHoldInTheMainProfiles) {
  tasklisttest::LoadTranscoderLibraries();
  enginetest::TempDir dir;
  // 12 Theora pictures at 10 fps and Vorbis sound, 1.19 s, whose granule
  // positions sit near the 64-bit limit from the first media page on.
  const std::string plain = dir / "plain.ogg", nearLimit = dir / "limit.ogg";
  ASSERT_TRUE(enginetest::RunFFmpeg(
      "-f lavfi -i testsrc=size=160x120:rate=10:duration=1.2 -f lavfi -i sine=duration=1.2 -c:v libtheora -g 5 "
      "-c:a libvorbis " + plain));
  enginetest::WriteFile(nearLimit,
                        transcodetest::ShiftOggGranules(enginetest::ReadFile(plain), 2, 0xffffffffffffff00ull));
  // The same with the leap from the eighth page on, where the sound jumps
  // ahead of the pictures (the command line gives 2.1 s).
  const std::string leap = dir / "leap.ogg";
  enginetest::WriteFile(leap, transcodetest::ShiftOggGranules(enginetest::ReadFile(plain), 8, 0x7ffffffff0000000ull));
  // An MP4 download with its index first, cut after the first picture and at
  // half its 3 s (H.264 that holds no picture back).
  const std::string whole = dir / "whole.mp4", first = dir / "first.mp4", half = dir / "half.mp4";
  ASSERT_TRUE(enginetest::RunFFmpeg(
      "-f lavfi -i testsrc=size=320x240:rate=25:duration=3 -f lavfi -i sine=duration=3 -c:v libx264 -bf 0 -c:a aac "
      "-movflags faststart " + whole));
  const std::string data = enginetest::ReadFile(whole);
  long long pos = 0, size = 0;
  if (FILE* f = popen(("ffprobe -v error -select_streams v:0 -show_entries packet=pos,size -of csv=p=0 '" + whole +
                       "' 2>/dev/null | head -1").c_str(), "r")) {
    EXPECT_EQ(2, fscanf(f, "%lld,%lld", &size, &pos));
    pclose(f);
  }
  enginetest::WriteFile(first, data.substr(0, static_cast<size_t>(pos + size)));
  enginetest::WriteFile(half, data.substr(0, data.size() / 2));

  for (tables::TProfileKey key : kMainProfiles) {
    SCOPED_TRACE("profile " + std::to_string(key));
    const double rate = key == 9 ? 12 : key == 1900 ? 10 : key == 1904 ? 29.97 : 25;
    // Near the limit: about what the command line gives (6 to 20 pictures),
    // ending within one frame of the input's end (1.194 s).
    TDamagedRun r = ConvertWithProfile(nearLimit, key, dir / ("limit" + std::to_string(key)));
    EXPECT_TRUE(r.Ended) << "still converting after a minute";
    EXPECT_TRUE(r.End.Finished) << rtl::U8(r.End.ExceptionMsg);
    const int pictures = transcodetest::CountFrames(r.Output, "v");
    EXPECT_GE(pictures, 5);
    EXPECT_LE(pictures, std::ceil(1.194 * rate) + 1);
    const std::string length = transcodetest::Probe(r.Output)["s0.duration"];
    if (!length.empty() && length != "N/A") { EXPECT_LE(transcodetest::ToDouble(length), 1.194 + 1.5 / rate); }

    r = ConvertWithProfile(leap, key, dir / ("leap" + std::to_string(key)));
    EXPECT_TRUE(r.End.Finished) << rtl::U8(r.End.ExceptionMsg);
    EXPECT_GE(transcodetest::CountFrames(r.Output, "v"), 5);
    EXPECT_GT(transcodetest::CountFrames(r.Output, "a"), 0);
    EXPECT_LT(transcodetest::ToDouble(transcodetest::Probe(r.Output)["format.duration"]), 3.5);

    // Cut after the first picture: that picture, and no sound.
    r = ConvertWithProfile(first, key, dir / ("first" + std::to_string(key)));
    EXPECT_TRUE(r.End.Finished) << rtl::U8(r.End.ExceptionMsg);
    EXPECT_EQ(1, transcodetest::CountFrames(r.Output, "v"));

    // Cut at half: the pictures up to the cut, whatever the encoder holds back.
    r = ConvertWithProfile(half, key, dir / ("half" + std::to_string(key)));
    EXPECT_TRUE(r.End.Finished) << rtl::U8(r.End.ExceptionMsg);
    EXPECT_GT(transcodetest::CountFrames(r.Output, "v"), rate);
  }
}

}  // namespace
