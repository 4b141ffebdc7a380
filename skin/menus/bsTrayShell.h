// The notification area ("system tray") as the tray icon sees it: the
// shell's notify-icon record and call, over a tray host.
//
// On this desktop the host is the freedesktop system tray: an icon is a small
// window of its own that is docked (XEmbed) into the window owning the
// _NET_SYSTEM_TRAY_S<screen> selection; its balloons are the tray's balloon
// messages. Mouse actions on the icon come back to the record's window as its
// callback message (WParam the icon's id, LParam the mouse message, with
// WM_LBUTTONDBLCLK in place of a second quick press). When a new tray
// appears, every icon it lost is dropped and the "TaskbarCreated" message is
// posted to each icon's window, so that the owner adds it again.
//
// Without a display or without a tray, every call fails (answers false).
// Shell_NotifyIconW is called on the GUI thread; the host reads the display
// on a thread of its own and only posts messages from there.
#pragma once

#include <memory>
#include <string>

#include "platform/win/WinTypes.h"

namespace skin {

using win::DWORD;
using win::HWND;
using win::UINT;

constexpr DWORD NIM_ADD = 0, NIM_MODIFY = 1, NIM_DELETE = 2;
constexpr UINT NIF_MESSAGE = 0x1, NIF_ICON = 0x2, NIF_TIP = 0x4, NIF_INFO = 0x10;
constexpr DWORD NIIF_NONE = 0, NIIF_INFO = 1, NIIF_WARNING = 2, NIIF_ERROR = 3;
constexpr UINT NIN_BALLOONUSERCLICK = 0x405;

struct NOTIFYICONDATAW {
  DWORD cbSize = 956;
  HWND hWnd = nullptr;
  UINT uID = 0;
  UINT uFlags = 0;
  UINT uCallbackMessage = 0;
  win::HICON hIcon = nullptr;
  char16_t szTip[128] = {};
  DWORD dwState = 0, dwStateMask = 0;
  char16_t szInfo[256] = {};
  UINT uTimeout = 0;
  char16_t szInfoTitle[64] = {};
  DWORD dwInfoFlags = 0;
};

// Copies Src into a fixed field, cut to the field's length less one.
template <std::size_t N>
void SetNotifyText(char16_t (&Field)[N], const std::u16string& Src) {
  const std::size_t n = std::min(Src.size(), N - 1);
  std::fill(Field, Field + N, u'\0');
  std::copy(Src.begin(), Src.begin() + std::ptrdiff_t(n), Field);
}

class TbsTrayHost {
 public:
  virtual ~TbsTrayHost() = default;
  virtual bool Notify(DWORD Message, const NOTIFYICONDATAW& Data) = 0;
};

// The host in use: the one installed, else (made on first use) the
// freedesktop tray of $DISPLAY when a display can be opened, else none.
TbsTrayHost* CurrentTrayHost();
// Installs a host (tests, or nullptr for "no notification area"); the
// previous one is destroyed.
void SetTrayHost(std::unique_ptr<TbsTrayHost> Host);
// The freedesktop tray of a display (empty name: $DISPLAY); nullptr when the
// display cannot be opened.
std::unique_ptr<TbsTrayHost> MakeXEmbedTrayHost(const std::string& DisplayName = {});

bool Shell_NotifyIconW(DWORD Message, NOTIFYICONDATAW* Data);

}  // namespace skin
