// The converter's main window: the conversion queue with its job slots, the
// category, format and preset pickers, adding, editing, moving, renaming and
// removing queued files, and the window's start-up and close.
//
// Every command is the click handler of a plain button on one of the
// developer panels beyond the right edge of the client area; visible
// controls, menu items and other commands run it by clicking that button.
// The controls are made by the window's form description (BuildForm1), which
// also binds their events to the handlers below.
//
// GUI thread only.
#pragma once

#include <initializer_list>
#include <memory>
#include <vector>

#include "app/forms/AboutBox.h"
#include "app/forms/OptionsDialog.h"
#include "app/mainform/MainFormDialogs.h"
#include "app/mainform/Pickers.h"
#include "app/options/OptionIni.h"
#include "app/queue/QueueModel.h"
#include "app/queue/QueueOptions.h"
#include "app/tables/CodecParameterSetter.h"
#include "app/tables/VideoFields.h"
#include "engine/FFmpegLogger.h"
#include "engine/FFmpegVCL.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/Forms.h"
#include "platform/forms/StdCtrls.h"
#include "player/FFPlay.h"
#include "skin/controls/bsSkinButtons.h"
#include "skin/controls/bsSkinEdit.h"
#include "skin/controls/bsSkinLabels.h"
#include "skin/controls/bsSkinLinkLabel.h"
#include "skin/controls/bsSkinListView.h"
#include "skin/controls/bsSkinPanels.h"
#include "skin/controls/bsSkinSlider.h"
#include "skin/data/bsCompressedSkinList.h"
#include "skin/controls/bsSkinScrollBar.h"
#include "skin/data/bsResourceStrData.h"
#include "skin/data/bsSkinData.h"
#include "skin/forms/bsBusinessSkinForm.h"
#include "skin/menus/bsSkinFrameMenus.h"
#include "skin/menus/bsSkinHint.h"
#include "skin/menus/bsSkinMainMenuBar.h"
#include "skin/menus/bsSkinMenus.h"
#include "skin/menus/bsTrayIcon.h"

namespace app {

// What the window takes from its surroundings; tests replace the parts.
struct TMainFormEnvironment {
  rtl::String OptionIniFile;      // empty: the program folder's option.ini
  rtl::String LibraryFolder;      // empty: the program folder's "LibAV"
  TMainFormDialogs* Dialogs = nullptr;  // none: dialogs are cancelled, messages go to the log
  bool CreatePlayer = true;       // the preview player component
  rtl::String ProgramFolder;      // empty: the program's own folder (sounds, help)
};

class TForm1 : public forms::TForm {
 public:
  static constexpr char16_t kCaption[] = u"TavrelAndroid手机视频转换器";
  static constexpr char16_t kMessageCaption[] = u"提示";
  static constexpr char16_t kNoMediaInFolder[] = u"在该目录没有发现可以用的视频或音频文件！";
  static constexpr char16_t kSelectToRemove[] = u"请先选择您需要删除的项目！";
  static constexpr char16_t kSelectToRename[] = u"请先选中您需要重命名的项目！";
  static constexpr char16_t kNoFreeSlot[] = u"队列已满：请先清空队列再添加文件！";
  // Milliseconds between two progress reports of a converting row.
  static constexpr int kProgressIntervalMs = 200;

  explicit TForm1(rtl::TComponent* owner, TMainFormEnvironment env = {});
  // The dialogs of a window made without its own (the program's).
  static inline TMainFormDialogs* DefaultDialogs = nullptr;
  ~TForm1() override;

  // ---- components (made by the form description)
  skin::TbsSkinData* bsSkinData1 = nullptr;
  skin::TbsResourceStrData* bsResourceStrData1 = nullptr;
  skin::TbsSkinHint* bsSkinHint1 = nullptr;
  skin::TbsTrayIcon* bsTrayIcon1 = nullptr;  // linked to the frame, disabled, never shown
  skin::TbsCompressedSkinList* bsCompressedSkinList1 = nullptr;
  skin::TbsBusinessSkinForm* bsBusinessSkinForm1 = nullptr;
  skin::TbsSkinPopupMenu* bsSkinPopupMenu1 = nullptr;
  forms::TMenuItem *N11111 = nullptr, *N2222 = nullptr, *N3331 = nullptr;
  engine::TFFmpegVCL* FFVCL = nullptr;
  engine::TFFLogger* FFLogger = nullptr;
  player::TCustomPlayer* RIDodevu = nullptr;

