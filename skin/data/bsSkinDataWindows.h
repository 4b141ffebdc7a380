// Skin colours and the popup, layered-border and hint window descriptions.
//
// TbsSkinData owns one of each for its whole life. Each reads its fixed
// section on every load (also when it is absent, so every field then takes
// its absent-key value) and writes it back in table order.
#pragma once

#include "skin/data/bsSkinIniValues.h"

namespace skin {

class TbsSkinColors {
 public:
  // The eight system-colour references (0xFF0000nn).
  void SetColorsToDefault();
  void LoadFromFile(TCustomIniFile& IniFile);
  // Writes the eight keys without erasing: the caller erases SKINCOLORS.
  void SaveToFile(TCustomIniFile& IniFile) const;

  TColor cBtnFace = 0, cBtnText = 0, cWindow = 0, cWindowText = 0;
  TColor cHighLight = 0, cHighLightText = 0, cBtnHighLight = 0, cBtnShadow = 0;
};

class TbsDataSkinPopupWindow {
 public:
  void LoadFromFile(TCustomIniFile& IniFile);
  void SaveToFile(TCustomIniFile& IniFile) const;

  int WindowPictureIndex = -1, MaskPictureIndex = -1;
  TPoint LTPoint{}, RTPoint{}, LBPoint{}, RBPoint{};
  TRect ItemsRect{};
  TColor ScrollMarkerColor = 0, ScrollMarkerActiveColor = 0;
  bool TopStretch = false, LeftStretch = false, RightStretch = false, BottomStretch = false;
  bool StretchEffect = false;
  TbsStretchType StretchType = bsstFull;
};

class TbsDataSkinLayerFrame {
 public:
  void LoadFromFile(TCustomIniFile& IniFile);
  void SaveToFile(TCustomIniFile& IniFile) const;

  int PictureIndex = -1, MaskPictureIndex = -1, InActivePictureIndex = -1, InActiveMaskPictureIndex = -1;
  TPoint LTPoint{}, RTPoint{}, LBPoint{}, RBPoint{};
  TRect ClRect{};
  int AlphaBlendValue = 255, InActiveAlphaBlendValue = 255;
  TRect BorderRect{};
  bool HitTestEnable = false;
};

class TbsDataSkinHintWindow {
 public:
  void LoadFromFile(TCustomIniFile& IniFile);
  void SaveToFile(TCustomIniFile& IniFile) const;

  int WindowPictureIndex = -1, MaskPictureIndex = -1;
  TPoint LTPoint{}, RTPoint{}, LBPoint{}, RBPoint{};
  TRect ClRect{};
  String FontName = u"Arial";
  TFontStyles FontStyle = 0;
  int FontHeight = 12;
  TColor FontColor = 0;
  bool TopStretch = false, LeftStretch = false, RightStretch = false, BottomStretch = false;
  bool StretchEffect = false;
  TbsStretchType StretchType = bsstFull;
};

}  // namespace skin
