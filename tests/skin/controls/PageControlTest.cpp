// The skinned page control: the display rectangle by tab side, skin and
// hidden tabs; centred and offset tabs; hiding and showing tabs; the hot
// tab; keyboard paging with OnChanging's veto; close buttons; the scroller;
// the wheel; and the painting of faces, frames, rotations and wallpapers.
#include <algorithm>
#include <functional>

#include "platform/rtl/Strings.h"
#include "skin/controls/bsSkinPageControl.h"
#include "tests/skin/controls/PagesTestUtil.h"
#include "tests/skin/controls/SkinChangeTestUtil.h"

namespace skinctltest {
namespace {

// Colours of the made-up "tab" skin.
constexpr rtl::TColor kFrame = 0x204080, kFrameFill = 0x40A0A0, kTabTop = 0x0000C0, kTabBottom = 0x000060,
                      kActiveTab = 0xC00000, kFocusTab = 0xC0C000, kHotTab = 0x00C000, kBand = 0x808000,
                      kClose = 0x00FFFF, kCloseHot = 0xFF00FF;

// A picture painted by a function of the pixel.
void AddPicture(TbsSkinData& sd, int w, int h, const std::function<rtl::TColor(int, int)>& colour) {
  std::vector<std::uint32_t> px(std::size_t(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) px[std::size_t(y) * w + x] = Bgra(colour(x, y));
  auto bmp = MakeBmpFile(w, h, 32, px);
  auto pic = std::make_unique<TbsSkinPicture>();
  pic->LoadFromBytes(bmp.data(), bmp.size());
  sd.ActivePictures().push_back(std::move(pic));
}

class PageControlTest : public PagesTest {
 protected:
  // "tab": frame 3 pixels wide; tabs 20 high, the selected one 24; a tab's
  // upper half and lower half differ so that turns and flips show.
  TbsDataSkinTabControl* TabSkin() {
    Skin();
    const int pic = int(sd->ActivePictures().size());
    AddPicture(*sd, 140, 24, [](int x, int y) -> rtl::TColor {
      if (x < 20) return y >= 20 ? 0 : (x < 3 || x >= 17 || y < 3 || y >= 17) ? kFrame : kFrameFill;
      if (x < 40) return y >= 20 ? 0 : y < 10 ? kTabTop : kTabBottom;
      if (x < 60) return kActiveTab;
      if (x < 80) return kFocusTab;
      if (x < 100) return kHotTab;
      if (x < 120) return kBand;
      return y < 14 ? (x < 134 ? kClose : 0) : 0;
    });
    auto d = std::make_unique<TbsDataSkinTabControl>(u"tab");
    d->PictureIndex = pic;
    d->SkinRect = {0, 0, 20, 20};
    d->ClRect = {3, 3, 17, 17};
    d->LTPoint = {3, 3};
    d->RTPoint = {17, 3};
    d->LBPoint = {3, 17};
    d->RBPoint = {17, 17};
    d->TabRect = {20, 0, 40, 20};
    d->ActiveTabRect = {40, 0, 60, 24};
    d->FocusTabRect = {60, 0, 80, 24};
    d->MouseInTabRect = {80, 0, 100, 20};
    d->TabsBGRect = {100, 0, 120, 20};
    d->TabLeftOffset = d->TabRightOffset = 3;
    d->FontColor = d->ActiveFontColor = d->FocusFontColor = d->MouseInFontColor = 0xFFFFFF;
    auto* raw = d.get();
    sd->CtrlList.push_back(std::move(d));
    return raw;
  }

  TbsSkinPageControl* MakePages(int n, int w = 300, int h = 200, int tabWidth = 0) {
    pc = new TbsSkinPageControl(form);
    pc->SetBounds(10, 10, w, h);
    pc->SetParent(form);
    if (tabWidth) pc->SetTabWidth(tabWidth);
    for (int i = 0; i < n; ++i) {
      auto* s = new TbsSkinTabSheet(form);
      s->SetCaption(u"Page" + rtl::Utf8ToString(std::to_string(i)));
      s->SetPageControl(pc);
      sheets.push_back(s);
    }
    Pump();
    return pc;
  }
  TRect Item(int i) {
    TRect r;
    pc->GetItemRect(i, r);
    return r;
  }
  void MoveTo(int x, int y) {
    win::headless::MouseMove(Scr(pc, x, y));
    Pump();
  }
  void ClickAt(int x, int y) {
    win::headless::Click(Scr(pc, x, y));
    Pump();
  }
  // The bounds of the active sheet: the display rectangle.
  TRect Display() {
    auto* s = pc->ActivePage();
    return {s->Left(), s->Top(), s->Left() + s->Width(), s->Top() + s->Height()};
  }

  TbsSkinPageControl* pc = nullptr;
  std::vector<TbsSkinTabSheet*> sheets;
};

TEST_F(PageControlTest, DisplayRectangleBySideSkinAndHiddenTabs) {
  // 300 x 200, tabs 20 high; the skin's frame is 3 pixels on every side.
  struct Case {
    TTabPosition pos;
    bool skinned, hidden;
    TRect display;
  } cases[] = {
      {tpTop, false, false, {1, 21, 299, 199}},    {tpTop, true, false, {3, 23, 297, 197}},
      {tpBottom, false, false, {1, 1, 299, 179}},  {tpBottom, true, false, {3, 3, 297, 177}},
      {tpLeft, false, false, {21, 1, 299, 199}},   {tpLeft, true, false, {23, 3, 297, 197}},
      {tpRight, false, false, {1, 1, 279, 199}},   {tpRight, true, false, {3, 3, 277, 197}},
      {tpTop, false, true, {1, 1, 299, 199}},      {tpTop, true, true, {3, 3, 297, 197}},
      {tpBottom, true, true, {3, 3, 297, 197}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "side " << c.pos << " skinned " << c.skinned << " hidden " << c.hidden);
    MakePages(3);
    if (c.skinned) {
      TabSkin();
      pc->SetSkinData(sd.get());
    }
    pc->SetTabPosition(c.pos);
    if (c.hidden) pc->HideTabs();
    Pump();
    EXPECT_EQ(Display(), c.display);
    delete pc;
    sheets.clear();
    sd.reset();
  }
  MakePages(2);
  pc->HideBorderAndTabs();
  Pump();
  EXPECT_EQ(Display(), (TRect{0, -2, 300, 200}));
}

TEST_F(PageControlTest, TabsOnTopStartAtTheLeftEdgeAndSizeByTextOrWidth) {
  MakePages(3);
  EXPECT_EQ(Item(0).Left, 1);
  EXPECT_EQ(Item(0).Top, 0);
  EXPECT_EQ(Item(0).Bottom, 20);
  EXPECT_EQ(Item(1).Left, Item(0).Right);
  EXPECT_GT(Item(0).Right - Item(0).Left, 20);
  pc->SetTabWidth(70);
  EXPECT_EQ(Item(1).Left, 70);
  EXPECT_EQ(Item(1).Right, 140);
  TRect none;
  EXPECT_EQ(pc->Perform(TCM_GETITEMRECT, 5, reinterpret_cast<win::LPARAM>(&none)), 0);
}

TEST_F(PageControlTest, CentredAndOffsetTabs) {
  MakePages(4, 400, 200);
  pc->SetTabsInCenter(true);  // refused: tabs of no fixed width
  EXPECT_FALSE(pc->TabsInCenter());
  EXPECT_EQ(pc->CalcTabsOffset(), 0);
  pc->SetTabPosition(tpBottom);
  pc->SetMultiLine(true);
  pc->SetTabWidth(60);
  pc->SetTabsInCenter(true);
  EXPECT_TRUE(pc->TabsInCenter());
  EXPECT_EQ(pc->TabPosition(), tpTop);
  EXPECT_FALSE(pc->MultiLine());
  EXPECT_TRUE(pc->TabsBGTransparent());
  EXPECT_EQ(pc->CalcTabsOffset(), 80);  // 200 - 4 * 60 / 2
  EXPECT_EQ(Item(1).Left, 140);
  // A click on a shifted tab selects that tab.
  ClickAt(Item(2).Left + 5, 10);
  EXPECT_EQ(pc->TabIndex(), 2);
  ClickAt(Item(0).Left + 5, 10);
  EXPECT_EQ(pc->TabIndex(), 0);
  delete pc;
  sheets.clear();
  MakePages(8, 400, 200, 60);
  pc->SetTabsInCenter(true);
  EXPECT_EQ(pc->CalcTabsOffset(), 0);  // 200 - 240 is below 0
  pc->SetTabsOffset(30);
  EXPECT_EQ(pc->CalcTabsOffset(), 30);
}

TEST_F(PageControlTest, HideTabsTwiceThenShowOnce) {
  MakePages(3);
  pc->SetTabPosition(tpLeft);
  pc->SetMultiLine(true);
  pc->SetTabHeight(26);
  pc->HideTabs();
  EXPECT_TRUE(pc->TabsHidden());
  EXPECT_EQ(pc->TabPosition(), tpTop);
  EXPECT_EQ(pc->TabHeight(), 1);
  pc->HideTabs();
  pc->ShowTabs();
  EXPECT_FALSE(pc->TabsHidden());
  EXPECT_EQ(pc->TabPosition(), tpLeft);
  EXPECT_TRUE(pc->MultiLine());
  EXPECT_EQ(pc->TabHeight(), 26);
  EXPECT_EQ(Item(0).Right - Item(0).Left, 26);

  // Nothing to hide when no page shows a tab.
  delete pc;
  sheets.clear();
  MakePages(2);
  for (auto* s : sheets) s->SetTabVisible(false);
  pc->HideTabs();
  EXPECT_FALSE(pc->TabsHidden());
}

TEST_F(PageControlTest, HotTabFollowsTheMouseAndShowsInTheFace) {
  MakePages(3);
  const TRect t1 = Item(1);
  MoveTo(t1.Left + 5, 8);
  EXPECT_EQ(pc->ActiveTabIndex(), 1);
  EXPECT_EQ(pc->ActiveTab(), 1);
  struct Face {
    int tab;
    std::uint32_t colour;
  } plain[] = {{1, Rgb(0xD2BDB6)}, {2, Rgb(gdi::ColorToRGB(gdi::clBtnFace))}};
  Shot s = Grab(pc);
  for (const auto& f : plain) EXPECT_EQ(s.At(Item(f.tab).Left + 3, 3), f.colour) << f.tab;
  // The selected tab: navy frame, inside by focus.
  EXPECT_EQ(s.At(Item(0).Left + 1, 0), Rgb(gdi::clNavy));
  EXPECT_EQ(s.At(Item(0).Left + 3, 3), Rgb(0xD2BDB6));
  pc->SetFocus();
  Pump();
  EXPECT_EQ(Grab(pc).At(Item(0).Left + 3, 3), Rgb(0xB59385));

  Leave();
  EXPECT_EQ(pc->ActiveTabIndex(), -1);
  EXPECT_EQ(Grab(pc).At(t1.Left + 3, 3), Rgb(gdi::ColorToRGB(gdi::clBtnFace)));

  // Skinned: the hot piece, the normal piece, the focused selected piece.
  TabSkin();
  pc->SetSkinData(sd.get());
  MoveTo(Item(2).Left + 5, 8);
  s = Grab(pc);
  EXPECT_EQ(s.At(Item(2).Left + 8, 5), Rgb(kHotTab));
  EXPECT_EQ(s.At(Item(1).Left + 8, 4), Rgb(kTabTop));
  EXPECT_EQ(s.At(Item(0).Left + 8, 5), Rgb(kFocusTab));
}

TEST_F(PageControlTest, KeyboardPagingAndChangingVeto) {
  MakePages(3);
  pc->OnChanging = [this](rtl::TObject*, bool& allow) {
    log.push_back("changing");
    allow = veto == false;
  };
  pc->OnChange = Logger("change");
  pc->SetFocus();
  Pump();
  struct Step {
    int key;
    bool veto;
    int tab;
    std::vector<std::string> events;
  } steps[] = {
      {win::VK_RIGHT, false, 1, {"changing", "change"}},
      {win::VK_RIGHT, true, 1, {"changing"}},
      {win::VK_LEFT, false, 0, {"changing", "change"}},
      {win::VK_LEFT, false, 2, {"changing", "change"}},  // wraps round
  };
  for (const auto& s : steps) {
    log.clear();
    veto = s.veto;
    Key(s.key);
    EXPECT_EQ(pc->TabIndex(), s.tab) << s.key << " veto " << s.veto;
    EXPECT_EQ(log, s.events);
  }
  // Ctrl+Tab from inside a page.
  log.clear();
  veto = false;
  win::headless::KeyDown(win::VK_CONTROL);
  Key(win::VK_TAB);
  win::headless::KeyUp(win::VK_CONTROL);
  Pump();
  EXPECT_EQ(pc->TabIndex(), 0);
  // Tabs at the side page with up and down.
  pc->SetTabPosition(tpLeft);
  Key(win::VK_DOWN);
  EXPECT_EQ(pc->TabIndex(), 1);
  Key(win::VK_UP);
  EXPECT_EQ(pc->TabIndex(), 0);
}

TEST_F(PageControlTest, CloseButtonsCloseOnlyOnPressAndReleaseInside) {
  MakePages(3);
  const int room = pc->ReservedRoom();
  const int w0 = Item(1).Right - Item(1).Left;
  pc->SetShowCloseButtons(true);
  EXPECT_EQ(pc->ReservedRoom(), room + 14);
  EXPECT_EQ(Item(1).Right - Item(1).Left, w0 + 14);
  pc->OnClose = [this](rtl::TObject* page, bool& canClose) {
    log.push_back("close " + rtl::StringToUtf8(static_cast<forms::TTabSheet*>(page)->Caption()));
    canClose = !veto;
  };
  pc->OnAfterClose = Logger("after");
  Grab(pc);  // the buttons take their places when drawn
  auto button = [&](int tab) {
    const TRect b = sheets[std::size_t(tab)]->ButtonRect;
    return TPoint{Item(tab).Left + (b.Left + b.Right) / 2, Item(tab).Top + (b.Top + b.Bottom) / 2};
  };
  ASSERT_FALSE(IsEmptyRect(sheets[0]->ButtonRect));
  // Press on the button, release outside: nothing.
  TPoint p = button(0);
  MoveTo(p.X, p.Y);
  win::headless::MouseDown(Scr(pc, p.X, p.Y));
  Pump();
  EXPECT_TRUE(sheets[0]->ButtonMouseDown);
  MoveTo(p.X, 60);
  win::headless::MouseUp(Scr(pc, p.X, 60));
  Pump();
  EXPECT_TRUE(log.empty());
  EXPECT_TRUE(sheets[0]->TabVisible());
  // A veto keeps the page.
  veto = true;
  ClickAt(p.X, p.Y);
  EXPECT_EQ(log, std::vector<std::string>{"close Page0"});
  EXPECT_TRUE(sheets[0]->TabVisible());
  // Press and release inside: the page's tab goes, then OnAfterClose.
  veto = false;
  log.clear();
  Grab(pc);
  p = button(1);
  ClickAt(p.X, p.Y);
  EXPECT_EQ(log, (std::vector<std::string>{"close Page1", "after"}));
  EXPECT_FALSE(sheets[1]->TabVisible());
  // FreeOnClose frees the page.
  pc->FreeOnClose = true;
  log.clear();
  Grab(pc);
  p = button(0);
  ClickAt(p.X, p.Y);
  EXPECT_EQ(log, (std::vector<std::string>{"close Page0", "after"}));
  EXPECT_EQ(pc->PageCount(), 2);
  Grab(pc);  // paints after the free
}

TEST_F(PageControlTest, SkinWithoutCloseButtonPiecesDrawsNoneAndClosesNothing) {
  MakePages(2);
  TabSkin();
  pc->SetSkinData(sd.get());
  pc->SetShowCloseButtons(true);
  pc->OnClose = [this](rtl::TObject*, bool&) { log.push_back("close"); };
  Grab(pc);
  EXPECT_TRUE(IsEmptyRect(sheets[0]->ButtonRect));
  const TRect t = Item(0);
  for (int x = t.Left; x < t.Right; x += 3) ClickAt(x, 10);
  EXPECT_TRUE(log.empty());
  // With the skin's close pieces the button is drawn from them.
  sd->CtrlList.back()->SkinRect = {0, 0, 20, 20};
  static_cast<TbsDataSkinTabControl*>(sd->CtrlList.back().get())->CloseButtonRect = {120, 0, 134, 14};
  pc->ChangeSkinData();
  const Shot s = Grab(pc);
  const TRect b = sheets[0]->ButtonRect;
  ASSERT_FALSE(IsEmptyRect(b));
  EXPECT_EQ(s.At(Item(0).Left + b.Left + 2, Item(0).Top + b.Top + 2), Rgb(kClose));
}

TEST_F(PageControlTest, ScrollerAppearsWhenTabsAreCutOff) {
  MakePages(5, 500, 200, 80);  // tab right edges 80, 160, ..., 400
  EXPECT_EQ(pc->Scroller(), nullptr);
  pc->SetWidth(250);
  Pump();
  ASSERT_NE(pc->Scroller(), nullptr);
  EXPECT_EQ(pc->HiddenTabCount(), 2);
  EXPECT_EQ(pc->Scroller()->Max(), 2);
  EXPECT_EQ(pc->Scroller()->Left() + pc->Scroller()->Width(), 250);
  EXPECT_EQ(pc->Scroller()->Top(), 0);
  // The right arrow scrolls one tab out on the left.
  auto* sc = pc->Scroller();
  win::headless::Click(Scr(sc, sc->Width() - 3, sc->Height() / 2));
  Pump();
  EXPECT_EQ(pc->ScrolledTabCount(), 1);
  EXPECT_LE(Item(0).Right, 0);
  // Selecting a cut-off tab brings it into view.
  pc->SetFocus();
  Key(win::VK_RIGHT);
  Key(win::VK_RIGHT);
  Key(win::VK_RIGHT);
  Key(win::VK_RIGHT);
  EXPECT_EQ(pc->TabIndex(), 4);
  EXPECT_LE(Item(4).Right, pc->Scroller()->Left());
  EXPECT_EQ(pc->Scroller()->Position(), pc->ScrolledTabCount());
  pc->SetWidth(500);
  Pump();
  EXPECT_EQ(pc->Scroller(), nullptr);
  EXPECT_EQ(pc->ScrolledTabCount(), 0);
  pc->SetMultiLine(true);
  pc->SetWidth(250);
  Pump();
  EXPECT_EQ(pc->Scroller(), nullptr);
  EXPECT_GT(Item(3).Top, Item(0).Top - 1);
}

// The tab scroller is the skinned up-down: its skin faces, its hot look, and
// while an arrow is held a step after 500 ms, then every 100 ms; back on the
// arrow after leaving it, every 50 ms.
TEST_F(PageControlTest, ScrollerIsTheSkinnedUpDownAndRepeatsWhileHeld) {
  TabSkin()->UpDown = u"hupdown";
  auto ud = std::make_unique<TbsDataSkinUpDownControl>(u"hupdown");
  ud->PictureIndex = 0;
  ud->SkinRect = Square(0);
  ud->DownButtonRect = {0, 0, 10, 20};
  ud->UpButtonRect = {10, 0, 20, 20};
  ud->ActiveUpButtonRect = {30, 0, 40, 20};  // the hot square
  ud->ActiveDownButtonRect = {20, 0, 30, 20};
  ud->DownUpButtonRect = {50, 0, 60, 20};  // the pressed square
  ud->DownDownButtonRect = {40, 0, 50, 20};
  sd->CtrlList.push_back(std::move(ud));
  MakePages(10, 250, 200, 80);
  pc->SetSkinData(sd.get());
  Pump();
  TbsSkinUpDown* sc = pc->Scroller();
  ASSERT_NE(sc, nullptr);
  EXPECT_EQ(sc->SkinDataName(), u"hupdown");
  EXPECT_NE(sc->SkinIndex(), -1);
  EXPECT_EQ(sc->Max(), pc->HiddenTabCount());
  EXPECT_EQ(sc->Left() + sc->Width(), 250);
  const TRect up = sc->Buttons[0].R;
  EXPECT_EQ(up, (TRect{10, 0, 20, 20})) << "the skin's button places";

  auto Shade = [&](int x, int y) { return Grab(sc).At(x, y); };
  EXPECT_EQ(Shade(up.Left + 5, 10), Rgb(kNormal));
  win::headless::MouseMove(Scr(sc, up.Left + 5, 10));
  Pump();
  EXPECT_TRUE(sc->Buttons[0].MouseIn);
  EXPECT_EQ(Shade(up.Left + 5, 10), Rgb(kHot)) << "hot face";

  win::headless::MouseDown(Scr(sc, up.Left + 5, 10));
  Pump();
  EXPECT_EQ(Shade(up.Left + 5, 10), Rgb(kDown)) << "pressed face";
  Advance(490);
  EXPECT_EQ(pc->ScrolledTabCount(), 0) << "nothing before 500 ms";
  Advance(20);
  EXPECT_EQ(pc->ScrolledTabCount(), 0) << "the wait ends without a step";
  Advance(100);
  EXPECT_EQ(pc->ScrolledTabCount(), 1);
  Advance(100);
  EXPECT_EQ(pc->ScrolledTabCount(), 2) << "then a tab every 100 ms";
  EXPECT_EQ(sc->Position(), 2);

  win::headless::MouseMove(Scr(sc, 5, 10));  // onto the other arrow: the repeat pauses
  Pump();
  Advance(300);
  EXPECT_EQ(pc->ScrolledTabCount(), 2);
  win::headless::MouseMove(Scr(sc, up.Left + 5, 10));
  Pump();
  Advance(55);
  EXPECT_EQ(pc->ScrolledTabCount(), 3);
  Advance(50);
  EXPECT_EQ(pc->ScrolledTabCount(), 4) << "every 50 ms once back on the arrow";
  win::headless::MouseUp(Scr(sc, up.Left + 5, 10));
  Pump();
  EXPECT_EQ(pc->ScrolledTabCount(), 5) << "the release over the arrow steps once more";
  Advance(300);
  EXPECT_EQ(pc->ScrolledTabCount(), 5);
  EXPECT_LE(Item(5).Left, 2) << "the tabs scrolled with the scroller";
}

TEST_F(PageControlTest, WheelPagesThroughVisibleTabs) {
  MakePages(4);
  pc->MouseWheelSupport = true;
  sheets[1]->SetTabVisible(false);
  auto wheel = [&](int delta) { pc->Perform(win::WM_MOUSEWHEEL, win::WPARAM(win::MAKELPARAM(0, delta)), 0); };
  wheel(-120);
  EXPECT_EQ(pc->ActivePage(), sheets[2]);  // the hidden tab is skipped
  wheel(-120);
  EXPECT_EQ(pc->ActivePage(), sheets[3]);
  wheel(-120);  // the last page: nothing
  EXPECT_EQ(pc->ActivePage(), sheets[3]);
  wheel(120);
  wheel(120);
  EXPECT_EQ(pc->ActivePage(), sheets[0]);
  wheel(120);
  EXPECT_EQ(pc->ActivePage(), sheets[0]);
  pc->MouseWheelSupport = false;
  wheel(-120);
  EXPECT_EQ(pc->ActivePage(), sheets[0]);
}

TEST_F(PageControlTest, SelectedSkinTabIsTallerAndOpensIntoThePage) {
  MakePages(3);
  TabSkin();
  pc->SetSkinData(sd.get());
  Pump();
  // Tabs on top: the frame starts under the 20-pixel tabs; the selected tab
  // (24 high) covers the frame's top edge, the others leave it.
  Shot s = Grab(pc);
  const TRect t0 = Item(0), t1 = Item(1);
  EXPECT_EQ(Display().Top, 23);
  EXPECT_EQ(s.At(t0.Left + 8, 21), Rgb(kActiveTab));
  EXPECT_EQ(s.At(t1.Left + 8, 21), Rgb(kFrame));
  // (at the tab's ends, clear of the caption)
  EXPECT_EQ(s.At(t1.Left + 1, 5), Rgb(kTabTop));
  EXPECT_EQ(s.At(t1.Left + 1, 15), Rgb(kTabBottom));
  EXPECT_EQ(s.At(pc->Width() - 10, 5), Rgb(kBand));
  EXPECT_EQ(s.At(pc->Width() / 2, 100), Rgb(kFrameFill));  // the page shows the client piece
  // At the bottom the faces are flipped and the selected one moves up.
  pc->SetTabPosition(tpBottom);
  Pump();
  s = Grab(pc);
  const int h = pc->Height();
  EXPECT_EQ(s.At(Item(1).Left + 1, h - 5), Rgb(kTabTop));
  EXPECT_EQ(s.At(Item(1).Left + 1, h - 15), Rgb(kTabBottom));
  EXPECT_EQ(s.At(Item(0).Left + 8, h - 22), Rgb(kActiveTab));
  EXPECT_EQ(s.At(Item(1).Left + 8, h - 22), Rgb(kFrame));
}

TEST_F(PageControlTest, SideTabsAreTurnedWithTheirOuterEdgeOutwards) {
  struct Case {
    TTabPosition pos;
    bool horizontalText;
    int outerDx;  // the direction of the tab's outer edge: -1 left, 1 right
  } cases[] = {{tpLeft, false, -1}, {tpRight, false, 1}, {tpLeft, true, -1}, {tpRight, true, 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "side " << c.pos << " horizontal " << c.horizontalText);
    MakePages(3);
    TabSkin();
    pc->SetSkinData(sd.get());
    pc->SetTabPosition(c.pos);
    pc->SetTextInHorizontal(c.horizontalText);
    Pump();
    const Shot s = Grab(pc);
    const TRect t = Item(1);
    const int y = t.Top + 1;  // the tab's end, clear of the caption
    const int outer = c.outerDx < 0 ? t.Left + 4 : t.Right - 5, inner = c.outerDx < 0 ? t.Right - 5 : t.Left + 4;
    EXPECT_EQ(s.At(outer, y), Rgb(kTabTop));
    EXPECT_EQ(s.At(inner, y), Rgb(kTabBottom));
    delete pc;
    sheets.clear();
    sd.reset();
  }
}

TEST_F(PageControlTest, SheetBackgrounds) {
  MakePages(2);
  auto* sheet = sheets[0];
  // A 16 x 16 wallpaper tiles the sheet from its top-left, to the last pixel.
  gdi::TBitmap wp(16, 16);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) wp.Canvas()->SetPixels(x, y, x == 3 && y == 1 ? 0x0000FF : 0x00FF00);
  sheet->SetAlign(forms::alNone);
  sheet->SetBounds(sheet->Left(), sheet->Top(), 100, 50);
  sheet->SetWallPaper(&wp);
  Shot s = Grab(sheet);
  EXPECT_EQ(s.At(96 + 3, 48 + 1), Rgb(0x0000FF));
  EXPECT_EQ(s.At(3, 1), Rgb(0x0000FF));
  EXPECT_EQ(s.At(98, 48), Rgb(0x00FF00));
  // Without a wallpaper: the button face, or the skin's client piece.
  sheet->SetWallPaper(nullptr);
  EXPECT_EQ(Grab(sheet).At(50, 25), Rgb(gdi::ColorToRGB(gdi::clBtnFace)));
  TabSkin();
  pc->SetSkinData(sd.get());
  EXPECT_EQ(Grab(sheet).At(50, 25), Rgb(kFrameFill));
  EXPECT_EQ(pc->Perform(MSG_SKIN_PAINT_TO_DC, 0, 0), 12851);
  EXPECT_EQ(sheet->Perform(MSG_SKIN_PAINT_TO_DC, 0, 0), 12851);
}

TEST_F(PageControlTest, SkinChangeWalkAndFreedSkin) {
  MakePages(2);
  TabSkin();
  pc->SetSkinData(sd.get());
  EXPECT_GE(pc->SkinIndex(), 0);
  EXPECT_EQ(Item(0).Bottom - Item(0).Top, 20);
  sd->Empty = true;
  SendSkinChange(form, sd.get());
  EXPECT_EQ(pc->SkinIndex(), -1);
  sd->Empty = false;
  SendSkinChange(form, sd.get());
  EXPECT_GE(pc->SkinIndex(), 0);
  sd.reset();
  EXPECT_EQ(pc->SkinData(), nullptr);
  Grab(pc);
}

}  // namespace
}  // namespace skinctltest

