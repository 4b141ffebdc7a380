// The settings dialog's picker classes: the category and format pickers (an
// office combo box: items with a title, a caption and a picture) and the
// six preset boxes (a fixed-list combo box).
//
// GUI thread only.
#pragma once

#include <vector>

#include "platform/forms/StdCtrls.h"

namespace settings {

using TPresetComboBox = forms::TComboBox;

// An office picker: each item shows its title and caption. Setting ItemIndex
// from code (outside loading) fires OnClick and then OnChange, also when the
// index does not change.
class TOfficePicker : public forms::TComboBox {
 public:
  explicit TOfficePicker(rtl::TComponent* AOwner) : forms::TComboBox(AOwner) { SetStyle(forms::csDropDownList); }
  struct TItem {
    rtl::String Title, Caption;
    int ImageIndex = -1;
  };
  void ClearItems() {
    FItems.clear();
    Items()->Clear();
  }
  void AddItem(const rtl::String& Title, const rtl::String& Caption, int ImageIndex) {
    FItems.push_back({Title, Caption, ImageIndex});
    Items()->Add(Title.empty() ? Caption : Title);
  }
  int ItemCount() const { return int(FItems.size()); }
  const TItem& Item(int Index) const { return FItems.at(std::size_t(Index)); }
  void SetItemIndex(int Index) {
    forms::TComboBox::SetItemIndex(Index);
    if (Loading()) return;
    if (OnClick) OnClick(this);
    if (OnChange) OnChange(this);
  }

 private:
  std::vector<TItem> FItems;
};

}  // namespace settings
