// Actions: one command object that several controls share. An action carries
// the caption, checked, enabled and visible states, hint and image of a
// command plus its OnExecute handler; a control whose Action is set takes
// those properties (TControl::ActionChange) whenever the action changes, and
// a click of the control executes the action.
//
// Ownership: a control owns its action link; the link refers to the action,
// which keeps a list of its links. Whichever of the two goes first unhooks
// itself from the other, so neither keeps a dangling pointer: a freed action
// leaves its controls with Action() == nullptr.
//
// Threads: GUI thread only.
#pragma once

#include <vector>

#include "platform/forms/Controls.h"

namespace forms {

class TBasicAction;
class TCustomImageList;
class TCustomActionList;

// The connection of one client to one action.
class TBasicActionLink {
 public:
  TBasicActionLink() = default;
  TBasicActionLink(const TBasicActionLink&) = delete;
  TBasicActionLink& operator=(const TBasicActionLink&) = delete;
  virtual ~TBasicActionLink();

  TBasicAction* Action() const { return action_; }
  void SetAction(TBasicAction* value);
  // Runs the action with `component` as its ActionComponent; false when the
  // action did not run (no action, disabled, no handler).
  virtual bool Execute(TComponent* component = nullptr);
  virtual bool Update();

 protected:
  friend class TBasicAction;
  // Called by the action after any of its properties changed.
  virtual void Change() {}

 private:
  TBasicAction* action_ = nullptr;
};

// A command without properties: OnExecute and OnUpdate.
class TBasicAction : public TComponent {
 public:
  explicit TBasicAction(TComponent* owner);
  ~TBasicAction() override;

  // Fires OnExecute; false when it is not assigned.
  virtual bool Execute();
  // Fires OnUpdate (where an action refreshes its own state); false when it
  // is not assigned.
  virtual bool Update();
  // The control whose click runs the action, while OnExecute runs.
  TComponent* ActionComponent() const { return actionComponent_; }
  void SetActionComponent(TComponent* c) { actionComponent_ = c; }
  int ClientCount() const { return int(clients_.size()); }

  TNotifyEvent OnExecute, OnUpdate;

 protected:
  friend class TBasicActionLink;
  // Tells every client that the action changed.
  void Change();

 private:
  void RegisterChanges(TBasicActionLink* link);
  void UnRegisterChanges(TBasicActionLink* link);

  std::vector<TBasicActionLink*> clients_;
  TComponent* actionComponent_ = nullptr;
};

// An action that may belong to an action list (which lends it images and
// groups its checked actions).
class TContainedAction : public TBasicAction {
 public:
  using TBasicAction::TBasicAction;
  ~TContainedAction() override;
  TCustomActionList* ActionList() const { return actionList_; }
  void SetActionList(TCustomActionList* list);

 private:
  TCustomActionList* actionList_ = nullptr;
};

// The action with the properties its controls show.
class TCustomAction : public TContainedAction {
 public:
  explicit TCustomAction(TComponent* owner);

  const String& Caption() const { return caption_; }
  void SetCaption(const String& v);
  bool Checked() const { return checked_; }
  // Checking an action of a group (GroupIndex > 0) unchecks the other actions
  // of its action list with the same GroupIndex.
  void SetChecked(bool v);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  const String& Hint() const { return hint_; }
  void SetHint(const String& v);
  int ImageIndex() const { return imageIndex_; }
  void SetImageIndex(int v);
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int v);

  // Updates the action first; a disabled action does not run.
  bool Execute() override;

 private:
  String caption_, hint_;
  bool checked_ = false, enabled_ = true, visible_ = true;
  int imageIndex_ = -1, groupIndex_ = 0;
};

class TAction : public TCustomAction {
 public:
  using TCustomAction::TCustomAction;
};

// A list of actions that share an image list.
class TCustomActionList : public TComponent {
 public:
  using TComponent::TComponent;
  ~TCustomActionList() override;

  TCustomImageList* Images() const { return images_; }
  void SetImages(TCustomImageList* v);
  int ActionCount() const { return int(actions_.size()); }
  TContainedAction* Actions(int index) const { return actions_.at(size_t(index)); }
  void Notification(TComponent* component, rtl::TOperation operation) override;

 private:
  friend class TContainedAction;
  std::vector<TContainedAction*> actions_;
  TCustomImageList* images_ = nullptr;
};

class TActionList : public TCustomActionList {
 public:
  using TCustomActionList::TCustomActionList;
};

// A control's link: every change of the action reaches the control's
// ActionChange (CheckDefaults false).
class TControlActionLink : public TBasicActionLink {
 public:
  explicit TControlActionLink(TControl* client) : client_(client) {}
  TControl* Client() const { return client_; }

 protected:
  void Change() override;

 private:
  TControl* client_;
};

// Whether two handlers run the same code (the same function, or the same
// lambda or bound method whatever object it holds).
bool SameHandlerCode(const TNotifyEvent& a, const TNotifyEvent& b);

}  // namespace forms
