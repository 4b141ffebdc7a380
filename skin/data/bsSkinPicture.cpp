#include "skin/data/bsSkinPicture.h"

#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Strings.h"

namespace skin {

namespace {

constexpr std::uint64_t kMaxImageBytes = 256u << 20;  // far above any skin picture
constexpr int kMaxSide = 32768;

[[noreturn]] void Invalid() { throw rtl::EInvalidGraphic("Bitmap image is not valid"); }

std::uint32_t U32(const std::uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24); }
std::uint16_t U16(const std::uint8_t* p) { return std::uint16_t(p[0] | (p[1] << 8)); }
void PutU32(std::uint8_t* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = std::uint8_t(v >> (8 * i));
}

struct Layout {
  std::uint32_t InfoSize = 0;   // information header
  std::uint32_t Extra = 0;      // bit-field masks after a 40-byte header
  std::uint32_t Palette = 0;    // colour table bytes
  std::uint32_t Image = 0;      // pixel bytes
  int Width = 0, Height = 0, BitCount = 0, Compression = 0;
  bool TopDown = false, Core = false;
  std::uint32_t HeaderEnd() const { return 14 + InfoSize + Extra + Palette; }
};

// Reads the sizes from the file header and the information header (at least
// 14 + InfoSize bytes must be at p) and checks that they agree.
Layout Analyse(const std::uint8_t* p) {
  if (p[0] != 'B' || p[1] != 'M') Invalid();
  Layout l;
  l.InfoSize = U32(p + 14);
  const std::uint8_t* h = p + 14;
  std::uint32_t clrUsed = 0, sizeImage = 0;
  if (l.InfoSize == 12) {
    l.Core = true;
    l.Width = U16(h + 4);
    l.Height = static_cast<std::int16_t>(U16(h + 6));
    l.BitCount = U16(h + 10);
  } else if (l.InfoSize == 40 || l.InfoSize == 52 || l.InfoSize == 56 || l.InfoSize == 108 || l.InfoSize == 124) {
    l.Width = static_cast<std::int32_t>(U32(h + 4));
    l.Height = static_cast<std::int32_t>(U32(h + 8));
    l.BitCount = U16(h + 14);
    l.Compression = static_cast<int>(U32(h + 16));
    sizeImage = U32(h + 20);
    clrUsed = U32(h + 32);
  } else {
    Invalid();
  }
  if (l.Height < 0) {
    if (l.Height == INT32_MIN) Invalid();
    l.TopDown = true;
    l.Height = -l.Height;
  }
  if (l.Width <= 0 || l.Height <= 0 || l.Width > kMaxSide || l.Height > kMaxSide) Invalid();
  const int bpp = l.BitCount;
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) Invalid();
  switch (l.Compression) {
    case 0: break;
    case 1: if (bpp != 8 || l.TopDown) Invalid(); break;
    case 2: if (bpp != 4 || l.TopDown) Invalid(); break;
    case 3:
      if (bpp != 16 && bpp != 32) Invalid();
      if (l.InfoSize == 40) l.Extra = 12;
      break;
    default: Invalid();
  }
  std::uint64_t entries = 0;
  if (bpp <= 8) {
    const std::uint32_t full = 1u << bpp;
    if (clrUsed > full) Invalid();
    entries = clrUsed == 0 ? full : clrUsed;
  } else {
    if (clrUsed > 256) Invalid();
    entries = clrUsed;
  }
  l.Palette = static_cast<std::uint32_t>(entries * (l.Core ? 3 : 4));
  const std::uint64_t stride = ((std::uint64_t(l.Width) * std::uint64_t(bpp) + 31) / 32) * 4;
  const std::uint64_t rows = stride * std::uint64_t(l.Height);
  if (l.Compression == 1 || l.Compression == 2) {
    if (sizeImage == 0) Invalid();
    if (sizeImage > kMaxImageBytes) Invalid();
    l.Image = sizeImage;
  } else {
    if (rows > kMaxImageBytes) Invalid();
    if (sizeImage != 0 && sizeImage < rows) Invalid();
    if (sizeImage > kMaxImageBytes) Invalid();
    l.Image = static_cast<std::uint32_t>(sizeImage != 0 ? sizeImage : rows);
  }
  return l;
}

