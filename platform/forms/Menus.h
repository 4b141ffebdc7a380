// Menus as a model: items, shortcuts, checks and radio groups, and the
// commands that run them. Drawing and tracking menus on the screen is the skin
// library's; TPopupMenu::Popup only tells it where (through OnPopup and the
// replaceable PopupHandler).
//
// Items are components owned by their menu's owner (like the items a form
// builder makes) or by nobody; an item frees the sub-items it holds. GUI thread.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/forms/Controls.h"

namespace gdi {
class TBitmap;
}

namespace forms {

class TMenu;
class TCustomImageList;
class TBasicAction;
class TMenuActionLink;

// Whether a menu hides its redundant separators before a level is shown.
enum TMenuAutoFlag { maAutomatic, maManual, maParent };

// A key with modifiers: the virtual key in the low byte.
using TShortCut = rtl::Word;
constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000, scNone = 0;
TShortCut ShortCut(rtl::Word key, TShiftState shift);
void ShortCutToKey(TShortCut sc, rtl::Word& key, TShiftState& shift);
String ShortCutToText(TShortCut sc);
TShortCut TextToShortCut(const String& text);  // 0 when the text names no shortcut

class TMenuItem : public TComponent {
 public:
  explicit TMenuItem(TComponent* owner);
  ~TMenuItem() override;

  const String& Caption() const { return caption_; }
  void SetCaption(const String& v);
  bool IsLine() const { return caption_ == u"-"; }
  bool Checked() const { return checked_; }
  void SetChecked(bool v);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  bool RadioItem() const { return radioItem_; }
  void SetRadioItem(bool v);
  bool AutoCheck() const { return autoCheck_; }
  void SetAutoCheck(bool v) { autoCheck_ = v; }
  bool Default() const { return default_; }
  void SetDefault(bool v);
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int v);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int v);
  TShortCut ShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut v);
  const String& Hint() const { return hint_; }
  void SetHint(const String& v) { hint_ = v; }
  int HelpContext() const { return helpContext_; }
  void SetHelpContext(int v) { helpContext_ = v; }
  // A number unique among the program's items, for WM_COMMAND-style dispatch.
  win::UINT Command() const { return command_; }

  // ---- Sub-items
  int Count() const { return int(items_.size()); }
  TMenuItem* Items(int index) const;
  TMenuItem* operator[](int index) const { return Items(index); }
  void Add(TMenuItem* item);
  void Insert(int index, TMenuItem* item);
  void Delete(int index);  // removes and frees
  void Remove(TMenuItem* item);  // removes without freeing
  void Clear();
  int IndexOf(const TMenuItem* item) const;
  TMenuItem* Parent() const { return parent_; }
  int MenuIndex() const;
  void SetMenuIndex(int v);
  TMenu* GetParentMenu() const;
  TMenuItem* Find(const String& caption) const;  // by caption without '&', case-insensitively

  // A picture shown before the caption; made empty on first use.
  gdi::TBitmap* Bitmap();
  void SetBitmap(gdi::TBitmap* v);
  bool HasBitmap() const;

  // The action whose caption, checked, enabled and visible states, hint and
  // image the item shows; a click runs it. Cleared when the action goes.
  TBasicAction* Action() const;
  void SetAction(TBasicAction* v);

  // Hides the separators among the sub-items that separate nothing (at the
  // start, at the end, after another separator) and shows the others again;
  // true when a separator changed.
  bool RethinkLines();

  // Runs the item: AutoCheck toggles, then the action or OnClick.
  virtual void Click();
  void InitiateAction() {}

  TNotifyEvent OnClick;
  // Draws the item in place of the menu's own text and marks (skinned menus).
  std::function<void(TObject* Sender, gdi::TCanvas* ACanvas, TRect ARect, bool Selected)> OnDrawItem;

 protected:
  friend class TMenu;
  friend class TMenuActionLink;
  void MenuChanged(bool rebuild);
  // The action's properties changed.
  void ActionChange();

 private:
  void TurnSiblingsOff();

  std::unique_ptr<gdi::TBitmap> bitmap_;
  std::unique_ptr<TMenuActionLink> actionLink_;

  String caption_, hint_;
  bool checked_ = false, enabled_ = true, visible_ = true, radioItem_ = false, autoCheck_ = false,
       default_ = false;
  int groupIndex_ = 0, imageIndex_ = -1, helpContext_ = 0;
  TShortCut shortCut_ = 0;
  win::UINT command_ = 0;
  TMenuItem* parent_ = nullptr;
  TMenu* menu_ = nullptr;  // set on a menu's root item
  std::vector<TMenuItem*> items_;
};

class TMenu : public TComponent {
 public:
  explicit TMenu(TComponent* owner);
  ~TMenu() override;

  TMenuItem* Items() const { return items_; }
  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* v);
  // maAutomatic: a level hides its redundant separators before it is shown.
  TMenuAutoFlag AutoLineReduction() const { return autoLineReduction_; }
  void SetAutoLineReduction(TMenuAutoFlag v) { autoLineReduction_ = v == maParent ? maAutomatic : v; }
  // Runs the enabled, visible item (searched through enabled sub-menus) with
  // this shortcut; false when there is none.
  bool IsShortCut(rtl::Word key, TShiftState shift);
  TMenuItem* FindItem(win::UINT command) const;
  bool DispatchCommand(win::UINT command);
  // An enabled, visible top item whose caption has `key` as accelerator.
  TMenuItem* FindAccelItem(char16_t key) const;

  // Told when items change (the skin's menu bar rebuilds from it).
  std::function<void(TMenu* Sender, TMenuItem* Source, bool Rebuild)> OnChange;
  void Notification(TComponent* component, rtl::TOperation operation) override;

 protected:
  friend class TMenuItem;
  void Changed(TMenuItem* source, bool rebuild);

 private:
  TMenuItem* items_;
  TCustomImageList* images_ = nullptr;
  TMenuAutoFlag autoLineReduction_ = maAutomatic;
};

class TMainMenu : public TMenu {
 public:
  explicit TMainMenu(TComponent* owner) : TMenu(owner) {}
  bool AutoMerge() const { return autoMerge_; }
  void SetAutoMerge(bool v) { autoMerge_ = v; }

 private:
  bool autoMerge_ = false;
};

enum TPopupAlignment { paLeft, paRight, paCenter };

class TPopupMenu : public TMenu {
 public:
  explicit TPopupMenu(TComponent* owner) : TMenu(owner) {}
  // Fires OnPopup, then hands the menu to PopupHandler (the skin library's
  // menu window) at a screen point.
  virtual void Popup(int x, int y);
  TPoint PopupPoint() const { return popupPoint_; }
  bool AutoPopup() const { return autoPopup_; }
  void SetAutoPopup(bool v) { autoPopup_ = v; }
  TComponent* PopupComponent() const { return popupComponent_; }
  void SetPopupComponent(TComponent* c) { popupComponent_ = c; }
  TPopupAlignment Alignment() const { return alignment_; }
  void SetAlignment(TPopupAlignment v) { alignment_ = v; }

  TNotifyEvent OnPopup;
  // Shows the items on the screen; empty: nothing is shown.
  static std::function<void(TPopupMenu* menu, int x, int y)> PopupHandler;

 private:
  TPoint popupPoint_{-1, -1};
  bool autoPopup_ = true;
  TComponent* popupComponent_ = nullptr;
  TPopupAlignment alignment_ = paLeft;
};

}  // namespace forms
