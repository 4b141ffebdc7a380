#include "platform/forms/ExtCtrls.h"
#include "skin/controls/bsSkinPanels.h"
#include "tests/skin/controls/SkinControlsTestUtil.h"
#include "tests/skin/controls/SkinChangeTestUtil.h"

namespace skinctltest {
namespace {

std::uint32_t SysPx(rtl::TColor c) {  // a system colour as a surface pixel
  const auto v = gdi::ColorToRGB(c);
  return (v & 0xFF) << 16 | (v & 0xFF00) | (v >> 16 & 0xFF);
}

// ---------------------------------------------------------------- panel
TEST_F(SkinControlsTest, PanelRollsUpToItsCaptionAndBack) {
  auto* p = Make<TbsSkinPanel>(form, 10, 10, 200, 150, u"Group");
  auto* child = Make<forms::TCustomControl>(p, 10, 30, 50, 20);
  p->SetCaptionMode(true);
  p->SetRollUpMode(true);
  p->Constraints()->SetMaxHeight(400);
  p->SetRollUpState(true);
  EXPECT_EQ(p->Height(), 23);
  EXPECT_EQ(p->RealHeight, 150);
  EXPECT_FALSE(child->Visible());
  EXPECT_EQ(p->Constraints()->MaxHeight(), 0) << "constraints are put aside while rolled";
  p->DoRollUp(true);
  EXPECT_EQ(p->Height(), 23) << "a second roll-up changes nothing";
  p->SetRollUpState(false);
  EXPECT_EQ(p->Height(), 150);
  EXPECT_EQ(p->RealHeight, -1);
  EXPECT_TRUE(child->Visible());
  EXPECT_EQ(p->Constraints()->MaxHeight(), 400) << "and come back when rolled down";

  p->SetRollUpMode(false);
  p->SetRollUpState(true);
  EXPECT_FALSE(p->RollUpState());
  EXPECT_EQ(p->Height(), 150);
  EXPECT_EQ(p->Constraints()->MaxHeight(), 400) << "roll-up mode off: the saved constraints come back";
}

TEST_F(SkinControlsTest, PanelCaptionClickChecksThenRolls) {
  auto* p = Make<TbsSkinPanel>(form, 10, 10, 200, 150, u"Group");
  auto* child = Make<forms::TCustomControl>(p, 10, 30, 50, 20);
  p->SetCaptionMode(true);
  p->SetCheckedMode(true);
  p->SetRollUpMode(true);
  p->OnChecked = [&](rtl::TObject*) { log.push_back("checked " + std::to_string(p->RollUpState())); };
  p->OnChangeRollUpState = Logger("rolled");
  win::headless::Click(Scr(p, 50, 10), 1);  // right button: nothing
  Pump();
  EXPECT_TRUE(log.empty());
  win::headless::Click(Scr(p, 50, 10));
  Pump();
  EXPECT_EQ(log, (std::vector<std::string>{"checked 0", "rolled"}));
  EXPECT_TRUE(p->Checked());
  EXPECT_TRUE(child->Enabled());
  p->SetChecked(false);
  EXPECT_FALSE(child->Enabled()) << "checked mode drives the children";
  p->AutoEnabledControls = false;
  p->SetChecked(true);
  EXPECT_FALSE(child->Enabled());
}

TEST_F(SkinControlsTest, PanelLooksPlainAndSkinned) {
  auto& s = Skin();
  auto* p = Make<TbsSkinPanel>(form, 10, 10, 120, 80);
  EXPECT_EQ(PixelAt(p, 0, 0), SysPx(gdi::clBtnShadow));
  EXPECT_EQ(PixelAt(p, 40, 40), SysPx(gdi::clBtnFace));
  EXPECT_EQ(p->GetSkinClientRect(), (rtl::TRect{1, 1, 119, 79}));
  p->SetCaptionMode(true);
  EXPECT_EQ(p->GetSkinClientRect(), (rtl::TRect{1, 23, 119, 79}));
  p->SetCaptionMode(false);
  p->SetSkinData(&s);
  EXPECT_EQ(PixelAt(p, 0, 0), Rgb(kPanelBorder));
  EXPECT_EQ(PixelAt(p, 119, 79), Rgb(kPanelBorder));
  EXPECT_EQ(PixelAt(p, 60, 40), Rgb(kPanel)) << "the client part is tiled";
  EXPECT_EQ(p->GetSkinClientRect(), (rtl::TRect{3, 3, 117, 77}));
  // Frame only: the client part is left to what lies under it.
  p->DrawbackGround = false;
  form->SetColor(0x00FFFF);
  EXPECT_EQ(PixelAt(p, 0, 0), Rgb(kPanelBorder));
  EXPECT_EQ(PixelAt(p, 60, 40), Rgb(0x00FFFF)) << "the form shows through the client part";
  p->DrawbackGround = true;
  // Transparent: the parent shows through inside a one-pixel outline.
  form->SetColor(0x00FFFF);
  p->SetTransparentMode(true);
  EXPECT_EQ(PixelAt(p, 60, 40), Rgb(0x00FFFF));
}

TEST_F(SkinControlsTest, PanelSkinChangeWhileRolledKeepsTheOldHeight) {
  auto& s = Skin();
  auto* p = Make<TbsSkinPanel>(form, 10, 10, 120, 150, u"x");
  p->SetCaptionMode(true);
  p->SetRollUpMode(true);
  p->SetRollUpState(true);
  EXPECT_EQ(p->Height(), 23);
  p->SetSkinData(&s);
  EXPECT_EQ(p->Height(), 6) << "collapsed to the new skin's frame";
  EXPECT_EQ(p->RealHeight, 150);
  p->SetRollUpState(false);
  EXPECT_EQ(p->Height(), 150);
}

TEST_F(SkinControlsTest, PaintPanelGroupBoxAndStatusBar) {
  auto* pp = Make<TbsSkinPaintPanel>(form, 0, 0, 100, 60);
  rtl::TRect got{};
  pp->OnPanelPaint = [&](gdi::TCanvas* c, rtl::TRect r) {
    got = r;
    c->Brush()->SetColor(0xFF00FF);
    c->FillRect({r.Left, r.Top, r.Left + 4, r.Top + 4});
  };
  EXPECT_EQ(PixelAt(pp, 2, 2), 0xFF00FFu);
  EXPECT_EQ(got, (rtl::TRect{1, 1, 99, 59}));

  auto* g = Make<TbsSkinGroupBox>(form, 120, 0, 100, 60);
  EXPECT_EQ(g->SkinDataName(), u"groupbox");
  EXPECT_TRUE(g->CaptionMode());

  auto* sb = Make<TbsSkinStatusBar>(form, 0, 0, 300, 21);
  EXPECT_EQ(sb->Align(), forms::alBottom);
  const int w = sb->Width();
  EXPECT_EQ(sb->GetSkinClientRect().Right, w);
  sb->SetSizeGrip(true);
  EXPECT_EQ(sb->GetSkinClientRect().Right, w - 21) << "a grip square as wide as the client height";
  auto hit = [&](int x, int y) {
    const auto p = Scr(sb, x, y);
    return sb->Perform(win::WM_NCHITTEST, 0, win::LPARAM((p.Y & 0xFFFF) << 16 | (p.X & 0xFFFF)));
  };
  EXPECT_EQ(hit(w - 5, 15), win::HTBOTTOMRIGHT);
  EXPECT_EQ(hit(10, 10), win::HTCLIENT);
  sb->SetShowGrip(false);
  EXPECT_EQ(sb->GetSkinClientRect().Right, w);
  EXPECT_NE(hit(w - 5, 15), win::HTBOTTOMRIGHT);
}

TEST(SizeGrip, PairsOfDiagonalLines) {
  gdi::TBitmap b(12, 12);
  b.Canvas()->Brush()->SetColor(0xFFFFFF);
  b.Canvas()->FillRect({0, 0, 12, 12});
  DrawSizeGrip(b.Canvas(), {0, 0, 12, 12}, 0x000000, 0x0000FF);
  auto px = [&](int x, int y) { return b.GetSurface()->GetPixel(x, y) & 0xFFFFFF; };
  EXPECT_EQ(px(11, 4), 0x000000u) << "dark line towards (Right, Top + 3), end excluded";
  EXPECT_EQ(px(11, 5), 0xFF0000u) << "light line one below";
  EXPECT_EQ(px(4, 11), 0x000000u);
  EXPECT_EQ(px(11, 7), 0x000000u) << "the next pair three pixels on";
  EXPECT_EQ(px(0, 0), 0xFFFFFFu);
}

// ---------------------------------------------------------------- bevel
TEST_F(SkinControlsTest, BevelEdgesAndDivider) {
  auto& s = Skin();
  auto bevel = std::make_unique<TbsDataSkinBevel>(u"bevel");
  bevel->LightColor = 0x00FF00;
  bevel->DarkColor = 0x0000FF;
  s.CtrlList.push_back(std::move(bevel));
  auto* b = Make<TbsSkinBevel>(form, 10, 10, 60, 20);
  b->SetShape(bsTopLine);
  b->SetStyle(bsRaised);
  EXPECT_EQ(PixelAt(b, 5, 0), SysPx(gdi::clBtnHighlight));
  EXPECT_EQ(PixelAt(b, 5, 1), SysPx(gdi::clBtnShadow));
  b->SetSkinData(&s);
  EXPECT_EQ(PixelAt(b, 5, 0), 0x00FF00u);
  EXPECT_EQ(PixelAt(b, 5, 1), 0xFF0000u);
  b->SetStyle(bsLowered);
  EXPECT_EQ(PixelAt(b, 5, 0), 0xFF0000u);
  b->SetShape(bsBox);
  b->SetDividerMode(true);
  EXPECT_EQ(PixelAt(b, 29, 10), 0xFF0000u) << "a divider box is a vertical line down the middle";
  EXPECT_EQ(PixelAt(b, 0, 0), PixelAt(b, 5, 5)) << "no box edge";
  b->SetSkinData(nullptr);
  EXPECT_EQ(b->LightColor, gdi::clBtnHighlight);
  EXPECT_EQ(b->DarkColor, gdi::clBtnShadow);
}

// A skin change reaches a bevel through the form's frame, also when the bevel
// sits on a tool bar inside a plain panel; one bound to another skin keeps its colours.
TEST_F(SkinControlsTest, BevelFollowsASkinChangeSentThroughTheFrame) {
  auto& s = Skin();
  auto entry = std::make_unique<TbsDataSkinBevel>(u"bevel");
  TbsDataSkinBevel* d = entry.get();
  d->LightColor = 0x00FF00;
  d->DarkColor = 0x0000FF;
  s.CtrlList.push_back(std::move(entry));
  auto* panel = Make<forms::TPanel>(form, 0, 0, 300, 100);
  auto* bar = Make<TbsSkinToolBar>(panel, 0, 0, 300, 40);
  bar->AdjustControls = false;
  auto* b = Make<TbsSkinBevel>(bar, 10, 5, 60, 20);
  auto* other = Make<TbsSkinBevel>(form, 10, 150, 60, 20);
  TbsSkinData otherSkin(nullptr);
  for (TbsSkinBevel* x : {b, other}) {
    x->SetShape(bsTopLine);
    x->SetStyle(bsRaised);
  }
  b->SetSkinData(&s);
  other->SetSkinData(&otherSkin);
  ASSERT_EQ(PixelAt(b, 5, 0), 0x00FF00u);
  d->LightColor = 0xFFFF00;  // the new skin's colours
  d->DarkColor = 0x00FFFF;
  SendSkinChange(form, &s);
  EXPECT_EQ(b->LightColor, 0xFFFF00);
  EXPECT_EQ(PixelAt(b, 5, 0), 0x00FFFFu) << "repainted in the new light colour";
  EXPECT_EQ(PixelAt(b, 5, 1), 0xFFFF00u) << "and the new dark one";
  EXPECT_EQ(other->LightColor, gdi::clBtnHighlight) << "a bevel of another skin is not touched";
}

// ---------------------------------------------------------------- tool bar
TEST_F(SkinControlsTest, ToolBarCentresAndPassesItsSettingsOn) {
  auto* bar = Make<TbsSkinToolBar>(form, 0, 0, 300, 30);
  auto* plain = Make<forms::TCustomControl>(bar, 10, 0, 20, 10);
  auto* bevel = Make<TbsSkinBevel>(bar, 40, 0, 2, 20);
  auto* sbtn = Make<TbsSkinSpeedButton>(bar, 50, 0, 25, 20);
  auto* wbtn = Make<TbsSkinButton>(bar, 90, 0, 60, 20);
  bar->SetBounds(0, 0, 300, 40);
  EXPECT_EQ(wbtn->Top(), 10) << "a skinned windowed control centres itself";
  EXPECT_EQ(plain->Top(), 15);
  EXPECT_EQ(bevel->Top(), 10);
  EXPECT_EQ(sbtn->Top(), 10);
  bar->AdjustControls = false;
  bevel->SetTop(3);
  EXPECT_EQ(bevel->Top(), 3);
  bar->SetFlat(true);
  EXPECT_TRUE(sbtn->Flat());
  auto& s = Skin();
  bar->SetSkinData(&s);
  EXPECT_EQ(sbtn->SkinData(), &s);
  EXPECT_EQ(bevel->SkinData(), &s);
  sbtn->WidthWithCaption = 60;
  sbtn->WidthWithoutCaption = 25;
  bar->AutoShowHideCaptions = true;
  bar->SetShowCaptions(true);
  bar->SetShowCaptions(false);
  EXPECT_EQ(sbtn->Width(), 25);
  bar->SetShowCaptions(true);
  EXPECT_EQ(sbtn->Width(), 60);
}

TEST_F(SkinControlsTest, ToolBarScrollsWithItsNonClientButtons) {
  auto* bar = new TbsSkinToolBar(form);
  bar->CanScroll = true;
  bar->SetScrollOffset(30);
  bar->SetScrollOffset(-1);
  bar->SetScrollTimerInterval(0);
  EXPECT_EQ(bar->ScrollOffset(), 30);
  EXPECT_EQ(bar->ScrollTimerInterval(), 50);
  bar->SetBounds(0, 0, 200, 30);
  bar->SetParent(form);
  for (int i = 0; i < 8; ++i) Make<forms::TCustomControl>(bar, i * 50, 5, 45, 20);
  bar->UpdateScrollRange();
  ASSERT_TRUE(bar->ScrollButtonsVisible());
  EXPECT_EQ(bar->ClientWidth(), 176) << "12 pixels at each end";
  EXPECT_EQ(bar->ScrollPosition(), 0);
  auto* first = bar->Controls(0);
  const int left0 = first->Left();

  auto press = [&](int x) {
    win::headless::MouseMove(Scr(bar, x, 10));
    win::headless::MouseDown(Scr(bar, x, 10));
    Pump();
  };
  auto release = [&](int x) {
    win::headless::MouseUp(Scr(bar, x, 10));
    Pump();
  };
  const int right = bar->ClientWidth() + 6, leftB = -6;
  press(right);
  EXPECT_EQ(bar->TimerMode(), 2);
  release(right);
  EXPECT_EQ(bar->ScrollPosition(), 30) << "a press and release step once";
  EXPECT_EQ(first->Left(), left0 - 30);
  EXPECT_EQ(bar->TimerMode(), 0);

  press(right);
  Advance(100);
  release(right);
  EXPECT_EQ(bar->ScrollPosition(), 30 + 2 * 30 + 30) << "held: one step per tick and one on release";
  for (int i = 0; i < 20; ++i) bar->ScrollStep(1);
  EXPECT_EQ(bar->ScrollPosition(), bar->ScrollMax() - 176 + 1) << "never past the end";
  for (int i = 0; i < 20; ++i) bar->ScrollStep(0);
  EXPECT_EQ(bar->ScrollPosition(), 0);
  EXPECT_EQ(first->Left(), left0);

  bar->HotScroll = true;
  win::headless::MouseMove(Scr(bar, 47, 10));  // between two children: the bar's own client area
  Pump();
  win::headless::MouseMove(Scr(bar, right, 10));
  Pump();
  Advance(100);
  EXPECT_EQ(bar->ScrollPosition(), 60) << "hot scroll while resting on the button";
  win::headless::MouseMove(Scr(bar, 37, 10));  // the children moved 60 to the left
  Pump();
  Advance(100);
  EXPECT_EQ(bar->ScrollPosition(), 60) << "and stops when the pointer leaves it";

  bar->SetBounds(0, 0, 600, 30);
  bar->UpdateScrollRange();
  EXPECT_FALSE(bar->ScrollButtonsVisible()) << "everything fits again";
  EXPECT_EQ(bar->ScrollPosition(), 0);
  EXPECT_EQ(first->Left(), left0);
  (void)leftB;
}

}  // namespace
}  // namespace skinctltest