namespace skinctltest {
namespace {

TEST_F(PageControlTest, OwnerDrawnFacesImagesRoomAndTransparentBand) {
  MakePages(3);
  TabSkin();
  pc->SetSkinData(sd.get());
  std::vector<int> drawn;
  pc->OnDrawSkinTab = [&](int index, const TRect& r, bool active, bool mouseIn, gdi::TCanvas* c) {
    drawn.push_back(index);
    EXPECT_EQ(active, index == 0);
    c->Brush()->SetColor(0x123456);
    c->FillRect(r);
  };
  Shot s = Grab(pc);
  std::sort(drawn.begin(), drawn.end());
  EXPECT_EQ(drawn, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(s.At((Item(1).Left + Item(1).Right) / 2, 10), Rgb(0x123456));
  pc->OnDrawSkinTab = nullptr;

  // An image list widens every tab by its width; taking it away narrows them.
  const int w0 = Item(1).Right - Item(1).Left;
  forms::TCustomImageList images(nullptr, 16, 16);
  pc->SetImages(&images);
  EXPECT_EQ(Item(1).Right - Item(1).Left, w0 + 16);
  pc->SetImages(nullptr);
  EXPECT_EQ(Item(1).Right - Item(1).Left, w0);

  // A transparent band shows the parent beneath the tabs.
  form->SetColor(0x3070B0);
  pc->SetTabsBGTransparent(true);
  EXPECT_EQ(Grab(pc).At(pc->Width() - 10, 5), Rgb(0x3070B0));
  pc->SetTabsBGTransparent(false);
  EXPECT_EQ(Grab(pc).At(pc->Width() - 10, 5), Rgb(kBand));
}

TEST_F(PageControlTest, SelectingByIndexMessage) {
  MakePages(3);
  pc->OnChange = Logger("change");
  EXPECT_EQ(pc->Perform(TCM_SETCURSEL, 2, 0), 0);
  EXPECT_EQ(pc->TabIndex(), 2);
  EXPECT_EQ(pc->Perform(TCM_SETCURSEL, 7, 0), 2);  // out of range: unchanged
  EXPECT_EQ(pc->TabIndex(), 2);
  EXPECT_TRUE(log.empty());  // as the system's control: no change notification
}

}  // namespace
}  // namespace skinctltest

namespace skinctltest {
namespace {

TEST_F(PageControlTest, BrokenTabDescriptionsPaintWithoutFault) {
  for (int variant = 0; variant < 3; ++variant) {
    SCOPED_TRACE(variant);
    Skin();
    if (variant == 0) {  // no picture, empty rectangles
      auto d = std::make_unique<TbsDataSkinTabControl>(u"tab");
      d->PictureIndex = 99;
      d->TabLeftOffset = 50;
      sd->CtrlList.push_back(std::move(d));
    } else if (variant == 1) {  // offsets larger than the pieces
      TabSkin();
      auto* d = static_cast<TbsDataSkinTabControl*>(sd->CtrlList.back().get());
      d->TabLeftOffset = d->TabRightOffset = 40;
      d->FocusOffsetX = 100;
      d->ShowFocus = true;
    } else {  // "tab" names a description of another kind: the plain look
      sd->CtrlList.push_back(std::make_unique<TbsDataSkinCustomControl>(u"tab"));
    }
    MakePages(3);
    pc->SetSkinData(sd.get());
    pc->SetShowCloseButtons(true);
    for (TTabPosition p : {tpTop, tpBottom, tpLeft, tpRight}) {
      pc->SetTabPosition(p);
      pc->SetTabHeight(variant == 1 ? 30 : 0);
      MoveTo(Item(1).Left + 2, Item(1).Top + 2);
      Grab(pc);
    }
    if (variant == 2) {
      EXPECT_EQ(pc->SkinIndex(), -1);
    }
    delete pc;
    sheets.clear();
    sd.reset();
  }
}

}  // namespace
}  // namespace skinctltest

namespace skinctltest {
namespace {

// A windowed child that counts the requests to repaint what shows through it.
class BackgroundProbe : public forms::TCustomControl {
 public:
  using forms::TCustomControl::TCustomControl;
  int checks = 0;
  void Dispatch(forms::TMessage& m) override {
    if (m.Msg == MSG_CHECK_PARENT_BACKGROUND) ++checks;
    forms::TCustomControl::Dispatch(m);
  }
};

TEST_F(PageControlTest, StretchedSkinMakesSheetChildrenRepaintTheirBackground) {
  for (bool stretch : {false, true}) {
    MakePages(2);
    TabSkin()->StretchEffect = stretch;
    pc->SetSkinData(sd.get());
    auto* probe = new BackgroundProbe(form);
    probe->SetBounds(5, 5, 30, 20);
    probe->SetParent(sheets[0]);
    pc->SetBounds(10, 10, 320, 220);
    Pump();
    EXPECT_EQ(probe->checks > 0, stretch);
    delete pc;
    sheets.clear();
    sd.reset();
  }
}

}  // namespace
}  // namespace skinctltest
