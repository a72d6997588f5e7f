// The ATF1504 user-signature bit layout and its round-trip self-check.
#include "devices/atf1504/atf1504-user-signature.h"

namespace gsmith {

namespace {

constexpr ATF1504UserSignature::Layout kLayout{7,  6,  5,  4,  3,  2,  1, 0,
                                               15, 14, 13, 12, 11, 10, 9, 8};

} // namespace

const ATF1504UserSignature::Layout &ATF1504UserSignature::layout() { return kLayout; }

int ATF1504UserSignature::fuseForBit(int byte, int bit) {
  if (byte < 0 || byte > 1 || bit < 0 || bit > 7)
    return -1;
  return kFirstFuse + 7 + 8 * byte - bit;
}

ATF1504UserSignature::Bits ATF1504UserSignature::encode(uint16_t signature, const Layout &layout) {
  Bits bits{};
  for (int i = 0; i < kBitCount; ++i)
    bits[i] = layout[i] >= 0 && layout[i] < kBitCount && ((signature >> layout[i]) & 1U) != 0;
  return bits;
}

uint16_t ATF1504UserSignature::decode(const Bits &bits, const Layout &layout) {
  unsigned value = 0;
  for (int i = 0; i < kBitCount; ++i) {
    if (bits[i] && layout[i] >= 0 && layout[i] < kBitCount)
      value |= 1U << layout[i];
  }
  return static_cast<uint16_t>(value);
}

ATF1504UserSignature::Bits ATF1504UserSignature::encode(uint16_t signature) {
  return encode(signature, kLayout);
}

uint16_t ATF1504UserSignature::decode(const Bits &bits) { return decode(bits, kLayout); }

bool ATF1504UserSignature::validate(const Layout &layout) {
  constexpr Bits kPattern{false, true,  false, true,  true,  false, true,  false,
                          true,  false, true,  false, false, true,  false, true};
  return decode(kPattern, layout) == 0xA55A && decode(Bits{}, layout) == 0 &&
         decode(encode(0xFFFF, layout), layout) == 0xFFFF;
}

bool ATF1504UserSignature::validate() { return validate(kLayout); }

} // namespace gsmith
