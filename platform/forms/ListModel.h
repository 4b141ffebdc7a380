// The selection and scroll state of a list of fixed-height rows, shared by
// the list box, the drop-down lists and the list view's report rows: item
// index, multi-selection with a caret row apart from it, top row, keyboard
// moves that keep the caret row visible, hit testing and the prefix search.
// The rows' texts stay with the control; this class holds positions only.
//
// GUI thread only.
#pragma once

#include <functional>
#include <vector>

#include "platform/rtl/Types.h"

namespace forms {

class TListModel {
 public:
  int Count() const { return count_; }
  // Rows inserted at or removed from index keep the selection on the same
  // rows; the caret and the top row stay inside the list.
  void Insert(int index, int rows = 1);
  void Remove(int index, int rows = 1);
  void Clear();

  // Visible height in pixels and the row height; PageRows counts the rows
  // that are wholly visible (at least one).
  void SetViewport(int heightPx, int rowHeightPx);
  int RowHeight() const { return rowHeight_; }
  int PageRows() const;

  // Multi-column layout: rows flow top to bottom, then into the next column
  // of width columnWidthPx; the view shows visibleColumns columns (0 turns
  // the layout off). PageRows is then the rows of one column, the top row is
  // always the first row of a column and the list scrolls by whole columns.
  void SetColumns(int visibleColumns, int columnWidthPx);
  bool MultiColumn() const { return visibleColumns_ > 0; }
  int VisibleColumns() const { return visibleColumns_; }
  int ColumnWidth() const { return columnWidth_; }
  int ColumnCount() const;  // columns the rows fill
  int TopColumn() const { return top_ / PageRows(); }

  bool MultiSelect() const { return multi_; }
  void SetMultiSelect(bool multi);

  // The selected row in single selection, the caret row in multi selection;
  // -1 for none. Writing -1, or an index outside the list, selects nothing.
  int ItemIndex() const { return multi_ ? caret_ : (selected_.empty() ? -1 : selected_.front()); }
  void SetItemIndex(int index);
  bool Selected(int index) const;
  void SetSelected(int index, bool selected);
  int SelCount() const { return static_cast<int>(selected_.size()); }
  const std::vector<int>& SelectedRows() const { return selected_; }  // ascending
  int CaretRow() const { return caret_; }
  // Moves the caret row (the focused item) alone; the selection stays.
  void SetCaretRow(int index);

  int TopIndex() const { return top_; }
  void SetTopIndex(int index);  // clamped so the last page stays full
  int MaxTopIndex() const;
  void MakeVisible(int index);

  // Left and Right move by a column's rows in the multi-column layout and
  // as Up and Down otherwise.
  enum class TKey { Up, Down, PageUp, PageDown, Home, End, Left, Right };
  // Moves the caret row (and, in single selection or without Shift, the
  // selection) and scrolls it into view. Returns whether anything changed.
  bool Navigate(TKey key, bool shift = false);
  // Selects as a click on the row does (Ctrl toggles, Shift extends from the
  // anchor in multi selection). Returns whether the selection changed.
  bool ClickRow(int index, bool shift = false, bool ctrl = false);

  // The row at a client y coordinate, or -1 past the last row (existing) /
  // the nearest row (not existing), as ItemAtPos does.
  int RowAt(int y, bool existing) const;
  // The same at a client point: in the multi-column layout the column under
  // x counts too (past the rows of a column is past the last row there).
  int RowAtPoint(int x, int y, bool existing) const;
  // The client top-left corner of a row's cell (x 0 in a single column).
  rtl::TPoint CellOrigin(int index) const;
  // The client y of a row's top edge.
  int RowTop(int index) const { return (index - top_) * rowHeight_; }

  // Scroll bar state: range 0..Count()-1, position TopIndex, page PageRows.
  struct TScrollState {
    int Min = 0, Max = 0, Page = 1, Pos = 0;
  };
  // Nothing to scroll (range 0..0) in the multi-column layout.
  TScrollState VerticalScroll() const;
  // In whole columns: range 0..ColumnCount()-1, position TopColumn, page
  // the visible columns; range 0..0 in a single column.
  TScrollState HorizontalScroll() const;

  // The first row after `start` (wrapping; start -1 searches from the top)
  // whose text begins with prefix without regard to case; -1 when none.
  static int FindPrefix(const std::function<rtl::String(int)>& textOf, int count,
                        const rtl::String& prefix, int start);

 private:
  void ClampState();
  void SelectOnly(int index);

  int count_ = 0;
  int heightPx_ = 0, rowHeight_ = 16;
  int visibleColumns_ = 0, columnWidth_ = 1;
  bool multi_ = false;
  std::vector<int> selected_;
  int caret_ = -1, anchor_ = -1, top_ = 0;
};

}  // namespace forms