  skin::TbsSkinMainMenuBar* bsSkinMainMenuBar1 = nullptr;  // shows bsSkinMainMenu1
  skin::TbsSkinToolBar* bsSkinToolBar2 = nullptr;
  skin::TbsSkinMenuSpeedButton* bsSkinMenuSpeedButton1 = nullptr;  // "添加"
  skin::TbsSkinButton *bsSkinButton2 = nullptr, *bsSkinButton10 = nullptr, *bsSkinButton11 = nullptr,
                      *bsSkinButton12 = nullptr, *bsSkinButton7 = nullptr, *bsSkinButton8 = nullptr,
                      *bsSkinButton19 = nullptr, *bsSkinButton9 = nullptr;

  skin::TbsSkinPanel* bsSkinPanel1 = nullptr;  // queue frame
  skin::TbsSkinListView* lvFiles = nullptr;
  skin::TbsSkinScrollBar *bsSkinScrollBar1 = nullptr, *bsSkinScrollBar2 = nullptr;  // lvFiles' bars
  skin::TbsSkinButton *bsSkinButton3 = nullptr, *bsSkinButton4 = nullptr, *bsSkinButton21 = nullptr;
  forms::TEdit* edt = nullptr;
  skin::TbsSkinPanel* bsSkinPanel5 = nullptr;  // empty-queue picture
  forms::TImage* Image1 = nullptr;

  skin::TbsSkinPanel* bsSkinPanel2 = nullptr;  // output
  TOfficePicker* bsSkinOfficeComboBox2 = nullptr;  // category
  TOfficePicker* bsSkinOfficeComboBox1 = nullptr;  // format
  skin::TbsSkinEdit* Video_OutPut_Folder_Edit = nullptr;
  skin::TbsSkinButton *bsSkinButtonBrowse = nullptr, *bsSkinButtonOpenFolder = nullptr;
  skin::TbsSkinLinkLabel* bsSkinLinkLabel1 = nullptr;  // the maker's web site

  skin::TbsSkinPanel* bsSkinPanel3 = nullptr;  // presets
  TPresetPicker *bsSkinComboBox1 = nullptr, *bsSkinComboBox2 = nullptr, *bsSkinComboBox9 = nullptr,
                *bsSkinComboBox3 = nullptr, *bsSkinComboBox10 = nullptr, *bsSkinComboBox4 = nullptr;

  skin::TbsSkinPanel* bsSkinPanel4 = nullptr;  // preview
  forms::TPanel* Panel6 = nullptr;              // the player's screen
  skin::TbsSkinSlider* bsSkinSlider1 = nullptr;

  // Developer panels and their controls.
  forms::TPanel *Panel1 = nullptr, *Panel3 = nullptr, *Panel4 = nullptr, *Panel5 = nullptr;
  forms::TButton *Button15 = nullptr, *Button6 = nullptr, *Button21 = nullptr, *btnAdd = nullptr,
                 *Button8 = nullptr, *Button12 = nullptr, *Button13 = nullptr, *btnRemove = nullptr,
                 *btnClear = nullptr, *Button2 = nullptr, *Button5 = nullptr, *Button18 = nullptr,
                 *Button17 = nullptr, *Button16 = nullptr, *Button3 = nullptr, *Button4 = nullptr,
                 *btnStart = nullptr, *btnStop = nullptr, *btnPause = nullptr, *btnResume = nullptr,
                 *Button31 = nullptr, *Button9 = nullptr, *Button19 = nullptr, *Button27 = nullptr;
  forms::TComboBox* cboScreens = nullptr;
  forms::TMemo* mmoLog = nullptr;
  forms::TProgressBar* ProgressBar1 = nullptr;
  forms::TListBox* ListBox1 = nullptr;
  std::vector<forms::TImage*> GlyphImages;  // Image2 .. Image17 at [n - 2]

  TOpenDialogState OpenDialog1, OpenDialog2;
  TSelectDirectoryState bsSkinSelectDirectoryDialog1, bsSkinSelectDirectoryDialog2;

