#include "platform/forms/ImgList.h"

#include <algorithm>

#include "platform/gdi/Gdi.h"

namespace forms {

using gdi::Surface;

namespace {

std::uint32_t Premultiply(std::uint32_t rgb, std::uint8_t a) {
  auto ch = [a](std::uint32_t v) { return (v * a + 127) / 255; };
  return (std::uint32_t(a) << 24) | (ch((rgb >> 16) & 0xFF) << 16) | (ch((rgb >> 8) & 0xFF) << 8) | ch(rgb & 0xFF);
}

std::uint32_t Rgb(TColor c) {
  gdi::COLORREF r = gdi::ColorToRGB(c);  // 0x00BBGGRR
  return ((r & 0xFF) << 16) | (r & 0xFF00) | ((r >> 16) & 0xFF);
}

}  // namespace

TCustomImageList::TCustomImageList(TComponent* owner) : TComponent(owner) {}

TCustomImageList::TCustomImageList(TComponent* owner, int width, int height) : TComponent(owner) {
  width_ = std::max(1, width);
  height_ = std::max(1, height);
}

TCustomImageList::~TCustomImageList() = default;

void TCustomImageList::SetWidth(int v) { SetSize(v, height_); }
void TCustomImageList::SetHeight(int v) { SetSize(width_, v); }

void TCustomImageList::SetSize(int w, int h) {
  w = std::max(1, w);
  h = std::max(1, h);
  if (w == width_ && h == height_) return;
  width_ = w, height_ = h;
  count_ = 0;
  strip_.reset();
  Change();
}

void TCustomImageList::SetBkColor(TColor v) {
  if (v == bkColor_) return;
  bkColor_ = v;
  Change();
}

void TCustomImageList::Change() {
  if (OnChange) OnChange(this);
}

Surface* TCustomImageList::Strip() const { return strip_ ? strip_->GetSurface() : nullptr; }

void TCustomImageList::Grow(int newCount) {
  auto next = std::make_unique<gdi::TBitmap>();
  next->SetPixelFormat(gdi::pf32bit);
  next->SetSize(width_ * std::max(1, newCount), height_);
  Surface* dst = next->GetSurface();
  for (int y = 0; y < height_; ++y) std::fill_n(dst->Row32(y), dst->Width(), 0u);
  if (Surface* src = Strip()) {
    int w = std::min(src->Width(), dst->Width());
    for (int y = 0; y < height_; ++y) std::copy_n(src->Row32(y), w, dst->Row32(y));
  }
  strip_ = std::move(next);
}

int TCustomImageList::AddPixels(gdi::TBitmap* image,
                                const std::function<std::uint8_t(int, int, std::uint32_t)>& alpha) {
  if (!image || image->Empty()) return -1;
  int n = image->Width() / width_;
  if (n <= 0 || image->Height() < height_) return -1;
  Surface* src = image->GetSurface();
  int first = count_;
  Grow(count_ + n);
  Surface* dst = Strip();
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < n * width_; ++x) {
      std::uint32_t p = src->GetPixel(x, y);
      dst->Row32(y)[first * width_ + x] = Premultiply(p & 0xFFFFFF, alpha(x, y, p));
    }
  count_ += n;
  Change();
  return first;
}

int TCustomImageList::Add(gdi::TBitmap* image, gdi::TBitmap* mask) {
  if (!image || image->Empty()) return -1;
  Surface* src = image->GetSurface();
  bool hasAlpha = false;
  if (!mask && image->PixelFormat() == gdi::pf32bit)
    for (int y = 0; y < src->Height() && !hasAlpha; ++y)
      for (int x = 0; x < src->Width(); ++x)
        if (src->GetPixel(x, y) >> 24) {
          hasAlpha = true;
          break;
        }
  Surface* m = mask && !mask->Empty() ? mask->GetSurface() : nullptr;
  return AddPixels(image, [&](int x, int y, std::uint32_t p) -> std::uint8_t {
    if (m) return (m->GetPixel(x, y) & 0xFFFFFF) ? 0 : 255;
    return hasAlpha ? std::uint8_t(p >> 24) : 255;
  });
}

int TCustomImageList::AddMasked(gdi::TBitmap* image, TColor maskColor) {
  if (!image || image->Empty()) return -1;
  std::uint32_t key = maskColor == gdi::clDefault ? image->GetSurface()->GetPixel(0, image->Height() - 1) & 0xFFFFFF
                                                  : Rgb(maskColor);
  return AddPixels(image, [key](int, int, std::uint32_t p) -> std::uint8_t { return (p & 0xFFFFFF) == key ? 0 : 255; });
}

void TCustomImageList::CheckIndex(int index) const {
  if (index < 0 || index >= count_) throw rtl::EInvalidOperation("Invalid image list index");
}

