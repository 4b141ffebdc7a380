// Fonts and text output: FreeType glyphs found through fontconfig.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SIZES_H
#include FT_TRUETYPE_TABLES_H
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <tuple>

#include "platform/gdi/FontFace.h"
#include "platform/gdi/GdiObjects.h"
#include "platform/gdi/TextRender.h"
#include "platform/rtl/Strings.h"

namespace gdi {

namespace {

FT_Library Library() {
  static FT_Library lib = [] {
    FT_Library l = nullptr;
    FT_Init_FreeType(&l);
    return l;
  }();
  return lib;
}

struct FaceFile {
  FT_Face face = nullptr;
  int weight = FC_WEIGHT_REGULAR;
  int slant = FC_SLANT_ROMAN;
};

// Faces stay open for the life of the process; a handful of files is used.
FT_Face OpenFace(const std::string& path, int index) {
  static std::map<std::pair<std::string, int>, FT_Face> faces;
  auto key = std::make_pair(path, index);
  auto it = faces.find(key);
  if (it != faces.end()) return it->second;
  FT_Face face = nullptr;
  if (FT_New_Face(Library(), path.c_str(), index, &face) != 0) face = nullptr;
  if (face) FT_Select_Charmap(face, FT_ENCODING_UNICODE);
  faces[key] = face;
  return face;
}

FaceFile Match(const std::string& family, bool bold, bool italic, bool cjk) {
  static std::map<std::tuple<std::string, bool, bool, bool>, FaceFile> cache;
  auto key = std::make_tuple(family, bold, italic, cjk);
  auto it = cache.find(key);
  if (it != cache.end()) return it->second;
  // fontconfig keeps allocations until FcFini; release them at exit so leak
  // checkers see a clean process.
  static bool init = [] {
    const bool ok = FcInit();
    std::atexit([] { FcFini(); });
    return ok;
  }();
  (void)init;
  FaceFile result;
  FcPattern* pat = FcPatternCreate();
  if (!family.empty()) FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  if (cjk) FcPatternAddString(pat, FC_LANG, reinterpret_cast<const FcChar8*>("zh-cn"));
  FcPatternAddInteger(pat, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
  FcPatternAddInteger(pat, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
  FcPatternAddBool(pat, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pat, FcMatchPattern);
  FcDefaultSubstitute(pat);
  FcResult res;
  FcPattern* match = FcFontMatch(nullptr, pat, &res);
  if (match) {
    FcChar8* file = nullptr;
    int index = 0;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
      FcPatternGetInteger(match, FC_INDEX, 0, &index);
      result.face = OpenFace(reinterpret_cast<const char*>(file), index);
    }
    FcPatternGetInteger(match, FC_WEIGHT, 0, &result.weight);
    FcPatternGetInteger(match, FC_SLANT, 0, &result.slant);
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pat);
  cache[key] = result;
  return result;
}

int Scale(long units, int ppem, int upem) { return int(std::lround(double(units) * ppem / upem)); }

}  // namespace

struct FontFace::Sub {
  FT_Face face = nullptr;
  FT_Size size = nullptr;
  bool embolden = false, oblique = false;
  int ppem = 0;

  ~Sub() {
    if (size) FT_Done_Size(size);
  }
  bool Init(const FaceFile& f, int px, bool bold, bool italic) {
    face = f.face;
    if (!face) return false;
    if (FT_New_Size(face, &size) != 0) {
      size = nullptr;
      return false;
    }
    FT_Activate_Size(size);
    ppem = px;
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(std::max(1, px)));
    embolden = bold && f.weight < FC_WEIGHT_DEMIBOLD;
    oblique = italic && f.slant == FC_SLANT_ROMAN;
    return true;
  }
  bool Has(char32_t ch) const { return face && FT_Get_Char_Index(face, ch) != 0; }

