// Image lists: equally sized images kept with per-pixel transparency, drawn
// normally or in the disabled look (an etched outline in the button colours).
//
// Images are stored as premultiplied 32-bit pixels; a mask, a mask colour or a
// 32-bit image's own alpha says which pixels show. GUI thread.
#pragma once

#include <memory>

#include "platform/forms/Controls.h"
#include "platform/gdi/Bitmap.h"

namespace forms {

enum TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };

class TCustomImageList : public TComponent {
 public:
  explicit TCustomImageList(TComponent* owner);
  TCustomImageList(TComponent* owner, int width, int height);
  ~TCustomImageList() override;

  int Width() const { return width_; }
  int Height() const { return height_; }
  // Changing the size clears the list.
  void SetWidth(int v);
  void SetHeight(int v);
  void SetSize(int w, int h);
  int Count() const { return count_; }
  TColor BkColor() const { return bkColor_; }
  void SetBkColor(TColor v);
  TDrawingStyle DrawingStyle() const { return drawingStyle_; }
  void SetDrawingStyle(TDrawingStyle v) { drawingStyle_ = v; }

  // Adds the images of a bitmap (as many as fit across it); a mask pixel
  // that is not black hides the image pixel. Returns the first new index, or
  // -1 when the bitmap holds no whole image.
  int Add(gdi::TBitmap* image, gdi::TBitmap* mask);
  // As Add, with every pixel of maskColor transparent (clDefault: the
  // bottom-left pixel's colour).
  int AddMasked(gdi::TBitmap* image, TColor maskColor);
  void Replace(int index, gdi::TBitmap* image, gdi::TBitmap* mask);
  void Delete(int index);
  void Clear();
  void Move(int curIndex, int newIndex);

  void Draw(gdi::TCanvas* canvas, int x, int y, int index, bool enabled = true);
  void Draw(gdi::TCanvas* canvas, int x, int y, int index, TDrawingStyle style, bool enabled);
  void DrawToDC(HDC dc, int x, int y, int index, bool enabled);
  // The image (opaque pixels over BkColor, or clBtnFace when BkColor is clNone).
  void GetBitmap(int index, gdi::TBitmap* out);
  bool HandleAllocated() const { return count_ > 0; }

  TNotifyEvent OnChange;

 protected:
  void Change();

 private:
  int AddPixels(gdi::TBitmap* image, const std::function<std::uint8_t(int x, int y, std::uint32_t argb)>& alpha);
  void Grow(int newCount);
  gdi::Surface* Strip() const;
  void CheckIndex(int index) const;

  int width_ = 16, height_ = 16;
  int count_ = 0;
  TColor bkColor_ = gdi::clNone;
  TDrawingStyle drawingStyle_ = dsNormal;
  std::unique_ptr<gdi::TBitmap> strip_;  // Count images side by side, premultiplied
};

class TImageList : public TCustomImageList {
 public:
  using TCustomImageList::TCustomImageList;
};

}  // namespace forms
