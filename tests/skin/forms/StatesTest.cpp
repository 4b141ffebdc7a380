// Caption buttons under the pointer, window states, roll-up, placement and
// magnetic snapping of the frame.
#include <gtest/gtest.h>

#include <cmath>

#include "FrameTestUtil.h"
#include "platform/rtl/Strings.h"

namespace frametest {
namespace {

TEST_F(FrameTest, CloseButtonClosesOnlyWhenReleasedOverIt) {
  auto* bsf = MakeFrame();
  ShowForm();
  int closes = 0;
  form->OnClose = [&](rtl::TObject*, forms::TCloseAction& a) {
    ++closes;
    a = forms::caHide;
  };
  std::vector<std::string> events;
  bsf->OnMouseEnterEvent = [&](const String& n) { events.push_back("enter " + rtl::StringToUtf8(n)); };
  bsf->OnMouseLeaveEvent = [&](const String& n) { events.push_back("leave " + rtl::StringToUtf8(n)); };

  // Pressed on the button, released outside the window: nothing. The frame
  // follows the pointer over its objects on its 50 ms timer.
  win::headless::MouseMove(Scr(570, 15));
  Advance(60);
  EXPECT_EQ(bsf->ActiveObject, bsf->GetIndex(u"closebutton"));
  EXPECT_EQ(FramePixel(570, 15), Rgb(kHot));
  win::headless::MouseDown(Scr(570, 15));
  Pump();
  EXPECT_EQ(FramePixel(570, 15), Rgb(kDown));
  win::headless::MouseMove(Scr(700, 15));
  win::headless::MouseUp(Scr(700, 15));
  Pump();  // released before the tracking timer saw the pointer leave
  EXPECT_EQ(closes, 0);
  EXPECT_TRUE(form->Visible());

  // Moving from one button to the next leaves the first before entering the second.
  events.clear();
  win::headless::MouseMove(Scr(548, 15));
  Advance(60);
  win::headless::MouseMove(Scr(570, 15));
  Advance(60);
  EXPECT_EQ(events, (std::vector<std::string>{"enter maxbutton", "leave maxbutton", "enter closebutton"}));

  win::headless::MouseDown(Scr(570, 15));
  Pump();
  win::headless::MouseUp(Scr(570, 15));
  Pump();
  EXPECT_EQ(closes, 1);
  EXPECT_FALSE(form->Visible());
}

TEST_F(FrameTest, CapturedButtonKeepsOthersDark) {
  auto* bsf = MakeFrame();
  ShowForm();
  win::headless::MouseMove(Scr(548, 15));
  Pump();
  win::headless::MouseDown(Scr(548, 15));
  Pump();
  ASSERT_EQ(bsf->MouseCaptureObject, bsf->GetIndex(u"maxbutton"));
  bsf->TrackActiveObject(570, 15, true);
  EXPECT_EQ(bsf->ActiveObject, -1);
  EXPECT_FALSE(bsf->Objects(bsf->GetIndex(u"closebutton"))->Active);
  win::headless::MouseUp(Scr(700, 200));
  Pump();
}

TEST_F(FrameTest, MainWindowMinimizeButtonIconifies) {
  auto* main = forms::Application->CreateForm<TForm>();
  main->SetBounds(200, 200, 600, 500);
  main->AfterConstruction();
  auto* bsf = MakeFrame(main);
  bsf->SetBorderIcons({biMinimize});
  ShowForm(main);
  int minimized = 0;
  bsf->OnMinimize = [&](rtl::TObject*) { ++minimized; };
  // Close at 560..580, minimize next to it (max is hidden).
  const auto& r = bsf->Objects(bsf->GetIndex(u"minbutton"))->ObjectRect;
  EXPECT_EQ(r, rtl::Rect(538, 5, 558, 25));
  win::headless::Click(Scr(548, 15, main));
  Pump();
  EXPECT_TRUE(win::IsIconic(main->Handle()));
  EXPECT_EQ(minimized, 1);
  EXPECT_EQ(bsf->WindowState(), forms::wsNormal);  // minimized natively, the frame keeps its state
}

// The caption's maximize button maximizes, and pressed again (where it lies
// on the maximized frame) restores the normal bounds.
TEST_F(FrameTest, MaximizeButtonMaximizesAndRestores) {
  form->SetBorderStyle(forms::bsSizeable);
  auto* bsf = MakeFrame();
  ShowForm();
  const TRect normal = form->BoundsRect();
  auto pressMax = [&] {
    const TRect r = bsf->Objects(bsf->GetIndex(u"maxbutton"))->ObjectRect;
    const int x = (r.Left + r.Right) / 2, y = (r.Top + r.Bottom) / 2;
    win::headless::MouseMove(Scr(x, y));
    Pump();
    win::headless::Click(Scr(x, y));
    Pump();
  };
  pressMax();
  EXPECT_EQ(bsf->WindowState(), forms::wsMaximized);
  EXPECT_EQ(form->BoundsRect(), rtl::Rect(0, 0, 1280, 984));
  pressMax();
  EXPECT_EQ(bsf->WindowState(), forms::wsNormal);
  EXPECT_EQ(form->BoundsRect(), normal);
}

TEST_F(FrameTest, StatesReturnToTheNormalBounds) {
  form->SetBorderStyle(forms::bsSizeable);
  auto* bsf = MakeFrame();
  ShowForm();
  const TRect normal = form->BoundsRect();
  bsf->SetWindowState(forms::wsMinimized);
  EXPECT_EQ(form->BoundsRect(), rtl::Bounds(0, 984 - 35, 400, 35));
  bsf->SetWindowState(forms::wsMaximized);
  EXPECT_EQ(form->BoundsRect(), rtl::Rect(0, 0, 1280, 984));
  // A maximized frame cannot be dragged.
  win::RECT moving = rtl::Rect(50, 50, 1330, 1034);
  win::SendMessageW(form->Handle(), win::WM_MOVING, 0, reinterpret_cast<win::LPARAM>(&moving));
  EXPECT_EQ(moving, rtl::Rect(0, 0, 1280, 984));
  bsf->SetWindowState(forms::wsNormal);
  EXPECT_EQ(form->BoundsRect(), normal);
  // The caption double-click of a sizeable frame with a maximize button maximizes.
  bsf->CaptionDblClick();
  EXPECT_EQ(bsf->WindowState(), forms::wsMaximized);
  bsf->CaptionDblClick();
  EXPECT_EQ(bsf->WindowState(), forms::wsNormal);
}

TEST_F(FrameTest, MaximizeKeepsAPixelForAHiddenTaskBar) {
  win::headless::SetScreen(rtl::Rect(0, 0, 1280, 1024), rtl::Rect(0, 0, 1280, 1024));
  auto* bsf = MakeFrame();
  ShowForm();
  bsf->SetWindowState(forms::wsMaximized);
  EXPECT_EQ(form->BoundsRect(), rtl::Rect(1, 1, 1279, 1023));
  bsf->SetWindowState(forms::wsNormal);
  bsf->MaximizeOnFullScreen = true;
  bsf->SetWindowState(forms::wsMaximized);
  EXPECT_EQ(form->BoundsRect(), rtl::Rect(0, 0, 1280, 1024));
}

TEST_F(FrameTest, MinimizedBarsFillRowsFromTheBottomLeft) {
  std::vector<TbsBusinessSkinForm*> frames;
  for (int i = 0; i < 5; ++i) {
    auto* f = new TForm(forms::Application);
    f->SetBounds(100 + i * 10, 100, 600, 500);
    f->AfterConstruction();
    frames.push_back(MakeFrame(f));
    f->Show();
  }
  Pump();
  for (auto* b : frames) b->SetWindowState(forms::wsMinimized);
  // 400 wide bars: three fit a 1280 row, the fourth starts the row above.
  EXPECT_EQ((TPoint{frames[0]->Form()->Left(), frames[0]->Form()->Top()}), (TPoint{0, 949}));
  EXPECT_EQ((TPoint{frames[1]->Form()->Left(), frames[1]->Form()->Top()}), (TPoint{400, 949}));
  EXPECT_EQ((TPoint{frames[2]->Form()->Left(), frames[2]->Form()->Top()}), (TPoint{800, 949}));
  EXPECT_EQ((TPoint{frames[3]->Form()->Left(), frames[3]->Form()->Top()}), (TPoint{0, 914}));
  EXPECT_EQ((TPoint{frames[4]->Form()->Left(), frames[4]->Form()->Top()}), (TPoint{400, 914}));
}

TEST_F(FrameTest, RollUpCombinations) {
  form->SetBorderStyle(forms::bsSizeable);
  auto* bsf = MakeFrame();
  ShowForm();
  bsf->SetRollUpState(true);
  EXPECT_EQ(form->Height(), 35);
  EXPECT_EQ(bsf->RealHeight(), 500);
  // Rolled up, maximized, restored: still rolled up.
  bsf->SetWindowState(forms::wsMaximized);
  bsf->SetWindowState(forms::wsNormal);
  EXPECT_TRUE(bsf->RollUpState());
  bsf->SetRollUpState(false);
  EXPECT_EQ(form->Height(), 500);
  // Rolled up only while maximized: the restore rolls down.
  bsf->SetWindowState(forms::wsMaximized);
  bsf->SetRollUpState(true);
  EXPECT_TRUE(bsf->MaxRollUpState);
  bsf->SetWindowState(forms::wsNormal);
  EXPECT_FALSE(bsf->RollUpState());
  EXPECT_EQ(form->BoundsRect(), rtl::Bounds(100, 100, 600, 500));
  // Refused without the icon and while minimized.
  bsf->SetBorderIcons({biMinimize});
  bsf->SetRollUpState(true);
  EXPECT_FALSE(bsf->RollUpState());
}

// The About box: centred on first show, rolled up by a caption double-click,
// rolled down to its client height, snapping to the work area's edges.
class AboutBoxTest : public FrameTest {
 protected:
  TbsBusinessSkinForm* MakeAbout() {
    form->SetBorderStyle(forms::bsSingle);
    auto* bsf = MakeFrame();
    bsf->PositionInMonitor = bspDesktopCenter;
    bsf->ClientWidth = 340;
    bsf->ClientHeight = 245;
    bsf->SetShowIcon(true);
    bsf->Magnetic = true;
    bsf->MagneticSize = 10;
    bsf->SetBorderIcons({biRollUp});
    bsf->SetSkinData(sd.get());
    return bsf;
  }
};

TEST_F(AboutBoxTest, CentredOnFirstShowAndRollsUpByDoubleClick) {
  auto* bsf = MakeAbout();
  EXPECT_EQ(form->ClientWidth(), 340);
  EXPECT_EQ(form->ClientHeight(), 245);
  ShowForm();
  EXPECT_EQ(form->Left(), 640 - form->Width() / 2);
  EXPECT_EQ(form->Top(), 492 - form->Height() / 2);

  const int caption = form->Width() / 2;
  auto dbl = [&] {
    win::POINT p = Scr(caption, 15);
    win::SendMessageW(form->Handle(), win::WM_NCLBUTTONDBLCLK, win::HTCAPTION, win::MAKELPARAM(p.X, p.Y));
    Pump();
  };
  dbl();
  EXPECT_TRUE(bsf->RollUpState());
  EXPECT_EQ(form->Height(), 35);
  form->SetHeight(300);  // a resize while rolled up is forgotten on the way down
  dbl();
  EXPECT_FALSE(bsf->RollUpState());
  EXPECT_EQ(form->ClientHeight(), 245);
}

TEST_F(AboutBoxTest, SnapsToTheWorkAreaEdgeAndTearsOff) {
  MakeAbout();
  ShowForm();
  form->SetBounds(100, 100, form->Width(), form->Height());
  Pump();
  const int cx = 100 + form->Width() / 2, cy = 115;
  // Drag: left edge 9 pixels from the edge snaps, a small move stays, more than 10 tears off.
  win::headless::MouseMove({cx, cy});
  Pump();
  win::headless::MouseDown({cx, cy});
  win::headless::MouseMove({cx - 91, cy});
  win::headless::MouseUp({cx - 91, cy});
  Pump();
  EXPECT_EQ(form->Left(), 0);
  EXPECT_EQ(form->Top(), 100);

  win::headless::MouseMove({cx - 91, cy});
  Pump();
  win::headless::MouseDown({cx - 91, cy});
  win::headless::MouseMove({cx - 86, cy});
  win::headless::MouseUp({cx - 86, cy});
  Pump();
  EXPECT_EQ(form->Left(), 0) << "within 10 pixels the window stays at the edge";

  auto* bsf = FindSkinFormComponent(form);
  bsf->MagneticSize = 10;
  int l = 9, t = 300;
  bsf->HMagnetized = false;
  bsf->FOnMouseDownCoord = {300, 300};
  win::headless::MouseMove({300, 300});
  Pump();
  bsf->MagnetizeBounds(l, t, form->Width(), form->Height());
  EXPECT_EQ(l, 0);
  EXPECT_TRUE(bsf->HMagnetized);
  win::headless::MouseMove({315, 300});
  Pump();
  l = 5;
  bsf->MagnetizeBounds(l, t, form->Width(), form->Height());
  EXPECT_EQ(l, 15) << "more than 10 pixels from the snap point: follows the cursor";
  // The right and bottom edges snap the same way.
  l = 1280 - form->Width() - 7;
  t = 984 - form->Height() + 6;
  bsf->HMagnetized2 = bsf->VMagnetized2 = bsf->HMagnetized = bsf->VMagnetized = false;
  bsf->MagnetizeBounds(l, t, form->Width(), form->Height());
  EXPECT_EQ(l, 1280 - form->Width());
  EXPECT_EQ(t, 984 - form->Height());
}

TEST_F(FrameTest, MorphRunsFiveTicksEachWay) {
  auto* bsf = MakeFrame(nullptr, true, true);
  ShowForm();
  auto* o = bsf->Objects(bsf->GetIndex(u"closebutton"));
  ASSERT_TRUE(o->EnableMorphing());
  o->MouseEnter();
  std::vector<double> kf;
  for (int i = 0; i < 6; ++i) {
    bsf->MorphTimerTick();
    kf.push_back(o->MorphKf());
  }
  EXPECT_NEAR(kf[0], 0.2, 1e-9);
  EXPECT_NEAR(kf[2], 0.6, 1e-9);
  EXPECT_EQ(kf[4], 1.0);
  EXPECT_FALSE(bsf->MorphTimer->Enabled());
  o->MouseLeave();
  bsf->MorphTimerTick();
  bsf->MorphTimerTick();
  EXPECT_NEAR(o->MorphKf(), 0.6, 1e-9);
  o->MouseEnter();  // reverses from where it stands
  bsf->MorphTimerTick();
  EXPECT_NEAR(o->MorphKf(), 0.8, 1e-9);
  o->SetMorphKf(std::nan(""));
  EXPECT_EQ(o->MorphKf(), 0);
  o->SetMorphKf(3);
  EXPECT_EQ(o->MorphKf(), 1);
  sd->EnableSkinEffects = false;
  EXPECT_FALSE(o->EnableMorphing());
}

TEST_F(FrameTest, AnimateObjectPlaysForwardAndBack) {
  sd = std::make_unique<TbsSkinData>(nullptr);
  MakeFrameSkin(*sd);
  auto d = std::make_unique<TbsDataSkinAnimate>(u"anim");
  d->ActivePictureIndex = 0;
  d->SkinRect = {0, 0, 20, 20};
  d->ActiveSkinRect = {0, 0, 60, 20};
  d->CountFrames = 3;
  d->ButtonStyle = true;
  d->Command = cmDefault;
  d->SkinRectInAPicture = false;
  d->TimerInterval = 10;
  sd->ObjectList.push_back(std::move(d));
  auto* bsf = new TbsBusinessSkinForm(form);
  bsf->SetSkinData(sd.get());
  ShowForm();
  auto* a = dynamic_cast<TbsSkinAnimateObject*>(bsf->Objects(bsf->GetIndex(u"anim")));
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->TimerInterval, 25);
  a->MouseEnter();
  for (int i = 0; i < 10; ++i) bsf->AnimateTimerTick();
  EXPECT_EQ(a->Frame(), 3);
  EXPECT_FALSE(a->Active);
  a->MouseLeave();
  for (int i = 0; i < 10; ++i) bsf->AnimateTimerTick();
  EXPECT_EQ(a->Frame(), 1);
  EXPECT_EQ(a->FrameRect(2), rtl::Rect(20, 0, 40, 20));
}

TEST_F(FrameTest, FadeInSchedule) {
  win::headless::SimulateLayering(true);
  ASSERT_TRUE(win::IsLayeringSupported());
  TForm* watched = form;
  std::vector<int> alphas;
  const auto sleepWait = FadeWait;
  FadeWait = [&] {
    win::headless::AdvanceClock(1);
    win::BYTE a = 0;
    win::DWORD flags = 0;
    if (win::GetLayeredWindowAttributes(watched->Handle(), nullptr, &a, &flags) &&
        (alphas.empty() || alphas.back() != a))
      alphas.push_back(a);
  };
  // Animation alone: to 255 in steps of 17, then the window is opaque again.
  auto* bsf = MakeFrame();
  bsf->AlphaBlendAnimation = true;
  ShowForm();
  Advance(10);  // the fade starts on the window's 1 ms timer
  ASSERT_GE(alphas.size(), 2u);
  EXPECT_EQ(alphas[0], 0);
  EXPECT_EQ(alphas[1], 17);
  EXPECT_FALSE(win::GetWindowLongW(form->Handle(), win::GWL_EXSTYLE) & win::WS_EX_LAYERED);

  // With AlphaBlend 200: steps of 13 up to 200, and the window stays layered.
  watched = new TForm(forms::Application);
  watched->SetBounds(700, 100, 300, 200);
  watched->AfterConstruction();
  auto* bsf2 = MakeFrame(watched);
  bsf2->AlphaBlendAnimation = true;
  watched->HandleNeeded();
  bsf2->SetAlphaBlend(true);
  alphas.clear();
  ShowForm(watched);
  Advance(10);
  ASSERT_GE(alphas.size(), 2u);
  EXPECT_EQ(alphas[1] - alphas[0], 13);
  win::BYTE a = 0;
  win::DWORD flags = 0;
  ASSERT_TRUE(win::GetLayeredWindowAttributes(watched->Handle(), nullptr, &a, &flags));
  EXPECT_EQ(a, 200);
  EXPECT_TRUE(win::GetWindowLongW(watched->Handle(), win::GWL_EXSTYLE) & win::WS_EX_LAYERED);
  FadeWait = sleepWait;
  win::headless::SimulateLayering(false);
}

TEST_F(FrameTest, SizeableDialogResizesFromItsBorderWithinTheLimits) {
  form->SetBounds(100, 100, 300, 200);
  form->SetBorderStyle(forms::bsSizeable);
  auto* bsf = MakeFrame(nullptr, false);
  bsf->SetBorderIcons({});
  ShowForm();
  win::headless::MouseMove(Scr(298, 100));
  Pump();
  win::headless::MouseDown(Scr(298, 100));
  win::headless::MouseMove(Scr(348, 100));
  win::headless::MouseUp(Scr(348, 100));
  Pump();
  EXPECT_EQ(form->Width(), 350);
  EXPECT_EQ(form->ClientWidth(), 344);
  win::headless::MouseMove(Scr(348, 100));
  Pump();
  win::headless::MouseDown(Scr(348, 100));
  win::headless::MouseMove(Scr(48, 100));
  win::headless::MouseUp(Scr(48, 100));
  Pump();
  EXPECT_EQ(form->Width(), 120);  // the default frame's least width
}


// Records the object hints the frame asks for.
class HintRecorder : public TbsFrameHintSupport {
 public:
  void ActivateHint2(rtl::TComponent*, const String& AHint) override { shown.push_back(rtl::StringToUtf8(AHint)); }
  void HideHint(rtl::TComponent*) override { shown.push_back("hide"); }
  std::vector<std::string> shown;
};

TEST_F(FrameTest, ObjectHintsNeedAHintComponent) {
  HintRecorder hints;
  SetFrameHintSupport(&hints);
  auto* bsf = MakeFrame();
  ShowForm();
  bsf->ShowObjectHint = true;
  bsf->TrackActiveObject(570, 15, true);
  bsf->TrackActiveObject(-1, -1, true);
  EXPECT_TRUE(hints.shown.empty());
  rtl::TComponent hint(nullptr);
  bsf->SkinHint = &hint;
  bsf->TrackActiveObject(570, 15, true);
  bsf->TrackActiveObject(-1, -1, true);
  EXPECT_EQ(hints.shown, (std::vector<std::string>{"Close", "hide"}));
  bsf->SkinHint = nullptr;
  SetFrameHintSupport(nullptr);
}


TEST_F(FrameTest, CaptionActivationAnimation) {
  sd = std::make_unique<TbsSkinData>(nullptr);
  MakeFrameSkin(*sd);
  auto* capData = dynamic_cast<TbsDataSkinCaption*>(sd->ObjectList[0].get());
  capData->ActivePictureIndex = 0;
  capData->ActiveSkinRect = {0, 0, 60, 20};
  capData->AnimateSkinRect = {0, 0, 60, 20};  // three frames side by side
  capData->FrameCount = 3;
  capData->AnimateInterval = 25;
  capData->InActiveAnimation = true;
  auto* bsf = new TbsBusinessSkinForm(form);
  bsf->SetSkinData(sd.get());
  ShowForm();
  auto* cap = dynamic_cast<TbsSkinCaptionObject*>(bsf->Objects(0));
  ASSERT_TRUE(cap->EnableAnimation());
  EXPECT_EQ(cap->GetAnimationFrameRect(), rtl::Rect(0, 0, 20, 20));
  // Deactivated: the frames play backwards from the last one down to 0.
  TForm* other = new TForm(forms::Application);
  other->SetBounds(900, 700, 100, 100);
  other->AfterConstruction();
  ShowForm(other);
  EXPECT_FALSE(cap->Active);
  EXPECT_EQ(cap->CurrentFrame, 3);
  std::vector<int> frames;
  for (int i = 0; i < 8; ++i) {
    bsf->AnimateTimerTick();
    frames.push_back(cap->CurrentFrame);
  }
  EXPECT_EQ(frames.back(), 0);
  EXPECT_FALSE(bsf->AnimateTimer->Enabled());
  // Without the inactive animation the inactive look comes at once.
  cap->InActiveAnimation = false;
  ShowForm();
  EXPECT_TRUE(cap->Active);
  EXPECT_EQ(cap->CurrentFrame, 1);
  ShowForm(other);
  EXPECT_EQ(cap->CurrentFrame, 0);
}

TEST_F(FrameTest, ObjectBelowTheClientIsDrawnInTheBottomStrip) {
  sd = std::make_unique<TbsSkinData>(nullptr);
  MakeFrameSkin(*sd);
  auto d = std::make_unique<TbsDataSkinButton>(u"grip");
  d->ActivePictureIndex = 0;
  d->SkinRect = {5, 295, 15, 300};  // in the left-bottom corner zone, below the client
  d->ActiveSkinRect = {20, 0, 40, 20};
  sd->ObjectList.push_back(std::move(d));
  auto* bsf = new TbsBusinessSkinForm(form);
  bsf->SetSkinData(sd.get());
  ShowForm();
  auto* o = bsf->Objects(bsf->GetIndex(u"grip"));
  EXPECT_EQ(o->ObjectRect, rtl::Rect(5, 495, 15, 500));
  EXPECT_EQ(FramePixel(10, 497), Rgb(kFrame));
  o->Active = true;
  win::SendMessageW(form->Handle(), win::WM_NCPAINT, 0, 0);
  EXPECT_EQ(FramePixel(8, 497), Rgb(kHot));
}


TEST_F(FrameTest, MaximizeButtonRestoreLookAndSystemButtonDoubleClick) {
  sd = std::make_unique<TbsSkinData>(nullptr);
  MakeFrameSkin(*sd);
  dynamic_cast<TbsDataSkinStdButton*>(sd->ObjectList[2].get())->RestoreRect = {40, 0, 60, 20};
  auto* bsf = new TbsBusinessSkinForm(form);
  bsf->SetSkinData(sd.get());
  ShowForm();
  auto* max = dynamic_cast<TbsSkinStdButtonObject*>(bsf->Objects(bsf->GetIndex(u"maxbutton")));
  ASSERT_NE(max, nullptr);
  max->MouseEnter();
  EXPECT_EQ(max->Hint, u"Maximize");
  max->MouseLeave();
  bsf->SetWindowState(forms::wsMaximized);
  EXPECT_TRUE(max->RestoreLook());
  max->MouseEnter();
  EXPECT_EQ(max->Hint, u"Restore");
  max->MouseLeave();
  win::SendMessageW(form->Handle(), win::WM_NCPAINT, 0, 0);
  const TRect r = max->ObjectRect;
  EXPECT_EQ(FramePixel(r.Left + 10, r.Top + 10), Rgb(kDown));  // the restore rectangle's colour
  bsf->SetWindowState(forms::wsNormal);

  int closes = 0;
  form->OnClose = [&](rtl::TObject*, forms::TCloseAction& a) {
    ++closes;
    a = forms::caHide;
  };
  bsf->Objects(bsf->GetIndex(u"sysmenubutton"))->DblClick();
  EXPECT_EQ(closes, 1);
}

}  // namespace
}  // namespace frametest
