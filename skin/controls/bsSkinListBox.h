// The skinned list box: a skinned frame (optionally with a caption bar that
// carries a caption, a glyph and up, down and check buttons) around an inner,
// self-drawn list box (TbsListBox) that keeps the strings and the selection,
// with skin scroll bars in place of the native ones.
//
// The outer control owns the skin state, caption bar, scroll bars, layout and
// events; the inner list paints its rows from the outer control's skin state
// and reports its input through the outer control's virtual ListBox*
// operations before handling it itself, so descendants (the combo box's
// drop-down, the dialogs' file lists) can take it over. GUI thread only.
#pragma once

#include <functional>
#include <memory>

#include "platform/forms/StdCtrls.h"
#include "skin/controls/bsSkinScrollBar.h"
#include "skin/controls/bsSkinUpDown.h"

namespace skin {

using forms::TOwnerDrawState;

// Owner drawing of one list row (or the combo box face's item) into an
// off-screen item image; TxtRect is where the text goes.
using TbsDrawSkinItemEvent = std::function<void(gdi::TCanvas* Cnvs, int Index, int ItemWidth, int ItemHeight,
                                                TRect TxtRect, TOwnerDrawState State)>;
using TbsListBoxKeyEvent = std::function<void(TObject* Sender, rtl::Word& Key, forms::TShiftState Shift)>;
using TbsListBoxKeyPressEvent = std::function<void(TObject* Sender, char16_t& Key)>;

// A tab-width line as a number: all decimal digits, else 0 (clamped).
int TabWidthToInt(const String& S);
// The tab stops of a list of widths: the first 10 lines.
std::vector<int> TabStopsOf(rtl::TStrings* TabWidths);

class TbsSkinCustomListBox;

// ------------------------------------------------------------------ inner list
class TbsListBox : public forms::TListBox {
 public:
  explicit TbsListBox(TComponent* AOwner);

  // Horizontal text offset in pixels, set from the owner's extent bar.
  int HorizontalExtentValue = 0;
  TbsSkinCustomListBox* SkinListBox = nullptr;

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void WndProc(TMessage& M) override;
  void Dispatch(TMessage& M) override;

  TOwnerDrawState GetItemState(int Index);
  // Background of the whole client area (plain window colour or the skin's
  // client tile).
  void PaintBackground(gdi::TCanvas* C);
  void PaintSkinBackground(gdi::TCanvas* C, int W, int Y, int X, int H);
  // One row at R in State (off-screen, then copied).
  void DrawListItem(gdi::TCanvas* C, int Index, TRect R, TOwnerDrawState State);
  // The click step, as the framework raises it on a user's selection change.
  void Click() override;

 protected:
  void CreateParams(forms::TCreateParams& P) override;
  void CreateWnd() override;
  void Paint() override;
  void KeyDown(rtl::Word& Key, forms::TShiftState Shift) override;
  void KeyUp(rtl::Word& Key, forms::TShiftState Shift) override;
  void KeyPress(char16_t& Key) override;
  void MouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) override;
  void MouseMove(forms::TShiftState Shift, int X, int Y) override;
  void MouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) override;

 private:
  void DrawDefaultItem(gdi::TCanvas* C, int Index, TRect R, TOwnerDrawState State);
  void DrawSkinItem(gdi::TCanvas* C, int Index, TRect R, TOwnerDrawState State);
  void DrawStretchedSkinItem(gdi::TCanvas* C, int Index, TRect R, TOwnerDrawState State);
  void DrawContent(gdi::TCanvas* C, int Index, TRect T);
  void SetItemFont(gdi::TCanvas* C, bool Skinned);
};

// ------------------------------------------------------------------ outer list box
class TbsSkinCustomListBox : public TbsSkinCustomControl {
 public:
  explicit TbsSkinCustomListBox(TComponent* AOwner);
  ~TbsSkinCustomListBox() override;

