// The skinned frame on a real display (a private Xvfb, no window manager):
// the window's shape is the skin mask, a drag on the caption with xdotool
// moves it, and its minimize button iconifies the main form. Skips when
// Xvfb or xdotool is not installed.
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

#include <gtest/gtest.h>

#include "FrameTestUtil.h"
#include "platform/win/Backend.h"

// Xlib last: its macros would break the headers above.
#include <X11/Xlib.h>
#include <X11/extensions/shape.h>
#include "tests/support/Xvfb.h"

namespace frametest {
namespace {

class FrameX11Test : public ::testing::Test {
 protected:
  bool Start() {
    if (access("/usr/bin/xdotool", X_OK) != 0 || !xvfb.Start("1024x768x24")) return false;
    setenv("DISPLAY", xvfb.Display().c_str(), 1);
    d = XOpenDisplay(xvfb.Display().c_str());
    if (!d || !win::InitWindowSystem(win::BackendKind::X11)) return false;
    forms::InitForms();
    return true;
  }
  void TearDown() override {
    if (d) {
      forms::DoneForms();
      sd.reset();
      win::ShutdownWindowSystem();
      XCloseDisplay(d);
    }
  }
  // Runs the program's messages until done() or about 5 seconds.
  bool PumpUntil(const std::function<bool()>& done) {
    for (int i = 0; i < 500; ++i) {
      forms::Application->ProcessMessages();
      if (done()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return done();
  }
  void XdoTool(const std::string& args) {
    std::string cmd = "DISPLAY=" + xvfb.Display() + " xdotool " + args + " >/dev/null 2>&1 &";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
  }
  bool Viewable(Window w) {
    XWindowAttributes a;
    return XGetWindowAttributes(d, w, &a) && a.map_state == IsViewable;
  }

  testsupport::Xvfb xvfb;
  Display* d = nullptr;
  std::unique_ptr<TbsSkinData> sd;
};

TEST_F(FrameX11Test, ShapeDragAndMinimize) {
  if (!Start()) GTEST_SKIP() << "Xvfb or xdotool is not available";
  auto* main = forms::Application->CreateForm<TForm>();
  main->SetBounds(100, 100, 600, 500);
  main->SetCaption(u"Frame");
  main->AfterConstruction();
  auto* bsf = new TbsBusinessSkinForm(main);
  sd = std::make_unique<TbsSkinData>(nullptr);
  MakeFrameSkin(*sd);
  bsf->SetSkinData(sd.get());
  bsf->SetBorderIcons({biMinimize});
  main->Show();
  const Window xid = Window(win::GetNativeWindowId(main->Handle()));
  ASSERT_NE(xid, 0u);
  ASSERT_TRUE(PumpUntil([&] { return Viewable(xid); }));

  // The bounding shape is the mask: the corners' triangles are cut off.
  int count = 0, ordering = 0;
  XRectangle* rects = XShapeGetRectangles(d, xid, ShapeBounding, &count, &ordering);
  ASSERT_NE(rects, nullptr);
  auto inside = [&](int x, int y) {
    for (int i = 0; i < count; ++i)
      if (x >= rects[i].x && x < rects[i].x + rects[i].width && y >= rects[i].y && y < rects[i].y + rects[i].height)
        return true;
    return false;
  };
  EXPECT_FALSE(inside(0, 0));
  EXPECT_FALSE(inside(599, 499));
  EXPECT_TRUE(inside(300, 0));
  EXPECT_TRUE(inside(300, 250));
  EXPECT_TRUE(inside(0, 250));
  XFree(rects);

  // A drag on the caption moves the window by the pointer's way.
  XdoTool("mousemove 400 115 sleep 0.3 mousedown 1 sleep 0.3 mousemove 380 130 sleep 0.3 mousemove 350 145 "
          "sleep 0.3 mouseup 1");
  ASSERT_TRUE(PumpUntil([&] { return main->Left() == 50 && main->Top() == 130; }))
      << main->Left() << "," << main->Top();
  win::RECT r;
  win::GetWindowRect(main->Handle(), &r);
  EXPECT_EQ(r.Left, 50);
  EXPECT_EQ(r.Top, 130);

  // The minimize button (left of the close button) iconifies the main form.
  XdoTool("mousemove 598 145 sleep 0.3 click 1");
  ASSERT_TRUE(PumpUntil([&] { return win::IsIconic(main->Handle()) != 0; }));
  EXPECT_TRUE(PumpUntil([&] { return !Viewable(xid); }));
}


TEST_F(FrameX11Test, AboutBoxSnapsToTheScreenEdgeWhileDragged) {
  if (!Start()) GTEST_SKIP() << "Xvfb or xdotool is not available";
  auto* main = forms::Application->CreateForm<TForm>();
  main->SetBounds(500, 400, 300, 200);
  main->AfterConstruction();
  main->Show();
  auto* about = new TForm(forms::Application);
  about->SetBounds(100, 100, 600, 500);
  about->SetBorderStyle(forms::bsSingle);
  about->AfterConstruction();
  auto* bsf = new TbsBusinessSkinForm(about);
  sd = std::make_unique<TbsSkinData>(nullptr);
  MakeFrameSkin(*sd);
  bsf->SetSkinData(sd.get());
  bsf->Magnetic = true;
  bsf->MagneticSize = 10;
  bsf->SetBorderIcons({biRollUp});
  about->Show();
  const Window xid = Window(win::GetNativeWindowId(about->Handle()));
  ASSERT_TRUE(PumpUntil([&] { return Viewable(xid); }));
  // The left edge comes within 9 pixels of the screen's: it snaps to 0.
  XdoTool("mousemove 400 115 sleep 0.3 mousedown 1 sleep 0.3 mousemove 350 115 sleep 0.3 mousemove 309 115 "
          "sleep 0.3 mouseup 1");
  ASSERT_TRUE(PumpUntil([&] { return about->Left() == 0; })) << about->Left();
  EXPECT_EQ(about->Top(), 100);
}

}  // namespace
}  // namespace frametest
