// The open-file dialog on a fixture folder: results for OK, Cancel and
// closing, the typed name with its default extension and the "file must
// exist" refusal, filters (masks without regard to case), multi-select
// order, the remembered size and filter, Enter in the edit, a typed name
// over the list's selection, the history, the save mode's overwrite
// question, the filter combo, and a gallery with the labels' layout.
#include <filesystem>
#include <fstream>

#include "platform/rtl/FileSys.h"
#include "skin/dialogs/bsMessages.h"
#include "skin/dialogs/bsOpenDialogs.h"
#include "tests/skin/dialogs/DialogsTestUtil.h"

namespace dlgtest {
namespace {

using forms::TCustomForm;
namespace fs = std::filesystem;

class OpenDialogTest : public DialogsTest {
 protected:
  void SetUp() override {
    DialogsTest::SetUp();
    cwd = fs::current_path();  // the file list box moves the process's current directory
    dir = fs::temp_directory_path() / ("tvl_open_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "sub");
    for (const char* n : {"clip.avi", "a.mp4", "b.MP4", "c.txt", "sub/inner.avi"}) std::ofstream(dir / n) << "x";
  }
  void TearDown() override {
    fs::current_path(cwd);
    fs::remove_all(dir);
    DialogsTest::TearDown();
  }
  String Dir(const std::string& sub = "") { return rtl::Utf8ToString((sub.empty() ? dir : dir / sub).string()); }
  std::vector<String> Shown(TbsOpenDlgForm* F) {
    std::vector<String> n;
    for (int i = 0; i < F->FileListView->FolderCount(); ++i) n.push_back(F->FileListView->FolderAt(i)->DisplayName());
    std::sort(n.begin(), n.end());
    return n;
  }
  void Type(TbsOpenDlgForm* F, const String& text, bool enter = true) {
    F->FileNameEdit->SetText(text);
    if (enter) {
      char16_t k = 13;
      F->EditKeyPress(F->FileNameEdit, k);
    }
  }
  int Select(TbsOpenDlgForm* F, const String& name) {
    for (int i = 0; i < F->FileListView->FolderCount(); ++i)
      if (F->FileListView->FolderAt(i)->DisplayName() == name) {
        F->FileListView->Items()->Items(i)->SetSelected(true);
        return i;
      }
    return -1;
  }

  fs::path dir, cwd;
};

TEST_F(OpenDialogTest, TypedNameWithDefaultExtensionAndTheExistenceCheck) {
  TbsSkinOpenDialog d(nullptr);
  d.InitialDir = Dir();
  d.DefaultExt = u"avi";
  bool refusedStayedOpen = false;
  TSize client{};
  WhenShown([&](TCustomForm* f) {
    auto* F = d.DlgForm();
    client = {f->ClientWidth(), f->ClientHeight()};
    Type(F, u"nothing");  // no such file: nothing happens, no message
    refusedStayedOpen = f->ModalResult() == forms::mrNone && forms::Screen->ActiveForm() == f;
    Type(F, u"clip");
    f->SetClientSize(500, 320);
  });
  EXPECT_TRUE(d.Execute());
  EXPECT_TRUE(refusedStayedOpen);
  EXPECT_EQ(d.FileName(), Dir("clip.avi"));
  EXPECT_EQ(client.cx, 450);
  EXPECT_EQ(client.cy, 290);
  EXPECT_EQ(d.DialogWidth, 500);
  EXPECT_EQ(d.DialogHeight, 320);

  // The next run opens in the file's folder with its name in the edit; Cancel keeps the result.
  String edit, path;
  WhenShown([&](TCustomForm* f) {
    edit = d.DlgForm()->FileNameEdit->Text();
    path = d.DlgForm()->FileListView->Path();
    client = {f->ClientWidth(), f->ClientHeight()};
    QueueKey(VK_ESCAPE);
  });
  EXPECT_FALSE(d.Execute());
  EXPECT_EQ(edit, u"clip.avi");
  EXPECT_EQ(path, Dir());
  EXPECT_EQ(client.cx, 500);
  EXPECT_EQ(d.FileName(), Dir("clip.avi"));

  // Closing gives False; without CheckFileExists any typed name is taken.
  WhenShown([&](TCustomForm* f) { QueueClose(f); });
  EXPECT_FALSE(d.Execute());
  d.CheckFileExists = false;
  d.DefaultExt.clear();
  d.Filter = u"Video|*.avi;*.mp4|All|*.*";
  WhenShown([&](TCustomForm*) { Type(d.DlgForm(), u"new"); });
  EXPECT_TRUE(d.Execute());
  EXPECT_EQ(d.FileName(), Dir("new.avi"));
}

// As a user does it: the folder's path typed into the name field with Enter
// opens it; a name typed over whatever the field shows, with Enter, gives
// exactly that file, whichever item the list has selected (none, another
// clip, one whose name starts or ends the typed one) and whatever the list
// does meanwhile (a re-read of the folder keeps its selection).
TEST_F(OpenDialogTest, ATypedNameWinsOverTheListsSelection) {
  const fs::path clips = dir / "剪辑 片段";
  fs::create_directories(clips);
  for (const char* n : {"a.avi", "a.avi.avi", "clip 1.avi", "clip 10.avi", "旅行 一.avi", "旅行 一二.avi"})
    std::ofstream(clips / n) << "x";
  const String folder = rtl::Utf8ToString(clips.string());
  const struct {
    const char16_t* selected;  // clicked in the list before typing; nullptr: none
    const char16_t* typed;     // nullptr: the field is left as the list wrote it
    const char16_t* expected;
    bool refresh;              // the folder is re-read while the name is typed
    bool multi;                // MultiSelection
  } cases[] = {
      {nullptr, u"clip 1.avi", u"clip 1.avi", false, false},
      {nullptr, u"旅行 一二.avi", u"旅行 一二.avi", true, false},
      {nullptr, u"clip 10.avi", u"clip 10.avi", true, true},
      {u"clip 10.avi", u"clip 1.avi", u"clip 1.avi", false, false},
      {u"clip 1.avi", u"clip 10.avi", u"clip 10.avi", true, false},
      {u"a.avi.avi", u"a.avi", u"a.avi", false, true},
      {u"a.avi", u"a.avi.avi", u"a.avi.avi", true, false},
      {u"旅行 一.avi", u"旅行 一二.avi", u"旅行 一二.avi", false, false},
      {u"旅行 一二.avi", nullptr, u"旅行 一二.avi", false, false},
      {u"旅行 一二.avi", nullptr, u"旅行 一二.avi", true, true},
  };
  for (const auto& c : cases) {
    const std::string label = rtl::StringToUtf8(String(c.typed ? c.typed : u"-"));
    TbsSkinOpenDialog d(nullptr);
    d.InitialDir = Dir();
    d.Filter = u"视频文件|*.avi|所有文件|*.*";
    d.MultiSelection = c.multi;
    String afterFolder, beforeEnter;
    WhenShown([&](TCustomForm*) {
      auto* F = d.DlgForm();
      F->FileNameEdit->SetFocus();
      win::headless::TypeText(folder);
      QueueKey(VK_RETURN);
      Pump();
      EXPECT_EQ(F->FileListView->Path(), folder) << label;
      afterFolder = F->FileNameEdit->Text();
      if (c.selected) Select(F, c.selected);
      if (!c.typed && c.refresh) F->FileListView->Refresh();
      if (c.typed) {
        F->FileNameEdit->SelectAll();
        const String typed = c.typed;
        win::headless::TypeText(typed.substr(0, 3));
        Pump();
        if (c.refresh) F->FileListView->Refresh();
        win::headless::TypeText(typed.substr(3));
        Pump();
      }
      beforeEnter = F->FileNameEdit->Text();
      QueueKey(VK_RETURN);
      Pump();
      if (F->ModalResult() == forms::mrNone) F->SetModalResult(forms::mrCancel);  // refused: the case fails
    });
    EXPECT_TRUE(d.Execute()) << label;
    // The path stays in the field: opening the folder selects nothing.
    EXPECT_EQ(afterFolder, folder) << label;
    if (c.typed) {
      EXPECT_EQ(beforeEnter, String(c.typed)) << label;
    }
    EXPECT_EQ(d.FileName(), folder + u"/" + c.expected) << label;
    ASSERT_EQ(d.Files()->Count(), 1) << label;
    EXPECT_EQ(d.Files()->Strings(0), d.FileName()) << label;
  }
}

TEST_F(OpenDialogTest, FiltersMatchWithoutCaseAndTheChoiceIsRemembered) {
  TbsSkinOpenDialog d(nullptr);
  d.InitialDir = Dir();
  d.Filter = u"Video|*.avi;*.mp4|All|*.*";
  d.FilterIndex = 2;
  std::vector<String> all, video, typed;
  String face;
  WhenShown([&](TCustomForm*) {
    auto* F = d.DlgForm();
    face = F->FilterComboBox->Text();
    all = Shown(F);
    F->FilterComboBox->SetItemIndex(0);
    video = Shown(F);
    Type(F, u"*.MP4");  // filters the list, keeps the file type
    typed = Shown(F);
    EXPECT_EQ(F->ModalResult(), forms::mrNone);
    QueueKey(VK_ESCAPE);
  });
  EXPECT_FALSE(d.Execute());
  EXPECT_EQ(face, u"All");
  EXPECT_EQ(all, (std::vector<String>{u"a.mp4", u"b.MP4", u"c.txt", u"clip.avi", u"sub"}));
  EXPECT_EQ(video, (std::vector<String>{u"a.mp4", u"b.MP4", u"clip.avi", u"sub"}));
  EXPECT_EQ(typed, (std::vector<String>{u"a.mp4", u"b.MP4", u"sub"}));
  EXPECT_EQ(d.FilterIndex, 1);

  // Out of range opens with the first entry.
  for (int index : {0, 3}) {
    d.FilterIndex = index;
    WhenShown([&](TCustomForm*) {
      face = d.DlgForm()->FilterComboBox->Text();
      QueueKey(VK_ESCAPE);
    });
    d.Execute();
    EXPECT_EQ(face, u"Video") << index;
    EXPECT_EQ(d.FilterIndex, 1);
  }
}

TEST_F(OpenDialogTest, MultiSelectionReturnsFilesInListOrder) {
  TbsSkinOpenDialog d(nullptr);
  d.InitialDir = Dir();
  d.MultiSelection = true;
  d.Files()->Add(u"stale");
  WhenShown([&](TCustomForm*) {
    auto* F = d.DlgForm();
    EXPECT_TRUE(F->FileListView->MultiSelect());
    Select(F, u"c.txt");
    Select(F, u"a.mp4");
    Select(F, u"sub");  // folders are not files
    Select(F, u"clip.avi");
    F->FileNameEdit->SetText(u"a.mp4");
    QueueClick(F->OpenButton);
  });
  ASSERT_TRUE(d.Execute());
  std::vector<std::pair<int, String>> expected;
  // List order is the view's order: read it back from a fresh listing.
  std::vector<String> got;
  for (int i = 0; i < d.Files()->Count(); ++i) got.push_back(d.Files()->Strings(i));
  ASSERT_EQ(got.size(), 3u);
  EXPECT_TRUE(std::is_sorted(got.begin(), got.end(), [](const String& a, const String& b) {
    return rtl::AnsiCompareFileName(a, b) < 0;
  }));
  EXPECT_EQ(d.FileName(), got.front());

  // Cancel leaves both alone.
  WhenShown([&](TCustomForm*) { QueueKey(VK_ESCAPE); });
  EXPECT_FALSE(d.Execute());
  EXPECT_EQ(d.Files()->Count(), 3);
}

TEST_F(OpenDialogTest, EnterOpensFoldersAndBackWalksTheHistory) {
  TbsSkinOpenDialog d(nullptr);
  d.InitialDir = Dir();
  std::vector<String> paths;
  WhenShown([&](TCustomForm* f) {
    auto* F = d.DlgForm();
    Type(F, Dir("sub"));
    paths.push_back(F->FileListView->Path());
    Type(F, Dir("nowhere/x"));  // ignored
    paths.push_back(F->FileListView->Path());
    F->UpToolButtonClick(nullptr);
    paths.push_back(F->FileListView->Path());
    F->BackToolButtonClick(nullptr);
    paths.push_back(F->FileListView->Path());
    F->BackToolButtonClick(nullptr);
    paths.push_back(F->FileListView->Path());
    F->BackToolButtonClick(nullptr);  // one entry left: nothing
    paths.push_back(F->FileListView->Path());
    EXPECT_EQ(F->FolderHistory.size(), 1u);
    QueueClose(f);
  });
  d.Execute();
  EXPECT_EQ(paths, (std::vector<String>{Dir("sub"), Dir("sub"), Dir(), Dir("sub"), Dir(), Dir()}));
}

TEST_F(OpenDialogTest, NewFolderNumbersItsNames) {
  TbsSkinOpenDialog d(nullptr);
  d.InitialDir = Dir();
  fs::create_directories(dir / "New Folder");
  WhenShown([&](TCustomForm* f) {
    auto* F = d.DlgForm();
    F->NewFolderToolButtonClick(nullptr);  // "New Folder" exists: nothing
    F->NewFolderToolButtonClick(nullptr);
    QueueClose(f);
  });
  d.Execute();
  EXPECT_TRUE(fs::is_directory(dir / "New Folder(2)"));
  EXPECT_FALSE(fs::exists(dir / "New Folder(3)"));
}

TEST_F(OpenDialogTest, SaveModeAsksBeforeOverwritingAndFollowsTheFileType) {
  std::unique_ptr<TbsOpenDlgForm, rtl::TComponentFree> F(new TbsOpenDlgForm(forms::Application, true, nullptr, false));
  F->FileListView->SetRoot(Dir());
  F->FilterComboBox->SetFilter(u"BMP|*.bmp|JPEG|*.jpg;*.jpeg|All|*.*");
  F->FilterComboBox->SetItemIndex(0);
  F->OverwritePromt = true;
  EXPECT_EQ(F->OpenButton->Caption(), u"&Save");
  F->FileNameEdit->SetText(u"snap.bmp");
  F->FilterComboBox->SetItemIndex(1);
  EXPECT_EQ(F->FileNameEdit->Text(), u"snap.jpg");
  F->FilterComboBox->SetItemIndex(0);
  F->FileNameEdit->SetText(u"snap");
  F->FilterComboBox->SetItemIndex(1);
  EXPECT_EQ(F->FileNameEdit->Text(), u"snap.jpg");

  // An existing name: the warning; Cancel keeps the dialog, OK takes it.
  std::ofstream(dir / "old.jpg") << "x";
  std::vector<String> asked;
  WhenShown([&](TCustomForm*) {
    F->FileNameEdit->SetText(u"old");
    QueueClick(F->OpenButton);
  });
  WhenShown([&](TCustomForm* m) {
    asked.push_back(m->Caption());
    QueueKey(VK_ESCAPE);  // Cancel keeps the dialog open; ask again
    QueueClick(F->OpenButton);
  });
  WhenShown([&](TCustomForm* m) {
    asked.push_back(m->Caption());
    QueueKey(VK_RETURN);
  });
  EXPECT_EQ(F->ShowModal(), forms::mrOk);
  EXPECT_EQ(asked, (std::vector<String>{u"Warning", u"Warning"}));
  EXPECT_EQ(F->FileName, Dir("old"));

  // A name with "*" does nothing.
  F->FileNameEdit->SetText(u"*.jpg");
  F->SetModalResult(forms::mrNone);
  F->OpenButtonClick(nullptr);
  EXPECT_EQ(F->ModalResult(), forms::mrNone);
}

TEST_F(OpenDialogTest, FilterComboParsesPairsAndFeedsItsFileList) {
  TbsSkinFilterComboBox c(form);
  c.SetParent(form);
  EXPECT_EQ(c.Items()->Count(), 1);
  EXPECT_EQ(c.Mask(), u"*.*");
  c.SetFilter(u"A|*.a|B|*.b;*.bb|Dangling");
  EXPECT_EQ(c.Items()->Count(), 2);
  c.SetItemIndex(1);
  EXPECT_EQ(c.Mask(), u"*.b;*.bb");
  c.SetFilter(u"no pipes");
  EXPECT_EQ(c.Items()->Count(), 0);
  EXPECT_EQ(c.Mask(), u"*.*");

  auto* list = new TbsSkinFileListBox(form);
  list->SetParent(form);
  list->SetBounds(0, 0, 200, 200);
  list->SetDirectory(Dir() + u"/");
  c.SetFileList(list);
  c.SetFilter(u"Video|*.mp4|Text|*.TXT");
  std::vector<String> items;
  for (int i = 0; i < list->Items()->Count(); ++i) items.push_back(list->Items()->Strings(i));
  EXPECT_EQ(items, (std::vector<String>{u"a.mp4", u"b.MP4"}));
  c.SetItemIndex(1);
  EXPECT_EQ(list->Mask(), u"*.TXT");
  EXPECT_EQ(list->Items()->Count(), 1);
  list->SetMask(u"*.*");
  EXPECT_EQ(list->Items()->IndexOf(u"[sub]"), -1) << "folders only with bsftDirectory";
  list->SetFileType(TbsFileType{bsftNormal, bsftDirectory});
  EXPECT_NE(list->Items()->IndexOf(u"[sub]"), -1);
  list->SelectFileName(u"CLIP.AVI");
  EXPECT_EQ(list->FileName(), Dir("clip.avi"));
  delete list;
  EXPECT_EQ(c.FileList(), nullptr);
}

// The gallery, and the bottom rows in each look: each label ends a like gap
// before its field and sits centred on the field's height; the fields keep
// their right edges, also when the labels' texts are longer.
TEST_F(OpenDialogTest, GalleryAndLabelsKeepAGapToTheirFields) {
  const struct {
    std::u16string skin;
    std::string name;
    bool longTexts;
  } looks[] = {{u"", "plain", false},
               {u"金属光泽", "metal", false},
               {u"OFFICE2007蓝色", "office2007blue", false},
               {u"Mac风格", "mac", false},
               {u"金属光泽", "metal_longlabels", true}};
  for (const auto& l : looks) {
    TbsSkinData* s = l.skin.empty() ? nullptr : StoredSkin(l.skin);
    if (l.longTexts) s->SetResourceStrData(Strings({u"MSG_FILENAME=要打开的文件名:", u"MSG_FILETYPE=类型:"}));
    TbsSkinOpenDialog d(nullptr);
    d.SetSkinData(s);
    d.SetCtrlSkinData(s);
    d.Title = u"打开文件";
    d.InitialDir = Dir();
    d.Filter = u"视频文件|*.avi;*.mp4|所有文件|*.*";
    WhenShown([&](TCustomForm* f) {
      auto* F = d.DlgForm();
      Select(F, u"clip.avi");
      Pump();
      const std::pair<TbsSkinStdLabel*, forms::TControl*> rows[] = {{F->OpenFileLabel, F->FileNameEdit},
                                                                     {F->FileTypeLabel, F->FilterComboBox}};
      const int gap = F->FileNameEdit->Left() - (F->OpenFileLabel->Left() + F->OpenFileLabel->Width());
      for (auto [label, field] : rows) {
        EXPECT_GT(label->Width(), 0) << l.name;
        EXPECT_GE(field->Left() - (label->Left() + label->Width()), 8) << l.name;
        EXPECT_EQ(field->Left(), F->FileNameEdit->Left()) << l.name;
        EXPECT_EQ(field->Left() + field->Width(), f->ClientWidth() - 90) << l.name;
        EXPECT_NEAR(label->Top() + label->Height() / 2.0, field->Top() + field->Height() / 2.0, 1) << l.name;
      }
      EXPECT_GE(gap, 8) << l.name;
      EXPECT_TRUE(forms::RenderToPng(f, PicturePath("opendialog_" + l.name)));
      CheckDialogLooks(f, "opendialog", l.skin.empty());
      QueueKey(VK_ESCAPE);
    });
    d.Execute();
  }
}

}  // namespace
}  // namespace dlgtest
