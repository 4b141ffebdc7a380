// The standard controls: the edit engine (single-line edit and memo), the
// list box, the combo box, labels, buttons and check/radio boxes, in their
// plain looks (classic system colours). The skinned controls derive from
// them and paint over the plain look.
//
// The edit keeps its text in a TEditBuffer (caret, selection, undo, limits);
// the list box and the combo box's drop-down list keep their rows' state in
// a TListModel. Positions and lengths count UTF-16 units.
//
// Threads: GUI thread only.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "platform/forms/EditBuffer.h"
#include "platform/forms/Forms.h"
#include "platform/forms/ListModel.h"
#include "platform/forms/Menus.h"
#include "platform/forms/ScrollBars.h"

namespace forms {

// Edit messages the controls answer (Windows' numbers).
constexpr UINT EM_GETSEL = 0x00B0, EM_SETSEL = 0x00B1, EM_GETRECT = 0x00B2, EM_SETRECT = 0x00B3,
               EM_SETRECTNP = 0x00B4, EM_SCROLLCARET = 0x00B7, EM_GETMODIFY = 0x00B8, EM_SETMODIFY = 0x00B9,
               EM_GETLINECOUNT = 0x00BA, EM_LINEINDEX = 0x00BB, EM_REPLACESEL = 0x00C2, EM_LIMITTEXT = 0x00C5,
               EM_CANUNDO = 0x00C6, EM_UNDO = 0x00C7, EM_LINEFROMCHAR = 0x00C9, EM_SETPASSWORDCHAR = 0x00CC,
               EM_EMPTYUNDOBUFFER = 0x00CD, EM_GETFIRSTVISIBLELINE = 0x00CE, EM_SETREADONLY = 0x00CF,
               EM_SETMARGINS = 0x00D3;
constexpr WPARAM EC_LEFTMARGIN = 1, EC_RIGHTMARGIN = 2;
// List box messages.
constexpr UINT LB_ADDSTRING = 0x0180, LB_INSERTSTRING = 0x0181, LB_DELETESTRING = 0x0182, LB_RESETCONTENT = 0x0184,
               LB_SETCURSEL = 0x0186, LB_GETCURSEL = 0x0188, LB_GETCOUNT = 0x018B, LB_GETTOPINDEX = 0x018E,
               LB_FINDSTRING = 0x018F, LB_SETTOPINDEX = 0x0197, LB_FINDSTRINGEXACT = 0x01A2;
constexpr LRESULT LB_ERR = -1;

enum TBorderStyle { bsNoBorder, bsSingleBorder };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TTextLayout { tlTop, tlCenter, tlBottom };
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// The height of a font's lines (tmHeight) and a string's width in it.
int FontTextHeight(gdi::TFont* font);
int FontTextWidth(gdi::TFont* font, const String& text);

// A string list that tells its control after every change (add, insert,
// delete, clear, put).
class TControlStrings : public rtl::TStrings {
 public:
  enum class TChange { Inserted, Deleted, Cleared, Changed };
  using TNotify = std::function<void(TChange change, int index)>;
  explicit TControlStrings(TNotify notify) : notify_(std::move(notify)) {}
  int Count() const override { return int(items_.size()); }
  String Get(int index) const override;
  rtl::TObject* GetObject(int index) const override;
  void Put(int index, const String& s) override;
  void PutObject(int index, rtl::TObject* obj) override;
  void Insert(int index, const String& s) override;
  void Delete(int index) override;
  void Clear() override;
  // Sorted lists insert by text, without case; Add returns the landing index.
  bool Sorted() const { return sorted_; }
  void SetSorted(bool v);
  int Add(const String& s) override;

