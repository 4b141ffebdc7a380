// Icons and cursors: objects made from bitmaps or planes, drawn with their
// alpha or masks, handed to the back end as window icons and cursors.
#include <algorithm>
#include <cmath>
#include <filesystem>

#include "tests/platform/win/WinTestUtil.h"

namespace wintest {
namespace {

class Icons : public WinTest {
 protected:
  // A 32-bit bitmap of the given 0xAARRGGBB pixels (row by row).
  static gdi::HBITMAP Colour(int w, int h, const std::vector<std::uint32_t>& px) {
    auto s = std::make_unique<gdi::Surface>(w, h, 32);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) s->Row32(y)[x] = px[std::size_t(y) * w + x];
    return gdi::CreateBitmapFromSurface(std::move(s));
  }
  // A 1-bit mask from '#' (set) and '.' rows.
  static gdi::HBITMAP Mask(const std::vector<std::string>& rows) {
    auto s = std::make_unique<gdi::Surface>(int(rows[0].size()), int(rows.size()), 1);
    s->Palette() = {0x000000, 0xFFFFFF};
    for (int y = 0; y < int(rows.size()); ++y)
      for (int x = 0; x < int(rows[0].size()); ++x) s->SetPixel(x, y, rows[y][x] == '#' ? 0xFFFFFFFFu : 0xFF000000u);
    return gdi::CreateBitmapFromSurface(std::move(s));
  }
  static void Delete(gdi::HBITMAP b) { gdi::DeleteObject(reinterpret_cast<gdi::HGDIOBJ>(b)); }

  HICON Make(const std::vector<std::uint32_t>& colour, const std::vector<std::string>& mask, int w, int h) {
    ICONINFO ii;
    ii.hbmMask = Mask(mask);
    ii.hbmColor = colour.empty() ? nullptr : Colour(w, h, colour);
    HICON icon = CreateIconIndirect(&ii);
    Delete(ii.hbmMask);  // the icon keeps its own copies
    if (ii.hbmColor) Delete(ii.hbmColor);
    return icon;
  }

