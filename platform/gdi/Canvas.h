// TCanvas: the framework's drawing surface over a device context.
//
// The canvas owns its Pen, Brush and Font and selects them into the DC before
// each drawing call that needs them. Text is drawn in Font.Color over the
// brush colour, or transparently when Brush.Style is bsClear. A canvas gets
// its DC from SetHandle, or, for subclasses such as a bitmap's canvas, from
// CreateHandle on first use. Lock/Unlock serialise threads that share a
// canvas and nest; an Unlock by a thread not holding the lock does nothing.
// Everything else belongs to the thread holding the lock (the GUI
// thread in practice).
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/gdi/Graphics.h"

namespace gdi {

class TGraphic;

class TCanvas : public rtl::TPersistent {
 public:
  TCanvas();
  ~TCanvas() override;

  HDC Handle();
  void SetHandle(HDC dc);  // not owned
  bool HandleAllocated() const { return dc_ != nullptr; }

  TFont* Font() { return font_.get(); }
  TPen* Pen() { return pen_.get(); }
  TBrush* Brush() { return brush_.get(); }
  void SetFont(TFont* f) { font_->Assign(f); }
  void SetPen(TPen* p) { pen_->Assign(p); }
  void SetBrush(TBrush* b) { brush_->Assign(b); }
  DWORD CopyMode() const { return copyMode_; }
  void SetCopyMode(DWORD rop) { copyMode_ = rop; }

  TColor Pixels(int x, int y);
  void SetPixels(int x, int y, TColor c);
  rtl::TPoint PenPos();
  void SetPenPos(rtl::TPoint p) { MoveTo(p.X, p.Y); }
  rtl::TRect ClipRect();

  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  void Polyline(const std::vector<rtl::TPoint>& pts);
  void Polygon(const std::vector<rtl::TPoint>& pts);
  void Rectangle(int l, int t, int r, int b);
  void Rectangle(const rtl::TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
  void RoundRect(int l, int t, int r, int b, int ew, int eh);
  void Ellipse(int l, int t, int r, int b);
  void Ellipse(const rtl::TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
  void FillRect(const rtl::TRect& r);   // with Brush
  void FrameRect(const rtl::TRect& r);  // with Brush
  void DrawFocusRect(const rtl::TRect& r);

  void Draw(int x, int y, TGraphic* g);
  void StretchDraw(const rtl::TRect& r, TGraphic* g);
  void CopyRect(const rtl::TRect& dest, TCanvas* src, const rtl::TRect& source);  // with CopyMode

  void TextOut(int x, int y, const rtl::String& text);
  void TextRect(const rtl::TRect& r, int x, int y, const rtl::String& text);
  rtl::TSize TextExtent(const rtl::String& text);
  int TextWidth(const rtl::String& text) { return TextExtent(text).cx; }
  int TextHeight(const rtl::String& text) { return TextExtent(text).cy; }

  void Lock();
  void Unlock();
  bool TryLock();
  int LockCount() const { return lockCount_; }

  rtl::TNotifyEvent OnChange, OnChanging;

 protected:
  virtual void CreateHandle() {}
  void Changing();
  void Changed();
  // Selects the tools the next call needs.
  void RequirePen();
  void RequireBrush();
  void RequireFont();
  void DeselectHandles();

 private:
  HDC dc_ = nullptr;
  std::unique_ptr<TFont> font_;
  std::unique_ptr<TPen> pen_;
  std::unique_ptr<TBrush> brush_;
  DWORD copyMode_ = SRCCOPY;
  HGDIOBJ oldPen_ = nullptr, oldBrush_ = nullptr, oldFont_ = nullptr;
  bool penValid_ = false, brushValid_ = false, fontValid_ = false;
  std::recursive_mutex lock_;
  std::atomic<std::thread::id> owner_{};  // holder of lock_, if any
  std::atomic<int> lockCount_{0};         // nesting depth of the holder
};

}  // namespace gdi
