// The control classes: TControl (any control), TGraphicControl (window-less,
// painted on its parent), TWinControl (owns a window of the window system),
// TCustomControl (a windowed control with a canvas and Paint).
//
// Messages: Perform calls WindowProc, which is WndProc unless replaced; WndProc
// does the framework's routing and calls Dispatch, the per-message handlers
// (descendants override it with a switch and call the base for the rest);
// what no handler takes reaches DefaultHandler, which for a windowed control is
// the window's previous procedure (DefWindowProc).
//
// Lifetime: controls are components; a parent destroys its child controls
// with it (whatever their owner), and owners free what they own. A control may
// be freed inside one of its own events: the framework checks liveness
// (TLiveness) before touching it again, and Release frees it later, from the
// message loop.
//
// Threads: GUI thread only.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/forms/Messages.h"
#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Canvas.h"
#include "platform/rtl/Classes.h"

namespace forms {

using rtl::String;
using rtl::TColor;
using rtl::TComponent;
using rtl::TNotifyEvent;
using rtl::TObject;
using rtl::TPoint;
using rtl::TRect;
using rtl::TSet;
using win::HDC;
using win::HWND;

class TControl;
class TWinControl;
class TCustomForm;
class TPopupMenu;
class TBasicAction;
class TControlActionLink;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind>;

enum TControlStyleItem {
  csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents, csFramed, csSetCaption, csOpaque,
  csDoubleClicks, csFixedWidth, csFixedHeight, csNoDesignVisible, csReplicatable, csNoStdEvents,
  csDisplayDragImage, csReflector, csActionClient, csMenuEvents, csNeedsBorderPaint, csParentBackground
};
using TControlStyle = TSet<TControlStyleItem>;

enum TControlStateItem {
  csLButtonDown, csClicked, csPalette, csReadingState, csAlignmentNeeded, csFocusing, csCreating, csPaintCopy,
  csCustomPaint, csDestroyingHandle, csDocking
};
using TControlState = TSet<TControlStateItem>;

enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateItem>;

using TCursor = int;
constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4, crSizeNESW = -6,
                  crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10, crHourGlass = -11, crDrag = -12,
                  crNoDrop = -13, crHSplit = -14, crVSplit = -15, crMultiDrag = -16, crSQLWait = -17, crNo = -18,
                  crAppStart = -19, crHelp = -20, crHandPoint = -21, crSizeAll = -22, crSize = -22;

// Drag and drop between controls. A drag starts by BeginDrag, or, with
// DragMode dmAutomatic, once the left button pressed on the control has moved
// the drag threshold (the press itself is handled as usual first). While it
// runs the source holds the mouse: the control under the pointer is asked by
// DragOver (dsDragEnter, dsDragMove, dsDragLeave) whether it accepts the
// drop, the cursor shows the source's DragCursor where it does and crNoDrop
// where it does not, and a picture the source gives (GetDragImage) follows
// the pointer. Releasing the left button over an accepting control drops
// (DragDrop on it); Escape, the right button or a lost capture cancel. Either
// way the source's EndDrag event ends it, with the target when dropped.
enum TDragMode { dmManual, dmAutomatic };
enum TDragKind { dkDrag, dkDock };
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };

// What is being dragged. The events name it as Source, or the control it
// carries (TDragControlObject) in its place.
class TDragObject : public TObject {
 public:
  ~TDragObject() override = default;
  TPoint DragPos;                // the pointer, screen coordinates
  TControl* DragTarget = nullptr;  // the control under the pointer
  bool Dropped = false;
  // The cursor over a target that accepts (or not) at client point X, Y.
  virtual TCursor GetDragCursor(bool Accepted, int X, int Y);
  // What the drag events receive as Source.
  virtual TObject* Source() { return this; }
};

class TDragControlObject : public TDragObject {
 public:
  explicit TDragControlObject(TControl* control) : Control(control) {}
  TControl* Control;
  TCursor GetDragCursor(bool Accepted, int X, int Y) override;
  TObject* Source() override;
};

// A picture shown under the pointer while dragging; HotSpot is the point of
// the picture that sits at the pointer.
struct TDragImage {
  std::shared_ptr<gdi::TBitmap> Bitmap;
  TPoint HotSpot;
};

