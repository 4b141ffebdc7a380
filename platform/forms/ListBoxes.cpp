// The list box and the combo box with its drop-down list.
#include <algorithm>

#include "platform/forms/StdCtrls.h"
#include "platform/forms/StdDraw.h"
#include "platform/gdi/Gdi.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/StrUtils.h"

namespace forms {

using namespace win;

namespace {
// Typed prefixes older than this start a new search.
constexpr DWORD kSearchResetMs = 1000;
}  // namespace

// ------------------------------------------------------------------ TCustomListBox
TCustomListBox::TCustomListBox(TComponent* owner) : TCustomControl(owner) {
  SetControlStyle({csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks, csOpaque});
  SetBounds(0, 0, 121, 97);
  SetTabStop(true);
  SetColor(gdi::clWindow);
  items_ = std::make_unique<TControlStrings>(
      [this](TControlStrings::TChange change, int index) { ItemsChanged(change, index); });
  itemHeight_ = FontTextHeight(Font()) + 1;
  UpdateViewport();
}

TCustomListBox::~TCustomListBox() = default;

void TCustomListBox::ItemsChanged(TControlStrings::TChange change, int index) {
  switch (change) {
    case TControlStrings::TChange::Inserted:
      model_.Insert(index);
      if (style_ == lbOwnerDrawVariable) heights_.insert(heights_.begin() + index, -1);
      break;
    case TControlStrings::TChange::Deleted:
      model_.Remove(index);
      if (style_ == lbOwnerDrawVariable && index < int(heights_.size())) heights_.erase(heights_.begin() + index);
      break;
    case TControlStrings::TChange::Cleared:
      model_.Clear();
      heights_.clear();
      break;
    case TControlStrings::TChange::Changed:
      if (index < 0) heights_.assign(std::size_t(items_->Count()), -1);
      else if (index < int(heights_.size())) heights_[std::size_t(index)] = -1;
      break;
  }
  UpdateViewport();
  Invalidate();
}

TRect TCustomListBox::InnerRect() { return stddraw::InsideBorder(ClientRect(), borderStyle_ == bsSingleBorder); }

void TCustomListBox::PushScrollInfo(int bar, const TListModel::TScrollState& s) {
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = s.Min, si.nMax = s.Max, si.nPage = UINT(s.Page), si.nPos = s.Pos;
  SetScrollInfo(Handle(), bar, &si, TRUE);
}

void TCustomListBox::UpdateViewport() {
  TRect in = InnerRect();
  model_.SetViewport(in.Height(), itemHeight_);
  model_.SetColumns(columns_, columns_ > 0 ? std::max(1, in.Width() / columns_) : 1);
  if (HandleAllocated()) {
    PushScrollInfo(SB_VERT, model_.VerticalScroll());
    const bool horz = MultiColumn() || showingColumns_;
    if (horz) PushScrollInfo(SB_HORZ, model_.HorizontalScroll());
    showingColumns_ = MultiColumn();
    // The bar shows while there are more rows than room (not on the drop-down's own list).
    if (!showingBars_ && !(GetWindowLongPtrW(Handle(), GWL_STYLE) & WS_POPUP)) {
      showingBars_ = true;
      bars_.AutoShow(SB_VERT);
      const bool changed = horz && bars_.AutoShow(SB_HORZ);
      showingBars_ = false;
      // The horizontal bar takes its height from the rows: lay the columns out again.
      if (changed) {
        const int caret = model_.CaretRow();
        const bool inView = caret >= 0 && model_.CellOrigin(caret).X >= 0 &&
                            model_.CellOrigin(caret).X < model_.VisibleColumns() * model_.ColumnWidth();
        TRect now = InnerRect();
        model_.SetViewport(now.Height(), itemHeight_);
        model_.SetColumns(columns_, columns_ > 0 ? std::max(1, now.Width() / columns_) : 1);
        if (inView) model_.MakeVisible(caret);  // the selection stays in view
        PushScrollInfo(SB_HORZ, model_.HorizontalScroll());
      }
    }
    bars_.Refresh();
  }
}

void TCustomListBox::CreateWnd() {
  TCustomControl::CreateWnd();
  UpdateViewport();
}

void TCustomListBox::Resize() {
  UpdateViewport();
  TCustomControl::Resize();
}

void TCustomListBox::SetItemIndex(int v) {
  if (v == model_.ItemIndex() && (v < 0 || model_.Selected(v) || model_.MultiSelect())) return;
  model_.SetItemIndex(v);
  if (model_.ItemIndex() >= 0) model_.MakeVisible(model_.ItemIndex());
  UpdateViewport();
  Invalidate();
}

void TCustomListBox::SetMultiSelect(bool v) {
  model_.SetMultiSelect(v);
  Invalidate();
}

void TCustomListBox::SetSelected(int index, bool v) {
  if (index < 0 || index >= Count()) throw rtl::EListError(u"List index out of bounds");
  model_.SetSelected(index, v);
  Invalidate();
}

void TCustomListBox::ClearSelection() {
  for (int r : std::vector<int>(model_.SelectedRows())) model_.SetSelected(r, false);
  Invalidate();
}

void TCustomListBox::SetTopIndex(int v) {
  model_.SetTopIndex(v);
  UpdateViewport();
  Invalidate();
}

void TCustomListBox::SetItemHeight(int v) {
  if (v <= 0) return;
  itemHeight_ = v;
  itemHeightSet_ = true;
  UpdateViewport();
  Invalidate();
}

void TCustomListBox::SetStyle(TListBoxStyle v) {
  style_ = v;
  heights_.assign(v == lbOwnerDrawVariable ? std::size_t(items_->Count()) : 0, -1);
  if (v == lbStandard && !itemHeightSet_) itemHeight_ = FontTextHeight(Font()) + 1;
  UpdateViewport();
  Invalidate();
}

void TCustomListBox::SetColumns(int v) {
  v = std::max(0, v);
  if (v == columns_) return;
  columns_ = v;
  UpdateViewport();
  if (model_.ItemIndex() >= 0) model_.MakeVisible(model_.ItemIndex());
  UpdateViewport();
  Invalidate();
}

void TCustomListBox::SetBorderStyle(TBorderStyle v) {
  borderStyle_ = v;
  UpdateViewport();
  Invalidate();
}

int TCustomListBox::RowHeight(int index) {
  if (style_ != lbOwnerDrawVariable || index < 0 || index >= int(heights_.size())) return itemHeight_;
  int& h = heights_[std::size_t(index)];
  if (h < 0) {
    h = itemHeight_;
    if (OnMeasureItem) OnMeasureItem(this, index, h);
    h = std::max(1, h);
  }
  return h;
}

int TCustomListBox::TopOfRow(int index) {
  if (style_ != lbOwnerDrawVariable || MultiColumn()) return model_.RowTop(index);
  int y = 0;
  if (index >= model_.TopIndex())
    for (int i = model_.TopIndex(); i < index; ++i) y += RowHeight(i);
  else
    for (int i = index; i < model_.TopIndex(); ++i) y -= RowHeight(i);
  return y;
}

TRect TCustomListBox::ItemRect(int index) {
  TRect in = InnerRect();
  if (index < 0 || index > Count()) return TRect();
  if (MultiColumn()) {
    TPoint at = model_.CellOrigin(index);
    return rtl::Rect(in.Left + at.X, in.Top + at.Y, in.Left + at.X + model_.ColumnWidth(),
                     in.Top + at.Y + itemHeight_);
  }
  int top = in.Top + TopOfRow(index);
  return rtl::Rect(in.Left, top, in.Right, top + RowHeight(index));
}

int TCustomListBox::ItemAtPos(TPoint pos, bool existing) {
  TRect in = InnerRect();
  int y = pos.Y - in.Top;
  if (MultiColumn()) {
    int r = model_.RowAtPoint(pos.X - in.Left, y, existing);
    return !existing && Count() == 0 ? Count() : r;
  }
  if (style_ != lbOwnerDrawVariable) {
    int r = model_.RowAt(y, existing);
    if (r < 0 && !existing) return Count();
    return r;
  }
  int i = model_.TopIndex(), top = 0;
  if (y < 0) return existing ? -1 : model_.TopIndex();
  for (; i < Count(); ++i) {
    int h = RowHeight(i);
    if (y < top + h) return i;
    top += h;
  }
  return existing ? -1 : Count();
}

void TCustomListBox::UserChanged() {
  UpdateViewport();
  Invalidate();
  Click();
}

void TCustomListBox::Paint() {
  HDC dc = Canvas()->Handle();
  TRect in = InnerRect();
  int saved = stddraw::BeginFramedPaint(dc, ClientRect(), Color(), borderStyle_ == bsSingleBorder, in);
  for (int i = model_.TopIndex(); i < Count(); ++i) {
    TRect r = ItemRect(i);
    if (MultiColumn() ? r.Left >= in.Right : r.Top >= in.Bottom) break;
    TOwnerDrawState st;
    if (model_.Selected(i)) st.Include(odSelected);
    if (!Enabled()) st.Include(odDisabled);
    if (Focused() && i == model_.CaretRow()) st.Include(odFocused);
    Canvas()->Font()->Assign(Font());
    Canvas()->Brush()->SetStyle(gdi::bsSolid);
    Canvas()->Brush()->SetColor(st.Contains(odSelected) ? gdi::clHighlight : Color());
    Canvas()->Font()->SetColor(st.Contains(odSelected) ? gdi::clHighlightText : Font()->Color());
    if (style_ != lbStandard && OnDrawItem) OnDrawItem(this, i, r, st);
    else DrawItem(i, r, st);
    if (st.Contains(odFocused)) Canvas()->DrawFocusRect(r);
  }
  gdi::RestoreDC(dc, saved);
}

void TCustomListBox::DrawItem(int index, TRect rect, TOwnerDrawState state) {
  Canvas()->FillRect(rect);
  TColor text = !Enabled() ? gdi::clGrayText : state.Contains(odSelected) ? gdi::clHighlightText : Font()->Color();
  gdi::SelectObject(Canvas()->Handle(), Font()->Handle());
  stddraw::DrawTextIn(Canvas()->Handle(), items_->Get(index), rtl::Rect(rect.Left + 2, rect.Top, rect.Right, rect.Bottom),
                      text, gdi::DT_LEFT | gdi::DT_VCENTER | gdi::DT_SINGLELINE | gdi::DT_NOPREFIX);
}

void TCustomListBox::KeyDown(rtl::Word& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  TListModel::TKey k;
  switch (key) {
    case VK_UP: k = TListModel::TKey::Up; break;
    case VK_DOWN: k = TListModel::TKey::Down; break;
    case VK_LEFT: k = TListModel::TKey::Left; break;
    case VK_RIGHT: k = TListModel::TKey::Right; break;
    case VK_PRIOR: k = TListModel::TKey::PageUp; break;
    case VK_NEXT: k = TListModel::TKey::PageDown; break;
    case VK_HOME: k = TListModel::TKey::Home; break;
    case VK_END: k = TListModel::TKey::End; break;
    default: return;
  }
  key = 0;
  if (model_.MultiSelect() && !extendedSelect_) {
    // Only the caret moves; the selection stays as it is.
    const std::vector<int> kept = model_.SelectedRows();
    const int caret = model_.CaretRow(), top = model_.TopIndex();
    model_.Navigate(k, false);
    for (int r : std::vector<int>(model_.SelectedRows())) model_.SetSelected(r, false);
    for (int r : kept) model_.SetSelected(r, true);
    if (model_.CaretRow() != caret || model_.TopIndex() != top) UserChanged();
    return;
  }
  if (model_.Navigate(k, shift.Contains(ssShift))) UserChanged();
}

void TCustomListBox::KeyPress(char16_t& key) {
  TCustomControl::KeyPress(key);
  if (key == u' ' && model_.MultiSelect() && !extendedSelect_) {
    const int caret = model_.CaretRow();
    if (caret >= 0) {
      model_.SetSelected(caret, !model_.Selected(caret));
      UserChanged();
    }
    return;
  }
  if (!autoComplete_ || key < 0x20) return;
  DWORD now = GetTickCountWin();
  if (now - searchTime_ > kSearchResetMs) search_.clear();
  searchTime_ = now;
  search_ += key;
  int from = search_.size() > 1 ? model_.ItemIndex() - 1 : model_.ItemIndex();
  int hit = TListModel::FindPrefix([this](int i) { return items_->Get(i); }, Count(), search_, from);
  if (hit < 0 && search_.size() > 1) {  // a repeated letter cycles through the rows it starts
    search_ = String(1, key);
    hit = TListModel::FindPrefix([this](int i) { return items_->Get(i); }, Count(), search_, model_.ItemIndex());
  }
  if (hit >= 0 && hit != model_.ItemIndex()) {
    model_.ClickRow(hit);
    model_.MakeVisible(hit);
    UserChanged();
  }
}

void TCustomListBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TLiveness live = Liveness();
  if (CanFocus() && !Focused()) {
    SetFocus();
    if (!live.Alive()) return;
  }
  if (button == mbLeft && !shift.Contains(ssDouble)) {
    int row = ItemAtPos({x, y}, true);
    if (row >= 0) {
      bool changed;
      if (model_.MultiSelect() && !extendedSelect_) {
        model_.SetSelected(row, !model_.Selected(row));
        model_.SetCaretRow(row);
        model_.MakeVisible(row);
        changed = true;
      } else {
        changed = model_.ClickRow(row, shift.Contains(ssShift), shift.Contains(ssCtrl));
      }
      dragging_ = true;
      if (changed) UserChanged();
      else Invalidate();
      if (!live.Alive()) return;
    }
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TCustomListBox::MouseMove(TShiftState shift, int x, int y) {
  if (dragging_ && MouseCapture() && !model_.MultiSelect() && Count() > 0) {
    TRect in = InnerRect();
    int row;
    if (MultiColumn()) {  // beside the columns: scroll by a column
      const int rows = model_.PageRows();
      if (x < in.Left) row = model_.TopIndex() - rows;
      else if (x >= in.Right) row = model_.TopIndex() + model_.VisibleColumns() * rows;
      else row = ItemAtPos({x, std::clamp(y, in.Top, in.Bottom - 1)}, false);
    } else if (y < in.Top) row = std::max(0, model_.TopIndex() - 1);  // above: scroll up a row
    else if (y >= in.Bottom) row = std::min(Count() - 1, model_.TopIndex() + model_.PageRows());
    else row = ItemAtPos({x, y}, false);
    row = std::clamp(row, 0, Count() - 1);
    if (row != model_.ItemIndex()) {
      model_.ClickRow(row);
      model_.MakeVisible(row);
      UserChanged();
    }
  }
  TCustomControl::MouseMove(shift, x, y);
}

void TCustomListBox::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  dragging_ = false;
  TCustomControl::MouseUp(button, shift, x, y);
}

void TCustomListBox::DoEndDrag(TObject* target, int x, int y) {
  dragging_ = false;  // the press that began the drag gets no release of its own
  TCustomControl::DoEndDrag(target, x, y);
}

void TCustomListBox::Dispatch(TMessage& m) {
  if (bars_.Handle(m)) return;
  switch (m.Msg) {
    case WM_GETDLGCODE: m.Result = DLGC_WANTARROWS | DLGC_WANTCHARS; return;
    case WM_SETFOCUS: case WM_KILLFOCUS: Invalidate(); break;
    case WM_MOUSEWHEEL:
      if (MultiColumn()) SetTopIndex(model_.TopIndex() - short(HIWORD(m.WParam)) / 120 * model_.PageRows());
      else SetTopIndex(model_.TopIndex() - short(HIWORD(m.WParam)) / 120 * 3);
      m.Result = 1;
      return;
    case WM_VSCROLL: {
      if (auto top = ScrollRequestPos(m.WParam, model_.TopIndex(), 1, model_.PageRows(), Count(), HIWORD(m.WParam)))
        SetTopIndex(std::max(0, *top));
      return;
    }
    case WM_HSCROLL: {  // whole columns
      if (!MultiColumn()) break;
      TListModel::TScrollState h = model_.HorizontalScroll();
      HWND wnd = HandleAllocated() ? Handle() : nullptr;
      if (auto col = ScrollRequestPos(m.WParam, h.Pos, 1, h.Page, h.Max, FullThumbPos(wnd, SB_HORZ, m.WParam)))
        SetTopIndex(std::max(0, *col) * model_.PageRows());
      return;
    }
    case LB_ADDSTRING: {
      auto* s = reinterpret_cast<const char16_t*>(m.LParam);
      m.Result = items_->Add(s ? s : u"");
      return;
    }
    case LB_INSERTSTRING: {
      auto* s = reinterpret_cast<const char16_t*>(m.LParam);
      int at = int(m.WParam) < 0 || int(m.WParam) > Count() ? Count() : int(m.WParam);
      items_->Insert(at, s ? s : u"");
      m.Result = at;
      return;
    }
    case LB_DELETESTRING:
      if (int(m.WParam) < 0 || int(m.WParam) >= Count()) {
        m.Result = LB_ERR;
        return;
      }
      items_->Delete(int(m.WParam));
      m.Result = Count();
      return;
    case LB_RESETCONTENT: items_->Clear(); return;
    case LB_SETCURSEL:
      SetItemIndex(int(m.WParam));
      m.Result = int(m.WParam) >= 0 && int(m.WParam) < Count() ? LRESULT(m.WParam) : LB_ERR;
      return;
    case LB_GETCURSEL: m.Result = ItemIndex(); return;
    case LB_GETCOUNT: m.Result = Count(); return;
    case LB_GETTOPINDEX: m.Result = TopIndex(); return;
    case LB_SETTOPINDEX: SetTopIndex(int(m.WParam)); return;
    case LB_FINDSTRING: case LB_FINDSTRINGEXACT: {
      auto* s = reinterpret_cast<const char16_t*>(m.LParam);
      String text = s ? s : u"";
      int start = int(m.WParam);
      m.Result = LB_ERR;
      if (m.Msg == LB_FINDSTRING) {
        m.Result = TListModel::FindPrefix([this](int i) { return items_->Get(i); }, Count(), text, start);
      } else {
        for (int k = 1; k <= Count(); ++k) {
          int i = ((start < 0 ? -1 : start) + k) % Count();
          if (rtl::AnsiCompareText(items_->Get(i), text) == 0) {
            m.Result = i;
            break;
          }
        }
      }
      return;
    }
    case CM_FONTCHANGED:
      if (!itemHeightSet_ && style_ == lbStandard) itemHeight_ = FontTextHeight(Font()) + 1;
      UpdateViewport();
      break;
    default: break;
  }
  TCustomControl::Dispatch(m);
}

// ------------------------------------------------------------------ combo box
namespace {

// The edit of an edit-style combo box: the list's keys go to the combo box.
class TComboEdit : public TCustomEdit {
 public:
  TComboEdit(TComponent* owner, TCustomComboBox* combo) : TCustomEdit(owner), combo_(combo) {
    SetBorderStyle(bsNoBorder);
    SetTabStop(false);
  }
  void Dispatch(TMessage& m) override {
    if (m.Msg == WM_GETDLGCODE) {
      TCustomEdit::Dispatch(m);
      if (combo_->DroppedDown()) m.Result |= DLGC_WANTALLKEYS;
      return;
    }
    if (m.Msg == WM_KEYDOWN) {
      switch (m.WParam) {
        case VK_UP: case VK_DOWN: case VK_F4: case VK_PRIOR: case VK_NEXT:
          combo_->Perform(m.Msg, m.WParam, m.LParam);
          return;
        case VK_RETURN: case VK_ESCAPE:
          if (combo_->DroppedDown()) {
            combo_->Perform(m.Msg, m.WParam, m.LParam);
            return;
          }
          break;
        default: break;
      }
    }
    if (m.Msg == WM_KILLFOCUS || m.Msg == WM_SETFOCUS || m.Msg == WM_MOUSEWHEEL) {
      TCustomEdit::Dispatch(m);
      if (m.Msg != WM_SETFOCUS) combo_->Perform(m.Msg, m.WParam, m.LParam);
      return;
    }
    TCustomEdit::Dispatch(m);
  }

