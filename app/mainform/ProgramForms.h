// The program's windows, made once at start-up by the program entry in this
// order: the main window, the About box, the options dialog (the settings
// dialog follows them once it exists). Null before they are made.
#pragma once

#include "app/forms/AboutBox.h"
#include "app/forms/OptionsDialog.h"
#include "app/mainform/MainForm.h"

namespace app {

extern TForm1* Form1;
extern appforms::TForm2* Form2;
extern appforms::TForm5* Form5;

// Makes the windows on the application object (which owns them).
void CreateProgramForms();

}  // namespace app
