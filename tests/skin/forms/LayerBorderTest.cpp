// The layered form border and the inactive client panel, headless.
#include <gtest/gtest.h>

#include "FrameTestUtil.h"
#include "platform/forms/ExtCtrls.h"
#include "skin/forms/bsClientInActivePanel.h"
#include "skin/forms/bsFormLayerBorder.h"

using namespace frametest;

namespace {

// Layer-frame picture 60 x 50: each pixel's red is its x, green its y; the
// mask is opaque (white) everywhere except the window's own rectangle.
void AddLayerFrame(TbsSkinData& sd, TRect borderRect, bool hitTest) {
  const int W = 60, H = 50;
  std::vector<std::uint32_t> px(W * H), mask(W * H);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      px[std::size_t(y * W + x)] = 0xFF000000u | std::uint32_t(x) << 16 | std::uint32_t(y) << 8;
      bool inside = x >= 10 && x < 50 && y >= 10 && y < 40;
      mask[std::size_t(y * W + x)] = inside ? 0xFF000000u : 0xFFFFFFFFu;
    }
  for (auto* v : {&px, &mask}) {
    auto pic = std::make_unique<TbsSkinPicture>();
    LoadPicture(*pic, W, H, *v);
    sd.ActivePictures().push_back(std::move(pic));
  }
  auto lf = std::make_unique<TbsDataSkinLayerFrame>();
  lf->PictureIndex = int(sd.ActivePictures().size()) - 2;
  lf->MaskPictureIndex = lf->PictureIndex + 1;
  lf->LTPoint = {20, 10};
  lf->RTPoint = {40, 10};
  lf->LBPoint = {20, 40};
  lf->RBPoint = {40, 40};
  lf->ClRect = {10, 10, 50, 40};
  lf->AlphaBlendValue = 200;
  lf->InActiveAlphaBlendValue = 100;
  lf->BorderRect = borderRect;
  lf->HitTestEnable = hitTest;
  sd.LayerFrame = std::move(lf);
}

class LayerBorderTest : public FrameTest {
 protected:
  void SetUp() override {
    FrameTest::SetUp();
    win::headless::SimulateLayering(true);
  }
  void TearDown() override {
    win::headless::SimulateLayering(false);
    FrameTest::TearDown();
  }
  TbsFormLayerBorder* Start(TRect borderRect = {}, bool hitTest = false) {
    sd = std::make_unique<TbsSkinData>(nullptr);
    MakeFrameSkin(*sd);
    AddLayerFrame(*sd, borderRect, hitTest);
    bsf = MakeFrame();
    ShowForm();
    Advance(50);
    return bsf->BorderLayer();
  }
  static TRect WinRect(forms::TCustomForm* w) {
    win::RECT r;
    win::GetWindowRect(w->Handle(), &r);
    return r;
  }
  TbsBusinessSkinForm* bsf = nullptr;
};

