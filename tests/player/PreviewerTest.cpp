// The live-preview window: its first frame opens it centred at the picture's
// size with the time as caption, the picture can drag it, and closing it
// ends the previews of that conversion only.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "engine/FFmpegVCL.h"
#include "engine/Previewer.h"
#include "platform/gdi/Bitmap.h"
#include "platform/rtl/Threads.h"
#include "platform/win/Backend.h"
#include "platform/win/Headless.h"
#include "platform/win/WinApi.h"
#include "tests/player/PlayerTestUtils.h"

using namespace engine;

namespace {

using Clock = std::chrono::steady_clock;

class PreviewerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rtl::InitMainThread();
    win::InitWindowSystem(win::BackendKind::Headless);
    playertest::LoadPlayerLibraries();
  }
  static void Pump() {
    rtl::CheckSynchronize(2);
    win::headless::Pump();
  }
  static bool PumpUntil(const std::function<bool()>& APred, int ASeconds = 30) {
    const auto end = Clock::now() + std::chrono::seconds(ASeconds);
    while (!APred()) {
      if (Clock::now() > end) return false;
      Pump();
    }
    return true;
  }
  // The preview windows now open.
  static std::vector<win::HWND> PreviewWindows() {
    std::vector<win::HWND> found;
    for (win::HWND h = win::GetTopWindow(nullptr); h; h = win::GetWindow(h, win::GW_HWNDNEXT)) {
      char16_t name[64] = {};
      win::GetClassNameW(h, name, 64);
      if (rtl::String(name) == u"TPreviewer" && win::IsWindowVisible(h)) found.push_back(h);
    }
    return found;
  }
};

std::unique_ptr<gdi::TBitmap> Solid(int w, int h, uint8_t b, uint8_t g, uint8_t r) {
  auto bmp = std::make_unique<gdi::TBitmap>();
  bmp->SetPixelFormat(gdi::pf24bit);
  bmp->SetSize(w, h);
  for (int y = 0; y < h; ++y) {
    auto* row = static_cast<uint8_t*>(bmp->ScanLine(y));
    for (int x = 0; x < w; ++x) {
      row[3 * x] = b;
      row[3 * x + 1] = g;
      row[3 * x + 2] = r;
    }
    if (y < h / 4)
      for (int x = 0; x < w; ++x) row[3 * x] = 255, row[3 * x + 1] = 0, row[3 * x + 2] = 0;
  }
  return bmp;
}

TEST_F(PreviewerTest, FirstFrameOpensACentredWindowThatClosesForGood) {
  auto previewer = std::make_unique<TPreviewer>();
  auto frame = Solid(320, 240, 0, 0, 255);
  std::atomic<int> result{-1};
  auto paint = [&](int64_t pts) {
    result = -1;
    std::thread t([&] { result = previewer->PaintFrame(frame.get(), 1, pts) ? 1 : 0; });
    EXPECT_TRUE(PumpUntil([&] { return result.load() >= 0; }));
    t.join();
  };
  paint(3723456789);
  EXPECT_EQ(result.load(), 1);
  const win::HWND h = previewer->FormHandle();
  ASSERT_NE(h, nullptr);
  win::RECT client{}, window{};
  win::GetClientRect(h, &client);
  win::GetWindowRect(h, &window);
  EXPECT_EQ(client.Right, 320);
  EXPECT_EQ(client.Bottom, 240);
  EXPECT_NEAR((window.Left + window.Right) / 2, 640, 2);
  EXPECT_EQ(rtl::U8(win::GetWindowText(h)), "01:02:03.456");
  win::headless::Pump();
  EXPECT_TRUE(win::headless::RenderToPng(h, TVL_PLAYER_PICTURES "/preview-window.png"));
  win::POINT centre{160, 180};
  win::ClientToScreen(h, &centre);
  const gdi::Surface* back = win::headless::BackBuffer(h);
  ASSERT_NE(back, nullptr);
  const int bx = centre.X - window.Left, by = centre.Y - window.Top;
  const uint8_t* px = back->Row(by) + 4 * bx;
  EXPECT_GT(px[2], 200) << "red picture";
  EXPECT_LT(px[1], 50);

  // Dragging the picture moves the window.
  win::POINT grab{100, 100};
  win::ClientToScreen(h, &grab);
  win::headless::MouseMove(grab);
  win::headless::MouseDown(grab);
  win::headless::MouseMove({grab.X + 30, grab.Y + 20});
  win::headless::MouseUp({grab.X + 30, grab.Y + 20});
  win::headless::Pump();
  win::RECT moved{};
  win::GetWindowRect(h, &moved);
  EXPECT_EQ(moved.Left - window.Left, 30);
  EXPECT_EQ(moved.Top - window.Top, 20);

  win::PostMessageW(h, win::WM_CLOSE, 0, 0);
  win::headless::Pump();
  EXPECT_FALSE(win::IsWindow(h));
  paint(3800000000);
  EXPECT_EQ(result.load(), 0) << "closed by the user: no more frames";
  EXPECT_TRUE(PreviewWindows().empty());
  previewer.reset();
  Pump();
}