 private:
  void Check(int index) const;
  std::vector<std::pair<String, rtl::TObject*>> items_;
  TNotify notify_;
  bool sorted_ = false;
};

// ------------------------------------------------------------------ edit
// The edit engine: a single-line edit, or (MultiLine) the memo's lines with
// word wrap. Caret with the window system's blinking caret (also where an
// input method shows its pre-edit), selection by mouse and keys, clipboard
// through the window system (the CLIPBOARD selection on X11), one-level undo,
// a default context menu, horizontal scrolling that keeps the caret visible.
class TCustomEdit : public TCustomControl {
 public:
  explicit TCustomEdit(TComponent* owner);
  ~TCustomEdit() override;

  void SetText(const String& v) override;
  int MaxLength() const { return buf_.MaxLength(); }
  void SetMaxLength(int v);
  bool ReadOnly() const { return buf_.ReadOnly(); }
  void SetReadOnly(bool v);
  char16_t PasswordChar() const { return passwordChar_; }
  void SetPasswordChar(char16_t c);
  TEditCharCase CharCase() const { return buf_.CharCase(); }
  void SetCharCase(TEditCharCase v);
  bool AutoSelect() const { return autoSelect_; }
  void SetAutoSelect(bool v) { autoSelect_ = v; }
  bool HideSelection() const { return hideSelection_; }
  void SetHideSelection(bool v);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle v);
  bool Modified() const { return modified_; }
  void SetModified(bool v) { modified_ = v; }

  int SelStart() const { return buf_.SelStart(); }
  void SetSelStart(int v);
  int SelLength() const { return buf_.SelLength(); }
  void SetSelLength(int v);
  String SelText() const { return buf_.SelText(); }
  void SetSelText(const String& v);  // replaces the selection (also when read-only: a program's write)
  void SelectAll();
  void ClearSelection();
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  bool CanUndo() const { return buf_.CanUndo(); }
  void Undo();
  void ClearUndo() { buf_.ClearUndo(); }
  void Clear() { SetText(String()); }
  // The caret's position (units) and its point in client coordinates.
  int CaretPos() const { return buf_.Caret(); }
  TPoint CaretPoint();
  // The position nearest to a client point.
  int PosFromPoint(TPoint p);
  // Text area inside the border and margins (EM_SETRECTNP changes it).
  TRect FormatRect();
  int ScrollX() const { return scrollX_; }
  // Scrolls the text sideways (pixels; kept within the widest row).
  void SetScrollX(int x);

  TNotifyEvent OnChange;
  // The default context menu (made on first use); a PopupMenu replaces it.
  TPopupMenu* DefaultMenu();

  void Dispatch(TMessage& m) override;

