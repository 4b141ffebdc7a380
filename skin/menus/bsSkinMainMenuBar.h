// The skinned main menu bar: the top-level items of a main menu as a row of
// skinned items at the top of a skinned form. An item's sub-menu opens as a
// skin menu through the form's frame; the bar takes part in the frame's
// keyboard menu mode (Alt or F10, arrows, Enter, Escape, accelerators), hides
// the items that do not fit behind a scroll marker and, on an MDI frame form,
// merges the active child's main menu and shows a maximized child's system
// menu, minimize, restore and close buttons.
// GUI thread only.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/forms/Menus.h"
#include "platform/forms/Timers.h"
#include "skin/controls/bsSkinCtrls.h"
#include "skin/data/bsSkinDataObjects.h"
#include "skin/forms/bsBusinessSkinForm.h"

namespace skin {

class TbsSkinMainMenuBar;

// A main menu with a link to skin data.
class TbsSkinMainMenu : public forms::TMainMenu {
 public:
  explicit TbsSkinMainMenu(TComponent* AOwner) : forms::TMainMenu(AOwner) {}
  TbsSkinData* SkinData() const { return FSD; }
  void SetSkinData(TbsSkinData* Value);
  void Notification(TComponent* AComponent, rtl::TOperation Operation) override;

 private:
  TbsSkinData* FSD = nullptr;
};

class TbsMenuBarObject {
 public:
  TbsMenuBarObject(TbsSkinMainMenuBar* AParent, TbsDataSkinObject* AData);
  virtual ~TbsMenuBarObject() = default;
  virtual void RedrawOrMorph();
  virtual void Draw(gdi::TCanvas* Cnvs) = 0;
  virtual void MouseDown(int X, int Y, forms::TMouseButton Button) {}
  virtual void MouseUp(int X, int Y, forms::TMouseButton Button) {}
  virtual void DblClick() {}
  virtual void MouseEnter();
  virtual void MouseLeave();
  virtual bool CanMorphing();
  bool EnableMorphing() const;
  void DoMorphing();
  double MorphKf() const { return FMorphKf; }
  void SetMorphKf(double V) { FMorphKf = V < 0 ? 0 : V > 1 ? 1 : V; }

  TbsSkinMainMenuBar* Parent;
  bool FMouseIn = false, FDown = false;
  TBitmap* Picture = nullptr;
  String IDName;
  TRect SkinRect{}, ActiveSkinRect{}, DownRect{}, ObjectRect{};
  bool Active = false, Enabled = true, Visible = true, Morphing = false;
  TbsMorphKind MorphKind = mkDefault;

 protected:
  double FMorphKf = 0;
};

class TbsSkinMainMenuBarButton : public TbsMenuBarObject {
 public:
  TbsSkinMainMenuBarButton(TbsSkinMainMenuBar* AParent, TbsDataSkinMainMenuBarButton* AData, TbsStdCommand ACommand,
                           const String& AName);
  void Draw(gdi::TCanvas* Cnvs) override;
  void DefaultDraw(gdi::TCanvas* Cnvs);
  void MouseDown(int X, int Y, forms::TMouseButton Button) override;
  void MouseUp(int X, int Y, forms::TMouseButton Button) override;
  void DblClick() override;
  void MouseEnter() override;
  void MouseLeave() override;
  void ExecuteCommand();
  bool FSkinSupport = false;
  TbsStdCommand Command = cmDefault;
};

class TbsSkinMainMenuBarItem : public TbsMenuBarObject {
 public:
  TbsSkinMainMenuBarItem(TbsSkinMainMenuBar* AParent, TbsDataSkinMainMenuBarItem* AData, forms::TMenuItem* AItem);
  void Draw(gdi::TCanvas* Cnvs) override;
  void DefaultDraw(gdi::TCanvas* Cnvs);
  void MouseDown(int X, int Y, forms::TMouseButton Button) override;
  void MouseEnter() override;
  void MouseLeave() override;
  void SetItemDown(bool Value);
  void PopupItemMenu();
  void RedrawOrMorph() override;
  bool EnableAnimation() const;
  // The item's rectangle after its left neighbour, and whether it fits.
  void CalcRect(gdi::TCanvas* C);

  bool FSkinSupport = false;
  bool OldEnabled = true;
  bool ItemVisible = true;  // the item fits in the bar
  forms::TMenuItem* MenuItem;
  String FontName;
  int FontHeight = 14;
  TFontStyles FontStyle = 0;
  TColor UnEnabledFontColor = 0, FontColor = 0, ActiveFontColor = 0, DownFontColor = 0;
  TRect TextRct{};
  TRect ItemDownRect{};
  int LO = 0, RO = 0;
  bool StretchEffect = false;
  TRect AnimateSkinRect{};
  int FrameCount = 0, AnimateInterval = 0, CurrentFrame = 0;
  bool InActiveAnimation = false;

