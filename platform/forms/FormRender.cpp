#include "platform/forms/FormRender.h"

#include <cstring>

#include "platform/gdi/Gdi.h"
#include "platform/win/Backend.h"
#include "platform/win/Headless.h"

namespace forms {

using namespace win;

namespace {

bool Render(TWinControl* control, const std::string& path, bool clientOnly) {
  if (!control || !CurrentBackend() || std::strcmp(CurrentBackend()->Name(), "headless") != 0) return false;
  HWND h = control->Handle();
  if (!h) return false;
  HWND top = GetAncestor(h, GA_ROOT);
  bool wasVisible = IsWindowVisible(top);
  if (!wasVisible) ShowWindow(top, SW_SHOWNOACTIVATE);
  headless::Pump();
  bool ok = false;
  if (const gdi::Surface* bb = headless::BackBuffer(top)) {
    RECT wr, tr;
    GetWindowRect(h, &wr);
    GetWindowRect(top, &tr);
    RECT r = rtl::Bounds(wr.Left - tr.Left, wr.Top - tr.Top, wr.Width(), wr.Height());
    if (clientOnly) {
      POINT o{0, 0};
      ClientToScreen(h, &o);
      RECT c;
      GetClientRect(h, &c);
      r = rtl::Bounds(o.X - tr.Left, o.Y - tr.Top, c.Width(), c.Height());
    }
    r = rtl::Rect(std::max(r.Left, 0), std::max(r.Top, 0), std::min(r.Right, bb->Width()),
                  std::min(r.Bottom, bb->Height()));
    if (!r.IsEmpty()) {
      gdi::Surface out(r.Width(), r.Height());
      for (int y = 0; y < r.Height(); ++y) std::copy_n(bb->Row32(r.Top + y) + r.Left, r.Width(), out.Row32(y));
      ok = gdi::WriteSurfacePng(out, path);
    }
  }
  if (!wasVisible && IsWindow(top)) ShowWindow(top, SW_HIDE);
  return ok;
}

}  // namespace

bool RenderToPng(TWinControl* control, const std::string& path) { return Render(control, path, false); }
bool RenderClientToPng(TWinControl* control, const std::string& path) { return Render(control, path, true); }

}  // namespace forms
