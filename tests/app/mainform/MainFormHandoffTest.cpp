// The engine's events handed from its threads to the GUI thread: a run with
// several workers ends every row through the GUI thread, a close while the
// workers convert waits for them and drops what comes after, and the end of
// the queue raised on another thread runs its after-done action on the GUI
// thread. This suite also runs under ThreadSanitizer.
#include <atomic>
#include <fstream>
#include <thread>

#include "tests/app/mainform/MainFormRunTestUtil.h"

namespace mainformtest {
namespace {

TEST_F(MainFormRunTest, ARunWithSeveralWorkersEndsEveryRowThroughTheGuiThread) {
  CreateWithOptions();
  options->bsSkinCheckRadioBox5->SetChecked(true);  // nothing after the queue
  options->bsSkinComboBox2->SetItemIndex(2);        // three files at once
  AddFilesToRun({Clip("handoff a.avi", 1), Clip("handoff b.avi", 1), Clip("handoff c.avi", 1)});
  ASSERT_EQ(form->RowCount(), 3);
  form->bsSkinButton2->ButtonClick();
  ASSERT_TRUE(form->FFVCL->Working()) << U(form->mmoLog->Lines()->Text());
  ASSERT_TRUE(WaitForEndOfQueue());
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(Cell(row, app::qcProgress), u"100%") << row;
    EXPECT_TRUE(fs::exists(Out(row))) << Out(row);
  }
  EXPECT_TRUE(runDialogs.Warnings.empty());
}

TEST_F(MainFormRunTest, CloseWhileConvertingWaitsForTheWorkersAndDropsWhatComesAfter) {
  CreateWithOptions();
  options->bsSkinComboBox2->SetItemIndex(1);
  const fs::path longClip = FixtureDir() / "long.avi";
  if (!fs::exists(longClip)) {
    ASSERT_TRUE(RunFfmpeg("-f lavfi -i testsrc=size=640x480:rate=25:duration=60 -f lavfi -i sine=duration=60 "
                          "-c:v mpeg4 -q:v 2 -c:a mp2 -shortest '" + longClip.string() + "'"));
  }
  AddFilesToRun({longClip.string(), longClip.string()});
  ASSERT_EQ(form->RowCount(), 2);
  form->bsSkinButton2->ButtonClick();
  ASSERT_TRUE(form->FFVCL->Working());
  // Both workers are under way and reporting.
  for (int i = 0; i < 3000 && (Cell(0, app::qcProgress).empty() || Cell(1, app::qcProgress).empty()); ++i) {
    Pump();
    rtl::CheckSynchronize(10);
  }
  ASSERT_FALSE(Cell(0, app::qcProgress).empty());
  bool canClose = false;
  form->FormCloseQuery(nullptr, canClose);
  EXPECT_TRUE(canClose);
  const String first = Cell(0, app::qcProgress), second = Cell(1, app::qcProgress);
  for (int i = 0; i < 30; ++i) {
    Pump();
    rtl::CheckSynchronize(5);
  }
  // Nothing reached the queue after the close: no progress, no end of row.
  EXPECT_EQ(Cell(0, app::qcProgress), first);
  EXPECT_EQ(Cell(1, app::qcProgress), second);
  EXPECT_NE(first, u"100%");
  EXPECT_TRUE(runDialogs.Warnings.empty());
}

TEST_F(MainFormRunTest, EndOfQueueFromAnotherThreadRunsTheChosenActionOnTheGuiThread) {
  fs::create_directories(home / "prog" / "sounds");
  std::ofstream(home / "prog" / "sounds" / "ring001.wav") << "RIFF";
  CreateWithOptions(home / "prog");
  struct TCase {
    skin::TbsSkinCheckRadioBox* box;
    int powerOffs;
    std::size_t sounds, opened;
  };
  const TCase cases[] = {{options->bsSkinCheckRadioBox2, 1, 0, 0},
                         {options->bsSkinCheckRadioBox4, 1, 1, 0},
                         {options->bsSkinCheckRadioBox5, 1, 1, 0},
                         {options->bsSkinCheckRadioBox1, 1, 1, 1}};
  for (const TCase& c : cases) {
    c.box->SetChecked(true);
    form->btnStop->SetEnabled(true);
    engine::TTerminateInfo end;
    end.TaskIndex = -1;
    std::thread([&] { form->FFVCLTerminate(nullptr, end); }).join();
    // Nothing happened on the engine's thread.
    EXPECT_TRUE(form->btnStop->Enabled());
    while (rtl::CheckSynchronize(0)) {
    }
    EXPECT_FALSE(form->btnStop->Enabled());
    EXPECT_EQ(powerOffs, c.powerOffs);
    EXPECT_EQ(sounds.size(), c.sounds);
    if (c.opened) {
      EXPECT_EQ(Opened().size(), c.opened);
    }
  }
  ASSERT_EQ(sounds.size(), 1u);
  EXPECT_EQ(U(sounds[0]), (home / "prog" / "sounds" / "ring001.wav").string());
  // The power-off refusal is logged.
  EXPECT_TRUE(LogHas(u"refused in tests"));

  // Without the sound file nothing is played.
  fs::remove_all(home / "prog" / "sounds");
  options->bsSkinCheckRadioBox4->SetChecked(true);
  form->Button29->Click();
  EXPECT_EQ(sounds.size(), 1u);

  // Work handed over after the close query is dropped.
  form->btnStop->SetEnabled(true);
  engine::TTerminateInfo end;
  end.TaskIndex = -1;
  std::thread([&] { form->FFVCLTerminate(nullptr, end); }).join();
  bool canClose = false;
  form->FormCloseQuery(nullptr, canClose);
  while (rtl::CheckSynchronize(0)) {
  }
  EXPECT_TRUE(form->btnStop->Enabled());
}

}  // namespace
}  // namespace mainformtest
