// The freedesktop system tray as the notification area: each icon is a small
// X window of a display connection of our own, docked into the tray's window
// with the tray protocol's dock request and XEmbed.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/forms/Icon.h"
#include "platform/gdi/Bitmap.h"
#include "platform/rtl/Strings.h"
#include "platform/win/WinApi.h"
#include "skin/menus/bsTrayShell.h"

namespace skin {

namespace {

constexpr long SYSTEM_TRAY_REQUEST_DOCK = 0, SYSTEM_TRAY_BEGIN_MESSAGE = 1, SYSTEM_TRAY_CANCEL_MESSAGE = 2;
constexpr long XEMBED_MAPPED = 1;
constexpr int kDefaultIconSize = 22;
constexpr int kDoubleClickDistance = 4;

struct TTrayIcon {
  HWND Wnd = nullptr;
  UINT ID = 0;
  UINT CallbackMessage = 0;
  Window Win = 0;
  int Width = kDefaultIconSize, Height = kDefaultIconSize;
  int ImageW = 0, ImageH = 0;
  std::vector<std::uint32_t> Argb;  // straight alpha, 0xAARRGGBB
  long BalloonId = 0;
  Time LastPress = 0;
  int LastX = -100, LastY = -100;
};

// The tray host's own connection may see its icon windows vanish at any
// time (taken down with a tray that went away): errors on that connection
// are dropped instead of ending the process; errors of any other
// connection go to the handler that was there before.
std::atomic<Display*> gTrayDisplay{nullptr};
XErrorHandler gPreviousErrorHandler = nullptr;

int TrayErrorHandler(Display* D, XErrorEvent* E) {
  if (D == gTrayDisplay.load()) return 0;
  return gPreviousErrorHandler ? gPreviousErrorHandler(D, E) : 0;
}

class XEmbedTrayHost : public TbsTrayHost {
 public:
  explicit XEmbedTrayHost(Display* D) : Dpy(D) {
    gTrayDisplay = Dpy;
    XErrorHandler old = XSetErrorHandler(TrayErrorHandler);
    if (old != TrayErrorHandler) gPreviousErrorHandler = old;
    Screen = DefaultScreen(Dpy);
    Root = RootWindow(Dpy, Screen);
    const std::string Sel = "_NET_SYSTEM_TRAY_S" + std::to_string(Screen);
    SelectionAtom = XInternAtom(Dpy, Sel.c_str(), False);
    OpcodeAtom = XInternAtom(Dpy, "_NET_SYSTEM_TRAY_OPCODE", False);
    MessageDataAtom = XInternAtom(Dpy, "_NET_SYSTEM_TRAY_MESSAGE_DATA", False);
    ManagerAtom = XInternAtom(Dpy, "MANAGER", False);
    XEmbedInfoAtom = XInternAtom(Dpy, "_XEMBED_INFO", False);
    NetWmNameAtom = XInternAtom(Dpy, "_NET_WM_NAME", False);
    Utf8Atom = XInternAtom(Dpy, "UTF8_STRING", False);
    TaskbarCreated = win::RegisterWindowMessageW(u"TaskbarCreated");
    DoubleClickTime = win::GetDoubleClickTime();
    // A new tray announces itself on the root window (MANAGER).
    XSelectInput(Dpy, Root, StructureNotifyMask);
    XFlush(Dpy);
    if (pipe(WakePipe) == 0) Reader = std::thread([this] { ReadEvents(); });
  }

  ~XEmbedTrayHost() override {
    if (Reader.joinable()) {
      Stop = true;
      char c = 1;
      (void)!write(WakePipe[1], &c, 1);
      Reader.join();
    }
    if (WakePipe[0] >= 0) {
      close(WakePipe[0]);
      close(WakePipe[1]);
    }
    {
      std::lock_guard<std::mutex> L(Mutex);
      for (auto& I : Icons)
        if (I->Win) XDestroyWindow(Dpy, I->Win);
      Icons.clear();
    }
    XSync(Dpy, False);
    gTrayDisplay = nullptr;
    XCloseDisplay(Dpy);
  }

  bool Notify(DWORD Message, const NOTIFYICONDATAW& Data) override {
    bool Result;
    {
      std::lock_guard<std::mutex> L(Mutex);
      Result = NotifyLocked(Message, Data);
    }
    // Round trips may have queued events the reader's wait would not see.
    char c = 0;
    if (WakePipe[1] >= 0) (void)!write(WakePipe[1], &c, 1);
    return Result;
  }