TEST_F(LayerBorderTest, FourStripsSurroundTheFormAndFollowIt) {
  TbsFormLayerBorder* b = Start();
  ASSERT_TRUE(bsf->IsLayeredBorderInUse());
  ASSERT_TRUE(b->FVisible);
  // Box: the picture's window rectangle (10, 10, 50, 40) on the form's
  // (100, 100, 600 x 500).
  EXPECT_EQ(WinRect(b->TopBorder), rtl::Rect(90, 90, 710, 100));
  EXPECT_EQ(WinRect(b->BottomBorder), rtl::Rect(90, 600, 710, 610));
  EXPECT_EQ(WinRect(b->LeftBorder), rtl::Rect(90, 100, 100, 600));
  EXPECT_EQ(WinRect(b->RightBorder), rtl::Rect(700, 100, 710, 600));
  for (auto* w : {b->TopBorder, b->BottomBorder, b->LeftBorder, b->RightBorder}) {
    win::LONG_PTR ex = win::GetWindowLongW(w->Handle(), win::GWL_EXSTYLE);
    EXPECT_TRUE(ex & win::WS_EX_LAYERED);
    // An empty BorderRect lets the mouse through.
    EXPECT_TRUE(ex & win::WS_EX_TRANSPARENT);
    EXPECT_TRUE(win::IsWindowVisible(w->Handle()));
  }
  // Corners copied, the middle stretched; the sides repeat their band.
  auto red = [](TbsBitmap* i, int x, int y) { return int(i->Pixel(x, y) >> 16 & 0xFF); };
  auto green = [](TbsBitmap* i, int x, int y) { return int(i->Pixel(x, y) >> 8 & 0xFF); };
  EXPECT_EQ(red(b->TopImage.get(), 19, 0), 19);
  EXPECT_EQ(red(b->TopImage.get(), 619, 5), 59);
  EXPECT_EQ(red(b->TopImage.get(), 600, 5), 40);
  EXPECT_EQ(green(b->BottomImage.get(), 0, 0), 40);
  EXPECT_EQ(green(b->LeftImage.get(), 3, 0), 10);
  EXPECT_EQ(green(b->LeftImage.get(), 3, 30), 10);  // band 10..40 repeated
  EXPECT_EQ(red(b->RightImage.get(), 9, 7), 59);
  EXPECT_EQ(int(b->TopImage->Pixel(5, 5) >> 24), 255);  // alpha from the white mask

  form->SetBounds(200, 150, 500, 400);
  Pump();
  EXPECT_EQ(WinRect(b->TopBorder), rtl::Rect(190, 140, 710, 150));
  EXPECT_EQ(WinRect(b->RightBorder), rtl::Rect(700, 150, 710, 550));
  form->Hide();
  Pump();
  EXPECT_FALSE(b->FVisible);
  EXPECT_FALSE(b->TopBorder);
}

TEST_F(LayerBorderTest, ActivationSwitchesOnlyTheAlpha) {
  TbsFormLayerBorder* b = Start();
  EXPECT_EQ(b->FCurrentAlphaBlendValue, 200);
  TbsBitmap* top = b->TopImage.get();
  TbsFormLayerWindow* topWindow = b->TopBorder;
  form->Perform(win::WM_NCACTIVATE, 0, 0);
  EXPECT_FALSE(b->FActive);
  EXPECT_EQ(b->TopImage.get(), top);
  EXPECT_EQ(b->TopBorder, topWindow);
  form->Perform(win::WM_NCACTIVATE, 1, 0);
  EXPECT_TRUE(b->FActive);
  b->CheckFormAlpha(128, false);
  EXPECT_EQ(b->FCurrentAlphaBlendValue, 100);
  EXPECT_EQ(b->FCurrentInActiveAlphaBlendValue, 50);
  // The skin data's switch hides and shows the border again.
  sd->SetShowLayeredBorders(false);
  form->Perform(MSG_LAYERED_BORDERS_CHANGED, win::WPARAM(sd.get()), 0);
  EXPECT_FALSE(b->FVisible);
  sd->SetShowLayeredBorders(true);
  form->Perform(MSG_LAYERED_BORDERS_CHANGED, win::WPARAM(sd.get()), 0);
  EXPECT_TRUE(b->FVisible);
}

TEST_F(LayerBorderTest, NoLayeringOrNoPictureMeansNoBorder) {
  win::headless::SimulateLayering(false);
  Start();
  EXPECT_FALSE(bsf->IsLayeredBorderInUse());
  EXPECT_FALSE(bsf->BorderLayer()->FVisible);
  TbsFormLayerBorder b(nullptr);
  sd->LayerFrame->MaskPictureIndex = 99;  // no usable mask
  b.InitFrame(sd.get(), form);
  EXPECT_EQ(b.FData, nullptr);
  b.ShowWithForm();
  EXPECT_FALSE(b.FVisible);
}

