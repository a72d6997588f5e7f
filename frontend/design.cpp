// The device-family test lives with the design records because three stages
// (semantic analysis, netlist building, CONFIG validation) share it.
#include "frontend/design.h"

namespace gsmith {

bool isATF15xxASFamily(const std::string& device) {
  return device == "ATF1502AS" || device == "ATF1502ASV" || device == "ATF1504AS" ||
         device == "ATF1504ASV";
}

} // namespace gsmith
