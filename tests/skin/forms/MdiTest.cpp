// MDI support of the frame: the client window, arrange commands, window list,
// child states, and the tabs bar, headless on the fake clock.
#include <gtest/gtest.h>

#include <set>

#include "FrameTestUtil.h"
#include "platform/forms/ExtCtrls.h"
#include "platform/gdi/Colors.h"
#include "skin/forms/bsSkinMDI.h"
#include "skin/forms/bsSkinMDITabsBar.h"

using namespace frametest;

namespace {

class MdiTest : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    form->SetName(u"MainForm");
    mainFrame = MakeFrame(form, false);
    mainFrame->SetMDIStyle(forms::fsMDIForm);
    client = MDIClientOf(form);
    ShowForm();
  }
  // Sizes the main form so that its MDI child area is W x H.
  void SetArea(int W, int H) {
    for (int i = 0; i < 2; ++i) {
      TRect a = mainFrame->GetMDIChildArea();
      form->SetBounds(form->Left(), form->Top(), form->Width() + W - a.Width(), form->Height() + H - a.Height());
      Pump();
    }
    ASSERT_EQ(mainFrame->GetMDIChildArea().Width(), W);
    ASSERT_EQ(mainFrame->GetMDIChildArea().Height(), H);
  }
  TForm* AddChild(const std::u16string& caption, bool show = true) {
    auto* c = new TForm(forms::Application);
    c->SetName(u"Child" + std::u16string(1, char16_t(u'A' + children.size())));
    c->SetCaption(caption);
    c->SetBounds(0, 0, 200, 150);
    c->AfterConstruction();
    auto* f = MakeFrame(c, false);
    f->SetMDIStyle(forms::fsMDIChild);
    children.push_back(c);
    if (show) {
      c->Show();
      client->ActivateChild(c);
      Pump();
    }
    return c;
  }
  TbsBusinessSkinForm* mainFrame = nullptr;
  TbsMDIClient* client = nullptr;
  std::vector<TForm*> children;
};

TEST_F(MdiTest, ChildrenLiveInTheClientInActivationOrder) {
  ASSERT_TRUE(client);
  EXPECT_EQ(MDIMainForm(), form);
  TForm* a = AddChild(u"A");
  TForm* b = AddChild(u"B");
  EXPECT_EQ(a->Parent(), client);
  ASSERT_EQ(client->MDIChildCount(), 2);
  EXPECT_EQ(client->MDIChildren(0), b);
  EXPECT_EQ(client->ActiveMDIChild(), b);
  EXPECT_EQ(FindActiveChildSkinForm(), FindSkinFormComponent(b));
  // A click into the inactive child activates it.
  a->Perform(win::WM_MOUSEACTIVATE, 0, 0);
  EXPECT_EQ(client->ActiveMDIChild(), a);
  EXPECT_TRUE(FindSkinFormComponent(a)->FFormActive);
  EXPECT_FALSE(FindSkinFormComponent(b)->FFormActive);
  delete a;
  ASSERT_EQ(client->MDIChildCount(), 1);
  EXPECT_EQ(client->ActiveMDIChild(), b);
}

// Columns fill from the right, upwards; the last child sits at the bottom right.
TEST_F(MdiTest, TileGeometry) {
  SetArea(600, 300);
  struct Case {
    int n, cols;
  };
  for (Case c : {Case{1, 1}, Case{2, 1}, Case{3, 1}, Case{4, 2}, Case{5, 2}, Case{10, 3}}) {
    while (int(children.size()) < c.n) AddChild(u"C");
    mainFrame->Tile();
    TForm* last = static_cast<TForm*>(client->MDIChildren(c.n - 1));
    EXPECT_EQ(last->Left() + last->Width(), 600 / c.cols * c.cols) << c.n;
    EXPECT_EQ(last->Width(), 600 / c.cols) << c.n;
    std::set<int> lefts;
    for (int i = 0; i < c.n; ++i) lefts.insert(client->MDIChildren(i)->Left());
    EXPECT_EQ(int(lefts.size()), c.cols) << c.n;
  }
  // Five children in 600 x 300: three of 300 x 100 on the right, two of
  // 300 x 150 on the left.
  while (children.size() > 5) {
    delete children.back();
    children.pop_back();
  }
  mainFrame->Tile();
  std::vector<TRect> got;
  for (int i = 4; i >= 0; --i) got.push_back(client->MDIChildren(i)->BoundsRect());
  std::vector<TRect> want = {{300, 200, 600, 300}, {300, 100, 600, 200}, {300, 0, 600, 100},
                             {0, 150, 300, 300}, {0, 0, 300, 150}};
  EXPECT_EQ(got, want);
}

