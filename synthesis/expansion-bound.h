// Sum-of-products conversion is structural and exponential, so every
// expression is measured before it is converted: an upper estimate of the
// number of terms of its expansion and of its complement's, with caps on
// depth and on the number of nodes visited. The GAL node lowering and the
// ATF15xx netlist path share this one walk.
#pragma once

#include "model/design.h"

#include <cstdint>
#include <string>

namespace gsmith {

struct Bound {
  uint64_t sopTerms = 0;
  uint64_t complementTerms = 0;
};

class ExpansionBound {
public:
  static constexpr uint64_t kMaxTerms = 4096;
  static constexpr uint64_t kMaxVisits = 16384;
  static constexpr int kMaxDepth = 128;

  // Bounds `expression` from depth 0 with a fresh visit counter. Throws
  // ProductTermShortage, whose message starts with `prefix` (the DEVICE
  // name), when a limit is exceeded.
  static Bound measure(const ExpressionPtr &expression, const std::string &prefix);
};

} // namespace gsmith
