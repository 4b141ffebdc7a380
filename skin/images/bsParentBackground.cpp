#include "skin/images/bsParentBackground.h"

#include "platform/forms/Forms.h"
#include "platform/gdi/Gdi.h"

namespace skin {

namespace {

// Marks a control as painting a copy of itself for as long as it lives, also
// when an exception passes.
class TPaintCopy {
 public:
  explicit TPaintCopy(forms::TControl* c) : c_(c) { Set(true); }
  ~TPaintCopy() { Set(false); }
  TPaintCopy(const TPaintCopy&) = delete;
  TPaintCopy& operator=(const TPaintCopy&) = delete;

 private:
  void Set(bool on) {
    forms::TControlState s = c_->ControlState();
    if (on) s.Include(forms::csPaintCopy);
    else s.Exclude(forms::csPaintCopy);
    c_->SetControlState(s);
  }
  forms::TControl* c_;
};

// The DC's state around one step, restored also on an exception.
class TSavedDC {
 public:
  explicit TSavedDC(gdi::HDC dc) : dc_(dc), saved_(gdi::SaveDC(dc)) {}
  ~TSavedDC() { gdi::RestoreDC(dc_, saved_); }
  TSavedDC(const TSavedDC&) = delete;
  TSavedDC& operator=(const TSavedDC&) = delete;

 private:
  gdi::HDC dc_;
  int saved_;
};

bool Intersects(const rtl::TRect& a, const rtl::TRect& b) {
  return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

// The viewport moves by (dx, dy) relative to where the caller left it, so a
// canvas that already has an origin (a window's paint DC) works as a bitmap's.
void PaintUnder(forms::TControl* Control, int dx, int dy, gdi::TCanvas* Canvas) {
  if (!Control || !Canvas) return;
  forms::TWinControl* Parent = Control->Parent();
  if (!Parent) return;
  const gdi::HDC DC = Canvas->Handle();
  TPaintCopy parentCopy(Parent);
  {
    TSavedDC saved(DC);
    gdi::OffsetViewportOrgEx(DC, dx - Control->Left(), dy - Control->Top(), nullptr);
    gdi::IntersectClipRect(DC, 0, 0, Parent->ClientWidth(), Parent->ClientHeight());
    // A form (MDI frames included: ours have no separate client window)
    // erases only; any other parent also paints its own content.
    Parent->Perform(win::WM_ERASEBKGND, reinterpret_cast<win::WPARAM>(DC), 0);
    if (!dynamic_cast<forms::TCustomForm*>(Parent)) Parent->PaintWindowInto(DC);
  }
  const rtl::TRect bounds = Control->BoundsRect();
  for (int i = 0; i < Parent->ControlCount(); ++i) {
    forms::TControl* Sibling = Parent->Controls(i);
    if (Sibling == Control) break;
    if (dynamic_cast<forms::TWinControl*>(Sibling) || !Sibling->Visible()) continue;
    if (!Intersects(Sibling->BoundsRect(), bounds)) continue;
    TPaintCopy siblingCopy(Sibling);
    TSavedDC saved(DC);
    gdi::OffsetViewportOrgEx(DC, dx + Sibling->Left() - Control->Left(), dy + Sibling->Top() - Control->Top(),
                             nullptr);
    gdi::IntersectClipRect(DC, 0, 0, Sibling->Width(), Sibling->Height());
    Sibling->Perform(win::WM_PAINT, reinterpret_cast<win::WPARAM>(DC), 0);
  }
}

}  // namespace

void PaintParentBackground(forms::TControl* Control, gdi::TCanvas* Canvas) {
  PaintUnder(Control, 0, 0, Canvas);
}

void PaintPageControlParentBackground(forms::TControl* Control, const rtl::TRect& R, gdi::TCanvas* Canvas) {
  PaintUnder(Control, -R.Left, -R.Top, Canvas);
}

}  // namespace skin