TEST_F(MdiTest, CascadeStepsByTheCaptionAndRestarts) {
  SetArea(600, 300);
  const int step = mainFrame->GetDefaultCaptionHeight() + 3;
  for (int i = 0; i < 3; ++i) AddChild(u"C");
  mainFrame->Cascade();
  // k = 120 / step > 3 children: each is the area less two steps.
  for (int i = 0; i < 3; ++i) {
    TForm* c = static_cast<TForm*>(client->MDIChildren(i));
    EXPECT_EQ(c->Left(), (2 - i) * step);
    EXPECT_EQ(c->Top(), (2 - i) * step);
    EXPECT_EQ(c->Width(), 600 - 2 * step);
    EXPECT_EQ(c->Height(), 300 - 2 * step);
  }
  for (int i = 0; i < 5; ++i) AddChild(u"C");
  // A dialog-like child keeps its own size.
  TForm* single = static_cast<TForm*>(client->MDIChildren(0));
  single->SetBorderStyle(forms::bsSingle);
  single->SetBounds(0, 0, 123, 77);
  mainFrame->Cascade();
  const int k = 120 / step, h = 300 - step * k;
  int offset = 0;
  for (int i = 7; i >= 0; --i) {
    TForm* c = static_cast<TForm*>(client->MDIChildren(i));
    int ch = c == single ? 77 : h, cw = c == single ? 123 : 600 - step * k;
    if (offset + cw > 600 || offset + ch > 300) offset = 0;
    EXPECT_EQ(c->Top(), offset) << i;
    EXPECT_EQ(c->Width(), cw) << i;
    offset += step;
  }
  EXPECT_EQ(single->Height(), 77);
}

TEST_F(MdiTest, ArrangeCommandsActOnlyOnAnMdiFrameForm) {
  TForm* a = AddChild(u"A");
  TForm* b = AddChild(u"B");
  auto* fa = FindSkinFormComponent(a);
  mainFrame->MaximizeAll();
  EXPECT_EQ(fa->WindowState(), forms::wsMaximized);
  TRect area = mainFrame->GetMDIChildArea();
  EXPECT_EQ(a->BoundsRect(), rtl::Rect(0, 0, area.Width(), area.Height()));
  EXPECT_TRUE(mainFrame->FMDIChildMaximized);
  EXPECT_EQ(FindMaximizedChildSkinForm(), FindSkinFormComponent(b));
  mainFrame->RestoreAll();
  EXPECT_EQ(fa->WindowState(), forms::wsNormal);
  EXPECT_FALSE(mainFrame->FMDIChildMaximized);
  mainFrame->MinimizeAll();
  EXPECT_EQ(fa->WindowState(), forms::wsMinimized);
  // Minimized children line up along the bottom of the area, side by side.
  EXPECT_EQ(a->Top() + a->Height(), area.Height());
  EXPECT_NE(a->Left(), b->Left());
  mainFrame->RestoreAll();
  fa->SetRollUpState(true);
  mainFrame->RestoreAll();
  EXPECT_FALSE(fa->RollUpState());
  // A child's own frame is no MDI frame form: nothing happens.
  fa->Tile();
  fa->CloseAll();
  EXPECT_EQ(client->MDIChildCount(), 2);
  mainFrame->CloseAll();
  Pump();
  EXPECT_FALSE(a->Visible());
  EXPECT_FALSE(b->Visible());
}

TEST_F(MdiTest, WindowListFollowsCaptionsActivationAndHiding) {
  forms::TMainMenu menu(form);
  auto* window = new forms::TMenuItem(&menu);
  menu.Items()->Add(window);
  client->WindowMenu = window;
  TForm* a = AddChild(u"Same");
  TForm* b = AddChild(u"Same");
  ASSERT_EQ(window->Count(), 2);
  EXPECT_EQ(window->Items(0)->Name(), u"ChildA_BSFCHILDITEM");
  EXPECT_EQ(window->Items(1)->Name(), u"ChildB_BSFCHILDITEM");
  EXPECT_FALSE(window->Items(0)->Checked());
  EXPECT_TRUE(window->Items(1)->Checked());
  a->SetCaption(u"Renamed");
  EXPECT_EQ(window->Items(0)->Caption(), u"Renamed");
  EXPECT_EQ(window->Items(1)->Caption(), u"Same");
  // Clicking an item brings a minimized child back and forward.
  FindSkinFormComponent(a)->SetWindowState(forms::wsMinimized);
  window->Items(0)->Click();
  EXPECT_EQ(FindSkinFormComponent(a)->WindowState(), forms::wsNormal);
  EXPECT_EQ(client->ActiveMDIChild(), a);
  EXPECT_TRUE(window->Items(0)->Checked());
  EXPECT_FALSE(window->Items(1)->Checked());
  b->Hide();
  Pump();
  ASSERT_EQ(window->Count(), 1);
  EXPECT_EQ(window->Items(0)->Name(), u"ChildA_BSFCHILDITEM");
  delete a;
  children.erase(children.begin());
  EXPECT_EQ(window->Count(), 0);
}

