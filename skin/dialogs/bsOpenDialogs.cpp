#include "skin/dialogs/bsOpenDialogs.h"

#include <algorithm>
#include <cerrno>

#include "platform/rtl/FileSys.h"
#include "platform/rtl/Strings.h"
#include "platform/rtl/SysUtils.h"
#include "platform/shell/ShellNamespace.h"
#include "skin/dialogs/bsDialogRes.h"
#include "skin/dialogs/bsMessages.h"
#include "skin/dialogs/bsShellPrompts.h"
#include "skin/shell/bsfilectrl.h"

namespace skin {

namespace opendlg {

String LastResortFolder() {
  for (const shell::TUserFolder& U : shell::UserFolders())
    if (U.Key == "VIDEOS" && IsExistingDirectory(rtl::FileNameToString(U.Path))) return rtl::FileNameToString(U.Path);
  return rtl::FileNameToString(shell::HomeFolder());
}

// Each folder named here is taken only while it exists: the folder of the
// last file may have gone with a pulled stick, and the dialog must still open.
String FirstFolder(const String& FileName, const String& InitialDir) {
  if (!FileName.empty()) {
    const String Dir = rtl::ExtractFileDir(FileName);
    if (!Dir.empty() && IsExistingDirectory(Dir)) return Dir;
  }
  if (!InitialDir.empty() && IsExistingDirectory(InitialDir)) return InitialDir;
  return LastResortFolder();
}

String ExistingFileIgnoringExtCase(const String& Name) {
  if (rtl::FileExists(Name)) return Name;
  const String Ext = rtl::ExtractFileExt(Name);
  if (Ext.empty()) return String();
  const String Dir = rtl::ExtractFilePath(Name);
  const String Stem = rtl::ExtractFileName(Name).substr(0, rtl::ExtractFileName(Name).size() - Ext.size());
  rtl::TSearchRec SR;
  String Found;
  if (rtl::FindFirst(Dir + Stem + u".*", rtl::faReadOnly | rtl::faArchive, SR) == 0) {
    do {
      if (!(SR.Attr & rtl::faDirectory) && rtl::ExtractFileName(SR.Name).size() == Stem.size() + Ext.size() &&
          SR.Name.compare(0, Stem.size(), Stem) == 0 && rtl::SameText(rtl::ExtractFileExt(SR.Name), Ext)) {
        Found = Dir + SR.Name;
        break;
      }
    } while (rtl::FindNext(SR) == 0);
    rtl::FindClose(SR);
  }
  return Found;
}

String MaskExtension(const String& Mask) {
  if (Mask.find(u".*") != String::npos) return String();
  const String First = Mask.substr(0, Mask.find(u';'));
  return rtl::ExtractFileExt(First);
}

}  // namespace opendlg

namespace {

TbsSkinSpeedButton* ToolButton(TbsOpenDlgForm* F, TbsSkinToolBar* Bar, const char16_t* Glyph, const String& Hint,
                               bool Flat) {
  auto* B = new TbsSkinSpeedButton(F);
  B->SetParent(Bar);
  B->SetLeft(F->Width() + 1000);  // aligned right in the order made
  B->SetAlign(forms::alRight);
  B->SetDefaultWidth(27);
  B->SetDefaultHeight(25);
  B->SetSkinDataName(u"toolbutton");
  TBitmap G;
  LoadDialogGlyph(&G, Glyph);
  B->SetGlyph(&G);
  B->SetNumGlyphs(1);
  B->SetHint(Hint);
  B->SetShowHint(true);
  B->SetFlat(Flat);
  return B;
}

}  // namespace

// ------------------------------------------------------------------ TbsOpenDlgForm
TbsOpenDlgForm::TbsOpenDlgForm(TComponent* AOwner, bool ASaveMode, TbsSkinData* ACtrlSkinData,
                               bool AToolButtonsTransparent)
    : TbsOpenDlgForm(AOwner, ASaveMode, ACtrlSkinData, AToolButtonsTransparent, true) {}

TbsOpenDlgForm::TbsOpenDlgForm(TComponent* AOwner, bool ASaveMode, TbsSkinData* ACtrlSkinData,
                               bool AToolButtonsTransparent, bool AnchoredBottom)
    : forms::TForm(AOwner), SaveMode(ASaveMode), CtrlSD(ACtrlSkinData) {
  // The list's 删除 and properties talk to the user in this skin.
  InstallSkinnedShellPrompts();
  BuildControls(ASaveMode, AToolButtonsTransparent, AnchoredBottom);
}

TbsOpenDlgForm::~TbsOpenDlgForm() {
  // The controls die after this part of the form: they must not call back into it.
  FileListView->OnChange = nullptr;
  FileListView->OnPathChanged = nullptr;
  FileListView->OnDblClick = nullptr;
  FileListView->OnKeyPress = nullptr;
  FilterComboBox->OnChange = nullptr;
  FileNameEdit->OnKeyPress = nullptr;
  OnShow = nullptr;
  for (shell::PItemIDList P : FolderHistory) shell::ItemListRelease(P);
}

void TbsOpenDlgForm::BuildControls(bool ASaveMode, bool AToolButtonsTransparent, bool Anchored) {
  SetPosition(forms::poScreenCenter);
  SetKeyPreview(true);
  BSF = new TbsBusinessSkinForm(this);
  TbsSkinData* R = CtrlSD;

  ToolPanel = new TbsSkinToolBar(this);
  ToolPanel->SetParent(this);
  ToolPanel->SetAlign(forms::alTop);
  ToolPanel->SetDefaultHeight(25);
  ToolPanel->SetBorderStyle(bvNone);
  ToolPanel->SetSkinDataName(u"toolpanel");

  Drivelabel = new TbsSkinStdLabel(this);
  Drivelabel->SetParent(ToolPanel);
  Drivelabel->SetLeft(0);
  Drivelabel->SetAlign(forms::alLeft);
  Drivelabel->SetAutoSize(true);
  Drivelabel->SetLayout(forms::tlCenter);
  Drivelabel->SetCaption(DialogText(R, u"FLV_LOOKIN", u"Look in: "));

  auto* Spacer = new TbsSkinBevel(this);
  Spacer->SetParent(ToolPanel);
  Spacer->SetLeft(Drivelabel->Width() + 1);
  Spacer->SetAlign(forms::alLeft);
  Spacer->SetWidth(10);
  Spacer->SetShape(bsSpacer);

  BackToolButton = ToolButton(this, ToolPanel, u"BS_BACK",
                              DialogText(R, u"MSG_BTN_BACK_HINT", u"Go To Last Folder Visited"),
                              AToolButtonsTransparent);
  UpToolButton =
      ToolButton(this, ToolPanel, u"BS_UP", DialogText(R, u"MSG_BTN_UP_HINT", u"Up One Level"), AToolButtonsTransparent);
  NewFolderToolButton = ToolButton(this, ToolPanel, u"BS_NEWFOLDER",
                                   DialogText(R, u"MSG_BTN_NEWFOLDER_HINT", u"Create New Folder"),
                                   AToolButtonsTransparent);
  auto* Spacer2 = new TbsSkinBevel(this);
  Spacer2->SetParent(ToolPanel);
  Spacer2->SetLeft(Width() + 2000);
  Spacer2->SetAlign(forms::alRight);
  Spacer2->SetWidth(10);
  Spacer2->SetShape(bsSpacer);

  StylePopupMenu = new TbsSkinPopupMenu(this);
  auto Item = [&](const char16_t* Key, const char16_t* Def, forms::TViewStyle Style) {
    auto* M = new forms::TMenuItem(this);
    M->SetCaption(DialogText(R, Key, Def));
    M->SetRadioItem(true);
    M->OnClick = [this, Style](TObject*) { SetListStyle(Style); };
    StylePopupMenu->Items()->Add(M);
    return M;
  };
  IconMenuItem = Item(u"MSG_LV_ICON", u"Large icons", forms::vsIcon);
  SmallIconMenuItem = Item(u"MSG_LV_SMALLICON", u"Small icons", forms::vsSmallIcon);
  ListMenuItem = Item(u"MSG_LV_LIST", u"List", forms::vsList);
  ReportMenuItem = Item(u"MSG_LV_DETAILS", u"Details", forms::vsReport);

  StyleToolButton = new TbsSkinMenuSpeedButton(this);
  StyleToolButton->SetParent(ToolPanel);
  StyleToolButton->SetLeft(Width() + 3000);
  StyleToolButton->SetAlign(forms::alRight);
  StyleToolButton->SetDefaultWidth(37);
  StyleToolButton->SetDefaultHeight(25);
  StyleToolButton->SetSkinDataName(u"toolmenubutton");
  {
    TBitmap G;
    LoadDialogGlyph(&G, u"BS_LVSTYLE");
    StyleToolButton->SetGlyph(&G);
  }
  StyleToolButton->SetNumGlyphs(1);
  StyleToolButton->SetSkinPopupMenu(StylePopupMenu);
  StyleToolButton->SetHint(DialogText(R, u"MSG_BTN_VIEWMENU_HINT", u"View Menu"));
  StyleToolButton->SetShowHint(true);
  StyleToolButton->SetFlat(AToolButtonsTransparent);

  ShellBox = new TbsSkinShellComboBox(this);
  ShellBox->SetParent(ToolPanel);
  ShellBox->SetAlign(forms::alClient);
  ShellBox->SetDropDownCount(10);

  BottomPanel = new TbsSkinPanel(this);
  BottomPanel->SetParent(this);
  BottomPanel->SetAlign(forms::alBottom);
  BottomPanel->SetHeight(80);
  BottomPanel->SetBorderStyle(bvNone);

  FileListViewPanel = new TbsSkinPanel(this);
  FileListViewPanel->SetParent(this);
  FileListViewPanel->SetAlign(forms::alClient);
  FileListViewPanel->SetBorderStyle(bvFrame);

  FLVHScrollBar = new TbsSkinScrollBar(this);
  FLVHScrollBar->SetParent(FileListViewPanel);
  FLVHScrollBar->SetAlign(forms::alBottom);
  FLVHScrollBar->SetDefaultHeight(19);
  FLVHScrollBar->SetBothMarkerWidth(19);
  FLVHScrollBar->SetEnabled(false);
  FLVHScrollBar->SetSkinDataName(u"hscrollbar");

  FLVVScrollBar = new TbsSkinScrollBar(this);
  FLVVScrollBar->SetParent(FileListViewPanel);
  FLVVScrollBar->SetAlign(forms::alRight);
  FLVVScrollBar->SetKind(forms::sbVertical);
  FLVVScrollBar->SetDefaultWidth(19);
  FLVVScrollBar->SetEnabled(false);
  FLVVScrollBar->SetSkinDataName(u"vscrollbar");

  FileListView = new TbsSkinFileListView(this);
  FileListView->SetParent(FileListViewPanel);
  FileListView->SetAlign(forms::alClient);
  FileListView->SetViewStyle(forms::vsList);
  FileListView->SetShowColumnHeaders(true);
  FileListView->SetHideSelection(false);
  FileListView->SetHScrollBar(FLVHScrollBar);
  FileListView->SetVScrollBar(FLVVScrollBar);
  FileListView->SetShellComboBox(ShellBox);

  const int CW = ClientWidth();
  OpenFileLabel = new TbsSkinStdLabel(this);
  OpenFileLabel->SetParent(BottomPanel);
  OpenFileLabel->SetAutoSize(true);
  OpenFileLabel->SetLeft(10);
  OpenFileLabel->SetTop(10);
  OpenFileLabel->SetCaption(DialogText(R, u"MSG_FILENAME", u"File name:"));

  FileNameEdit = new TbsSkinEdit(this);
  FileNameEdit->SetParent(BottomPanel);
  FileNameEdit->SetBounds(70, 10, Anchored ? CW - 160 : 280, 21);
  FileNameEdit->SetDefaultHeight(21);
  if (Anchored) FileNameEdit->SetAnchors({forms::akLeft, forms::akTop, forms::akRight});

  FileTypeLabel = new TbsSkinStdLabel(this);
  FileTypeLabel->SetParent(BottomPanel);
  FileTypeLabel->SetAutoSize(true);
  FileTypeLabel->SetLeft(10);
  FileTypeLabel->SetTop(45);
  FileTypeLabel->SetCaption(DialogText(R, u"MSG_FILETYPE", u"File type:"));

  FilterComboBox = new TbsSkinFilterComboBox(this);
  FilterComboBox->SetParent(BottomPanel);
  FilterComboBox->SetBounds(70, 45, Anchored ? CW - 160 : 280, 21);
  FilterComboBox->SetDefaultHeight(21);
  if (Anchored) FilterComboBox->SetAnchors({forms::akLeft, forms::akTop, forms::akRight});

  OpenButton = new TbsSkinButton(this);
  OpenButton->SetParent(BottomPanel);
  OpenButton->SetBounds(Anchored ? CW - 80 : 370, 10, 70, 25);
  OpenButton->SetDefaultHeight(25);
  OpenButton->SetCanFocused(true);
  OpenButton->SetCaption(ASaveMode ? DialogText(R, u"MSG_BTN_SAVE", u"&Save") : DialogText(R, u"MSG_BTN_OPEN", u"&Open"));
  if (Anchored) OpenButton->SetAnchors({forms::akTop, forms::akRight});

  CancelButton = new TbsSkinButton(this);
  CancelButton->SetParent(BottomPanel);
  CancelButton->SetBounds(Anchored ? CW - 80 : 370, 45, 70, 25);
  CancelButton->SetDefaultHeight(25);
  CancelButton->SetCanFocused(true);
  CancelButton->ModalResult = forms::mrCancel;
  CancelButton->Cancel = true;
  CancelButton->SetCaption(DialogText(R, u"MSG_BTN_CANCEL", u"Cancel"));
  if (Anchored) CancelButton->SetAnchors({forms::akTop, forms::akRight});

  OpenButton->OnClick = [this](TObject* S) { OpenButtonClick(S); };
  FileNameEdit->OnKeyPress = [this](TObject* S, char16_t& K) { EditKeyPress(S, K); };
  FilterComboBox->OnChange = [this](TObject* S) { FCBChange(S); };
  FileListView->OnChange = [this](TObject* S, forms::TListItem*, int) { FLVChange(S); };
  FileListView->OnPathChanged = [this](TObject* S) { FLVPathChange(S); };
  FileListView->OnDblClick = [this](TObject* S) { FLVDBLClick(S); };
  FileListView->OnKeyPress = [this](TObject* S, char16_t& K) { FLVKeyPress(S, K); };
  BackToolButton->OnClick = [this](TObject* S) { BackToolButtonClick(S); };
  UpToolButton->OnClick = [this](TObject* S) { UpToolButtonClick(S); };
  NewFolderToolButton->OnClick = [this](TObject* S) { NewFolderToolButtonClick(S); };
  OnShow = [this](TObject*) { SetActiveControl(FileNameEdit); };
}

String TbsOpenDlgForm::CurrentDir() const { return rtl::IncludeTrailingPathDelimiter(FileListView->Path()); }

String TbsOpenDlgForm::DefaultExtension() {
  if (!DefaultExt.empty()) return u"." + DefaultExt;
  return opendlg::MaskExtension(FilterComboBox->Mask());
}

// The name and type fields start at 70 when their labels fit before that;
// a wider label (another font or skin, a longer text) moves both fields
// right, keeping their right edges, so each label keeps the same gap to its
// field. Each label is centred on its field's height.
void TbsOpenDlgForm::PlaceBottomLabels() {
  constexpr int Gap = 8;
  int X = 70;
  for (TbsSkinStdLabel* L : {OpenFileLabel, FileTypeLabel}) X = std::max(X, L->Left() + L->Width() + Gap);
  const std::pair<TbsSkinStdLabel*, forms::TControl*> rows[] = {{OpenFileLabel, FileNameEdit},
                                                                 {FileTypeLabel, FilterComboBox}};
  for (auto [L, C] : rows) {
    const int Right = C->Left() + C->Width();
    if (X != C->Left()) C->SetBounds(X, C->Top(), std::max(0, Right - X), C->Height());
    L->SetTop(C->Top() + (C->Height() - L->Height()) / 2);
  }
}

void TbsOpenDlgForm::FocusFirstItem() {
  if (FileListView->FolderCount() > 0) FileListView->SetItemFocused(FileListView->Items()->Items(0));
}

bool TbsOpenDlgForm::ConfirmOverwrite() {
  std::unique_ptr<TbsSkinMessage, rtl::TComponentFree> M(new TbsSkinMessage(this));
  M->SetSkinData(BSF->SkinData());
  M->SetCtrlSkinData(CtrlSD);
  return M->MessageDlg(DialogText(CtrlSD, u"MSG_OVERWRITE", u"Do you want to overwrite old file?"), mtWarning,
                       {mbOK, mbCancel}, 0) == forms::mrOk;
}

void TbsOpenDlgForm::OpenButtonClick(TObject*) {
  const String Dir = CurrentDir();
  const String Text = FileNameEdit->Text();
  if (SaveMode) {
    if (Text.empty() || Text.find(u'*') != String::npos) return;
    const String Name = Dir + Text;
    const String Candidate = rtl::ExtractFileExt(Name).empty() ? Name + DefaultExtension() : Name;
    if (OverwritePromt && rtl::FileExists(Candidate) && !ConfirmOverwrite()) return;
    FileName = Name;
    SetModalResult(forms::mrOk);
    return;
  }
  const String Sel = ChosenFile(Text);
  String Candidate;
  if (Sel.empty() && CheckFileExists && !Text.empty()) {
    const String Name = Dir + Text;
    Candidate = rtl::ExtractFileExt(Name).empty() ? Name + DefaultExtension() : Name;
    // The mask's extension may be written in another case than the file's
    // (clip + *.AVI finds clip.avi); the file as it is named is the choice.
    Candidate = opendlg::ExistingFileIgnoringExtCase(Candidate);
    if (Candidate.empty()) return;
  }
  if (Text.empty()) return;
  if (CheckFileExists) {
    FileName = Sel.empty() ? Candidate : Sel;
    if (rtl::FileExists(FileName))
      SetModalResult(forms::mrOk);
    else
      FileName.clear();
    return;
  }
  if (!Sel.empty()) {
    FileName = Sel;
  } else {
    FileName = Dir + Text;
    if (rtl::ExtractFileExt(FileName).empty()) FileName += DefaultExtension();
  }
  SetModalResult(forms::mrOk);
}

void TbsOpenDlgForm::EditKeyPress(TObject*, char16_t& Key) {
  if (Key != 13) return;
  const String Text = FileNameEdit->Text();
  if (Text.find(u'*') != String::npos) {
    FileListView->SetMask(Text);
  } else if (Text.find(u'/') != String::npos) {
    if (IsExistingDirectory(Text)) FileListView->SetPath(Text);
  } else {
    OpenButtonClick(this);
  }
}

void TbsOpenDlgForm::FLVKeyPress(TObject*, char16_t& Key) {
  if (Key != 13) return;
  const String Sel = FileListView->GetSelectedFile();
  if (Sel.empty()) return;
  // Enter in the list takes the list's file, whatever the field shows.
  FileNameEdit->SetText(rtl::ExtractFileName(Sel));
  FShownFile = Sel;
  OpenButtonClick(this);
}

// The list's selected file when the name field still shows its name; a
// different name typed over it is the user's choice and wins.
String TbsOpenDlgForm::ChosenFile(const String& Text) {
  const String Sel = FileListView->GetSelectedFile();
  return !Sel.empty() && rtl::ExtractFileName(Sel) == Text ? Sel : String();
}

void TbsOpenDlgForm::FLVChange(TObject*) {
  // Only a newly selected file writes its name: a re-read of the folder that
  // selects the same file again must not undo what the user is typing.
  const String Sel = FileListView->GetSelectedFile();
  const String Name = rtl::ExtractFileName(Sel);
  if (!Name.empty() && Sel != FShownFile) {
    FShownFile = Sel;
    FileNameEdit->SetText(Name);
  }
  if (OnFolderChange) OnFolderChange(this);
}

void TbsOpenDlgForm::FLVDBLClick(TObject*) {
  const String Sel = FileListView->GetSelectedFile();
  if (Sel.empty()) return;
  if (SaveMode && OverwritePromt && !ConfirmOverwrite()) return;
  FileName = Sel;
  SetModalResult(forms::mrOk);
}

void TbsOpenDlgForm::FCBChange(TObject*) {
  FileListView->SetMask(FilterComboBox->Mask());
  if (!SaveMode) return;
  const String Ext = DefaultExtension();
  const String Text = FileNameEdit->Text();
  if (Ext.empty() || Text.empty()) return;
  FileNameEdit->SetText(rtl::ChangeFileExt(Text, Ext));
}

void TbsOpenDlgForm::FLVPathChange(TObject*) {
  if (!StopAddToHistory && FileListView->RootFolder()) {
    shell::PCItemIDList Id = FileListView->RootFolder()->AbsoluteID();
    if (FolderHistory.empty() || !shell::ItemListsEqual(FolderHistory.back(), Id))
      FolderHistory.push_back(shell::ItemListClone(Id));
  }
  FocusFirstItem();
  if (OnFolderChange) OnFolderChange(this);
}

void TbsOpenDlgForm::InitHistory() {
  if (!FileListView->RootFolder()) return;
  shell::PCItemIDList Id = FileListView->RootFolder()->AbsoluteID();
  if (FolderHistory.empty() || !shell::ItemListsEqual(FolderHistory.back(), Id))
    FolderHistory.push_back(shell::ItemListClone(Id));
}

// Back opens the entry before the last and removes the last one, so the
// history stays the chain of folders actually shown.
void TbsOpenDlgForm::BackToolButtonClick(TObject*) {
  if (FolderHistory.size() < 2) return;
  StopAddToHistory = true;
  struct Reset {
    bool& B;
    ~Reset() { B = false; }
  } R{StopAddToHistory};
  FileListView->NavigateFromLink(FolderHistory[FolderHistory.size() - 2]);
  shell::ItemListRelease(FolderHistory.back());
  FolderHistory.pop_back();
}

void TbsOpenDlgForm::UpToolButtonClick(TObject*) { FileListView->Back(); }

void TbsOpenDlgForm::NewFolderToolButtonClick(TObject*) {
  String Path = FileListView->Path();
  if (Path.empty() || Path[0] != u'/') return;  // a virtual folder without a place (the computer)
  // A virtual folder that shows a real one (桌面 shows the home folder):
  // the new folder goes there, and the list moves there to show it.
  if (TbsShellFolder* R = FileListView->RootFolder(); R && !(R->Properties() & shell::Bit(shell::fpFileSystem))) {
    FileListView->SetPath(Path);
    Path = FileListView->Path();
  }
  ++NewFolderCount;
  String Name = DialogText(CtrlSD, u"MSG_NEWFOLDER", u"New Folder");
  if (NewFolderCount > 1) Name += u"(" + rtl::IntToStr(NewFolderCount) + u")";
  const String Full = rtl::IncludeTrailingPathDelimiter(Path) + Name;
  if (IsExistingDirectory(Full)) return;
  if (!rtl::CreateDir(Full)) {
    const int Code = errno;
    throw rtl::EInOutError(rtl::Format(u"%s: %s", {Full, rtl::SysErrorMessage(Code)}));
  }
  FileListView->RebuildView();
  forms::Application->ProcessMessages();
  for (int i = 0; i < FileListView->FolderCount(); ++i)
    if (FileListView->FolderAt(i) && FileListView->FolderAt(i)->DisplayName() == Name) {
      FileListView->Items()->Items(i)->EditCaption();
      break;
    }
}

void TbsOpenDlgForm::SetListStyle(forms::TViewStyle Style) {
  FileListView->SetViewStyle(Style);
  IconMenuItem->SetChecked(Style == forms::vsIcon);
  SmallIconMenuItem->SetChecked(Style == forms::vsSmallIcon);
  ListMenuItem->SetChecked(Style == forms::vsList);
  ReportMenuItem->SetChecked(Style == forms::vsReport);
  if (Style == forms::vsReport && FileListView->MultiSelect()) FileListView->BuildColumns();
}

// ------------------------------------------------------------------ TbsSkinOpenDialog
TbsSkinOpenDialog::TbsSkinOpenDialog(TComponent* AOwner)
    : rtl::TComponent(AOwner), FDefaultFont(MakeDefaultFont([] {})), FFiles(std::make_unique<rtl::TStringList>()) {}

TbsSkinOpenDialog::~TbsSkinOpenDialog() = default;

void TbsSkinOpenDialog::Notification(TComponent* AComponent, rtl::TOperation Operation) {
  rtl::TComponent::Notification(AComponent, Operation);
  if (Operation != rtl::opRemove) return;
  if (AComponent == FSD) FSD = nullptr;
  if (AComponent == FCtrlSD) FCtrlSD = nullptr;
}

void TbsSkinOpenDialog::SetSkinData(TbsSkinData* Value) {
  FSD = Value;
  if (Value) Value->FreeNotification(this);
}

void TbsSkinOpenDialog::SetCtrlSkinData(TbsSkinData* Value) {
  FCtrlSD = Value;
  if (Value) Value->FreeNotification(this);
}

void TbsSkinOpenDialog::SetFileName(const String& Value) {
  FFileName = Value;
  if (FDlgFrm) FDlgFrm->FileNameEdit->SetText(Value);
}

String TbsSkinOpenDialog::GetSelectedFile() {
  return FDlgFrm ? FDlgFrm->FileListView->GetSelectedFile() : String();
}

bool TbsSkinOpenDialog::Execute() {
  if (OnShow) OnShow(this);
  std::unique_ptr<TbsOpenDlgForm, rtl::TComponentFree> F(
      new TbsOpenDlgForm(forms::Application, false, FCtrlSD, ToolButtonsTransparent));
  FDlgFrm = F.get();
  F->OverwritePromt = OverwritePromt;
  F->OnFolderChange = OnFolderChange;
  F->CheckFileExists = CheckFileExists;
  F->DefaultExt = DefaultExt;
  auto Last = [&] {
    if (OnClose) OnClose(this);
    F.reset();
    FDlgFrm = nullptr;
  };
  bool Result = false;
  try {
    opendlg::PrepareForm(*this, F.get(), FFileName, FListViewStyle);
    for (TbsSkinControl* C : std::initializer_list<TbsSkinControl*>{
             F->FileListViewPanel, F->BottomPanel, F->ToolPanel, F->FLVHScrollBar, F->FLVVScrollBar,
             F->FilterComboBox, F->ShellBox, F->OpenButton, F->CancelButton})
      C->SetSkinData(FCtrlSD);
    F->ShellBox->SetSkinDataName(u"combobox");
    F->FileNameEdit->SetSkinData(FCtrlSD);
    for (TbsSkinStdLabel* L : {F->Drivelabel, F->OpenFileLabel, F->FileTypeLabel}) L->SetSkinData(FCtrlSD);
    for (TbsGraphicSkinControl* B : std::initializer_list<TbsGraphicSkinControl*>{
             F->UpToolButton, F->BackToolButton, F->StyleToolButton, F->NewFolderToolButton})
      B->SetSkinData(FCtrlSD);
    opendlg::SizeForm(*this, F.get(), 450);
    F->FocusFirstItem();
    F->FileNameEdit->SetText(rtl::ExtractFileName(FFileName));
    F->InitHistory();
    Result = F->ShowModal() == forms::mrOk;
    opendlg::KeepFormState(*this, F.get());
    FListViewStyle = F->FileListView->ViewStyle();
    if (Result) {
      FFileName = F->FileName;
      F->FileListView->GetSelectedFiles(FFiles.get());
      // A typed name chosen over the list's selection is the one file.
      if (FFiles->IndexOf(FFileName) < 0) {
        FFiles->Clear();
        FFiles->Add(FFileName);
      }
    }
  } catch (...) {
    Last();
    throw;
  }
  Last();
  return Result;
}

}  // namespace skin
