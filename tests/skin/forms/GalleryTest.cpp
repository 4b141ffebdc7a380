// Gallery: a sample form's frame in every stored skin and in the default
// look, active and inactive, written as PNG files to the build folder.
#include <gtest/gtest.h>

#include "FrameTestUtil.h"
#include "platform/gdi/Gdi.h"
#include "platform/forms/FormRender.h"
#include "skin/forms/bsFormLayerBorder.h"
#include "skin/forms/bsSkinMDI.h"
#include "skin/forms/bsSkinMDITabsBar.h"
#include "tests/support/Looks.h"

namespace frametest {
namespace {

class FrameGalleryTest : public FrameTest {
 protected:
  void Render(const std::string& name, TbsSkinData* skin) {
    form->SetBounds(60, 60, 420, 300);
    form->SetCaption(u"TavrelAndroid手机视频转换器");
    auto* bsf = FindSkinFormComponent(form);
    if (!bsf) {
      bsf = new TbsBusinessSkinForm(form);
      bsf->SetBorderIcons({biSystemMenu, biMinimize, biMaximize, biRollUp});
    }
    bsf->SetSkinData(skin);
    form->Show();
    win::SetForegroundWindow(form->Handle());
    Pump();
    ASSERT_TRUE(form->Active());
    EXPECT_TRUE(forms::RenderToPng(form, PictureDir() + "/frame_" + name + "_active.png"));
    const testsupport::TShot active = testsupport::Shot(form);
    other->Show();
    win::SetForegroundWindow(other->Handle());
    Pump();
    ASSERT_FALSE(form->Active());
    EXPECT_TRUE(forms::RenderToPng(form, PictureDir() + "/frame_" + name + "_inactive.png"));
    // The frame shows whether its window is active; a skinned frame is not
    // the default one.
    EXPECT_GT(testsupport::Changed(testsupport::Shot(form), active), 0.0) << name << ": active and inactive alike";
    if (!skin)
      defaultFrame = active;
    else if (!defaultFrame.Empty()) {
      EXPECT_GT(testsupport::Changed(active, defaultFrame), 0.0) << name << ": drawn as the default frame";
    }
    last = active;
    other->Hide();
    Pump();
  }
  testsupport::TShot defaultFrame, last;
  void SetUp() override {
    FrameTest::SetUp();
    other = new TForm(forms::Application);
    other->SetBounds(900, 700, 200, 100);
    other->AfterConstruction();
  }
  TForm* other = nullptr;
};

TEST_F(FrameGalleryTest, EveryStoredSkinAndTheDefaultFrame) {
  Render("default", nullptr);
  for (int i = 0; i < resources::StoredSkinCount(); ++i) {
    auto stored = StoredFrom(i);
    TbsSkinData skin(nullptr);
    skin.LoadCompressedStoredSkin(stored.get());
    ASSERT_FALSE(skin.Empty) << i;
    Render("skin" + std::to_string(i), &skin);
    auto* bsf = FindSkinFormComponent(form);
    // Every stored skin has a mask: the window is shaped.
    gdi::HRGN rgn = gdi::CreateRectRgn(0, 0, 0, 0);
    EXPECT_NE(win::GetWindowRgn(form->Handle(), rgn), 0) << i;
    gdi::DeleteObject(rgn);
    EXPECT_GT(bsf->ObjectCount(), 0) << i;
    bsf->SetSkinData(nullptr);
  }
}


// The converter's own frames: the main window (minimize and close only) and
// the About box (roll-up only, form icon), rolled up too.
TEST_F(FrameGalleryTest, MainWindowAndAboutBoxFrames) {
  auto stored = StoredFrom(0);
  TbsSkinData skin(nullptr);
  skin.LoadCompressedStoredSkin(stored.get());
  auto* bsf = new TbsBusinessSkinForm(form);
  bsf->SetBorderIcons({biMinimize});
  Render("main", &skin);
  const testsupport::TShot main = last;
  bsf->SetBorderIcons({biRollUp});
  bsf->SetShowIcon(true);
  Render("about", &skin);
  EXPECT_GT(testsupport::Changed(last, main), 0.0) << "the About box's buttons and icon are drawn";
  form->Show();
  win::SetForegroundWindow(form->Handle());
  Pump();
  bsf->SetRollUpState(true);
  Pump();
  EXPECT_TRUE(forms::RenderToPng(form, PictureDir() + "/frame_about_rolledup.png"));
  bsf->SetRollUpState(false);
}


// A hot and a pressed caption button in two skins (morph finished).
TEST_F(FrameGalleryTest, HotAndPressedCaptionButtons) {
  for (int i : {0, 6}) {
    auto stored = StoredFrom(i);
    TbsSkinData skin(nullptr);
    skin.LoadCompressedStoredSkin(stored.get());
    form->SetBounds(60, 60, 420, 300);
    auto* bsf = FindSkinFormComponent(form);
    if (!bsf) bsf = new TbsBusinessSkinForm(form);
    bsf->SetSkinData(&skin);
    form->Show();
    win::SetForegroundWindow(form->Handle());
    Pump();
    auto* close = bsf->Objects(bsf->GetIndex(u"closebutton"));
    ASSERT_NE(close, nullptr);
    const TRect r = close->ObjectRect;
    win::headless::MouseMove(Scr(r.Left + r.Width() / 2, r.Top + r.Height() / 2));
    Advance(300);
    EXPECT_TRUE(close->Active);
    EXPECT_TRUE(forms::RenderToPng(form, PictureDir() + "/frame_skin" + std::to_string(i) + "_closehot.png"));
    const testsupport::TShot closeHot = testsupport::Shot(form, r);
    // Whether the skin gives the close button a hot look of its own (the
    // skin of index 6 draws it alike).
    bool hotLook = false;
    for (int y = 0; y < close->SkinRect.Height() && !hotLook; ++y)
      for (int x = 0; x < close->SkinRect.Width() && !hotLook; ++x) {
        const gdi::Surface* a = (close->SkinRectInAPicture ? close->ActivePicture : close->Picture)->GetSurface();
        const gdi::Surface* h = close->ActivePicture->GetSurface();
        hotLook = (a->GetPixel(close->SkinRect.Left + x, close->SkinRect.Top + y) & 0xFFFFFF) !=
                  (h->GetPixel(close->ActiveSkinRect.Left + x, close->ActiveSkinRect.Top + y) & 0xFFFFFF);
      }
    EXPECT_EQ(hotLook, i == 0);
    auto* min = bsf->Objects(bsf->GetIndex(u"minbutton"));
    const TRect m = min->ObjectRect;
    win::headless::MouseMove(Scr(m.Left + m.Width() / 2, m.Top + m.Height() / 2));
    Advance(300);
    // Hot and pressed are each drawn: the close button cools once left, the
    // minimize button changes from hot to pressed.
    if (hotLook) { EXPECT_GT(testsupport::Changed(testsupport::Shot(form, r), closeHot), 0.0) << i << ": hot close button"; }
    const testsupport::TShot minHot = testsupport::Shot(form, m);
    win::headless::MouseDown(Scr(m.Left + m.Width() / 2, m.Top + m.Height() / 2));
    Pump();
    EXPECT_TRUE(forms::RenderToPng(form, PictureDir() + "/frame_skin" + std::to_string(i) + "_minpressed.png"));
    EXPECT_GT(testsupport::Changed(testsupport::Shot(form, m), minHot), 0.0) << i << ": pressed minimize button";
    win::headless::MouseUp(Scr(900, 900));
    Advance(100);
    bsf->SetSkinData(nullptr);
  }
}

}  // namespace
}  // namespace frametest

