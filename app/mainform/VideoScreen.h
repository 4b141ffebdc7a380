// The preview player's screen: a plain panel whose window keeps a native
// child of the window system's own, into which the player shows its
// pictures.
#pragma once

#include "platform/forms/ExtCtrls.h"

namespace app {

class TVideoScreenPanel : public forms::TPanel {
 public:
  explicit TVideoScreenPanel(rtl::TComponent* owner) : forms::TPanel(owner) {}

 protected:
  void CreateParams(forms::TCreateParams& params) override {
    forms::TPanel::CreateParams(params);
    params.ExStyle |= win::WS_EX_FOREIGNVIDEO;
  }
};

}  // namespace app
