#include "skin/menus/bsTrayShell.h"

#include <cstdlib>

namespace skin {

namespace {

struct THostSlot {
  std::unique_ptr<TbsTrayHost> Host;
  bool Chosen = false;  // installed, or the automatic choice was made
};

THostSlot& Slot() {
  static THostSlot S;
  return S;
}

}  // namespace

TbsTrayHost* CurrentTrayHost() {
  THostSlot& S = Slot();
  if (!S.Chosen) {
    S.Chosen = true;
    const char* D = std::getenv("DISPLAY");
    if (D && *D) S.Host = MakeXEmbedTrayHost();
  }
  return S.Host.get();
}

void SetTrayHost(std::unique_ptr<TbsTrayHost> Host) {
  THostSlot& S = Slot();
  S.Host.reset();
  S.Host = std::move(Host);
  S.Chosen = true;
}

bool Shell_NotifyIconW(DWORD Message, NOTIFYICONDATAW* Data) {
  TbsTrayHost* H = CurrentTrayHost();
  return H && Data && Data->hWnd && H->Notify(Message, *Data);
}

}  // namespace skin
