// Icons and custom cursors: objects holding their pixels (colour with alpha,
// or AND/XOR masks), drawing them into a device context, and the window's
// big and small icons given to the display.
#include <algorithm>
#include <map>
#include <mutex>

#include "platform/gdi/Gdi.h"
#include "platform/win/WindowObject.h"

namespace win {

namespace detail {

namespace {

struct IconTable {
  std::mutex m;
  std::map<std::uintptr_t, std::shared_ptr<const IconData>> icons;
  std::uintptr_t next = 0x100000;  // above every system cursor number; never reused
};

IconTable& Table() {
  static IconTable t;
  return t;
}

HICON Register(std::shared_ptr<const IconData> d) {
  IconTable& t = Table();
  std::lock_guard lock(t.m);
  t.next += 16;
  t.icons[t.next] = std::move(d);
  return reinterpret_cast<HICON>(t.next);
}

bool MaskBit(const gdi::Surface& s, int x, int y) { return (s.GetPixel(x, y) & 0xFFFFFF) != 0; }

// A 32-bit bitmap of the given pixels, or nullptr.
gdi::HBITMAP BitmapOf(int w, int h, const std::vector<std::uint32_t>& px) {
  auto s = std::make_unique<gdi::Surface>(w, h, 32);
  for (int y = 0; y < h; ++y) std::copy_n(px.data() + std::size_t(y) * std::size_t(w), w, s->Row32(y));
  return gdi::CreateBitmapFromSurface(std::move(s));
}

}  // namespace

std::vector<std::uint32_t> IconData::Shown() const {
  std::vector<std::uint32_t> out(std::size_t(width) * std::size_t(height));
  for (std::size_t i = 0; i < out.size(); ++i) {
    bool transparent = andMask[i] != 0;
    if (!color.empty()) {
      if (alpha) out[i] = color[i];
      else out[i] = transparent ? 0u : (color[i] | 0xFF000000u);
    } else if (!transparent) {
      out[i] = xorMask[i] ? 0xFFFFFFFFu : 0xFF000000u;
    } else {
      out[i] = xorMask[i] ? 0xFF000000u : 0u;  // inverted pixels show black
    }
  }
  return out;
}

IconImage IconData::Image() const {
  IconImage img;
  img.width = width;
  img.height = height;
  img.argb = Shown();
  img.hotSpot = hotSpot;
  return img;
}

std::shared_ptr<const IconData> FindIcon(HICON h) {
  IconTable& t = Table();
  std::lock_guard lock(t.m);
  auto it = t.icons.find(reinterpret_cast<std::uintptr_t>(h));
  return it == t.icons.end() ? nullptr : it->second;
}

HICON CreateIconFromData(IconData d) { return Register(std::make_shared<const IconData>(std::move(d))); }

void SendIconsToDisplay(Window* w) {
  if (w->parent || !w->top || !w->top->native) return;
  std::vector<IconImage> images;
  for (HICON h : {w->iconBig, w->iconSmall})
    if (auto d = FindIcon(h))
      if (std::none_of(images.begin(), images.end(),
                       [&](const IconImage& i) { return i.width == d->width && i.height == d->height; }))
        images.push_back(d->Image());
  TheBackend().SetIcons(w->top->native, images);
}

}  // namespace detail

using namespace detail;

HICON CreateIconIndirect(const ICONINFO* info) {
  if (!info || !info->hbmMask) return nullptr;
  const gdi::Surface* mask = gdi::GetBitmapSurface(info->hbmMask);
  const gdi::Surface* color = info->hbmColor ? gdi::GetBitmapSurface(info->hbmColor) : nullptr;
  if (!mask || (info->hbmColor && !color)) return nullptr;
  IconData d;
  d.icon = info->fIcon != FALSE;
  d.width = color ? color->Width() : mask->Width();
  d.height = color ? color->Height() : mask->Height() / 2;
  if (d.width <= 0 || d.height <= 0 || mask->Width() < d.width || mask->Height() < d.height) return nullptr;
  d.hotSpot = d.icon ? POINT{d.width / 2, d.height / 2} : POINT{int(info->xHotspot), int(info->yHotspot)};
  std::size_t n = std::size_t(d.width) * std::size_t(d.height);
  d.andMask.resize(n);
  if (color) {
    d.color.resize(n);
    for (int y = 0; y < d.height; ++y)
      for (int x = 0; x < d.width; ++x) {
        std::uint32_t px = color->GetPixel(x, y);
        // Only 32-bit colour bitmaps carry alpha; other depths read as opaque.
        if (color->BitsPerPixel() != 32) px &= 0xFFFFFF;
        d.color[std::size_t(y) * d.width + x] = px;
        if (px >> 24) d.alpha = true;
      }
  } else {
    d.xorMask.resize(n);
    for (int y = 0; y < d.height; ++y)
      for (int x = 0; x < d.width; ++x) d.xorMask[std::size_t(y) * d.width + x] = MaskBit(*mask, x, y + d.height);
  }
  for (int y = 0; y < d.height; ++y)
    for (int x = 0; x < d.width; ++x) d.andMask[std::size_t(y) * d.width + x] = MaskBit(*mask, x, y);
  return CreateIconFromData(std::move(d));
}

HICON CopyIcon(HICON icon) {
  auto d = FindIcon(icon);
  return d ? Register(d) : nullptr;  // the pixels never change: the copy shares them
}

BOOL DestroyIcon(HICON icon) {
  IconTable& t = Table();
  std::lock_guard lock(t.m);
  return t.icons.erase(reinterpret_cast<std::uintptr_t>(icon)) ? TRUE : FALSE;
}

BOOL DestroyCursor(HCURSOR c) { return DestroyIcon(c); }

BOOL GetIconInfo(HICON icon, ICONINFO* out) {
  auto d = FindIcon(icon);
  if (!d || !out) return FALSE;
  out->fIcon = d->icon ? TRUE : FALSE;
  out->xHotspot = DWORD(d->hotSpot.X);
  out->yHotspot = DWORD(d->hotSpot.Y);
  int maskH = d->color.empty() ? d->height * 2 : d->height;
  auto mask = std::make_unique<gdi::Surface>(d->width, maskH, 1);
  mask->Palette() = {0x000000, 0xFFFFFF};
  for (int y = 0; y < d->height; ++y)
    for (int x = 0; x < d->width; ++x) {
      std::size_t i = std::size_t(y) * d->width + x;
      mask->SetPixel(x, y, d->andMask[i] ? 0xFFFFFFFFu : 0xFF000000u);
      if (d->color.empty()) mask->SetPixel(x, y + d->height, d->xorMask[i] ? 0xFFFFFFFFu : 0xFF000000u);
    }
  out->hbmMask = gdi::CreateBitmapFromSurface(std::move(mask));
  out->hbmColor = d->color.empty() ? nullptr : BitmapOf(d->width, d->height, d->color);
  return TRUE;
}

BOOL GetIconSize(HICON icon, SIZE* out) {
  auto d = FindIcon(icon);
  if (!d || !out) return FALSE;
  *out = {d->width, d->height};
  return TRUE;
}

HCURSOR CreateCursor(void*, int xHot, int yHot, int width, int height, const void* andPlane, const void* xorPlane) {
  if (width <= 0 || height <= 0 || width > 4096 || height > 4096 || !andPlane || !xorPlane) return nullptr;
  IconData d;
  d.icon = false;
  d.width = width;
  d.height = height;
  d.hotSpot = {std::clamp(xHot, 0, width - 1), std::clamp(yHot, 0, height - 1)};
  int stride = ((width + 15) / 16) * 2;  // rows padded to 16 bits
  auto bit = [&](const void* plane, int x, int y) {
    auto* b = static_cast<const std::uint8_t*>(plane) + std::size_t(y) * stride;
    return std::uint8_t((b[x / 8] >> (7 - x % 8)) & 1);
  };
  std::size_t n = std::size_t(width) * std::size_t(height);
  d.andMask.resize(n);
  d.xorMask.resize(n);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      d.andMask[std::size_t(y) * width + x] = bit(andPlane, x, y);
      d.xorMask[std::size_t(y) * width + x] = bit(xorPlane, x, y);
    }
  return CreateIconFromData(std::move(d));
}

