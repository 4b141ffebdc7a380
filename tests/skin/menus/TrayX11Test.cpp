// The tray icon against a private Xvfb: a thread of the test with its own X
// connection plays the system tray (owns _NET_SYSTEM_TRAY_S0, docks what it
// is asked to, takes balloon messages), and XTest clicks on the docked icon
// reach the component's events. Without a tray owner AddIcon fails; a new
// tray gets the icon again. Skips when Xvfb is missing.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/forms/Forms.h"
#include "platform/gdi/PngCodec.h"
#include "platform/win/Backend.h"
#include "platform/win/Headless.h"
#include "platform/win/WinApi.h"
#include "skin/menus/bsTrayIcon.h"
#include "tests/support/Xvfb.h"

// Last: Xlib's macros (None, Bool, Status) would clash with the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

namespace skinmenustest {
namespace {

using namespace skin;
using Clock = std::chrono::steady_clock;

// A minimal freedesktop system tray.
std::atomic<int> gXErrors{0};
int CountXError(Display*, XErrorEvent*) {
  ++gXErrors;
  return 0;
}

class TestTray {
 public:
  explicit TestTray(const std::string& display) {
    d_ = XOpenDisplay(display.c_str());
    if (!d_) return;
    const Window root = DefaultRootWindow(d_);
    sel_ = XInternAtom(d_, "_NET_SYSTEM_TRAY_S0", False);
    opcode_ = XInternAtom(d_, "_NET_SYSTEM_TRAY_OPCODE", False);
    data_ = XInternAtom(d_, "_NET_SYSTEM_TRAY_MESSAGE_DATA", False);
    win_ = XCreateSimpleWindow(d_, root, kX, kY, 120, 40, 0, 0, 0x404060);
    XSelectInput(d_, win_, SubstructureNotifyMask);
    XMapWindow(d_, win_);
    XSetSelectionOwner(d_, sel_, win_, CurrentTime);
    XEvent e{};
    e.xclient.type = ClientMessage;
    e.xclient.window = root;
    e.xclient.message_type = XInternAtom(d_, "MANAGER", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = CurrentTime;
    e.xclient.data.l[1] = long(sel_);
    e.xclient.data.l[2] = long(win_);
    XSendEvent(d_, root, False, StructureNotifyMask, &e);
    XSync(d_, False);
    thread_ = std::thread([this] { Run(); });
  }
  ~TestTray() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (d_) {
      XDestroyWindow(d_, win_);
      XCloseDisplay(d_);
    }
  }
  bool Ok() const { return d_ != nullptr; }
  Window Docked() const { return docked_; }
  int DockRequests() const { return requests_; }
  std::string Balloon() {
    std::lock_guard<std::mutex> l(m_);
    return balloon_.size() == balloonLength_ ? balloon_ : std::string();
  }
  // Where the docked icon is on the screen (its middle).
  static constexpr int kX = 100, kY = 100, kIconX = 10, kIconY = 8, kIconSize = 24;

