#include "skin/images/bsBitmap.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/gdi/ImageFormats.h"
#include "platform/rtl/Exceptions.h"
#include "skin/data/bsUtilsText.h"

namespace skin {

namespace {

// More pixels than this is never a skin image; refusing early keeps a damaged
// stream or a wild size from asking for gigabytes.
constexpr std::int64_t kMaxPixels = std::int64_t(1) << 28;

std::mutex& RegistryLock() {
  static std::mutex m;
  return m;
}
std::vector<TbsBitmap*>& Registry() {
  static std::vector<TbsBitmap*> r;
  return r;
}

inline int ChannelR(TbsColor c) { return int((c >> 16) & 0xFF); }
inline int ChannelG(TbsColor c) { return int((c >> 8) & 0xFF); }
inline int ChannelB(TbsColor c) { return int(c & 0xFF); }

int RoundHalfEven(double v) { return int(std::nearbyint(v)); }

}  // namespace

// ---- Registry ---------------------------------------------------------------

void RegisterBitmap(TbsBitmap* Bitmap) {
  std::lock_guard lock(RegistryLock());
  auto& r = Registry();
  if (std::find(r.begin(), r.end(), Bitmap) == r.end()) r.push_back(Bitmap);
}

void UnregisterBitmap(TbsBitmap* Bitmap) {
  std::lock_guard lock(RegistryLock());
  std::erase(Registry(), Bitmap);
}

TbsBitmap* FindBitmapByDC(HDC DC) {
  if (!DC) return nullptr;
  std::lock_guard lock(RegistryLock());
  for (TbsBitmap* b : Registry())
    if (b->DC() == DC) return b;
  return nullptr;
}

// ---- Construction and size --------------------------------------------------

TbsBitmap::TbsBitmap() = default;

TbsBitmap::~TbsBitmap() {
  UnregisterBitmap(this);
  if (FCanvas) {
    FCanvas->SetHandle(nullptr);
    FCanvas.reset();
  }
  Release();
}

void TbsBitmap::Release() {
  if (FDC) gdi::DeleteDC(FDC);
  if (FHandle) gdi::DeleteObject(FHandle);
  FDC = nullptr;
  FHandle = nullptr;
  FBits = nullptr;
}

gdi::TCanvas* TbsBitmap::Canvas() {
  if (!FCanvas) {
    FCanvas = std::make_unique<gdi::TCanvas>();
    FCanvas->SetHandle(FDC);
  }
  return FCanvas.get();
}

void TbsBitmap::SetSize(int AWidth, int AHeight) {
  const std::int64_t w = std::llabs(std::int64_t(AWidth)), h = std::llabs(std::int64_t(AHeight));
  if (w == 0 || h == 0 || (w == FWidth && h == FHeight && FHandle)) return;
  if (FCanvas) FCanvas->SetHandle(nullptr);
  Release();
  if (w > INT32_MAX || h > INT32_MAX || w * h > kMaxPixels)
    throw rtl::Exception("Can't allocate the DIB handle");
  gdi::BITMAPINFO info{};
  info.bmiHeader.biWidth = gdi::LONG(w);
  info.bmiHeader.biHeight = -gdi::LONG(h);
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  FHandle = gdi::CreateDIBSection(nullptr, &info, gdi::DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!FHandle || !bits) {
    Release();
    throw rtl::Exception("Can't allocate the DIB handle");
  }
  FBits = static_cast<TbsColor*>(bits);
  FDC = gdi::CreateCompatibleDC(nullptr);
  if (!FDC) {
    Release();
    throw rtl::Exception("Can't create compatible DC");
  }
  if (!gdi::SelectObject(FDC, FHandle)) {
    Release();
    throw rtl::Exception("Can't bslect an object into DC");
  }
  if (!FRegistered) {
    RegisterBitmap(this);
    FRegistered = true;
  }
  if (FCanvas) FCanvas->SetHandle(FDC);
  FWidth = int(w);
  FHeight = int(h);
}

void TbsBitmap::Clear(TbsColor Color) {
  if (FBits) FillRow(FBits, FWidth * FHeight, Color);
}

void TbsBitmap::SetPixel(int X, int Y, TbsColor Value) {
  if (FBits && X >= 0 && Y >= 0 && X < FWidth && Y < FHeight) *GetPixelPtr(X, Y) = Value;
}

TbsColor TbsBitmap::Pixel(int X, int Y) const {
  return FBits && X >= 0 && Y >= 0 && X < FWidth && Y < FHeight ? *GetPixelPtr(X, Y) : 0;
}

// ---- Copying ----------------------------------------------------------------

void TbsBitmap::Assign(rtl::TPersistent* Source) {
  if (auto* b = dynamic_cast<TbsBitmap*>(Source)) {
    if (b == this) return;
    SetSize(b->FWidth, b->FHeight);
    // An empty source has no pixels to give: the target keeps its own.
    if (!Empty() && b->FBits && b->FWidth == FWidth && b->FHeight == FHeight)
      MoveRow(b->FBits, FBits, FWidth * FHeight);
    FName = b->FName;
    FTransparent = b->FTransparent;
    FAlphaBlend = b->FAlphaBlend;
    return;
  }
  if (auto* bmp = dynamic_cast<gdi::TBitmap*>(Source)) {
    AssignFromBitmap(bmp, true);
    return;
  }
  if (auto* pic = dynamic_cast<gdi::TPicture*>(Source)) {
    gdi::TGraphic* g = pic->Graphic();
    if (auto* bmp = dynamic_cast<gdi::TBitmap*>(g)) AssignFromBitmap(bmp, false);
    else if (g) AssignFromGraphic(g);
    return;
  }
  if (auto* g = dynamic_cast<gdi::TGraphic*>(Source)) {
    AssignFromGraphic(g);
    return;
  }
  TPersistent::Assign(Source);
}

// A 32-bit bitmap keeps its alpha bytes; any other depth (and the device
// format, which stands for a device-dependent bitmap) arrives opaque.
void TbsBitmap::AssignFromBitmap(gdi::TBitmap* Source, bool AllowDirect) {
  SetSize(Source->Width(), Source->Height());
  if (Empty() || Source->Empty() || Source->Width() != FWidth || Source->Height() != FHeight) return;
  gdi::Surface* s = Source->GetSurface();
  if (AllowDirect && Source->PixelFormat() == gdi::pf32bit && s && s->BitsPerPixel() == 32) {
    for (int y = 0; y < FHeight; ++y) MoveRow(s->Row32(y), GetScanLine(y), FWidth);
    CheckingAlphaBlend();
    return;
  }
  gdi::BitBlt(FDC, 0, 0, FWidth, FHeight, Source->Canvas()->Handle(), 0, 0, gdi::SRCCOPY);
  SetAlpha(255);
}

void TbsBitmap::AssignFromGraphic(gdi::TGraphic* Source) {
  SetSize(Source->Width(), Source->Height());
  if (Empty()) return;
  DrawGraphic(Source, rtl::Rect(0, 0, FWidth, FHeight));
  SetAlpha(255);
}

void TbsBitmap::AssignTo(rtl::TPersistent* Dest) {
  gdi::TBitmap* b = dynamic_cast<gdi::TBitmap*>(Dest);
  if (auto* pic = dynamic_cast<gdi::TPicture*>(Dest)) b = pic->Bitmap();
  if (!b) {
    TPersistent::AssignTo(Dest);
    return;
  }
  b->SetPixelFormat(gdi::pf32bit);
  b->SetSize(FWidth, FHeight);
  if (!b->Empty()) Draw(b->Canvas(), 0, 0);
}

std::unique_ptr<TbsBitmapLink> TbsBitmap::GetBitmapLink(const TRect& Rect) {
  auto link = std::make_unique<TbsBitmapLink>();
  link->SetImage(this);
  link->SetName(FName);
  link->SetRect(Rect);
  return link;
}

std::unique_ptr<TbsBitmapLink> TbsBitmap::GetBitmapLink(const String& Rect) {
  TRect r;
  ParseRectText(Rect, r);
  return GetBitmapLink(r);
}

// ---- Streams and loaders ----------------------------------------------------

void TbsBitmap::SaveToStream(rtl::TStream& Stream) {
  WriteStreamString(Stream, FName);
  const std::int32_t w = FWidth, h = FHeight;
  Stream.WriteBuffer(&w, 4);
  Stream.WriteBuffer(&h, 4);
  if (FBits && w > 0 && h > 0) Stream.WriteBuffer(FBits, rtl::Int64(w) * h * 4);
}

void TbsBitmap::LoadFromStream(rtl::TStream& Stream) {
  ReadStreamString(Stream, FName);
  std::int32_t w = 0, h = 0;
  Stream.ReadBuffer(&w, 4);
  Stream.ReadBuffer(&h, 4);
  const std::int64_t aw = std::llabs(std::int64_t(w)), ah = std::llabs(std::int64_t(h));
  // Pixels the stream cannot hold are never allocated for.
  const rtl::Int64 rest = Stream.Size() - Stream.Position();
  if (aw > 0 && ah > 0 && aw > rest / 4 / ah) throw rtl::EReadError("Stream read error");
  SetSize(w, h);
  if (aw > 0 && ah > 0 && FWidth == aw && FHeight == ah && FBits) Stream.ReadBuffer(FBits, aw * ah * 4);
  if (h <= 0) FlipVert();
}

void TbsBitmap::LoadFromResource(const String&, const String& ResName) {
  if (!gdi::FindBitmapResource(ResName)) return;
  gdi::TBitmap tmp;
  tmp.LoadFromResourceName(0, ResName);
  Assign(&tmp);
}

namespace {
// Run-length decoding: a byte of 192 or more repeats the next byte (its low
// six bits times); any other byte stands for itself.
void DecodePcxRle(const std::uint8_t* in, std::size_t inSize, std::vector<std::uint8_t>& out, std::size_t want) {
  out.clear();
  out.reserve(want);
  std::size_t i = 0;
  while (out.size() < want && i < inSize) {
    const std::uint8_t b = in[i++];
    if (b >= 192) {
      if (i >= inSize) break;
      const std::uint8_t v = in[i++];
      const std::size_t n = std::min<std::size_t>(b & 63, want - out.size());
      out.insert(out.end(), n, v);
    } else {
      out.push_back(b);
    }
  }
  out.resize(want, 0);
}
}  // namespace

void TbsBitmap::LoadFromPcxStream(rtl::TStream& Stream) {
  std::uint8_t head[128];
  if (Stream.Read(head, 128) != 128) return;
  if (head[0] != 10 && head[0] != 205) return;
  const auto u16 = [&](int o) { return int(head[o]) | int(head[o + 1]) << 8; };
  const int width = u16(8) - u16(4) + 1, height = u16(10) - u16(6) + 1;
  const int rowBytes = int(head[65]) * u16(66);
  const rtl::Int64 dataStart = Stream.Position();
  const rtl::Int64 dataLen = Stream.Size() - dataStart;
  if (width <= 0 || height <= 0 || dataLen < 0) return;
  std::vector<std::uint32_t> palette(256, 0);
  if (head[1] == 3) {
    static const std::uint32_t kSystem16[16] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                                0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                                0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    std::copy(std::begin(kSystem16), std::end(kSystem16), palette.begin());
  } else if (Stream.Size() >= 769 + dataStart) {
    Stream.SetPosition(Stream.Size() - 769);
    std::uint8_t pal[769];
    Stream.ReadBuffer(pal, 769);
    for (int i = 0; i < 256; ++i)
      palette[i] = std::uint32_t(pal[1 + i * 3]) << 16 | std::uint32_t(pal[2 + i * 3]) << 8 | pal[3 + i * 3];
    Stream.SetPosition(dataStart);
  }
  std::vector<std::uint8_t> raw(static_cast<std::size_t>(dataLen));
  if (dataLen > 0) Stream.ReadBuffer(raw.data(), dataLen);
  const std::size_t want = std::size_t(rowBytes) * std::size_t(height);
  if (std::int64_t(want) > kMaxPixels || std::int64_t(width) * height > kMaxPixels) return;
  std::vector<std::uint8_t> data;
  if (head[2] == 1) DecodePcxRle(raw.data(), raw.size(), data, want);
  else data = std::move(raw);
  auto s = std::make_unique<gdi::Surface>(width, height, 8, true);
  s->Palette() = palette;
  for (int y = 0; y < height; ++y) {
    const std::size_t off = std::size_t(y) * std::size_t(rowBytes);
    if (off >= data.size()) break;
    std::memcpy(s->Row(y), data.data() + off, std::min<std::size_t>({std::size_t(width), std::size_t(rowBytes), data.size() - off}));
  }
  gdi::TBitmap tmp;
  tmp.TakeSurface(std::move(s), gdi::pf8bit);
  AssignFromBitmap(&tmp, false);
}

// ---- Alpha and key colour ---------------------------------------------------

void TbsBitmap::CheckingAlphaBlend() {
  FAlphaBlend = false;
  if (!FBits) return;
  const std::size_t n = std::size_t(FWidth) * FHeight;
  for (std::size_t i = 0; i < n; ++i) {
    const TbsColor a = FBits[i] >> 24;
    if (a != 0 && a != 255) {
      FAlphaBlend = true;
      return;
    }
  }
}

void TbsBitmap::CheckingAlphaBlend(const TRect&) { CheckingAlphaBlend(); }

void TbsBitmap::CheckingTransparent(TbsColor Color) {
  FTransparent = false;
  if (!FBits) return;
  const std::size_t n = std::size_t(FWidth) * FHeight;
  for (std::size_t i = 0; i < n; ++i) {
    const TbsColor p = FBits[i];
    if (std::abs(ChannelR(p) - ChannelR(Color)) < 6 && std::abs(ChannelG(p) - ChannelG(Color)) < 6 &&
        std::abs(ChannelB(p) - ChannelB(Color)) < 6) {
      FBits[i] = bsTransparentKey;
      FTransparent = true;
    }
  }
}

void TbsBitmap::CheckingTransparent(const TRect&, TbsColor Color) { CheckingTransparent(Color); }

void TbsBitmap::SetAlpha(std::uint8_t Alpha) {
  if (FBits) SetAlphaRow(FBits, FWidth * FHeight, Alpha);
}

void TbsBitmap::SetAlpha(std::uint8_t Alpha, const TRect& Rect) {
  if (!FBits || Rect.Width() == 0 || Rect.Height() == 0) return;
  const TRect r{std::max(Rect.Left, 0), std::max(Rect.Top, 0), std::min(Rect.Right, FWidth),
                std::min(Rect.Bottom, FHeight)};
  if (r.IsEmpty()) return;
  PixelRoutines().SetAlphaRect(FBits, FWidth, Alpha, r.Bottom - 1, r.Right - 1, r.Top, r.Left);
}

// ---- Colour operations --------------------------------------------------------

namespace {
template <class F>
void ForEachVisible(TbsColor* bits, std::size_t n, F f) {
  for (std::size_t i = 0; i < n; ++i) {
    const TbsColor p = bits[i];
    if ((p >> 24) == 0) continue;
    bits[i] = (f(p) & 0xFFFFFF) | (p & 0xFF000000u);
  }
}
}  // namespace

void TbsBitmap::ChangeBitmapBrightness(int DeltaBrightness) {
  if (!FBits || DeltaBrightness == 0) return;
  ForEachVisible(FBits, std::size_t(FWidth) * FHeight, [&](TbsColor p) { return ChangeColorBrightness(p, DeltaBrightness); });
}

void TbsBitmap::SetBitmapHue(int Hue) {
  if (!FBits) return;
  ForEachVisible(FBits, std::size_t(FWidth) * FHeight, [&](TbsColor p) { return SetColorHue(p, Hue); });
}

void TbsBitmap::ChangeBitmapSat(int DeltaSat) {
  if (!FBits || DeltaSat == 0) return;
  ForEachVisible(FBits, std::size_t(FWidth) * FHeight, [&](TbsColor p) { return ChangeColorSaturation(p, DeltaSat); });
}

void TbsBitmap::ChangeBitmapHue(int DeltaHue) {
  if (!FBits || DeltaHue == 0) return;
  ForEachVisible(FBits, std::size_t(FWidth) * FHeight, [&](TbsColor p) { return ChangeColorHue(p, DeltaHue); });
}

// ---- Geometry ---------------------------------------------------------------

void TbsBitmap::FlipVert() {
  if (!FBits) return;
  std::vector<TbsColor> tmp(static_cast<std::size_t>(FWidth));
  for (int i = 0; i < FHeight / 2; ++i) {
    TbsColor* a = GetScanLine(i);
    TbsColor* b = GetScanLine(FHeight - 1 - i);
    MoveRow(a, tmp.data(), FWidth);
    MoveRow(b, a, FWidth);
    MoveRow(tmp.data(), b, FWidth);
  }
}

namespace {
void FadeReflection(TbsBitmap& b, int divisor) {
  if (!b.Bits()) return;
  b.FlipVert();
  double k = 1.0;
  const double step = 2.0 / b.Height();
  for (int y = 0; y < b.Height(); ++y, k -= step) {
    TbsColor* row = b.GetScanLine(y);
    for (int x = 0; x < b.Width(); ++x) {
      const int a = int(row[x] >> 24);
      if (a == 0) continue;
      int na = RoundHalfEven(k * a) / divisor;
      if (na < 0) na = 0;
      row[x] = (row[x] & 0xFFFFFF) | TbsColor(std::min(na, 255)) << 24;
    }
  }
}
}  // namespace

void TbsBitmap::Reflection() { FadeReflection(*this, 3); }
void TbsBitmap::Reflection2() { FadeReflection(*this, 4); }
void TbsBitmap::Reflection3() { FadeReflection(*this, 2); }

// ---- TbsBitmapLink ------------------------------------------------------------

void TbsBitmapLink::Assign(rtl::TPersistent* Source) {
  if (auto* l = dynamic_cast<TbsBitmapLink*>(Source)) {
    FImage = l->FImage;
    FRect = l->FRect;
    FName = l->FName;
    FMasked = l->FMasked;
    FMaskedBorder = l->FMaskedBorder;
    FMaskedAngles = l->FMaskedAngles;
    return;
  }
  TPersistent::Assign(Source);
}

void TbsBitmapLink::LoadFromStream(rtl::TStream& Stream) {
  ReadStreamString(Stream, FName);
  std::int32_t v[4];
  Stream.ReadBuffer(v, 16);
  FRect = {v[0], v[1], v[2], v[3]};
}

void TbsBitmapLink::SaveToStream(rtl::TStream& Stream) {
  WriteStreamString(Stream, FName);
  const std::int32_t v[4] = {FRect.Left, FRect.Top, FRect.Right, FRect.Bottom};
  Stream.WriteBuffer(v, 16);
}

void TbsBitmapLink::CheckingMasked() { CheckingMasked(TRect{}); }

// Corner and strip areas are taken in the rectangle's own frame (relative to
// its top-left corner), like the pixel positions they are tested against.
void TbsBitmapLink::CheckingMasked(const TRect& Margin) {
  FMasked = FMaskedBorder = FMaskedAngles = false;
  const int w = FRect.Width(), h = FRect.Height();
  if (w <= 0 || h <= 0) return;
  const bool noMargin = Margin == TRect{};
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const int ix = FRect.Left + x, iy = FRect.Top + y;
      const bool inside = FImage && FImage->Bits() && ix >= 0 && iy >= 0 && ix < FImage->Width() && iy < FImage->Height();
      const TbsColor p = inside ? FImage->Pixel(ix, iy) : 0;
      const bool masked = (!inside || (p != 0x33333333u && (p >> 24) != 255)) || p == bsTransparentKey;
      if (!masked) continue;
      if (noMargin) {
        FMasked = true;
        return;
      }
      const bool left = x < Margin.Left, right = x >= w - Margin.Right;
      const bool top = y < Margin.Top, bottom = y >= h - Margin.Bottom;
      if ((left || right) && (top || bottom)) FMaskedAngles = true;
      else if (left || right || top || bottom) FMaskedBorder = true;
      else FMasked = true;
    }
  }
}