 protected:
  virtual void Change();
  void Paint() override;
  // The ground under the text and the border: Color, or what a skinned edit supplies.
  virtual void PaintBackground(HDC dc, const TRect& client);
  void KeyDown(rtl::Word& key, TShiftState shift) override;
  void KeyPress(char16_t& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void Resize() override;
  void DoEnter() override;

  // Rows as drawn: the single line, or the memo's wrapped lines.
  struct TRow {
    int start = 0, length = 0;  // units, line break excluded
  };
  const std::vector<TRow>& Rows();
  int RowOf(int pos);
  int LineHeight();
  int TopRow() const { return topRow_; }
  void SetTopRow(int row);
  int VisibleRows();
  virtual void RowsChanged() {}  // the memo updates its scroll bar
  void TextEdited(bool changed);  // after a user edit: OnChange, caret kept in view
  TEditBuffer& Buffer() { return buf_; }
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrapFlag(bool v);
  bool WantReturns() const { return wantReturns_; }
  bool WantTabs() const { return wantTabs_; }
  void SetWants(bool returns, bool tabs) { wantReturns_ = returns, wantTabs_ = tabs; }

 private:
  void Relayout();
  void ScrollCaret();
  void UpdateCaret();
  void SyncText();
  void FixLineBreak(bool forward);
  int XOfPos(int row, int pos);
  int PosOfX(int row, int x);
  void MoveVertical(int rows, bool extend);
  void AutoScrollTick();
  String Shown(int start, int length) const;

  TEditBuffer buf_;
  char16_t passwordChar_ = 0, pendingHigh_ = 0;
  bool autoSelect_ = true, hideSelection_ = true, modified_ = false;
  TBorderStyle borderStyle_ = bsSingleBorder;
  bool wordWrap_ = false, wantReturns_ = false, wantTabs_ = false;
  int marginLeft_ = 2, marginRight_ = 0;
  bool haveRect_ = false;
  TRect formatRect_;
  int scrollX_ = 0, topRow_ = 0;
  std::vector<TRow> rows_;
  bool rowsValid_ = false;
  bool selecting_ = false;
  bool caretMade_ = false;
  int desiredX_ = -1;  // kept across Up/Down moves
  TPoint lastMouse_;
  std::uintptr_t autoScrollTimer_ = 0;
  TPopupMenu* menu_ = nullptr;
};

class TEdit : public TCustomEdit {
 public:
  explicit TEdit(TComponent* owner) : TCustomEdit(owner) {}
};

// ------------------------------------------------------------------ mask edit
// The error of a mask edit left with a required position blank.
class EDBEditError : public rtl::Exception {
 public:
  using rtl::Exception::Exception;
};

// An edit whose text follows an input mask (TEditMask): typed characters go
// into the positions the mask allows and skip its literals, a position
// refuses what its mask character does not take, Backspace and Delete blank
// positions instead of closing the text up. EditText is what is shown (the
// blank character in empty positions); Text is the value (blanks as spaces,
// literals when the mask saves them). Leaving the edit after a change with a
// required position blank raises EDBEditError and keeps the focus there.
// Without a mask it is a plain edit.
class TCustomMaskEdit : public TCustomEdit {
 public:
  explicit TCustomMaskEdit(TComponent* owner) : TCustomEdit(owner) {}

  const String& EditMask() const { return editMask_; }
  void SetEditMask(const String& v);
  bool IsMasked() const { return !mask_.Empty(); }
  const TEditMask& Mask() const { return mask_; }
  String EditText() const { return TControl::Text(); }
  String Text() const;
  void SetText(const String& v) override;
  // Raises EDBEditError, the caret on the first blank required position,
  // when the text was changed and is not complete.
  virtual void ValidateEdit();

  void ClearSelection();
  void CutToClipboard();
  void PasteFromClipboard();

  void Dispatch(TMessage& m) override;

 protected:
  void KeyDown(rtl::Word& key, TShiftState shift) override;
  void KeyPress(char16_t& key) override;
  void DoExit() override;

 private:
  // Shows edit text t with the caret at caret, as one undoable edit.
  void Apply(const String& t, int caret);
  // Types the characters from the caret on, skipping literals.
  void TypeMasked(const String& chars);
  void BlankSelection();
  String editMask_;
  TEditMask mask_;
};

// The in-place editor of a label (list and tree views): Enter commits,
// Escape cancels, losing the focus commits; `done` learns which.
class TInplaceEdit : public TCustomEdit {
 public:
  using TDone = std::function<void(bool accept)>;
  TInplaceEdit(TComponent* owner, TDone done);
  void Dispatch(TMessage& m) override;
  // Opens an editor on `host` over a label's rectangle, its text selected and focused.
  static TInplaceEdit* Open(TWinControl* host, const TRect& label, int minWidth, const String& text, TDone done);
  // Takes an editor down (hidden now, freed from the message loop), gives the
  // focus back to the host when the editor had it, and returns the text.
  static String Close(TCustomEdit* editor, TWinControl* host);

 private:
  TDone done_;
};

// A multi-line edit: Lines, word wrap, scroll bars (WS_VSCROLL/WS_HSCROLL
// with the window's scroll state), Enter and Tab typed when wanted.
class TMemo : public TCustomEdit {
 public:
  explicit TMemo(TComponent* owner);
  ~TMemo() override;
  rtl::TStrings* Lines() { return lines_.get(); }
  bool WordWrap() const { return TCustomEdit::WordWrap(); }
  void SetWordWrap(bool v);
  TScrollStyle ScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollStyle v);
  void SetWantReturns(bool v) { SetWants(v, WantTabs()); }
  void SetWantTabs(bool v) { SetWants(WantReturns(), v); }
  int TopLine() const { return TopRow(); }

