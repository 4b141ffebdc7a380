#include "platform/forms/TreeView.h"

#include <algorithm>

#include "platform/forms/StdDraw.h"
#include "platform/gdi/Gdi.h"
#include "platform/rtl/StrUtils.h"

namespace forms {

using namespace win;

namespace {
constexpr int kButtonSize = 9;
constexpr DWORD kSearchResetMs = 1000;
}  // namespace

// ------------------------------------------------------------------ TTreeNode
TTreeNode::TTreeNode(TTreeNodes* owner, TTreeNode* parent) : owner_(owner), parent_(parent) {}
TTreeNode::~TTreeNode() = default;

TCustomTreeView* TTreeNode::TreeView() const { return owner_->Owner(); }

void TTreeNode::SetText(const String& v) {
  text_ = v;
  TreeView()->NodesChanged();
}
void TTreeNode::SetImageIndex(int v) {
  imageIndex_ = v;
  TreeView()->Invalidate();
}
void TTreeNode::SetSelectedIndex(int v) {
  selectedIndex_ = v;
  TreeView()->Invalidate();
}
void TTreeNode::SetStateIndex(int v) {
  stateIndex_ = v;
  TreeView()->Invalidate();
}
void TTreeNode::SetHasChildren(bool v) {
  hasChildren_ = v;
  TreeView()->Invalidate();
}

void TTreeNode::SetExpanded(bool v) {
  if (v) Expand(false);
  else Collapse(false);
}

void TTreeNode::Expand(bool recurse) {
  if (!expanded_ && HasChildren()) {
    TCustomTreeView* tv = TreeView();
    if (tv->CanExpand(this)) {
      // The handler may have filled in the children, or found there are none.
      if (!children_.empty()) {
        expanded_ = true;
        tv->NodesChanged();
        tv->Expanded(this);
      } else {
        hasChildren_ = false;
        tv->Invalidate();
      }
    }
  }
  if (recurse)
    for (auto& c : children_) c->Expand(true);
}

void TTreeNode::Collapse(bool recurse) {
  if (recurse)
    for (auto& c : children_) c->Collapse(true);
  if (!expanded_) return;
  TCustomTreeView* tv = TreeView();
  if (!tv->CanCollapse(this)) return;
  expanded_ = false;
  // A selection inside the collapsed branch moves up to this node.
  for (TTreeNode* s = tv->Selected(); s; s = s->parent_)
    if (s->parent_ == this) {
      tv->SetSelected(this);
      break;
    }
  tv->NodesChanged();
  tv->Collapsed(this);
}

int TTreeNode::Index() const {
  const auto& sib = parent_ ? parent_->children_ : owner_->roots_;
  for (std::size_t i = 0; i < sib.size(); ++i)
    if (sib[i].get() == this) return int(i);
  return -1;
}

int TTreeNode::Level() const {
  int l = 0;
  for (TTreeNode* p = parent_; p; p = p->parent_) ++l;
  return l;
}

TTreeNode* TTreeNode::GetNextSibling() const {
  const auto& sib = parent_ ? parent_->children_ : owner_->roots_;
  int i = Index();
  return i + 1 < int(sib.size()) ? sib[std::size_t(i + 1)].get() : nullptr;
}

TTreeNode* TTreeNode::GetPrevSibling() const {
  const auto& sib = parent_ ? parent_->children_ : owner_->roots_;
  int i = Index();
  return i > 0 ? sib[std::size_t(i - 1)].get() : nullptr;
}

TTreeNode* TTreeNode::GetNext() const {
  if (!children_.empty()) return children_.front().get();
  for (const TTreeNode* n = this; n; n = n->parent_)
    if (TTreeNode* s = n->GetNextSibling()) return s;
  return nullptr;
}

bool TTreeNode::IsVisible() const {
  for (TTreeNode* p = parent_; p; p = p->parent_)
    if (!p->expanded_) return false;
  return true;
}

bool TTreeNode::Selected() const { return TreeView()->Selected() == this; }
void TTreeNode::SetSelected(bool v) {
  if (v) TreeView()->SetSelected(this);
  else if (Selected()) TreeView()->SetSelected(nullptr);
}

void TTreeNode::MakeVisible() {
  for (TTreeNode* p = parent_; p; p = p->parent_)
    if (!p->expanded_) p->Expand(false);
  TCustomTreeView* tv = TreeView();
  int row = tv->RowOf(this);
  if (row < 0) return;
  if (row < tv->TopRow()) tv->SetTopRow(row);
  else if (row >= tv->TopRow() + tv->GetVisibleCount()) tv->SetTopRow(row - tv->GetVisibleCount() + 1);
}

TRect TTreeNode::DisplayRect(bool textOnly) { return TreeView()->NodeRect(this, textOnly); }

void TTreeNode::Delete() { owner_->Delete(this); }

void TTreeNode::DeleteChildren() {
  TCustomTreeView* tv = TreeView();
  tv->BeginUpdate();
  while (!children_.empty()) owner_->Delete(children_.back().get());
  expanded_ = false;
  tv->EndUpdate();
}

void TTreeNode::EditText() { TreeView()->EditNode(this); }

void TTreeNode::CustomSort(const std::function<int(TTreeNode*, TTreeNode*)>& compare, bool recurse) {
  std::stable_sort(children_.begin(), children_.end(),
                   [&](const auto& a, const auto& b) { return compare(a.get(), b.get()) < 0; });
  if (recurse)
    for (auto& c : children_) c->CustomSort(compare, true);
  TreeView()->NodesChanged();
}

void TTreeNode::AlphaSort(bool recurse) {
  CustomSort([](TTreeNode* a, TTreeNode* b) { return rtl::AnsiCompareText(a->text_, b->text_); }, recurse);
}

// ------------------------------------------------------------------ TTreeNodes
TTreeNodes::TTreeNodes(TCustomTreeView* owner) : owner_(owner) {}
TTreeNodes::~TTreeNodes() = default;

std::vector<std::unique_ptr<TTreeNode>>& TTreeNodes::SiblingsOf(TTreeNode* parent) {
  return parent ? parent->children_ : roots_;
}

TTreeNode* TTreeNodes::InsertAt(TTreeNode* parent, int index, const String& text) {
  auto& sib = SiblingsOf(parent);
  index = std::clamp(index, 0, int(sib.size()));
  auto node = std::make_unique<TTreeNode>(this, parent);
  node->text_ = text;
  TTreeNode* n = node.get();
  sib.insert(sib.begin() + index, std::move(node));
  ++count_;
  owner_->NodesChanged();
  return n;
}

TTreeNode* TTreeNodes::Add(TTreeNode* sibling, const String& text) {
  TTreeNode* parent = sibling ? sibling->parent_ : nullptr;
  return InsertAt(parent, int(SiblingsOf(parent).size()), text);
}
TTreeNode* TTreeNodes::AddFirst(TTreeNode* sibling, const String& text) {
  return InsertAt(sibling ? sibling->parent_ : nullptr, 0, text);
}
TTreeNode* TTreeNodes::AddChild(TTreeNode* parent, const String& text) {
  return InsertAt(parent, int(SiblingsOf(parent).size()), text);
}
TTreeNode* TTreeNodes::AddChildFirst(TTreeNode* parent, const String& text) { return InsertAt(parent, 0, text); }
TTreeNode* TTreeNodes::Insert(TTreeNode* sibling, const String& text) {
  if (!sibling) return Add(nullptr, text);
  return InsertAt(sibling->parent_, sibling->Index(), text);
}

void TTreeNodes::Remove(TTreeNode* node) {
  // Children first, each announced before it goes.
  while (!node->children_.empty()) Remove(node->children_.back().get());
  owner_->NodeRemoving(node);
  auto& sib = SiblingsOf(node->parent_);
  auto it = std::find_if(sib.begin(), sib.end(), [node](const auto& p) { return p.get() == node; });
  if (it != sib.end()) {
    std::unique_ptr<TTreeNode> gone = std::move(*it);
    sib.erase(it);
    --count_;
  }
}

void TTreeNodes::Delete(TTreeNode* node) {
  if (!node || node->owner_ != this) return;
  TTreeNode* parent = node->parent_;
  owner_->BeginUpdate();
  Remove(node);
  if (parent && parent->children_.empty()) parent->expanded_ = false;
  owner_->NodesChanged();
  owner_->EndUpdate();
}

void TTreeNodes::Clear() {
  owner_->BeginUpdate();
  while (!roots_.empty()) Remove(roots_.back().get());
  owner_->NodesChanged();
  owner_->EndUpdate();
}

TTreeNode* TTreeNodes::Item(int absoluteIndex) const {
  TTreeNode* n = GetFirstNode();
  for (int i = 0; n && i < absoluteIndex; ++i) n = n->GetNext();
  return absoluteIndex >= 0 ? n : nullptr;
}

void TTreeNodes::BeginUpdate() { owner_->BeginUpdate(); }
void TTreeNodes::EndUpdate() { owner_->EndUpdate(); }

// ------------------------------------------------------------------ TCustomTreeView
TCustomTreeView::TCustomTreeView(TComponent* owner) : TCustomControl(owner) {
  items_ = std::make_unique<TTreeNodes>(this);
  SetControlStyle({csCaptureMouse, csClickEvents, csDoubleClicks, csOpaque});
  SetBounds(0, 0, 121, 97);
  SetTabStop(true);
  SetColor(gdi::clWindow);
}

TCustomTreeView::~TCustomTreeView() {
  OnDeletion = nullptr;
  OnChange = nullptr;
  OnChanging = nullptr;
  items_->Clear();
}

void TCustomTreeView::Notification(TComponent* component, rtl::TOperation operation) {
  TCustomControl::Notification(component, operation);
  if (operation != rtl::opRemove) return;
  if (component == images_) images_ = nullptr;
  if (component == stateImages_) stateImages_ = nullptr;
}

void TCustomTreeView::SetImages(TCustomImageList* v) {
  images_ = v;
  if (v) v->FreeNotification(this);
  NodesChanged();
}
void TCustomTreeView::SetStateImages(TCustomImageList* v) {
  stateImages_ = v;
  if (v) v->FreeNotification(this);
  NodesChanged();
}
void TCustomTreeView::SetShowButtons(bool v) {
  showButtons_ = v;
  NodesChanged();
}
void TCustomTreeView::SetShowLines(bool v) {
  showLines_ = v;
  Invalidate();
}
void TCustomTreeView::SetShowRoot(bool v) {
  showRoot_ = v;
  NodesChanged();
}
void TCustomTreeView::SetIndent(int v) {
  indent_ = std::max(1, v);
  NodesChanged();
}
void TCustomTreeView::SetHideSelection(bool v) {
  hideSelection_ = v;
  Invalidate();
}
void TCustomTreeView::SetBorderStyle(TBorderStyle v) {
  borderStyle_ = v;
  NodesChanged();
}

void TCustomTreeView::NodesChanged() {
  rowsValid_ = false;
  if (updateCount_ > 0) return;
  UpdateScroll();
  Invalidate();
}

void TCustomTreeView::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0) NodesChanged();
}

