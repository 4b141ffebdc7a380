// The open- and save-picture dialogs: the open-file dialog with a preview
// column at the right of the list that shows the selected file at its
// natural size (scrolling) or stretched to the column. The save dialog's form
// runs in save mode: "&Save", the typed name is taken whether or not the
// file exists, its extension follows the file type, and an existing file is
// only overwritten after a question when OverwritePromt is on.
//
// Pictures are read by the graphics layer (BMP, ICO, EMF, WMF, TIFF, JPEG,
// PNG, GIF); a file that cannot be read is reported through the
// application's error display while the dialog stays open, and the preview
// keeps the picture it had. GUI thread only.
#pragma once

#include "platform/forms/ExtCtrls.h"
#include "skin/controls/bsSkinScrollBox.h"
#include "skin/controls/bsSkinSplitter.h"
#include "skin/dialogs/bsOpenDialogs.h"

namespace skin {

class TbsOpenPictureDlgForm : public TbsOpenDlgForm {
 public:
  TbsOpenPictureDlgForm(TComponent* AOwner, bool ASaveMode, TbsSkinData* ACtrlSkinData,
                        bool AToolButtonsTransparent);

  String DefaultExtension() override;
  void FLVChange(TObject* Sender) override;
  void StretchButtonClick(TObject* Sender);
  // Loads a picture into the preview and sizes it; a file the picture layer
  // cannot read raises its error (the preview keeps its picture, sized).
  void LoadPreview(const String& FileName);
  // Natural size for the picture control unless stretching is on.
  void FitPicture();

  TbsSkinPanel* ImagePanel = nullptr;
  forms::TImage* Image = nullptr;
  TbsSkinScrollBox* ScrollBox = nullptr;
  TbsSkinScrollBar* SBVScrollBar = nullptr;
  TbsSkinScrollBar* SBHScrollBar = nullptr;
  TbsSkinSpeedButton* StretchButton = nullptr;
  TbsSkinSplitter* Splitter = nullptr;

 private:
  String FPreviewName;  // the file the preview last read (or failed to)
};

class TbsSkinOpenPictureDialog : public rtl::TComponent {
 public:
  explicit TbsSkinOpenPictureDialog(TComponent* AOwner);
  ~TbsSkinOpenPictureDialog() override;
  void Notification(TComponent* AComponent, rtl::TOperation Operation) override;

  bool ShowHiddenFiles = false;
  bool ToolButtonsTransparent = false;
  bool OverwritePromt = false;
  int DialogWidth = 0, DialogHeight = 0, DialogMinWidth = 0, DialogMinHeight = 0;
  bool CheckFileExists = true;
  bool StretchPicture = false;
  bool MultiSelection = false;
  bool AlphaBlend = false;
  int AlphaBlendValue = 200;
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
  String Title = u"Open picture";
  String InitialDir;
  String Filter =
      u"All (*.bmp;*.ico;*.emf;*.wmf)|*.bmp;*.ico;*.emf;*.wmf|Bitmaps (*.bmp)|*.bmp|Icons (*.ico)|*.ico|"
      u"Enhanced Metafiles (*.emf)|*.emf|Metafiles (*.wmf)|*.wmf";
  int FilterIndex = 1;
  String FileName;
  TNotifyEvent OnShow, OnClose;
  rtl::TStringList* Files() const { return FFiles.get(); }
  int ImagePanelWidth() const { return FImagePanelWidth; }
  bool DialogStretch() const { return FDialogStretch; }

  bool Execute();
  TbsOpenPictureDlgForm* DlgForm() const { return FDlgFrm; }

 protected:
  bool FSaveMode = false;

 private:
  TbsSkinData* FSD = nullptr;
  TbsSkinData* FCtrlSD = nullptr;
  std::unique_ptr<gdi::TFont> FDefaultFont;
  std::unique_ptr<rtl::TStringList> FFiles;
  forms::TViewStyle FListViewStyle = forms::vsList;
  int FImagePanelWidth = 190;
  bool FDialogStretch = false;
  TbsOpenPictureDlgForm* FDlgFrm = nullptr;
};

class TbsSkinSavePictureDialog : public TbsSkinOpenPictureDialog {
 public:
  explicit TbsSkinSavePictureDialog(TComponent* AOwner);
};

}  // namespace skin
