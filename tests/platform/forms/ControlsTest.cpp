// Controls: message routing, focus and keys, mouse capture and clicks,
// enter/leave, layout, painting and lifetimes.
#include <memory>

#include "platform/forms/FormRender.h"
#include "platform/gdi/Bitmap.h"
#include "tests/platform/forms/FormsTestUtil.h"

namespace formstest {
namespace {

using namespace win;

std::string Name(rtl::TObject* o) {
  auto* c = dynamic_cast<rtl::TComponent*>(o);
  return c ? rtl::StringToUtf8(c->Name()) : "?";
}

// Puts a recorder in front of a control's window procedure: the subclassing
// the skin library does.
void Record(TControl* c, std::vector<std::string>& log, std::vector<UINT> msgs) {
  c->WindowProc = [c, &log, msgs](TMessage& m) {
    for (UINT w : msgs)
      if (m.Msg == w) {
        std::string s = Name(c) + ":";
        switch (m.Msg) {
          case WM_SETFOCUS: s += "SET"; break;
          case WM_KILLFOCUS: s += "KILL"; break;
          case CM_ENTER: s += "ENTER"; break;
          case CM_EXIT: s += "EXIT"; break;
          case CM_FOCUSCHANGED: s += "FOCUSCHANGED " + Name(reinterpret_cast<TControl*>(m.LParam)); break;
          case CM_MOUSEENTER: s += "MOUSEENTER"; break;
          case CM_MOUSELEAVE: s += "MOUSELEAVE"; break;
          case WM_KEYDOWN: s += "KEYDOWN " + std::to_string(m.WParam); break;
          default: s += std::to_string(m.Msg); break;
        }
        log.push_back(s);
      }
    c->WndProc(m);
  };
}

TEST_F(FormsTest, FocusChangeRunsKillSetActiveControlThenFocusChanged) {
  TForm* f = MakeForm();
  auto* a = Make<TTestEdit>(f, 10, 10, 100, 20);
  auto* b = Make<TTestEdit>(f, 10, 40, 100, 20);
  a->SetName(u"a");
  b->SetName(u"b");
  a->SetFocus();
  Pump();
  ASSERT_TRUE(a->Focused());
  Record(a, log, {WM_SETFOCUS, WM_KILLFOCUS, CM_ENTER, CM_EXIT, CM_FOCUSCHANGED});
  Record(b, log, {WM_SETFOCUS, WM_KILLFOCUS, CM_ENTER, CM_EXIT, CM_FOCUSCHANGED});
  TWinControl* activeAtBroadcast = nullptr;
  b->OnEnter = [&](rtl::TObject*) { activeAtBroadcast = f->ActiveControl(); };
  b->SetFocus();
  Pump();
  EXPECT_EQ(log, (std::vector<std::string>{"a:KILL", "b:SET", "a:EXIT", "b:ENTER", "a:FOCUSCHANGED b",
                                           "b:FOCUSCHANGED b"}));
  EXPECT_EQ(activeAtBroadcast, b);
  EXPECT_TRUE(b->Focused());
  EXPECT_EQ(Screen->ActiveControl(), b);
}

TEST_F(FormsTest, FocusRefusedForHiddenOrDisabledControls) {
  TForm* f = MakeForm();
  auto* a = Make<TTestEdit>(f, 10, 10, 100, 20);
  auto* panel = Make<TTestPanel>(f, 10, 40, 100, 50);
  auto* inner = Make<TTestEdit>(panel, 5, 5, 50, 20);
  panel->SetEnabled(false);
  EXPECT_FALSE(inner->CanFocus());
  EXPECT_THROW(inner->SetFocus(), rtl::EInvalidOperation);
  panel->SetEnabled(true);
  a->SetVisible(false);
  EXPECT_FALSE(a->CanFocus());
  EXPECT_TRUE(inner->CanFocus());
}

// A dialog: an edit-like control wanting arrows and characters, and three buttons.
class DialogKeys : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    f = MakeForm(300, 150, false);
    edit = Make<TTestEdit>(f, 10, 10, 100, 20);
    ok = Make<TTestButton>(f, 10, 40, 75, 25, u"&OK");
    cancel = Make<TTestButton>(f, 90, 40, 75, 25, u"&Cancel");
    other = Make<TTestButton>(f, 170, 40, 75, 25, u"&Apply");
    edit->SetName(u"edit");
    ok->SetName(u"ok");
    cancel->SetName(u"cancel");
    other->SetName(u"other");
    ok->Default = true;
    cancel->Cancel = true;
    f->Show();
    Pump();
    Record(edit, log, {WM_KEYDOWN});
  }
  TForm* f = nullptr;
  TTestEdit* edit = nullptr;
  TTestButton *ok = nullptr, *cancel = nullptr, *other = nullptr;
};