  void Dispatch(TMessage& m) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void Change() override;
  void RowsChanged() override;

 private:
  std::unique_ptr<TControlStrings> lines_;
  bool syncing_ = false;
  TScrollStyle scrollBars_ = ssNone;
  TWindowScrollBars bars_{this};
};

// ------------------------------------------------------------------ list box
enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable, lbVirtual };
enum TOwnerDrawStateItem { odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault, odComboBoxEdit };
using TOwnerDrawState = TSet<TOwnerDrawStateItem>;
using TDrawItemEvent =
    std::function<void(TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State)>;
using TMeasureItemEvent = std::function<void(TWinControl* Control, int Index, int& Height)>;

// Rows of text with one object each; single or multi (extended) selection;
// standard or owner-drawn fixed or variable rows. Programmatic selection
// raises no event; a user's does (Click).
class TCustomListBox : public TCustomControl {
 public:
  explicit TCustomListBox(TComponent* owner);
  ~TCustomListBox() override;

  rtl::TStrings* Items() { return items_.get(); }
  int Count() { return items_->Count(); }
  int ItemIndex() const { return model_.ItemIndex(); }
  void SetItemIndex(int v);
  bool MultiSelect() const { return model_.MultiSelect(); }
  void SetMultiSelect(bool v);
  // With MultiSelect: true (the default), a click selects one row and Shift
  // and Ctrl extend the selection; false, a click or Space toggles one row
  // and the arrow keys move only the caret.
  bool ExtendedSelect() const { return extendedSelect_; }
  void SetExtendedSelect(bool v) { extendedSelect_ = v; }
  bool Selected(int index) const { return model_.Selected(index); }
  void SetSelected(int index, bool v);
  int SelCount() const { return model_.MultiSelect() ? model_.SelCount() : -1; }
  void ClearSelection();
  int TopIndex() const { return model_.TopIndex(); }
  void SetTopIndex(int v);
  int ItemHeight() const { return itemHeight_; }
  void SetItemHeight(int v);
  TListBoxStyle Style() const { return style_; }
  void SetStyle(TListBoxStyle v);
  bool Sorted() const { return items_->Sorted(); }
  void SetSorted(bool v) { items_->SetSorted(v); }
  bool AutoComplete() const { return autoComplete_; }
  void SetAutoComplete(bool v) { autoComplete_ = v; }
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle v);
  // 0: one column of rows. n >= 1: rows flow top to bottom, then into the
  // next column, n columns of client width / n side by side; the list
  // scrolls sideways by whole columns (the horizontal bar, WM_HSCROLL) and
  // Left and Right move by a column. Owner-draw variable rows take the item
  // height here.
  int Columns() const { return columns_; }
  void SetColumns(int v);
  // The row at a client point; with existing false, past the last row gives Count.
  int ItemAtPos(TPoint pos, bool existing);
  TRect ItemRect(int index);
  // The height of a row (owner-draw variable rows ask OnMeasureItem once).
  int RowHeight(int index);
  const TListModel& Model() const { return model_; }

  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;

  void Dispatch(TMessage& m) override;

 protected:
  void Paint() override;
  virtual void DrawItem(int index, TRect rect, TOwnerDrawState state);
  void KeyDown(rtl::Word& key, TShiftState shift) override;
  void KeyPress(char16_t& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void DoEndDrag(TObject* target, int x, int y) override;
  void Resize() override;
  void CreateWnd() override;
  TRect InnerRect();
  void ItemsChanged(TControlStrings::TChange change, int index);
  void UpdateViewport();
  void UserChanged();  // a user's selection change: Click
  TListModel model_;

 private:
  int TopOfRow(int index);
  bool MultiColumn() const { return columns_ > 0; }
  void PushScrollInfo(int bar, const TListModel::TScrollState& s);
  int columns_ = 0;
  bool showingColumns_ = false;
  TWindowScrollBars bars_{this};
  bool showingBars_ = false;
  std::unique_ptr<TControlStrings> items_;
  int itemHeight_ = 16;
  bool itemHeightSet_ = false;
  TListBoxStyle style_ = lbStandard;
  std::vector<int> heights_;  // owner-draw variable
  bool autoComplete_ = true;
  String search_;
  win::DWORD searchTime_ = 0;
  bool dragging_ = false;
  bool extendedSelect_ = true;
  TBorderStyle borderStyle_ = bsSingleBorder;
};

