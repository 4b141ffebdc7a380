#include "app/mainform/ProgramForms.h"

namespace app {

TForm1* Form1 = nullptr;
appforms::TForm2* Form2 = nullptr;
appforms::TForm5* Form5 = nullptr;

void CreateProgramForms() {
  // The main window first: its start-up runs before the next window is made.
  Form1 = forms::Application->CreateForm<TForm1>();
  Form2 = new appforms::TForm2(forms::Application, Form1->bsSkinData1);
  engine::TFFmpegVCL* engine = Form1->FFVCL;
  Form5 = new appforms::TForm5(forms::Application, Form1->bsSkinData1, Form1->OptionIni(),
                               [engine](bool preview) { engine->SetPreview(preview); });
}

}  // namespace app