  // ---- queue state
  TJobSlotTable JobSlotTable;
  tables::TVideoFields Video;
  rtl::String FileOutPutPath;
  rtl::String T_Movie_PLayer_FileName;
  rtl::String bsSkinSlider1_down_UP;
  tables::TCodecParameterSetter CodecSetter;
  // The options dialog's "直接覆盖输出文件": output names are then not made unique.
  bool OverwriteOutput = false;

  // ---- life cycle
  void FormCreate(rtl::TObject* Sender);
  void FormCloseQuery(rtl::TObject* Sender, bool& CanClose);

  // ---- commands (handlers of the developer buttons)
  void Button15Click(rtl::TObject* Sender);  // free all job slots
  void Button6Click(rtl::TObject* Sender);   // reset the Video_ fields
  void Button21Click(rtl::TObject* Sender);  // the open dialogs' filter
  void Button17Click(rtl::TObject* Sender);  // read the output folder
  void Button16Click(rtl::TObject* Sender);  // write the output folder
  void Button3Click(rtl::TObject* Sender);   // apply the stored skin choice
  void Button4Click(rtl::TObject* Sender);   // store the skin choice
  void btnAddClick(rtl::TObject* Sender);
  void Button8Click(rtl::TObject* Sender);
  void Button12Click(rtl::TObject* Sender);
  void Button13Click(rtl::TObject* Sender);  // preset texts into the Video_ fields
  void Button2Click(rtl::TObject* Sender);   // fill the format picker
  void Button5Click(rtl::TObject* Sender);   // codec parameters of the profile
  void Button18Click(rtl::TObject* Sender);  // preset lists and defaults
  void btnRemoveClick(rtl::TObject* Sender);
  void btnClearClick(rtl::TObject* Sender);
  void bsSkinButton3Click(rtl::TObject* Sender);  // move up
  void bsSkinButton4Click(rtl::TObject* Sender);  // move down
  void bsSkinButton21Click(rtl::TObject* Sender); // rename (toolbar, menu)
  void lvFilesDblClick(rtl::TObject* Sender);     // rename (double-click)
  void edtExit(rtl::TObject* Sender);
  void lvFilesSelectItem(rtl::TObject* Sender, forms::TListItem* Item, bool Selected);
  void lvFilesClick(rtl::TObject* Sender);

  // ---- pickers
  void bsSkinOfficeComboBox2Change(rtl::TObject* Sender);
  void bsSkinOfficeComboBox1Change(rtl::TObject* Sender);
  void PresetChange(rtl::TObject* Sender);
  // Converts a preset box's text into its Video_ field; the text of the
  // row's value cell. Raises EConvertError on a bit rate without a number.
  rtl::String ApplyPresetText(int box, const rtl::String& text);
  // Writes the box's index into the row's cell 9 and its value into the
  // value cell; false when the text could not be converted.
  bool WritePresetCell(int row, int box);
  // All six: the row then converts with exactly what the pickers show.
  void WritePresetCells(int row);

  // The full names of the files (not folders) of a folder matching a mask;
  // none when the folder does not exist.
  std::optional<std::vector<rtl::String>> GetFilenames(const rtl::String& FilePath,
                                                       const rtl::String& ExtMask) const;

  // ---- queue helpers
  int RowCount();
  rtl::String Cell(int row, int cell);
  void SetCell(int row, int cell, const rtl::String& text);
  int SelectedRow();
  // Enables or disables one of the queue commands with its glyph.
  enum TQueueCommand { qcRemove, qcRename, qcClear, qcStart };
  void SetQueueCommand(TQueueCommand command, bool enabled);
  bool QueueCommandEnabled(TQueueCommand command) const;
  void SetAddCommandsEnabled(bool enabled);
  // Writes a line to the (never shown) log.
  void Log(const rtl::String& line);
  // The eight pickers' skins and the window's: loads stored skin n.
  void ApplySkin(int index);
  // The six preset boxes in fill order (frame size, video bit rate, frame
  // rate, audio bit rate, sample rate, aspect).
  std::array<TPresetPicker*, 6> PresetBoxes() const;

