// Form description of the settings dialog TForm6.
#include "app/settings/SettingsDialog.h"
#include "app/settings/SettingsTables.h"
#include "platform/forms/FormBuilder.h"
#include "platform/rtl/SysUtils.h"
#include "app/forms/FormPictures.h"

namespace settings {

namespace {

constexpr int kClientW = 958, kClientH = 474;

void SetFont(gdi::TFont* F, const char16_t* Name, int Height, gdi::TFontStyles Style = {}) {
  F->SetName(Name);
  F->SetHeight(Height);
  F->SetStyle(Style);
}

skin::TbsSkinTextLabel* MakeTextLabel(forms::TFormBuilder& b, const char16_t* Name, forms::TWinControl* Parent,
                                      skin::TbsSkinData* SD, int X, int Y, const char16_t* Text) {
  auto* l = b.Make<skin::TbsSkinTextLabel>(Name, Parent);
  l->SetSkinDataName(u"stdlabel");
  l->SetLeft(X);
  l->SetTop(Y);
  l->Lines()->SetText(Text);
  l->SetAutoSize(true);
  l->SetSkinData(SD);
  return l;
}

forms::TButton* MakeCommand(forms::TFormBuilder& b, const char16_t* Name, forms::TWinControl* Parent, int X, int Y,
                            int W, const char16_t* Caption) {
  auto* k = b.Make<forms::TButton>(Name, Parent);
  k->SetBounds(X, Y, W, 25);
  k->SetCaption(Caption);
  return k;
}

TPresetComboBox* MakePresetBox(forms::TFormBuilder& b, const char16_t* Name, forms::TWinControl* Parent,
                               skin::TbsSkinData* SD, int X, int Y, int W) {
  auto* c = b.Make<TPresetComboBox>(Name, Parent);
  c->SetSkinDataName(u"combobox");
  c->SetStyle(skin::bscbFixedStyle);
  c->SetBounds(X, Y, W, 20);
  c->SetDropDownCount(8);
  SetFont(c->DefaultFont(), u"Arial", 14);
  SetFont(c->Font(), u"Arial", 14);
  c->SetSkinData(SD);
  return c;
}

skin::TbsSkinButton* MakeSkinButton(forms::TFormBuilder& b, const char16_t* Name, forms::TWinControl* Parent,
                                    skin::TbsSkinData* SD, int X, int Y, int W, int H, const char16_t* Caption) {
  auto* k = b.Make<skin::TbsSkinButton>(Name, Parent);
  k->SetSkinDataName(u"button");
  k->SetBounds(X, Y, W, H);
  k->SetCaption(Caption);
  SetFont(k->DefaultFont(), u"宋体", -12);
  SetFont(k->Font(), u"宋体", -12);
  k->SetSkinData(SD);
  return k;
}

}  // namespace

void BuildForm6(TForm6* F, skin::TbsSkinData* SD) {
  forms::TFormBuilder b(F);
  F->SetName(u"Form6");
  F->SetCaption(u"设置选项");
  F->SetBorderStyle(forms::bsSingle);
  F->SetBorderIcons({});
  F->SetPosition(forms::poMainFormCenter);
  SetFont(F->Font(), u"Tahoma", -11);
  F->SetColor(gdi::clBtnFace);
  F->SetClientSize(kClientW, kClientH);

  auto* bsf = b.Make<skin::TbsBusinessSkinForm>(u"bsBusinessSkinForm1");
  F->bsBusinessSkinForm1 = bsf;
  bsf->SetBorderIcons({skin::biSystemMenu, skin::biMinimize, skin::biMaximize, skin::biRollUp});
  bsf->SetAlphaBlendValue(200);
  bsf->SetAlphaBlend(false);
  bsf->SetMenusAlphaBlend(false);
  bsf->SetMenusAlphaBlendValue(200);
  bsf->Magnetic = false;
  bsf->MagneticSize = 5;
  bsf->SetShowIcon(false);
  bsf->UseDefaultSysMenu = true;
  {
    gdi::TFont caption;
    SetFont(&caption, u"Arial", 14, {gdi::fsBold});
    bsf->SetDefCaptionFont(&caption);
  }
  bsf->ClientWidth = kClientW;
  bsf->ClientHeight = kClientH;
  bsf->SetSkinData(SD);
  bsf->SetMenusSkinData(SD);

  // The pickers.
  auto* panel = b.Make<skin::TbsSkinPanel>(u"bsSkinPanel2", F);
  F->bsSkinPanel2 = panel;
  panel->SetSkinDataName(u"panel");
  panel->SetBounds(39, 36, 625, 109);
  panel->SetBorderStyle(skin::bvFrame);
  panel->SetCaptionMode(false);
  panel->SetCaption(u"");
  panel->SetSkinData(SD);
  F->bsSkinTextLabel5 = MakeTextLabel(b, u"bsSkinTextLabel5", panel, SD, 17, 48, u"输出格式：");

  auto* images = b.Make<forms::TImageList>(u"ImageList1");
  F->ImageList1 = images;
  images->SetSize(32, 32);
  {
    gdi::TBitmap strip, one;
    if (appforms::LoadAssetBitmap("imagelists/ImageList1.bmp", &strip)) {
      one.SetPixelFormat(gdi::pf32bit);
      one.SetSize(32, 32);
      for (int i = 0; i < kSettingsGroupCount && (i + 1) * 32 <= strip.Width(); ++i) {
        one.Canvas()->CopyRect(rtl::Rect(0, 0, 32, 32), strip.Canvas(), rtl::Rect(i * 32, 0, i * 32 + 32, 32));
        images->Add(&one, nullptr);
      }
    }
  }
  F->ImageList2 = b.Make<forms::TImageList>(u"ImageList2");
  F->ImageList2->SetSize(32, 32);

  auto* formats = b.Make<TOfficePicker>(u"bsSkinOfficeComboBox1", panel);
  F->bsSkinOfficeComboBox1 = formats;
  formats->SetSkinDataName(u"combobox");
  formats->SetToolButtonStyle(true);
  formats->SetListBoxSkinDataName(u"listbox");
  formats->SetListBoxItemHeight(60);
  formats->SetListBoxHeaderHeight(20);
  formats->SetListBoxShowItemTitles(true);
  formats->SetListBoxShowLines(true);
  formats->SetShowItemTitle(true);
  formats->SetShowItemImage(true);
  formats->SetShowItemText(true);
  formats->SetDropDownCount(4);
  formats->AlphaBlend = false;
  formats->AlphaBlendValue = 200;
  formats->AlphaBlendAnimation = true;
  SetFont(formats->DefaultFont(), u"宋体", -12);
  SetFont(formats->Font(), u"宋体", -12);
  formats->SetBounds(215, 33, 400, 51);
  formats->Items()->Add();  // a placeholder until the catalogue step runs
  formats->SetSkinData(SD);

  auto* categories = b.Make<TOfficePicker>(u"bsSkinOfficeComboBox2", panel);
  F->bsSkinOfficeComboBox2 = categories;
  categories->SetSkinDataName(u"combobox");
  categories->SetToolButtonStyle(true);
  categories->SetListBoxSkinDataName(u"resizetoolpanel");
  categories->ListBoxWidth = 119;
  categories->SetListBoxItemHeight(50);
  categories->SetListBoxShowItemTitles(false);
  categories->SetListBoxShowLines(false);
  categories->SetShowItemTitle(true);
  categories->SetShowItemImage(true);
  categories->SetShowItemText(true);
  categories->SetDropDownCount(4);
  categories->AlphaBlend = false;
  SetFont(categories->DefaultFont(), u"宋体", -12);
  SetFont(categories->Font(), u"宋体", -12);
  categories->UseSkinFont = false;
  categories->SetImages(images);
  categories->SetBounds(83, 33, 126, 51);
  for (int i = 0; i < SettingsCategories().Count(); ++i) {
    skin::TbsSkinOfficeItem* item = categories->Items()->Add();
    item->SetCaption(SettingsCategories()[i].Caption);
    item->SetImageIndex(SettingsCategories()[i].ImageIndex);
  }
  categories->SetItemIndex(0);
  categories->SetSkinData(SD);

  auto* hidden = MakeSkinButton(b, u"bsSkinButton1", panel, nullptr, 621, 139, 55, 51, u"设置");
  F->bsSkinButton1 = hidden;
  hidden->SetSkinDataName(u"resizebutton");
  hidden->SetVisible(false);

  // The command panel; it reaches past the client area's right edge.
  auto* commands = b.Make<forms::TPanel>(u"Panel1", F);
  F->Panel1 = commands;
  commands->SetBounds(690, 161, 305, 305);
  commands->SetCaption(u"Panel1");
  auto* picture = b.Make<forms::TImage>(u"Image1", commands);
  F->Image1 = picture;
  picture->SetBounds(46, 158, 171, 103);
  picture->SetTransparent(true);
  appforms::LoadAssetBitmap("icons/program64.bmp", picture->Picture()->Bitmap());
  F->Button6 = MakeCommand(b, u"Button6", commands, 32, 47, 75, u"初始化数据");
  F->Button5 = MakeCommand(b, u"Button5", commands, 113, 47, 126, u"根据combox添加数据");
  F->Button7 = MakeCommand(b, u"Button7", commands, 230, 47, 75, u"确认oo数据");
  F->Button2 = MakeCommand(b, u"Button2", commands, 32, 78, 104, u"添加combox");
  F->Button13 = MakeCommand(b, u"Button13", commands, 32, 109, 113, u"确认预置选项数据");
  F->Button11 = MakeCommand(b, u"Button11", commands, 151, 78, 95, u"onchange用");
  F->Button18 = MakeCommand(b, u"Button18", commands, 42, 163, 143, u"根据combox添加预设选项");

  F->FFVCL = b.Make<engine::TFFmpegVCL>(u"FFVCL");

  // The pages; only the first holds controls.
  auto* pages = b.Make<skin::TbsSkinPageControl>(u"bsSkinPageControl1", F);
  F->bsSkinPageControl1 = pages;
  pages->SetSkinDataName(u"tab");
  pages->SetBounds(39, 171, 625, 222);
  pages->SetDefaultItemHeight(20);
  pages->SetTabSpacing(1);
  pages->SetShowCloseButtons(false);
  pages->MouseWheelSupport = false;
  {
    gdi::TFont f;
    SetFont(&f, u"Arial", 14);
    pages->SetDefaultFont(&f);
  }
  pages->SetSkinData(SD);
  struct Sheet {
    const char16_t* name;
    const char16_t* caption;
    skin::TbsSkinTabSheet** field;
  } sheets[] = {{u"bsSkinTabSheet1", u"标准参数设置", &F->bsSkinTabSheet1},
                {u"bsSkinTabSheet2", u"剪辑设置", &F->bsSkinTabSheet2},
                {u"bsSkinTabSheetFilter", u"滤镜设置", &F->bsSkinTabSheetFilter},
                {u"bsSkinTabSheet3", u"文字水印", &F->bsSkinTabSheet3}};
  for (const Sheet& s : sheets) {
    auto* sheet = b.Make<skin::TbsSkinTabSheet>(s.name);
    sheet->SetCaption(s.caption);
    sheet->SetPageControl(pages);
    *s.field = sheet;
  }
  pages->SetActivePage(F->bsSkinTabSheet1);

  auto* page = F->bsSkinTabSheet1;
  struct Preset {
    const char16_t* label;
    int lx, ly;
    const char16_t* name;
    int x, y, w;
    TPresetComboBox** field;
  } presets[] = {
      {u"视频分辨率：", 19, 24, u"bsSkinComboBox1", 16, 43, 289, &F->bsSkinComboBox1},
      {u"视频比特率：", 342, 24, u"bsSkinComboBox2", 342, 43, 251, &F->bsSkinComboBox2},
      {u"视频帧率：", 16, 69, u"bsSkinComboBox9", 14, 88, 291, &F->bsSkinComboBox9},
      {u"视频缩放：", 342, 69, u"bsSkinComboBox4", 342, 88, 251, &F->bsSkinComboBox4},
      {u"音频比特率：", 16, 114, u"bsSkinComboBox3", 16, 133, 289, &F->bsSkinComboBox3},
      {u"音频采样率：", 342, 114, u"bsSkinComboBox10", 342, 133, 251, &F->bsSkinComboBox10},
  };
  int n = 0;
  for (const Preset& p : presets) {
    // bsSkinTextLabel5 is the pickers' label.
    const rtl::String labelName = u"bsSkinTextLabel" + rtl::IntToStr(n < 4 ? n + 1 : n + 2);
    F->PresetLabels[n++] = MakeTextLabel(b, labelName.c_str(), page, SD, p.lx, p.ly, p.label);
    *p.field = MakePresetBox(b, p.name, page, SD, p.x, p.y, p.w);
  }

  F->bsSkinButton3 = MakeSkinButton(b, u"bsSkinButton3", F, SD, 594, 416, 69, 25, u"取消");
  F->bsSkinButton2 = MakeSkinButton(b, u"bsSkinButton2", F, SD, 480, 416, 69, 25, u"确定");

  // Events: the pickers, OK and the creation only click the command buttons.
  categories->OnChange = [F](rtl::TObject* S) { F->bsSkinOfficeComboBox2Change(S); };
  formats->OnClick = [F](rtl::TObject* S) { F->bsSkinOfficeComboBox1Click(S); };
  F->bsSkinButton2->OnClick = [F](rtl::TObject* S) { F->bsSkinButton2Click(S); };
  F->bsSkinButton3->OnClick = [F](rtl::TObject* S) { F->bsSkinButton3Click(S); };
  F->Button2->OnClick = [F](rtl::TObject* S) { F->Button2Click(S); };
  F->Button5->OnClick = [F](rtl::TObject* S) { F->Button5Click(S); };
  F->Button6->OnClick = [F](rtl::TObject* S) { F->Button6Click(S); };
  F->Button13->OnClick = [F](rtl::TObject* S) { F->Button13Click(S); };
  F->Button18->OnClick = [F](rtl::TObject* S) { F->Button18Click(S); };

  b.Finish();
  // The skinned frame's borders are known once the window exists: keep the
  // client area at its described size.
  F->HandleNeeded();
  F->SetClientSize(kClientW, kClientH);
}

}  // namespace settings
