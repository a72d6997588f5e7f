// GAL20V8B back end: the DIP24 pin map, the subset check with its
// combinational feedback-cycle search, the choice between the architecture
// modes, the 2706-fuse encoding with its JEDEC text.
#pragma once

#include "frontend/device-rules.h"
#include "model/design.h"
#include "model/netlist.h"

#include <string>
#include <vector>

namespace gsmith {

class GAL20V8Device {
public:
  static const PackagePins kPins;
  static constexpr unsigned kFuseCount = 2706;

  static void validateSubset(const Design &design);
  static std::vector<bool> encode(const Netlist &netlist);
  static std::string modeName(const std::vector<bool> &fuses);
  static std::string toJEDEC(const std::vector<bool> &fuses);
};

} // namespace gsmith
