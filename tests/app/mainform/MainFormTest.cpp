// The main window's start-up, queue commands and pickers, headless, with
// the real engine and probe on clips made by the ffmpeg command line.
#include "tests/app/mainform/MainFormTestUtil.h"

#include <fstream>

#include "app/tables/PresetTexts.h"
#include "platform/rtl/SysUtils.h"

namespace mainformtest {
namespace {

using app::TForm1;
using app::TJobSlotTable;

TEST_F(MainFormTest, StartUpState) {
  Create();
  // Slots, output folder and option.ini.
  for (int i = 0; i < TJobSlotTable::kSlotCount; ++i) ASSERT_EQ(form->JobSlotTable.State(i), u"kong") << i;
  EXPECT_FALSE(form->FileOutPutPath.empty());
  EXPECT_EQ(form->Video_OutPut_Folder_Edit->Text(), form->FileOutPutPath);
  EXPECT_TRUE(fs::is_directory(U(form->FileOutPutPath)));
  EXPECT_TRUE(fs::exists(home / "option.ini"));
  // Pickers: category 0, its twelve profiles with the first selected, presets
  // at the first profile's defaults.
  EXPECT_EQ(form->bsSkinOfficeComboBox2->ItemIndex(), 0);
  EXPECT_EQ(form->bsSkinOfficeComboBox2->ItemCount(), 16);
  EXPECT_EQ(form->bsSkinOfficeComboBox1->ItemCount(), 12);
  EXPECT_EQ(form->bsSkinOfficeComboBox1->ItemIndex(), 0);
  EXPECT_EQ(form->bsSkinOfficeComboBox1->SelectedTitle(), u"Android手机AVI视频(*.avi)");
  EXPECT_EQ(form->bsSkinComboBox1->Text(), u"保持原分辨率");
  EXPECT_EQ(form->bsSkinComboBox2->Text(), u"816 kbps");
  EXPECT_EQ(form->bsSkinComboBox9->Text(), u"保持原帧速率");
  EXPECT_EQ(form->bsSkinComboBox3->Text(), u"128 kbps");
  EXPECT_EQ(form->bsSkinComboBox10->Text(), u"48000");
  EXPECT_EQ(form->bsSkinComboBox4->Text(), u"保持原视频模式");
  // Commands: queue commands and the running commands off, adding on.
  for (auto* b : {form->bsSkinButton2, form->bsSkinButton10, form->bsSkinButton11, form->bsSkinButton12,
                  form->bsSkinButton7, form->bsSkinButton8, form->bsSkinButton21})
    EXPECT_FALSE(b->Enabled()) << rtl::StringToUtf8(b->Name());
  for (auto* b : {form->btnRemove, form->btnClear, form->btnStart, form->btnStop, form->btnPause, form->btnResume})
    EXPECT_FALSE(b->Enabled()) << rtl::StringToUtf8(b->Name());
  EXPECT_TRUE(form->bsSkinMenuSpeedButton1->Enabled());
  EXPECT_TRUE(form->btnAdd->Enabled());
  EXPECT_TRUE(form->bsSkinButton19->Enabled());
  EXPECT_TRUE(form->bsSkinButton9->Enabled());
  EXPECT_TRUE(form->bsSkinPanel5->Visible());
  EXPECT_EQ(form->RowCount(), 0);
  // Filter, screens, slider state, skin choice written back.
  EXPECT_EQ(form->OpenDialog1.Filter.rfind(u"所有文件格式 (*.*)|*.*|", 0), 0u);
  EXPECT_EQ(form->OpenDialog1.Filter.back(), u'|');
  EXPECT_EQ(form->OpenDialog2.Filter, form->OpenDialog1.Filter);
  EXPECT_EQ(form->OpenDialog1.FilterIndex, 1);
  // The screens: the preview panel, then every direct windowed child in tab order.
  const std::vector<std::u16string> screens = {u"Panel6",       u"bsSkinMainMenuBar1", u"bsSkinToolBar2", u"Panel1",
                                               u"bsSkinPanel1", u"bsSkinPanel2",       u"bsSkinPanel3",   u"Panel3",
                                               u"bsSkinPanel5", u"bsSkinPanel4",       u"Button19",       u"Button27",
                                               u"edt",          u"Panel4",             u"Panel5",         u"Panel6"};
  ASSERT_EQ(form->cboScreens->Items()->Count(), int(screens.size()));
  for (int i = 0; i < int(screens.size()); ++i) EXPECT_EQ(form->cboScreens->Items()->Get(i), screens[std::size_t(i)]) << i;
  EXPECT_EQ(form->cboScreens->ItemIndex(), 0);
  EXPECT_EQ(form->bsSkinSlider1_down_UP, u"UP");
  EXPECT_EQ(form->bsSkinData1->SkinIndex(), 0);
  // Client size and the developer panels beyond the client area.
  EXPECT_EQ(form->ClientWidth(), 805);
  EXPECT_EQ(form->ClientHeight(), 541);
  for (auto* p : {form->Panel1, form->Panel3, form->Panel4, form->Panel5}) {
    EXPECT_EQ(p->Left(), 1276);
    EXPECT_TRUE(p->Visible());
  }
}

TEST_F(MainFormTest, AddingOneFileFillsTheRowAndSelectsIt) {
  Create();
  const std::string clip = Clip("one clip.avi", 3);
  AddOne(clip);
  ASSERT_EQ(form->RowCount(), 1) << rtl::StringToUtf8(form->mmoLog->Lines()->Text());
  EXPECT_EQ(Caption(0), S(clip));
  EXPECT_EQ(Cell(0, app::qcDuration), u"00:00:03");
  EXPECT_EQ(Cell(0, app::qcSize), app::MegabytesText(std::int64_t(fs::file_size(clip))));
  EXPECT_EQ(Cell(0, app::qcOutputName), u"one clip.avi");
  EXPECT_EQ(Cell(0, app::qcTaskNumber), u"1");
  EXPECT_EQ(Cell(0, app::qcCategory), u"100");
  EXPECT_EQ(Cell(0, app::qcPresetChoices).size(), 12u);
  // The settings a row converts with are all there, selected or not.
  EXPECT_EQ(Cell(0, app::qcDisableVideo), u"False");
  EXPECT_EQ(Cell(0, app::qcFileExt), u".avi");
  EXPECT_FALSE(Cell(0, app::qcVideoCodec).empty());
  for (int c : {app::qcProgress, app::qcFps, app::qcCurrentTime, app::qcConvertedSize}) EXPECT_EQ(Cell(0, c), u"") << c;
  EXPECT_EQ(form->SelectedRow(), 0);
  EXPECT_FALSE(form->bsSkinPanel5->Visible());
  EXPECT_EQ(form->JobSlotTable.State(0), u"Full");
  EXPECT_EQ(form->JobSlotTable.Input(0).FileName, S(clip));
  EXPECT_EQ(form->JobSlotTable.State(1), u"kong");
  EXPECT_EQ(form->T_Movie_PLayer_FileName, S(clip));
  EXPECT_TRUE(LogHas(u"***Can do convert."));
  EXPECT_EQ(form->FFVCL->TasksCount(), 1);
  ExpectConsistent();
  // The output name is made unique against files on disk.
  std::ofstream(U(TForm1::JoinPath(form->FileOutPutPath, u"one clip.avi"))) << "x";
  AddOne(clip);
  ASSERT_EQ(form->RowCount(), 2);
  EXPECT_NE(Cell(1, app::qcOutputName), u"one clip.avi");
  EXPECT_EQ(Cell(1, app::qcTaskNumber), u"2");
  ExpectConsistent();
}

TEST_F(MainFormTest, SeveralFilesArriveLastFirstAndAFolderInReverseListingOrder) {
  Create();
  const std::string a = Clip("a.avi"), b = Clip("b.avi"), c = Clip("c.avi");
  AddFiles({a, b, c});
  ASSERT_EQ(form->RowCount(), 3);
  EXPECT_EQ(Caption(0), S(c));
  EXPECT_EQ(Caption(1), S(b));
  EXPECT_EQ(Caption(2), S(a));
  EXPECT_EQ(form->SelectedRow(), 2);
  EXPECT_EQ(Cell(0, app::qcOutputName), u"c.avi");
  EXPECT_EQ(Cell(2, app::qcOutputName), u"a.avi");
  // Rows never selected still carry their profile's switches.
  EXPECT_EQ(Cell(0, app::qcDisableVideo), u"False");
  ExpectConsistent();

  // A folder: every readable file, the probe's refusals skipped, subfolders not entered.
  const fs::path dir = home / "片段";
  fs::create_directories(dir / "sub");
  fs::copy_file(a, dir / "x.avi");
  fs::copy_file(b, dir / "y.avi");
  std::ofstream(dir / "notes.txt") << "not a media file\n";
  fs::copy_file(c, dir / "sub" / "z.avi");
  dialogs.FolderAnswers.push_back(S(dir.string()));
  form->Button12->Click();
  EXPECT_EQ(form->RowCount(), 5);
  EXPECT_TRUE(dialogs.Messages.empty());
  EXPECT_EQ(form->ListBox1->Items()->Count(), 3);
  std::vector<String> listed;
  for (int i = 0; i < form->ListBox1->Items()->Count(); ++i) listed.push_back(form->ListBox1->Items()->Get(i));
  std::vector<String> added = {Caption(3), Caption(4)};
  std::vector<String> expected;
  for (auto it = listed.rbegin(); it != listed.rend(); ++it)
    if (it->find(u".avi") != String::npos) expected.push_back(*it);
  EXPECT_EQ(added, expected);
  EXPECT_TRUE(LogHas(u"***File load error: "));
  ExpectConsistent();
}

TEST_F(MainFormTest, AFolderWithNothingToAddShowsTheMessage) {
  Create();
  const fs::path dir = home / "empty";
  fs::create_directories(dir / "only-a-folder");
  std::ofstream(dir / "broken.mp4") << "garbage";
  dialogs.FolderAnswers.push_back(S(dir.string()));
  form->Button12->Click();
  ASSERT_EQ(dialogs.Messages.size(), 1u);
  EXPECT_EQ(dialogs.Messages[0], u"在该目录没有发现可以用的视频或音频文件！");
  EXPECT_EQ(form->RowCount(), 0);
  ExpectConsistent();
  // Cancelling later takes the folder chosen last again; a folder that is gone does nothing.
  form->Button12->Click();
  EXPECT_EQ(dialogs.Messages.size(), 2u);
  fs::remove_all(dir);
  form->Button12->Click();
  EXPECT_EQ(dialogs.Messages.size(), 2u);
}

TEST_F(MainFormTest, BadInputsLeaveTheQueueConsistent) {
  Create();
  const std::string good = Clip("good.avi");
  AddOne(good);
  ASSERT_EQ(form->RowCount(), 1);
  // A file the probe refuses ends the one-file command.
  const fs::path bad = home / "bad.avi";
  std::ofstream(bad) << "this is not a video";
  AddOne(bad.string());
  EXPECT_EQ(form->RowCount(), 1);
  EXPECT_TRUE(LogHas(u"***File load error: "));
  ExpectConsistent();
  // A chosen name that no longer exists ends the several-files command at once.
  const fs::path gone = home / "gone.avi";
  AddFiles({good, gone.string(), good});
  EXPECT_EQ(form->RowCount(), 2);
  ExpectConsistent();
  // A name in another encoding (not UTF-8) is added under its own bytes.
  const fs::path latin = home / std::string("caf\xe9.avi");
  fs::copy_file(good, latin);
  AddOne(latin.string());
  ASSERT_EQ(form->RowCount(), 3);
  EXPECT_EQ(U(Caption(2)), latin.string());
  EXPECT_EQ(U(Cell(2, app::qcOutputName)), std::string("caf\xe9.avi"));
  ExpectConsistent();
  // Cancelling adds nothing.
  form->btnAdd->Click();
  EXPECT_EQ(form->RowCount(), 3);
}

TEST_F(MainFormTest, SlotsAreTakenInOrderAndNeverOverflow) {
  Create();
  const std::string a = Clip("a.avi");
  AddFiles({a, a, a});
  ASSERT_EQ(form->RowCount(), 3);
  form->lvFiles->SetItemIndex(0);
  form->btnRemove->Click();
  AddOne(a);
  ASSERT_EQ(form->RowCount(), 3);
  EXPECT_EQ(form->JobSlotTable.State(0), u"DELETED");
  for (int i : {1, 2, 3}) EXPECT_EQ(form->JobSlotTable.State(i), u"Full") << i;
  EXPECT_EQ(form->JobSlotTable.State(4), u"kong");
  EXPECT_EQ(Cell(2, app::qcTaskNumber), u"3");

  // With every slot used, a file is refused before it becomes a task.
  engine::TInputOptions io;
  engine::TOutputOptions oo;
  while (form->JobSlotTable.Take(io, oo)) {
  }
  const int tasks = form->FFVCL->TasksCount();
  AddOne(a);
  EXPECT_EQ(form->RowCount(), 3);
  EXPECT_EQ(form->FFVCL->TasksCount(), tasks);
  ASSERT_FALSE(dialogs.Messages.empty());
  EXPECT_EQ(dialogs.Messages.back(), TForm1::kNoFreeSlot);
  // Clearing frees them all.
  form->btnClear->Click();
  for (int i = 0; i < TJobSlotTable::kSlotCount; ++i) ASSERT_EQ(form->JobSlotTable.State(i), u"kong");
  EXPECT_EQ(form->FFVCL->TasksCount(), 0);
  ExpectConsistent();
  AddOne(a);
  EXPECT_EQ(form->RowCount(), 1);
  EXPECT_EQ(form->JobSlotTable.State(0), u"Full");
}

TEST_F(MainFormTest, RemoveMoveRenameAndClear) {
  Create();
  const std::string a = Clip("a.avi"), b = Clip("b.avi"), c = Clip("c.avi");
  AddFiles({c, b, a});  // rows a, b, c; task numbers 1, 2, 3
  ASSERT_EQ(form->RowCount(), 3);
  // Removing without a selection: the message, nothing else.
  form->lvFiles->ClearSelection();
  form->btnRemove->Click();
  ASSERT_EQ(dialogs.Messages.size(), 1u);
  EXPECT_EQ(dialogs.Messages[0], u"请先选择您需要删除的项目！");
  form->bsSkinButton21->ButtonClick();
  EXPECT_EQ(dialogs.Messages.back(), u"请先选中您需要重命名的项目！");
  EXPECT_EQ(form->RowCount(), 3);

  // Move the first row down twice: it takes its cells along, slots stay.
  form->lvFiles->SetItemIndex(0);
  form->bsSkinButton4->ButtonClick();
  form->bsSkinButton4->ButtonClick();
  EXPECT_EQ(Caption(2), S(a));
  EXPECT_EQ(Cell(2, app::qcTaskNumber), u"1");
  EXPECT_EQ(form->SelectedRow(), 2);
  form->bsSkinButton4->ButtonClick();  // the last row stays
  EXPECT_EQ(Caption(2), S(a));
  form->bsSkinButton3->ButtonClick();
  EXPECT_EQ(Caption(1), S(a));
  EXPECT_EQ(form->SelectedRow(), 1);
  form->bsSkinButton4->ButtonClick();

  // Rename the selected row: an empty text keeps the editor, a folder separator too.
  form->bsSkinButton21->ButtonClick();
  EXPECT_TRUE(form->edt->Visible());
  EXPECT_EQ(form->edt->Parent(), form->lvFiles);
  EXPECT_EQ(form->edt->Text(), u"a");
  EXPECT_EQ(form->edt->Width(), form->lvFiles->Columns()->Items(3)->Width());
  form->edt->SetText(u"");
  form->edtExit(form->edt);
  EXPECT_TRUE(form->edt->Visible());
  form->edt->SetText(u"../x");
  form->edtExit(form->edt);
  EXPECT_TRUE(form->edt->Visible());
  form->edt->SetText(u"clip");
  form->edtExit(form->edt);
  EXPECT_FALSE(form->edt->Visible());
  EXPECT_EQ(Cell(2, app::qcOutputName), u"clip.avi");
  EXPECT_EQ(form->JobSlotTable.Output(2).FileName, TForm1::JoinPath(form->FileOutPutPath, u"clip.avi"));

  // Remove it: the slot with its current index is the one marked, task 0 goes.
  form->btnRemove->Click();
  ASSERT_EQ(form->RowCount(), 2);
  EXPECT_EQ(form->JobSlotTable.State(2), u"DELETED");
  EXPECT_EQ(form->JobSlotTable.State(0), u"Full");
  EXPECT_EQ(Cell(0, app::qcTaskNumber), u"1");  // b: 2 → 1
  EXPECT_EQ(Cell(1, app::qcTaskNumber), u"2");  // c: 3 → 2
  EXPECT_EQ(form->SelectedRow(), 0);
  EXPECT_EQ(form->FFVCL->TasksCount(), 2);
  ExpectConsistent();
  // Remove the rest: the picture comes back and the commands go off.
  form->btnRemove->Click();
  form->btnRemove->Click();
  EXPECT_EQ(form->RowCount(), 0);
  ExpectConsistent();
  EXPECT_EQ(form->bsSkinSlider1->Value(), 0);

  AddFiles({a, b});
  form->btnClear->Click();
  EXPECT_EQ(form->RowCount(), 0);
  EXPECT_TRUE(form->btnAdd->Enabled());
  EXPECT_TRUE(form->bsSkinMenuSpeedButton1->Enabled());
  ExpectConsistent();
}

TEST_F(MainFormTest, PickerChainRewritesTheSelectedRow) {
  Create();
  const std::string a = Clip("a.avi"), b = Clip("b.avi");
  // Changing the category with no row: only the pickers change.
  form->bsSkinOfficeComboBox2->SetIndex(5);
  EXPECT_EQ(form->bsSkinOfficeComboBox1->ItemIndex(), 0);
  EXPECT_EQ(form->bsSkinOfficeComboBox1->SelectedTitle(), u"MP3 - MPEG Layer-3音频格式(*.mp3)");
  EXPECT_FALSE(form->bsSkinComboBox1->Enabled());  // audio only
  AddFiles({b, a});  // rows a, b
  ASSERT_EQ(form->RowCount(), 2);
  EXPECT_EQ(Cell(0, app::qcOutputName), u"a.mp3");
  EXPECT_EQ(Cell(0, app::qcCategory), u"600");
  EXPECT_EQ(Cell(0, app::qcDisableVideo), u"True");  // never selected, still audio only
  EXPECT_EQ(form->SelectedRow(), 1);

  // A format change rewrites the selected row only.
  form->bsSkinOfficeComboBox1->SetIndex(10);  // FLAC
  EXPECT_EQ(Cell(1, app::qcOutputName), u"b.flac");
  EXPECT_EQ(Cell(1, app::qcCategory), u"610");
  EXPECT_EQ(Cell(0, app::qcOutputName), u"a.mp3");
  form->bsSkinOfficeComboBox1->SetIndex(6);  // RA
  EXPECT_EQ(Cell(1, app::qcOutputName), u"b.ra");

  // A category change runs the whole chain: first profile of the category.
  form->bsSkinOfficeComboBox2->SetIndex(0);
  EXPECT_EQ(Cell(1, app::qcOutputName), u"b.avi");
  EXPECT_EQ(Cell(1, app::qcCategory), u"100");
  EXPECT_EQ(Cell(1, app::qcDisableVideo), u"False");
  EXPECT_EQ(Cell(0, app::qcCategory), u"600");

  // A preset change writes its index into cell 9 and its value cell.
  const String before = Cell(1, app::qcPresetChoices);
  form->bsSkinComboBox2->SetIndex(0);
  const String vb = form->bsSkinComboBox2->Text();
  EXPECT_EQ(Cell(1, app::qcPresetChoices).substr(2, 2), u"00");
  EXPECT_EQ(Cell(1, app::qcPresetChoices).substr(0, 2), before.substr(0, 2));
  EXPECT_EQ(Cell(1, app::qcVideoBitrate), rtl::IntToStr(tables::VideoBitrateOfPreset(vb)));
  const int aspect = form->bsSkinComboBox4->Items()->IndexOf(u"普通视频4:3模式");
  ASSERT_GE(aspect, 0);
  form->bsSkinComboBox4->SetIndex(aspect);
  EXPECT_EQ(Cell(1, app::qcAspect), u"4:3");

  // Selecting the other row brings its pickers back; selecting this one again
  // restores its non-default presets and their values.
  form->lvFiles->SetItemIndex(0);
  EXPECT_EQ(form->bsSkinOfficeComboBox2->ItemIndex(), 5);
  EXPECT_EQ(form->bsSkinOfficeComboBox1->ItemIndex(), 0);
  EXPECT_EQ(form->T_Movie_PLayer_FileName, S(a));
  form->lvFiles->SetItemIndex(1);
  EXPECT_EQ(form->bsSkinOfficeComboBox2->ItemIndex(), 0);
  EXPECT_EQ(form->bsSkinComboBox2->ItemIndex(), 0);
  EXPECT_EQ(form->bsSkinComboBox4->ItemIndex(), aspect);
  EXPECT_EQ(Cell(1, app::qcAspect), u"4:3");
  EXPECT_EQ(Cell(1, app::qcVideoBitrate), rtl::IntToStr(tables::VideoBitrateOfPreset(vb)));

  // Adding while a row is selected leaves that row's settings alone: its
  // non-default aspect stays in its value cell.
  form->bsSkinComboBox4->SetIndex(aspect);
  const String before15to20 = Cell(1, 15) + u"|" + Cell(1, 16) + u"|" + Cell(1, 20);
  ASSERT_EQ(Cell(1, 20), u"4:3");
  AddOne(a);
  ASSERT_EQ(form->RowCount(), 3);
  EXPECT_EQ(Cell(1, 15) + u"|" + Cell(1, 16) + u"|" + Cell(1, 20), before15to20);
}

TEST_F(MainFormTest, CloseQueryDetachesAndAllowsTheClose) {
  app::TMainFormEnvironment env;
  env.OptionIniFile = S((home / "option.ini").string());
  env.Dialogs = &dialogs;
  env.CreatePlayer = true;  // its events are detached too
  form = new app::TForm1(forms::Application, env);
  Show();
  ASSERT_NE(form->RIDodevu, nullptr);
  auto attached = [&] {
    std::vector<const char*> names;
    if (form->RIDodevu->OnPosition) names.push_back("player OnPosition");
    if (form->RIDodevu->OnState) names.push_back("player OnState");
    if (form->RIDodevu->OnHook) names.push_back("player OnHook");
    if (form->FFVCL->OnProgress) names.push_back("engine OnProgress");
    if (form->FFVCL->OnTerminate) names.push_back("engine OnTerminate");
    if (form->FFVCL->OnCustomHook) names.push_back("engine OnCustomHook");
    if (form->FFLogger->OnLog()) names.push_back("logger OnLog");
    return names;
  };
  // The window listens to all of them while it is open.
  form->FFVCL->OnCustomHook = [](rtl::TObject*, engine::PHookInfo) {};
  form->RIDodevu->OnHook = [](rtl::TObject*, gdi::TBitmap*, int64_t) {};
  EXPECT_EQ(attached().size(), 7u);
  const auto fileOpen = form->RIDodevu->OnFileOpen;
  bool canClose = false;
  form->FormCloseQuery(form, canClose);
  EXPECT_TRUE(canClose);
  EXPECT_EQ(attached(), std::vector<const char*>{}) << "each name listed is still attached";
  EXPECT_TRUE(form->RIDodevu->OnFileOpen) << "the open event stays bound";
  EXPECT_FALSE(form->FFVCL->Working());
}

}  // namespace
}  // namespace mainformtest