  bool Render(char32_t ch, Glyph& g, bool useNotdef) {
    FT_UInt idx = FT_Get_Char_Index(face, ch);
    if (!idx && !useNotdef) return false;
    FT_Activate_Size(size);
    if (FT_Load_Glyph(face, idx, FT_LOAD_TARGET_LIGHT | FT_LOAD_NO_BITMAP) != 0) return false;
    FT_GlyphSlot slot = face->glyph;
    int extra = 0;
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
      if (embolden) {
        const FT_Pos strength = std::max<FT_Pos>(32, FT_Pos(ppem) * 64 / 24);
        FT_Outline_EmboldenXY(&slot->outline, strength, 0);
        extra = int((strength + 32) >> 6);
      }
      if (oblique) {
        FT_Matrix shear{0x10000, 0x0366A, 0, 0x10000};  // about 12 degrees
        FT_Outline_Transform(&slot->outline, &shear);
      }
    }
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return false;
    g.advance = int((slot->advance.x + 32) >> 6) + extra;
    g.left = slot->bitmap_left;
    g.top = slot->bitmap_top;
    g.width = int(slot->bitmap.width);
    g.height = int(slot->bitmap.rows);
    g.coverage.assign(std::size_t(g.width) * g.height, 0);
    for (int y = 0; y < g.height; ++y)
      std::memcpy(g.coverage.data() + std::size_t(y) * g.width, slot->bitmap.buffer + std::ptrdiff_t(y) * slot->bitmap.pitch,
                  g.width);
    return true;
  }
};

FontFace::~FontFace() = default;

std::shared_ptr<FontFace> FontFace::Resolve(const LOGFONTW& lf) {
  std::u16string name;
  for (int i = 0; i < LF_FACESIZE && lf.lfFaceName[i]; ++i) name.push_back(lf.lfFaceName[i]);
  const bool bold = lf.lfWeight >= FW_SEMIBOLD;
  const bool italic = lf.lfItalic != 0;
  using Key = std::tuple<std::u16string, int, bool, bool, bool, bool>;
  static std::map<Key, std::shared_ptr<FontFace>> cache;
  const Key key{name, lf.lfHeight, bold, italic, lf.lfUnderline != 0, lf.lfStrikeOut != 0};
  if (auto it = cache.find(key); it != cache.end()) return it->second;

  std::string family = rtl::StringToUtf8(name);
  if (family.empty()) family = "Liberation Sans";
  // The Chinese system faces the converter's forms name are not on Linux;
  // fontconfig would give a Latin face and leave every ideograph to the
  // fallback. Use the installed Chinese face for the whole text instead.
  static const char* const kChineseFaces[] = {"宋体", "新宋体", "SimSun", "NSimSun", "黑体", "SimHei",
                                              "微软雅黑", "Microsoft YaHei", "楷体", "KaiTi", "仿宋", "FangSong"};
  for (const char* f : kChineseFaces)
    if (family == f) family = "WenQuanYi Micro Hei";
  // A Chinese character set asks fontconfig for faces that cover Chinese.
  FaceFile file = Match(family, bold, italic, lf.lfCharSet == GB2312_CHARSET);
  if (!file.face) file = Match("sans-serif", bold, italic, false);
  if (!file.face) return nullptr;
  FT_Face face = file.face;
  const int upem = face->units_per_EM ? face->units_per_EM : 2048;
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  const long winA = os2 && os2->usWinAscent ? os2->usWinAscent : face->ascender;
  const long winD = os2 && os2->usWinAscent ? os2->usWinDescent : -face->descender;
  // Glyphs stop growing at 2000 pixels; the cell height stops with them so
  // that the metrics still describe what is drawn (and -INT_MIN never happens).
  constexpr long kMaxSize = 2000;
  const long height = std::clamp<long>(lf.lfHeight, -kMaxSize, kMaxSize);
  int ppem;
  if (height < 0) ppem = int(-height);
  else if (height > 0) ppem = std::max(1, int(std::lround(double(height) * upem / double(winA + winD))));
  else ppem = 12;

  auto f = std::shared_ptr<FontFace>(new FontFace);
  f->primary_ = std::make_unique<Sub>();
  if (!f->primary_->Init(file, ppem, bold, italic)) return nullptr;
  FaceFile cjk = Match("WenQuanYi Micro Hei", bold, italic, true);
  if (cjk.face && cjk.face != face) {
    f->fallback_ = std::make_unique<Sub>();
    if (!f->fallback_->Init(cjk, ppem, bold, italic)) f->fallback_.reset();
  }

  TEXTMETRICW& tm = f->tm_;
  tm.tmAscent = Scale(winA, ppem, upem);
  tm.tmDescent = Scale(winD, ppem, upem);
  if (height > 0) tm.tmDescent = std::max(0, int(height) - tm.tmAscent);
  tm.tmHeight = tm.tmAscent + tm.tmDescent;
  tm.tmInternalLeading = std::max(0, tm.tmHeight - ppem);
  const auto* hhea = static_cast<const TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA));
  tm.tmExternalLeading =
      hhea ? std::max(0, Scale(hhea->Ascender - hhea->Descender + hhea->Line_Gap - (winA + winD), ppem, upem)) : 0;
  tm.tmAveCharWidth = os2 && os2->xAvgCharWidth ? Scale(os2->xAvgCharWidth, ppem, upem) : 0;
  tm.tmMaxCharWidth = Scale(face->max_advance_width, ppem, upem);
  tm.tmWeight = lf.lfWeight ? lf.lfWeight : FW_NORMAL;
  tm.tmItalic = italic;
  tm.tmUnderlined = lf.lfUnderline;
  tm.tmStruckOut = lf.lfStrikeOut;
  tm.tmCharSet = lf.lfCharSet;
  if (tm.tmAveCharWidth == 0) tm.tmAveCharWidth = f->Advance(U'x');
  f->underline_ = lf.lfUnderline != 0;
  f->strike_ = lf.lfStrikeOut != 0;
  f->underlinePos_ = std::max(1, Scale(-face->underline_position, ppem, upem));
  f->underlineThick_ = std::max(1, Scale(face->underline_thickness, ppem, upem));
  f->strikePos_ = os2 && os2->yStrikeoutPosition ? Scale(os2->yStrikeoutPosition, ppem, upem) : tm.tmAscent / 3;
  if (cache.size() > 512) cache.clear();
  cache[key] = f;
  return f;
}

