// The framework on the X11 back end, against a private Xvfb driven by
// xdotool: a form's buttons are clicked and its edit typed into, and the
// events arrive in order; a modal dialog over the form keeps the focus while
// the form below is clicked. Skips when Xvfb or xdotool is missing.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/forms/Forms.h"
#include "platform/forms/Timers.h"
#include "platform/win/Backend.h"
#include "tests/platform/forms/TestControls.h"
#include "tests/support/XdoTool.h"
#include "tests/support/WindowManager.h"
#include "tests/support/Xvfb.h"

namespace formstest {
namespace {

using namespace win;

using testsupport::XdoTool;
using testsupport::Xvfb;

// Runs the application's loop until `done` or the time passes (a bound for a
// broken run, not a measurement).
bool PumpUntil(const std::function<bool()>& done, int ms = 10000) {
  return testsupport::PumpUntil([] { Application->ProcessMessages(); }, done, ms);
}

std::string Centre(TControl* c, bool y) {
  rtl::TPoint p = c->ClientToScreen({c->Width() / 2, c->Height() / 2});
  return std::to_string(y ? p.Y : p.X);
}

// Without a window manager, and under openbox.
class FormsX11 : public ::testing::TestWithParam<bool> {
 protected:
  testsupport::WindowManager wm_;
};

INSTANTIATE_TEST_SUITE_P(WindowManager, FormsX11, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "openbox" : "none"; });

TEST_P(FormsX11, ClicksAndTypingArriveInOrderAndAModalDialogKeepsTheFocus) {
  Xvfb x;
  if (!x.Start("800x600x24")) GTEST_SKIP() << "Xvfb is not available";
  if (access("/usr/bin/xdotool", X_OK) != 0) GTEST_SKIP() << "xdotool is not available";
  if (GetParam() && !wm_.Start(x.Display())) GTEST_SKIP() << "openbox is not available";
  setenv("DISPLAY", x.Display().c_str(), 1);
  ASSERT_TRUE(InitWindowSystem(BackendKind::X11));
  InitForms();
  std::vector<std::string> log;
  {
    auto* f = new TForm(Application);
    f->SetCaption(u"X11 form");
    f->SetBounds(60, 60, 360, 160);
    auto make = [&](auto* c, int l, int t, const char16_t* caption) {
      c->SetBounds(l, t, 90, 26);
      c->SetCaption(caption);
      c->SetParent(f);
      return c;
    };
    auto* b1 = make(new TTestButton(f), 10, 10, u"One");
    auto* b2 = make(new TTestButton(f), 110, 10, u"Two");
    auto* edit = make(new TTestEdit(f), 10, 60, u"");
    edit->SetWidth(200);
    b1->OnClick = [&](rtl::TObject*) { log.push_back("one"); };
    edit->OnEnter = [&](rtl::TObject*) { log.push_back("edit enter"); };
    edit->OnKeyPress = [&](rtl::TObject*, char16_t& k) { log.push_back(std::string("key ") + char(k)); };
    f->AfterConstruction();
    f->Show();
    ASSERT_TRUE(PumpUntil([&] { return f->Active(); }));
    PumpUntil([] { return false; }, 200);  // let the display settle

    XdoTool typing({"mousemove", Centre(b1, false), Centre(b1, true), "click", "1", "mousemove", Centre(edit, false),
                    Centre(edit, true), "click", "1", "type", "--delay", "30", "abc"});
    EXPECT_TRUE(PumpUntil([&] { return typing.Done() && log.size() >= 5; }));
    EXPECT_TRUE(typing.Ok());
    EXPECT_EQ(log, (std::vector<std::string>{"one", "edit enter", "key a", "key b", "key c"}));
    EXPECT_EQ(edit->typed, u"abc");

    // A modal dialog over the form: clicking the form below does nothing,
    // typing goes to the dialog, Escape cancels it.
    auto* d = new TForm(Application);
    d->SetCaption(u"Dialog");
    d->SetBorderStyle(bsDialog);
    d->SetBounds(100, 180, 260, 110);
    auto* dedit = new TTestEdit(d);
    dedit->SetBounds(10, 10, 200, 22);
    dedit->SetParent(d);
    auto* cancel = new TTestButton(d);
    cancel->SetBounds(10, 50, 80, 26);
    cancel->Cancel = true;
    cancel->ModalResult = mrCancel;
    cancel->SetParent(d);
    d->AfterConstruction();
    // Ends a dialog the input never reached (a bound for a broken run).
    auto* guard = new TTimer(d);
    guard->SetInterval(8000);
    guard->OnTimer = [d](rtl::TObject*) { d->SetModalResult(mrAbort); };
    std::unique_ptr<XdoTool> underModal;
    d->OnShow = [&](rtl::TObject*) {
      underModal = std::make_unique<XdoTool>(std::vector<std::string>{
          "sleep", "0.3", "mousemove", Centre(b1, false), Centre(b1, true), "click", "1", "sleep", "0.2", "key",
          "--delay", "30", "x", "y", "Escape"});
    };
    int result = -1;
    b2->OnClick = [&](rtl::TObject*) { result = d->ShowModal(); };
    log.clear();
    XdoTool openDialog({"mousemove", Centre(b2, false), Centre(b2, true), "click", "1"});
    EXPECT_TRUE(PumpUntil([&] { return result != -1; }));
    EXPECT_EQ(result, mrCancel);
    EXPECT_EQ(dedit->typed, u"xy");
    EXPECT_EQ(edit->typed, u"abc");
    EXPECT_EQ(b1->clicks, 1);  // the form below stayed disabled
    EXPECT_TRUE(IsWindowEnabled(f->Handle()));
    if (underModal) PumpUntil([&] { return underModal->Done(); }, 3000);
    // The focus went back to the form that had it.
    EXPECT_TRUE(PumpUntil([&] { return f->Active() && GetActiveWindow() == f->Handle(); }));
  }
  DoneForms();
  ShutdownWindowSystem();
  unsetenv("DISPLAY");
}

}  // namespace
}  // namespace formstest
