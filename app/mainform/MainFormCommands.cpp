// The routing of the window's visible commands: the tool bar, the main
// menu, the output panel's buttons and the preview panel's; the small
// commands no other part owns (help, web site, skin choice, options, About,
// exit); and the run, command and preview parts of the form description.
#include "app/mainform/MainForm.h"

#include "platform/rtl/FileSys.h"
#include "platform/shell/SystemServices.h"
#include "platform/win/WinTypes.h"

namespace app {

// ---------------------------------------------------------------- commands

void TForm1::bsSkinButton19Click(rtl::TObject*) {
  if (!OptionsDialog) return;
  // A hidden dialog's frame reads the current skin again before it shows.
  if (OptionsDialog->bsBusinessSkinForm1) OptionsDialog->bsBusinessSkinForm1->SetSkinData(bsSkinData1);
  OptionsDialog->Execute();
  // The output-name rule follows the dialog's overwrite choice.
  OverwriteOutput = OptionsDialog->OverwriteOutput();
}

void TForm1::bsSkinButton9Click(rtl::TObject*) {
  int selected = bsSkinData1->SkinIndex();
  if (env_.Dialogs && env_.Dialogs->ExecuteSelectSkin(bsSkinData1->SkinIndex(), selected)) ApplySkin(selected);
  Button4->Click();
}

void TForm1::N15Click(rtl::TObject*) { shell::OpenDocument(ProgramFolder() + u"help.html"); }

void TForm1::N19Click(rtl::TObject*) { shell::OpenDocument(appforms::kMakerWebSite); }

void TForm1::N5Click(rtl::TObject*) {
  if (!AboutBox) return;
  if (AboutBox->bsBusinessSkinForm1) AboutBox->bsBusinessSkinForm1->SetSkinData(bsSkinData1);
  AboutBox->Execute();
}

void TForm1::N4Click(rtl::TObject*) { Close(); }

void TForm1::bsSkinButton6Click(rtl::TObject*) {
  Button20->Click();
  if (lvFiles->CanFocus()) lvFiles->SetFocus();
}

void TForm1::bsSkinButton5Click(rtl::TObject*) {
  // The dialog's answer is not consulted: after a cancel the folder is the
  // one last confirmed in it (shared with the snapshot-folder command).
  if (env_.Dialogs) env_.Dialogs->ExecuteSelectDirectory(bsSkinSelectDirectoryDialog2);
  const rtl::String folder = bsSkinSelectDirectoryDialog2.Directory;
  if (!folder.empty() && rtl::DirectoryExists(folder)) {
    Video_OutPut_Folder_Edit->SetText(folder);
    FileOutPutPath = folder;
    Button16->Click();
  }
  if (lvFiles->CanFocus()) lvFiles->SetFocus();
}

void TForm1::Video_OutPut_Folder_EditClick(rtl::TObject*) {
  if (lvFiles->CanFocus()) lvFiles->SetFocus();
}

void TForm1::QueueCommandMenu(TQueueCommand command, bool enabled) {
  forms::TMenuItem* item = nullptr;
  switch (command) {
    case qcRemove: item = N13; break;
    case qcRename: item = N26; break;
    case qcClear: item = N14; break;
    case qcStart: item = N7; break;
  }
  if (item) item->SetEnabled(enabled);
}

// ---------------------------------------------------------------- form description

void AddDeveloperButtons(TForm1* f, forms::TPanel* panel, std::initializer_list<TDeveloperCommand> commands) {
  int k = panel->ControlCount();
  for (const TDeveloperCommand& c : commands) {
    auto* btn = new forms::TButton(f);
    btn->SetName(c.Name);
    btn->SetParent(panel);
    btn->SetBounds(2 + (k % 4) * 74, 2 + (k / 4) * 26, 72, 24);
    btn->SetCaption(c.Caption);
    if (c.Handler) btn->OnClick = [f, h = c.Handler](rtl::TObject* sender) { (f->*h)(sender); };
    *c.Field = btn;
    ++k;
  }
}

void BuildForm1Commands(TForm1* f) {
  auto click = [f](void (TForm1::*handler)(rtl::TObject*)) {
    return [f, handler](rtl::TObject* sender) { (f->*handler)(sender); };
  };
  auto run = [](forms::TButton** command) {
    return [command](rtl::TObject*) { (*command)->Click(); };
  };
  auto make = [f](auto* component, const char16_t* name) {
    component->SetName(name);
    return component;
  };

  // ---- developer buttons of the run commands (Panel3, after its others)
  AddDeveloperButtons(f, f->Panel3,
                      {{&f->button28, u"button28", u"重建任务", &TForm1::button28Click},
                       {&f->Button22, u"Button22", u"锁定选项", &TForm1::Button22Click},
                       {&f->Button23, u"Button23", u"解锁选项", &TForm1::Button23Click},
                       {&f->Button20, u"Button20", u"转换后打开文件夹", &TForm1::Button20Click},
                       {&f->Button25, u"Button25", u"关机", &TForm1::Button25Click},
                       {&f->Button29, u"Button29", u" 播放提示音", &TForm1::Button29Click}});
  f->btnStart->OnClick = click(&TForm1::btnStartClick);
  f->btnStop->OnClick = click(&TForm1::btnStopClick);
  f->btnPause->OnClick = click(&TForm1::btnPauseClick);
  f->btnResume->OnClick = click(&TForm1::btnResumeClick);
  f->Button31->OnClick = click(&TForm1::Button31Click);

  // ---- tool bar and output panel
  f->bsSkinButton2->OnClick = run(&f->btnStart);
  f->bsSkinButton10->OnClick = run(&f->btnStop);
  f->bsSkinButton11->OnClick = click(&TForm1::bsSkinButton11Click);
  f->bsSkinButton12->OnClick = click(&TForm1::bsSkinButton12Click);
  f->bsSkinButton19->OnClick = click(&TForm1::bsSkinButton19Click);
  f->bsSkinButton9->OnClick = click(&TForm1::bsSkinButton9Click);
  f->bsSkinButtonBrowse->OnClick = click(&TForm1::bsSkinButton5Click);
  f->bsSkinButtonOpenFolder->OnClick = click(&TForm1::bsSkinButton6Click);
  f->Video_OutPut_Folder_Edit->OnClick = click(&TForm1::Video_OutPut_Folder_EditClick);

  // ---- engine and logger events
  // Rows show fresh progress about five times a second: at the engine's
  // default of a report every half second a busy queue looks stalled.
  f->FFVCL->SetProgressInterval(TForm1::kProgressIntervalMs);
  f->FFVCL->OnProgress = [f](rtl::TObject* s, engine::PProgressInfo p) { f->FFVCLProgress(s, p); };
  f->FFVCL->OnTerminate = [f](rtl::TObject* s, const engine::TTerminateInfo& t) { f->FFVCLTerminate(s, t); };
  if (f->FFLogger)
    f->FFLogger->SetOnLog([f](rtl::TObject* s, uint32_t tid, engine::TLogLevel level, const rtl::String& msg) {
      f->FFLoggerLog(s, tid, level, msg);
    });

  // ---- main menu
  f->bsSkinMainMenu1 = make(new skin::TbsSkinMainMenu(f), u"bsSkinMainMenu1");
  f->bsSkinMainMenu1->SetSkinData(f->bsSkinData1);
  auto item = [&](forms::TMenuItem* parent, const char16_t* name, const char16_t* caption,
                  std::function<void(rtl::TObject*)> onClick, bool enabled = true) {
    auto* it = make(new forms::TMenuItem(f), name);
    it->SetCaption(caption);
    it->SetEnabled(enabled);
    it->OnClick = std::move(onClick);
    parent->Add(it);
    return it;
  };
  int separators = 0;
  auto separator = [&](forms::TMenuItem* parent) {
    item(parent, (u"NSeparator" + rtl::IntToStr(++separators)).c_str(), u"-", {});
  };
  forms::TMenuItem* root = f->bsSkinMainMenu1->Items();
  auto* fileMenu = item(root, u"N1", u"文件", {});
  f->FileMenuAddItems = {item(fileMenu, u"Item111", u"添加一个文件", run(&f->btnAdd)),
                         item(fileMenu, u"Item121", u"添加多个文件", run(&f->Button8)),
                         item(fileMenu, u"N21", u"添加整个目录", run(&f->Button12))};
  separator(fileMenu);
  f->N4 = item(fileMenu, u"N4", u"退出", click(&TForm1::N4Click));
  auto* editMenu = item(root, u"N2", u"编辑", {});
  item(editMenu, u"N16", u"上移文件", click(&TForm1::bsSkinButton3Click));
  item(editMenu, u"N17", u"下移文件", click(&TForm1::bsSkinButton4Click));
  separator(editMenu);
  f->N13 = item(editMenu, u"N13", u"删除选择", run(&f->btnRemove), false);
  f->N14 = item(editMenu, u"N14", u"清空文件", run(&f->btnClear), false);
  separator(editMenu);
  f->N26 = item(editMenu, u"N26", u"重新命名", click(&TForm1::bsSkinButton21Click), false);
  auto* actionMenu = item(root, u"N3", u"动作", {});
  f->N7 = item(actionMenu, u"N7", u"开始转换", run(&f->btnStart), false);
  f->N8 = item(actionMenu, u"N8", u"停止转换", run(&f->btnStop), false);
  separator(actionMenu);
  f->N9 = item(actionMenu, u"N9", u"暂停转换", click(&TForm1::bsSkinButton11Click), false);
  f->N10 = item(actionMenu, u"N10", u"继续继续", click(&TForm1::bsSkinButton12Click), false);
  auto* toolsMenu = item(root, u"N22", u"功能", {});
  f->N24 = item(toolsMenu, u"N24", u"转换设置", click(&TForm1::bsSkinButton19Click));
  f->N23 = item(toolsMenu, u"N23", u"软件皮肤", click(&TForm1::bsSkinButton9Click));
  auto* helpMenu = item(root, u"N6", u"帮助", {});
  f->N15 = item(helpMenu, u"N15", u"帮助系统", click(&TForm1::N15Click));
  f->N15->SetShortCut(forms::ShortCut(win::VK_F1, {}));
  separator(helpMenu);
  f->N19 = item(helpMenu, u"N19", u"官方网站", click(&TForm1::N19Click));
  f->N5 = item(helpMenu, u"N5", u"关于软件", click(&TForm1::N5Click));
  f->SetMenu(f->bsSkinMainMenu1);
  f->bsSkinMainMenuBar1->SetMainMenu(f->bsSkinMainMenu1);

  BuildForm1Preview(f);
}

}  // namespace app
