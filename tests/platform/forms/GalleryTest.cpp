// A picture of every standard control in its plain look, written to the
// build folder (stdctrls_gallery.png) for a person to look at.
#include "platform/forms/ExtCtrls.h"
#include "platform/forms/FormRender.h"
#include "platform/forms/ListView.h"
#include "platform/forms/StdCtrls.h"
#include "platform/forms/TreeView.h"
#include "platform/rtl/SysUtils.h"
#include "tests/platform/forms/FormsTestUtil.h"

namespace formstest {
namespace {

TEST_F(FormsTest, GalleryOfThePlainLooks) {
  TForm* f = MakeForm(760, 640, false);
  f->SetCaption(u"标准控件");
  f->SetColor(gdi::clBtnFace);
  auto* lbl = new TLabel(f);
  lbl->SetParent(f);
  lbl->SetBounds(10, 12, 0, 0);
  lbl->SetCaption(u"输出文件夹(&O):");
  auto* edit = Make<TEdit>(f, 110, 8, 200, 21);
  edit->SetText(u"D:\\视频\\转换后的文件");
  auto* pw = Make<TEdit>(f, 320, 8, 100, 21);
  pw->SetPasswordChar(u'*');
  pw->SetText(u"secret");
  auto* ro = Make<TEdit>(f, 430, 8, 150, 21);
  ro->SetText(u"disabled");
  ro->SetEnabled(false);

  auto* memo = Make<TMemo>(f, 10, 40, 200, 90);
  memo->SetScrollBars(ssVertical);
  memo->SetText(u"第一行 the first line of a memo that wraps at the edge\r\nsecond line\r\nthird");

  auto* lb = Make<TListBox>(f, 220, 40, 120, 90);
  for (const char16_t* s : {u"MP4", u"AVI", u"3GP", u"FLV", u"WMV", u"MKV", u"MOV"}) lb->Items()->Add(s);
  lb->SetItemIndex(2);

  auto* cb = Make<TComboBox>(f, 350, 40, 140, 21);
  for (const char16_t* s : {u"高清 720p", u"标清 480p", u"流畅 320p"}) cb->Items()->Add(s);
  cb->SetItemIndex(0);
  auto* cbl = Make<TComboBox>(f, 350, 70, 140, 21);
  cbl->SetStyle(csDropDownList);
  for (const char16_t* s : {u"1", u"2", u"3", u"4"}) cbl->Items()->Add(s);
  cbl->SetItemIndex(1);

  auto* ok = Make<TButton>(f, 500, 40, 75, 25, u"确定");
  ok->SetDefault(true);
  Make<TButton>(f, 580, 40, 75, 25, u"取消");
  auto* chk = Make<TCheckBox>(f, 500, 72, 120, 17, u"自动关机");
  chk->SetChecked(true);
  Make<TCheckBox>(f, 500, 92, 120, 17, u"Unchecked");
  auto* r1 = Make<TRadioButton>(f, 620, 72, 120, 17, u"单线程");
  Make<TRadioButton>(f, 620, 92, 120, 17, u"多线程");
  r1->SetChecked(true);

  auto* lv = Make<TListView>(f, 10, 140, 480, 170);
  lv->SetViewStyle(vsReport);
  lv->SetGridLines(true);
  lv->SetRowSelect(true);
  lv->SetHideSelection(false);
  const char16_t* cols[] = {u"文件名", u"时长", u"大小", u"状态"};
  const int widths[] = {180, 70, 80, 120};
  for (int i = 0; i < 4; ++i) {
    TListColumn* c = lv->Columns()->Add();
    c->SetCaption(cols[i]);
    c->SetWidth(widths[i]);
    if (i == 2) c->SetAlignment(taRightJustify);
  }
  for (int i = 0; i < 6; ++i) {
    TListItem* it = lv->Items()->Add();
    it->SetCaption(i == 0 ? u"一个名字很长很长很长很长的视频文件.avi" : u"clip" + rtl::String(1, char16_t(u'0' + i)) + u".mp4");
    it->SubItems()->Add(u"00:03:2" + rtl::String(1, char16_t(u'0' + i)));
    it->SubItems()->Add(u"12.5 MB");
    it->SubItems()->Add(i < 2 ? u"完成" : u"等待");
  }
  lv->SetItemIndex(1);

  auto* lvi = Make<TListView>(f, 500, 140, 250, 80);
  lvi->SetViewStyle(vsList);
  for (const char16_t* s : {u"a.mp4", u"b.avi", u"c.3gp", u"d.flv", u"e.wmv", u"f.mkv"}) lvi->Items()->Add()->SetCaption(s);

  auto* tv = Make<TTreeView>(f, 500, 230, 250, 150);
  TTreeNode* pc = tv->Items()->Add(nullptr, u"我的电脑");
  TTreeNode* c = tv->Items()->AddChild(pc, u"本地磁盘 (C:)");
  tv->Items()->AddChild(c, u"Program Files");
  tv->Items()->AddChild(c, u"用户");
  TTreeNode* d = tv->Items()->AddChild(pc, u"本地磁盘 (D:)");
  d->SetHasChildren(true);
  tv->Items()->Add(pc, u"网络");
  pc->Expand(false);
  c->Expand(false);
  tv->SetSelected(c);

  // The rest, along the bottom.
  auto* pages = Make<TPageControl>(f, 10, 320, 300, 140);
  for (const char16_t* name : {u"常规", u"视频", u"音频", u"高级"}) {
    auto* ts = new TTabSheet(f);
    ts->SetCaption(name);
    ts->SetPageControl(pages);
  }
  pages->SetActivePageIndex(1);
  auto* pbar = new TProgressBar(f);
  pbar->SetParent(pages->ActivePage());
  pbar->SetBounds(10, 10, 200, 18);
  pbar->SetPosition(45);
  auto* smooth = new TProgressBar(f);
  smooth->SetParent(pages->ActivePage());
  smooth->SetBounds(10, 36, 200, 18);
  smooth->SetSmooth(true);
  smooth->SetPosition(70);
  auto* hsb = Make<TScrollBar>(pages->ActivePage(), 10, 62, 200, 17);
  hsb->SetParams(30, 0, 100);
  hsb->SetPageSize(20);

  auto* panel = Make<TPanel>(f, 320, 320, 170, 60, u"面板");
  panel->SetBevelInner(bvLowered);
  auto* bevel = new TBevel(f);
  bevel->SetParent(f);
  bevel->SetBounds(320, 390, 170, 30);
  bevel->SetShape(bsFrame);
  auto* line = new TBevel(f);
  line->SetParent(f);
  line->SetBounds(320, 430, 170, 2);
  line->SetShape(bsTopLine);
  auto* vsb = Make<TScrollBar>(f, 470, 440, 17, 100);
  vsb->SetKind(sbVertical);
  vsb->SetParams(80, 0, 100);

  auto* box = Make<TScrollBox>(f, 10, 470, 300, 150);
  auto* host = Make<TPanel>(box, 0, 0, 400, 80);
  auto* left = Make<TPanel>(host, 0, 0, 120, 10, u"左");
  left->SetAlign(alLeft);
  auto* split = new TSplitter(f);
  split->SetParent(host);
  split->SetLeft(120);
  split->SetBeveled(true);
  auto* right = Make<TPanel>(host, 0, 0, 10, 10, u"右");
  right->SetAlign(alClient);
  Make<TButton>(box, 20, 200, 75, 25, u"更远");

  auto* img = new TImage(f);
  img->SetParent(f);
  img->SetBounds(320, 440, 140, 100);
  gdi::TBitmap* bmp = img->Picture()->Bitmap();
  bmp->SetSize(64, 32);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 64; ++x) bmp->Canvas()->SetPixels(x, y, rtl::TColor((x * 4) | ((y * 8) << 8) | (0x80 << 16)));
  img->SetStretch(true);
  img->SetProportional(true);
  img->SetCenter(true);

