// Gallery of the edits and up-down buttons in three stored skins and plain,
// written as PNG files to the build folder.
#include <cstdlib>

#include "platform/forms/FormRender.h"
#include "platform/forms/ImgList.h"
#include "platform/rtl/Strings.h"
#include "tests/skin/controls/EditsTestUtil.h"

namespace skinctltest {
namespace {

std::string PictureDir() {
  const char* d = std::getenv("TVL_TEST_PICTURES");
  return d ? d : ".";
}

class EditsGalleryTest : public EditsTest {
 protected:
  TbsSkinEdit* AddEdit(int x, int y, int w, const char16_t* text) {
    auto* e = Make<TbsSkinEdit>(form, x, y, w, 20);
    e->SetText(text);
    edits.push_back(e);
    return e;
  }
  TbsSkinUpDown* AddUpDown(int x, int y, int w, int h) {
    auto* u = Make<TbsSkinUpDown>(form, x, y, w, h);
    ups.push_back(u);
    return u;
  }
  void Build(TbsSkinData* skin) {
    form->SetBounds(100, 100, 460, 300);
    form->SetCaption(u"Edits");
    AddEdit(10, 10, 300, u"/home/用户/Tavrel视频软件/输出");
    auto* ro = AddEdit(10, 40, 300, u"只读：可以选择和复制");
    ro->SetReadOnly(true);
    auto* be = AddEdit(10, 70, 300, u"带按钮的编辑框");
    be->SetSkinDataName(u"buttonedit");
    be->SetButtonMode(true);
    auto* dis = AddEdit(10, 100, 300, u"禁用的编辑框");
    dis->SetEnabled(false);
    auto* img = AddEdit(10, 130, 300, u"图像按钮");
    images = std::make_unique<forms::TCustomImageList>(nullptr, 14, 14);
    gdi::TBitmap strip(28, 14);
    strip.Canvas()->Brush()->SetColor(0x2080E0);
    strip.Canvas()->FillRect({0, 0, 14, 14});
    strip.Canvas()->Brush()->SetColor(0x40A040);
    strip.Canvas()->Ellipse(16, 2, 26, 12);
    images->Add(&strip, nullptr);
    img->SetImages(images.get());
    img->SetLeftImageIndex(0);
    img->SetRightImageIndex(1);
    auto* right = AddEdit(10, 160, 300, u"右对齐 123");
    right->SetAlignment(forms::taRightJustify);
    auto* big = AddEdit(10, 190, 300, u"字体决定高度 Font height");
    big->SetUseSkinFont(false);
    big->DefaultFont()->SetHeight(20);
    big->SetDefaultHeight(0);
    hot = AddEdit(10, 230, 300, u"指针在上面");
    AddUpDown(330, 10, 50, 25);
    auto* v = AddUpDown(330, 50, 20, 40);
    v->SetOrientation(udVertical);
    v->SetSkinDataName(u"vupdown");
    auto* r = AddUpDown(330, 110, 80, 24);
    r->UseSkinSize = false;
    auto* rv = AddUpDown(420, 110, 24, 60);
    rv->UseSkinSize = false;
    rv->SetOrientation(udVertical);
    AddUpDown(330, 150, 50, 25)->SetPosition(3);
    if (!skin) return;
    for (auto* e : edits) e->SetSkinData(skin);
    for (auto* u : ups) u->SetSkinData(skin);
  }
  std::vector<TbsSkinEdit*> edits;
  std::vector<TbsSkinUpDown*> ups;
  std::unique_ptr<forms::TCustomImageList> images;
  TbsSkinEdit* hot = nullptr;
};

TEST_F(EditsGalleryTest, EditsAndUpDownsInThreeSkinsAndPlain) {
  struct Look {
    std::u16string skin;
    std::string file;
  } looks[] = {{u"", "skin_edits_plain.png"},
               {u"金属光泽", "skin_edits_metal.png"},
               {u"OFFICE2007蓝色", "skin_edits_office2007blue.png"},
               {u"Mac风格", "skin_edits_mac.png"}};
  for (const auto& l : looks) {
    std::unique_ptr<TbsCompressedStoredSkin> stored;
    if (!l.skin.empty()) {
      const int i = StoredIndex(l.skin);
      ASSERT_GE(i, 0);
      stored = StoredFrom(i);
      sd = std::make_unique<TbsSkinData>(nullptr);
      sd->LoadCompressedStoredSkin(stored.get());
      for (const char16_t* n : {u"edit", u"buttonedit", u"hupdown", u"vupdown", u"resizebutton"})
        if (sd->GetControlIndex(n) < 0) ADD_FAILURE() << rtl::StringToUtf8(l.skin) << " lacks " << rtl::StringToUtf8(n);
    }
    delete form;
    edits.clear();
    ups.clear();
    form = new TForm(forms::Application);
    form->AfterConstruction();
    Build(l.skin.empty() ? nullptr : sd.get());
    form->Show();
    Pump();
    edits[0]->SetFocus();
    edits[0]->SetSelStart(6);
    edits[0]->SetSelLength(4);
    Move(WinScr(hot, 100, 10));
    Pump();
    const std::string path = PictureDir() + "/" + l.file;
    EXPECT_TRUE(forms::RenderToPng(form, path)) << path;
    delete form;
    form = nullptr;
    sd.reset();
    form = new TForm(forms::Application);
  }
}

}  // namespace
}  // namespace skinctltest
