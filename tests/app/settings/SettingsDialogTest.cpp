// The settings dialog as the program creates it: its start-up and the one
// field that start-up writes, the older tables reached through its pickers
// and OK, the reset, Cancel, and its layout when shown (gallery in three
// stored skins).
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/settings/SettingsDialog.h"
#include "platform/forms/FormRender.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Headless.h"
#include "platform/win/WinApi.h"
#include "resources/tvlResources.h"
#include "skin/data/bsCompressedStoredSkin.h"

namespace settings {
namespace {

using rtl::U8;
using tables::TVideoFields;

std::unique_ptr<skin::TbsSkinData> LoadStoredSkin(int Index) {
  const auto& r = resources::StoredSkin(Index);
  skin::TbsCompressedStoredSkin stored(nullptr);
  rtl::TMemoryStream in;
  in.WriteBuffer(r.Data, rtl::Int64(r.Size));
  stored.LoadFromCompressStream(in);
  auto sd = std::make_unique<skin::TbsSkinData>(nullptr);
  sd->LoadCompressedStoredSkin(&stored);
  return sd;
}

// Every field holds a value no step of the dialog writes.
TVideoFields Sentinels() {
  TVideoFields v;
  for (rtl::String* s : {&v.Video_OutPutFileName, &v.Video_FileExt, &v.Video_AudioChannels,
                         &v.Video_AudioSampleRate, &v.Video_FrameSize, &v.Video_FrameRate, &v.Video_NormType,
                         &v.Video_VideoFilters, &v.Video_AudioVolume, &v.Video_FrameAspectRatio,
                         &v.Video_VideoCodec, &v.Video_AudioCodec, &v.Video_FileFormat, &v.Video_TargetType,
                         &v.Video_VideoTag, &v.Video_CopyTimestamp})
    *s = u"old";
  v.Video_AddFileName = u"/in/clip.wmv";
  v.Video_VideoBitrate = v.Video_AudioBitrate = v.Video_TimeStart = v.Video_TimeLength = 7;
  v.Video_DisableVideo = true;
  return v;
}

bool operator==(const TVideoFields& a, const TVideoFields& b) {
  return a.Video_OutPutFileName == b.Video_OutPutFileName && a.Video_AddFileName == b.Video_AddFileName &&
         a.Video_FileExt == b.Video_FileExt && a.Video_AudioChannels == b.Video_AudioChannels &&
         a.Video_AudioSampleRate == b.Video_AudioSampleRate && a.Video_FrameSize == b.Video_FrameSize &&
         a.Video_FrameRate == b.Video_FrameRate && a.Video_NormType == b.Video_NormType &&
         a.Video_VideoFilters == b.Video_VideoFilters && a.Video_AudioVolume == b.Video_AudioVolume &&
         a.Video_FrameAspectRatio == b.Video_FrameAspectRatio && a.Video_VideoCodec == b.Video_VideoCodec &&
         a.Video_AudioCodec == b.Video_AudioCodec && a.Video_FileFormat == b.Video_FileFormat &&
         a.Video_TargetType == b.Video_TargetType && a.Video_VideoTag == b.Video_VideoTag &&
         a.Video_CopyTimestamp == b.Video_CopyTimestamp && a.Video_VideoBitrate == b.Video_VideoBitrate &&
         a.Video_AudioBitrate == b.Video_AudioBitrate && a.Video_TimeStart == b.Video_TimeStart &&
         a.Video_TimeLength == b.Video_TimeLength && a.Video_DisableVideo == b.Video_DisableVideo;
}

// The pickers' items.
int Count(TOfficePicker* p) { return p->Items()->Count(); }
std::string TitleOf(TOfficePicker* p, int i) { return U8(p->Items()->Items(i)->Title()); }
std::string CaptionOf(TOfficePicker* p, int i) { return U8(p->Items()->Items(i)->Caption()); }

class SettingsDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::InitWindowSystem(win::BackendKind::Headless);
    win::headless::UseFakeClock(true);
    forms::InitForms();
    main = forms::Application->CreateForm<forms::TForm>();
    main->SetBounds(40, 30, 1100, 800);
    main->AfterConstruction();
    video = Sentinels();
  }
  void TearDown() override {
    forms::DoneForms();
    skins.clear();
    win::ShutdownWindowSystem();
  }
  TForm6* Make(skin::TbsSkinData* SD = nullptr) {
    TSettingsHost host;
    host.Video = &video;
    host.OutputFolder = [this] { return folder; };
    host.OverwriteOutput = [this] { return overwrite; };
    host.FileExists = [this](const rtl::String& n) { return existing.count(n) > 0; };
    host.SkinData = SD;
    return new TForm6(forms::Application, host);
  }
  skin::TbsSkinData* Skin(int Index) {
    skins.push_back(LoadStoredSkin(Index));
    return skins.back().get();
  }
  static std::vector<std::string> Texts(TPresetComboBox* a, TPresetComboBox* b, TPresetComboBox* c,
                                        TPresetComboBox* d, TPresetComboBox* e, TPresetComboBox* f) {
    std::vector<std::string> v;
    for (TPresetComboBox* x : {a, b, c, d, e, f}) v.push_back(U8(x->Text()));
    return v;
  }
  // The six boxes' texts in fill order.
  static std::vector<std::string> Presets(TForm6* d) {
    return Texts(d->bsSkinComboBox1, d->bsSkinComboBox2, d->bsSkinComboBox9, d->bsSkinComboBox3,
                 d->bsSkinComboBox10, d->bsSkinComboBox4);
  }
  int Pump() { return win::headless::Pump(); }

