// GIF through giflib: writing quantises to one 256-colour frame; reading
// takes the first frame, record by record, checking sizes before any
// allocation.
#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "platform/gdi/ImageFormats.h"
#include "platform/rtl/Exceptions.h"

namespace gdi {

namespace {
constexpr int kMaxSide = 32768;
constexpr long long kMaxPixels = 64ll << 20;

[[noreturn]] void Invalid() { throw rtl::EInvalidGraphic("GIF image is not valid"); }

int WriteToVector(GifFileType* gif, const GifByteType* data, int n) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(gif->UserData);
  out->insert(out->end(), data, data + n);
  return n;
}

struct Reader {
  const std::uint8_t* data;
  std::size_t size, pos;
};
int ReadFromMemory(GifFileType* gif, GifByteType* out, int n) {
  auto* r = static_cast<Reader*>(gif->UserData);
  const std::size_t k = std::min<std::size_t>(std::size_t(std::max(n, 0)), r->size - r->pos);
  std::memcpy(out, r->data + r->pos, k);
  r->pos += k;
  return int(k);
}

struct GifCloser {
  void operator()(GifFileType* g) const {
    int err = 0;
    DGifCloseFile(g, &err);
  }
};
}  // namespace

std::vector<std::uint8_t> EncodeGif(const Surface& s, int transparentRgb) {
  const int w = s.Width(), h = s.Height();
  const std::size_t n = std::size_t(w) * h;
  std::vector<GifByteType> r(n), g(n), b(n), idx(n);
  std::vector<std::uint32_t> px(w);
  for (int y = 0; y < h; ++y) {
    s.ReadSpan(0, y, w, px.data());
    for (int x = 0; x < w; ++x) {
      const std::size_t i = std::size_t(y) * w + x;
      r[i] = GifByteType(px[x] >> 16);
      g[i] = GifByteType(px[x] >> 8);
      b[i] = GifByteType(px[x]);
    }
  }
  int mapSize = 256;
  GifColorType colors[256] = {};
  // A picture of at most 256 colours keeps them exactly (glyphs, snapshots
  // of flat artwork); only richer pictures go through the quantiser, whose
  // 5-bit colour cube would shift even a plain red.
  std::unordered_map<std::uint32_t, int> exact;
  for (std::size_t i = 0; i < n && exact.size() <= 256; ++i) {
    const std::uint32_t c = std::uint32_t(r[i]) << 16 | std::uint32_t(g[i]) << 8 | b[i];
    auto it = exact.find(c);
    if (it == exact.end()) {
      if (exact.size() == 256) {
        exact.emplace(c, 256);
        break;
      }
      it = exact.emplace(c, int(exact.size())).first;
      colors[it->second] = {r[i], g[i], b[i]};
    }
    idx[i] = GifByteType(it->second);
  }
  if (exact.size() > 256) {
    mapSize = 256;
    if (GifQuantizeBuffer(unsigned(w), unsigned(h), &mapSize, r.data(), g.data(), b.data(), idx.data(), colors) ==
        GIF_ERROR)
      throw rtl::EInvalidGraphic("GIF colour reduction failed");
  } else {
    mapSize = int(exact.size());
  }
  int transparentIndex = -1;
  if (transparentRgb >= 0) {
    // The quantiser may have merged the key colour; pick its nearest entry
    // and mark it transparent.
    long best = -1;
    for (int k = 0; k < mapSize; ++k) {
      const long dr = colors[k].Red - ((transparentRgb >> 16) & 0xFF), dg = colors[k].Green - ((transparentRgb >> 8) & 0xFF),
                 db = colors[k].Blue - (transparentRgb & 0xFF);
      const long d = dr * dr + dg * dg + db * db;
      if (best < 0 || d < best) {
        best = d;
        transparentIndex = k;
      }
    }
  }
  std::vector<std::uint8_t> out;
  int err = 0;
  GifFileType* gif = EGifOpen(&out, WriteToVector, &err);
  if (!gif) throw rtl::EInvalidGraphic("GIF writer could not start");
  ColorMapObject* map = GifMakeMapObject(256, colors);
  bool ok = map && EGifPutScreenDesc(gif, w, h, 8, 0, map) == GIF_OK;
  if (ok && transparentIndex >= 0) {
    GraphicsControlBlock gcb;
    gcb.DisposalMode = DISPOSAL_UNSPECIFIED;
    gcb.UserInputFlag = false;
    gcb.DelayTime = 0;
    gcb.TransparentColor = transparentIndex;
    GifByteType ext[4];
    const size_t len = EGifGCBToExtension(&gcb, ext);
    ok = EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, int(len), ext) == GIF_OK;
  }
  ok = ok && EGifPutImageDesc(gif, 0, 0, w, h, false, nullptr) == GIF_OK;
  for (int y = 0; ok && y < h; ++y) ok = EGifPutLine(gif, idx.data() + std::size_t(y) * w, w) == GIF_OK;
  if (EGifCloseFile(gif, &err) != GIF_OK) ok = false;
  if (map) GifFreeMapObject(map);
  if (!ok) throw rtl::EInvalidGraphic("GIF encoding failed");
  return out;
}

