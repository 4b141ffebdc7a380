// Frame-object descriptions: caption, caption buttons, animations, menu items.
//
// Created by kind while a skin is read, owned by the skin's ObjectList, read
// directly by the form frame and the skinned menus. In-class values are the
// constructors' values; absent-key values are in the key tables.
#pragma once

#include <memory>

#include "skin/data/bsSkinIniValues.h"

namespace skin {

enum TbsStdCommand { cmClose, cmMaximize, cmMinimize, cmSysMenu, cmDefault, cmRollUp, cmMinimizeToTray };

class TbsDataSkinObject {
 public:
  explicit TbsDataSkinObject(const String& AIDName) : IDName(AIDName) {}
  virtual ~TbsDataSkinObject() = default;
  TbsDataSkinObject(const TbsDataSkinObject&) = delete;
  TbsDataSkinObject& operator=(const TbsDataSkinObject&) = delete;

  virtual void LoadFromFile(TCustomIniFile& IniFile);
  virtual void SaveToFile(TCustomIniFile& IniFile);

  String IDName;
  String Hint;
  bool SkinRectInAPicture = false;
  TRect SkinRect{}, ActiveSkinRect{};
  int ActivePictureIndex = -1, ActiveMaskPictureIndex = -1;
  TRect InActiveSkinRect{};
  bool Morphing = false;
  TbsMorphKind MorphKind = mkDefault;
  int GlowLayerPictureIndex = -1, GlowLayerMaskPictureIndex = -1;
  int GlowLayerOffsetX = 0, GlowLayerOffsetY = 0;
  int GlowLayerAlphaBlendValue = 255;
};

#define TVL_SKIN_OBJECT(Parent)                              \
 public:                                                     \
  using Parent::Parent;                                      \
  void LoadFromFile(TCustomIniFile& IniFile) override; \
  void SaveToFile(TCustomIniFile& IniFile) override;

// A plain rectangle: only "skinrect" is read and written.
class TbsDataUserObject : public TbsDataSkinObject {
  TVL_SKIN_OBJECT(TbsDataSkinObject)
};

class TbsDataSkinButton : public TbsDataSkinObject {
  TVL_SKIN_OBJECT(TbsDataSkinObject)
  TRect DownRect{}, DisableSkinRect{};
};

class TbsDataSkinStdButton : public TbsDataSkinButton {
  TVL_SKIN_OBJECT(TbsDataSkinButton)
  TbsStdCommand Command = cmClose;
  String RestoreHint;
  TRect RestoreRect{}, RestoreActiveRect{}, RestoreDownRect{}, RestoreInActiveRect{};
};

class TbsDataSkinMainMenuBarButton : public TbsDataSkinStdButton {
 public:
  using TbsDataSkinStdButton::TbsDataSkinStdButton;
};

class TbsDataSkinAnimate : public TbsDataSkinObject {
  TVL_SKIN_OBJECT(TbsDataSkinObject)
  int CountFrames = 0;
  bool Cycle = false, ButtonStyle = false;
  int TimerInterval = 0;
  TbsStdCommand Command = cmClose;
  TRect DownSkinRect{};
  String RestoreHint;
  TRect RestoreRect{}, RestoreActiveRect{}, RestoreDownRect{}, RestoreInActiveRect{};
};

class TbsDataSkinMenuItem : public TbsDataSkinObject {
  TVL_SKIN_OBJECT(TbsDataSkinObject)
  TRect DividerRect{};
  int DividerLO = 0, DividerRO = 0, ItemLO = 0, ItemRO = 0;
  String FontName;
  int FontHeight = 0;
  TFontStyles FontStyle = 0;
  TColor UnEnabledFontColor = 0, FontColor = 0, ActiveFontColor = 0;
  TRect TextRct{}, ImageRct{};
  bool UseImageColor = false;
  TColor ImageColor = 0, ActiveImageColor = 0;
  bool StretchEffect = false, DividerStretchEffect = false, InActiveStretchEffect = false;
  TRect AnimateSkinRect{};
  int FrameCount = 0, AnimateInterval = 0;
  bool InActiveAnimation = false, InActiveTransparent = false;
  TRect CheckImageRect{}, ActiveCheckImageRect{}, RadioImageRect{}, ActiveRadioImageRect{};
  TRect ArrowImageRect{}, ActiveArrowImageRect{};
};

class TbsDataSkinMainMenuItem : public TbsDataSkinObject {
  TVL_SKIN_OBJECT(TbsDataSkinObject)
  TRect DownRect{};
  String FontName;
  int FontHeight = 0;
  TFontStyles FontStyle = 0;
  TColor FontColor = 0, ActiveFontColor = 0, DownFontColor = 0, UnEnabledFontColor = 0;
  TRect TextRct{};
  int ItemLO = 0, ItemRO = 0;
  bool StretchEffect = false;
  TRect AnimateSkinRect{};
  int FrameCount = 0, AnimateInterval = 0;
  bool InActiveAnimation = false;
};

class TbsDataSkinMainMenuBarItem : public TbsDataSkinMainMenuItem {
 public:
  using TbsDataSkinMainMenuItem::TbsDataSkinMainMenuItem;
};

class TbsDataSkinCaption : public TbsDataSkinObject {
  TVL_SKIN_OBJECT(TbsDataSkinObject)
  String FontName;
  int FontHeight = 0;
  TFontStyles FontStyle = 0;
  TColor FontColor = 0, ActiveFontColor = 0, ShadowColor = 0, ActiveShadowColor = 0;
  bool Shadow = false;
  TAlignment Alignment = taLeftJustify;
  TRect TextRct{}, FrameRect{}, ActiveFrameRect{};
  int FrameLeftOffset = 0, FrameRightOffset = 0;
  TRect FrameTextRect{};
  bool Light = false;
  TColor LightColor = 0, ActiveLightColor = 0;
  bool StretchEffect = false;
  TRect AnimateSkinRect{};
  int FrameCount = 0, AnimateInterval = 0;
  bool InActiveAnimation = false, FullFrame = false;
  bool GlowEffect = false, VistaGlowEffect = false, VistaGlowInActiveEffect = false, GlowInActiveEffect = false;
  int GlowSize = 0;
  TColor GlowColor = 0, GlowActiveColor = 0;
  int GlowOffset = 0;
  bool ReflectionEffect = false;
  TColor ReflectionColor = 0, ReflectionActiveColor = 0;
  int ReflectionOffset = 0;
};

#undef TVL_SKIN_OBJECT

// The description class of a SKINOBJECTS kind (exact, case-sensitive), or null.
std::unique_ptr<TbsDataSkinObject> CreateSkinObjectByKind(const String& Kind, const String& AIDName);
// The kind written for an object; empty for a class of none of the kinds.
String SkinObjectKind(const TbsDataSkinObject& Object);

}  // namespace skin
