// Running the queue: start, pause, resume and stop, the busy and idle states
// of the commands, each row's progress and completion, the log lines of the
// engine, and the action run when the whole queue has ended.
#include "app/mainform/MainForm.h"

#include "engine/MyUtils.h"
#include "platform/rtl/FileSys.h"
#include "platform/rtl/SysUtils.h"
#include "platform/shell/SystemServices.h"

namespace app {

namespace {

// Toolbar glyphs: each enabled picture is followed by its dimmed one at n - 1.
constexpr int kAddGlyph = 3, kStartGlyph = 5, kPauseGlyph = 7, kResumeGlyph = 9, kStopGlyph = 11;

}  // namespace

rtl::String TForm1::ProgramFolder() const {
  rtl::String folder = env_.ProgramFolder.empty() ? engine::GetExePath() : env_.ProgramFolder;
  if (!folder.empty() && folder.back() != u'/') folder += u'/';
  return folder;
}

void TForm1::RunOnGuiThread(std::function<void()> work) {
  std::shared_ptr<bool> alive = alive_;
  engine::QueueMethodInMainThread([this, alive, work = std::move(work)] {
    // The window may have begun closing, or be gone, since the hand-over.
    if (!*alive || closing_) return;
    work();
  });
}

void TForm1::SetRunButton(skin::TbsSkinButton* button, int enabledGlyph, bool enabled, bool refresh) {
  button->SetGlyph(GlyphImages[std::size_t((enabled ? enabledGlyph : enabledGlyph - 1) - 2)]->Picture()->Bitmap());
  if (refresh) button->RefreshButton();
  button->SetEnabled(enabled);
}

// ---------------------------------------------------------------- start

void TForm1::btnStartClick(rtl::TObject*) {
  // The button is back while the stop still waits for its transcodes.
  if (FFVCL->Stopping()) return;
  if (OptionsDialog) {
    const std::pair<skin::TbsSkinCheckRadioBox*, rtl::TThreadPriority> priorities[] = {
        {OptionsDialog->bsSkinCheckRadioBox9, rtl::tpIdle},
        {OptionsDialog->bsSkinCheckRadioBox10, rtl::tpLowest},
        {OptionsDialog->bsSkinCheckRadioBox11, rtl::tpLower},
        {OptionsDialog->bsSkinCheckRadioBox12, rtl::tpNormal}};
    for (const auto& [box, priority] : priorities)
      if (box->Checked()) FFVCL->SetThreadPriority(priority);
  }
  try {
    button28->Click();
  } catch (const rtl::Exception& e) {
    // A start clicked while a stop still waits for its transcodes, or a
    // cell that does not hold a number: nothing else changes.
    ShowMessage(rtl::String(e.Message()));
    return;
  }
  // A row whose file or output the engine refused ends the start before
  // anything runs.
  if (!tasksReady_) return;

  SetAddCommandsEnabled(false);
  bsSkinMenuSpeedButton1->SetGlyph(GlyphImages[std::size_t(kAddGlyph - 1 - 2)]->Picture()->Bitmap());
  for (TQueueCommand c : {qcRemove, qcRename, qcClear, qcStart}) SetQueueCommand(c, false);
  btnStop->SetEnabled(true);
  SetRunButton(bsSkinButton10, kStopGlyph, true, false);
  if (N8) N8->SetEnabled(true);
  btnPause->SetEnabled(true);
  SetRunButton(bsSkinButton11, kPauseGlyph, true, false);
  if (N9) N9->SetEnabled(true);
  btnResume->SetEnabled(false);
  SetRunButton(bsSkinButton12, kResumeGlyph, false, false);
  if (N10) N10->SetEnabled(false);
  Button22->Click();

  const int threads = OptionsDialog ? OptionsDialog->ThreadCount() : 1;
  FFVCL->Start(threads < 1 ? 1 : threads);
}

void TForm1::button28Click(rtl::TObject*) {
  tasksReady_ = false;
  FFVCL->ClearTasks();
  const int rows = RowCount();
  for (int i = 0; i < rows; ++i) {
    if (i >= TJobSlotTable::kSlotCount) {
      ShowMessage(kNoFreeSlot);
      return;
    }
    engine::TInputOptions& io = JobSlotTable.Input(i);
    engine::TOutputOptions& oo = JobSlotTable.Output(i);
    io.FileName = lvFiles->Items()->Items(i)->Caption();
    auto cell = [&](int c) { return Cell(i, c); };
    TQueueCells cells;
    for (int c = 0; c < kQueueCellCount; ++c) cells[std::size_t(c)] = cell(c);
    RowCellsToOutputOptions(cells, oo);

    const int task = FFVCL->AddTask(io.FileName, &io);
    if (task < 0) {
      // The file can no longer be opened: say which, and start nothing.
      ShowMessage(io.FileName + u"\n" + FFVCL->LastErrMsg());
      return;
    }
    // The slot's state text stays in the slot; the engine gets no language.
    engine::TOutputOptions handed = oo;
    handed.AudioLanguage.clear();
    handed.FileName.clear();
    if (!FFVCL->SetOutputFile(task, JoinPath(FileOutPutPath, cell(qcOutputName)), &handed)) {
      ShowMessage(cell(qcOutputName) + u"\n" + FFVCL->LastErrMsg());
      return;
    }
  }
  tasksReady_ = true;
}

// ---------------------------------------------------------------- pause, resume, stop

// The pause and resume commands' buttons and menu items, for a paused or a
// running queue.
void TForm1::ShowPaused(bool paused) {
  btnPause->SetEnabled(!paused);
  SetRunButton(bsSkinButton11, kPauseGlyph, !paused, false);
  if (N9) N9->SetEnabled(!paused);
  btnResume->SetEnabled(paused);
  SetRunButton(bsSkinButton12, kResumeGlyph, paused, false);
  if (N10) N10->SetEnabled(paused);
}

void TForm1::btnPauseClick(rtl::TObject*) {
  ShowPaused(true);
  FFVCL->Pause();
}

void TForm1::btnResumeClick(rtl::TObject*) {
  ShowPaused(false);
  FFVCL->Resume();
}

void TForm1::bsSkinButton11Click(rtl::TObject*) {
  btnPause->Click();
  bsSkinButton11->SetVisible(false);
  bsSkinButton12->SetVisible(true);
}

void TForm1::bsSkinButton12Click(rtl::TObject*) {
  btnResume->Click();
  bsSkinButton11->SetVisible(true);
  bsSkinButton12->SetVisible(false);
}

void TForm1::btnStopClick(rtl::TObject*) {
  // Asked again (menu, keys) while the first stop waits.
  if (FFVCL->Stopping()) return;
  btnStop->SetEnabled(false);
  SetRunButton(bsSkinButton10, kStopGlyph, false, false);
  if (N8) N8->SetEnabled(false);
  // The Start button comes back at once; its menu item waits for a new queue.
  SetRunButton(bsSkinButton2, kStartGlyph, true, true);
  btnStart->SetEnabled(true);
  Button23->Click();
  FFVCL->Stop(true);
  CloseIfAskedDuringWait();
}

void TForm1::Button22Click(rtl::TObject*) {
  for (TPresetPicker* box : PresetBoxes()) box->SetEnabled(false);
  bsSkinOfficeComboBox2->SetEnabled(false);
  bsSkinOfficeComboBox2->Invalidate();
  bsSkinOfficeComboBox1->SetEnabled(false);
  bsSkinButtonBrowse->SetEnabled(false);
}

void TForm1::Button23Click(rtl::TObject*) {
  for (TPresetPicker* box : PresetBoxes()) box->SetEnabled(true);
  bsSkinOfficeComboBox2->SetEnabled(true);
  bsSkinOfficeComboBox2->Invalidate();
  bsSkinOfficeComboBox1->SetEnabled(true);
  bsSkinButtonBrowse->SetEnabled(true);
}

// ---------------------------------------------------------------- engine events

void TForm1::FFVCLProgress(rtl::TObject*, engine::PProgressInfo AProgressInfo) {
  if (closing_ || !AProgressInfo) return;
  const engine::TProgressInfo& p = *AProgressInfo;
  // The queue may have changed since the report was raised.
  if (p.TaskIndex < 0 || p.TaskIndex >= RowCount()) return;
  const int row = p.TaskIndex;
  SetCell(row, qcProgress, ProgressText(p.CurrentDuration, p.TotalDuration));
  if (p.FPS > 0) SetCell(row, qcFps, rtl::IntToStr(p.FPS));
  SetCell(row, qcCurrentTime, SecToDate(int(p.CurrentDuration / 1000000)));
  SetCell(row, qcConvertedSize, MegabytesText(p.CurrentSize));
}

void TForm1::FFVCLTerminate(rtl::TObject*, const engine::TTerminateInfo& ATerminateInfo) {
  // Arrives on a thread of the engine's: the whole work runs on the GUI thread.
  RunOnGuiThread([this, info = ATerminateInfo] {
    if (info.TaskIndex >= 0) {
      if (info.Finished && info.TaskIndex < RowCount()) SetCell(info.TaskIndex, qcProgress, u"100%");
    } else {
      for (TQueueCommand c : {qcRemove, qcRename}) SetQueueCommand(c, false);
      SetQueueCommand(qcClear, true);
      for (auto [button, glyph] : {std::pair{bsSkinButton10, kStopGlyph}, std::pair{bsSkinButton11, kPauseGlyph},
                                   std::pair{bsSkinButton12, kResumeGlyph}})
        SetRunButton(button, glyph, false, true);
      for (forms::TButton* b : {btnStop, btnPause, btnResume}) b->SetEnabled(false);
      for (forms::TMenuItem* item : {N8, N9, N10})
        if (item) item->SetEnabled(false);
      Button23->Click();
      if (OptionsDialog) {
        if (OptionsDialog->bsSkinCheckRadioBox1->Checked()) Button20->Click();
        if (OptionsDialog->bsSkinCheckRadioBox2->Checked()) Button25->Click();
        if (OptionsDialog->bsSkinCheckRadioBox4->Checked()) Button29->Click();
      }
    }
    if (info.Exception) {
      if (env_.Dialogs) {
        env_.Dialogs->Warning(info.ExceptionMsg, kCaption);
      } else {
        Log(info.ExceptionMsg);
      }
    }
  });
}

void TForm1::FFLoggerLog(rtl::TObject*, rtl::TThreadID AThreadID, engine::TLogLevel ALogLevel,
                         const rtl::String& ALogMsg) {
  if (closing_) return;
  Log(u"#" + rtl::IntToStr(std::int64_t(AThreadID)) + u"." + rtl::IntToStr(int(ALogLevel)) + u": " + ALogMsg);
}

// ---------------------------------------------------------------- after-done actions

void TForm1::Button20Click(rtl::TObject*) { shell::OpenDocument(Video_OutPut_Folder_Edit->Text()); }

void TForm1::Button25Click(rtl::TObject*) {
  rtl::String error;
  if (!shell::SystemActions().PowerOff(error)) Log(error);
}

void TForm1::Button29Click(rtl::TObject*) {
  const rtl::String sound = ProgramFolder() + u"sounds/ring001.wav";
  if (rtl::FileExists(sound)) shell::PlaySound(sound);
}

}  // namespace app
