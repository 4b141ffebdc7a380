#include "platform/forms/Icon.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/gdi/Gdi.h"
#include "platform/gdi/PngCodec.h"

namespace forms {

using gdi::Surface;
using namespace win;

namespace {

constexpr int kMaxIconSide = 1024;

std::uint16_t Get16(const std::uint8_t* p) { return std::uint16_t(p[0] | (p[1] << 8)); }
std::uint32_t Get32(const std::uint8_t* p) { return std::uint32_t(p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24)); }
void Put16(std::vector<std::uint8_t>& v, unsigned x) { v.push_back(std::uint8_t(x)), v.push_back(std::uint8_t(x >> 8)); }
void Put32(std::vector<std::uint8_t>& v, std::uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(std::uint8_t(x >> (8 * i)));
}

[[noreturn]] void Corrupt() { throw rtl::EInvalidGraphic("Invalid icon file"); }

// An icon from straight-alpha ARGB pixels.
HICON MakeIcon(const Surface& argb) {
  int w = argb.Width(), h = argb.Height();
  int maskStride = ((w + 15) / 16) * 2;
  std::vector<std::uint8_t> mask(std::size_t(maskStride) * h, 0);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if ((argb.Row32(y)[x] >> 24) == 0) mask[std::size_t(y) * maskStride + x / 8] |= std::uint8_t(0x80 >> (x % 8));
  auto color = std::make_unique<Surface>(w, h, 32);
  for (int y = 0; y < h; ++y) std::memcpy(color->Row32(y), argb.Row32(y), std::size_t(w) * 4);
  ICONINFO ii;
  ii.fIcon = TRUE;
  ii.hbmColor = gdi::CreateBitmapFromSurface(std::move(color));
  ii.hbmMask = gdi::CreateBitmap(w, h, 1, 1, mask.data());
  HICON icon = CreateIconIndirect(&ii);
  gdi::DeleteObject(ii.hbmColor);
  gdi::DeleteObject(ii.hbmMask);
  return icon;
}

// One image of an .ico file, as ARGB pixels.
std::unique_ptr<Surface> DecodeEntry(const std::uint8_t* d, std::size_t n) {
  static const std::uint8_t png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (n >= 8 && std::memcmp(d, png, 8) == 0) return gdi::DecodePng(d, n, nullptr);
  if (n < 40) Corrupt();
  std::uint32_t hdr = Get32(d);
  int w = int(std::int32_t(Get32(d + 4)));
  int h2 = int(std::int32_t(Get32(d + 8)));
  int bpp = Get16(d + 14);
  if (hdr < 40 || hdr > n || w <= 0 || w > kMaxIconSide || h2 <= 0 || h2 > 2 * kMaxIconSide || (bpp != 32 && bpp != 24))
    Corrupt();
  int h = h2 / 2;
  if (h <= 0) Corrupt();
  std::size_t stride = ((std::size_t(w) * bpp + 31) / 32) * 4;
  std::size_t maskStride = ((std::size_t(w) + 31) / 32) * 4;
  const std::uint8_t* pix = d + hdr;
  std::size_t need = hdr + stride * h;
  if (need > n) Corrupt();
  bool hasMask = need + maskStride * h <= n;
  const std::uint8_t* mask = pix + stride * h;
  auto s = std::make_unique<Surface>(w, h, 32);
  bool anyAlpha = false;
  for (int y = 0; y < h; ++y) {
    const std::uint8_t* row = pix + stride * std::size_t(h - 1 - y);  // bottom-up
    for (int x = 0; x < w; ++x) {
      const std::uint8_t* p = row + std::size_t(x) * (bpp / 8);
      std::uint32_t a = bpp == 32 ? p[3] : 255;
      if (bpp == 32 && a) anyAlpha = true;
      s->Row32(y)[x] = (a << 24) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[1]) << 8) | p[0];
    }
  }
  if (!anyAlpha || bpp == 24) {
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        bool transparent = hasMask && (mask[maskStride * std::size_t(h - 1 - y) + x / 8] & (0x80 >> (x % 8)));
        std::uint32_t& px = s->Row32(y)[x];
        px = (px & 0xFFFFFF) | (transparent ? 0u : 0xFF000000u);
      }
  }
  return s;
}

}  // namespace

