// Helpers of the link label and page control tests: a picture of part of
// the form as painted now, and colour searches in it.
#pragma once

#include <cstdint>
#include <vector>

#include "tests/skin/controls/SkinControlsTestUtil.h"

namespace skinctltest {

struct Shot {
  int W = 0, H = 0;
  std::vector<std::uint32_t> Px;  // 0x00RRGGBB
  std::uint32_t At(int x, int y) const { return Px[std::size_t(y) * W + x]; }
  // How many pixels of colour c there are.
  int Count(std::uint32_t c) const {
    int n = 0;
    for (auto p : Px) n += p == c;
    return n;
  }
  // The first row holding colour c, or -1.
  int FirstRow(std::uint32_t c) const {
    for (int y = 0; y < H; ++y)
      for (int x = 0; x < W; ++x)
        if (At(x, y) == c) return y;
    return -1;
  }
  // The longest horizontal run of colour c in any row.
  int LongestRun(std::uint32_t c) const {
    int best = 0;
    for (int y = 0; y < H; ++y)
      for (int x = 0, run = 0; x < W; ++x) {
        run = At(x, y) == c ? run + 1 : 0;
        best = std::max(best, run);
      }
    return best;
  }
};

// A stored skin of the program by name, loaded; the stored skin stays with
// it because the skin data reads its pictures from it.
struct LoadedSkin {
  std::unique_ptr<TbsCompressedStoredSkin> Stored;
  std::unique_ptr<TbsSkinData> Data;
};
inline LoadedSkin LoadStoredSkin(const std::u16string& name) {
  LoadedSkin l;
  const int i = StoredIndex(name);
  if (i < 0) return l;
  l.Stored = StoredFrom(i);
  l.Data = std::make_unique<TbsSkinData>(nullptr);
  l.Data->LoadCompressedStoredSkin(l.Stored.get());
  return l;
}

class PagesTest : public SkinControlsTest {
 protected:
  bool veto = false;
  // The control's rectangle of the form as the form paints it now.
  Shot Grab(forms::TControl* c) {
    gdi::TBitmap b(form->ClientWidth(), form->ClientHeight());
    form->PaintTo(b.Canvas()->Handle(), 0, 0);
    const auto o = form->ScreenToClient(c->ClientToScreen({0, 0}));
    Shot s;
    s.W = c->Width();
    s.H = c->Height();
    s.Px.resize(std::size_t(s.W) * s.H);
    for (int y = 0; y < s.H; ++y)
      for (int x = 0; x < s.W; ++x) s.Px[std::size_t(y) * s.W + x] = b.GetSurface()->GetPixel(o.X + x, o.Y + y) & 0xFFFFFF;
    return s;
  }
};

}  // namespace skinctltest
