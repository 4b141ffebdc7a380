// The program's windows, made once at start-up by the program entry in this
// order: the main window, the About box, the options dialog and the settings
// dialog. Null before they are made.
#pragma once

#include "app/forms/AboutBox.h"
#include "app/forms/OptionsDialog.h"
#include "app/mainform/MainForm.h"
#include "app/settings/SettingsDialog.h"

namespace app {

extern TForm1* Form1;
extern appforms::TForm2* Form2;
extern appforms::TForm5* Form5;
extern settings::TForm6* Form6;

// Starts the shell namespace, then makes the windows on the application
// object (which owns them).
void CreateProgramForms();
// After the windows are gone: shuts the shell namespace down.
void EndProgramServices();

}  // namespace app
