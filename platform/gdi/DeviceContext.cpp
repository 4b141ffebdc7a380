// Handle table, device contexts, object selection and DC state.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_set>

#include "platform/gdi/GdiObjects.h"

namespace gdi {

namespace {
std::unordered_set<const void*>& Table(bool dc) {
  static std::unordered_set<const void*> objects, dcs;
  return dc ? dcs : objects;
}

BitmapObject* StockBitmap();

void Hold(GdiObject* o) {
  if (o) ++o->selectedCount;
}
void HoldState(const DCState& s) {
  Hold(s.pen);
  Hold(s.brush);
  Hold(s.font);
  Hold(s.bitmap);
}
void ReleaseState(const DCState& s) {
  ReleaseSelected(s.pen);
  ReleaseSelected(s.brush);
  ReleaseSelected(s.font);
  ReleaseSelected(s.bitmap);
}

void FreeObject(GdiObject* o) {
  UnregisterHandle(o);
  delete o;
}
}  // namespace

std::recursive_mutex& GdiLock() {
  static std::recursive_mutex m;
  return m;
}
bool IsLive(const void* h, bool dc) { return Table(dc).count(h) != 0; }
void RegisterHandle(const void* h, bool dc) { Table(dc).insert(h); }
void UnregisterHandle(const void* h, bool dc) { Table(dc).erase(h); }

void ReleaseSelected(GdiObject* o) {
  if (!o) return;
  if (o->selectedCount > 0) --o->selectedCount;
  if (o->selectedCount == 0 && o->deletePending && !o->stock) FreeObject(o);
}

Surface* DeviceContext::surface() const {
  if (wrapped) return wrapped;
  return st.bitmap ? st.bitmap->surface.get() : nullptr;
}

const Region& DeviceContext::clipRegion() {
  if (clipValid) return clipCache;
  Surface* s = surface();
  if (!s) {
    clipCache = Region();
  } else {
    const RECT bounds{0, 0, s->Width(), s->Height()};
    Region base = wrapped ? visible.Intersect(bounds) : Region(bounds);
    if (st.clip) {
      Region c = *st.clip;
      c.Offset(origin.X, origin.Y);
      base = Region::Combine(base, c, Region::Op::And);
    }
    clipCache = std::move(base);
  }
  clipValid = true;
  return clipCache;
}

namespace {
template <class T>
T* MakeStock(T* o) {
  o->stock = true;
  RegisterHandle(o);
  return o;
}

GdiObject* Stock(int index) {
  static GdiObject* table[20] = {};
  if (index < 0 || index >= 20) return nullptr;
  if (table[index]) return table[index];
  GdiObject* o = nullptr;
  auto brush = [](UINT style, COLORREF c) {
    auto* b = new BrushObject;
    b->lb.lbStyle = style;
    b->lb.lbColor = c;
    return MakeStock(b);
  };
  auto pen = [](UINT style, COLORREF c) {
    auto* p = new PenObject;
    p->lp.lopnStyle = style;
    p->lp.lopnColor = c;
    return MakeStock(p);
  };
  switch (index) {
    case WHITE_BRUSH: o = brush(BS_SOLID, RGB(255, 255, 255)); break;
    case LTGRAY_BRUSH: o = brush(BS_SOLID, RGB(192, 192, 192)); break;
    case GRAY_BRUSH: o = brush(BS_SOLID, RGB(128, 128, 128)); break;
    case DKGRAY_BRUSH: o = brush(BS_SOLID, RGB(64, 64, 64)); break;
    case BLACK_BRUSH: o = brush(BS_SOLID, 0); break;
    case NULL_BRUSH: o = brush(BS_NULL, 0); break;
    case WHITE_PEN: o = pen(PS_SOLID, RGB(255, 255, 255)); break;
    case BLACK_PEN: o = pen(PS_SOLID, 0); break;
    case NULL_PEN: o = pen(PS_NULL, 0); break;
    case ANSI_VAR_FONT:
    case SYSTEM_FONT:
    case DEFAULT_GUI_FONT: {
      auto* f = new FontObject;
      f->lf.lfHeight = -12;
      const char16_t name[] = u"Liberation Sans";
      std::memcpy(f->lf.lfFaceName, name, sizeof(name));
      o = MakeStock(f);
      break;
    }
    case DC_BRUSH: {
      auto* b = brush(BS_SOLID, 0);
      b->dcBrush = true;
      o = b;
      break;
    }
    case DC_PEN: {
      auto* p = pen(PS_SOLID, 0);
      p->dcPen = true;
      o = p;
      break;
    }
    default: return nullptr;
  }
  table[index] = o;
  return o;
}

BitmapObject* StockBitmap() {
  static BitmapObject* b = [] {
    auto* o = new BitmapObject;
    o->surface = std::make_unique<Surface>(1, 1, 32, true);
    return MakeStock(o);
  }();
  return b;
}

DeviceContext* NewDC() {
  auto* dc = new DeviceContext;
  dc->st.pen = static_cast<HPEN>(Stock(BLACK_PEN));
  dc->st.brush = static_cast<HBRUSH>(Stock(WHITE_BRUSH));
  dc->st.font = static_cast<HFONT>(Stock(SYSTEM_FONT));
  HoldState(dc->st);
  RegisterHandle(dc, true);
  return dc;
}
}  // namespace

HGDIOBJ GetStockObject(int index) {
  std::lock_guard lock(GdiLock());
  return Stock(index);
}

HDC CreateCompatibleDC(HDC) {
  std::lock_guard lock(GdiLock());
  DeviceContext* dc = NewDC();
  dc->st.bitmap = StockBitmap();
  Hold(dc->st.bitmap);
  return dc;
}

HDC CreateSurfaceDC(Surface* surface, POINT origin, const Region& visible) {
  if (!surface) return nullptr;
  std::lock_guard lock(GdiLock());
  DeviceContext* dc = NewDC();
  dc->memoryDC = false;
  dc->wrapped = surface;
  dc->origin = origin;
  dc->visible = visible;
  return dc;
}

BOOL SetSurfaceDCView(HDC h, Surface* surface, POINT origin, const Region& visible) {
  std::lock_guard lock(GdiLock());
  DeviceContext* dc = CheckedDC(h);
  if (!dc || dc->memoryDC || !surface) return FALSE;
  dc->wrapped = surface;
  dc->origin = origin;
  dc->visible = visible;
  dc->invalidateClip();
  return TRUE;
}

Surface* GetDCSurface(HDC h) {
  std::lock_guard lock(GdiLock());
  DeviceContext* dc = CheckedDC(h);
  return dc ? dc->surface() : nullptr;
}

POINT GetDCOrigin(HDC h) {
  std::lock_guard lock(GdiLock());
  DeviceContext* dc = CheckedDC(h);
  return dc ? dc->origin : POINT{};
}

BOOL DeleteDC(HDC h) {
  std::lock_guard lock(GdiLock());
  DeviceContext* dc = CheckedDC(h);
  if (!dc) return FALSE;
  UnregisterHandle(dc, true);
  for (const DCState& s : dc->saved) ReleaseState(s);
  ReleaseState(dc->st);
  delete dc;
  return TRUE;
}

int GetDeviceCaps(HDC h, int index) {
  std::lock_guard lock(GdiLock());
  DeviceContext* dc = CheckedDC(h);
  Surface* s = dc ? dc->surface() : nullptr;
  switch (index) {
    case HORZRES: return s ? s->Width() : 0;
    case VERTRES: return s ? s->Height() : 0;
    case BITSPIXEL: return 32;
    case PLANES: return 1;
    case NUMCOLORS: return -1;
    case LOGPIXELSX:
    case LOGPIXELSY: return 96;
    default: return 0;
  }
}

HGDIOBJ SelectObject(HDC h, HGDIOBJ obj) {
  std::lock_guard lock(GdiLock());
  DeviceContext* dc = CheckedDC(h);
  if (!dc || !Checked(obj, 0) || obj->deletePending) return nullptr;
  auto swap = [&](auto*& slot, auto* o) -> HGDIOBJ {
    auto* old = slot;
    if (old == o) return old;
    Hold(o);
    slot = o;
    ReleaseSelected(old);
    return old;
  };
  switch (obj->type) {
    case OBJ_PEN: return swap(dc->st.pen, static_cast<HPEN>(obj));
    case OBJ_BRUSH: return swap(dc->st.brush, static_cast<HBRUSH>(obj));
    case OBJ_FONT: return swap(dc->st.font, static_cast<HFONT>(obj));
    case OBJ_BITMAP: {
      if (!dc->memoryDC) return nullptr;
      auto* bmp = static_cast<HBITMAP>(obj);
      // A bitmap can be selected into one memory DC at a time.
      if (bmp != dc->st.bitmap && bmp->selectedCount > 0 && !bmp->stock) return nullptr;
      HGDIOBJ old = swap(dc->st.bitmap, bmp);
      dc->invalidateClip();
      return old;
    }
    case OBJ_REGION: {
      const int r = SelectClipRgn(h, static_cast<HRGN>(obj));
      return reinterpret_cast<HGDIOBJ>(static_cast<std::uintptr_t>(r));
    }
    default: return nullptr;
  }
}

HGDIOBJ GetCurrentObject(HDC h, UINT type) {
  std::lock_guard lock(GdiLock());
  DeviceContext* dc = CheckedDC(h);
  if (!dc) return nullptr;
  switch (type) {
    case OBJ_PEN: return dc->st.pen;
    case OBJ_BRUSH: return dc->st.brush;
    case OBJ_FONT: return dc->st.font;
    case OBJ_BITMAP: return dc->st.bitmap;
    default: return nullptr;
  }
}

BOOL DeleteObject(HGDIOBJ obj) {
  std::lock_guard lock(GdiLock());
  if (!Checked(obj, 0)) return FALSE;
  if (obj->stock) return TRUE;
  if (obj->selectedCount > 0) {
    obj->deletePending = true;
    return TRUE;
  }
  FreeObject(obj);
  return TRUE;
}

DWORD GetObjectType(HGDIOBJ obj) {
  std::lock_guard lock(GdiLock());
  return IsLive(obj, false) ? obj->type : 0;
}

DWORD GetObjectType(HDC h) {
  std::lock_guard lock(GdiLock());
  DeviceContext* dc = CheckedDC(h);
  return dc ? (dc->memoryDC ? OBJ_MEMDC : OBJ_DC) : 0;
}

namespace {
// A pen's, brush's or font's description: its size without a buffer, nothing
// into one too small for it.
template <class TDescription>
int CopyDescription(const TDescription& d, int size, void* out) {
  if (!out) return int(sizeof(TDescription));
  if (size < int(sizeof(TDescription))) return 0;
  std::memcpy(out, &d, sizeof(TDescription));
  return int(sizeof(TDescription));
}
}  // namespace

int GetObject(HGDIOBJ obj, int size, void* out) {
  std::lock_guard lock(GdiLock());
  if (!Checked(obj, 0)) return 0;
  switch (obj->type) {
    case OBJ_BITMAP: {
      Surface* s = static_cast<HBITMAP>(obj)->surface.get();
      DIBSECTION ds;
      ds.dsBm.bmWidth = s->Width();
      ds.dsBm.bmHeight = s->Height();
      ds.dsBm.bmWidthBytes = s->Stride();
      ds.dsBm.bmBitsPixel = WORD(s->BitsPerPixel());
      ds.dsBm.bmBits = s->Bits();
      ds.dsBmih.biWidth = s->Width();
      ds.dsBmih.biHeight = s->TopDown() ? -s->Height() : s->Height();
      ds.dsBmih.biBitCount = WORD(s->BitsPerPixel());
      ds.dsBmih.biSizeImage = DWORD(s->ByteSize());
      if (!out) return int(sizeof(DIBSECTION));
      const int n = size >= int(sizeof(DIBSECTION)) ? int(sizeof(DIBSECTION))
                    : size >= int(sizeof(BITMAP)) ? int(sizeof(BITMAP))
                                                  : 0;
      std::memcpy(out, &ds, n);
      return n;
    }
    case OBJ_PEN: return CopyDescription(static_cast<HPEN>(obj)->lp, size, out);
    case OBJ_BRUSH: return CopyDescription(static_cast<HBRUSH>(obj)->lb, size, out);
    case OBJ_FONT: return CopyDescription(static_cast<HFONT>(obj)->lf, size, out);
    default: return 0;
  }
}

int SaveDC(HDC h) {
  std::lock_guard lock(GdiLock());
  DeviceContext* dc = CheckedDC(h);
  if (!dc) return 0;
  HoldState(dc->st);
  dc->saved.push_back(dc->st);
  return int(dc->saved.size());
}

BOOL RestoreDC(HDC h, int level) {
  std::lock_guard lock(GdiLock());
  DeviceContext* dc = CheckedDC(h);
  if (!dc) return FALSE;
  const int depth = int(dc->saved.size());
  const int target = level < 0 ? depth + level + 1 : level;
  if (target < 1 || target > depth) return FALSE;
  while (int(dc->saved.size()) > target) {
    ReleaseState(dc->saved.back());
    dc->saved.pop_back();
  }
  ReleaseState(dc->st);
  dc->st = dc->saved.back();
  dc->saved.pop_back();
  dc->invalidateClip();
  return TRUE;
}

#define DC_OR_FAIL(fail)                  \
  std::lock_guard lock(GdiLock());        \
  DeviceContext* dc = CheckedDC(h);       \
  if (!dc) return fail

// The origins are kept as points in the DC's state; Set* replaces one,
// Offset* moves it, and both hand back the value it had.
static BOOL MoveOrigin(HDC h, POINT DCState::*origin, int x, int y, bool relative, POINT* old) {
  DC_OR_FAIL(FALSE);
  POINT& o = dc->st.*origin;
  if (old) *old = o;
  if (relative) {
    o.X = DeviceContext::Pin(std::int64_t(o.X) + x);
    o.Y = DeviceContext::Pin(std::int64_t(o.Y) + y);
  } else {
    o = {x, y};
  }
  return TRUE;
}
static BOOL GetOrigin(HDC h, POINT DCState::*origin, POINT* out) {
  DC_OR_FAIL(FALSE);
  if (out) *out = dc->st.*origin;
  return TRUE;
}

BOOL SetViewportOrgEx(HDC h, int x, int y, POINT* old) {
  return MoveOrigin(h, &DCState::viewportOrg, x, y, false, old);
}
BOOL OffsetViewportOrgEx(HDC h, int x, int y, POINT* old) {
  return MoveOrigin(h, &DCState::viewportOrg, x, y, true, old);
}
BOOL GetViewportOrgEx(HDC h, POINT* out) { return GetOrigin(h, &DCState::viewportOrg, out); }
BOOL SetWindowOrgEx(HDC h, int x, int y, POINT* old) {
  return MoveOrigin(h, &DCState::windowOrg, x, y, false, old);
}
BOOL OffsetWindowOrgEx(HDC h, int x, int y, POINT* old) {
  return MoveOrigin(h, &DCState::windowOrg, x, y, true, old);
}
BOOL GetWindowOrgEx(HDC h, POINT* out) { return GetOrigin(h, &DCState::windowOrg, out); }
BOOL SetBrushOrgEx(HDC h, int x, int y, POINT* old) {
  return MoveOrigin(h, &DCState::brushOrg, x, y, false, old);
}
BOOL LPtoDP(HDC h, POINT* pts, int count) {
  DC_OR_FAIL(FALSE);
  for (int i = 0; i < count; ++i) pts[i] = dc->toDevice(pts[i].X, pts[i].Y);
  return TRUE;
}
BOOL DPtoLP(HDC h, POINT* pts, int count) {
  DC_OR_FAIL(FALSE);
  for (int i = 0; i < count; ++i) {
    pts[i].X = DeviceContext::Pin(std::int64_t(pts[i].X) + dc->st.windowOrg.X - dc->st.viewportOrg.X);
    pts[i].Y = DeviceContext::Pin(std::int64_t(pts[i].Y) + dc->st.windowOrg.Y - dc->st.viewportOrg.Y);
  }
  return TRUE;
}

namespace {
int RegionKind(const Region& r) {
  return r.IsEmpty() ? NULLREGION : r.Rects().size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}
// The clip as it stands in device coordinates (whole surface when none set).
Region DeviceClip(DeviceContext* dc) {
  if (dc->st.clip) return *dc->st.clip;
  Region r = dc->clipRegion();
  r.Offset(-dc->origin.X, -dc->origin.Y);
  return r;
}
int ResultKind(DeviceContext* dc) { return RegionKind(dc->clipRegion()); }
}  // namespace

int ExtSelectClipRgn(HDC h, HRGN rgn, int mode) {
  DC_OR_FAIL(ERROR);
  RegionObject* r = Checked(rgn, OBJ_REGION);
  if (!r) {
    if (mode != RGN_COPY) return ERROR;
    dc->st.clip.reset();
  } else if (mode == RGN_COPY) {
    dc->st.clip = r->rgn;
  } else {
    const Region cur = DeviceClip(dc);
    Region::Op op = mode == RGN_AND ? Region::Op::And
                    : mode == RGN_OR ? Region::Op::Or
                    : mode == RGN_XOR ? Region::Op::Xor
                                      : Region::Op::Diff;
    if (mode < RGN_AND || mode > RGN_DIFF) return ERROR;
    dc->st.clip = Region::Combine(cur, r->rgn, op);
  }
  dc->invalidateClip();
  return ResultKind(dc);
}

int SelectClipRgn(HDC h, HRGN rgn) { return ExtSelectClipRgn(h, rgn, RGN_COPY); }

namespace {
RECT DeviceRect(DeviceContext* dc, int l, int t, int r, int b) {
  const POINT a = dc->toDevice(l, t), c = dc->toDevice(r, b);
  return {std::min(a.X, c.X), std::min(a.Y, c.Y), std::max(a.X, c.X), std::max(a.Y, c.Y)};
}
}  // namespace

int IntersectClipRect(HDC h, int l, int t, int r, int b) {
  DC_OR_FAIL(ERROR);
  dc->st.clip = DeviceClip(dc).Intersect(DeviceRect(dc, l, t, r, b));
  dc->invalidateClip();
  return ResultKind(dc);
}

int ExcludeClipRect(HDC h, int l, int t, int r, int b) {
  DC_OR_FAIL(ERROR);
  dc->st.clip = Region::Combine(DeviceClip(dc), Region(DeviceRect(dc, l, t, r, b)), Region::Op::Diff);
  dc->invalidateClip();
  return ResultKind(dc);
}

int OffsetClipRgn(HDC h, int dx, int dy) {
  DC_OR_FAIL(ERROR);
  if (dc->st.clip) dc->st.clip->Offset(dx, dy);
  dc->invalidateClip();
  return ResultKind(dc);
}

int GetClipBox(HDC h, RECT* out) {
  DC_OR_FAIL(ERROR);
  const Region& c = dc->clipRegion();
  RECT box = c.Box();
  const std::int64_t dx = dc->dx(), dy = dc->dy();
  const auto pin = DeviceContext::Pin;
  if (out)
    *out = c.IsEmpty() ? RECT{}
                       : RECT{pin(box.Left - dx), pin(box.Top - dy), pin(box.Right - dx), pin(box.Bottom - dy)};
  return RegionKind(c);
}

int GetClipRgn(HDC h, HRGN out) {
  DC_OR_FAIL(-1);
  RegionObject* r = Checked(out, OBJ_REGION);
  if (!r) return -1;
  if (!dc->st.clip) return 0;
  r->rgn = *dc->st.clip;
  return 1;
}

BOOL PtVisible(HDC h, int x, int y) {
  DC_OR_FAIL(FALSE);
  return dc->clipRegion().Contains(dc->toSurface(x, y)) ? TRUE : FALSE;
}

BOOL RectVisible(HDC h, const RECT* r) {
  DC_OR_FAIL(FALSE);
  if (!r) return FALSE;
  const POINT a = dc->toSurface(r->Left, r->Top), b = dc->toSurface(r->Right, r->Bottom);
  return dc->clipRegion().Intersects({a.X, a.Y, b.X, b.Y}) ? TRUE : FALSE;
}

#define DC_SETTER(Name, Getter, Type, field, fail) \
  Type Name(HDC h, Type v) {                       \
    DC_OR_FAIL(fail);                              \
    Type old = dc->st.field;                       \
    dc->st.field = v;                              \
    return old;                                    \
  }                                                \
  Type Getter(HDC h) {                             \
    DC_OR_FAIL(fail);                              \
    return dc->st.field;                           \
  }

int SetBkMode(HDC h, int mode) {
  DC_OR_FAIL(0);
  if (mode != TRANSPARENT && mode != OPAQUE) return 0;
  int old = dc->st.bkMode;
  dc->st.bkMode = mode;
  return old;
}
int GetBkMode(HDC h) {
  DC_OR_FAIL(0);
  return dc->st.bkMode;
}
int SetROP2(HDC h, int rop2) {
  DC_OR_FAIL(0);
  if (rop2 < R2_BLACK || rop2 > R2_WHITE) return 0;
  int old = dc->st.rop2;
  dc->st.rop2 = rop2;
  return old;
}
int GetROP2(HDC h) {
  DC_OR_FAIL(0);
  return dc->st.rop2;
}
DC_SETTER(SetBkColor, GetBkColor, COLORREF, bkColor, CLR_INVALID)
DC_SETTER(SetTextColor, GetTextColor, COLORREF, textColor, CLR_INVALID)
DC_SETTER(SetStretchBltMode, GetStretchBltMode, int, stretchMode, 0)
DC_SETTER(SetTextAlign, GetTextAlign, UINT, textAlign, 0)

COLORREF SetDCBrushColor(HDC h, COLORREF c) {
  DC_OR_FAIL(CLR_INVALID);
  COLORREF old = dc->st.dcBrushColor;
  dc->st.dcBrushColor = c;
  return old;
}
COLORREF SetDCPenColor(HDC h, COLORREF c) {
  DC_OR_FAIL(CLR_INVALID);
  COLORREF old = dc->st.dcPenColor;
  dc->st.dcPenColor = c;
  return old;
}

// ---- Regions ---------------------------------------------------------------

HRGN CreateRegionHandle(const Region& r) {
  std::lock_guard lock(GdiLock());
  auto* o = new RegionObject;
  o->rgn = r;
  RegisterHandle(o);
  return o;
}

namespace {
RECT Normal(int l, int t, int r, int b) { return {std::min(l, r), std::min(t, b), std::max(l, r), std::max(t, b)}; }
}  // namespace

HRGN CreateRectRgn(int l, int t, int r, int b) { return CreateRegionHandle(Region(Normal(l, t, r, b))); }
HRGN CreateRectRgnIndirect(const RECT* r) {
  return r ? CreateRectRgn(r->Left, r->Top, r->Right, r->Bottom) : nullptr;
}
HRGN CreateEllipticRgn(int l, int t, int r, int b) { return CreateRegionHandle(Region::Ellipse(Normal(l, t, r, b))); }
HRGN CreateEllipticRgnIndirect(const RECT* r) {
  return r ? CreateEllipticRgn(r->Left, r->Top, r->Right, r->Bottom) : nullptr;
}
HRGN CreateRoundRectRgn(int l, int t, int r, int b, int ew, int eh) {
  return CreateRegionHandle(Region::RoundRect(Normal(l, t, r, b), ew, eh));
}

// Counts whose point array could not even be sized in bytes are refused like
// negative ones, before anything is read.
constexpr int kMaxPolygonPoints = INT32_MAX / int(sizeof(POINT));

HRGN CreatePolygonRgn(const POINT* pts, int count, int) {
  if (!pts || count < 0 || count > kMaxPolygonPoints) return nullptr;
  if (count < 3) return CreateRegionHandle(Region());
  // Even-odd rule, pixel centres.
  int minY = pts[0].Y, maxY = pts[0].Y;
  for (int i = 0; i < count; ++i) {
    minY = std::min(minY, pts[i].Y);
    maxY = std::max(maxY, pts[i].Y);
  }
  std::vector<RECT> rects;
  std::vector<double> xs;
  minY = std::max(minY, -kShapeLimit);
  maxY = std::min(maxY, kShapeLimit);
  for (int y = minY; y < maxY; ++y) {
    const double yc = y + 0.5;
    xs.clear();
    for (int i = 0; i < count; ++i) {
      const POINT a = pts[i], b = pts[(i + 1) % count];
      if ((a.Y <= yc) != (b.Y <= yc)) {
        const double x = a.X + (yc - a.Y) * (double(b.X) - a.X) / (double(b.Y) - a.Y);
        xs.push_back(std::clamp(x, -1073741824.0, 1073741824.0));
      }
    }
    std::sort(xs.begin(), xs.end());
    for (std::size_t i = 0; i + 1 < xs.size(); i += 2) {
      const int x0 = int(std::ceil(xs[i] - 0.5)), x1 = int(std::ceil(xs[i + 1] - 0.5));
      if (x0 < x1) rects.push_back({x0, y, x1, y + 1});
    }
  }
  return CreateRegionHandle(Region::FromRects(rects));
}

HRGN ExtCreateRegion(const void*, DWORD size, const RGNDATA* data) {
  if (!data || size < sizeof(RGNDATAHEADER) || data->rdh.dwSize < sizeof(RGNDATAHEADER) ||
      data->rdh.dwSize > size || data->rdh.iType != RDH_RECTANGLES)
    return nullptr;
  const DWORD n = data->rdh.nCount;
  if (n > (size - data->rdh.dwSize) / sizeof(RECT)) return nullptr;
  std::vector<RECT> rects(n);
  std::memcpy(rects.data(), reinterpret_cast<const char*>(data) + data->rdh.dwSize, n * sizeof(RECT));
  return CreateRegionHandle(Region::FromRects(rects));
}

DWORD GetRegionData(HRGN h, DWORD size, RGNDATA* out) {
  std::lock_guard lock(GdiLock());
  RegionObject* r = Checked(h, OBJ_REGION);
  if (!r) return 0;
  const auto& rects = r->rgn.Rects();
  const DWORD need = DWORD(sizeof(RGNDATAHEADER) + rects.size() * sizeof(RECT));
  if (!out) return need;
  if (size < need) return 0;
  out->rdh = RGNDATAHEADER{};
  out->rdh.nCount = DWORD(rects.size());
  out->rdh.nRgnSize = DWORD(rects.size() * sizeof(RECT));
  out->rdh.rcBound = r->rgn.Box();
  std::memcpy(reinterpret_cast<char*>(out) + sizeof(RGNDATAHEADER), rects.data(), rects.size() * sizeof(RECT));
  return need;
}

int CombineRgn(HRGN dst, HRGN a, HRGN b, int mode) {
  std::lock_guard lock(GdiLock());
  RegionObject* d = Checked(dst, OBJ_REGION);
  RegionObject* ra = Checked(a, OBJ_REGION);
  if (!d || !ra) return ERROR;
  if (mode == RGN_COPY) {
    d->rgn = ra->rgn;
  } else {
    RegionObject* rb = Checked(b, OBJ_REGION);
    if (!rb || mode < RGN_AND || mode > RGN_DIFF) return ERROR;
    const Region::Op op = mode == RGN_AND ? Region::Op::And
                          : mode == RGN_OR ? Region::Op::Or
                          : mode == RGN_XOR ? Region::Op::Xor
                                            : Region::Op::Diff;
    d->rgn = Region::Combine(ra->rgn, rb->rgn, op);
  }
  return RegionKind(d->rgn);
}

int OffsetRgn(HRGN h, int dx, int dy) {
  std::lock_guard lock(GdiLock());
  RegionObject* r = Checked(h, OBJ_REGION);
  if (!r) return ERROR;
  r->rgn.Offset(dx, dy);
  return RegionKind(r->rgn);
}

BOOL SetRectRgn(HRGN h, int l, int t, int r, int b) {
  std::lock_guard lock(GdiLock());
  RegionObject* o = Checked(h, OBJ_REGION);
  if (!o) return FALSE;
  o->rgn = Region(Normal(l, t, r, b));
  return TRUE;
}

BOOL EqualRgn(HRGN a, HRGN b) {
  std::lock_guard lock(GdiLock());
  RegionObject* ra = Checked(a, OBJ_REGION);
  RegionObject* rb = Checked(b, OBJ_REGION);
  if (!ra || !rb) return ERROR;
  return ra->rgn == rb->rgn ? TRUE : FALSE;
}

BOOL PtInRegion(HRGN h, int x, int y) {
  std::lock_guard lock(GdiLock());
  RegionObject* r = Checked(h, OBJ_REGION);
  return r && r->rgn.Contains({x, y}) ? TRUE : FALSE;
}

BOOL RectInRegion(HRGN h, const RECT* q) {
  std::lock_guard lock(GdiLock());
  RegionObject* r = Checked(h, OBJ_REGION);
  return r && q && r->rgn.Intersects(Normal(q->Left, q->Top, q->Right, q->Bottom)) ? TRUE : FALSE;
}

int GetRgnBox(HRGN h, RECT* out) {
  std::lock_guard lock(GdiLock());
  RegionObject* r = Checked(h, OBJ_REGION);
  if (!r) return ERROR;
  if (out) *out = r->rgn.Box();
  return RegionKind(r->rgn);
}

const Region* GetRegion(HRGN h) {
  std::lock_guard lock(GdiLock());
  RegionObject* r = Checked(h, OBJ_REGION);
  return r ? &r->rgn : nullptr;
}

}  // namespace gdi