namespace frametest {
namespace {

// An MDI frame form with a tabs bar and two tiled children, plain and in two
// stored skins; the layered border of the stored skin that has one, drawn
// around a frame-sized box.
TEST_F(FrameTest, MdiTabsAndLayeredBorderGallery) {
  for (int k : {-1, 0, 6}) {
    std::unique_ptr<TbsSkinData> skin;
    if (k >= 0) {
      auto stored = StoredFrom(k);
      skin = std::make_unique<TbsSkinData>(nullptr);
      skin->LoadCompressedStoredSkin(stored.get());
    }
    auto* main = new TForm(forms::Application);
    main->SetName(u"MdiMain");
    main->SetBounds(40, 40, 520, 360);
    main->SetCaption(u"MDI");
    main->AfterConstruction();
    auto* mf = new TbsBusinessSkinForm(main);
    mf->SetSkinData(skin.get());
    mf->SetMDIStyle(forms::fsMDIForm);
    auto* bar = new TbsSkinMDITabsBar(main);
    bar->SetAlign(forms::alTop);
    bar->SetParent(main);
    bar->ShowCloseButtons = true;
    bar->SetSkinData(skin.get());
    bar->SetBusinessSkinForm(mf);
    mf->MDITabsBar = bar;
    main->Show();
    win::SetForegroundWindow(main->Handle());
    Pump();
    for (const char16_t* c : {u"视频一", u"视频二"}) {
      auto* ch = new TForm(forms::Application);
      ch->SetName(c == std::u16string(u"视频一") ? u"ChildOne" : u"ChildTwo");
      ch->SetCaption(c);
      ch->SetBounds(0, 0, 200, 150);
      ch->AfterConstruction();
      auto* cf = new TbsBusinessSkinForm(ch);
      cf->SetSkinData(skin.get());
      cf->SetMDIStyle(forms::fsMDIChild);
      ch->Show();
      MDIClientOf(main)->ActivateChild(ch);
      Pump();
    }
    mf->Tile();
    Pump();
    const std::string name = k < 0 ? "default" : "skin" + std::to_string(k);
    EXPECT_TRUE(forms::RenderToPng(main, PictureDir() + "/frame_mdi_" + name + ".png"));
    delete main;
    Pump();
  }
  // Stored skin 3 describes the layer frame: its shadow drawn around a
  // frame-sized box, with the skinned form itself in the middle.
  auto stored = StoredFrom(3);
  TbsSkinData skin(nullptr);
  skin.LoadCompressedStoredSkin(stored.get());
  form->SetBounds(27, 24, 300, 200);
  form->SetCaption(u"Mac风格");
  auto* bsf = new TbsBusinessSkinForm(form);
  bsf->SetSkinData(&skin);
  ShowForm();
  TbsFormLayerBorder border(nullptr);
  border.InitFrame(&skin, form);
  ASSERT_TRUE(border.FData);
  const TRect box = border.BoxOf(0, 0, 300, 200);
  ASSERT_EQ(box.Width(), 300 + 191 - 137);
  ASSERT_EQ(box.Height(), 200 + 160 - 108);
  TbsBitmap drawn;
  drawn.SetSize(box.Width(), box.Height());
  drawn.Clear(0xFFFFFFFF);
  border.Draw(drawn.Canvas(), 0, 0, box.Width(), box.Height());
  // The shadow is drawn with the picture's alpha over white.
  auto red = [&](int x, int y) { return int(drawn.Pixel(x, y) >> 16 & 0xFF); };
  EXPECT_LT(red(27 + 150, 24 + 200 + 2), 200) << "dark just below the window";
  EXPECT_LT(red(25, 24 + 100), 230) << "and beside it";
  EXPECT_LT(red(27 + 150, 24 + 200 + 2), red(27 + 150, 24 - 2)) << "heavier below than above";
  EXPECT_EQ(red(0, 0), 255) << "faded out at the box's corner";
  EXPECT_EQ(red(27 + 150, 24 + 100), 255) << "the window's own rectangle is left clear";
  // The form's own picture in the window's place, for the eye.
  const gdi::Surface* s = win::headless::BackBuffer(form->Handle());
  ASSERT_NE(s, nullptr);
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 300; ++x) drawn.SetPixel(27 + x, 24 + y, s->GetPixel(x, y) | 0xFF000000u);
  EXPECT_TRUE(gdi::WriteDCPng(drawn.DC(), PictureDir() + "/frame_layer_border_skin3.png"));
}

}  // namespace
}  // namespace frametest
