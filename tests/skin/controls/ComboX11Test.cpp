// The skinned combo box on X11 against a private Xvfb, driven by xdotool:
// a click on the face opens the drop-down, a click on an entry chooses it,
// the value and the events arrive, the drop-down window is gone and the
// form kept the focus; a click outside the program's windows does not choose;
// the keyboard opens, moves in, chooses from and closes the list. Each case
// runs without a window manager and under openbox. A row dragged from one
// list box to another moves there. Skips when Xvfb or
// xdotool is missing.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/forms/Forms.h"
#include "platform/win/Backend.h"
#include "platform/win/WinApi.h"
#include "skin/controls/bsSkinComboBox.h"
#include "skin/controls/bsSkinListBox.h"
#include "tests/support/WindowManager.h"
#include "tests/support/XdoTool.h"
#include "tests/support/Xvfb.h"

namespace {

using testsupport::XdoTool;

void Pump() { forms::Application->ProcessMessages(); }
bool PumpUntil(const std::function<bool()>& done, int ms = 10000) { return testsupport::PumpUntil(Pump, done, ms); }

// Without a window manager, and under openbox.
class ComboX11 : public ::testing::TestWithParam<bool> {
 protected:
  testsupport::WindowManager wm_;
};

INSTANTIATE_TEST_SUITE_P(WindowManager, ComboX11, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "openbox" : "none"; });