 protected:
  void Change() override {
    TCustomEdit::Change();
    combo_->Perform(CM_TEXTCHANGED + 0x100, 0, 0);  // the combo box follows the typed text
  }

 private:
  TCustomComboBox* combo_;
};

constexpr UINT CM_COMBOEDITCHANGED = CM_TEXTCHANGED + 0x100;

}  // namespace

TComboListBox::TComboListBox(TComponent* owner, TCustomComboBox* combo) : TCustomListBox(owner), combo_(combo) {
  SetBorderStyle(bsNoBorder);
  SetTabStop(false);
  SetAutoComplete(false);
  // The combo box takes and gives back the capture itself.
  SetControlStyle(ControlStyle() - TControlStyle{csCaptureMouse});
}

void TComboListBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  // Never focused: a press outside closes the list, one inside waits for the release.
  if (!ClientRect().Contains(TPoint{x, y})) combo_->CloseUp(false);
}

void TComboListBox::CreateParams(TCreateParams& p) {
  TCustomListBox::CreateParams(p);
  // An unmanaged popup that never takes the activation or the focus.
  p.Style = WS_POPUP | WS_BORDER;
  p.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE;
  p.WndParent = Application ? Application->Handle() : nullptr;
}

void TComboListBox::MouseMove(TShiftState shift, int x, int y) {
  // Hovering moves the highlight, as the native drop-down does.
  if (ClientRect().Contains(TPoint{x, y})) {
    int row = ItemAtPos({x, y}, true);
    if (row >= 0 && row != model_.ItemIndex()) {
      model_.SetItemIndex(row);
      Invalidate();
    }
  }
}

