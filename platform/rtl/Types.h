// Basic types shared by every layer of the converter.
//
// String is UTF-16 text (16-bit code units, as the converter's strings are
// indexed and streamed); AnsiString is 8-bit text in the process's ANSI code
// page, which on Linux is UTF-8. Conversions live in Strings.h.
#pragma once

#include <cstdint>
#include <string>

namespace rtl {

using String = std::u16string;
using AnsiString = std::string;
using RawByteString = std::string;

using Byte = std::uint8_t;
using Word = std::uint16_t;
using Cardinal = std::uint32_t;
using DWORD = std::uint32_t;
using Int64 = std::int64_t;
using UInt64 = std::uint64_t;
using TColor = std::int32_t;  // 0x00BBGGRR, or a negative system-colour value

struct TPoint {
  int X = 0;
  int Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
  int cx = 0;
  int cy = 0;
  friend bool operator==(const TSize&, const TSize&) = default;
};

// Right and Bottom are exclusive, as in the converter's drawing code.
struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;

  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  bool Contains(TPoint p) const { return p.X >= Left && p.X < Right && p.Y >= Top && p.Y < Bottom; }
  friend bool operator==(const TRect&, const TRect&) = default;
};

inline TRect Rect(int left, int top, int right, int bottom) { return {left, top, right, bottom}; }
inline TRect Bounds(int left, int top, int width, int height) {
  return {left, top, left + width, top + height};
}
inline TPoint Point(int x, int y) { return {x, y}; }

}  // namespace rtl
