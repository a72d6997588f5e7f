// The ATF1504 user signature: the 16-bit SIGNATURE value stored in fuses
// 34170..34185, each byte most significant bit first, low byte first.
#pragma once

#include <array>
#include <cstdint>

namespace gsmith {

class ATF1504UserSignature {
public:
  static constexpr int kBitCount = 16;
  static constexpr int kFirstFuse = 34170;
  // Element i is the signature bit stored in fuse 34170 + i.
  using Layout = std::array<int, kBitCount>;
  using Bits = std::array<bool, kBitCount>;

  static const Layout &layout();
  // Fuse of bit 0..7 of byte 0..1; -1 outside.
  static int fuseForBit(int byte, int bit);
  static Bits encode(uint16_t signature);
  static uint16_t decode(const Bits &bits);

  static Bits encode(uint16_t signature, const Layout &layout);
  static uint16_t decode(const Bits &bits, const Layout &layout);
  static bool validate(const Layout &layout);
  static bool validate();
};

} // namespace gsmith
