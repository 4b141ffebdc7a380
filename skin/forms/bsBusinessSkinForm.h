// The skinned form frame. One TbsBusinessSkinForm sits on a form and takes
// its window procedure over: the caption, borders, caption buttons and client
// background are drawn from the skin (or in a plain default look without
// one), the window region follows the skin's mask, and the frame keeps its
// own maximized, minimized and rolled-up states by moving and sizing the form.
//
// Frame coordinates have their origin at the top-left corner of the form's
// window (not of its client area). The form's previous window procedure is
// called for everything the frame does not fully handle and is given back
// when the frame is destroyed.
//
// Skin menus (the system menu, caption-button menus, the menu bar) are opened
// through TbsFrameMenuSupport, which the menu library installs; without it no
// menu opens and the frame works otherwise unchanged.
// GUI thread only.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/forms/Forms.h"
#include "platform/forms/Menus.h"
#include "platform/forms/Timers.h"
#include "platform/rtl/Exceptions.h"
#include "platform/gdi/Bitmap.h"
#include "skin/controls/bsSkinCtrls.h"
#include "skin/data/bsSkinData.h"
#include "skin/forms/bsSkinFrameObjects.h"

namespace skin {

class TbsLayerManager;
class TbsSkinStatusBar;
class TbsSkinMDITabsBar;
class TbsFormLayerBorder;
class TbsClientInActivePanel;

using rtl::Exception;
RTL_DECLARE_EXCEPTION(EInvalidCast, Exception)

// Library messages with fixed numbers.
constexpr unsigned MSG_MDI_CHILD_REFIT = WM_USER + 206;
constexpr unsigned MSG_MDI_CHILD_MAXIMIZED = WM_USER + 207;
constexpr unsigned MSG_MDI_CHILD_RESTORED = WM_USER + 208;
constexpr unsigned MSG_SHOWN_FROM_TRAY = WM_USER + 402;
constexpr unsigned MSG_QUERY_SKIN_FRAME = 45490;
constexpr unsigned MSG_SMART_EFFECTS_BEGIN = 45491;
constexpr unsigned MSG_SMART_EFFECTS_END = 45492;
constexpr int ShownFromTrayTag = -10000;
// Hit code of every part of the frame that is neither caption, client nor a
// sizing border (caption buttons, the menu bar, borders that do not size).
constexpr int HTOBJECT = 19;

enum TbsBorderIcon { biSystemMenu, biMinimize, biMaximize, biRollUp, biMinimizeToTray };
using TbsBorderIcons = rtl::TSet<TbsBorderIcon>;
enum TbsPositionInMonitor { bspDefault, bspScreenCenter, bspDesktopCenter };
enum TbsClientInActiveEffect { bsieSemiTransparent, bsieBlur };

using TbsCaptionPaintEvent = std::function<void(TCanvas* Cnvs, TRect R, bool AActive)>;
using TbsPaintEvent = std::function<void(const String& IDName, TCanvas* Canvas, TRect ObjectRect)>;
using TbsMouseEnterEvent = std::function<void(const String& IDName)>;
using TbsMouseLeaveEvent = TbsMouseEnterEvent;
using TbsMouseDownEvent =
    std::function<void(const String& IDName, int X, int Y, TRect ObjectRect, forms::TMouseButton Button)>;
using TbsMouseUpEvent = TbsMouseDownEvent;
using TbsMouseMoveEvent = std::function<void(const String& IDName, int X, int Y, TRect ObjectRect)>;
using TbsActivateCustomObjectEvent = std::function<void(const String& IDName, bool& ObjectVisible)>;
using TbsOnAcceptToMDITabsBar = std::function<void(bool& Accept)>;

// What the frame needs of the skin menus; the menu library installs one.
class TbsFrameMenuSupport {
 public:
  virtual ~TbsFrameMenuSupport() = default;
  // The system menu's items, rebuilt for the frame's state.
  virtual forms::TMenuItem* GetSystemMenuItems(TbsBusinessSkinForm* F) = 0;
  // Opens AItem's sub-items at R (screen) through the frame's menu engine.
  // SD: the skin to show them in; nullptr: the frame's menu skin.
  virtual void PopupMenuItem(TbsBusinessSkinForm* F, forms::TMenuItem* AItem, TRect R, bool APopupUp,
                             TbsSkinData* SD = nullptr) = 0;
  // The skin data a menu carries itself (a skinned main menu's), or nullptr.
  virtual TbsSkinData* MenuSkinDataOf(forms::TMenu* Menu) { return nullptr; }
  // Opens the system menu at a screen point.
  virtual void PopupSystemMenuAt(TbsBusinessSkinForm* F, TPoint P) = 0;
  // Closes an open skin menu of the frame.
  virtual void CloseMenus(TbsBusinessSkinForm* F) = 0;
  // Looks at every message first (menus close on some of them).
  virtual void CloseMenusOnMessage(TbsBusinessSkinForm* F, const forms::TMessage& M) {}
  // SC_KEYMENU: Key 0 (Alt or F10 alone) enters or leaves the menu bar's
  // keyboard mode; another key is an accelerator of the bar.
  virtual void KeyMenu(TbsBusinessSkinForm* F, int Key) {}
  // The form's shortcut handling after the frame's OnShortCut and Alt+Space:
  // the menu bar's accelerators and the main menu's shortcuts.
  virtual void FormShortCut(TbsBusinessSkinForm* F, win::MSG& Msg, bool& Handled) {}
  // The menu bar rebuilds its items (MDI children changed).
  virtual void UpdateMenuBarItems(TbsBusinessSkinForm* F) {}
  // A child of this MDI frame form was maximized / left the maximized state.
  virtual void MDIChildMaximized(TbsBusinessSkinForm* F) {}
  virtual void MDIChildRestored(TbsBusinessSkinForm* F) {}
  virtual void FrameDestroyed(TbsBusinessSkinForm* F) {}
  // Through the linked tray icon; false when the frame has none.
  virtual bool MinimizeToTray(TbsBusinessSkinForm* F) { return false; }
  virtual bool RestoreFromTray(TbsBusinessSkinForm* F) { return false; }
};
void SetFrameMenuSupport(TbsFrameMenuSupport* Support);
TbsFrameMenuSupport* FrameMenuSupport();

// What the frame needs of the skinned hints; the hint library installs one.
class TbsFrameHintSupport {
 public:
  virtual ~TbsFrameHintSupport() = default;
  // Shows AHint at the cursor through the hint component SkinHint.
  virtual void ActivateHint2(rtl::TComponent* SkinHint, const String& AHint) = 0;
  virtual void HideHint(rtl::TComponent* SkinHint) = 0;
};
void SetFrameHintSupport(TbsFrameHintSupport* Support);
TbsFrameHintSupport* FrameHintSupport();

class TbsBusinessSkinForm : public rtl::TComponent {
 public:
  explicit TbsBusinessSkinForm(TComponent* AOwner);
  ~TbsBusinessSkinForm() override;
  void Notification(TComponent* AComponent, rtl::TOperation Operation) override;

