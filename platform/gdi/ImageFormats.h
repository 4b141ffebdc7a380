// Image file classes: TJPEGImage (libjpeg), TPNGImage (libpng) and TGIFImage
// (giflib, colours reduced by its quantiser), and TPicture, which holds any
// graphic and picks the class by file extension.
//
// Each image class keeps its picture as a TBitmap, so it can be assigned from
// a TBitmap, drawn on a canvas and saved. Reading checks sizes before
// allocating and raises rtl::EInvalidGraphic for a corrupt, truncated or
// hostile file, leaving the image as it was. GUI thread, or one thread at a time.
#pragma once

#include <memory>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Gdi.h"

namespace gdi {

// The shared part: a graphic whose picture is a TBitmap.
class TImageGraphic : public TGraphic {
 public:
  TImageGraphic();
  void Assign(rtl::TPersistent* source) override;
  bool Empty() const override { return bitmap_->Empty(); }
  int Width() const override { return bitmap_->Width(); }
  int Height() const override { return bitmap_->Height(); }
  void SetWidth(int w) override { bitmap_->SetWidth(w); }
  void SetHeight(int h) override { bitmap_->SetHeight(h); }
  void Draw(TCanvas* canvas, const rtl::TRect& r) override;
  void SetTransparent(bool v) override;
  TBitmap* Bitmap() { return bitmap_.get(); }

 protected:
  void AssignTo(rtl::TPersistent* dest) override;
  std::unique_ptr<TBitmap> bitmap_;
};

class TJPEGImage : public TImageGraphic {
 public:
  void Assign(rtl::TPersistent* source) override;
  int CompressionQuality() const { return quality_; }
  void SetCompressionQuality(int q);  // 1 .. 100
  bool Grayscale() const { return grayscale_; }
  void SetGrayscale(bool v) { grayscale_ = v; }
  void LoadFromStream(rtl::TStream* stream) override;
  void SaveToStream(rtl::TStream* stream) override;

 private:
  int quality_ = 90;
  bool grayscale_ = false;
};

class TPNGImage : public TImageGraphic {
 public:
  // Alpha is written when the picture came with alpha or AlphaChannel is set.
  bool AlphaChannel() const { return alpha_; }
  void SetAlphaChannel(bool v) { alpha_ = v; }
  void Assign(rtl::TPersistent* source) override;
  void LoadFromStream(rtl::TStream* stream) override;
  void SaveToStream(rtl::TStream* stream) override;

 private:
  bool alpha_ = false;
};

class TGIFImage : public TImageGraphic {
 public:
  // Reads the first frame; its transparent index, if any, sets Transparent.
  void LoadFromStream(rtl::TStream* stream) override;
  // One 256-colour frame made by giflib's quantiser; a transparent picture
  // keeps its transparent colour as the frame's transparent index.
  void SaveToStream(rtl::TStream* stream) override;
};

// .ico files: every entry can be read (1, 4 and 8 bits with their palette,
// 16, 24 and 32 bits, PNG-compressed); the image shown is the largest, of
// the most colours. The picture is 32-bit with straight alpha (the AND mask
// of an entry without alpha becomes alpha 0 or 255) and is drawn blended.
class TIconImage : public TImageGraphic {
 public:
  void Assign(rtl::TPersistent* source) override;
  void LoadFromStream(rtl::TStream* stream) override;
  void SaveToStream(rtl::TStream* stream) override;
  void Draw(TCanvas* canvas, const rtl::TRect& r) override;