  // ---- running the queue, progress and completion (MainFormRun.cpp)
  // The options dialog and the About box, made after the window (by the
  // program, or by a test); the window reads the dialog's controls.
  appforms::TForm5* OptionsDialog = nullptr;
  appforms::TForm2* AboutBox = nullptr;
  forms::TButton *button28 = nullptr, *Button22 = nullptr, *Button23 = nullptr, *Button20 = nullptr,
                 *Button25 = nullptr, *Button29 = nullptr;
  void btnStartClick(rtl::TObject* Sender);
  void button28Click(rtl::TObject* Sender);  // rebuild the engine's tasks from the queue
  void btnPauseClick(rtl::TObject* Sender);
  void btnResumeClick(rtl::TObject* Sender);
  void btnStopClick(rtl::TObject* Sender);
  void Button22Click(rtl::TObject* Sender);  // lock the pickers
  void Button23Click(rtl::TObject* Sender);  // unlock the pickers
  void bsSkinButton11Click(rtl::TObject* Sender);  // pause, then show "继续"
  void bsSkinButton12Click(rtl::TObject* Sender);  // resume, then show "暂停"
  void FFVCLProgress(rtl::TObject* Sender, engine::PProgressInfo AProgressInfo);
  void FFVCLTerminate(rtl::TObject* Sender, const engine::TTerminateInfo& ATerminateInfo);
  void FFLoggerLog(rtl::TObject* Sender, rtl::TThreadID AThreadID, engine::TLogLevel ALogLevel,
                   const rtl::String& ALogMsg);
  void Button20Click(rtl::TObject* Sender);  // open the output folder
  void Button25Click(rtl::TObject* Sender);  // power the machine off
  void Button29Click(rtl::TObject* Sender);  // play the chime
  // The folder of the program (ends with "/").
  rtl::String ProgramFolder() const;

  // ---- commands, menus and the About box (MainFormCommands.cpp)
  skin::TbsSkinMainMenu* bsSkinMainMenu1 = nullptr;
  forms::TMenuItem *N4 = nullptr, *N13 = nullptr, *N14 = nullptr, *N26 = nullptr, *N7 = nullptr,
                   *N8 = nullptr, *N9 = nullptr, *N10 = nullptr, *N24 = nullptr, *N23 = nullptr,
                   *N15 = nullptr, *N19 = nullptr, *N5 = nullptr;
  std::vector<forms::TMenuItem*> FileMenuAddItems;  // the File menu's three add items
  void bsSkinButton19Click(rtl::TObject* Sender);  // options dialog
  void bsSkinButton9Click(rtl::TObject* Sender);   // skin choice
  void N15Click(rtl::TObject* Sender);             // help
  void N19Click(rtl::TObject* Sender);             // the maker's web site
  void N5Click(rtl::TObject* Sender);              // About box
  void N4Click(rtl::TObject* Sender);              // exit
  void bsSkinButton6Click(rtl::TObject* Sender);   // "打开": the output folder
  void bsSkinButton5Click(rtl::TObject* Sender);   // "浏览": choose the output folder
  void Video_OutPut_Folder_EditClick(rtl::TObject* Sender);
  // Follows the queue commands' state in the menu.
  void QueueCommandMenu(TQueueCommand command, bool enabled);

  // ---- preview panel and snapshots (MainFormPreview.cpp)
  skin::TbsSkinButton *bsSkinButton13 = nullptr, *bsSkinButton14 = nullptr, *bsSkinButton15 = nullptr,
                      *bsSkinButton16 = nullptr, *bsSkinButton20 = nullptr, *bsSkinButton22 = nullptr,
                      *bsSkinButton23 = nullptr;
  skin::TbsSkinPopupMenu* bsSkinPopupMenu2 = nullptr;
  forms::TMenuItem *MenuItem1 = nullptr, *MenuItem2 = nullptr, *BMP1 = nullptr, *JPG1 = nullptr, *GIF1 = nullptr,
                   *PNG1 = nullptr;
  std::int64_t FDuration = 0;
  bool FTrackChanging = false;
  forms::TWinControl* FScreenControl = nullptr;
  void Button31Click(rtl::TObject* Sender);  // open the shown file in the player
  void FFPlayerFileOpen(rtl::TObject* Sender, std::int64_t ADuration, int AFrameWidth, int AFrameHeight,
                        int& AScreenWidth, int& AScreenHeight);
  void FFPlayerPosition(rtl::TObject* Sender, std::int64_t APTS);
  void FFPlayerState(rtl::TObject* Sender, player::TPlayState AState);
  void bsSkinSlider1MouseDown(rtl::TObject* Sender);
  void bsSkinSlider1MouseUp(rtl::TObject* Sender);
  void bsSkinButton13Click(rtl::TObject* Sender);  // play
  void bsSkinButton14Click(rtl::TObject* Sender);  // pause
  void bsSkinButton15Click(rtl::TObject* Sender);  // stop and reload
  void bsSkinButton16Click(rtl::TObject* Sender);  // mute
  void bsSkinButton20Click(rtl::TObject* Sender);  // unmute
  void bsSkinButton22Click(rtl::TObject* Sender);  // snapshot
  void bsSkinButton23Click(rtl::TObject* Sender);  // ticks the stored picture type
  void MenuItem1Click(rtl::TObject* Sender);  // open the snapshot folder
  void MenuItem2Click(rtl::TObject* Sender);  // set the snapshot folder
  // Saves a picture as a snapshot of the shown file; the name written, or
  // empty for an empty picture.
  rtl::String TakeSnapshot(gdi::TBitmap& frame);
  // The picture type the snapshot menu ticks after reading option.ini.
  TSnapshotPicture ResolvePictureType();

