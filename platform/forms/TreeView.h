// The tree view: nodes with text, images (normal, selected, state), lazy
// children (HasChildren), expand buttons and dotted lines, selection with
// OnChanging/OnChange, expand and collapse events, keys, wheel.
//
// Scroll model: vertical in visible rows (range 0 .. rows-1, position = top
// row, page = wholly visible rows), horizontal in pixels (range 0 .. widest
// row - 1). SB_THUMBPOSITION and SB_THUMBTRACK take the full position from
// the scroll state's track position, so lists longer than 65535 rows scroll
// as well.
//
// Threads: GUI thread only.
#pragma once

#include <memory>
#include <vector>

#include "platform/forms/ImgList.h"
#include "platform/forms/StdCtrls.h"

namespace forms {

constexpr UINT TV_FIRST = 0x1100;
constexpr UINT TVM_GETCOUNT = TV_FIRST + 5, TVM_SETIMAGELIST = TV_FIRST + 9, TVM_GETVISIBLECOUNT = TV_FIRST + 16;
constexpr WPARAM TVSIL_NORMAL = 0, TVSIL_STATE = 2;

class TCustomTreeView;
class TTreeNodes;

class TTreeNode {
 public:
  TTreeNode(TTreeNodes* owner, TTreeNode* parent);
  ~TTreeNode();
  const String& Text() const { return text_; }
  void SetText(const String& v);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int v);
  int SelectedIndex() const { return selectedIndex_; }
  void SetSelectedIndex(int v);
  int StateIndex() const { return stateIndex_; }
  void SetStateIndex(int v);
  // A node may show a button before its children exist (filled on expanding).
  bool HasChildren() const { return hasChildren_ || !children_.empty(); }
  void SetHasChildren(bool v);
  bool Expanded() const { return expanded_; }
  void SetExpanded(bool v);
  void Expand(bool recurse);
  void Collapse(bool recurse);
  void* Data() const { return data_; }
  void SetData(void* v) { data_ = v; }

  TTreeNode* Parent() const { return parent_; }
  int Count() const { return int(children_.size()); }
  TTreeNode* Item(int index) const { return children_.at(std::size_t(index)).get(); }
  TTreeNode* GetFirstChild() const { return children_.empty() ? nullptr : children_.front().get(); }
  TTreeNode* GetLastChild() const { return children_.empty() ? nullptr : children_.back().get(); }
  TTreeNode* GetNextSibling() const;
  TTreeNode* GetPrevSibling() const;
  TTreeNode* GetNext() const;  // depth-first
  int Index() const;
  int Level() const;
  bool IsVisible() const;  // every ancestor expanded
  bool Selected() const;
  void SetSelected(bool v);
  bool Focused() const { return Selected(); }
  void MakeVisible();
  TRect DisplayRect(bool textOnly);
  void Delete();
  void DeleteChildren();
  void EditText();
  // Orders the children (and, with recurse, theirs): by text without case, or by `compare` (<0, 0, >0).
  void AlphaSort(bool recurse = false);
  void CustomSort(const std::function<int(TTreeNode* a, TTreeNode* b)>& compare, bool recurse = false);
  TCustomTreeView* TreeView() const;
  TTreeNodes* Owner() const { return owner_; }

 private:
  friend class TTreeNodes;
  friend class TCustomTreeView;
  TTreeNodes* owner_;
  TTreeNode* parent_;
  std::vector<std::unique_ptr<TTreeNode>> children_;
  String text_;
  int imageIndex_ = -1, selectedIndex_ = -1, stateIndex_ = -1;
  bool hasChildren_ = false, expanded_ = false;
  void* data_ = nullptr;
};

class TTreeNodes {
 public:
  explicit TTreeNodes(TCustomTreeView* owner);
  ~TTreeNodes();
  // A node after the last sibling of `sibling` (a root node when nullptr).
  TTreeNode* Add(TTreeNode* sibling, const String& text);
  TTreeNode* AddFirst(TTreeNode* sibling, const String& text);
  TTreeNode* AddChild(TTreeNode* parent, const String& text);
  TTreeNode* AddChildFirst(TTreeNode* parent, const String& text);
  // Before `sibling`.
  TTreeNode* Insert(TTreeNode* sibling, const String& text);
  void Delete(TTreeNode* node);
  void Clear();
  int Count() const { return count_; }
  TTreeNode* GetFirstNode() const { return roots_.empty() ? nullptr : roots_.front().get(); }
  int RootCount() const { return int(roots_.size()); }
  TTreeNode* Root(int i) const { return roots_.at(std::size_t(i)).get(); }
  // The node at a depth-first position.
  TTreeNode* Item(int absoluteIndex) const;
  void BeginUpdate();
  void EndUpdate();
  TCustomTreeView* Owner() const { return owner_; }

 private:
  friend class TTreeNode;
  friend class TCustomTreeView;
  TTreeNode* InsertAt(TTreeNode* parent, int index, const String& text);
  std::vector<std::unique_ptr<TTreeNode>>& SiblingsOf(TTreeNode* parent);
  void Remove(TTreeNode* node);
  TCustomTreeView* owner_;
  std::vector<std::unique_ptr<TTreeNode>> roots_;
  int count_ = 0;
};

using TTVChangedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;
using TTVChangingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowChange)>;
using TTVExpandingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowExpansion)>;
using TTVCollapsingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowCollapse)>;
using TTVExpandedEvent = std::function<void(TObject* Sender, TTreeNode* Node)>;
using TTVEditingEvent = std::function<void(TObject* Sender, TTreeNode* Node, bool& AllowEdit)>;
using TTVEditedEvent = std::function<void(TObject* Sender, TTreeNode* Node, String& S)>;

class TCustomTreeView : public TCustomControl {
 public:
  explicit TCustomTreeView(TComponent* owner);
  ~TCustomTreeView() override;

  TTreeNodes* Items() { return items_.get(); }
  TTreeNode* Selected() const { return selected_; }
  void SetSelected(TTreeNode* node);
  TTreeNode* TopItem();
  void SetTopItem(TTreeNode* node);
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* v);
  TCustomImageList* StateImages() const { return stateImages_; }
  void SetStateImages(TCustomImageList* v);
  bool ShowButtons() const { return showButtons_; }
  void SetShowButtons(bool v);
  bool ShowLines() const { return showLines_; }
  void SetShowLines(bool v);
  bool ShowRoot() const { return showRoot_; }
  void SetShowRoot(bool v);
  int Indent() const { return indent_; }
  void SetIndent(int v);
  bool HideSelection() const { return hideSelection_; }
  void SetHideSelection(bool v);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v) { readOnly_ = v; }
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle v);

  int RowHeight();
  int GetVisibleCount();  // wholly visible rows
  int GetCount() const { return items_->Count(); }
  // Rows as shown: the nodes whose ancestors are all expanded.
  int RowCount();
  TTreeNode* RowNode(int row);
  int RowOf(const TTreeNode* node);
  int TopRow() const { return topRow_; }
  void SetTopRow(int row);
  int ScrollX() const { return scrollX_; }
  TTreeNode* GetNodeAt(int x, int y);
  TRect NodeRect(const TTreeNode* node, bool textOnly);
  TRect ButtonRect(const TTreeNode* node);
  TRect ItemsArea();
  void FullExpand();
  void FullCollapse();
  void AlphaSort(bool recurse = true);
  // Label editing (F2 or EditText): OnEditing may refuse, OnEdited may change the text.
  bool IsEditing() const { return editor_ != nullptr; }
  TCustomEdit* Editor() const { return editor_; }
  void EditNode(TTreeNode* node);
  void EndEdit(bool accept);
  TTVEditingEvent OnEditing;
  TTVEditedEvent OnEdited;

  TTVChangedEvent OnChange, OnDeletion;
  TTVChangingEvent OnChanging;
  TTVExpandingEvent OnExpanding;
  TTVCollapsingEvent OnCollapsing;
  TTVExpandedEvent OnExpanded, OnCollapsed;

  void Dispatch(TMessage& m) override;
  void Notification(TComponent* component, rtl::TOperation operation) override;

  // Called by the nodes.
  void NodesChanged();
  virtual void NodeRemoving(TTreeNode* node);
  virtual bool CanExpand(TTreeNode* node);
  void Expanded(TTreeNode* node);
  bool CanCollapse(TTreeNode* node);
  void Collapsed(TTreeNode* node);
  void BeginUpdate() { ++updateCount_; }
  void EndUpdate();

 protected:
  void Paint() override;
  void Resize() override;
  void KeyDown(rtl::Word& key, TShiftState shift) override;
  void KeyPress(char16_t& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void DblClick() override;
  virtual bool CanChange(TTreeNode* node);
  // The end of an accepted label edit: fires OnEdited, then gives the node the text.
  virtual void Edit(TTreeNode* node, String& text);
  virtual void Change(TTreeNode* node);
  virtual void DrawNode(HDC dc, TTreeNode* node, int row, TRect rowRect);

 private:
  void Rebuild();
  void UpdateScroll();
  void SelectUser(TTreeNode* node);
  int NodeLeft(const TTreeNode* node);
  int TextWidth(const TTreeNode* node);

  std::unique_ptr<TTreeNodes> items_;
  TTreeNode* selected_ = nullptr;
  TCustomImageList *images_ = nullptr, *stateImages_ = nullptr;
  bool showButtons_ = true, showLines_ = true, showRoot_ = true, hideSelection_ = true, readOnly_ = false;
  int indent_ = 19;
  TBorderStyle borderStyle_ = bsSingleBorder;
  std::vector<TTreeNode*> rows_;
  bool rowsValid_ = false;
  int topRow_ = 0, scrollX_ = 0, widest_ = 0;
  int updateCount_ = 0;
  TCustomEdit* editor_ = nullptr;
  TTreeNode* editNode_ = nullptr;
  TWindowScrollBars bars_{this};
  bool showingBars_ = false;
  String search_;
  win::DWORD searchTime_ = 0;
};

class TTreeView : public TCustomTreeView {
 public:
  explicit TTreeView(TComponent* owner) : TCustomTreeView(owner) {}
};

}  // namespace forms
