// Gallery of the edits and up-down buttons in three stored skins and plain,
// written as PNG files to the build folder.
#include "platform/forms/ImgList.h"
#include "tests/skin/controls/EditsTestUtil.h"

namespace skinctltest {
namespace {

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
    edits.clear();
    ups.clear();
    form->SetBounds(100, 100, 460, 300);
    form->SetCaption(u"Edits");
    AddEdit(10, 10, 300, u"/home/用户/Tavrel视频软件/输出");
    auto* ro = AddEdit(10, 40, 300, u"只读：可以选择和复制");
    ro->SetReadOnly(true);
    auto* be = AddEdit(10, 70, 300, u"带按钮的编辑框");
    be->SetSkinDataName(u"buttonedit");
    be->SetButtonMode(true);
    buttonEdit = be;
    dis = AddEdit(10, 100, 300, u"禁用的编辑框");
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
    AddEdit(10, 230, 300, u"普通编辑框");
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
  TbsSkinEdit *buttonEdit = nullptr, *dis = nullptr;
};

TEST_F(EditsGalleryTest, EditsAndUpDownsInThreeSkinsAndPlain) {
  RenderGallery("skin_edits", {u"edit", u"buttonedit", u"hupdown", u"vupdown", u"resizebutton"},
                [this](TbsSkinData* skin) { Build(skin); },
                [this] {
                  edits[0]->SetFocus();
                  edits[0]->SetSelStart(6);
                  edits[0]->SetSelLength(4);
                  // The pointer over the edit button: its hot face.
                  Move(WinScr(buttonEdit, buttonEdit->ButtonRectNow().Left + 4, 10));
                },
                [this](const std::string&) {
                  using testsupport::ExpectStateShows;
                  auto focusFirst = [this] {
                    edits[0]->SetFocus();
                    edits[0]->SetSelStart(6);
                    edits[0]->SetSelLength(4);
                    Pump();
                  };
                  ExpectStateShows("focused edit with a selection", edits[0],
                                   [this] { edits.back()->SetFocus(), Pump(); }, focusFirst);
                  ExpectStateShows("disabled edit", dis, [this] { dis->SetEnabled(true); },
                                   [this] { dis->SetEnabled(false); });
                  ExpectStateShows("hot edit button", buttonEdit, [this] { Move(WinScr(edits.back(), 5, 5)); },
                                   [this] { Move(WinScr(buttonEdit, buttonEdit->ButtonRectNow().Left + 4, 10)); });
                });
}

}  // namespace
}  // namespace skinctltest
