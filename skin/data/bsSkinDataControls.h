// Control descriptions: the skin's record for each kind of skinned control.
//
// A description is created by kind while a skin is read, owned by the skin's
// CtrlList, and read directly by the controls. The in-class values are the
// constructors' values; the values of absent keys live in the key tables of
// bsSkinDataControls.cpp and differ in places (font height 12 here, 14 when
// read; transparent colours magenta here, 0 when read). SaveToFile erases the
// description's section and writes exactly its own keys; only the up-down
// description changes itself while saving (it has no nine-part layout).
#pragma once

#include <memory>

#include "skin/data/bsSkinIniValues.h"

namespace skin {

class TbsDataSkinControl {
 public:
  explicit TbsDataSkinControl(const String& AIDName) : IDName(AIDName) {}
  virtual ~TbsDataSkinControl() = default;
  TbsDataSkinControl(const TbsDataSkinControl&) = delete;
  TbsDataSkinControl& operator=(const TbsDataSkinControl&) = delete;

  virtual void LoadFromFile(TCustomIniFile& IniFile);
  virtual void SaveToFile(TCustomIniFile& IniFile);

  String IDName;
  int PictureIndex = -1;
  int MaskPictureIndex = -1;
  TRect SkinRect{};
};

// The nine-part image layout used by most controls.
class TbsDataSkinCustomControl : public TbsDataSkinControl {
 public:
  using TbsDataSkinControl::TbsDataSkinControl;
  void LoadFromFile(TCustomIniFile& IniFile) override;
  void SaveToFile(TCustomIniFile& IniFile) override;

