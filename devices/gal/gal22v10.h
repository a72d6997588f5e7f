// GAL22V10B back end: the DIP24 pin map, the subset check, and the
// 5892-fuse encoding of ten individually configured output cells with its
// JEDEC text.
#pragma once

#include "devices/gal/gal-device-model.h"
#include "frontend/design.h"
#include "synthesis/netlist.h"

#include <string>
#include <vector>

namespace gsmith {

class GAL22V10Device : public GALDeviceModel {
public:
  static constexpr unsigned kFuseCount = 5892;

  static void validateSubset(const Design &design);
  static std::vector<bool> encode(const Netlist &netlist);
  static std::string toJEDEC(const std::vector<bool> &fuses);

protected:
  const GALPinMap &pinMap() const override;
};

} // namespace gsmith