void TComboListBox::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (ClientRect().Contains(TPoint{x, y})) {
    int row = ItemAtPos({x, y}, true);
    if (row >= 0) {
      model_.SetItemIndex(row);
      combo_->CloseUp(true);
    }
  }
}

void TComboListBox::DrawItem(int index, TRect rect, TOwnerDrawState state) {
  if (combo_->OnDrawItem && combo_->Style() >= csOwnerDrawFixed) {
    combo_->OnDrawItem(combo_, index, rect, state);
    return;
  }
  TCustomListBox::DrawItem(index, rect, state);
}

TCustomComboBox::TCustomComboBox(TComponent* owner) : TCustomControl(owner) {
  SetControlStyle({csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks, csOpaque});
  SetBounds(0, 0, 145, FontTextHeight(Font()) + 8);
  SetTabStop(true);
  SetColor(gdi::clWindow);
  items_ = std::make_unique<TControlStrings>(
      [this](TControlStrings::TChange change, int index) { ItemsChanged(change, index); });
  itemHeight_ = FontTextHeight(Font()) + 1;
  edit_ = new TComboEdit(this, this);
  edit_->SetParent(this);
  LayoutEdit();
}

TCustomComboBox::~TCustomComboBox() {
  if (list_) {
    TComboListBox* l = list_;
    list_ = nullptr;
    l->Free();
  }
}

