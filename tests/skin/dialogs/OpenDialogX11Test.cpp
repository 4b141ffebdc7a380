// The open-file dialog on X11 against a private Xvfb: a folder path with
// Chinese characters typed into the name field with xdotool and Enter opens
// that folder; a file name typed over the field and Enter bring exactly that
// file back, in a folder of several clips whose names start one another,
// also when the list has another clip selected. Skips without Xvfb or
// xdotool.
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <thread>
#include <vector>
#include <fstream>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "platform/forms/Forms.h"
#include "platform/rtl/Strings.h"
#include "platform/win/Backend.h"
#include "platform/win/WinApi.h"
#include "skin/dialogs/bsOpenDialogs.h"
#include "tests/support/XdoTool.h"
#include "tests/support/Xvfb.h"

namespace {

using testsupport::XdoTool;
using testsupport::Xvfb;
namespace fs = std::filesystem;

std::string Centre(forms::TControl* c, bool y) {
  rtl::TPoint p = c->ClientToScreen({c->Width() / 2, c->Height() / 2});
  return std::to_string(y ? p.Y : p.X);
}

TEST(OpenDialogX11, TypedChinesePathAndNameBringThatFileBack) {
  Xvfb x;
  if (!x.Start("800x600x24")) GTEST_SKIP() << "Xvfb is not available";
  if (!XdoTool::Available()) GTEST_SKIP() << "xdotool is not available";
  setenv("DISPLAY", x.Display().c_str(), 1);
  const fs::path root = fs::temp_directory_path() / ("tvl_x11open_" + std::to_string(::getpid()));
  const fs::path folder = root / "视频目录";
  fs::create_directories(folder);
  for (const char* n : {"a.avi", "a.avi.avi", "clip 1.avi", "clip 10.avi", "片段.mp4", "片段 二.mp4"})
    std::ofstream(folder / n) << "x";
  std::ofstream(root / "other.mp4") << "x";
  const fs::path cwd = fs::current_path();

  ASSERT_TRUE(win::InitWindowSystem(win::BackendKind::X11));
  forms::InitForms();
  {
    auto* main = new forms::TForm(forms::Application);
    main->SetBounds(10, 10, 200, 100);
    main->AfterConstruction();
    main->Show();
    testsupport::PumpUntil([] { forms::Application->ProcessMessages(); }, [&] { return main->Active(); });

    // What the list selects once the folder is open (nullptr: nothing), the
    // name then typed over the field.
    const struct {
      const char16_t* selected;
      const char* typed;
    } cases[] = {{nullptr, "片段.mp4"}, {u"clip 10.avi", "clip 1.avi"}, {u"a.avi", "a.avi.avi"}};
    for (const auto& c : cases) {
      SCOPED_TRACE(c.typed);
      skin::TbsSkinOpenDialog d(nullptr);
      d.Title = u"打开文件";
      d.InitialDir = rtl::Utf8ToString(root.string());
      d.Filter = u"视频文件|*.mp4;*.avi|所有文件|*.*";
      std::unique_ptr<XdoTool> typing;
      rtl::String pathAfterFolder;
      // Each step is typed, then its effect awaited; typing under load can
      // lose characters (xdotool rebinds a key for each one outside the
      // keymap), so a step whose effect does not show is typed again.
      struct TStep {
        std::vector<std::string> args;
        std::function<bool()> shows;  // empty: nothing to wait for
      };
      std::vector<TStep> steps;
      std::size_t step = 0;
      int tries = 0;
      std::chrono::steady_clock::time_point typed{};
      forms::Application->OnIdle = [&](rtl::TObject*, bool& Done) {
        Done = false;  // keep polling the typing steps
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (!typing || !typing->Done() || step >= steps.size()) return;
        const auto now = std::chrono::steady_clock::now();
        if (typed == std::chrono::steady_clock::time_point{}) typed = now;
        if (steps[step].shows && !steps[step].shows()) {
          if (now - typed < std::chrono::milliseconds(1500)) return;
          if (++tries <= 3) {
            typed = {};
            typing = std::make_unique<XdoTool>(steps[step].args);
            return;
          }
        }
        tries = 0;
        typed = {};
        if (++step < steps.size()) typing = std::make_unique<XdoTool>(steps[step].args);
      };
      std::atomic<bool> finished{false};
      std::atomic<win::HWND> dialog{nullptr};
      forms::Screen->OnActiveFormChange = [&](rtl::TObject*) {
        if (typing || !d.DlgForm() || forms::Screen->ActiveForm() != d.DlgForm()) return;
        auto* e = d.DlgForm()->FileNameEdit;
        dialog = d.DlgForm()->Handle();
        d.DlgForm()->FileListView->OnPathChanged = [&, F = d.DlgForm()](rtl::TObject* s) {
          pathAfterFolder = F->FileListView->Path();
          F->FLVPathChange(s);
          for (int i = 0; c.selected && i < F->FileListView->FolderCount(); ++i)
            if (F->FileListView->FolderAt(i)->DisplayName() == c.selected)
              F->FileListView->Items()->Items(i)->SetSelected(true);
        };
        const rtl::String folderText = rtl::Utf8ToString(folder.string()), name = rtl::Utf8ToString(c.typed);
        // "type" takes every argument after it, so a step with it ends with it.
        steps = {{{"sleep", "0.3", "mousemove", Centre(e, false), Centre(e, true), "click", "1", "key", "ctrl+a",
                   "type", "--delay", "40", folder.string()},
                  [e, folderText] { return e->Text() == folderText; }},
                 {{"key", "Return"}, [&] { return rtl::StringToUtf8(pathAfterFolder) == folder.string(); }},
                 {{"sleep", "0.3", "key", "ctrl+a", "type", "--delay", "40", c.typed}, [e, name] { return e->Text() == name; }},
                 {{"key", "Return"}, {}}};
        typing = std::make_unique<XdoTool>(steps[0].args);
        step = 0;
      };
      // A bound for a broken run: the dialog is closed after 30 s.
      std::thread guard([&] {
        for (int i = 0; i < 300 && !finished; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (!finished && dialog.load()) win::PostMessageW(dialog.load(), win::WM_CLOSE, 0, 0);
      });
      d.OnFolderChange = [&](rtl::TObject*) {
        if (d.DlgForm()) dialog = d.DlgForm()->Handle();
      };
      std::string lastEdit, lastPath;
      d.OnClose = [&](rtl::TObject*) {
        lastEdit = rtl::StringToUtf8(d.DlgForm()->FileNameEdit->Text());
        lastPath = rtl::StringToUtf8(d.DlgForm()->FileListView->Path());
      };
      const bool ok = d.Execute();
      finished = true;
      guard.join();
      forms::Screen->OnActiveFormChange = nullptr;
      forms::Application->OnIdle = nullptr;
      EXPECT_TRUE(ok) << "edit: " << lastEdit << " folder: " << lastPath;
      EXPECT_EQ(rtl::StringToUtf8(pathAfterFolder), folder.string());
      EXPECT_EQ(rtl::StringToUtf8(d.FileName()), (folder / c.typed).string());
    }
    delete main;
  }
  forms::DoneForms();
  win::ShutdownWindowSystem();
  fs::current_path(cwd);
  fs::remove_all(root);
}

}  // namespace