  // A memory DC over a w x h surface filled with `bg` (0xRRGGBB, alpha 255).
  struct Canvas {
    HDC dc;
    gdi::HBITMAP bmp;
    Canvas(int w, int h, std::uint32_t bg) {
      dc = gdi::CreateCompatibleDC(nullptr);
      bmp = Colour(w, h, std::vector<std::uint32_t>(std::size_t(w) * h, 0xFF000000u | bg));
      gdi::SelectObject(dc, reinterpret_cast<gdi::HGDIOBJ>(bmp));
    }
    ~Canvas() {
      gdi::DeleteDC(dc);
      Delete(bmp);
    }
    std::uint32_t At(int x, int y) const { return gdi::GetBitmapSurface(bmp)->GetPixel(x, y) & 0xFFFFFF; }
  };
};

TEST_F(Icons, DrawIconExBlendsAlphaOrAppliesMasks) {
  const std::uint32_t white = 0xFFFFFF, grey = 0x808080;
  // Alpha icon 2x1: half-transparent red, clear. Its mask is ignored.
  HICON alpha = Make({0x80FF0000u, 0x0000FF00u}, {"..", ".."}, 2, 1);
  // Masked icon 3x1 (no alpha): opaque blue, transparent, inverted.
  HICON masked = Make({0x000000FFu, 0x00000000u, 0x00FFFFFFu}, {".##"}, 3, 1);
  // Monochrome 2x1: black, white (AND mask above XOR mask).
  HICON mono = Make({}, {"..", ".#"}, 2, 1);
  ASSERT_TRUE(alpha && masked && mono);
  struct Case {
    const char* what;
    HICON icon;
    int cx;
    UINT flags;
    std::uint32_t bg;
    std::vector<std::uint32_t> want;  // pixels from x = 0 on row 0
  } cases[] = {
      {"alpha blended", alpha, 0, DI_NORMAL, white, {0xFF7F7F, white}},
      {"alpha stretched", alpha, 4, DI_NORMAL, white, {0xFF7F7F, 0xFF7F7F, white, white}},
      {"masked: opaque, transparent, inverted", masked, 0, DI_NORMAL, grey, {0x0000FF, grey, 0x7F7F7F}},
      {"mask alone is copied", masked, 0, DI_MASK, grey, {0x000000, 0xFFFFFF, 0xFFFFFF}},
      {"image alone is copied", masked, 0, DI_IMAGE, grey, {0x0000FF, 0x000000, 0xFFFFFF}},
      {"monochrome", mono, 0, DI_NORMAL, grey, {0x000000, 0xFFFFFF}},
  };
  for (const Case& c : cases) {
    Canvas cv(6, 2, c.bg);
    EXPECT_TRUE(DrawIconEx(cv.dc, 0, 0, c.icon, c.cx, c.cx ? 1 : 0, 0, nullptr, c.flags)) << c.what;
    for (std::size_t x = 0; x < c.want.size(); ++x)
      EXPECT_NEAR(double(cv.At(int(x), 0) >> 16), double(c.want[x] >> 16), 1) << c.what << " x=" << x;
    for (std::size_t x = 0; x < c.want.size(); ++x)
      EXPECT_NEAR(double(cv.At(int(x), 0) & 0xFF), double(c.want[x] & 0xFF), 1) << c.what << " x=" << x;
    EXPECT_EQ(cv.At(0, 1), c.bg) << c.what << ": nothing below the icon";
  }
  // With a flicker brush the icon lands on the brush's colour.
  Canvas cv(4, 1, white);
  HBRUSH green = gdi::CreateSolidBrush(gdi::RGB(0, 255, 0));
  DrawIconEx(cv.dc, 0, 0, masked, 0, 0, 0, green, DI_NORMAL);
  EXPECT_EQ(cv.At(1, 0), 0x00FF00u);
  EXPECT_EQ(cv.At(3, 0), white);  // outside the icon's area
  gdi::DeleteObject(reinterpret_cast<gdi::HGDIOBJ>(green));
  for (HICON i : {alpha, masked, mono}) EXPECT_TRUE(DestroyIcon(i));
}

TEST_F(Icons, CopiesInfoAndDeadHandles) {
  HICON icon = Make({0xFF112233u, 0x80445566u, 0x00000000u, 0xFFFFFFFFu}, {"..", ".."}, 2, 2);
  ASSERT_NE(icon, nullptr);
  HICON copy = CopyIcon(icon);
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy, icon);
  EXPECT_TRUE(DestroyIcon(icon));
  EXPECT_FALSE(DestroyIcon(icon));
  Canvas cv(2, 2, 0);
  EXPECT_FALSE(DrawIconEx(cv.dc, 0, 0, icon, 0, 0, 0, nullptr, DI_NORMAL));
  ICONINFO ii;
  EXPECT_FALSE(GetIconInfo(icon, &ii));
  // The copy lives on with the pixels, alpha included.
  ASSERT_TRUE(GetIconInfo(copy, &ii));
  EXPECT_TRUE(ii.fIcon);
  ASSERT_NE(ii.hbmColor, nullptr);
  const gdi::Surface* s = gdi::GetBitmapSurface(ii.hbmColor);
  EXPECT_EQ(s->GetPixel(0, 0), 0xFF112233u);
  EXPECT_EQ(s->GetPixel(1, 0), 0x80445566u);
  SIZE size{};
  EXPECT_TRUE(GetIconSize(copy, &size));
  EXPECT_EQ(size.cx, 2);
  EXPECT_EQ(size.cy, 2);
  Delete(ii.hbmColor);
  Delete(ii.hbmMask);
  DestroyIcon(copy);
  // Bad input fails cleanly.
  ICONINFO none;
  EXPECT_EQ(CreateIconIndirect(&none), nullptr);
  EXPECT_EQ(CreateIconIndirect(nullptr), nullptr);
  std::uint8_t plane[2] = {};
  EXPECT_EQ(CreateCursor(nullptr, 0, 0, 0, 4, plane, plane), nullptr);
  EXPECT_EQ(CreateCursor(nullptr, 0, 0, 4, 1, plane, nullptr), nullptr);
}

