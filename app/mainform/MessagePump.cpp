#include "app/mainform/MessagePump.h"

#include "engine/MyUtils.h"
#include "platform/forms/Forms.h"
#include "platform/win/WinApi.h"

namespace app {

void InstallMessagePump() {
  engine::SetMessagePump([] {
    win::MSG m{};
    if (!win::PeekMessageW(&m, nullptr, 0, 0, win::PM_REMOVE)) return false;
    // A WM_QUIT is taken and not dispatched; the application remembers it,
    // so its loop ends once the wait is over. Everything else is translated
    // and dispatched, an exception going to the application's handling.
    if (forms::Application) forms::Application->ProcessMessage(m);
    return true;
  });
  engine::SetExceptionHandler([](rtl::TObject* ASender) {
    if (forms::Application)
      forms::Application->HandleException(ASender);
    else
      throw;
  });
}

void UninstallMessagePump() {
  engine::SetMessagePump(nullptr);
  engine::SetExceptionHandler(nullptr);
}

}  // namespace app
