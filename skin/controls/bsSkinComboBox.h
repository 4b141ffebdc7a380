// Skinned combo boxes: a self-drawn face (an item area and a button) that
// drops down a list in a popup window that never takes the activation or the
// focus. TbsSkinComboBox drops down a skinned list box of strings and has a
// fixed style (only entries of the list) and an edit style (an inner edit on
// the item area, auto-completed from the list); TbsSkinOfficeComboBox drops
// down an office list of headers and titled entries with images.
//
// The drop-down closes, without accepting, on a click outside it, on Escape,
// when the combo box or its form loses the focus and when its form moves;
// Enter or a click (release) on an entry accepts. GUI thread only.
#pragma once

#include <functional>
#include <memory>

#include "skin/controls/bsSkinEdit.h"
#include "skin/controls/bsSkinListBox.h"
#include "skin/controls/bsSkinOfficeListBox.h"

namespace skin {

enum TbsSkinCustomComboBoxStyle { bscbEditStyle = 0, bscbFixedStyle = 1 };

// The item area of a combo box face.
struct TbsCBItem {
  TRect R{};
  TOwnerDrawState State;
};

// The drop-down list of the combo box: a skinned list box in a popup window.
class TbsPopupListBox : public TbsSkinListBox {
 public:
  explicit TbsPopupListBox(TComponent* AOwner);
  // Origin in screen coordinates; shown on top without activation.
  void Show(TPoint Origin);
  void Hide();
  void StartFade(bool AlphaBlend, bool Animation, int Value);
  void Dispatch(TMessage& M) override;

  bool FOldAlphaBlend = false;
  int FOldAlphaBlendValue = 0;
  int FadeAlpha = 0;

 protected:
  void CreateParams(forms::TCreateParams& P) override;
};

// What both combo boxes share: the face layout and its skin values, hover and
// button state, the drop-down placement, the auto-scroll timer and the
// closing rules of the open drop-down.
class TbsSkinComboFace : public TbsSkinCustomControl {
 public:
  explicit TbsSkinComboFace(TComponent* AOwner);
  ~TbsSkinComboFace() override;

  bool UseSkinSize() const { return FUseSkinSize; }
  void SetUseSkinSize(bool Value);
  bool ToolButtonStyle() const { return FToolButtonStyle; }
  TColor DefaultColor() const { return FDefaultColor; }
  virtual void SetDefaultColor(TColor Value);
  int ListBoxWidth = 0;
  bool HideSelection = true;
  bool AlphaBlend = false;
  bool AlphaBlendAnimation = false;
  int AlphaBlendValue = 0;
  int DropDownCount() const { return FDropDownCount; }

  TNotifyEvent OnChange, OnClick, OnCloseUp, OnDropDown;

  // Skin values of the "combobox" description.
  TRect ActiveSkinRect{}, SItemRect{}, ActiveItemRect{}, FocusItemRect{};
  int ItemLeftOffset = 0, ItemRightOffset = 0;
  TRect ItemTextRect{};
  String FontName = u"Arial";
  TFontStyles FontStyle = 0;
  int FontHeight = 14;
  TColor FontColor = 0, FocusFontColor = 0, ActiveFontColor = 0;
  TRect ButtonRect{}, ActiveButtonRect{}, DownButtonRect{}, UnEnabledButtonRect{};
  String ListBoxName;
  bool ItemStretchEffect = false, FocusItemStretchEffect = false;
  bool ShowFocus = false;

  TbsCBItem CBItem;
  TbsCBButtonX Button;

  bool IsDropDown() const { return FDropDown; }
  bool MouseInControl() const { return FMouseIn; }
  bool LBDown() const { return FLBDown; }
  int TimerModeValue() const { return TimerMode; }

  virtual bool IsPopupVisible() const = 0;
  bool CanCancelDropDown() const;
  virtual void CloseUp(bool Value) = 0;
  virtual void DropDown() = 0;
  // Draws the face showing AText at (X, Y) of C, without touching Text.
  void PaintSkinTo(gdi::TCanvas* C, int X, int Y, const String& AText);

