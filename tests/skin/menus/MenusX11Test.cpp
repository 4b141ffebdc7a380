// A skin popup menu on the X11 back end, against a private Xvfb driven by
// xdotool: an item chosen with the mouse, one chosen with the keyboard across
// a sub-menu, and a click outside; each time the item's OnClick runs (or
// none does) and every popup window is gone. Each case runs without a window
// manager and under openbox. Skips when Xvfb or xdotool is missing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/forms/Forms.h"
#include "platform/win/Backend.h"
#include "skin/menus/bsSkinFrameMenus.h"
#include "skin/menus/bsSkinMainMenuBar.h"
#include "skin/menus/bsSkinMenuHost.h"
#include "tests/support/WindowManager.h"
#include "tests/support/XdoTool.h"
#include "tests/support/Xvfb.h"

namespace skinmenutest {
namespace {

using namespace skin;
using testsupport::XdoTool;

void Pump() { forms::Application->ProcessMessages(); }
bool PumpUntil(const std::function<bool()>& done, int ms = 10000) { return testsupport::PumpUntil(Pump, done, ms); }

// Without a window manager, and under openbox.
class MenusX11 : public ::testing::TestWithParam<bool> {
 protected:
  // False (the test skips) without Xvfb, xdotool or, when asked, openbox.
  bool StartDisplay(testsupport::Xvfb& x, std::string& why) {
    if (!x.Start("800x600x24")) return why = "Xvfb is not available", false;
    if (!XdoTool::Available()) return why = "xdotool is not available", false;
    if (GetParam() && !wm_.Start(x.Display())) return why = "openbox is not available", false;
    return true;
  }
  testsupport::WindowManager wm_;
};

INSTANTIATE_TEST_SUITE_P(WindowManager, MenusX11, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "openbox" : "none"; });

TEST_P(MenusX11, ChosenItemRunsAndEveryPopupIsGone) {
  testsupport::Xvfb x;
  std::string why;
  if (!StartDisplay(x, why)) GTEST_SKIP() << why;
  setenv("DISPLAY", x.Display().c_str(), 1);
  ASSERT_TRUE(win::InitWindowSystem(win::BackendKind::X11));
  forms::InitForms();
  std::vector<std::string> log;
  {
    auto* f = new forms::TForm(forms::Application);
    f->SetCaption(u"Menus");
    f->SetBounds(60, 60, 400, 300);
    f->AfterConstruction();
    auto* host = new TbsSkinMenuHost(f, f);
    auto* menu = new TbsSkinPopupMenu(f);
    auto add = [&](forms::TMenuItem* parent, const char16_t* caption, const std::string& name) {
      auto* i = new forms::TMenuItem(f);
      i->SetCaption(caption);
      i->OnClick = [&log, name](rtl::TObject*) { log.push_back(name); };
      parent->Add(i);
      return i;
    };
    add(menu->Items(), u"&Open", "open");
    forms::TMenuItem* snap = add(menu->Items(), u"&Snapshot", "snapshot");
    add(snap, u"&BMP", "bmp");
    add(snap, u"&PNG", "png");
    add(menu->Items(), u"E&xit", "exit");
    f->Show();
    ASSERT_TRUE(PumpUntil([&] { return f->Active(); }));
    PumpUntil([] { return false; }, 200);  // let the display settle

    TbsSkinMenu* engine = host->SkinMenu();
    std::vector<win::HWND> popups;
    auto open = [&] {
      menu->Popup(f->Left() + 40, f->Top() + 60);
      for (int i = 0; i < engine->WindowCount(); ++i) popups.push_back(engine->Windows(i)->Handle());
      PumpUntil([] { return false; }, 200);
    };
    auto gone = [&] {
      return engine->WindowCount() == 0 && !host->InMenu() &&
             std::none_of(popups.begin(), popups.end(), [](win::HWND h) { return win::IsWindow(h); });
    };

    // The mouse: hover Exit, click.
    open();
    ASSERT_EQ(engine->WindowCount(), 1);
    TbsSkinPopupWindow* w = engine->Windows(0);
    const rtl::TRect r = w->Row(2)->ObjectRect;
    const int ex = w->Left() + (r.Left + r.Right) / 2, ey = w->Top() + (r.Top + r.Bottom) / 2;
    XdoTool click({"mousemove", std::to_string(ex), std::to_string(ey), "sleep", "0.3", "click", "1"});
    EXPECT_TRUE(PumpUntil([&] { return click.Done() && !log.empty(); }));
    EXPECT_TRUE(PumpUntil(gone));
    EXPECT_EQ(log, (std::vector<std::string>{"exit"}));

    // The keyboard: Down to Snapshot, Right into its sub-menu, Down, Enter.
    // (the pointer rests away from the menu, or its poll would take the row under it)
    log.clear();
    popups.clear();
    const rtl::TPoint aside = f->ClientToScreen({f->ClientWidth() - 20, 10});
    XdoTool move({"mousemove", std::to_string(aside.X), std::to_string(aside.Y)});
    PumpUntil([&] { return move.Done(); });
    open();
    EXPECT_TRUE(f->Active()) << "the menu never takes the focus";
    EXPECT_EQ(win::GetActiveWindow(), f->Handle());
    XdoTool keys({"key", "--delay", "80", "Down", "Right", "Down", "Return"});
    EXPECT_TRUE(PumpUntil([&] {
      for (int i = 0; i < engine->WindowCount(); ++i)
        if (std::find(popups.begin(), popups.end(), engine->Windows(i)->Handle()) == popups.end())
          popups.push_back(engine->Windows(i)->Handle());
      return keys.Done() && log.size() >= 2;
    }));
    EXPECT_TRUE(PumpUntil(gone));
    EXPECT_EQ(log, (std::vector<std::string>{"snapshot", "png"}));
    EXPECT_EQ(popups.size(), 2u) << "the sub-menu was a level of its own";

    // A click outside the menu closes every level and runs nothing.
    log.clear();
    popups.clear();
    open();
    XdoTool sub({"key", "s"});
    EXPECT_TRUE(PumpUntil([&] { return sub.Done() && engine->WindowCount() == 2; }));
    popups.push_back(engine->Windows(1)->Handle());
    const rtl::TPoint outside = f->ClientToScreen({f->ClientWidth() - 20, f->ClientHeight() - 20});
    XdoTool away({"mousemove", std::to_string(outside.X), std::to_string(outside.Y), "click", "1"});
    EXPECT_TRUE(PumpUntil([&] { return away.Done() && gone(); }));
    EXPECT_EQ(log, (std::vector<std::string>{"snapshot"}));
  }
  forms::DoneForms();
  win::ShutdownWindowSystem();
  unsetenv("DISPLAY");
}

// The menu bar of a skinned form with the keyboard: Alt, Right to the second
// item, Down opens its menu on its first row, Return runs it; every popup is
// gone and the menu mode is over.
TEST_P(MenusX11, MenuBarByAltAndArrows) {
  testsupport::Xvfb x;
  std::string why;
  if (!StartDisplay(x, why)) GTEST_SKIP() << why;
  setenv("DISPLAY", x.Display().c_str(), 1);
  ASSERT_TRUE(win::InitWindowSystem(win::BackendKind::X11));
  forms::InitForms();
  InstallSkinFrameMenus();
  std::vector<std::string> log;
  {
    auto* f = new forms::TForm(forms::Application);
    f->SetCaption(u"Bar");
    f->SetBounds(60, 60, 400, 300);
    f->AfterConstruction();
    auto* frame = new TbsBusinessSkinForm(f);
    auto* menu = new TbsSkinMainMenu(f);
    auto add = [&](forms::TMenuItem* parent, const char16_t* caption, const std::string& name) {
      auto* i = new forms::TMenuItem(f);
      i->SetCaption(caption);
      i->OnClick = [&log, name](rtl::TObject*) { log.push_back(name); };
      parent->Add(i);
      return i;
    };
    forms::TMenuItem* file = add(menu->Items(), u"&File", "file");
    add(file, u"&Open", "open");
    forms::TMenuItem* edit = add(menu->Items(), u"&Edit", "edit");
    add(edit, u"&Copy", "copy");
    add(edit, u"&Paste", "paste");
    auto* bar = new TbsSkinMainMenuBar(f);
    bar->SetParent(f);
    bar->SetBusinessSkinForm(frame);
    bar->SetMainMenu(menu);
    f->Show();
    ASSERT_TRUE(PumpUntil([&] { return f->Active(); }));
    PumpUntil([] { return false; }, 200);
    TbsSkinMenu* engine = FindFrameMenuHost(frame)->SkinMenu();
    std::vector<win::HWND> popups;
    // Escape closes the dropped menu, a second one leaves the bar; the
    // form keeps the focus throughout.
    XdoTool drop({"key", "--delay", "150", "alt", "Down"});
    EXPECT_TRUE(PumpUntil([&] { return drop.Done() && engine->WindowCount() == 1; }));
    ASSERT_EQ(engine->WindowCount(), 1);
    const win::HWND dropped = engine->Windows(0)->Handle();
    XdoTool escape({"key", "Escape"});
    EXPECT_TRUE(PumpUntil([&] { return escape.Done() && engine->WindowCount() == 0 && !win::IsWindow(dropped); }))
        << "Escape closes the dropped menu";
    XdoTool leave({"key", "Escape"});
    EXPECT_TRUE(PumpUntil([&] { return leave.Done() && !frame->InMainMenu && !frame->InMenu; }))
        << "a second Escape leaves the menu bar";
    EXPECT_TRUE(f->Active());
    EXPECT_EQ(win::GetActiveWindow(), f->Handle());
    XdoTool keys({"key", "--delay", "150", "alt", "Right", "Down"});
    EXPECT_TRUE(PumpUntil([&] { return keys.Done() && engine->WindowCount() == 1; }));
    ASSERT_EQ(engine->WindowCount(), 1);
    popups.push_back(engine->Windows(0)->Handle());
    EXPECT_TRUE(bar->Item(1)->FDown);
    EXPECT_TRUE(frame->InMainMenu);
    XdoTool enter({"key", "Return"});
    EXPECT_TRUE(PumpUntil([&] { return enter.Done() && !log.empty(); }));
    EXPECT_TRUE(PumpUntil([&] {
      return engine->WindowCount() == 0 && !frame->InMainMenu && !frame->InMenu &&
             std::none_of(popups.begin(), popups.end(), [](win::HWND h) { return win::IsWindow(h); });
    }));
    EXPECT_EQ(log, (std::vector<std::string>{"copy"}));
  }
  forms::DoneForms();
  win::ShutdownWindowSystem();
  unsetenv("DISPLAY");
}

}  // namespace
}  // namespace skinmenutest
