// GAL16V8B back end: the DIP20 pin map, the subset of the language the chip
// can implement, the choice among its three architecture modes, and the
// 2194-fuse encoding with its JEDEC text.
#pragma once

#include "frontend/device-rules.h"
#include "model/design.h"
#include "model/netlist.h"

#include <string>
#include <vector>

namespace gsmith {

class GAL16V8Device {
public:
  static const PackagePins kPins;
  static constexpr unsigned kFuseCount = 2194;

  // Throws a runtime error describing the first construct the chip cannot
  // implement. Runs before the generic pin checks of semantic analysis.
  static void validateSubset(const Design &design);
  // Chooses the mode and returns the complete fuse array.
  static std::vector<bool> encode(const Netlist &netlist);
  // "simple", "complex" or "registered", read back from the mode fuses.
  static std::string modeName(const std::vector<bool> &fuses);
  static std::string toJEDEC(const std::vector<bool> &fuses);
};

} // namespace gsmith
