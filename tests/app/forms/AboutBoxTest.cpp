// The About box: its contents and frame, the links going to the desktop's
// opener, "确定" closing it.
#include "app/forms/AboutBox.h"
#include "platform/forms/Icon.h"

#include "tests/app/forms/AppFormsTestUtil.h"

namespace appformstest {
namespace {

using appforms::TForm2;

class AboutBoxTest : public AppFormsTest {};

TEST_F(AboutBoxTest, ShowsTheProductVersionAndTheMakersAddresses) {
  auto* a = new TForm2(forms::Application, Skin(0));
  EXPECT_EQ(rtl::U8(a->Caption()), "关于软件");
  EXPECT_EQ(rtl::U8(a->bsSkinStdLabel1->Caption()), "TavrelAndroid手机视频转换器");
  EXPECT_EQ(rtl::U8(a->bsSkinStdLabel2->Caption()), "Ver:14.0.0.0");
  EXPECT_EQ(rtl::U8(a->bsSkinStdLabel3->Caption()), "官方网站：");
  EXPECT_EQ(rtl::U8(a->bsSkinStdLabel4->Caption()), "支持E-Mail：");
  EXPECT_EQ(rtl::U8(a->bsSkinButton1->Caption()), "确定");
  EXPECT_EQ(a->bsSkinLinkLabel1->URL(), rtl::String(appforms::kMakerWebSite));
  EXPECT_EQ(a->bsSkinLinkLabel1->Caption(), rtl::String(appforms::kMakerWebSite));
  EXPECT_EQ(a->bsSkinLinkLabel2->Caption(), rtl::String(appforms::kMakerMail));
  EXPECT_EQ(a->bsSkinLinkLabel2->URL(), u"mailto:" + rtl::String(appforms::kMakerMail));
  EXPECT_FALSE(a->Image1->Picture()->Graphic() == nullptr);
  EXPECT_EQ(a->Image1->Picture()->Width(), 64);
  // The frame: roll-up only, the window icon, snapping within 10 pixels.
  EXPECT_EQ(a->BorderIcons(), forms::TBorderIcons{});
  EXPECT_EQ(a->bsBusinessSkinForm1->BorderIcons(), skin::TbsBorderIcons{skin::biRollUp});
  EXPECT_TRUE(a->bsBusinessSkinForm1->ShowIcon());
  EXPECT_TRUE(a->bsBusinessSkinForm1->Magnetic);
  EXPECT_EQ(a->bsBusinessSkinForm1->MagneticSize, 10);
  EXPECT_FALSE(a->Icon()->Empty());
  // Opened centred on the desktop.
  a->Show();
  Pump();
  win::RECT wa;
  win::SystemParametersInfoW(win::SPI_GETWORKAREA, 0, &wa, 0);
  EXPECT_NEAR(a->Left() + a->Width() / 2, (wa.Left + wa.Right) / 2, 1);
  EXPECT_NEAR(a->Top() + a->Height() / 2, (wa.Top + wa.Bottom) / 2, 1);
}

TEST_F(AboutBoxTest, LinksOpenTheWebSiteAndANewMail) {
  FakeOpener opener;
  auto* a = new TForm2(forms::Application, Skin(1));
  a->Show();
  win::SetForegroundWindow(a->Handle());
  Pump();
  int clicks = 0;
  a->bsSkinLinkLabel1->OnClick = [&](rtl::TObject*) { ++clicks; };
  auto p = a->bsSkinLinkLabel1->ClientToScreen({4, a->bsSkinLinkLabel1->Height() / 2});
  win::headless::Click(p);
  Pump();
  EXPECT_EQ(opener.Take(), std::vector<std::string>{rtl::U8(appforms::kMakerWebSite)});
  win::headless::AdvanceClock(1000);
  win::headless::Click(a->bsSkinLinkLabel2->ClientToScreen({4, a->bsSkinLinkLabel2->Height() / 2}));
  Pump();
  EXPECT_EQ(opener.Take(), std::vector<std::string>{"mailto:" + rtl::U8(appforms::kMakerMail)});
}

TEST_F(AboutBoxTest, OkClosesTheBox) {
  for (skin::TbsSkinData* sd : {static_cast<skin::TbsSkinData*>(nullptr), Skin(3)}) {
    auto* a = new TForm2(forms::Application, sd);
    a->OnShow = [&](rtl::TObject*) { QueueClick(a->bsSkinButton1); };
    a->Execute();
    EXPECT_FALSE(a->Visible());
    EXPECT_FALSE(win::IsWindowVisible(a->Handle()));
    // Shown again, Enter takes the default button.
    a->OnShow = [&](rtl::TObject*) { win::headless::PressKey(win::VK_RETURN); };
    a->Execute();
    EXPECT_FALSE(a->Visible());
    delete a;
  }
}

}  // namespace
}  // namespace appformstest
