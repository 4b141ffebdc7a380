// The list view: report, icon, small-icon and list styles; columns shown by
// a "SysHeader32" header child window (its window procedure can be replaced,
// and its creation is announced to the list view with WM_PARENTNOTIFY);
// single or multiple selection with a focused item; keys, wheel, grid lines;
// in-place label editing; owner data (rows supplied by OnData).
//
// Scroll model (kept whether or not the bars are shown): vertical in rows,
// range 0 .. Count-1, position = top row, page = wholly visible rows;
// horizontal in pixels, range 0 .. total column width - 1, page = client
// width, so a bar is needed exactly when the columns are wider than the view.
//
// Selection events: OnSelectItem once per item whose state changed, the
// deselected ones first.
//
// Threads: GUI thread only.
#pragma once

#include <memory>
#include <vector>

#include "platform/forms/ImgList.h"
#include "platform/forms/ListModel.h"
#include "platform/forms/StdCtrls.h"

namespace forms {

constexpr UINT HDM_FIRST = 0x1200;
constexpr UINT HDM_GETITEMCOUNT = HDM_FIRST + 0, HDM_HITTEST = HDM_FIRST + 6, HDM_GETITEMRECT = HDM_FIRST + 7,
               HDM_GETORDERARRAY = HDM_FIRST + 17;
constexpr UINT LVM_FIRST = 0x1000;
constexpr UINT LVM_GETITEMCOUNT = LVM_FIRST + 4, LVM_GETITEMRECT = LVM_FIRST + 14, LVM_SCROLL = LVM_FIRST + 20,
               LVM_GETCOUNTPERPAGE = LVM_FIRST + 40, LVM_GETTOPINDEX = LVM_FIRST + 39;
// HDM_HITTEST answer flags.
constexpr UINT HHT_NOWHERE = 0x1, HHT_ONHEADER = 0x2, HHT_ONDIVIDER = 0x4, HHT_TORIGHT = 0x800;
struct HDHITTESTINFO {
  TPoint pt;
  UINT flags = 0;
  int iItem = -1;
};
// A header divider is grabbed this many pixels either side of a column's right edge.
constexpr int kHeaderDividerSlop = 4;

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
enum TItemState { isNone, isCut, isDropHilited, isFocused, isSelected, isActivating };
enum TDisplayCode { drBounds, drIcon, drLabel, drSelectBounds };

class TCustomListView;
class TListItems;

class TListColumn {
 public:
  explicit TListColumn(TCustomListView* owner) : owner_(owner) {}
  const String& Caption() const { return caption_; }
  void SetCaption(const String& v);
  int Width() const { return width_; }
  void SetWidth(int v);
  int MinWidth() const { return minWidth_; }
  void SetMinWidth(int v) { minWidth_ = std::max(0, v); }
  int MaxWidth() const { return maxWidth_; }
  void SetMaxWidth(int v) { maxWidth_ = std::max(0, v); }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int v);
  int Index() const;
  // Clamps a width to MinWidth/MaxWidth (0 = no limit).
  int ClampWidth(int w) const;

 private:
  TCustomListView* owner_;
  String caption_;
  int width_ = 50, minWidth_ = 0, maxWidth_ = 0;
  TAlignment alignment_ = taLeftJustify;
  int imageIndex_ = -1;
};

class TListColumns {
 public:
  explicit TListColumns(TCustomListView* owner) : owner_(owner) {}
  TListColumn* Add();
  void Delete(int index);
  void Clear();
  int Count() const { return int(items_.size()); }
  TListColumn* Items(int index) const { return items_.at(std::size_t(index)).get(); }
  TListColumn* operator[](int index) const { return Items(index); }
  int IndexOf(const TListColumn* c) const;

 private:
  TCustomListView* owner_;
  std::vector<std::unique_ptr<TListColumn>> items_;
};

class TListItem {
 public:
  explicit TListItem(TListItems* owner);
  ~TListItem();
  const String& Caption() const { return caption_; }
  void SetCaption(const String& v);
  // Writing a sub-item repaints the row.
  rtl::TStrings* SubItems() { return subItems_.get(); }
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int v);
  int StateIndex() const { return stateIndex_; }
  void SetStateIndex(int v) { stateIndex_ = v; }
  void* Data() const { return data_; }
  void SetData(void* v) { data_ = v; }
  int Index() const;
  bool Selected() const;
  void SetSelected(bool v);
  bool Focused() const;
  void SetFocused(bool v);
  int Top();
  TRect DisplayRect(TDisplayCode code);
  void MakeVisible(bool partialOK);
  void EditCaption();
  void Assign(TListItem* source);
  void Update();
  TCustomListView* ListView() const;

 private:
  friend class TListItems;
  TListItems* owner_;
  String caption_;
  std::unique_ptr<rtl::TStringList> subItems_;
  int imageIndex_ = -1, stateIndex_ = -1;
  void* data_ = nullptr;
  mutable int indexHint_ = 0;
};