void TCustomComboBox::Notification(TComponent* component, rtl::TOperation operation) {
  TCustomControl::Notification(component, operation);
  if (operation == rtl::opRemove) {
    if (component == list_) list_ = nullptr;
    if (component == edit_) edit_ = nullptr;
  }
}

TRect TCustomComboBox::ButtonRect() {
  TRect r = ClientRect();
  int w = GetSystemMetrics(SM_CXVSCROLL);
  return rtl::Rect(std::max(r.Left + 2, r.Right - 2 - w), r.Top + 2, r.Right - 2, r.Bottom - 2);
}

void TCustomComboBox::LayoutEdit() {
  if (!edit_) return;
  bool hasEdit = style_ == csDropDown || style_ == csSimple;
  edit_->SetVisible(hasEdit);
  TRect b = ButtonRect();
  int h = FontTextHeight(Font()) + 2;
  int top = std::max(2, (Height() - h) / 2);
  edit_->SetBounds(3, top, std::max(0, b.Left - 4), std::min(h, std::max(0, Height() - 4)));
}

void TCustomComboBox::Resize() {
  LayoutEdit();
  TCustomControl::Resize();
}

void TCustomComboBox::SetStyle(TComboBoxStyle v) {
  style_ = v;
  LayoutEdit();
  Invalidate();
}

