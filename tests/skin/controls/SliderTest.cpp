#include <set>

#include "skin/controls/bsSkinSlider.h"
#include "tests/skin/controls/SkinControlsTestUtil.h"

namespace skinctltest {
namespace {

constexpr int VK_HOME = 36, VK_END = 35, VK_LEFT = 37, VK_UP = 38, VK_RIGHT = 39, VK_SHIFT = 16;

class SliderTest : public SkinControlsTest {
 protected:
  // "slider" with a 24 x 12 thumb area (two states) and a 19 x 7 ruler.
  TbsSkinData& SliderSkin() {
    sd = std::make_unique<TbsSkinData>(nullptr);
    AddSquares(*sd, {kNormal, kHot, kDown}, 0x000000);
    auto d = std::make_unique<TbsDataSkinSlider>(u"slider");
    d->PictureIndex = 0;
    d->HThumbRect = {20, 0, 44, 12};
    d->HRulerRect = {0, 0, 19, 7};
    d->VThumbRect = {20, 0, 44, 12};
    d->VRulerRect = {0, 0, 7, 19};
    d->EdgeSize = 2;
    d->BGColor = kPanel;
    d->PointsColor = 0;
    sd->CtrlList.push_back(std::move(d));
    sd->Empty = false;
    return *sd;
  }
  // The preview seek bar of the main window.
  TbsSkinSlider* SeekSlider(bool skinned = true) {
    auto* s = Make<TbsSkinSlider>(form, 10, 10, 200, 31);
    s->SetOptions({soShowFocus, soSmooth});
    s->SetTransparent(true);
    s->UseSkinThumb = true;
    if (skinned) s->SetSkinData(&SliderSkin());
    s->OnChange = Logger("change");
    s->OnChanged = Logger("changed");
    s->OnMouseUp = MouseLogger("up");
    return s;
  }
  int Count(const std::string& what) const { return int(std::count(log.begin(), log.end(), what)); }
  void Press(forms::TControl* c, int x, int y) {
    win::headless::MouseMove(Scr(c, x, y));
    win::headless::MouseDown(Scr(c, x, y));
    Pump();
  }
};

TEST_F(SliderTest, SeekSliderGeometry) {
  auto* s = SeekSlider();
  EXPECT_EQ(s->Ruler()->Width(), 188);
  EXPECT_EQ(s->Ruler()->Height(), 7);
  EXPECT_EQ(s->RulerOrg().X, 6);
  EXPECT_EQ(s->RulerOrg().Y, 8);
  EXPECT_EQ(s->ThumbRect(), (rtl::TRect{6, 6, 18, 18}));
  EXPECT_EQ(s->ThumbTravel(), 176);
  EXPECT_EQ(s->PointsRect().Top, 19);
  EXPECT_EQ(s->PointsRect().Bottom, 30);
  s->SetMaxValue(1000);
  s->SetValue(500);
  EXPECT_EQ(s->ThumbRect().Left, 6 + 88);
  s->SetValue(1000);
  EXPECT_EQ(s->ThumbRect().Left, 6 + 176);
  EXPECT_EQ(PixelAt(s, 6 + 176 + 6, 12), Rgb(kHot)) << "the first (normal) state of the skin thumb";
}

TEST_F(SliderTest, ValueIsClampedAndSnappedOnlyOnScreen) {
  auto* s = SeekSlider();
  s->SetValue(150);
  EXPECT_EQ(s->Value(), 100);
  EXPECT_EQ(Count("change"), 1);
  s->SetValue(100);
  EXPECT_EQ(Count("change"), 1) << "the same value again changes nothing";

  s->SetOptions({});
  s->SetValue(15);
  EXPECT_EQ(s->Value(), 15);
  EXPECT_EQ(s->ThumbRect().Left, 6 + 35) << "drawn where 20 would be (15 / 10 rounds to even 2)";

  // Range edges.
  s->SetMaxValue(5);
  EXPECT_EQ(s->Increment(), 5) << "the step shrinks to the range";
  EXPECT_EQ(s->Value(), 5);
  s->SetMaxValue(0);
  EXPECT_EQ(s->MaxValue(), 5) << "an empty range is ignored";
  s->SetIncrement(0);
  EXPECT_EQ(s->Increment(), 5);
}

TEST_F(SliderTest, DragSnapsToStepsUnlessSmooth) {
  auto* s = SeekSlider();
  s->SetOptions({});
  const int y = s->ThumbRect().Top + 6;
  Press(s, s->ThumbRect().Left + 3, y);
  EXPECT_TRUE(s->Sliding());
  std::set<int> values;
  for (int x = 9; x < 190; x += 7) {
    win::headless::MouseMove(Scr(s, x, y));
    Pump();
    values.insert(s->Value());
  }
  for (int v : values) EXPECT_EQ(v % 10, 0) << v;
  EXPECT_EQ(Count("changed"), 0);
  Up(s, 190, y);
  EXPECT_EQ(s->Value(), 100);
  EXPECT_EQ(log.back(), "up");
  EXPECT_EQ(log[log.size() - 2], "changed") << "OnMouseUp comes after OnChanged";

  s->SetOptions({soSmooth});
  s->SetMaxValue(1000);
  s->SetValue(0);
  Advance(1000);  // not a double click
  log.clear();
  Press(s, s->ThumbRect().Left + 3, y);
  for (int x = 10; x < 20; ++x) {
    win::headless::MouseMove(Scr(s, x, y));
    Pump();
  }
  Up(s, 19, y);
  EXPECT_EQ(Count("change"), 10) << "every pixel gives a new value";
}

TEST_F(SliderTest, HeldRulerPressStepsEvery400msUntilTheThumbPassesThePointer) {
  auto* s = SeekSlider();
  s->SetValue(50);
  log.clear();
  const int x = 6 + 17 + 6;  // above value 10
  Press(s, x, 12);
  EXPECT_TRUE(s->Tracking());
  EXPECT_EQ(s->Value(), 40) << "one step at once";
  Advance(390);
  EXPECT_EQ(s->Value(), 40);
  Advance(20);
  EXPECT_EQ(s->Value(), 30);
  Advance(400 * 5);
  EXPECT_EQ(s->Value(), 10) << "stops once the thumb reaches the pointer";
  Up(s, x, 12);
  EXPECT_FALSE(s->Tracking());
  EXPECT_EQ(Count("changed"), 1);
  EXPECT_EQ(log.back(), "up");
  Advance(1000);
  EXPECT_EQ(s->Value(), 10) << "the timer ended with the release";
}

TEST_F(SliderTest, KeysStepAndJump) {
  auto* s = SeekSlider();
  s->SetFocus();
  Pump();
  s->SetValue(33);
  log.clear();
  Key(VK_RIGHT);
  EXPECT_EQ(s->Value(), 40) << "from the nearest step";
  Key(VK_LEFT);
  EXPECT_EQ(s->Value(), 30);
  Key(VK_END);
  EXPECT_EQ(s->Value(), 100);
  Key(VK_HOME);
  EXPECT_EQ(s->Value(), 0);
  EXPECT_EQ(log, (std::vector<std::string>{"change", "changed", "change", "changed", "change", "changed", "change",
                                           "changed"}));
  log.clear();
  win::headless::KeyDown(VK_SHIFT);
  Key(VK_END);
  win::headless::KeyUp(VK_SHIFT);
  Pump();
  EXPECT_EQ(s->Value(), 0) << "with Shift the keys do nothing";
  EXPECT_TRUE(log.empty());

  s->ReadOnly = true;
  Key(VK_END);
  Press(s, 150, 12);
  Up(s, 150, 12);
  EXPECT_EQ(s->Value(), 0) << "read-only: neither keys nor the ruler change it";
  s->ReadOnly = false;

  s->SetOrientation(soVertical);
  EXPECT_EQ(s->Width(), 31);
  EXPECT_EQ(s->Height(), 200);
  Key(VK_UP);
  EXPECT_EQ(s->Value(), 10) << "up goes towards the maximum";
  EXPECT_GT(s->ThumbRect().Top, 100) << "the minimum is at the bottom";
  const int x = s->ThumbRect().Left + 6, y = s->ThumbRect().Top + 3;
  Advance(1000);
  Press(s, x, y);
  win::headless::MouseMove(Scr(s, x, 6 + 3));
  Pump();
  Up(s, x, 6 + 3);
  EXPECT_EQ(s->Value(), 100) << "dragged to the top: the maximum";
  EXPECT_EQ(s->ThumbRect().Top, 6);
}

TEST_F(SliderTest, TicksThinOutToFourPixelsAndFocusShowsAFrame) {
  auto* s = Make<TbsSkinSlider>(form, 10, 10, 200, 40);
  s->SetSkinData(&SliderSkin());
  s->SetMaxValue(1000);
  s->SetIncrement(1);
  const int y = s->PointsRect().Top;
  auto ticks = [&] {
    int n = 0;
    for (int x = 0; x < s->Width(); ++x) n += PixelAt(s, x, y) == Rgb(0);
    return n;
  };
  EXPECT_EQ(ticks(), 44) << "every 23rd unit: 1000 / 23 ticks, at least 4 pixels apart";
  EXPECT_EQ(PixelAt(s, 6 + 6, y + 4), Rgb(0)) << "the end ticks are longer";
  EXPECT_EQ(PixelAt(s, 6 + 6 + 4, y + 4), Rgb(kPanel));
  s->SetIncrement(250);
  EXPECT_EQ(ticks(), 5);

  EXPECT_EQ(PixelAt(s, 2, 2), Rgb(kPanel));
  s->SetFocus();
  Pump();
  EXPECT_EQ(PixelAt(s, 2, 2), Rgb(0)) << "a dotted frame in the skin's text colour";
}

TEST_F(SliderTest, PlainLookAndDegenerateSizes) {
  auto* s = Make<TbsSkinSlider>(form, 10, 10, 150, 40);
  EXPECT_EQ(s->Image(siHThumb)->Width(), 18);
  EXPECT_EQ(s->Image(siHRuler)->Height(), 8);
  EXPECT_EQ(s->Image(siVThumb)->Width(), 38);
  EXPECT_EQ(s->Image(siVRuler)->Height(), 10);
  EXPECT_EQ(s->Ruler()->Width(), 138);
  TBitmap* img = s->Image(siHRuler);
  for (int y = 0; y < 8; ++y)
    EXPECT_EQ(s->Ruler()->Canvas()->Pixels(137, y), img->Canvas()->Pixels(9, y)) << "the trailing end meets the end";

  gdi::TBitmap user(20, 8);
  user.Canvas()->Brush()->SetColor(0x123456);
  user.Canvas()->FillRect({0, 0, 20, 8});
  s->SetImage(siHRuler, &user);
  EXPECT_TRUE(s->UserImages().Contains(siHRuler));
  EXPECT_EQ(s->Ruler()->Canvas()->Pixels(70, 4), TColor(0x123456));
  s->SetOptions({soRulerOpaque});
  s->SetImage(siHRuler, nullptr);
  EXPECT_FALSE(s->UserImages().Contains(siHRuler));
  EXPECT_FALSE(s->Options().Contains(soRulerOpaque));

  s->SetEdgeSize(4);
  EXPECT_EQ(s->EdgeSize(), 4);
  s->SetEdgeSize(5);
  EXPECT_EQ(s->EdgeSize(), 4) << "an edge that leaves no middle is refused";

  s->SetBounds(10, 10, 8, 40);
  EXPECT_EQ(s->Ruler()->Width(), 0);
  EXPECT_EQ(s->ThumbRect().Left, 6);
  Press(s, 4, 10);
  Up(s, 4, 10);
  s->SetValue(60);
  EXPECT_EQ(s->ThumbRect().Left, 6) << "no travel: the thumb stays at the margin";
}

}  // namespace
}  // namespace skinctltest