 private:
  bool NotifyLocked(DWORD Message, const NOTIFYICONDATAW& Data) {
    auto It = std::find_if(Icons.begin(), Icons.end(),
                           [&](const auto& I) { return I->Wnd == Data.hWnd && I->ID == Data.uID; });
    switch (Message) {
      case NIM_ADD: {
        if (It != Icons.end()) return false;
        Window Owner = XGetSelectionOwner(Dpy, SelectionAtom);
        if (Owner == None) return false;
        auto I = std::make_unique<TTrayIcon>();
        I->Wnd = Data.hWnd;
        I->ID = Data.uID;
        Apply(*I, Data);
        XSetWindowAttributes A{};
        A.background_pixmap = None;  // the tray shows through where the icon is clear
        A.event_mask = ButtonPressMask | ButtonReleaseMask | PointerMotionMask | ExposureMask | StructureNotifyMask;
        I->Win = XCreateWindow(Dpy, Root, 0, 0, unsigned(I->Width), unsigned(I->Height), 0, CopyFromParent,
                               InputOutput, CopyFromParent, CWBackPixmap | CWEventMask, &A);
        long Info[2] = {0, XEMBED_MAPPED};
        XChangeProperty(Dpy, I->Win, XEmbedInfoAtom, XEmbedInfoAtom, 32, PropModeReplace,
                        reinterpret_cast<unsigned char*>(Info), 2);
        XClassHint Class{const_cast<char*>("tavrel-converter"), const_cast<char*>("TavrelTrayIcon")};
        XSetClassHint(Dpy, I->Win, &Class);
        SetName(*I, Data);
        SendOpcode(Owner, I->Win, SYSTEM_TRAY_REQUEST_DOCK, long(I->Win), 0, 0);
        Icons.push_back(std::move(I));
        XFlush(Dpy);
        return true;
      }
      case NIM_MODIFY: {
        if (It == Icons.end()) return false;
        TTrayIcon& I = **It;
        if (!I.Win) return false;
        Apply(I, Data);
        SetName(I, Data);
        Paint(I);
        bool Ok = true;
        if (Data.uFlags & NIF_INFO) Ok = Balloon(I, Data);
        XFlush(Dpy);
        return Ok;
      }
      case NIM_DELETE: {
        if (It == Icons.end()) return false;
        if ((*It)->Win) XDestroyWindow(Dpy, (*It)->Win);
        Icons.erase(It);
        XFlush(Dpy);
        return true;
      }
      default: return false;
    }
  }

  void Apply(TTrayIcon& I, const NOTIFYICONDATAW& Data) {
    if (Data.uFlags & NIF_MESSAGE) I.CallbackMessage = Data.uCallbackMessage;
    if (!(Data.uFlags & NIF_ICON)) return;
    I.Argb.clear();
    I.ImageW = I.ImageH = 0;
    if (!Data.hIcon) return;
    forms::TIcon Icon;
    Icon.SetHandle(win::CopyIcon(Data.hIcon));
    gdi::TBitmap B;
    Icon.SaveToBitmap(&B);
    if (B.Empty()) return;
    I.ImageW = B.Width();
    I.ImageH = B.Height();
    I.Argb.resize(std::size_t(I.ImageW) * std::size_t(I.ImageH));
    for (int y = 0; y < I.ImageH; ++y)
      for (int x = 0; x < I.ImageW; ++x) I.Argb[std::size_t(y) * std::size_t(I.ImageW) + std::size_t(x)] = B.GetSurface()->GetPixel(x, y);
  }

  void SetName(TTrayIcon& I, const NOTIFYICONDATAW& Data) {
    if (!(Data.uFlags & NIF_TIP)) return;
    const std::string Tip = rtl::StringToUtf8(std::u16string(Data.szTip));
    XChangeProperty(Dpy, I.Win, NetWmNameAtom, Utf8Atom, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(Tip.data()), int(Tip.size()));
    XStoreName(Dpy, I.Win, Tip.c_str());
  }

