// GAL20V8B back end: the DIP24 pin map, the subset check with its
// combinational feedback-cycle search, the choice between the architecture
// modes, the 2706-fuse encoding with its JEDEC text, and the NODE lowering
// shared by every GAL device (gal20v8-nodes.cpp).
#pragma once

#include "devices/gal/gal-device-model.h"
#include "frontend/design.h"
#include "synthesis/netlist.h"

#include <string>
#include <vector>

namespace gsmith {

class GAL20V8Device : public GALDeviceModel {
public:
  static constexpr unsigned kFuseCount = 2706;

  static void validateSubset(const Design &design);
  static std::vector<bool> encode(const Netlist &netlist);
  static std::string modeName(const std::vector<bool> &fuses);
  static std::string toJEDEC(const std::vector<bool> &fuses);

  // Substitutes every NODE of a GAL design into the equations that read it
  // and bounds the size of the later sum-of-products expansion. Used for all
  // three GAL devices, before semantic analysis.
  static Design lowerNodes(const Design &design);

protected:
  const GALPinMap &pinMap() const override;
};

} // namespace gsmith