  // ---- properties
  TbsSkinData* SkinData() const { return FSD; }
  void SetSkinData(TbsSkinData* Value);
  TbsSkinData* MenusSkinData() const { return FMSD; }
  void SetMenusSkinData(TbsSkinData* Value);
  TbsBorderIcons BorderIcons() const { return FBorderIcons; }
  void SetBorderIcons(TbsBorderIcons Value);
  bool AlphaBlend() const { return FAlphaBlend; }
  void SetAlphaBlend(bool Value);
  int AlphaBlendValue() const { return FAlphaBlendValue; }
  void SetAlphaBlendValue(int Value);
  bool MenusAlphaBlend() const { return FMenusAlphaBlend; }
  bool MenusAlphaBlendAnimation() const { return FMenusAlphaBlendAnimation; }
  int MenusAlphaBlendValue() const { return FMenusAlphaBlendValue; }
  void SetMenusAlphaBlend(bool Value) { FMenusAlphaBlend = Value; }
  void SetMenusAlphaBlendAnimation(bool Value) { FMenusAlphaBlendAnimation = Value; }
  void SetMenusAlphaBlendValue(int Value) { FMenusAlphaBlendValue = Value; }
  int MaxMenuItemsInWindow() const { return FMaxMenuItemsInWindow; }
  void SetMaxMenuItemsInWindow(int Value) {
    if (Value >= 0) FMaxMenuItemsInWindow = Value;
  }
  int DefMenuItemHeight() const { return FDefMenuItemHeight; }
  void SetDefMenuItemHeight(int Value) {
    if (Value > 0) FDefMenuItemHeight = Value;
  }
  gdi::TFont* DefMenuItemFont() { return FDefMenuItemFont.get(); }
  void SetDefMenuItemFont(gdi::TFont* Value) { FDefMenuItemFont->Assign(Value); }
  gdi::TFont* DefCaptionFont() { return FDefCaptionFont.get(); }
  void SetDefCaptionFont(gdi::TFont* Value);
  gdi::TFont* DefInActiveCaptionFont() { return FDefInActiveCaptionFont.get(); }
  void SetDefInActiveCaptionFont(gdi::TFont* Value);
  bool ShowIcon() const { return FShowIcon; }
  void SetShowIcon(bool Value);
  bool UseRibbon() const { return FUseRibbon; }
  void SetUseRibbon(bool Value);
  bool SkinnableForm() const { return FSkinnableForm; }
  void SetSkinnableForm(bool Value);
  TbsQuickButtonItems& QuickButtons() { return *FQuickButtons; }
  bool RollUpState() const { return FRollUpState; }
  void SetRollUpState(bool Value);
  forms::TWindowState WindowState() const { return FWindowState; }
  void SetWindowState(forms::TWindowState Value);
  int RealHeight() const { return FRollUpState ? OldHeight : FFormHeight; }
  void SetRealHeight(int Value) { OldHeight = Value; }
  bool MinimizeDefault = false;
  gdi::TBitmap* LogoBitMap() { return FLogoBitMap.get(); }
  void SetFormBorderStyle(forms::TFormBorderStyle BS);
  void SetFormStyle(forms::TFormStyle FS);

