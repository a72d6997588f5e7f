// Turns a fitted and routed virtual chip into fuses: the switch-matrix
// selections, the global enables the pins' OE clauses use, every
// macrocell's product-term rows and options, power-down and the user
// signature. The chip is trusted to be consistent; an inconsistency is an
// internal error (std::logic_error), never a user's.
#pragma once

#include "cpld/chip.h"
#include "cpld/fuse-map.h"
#include "model/netlist.h"

namespace gsmith {

class FuseEncoder {
public:
  static void encode(const Chip &chip, const Netlist &netlist, CPLDFuseMap &map);

  // Writes the fuses of one macrocell option.
  static void applyOption(const Chip &chip, int macrocell, int option, CheckedFuseMap &map);
};

} // namespace gsmith