 private:
  std::vector<std::uint8_t> data_;
};
// The entries of an .ico file and one of them decoded (straight-alpha
// 32-bit); EInvalidGraphic for a damaged file.
struct TIconEntry {
  int Width = 0, Height = 0, BitCount = 0;
  bool Png = false;
};
std::vector<TIconEntry> IcoEntries(const std::uint8_t* data, std::size_t size);
std::unique_ptr<Surface> DecodeIcoEntry(const std::uint8_t* data, std::size_t size, int index);

// TIFF through libtiff: the first page, any layout libtiff turns into RGBA
// (alpha kept). Writing stores one uncompressed RGB(A) page.
class TTIFFImage : public TImageGraphic {
 public:
  void LoadFromStream(rtl::TStream* stream) override;
  void SaveToStream(rtl::TStream* stream) override;
};
std::unique_ptr<Surface> DecodeTiff(const std::uint8_t* data, std::size_t size, bool* hasAlpha);
std::vector<std::uint8_t> EncodeTiff(const Surface& s, bool alpha);

// Windows metafiles (.wmf, with or without the placeable header) and
// enhanced metafiles (.emf): streams of GDI records played through this
// layer's device contexts, so they scale to any rectangle. The records of
// common files are played: mapping (window and viewport), pens, brushes,
// fonts and stock objects, lines, polylines, polygons, rectangles, round
// rectangles, ellipses, arcs and pies, text, pixels, clipping rectangles and
// device-independent bitmaps; any other drawing record makes loading fail
// with EInvalidGraphic naming the record, as does a damaged file.
class TMetafile : public TGraphic {
 public:
  TMetafile();
  ~TMetafile() override;
  void Assign(rtl::TPersistent* source) override;
  bool Empty() const override { return data_.empty(); }
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  void SetWidth(int w) override { width_ = w; }
  void SetHeight(int h) override { height_ = h; }
  bool Enhanced() const { return enhanced_; }
  void LoadFromStream(rtl::TStream* stream) override;
  void SaveToStream(rtl::TStream* stream) override;
  void Draw(TCanvas* canvas, const rtl::TRect& r) override;

 private:
  std::vector<std::uint8_t> data_;
  bool enhanced_ = false;
  int width_ = 0, height_ = 0;
};
// Plays a metafile's records into Dest of dc; EInvalidGraphic as above.
void PlayMetafile(HDC dc, const std::uint8_t* data, std::size_t size, const rtl::TRect& dest);
// The natural size in pixels (96 per inch) and the kind of a metafile.
void MetafileSize(const std::uint8_t* data, std::size_t size, int& width, int& height, bool& enhanced);

class TPicture : public rtl::TPersistent {
 public:
  TPicture();
  ~TPicture() override;
  void Assign(rtl::TPersistent* source) override;

  TGraphic* Graphic() { return graphic_.get(); }
  void SetGraphic(TGraphic* g);  // takes a copy
  TBitmap* Bitmap();             // replaces any other graphic by an empty bitmap
  int Width() const { return graphic_ ? graphic_->Width() : 0; }
  int Height() const { return graphic_ ? graphic_->Height() : 0; }
  // .bmp, .ico, .emf, .wmf, .tif/.tiff, .jpg/.jpeg, .png, .gif (any case);
  // another extension raises EInvalidGraphic.
  void LoadFromFile(const rtl::String& fileName);
  void SaveToFile(const rtl::String& fileName);
  rtl::TNotifyEvent OnChange;

 protected:
  void AssignTo(rtl::TPersistent* dest) override;

 private:
  void Changed();
  void Adopt(std::unique_ptr<TGraphic> g);
  std::unique_ptr<TGraphic> graphic_;
};

// Internal codecs, memory to memory.
std::vector<std::uint8_t> EncodeJpeg(const Surface& s, int quality, bool grayscale);
std::unique_ptr<Surface> DecodeJpeg(const std::uint8_t* data, std::size_t size);
std::vector<std::uint8_t> EncodeGif(const Surface& s, int transparentRgb /* -1: none */);
// Returns the picture and the transparent colour (0x00RRGGBB) or -1.
std::unique_ptr<Surface> DecodeGif(const std::uint8_t* data, std::size_t size, int* transparentRgb);

}  // namespace gdi
