// A picture of every standard control in its plain look, written to the
// build folder (stdctrls_gallery.png) for a person to look at.
#include "platform/forms/FormRender.h"
#include "platform/forms/ListView.h"
#include "platform/forms/StdCtrls.h"
#include "platform/forms/TreeView.h"
#include "tests/platform/forms/FormsTestUtil.h"

namespace formstest {
namespace {

TEST_F(FormsTest, GalleryOfThePlainLooks) {
  TForm* f = MakeForm(760, 520, false);
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

  f->Show();
  Pump();
  lv->SetFocus();
  Pump();
  ASSERT_TRUE(RenderToPng(f, "stdctrls_gallery.png"));
}

}  // namespace
}  // namespace formstest
