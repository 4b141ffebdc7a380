#include "app/mainform/ProgramForms.h"

#include "platform/shell/ShellNamespace.h"
#include "skin/dialogs/bsDialogs.h"
#include "skin/dialogs/bsMessages.h"
#include "skin/dialogs/bsOpenDialogs.h"

namespace app {

namespace {

// The main window's dialogs in the window's skin: the skinned message box,
// open-file dialog and folder dialog.
class TProgramDialogs : public TMainFormDialogs {
 public:
  void Attach(TForm1* form) {
    message_ = new skin::TbsSkinMessage(form);
    message_->SetName(u"bsSkinMessage1");
    message_->SetSkinData(form->bsSkinData1);
    message_->SetCtrlSkinData(form->bsSkinData1);
    open_ = new skin::TbsSkinOpenDialog(form);
    open_->SetSkinData(form->bsSkinData1);
    open_->SetCtrlSkinData(form->bsSkinData1);
    folder_ = new skin::TbsSkinSelectDirectoryDialog(form);
    folder_->SetSkinData(form->bsSkinData1);
    folder_->SetCtrlSkinData(form->bsSkinData1);
    skins_ = new skin::TbsSelectSkinDialog(form);
    skins_->SetSkinList(form->bsCompressedSkinList1);
    skins_->SetSkinData(form->bsSkinData1);
    skins_->SetCtrlSkinData(form->bsSkinData1);
  }
  bool ExecuteOpen(TOpenDialogState& d) override {
    if (!open_) return false;
    open_->Title = d.Title;
    open_->Filter = d.Filter;
    open_->FilterIndex = d.FilterIndex;
    open_->MultiSelection = d.MultiSelect;
    open_->CheckFileExists = d.FileMustExist;
    if (!open_->Execute()) return false;
    d.FilterIndex = open_->FilterIndex;
    d.FileName = open_->FileName();
    d.Files.clear();
    for (int i = 0; i < open_->Files()->Count(); ++i) d.Files.push_back(open_->Files()->Get(i));
    if (d.Files.empty() && !d.FileName.empty()) d.Files.push_back(d.FileName);
    return true;
  }
  bool ExecuteSelectDirectory(TSelectDirectoryState& d) override {
    if (!folder_) return false;
    folder_->SetTitle(d.Title);
    folder_->Directory = d.Directory;
    if (!folder_->Execute()) return false;
    d.Directory = folder_->Directory;
    return true;
  }
  void Warning(const rtl::String& text, const rtl::String& caption) override {
    if (message_) {
      message_->MessageDlg2(text, caption, skin::mtWarning, skin::TMsgDlgButtons{skin::mbOK}, 0);
    } else {
      forms::Application->MessageBox(text, caption);
    }
  }
  bool ExecuteSelectSkin(int Current, int& Selected) override {
    if (!skins_) return false;
    if (!skins_->Execute(Current)) return false;
    Selected = skins_->SelectedSkinIndex();
    return true;
  }
  void Message(const rtl::String& text, const rtl::String& caption) override {
    if (message_) {
      message_->MessageDlg2(text, caption, skin::mtInformation, skin::TMsgDlgButtons{skin::mbOK}, 0);
    } else {
      forms::Application->MessageBox(text, caption);
    }
  }

 private:
  skin::TbsSkinMessage* message_ = nullptr;
  skin::TbsSkinOpenDialog* open_ = nullptr;
  skin::TbsSkinSelectDirectoryDialog* folder_ = nullptr;
  skin::TbsSelectSkinDialog* skins_ = nullptr;
};

TProgramDialogs ProgramDialogs;

}  // namespace

TForm1* Form1 = nullptr;
appforms::TForm2* Form2 = nullptr;
appforms::TForm5* Form5 = nullptr;
settings::TForm6* Form6 = nullptr;

void CreateProgramForms() {
  // The shell namespace before any window: the file dialogs' folders hang
  // below its desktop object.
  shell::InitShellNamespace();
  // The main window first: its start-up runs before the next window is made.
  TForm1::DefaultDialogs = &ProgramDialogs;
  Form1 = forms::Application->CreateForm<TForm1>();
  ProgramDialogs.Attach(Form1);
  Form2 = new appforms::TForm2(forms::Application, Form1->bsSkinData1);
  engine::TFFmpegVCL* engine = Form1->FFVCL;
  Form5 = new appforms::TForm5(forms::Application, Form1->bsSkinData1, Form1->OptionIni(),
                               [engine](bool preview) { engine->SetPreview(preview); });
  Form1->OptionsDialog = Form5;
  Form1->AboutBox = Form2;
  Form1->OverwriteOutput = Form5->OverwriteOutput();
  // The settings dialog is made last and never shown; what its start-up
  // writes into the main window's fields is what the window relies on.
  settings::TSettingsHost host;
  host.Video = &Form1->Video;
  host.OutputFolder = [] { return Form1->Video_OutPut_Folder_Edit->Text(); };
  host.OverwriteOutput = [] { return Form5->OverwriteOutput(); };
  host.SkinData = Form1->bsSkinData1;
  Form6 = new settings::TForm6(forms::Application, host);
}

void EndProgramServices() { shell::DoneShellNamespace(); }

}  // namespace app
