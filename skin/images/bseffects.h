// TbsEffectBmp: a 24-bit top-down image with the transitions (morphs)
// between two images and the effects that give a window its inactive look.
//
// Rows hold three bytes per pixel (blue, green, red) and are padded to four
// bytes. An image whose pixels the system refuses (a size of 0 or less, or
// more than 2^28 pixels) has Width and Height 0 and no pixels, and every
// operation on it does nothing, so a hostile size never reaches a pixel loop.
// The morphs leave the image unchanged when BMP's size differs; the geometry
// routines and the masked operations check their partner's size as well.
// Coordinates given to ReadPixel, WritePixel, MorphRect and CopyRect are
// clipped to both images. GUI thread; the noise effects draw from a generator
// that SetNoiseSeed can make repeatable.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gdi/Gdi.h"
#include "platform/rtl/Types.h"

namespace skin {

class TbsEffectBmp {
 public:
  TbsEffectBmp(int cx, int cy);
  // A copy of the bitmap behind a handle, read at 24 bits per pixel.
  static TbsEffectBmp* CreateFromhWnd(gdi::HBITMAP hBmp);
  static TbsEffectBmp* CreateCopy(const TbsEffectBmp& Bmp);
  ~TbsEffectBmp();
  TbsEffectBmp(const TbsEffectBmp&) = delete;
  TbsEffectBmp& operator=(const TbsEffectBmp&) = delete;

  gdi::HBITMAP Handle() const { return FHandle; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  int Size() const { return FSize; }
  std::uint8_t* Bits() const { return FBits; }
  int RowSize() const { return 3 * FWidth + FWidth % 4; }

  std::uint8_t* ScanLinePtr(int Y) const { return FBits + std::size_t(Y) * RowSize(); }
  void GetScanLine(int Y, std::uint8_t* Line) const;
  void SetScanLine(int Y, const std::uint8_t* Line);
  int ReadPixel(int X, int Y) const;  // blue, green, red in the low three bytes; 0 outside
  void WritePixel(int X, int Y, int Color);

  void Draw(gdi::HDC hDC, int x, int y);
  void Stretch(gdi::HDC hDC, int x, int y, int cx, int cy);
  void DrawRect(gdi::HDC hDC, int hx, int hy, int x, int y, int cx, int cy);

  void Morph(const TbsEffectBmp& BMP, double Kf);
  void MorphGrad(const TbsEffectBmp& BMP, double Kf);
  void MorphHGrad(const TbsEffectBmp& BMP, double Kf);
  void MorphVGrad(const TbsEffectBmp& BMP, double Kf);
  void MorphLeftGrad(const TbsEffectBmp& BMP, double Kf);
  void MorphRightGrad(const TbsEffectBmp& BMP, double Kf);
  void MorphPush(const TbsEffectBmp& BMP, double Kf);
  void MorphLeftSlide(const TbsEffectBmp& BMP, double Kf);
  void MorphRightSlide(const TbsEffectBmp& BMP, double Kf);
  void MorphRect(const TbsEffectBmp& BMP, double Kf, const rtl::TRect& Rct, int StartX, int StartY);
  // Right and Bottom are inclusive here.
  void CopyRect(const TbsEffectBmp& BMP, const rtl::TRect& Rct, int StartX, int StartY);

  void ChangeBrightness(double Kf);
  void ChangeDarkness(double Kf);
  void GrayScale();
  void Invert();
  void SplitBlur(int Amount);
  void AddMonoNoise(int Amount);
  void AddColorNoise(int Amount);
  void Mosaic(int ASize);
  void Wave(int XDIV, int YDIV, int RatioVal);

  void Rotate90_1(TbsEffectBmp& Dst) const;
  void Rotate90_2(TbsEffectBmp& Dst) const;
  void FlipVert(TbsEffectBmp& Dst) const;
  void Resize(TbsEffectBmp& Dst) const;

  void MaskAntialiasing(const TbsEffectBmp& Msk, int Amount);
  void MaskBlur(const TbsEffectBmp& Msk, int Amount);
  void MaskFillColor(const TbsEffectBmp& Msk, rtl::TColor C, double kf);

  static void SetNoiseSeed(std::uint32_t Seed);

 private:
  bool SameSize(const TbsEffectBmp& B) const { return B.FWidth == FWidth && B.FHeight == FHeight && FBits && B.FBits; }
  // The mean of four diagonal neighbours, Amount rows and columns away.
  void NeighbourMean(int x, int y, int Amount, std::uint8_t out[3]) const;
  bool MaskUsable(const TbsEffectBmp& Msk, int Amount) const;
  void Slide(const TbsEffectBmp& BMP, double Kf, bool toLeft);
  static bool IsWhite(const TbsEffectBmp& Msk, int x, int y);

  gdi::HBITMAP FHandle = nullptr;
  int FWidth = 0;
  int FHeight = 0;
  int FSize = 0;
  std::uint8_t* FBits = nullptr;
  gdi::BITMAPINFO FBmpInfo{};
};

}  // namespace skin
