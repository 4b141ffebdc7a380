// Program entry of the converter: creates the program's windows, the main
// window first, and runs the message loop until the main window closes.
#include <clocale>
#include <cstdio>
#include <cstdlib>

#include "app/mainform/ProgramForms.h"
#include "platform/forms/Forms.h"
#include "platform/win/Backend.h"

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) {
    std::fprintf(stderr, "tavrel-converter: no display: DISPLAY is not set; the converter needs an X display to run\n");
    return 1;
  }
  if (!win::InitWindowSystem(win::BackendKind::X11)) {
    std::fprintf(stderr, "tavrel-converter: cannot open the X display \"%s\"\n", display);
    return 1;
  }
  forms::InitForms();
  forms::Application->Initialize();
  forms::Application->SetTitle(app::TForm1::kCaption);
  forms::Application->SetHelpFile(u"help.chm");
  app::CreateProgramForms();
  forms::Application->Run();
  forms::DoneForms();
  win::ShutdownWindowSystem();
  return 0;
}