  bool UseDefaultSysMenu = true;
  bool DisableSystemMenu = false, AlwaysResize = false, UseFormCursorInNCArea = false;
  bool HideCaptionButtons = false, AlwaysShowInTray = false, LogoBitMapTransparent = false;
  bool AlwaysMinimizeToTray = false, MaximizeOnFullScreen = false, AlphaBlendAnimation = false;
  bool ShowObjectHint = false, UseDefaultObjectHint = true, QuickButtonsShowHint = false;
  bool ClientInActiveEffect = false;
  TbsClientInActiveEffect ClientInActiveEffectType = bsieSemiTransparent;
  TbsPositionInMonitor PositionInMonitor = bspDefault;
  int ClientWidth = 0, ClientHeight = 0;
  int MinHeight = 0, MinWidth = 0, MaxHeight = 0, MaxWidth = 0;
  bool Magnetic = false;
  int MagneticSize = 5;
  bool UseSkinFontInMenu = true;
  forms::TCustomImageList* QuickImageList = nullptr;
  TbsSkinStatusBar* StatusBar = nullptr;
  forms::TPopupMenu* SystemMenu = nullptr;
  forms::TMainMenu* FMainMenu = nullptr;
  rtl::TComponent* SkinHint = nullptr;        // the skinned hint component, when one is placed
  rtl::TComponent* TrayIcon = nullptr;        // the tray icon component, when one is placed
  forms::TControl* MainMenuBar = nullptr;     // the skinned menu bar, when one is placed
  TbsSkinMDITabsBar* MDITabsBar = nullptr;
  bool AlwaysDisableLayeredFrames = false;
  bool PreviewMode = false;
  // Object hints through the frame's SkinHint (nothing without one or
  // without the hint library's support).
  void ActivateObjectHint(const String& AHint);
  void HideObjectHint();

  // ---- events
  TbsCaptionPaintEvent OnCaptionPaint;
  TNotifyEvent OnChangeSkinData, OnBeforeChangeSkinData, OnAfterChangeSkinData;
  TbsMouseUpEvent OnMouseUpEvent;
  TbsMouseDownEvent OnMouseDownEvent;
  TbsMouseMoveEvent OnMouseMoveEvent;
  TbsMouseEnterEvent OnMouseEnterEvent;
  TbsMouseLeaveEvent OnMouseLeaveEvent;
  TbsPaintEvent OnPaintEvent;
  TNotifyEvent OnActivate, OnDeActivate, OnSkinMenuOpen, OnSkinMenuClose, OnChangeRollUpState;
  TNotifyEvent OnMainMenuEnter, OnMainMenuExit, OnMinimizeToTray, OnRestoreFromTray;
  TbsActivateCustomObjectEvent OnActivateCustomObject;
  TNotifyEvent OnMinimize, OnRestore, OnMaximize;
  forms::TShortCutEvent OnShortCut;
  TbsOnAcceptToMDITabsBar OnAcceptToMDITabsBar;

