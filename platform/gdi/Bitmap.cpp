#include "platform/gdi/Bitmap.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/gdi/ImageFormats.h"
#include "platform/rtl/Exceptions.h"

namespace gdi {

// ---- TGraphic --------------------------------------------------------------

void TGraphic::SetTransparent(bool v) {
  if (transparent_ == v) return;
  transparent_ = v;
  Changed();
}

void TGraphic::Changed() {
  modified_ = true;
  if (OnChange) OnChange(this);
}

void TGraphic::LoadFromFile(const rtl::String& fileName) {
  rtl::TFileStream f(fileName, rtl::fmOpenRead | rtl::fmShareDenyWrite);
  LoadFromStream(&f);
}

// An empty picture writes nothing, not even an empty file: a snapshot of no
// picture must leave no trace.
void TGraphic::SaveToFile(const rtl::String& fileName) {
  if (Empty()) return;
  rtl::TFileStream f(fileName, rtl::fmCreate);
  SaveToStream(&f);
}

// ---- TBitmap ---------------------------------------------------------------

class TBitmap::TBitmapCanvas : public TCanvas {
 public:
  explicit TBitmapCanvas(TBitmap* owner) : owner_(owner) {}

 protected:
  void CreateHandle() override { SetHandle(owner_->MemoryDC()); }

 private:
  TBitmap* owner_;
};

namespace {
int DepthOf(TPixelFormat f) {
  switch (f) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit:
    case pf24bit: return 24;
    default: return 32;
  }
}
}  // namespace

TBitmap::TBitmap() = default;
TBitmap::TBitmap(int width, int height) { SetSize(width, height); }

TBitmap::~TBitmap() {
  canvas_.reset();
  if (dc_) {
    SelectObject(dc_, oldBmp_);
    DeleteDC(dc_);
  }
  if (bmp_) DeleteObject(bmp_);
}

Surface* TBitmap::GetSurface() const { return bmp_ ? GetBitmapSurface(bmp_) : nullptr; }

HDC TBitmap::MemoryDC() {
  if (!dc_) {
    dc_ = CreateCompatibleDC(nullptr);
    if (bmp_) oldBmp_ = SelectObject(dc_, bmp_);
  }
  return dc_;
}

TCanvas* TBitmap::Canvas() {
  if (!canvas_) {
    canvas_ = std::make_unique<TBitmapCanvas>(this);
    // Drawing on the canvas changes the picture.
    canvas_->OnChange = [this](rtl::TObject*) { Changed(); };
  }
  return canvas_.get();
}

void TBitmap::TakeSurface(std::unique_ptr<Surface> s, TPixelFormat f) {
  HBITMAP nb = s ? CreateBitmapFromSurface(std::move(s)) : nullptr;
  Surface* ns = nb ? GetBitmapSurface(nb) : nullptr;
  if (dc_) {
    HGDIOBJ prev = SelectObject(dc_, nb ? static_cast<HGDIOBJ>(nb) : oldBmp_);
    if (!oldBmp_) oldBmp_ = prev;
  }
  if (bmp_) DeleteObject(bmp_);
  bmp_ = nb;
  format_ = f;
  width_ = ns ? ns->Width() : 0;
  height_ = ns ? ns->Height() : 0;
  Changed();
}

void TBitmap::Recreate(int w, int h, TPixelFormat f, bool keep) {
  w = std::max(0, w);
  h = std::max(0, h);
  if (w == 0 || h == 0) {
    TakeSurface(nullptr, f);
    width_ = w;
    height_ = h;
    return;
  }
  auto s = std::make_unique<Surface>(w, h, DepthOf(f), true);
  // A new picture starts white; the part the old one covers is copied.
  std::vector<std::uint32_t> row(w, 0x00FFFFFF);
  if (s->BitsPerPixel() <= 8) {
    if (Surface* old = GetSurface(); old && old->BitsPerPixel() == s->BitsPerPixel()) s->Palette() = old->Palette();
  }
  for (int y = 0; y < h; ++y) s->Commit(0, y, w, row.data());
  if (keep) {
    if (Surface* old = GetSurface()) {
      const int cw = std::min(w, old->Width()), ch = std::min(h, old->Height());
      std::vector<std::uint32_t> px(cw);
      for (int y = 0; y < ch; ++y) {
        if (old->BitsPerPixel() == s->BitsPerPixel()) {
          std::memcpy(s->Row(y), old->Row(y), std::size_t(std::min(s->Stride(), old->Stride())));
        } else {
          old->ReadSpan(0, y, cw, px.data());
          s->Commit(0, y, cw, px.data());
        }
      }
    }
  }
  TakeSurface(std::move(s), f);
}

void TBitmap::SetSize(int w, int h) {
  if (w == width_ && h == height_) return;
  Recreate(w, h, format_, true);
}

void TBitmap::SetPixelFormat(TPixelFormat f) {
  if (f == format_) return;
  if (Empty()) {
    format_ = f;
    Changed();
    return;
  }
  Recreate(width_, height_, f, true);
}

void* TBitmap::ScanLine(int y) {
  Surface* s = GetSurface();
  if (!s || y < 0 || y >= s->Height()) throw rtl::EInvalidGraphic("Scan line index out of range");
  return s->Row(y);
}

