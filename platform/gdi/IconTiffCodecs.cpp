// .ico entries (decoded here, their DIBs through the BMP reader) and TIFF
// through libtiff.
#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/gdi/ImageFormats.h"
#include "platform/gdi/PngCodec.h"
#include "platform/rtl/Exceptions.h"

namespace gdi {

namespace {

constexpr int kMaxSide = 16384;
constexpr std::int64_t kMaxPixels = std::int64_t(64) << 20;

std::uint32_t U32(const std::uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24; }
std::uint16_t U16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }
void Put32(std::vector<std::uint8_t>& v, std::uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(std::uint8_t(x >> (8 * i)));
}

[[noreturn]] void BadIcon(const char* why) { throw rtl::EInvalidGraphic((std::string("Invalid icon file: ") + why).c_str()); }

std::vector<std::uint8_t> ReadAll(rtl::TStream* stream) {
  const rtl::Int64 n = stream->Size() - stream->Position();
  std::vector<std::uint8_t> data(static_cast<std::size_t>(std::max<rtl::Int64>(0, n)));
  if (!data.empty()) stream->ReadBuffer(data.data(), rtl::Int64(data.size()));
  return data;
}

struct TDirEntry {
  TIconEntry Info;
  std::size_t Offset = 0, Size = 0;
};

std::vector<TDirEntry> ReadDirectory(const std::uint8_t* d, std::size_t n) {
  if (n < 6 || U16(d) != 0 || (U16(d + 2) != 1 && U16(d + 2) != 2)) BadIcon("no icon directory");
  const int count = U16(d + 4);
  if (count == 0) BadIcon("no images");
  if (6 + std::size_t(count) * 16 > n) BadIcon("truncated directory");
  std::vector<TDirEntry> out;
  static const std::uint8_t png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  for (int i = 0; i < count; ++i) {
    const std::uint8_t* e = d + 6 + 16 * i;
    TDirEntry de;
    de.Size = U32(e + 8);
    de.Offset = U32(e + 12);
    if (de.Offset >= n || de.Size > n - de.Offset || de.Size < 8) BadIcon("image outside the file");
    const std::uint8_t* img = d + de.Offset;
    if (std::memcmp(img, png, 8) == 0) {
      de.Info.Png = true;
      de.Info.BitCount = 32;
      if (de.Size < 24) BadIcon("truncated PNG image");
      de.Info.Width = int(img[16] << 24 | img[17] << 16 | img[18] << 8 | img[19]);
      de.Info.Height = int(img[20] << 24 | img[21] << 16 | img[22] << 8 | img[23]);
    } else {
      if (de.Size < 40) BadIcon("truncated image header");
      de.Info.Width = int(std::int32_t(U32(img + 4)));
      de.Info.Height = int(std::int32_t(U32(img + 8))) / 2;
      de.Info.BitCount = U16(img + 14);
    }
    out.push_back(de);
  }
  return out;
}

// A DIB entry: colour bits through the BMP reader (header height halved),
// then the AND mask for an entry whose pixels carry no alpha.
std::unique_ptr<Surface> DecodeDibEntry(const std::uint8_t* img, std::size_t n) {
  const std::uint32_t hdr = U32(img);
  if (hdr < 40 || hdr > n) BadIcon("bad image header");
  const int w = int(std::int32_t(U32(img + 4)));
  const int h2 = int(std::int32_t(U32(img + 8)));
  const int bpp = U16(img + 14);
  const std::uint32_t compression = U32(img + 16);
  if (w <= 0 || h2 <= 1 || w > kMaxSide || h2 / 2 > kMaxSide || std::int64_t(w) * (h2 / 2) > kMaxPixels)
    BadIcon("bad image size");
  if (compression != 0) BadIcon("compressed image data");
  const int h = h2 / 2;
  std::uint32_t colors = 0;
  if (bpp <= 8) {
    colors = U32(img + 32) ? U32(img + 32) : (1u << bpp);
    if (colors > 256) BadIcon("bad palette");
  }
  const std::size_t colorBytes = std::size_t(colors) * 4;
  const std::size_t stride = ((std::size_t(w) * bpp + 31) / 32) * 4;
  const std::size_t xorStart = hdr + colorBytes;
  if (xorStart + stride * h > n) BadIcon("truncated image");
  // A BMP file around the entry's header, palette and colour bits.
  std::vector<std::uint8_t> bmp{'B', 'M'};
  Put32(bmp, std::uint32_t(14 + xorStart + stride * h));
  Put32(bmp, 0);
  Put32(bmp, std::uint32_t(14 + xorStart));
  bmp.insert(bmp.end(), img, img + xorStart + stride * h);
  const std::int32_t half = h;
  std::memcpy(bmp.data() + 14 + 8, &half, 4);
  TBitmap colour;
  ReadBmp(bmp.data(), bmp.size(), colour);
  const Surface* cs = colour.GetSurface();
  if (!cs) BadIcon("no colour bits");
  auto out = std::make_unique<Surface>(w, h, 32);
  bool anyAlpha = false;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const std::uint32_t p = cs->GetPixel(x, y);
      const std::uint32_t a = bpp == 32 ? (p >> 24) : 0xFF;
      if (bpp == 32 && a) anyAlpha = true;
      out->Row32(y)[x] = (a << 24) | (p & 0xFFFFFF);
    }
  if (bpp != 32 || !anyAlpha) {
    const std::size_t maskStride = ((std::size_t(w) + 31) / 32) * 4;
    const std::size_t maskStart = xorStart + stride * h;
    const bool hasMask = maskStart + maskStride * h <= n;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) {
        const bool clear = hasMask && (img[maskStart + maskStride * std::size_t(h - 1 - y) + x / 8] & (0x80 >> (x % 8)));
        std::uint32_t& px = out->Row32(y)[x];
        px = (px & 0xFFFFFF) | (clear ? 0u : 0xFF000000u);
      }
  }
  return out;
}

}  // namespace

