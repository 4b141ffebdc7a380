// Skinned hints on the headless window system and the fake clock: the
// application's hints become skinned ones with title and image from the
// control, "@" breaks lines, delayed hints follow the hint pauses, hints flip
// at the work area's edges, and the component hands the application's hint
// machinery back when it goes. A gallery renders hints in three stored skins.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/forms/FormRender.h"
#include "platform/gdi/Colors.h"
#include "platform/gdi/PngCodec.h"
#include "platform/rtl/Strings.h"
#include "skin/controls/bsSkinButtons.h"
#include "skin/forms/bsBusinessSkinForm.h"
#include "skin/menus/bsSkinHint.h"
#include "tests/skin/controls/SkinControlsTestUtil.h"
#include "tests/skin/menus/TrayHintTestUtil.h"
#include "tests/support/Looks.h"

namespace skinmenustest {
namespace {

using namespace skin;
using forms::TForm;

// A colour as the low 24 bits of a back-buffer pixel.
std::uint32_t Argb(rtl::TColor c) {
  const std::uint32_t rgb = gdi::ColorToRGB(c);
  return (rgb & 0xFF) << 16 | (rgb & 0xFF00) | (rgb >> 16 & 0xFF);
}

class HintTest : public MainFormTest {
 protected:
  void TearDown() override {
    sd.reset();
    MainFormTest::TearDown();
  }
  TbsSkinHint* MakeHint() {
    auto* h = new TbsSkinHint(main);
    h->SetSkinData(sd.get());
    return h;
  }
  TbsSkinButton* MakeButton(int x, int y, const char16_t* hint) {
    auto* b = new TbsSkinButton(main);
    b->SetBounds(x, y, 90, 25);
    b->SetParent(main);
    b->SetHint(hint);
    b->SetShowHint(true);
    return b;
  }
  void Hover(forms::TControl* c) {
    win::headless::MouseMove(c->ClientToScreen({5, 5}));
    Pump();
  }
  TbsSkinHintWindow* AppHintWindow() { return dynamic_cast<TbsSkinHintWindow*>(forms::Application->HintWindow()); }
  void LoadStored(const std::u16string& name) {
    const int i = skinctltest::StoredIndex(name);
    ASSERT_GE(i, 0);
    stored = skinctltest::StoredFrom(i);
    sd = std::make_unique<TbsSkinData>(nullptr);
    sd->LoadCompressedStoredSkin(stored.get());
  }
  std::unique_ptr<forms::TImageList> Images(int count) {
    auto il = std::make_unique<forms::TImageList>(nullptr, 16, 16);
    for (int i = 0; i < count; ++i) {
      gdi::TBitmap b(16, 16);
      b.Canvas()->Brush()->SetColor(i % 2 ? gdi::clBlue : gdi::clRed);
      b.Canvas()->FillRect(rtl::Rect(0, 0, 16, 16));
      il->AddMasked(&b, gdi::clFuchsia);
    }
    return il;
  }

