// Reading and writing the skin description text of a TbsSkinData.
#include <algorithm>
#include <string>

#include "platform/rtl/Strings.h"
#include "skin/data/bsSkinData.h"

namespace skin {

namespace {

String IntText(int v) { return rtl::Utf8ToString(std::to_string(v)); }

constexpr const char16_t* kFormInfo = u"FORMINFO";

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
  TCustomIniFile& f = IniFile;
  LTPoint = ReadIniPoint(f, kFormInfo, u"lefttoppoint");
  RTPoint = ReadIniPoint(f, kFormInfo, u"righttoppoint");
  LBPoint = ReadIniPoint(f, kFormInfo, u"leftbottompoint");
  RBPoint = ReadIniPoint(f, kFormInfo, u"rightbottompoint");
  ClRect = ReadIniRect(f, kFormInfo, u"clientrect");
  BGPictureIndex = f.ReadInteger(kFormInfo, u"bgpictureindex", -1);
  MDIBGPictureIndex = f.ReadInteger(kFormInfo, u"mdibgpictureindex", -1);
  LeftStretch = ReadIniBool(f, kFormInfo, u"leftstretch");
  RightStretch = ReadIniBool(f, kFormInfo, u"rightstretch");
  TopStretch = ReadIniBool(f, kFormInfo, u"topstretch");
  BottomStretch = ReadIniBool(f, kFormInfo, u"bottomstretch");
  StretchEffect = ReadIniBool(f, kFormInfo, u"stretcheffect");
  StretchType = ReadIniStretchType(f, kFormInfo, u"stretchtype");
  MDIBGStretchEffect = ReadIniBool(f, kFormInfo, u"mdibgstretcheffect");
  MDIBGStretchType = ReadIniStretchType(f, kFormInfo, u"mdibgstretchtype");
  MaskRectArea = ReadIniRect(f, kFormInfo, u"maskrectarea");
  HitTestLTPoint = ReadIniPoint(f, kFormInfo, u"hittestlefttoppoint");
  HitTestRTPoint = ReadIniPoint(f, kFormInfo, u"hittestrighttoppoint");
  HitTestLBPoint = ReadIniPoint(f, kFormInfo, u"hittestleftbottompoint");
  HitTestRBPoint = ReadIniPoint(f, kFormInfo, u"hittestrightbottompoint");
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
  ButtonsRect = ReadIniRect(f, kFormInfo, u"buttonsrect");
  CaptionRect = ReadIniRect(f, kFormInfo, u"captionrect");
  ButtonsOffset = f.ReadInteger(kFormInfo, u"buttonsoffset", 0);
  CapButtonsInLeft = ReadIniBool(f, kFormInfo, u"buttonsinleft");
  MainMenuPopupUp = ReadIniBool(f, kFormInfo, u"mainmenupopupup");
  BorderW = f.ReadInteger(kFormInfo, u"borderwidth", 0);
  FormMinWidth = f.ReadInteger(kFormInfo, u"formminwidth", 0);
  MDITabsTransparent = ReadIniBool(f, kFormInfo, u"mditabstransparent");
  MainMenuBarTransparent = ReadIniBool(f, kFormInfo, u"mainmenubartransparent");
  AutoRenderingInActiveImage = ReadIniBool(f, kFormInfo, u"autorenderinginactiveimage");
  InActiveEffect = ReadIniInactiveEffect(f, kFormInfo, u"inactiveeffect");
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
  TCustomIniFile& f = IniFile;
  WriteIniPoint(f, kFormInfo, u"lefttoppoint", LTPoint);
  WriteIniPoint(f, kFormInfo, u"righttoppoint", RTPoint);
  WriteIniPoint(f, kFormInfo, u"leftbottompoint", LBPoint);
  WriteIniPoint(f, kFormInfo, u"rightbottompoint", RBPoint);
  WriteIniRect(f, kFormInfo, u"clientrect", ClRect);
  f.WriteInteger(kFormInfo, u"bgpictureindex", BGPictureIndex);
  f.WriteInteger(kFormInfo, u"mdibgpictureindex", MDIBGPictureIndex);
  WriteIniBool(f, kFormInfo, u"leftstretch", LeftStretch);
  WriteIniBool(f, kFormInfo, u"rightstretch", RightStretch);
  WriteIniBool(f, kFormInfo, u"topstretch", TopStretch);
  WriteIniBool(f, kFormInfo, u"bottomstretch", BottomStretch);
  WriteIniBool(f, kFormInfo, u"stretcheffect", StretchEffect);
  WriteIniStretchType(f, kFormInfo, u"stretchtype", StretchType);
  WriteIniBool(f, kFormInfo, u"mdibgstretcheffect", MDIBGStretchEffect);
  WriteIniStretchType(f, kFormInfo, u"mdibgstretchtype", MDIBGStretchType);
  WriteIniRect(f, kFormInfo, u"maskrectarea", MaskRectArea);
  WriteIniPoint(f, kFormInfo, u"hittestlefttoppoint", HitTestLTPoint);
  WriteIniPoint(f, kFormInfo, u"hittestrighttoppoint", HitTestRTPoint);
  WriteIniPoint(f, kFormInfo, u"hittestleftbottompoint", HitTestLBPoint);
  WriteIniPoint(f, kFormInfo, u"hittestrightbottompoint", HitTestRBPoint);
  WriteIniRect(f, kFormInfo, u"buttonsrect", ButtonsRect);
  WriteIniRect(f, kFormInfo, u"captionrect", CaptionRect);
  f.WriteInteger(kFormInfo, u"buttonsoffset", ButtonsOffset);
  WriteIniBool(f, kFormInfo, u"buttonsinleft", CapButtonsInLeft);
  WriteIniBool(f, kFormInfo, u"mainmenupopupup", MainMenuPopupUp);
  f.WriteInteger(kFormInfo, u"borderwidth", BorderW);
  WriteIniBool(f, kFormInfo, u"autorenderinginactiveimage", AutoRenderingInActiveImage);
  WriteIniInactiveEffect(f, kFormInfo, u"inactiveeffect", InActiveEffect);
  f.WriteInteger(kFormInfo, u"formminwidth", FormMinWidth);
  WriteIniBool(f, kFormInfo, u"mditabstransparent", MDITabsTransparent);
  WriteIniBool(f, kFormInfo, u"mainmenubartransparent", MainMenuBarTransparent);
}

void TbsSkinData::ReadSkinObjects(TCustomIniFile& IniFile) {
  const int count = std::min(IniFile.ReadInteger(u"SKINOBJECTS", u"count", 0), kMaxSkinListEntries);
  for (int i = 0; i < count; ++i) {
    String name, kind;
    SplitSkinEntry(IniFile.ReadString(u"SKINOBJECTS", IntText(i), String()), name, kind);
    if (auto object = CreateSkinObjectByKind(kind, name)) {
      ObjectList.push_back(std::move(object));
      ObjectList.back()->LoadFromFile(IniFile);
    }
  }
}

void TbsSkinData::ReadSkinControls(TCustomIniFile& IniFile) {
  const int count = std::min(IniFile.ReadInteger(u"SKINCONTROLS", u"count", 0), kMaxSkinListEntries);
  for (int i = 0; i < count; ++i) {
    String name, kind;
    SplitSkinEntry(IniFile.ReadString(u"SKINCONTROLS", IntText(i), String()), name, kind);
    if (auto control = CreateSkinControlByKind(kind, name)) {
      CtrlList.push_back(std::move(control));
      CtrlList.back()->LoadFromFile(IniFile);
    }
  }
}

void TbsSkinData::WriteSkinObjects(TCustomIniFile& IniFile) {
  IniFile.EraseSection(u"SKINOBJECTS");
  IniFile.WriteInteger(u"SKINOBJECTS", u"count", static_cast<int>(ObjectList.size()));
  for (size_t i = 0; i < ObjectList.size(); ++i) {
    IniFile.WriteString(u"SKINOBJECTS", IntText(static_cast<int>(i)),
                        ObjectList[i]->IDName + u":" + SkinObjectKind(*ObjectList[i]));
    ObjectList[i]->SaveToFile(IniFile);
  }
}

void TbsSkinData::WriteSkinControls(TCustomIniFile& IniFile) {
  IniFile.EraseSection(u"SKINCONTROLS");
  IniFile.WriteInteger(u"SKINCONTROLS", u"count", static_cast<int>(CtrlList.size()));
  for (size_t i = 0; i < CtrlList.size(); ++i) {
    IniFile.WriteString(u"SKINCONTROLS", IntText(static_cast<int>(i)),
                        CtrlList[i]->IDName + u":" + SkinControlKind(*CtrlList[i]));
    CtrlList[i]->SaveToFile(IniFile);
  }
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