const Glyph& FontFace::GetGlyph(char32_t ch) {
  auto it = cache_.find(ch);
  if (it != cache_.end()) return it->second;
  Glyph g;
  if (ch >= 0x20 && ch != 0x7F) {
    if (!primary_->Render(ch, g, false)) {
      if (!(fallback_ && fallback_->Render(ch, g, false))) primary_->Render(ch, g, true);
    }
  }
  return cache_.emplace(ch, std::move(g)).first->second;
}

namespace {
// Whether text[i] and text[i + 1] (of count units) form a surrogate pair.
bool SurrogatePairAt(const WCHAR* text, std::size_t i, std::size_t count) {
  return text[i] >= 0xD800 && text[i] < 0xDC00 && i + 1 < count && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000;
}

char32_t PairCodePoint(const WCHAR* pair) {
  return 0x10000 + ((char32_t(pair[0]) - 0xD800) << 10) + (char32_t(pair[1]) - 0xDC00);
}
}  // namespace

std::u32string ToCodePoints(const WCHAR* text, int count) {
  std::u32string out;
  if (!text) return out;
  out.reserve(std::size_t(std::max(0, count)));
  for (int i = 0; i < count; ++i) {
    const char16_t c = text[i];
    if (SurrogatePairAt(text, std::size_t(i), std::size_t(count))) {
      out.push_back(PairCodePoint(text + i));
      ++i;
    } else if (c >= 0xD800 && c < 0xE000) {
      out.push_back(0xFFFD);
    } else {
      out.push_back(c);
    }
  }
  return out;
}

// ---- Rendering -------------------------------------------------------------

FontFace* CurrentFace(DeviceContext* dc) {
  FontObject* f = Checked(dc->st.font, OBJ_FONT);
  if (!f) f = static_cast<FontObject*>(GetStockObject(SYSTEM_FONT));
  if (!f->face) f->face = FontFace::Resolve(f->lf);
  return f->face.get();
}

int MeasureRun(FontFace* face, const char32_t* s, int n) {
  int w = 0;
  for (int i = 0; i < n; ++i) w += face->Advance(s[i]);
  return w;
}

namespace {
inline std::uint32_t Div255(std::uint32_t x) { return (x + 128 + ((x + 128) >> 8)) >> 8; }

void BlendCoverage(std::uint32_t* d, const std::uint8_t* cov, int n, std::uint32_t color) {
  const std::uint32_t sr = (color >> 16) & 0xFF, sg = (color >> 8) & 0xFF, sb = color & 0xFF;
  for (int i = 0; i < n; ++i) {
    const std::uint32_t c = cov[i];
    if (!c) continue;
    const std::uint32_t p = d[i];
    if (c == 255) {
      d[i] = (p & 0xFF000000) | (color & 0xFFFFFF);
      continue;
    }
    const std::uint32_t ic = 255 - c;
    const std::uint32_t r = Div255(((p >> 16) & 0xFF) * ic + sr * c), g = Div255(((p >> 8) & 0xFF) * ic + sg * c),
                        b = Div255((p & 0xFF) * ic + sb * c);
    d[i] = (p & 0xFF000000) | r << 16 | g << 8 | b;
  }
}
}  // namespace

