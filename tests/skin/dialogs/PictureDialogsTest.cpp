// The open- and save-picture dialogs: the preview of a selected picture at
// its natural size, no picture and no message for a file that does not
// decode, the remembered stretch state and column width, and the save
// dialog's extension. Pictures are made with ffmpeg at test time.
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/rtl/FileSys.h"
#include "skin/dialogs/bsPictureDialogs.h"
#include "platform/gdi/ImageFormats.h"
#include "tests/platform/gdi/PictureFixtures.h"
#include "tests/skin/dialogs/DialogsTestUtil.h"

namespace dlgtest {
namespace {

using forms::TCustomForm;
namespace fs = std::filesystem;

class PictureDialogsTest : public DialogsTest {
 protected:
  void SetUp() override {
    DialogsTest::SetUp();
    dir = fs::temp_directory_path() / ("tvl_pic_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir / "sub");
    for (const char* ext : {"png", "jpg", "bmp", "gif"}) {
      const std::string cmd = "ffmpeg -loglevel error -y -f lavfi -i testsrc=size=64x48 -frames:v 1 " +
                              (dir / (std::string("pic.") + ext)).string();
      haveFfmpeg = haveFfmpeg && std::system(cmd.c_str()) == 0;
    }
    std::ofstream(dir / "bad.jpg") << "not a picture";
  }
  void TearDown() override {
    fs::remove_all(dir);
    DialogsTest::TearDown();
  }
  String Dir(const std::string& sub = "") { return rtl::Utf8ToString((sub.empty() ? dir : dir / sub).string()); }
  void Select(TbsOpenDlgForm* F, const String& name) {
    for (int i = 0; i < F->FileListView->FolderCount(); ++i) {
      F->FileListView->Items()->Items(i)->SetSelected(F->FileListView->FolderAt(i)->DisplayName() == name);
    }
    F->FLVChange(nullptr);
  }

  fs::path dir;
  bool haveFfmpeg = true;
};

TEST_F(PictureDialogsTest, PreviewShowsDecodablePicturesAndNothingElse) {
  if (!haveFfmpeg) GTEST_SKIP() << "ffmpeg is not available";
  TbsSkinOpenPictureDialog d(nullptr);
  d.InitialDir = Dir();
  d.Filter = u"Pictures|*.png;*.jpg;*.bmp;*.gif|All|*.*";
  std::vector<std::string> seen, shown;
  forms::Application->OnException = [&](rtl::TObject*, const std::exception& e) {
    const auto* re = dynamic_cast<const rtl::Exception*>(&e);
    shown.push_back(re ? rtl::StringToUtf8(re->Message()) : e.what());
  };
  TSize client{};
  int column = 0;
  WhenShown([&](TCustomForm* f) {
    auto* F = d.DlgForm();
    client = {f->ClientWidth(), f->ClientHeight()};
    column = F->ImagePanel->Width();
    for (const char16_t* n : {u"pic.png", u"pic.jpg", u"pic.bmp", u"pic.gif", u"bad.jpg", u"sub"}) {
      Select(F, n);
      seen.push_back(rtl::StringToUtf8(n) + " " + std::to_string(F->Image->Width()) + "x" +
                     std::to_string(F->Image->Height()) + " '" + rtl::StringToUtf8(F->FileNameEdit->Text()) + "'");
    }
    // The damaged file's error reached the error display; the dialog is still open.
    EXPECT_EQ(shown.size(), 1u);
    EXPECT_TRUE(f->Visible());
    F->StretchButton->SetDown(true);
    F->StretchButtonClick(F->StretchButton);
    F->ImagePanel->SetWidth(230);
    QueueKey(VK_ESCAPE);
  });
  EXPECT_FALSE(d.Execute());
  EXPECT_EQ(client.cx, 550);
  EXPECT_EQ(client.cy, 290);
  EXPECT_EQ(column, 190);
  EXPECT_EQ(seen, (std::vector<std::string>{"pic.png 64x48 'pic.png'", "pic.jpg 64x48 'pic.jpg'",
                                            "pic.bmp 64x48 'pic.bmp'", "pic.gif 64x48 'pic.gif'",
                                            "bad.jpg 64x48 'bad.jpg'", "sub 0x0 ''"}))
      << "the preview keeps the picture it had";
  forms::Application->OnException = nullptr;
  EXPECT_TRUE(d.DialogStretch());
  EXPECT_EQ(d.ImagePanelWidth(), 230);

  // The next run opens stretched, with the column as left, showing FileName.
  bool down = false, stretched = false;
  d.FileName = Dir("pic.png");
  WhenShown([&](TCustomForm*) {
    auto* F = d.DlgForm();
    down = F->StretchButton->Down();
    stretched = F->Image->Stretch() && F->Image->Width() == F->ScrollBox->ClientWidth();
    column = F->ImagePanel->Width();
    EXPECT_EQ(F->Image->Picture()->Width(), 64);
    QueueKey(VK_RETURN);
  });
  EXPECT_TRUE(d.Execute());
  EXPECT_TRUE(down);
  EXPECT_TRUE(stretched);
  EXPECT_EQ(column, 230);
  EXPECT_EQ(d.FileName, Dir("pic.png"));
}

TEST_F(PictureDialogsTest, SaveDialogAddsTheFileTypesExtension) {
  TbsSkinSavePictureDialog d(nullptr);
  EXPECT_EQ(d.Title, u"Save file");
  d.InitialDir = Dir();
  d.Filter = u"BMP|*.bmp|JPEG|*.jpg|All|*.*";
  const struct {
    int filterIndex;
    const char16_t* typed;
    const char* expected;
  } cases[] = {{1, u"snap", "snap.bmp"}, {2, u"snap", "snap.jpg"}, {3, u"snap", "snap"}, {1, u"new.png", "new.png"}};
  for (const auto& c : cases) {
    d.FilterIndex = c.filterIndex;
    WhenShown([&](TCustomForm*) {
      EXPECT_EQ(d.DlgForm()->OpenButton->Caption(), u"&Save");
      d.DlgForm()->FileNameEdit->SetText(c.typed);
      QueueKey(VK_RETURN);
    });
    EXPECT_TRUE(d.Execute());
    EXPECT_EQ(d.FileName, Dir(c.expected)) << c.expected;
  }
}

// One small picture of each format the default filter offers, and TIFF:
// the preview shows it at its size with its colours; the pictures go to the
// gallery folder to be looked at.
TEST_F(PictureDialogsTest, PreviewShowsIcoTiffWmfAndEmf) {
  using namespace gdi::fixtures;
  auto write = [&](const std::string& name, const Bytes& b) {
    std::ofstream(dir / name, std::ios::binary).write(reinterpret_cast<const char*>(b.data()), std::streamsize(b.size()));
  };
  gdi::Surface tiff(30, 20, 32);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x) tiff.Row32(y)[x] = x < 15 ? 0xFFFF0000u : 0xFF0000FFu;
  write("pic.tif", gdi::EncodeTiff(tiff, false));
  write("pic.ico", Ico({{DibEntry(24, 0xFFFF0000, 0xFF0000FF, false), {4, 2}},
                        {DibEntry(32, 0xFFFF0000, 0xFF0000FF, true), {4, 2}}}));
  TWmf wmf;
  wmf.rec(0x02FC, {0, 0x00FF, 0x0000, 0});  // red brush
  wmf.rec(0x012D, {0});
  wmf.rec(0x041B, {40, 40, 0, 0});
  write("pic.wmf", wmf.Build(true, 40, 30));
  TEmf emf;
  emf.rec(39, {1, 0, 0xFF0000, 0});  // blue brush
  emf.rec(37, {1});
  emf.rec(43, {0, 0, 40, 40});
  write("pic.emf", emf.Build());
  write("broken.emf", {1, 0, 0, 0});

