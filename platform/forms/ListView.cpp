#include "platform/forms/ListView.h"

#include <algorithm>

#include "platform/forms/StdDraw.h"
#include "platform/gdi/Gdi.h"

namespace forms {

using namespace win;

namespace {

constexpr const char16_t* kHeaderClass = u"SysHeader32";
constexpr int kHLineStep = 8;       // pixels a horizontal line step scrolls
constexpr int kIconCellWidth = 75;  // icon style grid
constexpr int kListCellWidth = 120;  // list and small-icon styles
constexpr DWORD kSearchResetMs = 1000;  // typed prefixes older than this start again

// The list view a header window belongs to.
TCustomListView* ListOfHeader(HWND h) {
  return dynamic_cast<TCustomListView*>(TWinControl::FromHandle(GetParent(h)));
}

}  // namespace

// ------------------------------------------------------------------ columns
void TListColumn::SetCaption(const String& v) {
  caption_ = v;
  owner_->ColumnsChanged();
}
void TListColumn::SetWidth(int v) {
  v = std::max(0, v);
  if (v == width_) return;
  width_ = v;
  owner_->ColumnsChanged();
}
void TListColumn::SetAlignment(TAlignment v) {
  alignment_ = v;
  owner_->ColumnsChanged();
}
void TListColumn::SetImageIndex(int v) {
  imageIndex_ = v;
  owner_->ColumnsChanged();
}
int TListColumn::Index() const { return owner_->Columns()->IndexOf(this); }
int TListColumn::ClampWidth(int w) const {
  if (maxWidth_ > 0) w = std::min(w, maxWidth_);
  if (minWidth_ > 0) w = std::max(w, minWidth_);
  return std::max(0, w);
}

TListColumn* TListColumns::Add() {
  items_.push_back(std::make_unique<TListColumn>(owner_));
  owner_->ColumnsChanged();
  return items_.back().get();
}
void TListColumns::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  items_.erase(items_.begin() + index);
  owner_->ColumnsChanged();
}
void TListColumns::Clear() {
  items_.clear();
  owner_->ColumnsChanged();
}
int TListColumns::IndexOf(const TListColumn* c) const {
  for (int i = 0; i < Count(); ++i)
    if (items_[std::size_t(i)].get() == c) return i;
  return -1;
}

// ------------------------------------------------------------------ items
TListItem::TListItem(TListItems* owner) : owner_(owner), subItems_(std::make_unique<rtl::TStringList>()) {
  subItems_->OnChange = [this](TObject*) { Update(); };
}
TListItem::~TListItem() = default;

TCustomListView* TListItem::ListView() const { return owner_->Owner(); }

void TListItem::SetCaption(const String& v) {
  if (caption_ == v) return;
  caption_ = v;
  Update();
}
void TListItem::SetImageIndex(int v) {
  imageIndex_ = v;
  Update();
}
int TListItem::Index() const {
  if (owner_->temp_.get() == this) return owner_->tempIndex_;
  const auto& v = owner_->items_;
  if (indexHint_ >= 0 && indexHint_ < int(v.size()) && v[std::size_t(indexHint_)].get() == this) return indexHint_;
  indexHint_ = owner_->IndexOf(this);
  return indexHint_;
}
void TListItem::Update() {
  if (int i = Index(); i >= 0) ListView()->InvalidateRow(i);
}
bool TListItem::Selected() const { return ListView()->Model().Selected(Index()); }
void TListItem::SetSelected(bool v) { ListView()->SetItemSelected(Index(), v); }
bool TListItem::Focused() const { return ListView()->Model().CaretRow() == Index() && Index() >= 0; }
void TListItem::SetFocused(bool v) {
  if (v) ListView()->SetItemFocusedIndex(Index());
}
int TListItem::Top() { return ListView()->GetItemRect(Index()).Top; }
TRect TListItem::DisplayRect(TDisplayCode code) { return ListView()->GetItemRect(Index(), code); }
void TListItem::MakeVisible(bool) {
  TCustomListView* lv = ListView();
  lv->Scroll(0, 0);
  int i = Index();
  if (i < lv->TopIndex()) lv->Scroll(0, (i - lv->TopIndex()) * lv->RowHeight());
  else if (i >= lv->TopIndex() + lv->GetCountPerPage())
    lv->Scroll(0, (i - lv->TopIndex() - lv->GetCountPerPage() + 1) * lv->RowHeight());
}
void TListItem::EditCaption() { ListView()->EditItem(Index()); }
void TListItem::Assign(TListItem* source) {
  if (!source || source == this) return;
  caption_ = source->caption_;
  subItems_->Assign(source->subItems_.get());
  imageIndex_ = source->imageIndex_;
  stateIndex_ = source->stateIndex_;
  data_ = source->data_;
  Update();
}

TListItems::~TListItems() = default;

int TListItems::Count() const { return owner_->OwnerData() ? ownerCount_ : int(items_.size()); }

TListItem* TListItems::Add() { return Insert(int(items_.size())); }

TListItem* TListItems::Insert(int index) {
  index = std::clamp(index, 0, int(items_.size()));
  items_.insert(items_.begin() + index, std::make_unique<TListItem>(this));
  TListItem* it = items_[std::size_t(index)].get();
  it->indexHint_ = index;
  owner_->ItemInserted(index);
  if (owner_->OnInsert) owner_->OnInsert(owner_, it);
  return it;
}

void TListItems::Delete(int index) {
  if (index < 0 || index >= int(items_.size())) return;
  std::unique_ptr<TListItem> gone = std::move(items_[std::size_t(index)]);
  items_.erase(items_.begin() + index);
  owner_->ItemDeleted(index, gone.get());
}