TEST_F(Icons, CursorsReachTheBackEnd) {
  // 4x1 planes, rows padded to 16 bits: black, white, transparent, inverted.
  const std::uint8_t andPlane[2] = {0x30, 0}, xorPlane[2] = {0x50, 0};
  HCURSOR c = CreateCursor(nullptr, 3, 0, 4, 1, andPlane, xorPlane);
  ASSERT_NE(c, nullptr);
  SetCursor(c);
  IconImage img;
  EXPECT_EQ(headless::ShownCursor(&img), 0u);
  EXPECT_EQ(img.width, 4);
  EXPECT_EQ(img.hotSpot, (POINT{3, 0}));
  EXPECT_EQ(img.argb, (std::vector<std::uint32_t>{0xFF000000u, 0xFFFFFFFFu, 0u, 0xFF000000u}));
  // The framework's own cursors are system cursors like the others.
  for (std::uintptr_t id : {IDC_DRAG, IDC_MULTIDRAG, IDC_NODROP, IDC_HSPLIT, IDC_VSPLIT, IDC_SIZEALL}) {
    SetCursor(LoadCursorW(nullptr, id));
    EXPECT_EQ(headless::ShownCursor(), id);
  }
  EXPECT_TRUE(DestroyCursor(c));
}

TEST_F(Icons, WindowIconsGoToTheDisplay) {
  HWND w = WinTest::Make("W", WS_POPUP | WS_CAPTION, rtl::Bounds(0, 0, 50, 40));
  std::vector<std::uint32_t> px32(32 * 32, 0xFF0000FFu), px16(16 * 16, 0x80FF0000u);
  std::vector<std::string> m32(64, std::string(32, '.')), m16(16, std::string(16, '.'));
  HICON big = Make(px32, std::vector<std::string>(m32.begin(), m32.begin() + 32), 32, 32);
  HICON small = Make(px16, m16, 16, 16);
  EXPECT_EQ(SendMessageW(w, WM_GETICON, ICON_SMALL2, 0), 0);
  EXPECT_EQ(SendMessageW(w, WM_SETICON, ICON_BIG, LPARAM(big)), 0);
  EXPECT_EQ(SendMessageW(w, WM_GETICON, ICON_SMALL2, 0), LPARAM(big));  // no small one yet
  SendMessageW(w, WM_SETICON, ICON_SMALL, LPARAM(small));
  EXPECT_EQ(SendMessageW(w, WM_GETICON, ICON_SMALL, 0), LPARAM(small));
  EXPECT_EQ(SendMessageW(w, WM_GETICON, ICON_BIG, 0), LPARAM(big));
  auto icons = headless::WindowIcons(w);
  ASSERT_EQ(icons.size(), 2u);
  EXPECT_EQ(icons[0].width, 32);
  EXPECT_EQ(icons[0].argb[0], 0xFF0000FFu);
  EXPECT_EQ(icons[1].width, 16);
  EXPECT_EQ(icons[1].argb[0], 0x80FF0000u);
  // Replacing returns the old handle, which the caller destroys.
  EXPECT_EQ(SendMessageW(w, WM_SETICON, ICON_SMALL, 0), LPARAM(small));
  EXPECT_TRUE(DestroyIcon(small));
  EXPECT_EQ(headless::WindowIcons(w).size(), 1u);
  DestroyIcon(big);
}

