// What a gallery shows, by its pixels: the part of the headless screen a
// control covers (the pixels its PNG is made of), and how two such pictures
// compare. The galleries check with these that each look they show is drawn:
// a hot, pressed, disabled, focused or selected control differs from the same
// control out of that state, and a skinned control from its plain look.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/forms/Controls.h"
#include "platform/gdi/Surface.h"
#include "platform/win/Backend.h"
#include "platform/win/Headless.h"
#include "platform/win/WinApi.h"

namespace testsupport {

// A rectangle of the screen as it is shown.
struct TShot {
  int W = 0, H = 0;
  std::vector<std::uint32_t> Px;
  std::uint32_t At(int x, int y) const { return Px[std::size_t(y * W + x)] & 0xFFFFFF; }
  bool Empty() const { return Px.empty(); }
};

// The control's rectangle (Part of it, in its own coordinates, when given)
// as its top-level window shows it once what is pending is painted.
inline TShot Shot(forms::TControl* c, rtl::TRect Part = {}) {
  TShot s;
  if (!c) return s;
  forms::TWinControl* holder = c->Parent();
  auto* w = dynamic_cast<forms::TWinControl*>(c);
  if (w) holder = w;
  if (!holder || !holder->HandleAllocated()) return s;
  win::headless::Pump();
  win::HWND top = win::GetAncestor(holder->Handle(), win::GA_ROOT);
  const gdi::Surface* bb = win::headless::BackBuffer(top);
  if (!bb) return s;
  win::RECT tr;
  win::GetWindowRect(top, &tr);
  // The control's origin on the screen: a window's own, a graphic
  // control's place in its parent.
  win::POINT o{0, 0};
  int cw = c->Width(), ch = c->Height();
  if (w) {
    win::RECT wr;
    win::GetWindowRect(w->Handle(), &wr);
    o = {wr.Left, wr.Top};
    cw = wr.Width();
    ch = wr.Height();
  } else {
    const rtl::TPoint p = c->Parent()->ClientToScreen({c->Left(), c->Top()});
    o = {p.X, p.Y};
  }
  rtl::TRect r = Part.IsEmpty() ? rtl::Rect(0, 0, cw, ch) : Part;
  r = rtl::Rect(r.Left + o.X - tr.Left, r.Top + o.Y - tr.Top, r.Right + o.X - tr.Left, r.Bottom + o.Y - tr.Top);
  r = rtl::Rect(std::max(r.Left, 0), std::max(r.Top, 0), std::min(r.Right, bb->Width()),
                std::min(r.Bottom, bb->Height()));
  if (r.IsEmpty()) return s;
  s.W = r.Width();
  s.H = r.Height();
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) s.Px.push_back(bb->Row32(y)[x] & 0xFFFFFF);
  return s;
}

// The share of pixels (0 to 1) in which two shots differ; 1 when their
// sizes differ or either is empty.
inline double Changed(const TShot& a, const TShot& b) {
  if (a.Empty() || b.Empty() || a.W != b.W || a.H != b.H) return 1;
  std::size_t n = 0;
  for (std::size_t i = 0; i < a.Px.size(); ++i) n += a.Px[i] != b.Px[i];
  return double(n) / double(a.Px.size());
}

// How many colours a shot holds (1: a flat area, nothing drawn on it).
inline std::size_t Colours(const TShot& s) { return std::set<std::uint32_t>(s.Px.begin(), s.Px.end()).size(); }

// The look of a state is drawn: the control's picture in the state differs
// from its picture once Leave has taken the state away (and let the control
// settle); Back puts the state back for the gallery's picture.
inline void ExpectStateShows(const std::string& What, forms::TControl* c, const std::function<void()>& Leave,
                             const std::function<void()>& Back) {
  const TShot in = Shot(c);
  Leave();
  const TShot out = Shot(c);
  Back();
  EXPECT_GT(Changed(in, out), 0.0) << What << ": drawn the same in and out of the state";
}

// The controls of a form in a fixed order (depth first, in creation order)
// with their pictures, to compare a form built the same way in two looks.
struct TControlShot {
  forms::TControl* Control;
  TShot Picture;
};
inline void ShotsOfControls(forms::TWinControl* Root, std::vector<TControlShot>& Out) {
  for (int i = 0; i < Root->ControlCount(); ++i) {
    forms::TControl* c = Root->Controls(i);
    if (!c->Visible()) continue;
    Out.push_back({c, Shot(c)});
    if (auto* w = dynamic_cast<forms::TWinControl*>(c)) ShotsOfControls(w, Out);
  }
}

}  // namespace testsupport
