// The main window's eight pickers as its logic sees them: the category and
// format pickers (items with a title and a caption; setting the index from
// code always raises the change event) and the six preset boxes (setting the
// index raises the change event only when the shown text changes).
//
// The skinned office combo box and combo box follow those rules; these
// classes add what the main window's logic and the table builders use.
//
// GUI thread only.
#pragma once

#include <vector>

#include "app/tables/CatalogueBuilder.h"
#include "app/tables/PresetLoader.h"
#include "skin/controls/bsSkinComboBox.h"
#include "skin/controls/bsSkinOfficeListBox.h"

namespace app {

// Category and format picker.
class TOfficePicker : public skin::TbsSkinOfficeComboBox {
 public:
  explicit TOfficePicker(rtl::TComponent* owner);

  void ClearItems();
  void AddItem(const rtl::String& title, const rtl::String& caption, int imageIndex);
  int ItemCount() const { return Items()->Count(); }
  const rtl::String& Title(int index) const { return Items()->Items(index)->Title(); }
  // The selected item's title; empty with none selected.
  rtl::String SelectedTitle() const;
  // Selects the item and raises OnChange, also for the same index (not while
  // the window is being loaded).
  void SetIndex(int index) { SetItemIndex(index); }
};

// One of the six preset boxes.
class TPresetPicker : public skin::TbsSkinComboBox {
 public:
  explicit TPresetPicker(rtl::TComponent* owner);
  // Selects the entry; raises OnChange when the shown text changes.
  void SetIndex(int index) { SetItemIndex(index); }
};

// The table builders' view of the pickers.
class TFormatPickerAdapter : public tables::IFormatPicker {
 public:
  explicit TFormatPickerAdapter(TOfficePicker* picker) : p_(picker) {}
  void ClearItems() override { p_->ClearItems(); }
  void AddItem(const rtl::String& title, const rtl::String& caption, int imageIndex) override {
    p_->AddItem(title, caption, imageIndex);
  }
  void Repaint() override { p_->Repaint(); }
  void SetItemIndex(int index) override { p_->SetIndex(index); }

 private:
  TOfficePicker* p_;
};

class TPresetBoxAdapter : public tables::IPresetBox {
 public:
  explicit TPresetBoxAdapter(TPresetPicker* box = nullptr) : b_(box) {}
  void ClearItems() override { b_->Items()->Clear(); }
  void SetEnabled(bool enabled) override { b_->SetEnabled(enabled); }
  void AddItem(const rtl::String& text) override { b_->Items()->Add(text); }
  void SetItemIndex(int index) override { b_->SetIndex(index); }

 private:
  TPresetPicker* b_;
};

}  // namespace app