int TCustomComboBox::MaxLength() const { return edit_ ? edit_->MaxLength() : 0; }
void TCustomComboBox::SetMaxLength(int v) {
  if (edit_) edit_->SetMaxLength(v);
}

void TCustomComboBox::ItemsChanged(TControlStrings::TChange change, int index) {
  switch (change) {
    case TControlStrings::TChange::Inserted:
      if (index <= itemIndex_) ++itemIndex_;
      if (list_) list_->Items()->Insert(index, items_->Get(index));
      break;
    case TControlStrings::TChange::Deleted:
      if (index == itemIndex_) itemIndex_ = -1;
      else if (index < itemIndex_) --itemIndex_;
      if (list_) list_->Items()->Delete(index);
      break;
    case TControlStrings::TChange::Cleared:
      itemIndex_ = -1;  // the text stays
      if (list_) list_->Items()->Clear();
      break;
    case TControlStrings::TChange::Changed:
      if (list_) list_->Items()->Assign(items_.get());
      break;
  }
  Invalidate();
}

void TCustomComboBox::SetItemIndex(int v) {
  if (v < -1 || v >= items_->Count()) v = -1;
  itemIndex_ = v;
  settingText_ = true;
  String t = v >= 0 ? items_->Get(v) : String();
  TCustomControl::SetText(t);
  if (edit_) edit_->SetText(t);
  settingText_ = false;
  Invalidate();
}

