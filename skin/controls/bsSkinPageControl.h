// TbsSkinPageControl and its pages: a page control whose tabs, page frame
// and background come from the skin's "tab" description, or a plain look in
// system colours without one.
//
// The control keeps a tab strip of its own in the manner of the system's tab
// control (tabs sized by their text and the room reserved on each, or by a
// fixed item size, one scrolling row or several rows, on any side), and
// answers the tab control's geometry requests (TCM_GETITEMRECT,
// TCM_ADJUSTRECT, TCM_SETITEMSIZE) through its own message handling, where
// the skinned look bends them: display rectangle by the skin's frame widths,
// tabs moved onto the frame, centred or offset tabs. On top of that: the tab
// under the mouse, close buttons on tabs, hidden tabs and border, paging by
// the wheel and a skinned scroller in place of the strip's own arrows.
//
// Painting (bsSkinPageControlPaint.cpp) composes every tab off-screen from
// the skin: tabs at the bottom are flipped, tabs at the sides rotated.
// GUI thread only.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/forms/ExtCtrls.h"
#include "platform/forms/ImgList.h"
#include "skin/controls/bsSkinCtrls.h"
#include "skin/controls/bsSkinUpDown.h"

namespace skin {

// The tab control's geometry requests (their numbers as the system has them).
inline constexpr unsigned TCM_GETITEMRECT = 0x130A, TCM_SETCURSEL = 0x130C, TCM_ADJUSTRECT = 0x1328,
                          TCM_SETITEMSIZE = 0x1329;
inline constexpr int SKIN_PAINT_TO_DC_ANSWER = int(MSG_SKIN_PAINT_TO_DC_ANSWER);

enum TTabPosition { tpTop, tpBottom, tpLeft, tpRight };
enum TTabStyle { tsTabs, tsButtons, tsFlatButtons };

class TbsSkinPageControl;

using TbsCloseEvent = std::function<void(TObject* Sender, bool& CanClose)>;
using TbsDrawSkinTabEvent =
    std::function<void(int TabIndex, const TRect& Rct, bool Active, bool MouseIn, gdi::TCanvas* Cnvs)>;

class TbsSkinCustomTabSheet : public forms::TTabSheet {
 public:
  explicit TbsSkinCustomTabSheet(TComponent* AOwner);
  ~TbsSkinCustomTabSheet() override;

  gdi::TBitmap* WallPaper() { return FWallPaper.get(); }
  void SetWallPaper(gdi::TBitmap* Value);
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  TbsSkinPageControl* SkinPageControl() const;

  // The close button on this page's tab, relative to the tab's top-left.
  TRect ButtonRect{};
  bool ButtonMouseIn = false;
  bool ButtonMouseDown = false;

  void PaintBG(gdi::HDC DC);
  void CheckChildrenBackground();
  void Dispatch(TMessage& M) override;

 protected:
  void Paint() override;
  void Resize() override;

 private:
  std::unique_ptr<gdi::TBitmap> FWallPaper;
  int FImageIndex = -1;
};

class TbsSkinTabSheet : public TbsSkinCustomTabSheet {
 public:
  explicit TbsSkinTabSheet(TComponent* AOwner) : TbsSkinCustomTabSheet(AOwner) {}
};

class TbsSkinPageControl : public forms::TPageControl, public TbsSkinChangeable {
 public:
  explicit TbsSkinPageControl(TComponent* AOwner);
  ~TbsSkinPageControl() override;

  // ---- skin
  TbsSkinData* SkinData() const override { return FSD; }
  void SetSkinData(TbsSkinData* Value);
  const String& SkinDataName() const { return FSkinDataName; }
  void SetSkinDataName(const String& Value) { FSkinDataName = Value; }
  int SkinIndex() const { return FIndex; }
  void GetSkinData();
  void ChangeSkinData() override;
  gdi::TFont* DefaultFont() { return FDefaultFont.get(); }
  void SetDefaultFont(gdi::TFont* Value) { FDefaultFont->Assign(Value); }
  bool UseSkinFont() const { return FUseSkinFont; }
  void SetUseSkinFont(bool Value) { FUseSkinFont = Value; }
  int DefaultItemHeight() const { return FDefaultItemHeight; }
  void SetDefaultItemHeight(int Value);

