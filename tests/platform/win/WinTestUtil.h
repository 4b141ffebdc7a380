// Shared fixture of the window-system tests: a headless window system with a
// fake clock, one window class whose procedure records every message worth
// checking (by window name and message name), and an optional per-test hook
// that may answer a message before the default handling.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/gdi/Gdi.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Backend.h"
#include "platform/win/Headless.h"
#include "platform/win/WinApi.h"

namespace wintest {

using namespace win;

std::string MsgName(UINT m);

struct Recorder {
  std::vector<std::string> log;
  std::map<HWND, std::string> names;
  bool on = true;
  // Messages left out of the log unless asked for: they come with every
  // pointer move or repaint and would drown the order under test.
  std::vector<UINT> quiet{WM_NCHITTEST, WM_SETCURSOR, WM_GETTEXT, WM_GETTEXTLENGTH, WM_NCPAINT, WM_ERASEBKGND,
                          WM_PAINT, WM_GETMINMAXINFO, WM_MOUSEMOVE, WM_NCMOUSEMOVE};
  std::string Name(HWND h) const {
    auto it = names.find(h);
    return it == names.end() ? "?" : it->second;
  }
  void Clear() { log.clear(); }
};

using Hook = std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>;

extern Recorder* gRec;
extern Hook gHook;

LRESULT RecProc(HWND h, UINT m, WPARAM w, LPARAM l);

class WinTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A window of the recording class; `name` is its text and its name in the log.
  HWND Make(const std::string& name, DWORD style, RECT r, HWND parent = nullptr, DWORD exStyle = 0,
            const char16_t* cls = u"Rec");
  std::vector<std::string> Log() const { return rec.log; }
  void Quiet(UINT m) { rec.quiet.push_back(m); }
  void Loud(UINT m) { std::erase(rec.quiet, m); }
  int Pump() { return headless::Pump(); }
  // Screen point of a client point of h.
  POINT Scr(HWND h, int x, int y) {
    POINT p{x, y};
    ClientToScreen(h, &p);
    return p;
  }
  // RGB of a pixel of a top-level window's back buffer (window coordinates).
  std::uint32_t Pixel(HWND top, int x, int y);

  Recorder rec;
};

// Paints the client area with the colour kept in GWL_USERDATA (COLORREF).
std::optional<LRESULT> PaintWithUserColour(HWND h, UINT m, WPARAM w, LPARAM l);

inline std::uint32_t Rgb(int r, int g, int b) { return std::uint32_t((r << 16) | (g << 8) | b); }

}  // namespace wintest
