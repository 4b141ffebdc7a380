// Picture files written byte by byte for the tests: ICO entries of each
// depth, and metafiles made of records (WMF with or without the placeable
// header, EMF on a 1 px/mm reference device).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

namespace gdi::fixtures {

using Bytes = std::vector<std::uint8_t>;

struct TWriter {
  Bytes b;
  TWriter& u8(unsigned v) {
    b.push_back(std::uint8_t(v));
    return *this;
  }
  TWriter& u16(unsigned v) { return u8(v & 0xFF).u8((v >> 8) & 0xFF); }
  TWriter& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
  TWriter& i16(int v) { return u16(std::uint16_t(std::int16_t(v))); }
  TWriter& i32(int v) { return u32(std::uint32_t(v)); }
  TWriter& raw(const Bytes& v) {
    b.insert(b.end(), v.begin(), v.end());
    return *this;
  }
};

// A 4 x 2 DIB entry of the given depth: left half colour A, right half
// colour B (palette entries 0 and 1 for the palette depths), the AND mask
// clearing the top-right pixel.
inline Bytes DibEntry(int bpp, std::uint32_t a, std::uint32_t b, bool alpha) {
  const int w = 4, h = 2;
  TWriter e;
  e.u32(40).i32(w).i32(h * 2).u16(1).u16(bpp).u32(0).u32(0).u32(0).u32(0).u32(0).u32(0);
  if (bpp <= 8) {
    e.u32(a & 0xFFFFFF).u32(b & 0xFFFFFF);
    for (int i = 2; i < (1 << bpp); ++i) e.u32(0);
  }
  const int stride = ((w * bpp + 31) / 32) * 4;
  for (int y = h - 1; y >= 0; --y) {  // bottom-up
    Bytes row(std::size_t(stride), 0);
    for (int x = 0; x < w; ++x) {
      const bool right = x >= w / 2;
      const std::uint32_t c = right ? b : a;
      const std::size_t i = std::size_t(x);
      if (bpp == 1 && right) row[0] |= std::uint8_t(0x80 >> x);
      if (bpp == 4) row[i / 2] |= std::uint8_t((right ? 1 : 0) << (x % 2 ? 0 : 4));
      if (bpp == 8) row[i] = right ? 1 : 0;
      if (bpp == 24)
        for (int k = 0; k < 3; ++k) row[3 * i + std::size_t(k)] = std::uint8_t(c >> (8 * k));
      if (bpp == 32) {
        for (int k = 0; k < 4; ++k) row[4 * i + std::size_t(k)] = std::uint8_t(c >> (8 * k));
        if (!alpha) row[4 * i + 3] = 0;
      }
    }
    e.raw(row);
  }
  for (int y = h - 1; y >= 0; --y) e.u32(y == 0 ? 0x10u : 0u);  // mask rows, bottom-up: x = 3 of the top row
  return e.b;
}

inline Bytes Ico(const std::vector<std::pair<Bytes, std::pair<int, int>>>& entries) {
  TWriter f;
  f.u16(0).u16(1).u16(std::uint16_t(entries.size()));
  std::uint32_t offset = 6 + 16 * std::uint32_t(entries.size());
  for (const auto& [data, size] : entries) {
    f.u8(std::uint8_t(size.first)).u8(std::uint8_t(size.second)).u8(0).u8(0).u16(1).u16(0);
    f.u32(std::uint32_t(data.size())).u32(offset);
    offset += std::uint32_t(data.size());
  }
  for (const auto& e : entries) f.raw(e.first);
  return f.b;
}

struct TWmf {
  TWriter body;
  void rec(unsigned fn, std::initializer_list<int> words) {
    body.u32(std::uint32_t(3 + words.size())).u16(fn);
    for (int w : words) body.i16(w);
  }
  void rec32(unsigned fn, std::uint32_t first, std::initializer_list<int> words) {
    body.u32(std::uint32_t(3 + 2 + words.size())).u16(fn).u32(first);
    for (int w : words) body.i16(w);
  }
  Bytes Build(bool placeable, int right, int bottom) {
    TWriter f;
    if (placeable) f.u32(0x9AC6CDD7).u16(0).i16(0).i16(0).i16(right).i16(bottom).u16(96).u32(0).u16(0);
    rec(0, {});  // META_EOF
    f.u16(1).u16(9).u16(0x300).u32(std::uint32_t(9 + body.b.size() / 2)).u16(4).u32(16).u16(0);
    f.raw(body.b);
    return f.b;
  }
};

struct TEmf {
  TWriter body;
  int records = 0;
  void rec(unsigned type, std::initializer_list<int> words) {
    body.u32(type).u32(std::uint32_t(8 + 4 * words.size()));
    for (int w : words) body.i32(w);
    ++records;
  }
  void raw(unsigned type, const Bytes& data) {
    body.u32(type).u32(std::uint32_t(8 + data.size())).raw(data);
    ++records;
  }
  // A 40 x 40 pixel picture on a 1 px/mm reference device.
  Bytes Build() {
    rec(14, {0, 16, 20});  // EMR_EOF
    TWriter f;
    f.u32(1).u32(88).i32(0).i32(0).i32(39).i32(39);  // bounds
    f.i32(0).i32(0).i32(4000).i32(4000);              // frame, 0.01 mm
    f.u32(0x464D4520).u32(0x10000).u32(std::uint32_t(88 + body.b.size())).u32(std::uint32_t(records + 1));
    f.u16(4).u16(0).u32(0).u32(0).u32(0);
    f.i32(100).i32(100).i32(100).i32(100);  // device pixels and millimetres
    f.raw(body.b);
    return f.b;
  }
};

}  // namespace gdi::fixtures
