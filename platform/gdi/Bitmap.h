// TGraphic, the framework's base of images, and TBitmap, an image held as a
// DIB section with a canvas.
//
// TBitmap owns its section and, once Canvas is used, a memory DC with the
// section selected. Pixel formats pf1bit/pf4bit/pf8bit keep a palette (read
// from files); pf15bit/pf16bit are stored as 24-bit; pfDevice is 32-bit.
// Rows are top-down: ScanLine(y + 1) follows ScanLine(y). Resizing keeps the
// overlapping part of the picture. BMP files of 1/4/8/16/24/32 bits (RGB,
// RLE and bit-field forms) are read; files are written in the bitmap's own
// depth. A corrupt file raises rtl::EInvalidGraphic and leaves the bitmap as
// it was. GUI thread, or one thread at a time.
#pragma once

#include <memory>

#include "platform/gdi/Canvas.h"
#include "platform/rtl/Streams.h"

namespace gdi {

class TGraphic : public rtl::TPersistent {
 public:
  virtual bool Empty() const = 0;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual void SetWidth(int w) = 0;
  virtual void SetHeight(int h) = 0;
  virtual void LoadFromStream(rtl::TStream* stream) = 0;
  virtual void SaveToStream(rtl::TStream* stream) = 0;
  // Draws into r of the canvas (stretching); called by TCanvas::Draw/StretchDraw.
  virtual void Draw(TCanvas* canvas, const rtl::TRect& r) = 0;
  virtual bool Transparent() const { return transparent_; }
  virtual void SetTransparent(bool v);
  void LoadFromFile(const rtl::String& fileName);
  // Saving an empty graphic writes nothing and creates no file.
  void SaveToFile(const rtl::String& fileName);
  bool Modified() const { return modified_; }
  void SetModified(bool v) { modified_ = v; }
  rtl::TNotifyEvent OnChange;

 protected:
  virtual void Changed();
  bool transparent_ = false;
  bool modified_ = false;
};

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TBitmapHandleType { bmDIB, bmDDB };
enum TTransparentMode { tmAuto, tmFixed };

class TBitmap : public TGraphic {
 public:
  TBitmap();
  TBitmap(int width, int height);
  ~TBitmap() override;

  void Assign(rtl::TPersistent* source) override;
  bool Empty() const override { return !bmp_; }
  int Width() const override { return width_; }
  int Height() const override { return height_; }
  void SetWidth(int w) override { SetSize(w, height_); }
  void SetHeight(int h) override { SetSize(width_, h); }
  void SetSize(int w, int h);
  TPixelFormat PixelFormat() const { return format_; }
  void SetPixelFormat(TPixelFormat f);
  TBitmapHandleType HandleType() const { return bmDIB; }

  // Row y of the pixels; raises EInvalidGraphic outside 0 .. Height-1.
  void* ScanLine(int y);
  TCanvas* Canvas();
  HBITMAP Handle() const { return bmp_; }
  Surface* GetSurface() const;

  // Key colour drawing: tmAuto takes the bottom-left pixel.
  TColor TransparentColor();
  void SetTransparentColor(TColor c);
  TTransparentMode TransparentMode() const { return transparentMode_; }
  void SetTransparentMode(TTransparentMode m);

  void LoadFromStream(rtl::TStream* stream) override;
  void SaveToStream(rtl::TStream* stream) override;
  void Draw(TCanvas* canvas, const rtl::TRect& r) override;
  // A bitmap resource registered under `name` (any case); the instance
  // handle is accepted for compatibility. Raises EResNotFound.
  void LoadFromResourceName(std::uintptr_t instance, const rtl::String& name);

  // Replaces the image by a surface's pixels (taken over) in the given format.
  void TakeSurface(std::unique_ptr<Surface> s, TPixelFormat f);

 private:
  class TBitmapCanvas;
  void Recreate(int w, int h, TPixelFormat f, bool keep);
  HDC MemoryDC();

  HBITMAP bmp_ = nullptr;
  HDC dc_ = nullptr;
  HGDIOBJ oldBmp_ = nullptr;
  std::unique_ptr<TCanvas> canvas_;
  int width_ = 0, height_ = 0;
  TPixelFormat format_ = pfDevice;
  TColor transparentColor_ = clDefault;
  TTransparentMode transparentMode_ = tmAuto;
};

// Bitmap resources: BMP files embedded in the program under a name.
class EResNotFound : public rtl::Exception {
 public:
  using Exception::Exception;
};
void RegisterBitmapResource(const rtl::String& name, std::vector<std::uint8_t> bmpFile);
const std::vector<std::uint8_t>* FindBitmapResource(const rtl::String& name);

// BMP file layout: reading (any depth) and writing (the bitmap's depth).
void ReadBmp(const std::uint8_t* data, std::size_t size, TBitmap& into);
std::vector<std::uint8_t> WriteBmp(TBitmap& bmp);

}  // namespace gdi
