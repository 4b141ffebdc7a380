// The open-file dialog's first folder when the remembered ones are gone, the
// extension matched without regard to case, New Folder on 桌面, and the
// list's commands inside the dialog: 删除 asks in the skinned message dialog
// and moves the file to the trash, Alt+Enter shows the properties dialog.
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "platform/forms/FormRender.h"
#include "platform/forms/Menus.h"
#include "platform/rtl/FileSys.h"
#include "skin/dialogs/bsMessages.h"
#include "skin/dialogs/bsOpenDialogs.h"
#include "skin/dialogs/bsShellPrompts.h"
#include "tests/platform/shell/ShellFixture.h"
#include "tests/skin/dialogs/DialogsTestUtil.h"

namespace dlgtest {
namespace {

using forms::TCustomForm;
namespace fs = std::filesystem;

class OpenDialogShellTest : public DialogsTest {
 protected:
  void SetUp() override {
    DialogsTest::SetUp();
    cwd = fs::current_path();
    fs::remove_all(dir);
    fs::create_directories(home / ".config");
    fs::create_directories(dir / "media");
    for (const char* n : {"media/clip.avi", "media/song.mp3"}) std::ofstream(dir / n) << "x";
  }
  void TearDown() override {
    fs::current_path(cwd);
    fs::remove_all(dir);
    DialogsTest::TearDown();
  }
  static String S(const fs::path& p) { return rtl::Utf8ToString(p.string()); }
  int Row(TbsOpenDlgForm* F, const String& name) {
    for (int i = 0; i < F->FileListView->FolderCount(); ++i)
      if (F->FileListView->FolderAt(i)->DisplayName() == name) return i;
    return -1;
  }
  void RightClick(TbsOpenDlgForm* F, const String& name) {
    const rtl::TRect r = F->FileListView->GetItemRect(Row(F, name), forms::drLabel);
    const rtl::TPoint p = F->FileListView->ClientToScreen({(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
    win::headless::MouseDown(p, 1);
    win::headless::MouseUp(p, 1);
    Pump();
  }

  fs::path dir = fs::temp_directory_path() / ("tvl_openshell_" + std::to_string(::getpid()));
  fs::path home = dir / "home";
  fs::path cwd;
  TEnvSetting homeEnv{"HOME", home.string()};
  TEnvSetting config{"XDG_CONFIG_HOME", (home / ".config").string()};
  TEnvSetting data{"XDG_DATA_HOME", (home / ".local/share").string()};
};

// Each rule that names a folder falls through when the folder is gone; the
// last resort is the videos folder when there is one, else home.
TEST_F(OpenDialogShellTest, AVanishedFolderFallsThroughToTheNextRule) {
  const struct {
    const char* file;      // FileName, under dir ("" for none)
    const char* initial;   // InitialDir, under dir ("" for none)
    bool videos;           // home/Videos exists
    const char* expected;  // under dir
  } cases[] = {
      {"media/clip.avi", "", false, "media"},
      {"gone/clip.avi", "media", false, "media"},
      {"gone/clip.avi", "gone too", true, "home/Videos"},
      {"gone/clip.avi", "", false, "home"},
      {"", "", true, "home/Videos"},
  };
  for (const auto& c : cases) {
    if (c.videos) fs::create_directories(home / "Videos");
    else fs::remove_all(home / "Videos");
    TbsSkinOpenDialog d(nullptr);
    d.SetFileName(*c.file ? S(dir / c.file) : String());
    d.InitialDir = *c.initial ? S(dir / c.initial) : String();
    String shown;
    WhenShown([&](TCustomForm* f) {
      shown = d.DlgForm()->FileListView->Path();
      QueueClose(f);
    });
    EXPECT_NO_THROW(d.Execute()) << c.file << " | " << c.initial;
    EXPECT_EQ(shown, S(dir / c.expected)) << c.file << " | " << c.initial;
  }
}

TEST_F(OpenDialogShellTest, ExtensionsMatchWithoutCaseAndNewFolderOnTheDesktopGoesHome) {
  TbsSkinOpenDialog d(nullptr);
  d.InitialDir = S(dir / "media");
  d.Filter = u"AVI|*.AVI";
  WhenShown([&](TCustomForm*) {
    d.DlgForm()->FileNameEdit->SetText(u"clip");
    QueueKey(VK_RETURN);
  });
  EXPECT_TRUE(d.Execute());
  EXPECT_EQ(d.FileName(), S(dir / "media/clip.avi")) << "the file as it is named";

  bool editing = false;
  String path;
  WhenShown([&](TCustomForm* f) {
    auto* F = d.DlgForm();
    F->FileListView->SetRoot(u"rfDesktop");
    F->NewFolderToolButtonClick(nullptr);
    path = F->FileListView->Path();
    const int row = Row(F, u"New Folder");
    editing = row >= 0 && F->FileListView->IsEditing();
    QueueClose(f);
  });
  d.Execute();
  EXPECT_TRUE(fs::is_directory(home / "New Folder"));
  EXPECT_EQ(path, S(home)) << "the list moved to the folder that got it";
  EXPECT_TRUE(editing) << "the new folder is shown, its name open for editing";
}

TEST_F(OpenDialogShellTest, DeleteAsksInTheSkinnedMessageDialogAndMovesToTheTrash) {
  TbsSkinOpenDialog d(nullptr);
  d.InitialDir = S(dir / "media");
  for (bool yes : {false, true}) {
    String question;
    WhenShown([&](TCustomForm* f) {
      auto* F = d.DlgForm();
      RightClick(F, u"clip.avi");
      ASSERT_TRUE(LastShellContextMenu());
      forms::TMenuItem* del = LastShellContextMenu()->Items()->Find(u"删除");
      ASSERT_TRUE(del);
      del->Click();
      Pump();
      QueueClose(f);
    });
    WhenShown([&](TCustomForm* m) {
      auto* M = dynamic_cast<TbsMessageForm*>(m);
      ASSERT_TRUE(M);
      question = M->Message->Caption();
      if (yes) {
        EXPECT_TRUE(forms::RenderToPng(m, PicturePath("opendialog_delete_question")));
      }
      QueueClick(M->Button(yes ? mbYes : mbNo));
    });
    d.Execute();
    EXPECT_NE(question.find(u"“clip.avi”"), String::npos) << rtl::StringToUtf8(question);
    EXPECT_EQ(fs::exists(dir / "media/clip.avi"), !yes);
    EXPECT_EQ(fs::exists(home / ".local/share/Trash/files/clip.avi"), yes);
    EXPECT_EQ(fs::exists(home / ".local/share/Trash/info/clip.avi.trashinfo"), yes);
  }
}

TEST_F(OpenDialogShellTest, AltEnterShowsThePropertiesDialog) {
  std::ofstream(dir / "media/clip.avi") << std::string(5000, 'x');
  ::chmod((dir / "media/clip.avi").c_str(), 0640);
  const std::vector<TbsPropertyRow> rows = ShellItemProperties((dir / "media/clip.avi").string());
  auto value = [&](const char16_t* caption) {
    for (const auto& r : rows)
      if (r.Caption == caption) return r.Value;
    return String(u"(none)");
  };
  EXPECT_EQ(value(u"名称:"), u"clip.avi");
  EXPECT_EQ(value(u"类型:"), u"AVI 视频文件");
  EXPECT_EQ(value(u"位置:"), S(dir / "media"));
  EXPECT_EQ(value(u"大小:"), u"4.88 KB（5,000 字节）");
  EXPECT_EQ(value(u"权限:").substr(0, 9), u"rw-r-----");
  EXPECT_NE(value(u"修改时间:"), u"(none)");
  EXPECT_EQ(ShellItemProperties((dir / "media/gone").string()).back().Caption, u"状态:");

  for (const std::u16string& skin : {std::u16string(), std::u16string(u"OFFICE2007蓝色")}) {
    TbsSkinData* s = skin.empty() ? nullptr : StoredSkin(skin);
    TbsSkinOpenDialog d(nullptr);
    d.SetSkinData(s);
    d.SetCtrlSkinData(s);
    d.InitialDir = S(dir / "media");
    String caption;
    WhenShown([&](TCustomForm* f) {
      auto* F = d.DlgForm();
      F->FileListView->SetItemIndex(Row(F, u"clip.avi"));
      F->FileListView->SetFocus();
      win::headless::KeyDown(win::VK_MENU);
      win::headless::PressKey(VK_RETURN, u"\r");
      win::headless::KeyUp(win::VK_MENU);
      Pump();
      QueueClose(f);
    });
    WhenShown([&](TCustomForm* p) {
      caption = p->Caption();
      auto* P = dynamic_cast<TbsShellPropertiesForm*>(p);
      ASSERT_TRUE(P);
      EXPECT_EQ(P->BSF->SkinData(), s);
      EXPECT_TRUE(forms::RenderToPng(p, PicturePath(std::string("properties_dialog") + (skin.empty() ? "" : "_office"))));
      QueueClick(P->OKButton);
    });
    d.Execute();
    EXPECT_EQ(caption, u"clip.avi 属性");
  }
}

}  // namespace
}  // namespace dlgtest