TIcon::TIcon() = default;

TIcon::~TIcon() {
  if (handle_) DestroyIcon(handle_);
}

void TIcon::SetHandle(HICON h) {
  if (h == handle_) return;
  if (handle_) DestroyIcon(handle_);
  handle_ = h;
  Changed();
}

HICON TIcon::ReleaseHandle() {
  HICON h = handle_;
  handle_ = nullptr;
  return h;
}

int TIcon::Width() const {
  SIZE s;
  return handle_ && GetIconSize(handle_, &s) ? s.cx : 0;
}

int TIcon::Height() const {
  SIZE s;
  return handle_ && GetIconSize(handle_, &s) ? s.cy : 0;
}

void TIcon::SetWidth(int) { throw rtl::EInvalidGraphicOperation("Cannot change the size of an icon"); }
void TIcon::SetHeight(int) { throw rtl::EInvalidGraphicOperation("Cannot change the size of an icon"); }

void TIcon::Assign(rtl::TPersistent* source) {
  if (!source) {
    SetHandle(nullptr);
    return;
  }
  if (auto* i = dynamic_cast<TIcon*>(source)) {
    SetHandle(i->handle_ ? CopyIcon(i->handle_) : nullptr);
    return;
  }
  if (auto* b = dynamic_cast<gdi::TBitmap*>(source)) {
    LoadFromBitmap(b);
    return;
  }
  TGraphic::Assign(source);
}

void TIcon::LoadFromBitmap(gdi::TBitmap* image, gdi::TBitmap* mask) {
  if (!image || image->Empty()) {
    SetHandle(nullptr);
    return;
  }
  Surface* src = image->GetSurface();
  int w = image->Width(), h = image->Height();
  Surface argb(w, h, 32);
  bool useAlpha = false;
  if (!mask && image->PixelFormat() == gdi::pf32bit)
    for (int y = 0; y < h && !useAlpha; ++y)
      for (int x = 0; x < w; ++x)
        if (src->GetPixel(x, y) >> 24) {
          useAlpha = true;
          break;
        }
  Surface* m = mask && !mask->Empty() ? mask->GetSurface() : nullptr;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint32_t p = src->GetPixel(x, y);
      std::uint32_t a = useAlpha ? (p >> 24) : (m && (m->GetPixel(x, y) & 0xFFFFFF)) ? 0 : 255;
      argb.Row32(y)[x] = (a << 24) | (p & 0xFFFFFF);
    }
  SetHandle(MakeIcon(argb));
}

void TIcon::SaveToBitmap(gdi::TBitmap* out) const {
  out->SetPixelFormat(gdi::pf32bit);
  if (!handle_) {
    out->SetSize(0, 0);
    return;
  }
  int w = Width(), h = Height();
  auto s = std::make_unique<Surface>(w, h, 32);
  ICONINFO ii;
  if (GetIconInfo(handle_, &ii)) {
    Surface* color = ii.hbmColor ? gdi::GetBitmapSurface(ii.hbmColor) : nullptr;
    Surface* mask = ii.hbmMask ? gdi::GetBitmapSurface(ii.hbmMask) : nullptr;
    bool anyAlpha = false;
    if (color)
      for (int y = 0; y < h && !anyAlpha; ++y)
        for (int x = 0; x < w; ++x)
          if (color->GetPixel(x, y) >> 24) {
            anyAlpha = true;
            break;
          }
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        std::uint32_t p = color ? color->GetPixel(x, y) : ((mask && (mask->GetPixel(x, y + h) & 0xFFFFFF)) ? 0xFFFFFF : 0);
        std::uint32_t a = anyAlpha ? (p >> 24) : (mask && (mask->GetPixel(x, y) & 0xFFFFFF)) ? 0 : 255;
        s->Row32(y)[x] = (a << 24) | (p & 0xFFFFFF);
      }
    if (ii.hbmColor) gdi::DeleteObject(ii.hbmColor);
    if (ii.hbmMask) gdi::DeleteObject(ii.hbmMask);
  }
  out->TakeSurface(std::move(s), gdi::pf32bit);
}