void FillSurfaceSolid(DeviceContext* dc, const Region& area, std::uint32_t color) {
  Surface* s = dc->surface();
  if (!s) return;
  std::vector<std::uint32_t> scratch;
  for (const RECT& c : area.Rects())
    for (int y = c.Top; y < c.Bottom; ++y) {
      std::uint32_t* d = s->Span(c.Left, y, c.Width(), scratch);
      for (int i = 0; i < c.Width(); ++i) d[i] = (d[i] & 0xFF000000) | (color & 0xFFFFFF);
      s->Commit(c.Left, y, c.Width(), d);
    }
}

void DrawRun(DeviceContext* dc, FontFace* face, int sx, int baseline, const char32_t* text, int n, const int* dx,
             const Region& clip, std::uint32_t color) {
  Surface* s = dc->surface();
  if (!s || clip.IsEmpty()) return;
  const RECT box = clip.Box();
  std::vector<std::uint32_t> scratch;
  int pen = sx;
  for (int i = 0; i < n; ++i) {
    const Glyph& g = face->GetGlyph(text[i]);
    const int gx = pen + g.left, gy = baseline - g.top;
    pen += dx ? dx[i] : g.advance;
    if (g.width == 0 || gx >= box.Right || gx + g.width <= box.Left || gy >= box.Bottom || gy + g.height <= box.Top)
      continue;
    const RECT gr{gx, gy, gx + g.width, gy + g.height};
    for (const RECT& c : clip.Rects()) {
      if (c.Top >= gr.Bottom) break;
      const int x0 = std::max(c.Left, gr.Left), x1 = std::min(c.Right, gr.Right);
      const int y0 = std::max(c.Top, gr.Top), y1 = std::min(c.Bottom, gr.Bottom);
      if (x0 >= x1 || y0 >= y1) continue;
      for (int y = y0; y < y1; ++y) {
        std::uint32_t* d = s->Span(x0, y, x1 - x0, scratch);
        BlendCoverage(d, g.coverage.data() + std::size_t(y - gy) * g.width + (x0 - gx), x1 - x0, color);
        s->Commit(x0, y, x1 - x0, d);
      }
    }
  }
  const int width = pen - sx;
  if (face->Underline()) {
    const int t = baseline + face->UnderlinePos() - face->UnderlineThickness() / 2;
    FillSurfaceSolid(dc, clip.Intersect({sx, t, sx + width, t + face->UnderlineThickness()}), color);
  }
  if (face->StrikeOut()) {
    const int t = baseline - face->StrikePos();
    FillSurfaceSolid(dc, clip.Intersect({sx, t, sx + width, t + face->UnderlineThickness()}), color);
  }
}

// ---- API -------------------------------------------------------------------

HFONT CreateFontIndirect(const LOGFONTW* lf) {
  if (!lf) return nullptr;
  std::lock_guard lock(GdiLock());
  auto* f = new FontObject;
  f->lf = *lf;
  RegisterHandle(f);
  return f;
}

HFONT CreateFont(int height, int width, int esc, int orient, int weight, DWORD italic, DWORD underline,
                 DWORD strike, DWORD charSet, DWORD, DWORD, DWORD quality, DWORD pitch, const WCHAR* face) {
  LOGFONTW lf;
  lf.lfHeight = height;
  lf.lfWidth = width;
  lf.lfEscapement = esc;
  lf.lfOrientation = orient;
  lf.lfWeight = weight;
  lf.lfItalic = BYTE(italic != 0);
  lf.lfUnderline = BYTE(underline != 0);
  lf.lfStrikeOut = BYTE(strike != 0);
  lf.lfCharSet = BYTE(charSet);
  lf.lfQuality = BYTE(quality);
  lf.lfPitchAndFamily = BYTE(pitch);
  for (int i = 0; face && i < LF_FACESIZE - 1 && face[i]; ++i) lf.lfFaceName[i] = face[i];
  return CreateFontIndirect(&lf);
}

#define DC_OR_FAIL(fail)           \
  std::lock_guard lock(GdiLock()); \
  DeviceContext* dc = CheckedDC(h); \
  if (!dc) return fail

BOOL GetTextMetrics(HDC h, TEXTMETRICW* tm) {
  DC_OR_FAIL(FALSE);
  FontFace* f = CurrentFace(dc);
  if (!f || !tm) return FALSE;
  *tm = f->Metrics();
  return TRUE;
}

BOOL GetTextExtentPoint32(HDC h, const WCHAR* text, int count, SIZE* out) {
  DC_OR_FAIL(FALSE);
  FontFace* f = CurrentFace(dc);
  if (!f || !out || count < 0 || (!text && count)) return FALSE;
  const std::u32string cps = ToCodePoints(text, count);
  *out = {MeasureRun(f, cps.data(), int(cps.size())), f->Height()};
  return TRUE;
}

