#include "platform/gdi/Canvas.h"

#include "platform/gdi/Bitmap.h"

namespace gdi {

TCanvas::TCanvas()
    : font_(std::make_unique<TFont>()), pen_(std::make_unique<TPen>()), brush_(std::make_unique<TBrush>()) {
  font_->OnChange = [this](rtl::TObject*) { fontValid_ = false; };
  pen_->OnChange = [this](rtl::TObject*) { penValid_ = false; };
  brush_->OnChange = [this](rtl::TObject*) { brushValid_ = false; };
}

TCanvas::~TCanvas() { SetHandle(nullptr); }

HDC TCanvas::Handle() {
  if (!dc_) CreateHandle();
  return dc_;
}

void TCanvas::SetHandle(HDC dc) {
  if (dc_ == dc) return;
  DeselectHandles();
  dc_ = dc;
}

void TCanvas::DeselectHandles() {
  if (dc_) {
    if (oldPen_) SelectObject(dc_, oldPen_);
    if (oldBrush_) SelectObject(dc_, oldBrush_);
    if (oldFont_) SelectObject(dc_, oldFont_);
  }
  oldPen_ = oldBrush_ = oldFont_ = nullptr;
  penValid_ = brushValid_ = fontValid_ = false;
}

void TCanvas::RequirePen() {
  HDC dc = Handle();
  if (!dc || penValid_) return;
  HGDIOBJ old = SelectObject(dc, pen_->Handle());
  if (!oldPen_) oldPen_ = old;
  SetROP2(dc, PenModeToRop2(pen_->Mode()));
  penValid_ = true;
}

void TCanvas::RequireBrush() {
  HDC dc = Handle();
  if (!dc || brushValid_) return;
  HGDIOBJ old = SelectObject(dc, brush_->Handle());
  if (!oldBrush_) oldBrush_ = old;
  SetBkColor(dc, ColorToRGB(brush_->Color()));
  SetBkMode(dc, brush_->Style() == bsClear ? TRANSPARENT : OPAQUE);
  brushValid_ = true;
}

void TCanvas::RequireFont() {
  HDC dc = Handle();
  if (!dc) return;
  if (!fontValid_) {
    HGDIOBJ old = SelectObject(dc, font_->Handle());
    if (!oldFont_) oldFont_ = old;
    fontValid_ = true;
  }
  SetTextColor(dc, ColorToRGB(font_->Color()));
}

void TCanvas::Changing() {
  if (OnChanging) OnChanging(this);
}
void TCanvas::Changed() {
  if (OnChange) OnChange(this);
}

TColor TCanvas::Pixels(int x, int y) {
  const COLORREF c = GetPixel(Handle(), x, y);
  return c == CLR_INVALID ? -1 : TColor(c);
}

void TCanvas::SetPixels(int x, int y, TColor c) {
  Changing();
  SetPixel(Handle(), x, y, ColorToRGB(c));
  Changed();
}

rtl::TPoint TCanvas::PenPos() {
  POINT p;
  GetCurrentPositionEx(Handle(), &p);
  return p;
}

rtl::TRect TCanvas::ClipRect() {
  RECT r{};
  GetClipBox(Handle(), &r);
  return r;
}

void TCanvas::MoveTo(int x, int y) { MoveToEx(Handle(), x, y, nullptr); }

void TCanvas::LineTo(int x, int y) {
  Changing();
  RequirePen();
  gdi::LineTo(Handle(), x, y);
  Changed();
}

void TCanvas::Polyline(const std::vector<rtl::TPoint>& pts) {
  Changing();
  RequirePen();
  gdi::Polyline(Handle(), pts.data(), int(pts.size()));
  Changed();
}

void TCanvas::Polygon(const std::vector<rtl::TPoint>& pts) {
  Changing();
  RequirePen();
  RequireBrush();
  gdi::Polygon(Handle(), pts.data(), int(pts.size()));
  Changed();
}

void TCanvas::Rectangle(int l, int t, int r, int b) {
  Changing();
  RequirePen();
  RequireBrush();
  gdi::Rectangle(Handle(), l, t, r, b);
  Changed();
}

void TCanvas::RoundRect(int l, int t, int r, int b, int ew, int eh) {
  Changing();
  RequirePen();
  RequireBrush();
  gdi::RoundRect(Handle(), l, t, r, b, ew, eh);
  Changed();
}

void TCanvas::Ellipse(int l, int t, int r, int b) {
  Changing();
  RequirePen();
  RequireBrush();
  gdi::Ellipse(Handle(), l, t, r, b);
  Changed();
}

void TCanvas::FillRect(const rtl::TRect& r) {
  Changing();
  RequireBrush();
  gdi::FillRect(Handle(), &r, brush_->Handle());
  Changed();
}

void TCanvas::FrameRect(const rtl::TRect& r) {
  Changing();
  RequireBrush();
  gdi::FrameRect(Handle(), &r, brush_->Handle());
  Changed();
}

void TCanvas::DrawFocusRect(const rtl::TRect& r) {
  Changing();
  gdi::DrawFocusRect(Handle(), &r);
  Changed();
}

void TCanvas::Draw(int x, int y, TGraphic* g) {
  if (!g || g->Empty()) return;
  StretchDraw(rtl::Bounds(x, y, g->Width(), g->Height()), g);
}

void TCanvas::StretchDraw(const rtl::TRect& r, TGraphic* g) {
  if (!g || g->Empty()) return;
  Changing();
  Handle();
  g->Draw(this, r);
  Changed();
}

void TCanvas::CopyRect(const rtl::TRect& dest, TCanvas* src, const rtl::TRect& source) {
  if (!src) return;
  Changing();
  RequireBrush();  // pattern operations use the brush
  StretchBlt(Handle(), dest.Left, dest.Top, dest.Width(), dest.Height(), src->Handle(), source.Left, source.Top,
             source.Width(), source.Height(), copyMode_);
  Changed();
}

void TCanvas::TextOut(int x, int y, const rtl::String& text) {
  Changing();
  RequireFont();
  RequireBrush();
  gdi::TextOut(Handle(), x, y, text.c_str(), int(text.size()));
  Changed();
}

void TCanvas::TextRect(const rtl::TRect& r, int x, int y, const rtl::String& text) {
  Changing();
  RequireFont();
  RequireBrush();
  const UINT opts = ETO_CLIPPED | (brush_->Style() != bsClear ? ETO_OPAQUE : 0);
  ExtTextOut(Handle(), x, y, opts, &r, text.c_str(), UINT(text.size()), nullptr);
  Changed();
}

rtl::TSize TCanvas::TextExtent(const rtl::String& text) {
  RequireFont();
  SIZE s{};
  GetTextExtentPoint32(Handle(), text.c_str(), int(text.size()), &s);
  return s;
}

// Lock/Unlock nest; the owner is remembered so that an Unlock from a thread
// that holds no lock (or one too many) is a no-op instead of releasing a
// mutex it never took.
void TCanvas::Lock() {
  lock_.lock();
  owner_.store(std::this_thread::get_id());
  ++lockCount_;
}
bool TCanvas::TryLock() {
  if (!lock_.try_lock()) return false;
  owner_.store(std::this_thread::get_id());
  ++lockCount_;
  return true;
}
void TCanvas::Unlock() {
  if (owner_.load() != std::this_thread::get_id() || lockCount_ <= 0) return;
  if (--lockCount_ == 0) owner_.store(std::thread::id());
  lock_.unlock();
}

}  // namespace gdi
