#include "platform/gdi/ImageFormats.h"

#include <algorithm>
#include <cstring>

#include "platform/gdi/PngCodec.h"
#include "platform/rtl/Exceptions.h"

namespace gdi {

namespace {
std::vector<std::uint8_t> ReadRest(rtl::TStream* stream) {
  const rtl::Int64 n = stream->Size() - stream->Position();
  std::vector<std::uint8_t> data(static_cast<std::size_t>(std::max<rtl::Int64>(0, n)));
  if (!data.empty()) stream->ReadBuffer(data.data(), rtl::Int64(data.size()));
  return data;
}

void Write(rtl::TStream* stream, const std::vector<std::uint8_t>& bytes) {
  stream->WriteBuffer(bytes.data(), rtl::Int64(bytes.size()));
}

const Surface& PictureOf(TBitmap* b) {
  Surface* s = b->GetSurface();
  if (!s) throw rtl::EInvalidGraphic("Cannot save an empty image");
  return *s;
}
}  // namespace

// ---- TImageGraphic ---------------------------------------------------------

TImageGraphic::TImageGraphic() : bitmap_(std::make_unique<TBitmap>()) {}

void TImageGraphic::Assign(rtl::TPersistent* source) {
  if (auto* i = dynamic_cast<TImageGraphic*>(source)) {
    if (i == this) return;
    bitmap_->Assign(i->bitmap_.get());
    transparent_ = i->transparent_;
    Changed();
    return;
  }
  if (auto* g = dynamic_cast<TGraphic*>(source)) {
    bitmap_->Assign(g);
    transparent_ = g->Transparent();
    Changed();
    return;
  }
  TGraphic::Assign(source);
}

void TImageGraphic::AssignTo(rtl::TPersistent* dest) {
  if (auto* b = dynamic_cast<TBitmap*>(dest)) {
    b->Assign(bitmap_.get());
    return;
  }
  TGraphic::AssignTo(dest);
}

void TImageGraphic::Draw(TCanvas* canvas, const rtl::TRect& r) { bitmap_->Draw(canvas, r); }

void TImageGraphic::SetTransparent(bool v) {
  bitmap_->SetTransparent(v);
  TGraphic::SetTransparent(v);
}

// ---- TJPEGImage ------------------------------------------------------------

void TJPEGImage::Assign(rtl::TPersistent* source) {
  if (auto* j = dynamic_cast<TJPEGImage*>(source)) {
    quality_ = j->quality_;
    grayscale_ = j->grayscale_;
  }
  TImageGraphic::Assign(source);
}

void TJPEGImage::SetCompressionQuality(int q) { quality_ = std::clamp(q, 1, 100); }

void TJPEGImage::LoadFromStream(rtl::TStream* stream) {
  const std::vector<std::uint8_t> data = ReadRest(stream);
  bitmap_->TakeSurface(DecodeJpeg(data.data(), data.size()), pf32bit);
  bitmap_->SetPixelFormat(pf24bit);
  Changed();
}

void TJPEGImage::SaveToStream(rtl::TStream* stream) {
  if (Empty()) return;
  Write(stream, EncodeJpeg(PictureOf(bitmap_.get()), quality_, grayscale_));
}

// ---- TPNGImage -------------------------------------------------------------

void TPNGImage::Assign(rtl::TPersistent* source) {
  if (auto* p = dynamic_cast<TPNGImage*>(source)) alpha_ = p->alpha_;
  else if (dynamic_cast<TGraphic*>(source)) alpha_ = false;
  TImageGraphic::Assign(source);
}

void TPNGImage::LoadFromStream(rtl::TStream* stream) {
  const std::vector<std::uint8_t> data = ReadRest(stream);
  bool hasAlpha = false;
  std::unique_ptr<Surface> s = DecodePng(data.data(), data.size(), &hasAlpha);
  bitmap_->TakeSurface(std::move(s), pf32bit);
  if (!hasAlpha) bitmap_->SetPixelFormat(pf24bit);
  alpha_ = hasAlpha;
  Changed();
}

void TPNGImage::SaveToStream(rtl::TStream* stream) {
  if (Empty()) return;
  const Surface& s = PictureOf(bitmap_.get());
  Write(stream, EncodePng(s, alpha_ && s.BitsPerPixel() == 32));
}

// ---- TGIFImage -------------------------------------------------------------

void TGIFImage::LoadFromStream(rtl::TStream* stream) {
  const std::vector<std::uint8_t> data = ReadRest(stream);
  int key = -1;
  std::unique_ptr<Surface> s = DecodeGif(data.data(), data.size(), &key);
  bitmap_->TakeSurface(std::move(s), pf32bit);
  bitmap_->SetPixelFormat(pf24bit);
  const bool transparent = key >= 0;
  if (transparent)
    bitmap_->SetTransparentColor(TColor(((key >> 16) & 0xFF) | (key & 0xFF00) | ((key & 0xFF) << 16)));
  SetTransparent(transparent);
  Changed();
}

void TGIFImage::SaveToStream(rtl::TStream* stream) {
  if (Empty()) return;
  const Surface& s = PictureOf(bitmap_.get());
  int key = -1;
  if (Transparent()) {
    const COLORREF c = ColorToRGB(bitmap_->TransparentColor());
    key = int(((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF));
  }
  Write(stream, EncodeGif(s, key));
}

// ---- TPicture --------------------------------------------------------------

namespace {
std::unique_ptr<TGraphic> NewLike(TGraphic* g) {
  if (dynamic_cast<TJPEGImage*>(g)) return std::make_unique<TJPEGImage>();
  if (dynamic_cast<TPNGImage*>(g)) return std::make_unique<TPNGImage>();
  if (dynamic_cast<TGIFImage*>(g)) return std::make_unique<TGIFImage>();
  if (dynamic_cast<TIconImage*>(g)) return std::make_unique<TIconImage>();
  if (dynamic_cast<TTIFFImage*>(g)) return std::make_unique<TTIFFImage>();
  if (dynamic_cast<TMetafile*>(g)) return std::make_unique<TMetafile>();
  return std::make_unique<TBitmap>();
}

std::unique_ptr<TGraphic> ForExtension(const rtl::String& fileName) {
  const auto dot = fileName.find_last_of(u'.');
  const auto slash = fileName.find_last_of(u'/');
  rtl::String ext = dot == rtl::String::npos || (slash != rtl::String::npos && dot < slash) ? u"" : fileName.substr(dot + 1);
  for (char16_t& c : ext)
    if (c >= u'A' && c <= u'Z') c = char16_t(c - u'A' + u'a');
  if (ext == u"bmp" || ext == u"dib") return std::make_unique<TBitmap>();
  if (ext == u"jpg" || ext == u"jpeg" || ext == u"jpe") return std::make_unique<TJPEGImage>();
  if (ext == u"png") return std::make_unique<TPNGImage>();
  if (ext == u"gif") return std::make_unique<TGIFImage>();
  if (ext == u"ico") return std::make_unique<TIconImage>();
  if (ext == u"tif" || ext == u"tiff") return std::make_unique<TTIFFImage>();
  if (ext == u"wmf" || ext == u"emf") return std::make_unique<TMetafile>();
  throw rtl::EInvalidGraphic(u"Unknown picture file extension (." + ext + u")");
}
}  // namespace

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Changed() {
  if (OnChange) OnChange(this);
}

void TPicture::Adopt(std::unique_ptr<TGraphic> g) {
  graphic_ = std::move(g);
  if (graphic_) graphic_->OnChange = [this](rtl::TObject*) { Changed(); };
  Changed();
}

void TPicture::SetGraphic(TGraphic* g) {
  if (!g) {
    Adopt(nullptr);
    return;
  }
  if (g == graphic_.get()) return;
  std::unique_ptr<TGraphic> copy = NewLike(g);
  copy->Assign(g);
  Adopt(std::move(copy));
}

TBitmap* TPicture::Bitmap() {
  if (!dynamic_cast<TBitmap*>(graphic_.get())) Adopt(std::make_unique<TBitmap>());
  return static_cast<TBitmap*>(graphic_.get());
}

void TPicture::Assign(rtl::TPersistent* source) {
  if (!source) {
    SetGraphic(nullptr);
  } else if (auto* p = dynamic_cast<TPicture*>(source)) {
    if (p != this) SetGraphic(p->graphic_.get());
  } else if (auto* g = dynamic_cast<TGraphic*>(source)) {
    SetGraphic(g);
  } else {
    TPersistent::Assign(source);
  }
}

void TPicture::AssignTo(rtl::TPersistent* dest) {
  if (auto* g = dynamic_cast<TGraphic*>(dest); g && graphic_) {
    g->Assign(graphic_.get());
    return;
  }
  TPersistent::AssignTo(dest);
}

void TPicture::LoadFromFile(const rtl::String& fileName) {
  std::unique_ptr<TGraphic> g = ForExtension(fileName);
  g->LoadFromFile(fileName);
  Adopt(std::move(g));
}

void TPicture::SaveToFile(const rtl::String& fileName) {
  if (graphic_) graphic_->SaveToFile(fileName);
}

}  // namespace gdi