  TPoint LTPoint{}, RTPoint{}, LBPoint{}, RBPoint{};
  TRect ClRect{};
  bool StretchEffect = false;
  TbsStretchType StretchType = bsstFull;
  bool LeftStretch = false, TopStretch = false, RightStretch = false, BottomStretch = false;
};

#define TVL_SKIN_DESCRIPTION(Class, Parent)                 \
 public:                                                    \
  using Parent::Parent;                                     \
  void LoadFromFile(TCustomIniFile& IniFile) override; \
  void SaveToFile(TCustomIniFile& IniFile) override;

class TbsDataSkinBevel : public TbsDataSkinControl {
  TVL_SKIN_DESCRIPTION(TbsDataSkinBevel, TbsDataSkinControl)
  TColor LightColor = 0, DarkColor = 0;
};

// Tree view, list view and rich edit share their keys but are three classes.
template <int Kind>
class TbsDataSkinTextViewControl : public TbsDataSkinControl {
  TVL_SKIN_DESCRIPTION(TbsDataSkinTextViewControl, TbsDataSkinControl)
  String FontName = u"Arial";
  TFontStyles FontStyle = 0;
  int FontHeight = 14;
  TColor FontColor = 0;
  TColor BGColor = 16777215;
};
using TbsDataSkinTreeView = TbsDataSkinTextViewControl<0>;
using TbsDataSkinListView = TbsDataSkinTextViewControl<1>;
using TbsDataSkinRichEdit = TbsDataSkinTextViewControl<2>;

class TbsDataSkinSlider : public TbsDataSkinControl {
  TVL_SKIN_DESCRIPTION(TbsDataSkinSlider, TbsDataSkinControl)
  TRect HRulerRect{}, HThumbRect{}, VRulerRect{}, VThumbRect{};
  int EdgeSize = 0;
  TColor BGColor = 0, PointsColor = 0;
};

class TbsDataSkinStdLabelControl : public TbsDataSkinControl {
  TVL_SKIN_DESCRIPTION(TbsDataSkinStdLabelControl, TbsDataSkinControl)
  String FontName = u"Arial";
  TFontStyles FontStyle = 0;
  int FontHeight = 12;
  TColor FontColor = 0, ActiveFontColor = 16711680;
};

class TbsDataSkinMainMenuBar : public TbsDataSkinControl {
  TVL_SKIN_DESCRIPTION(TbsDataSkinMainMenuBar, TbsDataSkinControl)
  TRect ItemsRect{};
  String MenuBarItem, CloseButton, MaxButton, MinButton, SysMenuButton;
  TColor TrackMarkColor = 0, TrackMarkActiveColor = 0;
  bool StretchEffect = false, ItemTransparent = false;
};

class TbsDataSkinTabControl : public TbsDataSkinControl {
  TVL_SKIN_DESCRIPTION(TbsDataSkinTabControl, TbsDataSkinControl)
  TRect TabRect{}, ActiveTabRect{}, FocusTabRect{}, MouseInTabRect{}, ClRect{}, TabsBGRect{};
  TPoint LTPoint{}, RTPoint{}, LBPoint{}, RBPoint{};
  int TabLeftOffset = 0, TabRightOffset = 0;
  String FontName = u"Arial";
  TFontStyles FontStyle = 0;
  int FontHeight = 14;
  TColor FontColor = 0, ActiveFontColor = 0, FocusFontColor = 0, MouseInFontColor = 0;
  String UpDown;
  int BGPictureIndex = -1;
  bool TabStretchEffect = false, ShowFocus = false;
  int FocusOffsetX = 0, FocusOffsetY = 0;
  bool LeftStretch = false, TopStretch = false, RightStretch = false, BottomStretch = false, StretchEffect = false;
  TbsStretchType StretchType = bsstFull;
  TRect CloseButtonRect{}, CloseButtonActiveRect{}, CloseButtonDownRect{};
  bool ButtonTransparent = false;
  TColor ButtonTransparentColor = 16711935;
};

class TbsDataSkinGridControl : public TbsDataSkinControl {
  TVL_SKIN_DESCRIPTION(TbsDataSkinGridControl, TbsDataSkinControl)
  TRect FixedCellRect{}, SelectCellRect{}, FocusCellRect{};
  int FixedCellLeftOffset = 0, FixedCellRightOffset = 0;
  TRect FixedCellTextRect{};
  int CellLeftOffset = 0, CellRightOffset = 0;
  TRect CellTextRect{};
  TColor LinesColor = 0, BGColor = 0;
  String FontName = u"Arial";
  TFontStyles FontStyle = 0;
  int FontHeight = 14;
  TColor FontColor = 0, SelectFontColor = 0, FocusFontColor = 0;
  String FixedFontName = u"Arial";
  TFontStyles FixedFontStyle = 0;
  int FixedFontHeight = 14;
  TColor FixedFontColor = 0;
  bool FixedCellStretchEffect = false, CellStretchEffect = false, ShowFocus = false;
  int BGPictureIndex = -1;
};

class TbsDataSkinButtonControl : public TbsDataSkinCustomControl {
  TVL_SKIN_DESCRIPTION(TbsDataSkinButtonControl, TbsDataSkinCustomControl)
  String FontName = u"Arial";
  TFontStyles FontStyle = 0;
  int FontHeight = 12;
  TColor FontColor = 0, ActiveFontColor = 0, DownFontColor = 0, DisabledFontColor = 0;
  TRect ActiveSkinRect{}, DownSkinRect{}, DisabledSkinRect{}, FocusedSkinRect{};
  bool Morphing = false;
  TbsMorphKind MorphKind = mkDefault;
  TRect AnimateSkinRect{};
  int FrameCount = 0, AnimateInterval = 0;
  bool ShowFocus = false;
  TRect MenuMarkerFlatRect{}, MenuMarkerRect{}, MenuMarkerActiveRect{}, MenuMarkerDownRect{};
  TColor MenuMarkerTransparentColor = 0;
  int GlowLayerPictureIndex = -1, GlowLayerMaskPictureIndex = -1;
  int GlowLayerOffsetLeft = 0, GlowLayerOffsetRight = 0, GlowLayerOffsetTop = 0, GlowLayerOffsetBottom = 0;
  int GlowLayerShowOffsetX = 0, GlowLayerShowOffsetY = 0;
  int GlowLayerAlphaBlendValue = 255;
};

class TbsDataSkinMenuButtonControl : public TbsDataSkinButtonControl {
  TVL_SKIN_DESCRIPTION(TbsDataSkinMenuButtonControl, TbsDataSkinButtonControl)
  TRect TrackButtonRect{};
};

class TbsDataSkinCheckRadioControl : public TbsDataSkinCustomControl {
  TVL_SKIN_DESCRIPTION(TbsDataSkinCheckRadioControl, TbsDataSkinCustomControl)
  String FontName = u"Arial";
  TFontStyles FontStyle = 0;
  int FontHeight = 12;
  TColor FontColor = 0, ActiveFontColor = 0, UnEnabledFontColor = 0;
  TRect ActiveSkinRect{}, CheckImageArea{}, TextArea{}, CheckImageRect{}, UnCheckImageRect{};
  TRect ActiveCheckImageRect{}, ActiveUnCheckImageRect{}, UnEnabledCheckImageRect{}, UnEnabledUnCheckImageRect{};
  TRect GrayedCheckImageRect{}, ActiveGrayedCheckImageRect{};
  bool Morphing = false;
  TbsMorphKind MorphKind = mkDefault;
  TColor FrameFontColor = 0;
};

class TbsDataSkinPanelControl : public TbsDataSkinCustomControl {
  TVL_SKIN_DESCRIPTION(TbsDataSkinPanelControl, TbsDataSkinCustomControl)
  TRect CaptionRect{};
  TAlignment Alignment = taCenter;
  String FontName = u"Arial";
  TFontStyles FontStyle = 0;
  int FontHeight = 12;
  TColor FontColor = 0;
  int BGPictureIndex = -1;
  TRect CheckImageRect{}, UnCheckImageRect{}, MarkFrameRect{}, FrameRect{};
  int FrameLeftOffset = 0, FrameRightOffset = 0;
  TRect FrameTextRect{}, GripperRect{};
  bool GripperTransparent = false;
  TColor GripperTransparentColor = 16711935;
};

class TbsDataSkinExPanelControl : public TbsDataSkinCustomControl {
  TVL_SKIN_DESCRIPTION(TbsDataSkinExPanelControl, TbsDataSkinCustomControl)
  TRect RollHSkinRect{}, RollVSkinRect{};
  int RollLeftOffset = 0, RollRightOffset = 0, RollTopOffset = 0, RollBottomOffset = 0;
  TRect RollVCaptionRect{}, RollHCaptionRect{};
  TRect CloseButtonRect{}, CloseButtonActiveRect{}, CloseButtonDownRect{};
  TRect HRollButtonRect{}, HRollButtonActiveRect{}, HRollButtonDownRect{};
  TRect HRestoreButtonRect{}, HRestoreButtonActiveRect{}, HRestoreButtonDownRect{};
  TRect VRollButtonRect{}, VRollButtonActiveRect{}, VRollButtonDownRect{};
  TRect VRestoreButtonRect{}, VRestoreButtonActiveRect{}, VRestoreButtonDownRect{};
  TRect CaptionRect{};
  String FontName = u"Arial";
  TFontStyles FontStyle = 0;
  int FontHeight = 12;
  TColor FontColor = 0;
  bool ButtonsTransparent = false;
  TColor ButtonsTransparentColor = 16711935;
};

class TbsDataSkinScrollBoxControl : public TbsDataSkinCustomControl {
  TVL_SKIN_DESCRIPTION(TbsDataSkinScrollBoxControl, TbsDataSkinCustomControl)
  int BGPictureIndex = -1;
};

class TbsDataSkinControlBar : public TbsDataSkinCustomControl {
  TVL_SKIN_DESCRIPTION(TbsDataSkinControlBar, TbsDataSkinCustomControl)
  TRect ItemRect{};
  int BGPictureIndex = -1;
  TRect HGripRect{}, VGripRect{};
  int GripOffset1 = 0, GripOffset2 = 0;
  bool ItemStretchEffect = false;
  int ItemOffset1 = 0, ItemOffset2 = 0;
  bool ItemTransparent = false;
  TColor ItemTransparentColor = 0;
  bool GripTransparent = false;
  TColor GripTransparentColor = 0;
};

class TbsDataSkinSplitterControl : public TbsDataSkinCustomControl {
  TVL_SKIN_DESCRIPTION(TbsDataSkinSplitterControl, TbsDataSkinCustomControl)
  TRect GripperRect{};
  bool GripperTransparent = false;
  TColor GripperTransparentColor = 16711935;
};

class TbsDataSkinLabelControl : public TbsDataSkinCustomControl {
  TVL_SKIN_DESCRIPTION(TbsDataSkinLabelControl, TbsDataSkinCustomControl)
  String FontName = u"Arial";
  TFontStyles FontStyle = 0;
  int FontHeight = 12;
  TColor FontColor = 0;
};

class TbsDataSkinScrollBarControl : public TbsDataSkinCustomControl {
  TVL_SKIN_DESCRIPTION(TbsDataSkinScrollBarControl, TbsDataSkinCustomControl)
  TRect TrackArea{}, UpButtonRect{}, ActiveUpButtonRect{}, DownUpButtonRect{};
  TRect DownButtonRect{}, ActiveDownButtonRect{}, DownDownButtonRect{};
  TRect ThumbRect{}, ActiveThumbRect{}, DownThumbRect{};
  int ThumbOffset1 = 0, ThumbOffset2 = 0;
  TRect GlyphRect{}, ActiveGlyphRect{}, DownGlyphRect{};
  bool GlyphTransparent = false;
  TColor GlyphTransparentColor = 16711935;
  bool ThumbTransparent = false;
  TColor ThumbTransparentColor = 16711935;
  bool ThumbStretchEffect = false;
  int ThumbMinSize = 0, ThumbMinPageSize = 0;
};

class TbsDataSkinTrackBarControl : public TbsDataSkinCustomControl {
  TVL_SKIN_DESCRIPTION(TbsDataSkinTrackBarControl, TbsDataSkinCustomControl)
  TRect ActiveSkinRect{}, TrackArea{}, ButtonRect{}, ActiveButtonRect{};
  bool Vertical = false, ButtonTransparent = false;
  TColor ButtonTransparentColor = 16711935;
};

class TbsDataSkinGaugeControl : public TbsDataSkinCustomControl {
  TVL_SKIN_DESCRIPTION(TbsDataSkinGaugeControl, TbsDataSkinCustomControl)
  TRect ProgressArea{}, ProgressRect{};
  bool Vertical = false;
  int BeginOffset = 0, EndOffset = 0;
  String FontName = u"Arial";
  TFontStyles FontStyle = 0;
  int FontHeight = 14;
  TColor FontColor = 0;
  bool ProgressTransparent = false;
  TColor ProgressTransparentColor = 16711935;
  bool ProgressStretch = false;
  TRect AnimationSkinRect{};
  int AnimationCountFrames = 0, AnimationTimerInterval = 0;
  TRect ProgressAnimationSkinRect{};
  int ProgressAnimationCountFrames = 0, ProgressAnimationTimerInterval = 0;
  int AnimationBeginOffset = 0, AnimationEndOffset = 0;
};

class TbsDataSkinUpDownControl : public TbsDataSkinCustomControl {
  TVL_SKIN_DESCRIPTION(TbsDataSkinUpDownControl, TbsDataSkinCustomControl)
  TRect UpButtonRect{}, ActiveUpButtonRect{}, DownUpButtonRect{};
  TRect DownButtonRect{}, ActiveDownButtonRect{}, DownDownButtonRect{};
};

class TbsDataSkinEditControl : public TbsDataSkinCustomControl {
  TVL_SKIN_DESCRIPTION(TbsDataSkinEditControl, TbsDataSkinCustomControl)
  TRect ActiveSkinRect{};
  String FontName = u"Arial";
  TFontStyles FontStyle = 0;
  int FontHeight = 12;
  TColor FontColor = 0, DisabledFontColor = 0, ActiveFontColor = 0;
  TRect ButtonRect{}, ActiveButtonRect{}, DownButtonRect{}, UnEnabledButtonRect{};
};

class TbsDataSkinMemoControl : public TbsDataSkinEditControl {
  TVL_SKIN_DESCRIPTION(TbsDataSkinMemoControl, TbsDataSkinEditControl)
  TColor BGColor = 0, ActiveBGColor = 0;
};

class TbsDataSkinSpinEditControl : public TbsDataSkinCustomControl {
  TVL_SKIN_DESCRIPTION(TbsDataSkinSpinEditControl, TbsDataSkinCustomControl)
  TRect ActiveSkinRect{};
  String FontName = u"Arial";
  TFontStyles FontStyle = 0;
  int FontHeight = 12;
  TColor FontColor = 0, ActiveFontColor = 0, DisabledFontColor = 0;
  TRect UpButtonRect{}, ActiveUpButtonRect{}, DownUpButtonRect{};
  TRect DownButtonRect{}, ActiveDownButtonRect{}, DownDownButtonRect{};
};

class TbsDataSkinListBox : public TbsDataSkinCustomControl {
  TVL_SKIN_DESCRIPTION(TbsDataSkinListBox, TbsDataSkinCustomControl)
  TRect SItemRect{}, ActiveItemRect{}, FocusItemRect{};
  int ItemLeftOffset = 0, ItemRightOffset = 0;
  TRect ItemTextRect{};
  String FontName = u"Arial";
  TFontStyles FontStyle = 0;
  int FontHeight = 14;
  TColor FontColor = 0, ActiveFontColor = 0, FocusFontColor = 0;
  TRect CaptionRect{};
  String CaptionFontName = u"Arial";
  TFontStyles CaptionFontStyle = 0;
  int CaptionFontHeight = 14;
  TColor CaptionFontColor = 0;
  TRect UpButtonRect{}, ActiveUpButtonRect{}, DownUpButtonRect{};
  TRect DownButtonRect{}, ActiveDownButtonRect{}, DownDownButtonRect{};
  TRect CheckButtonRect{}, ActiveCheckButtonRect{}, DownCheckButtonRect{};
  String HScrollBarName, VScrollBarName, BothScrollBarName;
  bool ShowFocus = false;
  TRect DisabledButtonsRect{}, ButtonsArea{};
};

class TbsDataSkinCheckListBox : public TbsDataSkinListBox {
  TVL_SKIN_DESCRIPTION(TbsDataSkinCheckListBox, TbsDataSkinListBox)
  TRect UnCheckImageRect{}, CheckImageRect{}, ItemCheckRect{};
};

class TbsDataSkinComboBox : public TbsDataSkinCustomControl {
  TVL_SKIN_DESCRIPTION(TbsDataSkinComboBox, TbsDataSkinCustomControl)
  TRect SItemRect{}, ActiveItemRect{}, FocusItemRect{};
  int ItemLeftOffset = 0, ItemRightOffset = 0;
  TRect ItemTextRect{};
  String FontName = u"Arial";
  TFontStyles FontStyle = 0;
  int FontHeight = 14;
  TColor FontColor = 0, FocusFontColor = 0, ActiveFontColor = 0;
  TRect ButtonRect{}, ActiveButtonRect{}, DownButtonRect{}, UnEnabledButtonRect{};
  bool ItemStretchEffect = false, FocusItemStretchEffect = false;
  TRect ActiveSkinRect{};
  String ListBoxName;
  bool ShowFocus = false;
};

#undef TVL_SKIN_DESCRIPTION

// The description class of a kind keyword (exact, case-sensitive), or null.
std::unique_ptr<TbsDataSkinControl> CreateSkinControlByKind(const String& Kind, const String& AIDName);
// The kind keyword written for a description: the first class of the writer's
// order that the description is or descends from; empty for none.
String SkinControlKind(const TbsDataSkinControl& Control);

}  // namespace skin
