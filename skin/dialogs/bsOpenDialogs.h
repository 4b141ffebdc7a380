// The open-file dialog (TbsSkinOpenDialog) and its form (TbsOpenDlgForm).
//
// The form: a tool bar with the look-in folder chain, Back, Up, New Folder
// and a view-style menu; the folder's contents; a file-name edit and a
// file-type combo; Open (or Save) and Cancel. Each Execute builds a fresh
// form, shows it modally in the current skin, copies the result back
// (FileName, Files, FilterIndex, the size and the view style) and frees it,
// also when an exception passes. Paths use "/". GUI thread only.
#pragma once

#include <algorithm>

#include <memory>
#include <vector>

#include "platform/forms/Forms.h"
#include "platform/forms/Menus.h"
#include "platform/shell/ItemIdList.h"
#include "skin/controls/bsSkinButtons.h"
#include "skin/controls/bsSkinEdit.h"
#include "skin/controls/bsSkinLabels.h"
#include "skin/controls/bsSkinMenuIntf.h"
#include "skin/controls/bsSkinPanels.h"
#include "skin/controls/bsSkinScrollBar.h"
#include "skin/data/bsSkinData.h"
#include "skin/shell/bsFileFilterCtrls.h"
#include "skin/forms/bsBusinessSkinForm.h"
#include "skin/shell/bsSkinShellCtrls.h"

namespace skin {

class TbsOpenDlgForm : public forms::TForm {
 public:
  TbsOpenDlgForm(TComponent* AOwner, bool ASaveMode, TbsSkinData* ACtrlSkinData, bool AToolButtonsTransparent);
  ~TbsOpenDlgForm() override;

  void InitHistory();
  // The extension a typed name without one gets ("" or ".ext").
  virtual String DefaultExtension();

  void OpenButtonClick(TObject* Sender);
  void EditKeyPress(TObject* Sender, char16_t& Key);
  void FLVKeyPress(TObject* Sender, char16_t& Key);
  virtual void FLVChange(TObject* Sender);
  void FLVDBLClick(TObject* Sender);
  void FLVPathChange(TObject* Sender);
  void FCBChange(TObject* Sender);
  void BackToolButtonClick(TObject* Sender);
  void UpToolButtonClick(TObject* Sender);
  void NewFolderToolButtonClick(TObject* Sender);
  void SetListStyle(forms::TViewStyle Style);
  void FocusFirstItem();
  // Lays the labels of the name and type fields out against their fields,
  // once their texts and fonts are final.
  void PlaceBottomLabels();

  bool SaveMode = false;
  std::vector<shell::PItemIDList> FolderHistory;
  bool StopAddToHistory = false;
  TbsSkinData* CtrlSD = nullptr;
  int NewFolderCount = 0;
  String DefaultExt;
  bool OverwritePromt = false;
  String FileName;
  TbsBusinessSkinForm* BSF = nullptr;
  TbsSkinPanel* FileListViewPanel = nullptr;
  TbsSkinPanel* BottomPanel = nullptr;
  TbsSkinScrollBar* FLVHScrollBar = nullptr;
  TbsSkinScrollBar* FLVVScrollBar = nullptr;
  TbsSkinFileListView* FileListView = nullptr;
  TbsSkinEdit* FileNameEdit = nullptr;
  TbsSkinFilterComboBox* FilterComboBox = nullptr;
  TbsSkinShellComboBox* ShellBox = nullptr;
  TbsSkinButton* OpenButton = nullptr;
  TbsSkinButton* CancelButton = nullptr;
  TbsSkinStdLabel* Drivelabel = nullptr;
  TbsSkinStdLabel* OpenFileLabel = nullptr;
  TbsSkinStdLabel* FileTypeLabel = nullptr;
  TbsSkinToolBar* ToolPanel = nullptr;
  TbsSkinSpeedButton* NewFolderToolButton = nullptr;
  TbsSkinSpeedButton* UpToolButton = nullptr;
  TbsSkinSpeedButton* BackToolButton = nullptr;
  TbsSkinMenuSpeedButton* StyleToolButton = nullptr;
  TbsSkinPopupMenu* StylePopupMenu = nullptr;
  forms::TMenuItem* IconMenuItem = nullptr;
  forms::TMenuItem* SmallIconMenuItem = nullptr;
  forms::TMenuItem* ReportMenuItem = nullptr;
  forms::TMenuItem* ListMenuItem = nullptr;
  TNotifyEvent OnFolderChange;
  bool CheckFileExists = true;

