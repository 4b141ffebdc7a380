// The fixture of the tests that run the queue from the main window with the
// real engine: fake after-done actions and sound, scripted dialogs that keep
// the warnings, an opener that logs what it was asked to open, and the
// options dialog made beside the window.
#pragma once

#include <fstream>
#include <thread>

#include "app/options/OptionIni.h"
#include "platform/rtl/Threads.h"
#include "platform/shell/SystemServices.h"
#include "tests/app/mainform/MainFormTestUtil.h"

namespace mainformtest {

using app::TForm1;

class TFakeActions : public shell::TSystemActions {
 public:
  explicit TFakeActions(int* count) : count_(count) {}
  bool PowerOff(String& error) override {
    ++*count_;
    error = u"refused in tests";
    return false;
  }

 private:
  int* count_;
};

class TFakeSound : public shell::TSoundPlayer {
 public:
  explicit TFakeSound(std::vector<String>* played) : played_(played) {}
  void Play(const String& name) override { played_->push_back(name); }
  void Stop() override {}

 private:
  std::vector<String>* played_;
};

// Dialogs that also keep the warnings and answer the skin dialog.
class TRunDialogs : public TScriptedDialogs {
 public:
  std::vector<std::pair<String, String>> Warnings;
  int SkinAnswer = -1;  // -1: cancelled
  void Warning(const String& text, const String& caption) override { Warnings.emplace_back(text, caption); }
  bool ExecuteSelectSkin(int, int& selected) override {
    if (SkinAnswer < 0) return false;
    selected = SkinAnswer;
    return true;
  }
};

inline std::string Probe(const std::string& file, const std::string& entries, const std::string& stream = "") {
  const std::string cmd = "ffprobe -v error " + (stream.empty() ? "" : "-select_streams " + stream + " ") +
                          "-show_entries " + entries + " -of csv=p=0 '" + file + "' 2>/dev/null";
  std::string out;
  if (FILE* p = popen(cmd.c_str(), "r")) {
    char buf[256];
    while (fgets(buf, sizeof buf, p)) out += buf;
    pclose(p);
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == ',')) out.pop_back();
  return out;
}

class MainFormRunTest : public MainFormTest {
 protected:
  void SetUp() override {
    MainFormTest::SetUp();
    shell::SetSystemActions(std::make_unique<TFakeActions>(&powerOffs));
    shell::SetSoundPlayer(std::make_unique<TFakeSound>(&sounds));
    // The opener writes what it was asked to open into a file.
    openedLog = home / "opened.txt";
    opener = home / "opener.sh";
    std::ofstream(opener) << "#!/bin/sh\necho \"$1\" >> '" << openedLog.string() << "'\n";
    fs::permissions(opener, fs::perms::owner_all);
    shell::SetOpenCommandForTests(S(opener.string()));
  }
  void TearDown() override {
    delete options;
    options = nullptr;
    MainFormTest::TearDown();
    shell::SetSystemActions(nullptr);
    shell::SetSoundPlayer(nullptr);
    shell::SetOpenCommandForTests(u"");
  }

  TForm1* CreateWithOptions(const fs::path& programFolder = {}) {
    app::TMainFormEnvironment env;
    env.OptionIniFile = S((home / "option.ini").string());
    env.Dialogs = &runDialogs;
    env.CreatePlayer = false;
    env.ProgramFolder = S(programFolder.empty() ? home.string() : programFolder.string());
    form = new TForm1(forms::Application, env);
    options = new appforms::TForm5(nullptr, form->bsSkinData1, form->OptionIni(),
                                   [this](bool p) { form->FFVCL->SetPreview(p); });
    form->OptionsDialog = options;
    return form;
  }
  void AddFilesToRun(const std::vector<std::string>& files) {
    std::vector<String> names;
    for (const auto& f : files) names.push_back(S(f));
    runDialogs.OpenAnswers.push_back(names);
    form->Button8->Click();
  }
  // Serves the GUI thread until the queue has ended (the clear command
  // comes back) or a minute has passed.
  bool WaitForEndOfQueue() {
    for (int i = 0; i < 6000; ++i) {
      Pump();
      rtl::CheckSynchronize(10);
      if (form->QueueCommandEnabled(TForm1::qcClear) && !form->btnStop->Enabled()) {
        // Late per-task notifications may still be on their way.
        for (int k = 0; k < 20; ++k) rtl::CheckSynchronize(5);
        return true;
      }
    }
    return false;
  }
  std::vector<std::string> Opened() {
    std::vector<std::string> lines;
    for (int i = 0; i < 100; ++i) {
      std::ifstream in(openedLog);
      std::string l;
      lines.clear();
      while (std::getline(in, l)) lines.push_back(l);
      if (!lines.empty()) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return lines;
  }
  std::string Out(int row) { return U(TForm1::JoinPath(form->FileOutPutPath, Cell(row, app::qcOutputName))); }

  // The running controls: start, stop, pause, resume; buttons and menu items.
  void ExpectRunControls(bool start, bool stop, bool pause, bool resume, bool startMenu) {
    EXPECT_EQ(form->bsSkinButton2->Enabled(), start);
    EXPECT_EQ(form->N7->Enabled(), startMenu);
    EXPECT_EQ(form->bsSkinButton10->Enabled(), stop);
    EXPECT_EQ(form->N8->Enabled(), stop);
    EXPECT_EQ(form->bsSkinButton11->Enabled(), pause);
    EXPECT_EQ(form->N9->Enabled(), pause);
    EXPECT_EQ(form->bsSkinButton12->Enabled(), resume);
    EXPECT_EQ(form->N10->Enabled(), resume);
  }
  void ExpectPickersEnabled(bool enabled) {
    for (auto* box : form->PresetBoxes()) EXPECT_EQ(box->Enabled(), enabled);
    EXPECT_EQ(form->bsSkinOfficeComboBox1->Enabled(), enabled);
    EXPECT_EQ(form->bsSkinOfficeComboBox2->Enabled(), enabled);
    EXPECT_EQ(form->bsSkinButtonBrowse->Enabled(), enabled);
  }

  TRunDialogs runDialogs;
  appforms::TForm5* options = nullptr;
  int powerOffs = 0;
  std::vector<String> sounds;
  fs::path opener, openedLog;
};

}  // namespace mainformtest