using TDragOverEvent =
    std::function<void(TObject* Sender, TObject* Source, int X, int Y, TDragState State, bool& Accept)>;
using TDragDropEvent = std::function<void(TObject* Sender, TObject* Source, int X, int Y)>;
using TStartDragEvent = std::function<void(TObject* Sender, TDragObject*& DragObject)>;
using TEndDragEvent = std::function<void(TObject* Sender, TObject* Target, int X, int Y)>;

using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = std::function<void(TObject* Sender, rtl::Word& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char16_t& Key)>;
using TWndMethod = std::function<void(TMessage& Message)>;

// Keys and buttons of a mouse message's WParam (MK_*), or of the keyboard now.
TShiftState KeysToShiftState(WPARAM keys);
TShiftState KeyboardStateToShiftState();
TShiftState KeyDataToShiftState(LPARAM keyData);  // Alt from the key message's context bit

// A weak view of a control's life: false once the control has been destroyed.
class TLiveness {
 public:
  TLiveness() = default;
  explicit TLiveness(std::weak_ptr<int> token) : token_(std::move(token)) {}
  bool Alive() const { return !token_.expired(); }

 private:
  std::weak_ptr<int> token_;
};

// Minimum and maximum size of a control (0 = no limit).
class TSizeConstraints : public rtl::TPersistent {
 public:
  int MinWidth() const { return minWidth_; }
  int MinHeight() const { return minHeight_; }
  int MaxWidth() const { return maxWidth_; }
  int MaxHeight() const { return maxHeight_; }
  void SetMinWidth(int v);
  void SetMinHeight(int v);
  void SetMaxWidth(int v);
  void SetMaxHeight(int v);
  void Assign(rtl::TPersistent* source) override;
  // Clamps a size to the limits.
  void Apply(int& width, int& height) const;
  TNotifyEvent OnChange;

 private:
  void Changed();
  int minWidth_ = 0, minHeight_ = 0, maxWidth_ = 0, maxHeight_ = 0;
};

// ------------------------------------------------------------------ TControl
class TControl : public TComponent {
 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;

  // ---- Messages
  LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
  void Perform(TMessage& message);
  // The replaceable entry of every message; WndProc unless a subclass set it.
  TWndMethod WindowProc;
  virtual void WndProc(TMessage& message);
  virtual void Dispatch(TMessage& message);
  virtual void DefaultHandler(TMessage& message);