// One colour channel of a 16- or 32-bit pixel, given by its bit mask and
// widened to 8 bits (a 5-bit 31 and a 6-bit 63 both become 255).
class Channel {
 public:
  explicit Channel(std::uint32_t Mask) : FMask(Mask) {
    if (!Mask) return;
    while (!((Mask >> FShift) & 1)) ++FShift;
    while (FShift + FBits < 32 && ((Mask >> (FShift + FBits)) & 1)) ++FBits;
  }
  std::uint32_t Of(std::uint32_t Pixel) const {
    if (!FMask) return 0;
    const std::uint32_t v = (Pixel & FMask) >> FShift;
    if (FBits >= 8) return v >> (FBits - 8);
    const std::uint32_t max = (1u << FBits) - 1;
    return (v * 255 + max / 2) / max;
  }

 private:
  std::uint32_t FMask;
  int FShift = 0, FBits = 0;
};

}  // namespace

void TbsSkinPicture::Clear() {
  FData.clear();
  FBitmap.reset();
  FWidth = FHeight = FBitCount = 0;
}

void TbsSkinPicture::LoadFromBytes(const std::uint8_t* Bytes, std::size_t Size) {
  if (Size < 18) Invalid();
  const std::uint32_t infoSize = U32(Bytes + 14);
  if (infoSize > 124 || Size < 14 + std::size_t(infoSize)) Invalid();
  const Layout l = Analyse(Bytes);
  const std::uint32_t headerEnd = l.HeaderEnd();
  std::uint64_t pixels = U32(Bytes + 10);  // the file's own pixel offset
  if (pixels < headerEnd) pixels = headerEnd;
  if (headerEnd > Size || pixels + l.Image > Size) Invalid();
  std::vector<std::uint8_t> data(Bytes, Bytes + headerEnd);
  data.insert(data.end(), Bytes + pixels, Bytes + pixels + l.Image);
  PutU32(data.data() + 2, static_cast<std::uint32_t>(data.size()));
  PutU32(data.data() + 10, headerEnd);
  FData = std::move(data);
  FBitmap.reset();
  FWidth = l.Width;
  FHeight = l.Height;
  FBitCount = l.BitCount;
}

void TbsSkinPicture::LoadFromFile(const String& FileName) {
  std::ifstream in(rtl::StringToUtf8(FileName), std::ios::binary);
  if (!in) throw rtl::EFOpenError(u"Cannot open file \"" + FileName + u"\"");
  std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  LoadFromBytes(bytes.data(), bytes.size());
}

void TbsSkinPicture::SaveToFile(const String& FileName) const {
  std::ofstream out(rtl::StringToUtf8(FileName), std::ios::binary | std::ios::trunc);
  if (!out) throw rtl::EFCreateError(u"Cannot create file \"" + FileName + u"\"");
  out.write(reinterpret_cast<const char*>(FData.data()), std::streamsize(FData.size()));
  if (!out) throw rtl::EWriteError("Stream write error");
}

void TbsSkinPicture::LoadFromStream(rtl::TStream& Stream) {
  std::vector<std::uint8_t> head(18);
  if (Stream.Read(head.data(), 18) != 18) Invalid();
  const std::uint32_t infoSize = U32(head.data() + 14);
  if (infoSize < 12 || infoSize > 124) Invalid();
  head.resize(14 + infoSize);
  if (Stream.Read(head.data() + 18, infoSize - 4) != rtl::Int64(infoSize - 4)) Invalid();
  const Layout l = Analyse(head.data());
  const std::uint64_t rest = std::uint64_t(l.Extra) + l.Palette + l.Image;
  const rtl::Int64 available = Stream.Size() - Stream.Position();
  if (available < 0 || rest > std::uint64_t(available)) Invalid();
  head.resize(head.size() + rest);
  if (rest > 0 && Stream.Read(head.data() + 14 + infoSize, rtl::Int64(rest)) != rtl::Int64(rest)) Invalid();
  // Inside a container the pixels follow the colour table directly.
  PutU32(head.data() + 10, l.HeaderEnd());
  LoadFromBytes(head.data(), head.size());
}

void TbsSkinPicture::SaveToStream(rtl::TStream& Stream) const {
  if (!FData.empty()) Stream.WriteBuffer(FData.data(), rtl::Int64(FData.size()));
}