TEST_F(DialogKeys, DialogKeysGoToTheFormBeforeTheControl) {
  struct Case {
    const char* name;
    int focus;  // 0 edit, 1 ok, 2 cancel
    int vk;
    int okClicks, cancelClicks;
    int focusAfter;
    bool editSawKey;
  } cases[] = {
      {"enter in the edit clicks the default button", 0, VK_RETURN, 1, 0, 0, false},
      {"enter on the focused default button clicks once", 1, VK_RETURN, 1, 0, 1, false},
      {"escape clicks the cancel button", 0, VK_ESCAPE, 0, 1, 0, false},
      {"tab moves on in tab order", 0, VK_TAB, 0, 0, 1, false},
      {"tab from the last wraps to the first", 3, VK_TAB, 0, 0, 0, false},
      {"an edit wanting arrows keeps them", 0, VK_DOWN, 0, 0, 0, true},
      {"arrows move between buttons", 1, VK_RIGHT, 0, 0, 2, false},
      {"a plain letter reaches the control", 0, 'X', 0, 0, 0, true},
  };
  TWinControl* order[] = {edit, ok, cancel, other};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    order[c.focus]->SetFocus();
    Pump();
    ASSERT_TRUE(order[c.focus]->Focused());
    ok->clicks = cancel->clicks = 0;
    log.clear();
    Key(c.vk);
    EXPECT_EQ(ok->clicks, c.okClicks);
    EXPECT_EQ(cancel->clicks, c.cancelClicks);
    EXPECT_TRUE(order[c.focusAfter]->Focused());
    EXPECT_EQ(!log.empty(), c.editSawKey);
  }
}

TEST_F(DialogKeys, TabPassesOverControlsWithoutATabStop) {
  cancel->SetTabStop(false);
  ok->SetFocus();
  Pump();
  Key(VK_TAB);
  EXPECT_TRUE(other->Focused());
  headless::KeyDown(VK_SHIFT);
  headless::PressKey(VK_TAB);
  headless::KeyUp(VK_SHIFT);
  Pump();
  EXPECT_TRUE(ok->Focused());
}

TEST_F(DialogKeys, ShiftTabGoesBackAndAControlWantingTheKeyKeepsIt) {
  ok->SetFocus();
  Pump();
  headless::KeyDown(VK_SHIFT);
  headless::PressKey(VK_TAB);
  headless::KeyUp(VK_SHIFT);
  Pump();
  EXPECT_TRUE(edit->Focused());
  // CM_WANTSPECIALKEY: the control keeps Enter; the default button stays quiet.
  auto inner = edit->WindowProc;
  edit->WindowProc = [&](TMessage& m) {
    if (m.Msg == CM_WANTSPECIALKEY && m.WParam == WPARAM(VK_RETURN)) {
      m.Result = 1;
      return;
    }
    inner(m);
  };
  log.clear();
  Key(VK_RETURN);
  EXPECT_EQ(ok->clicks, 0);
  EXPECT_EQ(log, (std::vector<std::string>{"edit:KEYDOWN 13"}));
  edit->WindowProc = inner;
}

TEST_F(DialogKeys, AcceleratorsClickTheButtonWhoseCaptionNamesTheKey) {
  // The focused button does not want characters: a plain letter is an accelerator.
  ok->SetFocus();
  Pump();
  Key('C', u"c");
  EXPECT_EQ(cancel->clicks, 1);
  // The edit wants characters: the letter is typed.
  edit->SetFocus();
  Pump();
  Key('C', u"c");
  EXPECT_EQ(cancel->clicks, 1);
  EXPECT_EQ(edit->typed, u"c");
  // With Alt it is an accelerator wherever the focus is; the case does not matter.
  headless::KeyDown(VK_MENU);
  headless::PressKey('A', u"A");
  headless::KeyUp(VK_MENU);
  Pump();
  EXPECT_EQ(other->clicks, 1);
  EXPECT_EQ(edit->typed, u"c");
  EXPECT_TRUE(IsAccel(u'o', u"&OK"));
  EXPECT_FALSE(IsAccel(u'o', u"&&OK"));
  EXPECT_FALSE(IsAccel(u'k', u"&OK"));
  EXPECT_EQ(StripHotkey(u"Save &As && Close"), u"Save As & Close");
}

