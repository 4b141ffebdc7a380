// Windows metafiles and enhanced metafiles played record by record through
// this layer's device contexts.
//
// Coordinates: a record's logical point goes through the file's own mapping
// (window and viewport origin and extent) into the picture's frame, and the
// frame is stretched onto the destination rectangle. Pens, brushes and fonts
// are kept as their logical descriptions and made at the scale of the moment
// when they are selected.
#include <iconv.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

#include "platform/gdi/Canvas.h"
#include "platform/gdi/ImageFormats.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Strings.h"

namespace gdi {

using rtl::String;

namespace {

constexpr int kMaxSide = 16384;

[[noreturn]] void Bad(const std::string& why) { throw rtl::EInvalidGraphic(("Invalid metafile: " + why).c_str()); }
[[noreturn]] void Unsupported(const char* kind, unsigned type, const char* name) {
  char buf[160];
  std::snprintf(buf, sizeof buf, "%s record %s (0x%X) is not supported", kind, name, type);
  throw rtl::EInvalidGraphic(buf);
}

std::uint32_t U32(const std::uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24; }
std::uint16_t U16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }
std::int16_t I16(const std::uint8_t* p) { return std::int16_t(U16(p)); }
std::int32_t I32(const std::uint8_t* p) { return std::int32_t(U32(p)); }

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr std::uint32_t kEmfSignature = 0x464D4520;

// Text of a record in the font's character set: GB2312 fonts as GBK,
// anything else as Windows-1252.
String DecodeAnsi(const std::uint8_t* p, std::size_t n, int charset) {
  std::string bytes(reinterpret_cast<const char*>(p), n);
  while (!bytes.empty() && bytes.back() == '\0') bytes.pop_back();
  iconv_t cd = iconv_open("UTF-8", charset == GB2312_CHARSET ? "GBK" : "WINDOWS-1252");
  if (cd == reinterpret_cast<iconv_t>(-1)) return rtl::Utf8ToString(bytes);
  std::string out(bytes.size() * 4 + 4, '\0');
  char* in = bytes.data();
  std::size_t inLeft = bytes.size(), outLeft = out.size();
  char* o = out.data();
  while (inLeft > 0) {
    if (iconv(cd, &in, &inLeft, &o, &outLeft) == std::size_t(-1)) {
      ++in;
      --inLeft;
      if (outLeft) {
        *o++ = '?';
        --outLeft;
      }
    }
  }
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return rtl::Utf8ToString(out);
}

// A record's logical object, made real when selected.
struct TObj {
  enum Kind { None, Pen, Brush, Font, Other } kind = None;
  LOGPEN pen;
  LOGBRUSH brush;
  LOGFONTW font;
};

class TPlayer {
 public:
  TPlayer(HDC dc, const rtl::TRect& dest, double fx, double fy, double fw, double fh)
      : dc_(dc), dest_(dest), fx_(fx), fy_(fy), fw_(fw), fh_(fh) {
    saved_ = SaveDC(dc_);
    IntersectClipRect(dc_, dest.Left, dest.Top, dest.Right, dest.Bottom);
    SetBkMode(dc_, OPAQUE);
    SetBkColor(dc_, 0xFFFFFF);
    SetTextColor(dc_, 0);
    SetTextAlign(dc_, TA_LEFT | TA_TOP);
    SelectObject(dc_, GetStockObject(BLACK_PEN));
    SelectObject(dc_, GetStockObject(WHITE_BRUSH));
    ApplyFont(nullptr);
  }
  ~TPlayer() {
    RestoreDC(dc_, saved_);
    for (HGDIOBJ o : made_) DeleteObject(o);
  }

  // Mapping state of the file.
  int mapMode = 1;
  double wox = 0, woy = 0, wex = 1, wey = 1, vox = 0, voy = 0, vex = 1, vey = 1;
  bool scaled = false;  // anisotropic or isotropic: the extents count
  int charset = DEFAULT_CHARSET;
  std::vector<TObj> objects;

  // Logical point -> frame units -> destination pixels.
  double FrameX(double x) const { return scaled ? (x - wox) * vex / wex + vox : x - wox + vox; }
  double FrameY(double y) const { return scaled ? (y - woy) * vey / wey + voy : y - woy + voy; }
  int X(double x) const { return int(std::lround(dest_.Left + (FrameX(x) - fx_) * dest_.Width() / fw_)); }
  int Y(double y) const { return int(std::lround(dest_.Top + (FrameY(y) - fy_) * dest_.Height() / fh_)); }
  POINT P(double x, double y) const { return {X(x), Y(y)}; }
  double ScaleX() const { return std::fabs((scaled ? vex / wex : 1.0) * dest_.Width() / fw_); }
  double ScaleY() const { return std::fabs((scaled ? vey / wey : 1.0) * dest_.Height() / fh_); }

