// Skinned message boxes.
//
// TbsSkinMessage is placed on a form (or made for one question) and keeps the
// caller's settings; each of its routines builds a TbsMessageForm in code:
// a type icon or an image-list picture at the left, the message label, an
// optional "Do not display this message again" check box and a row of
// buttons in the fixed table order, under a skinned frame without caption
// buttons. The form is shown modally and freed in the same call, also when
// an exception passes; the routine returns its modal result (2 when it was
// closed without a button).
//
// Texts come from the ResourceStrData of CtrlSkinData when it has one (an
// absent key gives an empty caption), otherwise from the built-in defaults.
// GUI thread only.
#pragma once

#include <functional>
#include <memory>

#include "platform/forms/ExtCtrls.h"
#include "platform/forms/Forms.h"
#include "platform/forms/ImgList.h"
#include "skin/controls/bsSkinButtons.h"
#include "skin/controls/bsSkinCheckRadio.h"
#include "skin/controls/bsSkinLabels.h"
#include "skin/data/bsSkinData.h"
#include "skin/forms/bsBusinessSkinForm.h"

namespace skin {

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn {
  mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp, mbClose
};
using TMsgDlgButtons = rtl::TSet<TMsgDlgBtn>;

// The button table, one row per button in left-to-right order.
struct TbsMsgButtonInfo {
  const char16_t* Name;
  const char16_t* Key;
  const char16_t* DefaultCaption;
  int ModalResult;
};
const TbsMsgButtonInfo& MessageButtonInfo(TMsgDlgBtn Btn);

// Captions of a button and of a message type, from the skin's texts when
// SD has them, else the defaults (mtCustom: empty).
String MessageButtonCaption(TMsgDlgBtn Btn, TbsSkinData* SD);
String MessageTypeCaption(TMsgDlgType DlgType, TbsSkinData* SD);

// The form of one message. Everything on it is owned by it.
class TbsMessageForm : public forms::TForm {
 public:
  // X below -10000 centres the form on the screen; otherwise it is placed at X, Y.
  TbsMessageForm(TComponent* AOwner, int X, int Y);

  TbsBusinessSkinForm* BSF = nullptr;
  TbsSkinCheckRadioBox* DisplayCheckBox = nullptr;
  TbsSkinStdLabel* Message = nullptr;
  forms::TImage* Image = nullptr;  // none for an image-list picture out of range
  int HelpContext = 0;

  // The Help button: shows the help topic HelpContext; the form stays open.
  void HelpButtonClick(TObject* Sender);
  // The button made for Btn, or null.
  TbsSkinButton* Button(TMsgDlgBtn Btn) const;
};

// The help request of a Help button: the help file (the form's, else the
// application's) and the topic number. The default opens the file with the
// desktop's viewer; tests replace it.
using TbsHelpHandler = std::function<void(const String& HelpFile, int HelpContext)>;
void SetMessageHelpHandler(TbsHelpHandler Handler);

using TbsMessageSetShowPosEvent = std::function<void(int& AX, int& AY, int AWidth, int AHeight)>;

class TbsSkinMessage : public rtl::TComponent {
 public:
  explicit TbsSkinMessage(TComponent* AOwner);
  ~TbsSkinMessage() override;
  void Notification(TComponent* AComponent, rtl::TOperation Operation) override;

  TbsSkinData* SkinData() const { return FSD; }
  void SetSkinData(TbsSkinData* Value);
  TbsSkinData* CtrlSkinData() const { return FCtrlSD; }
  void SetCtrlSkinData(TbsSkinData* Value);
  gdi::TFont* DefaultFont() { return FDefaultFont.get(); }
  void SetDefaultFont(gdi::TFont* Value) { FDefaultFont->Assign(Value); }
  gdi::TFont* DefaultButtonFont() { return FDefaultButtonFont.get(); }
  void SetDefaultButtonFont(gdi::TFont* Value) { FDefaultButtonFont->Assign(Value); }

  String ButtonSkinDataName = u"button";
  String MessageLabelSkinDataName = u"stdlabel";
  bool UseSkinFont = true;
  bool AlphaBlend = false;
  bool AlphaBlendAnimation = false;
  int AlphaBlendValue = 200;
  bool ShowAgainFlag = false;
  bool ShowAgainFlagValue = false;
  TbsMessageSetShowPosEvent OnSetShowPos;

  int MessageDlg(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx);
  int MessageDlgPos(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx, int X, int Y);
  int MessageDlgHelp(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx,
                     const String& HelpFileName);
  int MessageDlg2(const String& Msg, const String& ACaption, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                  int HelpCtx);
  int MessageDlgHelp2(const String& Msg, const String& ACaption, TMsgDlgType DlgType, TMsgDlgButtons Buttons,
                      int HelpCtx, const String& HelpFileName);
  int CustomMessageDlg(const String& Msg, const String& ACaption, forms::TCustomImageList* AImages,
                       int AImageIndex, TMsgDlgButtons Buttons, int HelpCtx);
  int CustomMessageDlgPos(const String& Msg, const String& ACaption, forms::TCustomImageList* AImages,
                          int AImageIndex, TMsgDlgButtons Buttons, int HelpCtx, int X, int Y);
  int CustomMessageDlgHelp(const String& Msg, const String& ACaption, forms::TCustomImageList* AImages,
                           int AImageIndex, TMsgDlgButtons Buttons, int HelpCtx, const String& HelpFileName);
  int WideMessageDlg(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx);
  int WideMessageDlgPos(const String& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx, int X,
                        int Y);

  // The form builders, with this component's settings; the form is not shown.
  enum TbsBuildKind { bkType, bkCaptioned, bkCustom, bkWide };
  TbsMessageForm* BuildForm(TbsBuildKind Kind, const String& Msg, const String& ACaption, TMsgDlgType DlgType,
                            forms::TCustomImageList* AImages, int AImageIndex, TMsgDlgButtons Buttons, int X,
                            int Y);

 private:
  int Run(TbsMessageForm* F, int HelpCtx, const String* HelpFileName, bool PosEvent, bool UpdateFlag);

  TbsSkinData* FSD = nullptr;
  TbsSkinData* FCtrlSD = nullptr;
  std::unique_ptr<gdi::TFont> FDefaultFont, FDefaultButtonFont;
};

// The program's message: the caption "提示", an information icon and one OK
// button, through a TbsSkinMessage (the main window's); Msg is shown as it is.
int ShowSkinMessage(TbsSkinMessage* Messages, const String& Msg);

}  // namespace skin
