// Gallery of the link label and the page control (tabs on every side, the
// settings dialog's four tabs, close buttons, images) in three stored skins
// and in the plain look, written as PNG files to the build folder.
#include <cstdlib>

#include "platform/forms/FormRender.h"
#include "platform/rtl/Strings.h"
#include "skin/controls/bsSkinLinkLabel.h"
#include "skin/controls/bsSkinPageControl.h"
#include "tests/skin/controls/PagesTestUtil.h"

namespace skinctltest {
namespace {

std::string PictureDir() {
  const char* d = std::getenv("TVL_TEST_PICTURES");
  return d ? d : ".";
}

class PagesGalleryTest : public PagesTest {
 protected:
  TbsSkinPageControl* Pages(int x, int y, int w, int h, TTabPosition pos, std::initializer_list<const char16_t*> captions) {
    auto* pc = new TbsSkinPageControl(form);
    pc->SetBounds(x, y, w, h);
    pc->SetParent(form);
    pc->SetTabPosition(pos);
    for (const char16_t* c : captions) {
      auto* s = new TbsSkinTabSheet(form);
      s->SetCaption(c);
      s->SetPageControl(pc);
    }
    all.push_back(pc);
    return pc;
  }

  TbsSkinLinkLabel* Link(forms::TWinControl* parent, int y, const char16_t* caption) {
    auto* l = new TbsSkinLinkLabel(form);
    l->SetParent(parent);
    l->SetBounds(20, y, 10, 10);
    l->SetCaption(caption);
    links.push_back(l);
    return l;
  }

  void Build(TbsSkinData* skin) {
    form->SetBounds(100, 100, 720, 560);
    form->SetCaption(u"Pages");
    // The settings dialog's control.
    auto* settings = Pages(8, 8, 625, 222, tpTop, {u"标准参数设置", u"剪辑设置", u"滤镜设置", u"文字水印"});
    settings->SetTabSpacing(1);
    auto* page = settings->Pages(0);
    Link(page, 20, u"http://www.example.com");
    hotLabel = Link(page, 50, u"mailto:support@example.com");
    glowLabel = Link(page, 80, u"发光链接");
    glowLabel->SetGlowEffect(true);
    Link(page, 120, u"禁用的链接")->SetEnabled(false);

    auto* bottom = Pages(8, 240, 300, 130, tpBottom, {u"底部一", u"底部二", u"三"});
    bottom->SetShowCloseButtons(true);
    auto* left = Pages(320, 240, 190, 150, tpLeft, {u"左一", u"左二", u"左三"});
    (void)left;
    auto* right = Pages(520, 240, 190, 150, tpRight, {u"右一", u"右二"});
    right->SetTextInHorizontal(true);
    right->SetTabHeight(34);  // horizontal captions need a thicker tab
    auto* narrow = Pages(8, 380, 230, 100, tpTop, {u"第一页", u"第二页", u"第三页", u"第四页", u"第五页"});
    (void)narrow;
    auto* multi = Pages(250, 400, 240, 130, tpTop, {u"多行一", u"多行二", u"多行三", u"多行四", u"多行五"});
    multi->SetMultiLine(true);
    multi->SetActivePage(multi->Pages(1));
    if (skin) {
      for (auto* p : all) p->SetSkinData(skin);
      for (auto* l : links) l->SetSkinData(skin);
    }
    hotTabs = settings;
    bottom->SetActivePage(bottom->Pages(1));
  }

  std::vector<TbsSkinPageControl*> all;
  std::vector<TbsSkinLinkLabel*> links;
  TbsSkinPageControl* hotTabs = nullptr;
  TbsSkinLinkLabel* hotLabel = nullptr;
  TbsSkinLinkLabel* glowLabel = nullptr;
};

TEST_F(PagesGalleryTest, PagesAndLinksInThreeSkinsAndPlain) {
  struct Look {
    std::u16string skin;
    std::string file;
  } looks[] = {{u"", "skin_pages_plain.png"},
               {u"金属光泽", "skin_pages_metal.png"},
               {u"OFFICE2007蓝色", "skin_pages_office2007blue.png"},
               {u"Mac风格", "skin_pages_mac.png"}};
  std::vector<testsupport::TShot> plain;
  for (const auto& l : looks) {
    LoadedSkin loaded;
    if (!l.skin.empty()) {
      loaded = LoadStoredSkin(l.skin);
      ASSERT_TRUE(loaded.Data) << rtl::StringToUtf8(l.skin);
      for (const char16_t* n : {u"tab", u"stdlabel"})
        if (loaded.Data->GetControlIndex(n) < 0)
          ADD_FAILURE() << rtl::StringToUtf8(l.skin) << " lacks " << rtl::StringToUtf8(n);
    }
    delete form;
    all.clear();
    links.clear();
    form = new TForm(forms::Application);
    form->AfterConstruction();
    Build(loaded.Data.get());
    form->Show();
    Pump();
    // One hot tab, one hovered link and the glowing one hovered in turn.
    TRect r;
    hotTabs->GetItemRect(2, r);
    win::headless::MouseMove(hotTabs->ClientToScreen({(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2}));
    Pump();
    const std::string path = PictureDir() + "/" + l.file;
    EXPECT_TRUE(forms::RenderToPng(form, path)) << path;
    // Each look it shows is drawn: the hot tab, the hovered and the glowing
    // link differ from themselves without the pointer; a skinned page
    // control differs from the plain one.
    SCOPED_TRACE(l.file);
    const testsupport::TShot hotTab = testsupport::Shot(hotTabs), link = testsupport::Shot(hotLabel);
    for (std::size_t i = 0; i < all.size(); ++i) {
      if (l.skin.empty())
        plain.push_back(testsupport::Shot(all[i]));
      else if (i < plain.size()) {
        EXPECT_GT(testsupport::Changed(testsupport::Shot(all[i]), plain[i]), 0.0) << "page control " << i;
      }
    }
    Enter(hotLabel);
    EXPECT_TRUE(forms::RenderToPng(form, PictureDir() + "/hover_" + l.file));
    EXPECT_GT(testsupport::Changed(testsupport::Shot(hotTabs), hotTab), 0.0) << "the hot tab";
    const testsupport::TShot hovered = testsupport::Shot(hotLabel), glow = testsupport::Shot(glowLabel);
    EXPECT_GT(testsupport::Changed(hovered, link), 0.0) << "the hovered link";
    Enter(glowLabel);
    EXPECT_TRUE(forms::RenderToPng(form, PictureDir() + "/glow_" + l.file));
    EXPECT_GT(testsupport::Changed(testsupport::Shot(glowLabel), glow), 0.0) << "the glowing link";
    delete form;
    form = nullptr;
    all.clear();
    links.clear();
    form = new TForm(forms::Application);
  }
}

}  // namespace
}  // namespace skinctltest