  std::unique_ptr<TbsCompressedStoredSkin> stored;
  std::unique_ptr<TbsSkinData> sd;
};

TEST(HintText, LineSeparatorBecomesLineBreak) {
  struct Case {
    std::u16string text, sep, want;
  } cases[] = {
      {u"上移@下移", u"@", u"上移\n\r下移"},
      {u"a@b@c", u"@", u"a\n\rb\n\rc"},
      {u"@a@", u"@", u"\n\ra\n\r"},
      {u"a@b", u"", u"a@b"},
      {u"a||b|c", u"||", u"a\n\rb|c"},
      {u"plain", u"@", u"plain"},
  };
  for (const auto& c : cases) EXPECT_EQ(ReplaceLineSeparator(c.text, c.sep), c.want) << rtl::StringToUtf8(c.text);
}

// The frame's object and quick-button hints and the images menu's cell
// hints all show in the real hint component after the hint pause.
TEST_F(HintTest, FrameObjectsQuickButtonsAndImagesMenuShowTheirHints) {
  TbsSkinHint* hint = MakeHint();
  auto* frame = new TbsBusinessSkinForm(main);
  frame->SkinHint = hint;
  frame->ShowObjectHint = true;
  main->Invalidate();
  Pump();
  ASSERT_GT(frame->ObjectCount(), 0);
  auto shownAfterPause = [&](const std::u16string& text) {
    Advance(forms::Application->HintPause + 20);
    return hint->IsVisible() && hint->Window()->Caption() == text;
  };

  // A caption button under the pointer.
  win::SetForegroundWindow(main->Handle());
  Pump();
  auto* close = dynamic_cast<TbsSkinStdButtonObject*>(frame->Objects(frame->GetIndex(u"closebutton")));
  ASSERT_NE(close, nullptr);
  close->FTempHint = u"关闭窗口";  // a caption button's hint as the skin gives it
  const TRect r = close->ObjectRect;
  win::RECT wr;
  win::GetWindowRect(main->Handle(), &wr);
  win::headless::MouseMove({wr.Left + r.Left + 3, wr.Top + r.Top + 3});
  Pump();
  frame->TrackActiveObject(r.Left + 3, r.Top + 3, true);
  EXPECT_TRUE(shownAfterPause(u"关闭窗口"));
  win::headless::MouseMove({wr.Left + 200, wr.Top + 150});
  Advance(100);
  EXPECT_FALSE(hint->IsVisible());
  win::headless::MouseMove({wr.Left + r.Left + 3, wr.Top + r.Top + 3});
  Pump();
  frame->TrackActiveObject(r.Left + 3, r.Top + 3, true);
  frame->TrackActiveObject(-1, -1, true);
  frame->ShowObjectHint = false;

  // A quick button of the caption.
  auto images = Images(2);
  frame->QuickImageList = images.get();
  frame->QuickButtonsShowHint = true;
  TbsQuickButtonItem* qb = frame->QuickButtons().Add();
  qb->FHint = u"打开";
  qb->ItemRect = rtl::Rect(10, 4, 30, 24);
  TbsDataSkinCaption data(u"caption");
  TbsSkinCaptionObject caption(frame, &data);
  caption.TrackQuickButtons(15, 10);
  EXPECT_TRUE(shownAfterPause(u"打开"));
  caption.TrackQuickButtons(-1, -1);
  EXPECT_FALSE(hint->IsVisible());
  frame->QuickButtons().Clear();
  frame->QuickImageList = nullptr;

  // A cell of the images menu.
  auto menuImages = Images(4);
  auto* im = new TbsSkinImagesMenu(main);
  im->SetImages(menuImages.get());
  im->SetColumnsCount(2);
  for (int i = 0; i < 4; ++i) im->Items.emplace_back(u"", i);
  im->Items[3].FHint = u"蓝色";
  im->SetSkinHint(hint);
  im->PopupFromRect({200, 200, 200, 200});
  Pump();
  TbsSkinImagesMenuPopupWindow* w = im->PopupWindow();
  ASSERT_NE(w, nullptr);
  const TRect c = im->Items[3].ItemRect;
  win::headless::MouseMove({w->Left() + (c.Left + c.Right) / 2, w->Top() + (c.Top + c.Bottom) / 2});
  forms::Application->ProcessMessages();
  Pump();
  EXPECT_EQ(w->MouseInItem, 3);
  EXPECT_TRUE(shownAfterPause(u"蓝色"));
  im->Hide();
  Pump();
  EXPECT_FALSE(hint->IsVisible());
  im->SetSkinHint(nullptr);
}

TEST_F(HintTest, ApplicationHintsBecomeSkinnedWithTitleAndImageFromTheControl) {
  TbsSkinHint* hint = MakeHint();
  auto images = Images(2);
  TbsSkinButton* plain = MakeButton(10, 10, u"上移@下移");
  TbsSkinButton* titled = MakeButton(10, 60, u"播放所选文件");
  titled->HintTitle = u"播放";
  titled->HintImageList = images.get();
  titled->HintImageIndex = 1;
  EXPECT_EQ(forms::Application->HintShortPause, 100);

  Hover(plain);
  Advance(forms::Application->HintPause - 20);
  EXPECT_TRUE(!AppHintWindow() || !AppHintWindow()->Visible()) << "shown before the hint pause";
  Advance(40);
  TbsSkinHintWindow* w = AppHintWindow();
  ASSERT_NE(w, nullptr) << "the application's hint window is the skinned one";
  EXPECT_TRUE(w->Visible());
  EXPECT_FALSE(w->ExtendedStyle());
  EXPECT_EQ(w->Caption(), u"上移\n\r下移");
  const int twoLines = w->Height();
  EXPECT_GT(twoLines, 2 * w->CalcHintSize(u"上移").Y - 8) << "two lines are about twice as high as one";

  Hover(titled);
  Advance(forms::Application->HintPause + 20);
  ASSERT_TRUE(w->Visible());
  EXPECT_TRUE(w->ExtendedStyle());
  EXPECT_EQ(hint->FHintTitle, u"播放");
  EXPECT_EQ(hint->FHintImageList, images.get());
  EXPECT_EQ(hint->FHintImageIndex, 1);
  // Title line and image column make the extended hint larger than its text.
  const TPoint text = w->CalcHintSize(u"播放所选文件");
  EXPECT_GT(w->Height(), text.Y + 10);
  EXPECT_GE(w->Width(), text.X - 5 + 16 + 10);
}

TEST_F(HintTest, ImageOutsideTheListLeavesNoRoomButTheHintStaysExtended) {
  MakeHint();
  auto images = Images(2);
  TbsSkinHintWindow* w = MakeHint()->Window();
  w->ActivateHint(rtl::Rect(10, 10, 10, 10), u"x");  // font and skin decided
  const TPoint none = w->CalcHintSizeEx(u"文本", u"标题", nullptr, 0);
  EXPECT_EQ(w->CalcHintSizeEx(u"文本", u"标题", images.get(), 5), none);
  EXPECT_EQ(w->CalcHintSizeEx(u"文本", u"标题", images.get(), -1), none);
  EXPECT_GT(w->CalcHintSizeEx(u"文本", u"标题", images.get(), 1).X, none.X);
  EXPECT_EQ(w->CalcHintSizeEx(u"文本", u"", nullptr, 0), w->CalcHintSize(u"文本"))
      << "no title, no image: as the plain size";

  TbsSkinHint* first = dynamic_cast<TbsSkinHint*>(main->Components(0));
  ASSERT_NE(first, nullptr);
  first->ActivateHintEx({50, 50}, u"", u"文本", 7, images.get());
  EXPECT_TRUE(first->IsVisible());
  EXPECT_TRUE(first->Window()->ExtendedStyle());
}

TEST_F(HintTest, DelayedHintFollowsThePausesAndHideHintCancelsIt) {
  TbsSkinHint* hint = MakeHint();
  forms::Application->HintPause = 300;
  forms::Application->HintHidePause = 1000;
  win::headless::MouseMove({600, 400});
  Pump();
  hint->ActivateHint2(u"最小化@到托盘");
  Advance(290);
  EXPECT_FALSE(hint->IsVisible());
  Advance(20);
  ASSERT_TRUE(hint->IsVisible());
  EXPECT_EQ(hint->Window()->Caption(), u"最小化\n\r到托盘");
  EXPECT_EQ(hint->Window()->Left(), 600);
  EXPECT_GT(hint->Window()->Top(), 400) << "below the cursor";
  Advance(980);
  EXPECT_TRUE(hint->IsVisible());
  Advance(30);
  EXPECT_FALSE(hint->IsVisible()) << "hidden after the hide pause";
  EXPECT_FALSE(hint->TimerRunning());

  // A newer request replaces a pending one; HideHint drops it for good.
  hint->ActivateHint2(u"一");
  Advance(200);
  hint->ActivateHint3(rtl::Rect(100, 500, 200, 520), u"二", true);
  Advance(200);
  EXPECT_FALSE(hint->IsVisible()) << "the pause restarted";
  Advance(110);
  ASSERT_TRUE(hint->IsVisible());
  EXPECT_EQ(hint->Window()->Caption(), u"二");
  EXPECT_EQ(hint->Window()->Top() + hint->Window()->Height(), 500) << "above the rectangle";
  EXPECT_EQ(hint->Window()->Left() + hint->Window()->Width() / 2, 150) << "centred on it";
  hint->HideHint();
  hint->ActivateHintEx2(u"标题", u"三", 0, nullptr);
  hint->HideHint();
  EXPECT_FALSE(hint->TimerRunning());
  Advance(2000);
  EXPECT_FALSE(hint->IsVisible());
}

TEST_F(HintTest, HintsFlipAtTheWorkAreaEdges) {
  TbsSkinHint* hint = MakeHint();
  win::RECT wa;
  win::SystemParametersInfoW(win::SPI_GETWORKAREA, 0, &wa, 0);
  TbsSkinHintWindow* w = hint->Window();
  hint->ActivateHint({wa.Right - 5, 200}, u"靠右的提示");
  EXPECT_EQ(w->Left() + w->Width(), wa.Right - 5 - 2) << "right edge 2 pixels left of the point " << w->Left() << " " << w->Width() << " " << wa.Right;
  EXPECT_EQ(w->Top(), 200);
  hint->ActivateHint({300, wa.Bottom - 3}, u"靠下的提示");
  EXPECT_EQ(w->Top() + w->Height(), wa.Bottom - 3 - 2) << "above the point with a 2-pixel gap";
  EXPECT_EQ(w->Left(), 300);
  hint->ActivateHint({300, 300}, u"中间");
  EXPECT_EQ(w->Left(), 300);
  EXPECT_EQ(w->Top(), 300);
}

TEST_F(HintTest, OnlyTheFirstActiveHintOfTheMainFormShows) {
  TbsSkinHint* a = MakeHint();
  TbsSkinHint* b = MakeHint();
  EXPECT_TRUE(a->Active());
  b->SetActive(true);
  EXPECT_FALSE(a->Active()) << "one active hint per main form";
  b->LineSeparator = u"|";
  a->ActivateHint({20, 20}, u"x|y");  // a's window, b's settings
  EXPECT_EQ(a->Window()->Caption(), u"x\n\ry");
  b->SetActive(false);
  a->HideHint();
  a->ActivateHint({20, 20}, u"不显示");
  EXPECT_FALSE(a->IsVisible()) << "no active hint: nothing shows";
}

TEST_F(HintTest, DestroyingTheHintsGivesBackClassAndHandler) {
  int calls = 0;
  forms::Application->OnShowHint = [&calls](rtl::String&, bool&, forms::THintInfo&) { ++calls; };
  TbsSkinHint* a = MakeHint();
  TbsSkinHint* b = MakeHint();
  EXPECT_TRUE(forms::Application->HintWindowClass());
  rtl::String s;
  bool can = true;
  forms::THintInfo info;
  delete b;  // a's handler takes over, not a dangling one
  forms::Application->OnShowHint(s, can, info);
  EXPECT_EQ(calls, 0);
  delete a;
  ASSERT_TRUE(forms::Application->OnShowHint);
  forms::Application->OnShowHint(s, can, info);
  EXPECT_EQ(calls, 1) << "the handler from before the hints is back";
  EXPECT_FALSE(forms::Application->HintWindowClass()) << "the plain hint window class is back";

  // The application's hint window made meanwhile does not outlive its settings.
  TbsSkinButton* btn = MakeButton(10, 10, u"提示");
  TbsSkinHint* c = MakeHint();
  Hover(btn);
  Advance(forms::Application->HintPause + 20);
  ASSERT_NE(AppHintWindow(), nullptr);
  delete c;
  Advance(100);
  EXPECT_EQ(dynamic_cast<TbsSkinHintWindow*>(forms::Application->HintWindow()), nullptr);
}

TEST_F(HintTest, PlainLookWithoutSkinAndSkinLookWithOne) {
  TbsSkinHint* hint = MakeHint();
  hint->ActivateHint({200, 200}, u"默认");
  Pump();
  TbsSkinHintWindow* w = hint->Window();
  EXPECT_EQ(w->SkinInUse(), nullptr);
  const gdi::Surface* img = win::headless::BackBuffer(w->Handle());
  ASSERT_NE(img, nullptr);
  EXPECT_EQ(img->GetPixel(0, 0) & 0xFFFFFF, Argb(gdi::clBtnShadow));
  EXPECT_EQ(img->GetPixel(1, w->Height() - 2) & 0xFFFFFF, Argb(gdi::clInfoBk));
  hint->HideHint();

  LoadStored(u"金属光泽");
  ASSERT_TRUE(sd->HintWindow && sd->HintWindow->WindowPictureIndex >= 0);
  hint->SetSkinData(sd.get());
  hint->ActivateHint({200, 200}, u"皮肤");
  EXPECT_EQ(w->SkinInUse(), sd.get());
  const auto& d = *sd->HintWindow;
  TBitmap* pic = SkinPictureAt(sd.get(), d.WindowPictureIndex);
  EXPECT_GE(w->Width(), d.ClRect.Left + pic->Width() - d.ClRect.Right + 5);
  const TRect cl = w->ClientRectInSkin();
  EXPECT_EQ(w->Width() - cl.Right, pic->Width() - d.ClRect.Right) << "the client rectangle follows the size";
  sd->ClearSkin();
  hint->ActivateHint({200, 200}, u"空皮肤");
  EXPECT_EQ(w->SkinInUse(), nullptr) << "an empty skin gives the plain look";
}

// The hint's text is drawn in the skin's hint font colour in every stored
// skin, dark ones included (light text on a dark picture).
TEST_F(HintTest, TextTakesTheSkinsFontColourInEveryStoredSkin) {
  auto nearColour = [](const gdi::Surface* img, int w, int h, std::uint32_t rgb) {
    int n = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const std::uint32_t p = img->GetPixel(x, y);
        int d = 0;
        for (int k = 0; k < 24; k += 8) d += std::abs(int(p >> k & 0xFF) - int(rgb >> k & 0xFF));
        n += d < 60;
      }
    return n;
  };
  int checked = 0;
  for (int i = 0; i < resources::StoredSkinCount(); ++i) {
    const std::u16string name = resources::StoredSkinName(i);
    SCOPED_TRACE(rtl::StringToUtf8(name));
    LoadStored(name);
    if (!sd->HintWindow || sd->HintWindow->WindowPictureIndex < 0) continue;
    TbsSkinHint* hint = MakeHint();
    if (!hint->UseSkinFont) {
      delete hint;
      continue;
    }
    TbsSkinHintWindow* w = hint->Window();
    const std::uint32_t colour = Argb(sd->HintWindow->FontColor);
    hint->ActivateHint({100, 100}, u"  ");
    Pump();
    const int blank = nearColour(win::headless::BackBuffer(w->Handle()), w->Width(), w->Height(), colour);
    hint->ActivateHint({100, 100}, u"田田田田田田田田");
    Pump();
    EXPECT_EQ(w->Font()->Color(), sd->HintWindow->FontColor);
    const int text = nearColour(win::headless::BackBuffer(w->Handle()), w->Width(), w->Height(), colour);
    EXPECT_GT(text - blank, 40) << "the text is not drawn in the skin's colour";
    delete hint;
    ++checked;
  }
  EXPECT_GT(checked, 3);
}

TEST_F(HintTest, CursorMarginIsTheLowestVisibleRowBelowTheHotSpot) {
  TbsSkinHint* hint = MakeHint();
  // 32 x 32 monochrome cursors, hot spot at y 2; rows padded to 16 bits.
  auto make = [](int andRows, int xorRows) {
    std::vector<std::uint8_t> andPlane(4 * 32, 0xFF), xorPlane(4 * 32, 0x00);
    for (int y = 0; y < andRows; ++y) andPlane[std::size_t(y) * 4] = 0x00;
    for (int y = 0; y < xorRows; ++y) xorPlane[std::size_t(y) * 4] = 0xF0;
    return win::CreateCursor(nullptr, 0, 2, 32, 32, andPlane.data(), xorPlane.data());
  };
  struct Case {
    int andRows, xorRows, want;
  } cases[] = {{20, 0, 17}, {32, 0, 29}, {0, 10, 7}};
  for (const auto& c : cases) {
    win::HCURSOR cur = make(c.andRows, c.xorRows);
    ASSERT_NE(cur, nullptr);
    win::SetCursor(cur);
    EXPECT_EQ(hint->GetCursorHeightMargin(), c.want) << c.andRows << " " << c.xorRows;
    win::SetCursor(nullptr);
    win::DestroyCursor(cur);
  }
  win::SetCursor(nullptr);
  EXPECT_EQ(hint->GetCursorHeightMargin(), win::GetSystemMetrics(win::SM_CYCURSOR)) << "no cursor: the system height";
}

TEST_F(HintTest, AlphaMakesTheHintLayeredOnlyWhereLayeringIsSupported) {
  TbsSkinHint* hint = MakeHint();
  hint->AlphaBlend = true;
  hint->AlphaBlendValue = 200;
  hint->ActivateHint({50, 50}, u"半透明");
  auto layered = [&] { return (win::GetWindowLongPtrW(hint->Window()->Handle(), win::GWL_EXSTYLE) & win::WS_EX_LAYERED) != 0; };
  EXPECT_FALSE(layered()) << "no layering: an opaque hint";
  win::headless::SimulateLayering(true);
  hint->ActivateHint({50, 50}, u"半透明");
  ASSERT_TRUE(layered());
  win::BYTE alpha = 0;
  win::GetLayeredWindowAttributes(hint->Window()->Handle(), nullptr, &alpha, nullptr);
  EXPECT_EQ(alpha, 200);
  hint->AlphaBlendValue = 10;  // fades in by steps of 1 up to 10
  hint->AlphaBlendAnimation = true;
  hint->ActivateHint({50, 50}, u"淡入");
  win::GetLayeredWindowAttributes(hint->Window()->Handle(), nullptr, &alpha, nullptr);
  EXPECT_EQ(alpha, 10);
  hint->AlphaBlend = false;
  hint->ActivateHint({50, 50}, u"不透明");
  EXPECT_FALSE(layered());
  win::headless::SimulateLayering(false);
}

std::string PictureDir() {
  const char* d = std::getenv("TVL_TEST_PICTURES");
  return d ? d : ".";
}

// One picture: a row per look (plain, three stored skins), the plain and the
// extended hint side by side, each enlarged twice.
TEST_F(HintTest, GalleryOfHintsInThreeSkins) {
  auto images = Images(2);
  constexpr int kScale = 2, kCell = 280, kRow = 170;
  const std::u16string looks[] = {u"", u"金属光泽", u"OFFICE2007蓝色", u"Mac风格"};
  gdi::Surface sheet(2 * kCell, 4 * kRow, 32);
  for (int y = 0; y < sheet.Height(); ++y)
    for (int x = 0; x < sheet.Width(); ++x) sheet.SetPixel(x, y, 0xFF808080);
  auto put = [&](const gdi::Surface* img, int cx, int cy, int w, int h) {
    ASSERT_NE(img, nullptr);
    for (int y = 0; y < h * kScale && cy + y < sheet.Height(); ++y)
      for (int x = 0; x < w * kScale && cx + x < sheet.Width(); ++x)
        sheet.SetPixel(cx + x, cy + y, img->GetPixel(x / kScale, y / kScale) | 0xFF000000);
  };
  testsupport::TShot shots[4][2];
  for (int row = 0; row < 4; ++row) {
    if (!looks[row].empty())
      LoadStored(looks[row]);
    else
      sd.reset();
    TbsSkinHint* hint = MakeHint();
    hint->DefaultFont()->SetName(u"MS Sans Serif");
    hint->DefaultFont()->SetHeight(-11);
    TbsSkinHintWindow* w = hint->Window();
    hint->ActivateHint({100, 100}, u"上移所选文件@（每次一行）");
    Pump();
    EXPECT_EQ(w->SkinInUse() != nullptr, !looks[row].empty());
    put(win::headless::BackBuffer(w->Handle()), 8, row * kRow + 8, w->Width(), w->Height());
    shots[row][0] = testsupport::Shot(w);
    hint->ActivateHintEx({100, 100}, u"播放 Play", u"播放所选文件@空格键暂停", 0, images.get());
    Pump();
    put(win::headless::BackBuffer(w->Handle()), kCell + 8, row * kRow + 8, w->Width(), w->Height());
    shots[row][1] = testsupport::Shot(w);
    // A skinned hint of either kind is not drawn as the plain one.
    for (int kind = 0; kind < 2 && row > 0; ++kind)
      EXPECT_GT(testsupport::Changed(shots[row][kind], shots[0][kind]), 0.0)
          << rtl::StringToUtf8(looks[row]) << (kind ? ": extended hint" : ": hint") << " looks plain";
    delete hint;
  }
  const auto png = gdi::EncodePng(sheet, false);
  const std::string path = PictureDir() + "/skin_hints_gallery.png";
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  std::fwrite(png.data(), 1, png.size(), f);
  std::fclose(f);
}

}  // namespace
}  // namespace skinmenustest