  void Rect(double l, double t, double r, double b, int kind, double ew = 0, double eh = 0) {
    int L = X(l), T = Y(t), R = X(r), B = Y(b);
    if (L > R) std::swap(L, R);
    if (T > B) std::swap(T, B);
    if (kind == 0) Rectangle(dc_, L, T, R, B);
    else if (kind == 1) Ellipse(dc_, L, T, R, B);
    else RoundRect(dc_, L, T, R, B, int(ew * ScaleX()), int(eh * ScaleY()));
  }
  void ArcPie(bool pie, double l, double t, double r, double b, double xs, double ys, double xe, double ye) {
    int L = X(l), T = Y(t), R = X(r), B = Y(b);
    if (L > R) std::swap(L, R);
    if (T > B) std::swap(T, B);
    if (pie) Pie(dc_, L, T, R, B, X(xs), Y(ys), X(xe), Y(ye));
    else Arc(dc_, L, T, R, B, X(xs), Y(ys), X(xe), Y(ye));
  }
  void Poly(const std::vector<POINT>& pts, bool closed) {
    if (pts.empty()) return;
    if (closed) Polygon(dc_, pts.data(), int(pts.size()));
    else Polyline(dc_, pts.data(), int(pts.size()));
  }
  // Several polygons filled as one (alternate fill), then outlined.
  void PolyPoly(const std::vector<std::vector<POINT>>& polys) {
    HRGN all = CreateRectRgn(0, 0, 0, 0);
    for (const auto& p : polys) {
      if (p.size() < 3) continue;
      HRGN r = CreatePolygonRgn(p.data(), int(p.size()), 1);
      CombineRgn(all, all, r, RGN_XOR);
      DeleteObject(r);
    }
    HGDIOBJ brush = GetCurrentObject(dc_, OBJ_BRUSH);
    POINT vp;
    GetViewportOrgEx(dc_, &vp);
    POINT wo;
    GetWindowOrgEx(dc_, &wo);
    OffsetRgn(all, vp.X - wo.X, vp.Y - wo.Y);
    FillRgn(dc_, all, static_cast<HBRUSH>(brush));
    DeleteObject(all);
    for (const auto& p : polys) {
      if (p.empty()) continue;
      std::vector<POINT> closed = p;
      closed.push_back(p.front());
      Polyline(dc_, closed.data(), int(closed.size()));
    }
  }
  void MoveTo(double x, double y) { MoveToEx(dc_, X(x), Y(y), nullptr); }
  void LineTo(double x, double y) { gdi::LineTo(dc_, X(x), Y(y)); }
  void Pixel(double x, double y, COLORREF c) { SetPixelV(dc_, X(x), Y(y), c); }
  void Text(double x, double y, const String& s, bool opaque, const RECT* clip) {
    UINT options = 0;
    RECT r{};
    if (clip) {
      r = {X(clip->Left), Y(clip->Top), X(clip->Right), Y(clip->Bottom)};
      options = opaque ? ETO_OPAQUE : ETO_CLIPPED;
    }
    ExtTextOut(dc_, X(x), Y(y), options, clip ? &r : nullptr, s.c_str(), UINT(s.size()), nullptr);
  }
  void ClipRect(bool exclude, double l, double t, double r, double b) {
    int L = X(l), T = Y(t), R = X(r), B = Y(b);
    if (L > R) std::swap(L, R);
    if (T > B) std::swap(T, B);
    if (exclude) ExcludeClipRect(dc_, L, T, R, B);
    else IntersectClipRect(dc_, L, T, R, B);
  }
  // A device-independent bitmap (header, palette, bits) onto the frame.
  void Dib(const std::uint8_t* bmi, std::size_t bmiSize, const std::uint8_t* bits, std::size_t bitsSize, double dx,
           double dy, double dw, double dh, int sx, int sy, int sw, int sh) {
    if (bmiSize < 12) Bad("bitmap header");
    std::vector<std::uint8_t> file{'B', 'M'};
    const std::uint32_t total = std::uint32_t(14 + bmiSize + bitsSize), off = std::uint32_t(14 + bmiSize);
    for (std::uint32_t v : {total, 0u, off})
      for (int i = 0; i < 4; ++i) file.push_back(std::uint8_t(v >> (8 * i)));
    file.insert(file.end(), bmi, bmi + bmiSize);
    file.insert(file.end(), bits, bits + bitsSize);
    TBitmap b;
    ReadBmp(file.data(), file.size(), b);
    const int bh = b.Height();
    // Rows of a bottom-up bitmap count from its bottom.
    const bool bottomUp = bmiSize >= 12 && (U32(bmi) == 12 ? I16(bmi + 6) > 0 : I32(bmi + 8) > 0);
    const int top = bottomUp ? bh - sy - sh : sy;
    int L = X(dx), T = Y(dy), R = X(dx + dw), B = Y(dy + dh);
    StretchBlt(dc_, L, T, R - L, B - T, b.Canvas()->Handle(), sx, top, sw, sh, SRCCOPY);
  }
  void Fill(double dx, double dy, double dw, double dh, DWORD rop) {
    int L = X(dx), T = Y(dy), R = X(dx + dw), B = Y(dy + dh);
    PatBlt(dc_, std::min(L, R), std::min(T, B), std::abs(R - L), std::abs(B - T), rop);
  }

  void Select(const TObj& o) {
    switch (o.kind) {
      case TObj::Pen: {
        LOGPEN lp = o.pen;
        lp.lopnWidth.X = lp.lopnWidth.X ? std::max(1, int(std::lround(lp.lopnWidth.X * ScaleX()))) : 0;
        SelectObject(dc_, Make(CreatePenIndirect(&lp)));
        break;
      }
      case TObj::Brush: SelectObject(dc_, Make(CreateBrushIndirect(&o.brush))); break;
      case TObj::Font: ApplyFont(&o.font); break;
      default: break;
    }
  }
  void SelectStock(int index) { SelectObject(dc_, GetStockObject(index)); }
  void ApplyFont(const LOGFONTW* lf) {
    LOGFONTW f;
    if (lf) f = *lf;
    else f.lfHeight = 12;
    if (f.lfHeight == 0) f.lfHeight = 12;
    const LONG h = LONG(std::lround(std::fabs(double(f.lfHeight)) * ScaleY()));
    f.lfHeight = (f.lfHeight < 0 ? -1 : 1) * std::max<LONG>(1, h);
    f.lfWidth = LONG(std::lround(std::fabs(double(f.lfWidth)) * ScaleX()));
    charset = f.lfCharSet;
    SelectObject(dc_, Make(CreateFontIndirect(&f)));
  }
  HDC dc() const { return dc_; }

