// Form description of the options dialog TForm5.
#include "app/forms/OptionsDialog.h"
#include "platform/forms/FormBuilder.h"
#include "platform/rtl/SysUtils.h"
#include "app/forms/FormPictures.h"

namespace appforms {

namespace {

constexpr int kClientW = 440, kClientH = 374;

void SetSongFont(gdi::TFont* F) {
  F->SetName(u"宋体");
  F->SetHeight(-12);
}

skin::TbsSkinGroupBox* MakeGroup(forms::TFormBuilder& b, const char16_t* Name, TForm5* F, skin::TbsSkinData* SD,
                                 int X, int Y, int W, int H, const char16_t* Caption) {
  auto* g = b.Make<skin::TbsSkinGroupBox>(Name, F);
  g->SetSkinDataName(u"groupbox");
  g->SetBounds(X, Y, W, H);
  g->SetCaption(Caption);
  SetSongFont(g->DefaultFont());
  g->SetSkinData(SD);
  return g;
}

skin::TbsSkinCheckRadioBox* MakeBox(forms::TFormBuilder& b, const char16_t* Name, forms::TWinControl* Parent,
                                    skin::TbsSkinData* SD, bool Radio, int X, int Y, int W,
                                    const char16_t* Caption, bool Checked) {
  auto* c = b.Make<skin::TbsSkinCheckRadioBox>(Name, Parent);
  c->SetSkinDataName(Radio ? u"radiobox" : u"checkbox");
  c->SetRadio(Radio);
  c->GroupIndex = Radio ? 1 : 0;
  c->SetBounds(X, Y, W, 20);
  c->SetCaption(Caption);
  SetSongFont(c->DefaultFont());
  c->SetChecked(Checked);
  c->SetSkinData(SD);
  return c;
}

skin::TbsSkinButton* MakeButton(forms::TFormBuilder& b, const char16_t* Name, TForm5* F, skin::TbsSkinData* SD,
                                int X, const char16_t* Caption) {
  auto* k = b.Make<skin::TbsSkinButton>(Name, F);
  k->SetSkinDataName(u"button");
  k->SetBounds(X, kClientH - 36, 80, 25);
  k->SetCaption(Caption);
  SetSongFont(k->DefaultFont());
  k->SetSkinData(SD);
  return k;
}

}  // namespace

void BuildForm5(TForm5* F, skin::TbsSkinData* SD) {
  forms::TFormBuilder b(F);
  F->SetName(u"Form5");
  F->SetCaption(u"选项");
  F->SetBorderStyle(forms::bsSingle);
  F->SetBorderIcons({});
  F->SetPosition(forms::poMainFormCenter);
  F->Font()->SetName(u"Tahoma");
  F->Font()->SetHeight(-11);
  F->SetClientSize(kClientW, kClientH);
  SetProgramIcon(F);

  auto* bsf = b.Make<skin::TbsBusinessSkinForm>(u"bsBusinessSkinForm1");
  F->bsBusinessSkinForm1 = bsf;
  bsf->SetBorderIcons({});
  bsf->ClientWidth = kClientW;
  bsf->ClientHeight = kClientH;
  bsf->SetSkinData(SD);
  bsf->SetMenusSkinData(SD);

  // After the queue is done.
  auto* g1 = F->bsSkinGroupBox1 = MakeGroup(b, u"bsSkinGroupBox1", F, SD, 10, 8, 205, 130, u"转换工作完成后");
  F->bsSkinCheckRadioBox1 = MakeBox(b, u"bsSkinCheckRadioBox1", g1, SD, true, 16, 30, 180, u"自动打开输出文件夹", true);
  F->bsSkinCheckRadioBox2 = MakeBox(b, u"bsSkinCheckRadioBox2", g1, SD, true, 16, 54, 180, u"自动关闭计算机", false);
  F->bsSkinCheckRadioBox4 = MakeBox(b, u"bsSkinCheckRadioBox4", g1, SD, true, 16, 78, 180, u" 播放提示音乐", false);
  F->bsSkinCheckRadioBox5 = MakeBox(b, u"bsSkinCheckRadioBox5", g1, SD, true, 16, 102, 180, u"不进行任何操作", false);

  // When the output file exists.
  auto* g2 = F->bsSkinGroupBox2 = MakeGroup(b, u"bsSkinGroupBox2", F, SD, 225, 8, 205, 130, u"如果输出文件存在时");
  F->bsSkinCheckRadioBox3 = MakeBox(b, u"bsSkinCheckRadioBox3", g2, SD, true, 16, 30, 180, u"直接覆盖输出文件", false);
  F->bsSkinCheckRadioBox6 = MakeBox(b, u"bsSkinCheckRadioBox6", g2, SD, true, 16, 54, 180, u"自动重命名输出文件", true);

  // Conversion parameters.
  auto* g3 = F->bsSkinGroupBox3 = MakeGroup(b, u"bsSkinGroupBox3", F, SD, 10, 146, 420, 92, u"转换参数");
  auto* l = b.Make<skin::TbsSkinStdLabel>(u"bsSkinStdLabel1", g3);
  F->bsSkinStdLabel1 = l;
  l->SetSkinDataName(u"stdlabel");
  l->SetBounds(16, 32, 300, 16);
  l->SetAutoSize(true);
  l->SetTransparent(true);
  l->SetCaption(u"程序最大运行线程数--（同时进行转换的文件个数）");
  SetSongFont(l->DefaultFont());
  l->SetSkinData(SD);
  auto* threads = b.Make<TPresetComboBox>(u"bsSkinComboBox2", g3);
  F->bsSkinComboBox2 = threads;
  threads->SetSkinDataName(u"combobox");
  threads->SetStyle(skin::bscbFixedStyle);
  threads->SetBounds(330, 28, 74, 20);
  SetSongFont(threads->DefaultFont());
  threads->SetSkinData(SD);
  for (int i = 1; i <= 19; ++i) threads->Items()->Add(rtl::IntToStr(i));
  threads->SetItemIndex(0);
  F->bsSkinCheckRadioBox7 =
      MakeBox(b, u"bsSkinCheckRadioBox7", g3, SD, false, 16, 58, 300, u"启用多线程模式   （同时进行转换的视频个数）", true);
  F->bsSkinCheckRadioBox7->SetVisible(false);
  F->bsSkinCheckRadioBox8 =
      MakeBox(b, u"bsSkinCheckRadioBox8", g3, SD, false, 16, 60, 300, u"转换时进行实时视频预览", false);

  // Processor use while converting.
  auto* g4 = F->bsSkinGroupBox4 = MakeGroup(b, u"bsSkinGroupBox4", F, SD, 10, 246, 420, 84, u"转换时CPU利用方式");
  F->bsSkinCheckRadioBox9 = MakeBox(b, u"bsSkinCheckRadioBox9", g4, SD, true, 16, 30, 180, u"系统空闲时进行", false);
  F->bsSkinCheckRadioBox10 = MakeBox(b, u"bsSkinCheckRadioBox10", g4, SD, true, 216, 30, 180, u"最低优先级进行", false);
  F->bsSkinCheckRadioBox11 = MakeBox(b, u"bsSkinCheckRadioBox11", g4, SD, true, 16, 54, 180, u"较低优先级进行", false);
  F->bsSkinCheckRadioBox12 = MakeBox(b, u"bsSkinCheckRadioBox12", g4, SD, true, 216, 54, 180, u"正常优先级进行", true);

  F->bsSkinButton6 = MakeButton(b, u"bsSkinButton6", F, SD, 250, u"确定");
  F->bsSkinButton6->SetDefault(true);
  F->bsSkinButton1 = MakeButton(b, u"bsSkinButton1", F, SD, 346, u"取消");
  F->bsSkinButton1->Cancel = true;

  // The hidden read and write commands.
  F->Button1 = b.Make<forms::TButton>(u"Button1", F);
  F->Button1->SetCaption(u"读取ini");
  F->Button1->SetBounds(0, 0, 75, 25);
  F->Button1->SetVisible(false);
  F->Button2 = b.Make<forms::TButton>(u"Button2", F);
  F->Button2->SetCaption(u"写ini");
  F->Button2->SetBounds(80, 0, 75, 25);
  F->Button2->SetVisible(false);

  F->Button1->OnClick = [F](rtl::TObject* S) { F->Button1Click(S); };
  F->Button2->OnClick = [F](rtl::TObject* S) { F->Button2Click(S); };
  F->bsSkinButton6->OnClick = [F](rtl::TObject* S) { F->bsSkinButton6Click(S); };
  F->bsSkinButton1->OnClick = [F](rtl::TObject* S) { F->bsSkinButton1Click(S); };
  F->bsSkinCheckRadioBox7->OnClick = [F](rtl::TObject* S) { F->bsSkinCheckRadioBox7Click(S); };
  F->bsSkinCheckRadioBox8->OnClick = [F](rtl::TObject* S) { F->bsSkinCheckRadioBox8Click(S); };

  b.Finish();
  // The skinned frame's borders are known once the window exists: keep the
  // client area at its described size.
  F->HandleNeeded();
  F->SetClientSize(kClientW, kClientH);
}

}  // namespace appforms
