// Layered glow windows on the headless window system, which answers as a
// display with or without a compositor.
#include "ImagesTestUtil.h"
#include "platform/win/Backend.h"
#include "platform/win/Headless.h"
#include "platform/win/WinApi.h"
#include "skin/images/bsLayerManager.h"
#include "skin/images/bsUtils.h"

namespace {

using namespace skin;

class LayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::InitWindowSystem(win::BackendKind::Headless);
    win::headless::UseFakeClock(true);
    win::headless::SimulateLayering(true);
    imgtest::Fill(image, 8, 6, [](int x, int y) { return 0xFF000000u | std::uint32_t(x * 30) << 16 | std::uint32_t(y * 40); });
    imgtest::Fill(mask, 8, 6, [](int x, int) { return x < 4 ? 0xFFFFFFFFu : 0xFF303030u; });
  }
  void TearDown() override {
    win::headless::SimulateLayering(false);
    win::ShutdownWindowSystem();
  }
  // Runs the fade timer once and returns the alpha shown.
  int Tick() {
    win::headless::AdvanceClock(TbsLayerManager::kFadeInterval);
    win::headless::Pump();
    return mgr.BeginAlphaBlendValue();
  }
  gdi::TBitmap image, mask;
  TbsLayerManager mgr{nullptr};
};

TEST_F(LayerTest, ShowMakesAClickThroughInactiveWindowWithTheMasksAlpha) {
  win::HWND before = win::GetActiveWindow();
  mgr.Show(100, 80, &image, &mask, 200);
  ASSERT_TRUE(mgr.IsVisible());
  ASSERT_NE(mgr.LayerWindow(), nullptr);
  const win::HWND h = mgr.LayerWindow()->Handle();
  EXPECT_TRUE(win::IsWindowVisible(h));
  EXPECT_EQ(win::GetActiveWindow(), before);
  const auto ex = win::GetWindowLongPtrW(h, win::GWL_EXSTYLE);
  EXPECT_TRUE(ex & win::WS_EX_LAYERED);
  EXPECT_TRUE(ex & win::WS_EX_TRANSPARENT);
  EXPECT_TRUE(ex & win::WS_EX_TOPMOST);
  win::RECT r;
  win::GetWindowRect(h, &r);
  EXPECT_EQ(r, rtl::Rect(100, 80, 108, 86));
  EXPECT_NE(win::WindowFromPoint({102, 82}), h);  // clicks pass through
  EXPECT_EQ(mgr.Bmp()->Pixel(1, 0) >> 24, 0xFFu);
  EXPECT_EQ(mgr.Bmp()->Pixel(5, 0) >> 24, 0x30u);
  win::headless::Pump();
  const gdi::Surface* bb = win::headless::BackBuffer(h);
  ASSERT_NE(bb, nullptr);
  EXPECT_EQ(bb->GetPixel(5, 2), 0x30000000u | std::uint32_t(150) << 16 | 80);
  gdi::BYTE alpha = 99;
  win::GetLayeredWindowAttributes(h, nullptr, &alpha, nullptr);
  EXPECT_EQ(alpha, 0);  // in place, fully transparent, before the fade
}

TEST_F(LayerTest, FadeStepsToTheEndValueAndStops) {
  mgr.Show(0, 0, &image, &mask, 200);
  EXPECT_EQ(mgr.StepAlphaBlendValue(), 20);
  for (int k = 1; k <= 10; ++k) EXPECT_EQ(Tick(), 20 * k);
  EXPECT_FALSE(mgr.TimerEnabled());
  gdi::BYTE alpha = 0;
  win::GetLayeredWindowAttributes(mgr.LayerWindow()->Handle(), nullptr, &alpha, nullptr);
  EXPECT_EQ(alpha, 200);
  EXPECT_EQ(Tick(), 200);

  mgr.Show(0, 0, &image, &mask, 255);
  std::vector<int> seen;
  while (mgr.TimerEnabled() && seen.size() < 20) seen.push_back(Tick());
  ASSERT_EQ(seen.size(), 11u);
  EXPECT_EQ(seen[9], 250);
  EXPECT_EQ(seen[10], 255);

  mgr.Show(0, 0, &image, &mask, 5);  // a faint target still ends
  for (int k = 0; k < 5; ++k) Tick();
  EXPECT_EQ(mgr.BeginAlphaBlendValue(), 5);
  EXPECT_FALSE(mgr.TimerEnabled());
}

TEST_F(LayerTest, ShowTwiceLeavesOneWindowAndHideLeavesNothing) {
  mgr.Show(0, 0, &image, &mask, 200);
  const win::HWND first = mgr.LayerWindow()->Handle();
  mgr.Show(10, 10, &image, &mask, 200);
  EXPECT_FALSE(win::IsWindow(first));
  const win::HWND second = mgr.LayerWindow()->Handle();
  EXPECT_TRUE(win::IsWindow(second));
  mgr.Hide();
  EXPECT_FALSE(mgr.IsVisible());
  EXPECT_EQ(mgr.LayerWindow(), nullptr);
  EXPECT_EQ(mgr.Bmp(), nullptr);
  EXPECT_FALSE(mgr.TimerEnabled());
  EXPECT_FALSE(win::IsWindow(second));
  Tick();  // no timer left to fire
}

TEST_F(LayerTest, WithoutACompositorNothingHappens) {
  win::headless::SimulateLayering(false);
  EXPECT_FALSE(IsLayeringSupported());
  mgr.Show(0, 0, &image, &mask, 200);
  EXPECT_FALSE(mgr.IsVisible());
  EXPECT_EQ(mgr.LayerWindow(), nullptr);
  mgr.Hide();
  win::headless::SimulateLayering(true);
  EXPECT_TRUE(IsLayeringSupported());
}

TEST_F(LayerTest, ManagerOwnedByAComponentGoesWithItsWindow) {
  auto owner = std::make_unique<rtl::TComponent>(nullptr);
  auto* m = new TbsLayerManager(owner.get());
  m->SetTopMostMode(false);
  m->Show(0, 0, &image, nullptr, 100);  // no mask: the image's own (opaque) alpha
  const win::HWND h = m->LayerWindow()->Handle();
  EXPECT_FALSE(win::GetWindowLongPtrW(h, win::GWL_EXSTYLE) & win::WS_EX_TOPMOST);
  EXPECT_EQ(m->Bmp()->Pixel(7, 5) >> 24, 0xFFu);
  owner.reset();
  EXPECT_FALSE(win::IsWindow(h));
}

TEST_F(LayerTest, ConstantAlphaOfAWholeWindow) {
  mgr.Show(0, 0, &image, &mask, 200);
  const win::HWND h = mgr.LayerWindow()->Handle();
  SetWindowAlphaValue(h, 77);
  gdi::BYTE alpha = 0;
  win::GetLayeredWindowAttributes(h, nullptr, &alpha, nullptr);
  EXPECT_EQ(alpha, 77);
}

TEST_F(LayerTest, WorkAreasOfTheScreen) {
  win::headless::SetScreen(rtl::Rect(0, 0, 1024, 768), rtl::Rect(0, 30, 1024, 768));
  TRect r{1, 2, 3, 4};
  GetScreenWorkArea(false, r);
  EXPECT_EQ(r, rtl::Rect(0, 0, 1024, 768));
  GetScreenWorkArea(true, r);
  EXPECT_EQ(r, rtl::Rect(0, 30, 1024, 768));
  TRect m;
  GetMonitorWorkArea(nullptr, true, m);  // one monitor: the primary work area
  EXPECT_EQ(m, r);
}

}  // namespace
