#include "skin/data/bsSkinDataControls.h"

#include <functional>
#include <utility>
#include <vector>

#include "skin/data/bsSkinKeys.h"

namespace skin {

using namespace keys;

#define FONT_KEYS(C)                                                                              \
  Str<C>(u"fontname", &C::FontName, u"Arial"), Int<C>(u"fontheight", &C::FontHeight, 14),        \
      Style<C>(u"fontstyle", &C::FontStyle), Int<C>(u"fontcolor", &C::FontColor)

#define SKIN_KEYS_IMPL(Class, Parent, ...)                                        \
  static const TbsSkinKeys<Class>& Class##Keys() {                                \
    using C = Class;                                                              \
    static const TbsSkinKeys<C> keys{__VA_ARGS__};                                \
    return keys;                                                                  \
  }                                                                               \
  void Class::LoadFromFile(TCustomIniFile& IniFile) {                       \
    Parent::LoadFromFile(IniFile);                                                \
    ReadKeys(*this, IniFile, IDName, Class##Keys());                              \
  }                                                                               \
  void Class::SaveToFile(TCustomIniFile& IniFile) {                               \
    Parent::SaveToFile(IniFile);                                                  \
    WriteKeys(*this, IniFile, IDName, Class##Keys());                             \
  }

static const TbsSkinKeys<TbsDataSkinControl>& BaseKeys() {
  using C = TbsDataSkinControl;
  static const TbsSkinKeys<C> keys{Int<C>(u"pictureindex", &C::PictureIndex, -1),
                                   Int<C>(u"maskpictureindex", &C::MaskPictureIndex, -1),
                                   Rect<C>(u"skinrect", &C::SkinRect)};
  return keys;
}

void TbsDataSkinControl::LoadFromFile(TCustomIniFile& IniFile) { ReadKeys(*this, IniFile, IDName, BaseKeys()); }

void TbsDataSkinControl::SaveToFile(TCustomIniFile& IniFile) {
  IniFile.EraseSection(IDName);
  WriteKeys(*this, IniFile, IDName, BaseKeys());
}

SKIN_KEYS_IMPL(TbsDataSkinCustomControl, TbsDataSkinControl,
               Point<C>(u"lefttoppoint", &C::LTPoint), Point<C>(u"righttoppoint", &C::RTPoint),
               Point<C>(u"leftbottompoint", &C::LBPoint), Point<C>(u"rightbottompoint", &C::RBPoint),
               Rect<C>(u"clientrect", &C::ClRect), Bool<C>(u"leftstretch", &C::LeftStretch),
               Bool<C>(u"topstretch", &C::TopStretch), Bool<C>(u"rightstretch", &C::RightStretch),
               Bool<C>(u"bottomstretch", &C::BottomStretch), Bool<C>(u"stretcheffect", &C::StretchEffect),
               Stretch<C>(u"stretchtype", &C::StretchType))

SKIN_KEYS_IMPL(TbsDataSkinBevel, TbsDataSkinControl, Int<C>(u"lightcolor", &C::LightColor),
               Int<C>(u"darkcolor", &C::DarkColor))

template <int Kind>
static const TbsSkinKeys<TbsDataSkinTextViewControl<Kind>>& TextViewKeys() {
  using C = TbsDataSkinTextViewControl<Kind>;
  static const TbsSkinKeys<C> keys{FONT_KEYS(C), Int<C>(u"bgcolor", &C::BGColor)};
  return keys;
}

template <int Kind>
void TbsDataSkinTextViewControl<Kind>::LoadFromFile(TCustomIniFile& IniFile) {
  TbsDataSkinControl::LoadFromFile(IniFile);
  ReadKeys(*this, IniFile, this->IDName, TextViewKeys<Kind>());
}

template <int Kind>
void TbsDataSkinTextViewControl<Kind>::SaveToFile(TCustomIniFile& IniFile) {
  TbsDataSkinControl::SaveToFile(IniFile);
  WriteKeys(*this, IniFile, this->IDName, TextViewKeys<Kind>());
}

template class TbsDataSkinTextViewControl<0>;
template class TbsDataSkinTextViewControl<1>;
template class TbsDataSkinTextViewControl<2>;

SKIN_KEYS_IMPL(TbsDataSkinSlider, TbsDataSkinControl, Int<C>(u"bgcolor", &C::BGColor),
               Rect<C>(u"hrulerrect", &C::HRulerRect), Rect<C>(u"hthumbrect", &C::HThumbRect),
               Rect<C>(u"vrulerrect", &C::VRulerRect), Rect<C>(u"vthumbrect", &C::VThumbRect),
               Int<C>(u"edgesize", &C::EdgeSize), Int<C>(u"pointscolor", &C::PointsColor))

SKIN_KEYS_IMPL(TbsDataSkinStdLabelControl, TbsDataSkinControl, FONT_KEYS(C),
               Int<C>(u"activefontcolor", &C::ActiveFontColor, 16711680))

SKIN_KEYS_IMPL(TbsDataSkinMainMenuBar, TbsDataSkinControl, Rect<C>(u"itemsrect", &C::ItemsRect),
               Str<C>(u"menubaritem", &C::MenuBarItem), Str<C>(u"closebutton", &C::CloseButton),
               Str<C>(u"minbutton", &C::MinButton), Str<C>(u"maxbutton", &C::MaxButton),
               Str<C>(u"sysmenubutton", &C::SysMenuButton), Int<C>(u"trackmarkcolor", &C::TrackMarkColor),
               Int<C>(u"trackmarkactivecolor", &C::TrackMarkActiveColor),
               Bool<C>(u"stretcheffect", &C::StretchEffect), Bool<C>(u"itemtransparent", &C::ItemTransparent))

SKIN_KEYS_IMPL(TbsDataSkinTabControl, TbsDataSkinControl, Rect<C>(u"tabrect", &C::TabRect),
               Rect<C>(u"activetabrect", &C::ActiveTabRect), Rect<C>(u"focustabrect", &C::FocusTabRect),
               Rect<C>(u"mouseintabrect", &C::MouseInTabRect), Rect<C>(u"clientrect", &C::ClRect),
               Int<C>(u"bgpictureindex", &C::BGPictureIndex, -1), Point<C>(u"lefttoppoint", &C::LTPoint),
               Point<C>(u"righttoppoint", &C::RTPoint), Point<C>(u"leftbottompoint", &C::LBPoint),
               Point<C>(u"rightbottompoint", &C::RBPoint), Int<C>(u"tableftoffset", &C::TabLeftOffset),
               Int<C>(u"tabrightoffset", &C::TabRightOffset), Rect<C>(u"tabsbgrect", &C::TabsBGRect),
               Bool<C>(u"tabstretcheffect", &C::TabStretchEffect), Bool<C>(u"leftstretch", &C::LeftStretch),
               Bool<C>(u"topstretch", &C::TopStretch), Bool<C>(u"rightstretch", &C::RightStretch),
               Bool<C>(u"bottomstretch", &C::BottomStretch), Bool<C>(u"stretcheffect", &C::StretchEffect),
               Stretch<C>(u"stretchtype", &C::StretchType), FONT_KEYS(C),
               Int<C>(u"activefontcolor", &C::ActiveFontColor), Int<C>(u"focusfontcolor", &C::FocusFontColor),
               Int<C>(u"mouseinfontcolor", &C::MouseInFontColor), Str<C>(u"updown", &C::UpDown),
               Bool<C>(u"showfocus", &C::ShowFocus), Int<C>(u"focusoffsetx", &C::FocusOffsetX),
               Int<C>(u"focusoffsety", &C::FocusOffsetY), Rect<C>(u"closebuttonrect", &C::CloseButtonRect),
               Rect<C>(u"closebuttonactiverect", &C::CloseButtonActiveRect),
               Rect<C>(u"closebuttondownrect", &C::CloseButtonDownRect),
               Bool<C>(u"buttontransparent", &C::ButtonTransparent),
               Int<C>(u"buttontransparentcolor", &C::ButtonTransparentColor))

SKIN_KEYS_IMPL(TbsDataSkinGridControl, TbsDataSkinControl, Rect<C>(u"fixedcellrect", &C::FixedCellRect),
               Rect<C>(u"selectcellrect", &C::SelectCellRect), Rect<C>(u"focuscellrect", &C::FocusCellRect),
               Int<C>(u"fixedcellleftoffset", &C::FixedCellLeftOffset),
               Int<C>(u"fixedcellrightoffset", &C::FixedCellRightOffset),
               Rect<C>(u"fixedcelltextrect", &C::FixedCellTextRect),
               Int<C>(u"cellleftoffset", &C::CellLeftOffset), Int<C>(u"cellrightoffset", &C::CellRightOffset),
               Rect<C>(u"celltextrect", &C::CellTextRect), Int<C>(u"linescolor", &C::LinesColor),
               Int<C>(u"bgcolor", &C::BGColor), Int<C>(u"bgpictureindex", &C::BGPictureIndex, -1), FONT_KEYS(C),
               Int<C>(u"selectfontcolor", &C::SelectFontColor), Int<C>(u"focusfontcolor", &C::FocusFontColor),
               Str<C>(u"fixedfontname", &C::FixedFontName, u"Arial"),
               Int<C>(u"fixedfontheight", &C::FixedFontHeight, 14),
               Style<C>(u"fixedfontstyle", &C::FixedFontStyle), Int<C>(u"fixedfontcolor", &C::FixedFontColor),
               Bool<C>(u"cellstretcheffect", &C::CellStretchEffect),
               Bool<C>(u"fixedcellstretcheffect", &C::FixedCellStretchEffect),
               Bool<C>(u"showfocus", &C::ShowFocus))

SKIN_KEYS_IMPL(TbsDataSkinButtonControl, TbsDataSkinCustomControl, FONT_KEYS(C),
               Int<C>(u"activefontcolor", &C::ActiveFontColor), Int<C>(u"downfontcolor", &C::DownFontColor),
               Int<C>(u"disabledfontcolor", &C::DisabledFontColor),
               Rect<C>(u"activeskinrect", &C::ActiveSkinRect), Rect<C>(u"downskinrect", &C::DownSkinRect),
               Rect<C>(u"focusedskinrect", &C::FocusedSkinRect),
               Rect<C>(u"disabledskinrect", &C::DisabledSkinRect), Bool<C>(u"morphing", &C::Morphing),
               Morph<C>(u"morphkind", &C::MorphKind), Rect<C>(u"animateskinrect", &C::AnimateSkinRect),
               Int<C>(u"framecount", &C::FrameCount), Int<C>(u"animateinterval", &C::AnimateInterval, 25),
               Bool<C>(u"showfocus", &C::ShowFocus), Rect<C>(u"menumarkerflatrect", &C::MenuMarkerFlatRect),
               Rect<C>(u"menumarkerrect", &C::MenuMarkerRect),
               Rect<C>(u"menumarkeractiverect", &C::MenuMarkerActiveRect),
               Rect<C>(u"menumarkerdownrect", &C::MenuMarkerDownRect),
               Int<C>(u"menumarkertransparentcolor", &C::MenuMarkerTransparentColor),
               Int<C>(u"glowlayerpictureindex", &C::GlowLayerPictureIndex, -1),
               Int<C>(u"glowlayermaskpictureindex", &C::GlowLayerMaskPictureIndex, -1),
               Int<C>(u"glowlayeroffsetleft", &C::GlowLayerOffsetLeft),
               Int<C>(u"glowlayeroffsetright", &C::GlowLayerOffsetRight),
               Int<C>(u"glowlayeroffsettop", &C::GlowLayerOffsetTop),
               Int<C>(u"glowlayeroffsetbottom", &C::GlowLayerOffsetBottom),
               Int<C>(u"glowlayershowoffsetx", &C::GlowLayerShowOffsetX),
               Int<C>(u"glowlayershowoffsety", &C::GlowLayerShowOffsetY),
               Int<C>(u"glowlayeralphablendvalue", &C::GlowLayerAlphaBlendValue, 255))

SKIN_KEYS_IMPL(TbsDataSkinMenuButtonControl, TbsDataSkinButtonControl,
               Rect<C>(u"trackbuttonrect", &C::TrackButtonRect))

SKIN_KEYS_IMPL(TbsDataSkinCheckRadioControl, TbsDataSkinCustomControl, FONT_KEYS(C),
               Int<C>(u"framefontcolor", &C::FrameFontColor), Int<C>(u"activefontcolor", &C::ActiveFontColor),
               Int<C>(u"unenabledfontcolor", &C::UnEnabledFontColor),
               Rect<C>(u"activeskinrect", &C::ActiveSkinRect), Rect<C>(u"checkimagearea", &C::CheckImageArea),
               Rect<C>(u"textarea", &C::TextArea), Rect<C>(u"checkimagerect", &C::CheckImageRect),
               Rect<C>(u"uncheckimagerect", &C::UnCheckImageRect),
               Rect<C>(u"activecheckimagerect", &C::ActiveCheckImageRect),
               Rect<C>(u"activeuncheckimagerect", &C::ActiveUnCheckImageRect),
               Rect<C>(u"unenabledcheckimagerect", &C::UnEnabledCheckImageRect),
               Rect<C>(u"unenableduncheckimagerect", &C::UnEnabledUnCheckImageRect),
               Rect<C>(u"grayedcheckimagerect", &C::GrayedCheckImageRect),
               Rect<C>(u"activegrayedcheckimagerect", &C::ActiveGrayedCheckImageRect),
               Bool<C>(u"morphing", &C::Morphing), Morph<C>(u"morphkind", &C::MorphKind))

SKIN_KEYS_IMPL(TbsDataSkinPanelControl, TbsDataSkinCustomControl,
               Int<C>(u"bgpictureindex", &C::BGPictureIndex, -1), Rect<C>(u"captionrect", &C::CaptionRect),
               Align<C>(u"alignment", &C::Alignment), FONT_KEYS(C),
               Rect<C>(u"checkimagerect", &C::CheckImageRect), Rect<C>(u"uncheckimagerect", &C::UnCheckImageRect),
               Rect<C>(u"markframerect", &C::MarkFrameRect), Rect<C>(u"framerect", &C::FrameRect),
               Rect<C>(u"frametextrect", &C::FrameTextRect), Int<C>(u"frameleftoffset", &C::FrameLeftOffset),
               Int<C>(u"framerightoffset", &C::FrameRightOffset), Rect<C>(u"gripperrect", &C::GripperRect),
               Bool<C>(u"grippertransparent", &C::GripperTransparent),
               Int<C>(u"grippertransparentcolor", &C::GripperTransparentColor))

SKIN_KEYS_IMPL(TbsDataSkinExPanelControl, TbsDataSkinCustomControl,
               Rect<C>(u"rollhskinrect", &C::RollHSkinRect), Rect<C>(u"rollvskinrect", &C::RollVSkinRect),
               Int<C>(u"rollleftoffset", &C::RollLeftOffset), Int<C>(u"rollrightoffset", &C::RollRightOffset),
               Int<C>(u"rolltopoffset", &C::RollTopOffset), Int<C>(u"rollbottomoffset", &C::RollBottomOffset),
               Rect<C>(u"rollvcaptionrect", &C::RollVCaptionRect),
               Rect<C>(u"rollhcaptionrect", &C::RollHCaptionRect),
               Rect<C>(u"closebuttonrect", &C::CloseButtonRect),
               Rect<C>(u"closebuttonactiverect", &C::CloseButtonActiveRect),
               Rect<C>(u"closebuttondownrect", &C::CloseButtonDownRect),
               Rect<C>(u"hrollbuttonrect", &C::HRollButtonRect),
               Rect<C>(u"hrollbuttonactiverect", &C::HRollButtonActiveRect),
               Rect<C>(u"hrollbuttondownrect", &C::HRollButtonDownRect),
               Rect<C>(u"hrestorebuttonrect", &C::HRestoreButtonRect),
               Rect<C>(u"hrestorebuttonactiverect", &C::HRestoreButtonActiveRect),
               Rect<C>(u"hrestorebuttondownrect", &C::HRestoreButtonDownRect),
               Rect<C>(u"vrollbuttonrect", &C::VRollButtonRect),
               Rect<C>(u"vrollbuttonactiverect", &C::VRollButtonActiveRect),
               Rect<C>(u"vrollbuttondownrect", &C::VRollButtonDownRect),
               Rect<C>(u"vrestorebuttonrect", &C::VRestoreButtonRect),
               Rect<C>(u"vrestorebuttonactiverect", &C::VRestoreButtonActiveRect),
               Rect<C>(u"vrestorebuttondownrect", &C::VRestoreButtonDownRect),
               Rect<C>(u"captionrect", &C::CaptionRect), FONT_KEYS(C),
               Bool<C>(u"buttonstransparent", &C::ButtonsTransparent),
               Int<C>(u"buttonstransparentcolor", &C::ButtonsTransparentColor))

SKIN_KEYS_IMPL(TbsDataSkinScrollBoxControl, TbsDataSkinCustomControl,
               Int<C>(u"bgpictureindex", &C::BGPictureIndex, -1))

SKIN_KEYS_IMPL(TbsDataSkinControlBar, TbsDataSkinCustomControl, Rect<C>(u"itemrect", &C::ItemRect),
               Int<C>(u"bgpictureindex", &C::BGPictureIndex, -1), Rect<C>(u"hgriprect", &C::HGripRect),
               Rect<C>(u"vgriprect", &C::VGripRect), Int<C>(u"gripoffset1", &C::GripOffset1),
               Int<C>(u"gripoffset2", &C::GripOffset2), Int<C>(u"itemoffset1", &C::ItemOffset1, 3),
               Int<C>(u"itemoffset2", &C::ItemOffset2, 3), Bool<C>(u"itemstretcheffect", &C::ItemStretchEffect),
               Bool<C>(u"itemtransparent", &C::ItemTransparent),
               Int<C>(u"itemtransparentcolor", &C::ItemTransparentColor),
               Bool<C>(u"griptransparent", &C::GripTransparent),
               Int<C>(u"griptransparentcolor", &C::GripTransparentColor))

SKIN_KEYS_IMPL(TbsDataSkinSplitterControl, TbsDataSkinCustomControl, Rect<C>(u"gripperrect", &C::GripperRect),
               Bool<C>(u"grippertransparent", &C::GripperTransparent),
               Int<C>(u"grippertransparentcolor", &C::GripperTransparentColor))

SKIN_KEYS_IMPL(TbsDataSkinLabelControl, TbsDataSkinCustomControl, FONT_KEYS(C))

SKIN_KEYS_IMPL(TbsDataSkinScrollBarControl, TbsDataSkinCustomControl, Rect<C>(u"trackarea", &C::TrackArea),
               Rect<C>(u"upbuttonrect", &C::UpButtonRect), Rect<C>(u"activeupbuttonrect", &C::ActiveUpButtonRect),
               Rect<C>(u"downupbuttonrect", &C::DownUpButtonRect), Rect<C>(u"downbuttonrect", &C::DownButtonRect),
               Rect<C>(u"activedownbuttonrect", &C::ActiveDownButtonRect),
               Rect<C>(u"downdownbuttonrect", &C::DownDownButtonRect), Rect<C>(u"thumbrect", &C::ThumbRect),
               Rect<C>(u"activethumbrect", &C::ActiveThumbRect), Rect<C>(u"downthumbrect", &C::DownThumbRect),
               Int<C>(u"thumboffset1", &C::ThumbOffset1), Int<C>(u"thumboffset2", &C::ThumbOffset2),
               Bool<C>(u"thumbtransparent", &C::ThumbTransparent),
               Int<C>(u"thumbtransparentcolor", &C::ThumbTransparentColor),
               Bool<C>(u"thumbstretcheffect", &C::ThumbStretchEffect), Int<C>(u"thumbminsize", &C::ThumbMinSize),
               Int<C>(u"thumbminpagesize", &C::ThumbMinPageSize), Rect<C>(u"glyphrect", &C::GlyphRect),
               Rect<C>(u"activeglyphrect", &C::ActiveGlyphRect), Rect<C>(u"downglyphrect", &C::DownGlyphRect),
               Bool<C>(u"glyphtransparent", &C::GlyphTransparent),
               Int<C>(u"glyphtransparentcolor", &C::GlyphTransparentColor))

SKIN_KEYS_IMPL(TbsDataSkinTrackBarControl, TbsDataSkinCustomControl,
               Rect<C>(u"activeskinrect", &C::ActiveSkinRect), Rect<C>(u"trackarea", &C::TrackArea),
               Rect<C>(u"buttonrect", &C::ButtonRect), Rect<C>(u"activebuttonrect", &C::ActiveButtonRect),
               Bool<C>(u"vertical", &C::Vertical), Bool<C>(u"buttontransparent", &C::ButtonTransparent),
               Int<C>(u"buttontransparentcolor", &C::ButtonTransparentColor))

SKIN_KEYS_IMPL(TbsDataSkinGaugeControl, TbsDataSkinCustomControl, Rect<C>(u"progressarea", &C::ProgressArea),
               Rect<C>(u"progressrect", &C::ProgressRect), Int<C>(u"beginoffset", &C::BeginOffset),
               Int<C>(u"endoffset", &C::EndOffset), Bool<C>(u"vertical", &C::Vertical), FONT_KEYS(C),
               Bool<C>(u"progresstransparent", &C::ProgressTransparent),
               Int<C>(u"progresstransparentcolor", &C::ProgressTransparentColor),
               Bool<C>(u"progressstretch", &C::ProgressStretch),
               Rect<C>(u"animationskinrect", &C::AnimationSkinRect),
               Int<C>(u"animationcountframes", &C::AnimationCountFrames),
               Int<C>(u"animationtimerinterval", &C::AnimationTimerInterval),
               Rect<C>(u"progressanimationskinrect", &C::ProgressAnimationSkinRect),
               Int<C>(u"progressanimationcountframes", &C::ProgressAnimationCountFrames),
               Int<C>(u"progressanimationtimerinterval", &C::ProgressAnimationTimerInterval),
               Int<C>(u"animationbeginoffset", &C::AnimationBeginOffset),
               Int<C>(u"animationendoffset", &C::AnimationEndOffset))

static const TbsSkinKeys<TbsDataSkinUpDownControl>& UpDownKeys() {
  using C = TbsDataSkinUpDownControl;
  static const TbsSkinKeys<C> keys{
      Rect<C>(u"upbuttonrect", &C::UpButtonRect),     Rect<C>(u"activeupbuttonrect", &C::ActiveUpButtonRect),
      Rect<C>(u"downupbuttonrect", &C::DownUpButtonRect), Rect<C>(u"downbuttonrect", &C::DownButtonRect),
      Rect<C>(u"activedownbuttonrect", &C::ActiveDownButtonRect),
      Rect<C>(u"downdownbuttonrect", &C::DownDownButtonRect)};
  return keys;
}

// An up-down button pair has no nine-part layout, whatever its section says.
static void ClearNinePart(TbsDataSkinCustomControl& C) {
  C.LTPoint = C.RTPoint = C.LBPoint = C.RBPoint = TPoint{};
  C.ClRect = TRect{};
}

void TbsDataSkinUpDownControl::LoadFromFile(TCustomIniFile& IniFile) {
  TbsDataSkinCustomControl::LoadFromFile(IniFile);
  ReadKeys(*this, IniFile, IDName, UpDownKeys());
  ClearNinePart(*this);
}

void TbsDataSkinUpDownControl::SaveToFile(TCustomIniFile& IniFile) {
  ClearNinePart(*this);
  TbsDataSkinCustomControl::SaveToFile(IniFile);
  WriteKeys(*this, IniFile, IDName, UpDownKeys());
}

SKIN_KEYS_IMPL(TbsDataSkinEditControl, TbsDataSkinCustomControl, Rect<C>(u"activeskinrect", &C::ActiveSkinRect),
               FONT_KEYS(C), Int<C>(u"disabledfontcolor", &C::DisabledFontColor),
               Int<C>(u"activefontcolor", &C::ActiveFontColor), Rect<C>(u"buttonrect", &C::ButtonRect),
               Rect<C>(u"activebuttonrect", &C::ActiveButtonRect), Rect<C>(u"downbuttonrect", &C::DownButtonRect),
               Rect<C>(u"unenabledbuttonrect", &C::UnEnabledButtonRect))

SKIN_KEYS_IMPL(TbsDataSkinMemoControl, TbsDataSkinEditControl, Int<C>(u"bgcolor", &C::BGColor),
               Int<C>(u"activebgcolor", &C::ActiveBGColor))

SKIN_KEYS_IMPL(TbsDataSkinSpinEditControl, TbsDataSkinCustomControl,
               Rect<C>(u"activeskinrect", &C::ActiveSkinRect), FONT_KEYS(C),
               Int<C>(u"activefontcolor", &C::ActiveFontColor), Int<C>(u"disabledfontcolor", &C::DisabledFontColor),
               Rect<C>(u"upbuttonrect", &C::UpButtonRect), Rect<C>(u"activeupbuttonrect", &C::ActiveUpButtonRect),
               Rect<C>(u"downupbuttonrect", &C::DownUpButtonRect), Rect<C>(u"downbuttonrect", &C::DownButtonRect),
               Rect<C>(u"activedownbuttonrect", &C::ActiveDownButtonRect),
               Rect<C>(u"downdownbuttonrect", &C::DownDownButtonRect))

SKIN_KEYS_IMPL(TbsDataSkinListBox, TbsDataSkinCustomControl, Rect<C>(u"itemrect", &C::SItemRect),
               Rect<C>(u"activeitemrect", &C::ActiveItemRect), Rect<C>(u"focusitemrect", &C::FocusItemRect),
               Int<C>(u"itemleftoffset", &C::ItemLeftOffset), Int<C>(u"itemrightoffset", &C::ItemRightOffset),
               Rect<C>(u"itemtextrect", &C::ItemTextRect), FONT_KEYS(C),
               Int<C>(u"activefontcolor", &C::ActiveFontColor), Int<C>(u"focusfontcolor", &C::FocusFontColor),
               Rect<C>(u"captionrect", &C::CaptionRect),
               Str<C>(u"captionfontname", &C::CaptionFontName, u"Arial"),
               Int<C>(u"captionfontheight", &C::CaptionFontHeight, 14),
               Style<C>(u"captionfontstyle", &C::CaptionFontStyle),
               Int<C>(u"captionfontcolor", &C::CaptionFontColor), Rect<C>(u"upbuttonrect", &C::UpButtonRect),
               Rect<C>(u"activeupbuttonrect", &C::ActiveUpButtonRect),
               Rect<C>(u"downupbuttonrect", &C::DownUpButtonRect), Rect<C>(u"downbuttonrect", &C::DownButtonRect),
               Rect<C>(u"activedownbuttonrect", &C::ActiveDownButtonRect),
               Rect<C>(u"downdownbuttonrect", &C::DownDownButtonRect),
               Rect<C>(u"checkbuttonrect", &C::CheckButtonRect),
               Rect<C>(u"activecheckbuttonrect", &C::ActiveCheckButtonRect),
               Rect<C>(u"downcheckbuttonrect", &C::DownCheckButtonRect),
               Str<C>(u"vscrollbarname", &C::VScrollBarName, u"vscrollbar"),
               Str<C>(u"hscrollbarname", &C::HScrollBarName, u"hscrollbar"),
               Str<C>(u"bothhscrollbarname", &C::BothScrollBarName, u"bothhscrollbar"),
               Bool<C>(u"showfocus", &C::ShowFocus), Rect<C>(u"disabledbuttonsrect", &C::DisabledButtonsRect),
               Rect<C>(u"buttonsarea", &C::ButtonsArea))

SKIN_KEYS_IMPL(TbsDataSkinCheckListBox, TbsDataSkinListBox, Rect<C>(u"itemcheckrect", &C::ItemCheckRect),
               Rect<C>(u"uncheckimagerect", &C::UnCheckImageRect), Rect<C>(u"checkimagerect", &C::CheckImageRect))

SKIN_KEYS_IMPL(TbsDataSkinComboBox, TbsDataSkinCustomControl, Rect<C>(u"activeskinrect", &C::ActiveSkinRect),
               Rect<C>(u"itemrect", &C::SItemRect), Rect<C>(u"activeitemrect", &C::ActiveItemRect),
               Rect<C>(u"focusitemrect", &C::FocusItemRect), Int<C>(u"itemleftoffset", &C::ItemLeftOffset),
               Int<C>(u"itemrightoffset", &C::ItemRightOffset), Rect<C>(u"itemtextrect", &C::ItemTextRect),
               FONT_KEYS(C), Int<C>(u"focusfontcolor", &C::FocusFontColor),
               Int<C>(u"activefontcolor", &C::ActiveFontColor), Rect<C>(u"buttonrect", &C::ButtonRect),
               Rect<C>(u"activebuttonrect", &C::ActiveButtonRect), Rect<C>(u"downbuttonrect", &C::DownButtonRect),
               Rect<C>(u"unenabledbuttonrect", &C::UnEnabledButtonRect), Str<C>(u"listboxname", &C::ListBoxName),
               Bool<C>(u"itemstretcheffect", &C::ItemStretchEffect),
               Bool<C>(u"focusitemstretcheffect", &C::FocusItemStretchEffect),
               Bool<C>(u"showfocus", &C::ShowFocus))

namespace {

template <class T>
TbsSkinKind<TbsDataSkinControl> Kind(const char16_t* kind) {
  return KindOf<TbsDataSkinControl, T>(kind);
}

// The writer's order: a class before the class it derives from.
const TbsSkinKinds<TbsDataSkinControl>& Kinds() {
  static const TbsSkinKinds<TbsDataSkinControl> kinds{
      Kind<TbsDataSkinPanelControl>(u"panel"),        Kind<TbsDataSkinExPanelControl>(u"expanel"),
      Kind<TbsDataSkinMenuButtonControl>(u"menubutton"), Kind<TbsDataSkinButtonControl>(u"button"),
      Kind<TbsDataSkinCheckRadioControl>(u"checkradio"), Kind<TbsDataSkinGaugeControl>(u"gauge"),
      Kind<TbsDataSkinSplitterControl>(u"splitter"),  Kind<TbsDataSkinTrackBarControl>(u"trackbar"),
      Kind<TbsDataSkinLabelControl>(u"label"),        Kind<TbsDataSkinStdLabelControl>(u"stdlabel"),
      Kind<TbsDataSkinUpDownControl>(u"updown"),      Kind<TbsDataSkinGridControl>(u"grid"),
      Kind<TbsDataSkinTabControl>(u"tab"),            Kind<TbsDataSkinMainMenuBar>(u"mainmenubar"),
      Kind<TbsDataSkinControlBar>(u"controlbar"),     Kind<TbsDataSkinMemoControl>(u"memo"),
      Kind<TbsDataSkinEditControl>(u"edit"),          Kind<TbsDataSkinCheckListBox>(u"checklistbox"),
      Kind<TbsDataSkinListBox>(u"listbox"),           Kind<TbsDataSkinComboBox>(u"combobox"),
      Kind<TbsDataSkinScrollBarControl>(u"scrollbar"), Kind<TbsDataSkinSpinEditControl>(u"spinedit"),
      Kind<TbsDataSkinScrollBoxControl>(u"scrollbox"), Kind<TbsDataSkinTreeView>(u"treeview"),
      Kind<TbsDataSkinBevel>(u"bevel"),               Kind<TbsDataSkinSlider>(u"slider"),
      Kind<TbsDataSkinListView>(u"listview"),         Kind<TbsDataSkinRichEdit>(u"richedit")};
  return kinds;
}

}  // namespace

std::unique_ptr<TbsDataSkinControl> CreateSkinControlByKind(const String& Kind, const String& AIDName) {
  return CreateByKind(Kinds(), Kind, AIDName);
}

String SkinControlKind(const TbsDataSkinControl& Control) { return KindName(Kinds(), Control); }

}  // namespace skin