TEST_F(PreviewerTest, AFrameOnItsWayWhenThePreviewIsDroppedOpensNoWindow) {
  // The conversion thread took the window's state, then the preview was
  // turned off (the previewer freed) before its frame reached the GUI thread:
  // with a window open already, and before the first one.
  auto frame = Solid(64, 48, 0, 0, 255);
  for (bool opened : {true, false}) {
    SCOPED_TRACE(opened ? "window open" : "no window yet");
    auto previewer = std::make_unique<TPreviewer>();
    std::shared_ptr<TPreviewWindow> state = previewer->Share();
    std::atomic<int> result{-1};
    auto paint = [&] {
      result = -1;
      std::thread t([&] { result = state->PaintFrame(frame.get(), 1, 40000) ? 1 : 0; });
      EXPECT_TRUE(PumpUntil([&] { return result.load() >= 0; }));
      t.join();
    };
    if (opened) {
      paint();
      ASSERT_EQ(PreviewWindows().size(), 1u);
    }
    previewer.reset();
    paint();
    for (int i = 0; i < 10; ++i) Pump();
    EXPECT_TRUE(PreviewWindows().empty()) << "no window once the preview is off";
    EXPECT_EQ(state->FFormHandle.load(), nullptr);
  }
}

TEST_F(PreviewerTest, ConversionPreviewPaintsFramesAndItsCloseStopsThePreviewOnly) {
  const std::string in = playertest::Media::Get()("video.mkv");
  const std::string dir = std::filesystem::path(in).parent_path().string();
  TFFmpegVCL vcl(nullptr);
  std::atomic<bool> done{false};
  std::atomic<int> finished{0};
  vcl.OnTerminate = [&](rtl::TObject*, const TTerminateInfo& AInfo) {
    if (AInfo.TaskIndex == -1)
      done = true;
    else if (AInfo.Finished && !AInfo.Exception)
      ++finished;
  };
  vcl.SetPreview(true);
  for (int i = 0; i < 2; ++i) {
    const int task = vcl.AddTask(rtl::S(in));
    ASSERT_GE(task, 0);
    TOutputOptions opts;
    opts.VideoCodec = u"mpeg4";
    opts.ExtOptions = u"re=1";  // real-time pace: the preview lives long enough to be seen
    ASSERT_TRUE(vcl.SetOutputFile(task, rtl::S(dir + "/preview" + std::to_string(i) + ".avi"), &opts))
        << rtl::U8(vcl.LastErrMsg());
  }
  vcl.Start(1);
  ASSERT_TRUE(PumpUntil([&] { return !PreviewWindows().empty(); }));
  const win::HWND first = PreviewWindows().front();
  PumpUntil([&] { return rtl::U8(win::GetWindowText(first)) >= "00:00:00.400"; }, 5);
  const std::string caption = rtl::U8(win::GetWindowText(first));
  EXPECT_EQ(caption.size(), 12u) << caption;
  win::headless::Pump();
  EXPECT_TRUE(win::headless::RenderToPng(first, TVL_PLAYER_PICTURES "/preview-conversion.png"));
  win::PostMessageW(first, win::WM_CLOSE, 0, 0);
  // The first task goes on without a window; the second opens its own.
  ASSERT_TRUE(PumpUntil([&] { return done.load(); }, 60));
  EXPECT_EQ(finished.load(), 2);
  EXPECT_FALSE(win::IsWindow(first));
  for (int i = 0; i < 20; ++i) Pump();
  EXPECT_TRUE(PreviewWindows().empty()) << "each conversion's window goes with its end";
}

}  // namespace