void TIcon::LoadFromStream(rtl::TStream* stream) {
  rtl::Int64 size = stream->Size() - stream->Position();
  if (size < 6 || size > (64 << 20)) Corrupt();
  std::vector<std::uint8_t> data(static_cast<std::size_t>(size));
  stream->ReadBuffer(data.data(), size);
  if (Get16(&data[0]) != 0 || Get16(&data[2]) != 1) Corrupt();
  int count = Get16(&data[4]);
  if (count == 0 || 6 + std::size_t(count) * 16 > data.size()) Corrupt();
  // The largest image, deepest first among equals.
  int best = -1;
  long bestArea = -1;
  int bestBpp = -1;
  for (int i = 0; i < count; ++i) {
    const std::uint8_t* e = &data[6 + std::size_t(i) * 16];
    long w = e[0] ? e[0] : 256, h = e[1] ? e[1] : 256;
    int bpp = Get16(e + 6);
    if (w * h > bestArea || (w * h == bestArea && bpp > bestBpp)) best = i, bestArea = w * h, bestBpp = bpp;
  }
  const std::uint8_t* e = &data[6 + std::size_t(best) * 16];
  std::uint32_t len = Get32(e + 8), off = Get32(e + 12);
  if (off >= data.size() || len > data.size() - off) Corrupt();
  auto argb = DecodeEntry(&data[off], len);
  SetHandle(MakeIcon(*argb));
}

void TIcon::SaveToStream(rtl::TStream* stream) {
  if (!handle_) return;
  gdi::TBitmap bmp;
  SaveToBitmap(&bmp);
  Surface* s = bmp.GetSurface();
  int w = s->Width(), h = s->Height();
  std::size_t maskStride = ((std::size_t(w) + 31) / 32) * 4;
  std::vector<std::uint8_t> img;
  Put32(img, 40);
  Put32(img, std::uint32_t(w));
  Put32(img, std::uint32_t(h * 2));
  Put16(img, 1);
  Put16(img, 32);
  Put32(img, 0);
  Put32(img, std::uint32_t(std::size_t(w) * h * 4 + maskStride * h));
  for (int i = 0; i < 4; ++i) Put32(img, 0);
  for (int y = h - 1; y >= 0; --y)
    for (int x = 0; x < w; ++x) Put32(img, s->Row32(y)[x]);
  for (int y = h - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(maskStride, 0);
    for (int x = 0; x < w; ++x)
      if ((s->Row32(y)[x] >> 24) == 0) row[std::size_t(x / 8)] |= std::uint8_t(0x80 >> (x % 8));
    img.insert(img.end(), row.begin(), row.end());
  }
  std::vector<std::uint8_t> file;
  Put16(file, 0);
  Put16(file, 1);
  Put16(file, 1);
  file.push_back(std::uint8_t(w >= 256 ? 0 : w));
  file.push_back(std::uint8_t(h >= 256 ? 0 : h));
  file.push_back(0);
  file.push_back(0);
  Put16(file, 1);
  Put16(file, 32);
  Put32(file, std::uint32_t(img.size()));
  Put32(file, 22);
  file.insert(file.end(), img.begin(), img.end());
  stream->WriteBuffer(file.data(), rtl::Int64(file.size()));
}

void TIcon::Draw(gdi::TCanvas* canvas, const rtl::TRect& r) {
  if (!handle_ || !canvas) return;
  DrawIconEx(canvas->Handle(), r.Left, r.Top, handle_, r.Width(), r.Height(), 0, nullptr, DI_NORMAL);
}

}  // namespace forms
