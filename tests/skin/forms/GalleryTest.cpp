// Gallery: a sample form's frame in every stored skin and in the default
// look, active and inactive, written as PNG files to the build folder.
#include <gtest/gtest.h>

#include "FrameTestUtil.h"
#include "platform/gdi/Gdi.h"
#include "platform/forms/FormRender.h"

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
    other->Show();
    win::SetForegroundWindow(other->Handle());
    Pump();
    ASSERT_FALSE(form->Active());
    EXPECT_TRUE(forms::RenderToPng(form, PictureDir() + "/frame_" + name + "_inactive.png"));
    other->Hide();
    Pump();
  }
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
  bsf->SetBorderIcons({biRollUp});
  bsf->SetShowIcon(true);
  Render("about", &skin);
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
    auto* min = bsf->Objects(bsf->GetIndex(u"minbutton"));
    const TRect m = min->ObjectRect;
    win::headless::MouseMove(Scr(m.Left + m.Width() / 2, m.Top + m.Height() / 2));
    Advance(300);
    win::headless::MouseDown(Scr(m.Left + m.Width() / 2, m.Top + m.Height() / 2));
    Pump();
    EXPECT_TRUE(forms::RenderToPng(form, PictureDir() + "/frame_skin" + std::to_string(i) + "_minpressed.png"));
    win::headless::MouseUp(Scr(900, 900));
    Advance(100);
    bsf->SetSkinData(nullptr);
  }
}

}  // namespace
}  // namespace frametest