void TbsBitmapLink::Draw(gdi::TCanvas* Canvas, int X, int Y) {
  if (FImage && !FImage->Empty() && FRect.Width() > 0 && FRect.Height() > 0) FImage->Draw(Canvas, X, Y, FRect);
}

void TbsBitmapLink::Draw(TbsBitmap* Bitmap, int X, int Y) {
  if (FImage && !FImage->Empty() && FRect.Width() > 0 && FRect.Height() > 0) FImage->Draw(Bitmap, X, Y, FRect);
}

// ---- Colour conversions -------------------------------------------------------

TbsColor MakeBsColor(int R, int G, int B, int A) {
  const auto c = [](int v) { return TbsColor(std::clamp(int(std::int16_t(v)), 0, 255)); };
  return TbsColor(A & 0xFF) << 24 | c(R) << 16 | c(G) << 8 | c(B);
}

void BsColorToHSL(TbsColor C, double& H, double& S, double& L) {
  const double r = ChannelR(C) / 255.0, g = ChannelG(C) / 255.0, b = ChannelB(C) / 255.0;
  const double mx = std::max({r, g, b}), mn = std::min({r, g, b});
  L = (mx + mn) / 2;
  if (mx == mn) {
    H = S = 0;
    return;
  }
  const double d = mx - mn;
  S = L < 0.5 ? d / (mx + mn) : d / (2 - mx - mn);
  if (mx == r) H = (g - b) / d;
  else if (mx != g) H = (r - g) / d + 4;
  else H = (b - r) / d + 2;
  H /= 6;
  if (H < 0) H += 1;
}

