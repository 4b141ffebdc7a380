// Shared fixture of the dialog tests: a headless window system on the fake
// clock, a main form, a private option.ini and HOME, the stored skins, and a
// fake desktop opener.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/forms/FormRender.h"
#include "platform/forms/Forms.h"
#include "platform/rtl/IniFiles.h"
#include "platform/rtl/Strings.h"
#include "platform/shell/SystemServices.h"
#include "platform/win/Headless.h"
#include "platform/win/WinApi.h"
#include "resources/tvlResources.h"
#include "skin/data/bsCompressedStoredSkin.h"
#include "skin/data/bsSkinData.h"

namespace appformstest {

namespace fs = std::filesystem;

// Stored skin Index loaded into a fresh skin data.
inline std::unique_ptr<skin::TbsSkinData> LoadStoredSkin(int Index) {
  const auto& r = resources::StoredSkin(Index);
  skin::TbsCompressedStoredSkin stored(nullptr);
  rtl::TMemoryStream in;
  in.WriteBuffer(r.Data, rtl::Int64(r.Size));
  stored.LoadFromCompressStream(in);
  auto sd = std::make_unique<skin::TbsSkinData>(nullptr);
  sd->LoadCompressedStoredSkin(&stored);
  return sd;
}

inline std::string PictureDir() {
  const char* d = std::getenv("TVL_TEST_PICTURES");
  return d ? d : ".";
}

// A fake opener that writes each of its arguments on a line of its own.
class FakeOpener {
 public:
  FakeOpener() {
    dir_ = fs::temp_directory_path() / ("tvl-appforms-opener-" + std::to_string(getpid()));
    fs::create_directories(dir_);
    script_ = dir_ / "open";
    out_ = dir_ / "args";
    std::ofstream(script_) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" << out_.string()
                           << ".tmp'\nmv '" << out_.string() << ".tmp' '" << out_.string() << "'\n";
    fs::permissions(script_, fs::perms::owner_all);
    shell::SetOpenCommandForTests(rtl::Utf8ToString(script_.string()));
  }
  ~FakeOpener() {
    shell::SetOpenCommandForTests(u"");
    fs::remove_all(dir_);
  }
  // The arguments of the last run (waiting for one), then forgets them.
  std::vector<std::string> Take() {
    for (int i = 0; i < 500 && !fs::exists(out_); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::vector<std::string> v;
    {
      std::ifstream in(out_);
      for (std::string line; std::getline(in, line);) v.push_back(line);
    }
    fs::remove(out_);
    return v;
  }

 private:
  fs::path dir_, script_, out_;
};

class AppFormsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win::InitWindowSystem(win::BackendKind::Headless);
    win::headless::UseFakeClock(true);
    forms::InitForms();
    std::string pattern = (fs::temp_directory_path() / "appforms-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir = pattern;
    oldHome_ = getenv("HOME") ? getenv("HOME") : "";
    setenv("HOME", (dir / "home").c_str(), 1);
    fs::create_directories(dir / "home");
    iniFile = (dir / "option.ini").string();
    main = new forms::TForm(forms::Application);
    main->SetBounds(100, 80, 800, 600);
    main->SetCaption(u"main");
    main->AfterConstruction();
  }
  void TearDown() override {
    forms::DoneForms();
    skins.clear();
    win::ShutdownWindowSystem();
    setenv("HOME", oldHome_.c_str(), 1);
    fs::remove_all(dir);
  }

  skin::TbsSkinData* Skin(int Index) {
    skins.push_back(LoadStoredSkin(Index));
    return skins.back().get();
  }
  void WriteIni(const std::string& Text) { std::ofstream(iniFile) << Text; }
  std::string Value(const char* Section, const char* Key) {
    return rtl::U8(rtl::GetPrivateProfileString(rtl::Utf8ToString(Section), rtl::Utf8ToString(Key), u"<none>",
                                                rtl::Utf8ToString(iniFile)));
  }
  std::string IniText() {
    std::ifstream in(iniFile);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  int Pump() { return win::headless::Pump(); }
  void Advance(std::uint32_t ms) {
    for (std::uint32_t t = 0; t < ms; t += 5) {
      win::headless::AdvanceClock(5);
      Pump();
    }
  }
  // Queues a click at the middle of control C (through the window system).
  static void QueueClick(forms::TControl* C, int X = -1, int Y = -1) {
    win::headless::Click(C->ClientToScreen({X < 0 ? C->Width() / 2 : X, Y < 0 ? C->Height() / 2 : Y}));
  }
  // Queues a click and moves the fake clock on, so that clicks queued one
  // after the other never make a double click.
  static void QueueSeparateClick(forms::TControl* C, int X = -1, int Y = -1) {
    QueueClick(C, X, Y);
    win::headless::AdvanceClock(1000);
  }

  fs::path dir;
  std::string iniFile;
  forms::TForm* main = nullptr;
  std::vector<std::unique_ptr<skin::TbsSkinData>> skins;

 private:
  std::string oldHome_;
};

}  // namespace appformstest
