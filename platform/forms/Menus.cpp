#include "platform/forms/Menus.h"

#include <algorithm>

#include "platform/forms/Actions.h"
#include "platform/forms/ImgList.h"
#include "platform/gdi/Bitmap.h"
#include "platform/rtl/StrUtils.h"
#include "platform/rtl/Strings.h"

namespace forms {

using namespace win;

namespace {

win::UINT gNextCommand = 1;

struct KeyName {
  rtl::Word key;
  const char16_t* name;
};
const KeyName kKeyNames[] = {
    {VK_BACK, u"BkSp"}, {VK_TAB, u"Tab"}, {VK_RETURN, u"Enter"}, {VK_ESCAPE, u"Esc"}, {VK_SPACE, u"Space"},
    {VK_PRIOR, u"PgUp"}, {VK_NEXT, u"PgDn"}, {VK_END, u"End"}, {VK_HOME, u"Home"}, {VK_LEFT, u"Left"},
    {VK_UP, u"Up"}, {VK_RIGHT, u"Right"}, {VK_DOWN, u"Down"}, {VK_INSERT, u"Ins"}, {VK_DELETE, u"Del"},
};

String KeyText(rtl::Word key) {
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return String(1, char16_t(key));
  if (key >= VK_F1 && key <= VK_F12) return u"F" + rtl::Utf8ToString(std::to_string(key - VK_F1 + 1));
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD0 + 9) return u"Num " + String(1, char16_t(u'0' + key - VK_NUMPAD0));
  for (const KeyName& k : kKeyNames)
    if (k.key == key) return k.name;
  return {};
}

}  // namespace

TShortCut ShortCut(rtl::Word key, TShiftState shift) {
  if (key & 0xFF00) return 0;
  TShortCut sc = key;
  if (shift.Contains(ssShift)) sc |= scShift;
  if (shift.Contains(ssCtrl)) sc |= scCtrl;
  if (shift.Contains(ssAlt)) sc |= scAlt;
  return sc;
}

void ShortCutToKey(TShortCut sc, rtl::Word& key, TShiftState& shift) {
  key = sc & 0xFF;
  shift = {};
  if (sc & scShift) shift.Include(ssShift);
  if (sc & scCtrl) shift.Include(ssCtrl);
  if (sc & scAlt) shift.Include(ssAlt);
}

String ShortCutToText(TShortCut sc) {
  String name = KeyText(sc & 0xFF);
  if (name.empty()) return {};
  String out;
  if (sc & scShift) out += u"Shift+";
  if (sc & scCtrl) out += u"Ctrl+";
  if (sc & scAlt) out += u"Alt+";
  return out + name;
}

TShortCut TextToShortCut(const String& text) {
  TShortCut mods = 0;
  String rest = text;
  for (;;) {
    String up = rtl::AnsiUpperCase(rest);
    if (up.rfind(u"SHIFT+", 0) == 0) mods |= scShift, rest = rest.substr(6);
    else if (up.rfind(u"CTRL+", 0) == 0) mods |= scCtrl, rest = rest.substr(5);
    else if (up.rfind(u"ALT+", 0) == 0) mods |= scAlt, rest = rest.substr(4);
    else break;
  }
  for (int key = 1; key < 256; ++key) {
    String name = KeyText(rtl::Word(key));
    if (!name.empty() && rtl::AnsiUpperCase(name) == rtl::AnsiUpperCase(rest)) return TShortCut(key | mods);
  }
  return 0;
}

// The item's side of its action: told of every change of the action.
class TMenuActionLink : public TBasicActionLink {
 public:
  explicit TMenuActionLink(TMenuItem* item) : item_(item) {}

 protected:
  void Change() override { item_->ActionChange(); }

 private:
  TMenuItem* item_;
};

// ------------------------------------------------------------------ TMenuItem
TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner), command_(gNextCommand++) {}

TMenuItem::~TMenuItem() {
  actionLink_.reset();
  while (!items_.empty()) {
    TMenuItem* last = items_.back();
    items_.pop_back();
    last->parent_ = nullptr;
    last->Free();
  }
  if (parent_) parent_->Remove(this);
}

void TMenuItem::SetCaption(const String& v) {
  if (v == caption_) return;
  caption_ = v;
  MenuChanged(true);
}

void TMenuItem::SetChecked(bool v) {
  if (v == checked_) return;
  checked_ = v;
  if (v && radioItem_) TurnSiblingsOff();
  MenuChanged(false);
}