  forms::TForm* main = nullptr;
  TVideoFields video;
  rtl::String folder = u"/out";
  bool overwrite = false;
  std::set<rtl::String> existing;
  std::vector<std::unique_ptr<skin::TbsSkinData>> skins;
};

TEST_F(SettingsDialogTest, CreationLoadsProfileZeroAndOnlyClearsDisableVideo) {
  TForm6* d = Make();
  TVideoFields expected = Sentinels();
  expected.Video_DisableVideo = false;
  EXPECT_TRUE(video == expected);
  EXPECT_FALSE(d->Visible());
  EXPECT_EQ(U8(d->Caption()), "设置选项");
  EXPECT_EQ(Count(d->bsSkinOfficeComboBox2), 12);
  EXPECT_EQ(d->bsSkinOfficeComboBox2->ItemIndex(), 0);
  EXPECT_EQ(CaptionOf(d->bsSkinOfficeComboBox2, 0), "常用视频");
  EXPECT_EQ(CaptionOf(d->bsSkinOfficeComboBox2, 11), "Flash视频");
  EXPECT_EQ(d->ImageList1->Count(), 12);
  EXPECT_EQ(d->ImageList2->Count(), 0);
  ASSERT_EQ(Count(d->bsSkinOfficeComboBox1), 15);
  EXPECT_EQ(d->bsSkinOfficeComboBox1->ItemIndex(), 0);
  EXPECT_EQ(TitleOf(d->bsSkinOfficeComboBox1, 0), "AVI - 音频视频交错格式(*.avi)");
  EXPECT_EQ(Presets(d), (std::vector<std::string>{"保持原分辨率", "816 kbps", "25.00", "128 kbps", "44100",
                                                  "保持原视频模式"}));
  EXPECT_NE(d->FFVCL, nullptr);
  EXPECT_EQ(d->FFVCL->Owner(), d);
  ASSERT_EQ(d->bsSkinPageControl1->PageCount(), 4);
  const char* tabs[] = {"标准参数设置", "剪辑设置", "滤镜设置", "文字水印"};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(U8(d->bsSkinPageControl1->Pages(i)->Caption()), tabs[i]);
  EXPECT_EQ(d->bsSkinPageControl1->ActivePage(), d->bsSkinTabSheet1);
  for (int i = 1; i < 4; ++i) EXPECT_EQ(d->bsSkinPageControl1->Pages(i)->ControlCount(), 0);
  // A dialog without the main window's fields cannot be made.
  EXPECT_THROW(new TForm6(forms::Application, TSettingsHost{}), rtl::EInvalidOperation);
}