 private:
  HGDIOBJ Make(HGDIOBJ o) {
    if (o) made_.push_back(o);
    return o;
  }

  HDC dc_;
  rtl::TRect dest_;
  double fx_, fy_, fw_, fh_;
  int saved_ = 0;
  std::vector<HGDIOBJ> made_;
};

// ---- WMF -----------------------------------------------------------------------

struct TWmfLayout {
  std::size_t records = 0;  // offset of the first record
  bool placeable = false;
  double bl = 0, bt = 0, bw = 0, bh = 0;  // bounding box in logical units
  int inch = 1440;
};

TWmfLayout WmfLayout(const std::uint8_t* d, std::size_t n) {
  TWmfLayout l;
  std::size_t pos = 0;
  if (n >= 22 && U32(d) == kPlaceableKey) {
    l.placeable = true;
    l.bl = I16(d + 6);
    l.bt = I16(d + 8);
    l.bw = I16(d + 10) - l.bl;
    l.bh = I16(d + 12) - l.bt;
    l.inch = U16(d + 14) ? U16(d + 14) : 1440;
    pos = 22;
  }
  if (n < pos + 18) Bad("no header");
  const int type = U16(d + pos), words = U16(d + pos + 2);
  if ((type != 1 && type != 2) || words != 9) Bad("no header");
  l.records = pos + 18;
  return l;
}

struct TWmfRecordName {
  unsigned type;
  const char* name;
};
const TWmfRecordName kWmfNames[] = {
    {0x0817, "META_ARC"}, {0x0830, "META_CHORD"}, {0x0548, "META_EXTFLOODFILL"}, {0x0419, "META_FLOODFILL"},
    {0x0228, "META_FILLREGION"}, {0x0429, "META_FRAMEREGION"}, {0x0231, "META_SETMAPPERFLAGS"},
    {0x0625, "META_PATBLT"}, {0x0922, "META_BITBLT"}, {0x0B23, "META_STRETCHBLT"}, {0x0D33, "META_SETDIBTODEV"},
    {0x0142, "META_DIBCREATEPATTERNBRUSH"}, {0x01F9, "META_CREATEPATTERNBRUSH"}, {0x06FF, "META_CREATEREGION"},
    {0x00F7, "META_CREATEPALETTE"}, {0x0436, "META_ANIMATEPALETTE"}, {0x0037, "META_SETPALENTRIES"},
    {0x0139, "META_RESIZEPALETTE"}, {0x012C, "META_SELECTCLIPREGION"}, {0x0220, "META_OFFSETCLIPRGN"},
};

const char* WmfName(unsigned type) {
  for (const auto& n : kWmfNames)
    if (n.type == type) return n.name;
  return "unknown";
}

void WmfObject(TPlayer& p, TObj o) {
  for (TObj& slot : p.objects)
    if (slot.kind == TObj::None) {
      slot = o;
      return;
    }
  p.objects.push_back(o);
}

void PlayWmf(HDC dc, const std::uint8_t* d, std::size_t n, const rtl::TRect& dest) {
  const TWmfLayout l = WmfLayout(d, n);
  // The frame: the placeable box, else the window that the file sets first.
  double fx = l.bl, fy = l.bt, fw = l.bw, fh = l.bh;
  if (!l.placeable) {
    bool org = false, ext = false;
    for (std::size_t pos = l.records; pos + 6 <= n;) {
      const std::size_t size = std::size_t(U32(d + pos)) * 2;
      const unsigned type = U16(d + pos + 4);
      if (size < 6 || pos + size > n || type == 0) break;
      if (type == 0x020B && !org && size >= 10) fy = I16(d + pos + 6), fx = I16(d + pos + 8), org = true;
      if (type == 0x020C && !ext && size >= 10) fh = I16(d + pos + 6), fw = I16(d + pos + 8), ext = true;
      pos += size;
    }
    if (!ext) Bad("no picture size (no placeable header, no window extent)");
  }
  if (fw == 0 || fh == 0) Bad("empty picture frame");
  TPlayer p(dc, dest, fx, fy, fw, fh);
  // The file's window is the frame already: its own mapping is the identity.
  for (std::size_t pos = l.records;;) {
    if (pos + 6 > n) Bad("missing end record");
    const std::size_t size = std::size_t(U32(d + pos)) * 2;
    const unsigned type = U16(d + pos + 4);
    if (size < 6 || pos + size > n) Bad("record outside the file");
    const std::uint8_t* a = d + pos + 6;  // parameters, 16-bit words
    const std::size_t na = size - 6;
    auto w = [&](std::size_t i) -> std::int16_t {
      if (2 * i + 2 > na) Bad("short record");
      return I16(a + 2 * i);
    };
    auto color = [&](std::size_t i) -> COLORREF {
      if (2 * i + 4 > na) Bad("short record");
      return U32(a + 2 * i) & 0xFFFFFF;
    };
    auto points = [&](std::size_t first, int count) {
      std::vector<POINT> pts;
      if (count < 0 || 2 * (first + 2 * std::size_t(count)) > na) Bad("short record");
      for (int i = 0; i < count; ++i) pts.push_back(p.P(w(first + 2 * i), w(first + 2 * i + 1)));
      return pts;
    };
    switch (type) {
      case 0x0000: return;  // META_EOF
      case 0x0201: SetBkColor(p.dc(), color(0)); break;
      case 0x0102: SetBkMode(p.dc(), w(0)); break;
      case 0x0103: break;  // META_SETMAPMODE: the frame maps the file
      case 0x0104: SetROP2(p.dc(), w(0)); break;
      case 0x0105: case 0x0108: case 0x0234: case 0x0035: case 0x0626: case 0x0107: case 0x0106: break;
      case 0x0209: SetTextColor(p.dc(), color(0)); break;
      case 0x012E: SetTextAlign(p.dc(), UINT(U16(a))); break;
      case 0x020B: case 0x020C: case 0x020D: case 0x020E: case 0x0211: case 0x0212: case 0x0410: case 0x0412:
        break;  // window and viewport: the frame is the first window (see above)
      case 0x001E: SaveDC(p.dc()); break;
      case 0x0127: RestoreDC(p.dc(), w(0)); break;
      case 0x0214: p.MoveTo(w(1), w(0)); break;
      case 0x0213: p.LineTo(w(1), w(0)); break;
      case 0x041B: p.Rect(w(3), w(2), w(1), w(0), 0); break;
      case 0x0418: p.Rect(w(3), w(2), w(1), w(0), 1); break;
      case 0x061C: p.Rect(w(5), w(4), w(3), w(2), 2, w(1), w(0)); break;
      case 0x0817: p.ArcPie(false, w(7), w(6), w(5), w(4), w(3), w(2), w(1), w(0)); break;
      case 0x081A: p.ArcPie(true, w(7), w(6), w(5), w(4), w(3), w(2), w(1), w(0)); break;
      case 0x041F: p.Pixel(w(3), w(2), color(0)); break;
      case 0x0324: p.Poly(points(1, w(0)), true); break;
      case 0x0325: p.Poly(points(1, w(0)), false); break;
      case 0x0538: {
        const int polys = w(0);
        std::size_t at = 1 + std::size_t(std::max(0, polys));
        std::vector<std::vector<POINT>> all;
        for (int k = 0; k < polys; ++k) {
          const int c = w(1 + std::size_t(k));
          all.push_back(points(at, c));
          at += 2 * std::size_t(c);
        }
        p.PolyPoly(all);
        break;
      }
      case 0x0416: p.ClipRect(false, w(3), w(2), w(1), w(0)); break;
      case 0x0415: p.ClipRect(true, w(3), w(2), w(1), w(0)); break;
      case 0x0521: {  // META_TEXTOUT: length, string (even), y, x
        const int len = w(0);
        const std::size_t padded = (std::size_t(std::max(0, len)) + 1) / 2;
        if (2 + 2 * padded + 4 > na) Bad("short record");
        const String s = DecodeAnsi(a + 2, std::size_t(len), p.charset);
        p.Text(w(2 + padded), w(1 + padded), s, false, nullptr);
        break;
      }
      case 0x0A32: {  // META_EXTTEXTOUT: y, x, length, options, [rect], string, [dx]
        const int len = w(2);
        const unsigned options = std::uint16_t(w(3));
        std::size_t at = 4;
        RECT r{};
        const bool hasRect = options & (ETO_OPAQUE | ETO_CLIPPED);
        if (hasRect) {
          r = {w(4), w(5), w(6), w(7)};
          at = 8;
        }
        if (2 * at + std::size_t(std::max(0, len)) > na) Bad("short record");
        const String s = DecodeAnsi(a + 2 * at, std::size_t(len), p.charset);
        p.Text(w(1), w(0), s, options & ETO_OPAQUE, hasRect ? &r : nullptr);
        break;
      }
      case 0x02FA: {  // META_CREATEPENINDIRECT
        TObj o;
        o.kind = TObj::Pen;
        o.pen.lopnStyle = UINT(std::uint16_t(w(0)) & 0xFF);
        o.pen.lopnWidth = {w(1), 0};
        o.pen.lopnColor = color(3);
        WmfObject(p, o);
        break;
      }
      case 0x02FC: {  // META_CREATEBRUSHINDIRECT
        TObj o;
        o.kind = TObj::Brush;
        o.brush.lbStyle = UINT(std::uint16_t(w(0)));
        o.brush.lbColor = color(1);
        o.brush.lbHatch = std::uint16_t(w(3));
        if (o.brush.lbStyle > BS_HATCHED) Unsupported("WMF", type, "pattern brush");
        WmfObject(p, o);
        break;
      }
      case 0x02FB: {  // META_CREATEFONTINDIRECT (a 16-bit LOGFONT)
        if (na < 18) Bad("short record");
        TObj o;
        o.kind = TObj::Font;
        o.font.lfHeight = w(0);
        o.font.lfWidth = w(1);
        o.font.lfEscapement = w(2);
        o.font.lfOrientation = w(3);
        o.font.lfWeight = w(4);
        o.font.lfItalic = a[10];
        o.font.lfUnderline = a[11];
        o.font.lfStrikeOut = a[12];
        o.font.lfCharSet = a[13];
        const String face = DecodeAnsi(a + 18, std::min<std::size_t>(32, na - 18), o.font.lfCharSet);
        for (std::size_t i = 0; i < face.size() && i + 1 < LF_FACESIZE && face[i]; ++i) o.font.lfFaceName[i] = face[i];
        WmfObject(p, o);
        break;
      }
      case 0x012D: {
        const int i = std::uint16_t(w(0));
        if (i >= int(p.objects.size())) Bad("selects an object that was never made");
        p.Select(p.objects[std::size_t(i)]);
        break;
      }
      case 0x01F0: {
        const int i = std::uint16_t(w(0));
        if (i < int(p.objects.size())) p.objects[std::size_t(i)] = TObj();
        break;
      }
      case 0x0940: case 0x0B41: case 0x0F43: {  // META_DIBBITBLT, META_DIBSTRETCHBLT, META_STRETCHDIB
        // Parameters after the raster operation, in reverse order.
        const bool stretchDib = type == 0x0F43;
        const bool stretch = type != 0x0940;
        const std::size_t first = stretchDib ? 3 : 2;
        const std::size_t count = stretch ? 8 : 6;
        const DWORD op = DWORD(U32(a));
        auto q = [&](std::size_t k) { return w(first + count - 1 - k); };  // k-th in forward order
        double dx, dy, dw, dh;
        int sx, sy, sw, sh;
        if (stretch) {
          dx = q(0), dy = q(1), dw = q(2), dh = q(3), sx = q(4), sy = q(5), sw = q(6), sh = q(7);
        } else {
          dx = q(0), dy = q(1), dw = q(2), dh = q(3), sx = q(4), sy = q(5), sw = int(dw), sh = int(dh);
        }
        const std::size_t bmiAt = 2 * (first + count);
        if (bmiAt >= na) {
          p.Fill(dx, dy, dw, dh, op);  // no bitmap: a pattern fill
          break;
        }
        const std::uint8_t* bmi = a + bmiAt;
        const std::size_t rest = na - bmiAt;
        if (rest < 40 && !(rest >= 12 && U32(bmi) == 12)) Bad("bitmap header");
        const std::uint32_t hdr = U32(bmi);
        if (hdr > rest) Bad("bitmap header");
        const int bpp = hdr == 12 ? U16(bmi + 10) : U16(bmi + 14);
        std::uint32_t colors = hdr >= 40 && U32(bmi + 32) ? U32(bmi + 32) : bpp <= 8 ? (1u << bpp) : 0;
        if (hdr >= 40 && U32(bmi + 16) == 3) colors = 3;
        const std::size_t bmiSize = hdr + colors * (hdr == 12 ? 3 : 4);
        if (bmiSize > rest) Bad("bitmap palette");
        p.Dib(bmi, bmiSize, bmi + bmiSize, rest - bmiSize, dx, dy, dw, dh, sx, sy, sw, sh);
        break;
      }
      default: Unsupported("WMF", type, WmfName(type));
    }
    pos += size;
  }
}

// ---- EMF -----------------------------------------------------------------------

struct TEmfHeader {
  double fx, fy, fw, fh;  // the frame in reference-device pixels
  int width, height;       // natural size at 96 per inch
};

TEmfHeader EmfHeader(const std::uint8_t* d, std::size_t n) {
  if (n < 88 || U32(d) != 1 || U32(d + 40) != kEmfSignature) Bad("no enhanced metafile header");
  const std::uint32_t hsize = U32(d + 4);
  if (hsize < 88 || hsize > n) Bad("bad header");
  // Frame in 0.01 mm, the reference device in pixels and millimetres.
  const double fl = I32(d + 24), ft = I32(d + 28), fr = I32(d + 32), fb = I32(d + 36);
  const double devW = I32(d + 72), devH = I32(d + 76), mmW = I32(d + 80), mmH = I32(d + 84);
  TEmfHeader h{};
  if (devW > 0 && devH > 0 && mmW > 0 && mmH > 0 && fr > fl && fb > ft) {
    const double pxX = devW / (mmW * 100.0), pxY = devH / (mmH * 100.0);
    h.fx = fl * pxX;
    h.fy = ft * pxY;
    h.fw = (fr - fl) * pxX;
    h.fh = (fb - ft) * pxY;
    h.width = int(std::lround((fr - fl) / 2540.0 * 96.0));
    h.height = int(std::lround((fb - ft) / 2540.0 * 96.0));
  } else {
    // Without a usable frame: the bounds, inclusive, in device pixels.
    const double bl = I32(d + 8), bt = I32(d + 12), br = I32(d + 16), bb = I32(d + 20);
    h.fx = bl;
    h.fy = bt;
    h.fw = br - bl + 1;
    h.fh = bb - bt + 1;
    h.width = int(h.fw);
    h.height = int(h.fh);
  }
  if (h.fw <= 0 || h.fh <= 0 || h.width <= 0 || h.height <= 0) Bad("empty picture frame");
  return h;
}

const char* EmfName(unsigned type) {
  static const std::map<unsigned, const char*> names = {
      {2, "EMR_POLYBEZIER"}, {5, "EMR_POLYBEZIERTO"}, {7, "EMR_POLYPOLYLINE"}, {16, "EMR_SETMAPPERFLAGS"},
      {26, "EMR_OFFSETCLIPRGN"}, {31, "EMR_SCALEVIEWPORTEXTEX"}, {32, "EMR_SCALEWINDOWEXTEX"},
      {35, "EMR_SETWORLDTRANSFORM"}, {36, "EMR_MODIFYWORLDTRANSFORM"}, {41, "EMR_ANGLEARC"}, {46, "EMR_CHORD"},
      {53, "EMR_FILLRGN"}, {55, "EMR_ARCTO"}, {56, "EMR_POLYDRAW"}, {59, "EMR_BEGINPATH"}, {60, "EMR_ENDPATH"},
      {61, "EMR_CLOSEFIGURE"}, {62, "EMR_FILLPATH"}, {63, "EMR_STROKEANDFILLPATH"}, {64, "EMR_STROKEPATH"},
      {67, "EMR_SELECTCLIPPATH"}, {71, "EMR_FILLRGN"}, {72, "EMR_FRAMERGN"}, {74, "EMR_PAINTRGN"},
      {75, "EMR_EXTSELECTCLIPRGN"}, {78, "EMR_MASKBLT"}, {79, "EMR_PLGBLT"}, {80, "EMR_SETDIBITSTODEVICE"},
      {83, "EMR_POLYBEZIER16"}, {85, "EMR_POLYBEZIER16"}, {88, "EMR_POLYBEZIERTO16"}, {90, "EMR_POLYPOLYLINE16"},
      {92, "EMR_POLYDRAW16"}, {93, "EMR_CREATEMONOBRUSH"}, {94, "EMR_CREATEDIBPATTERNBRUSHPT"},
      {96, "EMR_POLYTEXTOUTA"}, {97, "EMR_POLYTEXTOUTW"}, {108, "EMR_SMALLTEXTOUT"}, {114, "EMR_ALPHABLEND"},
      {116, "EMR_TRANSPARENTBLT"}, {118, "EMR_GRADIENTFILL"},
  };
  const auto it = names.find(type);
  return it == names.end() ? "unknown" : it->second;
}

void PlayEmf(HDC dc, const std::uint8_t* d, std::size_t n, const rtl::TRect& dest) {
  const TEmfHeader h = EmfHeader(d, n);
  TPlayer p(dc, dest, h.fx, h.fy, h.fw, h.fh);
  std::vector<TObj> table(std::max<std::size_t>(1, U16(d + 56)));
  for (std::size_t pos = 0;;) {
    if (pos + 8 > n) Bad("missing end record");
    const unsigned type = U32(d + pos);
    const std::size_t size = U32(d + pos + 4);
    if (size < 8 || size % 4 || pos + size > n) Bad("record outside the file");
    const std::uint8_t* a = d + pos + 8;
    const std::size_t na = size - 8;
    auto i32 = [&](std::size_t k) -> std::int32_t {
      if (4 * k + 4 > na) Bad("short record");
      return I32(a + 4 * k);
    };
    auto u32 = [&](std::size_t k) { return std::uint32_t(i32(k)); };
    auto slot = [&](std::uint32_t i) -> TObj& {
      if (i >= table.size()) table.resize(i + 1);
      return table[i];
    };
    // Points after a bounds rectangle and a count: 32-bit or 16-bit pairs.
    auto points = [&](std::size_t at, std::uint32_t count, bool small) {
      std::vector<POINT> pts;
      const std::size_t unit = small ? 4 : 8;
      if (at + std::size_t(count) * unit > na) Bad("short record");
      for (std::uint32_t k = 0; k < count; ++k) {
        const std::uint8_t* q = a + at + k * unit;
        pts.push_back(small ? p.P(I16(q), I16(q + 2)) : p.P(I32(q), I32(q + 4)));
      }
      return pts;
    };
    switch (type) {
      case 1: break;  // the header
      case 14: return;  // EMR_EOF
      case 17: {      // EMR_SETMAPMODE
        p.mapMode = i32(0);
        if (p.mapMode != 1 && p.mapMode != 7 && p.mapMode != 8) Unsupported("EMF", type, "EMR_SETMAPMODE (metric map modes)");
        p.scaled = p.mapMode != 1;
        break;
      }
      case 9: p.wex = i32(0) ? i32(0) : 1, p.wey = i32(1) ? i32(1) : 1; break;
      case 10: p.wox = i32(0), p.woy = i32(1); break;
      case 11: p.vex = i32(0) ? i32(0) : 1, p.vey = i32(1) ? i32(1) : 1; break;
      case 12: p.vox = i32(0), p.voy = i32(1); break;
      case 18: SetBkMode(p.dc(), i32(0)); break;
      case 20: SetROP2(p.dc(), i32(0)); break;
      case 22: SetTextAlign(p.dc(), u32(0)); break;
      case 24: SetTextColor(p.dc(), u32(0) & 0xFFFFFF); break;
      case 25: SetBkColor(p.dc(), u32(0) & 0xFFFFFF); break;
      case 19: case 21: case 13: case 58: case 70: case 98: case 115: case 48: case 49: case 50: case 51: case 52:
      case 57: case 100: case 101: case 102: case 103: case 104: case 105: case 106: case 107: case 109: case 110:
      case 111: case 112: case 113: case 119: case 120: case 121: case 122:
        break;  // fill mode, stretch mode, brush origin, comments, colour management, palettes: nothing to draw
      case 33: SaveDC(p.dc()); break;
      case 34: RestoreDC(p.dc(), i32(0)); break;
      case 27: p.MoveTo(i32(0), i32(1)); break;
      case 54: p.LineTo(i32(0), i32(1)); break;
      case 15: p.Pixel(i32(0), i32(1), u32(2) & 0xFFFFFF); break;
      case 43: p.Rect(i32(0), i32(1), i32(2), i32(3), 0); break;
      case 42: p.Rect(i32(0), i32(1), i32(2), i32(3), 1); break;
      case 44: p.Rect(i32(0), i32(1), i32(2), i32(3), 2, i32(4), i32(5)); break;
      case 45: case 47:
        p.ArcPie(type == 47, i32(0), i32(1), i32(2), i32(3), i32(4), i32(5), i32(6), i32(7));
        break;
      case 30: p.ClipRect(false, i32(0), i32(1), i32(2), i32(3)); break;
      case 29: p.ClipRect(true, i32(0), i32(1), i32(2), i32(3)); break;
      case 3: case 4: case 86: case 87: {  // EMR_POLYGON, EMR_POLYLINE and their 16-bit forms
        const bool small = type >= 86;
        p.Poly(points(20, u32(4), small), type == 3 || type == 86);
        break;
      }
      case 6: case 89: {  // EMR_POLYLINETO(16): from the current position
        std::vector<POINT> pts = points(20, u32(4), type == 89);
        POINT cur;
        GetCurrentPositionEx(p.dc(), &cur);
        pts.insert(pts.begin(), cur);
        p.Poly(pts, false);
        if (!pts.empty()) MoveToEx(p.dc(), pts.back().X, pts.back().Y, nullptr);
        break;
      }
      case 8: case 91: {  // EMR_POLYPOLYGON(16): bounds, polygon count, point count, counts, points
        const bool small = type == 91;
        const std::uint32_t polys = u32(4);
        if (polys > na / 4) Bad("short record");
        std::size_t at = 24 + 4 * std::size_t(polys);
        std::vector<std::vector<POINT>> all;
        for (std::uint32_t k = 0; k < polys; ++k) {
          const std::uint32_t c = u32(6 + k);
          all.push_back(points(at, c, small));
          at += std::size_t(c) * (small ? 4 : 8);
        }
        p.PolyPoly(all);
        break;
      }
      case 37: {  // EMR_SELECTOBJECT
        const std::uint32_t i = u32(0);
        if (i & 0x80000000u) p.SelectStock(int(i & 0x7FFFFFFF));
        else p.Select(slot(i));
        break;
      }
      case 40: slot(u32(0)) = TObj(); break;
      case 38: {  // EMR_CREATEPEN: index, style, width (x, y), colour
        TObj o;
        o.kind = TObj::Pen;
        o.pen.lopnStyle = u32(1) & 0xFF;
        o.pen.lopnWidth = {i32(2), 0};
        o.pen.lopnColor = u32(4) & 0xFFFFFF;
        slot(u32(0)) = o;
        break;
      }
      case 95: {  // EMR_EXTCREATEPEN: index, bmi offsets (4), style, width, brush style, colour, hatch
        TObj o;
        o.kind = TObj::Pen;
        o.pen.lopnStyle = u32(5) & 0xFF;
        o.pen.lopnWidth = {i32(6), 0};
        o.pen.lopnColor = u32(8) & 0xFFFFFF;
        if (u32(7) == BS_NULL) o.pen.lopnStyle = PS_NULL;
        slot(u32(0)) = o;
        break;
      }
      case 39: {  // EMR_CREATEBRUSHINDIRECT: index, style, colour, hatch
        TObj o;
        o.kind = TObj::Brush;
        o.brush.lbStyle = u32(1);
        o.brush.lbColor = u32(2) & 0xFFFFFF;
        o.brush.lbHatch = u32(3);
        if (o.brush.lbStyle > BS_HATCHED) Unsupported("EMF", type, "EMR_CREATEBRUSHINDIRECT (pattern brush)");
        slot(u32(0)) = o;
        break;
      }
      case 82: {  // EMR_EXTCREATEFONTINDIRECTW: index, LOGFONTW
        if (na < 4 + 92) Bad("short record");
        TObj o;
        o.kind = TObj::Font;
        const std::uint8_t* f = a + 4;
        o.font.lfHeight = I32(f);
        o.font.lfWidth = I32(f + 4);
        o.font.lfEscapement = I32(f + 8);
        o.font.lfOrientation = I32(f + 12);
        o.font.lfWeight = I32(f + 16);
        o.font.lfItalic = f[20];
        o.font.lfUnderline = f[21];
        o.font.lfStrikeOut = f[22];
        o.font.lfCharSet = f[23];
        for (int k = 0; k + 1 < LF_FACESIZE; ++k) {
          const char16_t c = char16_t(U16(f + 28 + 2 * k));
          if (!c) break;
          o.font.lfFaceName[k] = c;
        }
        slot(u32(0)) = o;
        break;
      }
      case 84: case 83: {  // EMR_EXTTEXTOUTW / A: bounds, mode, scales, EMRTEXT
        const std::int32_t x = i32(7), y = i32(8);
        const std::uint32_t chars = u32(9), off = u32(10), options = u32(11);
        RECT r{i32(12), i32(13), i32(14), i32(15)};
        const std::size_t unit = type == 84 ? 2 : 1;
        if (off < 8 || off - 8 + std::size_t(chars) * unit > na) Bad("short record");
        String s;
        if (type == 84) {
          for (std::uint32_t k = 0; k < chars; ++k) s += char16_t(U16(a + off - 8 + 2 * k));
        } else {
          s = DecodeAnsi(a + off - 8, chars, p.charset);
        }
        const bool hasRect = (options & (ETO_OPAQUE | ETO_CLIPPED)) && r.Right > r.Left && r.Bottom > r.Top;
        p.Text(x, y, s, options & ETO_OPAQUE, hasRect ? &r : nullptr);
        break;
      }
      case 81: {  // EMR_STRETCHDIBITS
        const std::int32_t dx = i32(4), dy = i32(5), sx = i32(6), sy = i32(7), sw = i32(8), sh = i32(9);
        const std::uint32_t offBmi = u32(10), cbBmi = u32(11), offBits = u32(12), cbBits = u32(13);
        const std::int32_t dw = i32(16), dh = i32(17);
        if (offBmi < 8 || offBmi - 8 + cbBmi > na || offBits < 8 || offBits - 8 + cbBits > na || cbBmi == 0)
          Bad("bitmap outside its record");
        p.Dib(a + offBmi - 8, cbBmi, a + offBits - 8, cbBits, dx, dy, dw, dh, sx, sy, sw, sh);
        break;
      }
      case 76: case 77: {  // EMR_BITBLT, EMR_STRETCHBLT
        const std::int32_t dx = i32(4), dy = i32(5), dw = i32(6), dh = i32(7);
        const DWORD rop = u32(8);
        const std::int32_t sx = i32(9), sy = i32(10);
        const std::uint32_t offBmi = u32(19), cbBmi = u32(20), offBits = u32(21), cbBits = u32(22);
        if (cbBmi == 0) {
          p.Fill(dx, dy, dw, dh, rop);
          break;
        }
        const std::int32_t sw = type == 77 ? i32(23) : dw, sh = type == 77 ? i32(24) : dh;
        if (offBmi < 8 || offBmi - 8 + cbBmi > na || offBits < 8 || offBits - 8 + cbBits > na)
          Bad("bitmap outside its record");
        p.Dib(a + offBmi - 8, cbBmi, a + offBits - 8, cbBits, dx, dy, dw, dh, sx, sy, sw, sh);
        break;
      }
      default: Unsupported("EMF", type, EmfName(type));
    }
    pos += size;
  }
}

}  // namespace

