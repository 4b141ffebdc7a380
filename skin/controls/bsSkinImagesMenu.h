// The images menu: a drop-down picker that shows the images of an image list
// as a grid of cells, optionally mixed with full-width caption rows
// ("buttons") and title rows ("headers"), and reports the chosen cell. The
// skinned speed buttons use it as their drop-down.
//
// While open, its window holds the mouse capture and a filter on the
// application's messages: keys move through the grid (arrows, Enter, Space,
// Escape) and reach no control; a click outside, or a message that moves,
// sizes or deactivates a window, closes it without a choice. The window is
// hidden at once when it closes and freed from the message loop, so it may
// close from inside its own handlers. GUI thread only.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "platform/forms/Controls.h"
#include "platform/forms/ImgList.h"
#include "skin/controls/bsSkinCtrls.h"

namespace skin {

// One item. The first two fields are the image item a button shows.
struct TbsImagesMenuItem {
  TbsImagesMenuItem(String ACaption = {}, int AImageIndex = -1)
      : FCaption(std::move(ACaption)), FImageIndex(AImageIndex) {}
  String FCaption;
  int FImageIndex = -1;
  TNotifyEvent FOnClick;   // Sender: the images menu
  bool FButton = false;    // a full-width row with image and caption
  bool FHeader = false;    // a full-width title row; never hovered or chosen
  String FHint;
  TRect ItemRect{};        // set by the layout (window coordinates)
  // Copies image, caption, button and hint (not the header flag or OnClick).
  void Assign(const TbsImagesMenuItem& Source);
};

// What the images menu asks of a hint component for its cell hints; the
// skinned hint implements it.
class TbsImagesMenuHint {
 public:
  virtual ~TbsImagesMenuHint() = default;
  virtual void ActivateHint2(const String& Hint) = 0;
  virtual void HideHint() = 0;
};

class TbsSkinImagesMenu;

class TbsSkinImagesMenuPopupWindow : public forms::TCustomControl {
 public:
  explicit TbsSkinImagesMenuPopupWindow(TbsSkinImagesMenu* AOwner);
  ~TbsSkinImagesMenuPopupWindow() override;

  void Show(TRect PopupRect);
  void Hide(bool AProcessEvents);

  int MouseInItem = -1, OldMouseInItem = -1;
  bool FDown = false, FItemDown = false, FSkinSupport = false;
  TPoint NewLTPoint{}, NewRTPoint{}, NewLBPoint{}, NewRBPoint{};
  TRect NewItemsRect{};
  TBitmap* WindowPicture = nullptr;
  TBitmap* MaskPicture = nullptr;

  // Keys while open (the application filter passes them here).
  void ImagesMenuKeyDown(int Key);
  int CellAtPos(TPoint P) const;

 protected:
  void CreateParams(forms::TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;
  void Paint() override;
  void MouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) override;
  void MouseMove(forms::TShiftState Shift, int X, int Y) override;
  void MouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) override;

 private:
  void LayoutCells();
  void SizeImagesWindow();
  void PlaceImagesWindow(TRect R, int& X, int& Y);
  void TrackCellHover(TPoint P);
  void DrawCells(gdi::TCanvas* C);
  void DrawCellFrame(gdi::TCanvas* C, TRect R, bool Pressed);
  void DrawCellText(gdi::TCanvas* C, const String& Text, TRect R, bool Pressed, bool Hot);
  void DrawHeaderCell(gdi::TCanvas* C, TRect R, const String& Caption);
  bool AppMessage(win::MSG& Msg);
  void Select(int Index);
  void SelectCellLeft();
  void SelectCellRight();
  void SelectCellUp();
  void SelectCellDown();
  TbsImagesMenuHint* Hint() const;
  void HideCellHint();

  TbsSkinImagesMenu* ImagesMenu;
  int RowWidth = 0;
  bool FHooked = false, FClosing = false;
};

class TbsSkinImagesMenu : public rtl::TComponent {
 public:
  explicit TbsSkinImagesMenu(TComponent* AOwner);
  ~TbsSkinImagesMenu() override;
  void Notification(TComponent* AComponent, rtl::TOperation Operation) override;

  std::vector<TbsImagesMenuItem> Items;
  forms::TCustomImageList* FImages = nullptr;
  void SetImages(forms::TCustomImageList* Value);
  int ItemIndex() const { return FItemIndex; }
  void SetItemIndex(int Value) { FItemIndex = Value; }
  // The item at ItemIndex, nullptr when out of range.
  TbsImagesMenuItem* GetSelectedItem();
  int ColumnsCount() const { return FColumnsCount; }
  void SetColumnsCount(int Value);  // 1..50; other values are ignored
  TbsSkinData* SkinData = nullptr;
  void SetSkinData(TbsSkinData* Value);
  // A component that is a TbsImagesMenuHint shows the cell hints.
  TComponent* SkinHint = nullptr;
  void SetSkinHint(TComponent* Value);
  bool ShowSelectedItem = true, ShowHints = true, UseSkinFont = true;
  bool AlphaBlend = false, AlphaBlendAnimation = false;
  std::uint8_t AlphaBlendValue = 200;
  gdi::TFont* DefaultFont() const { return FDefaultFont.get(); }
  void SetDefaultFont(gdi::TFont* Value) { FDefaultFont->Assign(Value); }

  // Opens the grid below the point or the rectangle (screen); an open grid
  // closes first. Without images, or without items, nothing opens.
  void Popup(int X, int Y) { PopupFromRect({X, Y, X, Y}); }
  virtual void PopupFromRect(TRect R);
  // Closes an open grid without a choice.
  void Hide();
  void MenuClosed() { Hide(); }
  bool PopupShown() const { return FPopupWindow != nullptr; }
  TbsSkinImagesMenuPopupWindow* PopupWindow() const { return FPopupWindow; }

  TNotifyEvent OnItemClick, OnChange, OnMenuClose, OnMenuPopup;
  TNotifyEvent FOnInternalChange, FOnInternalMenuClose;

 private:
  friend class TbsSkinImagesMenuPopupWindow;
  void CloseImagesWindow(bool AProcessEvents);

  int FItemIndex = -1, FOldItemIndex = -1, FColumnsCount = 1;
  TbsSkinImagesMenuPopupWindow* FPopupWindow = nullptr;
  std::unique_ptr<gdi::TFont> FDefaultFont;
};

}  // namespace skin
