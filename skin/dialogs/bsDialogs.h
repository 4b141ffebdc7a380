// The select-skin and select-directory dialogs.
//
// Both components keep the caller's settings between runs; each Execute
// builds its form in code with the application as owner, puts a skinned
// frame without caption buttons on it, shows it modally, copies the result
// back and frees the form, also when an exception passes. The form of the run
// in progress is reachable through DlgForm() (null outside Execute).
// GUI thread only.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/forms/Forms.h"
#include "skin/controls/bsSkinButtons.h"
#include "skin/controls/bsSkinEdit.h"
#include "skin/controls/bsSkinListBox.h"
#include "skin/controls/bsSkinPanels.h"
#include "skin/controls/bsSkinScrollBar.h"
#include "skin/data/bsCompressedSkinList.h"
#include "skin/data/bsCompressedStoredSkin.h"
#include "skin/data/bsSkinData.h"
#include "skin/forms/bsBusinessSkinForm.h"
#include "skin/shell/bsSkinShellCtrls.h"

namespace skin {

// ------------------------------------------------------------------ select skin
class TbsSelectSkinDlgForm : public forms::TForm {
 public:
  // List mode: the skins of ASkinList, ASkinIndex selected.
  TbsSelectSkinDlgForm(TComponent* AOwner, TbsCompressedSkinList* ASkinList, int ASkinIndex,
                       TbsSkinData* ACtrlSkinData);
  // Stored-skin mode: the stored skins that AForm owns, ADefaultSkin selected.
  TbsSelectSkinDlgForm(TComponent* AOwner, rtl::TComponent* AForm, TbsCompressedStoredSkin* ADefaultSkin,
                       TbsSkinData* ACtrlSkinData);
  ~TbsSelectSkinDlgForm() override;

  void SLBOnChange(TObject* Sender);
  void SLBOnDblClick(TObject* Sender);
  TbsCompressedStoredSkin* SelectedSkin() const { return PreviewSkinData->CompressedStoredSkin(); }

  TbsCompressedSkinList* FCSkinList = nullptr;
  int FCSkinIndex = -1;
  TbsBusinessSkinForm* BSF = nullptr;
  TbsSkinButton* OpenButton = nullptr;
  TbsSkinButton* CancelButton = nullptr;
  forms::TForm* PreviewForm = nullptr;
  TbsBusinessSkinForm* PreviewBSF = nullptr;
  TbsSkinData* PreviewSkinData = nullptr;
  TbsSkinButton* PreviewButton = nullptr;
  TbsSkinListBox* SkinsListBox = nullptr;
  std::unique_ptr<std::vector<TbsCompressedStoredSkin*>> SkinList;  // stored-skin mode only

 private:
  void Build(TbsSkinData* ACtrlSkinData);
  void Finish();
};

class TbsSelectSkinDialog : public rtl::TComponent {
 public:
  explicit TbsSelectSkinDialog(TComponent* AOwner);
  ~TbsSelectSkinDialog() override;
  void Notification(TComponent* AComponent, rtl::TOperation Operation) override;

  TbsCompressedSkinList* SkinList() const { return FSkinList; }
  void SetSkinList(TbsCompressedSkinList* Value);
  TbsSkinData* SkinData() const { return FSD; }
  void SetSkinData(TbsSkinData* Value);
  TbsSkinData* CtrlSkinData() const { return FCtrlSD; }
  void SetCtrlSkinData(TbsSkinData* Value);
  gdi::TFont* DefaultFont() { return FDefaultFont.get(); }
  void SetDefaultFont(gdi::TFont* Value) { FDefaultFont->Assign(Value); }
  String Title = u"Select skin";
  bool AlphaBlend = false;
  int AlphaBlendValue = 200;
  bool AlphaBlendAnimation = false;
  int SelectedSkinIndex() const { return FSelectedSkinIndex; }
  TbsCompressedStoredSkin* SelectedSkin() const { return FSelectedSkin; }
  TbsSelectSkinDlgForm* DlgForm() const { return FDlgFrm; }

