#include "skin/data/bsCompressedSkinList.h"

#include <string>

#include "platform/rtl/FileSys.h"
#include "platform/rtl/Strings.h"

namespace skin {

TbsSkinListItem::TbsSkinListItem(rtl::TCollection* Collection)
    : rtl::TCollectionItem(Collection), FSkin(std::make_unique<TbsCompressedStoredSkin>(nullptr)) {
  Name = u"bsSkin" + rtl::Utf8ToString(std::to_string(Index()));
}

TbsSkinListItem::~TbsSkinListItem() = default;

void TbsSkinListItem::Assign(rtl::TPersistent* Source) {
  auto* item = dynamic_cast<TbsSkinListItem*>(Source);
  if (!item) {
    rtl::TCollectionItem::Assign(Source);
    return;
  }
  Description = item->Description;
  FFileName = item->FFileName;
  FCompressedFileName = item->FCompressedFileName;
  Name = item->Name;
  rtl::TMemoryStream container;
  item->WriteSkin(container);
  ReadSkin(container);
}

bool TbsSkinListItem::Designing() const {
  auto* items = dynamic_cast<TbsSkinListItems*>(Collection());
  auto* list = items ? dynamic_cast<TbsCompressedSkinList*>(items->GetOwner()) : nullptr;
  return list && list->ComponentState().Contains(rtl::csDesigning) && !list->ComponentState().Contains(rtl::csLoading);
}

void TbsSkinListItem::SetFileName(const String& Value) {
  if (!Designing()) {
    FFileName = Value;
    return;
  }
  FSkin->LoadFromIniFile(Value);
  FFileName = rtl::ExtractFileName(Value);
}

void TbsSkinListItem::SetCompressedFileName(const String& Value) {
  if (!Designing()) {
    FCompressedFileName = Value;
    return;
  }
  FSkin->LoadFromCompressFile(Value);
  FCompressedFileName = rtl::ExtractFileName(Value);
}

TbsSkinListItems::TbsSkinListItems(TbsCompressedSkinList* ASkinList)
    : rtl::TCollection(rtl::ItemClass<TbsSkinListItem>()), FSkinList(ASkinList) {}

rtl::TPersistent* TbsSkinListItems::GetOwner() { return FSkinList; }

TbsCompressedSkinList::TbsCompressedSkinList(rtl::TComponent* AOwner)
    : rtl::TComponent(AOwner), FSkins(std::make_unique<TbsSkinListItems>(this)) {}

TbsCompressedSkinList::~TbsCompressedSkinList() = default;

}  // namespace skin