class TListItems {
 public:
  explicit TListItems(TCustomListView* owner) : owner_(owner) {}
  ~TListItems();
  TListItem* Add();
  TListItem* Insert(int index);
  void Delete(int index);
  void Clear();
  int Count() const;
  // With OwnerData, the number of rows OnData is asked about.
  void SetCount(int v);
  // With OwnerData, a temporary item filled by OnData (valid until the next call).
  TListItem* Items(int index);
  TListItem* operator[](int index) { return Items(index); }
  int IndexOf(const TListItem* item) const;
  void BeginUpdate();
  void EndUpdate();
  TCustomListView* Owner() const { return owner_; }

 private:
  friend class TListItem;
  TCustomListView* owner_;
  std::vector<std::unique_ptr<TListItem>> items_;
  int ownerCount_ = 0;
  std::unique_ptr<TListItem> temp_;
  int tempIndex_ = -1;
};

using TLVSelectItemEvent = std::function<void(TObject* Sender, TListItem* Item, bool Selected)>;
using TLVColumnClickEvent = std::function<void(TObject* Sender, TListColumn* Column)>;
using TLVItemEvent = std::function<void(TObject* Sender, TListItem* Item)>;
using TLVEditingEvent = std::function<void(TObject* Sender, TListItem* Item, bool& AllowEdit)>;
using TLVEditedEvent = std::function<void(TObject* Sender, TListItem* Item, String& S)>;
using TLVChangeEvent = std::function<void(TObject* Sender, TListItem* Item, int Change)>;
// Owner data: the row whose caption begins with FindString, searching from
// StartIndex (wrapping when Wrap); Index stays -1 when there is none.
using TLVOwnerDataFindEvent =
    std::function<void(TObject* Sender, const String& FindString, int StartIndex, bool Wrap, int& Index)>;

class TCustomListView : public TCustomControl {
 public:
  explicit TCustomListView(TComponent* owner);
  ~TCustomListView() override;

