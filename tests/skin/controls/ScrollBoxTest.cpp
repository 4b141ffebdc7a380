// The skinned scroll box: ranges from its children, the corrections when it
// grows or they shrink while scrolled, scrolling by its bars, its frame.
#include "platform/forms/ExtCtrls.h"
#include "skin/controls/bsSkinScrollBox.h"
#include "tests/skin/controls/SkinControlsTestUtil.h"

namespace skinctltest {
namespace {

class ScrollBoxTest : public SkinControlsTest {
 protected:
  void SetUp() override {
    SkinControlsTest::SetUp();
    box = Make<TbsSkinScrollBox>(form, 0, 0, 200, 100);
    box->SetBorderStyle(bvNone);
    vbar = Make<TbsSkinScrollBar>(form, 200, 0, 19, 100);
    vbar->SetKind(sbVertical);
    hbar = Make<TbsSkinScrollBar>(form, 0, 100, 200, 19);
    box->SetVScrollBar(vbar);
    box->SetHScrollBar(hbar);
    child = Make<forms::TPanel>(box, 0, 0, 150, 250);
    box->UpDateScrollRange();
    Pump();
  }
  void ScrollTo(int p) {
    vbar->SetPosition(p);
    Pump();
  }
  TbsSkinScrollBox* box = nullptr;
  TbsSkinScrollBar *vbar = nullptr, *hbar = nullptr;
  forms::TPanel* child = nullptr;
};

TEST_F(ScrollBoxTest, RangesFollowTheChildren) {
  ASSERT_EQ(box->ClientHeight(), 100);
  EXPECT_TRUE(vbar->Visible());
  EXPECT_EQ(vbar->Min(), 0);
  EXPECT_EQ(vbar->Max(), 249);
  EXPECT_EQ(vbar->PageSize(), 100);
  EXPECT_EQ(vbar->Position(), 0);
  EXPECT_FALSE(hbar->Visible());  // 150 wide in 200
  // The corner marker follows the vertical bar as it was before the
  // computation: on at the next one.
  EXPECT_FALSE(hbar->Both());
  box->UpDateScrollRange();
  EXPECT_TRUE(hbar->Both());

  // The bar scrolls the children, and back.
  ScrollTo(150);
  EXPECT_EQ(child->Top(), -150);
  ScrollTo(100);
  EXPECT_EQ(child->Top(), -100);
  EXPECT_FALSE(vbar->CanFocused());
}

TEST_F(ScrollBoxTest, CorrectionsWhileScrolled) {
  struct Case {
    const char* what;
    int scrolled, newHeight, grow;
    int top, max, page, pos;
    bool shown;
  } cases[] = {
      // The content shrank: children move down by min(100 - 50, 150).
      {"shrunk", 150, 200, 0, -100, 199, 100, 100, true},
      // The content fits: back to the origin, the bar is hidden.
      {"fits", 40, 90, 0, 0, 0, 0, 0, false},
      // The box grew by 30 while scrolled to 20: the offset is limited to 20.
      {"grown", 20, 140, 30, 0, 139, 130, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    box->SetHeight(100);
    vbar->SetRange(0, 0, 0, 0);
    child->SetBounds(0, 0, 150, 250);
    box->UpDateScrollRange();
    ScrollTo(c.scrolled);
    ASSERT_EQ(child->Top(), -c.scrolled);
    child->SetHeight(c.newHeight);
    if (c.grow)
      box->SetHeight(100 + c.grow);
    else
      box->UpDateScrollRange();
    Pump();
    EXPECT_EQ(child->Top(), c.top);
    EXPECT_EQ(vbar->Visible(), c.shown);
    EXPECT_EQ(vbar->Max(), c.max);
    EXPECT_EQ(vbar->PageSize(), c.page);
    EXPECT_EQ(vbar->Position(), c.pos);
    // Dragging on after the correction starts from where the children are.
    if (c.shown) {
      const int at = vbar->Position();
      ScrollTo(at == 0 ? 10 : at - 10);
      EXPECT_EQ(child->Top(), at == 0 ? c.top - 10 : c.top + 10);
    }
  }
}

TEST_F(ScrollBoxTest, ChildrenAboveTheAreaCountAsNothing) {
  child->SetBounds(0, -300, 150, 100);  // wholly above: B = 0
  box->UpDateScrollRange();
  EXPECT_FALSE(vbar->Visible());
  EXPECT_EQ(vbar->Max(), 0);
}

TEST_F(ScrollBoxTest, FrameAndPaintToContext) {
  gdi::TBitmap b(200, 100);
  EXPECT_EQ(box->Perform(MSG_SKIN_PAINT_TO_DC, forms::WPARAM(b.Canvas()->Handle()), 0), 0);
  EXPECT_EQ(box->Perform(MSG_SKIN_PAINT_NC_TO_DC, forms::WPARAM(b.Canvas()->Handle()), 16802), 16802);
  EXPECT_EQ(box->ClientWidth(), 200);

  box->SetBorderStyle(bvFrame);
  Pump();
  EXPECT_EQ(box->ClientWidth(), 198);  // one pixel inside
  EXPECT_EQ(box->ClientHeight(), 98);
  b.Canvas()->Brush()->SetColor(gdi::clWhite);
  b.Canvas()->FillRect({0, 0, 200, 100});
  EXPECT_EQ(box->Perform(MSG_SKIN_PAINT_TO_DC, forms::WPARAM(b.Canvas()->Handle()), 0), 12851);
  EXPECT_EQ(b.GetSurface()->GetPixel(0, 50) & 0xFFFFFF, Rgb(gdi::ColorToRGB(gdi::clBtnShadow)));
  EXPECT_EQ(b.GetSurface()->GetPixel(100, 50) & 0xFFFFFF, 0xFFFFFFu);  // inside untouched

  box->SetBorderStyle(bvLowered);
  EXPECT_EQ(box->Perform(MSG_SKIN_PAINT_TO_DC, forms::WPARAM(b.Canvas()->Handle()), 0), 12851);
  EXPECT_EQ(b.GetSurface()->GetPixel(0, 50) & 0xFFFFFF, Rgb(gdi::ColorToRGB(gdi::clBtnHighlight)));
  EXPECT_EQ(b.GetSurface()->GetPixel(199, 50) & 0xFFFFFF, Rgb(gdi::ColorToRGB(gdi::clBtnShadow)));
}

TEST_F(ScrollBoxTest, FocusingClickAndVisibility) {
  box->SetCanFocused(true);
  box->SetTabStop(true);
  int clicks = 0;
  box->OnMouseDown = [&](rtl::TObject*, forms::TMouseButton, forms::TShiftState, int, int) { ++clicks; };
  child->SetBounds(0, 0, 50, 50);
  box->UpDateScrollRange();
  win::headless::Click(Scr(box, 150, 80));
  Pump();
  EXPECT_TRUE(box->Focused());
  EXPECT_EQ(clicks, 1);

  box->Hide();
  EXPECT_FALSE(vbar->Visible());
  box->Show();  // both bars come back until the next computation
  EXPECT_TRUE(vbar->Visible());
  EXPECT_TRUE(hbar->Visible());
  box->UpDateScrollRange();
  EXPECT_FALSE(vbar->Visible());
  EXPECT_FALSE(hbar->Visible());
}

// Every stored skin that describes the box: a skin frame insets the client
// area and paints on request; a background picture replaces the frame (no
// stored skin gives the box one today; such a skin is checked too).
TEST_F(ScrollBoxTest, SkinnedFrameAndBackground) {
  int framed = 0, pictured = 0;
  for (int i = 0; i < resources::StoredSkinCount(); ++i) {
    SCOPED_TRACE(rtl::StringToUtf8(resources::StoredSkinName(i)));
    auto stored = StoredFrom(i);
    auto skin = std::make_unique<TbsSkinData>(nullptr);
    skin->LoadCompressedStoredSkin(stored.get());
    box->SetBorderStyle(bvFrame);
    box->SetSkinData(skin.get());
    vbar->SetSkinData(skin.get());
    hbar->SetSkinData(skin.get());
    Pump();
    if (box->SkinIndex() != -1) {
      gdi::TBitmap b(200, 100);
      const auto answer = box->Perform(MSG_SKIN_PAINT_TO_DC, forms::WPARAM(b.Canvas()->Handle()), 0);
      if (box->BackgroundPictureIndex() == -1) {
        ++framed;
        EXPECT_LT(box->ClientWidth(), 200);  // inset by the skin's client rectangle
        EXPECT_EQ(answer, 12851);
      } else {
        ++pictured;
        EXPECT_EQ(box->ClientWidth(), 200);
        EXPECT_EQ(answer, 0);
      }
      box->UpDateScrollRange();
      EXPECT_TRUE(vbar->Visible());
      ScrollTo(30);
      EXPECT_EQ(child->Top(), -30);
      ScrollTo(0);
    }
    box->SetSkinData(nullptr);
    vbar->SetSkinData(nullptr);
    hbar->SetSkinData(nullptr);
    Pump();
  }
  EXPECT_GT(framed + pictured, 0);
  EXPECT_GT(framed, 0);
}

}  // namespace
}  // namespace skinctltest