class TabsTest : public MdiTest {
 protected:
  void SetUp() override {
    MdiTest::SetUp();
    bar = new TbsSkinMDITabsBar(form);
    bar->SetAlign(forms::alTop);
    bar->SetParent(form);
    bar->SetBusinessSkinForm(mainFrame);
    mainFrame->MDITabsBar = bar;
    Pump();
  }
  void Paint() {
    bar->Invalidate();
    Pump();
  }
  win::POINT At(int x, int y) {
    win::POINT p{x, y};
    win::ClientToScreen(bar->Handle(), &p);
    return p;
  }
  TbsSkinMDITabsBar* bar = nullptr;
};

TEST_F(TabsTest, TabsFollowTheChildrenAndTheAcceptEvent) {
  TForm* a = AddChild(u"A");
  TForm* b = AddChild(u"B");
  ASSERT_EQ(bar->ObjectList.size(), 2u);
  EXPECT_TRUE(bar->FListButton);
  EXPECT_FALSE(bar->ObjectList[0]->Active);
  EXPECT_TRUE(bar->ObjectList[1]->Active);
  // Refused by the event: in the window list, not on the bar.
  forms::TMainMenu menu(form);
  auto* window = new forms::TMenuItem(&menu);
  menu.Items()->Add(window);
  client->WindowMenu = window;
  auto* c = new TForm(forms::Application);
  c->SetName(u"Refused");
  c->AfterConstruction();
  auto* fc = MakeFrame(c, false);
  fc->OnAcceptToMDITabsBar = [](bool& accept) { accept = false; };
  fc->SetMDIStyle(forms::fsMDIChild);
  c->Show();
  Pump();
  EXPECT_EQ(bar->ObjectList.size(), 2u);
  EXPECT_EQ(window->Count(), 1);
  delete c;
  b->Hide();
  Pump();
  ASSERT_EQ(bar->ObjectList.size(), 1u);
  EXPECT_EQ(bar->ObjectList[0]->Child, a);
  delete a;
  children.clear();
  EXPECT_TRUE(bar->ObjectList.empty());
  EXPECT_FALSE(bar->FListButton);
}

TEST_F(TabsTest, NarrowBarHidesTabsBehindTheListButton) {
  bar->SetAlign(forms::alNone);
  bar->SetBounds(0, 0, 200, 21);
  bar->MinTabWidth = 80;
  for (int i = 0; i < 5; ++i) AddChild(u"T" + std::u16string(1, char16_t(u'0' + i)));
  Paint();
  EXPECT_EQ(bar->FInVisibleCount, 3);
  EXPECT_TRUE(bar->ObjectList[0]->Visible);
  EXPECT_TRUE(bar->ObjectList[1]->Visible);
  EXPECT_FALSE(bar->ObjectList[2]->Visible);
  EXPECT_EQ(bar->ObjectList[1]->ObjectRect, rtl::Rect(95, 0, 175, 21));
  ASSERT_TRUE(bar->FHideListButton);
  bar->FHideListButton->OnShowTrackMenu(nullptr);
  ASSERT_EQ(bar->FHideListMenu->Items()->Count(), 3);
  EXPECT_EQ(bar->FHideListMenu->Items()->Items(0)->Name(), u"ChildC_BSFCHILDITEMBARHIDE");
  // Choosing a hidden child brings it forward.
  bar->FHideListMenu->Items()->Items(0)->Click();
  EXPECT_EQ(client->ActiveMDIChild(), children[2]);
  // Room for all: the hidden-tabs button goes.
  bar->MinTabWidth = 0;
  Paint();
  EXPECT_EQ(bar->FInVisibleCount, 0);
  EXPECT_FALSE(bar->FHideListButton);
  bar->FListButton->OnShowTrackMenu(nullptr);
  ASSERT_EQ(bar->FListMenu->Items()->Count(), 5);
  EXPECT_TRUE(bar->FListMenu->Items()->Items(2)->Checked());
  EXPECT_EQ(bar->FListMenu->Items()->Items(4)->Name(), u"ChildE_BSFCHILDITEMBAR");
}