void TMenuItem::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  MenuChanged(false);
}

void TMenuItem::SetVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  MenuChanged(true);
}

void TMenuItem::SetRadioItem(bool v) {
  if (v == radioItem_) return;
  radioItem_ = v;
  if (v && checked_) TurnSiblingsOff();
  MenuChanged(false);
}

void TMenuItem::SetDefault(bool v) {
  if (v == default_) return;
  if (v && parent_)
    for (TMenuItem* s : parent_->items_) s->default_ = false;
  default_ = v;
  MenuChanged(false);
}

void TMenuItem::SetGroupIndex(int v) {
  if (v == groupIndex_) return;
  groupIndex_ = v;
  if (radioItem_ && checked_) TurnSiblingsOff();
  MenuChanged(false);
}

void TMenuItem::SetImageIndex(int v) {
  if (v == imageIndex_) return;
  imageIndex_ = v;
  MenuChanged(false);
}

void TMenuItem::SetShortCut(TShortCut v) {
  if (v == shortCut_) return;
  shortCut_ = v;
  MenuChanged(false);
}

void TMenuItem::TurnSiblingsOff() {
  if (!parent_) return;
  for (TMenuItem* s : parent_->items_)
    if (s != this && s->radioItem_ && s->groupIndex_ == groupIndex_ && s->checked_) {
      s->checked_ = false;
      s->MenuChanged(false);
    }
}

TMenuItem* TMenuItem::Items(int index) const {
  if (index < 0 || index >= Count()) throw rtl::EListError(u"Menu index out of range");
  return items_[std::size_t(index)];
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item) {
  if (!item) return;
  if (item->parent_) throw rtl::EInvalidOperation("Menu inserted twice");
  index = std::clamp(index, 0, Count());
  items_.insert(items_.begin() + index, item);
  item->parent_ = this;
  if (item->radioItem_ && item->checked_) item->TurnSiblingsOff();
  MenuChanged(true);
}

void TMenuItem::Delete(int index) {
  TMenuItem* item = Items(index);
  Remove(item);
  item->Free();
}

void TMenuItem::Remove(TMenuItem* item) {
  auto it = std::find(items_.begin(), items_.end(), item);
  if (it == items_.end()) return;
  items_.erase(it);
  item->parent_ = nullptr;
  MenuChanged(true);
}

void TMenuItem::Clear() {
  while (!items_.empty()) Delete(Count() - 1);
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
  auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : int(it - items_.begin());
}

int TMenuItem::MenuIndex() const { return parent_ ? parent_->IndexOf(this) : -1; }

void TMenuItem::SetMenuIndex(int v) {
  if (!parent_) return;
  TMenuItem* p = parent_;
  auto& l = p->items_;
  std::erase(l, this);
  v = std::clamp(v, 0, int(l.size()));
  l.insert(l.begin() + v, this);
  p->MenuChanged(true);
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* i = this;
  while (i->parent_) i = i->parent_;
  return i->menu_;
}

TMenuItem* TMenuItem::Find(const String& caption) const {
  String want = rtl::AnsiUpperCase(StripHotkey(caption));
  for (TMenuItem* i : items_)
    if (rtl::AnsiUpperCase(StripHotkey(i->caption_)) == want) return i;
  return nullptr;
}

gdi::TBitmap* TMenuItem::Bitmap() {
  if (!bitmap_) bitmap_ = std::make_unique<gdi::TBitmap>();
  return bitmap_.get();
}

void TMenuItem::SetBitmap(gdi::TBitmap* v) {
  if (v) Bitmap()->Assign(v);
  else bitmap_.reset();
  MenuChanged(false);
}

bool TMenuItem::HasBitmap() const { return bitmap_ && !bitmap_->Empty(); }

TBasicAction* TMenuItem::Action() const { return actionLink_ ? actionLink_->Action() : nullptr; }

void TMenuItem::SetAction(TBasicAction* v) {
  if (!v) {
    actionLink_.reset();
    return;
  }
  if (!actionLink_) actionLink_ = std::make_unique<TMenuActionLink>(this);
  actionLink_->SetAction(v);
  ActionChange();
}

void TMenuItem::ActionChange() {
  auto* a = dynamic_cast<TCustomAction*>(Action());
  if (!a) return;
  SetCaption(a->Caption());
  SetChecked(a->Checked());
  SetEnabled(a->Enabled());
  SetVisible(a->Visible());
  SetHint(a->Hint());
  SetImageIndex(a->ImageIndex());
}

