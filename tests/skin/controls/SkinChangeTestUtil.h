// A skin change as the program's forms see it: the messages the skin data
// sends to every form, taken by the form's frame, which walks its controls.
// Tests of a control's skin change go through here, so they exercise the
// walk the program runs.
#pragma once

#include "platform/forms/Forms.h"
#include "platform/win/WinApi.h"
#include "skin/data/bsSkinData.h"
#include "skin/forms/bsBusinessSkinForm.h"

namespace skinctltest {

// The frame of Form; one without skin data of its own is put on a form that
// has none.
inline skin::TbsBusinessSkinForm* FrameOf(forms::TCustomForm* Form) {
  if (auto* F = skin::FindSkinFormComponent(Form)) return F;
  return new skin::TbsBusinessSkinForm(Form);
}

// Sends the change of SD to Form's window: MSG_SKIN_CHANGING, MSG_SKIN_CHANGED
// and MSG_SKIN_CHANGE_DONE, as the skin data does once a skin is loaded.
inline void SendSkinChange(forms::TCustomForm* Form, skin::TbsSkinData* SD) {
  FrameOf(Form);
  const auto W = win::WPARAM(reinterpret_cast<std::uintptr_t>(SD));
  for (win::UINT M : {skin::MSG_SKIN_CHANGING, skin::MSG_SKIN_CHANGED, skin::MSG_SKIN_CHANGE_DONE})
    win::SendMessageW(Form->Handle(), M, W, 0);
}

}  // namespace skinctltest
