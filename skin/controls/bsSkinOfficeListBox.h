// The office list box: a self-drawn list of office items, header lines that
// separate groups and entries with a bold title line, an image and a
// word-wrapped caption, scrolled pixel by pixel by a skin scroll bar. The
// highlighted item (Active) follows the mouse or the keys; only a choice
// (ItemIndex) fires the item's OnClick and the list's OnItemClick.
//
// TbsPopupOfficeListBox is the same list in a borderless popup window that
// never takes the activation or the focus: the office combo box's drop-down.
// GUI thread only.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "skin/controls/bsSkinScrollBar.h"

namespace skin {

using TbsDrawSkinOfficeItemEvent = std::function<void(gdi::TCanvas* Cnvs, int Index, const TRect& TextRct)>;

class TbsSkinOfficeListBox;
class TbsSkinOfficeItems;

class TbsSkinOfficeItem {
 public:
  explicit TbsSkinOfficeItem(TbsSkinOfficeItems* Collection);
  virtual ~TbsSkinOfficeItem() = default;

  // From another item: image, caption, title, enabled, header (not Data, not OnClick).
  virtual void Assign(const TbsSkinOfficeItem* Source);

  int Index() const;
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  const String& Title() const { return FTitle; }
  void SetTitle(const String& Value);
  const String& Caption() const { return FCaption; }
  void SetCaption(const String& Value);
  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  bool Header() const { return FHeader; }
  void SetHeader(bool Value);
  void* Data() const { return FData; }
  void SetData(void* Value) { FData = Value; }

  TNotifyEvent OnClick;

  // Set by the list's layout.
  TRect ItemRect{};
  bool IsVisible = false;
  bool Active = false;

 protected:
  void Changed();

 private:
  friend class TbsSkinOfficeItems;
  TbsSkinOfficeItems* FCollection;
  int FImageIndex = -1;
  String FTitle, FCaption;
  bool FEnabled = true;
  void* FData = nullptr;
  bool FHeader = false;
};

class TbsSkinOfficeItems {
 public:
  explicit TbsSkinOfficeItems(TbsSkinOfficeListBox* AListBox) : OfficeListBox(AListBox) {}
  virtual ~TbsSkinOfficeItems() = default;

  int Count() const { return int(FItems.size()); }
  // Index outside 0..Count-1: EListError.
  TbsSkinOfficeItem* Items(int Index) const;
  TbsSkinOfficeItem* operator[](int Index) const { return Items(Index); }
  TbsSkinOfficeItem* Add();
  TbsSkinOfficeItem* Insert(int Index);
  void Delete(int Index);
  void Clear();
  void Assign(const TbsSkinOfficeItems* Source);
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();
  int IndexOf(const TbsSkinOfficeItem* Item) const;
  // A change notice of one item (nullptr: the whole collection).
  virtual void Update(TbsSkinOfficeItem* Item);

  TbsSkinOfficeListBox* OfficeListBox;

 private:
  std::vector<std::unique_ptr<TbsSkinOfficeItem>> FItems;
  int FUpdateCount = 0;
};

class TbsSkinOfficeListBox : public TbsSkinCustomControl {
 public:
  explicit TbsSkinOfficeListBox(TComponent* AOwner);
  ~TbsSkinOfficeListBox() override;

  TbsSkinOfficeItems* Items() const { return FItems.get(); }
  void SetItems(const TbsSkinOfficeItems* Value);
  forms::TCustomImageList* Images() const { return FImages; }
  void SetImages(forms::TCustomImageList* Value);
  bool ShowItemTitles() const { return FShowItemTitles; }
  void SetShowItemTitles(bool Value);
  int ItemHeight() const { return FItemHeight; }
  void SetItemHeight(int Value);
  int HeaderHeight() const { return FHeaderHeight; }
  void SetHeaderHeight(int Value);
  bool ShowLines() const { return FShowLines; }
  void SetShowLines(bool Value);
  int ItemIndex() const { return FItemIndex; }
  void SetItemIndex(int Value);
  bool MouseMoveChangeIndex = false;
  int ScrollOffset() const { return FScrollOffset; }
  TRect ItemsRect() const { return FItemsRect; }