void MetafileSize(const std::uint8_t* data, std::size_t size, int& width, int& height, bool& enhanced) {
  if (size >= 44 && U32(data) == 1 && U32(data + 40) == kEmfSignature) {
    const TEmfHeader h = EmfHeader(data, size);
    width = h.width;
    height = h.height;
    enhanced = true;
  } else {
    const TWmfLayout l = WmfLayout(data, size);
    enhanced = false;
    if (l.placeable) {
      width = int(std::lround(std::fabs(l.bw) * 96.0 / l.inch));
      height = int(std::lround(std::fabs(l.bh) * 96.0 / l.inch));
    } else {
      width = height = 0;
      for (std::size_t pos = l.records; pos + 6 <= size;) {
        const std::size_t n = std::size_t(U32(data + pos)) * 2;
        if (n < 6 || pos + n > size || U16(data + pos + 4) == 0) break;
        if (U16(data + pos + 4) == 0x020C && n >= 10) {
          height = std::abs(I16(data + pos + 6));
          width = std::abs(I16(data + pos + 8));
          break;
        }
        pos += n;
      }
    }
  }
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) Bad("bad picture size");
}

void PlayMetafile(HDC dc, const std::uint8_t* data, std::size_t size, const rtl::TRect& dest) {
  if (size >= 44 && U32(data) == 1 && U32(data + 40) == kEmfSignature) PlayEmf(dc, data, size, dest);
  else PlayWmf(dc, data, size, dest);
}

