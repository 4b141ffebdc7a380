// TbsBitmap: the skin library's 32-bit image with per-pixel alpha, and
// TbsBitmapLink, a named rectangle of one.
//
// A TbsBitmap is a top-down 32-bit DIB section (bytes blue, green, red,
// alpha; straight alpha) selected into a memory DC of its own, with a canvas
// on that DC made on first use. Every sized bitmap stands in a process-wide
// registry, so that a DC handed to a drawing call can be recognised as a
// TbsBitmap's and drawn into directly (FindBitmapByDC). Two flags decide how
// it is drawn: AlphaBlend (compose with per-pixel alpha) before Transparent
// (skip pixels of the key colour 0x7F007F), otherwise opaque copies.
//
// Sizes are taken as absolute values; 0 in either direction leaves the bitmap
// as it was. A size whose pixels cannot be had (more than 2^28 pixels, or
// INT_MIN) raises rtl::Exception "Can't allocate the DIB handle" and leaves
// the bitmap empty. Stored streams are checked against the bytes the stream
// still holds before anything is allocated for them.
//
// GUI thread: a bitmap is created, drawn and destroyed on one thread.
#pragma once

#include <memory>

#include "platform/gdi/Bitmap.h"
#include "platform/gdi/Canvas.h"
#include "platform/gdi/Gdi.h"
#include "platform/rtl/Classes.h"
#include "skin/images/bsPixelRoutines.h"

namespace skin {

using gdi::HBITMAP;
using gdi::HDC;
using rtl::String;
using rtl::TColor;
using rtl::TRect;

class TbsBitmapLink;

class TbsBitmap : public rtl::TPersistent {
 public:
  TbsBitmap();
  ~TbsBitmap() override;
  TbsBitmap(const TbsBitmap&) = delete;
  TbsBitmap& operator=(const TbsBitmap&) = delete;

  HBITMAP Handle() const { return FHandle; }
  HDC DC() const { return FDC; }
  TbsColor* Bits() const { return FBits; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  gdi::TCanvas* Canvas();
  bool AlphaBlend() const { return FAlphaBlend; }
  void SetAlphaBlend(bool V) { FAlphaBlend = V; }
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool V) { FTransparent = V; }
  const String& Name() const { return FName; }
  void SetName(const String& V) { FName = V; }
  bool NewFormat() const { return FNewFormat; }
  void SetNewFormat(bool V) { FNewFormat = V; }

  void SetSize(int AWidth, int AHeight);
  bool Empty() const { return FHandle == nullptr; }
  void Clear(TbsColor Color);
  TbsColor* GetScanLine(int Y) const { return FBits + std::size_t(Y) * FWidth; }
  TbsColor* GetPixelPtr(int X, int Y) const { return FBits + std::size_t(Y) * FWidth + X; }
  void SetPixel(int X, int Y, TbsColor Value);
  TbsColor Pixel(int X, int Y) const;  // 0 outside

  void Assign(rtl::TPersistent* Source) override;
  std::unique_ptr<TbsBitmapLink> GetBitmapLink(const TRect& Rect);
  std::unique_ptr<TbsBitmapLink> GetBitmapLink(const String& Rect);

  void SaveToStream(rtl::TStream& Stream);
  void LoadFromStream(rtl::TStream& Stream);
  // A bitmap resource registered with the framework under ResName; the module
  // file name is accepted for compatibility. Nothing changes when there is none.
  void LoadFromResource(const String& ResFileName, const String& ResName);
  // An 8-bit PCX image; nothing changes unless the first byte is 10 or 205.
  void LoadFromPcxStream(rtl::TStream& Stream);

  void CheckingAlphaBlend();
  void CheckingAlphaBlend(const TRect& ARect);
  void CheckingTransparent(TbsColor Color);
  void CheckingTransparent(const TRect& ARect, TbsColor Color);
  void SetAlpha(std::uint8_t Alpha);
  void SetAlpha(std::uint8_t Alpha, const TRect& Rect);

  void ChangeBitmapBrightness(int DeltaBrightness);
  void SetBitmapHue(int Hue);
  void ChangeBitmapSat(int DeltaSat);
  void ChangeBitmapHue(int DeltaHue);

  void FlipVert();
  void Reflection();
  void Reflection2();
  void Reflection3();