void TCustomTreeView::NodeRemoving(TTreeNode* node) {
  if (selected_ == node) {
    // The selection moves to a neighbour, as the native tree moves it.
    TTreeNode* next = node->GetNextSibling();
    if (!next) next = node->GetPrevSibling();
    if (!next) next = node->Parent();
    selected_ = nullptr;
    if (next) {
      selected_ = next;
      Change(next);
    }
  }
  if (editNode_ == node) EndEdit(false);
  if (OnDeletion) OnDeletion(this, node);
  rowsValid_ = false;
}

bool TCustomTreeView::CanExpand(TTreeNode* node) {
  bool allow = true;
  if (OnExpanding) OnExpanding(this, node, allow);
  return allow;
}
void TCustomTreeView::Expanded(TTreeNode* node) {
  if (OnExpanded) OnExpanded(this, node);
}
bool TCustomTreeView::CanCollapse(TTreeNode* node) {
  bool allow = true;
  if (OnCollapsing) OnCollapsing(this, node, allow);
  return allow;
}
void TCustomTreeView::Collapsed(TTreeNode* node) {
  if (OnCollapsed) OnCollapsed(this, node);
}

bool TCustomTreeView::CanChange(TTreeNode* node) {
  bool allow = true;
  if (OnChanging) OnChanging(this, node, allow);
  return allow;
}
void TCustomTreeView::Change(TTreeNode* node) {
  if (OnChange) OnChange(this, node);
}