class TListBox : public TCustomListBox {
 public:
  explicit TListBox(TComponent* owner) : TCustomListBox(owner) {}
};

// ------------------------------------------------------------------ combo box
enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

class TCustomComboBox;

// The drop-down list: an unmanaged popup window that never takes the focus;
// the combo box keeps the keyboard and forwards what the list needs.
class TComboListBox : public TCustomListBox {
 public:
  TComboListBox(TComponent* owner, TCustomComboBox* combo);

 protected:
  void CreateParams(TCreateParams& params) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void DrawItem(int index, TRect rect, TOwnerDrawState state) override;

 private:
  TCustomComboBox* combo_;
};

// Edit style (csDropDown: an edit in the face), list style (csDropDownList)
// and the owner-draw list styles. The list drops down below (or above, when
// the work area ends) and closes on a choice, Escape, Enter, a click outside
// or focus loss.
class TCustomComboBox : public TCustomControl {
 public:
  explicit TCustomComboBox(TComponent* owner);
  ~TCustomComboBox() override;

  rtl::TStrings* Items() { return items_.get(); }
  int ItemIndex() const { return itemIndex_; }
  void SetItemIndex(int v);
  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle v);
  int DropDownCount() const { return dropDownCount_; }
  void SetDropDownCount(int v) { dropDownCount_ = std::max(1, v); }
  int ItemHeight() const { return itemHeight_; }
  void SetItemHeight(int v) { itemHeight_ = std::max(1, v); }
  bool Sorted() const { return items_->Sorted(); }
  void SetSorted(bool v) { items_->SetSorted(v); }
  int MaxLength() const;
  void SetMaxLength(int v);
  bool DroppedDown() const;
  void SetDroppedDown(bool v);
  void SetText(const String& v) override;
  TCustomEdit* EditControl() const { return edit_; }
  TCustomListBox* ListControl() const { return list_; }

  TNotifyEvent OnChange, OnDropDown, OnCloseUp, OnSelect;
  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;  // csOwnerDrawVariable: the height of a list row

  void Dispatch(TMessage& m) override;
  void Notification(TComponent* component, rtl::TOperation operation) override;

 protected:
  friend class TComboListBox;
  void Paint() override;
  void KeyDown(rtl::Word& key, TShiftState shift) override;
  void KeyPress(char16_t& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void Resize() override;
  virtual void Change();
  virtual void Select();
  TRect ButtonRect();
  // A choice from the list or a key: index, text, events (Change only when the text changed).
  void Choose(int index, bool user);
  void CloseUp(bool accept);

 private:
  void ItemsChanged(TControlStrings::TChange change, int index);
  void LayoutEdit();
  void EnsureList();

  std::unique_ptr<TControlStrings> items_;
  TComboBoxStyle style_ = csDropDown;
  int itemIndex_ = -1;
  int dropDownCount_ = 8;
  int itemHeight_ = 16;
  TCustomEdit* edit_ = nullptr;
  TComboListBox* list_ = nullptr;
  bool dropped_ = false;
  bool settingText_ = false;
  String search_;
  win::DWORD searchTime_ = 0;
};

