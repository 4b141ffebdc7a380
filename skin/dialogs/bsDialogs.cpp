#include "skin/dialogs/bsDialogs.h"

#include <algorithm>
#include <cerrno>

#include "platform/rtl/FileSys.h"
#include "platform/rtl/SysUtils.h"
#include "skin/dialogs/bsDialogRes.h"
#include "skin/shell/bsfilectrl.h"

namespace skin {

namespace {

template <class T>
void Watch(rtl::TComponent* Self, T*& Field, T* Value) {
  Field = Value;
  if (Value) Value->FreeNotification(Self);
}

}  // namespace

// ------------------------------------------------------------------ TbsSelectSkinDlgForm
TbsSelectSkinDlgForm::TbsSelectSkinDlgForm(TComponent* AOwner, TbsCompressedSkinList* ASkinList, int ASkinIndex,
                                           TbsSkinData* ACtrlSkinData)
    : forms::TForm(AOwner), FCSkinList(ASkinList), FCSkinIndex(ASkinIndex) {
  Build(ACtrlSkinData);
  if (ASkinList)
    for (int i = 0; i < ASkinList->Skins()->Count(); ++i) {
      auto* It = static_cast<TbsSkinListItem*>(ASkinList->Skins()->Items(i));
      SkinsListBox->Items()->Add(It->Description.empty() ? It->Name : It->Description);
    }
  SkinsListBox->SetItemIndex(ASkinIndex);
  PreviewSkinData->SetSkinIndex(ASkinIndex);
  PreviewSkinData->SetSkinList(ASkinList);
  Finish();
}

TbsSelectSkinDlgForm::TbsSelectSkinDlgForm(TComponent* AOwner, rtl::TComponent* AForm,
                                           TbsCompressedStoredSkin* ADefaultSkin, TbsSkinData* ACtrlSkinData)
    : forms::TForm(AOwner), SkinList(std::make_unique<std::vector<TbsCompressedStoredSkin*>>()) {
  Build(ACtrlSkinData);
  int Start = 0;
  if (AForm)
    for (int i = 0; i < AForm->ComponentCount(); ++i)
      if (auto* S = dynamic_cast<TbsCompressedStoredSkin*>(AForm->Components(i))) {
        if (S == ADefaultSkin) Start = int(SkinList->size());
        SkinList->push_back(S);
        SkinsListBox->Items()->Add(S->Description.empty() ? S->Name() : S->Description);
      }
  SkinsListBox->SetItemIndex(Start);
  const int I = SkinsListBox->ItemIndex();
  // Without stored skins there is nothing to preview.
  if (I >= 0 && I < int(SkinList->size())) PreviewSkinData->SetCompressedStoredSkin((*SkinList)[std::size_t(I)]);
  Finish();
}

TbsSelectSkinDlgForm::~TbsSelectSkinDlgForm() {
  SkinsListBox->OnListBoxClick = nullptr;
  SkinsListBox->OnListBoxDblClick = nullptr;
  OnShow = nullptr;
}

void TbsSelectSkinDlgForm::Build(TbsSkinData* ACtrlSkinData) {
  SetPosition(forms::poScreenCenter);
  SetBorderStyle(forms::bsSingle);
  BSF = new TbsBusinessSkinForm(this);

  PreviewForm = new forms::TForm(this);
  PreviewForm->SetParent(this);
  PreviewForm->SetCaption(DialogText(ACtrlSkinData, u"MSG_PREVIEWSKIN", u"Preview"));
  PreviewForm->SetEnabled(false);
  PreviewForm->SetWidth(220);
  PreviewForm->SetHeight(170);
  PreviewForm->SetVisible(false);

  PreviewSkinData = new TbsSkinData(this);
  if (ACtrlSkinData && ACtrlSkinData->ResourceStrData())
    PreviewSkinData->SetResourceStrData(ACtrlSkinData->ResourceStrData());

  PreviewButton = new TbsSkinButton(this);
  PreviewButton->SetParent(PreviewForm);
  PreviewButton->SetWidth(100);
  PreviewButton->SetCaption(DialogText(ACtrlSkinData, u"MSG_PREVIEWBUTTON", u"Button"));
  PreviewButton->SetLeft(20);
  PreviewButton->SetTop(20);
  PreviewButton->SetSkinData(PreviewSkinData);

  PreviewBSF = new TbsBusinessSkinForm(PreviewForm);
  // The first skin was loaded before the preview could follow it.
  PreviewBSF->SetSkinData(PreviewSkinData);
  PreviewButton->SetSkinData(PreviewSkinData);
  PreviewBSF->PreviewMode = true;

  OpenButton = new TbsSkinButton(this);
  OpenButton->SetParent(this);
  OpenButton->SetCaption(DialogText(ACtrlSkinData, u"MSG_BTN_OK", u"OK"));
  OpenButton->SetBounds(260, 200, 70, 25);
  OpenButton->SetDefaultHeight(25);
  OpenButton->SetDefault(true);
  OpenButton->SetCanFocused(true);
  OpenButton->ModalResult = forms::mrOk;

  CancelButton = new TbsSkinButton(this);
  CancelButton->SetParent(this);
  CancelButton->SetCaption(DialogText(ACtrlSkinData, u"MSG_BTN_CANCEL", u"Cancel"));
  CancelButton->SetBounds(340, 200, 70, 25);
  CancelButton->SetDefaultHeight(25);
  CancelButton->Cancel = true;
  CancelButton->SetCanFocused(true);
  CancelButton->ModalResult = forms::mrCancel;

  SkinsListBox = new TbsSkinListBox(this);
  SkinsListBox->SetParent(this);
  SkinsListBox->SetBounds(10, 10, 170, 170);
  SkinsListBox->OnListBoxClick = [this](TObject* S) { SLBOnChange(S); };
  SkinsListBox->OnListBoxDblClick = [this](TObject* S) { SLBOnDblClick(S); };
}

void TbsSelectSkinDlgForm::Finish() {
  PreviewBSF->SetSkinData(PreviewSkinData);
  PreviewForm->SetLeft(190);
  PreviewForm->SetTop(10);
  PreviewForm->SetVisible(true);
  // A hidden form cannot take an active control yet; it does as it is shown.
  OnShow = [this](TObject*) {
    if (SkinsListBox->ListBox) SetActiveControl(SkinsListBox->ListBox);
    PreviewButton->SetSkinData(PreviewSkinData);  // its window exists now
  };
}

void TbsSelectSkinDlgForm::SLBOnChange(TObject*) {
  const int I = SkinsListBox->ItemIndex();
  if (FCSkinList) {
    PreviewSkinData->SetSkinIndex(I);
  } else if (SkinList && I >= 0 && I < int(SkinList->size())) {
    PreviewSkinData->SetCompressedStoredSkin((*SkinList)[std::size_t(I)]);
  }
  // The preview window is a child window, which the skin-change broadcast
  // to the program's top-level forms does not re-skin: do it here.
  PreviewBSF->SetSkinData(PreviewSkinData);
  PreviewButton->SetSkinData(PreviewSkinData);
}

void TbsSelectSkinDlgForm::SLBOnDblClick(TObject*) { SetModalResult(forms::mrOk); }

// ------------------------------------------------------------------ TbsSelectSkinDialog
TbsSelectSkinDialog::TbsSelectSkinDialog(TComponent* AOwner)
    : rtl::TComponent(AOwner), FDefaultFont(MakeDefaultFont([] {})) {}

TbsSelectSkinDialog::~TbsSelectSkinDialog() = default;

void TbsSelectSkinDialog::Notification(TComponent* AComponent, rtl::TOperation Operation) {
  rtl::TComponent::Notification(AComponent, Operation);
  if (Operation != rtl::opRemove) return;
  if (AComponent == FSD) FSD = nullptr;
  if (AComponent == FCtrlSD) FCtrlSD = nullptr;
  if (AComponent == FSkinList) FSkinList = nullptr;
}

void TbsSelectSkinDialog::SetSkinList(TbsCompressedSkinList* Value) { Watch(this, FSkinList, Value); }
void TbsSelectSkinDialog::SetSkinData(TbsSkinData* Value) { Watch(this, FSD, Value); }
void TbsSelectSkinDialog::SetCtrlSkinData(TbsSkinData* Value) { Watch(this, FCtrlSD, Value); }

bool TbsSelectSkinDialog::Execute(int SkinIndex) {
  if (!FSkinList) return false;
  return Run(new TbsSelectSkinDlgForm(forms::Application, FSkinList, SkinIndex, FCtrlSD), true);
}

bool TbsSelectSkinDialog::Execute(TbsCompressedStoredSkin* DefaultCompressedSkin) {
  return Run(new TbsSelectSkinDlgForm(forms::Application, Owner(), DefaultCompressedSkin, FCtrlSD), false);
}

bool TbsSelectSkinDialog::Run(TbsSelectSkinDlgForm* Form, bool IndexVariant) {
  std::unique_ptr<TbsSelectSkinDlgForm, rtl::TComponentFree> F(Form);
  FDlgFrm = Form;
  struct Clear {
    TbsSelectSkinDlgForm*& P;
    ~Clear() { P = nullptr; }
  } ClearForm{FDlgFrm};
  F->SetCaption(Title);
  F->BSF->SetBorderIcons({});
  F->BSF->SetSkinData(FSD);
  F->BSF->SetMenusSkinData(FCtrlSD);
  F->BSF->SetAlphaBlend(AlphaBlend);
  F->BSF->AlphaBlendAnimation = AlphaBlendAnimation;
  F->BSF->SetAlphaBlendValue(AlphaBlendValue);
  for (TbsSkinButton* B : {F->OpenButton, F->CancelButton}) B->SetDefaultFont(FDefaultFont.get());
  F->SkinsListBox->SetDefaultFont(FDefaultFont.get());
  for (TbsSkinButton* B : {F->OpenButton, F->CancelButton}) B->SetSkinData(FCtrlSD);
  F->SkinsListBox->SetSkinData(FCtrlSD);
  F->HandleNeeded();  // the client size is measured inside the skinned frame
  if (!FSD || FSD->Empty)
    F->SetClientSize(420, 240);
  else
    F->SetClientSize(std::max(420, F->BSF->GetMinWidth()), std::max(240, F->BSF->GetMinHeight()));
  FSelectedSkin = nullptr;
  if (IndexVariant) FSelectedSkinIndex = -1;
  bool Result = false;
  if (F->ShowModal() == forms::mrOk) {
    if (IndexVariant)
      FSelectedSkinIndex = F->PreviewSkinData->SkinIndex();
    else
      FSelectedSkin = F->SelectedSkin();
    Result = true;
  }
  return Result;
}

// ------------------------------------------------------------------ TbsSelDirDlgForm
TbsSelDirDlgForm::TbsSelDirDlgForm(TComponent* AOwner, TbsSkinData* ACtrlSkinData, bool AShowToolBar,
                                   bool AToolButtonsTransparent)
    : forms::TForm(AOwner), CtrlSD(ACtrlSkinData), ShowToolBar(AShowToolBar) {
  SetKeyPreview(true);
  SetPosition(forms::poScreenCenter);
  BSF = new TbsBusinessSkinForm(this);
  if (AShowToolBar) {
    ToolPanel = new TbsSkinPanel(this);
    ToolPanel->SetParent(this);
    ToolPanel->SetAlign(forms::alTop);
    ToolPanel->SetBorderStyle(bvNone);
    ToolPanel->SetDefaultHeight(25);
    ToolPanel->SetSkinDataName(u"toolpanel");

    NewFolderToolButton = new TbsSkinSpeedButton(this);
    NewFolderToolButton->SetParent(ToolPanel);
    NewFolderToolButton->SetLeft(Width());
    NewFolderToolButton->SetAlign(forms::alRight);
    NewFolderToolButton->SetDefaultHeight(25);
    NewFolderToolButton->SetDefaultWidth(27);
    NewFolderToolButton->SetSkinDataName(u"toolbutton");
    TBitmap G;
    LoadDialogGlyph(&G, u"BS_NEWFOLDER");
    NewFolderToolButton->SetGlyph(&G);
    NewFolderToolButton->SetNumGlyphs(1);
    NewFolderToolButton->SetHint(DialogText(CtrlSD, u"MSG_BTN_NEWFOLDER_HINT", u"Create New Folder"));
    NewFolderToolButton->SetShowHint(true);
    NewFolderToolButton->SetFlat(AToolButtonsTransparent);
    NewFolderToolButton->OnClick = [this](TObject* S) { NewFolderToolButtonClick(S); };

    auto* Spacer = new TbsSkinBevel(this);
    Spacer->SetParent(ToolPanel);
    Spacer->SetLeft(0);
    Spacer->SetAlign(forms::alRight);
    Spacer->SetWidth(5);
    Spacer->SetShape(bsSpacer);

    DirEdit = new TbsSkinEdit(this);
    DirEdit->SetParent(ToolPanel);
    DirEdit->SetAlign(forms::alClient);
    DirEdit->SetDefaultHeight(25);
    DirEdit->SetSkinDataName(u"edit");
    DirEdit->OnKeyPress = [this](TObject* S, char16_t& K) { DirEditKeyPress(S, K); };
  }

  DirTreeViewPanel = new TbsSkinPanel(this);
  DirTreeViewPanel->SetParent(this);
  DirTreeViewPanel->SetAlign(forms::alClient);
  DirTreeViewPanel->SetBorderStyle(bvFrame);
  DirTreeViewPanel->SetHeight(200);

  VScrollBar = new TbsSkinScrollBar(this);
  VScrollBar->SetParent(DirTreeViewPanel);
  VScrollBar->SetAlign(forms::alRight);
  VScrollBar->SetKind(forms::sbVertical);
  VScrollBar->SetDefaultWidth(19);
  VScrollBar->SetEnabled(false);
  VScrollBar->SetSkinDataName(u"vscrollbar");

  HScrollBar = new TbsSkinScrollBar(this);
  HScrollBar->SetParent(DirTreeViewPanel);
  HScrollBar->SetAlign(forms::alBottom);
  HScrollBar->SetDefaultHeight(19);
  HScrollBar->SetEnabled(false);
  HScrollBar->SetBothMarkerWidth(19);
  HScrollBar->SetSkinDataName(u"hscrollbar");

  DirTreeView = new TbsSkinDirTreeView(this);
  DirTreeView->SetParent(DirTreeViewPanel);
  DirTreeView->SetAlign(forms::alClient);
  DirTreeView->SetHScrollBar(HScrollBar);
  DirTreeView->SetVScrollBar(VScrollBar);
  DirTreeView->SetObjectTypes(DirTreeView->ObjectTypes() | shell::Bit(shell::otHidden));
  DirTreeView->SetHideSelection(false);
  DirTreeView->OnChange = [this](TObject* S, forms::TTreeNode* N) { DirTreeViewChange(S, N); };

  BottomPanel = new TbsSkinPanel(this);
  BottomPanel->SetParent(this);
  BottomPanel->SetAlign(forms::alBottom);
  BottomPanel->SetBorderStyle(bvNone);
  BottomPanel->SetHeight(50);

  OkButton = new TbsSkinButton(this);
  OkButton->SetParent(BottomPanel);
  OkButton->SetBounds(20, 15, 70, 25);
  OkButton->SetDefaultHeight(25);
  OkButton->SetDefault(true);
  OkButton->SetCaption(DialogText(CtrlSD, u"MSG_BTN_OK", u"OK"));
  OkButton->SetCanFocused(true);
  OkButton->ModalResult = forms::mrOk;

  CancelButton = new TbsSkinButton(this);
  CancelButton->SetParent(BottomPanel);
  CancelButton->SetBounds(100, 15, 70, 25);
  CancelButton->SetDefaultHeight(25);
  CancelButton->Cancel = true;
  CancelButton->SetCaption(DialogText(CtrlSD, u"MSG_BTN_CANCEL", u"Cancel"));
  CancelButton->SetCanFocused(true);
  CancelButton->ModalResult = forms::mrCancel;
}

// The controls die after this part of the form: they must not call back into it.
TbsSelDirDlgForm::~TbsSelDirDlgForm() {
  DirTreeView->OnChange = nullptr;
  if (DirEdit) DirEdit->OnKeyPress = nullptr;
}

void TbsSelDirDlgForm::DirTreeViewChange(TObject*, forms::TTreeNode*) {
  if (ShowToolBar) DirEdit->SetText(DirTreeView->Path());
}

void TbsSelDirDlgForm::DirEditKeyPress(TObject*, char16_t& Key) {
  if (Key != 13) return;
  const String T = DirEdit->Text();
  if (!T.empty() && IsExistingDirectory(T)) DirTreeView->SetPath(T);
}

void TbsSelDirDlgForm::NewFolderToolButtonClick(TObject*) {
  const String Name = DialogText(CtrlSD, u"MSG_NEWFOLDER", u"New Folder");
  const String NewPath = DirTreeView->Path() + u"/" + Name;
  // A folder of the file system has an absolute path; virtual folders have none.
  if (!DirTreeView->Selected() || IsExistingDirectory(NewPath) || NewPath.empty() || NewPath[0] != u'/') return;
  if (!rtl::CreateDir(NewPath)) {
    const int Code = errno;
    throw rtl::EInOutError(rtl::Format(u"%s: %s", {NewPath, rtl::SysErrorMessage(Code)}));
  }
  DirTreeView->Refresh(DirTreeView->Selected());
}

// ------------------------------------------------------------------ TbsSkinSelectDirectoryDialog
TbsSkinSelectDirectoryDialog::TbsSkinSelectDirectoryDialog(TComponent* AOwner)
    : rtl::TComponent(AOwner), FDefaultFont(MakeDefaultFont([] {})) {}

TbsSkinSelectDirectoryDialog::~TbsSkinSelectDirectoryDialog() = default;

void TbsSkinSelectDirectoryDialog::Notification(TComponent* AComponent, rtl::TOperation Operation) {
  rtl::TComponent::Notification(AComponent, Operation);
  if (Operation != rtl::opRemove) return;
  if (AComponent == FSD) FSD = nullptr;
  if (AComponent == FCtrlSD) FCtrlSD = nullptr;
}

void TbsSkinSelectDirectoryDialog::SetSkinData(TbsSkinData* Value) { Watch(this, FSD, Value); }
void TbsSkinSelectDirectoryDialog::SetCtrlSkinData(TbsSkinData* Value) { Watch(this, FCtrlSD, Value); }

bool TbsSkinSelectDirectoryDialog::Execute() {
  if (OnShow) OnShow(this);
  std::unique_ptr<TbsSelDirDlgForm, rtl::TComponentFree> F(
      new TbsSelDirDlgForm(forms::Application, FCtrlSD, ShowToolBar, ToolButtonsTransparent));
  FDlgFrm = F.get();
  bool Result = false;
  auto Last = [&] {
    if (OnClose) OnClose(this);
    F.reset();
    FDlgFrm = nullptr;
  };
  try {
    F->SetCaption(FTitle);
    F->BSF->SetBorderIcons({});
    F->BSF->SetSkinData(FSD);
    F->BSF->SetMenusSkinData(FCtrlSD);
    F->BSF->MinWidth = DialogMinWidth;
    F->BSF->MinHeight = DialogMinHeight;
    F->BSF->SetAlphaBlend(AlphaBlend);
    F->BSF->AlphaBlendAnimation = AlphaBlendAnimation;
    F->BSF->SetAlphaBlendValue(AlphaBlendValue);
    F->DirTreeViewPanel->SetSkinData(FCtrlSD);
    F->DirTreeView->SetDefaultFont(FDefaultFont.get());
    F->DirTreeView->SetSkinData(FCtrlSD);
    if (!Directory.empty() && IsExistingDirectory(Directory))
      F->DirTreeView->SetPath(Directory);
    else {
      // The tree builds its nodes when its window is made: the computer is
      // chosen among them, not among nodes the window's creation would free.
      F->DirTreeView->HandleNeeded();
      F->DirTreeView->ExpandMyComputer();
    }
    F->HScrollBar->SetSkinData(FCtrlSD);
    F->VScrollBar->SetSkinData(FCtrlSD);
    F->OkButton->SetSkinData(FCtrlSD);
    F->CancelButton->SetSkinData(FCtrlSD);
    F->BottomPanel->SetSkinData(FCtrlSD);
    F->OkButton->SetDefaultFont(FDefaultFont.get());
    F->CancelButton->SetDefaultFont(FDefaultFont.get());
    if (F->ShowToolBar) {
      F->ToolPanel->SetSkinData(FCtrlSD);
      F->NewFolderToolButton->SetSkinData(FCtrlSD);
      F->DirEdit->SetSkinData(FCtrlSD);
    }
    int W = DialogWidth > 0 ? DialogWidth : 280, H = DialogHeight > 0 ? DialogHeight : 280;
    if (FSD && !FSD->Empty) {
      W = std::max(W, F->BSF->GetMinWidth());
      H = std::max(H, F->BSF->GetMinHeight());
    }
    F->HandleNeeded();  // the client size is measured inside the skinned frame
    F->SetClientSize(W, H);
    TbsSelDirDlgForm* Form = F.get();
    F->OnShow = [Form](TObject*) { Form->SetActiveControl(Form->DirTreeView); };
    Result = F->ShowModal() == forms::mrOk;
    DialogWidth = F->ClientWidth();
    DialogHeight = F->ClientHeight();
    if (Result) {
      Directory = F->DirTreeView->Path();
      if (FOnChange) FOnChange(this);
    }
  } catch (...) {
    Last();
    throw;
  }
  Last();
  return Result;
}

}  // namespace skin