bool TMenuItem::RethinkLines() {
  // A line shows when a visible item lies between it and the previous shown
  // line (or the start), and another one follows before the next line.
  std::vector<bool> want(items_.size(), false);
  bool itemSince = false;
  int lastLine = -1;
  for (std::size_t k = 0; k < items_.size(); ++k) {
    TMenuItem* i = items_[k];
    if (i->IsLine()) {
      want[k] = itemSince;
      if (itemSince) lastLine = int(k);
      itemSince = false;
    } else if (i->visible_) {
      itemSince = true;
      lastLine = -1;
    }
  }
  if (lastLine >= 0) want[std::size_t(lastLine)] = false;
  bool changed = false;
  for (std::size_t k = 0; k < items_.size(); ++k)
    if (items_[k]->IsLine() && items_[k]->visible_ != want[k]) {
      items_[k]->visible_ = want[k];
      changed = true;
    }
  return changed;
}

void TMenuItem::Click() {
  if (!enabled_) return;
  if (autoCheck_) SetChecked(!checked_);
  // An action runs in place of OnClick unless the item has a handler of its own.
  if (Action() && !OnClick) {
    actionLink_->Execute(this);
    return;
  }
  if (OnClick) OnClick(this);
}

void TMenuItem::MenuChanged(bool rebuild) {
  if (TMenu* m = GetParentMenu()) m->Changed(this, rebuild);
}

// ------------------------------------------------------------------ TMenu
TMenu::TMenu(TComponent* owner) : TComponent(owner), items_(new TMenuItem(nullptr)) { items_->menu_ = this; }

TMenu::~TMenu() {
  OnChange = nullptr;
  items_->menu_ = nullptr;
  delete items_;
  if (images_) images_->RemoveFreeNotification(this);
}

void TMenu::SetImages(TCustomImageList* v) {
  if (images_) images_->RemoveFreeNotification(this);
  images_ = v;
  if (v) v->FreeNotification(this);
  Changed(nullptr, false);
}

void TMenu::Notification(TComponent* component, rtl::TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == rtl::opRemove && component == images_) images_ = nullptr;
}

void TMenu::Changed(TMenuItem* source, bool rebuild) {
  if (OnChange) OnChange(this, source, rebuild);
}

namespace {

TMenuItem* FindShortCut(TMenuItem* parent, TShortCut sc) {
  for (int i = 0; i < parent->Count(); ++i) {
    TMenuItem* it = parent->Items(i);
    if (!it->Enabled() || !it->Visible()) continue;
    if (it->ShortCut() == sc && it->Count() == 0) return it;
    if (TMenuItem* sub = FindShortCut(it, sc)) return sub;
  }
  return nullptr;
}

TMenuItem* FindCommand(TMenuItem* parent, win::UINT command) {
  if (parent->Command() == command) return parent;
  for (int i = 0; i < parent->Count(); ++i)
    if (TMenuItem* f = FindCommand(parent->Items(i), command)) return f;
  return nullptr;
}

}  // namespace

bool TMenu::IsShortCut(rtl::Word key, TShiftState shift) {
  TShortCut sc = ShortCut(key, shift * TShiftState{ssShift, ssCtrl, ssAlt});
  if (!sc || (sc & 0xFF) == 0) return false;
  TMenuItem* it = FindShortCut(items_, sc);
  if (!it) return false;
  it->Click();
  return true;
}

TMenuItem* TMenu::FindItem(win::UINT command) const { return command ? FindCommand(items_, command) : nullptr; }

bool TMenu::DispatchCommand(win::UINT command) {
  TMenuItem* it = FindItem(command);
  if (!it || it == items_) return false;
  it->Click();
  return true;
}

TMenuItem* TMenu::FindAccelItem(char16_t key) const {
  for (int i = 0; i < items_->Count(); ++i) {
    TMenuItem* it = items_->Items(i);
    if (it->Enabled() && it->Visible() && IsAccel(key, it->Caption())) return it;
  }
  return nullptr;
}

// ------------------------------------------------------------------ TPopupMenu
std::function<void(TPopupMenu*, int, int)> TPopupMenu::PopupHandler;

void TPopupMenu::Popup(int x, int y) {
  popupPoint_ = {x, y};
  if (OnPopup) OnPopup(this);
  if (PopupHandler) PopupHandler(this, x, y);
}

}  // namespace forms
