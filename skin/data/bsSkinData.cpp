#include "skin/data/bsSkinData.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileSys.h"
#include "platform/rtl/Strings.h"
#include "skin/data/bsCompressedSkinList.h"
#include "skin/data/bsCompressedStoredSkin.h"
#include "skin/data/bsResourceStrData.h"

namespace skin {

TbsSkinData::TbsSkinData(rtl::TComponent* AOwner)
    : rtl::TComponent(AOwner),
      PopupWindow(std::make_unique<TbsDataSkinPopupWindow>()),
      LayerFrame(std::make_unique<TbsDataSkinLayerFrame>()),
      HintWindow(std::make_unique<TbsDataSkinHintWindow>()),
      FSkinColors(std::make_unique<TbsSkinColors>()) {}

TbsSkinData::~TbsSkinData() {
  Empty = true;
  ClearObjects();
}

int TbsSkinData::GetControlIndex(const String& AIDName) const {
  for (size_t i = 0; i < CtrlList.size(); ++i)
    if (CtrlList[i]->IDName == AIDName) return static_cast<int>(i);
  return -1;
}

int TbsSkinData::GetIndex(const String& AIDName) const {
  for (size_t i = 0; i < ObjectList.size(); ++i)
    if (ObjectList[i]->IDName == AIDName) return static_cast<int>(i);
  return -1;
}

void TbsSkinData::ClearObjects() {
  ObjectList.clear();
  CtrlList.clear();
  LayerFrame->PictureIndex = -1;
  PopupWindow->WindowPictureIndex = -1;
  HintWindow->WindowPictureIndex = -1;
  FActivePictures.clear();
  FActivePicturesNames.clear();
  FSkinColors->SetColorsToDefault();
}

void TbsSkinData::ClearAll() {
  ClearObjects();
  FPicture.Clear();
  FMask.Clear();
  FInActivePicture.Clear();
  FPictureName.clear();
  FInActivePictureName.clear();
  FMaskName.clear();
  Empty = true;
}

void TbsSkinData::SendSkinDataMessage(unsigned M) {
  IbsSkinFormRegistry* registry = SkinFormRegistry();
  if (!registry) return;
  const auto wparam = reinterpret_cast<std::uintptr_t>(this);
  constexpr std::intptr_t kLParam = 1000;
  IbsSkinForm* ownerForm = nullptr;
  if (!FShowLayeredBorders && Owner()) {
    ownerForm = registry->FormOf(Owner());
    if (ownerForm) ownerForm->SendSkinMessage(M, wparam, kLParam);
  }
  std::vector<IbsSkinForm*> targets;
  for (IbsSkinForm* form : registry->Forms())
    if (form && form != ownerForm && form->FormClassName() != u"TbsFormLayerWindow") targets.push_back(form);
  if (FShowLayeredBorders && LayerFrame->PictureIndex != -1) {
    for (auto it = targets.rbegin(); it != targets.rend(); ++it) (*it)->SendSkinMessage(M, wparam, kLParam);
  } else {
    for (IbsSkinForm* form : targets) form->SendSkinMessage(M, wparam, kLParam);
  }
}

void TbsSkinData::BeginChange() {
  Empty = true;
  ChangeSkinDataProcess = true;
  SendSkinDataMessage(MSG_SKIN_CHANGING);
  ClearAll();
}

void TbsSkinData::EndChange() {
  Empty = false;
  SendSkinDataMessage(MSG_SKIN_CHANGED);
  ChangeSkinDataProcess = false;
  SendSkinDataMessage(MSG_SKIN_CHANGE_DONE);
}

// Receivers expect every CHANGING to be followed by CHANGED and DONE: a load
// that fails part-way ends as a change to an empty skin.
void TbsSkinData::AbortChange() {
  ClearAll();
  ChangeSkinDataProcess = false;
  SendSkinDataMessage(MSG_SKIN_CHANGED);
  SendSkinDataMessage(MSG_SKIN_CHANGE_DONE);
}

void TbsSkinData::ClearSkin() {
  ClearAll();
  SendSkinDataMessage(MSG_SKIN_CHANGING);
  SendSkinDataMessage(MSG_SKIN_CHANGED);
  SendSkinDataMessage(MSG_SKIN_CHANGE_DONE);
}

void TbsSkinData::LoadFromFile(const String& FileName) {
  TMemIniFile ini(FileName);
  if (!IsSkinDescription(ini)) return;
  const String folder = rtl::ExtractFilePath(FileName);
  BeginChange();
  try {
    LoadFolderSkin(ini, folder);
  } catch (...) {
    AbortChange();
    throw;
  }
  EndChange();
}

void TbsSkinData::LoadFolderSkin(TCustomIniFile& IniFile, const String& Folder) {
  FPictureName = IniFile.ReadString(u"PICTURES", u"picture", String());
  FInActivePictureName = IniFile.ReadString(u"PICTURES", u"inactivepicture", String());
  FMaskName = IniFile.ReadString(u"PICTURES", u"mask", String());
  for (auto [name, picture] : {std::pair{&FPictureName, &FPicture}, std::pair{&FInActivePictureName, &FInActivePicture},
                               std::pair{&FMaskName, &FMask}}) {
    if (name->empty())
      picture->Clear();
    else
      picture->LoadFromFile(Folder + *name);
  }
  LoadActivePictures(IniFile, Folder);
  ReadDescription(IniFile);
}

void TbsSkinData::LoadActivePictures(TCustomIniFile& IniFile, const String& Folder) {
  ReadIniStrings(IniFile, u"PICTURES", u"activepictures", FActivePicturesNames);
  for (const String& name : FActivePicturesNames) {
    FActivePictures.push_back(std::make_unique<TbsSkinPicture>());
    FActivePictures.back()->LoadFromFile(Folder + name);
  }
}

void TbsSkinData::LoadCompressedStoredSkin(TbsCompressedStoredSkin* AStoredSkin) {
  if (!AStoredSkin || AStoredSkin->Empty()) return;
  BeginChange();
  bool loaded = false;
  try {
    rtl::TMemoryStream payload;
    AStoredSkin->DeCompressToStream(payload);
    payload.SetPosition(0);
    std::int32_t version = 0;
    payload.ReadBuffer(&version, 4);
    if (version < 4) {
      ReadStoredPayload(payload);
      loaded = true;
    }
  } catch (...) {
    AbortChange();
    throw;
  }
  if (loaded) {
    EndChange();
  } else {
    // A payload of a later format: the change ends with the skin empty.
    ChangeSkinDataProcess = false;
    SendSkinDataMessage(MSG_SKIN_CHANGED);
    SendSkinDataMessage(MSG_SKIN_CHANGE_DONE);
  }
}

void TbsSkinData::LoadFromCompressedFile(const String& FileName) {
  TbsCompressedStoredSkin stored(nullptr);
  stored.LoadFromCompressFile(FileName);
  if (!stored.Empty()) LoadCompressedStoredSkin(&stored);
}

void TbsSkinData::SaveToFile(const String& FileName) {
  TMemIniFile ini(FileName);
  WriteSkinDescription(ini);
  ini.UpdateFile();
}

void TbsSkinData::StoreToDisk(const String& AFileName) {
  SaveToFile(AFileName);
  const String folder = rtl::ExtractFilePath(AFileName);
  if (!FPicture.Empty()) FPicture.SaveToFile(folder + FPictureName);
  if (!FInActivePicture.Empty()) FInActivePicture.SaveToFile(folder + FInActivePictureName);
  if (!FMask.Empty()) FMask.SaveToFile(folder + FMaskName);
  if (!FActivePicturesNames.empty())
    for (size_t i = 0; i < FActivePictures.size() && i < FActivePicturesNames.size(); ++i)
      FActivePictures[i]->SaveToFile(folder + FActivePicturesNames[i]);
}

void TbsSkinData::SaveToCompressedFile(const String& FileName) {
  TbsCompressedStoredSkin stored(nullptr);
  stored.LoadFromSkinData(this);
  stored.SaveToCompressFile(FileName);
}

void TbsSkinData::AddBitMap(const String& FileName) {
  FActivePicturesNames.push_back(rtl::ExtractFileName(FileName));
  FActivePictures.push_back(std::make_unique<TbsSkinPicture>());
  FActivePictures.back()->LoadFromFile(FileName);
}

void TbsSkinData::DeleteBitMap(int Index) {
  if (Index < 0 || Index >= static_cast<int>(FActivePictures.size()) ||
      Index >= static_cast<int>(FActivePicturesNames.size()))
    throw rtl::EListError(rtl::S("List index out of bounds (" + std::to_string(Index) + ")"));
  FActivePicturesNames.erase(FActivePicturesNames.begin() + Index);
  FActivePictures.erase(FActivePictures.begin() + Index);
}

void TbsSkinData::Notification(rtl::TComponent* AComponent, rtl::TOperation Operation) {
  rtl::TComponent::Notification(AComponent, Operation);
  if (Operation != rtl::opRemove) return;
  if (AComponent == FCompressedStoredSkin) FCompressedStoredSkin = nullptr;
  if (AComponent == FResourceStrData) FResourceStrData = nullptr;
  if (AComponent == FCompressedSkinList) FCompressedSkinList = nullptr;
}

void TbsSkinData::SetSkinnableForm(bool Value) {
  if (FSkinnableForm == Value) return;
  FSkinnableForm = Value;
  if (!ComponentState().Contains(rtl::csDesigning) && !ComponentState().Contains(rtl::csLoading))
    SendSkinDataMessage(MSG_SKINNABLE_FORM_CHANGED);
}

void TbsSkinData::SetShowLayeredBorders(bool Value) {
  if (FShowLayeredBorders == Value) return;
  FShowLayeredBorders = Value;
  if (!ComponentState().Contains(rtl::csDesigning) && !ComponentState().Contains(rtl::csLoading))
    SendSkinDataMessage(MSG_LAYERED_BORDERS_CHANGED);
}

void TbsSkinData::SetCompressedStoredSkin(TbsCompressedStoredSkin* Value) {
  FCompressedStoredSkin = Value;
  if (Value) Value->FreeNotification(this);
  if (Value && !ComponentState().Contains(rtl::csDesigning)) LoadCompressedStoredSkin(Value);
}

void TbsSkinData::SetResourceStrData(TbsResourceStrData* Value) {
  FResourceStrData = Value;
  if (Value) Value->FreeNotification(this);
  if (!ComponentState().Contains(rtl::csDesigning)) SendSkinDataMessage(MSG_RESOURCE_STRINGS_CHANGED);
}

void TbsSkinData::SetSkinList(TbsCompressedSkinList* Value) {
  FCompressedSkinList = Value;
  if (!Value || ComponentState().Contains(rtl::csDesigning)) return;
  Value->FreeNotification(this);
  if (FCompressedSkinIndex >= 0 && FCompressedSkinIndex < Value->Skins()->Count())
    LoadCompressedStoredSkin(Value->Skins()->GetItem(FCompressedSkinIndex)->Skin());
}

void TbsSkinData::SetSkinIndex(int Value) {
  if (Value == FCompressedSkinIndex) return;
  if (!FCompressedSkinList) {
    FCompressedSkinIndex = Value;
    return;
  }
  if (Value < 0 || Value >= FCompressedSkinList->Skins()->Count()) return;
  FCompressedSkinIndex = Value;
  if (!ComponentState().Contains(rtl::csDesigning))
    LoadCompressedStoredSkin(FCompressedSkinList->Skins()->GetItem(Value)->Skin());
}

}  // namespace skin