TEST_F(DialogKeys, KeyPreviewLetsTheFormSeeKeysFirstAndEventsMayDropThem) {
  edit->SetFocus();
  Pump();
  edit->WindowProc = nullptr;
  edit->OnKeyDown = [&](rtl::TObject*, rtl::Word& key, TShiftState) { Log("edit " + std::to_string(key)); };
  f->OnKeyDown = [&](rtl::TObject*, rtl::Word& key, TShiftState) {
    Log("form " + std::to_string(key));
    if (key == VK_F3) key = 0;
  };
  f->OnKeyPress = [&](rtl::TObject*, char16_t& key) {
    if (key == u'q') key = u'Q';
  };
  edit->OnKeyPress = [&](rtl::TObject*, char16_t& key) {
    if (key == u'z') key = 0;
  };
  // Without the preview the form sees none of its controls' keys.
  ASSERT_FALSE(f->KeyPreview());
  Key(VK_F3);
  Key('Q', u"q");
  EXPECT_EQ(log, (std::vector<std::string>{"edit 114", "edit 81"}));
  EXPECT_EQ(edit->typed, u"q");
  log.clear();
  edit->typed.clear();
  f->SetKeyPreview(true);
  Key(VK_F3);
  Key(VK_F4);
  Key('Q', u"q");
  Key('Z', u"z");
  Key('A', u"a");
  EXPECT_EQ(log, (std::vector<std::string>{"form 114", "form 115", "edit 115", "form 81", "edit 81", "form 90",
                                           "edit 90", "form 65", "edit 65"}));
  EXPECT_EQ(edit->typed, u"Qa");
}

TEST_F(DialogKeys, APressTellsTheFocusedControlToCancelItsModes) {
  edit->SetFocus();
  Pump();
  TControl* sender = nullptr;
  auto inner = edit->WindowProc;
  edit->WindowProc = [&](TMessage& m) {
    if (m.Msg == CM_CANCELMODE) sender = reinterpret_cast<TControl*>(m.LParam);
    inner(m);
  };
  Click(other);
  EXPECT_EQ(sender, other);
  edit->WindowProc = inner;
}

TEST_F(FormsTest, ClickNeedsPressAndReleaseInsideTheSameControl) {
  struct Case {
    const char* name;
    bool graphic;
    win::POINT up;  // relative to the control
    int clicks;
  } cases[] = {
      {"windowed, released inside", false, {20, 10}, 1},
      {"windowed, released outside", false, {200, 10}, 0},
      {"graphic, released inside", true, {20, 5}, 1},
      {"graphic, released outside", true, {-30, 5}, 0},
  };
  TForm* f = MakeForm();
  auto* button = Make<TTestButton>(f, 10, 10, 75, 25);
  auto* label = Make<TTestLabel>(f, 100, 60, 60, 15, u"label");
  int labelClicks = 0;
  label->OnClick = [&](rtl::TObject*) { ++labelClicks; };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TControl* t = c.graphic ? static_cast<TControl*>(label) : button;
    button->clicks = 0;
    labelClicks = 0;
    headless::MouseMove(Scr(t, 5, 5));
    headless::MouseDown(Scr(t, 5, 5));
    Pump();
    EXPECT_EQ(CaptureControl(), t);
    headless::MouseMove(Scr(t, c.up.X, c.up.Y));
    headless::MouseUp(Scr(t, c.up.X, c.up.Y));
    Pump();
    EXPECT_EQ(CaptureControl(), nullptr);
    EXPECT_EQ(c.graphic ? labelClicks : button->clicks, c.clicks);
  }
}

TEST_F(FormsTest, DoubleClicksOnlyForControlsThatAskForThem) {
  TForm* f = MakeForm();
  auto* a = Make<TTestButton>(f, 10, 10, 75, 25);
  auto* b = Make<TTestButton>(f, 100, 10, 75, 25);
  b->SetControlStyle(b->ControlStyle() - TControlStyle{csDoubleClicks});
  int dblA = 0, dblB = 0;
  a->OnDblClick = [&](rtl::TObject*) { ++dblA; };
  b->OnDblClick = [&](rtl::TObject*) { ++dblB; };
  for (TTestButton* t : {a, b}) {
    headless::Click(Scr(t, 5, 5));
    headless::Click(Scr(t, 5, 5));
    Pump();
  }
  EXPECT_EQ(dblA, 1);
  EXPECT_EQ(a->clicks, 1);  // the second press is the double click
  EXPECT_EQ(dblB, 0);
  EXPECT_EQ(b->clicks, 2);  // the second press is a plain press
}

