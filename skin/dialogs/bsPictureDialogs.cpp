#include "skin/dialogs/bsPictureDialogs.h"

#include <algorithm>

#include "platform/rtl/FileSys.h"
#include "skin/dialogs/bsDialogRes.h"

namespace skin {

// ------------------------------------------------------------------ TbsOpenPictureDlgForm
TbsOpenPictureDlgForm::TbsOpenPictureDlgForm(TComponent* AOwner, bool ASaveMode, TbsSkinData* ACtrlSkinData,
                                             bool AToolButtonsTransparent)
    : TbsOpenDlgForm(AOwner, ASaveMode, ACtrlSkinData, AToolButtonsTransparent, false) {
  StretchButton = new TbsSkinSpeedButton(this);
  StretchButton->SetParent(ToolPanel);
  StretchButton->SetLeft(Width() + 4000);  // rightmost
  StretchButton->SetAlign(forms::alRight);
  StretchButton->SetDefaultWidth(27);
  StretchButton->SetDefaultHeight(25);
  StretchButton->GroupIndex = 2;
  StretchButton->AllowAllUp = true;
  StretchButton->SetSkinDataName(u"toolbutton");
  {
    TBitmap G;
    LoadDialogGlyph(&G, u"BS_STRETCH");
    StretchButton->SetGlyph(&G);
  }
  StretchButton->SetNumGlyphs(1);
  StretchButton->SetHint(DialogText(CtrlSD, u"MSG_BTN_STRETCH_HINT", u"Stretch Picture"));
  StretchButton->SetShowHint(true);
  StretchButton->SetFlat(AToolButtonsTransparent);
  StretchButton->OnClick = [this](TObject* S) { StretchButtonClick(S); };

  ImagePanel = new TbsSkinPanel(this);
  ImagePanel->SetParent(this);
  ImagePanel->SetWidth(200);
  ImagePanel->SetLeft(Width() + 10);
  ImagePanel->SetAlign(forms::alRight);
  ImagePanel->SetBorderStyle(bvFrame);

  Splitter = new TbsSkinSplitter(this);
  Splitter->SetParent(this);
  Splitter->DefaultSize = 10;
  Splitter->SetWidth(10);
  Splitter->SetLeft(ImagePanel->Left() - 1);
  Splitter->SetAlign(forms::alRight);
  Splitter->SetBeveled(false);

  SBVScrollBar = new TbsSkinScrollBar(this);
  SBVScrollBar->SetParent(ImagePanel);
  SBVScrollBar->SetAlign(forms::alRight);
  SBVScrollBar->SetKind(forms::sbVertical);
  SBVScrollBar->SetDefaultWidth(19);
  SBVScrollBar->SetEnabled(false);
  SBVScrollBar->SetSkinDataName(u"vscrollbar");

  SBHScrollBar = new TbsSkinScrollBar(this);
  SBHScrollBar->SetParent(ImagePanel);
  SBHScrollBar->SetAlign(forms::alBottom);
  SBHScrollBar->SetDefaultHeight(19);
  SBHScrollBar->SetBothMarkerWidth(19);
  SBHScrollBar->SetEnabled(false);
  SBHScrollBar->SetSkinDataName(u"hscrollbar");

  ScrollBox = new TbsSkinScrollBox(this);
  ScrollBox->SetParent(ImagePanel);
  ScrollBox->SetAlign(forms::alClient);
  ScrollBox->SetBorderStyle(bvNone);
  ScrollBox->SetHScrollBar(SBHScrollBar);
  ScrollBox->SetVScrollBar(SBVScrollBar);

  Image = new forms::TImage(this);
  Image->SetParent(ScrollBox);
  Image->SetBounds(0, 0, 0, 0);
}

String TbsOpenPictureDlgForm::DefaultExtension() { return opendlg::MaskExtension(FilterComboBox->Mask()); }

void TbsOpenPictureDlgForm::LoadPreview(const String& Name) {
  // Sized also when the load fails: the control keeps the picture it had.
  try {
    Image->Picture()->LoadFromFile(Name);
  } catch (...) {
    FitPicture();
    throw;
  }
  FitPicture();
}

void TbsOpenPictureDlgForm::FitPicture() {
  if (StretchButton->Down()) return;
  Image->SetBounds(0, 0, Image->Picture()->Width(), Image->Picture()->Height());
  ScrollBox->UpDateScrollRange();
}

void TbsOpenPictureDlgForm::FLVChange(TObject*) {
  FileNameEdit->SetText(rtl::ExtractFileName(FileListView->GetSelectedFile()));
  const String Text = FileNameEdit->Text();
  if (!Text.empty()) {
    // The list reports a selection in several changes; the file is read
    // (and a failure shown) once per file chosen.
    const String Name = CurrentDir() + Text;
    if (Name == FPreviewName) return;
    FPreviewName = Name;
    // An unknown or damaged file is the user's to know: its error goes to
    // the application's error display, and the dialog stays open.
    try {
      LoadPreview(Name);
    } catch (...) {
      if (!forms::Application) throw;
      forms::Application->HandleException(this);
    }
  } else {
    FPreviewName.clear();
    Image->SetWidth(0);
    Image->SetHeight(0);
  }
}

void TbsOpenPictureDlgForm::StretchButtonClick(TObject*) {
  Image->SetVisible(false);
  if (StretchButton->Down()) {
    Image->SetStretch(true);
    Image->SetAlign(forms::alClient);
    ScrollBox->UpDateScrollRange();
  } else {
    Image->SetAlign(forms::alNone);
    Image->SetBounds(0, 0, Image->Picture()->Width(), Image->Picture()->Height());
    Image->SetStretch(false);
    ScrollBox->UpDateScrollRange();
  }
  Image->SetVisible(true);
}

// ------------------------------------------------------------------ TbsSkinOpenPictureDialog
TbsSkinOpenPictureDialog::TbsSkinOpenPictureDialog(TComponent* AOwner)
    : rtl::TComponent(AOwner), FDefaultFont(MakeDefaultFont([] {})), FFiles(std::make_unique<rtl::TStringList>()) {}

TbsSkinOpenPictureDialog::~TbsSkinOpenPictureDialog() = default;

void TbsSkinOpenPictureDialog::Notification(TComponent* AComponent, rtl::TOperation Operation) {
  rtl::TComponent::Notification(AComponent, Operation);
  if (Operation != rtl::opRemove) return;
  if (AComponent == FSD) FSD = nullptr;
  if (AComponent == FCtrlSD) FCtrlSD = nullptr;
}

void TbsSkinOpenPictureDialog::SetSkinData(TbsSkinData* Value) {
  FSD = Value;
  if (Value) Value->FreeNotification(this);
}

void TbsSkinOpenPictureDialog::SetCtrlSkinData(TbsSkinData* Value) {
  FCtrlSD = Value;
  if (Value) Value->FreeNotification(this);
}

bool TbsSkinOpenPictureDialog::Execute() {
  if (OnShow) OnShow(this);
  std::unique_ptr<TbsOpenPictureDlgForm, rtl::TComponentFree> F(
      new TbsOpenPictureDlgForm(forms::Application, FSaveMode, FCtrlSD, ToolButtonsTransparent));
  FDlgFrm = F.get();
  F->CheckFileExists = CheckFileExists;
  F->OverwritePromt = OverwritePromt;
  auto Last = [&] {
    if (OnClose) OnClose(this);
    F.reset();
    FDlgFrm = nullptr;
  };
  bool Result = false;
  try {
    opendlg::PrepareForm(*this, F.get(), FileName, FListViewStyle);
    F->ImagePanel->SetWidth(FImagePanelWidth);
    for (TbsSkinControl* C : std::initializer_list<TbsSkinControl*>{
             F->FileListViewPanel, F->BottomPanel, F->ToolPanel, F->FLVHScrollBar, F->FLVVScrollBar,
             F->FilterComboBox, F->ShellBox, F->OpenButton, F->CancelButton, F->ImagePanel, F->ScrollBox, F->SBHScrollBar,
             F->SBVScrollBar})
      C->SetSkinData(FCtrlSD);
    F->ShellBox->SetSkinDataName(u"combobox");
    F->FileNameEdit->SetSkinData(FCtrlSD);
    F->Splitter->SetSkinData(FCtrlSD);
    for (TbsSkinStdLabel* L : {F->Drivelabel, F->OpenFileLabel, F->FileTypeLabel}) L->SetSkinData(FCtrlSD);
    for (TbsGraphicSkinControl* B : std::initializer_list<TbsGraphicSkinControl*>{
             F->UpToolButton, F->BackToolButton, F->StyleToolButton, F->NewFolderToolButton, F->StretchButton})
      B->SetSkinData(FCtrlSD);
    opendlg::SizeForm(*this, F.get(), 550);
    if (StretchPicture || FDialogStretch) {
      F->StretchButton->SetDown(true);
      F->StretchButtonClick(F->StretchButton);
    }
    F->FocusFirstItem();
    // A FileName the picture layer cannot read: its error leaves Execute
    // (after OnClose and the form's end, below).
    if (rtl::FileExists(FileName)) F->LoadPreview(FileName);
    F->FileNameEdit->SetText(rtl::ExtractFileName(FileName));
    F->InitHistory();
    Result = F->ShowModal() == forms::mrOk;
    opendlg::KeepFormState(*this, F.get());
    FListViewStyle = F->FileListView->ViewStyle();
    FDialogStretch = F->StretchButton->Down();
    FImagePanelWidth = F->ImagePanel->Width();
    if (Result) {
      FileName = F->FileName;
      if (FSaveMode && rtl::ExtractFileExt(FileName).empty()) FileName += F->DefaultExtension();
      F->FileListView->GetSelectedFiles(FFiles.get());
    }
  } catch (...) {
    Last();
    throw;
  }
  Last();
  return Result;
}

TbsSkinSavePictureDialog::TbsSkinSavePictureDialog(TComponent* AOwner) : TbsSkinOpenPictureDialog(AOwner) {
  Title = u"Save file";
  FSaveMode = true;
}

}  // namespace skin
