#include "skin/dialogs/bsMessages.h"

#include <algorithm>

#include "platform/shell/SystemServices.h"
#include "skin/data/bsResourceStrData.h"
#include "skin/data/bsSkinDataControls.h"
#include "skin/dialogs/bsDialogRes.h"

namespace skin {

namespace {

const TbsMsgButtonInfo kButtons[12] = {
    {u"Yes", u"MSG_BTN_YES", u"&Yes", forms::mrYes},
    {u"No", u"MSG_BTN_NO", u"&No", forms::mrNo},
    {u"OK", u"MSG_BTN_OK", u"OK", forms::mrOk},
    {u"Cancel", u"MSG_BTN_CANCEL", u"Cancel", forms::mrCancel},
    {u"Abort", u"MSG_BTN_ABORT", u"&Abort", forms::mrAbort},
    {u"Retry", u"MSG_BTN_RETRY", u"&Retry", forms::mrRetry},
    {u"Ignore", u"MSG_BTN_IGNORE", u"&Ignore", forms::mrIgnore},
    {u"All", u"MSG_BTN_ALL", u"&All", forms::mrAll},
    {u"NoToAll", u"MSG_BTN_NOTOALL", u"N&oToAll", forms::mrNoToAll},
    {u"YesToAll", u"MSG_BTN_YESTOALL", u"&YesToAll", forms::mrYesToAll},
    {u"Help", u"MSG_BTN_HELP", u"&Help", forms::mrNone},
    {u"Close", u"MSG_BTN_CLOSE", u"Close", forms::mrClose},
};

struct TypeInfo {
  const char16_t* Key;
  const char16_t* DefaultCaption;
  int Icon;
};
const TypeInfo kTypes[5] = {
    {u"MSG_CAP_WARNING", u"Warning", IDI_EXCLAMATION},
    {u"MSG_CAP_ERROR", u"Error", IDI_HAND},
    {u"MSG_CAP_INFORMATION", u"Information", IDI_ASTERISK},
    {u"MSG_CAP_CONFIRM", u"Confirm", IDI_QUESTION},
    {nullptr, u"", 0},
};

constexpr const char16_t* kShowAgainText = u"Do not display this message again";

// Layout constants.
constexpr int kButtonWidth = 70, kButtonGap = 10, kPlainButtonHeight = 25, kLabelLeft = 50, kLabelTop = 15,
              kPictureLeft = 5, kIconMinTop = 10, kBelowLabel = 50, kRowBottom = 10, kCheckExtra = 40,
              kCheckHeight = 30, kCheckLeft = 5, kCheckBeyondText = 55, kClientBeyondCheck = 60,
              kClientBeyondRow = 40;

TbsHelpHandler& HelpHandler() {
  static TbsHelpHandler H = [](const String& File, int) {
    if (!File.empty()) shell::OpenDocument(File);
  };
  return H;
}

}  // namespace

const TbsMsgButtonInfo& MessageButtonInfo(TMsgDlgBtn Btn) { return kButtons[int(Btn)]; }

String MessageButtonCaption(TMsgDlgBtn Btn, TbsSkinData* SD) {
  return DialogText(SD, kButtons[int(Btn)].Key, kButtons[int(Btn)].DefaultCaption);
}

String MessageTypeCaption(TMsgDlgType DlgType, TbsSkinData* SD) {
  if (DlgType == mtCustom) return String();
  return DialogText(SD, kTypes[int(DlgType)].Key, kTypes[int(DlgType)].DefaultCaption);
}

void SetMessageHelpHandler(TbsHelpHandler Handler) { HelpHandler() = std::move(Handler); }

// ------------------------------------------------------------------ TbsMessageForm
TbsMessageForm::TbsMessageForm(TComponent* AOwner, int X, int Y) : forms::TForm(AOwner) {
  SetBorderStyle(forms::bsDialog);
  SetKeyPreview(true);
  if (X < -10000) {
    SetPosition(forms::poScreenCenter);
  } else {
    SetLeft(X);
    SetTop(Y);
  }
  BSF = new TbsBusinessSkinForm(this);
  BSF->SetBorderIcons({});
}

void TbsMessageForm::HelpButtonClick(TObject*) {
  const String File = HelpFile().empty() && forms::Application ? forms::Application->HelpFile() : HelpFile();
  if (HelpHandler()) HelpHandler()(File, HelpContext);
}

TbsSkinButton* TbsMessageForm::Button(TMsgDlgBtn Btn) const {
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* b = dynamic_cast<TbsSkinButton*>(Components(i)))
      if (b->Name() == kButtons[int(Btn)].Name) return b;
  return nullptr;
}