TEST_F(FormsTest, EnterAndLeaveFollowTheInnermostControlAlsoDuringCapture) {
  TForm* f = MakeForm();
  f->SetName(u"form");
  auto* a = Make<TTestButton>(f, 10, 10, 75, 25);
  auto* b = Make<TTestButton>(f, 100, 10, 75, 25);
  auto* off = Make<TTestButton>(f, 10, 60, 75, 25);
  auto* label = Make<TTestLabel>(f, 100, 60, 60, 15, u"label");
  a->SetName(u"a");
  b->SetName(u"b");
  off->SetName(u"off");
  label->SetName(u"label");
  off->SetEnabled(false);
  for (TControl* c : std::initializer_list<TControl*>{f, a, b, off, label})
    Record(c, log, {CM_MOUSEENTER, CM_MOUSELEAVE});
  headless::MouseMove(Scr(a, 5, 5));
  headless::MouseDown(Scr(a, 5, 5));
  Pump();
  headless::MouseMove(Scr(b, 5, 5));  // a holds the capture
  Pump();
  EXPECT_EQ(CaptureControl(), a);
  headless::MouseUp(Scr(b, 5, 5));
  Pump();
  // Disabled, graphic, then the form itself.
  for (win::POINT p : {Scr(off, 5, 5), Scr(label, 5, 5), Scr(f, 250, 150)}) {
    headless::MouseMove(p);
    Pump();
  }
  EXPECT_EQ(log, (std::vector<std::string>{"a:MOUSEENTER", "a:MOUSELEAVE", "b:MOUSEENTER", "b:MOUSELEAVE",
                                           "off:MOUSEENTER", "off:MOUSELEAVE", "label:MOUSEENTER",
                                           "label:MOUSELEAVE", "form:MOUSEENTER"}));
  EXPECT_EQ(MouseControl(), f);
  // Leaving every window of the program leaves the last control.
  log.clear();
  headless::MouseMove({1250, 1000});
  Pump();
  Pump();  // the leave notice is posted while the move is routed
  EXPECT_EQ(log, (std::vector<std::string>{"form:MOUSELEAVE"}));
  EXPECT_EQ(MouseControl(), nullptr);
  for (TControl* c : std::initializer_list<TControl*>{f, a, b, off, label}) c->WindowProc = nullptr;
}

TEST_F(FormsTest, TheCursorIsTheControlsOwnUnlessTheScreenSetsOne) {
  TForm* f = MakeForm();
  auto* button = Make<TTestButton>(f, 10, 10, 75, 25);
  auto* label = Make<TTestLabel>(f, 100, 10, 60, 15, u"link");
  button->SetCursor(crHandPoint);
  label->SetCursor(crIBeam);
  struct Case {
    TControl* over;
    TCursor screen;
    std::uintptr_t idc;
  } cases[] = {
      {button, crDefault, IDC_HAND},
      {label, crDefault, IDC_IBEAM},
      {f, crDefault, IDC_ARROW},
      {button, crHourGlass, IDC_WAIT},
  };
  for (const Case& c : cases) {
    Screen->SetCursor(c.screen);
    headless::MouseMove(Scr(f, 250, 150));
    Pump();
    headless::MouseMove(Scr(c.over, 3, 3));
    Pump();
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, c.idc));
  }
  Screen->SetCursor(crDefault);
}