TEST_P(ComboX11, DropDownOpenedAndChosenWithTheMouseAndTheKeys) {
  testsupport::Xvfb x;
  if (!x.Start("800x600x24")) GTEST_SKIP() << "Xvfb is not available";
  if (!XdoTool::Available()) GTEST_SKIP() << "xdotool is not available";
  if (GetParam() && !wm_.Start(x.Display())) GTEST_SKIP() << "openbox is not available";
  setenv("DISPLAY", x.Display().c_str(), 1);
  ASSERT_TRUE(win::InitWindowSystem(win::BackendKind::X11));
  forms::InitForms();
  std::vector<std::string> log;
  {
    auto* f = new forms::TForm(forms::Application);
    f->SetCaption(u"Combo");
    f->SetBounds(60, 60, 400, 300);
    f->AfterConstruction();
    auto* c = new skin::TbsSkinComboBox(f);
    c->SetParent(f);
    c->SetBounds(20, 20, 200, 22);
    for (const char16_t* s : {u"128kbps", u"160kbps", u"192kbps", u"256kbps", u"320kbps"}) c->Items()->Add(s);
    c->SetItemIndex(0);
    c->OnChange = [&](rtl::TObject*) { log.push_back("change"); };
    c->OnClick = [&](rtl::TObject*) { log.push_back("click"); };
    c->OnCloseUp = [&](rtl::TObject*) { log.push_back("closeup"); };
    f->Show();
    ASSERT_TRUE(PumpUntil([&] { return f->Active(); }));
    PumpUntil([] { return false; }, 200);
    log.clear();

    auto clickAt = [&](rtl::TPoint p) {
      XdoTool click({"mousemove", std::to_string(p.X), std::to_string(p.Y), "sleep", "0.2", "click", "1"});
      PumpUntil([&] { return click.Done(); });
      PumpUntil([] { return false; }, 200);
    };
    const rtl::TPoint face = c->ClientToScreen({c->Button.R.Left + 5, c->Height() / 2});
    clickAt(face);
    ASSERT_TRUE(PumpUntil([&] { return c->IsPopupVisible(); }));
    const win::HWND popup = c->ListBox()->Handle();
    EXPECT_TRUE(win::IsWindowVisible(popup));

    skin::TbsListBox* inner = c->ListBox()->ListBox;
    const rtl::TRect r = inner->ItemRect(3);
    clickAt(inner->ClientToScreen({(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}));
    EXPECT_TRUE(PumpUntil([&] { return !c->IsPopupVisible(); }));
    EXPECT_FALSE(win::IsWindowVisible(popup));
    EXPECT_EQ(c->ItemIndex(), 3);
    EXPECT_EQ(c->Text(), u"256kbps");
    EXPECT_EQ(log, (std::vector<std::string>{"change", "click", "closeup"}));
    EXPECT_TRUE(f->Active()) << "the drop-down never took the activation";
    EXPECT_TRUE(c->Focused());

    // Opened again and closed by a click outside the program's windows.
    clickAt(face);
    ASSERT_TRUE(PumpUntil([&] { return c->IsPopupVisible(); }));
    log.clear();
    clickAt({700, 500});
    EXPECT_TRUE(PumpUntil([&] { return !c->IsPopupVisible(); }, 2000)) << "a click outside closes the list";
    EXPECT_EQ(c->ItemIndex(), 3);
    EXPECT_TRUE(log.empty());
    if (c->IsPopupVisible()) c->CloseUp(false);

    // The keys: Alt+Down opens the list, Down moves, Return chooses; F4
    // opens it again and Escape closes it choosing nothing. The form keeps
    // the focus throughout.
    ASSERT_TRUE(PumpUntil([&] { return f->Active() && c->Focused(); }));
    log.clear();
    auto keys = [&](std::vector<std::string> names) {
      names.insert(names.begin(), {"key", "--delay", "120"});
      XdoTool k(names);
      PumpUntil([&] { return k.Done(); });
      PumpUntil([] { return false; }, 200);
    };
    keys({"alt+Down"});
    ASSERT_TRUE(PumpUntil([&] { return c->IsPopupVisible(); })) << "Alt+Down opens the list";
    keys({"Down", "Return"});
    EXPECT_TRUE(PumpUntil([&] { return !c->IsPopupVisible(); })) << "Return closes the list";
    EXPECT_EQ(c->ItemIndex(), 4);
    keys({"F4"});
    ASSERT_TRUE(PumpUntil([&] { return c->IsPopupVisible(); })) << "F4 opens the list";
    keys({"Escape"});
    EXPECT_TRUE(PumpUntil([&] { return !c->IsPopupVisible(); })) << "Escape closes the list";
    EXPECT_EQ(c->ItemIndex(), 4);
    EXPECT_TRUE(f->Active());
    EXPECT_EQ(win::GetActiveWindow(), f->Handle());
    EXPECT_TRUE(c->Focused());
    if (c->IsPopupVisible()) c->CloseUp(false);
    delete f;
  }
  forms::DoneForms();
  win::ShutdownWindowSystem();
}

// A private X server with the window system and the framework on it.
#define START_X11_SESSION(x)                                                   \
  testsupport::Xvfb x;                                                         \
  if (!x.Start("800x600x24")) GTEST_SKIP() << "Xvfb is not available";         \
  if (!XdoTool::Available()) GTEST_SKIP() << "xdotool is not available";       \
  setenv("DISPLAY", x.Display().c_str(), 1);                                   \
  ASSERT_TRUE(win::InitWindowSystem(win::BackendKind::X11));                   \
  forms::InitForms()


TEST(ListDragX11, ARowDraggedToTheOtherListMovesThere) {
  START_X11_SESSION(x);
  std::vector<std::string> log;
  {
    auto* f = new forms::TForm(forms::Application);
    f->SetCaption(u"Lists");
    f->SetBounds(60, 60, 420, 260);
    f->AfterConstruction();
    auto makeList = [&](int left) {
      auto* l = new skin::TbsSkinListBox(f);
      l->SetParent(f);
      l->SetBounds(left, 20, 150, 180);
      return l;
    };
    skin::TbsSkinListBox* from = makeList(20);
    skin::TbsSkinListBox* to = makeList(240);
    for (const char16_t* s : {u"a.mp4", u"b.avi", u"c.mkv", u"d.flv"}) from->Items()->Add(s);
    to->Items()->Add(u"e.wmv");
    from->SetListBoxDragMode(forms::dmAutomatic);
    from->OnListBoxStartDrag() = [&](rtl::TObject*, forms::TDragObject*&) { log.push_back("start"); };
    to->OnListBoxDragOver() = [&](rtl::TObject*, rtl::TObject* src, int, int, forms::TDragState st, bool& accept) {
      if (st == forms::dsDragEnter) log.push_back("enter");
      accept = src == from->ListBox;
    };
    to->OnListBoxDragDrop() = [&](rtl::TObject*, rtl::TObject*, int, int) {
      log.push_back("drop");
      const int i = from->ItemIndex();
      to->Items()->Add(from->Items()->Get(i));
      from->Items()->Delete(i);
    };
    from->OnListBoxEndDrag() = [&](rtl::TObject*, rtl::TObject* target, int, int) {
      log.push_back(target == to->ListBox ? "end dropped" : "end");
    };
    f->Show();
    ASSERT_TRUE(PumpUntil([&] { return f->Active(); }));
    PumpUntil([] { return false; }, 200);

    const rtl::TRect r = from->ListBox->ItemRect(1);
    const rtl::TPoint a = from->ListBox->ClientToScreen({r.Left + 20, (r.Top + r.Bottom) / 2});
    const rtl::TPoint b = to->ListBox->ClientToScreen({40, 100});
    auto step = [&](std::vector<std::string> args) {
      XdoTool t(std::move(args));
      PumpUntil([&] { return t.Done(); });
      PumpUntil([] { return false; }, 150);
    };
    step({"mousemove", std::to_string(a.X), std::to_string(a.Y), "sleep", "0.2", "mousedown", "1"});
    EXPECT_EQ(from->ItemIndex(), 1) << "the press selects the row";
    step({"mousemove", std::to_string(a.X + 30), std::to_string(a.Y)});
    step({"mousemove", std::to_string(b.X - 20), std::to_string(b.Y)});
    step({"mousemove", std::to_string(b.X), std::to_string(b.Y)});
    step({"mouseup", "1"});
    EXPECT_TRUE(PumpUntil([&] { return log.size() >= 4; }, 3000));
    EXPECT_EQ(log, (std::vector<std::string>{"start", "enter", "drop", "end dropped"}));
    EXPECT_EQ(from->Items()->Count(), 3);
    ASSERT_EQ(to->Items()->Count(), 2);
    EXPECT_EQ(to->Items()->Get(1), u"b.avi");
    EXPECT_EQ(forms::CaptureControl(), nullptr);
    delete f;
  }
  forms::DoneForms();
  win::ShutdownWindowSystem();
}


}  // namespace
