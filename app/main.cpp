// Program entry of the converter: opens the main form on the display and runs
// the message loop until it is closed.
#include <clocale>
#include <cstdio>
#include <cstdlib>

#include "platform/forms/Forms.h"
#include "platform/win/Backend.h"

namespace {

// The main window; its controls come with the main window's own form description.
class TMainForm : public forms::TForm {
 public:
  explicit TMainForm(rtl::TComponent* owner) : TForm(owner) {
    SetCaption(u"TavrelAndroid手机视频转换器");
    SetBorderStyle(forms::bsSingle);
    SetBorderIcons({forms::biSystemMenu, forms::biMinimize});
    SetPosition(forms::poScreenCenter);
    SetClientSize(805, 541);
  }
};

}  // namespace

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
  forms::Application->SetTitle(u"TavrelAndroid手机视频转换器");
  forms::Application->CreateForm<TMainForm>();
  forms::Application->Run();
  forms::DoneForms();
  win::ShutdownWindowSystem();
  return 0;
}