  // ---- the tab strip
  TTabPosition TabPosition() const { return FTabPosition; }
  void SetTabPosition(TTabPosition Value);
  int TabHeight() const { return FTabHeight; }
  void SetTabHeight(int Value);
  int TabWidth() const { return FTabWidth; }
  void SetTabWidth(int Value);
  bool MultiLine() const { return FMultiLine; }
  void SetMultiLine(bool Value);
  TTabStyle Style() const { return FStyle; }
  void SetStyle(TTabStyle Value);
  // The selected tab among the visible ones, -1 without one.
  int TabIndex() const;

  bool MouseWheelSupport = false;
  bool TabExtededDraw() const { return FTabExtendedDraw; }
  void SetTabExtededDraw(bool Value);
  int TabMargin() const { return FTabMargin; }
  void SetTabMargin(int Value);
  int TabSpacing() const { return FTabSpacing; }
  void SetTabSpacing(int Value);
  TbsButtonLayout TabLayout() const { return FTabLayout; }
  void SetTabLayout(TbsButtonLayout Value);
  bool TextInHorizontal() const { return FTextInHorizontal; }
  void SetTextInHorizontal(bool Value);
  bool TabsBGTransparent() const { return FTabsBGTransparent; }
  void SetTabsBGTransparent(bool Value);
  bool TabsInCenter() const { return FTabsInCenter; }
  void SetTabsInCenter(bool Value);
  int TabsOffset() const { return FTabsOffset; }
  void SetTabsOffset(int Value);
  forms::TCustomImageList* Images() const { return FImages; }
  void SetImages(forms::TCustomImageList* Value);
  bool ShowCloseButtons() const { return FShowCloseButtons; }
  void SetShowCloseButtons(bool Value);
  bool FreeOnClose = false;
  TbsCloseEvent OnClose;
  TNotifyEvent OnAfterClose;
  TbsDrawSkinTabEvent OnDrawSkinTab;

  // ---- tabs and border hidden
  bool TabsHidden() const { return FHideTabs; }
  bool BorderHidden() const { return FHideBorder; }
  void HideTabs();
  void ShowTabs();
  void HideBorderAndTabs();
  void ShowBorderAndTabs();
  void UpDateTabs();

  // ---- geometry
  void GetItemRect(int Index, TRect& R);
  void SetItemSize(int AWidth, int AHeight);
  int CalcTabsOffset();
  int HiddenTabCount();
  int ScrolledTabCount();
  // The room reserved on every tab for images and close buttons.
  int ReservedRoom() const;
  int CloseSize() const { return FCloseSize; }

  // ---- hot tab and scroller
  int ActiveTab() const { return FActiveTab; }
  int ActiveTabIndex() const { return FActiveTabIndex; }
  void UpdateHotTab(int X, int Y);
  TbsSkinUpDown* Scroller() const { return FSkinUpDown; }
  void UpdateScroller();
  void UpdateScrollerPosition();
  void CloseActivePage();

  void Loaded() override;
  void Notification(TComponent* AComponent, rtl::TOperation Operation) override;
  void Dispatch(TMessage& M) override;

  // ---- painting (bsSkinPageControlPaint.cpp)
  void PaintClient(gdi::HDC DC);
  void PaintClientBackground(gdi::HDC DC);
  void DrawTabs(gdi::TCanvas* C);
  void DrawTab(int TI, const TRect& Rct, gdi::TCanvas* C, bool Active, bool MouseIn);
  TRect ActiveTabOverlapRect();
  // The page frame F around the display rectangle (skinned look).
  TRect FrameRect();
  // Fills W x H of DC from its top-left with P by the skin's fill rule.
  void FillByRule(gdi::HDC DC, int W, int H, gdi::TBitmap* P, bool Stretch);
  // The skin's client piece, or nullptr without a picture.
  std::unique_ptr<gdi::TBitmap> ClientPiece();

