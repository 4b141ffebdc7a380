// The skinned scroll box: a container whose children may reach past its
// client area, scrolled by two separate skinned scroll bars placed beside it
// and attached through VScrollBar and HScrollBar. It computes the scroll
// ranges from its visible children (moving them back when it grows or they
// shrink while scrolled), shows and hides the bars, draws a skinned or plain
// frame in its non-client area and a tiled or stretched skin background
// behind the children. It does not scroll on the wheel by itself.
// GUI thread only.
#pragma once

#include "skin/controls/bsSkinPanels.h"
#include "skin/controls/bsSkinScrollBar.h"
#include "skin/controls/bsSkinViewBase.h"

namespace skin {

class TbsSkinScrollBox : public TbsSkinCustomControl {
 public:
  explicit TbsSkinScrollBox(TComponent* AOwner);
  ~TbsSkinScrollBox() override;

  TbsSkinScrollBar* VScrollBar() const { return FVScrollBar; }
  void SetVScrollBar(TbsSkinScrollBar* Value);
  TbsSkinScrollBar* HScrollBar() const { return FHScrollBar; }
  void SetHScrollBar(TbsSkinScrollBar* Value);
  TbsSkinBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TbsSkinBorderStyle Value);
  bool CanFocused() const { return FCanFocused; }
  void SetCanFocused(bool Value) { FCanFocused = Value; }

  // Computes the horizontal, then the vertical range from the children.
  void UpDateScrollRange();
  int BackgroundPictureIndex() const { return BGPictureIndex; }

  void GetSkinData() override;
  void ChangeSkinData() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void Notification(TComponent* AComponent, rtl::TOperation Operation) override;
  void WndProc(TMessage& M) override;
  void Dispatch(TMessage& M) override;

 protected:
  void CreateParams(forms::TCreateParams& Params) override;
  void AdjustClientRect(TRect& Rect) override;
  void Paint() override;
  void CreateControlDefaultImage(TBitmap* B) override;

 private:
  // One axis of the range computation: the bar, its fields and the
  // children's extents along it.
  struct TAxis {
    TbsSkinScrollBar* Bar;
    int* OldPos;
    int* SizeOffset;
    bool Vertical;
  };
  void GetRange(const TAxis& A);
  void GetVRange() { GetRange({FVScrollBar, &FOldVScrollBarPos, &FVSizeOffset, true}); }
  void GetHRange() { GetRange({FHScrollBar, &FOldHScrollBarPos, &FHSizeOffset, false}); }
  void ScrollChildren(bool Vertical, int D);
  void BarChange(bool Vertical);
  void AttachBar(TbsSkinScrollBar*& Field, TbsSkinScrollBar* Value, bool Vertical);
  bool HasFrame();
  void PaintFrame(win::HDC DC);
  void PaintSkinBackground();

  bool FClicksDisabled = false;
  bool FCanFocused = false;
  bool FInCheckScrollBars = false;
  TbsSkinScrollBar* FVScrollBar = nullptr;
  TbsSkinScrollBar* FHScrollBar = nullptr;
  int FOldVScrollBarPos = 0, FOldHScrollBarPos = 0;
  int FVSizeOffset = 0, FHSizeOffset = 0;
  TbsSkinBorderStyle FBorderStyle = bvFrame;
  int BGPictureIndex = -1;
};

}  // namespace skin