TEST_F(FormsTest, AlignmentPlacesTopBottomLeftRightThenClient) {
  TForm* f = MakeForm(400, 300);
  auto* panel = Make<TTestPanel>(f, 0, 0, 200, 100);
  struct Item {
    TAlign align;
    rtl::TRect start;
    rtl::TRect expected;
  } items[] = {
      {alClient, rtl::Bounds(0, 0, 10, 10), rtl::Bounds(30, 25, 130, 55)},
      {alTop, rtl::Bounds(0, 10, 10, 15), rtl::Bounds(0, 10, 200, 15)},
      {alBottom, rtl::Bounds(0, 0, 10, 20), rtl::Bounds(0, 80, 200, 20)},
      {alLeft, rtl::Bounds(0, 0, 30, 10), rtl::Bounds(0, 25, 30, 55)},
      {alTop, rtl::Bounds(0, 0, 10, 10), rtl::Bounds(0, 0, 200, 10)},  // above the other top control
      {alRight, rtl::Bounds(0, 0, 40, 10), rtl::Bounds(160, 25, 40, 55)},
  };
  std::vector<TControl*> made;
  panel->DisableAlign();
  panel->DisableAlign();
  for (const Item& it : items) {
    auto* c = Make<TTestPanel>(panel, it.start.Left, it.start.Top, it.start.Width(), it.start.Height());
    c->SetAlign(it.align);
    made.push_back(c);
  }
  panel->EnableAlign();
  EXPECT_EQ(made[0]->BoundsRect(), items[0].start);  // still disabled once
  panel->EnableAlign();
  for (std::size_t i = 0; i < made.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(made[i]->BoundsRect(), items[i].expected);
  }
  // A hidden control gives its room back.
  made[3]->SetVisible(false);
  EXPECT_EQ(made[0]->BoundsRect(), rtl::Bounds(0, 25, 160, 55));
}

class InsetPanel : public TTestPanel {
 public:
  using TTestPanel::TTestPanel;
 protected:
  void AdjustClientRect(rtl::TRect& r) override { r = rtl::Rect(r.Left + 5, r.Top + 5, r.Right - 5, r.Bottom - 5); }
};

TEST_F(FormsTest, AlignmentUsesTheAdjustedClientRect) {
  TForm* f = MakeForm();
  auto* panel = Make<InsetPanel>(f, 0, 0, 100, 60);
  auto* c = Make<TTestPanel>(panel, 0, 0, 10, 10);
  c->SetAlign(alClient);
  EXPECT_EQ(c->BoundsRect(), rtl::Rect(5, 5, 95, 55));
}

TEST_F(FormsTest, ConstraintsClampEverySizeChange) {
  struct Case {
    int minW, minH, maxW, maxH;
    int w, h;
    int ew, eh;
  } cases[] = {
      {50, 20, 0, 0, 10, 10, 50, 20},
      {0, 0, 80, 30, 200, 100, 80, 30},
      {50, 20, 80, 30, 60, 25, 60, 25},
      {0, 0, 0, 0, 0, 0, 0, 0},
  };
  TForm* f = MakeForm();
  for (const Case& c : cases) {
    auto* p = Make<TTestPanel>(f, 0, 0, 60, 25);
    p->Constraints()->SetMinWidth(c.minW);
    p->Constraints()->SetMinHeight(c.minH);
    p->Constraints()->SetMaxWidth(c.maxW);
    p->Constraints()->SetMaxHeight(c.maxH);
    p->SetBounds(3, 4, c.w, c.h);
    EXPECT_EQ(p->Width(), c.ew);
    EXPECT_EQ(p->Height(), c.eh);
    EXPECT_EQ(p->Left(), 3);
  }
  // Aligned controls obey them too.
  auto* p = Make<TTestPanel>(f, 0, 0, 60, 25);
  p->Constraints()->SetMaxHeight(40);
  p->SetAlign(alClient);
  EXPECT_EQ(p->Height(), 40);
}

TEST_F(FormsTest, AnchorsFollowTheParentsSize) {
  TForm* f = MakeForm(500, 400);
  auto* panel = Make<TTestPanel>(f, 0, 0, 200, 100);
  auto* br = Make<TTestPanel>(panel, 150, 70, 40, 20);
  br->SetAnchors({akRight, akBottom});
  auto* stretch = Make<TTestPanel>(panel, 10, 10, 100, 20);
  stretch->SetAnchors({akLeft, akTop, akRight});
  auto* fixed = Make<TTestPanel>(panel, 10, 40, 30, 20);
  panel->SetBounds(0, 0, 300, 150);
  EXPECT_EQ(br->BoundsRect(), rtl::Bounds(250, 120, 40, 20));
  EXPECT_EQ(stretch->BoundsRect(), rtl::Bounds(10, 10, 200, 20));
  EXPECT_EQ(fixed->BoundsRect(), rtl::Bounds(10, 40, 30, 20));
}