  TbsDrawSkinOfficeItemEvent OnDrawItem;
  TNotifyEvent OnItemClick;

  TbsSkinScrollBar* ScrollBar = nullptr;

  int CalcHeight(int AItemsCount);
  int ItemAtPos(int X, int Y);
  void Scroll(int AScrollOffset);
  void ScrollToItem(int Index);
  void UpdateScrollInfo();
  void GetScrollInfo(int& AMin, int& AMax, int& APage, int& APosition);
  void CalcItemRects();
  void SetItemActive(int Index);
  void FindUp();
  void FindDown();
  void FindPageUp();
  void FindPageDown();

  void ChangeSkinData() override;
  void Dispatch(TMessage& M) override;
  void Notification(TComponent* AComponent, rtl::TOperation Operation) override;

 protected:
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap* B) override;
  void KeyDown(rtl::Word& Key, forms::TShiftState Shift) override;
  void MouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) override;
  void MouseMove(forms::TShiftState Shift, int X, int Y) override;
  void MouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) override;

  void ShowScrollbar();
  void HideScrollBar();
  void AdjustScrollBar();
  void SBChange();
  void DrawItem(int Index, gdi::TCanvas* Cnvs);
  void DefaultDrawItem(int Index, gdi::TCanvas* Cnvs);
  void SkinDrawItem(int Index, gdi::TCanvas* Cnvs);
  void SkinDrawHeaderItem(int Index, gdi::TCanvas* Cnvs);
  void DrawItemContent(gdi::TCanvas* Cnvs, TbsSkinOfficeItem* Item, TRect R, unsigned Flags);
  bool Selectable(int Index) const;
  void FindPage(int Start, int Last, int Step);

  TColor FDisabledFontColor = 0x808080;
  bool FShowLines = false;
  bool FClicksDisabled = false;
  bool FMouseDown = false;
  int FMouseActive = -1;
  int FMax = 0, FRealMax = 0;
  TRect FItemsRect{};
  int FScrollOffset = 0;
  std::unique_ptr<TbsSkinOfficeItems> FItems;
  forms::TCustomImageList* FImages = nullptr;
  bool FShowItemTitles = true;
  int FItemHeight = 30, FHeaderHeight = 20;
  int FOldHeight = -1;
  int FItemIndex = -1;
};

class TbsSkinCustomOfficeComboBox;

class TbsPopupOfficeListBox : public TbsSkinOfficeListBox {
 public:
  explicit TbsPopupOfficeListBox(TComponent* AOwner);
  // Origin in screen coordinates; shown without activation.
  void Show(TPoint Origin);
  void Hide();
  // Applies a combo box's transparency settings (after Show); with the fade
  // on the alpha rises from 0 to Value on a 5 ms timer.
  void StartFade(bool AlphaBlend, bool Animation, int Value);
  void Dispatch(TMessage& M) override;

  bool FOldAlphaBlend = false;
  int FOldAlphaBlendValue = 0;
  int FadeAlpha = 0;

 protected:
  void CreateParams(forms::TCreateParams& P) override;
};

// Applies a combo box's transparency to a popup window (adds or removes the
// layered style, sets the start alpha) and, with the fade on, raises the
// alpha in steps of Value div 15 (at least 1). The fade is driven by a timer
// of the popup, so no message runs on a window that may be gone.
void ApplyPopupAlpha(forms::TWinControl* Popup, bool AlphaBlend, bool Animation, int Value, bool& OldAlphaBlend,
                     int& OldAlphaBlendValue);
// Runs one fade step of a popup; false when the fade is done.
bool PopupFadeStep(forms::TWinControl* Popup, int Target, int& Alpha);

}  // namespace skin