  bool Execute(int SkinIndex);
  bool Execute(TbsCompressedStoredSkin* DefaultCompressedSkin);

 private:
  bool Run(TbsSelectSkinDlgForm* F, bool IndexVariant);

  TbsCompressedSkinList* FSkinList = nullptr;
  TbsSkinData* FSD = nullptr;
  TbsSkinData* FCtrlSD = nullptr;
  std::unique_ptr<gdi::TFont> FDefaultFont;
  int FSelectedSkinIndex = -1;
  TbsCompressedStoredSkin* FSelectedSkin = nullptr;
  TbsSelectSkinDlgForm* FDlgFrm = nullptr;
};

// ------------------------------------------------------------------ select directory
class TbsSelDirDlgForm : public forms::TForm {
 public:
  TbsSelDirDlgForm(TComponent* AOwner, TbsSkinData* ACtrlSkinData, bool AShowToolBar,
                   bool AToolButtonsTransparent);
  ~TbsSelDirDlgForm() override;

  void DirTreeViewChange(TObject* Sender, forms::TTreeNode* Node);
  void DirEditKeyPress(TObject* Sender, char16_t& Key);
  void NewFolderToolButtonClick(TObject* Sender);

  TbsSkinData* CtrlSD = nullptr;
  bool ShowToolBar = false;
  TbsBusinessSkinForm* BSF = nullptr;
  TbsSkinPanel* DirTreeViewPanel = nullptr;
  TbsSkinPanel* BottomPanel = nullptr;
  TbsSkinDirTreeView* DirTreeView = nullptr;
  TbsSkinScrollBar* VScrollBar = nullptr;
  TbsSkinScrollBar* HScrollBar = nullptr;
  TbsSkinButton* OkButton = nullptr;
  TbsSkinButton* CancelButton = nullptr;
  TbsSkinPanel* ToolPanel = nullptr;
  TbsSkinSpeedButton* NewFolderToolButton = nullptr;
  TbsSkinEdit* DirEdit = nullptr;
};

class TbsSkinSelectDirectoryDialog : public rtl::TComponent {
 public:
  explicit TbsSkinSelectDirectoryDialog(TComponent* AOwner);
  ~TbsSkinSelectDirectoryDialog() override;
  void Notification(TComponent* AComponent, rtl::TOperation Operation) override;

  TNotifyEvent OnShow, OnClose;
  bool ToolButtonsTransparent = false;
  int DialogWidth = 0, DialogHeight = 0, DialogMinWidth = 0, DialogMinHeight = 0;
  TbsSkinData* SkinData() const { return FSD; }
  void SetSkinData(TbsSkinData* Value);
  TbsSkinData* CtrlSkinData() const { return FCtrlSD; }
  void SetCtrlSkinData(TbsSkinData* Value);
  gdi::TFont* DefaultFont() { return FDefaultFont.get(); }
  void SetDefaultFont(gdi::TFont* Value) { FDefaultFont->Assign(Value); }
  const String& GetTitle() const { return FTitle; }
  void SetTitle(const String& Value) { FTitle = Value; }
  String Directory;
  bool AlphaBlend = false;
  int AlphaBlendValue = 200;
  bool AlphaBlendAnimation = false;
  bool ShowToolBar = false;
  TbsSelDirDlgForm* DlgForm() const { return FDlgFrm; }

  bool Execute();

 private:
  TbsSkinData* FSD = nullptr;
  TbsSkinData* FCtrlSD = nullptr;
  std::unique_ptr<gdi::TFont> FDefaultFont;
  String FTitle = u"Select folder";
  TbsSelDirDlgForm* FDlgFrm = nullptr;
  TNotifyEvent FOnChange;  // after a confirmed choice; no property exposes it
};

}  // namespace skin
