// The comparison of a decoded fuse map with what a netlist asks of it,
// output by output: the same functions (by evaluation), storage, clock,
// controls, output enable and options; then the global settings, and no
// other cell driving a pin.
#pragma once

#include "decode/decoded-map.h"
#include "decode/expected.h"

#include <string>
#include <vector>

namespace gsmith {

struct Difference {
  std::string output; // the output, "pin N" for an undeclared driver, or "device"
  std::string text;
};

// Gives every NODE of `expected` whose macrocell is not known the
// macrocell of `decoded` that implements it best (fewest differences).
void placeNodes(ExpectedMap &expected, const DecodedMap &decoded);

// Empty when `decoded` implements `expected`. NODEs whose macrocell is not
// known are matched to the macrocells that implement them first.
std::vector<Difference> compareMaps(ExpectedMap expected, const DecodedMap &decoded);

} // namespace gsmith