void TCustomTreeView::SetSelected(TTreeNode* node) {
  if (node == selected_) return;
  if (!CanChange(node)) return;
  selected_ = node;
  if (node) node->MakeVisible();
  Invalidate();
  Change(node);
}

void TCustomTreeView::SelectUser(TTreeNode* node) {
  if (!node) return;
  SetSelected(node);
  if (selected_ == node) node->MakeVisible();
}

// ---- rows and geometry
void TCustomTreeView::Rebuild() {
  rows_.clear();
  widest_ = 0;
  for (TTreeNode* n = items_->GetFirstNode(); n;) {
    rows_.push_back(n);
    widest_ = std::max(widest_, NodeLeft(n) + TextWidth(n) + 4 + scrollX_);
    if (n->expanded_ && !n->children_.empty()) {
      n = n->children_.front().get();
      continue;
    }
    while (n && !n->GetNextSibling()) n = n->parent_;
    if (n) n = n->GetNextSibling();
  }
  rowsValid_ = true;
  topRow_ = std::clamp(topRow_, 0, std::max(0, int(rows_.size()) - GetVisibleCount()));
}

int TCustomTreeView::RowCount() {
  if (!rowsValid_) Rebuild();
  return int(rows_.size());
}
TTreeNode* TCustomTreeView::RowNode(int row) {
  return row >= 0 && row < RowCount() ? rows_[std::size_t(row)] : nullptr;
}
int TCustomTreeView::RowOf(const TTreeNode* node) {
  RowCount();
  auto it = std::find(rows_.begin(), rows_.end(), node);
  return it == rows_.end() ? -1 : int(it - rows_.begin());
}

