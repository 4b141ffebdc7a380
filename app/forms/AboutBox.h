// The About box "关于软件": product name, logo and version, the maker's web
// site and support mail as links, and "确定". Created once at start-up with
// the main window's skin data and shown modally from the help menu.
//
// GUI thread only.
#pragma once

#include "platform/forms/ExtCtrls.h"
#include "platform/forms/Forms.h"
#include "skin/controls/bsSkinButtons.h"
#include "skin/controls/bsSkinLabels.h"
#include "skin/controls/bsSkinLinkLabel.h"
#include "skin/controls/bsSkinPanels.h"
#include "skin/data/bsSkinData.h"
#include "skin/forms/bsBusinessSkinForm.h"

namespace appforms {

inline constexpr char16_t kProductName[] = u"TavrelAndroid手机视频转换器";
inline constexpr char16_t kProductVersion[] = u"Ver:14.0.0.0";
// The maker's web site and contact mail address.
inline constexpr char16_t kMakerWebSite[] = u"http://www.tavrel.com/";
inline constexpr char16_t kMakerMail[] = u"support@tavrel.com";

class TForm2 : public forms::TForm {
 public:
  // SkinData: the main window's skin data, used by the frame and every
  // skinned control (nullptr: the plain look).
  TForm2(rtl::TComponent* AOwner, skin::TbsSkinData* SkinData);

  // Shows the box modally; returns when "确定" or the frame closes it.
  int Execute() { return ShowModal(); }

  // "确定": closes the box.
  void bsSkinButton1Click(rtl::TObject* Sender);

  skin::TbsBusinessSkinForm* bsBusinessSkinForm1 = nullptr;
  skin::TbsSkinPanel* bsSkinPanel1 = nullptr;
  skin::TbsSkinStdLabel* bsSkinStdLabel1 = nullptr;  // product name
  forms::TImage* Image1 = nullptr;                   // logo
  skin::TbsSkinStdLabel* bsSkinStdLabel2 = nullptr;  // version
  skin::TbsSkinStdLabel* bsSkinStdLabel3 = nullptr;  // "官方网站："
  skin::TbsSkinLinkLabel* bsSkinLinkLabel1 = nullptr;
  skin::TbsSkinStdLabel* bsSkinStdLabel4 = nullptr;  // "支持E-Mail："
  skin::TbsSkinLinkLabel* bsSkinLinkLabel2 = nullptr;
  skin::TbsSkinButton* bsSkinButton1 = nullptr;      // "确定"
};

// The form description (AboutBoxLayout.cpp).
void BuildForm2(TForm2* Form, skin::TbsSkinData* SkinData);

}  // namespace appforms