TEST_F(TabsTest, DraggingReordersAndClickActivates) {
  ASSERT_GE(bar->Width(), 315);
  for (int i = 0; i < 3; ++i) AddChild(u"T");
  Paint();
  // Tabs at 15..115, 115..215, 215..315: a click on the first activates it.
  win::headless::Click(At(50, 10));
  Pump();
  EXPECT_EQ(client->ActiveMDIChild(), children[0]);
  EXPECT_EQ(bar->ObjectList[0]->Child, children[0]);
  // Dragged right past the centre of both neighbours: lands behind the last.
  win::headless::MouseDown(At(50, 10));
  win::headless::MouseMove(At(120, 10));
  win::headless::MouseMove(At(260, 10));
  Pump();
  EXPECT_TRUE(bar->IsDrag);
  win::headless::MouseUp(At(260, 10));
  Pump();
  EXPECT_EQ(bar->ObjectList[2]->Child, children[0]);
  EXPECT_EQ(bar->ObjectList[0]->Child, children[1]);
  // A drag that ends where it began changes nothing.
  win::headless::MouseDown(At(50, 10));
  win::headless::MouseMove(At(90, 10));
  win::headless::MouseMove(At(50, 10));
  win::headless::MouseUp(At(50, 10));
  Pump();
  EXPECT_EQ(bar->ObjectList[0]->Child, children[1]);
  EXPECT_EQ(bar->DragIndex, -1);
}

TEST_F(TabsTest, CloseButtonClosesOnlyItsChild) {
  bar->ShowCloseButtons = true;
  AddChild(u"A");
  AddChild(u"B");
  Paint();
  TbsMDITab* t = bar->ObjectList[0].get();
  ASSERT_FALSE(IsEmptyRect(t->ButtonRect));
  int x = t->ObjectRect.Left + t->ButtonRect.Left + 5, y = t->ObjectRect.Top + t->ButtonRect.Top + 5;
  win::headless::MouseMove(At(x, y));
  Pump();
  EXPECT_TRUE(t->ButtonMouseIn);
  win::headless::MouseDown(At(x, y));
  win::headless::MouseMove(At(x + 1, y));
  Pump();
  EXPECT_FALSE(bar->IsDrag);
  win::headless::MouseUp(At(x + 1, y));
  Pump();
  EXPECT_FALSE(children[0]->Visible());
  EXPECT_TRUE(children[1]->Visible());
  ASSERT_EQ(bar->ObjectList.size(), 1u);
  EXPECT_EQ(bar->ObjectList[0]->Child, children[1]);
}

}  // namespace

namespace {

// A click into an inactive child brings it forward and makes it active.
TEST_F(MdiTest, ClickActivatesAChild) {
  SetArea(600, 300);
  TForm* a = AddChild(u"A");
  TForm* b = AddChild(u"B");
  mainFrame->Tile();
  Pump();
  ASSERT_EQ(client->ActiveMDIChild(), b);
  win::POINT p = a->ClientToScreen({20, 20});
  win::headless::Click(p);
  Pump();
  EXPECT_EQ(client->ActiveMDIChild(), a);
  EXPECT_TRUE(FindSkinFormComponent(a)->FFormActive);
  EXPECT_FALSE(FindSkinFormComponent(b)->FFormActive);
  // A press on the other child's caption activates it as well.
  win::RECT r;
  win::GetWindowRect(b->Handle(), &r);
  win::headless::Click({r.Left + 60, r.Top + 8});
  Pump();
  EXPECT_EQ(client->ActiveMDIChild(), b);
}

}  // namespace