  void SendOpcode(Window Owner, Window Target, long Opcode, long A, long B, long C) {
    XEvent E{};
    E.xclient.type = ClientMessage;
    E.xclient.window = Target;
    E.xclient.message_type = OpcodeAtom;
    E.xclient.format = 32;
    E.xclient.data.l[0] = CurrentTime;
    E.xclient.data.l[1] = Opcode;
    E.xclient.data.l[2] = A;
    E.xclient.data.l[3] = B;
    E.xclient.data.l[4] = C;
    XSendEvent(Dpy, Owner, False, NoEventMask, &E);
  }

  // Balloons are the tray's balloon messages: an empty text takes back the
  // one shown; a text (title on its first line) is sent in 20-byte pieces.
  bool Balloon(TTrayIcon& I, const NOTIFYICONDATAW& Data) {
    Window Owner = XGetSelectionOwner(Dpy, SelectionAtom);
    if (Owner == None) return false;
    if (I.BalloonId) SendOpcode(Owner, I.Win, SYSTEM_TRAY_CANCEL_MESSAGE, I.BalloonId, 0, 0);
    I.BalloonId = 0;
    if (!Data.szInfo[0]) return true;
    std::string Text = rtl::StringToUtf8(std::u16string(Data.szInfoTitle));
    if (!Text.empty()) Text += '\n';
    Text += rtl::StringToUtf8(std::u16string(Data.szInfo));
    I.BalloonId = ++NextBalloonId;
    SendOpcode(Owner, I.Win, SYSTEM_TRAY_BEGIN_MESSAGE, long(Data.uTimeout), long(Text.size()), I.BalloonId);
    for (std::size_t At = 0; At < Text.size(); At += 20) {
      XEvent E{};
      E.xclient.type = ClientMessage;
      E.xclient.window = I.Win;
      E.xclient.message_type = MessageDataAtom;
      E.xclient.format = 8;
      std::memcpy(E.xclient.data.b, Text.data() + At, std::min<std::size_t>(20, Text.size() - At));
      XSendEvent(Dpy, Owner, False, NoEventMask, &E);
    }
    return true;
  }

  // Draws the icon scaled to the window, centred; clear pixels are left to
  // the tray's background.
  void Paint(TTrayIcon& I) {
    if (!I.Win || I.Width <= 0 || I.Height <= 0) return;
    const int W = I.Width, H = I.Height;
    Visual* V = DefaultVisual(Dpy, Screen);
    const int Depth = DefaultDepth(Dpy, Screen);
    auto* Pixels = static_cast<char*>(std::calloc(std::size_t(W) * std::size_t(H), 4));
    XImage* Img = XCreateImage(Dpy, V, unsigned(Depth), ZPixmap, 0, Pixels, unsigned(W), unsigned(H), 32, 0);
    if (!Img) {
      std::free(Pixels);
      return;
    }
    const int Stride = (W + 7) / 8;
    std::vector<char> MaskBits(std::size_t(Stride) * std::size_t(H), 0);
    const int Side = std::min(W, H);
    const int Ox = (W - Side) / 2, Oy = (H - Side) / 2;
    for (int y = 0; y < Side && I.ImageW > 0; ++y)
      for (int x = 0; x < Side; ++x) {
        const std::uint32_t P = I.Argb[std::size_t(y * I.ImageH / Side) * std::size_t(I.ImageW) +
                                       std::size_t(x * I.ImageW / Side)];
        if ((P >> 24) < 128) continue;
        XPutPixel(Img, Ox + x, Oy + y, P & 0xFFFFFF);
        MaskBits[std::size_t((Oy + y) * Stride + (Ox + x) / 8)] |= char(1 << ((Ox + x) % 8));
      }
    Pixmap Mask = XCreateBitmapFromData(Dpy, I.Win, MaskBits.data(), unsigned(W), unsigned(H));
    GC G = XCreateGC(Dpy, I.Win, 0, nullptr);
    XSetClipMask(Dpy, G, Mask);
    XPutImage(Dpy, I.Win, G, Img, 0, 0, 0, 0, unsigned(W), unsigned(H));
    XFreeGC(Dpy, G);
    XFreePixmap(Dpy, Mask);
    XDestroyImage(Img);
  }

  TTrayIcon* Find(Window W) {
    for (auto& I : Icons)
      if (I->Win == W) return I.get();
    return nullptr;
  }

  void Post(const TTrayIcon& I, UINT Mouse) {
    if (I.CallbackMessage) win::PostMessageW(I.Wnd, I.CallbackMessage, I.ID, win::LPARAM(Mouse));
  }

