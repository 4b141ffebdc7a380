// The main window's queue commands: adding one file, several files or a
// folder; removing, clearing, moving and renaming rows; selecting a row.
#include <filesystem>

#include "app/mainform/MainForm.h"
#include "engine/MyUtils.h"
#include "platform/rtl/FileSys.h"
#include "platform/rtl/SysUtils.h"

namespace app {

// ---------------------------------------------------------------- adding

bool TForm1::EnsureLibraries() {
  if (FFVCL->AVLibLoaded()) return true;
  const rtl::String folder = env_.LibraryFolder.empty() ? engine::GetExePath() + u"LibAV" : env_.LibraryFolder;
  if (FFVCL->LoadAVLib(folder)) return true;
  Log(FFVCL->LastErrMsg());
  return false;
}

TForm1::TFileResult TForm1::AddOneFile(const rtl::String& name, bool focusList) {
  auto failure = [this](const rtl::String& line) {
    Log(u"");
    Log(line);
    Log(u"");
  };
  // The probe first: a file it cannot open is given up before anything else.
  player::TAVProbe* probe = FFVCL->AVProbe();
  if (!probe->LoadFile(name)) {
    failure(u"***File load error: " + probe->LastErrMsg());
    return TFileResult::Skipped;
  }
  const std::int64_t duration = probe->FileStreamInfo().Duration;
  const std::int64_t size = probe->FileSize();
  ProgressBar1->SetPosition(0);
  Video.Video_AddFileName = name;
  // The slot the file will take must exist before the file becomes a task:
  // a file that no slot can hold is refused.
  if (!JobSlotTable.HasFree()) {
    failure(u"***File open error: " + rtl::String(kNoFreeSlot));
    ShowMessage(kNoFreeSlot);
    return TFileResult::Ended;
  }

  engine::TInputOptions io;
  engine::InitInputOptions(io);
  const int task = FFVCL->AddTask(name, &io);
  if (task < 0) {
    failure(u"***File open error: " + FFVCL->LastErrMsg());
    return TFileResult::Ended;
  }
  Log(u"");
  if (player::TAVProbe* taskProbe = FFVCL->GetTaskAVProbe(task, 0)) Log(taskProbe->FileInfoText());
  T_Movie_PLayer_FileName = name;

  engine::TOutputOptions oo;
  engine::InitOutputOptions(oo);
  // The profile's parameters go to this file only: the row that happens to be
  // selected keeps the settings its own pickers gave it.
  addingFile_ = true;
  Button5->Click();
  addingFile_ = false;
  Button13->Click();
  VideoFieldsToOutputOptions(Video, oo);

  if (!FFVCL->SetOutputFile(task, Video.Video_OutPutFileName, &oo)) {
    FFVCL->RemoveTask(task);
    failure(u"***Cannot do convert, error: " + FFVCL->LastErrMsg());
    return TFileResult::Ended;
  }

  bsSkinPanel5->SetVisible(false);
  TAddedFile file;
  file.DurationMicroseconds = duration;
  file.SizeBytes = size;
  file.TaskIndex = task;
  file.CategoryIndex = bsSkinOfficeComboBox2->ItemIndex();
  file.FormatIndex = bsSkinOfficeComboBox1->ItemIndex();
  const auto boxes = std::array<TPresetPicker*, 6>{bsSkinComboBox1, bsSkinComboBox2, bsSkinComboBox3,
                                                   bsSkinComboBox4, bsSkinComboBox9, bsSkinComboBox10};
  for (std::size_t i = 0; i < boxes.size(); ++i) file.Presets[i] = boxes[i]->ItemIndex();
  const TQueueCells cells = AddedRowCells(file, oo, Video);
  forms::TListItem* item = lvFiles->Items()->Add();
  item->SetCaption(io.FileName.empty() ? name : io.FileName);
  for (const rtl::String& c : cells) item->SubItems()->Add(c);

  if (focusList && lvFiles->CanFocus()) lvFiles->SetFocus();
  for (TQueueCommand c : {qcRemove, qcRename, qcClear, qcStart}) SetQueueCommand(c, true);
  JobSlotTable.Take(io, oo);
  Log(u"");
  Log(u"***Can do convert.");
  Log(u"");
  SetQueueCommand(qcStart, true);
  if (btnStart->CanFocus()) btnStart->SetFocus();
  return TFileResult::Added;
}

void TForm1::SelectRow(int index) {
  if (index < 0 || index >= RowCount()) return;
  lvFiles->SetItemIndex(index);
}

void TForm1::btnAddClick(rtl::TObject*) {
  TLogBatch batch(this);
  Button6->Click();
  if (!EnsureLibraries()) return;
  if (!env_.Dialogs || !env_.Dialogs->ExecuteOpen(OpenDialog1)) return;
  if (!rtl::FileExists(OpenDialog1.FileName)) return;
  if (AddOneFile(OpenDialog1.FileName, true) != TFileResult::Added) return;
  SelectRow(RowCount() - 1);
  if (lvFiles->CanFocus()) lvFiles->SetFocus();
}

void TForm1::AddFromList(const std::vector<rtl::String>& names, bool folder, int rowsBefore) {
  for (auto it = names.rbegin(); it != names.rend(); ++it) {
    if (!rtl::FileExists(*it)) return;
    const TFileResult r = AddOneFile(*it, false);
    if (r == TFileResult::Ended) return;
  }
  if (RowCount() > 0) {
    SelectRow(RowCount() - 1);
    if (lvFiles->CanFocus()) lvFiles->SetFocus();
  }
  if (folder && RowCount() <= rowsBefore) ShowMessage(kNoMediaInFolder);
}

void TForm1::Button8Click(rtl::TObject*) {
  TLogBatch batch(this);
  Button6->Click();
  if (!EnsureLibraries()) return;
  if (!env_.Dialogs || !env_.Dialogs->ExecuteOpen(OpenDialog2)) return;
  if (!rtl::FileExists(OpenDialog2.FileName)) return;
  const std::vector<rtl::String> names = OpenDialog2.Files;
  AddFromList(names, false, RowCount());
}

void TForm1::Button12Click(rtl::TObject*) {
  TLogBatch batch(this);
  const int rowsBefore = RowCount();
  Button6->Click();
  if (!EnsureLibraries()) return;
  // The folder chosen last counts also when the dialog is cancelled.
  if (env_.Dialogs) env_.Dialogs->ExecuteSelectDirectory(bsSkinSelectDirectoryDialog1);
  const rtl::String folder = bsSkinSelectDirectoryDialog1.Directory;
  if (folder.empty() || !rtl::DirectoryExists(folder)) return;
  ListBox1->Items()->Clear();
  std::vector<rtl::String> names;
  if (auto files = GetFilenames(folder, u"*.*")) names = std::move(*files);
  for (const rtl::String& n : names) ListBox1->Items()->Add(n);
  AddFromList(names, true, rowsBefore);
}

std::optional<std::vector<rtl::String>> TForm1::GetFilenames(const rtl::String& FilePath,
                                                             const rtl::String& ExtMask) const {
  return app::GetFilenames(FilePath, ExtMask);
}

// ---------------------------------------------------------------- removing and clearing

void TForm1::StopPlayer() {
  if (!RIDodevu) return;
  {
    TPlayerWait wait(this);
    RIDodevu->Stop(true);
  }
  CloseIfAskedDuringWait();
}

void TForm1::btnRemoveClick(rtl::TObject*) {
  const int i = lvFiles->ItemIndex();
  if (i < 0) {
    ShowMessage(kSelectToRemove);
    return;
  }
  const int n = rtl::StrToIntDef(Cell(i, qcTaskNumber), 0);
  if (n >= 1 && n <= FFVCL->TasksCount()) FFVCL->RemoveTask(n - 1);
  lvFiles->Items()->Delete(i);
  JobSlotTable.MarkDeleted(i);
  for (int r = 0; r < RowCount(); ++r) {
    const int m = rtl::StrToIntDef(Cell(r, qcTaskNumber), 0);
    if (m > n) SetCell(r, qcTaskNumber, rtl::IntToStr(m - 1));
  }
  const bool rows = RowCount() > 0;
  for (TQueueCommand c : {qcRemove, qcRename, qcClear, qcStart}) SetQueueCommand(c, rows);
  if (lvFiles->CanFocus()) lvFiles->SetFocus();
  if (rows) {
    SelectRow(0);
    if (lvFiles->CanFocus()) lvFiles->SetFocus();
  } else {
    bsSkinPanel5->SetVisible(true);
    StopPlayer();
    bsSkinSlider1->SetValue(0);
  }
}

void TForm1::btnClearClick(rtl::TObject*) {
  FFVCL->ClearTasks();
  lvFiles->Items()->Clear();
  SetAddCommandsEnabled(true);
  for (TQueueCommand c : {qcRemove, qcRename, qcClear, qcStart}) SetQueueCommand(c, false);
  Button15->Click();
  bsSkinPanel5->SetVisible(true);
  StopPlayer();
  bsSkinSlider1->SetValue(0);
}

// ---------------------------------------------------------------- moving

namespace {
void MoveRow(forms::TCustomListView* lv, int i, int j) {
  lv->BeginUpdate();
  forms::TListItem* temp = lv->Items()->Add();
  temp->Assign(lv->Items()->Items(i));
  lv->Items()->Items(i)->Assign(lv->Items()->Items(j));
  lv->Items()->Items(j)->Assign(temp);
  lv->Items()->Delete(temp->Index());
  lv->EndUpdate();
}
}  // namespace

void TForm1::bsSkinButton3Click(rtl::TObject*) {
  const int i = SelectedRow();
  if (i <= 0) return;
  MoveRow(lvFiles, i, i - 1);
  SelectRow(i - 1);
  if (lvFiles->CanFocus()) lvFiles->SetFocus();
}

void TForm1::bsSkinButton4Click(rtl::TObject*) {
  const int i = SelectedRow();
  if (i < 0 || i >= RowCount() - 1) return;
  MoveRow(lvFiles, i, i + 1);
  SelectRow(i + 1);
  if (lvFiles->CanFocus()) lvFiles->SetFocus();
}

// ---------------------------------------------------------------- renaming

namespace {
void StartRename(TForm1* f, int row) {
  auto* cols = f->lvFiles->Columns();
  f->edt->SetParent(f->lvFiles);
  const int left = cols->Items(0)->Width() + f->lvFiles->Left() + cols->Items(1)->Width() + cols->Items(2)->Width() + 2;
  const int top = f->lvFiles->Items()->Items(row)->Top();
  f->edt->SetBounds(left, top, cols->Items(3)->Width(), f->edt->Height());
  f->edt->SetText(NameWithoutExtension(f->Cell(row, qcOutputName)));
  f->edt->SetVisible(true);
  if (f->edt->CanFocus()) f->edt->SetFocus();
}
}  // namespace

void TForm1::bsSkinButton21Click(rtl::TObject*) {
  const int i = lvFiles->ItemIndex();
  if (i < 0) {
    ShowMessage(kSelectToRename);
    return;
  }
  StartRename(this, i);
}

void TForm1::lvFilesDblClick(rtl::TObject*) {
  const int i = SelectedRow();
  if (i < 0) return;
  StartRename(this, i);
}

void TForm1::edtExit(rtl::TObject*) {
  const int row = SelectedRow();
  if (row < 0) {
    // Nothing to rename any more: the editor goes away unchanged.
    edt->SetVisible(false);
    return;
  }
  const rtl::String text = edt->Text();
  // An empty name, or one that would name another folder, keeps the editor open.
  if (text.empty() || text.find(u'/') != rtl::String::npos) return;
  const rtl::String name = text + FormatExtension();
  SetCell(row, qcOutputName, name);
  edt->SetVisible(false);
  if (row < TJobSlotTable::kSlotCount)
    JobSlotTable.Output(row).FileName = JoinPath(Video_OutPut_Folder_Edit->Text(), name);
}

// ---------------------------------------------------------------- selecting

void TForm1::lvFilesSelectItem(rtl::TObject*, forms::TListItem*, bool) {
  if (closing_) return;
  // Whatever goes wrong on the way ends the handling silently; the pickers
  // keep what the steps before set.
  try {
    SelectionToPickers();
  } catch (...) {
  }
}

void TForm1::SelectionToPickers() {
  const int row = lvFiles->ItemIndex();
  if (row < 0 || row >= RowCount()) return;
  const auto category = DecodeCategoryCode(Cell(row, qcCategory));
  const auto presets = DecodePresetChoices(Cell(row, qcPresetChoices));
  if (!category || !presets) return;
  if (category->CategoryIndex < 0 || category->CategoryIndex >= bsSkinOfficeComboBox2->ItemCount()) return;
  bsSkinOfficeComboBox2->SetIndex(category->CategoryIndex);
  if (category->FormatIndex < 0 || category->FormatIndex >= bsSkinOfficeComboBox1->ItemCount()) return;
  bsSkinOfficeComboBox1->SetIndex(category->FormatIndex);
  const std::array<TPresetPicker*, 6> boxes = {bsSkinComboBox1, bsSkinComboBox2, bsSkinComboBox3,
                                               bsSkinComboBox4, bsSkinComboBox9, bsSkinComboBox10};
  for (std::size_t k = 0; k < boxes.size(); ++k) {
    const int index = (*presets)[k];
    if (index < boxes[k]->Items()->Count()) boxes[k]->SetIndex(index);
  }
  // Also the pickers whose text did not change: the row converts with what
  // all six show.
  if (row < RowCount() && lvFiles->ItemIndex() == row) WritePresetCells(row);
  bsSkinSlider1->SetValue(0);
  if (row < RowCount()) T_Movie_PLayer_FileName = lvFiles->Items()->Items(row)->Caption();
  Button31->Click();
}

void TForm1::lvFilesClick(rtl::TObject*) {
  if (!lvFiles->Selected()) StopPlayer();
}

}  // namespace app