  TbsSkinOpenPictureDialog d(nullptr);
  d.InitialDir = Dir();
  EXPECT_NE(d.Filter.find(u"|*.bmp;*.ico;*.emf;*.wmf|"), String::npos) << "the default filter offers them";
  d.Filter += u"|TIFF|*.tif";
  std::vector<String> errors;
  forms::Application->OnException = [&](rtl::TObject*, const std::exception& e) {
    const auto* re = dynamic_cast<const rtl::Exception*>(&e);
    errors.push_back(re ? re->Message() : String());
  };
  struct Want {
    const char16_t* name;
    int w, h;
    std::uint32_t centre;
  } wants[] = {{u"pic.ico", 4, 2, 0xFF0000}, {u"pic.tif", 30, 20, 0xFF0000}, {u"pic.wmf", 40, 30, 0xFF0000},
               {u"pic.emf", 151, 151, 0x0000FF}};
  WhenShown([&](TCustomForm* f) {
    auto* F = d.DlgForm();
    F->FilterComboBox->SetItemIndex(0);
    F->FileListView->SetMask(u"*.*");
    for (const Want& w : wants) {
      Select(F, w.name);
      EXPECT_EQ(F->Image->Width(), w.w) << rtl::StringToUtf8(w.name);
      EXPECT_EQ(F->Image->Height(), w.h) << rtl::StringToUtf8(w.name);
      gdi::TBitmap b(w.w, w.h);
      b.Canvas()->Brush()->SetColor(0xFFFFFF);
      b.Canvas()->FillRect({0, 0, w.w, w.h});
      b.Canvas()->StretchDraw({0, 0, w.w, w.h}, F->Image->Picture()->Graphic());
      EXPECT_EQ(b.GetSurface()->GetPixel(1, 1) & 0xFFFFFF, w.centre) << rtl::StringToUtf8(w.name);
      Pump();
      EXPECT_TRUE(forms::RenderToPng(f, PicturePath("picturedialog_preview_" + rtl::StringToUtf8(w.name))));
    }
    Select(F, u"broken.emf");
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(rtl::StringToUtf8(errors[0]).find("metafile"), std::string::npos) << rtl::StringToUtf8(errors[0]);
    QueueKey(VK_ESCAPE);
  });
  EXPECT_FALSE(d.Execute());
  forms::Application->OnException = nullptr;

