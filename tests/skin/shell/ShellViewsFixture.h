// Shared fixture of the shell control suites: a headless window system on
// the fake clock, a shown form, the shell namespace started with HOME in a
// temporary tree, and helpers that build the controls on that form.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <climits>
#include <functional>
#include <string>
#include <vector>

#include "platform/forms/Forms.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/Threads.h"
#include "platform/shell/ShellNamespace.h"
#include "platform/win/Backend.h"
#include "platform/win/Headless.h"
#include "skin/shell/bsSkinShellCtrls.h"
#include "tests/platform/shell/ShellFixture.h"

namespace shellctltest {

using namespace skin;
using rtl::String;
using shell::TItemList;

inline String U(const std::string& s) { return rtl::FileNameToString(s); }

inline std::string Cwd() {
  char b[PATH_MAX];
  return ::getcwd(b, sizeof b) ? b : "";
}

// Keeps the process's current directory for the life of the object.
struct TKeepCwd {
  std::string Saved = Cwd();
  ~TKeepCwd() { [[maybe_unused]] int r = ::chdir(Saved.c_str()); }
};

// The views with their input hooks open to the tests.
struct TTestListView : TbsSkinFileListView {
  using TbsSkinFileListView::TbsSkinFileListView;
  using TbsCustomShellListView::ColClick;
  using TbsCustomShellListView::DblClick;
  using TbsCustomShellListView::Edit;
  using TbsCustomShellListView::KeyDown;
};
struct TTestTreeView : TbsSkinDirTreeView {
  using TbsSkinDirTreeView::TbsSkinDirTreeView;
  using TbsCustomShellTreeView::Edit;
};

class ShellViewsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rtl::InitMainThread();
    win::InitWindowSystem(win::BackendKind::Headless);
    win::headless::UseFakeClock(true);
    forms::InitForms();
    shell::InitShellNamespace();
    // The shell commands' questions are answered by the test, and recorded.
    TShellPrompts p;
    p.Confirm = [this](forms::TWinControl*, const String& caption, const String& text) {
      questions.push_back(caption + u": " + text);
      return answer;
    };
    p.ShowError = [this](forms::TWinControl*, const String& caption, const String& text) {
      errors.push_back(caption + u": " + text);
    };
    p.ShowProperties = [this](forms::TWinControl*, TbsShellFolder* f) { properties.push_back(f->DisplayName()); };
    SetShellPrompts(p);
    form = new forms::TForm(forms::Application);
    form->SetBounds(40, 40, 720, 480);
    form->AfterConstruction();
    form->Show();
    Pump();
  }
  void TearDown() override {
    ResetShellPrompts();
    delete form;
    shell::DoneShellNamespace();
    forms::DoneForms();
    win::ShutdownWindowSystem();
  }

  template <class T>
  T* Make(int x, int y, int w, int h) {
    T* c = new T(form);
    c->SetBounds(x, y, w, h);
    c->SetParent(form);
    return c;
  }

  int Pump() { return win::headless::Pump(); }

  // Serves the window system and the notifier's hand-overs until Done holds;
  // false when it does not come about within a generous bound.
  bool PumpUntil(const std::function<bool()>& Done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!Done()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      Pump();
      rtl::CheckSynchronize(10);
    }
    return true;
  }

  static std::vector<String> Names(TbsCustomShellListView* lv) {
    std::vector<String> r;
    for (int i = 0; i < lv->FolderCount(); ++i) r.push_back(lv->FolderAt(i)->DisplayName());
    return r;
  }
  static std::vector<String> ChildTexts(forms::TTreeNode* n) {
    std::vector<String> r;
    for (int i = 0; n && i < n->Count(); ++i) r.push_back(n->Item(i)->Text());
    return r;
  }

  TTempTree tree;
  TEnvSetting home{"HOME", tree.Root()};
  TEnvSetting data{"XDG_DATA_HOME", tree.Root() + "/.local/share"};
  bool answer = true;
  std::vector<String> questions, errors, properties;
  TEnvSetting config{"XDG_CONFIG_HOME", tree.Root() + "/.config"};
  forms::TForm* form = nullptr;
};

}  // namespace shellctltest