  f->Show();
  Pump();
  lv->SetFocus();
  Pump();
  ASSERT_TRUE(RenderToPng(f, "stdctrls_gallery.png"));
  ASSERT_TRUE(RenderToPng(pages, "stdctrls_gallery_pages.png"));
  ASSERT_TRUE(RenderToPng(edit, "stdctrls_gallery_edit.png"));
  cb->SetDroppedDown(true);
  Pump();
  ASSERT_TRUE(RenderToPng(cb->ListControl(), "stdctrls_gallery_dropdown.png"));
  cb->SetDroppedDown(false);
}

// A multi-column list box (stdctrls_listcolumns.png): rows down, then
// across, the horizontal bar under them, the focused selection in the middle.
TEST_F(FormsTest, GalleryOfAMultiColumnListBox) {
  TForm* f = MakeForm(330, 130, false);
  f->SetColor(gdi::clBtnFace);
  auto* lb = Make<TListBox>(f, 10, 10, 300, 100);
  for (int i = 1; i <= 25; ++i) lb->Items()->Add(u"文件 " + rtl::IntToStr(i));
  lb->SetColumns(3);
  lb->SetItemIndex(16);
  f->Show();
  Pump();
  lb->SetFocus();
  Pump();
  ASSERT_TRUE(RenderToPng(f, "stdctrls_listcolumns.png"));
}

}  // namespace
}  // namespace formstest