TEST_F(FormsTest, AFormResizedByTheWindowSystemLaysOutItsControls) {
  TForm* f = MakeForm(300, 200);
  int resized = 0;
  f->OnResize = [&](rtl::TObject*) { ++resized; };
  auto* status = Make<TTestPanel>(f, 0, 0, 10, 20);
  status->SetAlign(alBottom);
  auto* ok = Make<TTestButton>(f, 200, 100, 75, 25);
  ok->SetAnchors({akRight, akBottom});
  rtl::TRect before = ok->BoundsRect();
  // As a border drag or the window manager would: through the window, not the control.
  SetWindowPos(f->Handle(), nullptr, 100, 100, 400, 260, SWP_NOZORDER | SWP_NOACTIVATE);
  Pump();
  EXPECT_EQ(f->Width(), 400);
  EXPECT_EQ(f->Height(), 260);
  EXPECT_EQ(resized, 1);
  EXPECT_EQ(status->BoundsRect(), rtl::Bounds(0, f->ClientHeight() - 20, f->ClientWidth(), 20));
  EXPECT_EQ(ok->BoundsRect(), rtl::Bounds(before.Left + 100, before.Top + 60, 75, 25));
}

TEST_F(FormsTest, AControlReleasedOrFreedInItsOwnClickIsGoneSafely) {
  TForm* f = MakeForm();
  auto* released = Make<TTestButton>(f, 10, 10, 75, 25);
  auto* freed = Make<TTestButton>(f, 100, 10, 75, 25);
  TLiveness releasedLive = released->Liveness(), freedLive = freed->Liveness();
  released->OnClick = [&](rtl::TObject* s) { static_cast<TControl*>(s)->Release(); };
  freed->OnClick = [&](rtl::TObject* s) { static_cast<TControl*>(s)->Free(); };
  headless::Click(Scr(released, 5, 5));
  // The release is queued behind the click: the button still answers now.
  win::MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE) && m.message != CM_DEFERFREE) {
    PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE);
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  EXPECT_TRUE(releasedLive.Alive());
  Pump();
  EXPECT_FALSE(releasedLive.Alive());
  Click(freed);
  EXPECT_FALSE(freedLive.Alive());
  EXPECT_EQ(f->ControlCount(), 0);
  EXPECT_EQ(CaptureControl(), nullptr);
}

TEST_F(FormsTest, ChildrenDieWithTheirParentWhoeverOwnsThem) {
  TForm* f = MakeForm();
  auto* panel = Make<TTestPanel>(f, 0, 0, 100, 100);
  auto* orphan = new TTestLabel(nullptr);  // owned by nobody
  orphan->SetParent(panel);
  auto* owned = Make<TTestButton>(panel, 5, 5, 20, 20);
  TLiveness a = orphan->Liveness(), b = owned->Liveness();
  panel->Free();
  EXPECT_FALSE(a.Alive());
  EXPECT_FALSE(b.Alive());
  EXPECT_EQ(f->ComponentCount(), 0);
}

class PaintLog : public TTestLabel {
 public:
  PaintLog(rtl::TComponent* o, std::vector<std::string>* log) : TTestLabel(o), log_(log) {}
 protected:
  void Paint() override {
    log_->push_back("label");
    TTestLabel::Paint();
  }
 private:
  std::vector<std::string>* log_;
};

TEST_F(FormsTest, GraphicChildrenPaintAfterTheirParentAndIntoAnyCanvas) {
  TForm* f = MakeForm();
  f->OnPaint = Logger("form");
  auto* l = new PaintLog(f, &log);
  l->SetBounds(20, 20, 40, 15);
  l->Transparent = false;
  l->SetColor(gdi::clRed);
  l->SetParent(f);
  Pump();
  log.clear();
  f->Invalidate();
  Pump();
  EXPECT_EQ(log, (std::vector<std::string>{"form", "label"}));
  // A graphic control's Invalidate repaints its parent's area under it.
  log.clear();
  l->Invalidate();
  Pump();
  EXPECT_EQ(log, (std::vector<std::string>{"form", "label"}));

  // PaintTo draws the control and its children at a viewport origin.
  auto* panel = Make<TTestPanel>(f, 100, 50, 60, 40);
  auto* inner = Make<TTestLabel>(panel, 10, 10, 20, 10);
  inner->Transparent = false;
  inner->SetColor(gdi::clBlue);
  gdi::TBitmap bmp(100, 100);
  bmp.Canvas()->Brush()->SetColor(gdi::clWhite);
  bmp.Canvas()->FillRect(rtl::Rect(0, 0, 100, 100));
  panel->PaintTo(bmp.Canvas()->Handle(), 30, 40);
  EXPECT_EQ(bmp.Canvas()->Pixels(45, 55), gdi::clBlue);       // inner label
  EXPECT_EQ(bmp.Canvas()->Pixels(35, 45), gdi::ColorToRGB(gdi::clBtnFace));  // panel
  EXPECT_EQ(bmp.Canvas()->Pixels(20, 20), gdi::clWhite);      // outside
  EXPECT_EQ(bmp.Canvas()->Pixels(95, 85), gdi::clWhite);      // clipped to the panel
}