BOOL GetTextExtentExPoint(HDC h, const WCHAR* text, int count, int maxExtent, int* fit, int* dxOut, SIZE* out) {
  DC_OR_FAIL(FALSE);
  FontFace* f = CurrentFace(dc);
  if (!f || count < 0 || (!text && count)) return FALSE;
  // Per UTF-16 unit, as callers index the string they passed.
  int w = 0, fits = 0;
  bool stop = false;
  for (int i = 0; i < count; ++i) {
    char32_t ch = text[i];
    int units = 1;
    if (SurrogatePairAt(text, std::size_t(i), std::size_t(count))) {
      ch = PairCodePoint(text + i);
      units = 2;
    }
    w += f->Advance(ch);
    for (int k = 0; k < units; ++k) {
      if (dxOut) dxOut[i + k] = w;
    }
    if (!stop && (maxExtent < 0 || w <= maxExtent)) fits = i + units;
    else stop = true;
    i += units - 1;
  }
  if (fit) *fit = fits;
  if (out) *out = {w, f->Height()};
  return TRUE;
}

BOOL ExtTextOut(HDC h, int x, int y, UINT options, const RECT* r, const WCHAR* text, UINT count, const int* dx) {
  DC_OR_FAIL(FALSE);
  FontFace* f = CurrentFace(dc);
  if (!f || (!text && count)) return FALSE;
  const std::u32string cps = ToCodePoints(text, int(count));
  // dx is given per UTF-16 unit; fold surrogate pairs.
  std::vector<int> adv;
  if (dx) {
    for (UINT i = 0, k = 0; i < count; ++i, ++k) {
      int a = dx[i];
      if (SurrogatePairAt(text, i, count)) a += dx[++i];
      adv.push_back(a);
    }
  }
  const int width = dx ? [&] { int s = 0; for (int a : adv) s += a; return s; }() : MeasureRun(f, cps.data(), int(cps.size()));
  const UINT align = dc->st.textAlign;
  POINT ref = (align & TA_UPDATECP) ? dc->st.pos : POINT{x, y};
  std::int64_t left = ref.X;
  if ((align & TA_CENTER) == TA_CENTER) left -= width / 2;
  else if (align & TA_RIGHT) left -= width;
  std::int64_t top = ref.Y;
  if ((align & TA_BASELINE) == TA_BASELINE) top -= f->Ascent();
  else if (align & TA_BOTTOM) top -= f->Height();
  if (align & TA_UPDATECP)
    dc->st.pos.X = DeviceContext::Pin((align & TA_RIGHT) ? std::int64_t(ref.X) - width : std::int64_t(ref.X) + width);

  const Region& clipAll = dc->clipRegion();
  Region clip = clipAll;
  if (r) {
    const POINT a = dc->toSurface(r->Left, r->Top), b = dc->toSurface(r->Right, r->Bottom);
    const RECT sr{a.X, a.Y, b.X, b.Y};
    if (options & ETO_OPAQUE) FillSurfaceSolid(dc, clipAll.Intersect(sr), RefToPixel(dc->st.bkColor));
    if (options & ETO_CLIPPED) clip = clipAll.Intersect(sr);
  }
  // A run starting this far off never reaches a surface; drawing it would
  // only take glyph sums past the int range.
  constexpr std::int64_t kFarOff = std::int64_t(1) << 30;
  const std::int64_t spx = left + dc->dx(), spy = top + dc->dy();
  if (spx < -kFarOff || spx > kFarOff || spy < -kFarOff || spy > kFarOff) return TRUE;
  const POINT sp{int(spx), int(spy)};
  if (dc->st.bkMode == OPAQUE && !(options & ETO_OPAQUE && r))
    FillSurfaceSolid(dc, clip.Intersect({sp.X, sp.Y, sp.X + width, sp.Y + f->Height()}), RefToPixel(dc->st.bkColor));
  DrawRun(dc, f, sp.X, sp.Y + f->Ascent(), cps.data(), int(cps.size()), dx ? adv.data() : nullptr, clip,
          RefToPixel(dc->st.textColor));
  return TRUE;
}

BOOL TextOut(HDC h, int x, int y, const WCHAR* text, int count) {
  if (count < 0) return FALSE;
  return ExtTextOut(h, x, y, 0, nullptr, text, UINT(count), nullptr);
}

}  // namespace gdi