  void GetSkinData() override;
  void AdjustSkinSize(int& W, int& H) override;
  void UpdateSkinRegion() override;
  void ApplyDefaultFont() override;
  void Dispatch(TMessage& M) override;

 protected:
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap* B) override;
  void SetToolButtonStyleValue(bool Value) { FToolButtonStyle = Value; }

  virtual void UpdateFaceRects();
  // The popup window (nullptr while there is none) and the window whose
  // client the pointer's rows are measured in.
  virtual forms::TWinControl* PopupWindow() const = 0;
  virtual forms::TWinControl* PopupRowsWindow() const = 0;
  virtual bool PopupHasVScrollBar() const = 0;
  virtual void AutoScrollStep(int Mode) = 0;
  virtual int ShownIndex() const = 0;
  virtual int ItemCount() const = 0;
  virtual bool HasEdit() const { return false; }
  // Draws the item of the face into C (the face bitmap's canvas) (text is
  // AText when Given).
  virtual void DrawFaceItem(gdi::TCanvas* C, bool Skinned, const String* AText) = 0;
  virtual void DrawToolContent(gdi::TCanvas* C, TRect T, const String* AText) = 0;

  // Places the popup below (or above) the face; RightAligned: its right edge
  // meets the combo box's.
  TPoint PopupOrigin(int PopupWidth, int PopupHeight, bool RightAligned);
  void StartAutoScroll(int Mode);
  void StopAutoScroll();
  // While the popup is open: watches the form (moves, deactivation) and
  // clicks outside the popup and the face.
  void WatchForm(bool On);
  // While the list is open and no press is in progress the list's rows
  // window holds the pointer, so a press anywhere (also outside the
  // program's windows) reaches it: HandleGrabbedPress closes the list for a
  // press outside it and hands the press on to the window under it.
  void GrabOutsideClicks();
  void ReleaseGrab();
  bool HandleGrabbedPress(TMessage& M);
  bool IsOwnPopupWindow(win::HWND H) const;
  void FaceMouseDown(forms::TMouseButton Button, int X, int Y);
  void FaceMouseUp();
  void TrackButtonHover(int X, int Y);
  bool Skinned() const { return FIndex != -1; }
  bool FaceFocused();
  void DrawDefaultBody(gdi::TCanvas* C);
  void DrawDefaultButton(gdi::TCanvas* C);
  void DrawSkinBody(gdi::TCanvas* C, bool FromRect);
  void DrawSkinButton(gdi::TCanvas* C);
  void DrawDefaultToolFace(gdi::TCanvas* C, const String* AText);
  void DrawSkinToolFace(gdi::TCanvas* C, const String* AText);
  void SetFaceFont(gdi::TCanvas* C, bool Skinned);
  TColor FaceTextColor();
  TColor DisabledTextColor();
  void DrawSkinItemBackground(TBitmap* B, int W, int H, bool Focused);
  void DrawFace(gdi::TCanvas* C, const String* AText);

  bool FDropDown = false;
  bool FToolButtonStyle = false;
  TColor FDefaultColor = gdi::clWindow;
  bool FUseSkinSize = true;
  bool WasInLB = false;
  int TimerMode = 0;
  bool FMouseIn = false;
  int FOldItemIndex = -1;
  int FDropDownCount = 8;
  bool FLBDown = false;
  bool FPainting = false;

 private:
  forms::TCustomForm* FWatchedForm = nullptr;
  bool FWatching = false;
  std::shared_ptr<bool> FWatchAlive;
  bool FTimerOn = false;
};

// ------------------------------------------------------------------ combo box
class TbsSkinCustomComboBox : public TbsSkinComboFace {
 public:
  explicit TbsSkinCustomComboBox(TComponent* AOwner);
  ~TbsSkinCustomComboBox() override;

