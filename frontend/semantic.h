// Checks a parsed design against the chosen device and against itself before
// any logic is built. The checks run in a fixed order, which decides the one
// message a design with several problems gets.
#pragma once

#include "frontend/device-rules.h"
#include "model/design.h"

#include <memory>
#include <string>

namespace gsmith {

class SemanticAnalyzer {
public:
  // Returns only for a design every later stage accepts; otherwise throws
  // CompileError with the first problem found. `rules` is the device's
  // half of the checks, null when no target has the design's DEVICE name.
  static void validate(const Design &design, const DeviceRules *rules);
};

} // namespace gsmith
