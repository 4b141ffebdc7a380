// Gallery of the scroll bar, list view, tree view and scroll box in three
// stored skins and in the plain look, written as PNG files to the build folder.
#include <cstdlib>
#include <filesystem>

#include "platform/forms/ExtCtrls.h"
#include "platform/forms/FormRender.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/SysUtils.h"
#include "skin/controls/bsSkinListView.h"
#include "skin/controls/bsSkinPanels.h"
#include "skin/controls/bsSkinScrollBox.h"
#include "skin/controls/bsSkinTreeView.h"
#include "tests/skin/controls/SkinControlsTestUtil.h"

namespace skinctltest {
namespace {

std::string PictureDir() {
  const char* d = std::getenv("TVL_TEST_PICTURES");
  return d ? d : ".";
}

class ScrollListGalleryTest : public SkinControlsTest {
 protected:
  TbsSkinScrollBar* Bar(forms::TWinControl* p, int x, int y, int w, int h, bool vertical) {
    auto* b = Make<TbsSkinScrollBar>(p, x, y, w, h);
    if (vertical) {
      b->SetKind(sbVertical);
      b->SetSkinDataName(u"vscrollbar");
    }
    return b;
  }

  void Build() {
    form->SetBounds(60, 60, 640, 490);
    form->SetCaption(u"Scroll and list gallery");
    auto* back = Make<TbsSkinPanel>(form, 0, 0, 640, 490);
    back->SetAlign(forms::alClient);

    // The queue: seven shown columns and hidden ones, two bars.
    lv = Make<TbsSkinListView>(back, 8, 8, 400, 180);
    lv->SetViewStyle(forms::vsReport);
    lv->SetRowSelect(true);
    lv->SetGridLines(true);
    const int widths[] = {140, 60, 60, 120, 50, 60, 70};
    const char16_t* caps[] = {u"输入文件", u"时长", u"大小", u"输出文件", u"进度", u"当前时间", u"转换大小"};
    for (int i = 0; i < 7; ++i) {
      auto* c = lv->Columns()->Add();
      c->SetCaption(caps[i]);
      c->SetWidth(widths[i]);
      if (i == 1 || i == 2) c->SetAlignment(forms::taRightJustify);
    }
    for (int i = 0; i < 18; ++i) lv->Columns()->Add()->SetWidth(0);
    for (int i = 0; i < 12; ++i) {
      auto* it = lv->Items()->Add();
      it->SetCaption(u"/home/user/视频/旅行片段" + rtl::IntToStr(i + 1) + u".avi");
      for (const char16_t* s : {u"00:03:15", u"48.2 MB", u"旅行片段.mp4", u"", u"37%", u"00:01:12", u"9.1 MB"})
        it->SubItems()->Add(s);
    }
    lv->SetItemIndex(2);
    auto* lvV = Bar(back, 408, 8, 19, 180, true);
    auto* lvH = Bar(back, 8, 188, 419, 19, false);
    lv->SetVScrollBar(lvV);
    lv->SetHScrollBar(lvH);

    // Stand-alone bars: one with a page, one hot, one pressed, one disabled.
    auto* b1 = Bar(back, 8, 220, 300, 19, false);
    b1->SetRange(0, 99, 30, 25);
    auto* b2 = Bar(back, 8, 246, 300, 19, false);
    b2->SetPosition(60);
    hotBar = b2;
    auto* b3 = Bar(back, 8, 272, 300, 19, false);
    b3->SetEnabled(false);
    auto* b4 = Bar(back, 440, 8, 19, 200, true);
    b4->SetRange(0, 9, 3, 4);
    auto* b5 = Bar(back, 468, 8, 19, 200, true);
    b5->SetPosition(100);

    // The folder tree.
    tv = Make<TbsSkinTreeView>(back, 8, 300, 200, 130);
    auto* root = tv->Items()->Add(nullptr, u"我的电脑");
    for (int i = 0; i < 14; ++i) tv->Items()->AddChild(root, u"文件夹 " + rtl::IntToStr(i + 1));
    tv->Items()->AddChild(root, u"一个很长很长的文件夹名字用来显示横向滚动条");
    root->Expand(false);
    auto* tvV = Bar(back, 208, 300, 19, 130, true);
    auto* tvH = Bar(back, 8, 430, 219, 19, false);
    tv->SetVScrollBar(tvV);
    tv->SetHScrollBar(tvH);

    // The picture box.
    box = Make<TbsSkinScrollBox>(back, 250, 300, 200, 130);
    auto* pic = Make<forms::TPanel>(box, 0, 0, 320, 260);
    pic->SetCaption(u"图片");
    pic->SetColor(0x00A0C0E0);
    auto* bxV = Bar(back, 450, 300, 19, 130, true);
    auto* bxH = Bar(back, 250, 430, 219, 19, false);
    box->SetVScrollBar(bxV);
    box->SetHScrollBar(bxH);
    box->UpDateScrollRange();
    box->UpDateScrollRange();
  }