  // ---- size limits
  int GetMinWidth();
  int GetMinHeight();
  int GetMaxWidth();
  int GetMaxHeight();
  bool GetFormActive() const;
  static String GetProductVersion() { return u"7.81"; }
  bool IsSizeableFrame() const;
  bool IsLayeredBorderInUse() const;
  bool DeferShowForLayeredBorder() const;
  void EnableShadow(bool AShowShadow, bool AHideFormBefore);
  void ShowClientInActiveEffect();
  void HideClientInActiveEffect();
  TbsClientInActivePanel* ClientInActivePanel() const { return FClientInActivePanel; }
  bool FClientInActiveDraw = false;
  TbsFormLayerBorder* BorderLayer() const { return FBorderLayer; }

  // ---- MDI (bsSkinMDI.cpp). The window system's forms know no MDI styles:
  // the frame makes its form an MDI frame form (with a client window) or an
  // MDI child of the application's MDI frame form.
  void SetMDIStyle(forms::TFormStyle FS);
  TRect GetMDIChildArea();
  void AddChildToMenu(forms::TCustomForm* Child);
  void UpDateChildCaptionInMenu(forms::TCustomForm* Child);
  void UpDateChildActiveInMenu();
  void DeleteChildFromMenu(forms::TCustomForm* Child);
  void MDIItemClick(rtl::TObject* Sender);
  void ShowMDIChild(forms::TCustomForm* Child);
  void AddChildToBar(forms::TCustomForm* Child);
  void DeleteChildFromBar(forms::TCustomForm* Child);
  void RefreshMDIBarTab(forms::TCustomForm* Child);
  void UpdateMainFormTabsBar();
  void UpdateMainMenuBarItems();
  void RefitMDIChildren();
  void ArrangeMinimizedChildren();
  forms::TCustomForm* FindMaximizedMDIChild();
  // The text the caption shows: the form's caption, and on an MDI frame form
  // with a maximized child " - [" child's caption "]" after it.
  String CaptionText();
  void Tile();
  void Cascade();
  void MinimizeAll();
  void MaximizeAll();
  void RestoreAll();
  void CloseAll();
  void PaintMDIClientBG(gdi::HDC DC);
  bool IsMDIChild() const;
  bool IsMDIForm() const;
  void ApplyNativeBorderIcons();
  int GetDefaultCaptionHeight() const;
  int GetDefaultButtonSize() const;

  // ---- window procedure
  void SkinFormWndProc(forms::TMessage& Message);
  TPoint ScreenToFramePoint(TPoint P) const;
  int SkinHitTest(TPoint P);
  int DefaultHitTest(TPoint P);
  bool PointInCaptionObject(TPoint P);

  // ---- painting
  void CalcSkinRects();
  void CalcObjectRects();
  TRect MapSkinRectToFrame(TRect R) const;
  void UpdateSkinFrame(bool ARecalcObjects);
  void PaintNCSkin(gdi::HDC ADC, bool AUseExternalDC);
  void DrawSkinObject(TbsActiveSkinObject* AObject);
  void PaintBG(gdi::HDC DC);
  void PaintBG2(gdi::HDC DC);
  void PaintBG3(gdi::HDC DC);
  void UpdateWindowRegion(bool AResize);
  bool PointInFrameMask(TPoint P);
  void NotifyChildrenParentBackground();
  void DrawLogoBitMap(TCanvas* Canvas);
  void DrawLogoOn(gdi::HDC DC);  // the logo, when there is one
  void CalcDefRects();
  TRect GetDefCaptionRect();
  void PaintNCDefault(gdi::HDC ADC, bool AUseExternalDC);
  void PaintBGDefault(gdi::HDC DC);
  void PaintMDIBGDefault(gdi::HDC DC);
  TPoint GetSmallIconSize() const;
  void DrawFormIcon(TCanvas* Canvas, int X, int Y);

