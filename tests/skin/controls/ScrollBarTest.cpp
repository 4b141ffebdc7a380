// The skinned scroll bar: layout, range rules, repeat on the fake clock,
// thumb drag, keys and wheel, and its skinned layout from a stored skin.
#include "platform/rtl/Strings.h"
#include "skin/controls/bsSkinScrollBar.h"
#include "tests/skin/controls/SkinControlsTestUtil.h"

namespace skinctltest {
namespace {

using R = rtl::TRect;

class ScrollBarTest : public SkinControlsTest {
 protected:
  TbsSkinScrollBar* Bar(int w = 200, int h = 19, bool vertical = false) {
    auto* b = Make<TbsSkinScrollBar>(form, 10, 10, w, h);
    if (vertical) b->SetKind(sbVertical);
    b->OnChange = [this, b](rtl::TObject*) { log.push_back("change " + std::to_string(b->Position())); };
    Pump();
    return b;
  }
  void Press(forms::TControl* c, int x, int y, int button = 0) {
    win::headless::MouseMove(Scr(c, x, y));
    Pump();
    win::headless::MouseDown(Scr(c, x, y), button);
    Pump();
  }
  void MoveTo(forms::TControl* c, int x, int y) {
    win::headless::MouseMove(Scr(c, x, y));
    Pump();
  }
};

TEST_F(ScrollBarTest, PlainLayoutOfAFreshBar) {
  auto* b = Bar();
  b->CalcRects();
  EXPECT_EQ(b->PartRect(2), (R{1, 1, 17, 18}));     // near arrow
  EXPECT_EQ(b->PartRect(1), (R{183, 1, 199, 18}));  // far arrow
  EXPECT_EQ(b->PartRect(0), (R{17, 1, 33, 18}));    // 16-pixel thumb at the start of the track
  b->SetPosition(100);
  EXPECT_EQ(b->PartRect(0), (R{167, 1, 183, 18}));
  // Vertical, and the corner marker leaves room on the right.
  auto* v = Bar(19, 200, true);
  v->CalcRects();
  EXPECT_EQ(v->PartRect(2), (R{1, 1, 18, 17}));
  EXPECT_EQ(v->PartRect(1), (R{1, 183, 18, 199}));
  b->SetBoth(true);
  b->CalcRects();
  EXPECT_EQ(b->PartRect(1), (R{164, 1, 180, 18}));
  EXPECT_EQ(b->TrackRect(), (R{17, 1, 164, 18}));
}

TEST_F(ScrollBarTest, FullPageThumbPutsTheOddPixelByOrientation) {
  // Track 167 long (odd): the thumb fills all of it but one pixel.
  auto* h = Bar(201, 19);
  h->SetRange(0, 9, 0, 10);
  h->CalcRects();
  EXPECT_EQ(h->TrackRect(), (R{17, 1, 184, 18}));
  EXPECT_EQ(h->PartRect(0), (R{18, 1, 184, 18}));  // the free pixel before the thumb
  auto* v = Bar(19, 201, true);
  v->SetRange(0, 9, 0, 10);
  v->CalcRects();
  EXPECT_EQ(v->PartRect(0), (R{1, 17, 18, 183}));  // after it
}

TEST_F(ScrollBarTest, RangeRules) {
  auto* b = Bar();
  b->SetPosition(150);
  EXPECT_EQ(b->Position(), 100);
  b->SetPosition(150);
  EXPECT_EQ(log, (std::vector<std::string>{"change 100"}));
  log.clear();

  // The queue's horizontal bar as stored: the last position is Max - PageSize + 1.
  b->SetRange(0, 529, 0, 521);
  b->SetPosition(1000);
  EXPECT_EQ(b->Position(), 9);
  b->SetPageSize(600);  // 530 < 600 + 9: refused
  EXPECT_EQ(b->PageSize(), 521);

  // SetRange and SimplySetPosition never fire.
  log.clear();
  b->SetRange(0, 50, 20, 0);
  b->SimplySetPosition(70);
  EXPECT_EQ(b->Position(), 50);
  EXPECT_TRUE(log.empty());

  // Max below the position pulls it down, silently.
  b->SetMax(30);
  EXPECT_EQ(b->Position(), 30);
  b->SetMin(40);
  EXPECT_EQ(b->Position(), 40);
  EXPECT_TRUE(log.empty());

  // With a negative minimum the position still stays within the last page.
  b->SetRange(-50, 50, 40, 20);
  b->SetMax(45);
  EXPECT_LE(b->Position(), 45 - 20 + 1);
  EXPECT_GE(b->Position(), -50);

  // Degenerate ranges divide by nothing.
  b->SetRange(5, 5, 5, 0);
  b->CalcRects();
  b->SetRange(0, -1, 0, 3);
  b->CalcRects();
  EXPECT_FALSE(b->PartRect(0).IsEmpty());
}

TEST_F(ScrollBarTest, HeldArrowRepeatsOnTheClockAndPausesOffTheArrow) {
  auto* b = Bar();
  Press(b, 190, 9);  // far arrow
  EXPECT_EQ(b->Position(), 1);
  EXPECT_TRUE(b->PartDown(1));
  Advance(540);
  EXPECT_EQ(b->Position(), 1);
  Advance(20);  // 560: the first repeat at 550
  EXPECT_EQ(b->Position(), 2);
  Advance(100);  // every 50 ms
  EXPECT_EQ(b->Position(), 4);
  MoveTo(b, 100, 9);  // off the arrow: paused
  Advance(200);
  EXPECT_EQ(b->Position(), 4);
  MoveTo(b, 190, 9);  // back: resumes at 50 ms
  Advance(60);
  EXPECT_EQ(b->Position(), 5);
  Up(b, 190, 9);
  Advance(200);
  EXPECT_EQ(b->Position(), 5);
  EXPECT_FALSE(b->PartDown(1));

  // The near arrow with its handler assigned: the bar does not move itself.
  int clicks = 0;
  b->OnDownButtonClick = [&](rtl::TObject*) { ++clicks; };
  Press(b, 8, 9);
  Up(b, 8, 9);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(b->Position(), 5);
}

TEST_F(ScrollBarTest, HeldTrackPagesUntilTheThumbReachesThePointer) {
  auto* b = Bar();
  b->SetLargeChange(10);
  b->SetPosition(100);
  log.clear();
  int pageUps = 0;
  b->OnPageUp = [&](rtl::TObject*) { ++pageUps; };
  Press(b, 100, 9);  // before the thumb (which is at the far end)
  EXPECT_EQ(b->Position(), 90);
  Advance(2000);
  Up(b, 100, 9);
  // The thumb stops once its leading edge passed the pointer.
  b->CalcRects();
  EXPECT_LE(b->PartRect(0).Left, 100);
  EXPECT_GE(b->PartRect(0).Right, 100 - 16);
  EXPECT_EQ(pageUps, int(log.size()));
  const int at = b->Position();
  Advance(500);
  EXPECT_EQ(b->Position(), at);
}

TEST_F(ScrollBarTest, ThumbDragClampsAndAlwaysEndsWithLastChange) {
  auto* b = Bar();
  int last = 0;
  b->OnLastChange = [&](rtl::TObject*) { ++last; };
  Press(b, 25, 9);  // on the thumb
  Up(b, 25, 9);
  EXPECT_EQ(last, 1);
  EXPECT_EQ(b->Position(), 0);
  EXPECT_TRUE(log.empty());

  Press(b, 25, 9);
  MoveTo(b, 100, 9);  // half way: 75 px of 150
  EXPECT_EQ(b->Position(), 50);
  MoveTo(b, 400, 9);  // past the end
  EXPECT_EQ(b->Position(), 100);
  MoveTo(b, -300, 9);
  EXPECT_EQ(b->Position(), 0);
  Up(b, -300, 9);
  EXPECT_EQ(last, 2);

  // With a page the drag maps onto the positions up to the last page.
  b->SetRange(0, 99, 0, 50);
  b->CalcRects();
  const R t = b->PartRect(0);
  Press(b, t.Left + 5, 9);
  MoveTo(b, 300, 9);
  EXPECT_EQ(b->Position(), 50);
  Up(b, 300, 9);
}

TEST_F(ScrollBarTest, RightButtonOnlyRaisesMouseDown) {
  auto* b = Bar();
  b->OnMouseDown = MouseLogger("down");
  Press(b, 190, 9, 1);
  win::headless::MouseUp(Scr(b, 190, 9), 1);
  Pump();
  Advance(600);
  EXPECT_EQ(log, (std::vector<std::string>{"down"}));
  EXPECT_EQ(b->Position(), 0);
}

TEST_F(ScrollBarTest, KeysAndWheelOnlyWhenItMayTakeTheFocus) {
  auto* b = Bar();
  b->SetFocus();
  Key(39);
  win::headless::Wheel(Scr(b, 50, 9), -120);
  Pump();
  EXPECT_EQ(b->Position(), 0);

  b->SetCanFocused(true);
  EXPECT_TRUE(b->TabStop());
  Press(b, 100, 9);  // the first click takes the focus
  Up(b, 100, 9);
  ASSERT_TRUE(b->Focused());
  const int p = b->Position();
  Key(39);
  Key(40);
  EXPECT_EQ(b->Position(), p + 2);
  Key(37);
  EXPECT_EQ(b->Position(), p + 1);
  win::headless::Wheel(Scr(b, 50, 9), -120);  // towards the user: on
  Pump();
  EXPECT_EQ(b->Position(), p + 2);
  win::headless::Wheel(Scr(b, 50, 9), 120);
  Pump();
  EXPECT_EQ(b->Position(), p + 1);
}

TEST_F(ScrollBarTest, PlainLookShowsHoverAndPress) {
  auto* b = Bar();
  EXPECT_EQ(PixelAt(b, 186, 4), Rgb(gdi::ColorToRGB(gdi::clBtnFace)));
  MoveTo(b, 186, 4);
  EXPECT_TRUE(b->PartHot(1));
  EXPECT_EQ(PixelAt(b, 186, 4), Rgb(0x00D2BDB6));
  win::headless::MouseDown(Scr(b, 186, 4));
  Pump();
  EXPECT_EQ(PixelAt(b, 186, 4), Rgb(0x00B59385));
  Up(b, 186, 4);
  Leave();
  EXPECT_FALSE(b->PartHot(1));
  // A disabled bar draws no thumb.
  b->SetEnabled(false);
  EXPECT_EQ(PixelAt(b, 20, 4), Rgb(gdi::ColorToRGB(gdi::clBtnFace)));
}

TEST_F(ScrollBarTest, StoredSkinLaysOutFromItsEntry) {
  for (const char16_t* name : {u"金属光泽", u"OFFICE2007蓝色", u"Mac风格"}) {
    auto stored = StoredFrom(StoredIndex(name));
    sd = std::make_unique<TbsSkinData>(nullptr);
    sd->LoadCompressedStoredSkin(stored.get());
    auto* h = Bar(300, 19);
    h->SetSkinData(sd.get());
    auto* v = Bar(19, 200, true);
    v->SetSkinDataName(u"vscrollbar");
    v->SetSkinData(sd.get());
    for (TbsSkinScrollBar* b : {h, v}) {
      ASSERT_NE(b->SkinIndex(), -1) << rtl::StringToUtf8(name);
      b->SetRange(0, 99, 30, 20);
      b->CalcRects();
      const R t = b->TrackRect(), th = b->PartRect(0);
      EXPECT_FALSE(th.IsEmpty());
      if (b == h) {
        EXPECT_GE(th.Left, t.Left);
        EXPECT_LE(th.Right, t.Right);
        EXPECT_GT(t.Right, 250);  // the track follows the width
      } else {
        EXPECT_GE(th.Top, t.Top);
        EXPECT_LE(th.Bottom, t.Bottom);
        EXPECT_GT(t.Bottom, 150);
      }
      // The far arrow sits at the far end.
      EXPECT_GT(b == h ? b->PartRect(1).Left : b->PartRect(1).Top, 150);
    }
    // The corner-marker look swaps the skin entry and back.
    h->SetBoth(true);
    EXPECT_EQ(h->SkinDataName(), u"bothhscrollbar");
    EXPECT_NE(h->SkinIndex(), -1);
    h->SetBoth(false);
    EXPECT_EQ(h->SkinDataName(), u"hscrollbar");
    delete h;
    delete v;
  }
}

}  // namespace
}  // namespace skinctltest
