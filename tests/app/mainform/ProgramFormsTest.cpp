// The program's start-up as the program entry runs it, headless: the shell
// namespace is started before the windows (so the file dialogs' folder box
// indents its entries by their depth), and the main window carries its
// skinned hints, resource texts and tray icon.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "app/mainform/ProgramForms.h"
#include "platform/forms/Forms.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/SysUtils.h"
#include "platform/shell/ShellNamespace.h"
#include "platform/win/Backend.h"
#include "platform/win/Headless.h"
#include "skin/shell/bsSkinShellCtrls.h"

namespace mainformtest {
namespace {

namespace fs = std::filesystem;

class ProgramFormsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "program-forms-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    home = pattern;
    oldHome = getenv("HOME") ? getenv("HOME") : "";
    setenv("HOME", home.c_str(), 1);
    // The program's option.ini, unless a run of the program left one.
    ini = rtl::StringToFileName(rtl::ProgramFolder()) + "option.ini";
    iniExisted = fs::exists(ini);
    win::InitWindowSystem(win::BackendKind::Headless);
    win::headless::UseFakeClock(true);
    forms::InitForms();
  }
  void TearDown() override {
    forms::DoneForms();
    app::EndProgramServices();
    win::ShutdownWindowSystem();
    app::Form1 = nullptr;
    setenv("HOME", oldHome.c_str(), 1);
    std::error_code ec;
    fs::remove_all(home, ec);
    if (!iniExisted) fs::remove(ini, ec);
  }
  int Pump() { return win::headless::Pump(); }
  void Advance(std::uint32_t ms) {
    for (std::uint32_t t = 0; t < ms; t += 10) {
      win::headless::AdvanceClock(10);
      Pump();
    }
  }

  fs::path home;
  std::string oldHome, ini;
  bool iniExisted = false;
};

TEST_F(ProgramFormsTest, StartUpStartsTheShellNamespaceAndPlacesHintsTextsAndTrayIcon) {
  ASSERT_EQ(shell::DesktopFolderObject(), nullptr);
  app::CreateProgramForms();
  ASSERT_NE(shell::DesktopFolderObject(), nullptr) << "started before the windows";
  app::TForm1* f = app::Form1;
  ASSERT_EQ(forms::Application->MainForm(), f);

  // The folder box of the file dialogs: the desktop at depth 0, the drives
  // under the computer entry at depth 2.
  auto* cb = new skin::TbsSkinShellComboBox(f);
  cb->SetBounds(8, 8, 300, 24);
  cb->SetParent(f->bsSkinPanel2);
  Pump();
  ASSERT_GT(cb->ItemsEx()->Count(), 2);
  EXPECT_EQ(cb->ItemsEx()->GetItem(0)->Indent, 0);
  EXPECT_EQ(cb->ItemsEx()->GetItem(1)->Indent, 1);
  int computer = -1;
  for (int i = 0; i < cb->ItemsEx()->Count(); ++i)
    if (cb->ItemsEx()->GetItem(i)->Caption == u"计算机") computer = i;
  ASSERT_GE(computer, 0);
  EXPECT_EQ(cb->ItemsEx()->GetItem(computer)->Indent, 1);
  ASSERT_LT(computer + 1, cb->ItemsEx()->Count());
  EXPECT_EQ(cb->ItemsEx()->GetItem(computer + 1)->Indent, 2);
  delete cb;

  // Resource texts, tray icon and hints on the main window.
  EXPECT_EQ(f->bsSkinData1->ResourceStrData(), f->bsResourceStrData1);
  EXPECT_EQ(f->bsResourceStrData1->GetResStr(u"MSG_BTN_CLOSE"), u"&Close");
  ASSERT_NE(f->bsTrayIcon1, nullptr);
  EXPECT_EQ(f->bsBusinessSkinForm1->TrayIcon, f->bsTrayIcon1);
  EXPECT_FALSE(f->bsTrayIcon1->Enabled);
  EXPECT_FALSE(f->bsTrayIcon1->IconVisible());
  EXPECT_EQ(f->bsBusinessSkinForm1->SkinHint, f->bsSkinHint1);
  EXPECT_FALSE(f->bsBusinessSkinForm1->ShowObjectHint);
  EXPECT_TRUE(f->bsSkinHint1->Active());
  EXPECT_EQ(f->bsSkinHint1->LineSeparator, u"@");
  EXPECT_EQ(f->bsSkinHint1->SkinData(), f->bsSkinData1);

  // A hint over the preview's play button is the skinned hint window, drawn
  // from the window's skin.
  f->Show();
  Pump();
  win::headless::MouseMove(f->bsSkinButton13->ClientToScreen({5, 5}));
  Pump();
  Advance(forms::Application->HintPause + 50);
  auto* w = dynamic_cast<skin::TbsSkinHintWindow*>(forms::Application->HintWindow());
  ASSERT_NE(w, nullptr) << "the application's hint window is the skinned one";
  EXPECT_TRUE(w->Visible());
  EXPECT_EQ(w->Caption(), u"播放");
  EXPECT_EQ(w->SkinInUse(), f->bsSkinData1);
}

}  // namespace
}  // namespace mainformtest
