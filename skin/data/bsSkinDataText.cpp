// Reading and writing the skin description text of a TbsSkinData.
#include <algorithm>
#include <string>

#include "platform/rtl/Strings.h"
#include "skin/data/bsSkinData.h"
#include "skin/data/bsSkinKeys.h"

namespace skin {

namespace {

String IntText(int v) { return rtl::Utf8ToString(std::to_string(v)); }

constexpr const char16_t* kFormInfo = u"FORMINFO";

// FORMINFO in the order it is written.
const TbsSkinKeys<TbsSkinData>& FormInfoKeys() {
  using namespace keys;
  using C = TbsSkinData;
  static const TbsSkinKeys<C> table{
      Point<C>(u"lefttoppoint", &C::LTPoint),
      Point<C>(u"righttoppoint", &C::RTPoint),
      Point<C>(u"leftbottompoint", &C::LBPoint),
      Point<C>(u"rightbottompoint", &C::RBPoint),
      Rect<C>(u"clientrect", &C::ClRect),
      Int<C>(u"bgpictureindex", &C::BGPictureIndex, -1),
      Int<C>(u"mdibgpictureindex", &C::MDIBGPictureIndex, -1),
      Bool<C>(u"leftstretch", &C::LeftStretch),
      Bool<C>(u"rightstretch", &C::RightStretch),
      Bool<C>(u"topstretch", &C::TopStretch),
      Bool<C>(u"bottomstretch", &C::BottomStretch),
      Bool<C>(u"stretcheffect", &C::StretchEffect),
      Stretch<C>(u"stretchtype", &C::StretchType),
      Bool<C>(u"mdibgstretcheffect", &C::MDIBGStretchEffect),
      Stretch<C>(u"mdibgstretchtype", &C::MDIBGStretchType),
      Rect<C>(u"maskrectarea", &C::MaskRectArea),
      Point<C>(u"hittestlefttoppoint", &C::HitTestLTPoint),
      Point<C>(u"hittestrighttoppoint", &C::HitTestRTPoint),
      Point<C>(u"hittestleftbottompoint", &C::HitTestLBPoint),
      Point<C>(u"hittestrightbottompoint", &C::HitTestRBPoint),
      Rect<C>(u"buttonsrect", &C::ButtonsRect),
      Rect<C>(u"captionrect", &C::CaptionRect),
      Int<C>(u"buttonsoffset", &C::ButtonsOffset),
      Bool<C>(u"buttonsinleft", &C::CapButtonsInLeft),
      Bool<C>(u"mainmenupopupup", &C::MainMenuPopupUp),
      Int<C>(u"borderwidth", &C::BorderW),
      Bool<C>(u"autorenderinginactiveimage", &C::AutoRenderingInActiveImage),
      Effect<C>(u"inactiveeffect", &C::InActiveEffect),
      Int<C>(u"formminwidth", &C::FormMinWidth),
      Bool<C>(u"mditabstransparent", &C::MDITabsTransparent),
      Bool<C>(u"mainmenubartransparent", &C::MainMenuBarTransparent)};
  return table;
}

// SKINOBJECTS and SKINCONTROLS: a count and "name:kind" entries, each
// entry's own section read by the description the kind creates. Unknown
// kinds are passed over.
template <class TList, class TCreate>
void ReadSkinList(TCustomIniFile& IniFile, const String& Section, TList& List, TCreate Create) {
  const int count = std::min(IniFile.ReadInteger(Section, u"count", 0), kMaxSkinListEntries);
  for (int i = 0; i < count; ++i) {
    String name, kind;
    TbsSkinData::SplitSkinEntry(IniFile.ReadString(Section, IntText(i), String()), name, kind);
    if (auto entry = Create(kind, name)) {
      List.push_back(std::move(entry));
      List.back()->LoadFromFile(IniFile);
    }
  }
}

template <class TList, class TKindOf>
void WriteSkinList(TCustomIniFile& IniFile, const String& Section, const TList& List, TKindOf KindOf) {
  IniFile.EraseSection(Section);
  IniFile.WriteInteger(Section, u"count", static_cast<int>(List.size()));
  for (size_t i = 0; i < List.size(); ++i) {
    IniFile.WriteString(Section, IntText(static_cast<int>(i)), List[i]->IDName + u":" + KindOf(*List[i]));
    List[i]->SaveToFile(IniFile);
  }
}

// The payload's text: the system code page, or UTF-8 / UTF-16 with a signature.
String DecodeSkinText(const std::uint8_t* p, size_t n) {
  if (n >= 3 && p[0] == 0xEF && p[1] == 0xBB && p[2] == 0xBF)
    return rtl::Utf8ToString(std::string_view(reinterpret_cast<const char*>(p + 3), n - 3));
  if (n >= 2 && ((p[0] == 0xFF && p[1] == 0xFE) || (p[0] == 0xFE && p[1] == 0xFF))) {
    const bool little = p[0] == 0xFF;
    String s;
    for (size_t i = 2; i + 1 < n; i += 2)
      s += char16_t(little ? (p[i] | (p[i + 1] << 8)) : ((p[i] << 8) | p[i + 1]));
    return s;
  }
  return rtl::AnsiToString(std::string_view(reinterpret_cast<const char*>(p), n));
}

}  // namespace

void TbsSkinData::SplitSkinEntry(const String& Entry, String& Name, String& Kind) {
  Name.clear();
  Kind.clear();
  const size_t colon = Entry.find(u':');
  if (colon == String::npos) return;
  Name = Entry.substr(0, colon);
  Kind = Entry.substr(colon + 1);
}

void TbsSkinData::ReadFormInfo(TCustomIniFile& IniFile) {
  ReadKeys(*this, IniFile, kFormInfo, FormInfoKeys());
  if (!FMaskName.empty()) {
    if (MaskRectArea.IsEmpty()) {
      MaskRectArea = ClRect;
    } else {
      MaskRectArea.Left = std::min(MaskRectArea.Left, ClRect.Left);
      MaskRectArea.Top = std::min(MaskRectArea.Top, ClRect.Top);
      MaskRectArea.Right = std::max(MaskRectArea.Right, ClRect.Right);
      MaskRectArea.Bottom = std::max(MaskRectArea.Bottom, ClRect.Bottom);
    }
    auto fill = [](TPoint& hit, const TPoint& corner) {
      if (hit.X == 0 || hit.Y == 0) hit = corner;
    };
    fill(HitTestLTPoint, LTPoint);
    fill(HitTestRTPoint, RTPoint);
    fill(HitTestLBPoint, LBPoint);
    fill(HitTestRBPoint, RBPoint);
  }
  if (RBPoint.X != LTPoint.X && RBPoint.Y != LTPoint.Y) {
    LTPoint.X = std::max(LTPoint.X, ClRect.Left);
    LTPoint.Y = std::max(LTPoint.Y, ClRect.Top);
    RTPoint.X = std::min(RTPoint.X, ClRect.Right);
    RTPoint.Y = std::max(RTPoint.Y, ClRect.Top);
    LBPoint.X = std::max(LBPoint.X, ClRect.Left);
    LBPoint.Y = std::min(LBPoint.Y, ClRect.Bottom);
    RBPoint.X = std::min(RBPoint.X, ClRect.Right);
    RBPoint.Y = std::min(RBPoint.Y, ClRect.Bottom);
  }
}

void TbsSkinData::WriteFormInfo(TCustomIniFile& IniFile) {
  WriteKeys(*this, IniFile, kFormInfo, FormInfoKeys());
}

void TbsSkinData::ReadSkinObjects(TCustomIniFile& IniFile) {
  ReadSkinList(IniFile, u"SKINOBJECTS", ObjectList, CreateSkinObjectByKind);
}

void TbsSkinData::ReadSkinControls(TCustomIniFile& IniFile) {
  ReadSkinList(IniFile, u"SKINCONTROLS", CtrlList, CreateSkinControlByKind);
}

void TbsSkinData::WriteSkinObjects(TCustomIniFile& IniFile) {
  WriteSkinList(IniFile, u"SKINOBJECTS", ObjectList, SkinObjectKind);
}

void TbsSkinData::WriteSkinControls(TCustomIniFile& IniFile) {
  WriteSkinList(IniFile, u"SKINCONTROLS", CtrlList, SkinControlKind);
}

void TbsSkinData::WriteActivePictureNames(TCustomIniFile& IniFile) {
  WriteIniStrings(IniFile, u"PICTURES", u"activepictures", FActivePicturesNames);
}

void TbsSkinData::ReadDescription(TCustomIniFile& IniFile) {
  SkinName = IniFile.ReadString(u"VERSION", u"skinname", String());
  SkinAuthor = IniFile.ReadString(u"VERSION", u"skinauthor", String());
  AuthorEmail = IniFile.ReadString(u"VERSION", u"authoremail", String());
  AuthorURL = IniFile.ReadString(u"VERSION", u"authorurl", String());
  SkinComments = IniFile.ReadString(u"VERSION", u"skincomments", String());
  ReadFormInfo(IniFile);
  PopupWindow->LoadFromFile(IniFile);
  LayerFrame->LoadFromFile(IniFile);
  HintWindow->LoadFromFile(IniFile);
  FSkinColors->LoadFromFile(IniFile);
  ReadSkinObjects(IniFile);
  ReadSkinControls(IniFile);
}

void TbsSkinData::WriteSkinDescription(TCustomIniFile& IniFile) {
  IniFile.EraseSection(u"VERSION");
  IniFile.WriteInteger(u"VERSION", u"ver", 1);
  IniFile.WriteString(u"VERSION", u"skinname", SkinName);
  IniFile.WriteString(u"VERSION", u"skinauthor", SkinAuthor);
  IniFile.WriteString(u"VERSION", u"authoremail", AuthorEmail);
  IniFile.WriteString(u"VERSION", u"authorurl", AuthorURL);
  IniFile.WriteString(u"VERSION", u"skincomments", SkinComments);
  IniFile.EraseSection(u"PICTURES");
  IniFile.WriteString(u"PICTURES", u"picture", FPictureName);
  IniFile.WriteString(u"PICTURES", u"inactivepicture", FInActivePictureName);
  IniFile.WriteString(u"PICTURES", u"mask", FMaskName);
  WriteActivePictureNames(IniFile);
  IniFile.EraseSection(kFormInfo);
  WriteFormInfo(IniFile);
  PopupWindow->SaveToFile(IniFile);
  LayerFrame->SaveToFile(IniFile);
  HintWindow->SaveToFile(IniFile);
  IniFile.EraseSection(u"SKINCOLORS");
  FSkinColors->SaveToFile(IniFile);
  WriteSkinObjects(IniFile);
  WriteSkinControls(IniFile);
}

void TbsSkinData::ReadStoredPayload(rtl::TMemoryStream& Payload) {
  // The version was read by the caller; pictures follow in a fixed order.
  Payload.SetPosition(0);
  std::int32_t version = 0;
  Payload.ReadBuffer(&version, 4);
  for (TbsSkinPicture* picture : {&FPicture, &FInActivePicture, &FMask}) {
    std::uint8_t flag = 1;
    Payload.ReadBuffer(&flag, 1);
    if (flag == 0)
      picture->LoadFromStream(Payload);
    else
      picture->Clear();
  }
  if (version == 2) {
    TbsSkinPicture discard;
    for (int i = 0; i < 2; ++i) {
      std::uint8_t flag = 1;
      Payload.ReadBuffer(&flag, 1);
      if (flag == 0) discard.LoadFromStream(Payload);
    }
  }
  std::int32_t count = 0;
  Payload.ReadBuffer(&count, 4);
  for (std::int32_t i = 0; i < count; ++i) {
    auto picture = std::make_unique<TbsSkinPicture>();
    picture->LoadFromStream(Payload);
    FActivePictures.push_back(std::move(picture));
  }
  const rtl::Int64 at = Payload.Position();
  const rtl::Int64 size = Payload.Size();
  const auto* bytes = static_cast<const std::uint8_t*>(Payload.Memory());
  TMemIniFile ini;
  if (at < size) SetIniText(ini, DecodeSkinText(bytes + at, size_t(size - at)));
  FPictureName = ini.ReadString(u"PICTURES", u"picture", String());
  FInActivePictureName = ini.ReadString(u"PICTURES", u"inactivepicture", String());
  FMaskName = ini.ReadString(u"PICTURES", u"mask", String());
  ReadIniStrings(ini, u"PICTURES", u"activepictures", FActivePicturesNames);
  ReadDescription(ini);
}

}  // namespace skin
