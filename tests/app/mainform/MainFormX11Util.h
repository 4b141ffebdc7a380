// Helpers of the X11 tests that run the real program on a private Xvfb: the
// places the tests click (from the form descriptions), the program in a folder
// of its own, screenshots and waits with generous bounds for a loaded machine.
#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/Xvfb.h"

namespace mainformx11 {

// ---------------------------------------------------------------- layout
// The main window's client area as laid out in app/mainform/MainFormLayout.cpp.
// Everything the tests click is computed from these numbers.
//
// The menu bar takes the top row; the tool bar lies under it.
constexpr int kMenuBarH = 24;
constexpr int kToolBarTop = kMenuBarH;
constexpr int kClientW = 805;
constexpr int kClientH = 541;
// Menus on the bar, by the middle of their captions: "文件" and "功能".
constexpr int kMenuFileX = 26, kMenuToolsX = 146, kMenuBarItemY = kMenuBarH / 2;
// The skinned frame's border below the client area (the first-start skin).
constexpr int kFrameBottom = 8;

// Tool bar: buttons 66 wide in slots 70 apart, the add button in slot 0.
constexpr int kToolBarH = 60;
constexpr int kToolSlotLeft = 6, kToolSlotW = 70, kToolButtonW = 66, kToolButtonTop = 2, kToolButtonH = 56;
enum TToolSlot { tsAdd = 0, tsStart = 1, tsStop = 2, tsPause = 3, tsRemove = 4, tsClear = 5, tsOptions = 7, tsSkin = 8 };
// The add menu drops below the add button; its first item "添加一个文件".
constexpr int kAddMenuFirstItemY = kToolBarTop + kToolButtonTop + kToolButtonH + 12;

// Queue frame and list: the list's first row lies below its header.
constexpr int kMargin = 8;
constexpr int kQueueTop = kToolBarTop + kToolBarH + 6, kQueueH = 180;
constexpr int kQueueListLeft = kMargin + 6, kQueueListTop = kQueueTop + 6;
constexpr int kQueueHeaderH = 19, kQueueRowH = 17;

// Output panel: the category picker and the format picker (office combo boxes).
constexpr int kOutputTop = kQueueTop + kQueueH + kMargin;
constexpr int kPickerTop = kOutputTop + 10, kPickerH = 51;
constexpr int kCategoryLeft = kMargin + 10, kCategoryW = 140;
constexpr int kFormatLeft = kMargin + 234, kFormatW = 521 - 10 - 234;
// The rows of the lists the pickers drop.
constexpr int kCategoryRowH = 50, kFormatRowH = 60;

// The options dialog "选项" (app/forms/OptionsDialogLayout.cpp).
constexpr int kOptionsClientW = 440, kOptionsClientH = 374;
constexpr int kOptionsThreadsLeft = 10 + 330, kOptionsThreadsTop = 146 + 28, kOptionsThreadsW = 74,
              kOptionsThreadsH = 20;
constexpr int kOptionsOkLeft = 250, kOptionsButtonTop = kOptionsClientH - 36, kOptionsButtonW = 80,
              kOptionsButtonH = 25;

// ---------------------------------------------------------------- shell

// Where pictures of the screen go: TVL_TEST_PICTURES, else the working folder.
inline std::string PictureDir() {
  const char* d = std::getenv("TVL_TEST_PICTURES");
  return d ? d : ".";
}

// A command's standard output, without its trailing line breaks and blanks.
inline std::string Shell(const std::string& cmd) {
  std::string out;
  if (FILE* p = popen(cmd.c_str(), "r")) {
    char buf[256];
    while (fgets(buf, sizeof buf, p)) out += buf;
    pclose(p);
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
  return out;
}

// Polls `done` until it holds or `ms` pass (a bound for a broken run).
inline bool WaitFor(const std::function<bool()>& done, int ms) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < until) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return done();
}