// ------------------------------------------------------------------ TbsSkinMessage
TbsSkinMessage::TbsSkinMessage(TComponent* AOwner)
    : rtl::TComponent(AOwner), FDefaultFont(MakeDefaultFont([] {})), FDefaultButtonFont(MakeDefaultFont([] {})) {}

TbsSkinMessage::~TbsSkinMessage() = default;

void TbsSkinMessage::Notification(TComponent* AComponent, rtl::TOperation Operation) {
  rtl::TComponent::Notification(AComponent, Operation);
  if (Operation != rtl::opRemove) return;
  if (AComponent == FSD) FSD = nullptr;
  if (AComponent == FCtrlSD) FCtrlSD = nullptr;
}

void TbsSkinMessage::SetSkinData(TbsSkinData* Value) {
  FSD = Value;
  if (Value) Value->FreeNotification(this);
}

void TbsSkinMessage::SetCtrlSkinData(TbsSkinData* Value) {
  FCtrlSD = Value;
  if (Value) Value->FreeNotification(this);
}

TbsMessageForm* TbsSkinMessage::BuildForm(TbsBuildKind Kind, const String& Msg, const String& ACaption,
                                          TMsgDlgType DlgType, forms::TCustomImageList* AImages, int AImageIndex,
                                          TMsgDlgButtons Buttons, int X, int Y) {
  std::unique_ptr<TbsMessageForm, rtl::TComponentFree> F(new TbsMessageForm(forms::Application, X, Y));
  F->BSF->SetSkinData(FSD);
  F->BSF->SetMenusSkinData(FCtrlSD);
  F->BSF->SetAlphaBlend(AlphaBlend);
  F->BSF->AlphaBlendAnimation = AlphaBlendAnimation;
  F->BSF->SetAlphaBlendValue(AlphaBlendValue);

  int bh = kPlainButtonHeight;
  if (FCtrlSD && !FCtrlSD->Empty) {
    const int i = FCtrlSD->GetControlIndex(ButtonSkinDataName);
    if (i >= 0)
      if (auto* d = dynamic_cast<TbsDataSkinButtonControl*>(FCtrlSD->CtrlList[std::size_t(i)].get()))
        bh = d->SkinRect.Bottom - d->SkinRect.Top;
  }

  int n = 0;
  for (int b = 0; b <= int(mbClose); ++b)
    if (Buttons.Contains(TMsgDlgBtn(b))) ++n;
  const int W = n == 0 ? 0 : n * kButtonWidth + (n - 1) * kButtonGap;

  if (Kind == bkCustom || Kind == bkCaptioned)
    F->SetCaption(ACaption);
  else if (DlgType == mtCustom)
    F->SetCaption(forms::Application ? forms::Application->Title() : String());
  else
    F->SetCaption(MessageTypeCaption(DlgType, FCtrlSD));

  auto* L = new TbsSkinStdLabel(F.get());
  L->Font()->Assign(FDefaultFont.get());
  L->SetDefaultFont(FDefaultFont.get());
  L->UseSkinFont = UseSkinFont;
  L->SetSkinDataName(MessageLabelSkinDataName);
  L->SetSkinData(FCtrlSD);
  L->SetName(u"Message");
  L->SetParent(F.get());
  L->SetAutoSize(true);
  L->SetCaption(Msg);
  L->SetLeft(kLabelLeft);
  L->SetTop(kLabelTop);
  F->Message = L;
  const int R = L->Left() + L->Width();

  if (Kind == bkCustom) {
    if (AImages && AImageIndex >= 0 && AImageIndex <= AImages->Count() - 1) {
      auto* Img = new forms::TImage(F.get());
      Img->SetName(u"Image");
      Img->SetTransparent(true);
      Img->SetWidth(AImages->Width());
      Img->SetHeight(AImages->Height());
      Img->SetParent(F.get());
      gdi::TBitmap* B = Img->Picture()->Bitmap();
      B->SetSize(AImages->Width(), AImages->Height());
      B->Canvas()->Brush()->SetColor(0xFF00FF);
      B->Canvas()->FillRect({0, 0, B->Width(), B->Height()});
      AImages->Draw(B->Canvas(), 0, 0, AImageIndex);
      B->SetTransparent(true);
      Img->SetLeft(kPictureLeft);
      Img->SetTop(L->Top() + L->Height() / 2 - 16);
      F->Image = Img;
    }
  } else {
    auto* Img = new forms::TImage(F.get());
    Img->SetName(u"Image");
    Img->SetParent(F.get());
    Img->SetTransparent(true);
    if (DlgType != mtCustom) LoadSystemIcon(Img->Picture()->Bitmap(), kTypes[int(DlgType)].Icon);
    Img->SetBounds(kPictureLeft, std::max(L->Top() + L->Height() / 2 - 16, kIconMinTop), 32, 32);
    F->Image = Img;
  }

  int CH = bh + L->Height() + kBelowLabel;
  int CW = W < R ? R + kClientBeyondRow : W + kClientBeyondRow;

  if (Kind != bkWide && ShowAgainFlag) {
    CH += kCheckExtra;
    auto* CB = new TbsSkinCheckRadioBox(F.get());
    F->DisplayCheckBox = CB;
    CB->SetName(u"checkbox");
    CB->SetDefaultHeight(kCheckHeight);
    CB->SetChecked(!ShowAgainFlagValue);
    CB->SetParent(F.get());
    CB->SetDefaultFont(FDefaultFont.get());
    CB->UseSkinFont = UseSkinFont;
    CB->SetSkinData(FCtrlSD);
    const int T = CH - bh - kBelowLabel;
    if (FCtrlSD && FCtrlSD->ResourceStrData()) {
      CB->SetCaption(FCtrlSD->ResourceStrData()->GetResStr(u"MSG_CAP_SHOWFLAG"));
      if (CB->Caption().empty()) CB->SetCaption(kShowAgainText);
    } else {
      CB->SetCaption(kShowAgainText);
    }
    gdi::TBitmap Measure(1, 1);  // the form has no device context before it is shown
    gdi::TCanvas* C = Measure.Canvas();
    if (CB->SkinIndex() != -1 && UseSkinFont) {
      C->Font()->SetName(CB->SkinFontName());
      C->Font()->SetHeight(CB->SkinFontHeight());
    } else {
      C->Font()->Assign(FDefaultFont.get());
    }
    const int w = C->TextWidth(CB->Caption());
    CW = std::max(CW, w + kClientBeyondCheck);
    CB->SetBounds(kCheckLeft, T, w + kCheckBeyondText, CB->DefaultHeight());
  }

  F->HandleNeeded();  // the client size is measured inside the skinned frame
  F->SetClientSize(CW, CH);
  if (F->BSF->GetMaxWidth() < F->Width())
    F->SetWidth(F->BSF->GetMaxWidth());
  else if (F->Width() < F->BSF->GetMinWidth())
    F->SetWidth(F->BSF->GetMinWidth());

  const TMsgDlgBtn DefaultBtn = Buttons.Contains(mbOK) ? mbOK : Buttons.Contains(mbYes) ? mbYes : mbRetry;
  const TMsgDlgBtn CancelBtn = Buttons.Contains(mbCancel) ? mbCancel : Buttons.Contains(mbNo) ? mbNo : mbOK;
  int x = (F->ClientWidth() - W) / 2;
  const int top = F->ClientHeight() - bh - kRowBottom;
  for (int i = 0; i <= int(mbClose); ++i) {
    const auto Btn = TMsgDlgBtn(i);
    if (!Buttons.Contains(Btn)) continue;
    auto* B = new TbsSkinButton(F.get());
    B->SetParent(F.get());
    B->SetName(kButtons[i].Name);
    B->SetCanFocused(true);
    B->SetCaption(MessageButtonCaption(Btn, FCtrlSD));
    B->ModalResult = kButtons[i].ModalResult;
    if (Btn == DefaultBtn) B->SetDefault(true);
    if (Btn == CancelBtn) B->Cancel = true;
    B->SetDefaultHeight(bh);
    B->SetBounds(x, top, kButtonWidth, bh);
    B->SetDefaultFont(FDefaultButtonFont.get());
    B->UseSkinFont = UseSkinFont;
    if (Btn == mbHelp) {
      TbsMessageForm* Form = F.get();
      B->OnClick = [Form](TObject* S) { Form->HelpButtonClick(S); };
    }
    x += kButtonWidth + kButtonGap;
    B->SetSkinDataName(ButtonSkinDataName);
    B->SetSkinData(FCtrlSD);
  }
  return F.release();
}