  // ---- objects and skin change
  void ApplySkinData();
  void LoadSkinObjects();
  void CreateDefaultObjects();
  void ClearObjects();
  void ApplyBorderIconsToObjects();
  void LoadObjectHints();
  void BeforeChangeSkinDataWalk(TbsSkinData* ASkinData, forms::TControl* AControl);
  void ChangeSkinDataWalk(TbsSkinData* ASkinData, forms::TControl* AControl);
  int GetIndex(const String& AIDName) const;
  void SetEnabled(const String& AIDName, bool Value);
  void UserObjectDraw(const String& AIDName);
  void LinkMenu(const String& AIDName, forms::TMenu* AMenu, bool APopupUp);
  void TrackActiveObject(int X, int Y, bool AActivate);
  void MouseTimerTick();
  void ObjectMouseMove(int X, int Y);
  void ObjectMouseDown(forms::TMouseButton Button, int X, int Y);
  void ObjectMouseUp(forms::TMouseButton Button, int X, int Y);
  void ObjectDblClick();
  void MorphTimerTick();
  void AnimateTimerTick();
  void ResetObjectStates();
  void UpdateActiveLook(bool AAnimate);
  void StartMorphTimer() { MorphTimer->SetEnabled(true); }
  void StartAnimateTimer() { AnimateTimer->SetEnabled(true); }
  void StartMouseTimer() { MouseTimer->SetEnabled(true); }
  void DoObjectPaint(const String& IDName, TCanvas* Canvas, TRect ObjectRect);
  void DoObjectMouseDown(const String& IDName, int X, int Y, TRect ObjectRect, forms::TMouseButton Button);
  void DoObjectMouseUp(const String& IDName, int X, int Y, TRect ObjectRect, forms::TMouseButton Button);
  void DoObjectMouseMove(const String& IDName, int X, int Y, TRect ObjectRect);
  void DoObjectMouseEnter(const String& IDName);
  void DoObjectMouseLeave(const String& IDName);

  // ---- window states and placement
  void ApplyPositionInMonitor();
  TPoint GetPositionInMonitor(int AX, int AY, int AW, int AH);
  void MagnetizeBounds(int& Left, int& Top, int Width, int Height);
  TPoint FindMinimizedPosition();
  void NudgeFormWidth();
  void CaptionDblClick();
  void SystemMenuRestore();
  void SystemMenuMaximize() { SetWindowState(forms::wsMaximized); }
  void SystemMenuMinimize();
  void SystemMenuRollUp() { SetRollUpState(true); }
  void SystemMenuMinimizeToTray() { MinimizeToTray(); }
  void CloseFromSystemMenu();
  // Without a tray icon host the form minimizes the ordinary way.
  void MinimizeToTray();
  void RestoreFromTray();

  // Closes the drop-downs of the form's visible, enabled skinned edits and
  // combo boxes (CM_CANCELMODE).
  void CancelModeOnMDIFormEditors();

  // ---- menus (through TbsFrameMenuSupport)
  forms::TMenuItem* GetSystemMenuItems();
  void SkinMenuOpen();
  void SkinMenuClose();
  void PopupSkinMenuItem(forms::TMenuItem* AItem, TRect R, bool APopupUp, TbsSkinData* SD = nullptr);
  void PopupSystemMenuAt(TPoint P);
  void PopupSystemMenuAtRect(TRect R);
  // Alt+Space: the system menu below the enabled system-menu button; nothing
  // without one.
  void ShowSystemMenuAtButton();
  bool FInShortCut = false;
  // Alt+key was taken as a shortcut (system menu, a menu-bar accelerator):
  // the release of Alt that follows is no menu key.
  bool AltKeyTaken = false;

  // ---- state (read by objects, menus and tests)
  forms::TCustomForm* Form() const { return FForm; }
  const std::vector<std::unique_ptr<TbsActiveSkinObject>>& ObjectList() const { return FObjectList; }
  TbsActiveSkinObject* Objects(int I) const { return FObjectList.at(std::size_t(I)).get(); }
  int ObjectCount() const { return int(FObjectList.size()); }
  TbsLayerManager* LayerManager() const { return FLayerManager; }
  TbsLayerManager* MenuLayerManager() const { return FMenuLayerManager; }
  bool SkinSupport() const { return FSkinSupport; }