void TListItems::Clear() {
  BeginUpdate();
  if (owner_->OnDeletion)
    for (int i = int(items_.size()) - 1; i >= 0; --i) owner_->OnDeletion(owner_, items_[std::size_t(i)].get());
  items_.clear();
  ownerCount_ = 0;
  owner_->ItemsCleared();
  EndUpdate();
}

void TListItems::SetCount(int v) {
  ownerCount_ = std::max(0, v);
  tempIndex_ = -1;
  owner_->ItemsCleared();
}

TListItem* TListItems::Items(int index) {
  if (index < 0 || index >= Count()) return nullptr;
  if (!owner_->OwnerData()) return items_[std::size_t(index)].get();
  if (!temp_) temp_ = std::make_unique<TListItem>(this);
  if (tempIndex_ != index) {
    tempIndex_ = index;
    temp_->caption_.clear();
    temp_->subItems_->OnChange = nullptr;
    temp_->subItems_->Clear();
    temp_->imageIndex_ = -1;
    temp_->data_ = nullptr;
    if (owner_->OnData) owner_->OnData(owner_, temp_.get());
    temp_->subItems_->OnChange = [this](TObject*) { owner_->InvalidateRow(tempIndex_); };
  }
  return temp_.get();
}

int TListItems::IndexOf(const TListItem* item) const {
  if (item && item == temp_.get()) return tempIndex_;
  for (int i = 0; i < int(items_.size()); ++i)
    if (items_[std::size_t(i)].get() == item) return i;
  return -1;
}

void TListItems::BeginUpdate() { owner_->BeginUpdate(); }
void TListItems::EndUpdate() { owner_->EndUpdate(); }

// ------------------------------------------------------------------ list view
TCustomListView::TCustomListView(TComponent* owner) : TCustomControl(owner) {
  items_ = std::make_unique<TListItems>(this);
  columns_ = std::make_unique<TListColumns>(this);
  SetControlStyle({csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque, csAcceptsControls});
  SetBounds(0, 0, 250, 150);
  SetTabStop(true);
  SetColor(gdi::clWindow);
  UpdateViewport();
}

TCustomListView::~TCustomListView() {
  editor_ = nullptr;
  if (header_) DestroyWindow(header_);
  header_ = nullptr;
}

void TCustomListView::Notification(TComponent* component, rtl::TOperation operation) {
  TCustomControl::Notification(component, operation);
  if (operation != rtl::opRemove) return;
  if (component == smallImages_) smallImages_ = nullptr;
  if (component == largeImages_) largeImages_ = nullptr;
  if (component == editor_) editor_ = nullptr;
}

LRESULT TCustomListView::DefHeaderProc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  TCustomListView* lv = ListOfHeader(h);
  if (!lv) return DefWindowProcW(h, msg, w, l);
  switch (msg) {
    case WM_PAINT: {
      if (w) {
        lv->PaintHeader(HDC(w));
        return 0;
      }
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      lv->PaintHeader(dc);
      EndPaint(h, &ps);
      return 0;
    }
    case WM_ERASEBKGND: return 1;
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: case WM_MOUSEMOVE: case WM_LBUTTONUP:
      lv->HeaderMouse(msg, {GET_X_LPARAM(l), GET_Y_LPARAM(l)});
      return 0;
    case WM_CAPTURECHANGED:
      lv->dragColumn_ = lv->pressedSection_ = -1;
      InvalidateRect(h, nullptr, FALSE);
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(l) == HTCLIENT) {
        lv->HeaderSetCursor(h);
        return TRUE;
      }
      break;
    case HDM_GETITEMCOUNT: return lv->Columns()->Count();
    case HDM_GETITEMRECT:
      if (int(w) < 0 || int(w) >= lv->Columns()->Count() || !l) return FALSE;
      *reinterpret_cast<RECT*>(l) = lv->HeaderItemRect(int(w));
      return TRUE;
    case HDM_HITTEST: {
      auto* info = reinterpret_cast<HDHITTESTINFO*>(l);
      if (!info) return -1;
      info->iItem = lv->HeaderHitTest(info->pt, &info->flags);
      return info->iItem;
    }
    case HDM_GETORDERARRAY: {
      auto* order = reinterpret_cast<int*>(l);
      int n = std::min(int(w), lv->Columns()->Count());
      for (int i = 0; order && i < n; ++i) order[i] = i;
      return order ? TRUE : FALSE;
    }
    default: break;
  }
  return DefWindowProcW(h, msg, w, l);
}

void TCustomListView::CreateWnd() {
  TCustomControl::CreateWnd();
  if (!HandleAllocated() || header_) return;
  WNDCLASSW existing;
  if (!GetClassInfoW(kHeaderClass, &existing)) {
    WNDCLASSW wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = DefHeaderProc;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kHeaderClass;
    RegisterClassW(&wc);
  }
  // Creating the child announces it to the list view (WM_PARENTNOTIFY) before it paints.
  header_ = CreateWindowExW(0, kHeaderClass, u"", WS_CHILD, 0, 0, 0, 0, Handle(), 0, nullptr);
  LayoutHeader();
  UpdateScroll();
}

void TCustomListView::DestroyWnd() {
  if (header_) DestroyWindow(header_);
  header_ = nullptr;
  TCustomControl::DestroyWnd();
}

int TCustomListView::RowHeight() {
  int h = FontTextHeight(Font()) + 3;
  if (smallImages_) h = std::max(h, smallImages_->Height() + 1);
  return h;
}

int TCustomListView::HeaderHeight() {
  if (viewStyle_ != vsReport || !showColumnHeaders_) return 0;
  return FontTextHeight(Font()) + 8;
}

TRect TCustomListView::ItemsArea() {
  TRect r = stddraw::InsideBorder(ClientRect(), borderStyle_ == bsSingleBorder);
  r.Top = std::min(r.Bottom, r.Top + HeaderHeight());
  return r;
}

