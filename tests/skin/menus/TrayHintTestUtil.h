// Shared fixture of the hint and tray icon tests: a headless window system on
// the fake clock with the application's main form shown.
#pragma once

#include <gtest/gtest.h>

#include "platform/forms/Forms.h"
#include "platform/win/Backend.h"
#include "platform/win/Headless.h"

namespace skinmenustest {

class MainFormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::InitWindowSystem(win::BackendKind::Headless);
    win::headless::UseFakeClock(true);
    forms::InitForms();
    main = forms::Application->CreateForm<forms::TForm>();
    main->SetBounds(100, 100, 400, 300);
    main->Show();
    Pump();
  }
  void TearDown() override {
    forms::DoneForms();
    win::ShutdownWindowSystem();
  }
  int Pump() { return win::headless::Pump(); }
  void Advance(std::uint32_t ms) {
    for (std::uint32_t t = 0; t < ms; t += 10) {
      win::headless::AdvanceClock(10);
      Pump();
    }
  }

  forms::TForm* main = nullptr;
};

}  // namespace skinmenustest