 private:
  void BuildItemImage(TBitmap* B, TRect Src, bool AActive);
  void ApplyFont(gdi::TCanvas* C);
};

using TbsItemEnterEvent = std::function<void(forms::TMenuItem* MenuItem)>;

class TbsSkinMainMenuBar : public TbsSkinControl {
 public:
  explicit TbsSkinMainMenuBar(TComponent* AOwner);
  ~TbsSkinMainMenuBar() override;
  void Notification(TComponent* AComponent, rtl::TOperation Operation) override;

  bool ScrollMenu = true;
  bool UseSkinFont = true;
  bool PopupToUp = false;
  gdi::TFont* DefItemFont() { return FDefItemFont.get(); }
  void SetDefItemFont(gdi::TFont* Value);
  int DefaultHeight() const { return FDefaultHeight; }
  void SetDefaultHeight(int Value);
  int DefaultWidth() const { return FDefaultWidth; }
  void SetDefaultWidth(int Value);
  TbsBusinessSkinForm* BusinessSkinForm() const { return BSF; }
  void SetBusinessSkinForm(TbsBusinessSkinForm* Value);
  forms::TMainMenu* MainMenu() const { return FMainMenu; }
  void SetMainMenu(forms::TMainMenu* Value);
  TbsItemEnterEvent OnItemMouseEnter, OnItemMouseLeave;
  TNotifyEvent OnBarMouseEnter, OnBarMouseLeave;

  void Merge(forms::TMainMenu* Menu);
  void UnMerge();
  void UpDateItems();
  void UpDateEnabledItems();
  void CreateMenu();
  forms::TMainMenu* GetChildMainMenu();

  // Keyboard menu mode (through the frame).
  void EnterMenuMode();
  void LeaveMenuMode();
  void ReleaseDownItem();
  void SelectNextBarItem();
  void SelectPrevBarItem();
  bool ExecuteSelectedItem();
  bool HandleItemAccelerator(int Key);
  // MDI child buttons.
  void ShowMDIChildButtons();
  void UpdateMDIChildButtons();

  void GetSkinData() override;
  void BeforeChangeSkinData() override;
  void ChangeSkinData() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void Dispatch(forms::TMessage& M) override;

  // State (read by the objects and tests).
  std::vector<std::unique_ptr<TbsMenuBarObject>> ObjectList;
  int ButtonsCount = 0;
  bool FMDIChildMax = false, MenuActive = false, Scroll = false, MarkerActive = false, ChildMenuIn = false;
  bool FSkinSupport = false;
  int ActiveObject = -1, OldActiveObject = -1, MouseCaptureObject = -1;
  TRect NewItemsRect{};
  TRect SkinRect{}, ItemsRect{};
  String MenuBarItem, MaxButton, MinButton, SysMenuButton, CloseButton;
  TColor TrackMarkColor = 0, TrackMarkActiveColor = 0;
  TBitmap* Picture = nullptr;
  bool StretchEffect = false, ItemTransparent = false;
  forms::TTimer* MouseTimer;
  forms::TTimer* MorphTimer;
  forms::TTimer* AnimateTimer;

  TRect GetScrollMarkerRect() const;
  void CalcItemsRect();
  void TrackBarObject(int X, int Y);
  void DrawBarObject(TbsMenuBarObject* O);
  void PopupHiddenItems();
  void StartMorph() { MorphTimer->SetEnabled(true); }
  TbsSkinMainMenuBarItem* Item(int I) const;
  int ItemCount() const { return int(ObjectList.size()) - ButtonsCount; }
  bool SkinEffects() const;
  // The skin data the items' menus take.
  TbsSkinData* MenuSkin() const;

 protected:
  void Paint() override {}
  void MouseDown(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) override;
  void MouseMove(forms::TShiftState Shift, int X, int Y) override;
  void MouseUp(forms::TMouseButton Button, forms::TShiftState Shift, int X, int Y) override;

 private:
  void PaintBar(gdi::HDC DC);
  void DrawScrollMarker(gdi::TCanvas* C);
  void CreateMDIButtons();
  void DeleteMDIButtons();
  void ApplyChildBorderIcons(TbsBorderIcons Icons);
  void MouseTimerTick();
  void MorphTimerTick();
  void AnimateTimerTick();

  std::unique_ptr<gdi::TFont> FDefItemFont;
  TbsBusinessSkinForm* BSF = nullptr;
  forms::TMainMenu* FMainMenu = nullptr;
  forms::TMainMenu* FMergeMenu = nullptr;
  int FDefaultWidth = 0, FDefaultHeight = 22;
};

}  // namespace skin
