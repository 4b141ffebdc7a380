// The open-file dialog on X11 against a private Xvfb: a folder path with
// Chinese characters typed into the name field with xdotool and Enter opens
// that folder; a file name typed over the field and Enter bring exactly that
// file back, in a folder of several clips whose names start one another,
// also when the list has another clip selected. 删除 chosen in a file's
// context menu asks in the skinned message dialog, and Yes moves the file
// to the trash. Skips without Xvfb or xdotool.
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
#include "skin/dialogs/bsMessages.h"
#include "skin/dialogs/bsOpenDialogs.h"
#include "tests/skin/controls/SkinControlsTestUtil.h"
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

// The file's row is right-clicked, 删除 is chosen with the keyboard (the
// last item of the menu), and the question's Yes button is clicked.
TEST(OpenDialogX11, DeleteThroughTheContextMenuMovesTheFileToTheTrash) {
  Xvfb x;
  if (!x.Start("800x600x24")) GTEST_SKIP() << "Xvfb is not available";
  if (!XdoTool::Available()) GTEST_SKIP() << "xdotool is not available";
  setenv("DISPLAY", x.Display().c_str(), 1);
  const fs::path root = fs::temp_directory_path() / ("tvl_x11delete_" + std::to_string(::getpid()));
  const fs::path folder = root / "视频";
  fs::create_directories(folder);
  for (const char* n : {"要删除.mp4", "stay.mp4"}) std::ofstream(folder / n) << "x";
  const std::string oldData = getenv("XDG_DATA_HOME") ? getenv("XDG_DATA_HOME") : "";
  setenv("XDG_DATA_HOME", (root / "data").c_str(), 1);
  const fs::path cwd = fs::current_path();

  ASSERT_TRUE(win::InitWindowSystem(win::BackendKind::X11));
  forms::InitForms();
  std::string question, log;
  bool ok = false;
  {
    auto* main = new forms::TForm(forms::Application);
    main->SetBounds(10, 10, 200, 100);
    main->AfterConstruction();
    main->Show();
    testsupport::PumpUntil([] { forms::Application->ProcessMessages(); }, [&] { return main->Active(); });
    // The program's dialogs wear its skin; the skin menu engine draws the menu in it.
    std::unique_ptr<skin::TbsCompressedStoredSkin> stored =
        skinctltest::StoredFrom(skinctltest::StoredIndex(u"OFFICE2007蓝色"));
    skin::TbsSkinData sd(nullptr);
    sd.LoadCompressedStoredSkin(stored.get());
    skin::TbsSkinOpenDialog d(nullptr);
    d.SetSkinData(&sd);
    d.SetCtrlSkinData(&sd);
    d.InitialDir = rtl::Utf8ToString(folder.string());
    std::unique_ptr<XdoTool> typing;
    enum { Start, MenuOpen, Asked, Done } state = Start;
    int tries = 0;
    auto started = std::chrono::steady_clock::now();
    std::atomic<win::HWND> dialog{nullptr};
    forms::Application->OnIdle = [&](rtl::TObject*, bool& Idle) {
      Idle = false;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      skin::TbsOpenDlgForm* F = d.DlgForm();
      if (!F || (typing && !typing->Done())) return;
      const auto now = std::chrono::steady_clock::now();
      if (state == Start && forms::Screen->ActiveForm() == F) {
        dialog = F->Handle();
        int row = -1;
        for (int i = 0; i < F->FileListView->FolderCount(); ++i)
          if (F->FileListView->FolderAt(i)->DisplayName() == u"要删除.mp4") row = i;
        if (row < 0) return;
        const rtl::TRect r = F->FileListView->GetItemRect(row, forms::drLabel);
        const rtl::TPoint p = F->FileListView->ClientToScreen({(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
        typing = std::make_unique<XdoTool>(std::vector<std::string>{
            "sleep", "0.3", "mousemove", std::to_string(p.X), std::to_string(p.Y), "click", "3"});
        state = MenuOpen;
        started = now;
      } else if (state == MenuOpen) {
        if (auto* m = dynamic_cast<skin::TbsMessageForm*>(forms::Screen->ActiveForm())) {
          question = rtl::StringToUtf8(m->Message->Caption());
          skin::TbsSkinButton* yes = m->Button(skin::mbYes);
          if (!yes) return;
          typing = std::make_unique<XdoTool>(std::vector<std::string>{
              "sleep", "0.3", "mousemove", Centre(yes, false), Centre(yes, true), "click", "1"});
          state = Asked;
        } else if (skin::LastShellContextMenu() && now - started > std::chrono::milliseconds(800)) {
          if (++tries > 4) {
            log += "no question after the menu; ";
            state = Done;
            win::PostMessageW(F->Handle(), win::WM_CLOSE, 0, 0);
            return;
          }
          typing = std::make_unique<XdoTool>(std::vector<std::string>{"key", "Up", "key", "Return"});
          started = now;
        }
      } else if (state == Asked && !fs::exists(folder / "要删除.mp4")) {
        state = Done;
        ok = true;
        win::PostMessageW(F->Handle(), win::WM_CLOSE, 0, 0);
      }
    };
    std::atomic<bool> finished{false};
    std::thread guard([&] {
      for (int i = 0; i < 300 && !finished; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
      if (!finished && dialog.load()) win::PostMessageW(dialog.load(), win::WM_CLOSE, 0, 0);
    });
    d.Execute();
    finished = true;
    guard.join();
    forms::Application->OnIdle = nullptr;
    delete main;
  }
  forms::DoneForms();
  win::ShutdownWindowSystem();
  fs::current_path(cwd);
  EXPECT_TRUE(ok) << log;
  EXPECT_NE(question.find("要删除.mp4"), std::string::npos) << question;
  EXPECT_FALSE(fs::exists(folder / "要删除.mp4"));
  EXPECT_TRUE(fs::exists(folder / "stay.mp4"));
  EXPECT_TRUE(fs::exists(root / "data/Trash/files/要删除.mp4"));
  EXPECT_TRUE(fs::exists(root / "data/Trash/info/要删除.mp4.trashinfo"));
  if (oldData.empty()) unsetenv("XDG_DATA_HOME");
  else setenv("XDG_DATA_HOME", oldData.c_str(), 1);
  fs::remove_all(root);
}

}  // namespace