class TComboBox : public TCustomComboBox {
 public:
  explicit TComboBox(TComponent* owner) : TCustomComboBox(owner) {}
};

// ------------------------------------------------------------------ label
// A window-less caption: alignment, layout, word wrap, accelerator
// underline, transparency, AutoSize to its text.
class TCustomLabel : public TGraphicControl {
 public:
  explicit TCustomLabel(TComponent* owner);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v);
  TTextLayout Layout() const { return layout_; }
  void SetLayout(TTextLayout v);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool v);
  bool ShowAccelChar() const { return showAccelChar_; }
  void SetShowAccelChar(bool v);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v);
  TWinControl* FocusControl() const { return focusControl_; }
  void SetFocusControl(TWinControl* c) { focusControl_ = c; }
  void SetAutoSize(bool v) override;
  void Dispatch(TMessage& m) override;
  void Notification(TComponent* component, rtl::TOperation operation) override;
  // An auto-sized label built while loading takes its size once loaded.
  void Loaded() override;

 protected:
  void Paint() override;
  // Draws (or, with DT_CALCRECT in flags, measures) the caption into rect.
  virtual void DoDrawText(TRect& rect, unsigned flags);
  void AdjustBounds();

 private:
  TAlignment alignment_ = taLeftJustify;
  TTextLayout layout_ = tlTop;
  bool wordWrap_ = false, showAccelChar_ = true, transparent_ = false;
  TWinControl* focusControl_ = nullptr;
};

class TLabel : public TCustomLabel {
 public:
  explicit TLabel(TComponent* owner) : TCustomLabel(owner) {}
};

// ------------------------------------------------------------------ buttons
// A push button: Default (Enter anywhere on the form), Cancel (Escape),
// ModalResult given to the form on a click, Space and Enter when focused.
class TButton : public TCustomControl {
 public:
  explicit TButton(TComponent* owner);
  bool Default() const { return default_; }
  void SetDefault(bool v);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool v) { cancel_ = v; }
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int v) { modalResult_ = v; }
  void Click() override;
  void Dispatch(TMessage& m) override;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyUp(rtl::Word& key, TShiftState shift) override;

 private:
  bool default_ = false, cancel_ = false, pressed_ = false, spaceDown_ = false, active_ = false;
  int modalResult_ = 0;
};

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

// The check box and the radio button: a box or circle and the caption; a
// click (or Space) toggles the check box and checks the radio button,
// unchecking its siblings.
class TButtonControl : public TCustomControl {
 public:
  explicit TButtonControl(TComponent* owner);
  bool Checked() const { return state_ == cbChecked; }
  virtual void SetChecked(bool v);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v);
  void Dispatch(TMessage& m) override;

 protected:
  void Paint() override;
  virtual bool IsRadio() const = 0;
  virtual void Toggle() = 0;
  void Click() override;
  void KeyUp(rtl::Word& key, TShiftState shift) override;
  void SetStateQuiet(TCheckBoxState s);  // no Click
  TCheckBoxState state_ = cbUnchecked;

 private:
  TAlignment alignment_ = taRightJustify;  // caption right of the box
  bool clicking_ = false;
};

class TCheckBox : public TButtonControl {
 public:
  explicit TCheckBox(TComponent* owner) : TButtonControl(owner) {}
  TCheckBoxState State() const { return state_; }
  void SetState(TCheckBoxState s);
  bool AllowGrayed() const { return allowGrayed_; }
  void SetAllowGrayed(bool v) { allowGrayed_ = v; }

 protected:
  bool IsRadio() const override { return false; }
  void Toggle() override;

 private:
  bool allowGrayed_ = false;
};

class TRadioButton : public TButtonControl {
 public:
  explicit TRadioButton(TComponent* owner) : TButtonControl(owner) {}
  void SetChecked(bool v) override;

 protected:
  bool IsRadio() const override { return true; }
  void Toggle() override { SetChecked(true); }
};

}  // namespace forms