void TCustomComboBox::SetText(const String& v) {
  settingText_ = true;
  TCustomControl::SetText(v);
  if (edit_ && edit_->Text() != v) edit_->SetText(v);
  int i = items_->IndexOf(v);
  itemIndex_ = i;
  settingText_ = false;
  Invalidate();
}

void TCustomComboBox::Change() {
  if (OnChange) OnChange(this);
}

void TCustomComboBox::Select() {
  if (OnSelect) OnSelect(this);
}

void TCustomComboBox::Choose(int index, bool user) {
  if (index < 0 || index >= items_->Count()) return;
  String before = Text();
  SetItemIndex(index);
  if (!user) return;
  TLiveness live = Liveness();
  if (Text() != before) Change();
  if (!live.Alive()) return;
  Select();
  if (!live.Alive()) return;
  Click();
  if (live.Alive() && edit_ && edit_->Visible()) edit_->SelectAll();
}

void TCustomComboBox::EnsureList() {
  if (list_) return;
  list_ = new TComboListBox(this, this);
  list_->SetFont(Font());
  list_->SetItemHeight(itemHeight_);
  list_->SetStyle(style_ == csOwnerDrawFixed ? lbOwnerDrawFixed : style_ == csOwnerDrawVariable ? lbOwnerDrawVariable
                                                                                                  : lbStandard);
  list_->Items()->Assign(items_.get());
  list_->OnMeasureItem = [this](TWinControl*, int index, int& h) {
    if (OnMeasureItem) OnMeasureItem(this, index, h);
  };
}