  void ApplySkin(forms::TWinControl* w, TbsSkinData* skin) {
    for (int i = 0; i < w->ControlCount(); ++i) {
      auto* c = w->Controls(i);
      if (auto* s = dynamic_cast<TbsSkinControl*>(c)) s->SetSkinData(skin);
      if (auto* l = dynamic_cast<TbsSkinListView*>(c)) l->SetSkinData(skin);
      if (auto* t = dynamic_cast<TbsSkinTreeView*>(c)) t->SetSkinData(skin);
      if (auto* w2 = dynamic_cast<forms::TWinControl*>(c)) ApplySkin(w2, skin);
    }
  }

  TbsSkinListView* lv = nullptr;
  TbsSkinTreeView* tv = nullptr;
  TbsSkinScrollBox* box = nullptr;
  TbsSkinScrollBar* hotBar = nullptr;
};

TEST_F(ScrollListGalleryTest, ThreeSkinsAndPlain) {
  struct Look {
    std::u16string skin;
    std::string file;
  } looks[] = {{u"", "skin_scrolllist_plain.png"},
               {u"金属光泽", "skin_scrolllist_metal.png"},
               {u"OFFICE2007蓝色", "skin_scrolllist_office2007blue.png"},
               {u"Mac风格", "skin_scrolllist_mac.png"}};
  std::vector<testsupport::TShot> plain;
  for (const auto& l : looks) {
    std::unique_ptr<TbsCompressedStoredSkin> stored;
    delete form;
    form = new TForm(forms::Application);
    form->AfterConstruction();
    Build();
    if (!l.skin.empty()) {
      stored = StoredFrom(StoredIndex(l.skin));
      sd = std::make_unique<TbsSkinData>(nullptr);
      sd->LoadCompressedStoredSkin(stored.get());
      for (const char16_t* n : {u"hscrollbar", u"vscrollbar", u"bothhscrollbar", u"listview", u"treeview",
                                u"scrollbox", u"resizetoolbutton"})
        if (sd->GetControlIndex(n) < 0) ADD_FAILURE() << rtl::StringToUtf8(l.skin) << " lacks " << rtl::StringToUtf8(n);
      ApplySkin(form, sd.get());
    }
    form->Show();
    Pump();
    box->UpDateScrollRange();
    // One hot thumb, one pressed arrow.
    hotBar->CalcRects();
    const rtl::TRect t = hotBar->PartRect(0);
    win::headless::MouseMove(Scr(hotBar, (t.Left + t.Right) / 2, 9));
    Pump();
    const std::string path = PictureDir() + "/" + l.file;
    EXPECT_TRUE(forms::RenderToPng(form, path)) << path;
    EXPECT_TRUE(hotBar->PartHot(0));
    // The hot bar and the selected row are drawn; skinned, the list, the
    // tree, the box and the bar differ from their plain looks.
    SCOPED_TRACE(l.file);
    using testsupport::ExpectStateShows;
    ExpectStateShows("hot scroll bar", hotBar, [this] { Leave(); },
                     [&] { win::headless::MouseMove(Scr(hotBar, (t.Left + t.Right) / 2, 9)), Pump(); });
    ExpectStateShows("selected list row", lv, [this] { lv->SetItemIndex(-1), Pump(); },
                     [this] { lv->SetItemIndex(2), Pump(); });
    const forms::TControl* parts[] = {lv, tv, box, hotBar};
    for (std::size_t i = 0; i < std::size(parts); ++i) {
      const testsupport::TShot now = testsupport::Shot(const_cast<forms::TControl*>(parts[i]));
      if (l.skin.empty())
        plain.push_back(now);
      else
        EXPECT_GT(testsupport::Changed(now, plain[i]), 0.0) << "part " << i << " looks as in the plain look";
    }
    delete form;
    form = nullptr;
    sd.reset();
  }
  form = new TForm(forms::Application);
}

}  // namespace
}  // namespace skinctltest
