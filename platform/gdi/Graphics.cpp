#include "platform/gdi/Graphics.h"

#include <cmath>

#include "platform/rtl/Strings.h"

namespace gdi {

namespace {
int MulDiv(int a, int b, int c) {
  const long long p = static_cast<long long>(a) * b;
  return int(p >= 0 ? (p + c / 2) / c : (p - c / 2) / c);
}
}  // namespace

TGraphicsObject::~TGraphicsObject() { FreeHandle(); }

void TGraphicsObject::Changed() {
  FreeHandle();
  if (OnChange) OnChange(this);
}

// A handle still selected into a DC is freed when the DC lets it go.
void TGraphicsObject::FreeHandle() {
  if (handle_) DeleteObject(handle_);
  handle_ = nullptr;
}

#define SETTER(Class, Name, Type, field) \
  void Class::Name(Type v) {             \
    if (field == v) return;              \
    field = v;                           \
    Changed();                           \
  }

TFont::TFont() : name_(u"Tahoma") {}

SETTER(TFont, SetName, const rtl::String&, name_)
SETTER(TFont, SetHeight, int, height_)
SETTER(TFont, SetColor, TColor, color_)
SETTER(TFont, SetStyle, TFontStyles, style_)
SETTER(TFont, SetCharset, BYTE, charset_)
SETTER(TFont, SetPitch, TFontPitch, pitch_)

int TFont::Size() const { return -MulDiv(height_, 72, PixelsPerInch()); }
void TFont::SetSize(int points) { SetHeight(-MulDiv(points, PixelsPerInch(), 72)); }

HFONT TFont::Handle() {
  if (!handle_) {
    LOGFONTW lf;
    lf.lfHeight = height_;
    lf.lfWeight = style_.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = style_.Contains(fsItalic);
    lf.lfUnderline = style_.Contains(fsUnderline);
    lf.lfStrikeOut = style_.Contains(fsStrikeOut);
    lf.lfCharSet = charset_;
    for (std::size_t i = 0; i < name_.size() && i < LF_FACESIZE - 1; ++i) lf.lfFaceName[i] = name_[i];
    handle_ = CreateFontIndirect(&lf);
  }
  return static_cast<HFONT>(handle_);
}

void TFont::Assign(rtl::TPersistent* source) {
  if (auto* f = dynamic_cast<TFont*>(source)) {
    if (f == this) return;
    name_ = f->name_;
    height_ = f->height_;
    color_ = f->color_;
    style_ = f->style_;
    charset_ = f->charset_;
    pitch_ = f->pitch_;
    Changed();
    return;
  }
  TPersistent::Assign(source);
}

int PenModeToRop2(TPenMode m) {
  static const int table[] = {R2_BLACK,       R2_WHITE,       R2_NOP,        R2_NOT,
                              R2_COPYPEN,     R2_NOTCOPYPEN,  R2_MERGEPENNOT, R2_MASKPENNOT,
                              R2_MERGENOTPEN, R2_MASKNOTPEN,  R2_MERGEPEN,   R2_NOTMERGEPEN,
                              R2_MASKPEN,     R2_NOTMASKPEN,  R2_XORPEN,     R2_NOTXORPEN};
  return table[m];
}

SETTER(TPen, SetColor, TColor, color_)
SETTER(TPen, SetWidth, int, width_)
SETTER(TPen, SetStyle, TPenStyle, style_)
SETTER(TPen, SetMode, TPenMode, mode_)

HPEN TPen::Handle() {
  if (!handle_) {
    static const UINT styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
    handle_ = CreatePen(int(styles[style_]), width_, ColorToRGB(color_));
  }
  return static_cast<HPEN>(handle_);
}

void TPen::Assign(rtl::TPersistent* source) {
  if (auto* p = dynamic_cast<TPen*>(source)) {
    if (p == this) return;
    color_ = p->color_;
    width_ = p->width_;
    style_ = p->style_;
    mode_ = p->mode_;
    Changed();
    return;
  }
  TPersistent::Assign(source);
}

void TBrush::SetColor(TColor v) {
  if (color_ == v && style_ != bsClear) return;
  color_ = v;
  if (style_ == bsClear) style_ = bsSolid;
  Changed();
}
SETTER(TBrush, SetStyle, TBrushStyle, style_)

HBRUSH TBrush::Handle() {
  if (!handle_) {
    switch (style_) {
      case bsSolid: handle_ = CreateSolidBrush(ColorToRGB(color_)); break;
      case bsClear: {
        LOGBRUSH lb;
        lb.lbStyle = BS_NULL;
        handle_ = CreateBrushIndirect(&lb);
        break;
      }
      default: handle_ = CreateHatchBrush(int(style_) - int(bsHorizontal), ColorToRGB(color_)); break;
    }
  }
  return static_cast<HBRUSH>(handle_);
}

void TBrush::Assign(rtl::TPersistent* source) {
  if (auto* b = dynamic_cast<TBrush*>(source)) {
    if (b == this) return;
    color_ = b->color_;
    style_ = b->style_;
    Changed();
    return;
  }
  TPersistent::Assign(source);
}

}  // namespace gdi
