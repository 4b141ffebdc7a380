// MDI support of the skinned frame.
//
// An MDI frame form (its frame set to fsMDIForm) gets a TbsMDIClient: a child
// window that fills what the form's aligned controls leave of its client area
// and holds the MDI children as child windows. An MDI child (its frame set to
// fsMDIChild) is placed into the client of the application's MDI frame form;
// the client keeps the children's activation order (index 0 is the most
// recently active) and tells the old and the new active child through
// WM_NCACTIVATE, as a native MDI client does.
//
// The window list (items "<child name>_BSFCHILDITEM" in the client's
// WindowMenu), the tabs bar and the arrange commands are operations of
// TbsBusinessSkinForm (bsSkinMDI.cpp).
// GUI thread only.
#pragma once

#include <vector>

#include "platform/forms/Forms.h"
#include "platform/forms/Menus.h"
#include "skin/forms/bsBusinessSkinForm.h"

namespace skin {

class TbsMDIClient : public forms::TCustomControl {
 public:
  explicit TbsMDIClient(forms::TCustomForm* AForm);
  ~TbsMDIClient() override;
  void Notification(rtl::TComponent* AComponent, rtl::TOperation Operation) override;

  forms::TCustomForm* FrameForm() const { return FFrameForm; }
  int MDIChildCount() const { return int(FChildren.size()); }
  forms::TCustomForm* MDIChildren(int I) const { return FChildren.at(std::size_t(I)); }
  forms::TCustomForm* ActiveMDIChild() const { return FChildren.empty() ? nullptr : FActive; }
  // The menu item whose sub-items list the children (may stay nil).
  forms::TMenuItem* WindowMenu = nullptr;

  void AddChild(forms::TCustomForm* Child);
  void RemoveChild(forms::TCustomForm* Child);
  // Makes Child the active child: first in the order, on top of its
  // siblings; the old active child gets WM_NCACTIVATE 0, Child 1.
  void ActivateChild(forms::TCustomForm* Child);

 protected:
  void Dispatch(forms::TMessage& M) override;
  void Paint() override;

 private:
  forms::TCustomForm* FFrameForm;
  forms::TCustomForm* FActive = nullptr;
  std::vector<forms::TCustomForm*> FChildren;
};

// The MDI client of a form, or nil when the form is not an MDI frame form.
TbsMDIClient* MDIClientOf(forms::TCustomForm* Form);
// The application's MDI frame form: the main form when it is one, else the
// first form of the screen that is one; nil when there is none.
forms::TCustomForm* MDIMainForm();
// The frame of the main form's first MDI child whose frame is maximized.
TbsBusinessSkinForm* FindMaximizedChildSkinForm();
// The frame of the main form's active MDI child.
TbsBusinessSkinForm* FindActiveChildSkinForm();

}  // namespace skin
