// Shared fixture of the dialog tests: the skinned-control fixture (headless,
// fake clock, a shown main form) plus a way to act on a modal dialog while
// it runs: the script given to WhenShown runs once, when the next form other
// than the main form becomes active, and queues input for the modal loop.
#pragma once

#include <map>
#include <functional>
#include <string>

#include "skin/data/bsResourceStrData.h"
#include "tests/skin/controls/SkinControlsTestUtil.h"
#include "tests/support/Looks.h"

namespace dlgtest {

using namespace skin;
using skinctltest::SkinControlsTest;
using rtl::TSize;
using win::VK_ESCAPE;
using win::VK_RETURN;
using win::WM_CLOSE;

class DialogsTest : public SkinControlsTest {
 protected:
  void TearDown() override {
    forms::Screen->OnActiveFormChange = nullptr;
    stored.reset();
    SkinControlsTest::TearDown();
  }

  // Script runs with the dialog form once it is active; later activations of
  // other dialogs run the scripts queued after it.
  void WhenShown(std::function<void(forms::TCustomForm*)> Script) {
    scripts.push_back(std::move(Script));
    forms::Screen->OnActiveFormChange = [this](rtl::TObject*) {
      forms::TCustomForm* f = forms::Screen->ActiveForm();
      if (!f || f == form || scripts.empty()) return;
      // A dialog active again (a message over it closed) is not a new one.
      for (auto& [p, live] : scripted)
        if (p == f && live.Alive()) return;
      scripted.push_back({f, f->Liveness()});
      auto s = std::move(scripts.front());
      scripts.erase(scripts.begin());
      s(f);
    };
  }
  void QueueClick(forms::TControl* c) {
    win::headless::AdvanceClock(1000);  // never a double click with the last one
    win::headless::Click(c->ClientToScreen({c->Width() / 2, c->Height() / 2}));
  }
  void QueueDoubleClick(forms::TControl* c, int x, int y) {
    win::headless::AdvanceClock(1000);
    win::headless::Click(c->ClientToScreen({x, y}));
    win::headless::Click(c->ClientToScreen({x, y}));
  }
  // Enter and Esc come with their characters, as from a keyboard.
  static void QueueKey(int vk) {
    win::headless::PressKey(vk, vk == VK_RETURN ? u"\r" : vk == VK_ESCAPE ? u"\x1b" : u"");
  }
  static void QueueClose(forms::TCustomForm* f) { win::PostMessageW(f->Handle(), WM_CLOSE, 0, 0); }

  // A stored skin of the program, loaded into sd.
  TbsSkinData* StoredSkin(const std::u16string& name) {
    stored = skinctltest::StoredFrom(skinctltest::StoredIndex(name));
    sd = std::make_unique<TbsSkinData>(nullptr);
    sd->LoadCompressedStoredSkin(stored.get());
    return sd.get();
  }
  // Resource strings holding only Lines (NAME=value).
  TbsResourceStrData* Strings(std::vector<String> Lines) {
    strings = std::make_unique<TbsResourceStrData>(nullptr);
    strings->SetResStrings(Lines);
    return strings.get();
  }
  // The looks of a dialog in a gallery, asserted as its picture is taken:
  // skinned, the dialog is not drawn as in the plain look; with Focus, its
  // focused control is drawn focused (it differs once the focus moves on).
  // Key names the picture; the plain look of each is kept for the skinned
  // ones.
  void CheckDialogLooks(forms::TCustomForm* f, const std::string& Key, bool Plain, bool Focus = true) {
    SCOPED_TRACE(Key);
    Pump();
    const testsupport::TShot whole = testsupport::Shot(f);
    if (Plain)
      plainLooks[Key] = whole;
    else if (plainLooks.count(Key)) {
      EXPECT_GT(testsupport::Changed(whole, plainLooks[Key]), 0.0) << "drawn as in the plain look";
    }
    forms::TWinControl* focused = f->ActiveControl();
    forms::TWinControl* next = focused ? f->FindNextControl(focused, true, true, false) : nullptr;
    if (!Focus || !focused || !next || next == focused) return;
    testsupport::ExpectStateShows("the focused control", focused, [&] { next->SetFocus(), Pump(); },
                                  [&] { focused->SetFocus(), Pump(); });
  }
  std::map<std::string, testsupport::TShot> plainLooks;

  std::string PicturePath(const std::string& name) {
    const char* dir = std::getenv("TVL_TEST_PICTURES");
    return std::string(dir ? dir : ".") + "/" + name + ".png";
  }

  std::vector<std::function<void(forms::TCustomForm*)>> scripts;
  std::vector<std::pair<forms::TCustomForm*, forms::TLiveness>> scripted;
  std::unique_ptr<TbsCompressedStoredSkin> stored;
  std::unique_ptr<TbsResourceStrData> strings;
};

}  // namespace dlgtest
