// Shared fixture of the main window tests: a headless window system on the
// fake clock, a temporary home and option.ini, scripted dialogs, and media
// fixtures made with the ffmpeg command line.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "app/mainform/MainForm.h"
#include "platform/forms/Forms.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Backend.h"
#include "platform/win/Headless.h"

namespace mainformtest {

namespace fs = std::filesystem;
using rtl::String;

inline String S(const std::string& utf8) { return rtl::FileNameToString(utf8); }
inline std::string U(const String& s) { return rtl::StringToFileName(s); }

// Dialogs that answer from a script.
class TScriptedDialogs : public app::TMainFormDialogs {
 public:
  // Each open request takes the next answer; an empty answer cancels.
  std::deque<std::vector<String>> OpenAnswers;
  // Each folder request takes the next answer; none cancels.
  std::deque<String> FolderAnswers;
  std::vector<String> Messages;
  int OpenCount = 0;

  bool ExecuteOpen(app::TOpenDialogState& d) override {
    ++OpenCount;
    if (OpenAnswers.empty()) return false;
    auto files = OpenAnswers.front();
    OpenAnswers.pop_front();
    if (files.empty()) return false;
    d.Files = files;
    d.FileName = files.front();
    return true;
  }
  bool ExecuteSelectDirectory(app::TSelectDirectoryState& d) override {
    if (FolderAnswers.empty()) return false;
    d.Directory = FolderAnswers.front();
    FolderAnswers.pop_front();
    return true;
  }
  void Message(const String& text, const String& caption) override {
    EXPECT_EQ(caption, u"提示");
    Messages.push_back(text);
  }
};

inline bool RunFfmpeg(const std::string& args) {
  const std::string cmd = "ffmpeg -nostdin -hide_banner -loglevel error -y " + args + " >/dev/null 2>&1";
  return std::system(cmd.c_str()) == 0;
}

// A clip of the given seconds with picture and sound.
inline std::string MakeClip(const fs::path& path, double seconds = 2) {
  const std::string d = std::to_string(seconds);
  EXPECT_TRUE(RunFfmpeg("-f lavfi -i testsrc=size=160x120:rate=10:duration=" + d + " -f lavfi -i sine=duration=" + d +
                        " -c:v mpeg4 -c:a mp2 -shortest '" + path.string() + "'"))
      << path;
  return path.string();
}

class MainFormTest : public ::testing::Test {
 protected:
  static fs::path FixtureDir() {
    static fs::path dir = [] {
      std::string pattern = (fs::temp_directory_path() / "mainform-fixtures-XXXXXX").string();
      EXPECT_NE(mkdtemp(pattern.data()), nullptr);
      return fs::path(pattern);
    }();
    return dir;
  }
  // A clip made once per test program.
  static std::string Clip(const std::string& name, double seconds = 2) {
    const fs::path p = FixtureDir() / name;
    if (!fs::exists(p)) MakeClip(p, seconds);
    return p.string();
  }

  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "mainform-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    home = pattern;
    oldHome = getenv("HOME") ? getenv("HOME") : "";
    setenv("HOME", home.c_str(), 1);
    win::InitWindowSystem(win::BackendKind::Headless);
    win::headless::UseFakeClock(true);
    forms::InitForms();
  }
  void TearDown() override {
    delete form;
    form = nullptr;
    forms::DoneForms();
    win::ShutdownWindowSystem();
    setenv("HOME", oldHome.c_str(), 1);
    std::error_code ec;
    fs::remove_all(home, ec);
  }

  app::TForm1* Create() {
    app::TMainFormEnvironment env;
    env.OptionIniFile = S((home / "option.ini").string());
    env.Dialogs = &dialogs;
    env.CreatePlayer = false;
    form = new app::TForm1(forms::Application, env);
    return form;
  }
  void Show() {
    form->Show();
    Pump();
  }
  int Pump() { return win::headless::Pump(); }

  // Adds files through the several-files command.
  void AddFiles(const std::vector<std::string>& files) {
    std::vector<String> names;
    for (const auto& f : files) names.push_back(S(f));
    dialogs.OpenAnswers.push_back(names);
    form->Button8->Click();
  }
  void AddOne(const std::string& file) {
    dialogs.OpenAnswers.push_back({S(file)});
    form->btnAdd->Click();
  }
  String Cell(int row, int cell) { return form->Cell(row, cell); }
  String Caption(int row) { return form->lvFiles->Items()->Items(row)->Caption(); }
  bool LogHas(const String& text) {
    for (int i = 0; i < form->mmoLog->Lines()->Count(); ++i)
      if (form->mmoLog->Lines()->Get(i).find(text) != String::npos) return true;
    return false;
  }
  // Rows, engine tasks and taken slots agree.
  void ExpectConsistent() {
    int taken = 0;
    for (int i = 0; i < app::TJobSlotTable::kSlotCount; ++i)
      if (form->JobSlotTable.State(i) == app::TJobSlotTable::kTaken) ++taken;
    EXPECT_EQ(form->RowCount(), form->FFVCL->TasksCount());
    EXPECT_GE(taken, form->RowCount());
    EXPECT_EQ(form->bsSkinPanel5->Visible(), form->RowCount() == 0);
    for (auto c : {app::TForm1::qcRemove, app::TForm1::qcClear, app::TForm1::qcStart, app::TForm1::qcRename})
      EXPECT_EQ(form->QueueCommandEnabled(c), form->RowCount() > 0) << c;
  }

  fs::path home;
  std::string oldHome;
  TScriptedDialogs dialogs;
  app::TForm1* form = nullptr;
};

}  // namespace mainformtest
