// Panels, bevels, splitters, images, the scroll box, the progress bar and
// the page control with its tab sheets, in their plain looks.
//
// Threads: GUI thread only.
#pragma once

#include <memory>
#include <vector>

#include "platform/forms/ScrollBars.h"
#include "platform/forms/StdCtrls.h"
#include "platform/gdi/ImageFormats.h"

namespace forms {

// ------------------------------------------------------------------ panel
enum TPanelBevel { bvNone, bvLowered, bvRaised, bvSpace };

class TCustomPanel : public TCustomControl {
 public:
  explicit TCustomPanel(TComponent* owner);
  TPanelBevel BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TPanelBevel v);
  TPanelBevel BevelInner() const { return bevelInner_; }
  void SetBevelInner(TPanelBevel v);
  int BevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(int v);
  int BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int v);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v);
  void Dispatch(TMessage& m) override;

 protected:
  void Paint() override;
  void AdjustClientRect(TRect& rect) override;

 private:
  int FrameWidth() const;
  TPanelBevel bevelOuter_ = bvRaised, bevelInner_ = bvNone;
  int bevelWidth_ = 1, borderWidth_ = 0;
  TAlignment alignment_ = taCenter;
};

class TPanel : public TCustomPanel {
 public:
  explicit TPanel(TComponent* owner) : TCustomPanel(owner) {}
};

// ------------------------------------------------------------------ bevel
enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum TBevelStyle { bsLowered, bsRaised };

class TBevel : public TGraphicControl {
 public:
  explicit TBevel(TComponent* owner);
  TBevelShape Shape() const { return shape_; }
  void SetShape(TBevelShape v);
  TBevelStyle Style() const { return style_; }
  void SetStyle(TBevelStyle v);

 protected:
  void Paint() override;

 private:
  TBevelShape shape_ = bsBox;
  TBevelStyle style_ = bsLowered;
};

// ------------------------------------------------------------------ splitter
using TCanResizeEvent = std::function<void(TObject* Sender, int& NewSize, bool& Accept)>;

// Resizes the control it is aligned against: dragging moves the edge
// between that control and the rest of the parent, keeping MinSize on both.
class TSplitter : public TGraphicControl {
 public:
  explicit TSplitter(TComponent* owner);
  int MinSize() const { return minSize_; }
  void SetMinSize(int v) { minSize_ = std::max(1, v); }
  bool Beveled() const { return beveled_; }
  void SetBeveled(bool v);
  // The control the splitter resizes (found from the alignment), or nullptr.
  TControl* FindControl();

  TNotifyEvent OnMoved;
  TCanResizeEvent OnCanResize;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void RequestAlign() override;

 private:
  int SizeOf(TControl* c) const;
  int minSize_ = 30;
  bool beveled_ = false;
  TControl* control_ = nullptr;
  int downPos_ = 0, startSize_ = 0, maxSize_ = 0;
  bool dragging_ = false;
};

// ------------------------------------------------------------------ image
class TImage : public TGraphicControl {
 public:
  explicit TImage(TComponent* owner);
  ~TImage() override;
  gdi::TPicture* Picture() { return picture_.get(); }
  bool Center() const { return center_; }
  void SetCenter(bool v);
  bool Stretch() const { return stretch_; }
  void SetStretch(bool v);
  bool Proportional() const { return proportional_; }
  void SetProportional(bool v);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v);
  // Where the picture is drawn in the client area.
  TRect DestRect();

 protected:
  void Paint() override;
  bool CanAutoSize(int& newWidth, int& newHeight) override;

 private:
  std::unique_ptr<gdi::TPicture> picture_;
  bool center_ = false, stretch_ = false, proportional_ = false, transparent_ = false;
};

// ------------------------------------------------------------------ scroll box
// Children larger than the box scroll with the window's own bars; the range
// follows the children's extent.
class TScrollBox : public TCustomControl {
 public:
  explicit TScrollBox(TComponent* owner);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle v);
  int ScrollX() const { return x_; }
  int ScrollY() const { return y_; }
  void ScrollInView(TControl* c);
  // Recomputes the range from the children and shows the bars that are needed.
  void UpdateScrollBars();
  void Dispatch(TMessage& m) override;

 protected:
  void Paint() override;
  void Resize() override;
  void CreateWnd() override;
  void AlignControls(TControl* control, TRect& rect) override;

 private:
  void ScrollTo(int x, int y);
  TBorderStyle borderStyle_ = bsSingleBorder;
  int x_ = 0, y_ = 0;
  TWindowScrollBars bars_{this};
  bool updating_ = false;
};

// ------------------------------------------------------------------ progress bar
enum TProgressBarOrientation { pbHorizontal, pbVertical };

class TProgressBar : public TGraphicControl {
 public:
  explicit TProgressBar(TComponent* owner);
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Position() const { return position_; }
  void SetMin(int v);
  void SetMax(int v);
  void SetPosition(int v);
  int Step() const { return step_; }
  void SetStep(int v) { step_ = v; }
  void StepIt();  // wraps to Min past Max, as the native bar does
  void StepBy(int delta);
  TProgressBarOrientation Orientation() const { return orientation_; }
  void SetOrientation(TProgressBarOrientation v);
  bool Smooth() const { return smooth_; }
  void SetSmooth(bool v);

 protected:
  void Paint() override;

 private:
  int min_ = 0, max_ = 100, position_ = 0, step_ = 10;
  TProgressBarOrientation orientation_ = pbHorizontal;
  bool smooth_ = false;
};

// ------------------------------------------------------------------ page control
class TPageControl;

class TTabSheet : public TCustomControl {
 public:
  explicit TTabSheet(TComponent* owner);
  ~TTabSheet() override;
  TPageControl* PageControl() const { return pageControl_; }
  void SetPageControl(TPageControl* pc);
  bool TabVisible() const { return tabVisible_; }
  void SetTabVisible(bool v);
  int PageIndex() const;
  int TabIndex() const;  // among visible tabs; -1 when hidden
  void Dispatch(TMessage& m) override;

 protected:
  void Paint() override;

 private:
  friend class TPageControl;
  TPageControl* pageControl_ = nullptr;
  bool tabVisible_ = true;
};

using TTabChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

// Tabs on top in one row; the active sheet fills the display area.
class TPageControl : public TCustomControl {
 public:
  explicit TPageControl(TComponent* owner);
  ~TPageControl() override;
  int PageCount() const { return int(pages_.size()); }
  TTabSheet* Pages(int i) const { return pages_.at(std::size_t(i)); }
  TTabSheet* ActivePage() const { return active_; }
  void SetActivePage(TTabSheet* page);
  int ActivePageIndex() const;
  void SetActivePageIndex(int i);
  // Changes the page as a user does: OnChanging may refuse, OnChange follows.
  bool SelectPage(TTabSheet* page);
  void SelectNextPage(bool goForward);
  TRect TabRect(int tabIndex);
  int IndexOfTabAt(int x, int y);
  TRect DisplayRect();
  int TabHeight();

  TNotifyEvent OnChange;
  TTabChangingEvent OnChanging;
  void Dispatch(TMessage& m) override;

 protected:
  friend class TTabSheet;
  // The selected page changed by the user: fires OnChange.
  virtual void Change();
  void Paint() override;
  void AdjustClientRect(TRect& rect) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyDown(rtl::Word& key, TShiftState shift) override;
  void InsertPage(TTabSheet* page);
  void RemovePage(TTabSheet* page);
  std::vector<TTabSheet*> VisibleTabs() const;

 private:
  std::vector<TTabSheet*> pages_;
  TTabSheet* active_ = nullptr;
};

}  // namespace forms
