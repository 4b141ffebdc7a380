// The frame component, its window procedure, geometry and painting against
// a made-up skin and without a skin.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "FrameTestUtil.h"
#include "platform/gdi/Gdi.h"
#include "platform/rtl/Strings.h"
#include "platform/forms/FormRender.h"
#include "platform/forms/ImgList.h"
#include "skin/data/bsCompressedSkinList.h"
#include "skin/controls/bsSkinCtrls.h"

namespace frametest {
namespace {

using forms::TMessage;

TEST_F(FrameTest, ConstructionDefaultsAndOwnerCheck) {
  auto* bsf = MakeFrame(nullptr, false);
  EXPECT_EQ(bsf->AlphaBlendValue(), 200);
  EXPECT_EQ(bsf->MagneticSize, 5);
  EXPECT_TRUE(bsf->BorderIcons().Contains(biRollUp));
  EXPECT_FALSE(bsf->BorderIcons().Contains(biMinimizeToTray));
  EXPECT_EQ(bsf->DefCaptionFont()->Name(), u"Arial");
  EXPECT_EQ(bsf->DefCaptionFont()->Height(), 14);
  EXPECT_TRUE(bsf->DefCaptionFont()->Style().Contains(gdi::fsBold));
  EXPECT_EQ(bsf->DefInActiveCaptionFont()->Color(), gdi::clBtnShadow);
  EXPECT_TRUE(form->BorderIcons().Empty());
  EXPECT_EQ(TbsBusinessSkinForm::GetProductVersion(), u"7.81");
  EXPECT_EQ(FindSkinFormComponent(form), bsf);

  rtl::TComponent plain(nullptr);
  EXPECT_THROW(TbsBusinessSkinForm bad(&plain), EInvalidCast);

  bsf->SetMaxMenuItemsInWindow(7);
  bsf->SetMaxMenuItemsInWindow(-1);
  EXPECT_EQ(bsf->MaxMenuItemsInWindow(), 7);
  bsf->SetDefMenuItemHeight(0);
  EXPECT_EQ(bsf->DefMenuItemHeight(), 20);
  bsf->SetFormStyle(forms::fsMDIChild);
  bsf->SetFormStyle(forms::fsMDIForm);
  EXPECT_EQ(form->FormStyle(), forms::fsNormal);
}

// Freeing the skin data of a shown frame: the messages that follow see no
// skin and the frame falls back to its default look at once.
TEST_F(FrameTest, FreedSkinDataIsForgotten) {
  form->SetBorderStyle(forms::bsSizeable);
  auto* bsf = MakeFrame();
  ShowForm();
  EXPECT_TRUE(bsf->SkinSupport());
  EXPECT_EQ(FramePixel(300, 28), Rgb(kFrame));
  sd.reset();
  EXPECT_EQ(bsf->SkinData(), nullptr);
  EXPECT_FALSE(bsf->SkinSupport());
  win::RECT wr;
  win::GetWindowRect(form->Handle(), &wr);
  auto at = [&](int x, int y) { return win::MAKELPARAM(wr.Left + x, wr.Top + y); };
  EXPECT_EQ(form->Perform(win::WM_NCHITTEST, 0, at(1, 1)), win::HTTOPLEFT);
  EXPECT_EQ(form->Perform(win::WM_NCHITTEST, 0, at(300, 10)), win::HTCAPTION);
  EXPECT_EQ(form->Perform(win::WM_NCHITTEST, 0, at(300, 250)), win::HTCLIENT);
  win::MINMAXINFO mmi{};
  form->Perform(win::WM_GETMINMAXINFO, 0, win::LPARAM(&mmi));
  EXPECT_EQ(mmi.ptMinTrackSize.X, 120);
  EXPECT_EQ(mmi.ptMinTrackSize.Y, 19 + 6);
  form->Perform(win::WM_NCPAINT, 0, 0);
  form->Invalidate();
  auto rgb = [](rtl::TColor c) { return Rgb(gdi::ColorToRGB(c)); };
  EXPECT_EQ(FramePixel(0, 0), rgb(gdi::cl3DLight));
  EXPECT_EQ(FramePixel(300, 250), rgb(gdi::clBtnFace)) << "the client is erased in the default look";
  EXPECT_EQ(form->ClientWidth(), 600 - 6);
  // A skin assigned again takes over as before.
  sd = std::make_unique<TbsSkinData>(nullptr);
  MakeFrameSkin(*sd);
  bsf->SetSkinData(sd.get());
  EXPECT_TRUE(bsf->SkinSupport());
  EXPECT_EQ(FramePixel(300, 28), Rgb(kFrame));
}

// Minimize to tray needs a tray icon: without one nothing happens.
TEST_F(FrameTest, MinimizeToTrayWithoutATrayIconDoesNothing) {
  auto* bsf = MakeFrame();
  bsf->SetBorderIcons({biMinimize, biMinimizeToTray});
  ShowForm();
  int events = 0;
  bsf->OnMinimizeToTray = [&](rtl::TObject*) { ++events; };
  bsf->OnMinimize = [&](rtl::TObject*) { ++events; };
  const TRect before = form->BoundsRect();
  bsf->MinimizeToTray();
  bsf->SystemMenuMinimizeToTray();
  bsf->AlwaysMinimizeToTray = true;
  bsf->SystemMenuMinimize();
  Pump();
  EXPECT_EQ(bsf->WindowState(), forms::wsNormal);
  EXPECT_EQ(form->BoundsRect(), before);
  EXPECT_TRUE(form->Visible());
  EXPECT_EQ(events, 0);
}

TEST_F(FrameTest, SizeLimits) {
  auto* bsf = MakeFrame(nullptr, false);
  EXPECT_EQ(bsf->GetMinWidth(), 120);
  bsf->MinWidth = 300;
  EXPECT_EQ(bsf->GetMinWidth(), 300);
  EXPECT_EQ(bsf->GetMinHeight(), 19 + 6);
  form->SetBorderStyle(forms::bsToolWindow);
  EXPECT_EQ(bsf->GetMinHeight(), 15 + 6);
  form->SetBorderStyle(forms::bsSizeable);
  bsf->MinWidth = 0;

  // Skinned: picture 400 wide, 300 - 265 = 35 high around the client.
  sd = std::make_unique<TbsSkinData>(nullptr);
  MakeFrameSkin(*sd);
  bsf->SetSkinData(sd.get());
  struct Case {
    int formMin, minWidth, want;
  } cases[] = {{0, 0, 400}, {150, 0, 150}, {150, 180, 180}, {0, 450, 450}};
  for (auto& c : cases) {
    sd->FormMinWidth = c.formMin;
    bsf->MinWidth = c.minWidth;
    EXPECT_EQ(bsf->GetMinWidth(), c.want) << c.formMin << " " << c.minWidth;
  }
  sd->FormMinWidth = 150;
  bsf->MinWidth = 180;
  bsf->SetWindowState(forms::wsMinimized);
  EXPECT_EQ(bsf->GetMinWidth(), 150);  // a minimized bar ignores MinWidth
  bsf->SetWindowState(forms::wsNormal);
  sd->FormMinWidth = 0;
  bsf->MinWidth = 0;
  EXPECT_EQ(bsf->GetMinHeight(), 35);
  bsf->MinHeight = 100;
  EXPECT_EQ(bsf->GetMinHeight(), 100);
  bsf->SetBorderIcons({biRollUp});
  ShowForm();
  bsf->SetRollUpState(true);
  EXPECT_EQ(bsf->GetMinHeight(), 35);  // the caption only, whatever MinHeight says

  // Maximum: the work area of the form's monitor, or the whole monitor.
  EXPECT_EQ(bsf->GetMaxWidth(), 1280);
  EXPECT_EQ(bsf->GetMaxHeight(), 984);
  bsf->MaximizeOnFullScreen = true;
  EXPECT_EQ(bsf->GetMaxHeight(), 1024);
  bsf->MaxWidth = 700;
  EXPECT_EQ(bsf->GetMaxWidth(), 700);
}

TEST_F(FrameTest, SkinGeometryFollowsTheFrameSize) {
  auto* bsf = MakeFrame();
  ShowForm();
  ASSERT_EQ(form->Width(), 600);
  EXPECT_EQ(bsf->NewRTPoint, (TPoint{580, 30}));
  EXPECT_EQ(bsf->NewLBPoint, (TPoint{20, 480}));
  EXPECT_EQ(bsf->NewRBPoint, (TPoint{580, 480}));
  EXPECT_EQ(bsf->NewClRect, rtl::Rect(5, 30, 595, 495));
  // The client area of the window is the frame's client rectangle.
  EXPECT_EQ(form->ClientWidth(), 590);
  EXPECT_EQ(form->ClientHeight(), 465);
  EXPECT_EQ(form->ClientOrigin(), (TPoint{105, 130}));

  // Buttons right to left from the caption's right end, 2 pixels apart;
  // the caption object ends where they begin; the system button leads it.
  auto rectOf = [&](const char16_t* n) { return bsf->Objects(bsf->GetIndex(n))->ObjectRect; };
  EXPECT_EQ(rectOf(u"closebutton"), rtl::Rect(560, 5, 580, 25));
  EXPECT_EQ(rectOf(u"maxbutton"), rtl::Rect(538, 5, 558, 25));
  EXPECT_EQ(rectOf(u"minbutton"), rtl::Rect(516, 5, 536, 25));
  EXPECT_EQ(rectOf(u"rollupbutton"), rtl::Rect(494, 5, 514, 25));
  EXPECT_EQ(rectOf(u"sysmenubutton"), rtl::Rect(20, 5, 40, 25));
  EXPECT_EQ(rectOf(u"caption"), rtl::Rect(40, 5, 494, 25));

  // A buttons rectangle right of the middle moves with the right edge.
  for (auto [left, moves] : {std::pair{250, true}, {10, false}, {200, false}}) {
    sd->ButtonsRect = rtl::Rect(left, 5, left + 60, 25);
    bsf->CalcSkinRects();
    EXPECT_EQ(bsf->NewButtonsRect.Left, moves ? left + 200 : left) << left;
  }
  sd->ButtonsRect = {};
  bsf->CalcSkinRects();
  // Zone mapping: inside the RT zone moves; from LT to RT grows.
  EXPECT_EQ(bsf->MapSkinRectToFrame(rtl::Rect(385, 5, 395, 15)), rtl::Rect(585, 5, 595, 15));
  EXPECT_EQ(bsf->MapSkinRectToFrame(rtl::Rect(5, 5, 390, 15)), rtl::Rect(5, 5, 590, 15));
  EXPECT_EQ(bsf->MapSkinRectToFrame(rtl::Rect(5, 285, 10, 290)), rtl::Rect(5, 485, 10, 490));
}

TEST_F(FrameTest, SkinHitTestTable) {
  auto* bsf = MakeFrame();
  form->SetBorderStyle(forms::bsSizeable);
  ShowForm();
  struct Case {
    int x, y, code;
  } sizeable[] = {{300, 15, win::HTCAPTION}, {570, 15, HTOBJECT},   {300, 250, win::HTCLIENT},
                  {2, 2, win::HTTOPLEFT},    {597, 2, win::HTTOPRIGHT}, {2, 497, win::HTBOTTOMLEFT},
                  {597, 497, win::HTBOTTOMRIGHT}, {300, 2, win::HTTOP}, {300, 497, win::HTBOTTOM},
                  {2, 250, win::HTLEFT},     {597, 250, win::HTRIGHT}, {8, 250, win::HTCLIENT}};
  for (auto& c : sizeable) EXPECT_EQ(bsf->SkinHitTest({c.x, c.y}), c.code) << c.x << "," << c.y;

  // Through the window procedure, from screen coordinates.
  win::POINT p = Scr(300, 2);
  EXPECT_EQ(win::SendMessageW(form->Handle(), win::WM_NCHITTEST, 0, win::MAKELPARAM(p.X, p.Y)), win::HTTOP);

  // A single-border frame does not size: its borders are objects.
  form->SetBorderStyle(forms::bsSingle);
  Pump();
  EXPECT_EQ(bsf->SkinHitTest({2, 250}), HTOBJECT);
  EXPECT_EQ(bsf->SkinHitTest({300, 15}), win::HTCAPTION);
  // Rolled up: caption text moves the window, everything else is an object.
  bsf->SetBorderIcons({biRollUp});
  bsf->SetRollUpState(true);
  EXPECT_EQ(bsf->SkinHitTest({300, 15}), win::HTCAPTION);
  EXPECT_EQ(bsf->SkinHitTest({300, 30}), HTOBJECT);
  EXPECT_EQ(bsf->SkinHitTest({2, 2}), HTOBJECT);
}

TEST_F(FrameTest, WindowRegionIsTheSkinMask) {
  MakeFrame();
  EXPECT_FALSE(form->HandleAllocated());  // the region comes with the window made later
  ShowForm();
  gdi::HRGN rgn = gdi::CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(win::GetWindowRgn(form->Handle(), rgn), 0);
  struct Case {
    int x, y;
    bool in;
  } cases[] = {{0, 0, false}, {2, 2, false}, {6, 0, true},     {300, 0, true},   {599, 0, false},
               {599, 499, false}, {0, 499, false}, {593, 499, true}, {300, 250, true}, {0, 250, true}};
  for (auto& c : cases) EXPECT_EQ(gdi::PtInRegion(rgn, c.x, c.y) != 0, c.in) << c.x << "," << c.y;
  gdi::DeleteObject(rgn);

  // Without a skin the region is the frame's rectangle.
  auto* bsf = FindSkinFormComponent(form);
  bsf->SetSkinData(nullptr);
  rgn = gdi::CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(win::GetWindowRgn(form->Handle(), rgn), 0);
  EXPECT_TRUE(gdi::PtInRegion(rgn, 0, 0));
  EXPECT_TRUE(gdi::PtInRegion(rgn, 599, 499));
  gdi::DeleteObject(rgn);
}

TEST_F(FrameTest, PointInFrameMaskReadsTheStrips) {
  auto* bsf = MakeFrame();
  ShowForm();
  EXPECT_TRUE(bsf->PointInFrameMask({300, 250}));
  EXPECT_FALSE(bsf->PointInFrameMask({1, 1}));
  EXPECT_TRUE(bsf->PointInFrameMask({8, 1}));
  EXPECT_FALSE(bsf->PointInFrameMask({598, 498}));
  EXPECT_FALSE(bsf->PointInFrameMask({-3, 250}));
  EXPECT_TRUE(bsf->PointInFrameMask({2, 250}));
}

TEST_F(FrameTest, SkinnedPaintingLeavesTheClientToTheForm) {
  MakeFrame();
  ShowForm();
  EXPECT_EQ(FramePixel(300, 28), Rgb(kFrame));   // top strip
  EXPECT_EQ(FramePixel(2, 250), Rgb(kFrame));    // left strip
  EXPECT_EQ(FramePixel(300, 497), Rgb(kFrame));  // bottom strip
  // The client background is the tile of the skin's client rectangle.
  EXPECT_EQ(FramePixel(300, 250), Rgb(kClient));
  // The close button shows its normal look (automatic buttons come from the active picture).
  EXPECT_EQ(FramePixel(570, 15), Rgb(kNormal));
}

TEST_F(FrameTest, InactivePictureAndEffect) {
  auto* bsf = MakeFrame();
  ShowForm();
  TForm* other = new TForm(forms::Application);
  other->SetBounds(900, 600, 200, 100);
  other->AfterConstruction();
  other->Show();
  Pump();
  ASSERT_FALSE(form->Active());
  // No inactive picture and no effect: unchanged.
  EXPECT_EQ(FramePixel(300, 28), Rgb(kFrame));
  sd->AutoRenderingInActiveImage = true;
  sd->InActiveEffect = ieInvert;
  win::SendMessageW(form->Handle(), win::WM_NCPAINT, 0, 0);
  EXPECT_EQ(FramePixel(300, 28), Rgb(kFrame) ^ 0xFFFFFF);
  (void)bsf;
}

TEST_F(FrameTest, DefaultFrameGeometry) {
  form->SetBounds(100, 100, 300, 200);
  auto* bsf = MakeFrame(nullptr, false);
  bsf->SetBorderIcons({biSystemMenu, biMinimize, biMaximize});
  ShowForm();
  ASSERT_EQ(bsf->ObjectCount(), 6);
  EXPECT_EQ(bsf->GetDefCaptionRect(), rtl::Rect(20, 3, 246, 19));
  auto rectOf = [&](const char16_t* n) { return bsf->Objects(bsf->GetIndex(n))->ObjectRect; };
  EXPECT_EQ(rectOf(u"closebutton"), rtl::Rect(280, 4, 297, 21));
  EXPECT_EQ(rectOf(u"maxbutton"), rtl::Rect(263, 4, 280, 21));
  EXPECT_EQ(rectOf(u"minbutton"), rtl::Rect(246, 4, 263, 21));
  EXPECT_EQ(rectOf(u"sysmenubutton"), rtl::Rect(3, 4, 20, 21));
  EXPECT_FALSE(bsf->Objects(bsf->GetIndex(u"rollupbutton"))->Visible);
  // Client area: 3 pixels each side, caption 19 + 3 at the top.
  EXPECT_EQ(form->ClientWidth(), 294);
  EXPECT_EQ(form->ClientHeight(), 200 - 22 - 3);

  form->SetBorderStyle(forms::bsToolWindow);
  Pump();
  EXPECT_EQ(bsf->GetDefCaptionRect().Bottom, 15);
  EXPECT_EQ(rectOf(u"closebutton"), rtl::Rect(284, 4, 297, 17));
}

TEST_F(FrameTest, DefaultFramePixels) {
  form->SetBounds(100, 100, 300, 200);
  form->SetCaption(u"");
  MakeFrame(nullptr, false);
  ShowForm();
  auto rgb = [](rtl::TColor c) { return Rgb(gdi::ColorToRGB(c)); };
  EXPECT_EQ(FramePixel(0, 0), rgb(gdi::cl3DLight));
  EXPECT_EQ(FramePixel(299, 199), rgb(gdi::cl3DDkShadow));
  EXPECT_EQ(FramePixel(1, 1), rgb(gdi::clBtnHighlight));
  EXPECT_EQ(FramePixel(298, 198), rgb(gdi::clBtnShadow));
  EXPECT_EQ(FramePixel(2, 2), rgb(gdi::clBtnFace));
  // Stripes from band row 2: highlight, then shadow.
  EXPECT_EQ(FramePixel(120, 5), rgb(gdi::clBtnHighlight));
  EXPECT_EQ(FramePixel(120, 6), rgb(gdi::clBtnShadow));
  // Client background.
  EXPECT_EQ(FramePixel(150, 100), rgb(gdi::clBtnFace));
}

TEST_F(FrameTest, DefaultHitTest) {
  form->SetBounds(100, 100, 300, 200);
  form->SetBorderStyle(forms::bsSizeable);
  auto* bsf = MakeFrame(nullptr, false);
  ShowForm();
  struct Case {
    int x, y, code;
  } cases[] = {{1, 1, win::HTTOPLEFT},    {298, 1, win::HTTOPRIGHT}, {1, 198, win::HTBOTTOMLEFT},
               {298, 198, win::HTBOTTOMRIGHT}, {1, 100, win::HTLEFT}, {100, 1, win::HTTOP},
               {298, 100, win::HTRIGHT},  {100, 198, win::HTBOTTOM}, {100, 10, win::HTCAPTION},
               {100, 100, win::HTCLIENT}, {289, 10, HTOBJECT}};
  for (auto& c : cases) EXPECT_EQ(bsf->DefaultHitTest({c.x, c.y}), c.code) << c.x << "," << c.y;
  form->SetBorderStyle(forms::bsSingle);
  Pump();
  EXPECT_EQ(bsf->DefaultHitTest({1, 100}), HTOBJECT);
}

// A skinned control that records what the frame's walks tell it.
class Recorder : public TbsSkinControl {
 public:
  Recorder(rtl::TComponent* owner, std::vector<std::string>* l) : TbsSkinControl(owner), log_(l) {}
  void BeforeChangeSkinData() override {
    log_->push_back("control before");
    TbsSkinControl::BeforeChangeSkinData();
  }
  void ChangeSkinData() override {
    log_->push_back("control change");
    TbsSkinControl::ChangeSkinData();
  }