  // A FileName that cannot be read: the error leaves Execute after the form is gone.
  int closes = 0;
  d.OnClose = [&](rtl::TObject*) { ++closes; };
  d.FileName = Dir("broken.emf");
  EXPECT_THROW(d.Execute(), rtl::EInvalidGraphic);
  EXPECT_EQ(closes, 1);
  EXPECT_EQ(d.DlgForm(), nullptr);
}

TEST_F(PictureDialogsTest, Gallery) {
  if (!haveFfmpeg) GTEST_SKIP() << "ffmpeg is not available";
  const struct {
    std::u16string skin;
    std::string name;
  } looks[] = {{u"", "plain"}, {u"金属光泽", "metal"}, {u"OFFICE2007蓝色", "office2007blue"}, {u"Mac风格", "mac"}};
  for (const auto& l : looks) {
    TbsSkinData* s = l.skin.empty() ? nullptr : StoredSkin(l.skin);
    TbsSkinSavePictureDialog d(nullptr);
    d.SetSkinData(s);
    d.SetCtrlSkinData(s);
    d.InitialDir = Dir();
    d.Filter = u"PNG|*.png|All|*.*";
    WhenShown([&](TCustomForm* f) {
      Select(d.DlgForm(), u"pic.png");
      Pump();
      EXPECT_TRUE(forms::RenderToPng(f, PicturePath("picturedialog_" + l.name)));
      CheckDialogLooks(f, "picturedialog", l.skin.empty());
      QueueKey(VK_ESCAPE);
    });
    d.Execute();
  }
}

}  // namespace
}  // namespace dlgtest