namespace mainformtest {
namespace {

// The layout: every visible control of the window's panels lies inside its
// parent, visible siblings do not overlap (except the picture over the
// queue frame and the screen over its group), and each label's text is
// centred on the field it names.
TEST_F(MainFormTest, LayoutFitsAndLabelsLineUpWithTheirFields) {
  Create();
  Show();
  auto inside = [](forms::TControl* c) {
    auto* p = c->Parent();
    return c->Left() >= 0 && c->Top() >= 0 && c->Left() + c->Width() <= p->ClientWidth() &&
           c->Top() + c->Height() <= p->ClientHeight();
  };
  auto overlap = [](forms::TControl* a, forms::TControl* b) {
    return a->Left() < b->Left() + b->Width() && b->Left() < a->Left() + a->Width() && a->Top() < b->Top() + b->Height() &&
           b->Top() < a->Top() + a->Height();
  };
  // The menu bar takes the top row and shows the five menus; the tool bar sits under it.
  EXPECT_TRUE(form->bsSkinMainMenuBar1->Visible());
  EXPECT_EQ(form->bsSkinMainMenuBar1->BoundsRect(), rtl::Rect(0, 0, 805, 24));
  EXPECT_EQ(form->bsSkinToolBar2->Top(), form->bsSkinMainMenuBar1->Height());
  ASSERT_EQ(form->bsSkinMainMenuBar1->ItemCount(), 5);
  const char16_t* menus[] = {u"文件", u"编辑", u"动作", u"功能", u"帮助"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(form->bsSkinMainMenuBar1->Item(i)->MenuItem->Caption(), menus[i]);
    EXPECT_TRUE(form->bsSkinMainMenuBar1->Item(i)->ItemVisible) << i;  // none pushed to the overflow marker
  }
  std::vector<forms::TWinControl*> parents = {form, form->bsSkinToolBar2, form->bsSkinPanel1, form->bsSkinPanel2,
                                              form->bsSkinPanel3, form->bsSkinPanel4};
  for (forms::TWinControl* p : parents) {
    std::vector<forms::TControl*> shown;
    for (int i = 0; i < p->ControlCount(); ++i) {
      forms::TControl* c = p->Controls(i);
      if (!c->Visible()) continue;
      if (p == form && c->Left() >= 805) continue;  // developer panels
      EXPECT_TRUE(inside(c)) << rtl::StringToUtf8(c->Name());
      shown.push_back(c);
    }
    for (std::size_t i = 0; i < shown.size(); ++i)
      for (std::size_t j = i + 1; j < shown.size(); ++j) {
        auto pair = [&](forms::TControl* x, forms::TControl* y) {
          return (shown[i] == x && shown[j] == y) || (shown[i] == y && shown[j] == x);
        };
        if (pair(form->bsSkinPanel1, form->bsSkinPanel5) || pair(form->bsSkinPanel4, form->Panel6)) continue;
        EXPECT_FALSE(overlap(shown[i], shown[j]))
            << rtl::StringToUtf8(shown[i]->Name()) << " / " << rtl::StringToUtf8(shown[j]->Name());
      }
  }
  // Labels: centred on the field to their right in the same row.
  int labels = 0;
  for (forms::TWinControl* p : {form->bsSkinPanel2, form->bsSkinPanel3}) {
    for (int i = 0; i < p->ControlCount(); ++i) {
      auto* l = dynamic_cast<skin::TbsSkinStdLabel*>(p->Controls(i));
      if (!l) continue;
      forms::TControl* field = nullptr;
      for (int k = 0; k < p->ControlCount(); ++k) {
        forms::TControl* c = p->Controls(k);
        if (c == l || dynamic_cast<skin::TbsSkinStdLabel*>(c)) continue;
        if (c->Left() >= l->Left() + l->Width() && c->Top() <= l->Top() + l->Height() && c->Top() + c->Height() >= l->Top() &&
            (!field || c->Left() < field->Left()))
          field = c;
      }
      ASSERT_NE(field, nullptr) << rtl::StringToUtf8(l->Caption());
      EXPECT_NEAR(l->Top() + l->Height() / 2.0, field->Top() + field->Height() / 2.0, 1.0) << rtl::StringToUtf8(l->Caption());
      ++labels;
    }
  }
  EXPECT_EQ(labels, 9);
  EXPECT_EQ(form->bsSkinLinkLabel1->Caption(), u"http://www.tavrel.com/");
  EXPECT_EQ(form->bsSkinLinkLabel1->URL(), u"http://www.tavrel.com/");
}

}  // namespace
}  // namespace mainformtest