int TCustomTreeView::RowHeight() {
  int h = FontTextHeight(Font()) + 3;
  if (images_) h = std::max(h, images_->Height() + 1);
  if (stateImages_) h = std::max(h, stateImages_->Height() + 1);
  return h;
}

TRect TCustomTreeView::ItemsArea() { return stddraw::InsideBorder(ClientRect(), borderStyle_ == bsSingleBorder); }

int TCustomTreeView::GetVisibleCount() { return std::max(1, ItemsArea().Height() / RowHeight()); }

int TCustomTreeView::NodeLeft(const TTreeNode* node) {
  int level = node->Level() + ((showRoot_ && (showButtons_ || showLines_)) ? 1 : 0);
  return ItemsArea().Left + level * indent_ - scrollX_ + 2;
}

int TCustomTreeView::TextWidth(const TTreeNode* node) {
  int w = FontTextWidth(Font(), node->text_) + 4;
  if (images_) w += images_->Width() + 2;
  if (stateImages_ && node->stateIndex_ >= 0) w += stateImages_->Width() + 2;
  return w;
}

TRect TCustomTreeView::NodeRect(const TTreeNode* node, bool textOnly) {
  int row = RowOf(node);
  if (row < 0) return TRect();
  TRect a = ItemsArea();
  int top = a.Top + (row - topRow_) * RowHeight();
  if (!textOnly) return rtl::Rect(a.Left, top, a.Right, top + RowHeight());
  int x = NodeLeft(node);
  if (stateImages_ && node->stateIndex_ >= 0) x += stateImages_->Width() + 2;
  if (images_) x += images_->Width() + 2;
  return rtl::Rect(x, top, x + FontTextWidth(Font(), node->text_) + 4, top + RowHeight());
}

TRect TCustomTreeView::ButtonRect(const TTreeNode* node) {
  TRect r = NodeRect(node, false);
  int cx = NodeLeft(node) - indent_ / 2 - 2;
  int cy = r.Top + r.Height() / 2;
  return rtl::Rect(cx - kButtonSize / 2, cy - kButtonSize / 2, cx + kButtonSize / 2 + 1, cy + kButtonSize / 2 + 1);
}

TTreeNode* TCustomTreeView::GetNodeAt(int x, int y) {
  TRect a = ItemsArea();
  if (!a.Contains(TPoint{x, y})) return nullptr;
  return RowNode(topRow_ + (y - a.Top) / RowHeight());
}

TTreeNode* TCustomTreeView::TopItem() { return RowNode(topRow_); }
void TCustomTreeView::SetTopItem(TTreeNode* node) {
  int r = RowOf(node);
  if (r >= 0) SetTopRow(r);
}

void TCustomTreeView::SetTopRow(int row) {
  int n = RowCount();
  row = std::clamp(row, 0, std::max(0, n - GetVisibleCount()));
  if (row == topRow_) return;
  topRow_ = row;
  UpdateScroll();
  Invalidate();
}