std::vector<TIconEntry> IcoEntries(const std::uint8_t* data, std::size_t size) {
  std::vector<TIconEntry> r;
  for (const TDirEntry& e : ReadDirectory(data, size)) r.push_back(e.Info);
  return r;
}

std::unique_ptr<Surface> DecodeIcoEntry(const std::uint8_t* data, std::size_t size, int index) {
  const std::vector<TDirEntry> dir = ReadDirectory(data, size);
  if (index < 0 || index >= int(dir.size())) BadIcon("no such image");
  const TDirEntry& e = dir[std::size_t(index)];
  if (e.Info.Png) {
    bool alpha = false;
    std::unique_ptr<Surface> s = DecodePng(data + e.Offset, e.Size, &alpha);
    if (!alpha)
      for (int y = 0; y < s->Height(); ++y)
        for (int x = 0; x < s->Width(); ++x) s->Row32(y)[x] |= 0xFF000000u;
    return s;
  }
  return DecodeDibEntry(data + e.Offset, e.Size);
}

void TIconImage::LoadFromStream(rtl::TStream* stream) {
  std::vector<std::uint8_t> data = ReadAll(stream);
  const std::vector<TIconEntry> entries = IcoEntries(data.data(), data.size());
  int best = 0;
  for (int i = 1; i < int(entries.size()); ++i) {
    const TIconEntry &a = entries[std::size_t(i)], &b = entries[std::size_t(best)];
    const std::int64_t pa = std::int64_t(a.Width) * a.Height, pb = std::int64_t(b.Width) * b.Height;
    if (pa > pb || (pa == pb && a.BitCount > b.BitCount)) best = i;
  }
  bitmap_->TakeSurface(DecodeIcoEntry(data.data(), data.size(), best), pf32bit);
  data_ = std::move(data);
  Changed();
}

void TIconImage::Assign(rtl::TPersistent* source) {
  if (auto* i = dynamic_cast<TIconImage*>(source)) data_ = i->data_;
  else data_.clear();
  TImageGraphic::Assign(source);
}

// The file as it was read; an icon never read from a file has none.
void TIconImage::SaveToStream(rtl::TStream* stream) {
  if (data_.empty()) throw rtl::EInvalidGraphicOperation("Only an icon read from a file can be saved");
  stream->WriteBuffer(data_.data(), rtl::Int64(data_.size()));
}