namespace {

// Pixels of one part of the icon as a 32-bit bitmap selected into a memory DC.
struct PartDC {
  HDC dc = nullptr;
  gdi::HBITMAP bmp = nullptr;
  PartDC(int w, int h, const std::vector<std::uint32_t>& px) {
    dc = gdi::CreateCompatibleDC(nullptr);
    bmp = BitmapOf(w, h, px);
    gdi::SelectObject(dc, reinterpret_cast<gdi::HGDIOBJ>(bmp));
  }
  ~PartDC() {
    gdi::DeleteDC(dc);
    gdi::DeleteObject(reinterpret_cast<gdi::HGDIOBJ>(bmp));
  }
};

void DrawParts(HDC dc, int x, int y, int cx, int cy, const IconData& d, UINT flags) {
  std::size_t n = std::size_t(d.width) * std::size_t(d.height);
  bool both = (flags & DI_NORMAL) == DI_NORMAL;
  if (both && d.alpha) {
    // Premultiplied for AlphaBlend.
    std::vector<std::uint32_t> pm(n);
    for (std::size_t i = 0; i < n; ++i) {
      std::uint32_t c = d.color[i], a = c >> 24;
      auto ch = [&](int shift) { return (((c >> shift) & 0xFF) * a + 127) / 255 << shift; };
      pm[i] = (a << 24) | ch(16) | ch(8) | ch(0);
    }
    PartDC src(d.width, d.height, pm);
    gdi::BLENDFUNCTION bf;
    bf.AlphaFormat = gdi::AC_SRC_ALPHA;
    gdi::AlphaBlend(dc, x, y, cx, cy, src.dc, 0, 0, d.width, d.height, bf);
    return;
  }
  if (flags & DI_MASK) {
    // AND mask: white keeps what lies below, black clears it (alpha kept).
    std::vector<std::uint32_t> m(n);
    for (std::size_t i = 0; i < n; ++i) m[i] = d.andMask[i] ? 0xFFFFFFFFu : 0xFF000000u;
    PartDC src(d.width, d.height, m);
    gdi::StretchBlt(dc, x, y, cx, cy, src.dc, 0, 0, d.width, d.height, both ? gdi::SRCAND : gdi::SRCCOPY);
  }
  if (flags & DI_IMAGE) {
    // XOR image over the masked area; alone, a plain copy.
    std::vector<std::uint32_t> im(n);
    for (std::size_t i = 0; i < n; ++i) {
      std::uint32_t c = d.color.empty() ? (d.xorMask[i] ? 0xFFFFFFu : 0u) : (d.color[i] & 0xFFFFFFu);
      im[i] = both ? c : (d.alpha ? d.color[i] : c | 0xFF000000u);
    }
    PartDC src(d.width, d.height, im);
    gdi::StretchBlt(dc, x, y, cx, cy, src.dc, 0, 0, d.width, d.height, both ? gdi::SRCINVERT : gdi::SRCCOPY);
  }
}

}  // namespace

BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int cx, int cy, UINT, HBRUSH flickerBrush, UINT flags) {
  auto d = FindIcon(icon);
  if (!d || !dc) return FALSE;
  if (!(flags & DI_NORMAL)) flags |= DI_NORMAL;
  if (cx <= 0) cx = (flags & DI_DEFAULTSIZE) ? GetSystemMetrics(d->icon ? SM_CXICON : SM_CXCURSOR) : d->width;
  if (cy <= 0) cy = (flags & DI_DEFAULTSIZE) ? GetSystemMetrics(d->icon ? SM_CYICON : SM_CYCURSOR) : d->height;
  if (!flickerBrush) {
    DrawParts(dc, x, y, cx, cy, *d, flags);
    return TRUE;
  }
  // Composed off screen on the brush, then copied in one go.
  HDC mem = gdi::CreateCompatibleDC(nullptr);
  gdi::HBITMAP bmp = gdi::CreateBitmapFromSurface(std::make_unique<gdi::Surface>(cx, cy, 32));
  gdi::HGDIOBJ old = gdi::SelectObject(mem, reinterpret_cast<gdi::HGDIOBJ>(bmp));
  RECT all = rtl::Rect(0, 0, cx, cy);
  gdi::FillRect(mem, &all, flickerBrush);
  DrawParts(mem, 0, 0, cx, cy, *d, flags);
  gdi::BitBlt(dc, x, y, cx, cy, mem, 0, 0, gdi::SRCCOPY);
  gdi::SelectObject(mem, old);
  gdi::DeleteDC(mem);
  gdi::DeleteObject(reinterpret_cast<gdi::HGDIOBJ>(bmp));
  return TRUE;
}

BOOL DrawIcon(HDC dc, int x, int y, HICON icon) { return DrawIconEx(dc, x, y, icon, 0, 0, 0, nullptr, DI_NORMAL | DI_DEFAULTSIZE); }

}  // namespace win
