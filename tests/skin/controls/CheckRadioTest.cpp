#include "platform/forms/Actions.h"
#include "skin/controls/bsSkinCheckRadio.h"
#include "skin/controls/bsSkinPanels.h"
#include "tests/skin/controls/SkinControlsTestUtil.h"

namespace skinctltest {
namespace {

constexpr int VK_SPACE = 32;
// Check image colours of the made-up skin.
constexpr rtl::TColor kCheck = 0x0000C0, kUnCheck = 0x00C000, kActCheck = 0xC00000, kActUnCheck = 0xC0C000,
                      kDisCheck = 0x808080, kDisUnCheck = 0x404040, kGrayed = 0x00C0C0, kFrame = 0x2060A0,
                      kFrameHot = 0xA06020;

class CheckRadioTest : public SkinControlsTest {
 protected:
  TbsSkinCheckRadioBox* Box(forms::TWinControl* parent, int y, const char16_t* caption, bool radio, int group,
                            const std::string& name) {
    auto* b = Make<TbsSkinCheckRadioBox>(parent, 10, y, 150, 25, caption);
    b->SetRadio(radio);
    b->GroupIndex = group;
    b->OnClick = Logger(name);
    return b;
  }
  // "checkbox": check images as flat squares (six looks, and a grayed one
  // when withGrayed), a framed image with a hot frame for the framed look.
  TbsSkinData& CheckSkin(bool withGrayed, bool morphing = false) {
    sd = std::make_unique<TbsSkinData>(nullptr);
    AddSquares(*sd, {kCheck, kUnCheck, kActCheck, kActUnCheck, kDisCheck, kDisUnCheck, kGrayed, kFrame, kFrameHot},
               0x000000);
    auto* d = AddNinePart<TbsDataSkinCheckRadioControl>(*sd, u"checkbox", 0, 7);
    d->LBPoint = d->RBPoint = {};  // width only: the frame stretches along
    d->ActiveSkinRect = Square(8);
    d->CheckImageRect = Square(0);
    d->UnCheckImageRect = Square(1);
    d->ActiveCheckImageRect = Square(2);
    d->ActiveUnCheckImageRect = Square(3);
    d->UnEnabledCheckImageRect = Square(4);
    d->UnEnabledUnCheckImageRect = Square(5);
    if (withGrayed) d->GrayedCheckImageRect = Square(6);
    d->CheckImageArea = {0, 0, 20, 20};
    d->TextArea = {20, 0, 20, 20};
    d->Morphing = morphing;
    d->FrameFontColor = 0xFFFFFF;
    sd->Empty = false;
    return *sd;
  }
};

TEST_F(CheckRadioTest, CheckingARadioBoxUnchecksItsGroupAndClicksOnce) {
  auto* p = Make<TbsSkinPanel>(form, 0, 0, 300, 200);
  auto* a = Box(p, 0, u"A", true, 1, "a");
  auto* b = Box(p, 30, u"B", true, 1, "b");
  auto* c = Box(p, 60, u"C", false, 1, "c");      // a check box in the same group
  auto* other = Box(form, 250, u"D", true, 1, "d");  // same group, other parent
  auto* second = Box(p, 90, u"E", true, 2, "e");     // same parent, other group
  a->SetChecked(true);
  c->SetChecked(true);
  other->SetChecked(true);
  second->SetChecked(true);
  log.clear();

  b->SetChecked(true);
  EXPECT_FALSE(a->Checked());
  EXPECT_FALSE(c->Checked());
  EXPECT_TRUE(other->Checked()) << "groups are per parent";
  EXPECT_TRUE(second->Checked()) << "other groups keep their choice";
  EXPECT_EQ(log, (std::vector<std::string>{"c", "b"})) << "the unchecked check box clicks, the radio box does not";

  log.clear();
  b->SetChecked(false);
  EXPECT_TRUE(log.empty()) << "a radio box that becomes unchecked does not click";
  c->SetChecked(false);
  EXPECT_EQ(log, std::vector<std::string>{"c"}) << "a check box clicks on every assignment";
}

TEST_F(CheckRadioTest, GrayedStateAndToggleRules) {
  auto* c = Box(form, 10, u"Check", false, 0, "c");
  c->SetState(cbGrayed);
  EXPECT_FALSE(c->Checked());
  EXPECT_EQ(log.size(), 1u);
  c->SetChecked(false);
  EXPECT_EQ(c->State(), cbGrayed) << "unchecking keeps the grayed state";
  c->SetChecked(true);
  EXPECT_EQ(c->State(), cbChecked);

  auto* r = Box(form, 40, u"Radio", true, 0, "r");
  r->SetChecked(true);
  r->Toggle();
  EXPECT_TRUE(r->Checked()) << "a checked radio box stays checked";
  c->Toggle();
  EXPECT_FALSE(c->Checked());
}

TEST_F(CheckRadioTest, ClicksCycleAndNeedThePointerOnTheBox) {
  auto* c = Box(form, 10, u"Check", false, 0, "click");
  c->OnMouseUp = MouseLogger("up");
  c->SetAllowGrayed(true);
  const TCheckBoxState cycle[] = {cbGrayed, cbChecked, cbUnchecked, cbGrayed};
  for (TCheckBoxState s : cycle) {
    Down(c);
    Up(c);
    EXPECT_EQ(c->State(), s);
  }
  EXPECT_EQ(log, (std::vector<std::string>{"up", "click", "up", "click", "up", "click", "up", "click"}))
      << "the mouse-up event comes before the click";

  Down(c);
  Leave();
  EXPECT_FALSE(c->MouseIn());
  Up(c, -20, -20);
  EXPECT_EQ(c->State(), cbGrayed) << "a release with the pointer gone toggles nothing";

  auto* r = Box(form, 40, u"Radio", true, 0, "radio");
  r->SetChecked(true);
  log.clear();
  Down(r);
  Up(r);
  EXPECT_TRUE(r->Checked());
  EXPECT_TRUE(log.empty()) << "clicking a checked radio box does nothing";
}

TEST_F(CheckRadioTest, SpaceAndAcceleratorToggleAFocusableBox) {
  auto* c = Box(form, 10, u"&Apple", false, 0, "c");
  EXPECT_FALSE(c->TabStop()) << "out of the tab order until CanFocused is assigned";
  Down(c);
  Up(c);
  EXPECT_TRUE(c->Focused()) << "a click takes the focus";
  EXPECT_TRUE(c->Checked());
  Key(VK_SPACE);
  EXPECT_FALSE(c->Checked());

  EXPECT_EQ(c->Perform(forms::CM_DIALOGCHAR, 'a'), 1);
  EXPECT_TRUE(c->Checked());
  EXPECT_EQ(c->Perform(forms::CM_DIALOGCHAR, 'b'), 0);

  auto* n = Box(form, 40, u"&Nope", false, 0, "n");
  n->SetCanFocused(false);
  Down(n);
  Up(n);
  EXPECT_TRUE(c->Focused()) << "a box that cannot be focused leaves the focus where it is";
  EXPECT_TRUE(n->Checked()) << "but its click still toggles";
  c->SetFocus();
  Pump();
  EXPECT_EQ(n->Perform(forms::CM_DIALOGCHAR, 'n'), 0);
  EXPECT_TRUE(n->Checked());
}

TEST_F(CheckRadioTest, PlainFlatLookDrawsBoxMarksAndHover) {
  form->SetColor(gdi::clBtnFace);
  auto* r = Box(form, 10, u"Radio", true, 0, "r");
  auto* c = Box(form, 40, u"Check", false, 0, "c");
  const int h = r->Height();
  const auto black = Rgb(0), shadow = Rgb(gdi::ColorToRGB(gdi::clBtnShadow));
  EXPECT_EQ(PixelAt(r, 3, h / 2 - 7), shadow) << "the box frame";
  EXPECT_NE(PixelAt(r, 9, h / 2), black);
  r->SetChecked(true);
  for (int x = 7; x < 13; ++x) EXPECT_EQ(PixelAt(r, x, h / 2 - 3 + (x - 7)), black) << "a filled square, x " << x;
  EXPECT_NE(PixelAt(r, 13, h / 2), black);

  c->SetChecked(true);
  int marked = 0;
  for (int y = h / 2 - 4; y < h / 2 + 4; ++y) marked += PixelAt(c, 9, y) == black;
  EXPECT_GT(marked, 0) << "a check mark";
  c->SetState(cbGrayed);
  marked = 0;
  for (int y = h / 2 - 4; y < h / 2 + 4; ++y) marked += PixelAt(c, 9, y) == Rgb(gdi::ColorToRGB(gdi::clGrayText));
  EXPECT_GT(marked, 0) << "a grayed mark in the gray-text colour";

  Enter(c);
  EXPECT_EQ(PixelAt(c, 3, h / 2 - 7), Rgb(0x800000)) << "the hover frame";
}

TEST_F(CheckRadioTest, SkinnedFlatLookPicksTheCheckImageByState) {
  auto& s = CheckSkin(false);
  auto* c = Box(form, 10, u"Check", false, 0, "c");
  c->SetSkinData(&s);
  const int h = c->Height();
  auto image = [&] { return PixelAt(c, 13, h / 2); };
  struct Case {
    bool enabled, hover;
    TCheckBoxState state;
    rtl::TColor colour;
  } cases[] = {
      {true, false, cbUnchecked, kUnCheck}, {true, false, cbChecked, kCheck},
      {true, true, cbUnchecked, kActUnCheck}, {true, true, cbChecked, kActCheck},
      {false, false, cbUnchecked, kDisUnCheck}, {false, false, cbChecked, kDisCheck},
  };
  for (const auto& k : cases) {
    c->SetEnabled(k.enabled);
    c->SetState(k.state);
    if (k.hover) Enter(c); else Leave();
    EXPECT_EQ(image(), Rgb(k.colour)) << "enabled " << k.enabled << " hover " << k.hover << " state " << k.state;
  }
  c->SetEnabled(true);
  Leave();
  c->SetState(cbGrayed);
  const auto g = image();
  const auto expect = [](int v) { return v + (255 - v) / 2; };  // halfway to white
  EXPECT_NEAR(int(g >> 16 & 0xFF), expect(0xC0), 2) << std::hex << g;  // red
  EXPECT_NEAR(int(g >> 8 & 0xFF), expect(0), 2);  // green
  // Disabled, the grayed image starts from the disabled check image.
  c->SetEnabled(false);
  const auto dg = image();
  EXPECT_NE(dg, g);
  EXPECT_NE(dg, Rgb(kDisCheck)) << "brightened, not the plain disabled image";
  c->SetEnabled(true);

  // The caption (on black): the skin's frame colour (white), or DefaultFont's
  // (yellow) even when disabled.
  form->SetColor(0);
  auto captionHas = [&](bool yellow) {
    for (int y = 0; y < h; ++y)
      for (int x = 30; x < 80; ++x) {
        const auto p = PixelAt(c, x, y);
        const int r = p >> 16 & 0xFF, g = p >> 8 & 0xFF, b = p & 0xFF;
        if (r > 0xC0 && g > 0xC0 && (yellow ? b < 0x40 : b > 0xC0)) return true;
      }
    return false;
  };
  EXPECT_TRUE(captionHas(false));
  c->UseSkinFontColor = false;
  c->DefaultFont()->SetColor(0x00FFFF);
  c->SetEnabled(false);
  EXPECT_TRUE(captionHas(true));
  EXPECT_FALSE(captionHas(false));
  c->SetEnabled(true);
  form->SetColor(gdi::clBtnFace);

  auto& s2 = CheckSkin(true);
  c->SetSkinData(&s2);
  EXPECT_EQ(image(), Rgb(kGrayed)) << "the skin's own grayed image";
  c->SetEnabled(false);
  EXPECT_EQ(image(), Rgb(kGrayed)) << "also when disabled";
  c->SetEnabled(true);
  c->SetState(cbUnchecked);
  EXPECT_EQ(PixelAt(c, 3, h / 2 - 10), PixelAt(c, 1, 1)) << "the image's border colour is see-through";
}

TEST_F(CheckRadioTest, FramedSkinnedLookMorphsToTheHotFrame) {
  auto& s = CheckSkin(false, true);
  auto* c = Box(form, 10, u"Framed", false, 0, "c");
  c->SetFlat(false);
  c->SetSkinData(&s);
  EXPECT_EQ(c->Height(), 20) << "the framed look takes the skin's height";
  EXPECT_EQ(PixelAt(c, 60, 10), Rgb(kFrame));
  Enter(c);
  EXPECT_TRUE(c->Morphing());
  Advance(40);
  const auto mid = PixelAt(c, 60, 10);
  EXPECT_NE(mid, Rgb(kFrame));
  EXPECT_NE(mid, Rgb(kFrameHot));
  Advance(200);
  EXPECT_FALSE(c->Morphing());
  EXPECT_EQ(c->MorphKf(), 1.0);
  EXPECT_EQ(PixelAt(c, 60, 10), Rgb(kFrameHot));
  EXPECT_EQ(PixelAt(c, 10, 10), Rgb(kActUnCheck)) << "the check image centred in its area";

  c->SetFlat(true);
  c->ChangeSkinData();
  Leave();
  EXPECT_FALSE(c->Morphing()) << "a flat box never morphs";
}

TEST_F(CheckRadioTest, FramedBoxWithoutAFramePictureShowsTheFlatLook) {
  auto& s = CheckSkin(false);
  dynamic_cast<TbsDataSkinCheckRadioControl*>(s.CtrlList[0].get())->SkinRect = {};
  auto* c = Box(form, 10, u"Framed", false, 0, "c");
  c->SetFlat(false);
  c->SetSkinData(&s);
  EXPECT_EQ(c->Height(), 25);
  EXPECT_EQ(PixelAt(c, 13, c->Height() / 2), Rgb(kUnCheck)) << "the check image where the flat look has it";
  EXPECT_EQ(PixelAt(c, 100, 2), PixelAt(c, 100, -3)) << "the parent shows through: no frame image";
}

TEST_F(CheckRadioTest, FocusFrameAroundTheImageWhenTheCaptionIsEmpty) {
  forms::TCustomImageList images(nullptr, 16, 16);
  gdi::TBitmap pic(16, 16);
  pic.Canvas()->Brush()->SetColor(0x00FF00);
  pic.Canvas()->FillRect({0, 0, 16, 16});
  images.Add(&pic, nullptr);
  form->SetColor(gdi::clBtnFace);
  auto* c = Box(form, 10, u"", false, 0, "c");
  c->SetImages(&images);
  c->SetImageIndex(0);
  c->SetCanFocused(true);
  c->SetFocus();
  Pump();
  const int h = c->Height(), top = h / 2 - 8;
  EXPECT_EQ(PixelAt(c, 22 + 8, h / 2), Rgb(0x00FF00)) << "the image beside the box";
  int dots = 0;
  for (int x = 21; x < 22 + 17; ++x) dots += PixelAt(c, x, top - 1) != Rgb(gdi::ColorToRGB(gdi::clBtnFace));
  EXPECT_GT(dots, 4) << "a dotted frame one pixel around the image";
}

TEST_F(CheckRadioTest, WordWrappedCaptionTallerThanTheBoxStartsAtTheTop) {
  form->SetColor(0);
  auto* c = Box(form, 10, u"口口口口口口口口口口口口口口", false, 0, "c");
  c->DefaultFont()->SetColor(0xFFFFFF);
  c->SetWordWrap(true);
  c->SetBounds(10, 10, 80, 20);
  auto firstRow = [](auto pixel, int w, int h) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if ((pixel(x, y) & 0xFF) > 0x80) return y;
    return -1;
  };
  // The first line alone, drawn at the top of a bitmap.
  gdi::TBitmap ref(60, 20);
  ref.Canvas()->Brush()->SetColor(0);
  ref.Canvas()->FillRect({0, 0, 60, 20});
  ref.Canvas()->Font()->Assign(c->DefaultFont());
  ref.Canvas()->Brush()->SetStyle(gdi::bsClear);
  rtl::TRect r{0, 0, 60, 20};
  gdi::DrawText(CanvasTextDC(ref.Canvas()), u"口", &r, gdi::DT_EXPANDTABS | gdi::DT_WORDBREAK);
  const int top = firstRow([&](int x, int y) { return std::uint32_t(ref.Canvas()->Pixels(x, y)) & 0xFFFFFF; }, 60, 20);
  ASSERT_GE(top, 0);
  EXPECT_EQ(firstRow([&](int x, int y) { return PixelAt(c, 22 + x, y); }, 50, 20), top);
}

TEST_F(CheckRadioTest, PaintSkinToDrawsTheGivenCheckedValue) {
  form->SetColor(gdi::clBtnFace);
  auto* r = Box(form, 10, u"Radio", true, 0, "r");
  gdi::TBitmap out(r->Width(), r->Height());
  const int h = r->Height();
  r->PaintSkinTo(out.Canvas(), 0, 0, true);
  EXPECT_EQ(out.Canvas()->Pixels(9, h / 2) & 0xFFFFFF, 0u) << "checked although the box is not";
  EXPECT_FALSE(r->Checked());
  r->PaintSkinTo(out.Canvas(), 0, 0, false);
  EXPECT_NE(out.Canvas()->Pixels(9, h / 2) & 0xFFFFFF, 0u);
}

class TActionBox : public TbsSkinCheckRadioBox {
 public:
  using TbsSkinCheckRadioBox::TbsSkinCheckRadioBox;
  using TbsSkinCheckRadioBox::ActionChange;
};

TEST_F(CheckRadioTest, TheBoxFollowsItsActionsCheckedAndRunsItOncePerClick) {
  // Checking defaults keeps a box that is already checked.
  struct Case {
    bool boxChecked, actionChecked, checkDefaults, want;
  } cases[] = {
      {false, true, false, true}, {true, false, false, false}, {false, true, true, true},
      {true, false, true, true},  {false, false, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.boxChecked << c.actionChecked << c.checkDefaults);
    forms::TAction act(nullptr);
    act.SetChecked(c.actionChecked);
    auto* b = Make<TActionBox>(form, 10, 10, 150, 25, u"Box");
    b->SetChecked(c.boxChecked);
    b->ActionChange(&act, c.checkDefaults);
    EXPECT_EQ(b->Checked(), c.want);
    delete b;
  }

  auto* b = Box(form, 10, u"Box", false, 0, "click");
  auto* act = new forms::TAction(nullptr);
  act->SetCaption(u"Loop");
  act->SetChecked(true);
  int executed = 0;
  act->OnExecute = [&](rtl::TObject*) { ++executed; };
  b->SetAction(act);
  EXPECT_TRUE(b->Checked());
  EXPECT_EQ(b->Caption(), u"Loop");
  act->SetChecked(false);
  EXPECT_FALSE(b->Checked()) << "a change of the action reaches the box";

  log.clear();
  Down(b);
  Up(b);
  EXPECT_EQ(executed, 1);
  EXPECT_TRUE(b->Checked()) << "the click still toggles the box";
  EXPECT_EQ(log, std::vector<std::string>{"click"});

  delete act;
  EXPECT_EQ(b->Action(), nullptr);
  win::headless::AdvanceClock(1000);
  Down(b);
  Up(b);
  EXPECT_EQ(executed, 1);
  EXPECT_FALSE(b->Checked());
}

}  // namespace
}  // namespace skinctltest
