#include "app/mainform/Pickers.h"

namespace app {

TOfficePicker::TOfficePicker(rtl::TComponent* owner) : skin::TbsSkinOfficeComboBox(owner) {}

void TOfficePicker::ClearItems() { Items()->Clear(); }

void TOfficePicker::AddItem(const rtl::String& title, const rtl::String& caption, int imageIndex) {
  skin::TbsSkinOfficeItem* item = Items()->Add();
  item->SetTitle(title);
  item->SetCaption(caption);
  item->SetImageIndex(imageIndex);
}

rtl::String TOfficePicker::SelectedTitle() const {
  const int i = ItemIndex();
  return i >= 0 && i < ItemCount() ? Title(i) : rtl::String();
}

TPresetPicker::TPresetPicker(rtl::TComponent* owner) : skin::TbsSkinComboBox(owner) {
  SetStyle(skin::bscbFixedStyle);
}

}  // namespace app
