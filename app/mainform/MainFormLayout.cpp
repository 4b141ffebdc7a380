// The main window's form description: its components, their places and
// properties, and the events bound to the window's handlers.
//
// Client area 805 x 541 on an 8-pixel grid: the menu bar and the tool bar
// across the top; the queue frame (list and the move and rename buttons) with the empty-queue
// picture over it; below, on the left the output panel (category and format
// pickers, output folder with browse and open) over the preset panel (six
// labelled boxes in two columns of three), on the right the preview group
// (screen, seek slider, player buttons). The developer panels lie beyond the
// right edge of the client area.
#include <string>
#include <utility>

#include "platform/forms/ImgList.h"

#include "app/mainform/MainForm.h"
#include "app/mainform/VideoScreen.h"
#include "platform/forms/FormBuilder.h"
#include "platform/rtl/Classes.h"
#include "resources/tvlResources.h"
#include "skin/menus/bsSkinMenuHost.h"

namespace app {

namespace {

using forms::TFormBuilder;
using rtl::String;

constexpr char16_t kFontFace[] = u"WenQuanYi Micro Hei";

// Client layout.
constexpr int kClientW = 805, kClientH = 541;
constexpr int kMargin = 8;
constexpr int kMenuBarH = 24;  // the height every stored skin gives its menu bar
constexpr int kToolBarH = 60;
constexpr int kQueueTop = kMenuBarH + kToolBarH + 6, kQueueH = 180;
constexpr int kLowerTop = kQueueTop + kQueueH + kMargin;  // 306
constexpr int kLeftW = 521;
constexpr int kOutputH = 132;
constexpr int kPresetTop = kLowerTop + kOutputH + 6;
constexpr int kPresetH = kClientH - kMargin - kPresetTop;
constexpr int kPreviewLeft = kMargin + kLeftW + kMargin;
constexpr int kPreviewW = kClientW - kMargin - kPreviewLeft;
constexpr int kPreviewH = kClientH - kMargin - kLowerTop;
constexpr int kRowH = 24;  // edits, combo boxes, small buttons
constexpr int kDevLeft = 1276;
constexpr int kScreenW = 200, kScreenH = 150;  // the preview screen, 4:3

void LoadBitmap(gdi::TBitmap* bitmap, const char* name) {
  const resources::TResource* r = resources::FindResource(name);
  if (!r) return;
  rtl::TMemoryStream in;
  in.WriteBuffer(r->Data, rtl::Int64(r->Size));
  in.SetPosition(0);
  bitmap->LoadFromStream(&in);
}

template <class T>
T* Place(T* c, int x, int y, int w, int h) {
  c->SetBounds(x, y, w, h);
  return c;
}

}  // namespace

void BuildForm1(TForm1* f) {
  TFormBuilder b(f);
  f->SetName(u"Form1");
  f->SetCaption(TForm1::kCaption);
  f->SetBorderStyle(forms::bsSingle);
  f->SetBorderIcons({forms::biSystemMenu, forms::biMinimize});
  f->SetPosition(forms::poScreenCenter);
  f->SetClientSize(kClientW, kClientH);
  f->Font()->SetName(kFontFace);
  f->Font()->SetHeight(-12);

  auto click = [f](void (TForm1::*handler)(rtl::TObject*)) {
    return [f, handler](rtl::TObject* sender) { (f->*handler)(sender); };
  };

  // ---- non-visual components
  f->bsCompressedSkinList1 = b.Make<skin::TbsCompressedSkinList>(u"bsCompressedSkinList1");
  for (int i = 0; i < resources::StoredSkinCount(); ++i) {
    auto* item = f->bsCompressedSkinList1->Skins()->AddItem();
    item->Name = resources::StoredSkinName(i);
    const resources::TResource& r = resources::StoredSkin(i);
    rtl::TMemoryStream in;
    in.WriteBuffer(r.Data, rtl::Int64(r.Size));
    in.SetPosition(0);
    item->ReadSkin(in);
  }
  // The index first (only stored while there is no list), then the texts,
  // then the list, whose setting loads that one skin.
  f->bsResourceStrData1 = b.Make<skin::TbsResourceStrData>(u"bsResourceStrData1");
  f->bsSkinData1 = b.Make<skin::TbsSkinData>(u"bsSkinData1");
  f->bsSkinData1->SetSkinIndex(1);
  f->bsSkinData1->SetResourceStrData(f->bsResourceStrData1);
  f->bsSkinData1->SetSkinList(f->bsCompressedSkinList1);

  f->bsBusinessSkinForm1 = b.Make<skin::TbsBusinessSkinForm>(u"bsBusinessSkinForm1");
  f->bsBusinessSkinForm1->SetBorderIcons({skin::biMinimize});
  f->bsBusinessSkinForm1->SetSkinData(f->bsSkinData1);
  f->bsBusinessSkinForm1->SetMenusSkinData(f->bsSkinData1);
  // Every skin keeps the client area at its size.
  f->bsBusinessSkinForm1->ClientWidth = kClientW;
  f->bsBusinessSkinForm1->ClientHeight = kClientH;

  // Every hint of the program in the current skin; "@" starts a new line.
  f->bsSkinHint1 = b.Make<skin::TbsSkinHint>(u"bsSkinHint1");
  f->bsSkinHint1->LineSeparator = u"@";
  f->bsSkinHint1->SetSkinData(f->bsSkinData1);
  f->bsSkinHint1->SetActive(true);
  f->bsSkinHint1->UseSkinFont = true;
  f->bsSkinHint1->DefaultFont()->SetName(kFontFace);
  f->bsSkinHint1->DefaultFont()->SetHeight(-11);
  f->bsSkinHint1->DefaultFont()->SetColor(gdi::clWindowText);
  f->bsBusinessSkinForm1->SkinHint = f->bsSkinHint1;
  f->bsBusinessSkinForm1->ShowObjectHint = false;

  f->FFVCL = b.Make<engine::TFFmpegVCL>(u"FFVCL");
  f->FFLogger = engine::GetFFLogger();
  if (f->Environment().CreatePlayer) f->RIDodevu = b.Make<player::TCustomPlayer>(u"RIDodevu");

  // The frame's menu side: the engine the skin popup menus of the window open through.
  auto* menuHost = new skin::TbsSkinMenuHost(f, f);
  menuHost->SetName(u"bsSkinMenuHost1");
  menuHost->SkinData = f->bsSkinData1;
  f->bsSkinPopupMenu1 = b.Make<skin::TbsSkinPopupMenu>(u"bsSkinPopupMenu1");
  f->bsSkinPopupMenu1->SetSkinData(f->bsSkinData1);
  struct TAddItem {
    forms::TMenuItem** field;
    const char16_t* name;
    const char16_t* caption;
  };
  for (TAddItem a : {TAddItem{&f->N11111, u"N11111", u"添加一个文件"}, TAddItem{&f->N2222, u"N2222", u"添加多个文件"},
                     TAddItem{&f->N3331, u"N3331", u"添加整个目录"}}) {
    auto* item = b.Make<forms::TMenuItem>(a.name);
    item->SetCaption(a.caption);
    f->bsSkinPopupMenu1->Items()->Add(item);
    *a.field = item;
  }

  auto skinned = [f](auto* c) {
    c->SetSkinData(f->bsSkinData1);
    return c;
  };
  // ---- menu bar (its menu is made with the commands)
  f->bsSkinMainMenuBar1 = skinned(b.Make<skin::TbsSkinMainMenuBar>(u"bsSkinMainMenuBar1", f));
  f->bsSkinMainMenuBar1->SetDefaultHeight(kMenuBarH);
  f->bsSkinMainMenuBar1->SetBusinessSkinForm(f->bsBusinessSkinForm1);

  // The notification-area icon: linked to the frame, disabled and never
  // shown (the frame offers no minimise-to-tray).
  f->bsTrayIcon1 = b.Make<skin::TbsTrayIcon>(u"bsTrayIcon1");
  f->bsTrayIcon1->Enabled = false;
  f->bsTrayIcon1->SetIconVisible(false);
  f->bsTrayIcon1->SetAnimateTimerInterval(0);
  f->bsTrayIcon1->SetIconIndex(0);
  skin::SetFrameTrayIcon(f->bsBusinessSkinForm1, f->bsTrayIcon1);

  // ---- tool bar
  f->bsSkinToolBar2 = skinned(Place(b.Make<skin::TbsSkinToolBar>(u"bsSkinToolBar2", f), 0, kMenuBarH, kClientW, kToolBarH));
  f->bsSkinToolBar2->AdjustControls = false;
  auto toolButton = [&](const char16_t* name, const char16_t* caption, int slot, const std::string& glyph) {
    auto* btn = skinned(Place(b.Make<skin::TbsSkinButton>(name, f->bsSkinToolBar2), 6 + slot * 70, 2, 66, 56));
    btn->SetSkinDataName(u"resizetoolbutton");
    btn->SetCaption(caption);
    btn->SetLayout(skin::blGlyphTop);
    btn->SetSpacing(0);
    btn->SetMargin(0);
    gdi::TBitmap g;
    LoadBitmap(&g, glyph.c_str());
    btn->SetGlyph(&g);
    return btn;
  };
  f->bsSkinMenuSpeedButton1 = skinned(Place(b.Make<skin::TbsSkinMenuSpeedButton>(u"bsSkinMenuSpeedButton1", f->bsSkinToolBar2), 6, 2, 66, 56));
  f->bsSkinMenuSpeedButton1->SetSkinDataName(u"resizetoolbutton");
  f->bsSkinMenuSpeedButton1->SetCaption(u"添加");
  f->bsSkinMenuSpeedButton1->SetLayout(skin::blGlyphTop);
  f->bsSkinMenuSpeedButton1->SetSpacing(0);
  f->bsSkinMenuSpeedButton1->SetMargin(4);
  f->bsSkinMenuSpeedButton1->SetTrackButtonMode(false);
  f->bsSkinMenuSpeedButton1->SetSkinPopupMenu(f->bsSkinPopupMenu1);
  {
    gdi::TBitmap g;
    LoadBitmap(&g, "glyphs/Image3.bmp");
    f->bsSkinMenuSpeedButton1->SetGlyph(&g);
  }
  // The queue commands start disabled, with their dimmed pictures.
  f->bsSkinButton2 = toolButton(u"bsSkinButton2", u"开始", 1, "glyphs/Image4.bmp");
  f->bsSkinButton10 = toolButton(u"bsSkinButton10", u"停止", 2, "glyphs/Image10.bmp");
  f->bsSkinButton11 = toolButton(u"bsSkinButton11", u"暂停", 3, "glyphs/Image6.bmp");
  f->bsSkinButton12 = toolButton(u"bsSkinButton12", u"继续", 3, "glyphs/Image8.bmp");
  f->bsSkinButton12->SetVisible(false);
  f->bsSkinButton7 = toolButton(u"bsSkinButton7", u"删除", 4, "glyphs/Image14.bmp");
  f->bsSkinButton8 = toolButton(u"bsSkinButton8", u"清空", 5, "glyphs/Image12.bmp");
  f->bsSkinButton19 = toolButton(u"bsSkinButton19", u"选项", 7, "glyphs/Options.bmp");
  f->bsSkinButton9 = toolButton(u"bsSkinButton9", u"皮肤", 8, "glyphs/Skin.bmp");
  for (auto* btn : {f->bsSkinButton2, f->bsSkinButton10, f->bsSkinButton11, f->bsSkinButton12, f->bsSkinButton7,
                    f->bsSkinButton8})
    btn->SetEnabled(false);

  // ---- developer panel 1 (commands of the queue)
  auto devPanel = [&](const char16_t* name, int top) {
    auto* p = Place(b.Make<forms::TPanel>(name, f), kDevLeft, top, 300, 130);
    p->SetCaption(u"");
    return p;
  };
  f->Panel1 = devPanel(u"Panel1", 0);

  // ---- queue frame
  f->bsSkinPanel1 = skinned(Place(b.Make<skin::TbsSkinPanel>(u"bsSkinPanel1", f), kMargin, kQueueTop, kClientW - 2 * kMargin, kQueueH));
  const int frameW = kClientW - 2 * kMargin;
  // The list fills a frameless box with its two bars, which show only while
  // rows or columns overflow and then take their room from the list.
  auto* queueBox = skinned(Place(b.Make<skin::TbsSkinPanel>(u"bsSkinPanel6", f->bsSkinPanel1), 6, 6, frameW - 12 - 34, kQueueH - 12));
  queueBox->SetBorderStyle(skin::bvNone);
  f->bsSkinScrollBar1 = skinned(b.Make<skin::TbsSkinScrollBar>(u"bsSkinScrollBar1", queueBox));
  f->bsSkinScrollBar1->SetAlign(forms::alBottom);
  f->bsSkinScrollBar1->SetDefaultHeight(19);
  f->bsSkinScrollBar1->SetBothMarkerWidth(19);
  f->bsSkinScrollBar1->SetSkinDataName(u"hscrollbar");
  f->bsSkinScrollBar1->SetVisible(false);
  f->bsSkinScrollBar2 = skinned(b.Make<skin::TbsSkinScrollBar>(u"bsSkinScrollBar2", queueBox));
  f->bsSkinScrollBar2->SetKind(forms::sbVertical);
  f->bsSkinScrollBar2->SetAlign(forms::alRight);
  f->bsSkinScrollBar2->SetDefaultWidth(19);
  f->bsSkinScrollBar2->SetSkinDataName(u"vscrollbar");
  f->bsSkinScrollBar2->SetVisible(false);
  f->lvFiles = skinned(b.Make<skin::TbsSkinListView>(u"lvFiles", queueBox));
  f->lvFiles->SetAlign(forms::alClient);
  f->lvFiles->SetViewStyle(forms::vsReport);
  f->lvFiles->SetRowSelect(true);
  f->lvFiles->SetGridLines(true);
  f->lvFiles->SetReadOnly(true);
  f->lvFiles->SetMultiSelect(false);
  f->lvFiles->SetHideSelection(false);
  struct TCol {
    const char16_t* caption;
    int width;
  };
  const TCol cols[] = {{u"输入文件", 206}, {u"视频时间", 70},  {u"文件大小", 72},  {u"输出文件", 170},
                       {u"转换进度", 64},  {u"", 0},          {u"当前时间", 70},  {u"转换大小", 70},
                       {u"视频序号", 0},   {u"视频类别", 0},   {u"视频选项", 0},   {u"视频编码", 0},
                       {u"音频编码", 0},   {u"声音频道", 0},   {u"VideoTag", 0},   {u"FileExt", 0},
                       {u"视频分辨率", 0}, {u"视频比特率", 0}, {u"视频帧率", 0},   {u"音频比特率", 0},
                       {u"音频采样率", 0}, {u"视频缩放", 0},   {u"视频能否", 0},   {u"TargetType", 0},
                       {u"NormType", 0}};
  for (int i = 0; i < 25; ++i) {
    auto* c = f->lvFiles->Columns()->Add();
    c->SetCaption(cols[i].caption);
    c->SetWidth(cols[i].width);
    if (cols[i].width == 0) c->SetMaxWidth(1);
  }
  f->lvFiles->SetHScrollBar(f->bsSkinScrollBar1);
  f->lvFiles->SetVScrollBar(f->bsSkinScrollBar2);
  f->lvFiles->OnSelectItem = [f](rtl::TObject* s, forms::TListItem* item, bool sel) { f->lvFilesSelectItem(s, item, sel); };
  f->lvFiles->OnClick = click(&TForm1::lvFilesClick);
  f->lvFiles->OnDblClick = click(&TForm1::lvFilesDblClick);
  auto sideButton = [&](const char16_t* name, const char16_t* hint, int row) {
    auto* btn = skinned(Place(b.Make<skin::TbsSkinButton>(name, f->bsSkinPanel1), frameW - 6 - 30, 6 + row * 36, 30, 30));
    btn->SetHint(hint);
    btn->SetShowHint(true);
    return btn;
  };
  f->bsSkinButton3 = sideButton(u"bsSkinButton3", u"上移", 0);
  f->bsSkinButton3->SetCaption(u"▲");
  f->bsSkinButton4 = sideButton(u"bsSkinButton4", u"下移", 1);
  f->bsSkinButton4->SetCaption(u"▼");
  f->bsSkinButton21 = sideButton(u"bsSkinButton21", u"重命名", 2);
  {
    gdi::TBitmap g;
    LoadBitmap(&g, "glyphs/Image17.bmp");
    f->bsSkinButton21->SetGlyph(&g);
  }
  f->bsSkinButton21->SetEnabled(false);
  f->bsSkinButton3->OnClick = click(&TForm1::bsSkinButton3Click);
  f->bsSkinButton4->OnClick = click(&TForm1::bsSkinButton4Click);
  f->bsSkinButton21->OnClick = click(&TForm1::bsSkinButton21Click);

  // ---- output panel
  f->bsSkinPanel2 = skinned(Place(b.Make<skin::TbsSkinPanel>(u"bsSkinPanel2", f), kMargin, kLowerTop, kLeftW, kOutputH));
  // Category and format pickers: picture, title and description faces.
  auto* imageList1 = b.Make<forms::TImageList>(u"ImageList1");
  auto* imageList2 = b.Make<forms::TImageList>(u"ImageList2");
  for (auto [list, asset] : {std::pair{imageList1, "imagelists/ImageList1.bmp"}, std::pair{imageList2, "imagelists/ImageList2.bmp"}}) {
    list->SetSize(32, 32);
    gdi::TBitmap strip;
    LoadBitmap(&strip, asset);
    list->AddMasked(&strip, 0x00FF00FF);
  }
  auto label = [&](forms::TWinControl* parent, const char16_t* name, const char16_t* caption, int x, int y, int w) {
    auto* l = skinned(Place(b.Make<skin::TbsSkinStdLabel>(name, parent), x, y + 4, w, 16));
    l->SetCaption(caption);
    l->SetTransparent(true);
    return l;
  };
  constexpr int kPickerH = 51;
  f->bsSkinOfficeComboBox2 = skinned(Place(b.Make<TOfficePicker>(u"bsSkinOfficeComboBox2", f->bsSkinPanel2), 10, 10, 140, kPickerH));
  f->bsSkinOfficeComboBox2->SetImages(imageList1);
  f->bsSkinOfficeComboBox2->SetListBoxItemHeight(50);
  f->bsSkinOfficeComboBox2->SetListBoxShowItemTitles(false);
  f->bsSkinOfficeComboBox2->ListBoxWidth = 140;
  f->bsSkinOfficeComboBox2->SetShowItemTitle(false);
  f->bsSkinOfficeComboBox2->SetShowItemImage(true);
  f->bsSkinOfficeComboBox2->SetShowItemText(true);
  f->bsSkinOfficeComboBox2->SetDropDownCount(8);
  label(f->bsSkinPanel2, u"bsSkinStdLabel1", u"输出格式：", 160, 10 + (kPickerH - kRowH + 1) / 2 + 1, 72);
  f->bsSkinOfficeComboBox1 = skinned(Place(b.Make<TOfficePicker>(u"bsSkinOfficeComboBox1", f->bsSkinPanel2), 234, 10, kLeftW - 10 - 234, kPickerH));
  f->bsSkinOfficeComboBox1->SetImages(imageList2);
  f->bsSkinOfficeComboBox1->SetListBoxItemHeight(60);
  f->bsSkinOfficeComboBox1->SetListBoxShowItemTitles(true);
  f->bsSkinOfficeComboBox1->SetListBoxShowLines(true);
  f->bsSkinOfficeComboBox1->SetShowItemTitle(true);
  f->bsSkinOfficeComboBox1->SetShowItemImage(true);
  f->bsSkinOfficeComboBox1->SetShowItemText(true);
  f->bsSkinOfficeComboBox1->SetDropDownCount(4);
  const tables::TFormatCategories& categories = tables::FormatCategories();
  for (int i = 0; i < categories.Count(); ++i)
    f->bsSkinOfficeComboBox2->AddItem(u"", categories[i].Caption, categories[i].ImageIndex);
  f->bsSkinOfficeComboBox2->SetIndex(0);
  f->bsSkinOfficeComboBox2->OnChange = click(&TForm1::bsSkinOfficeComboBox2Change);
  f->bsSkinOfficeComboBox1->OnChange = click(&TForm1::bsSkinOfficeComboBox1Change);

  label(f->bsSkinPanel2, u"bsSkinStdLabel2", u"输出目录：", 10, 70, 72);
  f->Video_OutPut_Folder_Edit = skinned(Place(b.Make<skin::TbsSkinEdit>(u"Video_OutPut_Folder_Edit", f->bsSkinPanel2), 84, 70, 290, kRowH));
  f->Video_OutPut_Folder_Edit->SetReadOnly(true);
  f->bsSkinButtonBrowse = skinned(Place(b.Make<skin::TbsSkinButton>(u"bsSkinButton17", f->bsSkinPanel2), 382, 70, 62, kRowH));
  f->bsSkinButtonBrowse->SetCaption(u"浏览");
  f->bsSkinButtonOpenFolder = skinned(Place(b.Make<skin::TbsSkinButton>(u"bsSkinButton18", f->bsSkinPanel2), 449, 70, 62, kRowH));
  f->bsSkinButtonOpenFolder->SetCaption(u"打开");
  label(f->bsSkinPanel2, u"bsSkinStdLabel9", u"软件网站：", 10, 100, 72);
  f->bsSkinLinkLabel1 = skinned(Place(b.Make<skin::TbsSkinLinkLabel>(u"bsSkinLinkLabel1", f->bsSkinPanel2), 84, 104, 200, 16));
  f->bsSkinLinkLabel1->SetSkinDataName(u"stdlabel");
  f->bsSkinLinkLabel1->SetTransparent(true);
  f->bsSkinLinkLabel1->SetAutoSize(true);
  f->bsSkinLinkLabel1->SetCaption(appforms::kMakerWebSite);
  f->bsSkinLinkLabel1->SetURL(appforms::kMakerWebSite);

  // ---- preset panel
  f->bsSkinPanel3 = skinned(Place(b.Make<skin::TbsSkinPanel>(u"bsSkinPanel3", f), kMargin, kPresetTop, kLeftW, kPresetH));
  f->bsSkinPanel3->SetSkinDataName(u"groupbox");
  f->bsSkinPanel3->SetCaptionMode(true);
  f->bsSkinPanel3->SetCaption(u"预置选项");
  struct TPresetPlace {
    TPresetPicker** field;
    const char16_t* name;
    const char16_t* labelName;
    const char16_t* caption;
    int column, row;
  };
  const TPresetPlace presets[] = {
      {&f->bsSkinComboBox1, u"bsSkinComboBox1", u"bsSkinStdLabel3", u"视频分辨率：", 0, 0},
      {&f->bsSkinComboBox2, u"bsSkinComboBox2", u"bsSkinStdLabel4", u"视频比特率：", 0, 1},
      {&f->bsSkinComboBox9, u"bsSkinComboBox9", u"bsSkinStdLabel5", u"视频帧率：", 0, 2},
      {&f->bsSkinComboBox3, u"bsSkinComboBox3", u"bsSkinStdLabel6", u"音频比特率：", 1, 0},
      {&f->bsSkinComboBox10, u"bsSkinComboBox10", u"bsSkinStdLabel7", u"音频采样率：", 1, 1},
      {&f->bsSkinComboBox4, u"bsSkinComboBox4", u"bsSkinStdLabel8", u"视频缩放：", 1, 2},
  };
  const int columnW = (kLeftW - 20) / 2;
  for (const TPresetPlace& p : presets) {
    const int x = 10 + p.column * (columnW + 8), y = 28 + p.row * 30;
    label(f->bsSkinPanel3, p.labelName, p.caption, x, y, 78);
    auto* box = skinned(Place(b.Make<TPresetPicker>(p.name, f->bsSkinPanel3), x + 80, y, columnW - 80 - 4, kRowH));
    box->SetDropDownCount(12);
    box->OnChange = click(&TForm1::PresetChange);
    *p.field = box;
  }

  // ---- developer panel 3
  f->Panel3 = devPanel(u"Panel3", 140);

  // ---- empty-queue picture over the queue frame
  f->bsSkinPanel5 = skinned(Place(b.Make<skin::TbsSkinPanel>(u"bsSkinPanel5", f), kMargin, kQueueTop, kClientW - 2 * kMargin, kQueueH));
  f->Image1 = b.Make<forms::TImage>(u"Image1", f->bsSkinPanel5);
  f->Image1->SetAlign(forms::alClient);
  f->Image1->SetCenter(true);
  f->Image1->SetProportional(true);
  f->Image1->SetStretch(true);
  f->Image1->SetTransparent(true);
  LoadBitmap(f->Image1->Picture()->Bitmap(), "pictures/Image1.bmp");

  // ---- preview group
  f->bsSkinPanel4 = skinned(Place(b.Make<skin::TbsSkinPanel>(u"bsSkinPanel4", f), kPreviewLeft, kLowerTop, kPreviewW, kPreviewH));
  f->bsSkinPanel4->SetSkinDataName(u"groupbox");
  f->bsSkinPanel4->SetCaptionMode(true);
  f->bsSkinPanel4->SetCaption(u"视频预览");
  const int screenX = (kPreviewW - kScreenW) / 2;
  f->bsSkinSlider1 = skinned(Place(b.Make<skin::TbsSkinSlider>(u"bsSkinSlider1", f->bsSkinPanel4), screenX, 28 + kScreenH + 8, kScreenW, 20));
  f->bsSkinSlider1->SetMaxValue(100);
  struct TPlayerButton {
    const char16_t* name;
    const char16_t* hint;
    int slot;
    const char* glyph;
  };
  const TPlayerButton playerButtons[] = {{u"bsSkinButton13", u"播放", 0, "Play"},     {u"bsSkinButton14", u"暂停", 1, "Pause"},
                                         {u"bsSkinButton15", u"停止", 2, "Stop"},     {u"bsSkinButton16", u"静音", 3, "Sound"},
                                         {u"bsSkinButton20", u"静音", 3, "Mute"},     {u"bsSkinButton22", u"快照", 4, "Snapshot"},
                                         {u"bsSkinButton23", u"设置", 5, "Settings"}};
  for (const TPlayerButton& p : playerButtons) {
    auto* btn = skinned(Place(b.Make<skin::TbsSkinButton>(p.name, f->bsSkinPanel4), screenX + p.slot * 34, 28 + kScreenH + 36, 30, 28));
    btn->SetHint(p.hint);
    btn->SetShowHint(true);
    gdi::TBitmap g;
    LoadBitmap(&g, (std::string("glyphs/Player") + p.glyph + ".bmp").c_str());
    btn->SetGlyph(&g);
    if (std::u16string_view(p.name) == u"bsSkinButton20") btn->SetVisible(false);
  }

  // Direct children that follow in the window's order.
  for (auto [field, name] : {std::pair{&f->Button19, u"Button19"}, std::pair{&f->Button27, u"Button27"}}) {
    *field = Place(b.Make<forms::TButton>(name, f), kDevLeft, 560 + (field == &f->Button27) * 26, 72, 24);
    (*field)->SetCaption(name);
  }
  f->edt = Place(b.Make<forms::TEdit>(u"edt", f), 0, 0, 120, 21);
  f->edt->SetVisible(false);
  f->edt->OnExit = click(&TForm1::edtExit);
  f->Panel4 = devPanel(u"Panel4", 280);
  f->Panel5 = devPanel(u"Panel5", 420);
  f->Panel6 = Place(b.Make<TVideoScreenPanel>(u"Panel6", f), kPreviewLeft + screenX, kLowerTop + 28, kScreenW, kScreenH);
  f->Panel6->SetCaption(u"");
  f->Panel6->SetBevelOuter(forms::bvLowered);
  f->Panel6->SetColor(0x000000);

  // The visible controls that lead to the queue commands.
  auto run = [](forms::TButton** command) {
    return [command](rtl::TObject*) { (*command)->Click(); };
  };
  f->N11111->OnClick = run(&f->btnAdd);
  f->N2222->OnClick = run(&f->Button8);
  f->N3331->OnClick = run(&f->Button12);
  f->bsSkinButton7->OnClick = run(&f->btnRemove);
  f->bsSkinButton8->OnClick = run(&f->btnClear);

  // ---- developer controls: command buttons
  AddDeveloperButtons(f, f->Panel1,
                      {{&f->Button15, u"Button15", u"初始化数值", &TForm1::Button15Click},
                       {&f->Button6, u"Button6", u"初始化数据", &TForm1::Button6Click},
                       {&f->Button21, u"Button21", u"OpenDialog1", &TForm1::Button21Click},
                       {&f->btnAdd, u"btnAdd", u"Open添加一个文件", &TForm1::btnAddClick},
                       {&f->Button8, u"Button8", u"打开多个文件", &TForm1::Button8Click},
                       {&f->Button12, u"Button12", u"添加整个目录", &TForm1::Button12Click},
                       {&f->Button13, u"Button13", u"确认预置选项数据", &TForm1::Button13Click},
                       {&f->btnRemove, u"btnRemove", u"Remove", &TForm1::btnRemoveClick},
                       {&f->btnClear, u"btnClear", u"Clear", &TForm1::btnClearClick},
                       {&f->Button2, u"Button2", u"添加combox", &TForm1::Button2Click},
                       {&f->Button5, u"Button5", u"根据combox添加数据", &TForm1::Button5Click},
                       {&f->Button18, u"Button18", u"根据combox添加预设选项", &TForm1::Button18Click},
                       {&f->Button17, u"Button17", u"读ini文件", &TForm1::Button17Click},
                       {&f->Button16, u"Button16", u"写ini文件", &TForm1::Button16Click},
                       {&f->Button3, u"Button3", u"读入皮肤ini", &TForm1::Button3Click},
                       {&f->Button4, u"Button4", u"写入皮肤ini", &TForm1::Button4Click}});
  // The run commands' handlers are bound with the commands.
  AddDeveloperButtons(f, f->Panel3,
                      {{&f->btnStart, u"btnStart", u"Start", nullptr},
                       {&f->btnStop, u"btnStop", u"Stop", nullptr},
                       {&f->btnPause, u"btnPause", u"Pause", nullptr},
                       {&f->btnResume, u"btnResume", u"Resume", nullptr},
                       {&f->Button31, u"Button31", u"打开播放视频", nullptr},
                       {&f->Button9, u"Button9", u"播放视频", nullptr}});
  for (auto* btn : {f->btnRemove, f->btnClear, f->btnStart, f->btnStop, f->btnPause, f->btnResume})
    btn->SetEnabled(false);

  f->cboScreens = Place(b.Make<forms::TComboBox>(u"cboScreens", f->Panel4), 2, 2, 140, 22);
  f->mmoLog = Place(b.Make<forms::TMemo>(u"mmoLog", f->Panel4), 2, 28, 290, 96);
  f->mmoLog->SetWordWrap(false);
  f->ProgressBar1 = Place(b.Make<forms::TProgressBar>(u"ProgressBar1", f->Panel5), 2, 2, 200, 16);
  f->ListBox1 = Place(b.Make<forms::TListBox>(u"ListBox1", f->Panel5), 2, 20, 140, 100);
  for (int i = 2; i <= 17; ++i) {
    auto* img = Place(b.Make<forms::TImage>(u"Image" + rtl::IntToStr(i), f->Panel5), 150 + ((i - 2) % 4) * 34,
                      20 + ((i - 2) / 4) * 34, 32, 32);
    LoadBitmap(img->Picture()->Bitmap(), ("glyphs/Image" + std::to_string(i) + ".bmp").c_str());
    f->GlyphImages.push_back(img);
  }

  // ---- dialogs
  f->OpenDialog1.Title = u"打开文件";
  f->OpenDialog1.MultiSelect = false;
  f->OpenDialog2.Title = u"打开文件";
  f->OpenDialog2.MultiSelect = true;
  f->bsSkinSelectDirectoryDialog1.Title = u"选择目录";
  f->bsSkinSelectDirectoryDialog2.Title = u"选择输出目录";

  // Every skinned control follows the window's skin data.
  // The picture covers the queue frame, the screen its group.
  f->HandleNeeded();
  f->bsSkinPanel5->BringToFront();
  f->Panel6->BringToFront();

  BuildForm1Commands(f);
  f->OnCreate = click(&TForm1::FormCreate);
  f->OnCloseQuery = [f](rtl::TObject* s, bool& canClose) { f->FormCloseQuery(s, canClose); };
  b.Finish();
}

}  // namespace app
