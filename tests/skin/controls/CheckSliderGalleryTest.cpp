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
    radio = r1;
    auto* rd = Box(opts, 10, 62, u"禁用的单选", true);
    rd->SetEnabled(false);
    auto* c1 = Box(opts, 10, 92, u"转换时预览", false);
    checked = c1;
    c1->SetChecked(true);
    auto* c2 = Box(opts, 10, 118, u"覆盖已有文件", false);
    c2->SetCanFocused(true);
    auto* cg = Box(opts, 10, 144, u"部分选中", false);
    cg->SetState(cbGrayed);
    grayed = cg;
    auto* cd = Box(opts, 160, 92, u"禁用选中", false);
    cd->SetChecked(true);
    cd->SetEnabled(false);
    disabledBox = cd;
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
    disabledSlider = dis;
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
  TbsSkinSlider *seek = nullptr, *disabledSlider = nullptr;
  TbsSkinCheckRadioBox *radio = nullptr, *checked = nullptr, *grayed = nullptr, *disabledBox = nullptr;
};

TEST_F(CheckSliderGalleryTest, ControlsInThreeSkinsAndPlain) {
  RenderGallery(
      "checkslider", {u"checkbox", u"radiobox", u"stdlabel", u"slider", u"vsplitter", u"hsplitter"},
      [this](TbsSkinData* skin) { Build(skin); },
      [this] {
        focus->SetFocus();
        Pump();
        Enter(hot);
        Advance(200);
      },
      [this](const std::string&) {
        using testsupport::ExpectStateShows;
        ExpectStateShows("hot check box", hot, [this] { Leave(), Advance(200); },
                         [this] { Enter(hot), Advance(200); });
        ExpectStateShows("checked radio box", radio, [this] { radio->SetChecked(false); },
                         [this] { radio->SetChecked(true); });
        ExpectStateShows("checked check box", checked, [this] { checked->SetChecked(false); },
                         [this] { checked->SetChecked(true); });
        ExpectStateShows("grayed check box", grayed, [this] { grayed->SetState(cbUnchecked); },
                         [this] { grayed->SetState(cbGrayed); });
        ExpectStateShows("disabled checked box", disabledBox, [this] { disabledBox->SetEnabled(true); },
                         [this] { disabledBox->SetEnabled(false); });
        ExpectStateShows("disabled slider", disabledSlider, [this] { disabledSlider->SetEnabled(true); },
                         [this] { disabledSlider->SetEnabled(false); });
        ExpectStateShows("slider value", seek, [this] { seek->SetValue(900); }, [this] { seek->SetValue(380); });
      });
}

}  // namespace
}  // namespace skinctltest
