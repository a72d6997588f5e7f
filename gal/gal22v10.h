// GAL22V10B back end: the DIP24 pin map, the subset check, and the
// 5892-fuse encoding of ten individually configured output cells with its
// JEDEC text.
#pragma once

#include "frontend/device-rules.h"
#include "model/design.h"
#include "model/netlist.h"

#include <string>
#include <vector>

namespace gsmith {

class GAL22V10Device {
public:
  static const PackagePins kPins;
  static constexpr unsigned kFuseCount = 5892;

  static void validateSubset(const Design &design);
  static std::vector<bool> encode(const Netlist &netlist);
  static std::string toJEDEC(const std::vector<bool> &fuses);
};

} // namespace gsmith