 protected:
  // Builds the controls; Picture forms lay the bottom row out differently.
  void BuildControls(bool ASaveMode, bool AToolButtonsTransparent, bool AnchoredBottom);
  // AnchoredBottom false: the bottom row keeps fixed places (the picture form).
  TbsOpenDlgForm(TComponent* AOwner, bool ASaveMode, TbsSkinData* ACtrlSkinData, bool AToolButtonsTransparent,
                 bool AnchoredBottom);
  // The folder shown, with a trailing "/".
  String CurrentDir() const;
  // Save mode: asks before overwriting Candidate; true to go on.
  bool ConfirmOverwrite();
  // The list's selected file if the name field shows its name, else "".
  String ChosenFile(const String& Text);

 private:
  String FShownFile;  // the selected file whose name the list last wrote into the field
};

class TbsSkinOpenDialog : public rtl::TComponent {
 public:
  explicit TbsSkinOpenDialog(TComponent* AOwner);
  ~TbsSkinOpenDialog() override;
  void Notification(TComponent* AComponent, rtl::TOperation Operation) override;

  bool ShowHiddenFiles = false;
  bool ToolButtonsTransparent = false;
  bool OverwritePromt = false;
  String DefaultExt;
  int DialogWidth = 0, DialogHeight = 0, DialogMinWidth = 0, DialogMinHeight = 0;
  bool CheckFileExists = true;
  bool MultiSelection = false;
  bool AlphaBlend = false;
  int AlphaBlendValue = 225;
  bool AlphaBlendAnimation = false;
  bool CtrlAlphaBlend = false;
  int CtrlAlphaBlendValue = 225;
  bool CtrlAlphaBlendAnimation = false;
  String LVHeaderSkinDataName = u"resizebutton";
  TbsSkinData* SkinData() const { return FSD; }
  void SetSkinData(TbsSkinData* Value);
  TbsSkinData* CtrlSkinData() const { return FCtrlSD; }
  void SetCtrlSkinData(TbsSkinData* Value);
  gdi::TFont* DefaultFont() { return FDefaultFont.get(); }
  void SetDefaultFont(gdi::TFont* Value) { FDefaultFont->Assign(Value); }
  String Title = u"Open file";
  String InitialDir;
  String Filter = u"All files|*.*";
  int FilterIndex = 1;
  const String& FileName() const { return FFileName; }
  void SetFileName(const String& Value);
  TNotifyEvent OnFolderChange, OnShow, OnClose;
  rtl::TStringList* Files() const { return FFiles.get(); }
  forms::TViewStyle ListViewStyle() const { return FListViewStyle; }

  bool Execute();
  String GetSelectedFile();
  TbsOpenDlgForm* DlgForm() const { return FDlgFrm; }