void TIconImage::Draw(TCanvas* canvas, const rtl::TRect& r) {
  const Surface* s = bitmap_->GetSurface();
  if (!s || r.Width() <= 0 || r.Height() <= 0) return;
  // AlphaBlend takes premultiplied pixels.
  auto pm = std::make_unique<Surface>(s->Width(), s->Height(), 32);
  for (int y = 0; y < s->Height(); ++y)
    for (int x = 0; x < s->Width(); ++x) {
      const std::uint32_t p = s->GetPixel(x, y), a = p >> 24;
      const std::uint32_t rr = ((p >> 16) & 0xFF) * a / 255, gg = ((p >> 8) & 0xFF) * a / 255, bb = (p & 0xFF) * a / 255;
      pm->Row32(y)[x] = a << 24 | rr << 16 | gg << 8 | bb;
    }
  const int w = pm->Width(), h = pm->Height();
  HDC mem = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateBitmapFromSurface(std::move(pm));
  HGDIOBJ old = SelectObject(mem, bmp);
  BLENDFUNCTION bf;
  bf.AlphaFormat = AC_SRC_ALPHA;
  AlphaBlend(canvas->Handle(), r.Left, r.Top, r.Width(), r.Height(), mem, 0, 0, w, h, bf);
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
}

// ---- TIFF ------------------------------------------------------------------

namespace {

struct TMemTiff {
  const std::uint8_t* data = nullptr;
  std::vector<std::uint8_t>* out = nullptr;
  toff_t size = 0, pos = 0;
};

tsize_t MemRead(thandle_t h, tdata_t buf, tsize_t n) {
  auto* m = static_cast<TMemTiff*>(h);
  if (!m->data || m->pos >= m->size) return 0;
  const toff_t k = std::min<toff_t>(toff_t(n), m->size - m->pos);
  std::memcpy(buf, m->data + m->pos, k);
  m->pos += k;
  return tsize_t(k);
}
tsize_t MemWrite(thandle_t h, tdata_t buf, tsize_t n) {
  auto* m = static_cast<TMemTiff*>(h);
  if (!m->out) return 0;
  if (m->out->size() < m->pos + toff_t(n)) m->out->resize(m->pos + toff_t(n));
  std::memcpy(m->out->data() + m->pos, buf, std::size_t(n));
  m->pos += toff_t(n);
  m->size = m->out->size();
  return n;
}
toff_t MemSeek(thandle_t h, toff_t off, int whence) {
  auto* m = static_cast<TMemTiff*>(h);
  const toff_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? m->pos : m->size;
  m->pos = base + off;
  return m->pos;
}
int MemClose(thandle_t) { return 0; }
toff_t MemSize(thandle_t h) { return static_cast<TMemTiff*>(h)->size; }
int MemMap(thandle_t, tdata_t*, toff_t*) { return 0; }
void MemUnmap(thandle_t, tdata_t, toff_t) {}

// libtiff reports through handlers; its last error becomes the exception's text.
thread_local std::string g_tiffError;
void TiffError(thandle_t, const char* module, const char* fmt, va_list ap) {
  char buf[512];
  std::vsnprintf(buf, sizeof buf, fmt, ap);
  g_tiffError = (module ? std::string(module) + ": " : std::string()) + buf;
}
void TiffWarning(thandle_t, const char*, const char*, va_list) {}

TIFF* OpenMem(TMemTiff& m, const char* mode) {
  TIFFSetErrorHandler(nullptr);
  TIFFSetWarningHandler(nullptr);
  TIFFSetErrorHandlerExt(TiffError);
  TIFFSetWarningHandlerExt(TiffWarning);
  g_tiffError.clear();
  return TIFFClientOpen("picture", mode, &m, MemRead, MemWrite, MemSeek, MemClose, MemSize, MemMap, MemUnmap);
}

[[noreturn]] void BadTiff(const char* what) {
  throw rtl::EInvalidGraphic((std::string("Invalid TIFF file: ") + (g_tiffError.empty() ? std::string(what) : g_tiffError)).c_str());
}

}  // namespace