void TCustomTreeView::UpdateScroll() {
  if (!HandleAllocated() || updateCount_) return;
  RowCount();
  SCROLLINFO si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = 0;
  si.nMax = std::max(0, int(rows_.size()) - 1);
  si.nPage = UINT(GetVisibleCount());
  si.nPos = topRow_;
  SetScrollInfo(Handle(), SB_VERT, &si, TRUE);
  si.nMax = std::max(0, widest_ - 1);
  si.nPage = UINT(ItemsArea().Width());
  si.nPos = scrollX_;
  SetScrollInfo(Handle(), SB_HORZ, &si, TRUE);
  if (!showingBars_) {
    showingBars_ = true;
    bars_.AutoShow(SB_VERT);
    bars_.AutoShow(SB_HORZ);
    showingBars_ = false;
  }
  bars_.Refresh();
}

void TCustomTreeView::Resize() {
  rowsValid_ = false;
  RowCount();
  UpdateScroll();
  TCustomControl::Resize();
}

void TCustomTreeView::FullExpand() {
  BeginUpdate();
  for (int i = 0; i < items_->RootCount(); ++i) items_->Root(i)->Expand(true);
  EndUpdate();
}
void TCustomTreeView::AlphaSort(bool recurse) {
  BeginUpdate();
  auto cmp = [](const auto& a, const auto& b) { return rtl::AnsiCompareText(a->Text(), b->Text()) < 0; };
  auto& roots = items_->roots_;
  std::stable_sort(roots.begin(), roots.end(), cmp);
  if (recurse)
    for (auto& r : roots) r->AlphaSort(true);
  EndUpdate();
}

void TCustomTreeView::EditNode(TTreeNode* node) {
  if (readOnly_ || !node || node->owner_ != items_.get() || editor_) return;
  bool allow = true;
  if (OnEditing) OnEditing(this, node, allow);
  if (!allow) return;
  node->MakeVisible();
  TRect r = NodeRect(node, true);
  r.Right += 20;
  editNode_ = node;
  editor_ = TInplaceEdit::Open(this, r, 80, node->text_, [this](bool accept) { EndEdit(accept); });
}

void TCustomTreeView::EndEdit(bool accept) {
  if (!editor_) return;
  TCustomEdit* e = editor_;
  TTreeNode* node = editNode_;
  editor_ = nullptr;
  editNode_ = nullptr;
  TLiveness live = Liveness();
  String s = TInplaceEdit::Close(e, this);
  if (!live.Alive() || !accept || !node) return;
  Edit(node, s);
}

void TCustomTreeView::Edit(TTreeNode* node, String& text) {
  TLiveness live = Liveness();
  if (OnEdited) OnEdited(this, node, text);
  if (live.Alive()) node->SetText(text);
}

void TCustomTreeView::FullCollapse() {
  BeginUpdate();
  for (int i = 0; i < items_->RootCount(); ++i) items_->Root(i)->Collapse(true);
  EndUpdate();
}

// ---- painting
namespace {
void DottedH(HDC dc, int x1, int x2, int y, COLORREF c) {
  for (int x = x1 + ((x1 + y) & 1); x < x2; x += 2) gdi::SetPixelV(dc, x, y, c);
}
void DottedV(HDC dc, int x, int y1, int y2, COLORREF c) {
  for (int y = y1 + ((x + y1) & 1); y < y2; y += 2) gdi::SetPixelV(dc, x, y, c);
}
}  // namespace