int TbsSkinMessage::Run(TbsMessageForm* Form, int HelpCtx, const String* HelpFileName, bool PosEvent,
                        bool UpdateFlag) {
  std::unique_ptr<TbsMessageForm, rtl::TComponentFree> F(Form);
  forms::TLiveness Live = F->Liveness();
  auto Finish = [&] {
    if (!Live.Alive()) {
      (void)F.release();
      return;
    }
    if (UpdateFlag && F->DisplayCheckBox) ShowAgainFlagValue = !F->DisplayCheckBox->Checked();
  };
  int Result = forms::mrCancel;
  try {
    F->HelpContext = HelpCtx;
    if (HelpFileName) F->SetHelpFile(*HelpFileName);
    if (PosEvent && OnSetShowPos) {
      int AX = F->Left(), AY = F->Top();
      OnSetShowPos(AX, AY, F->Width(), F->Height());
      F->SetLeft(AX);
      F->SetTop(AY);
    }
    Result = F->ShowModal();
  } catch (...) {
    Finish();
    throw;
  }
  Finish();
  return Result;
}

int TbsSkinMessage::MessageDlg(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx) {
  return Run(BuildForm(bkType, Msg, {}, DlgType, nullptr, 0, Buttons, -10001, -10001), HelpCtx, nullptr, false,
             true);
}

