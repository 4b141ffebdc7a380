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
  // .bmp, .jpg/.jpeg, .png, .gif (any case); another extension raises EInvalidGraphic.
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
