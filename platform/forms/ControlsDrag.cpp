// Drag and drop between controls: the drag under way, its pointer and key
// handling, the targets asked along the way and the picture that follows
// the pointer. One drag at a time, on the GUI thread.
#include <cstdlib>
#include <memory>

#include "platform/forms/Controls.h"
#include "platform/forms/Forms.h"
#include "platform/forms/FormsInternal.h"
#include "platform/win/WinApi.h"

namespace forms {

using namespace win;

namespace {

constexpr int kDragThreshold = 5;
// The drag picture is drawn see-through where layered windows are available.
constexpr BYTE kDragImageAlpha = 176;

// A see-through, click-through popup showing the drag picture: a hint
// window (never activated, passes hit tests on) with a picture for text.
class TDragImageWindow : public THintWindow {
 public:
  explicit TDragImageWindow(const TDragImage& image) : THintWindow(nullptr), image_(image) {
    SetBounds(0, 0, image.Bitmap->Width(), image.Bitmap->Height());
  }
  void MoveTo(TPoint screen) {
    const int x = screen.X - image_.HotSpot.X, y = screen.Y - image_.HotSpot.Y;
    HandleNeeded();
    SetBounds(x, y, Width(), Height());
    SetWindowPos(Handle(), HWND_TOPMOST, x, y, Width(), Height(), SWP_NOACTIVATE | SWP_SHOWWINDOW);
    if (!Visible()) SetVisible(true);
  }

 protected:
  void CreateParams(TCreateParams& p) override {
    THintWindow::CreateParams(p);
    p.ExStyle |= WS_EX_LAYERED | WS_EX_TRANSPARENT;
  }
  void CreateWnd() override {
    THintWindow::CreateWnd();
    SetLayeredWindowAttributes(Handle(), 0, kDragImageAlpha, LWA_ALPHA);
  }
  void Paint() override { Canvas()->Draw(0, 0, image_.Bitmap.get()); }

