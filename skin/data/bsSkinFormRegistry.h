// How the skin data reaches the application's forms.
//
// The skin-change messages go to every form of the application, synchronously,
// in the order of the application's form list. The window layer (or a test)
// installs a registry that lists the forms and delivers a message to one of
// them as SendMessage would: the receiver has finished when the call returns,
// and a form whose window does not exist yet gets it created first.
// GUI thread only.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/rtl/Types.h"

namespace skin {

constexpr unsigned WM_USER = 0x0400;
constexpr unsigned MSG_SKIN_CHANGING = WM_USER + 201;
constexpr unsigned MSG_SKIN_CHANGED = WM_USER + 202;
constexpr unsigned MSG_SKIN_CHANGE_DONE = WM_USER + 203;
constexpr unsigned MSG_RESOURCE_STRINGS_CHANGED = WM_USER + 250;
constexpr unsigned MSG_SKINNABLE_FORM_CHANGED = WM_USER + 270;
constexpr unsigned MSG_LAYERED_BORDERS_CHANGED = WM_USER + 403;

class IbsSkinForm {
 public:
  virtual ~IbsSkinForm() = default;
  // The form's class name ("TForm1"; layered border windows are "TbsFormLayerWindow").
  virtual rtl::String FormClassName() const = 0;
  virtual void SendSkinMessage(unsigned Msg, std::uintptr_t WParam, std::intptr_t LParam) = 0;
};

class IbsSkinFormRegistry {
 public:
  virtual ~IbsSkinFormRegistry() = default;
  // The application's forms, in the order of its form list.
  virtual std::vector<IbsSkinForm*> Forms() const = 0;
  // The form that Component is, or null when it is not a form.
  virtual IbsSkinForm* FormOf(const rtl::TComponent* Component) const = 0;
};

// The registry in use; null (no forms) until the window layer installs one.
void SetSkinFormRegistry(IbsSkinFormRegistry* Registry);
IbsSkinFormRegistry* SkinFormRegistry();

}  // namespace skin