namespace {

// A maximized child follows the MDI area when the frame form is resized;
// minimized children keep to the area's bottom row.
TEST_F(MdiTest, MaximizedChildRefitsAndMinimizedChildrenRearrange) {
  SetArea(600, 300);
  TForm* a = AddChild(u"A");
  TForm* b = AddChild(u"B");
  FindSkinFormComponent(a)->SetWindowState(forms::wsMaximized);
  FindSkinFormComponent(b)->SetWindowState(forms::wsMinimized);
  EXPECT_EQ(a->BoundsRect(), rtl::Rect(0, 0, 600, 300));
  EXPECT_EQ(b->Top() + b->Height(), 300);
  SetArea(500, 250);
  EXPECT_EQ(a->BoundsRect(), rtl::Rect(0, 0, 500, 250));
  EXPECT_EQ(b->Top() + b->Height(), 250);
}

// The MDI frame form's caption names its maximized child, in both looks.
TEST_F(MdiTest, CaptionNamesTheMaximizedChild) {
  form->SetCaption(u"Main");
  TForm* a = AddChild(u"Child");
  EXPECT_EQ(mainFrame->CaptionText(), u"Main");
  FindSkinFormComponent(a)->SetWindowState(forms::wsMaximized);
  Pump();
  EXPECT_TRUE(mainFrame->FMDIChildMaximized);
  EXPECT_EQ(mainFrame->CaptionText(), u"Main - [Child]");
  // The default band draws the longer text: its plate reaches further.
  auto plateWidth = [&] {
    Pump();
    int n = 0;
    for (int x = 20; x < form->Width() - 60; ++x) n += FramePixel(x, 5) == Rgb(gdi::ColorToRGB(gdi::clBtnFace));
    return n;
  };
  const int withChild = plateWidth();
  FindSkinFormComponent(a)->SetWindowState(forms::wsNormal);
  Pump();
  EXPECT_FALSE(mainFrame->FMDIChildMaximized);
  EXPECT_EQ(mainFrame->CaptionText(), u"Main");
  EXPECT_GT(withChild, plateWidth() + 40);
}

// A new skin refits a maximized child although the client keeps its size.
TEST_F(MdiTest, SkinChangeRefitsTheMaximizedChild) {
  SetArea(500, 300);
  TForm* a = AddChild(u"A");
  FindSkinFormComponent(a)->SetWindowState(forms::wsMaximized);
  ASSERT_EQ(a->BoundsRect(), rtl::Rect(0, 0, 500, 300));
  a->SetBounds(0, 0, 200, 100);  // out of step with the area
  // A skin whose borders are those of the default frame: no client resize.
  sd = std::make_unique<TbsSkinData>(nullptr);
  MakeFrameSkin(*sd);
  sd->ClRect = {3, 22, 397, 297};
  const int clientW = client->Width(), clientH = client->Height();
  mainFrame->SetSkinData(sd.get());
  Pump();
  ASSERT_EQ(client->Width(), clientW);
  ASSERT_EQ(client->Height(), clientH);
  EXPECT_EQ(a->BoundsRect(), rtl::Rect(0, 0, 500, 300));
  mainFrame->SetSkinData(nullptr);
}

// A child snaps to the edges of the free client area, not of the screen.
TEST_F(MdiTest, ChildSnapsToTheChildArea) {
  auto* top = new forms::TPanel(form);
  top->SetParent(form);
  top->SetAlign(forms::alTop);
  top->SetHeight(40);
  SetArea(500, 300);
  TForm* a = AddChild(u"A");
  auto* f = FindSkinFormComponent(a);
  f->Magnetic = true;
  f->MagneticSize = 10;
  const TPoint o = form->ClientOrigin();
  ASSERT_EQ(f->GetMDIChildArea().Top, 40);
  struct Case {
    int l, t, wantL, wantT;
  } cases[] = {{o.X + 100, o.Y + 40 + 6, o.X + 100, o.Y + 40},      // top edge of the area
               {o.X + 7, o.Y + 120, o.X, o.Y + 120},                // left edge
               {o.X + 500 - 200 - 4, o.Y + 120, o.X + 300, o.Y + 120},  // right edge
               {o.X + 100, o.Y + 3, o.X + 100, o.Y + 3}};           // the screen's top is no edge here
  for (const Case& c : cases) {
    f->HMagnetized = f->VMagnetized = f->HMagnetized2 = f->VMagnetized2 = false;
    int l = c.l, t = c.t;
    f->MagnetizeBounds(l, t, 200, 150);
    EXPECT_EQ(l, c.wantL) << c.l << "," << c.t;
    EXPECT_EQ(t, c.wantT) << c.l << "," << c.t;
  }
}

}  // namespace

namespace {

// A resize of the client erases its whole background again when a logo lies
// in it, so that the logo is drawn at its new place.
TEST_F(MdiTest, AResizeWithALogoErasesTheWholeBackground) {
  SetArea(500, 300);
  mainFrame->LogoBitMap()->SetSize(40, 30);
  int erased = 0;
  auto old = client->WindowProc;
  client->WindowProc = [&](forms::TMessage& m) {
    if (m.Msg == win::WM_ERASEBKGND) ++erased;
    if (old) old(m);
    else client->WndProc(m);
  };
  Pump();
  erased = 0;
  form->SetBounds(form->Left(), form->Top(), form->Width() - 10, form->Height());
  TRect r{};
  EXPECT_TRUE(win::GetUpdateRect(client->Handle(), &r, false));
  EXPECT_EQ(r, rtl::Rect(0, 0, client->ClientWidth(), client->ClientHeight()));
  Pump();
  EXPECT_GE(erased, 1);
  client->WindowProc = old;
}

}  // namespace
