// Layered glow windows on a real display: a private Xvfb with a compositor.
// Skips when Xvfb or xcompmgr is not installed.
#include <stdlib.h>

#include <chrono>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "ImagesTestUtil.h"
#include "platform/win/Backend.h"
#include "platform/win/WinApi.h"
#include "skin/images/bsLayerManager.h"
#include "skin/images/bsUtils.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/Xvfb.h"

#include <X11/Xlib.h>  // last: its macros clash with the headers above
#include <X11/Xutil.h>

namespace {

bool PumpUntil(const std::function<bool()>& done) {
  // A bound for a broken run on a loaded machine, not a measurement.
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < until) {
    win::ProcessPendingMessages();
    win::FlushWindows();
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

TEST(LayerX11, GlowWindowShowsTheImageWithTheMasksAlpha) {
  testsupport::Xvfb xvfb;
  if (!xvfb.Start("320x240x24")) GTEST_SKIP() << "Xvfb is not available";
  const std::string display = xvfb.Display();
  setenv("DISPLAY", display.c_str(), 1);
  testsupport::ChildProcess comp;
  if (!comp.Start("/usr/bin/xcompmgr", {"-d", display})) GTEST_SKIP() << "xcompmgr is not available";
  ASSERT_TRUE(win::InitWindowSystem(win::BackendKind::X11));
  ASSERT_TRUE(PumpUntil([] { return skin::IsLayeringSupported(); }));

  gdi::TBitmap image, mask;
  imgtest::Fill(image, 16, 8, [](int, int) { return 0xFF204060u; });
  imgtest::Fill(mask, 16, 8, [](int x, int) { return x < 8 ? 0xFFFFFFFFu : 0xFF404040u; });
  {
    skin::TbsLayerManager mgr(nullptr);
    mgr.Show(30, 40, &image, &mask, 200);
    ASSERT_NE(mgr.LayerWindow(), nullptr);
    EXPECT_TRUE(PumpUntil([&] { return !mgr.TimerEnabled(); }));  // the fade ran on real timers
    EXPECT_EQ(mgr.BeginAlphaBlendValue(), 200);
    Display* d = XOpenDisplay(display.c_str());
    ASSERT_NE(d, nullptr);
    const Window xw = Window(win::GetNativeWindowId(mgr.LayerWindow()->Handle()));
    ASSERT_NE(xw, 0u);
    bool ok = PumpUntil([&] {
      XImage* img = XGetImage(d, xw, 0, 0, 16, 8, AllPlanes, ZPixmap);
      if (!img) return false;
      const bool eq = img->depth == 32 && XGetPixel(img, 2, 2) == 0xFF204060ul && XGetPixel(img, 12, 2) == 0x40204060ul;
      XDestroyImage(img);
      return eq;
    });
    EXPECT_TRUE(ok);
    mgr.Hide();
    EXPECT_EQ(mgr.LayerWindow(), nullptr);
    XCloseDisplay(d);
  }
  win::ShutdownWindowSystem();
}

}  // namespace