void TCustomListView::LayoutHeader() {
  if (!header_) return;
  TRect a = ItemsArea();
  int h = HeaderHeight();
  bool show = h > 0;
  SetWindowPos(header_, nullptr, a.Left, a.Top - h, a.Width(), h,
               SWP_NOZORDER | SWP_NOACTIVATE | (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
  InvalidateRect(header_, nullptr, FALSE);
}

int TCustomListView::TotalColumnWidth() const {
  int w = 0;
  for (int i = 0; i < columns_->Count(); ++i) w += columns_->Items(i)->Width();
  return w;
}

void TCustomListView::UpdateViewport() {
  TRect a = ItemsArea();
  model_.SetViewport(viewStyle_ == vsReport ? a.Height() : a.Height(), RowHeight());
  int maxX = viewStyle_ == vsReport ? std::max(0, TotalColumnWidth() - a.Width()) : scrollX_;
  scrollX_ = std::clamp(scrollX_, 0, maxX);
}

void TCustomListView::UpdateScroll() {
  if (!HandleAllocated() || Updating()) return;
  TRect a = ItemsArea();
  SCROLLINFO v, h;
  v.fMask = h.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  v.nMin = h.nMin = 0;
  if (viewStyle_ == vsReport) {
    TListModel::TScrollState s = model_.VerticalScroll();
    v.nMin = s.Min, v.nMax = s.Max, v.nPage = UINT(s.Page), v.nPos = s.Pos;
    h.nMax = std::max(0, TotalColumnWidth() - 1), h.nPage = UINT(std::max(0, a.Width())), h.nPos = scrollX_;
  } else if (viewStyle_ == vsList) {  // columns of items side by side: horizontal in pixels
    int n = items_->Count();
    h.nMax = n ? IconCellRect(n - 1).Right + scrollX_ - a.Left - 1 : 0;
    h.nPage = UINT(std::max(0, a.Width())), h.nPos = scrollX_;
    v.nMax = 0, v.nPage = 0, v.nPos = 0;
  } else {  // icons in rows: vertical in pixels
    int n = items_->Count();
    v.nMax = n ? IconCellRect(n - 1).Bottom + iconScrollY_ - a.Top - 1 : 0;
    v.nPage = UINT(std::max(0, a.Height())), v.nPos = iconScrollY_;
    h.nMax = 0, h.nPage = 0, h.nPos = 0;
  }
  SetScrollInfo(Handle(), SB_VERT, &v, TRUE);
  SetScrollInfo(Handle(), SB_HORZ, &h, TRUE);
  if (nativeBars_ && !showingBars_) {
    showingBars_ = true;
    bars_.AutoShow(SB_VERT);
    bars_.AutoShow(SB_HORZ);
    showingBars_ = false;
  }
  bars_.Refresh();
}

void TCustomListView::SetNativeScrollBars(bool v) {
  nativeBars_ = v;
  if (!v && HandleAllocated()) ShowScrollBar(Handle(), SB_BOTH, FALSE);
  UpdateScroll();
}

void TCustomListView::Resize() {
  UpdateViewport();
  LayoutHeader();
  UpdateScroll();
  TCustomControl::Resize();
}

void TCustomListView::BeginUpdate() { ++updateCount_; }

void TCustomListView::EndUpdate() {
  if (updateCount_ == 0 || --updateCount_ > 0) return;
  UpdateViewport();
  UpdateScroll();
  Invalidate();
}

void TCustomListView::ColumnsChanged() {
  UpdateViewport();
  if (header_) InvalidateRect(header_, nullptr, FALSE);
  UpdateScroll();
  Invalidate();
}

void TCustomListView::ItemInserted(int index) {
  model_.Insert(index);
  if (Updating()) return;
  UpdateScroll();
  Invalidate();
}

void TCustomListView::ItemDeleted(int index, TListItem* item) {
  if (editIndex_ == index) EndEdit(false);
  bool wasSelected = model_.Selected(index);
  model_.Remove(index);
  if (OnDeletion) OnDeletion(this, item);
  (void)wasSelected;
  if (!Updating()) {
    UpdateScroll();
    Invalidate();
  }
}

void TCustomListView::ItemsCleared() {
  EndEdit(false);
  model_.Clear();
  if (ownerData_) model_.Insert(0, items_->Count());
  scrollX_ = std::min(scrollX_, std::max(0, TotalColumnWidth() - ItemsArea().Width()));
  if (!Updating()) {
    UpdateScroll();
    Invalidate();
  }
}

void TCustomListView::InvalidateRow(int index) {
  if (!HandleAllocated() || Updating()) return;
  TRect r = GetItemRect(index);
  TRect a = ItemsArea();
  if (r.Bottom <= a.Top || r.Top >= a.Bottom) return;
  if (viewStyle_ == vsReport) r.Left = a.Left, r.Right = a.Right;
  InvalidateRect(Handle(), &r, FALSE);
}

void TCustomListView::SetViewStyle(TViewStyle v) {
  if (viewStyle_ == v) return;
  viewStyle_ = v;
  scrollX_ = iconScrollY_ = 0;
  UpdateViewport();
  LayoutHeader();
  UpdateScroll();
  Invalidate();
}

void TCustomListView::SetRowSelect(bool v) {
  rowSelect_ = v;
  Invalidate();
}
void TCustomListView::SetGridLines(bool v) {
  gridLines_ = v;
  Invalidate();
}
void TCustomListView::SetHideSelection(bool v) {
  hideSelection_ = v;
  Invalidate();
}
void TCustomListView::SetMultiSelect(bool v) {
  ChangeSelection([&] { model_.SetMultiSelect(v); });
}
void TCustomListView::SetShowColumnHeaders(bool v) {
  showColumnHeaders_ = v;
  UpdateViewport();
  LayoutHeader();
  Invalidate();
}
void TCustomListView::SetOwnerData(bool v) {
  if (ownerData_ == v) return;
  items_->Clear();
  ownerData_ = v;
  ItemsCleared();
}
void TCustomListView::SetBorderStyle(TBorderStyle v) {
  borderStyle_ = v;
  Resize();
  Invalidate();
}
void TCustomListView::SetSmallImages(TCustomImageList* v) {
  smallImages_ = v;
  if (v) v->FreeNotification(this);
  UpdateViewport();
  Invalidate();
}
void TCustomListView::SetLargeImages(TCustomImageList* v) {
  largeImages_ = v;
  if (v) v->FreeNotification(this);
  Invalidate();
}

// ---- selection
TListItem* TCustomListView::ItemOf(int index) { return index >= 0 ? items_->Items(index) : nullptr; }

template <class F>
void TCustomListView::ChangeSelection(F&& action) {
  std::vector<int> before = model_.SelectedRows();
  int caretBefore = model_.CaretRow();
  action();
  const std::vector<int>& after = model_.SelectedRows();
  std::vector<int> removed, added;
  std::set_difference(before.begin(), before.end(), after.begin(), after.end(), std::back_inserter(removed));
  std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::back_inserter(added));
  if (caretBefore != model_.CaretRow()) {
    InvalidateRow(caretBefore);
    InvalidateRow(model_.CaretRow());
  }
  for (int r : removed) InvalidateRow(r);
  for (int r : added) InvalidateRow(r);
  UpdateScroll();
  TLiveness live = Liveness();
  // Deselections first, then selections, once per item.
  for (int r : removed) {
    Change(ItemOf(r), 0);
    if (!live.Alive()) return;
    if (OnSelectItem) OnSelectItem(this, ItemOf(r), false);
    if (!live.Alive()) return;
  }
  for (int r : added) {
    Change(ItemOf(r), 0);
    if (!live.Alive()) return;
    if (OnSelectItem) OnSelectItem(this, ItemOf(r), true);
    if (!live.Alive()) return;
  }
}

void TCustomListView::Change(TListItem* item, int change) {
  if (OnChange) OnChange(this, item, change);
}

void TCustomListView::SetItemIndex(int v) {
  ChangeSelection([&] {
    if (v >= 0 && v < model_.Count()) {
      model_.ClickRow(v);  // that item alone, focused
    } else {
      for (int r : std::vector<int>(model_.SelectedRows())) model_.SetSelected(r, false);
      model_.SetItemIndex(-1);
    }
  });
}
void TCustomListView::SetItemSelected(int index, bool v) {
  if (index < 0 || index >= items_->Count()) return;
  ChangeSelection([&] {
    if (v && !model_.MultiSelect()) model_.SetItemIndex(index);
    else model_.SetSelected(index, v);
  });
}
void TCustomListView::SetItemFocusedIndex(int index) {
  if (index < 0 || index >= items_->Count()) return;
  // The focused item moves without changing the selection (in single
  // selection too: focusing an item does not select it).
  ChangeSelection([&] { model_.SetCaretRow(index); });
}
TListItem* TCustomListView::Selected() {
  const auto& s = model_.SelectedRows();
  return s.empty() ? nullptr : ItemOf(s.front());
}
void TCustomListView::SetSelected(TListItem* item) { SetItemIndex(item ? item->Index() : -1); }
TListItem* TCustomListView::ItemFocused() { return ItemOf(model_.CaretRow()); }
void TCustomListView::SetItemFocused(TListItem* item) {
  if (item) SetItemFocusedIndex(item->Index());
}
void TCustomListView::ClearSelection() {
  ChangeSelection([&] {
    for (int r : std::vector<int>(model_.SelectedRows())) model_.SetSelected(r, false);
  });
}
void TCustomListView::SelectAll() {
  if (!model_.MultiSelect()) return;
  ChangeSelection([&] {
    for (int i = 0; i < model_.Count(); ++i) model_.SetSelected(i, true);
  });
}
TListItem* TCustomListView::TopItem() { return ItemOf(model_.Count() ? model_.TopIndex() : -1); }

// ---- geometry
int TCustomListView::GetCountPerPage() { return model_.PageRows(); }

int TCustomListView::ColumnsPerRowIcon() {
  int cell = viewStyle_ == vsIcon ? kIconCellWidth : kListCellWidth;
  return std::max(1, ItemsArea().Width() / cell);
}

TRect TCustomListView::IconCellRect(int index) {
  TRect a = ItemsArea();
  int rh = RowHeight();
  switch (viewStyle_) {
    case vsIcon: {
      int ih = largeImages_ ? largeImages_->Height() : 32;
      int cellH = ih + 4 + 2 * FontTextHeight(Font()) + 6;
      int cols = ColumnsPerRowIcon();
      return rtl::Bounds(a.Left + (index % cols) * kIconCellWidth, a.Top + (index / cols) * cellH - iconScrollY_,
                         kIconCellWidth, cellH);
    }
    case vsSmallIcon: {
      int cols = ColumnsPerRowIcon();
      return rtl::Bounds(a.Left + (index % cols) * kListCellWidth, a.Top + (index / cols) * rh - iconScrollY_,
                         kListCellWidth, rh);
    }
    default: {  // vsList: columns filled top to bottom
      int rows = std::max(1, a.Height() / rh);
      return rtl::Bounds(a.Left + (index / rows) * kListCellWidth - scrollX_, a.Top + (index % rows) * rh,
                         kListCellWidth, rh);
    }
  }
}

TRect TCustomListView::GetItemRect(int index, TDisplayCode code) {
  if (index < 0 || index >= items_->Count()) return TRect();
  if (viewStyle_ != vsReport) {
    TRect c = IconCellRect(index);
    if (viewStyle_ == vsIcon && (code == drIcon || code == drLabel)) {
      int ih = largeImages_ ? largeImages_->Height() : 32;
      return code == drIcon ? rtl::Rect(c.Left, c.Top + 2, c.Right, c.Top + 2 + ih)
                            : rtl::Rect(c.Left, c.Top + ih + 4, c.Right, c.Bottom);
    }
    int iw = smallImages_ ? smallImages_->Width() + 2 : 0;
    if (code == drIcon) return rtl::Rect(c.Left, c.Top, c.Left + iw, c.Bottom);
    if (code == drLabel) return rtl::Rect(c.Left + iw, c.Top, c.Right, c.Bottom);
    return c;
  }
  TRect a = ItemsArea();
  int top = a.Top + model_.RowTop(index);
  int x = a.Left - scrollX_;
  int w0 = columns_->Count() ? columns_->Items(0)->Width() : a.Width();
  int iw = smallImages_ ? smallImages_->Width() + 2 : 0;
  switch (code) {
    case drIcon: return rtl::Rect(x + 2, top, x + 2 + iw, top + RowHeight());
    case drLabel: return rtl::Rect(x + 2 + iw, top, x + w0, top + RowHeight());
    case drSelectBounds:
      if (!rowSelect_) return rtl::Rect(x, top, x + w0, top + RowHeight());
      [[fallthrough]];
    default: return rtl::Rect(x, top, x + std::max(TotalColumnWidth(), a.Width() + scrollX_), top + RowHeight());
  }
}

TListItem* TCustomListView::GetItemAt(int x, int y) {
  TRect a = ItemsArea();
  if (!a.Contains(TPoint{x, y})) return nullptr;
  if (viewStyle_ == vsReport) {
    int row = model_.RowAt(y - a.Top, true);
    if (row < 0) return nullptr;
    TRect r = GetItemRect(row, rowSelect_ ? drBounds : drSelectBounds);
    return x < r.Right ? ItemOf(row) : nullptr;
  }
  for (int i = 0; i < items_->Count(); ++i)
    if (IconCellRect(i).Contains(TPoint{x, y})) return ItemOf(i);
  return nullptr;
}

void TCustomListView::Scroll(int dx, int dy) {
  TRect a = ItemsArea();
  if (viewStyle_ == vsReport) {
    int rows = dy / RowHeight();
    model_.SetTopIndex(model_.TopIndex() + rows);
    scrollX_ = std::clamp(scrollX_ + dx, 0, std::max(0, TotalColumnWidth() - a.Width()));
  } else if (int n = items_->Count(); viewStyle_ == vsList) {
    int content = n ? IconCellRect(n - 1).Right + scrollX_ - a.Left : 0;
    scrollX_ = std::clamp(scrollX_ + dx, 0, std::max(0, content - a.Width()));
  } else {
    int content = n ? IconCellRect(n - 1).Bottom + iconScrollY_ - a.Top : 0;
    iconScrollY_ = std::clamp(iconScrollY_ + dy, 0, std::max(0, content - a.Height()));
  }
  UpdateScroll();
  if (header_) InvalidateRect(header_, nullptr, FALSE);
  Invalidate();
}

// ---- header
TRect TCustomListView::HeaderItemRect(int index) {
  int x = -scrollX_;
  for (int i = 0; i < index && i < columns_->Count(); ++i) x += columns_->Items(i)->Width();
  int w = index < columns_->Count() ? columns_->Items(index)->Width() : 0;
  return rtl::Rect(x, 0, x + w, HeaderHeight());
}

int TCustomListView::HeaderHitTest(TPoint p, UINT* flags) {
  UINT f = HHT_NOWHERE;
  int item = -1;
  int n = columns_->Count();
  // Dividers first: the rightmost column whose right edge is within reach, a
  // column that cannot grow (hidden, MaxWidth reached by a zero width) passed over.
  for (int i = n - 1; i >= 0 && item < 0; --i) {
    TRect r = HeaderItemRect(i);
    if (std::abs(p.X - r.Right) <= kHeaderDividerSlop && p.Y >= 0 && p.Y < HeaderHeight()) {
      TListColumn* c = columns_->Items(i);
      if (c->Width() == 0 && c->MaxWidth() > 0 && c->MaxWidth() <= 1) continue;
      item = i;
      f = HHT_ONDIVIDER;
    }
  }
  if (item < 0) {
    for (int i = 0; i < n; ++i) {
      TRect r = HeaderItemRect(i);
      if (p.X >= r.Left && p.X < r.Right && p.Y >= 0 && p.Y < HeaderHeight()) {
        item = i;
        f = HHT_ONHEADER;
        break;
      }
    }
    if (item < 0 && p.X >= HeaderItemRect(n).Left) f = HHT_TORIGHT;
  }
  if (flags) *flags = f;
  return item;
}

void TCustomListView::HeaderSetCursor(HWND h) {
  POINT p;
  GetCursorPos(&p);
  ::win::ScreenToClient(h, &p);
  UINT f = 0;
  HeaderHitTest({p.X, p.Y}, &f);
  ::win::SetCursor(LoadCursorW(nullptr, (f & HHT_ONDIVIDER) || dragColumn_ >= 0 ? IDC_SIZEWE : IDC_ARROW));
}

void TCustomListView::HeaderMouse(UINT msg, TPoint p) {
  switch (msg) {
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: {
      if (editor_) EndEdit(true);
      UINT f = 0;
      int i = HeaderHitTest(p, &f);
      if (f & HHT_ONDIVIDER) {
        dragColumn_ = i;
        dragStartX_ = p.X;
        dragStartWidth_ = columns_->Items(i)->Width();
        SetCapture(header_);
      } else if (f & HHT_ONHEADER) {
        pressedSection_ = i;
        SetCapture(header_);
        InvalidateRect(header_, nullptr, FALSE);
      }
      return;
    }
    case WM_MOUSEMOVE:
      if (dragColumn_ >= 0) {
        TListColumn* c = columns_->Items(dragColumn_);
        int w = c->ClampWidth(dragStartWidth_ + p.X - dragStartX_);
        c->SetWidth(w);
      }
      return;
    case WM_LBUTTONUP: {
      int col = -1;
      if (pressedSection_ >= 0) {
        UINT f = 0;
        if (HeaderHitTest(p, &f) == pressedSection_ && (f & HHT_ONHEADER)) col = pressedSection_;
      }
      dragColumn_ = pressedSection_ = -1;
      if (GetCapture() == header_) ReleaseCapture();
      InvalidateRect(header_, nullptr, FALSE);
      if (col >= 0 && col < columns_->Count()) ColClick(columns_->Items(col));
      return;
    }
    default: return;
  }
}

void TCustomListView::PaintHeader(HDC dc) {
  RECT cr;
  GetClientRect(header_, &cr);
  stddraw::FillSolid(dc, cr, gdi::clBtnFace);
  gdi::HGDIOBJ old = gdi::SelectObject(dc, Font()->Handle());
  int n = columns_->Count();
  for (int i = 0; i <= n; ++i) {
    TRect r = i < n ? HeaderItemRect(i) : rtl::Rect(HeaderItemRect(n).Left, 0, cr.Right + 2, HeaderHeight());
    if (r.Width() <= 0) continue;
    bool pressed = i == pressedSection_;
    if (pressed) {
      gdi::HBRUSH b = gdi::CreateSolidBrush(gdi::ColorToRGB(gdi::clBtnShadow));
      gdi::FrameRect(dc, &r, b);
      gdi::DeleteObject(b);
    } else {
      gdi::DrawEdge(dc, &r, gdi::EDGE_RAISED, gdi::BF_RECT);
    }
    if (i == n) continue;
    TListColumn* c = columns_->Items(i);
    TRect t = rtl::Rect(r.Left + 6, r.Top + 1, r.Right - 6, r.Bottom - 1);
    if (pressed) t = rtl::Rect(t.Left + 1, t.Top + 1, t.Right + 1, t.Bottom + 1);
    if (smallImages_ && c->ImageIndex() >= 0 && c->ImageIndex() < smallImages_->Count() && t.Width() > 0) {
      int save = gdi::SaveDC(dc);
      gdi::IntersectClipRect(dc, r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
      smallImages_->DrawToDC(dc, t.Left, t.Top + (t.Height() - smallImages_->Height()) / 2, c->ImageIndex(), Enabled());
      gdi::RestoreDC(dc, save);
      t.Left += smallImages_->Width() + 4;
    }
    unsigned al = c->Alignment() == taCenter ? gdi::DT_CENTER : c->Alignment() == taRightJustify ? gdi::DT_RIGHT : gdi::DT_LEFT;
    stddraw::DrawTextIn(dc, c->Caption(), t, gdi::clBtnText,
                        al | gdi::DT_VCENTER | gdi::DT_SINGLELINE | gdi::DT_NOPREFIX | gdi::DT_END_ELLIPSIS);
  }
  gdi::SelectObject(dc, old);
}

// ---- painting
void TCustomListView::DrawRow(HDC dc, int index, TRect rect) {
  TListItem* item = ItemOf(index);
  if (!item) return;
  bool sel = model_.Selected(index);
  bool focused = Focused();
  bool showSel = sel && (focused || !hideSelection_);
  TColor selBk = focused ? gdi::clHighlight : gdi::clBtnFace;
  TColor selText = focused ? gdi::clHighlightText : gdi::clWindowText;
  int n = std::max(1, columns_->Count());
  int x = rect.Left;
  int iw = smallImages_ ? smallImages_->Width() + 2 : 0;
  if (showSel && rowSelect_) stddraw::FillSolid(dc, rtl::Rect(x, rect.Top, x + TotalColumnWidth(), rect.Bottom), selBk);
  for (int c = 0; c < n; ++c) {
    int w = columns_->Count() ? columns_->Items(c)->Width() : rect.Width();
    TRect cell = rtl::Rect(x, rect.Top, x + w, rect.Bottom);
    x += w;
    if (w <= 0) continue;
    String text = c == 0 ? item->Caption()
                         : (c - 1 < item->SubItems()->Count() ? item->SubItems()->Get(c - 1) : String());
    TRect t = rtl::Rect(cell.Left + 6, cell.Top, cell.Right - 6, cell.Bottom);
    bool hl = showSel && (rowSelect_ || c == 0);
    if (c == 0) {
      if (smallImages_ && item->ImageIndex() >= 0 && item->ImageIndex() < smallImages_->Count()) {
        Canvas()->SetHandle(dc);
        smallImages_->Draw(Canvas(), cell.Left + 2, cell.Top + (cell.Height() - smallImages_->Height()) / 2,
                           item->ImageIndex(), Enabled());
      }
      t.Left = cell.Left + 2 + iw + 2;
      if (hl && !rowSelect_) {
        int tw = FontTextWidth(Font(), text) + 4;
        stddraw::FillSolid(dc, rtl::Rect(t.Left - 2, cell.Top, std::min(cell.Right, t.Left + tw), cell.Bottom), selBk);
      }
    }
    unsigned al = gdi::DT_LEFT;
    if (columns_->Count()) {
      TAlignment a = columns_->Items(c)->Alignment();
      al = a == taCenter ? gdi::DT_CENTER : a == taRightJustify ? gdi::DT_RIGHT : gdi::DT_LEFT;
    }
    stddraw::DrawTextIn(dc, text, t, hl ? selText : (Enabled() ? Font()->Color() : gdi::clGrayText),
                        al | gdi::DT_VCENTER | gdi::DT_SINGLELINE | gdi::DT_NOPREFIX | gdi::DT_END_ELLIPSIS);
  }
  if (focused && index == model_.CaretRow()) {
    TRect fr = rowSelect_ ? rtl::Rect(rect.Left, rect.Top, rect.Left + TotalColumnWidth(), rect.Bottom)
                          : GetItemRect(index, drLabel);
    Canvas()->SetHandle(dc);
    Canvas()->DrawFocusRect(fr);
  }
}

void TCustomListView::DrawIconItem(HDC dc, int index, TRect rect) {
  TListItem* item = ItemOf(index);
  if (!item) return;
  bool sel = model_.Selected(index) && (Focused() || !hideSelection_);
  TColor selBk = Focused() ? gdi::clHighlight : gdi::clBtnFace;
  TColor selText = Focused() ? gdi::clHighlightText : gdi::clWindowText;
  TCustomImageList* il = viewStyle_ == vsIcon ? largeImages_ : smallImages_;
  TRect icon = GetItemRect(index, drIcon), label = GetItemRect(index, drLabel);
  Canvas()->SetHandle(dc);
  if (il && item->ImageIndex() >= 0 && item->ImageIndex() < il->Count())
    il->Draw(Canvas(), icon.Left + (icon.Width() - il->Width()) / 2, icon.Top + (icon.Height() - il->Height()) / 2,
             item->ImageIndex(), Enabled());
  unsigned flags = viewStyle_ == vsIcon ? gdi::DT_CENTER | gdi::DT_WORDBREAK | gdi::DT_END_ELLIPSIS
                                        : gdi::DT_LEFT | gdi::DT_VCENTER | gdi::DT_SINGLELINE | gdi::DT_END_ELLIPSIS;
  TRect t = rtl::Rect(label.Left + 2, label.Top, label.Right - 2, label.Bottom);
  if (sel) stddraw::FillSolid(dc, t, selBk);
  stddraw::DrawTextIn(dc, item->Caption(), t, sel ? selText : Font()->Color(), flags | gdi::DT_NOPREFIX);
  if (Focused() && index == model_.CaretRow()) Canvas()->DrawFocusRect(t);
}

void TCustomListView::Paint() {
  HDC dc = Canvas()->Handle();
  TRect a = ItemsArea();
  int saved = stddraw::BeginFramedPaint(dc, ClientRect(), Color(), borderStyle_ == bsSingleBorder, a);
  gdi::SelectObject(dc, Font()->Handle());
  TRect clip = Canvas()->ClipRect();
  int count = items_->Count();
  if (viewStyle_ == vsReport) {
    int rh = RowHeight();
    int first = model_.TopIndex() + std::max(0, (clip.Top - a.Top) / rh);
    for (int i = first; i < count; ++i) {
      TRect r = GetItemRect(i);
      if (r.Top >= std::min(a.Bottom, clip.Bottom)) break;
      DrawRow(dc, i, r);
    }
    if (gridLines_) {
      gdi::HBRUSH b = gdi::CreateSolidBrush(gdi::ColorToRGB(gdi::clBtnFace));
      int x = a.Left - scrollX_;
      for (int c = 0; c < columns_->Count(); ++c) {
        x += columns_->Items(c)->Width();
        TRect line = rtl::Rect(x - 1, a.Top, x, a.Bottom);
        gdi::FillRect(dc, &line, b);
      }
      for (int y = a.Top + rh - 1; y < a.Bottom; y += rh) {
        TRect line = rtl::Rect(a.Left, y, a.Right, y + 1);
        gdi::FillRect(dc, &line, b);
      }
      gdi::DeleteObject(b);
    }
  } else {
    for (int i = 0; i < count; ++i) {
      TRect r = IconCellRect(i);
      if (r.Bottom <= a.Top || r.Right <= a.Left) continue;
      if ((viewStyle_ != vsList && r.Top >= a.Bottom) || (viewStyle_ == vsList && r.Left >= a.Right)) break;
      DrawIconItem(dc, i, r);
    }
  }
  gdi::RestoreDC(dc, saved);
}

// ---- input
void TCustomListView::KeyDown(rtl::Word& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  TListModel::TKey k;
  switch (key) {
    case VK_UP: k = TListModel::TKey::Up; break;
    case VK_DOWN: k = TListModel::TKey::Down; break;
    case VK_PRIOR: k = TListModel::TKey::PageUp; break;
    case VK_NEXT: k = TListModel::TKey::PageDown; break;
    case VK_HOME: k = TListModel::TKey::Home; break;
    case VK_END: k = TListModel::TKey::End; break;
    case VK_LEFT: case VK_RIGHT:
      if (viewStyle_ == vsReport) Scroll(key == VK_LEFT ? -kHLineStep : kHLineStep, 0);
      else ChangeSelection([&] { model_.Navigate(key == VK_LEFT ? TListModel::TKey::Up : TListModel::TKey::Down, shift.Contains(ssShift)); });
      key = 0;
      return;
    case VK_F2:
      if (!readOnly_ && model_.CaretRow() >= 0) EditItem(model_.CaretRow());
      key = 0;
      return;
    case 'A':
      if (shift.Contains(ssCtrl)) {
        SelectAll();
        key = 0;
      }
      return;
    default: return;
  }
  key = 0;
  int top = model_.TopIndex();
  ChangeSelection([&] { model_.Navigate(k, shift.Contains(ssShift)); });
  if (top != model_.TopIndex()) Invalidate();
}

void TCustomListView::KeyPress(char16_t& key) {
  TCustomControl::KeyPress(key);
  if (key < 0x20) return;
  // Type-ahead: the typed prefix selects the next item it starts.
  DWORD now = GetTickCountWin();
  if (now - searchTime_ > kSearchResetMs) search_.clear();
  searchTime_ = now;
  search_ += key;
  int from = model_.CaretRow();
  int start = search_.size() > 1 ? from - 1 : from;
  int hit = -1;
  if (ownerData_) {  // the owner knows its rows; fetching each one would be slow
    if (OnDataFind) OnDataFind(this, search_, start + 1, true, hit);
  } else {
    auto caption = [this](int i) { return items_->Items(i)->Caption(); };
    hit = TListModel::FindPrefix(caption, items_->Count(), search_, start);
  }
  if (hit >= items_->Count()) hit = -1;
  if (hit < 0) return;
  ChangeSelection([&] { model_.ClickRow(hit); });
  Invalidate();
}

void TCustomListView::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TLiveness live = Liveness();
  if (editor_) EndEdit(true);
  if (!live.Alive()) return;
  if (CanFocus() && !Focused()) {
    SetFocus();
    if (!live.Alive()) return;
  }
  if (!shift.Contains(ssDouble) && (button == mbLeft || button == mbRight)) {
    TListItem* item = GetItemAt(x, y);
    int row = item ? item->Index() : -1;
    if (row >= 0) {
      if (button == mbLeft || !model_.Selected(row))
        ChangeSelection([&] { model_.ClickRow(row, shift.Contains(ssShift) && button == mbLeft, shift.Contains(ssCtrl) && button == mbLeft); });
    } else if (!shift.Contains(ssCtrl) && !shift.Contains(ssShift)) {
      ClearSelection();
    }
    if (!live.Alive()) return;
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

// ---- label editing
void TCustomListView::EditItem(int index) {
  if (readOnly_ || index < 0 || index >= items_->Count() || editor_) return;
  TListItem* item = ItemOf(index);
  bool allow = true;
  if (OnEditing) OnEditing(this, item, allow);
  if (!allow) return;
  item->MakeVisible(false);
  TRect r = GetItemRect(index, drLabel);
  r.Left += 2;
  editIndex_ = index;
  editor_ = TInplaceEdit::Open(this, r, 40, item->Caption(), [this](bool accept) { EndEdit(accept); });
}

void TCustomListView::EndEdit(bool accept) {
  if (!editor_) return;
  TCustomEdit* e = editor_;
  int index = editIndex_;
  editor_ = nullptr;
  editIndex_ = -1;
  TLiveness live = Liveness();
  String s = TInplaceEdit::Close(e, this);
  if (!live.Alive() || !accept || index < 0 || index >= items_->Count()) return;
  Edit(ItemOf(index), s);
}

void TCustomListView::ColClick(TListColumn* column) {
  if (OnColumnClick) OnColumnClick(this, column);
}

void TCustomListView::Edit(TListItem* item, String& text) {
  TLiveness live = Liveness();
  if (OnEdited) OnEdited(this, item, text);
  if (live.Alive()) item->SetCaption(text);
}

void TCustomListView::Dispatch(TMessage& m) {
  if (bars_.Handle(m)) return;
  switch (m.Msg) {
    case WM_GETDLGCODE: m.Result = DLGC_WANTARROWS | DLGC_WANTCHARS; return;
    case WM_SETFOCUS: case WM_KILLFOCUS: Invalidate(); break;
    case WM_MOUSEWHEEL:
      Scroll(0, -short(HIWORD(m.WParam)) / 120 * 3 * RowHeight());
      m.Result = 1;
      return;
    case WM_VSCROLL: {
      if (viewStyle_ != vsReport) {  // icon styles: pixels
        if (auto y = ScrollRequestPos(m.WParam, iconScrollY_, RowHeight(), ItemsArea().Height(), 1 << 30, HIWORD(m.WParam)))
          Scroll(0, *y - iconScrollY_);
        return;
      }
      int thumb = FullThumbPos(Handle(), SB_VERT, m.WParam);
      if (auto top = ScrollRequestPos(m.WParam, model_.TopIndex(), 1, model_.PageRows(), model_.Count(), thumb))
        Scroll(0, (*top - model_.TopIndex()) * RowHeight());
      return;
    }
    case WM_HSCROLL: {
      int line = viewStyle_ == vsList ? kListCellWidth : kHLineStep;  // the list style steps a column
      if (auto x = ScrollRequestPos(m.WParam, scrollX_, line, ItemsArea().Width(), 1 << 30, HIWORD(m.WParam)))
        Scroll(*x - scrollX_, 0);
      return;
    }
    case LVM_GETITEMCOUNT: m.Result = items_->Count(); return;
    case LVM_GETCOUNTPERPAGE: m.Result = GetCountPerPage(); return;
    case LVM_GETTOPINDEX: m.Result = model_.TopIndex(); return;
    case LVM_SCROLL: Scroll(int(m.WParam), int(m.LParam)); m.Result = TRUE; return;
    case LVM_GETITEMRECT:
      if (!m.LParam) return;
      *reinterpret_cast<RECT*>(m.LParam) = GetItemRect(int(m.WParam), TDisplayCode(reinterpret_cast<RECT*>(m.LParam)->Left));
      m.Result = TRUE;
      return;
    case CM_FONTCHANGED:
      TCustomControl::Dispatch(m);
      UpdateViewport();
      LayoutHeader();
      return;
    default: break;
  }
  TCustomControl::Dispatch(m);
}

}  // namespace forms
