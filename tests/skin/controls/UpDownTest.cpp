// Up-down buttons: value rules, button places, pointer tracking, clicks and
// the repeat on the fake clock, and the three looks.
#include "tests/skin/controls/EditsTestUtil.h"

namespace skinctltest {
namespace {

class UpDownTest : public EditsTest {
 protected:
  TbsSkinUpDown* MakeUpDown(int w = 50, int h = 25) {
    auto* u = Make<TbsSkinUpDown>(form, 20, 20, w, h);
    u->OnChange = [this](rtl::TObject*) { log.push_back("change"); };
    u->OnUpButtonClick = Logger("up");
    u->OnDownButtonClick = Logger("down");
    Pump();
    return u;
  }
  int Count(const std::string& what) { return int(std::count(log.begin(), log.end(), what)); }
};

TEST_F(UpDownTest, ValueRules) {
  auto* u = MakeUpDown();
  EXPECT_EQ(u->Position(), 0);
  EXPECT_EQ(u->Min(), 0);
  EXPECT_EQ(u->Max(), 100);
  EXPECT_EQ(u->Increment(), 1);
  EXPECT_EQ(u->SkinDataName(), u"hupdown");
  EXPECT_EQ(u->Width(), 50);
  EXPECT_EQ(u->Height(), 25);

  u->SetPosition(101);  // above Max: ignored, no event
  u->SetPosition(-1);
  EXPECT_EQ(u->Position(), 0);
  EXPECT_TRUE(log.empty());
  u->SetPosition(0);  // the same value still fires
  EXPECT_EQ(log, std::vector<std::string>{"change"});
  u->SetPosition(5);
  u->SetMin(10);  // clamps silently
  EXPECT_EQ(u->Position(), 10);
  u->SetMax(7);  // clamps silently, Min > Max left alone
  EXPECT_EQ(u->Position(), 7);
  EXPECT_EQ(Count("change"), 2);
}

TEST_F(UpDownTest, ButtonPlacesAndArrowsInThePlainLook) {
  auto* u = MakeUpDown();
  EXPECT_EQ(u->Buttons[1].R, (rtl::TRect{0, 0, 25, 25}));
  EXPECT_EQ(u->Buttons[0].R, (rtl::TRect{25, 0, 50, 25}));
  // Left arrow in the down button: its tip pixel is left of the centre.
  EXPECT_EQ(WinPixel(u, 12 - 1, 12), 0u);
  EXPECT_EQ(WinPixel(u, 25 + 12 + 1, 12), 0u);
  EXPECT_EQ(WinPixel(u, 2, 2), Rgb(gdi::ColorToRGB(gdi::clBtnFace)));
  u->SetOrientation(udVertical);
  u->SetBounds(20, 20, 20, 40);
  Pump();
  EXPECT_EQ(u->Buttons[0].R, (rtl::TRect{0, 0, 20, 20}));
  EXPECT_EQ(u->Buttons[1].R, (rtl::TRect{0, 20, 20, 40}));
  EXPECT_EQ(u->SkinDataName(), u"hupdown");  // at run time the name stays
}

TEST_F(UpDownTest, SharedEdgeBelongsToTheUpButtonAndAClickStepsOnRelease) {
  auto* u = MakeUpDown();
  Press(WinScr(u, 25, 12));
  EXPECT_EQ(u->CaptureButton(), 0);
  EXPECT_TRUE(u->Buttons[0].Down);
  EXPECT_EQ(u->Position(), 0);  // nothing yet
  Release(WinScr(u, 25, 12));
  EXPECT_EQ(u->Position(), 1);
  EXPECT_EQ(log, (std::vector<std::string>{"change", "up"}));
  log.clear();
  Press(WinScr(u, 5, 5));
  Release(WinScr(u, 5, 5));
  EXPECT_EQ(u->Position(), 0);
  EXPECT_EQ(log, (std::vector<std::string>{"change", "down"}));
  EXPECT_EQ(u->TimerMode(), 0);
}

TEST_F(UpDownTest, HoldingRepeatsAfterTheWaitAndStopsAtMax) {
  auto* u = MakeUpDown();
  u->SetMax(10);
  Press(WinScr(u, 40, 12));
  EXPECT_EQ(u->TimerMode(), 2);
  EXPECT_TRUE(u->WaitMode());
  Advance(490);
  EXPECT_EQ(u->Position(), 0);  // still waiting
  Advance(20);                  // the wait ends, no step yet
  EXPECT_FALSE(u->WaitMode());
  EXPECT_EQ(u->Position(), 0);
  Advance(300);  // three steps of 100 ms
  EXPECT_EQ(u->Position(), 3);
  Advance(1000);  // up to Max, further ticks change nothing
  EXPECT_EQ(u->Position(), 10);
  const int changes = Count("change");
  EXPECT_EQ(changes, 10);
  Release(WinScr(u, 40, 12));
  EXPECT_EQ(Count("change"), changes);  // at Max: no change
  EXPECT_EQ(Count("up"), 1);            // but the click still fires
  EXPECT_EQ(u->TimerMode(), 0);
  Advance(300);
  EXPECT_EQ(u->Position(), 10);
}

TEST_F(UpDownTest, LeavingThePressedButtonPausesAndReenteringRepeatsFaster) {
  auto* u = MakeUpDown();
  Press(WinScr(u, 5, 12));  // down button
  u->SetPosition(50);
  log.clear();
  Advance(600);  // wait over, one step
  EXPECT_EQ(u->Position(), 49);
  Move(WinScr(u, 40, 12));  // onto the up button: counts as none while captured
  EXPECT_EQ(u->ActiveButton(), -1);
  EXPECT_FALSE(u->Buttons[0].MouseIn);
  EXPECT_EQ(u->TimerMode(), 1);  // the state stays
  Advance(500);
  EXPECT_EQ(u->Position(), 49);
  Move(WinScr(u, 5, 12));  // back: steps every 50 ms
  Advance(200);
  EXPECT_EQ(u->Position(), 45);
  Move(WinScr(u, 40, 12));
  Release(WinScr(u, 40, 12));  // released off the button: no click
  EXPECT_EQ(Count("down"), 0);
  EXPECT_EQ(Count("up"), 0);
  EXPECT_EQ(u->Position(), 45);
}

TEST_F(UpDownTest, ZeroIncrementGivesClicksOnly) {
  auto* u = MakeUpDown();
  u->SetIncrement(0);
  Press(WinScr(u, 40, 12));
  EXPECT_EQ(u->TimerMode(), 0);
  Advance(1000);
  Release(WinScr(u, 40, 12));
  Press(WinScr(u, 5, 12));
  Release(WinScr(u, 5, 12));
  EXPECT_EQ(log, (std::vector<std::string>{"up", "down"}));
  EXPECT_EQ(u->Position(), 0);
}

TEST_F(UpDownTest, SkinLooks) {
  TbsSkinData& s = EditSkin();
  auto* u = MakeUpDown();
  u->SetSkinData(&s);
  Pump();
  // The skin's fixed size and button places.
  EXPECT_EQ(u->Width(), 20);
  EXPECT_EQ(u->Height(), 20);
  EXPECT_EQ(u->Buttons[0].R, (rtl::TRect{10, 0, 20, 20}));
  EXPECT_EQ(WinPixel(u, 15, 10), Rgb(kNormal));
  Move(WinScr(u, 15, 10));
  EXPECT_EQ(WinPixel(u, 15, 10), Rgb(kHot));
  win::headless::MouseDown(WinScr(u, 15, 10));
  Pump();
  EXPECT_EQ(WinPixel(u, 15, 10), Rgb(kDown));
  Release(WinScr(u, 15, 10));

  // Without UseSkinSize: the stretchable button, arrows in its colours.
  u->UseSkinSize = false;
  u->SetBounds(20, 20, 60, 30);
  Pump();
  EXPECT_EQ(u->Width(), 60);
  EXPECT_EQ(u->Buttons[0].R, (rtl::TRect{30, 0, 60, 30}));
  EXPECT_EQ(WinPixel(u, 10, 10), Rgb(kNormal));
  EXPECT_EQ(WinPixel(u, 45 + 1, 15), 0xFFFFFFu);  // right arrow, white
  Move(WinScr(u, 45, 5));
  EXPECT_EQ(WinPixel(u, 35, 5), Rgb(kHot));

  // A skin without "resizebutton": blank faces, no arrows.
  for (auto& d : s.CtrlList)
    if (d->IDName == u"resizebutton") d->IDName = u"gone";
  u->Repaint();
  const std::uint32_t face = Rgb(gdi::ColorToRGB(gdi::clBtnFace));
  EXPECT_EQ(WinPixel(u, 45 + 1, 15), face);
  EXPECT_EQ(WinPixel(u, 15 - 1, 15), face);
}

}  // namespace
}  // namespace skinctltest