int TbsSkinMessage::MessageDlgPos(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx,
                                  int X, int Y) {
  return Run(BuildForm(bkType, Msg, {}, DlgType, nullptr, 0, Buttons, X, Y), HelpCtx, nullptr, true, true);
}

int TbsSkinMessage::MessageDlgHelp(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx,
                                   const String& HelpFileName) {
  return Run(BuildForm(bkType, Msg, {}, DlgType, nullptr, 0, Buttons, -10001, -10001), HelpCtx, &HelpFileName,
             false, true);
}

int TbsSkinMessage::MessageDlg2(const String& Msg, const String& ACaption, TMsgDlgType DlgType,
                                TMsgDlgButtons Buttons, int HelpCtx) {
  return Run(BuildForm(bkCaptioned, Msg, ACaption, DlgType, nullptr, 0, Buttons, -10001, -10001), HelpCtx,
             nullptr, false, true);
}

int TbsSkinMessage::MessageDlgHelp2(const String& Msg, const String& ACaption, TMsgDlgType DlgType,
                                    TMsgDlgButtons Buttons, int HelpCtx, const String& HelpFileName) {
  return Run(BuildForm(bkCaptioned, Msg, ACaption, DlgType, nullptr, 0, Buttons, -10001, -10001), HelpCtx,
             &HelpFileName, false, true);
}

int TbsSkinMessage::CustomMessageDlg(const String& Msg, const String& ACaption, forms::TCustomImageList* AImages,
                                     int AImageIndex, TMsgDlgButtons Buttons, int HelpCtx) {
  return Run(BuildForm(bkCustom, Msg, ACaption, mtCustom, AImages, AImageIndex, Buttons, -10001, -10001), HelpCtx,
             nullptr, false, true);
}

int TbsSkinMessage::CustomMessageDlgPos(const String& Msg, const String& ACaption,
                                        forms::TCustomImageList* AImages, int AImageIndex, TMsgDlgButtons Buttons,
                                        int HelpCtx, int X, int Y) {
  return Run(BuildForm(bkCustom, Msg, ACaption, mtCustom, AImages, AImageIndex, Buttons, X, Y), HelpCtx, nullptr,
             true, true);
}

int TbsSkinMessage::CustomMessageDlgHelp(const String& Msg, const String& ACaption,
                                         forms::TCustomImageList* AImages, int AImageIndex, TMsgDlgButtons Buttons,
                                         int HelpCtx, const String& HelpFileName) {
  return Run(BuildForm(bkCustom, Msg, ACaption, mtCustom, AImages, AImageIndex, Buttons, -10001, -10001), HelpCtx,
             &HelpFileName, false, true);
}

int TbsSkinMessage::WideMessageDlg(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx) {
  return Run(BuildForm(bkWide, Msg, {}, DlgType, nullptr, 0, Buttons, -10001, -10001), HelpCtx, nullptr, false,
             false);
}

int TbsSkinMessage::WideMessageDlgPos(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx,
                                      int X, int Y) {
  return Run(BuildForm(bkWide, Msg, {}, DlgType, nullptr, 0, Buttons, X, Y), HelpCtx, nullptr, false, false);
}

int ShowSkinMessage(TbsSkinMessage* Messages, const String& Msg) {
  return Messages->MessageDlg2(Msg, u"提示", mtInformation, {mbOK}, 0);
}

}  // namespace skin
