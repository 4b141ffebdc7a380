#include "platform/forms/Actions.h"
#include "platform/forms/ImgList.h"
#include "skin/controls/bsSkinButtons.h"
#include "skin/controls/bsSkinMenuIntf.h"
#include "tests/skin/controls/SkinControlsTestUtil.h"
#include "tests/skin/controls/SkinChangeTestUtil.h"
#include "tests/support/Looks.h"

namespace skinctltest {
namespace {

constexpr int VK_RETURN = 13, VK_SPACE = 32, VK_ESCAPE = 27, VK_TAB = 9;

// A plain focusable control, for the focus resting on something that is not a skinned button.
class TPlainFocus : public forms::TCustomControl {
 public:
  explicit TPlainFocus(rtl::TComponent* o) : TCustomControl(o) { SetTabStop(true); }
};

// ---------------------------------------------------------------- bases
class TFixedControl : public TbsSkinCustomControl {
 public:
  explicit TFixedControl(rtl::TComponent* o) : TbsSkinCustomControl(o) { FSkinDataName = u"fixed"; }
};

TEST_F(SkinControlsTest, BasesFitTheirSizeToTheSkinAndFallBackToThePlainLook) {
  auto& s = Skin();
  auto* fixed = Make<TFixedControl>(form, 10, 10, 50, 40);
  fixed->SetDefaultWidth(33);
  fixed->SetDefaultHeight(22);
  EXPECT_EQ(fixed->Width(), 33) << "unskinned: the default size is taken";
  fixed->SetSkinData(&s);
  EXPECT_EQ(fixed->GetResizeModeValue(), 0);
  EXPECT_EQ(fixed->Width(), 20);
  fixed->SetBounds(10, 10, 70, 70);
  EXPECT_EQ(fixed->Width(), 20) << "a fixed-size control keeps the skin's size";
  EXPECT_EQ(PixelAt(fixed, 10, 10), Rgb(kNormal));

  auto* wide = Make<TFixedControl>(form, 10, 60, 50, 40);
  wide->SetSkinDataName(u"wide");
  wide->SetSkinData(&s);
  EXPECT_EQ(wide->GetResizeModeValue(), 2);
  wide->SetBounds(10, 60, 90, 50);
  EXPECT_EQ(wide->Width(), 90);
  EXPECT_EQ(wide->Height(), 20) << "width-only: the skin's height stays";

  fixed->SetSkinDataName(u"absent");
  EXPECT_EQ(fixed->SkinIndex(), 3) << "the name alone changes nothing until the next skin change";
  fixed->ChangeSkinData();
  EXPECT_EQ(fixed->SkinIndex(), -1);
  EXPECT_EQ(fixed->Width(), 33);
  EXPECT_EQ(PixelAt(fixed, 10, 10), Rgb(gdi::ColorToRGB(gdi::clBtnFace)));
}

TEST_F(SkinControlsTest, RemovingTheSkinLeavesControlsUnskinned) {
  auto* b = Make<TbsSkinButton>(form, 10, 10, 75, 25);
  sd = std::make_unique<TbsSkinData>(form);
  MakeTestSkin(*sd, false);
  b->SetSkinData(sd.get());
  EXPECT_EQ(b->SkinIndex(), 0);
  sd.reset();
  EXPECT_EQ(b->SkinData(), nullptr);
  form->Repaint();
  EXPECT_EQ(b->SkinIndex(), -1);
}

TEST_F(SkinControlsTest, TranslatedSkinRectanglesFollowTheSize) {
  auto& s = Skin();
  struct TProbe : TbsSkinCustomControl {
    using TbsSkinCustomControl::TbsSkinCustomControl;
  };
  auto* c = Make<TProbe>(form, 0, 0, 20, 20);
  c->SetSkinDataName(u"panel");
  c->SetSkinData(&s);
  c->SetBounds(0, 0, 120, 60);
  struct Case {
    rtl::TRect in, out;
  } cases[] = {
      {{0, 0, 2, 2}, {0, 0, 2, 2}},         // top-left corner: fixed
      {{18, 0, 19, 2}, {118, 0, 119, 2}},   // top-right corner: moves right
      {{0, 18, 2, 19}, {0, 58, 2, 59}},     // bottom-left corner: moves down
      {{18, 18, 19, 19}, {118, 58, 119, 59}},
      {{1, 1, 19, 2}, {1, 1, 119, 2}},      // spans the top: grows
      {{1, 1, 19, 19}, {1, 1, 119, 59}},    // spans everything
  };
  for (const auto& k : cases) EXPECT_EQ(c->TranslateSkinRect(k.in), k.out) << k.in.Left << "," << k.in.Top;
  EXPECT_EQ(c->RealClientRect(), (rtl::TRect{3, 3, 103 + 14, 43 + 14}));
}

// ---------------------------------------------------------------- push button
TEST_F(SkinControlsTest, ButtonPointerEventOrder) {
  auto* b = Make<TbsSkinButton>(form, 10, 10, 75, 25, u"OK");
  b->OnClick = Logger("click");
  b->OnMouseDown = MouseLogger("down");
  b->OnMouseUp = MouseLogger("up");
  Down(b);
  Up(b);
  EXPECT_EQ(log, (std::vector<std::string>{"down", "click", "up"}));

  log.clear();
  Down(b);
  EXPECT_TRUE(b->Down());
  Leave();
  EXPECT_FALSE(b->MouseIn());
  Enter(b);
  Leave();
  Up(b, 200, 200);
  EXPECT_EQ(log, (std::vector<std::string>{"down", "up"})) << "released outside: no click";
  EXPECT_FALSE(b->Down());

  log.clear();
  Down(b);
  Leave();
  Enter(b);
  Up(b);
  EXPECT_EQ(log, (std::vector<std::string>{"down", "click", "up"})) << "re-entered before the release";
}

TEST_F(SkinControlsTest, ButtonKeysAndDialogRoles) {
  auto* ok = Make<TbsSkinButton>(form, 10, 10, 75, 25, u"&OK");
  auto* cancel = Make<TbsSkinButton>(form, 100, 10, 75, 25, u"Cancel");
  auto* other = Make<TPlainFocus>(form, 10, 60, 50, 20);
  ok->SetDefault(true);
  cancel->Cancel = true;
  cancel->ModalResult = forms::mrCancel;
  ok->OnClick = Logger("ok");
  cancel->OnClick = [&](rtl::TObject*) { log.push_back("cancel " + std::to_string(form->ModalResult())); };
  Pump();

  cancel->SetFocus();
  Pump();
  Key(VK_RETURN);
  EXPECT_EQ(log, (std::vector<std::string>{"cancel 2"})) << "Enter clicks the focused button once";

  log.clear();
  other->SetFocus();
  Pump();
  EXPECT_TRUE(ok->MouseIn()) << "the default button is drawn hot while the focus is elsewhere";
  Key(VK_RETURN);
  EXPECT_EQ(log, (std::vector<std::string>{"ok"}));

  log.clear();
  Key(VK_ESCAPE);
  EXPECT_EQ(log, (std::vector<std::string>{"cancel 2"}));

  log.clear();
  ok->SetFocus();
  Pump();
  win::headless::KeyDown(VK_SPACE);
  Pump();
  EXPECT_TRUE(ok->Down());
  win::headless::KeyUp(VK_SPACE);
  Pump();
  EXPECT_EQ(log, (std::vector<std::string>{"ok"})) << "Space clicks once, on release";
  EXPECT_FALSE(ok->Down());

  log.clear();
  cancel->SetFocus();
  Pump();
  EXPECT_FALSE(ok->MouseIn()) << "focus on another skinned button: the default is not hot";
}

TEST_F(SkinControlsTest, ButtonRepeatClicksOnTheFakeClock) {
  auto* b = Make<TbsSkinButton>(form, 10, 10, 75, 25);
  b->RepeatMode = true;
  std::vector<int> at;
  int now = 0;
  b->OnClick = [&](rtl::TObject*) { at.push_back(now); };
  Down(b);
  for (; now < 1000; now += 10) {
    win::headless::AdvanceClock(10);
    Pump();
  }
  // Clicks fall in the 10 ms step after they are due.
  EXPECT_EQ(at, (std::vector<int>{590, 690, 790, 890, 990}));
  at.clear();
  Leave();
  EXPECT_FALSE(b->Repeating()) << "leaving stops the repeats";
  Advance(300);
  EXPECT_TRUE(at.empty());
  Enter(b);
  EXPECT_TRUE(b->Repeating()) << "coming back restarts the delay";
  Advance(400);
  EXPECT_TRUE(at.empty());
  Up(b);
  EXPECT_EQ(at.size(), 1u) << "and the release clicks";
  EXPECT_FALSE(b->Repeating());
}

TEST_F(SkinControlsTest, ButtonGroupsLatchWithinOneParent) {
  auto* a = Make<TbsSkinButton>(form, 10, 10, 60, 25, u"A");
  auto* b = Make<TbsSkinButton>(form, 80, 10, 60, 25, u"B");
  auto* panel = Make<forms::TCustomControl>(form, 10, 100, 200, 60);
  auto* c = Make<TbsSkinButton>(panel, 10, 10, 60, 25, u"C");
  for (auto* x : {a, b, c}) x->SetGroupIndex(1);
  EXPECT_FALSE(a->CanFocused());
  EXPECT_FALSE(a->TabStop());
  a->OnClick = Logger("a");
  b->OnClick = Logger("b");
  c->SetDown(true);
  Down(a);
  EXPECT_EQ(log, (std::vector<std::string>{"a"})) << "a group button clicks on the press";
  Up(a);
  EXPECT_TRUE(a->Down());
  Down(b);
  Up(b);
  EXPECT_TRUE(b->Down());
  EXPECT_FALSE(a->Down());
  EXPECT_TRUE(c->Down()) << "another parent is another group";
  log.clear();
  Down(b);
  Up(b);
  EXPECT_TRUE(log.empty()) << "clicking a down button does nothing without AllowAllUp";
  b->AllowAllUp = true;
  Down(b);
  Up(b);
  EXPECT_EQ(log, (std::vector<std::string>{"b"}));
  EXPECT_FALSE(b->Down());
}

TEST_F(SkinControlsTest, ButtonLooksBySamplePixels) {
  auto& s = Skin();
  auto* b = Make<TbsSkinButton>(form, 10, 10, 75, 25);
  auto* other = Make<TPlainFocus>(form, 10, 60, 50, 20);
  other->SetFocus();
  Pump();
  // Plain look.
  EXPECT_EQ(PixelAt(b, 0, 0), Rgb(gdi::ColorToRGB(gdi::clBtnShadow)));
  EXPECT_EQ(PixelAt(b, 5, 5), Rgb(gdi::ColorToRGB(gdi::clBtnFace)));
  Enter(b);
  EXPECT_EQ(PixelAt(b, 0, 0), 0x000080u);
  EXPECT_EQ(PixelAt(b, 5, 5), 0xB6BDD2u);
  win::headless::MouseDown(Scr(b, 5, 5));
  Pump();
  EXPECT_EQ(PixelAt(b, 5, 5), 0x8593B5u);
  Up(b);
  EXPECT_TRUE(b->Focused()) << "a press takes the focus";
  other->SetFocus();
  // Skinned looks: normal, hot, pressed, disabled.
  b->SetSkinData(&s);
  Leave();
  EXPECT_EQ(PixelAt(b, 5, 5), Rgb(kNormal));
  EXPECT_EQ(PixelAt(b, 70, 20), Rgb(kNormal)) << "nine-part: the middle stretches";
  Enter(b);
  EXPECT_EQ(PixelAt(b, 5, 5), Rgb(kHot));
  win::headless::MouseDown(Scr(b, 5, 5));
  Pump();
  EXPECT_EQ(PixelAt(b, 5, 5), Rgb(kDown));
  Leave();
  EXPECT_EQ(PixelAt(b, 5, 5), Rgb(kHot)) << "held but outside: not pressed, but focused by the press";
  Up(b, 200, 200);
  b->SetEnabled(false);
  EXPECT_EQ(PixelAt(b, 5, 5), Rgb(kDisabled));
}

TEST_F(SkinControlsTest, ButtonMorphStepsOnTheFakeClock) {
  auto& s = Skin(true);
  auto* b = Make<TbsSkinButton>(form, 10, 10, 75, 25);
  b->SetSkinData(&s);
  Enter(b);
  EXPECT_TRUE(b->Morphing());
  std::vector<double> steps;
  std::uint32_t mid = 0;
  for (int i = 0; i < 8 && b->Morphing(); ++i) {
    win::headless::AdvanceClock(20);
    Pump();
    steps.push_back(b->MorphKf());
    if (i == 1) mid = PixelAt(b, 10, 10);
  }
  ASSERT_GE(steps.size(), 5u);
  EXPECT_NEAR(steps[0], 0.2, 1e-9);
  EXPECT_NEAR(steps[1], 0.4, 1e-9);
  EXPECT_EQ(steps.back(), 1.0);
  EXPECT_FALSE(b->Morphing()) << "pinned at 1 and stopped";
  // A 40 % blend of red (normal) towards green (hot).
  EXPECT_NEAR(int(mid & 0xFF), 0, 2);
  EXPECT_NEAR(int(mid >> 8 & 0xFF), int(0xC0 * 0.4), 3);
  EXPECT_NEAR(int(mid >> 16 & 0xFF), int(0xC0 * 0.6), 3);
  EXPECT_EQ(PixelAt(b, 10, 10), Rgb(kHot));
  Leave();
  Advance(200);
  EXPECT_EQ(b->MorphKf(), 0.0);
  EXPECT_EQ(PixelAt(b, 10, 10), Rgb(kNormal));
  s.EnableSkinEffects = false;
  Enter(b);
  EXPECT_FALSE(b->Morphing()) << "no morph with effects off";
  EXPECT_EQ(PixelAt(b, 10, 10), Rgb(kHot));
}

TEST_F(SkinControlsTest, ButtonSkinChangeProtocol) {
  auto& s = Skin(true);
  FrameOf(form);  // the frame's own look is in place before the pointer enters
  auto* b = Make<TbsSkinButton>(form, 10, 10, 75, 25);
  b->SetSkinData(&s);
  Enter(b);
  Advance(200);
  ASSERT_EQ(b->MorphKf(), 1.0);
  b->BeforeChangeSkinData();
  EXPECT_EQ(b->SkinIndex(), -1);
  SendSkinChange(form, &s);
  EXPECT_EQ(b->MorphKf(), 1.0) << "hot over a skin change: factor 1 at once";
  EXPECT_FALSE(b->Morphing());
  b->RefreshButton();
  EXPECT_FALSE(b->MouseIn());
  EXPECT_EQ(b->MorphKf(), 0.0);
  EXPECT_EQ(PixelAt(b, 10, 10), Rgb(kNormal));
}

TEST_F(SkinControlsTest, ButtonGlyphFramesAndMargins) {
  EXPECT_EQ(ButtonGlyphNum(4, true, true, true), 3);
  EXPECT_EQ(ButtonGlyphNum(4, true, false, true), 4);
  EXPECT_EQ(ButtonGlyphNum(4, false, false, false), 2);
  EXPECT_EQ(ButtonGlyphNum(3, true, false, true), 1);
  EXPECT_EQ(ButtonGlyphNum(1, false, true, true), 1);
  auto* b = Make<TbsSkinButton>(form, 10, 10, 75, 25);
  b->SetMargin(4);
  b->SetMargin(-5);
  EXPECT_EQ(b->Margin(), 4);
  b->SetMargin(-1);
  EXPECT_EQ(b->Margin(), -1);
}

TEST_F(SkinControlsTest, ButtonAnimationFrames) {
  TbsButtonLook look;
  look.AnimateSkinRect = {0, 40, 120, 60};
  look.FrameCount = 4;
  EXPECT_EQ(look.AnimateFrameRect({0, 0, 30, 20}, 2), (rtl::TRect{30, 40, 60, 60})) << "side by side";
  look.AnimateSkinRect = {0, 40, 30, 120};
  EXPECT_EQ(look.AnimateFrameRect({0, 0, 30, 20}, 3), (rtl::TRect{0, 80, 30, 100})) << "one above the other";

  auto& s = Skin();
  auto* d = static_cast<TbsDataSkinButtonControl*>(s.CtrlList[0].get());
  d->AnimateSkinRect = {0, 0, 60, 20};  // normal, hot, down as three frames
  d->FrameCount = 3;
  d->AnimateInterval = 50;
  auto* b = Make<TbsSkinButton>(form, 10, 10, 75, 25);
  b->SetSkinData(&s);
  Enter(b);
  EXPECT_TRUE(b->Animating());
  EXPECT_EQ(b->CurrentFrame(), 1);
  win::headless::AdvanceClock(50);
  Pump();
  EXPECT_EQ(b->CurrentFrame(), 2);
  EXPECT_EQ(PixelAt(b, 10, 10), Rgb(kHot)) << "frame 2 of the strip";
  Advance(200);
  EXPECT_FALSE(b->Animating());
  EXPECT_EQ(b->CurrentFrame(), 0);
}

// ---------------------------------------------------------------- speed button
TEST_F(SkinControlsTest, SpeedButtonEventsGroupsAndCaptionWidths) {
  auto* a = Make<TbsSkinSpeedButton>(form, 10, 10, 25, 25, u"&A");
  a->OnClick = Logger("click");
  a->OnMouseDown = MouseLogger("down");
  a->OnMouseUp = MouseLogger("up");
  Down(a);
  Up(a);
  EXPECT_EQ(log, (std::vector<std::string>{"down", "up", "click"})) << "OnMouseUp before OnClick";

  auto* b = Make<TbsSkinSpeedButton>(form, 40, 10, 25, 25);
  a->GroupIndex = b->GroupIndex = 3;
  log.clear();
  Down(a);
  Up(a);
  EXPECT_EQ(log, (std::vector<std::string>{"down", "click", "up"}));
  Down(b);
  Up(b);
  EXPECT_TRUE(b->Down());
  EXPECT_FALSE(a->Down());

  log.clear();
  form->Perform(forms::CM_DIALOGCHAR, 'a');
  EXPECT_EQ(log, (std::vector<std::string>{"click"})) << "accelerator";
  a->SetVisible(false);
  log.clear();
  form->Perform(forms::CM_DIALOGCHAR, 'a');
  EXPECT_TRUE(log.empty()) << "a hidden button ignores its accelerator";

  auto* c = Make<TbsSkinSpeedButton>(form, 80, 10, 80, 25, u"Caption");
  c->WidthWithCaption = 80;
  c->WidthWithoutCaption = 30;
  c->SetShowCaption(false);
  EXPECT_EQ(c->Width(), 30);
  c->SetShowCaption(true);
  EXPECT_EQ(c->Width(), 80);
}

TEST_F(SkinControlsTest, SpeedButtonLooksAndMorph) {
  auto& s = Skin(true);
  auto* panel = Make<forms::TCustomControl>(form, 0, 0, 300, 100);
  panel->SetColor(0x00FFFF);
  auto* b = Make<TbsSkinSpeedButton>(panel, 10, 10, 40, 25);
  // Plain looks: flat shows no frame until hot.
  b->SetFlat(true);
  EXPECT_TRUE(b->Transparent());
  EXPECT_EQ(PixelAt(b, 0, 0), Rgb(0x00FFFF)) << "the parent shows through";
  Enter(b);
  EXPECT_EQ(PixelAt(b, 0, 0), 0x000080u);
  Leave();
  b->SetFlat(false);
  EXPECT_EQ(PixelAt(b, 0, 0), Rgb(gdi::ColorToRGB(gdi::clBtnShadow)));
  // Skinned.
  b->SetSkinData(&s);
  EXPECT_EQ(PixelAt(b, 10, 10), Rgb(kNormal));
  Enter(b);
  EXPECT_TRUE(b->Morphing());
  Advance(200);
  EXPECT_EQ(b->MorphKf(), 1.0);
  EXPECT_EQ(PixelAt(b, 10, 10), Rgb(kHot));
  win::headless::MouseDown(Scr(b, 5, 5));
  Pump();
  EXPECT_EQ(PixelAt(b, 10, 10), Rgb(kDown));
  Up(b);
  b->SetEnabled(false);
  EXPECT_EQ(PixelAt(b, 10, 10), Rgb(kDisabled));
  EXPECT_FALSE(b->MouseIn());
  b->SetEnabled(true);
  b->SetFlat(true);
  Leave();
  EXPECT_EQ(PixelAt(b, 1, 1), Rgb(0x00FFFF)) << "transparent, neither hot nor pressed: no frame";
  Enter(b);
  EXPECT_FALSE(b->Morphing()) << "a transparent button never morphs";
  EXPECT_FALSE(b->Animating());
}

TEST_F(SkinControlsTest, SpeedButtonRepeat) {
  auto* b = Make<TbsSkinSpeedButton>(form, 10, 10, 25, 25);
  b->RepeatMode = true;
  b->RepeatInterval = 50;
  int clicks = 0;
  b->OnClick = [&](rtl::TObject*) { ++clicks; };
  Down(b);
  Advance(500);
  EXPECT_EQ(clicks, 0) << "the first tick only arms the repeat";
  Advance(100);
  EXPECT_EQ(clicks, 2);
  Up(b);
  EXPECT_EQ(clicks, 3);
  EXPECT_FALSE(b->Repeating());
}

// ---------------------------------------------------------------- menu speed button
// A frame's menu engine that records what it is asked and closes on demand.
struct TFakeEngine : TbsSkinMenuEngine {
  std::vector<std::string>* log;
  forms::TControl* ctrl = nullptr;
  rtl::TRect rect{};
  void CloseSkinMenu() override { End(); }
  void PopupSkinMenu(TbsSkinPopupMenu*, rtl::TRect R, bool up, forms::TControl* c) override {
    log->push_back(up ? "popup up" : "popup");
    ctrl = c;
    rect = R;
  }
  void End() {
    auto* c = ctrl;
    ctrl = nullptr;
    SkinMenuClosed(c);
  }
};
TFakeEngine* gEngine = nullptr;

TEST_F(SkinControlsTest, MenuSpeedButtonOpensItsMenuAndStaysPressedUntilItCloses) {
  TFakeEngine engine;
  engine.log = &log;
  gEngine = &engine;
  FindSkinMenuEngine = [](TbsSkinPopupMenu*) -> TbsSkinMenuEngine* { return gEngine; };
  auto* menu = new TbsSkinPopupMenu(form);
  auto* b = Make<TbsSkinMenuSpeedButton>(form, 10, 10, 60, 25, u"Add");
  b->SetSkinPopupMenu(menu);
  b->OnClick = Logger("click");
  b->OnMouseUp = MouseLogger("up");
  b->OnShowTrackMenu = Logger("show");
  b->OnHideTrackMenu = Logger("hide");
  Down(b);
  Up(b);
  EXPECT_EQ(log, (std::vector<std::string>{"show", "popup"})) << "no click or mouse-up after the menu opened";
  EXPECT_EQ(engine.rect, (rtl::TRect{b->ClientOrigin().X, b->ClientOrigin().Y, b->ClientOrigin().X + 60,
                                     b->ClientOrigin().Y + 25}));
  EXPECT_TRUE(b->MenuTracked());
  EXPECT_TRUE(b->Down());
  EXPECT_EQ(PixelAt(b, 5, 5), 0x8593B5u) << "drawn pressed while open";
  Leave();
  EXPECT_TRUE(b->Down());
  engine.End();
  EXPECT_EQ(log.back(), "hide");
  EXPECT_EQ(std::count(log.begin(), log.end(), "hide"), 1);
  EXPECT_FALSE(b->Down());
  EXPECT_FALSE(b->MenuTracked());
  EXPECT_EQ(PixelAt(b, 5, 5), Rgb(gdi::ColorToRGB(gdi::clBtnFace)));

  // Track-button mode: only the 15-pixel strip opens the menu.
  b->SetTrackButtonMode(true);
  EXPECT_TRUE(b->IsTrackArea(45, 5));
  EXPECT_FALSE(b->IsTrackArea(44, 5));
  log.clear();
  win::headless::Click(Scr(b, 44, 5));
  Pump();
  EXPECT_EQ(log, (std::vector<std::string>{"up", "click"}));

  // Both menus: shown twice; the images menu's close ends the tracking.
  gdi::TBitmap img(16, 16);
  forms::TImageList images(form);
  images.SetWidth(16);
  images.SetHeight(16);
  images.Add(&img, nullptr);
  TbsSkinImagesMenu im(nullptr);
  im.FImages = &images;
  im.Items = {{u"First", 0}};
  b->SetSkinImagesMenu(&im);
  b->SetTrackButtonMode(false);
  log.clear();
  Down(b);
  EXPECT_EQ(log, (std::vector<std::string>{"show", "popup", "show"}));
  EXPECT_TRUE(im.PopupShown());
  im.MenuClosed();
  EXPECT_EQ(log.back(), "hide");
  EXPECT_FALSE(b->MenuTracked());
  engine.ctrl = nullptr;
  b->SetSkinImagesMenu(nullptr);
  Up(b);

  // Without a frame nothing opens and no close follows.
  gEngine = nullptr;
  log.clear();
  Down(b);
  EXPECT_EQ(log, (std::vector<std::string>{"show"}));
  EXPECT_TRUE(b->MenuTracked());
  FindSkinMenuEngine = nullptr;
}

TEST_F(SkinControlsTest, ImagesMenuSelectionShowsOnTheButton) {
  TbsSkinImagesMenu im(nullptr);
  EXPECT_EQ(im.GetSelectedItem(), nullptr);
  im.Items = {{u"One", 0}, {u"Two", 1}};
  auto* b = Make<TbsSkinMenuSpeedButton>(form, 10, 10, 60, 25, u"Btn");
  b->UseImagesMenuImage = b->UseImagesMenuCaption = true;
  b->SetSkinImagesMenu(&im);
  im.SetItemIndex(1);
  EXPECT_EQ(im.GetSelectedItem()->FCaption, u"Two");
  im.SetItemIndex(2);
  EXPECT_EQ(im.GetSelectedItem(), nullptr);
  im.PopupFromRect({0, 0, 10, 10});
  EXPECT_FALSE(im.PopupShown()) << "no images: no window";

  // A choice made in the grid (opened away from the button) repaints the
  // button on the screen with the chosen item's caption; the same choice
  // again leaves it as it is.
  gdi::TBitmap img(16, 16);
  forms::TImageList images(form);
  images.SetWidth(16);
  images.SetHeight(16);
  images.Add(&img, nullptr);
  im.FImages = &images;
  auto choose = [&](int Item) {
    im.PopupFromRect({450, 380, 450, 380});
    Pump();
    ASSERT_TRUE(im.PopupShown());
    const rtl::TRect r = im.Items[std::size_t(Item)].ItemRect;
    auto* w = im.PopupWindow();
    win::headless::Click({w->Left() + (r.Left + r.Right) / 2, w->Top() + (r.Top + r.Bottom) / 2});
    Pump();
    ASSERT_FALSE(im.PopupShown());
  };
  im.SetItemIndex(0);
  b->Repaint();
  const testsupport::TShot one = testsupport::Shot(b);
  choose(0);
  EXPECT_EQ(testsupport::Changed(testsupport::Shot(b), one), 0.0);
  choose(1);
  EXPECT_EQ(im.ItemIndex(), 1);
  EXPECT_GT(testsupport::Changed(testsupport::Shot(b), one), 0.0);
  b->SetSkinImagesMenu(nullptr);
}

// An image list of one 16x16 image: a red square on a transparent ground.
std::unique_ptr<forms::TImageList> RedSquareImages() {
  auto images = std::make_unique<forms::TImageList>(nullptr, 16, 16);
  gdi::TBitmap bmp;
  bmp.SetSize(16, 16);
  bmp.Canvas()->Brush()->SetColor(0x00FF00);
  bmp.Canvas()->FillRect({0, 0, 16, 16});
  bmp.Canvas()->Brush()->SetColor(0x0000FF);
  bmp.Canvas()->FillRect({4, 4, 12, 12});
  images->AddMasked(&bmp, 0x00FF00);
  return images;
}

class ButtonActionTest : public SkinControlsTest {
 protected:
  template <class B>
  void CheckActionClicksAndGlyph(B* b);
};

template <class B>
void ButtonActionTest::CheckActionClicksAndGlyph(B* b) {
  auto images = RedSquareImages();
  forms::TActionList list(nullptr);
  list.SetImages(images.get());
  auto* act = new forms::TAction(nullptr);
  act->SetActionList(&list);
  act->SetCaption(u"Go");
  act->SetImageIndex(0);
  int executed = 0;
  act->OnExecute = [&](rtl::TObject*) { ++executed; };
  b->SetAction(act);
  EXPECT_EQ(b->Caption(), u"Go");
  // The empty glyph took the action's image on the glyphs' fuchsia.
  ASSERT_EQ(b->Glyph()->Width(), 16);
  ASSERT_EQ(b->Glyph()->Height(), 16);
  EXPECT_EQ(b->Glyph()->GetSurface()->GetPixel(1, 1) & 0xFFFFFF, 0xFF00FFu);
  EXPECT_EQ(b->Glyph()->GetSurface()->GetPixel(8, 8) & 0xFFFFFF, 0xFF0000u);

  auto click = [&] {
    win::headless::AdvanceClock(1000);
    Down(b);
    Up(b);
  };
  click();
  EXPECT_EQ(executed, 1) << "the action runs once per click";
  b->OnClick = [&](rtl::TObject*) { log.push_back("own"); };
  click();
  EXPECT_EQ(executed, 1) << "an OnClick of its own runs instead";
  EXPECT_EQ(log, std::vector<std::string>{"own"});
  b->OnClick = act->OnExecute;
  click();
  EXPECT_EQ(executed, 2) << "OnClick with the action's code: the action, once";

  // The glyph is taken only while empty.
  images->Clear();
  act->SetCaption(u"Again");
  EXPECT_EQ(b->Caption(), u"Again");
  EXPECT_EQ(b->Glyph()->Width(), 16);

  delete act;
  EXPECT_EQ(b->Action(), nullptr);
  b->OnClick = nullptr;
  click();
  EXPECT_EQ(executed, 2) << "a freed action is gone from the button";
}

TEST_F(ButtonActionTest, ButtonsRunTheirActionOncePerClickAndTakeItsImage) {
  {
    SCOPED_TRACE("push button");
    CheckActionClicksAndGlyph(Make<TbsSkinButton>(form, 10, 10, 75, 25));
  }
  log.clear();
  {
    SCOPED_TRACE("speed button");
    CheckActionClicksAndGlyph(Make<TbsSkinSpeedButton>(form, 10, 50, 75, 25));
  }
  // An image index outside the list leaves the glyph empty.
  auto images = RedSquareImages();
  forms::TActionList list(nullptr);
  list.SetImages(images.get());
  forms::TAction act(nullptr);
  act.SetActionList(&list);
  act.SetImageIndex(1);
  auto* b = Make<TbsSkinSpeedButton>(form, 10, 90, 75, 25);
  b->SetAction(&act);
  EXPECT_TRUE(b->Glyph()->Empty());
}

}  // namespace
}  // namespace skinctltest