// A picture of icons drawn by DrawIconEx on light and dark ground, at their
// own size and stretched: an alpha icon (a disc with a soft edge) and a masked
// one (a frame), written to gallery/icons.png next to the test program.
TEST_F(Icons, GalleryOfDrawnIcons) {
  std::vector<std::uint32_t> disc(32 * 32);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      double r = std::hypot(x + 0.5 - 16, y + 0.5 - 16);
      int a = int(std::clamp((15.5 - r) * 255.0, 0.0, 255.0));
      bool tri = x >= 12 && x < 22 && std::abs(y - 16) < (22 - x) / 2 + 1;
      disc[std::size_t(y) * 32 + x] = (std::uint32_t(a) << 24) | (tri ? 0xFFFFFFu : 0x2060C0u);
    }
  std::vector<std::string> noMask(32, std::string(32, '.'));
  HICON alpha = Make(disc, noMask, 32, 32);
  // A red frame round a hole (mask set, colour black) and an inverting dot
  // in the hole's middle (mask set, colour white).
  std::vector<std::uint32_t> frame(16 * 16, 0x00C03030u);
  std::vector<std::string> hole(16, std::string(16, '.'));
  for (int y = 4; y < 12; ++y) {
    hole[y] = "....########....";
    for (int x = 4; x < 12; ++x) frame[std::size_t(y) * 16 + x] = (x >= 7 && x < 9 && y >= 7 && y < 9) ? 0xFFFFFFu : 0;
  }
  HICON masked = Make(frame, hole, 16, 16);
  ASSERT_TRUE(alpha && masked);
  HWND w = WinTest::Make("Gallery", WS_POPUP | WS_VISIBLE, rtl::Bounds(0, 0, 240, 120));
  gHook = [&](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m != WM_PAINT) return std::nullopt;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    RECT light = rtl::Rect(0, 0, 240, 60), dark = rtl::Rect(0, 60, 240, 120);
    gdi::FillRect(dc, &light, gdi::GetSysColorBrush(gdi::COLOR_BTNFACE));
    HBRUSH black = gdi::CreateSolidBrush(gdi::RGB(30, 30, 30));
    gdi::FillRect(dc, &dark, black);
    gdi::DeleteObject(reinterpret_cast<gdi::HGDIOBJ>(black));
    for (int row = 0; row < 2; ++row) {
      int y = row * 60 + 6;
      DrawIconEx(dc, 6, y, alpha, 16, 16, 0, nullptr, DI_NORMAL);
      DrawIconEx(dc, 30, y, alpha, 0, 0, 0, nullptr, DI_NORMAL);
      DrawIconEx(dc, 70, y, alpha, 48, 48, 0, nullptr, DI_NORMAL);
      DrawIconEx(dc, 130, y, masked, 0, 0, 0, nullptr, DI_NORMAL);
      DrawIconEx(dc, 160, y, masked, 32, 32, 0, nullptr, DI_NORMAL);
      DrawIcon(dc, 200, y, masked);
    }
    EndPaint(h, &ps);
    return 0;
  };
  InvalidateRect(w, nullptr, TRUE);
  auto dir = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "gallery";
  std::filesystem::create_directories(dir);
  EXPECT_TRUE(headless::RenderToPng(w, (dir / "icons.png").string()));
  // Stretched to 48 the disc's middle is the triangle's white, its corner the
  // ground; the frame's hole shows the ground and its dot the ground inverted.
  EXPECT_EQ(Pixel(w, 70 + 26, 6 + 24), Rgb(255, 255, 255));
  EXPECT_EQ(Pixel(w, 70, 6), Pixel(w, 2, 2));
  EXPECT_EQ(Pixel(w, 130 + 5, 6 + 5), Pixel(w, 2, 2));
  EXPECT_EQ(Pixel(w, 130 + 7, 6 + 7), Pixel(w, 2, 2) ^ 0xFFFFFFu);
  EXPECT_EQ(Pixel(w, 130 + 1, 6 + 1), Rgb(0xC0, 0x30, 0x30));
  DestroyIcon(alpha);
  DestroyIcon(masked);
}

}  // namespace
}  // namespace wintest
