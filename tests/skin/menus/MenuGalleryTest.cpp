// Gallery: the snapshot menu with its radio sub-menu open, a shortcut, a
// header, a disabled row and a highlighted row, in three stored skins and the
// plain look, written as PNG files to the build folder.
#include <cstdlib>
#include <fstream>

#include "platform/gdi/PngCodec.h"
#include "tests/skin/menus/MenusTestUtil.h"
#include "tests/support/Looks.h"

namespace skinmenutest {
namespace {

std::string PictureDir() {
  const char* d = std::getenv("TVL_TEST_PICTURES");
  return d ? d : ".";
}

using skinctltest::StoredIndex;

// Every open level drawn at its place on a grey ground.
bool SaveLevels(TbsSkinMenu* m, const std::string& path) {
  const int x0 = m->Windows(0)->Left() - 10, y0 = m->Windows(0)->Top() - 10;
  gdi::TBitmap ground(460, 300);
  ground.Canvas()->Brush()->SetColor(0x808080);
  ground.Canvas()->FillRect({0, 0, 460, 300});
  for (int i = 0; i < m->WindowCount(); ++i) {
    TbsSkinPopupWindow* w = m->Windows(i);
    gdi::TBitmap b(w->Width(), w->Height());
    w->PaintMenu(b.Canvas()->Handle());
    ground.Canvas()->Draw(w->Left() - x0, w->Top() - y0, &b);
  }
  const auto png = gdi::EncodePng(*ground.GetSurface(), false);
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
  return bool(out);
}

TEST_F(MenusTest, GalleryInThreeSkinsAndPlain) {
  Add(menu->Items(), u"添加文件(&A)")->SetShortCut(forms::TShortCut('O' | forms::scCtrl));
  Add(menu->Items(), u"-");
  snapshot = Add(menu->Items(), u"快照格式(&S)");
  for (const char16_t* c : {u"BMP", u"JPEG", u"PNG"}) {
    TMenuItem* r = Add(snapshot, c);
    r->SetRadioItem(true);
  }
  snapshot->Items(1)->SetChecked(true);
  Add(snapshot, u"-");
  Add(snapshot, u"保存到文件夹")->SetChecked(true);
  Add(menu->Items(), u"-选项-")->SetEnabled(false);
  Add(menu->Items(), u"禁用的命令")->SetEnabled(false);
  Add(menu->Items(), u"Minimize")->SetName(u"BSF_MINITEM");
  Add(menu->Items(), u"关闭")->SetShortCut(forms::TShortCut(win::VK_F4 | forms::scAlt));
  forms::TImageList images(form);
  images.SetWidth(16);
  images.SetHeight(16);
  for (rtl::TColor c : {0x0000C0, 0x00A000, 0xC00000, 0x00C0C0}) {
    gdi::TBitmap b(16, 16);
    b.Canvas()->Brush()->SetColor(c);
    b.Canvas()->FillRect({2, 2, 14, 14});
    images.AddMasked(&b, b.Canvas()->Pixels(0, 0));
  }
  TbsSkinImagesMenu im(form);
  im.SetImages(&images);
  im.SetColumnsCount(4);
  im.Items.emplace_back(u"最近的颜色");
  im.Items.back().FHeader = true;
  for (int i = 0; i < 6; ++i) im.Items.emplace_back(u"", i % 4);
  im.Items.emplace_back(u"更多颜色...", 3);
  im.Items.back().FButton = true;
  struct Look {
    std::u16string skin;
    std::string file;
  } looks[] = {{u"", "skin_menus_plain.png"},
               {u"金属光泽", "skin_menus_metal.png"},
               {u"OFFICE2007蓝色", "skin_menus_office2007blue.png"},
               {u"Mac风格", "skin_menus_mac.png"}};
  testsupport::TShot plainTop;
  for (const Look& l : looks) {
    menu->SkinData = nullptr;
    if (!l.skin.empty()) {
      const int i = StoredIndex(l.skin);
      ASSERT_GE(i, 0);
      menu->SkinData = StoredSkin(i);
    }
    SCOPED_TRACE(l.file);
    menu->Popup(150, 150);
    Pump();
    Key('S');
    ASSERT_EQ(Levels(), 2);
    Advance(200);
    const testsupport::TShot plainRows = testsupport::Shot(Level(1));
    Key(win::VK_DOWN);
    EXPECT_EQ(Level(0)->Skinned(), !l.skin.empty()) << l.file;
    Advance(200);  // let row effects settle
    // The highlighted row is drawn; a skinned menu is not drawn as the plain one.
    EXPECT_GT(testsupport::Changed(testsupport::Shot(Level(1)), plainRows), 0.0) << "the highlighted row";
    const testsupport::TShot top = testsupport::Shot(Level(0));
    if (l.skin.empty())
      plainTop = top;
    else
      EXPECT_GT(testsupport::Changed(top, plainTop), 0.0) << "the menu looks as in the plain look";
    const std::string path = PictureDir() + "/" + l.file;
    EXPECT_TRUE(SaveLevels(Engine(), path)) << path;
    Key(win::VK_ESCAPE);
    Key(win::VK_ESCAPE);
    ASSERT_EQ(Levels(), 0);

    // The images menu: a selected cell, a hot one, a header and a button row.
    im.SetSkinData(menu->SkinData);
    im.SetItemIndex(1);
    im.PopupFromRect({150, 150, 150, 150});
    Pump();
    ASSERT_TRUE(im.PopupShown());
    const testsupport::TShot grid = testsupport::Shot(im.PopupWindow());
    im.PopupWindow()->ImagesMenuKeyDown(win::VK_RIGHT);
    im.PopupWindow()->ImagesMenuKeyDown(win::VK_RIGHT);
    im.PopupWindow()->ImagesMenuKeyDown(win::VK_RIGHT);
    EXPECT_GT(testsupport::Changed(testsupport::Shot(im.PopupWindow()), grid), 0.0) << "the hot cell";
    const std::string ipath = PictureDir() + "/" + l.file.substr(0, l.file.size() - 4) + "_images.png";
    EXPECT_TRUE(win::headless::RenderToPng(im.PopupWindow()->Handle(), ipath)) << ipath;
    im.Hide();
    Pump();
  }
}

}  // namespace
}  // namespace skinmenutest
