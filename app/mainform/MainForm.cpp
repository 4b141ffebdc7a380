// The main window's life cycle, its small commands, the queue-command state
// and the pickers.
#include "app/mainform/MainForm.h"

#include <filesystem>

#include "app/tables/PresetTexts.h"
#include "engine/MyUtils.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/SysUtils.h"
#include "resources/tvlResources.h"
#include "skin/data/bsCompressedStoredSkin.h"

namespace app {

namespace {

// The selected row's cells as the codec step writes them.
class TRowCells : public tables::IQueueRowCells {
 public:
  explicit TRowCells(forms::TListItem* item) : item_(item) {}
  void SetSubItem(int index, const rtl::String& text) override {
    auto* s = item_->SubItems();
    while (s->Count() <= index) s->Add(u"");
    s->Put(index, text);
  }

 private:
  forms::TListItem* item_;
};

}  // namespace

TForm1::TForm1(rtl::TComponent* owner, TMainFormEnvironment env) : forms::TForm(owner), env_(std::move(env)) {
  if (!env_.Dialogs) env_.Dialogs = DefaultDialogs;
  ini_ = env_.OptionIniFile.empty() ? std::make_unique<TOptionIni>() : std::make_unique<TOptionIni>(env_.OptionIniFile);
  BuildForm1(this);
}

TForm1::~TForm1() {
  closing_ = true;
  *alive_ = false;
  // The engine's workers end before the rows they report to go away.
  if (FFVCL) {
    FFVCL->OnProgress = nullptr;
    FFVCL->OnTerminate = nullptr;
    FFVCL->OnCustomHook = nullptr;
    FFVCL->Stop(true);
  }
  if (RIDodevu) {
    RIDodevu->OnPosition = nullptr;
    RIDodevu->OnState = nullptr;
    RIDodevu->OnHook = nullptr;
  }
  if (FFLogger) FFLogger->SetOnLog({});
}

// ---------------------------------------------------------------- life cycle

void TForm1::FormCreate(rtl::TObject* Sender) {
  Button15->Click();
  Button17->Click();
  Button21->Click();
  Button3->Click();
  Button2->Click();
  // The controls that can serve as the player's screen.
  cboScreens->Items()->Clear();
  cboScreens->Items()->Add(u"Panel6");
  for (int order = 0;; ++order) {
    forms::TWinControl* found = nullptr;
    for (int i = 0; i < ControlCount() && !found; ++i)
      if (auto* w = dynamic_cast<forms::TWinControl*>(Controls(i)); w && w->TabOrder() == order) found = w;
    if (!found) break;
    cboScreens->Items()->Add(found->Name());
  }
  cboScreens->SetItemIndex(0);
  bsSkinSlider1_down_UP = u"UP";
}

void TForm1::FormCloseQuery(rtl::TObject* Sender, bool& CanClose) {
  if (FFVCL->Stopping() || playerWaits_ > 0) {
    // Closed from inside a wait: the window closes once the wait is over.
    closeAfterWait_ = true;
    CanClose = false;
    return;
  }
  if (RIDodevu) {
    RIDodevu->OnPosition = nullptr;
    RIDodevu->OnState = nullptr;
    RIDodevu->OnHook = nullptr;
  }
  FFVCL->OnCustomHook = nullptr;
  FFVCL->OnProgress = nullptr;
  FFVCL->OnTerminate = nullptr;
  FFVCL->Stop(true);
  if (FFLogger) FFLogger->SetOnLog({});
  closing_ = true;
  CanClose = true;
}

void TForm1::CloseIfAskedDuringWait() {
  if (!closeAfterWait_ || FFVCL->Stopping() || playerWaits_ > 0) return;
  closeAfterWait_ = false;
  Close();
}

// ---------------------------------------------------------------- small commands

void TForm1::Button15Click(rtl::TObject*) { JobSlotTable.FreeAll(); }

void TForm1::Button6Click(rtl::TObject*) { Video.Reset(); }

void TForm1::Button21Click(rtl::TObject*) {
  const rtl::String filter = OpenDialogFilter();
  OpenDialog1.Filter = filter;
  OpenDialog2.Filter = filter;
}

void TForm1::Button17Click(rtl::TObject*) {
  try {
    FileOutPutPath = ini_->ReadOutPath();
  } catch (const EOptionIniWriteError& e) {
    Log(rtl::String(e.Message()));
    if (FileOutPutPath.empty()) FileOutPutPath = DefaultOutputFolder();
  }
  Video_OutPut_Folder_Edit->SetText(FileOutPutPath);
}

void TForm1::Button16Click(rtl::TObject*) {
  try {
    ini_->WriteOutPath(Video_OutPut_Folder_Edit->Text());
  } catch (const EOptionIniWriteError& e) {
    Log(rtl::String(e.Message()));
  }
}

void TForm1::Button3Click(rtl::TObject*) {
  int index = 1;
  try {
    index = ini_->ReadSkinIndex();
  } catch (const EOptionIniWriteError& e) {
    Log(rtl::String(e.Message()));
  }
  ApplySkin(index);
}

void TForm1::Button4Click(rtl::TObject*) {
  try {
    ini_->WriteSkinIndex(bsSkinData1->SkinIndex());
  } catch (const EOptionIniWriteError& e) {
    Log(rtl::String(e.Message()));
  }
}

void TForm1::ApplySkin(int index) { bsSkinData1->SetSkinIndex(index); }

void TForm1::Log(const rtl::String& line) {
  if (logBatch_ > 0) {
    pendingLog_.push_back(line);
    return;
  }
  mmoLog->Lines()->Add(line);
}

void TForm1::EndLogBatch() {
  if (--logBatch_ > 0 || pendingLog_.empty()) return;
  rtl::String text = mmoLog->Lines()->Text();
  for (const rtl::String& line : pendingLog_) {
    text += line;
    text += rtl::sLineBreak;
  }
  pendingLog_.clear();
  mmoLog->SetText(text);
}

void TForm1::ShowMessage(const rtl::String& text) {
  if (env_.Dialogs) {
    env_.Dialogs->Message(text, kMessageCaption);
  } else {
    Log(text);
  }
}

rtl::String TForm1::JoinPath(const rtl::String& folder, const rtl::String& name) {
  if (!folder.empty() && folder.back() == u'/') return folder + name;
  return folder + u"/" + name;
}

// ---------------------------------------------------------------- rows

int TForm1::RowCount() { return lvFiles->Items()->Count(); }

rtl::String TForm1::Cell(int row, int cell) {
  auto* s = lvFiles->Items()->Items(row)->SubItems();
  return cell < s->Count() ? s->Get(cell) : rtl::String();
}

void TForm1::SetCell(int row, int cell, const rtl::String& text) {
  TRowCells(lvFiles->Items()->Items(row)).SetSubItem(cell, text);
}

int TForm1::SelectedRow() {
  forms::TListItem* s = lvFiles->Selected();
  return s ? s->Index() : -1;
}

// ---------------------------------------------------------------- command state

namespace {
struct TCommandLook {
  int EnabledGlyph, DisabledGlyph;
};
constexpr TCommandLook kLooks[] = {{15, 14}, {16, 17}, {13, 12}, {5, 4}};
}  // namespace

void TForm1::SetQueueCommand(TQueueCommand command, bool enabled) {
  const TCommandLook look = kLooks[command];
  gdi::TBitmap* glyph = GlyphImages[std::size_t((enabled ? look.EnabledGlyph : look.DisabledGlyph) - 2)]->Picture()->Bitmap();
  switch (command) {
    case qcRemove:
      btnRemove->SetEnabled(enabled);
      bsSkinButton7->SetEnabled(enabled);
      bsSkinButton7->SetGlyph(glyph);
      break;
    case qcRename:
      bsSkinButton21->SetEnabled(enabled);
      bsSkinButton21->SetGlyph(glyph);
      break;
    case qcClear:
      btnClear->SetEnabled(enabled);
      bsSkinButton8->SetEnabled(enabled);
      bsSkinButton8->SetGlyph(glyph);
      break;
    case qcStart:
      btnStart->SetEnabled(enabled);
      bsSkinButton2->SetEnabled(enabled);
      bsSkinButton2->SetGlyph(glyph);
      bsSkinButton2->RefreshButton();
      break;
  }
  QueueCommandMenu(command, enabled);
}

bool TForm1::QueueCommandEnabled(TQueueCommand command) const {
  switch (command) {
    case qcRemove: return btnRemove->Enabled() && bsSkinButton7->Enabled();
    case qcRename: return bsSkinButton21->Enabled();
    case qcClear: return btnClear->Enabled() && bsSkinButton8->Enabled();
    case qcStart: return btnStart->Enabled() && bsSkinButton2->Enabled();
  }
  return false;
}

void TForm1::SetAddCommandsEnabled(bool enabled) {
  bsSkinMenuSpeedButton1->SetEnabled(enabled);
  bsSkinMenuSpeedButton1->SetGlyph(GlyphImages[1]->Picture()->Bitmap());
  bsSkinMenuSpeedButton1->RefreshButton();
  btnAdd->SetEnabled(enabled);
  for (forms::TMenuItem* item : {N11111, N2222, N3331})
    if (item) item->SetEnabled(enabled);
  for (forms::TMenuItem* item : FileMenuAddItems) item->SetEnabled(enabled);
}

// ---------------------------------------------------------------- pickers

std::array<TPresetPicker*, 6> TForm1::PresetBoxes() const {
  return {bsSkinComboBox1, bsSkinComboBox2, bsSkinComboBox9, bsSkinComboBox3, bsSkinComboBox10, bsSkinComboBox4};
}

tables::TProfileSelection TForm1::Selection() const {
  return {bsSkinOfficeComboBox2->ItemIndex(), bsSkinOfficeComboBox1->ItemIndex()};
}

rtl::String TForm1::FormatExtension() const { return ExtensionFromTitle(bsSkinOfficeComboBox1->SelectedTitle()); }

void TForm1::Button2Click(rtl::TObject*) {
  TFormatPickerAdapter picker(bsSkinOfficeComboBox1);
  tables::BuildFormatList(bsSkinOfficeComboBox2->ItemIndex(), picker);
}

void TForm1::Button18Click(rtl::TObject*) {
  const auto boxes = PresetBoxes();
  std::array<TPresetBoxAdapter, 6> adapters = {TPresetBoxAdapter(boxes[0]), TPresetBoxAdapter(boxes[1]),
                                               TPresetBoxAdapter(boxes[2]), TPresetBoxAdapter(boxes[3]),
                                               TPresetBoxAdapter(boxes[4]), TPresetBoxAdapter(boxes[5])};
  tables::TPresetBoxes ptrs;
  for (std::size_t i = 0; i < ptrs.size(); ++i) ptrs[i] = &adapters[i];
  tables::LoadPresetChoices(Selection(), ptrs, Video);
}

void TForm1::Button5Click(rtl::TObject*) {
  const int row = addingFile_ ? -1 : SelectedRow();
  std::unique_ptr<TRowCells> cells;
  if (row >= 0) cells = std::make_unique<TRowCells>(lvFiles->Items()->Items(row));
  tables::TCodecStepInput input;
  input.Selection = Selection();
  input.OutputFolder = Video_OutPut_Folder_Edit->Text();
  input.Overwrite = OverwriteOutput;
  input.SelectedRow = cells.get();
  // No output is created before its conversion starts, so the names the
  // queue is to write count as taken: two rows never share one output.
  CodecSetter.FileExists = [this](const rtl::String& AName) {
    if (tables::OutputNameTaken(AName)) return true;
    const rtl::String part = tables::FileNamePart(AName);
    for (int i = 0; i < RowCount(); ++i)
      if (Cell(i, app::qcOutputName) == part) return true;
    return false;
  };
  CodecSetter.Apply(Video, input);
}

void TForm1::Button13Click(rtl::TObject*) {
  tables::TPresetTexts texts;
  const auto boxes = PresetBoxes();
  for (std::size_t i = 0; i < texts.size(); ++i) texts[i] = boxes[i]->Text();
  tables::ApplyPresetTexts(texts, Video);
}

void TForm1::bsSkinOfficeComboBox2Change(rtl::TObject*) { Button2->Click(); }

void TForm1::bsSkinOfficeComboBox1Change(rtl::TObject*) {
  Button18->Click();
  const rtl::String ext = FormatExtension();
  const int row = SelectedRow();
  if (row < 0) return;
  Button5->Click();
  // The row converts with what the six pickers show, not with the values the
  // profile's codec parameters name for them.
  WritePresetCells(row);
  SetCell(row, qcOutputName, ReplaceExtension(Cell(row, qcOutputName), ext));
  SetCell(row, qcCategory, CategoryCode(bsSkinOfficeComboBox2->ItemIndex(), bsSkinOfficeComboBox1->ItemIndex()));
  if (lvFiles->CanFocus()) lvFiles->SetFocus();
}

rtl::String TForm1::ApplyPresetText(int box, const rtl::String& text) {
  switch (box) {
    case tables::pbFrameSize:
      Video.Video_FrameSize = text == u"保持原分辨率" || text == u"该格式无视频" ? rtl::String() : text;
      return Video.Video_FrameSize;
    case tables::pbFrameRate:
      Video.Video_FrameRate = text == u"保持原帧速率" || text == u"无视频" ? rtl::String() : text;
      return Video.Video_FrameRate;
    case tables::pbVideoBitrate:
      Video.Video_VideoBitrate = tables::VideoBitrateOfPreset(text);
      return rtl::IntToStr(Video.Video_VideoBitrate);
    case tables::pbAudioBitrate:
      Video.Video_AudioBitrate = tables::AudioBitrateOfPreset(text);
      return rtl::IntToStr(Video.Video_AudioBitrate);
    case tables::pbSampleRate:
      Video.Video_AudioSampleRate = text;
      return text;
    case tables::pbAspectMode:
      Video.Video_FrameAspectRatio = tables::AspectOfPreset(text, Video.Video_FrameAspectRatio);
      return Video.Video_FrameAspectRatio;
  }
  return {};
}

bool TForm1::WritePresetCell(int row, int box) {
  const TPresetCellPlace place = kPresetCellPlaces[std::size_t(box)];
  auto* picker = PresetBoxes()[std::size_t(box)];
  SetCell(row, qcPresetChoices, WithPresetChoice(Cell(row, qcPresetChoices), place.Position, picker->ItemIndex()));
  try {
    // The row's value cell holds what the picker shows.
    SetCell(row, place.ValueCell, ApplyPresetText(box, picker->Text()));
  } catch (const rtl::Exception& e) {
    // A text without a number leaves the row's value as it was.
    Log(rtl::String(e.Message()));
    return false;
  }
  return true;
}

void TForm1::WritePresetCells(int row) {
  for (int box = 0; box < tables::kPresetBoxCount; ++box) WritePresetCell(row, box);
}

void TForm1::PresetChange(rtl::TObject* Sender) {
  const int row = SelectedRow();
  if (row < 0) return;
  const auto boxes = PresetBoxes();
  int box = -1;
  for (std::size_t i = 0; i < boxes.size(); ++i)
    if (boxes[i] == Sender) box = int(i);
  if (box < 0) return;
  if (!WritePresetCell(row, box)) return;
  if (lvFiles->CanFocus()) lvFiles->SetFocus();
}

}  // namespace app
