#include "skin/data/bsSkinDataObjects.h"

#include <array>
#include <functional>
#include <vector>

#include "skin/data/bsSkinKeys.h"

namespace skin {

using namespace keys;

namespace {

constexpr std::array<const char16_t*, 7> kCommandWords{u"cmclose",   u"cmmaximize", u"cmminimize",
                                                       u"cmsysmenu", u"cmdefault",  u"cmrollup",
                                                       u"cmminimizetotray"};

// Any word but the first six, "cmminimizetotray" among them, reads as
// cmMinimizeToTray.
template <class C>
TbsSkinKey<C> Command(const char16_t* Name, TbsStdCommand C::*Field) {
  return Key(
      Name, Field,
      [](TCustomIniFile& ini, const String& s, const String& k) {
        const String text = ini.ReadString(s, k, u"cmdefault");
        for (int i = 0; i < 6; ++i)
          if (text == kCommandWords[static_cast<size_t>(i)]) return static_cast<TbsStdCommand>(i);
        return cmMinimizeToTray;
      },
      [](TCustomIniFile& ini, const String& s, const String& k, TbsStdCommand v) {
        ini.WriteString(s, k, kCommandWords[static_cast<size_t>(v) % 7]);
      });
}

String RestoreHintFor(const String& Hint, TbsStdCommand Command) {
  if ((Hint == u"Maximize" && Command == cmMaximize) || (Hint == u"Minimize" && Command == cmMinimize) ||
      ((Hint == u"RollUp" || Hint == u"Roll Up") && Command == cmRollUp))
    return u"Restore";
  return String();
}

}  // namespace

#define OBJECT_KEYS_IMPL(Class, Parent, ...)                                      \
  static const TbsSkinKeys<Class>& Class##Keys() {                                \
    using C = Class;                                                              \
    static const TbsSkinKeys<C> keys{__VA_ARGS__};                                \
    return keys;                                                                  \
  }                                                                               \
  void Class::SaveToFile(TCustomIniFile& IniFile) {                               \
    Parent::SaveToFile(IniFile);                                                  \
    WriteKeys(*this, IniFile, IDName, Class##Keys());                             \
  }

#define FONT_KEYS(C)                                                                       \
  Str<C>(u"fontname", &C::FontName, u"Arial"), Int<C>(u"fontheight", &C::FontHeight, 14), \
      Style<C>(u"fontstyle", &C::FontStyle), Int<C>(u"fontcolor", &C::FontColor)

static const TbsSkinKeys<TbsDataSkinObject>& ObjectKeys() {
  using C = TbsDataSkinObject;
  static const TbsSkinKeys<C> keys{
      Str<C>(u"hint", &C::Hint),
      Int<C>(u"activepictureindex", &C::ActivePictureIndex, -1),
      Int<C>(u"activemaskpictureindex", &C::ActiveMaskPictureIndex, -1),
      Bool<C>(u"skinrectinapicture", &C::SkinRectInAPicture),
      Rect<C>(u"skinrect", &C::SkinRect),
      Rect<C>(u"activeskinrect", &C::ActiveSkinRect),
      Rect<C>(u"inactiveskinrect", &C::InActiveSkinRect),
      Bool<C>(u"morphing", &C::Morphing),
      Morph<C>(u"morphkind", &C::MorphKind),
      Int<C>(u"glowlayerpictureindex", &C::GlowLayerPictureIndex, -1),
      Int<C>(u"glowlayermaskpictureindex", &C::GlowLayerMaskPictureIndex, -1),
      Int<C>(u"glowlayeroffsetx", &C::GlowLayerOffsetX),
      Int<C>(u"glowlayeroffsety", &C::GlowLayerOffsetY),
      Int<C>(u"glowlayeralphablendvalue", &C::GlowLayerAlphaBlendValue, 255)};
  return keys;
}

void TbsDataSkinObject::LoadFromFile(TCustomIniFile& IniFile) { ReadKeys(*this, IniFile, IDName, ObjectKeys()); }

void TbsDataSkinObject::SaveToFile(TCustomIniFile& IniFile) {
  IniFile.EraseSection(IDName);
  WriteKeys(*this, IniFile, IDName, ObjectKeys());
}

void TbsDataUserObject::LoadFromFile(TCustomIniFile& IniFile) {
  SkinRect = ReadIniRect(IniFile, IDName, u"skinrect");
}

void TbsDataUserObject::SaveToFile(TCustomIniFile& IniFile) {
  IniFile.EraseSection(IDName);
  WriteIniRect(IniFile, IDName, u"skinrect", SkinRect);
}

OBJECT_KEYS_IMPL(TbsDataSkinButton, TbsDataSkinObject, Rect<C>(u"downrect", &C::DownRect),
                 Rect<C>(u"disableskinrsect", &C::DisableSkinRect))

void TbsDataSkinButton::LoadFromFile(TCustomIniFile& IniFile) {
  TbsDataSkinObject::LoadFromFile(IniFile);
  ReadKeys(*this, IniFile, IDName, TbsDataSkinButtonKeys());
}

OBJECT_KEYS_IMPL(TbsDataSkinStdButton, TbsDataSkinButton, Command<C>(u"command", &C::Command),
                 Rect<C>(u"restorerect", &C::RestoreRect), Rect<C>(u"restoreactiverect", &C::RestoreActiveRect),
                 Rect<C>(u"restoredownrect", &C::RestoreDownRect),
                 Rect<C>(u"restoreinactiverect", &C::RestoreInActiveRect), Str<C>(u"restorehint", &C::RestoreHint))

void TbsDataSkinStdButton::LoadFromFile(TCustomIniFile& IniFile) {
  TbsDataSkinButton::LoadFromFile(IniFile);
  ReadKeys(*this, IniFile, IDName, TbsDataSkinStdButtonKeys());
  if (RestoreHint.empty()) RestoreHint = RestoreHintFor(Hint, Command);
}

OBJECT_KEYS_IMPL(TbsDataSkinAnimate, TbsDataSkinObject, Int<C>(u"countframes", &C::CountFrames, 1),
                 Bool<C>(u"cycle", &C::Cycle), Bool<C>(u"buttonstyle", &C::ButtonStyle),
                 Int<C>(u"timerinterval", &C::TimerInterval, 50), Command<C>(u"command", &C::Command),
                 Rect<C>(u"downskinrect", &C::DownSkinRect), Rect<C>(u"restorerect", &C::RestoreRect),
                 Rect<C>(u"restoreactiverect", &C::RestoreActiveRect),
                 Rect<C>(u"restoredownrect", &C::RestoreDownRect),
                 Rect<C>(u"restoreinactiverect", &C::RestoreInActiveRect), Str<C>(u"restorehint", &C::RestoreHint))

void TbsDataSkinAnimate::LoadFromFile(TCustomIniFile& IniFile) {
  TbsDataSkinObject::LoadFromFile(IniFile);
  Morphing = false;
  ReadKeys(*this, IniFile, IDName, TbsDataSkinAnimateKeys());
  if (RestoreHint.empty()) RestoreHint = RestoreHintFor(Hint, Command);
}

OBJECT_KEYS_IMPL(TbsDataSkinMenuItem, TbsDataSkinObject, Int<C>(u"itemleftoffset", &C::ItemLO),
                 Int<C>(u"itemrightoffset", &C::ItemRO), Rect<C>(u"dividerrect", &C::DividerRect),
                 Int<C>(u"dividerleftoffset", &C::DividerLO), Int<C>(u"dividerrightoffset", &C::DividerRO),
                 Rect<C>(u"textrect", &C::TextRct), Rect<C>(u"imagerect", &C::ImageRct), FONT_KEYS(C),
                 Int<C>(u"activefontcolor", &C::ActiveFontColor),
                 Int<C>(u"unenabledfontcolor", &C::UnEnabledFontColor), Bool<C>(u"stretcheffect", &C::StretchEffect),
                 Bool<C>(u"inactivestretcheffect", &C::InActiveStretchEffect),
                 Bool<C>(u"dividerstretcheffect", &C::DividerStretchEffect),
                 Rect<C>(u"animateskinrect", &C::AnimateSkinRect), Int<C>(u"framecount", &C::FrameCount),
                 Int<C>(u"animateinterval", &C::AnimateInterval, 25),
                 Bool<C>(u"inactiveanimation", &C::InActiveAnimation),
                 Bool<C>(u"useimagecolor", &C::UseImageColor), Int<C>(u"imagecolor", &C::ImageColor),
                 Int<C>(u"activeimagecolor", &C::ActiveImageColor),
                 Bool<C>(u"inactivetransparent", &C::InActiveTransparent),
                 Rect<C>(u"checkimagerect", &C::CheckImageRect),
                 Rect<C>(u"activecheckimagerect", &C::ActiveCheckImageRect),
                 Rect<C>(u"radioimagerect", &C::RadioImageRect),
                 Rect<C>(u"activeradioimagerect", &C::ActiveRadioImageRect),
                 Rect<C>(u"arrowimagerect", &C::ArrowImageRect),
                 Rect<C>(u"activearrowimagerect", &C::ActiveArrowImageRect))

void TbsDataSkinMenuItem::LoadFromFile(TCustomIniFile& IniFile) {
  TbsDataSkinObject::LoadFromFile(IniFile);
  ReadKeys(*this, IniFile, IDName, TbsDataSkinMenuItemKeys());
  if (ActiveCheckImageRect.IsEmpty()) ActiveCheckImageRect = CheckImageRect;
  if (ActiveRadioImageRect.IsEmpty()) ActiveRadioImageRect = RadioImageRect;
  if (ActiveArrowImageRect.IsEmpty()) ActiveArrowImageRect = ArrowImageRect;
}

OBJECT_KEYS_IMPL(TbsDataSkinMainMenuItem, TbsDataSkinObject, Int<C>(u"itemleftoffset", &C::ItemLO),
                 Int<C>(u"itemrightoffset", &C::ItemRO), Rect<C>(u"downrect", &C::DownRect),
                 Rect<C>(u"textrect", &C::TextRct), FONT_KEYS(C), Int<C>(u"activefontcolor", &C::ActiveFontColor),
                 Int<C>(u"downfontcolor", &C::DownFontColor),
                 Int<C>(u"unenabledfontColor", &C::UnEnabledFontColor),
                 Bool<C>(u"stretcheffect", &C::StretchEffect), Rect<C>(u"animateskinrect", &C::AnimateSkinRect),
                 Int<C>(u"framecount", &C::FrameCount), Int<C>(u"animateinterval", &C::AnimateInterval, 25),
                 Bool<C>(u"inactiveanimation", &C::InActiveAnimation))

void TbsDataSkinMainMenuItem::LoadFromFile(TCustomIniFile& IniFile) {
  TbsDataSkinObject::LoadFromFile(IniFile);
  ReadKeys(*this, IniFile, IDName, TbsDataSkinMainMenuItemKeys());
}

OBJECT_KEYS_IMPL(TbsDataSkinCaption, TbsDataSkinObject, Rect<C>(u"textrect", &C::TextRct), FONT_KEYS(C),
                 Int<C>(u"activefontcolor", &C::ActiveFontColor), Align<C>(u"alignment", &C::Alignment),
                 Bool<C>(u"light", &C::Light), Int<C>(u"lightcolor", &C::LightColor),
                 Int<C>(u"activelightcolor", &C::ActiveLightColor), Bool<C>(u"shadow", &C::Shadow),
                 Int<C>(u"shadowcolor", &C::ShadowColor), Int<C>(u"activeshadowcolor", &C::ActiveShadowColor),
                 Rect<C>(u"framerect", &C::FrameRect), Rect<C>(u"activeframerect", &C::ActiveFrameRect),
                 Rect<C>(u"frametextrect", &C::FrameTextRect), Int<C>(u"frameleftoffset", &C::FrameLeftOffset),
                 Int<C>(u"framerightoffset", &C::FrameRightOffset), Bool<C>(u"stretcheffect", &C::StretchEffect),
                 Rect<C>(u"animateskinrect", &C::AnimateSkinRect), Int<C>(u"framecount", &C::FrameCount),
                 Int<C>(u"animateinterval", &C::AnimateInterval, 25),
                 Bool<C>(u"inactiveanimation", &C::InActiveAnimation), Bool<C>(u"fullframe", &C::FullFrame),
                 Bool<C>(u"vistagloweffect", &C::VistaGlowEffect),
                 Bool<C>(u"vistaglowinactiveeffect", &C::VistaGlowInActiveEffect),
                 Bool<C>(u"gloweffect", &C::GlowEffect), Bool<C>(u"glowinactiveeffect", &C::GlowInActiveEffect),
                 Int<C>(u"glowsize", &C::GlowSize, 3), Int<C>(u"glowcolor", &C::GlowColor),
                 Int<C>(u"glowactivecolor", &C::GlowActiveColor), Int<C>(u"glowoffset", &C::GlowOffset),
                 Bool<C>(u"reflectioneffect", &C::ReflectionEffect),
                 Int<C>(u"reflactioncolor", &C::ReflectionColor),
                 Int<C>(u"reflactionactivecolor", &C::ReflectionActiveColor),
                 Int<C>(u"reflectionoffset", &C::ReflectionOffset))

void TbsDataSkinCaption::LoadFromFile(TCustomIniFile& IniFile) {
  TbsDataSkinObject::LoadFromFile(IniFile);
  ReadKeys(*this, IniFile, IDName, TbsDataSkinCaptionKeys());
}

namespace {

template <class T>
TbsSkinKind<TbsDataSkinObject> Kind(const char16_t* kind) {
  return KindOf<TbsDataSkinObject, T>(kind);
}

// The writer's order: a class before the classes it derives from.
const TbsSkinKinds<TbsDataSkinObject>& Kinds() {
  static const TbsSkinKinds<TbsDataSkinObject> kinds{
      Kind<TbsDataSkinMenuItem>(u"menuitem"),         Kind<TbsDataSkinMainMenuBarItem>(u"mainmenubaritem"),
      Kind<TbsDataSkinMainMenuBarButton>(u"mainmenubarbutton"), Kind<TbsDataSkinStdButton>(u"stdbutton"),
      Kind<TbsDataSkinButton>(u"button"),             Kind<TbsDataSkinCaption>(u"caption"),
      Kind<TbsDataUserObject>(u"userobject"),         Kind<TbsDataSkinAnimate>(u"animate")};
  return kinds;
}

}  // namespace

std::unique_ptr<TbsDataSkinObject> CreateSkinObjectByKind(const String& Kind, const String& AIDName) {
  return CreateByKind(Kinds(), Kind, AIDName);
}

String SkinObjectKind(const TbsDataSkinObject& Object) { return KindName(Kinds(), Object); }

}  // namespace skin
