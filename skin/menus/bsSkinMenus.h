// Skinned menus: the menu engine of a form (TbsSkinMenu), one popup window
// per open level (TbsSkinPopupWindow) and one row per visible item
// (TbsSkinMenuItem), drawn from the skin's popup-window picture and menu-item
// object or, without a skin, in a plain look of their own.
//
// The popup windows are owned by the application's hidden window, never take
// the focus and never activate; the form that opened the menu keeps the
// keyboard, and its menu host (bsSkinMenuHost.h) routes the keys to the
// innermost level. The hovered row is found by polling the cursor every 50 ms;
// rows act on the release of the left button.
//
// Levels are hidden and handed to the message loop for freeing when they
// close, so a row or a window may close its own menu from inside its handlers.
// GUI thread only.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/forms/Controls.h"
#include "platform/forms/Forms.h"
#include "platform/forms/Menus.h"
#include "platform/forms/Timers.h"
#include "skin/controls/bsSkinCtrls.h"
#include "skin/controls/bsSkinMenuIntf.h"
#include "skin/data/bsSkinData.h"
#include "skin/data/bsSkinDataObjects.h"
#include "skin/data/bsSkinDataWindows.h"

namespace skin {


class TbsSkinMenu;
class TbsSkinPopupWindow;

enum class TbsMenuRowKind { Ordinary, Separator, Header };
// "-" is a separator; a disabled item whose caption starts and ends with "-"
// is a header (shown without the dashes); everything else is ordinary.
TbsMenuRowKind MenuRowKind(const forms::TMenuItem* Item);

// One row of a popup window.
class TbsSkinMenuItem : public TObject {
 public:
  TbsSkinMenuItem(TbsSkinPopupWindow* AParent, forms::TMenuItem* AMenuItem, TbsDataSkinMenuItem* AData);
  ~TbsSkinMenuItem() override = default;

  TbsSkinPopupWindow* Parent;
  TbsDataSkinMenuItem* MI;  // nullptr in the plain look
  TBitmap* ActivePicture = nullptr;
  forms::TMenuItem* MenuItem;
  TRect ObjectRect{};
  bool Active = false, Down = false, FVisible = true, WaitCommand = false;
  int CurrentFrame = 0;

  double MorphKf() const { return FMorphKf; }
  void SetMorphKf(double Value);
  bool EnableMorphing() const;
  bool EnableAnimation() const;
  virtual bool CanMorphing();
  void DoMorphing();

  TbsMenuRowKind Kind() const { return MenuRowKind(MenuItem); }
  bool Selectable() const { return MenuItem->Enabled() && Kind() != TbsMenuRowKind::Separator; }
  // Height of the row in the window's look.
  int RowHeight() const;

  void Draw(gdi::TCanvas* Cnvs);
  void DefaultDraw(gdi::TCanvas* Cnvs);
  void MouseDown(int X, int Y);
  void MouseEnter(bool Kb);
  void MouseLeave();
  // Redraws the row or starts its effect after a state change.
  void RefreshRow();

 private:
  void DrawSkinnedItem(TBitmap* B, bool Lit, bool FromFrame);
  void DrawMenuHeader(gdi::TCanvas* Cnvs, TRect R, const String& Text);
  void DrawSkinMark(gdi::TCanvas* Cnvs, const TRect& Source, const TRect& Box);
  double FMorphKf = 0;
};

class TbsSkinPopupWindow : public forms::TCustomControl {
 public:
  TbsSkinPopupWindow(TComponent* AOwner, TbsSkinMenu* AParentMenu, TbsDataSkinPopupWindow* AData);
  ~TbsSkinPopupWindow() override;

  void Show(TRect R, forms::TMenuItem* AItem, int StartIndex, bool PopupByItem, bool PopupUp);
  void Show2(TRect R, forms::TMenuItem* AItem, forms::TMenuItem* AItem2, int StartIndex, bool PopupByItem,
             bool PopupUp);
  void Hide();
  void PaintMenu(win::HDC DC);
  void PopupKeyDown(int CharCode);

  // Mouse tracking at a client point (the cursor poll) and the left button's
  // release there.
  void TrackMouse(int X, int Y);
  void ButtonUp(int X, int Y);
  void PollMouse();

  bool Skinned() const { return PW != nullptr; }
  TbsSkinMenuItem* Row(int Index) const { return ItemList[std::size_t(Index)].get(); }
  int RowCount() const { return int(ItemList.size()); }
  void RedrawRow(TbsSkinMenuItem* Row);

  // Scrolling (while Scroll).
  bool CanScrollUp() const { return VisibleStartIndex > 0; }
  bool CanScrollDown() const { return VisibleStartIndex + VisibleCount - 1 < RowCount() - 1; }
  void ScrollItemsUp(bool Wrap);
  void ScrollItemsDown(bool Wrap);
  int LastPageStartIndex() const;
  TRect TopMarkerRect() const;
  TRect BottomMarkerRect() const;