TEST_F(FormsTest, PerformGoesThroughAReplacedWindowProc) {
  TForm* f = MakeForm();
  auto* g = Make<TTestLabel>(f, 0, 0, 10, 10);
  auto* w = Make<TTestButton>(f, 0, 20, 10, 10);
  for (TControl* c : std::initializer_list<TControl*>{g, w}) {
    int seen = 0;
    auto inner = c->WindowProc;
    c->WindowProc = [&, c](TMessage& m) {
      if (m.Msg == WM_USER + 260) {
        ++seen;
        m.Result = 42;
        return;
      }
      c->WndProc(m);
    };
    EXPECT_EQ(c->Perform(WM_USER + 260, 1, 2), 42);
    if (auto* wc = dynamic_cast<TWinControl*>(c)) {
      EXPECT_EQ(SendMessageW(wc->Handle(), WM_USER + 260, 0, 0), 42);
    }
    EXPECT_EQ(seen, dynamic_cast<TWinControl*>(c) ? 2 : 1);
    c->WindowProc = nullptr;
  }
}

TEST_F(FormsTest, ParentFontAndColorFlowToChildrenUntilSetThemselves) {
  TForm* f = MakeForm();
  auto* panel = Make<TTestPanel>(f, 0, 0, 100, 100);
  auto* a = Make<TTestLabel>(panel, 0, 0, 10, 10);
  auto* b = Make<TTestLabel>(panel, 0, 20, 10, 10);
  b->Font()->SetHeight(-20);
  a->SetParentColor(true);
  panel->Font()->SetName(u"Liberation Serif");
  panel->SetColor(gdi::clYellow);
  EXPECT_EQ(a->Font()->Name(), u"Liberation Serif");
  EXPECT_TRUE(a->ParentFont());
  EXPECT_FALSE(b->ParentFont());
  EXPECT_NE(b->Font()->Name(), u"Liberation Serif");
  EXPECT_EQ(a->Color(), gdi::clYellow);
  EXPECT_NE(b->Color(), gdi::clYellow);
}

// Sizes itself to its caption: ten pixels a character.
class SizedToText : public TTestLabel {
 public:
  using TTestLabel::TTestLabel;
  void SetText(const rtl::String& v) override {
    TTestLabel::SetText(v);
    AdjustSize();
  }
 protected:
  bool CanAutoSize(int& w, int& h) override {
    w = int(Caption().size()) * 10;
    h = 16;
    return true;
  }
};

TEST_F(FormsTest, AutoSizeAsksTheControlForItsSize) {
  TForm* f = MakeForm();
  auto* l = Make<SizedToText>(f, 5, 5, 100, 30, u"abc");
  EXPECT_EQ(l->Width(), 100);  // not yet auto-sized
  l->SetAutoSize(true);
  EXPECT_EQ(l->BoundsRect(), rtl::Bounds(5, 5, 30, 16));
  l->SetCaption(u"abcdef");
  EXPECT_EQ(l->Width(), 60);
  l->SetWidth(500);  // any size asked for goes through it
  EXPECT_EQ(l->Width(), 60);
}

TEST_F(FormsTest, RecreatingAWindowKeepsTheControlsAndFocus) {
  TForm* f = MakeForm();
  auto* panel = Make<TTestPanel>(f, 0, 0, 100, 100);
  auto* e = Make<TTestEdit>(panel, 5, 5, 50, 20);
  e->SetFocus();
  Pump();
  HWND before = panel->Handle();
  panel->RecreateWnd();
  EXPECT_NE(panel->Handle(), before);
  EXPECT_FALSE(IsWindow(before));
  EXPECT_TRUE(e->HandleAllocated());
  EXPECT_EQ(GetParent(e->Handle()), panel->Handle());
  EXPECT_TRUE(e->Focused());
}

}  // namespace
}  // namespace formstest
