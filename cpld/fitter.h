// Placement of a netlist on a CPLD: every output on a macrocell, its product
// terms on that macrocell and, by cascading, the free ones below it, and the
// signals it reads selected into its LAB's switch matrix. A design that does
// not fit is not an exception: every reason is collected in the FitResult.
#pragma once

#include "cpld/chip.h"
#include "cpld/fit-result.h"
#include "model/netlist.h"

namespace gsmith {

class Fitter {
public:
  // Fits with the device's strategy; the chip is reset first.
  static FitResult fit(const Netlist &netlist, Chip &chip);
  // After a PREFLIGHT fit has been reported: the switch assignment, which
  // throws CompileError for a LAB that cannot be routed.
  static void routeAfterReport(Chip &chip);

  static FitResult fitPreflight(const Netlist &netlist, Chip &chip);
  static FitResult fitPhased(const Netlist &netlist, Chip &chip);
};

} // namespace gsmith