 protected:
  friend class TbsSkinCustomTabSheet;
  void Paint() override;
  void Resize() override;
  void Change() override;
  void MouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) override;
  void MouseMove(forms::TShiftState Shift, int X, int Y) override;
  void MouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) override;
  void KeyDown(rtl::Word& Key, forms::TShiftState Shift) override;
  void AdjustClientRect(TRect& R) override;

 private:
  // The strip as the tab control lays it out, before any skin adjustment.
  struct NativeLayout {
    std::vector<TRect> Items;  // per visible tab
    int Rows = 1;
    TRect Display{};
  };
  NativeLayout Layout();
  int NativeTabLength(forms::TTabSheet* P);
  int NativeThickness();
  void AdjustDisplayRect(TRect& R);
  void AdjustItemRect(TRect& R);
  void AddRoom(int Delta);
  int GetCloseSize();
  void CreateScroller();
  void RemoveScroller();
  void ScrollerChange(TObject* Sender);
  void MakeTabVisible();
  void PaintDefaultBorder(gdi::TCanvas* C);
  void PaintSkinBorder(gdi::TCanvas* C);
  void DrawCloseButton(gdi::TCanvas* C, TRect A, int FaceH, int FaceW, int TI);
  bool HasSkinEntry() const { return FIndex != -1; }
  TbsSkinCustomTabSheet* SkinPage(int PageIndex) const;
  void ForgetHotTab();
  bool CloseButtonHit(int X, int Y, bool ShiftedByOffset);

  // The strip.
  TTabPosition FTabPosition = tpTop;
  TTabStyle FStyle = tsTabs;
  int FTabHeight = 0, FTabWidth = 0;
  bool FMultiLine = false;
  int FItemWidth = 0, FItemHeight = 0;  // TCM_SETITEMSIZE
  int FFirstTab = 0;                    // tabs scrolled out on the left

  bool FTabExtendedDraw = false;
  int FTabMargin = -1, FTabSpacing = 1;
  TbsButtonLayout FTabLayout = blGlyphLeft;
  bool FTextInHorizontal = false;
  bool FHideTabs = false, FHideBorder = false;
  TTabPosition FOLdTabPosition = tpTop;
  bool FOldMultiLine = false;
  int FOldTabHeight = -1;
  int FCloseSize = 14;
  bool FShowCloseButtons = false;
  bool FTabsBGTransparent = false;
  int FActiveTab = -1, FActiveTabIndex = -1, FOldActiveTab = -1, FOldActiveTabIndex = -1;
  forms::TCustomImageList* FImages = nullptr;
  std::unique_ptr<forms::TCustomImageList> FTempImages;
  bool FTabsInCenter = false;
  int FTabsOffset = 0;
  TbsSkinData* FSD = nullptr;
  String FSkinDataName = u"tab";
  int FIndex = -1;
  TbsSkinUpDown* FSkinUpDown = nullptr;
  std::unique_ptr<gdi::TFont> FDefaultFont;
  bool FUseSkinFont = true;
  int FDefaultItemHeight = 20;

 public:
  // Copied from the skin entry by GetSkinData.
  TRect CloseButtonRect{}, ClosebuttonActiveRect{}, CloseButtonDownRect{};
  bool ButtonTransparent = false;
  TColor ButtonTransparentColor = 0;
  gdi::TBitmap* Picture = nullptr;
  TRect SkinRect{}, ClRect{}, TabRect{}, ActiveTabRect{}, FocusTabRect{}, MouseInTabRect{}, TabsBGRect{};
  TPoint LTPoint{}, RTPoint{}, LBPoint{}, RBPoint{};
  int TabLeftOffset = 0, TabRightOffset = 0;
  String FontName;
  TFontStyles FontStyle = 0;
  int FontHeight = 14;
  TColor FontColor = 0, ActiveFontColor = 0, FocusFontColor = 0, MouseInFontColor = 0;
  String UpDown;
  int BGPictureIndex = -1;
  bool TabStretchEffect = false, ShowFocus = false;
  int FocusOffsetX = 0, FocusOffsetY = 0;
  bool StretchEffect = false, LeftStretch = false, TopStretch = false, RightStretch = false, BottomStretch = false;
  TbsStretchType StretchType = bsstFull;
};

}  // namespace skin
