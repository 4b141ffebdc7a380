#include "app/mainform/ProgramForms.h"

namespace app {

namespace {

// The dialogs of the program's main window until the skinned file and folder
// dialogs take their place: messages in the framework's message box; file
// and folder choices are not offered.
class TProgramDialogs : public TMainFormDialogs {
 public:
  bool ExecuteOpen(TOpenDialogState&) override { return false; }
  bool ExecuteSelectDirectory(TSelectDirectoryState&) override { return false; }
  void Message(const rtl::String& text, const rtl::String& caption) override {
    forms::Application->MessageBox(text, caption);
  }
};

TProgramDialogs ProgramDialogs;

}  // namespace

TForm1* Form1 = nullptr;
appforms::TForm2* Form2 = nullptr;
appforms::TForm5* Form5 = nullptr;

void CreateProgramForms() {
  // The main window first: its start-up runs before the next window is made.
  TForm1::DefaultDialogs = &ProgramDialogs;
  Form1 = forms::Application->CreateForm<TForm1>();
  Form2 = new appforms::TForm2(forms::Application, Form1->bsSkinData1);
  engine::TFFmpegVCL* engine = Form1->FFVCL;
  Form5 = new appforms::TForm5(forms::Application, Form1->bsSkinData1, Form1->OptionIni(),
                               [engine](bool preview) { engine->SetPreview(preview); });
}

}  // namespace app
