// The stored skins of the program: a collection of named compressed skins.
//
// Each item owns one TbsCompressedStoredSkin; its binary property "Skin" is a
// complete container (version, size, zlib data), also when the skin is empty
// (eight bytes). Items are named "bsSkin<index>" when created. GUI thread only.
#pragma once

#include <memory>

#include "platform/rtl/Classes.h"
#include "skin/data/bsCompressedStoredSkin.h"

namespace skin {

class TbsCompressedSkinList;

class TbsSkinListItem : public rtl::TCollectionItem {
 public:
  explicit TbsSkinListItem(rtl::TCollection* Collection);
  ~TbsSkinListItem() override;

  TbsCompressedStoredSkin* Skin() const { return FSkin.get(); }
  String DisplayName() const override { return Name; }
  void Assign(rtl::TPersistent* Source) override;

  // The binary property "Skin".
  void ReadSkin(rtl::TStream& Stream) { FSkin->LoadFromCompressStream(Stream); }
  void WriteSkin(rtl::TStream& Stream) { FSkin->SaveToCompressStream(Stream); }

  // While the owning list is designed (and not being loaded) naming a skin
  // description or a container file fills the skin from it and keeps the name
  // without its folder; otherwise the value is only stored. The loading
  // raises what LoadFromIniFile / LoadFromCompressFile raise.
  String FileName() const { return FFileName; }
  void SetFileName(const String& Value);
  String CompressedFileName() const { return FCompressedFileName; }
  void SetCompressedFileName(const String& Value);

  String Description;
  String Name;

 private:
  bool Designing() const;

  std::unique_ptr<TbsCompressedStoredSkin> FSkin;
  String FFileName;
  String FCompressedFileName;
};

class TbsSkinListItems : public rtl::TCollection {
 public:
  explicit TbsSkinListItems(TbsCompressedSkinList* ASkinList);
  TbsSkinListItem* GetItem(int Index) const { return static_cast<TbsSkinListItem*>(Items(Index)); }
  TbsSkinListItem* AddItem() { return static_cast<TbsSkinListItem*>(Add()); }
  rtl::TPersistent* GetOwner() override;

 private:
  TbsCompressedSkinList* FSkinList;
};

class TbsCompressedSkinList : public rtl::TComponent {
 public:
  explicit TbsCompressedSkinList(rtl::TComponent* AOwner);
  ~TbsCompressedSkinList() override;

  TbsSkinListItems* Skins() const { return FSkins.get(); }
  void SetSkins(TbsSkinListItems* Value) { FSkins->Assign(Value); }

 private:
  std::unique_ptr<TbsSkinListItems> FSkins;
};

}  // namespace skin
