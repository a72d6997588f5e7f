// Shared phrasing of checksums and fuses.
#include "jedtool/wording.h"

namespace gsmith {

std::string hex4(std::uint16_t value) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (int shift = 12; shift >= 0; shift -= 4)
    text += kDigits[value >> shift & 0xf];
  return text;
}

std::string fuseText(std::size_t fuse, int value) {
  return "fuse " + std::to_string(fuse) + " = " + std::to_string(value);
}

} // namespace gsmith