  void Handle(XEvent& E) {
    if (E.type == ClientMessage && E.xclient.window == Root && E.xclient.message_type == ManagerAtom &&
        Atom(E.xclient.data.l[1]) == SelectionAtom) {
      // A new tray: the icons of the old one are gone; their owners add them again.
      std::vector<HWND> Owners;
      for (auto& I : Icons) {
        if (I->Win) XDestroyWindow(Dpy, I->Win);
        if (std::find(Owners.begin(), Owners.end(), I->Wnd) == Owners.end()) Owners.push_back(I->Wnd);
      }
      Icons.clear();
      XFlush(Dpy);
      for (HWND W : Owners) win::PostMessageW(W, TaskbarCreated, 0, 0);
      return;
    }
    TTrayIcon* I = Find(E.xany.window);
    if (!I) return;
    switch (E.type) {
      case ButtonPress: {
        const XButtonEvent& B = E.xbutton;
        if (B.button == Button1) {
          const bool Double = B.time - I->LastPress <= DoubleClickTime &&
                              std::abs(B.x_root - I->LastX) <= kDoubleClickDistance &&
                              std::abs(B.y_root - I->LastY) <= kDoubleClickDistance;
          I->LastPress = Double ? 0 : B.time;
          I->LastX = B.x_root;
          I->LastY = B.y_root;
          Post(*I, Double ? win::WM_LBUTTONDBLCLK : win::WM_LBUTTONDOWN);
        } else if (B.button == Button2) {
          Post(*I, win::WM_MBUTTONDOWN);
        } else if (B.button == Button3) {
          Post(*I, win::WM_RBUTTONDOWN);
        }
        break;
      }
      case ButtonRelease:
        if (E.xbutton.button == Button1) Post(*I, win::WM_LBUTTONUP);
        if (E.xbutton.button == Button2) Post(*I, win::WM_MBUTTONUP);
        if (E.xbutton.button == Button3) Post(*I, win::WM_RBUTTONUP);
        break;
      case MotionNotify: Post(*I, win::WM_MOUSEMOVE); break;
      case Expose:
        if (E.xexpose.count == 0) Paint(*I);
        break;
      case ConfigureNotify:
        I->Width = E.xconfigure.width;
        I->Height = E.xconfigure.height;
        Paint(*I);
        break;
      case DestroyNotify:
        // Taken down with a tray that went away; forget the window.
        if (E.xdestroywindow.window == I->Win) I->Win = 0;
        break;
      case ReparentNotify:
        // Left on the root window by a tray that went away: keep it out of sight.
        if (E.xreparent.parent == Root) XUnmapWindow(Dpy, I->Win);
        break;
      default: break;
    }
  }

  void ReadEvents() {
    pollfd Fds[2] = {{ConnectionNumber(Dpy), POLLIN, 0}, {WakePipe[0], POLLIN, 0}};
    while (!Stop) {
      {
        std::lock_guard<std::mutex> L(Mutex);
        while (XPending(Dpy)) {
          XEvent E;
          XNextEvent(Dpy, &E);
          Handle(E);
        }
        XFlush(Dpy);
      }
      if (poll(Fds, 2, 200) < 0 && errno != EINTR) break;
      if (Fds[1].revents & POLLIN) {
        char Buf[64];
        (void)!read(WakePipe[0], Buf, sizeof Buf);
      }
    }
  }

  Display* Dpy;
  int Screen = 0;
  Window Root = 0;
  Atom SelectionAtom = 0, OpcodeAtom = 0, MessageDataAtom = 0, ManagerAtom = 0, XEmbedInfoAtom = 0,
       NetWmNameAtom = 0, Utf8Atom = 0;
  UINT TaskbarCreated = 0;
  Time DoubleClickTime = 500;
  long NextBalloonId = 0;
  std::mutex Mutex;
  std::vector<std::unique_ptr<TTrayIcon>> Icons;
  int WakePipe[2] = {-1, -1};
  std::atomic<bool> Stop{false};
  std::thread Reader;
};

}  // namespace

std::unique_ptr<TbsTrayHost> MakeXEmbedTrayHost(const std::string& DisplayName) {
  XInitThreads();
  Display* D = XOpenDisplay(DisplayName.empty() ? nullptr : DisplayName.c_str());
  if (!D) return nullptr;
  return std::make_unique<XEmbedTrayHost>(D);
}

}  // namespace skin