TColor TBitmap::TransparentColor() {
  if (transparentColor_ == clDefault) {
    Surface* s = GetSurface();
    if (!s) return clDefault;
    const std::uint32_t p = s->GetPixel(0, s->Height() - 1);
    return TColor(((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16));
  }
  return transparentColor_;
}

void TBitmap::SetTransparentColor(TColor c) {
  if (c == transparentColor_) return;
  transparentColor_ = c;
  transparentMode_ = c == clDefault ? tmAuto : tmFixed;
  Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode m) {
  if (m == transparentMode_) return;
  if (m == tmAuto) SetTransparentColor(clDefault);
  else SetTransparentColor(TransparentColor());
}

void TBitmap::Draw(TCanvas* canvas, const rtl::TRect& r) {
  if (Empty() || !canvas) return;
  HDC dst = canvas->Handle();
  HDC src = MemoryDC();
  if (Transparent()) {
    TransparentBlt(dst, r.Left, r.Top, r.Width(), r.Height(), src, 0, 0, width_, height_,
                   ColorToRGB(TransparentColor()));
  } else {
    StretchBlt(dst, r.Left, r.Top, r.Width(), r.Height(), src, 0, 0, width_, height_, canvas->CopyMode());
  }
}

void TBitmap::Assign(rtl::TPersistent* source) {
  if (!source) {
    TakeSurface(nullptr, format_);
    return;
  }
  if (auto* b = dynamic_cast<TBitmap*>(source)) {
    if (b == this) return;
    std::unique_ptr<Surface> copy;
    if (Surface* s = b->GetSurface()) {
      copy = std::make_unique<Surface>(s->Width(), s->Height(), s->BitsPerPixel(), true);
      copy->Palette() = s->Palette();
      for (int y = 0; y < s->Height(); ++y) std::memcpy(copy->Row(y), s->Row(y), std::size_t(s->Stride()));
    }
    transparent_ = b->transparent_;
    transparentColor_ = b->transparentColor_;
    transparentMode_ = b->transparentMode_;
    TakeSurface(std::move(copy), b->format_);
    if (!GetSurface()) {
      width_ = b->width_;
      height_ = b->height_;
    }
    return;
  }
  if (auto* image = dynamic_cast<TImageGraphic*>(source)) {
    // JPEG, PNG and GIF images hold a bitmap: take its pixels as they are.
    Assign(image->Bitmap());
    return;
  }
  if (auto* g = dynamic_cast<TGraphic*>(source)) {
    Recreate(g->Width(), g->Height(), format_ == pfDevice ? pf24bit : format_, false);
    if (!Empty()) g->Draw(Canvas(), rtl::Rect(0, 0, width_, height_));
    transparent_ = g->Transparent();
    return;
  }
  TPersistent::Assign(source);
}

void TBitmap::LoadFromStream(rtl::TStream* stream) {
  const rtl::Int64 start = stream->Position();
  const rtl::Int64 rest = stream->Size() - start;
  if (rest < 26) throw rtl::EInvalidGraphic("Bitmap image is not valid");
  // The file header sizes the file, so a stream may hold more after it; a
  // size that cannot be right (0 from some writers) means "to the end".
  std::uint8_t head[6];
  stream->ReadBuffer(head, 6);
  const rtl::Int64 fileSize = rtl::Int64(head[2]) | rtl::Int64(head[3]) << 8 | rtl::Int64(head[4]) << 16 |
                              rtl::Int64(head[5]) << 24;
  const rtl::Int64 take = fileSize >= 26 && fileSize <= rest ? fileSize : rest;
  std::vector<std::uint8_t> data(static_cast<std::size_t>(take));
  std::memcpy(data.data(), head, 6);
  stream->ReadBuffer(data.data() + 6, take - 6);
  try {
    ReadBmp(data.data(), data.size(), *this);
  } catch (...) {
    stream->SetPosition(start);
    throw;
  }
}

void TBitmap::SaveToStream(rtl::TStream* stream) {
  if (Empty()) return;
  const std::vector<std::uint8_t> bytes = WriteBmp(*this);
  stream->WriteBuffer(bytes.data(), rtl::Int64(bytes.size()));
}

}  // namespace gdi

namespace gdi {

namespace {
rtl::String Upper(rtl::String s) {
  for (char16_t& c : s)
    if (c >= u'a' && c <= u'z') c = char16_t(c - u'a' + u'A');
  return s;
}
std::mutex& ResourceLock() {
  static std::mutex m;
  return m;
}
std::map<rtl::String, std::vector<std::uint8_t>>& Resources() {
  static std::map<rtl::String, std::vector<std::uint8_t>> r;
  return r;
}
}  // namespace

void RegisterBitmapResource(const rtl::String& name, std::vector<std::uint8_t> bmpFile) {
  std::lock_guard lock(ResourceLock());
  Resources()[Upper(name)] = std::move(bmpFile);
}

const std::vector<std::uint8_t>* FindBitmapResource(const rtl::String& name) {
  std::lock_guard lock(ResourceLock());
  auto it = Resources().find(Upper(name));
  return it == Resources().end() ? nullptr : &it->second;
}

void TBitmap::LoadFromResourceName(std::uintptr_t, const rtl::String& name) {
  const std::vector<std::uint8_t>* data = FindBitmapResource(name);
  if (!data) throw EResNotFound(u"Resource " + name + u" not found");
  ReadBmp(data->data(), data->size(), *this);
}

}  // namespace gdi