TEST_F(LayerBorderTest, HitBandsAndResizeByDragging) {
  TbsFormLayerBorder* b = Start({5, 5, 55, 45}, true);
  EXPECT_EQ(b->LeftSize, 5);
  EXPECT_EQ(b->BottomSize, 5);
  EXPECT_FALSE(win::GetWindowLongW(b->TopBorder->Handle(), win::GWL_EXSTYLE) & win::WS_EX_TRANSPARENT);
  struct Case {
    TbsFormLayerWindow* w;
    TPoint p;
    TbsFormLayerBorderHit hit;
  };
  // The form is at (100, 100), 600 x 500.
  for (Case c : {Case{b->TopBorder, {97, 97}, bsflhTopLeft}, Case{b->TopBorder, {300, 96}, bsflhTop},
                 Case{b->TopBorder, {702, 102}, bsflhTopRight}, Case{b->TopBorder, {300, 92}, bsflhNone},
                 Case{b->BottomBorder, {101, 598}, bsflhBottomLeft}, Case{b->BottomBorder, {300, 603}, bsflhBottom},
                 Case{b->LeftBorder, {96, 300}, bsflhLeft}, Case{b->LeftBorder, {93, 300}, bsflhNone},
                 Case{b->RightBorder, {704, 300}, bsflhRight}})
    EXPECT_EQ(c.w->HitTestBorder(c.p), c.hit) << c.p.X << "," << c.p.Y;

  // Hovering the right band shows the sizing cursor; dragging it widens the
  // form and the border follows.
  win::headless::MouseMove({704, 300});
  Pump();
  EXPECT_EQ(b->RightBorder->FHitMode, bsflhRight);
  EXPECT_EQ(b->RightBorder->Cursor(), forms::crSizeWE);
  win::headless::MouseDown({704, 300});
  Pump();
  EXPECT_TRUE(b->RightBorder->FDown);
  win::headless::MouseMove({734, 300});
  Pump();
  EXPECT_EQ(form->Width(), 630);
  EXPECT_EQ(WinRect(b->RightBorder).Left, 730);
  win::headless::MouseUp({734, 300});
  Pump();
  EXPECT_FALSE(bsf->FBorderLayerChangeSize);
  // At the minimum width a drag of the left band does not move the form.
  form->SetBounds(100, 100, bsf->GetMinWidth(), 500);
  Pump();
  win::headless::MouseMove({96, 300});
  win::headless::MouseDown({96, 300});
  win::headless::MouseMove({101, 300});
  Pump();
  EXPECT_EQ(form->Left(), 100);
  EXPECT_EQ(form->Width(), bsf->GetMinWidth());
  win::headless::MouseUp({101, 300});
  Pump();
}

// A frame with its skin (which it watches for freeing) still applies the
// form's alpha.
TEST_F(LayerBorderTest, AlphaBlendAppliesWithSkinDataAssigned) {
  Start();
  bsf->SetAlphaBlendValue(180);
  bsf->SetAlphaBlend(true);
  EXPECT_TRUE(win::GetWindowLongW(form->Handle(), win::GWL_EXSTYLE) & win::WS_EX_LAYERED);
  bsf->SetAlphaBlend(false);
  EXPECT_FALSE(win::GetWindowLongW(form->Handle(), win::GWL_EXSTYLE) & win::WS_EX_LAYERED);
}

// A border whose bands react to the mouse snaps with its bands: the band,
// not the form, comes to lie on the work area's edge.
TEST_F(LayerBorderTest, SnappingCountsTheBorderBands) {
  TbsFormLayerBorder* b = Start({5, 5, 55, 45}, true);
  ASSERT_TRUE(b->FVisible);
  ASSERT_EQ(b->LeftSize, 5);
  bsf->Magnetic = true;
  bsf->MagneticSize = 5;
  int l = 8, t = 300;  // the band's outer edge 3 pixels from the edge
  bsf->MagnetizeBounds(l, t, form->Width(), form->Height());
  EXPECT_EQ(l, 5);
  EXPECT_EQ(t, 300);
  bsf->HMagnetized = bsf->VMagnetized = bsf->HMagnetized2 = bsf->VMagnetized2 = false;
  l = 200, t = 7;
  bsf->MagnetizeBounds(l, t, form->Width(), form->Height());
  EXPECT_EQ(t, 5);
  EXPECT_EQ(l, 200);
}