  // ---- Tree and geometry
  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* parent);
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
  void SetTop(int v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
  // The single path of every position and size change.
  virtual void SetBounds(int left, int top, int width, int height);
  TRect BoundsRect() const { return rtl::Bounds(left_, top_, width_, height_); }
  void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
  virtual TRect ClientRect();
  int ClientWidth() { return ClientRect().Width(); }
  int ClientHeight() { return ClientRect().Height(); }
  void SetClientWidth(int v);
  void SetClientHeight(int v);
  void SetClientSize(int w, int h);
  virtual TPoint ClientOrigin();  // screen position of the client area's top-left
  TPoint ClientToScreen(TPoint p) { TPoint o = ClientOrigin(); return {p.X + o.X, p.Y + o.Y}; }
  TPoint ScreenToClient(TPoint p) { TPoint o = ClientOrigin(); return {p.X - o.X, p.Y - o.Y}; }
  TAlign Align() const { return align_; }
  void SetAlign(TAlign v);
  TAnchors Anchors() const { return anchors_; }
  void SetAnchors(TAnchors v);
  TSizeConstraints* Constraints() { return &constraints_; }
  bool AutoSize() const { return autoSize_; }
  virtual void SetAutoSize(bool v);
  void BringToFront();
  void SendToBack();

  // ---- Properties
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  virtual bool Showing() const;  // visible up to a shown top-level
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool v);
  const String& Caption() const { return text_; }
  void SetCaption(const String& v) { SetText(v); }
  const String& Text() const { return text_; }
  virtual void SetText(const String& v);
  const String& Hint() const { return hint_; }
  void SetHint(const String& v) { hint_ = v; }
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool v);
  bool ParentShowHint() const { return parentShowHint_; }
  void SetParentShowHint(bool v);
  gdi::TFont* Font() { return font_.get(); }
  void SetFont(gdi::TFont* f) { font_->Assign(f); }
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool v);
  TColor Color() const { return color_; }
  void SetColor(TColor v);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool v);
  TPopupMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* menu);
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor c);
  TControlStyle ControlStyle() const { return controlStyle_; }
  void SetControlStyle(TControlStyle s) { controlStyle_ = s; }
  TControlState ControlState() const { return controlState_; }
  void SetControlState(TControlState s) { controlState_ = s; }
  bool MouseCapture() const;
  void SetMouseCapture(bool v);
  bool IsRightToLeft() const { return false; }
  bool UseRightToLeftAlignment() const { return false; }

  // ---- Painting
  virtual void Invalidate();
  virtual void Update();
  virtual void Repaint();
  void Refresh() { Repaint(); }

  // ---- Lifetime
  TLiveness Liveness() const { return TLiveness(alive_); }
  // Frees the control from the message loop, after the current message.
  void Release();

  // ---- Action: the control shows the action's properties and a click runs it.
  TBasicAction* Action() const;
  void SetAction(TBasicAction* value);
  TControlActionLink* ActionLink() const { return actionLink_.get(); }

  // ---- Drag and drop (see TDragMode above)
  TDragMode DragMode() const { return dragMode_; }
  void SetDragMode(TDragMode v) { dragMode_ = v; }
  TDragKind DragKind() const { return dragKind_; }
  void SetDragKind(TDragKind v) { dragKind_ = v; }
  TCursor DragCursor() const { return dragCursor_; }
  void SetDragCursor(TCursor v) { dragCursor_ = v; }
  // Immediate: the drag starts now; otherwise once the pointer has moved
  // Threshold pixels (-1: the system's 5) with the button held.
  void BeginDrag(bool Immediate, int Threshold = -1);
  // Ends a drag this control started: dropped on the target under the pointer
  // when Drop and that target accepts, cancelled otherwise.
  void EndDrag(bool Drop);
  bool Dragging() const;
  // Whether Source may be dropped at client point X, Y: OnDragOver decides
  // (Accept starts true when it is assigned); without it nothing is accepted.
  virtual void DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept);
  // Source was dropped at client point X, Y: OnDragDrop.
  virtual void DragDrop(TObject* Source, int X, int Y);
  // The picture to drag, false for none.
  virtual bool GetDragImage(TDragImage& Image) { return false; }
  // OnStartDrag; a drag object left unset makes the framework drag the control.
  virtual void DoStartDrag(TDragObject*& DragObject);
  // OnEndDrag; Target nullptr when the drag was cancelled or nothing accepted it.
  virtual void DoEndDrag(TObject* Target, int X, int Y);
  TDragOverEvent OnDragOver;
  TDragDropEvent OnDragDrop;
  TStartDragEvent OnStartDrag;
  TEndDragEvent OnEndDrag;

  // ---- Events
  TNotifyEvent OnClick, OnDblClick, OnResize;
  TMouseEvent OnMouseDown, OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TNotifyEvent OnMouseEnter, OnMouseLeave;

  void Loaded() override;
  void Notification(TComponent* component, rtl::TOperation operation) override;
  virtual void Click();
  virtual void DblClick();

 protected:
  friend class TWinControl;
  friend class TCustomForm;
  friend class THintWindow;
  friend class TControlActionLink;
  // The action's properties reach the control; CheckDefaults (while a form
  // loads) keeps what the control already set for itself.
  virtual void ActionChange(TObject* sender, bool checkDefaults);
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  // AutoSize: may change the size asked for; false keeps it.
  virtual bool CanAutoSize(int& newWidth, int& newHeight) { return false; }
  virtual bool CanResize(int& newWidth, int& newHeight) { return true; }
  void AdjustSize();
  virtual void RequestAlign();
  virtual void Resize();
  virtual void VisibleChanging() {}
  virtual void SetZOrder(bool topMost);
  virtual void ParentChanged() {}
  // Applies a bounds change without the checks of SetBounds (used by alignment).
  void UpdateBoundsRect(const TRect& r);
  bool Loading() const { return ComponentState().Contains(rtl::csLoading); }

  void WMMouseButton(TMessage& m, TMouseButton button, bool down, bool dbl);
  void WMMouseMove(TMessage& m);

 private:
  void FontChanged(TObject* sender);
  void ConstraintsChanged(TObject* sender);

  TWinControl* parent_ = nullptr;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  TAlign align_ = alNone;
  TAnchors anchors_{akLeft, akTop};
  TSizeConstraints constraints_;
  bool autoSize_ = false;
  bool visible_ = true, enabled_ = true;
  String text_, hint_;
  bool showHint_ = false, parentShowHint_ = true;
  std::unique_ptr<gdi::TFont> font_;
  bool parentFont_ = true;
  bool fontChanging_ = false;
  TColor color_ = gdi::clWindow;
  bool parentColor_ = false;
  TPopupMenu* popupMenu_ = nullptr;
  TCursor cursor_ = crDefault;
  TDragMode dragMode_ = dmManual;
  TDragKind dragKind_ = dkDrag;
  TCursor dragCursor_ = crDrag;
  TControlStyle controlStyle_{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  TControlState controlState_;
  std::unique_ptr<TControlActionLink> actionLink_;
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
  // Anchoring: distances kept when the parent last laid the control out.
  int anchorRight_ = 0, anchorBottom_ = 0;
  bool anchorsKnown_ = false;
};