void TCustomTreeView::DrawNode(HDC dc, TTreeNode* node, int row, TRect r) {
  COLORREF lineColor = gdi::ColorToRGB(gdi::clGrayText);
  int left = NodeLeft(node);
  int cy = r.Top + r.Height() / 2;
  bool rooted = showRoot_ && (showButtons_ || showLines_);
  if (showLines_) {
    // The node's own connector, then the verticals of the ancestors that have more siblings below.
    if (node->parent_ || rooted) {
      int cx = left - indent_ / 2 - 2;
      DottedH(dc, cx, left - 1, cy, lineColor);
      bool first = !node->GetPrevSibling() && !node->parent_;
      DottedV(dc, cx, first ? cy : r.Top, node->GetNextSibling() ? r.Bottom : cy + 1, lineColor);
    }
    int cx = left - indent_ / 2 - 2;
    for (TTreeNode* p = node->parent_; p; p = p->parent_) {
      cx -= indent_;
      if ((p->parent_ || rooted) && p->GetNextSibling()) DottedV(dc, cx, r.Top, r.Bottom, lineColor);
    }
  }
  if (showButtons_ && node->HasChildren() && (node->parent_ || rooted)) {
    TRect b = ButtonRect(node);
    stddraw::FillSolid(dc, b, Color());
    gdi::HBRUSH frame = gdi::CreateSolidBrush(gdi::ColorToRGB(gdi::clGrayText));
    gdi::FrameRect(dc, &b, frame);
    gdi::DeleteObject(frame);
    int mx = b.Left + b.Width() / 2, my = b.Top + b.Height() / 2;
    COLORREF sign = gdi::ColorToRGB(gdi::clWindowText);
    for (int x = b.Left + 2; x < b.Right - 2; ++x) gdi::SetPixelV(dc, x, my, sign);
    if (!node->expanded_)
      for (int y = b.Top + 2; y < b.Bottom - 2; ++y) gdi::SetPixelV(dc, mx, y, sign);
  }
  int x = left;
  Canvas()->SetHandle(dc);
  if (stateImages_ && node->stateIndex_ >= 0 && node->stateIndex_ < stateImages_->Count()) {
    stateImages_->Draw(Canvas(), x, r.Top + (r.Height() - stateImages_->Height()) / 2, node->stateIndex_, Enabled());
    x += stateImages_->Width() + 2;
  }
  if (images_) {
    int idx = node == selected_ && node->selectedIndex_ >= 0 ? node->selectedIndex_ : node->imageIndex_;
    if (idx >= 0 && idx < images_->Count())
      images_->Draw(Canvas(), x, r.Top + (r.Height() - images_->Height()) / 2, idx, Enabled());
    x += images_->Width() + 2;
  }
  TRect t = rtl::Rect(x, r.Top, x + FontTextWidth(Font(), node->text_) + 4, r.Bottom);
  bool sel = node == selected_ && (Focused() || !hideSelection_);
  TColor text = Enabled() ? Font()->Color() : gdi::clGrayText;
  if (sel) {
    stddraw::FillSolid(dc, t, Focused() ? gdi::clHighlight : gdi::clBtnFace);
    text = Focused() ? gdi::clHighlightText : gdi::clWindowText;
  }
  stddraw::DrawTextIn(dc, node->text_, rtl::Rect(t.Left + 2, t.Top, t.Right, t.Bottom), text,
                      gdi::DT_LEFT | gdi::DT_VCENTER | gdi::DT_SINGLELINE | gdi::DT_NOPREFIX);
  if (node == selected_ && Focused()) Canvas()->DrawFocusRect(t);
  (void)row;
}

void TCustomTreeView::Paint() {
  HDC dc = Canvas()->Handle();
  TRect a = ItemsArea();
  int saved = stddraw::BeginFramedPaint(dc, ClientRect(), Color(), borderStyle_ == bsSingleBorder, a);
  gdi::SelectObject(dc, Font()->Handle());
  int rh = RowHeight();
  int n = RowCount();
  for (int row = topRow_; row < n; ++row) {
    int top = a.Top + (row - topRow_) * rh;
    if (top >= a.Bottom) break;
    DrawNode(dc, rows_[std::size_t(row)], row, rtl::Rect(a.Left, top, a.Right, top + rh));
  }
  gdi::RestoreDC(dc, saved);
}

// ---- input
void TCustomTreeView::KeyDown(rtl::Word& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  TTreeNode* s = selected_;
  int row = s ? RowOf(s) : -1;
  int n = RowCount();
  if (n == 0) return;
  auto go = [&](int r) { SelectUser(RowNode(std::clamp(r, 0, n - 1))); };
  switch (key) {
    case VK_UP: go(row < 0 ? 0 : row - 1); break;
    case VK_DOWN: go(row + 1); break;
    case VK_HOME: go(0); break;
    case VK_END: go(n - 1); break;
    case VK_PRIOR: go(row - GetVisibleCount() + 1); break;
    case VK_NEXT: go(row + GetVisibleCount() - 1); break;
    case VK_LEFT:
      if (!s) go(0);
      else if (s->expanded_) s->Collapse(false);
      else if (s->parent_) SelectUser(s->parent_);
      break;
    case VK_RIGHT:
      if (!s) go(0);
      else if (s->HasChildren() && !s->expanded_) s->Expand(false);
      else if (s->expanded_ && s->GetFirstChild()) SelectUser(s->GetFirstChild());
      break;
    case VK_ADD: if (s) s->Expand(false); break;
    case VK_SUBTRACT: if (s) s->Collapse(false); break;
    case VK_MULTIPLY: if (s) s->Expand(true); break;
    case VK_F2: if (s) EditNode(s); break;
    default: return;
  }
  key = 0;
}