  TListItems* Items() { return items_.get(); }
  TListColumns* Columns() { return columns_.get(); }
  TViewStyle ViewStyle() const { return viewStyle_; }
  void SetViewStyle(TViewStyle v);
  bool RowSelect() const { return rowSelect_; }
  void SetRowSelect(bool v);
  bool GridLines() const { return gridLines_; }
  void SetGridLines(bool v);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v) { readOnly_ = v; }
  bool MultiSelect() const { return model_.MultiSelect(); }
  void SetMultiSelect(bool v);
  bool HideSelection() const { return hideSelection_; }
  void SetHideSelection(bool v);
  bool ShowColumnHeaders() const { return showColumnHeaders_; }
  void SetShowColumnHeaders(bool v);
  bool OwnerData() const { return ownerData_; }
  void SetOwnerData(bool v);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle v);
  TCustomImageList* SmallImages() const { return smallImages_; }
  void SetSmallImages(TCustomImageList* v);
  TCustomImageList* LargeImages() const { return largeImages_; }
  void SetLargeImages(TCustomImageList* v);
  // Window scroll bars shown when needed (off for views that draw their own).
  bool NativeScrollBars() const { return nativeBars_; }
  void SetNativeScrollBars(bool v);

  int ItemIndex() const { return model_.ItemIndex(); }
  void SetItemIndex(int v);
  TListItem* Selected();  // the first selected item
  void SetSelected(TListItem* item);
  TListItem* ItemFocused();
  void SetItemFocused(TListItem* item);
  int SelCount() const { return model_.SelCount(); }
  void ClearSelection();
  void SelectAll();
  TListItem* TopItem();
  TListItem* GetItemAt(int x, int y);
  // Report geometry.
  int RowHeight();
  int HeaderHeight();
  int GetCountPerPage();
  TRect GetItemRect(int index, TDisplayCode code = drBounds);
  TRect ItemsArea();  // client area below the header
  // Scrolls by pixels: dy in whole rows, dx in pixels.
  void Scroll(int dx, int dy);
  int TopIndex() const { return model_.TopIndex(); }
  int ScrollX() const { return scrollX_; }
  int TotalColumnWidth() const;
  TListModel::TScrollState VerticalScroll() const { return model_.VerticalScroll(); }
  const TListModel& Model() const { return model_; }

  // The header: its window (class "SysHeader32"), the window procedure it
  // was made with (the default header behaviour, for subclassers to call),
  // item rectangles in header coordinates and the hit test.
  HWND HeaderHandle() const { return header_; }
  static LRESULT DefHeaderProc(HWND h, UINT msg, WPARAM w, LPARAM l);
  TRect HeaderItemRect(int index);
  int HeaderHitTest(TPoint p, UINT* flags);
  // Paints the header's default look into a DC (header coordinates).
  void PaintHeader(HDC dc);

  bool IsEditing() const { return editor_ != nullptr; }
  TCustomEdit* Editor() const { return editor_; }
  void EditItem(int index);
  void EndEdit(bool accept);

  TLVSelectItemEvent OnSelectItem;
  TLVColumnClickEvent OnColumnClick;
  TLVEditingEvent OnEditing;
  TLVEditedEvent OnEdited;
  TLVItemEvent OnData, OnDeletion, OnInsert;
  TLVChangeEvent OnChange;
  TLVOwnerDataFindEvent OnDataFind;

  void Dispatch(TMessage& m) override;
  void Notification(TComponent* component, rtl::TOperation operation) override;

  // Called by the items.
  void ItemInserted(int index);
  void ItemDeleted(int index, TListItem* item);
  void ItemsCleared();
  void InvalidateRow(int index);
  void ColumnsChanged();
  void BeginUpdate();
  void EndUpdate();
  bool Updating() const { return updateCount_ > 0; }
  void SetItemSelected(int index, bool v);
  void SetItemFocusedIndex(int index);

 protected:
  void CreateWnd() override;
  void DestroyWnd() override;
  void Paint() override;
  void Resize() override;
  void KeyDown(rtl::Word& key, TShiftState shift) override;
  void KeyPress(char16_t& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  virtual void Change(TListItem* item, int change);
  // A click on a column header section: fires OnColumnClick.
  virtual void ColClick(TListColumn* column);
  // The end of an accepted label edit: fires OnEdited, then gives the item the text.
  virtual void Edit(TListItem* item, String& text);
  virtual void DrawRow(HDC dc, int index, TRect rect);
  virtual void DrawIconItem(HDC dc, int index, TRect rect);
  // Layout of the header window (WM_WINDOWPOSCHANGING reaches it each time).
  void LayoutHeader();

 private:
  // Runs a selection change and reports the items whose state changed.
  template <class F>
  void ChangeSelection(F&& action);
  void UpdateScroll();
  void UpdateViewport();
  TListItem* ItemOf(int index);
  int ColumnsPerRowIcon();
  TRect IconCellRect(int index);
  void HeaderMouse(UINT msg, TPoint p);
  void HeaderSetCursor(HWND h);

  std::unique_ptr<TListItems> items_;
  std::unique_ptr<TListColumns> columns_;
  TListModel model_;
  TViewStyle viewStyle_ = vsIcon;
  bool rowSelect_ = false, gridLines_ = false, readOnly_ = false, hideSelection_ = true;
  bool showColumnHeaders_ = true, ownerData_ = false;
  TBorderStyle borderStyle_ = bsSingleBorder;
  TCustomImageList *smallImages_ = nullptr, *largeImages_ = nullptr;
  int scrollX_ = 0;
  int iconScrollY_ = 0;
  HWND header_ = nullptr;
  int updateCount_ = 0;
  bool dirtyWhileUpdating_ = false;
  // Header divider drag.
  int dragColumn_ = -1, dragStartX_ = 0, dragStartWidth_ = 0, pressedSection_ = -1;
  TCustomEdit* editor_ = nullptr;
  int editIndex_ = -1;
  TWindowScrollBars bars_{this};
  bool nativeBars_ = true, showingBars_ = false;
  String search_;
  win::DWORD searchTime_ = 0;
};

class TListView : public TCustomListView {
 public:
  explicit TListView(TComponent* owner) : TCustomListView(owner) {}
};

}  // namespace forms
