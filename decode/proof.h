// The check every fuse map passes before it is written: read back by the
// decoder alone, it must implement the fitted netlist output by output.
#pragma once

#include "model/netlist.h"
#include "target/target.h"

#include <string>
#include <vector>

namespace gsmith {

// Throws std::logic_error "Internal error: ..." naming the first output
// whose logic, storage, clock, controls, enable or options `fuses` does not
// give as `netlist` asks, and the difference.
void proveFuseMap(const Target &target, const std::string &package, const Netlist &netlist,
                  const std::vector<bool> &fuses,
                  const std::vector<std::pair<std::string, int>> &placement);

} // namespace gsmith
