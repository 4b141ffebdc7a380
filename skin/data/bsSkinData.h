// The loaded skin: pictures, frame geometry, frame-object and control
// descriptions, colours, and the popup, layered-border and hint windows.
//
// Every skinned window and control points to one TbsSkinData and looks its
// description up by name (GetControlIndex, GetIndex); indexes must be looked
// up again after every change of skin. A load or clear runs the change
// protocol: MSG_SKIN_CHANGING before the old skin is freed, MSG_SKIN_CHANGED
// once the new one is in place, MSG_SKIN_CHANGE_DONE last, each sent to every
// form through the form registry. A load that fails part-way (damaged
// picture, malformed rectangle, corrupt compressed data) leaves the skin
// empty, still sends MSG_SKIN_CHANGED and MSG_SKIN_CHANGE_DONE so receivers
// never stay mid-change, and then lets the exception through.
//
// Owns its pictures, descriptions and the four window/colour descriptions;
// refers to (does not own) the stored skin list, the stored skin and the
// resource strings. GUI thread only.
#pragma once

#include <memory>
#include <vector>

#include "platform/rtl/Classes.h"
#include "skin/data/bsIniFiles.h"
#include "skin/data/bsSkinDataControls.h"
#include "skin/data/bsSkinDataObjects.h"
#include "skin/data/bsSkinDataWindows.h"
#include "skin/data/bsSkinFormRegistry.h"
#include "skin/data/bsSkinPicture.h"

namespace skin {

class TbsCompressedSkinList;
class TbsCompressedStoredSkin;
class TbsResourceStrData;

class TbsSkinData : public rtl::TComponent {
 public:
  explicit TbsSkinData(rtl::TComponent* AOwner);
  ~TbsSkinData() override;

  // Lookup: the first description whose IDName equals AIDName exactly, or -1.
  int GetControlIndex(const String& AIDName) const;
  int GetIndex(const String& AIDName) const;

  void LoadFromFile(const String& FileName);
  void LoadCompressedStoredSkin(TbsCompressedStoredSkin* AStoredSkin);
  void LoadFromCompressedFile(const String& FileName);
  void ClearSkin();

  void SaveToFile(const String& FileName);
  void StoreToDisk(const String& AFileName);
  void SaveToCompressedFile(const String& FileName);
  void WriteSkinDescription(TCustomIniFile& IniFile);

  void AddBitMap(const String& FileName);
  void DeleteBitMap(int Index);
  void ClearObjects();
  void ClearAll();
  void SendSkinDataMessage(unsigned M);

  void Notification(rtl::TComponent* AComponent, rtl::TOperation Operation) override;

  // Published properties.
  bool SkinnableForm() const { return FSkinnableForm; }
  void SetSkinnableForm(bool Value);
  bool ShowLayeredBorders() const { return FShowLayeredBorders; }
  void SetShowLayeredBorders(bool Value);
  TbsCompressedStoredSkin* CompressedStoredSkin() const { return FCompressedStoredSkin; }
  void SetCompressedStoredSkin(TbsCompressedStoredSkin* Value);
  TbsResourceStrData* ResourceStrData() const { return FResourceStrData; }
  void SetResourceStrData(TbsResourceStrData* Value);
  TbsCompressedSkinList* SkinList() const { return FCompressedSkinList; }
  void SetSkinList(TbsCompressedSkinList* Value);
  int SkinIndex() const { return FCompressedSkinIndex; }
  void SetSkinIndex(int Value);
  const TbsSkinColors& SkinColors() const { return *FSkinColors; }

  bool AnimationForAllWindows = false;
  bool EnableSkinEffects = true;
  bool ShowButtonGlowFrames = true;
  bool ShowCaptionButtonGlowFrames = true;