// Profiles in which the older tables differ, picked through the pickers and
// confirmed with OK: the format's title, the boxes' defaults and the fields.
TEST_F(SettingsDialogTest, OlderProfilesThroughThePickersAndOk) {
  struct Case {
    int category, format;
    const char* title;
    std::vector<std::string> presets;
    const char *outName, *fileExt, *videoCodec, *frameSize, *aspect, *audioCodec, *sampleRate;
    int videoRate, audioRate;
    bool disableVideo;
  } cases[] = {
      {4, 2, "iPhone MPEG-4视频宽屏(*.mp4)",
       {"720*406", "768 kbps", "25.00", "128 kbps", "48000", "宽屏视频16:9模式"}, "/out/clip.mp4", ".mp4", "mpeg4",
       "720*406", "16:9", "libfaac", "48000", 768000, 128000, false},
      {1, 11, "ALAC-Apple Lossless无损音频格式(*.alac) ",
       {"该格式无视频", "无视频", "无视频", "", "", "无视频"}, "/out/clip.m4a", ".alac", "old", "", "", "alac", "",
       -1000, -1, true},
      {6, 0, "3GPP -  第三代合作项目-3GP视频+AMR音频(*.3gp)",
       {"176*144", "128 kbps", "12", "12 kbps", "8000", "保持原视频模式"}, "/out/clip.3gp", ".3gp", "h263",
       "176*144", "", "libamr_nb", "8000", 128000, 12000, false},
      {2, 6, "高清WMV视频格式(*.wmv)", {}, "/out/clip.wmv", ".asf", "wmv2", nullptr, nullptr, "wmav2", nullptr, 0, 0,
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    video = Sentinels();
    TForm6* d = Make();
    d->bsSkinOfficeComboBox2->SetItemIndex(c.category);
    d->bsSkinOfficeComboBox1->SetItemIndex(c.format);
    EXPECT_EQ(TitleOf(d->bsSkinOfficeComboBox1, c.format), c.title);
    if (!c.presets.empty() && !c.presets[3].empty()) {
      EXPECT_EQ(Presets(d), c.presets);
    }
    d->bsSkinButton2->ButtonClick();
    EXPECT_EQ(U8(video.Video_OutPutFileName), c.outName);
    EXPECT_EQ(U8(video.Video_FileExt), c.fileExt);
    EXPECT_EQ(U8(video.Video_VideoCodec), c.videoCodec);
    EXPECT_EQ(U8(video.Video_AudioCodec), c.audioCodec);
    EXPECT_EQ(video.Video_DisableVideo, c.disableVideo);
    if (c.frameSize) {
      EXPECT_EQ(U8(video.Video_FrameSize), c.frameSize);
      EXPECT_EQ(U8(video.Video_FrameAspectRatio), c.aspect);
      EXPECT_EQ(video.Video_VideoBitrate, c.videoRate);
    }
    if (c.sampleRate && *c.sampleRate) {
      EXPECT_EQ(U8(video.Video_AudioSampleRate), c.sampleRate);
      EXPECT_EQ(video.Video_AudioBitrate, c.audioRate);
    }
    EXPECT_EQ(video.Video_TimeStart, 7);  // no step names the times
    delete d;
  }
}

TEST_F(SettingsDialogTest, AudioOnlyProfilesDisableTheVideoBoxesUntilTheNextPick) {
  TForm6* d = Make();
  d->bsSkinOfficeComboBox2->SetItemIndex(1);  // "常用音频": profile 100 loads at once
  EXPECT_EQ(Count(d->bsSkinOfficeComboBox1), 13);
  for (TPresetComboBox* b : {d->bsSkinComboBox1, d->bsSkinComboBox2, d->bsSkinComboBox4, d->bsSkinComboBox9})
    EXPECT_FALSE(b->Enabled());
  EXPECT_TRUE(d->bsSkinComboBox3->Enabled());
  EXPECT_TRUE(d->bsSkinComboBox10->Enabled());
  EXPECT_FALSE(video.Video_DisableVideo);
  d->bsSkinOfficeComboBox2->SetItemIndex(0);
  for (TPresetComboBox* b : {d->bsSkinComboBox1, d->bsSkinComboBox2, d->bsSkinComboBox4, d->bsSkinComboBox9})
    EXPECT_TRUE(b->Enabled());
  // Picking the selected format again returns the boxes to their defaults.
  d->bsSkinComboBox2->SetItemIndex(0);
  EXPECT_NE(U8(d->bsSkinComboBox2->Text()), "816 kbps");
  d->bsSkinOfficeComboBox1->SetItemIndex(0);
  EXPECT_EQ(U8(d->bsSkinComboBox2->Text()), "816 kbps");
}

// The user's choice with the keyboard goes the same way as one from code.
TEST_F(SettingsDialogTest, ACategoryChosenWithTheKeyboardRebuildsTheFormats) {
  TForm6* d = Make(Skin(0));
  d->Show();
  win::SetForegroundWindow(d->Handle());
  Pump();
  d->bsSkinOfficeComboBox2->SetFocus();
  Pump();
  win::headless::PressKey(win::VK_DOWN);
  Pump();
  EXPECT_EQ(d->bsSkinOfficeComboBox2->ItemIndex(), 1);
  EXPECT_EQ(Count(d->bsSkinOfficeComboBox1), 13);
  EXPECT_EQ(TitleOf(d->bsSkinOfficeComboBox1, 0), "MP3 - MPEG Layer-3音频格式(*.mp3)");
  EXPECT_FALSE(d->bsSkinComboBox1->Enabled());
  d->bsSkinOfficeComboBox1->SetFocus();
  Pump();
  win::headless::PressKey(win::VK_DOWN);  // "WMA" (key 101)
  Pump();
  EXPECT_EQ(d->bsSkinOfficeComboBox1->ItemIndex(), 1);
  d->bsSkinButton2->ButtonClick();
  EXPECT_EQ(U8(video.Video_OutPutFileName), "/out/clip.wma");
  EXPECT_TRUE(video.Video_DisableVideo);
}

// The two pickers' drop-down lists, pictured in one skin.
TEST_F(SettingsDialogTest, PickerListsDropDown) {
  const char* dir = std::getenv("TVL_TEST_PICTURES");
  TForm6* d = Make(Skin(1));
  d->Show();
  win::SetForegroundWindow(d->Handle());
  Pump();
  for (TOfficePicker* p : {d->bsSkinOfficeComboBox2, d->bsSkinOfficeComboBox1}) {
    p->DropDown();
    Pump();
    ASSERT_TRUE(p->IsPopupVisible());
    const std::string path = std::string(dir ? dir : ".") + "/form6_" + U8(p->Name()) + "_list.png";
    EXPECT_TRUE(forms::RenderToPng(p->ListBox(), path)) << path;
    p->CloseUp(false);
    Pump();
    EXPECT_FALSE(p->IsPopupVisible());
  }
}

TEST_F(SettingsDialogTest, OkMakesTheNameUniqueUnlessOverwritingAndCancelWritesNothing) {
  existing = {u"/out/clip.avi", u"/out/clip_1.avi"};
  TForm6* d = Make();
  d->bsSkinButton2->ButtonClick();  // key 0
  EXPECT_EQ(U8(video.Video_OutPutFileName), "/out/clip_2.avi");
  EXPECT_EQ(U8(video.Video_VideoTag), "XVID");
  EXPECT_EQ(video.Video_VideoBitrate, 816000);
  EXPECT_EQ(U8(video.Video_FrameSize), "");  // "保持原分辨率"
  overwrite = true;
  d->bsSkinButton2->ButtonClick();
  EXPECT_EQ(U8(video.Video_OutPutFileName), "/out/clip.avi");
  // Cancel after a choice: only what the pick wrote stays.
  const TVideoFields before = video;
  d->bsSkinOfficeComboBox2->SetItemIndex(11);
  d->bsSkinButton3->ButtonClick();
  EXPECT_TRUE(video == before);
  EXPECT_FALSE(d->Visible());
}

TEST_F(SettingsDialogTest, ResetClearsTheFieldsButKeepsTheInput) {
  TForm6* d = Make();
  d->Button6->Click();
  TVideoFields expected;
  expected.Reset();
  expected.Video_AddFileName = u"/in/clip.wmv";
  EXPECT_TRUE(video == expected);
  EXPECT_EQ(U8(video.Video_AudioVolume), "256");
  EXPECT_EQ(video.Video_VideoBitrate, -1);
}

// Shown on demand: the form and its controls where the description puts
// them, centred on the main window; pictures in three stored skins.
TEST_F(SettingsDialogTest, ShownItLaysOutAsDescribed) {
  const struct {
    int index;
    const char* name;
  } looks[] = {{-1, "plain"}, {0, "office2007blue"}, {1, "metal"}, {3, "mac"}};
  main->Show();
  Pump();
  const char* dir = std::getenv("TVL_TEST_PICTURES");
  for (const auto& l : looks) {
    SCOPED_TRACE(l.name);
    TForm6* d = Make(l.index < 0 ? nullptr : Skin(l.index));
    d->OnShow = [&](rtl::TObject*) {
      Pump();
      EXPECT_EQ(d->ClientWidth(), 958);
      EXPECT_EQ(d->ClientHeight(), 474);
      EXPECT_NEAR(d->Left() + d->Width() / 2, main->Left() + main->Width() / 2, 1);
      EXPECT_NEAR(d->Top() + d->Height() / 2, main->Top() + main->Height() / 2, 1);
      struct Want {
        forms::TControl* c;
        int x, y, w, h;
      } wants[] = {{d->bsSkinPanel2, 39, 36, 625, 109},     {d->bsSkinOfficeComboBox1, 215, 33, 400, 51},
                   {d->bsSkinOfficeComboBox2, 83, 33, 126, 51}, {d->Panel1, 690, 161, 305, 305},
                   {d->bsSkinPageControl1, 39, 171, 625, 222}, {d->bsSkinButton3, 594, 416, 69, 25},
                   {d->bsSkinButton2, 480, 416, 69, 25},   {d->bsSkinComboBox1, 16, 43, 289, 20},
                   {d->bsSkinComboBox2, 342, 43, 251, 20}, {d->bsSkinComboBox9, 14, 88, 291, 20},
                   {d->bsSkinComboBox4, 342, 88, 251, 20}, {d->bsSkinComboBox3, 16, 133, 289, 20},
                   {d->bsSkinComboBox10, 342, 133, 251, 20}, {d->Button18, 42, 163, 143, 25}};
      for (const Want& w : wants) {
        SCOPED_TRACE(U8(w.c->Name()));
        EXPECT_EQ(w.c->Left(), w.x);
        EXPECT_EQ(w.c->Top(), w.y);
        EXPECT_EQ(w.c->Width(), w.w);
        // Under a skin, the skin fits the heights of buttons and combo boxes.
        if (l.index < 0) {
          EXPECT_EQ(w.c->Height(), w.h);
        }
      }
      EXPECT_EQ(d->bsSkinTextLabel5->Left(), 17);
      EXPECT_EQ(d->bsSkinTextLabel5->Top(), 48);
      EXPECT_EQ(d->PresetLabels[0]->Left(), 19);
      EXPECT_EQ(d->PresetLabels[5]->Top(), 114);
      EXPECT_FALSE(d->bsSkinButton1->Visible());
      win::SetForegroundWindow(d->Handle());
      for (int i = 0; i < 20; ++i) {
        win::headless::AdvanceClock(5);
        Pump();
      }
      const std::string path = std::string(dir ? dir : ".") + "/form6_" + l.name + ".png";
      EXPECT_TRUE(forms::RenderToPng(d, path)) << path;
      d->bsSkinButton3->ButtonClick();
    };
    EXPECT_EQ(d->Execute(), forms::mrCancel);
    delete d;
    Pump();
  }
}

}  // namespace
}  // namespace settings
