// The MDI tabs bar: a skinned strip on an MDI frame form with one tab per MDI
// child, drawn from the skin's "tab" description or in a plain look. Tabs can
// carry close buttons and be dragged to a new place; a button at the left
// lists every child, one at the right the tabs that do not fit; a right click
// opens the child's system menu. The frame's MDI bookkeeping adds and removes
// the tabs and marks the active one; a click on a tab brings its child
// forward.
// GUI thread only.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/forms/Forms.h"
#include "skin/controls/bsSkinButtons.h"
#include "skin/controls/bsSkinCtrls.h"
#include "skin/controls/bsSkinMenuIntf.h"

namespace skin {

class TbsBusinessSkinForm;
class TbsSkinMDITabsBar;

enum TbsSkinMDITabKind { bstkTab, bstkButton };

class TbsMDITab {
 public:
  TbsMDITab(TbsSkinMDITabsBar* AParentBar, forms::TCustomForm* AChild) : TabsBar(AParentBar), Child(AChild) {}
  void Draw(gdi::TCanvas* Cnvs);
  void ButtonDraw(gdi::TCanvas* Cnvs);
  void ResizeDraw(gdi::TCanvas* Cnvs);
  void DrawCloseButton(gdi::TCanvas* Cnvs, TRect R);

  TbsSkinMDITabsBar* TabsBar;
  bool Active = false, MouseIn = false, Visible = false;
  TRect ObjectRect{};
  forms::TCustomForm* Child;
  TRect ButtonRect{};
  bool ButtonMouseIn = false, ButtonMouseDown = false;

 private:
  void DrawText(gdi::TCanvas* C, TRect TextR, int W, int H, bool RaiseEvent);
};

using TbsMDITabMouseEnterEvent = std::function<void(TbsMDITab* MDITab)>;
using TbsMDITabMouseLeaveEvent = TbsMDITabMouseEnterEvent;
using TbsMDITabMouseDownEvent =
    std::function<void(forms::TMouseButton Button, forms::TShiftState Shift, TbsMDITab* MDITab)>;
using TbsMDITabMouseUpEvent = TbsMDITabMouseDownEvent;
using TbsMDITabGetDrawParamsEvent = std::function<void(TbsMDITab* MDITab, gdi::TCanvas* Cnvs)>;

class TbsSkinMDITabsBar : public TbsSkinControl {
 public:
  explicit TbsSkinMDITabsBar(TComponent* AOwner);
  ~TbsSkinMDITabsBar() override;
  void Notification(TComponent* AComponent, rtl::TOperation Operation) override;

  bool ShowCloseButtons = false;
  TbsSkinMDITabKind TabKind() const { return FTabKind; }
  void SetTabKind(TbsSkinMDITabKind Value);
  TbsBusinessSkinForm* BusinessSkinForm() const { return FBusinessSkinForm; }
  void SetBusinessSkinForm(TbsBusinessSkinForm* Value);
  bool SupportChildMenus = true, UseSkinSize = true, UseSkinFont = true, MoveTabs = true;
  int DefaultHeight() const { return FDefaultHeight; }
  void SetDefaultHeight(int Value);
  gdi::TFont* DefaultFont() { return FDefaultFont.get(); }
  void SetDefaultFont(gdi::TFont* Value) { FDefaultFont->Assign(Value); }
  int DefaultTabWidth = 100, MinTabWidth = 0;
  TbsMDITabMouseEnterEvent OnTabMouseEnter;
  TbsMDITabMouseLeaveEvent OnTabMouseLeave;
  TbsMDITabMouseUpEvent OnTabMouseUp;
  TbsMDITabMouseDownEvent OnTabMouseDown;
  TbsMDITabGetDrawParamsEvent OnTabGetDrawParamsEvent;

  void AddTab(forms::TCustomForm* Child);
  void DeleteTab(forms::TCustomForm* Child);
  int GetTabIndex(int X, int Y);
  TbsMDITab* GetTab(int X, int Y);
  int GetCloseSize();
  void UpdateActiveTab();
  // Every tab of Child drawn again at once on the bar's canvas.
  void RefreshTab(forms::TCustomForm* Child);
  void CalcTabRects();
  int CalcDropIndex();

  // State read by the tabs and by tests.
  std::vector<std::unique_ptr<TbsMDITab>> ObjectList;
  int FCloseSize = 14, FBottomOffset = 0, FActiveTabOffset = 0, FInVisibleCount = 0;
  int ActiveTabIndex = -1, OldTabIndex = -1;
  bool FDown = false, IsDrag = false;
  int DragIndex = -1, DX = 0, TabDX = 0;
  TbsSkinMenuSpeedButton* FListButton = nullptr;
  TbsSkinMenuSpeedButton* FHideListButton = nullptr;
  TbsSkinPopupMenu* FListMenu = nullptr;
  TbsSkinPopupMenu* FHideListMenu = nullptr;
  // From the skin's "tab" description.
  TBitmap* Picture = nullptr;
  TRect TabRect{}, ActiveTabRect{}, MouseInTabRect{}, TabsBGRect{}, SkinRect{}, ClRect{};
  TRect CloseButtonRect{}, ClosebuttonActiveRect{}, CloseButtonDownRect{};
  TPoint LTPoint{}, RTPoint{}, LBPoint{}, RBPoint{};
  int TabLeftOffset = 0, TabRightOffset = 0;
  String FontName;
  TFontStyles FontStyle = 0;
  int FontHeight = 14;
  TColor FontColor = 0, ActiveFontColor = 0, MouseInFontColor = 0, ButtonTransparentColor = 0;
  bool TabStretchEffect = false, ButtonTransparent = false, TopStretch = false;

  void GetSkinData() override;
  void ChangeSkinData() override;
  void Dispatch(forms::TMessage& M) override;

 protected:
  void AdjustClientRect(TRect& R) override;
  void Paint() override;
  void CreateControlDefaultImage(TBitmap* B) override;
  void CreateControlSkinImage(TBitmap* B) override;
  void MouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) override;
  void MouseMove(forms::TShiftState Shift, int X, int Y) override;
  void MouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) override;

 private:
  void DrawTabs(TBitmap* B);
  void TrackHotTab(int X, int Y);
  void RedrawTab(TbsMDITab* T);
  void CheckHideListButton();
  void FillListMenu(TbsSkinPopupMenu* Menu, bool HiddenOnly);
  void ListItemClick(rtl::TObject* Sender);
  TbsSkinMDITabKind FTabKind = bstkTab;
  TbsBusinessSkinForm* FBusinessSkinForm = nullptr;
  int FDefaultHeight = 21;
  std::unique_ptr<gdi::TFont> FDefaultFont;
  int FRightLimit = 0;
};

}  // namespace skin