  // The skin itself; read by the frames and controls.
  TbsSkinPicture& Picture() { return FPicture; }
  TbsSkinPicture& InActivePicture() { return FInActivePicture; }
  TbsSkinPicture& Mask() { return FMask; }
  const String& PictureName() const { return FPictureName; }
  const String& InActivePictureName() const { return FInActivePictureName; }
  const String& MaskName() const { return FMaskName; }
  std::vector<std::unique_ptr<TbsSkinPicture>>& ActivePictures() { return FActivePictures; }
  std::vector<String>& ActivePicturesNames() { return FActivePicturesNames; }

  TRect ButtonsRect{}, CaptionRect{};
  int ButtonsOffset = 0;
  bool CapButtonsInLeft = false, AutoRenderingInActiveImage = false;
  TbsInActiveEffect InActiveEffect = ieBrightness;
  std::unique_ptr<TbsDataSkinPopupWindow> PopupWindow;
  std::unique_ptr<TbsDataSkinLayerFrame> LayerFrame;
  std::unique_ptr<TbsDataSkinHintWindow> HintWindow;
  bool Empty = true;
  std::vector<std::unique_ptr<TbsDataSkinObject>> ObjectList;
  std::vector<std::unique_ptr<TbsDataSkinControl>> CtrlList;
  TPoint LTPoint{}, RTPoint{}, LBPoint{}, RBPoint{};
  int BGPictureIndex = -1, MDIBGPictureIndex = -1;
  bool MainMenuPopupUp = false;
  TRect MaskRectArea{};
  TPoint HitTestLTPoint{}, HitTestRTPoint{}, HitTestLBPoint{}, HitTestRBPoint{};
  TRect ClRect{};
  int BorderW = 0, FormMinWidth = 0;
  bool MDITabsTransparent = false, MainMenuBarTransparent = false;
  bool TopStretch = false, LeftStretch = false, RightStretch = false, BottomStretch = false, StretchEffect = false;
  TbsStretchType StretchType = bsstFull;
  bool MDIBGStretchEffect = false;
  TbsStretchType MDIBGStretchType = bsstFull;
  String SkinName, SkinAuthor, AuthorURL, AuthorEmail, SkinComments;
  bool ChangeSkinDataProcess = false;

  // Steps of reading and writing the description text.
  static void SplitSkinEntry(const String& Entry, String& Name, String& Kind);
  void ReadFormInfo(TCustomIniFile& IniFile);
  void WriteFormInfo(TCustomIniFile& IniFile);
  void ReadSkinObjects(TCustomIniFile& IniFile);
  void ReadSkinControls(TCustomIniFile& IniFile);
  void WriteSkinObjects(TCustomIniFile& IniFile);
  void WriteSkinControls(TCustomIniFile& IniFile);
  void LoadActivePictures(TCustomIniFile& IniFile, const String& Folder);
  void WriteActivePictureNames(TCustomIniFile& IniFile);

 private:
  friend class TbsCompressedStoredSkin;
  // VERSION, picture names, FORMINFO, the window descriptions, colours and
  // both entry lists; the pictures are the caller's.
  void ReadDescription(TCustomIniFile& IniFile);
  void BeginChange();
  void EndChange();
  void AbortChange();
  void ReadStoredPayload(rtl::TMemoryStream& Payload);
  void LoadFolderSkin(TCustomIniFile& IniFile, const String& Folder);

  TbsCompressedSkinList* FCompressedSkinList = nullptr;
  int FCompressedSkinIndex = 0;
  bool FSkinnableForm = true;
  TbsCompressedStoredSkin* FCompressedStoredSkin = nullptr;
  TbsResourceStrData* FResourceStrData = nullptr;
  std::unique_ptr<TbsSkinColors> FSkinColors;
  bool FShowLayeredBorders = true;
  TbsSkinPicture FPicture, FInActivePicture, FMask;
  std::vector<std::unique_ptr<TbsSkinPicture>> FActivePictures;
  String FPictureName, FInActivePictureName, FMaskName;
  std::vector<String> FActivePicturesNames;
};

}  // namespace skin