  const TMainFormEnvironment& Environment() const { return env_; }
  TOptionIni& OptionIni() { return *ini_; }
  // The output folder join used for output names.
  static rtl::String JoinPath(const rtl::String& folder, const rtl::String& name);

 private:
  enum class TFileResult { Added, Skipped, Ended };
  TFileResult AddOneFile(const rtl::String& name, bool focusList);
  bool EnsureLibraries();
  void AddFromList(const std::vector<rtl::String>& names, bool folder, int rowsBefore);
  void SelectRow(int index);
  // The selected row's category, format and presets into the pickers.
  void SelectionToPickers();
  void StopPlayer();
  void ShowMessage(const rtl::String& text);
  rtl::String FormatExtension() const;
  tables::TProfileSelection Selection() const;

  TMainFormEnvironment env_;
  std::unique_ptr<TOptionIni> ini_;
  bool closing_ = false;
  // The GUI thread serves the windows while it waits for the engine or the
  // player: a close asked for meanwhile waits for the wait to end, and a
  // preview asked for while the player opens follows once it has opened.
  bool closeAfterWait_ = false;
  int playerWaits_ = 0;
  bool previewPending_ = false;
  void CloseIfAskedDuringWait();
  struct TPlayerWait {
    explicit TPlayerWait(TForm1* f) : f_(f) { ++f_->playerWaits_; }
    ~TPlayerWait() { --f_->playerWaits_; }
    TForm1* f_;
  };
  bool addingFile_ = false;  // the codec step then writes no row
  bool tasksReady_ = false;  // the last rebuild made a task with its output for every row
  // The log lines of an add command reach the memo at its end, in one piece.
  int logBatch_ = 0;
  std::vector<rtl::String> pendingLog_;
  struct TLogBatch {
    explicit TLogBatch(TForm1* f) : f_(f) { ++f_->logBatch_; }
    ~TLogBatch() { f_->EndLogBatch(); }
    TForm1* f_;
  };
  void EndLogBatch();
  // Runs work handed over from the engine's threads on the GUI thread
  // unless the window is closing or gone by then.
  void RunOnGuiThread(std::function<void()> work);
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
  void SetRunButton(skin::TbsSkinButton* button, int enabledGlyph, bool enabled, bool refresh);
  void ShowPaused(bool paused);
};

// A developer button of the form description: its field, name, caption and
// handler (none: the button does nothing).
struct TDeveloperCommand {
  forms::TButton** Field;
  const char16_t* Name;
  const char16_t* Caption;
  void (TForm1::*Handler)(rtl::TObject*);
};
// Adds the buttons to a developer panel after its other controls, four to a row.
void AddDeveloperButtons(TForm1* form, forms::TPanel* panel, std::initializer_list<TDeveloperCommand> commands);

// The run, command and preview controls of the form description and their
// events; part of BuildForm1.
void BuildForm1Commands(TForm1* form);
void BuildForm1Preview(TForm1* form);

// Builds the main window's components, properties and events (its form
// description); the form's OnCreate (FormCreate) runs at the end.
void BuildForm1(TForm1* form);

}  // namespace app