bool TCustomComboBox::DroppedDown() const { return dropped_; }

void TCustomComboBox::SetDroppedDown(bool v) {
  if (v == dropped_) return;
  if (!v) {
    CloseUp(false);
    return;
  }
  TLiveness live = Liveness();
  if (OnDropDown) OnDropDown(this);
  if (!live.Alive() || !HandleAllocated()) return;
  EnsureList();
  int rows = std::clamp(items_->Count(), 1, dropDownCount_);
  int h = 2;
  for (int i = 0; i < rows; ++i) h += i < items_->Count() ? list_->RowHeight(i) : itemHeight_;
  TPoint p = ClientToScreen({0, Height()});
  TRect wa;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &wa, 0);
  if (p.Y + h > wa.Bottom) p.Y = ClientToScreen({0, 0}).Y - h;  // above when the work area ends below
  list_->SetBounds(p.X, p.Y, Width(), h);
  list_->HandleNeeded();
  list_->SetItemIndex(itemIndex_);
  SetWindowPos(list_->Handle(), HWND_TOPMOST, p.X, p.Y, Width(), h, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  dropped_ = true;
  list_->SetMouseCapture(true);
  Invalidate();
}

void TCustomComboBox::CloseUp(bool accept) {
  if (!dropped_) return;
  dropped_ = false;
  int chosen = list_ ? list_->ItemIndex() : -1;
  if (list_) {
    if (list_->MouseCapture()) list_->SetMouseCapture(false);
    if (list_->HandleAllocated()) ShowWindow(list_->Handle(), SW_HIDE);
  }
  Invalidate();
  TLiveness live = Liveness();
  if (accept && chosen >= 0 && chosen != itemIndex_) Choose(chosen, true);
  else if (accept && chosen >= 0 && edit_ && edit_->Visible()) edit_->SelectAll();
  if (live.Alive() && OnCloseUp) OnCloseUp(this);
}

void TCustomComboBox::Paint() {
  HDC dc = Canvas()->Handle();
  TRect r = ClientRect();
  stddraw::FillSolid(dc, r, Enabled() ? Color() : gdi::clBtnFace);
  stddraw::DrawSunkenBorder(dc, r);
  TRect b = ButtonRect();
  gdi::DrawFrameControl(dc, &b, gdi::DFC_SCROLL,
                        gdi::DFCS_SCROLLCOMBOBOX | (dropped_ ? gdi::DFCS_PUSHED | gdi::DFCS_FLAT : 0) |
                            (Enabled() ? 0 : gdi::DFCS_INACTIVE));
  if (style_ == csDropDown || style_ == csSimple) return;
  TRect face = rtl::Rect(r.Left + 3, r.Top + 3, b.Left - 1, r.Bottom - 3);
  bool focused = Focused() && !dropped_;
  if (focused) stddraw::FillSolid(dc, face, gdi::clHighlight);
  if (style_ >= csOwnerDrawFixed && OnDrawItem && itemIndex_ >= 0) {
    TOwnerDrawState st{odComboBoxEdit};
    if (focused) st.Include(odSelected), st.Include(odFocused);
    OnDrawItem(this, itemIndex_, face, st);
  } else {
    gdi::SelectObject(dc, Font()->Handle());
    TColor c = !Enabled() ? gdi::clGrayText : focused ? gdi::clHighlightText : Font()->Color();
    stddraw::DrawTextIn(dc, Text(), rtl::Rect(face.Left + 1, face.Top, face.Right, face.Bottom), c,
                        gdi::DT_LEFT | gdi::DT_VCENTER | gdi::DT_SINGLELINE | gdi::DT_NOPREFIX | gdi::DT_END_ELLIPSIS);
  }
  if (focused) Canvas()->DrawFocusRect(face);
}

