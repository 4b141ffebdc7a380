// Bitmap handles and transfers between DIB memory and surfaces.
#include <algorithm>
#include <cstring>

#include "platform/gdi/GdiObjects.h"
#include "platform/rtl/Exceptions.h"

namespace gdi {

namespace {
HBITMAP Wrap(std::unique_ptr<Surface> s) {
  auto* b = new BitmapObject;
  b->surface = std::move(s);
  RegisterHandle(b);
  return b;
}

bool ValidHeader(const BITMAPINFOHEADER& h) {
  const int bpp = h.biBitCount;
  return h.biWidth > 0 && h.biHeight != 0 && h.biHeight != INT32_MIN &&
         (bpp == 1 || bpp == 4 || bpp == 8 || bpp == 24 || bpp == 32) &&
         (h.biCompression == BI_RGB || (h.biCompression == BI_BITFIELDS && bpp == 32));
}

void CopyPalette(Surface& s, const BITMAPINFO* info) {
  if (s.BitsPerPixel() > 8) return;
  const int n = 1 << s.BitsPerPixel();
  const int used = info->bmiHeader.biClrUsed && int(info->bmiHeader.biClrUsed) < n ? int(info->bmiHeader.biClrUsed) : n;
  for (int i = 0; i < n; ++i) {
    const RGBQUAD& q = info->bmiColors[i < used ? i : 0];
    s.Palette()[i] = std::uint32_t(q.rgbRed) << 16 | std::uint32_t(q.rgbGreen) << 8 | q.rgbBlue;
  }
}

// Rows of a DIB, whichever way up it is stored.
int DibHeight(const BITMAPINFOHEADER& h) { return h.biHeight < 0 ? -h.biHeight : h.biHeight; }

// The caller's DIB memory seen as a surface of `rows` rows, with its colour
// table; the memory stays the caller's.
struct DibSurface : Surface {
  DibSurface(const void* bits, const BITMAPINFO* info, int rows)
      : Surface(const_cast<void*>(bits), info->bmiHeader.biWidth, rows,
                Surface::StrideFor(info->bmiHeader.biWidth, info->bmiHeader.biBitCount), info->bmiHeader.biBitCount,
                info->bmiHeader.biHeight < 0) {
    CopyPalette(*this, info);
  }
};
}  // namespace

HBITMAP CreateDIBSection(HDC, const BITMAPINFO* info, UINT, void** bits, void*, DWORD) {
  if (bits) *bits = nullptr;
  if (!info || !ValidHeader(info->bmiHeader)) return nullptr;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  std::unique_ptr<Surface> s;
  try {
    s = std::make_unique<Surface>(h.biWidth, DibHeight(h), h.biBitCount,
                                  h.biHeight < 0);
  } catch (const rtl::Exception&) {
    return nullptr;
  }
  CopyPalette(*s, info);
  std::lock_guard lock(GdiLock());
  if (bits) *bits = s->Bits();
  return Wrap(std::move(s));
}

HBITMAP CreateCompatibleBitmap(HDC, int width, int height) {
  if (width <= 0 || height <= 0) return nullptr;
  try {
    auto s = std::make_unique<Surface>(width, height, 32, true);
    std::lock_guard lock(GdiLock());
    return Wrap(std::move(s));
  } catch (const rtl::Exception&) {
    return nullptr;
  }
}

HBITMAP CreateBitmap(int width, int height, UINT, UINT bpp, const void* bits) {
  if (width <= 0 || height <= 0) return nullptr;
  try {
    auto s = std::make_unique<Surface>(width, height, int(bpp), true);
    if (bits) {
      // Device-dependent bitmaps take rows padded to 2 bytes.
      const int srcStride = ((width * int(bpp) + 15) / 16) * 2;
      for (int y = 0; y < height; ++y)
        std::memcpy(s->Row(y), static_cast<const std::uint8_t*>(bits) + std::size_t(y) * srcStride,
                    std::min(srcStride, s->Stride()));
    }
    if (bpp == 1) s->Palette() = {0x000000, 0xFFFFFF};
    std::lock_guard lock(GdiLock());
    return Wrap(std::move(s));
  } catch (const rtl::Exception&) {
    return nullptr;
  }
}

HBITMAP CreateBitmapFromSurface(std::unique_ptr<Surface> s) {
  if (!s) return nullptr;
  std::lock_guard lock(GdiLock());
  return Wrap(std::move(s));
}

Surface* GetBitmapSurface(HBITMAP b) {
  std::lock_guard lock(GdiLock());
  BitmapObject* o = Checked(b, OBJ_BITMAP);
  return o ? o->surface.get() : nullptr;
}


int GetDIBits(HDC, HBITMAP bmp, UINT start, UINT lines, void* bits, BITMAPINFO* info, UINT) {
  std::lock_guard lock(GdiLock());
  BitmapObject* o = Checked(bmp, OBJ_BITMAP);
  if (!o || !info) return 0;
  const Surface& s = *o->surface;
  BITMAPINFOHEADER& h = info->bmiHeader;
  if (!bits) {
    if (h.biBitCount == 0) h.biBitCount = WORD(s.BitsPerPixel());
    h.biWidth = s.Width();
    if (h.biHeight >= 0 || h.biHeight == 0) h.biHeight = s.Height();
    h.biPlanes = 1;
    h.biCompression = BI_RGB;
    h.biSizeImage = DWORD(Surface::StrideFor(s.Width(), h.biBitCount) * s.Height());
    return s.Height();
  }
  if (h.biBitCount != 24 && h.biBitCount != 32) return 0;
  if (h.biWidth != s.Width() || (h.biHeight != s.Height() && h.biHeight != -s.Height())) return 0;
  const bool topDown = h.biHeight < 0;
  const int stride = Surface::StrideFor(s.Width(), h.biBitCount);
  int copied = 0;
  std::vector<std::uint32_t> row(s.Width());
  for (UINT k = 0; k < lines; ++k) {
    const int scan = int(start + k);  // bottom-up: from the bottom; top-down: from the top
    if (scan < 0 || scan >= s.Height()) break;
    const int imageRow = topDown ? scan : s.Height() - 1 - scan;
    s.ReadSpan(0, imageRow, s.Width(), row.data());
    std::uint8_t* out = static_cast<std::uint8_t*>(bits) + std::size_t(k) * stride;
    if (h.biBitCount == 32) {
      std::memcpy(out, row.data(), std::size_t(s.Width()) * 4);
    } else {
      for (int x = 0; x < s.Width(); ++x) {
        out[x * 3] = std::uint8_t(row[x]);
        out[x * 3 + 1] = std::uint8_t(row[x] >> 8);
        out[x * 3 + 2] = std::uint8_t(row[x] >> 16);
      }
    }
    ++copied;
  }
  return copied;
}

int SetDIBits(HDC, HBITMAP bmp, UINT start, UINT lines, const void* bits, const BITMAPINFO* info, UINT) {
  std::lock_guard lock(GdiLock());
  BitmapObject* o = Checked(bmp, OBJ_BITMAP);
  if (!o || !info || !bits || !ValidHeader(info->bmiHeader)) return 0;
  Surface& s = *o->surface;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  const int height = DibHeight(h);
  DibSurface src(bits, info, height);
  int copied = 0;
  std::vector<std::uint32_t> row(h.biWidth);
  const int w = std::min(s.Width(), int(h.biWidth));
  for (UINT k = 0; k < lines; ++k) {
    const int scan = int(start + k);
    if (scan >= height || scan >= s.Height()) break;
    const int srcRow = h.biHeight < 0 ? scan : height - 1 - scan;
    const int dstRow = h.biHeight < 0 ? scan : s.Height() - 1 - scan;
    src.ReadSpan(0, srcRow, h.biWidth, row.data());
    s.Commit(0, dstRow, w, row.data());
    ++copied;
  }
  return copied;
}

int SetDIBitsToDevice(HDC dc, int xd, int yd, DWORD w, DWORD hgt, int xs, int ys, UINT startScan, UINT lines,
                      const void* bits, const BITMAPINFO* info, UINT) {
  std::lock_guard lock(GdiLock());
  DeviceContext* d = CheckedDC(dc);
  if (!d || !bits || !info || !ValidHeader(info->bmiHeader)) return 0;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  const int fullHeight = DibHeight(h);
  // The buffer holds `lines` scans starting at startScan (DIB coordinates).
  const int bufRows = int(std::min<UINT>(lines, UINT(fullHeight)));
  if (bufRows <= 0) return 0;
  DibSurface src(bits, info, bufRows);
  // DIB coordinates: bottom-up images count ySrc from the bottom row.
  int topRow;
  if (h.biHeight < 0) {
    topRow = ys - int(startScan);
  } else {
    const int fromBottom = ys - int(startScan);  // within the buffer
    topRow = bufRows - fromBottom - int(hgt);
  }
  BlitOp op;
  const POINT dp = d->toSurface(xd, yd);
  BlitSurface(d, dp.X, dp.Y, int(w), int(hgt), &src, xs, topRow, int(w), int(hgt), op);
  return bufRows;
}

int StretchDIBits(HDC dc, int xd, int yd, int wd, int hd, int xs, int ys, int ws, int hs, const void* bits,
                  const BITMAPINFO* info, UINT, DWORD rop) {
  std::lock_guard lock(GdiLock());
  DeviceContext* d = CheckedDC(dc);
  if (!d || !bits || !info || !ValidHeader(info->bmiHeader)) return 0;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  const int height = DibHeight(h);
  DibSurface src(bits, info, height);
  // A bottom-up DIB's source rectangle is given from its bottom-left corner.
  int top = ys;
  if (h.biHeight > 0) top = hs >= 0 ? height - ys - hs : height - ys;
  BlitOp op;
  op.rop = rop;
  const POINT dp = d->toSurface(xd, yd);
  BlitSurface(d, dp.X, dp.Y, wd, hd, &src, xs, top, ws, hs, op);
  return std::abs(hs);
}

}  // namespace gdi