std::vector<std::uint32_t> TbsSkinPicture::ToPixels() const {
  std::vector<std::uint32_t> out;
  if (FData.empty()) return out;
  const Layout l = Analyse(FData.data());
  if (l.Compression == 1 || l.Compression == 2) return out;
  out.assign(std::size_t(l.Width) * std::size_t(l.Height), 0);
  const std::uint8_t* pal = FData.data() + 14 + l.InfoSize + l.Extra;
  const std::uint32_t entry = l.Core ? 3 : 4;
  const std::uint32_t entries = l.Palette / entry;
  const std::uint8_t* bits = FData.data() + l.HeaderEnd();
  const std::size_t stride = ((std::size_t(l.Width) * std::size_t(l.BitCount) + 31) / 32) * 4;
  // Bit fields follow a 40-byte header and sit inside the larger ones;
  // without them 16-bit pixels are 5-5-5 and 32-bit pixels are X8R8G8B8.
  std::uint32_t masks[3] = {0xFF0000u, 0xFF00u, 0xFFu};
  if (l.Compression == 3) {
    for (int k = 0; k < 3; ++k) masks[k] = U32(FData.data() + 14 + 40 + 4 * k);
  } else if (l.BitCount == 16) {
    masks[0] = 0x7C00u;
    masks[1] = 0x03E0u;
    masks[2] = 0x001Fu;
  }
  const Channel red(masks[0]), green(masks[1]), blue(masks[2]);
  auto rgb = [&](std::uint32_t v) { return 0xFF000000u | (red.Of(v) << 16) | (green.Of(v) << 8) | blue.Of(v); };
  auto color = [&](std::uint32_t index) -> std::uint32_t {
    if (index >= entries) return 0xFF000000u;
    const std::uint8_t* e = pal + index * entry;
    return 0xFF000000u | (std::uint32_t(e[2]) << 16) | (std::uint32_t(e[1]) << 8) | e[0];
  };
  for (int y = 0; y < l.Height; ++y) {
    const std::uint8_t* row = bits + stride * std::size_t(l.TopDown ? y : l.Height - 1 - y);
    for (int x = 0; x < l.Width; ++x) {
      std::uint32_t c = 0;
      switch (l.BitCount) {
        case 1: c = color((row[x / 8] >> (7 - x % 8)) & 1); break;
        case 4: c = color((row[x / 2] >> (x % 2 ? 0 : 4)) & 15); break;
        case 8: c = color(row[x]); break;
        case 16: c = rgb(U16(row + 2 * x)); break;
        case 24: c = 0xFF000000u | (std::uint32_t(row[3 * x + 2]) << 16) | (std::uint32_t(row[3 * x + 1]) << 8) | row[3 * x]; break;
        default: c = rgb(U32(row + 4 * x)); break;
      }
      out[std::size_t(y) * std::size_t(l.Width) + std::size_t(x)] = c;
    }
  }
  return out;
}

gdi::TBitmap* TbsSkinPicture::Bitmap() const {
  if (FData.empty()) return nullptr;
  if (!FBitmap) {
    auto bitmap = std::make_unique<gdi::TBitmap>();
    gdi::ReadBmp(FData.data(), FData.size(), *bitmap);
    FBitmap = std::move(bitmap);
  }
  return FBitmap.get();
}

std::vector<std::uint8_t> MakeBmpFile(int Width, int Height, int BitCount, const std::vector<std::uint32_t>& Pixels) {
  const int bytesPerPixel = BitCount == 32 ? 4 : 3;
  const std::size_t stride = ((std::size_t(Width) * std::size_t(bytesPerPixel) * 8 + 31) / 32) * 4;
  const std::size_t image = stride * std::size_t(Height);
  std::vector<std::uint8_t> f(54 + image, 0);
  f[0] = 'B';
  f[1] = 'M';
  PutU32(&f[2], std::uint32_t(f.size()));
  PutU32(&f[10], 54);
  PutU32(&f[14], 40);
  PutU32(&f[18], std::uint32_t(Width));
  PutU32(&f[22], std::uint32_t(Height));
  f[26] = 1;
  f[28] = std::uint8_t(bytesPerPixel * 8);
  PutU32(&f[34], std::uint32_t(image));
  for (int y = 0; y < Height; ++y)
    for (int x = 0; x < Width; ++x) {
      const std::uint32_t c = Pixels[std::size_t(y) * std::size_t(Width) + std::size_t(x)];
      std::uint8_t* p = &f[54 + stride * std::size_t(Height - 1 - y) + std::size_t(x) * bytesPerPixel];
      p[0] = std::uint8_t(c);
      p[1] = std::uint8_t(c >> 8);
      p[2] = std::uint8_t(c >> 16);
      if (bytesPerPixel == 4) p[3] = std::uint8_t(c >> 24);
    }
  return f;
}

}  // namespace skin