  bool FSkinSupport = false;
  bool FFormActive = false;
  bool FStopPainting = false, FStartShow = true;
  bool FSizeMove = false, FSizing = false, FFullDrag = true;
  bool HMagnetized = false, VMagnetized = false, HMagnetized2 = false, VMagnetized2 = false;
  TPoint FOnMouseDownCoord{-1, -1};
  bool FMDIChildMaximized = false;
  bool FBorderLayerChangeSize = false, FSmartEffectsShow = false, FInChangeSkinData = false;
  bool MaxRollUpState = false, FRollUpBeforeMaximize = false;
  int FFormWidth = 0, FFormHeight = 0, FFormLeft = 0, FFormTop = 0, FOldFormLeft = 0, FOldFormTop = 0;
  TRect OldBoundsRect{};
  int OldHeight = 0;
  TPoint NewLTPoint{}, NewRBPoint{}, NewRTPoint{}, NewLBPoint{};
  TRect NewClRect{}, NewCaptionRect{}, NewButtonsRect{};
  int NewButtonsOffset = 0;
  bool NewButtonsInLeft = false;
  TRect NewMaskRectArea{};
  TPoint NewHitTestLTPoint{}, NewHitTestRTPoint{}, NewHitTestLBPoint{}, NewHitTestRBPoint{};
  TRect NewDefCaptionRect{};
  std::unique_ptr<TBitmap> RMTop, RMBottom, RMLeft, RMRight;
  int ActiveObject = -1, OldActiveObject = -1, MouseCaptureObject = -1;
  bool InMenu = false, InMainMenu = false;
  bool FHasRgn = false;
  forms::TTimer* MouseTimer = nullptr;
  forms::TTimer* MorphTimer = nullptr;
  forms::TTimer* AnimateTimer = nullptr;

 private:
  void FormShortCutHandler(win::MSG& Msg, bool& Handled);
  void DoNCCalcSize(forms::TMessage& M);
  void DoSizeChange(forms::TMessage& M);
  void DoLiveResize(forms::TMessage& M);
  void DoPositionChanged(forms::TMessage& M);
  void DoMoving(forms::TMessage& M);
  void DoNCActivate(forms::TMessage& M);
  void DoShowWindow(forms::TMessage& M);
  void DoFadeTimer();
  void SecondDispatch(forms::TMessage& M);
  void CallOld(forms::TMessage& M);
  void SendNCPaint();
  // Sends Msg to the application's MDI frame form (from a child).
  void NotifyMDIFrame(unsigned Msg);
  bool MDIMaxChild() const;
  bool IsMainForm() const;
  bool HasBorder() const;
  bool Designing() const { return ComponentState().Contains(rtl::csDesigning); }
  bool LoadingOrDesigning() const;
  bool Settled() const;
  win::HWND FormHandle() const;
  TRect FormBounds() const;
  void SetFormBounds(int L, int T, int W, int H);
  void Minimize();
  void Maximize();
  void Restore();
  TbsActiveSkinObject* FindStdButton(TbsStdCommand C, bool AnyKind);
  void PaintTile(gdi::HDC DC, TBitmap* Tile, bool Stretch, TbsStretchType Type);
  void SetWindowAlpha(int Alpha);

  forms::TCustomForm* FForm = nullptr;
  forms::TWndMethod OldWindowProc;
  TbsSkinData* FSD = nullptr;
  TbsSkinData* FMSD = nullptr;
  bool FSkinnableForm = true, FUseRibbon = false, FShowIcon = false;
  bool FIsVistaOs = false, FIsLayerEnabled = false, FHaveShadow = false;
  bool FAlphaBlend = false, FMenusAlphaBlend = false, FMenusAlphaBlendAnimation = false;
  int FAlphaBlendValue = 200, FMenusAlphaBlendValue = 200;
  int FMaxMenuItemsInWindow = 0, FDefMenuItemHeight = 20;
  bool FRollUpState = false;
  forms::TWindowState FWindowState = forms::wsNormal;
  TbsBorderIcons FBorderIcons{biSystemMenu, biMinimize, biMaximize, biRollUp};
  std::unique_ptr<TbsQuickButtonItems> FQuickButtons;
  std::unique_ptr<gdi::TFont> FDefCaptionFont, FDefInActiveCaptionFont, FDefMenuItemFont;
  std::unique_ptr<gdi::TBitmap> FLogoBitMap;
  win::HICON FIcon = nullptr;
  TbsLayerManager* FLayerManager = nullptr;
  TbsLayerManager* FMenuLayerManager = nullptr;
  std::vector<std::unique_ptr<TbsActiveSkinObject>> FObjectList;
  forms::TFormStyle FMDIStyle = forms::fsNormal;
  TbsFormLayerBorder* FBorderLayer = nullptr;
  TbsClientInActivePanel* FClientInActivePanel = nullptr;
};

// The wait between two fade-in steps (1 ms asleep); tests that run on the
// fake clock replace it with a clock step.
extern std::function<void()> FadeWait;

// The first frame among a form's components, or nullptr.
TbsBusinessSkinForm* FindSkinFormComponent(forms::TCustomForm* Form);

// Installs the registry that delivers the skin-change messages to the
// application's forms (Screen's forms, by SendMessage to their windows).
void InstallFormsSkinRegistry();

}  // namespace skin