void TCustomComboBox::KeyDown(rtl::Word& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  int n = items_->Count();
  if (key == VK_F4 || ((key == VK_DOWN || key == VK_UP) && shift.Contains(ssAlt))) {
    SetDroppedDown(!dropped_);
    key = 0;
    return;
  }
  if (dropped_ && list_) {
    switch (key) {
      case VK_RETURN: CloseUp(true); key = 0; return;
      case VK_ESCAPE: CloseUp(false); key = 0; return;
      case VK_UP: case VK_DOWN: case VK_PRIOR: case VK_NEXT: case VK_HOME: case VK_END:
        if (style_ == csDropDown && (key == VK_HOME || key == VK_END)) return;
        list_->Perform(WM_KEYDOWN, key, 0);
        key = 0;
        return;
      default: return;
    }
  }
  int idx = itemIndex_;
  switch (key) {
    case VK_UP: case VK_LEFT: idx = idx < 0 ? 0 : idx - 1; break;
    case VK_DOWN: case VK_RIGHT: idx = idx + 1; break;
    case VK_PRIOR: idx -= dropDownCount_ - 1; break;
    case VK_NEXT: idx += dropDownCount_ - 1; break;
    case VK_HOME: idx = 0; break;
    case VK_END: idx = n - 1; break;
    default: return;
  }
  if ((key == VK_LEFT || key == VK_RIGHT || key == VK_HOME || key == VK_END) && style_ == csDropDown) return;
  key = 0;
  if (n == 0) return;
  idx = std::clamp(idx, 0, n - 1);
  if (idx != itemIndex_) Choose(idx, true);
}

void TCustomComboBox::KeyPress(char16_t& key) {
  TCustomControl::KeyPress(key);
  if (key < 0x20 || style_ == csDropDown || style_ == csSimple) return;
  DWORD now = GetTickCountWin();
  if (now - searchTime_ > kSearchResetMs) search_.clear();
  searchTime_ = now;
  search_ += key;
  int hit = TListModel::FindPrefix([this](int i) { return items_->Get(i); }, items_->Count(), search_,
                                   search_.size() > 1 ? itemIndex_ - 1 : itemIndex_);
  if (hit >= 0) {
    if (dropped_ && list_) list_->SetItemIndex(hit);
    else if (hit != itemIndex_) Choose(hit, true);
  }
}

void TCustomComboBox::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TLiveness live = Liveness();
  if (CanFocus() && !Focused() && !(edit_ && edit_->Visible() && edit_->Focused())) {
    SetFocus();
    if (!live.Alive()) return;
  }
  if (button == mbLeft && (style_ != csDropDown || ButtonRect().Contains(TPoint{x, y}))) {
    TCustomControl::MouseDown(button, shift, x, y);
    if (!live.Alive()) return;
    SetDroppedDown(!dropped_);
    return;
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TCustomComboBox::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_GETDLGCODE:
      m.Result = DLGC_WANTARROWS | DLGC_WANTCHARS;
      if (dropped_) m.Result |= DLGC_WANTALLKEYS;
      return;
    case WM_SETFOCUS:
      TCustomControl::Dispatch(m);
      if (edit_ && edit_->Visible() && edit_->CanFocus()) edit_->SetFocus();
      Invalidate();
      return;
    case WM_KILLFOCUS: {
      // Focus leaving the combo box (and its edit) closes the list.
      HWND to = HWND(m.WParam);
      bool inside = to && (to == (HandleAllocated() ? Handle() : nullptr) ||
                           (edit_ && edit_->HandleAllocated() && to == edit_->Handle()));
      if (!inside) CloseUp(false);
      Invalidate();
      TCustomControl::Dispatch(m);
      return;
    }
    case CM_CANCELMODE:
      if (reinterpret_cast<TControl*>(m.LParam) != this && reinterpret_cast<TControl*>(m.LParam) != list_) CloseUp(false);
      return;
    case CM_COMBOEDITCHANGED:
      if (!settingText_ && edit_) {
        TCustomControl::SetText(edit_->Text());
        itemIndex_ = items_->IndexOf(edit_->Text());
        Change();
      }
      return;
    case WM_MOUSEWHEEL: {
      if (dropped_ && list_) {
        list_->Perform(m.Msg, m.WParam, m.LParam);
      } else if (items_->Count() > 0) {
        int idx = std::clamp(itemIndex_ - short(HIWORD(m.WParam)) / 120, 0, items_->Count() - 1);
        if (idx != itemIndex_) Choose(idx, true);
      }
      m.Result = 1;
      return;
    }
    case CM_FONTCHANGED:
      if (edit_) edit_->SetFont(Font());
      LayoutEdit();
      break;
    case CM_ENABLEDCHANGED:
      if (edit_) edit_->SetEnabled(Enabled());
      if (!Enabled()) CloseUp(false);
      break;
    default: break;
  }
  TCustomControl::Dispatch(m);
}

}  // namespace forms
