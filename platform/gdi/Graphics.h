// The framework's drawing tools: TFont, TPen and TBrush.
//
// Each is a TPersistent holding its properties and a GDI handle made on
// demand (and remade after a change). Setting a property to a different value
// fires OnChange, which a canvas uses to re-select the tool. Owned by their
// canvas or control; GUI thread.
#pragma once

#include "platform/gdi/Colors.h"
#include "platform/gdi/Gdi.h"
#include "platform/rtl/Classes.h"

namespace gdi {

class TGraphicsObject : public rtl::TPersistent {
 public:
  ~TGraphicsObject() override;
  rtl::TNotifyEvent OnChange;

 protected:
  void Changed();
  void FreeHandle();
  HGDIOBJ handle_ = nullptr;
};

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = rtl::TSet<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };

class TFont : public TGraphicsObject {
 public:
  TFont();
  void Assign(rtl::TPersistent* source) override;

  HFONT Handle();
  const rtl::String& Name() const { return name_; }
  void SetName(const rtl::String& v);
  int Height() const { return height_; }  // GDI meaning: negative = character height in pixels
  void SetHeight(int v);
  int Size() const;                       // points at 96 pixels per inch
  void SetSize(int points);
  TColor Color() const { return color_; }
  void SetColor(TColor v);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles v);
  BYTE Charset() const { return charset_; }
  void SetCharset(BYTE v);
  TFontPitch Pitch() const { return pitch_; }
  void SetPitch(TFontPitch v);
  int PixelsPerInch() const { return 96; }

 private:
  rtl::String name_;
  int height_ = -11;
  TColor color_ = clWindowText;
  TFontStyles style_;
  BYTE charset_ = DEFAULT_CHARSET;
  TFontPitch pitch_ = fpDefault;
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode {
  pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
  pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};
int PenModeToRop2(TPenMode m);

class TPen : public TGraphicsObject {
 public:
  void Assign(rtl::TPersistent* source) override;
  HPEN Handle();
  TColor Color() const { return color_; }
  void SetColor(TColor v);
  int Width() const { return width_; }
  void SetWidth(int v);
  TPenStyle Style() const { return style_; }
  void SetStyle(TPenStyle v);
  TPenMode Mode() const { return mode_; }
  void SetMode(TPenMode v);

 private:
  TColor color_ = clBlack;
  int width_ = 1;
  TPenStyle style_ = psSolid;
  TPenMode mode_ = pmCopy;
};

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TBrush : public TGraphicsObject {
 public:
  void Assign(rtl::TPersistent* source) override;
  HBRUSH Handle();
  TColor Color() const { return color_; }
  void SetColor(TColor v);  // a colour makes a clear brush solid again
  TBrushStyle Style() const { return style_; }
  void SetStyle(TBrushStyle v);

 private:
  TColor color_ = clWhite;
  TBrushStyle style_ = bsSolid;
};

}  // namespace gdi
