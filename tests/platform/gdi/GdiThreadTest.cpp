// The conversion threads draw into their own preview bitmaps (text, fills,
// copies) while the GUI thread paints and makes and drops fonts: the shared
// handle table and font cache must hold up, and each picture must come out
// exactly as it would alone.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Canvas.h"
#include "platform/gdi/Gdi.h"

namespace gdi {
namespace {

// One thread's picture: a fill, a caption in Chinese and Latin, a copy of a
// corner. The same steps give the same pixels on any thread.
std::vector<std::uint32_t> Draw(int seed) {
  TBitmap b(64, 24);
  b.SetPixelFormat(pf32bit);
  TCanvas* c = b.Canvas();
  c->Brush()->SetColor(TColor(0x010203 * (seed % 7 + 1)));
  c->FillRect(rtl::Rect(0, 0, 64, 24));
  c->Font()->SetName(seed % 2 ? u"宋体" : u"Arial");
  c->Font()->SetHeight(-12 - seed % 3);
  c->Font()->SetColor(clWhite);
  c->Brush()->SetStyle(bsClear);
  c->TextOut(1, 1, u"视频 Video");
  TBitmap corner(8, 8);
  corner.Canvas()->CopyRect(rtl::Rect(0, 0, 8, 8), c, rtl::Rect(0, 0, 8, 8));
  c->Draw(40, 10, &corner);
  std::vector<std::uint32_t> px;
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 64; ++x) px.push_back(b.GetSurface()->GetPixel(x, y));
  return px;
}

TEST(GdiThreads, PreviewThreadsDrawWhileTheGuiThreadMakesAndDropsFonts) {
  constexpr int kThreads = 4, kRounds = 15;
  std::vector<std::vector<std::uint32_t>> alone;
  for (int t = 0; t < kThreads; ++t) alone.push_back(Draw(t));
  std::atomic<int> mismatches{0};
  std::vector<std::thread> workers;
  for (int t = 0; t < kThreads; ++t)
    workers.emplace_back([&, t] {
      for (int r = 0; r < kRounds; ++r)
        if (Draw(t) != alone[t]) ++mismatches;
    });
  for (int made = 0; made < 200; ++made) {
    LOGFONTW lf{};
    lf.lfHeight = -10 - made % 20;
    HFONT f = CreateFontIndirect(&lf);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, f);
    SIZE s{};
    EXPECT_TRUE(GetTextExtentPoint32(dc, u"界面", 2, &s));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(f);
  }
  for (auto& w : workers) w.join();
  EXPECT_EQ(mismatches.load(), 0);
}

// Lock/Unlock nest per holder; a stray Unlock (none held, or from a thread
// that does not hold the lock) must neither release nor miscount it.
TEST(GdiThreads, CanvasLocksNestAndStrayUnlocksAreHarmless) {
  TCanvas c;
  auto otherThreadTakes = [&c](bool strayUnlockFirst) {
    bool took = false;
    std::thread([&] {
      if (strayUnlockFirst) c.Unlock();
      took = c.TryLock();
      if (took) c.Unlock();
    }).join();
    return took;
  };
  c.Unlock();
  EXPECT_EQ(c.LockCount(), 0);
  c.Lock();
  c.Lock();
  EXPECT_EQ(c.LockCount(), 2);
  EXPECT_FALSE(otherThreadTakes(true));
  EXPECT_EQ(c.LockCount(), 2);
  c.Unlock();
  EXPECT_FALSE(otherThreadTakes(false));
  c.Unlock();
  c.Unlock();
  EXPECT_EQ(c.LockCount(), 0);
  EXPECT_TRUE(otherThreadTakes(true));
  EXPECT_TRUE(c.TryLock());
  EXPECT_EQ(c.LockCount(), 1);
  c.Unlock();
}

}  // namespace
}  // namespace gdi