std::unique_ptr<Surface> DecodeTiff(const std::uint8_t* data, std::size_t size, bool* hasAlpha) {
  TMemTiff m;
  m.data = data;
  m.size = size;
  TIFF* tif = OpenMem(m, "rm");
  if (!tif) BadTiff("not a TIFF file");
  struct TClose {
    TIFF* t;
    ~TClose() { TIFFClose(t); }
  } close{tif};
  std::uint32_t w = 0, h = 0;
  std::uint16_t extra = 0, *extraTypes = nullptr;  // alpha when there is an extra sample
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
  if (w == 0 || h == 0 || w > std::uint32_t(kMaxSide) || h > std::uint32_t(kMaxSide) ||
      std::int64_t(w) * h > kMaxPixels)
    BadTiff("bad picture size");
  TIFFGetFieldDefaulted(tif, TIFFTAG_EXTRASAMPLES, &extra, &extraTypes);
  std::vector<std::uint32_t> raster(std::size_t(w) * h);
  if (!TIFFReadRGBAImageOriented(tif, w, h, raster.data(), ORIENTATION_TOPLEFT, 0)) BadTiff("unreadable picture");
  auto s = std::make_unique<Surface>(int(w), int(h), 32);
  const bool alpha = extra > 0;
  for (std::uint32_t y = 0; y < h; ++y)
    for (std::uint32_t x = 0; x < w; ++x) {
      const std::uint32_t p = raster[std::size_t(y) * w + x];  // A B G R from the high byte down
      std::uint32_t a = TIFFGetA(p), r = TIFFGetR(p), g = TIFFGetG(p), b = TIFFGetB(p);
      if (alpha && a > 0 && a < 255) {
        // libtiff's RGBA output is premultiplied, whatever the file held: straighten it.
        r = std::min<std::uint32_t>(255, r * 255 / a);
        g = std::min<std::uint32_t>(255, g * 255 / a);
        b = std::min<std::uint32_t>(255, b * 255 / a);
      }
      s->Row32(int(y))[x] = (alpha ? a : 0xFFu) << 24 | r << 16 | g << 8 | b;
    }
  if (hasAlpha) *hasAlpha = alpha;
  return s;
}

std::vector<std::uint8_t> EncodeTiff(const Surface& s, bool alpha) {
  std::vector<std::uint8_t> out;
  TMemTiff m;
  m.out = &out;
  TIFF* tif = OpenMem(m, "w");
  if (!tif) BadTiff("cannot write");
  const int spp = alpha ? 4 : 3;
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, std::uint32_t(s.Width()));
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, std::uint32_t(s.Height()));
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, spp);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, std::uint32_t(s.Height()));
  if (alpha) {
    std::uint16_t t = EXTRASAMPLE_UNASSALPHA;
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &t);
  }
  std::vector<std::uint8_t> row(std::size_t(s.Width()) * spp);
  bool ok = true;
  for (int y = 0; y < s.Height() && ok; ++y) {
    for (int x = 0; x < s.Width(); ++x) {
      const std::uint32_t p = s.GetPixel(x, y);
      std::uint8_t* q = row.data() + std::size_t(x) * spp;
      q[0] = std::uint8_t(p >> 16);
      q[1] = std::uint8_t(p >> 8);
      q[2] = std::uint8_t(p);
      if (alpha) q[3] = std::uint8_t(p >> 24);
    }
    ok = TIFFWriteScanline(tif, row.data(), std::uint32_t(y), 0) >= 0;
  }
  TIFFClose(tif);
  if (!ok) BadTiff("cannot write");
  return out;
}

void TTIFFImage::LoadFromStream(rtl::TStream* stream) {
  const std::vector<std::uint8_t> data = ReadAll(stream);
  bool alpha = false;
  std::unique_ptr<Surface> s = DecodeTiff(data.data(), data.size(), &alpha);
  bitmap_->TakeSurface(std::move(s), pf32bit);
  if (!alpha) bitmap_->SetPixelFormat(pf24bit);
  Changed();
}

void TTIFFImage::SaveToStream(rtl::TStream* stream) {
  if (Empty()) return;
  const Surface* s = bitmap_->GetSurface();
  const std::vector<std::uint8_t> bytes = EncodeTiff(*s, s->BitsPerPixel() == 32 && bitmap_->PixelFormat() == pf32bit);
  stream->WriteBuffer(bytes.data(), rtl::Int64(bytes.size()));
}

}  // namespace gdi
