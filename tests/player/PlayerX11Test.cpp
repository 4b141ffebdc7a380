// The player on a real X server: SDL's x11 driver draws into the native
// child window of a host control, as in the main window's preview panel.
// Skips without Xvfb.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/ImageFormats.h"
#include "platform/win/Backend.h"
#include "platform/win/WinApi.h"
#include "tests/player/PlayerTestUtils.h"
#include "tests/support/Xvfb.h"

// Last: Xlib's macros (None, Status...) clash with names above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

using namespace player;
using playertest::Media;
using rtl::S;
using rtl::U8;

// SDL 1.2's x11 driver never frees the graphics context it makes for a
// window it does not own (one per video mode set): the library's leak. The
// full allocation stacks (Xlib keeps no frame pointers) let it be told apart.
extern "C" const char* __lsan_default_suppressions() { return "leak:libSDL-1.2.so\n"; }
extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }

namespace {

// Runs the window system's message loop until `done` or twenty seconds (a
// bound for a broken run) pass.
bool PumpUntil(const std::function<bool()>& done) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  win::MSG m;
  while (std::chrono::steady_clock::now() < until) {
    while (win::PeekMessageW(&m, nullptr, 0, 0, win::PM_REMOVE)) {
      win::TranslateMessage(&m);
      win::DispatchMessageW(&m);
    }
    win::FlushWindows();
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return done();
}

class PlayerX11Test : public playertest::PlayerFixture {
 protected:
  void SetUp() override {
    if (!xvfb_.Start()) GTEST_SKIP() << "Xvfb is not available";
    PlayerFixture::SetUp();
    ::setenv("DISPLAY", xvfb_.Display().c_str(), 1);
    ::setenv("SDL_VIDEODRIVER", "x11", 1);
    d_ = XOpenDisplay(xvfb_.Display().c_str());
    ASSERT_NE(d_, nullptr);
    ASSERT_TRUE(win::InitWindowSystem(win::BackendKind::X11));
    win::WNDCLASSW wc{};
    wc.lpfnWndProc = win::DefWindowProcW;
    wc.lpszClassName = u"PlayerX11";
    win::RegisterClassW(&wc);
  }
  void TearDown() override {
    PlayerFixture::TearDown();
    win::ShutdownWindowSystem();
    if (d_) XCloseDisplay(d_);
    playertest::UseHeadlessSDL();
  }

  testsupport::Xvfb xvfb_;
  Display* d_ = nullptr;
};

TEST_F(PlayerX11Test, PicturesReachTheHostsNativeChildWindow) {
  const win::HWND top = win::CreateWindowExW(0, u"PlayerX11", u"", win::WS_POPUP | win::WS_VISIBLE, 20, 20, 260,
                                             180, nullptr, 0, nullptr);
  const win::HWND screen = win::CreateWindowExW(win::WS_EX_FOREIGNVIDEO, u"PlayerX11", u"",
                                                win::WS_CHILD | win::WS_VISIBLE, 10, 10, 200, 124, top, 0, nullptr);
  ASSERT_NE(screen, nullptr);
  const Window child = Window(win::GetNativeWindowId(screen));
  ASSERT_NE(child, 0u);
  ASSERT_TRUE(PumpUntil([&] {
    XWindowAttributes a;
    return XGetWindowAttributes(d_, child, &a) && a.map_state == IsViewable;
  }));
  ASSERT_TRUE(player_->Open(S(Media::Get()("twocolor.mkv")), screen, true)) << U8(player_->LastErrMsg());
  ASSERT_TRUE(rec_.WaitState(psPause));
  // The 64 x 48 picture, fitted to the 200 x 124 window: 164 columns from
  // x 18, a blue band over its top quarter, red below.
  auto pixel = [&](int x, int y) {
    XImage* img = XGetImage(d_, child, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!img) return 0ul;
    const unsigned long v = XGetPixel(img, 0, 0) & 0xFFFFFF;
    XDestroyImage(img);
    return v;
  };
  auto red = [](unsigned long c) { return (c >> 16) > 200 && (c & 0xFFFF) < 0x4040; };
  auto blue = [](unsigned long c) { return (c & 0xFF) > 200 && (c >> 8) < 0x4040; };
  EXPECT_TRUE(PumpUntil([&] { return red(pixel(100, 100)) && blue(pixel(100, 8)) && red(pixel(20, 120)); }))
      << std::hex << pixel(100, 100) << " " << pixel(100, 8) << " " << pixel(20, 120);
  // The window as the server holds it, in the build folder to look at.
  if (XImage* img = XGetImage(d_, child, 0, 0, 200, 124, AllPlanes, ZPixmap)) {
    gdi::TPicture pic;
    gdi::TBitmap* bmp = pic.Bitmap();
    bmp->SetPixelFormat(gdi::pf24bit);
    bmp->SetSize(200, 124);
    for (int y = 0; y < 124; ++y)
      for (int x = 0; x < 200; ++x) {
        const unsigned long c = XGetPixel(img, x, y);
        auto* px = static_cast<uint8_t*>(bmp->ScanLine(y)) + 3 * x;
        px[0] = c & 0xFF;
        px[1] = (c >> 8) & 0xFF;
        px[2] = (c >> 16) & 0xFF;
      }
    XDestroyImage(img);
    pic.SaveToFile(S(TVL_PLAYER_PICTURES "/player-x11-child.png"));
  }
  player_->Stop(true);
  win::DestroyWindow(top);
}

}  // namespace
