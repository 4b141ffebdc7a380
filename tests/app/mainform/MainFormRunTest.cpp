// Running the queue from the main window with the real engine on clips made
// by the ffmpeg command line: the command states of a run, row progress and
// completion, failures, stop, the commands and menus, the options dialog,
// the preview slider and snapshots. The hand-over of the engine's events to
// the GUI thread has a suite of its own (MainFormHandoffTest.cpp).
#include <array>
#include <fstream>
#include <thread>

#include "app/options/OptionIni.h"
#include "platform/forms/FormRender.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Threads.h"
#include "platform/shell/SystemServices.h"
#include "tests/app/mainform/MainFormRunTestUtil.h"
#include "tests/support/Looks.h"

namespace mainformtest {
namespace {

using app::TForm1;

TEST_F(MainFormRunTest, StartConvertsEveryRowAndReturnsToIdle) {
  CreateWithOptions();
  options->bsSkinComboBox2->SetItemIndex(1);  // two files at once
  const std::string a = Clip("run a.avi", 2), b = Clip("run b.avi", 2);
  AddFilesToRun({a, b});
  ASSERT_EQ(form->RowCount(), 2);
  // Outputs go to the folder current at start time.
  const fs::path outDir = home / "新输出";
  fs::create_directories(outDir);
  runDialogs.FolderAnswers.push_back(S(outDir.string()));
  form->bsSkinButtonBrowse->ButtonClick();
  ASSERT_EQ(form->FileOutPutPath, S(outDir.string()));

  form->bsSkinButton2->ButtonClick();
  ASSERT_TRUE(form->FFVCL->Working()) << U(form->mmoLog->Lines()->Text());
  EXPECT_EQ(form->FFVCL->TasksCount(), 2);
  // Busy: adding, removing, renaming, clearing and starting are off.
  ExpectRunControls(false, true, true, false, false);
  EXPECT_FALSE(form->bsSkinMenuSpeedButton1->Enabled());
  for (auto* item : form->FileMenuAddItems) EXPECT_FALSE(item->Enabled());
  for (auto c : {TForm1::qcRemove, TForm1::qcRename, TForm1::qcClear, TForm1::qcStart})
    EXPECT_FALSE(form->QueueCommandEnabled(c)) << c;
  EXPECT_FALSE(form->N13->Enabled());
  EXPECT_FALSE(form->N14->Enabled());
  EXPECT_FALSE(form->N26->Enabled());
  ExpectPickersEnabled(false);

  ASSERT_TRUE(WaitForEndOfQueue());
  for (int row = 0; row < 2; ++row) {
    EXPECT_EQ(Cell(row, app::qcProgress), u"100%") << row;
    EXPECT_EQ(Cell(row, app::qcCurrentTime).size(), 8u) << row;
    EXPECT_NE(Cell(row, app::qcConvertedSize).find(u"MB"), String::npos) << row;
    const std::string out = Out(row);
    ASSERT_TRUE(fs::exists(out)) << out;
    EXPECT_EQ(fs::path(out).parent_path(), outDir);
    EXPECT_EQ(Probe(out, "stream=codec_name", "v:0"), "mpeg4");
    EXPECT_EQ(Probe(out, "stream=codec_name", "a:0"), "mp3");
    EXPECT_EQ(Probe(out, "stream=width,height", "v:0"), "160,120");
    EXPECT_NEAR(std::stod(Probe(out, "format=duration")), 2.0, 0.3);
  }
  // Idle after a complete run: clearing is the way on; start and add stay off.
  ExpectRunControls(false, false, false, false, false);
  EXPECT_TRUE(form->QueueCommandEnabled(TForm1::qcClear));
  EXPECT_TRUE(form->N14->Enabled());
  EXPECT_FALSE(form->QueueCommandEnabled(TForm1::qcRemove));
  EXPECT_FALSE(form->QueueCommandEnabled(TForm1::qcRename));
  EXPECT_FALSE(form->bsSkinMenuSpeedButton1->Enabled());
  ExpectPickersEnabled(true);
  EXPECT_TRUE(runDialogs.Warnings.empty());
  // The default after-done action opens the output folder.
  EXPECT_EQ(Opened(), std::vector<std::string>{outDir.string()});
  EXPECT_EQ(powerOffs, 0);

  // Clearing, adding again and starting again works.
  form->bsSkinButton8->ButtonClick();
  EXPECT_EQ(form->RowCount(), 0);
  EXPECT_TRUE(form->bsSkinMenuSpeedButton1->Enabled());
}

TEST_F(MainFormRunTest, PauseResumeAndStopWhilePausedLeaveAPlayableShorterOutput) {
  CreateWithOptions();
  options->bsSkinCheckRadioBox5->SetChecked(true);  // nothing after the queue
  const fs::path longClip = FixtureDir() / "long.avi";
  if (!fs::exists(longClip)) {
    ASSERT_TRUE(RunFfmpeg("-f lavfi -i testsrc=size=640x480:rate=25:duration=60 -f lavfi -i sine=duration=60 "
                          "-c:v mpeg4 -q:v 2 -c:a mp2 -shortest '" + longClip.string() + "'"));
  }
  AddFilesToRun({longClip.string()});
  ASSERT_EQ(form->RowCount(), 1);
  form->bsSkinButton2->ButtonClick();
  ASSERT_TRUE(form->FFVCL->Working());
  for (int i = 0; i < 30; ++i) rtl::CheckSynchronize(10);

  // The menu item swaps the tool bar's buttons like the button does.
  form->N9->Click();
  ExpectRunControls(false, true, false, true, false);
  EXPECT_FALSE(form->bsSkinButton11->Visible());
  EXPECT_TRUE(form->bsSkinButton12->Visible());
  form->bsSkinButton12->ButtonClick();
  ExpectRunControls(false, true, true, false, false);
  EXPECT_TRUE(form->bsSkinButton11->Visible());
  EXPECT_FALSE(form->bsSkinButton12->Visible());
  for (int i = 0; i < 20; ++i) rtl::CheckSynchronize(10);
  form->bsSkinButton11->ButtonClick();

  // Stop while paused: the engine resumes and ends the transcode.
  form->bsSkinButton10->ButtonClick();
  ASSERT_TRUE(WaitForEndOfQueue());
  // The Start button is back, its menu item is not; the resume button still
  // stands in the pause button's place.
  EXPECT_TRUE(form->bsSkinButton2->Enabled());
  EXPECT_FALSE(form->N7->Enabled());
  EXPECT_FALSE(form->bsSkinButton10->Enabled());
  EXPECT_TRUE(form->bsSkinButton12->Visible());
  EXPECT_TRUE(form->QueueCommandEnabled(TForm1::qcClear));
  ExpectPickersEnabled(true);
  EXPECT_NE(Cell(0, app::qcProgress), u"100%");
  const std::string out = Out(0);
  ASSERT_TRUE(fs::exists(out));
  const double duration = std::stod(Probe(out, "format=duration"));
  EXPECT_GT(duration, 0.0);
  EXPECT_LT(duration, 59.0);
  EXPECT_EQ(Probe(out, "stream=codec_name", "v:0"), "mpeg4");
  EXPECT_TRUE(Opened().empty());

  // Starting again converts the row from the beginning.
  form->bsSkinButton2->ButtonClick();
  EXPECT_TRUE(form->FFVCL->Working());
  form->btnStop->Click();
  ASSERT_TRUE(WaitForEndOfQueue());
}

TEST_F(MainFormRunTest, AFailedRowShowsItsFailureAndTheOthersGoOn) {
  CreateWithOptions();
  options->bsSkinCheckRadioBox5->SetChecked(true);
  AddFilesToRun({Clip("fail a.avi"), Clip("fail b.avi")});
  ASSERT_EQ(form->RowCount(), 2);
  // Row 0 asks the MPEG-4 encoder for a frame rate beyond its time base.
  form->SetCell(0, app::qcFrameRate, u"100000");
  form->bsSkinButton2->ButtonClick();
  ASSERT_TRUE(WaitForEndOfQueue());
  ASSERT_TRUE(runDialogs.Messages.empty()) << U(runDialogs.Messages[0]);
  ASSERT_EQ(runDialogs.Warnings.size(), 1u);
  EXPECT_EQ(runDialogs.Warnings[0].second, TForm1::kCaption);
  EXPECT_FALSE(runDialogs.Warnings[0].first.empty());
  EXPECT_NE(Cell(0, app::qcProgress), u"100%");
  EXPECT_EQ(Cell(1, app::qcProgress), u"100%");
  EXPECT_TRUE(fs::exists(Out(1)));
}

TEST_F(MainFormRunTest, ARowWhoseFileIsGoneEndsTheStartBeforeAnythingRuns) {
  CreateWithOptions();
  const fs::path gone = home / "gone.avi";
  fs::copy_file(Clip("gone source.avi"), gone);
  AddFilesToRun({gone.string()});
  ASSERT_EQ(form->RowCount(), 1);
  fs::remove(gone);
  form->bsSkinButton2->ButtonClick();
  EXPECT_FALSE(form->FFVCL->Working());
  ASSERT_EQ(dialogs.Messages.size() + runDialogs.Messages.size(), 1u);
  EXPECT_NE(runDialogs.Messages[0].find(S(gone.string())), String::npos);
  // Still idle: start, add and the queue commands as they were.
  ExpectRunControls(true, false, false, false, true);
  EXPECT_TRUE(form->bsSkinMenuSpeedButton1->Enabled());
  ExpectPickersEnabled(true);
}

TEST_F(MainFormRunTest, RowCellsRewriteTheirSlotsAtStart) {
  CreateWithOptions();
  AddFilesToRun({Clip("cells a.avi"), Clip("cells b.avi"), Clip("cells c.avi")});
  ASSERT_EQ(form->RowCount(), 3);
  form->JobSlotTable.Output(0).AudioCodec = u"mp2";
  form->SetCell(0, app::qcAudioCodec, u"");  // kept from the slot
  form->SetCell(0, app::qcVideoTag, u"XVID");
  form->SetCell(1, app::qcVideoCodec, u"libx264");
  form->SetCell(1, app::qcVideoTag, u"XVID");  // dropped with libx264
  form->JobSlotTable.Output(2).AudioBitrate = 96000;
  form->SetCell(2, app::qcAudioBitrate, u"-1000");  // kept
  form->SetCell(2, app::qcTargetType, u"dvd");
  form->SetCell(2, app::qcNormType, u"NTSC");
  form->SetCell(2, app::qcDisableVideo, u"True");
  form->button28->Click();
  ASSERT_EQ(form->FFVCL->TasksCount(), 3);
  auto oo = [&](int task) { return *form->FFVCL->Task(task)->OutputOptions(0); };
  EXPECT_EQ(oo(0).AudioCodec, u"mp2");
  EXPECT_EQ(oo(1).VideoCodec, u"libx264");
  EXPECT_EQ(oo(1).VideoPreset, u"libx264-default");
  EXPECT_EQ(oo(1).VideoTag, u"");
  EXPECT_EQ(oo(0).VideoTag, u"XVID");
  EXPECT_EQ(oo(2).AudioBitrate, 96000);
  EXPECT_EQ(oo(2).TargetType, engine::ttDVD);
  EXPECT_EQ(oo(2).NormType, engine::ntNTSC);
  EXPECT_TRUE(oo(2).DisableVideo);
  EXPECT_FALSE(oo(0).DisableVideo);
  for (int i = 0; i < 3; ++i) {
    // The slot's state never reaches the engine as a language.
    EXPECT_EQ(oo(i).AudioLanguage, u"") << i;
    EXPECT_EQ(form->JobSlotTable.State(i), app::TJobSlotTable::kTaken) << i;
    EXPECT_EQ(form->JobSlotTable.Input(i).FileName, form->lvFiles->Items()->Items(i)->Caption());
  }
  form->FFVCL->ClearTasks();
}

TEST_F(MainFormRunTest, AddingTouchesNoOutputAndRowsNeverShareOne) {
  CreateWithOptions();
  const std::string clip = Clip("phone.avi");
  AddFilesToRun({clip, clip});
  ASSERT_EQ(form->RowCount(), 2);
  // Nothing is written before the start, and still the two names differ.
  EXPECT_NE(Cell(0, app::qcOutputName), Cell(1, app::qcOutputName));
  EXPECT_FALSE(fs::exists(Out(0)));
  EXPECT_FALSE(fs::exists(Out(1)));
  form->btnClearClick(nullptr);

  // With overwriting chosen, a file in the output's place is left as it is
  // by adding, removing and clearing.
  form->OverwriteOutput = true;
  AddFilesToRun({clip});
  const std::string target = Out(0);
  form->btnClearClick(nullptr);
  const std::string old = "the user's own file";
  std::ofstream(target) << old;
  auto unchanged = [&] {
    std::ifstream in(target);
    return std::string(std::istreambuf_iterator<char>(in), {}) == old;
  };
  AddFilesToRun({clip, clip});
  ASSERT_EQ(form->RowCount(), 2);
  EXPECT_EQ(Out(0), target);
  EXPECT_TRUE(unchanged()) << "added";
  form->lvFiles->SetItemIndex(1);
  form->btnRemoveClick(nullptr);
  EXPECT_TRUE(unchanged()) << "removed";
  form->btnClearClick(nullptr);
  EXPECT_TRUE(unchanged()) << "cleared";
}

TEST_F(MainFormRunTest, ProgressCellsAndLateOrStrayEvents) {
  CreateWithOptions();
  AddFilesToRun({Clip("progress.avi")});
  ASSERT_EQ(form->RowCount(), 1);
  // A converting row gets fresh progress more than four times a second.
  EXPECT_LT(form->FFVCL->ProgressInterval(), 250);
  struct TCase {
    std::int64_t cur, total, size;
    int fps;
    const char16_t *progress, *fpsCell, *time, *converted;
  };
  const TCase cases[] = {
      {21000000, 50000000, 5242880, 25, u"42%", u"25", u"00:00:21", u"5MB"},
      {3725000000, 0, 1234567, 0, u"N/A", u"25", u"01:02:05", u"1.18MB"},
      {60000000, 50000000, 0, 12, u"120%", u"12", u"00:01:00", u"0MB"},
      {90000000000, -1, 73400, 0, u"N/A", u"12", u"01:00:00", u"0.07MB"},
  };
  for (const TCase& c : cases) {
    engine::TProgressInfo p;
    p.TaskIndex = 0;
    p.CurrentDuration = c.cur;
    p.TotalDuration = c.total;
    p.CurrentSize = c.size;
    p.FPS = c.fps;
    form->FFVCLProgress(nullptr, &p);
    EXPECT_EQ(Cell(0, app::qcProgress), c.progress);
    EXPECT_EQ(Cell(0, app::qcFps), c.fpsCell);
    EXPECT_EQ(Cell(0, app::qcCurrentTime), c.time);
    EXPECT_EQ(Cell(0, app::qcConvertedSize), c.converted);
  }
  // Events for rows that are no longer there are dropped.
  engine::TProgressInfo stray;
  stray.TaskIndex = 5;
  form->FFVCLProgress(nullptr, &stray);
  engine::TTerminateInfo late;
  late.TaskIndex = 3;
  late.Finished = true;
  form->FFVCLTerminate(nullptr, late);
  EXPECT_EQ(form->RowCount(), 1);
  // A finished task.
  late.TaskIndex = 0;
  form->FFVCLTerminate(nullptr, late);
  EXPECT_EQ(Cell(0, app::qcProgress), u"100%");
  EXPECT_TRUE(runDialogs.Warnings.empty());
  // Log lines of the engine.
  form->FFLoggerLog(nullptr, 2412, engine::llInfo, u"Stream mapping:");
  EXPECT_TRUE(LogHas(u"#2412.5: Stream mapping:"));
}

TEST_F(MainFormRunTest, OptionsDialogRoundTripDrivesTheStart) {
  CreateWithOptions();
  // First start: the file holds the defaults and the dialog shows them.
  EXPECT_EQ(options->ThreadCount(), 1);
  EXPECT_TRUE(options->bsSkinCheckRadioBox1->Checked());
  EXPECT_TRUE(options->bsSkinCheckRadioBox12->Checked());
  options->bsSkinComboBox2->SetItemIndex(3);
  options->bsSkinCheckRadioBox10->SetChecked(true);
  options->bsSkinCheckRadioBox3->SetChecked(true);
  options->bsSkinButton6->ButtonClick();  // "确定"
  appforms::TForm5 again(nullptr, nullptr, form->OptionIni());
  EXPECT_EQ(again.ThreadCount(), 4);
  EXPECT_TRUE(again.bsSkinCheckRadioBox10->Checked());
  EXPECT_TRUE(again.OverwriteOutput());

  // Cancel keeps the controls' choice for this session: the next start uses it.
  options->bsSkinCheckRadioBox9->SetChecked(true);
  options->bsSkinButton1->ButtonClick();  // "取消"
  AddFilesToRun({Clip("options.avi")});
  form->bsSkinButton2->ButtonClick();
  EXPECT_EQ(form->FFVCL->ThreadPriority(), rtl::tpIdle);
  ASSERT_TRUE(WaitForEndOfQueue());
  appforms::TForm5 third(nullptr, nullptr, form->OptionIni());
  EXPECT_TRUE(third.bsSkinCheckRadioBox10->Checked());
}

TEST_F(MainFormRunTest, CommandsAndMenusReachTheirOperations) {
  CreateWithOptions();
  // F1 and the help menu open the help page beside the program.
  EXPECT_EQ(form->N15->ShortCut(), forms::ShortCut(win::VK_F1, {}));
  form->N15->Click();
  EXPECT_EQ(Opened(), std::vector<std::string>{(home / "help.html").string()});
  // The web site, from the help menu and from the output panel's link.
  form->N19->Click();
  form->bsSkinLinkLabel1->Click();
  const std::string site = rtl::StringToUtf8(appforms::kMakerWebSite);
  std::vector<std::string> opened;
  for (int i = 0; i < 200 && (opened = Opened()).size() < 3; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(opened, (std::vector<std::string>{(home / "help.html").string(), site, site}));
  // The skin dialog: cancelled still stores the current skin; confirmed applies and stores.
  form->ApplySkin(3);
  form->N23->Click();
  EXPECT_EQ(app::TOptionIni(S((home / "option.ini").string())).ReadSkinIndex(), 3);
  runDialogs.SkinAnswer = 5;
  form->bsSkinButton9->ButtonClick();
  EXPECT_EQ(form->bsSkinData1->SkinIndex(), 5);
  EXPECT_EQ(app::TOptionIni(S((home / "option.ini").string())).ReadSkinIndex(), 5);
  // The File menu's folder item and the add menu's run the same command.
  const fs::path empty = home / "空目录";
  fs::create_directories(empty);
  runDialogs.FolderAnswers = {S(empty.string()), S(empty.string())};
  form->FileMenuAddItems[2]->Click();
  form->N3331->Click();
  EXPECT_EQ(runDialogs.Messages.size(), 2u);
  // The queue commands' menu items follow their buttons.
  AddFilesToRun({Clip("menus.avi")});
  EXPECT_TRUE(form->N7->Enabled());
  EXPECT_TRUE(form->N13->Enabled());
  EXPECT_TRUE(form->N14->Enabled());
  EXPECT_TRUE(form->N26->Enabled());
  form->N14->Click();
  EXPECT_EQ(form->RowCount(), 0);
  EXPECT_FALSE(form->N7->Enabled());
}

TEST_F(MainFormRunTest, SliderFollowsThePlayerAndStaysWhileHeld) {
  CreateWithOptions();
  form->FScreenControl = form->Panel6;
  int w = 0, h = 0;
  form->FFPlayerFileOpen(nullptr, 60000000, 320, 240, w, h);
  EXPECT_EQ(w, 200);
  EXPECT_EQ(h, 150);
  EXPECT_EQ(form->bsSkinSlider1->MaxValue(), 200);
  EXPECT_EQ(form->bsSkinSlider1->Increment(), 5);
  form->FFPlayerPosition(nullptr, 15000000);
  EXPECT_EQ(form->bsSkinSlider1->Value(), 50);
  form->bsSkinSlider1MouseDown(nullptr);
  EXPECT_EQ(form->bsSkinSlider1_down_UP, u"Down");
  form->FFPlayerPosition(nullptr, 30000000);
  EXPECT_EQ(form->bsSkinSlider1->Value(), 50);
  form->bsSkinSlider1MouseUp(nullptr);
  EXPECT_EQ(form->bsSkinSlider1_down_UP, u"UP");
  form->FFPlayerPosition(nullptr, 30000000);
  EXPECT_EQ(form->bsSkinSlider1->Value(), 100);
  // No duration: the slider stays.
  form->FFPlayerFileOpen(nullptr, 0, 0, 0, w, h);
  form->FFPlayerPosition(nullptr, 30000000);
  EXPECT_EQ(form->bsSkinSlider1->Value(), 0);
  // Mute swaps its buttons.
  form->bsSkinButton16->ButtonClick();
  EXPECT_TRUE(form->bsSkinButton20->Visible());
  EXPECT_FALSE(form->bsSkinButton16->Visible());
  form->bsSkinButton20->ButtonClick();
  EXPECT_TRUE(form->bsSkinButton16->Visible());
  EXPECT_FALSE(form->bsSkinButton20->Visible());
}

TEST_F(MainFormRunTest, SnapshotsTakeTheChosenTypeAndTheFirstFreeName) {
  CreateWithOptions();
  form->T_Movie_PLayer_FileName = S((home / "旅行.avi").string());
  const fs::path dir = home / "快照";
  fs::create_directories(dir);
  runDialogs.FolderAnswers.push_back(S(dir.string()));
  form->MenuItem2->Click();
  gdi::TBitmap frame;
  frame.SetPixelFormat(gdi::pf24bit);
  frame.SetSize(32, 24);
  frame.Canvas()->Brush()->SetColor(0x2080F0);
  frame.Canvas()->FillRect({0, 0, 32, 24});
  struct TCase {
    forms::TMenuItem* item;
    const char* ext;
    std::string magic;
  };
  const TCase cases[] = {{form->BMP1, ".bmp", "BM"},
                         {form->JPG1, ".jpg", "\xFF\xD8"},
                         {form->GIF1, ".gif", "GIF8"},
                         {form->PNG1, ".png", "\x89PNG"}};
  for (const TCase& c : cases) {
    c.item->Click();
    EXPECT_TRUE(c.item->Checked());
    for (int n = 1; n <= 2; ++n) {
      const std::string expected = (dir / ("旅行_" + std::to_string(n) + c.ext)).string();
      EXPECT_EQ(U(form->TakeSnapshot(frame)), expected);
      std::ifstream in(expected, std::ios::binary);
      std::string head(c.magic.size(), '\0');
      in.read(head.data(), std::streamsize(head.size()));
      EXPECT_EQ(head, c.magic) << c.ext;
    }
  }
  // A freed name is taken again; an empty picture saves nothing.
  fs::remove(dir / "旅行_1.png");
  EXPECT_EQ(U(form->TakeSnapshot(frame)), (dir / "旅行_1.png").string());
  gdi::TBitmap empty;
  EXPECT_TRUE(form->TakeSnapshot(empty).empty());
  // A stored type in the wrong case falls back to BMP and ticks it.
  std::string ini;
  {
    std::ifstream in(home / "option.ini");
    ini.assign(std::istreambuf_iterator<char>(in), {});
  }
  const auto at = ini.find("Picture=PNG");
  ASSERT_NE(at, std::string::npos);
  ini.replace(at, 11, "Picture=png");
  std::ofstream(home / "option.ini") << ini;
  form->bsSkinButton23->ButtonClick();
  EXPECT_TRUE(form->BMP1->Checked());
  EXPECT_FALSE(form->PNG1->Checked());
}

}  // namespace
}  // namespace mainformtest

namespace mainformtest {
namespace {

std::string RunPictureDir() {
  const char* d = std::getenv("TVL_TEST_PICTURES");
  return d ? d : ".";
}

// Gallery: the window while it converts (rows with their percentages, the
// busy tool bar), and the options dialog and the About box, in three skins.
TEST_F(MainFormRunTest, GalleryWhileConvertingAndTheDialogs) {
  CreateWithOptions();
  options->bsSkinCheckRadioBox5->SetChecked(true);
  options->bsSkinComboBox2->SetItemIndex(1);
  auto* about = new appforms::TForm2(nullptr, form->bsSkinData1);
  const fs::path longClip = FixtureDir() / "gallery long.avi";
  if (!fs::exists(longClip)) {
    ASSERT_TRUE(RunFfmpeg("-f lavfi -i testsrc=size=1280x720:rate=25:duration=60 -f lavfi -i sine=duration=60 "
                          "-c:v mpeg4 -q:v 2 -c:a mp2 -shortest '" + longClip.string() + "'"));
  }
  AddFilesToRun({longClip.string(), Clip("gallery short.avi", 2)});
  ASSERT_EQ(form->RowCount(), 2);
  Show();
  form->bsSkinButton2->ButtonClick();
  ASSERT_TRUE(form->FFVCL->Working());
  const int longRow = U(Caption(0)).find("long") != std::string::npos ? 0 : 1;
  // Until the long row shows a percentage on its way; the engine then holds
  // still while the pictures are taken.
  bool midway = false;
  for (int i = 0; i < 6000 && !midway; ++i) {
    rtl::CheckSynchronize(1);
    const std::string p = U(Cell(longRow, app::qcProgress));
    midway = !p.empty() && p != "N/A" && p != "100%" && std::atoi(p.c_str()) >= 5;
  }
  EXPECT_TRUE(midway);
  form->FFVCL->Pause();
  // Each skin draws the window and both dialogs its own way.
  std::vector<std::array<testsupport::TShot, 3>> looks;
  auto differs = [&](std::size_t which, const char* what) {
    for (std::size_t k = 0; k + 1 < looks.size(); ++k)
      EXPECT_GT(testsupport::Changed(looks.back()[which], looks[k][which]), 0.0) << what << " in two skins alike";
  };
  for (int skin : {0, 1, 5}) {
    form->ApplySkin(skin);
    Pump();
    EXPECT_TRUE(forms::RenderToPng(form, RunPictureDir() + "/mainform_converting_skin" + std::to_string(skin) + ".png"));
    looks.emplace_back();
    looks.back()[0] = testsupport::Shot(form);
    differs(0, "the converting window");
    // As the options command does before it shows the dialog.
    options->bsBusinessSkinForm1->SetSkinData(form->bsSkinData1);
    options->Show();
    Pump();
    EXPECT_TRUE(forms::RenderToPng(options, RunPictureDir() + "/mainform_options_skin" + std::to_string(skin) + ".png"));
    looks.back()[1] = testsupport::Shot(options);
    differs(1, "the options dialog");
    options->Hide();
    // As the About command does before it shows the box.
    about->bsBusinessSkinForm1->SetSkinData(form->bsSkinData1);
    about->Show();
    Pump();
    EXPECT_TRUE(forms::RenderToPng(about, RunPictureDir() + "/mainform_about_skin" + std::to_string(skin) + ".png"));
    looks.back()[2] = testsupport::Shot(about);
    differs(2, "the About box");
    about->Hide();
  }
  form->FFVCL->Resume();
  form->bsSkinButton10->ButtonClick();
  ASSERT_TRUE(WaitForEndOfQueue());
  delete about;
}

}  // namespace
}  // namespace mainformtest
