// The skinned frame on a real display (a private Xvfb, no window manager;
// xcompmgr for the layered border):
// the window's shape is the skin mask, a drag on the caption with xdotool
// moves it, and its minimize button iconifies the main form. Skips when
// Xvfb or xdotool is not installed.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <thread>

#include <gtest/gtest.h>

#include "FrameTestUtil.h"
#include "platform/win/Backend.h"
#include "skin/forms/bsFormLayerBorder.h"
#include "skin/images/bsLayerManager.h"
#include "skin/images/bsUtils.h"

// Xlib last: its macros would break the headers above.
#include <X11/Xlib.h>
#include <X11/extensions/shape.h>
#include "tests/support/Xvfb.h"

extern char** environ;

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

// Stored skin 3 under a compositor: every bordered window gets a soft
// shadow of four layered windows that darkens what lies around the window,
// leaves the window itself opaque and lets the pointer through.
TEST_F(FrameX11Test, StoredSkinThreeShadowBorderUnderACompositor) {
  if (!Start()) GTEST_SKIP() << "Xvfb or xdotool is not available";
  pid_t comp = -1;
  std::vector<std::string> argv{"/usr/bin/xcompmgr", "-d", xvfb.Display()};
  std::vector<char*> a;
  for (auto& x : argv) a.push_back(x.data());
  a.push_back(nullptr);
  if (access(a[0], X_OK) != 0 || posix_spawn(&comp, a[0], nullptr, nullptr, a.data(), environ) != 0)
    GTEST_SKIP() << "xcompmgr is not available";
  struct Stop {
    pid_t pid;
    ~Stop() {
      kill(pid, SIGTERM);
      waitpid(pid, nullptr, 0);
    }
  } stop{comp};
  ASSERT_TRUE(PumpUntil([] { return skin::IsLayeringSupported(); }));

  auto stored = StoredFrom(3);
  sd = std::make_unique<TbsSkinData>(nullptr);
  sd->LoadCompressedStoredSkin(stored.get());
  ASSERT_NE(sd->LayerFrame->PictureIndex, -1);
  auto* form = new TForm(forms::Application);
  form->SetBounds(300, 200, 400, 300);
  form->SetBorderStyle(forms::bsSizeable);
  form->SetCaption(u"Mac风格");
  form->AfterConstruction();
  auto* bsf = new TbsBusinessSkinForm(form);
  bsf->SetSkinData(sd.get());
  form->Show();
  TbsFormLayerBorder* b = bsf->BorderLayer();
  ASSERT_TRUE(PumpUntil([&] { return b->FVisible && b->BottomBorder && b->LeftBorder; }));
  ASSERT_TRUE(bsf->IsLayeredBorderInUse());
  // The box: the picture's window rectangle (27, 24, 164, 132) on the form.
  win::RECT r;
  win::GetWindowRect(b->TopBorder->Handle(), &r);
  EXPECT_EQ(r.Left, 300 - 27);
  EXPECT_EQ(r.Top, 200 - 24);
  win::GetWindowRect(b->BottomBorder->Handle(), &r);
  EXPECT_EQ(r.Bottom, 200 + 300 + (160 - 132));

  // The strips carry the shadow's alpha, scaled by the active alpha 120.
  const Window bottom = Window(win::GetNativeWindowId(b->BottomBorder->Handle()));
  auto alphaAt = [&](Window w, int x, int y) {
    XImage* img = XGetImage(d, w, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!img) return -1;
    const int alpha = img->depth == 32 ? int(XGetPixel(img, 0, 0) >> 24) : -1;
    XDestroyImage(img);
    return alpha;
  };
  win::GetWindowRect(b->BottomBorder->Handle(), &r);
  const int below = 200 + 300 - r.Top;  // the form's bottom edge in the strip
  EXPECT_TRUE(PumpUntil([&] { return alphaAt(bottom, 200, below + 3) > 60; })) << alphaAt(bottom, 200, below + 3);
  EXPECT_LT(alphaAt(bottom, 200, r.Bottom - r.Top - 1), alphaAt(bottom, 200, below + 3));
  EXPECT_EQ(alphaAt(bottom, 200, below - 2), 0) << "the form itself is not covered";

  // On the screen (the compositor's grey desktop): darker beside the window
  // than far away from it, and the window itself drawn opaque.
  auto screenRed = [&](int x, int y) {
    XImage* img = XGetImage(d, DefaultRootWindow(d), x, y, 1, 1, AllPlanes, ZPixmap);
    if (!img) return -1;
    const int red = int(XGetPixel(img, 0, 0) >> 16 & 0xFF);
    XDestroyImage(img);
    return red;
  };
  EXPECT_TRUE(PumpUntil([&] { return screenRed(500, 503) >= 0 && screenRed(500, 503) < screenRed(500, 600) - 30; }))
      << screenRed(500, 503) << " below, " << screenRed(500, 600) << " further away";
  EXPECT_LT(screenRed(703, 350), screenRed(900, 350) - 20) << "beside the right edge too";
  EXPECT_EQ(screenRed(500, 600), screenRed(900, 350)) << "nothing far away";
  EXPECT_TRUE(PumpUntil([&] { return screenRed(500, 400) > 0xC0; })) << "the form itself shows: " << screenRed(500, 400);
  const std::string png = PictureDir() + "/frame_x11_layer_border_skin3.png";
  std::system(("import -display " + xvfb.Display() + " -window root " + png + " >/dev/null 2>&1").c_str());

  // No band reacts to the mouse: every strip's input shape is empty, so the
  // pointer reaches what lies below; the strips never take the focus.
  for (TbsFormLayerWindow* w : {b->TopBorder, b->BottomBorder, b->LeftBorder, b->RightBorder}) {
    int count = -1, ordering = 0;
    XRectangle* rects =
        XShapeGetRectangles(d, Window(win::GetNativeWindowId(w->Handle())), ShapeInput, &count, &ordering);
    EXPECT_EQ(count, 0);
    if (rects) XFree(rects);
    EXPECT_EQ(w->Perform(win::WM_MOUSEACTIVATE, 0, 0), win::MA_NOACTIVATE);
  }

  // The skin's caption buttons glow under the pointer: a halo around the
  // close button, clear over the button itself.
  TbsActiveSkinObject* close = bsf->Objects(bsf->GetIndex(u"closebutton"));
  ASSERT_NE(close->GlowLayerPictureIndex, -1);
  const TRect cr = close->ScreenRect();
  XdoTool("mousemove " + std::to_string(cr.Left + cr.Width() / 2) + " " + std::to_string(cr.Top + cr.Height() / 2));
  ASSERT_TRUE(PumpUntil([&] { return bsf->LayerManager()->LayerWindow() && !bsf->LayerManager()->TimerEnabled(); }));
  const Window glow = Window(win::GetNativeWindowId(bsf->LayerManager()->LayerWindow()->Handle()));
  win::RECT gr;
  win::GetWindowRect(bsf->LayerManager()->LayerWindow()->Handle(), &gr);
  EXPECT_EQ(gr.Left, cr.Left - close->GlowLayerOffsetX);
  EXPECT_EQ(gr.Top, cr.Top - close->GlowLayerOffsetY);
  EXPECT_GT(alphaAt(glow, cr.Width() / 2 + close->GlowLayerOffsetX, close->GlowLayerOffsetY - 1), 100) << "the halo";
  EXPECT_EQ(alphaAt(glow, cr.Width() / 2 + close->GlowLayerOffsetX, cr.Height() / 2 + close->GlowLayerOffsetY), 0)
      << "clear over the button";
  std::system(("import -display " + xvfb.Display() + " -window root " + PictureDir() +
               "/frame_x11_glow_skin3.png >/dev/null 2>&1")
                  .c_str());
}

}  // namespace
}  // namespace frametest
