#include "skin/data/bsSkinDataWindows.h"

#include "skin/data/bsSkinKeys.h"

namespace skin {

using namespace keys;

namespace {

constexpr TColor SysColor(int n) { return static_cast<TColor>(0xFF000000u | static_cast<unsigned>(n)); }

// The eight colours, their keys and the system colours they default to.
struct TSystemColorKey {
  const char16_t* Name;
  TColor TbsSkinColors::*Field;
  int SysIndex;
};
constexpr TSystemColorKey kSystemColorKeys[] = {
    {u"cbtnface", &TbsSkinColors::cBtnFace, 15},
    {u"cbtntext", &TbsSkinColors::cBtnText, 18},
    {u"cwindow", &TbsSkinColors::cWindow, 5},
    {u"cwindowtext", &TbsSkinColors::cWindowText, 8},
    {u"chighlight", &TbsSkinColors::cHighLight, 13},
    {u"chighlighttext", &TbsSkinColors::cHighLightText, 14},
    {u"cbtnhighlight", &TbsSkinColors::cBtnHighLight, 20},
    {u"cbtnshadow", &TbsSkinColors::cBtnShadow, 16}};

const TbsSkinKeys<TbsSkinColors>& ColorKeys() {
  static const TbsSkinKeys<TbsSkinColors> keys = [] {
    TbsSkinKeys<TbsSkinColors> k;
    for (const auto& c : kSystemColorKeys)
      k.push_back(Int<TbsSkinColors>(c.Name, c.Field, SysColor(c.SysIndex)));
    return k;
  }();
  return keys;
}

const TbsSkinKeys<TbsDataSkinPopupWindow>& PopupKeys() {
  using C = TbsDataSkinPopupWindow;
  static const TbsSkinKeys<C> keys{
      Int<C>(u"windowpictureindex", &C::WindowPictureIndex, -1),
      Int<C>(u"maskpictureindex", &C::MaskPictureIndex, -1),
      Point<C>(u"lefttoppoint", &C::LTPoint),
      Point<C>(u"righttoppoint", &C::RTPoint),
      Point<C>(u"leftbottompoint", &C::LBPoint),
      Point<C>(u"rightbottompoint", &C::RBPoint),
      Rect<C>(u"itemsrect", &C::ItemsRect),
      Int<C>(u"scrollmarkercolor", &C::ScrollMarkerColor),
      Int<C>(u"scrollmarkeractivecolor", &C::ScrollMarkerActiveColor),
      Bool<C>(u"leftstretch", &C::LeftStretch),
      Bool<C>(u"rightstretch", &C::RightStretch),
      Bool<C>(u"topstretch", &C::TopStretch),
      Bool<C>(u"bottomstretch", &C::BottomStretch),
      Bool<C>(u"stretcheffect", &C::StretchEffect),
      Stretch<C>(u"stretchtype", &C::StretchType)};
  return keys;
}

const TbsSkinKeys<TbsDataSkinLayerFrame>& LayerKeys() {
  using C = TbsDataSkinLayerFrame;
  static const TbsSkinKeys<C> keys{
      Int<C>(u"pictureindex", &C::PictureIndex, -1),
      Int<C>(u"maskpictureindex", &C::MaskPictureIndex, -1),
      Int<C>(u"inactivepictureindex", &C::InActivePictureIndex, -1),
      Int<C>(u"inactivemaskpictureindex", &C::InActiveMaskPictureIndex, -1),
      Point<C>(u"lefttoppoint", &C::LTPoint),
      Point<C>(u"righttoppoint", &C::RTPoint),
      Point<C>(u"leftbottompoint", &C::LBPoint),
      Point<C>(u"rightbottompoint", &C::RBPoint),
      Rect<C>(u"clientrect", &C::ClRect),
      Int<C>(u"alphablendvalue", &C::AlphaBlendValue, 255),
      Int<C>(u"inactivealphablendvalue", &C::InActiveAlphaBlendValue, 255),
      Rect<C>(u"borderrect", &C::BorderRect),
      Bool<C>(u"hittestenable", &C::HitTestEnable)};
  return keys;
}

const TbsSkinKeys<TbsDataSkinHintWindow>& HintKeys() {
  using C = TbsDataSkinHintWindow;
  static const TbsSkinKeys<C> keys{
      Int<C>(u"windowpictureindex", &C::WindowPictureIndex, -1),
      Int<C>(u"maskpictureindex", &C::MaskPictureIndex, -1),
      Point<C>(u"lefttoppoint", &C::LTPoint),
      Point<C>(u"righttoppoint", &C::RTPoint),
      Point<C>(u"leftbottompoint", &C::LBPoint),
      Point<C>(u"rightbottompoint", &C::RBPoint),
      Rect<C>(u"clientrect", &C::ClRect),
      Str<C>(u"fontname", &C::FontName, u"Arial"),
      Int<C>(u"fontheight", &C::FontHeight, 14),
      Style<C>(u"fontstyle", &C::FontStyle),
      Int<C>(u"fontcolor", &C::FontColor),
      Bool<C>(u"leftstretch", &C::LeftStretch),
      Bool<C>(u"rightstretch", &C::RightStretch),
      Bool<C>(u"topstretch", &C::TopStretch),
      Bool<C>(u"bottomstretch", &C::BottomStretch),
      Bool<C>(u"stretcheffect", &C::StretchEffect),
      Stretch<C>(u"stretchtype", &C::StretchType)};
  return keys;
}

}  // namespace

void TbsSkinColors::SetColorsToDefault() {
  for (const auto& c : kSystemColorKeys) this->*c.Field = SysColor(c.SysIndex);
}

void TbsSkinColors::LoadFromFile(TCustomIniFile& IniFile) { ReadKeys(*this, IniFile, u"SKINCOLORS", ColorKeys()); }
void TbsSkinColors::SaveToFile(TCustomIniFile& IniFile) const { WriteKeys(*this, IniFile, u"SKINCOLORS", ColorKeys()); }

void TbsDataSkinPopupWindow::LoadFromFile(TCustomIniFile& IniFile) {
  ReadKeys(*this, IniFile, u"POPUPWINDOW", PopupKeys());
}
void TbsDataSkinPopupWindow::SaveToFile(TCustomIniFile& IniFile) const {
  IniFile.EraseSection(u"POPUPWINDOW");
  WriteKeys(*this, IniFile, u"POPUPWINDOW", PopupKeys());
}

void TbsDataSkinLayerFrame::LoadFromFile(TCustomIniFile& IniFile) {
  ReadKeys(*this, IniFile, u"LAYERFRAME", LayerKeys());
}
void TbsDataSkinLayerFrame::SaveToFile(TCustomIniFile& IniFile) const {
  IniFile.EraseSection(u"LAYERFRAME");
  WriteKeys(*this, IniFile, u"LAYERFRAME", LayerKeys());
}

void TbsDataSkinHintWindow::LoadFromFile(TCustomIniFile& IniFile) {
  ReadKeys(*this, IniFile, u"HINTWINDOW", HintKeys());
}
void TbsDataSkinHintWindow::SaveToFile(TCustomIniFile& IniFile) const {
  IniFile.EraseSection(u"HINTWINDOW");
  WriteKeys(*this, IniFile, u"HINTWINDOW", HintKeys());
}

}  // namespace skin
