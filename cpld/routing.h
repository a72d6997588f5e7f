// Routing of the signals a LAB reads onto its switch-matrix multiplexers:
// every signal gets one multiplexer of the LAB that can select its physical
// source, found as a bipartite matching.
#pragma once

#include "cpld/chip.h"
#include "cpld/matcher.h"

#include <optional>
#include <string>

namespace gsmith {

// Why a LAB could not be routed: a signal with no physical source, or one
// no free multiplexer can select.
struct RoutingProblem {
  bool noSource = false;
  std::string signal;
  SignalSource source;
};

// Assigns a multiplexer to every signal of the LAB's matrix, in matrix order;
// on a problem nothing is assigned. `sourcesFirst` names every source before
// matching any, so that an unknown source is reported before a full LAB.
std::optional<RoutingProblem> routeLab(Chip &chip, Lab lab, BipartiteMatcher::Search search,
                                       bool sourcesFirst);

} // namespace gsmith