 private:
  std::vector<std::string>* log_;
};

TEST_F(FrameTest, SkinChangeMessagesInOrder) {
  InstallFormsSkinRegistry();
  auto* bsf = MakeFrame();
  auto* ctl = new Recorder(form, &log);
  ctl->SetParent(form);
  ctl->SetSkinData(sd.get());
  ShowForm();
  log.clear();
  bsf->OnBeforeChangeSkinData = [&](rtl::TObject*) { log.push_back("before"); };
  bsf->OnChangeSkinData = [&](rtl::TObject*) {
    log.push_back(bsf->ObjectCount() > 0 ? "change, objects built" : "change, no objects");
  };
  bsf->OnAfterChangeSkinData = [&](rtl::TObject*) { log.push_back("after"); };
  auto stored = StoredFrom(0);
  sd->LoadCompressedStoredSkin(stored.get());
  EXPECT_EQ(log, (std::vector<std::string>{"control before", "before", "change, objects built", "control change",
                                           "after"}));
  EXPECT_TRUE(bsf->SkinSupport());
  EXPECT_FALSE(bsf->FStopPainting);

  // Another skin's change still walks the form's controls bound to it.
  log.clear();
  TbsSkinData other(nullptr);
  ctl->SetSkinData(&other);
  win::SendMessageW(form->Handle(), MSG_SKIN_CHANGED, reinterpret_cast<win::WPARAM>(&other), 0);
  EXPECT_EQ(log, (std::vector<std::string>{"control change"}));
  ctl->SetSkinData(nullptr);
  SetSkinFormRegistry(nullptr);
}

TEST_F(FrameTest, BorderIconsDecideTheButtons) {
  auto* bsf = MakeFrame();
  auto visible = [&](const char16_t* n) { return bsf->Objects(bsf->GetIndex(n))->Visible; };
  auto enabled = [&](const char16_t* n) { return bsf->Objects(bsf->GetIndex(n))->Enabled; };
  bsf->SetBorderIcons({biMinimize});  // the main window
  EXPECT_TRUE(visible(u"minbutton"));
  EXPECT_TRUE(visible(u"closebutton"));
  EXPECT_FALSE(visible(u"maxbutton"));
  EXPECT_FALSE(visible(u"rollupbutton"));
  EXPECT_FALSE(visible(u"sysmenubutton"));
  EXPECT_EQ(bsf->Objects(bsf->GetIndex(u"minbutton"))->Hint, u"Minimize");
  EXPECT_EQ(bsf->Objects(bsf->GetIndex(u"closebutton"))->Hint, u"Close");

  bsf->DisableSystemMenu = true;
  bsf->SetBorderIcons({biSystemMenu});
  EXPECT_FALSE(enabled(u"sysmenubutton"));
  bsf->HideCaptionButtons = true;
  bsf->SetBorderIcons({biSystemMenu, biMinimize});
  EXPECT_FALSE(visible(u"minbutton"));
  EXPECT_FALSE(enabled(u"closebutton"));

  EXPECT_EQ(bsf->GetIndex(u"closebutton"), 1);
  EXPECT_EQ(bsf->GetIndex(u"CloseButton"), -1);
  bsf->SetEnabled(u"nothing", false);
  bsf->LinkMenu(u"nothing", nullptr, false);
}

TEST_F(FrameTest, CustomButtonShownOnlyWhenAsked) {
  sd = std::make_unique<TbsSkinData>(nullptr);
  MakeFrameSkin(*sd);
  auto d = std::make_unique<TbsDataSkinStdButton>(u"helpbutton");
  d->Command = cmDefault;
  d->SkinRectInAPicture = true;
  d->ActivePictureIndex = 0;
  d->SkinRect = {0, 0, 20, 20};
  sd->ObjectList.push_back(std::move(d));
  auto* bsf = new TbsBusinessSkinForm(form);
  bsf->SetSkinData(sd.get());
  EXPECT_FALSE(bsf->Objects(bsf->GetIndex(u"helpbutton"))->Visible);
  bsf->OnActivateCustomObject = [](const String& name, bool& visible) { visible = name == u"helpbutton"; };
  bsf->SetBorderIcons(bsf->BorderIcons());
  EXPECT_TRUE(bsf->Objects(bsf->GetIndex(u"helpbutton"))->Visible);
}

TEST_F(FrameTest, NonClientSizeMessage) {
  auto* bsf = MakeFrame(nullptr, false);
  ShowForm();
  win::RECT r = rtl::Rect(0, 0, 300, 200);
  win::SendMessageW(form->Handle(), win::WM_NCCALCSIZE, 0, reinterpret_cast<win::LPARAM>(&r));
  EXPECT_EQ(r, rtl::Rect(3, 22, 297, 197));
  sd = std::make_unique<TbsSkinData>(nullptr);
  MakeFrameSkin(*sd);
  bsf->SetSkinData(sd.get());
  r = rtl::Rect(0, 0, 600, 500);
  win::SendMessageW(form->Handle(), win::WM_NCCALCSIZE, 0, reinterpret_cast<win::LPARAM>(&r));
  EXPECT_EQ(r, rtl::Rect(5, 30, 595, 495));
  // Too small for the border: an empty client, never a negative one.
  r = rtl::Rect(0, 0, 4, 4);
  win::SendMessageW(form->Handle(), win::WM_NCCALCSIZE, 0, reinterpret_cast<win::LPARAM>(&r));
  EXPECT_EQ(r.Width(), 0);
  EXPECT_EQ(r.Height(), 0);
  form->SetBorderStyle(forms::bsNone);
  Pump();
  r = rtl::Rect(0, 0, 600, 500);
  win::SendMessageW(form->Handle(), win::WM_NCCALCSIZE, 0, reinterpret_cast<win::LPARAM>(&r));
  EXPECT_EQ(r, rtl::Rect(0, 0, 600, 500));
}

TEST_F(FrameTest, PaintToDcRequests) {
  auto* bsf = MakeFrame();
  ShowForm();
  gdi::TBitmap b;
  b.SetSize(600, 500);
  auto dc = reinterpret_cast<win::WPARAM>(b.Canvas()->Handle());
  EXPECT_EQ(win::SendMessageW(form->Handle(), MSG_SKIN_PAINT_NC_TO_DC, dc, 16802), 16802);
  EXPECT_EQ(b.GetSurface()->GetPixel(300, 28) & 0xFFFFFF, Rgb(kFrame));
  EXPECT_EQ(win::SendMessageW(form->Handle(), MSG_SKIN_PAINT_NC_TO_DC, dc, 1), 0);
  EXPECT_EQ(win::SendMessageW(form->Handle(), MSG_SKIN_PAINT_TO_DC, dc, 0), 12851);
  EXPECT_EQ(win::SendMessageW(form->Handle(), MSG_QUERY_SKIN_FRAME, 0, 0), 12853);
  (void)bsf;
}


TEST_F(FrameTest, QuickButtonsLeadTheCaption) {
  auto* bsf = MakeFrame();
  forms::TImageList images(nullptr, 16, 16);
  gdi::TBitmap glyph;
  glyph.SetSize(16, 16);
  images.Add(&glyph, nullptr);
  bsf->QuickImageList = &images;
  int clicks = 0;
  for (int i = 0; i < 3; ++i) {
    auto* item = bsf->QuickButtons().Add();
    item->SetImageIndex(0);
    item->FOnClick = [&clicks](rtl::TObject*) { ++clicks; };
  }
  ShowForm();
  auto* cap = dynamic_cast<TbsSkinCaptionObject*>(bsf->Objects(bsf->GetIndex(u"caption")));
  ASSERT_NE(cap, nullptr);
  const TRect o = cap->ObjectRect;
  TRect first = bsf->QuickButtons().Items(0)->ItemRect;
  EXPECT_EQ(first.Width(), 20);
  EXPECT_EQ(first.Height(), 20);
  EXPECT_EQ(first.Left, o.Left);
  EXPECT_EQ(bsf->QuickButtons().Items(1)->ItemRect.Left, o.Left + 24);
  EXPECT_EQ(cap->TextRectNow().Left, cap->TextRct.Left + 72);
  // The caption left of the buttons' end is not caption area for moving.
  EXPECT_FALSE(bsf->PointInCaptionObject({o.Left + 10, o.Top + 10}));
  EXPECT_TRUE(bsf->PointInCaptionObject({o.Left + 100, o.Top + 10}));
  // A release over an enabled button clicks it, wherever the press began.
  TRect second = bsf->QuickButtons().Items(1)->ItemRect;
  cap->MouseDown(o.Left + 200, o.Top + 5, forms::mbLeft);
  cap->MouseUp(second.Left + 5, second.Top + 5, forms::mbLeft);
  EXPECT_EQ(clicks, 1);
  // An invisible button takes no place but still widens the text margin.
  bsf->QuickButtons().Items(0)->SetVisible(false);
  ShowForm();
  win::SendMessageW(form->Handle(), win::WM_NCPAINT, 0, 0);
  EXPECT_EQ(bsf->QuickButtons().Items(1)->ItemRect.Left, o.Left);
  EXPECT_EQ(cap->TextRectNow().Left, cap->TextRct.Left + 72);
  bsf->QuickImageList = nullptr;
}

TEST_F(FrameTest, BackgroundWithoutATileIsThePlainFace) {
  auto* bsf = MakeFrame();
  ShowForm();
  gdi::TBitmap b;
  b.SetSize(590, 465);
  auto face = Rgb(gdi::ColorToRGB(gdi::clBtnFace));
  sd->ClRect = {};
  bsf->PaintBG(b.Canvas()->Handle());
  EXPECT_EQ(b.GetSurface()->GetPixel(10, 10) & 0xFFFFFF, face);
  // A background picture without pixels cannot be tiled: the face instead of a hang.
  sd->ClRect = {5, 30, 395, 295};
  sd->ActivePictures().push_back(std::make_unique<TbsSkinPicture>());
  sd->BGPictureIndex = int(sd->ActivePictures().size()) - 1;
  b.Canvas()->Brush()->SetColor(0x000000);
  b.Canvas()->FillRect(rtl::Rect(0, 0, 590, 465));
  bsf->PaintBG2(b.Canvas()->Handle());
  EXPECT_EQ(b.GetSurface()->GetPixel(10, 10) & 0xFFFFFF, face);
}

TEST_F(FrameTest, PreviewFrameOnAChildForm) {
  ShowForm();
  auto* preview = new TForm(form);
  preview->SetParent(form);
  preview->SetBounds(10, 10, 420, 320);
  preview->SetCaption(u"Preview");
  preview->AfterConstruction();
  auto* bsf = new TbsBusinessSkinForm(preview);
  bsf->PreviewMode = true;
  sd = std::make_unique<TbsSkinData>(nullptr);
  MakeFrameSkin(*sd);
  bsf->SetSkinData(sd.get());
  preview->SetEnabled(false);
  preview->Show();
  Pump();
  EXPECT_TRUE(bsf->GetFormActive());
  EXPECT_EQ(preview->ClientWidth(), 420 - 10);
  EXPECT_EQ(preview->ClientHeight(), 320 - 35);
  gdi::HRGN rgn = gdi::CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(win::GetWindowRgn(preview->Handle(), rgn), 0);
  EXPECT_FALSE(gdi::PtInRegion(rgn, 0, 0));
  EXPECT_TRUE(gdi::PtInRegion(rgn, 200, 0));
  gdi::DeleteObject(rgn);
  // Objects do not light up in a preview.
  bsf->TrackActiveObject(400, 15, true);
  EXPECT_EQ(bsf->ActiveObject, -1);
}


TEST_F(FrameTest, UnskinnableFrameLeavesTheNonClientAreaToTheWindow) {
  auto* bsf = MakeFrame();
  bsf->SetBorderIcons({biMinimize, biMaximize});
  ShowForm();
  bsf->SetSkinnableForm(false);
  Pump();
  EXPECT_EQ(bsf->ObjectCount(), 0);
  gdi::HRGN rgn = gdi::CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(win::GetWindowRgn(form->Handle(), rgn), 0);  // no region
  gdi::DeleteObject(rgn);
  // The form's own border icons follow the frame's.
  EXPECT_TRUE(form->BorderIcons().Contains(forms::biSystemMenu));
  EXPECT_TRUE(form->BorderIcons().Contains(forms::biMaximize));
  win::POINT p = Scr(300, 250);
  EXPECT_EQ(win::SendMessageW(form->Handle(), win::WM_NCHITTEST, 0, win::MAKELPARAM(p.X, p.Y)), win::HTCLIENT);
  EXPECT_NE(form->ClientWidth(), 590);
  // The skin data's switch brings the skinned frame back.
  sd->SetSkinnableForm(true);
  win::SendMessageW(form->Handle(), MSG_SKINNABLE_FORM_CHANGED, reinterpret_cast<win::WPARAM>(sd.get()), 0);
  Pump();
  EXPECT_GT(bsf->ObjectCount(), 0);
  EXPECT_EQ(form->ClientWidth(), 590);
  EXPECT_TRUE(form->BorderIcons().Empty());
}


TEST_F(FrameTest, FreedFrameGivesTheWindowBack) {
  auto* bsf = MakeFrame();
  ShowForm();
  EXPECT_EQ(form->ClientWidth(), 590);
  delete bsf;
  Pump();
  EXPECT_EQ(FindSkinFormComponent(form), nullptr);
  gdi::HRGN rgn = gdi::CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(win::GetWindowRgn(form->Handle(), rgn), 0);
  gdi::DeleteObject(rgn);
  EXPECT_NE(form->ClientWidth(), 590);
  win::SendMessageW(form->Handle(), win::WM_NCPAINT, 0, 0);
  Pump();
}


TEST_F(FrameTest, SkinChangeReachesEachFormOnce) {
  InstallFormsSkinRegistry();
  auto* skin = new TbsSkinData(form);  // owned by the form, as the main window's is
  skin->SetShowLayeredBorders(false);
  auto* bsf = new TbsBusinessSkinForm(form);
  bsf->SetSkinData(skin);
  TForm* second = new TForm(forms::Application);
  second->SetBounds(700, 100, 300, 200);
  second->AfterConstruction();
  auto* bsf2 = new TbsBusinessSkinForm(second);
  bsf2->SetSkinData(skin);
  ShowForm();
  ShowForm(second);
  int first = 0, other = 0;
  bsf->OnBeforeChangeSkinData = [&](rtl::TObject*) { ++first; };
  bsf2->OnBeforeChangeSkinData = [&](rtl::TObject*) { ++other; };
  auto stored = StoredFrom(1);
  skin->LoadCompressedStoredSkin(stored.get());
  EXPECT_EQ(first, 1);
  EXPECT_EQ(other, 1);
  EXPECT_TRUE(bsf->SkinSupport());
  EXPECT_TRUE(bsf2->SkinSupport());
  SetSkinFormRegistry(nullptr);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The main window picks its skin while it is being built, before its window
// exists, and no one has set up the delivery of skin changes yet: the frame
// must end up with the new skin's objects and look exactly like a frame that
// got the same skin on a window that already existed.
TEST_F(FrameTest, SkinChangedBeforeTheWindowExistsIsTaken) {
  ASSERT_GE(resources::StoredSkinCount(), 4);
  SetSkinFormRegistry(nullptr);
  TbsCompressedSkinList list(nullptr);
  for (int i = 0; i < resources::StoredSkinCount(); ++i) {
    const auto& r = resources::StoredSkin(i);
    rtl::TMemoryStream in;
    in.WriteBuffer(r.Data, rtl::Int64(r.Size));
    in.SetPosition(0);
    list.Skins()->AddItem()->ReadSkin(in);
  }
  struct Case {
    const char* name;
    int index;   // SetSkinIndex before the window exists, -1 = none
    int loaded;  // then a stored skin loaded directly, -1 = none
    int expect;  // the skin the frame must show
  };
  for (Case c : {Case{"index", 2, -1, 2}, Case{"loaded", -1, 0, 0}, Case{"index_then_loaded", 3, 2, 2}}) {
    SCOPED_TRACE(c.name);
    auto skin = std::make_unique<TbsSkinData>(nullptr);
    skin->SetSkinList(&list);
    skin->SetSkinIndex(1);
    auto* f = new TForm(forms::Application);
    f->SetBounds(100, 100, 600, 500);
    f->SetCaption(u"TavrelAndroid手机视频转换器");
    f->AfterConstruction();
    auto* bsf = new TbsBusinessSkinForm(f);
    bsf->SetBorderIcons({biMinimize});
    bsf->SetSkinData(skin.get());
    ASSERT_GT(bsf->ObjectCount(), 0);
    ASSERT_FALSE(f->HandleAllocated());
    if (c.index >= 0) skin->SetSkinIndex(c.index);
    if (c.loaded >= 0) {
      auto stored = StoredFrom(c.loaded);
      skin->LoadCompressedStoredSkin(stored.get());
    }

    // The same skin given to a frame whose window exists.
    auto* ref = new TForm(forms::Application);
    ref->SetBounds(100, 100, 600, 500);
    ref->SetCaption(u"TavrelAndroid手机视频转换器");
    ref->AfterConstruction();
    ref->HandleNeeded();
    auto* refSkin = new TbsSkinData(ref);
    auto stored = StoredFrom(c.expect);
    refSkin->LoadCompressedStoredSkin(stored.get());
    auto* refBsf = new TbsBusinessSkinForm(ref);
    refBsf->SetBorderIcons({biMinimize});
    refBsf->SetSkinData(refSkin);
    ShowForm(ref);
    const std::string dir = PictureDir() + "/frame_early_skin_" + c.name;
    ASSERT_TRUE(forms::RenderToPng(ref, dir + "_expected.png"));
    ref->Hide();
    Pump();

    ShowForm(f);
    ASSERT_TRUE(bsf->SkinSupport());
    ASSERT_TRUE(forms::RenderToPng(f, dir + ".png"));
    EXPECT_EQ(bsf->NewCaptionRect, refBsf->NewCaptionRect);
    EXPECT_EQ(bsf->NewClRect, refBsf->NewClRect);
    EXPECT_EQ(f->Width(), ref->Width());
    EXPECT_EQ(f->Height(), ref->Height());
    ASSERT_EQ(bsf->ObjectCount(), refBsf->ObjectCount());
    for (int i = 0; i < bsf->ObjectCount(); ++i) {
      SCOPED_TRACE(rtl::StringToUtf8(refBsf->Objects(i)->IDName));
      EXPECT_EQ(bsf->Objects(i)->IDName, refBsf->Objects(i)->IDName);
      EXPECT_EQ(bsf->Objects(i)->ObjectRect, refBsf->Objects(i)->ObjectRect);
      EXPECT_EQ(bsf->Objects(i)->Visible, refBsf->Objects(i)->Visible);
      EXPECT_EQ(bsf->Objects(i)->Enabled, refBsf->Objects(i)->Enabled);
    }
    // Same picture, frame and client, as the reference.
    EXPECT_TRUE(ReadFile(dir + ".png") == ReadFile(dir + "_expected.png")) << dir << ".png differs";
    delete f;
    delete ref;
    Pump();
  }
}

}  // namespace
}  // namespace frametest