std::unique_ptr<Surface> DecodeGif(const std::uint8_t* data, std::size_t size, int* transparentRgb) {
  if (size < 13 || std::memcmp(data, "GIF", 3) != 0) Invalid();
  Reader reader{data, size, 0};
  int err = 0;
  std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&reader, ReadFromMemory, &err));
  if (!gif) Invalid();
  const int sw = gif->SWidth, sh = gif->SHeight;
  if (sw <= 0 || sh <= 0 || sw > kMaxSide || sh > kMaxSide || (long long)sw * sh > kMaxPixels) Invalid();
  int transparentIndex = -1;
  std::unique_ptr<Surface> surface;
  std::vector<GifPixelType> line;
  for (;;) {
    GifRecordType type;
    if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR) Invalid();
    if (type == TERMINATE_RECORD_TYPE) break;
    if (type == EXTENSION_RECORD_TYPE) {
      int code = 0;
      GifByteType* ext = nullptr;
      if (DGifGetExtension(gif.get(), &code, &ext) == GIF_ERROR) Invalid();
      if (code == GRAPHICS_EXT_FUNC_CODE && ext && ext[0] >= 4 && (ext[1] & 1)) transparentIndex = ext[4];
      while (ext) {
        if (DGifGetExtensionNext(gif.get(), &ext) == GIF_ERROR) Invalid();
      }
      continue;
    }
    if (type != IMAGE_DESC_RECORD_TYPE) Invalid();
    if (DGifGetImageDesc(gif.get()) == GIF_ERROR) Invalid();
    const GifImageDesc& d = gif->Image;
    if (d.Width <= 0 || d.Height <= 0 || d.Width > kMaxSide || d.Height > kMaxSide ||
        (long long)d.Width * d.Height > kMaxPixels)
      Invalid();
    const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
    auto color = [&](int i) -> std::uint32_t {
      if (map && i < map->ColorCount) {
        const GifColorType& c = map->Colors[i];
        return 0xFF000000u | std::uint32_t(c.Red) << 16 | std::uint32_t(c.Green) << 8 | c.Blue;
      }
      return 0xFF000000u;
    };
    surface = std::make_unique<Surface>(sw, sh, 32, true);
    const std::uint32_t bg = transparentIndex >= 0 ? color(transparentIndex) : color(gif->SBackGroundColor);
    for (int y = 0; y < sh; ++y) std::fill(surface->Row32(y), surface->Row32(y) + sw, bg);
    line.resize(d.Width);
    static const int kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
    const int passes = d.Interlace ? 4 : 1;
    for (int pass = 0; pass < passes; ++pass) {
      for (int row = d.Interlace ? kStart[pass] : 0; row < d.Height; row += d.Interlace ? kStep[pass] : 1) {
        if (DGifGetLine(gif.get(), line.data(), d.Width) == GIF_ERROR) Invalid();
        const int y = d.Top + row;
        if (y < 0 || y >= sh) continue;
        std::uint32_t* out = surface->Row32(y);
        for (int x = 0; x < d.Width; ++x) {
          const int xx = d.Left + x;
          if (xx >= 0 && xx < sw && line[x] != transparentIndex) out[xx] = color(line[x]);
        }
      }
    }
    if (transparentRgb) *transparentRgb = transparentIndex >= 0 ? int(color(transparentIndex) & 0xFFFFFF) : -1;
    break;  // the first frame is the picture
  }
  if (!surface) Invalid();
  return surface;
}

}  // namespace gdi
