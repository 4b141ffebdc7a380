// Panels, splitters, images, the scroll box, the progress bar and the page control.
#include "platform/forms/ExtCtrls.h"

#include "tests/platform/forms/FormsTestUtil.h"

namespace formstest {
namespace {

using namespace win;

class ExtCtrls : public FormsTest {
 protected:
  TForm* form = nullptr;
  void SetUp() override {
    FormsTest::SetUp();
    form = MakeForm(400, 300);
  }
};

TEST_F(ExtCtrls, PageControlChangesPagesByClickKeysAndCode) {
  auto* pc = Make<TPageControl>(form, 10, 10, 300, 200);
  TTabSheet* sheets[3];
  const char16_t* names[] = {u"常规", u"&Video", u"Audio"};
  for (int i = 0; i < 3; ++i) {
    sheets[i] = new TTabSheet(form);
    sheets[i]->SetCaption(names[i]);
    sheets[i]->SetPageControl(pc);
  }
  auto* inside = Make<TEdit>(sheets[0], 10, 10, 100, 21);
  EXPECT_EQ(pc->ActivePage(), sheets[0]);
  EXPECT_EQ(sheets[0]->BoundsRect(), pc->DisplayRect());  // the sheet fills the display area
  std::vector<std::string> ev;
  bool allow = true;
  pc->OnChanging = [&](TObject*, bool& a) {
    ev.push_back("changing");
    a = allow;
  };
  pc->OnChange = [&](TObject*) { ev.push_back("change"); };
  TRect t2 = pc->TabRect(2);
  Click(pc, t2.Left + 5, t2.Top + 5);
  EXPECT_EQ(pc->ActivePageIndex(), 2);
  EXPECT_TRUE(sheets[2]->Visible());
  EXPECT_FALSE(sheets[0]->Visible());
  allow = false;
  Key(VK_LEFT);
  EXPECT_EQ(pc->ActivePageIndex(), 2);
  allow = true;
  Key(VK_RIGHT);  // wraps
  EXPECT_EQ(pc->ActivePageIndex(), 0);
  inside->SetFocus();
  Pump();
  headless::KeyDown(VK_CONTROL);
  headless::PressKey(VK_TAB, u"\t");
  headless::KeyUp(VK_CONTROL);
  Pump();
  EXPECT_EQ(pc->ActivePageIndex(), 1);
  EXPECT_EQ(ev, (std::vector<std::string>{"changing", "change", "changing", "changing", "change", "changing", "change"}));
  // Code changes raise no events; hiding the active tab moves to the next one.
  ev.clear();
  pc->SetActivePageIndex(2);
  sheets[2]->SetTabVisible(false);
  EXPECT_EQ(pc->ActivePage(), sheets[0]);
  EXPECT_EQ(pc->IndexOfTabAt(t2.Left + 5, t2.Top + 5), -1);
  sheets[1]->Free();
  EXPECT_EQ(pc->PageCount(), 2);
}

TEST_F(ExtCtrls, SplitterResizesItsNeighbourWithinMinSize) {
  auto* left = Make<TPanel>(form, 0, 0, 100, 100);
  left->SetAlign(alLeft);
  auto* sp = new TSplitter(form);
  sp->SetParent(form);
  sp->SetLeft(100);
  sp->SetMinSize(40);
  auto* rest = Make<TPanel>(form, 0, 0, 10, 10);
  rest->SetAlign(alClient);
  Pump();
  ASSERT_EQ(sp->FindControl(), left);
  int moved = 0;
  sp->OnMoved = [&](TObject*) { ++moved; };
  struct {
    int dx, width;
  } const drags[] = {{50, 150}, {-500, 40}, {1000, form->ClientWidth() - 3 - 40}};
  for (auto d : drags) {
    headless::AdvanceClock(1000);
    POINT p = Scr(sp, 1, 10);
    headless::MouseDown(p);
    headless::MouseMove({p.X + d.dx, p.Y});
    headless::MouseUp({p.X + d.dx, p.Y});
    Pump();
    EXPECT_EQ(left->Width(), d.width) << d.dx;
    EXPECT_EQ(sp->Left(), left->Width());
  }
  EXPECT_EQ(moved, 3);
}

TEST_F(ExtCtrls, ScrollBoxRangeFollowsItsChildren) {
  auto* box = Make<TScrollBox>(form, 10, 10, 200, 150);
  auto* far = Make<TButton>(box, 20, 300, 75, 25, u"far");
  Pump();
  ASSERT_TRUE(GetWindowLongPtrW(box->Handle(), GWL_STYLE) & WS_VSCROLL);
  EXPECT_FALSE(GetWindowLongPtrW(box->Handle(), GWL_STYLE) & WS_HSCROLL);
  SCROLLINFO si;
  si.fMask = SIF_ALL;
  GetScrollInfo(box->Handle(), SB_VERT, &si);
  EXPECT_EQ(si.nMax, 324);
  box->Perform(WM_VSCROLL, SB_LINEDOWN);
  EXPECT_EQ(far->Top(), 292);
  box->ScrollInView(far);
  EXPECT_EQ(far->Top() + far->Height(), box->ClientHeight());
  box->Perform(WM_VSCROLL, SB_TOP);
  EXPECT_EQ(far->Top(), 300);
}

TEST_F(ExtCtrls, ProgressPanelAndImageGeometry) {
  auto* pb = new TProgressBar(form);
  pb->SetParent(form);
  pb->SetMax(50);
  pb->SetStep(20);
  int expected[] = {20, 40, 9, 29};  // past Max it wraps round
  for (int e : expected) {
    pb->StepIt();
    EXPECT_EQ(pb->Position(), e);
  }
  pb->SetPosition(500);
  EXPECT_EQ(pb->Position(), 50);

  auto* panel = Make<TPanel>(form, 10, 10, 100, 60);
  panel->SetBevelInner(bvLowered);
  panel->SetBorderWidth(2);
  auto* child = Make<TPanel>(panel, 0, 0, 10, 10);
  child->SetAlign(alClient);
  EXPECT_EQ(child->BoundsRect(), rtl::Rect(4, 4, 96, 56));

  auto* img = new TImage(form);
  img->SetParent(form);
  img->SetBounds(0, 0, 100, 100);
  img->Picture()->Bitmap()->SetSize(200, 50);
  img->SetProportional(true);
  img->SetCenter(true);
  EXPECT_EQ(img->DestRect(), rtl::Rect(0, 37, 100, 62));
  img->SetAutoSize(true);
  EXPECT_EQ(img->Width(), 200);
}

}  // namespace
}  // namespace formstest
