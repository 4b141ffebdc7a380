// Shared fixture of the framework's tests: a headless window system on the
// fake clock, the framework initialised, and an event log the test controls
// and handlers write to.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/forms/Forms.h"
#include "platform/win/Backend.h"
#include "platform/win/Headless.h"
#include "tests/platform/forms/TestControls.h"

namespace formstest {

class FormsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::InitWindowSystem(win::BackendKind::Headless);
    win::headless::UseFakeClock(true);
    InitForms();
  }
  void TearDown() override {
    DoneForms();
    win::ShutdownWindowSystem();
  }

  // A form owned by the application, sized and (optionally) shown and active.
  TForm* MakeForm(int w = 300, int h = 200, bool show = true) {
    auto* f = new TForm(Application);
    f->SetBounds(100, 100, w, h);
    f->AfterConstruction();
    if (show) {
      f->Show();
      Pump();
    }
    return f;
  }
  template <class T>
  T* Make(TWinControl* parent, int x, int y, int w, int h, const char16_t* caption = u"") {
    T* c = new T(parent);
    c->SetBounds(x, y, w, h);
    c->SetCaption(caption);
    c->SetParent(parent);
    return c;
  }
  int Pump() { return win::headless::Pump(); }
  // Screen point of a control's client point.
  win::POINT Scr(TControl* c, int x, int y) { return c->ClientToScreen({x, y}); }
  void Click(TControl* c, int x = 5, int y = 5) {
    win::headless::Click(Scr(c, x, y));
    Pump();
  }
  void Key(int vk, const std::u16string& text = {}) {
    win::headless::PressKey(vk, text);
    Pump();
  }

  std::vector<std::string> log;
  void Log(const std::string& s) { log.push_back(s); }
  rtl::TNotifyEvent Logger(const std::string& s) {
    return [this, s](rtl::TObject*) { Log(s); };
  }
};

}  // namespace formstest
