// The skinned edit on X11 against a private Xvfb and the test input method
// server: Chinese text committed by the input method lands in a skinned edit
// as in a plain one, and keys typed on the keyboard reach it too. Skips
// without Xvfb or without the test server.
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/forms/Forms.h"
#include "platform/forms/StdCtrls.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Backend.h"
#include "skin/controls/bsSkinEdit.h"

// Xlib last: its macros would break the headers above.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include "tests/support/ChildProcess.h"
#include "tests/support/Xvfb.h"

// Xlib keeps its input method registrations for the life of the process.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:_XimOpenIM\nleak:_XimRegisterIMInstantiateCallback\n";
}

namespace {

using namespace forms;

bool PumpUntil(const std::function<bool()>& done, int ms = 5000) {
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < until) {
    Application->ProcessMessages();
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return done();
}

TEST(SkinEditX11, InputMethodTextLandsInASkinnedEditAsInAPlainOne) {
#ifndef TVL_XIM_SERVER
  GTEST_SKIP() << "the test input method server was not built (libxcb-imdkit-dev)";
#else
  testsupport::Xvfb x;
  if (!x.Start()) GTEST_SKIP() << "Xvfb is not available";
  setenv("DISPLAY", x.Display().c_str(), 1);
  setenv("XMODIFIERS", "@im=tvltest", 1);
  ::Display* d = XOpenDisplay(x.Display().c_str());
  ASSERT_NE(d, nullptr);
  const std::u16string text = u"输出文件夹视频";
  const KeyCode key = XKeysymToKeycode(d, XK_F5);
  testsupport::ChildProcess server;  // the test input method server
  ASSERT_TRUE(server.Start(TVL_XIM_SERVER, {x.Display(), std::to_string(key), rtl::StringToUtf8(text)}));
  const Atom serverAtom = XInternAtom(d, "@server=tvltest", False);
  for (int i = 0; i < 300 && XGetSelectionOwner(d, serverAtom) == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  ASSERT_NE(XGetSelectionOwner(d, serverAtom), 0u);

  ASSERT_TRUE(win::InitWindowSystem(win::BackendKind::X11));
  InitForms();
  {
    auto* f = new TForm(Application);
    f->SetBounds(20, 20, 320, 120);
    f->AfterConstruction();
    auto* plain = new TEdit(f);
    plain->SetParent(f);
    plain->SetBounds(10, 10, 250, 21);
    auto* skinned = new skin::TbsSkinEdit(f);
    skinned->SetParent(f);
    skinned->SetBounds(10, 50, 250, 20);
    skinned->SetButtonMode(true);  // a frame with a button around the text
    f->Show();
    ASSERT_TRUE(PumpUntil([&] { return f->Active(); }));
    PumpUntil([] { return false; }, 300);  // the input context comes up

    auto commit = [&](TCustomEdit* e, int ms = 5000) {
      e->SetFocus();
      PumpUntil([] { return false; }, 100);
      XTestFakeKeyEvent(d, key, True, 0);
      XTestFakeKeyEvent(d, key, False, 0);
      XTestFakeKeyEvent(d, XKeysymToKeycode(d, XK_a), True, 0);
      XTestFakeKeyEvent(d, XKeysymToKeycode(d, XK_a), False, 0);
      XFlush(d);
      PumpUntil([&] { return e->Text().size() >= text.size() + 1; }, ms);
      return rtl::StringToUtf8(e->Text());
    };
    const std::string want = rtl::StringToUtf8(text + u"a");
    EXPECT_EQ(commit(plain), want);
    EXPECT_EQ(commit(skinned), want);
    // Read-only refuses the input method's text like any typing.
    skinned->SetText(u"");
    skinned->SetReadOnly(true);
    EXPECT_EQ(commit(skinned, 1000), "");
    delete f;
  }
  DoneForms();
  win::ShutdownWindowSystem();
  XCloseDisplay(d);
  unsetenv("XMODIFIERS");
#endif
}

}  // namespace
