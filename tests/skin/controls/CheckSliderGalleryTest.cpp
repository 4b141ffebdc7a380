// Gallery: check and radio boxes, labels, sliders and splitters on one form,
// in three stored skins and in the plain look, written as PNG files to the
// build folder.
#include <cstdlib>
#include <functional>

#include "platform/forms/FormRender.h"
#include "platform/rtl/Strings.h"
#include "skin/controls/bsSkinCheckRadio.h"
#include "skin/controls/bsSkinLabels.h"
#include "skin/controls/bsSkinPanels.h"
#include "skin/controls/bsSkinSlider.h"
#include "skin/controls/bsSkinSplitter.h"
#include "tests/skin/controls/SkinControlsTestUtil.h"

namespace skinctltest {
namespace {

std::string PictureDir() {
  const char* d = std::getenv("TVL_TEST_PICTURES");
  return d ? d : ".";
}

class CheckSliderGalleryTest : public SkinControlsTest {
 protected:
  TbsSkinCheckRadioBox* Box(forms::TWinControl* p, int x, int y, const char16_t* caption, bool radio) {
    auto* b = Make<TbsSkinCheckRadioBox>(p, x, y, 150, 25, caption);
    b->SetRadio(radio);
    if (radio) {
      b->SetSkinDataName(u"radiobox");
      b->GroupIndex = 1;
    }
    return b;
  }

  void Build(TbsSkinData* skin) {
    form->SetBounds(100, 100, 640, 420);
    form->SetCaption(u"Gallery");

    // Options-dialog-like panel: radio groups and check boxes (flat).
    auto* opts = Make<TbsSkinPanel>(form, 8, 8, 300, 250);
    auto* r1 = Box(opts, 10, 10, u"同时转换一个文件", true);
    Box(opts, 10, 36, u"同时转换多个文件", true);
    r1->SetChecked(true);
    auto* rd = Box(opts, 10, 62, u"禁用的单选", true);
    rd->SetEnabled(false);
    auto* c1 = Box(opts, 10, 92, u"转换时预览", false);
    c1->SetChecked(true);
    auto* c2 = Box(opts, 10, 118, u"覆盖已有文件", false);
    c2->SetCanFocused(true);
    auto* cg = Box(opts, 10, 144, u"部分选中", false);
    cg->SetState(cbGrayed);
    auto* cd = Box(opts, 160, 92, u"禁用选中", false);
    cd->SetChecked(true);
    cd->SetEnabled(false);
    auto* framed = Box(opts, 10, 176, u"带框的复选框", false);
    framed->SetFlat(false);
    framed->SetChecked(true);
    auto* wrap = Box(opts, 160, 10, u"一段很长的文字会自动换行显示在这里", false);
    wrap->SetWordWrap(true);
    wrap->SetBounds(160, 10, 130, 50);

    // Labels.
    auto* std1 = Make<TbsSkinStdLabel>(form, 320, 10, 10, 10, u"标准标签");
    (void)std1;
    auto* stdDis = Make<TbsSkinStdLabel>(form, 420, 10, 10, 10, u"禁用标签");
    stdDis->SetEnabled(false);
    auto* ell = Make<TbsSkinStdLabel>(form, 320, 32, 10, 10, u"/home/user/视频/一个很长的文件夹/clip.mp4");
    ell->SetAutoSize(false);
    ell->SetBounds(320, 32, 180, 18);
    ell->SetEllipsType(bsetPathEllips);
    auto* text = Make<TbsSkinTextLabel>(form, 320, 56, 65, 65);
    text->Lines()->Add(u"输出目录:");
    text->Lines()->Add(u"第二行文字");

    // The preview seek bar and more sliders.
    auto* seek = Make<TbsSkinSlider>(form, 320, 110, 200, 31);
    seek->SetOptions({soShowFocus, soSmooth});
    seek->SetTransparent(true);
    seek->SetMaxValue(1000);
    seek->SetValue(380);
    auto* pts = Make<TbsSkinSlider>(form, 320, 146, 200, 40);
    pts->SetValue(70);
    auto* dis = Make<TbsSkinSlider>(form, 320, 190, 200, 40);
    dis->SetValue(30);
    dis->SetEnabled(false);
    auto* vert = Make<TbsSkinSlider>(form, 560, 10, 150, 40);
    vert->SetOrientation(soVertical);
    vert->SetValue(40);

    // Splitters between panes.
    auto* host = Make<TbsSkinPanel>(form, 8, 266, 300, 110);
    auto* pane = Make<TbsSkinPanel>(host, 0, 0, 100, 110);
    pane->SetAlign(forms::alLeft);
    auto* vs = Make<TbsSkinSplitter>(host, 100, 0, 3, 110);
    vs->SetAlign(forms::alLeft);
    auto* top = Make<TbsSkinPanel>(host, 0, 0, 100, 40);
    top->SetAlign(forms::alTop);
    auto* hs = Make<TbsSkinSplitter>(host, 0, 40, 100, 3);
    hs->SetAlign(forms::alTop);
    hs->SetSkinDataName(u"hsplitter");
    Make<TbsSkinPanel>(host, 0, 0, 10, 10)->SetAlign(forms::alClient);

    if (skin) {
      std::function<void(forms::TWinControl*)> all = [&](forms::TWinControl* w) {
        for (int i = 0; i < w->ControlCount(); ++i) {
          auto* c = w->Controls(i);
          if (auto* s = dynamic_cast<TbsSkinControl*>(c)) s->SetSkinData(skin);
          if (auto* l = dynamic_cast<TbsSkinLabelLook*>(c)) l->SetSkinData(skin);
          if (auto* sp = dynamic_cast<TbsSkinSplitter*>(c)) sp->SetSkinData(skin);
          if (auto* w2 = dynamic_cast<forms::TWinControl*>(c)) all(w2);
        }
      };
      all(form);
    } else {
      vs->ChangeSkinData();
      hs->ChangeSkinData();
    }
    focus = c2;
    hot = c1;
    this->seek = seek;
  }
  forms::TWinControl* focus = nullptr;
  forms::TControl* hot = nullptr;
  TbsSkinSlider* seek = nullptr;
};

TEST_F(CheckSliderGalleryTest, ControlsInThreeSkinsAndPlain) {
  struct Look {
    std::u16string skin;
    std::string file;
  } looks[] = {{u"", "checkslider_plain.png"},
               {u"金属光泽", "checkslider_metal.png"},
               {u"OFFICE2007蓝色", "checkslider_office2007blue.png"},
               {u"Mac风格", "checkslider_mac.png"}};
  for (const auto& l : looks) {
    std::unique_ptr<TbsCompressedStoredSkin> stored;
    if (!l.skin.empty()) {
      const int i = StoredIndex(l.skin);
      ASSERT_GE(i, 0);
      stored = StoredFrom(i);
      sd = std::make_unique<TbsSkinData>(nullptr);
      sd->LoadCompressedStoredSkin(stored.get());
      for (const char16_t* n : {u"checkbox", u"radiobox", u"stdlabel", u"slider", u"vsplitter", u"hsplitter"})
        if (sd->GetControlIndex(n) < 0) ADD_FAILURE() << rtl::StringToUtf8(l.skin) << " lacks " << rtl::StringToUtf8(n);
    }
    delete form;
    form = new TForm(forms::Application);
    form->AfterConstruction();
    Build(l.skin.empty() ? nullptr : sd.get());
    form->Show();
    Pump();
    focus->SetFocus();
    Pump();
    Enter(hot);
    Advance(200);
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