TMetafile::TMetafile() = default;
TMetafile::~TMetafile() = default;

void TMetafile::Assign(rtl::TPersistent* source) {
  if (auto* m = dynamic_cast<TMetafile*>(source)) {
    data_ = m->data_;
    enhanced_ = m->enhanced_;
    width_ = m->width_;
    height_ = m->height_;
    Changed();
    return;
  }
  TGraphic::Assign(source);
}

void TMetafile::LoadFromStream(rtl::TStream* stream) {
  const rtl::Int64 n = stream->Size() - stream->Position();
  std::vector<std::uint8_t> data(static_cast<std::size_t>(std::max<rtl::Int64>(0, n)));
  if (!data.empty()) stream->ReadBuffer(data.data(), rtl::Int64(data.size()));
  int w = 0, h = 0;
  bool enhanced = false;
  MetafileSize(data.data(), data.size(), w, h, enhanced);
  // Played once now, so that a record this player cannot draw is reported
  // when the file is opened, not at every paint.
  TBitmap probe(std::min(w, 64), std::min(h, 64));
  PlayMetafile(probe.Canvas()->Handle(), data.data(), data.size(), {0, 0, probe.Width(), probe.Height()});
  data_ = std::move(data);
  width_ = w;
  height_ = h;
  enhanced_ = enhanced;
  Changed();
}

void TMetafile::SaveToStream(rtl::TStream* stream) {
  if (!data_.empty()) stream->WriteBuffer(data_.data(), rtl::Int64(data_.size()));
}

void TMetafile::Draw(TCanvas* canvas, const rtl::TRect& r) {
  if (data_.empty() || r.Width() <= 0 || r.Height() <= 0) return;
  try {
    PlayMetafile(canvas->Handle(), data_.data(), data_.size(), r);
  } catch (const rtl::EInvalidGraphic&) {
    // Checked when loaded; a paint draws what it can.
  }
}

}  // namespace gdi
