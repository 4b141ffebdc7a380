#include "platform/forms/Actions.h"

#include <algorithm>

#include "platform/forms/ImgList.h"

namespace forms {

// ------------------------------------------------------------------ TBasicActionLink
TBasicActionLink::~TBasicActionLink() {
  if (action_) action_->UnRegisterChanges(this);
}

void TBasicActionLink::SetAction(TBasicAction* value) {
  if (value == action_) return;
  if (action_) action_->UnRegisterChanges(this);
  action_ = value;
  if (action_) action_->RegisterChanges(this);
}

bool TBasicActionLink::Execute(TComponent* component) {
  TBasicAction* a = action_;
  if (!a) return false;
  a->SetActionComponent(component);
  const bool done = a->Execute();
  // OnExecute may have freed the action, which then unhooked this link.
  if (action_ == a) a->SetActionComponent(nullptr);
  return done;
}

bool TBasicActionLink::Update() { return action_ && action_->Update(); }

// ------------------------------------------------------------------ TBasicAction
TBasicAction::TBasicAction(TComponent* owner) : TComponent(owner) {}

TBasicAction::~TBasicAction() {
  // The clients keep their links but lose the action.
  while (!clients_.empty()) clients_.back()->SetAction(nullptr);
}

bool TBasicAction::Execute() {
  if (!OnExecute) return false;
  OnExecute(this);
  return true;
}

bool TBasicAction::Update() {
  if (!OnUpdate) return false;
  OnUpdate(this);
  return true;
}

void TBasicAction::Change() {
  // A client may drop its action while it hears of the change.
  const std::vector<TBasicActionLink*> clients = clients_;
  for (TBasicActionLink* link : clients)
    if (std::find(clients_.begin(), clients_.end(), link) != clients_.end()) link->Change();
}

void TBasicAction::RegisterChanges(TBasicActionLink* link) { clients_.push_back(link); }

void TBasicAction::UnRegisterChanges(TBasicActionLink* link) {
  clients_.erase(std::remove(clients_.begin(), clients_.end(), link), clients_.end());
}

// ------------------------------------------------------------------ TContainedAction
TContainedAction::~TContainedAction() { SetActionList(nullptr); }

void TContainedAction::SetActionList(TCustomActionList* list) {
  if (list == actionList_) return;
  if (actionList_) {
    auto& v = actionList_->actions_;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
  }
  actionList_ = list;
  if (list) list->actions_.push_back(this);
}

// ------------------------------------------------------------------ TCustomAction
TCustomAction::TCustomAction(TComponent* owner) : TContainedAction(owner) {}

void TCustomAction::SetCaption(const String& v) {
  if (v == caption_) return;
  caption_ = v;
  Change();
}

void TCustomAction::SetChecked(bool v) {
  if (v == checked_) return;
  checked_ = v;
  if (v && groupIndex_ > 0 && ActionList()) {
    TCustomActionList* list = ActionList();
    for (int i = 0; i < list->ActionCount(); ++i) {
      auto* other = dynamic_cast<TCustomAction*>(list->Actions(i));
      if (other && other != this && other->groupIndex_ == groupIndex_) other->SetChecked(false);
    }
  }
  Change();
}

void TCustomAction::SetEnabled(bool v) {
  if (v == enabled_) return;
  enabled_ = v;
  Change();
}

void TCustomAction::SetVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  Change();
}

void TCustomAction::SetHint(const String& v) {
  if (v == hint_) return;
  hint_ = v;
  Change();
}

void TCustomAction::SetImageIndex(int v) {
  if (v == imageIndex_) return;
  imageIndex_ = v;
  Change();
}

void TCustomAction::SetGroupIndex(int v) {
  if (v == groupIndex_) return;
  groupIndex_ = v;
  Change();
}

bool TCustomAction::Execute() {
  Update();
  return enabled_ && TContainedAction::Execute();
}

// ------------------------------------------------------------------ TCustomActionList
TCustomActionList::~TCustomActionList() {
  while (!actions_.empty()) actions_.back()->SetActionList(nullptr);
  SetImages(nullptr);
}

void TCustomActionList::SetImages(TCustomImageList* v) {
  if (v == images_) return;
  if (images_) images_->RemoveFreeNotification(this);
  images_ = v;
  if (v) v->FreeNotification(this);
}

void TCustomActionList::Notification(TComponent* component, rtl::TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == rtl::opRemove && component == images_) images_ = nullptr;
}

// ------------------------------------------------------------------ TControlActionLink
void TControlActionLink::Change() {
  if (Action()) client_->ActionChange(Action(), false);
}

bool SameHandlerCode(const TNotifyEvent& a, const TNotifyEvent& b) {
  if (!a || !b || a.target_type() != b.target_type()) return false;
  using Fn = void (*)(TObject*);
  if (auto* fa = a.target<Fn>()) return *fa == *b.target<Fn>();
  return true;
}

}  // namespace forms
