#include "platform/forms/ListModel.h"

#include <algorithm>

#include "platform/rtl/StrUtils.h"

namespace forms {

void TListModel::Insert(int index, int rows) {
  if (rows <= 0) return;
  index = std::clamp(index, 0, count_);
  count_ += rows;
  for (int& r : selected_)
    if (r >= index) r += rows;
  for (int* r : {&caret_, &anchor_})
    if (*r >= index) *r += rows;
}

void TListModel::Remove(int index, int rows) {
  if (index < 0 || index >= count_ || rows <= 0) return;
  rows = std::min(rows, count_ - index);
  count_ -= rows;
  std::vector<int> kept;
  for (int r : selected_) {
    if (r < index) kept.push_back(r);
    else if (r >= index + rows) kept.push_back(r - rows);
  }
  selected_ = std::move(kept);
  for (int* r : {&caret_, &anchor_}) {
    if (*r >= index + rows) *r -= rows;
    else if (*r >= index) *r = multi_ ? std::min(index, count_ - 1) : -1;
  }
  ClampState();
}

void TListModel::Clear() {
  count_ = 0;
  selected_.clear();
  caret_ = anchor_ = -1;
  top_ = 0;
}

void TListModel::SetViewport(int heightPx, int rowHeightPx) {
  heightPx_ = std::max(0, heightPx);
  rowHeight_ = std::max(1, rowHeightPx);
  ClampState();
}

int TListModel::PageRows() const { return std::max(1, heightPx_ / rowHeight_); }

void TListModel::SetColumns(int visibleColumns, int columnWidthPx) {
  visibleColumns_ = std::max(0, visibleColumns);
  columnWidth_ = std::max(1, columnWidthPx);
  ClampState();
}

int TListModel::ColumnCount() const { return (count_ + PageRows() - 1) / PageRows(); }

void TListModel::SetMultiSelect(bool multi) {
  if (multi_ == multi) return;
  multi_ = multi;
  if (!multi_ && selected_.size() > 1) selected_ = {caret_ >= 0 ? caret_ : selected_.front()};
}

void TListModel::SelectOnly(int index) {
  selected_.clear();
  if (index >= 0 && index < count_) selected_.push_back(index);
  caret_ = anchor_ = (index >= 0 && index < count_) ? index : -1;
}

void TListModel::SetItemIndex(int index) {
  if (index < 0 || index >= count_) index = -1;
  if (multi_) {
    caret_ = anchor_ = index;
    return;
  }
  SelectOnly(index);
}

void TListModel::SetCaretRow(int index) {
  if (index < 0 || index >= count_) return;
  caret_ = anchor_ = index;
}

bool TListModel::Selected(int index) const {
  return std::binary_search(selected_.begin(), selected_.end(), index);
}

void TListModel::SetSelected(int index, bool selected) {
  if (index < 0 || index >= count_) return;
  if (!multi_) {
    if (selected) SelectOnly(index);
    else if (Selected(index)) selected_.clear();
    return;
  }
  auto it = std::lower_bound(selected_.begin(), selected_.end(), index);
  const bool has = it != selected_.end() && *it == index;
  if (selected && !has) selected_.insert(it, index);
  if (!selected && has) selected_.erase(it);
}

int TListModel::MaxTopIndex() const {
  if (MultiColumn()) return std::max(0, ColumnCount() - visibleColumns_) * PageRows();
  return std::max(0, count_ - PageRows());
}

void TListModel::SetTopIndex(int index) {
  if (MultiColumn()) index = std::max(0, index) / PageRows() * PageRows();  // the first row of its column
  top_ = std::clamp(index, 0, MaxTopIndex());
}

void TListModel::MakeVisible(int index) {
  if (index < 0 || index >= count_) return;
  if (MultiColumn()) {
    const int rows = PageRows(), col = index / rows;
    if (col < TopColumn()) top_ = col * rows;
    else if (col >= TopColumn() + visibleColumns_) top_ = (col - visibleColumns_ + 1) * rows;
    ClampState();
    return;
  }
  if (index < top_) top_ = index;
  else if (index >= top_ + PageRows()) top_ = index - PageRows() + 1;
  ClampState();
}

void TListModel::ClampState() {
  if (MultiColumn()) top_ = top_ / PageRows() * PageRows();
  top_ = std::clamp(top_, 0, MaxTopIndex());
  if (caret_ >= count_) caret_ = count_ - 1;
  if (anchor_ >= count_) anchor_ = count_ - 1;
}

bool TListModel::Navigate(TKey key, bool shift) {
  if (count_ == 0) return false;
  const int from = caret_;
  int to = from;
  // A page: the rows of every visible column, or in one column the rows shown less one.
  const int page = MultiColumn() ? PageRows() * visibleColumns_ : std::max(1, PageRows() - 1);
  const int side = MultiColumn() ? PageRows() : 1;
  switch (key) {
    case TKey::Left: to = from < 0 ? 0 : from >= side ? from - side : from; break;  // not out of the first column
    case TKey::Right: to = from < 0 ? 0 : from + side; break;
    case TKey::Up: to = from < 0 ? 0 : from - 1; break;
    case TKey::Down: to = from + 1; break;
    case TKey::PageUp: to = from < 0 ? 0 : from - page; break;
    case TKey::PageDown: to = from < 0 ? 0 : from + page; break;
    case TKey::Home: to = 0; break;
    case TKey::End: to = count_ - 1; break;
  }
  to = std::clamp(to, 0, count_ - 1);
  const std::vector<int> before = selected_;
  const int topBefore = top_;
  if (!multi_ || !shift) {
    SelectOnly(to);
  } else {
    const int a = anchor_ < 0 ? to : anchor_;
    selected_.clear();
    for (int r = std::min(a, to); r <= std::max(a, to); ++r) selected_.push_back(r);
    caret_ = to;
    anchor_ = a;
  }
  MakeVisible(to);
  return selected_ != before || caret_ != from || top_ != topBefore;
}

bool TListModel::ClickRow(int index, bool shift, bool ctrl) {
  if (index < 0 || index >= count_) return false;
  const std::vector<int> before = selected_;
  if (!multi_) {
    SelectOnly(index);
  } else if (ctrl) {
    SetSelected(index, !Selected(index));
    caret_ = anchor_ = index;
  } else if (shift && anchor_ >= 0) {
    selected_.clear();
    for (int r = std::min(anchor_, index); r <= std::max(anchor_, index); ++r) selected_.push_back(r);
    caret_ = index;
  } else {
    SelectOnly(index);
  }
  MakeVisible(index);
  return selected_ != before;
}

int TListModel::RowAt(int y, bool existing) const {
  const int row = top_ + (y >= 0 ? y / rowHeight_ : -((rowHeight_ - 1 - y) / rowHeight_));
  if (row >= 0 && row < count_) return row;
  if (existing) return -1;
  return count_ == 0 ? 0 : std::clamp(row, 0, count_ - 1);
}

int TListModel::RowAtPoint(int x, int y, bool existing) const {
  if (!MultiColumn()) return RowAt(y, existing);
  const int rows = PageRows();
  const int col = x >= 0 ? x / columnWidth_ : -((columnWidth_ - 1 - x) / columnWidth_);
  const int cell = y >= 0 ? y / rowHeight_ : -1;
  const int row = top_ + col * rows + std::clamp(cell, 0, rows - 1);
  if (existing) return cell >= 0 && cell < rows && row >= 0 && row < count_ ? row : -1;
  return count_ == 0 ? 0 : std::clamp(row, 0, count_ - 1);
}

rtl::TPoint TListModel::CellOrigin(int index) const {
  if (!MultiColumn()) return {0, RowTop(index)};
  const int rows = PageRows(), rel = index - top_;
  const int col = rel >= 0 ? rel / rows : -((rows - 1 - rel) / rows);
  return {col * columnWidth_, (rel - col * rows) * rowHeight_};
}

TListModel::TScrollState TListModel::VerticalScroll() const {
  if (MultiColumn()) return {0, 0, 1, 0};
  return {0, std::max(0, count_ - 1), PageRows(), top_};
}

TListModel::TScrollState TListModel::HorizontalScroll() const {
  if (!MultiColumn()) return {0, 0, 1, 0};
  return {0, std::max(0, ColumnCount() - 1), visibleColumns_, TopColumn()};
}

int TListModel::FindPrefix(const std::function<rtl::String(int)>& textOf, int count,
                           const rtl::String& prefix, int start) {
  if (count <= 0) return -1;
  if (start < -1 || start >= count) start = -1;
  for (int n = 1; n <= count; ++n) {
    const int i = (start + n) % count;
    if (rtl::AnsiStartsText(prefix, textOf(i))) return i;
  }
  return -1;
}

}  // namespace forms
