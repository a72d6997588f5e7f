// Routing of the signals a LAB reads onto the LAB's 40 switch-matrix
// multiplexers: every signal gets one switch whose nine-way selection can pick
// the signal's physical source. Found as a maximum bipartite matching, so an
// earlier signal moves to another switch when a later one needs its switch.
#pragma once

#include "devices/atf1504/atf1504-chip.h"

#include <string>

namespace gsmith {

class ATF1504Routing {
public:
  // "MC<n>_FB", "M<n>_PAD", "C1_PAD", "C2_PAD", "E1_PAD", "R_PAD", or empty
  // when the signal has no physical source on this chip.
  static std::string physicalSource(const ATF1504Chip &chip, const SwitchMatrixSignal &signal);

  // True when every signal of the LAB's matrix received a switch; otherwise
  // false, `error` set and the chip unchanged.
  static bool assignLAB(ATF1504Chip &chip, ATF1502LAB lab, std::string &error);
};

} // namespace gsmith
