// Gallery: every control of the library on one form, in three stored skins
// and in the plain look, written as PNG files to the build folder.
#include "skin/controls/bsSkinPanels.h"
#include "tests/skin/controls/SkinControlsTestUtil.h"

namespace skinctltest {
namespace {

class GalleryTest : public SkinControlsTest {
 protected:
  // Lays the controls out on the form; sd is null for the plain look.
  void Build(TbsSkinData* skin) {
    form->SetBounds(100, 100, 560, 420);
    form->SetCaption(u"Gallery");
    auto* bar = Make<TbsSkinToolBar>(form, 0, 0, 560, 40);
    bar->SetSkinDataName(u"resizetoolpanel");
    bar->SetAlign(forms::alTop);
    bar->SetHeight(40);
    bar->CanScroll = true;
    auto* tb1 = Make<TbsSkinSpeedButton>(bar, 4, 0, 70, 30, u"转换");
    tb1->SetSkinDataName(u"resizetoolbutton");
    tb1->UseSkinSize = false;
    tb2 = Make<TbsSkinSpeedButton>(bar, 78, 0, 70, 30, u"停止");
    tb2->SetSkinDataName(u"resizetoolbutton");
    tb2->UseSkinSize = false;
    tb2->SetEnabled(false);
    auto* bev = Make<TbsSkinBevel>(bar, 152, 0, 2, 24);
    bev->SetShape(bsLeftLine);
    auto* mb = Make<TbsSkinMenuSpeedButton>(bar, 158, 0, 80, 30, u"添加");
    mb->SetSkinDataName(u"resizetoolbutton");
    mb->UseSkinSize = false;
    auto* tb3 = Make<TbsSkinSpeedButton>(bar, 242, 0, 70, 30, u"平面");
    tb3->SetSkinDataName(u"resizetoolbutton");
    tb3->UseSkinSize = false;
    tb3->SetFlat(true);
    for (int i = 0; i < 4; ++i) {  // more than fit: the bar shows its scroll buttons
      auto* more = Make<TbsSkinSpeedButton>(bar, 316 + i * 74, 0, 70, 30, u"更多");
      more->SetSkinDataName(u"resizetoolbutton");
      more->UseSkinSize = false;
    }

    auto* panel = Make<TbsSkinPanel>(form, 8, 48, 260, 150);
    auto* ok = Make<TbsSkinButton>(panel, 10, 10, 80, 25, u"确定");
    ok->SetDefault(true);
    Make<TbsSkinButton>(panel, 100, 10, 80, 25, u"取消");
    dis = Make<TbsSkinButton>(panel, 10, 45, 80, 25, u"禁用");
    dis->SetEnabled(false);
    down = Make<TbsSkinButton>(panel, 100, 45, 80, 25, u"按下");
    down->SetGroupIndex(1);
    down->SetDown(true);
    auto* rb = Make<TbsSkinButton>(panel, 10, 80, 120, 25, u"resizebutton");
    rb->SetSkinDataName(u"resizebutton");
    auto* sp = Make<TbsSkinSpeedButton>(panel, 140, 80, 60, 25, u"工具");
    auto* tmb = Make<TbsSkinMenuSpeedButton>(panel, 140, 112, 80, 25, u"菜单");
    (void)sp;
    (void)tmb;
    auto* bevel = Make<TbsSkinBevel>(panel, 10, 120, 120, 4);
    bevel->SetShape(bsTopLine);

    auto* group = Make<TbsSkinGroupBox>(form, 280, 48, 260, 150, u"预设");
    Make<TbsSkinButton>(group, 20, 40, 100, 25, u"在组里");

    cap = Make<TbsSkinPanel>(form, 8, 206, 260, 110, u"带标题的面板");
    cap->SetCaptionMode(true);
    cap->SetCheckedMode(true);
    cap->SetChecked(true);
    cap->SetRollUpMode(true);

    auto* tpanel = Make<TbsSkinPanel>(form, 280, 206, 260, 110, u"透明组");
    tpanel->SetTransparentMode(true);
    tpanel->SetCaptionMode(true);

    auto* status = Make<TbsSkinStatusBar>(form, 0, 0, 560, 21, u"就绪");
    status->SetSizeGrip(true);

    if (skin) {
      for (int i = 0; i < form->ControlCount(); ++i)
        if (auto* c = dynamic_cast<TbsSkinControl*>(form->Controls(i))) c->SetSkinData(skin);
      std::function<void(forms::TWinControl*)> all = [&](forms::TWinControl* w) {
        for (int i = 0; i < w->ControlCount(); ++i) {
          auto* c = w->Controls(i);
          if (auto* s = dynamic_cast<TbsSkinControl*>(c)) s->SetSkinData(skin);
          if (auto* g = dynamic_cast<TbsGraphicSkinControl*>(c)) g->SetSkinData(skin);
          if (auto* b = dynamic_cast<TbsSkinBevel*>(c)) b->SetSkinData(skin);
          if (auto* w2 = dynamic_cast<forms::TWinControl*>(c)) all(w2);
        }
      };
      all(form);
    }
    bar->SetWidth(form->ClientWidth());
    bar->UpdateScrollRange();
    hot = tb1;
  }
  forms::TControl* hot = nullptr;
  TbsSkinSpeedButton* tb2 = nullptr;
  TbsSkinButton *dis = nullptr, *down = nullptr;
  TbsSkinPanel* cap = nullptr;
};

TEST_F(GalleryTest, ControlsInThreeSkinsAndPlain) {
  RenderGallery("skin_controls",
                {u"button", u"resizebutton", u"resizetoolbutton", u"toolbutton", u"toolmenubutton", u"panel",
                 u"groupbox", u"statusbar", u"resizetoolpanel"},
                [this](TbsSkinData* skin) { Build(skin); },
                [this] {
                  Enter(hot);  // one hot tool button
                  Advance(200);
                },
                [this](const std::string&) {
                  using testsupport::ExpectStateShows;
                  ExpectStateShows("hot tool button", hot, [this] { Leave(), Advance(200); },
                                   [this] { Enter(hot), Advance(200); });
                  ExpectStateShows("disabled tool button", tb2, [this] { tb2->SetEnabled(true); },
                                   [this] { tb2->SetEnabled(false); });
                  ExpectStateShows("disabled button", dis, [this] { dis->SetEnabled(true); },
                                   [this] { dis->SetEnabled(false); });
                  ExpectStateShows("pressed button", down, [this] { down->SetDown(false); },
                                   [this] { down->SetDown(true); });
                  // A skin whose panel entry has no caption bar draws no
                  // caption (the stored skins' panels have none).
                  const int entry = sd ? sd->GetControlIndex(u"panel") : -1;
                  auto* panelData =
                      entry < 0 ? nullptr : dynamic_cast<TbsDataSkinPanelControl*>(sd->CtrlList[entry].get());
                  if (!panelData || !IsEmptyRect(panelData->CaptionRect))
                    ExpectStateShows("checked panel caption", cap, [this] { cap->SetChecked(false); },
                                     [this] { cap->SetChecked(true); });
                });
}

}  // namespace
}  // namespace skinctltest
