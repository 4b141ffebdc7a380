#include "tools/tvlSkinRects.h"

namespace tools {

using namespace skin;

namespace {

class Collector {
 public:
  Collector(std::vector<NamedRect>& out, int picture) : out_(out), picture_(picture) {}
  Collector& Pic(const char* key, const rtl::TRect& r) { return Add(key, r, picture_); }
  Collector& Rel(const char* key, const rtl::TRect& r) { return Add(key, r, kRelative); }
  Collector& Add(const char* key, const rtl::TRect& r, int picture) {
    if (!r.IsEmpty()) out_.push_back({key, r, picture});
    return *this;
  }

 private:
  std::vector<NamedRect>& out_;
  int picture_;
};

}  // namespace

std::vector<NamedRect> ControlRects(const TbsDataSkinControl& d) {
  std::vector<NamedRect> out;
  Collector c(out, d.PictureIndex);
  c.Pic("skinrect", d.SkinRect);
  if (auto* x = dynamic_cast<const TbsDataSkinCustomControl*>(&d)) c.Rel("clientrect", x->ClRect);
  if (auto* x = dynamic_cast<const TbsDataSkinButtonControl*>(&d)) {
    c.Pic("activeskinrect", x->ActiveSkinRect).Pic("downskinrect", x->DownSkinRect);
    c.Pic("focusedskinrect", x->FocusedSkinRect).Pic("disabledskinrect", x->DisabledSkinRect);
    c.Pic("menumarkerflatrect", x->MenuMarkerFlatRect).Pic("menumarkerrect", x->MenuMarkerRect);
    c.Pic("menumarkeractiverect", x->MenuMarkerActiveRect).Pic("menumarkerdownrect", x->MenuMarkerDownRect);
  }
  if (auto* x = dynamic_cast<const TbsDataSkinCheckRadioControl*>(&d)) {
    c.Pic("uncheckimagerect", x->UnCheckImageRect).Pic("checkimagerect", x->CheckImageRect);
    c.Pic("activeuncheckimagerect", x->ActiveUnCheckImageRect).Pic("activecheckimagerect", x->ActiveCheckImageRect);
    c.Pic("unenableduncheckimagerect", x->UnEnabledUnCheckImageRect);
    c.Pic("unenabledcheckimagerect", x->UnEnabledCheckImageRect);
    c.Pic("grayedcheckimagerect", x->GrayedCheckImageRect);
    c.Pic("activegrayedcheckimagerect", x->ActiveGrayedCheckImageRect);
    c.Pic("activeskinrect", x->ActiveSkinRect).Rel("checkimagearea", x->CheckImageArea).Rel("textarea", x->TextArea);
  }
  if (auto* x = dynamic_cast<const TbsDataSkinPanelControl*>(&d)) {
    c.Rel("captionrect", x->CaptionRect).Pic("gripperrect", x->GripperRect);
    c.Pic("checkimagerect", x->CheckImageRect).Pic("uncheckimagerect", x->UnCheckImageRect);
  }
  if (auto* x = dynamic_cast<const TbsDataSkinEditControl*>(&d)) {
    c.Pic("activeskinrect", x->ActiveSkinRect).Rel("buttonrect", x->ButtonRect);
    c.Pic("activebuttonrect", x->ActiveButtonRect).Pic("downbuttonrect", x->DownButtonRect);
    c.Pic("unenabledbuttonrect", x->UnEnabledButtonRect);
  }
  if (auto* x = dynamic_cast<const TbsDataSkinSpinEditControl*>(&d)) {
    c.Pic("activeskinrect", x->ActiveSkinRect).Rel("upbuttonrect", x->UpButtonRect);
    c.Pic("activeupbuttonrect", x->ActiveUpButtonRect).Pic("downupbuttonrect", x->DownUpButtonRect);
    c.Rel("downbuttonrect", x->DownButtonRect).Pic("activedownbuttonrect", x->ActiveDownButtonRect);
    c.Pic("downdownbuttonrect", x->DownDownButtonRect);
  }
  if (auto* x = dynamic_cast<const TbsDataSkinListBox*>(&d)) {
    c.Pic("itemrect", x->SItemRect).Pic("activeitemrect", x->ActiveItemRect).Pic("focusitemrect", x->FocusItemRect);
    c.Add("itemtextrect", x->ItemTextRect, kRelative);
  }
  if (auto* x = dynamic_cast<const TbsDataSkinComboBox*>(&d)) {
    c.Pic("activeskinrect", x->ActiveSkinRect);
    c.Pic("itemrect", x->SItemRect).Pic("activeitemrect", x->ActiveItemRect).Pic("focusitemrect", x->FocusItemRect);
    c.Rel("buttonrect", x->ButtonRect).Pic("activebuttonrect", x->ActiveButtonRect);
    c.Pic("downbuttonrect", x->DownButtonRect).Pic("unenabledbuttonrect", x->UnEnabledButtonRect);
  }
  if (auto* x = dynamic_cast<const TbsDataSkinScrollBarControl*>(&d)) {
    c.Rel("trackarea", x->TrackArea).Rel("upbuttonrect", x->UpButtonRect).Rel("downbuttonrect", x->DownButtonRect);
    c.Pic("activeupbuttonrect", x->ActiveUpButtonRect).Pic("downupbuttonrect", x->DownUpButtonRect);
    c.Pic("activedownbuttonrect", x->ActiveDownButtonRect).Pic("downdownbuttonrect", x->DownDownButtonRect);
    c.Pic("thumbrect", x->ThumbRect).Pic("activethumbrect", x->ActiveThumbRect).Pic("downthumbrect", x->DownThumbRect);
    c.Pic("glyphrect", x->GlyphRect).Pic("activeglyphrect", x->ActiveGlyphRect).Pic("downglyphrect", x->DownGlyphRect);
  }
  if (auto* x = dynamic_cast<const TbsDataSkinUpDownControl*>(&d)) {
    c.Rel("upbuttonrect", x->UpButtonRect).Pic("activeupbuttonrect", x->ActiveUpButtonRect);
    c.Pic("downupbuttonrect", x->DownUpButtonRect).Rel("downbuttonrect", x->DownButtonRect);
    c.Pic("activedownbuttonrect", x->ActiveDownButtonRect).Pic("downdownbuttonrect", x->DownDownButtonRect);
  }
  if (auto* x = dynamic_cast<const TbsDataSkinGaugeControl*>(&d))
    c.Rel("progressarea", x->ProgressArea).Pic("progressrect", x->ProgressRect);
  if (auto* x = dynamic_cast<const TbsDataSkinSplitterControl*>(&d)) c.Pic("gripperrect", x->GripperRect);
  if (auto* x = dynamic_cast<const TbsDataSkinSlider*>(&d)) {
    c.Pic("hrulerrect", x->HRulerRect).Pic("hthumbrect", x->HThumbRect);
    c.Pic("vrulerrect", x->VRulerRect).Pic("vthumbrect", x->VThumbRect);
  }
  if (auto* x = dynamic_cast<const TbsDataSkinTabControl*>(&d)) {
    c.Pic("tabrect", x->TabRect).Pic("mouseintabrect", x->MouseInTabRect).Pic("activetabrect", x->ActiveTabRect);
    c.Pic("focustabrect", x->FocusTabRect).Pic("tabsbgrect", x->TabsBGRect).Rel("clientrect", x->ClRect);
  }
  if (auto* x = dynamic_cast<const TbsDataSkinMainMenuBar*>(&d)) c.Rel("itemsrect", x->ItemsRect);
  return out;
}

std::vector<NamedRect> ObjectRects(const TbsDataSkinObject& d) {
  std::vector<NamedRect> out;
  Collector c(out, d.ActivePictureIndex);
  if (dynamic_cast<const TbsDataUserObject*>(&d)) {
    c.Add("skinrect", d.SkinRect, kFramePicture);
    return out;
  }
  c.Add("skinrect", d.SkinRect, d.SkinRectInAPicture ? d.ActivePictureIndex : kFramePicture);
  c.Pic("activeskinrect", d.ActiveSkinRect);
  if (auto* x = dynamic_cast<const TbsDataSkinButton*>(&d)) c.Pic("downrect", x->DownRect);
  c.Pic("inactiveskinrect", d.InActiveSkinRect);
  if (auto* x = dynamic_cast<const TbsDataSkinButton*>(&d)) c.Pic("disableskinrsect", x->DisableSkinRect);
  if (auto* x = dynamic_cast<const TbsDataSkinStdButton*>(&d)) {
    c.Pic("restorerect", x->RestoreRect).Pic("restoreactiverect", x->RestoreActiveRect);
    c.Pic("restoredownrect", x->RestoreDownRect).Pic("restoreinactiverect", x->RestoreInActiveRect);
  }
  if (auto* x = dynamic_cast<const TbsDataSkinMenuItem*>(&d)) {
    c.Pic("dividerrect", x->DividerRect).Rel("textrect", x->TextRct).Rel("imagerect", x->ImageRct);
    c.Pic("checkimagerect", x->CheckImageRect).Pic("activecheckimagerect", x->ActiveCheckImageRect);
    c.Pic("radioimagerect", x->RadioImageRect).Pic("activeradioimagerect", x->ActiveRadioImageRect);
    c.Pic("arrowimagerect", x->ArrowImageRect).Pic("activearrowimagerect", x->ActiveArrowImageRect);
  }
  if (auto* x = dynamic_cast<const TbsDataSkinMainMenuItem*>(&d))
    c.Pic("downrect", x->DownRect).Rel("textrect", x->TextRct);
  if (auto* x = dynamic_cast<const TbsDataSkinCaption*>(&d)) c.Rel("textrect", x->TextRct);
  return out;
}

}  // namespace tools