  TbsDataSkinMenuItem* DSMI = nullptr;
  int VisibleCount = 0, VisibleStartIndex = 0;
  bool Scroll = false, Scroll2 = false;
  int ScrollCode = 0;
  TPoint NewLTPoint{}, NewRTPoint{}, NewLBPoint{}, NewRBPoint{};
  TRect NewItemsRect{};
  int ShowX = 0, ShowY = 0;
  int OMX = -1, OMY = -1;
  forms::TCustomImageList* ImgL = nullptr;
  int GlyphWidth = 19;
  TBitmap* WindowPicture = nullptr;
  TBitmap* MaskPicture = nullptr;
  int OldActiveItem = -1;
  std::unique_ptr<forms::TTimer> MouseTimer, MorphTimer;
  TbsSkinMenu* ParentMenu;
  TbsSkinData* SD = nullptr;
  TbsDataSkinPopupWindow* PW = nullptr;
  std::vector<std::unique_ptr<TbsSkinMenuItem>> ItemList;
  int ActiveItem = -1;
  std::unique_ptr<TBitmap> FPaintBuffer;

 protected:
  void CreateParams(forms::TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;
  void Paint() override;
  void MouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) override;

 private:
  void ShowItems(TRect R, const std::vector<forms::TMenuItem*>& Items, bool Two, bool PopupByItem, bool PopupUp);
  void LayoutVisibleItems();
  void CalcShowPosition(TRect R, bool PopupByItem, bool PopupUp);
  void DrawWindowBackground(TBitmap* B, bool DrawItemsArea);
  void DrawItemBackground(gdi::TCanvas* C, TRect R);
  void DrawScrollMarker(gdi::TCanvas* C, bool Top);
  void StartScrolling();
  void StopScrolling();
  void ScrollTimerTick();
  void MorphTimerTick();
  void SelectNextItem();
  void SelectPrevItem();
  void SetActiveRow(int Index, bool Kb);
  bool IsLastShown(int Index) const { return Index == VisibleStartIndex + VisibleCount - 1; }
  win::HRGN FRgn = nullptr;
};

// The menu engine of one form: at most one chain of open levels.
class TbsSkinMenu : public TComponent {
 public:
  TbsSkinMenu(TComponent* AOwner, forms::TCustomForm* AForm);
  ~TbsSkinMenu() override;
  // An item that is shown going away ends the menu.
  void Notification(TComponent* AComponent, rtl::TOperation Operation) override;

  void Popup(TControl* APopupCtrl, TbsSkinData* ASkinData, int StartIndex, TRect R, forms::TMenuItem* AItem,
             bool PopupUp);
  void Popup2(TControl* APopupCtrl, TbsSkinData* ASkinData, int StartIndex, TRect R, forms::TMenuItem* AItem,
              forms::TMenuItem* AItem2, bool PopupUp);
  void Hide();
  void CloseMenuLevels(int Level);
  void MenuItemClick(TbsSkinPopupWindow* Window, TbsSkinMenuItem* Item, bool Click, bool Kb);
  int WindowIndex(const TbsSkinPopupWindow* Window) const;
  int WindowCount() const { return int(FPopupList.size()); }
  TbsSkinPopupWindow* Windows(int Index) const { return FPopupList[std::size_t(Index)]; }
  TbsSkinPopupWindow* LastWindow() const { return FPopupList.empty() ? nullptr : FPopupList.back(); }
  bool IsMenuWindow(win::HWND H) const;

  bool Visible() const { return FVisible; }
  bool First() const { return FFirst; }
  bool UseSkinFont = true;
  int DefaultMenuItemHeight = 20;
  gdi::TFont* DefaultMenuItemFont() const { return FDefaultMenuItemFont.get(); }
  void SetDefaultMenuItemFont(gdi::TFont* Value) { FDefaultMenuItemFont->Assign(Value); }
  forms::TCustomForm* Form() const { return FForm; }
  TbsSkinMenuItem* PendingItem() const { return WItem; }
  bool WaitTimerRunning() const { return WaitTimer->Enabled(); }

  TControl* PopupCtrl = nullptr;
  TControl* DCtrl = nullptr;
  TRect WorkArea{};
  TbsSkinData* SkinData = nullptr;
  TNotifyEvent OnMenuClose;       // one-shot: cleared after it fires
  std::function<void()> OnEnded;  // every time the last level closes, after OnMenuClose
  bool AlphaBlend = false;
  std::uint8_t AlphaBlendValue = 150;
  bool AlphaBlendAnimation = false;
  int MaxMenuItemsInWindow = 0;

  void StopWaiting();
  void ForgetItem(TbsSkinMenuItem* Item) {
    if (WItem == Item) StopWaiting();
  }

 private:
  void OpenLevel(TRect R, forms::TMenuItem* AItem, forms::TMenuItem* AItem2, int StartIndex, bool PopupByItem,
                 bool PopupUp);
  void SubmenuWaitTimer();

  bool FFirst = false, FVisible = false;
  forms::TCustomForm* FForm;
  std::unique_ptr<forms::TTimer> WaitTimer;
  TbsSkinMenuItem* WItem = nullptr;
  std::unique_ptr<gdi::TFont> FDefaultMenuItemFont;
  std::vector<TbsSkinPopupWindow*> FPopupList;
};

// Sends a skin-menu message to a control: to a windowed control's handle, by
// Perform to any other.
void SendMenuMessage(TControl* C, unsigned Msg);

}  // namespace skin