 private:
  TDragImage image_;
};

struct TDrag {
  TControl* Source = nullptr;
  TLiveness SourceLive;
  TDragObject* Object = nullptr;
  std::unique_ptr<TDragObject> Owned;  // the framework's own drag object
  bool Started = false;                // past the threshold
  int Threshold = kDragThreshold;
  TPoint Start;
  TControl* Target = nullptr;
  TLiveness TargetLive;
  bool Accepted = false;
  std::unique_ptr<TDragImageWindow> Image;
};

std::unique_ptr<TDrag> gDrag;

TPoint CursorPos() {
  POINT p;
  GetCursorPos(&p);
  return p;
}

TObject* SourceOf(TDrag& d) { return d.Object ? d.Object->Source() : d.Source; }

void ShowDragCursor(TDrag& d, TPoint local) {
  TCursor c = d.Object ? d.Object->GetDragCursor(d.Accepted, local.X, local.Y) : crNoDrop;
  ::win::SetCursor(detail::CursorHandle(c == crDefault ? crArrow : c));
}

// Asks the control under the pointer, telling the one left behind.
void DragTo(TPoint screen) {
  TDrag& d = *gDrag;
  d.Object->DragPos = screen;
  if (d.Image) d.Image->MoveTo(screen);
  TControl* now = FindDragTarget(screen, false);
  if (now != d.Target) {
    TControl* old = d.Target;
    TLiveness oldLive = d.TargetLive;
    d.Target = nullptr;
    d.Accepted = false;
    if (old && oldLive.Alive()) {
      bool ignored = false;
      const TPoint p = old->ScreenToClient(screen);
      old->DragOver(SourceOf(d), p.X, p.Y, dsDragLeave, ignored);
      if (!gDrag) return;
    }
    d.Target = now;
    d.TargetLive = now ? now->Liveness() : TLiveness();
    if (now) {
      const TPoint p = now->ScreenToClient(screen);
      bool accept = false;
      now->DragOver(SourceOf(d), p.X, p.Y, dsDragEnter, accept);
      if (!gDrag) return;
      d.Accepted = accept && d.TargetLive.Alive();
    }
  } else if (now) {
    const TPoint p = now->ScreenToClient(screen);
    bool accept = false;
    now->DragOver(SourceOf(d), p.X, p.Y, dsDragMove, accept);
    if (!gDrag) return;
    d.Accepted = accept && d.TargetLive.Alive();
  }
  d.Object->DragTarget = d.Target;
  ShowDragCursor(d, d.Target && d.TargetLive.Alive() ? d.Target->ScreenToClient(screen) : TPoint{});
}

void StartDragging() {
  TDrag& d = *gDrag;
  d.Started = true;
  TDragObject* object = nullptr;
  d.Source->DoStartDrag(object);
  if (!gDrag || !d.SourceLive.Alive()) return;
  if (!object) {
    d.Owned = std::make_unique<TDragControlObject>(d.Source);
    object = d.Owned.get();
  }
  d.Object = object;
  TDragImage image;
  if (d.Source->GetDragImage(image) && image.Bitmap && !image.Bitmap->Empty())
    d.Image = std::make_unique<TDragImageWindow>(image);
  DragTo(CursorPos());
}

// Ends the drag under way: the target (if it accepts and Drop) gets the drop,
// then the source its end.
void DragDone(bool drop) {
  if (!gDrag) return;
  std::unique_ptr<TDrag> d = std::move(gDrag);
  d->Image.reset();
  if (d->SourceLive.Alive() && d->Source->MouseCapture()) d->Source->SetMouseCapture(false);
  if (!d->Started) return;
  ::win::SetCursor(detail::CursorHandle(crArrow));
  const TPoint screen = d->Object ? d->Object->DragPos : CursorPos();
  TControl* target = d->Target && d->TargetLive.Alive() ? d->Target : nullptr;
  const bool dropped = drop && target && d->Accepted;
  TObject* source = SourceOf(*d);
  TPoint p{};
  if (target) {
    p = target->ScreenToClient(screen);
    bool ignored = false;
    target->DragOver(source, p.X, p.Y, dsDragLeave, ignored);
  }
  if (d->Object) d->Object->Dropped = dropped;
  if (dropped && d->TargetLive.Alive()) target->DragDrop(source, p.X, p.Y);
  if (d->SourceLive.Alive()) {
    if (dropped) d->Source->DoEndDrag(d->TargetLive.Alive() ? target : nullptr, p.X, p.Y);
    else d->Source->DoEndDrag(nullptr, 0, 0);
  }
}

}  // namespace

// ------------------------------------------------------------------ drag objects
TCursor TDragObject::GetDragCursor(bool Accepted, int, int) { return Accepted ? crDrag : crNoDrop; }

TCursor TDragControlObject::GetDragCursor(bool Accepted, int, int) {
  return Accepted ? Control->DragCursor() : crNoDrop;
}

TObject* TDragControlObject::Source() { return Control; }

// ------------------------------------------------------------------ TControl
void TControl::BeginDrag(bool Immediate, int Threshold) {
  if (gDrag || dragKind_ != dkDrag) return;
  gDrag = std::make_unique<TDrag>();
  gDrag->Source = this;
  gDrag->SourceLive = Liveness();
  gDrag->Threshold = Threshold < 0 ? kDragThreshold : Threshold;
  gDrag->Start = CursorPos();
  SetMouseCapture(true);
  if (Immediate) StartDragging();
}

void TControl::EndDrag(bool Drop) {
  if (gDrag && gDrag->Source == this) DragDone(Drop);
}

bool TControl::Dragging() const { return gDrag && gDrag->Source == this; }

void TControl::DragOver(TObject* Source, int X, int Y, TDragState State, bool& Accept) {
  Accept = bool(OnDragOver);
  if (OnDragOver) OnDragOver(this, Source, X, Y, State, Accept);
}

void TControl::DragDrop(TObject* Source, int X, int Y) {
  if (OnDragDrop) OnDragDrop(this, Source, X, Y);
}

void TControl::DoStartDrag(TDragObject*& DragObject) {
  if (OnStartDrag) OnStartDrag(this, DragObject);
}

void TControl::DoEndDrag(TObject* Target, int X, int Y) {
  if (OnEndDrag) OnEndDrag(this, Target, X, Y);
}

// ------------------------------------------------------------------ routing
bool detail::DragMessage(TControl* c, TMessage& m) {
  if (!gDrag || gDrag->Source != c) return false;
  TDrag& d = *gDrag;
  switch (m.Msg) {
    case WM_MOUSEMOVE: {
      const TPoint screen = CursorPos();
      if (!d.Started) {
        if (std::abs(screen.X - d.Start.X) <= d.Threshold && std::abs(screen.Y - d.Start.Y) <= d.Threshold)
          return true;
        StartDragging();
        return true;
      }
      DragTo(screen);
      return true;
    }
    case WM_LBUTTONUP:
      if (!d.Started) {
        // Released before the drag began: an ordinary click after all.
        DragDone(false);
        return false;
      }
      if (d.Object) d.Object->DragPos = CursorPos();
      DragDone(true);
      c->SetControlState(c->ControlState() - TControlState{csLButtonDown, csClicked});
      return true;
    case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_MBUTTONDOWN: case WM_MBUTTONUP:
      if (m.Msg == WM_RBUTTONDOWN) DragDone(false);
      return true;
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK:
      return d.Started;
    case WM_CANCELMODE:
      DragDone(false);
      return false;
    case WM_CAPTURECHANGED: {
      // Another window took the mouse: the drag cannot go on.
      auto* w = dynamic_cast<TWinControl*>(c);
      if (w && w->HandleAllocated() && HWND(m.LParam) != w->Handle()) DragDone(false);
      return false;
    }
    default: return false;
  }
}

bool detail::DragKey(WPARAM vk) {
  if (!gDrag || vk != VK_ESCAPE) return false;
  const bool started = gDrag->Started;
  DragDone(false);
  return started;  // a drag not begun yet leaves the key to the control
}

void detail::ForgetDragControl(TControl* c) {
  if (!gDrag) return;
  if (gDrag->Target == c) {
    gDrag->Target = nullptr;
    gDrag->Accepted = false;
  }
  if (gDrag->Source == c) {
    // The source is going: nobody is left to tell.
    std::unique_ptr<TDrag> d = std::move(gDrag);
    d->Image.reset();
    ::win::SetCursor(detail::CursorHandle(crArrow));
  }
}

void detail::AutoDragPress(TControl* c) {
  if (c->DragMode() == dmAutomatic && !gDrag) c->BeginDrag(false);
}

}  // namespace forms
