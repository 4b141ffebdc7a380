#include "app/mainform/Pickers.h"

namespace app {

TOfficePicker::TOfficePicker(rtl::TComponent* owner) : forms::TComboBox(owner) {
  SetStyle(forms::csDropDownList);
  SetDropDownCount(4);
}

void TOfficePicker::ClearItems() {
  titles_.clear();
  Items()->Clear();
  TCustomComboBox::SetItemIndex(-1);
}

void TOfficePicker::AddItem(const rtl::String& title, const rtl::String& caption, int imageIndex) {
  titles_.push_back(title);
  Items()->Add(title);
}

rtl::String TOfficePicker::SelectedTitle() const {
  const int i = ItemIndex();
  return i >= 0 && i < ItemCount() ? titles_[std::size_t(i)] : rtl::String();
}

void TOfficePicker::SetIndex(int index) {
  TCustomComboBox::SetItemIndex(index);
  if (ComponentState().Contains(rtl::csLoading)) return;
  Change();
}

TPresetPicker::TPresetPicker(rtl::TComponent* owner) : forms::TComboBox(owner) {
  SetStyle(forms::csDropDownList);
  SetDropDownCount(12);
}

void TPresetPicker::SetIndex(int index) {
  const rtl::String before = Text();
  TCustomComboBox::SetItemIndex(index);
  if (ComponentState().Contains(rtl::csLoading)) return;
  if (Text() != before) Change();
}

}  // namespace app