  // The strings and selection of the inner list.
  rtl::TStrings* Items() const;
  void SetItems(rtl::TStrings* Value);
  virtual int GetItemIndex() const;
  virtual void SetItemIndex(int Value);
  int ItemIndex() const { return GetItemIndex(); }
  bool MultiSelect() const;
  void SetMultiSelect(bool Value);
  bool Sorted() const;
  void SetSorted(bool Value);
  bool AutoComplete() const;
  void SetAutoComplete(bool Value);
  bool ExtandedSelect() const { return ListBox->ExtendedSelect(); }
  void SetExtandedSelect(bool Value) { ListBox->SetExtendedSelect(Value); }
  int Columns() const { return FColumns; }
  void SetColumns(int Value);
  int TopIndex() const;
  void SetTopIndex(int Value);
  int SelCount() const;
  gdi::TCanvas* ListBoxCanvas() const;
  gdi::TFont* ListBoxFont() const;
  void SetListBoxFont(gdi::TFont* Value);
  // The inner list's tab order, tab stop and context menu.
  int ListBoxTabOrder() const { return ListBox->TabOrder(); }
  void SetListBoxTabOrder(int Value) { ListBox->SetTabOrder(Value); }
  bool ListBoxTabStop() const { return ListBox->TabStop(); }
  void SetListBoxTabStop(bool Value) { ListBox->SetTabStop(Value); }
  forms::TPopupMenu* ListBoxPopupMenu() const { return ListBox->PopupMenu(); }
  void SetListBoxPopupMenu(forms::TPopupMenu* Value) { ListBox->SetPopupMenu(Value); }
  // Dragging from and onto the inner list: its drag settings and its own
  // drag events (their Sender and Source are inner lists; SkinListBox leads
  // back to the skinned list box).
  forms::TDragMode ListBoxDragMode() const { return ListBox->DragMode(); }
  void SetListBoxDragMode(forms::TDragMode Value) { ListBox->SetDragMode(Value); }
  forms::TDragKind ListBoxDragKind() const { return ListBox->DragKind(); }
  void SetListBoxDragKind(forms::TDragKind Value) { ListBox->SetDragKind(Value); }
  forms::TCursor ListBoxDragCursor() const { return ListBox->DragCursor(); }
  void SetListBoxDragCursor(forms::TCursor Value) { ListBox->SetDragCursor(Value); }
  forms::TDragDropEvent& OnListBoxDragDrop() { return ListBox->OnDragDrop; }
  forms::TDragOverEvent& OnListBoxDragOver() { return ListBox->OnDragOver; }
  forms::TStartDragEvent& OnListBoxStartDrag() { return ListBox->OnStartDrag; }
  forms::TEndDragEvent& OnListBoxEndDrag() { return ListBox->OnEndDrag; }
  bool GetSelected(int Index) const;
  int ItemAtPos(TPoint Pos, bool Existing) const;
  TRect ItemRect(int Index) const;
  void Clear();
  int CalcHeight(int AItemsCount) const;
  void UpDateScrollBar();

  rtl::TStrings* TabWidths() const { return FTabWidths.get(); }
  void SetTabWidths(rtl::TStrings* Value);
  bool UseSkinItemHeight() const { return FUseSkinItemHeight; }
  void SetUseSkinItemHeight(bool Value) { FUseSkinItemHeight = Value; }
  bool HorizontalExtent() const { return FHorizontalExtent; }
  void SetHorizontalExtent(bool Value);
  int RowCount() const { return FRowCount; }
  void SetRowCount(int Value);
  forms::TCustomImageList* Images() const { return FImages; }
  void SetImages(forms::TCustomImageList* Value);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  TBitmap* Glyph() const { return FGlyph.get(); }
  void SetGlyph(TBitmap* Value);
  int NumGlyphs() const { return FNumGlyphs; }
  void SetNumGlyphs(int Value);
  int Spacing() const { return FSpacing; }
  void SetSpacing(int Value);
  bool CaptionMode() const { return FCaptionMode; }
  void SetCaptionMode(bool Value);
  int DefaultCaptionHeight() const { return FDefaultCaptionHeight; }
  void SetDefaultCaptionHeight(int Value);
  gdi::TFont* DefaultCaptionFont() const { return FDefaultCaptionFont.get(); }
  void SetDefaultCaptionFont(gdi::TFont* Value);
  forms::TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(forms::TAlignment Value);
  int DefaultItemHeight() const { return FDefaultItemHeight; }
  void SetDefaultItemHeight(int Value);
  bool ShowCaptionButtons() const { return FShowCaptionButtons; }
  void SetShowCaptionButtons(bool Value);

  TNotifyEvent OnUpButtonClick, OnDownButtonClick, OnCheckButtonClick;
  TbsDrawSkinItemEvent OnDrawItem;
  TNotifyEvent OnListBoxClick, OnListBoxDblClick;
  forms::TMouseEvent OnListBoxMouseDown, OnListBoxMouseUp;
  forms::TMouseMoveEvent OnListBoxMouseMove;
  TbsListBoxKeyEvent OnListBoxKeyDown, OnListBoxKeyUp;
  TbsListBoxKeyPressEvent OnListBoxKeyPress;

  // The inner list, the scroll bars (nullptr while not needed).
  TbsListBox* ListBox = nullptr;
  TbsSkinScrollBar* ScrollBar = nullptr;
  TbsSkinScrollBar* HScrollBar = nullptr;
  TbsCBButtonX Buttons[3];
  TRect ListRect{};

