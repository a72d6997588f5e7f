// The last check of a fuse map before its JEDEC file is written, for the
// chips whose only condition is the state the encoder leaves: reserved fuses
// at 0, the configuration armed with the JTAG port kept, and read protection
// only where a CONFIG statement asked for it. A device whose vendor files
// show more to check brings its own function instead.
#pragma once

#include "cpld/architecture.h"
#include "model/netlist.h"

#include <vector>

namespace gsmith {

// Throws CompileError, worded with the device's message prefix.
void checkArmedWithJTAG(const CPLDArchitecture &arch, const std::vector<bool> &fuses,
                        const Netlist &netlist);

} // namespace gsmith
