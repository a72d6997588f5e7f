// What gsmith-jed knows of the GAL devices: enough to recognise their JEDEC
// files and to read the user signature. They have no JTAG port, so there is
// no flash layout to go with them.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

namespace gsmith {

struct GalFacts {
  std::string_view name;
  std::string_view family; // as vendor JEDEC headers name it, without the speed grade letter
  std::size_t fuseCount;   // the JEDEC QF
  // The 64-bit user signature, most significant bit first, from this fuse on.
  std::size_t signatureFuse;
};

std::span<const GalFacts> galDevices();

} // namespace gsmith
