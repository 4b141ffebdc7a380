// The inactive client panel: while a form with the frame's client inactive
// effect is inactive, this panel covers its client area with a frozen,
// altered picture of what was there (washed out by the form's background at
// partial opacity, or blurred).
// GUI thread only.
#pragma once

#include <memory>

#include "skin/controls/bsSkinPanels.h"
#include "skin/images/bsBitmap.h"

namespace skin {

class TbsClientInActivePanel : public TbsSkinPaintPanel {
 public:
  explicit TbsClientInActivePanel(TComponent* AOwner);
  ~TbsClientInActivePanel() override;

  // Captures AForm's client area, alters it by AEffect (1 = blur, any other
  // value = the background laid over at 170 of 255) and shows the panel.
  void ShowPanel(forms::TCustomForm* AForm, int AEffect);
  void HidePanel();
  TbsBitmap* Buffer() const { return FBuffer.get(); }

 protected:
  void Paint() override;

 private:
  std::unique_ptr<TbsBitmap> FBuffer;
};

}  // namespace skin