void TCustomTreeView::KeyPress(char16_t& key) {
  TCustomControl::KeyPress(key);
  if (key < 0x20 || key == u'+' || key == u'-' || key == u'*') return;
  DWORD now = GetTickCountWin();
  if (now - searchTime_ > kSearchResetMs) search_.clear();
  searchTime_ = now;
  search_ += key;
  int n = RowCount();
  int from = selected_ ? RowOf(selected_) : -1;
  int hit = TListModel::FindPrefix([this](int i) { return rows_[std::size_t(i)]->text_; }, n, search_,
                                   search_.size() > 1 ? from - 1 : from);
  if (hit >= 0) SelectUser(RowNode(hit));
}

void TCustomTreeView::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TLiveness live = Liveness();
  if (CanFocus() && !Focused()) {
    SetFocus();
    if (!live.Alive()) return;
  }
  if (editor_) EndEdit(true);
  if (!live.Alive()) return;
  TTreeNode* node = GetNodeAt(x, y);
  if (node && !shift.Contains(ssDouble)) {
    TRect b = ButtonRect(node);
    b = rtl::Rect(b.Left - 2, b.Top - 2, b.Right + 2, b.Bottom + 2);
    if (showButtons_ && node->HasChildren() && b.Contains(TPoint{x, y})) {
      node->SetExpanded(!node->expanded_);
    } else if (button == mbLeft || button == mbRight) {
      SelectUser(node);
    }
    if (!live.Alive()) return;
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TCustomTreeView::DblClick() {
  TLiveness live = Liveness();
  TCustomControl::DblClick();
  if (!live.Alive()) return;
  // A double click on a row opens or closes it.
  POINT p;
  GetCursorPos(&p);
  TPoint c = ScreenToClient({p.X, p.Y});
  if (TTreeNode* node = GetNodeAt(c.X, c.Y); node && node->HasChildren()) node->SetExpanded(!node->expanded_);
}

void TCustomTreeView::Dispatch(TMessage& m) {
  if (bars_.Handle(m)) return;
  switch (m.Msg) {
    case WM_GETDLGCODE: m.Result = DLGC_WANTARROWS | DLGC_WANTCHARS; return;
    case WM_SETFOCUS: case WM_KILLFOCUS: Invalidate(); break;
    case WM_MOUSEWHEEL:
      SetTopRow(topRow_ - short(HIWORD(m.WParam)) / 120 * 3);
      m.Result = 1;
      return;
    case WM_VSCROLL: case WM_HSCROLL: {
      bool vert = m.Msg == WM_VSCROLL;
      int thumb = FullThumbPos(HandleAllocated() ? Handle() : nullptr, vert ? SB_VERT : SB_HORZ, m.WParam);
      std::optional<int> req = ScrollRequestPos(m.WParam, vert ? topRow_ : scrollX_, vert ? 1 : indent_,
                                                vert ? GetVisibleCount() : ItemsArea().Width(), 1 << 30, thumb);
      if (!req) return;
      int pos = *req;
      if (vert) {
        SetTopRow(pos);
      } else {
        pos = std::clamp(pos, 0, std::max(0, widest_ - ItemsArea().Width()));
        if (pos != scrollX_) {
          scrollX_ = pos;
          rowsValid_ = false;
          UpdateScroll();
          Invalidate();
        }
      }
      return;
    }
    case TVM_GETCOUNT: m.Result = GetCount(); return;
    case TVM_GETVISIBLECOUNT: m.Result = GetVisibleCount(); return;
    case TVM_SETIMAGELIST: {
      auto* il = reinterpret_cast<TCustomImageList*>(m.LParam);
      TCustomImageList* old = m.WParam == TVSIL_STATE ? stateImages_ : images_;
      if (m.WParam == TVSIL_STATE) SetStateImages(il);
      else SetImages(il);
      m.Result = LRESULT(reinterpret_cast<std::intptr_t>(old));
      return;
    }
    case CM_FONTCHANGED: rowsValid_ = false; break;
    default: break;
  }
  TCustomControl::Dispatch(m);
}

}  // namespace forms
