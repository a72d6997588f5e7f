// The check every fuse map passes before it is written: read back from the
// JEDEC text alone, it must implement the fitted netlist output by output.
#pragma once

#include "model/netlist.h"
#include "target/target.h"

#include <cstdint>
#include <string>
#include <vector>

namespace gsmith {

// The fuses of a JEDEC text (throws std::logic_error when the text is no
// JEDEC file of the target's size).
std::vector<std::uint8_t> fusesOfJEDEC(const Target &target, const std::string &text);

// Throws std::logic_error "Internal error: ..." naming the first output
// whose logic, storage, clock, controls, enable or options `fuses` does not
// give as `netlist` asks, and the difference.
void proveFuseMap(const Target &target, const std::string &package, const Netlist &netlist,
                  const std::vector<std::uint8_t> &fuses,
                  const std::vector<std::pair<std::string, int>> &placement);

} // namespace gsmith