  rtl::TStrings* Items() const;
  void SetItems(rtl::TStrings* Value);
  int ItemIndex() const;
  void SetItemIndex(int Value);
  forms::TCustomImageList* Images() const;
  void SetImages(forms::TCustomImageList* Value);
  int ImageIndex() const;
  void SetImageIndex(int Value);
  rtl::TStrings* TabWidths() const;
  void SetTabWidths(rtl::TStrings* Value);
  bool Sorted() const;
  void SetSorted(bool Value);
  bool HorizontalExtent() const;
  void SetHorizontalExtent(bool Value);
  String ListBoxCaption() const;
  void SetListBoxCaption(const String& Value);
  bool ListBoxCaptionMode() const;
  void SetListBoxCaptionMode(bool Value);
  gdi::TFont* ListBoxDefaultFont() const;
  void SetListBoxDefaultFont(gdi::TFont* Value);
  gdi::TFont* ListBoxDefaultCaptionFont() const;
  void SetListBoxDefaultCaptionFont(gdi::TFont* Value);
  int ListBoxDefaultItemHeight() const;
  void SetListBoxDefaultItemHeight(int Value);
  forms::TAlignment ListBoxCaptionAlignment() const;
  void SetListBoxCaptionAlignment(forms::TAlignment Value);
  bool ListBoxUseSkinFont() const;
  void SetListBoxUseSkinFont(bool Value);
  bool ListBoxUseSkinItemHeight() const;
  void SetListBoxUseSkinItemHeight(bool Value);
  void SetDropDownCount(int Value) {
    if (Value > 0) FDropDownCount = Value;
  }
  bool AutoComplete = true;
  TbsSkinCustomComboBoxStyle Style() const { return FStyle; }
  void SetStyle(TbsSkinCustomComboBoxStyle Value);
  forms::TEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(forms::TEditCharCase Value);
  int SelStart() const;
  void SetSelStart(int Value);
  int SelLength() const;
  void SetSelLength(int Value);
  void SetToolButtonStyle(bool Value);
  void SetDefaultColor(TColor Value) override;
  const TbsDrawSkinItemEvent& OnListBoxDrawItem() const { return FOnListBoxDrawItem; }
  void SetOnListBoxDrawItem(TbsDrawSkinItemEvent Value);
  TbsDrawSkinItemEvent OnComboBoxDrawItem;

  TbsPopupListBox* ListBox() const { return FListBox; }
  TbsCustomEdit* Edit() const { return FEdit; }

  bool IsPopupVisible() const override;
  void CloseUp(bool Value) override;
  void DropDown() override;
  virtual void Change() {}
  virtual void EditWndProc(TMessage& Message);
  virtual void CreateEditControl();

  void GetSkinData() override;
  void ChangeSkinData() override;
  void Invalidate() override;
  void Notification(TComponent* AComponent, rtl::TOperation Operation) override;
  void Dispatch(TMessage& M) override;

 protected:
  void KeyDown(rtl::Word& Key, forms::TShiftState Shift) override;
  void KeyPress(char16_t& Key) override;
  void MouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) override;
  void MouseMove(forms::TShiftState Shift, int X, int Y) override;
  void MouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) override;

  void UpdateFaceRects() override;
  forms::TWinControl* PopupWindow() const override;
  forms::TWinControl* PopupRowsWindow() const override;
  bool PopupHasVScrollBar() const override;
  void AutoScrollStep(int Mode) override;
  int ShownIndex() const override;
  int ItemCount() const override;
  bool HasEdit() const override { return FEdit != nullptr; }
  void DrawFaceItem(gdi::TCanvas* C, bool Skinned, const String* AText) override;
  void DrawToolContent(gdi::TCanvas* C, TRect T, const String* AText) override;

 private:
  void ListBoxWindowProcHook(TMessage& M);
  void ListBoxHover(int X, int Y);
  void FindAndSelect(const String& S, bool FromStart);
  void StepUp(bool Flag);
  void StepDown(bool Flag);
  void EditChange();
  void EditAutoComplete();
  void DrawItemContent(gdi::TCanvas* C, int Index, TRect T, const String* AText);

  TbsPopupListBox* FListBox = nullptr;
  TbsCustomEdit* FEdit = nullptr;
  TbsSkinCustomComboBoxStyle FStyle = bscbFixedStyle;
  forms::TEditCharCase FCharCase = forms::TEditCharCase::Normal;
  TbsDrawSkinItemEvent FOnListBoxDrawItem;
  forms::TWndMethod FListBoxWindowProc;
  forms::TWndMethod FEditWindowProc;
  bool FromEdit = false;
  win::DWORD FLastTime = 0;
  String FFilter;
};