inline void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// The whole text of a file ("" when there is none).
inline std::string FileText(const std::filesystem::path& p) {
  std::ifstream in(p);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// ---------------------------------------------------------------- the program

// A rectangle of the screen, as pixels.
using TPixels = std::vector<unsigned long>;

// A window placed on the screen.
struct TPlaced {
  Window Id = 0;
  int X = 0, Y = 0, W = 0, H = 0;
};

class TProgram {
 public:
  // Starts a copy of the built program in home/program, with HOME at home
  // (its option.ini lies in home/.config/tavrel, so a second start in the
  // same home finds the first's) and an opener that records what the program
  // opens.
  TProgram(testsupport::Xvfb& x, const std::filesystem::path& home) : x_(x), home_(home) {
    env_ = "DISPLAY=" + x.Display() + " ";
    namespace fs = std::filesystem;
    const fs::path program = home / "program" / "tavrel-converter";
    fs::create_directories(program.parent_path());
    if (!fs::exists(program)) fs::copy_file(TVL_CONVERTER_PATH, program);
    const fs::path bin = home / "bin";
    fs::create_directories(bin);
    {
      std::ofstream(bin / "xdg-open") << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" << OpenedLog().string() << "'\n";
    }
    fs::permissions(bin / "xdg-open", fs::perms::owner_all);
    display_ = XOpenDisplay(x.Display().c_str());
    const pid_t parent = getpid();
    pid_ = fork();
    if (pid_ == 0) {
      testsupport::BindToTest(parent);
      setenv("DISPLAY", x.Display().c_str(), 1);
      setenv("HOME", home.c_str(), 1);
      unsetenv("XDG_CONFIG_HOME");
      const char* path = std::getenv("PATH");
      setenv("PATH", (bin.string() + ":" + (path ? path : "/usr/bin:/bin")).c_str(), 1);
      execl(program.c_str(), "tavrel-converter", static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  TProgram(const TProgram&) = delete;
  TProgram& operator=(const TProgram&) = delete;
  ~TProgram() {
    testsupport::EndGroup(pid_);
    if (display_) XCloseDisplay(display_);
  }

  Display* Dpy() const { return display_; }
  const std::string& Env() const { return env_; }
  // The lines the program handed to the opener (xdg-open), one per opening.
  std::filesystem::path OpenedLog() const { return home_ / "opened.txt"; }
  std::filesystem::path IniFile() const { return home_ / ".config" / "tavrel" / "option.ini"; }

  // Waits for the main window and takes its client origin on the screen.
  bool Find() {
    if (!display_) return false;
    if (!WaitFor([&] {
          main_ = Shell(env_ + "xdotool search --onlyvisible --name 'TavrelAndroid' 2>/dev/null | head -1");
          return !main_.empty();
        }, 30000))
      return false;
    Sleep(500);
    int wx, wy, ww, wh;
    Geometry(main_, wx, wy, ww, wh);
    cx_ = wx + (ww - kClientW) / 2;
    cy_ = wy + wh - kFrameBottom - kClientH;
    return true;
  }
  const std::string& MainWindow() const { return main_; }
  // Client point (x, y) of the main window on the screen.
  int X(int x) const { return cx_ + x; }
  int Y(int y) const { return cy_ + y; }

  void ScreenClick(int x, int y) {
    Shell(env_ + "xdotool mousemove " + std::to_string(x) + " " + std::to_string(y) + " click 1");
  }
  void Click(int x, int y) { ScreenClick(X(x), Y(y)); }
  void ScreenMove(int x, int y) {
    Shell(env_ + "xdotool mousemove " + std::to_string(x) + " " + std::to_string(y));
  }
  void Keys(const std::string& keys) { Shell(env_ + "xdotool key --delay 60 " + keys); }
  // The tool bar button in a slot.
  void Tool(TToolSlot slot) {
    Click(kToolSlotLeft + slot * kToolSlotW + kToolButtonW / 2, kToolBarTop + kToolButtonTop + kToolButtonH / 2);
  }

  // The visible window with this title, by comparing names (xdotool's own
  // pattern match does not take every UTF-8 title).
  std::string FindWindow(const std::string& title) {
    const std::string ids = Shell(env_ + "xdotool search --onlyvisible --name . 2>/dev/null");
    std::size_t pos = 0;
    while (pos < ids.size()) {
      std::size_t end = ids.find('\n', pos);
      if (end == std::string::npos) end = ids.size();
      const std::string w = ids.substr(pos, end - pos);
      pos = end + 1;
      if (!w.empty() && Shell(env_ + "xdotool getwindowname " + w) == title) return w;
    }
    return {};
  }
  std::string WaitForWindow(const std::string& title, int ms = 20000) {
    std::string id;
    WaitFor([&] { return !(id = FindWindow(title)).empty(); }, ms);
    return id;
  }
  bool WaitForWindowGone(const std::string& title, int ms = 20000) {
    return WaitFor([&] { return FindWindow(title).empty(); }, ms);
  }
  void Geometry(const std::string& id, int& x, int& y, int& w, int& h) {
    x = y = -1;
    w = h = 0;
    const std::string g = Shell(env_ + "xdotool getwindowgeometry --shell " + id);
    const auto at = g.find("X=");
    if (at != std::string::npos) std::sscanf(g.substr(at).c_str(), "X=%d\nY=%d\nWIDTH=%d\nHEIGHT=%d", &x, &y, &w, &h);
  }
  // The client origin of a skinned dialog of client size cw × ch.
  void DialogOrigin(const std::string& id, int cw, int ch, int& x, int& y) {
    int dx, dy, dw, dh;
    Geometry(id, dx, dy, dw, dh);
    x = dx + (dw - cw) / 2;
    y = dy + dh - kFrameBottom - ch;
  }

  // Gives each character of Text that has no key a key of its own, so that
  // xdotool types it with a key that stays bound: a key xdotool binds for one
  // character and rebinds for the next can be read by a program busy under
  // load as the next character.
  void MapCharacters(const std::string& Text) {
    if (!display_) return;
    int lo = 0, hi = 0, per = 0;
    XDisplayKeycodes(display_, &lo, &hi);
    KeySym* map = XGetKeyboardMapping(display_, KeyCode(lo), hi - lo + 1, &per);
    if (!map) return;
    auto bound = [&](KeySym ks) {
      for (int i = 0; i < (hi - lo + 1) * per; ++i)
        if (map[i] == ks) return true;
      return false;
    };
    for (std::size_t i = 0; i < Text.size();) {
      // One UTF-8 sequence.
      const unsigned char c = static_cast<unsigned char>(Text[i]);
      const int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
      unsigned cp = n == 1 ? c : c & (0xFF >> (n + 1));
      for (int k = 1; k < n && i + std::size_t(k) < Text.size(); ++k) cp = (cp << 6) | (Text[i + k] & 0x3F);
      i += std::size_t(n);
      if (cp < 0x80) continue;
      const KeySym ks = 0x01000000 | cp;
      if (bound(ks)) continue;
      for (int kc = hi; kc >= lo; --kc) {
        KeySym* row = map + (kc - lo) * per;
        bool empty = true;
        for (int j = 0; j < per; ++j) empty = empty && row[j] == NoSymbol;
        if (!empty) continue;
        for (int j = 0; j < per && j < 2; ++j) row[j] = ks;
        XChangeKeyboardMapping(display_, kc, per, row, 1);
        break;
      }
    }
    XFree(map);
    XSync(display_, False);
  }

  // "添加" → "添加一个文件", then the folder and the name typed into the dialog.
  bool AddFile(const std::filesystem::path& file) {
    MapCharacters(file.string());
    // The add menu is a window of its own: its item is clicked once it shows.
    const std::vector<TPlaced> before = Shown();
    Tool(tsAdd);
    TPlaced menu;
    if (!WaitForNewWindow(before, menu)) return false;
    Click(kToolSlotLeft + 64, kAddMenuFirstItemY);
    const std::string dlg = WaitForWindow("打开文件");
    if (dlg.empty()) return false;
    Sleep(300);
    int dx, dy, dw, dh;
    Geometry(dlg, dx, dy, dw, dh);
    // The folder first (the dialog opens in the last one), then the name.
    const std::string nameField = std::to_string(dx + 216) + " " + std::to_string(dy + dh - 62);
    Shell(env_ + "xdotool mousemove " + nameField + " click 1 key ctrl+a type --delay 30 '" +
          file.parent_path().string() + "/'");
    Shell(env_ + "xdotool key Return sleep 1.5");
    Shell(env_ + "xdotool mousemove " + nameField + " click 1 key ctrl+a type --delay 30 '" +
          file.filename().string() + "'");
    Shell(env_ + "xdotool sleep 0.8 key Return");
    return WaitForWindowGone("打开文件");
  }

  // Asks the main window to close as a window manager does (WM_DELETE_WINDOW)
  // and waits for the program to end.
  bool Close(int ms = 30000) {
    if (main_.empty() || !display_) return false;
    const Window w = Window(std::stoul(main_));
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = w;
    e.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = long(XInternAtom(display_, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, w, False, NoEventMask, &e);
    XFlush(display_);
    return Exited(ms);
  }
  // Sends a termination request and waits for the program to end.
  bool Terminate(int ms = 30000) {
    if (pid_ > 0) kill(pid_, SIGTERM);
    return Exited(ms);
  }
  // The program ended within ms (it is then reaped; ExitStatus() is its wait status).
  bool Exited(int ms) {
    if (pid_ <= 0) return true;
    const bool gone = WaitFor([&] { return waitpid(pid_, &status_, WNOHANG) == pid_; }, ms);
    if (gone) pid_ = -1;
    return gone;
  }
  int ExitStatus() const { return status_; }

  // The screen's pixels in a rectangle.
  TPixels Grab(int x, int y, int w, int h) {
    TPixels px;
    if (!display_) return px;
    XImage* img = XGetImage(display_, DefaultRootWindow(display_), x, y, unsigned(w), unsigned(h), AllPlanes, ZPixmap);
    if (!img) return px;
    for (int j = 0; j < h; ++j)
      for (int i = 0; i < w; ++i) px.push_back(XGetPixel(img, i, j));
    XDestroyImage(img);
    return px;
  }
  unsigned long Pixel(int x, int y) {
    const TPixels p = Grab(x, y, 1, 1);
    return p.empty() ? 0 : p[0];
  }

  // The shown top-level windows (the root's mapped children).
  std::vector<TPlaced> Shown() {
    std::vector<TPlaced> v;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned n = 0;
    if (!display_) return v;
    if (!XQueryTree(display_, DefaultRootWindow(display_), &root, &parent, &children, &n)) return v;
    for (unsigned i = 0; i < n; ++i) {
      XWindowAttributes a;
      if (XGetWindowAttributes(display_, children[i], &a) && a.map_state == IsViewable)
        v.push_back({children[i], a.x, a.y, a.width, a.height});
    }
    if (children) XFree(children);
    return v;
  }
  // Waits for a shown top-level window that is not among Before (a popup).
  bool WaitForNewWindow(const std::vector<TPlaced>& Before, TPlaced& Found, int ms = 15000) {
    return WaitFor([&] {
      for (const TPlaced& w : Shown()) {
        bool old = false;
        for (const TPlaced& b : Before) old = old || b.Id == w.Id;
        if (!old) {
          Found = w;
          return true;
        }
      }
      return false;
    }, ms);
  }

  void Screenshot(const std::string& name) {
    Shell("ffmpeg -nostdin -loglevel error -y -f x11grab -video_size 1280x1024 -i " + x_.Display() +
          " -frames:v 1 '" + PictureDir() + "/" + name + "'");
  }

 private:
  testsupport::Xvfb& x_;
  std::filesystem::path home_;
  std::string env_;
  Display* display_ = nullptr;
  pid_t pid_ = -1;
  int status_ = -1;
  std::string main_;
  int cx_ = 0, cy_ = 0;
};

}  // namespace mainformx11
