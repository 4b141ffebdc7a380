#include "skin/data/bsCompressedSkinList.h"

#include <string>

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
  FileName = item->FileName;
  CompressedFileName = item->CompressedFileName;
  Name = item->Name;
  rtl::TMemoryStream container;
  item->WriteSkin(container);
  ReadSkin(container);
}

TbsSkinListItems::TbsSkinListItems(TbsCompressedSkinList* ASkinList)
    : rtl::TCollection(rtl::ItemClass<TbsSkinListItem>()), FSkinList(ASkinList) {}

rtl::TPersistent* TbsSkinListItems::GetOwner() { return FSkinList; }

TbsCompressedSkinList::TbsCompressedSkinList(rtl::TComponent* AOwner)
    : rtl::TComponent(AOwner), FSkins(std::make_unique<TbsSkinListItems>(this)) {}

TbsCompressedSkinList::~TbsCompressedSkinList() = default;

}  // namespace skin