class TbsSkinComboBox : public TbsSkinCustomComboBox {
 public:
  explicit TbsSkinComboBox(TComponent* AOwner) : TbsSkinCustomComboBox(AOwner) {}
};

// ------------------------------------------------------------------ office combo box
class TbsSkinCustomOfficeComboBox : public TbsSkinComboFace {
 public:
  explicit TbsSkinCustomOfficeComboBox(TComponent* AOwner);
  ~TbsSkinCustomOfficeComboBox() override;

  TbsSkinOfficeItems* Items() const;
  void SetItems(const TbsSkinOfficeItems* Value);
  int ItemIndex() const;
  void SetItemIndex(int Value);
  forms::TCustomImageList* Images() const;
  void SetImages(forms::TCustomImageList* Value);
  void SetDropDownCount(int Value) {
    if (Value >= 0) FDropDownCount = Value;
  }
  int ListBoxHeight = 0;
  bool ListBoxShowItemTitles() const;
  void SetListBoxShowItemTitles(bool Value);
  bool ListBoxShowLines() const;
  void SetListBoxShowLines(bool Value);
  int ListBoxItemHeight() const;
  void SetListBoxItemHeight(int Value);
  int ListBoxHeaderHeight() const;
  void SetListBoxHeaderHeight(int Value);
  const String& ListBoxSkinDataName() const { return FListBoxSkinDataName; }
  void SetListBoxSkinDataName(const String& Value);
  gdi::TFont* ListBoxDefaultFont() const;
  void SetListBoxDefaultFont(gdi::TFont* Value);
  bool ListBoxUseSkinFont() const;
  void SetListBoxUseSkinFont(bool Value);
  bool ShowItemTitle() const { return FShowItemTitle; }
  void SetShowItemTitle(bool Value);
  bool ShowItemImage() const { return FShowItemImage; }
  void SetShowItemImage(bool Value);
  bool ShowItemText() const { return FShowItemText; }
  void SetShowItemText(bool Value);
  void SetToolButtonStyle(bool Value);
  TbsDrawSkinOfficeItemEvent OnDrawItem;

  TbsPopupOfficeListBox* ListBox() const { return FListBox; }

  bool IsPopupVisible() const override;
  void CloseUp(bool Value) override;
  void DropDown() override;
  virtual void Change();

  void ChangeSkinData() override;
  void Notification(TComponent* AComponent, rtl::TOperation Operation) override;
  void Dispatch(TMessage& M) override;

 protected:
  void KeyDown(rtl::Word& Key, forms::TShiftState Shift) override;
  void MouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) override;
  void MouseMove(forms::TShiftState Shift, int X, int Y) override;
  void MouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) override;

  forms::TWinControl* PopupWindow() const override;
  forms::TWinControl* PopupRowsWindow() const override;
  bool PopupHasVScrollBar() const override;
  void AutoScrollStep(int Mode) override;
  int ShownIndex() const override;
  int ItemCount() const override;
  void DrawFaceItem(gdi::TCanvas* C, bool Skinned, const String* AText) override;
  void DrawToolContent(gdi::TCanvas* C, TRect T, const String* AText) override;

 private:
  void ListBoxWindowProcHook(TMessage& M);
  void DrawOfficeContent(gdi::TCanvas* C, int Index, TRect T, const String* AText, bool WithTitle);

  TbsPopupOfficeListBox* FListBox = nullptr;
  forms::TWndMethod FListBoxWindowProc;
  bool FShowItemTitle = true, FShowItemImage = true, FShowItemText = true;
  String FListBoxSkinDataName;
};

class TbsSkinOfficeComboBox : public TbsSkinCustomOfficeComboBox {
 public:
  explicit TbsSkinOfficeComboBox(TComponent* AOwner) : TbsSkinCustomOfficeComboBox(AOwner) {}
};

}  // namespace skin
