// The device-family tests live with the design records because several stages
// (parsing, semantic analysis, netlist building, CONFIG validation, the driver) share them.
#include "frontend/design.h"

namespace gsmith {

bool isATF15xxASFamily(const std::string &device) {
  return device == "ATF1502AS" || device == "ATF1502ASV" || device == "ATF1504AS" ||
         device == "ATF1504ASV";
}

bool isGALDevice(const std::string &device) {
  return device == "GAL16V8B" || device == "GAL20V8B" || device == "GAL22V10B";
}

bool isATF1504Family(const std::string &device) {
  return device == "ATF1504AS" || device == "ATF1504ASV";
}

} // namespace gsmith
