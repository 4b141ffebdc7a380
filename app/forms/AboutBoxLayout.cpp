// Form description of the About box TForm2.
#include "app/forms/AboutBox.h"
#include "platform/forms/FormBuilder.h"
#include "app/forms/FormPictures.h"

namespace appforms {

namespace {

constexpr int kClientW = 380, kClientH = 232;

skin::TbsSkinStdLabel* MakeLabel(forms::TFormBuilder& b, const char16_t* Name, forms::TWinControl* Parent,
                                 skin::TbsSkinData* SD, int X, int Y, const char16_t* Caption) {
  auto* l = b.Make<skin::TbsSkinStdLabel>(Name, Parent);
  l->SetSkinDataName(u"stdlabel");
  l->SetLeft(X);
  l->SetTop(Y);
  l->SetAutoSize(true);
  l->SetCaption(Caption);
  l->SetTransparent(true);
  l->SetSkinData(SD);
  return l;
}

skin::TbsSkinLinkLabel* MakeLink(forms::TFormBuilder& b, const char16_t* Name, forms::TWinControl* Parent,
                                 skin::TbsSkinData* SD, int X, int Y, const rtl::String& Text,
                                 const rtl::String& URL) {
  auto* l = b.Make<skin::TbsSkinLinkLabel>(Name, Parent);
  l->SetSkinDataName(u"stdlabel");
  l->SetLeft(X);
  l->SetTop(Y);
  l->SetAutoSize(true);
  l->SetTransparent(true);
  l->SetCaption(Text);
  l->SetURL(URL);
  l->SetSkinData(SD);
  return l;
}

}  // namespace

void BuildForm2(TForm2* F, skin::TbsSkinData* SD) {
  forms::TFormBuilder b(F);
  F->SetName(u"Form2");
  F->SetCaption(u"关于软件");
  F->SetBorderStyle(forms::bsSingle);
  F->SetBorderIcons({});
  F->SetPosition(forms::poDesktopCenter);
  F->Font()->SetName(u"Tahoma");
  F->Font()->SetHeight(-11);
  F->SetClientSize(kClientW, kClientH);
  SetProgramIcon(F);

  auto* bsf = b.Make<skin::TbsBusinessSkinForm>(u"bsBusinessSkinForm1");
  F->bsBusinessSkinForm1 = bsf;
  bsf->SetBorderIcons({skin::biRollUp});
  bsf->SetShowIcon(true);
  bsf->Magnetic = true;
  bsf->MagneticSize = 10;
  bsf->PositionInMonitor = skin::bspDesktopCenter;
  bsf->ClientWidth = kClientW;
  bsf->ClientHeight = kClientH;
  bsf->SetSkinData(SD);
  bsf->SetMenusSkinData(SD);

  auto* panel = b.Make<skin::TbsSkinPanel>(u"bsSkinPanel1", F);
  F->bsSkinPanel1 = panel;
  panel->SetSkinDataName(u"panel");
  panel->SetBounds(10, 10, 360, 174);
  panel->SetBorderStyle(skin::bvFrame);
  panel->SetCaption(u"");
  panel->SetSkinData(SD);

  F->bsSkinStdLabel1 = MakeLabel(b, u"bsSkinStdLabel1", panel, SD, 18, 14, kProductName);
  F->bsSkinStdLabel1->UseSkinFont = false;
  F->bsSkinStdLabel1->Font()->SetName(u"宋体");
  F->bsSkinStdLabel1->Font()->SetHeight(-16);
  F->bsSkinStdLabel1->Font()->SetStyle(gdi::TFontStyles{gdi::fsBold});

  auto* logo = b.Make<forms::TImage>(u"Image1", panel);
  F->Image1 = logo;
  logo->SetBounds(22, 42, 64, 64);
  logo->SetTransparent(true);
  LoadAssetBitmap("pictures/logo.bmp", logo->Picture()->Bitmap());

  F->bsSkinStdLabel2 = MakeLabel(b, u"bsSkinStdLabel2", panel, SD, 104, 66, kProductVersion);
  F->bsSkinStdLabel3 = MakeLabel(b, u"bsSkinStdLabel3", panel, SD, 22, 120, u"官方网站：");
  F->bsSkinLinkLabel1 = MakeLink(b, u"bsSkinLinkLabel1", panel, SD, 112, 120, kMakerWebSite, kMakerWebSite);
  F->bsSkinStdLabel4 = MakeLabel(b, u"bsSkinStdLabel4", panel, SD, 22, 144, u"支持E-Mail：");
  F->bsSkinLinkLabel2 = MakeLink(b, u"bsSkinLinkLabel2", panel, SD, 112, 144, kMakerMail,
                                 rtl::String(u"mailto:") + kMakerMail);

  auto* ok = b.Make<skin::TbsSkinButton>(u"bsSkinButton1", F);
  F->bsSkinButton1 = ok;
  ok->SetSkinDataName(u"button");
  ok->SetBounds(150, 196, 80, 25);
  ok->SetCaption(u"确定");
  ok->SetDefault(true);
  ok->Font()->SetName(u"宋体");
  ok->Font()->SetHeight(-12);
  ok->DefaultFont()->SetName(u"宋体");
  ok->DefaultFont()->SetHeight(-12);
  ok->SetSkinData(SD);
  ok->OnClick = [F](rtl::TObject* S) { F->bsSkinButton1Click(S); };

  b.Finish();
  // The skinned frame's borders are known once the window exists: keep the
  // client area at its described size.
  F->HandleNeeded();
  F->SetClientSize(kClientW, kClientH);
}

}  // namespace appforms