// ------------------------------------------------------------------ panel
// A black control on the skin's client: deactivating covers the client with
// a frozen picture (what the user sees is the panel's, and it does not follow
// the control); activating removes it; only one panel at a time.
TEST_F(FrameTest, InactiveClientPanelShowsAFrozenWashedOutPicture) {
  auto* bsf = MakeFrame();
  bsf->ClientInActiveEffect = true;
  auto* black = new forms::TPanel(form);
  black->SetParent(form);
  black->SetBounds(0, 0, 50, 50);
  black->SetColor(0x000000);
  black->SetBevelOuter(forms::bvNone);
  ShowForm();
  const int cx = bsf->NewClRect.Left, cy = bsf->NewClRect.Top;
  ASSERT_EQ(FramePixel(cx + 10, cy + 10), 0u);
  form->Perform(win::WM_NCACTIVATE, 0, 0);
  TbsClientInActivePanel* p = bsf->ClientInActivePanel();
  ASSERT_TRUE(p && p->Buffer());
  EXPECT_TRUE(p->Visible());
  EXPECT_EQ(p->BoundsRect(), rtl::Rect(0, 0, form->ClientWidth(), form->ClientHeight()));
  const std::uint32_t shown = p->Buffer()->Pixel(10, 10) & 0xFFFFFF;
  EXPECT_NE(shown, 0u) << "washed out by the background";
  form->Invalidate();
  EXPECT_EQ(FramePixel(cx + 10, cy + 10), shown) << "the panel lies in front of the controls";
  EXPECT_EQ(FramePixel(cx + 200, cy + 200), p->Buffer()->Pixel(200, 200) & 0xFFFFFF);
  black->SetColor(0xFFFFFF);
  form->Invalidate();
  EXPECT_EQ(FramePixel(cx + 10, cy + 10), shown) << "the picture is frozen";
  // Deactivating again replaces the panel; activating removes it.
  form->Perform(win::WM_NCACTIVATE, 0, 0);
  EXPECT_NE(bsf->ClientInActivePanel(), nullptr);
  int panels = 0;
  for (int i = 0; i < form->ControlCount(); ++i)
    if (dynamic_cast<TbsClientInActivePanel*>(form->Controls(i))) ++panels;
  EXPECT_EQ(panels, 1);
  form->Perform(win::WM_NCACTIVATE, 1, 0);
  EXPECT_EQ(bsf->ClientInActivePanel(), nullptr);
  EXPECT_EQ(FramePixel(cx + 10, cy + 10), 0xFFFFFFu);
}

// Blurred: a sharp edge becomes soft, and no background is laid over, so the
// middle of a black control stays black. A hidden form captures nothing.
TEST_F(FrameTest, InactiveClientPanelBlursOrStaysHidden) {
  auto* bsf = MakeFrame();
  bsf->ClientInActiveEffect = true;
  bsf->ClientInActiveEffectType = bsieBlur;
  auto* black = new forms::TPanel(form);
  black->SetParent(form);
  black->SetBounds(0, 0, 50, 50);
  black->SetColor(0x000000);
  black->SetBevelOuter(forms::bvNone);
  form->Perform(win::WM_NCACTIVATE, 0, 0);
  EXPECT_TRUE(!bsf->ClientInActivePanel() || !bsf->ClientInActivePanel()->Visible());
  ShowForm();
  form->Perform(win::WM_NCACTIVATE, 0, 0);
  TbsClientInActivePanel* p = bsf->ClientInActivePanel();
  ASSERT_TRUE(p && p->Buffer());
  EXPECT_TRUE(p->Visible());
  auto red = [&](int x, int y) { return int(p->Buffer()->Pixel(x, y) >> 16 & 0xFF); };
  const int light = int(kClient & 0xFF);
  EXPECT_EQ(red(25, 25), 0) << "no background over the blurred picture";
  EXPECT_EQ(red(100, 100), light);
  EXPECT_GT(red(50, 25), 0) << "the edge is soft";
  EXPECT_LT(red(50, 25), light);
  EXPECT_GT(red(49, 25), 0);
}

// Semi-transparent: the captured picture and the background at 170 of 255.
TEST_F(FrameTest, InactiveClientPanelBlendsTheBackgroundOverTheControls) {
  MakeFrame()->ClientInActiveEffect = true;
  auto* panel = new forms::TPanel(form);
  panel->SetParent(form);
  panel->SetBounds(0, 0, 50, 50);
  panel->SetColor(0x000000);
  panel->SetBevelOuter(forms::bvNone);
  ShowForm();
  form->Perform(win::WM_NCACTIVATE, 0, 0);
  auto* p = FindSkinFormComponent(form)->ClientInActivePanel();
  ASSERT_TRUE(p && p->Buffer());
  std::uint32_t c = p->Buffer()->Pixel(10, 10);
  const int want = (int(kClient & 0xFF) * 170 + 127) / 255;  // red of the client colour over black
  EXPECT_NEAR(int(c >> 16 & 0xFF), want, 2);
}

}  // namespace