// A canvas that draws on a control: bound to a DC only while it paints.
class TControlCanvas : public gdi::TCanvas {
 public:
  explicit TControlCanvas(TControl* control) : control_(control) {}
  TControl* Control() const { return control_; }

 private:
  TControl* control_;
};

// ------------------------------------------------------------------ TGraphicControl
// A window-less control: it paints on its parent's DC, clipped to its bounds,
// after the parent itself; it has no handle and never takes the focus.
class TGraphicControl : public TControl {
 public:
  explicit TGraphicControl(TComponent* owner);
  ~TGraphicControl() override;
  gdi::TCanvas* Canvas() { return canvas_.get(); }
  void Dispatch(TMessage& message) override;

 protected:
  virtual void Paint() {}

 private:
  std::unique_ptr<TControlCanvas> canvas_;
};

// ------------------------------------------------------------------ TWinControl
struct TCreateParams {
  String Caption;
  win::DWORD Style = 0;
  win::DWORD ExStyle = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;
  void* Param = nullptr;
  win::WNDCLASSW WindowClass;
  String WinClassName;
};

class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;

  // ---- Handle
  HWND Handle();  // creates the window when there is none yet
  bool HandleAllocated() const { return handle_ != nullptr; }
  void HandleNeeded();
  void RecreateWnd();
  // The control of a window made by the framework, or nullptr.
  static TWinControl* FromHandle(HWND h);
  void DefaultHandler(TMessage& message) override;
  // The procedure the framework's window procedure passes unhandled messages to.
  win::WNDPROC DefWndProc() const { return defWndProc_; }

  // ---- Children
  int ControlCount() const { return int(controls_.size() + winControls_.size()); }
  TControl* Controls(int index) const;
  bool ContainsControl(TControl* control) const;
  // The child at a client point: windowed children first (they are on top),
  // then graphic children, topmost first.
  TControl* ControlAtPos(TPoint pos, bool allowDisabled, bool allowWinControls = false);
  // Sends the message to every child until one answers non-zero.
  void Broadcast(TMessage& message);
  void NotifyControls(UINT msg);
  bool Showing() const override;

  // ---- Layout
  void DisableAlign();
  void EnableAlign();
  void Realign();
  bool AlignDisabled() const { return alignLevel_ != 0; }
  void ScrollBy(int dx, int dy);
  void SetBounds(int left, int top, int width, int height) override;
  TRect ClientRect() override;
  TPoint ClientOrigin() override;

  // ---- Focus and keys
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool v) { tabStop_ = v; }
  int TabOrder() const;
  void SetTabOrder(int v);
  virtual bool CanFocus();
  bool Focused();
  virtual void SetFocus();
  void GetTabOrderList(std::vector<TWinControl*>& list);
  TWinControl* FindNextControl(TWinControl* cur, bool goForward, bool checkTabStop, bool checkParent);
  void SelectNext(TWinControl* cur, bool goForward, bool checkTabStop);

  TNotifyEvent OnEnter, OnExit;
  TKeyEvent OnKeyDown, OnKeyUp;
  TKeyPressEvent OnKeyPress;

  // ---- Painting
  gdi::TBrush* Brush() { return brush_.get(); }
  void PaintTo(HDC dc, int x, int y);  // the control and its children, at (x, y) of the DC
  // The control's own content (no children) into dc, as its paint handler
  // draws it; for painting what a parent shows under a child.
  void PaintWindowInto(HDC dc) { PaintWindow(dc); }
  void Invalidate() override;
  void Update() override;
  void Repaint() override;

  void Dispatch(TMessage& message) override;
  void WndProc(TMessage& message) override;
  void SetParent(TWinControl* parent) override;

  // Runs the framework's keyboard pre-processing (shortcuts, dialog keys,
  // accelerators) of a key message about to reach this control; true when it
  // was taken and must not be delivered.
  bool PreProcessKey(win::MSG& msg);

 protected:
  friend class TControl;
  friend class TCustomForm;
  virtual void CreateParams(TCreateParams& params);
  virtual void CreateWnd();
  virtual void CreateWindowHandle(const TCreateParams& params);
  virtual void DestroyWnd();
  virtual void CreateHandle();
  virtual void DestroyHandle();
  virtual void AdjustClientRect(TRect& rect) {}
  virtual void AlignControls(TControl* control, TRect& rect);
  virtual void PaintWindow(HDC dc);
  void PaintControls(HDC dc, TControl* first);
  void PaintHandler(HDC dc);
  virtual bool DoKeyDown(rtl::Word& key, TShiftState shift);
  virtual bool DoKeyPress(char16_t& key);
  virtual bool DoKeyUp(rtl::Word& key, TShiftState shift);
  // Fire OnKeyDown / OnKeyPress / OnKeyUp; a descendant calls them before its
  // own handling, which it skips when the event cleared the key.
  virtual void KeyDown(rtl::Word& key, TShiftState shift);
  virtual void KeyPress(char16_t& key);
  virtual void KeyUp(rtl::Word& key, TShiftState shift);
  virtual void DoEnter();
  virtual void DoExit();
  void SetZOrder(bool topMost) override;

  void InsertControl(TControl* c);
  void RemoveControl(TControl* c);
  void AlignControl(TControl* control);
  void AnchorChildren(int oldWidth, int oldHeight);

 private:
  friend LRESULT FormsWindowProc(HWND h, UINT msg, WPARAM wParam, LPARAM lParam);
  bool ForwardToGraphicChild(TMessage& m);
  void WMPaint(TMessage& m);
  void WMEraseBkgnd(TMessage& m);
  void WMSetCursor(TMessage& m);
  void ReadBoundsFromWindow();
  void SetParentW(TWinControl* w);
  void CreateChildHandles();

  HWND handle_ = nullptr;
  win::WNDPROC defWndProc_ = nullptr;
  std::vector<TControl*> controls_;      // graphic children, bottom first
  std::vector<TWinControl*> winControls_;  // windowed children, bottom first
  std::vector<TWinControl*> tabList_;
  bool tabStop_ = false;
  int alignLevel_ = 0;
  std::unique_ptr<gdi::TBrush> brush_;
  int lastClientW_ = -1, lastClientH_ = -1;
  bool settingBounds_ = false;
};

// ------------------------------------------------------------------ TCustomControl
// A windowed control that draws itself: Canvas is bound to the DC of the
// paint under way, and Paint draws.
class TCustomControl : public TWinControl {
 public:
  explicit TCustomControl(TComponent* owner);
  ~TCustomControl() override;
  gdi::TCanvas* Canvas() { return canvas_.get(); }

 protected:
  virtual void Paint() {}
  void PaintWindow(HDC dc) override;

 private:
  std::unique_ptr<TControlCanvas> canvas_;
};

// The form a control sits on (walking up the parents), or nullptr.
TCustomForm* GetParentForm(TControl* control);
// The control the pointer is over (innermost, graphic and disabled included)
// and the one holding the mouse capture.
TControl* MouseControl();
TControl* CaptureControl();
// Moves enter/leave to the innermost control under a screen point; nullptr
// point: the pointer left every window of the program.
void UpdateMouseControl(const TPoint* screen);
// The innermost control at a screen point (disabled and graphic ones included).
TControl* FindDragTarget(TPoint screen, bool allowDisabled);
// Whether `key` is the accelerator of `caption`: the character after a single
// '&', compared without case.
bool IsAccel(char16_t key, const String& caption);
String StripHotkey(const String& caption);

}  // namespace forms
