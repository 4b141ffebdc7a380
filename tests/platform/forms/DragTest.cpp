// Drag and drop between controls: the threshold of an automatic drag, the
// order of the events, the cursor over accepting and refusing targets, the
// picture under the pointer, and the ways a drag is cancelled.
#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/win/WinApi.h"
#include "tests/platform/forms/FormsTestUtil.h"

namespace formstest {
namespace {

using namespace win;

// A control that gives a drag picture: a 10 x 8 block held at (3, 2).
class TPictureSource : public TTestPanel {
 public:
  using TTestPanel::TTestPanel;
  bool GetDragImage(TDragImage& Image) override {
    Image.Bitmap = std::make_shared<gdi::TBitmap>(10, 8);
    Image.HotSpot = {3, 2};
    return true;
  }
};

class DragTest : public FormsTest {
 protected:
  void SetUp() override {
    FormsTest::SetUp();
    f = MakeForm(400, 200);
    source = Make<TPictureSource>(f, 10, 10, 100, 100);
    target = Make<TTestPanel>(f, 200, 10, 100, 100);
    refusing = Make<TTestPanel>(f, 320, 10, 60, 100);
    source->SetDragMode(dmAutomatic);
    source->OnStartDrag = [this](TObject* s, TDragObject*&) { Log(Name(s) + " start"); };
    source->OnEndDrag = [this](TObject* s, TObject* t, int x, int y) {
      Log(Name(s) + " end " + Name(t) + " " + std::to_string(x) + "," + std::to_string(y));
    };
    source->OnClick = [this](TObject*) { Log("click"); };
    target->OnDragOver = [this](TObject* s, TObject* src, int x, int y, TDragState st, bool& accept) {
      static const char* kStates[] = {"enter", "leave", "move"};
      Log(Name(s) + " " + kStates[st] + " " + Name(src) + " " + std::to_string(x) + "," + std::to_string(y));
      accept = true;
    };
    target->OnDragDrop = [this](TObject* s, TObject* src, int x, int y) {
      Log(Name(s) + " drop " + Name(src) + " " + std::to_string(x) + "," + std::to_string(y));
    };
    refusing->OnDragOver = [this](TObject*, TObject*, int, int, TDragState st, bool& accept) {
      if (st == dsDragEnter) Log("refusing enter");
      accept = false;
    };
  }
  std::string Name(TObject* o) {
    if (!o) return "none";
    return o == source ? "source" : o == target ? "target" : o == refusing ? "refusing" : "other";
  }
  void Move(TControl* c, int x, int y) {
    headless::MouseMove(Scr(c, x, y));
    Pump();
  }
  void Press(TControl* c, int x, int y) {
    headless::MouseMove(Scr(c, x, y));
    headless::MouseDown(Scr(c, x, y));
    Pump();
  }
  void Release(TControl* c, int x, int y) {
    headless::MouseUp(Scr(c, x, y));
    Pump();
  }
  // The visible top-level window other than the form, if any.
  HWND PictureWindow() {
    for (HWND h = GetTopWindow(nullptr); h; h = GetWindow(h, GW_HWNDNEXT))
      if (h != f->Handle() && IsWindowVisible(h)) return h;
    return nullptr;
  }

  TForm* f = nullptr;
  TPictureSource* source = nullptr;
  TTestPanel *target = nullptr, *refusing = nullptr;
};

TEST_F(DragTest, AutomaticDragStartsPastTheThresholdAndDropsOnAnAcceptingControl) {
  Press(source, 20, 20);
  Move(source, 24, 23);  // within 5 pixels: still a press
  EXPECT_TRUE(log.empty());
  Move(source, 40, 20);
  EXPECT_EQ(log, (std::vector<std::string>{"source start"}));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_NODROP)) << "nothing under the pointer takes it";

  const HWND picture = PictureWindow();
  ASSERT_NE(picture, nullptr) << "the source's picture follows the pointer";
  RECT pr;
  GetWindowRect(picture, &pr);
  const POINT at = Scr(source, 40, 20);
  EXPECT_EQ(pr.Left, at.X - 3);
  EXPECT_EQ(pr.Top, at.Y - 2);
  EXPECT_EQ(pr.Width(), 10);