int HueToChannel(double M1, double M2, double H) {
  H -= std::floor(H);
  double v;
  if (6 * H < 1) v = M1 + (M2 - M1) * 6 * H;
  else if (2 * H < 1) v = M2;
  else if (3 * H < 2) v = M1 + (M2 - M1) * (2.0 / 3 - H) * 6;
  else v = M1;
  return RoundHalfEven(v * 255);
}

TbsColor HSLToBsColor(double H, double S, double L) {
  if (S == 0) {
    const int v = RoundHalfEven(L * 255);
    return MakeBsColor(v, v, v);
  }
  const double m2 = L <= 0.5 ? L * (1 + S) : L + S - L * S;
  const double m1 = 2 * L - m2;
  return MakeBsColor(HueToChannel(m1, m2, H + 1.0 / 3), HueToChannel(m1, m2, H), HueToChannel(m1, m2, H - 1.0 / 3));
}

TbsColor SetColorHue(TbsColor C, int Hue) {
  double h, s, l;
  BsColorToHSL(C, h, s, l);
  return HSLToBsColor(std::clamp(Hue, 0, 255) / 255.0, s, l);
}

namespace {
// One correction each way, as the colour dialogs of the skin editor did.
int WrapOnce(int v) {
  if (v > 255) return v - 255;
  if (v < 0) return v + 255;
  return v;
}
}  // namespace

TbsColor ChangeColorHue(TbsColor C, int Delta) {
  double h, s, l;
  BsColorToHSL(C, h, s, l);
  return HSLToBsColor(WrapOnce(RoundHalfEven(h * 255) + Delta) / 255.0, s, l);
}

TbsColor ChangeColorSaturation(TbsColor C, int Delta) {
  double h, s, l;
  BsColorToHSL(C, h, s, l);
  return HSLToBsColor(h, WrapOnce(RoundHalfEven(s * 255) + Delta) / 255.0, l);
}

TbsColor ChangeColorBrightness(TbsColor C, int Delta) {
  return MakeBsColor(ChannelR(C) + Delta, ChannelG(C) + Delta, ChannelB(C) + Delta);
}

TbsColor ColorToBsColor(TColor C) {
  const std::uint32_t c = std::uint32_t(C);
  return 0xFF000000u | (c & 0xFF) << 16 | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

}  // namespace skin
