// The parent's look under a control: its own painting, then the graphic
// siblings below the control in the parent's list, and not those above it.
#include <gtest/gtest.h>

#include "platform/forms/Forms.h"
#include "platform/gdi/Bitmap.h"
#include "platform/win/Backend.h"
#include "platform/win/Headless.h"
#include "skin/images/bsParentBackground.h"

namespace skin {
namespace {

constexpr rtl::TColor kBlue = 0xFF0000, kGreen = 0x00FF00, kYellow = 0x00FFFF, kRed = 0x0000FF;

// A windowed parent that paints one colour.
class TSolidPanel : public forms::TCustomControl {
 public:
  explicit TSolidPanel(rtl::TComponent* owner) : TCustomControl(owner) {
    SetControlStyle(ControlStyle() + forms::TControlStyle{forms::csAcceptsControls, forms::csOpaque});
  }
  rtl::TColor Fill = kBlue;

 protected:
  void Paint() override {
    Canvas()->Brush()->SetColor(Fill);
    Canvas()->FillRect(ClientRect());
  }
};

// A window-less control that paints one colour; it notes whether it was
// painting a copy.
class TSolidBlock : public forms::TGraphicControl {
 public:
  explicit TSolidBlock(rtl::TComponent* owner) : TGraphicControl(owner) {}
  rtl::TColor Fill = kGreen;
  bool SawPaintCopy = false;

 protected:
  void Paint() override {
    SawPaintCopy = ControlState().Contains(forms::csPaintCopy);
    Canvas()->Brush()->SetColor(Fill);
    Canvas()->FillRect(ClientRect());
  }
};

class ParentBackgroundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::InitWindowSystem(win::BackendKind::Headless);
    forms::InitForms();
    form = new forms::TForm(forms::Application);
    form->SetBounds(10, 10, 300, 200);
    panel = Add<TSolidPanel>(form, 10, 10, 200, 120);
    below = Add<TSolidBlock>(panel, 0, 0, 40, 40);     // before the control: shows
    control = Add<TSolidBlock>(panel, 20, 20, 60, 60);
    control->Fill = kRed;
    above = Add<TSolidBlock>(panel, 60, 60, 40, 40);   // after the control: does not
    above->Fill = kYellow;
  }
  void TearDown() override {
    delete form;
    forms::DoneForms();
    win::ShutdownWindowSystem();
  }
  template <class T>
  T* Add(forms::TWinControl* parent, int x, int y, int w, int h) {
    T* c = new T(parent);
    c->SetBounds(x, y, w, h);
    c->SetParent(parent);
    return c;
  }

  forms::TForm* form = nullptr;
  TSolidPanel* panel = nullptr;
  TSolidBlock *below = nullptr, *control = nullptr, *above = nullptr;
};

TEST_F(ParentBackgroundTest, ParentAndTheSiblingsBelowShowNotThoseAbove) {
  gdi::TBitmap bmp;
  bmp.SetSize(60, 60);
  PaintParentBackground(control, bmp.Canvas());
  EXPECT_EQ(bmp.Canvas()->Pixels(5, 5), kGreen);    // under the sibling before the control
  EXPECT_EQ(bmp.Canvas()->Pixels(30, 30), kBlue);   // the parent's own paint
  EXPECT_EQ(bmp.Canvas()->Pixels(50, 50), kBlue);   // the sibling after it is left out
  EXPECT_EQ(bmp.Canvas()->Pixels(19, 19), kGreen);  // the sibling's last pixel
  EXPECT_EQ(bmp.Canvas()->Pixels(20, 20), kBlue);
  EXPECT_TRUE(below->SawPaintCopy);
  EXPECT_FALSE(panel->ControlState().Contains(forms::csPaintCopy));
  EXPECT_FALSE(below->ControlState().Contains(forms::csPaintCopy));
}

TEST_F(ParentBackgroundTest, PartOfTheControlAndNoParent) {
  gdi::TBitmap bmp;
  bmp.SetSize(20, 20);
  // The part (25, 25)-(45, 45) of the control lies at the panel's (45, 45).
  const rtl::TRect part = rtl::Rect(25, 25, 45, 45);
  PaintPageControlParentBackground(control, part, bmp.Canvas());
  EXPECT_EQ(bmp.Canvas()->Pixels(0, 0), kBlue);
  EXPECT_EQ(bmp.Canvas()->Pixels(15, 15), kBlue);  // the later sibling at the panel's (60, 60) stays out
  below->SetBounds(0, 0, 50, 50);                  // now reaches the panel's (49, 49) = the part's (4, 4)
  PaintPageControlParentBackground(control, part, bmp.Canvas());
  EXPECT_EQ(bmp.Canvas()->Pixels(4, 4), kGreen);
  EXPECT_EQ(bmp.Canvas()->Pixels(5, 5), kBlue);

  gdi::TBitmap untouched;
  untouched.SetSize(4, 4);
  const rtl::TColor before = untouched.Canvas()->Pixels(1, 1);
  TSolidBlock orphan(nullptr);
  PaintParentBackground(&orphan, untouched.Canvas());
  PaintParentBackground(nullptr, untouched.Canvas());
  EXPECT_EQ(untouched.Canvas()->Pixels(1, 1), before);
}

}  // namespace
}  // namespace skin