  log.clear();
  Move(target, 10, 10);
  Move(target, 30, 40);
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_DRAG));
  Move(refusing, 5, 5);
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_NODROP));
  Move(target, 50, 60);
  EXPECT_EQ(WindowFromPoint(Scr(target, 50, 60)), target->Handle()) << "the picture lets the pointer through";
  Release(target, 50, 60);
  EXPECT_EQ(log, (std::vector<std::string>{
                     "target enter source 10,10", "target move source 30,40", "target leave source 125,5",
                     "refusing enter", "target enter source 50,60", "target leave source 50,60",
                     "target drop source 50,60", "source end target 50,60"}))
      << "a drag leaves its target, drops, then ends at the source";
  EXPECT_FALSE(source->Dragging());
  EXPECT_EQ(PictureWindow(), nullptr) << "the picture is gone";
  EXPECT_EQ(CaptureControl(), nullptr);
  EXPECT_EQ(std::count(log.begin(), log.end(), "click"), 0) << "a drag is no click";
}

TEST_F(DragTest, APressReleasedWithinTheThresholdIsAClick) {
  Press(source, 20, 20);
  Move(source, 22, 22);
  Release(source, 22, 22);
  EXPECT_EQ(log, (std::vector<std::string>{"click"}));
  EXPECT_FALSE(source->Dragging());
}

// Ways a drag ends without a drop: Escape, the right button, a release over a
// control that refuses, EndDrag(false) from code. The source hears of it with
// no target; the target never gets a drop.
TEST_F(DragTest, CancelledDragsEndWithoutATarget) {
  struct Case {
    const char* name;
    std::function<void()> end;
  };
  std::vector<Case> cases = {
      {"escape", [&] { Key(VK_ESCAPE); }},
      {"right button", [&] {
         headless::MouseDown(Scr(target, 30, 30), 1);
         Pump();
       }},
      {"refused", [&] {
         Move(refusing, 10, 10);
         Release(refusing, 10, 10);
       }},
      {"from code", [&] { source->EndDrag(false); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    source->SetFocus();
    Press(source, 20, 20);
    Move(source, 40, 40);
    Move(target, 30, 30);
    ASSERT_TRUE(source->Dragging());
    log.clear();
    c.end();
    EXPECT_FALSE(source->Dragging());
    EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const std::string& s) { return s.find("drop") != s.npos; }),
              0);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back(), "source end none 0,0");
    EXPECT_EQ(PictureWindow(), nullptr);
    headless::MouseUp(Scr(target, 30, 30));
    headless::MouseUp(Scr(target, 30, 30), 1);
    headless::AdvanceClock(1000);  // the next press is no double click
    Pump();
  }
}

TEST_F(DragTest, ManualDragFromCodeAndADragObjectOfTheSourcesOwn) {
  source->SetDragMode(dmManual);
  source->SetDragCursor(crHandPoint);
  Press(source, 20, 20);
  Move(source, 60, 20);
  EXPECT_TRUE(log.empty()) << "dmManual: a press drags nothing";
  Release(source, 60, 20);
  log.clear();

  struct TItemDrag : TDragObject {
    std::string Item = "row 3";
  } item;
  source->OnStartDrag = [&](TObject*, TDragObject*& o) { o = &item; };
  std::string dropped;
  target->OnDragDrop = [&](TObject*, TObject* src, int, int) {
    if (auto* d = dynamic_cast<TItemDrag*>(src)) dropped = d->Item;
  };
  Move(source, 20, 20);
  source->BeginDrag(true);
  ASSERT_TRUE(source->Dragging());
  Move(target, 20, 20);
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_DRAG)) << "a drag object of its own gives the plain drag cursor";
  source->EndDrag(true);
  EXPECT_EQ(dropped, "row 3") << "the events get the drag object as Source";
  EXPECT_TRUE(item.Dropped);
}

TEST_F(DragTest, ADragCursorOfTheSourceAndASourceFreedWhileDragging) {
  source->SetDragCursor(crHandPoint);
  Press(source, 20, 20);
  Move(source, 40, 20);
  Move(target, 20, 20);
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
  delete source;
  source = nullptr;
  EXPECT_EQ(PictureWindow(), nullptr);
  log.clear();
  Move(target, 30, 30);
  Release(target, 30, 30);
  EXPECT_TRUE(log.empty()) << "nothing happens once the source is gone";
}

}  // namespace
}  // namespace formstest
