// The settings dialog's commands against stand-ins for its pickers and boxes.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/settings/SettingsSteps.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Strings.h"

namespace settings {
namespace {

using rtl::U8;
using tables::TVideoFields;

class FakePicker : public tables::IFormatPicker {
 public:
  std::vector<std::string> titles;
  std::vector<int> indexWrites;
  void ClearItems() override { titles.clear(); }
  void AddItem(const rtl::String& t, const rtl::String&, int) override { titles.push_back(U8(t)); }
  void Repaint() override {}
  void SetItemIndex(int index) override { indexWrites.push_back(index); }
};

class FakeBox : public tables::IPresetBox {
 public:
  std::vector<rtl::String> items;
  int index = -1;
  bool enabled = true;
  void ClearItems() override { items.clear(), index = -1; }
  void SetEnabled(bool e) override { enabled = e; }
  void AddItem(const rtl::String& t) override { items.push_back(t); }
  void SetItemIndex(int i) override { index = i; }
  rtl::String Text() const { return index >= 0 && index < (int)items.size() ? items[index] : rtl::String(); }
};

struct Boxes {
  FakeBox box[tables::kPresetBoxCount];
  tables::TPresetBoxes Ptrs() {
    tables::TPresetBoxes p;
    for (int i = 0; i < tables::kPresetBoxCount; ++i) p[i] = &box[i];
    return p;
  }
  tables::TPresetTexts Texts() const {
    tables::TPresetTexts t;
    for (int i = 0; i < tables::kPresetBoxCount; ++i) t[i] = box[i].Text();
    return t;
  }
};

TEST(SettingsCatalogueStep, FillsTheGroupAndAlwaysSelectsTheFirstEntry) {
  const std::vector<std::pair<int, std::size_t>> cases = {{0, 15}, {4, 6}, {11, 4}, {12, 0}, {-1, 0}};
  for (auto [category, count] : cases) {
    FakePicker picker;
    SettingsBuildFormatList(category, picker);
    SettingsBuildFormatList(category, picker);  // twice: no duplicates, the pick fires again
    EXPECT_EQ(picker.titles.size(), count) << category;
    EXPECT_EQ(picker.indexWrites, (std::vector<int>{0, 0})) << category;
  }
  FakePicker picker;
  SettingsBuildFormatList(0, picker);
  EXPECT_EQ(picker.titles.front(), "AVI - 音频视频交错格式(*.avi)");
}

struct ApplyCase {
  int category, format;
  const char* frameSize;
  const char* frameRate;
  int videoBitrate;
  const char* sampleRate;
  int audioBitrate;
  const char* aspect;
};

TEST(SettingsPresetSteps, LoadThenApplyGivesTheProfilesFields) {
  const std::vector<ApplyCase> cases = {
      {0, 0, "", "25.00", 816000, "44100", 128000, ""},
      {1, 0, "", "", -1000, "44100", 128000, ""},
      {1, 12, "", "", -1000, "8000", 7400, ""},
      {6, 0, "176*144", "12", 128000, "8000", 12000, ""},
      {4, 2, "720*406", "25.00", 768000, "48000", 128000, "16:9"},
  };
  for (const ApplyCase& c : cases) {
    SCOPED_TRACE(c.category * 100 + c.format);
    Boxes boxes;
    TVideoFields v;
    v.Video_DisableVideo = true;
    ASSERT_TRUE(SettingsLoadPresets({c.category, c.format}, boxes.Ptrs(), v));
    EXPECT_FALSE(v.Video_DisableVideo);
    SettingsApplyPresets(boxes.Texts(), v);
    EXPECT_EQ(U8(v.Video_FrameSize), c.frameSize);
    EXPECT_EQ(U8(v.Video_FrameRate), c.frameRate);
    EXPECT_EQ(v.Video_VideoBitrate, c.videoBitrate);
    EXPECT_EQ(U8(v.Video_AudioSampleRate), c.sampleRate);
    EXPECT_EQ(v.Video_AudioBitrate, c.audioBitrate);
    EXPECT_EQ(U8(v.Video_FrameAspectRatio), c.aspect);
  }
}

TEST(SettingsPresetSteps, AudioOnlyDisablesTheVideoBoxesUntilTheNextLoad) {
  Boxes boxes;
  TVideoFields v;
  SettingsLoadPresets({1, 0}, boxes.Ptrs(), v);
  EXPECT_EQ(U8(boxes.box[tables::pbFrameSize].Text()), "该格式无视频");
  for (auto b : {tables::pbFrameSize, tables::pbVideoBitrate, tables::pbFrameRate, tables::pbAspectMode})
    EXPECT_FALSE(boxes.box[b].enabled) << b;
  EXPECT_TRUE(boxes.box[tables::pbAudioBitrate].enabled);
  SettingsLoadPresets({0, 0}, boxes.Ptrs(), v);
  for (const FakeBox& b : boxes.box) EXPECT_TRUE(b.enabled);
}

TEST(SettingsPresetSteps, AKeyWithoutARowLeavesEmptyBoxesAndApplyStaysSafe) {
  for (auto sel : {tables::TProfileSelection{4, 6}, tables::TProfileSelection{12, 0}}) {
    Boxes boxes;
    TVideoFields v;
    v.Video_DisableVideo = true;
    EXPECT_FALSE(SettingsLoadPresets(sel, boxes.Ptrs(), v));
    EXPECT_FALSE(v.Video_DisableVideo);
    for (const FakeBox& b : boxes.box) EXPECT_TRUE(b.items.empty() && b.enabled);
    SettingsApplyPresets(boxes.Texts(), v);
    EXPECT_EQ(v.Video_VideoBitrate, -1);
    EXPECT_EQ(v.Video_AudioBitrate, -1);
  }
}

TEST(SettingsCodecStep, WritesTheRowAndAUniqueOutputName) {
  std::set<std::string> existing;
  auto exists = [&](const rtl::String& n) { return existing.count(U8(n)) > 0; };
  TVideoFields v;
  v.Reset();
  v.Video_AddFileName = u"/in/clip.wmv";
  SettingsCodecStep(v, {{0, 0}, u"/out", false}, exists);
  EXPECT_EQ(U8(v.Video_OutPutFileName), "/out/clip.avi");
  EXPECT_EQ(U8(v.Video_VideoCodec), "mpeg4");
  EXPECT_EQ(U8(v.Video_VideoTag), "XVID");
  EXPECT_EQ(v.Video_VideoBitrate, 816000);
  EXPECT_EQ(U8(v.Video_AudioCodec), "libmp3lame");

  existing = {"/out/clip.avi", "/out/clip_1.avi"};
  SettingsCodecStep(v, {{0, 0}, u"/out", false}, exists);
  EXPECT_EQ(U8(v.Video_OutPutFileName), "/out/clip_2.avi");
  SettingsCodecStep(v, {{0, 0}, u"/out", true}, exists);
  EXPECT_EQ(U8(v.Video_OutPutFileName), "/out/clip.avi");

  // No reset: an audio-only row leaves the video fields as they were.
  SettingsCodecStep(v, {{1, 0}, u"/out/", false}, exists);
  EXPECT_EQ(U8(v.Video_OutPutFileName), "/out//clip.mp3");
  EXPECT_EQ(U8(v.Video_VideoCodec), "mpeg4");
  EXPECT_EQ(U8(v.Video_VideoTag), "XVID");
  EXPECT_TRUE(v.Video_DisableVideo);

  v.Video_AddFileName = u"/in/clip";
  SettingsCodecStep(v, {{0, 0}, u"/out", false}, exists);
  EXPECT_EQ(U8(v.Video_OutPutFileName), "/out/clip_2.avi");
  EXPECT_FALSE(v.Video_DisableVideo);
}

TEST(SettingsCodecStep, AKeyWithoutARowOnlyRemakesTheCurrentName) {
  TVideoFields v;
  v.Reset();
  v.Video_OutPutFileName = u"/old/movie.mp4";
  v.Video_VideoCodec = u"keep";
  SettingsCodecStep(v, {{4, 9}, u"/out", false}, [](const rtl::String&) { return false; });
  EXPECT_EQ(U8(v.Video_OutPutFileName), "/out/movie.mp4");
  EXPECT_EQ(U8(v.Video_VideoCodec), "keep");
}

TEST(SettingsReset, ClearsEverythingButTheInputName) {
  TVideoFields v;
  v.Video_AddFileName = u"/in/a.avi";
  v.Video_CopyTimestamp = u"1";
  v.Video_TimeStart = 5;
  v.Video_DisableVideo = true;
  v.Reset();
  EXPECT_EQ(U8(v.Video_AddFileName), "/in/a.avi");
  EXPECT_EQ(U8(v.Video_AudioVolume), "256");
  EXPECT_TRUE(v.Video_CopyTimestamp.empty());
  EXPECT_EQ(v.Video_TimeStart, -1);
  EXPECT_EQ(v.Video_TimeLength, -1);
  EXPECT_EQ(v.Video_VideoBitrate, -1);
  EXPECT_FALSE(v.Video_DisableVideo);
}

TEST(PresetTexts, BitRatesAndAspectsConvertByTheSharedRules) {
  EXPECT_EQ(tables::AudioBitrateOfPreset(u"4.75 kbps"), 4750);
  EXPECT_EQ(tables::AudioBitrateOfPreset(u"12.2 kbps"), 12200);
  EXPECT_EQ(tables::AudioBitrateOfPreset(u" 128 kbps"), 128000);
  EXPECT_EQ(tables::VideoBitrateOfPreset(u"无视频"), -1000);
  EXPECT_EQ(tables::AspectOfPreset(u"宽屏视频47:20模式"), u"47:20");
  EXPECT_EQ(tables::AspectOfPreset(u"保持原视频模式"), u"");
  EXPECT_THROW(tables::VideoBitrateOfPreset(u"kbps"), rtl::EConvertError);
  EXPECT_THROW(tables::AudioBitrateOfPreset(u"99999999 kbps"), rtl::EConvertError);
}

}  // namespace
}  // namespace settings