 private:
  TbsSkinData* FSD = nullptr;
  TbsSkinData* FCtrlSD = nullptr;
  std::unique_ptr<gdi::TFont> FDefaultFont;
  std::unique_ptr<rtl::TStringList> FFiles;
  String FFileName;
  forms::TViewStyle FListViewStyle = forms::vsList;
  TbsOpenDlgForm* FDlgFrm = nullptr;
};

// Shared steps of the open-file and picture dialogs.
namespace opendlg {
// The first folder: FileName's folder part, else InitialDir, each only when
// it exists; else the user's videos folder when there is one, else home.
String FirstFolder(const String& FileName, const String& InitialDir);
String LastResortFolder();
// Name when it exists; else the file of Name's folder whose name differs
// from Name only in the case of the extension; else "".
String ExistingFileIgnoringExtCase(const String& Name);
// The extension of a mask ("*.bmp;*.jpg" gives ".bmp"); "" for ".*".
String MaskExtension(const String& Mask);

// What the open-file and the picture dialog hand their form before it is
// shown: caption, frame, blending, fonts, the list and the filter.
template <class Dialog, class Form>
void PrepareForm(Dialog& D, Form* F, const String& FileName, forms::TViewStyle ListStyle) {
  TbsSkinData* CtrlSD = D.CtrlSkinData();
  const bool CtrlBlend = D.CtrlAlphaBlend, CtrlAnimation = D.CtrlAlphaBlendAnimation;
  const int CtrlValue = D.CtrlAlphaBlendValue;
  F->SetCaption(D.Title);
  F->BSF->SetBorderIcons({});
  F->BSF->SetSkinData(D.SkinData());
  F->BSF->SetMenusSkinData(CtrlSD);
  F->BSF->MinWidth = D.DialogMinWidth;
  F->BSF->MinHeight = D.DialogMinHeight;
  F->BSF->SetAlphaBlend(D.AlphaBlend);
  F->BSF->AlphaBlendAnimation = D.AlphaBlendAnimation;
  F->BSF->SetAlphaBlendValue(D.AlphaBlendValue);
  auto blend = [&](auto* C) {
    C->AlphaBlend = CtrlBlend;
    C->AlphaBlendValue = CtrlValue;
    C->AlphaBlendAnimation = CtrlAnimation;
  };
  blend(F->FilterComboBox);
  blend(F->ShellBox);
  F->ShellBox->SetDefaultFont(D.DefaultFont());
  F->BSF->SetMenusAlphaBlend(CtrlBlend);
  F->BSF->SetMenusAlphaBlendValue(CtrlValue);
  F->BSF->SetMenusAlphaBlendAnimation(CtrlAnimation);
  for (TbsSkinButton* B : {F->OpenButton, F->CancelButton}) B->SetDefaultFont(D.DefaultFont());
  F->FileListView->SetDefaultFont(D.DefaultFont());
  F->SetListStyle(ListStyle);
  try {
    F->FileListView->SetRoot(FirstFolder(FileName, D.InitialDir));
  } catch (const rtl::Exception&) {
    // A folder that exists but cannot be shown: the dialog opens all the same.
    F->FileListView->SetRoot(LastResortFolder());
  }
  F->FileListView->HeaderSkinDataName = D.LVHeaderSkinDataName;
  F->FileListView->SetSkinData(CtrlSD);
  F->FileListView->SetMultiSelect(D.MultiSelection);
  if (D.ShowHiddenFiles) F->FileListView->SetObjectTypes(F->FileListView->ObjectTypes() | shell::Bit(shell::otHidden));
  F->FilterComboBox->SetFilter(D.Filter);
  F->FilterComboBox->SetItemIndex(D.FilterIndex - 1);
  if (F->FilterComboBox->ItemIndex() < 0) F->FilterComboBox->SetItemIndex(0);
}

// The form's client size: the one kept from the last time (DefaultW x 290
// the first time), at least what the skinned frame needs; then the bottom
// labels are placed.
template <class Dialog, class Form>
void SizeForm(Dialog& D, Form* F, int DefaultW) {
  int W = D.DialogWidth > 0 ? D.DialogWidth : DefaultW, H = D.DialogHeight > 0 ? D.DialogHeight : 290;
  if (TbsSkinData* SD = D.SkinData(); SD && !SD->Empty) {
    W = std::max(W, F->BSF->GetMinWidth());
    H = std::max(H, F->BSF->GetMinHeight());
  }
  F->HandleNeeded();  // the client size is measured inside the skinned frame
  F->SetClientSize(W, H);
  F->PlaceBottomLabels();
}

// What the dialog keeps of its closed form for the next time.
template <class Dialog, class Form>
void KeepFormState(Dialog& D, Form* F) {
  D.FilterIndex = F->FilterComboBox->ItemIndex() + 1;
  D.DialogWidth = F->ClientWidth();
  D.DialogHeight = F->ClientHeight();
}
}  // namespace opendlg

}  // namespace skin