  void GetSkinData() override;
  void ChangeSkinData() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void Dispatch(TMessage& M) override;
  void Notification(TComponent* AComponent, rtl::TOperation Operation) override;
  void ApplyDefaultFont() override;

  // Input of the inner list, raised before its own handling.
  virtual int GetItemWidth(int Index, gdi::TCanvas* Canvas);
  virtual void ListBoxMouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y);
  virtual void ListBoxMouseMove(forms::TShiftState Shift, int X, int Y);
  virtual void ListBoxMouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y);
  virtual void ListBoxClick();
  virtual void ListBoxDblClick();
  virtual void ListBoxKeyDown(rtl::Word& Key, forms::TShiftState Shift);
  virtual void ListBoxKeyUp(rtl::Word& Key, forms::TShiftState Shift);
  virtual void ListBoxKeyPress(char16_t& Key);
  virtual void ListBoxEnter() {}
  virtual void ListBoxExit() {}
  // Continue false drops the message.
  virtual void ListBoxWProc(TMessage& Message, bool& Continue) { Continue = true; }
  virtual void ListBoxCreateWnd() {}

  // Skin values of the "listbox" description (read by the inner list).
  String FontName = u"Arial";
  TFontStyles FontStyle = 0;
  int FontHeight = 14;
  TRect SItemRect{}, ActiveItemRect{}, FocusItemRect{};
  int ItemLeftOffset = 0, ItemRightOffset = 0;
  TRect ItemTextRect{};
  TColor FontColor = 0, ActiveFontColor = 0, FocusFontColor = 0;
  TRect CaptionRect{};
  String CaptionFontName = u"Arial";
  TFontStyles CaptionFontStyle = 0;
  int CaptionFontHeight = 14;
  TColor CaptionFontColor = 0;
  TRect UpButtonRect{}, ActiveUpButtonRect{}, DownUpButtonRect{};
  TRect DownButtonRect{}, ActiveDownButtonRect{}, DownDownButtonRect{};
  TRect CheckButtonRect{}, ActiveCheckButtonRect{}, DownCheckButtonRect{};
  String VScrollBarName, HScrollBarName, BothScrollBarName;
  bool ShowFocus = false;
  TRect ButtonsArea{}, DisabledButtonsRect{};

  TBitmap* SkinPicture() const { return Picture; }
  TRect SkinRectValue() const { return SkinRect; }
  TRect SkinClRect() const { return ClRect; }
  bool SkinStretchEffect() const { return StretchEffect; }
  int ActiveButton() const { return FActiveButton; }
  int TimerModeValue() const { return TimerMode; }

 protected:
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap* B) override;
  void MouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) override;
  void MouseMove(forms::TShiftState Shift, int X, int Y) override;
  void MouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) override;

  void CalcRects();
  void ShowScrollBar();
  void HideScrollBar();
  void ShowHScrollBar();
  void HideHScrollBar();
  void SBChange();
  void HSBChange();

 private:
  void TestActive(int X, int Y);
  void ButtonDown(int I);
  void ButtonUp(int I);
  void ButtonEnter(int I);
  void ButtonLeave(int I);
  void StartTimer(unsigned Interval);
  void StopTimer();
  void DrawButton(gdi::TCanvas* C, int I);
  void DrawCaption(gdi::TCanvas* C, TRect R, bool Skinned);
  void PlaceDefaultButtons();
  void PlaceSkinButtons();
  void StepUp();
  void StepDown();

  bool FShowCaptionButtons = true;
  std::unique_ptr<rtl::TStringList> FTabWidths;
  bool FUseSkinItemHeight = true;
  bool FHorizontalExtent = false;
  bool FStopUpDateHScrollBar = false;
  int FRowCount = 0;
  int FColumns = 0;
  std::unique_ptr<TBitmap> FGlyph;
  int FNumGlyphs = 1;
  int FSpacing = 2;
  forms::TCustomImageList* FImages = nullptr;
  int FImageIndex = -1;
  int FDefaultItemHeight = 20;
  int FDefaultCaptionHeight = 20;
  std::unique_ptr<gdi::TFont> FDefaultCaptionFont;
  TRect NewCaptionRect{};
  bool FCaptionMode = false;
  forms::TAlignment FAlignment = forms::taLeftJustify;
  int FOldActiveButton = -1, FActiveButton = -1, FCaptureButton = -1;
  int TimerMode = 0;
  bool WaitMode = false;
  bool FTimerOn = false;
};

class TbsSkinListBox : public TbsSkinCustomListBox {
 public:
  explicit TbsSkinListBox(TComponent* AOwner) : TbsSkinCustomListBox(AOwner) {}
};

}  // namespace skin
