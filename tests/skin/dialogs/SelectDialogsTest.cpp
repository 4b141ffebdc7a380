// The select-skin and select-directory dialogs: results for OK, Cancel, Esc,
// closing and double click, the preview following the list, the remembered
// size raised to the frame's least size, the start folder, the tool bar's
// edit and new-folder button, and a gallery in three stored skins.
#include <filesystem>
#include <memory>

#include "platform/rtl/FileSys.h"
#include "platform/rtl/SysUtils.h"
#include "platform/shell/ShellNamespace.h"
#include "skin/dialogs/bsDialogs.h"
#include "tests/skin/dialogs/DialogsTestUtil.h"

namespace dlgtest {
namespace {

using forms::TCustomForm;
namespace fs = std::filesystem;

class SelectDialogsTest : public DialogsTest {
 protected:
  void SetUp() override {
    DialogsTest::SetUp();
    list = std::make_unique<TbsCompressedSkinList>(nullptr);
    for (int i = 0; i < 3; ++i) {
      auto* item = static_cast<TbsSkinListItem*>(list->Skins()->Add());
      const auto& r = resources::StoredSkin(i);
      rtl::TMemoryStream in;
      in.WriteBuffer(r.Data, rtl::Int64(r.Size));
      in.SetPosition(0);
      item->ReadSkin(in);
      item->Name = u"skin" + rtl::IntToStr(i);
      if (i != 1) item->Description = resources::StoredSkinName(i);
    }
    dir = fs::temp_directory_path() / ("tvl_seldir_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "a" / "b");
    fs::create_directories(dir / ".hidden");
  }
  void TearDown() override {
    list.reset();
    fs::remove_all(dir);
    DialogsTest::TearDown();
  }
  String Dir(const std::string& sub = "") { return rtl::Utf8ToString((sub.empty() ? dir : dir / sub).string()); }

  std::unique_ptr<TbsCompressedSkinList> list;
  fs::path dir;
};

TEST_F(SelectDialogsTest, SelectSkinListsNamesAndReturnsTheIndexUnderTheSelection) {
  TbsSelectSkinDialog d(nullptr);
  EXPECT_FALSE(d.Execute(1));  // no skin list: nothing shown
  d.SetSkinList(list.get());
  std::vector<String> names;
  int previewIndex = -2;
  bool previewSkinned = false;
  WhenShown([&](TCustomForm*) {
    auto* F = d.DlgForm();
    for (int i = 0; i < F->SkinsListBox->Items()->Count(); ++i) names.push_back(F->SkinsListBox->Items()->Strings(i));
    previewIndex = F->SkinsListBox->ItemIndex();
    previewSkinned = !F->PreviewSkinData->Empty && F->PreviewButton->SkinData() == F->PreviewSkinData;
    QueueKey(VK_RETURN);
  });
  EXPECT_TRUE(d.Execute(1));
  EXPECT_EQ(d.SelectedSkinIndex(), 1);
  EXPECT_EQ(names, (std::vector<String>{resources::StoredSkinName(0), u"skin1", resources::StoredSkinName(2)}));
  EXPECT_EQ(previewIndex, 1);
  EXPECT_TRUE(previewSkinned);
  EXPECT_EQ(d.DlgForm(), nullptr);

  // Arrow keys move the preview; OK takes what is under the selection.
  WhenShown([&](TCustomForm*) {
    QueueKey(win::VK_DOWN);
    QueueKey(VK_RETURN);
  });
  EXPECT_TRUE(d.Execute(1));
  EXPECT_EQ(d.SelectedSkinIndex(), 2);

  // Esc, Cancel and closing give False and -1.
  for (int how = 0; how < 3; ++how) {
    WhenShown([&](TCustomForm* f) {
      if (how == 0) QueueKey(VK_ESCAPE);
      if (how == 1) QueueClick(d.DlgForm()->CancelButton);
      if (how == 2) QueueClose(f);
    });
    EXPECT_FALSE(d.Execute(0)) << how;
    EXPECT_EQ(d.SelectedSkinIndex(), -1);
  }

  // A double click accepts the entry under it.
  WhenShown([&](TCustomForm*) {
    auto* lb = d.DlgForm()->SkinsListBox;
    const TRect r = lb->ItemRect(2);
    QueueDoubleClick(lb->ListBox, r.Left + 5, r.Top + 3);
  });
  EXPECT_TRUE(d.Execute(0));
  EXPECT_EQ(d.SelectedSkinIndex(), 2);
}

TEST_F(SelectDialogsTest, SelectSkinSizeTextsAndStoredSkinVariant) {
  TbsSelectSkinDialog d(form);  // the main form owns the stored skins
  d.SetSkinList(list.get());
  TSize client{};
  std::vector<String> captions;
  auto grab = [&](TCustomForm* f) {
    client = {f->ClientWidth(), f->ClientHeight()};
    captions = {f->Caption(), d.DlgForm()->OpenButton->Caption(), d.DlgForm()->CancelButton->Caption(),
                d.DlgForm()->PreviewForm->Caption()};
    QueueKey(VK_ESCAPE);
  };
  WhenShown(grab);
  d.Execute(0);
  EXPECT_EQ(client.cx, 420);
  EXPECT_EQ(client.cy, 240);
  EXPECT_EQ(captions, (std::vector<String>{u"Select skin", u"OK", u"Cancel", u"Preview"}));

  // A skin with texts that lack a key gives an empty caption.
  TbsSkinData* s = StoredSkin(u"金属光泽");
  s->SetResourceStrData(Strings({u"MSG_BTN_OK=确定"}));
  d.SetSkinData(s);
  d.SetCtrlSkinData(s);
  WhenShown(grab);
  d.Execute(0);
  EXPECT_EQ(captions, (std::vector<String>{u"Select skin", u"确定", u"", u""}));
  EXPECT_GE(client.cx, 420);
  s->SetResourceStrData(nullptr);

  // Stored-skin variant: the owner's stored skins, by description or name.
  auto* a = new TbsCompressedStoredSkin(form);
  a->SetName(u"StoredA");
  auto* b = new TbsCompressedStoredSkin(form);
  b->SetName(u"StoredB");
  b->Description = u"第二个";
  for (auto* st : {a, b}) {
    const auto& r = resources::StoredSkin(st == a ? 0 : 2);
    rtl::TMemoryStream in;
    in.WriteBuffer(r.Data, rtl::Int64(r.Size));
    in.SetPosition(0);
    st->LoadFromCompressStream(in);
  }
  std::vector<String> names;
  WhenShown([&](TCustomForm*) {
    auto* lb = d.DlgForm()->SkinsListBox;
    for (int i = 0; i < lb->Items()->Count(); ++i) names.push_back(lb->Items()->Strings(i));
    QueueKey(VK_RETURN);
  });
  EXPECT_TRUE(d.Execute(b));
  EXPECT_EQ(names, (std::vector<String>{u"StoredA", u"第二个"}));
  EXPECT_EQ(d.SelectedSkin(), b);
  WhenShown([&](TCustomForm*) { QueueKey(VK_RETURN); });
  EXPECT_TRUE(d.Execute(static_cast<TbsCompressedStoredSkin*>(nullptr)));
  EXPECT_EQ(d.SelectedSkin(), a);
  d.SetSkinData(nullptr);
  d.SetCtrlSkinData(nullptr);
}

TEST_F(SelectDialogsTest, SelectDirectoryStartsAtTheFolderAndReturnsTheChoice) {
  TbsSkinSelectDirectoryDialog d(nullptr);
  d.Directory = Dir("a");
  String startPath;
  TSize client{};
  bool hiddenShown = false;
  WhenShown([&](TCustomForm* f) {
    auto* F = d.DlgForm();
    startPath = F->DirTreeView->Path();
    client = {f->ClientWidth(), f->ClientHeight()};
    EXPECT_EQ(f->Caption(), u"Select folder");
    EXPECT_EQ(F->OkButton->Caption(), u"OK");
    EXPECT_EQ(F->ToolPanel, nullptr);
    hiddenShown = (F->DirTreeView->ObjectTypes() & shell::Bit(shell::otHidden)) != 0;
    f->SetClientSize(333, 300);  // the user resizes
    F->DirTreeView->SetPath(Dir("a/b"));
    QueueKey(VK_RETURN);
  });
  EXPECT_TRUE(d.Execute());
  EXPECT_EQ(startPath, Dir("a"));
  EXPECT_EQ(client.cx, 280);
  EXPECT_EQ(client.cy, 280);
  EXPECT_TRUE(hiddenShown);
  EXPECT_EQ(d.Directory, Dir("a/b"));
  EXPECT_EQ(d.DialogWidth, 333);
  EXPECT_EQ(d.DialogHeight, 300);

  // Cancel keeps the folder and still remembers the size; the next run opens there.
  WhenShown([&](TCustomForm* f) {
    client = {f->ClientWidth(), f->ClientHeight()};
    startPath = d.DlgForm()->DirTreeView->Path();
    d.DlgForm()->DirTreeView->SetPath(Dir());
    f->SetClientSize(350, 310);
    QueueKey(VK_ESCAPE);
  });
  EXPECT_FALSE(d.Execute());
  EXPECT_EQ(client.cx, 333);
  EXPECT_EQ(startPath, Dir("a/b"));
  EXPECT_EQ(d.Directory, Dir("a/b"));
  EXPECT_EQ(d.DialogWidth, 350);

  // A missing folder starts at the computer; OnShow and OnClose bracket the run.
  std::vector<std::string> events;
  d.OnShow = [&](rtl::TObject*) { events.push_back(d.DlgForm() ? "show with form" : "show"); };
  d.OnClose = [&](rtl::TObject*) { events.push_back(d.DlgForm() ? "close with form" : "close"); };
  d.Directory = Dir("gone");
  WhenShown([&](TCustomForm* f) {
    auto* tree = d.DlgForm()->DirTreeView;
    shell::TRoot root = u"rfMyComputer";
    std::unique_ptr<shell::TbsShellFolder> computer(shell::ResolveRootFolder(nullptr, root, root));
    EXPECT_NE(tree->Path(), Dir());
    if (tree->SelectedFolder()) {
      EXPECT_EQ(tree->SelectedFolder()->DisplayName(), computer->DisplayName());
      EXPECT_EQ(tree->SelectedFolder()->PathName(), computer->PathName());
      EXPECT_TRUE(tree->Selected()->Expanded());
    } else {
      ADD_FAILURE() << "nothing selected";
    }
    QueueClose(f);
  });
  EXPECT_FALSE(d.Execute());
  EXPECT_EQ(events, (std::vector<std::string>{"show", "close with form"}));
}

TEST_F(SelectDialogsTest, SizeIsRaisedToTheSkinnedFramesLeastSize) {
  TbsSkinSelectDirectoryDialog d(nullptr);
  TbsSkinData* s = StoredSkin(u"金属光泽");
  d.SetSkinData(s);
  d.SetCtrlSkinData(s);
  d.DialogWidth = 10;
  d.DialogHeight = 10;
  d.Directory = Dir();
  int minW = 0, minH = 0;
  TSize client{};
  WhenShown([&](TCustomForm* f) {
    minW = d.DlgForm()->BSF->GetMinWidth();
    minH = d.DlgForm()->BSF->GetMinHeight();
    client = {f->ClientWidth(), f->ClientHeight()};
    EXPECT_TRUE(d.DlgForm()->BSF->BorderIcons().Empty());
    QueueKey(VK_ESCAPE);
  });
  d.Execute();
  EXPECT_GT(minW, 10);
  EXPECT_GE(client.cx, minW);
  EXPECT_GE(client.cy, minH);
  d.SetSkinData(nullptr);
  d.SetCtrlSkinData(nullptr);
}

TEST_F(SelectDialogsTest, ToolBarEditFollowsTheTreeAndMakesOneNewFolder) {
  TbsSkinSelectDirectoryDialog d(nullptr);
  d.ShowToolBar = true;
  d.Directory = Dir("a");
  WhenShown([&](TCustomForm*) {
    auto* F = d.DlgForm();
    EXPECT_EQ(F->DirEdit->Text(), Dir("a"));
    // An existing folder typed with Enter is selected; a missing one changes nothing.
    F->DirEdit->SetText(Dir("a/b"));
    char16_t k = 13;
    F->DirEditKeyPress(F->DirEdit, k);
    EXPECT_EQ(F->DirTreeView->Path(), Dir("a/b"));
    F->DirEdit->SetText(Dir("nowhere"));
    F->DirEditKeyPress(F->DirEdit, k);
    EXPECT_EQ(F->DirTreeView->Path(), Dir("a/b"));
    F->NewFolderToolButtonClick(nullptr);
    F->NewFolderToolButtonClick(nullptr);  // exists now: nothing
    QueueKey(VK_RETURN);
  });
  EXPECT_TRUE(d.Execute());
  EXPECT_TRUE(fs::is_directory(dir / "a" / "b" / "New Folder"));
  EXPECT_EQ(d.Directory, Dir("a/b"));

  // Texts that lack the folder name: the button does nothing.
  TbsSkinData& s = Skin();
  s.SetResourceStrData(Strings({u"MSG_BTN_OK=OK"}));
  d.SetCtrlSkinData(&s);
  WhenShown([&](TCustomForm*) {
    EXPECT_EQ(d.DlgForm()->CancelButton->Caption(), u"");
    EXPECT_EQ(d.DlgForm()->NewFolderToolButton->Hint(), u"");
    d.DlgForm()->NewFolderToolButtonClick(nullptr);
    QueueKey(VK_ESCAPE);
  });
  EXPECT_FALSE(d.Execute());
  EXPECT_EQ(std::distance(fs::directory_iterator(dir / "a" / "b"), fs::directory_iterator()), 1);
  d.SetCtrlSkinData(nullptr);
}

TEST_F(SelectDialogsTest, Gallery) {
  const struct {
    std::u16string skin;
    std::string name;
  } looks[] = {{u"", "plain"}, {u"金属光泽", "metal"}, {u"OFFICE2007蓝色", "office2007blue"}, {u"Mac风格", "mac"}};
  for (const auto& l : looks) {
    TbsSkinData* s = l.skin.empty() ? nullptr : StoredSkin(l.skin);
    TbsSelectSkinDialog ss(nullptr);
    ss.SetSkinList(list.get());
    ss.SetSkinData(s);
    ss.SetCtrlSkinData(s);
    WhenShown([&](TCustomForm* f) {
      Pump();
      EXPECT_TRUE(forms::RenderToPng(f, PicturePath("selectskin_" + l.name)));
      CheckDialogLooks(f, "selectskin", l.skin.empty());
      QueueKey(win::VK_UP);  // the preview follows the list
      QueueKey(VK_ESCAPE);
      ss.DlgForm()->OnPaint = nullptr;
    });
    ss.Execute(2);
    WhenShown([&](TCustomForm* f) {
      auto* F = ss.DlgForm();
      F->SkinsListBox->SetItemIndex(0);
      F->SLBOnChange(nullptr);
      Pump();
      EXPECT_TRUE(forms::RenderToPng(f, PicturePath("selectskin_changed_" + l.name)));
      CheckDialogLooks(f, "selectskin_changed", l.skin.empty());
      QueueKey(VK_ESCAPE);
    });
    ss.Execute(2);
    TbsSkinSelectDirectoryDialog sd2(nullptr);
    sd2.SetSkinData(s);
    sd2.SetCtrlSkinData(s);
    sd2.ShowToolBar = true;
    sd2.Directory = Dir("a");
    WhenShown([&](TCustomForm* f) {
      Pump();
      EXPECT_TRUE(forms::RenderToPng(f, PicturePath("selectdir_" + l.name)));
      CheckDialogLooks(f, "selectdir", l.skin.empty());
      QueueKey(VK_ESCAPE);
    });
    sd2.Execute();
  }
}

}  // namespace
}  // namespace dlgtest
