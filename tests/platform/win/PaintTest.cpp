// Painting: composition of windows into the top-level back buffer (order,
// sibling and child clipping, window regions, non-client areas), update
// regions and their messages, and the one upload per frame.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tests/platform/win/WinTestUtil.h"

namespace wintest {
namespace {

constexpr gdi::COLORREF kRed = gdi::RGB(255, 0, 0), kBlue = gdi::RGB(0, 0, 255), kGreen = gdi::RGB(0, 255, 0),
                        kGrey = gdi::RGB(128, 128, 128);
const std::uint32_t pRed = Rgb(255, 0, 0), pBlue = Rgb(0, 0, 255), pGreen = Rgb(0, 255, 0), pGrey = Rgb(128, 128, 128);

// T (100x80, red) holds A (10,10)-(50,50) blue and, created later and so
// below it, B (30,30)-(70,70) green.
class Paint : public WinTest {
 protected:
  void SetUp() override {
    WinTest::SetUp();
    Quiet(WM_NCCALCSIZE);
    gHook = [this](HWND h, UINT m, WPARAM w, LPARAM l) -> std::optional<LRESULT> {
      if (m == WM_PAINT) painted.push_back(rec.Name(h));
      if (extra) {
        if (auto r = extra(h, m, w, l)) return r;
      }
      return PaintWithUserColour(h, m, w, l);
    };
  }
  void Build(DWORD topStyle = 0) {
    t = Make("T", WS_POPUP | WS_VISIBLE | topStyle, rtl::Bounds(0, 0, 100, 80));
    a = Make("A", WS_CHILD | WS_VISIBLE, rtl::Rect(10, 10, 50, 50), t);
    b = Make("B", WS_CHILD | WS_VISIBLE, rtl::Rect(30, 30, 70, 70), t);
    SetWindowLongPtrW(t, GWL_USERDATA, kRed);
    SetWindowLongPtrW(a, GWL_USERDATA, kBlue);
    SetWindowLongPtrW(b, GWL_USERDATA, kGreen);
    Pump();
    painted.clear();
  }
  HWND t = nullptr, a = nullptr, b = nullptr;
  std::vector<std::string> painted;
  Hook extra;
};

TEST_F(Paint, ComposesParentsFirstWithUpperSiblingsOnTop) {
  Build();
  struct Case {
    int x, y;
    std::uint32_t rgb;
  } cases[] = {{5, 5, pRed}, {20, 20, pBlue}, {60, 60, pGreen}, {35, 35, pBlue}, {75, 75, pRed}};
  for (auto& c : cases) EXPECT_EQ(Pixel(t, c.x, c.y), c.rgb) << c.x << "," << c.y;
  // Repainting B alone leaves A's corner over it.
  InvalidateRect(b, nullptr, TRUE);
  Pump();
  EXPECT_EQ(painted, std::vector<std::string>{"B"});
  EXPECT_EQ(Pixel(t, 35, 35), pBlue);
  EXPECT_EQ(Pixel(t, 55, 55), pGreen);
}

TEST_F(Paint, ParentInvalidationReachesChildrenUnlessClipChildren) {
  Build();
  InvalidateRect(t, nullptr, TRUE);
  Pump();
  EXPECT_EQ(painted, (std::vector<std::string>{"T", "A", "B"}));
  painted.clear();
  // A part of the parent invalidates only the children it overlaps.
  RECT r = rtl::Rect(0, 0, 20, 20);
  InvalidateRect(t, &r, TRUE);
  Pump();
  EXPECT_EQ(painted, (std::vector<std::string>{"T", "A"}));

  // The part reaches a child in the child's client coordinates, past its frame.
  struct Framed {
    DWORD style;
    int frame;
  } frames[] = {{0, 0}, {WS_BORDER, 1}, {WS_THICKFRAME, 4}};
  for (const Framed& f : frames) {
    HWND c = Make("C", WS_CHILD | WS_VISIBLE | f.style, rtl::Rect(10, 10, 60, 60), t);
    SetWindowLongPtrW(c, GWL_USERDATA, kGreen);
    Pump();
    RECT got{};
    extra = [&](HWND h, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (m == WM_PAINT && h == c) GetUpdateRect(h, &got, FALSE);
      return std::nullopt;
    };
    RECT part = rtl::Rect(20, 25, 40, 35);
    InvalidateRect(t, &part, TRUE);
    Pump();
    int o = 10 + f.frame;
    EXPECT_EQ(got, rtl::Rect(20 - o, 25 - o, 40 - o, 35 - o)) << "frame " << f.frame;
    extra = nullptr;
    DestroyWindow(c);
  }

  DestroyWindow(t);
  painted.clear();
  Build(WS_CLIPCHILDREN);
  SetWindowLongPtrW(t, GWL_USERDATA, kGrey);
  InvalidateRect(t, nullptr, TRUE);
  Pump();
  EXPECT_EQ(painted, std::vector<std::string>{"T"});
  EXPECT_EQ(Pixel(t, 5, 5), pGrey);
  EXPECT_EQ(Pixel(t, 20, 20), pBlue);  // children were cut out of the parent's DC
  EXPECT_EQ(Pixel(t, 60, 60), pGreen);
}

TEST_F(Paint, WindowRegionClipsPaintingAndHidingUncoversTheParent) {
  Build();
  SetWindowRgn(a, gdi::CreateRectRgn(0, 0, 20, 40), TRUE);  // left half of A
  Pump();
  EXPECT_EQ(Pixel(t, 15, 15), pBlue);
  EXPECT_EQ(Pixel(t, 45, 15), pRed);   // the parent shows through
  EXPECT_EQ(Pixel(t, 35, 35), pGreen); // and B, no longer covered there
  ShowWindow(b, SW_HIDE);
  Pump();
  EXPECT_EQ(Pixel(t, 60, 60), pRed);
  MoveWindow(a, 50, 10, 40, 40, TRUE);
  Pump();
  EXPECT_EQ(Pixel(t, 15, 15), pRed);
  EXPECT_EQ(Pixel(t, 55, 15), pBlue);
}

TEST_F(Paint, NonClientAreaHasItsOwnCalcAndPaint) {
  extra = [this](HWND h, UINT m, WPARAM w, LPARAM l) -> std::optional<LRESULT> {
    if (rec.Name(h) != "A") return std::nullopt;  // also while it is being created
    if (m == WM_NCCALCSIZE && w) {
      auto* p = reinterpret_cast<NCCALCSIZE_PARAMS*>(l);
      p->rgrc[0].Left += 5, p->rgrc[0].Top += 8, p->rgrc[0].Right -= 5, p->rgrc[0].Bottom -= 5;
      return 0;
    }
    if (m == WM_NCPAINT) {
      HDC dc = GetWindowDC(h);
      RECT r = rtl::Rect(0, 0, 40, 40);
      HBRUSH br = gdi::CreateSolidBrush(kGrey);
      gdi::FillRect(dc, &r, br);  // the client part of the window DC is painted over next
      gdi::DeleteObject(reinterpret_cast<gdi::HGDIOBJ>(br));
      ReleaseDC(h, dc);
      return 0;
    }
    if (m == WM_NCHITTEST) return DefWindowProcW(h, m, w, l);
    return std::nullopt;
  };
  Build();
  RECT cr;
  GetClientRect(a, &cr);
  EXPECT_EQ(cr, rtl::Rect(0, 0, 30, 27));
  POINT p{0, 0};
  ClientToScreen(a, &p);
  EXPECT_EQ(p, (POINT{15, 18}));
  EXPECT_EQ(Pixel(t, 12, 12), pGrey);  // frame
  EXPECT_EQ(Pixel(t, 16, 19), pBlue);  // client starts at (15,18)
  // The frame alone can be asked for again.
  gHook = nullptr;
  rec.Clear();
  Loud(WM_NCPAINT);
  RedrawWindow(a, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_NOCHILDREN);
  Pump();
  EXPECT_EQ(Log(), std::vector<std::string>{"A:WM_NCPAINT"});
}

TEST_F(Paint, UpdateRegionsEraseAndValidate) {
  Build();
  Loud(WM_ERASEBKGND);
  Loud(WM_PAINT);
  RECT r = rtl::Rect(2, 3, 12, 13);
  InvalidateRect(a, &r, FALSE);
  RECT u;
  EXPECT_TRUE(GetUpdateRect(a, &u, FALSE));
  EXPECT_EQ(u, r);
  ValidateRect(a, nullptr);
  EXPECT_FALSE(GetUpdateRect(a, &u, FALSE));
  rec.Clear();
  Pump();
  EXPECT_TRUE(Log().empty());
  // Erasing comes inside BeginPaint, before the painting.
  InvalidateRect(a, &r, TRUE);
  Pump();
  EXPECT_EQ(Log(), (std::vector<std::string>{"A:WM_PAINT", "A:WM_ERASEBKGND"}));
  rec.Clear();
  // A procedure that never validates is not asked again forever.
  extra = [](HWND, UINT m, WPARAM, LPARAM) -> std::optional<LRESULT> {
    if (m == WM_PAINT) return 0;
    return std::nullopt;
  };
  InvalidateRect(a, nullptr, FALSE);
  EXPECT_EQ(Pump(), 1);
}

TEST_F(Paint, OneUploadPerFrame) {
  Build();
  int before = headless::UploadCount(t);
  InvalidateRect(a, nullptr, TRUE);
  InvalidateRect(b, nullptr, TRUE);
  InvalidateRect(t, nullptr, TRUE);
  HDC dc = GetDC(a);  // drawing outside the paint cycle joins the same frame
  ReleaseDC(a, dc);
  Pump();
  EXPECT_EQ(headless::UploadCount(t), before + 1);
  Pump();
  EXPECT_EQ(headless::UploadCount(t), before + 1);  // nothing new, nothing sent
  // A destroyed window leaves no count behind.
  DestroyWindow(t);
  EXPECT_EQ(headless::UploadCount(t), 0);
}

TEST_F(Paint, GetUpdateRectErasesOnlyTheUpdateArea) {
  Build();
  // A background eraser that fills all it is given: the DC decides how much.
  extra = [](HWND h, UINT m, WPARAM w, LPARAM) -> std::optional<LRESULT> {
    if (m != WM_ERASEBKGND) return std::nullopt;
    RECT all = rtl::Rect(0, 0, 1000, 1000);
    gdi::FillRect(HDC(w), &all, gdi::GetSysColorBrush(gdi::COLOR_BTNSHADOW));
    return 1;
  };
  const std::uint32_t shadow = [] {
    gdi::COLORREF c = gdi::GetSysColor(gdi::COLOR_BTNSHADOW);
    return Rgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
  }();
  ASSERT_NE(shadow, pBlue);
  RECT r = rtl::Rect(0, 0, 10, 10), u;
  InvalidateRect(a, &r, TRUE);
  ASSERT_TRUE(GetUpdateRect(a, &u, TRUE));
  EXPECT_EQ(u, r);
  EXPECT_EQ(Pixel(t, 15, 15), shadow);  // A's client (0,0) sits at (10,10) of T
  EXPECT_EQ(Pixel(t, 25, 25), pBlue);   // valid, so left alone
  EXPECT_EQ(Pixel(t, 5, 5), pRed);      // the parent is never touched
}

TEST_F(Paint, RenderToPng) {
  Build();
  auto dir = std::filesystem::temp_directory_path() / ("win_png_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  auto file = dir / "a.png";
  ASSERT_TRUE(headless::RenderToPng(a, file.string()));
  std::ifstream in(file, std::ios::binary);
  char sig[8] = {};
  in.read(sig, 8);
  EXPECT_EQ(std::string(sig + 1, 3), "PNG");
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace wintest

namespace wintest {
namespace {

TEST_F(Paint, WindowOwnsItsRegionUntilReplacedOrDestroyed) {
  Build();
  HRGN r1 = gdi::CreateRectRgn(0, 0, 10, 10);
  ASSERT_EQ(SetWindowRgn(a, r1, FALSE), 1);
  EXPECT_TRUE(gdi::PtInRegion(r1, 5, 5));  // still valid while set
  HRGN out = gdi::CreateRectRgn(0, 0, 0, 0);
  EXPECT_NE(GetWindowRgn(a, out), gdi::ERROR);
  EXPECT_TRUE(gdi::PtInRegion(out, 5, 5));
  HRGN r2 = gdi::CreateRectRgn(0, 0, 20, 20);
  SetWindowRgn(a, r2, FALSE);
  EXPECT_EQ(gdi::GetRegion(r1), nullptr);  // the replaced one was freed
  DestroyWindow(a);
  EXPECT_EQ(gdi::GetRegion(r2), nullptr);
  EXPECT_EQ(SetWindowRgn(a, out, FALSE), 0);  // a dead window takes nothing: the caller still owns it
  EXPECT_NE(gdi::GetRegion(out), nullptr);
  gdi::DeleteObject(reinterpret_cast<gdi::HGDIOBJ>(out));
}

}  // namespace
}  // namespace wintest

namespace wintest {
namespace {

TEST_F(Paint, AbsurdSizesDoNotFail) {
  HWND a = Make("A", WS_POPUP | WS_VISIBLE, rtl::Bounds(0, 0, 100000, 20));
  ASSERT_NE(a, nullptr);
  Pump();
  const gdi::Surface* bb = headless::BackBuffer(a);
  ASSERT_NE(bb, nullptr);
  EXPECT_EQ(bb->Width(), 8192);
  EXPECT_TRUE(MoveWindow(a, 0, 0, -5, -5, TRUE));
  RECT r;
  GetClientRect(a, &r);
  EXPECT_EQ(r, rtl::Rect(0, 0, 0, 0));
  Pump();
}

}  // namespace
}  // namespace wintest

namespace wintest {
namespace {

// A window DC draws only where its window shows: not outside it, not under a
// sibling above it. A DC the window system did not hand out is the caller's.
TEST_F(Paint, WindowDCClipsToTheWindowAndForeignDCsAreLeftAlone) {
  Build();
  HDC dc = GetDC(b);
  RECT all = rtl::Rect(-100, -100, 200, 200);
  HBRUSH black = gdi::CreateSolidBrush(gdi::RGB(1, 1, 1));
  gdi::FillRect(dc, &all, black);
  EXPECT_EQ(ReleaseDC(b, dc), 1);
  EXPECT_EQ(ReleaseDC(b, dc), 0);  // released twice: nothing happens
  Pump();
  struct Case {
    int x, y;
    std::uint32_t rgb;
  } cases[] = {{5, 5, pRed}, {35, 35, pBlue}, {60, 60, Rgb(1, 1, 1)}, {75, 75, pRed}};
  for (auto& c : cases) EXPECT_EQ(Pixel(t, c.x, c.y), c.rgb) << c.x << "," << c.y;

  HDC mem = gdi::CreateCompatibleDC(nullptr);
  EXPECT_EQ(ReleaseDC(a, mem), 0);
  EXPECT_NE(gdi::SelectObject(mem, reinterpret_cast<gdi::HGDIOBJ>(black)), nullptr);  // still usable
  gdi::DeleteDC(mem);
  // A window without pixels hands out a DC that ReleaseDC takes back.
  HWND msgOnly = Make("M", 0, rtl::Bounds(0, 0, 0, 0), HWND_MESSAGE);
  HDC none = GetDC(msgOnly);
  ASSERT_NE(none, nullptr);
  EXPECT_EQ(ReleaseDC(msgOnly, none), 1);
  gdi::DeleteObject(reinterpret_cast<gdi::HGDIOBJ>(black));
}

// RedrawWindow's immediate forms: UPDATENOW paints the tree before returning,
// ERASENOW erases (and frames) without painting; regions and validation.
TEST_F(Paint, RedrawWindowNowAndByRegion) {
  Build();
  Loud(WM_ERASEBKGND);
  Loud(WM_PAINT);
  rec.Clear();
  RedrawWindow(t, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  EXPECT_EQ(Log(), (std::vector<std::string>{"T:WM_PAINT", "T:WM_ERASEBKGND", "A:WM_PAINT", "A:WM_ERASEBKGND",
                                             "B:WM_PAINT", "B:WM_ERASEBKGND"}));
  rec.Clear();
  HRGN corner = gdi::CreateRectRgn(0, 0, 5, 5);
  InvalidateRgn(t, corner, FALSE);
  gdi::DeleteObject(reinterpret_cast<gdi::HGDIOBJ>(corner));
  RECT u;
  EXPECT_TRUE(GetUpdateRect(t, &u, FALSE));
  EXPECT_EQ(u, rtl::Rect(0, 0, 5, 5));
  EXPECT_FALSE(GetUpdateRect(a, &u, FALSE));  // the corner misses A
  RedrawWindow(t, nullptr, nullptr, RDW_VALIDATE);
  EXPECT_FALSE(GetUpdateRect(t, &u, FALSE));
  UpdateWindow(t);
  EXPECT_EQ(Log(), std::vector<std::string>{});

  // Erased now, painted later without a second erase.
  SetWindowLongPtrW(a, GWL_USERDATA, kGreen);
  RECT part = rtl::Rect(0, 0, 10, 10);
  InvalidateRect(a, &part, TRUE);
  bool erasedInside = false;
  extra = [&](HWND h, UINT m, WPARAM w, LPARAM) -> std::optional<LRESULT> {
    if (h == a && m == WM_ERASEBKGND) {
      HDC dc = reinterpret_cast<HDC>(w);
      RECT whole = rtl::Rect(0, 0, 40, 40);
      HBRUSH g = gdi::CreateSolidBrush(kGrey);
      gdi::FillRect(dc, &whole, g);  // the erase DC covers the update area only
      gdi::DeleteObject(reinterpret_cast<gdi::HGDIOBJ>(g));
      erasedInside = true;
      return 1;
    }
    return std::nullopt;
  };
  RedrawWindow(a, nullptr, nullptr, RDW_ERASENOW);
  EXPECT_EQ(Log(), std::vector<std::string>{"A:WM_ERASEBKGND"});
  EXPECT_TRUE(erasedInside);
  Pump();
  EXPECT_EQ(Pixel(t, 25, 25), pBlue);  // outside the erased part: untouched
  rec.Clear();
  RedrawWindow(a, &part, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_EQ(Log(), std::vector<std::string>{"A:WM_PAINT"});  // no erase asked, none sent
  EXPECT_EQ(Pixel(t, 12, 12), pGreen);
}

// A child handed to another top-level window paints there and leaves its old
// place to its former parent; a window cannot become its own descendant's child.
TEST_F(Paint, SetParentMovesAChildBetweenTopLevels) {
  Build();
  HWND t2 = Make("T2", WS_POPUP | WS_VISIBLE, rtl::Bounds(200, 0, 100, 80));
  SetWindowLongPtrW(t2, GWL_USERDATA, kGrey);
  Pump();
  EXPECT_EQ(SetParent(a, t2), t);
  Pump();
  EXPECT_EQ(Pixel(t, 15, 15), pRed);
  EXPECT_EQ(Pixel(t2, 15, 15), pBlue);
  EXPECT_EQ(WindowFromPoint({215, 15}), a);
  EXPECT_EQ(GetParent(a), t2);
  EXPECT_EQ(SetParent(t2, a), nullptr);
  EXPECT_FALSE(IsChild(a, t2));
  // Out to the desktop as a window of its own, and back in.
  EXPECT_EQ(SetParent(a, nullptr), t2);
  Pump();
  EXPECT_EQ(Pixel(t2, 15, 15), pGrey);
  ASSERT_NE(headless::BackBuffer(a), nullptr);
  EXPECT_EQ(SetParent(a, t), nullptr);
  Pump();
  EXPECT_EQ(Pixel(t, 15, 15), pBlue);
}

}  // namespace
}  // namespace wintest