  // Drawing (see bsBitmapDraw.cpp). A missing SrcRect is the whole bitmap; a
  // missing DstRect is SrcRect's size at (X, Y). Differing sizes stretch.
  void Draw(HDC DC, int X, int Y);
  void Draw(HDC DC, int X, int Y, const TRect& SrcRect);
  void Draw(HDC DC, const TRect& DstRect);
  void Draw(HDC DC, const TRect& DstRect, const TRect& SrcRect);
  void Draw(gdi::TCanvas* Canvas, int X, int Y);
  void Draw(gdi::TCanvas* Canvas, int X, int Y, const TRect& SrcRect);
  void Draw(gdi::TCanvas* Canvas, const TRect& DstRect);
  void Draw(gdi::TCanvas* Canvas, const TRect& DstRect, const TRect& SrcRect);
  void Draw(TbsBitmap* Bitmap, int X, int Y);
  void Draw(TbsBitmap* Bitmap, int X, int Y, const TRect& SrcRect);
  void Draw(TbsBitmap* Bitmap, const TRect& DstRect);
  void Draw(TbsBitmap* Bitmap, const TRect& DstRect, const TRect& SrcRect);
  void Tile(HDC DC, const TRect& DstRect, const TRect& SrcRect);
  void Tile(gdi::TCanvas* Canvas, const TRect& DstRect, const TRect& SrcRect);
  void Tile(TbsBitmap* Bitmap, const TRect& DstRect, const TRect& SrcRect);
  void TileClip(HDC DC, const TRect& DstRect, const TRect& DstClip, const TRect& SrcRect);
  void TileClip(gdi::TCanvas* Canvas, const TRect& DstRect, const TRect& DstClip, const TRect& SrcRect);
  void TileClip(TbsBitmap* Bitmap, const TRect& DstRect, const TRect& DstClip, const TRect& SrcRect);
  void MergeDraw(TbsBitmap* Bitmap, int X, int Y, const TRect& SrcRect);
  void DrawGraphic(gdi::TGraphic* Graphic, const TRect& DstRect);
  void FillRect(const TRect& R, TbsColor Color);

 protected:
  void AssignTo(rtl::TPersistent* Dest) override;

 private:
  void Release();
  void AssignFromBitmap(gdi::TBitmap* Source, bool AllowDirect);
  void AssignFromGraphic(gdi::TGraphic* Source);
  void TileImpl(HDC DC, TbsBitmap* Target, const TRect& DstRect, const TRect* DstClip, const TRect& SrcRect);

  TbsColor* FBits = nullptr;
  int FWidth = 0;
  int FHeight = 0;
  String FName;
  HBITMAP FHandle = nullptr;
  HDC FDC = nullptr;
  std::unique_ptr<gdi::TCanvas> FCanvas;
  bool FAlphaBlend = false;
  bool FTransparent = false;
  bool FNewFormat = false;
  bool FRegistered = false;
};

// The registry of bitmaps that own a DC.
void RegisterBitmap(TbsBitmap* Bitmap);
void UnregisterBitmap(TbsBitmap* Bitmap);
TbsBitmap* FindBitmapByDC(HDC DC);

class TbsBitmapLink : public rtl::TPersistent {
 public:
  TbsBitmapLink() = default;
  void Assign(rtl::TPersistent* Source) override;

  TbsBitmap* Image() const { return FImage; }
  void SetImage(TbsBitmap* V) { FImage = V; }
  const TRect& Rect() const { return FRect; }
  void SetRect(const TRect& V) { FRect = V; }
  const String& Name() const { return FName; }
  void SetName(const String& V) { FName = V; }
  bool Assigned() const {
    return FImage && std::int64_t(FRect.Width()) * std::int64_t(FRect.Height()) > 0;
  }
  bool Masked() const { return FMasked; }
  bool MaskedBorder() const { return FMaskedBorder; }
  bool MaskedAngles() const { return FMaskedAngles; }

  void LoadFromStream(rtl::TStream& Stream);
  void SaveToStream(rtl::TStream& Stream);
  // Margin widths and heights measured from the rectangle's own corner.
  void CheckingMasked();
  void CheckingMasked(const TRect& Margin);
  void Draw(gdi::TCanvas* Canvas, int X, int Y);
  void Draw(TbsBitmap* Bitmap, int X, int Y);

 private:
  TbsBitmap* FImage = nullptr;
  TRect FRect;
  String FName;
  bool FMaskedBorder = false;
  bool FMaskedAngles = false;
  bool FMasked = false;
};

// ---- Colour conversions -----------------------------------------------------
TbsColor MakeBsColor(int R, int G, int B, int A = 255);
void BsColorToHSL(TbsColor C, double& H, double& S, double& L);
TbsColor HSLToBsColor(double H, double S, double L);
int HueToChannel(double M1, double M2, double H);
TbsColor SetColorHue(TbsColor C, int Hue);
TbsColor ChangeColorHue(TbsColor C, int Delta);
TbsColor ChangeColorSaturation(TbsColor C, int Delta);
TbsColor ChangeColorBrightness(TbsColor C, int Delta);
// 0x00BBGGRR -> 0xFFRRGGBB; the high byte (a system-colour mark) is dropped.
TbsColor ColorToBsColor(TColor C);

}  // namespace skin