void TCustomImageList::Replace(int index, gdi::TBitmap* image, gdi::TBitmap* mask) {
  CheckIndex(index);
  TCustomImageList tmp(nullptr, width_, height_);
  if (tmp.Add(image, mask) < 0) return;
  Surface* src = tmp.Strip();
  Surface* dst = Strip();
  for (int y = 0; y < height_; ++y) std::copy_n(src->Row32(y), width_, dst->Row32(y) + index * width_);
  Change();
}

void TCustomImageList::Delete(int index) {
  CheckIndex(index);
  Surface* s = Strip();
  for (int y = 0; y < height_; ++y) {
    std::uint32_t* row = s->Row32(y);
    std::copy(row + (index + 1) * width_, row + count_ * width_, row + index * width_);
  }
  --count_;
  Change();
}

void TCustomImageList::Clear() {
  count_ = 0;
  strip_.reset();
  Change();
}

void TCustomImageList::Move(int curIndex, int newIndex) {
  CheckIndex(curIndex);
  CheckIndex(newIndex);
  if (curIndex == newIndex) return;
  Surface* s = Strip();
  for (int y = 0; y < height_; ++y) {
    std::uint32_t* row = s->Row32(y);
    std::vector<std::uint32_t> img(row + curIndex * width_, row + (curIndex + 1) * width_);
    if (curIndex < newIndex) std::copy(row + (curIndex + 1) * width_, row + (newIndex + 1) * width_, row + curIndex * width_);
    else std::copy_backward(row + newIndex * width_, row + curIndex * width_, row + (curIndex + 1) * width_);
    std::copy(img.begin(), img.end(), row + newIndex * width_);
  }
  Change();
}

void TCustomImageList::Draw(gdi::TCanvas* canvas, int x, int y, int index, bool enabled) {
  Draw(canvas, x, y, index, drawingStyle_, enabled);
}

void TCustomImageList::Draw(gdi::TCanvas* canvas, int x, int y, int index, TDrawingStyle, bool enabled) {
  if (!canvas) return;
  DrawToDC(canvas->Handle(), x, y, index, enabled);
}

void TCustomImageList::DrawToDC(HDC dc, int x, int y, int index, bool enabled) {
  if (!dc || index < 0 || index >= count_) return;
  gdi::TBitmap img;
  img.SetPixelFormat(gdi::pf32bit);
  img.SetSize(width_, height_);
  Surface* d = img.GetSurface();
  Surface* s = Strip();
  if (enabled) {
    for (int r = 0; r < height_; ++r) std::copy_n(s->Row32(r) + index * width_, width_, d->Row32(r));
  } else {
    // The disabled look: the image's shape in the highlight colour one pixel
    // down and right, under the same shape in the shadow colour.
    for (int r = 0; r < height_; ++r) std::fill_n(d->Row32(r), width_, 0u);
    std::uint32_t hi = Rgb(gdi::clBtnHighlight), sh = Rgb(gdi::clBtnShadow);
    for (int r = 0; r < height_; ++r)
      for (int c = 0; c < width_; ++c) {
        std::uint8_t a = std::uint8_t(s->Row32(r)[index * width_ + c] >> 24);
        if (a < 128) continue;
        if (r + 1 < height_ && c + 1 < width_) d->Row32(r + 1)[c + 1] = Premultiply(hi, 255);
      }
    for (int r = 0; r < height_; ++r)
      for (int c = 0; c < width_; ++c) {
        std::uint8_t a = std::uint8_t(s->Row32(r)[index * width_ + c] >> 24);
        if (a >= 128) d->Row32(r)[c] = Premultiply(sh, 255);
      }
  }
  HDC src = img.Canvas()->Handle();
  if (bkColor_ != gdi::clNone) {
    gdi::HBRUSH b = gdi::CreateSolidBrush(gdi::ColorToRGB(bkColor_));
    gdi::RECT r = rtl::Bounds(x, y, width_, height_);
    gdi::FillRect(dc, &r, b);
    gdi::DeleteObject(b);
  }
  gdi::BLENDFUNCTION bf;
  bf.AlphaFormat = gdi::AC_SRC_ALPHA;
  gdi::AlphaBlend(dc, x, y, width_, height_, src, 0, 0, width_, height_, bf);
}

void TCustomImageList::GetBitmap(int index, gdi::TBitmap* out) {
  CheckIndex(index);
  out->SetPixelFormat(gdi::pf32bit);
  out->SetSize(width_, height_);
  TColor bk = bkColor_ == gdi::clNone ? gdi::clBtnFace : bkColor_;
  out->Canvas()->Brush()->SetColor(bk);
  out->Canvas()->FillRect(rtl::Rect(0, 0, width_, height_));
  DrawToDC(out->Canvas()->Handle(), 0, 0, index, true);
}

}  // namespace forms
