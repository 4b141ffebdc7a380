// The common base of the engine's components (logger, probe, player,
// transcoder) and the seek flags they share.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "platform/rtl/Classes.h"

namespace engine {

// Adds nothing to the framework's component: a common ancestor to test for.
class TFFBaseComponent : public rtl::TComponent {
 public:
  using rtl::TComponent::TComponent;
};

enum TSeekFlag : uint8_t { sfBackward, sfByte, sfAny, sfFrame };

// Set of TSeekFlag: bit i for the i-th flag, one byte.
struct TSeekFlags {
  uint8_t Bits = 0;
  constexpr TSeekFlags() = default;
  constexpr TSeekFlags(std::initializer_list<TSeekFlag> AFlags) {
    for (TSeekFlag f : AFlags) Bits |= static_cast<uint8_t>(1u << f);
  }
  constexpr bool Contains(TSeekFlag AFlag) const { return (Bits >> AFlag) & 1u; }
};

// FFmpeg's seek flag bits: sfBackward 1, sfByte 2, sfAny 4, sfFrame 8.
constexpr int SeekFlagsToAVSeekFlags(TSeekFlags AFlags) { return AFlags.Bits & 0x0F; }

}  // namespace engine
