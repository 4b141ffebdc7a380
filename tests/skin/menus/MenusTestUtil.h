// Shared fixture of the skinned-menu tests: a headless window system on the
// fake clock, a shown form that logs the skin-menu messages it receives, the
// form's menu host and a popup menu of the kinds of rows a menu can have.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/forms/Forms.h"
#include "platform/gdi/Colors.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Backend.h"
#include "platform/win/Headless.h"
#include "resources/tvlResources.h"
#include "skin/data/bsCompressedStoredSkin.h"
#include "skin/menus/bsSkinMenuHost.h"
#include "tests/skin/controls/SkinControlsTestUtil.h"

namespace skinmenutest {

using namespace skin;
using forms::TMenuItem;

inline std::uint32_t RgbOf(rtl::TColor c) {
  const std::uint32_t v = gdi::ColorToRGB(c);
  return (v & 0xFF) << 16 | (v & 0xFF00) | (v >> 16 & 0xFF);
}

// A form that writes the skin-menu messages it receives to a log.
class LogForm : public forms::TForm {
 public:
  LogForm(rtl::TComponent* owner, std::vector<std::string>* log) : TForm(owner), log_(log) {}
  void Dispatch(forms::TMessage& m) override {
    if (m.Msg == MSG_SKIN_MENU_CLOSED) log_->push_back("form closed");
    if (m.Msg == win::WM_MOUSEWHEEL) log_->push_back("form wheel");
    TForm::Dispatch(m);
  }

 private:
  std::vector<std::string>* log_;
};

// A control that opens menus and logs what it is told.
class LogControl : public forms::TCustomControl {
 public:
  LogControl(rtl::TComponent* owner, std::vector<std::string>* log) : TCustomControl(owner), log_(log) {}
  void Dispatch(forms::TMessage& m) override {
    if (m.Msg == MSG_SKIN_MENU_CLOSED) log_->push_back("control closed");
    if (m.Msg == MSG_SKIN_MENU_COMMAND_DONE) log_->push_back("command done");
    TCustomControl::Dispatch(m);
  }

 private:
  std::vector<std::string>* log_;
};

using skinctltest::StoredFrom;

class MenusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::InitWindowSystem(win::BackendKind::Headless);
    win::headless::UseFakeClock(true);
    forms::InitForms();
    form = new LogForm(forms::Application, &log);
    form->SetBounds(100, 100, 400, 300);
    form->AfterConstruction();
    form->Show();
    host = new TbsSkinMenuHost(form, form);
    menu = new TbsSkinPopupMenu(form);
    Pump();
  }
  void TearDown() override {
    delete form;
    sd.reset();
    forms::DoneForms();
    win::ShutdownWindowSystem();
  }

  TMenuItem* Add(TMenuItem* parent, const char16_t* caption, const std::string& name = "") {
    auto* i = new TMenuItem(form);
    i->SetCaption(caption);
    if (!name.empty()) i->OnClick = Logger(name);
    parent->Add(i);
    return i;
  }
  // Open (Ctrl+O) | - | Snapshot > (BMP, JPEG checked, PNG radio) | -Header- | Disabled | Exit
  void BuildMenu() {
    Add(menu->Items(), u"&Open", "open")->SetShortCut(forms::TShortCut('O' | forms::scCtrl));
    Add(menu->Items(), u"-");
    snapshot = Add(menu->Items(), u"&Snapshot", "snapshot");
    for (const char16_t* c : {u"&BMP", u"&JPEG", u"&PNG"}) {
      TMenuItem* r = Add(snapshot, c, rtl::U8(c));
      r->SetRadioItem(true);
      r->SetGroupIndex(1);
    }
    snapshot->Items(1)->SetChecked(true);
    Add(menu->Items(), u"-Header-")->SetEnabled(false);
    Add(menu->Items(), u"&Disabled", "disabled")->SetEnabled(false);
    Add(menu->Items(), u"E&xit", "exit");
  }

  int Pump() {
    int n = 0;
    for (int i = 0; i < 3; ++i) {
      forms::Application->ProcessMessages();
      n += win::headless::Pump();
    }
    return n;
  }
  void Advance(std::uint32_t ms) {
    for (std::uint32_t t = 0; t < ms; t += 10) {
      win::headless::AdvanceClock(10);
      Pump();
    }
  }
  void Key(int vk) {
    win::headless::PressKey(vk);
    Pump();
  }

  TbsSkinMenu* Engine() { return host->SkinMenu(); }
  int Levels() { return Engine()->WindowCount(); }
  TbsSkinPopupWindow* Level(int i) { return Engine()->Windows(i); }
  // Screen point at the middle of row `row` of level `level`.
  win::POINT RowPoint(int level, int row) {
    TbsSkinPopupWindow* w = Level(level);
    const rtl::TRect r = w->Row(row)->ObjectRect;
    return {w->Left() + (r.Left + r.Right) / 2, w->Top() + (r.Top + r.Bottom) / 2};
  }
  void Hover(win::POINT p) {
    win::headless::MouseMove(p);
    Pump();
    Advance(60);  // one poll of the menu windows
  }
  // Every row's state of a level: "A" active, "D" down, "." neither.
  std::string States(int level) {
    std::string s;
    for (int i = 0; i < Level(level)->RowCount(); ++i) {
      TbsSkinMenuItem* r = Level(level)->Row(i);
      s += r->Down ? 'D' : r->Active ? 'A' : '.';
    }
    return s;
  }

  TbsSkinData* StoredSkin(int index) {
    sd = std::make_unique<TbsSkinData>(nullptr);
    stored = StoredFrom(index);
    sd->LoadCompressedStoredSkin(stored.get());
    return sd.get();
  }

  rtl::TNotifyEvent Logger(const std::string& s) {
    return [this, s](rtl::TObject*) { log.push_back(s); };
  }

  std::vector<std::string> log;
  LogForm* form = nullptr;
  TbsSkinMenuHost* host = nullptr;
  TbsSkinPopupMenu* menu = nullptr;
  TMenuItem* snapshot = nullptr;
  std::unique_ptr<TbsSkinData> sd;
  std::unique_ptr<TbsCompressedStoredSkin> stored;
};

}  // namespace skinmenutest