 private:
  void Run() {
    while (!stop_) {
      while (XPending(d_)) {
        XEvent e;
        XNextEvent(d_, &e);
        if (e.type != ClientMessage) continue;
        if (e.xclient.message_type == opcode_ && e.xclient.data.l[1] == 0) {
          const Window icon = Window(e.xclient.data.l[2]);
          // A request may name an icon window that is already gone (an icon
          // removed right after it asked): a tray ignores it, as this one does.
          gXErrors = 0;
          XErrorHandler previous = XSetErrorHandler(CountXError);
          XReparentWindow(d_, icon, win_, kIconX, kIconY);
          XResizeWindow(d_, icon, kIconSize, kIconSize);
          XMapWindow(d_, icon);
          XSync(d_, False);
          XSetErrorHandler(previous);
          if (gXErrors) continue;
          docked_ = icon;
          ++requests_;
        } else if (e.xclient.message_type == opcode_ && e.xclient.data.l[1] == 1) {
          std::lock_guard<std::mutex> l(m_);
          balloonLength_ = std::size_t(e.xclient.data.l[3]);
          balloon_.clear();
        } else if (e.xclient.message_type == data_) {
          std::lock_guard<std::mutex> l(m_);
          const std::size_t n = std::min<std::size_t>(20, balloonLength_ - balloon_.size());
          balloon_.append(e.xclient.data.b, n);
        }
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }

  Display* d_ = nullptr;
  Window win_ = 0;
  Atom sel_ = 0, opcode_ = 0, data_ = 0;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<Window> docked_{0};
  std::atomic<int> requests_{0};
  std::mutex m_;
  std::string balloon_;
  std::size_t balloonLength_ = 0;
};

std::string PictureDir() {
  const char* d = std::getenv("TVL_TEST_PICTURES");
  return d ? d : ".";
}

class TrayX11Test : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!xvfb.Start("640x480x24")) GTEST_SKIP() << "no Xvfb";
    win::InitWindowSystem(win::BackendKind::Headless);
    win::headless::UseFakeClock(true);
    forms::InitForms();
    SetTrayHost(MakeXEmbedTrayHost(xvfb.Display()));
    ASSERT_NE(CurrentTrayHost(), nullptr);
    input = XOpenDisplay(xvfb.Display().c_str());
    ASSERT_NE(input, nullptr);
    main = forms::Application->CreateForm<forms::TForm>();
    main->Show();
    win::headless::Pump();
    forms::TPopupMenu::PopupHandler = [this](forms::TPopupMenu*, int, int) { log.push_back("popup"); };
  }
  void TearDown() override {
    if (!input) return;
    forms::TPopupMenu::PopupHandler = nullptr;
    forms::DoneForms();
    SetTrayHost(nullptr);
    win::ShutdownWindowSystem();
    XCloseDisplay(input);
  }
  // Pumps the loop (messages from the tray's reader thread) until the
  // condition holds or the seconds (by default a bound for a broken run)
  // have passed.
  template <class F>
  bool Until(F done, int seconds = 20) {
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < end) {
      win::headless::Pump();
      if (done()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
  }
  void Button(int button, bool press) {
    const int x = TestTray::kX + TestTray::kIconX + TestTray::kIconSize / 2;
    const int y = TestTray::kY + TestTray::kIconY + TestTray::kIconSize / 2;
    XTestFakeMotionEvent(input, 0, x, y, 0);
    XTestFakeButtonEvent(input, unsigned(button), press, 0);
    XSync(input, False);
  }
  void Click(int button, int times = 1) {
    for (int i = 0; i < times; ++i) {
      Button(button, true);
      Button(button, false);
    }
  }
  // Presses far enough apart (in the display's time) not to make a double click.
  void ApartFromTheLastClick() {
    std::this_thread::sleep_for(std::chrono::milliseconds(win::GetDoubleClickTime() + 50));
  }
  TbsTrayIcon* MakeIcon() {
    auto* t = new TbsTrayIcon(main);
    gdi::TBitmap b(16, 16);
    b.Canvas()->Brush()->SetColor(gdi::clFuchsia);
    b.Canvas()->FillRect(rtl::Rect(0, 0, 16, 16));
    b.Canvas()->Brush()->SetColor(rtl::TColor(0x0060E0));
    b.Canvas()->Pen()->SetColor(rtl::TColor(0x003070));
    b.Canvas()->Ellipse(1, 1, 15, 15);
    b.Canvas()->Brush()->SetColor(gdi::clWhite);
    b.Canvas()->FillRect(rtl::Rect(6, 4, 10, 12));
    forms::TIcon icon;
    TbsTrayIcon::BitmapToIcon(&b, &icon, gdi::clFuchsia);
    t->SetIcon(&icon);
    t->SetHint(u"Tavrel 转换器");
    t->OnClick = [this](rtl::TObject*) { log.push_back("click"); };
    t->OnDblClick = [this](rtl::TObject*) { log.push_back("dblclick"); };
    t->OnMouseDown = [this](rtl::TObject*, forms::TMouseButton b, forms::TShiftState, int, int) {
      log.push_back(b == forms::mbLeft ? "down L" : "down R");
    };
    t->OnMouseUp = [this](rtl::TObject*, forms::TMouseButton b, forms::TShiftState, int, int) {
      log.push_back(b == forms::mbLeft ? "up L" : "up R");
    };
    return t;
  }
  std::string Joined() const {
    std::string s;
    for (const auto& l : log) s += (s.empty() ? "" : ", ") + l;
    return s;
  }
  // The docked icon as the screen shows it, enlarged four times.
  void SaveIconPicture(Window icon, const std::string& file) {
    XWindowAttributes a;
    ASSERT_TRUE(XGetWindowAttributes(input, icon, &a));
    Window child;
    int x = 0, y = 0;
    XTranslateCoordinates(input, icon, DefaultRootWindow(input), 0, 0, &x, &y, &child);
    const int pad = 8, w = a.width + 2 * pad, h = a.height + 2 * pad;
    XImage* img = XGetImage(input, DefaultRootWindow(input), x - pad, y - pad, unsigned(w), unsigned(h), AllPlanes, ZPixmap);
    ASSERT_NE(img, nullptr);
    gdi::Surface s(w * 4, h * 4, 32);
    for (int py = 0; py < h * 4; ++py)
      for (int px = 0; px < w * 4; ++px) s.SetPixel(px, py, 0xFF000000 | std::uint32_t(XGetPixel(img, px / 4, py / 4)));
    XDestroyImage(img);
    const auto png = gdi::EncodePng(s, false);
    FILE* f = std::fopen((PictureDir() + "/" + file).c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(png.data(), 1, png.size(), f);
    std::fclose(f);
  }

  testsupport::Xvfb xvfb;
  Display* input = nullptr;
  forms::TForm* main = nullptr;
  std::vector<std::string> log;
};

TEST_F(TrayX11Test, WithoutATrayOwnerAddIconFailsAndMinimisingStaysNormal) {
  TbsTrayIcon* t = MakeIcon();
  t->SetIconVisible(false);
  EXPECT_FALSE(t->AddIcon());
  forms::Application->Minimize();
  win::headless::Pump();
  win::headless::Pump();
  EXPECT_TRUE(main->Visible()) << "no tray to come back from: the form stays minimised, not hidden";
  EXPECT_TRUE(win::IsIconic(main->Handle()));
}

TEST_F(TrayX11Test, DockedIconReportsClicksAndBalloons) {
  TestTray tray(xvfb.Display());
  ASSERT_TRUE(tray.Ok());
  TbsTrayIcon* t = MakeIcon();
  t->SetPopupMenu(new forms::TPopupMenu(main));
  ASSERT_TRUE(t->AddIcon());
  ASSERT_TRUE(Until([&] { return tray.Docked() != 0; })) << "the tray got no dock request";
  EXPECT_FALSE(t->AddIcon()) << "one icon per id";

  Click(1);
  ASSERT_TRUE(Until([&] { return log.size() >= 2; })) << Joined();
  EXPECT_EQ(Joined(), "down L, up L");
  win::headless::AdvanceClock(win::GetDoubleClickTime() + 10);
  win::headless::Pump();
  EXPECT_EQ(Joined(), "down L, up L, click");

  log.clear();
  ApartFromTheLastClick();
  Click(1, 2);
  ASSERT_TRUE(Until([&] { return log.size() >= 4; })) << Joined();
  win::headless::AdvanceClock(win::GetDoubleClickTime() + 10);
  win::headless::Pump();
  EXPECT_EQ(Joined(), "down L, up L, dblclick, up L");

  log.clear();
  ApartFromTheLastClick();
  Button(3, true);
  ASSERT_TRUE(Until([&] { return log.size() >= 2; })) << Joined();
  Button(3, false);
  ASSERT_TRUE(Until([&] { return log.size() >= 3; })) << Joined();
  EXPECT_EQ(Joined(), "down R, popup, up R");

  EXPECT_TRUE(t->ShowBalloonHint(u"转换完成", u"3 个文件已转换", bsbitInfo));
  EXPECT_TRUE(Until([&] { return !tray.Balloon().empty(); }));
  EXPECT_EQ(tray.Balloon(), "转换完成\n3 个文件已转换");

  Until([] { return false; }, 5);  // let the icon paint
  SaveIconPicture(tray.Docked(), "skin_tray_icon_x11.png");

  EXPECT_TRUE(t->RemoveIcon());
  EXPECT_FALSE(t->RemoveIcon()) << "already gone";
}

TEST_F(TrayX11Test, ANewTrayGetsTheIconAgain) {
  auto tray = std::make_unique<TestTray>(xvfb.Display());
  ASSERT_TRUE(tray->Ok());
  TbsTrayIcon* t = MakeIcon();
  ASSERT_TRUE(t->AddIcon());
  ASSERT_TRUE(Until([&] { return tray->Docked() != 0; }));
  tray.reset();  // the tray goes away ...
  tray = std::make_unique<TestTray>(xvfb.Display());  // ... and another one starts
  ASSERT_TRUE(Until([&] { return tray->Docked() != 0; })) << "the icon was not added again";
  EXPECT_TRUE(t->IconVisible());
  Click(1);
  EXPECT_TRUE(Until([&] { return log.size() >= 2; })) << Joined();
}

}  // namespace
}  // namespace skinmenustest
